// Native members declared in Basic text and called from Basic: parameters and results
// typed by an enumeration ("As Boolean") are Longs to the native side, given True,
// False, numbers or entry texts, by value and by reference; array parameters
// ("a() As Single") reach it as views of the caller's arrays.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <string>

#include "basicrun/basicrunner.h"
#include "basicrun/storesession.h"
#include "store/field_comp.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/types.h"

namespace {

// The test library's "Test" published once.
InterObjRep* TestClass() {
  static InterObjRep* proto = [] {
    CoInitialize(nullptr);
    ObjectStore::Initialize();
    ObjectStore::PublishObjectDLL("ovstore_testpub");
    return ObjectStore::find("Test");
  }();
  return proto;
}

TEST(NativeDeclarations, EnumeratedParametersAreLongsToTheNativeSide) {
  StoreSession session;
  InterObjRep* proto = TestClass();
  ASSERT_NE(nullptr, proto);
  auto* pick = dynamic_cast<CppProcField*>(proto->findField("Pick"));
  ASSERT_NE(nullptr, pick);
  ASSERT_EQ(4, pick->parmCount());
  EXPECT_EQ(kTypeLong, pick->param(0).type);
  EXPECT_NE(nullptr, pick->param(0).enumeration);
  EXPECT_EQ(kTypeShort, pick->param(1).type);
  EXPECT_EQ(nullptr, pick->param(1).enumeration);
  EXPECT_EQ(kTypeLong, pick->param(3).type);
  EXPECT_EQ("(ByVal on As Boolean, ByVal n As Integer, ByVal l As Long, flag As Boolean)",
            std::string(pick->paramText().data()));
  EXPECT_EQ(kTypeString, pick->typeCode());
  EXPECT_EQ(kTypeLong, proto->findField("Truth")->typeCode());

  // What Basic passes, and what the native side got: on (Boolean), n (Integer), l
  // (Long) and the by-reference Boolean.
  struct Case {
    const char* args;
    const char* got;
  } cases[] = {
      {"True, True, True, True", "-1,-1,-1,-1"},
      {"False, False, False, False", "0,0,0,0"},
      {"1, 1, 1, 1", "-1,1,1,-1"},  // a Boolean is -1 for any number but 0
      {"7, -7, 70000, 0", "-1,-7,70000,0"},
      {"0, 32767, -2147483647, 2", "0,32767,-2147483647,-1"},
      {"2.5, 2, 2, 0", "-1,2,2,0"},
      {"\"True\", 3, 3, \"False\"", "-1,3,3,0"},       // the entry texts
      {"\"0\", \"12\", \"-5\", \"1\"", "0,12,-5,-1"},  // numbers in texts
      {"(1 = 1), (1 = 2), (2 > 1), (1 > 2)", "-1,0,-1,0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    BasicOutcome out = BasicRunner::CompileAndRun(
        std::string("Function F() As String\n  Dim b As Boolean\n  F = Test.Pick(") + c.args +
            ")\nEnd Function\n",
        "F");
    ASSERT_TRUE(out.ok) << out.error;
    EXPECT_EQ(c.got, out.result);
  }
  // A text that is no entry and no number is refused, as for a Boolean property.
  BasicOutcome bad = BasicRunner::CompileAndRun(
      "Function F() As String\n  F = Test.Pick(\"maybe\", 1, 1, 0)\nEnd Function\n", "F");
  EXPECT_FALSE(bad.ok);
}

TEST(NativeDeclarations, ByReferenceBooleansComeBackAsTrueOrFalse) {
  StoreSession session;
  ASSERT_NE(nullptr, TestClass());
  // The native side turns the flag over (0 -> 1, else 0): the variable holds -1 or 0.
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As String\n  Dim b As Boolean\n  Dim n As Integer\n  Dim l As Long\n"
      "  Dim s As String\n"
      "  b = False\n  s = Test.Pick(b, 5, 6, b)\n  F = s & \"|\" & b\n"
      "  s = Test.Pick(b, 5, 6, b)\n  F = F & \"|\" & s & \"|\" & b\n"
      "  n = 4\n  s = Test.Pick(True, n, n, n)\n  F = F & \"|\" & s & \"|\" & n\n"
      "End Function\n",
      "F");
  ASSERT_TRUE(out.ok) << out.error;
  EXPECT_EQ("0,5,6,0|-1|-1,5,6,-1|0|-1,4,4,-1|0", out.result);
}

TEST(NativeDeclarations, BooleanResultsAreTrueOrFalse) {
  StoreSession session;
  ASSERT_NE(nullptr, TestClass());
  struct Case {
    const char* arg;
    const char* asLong;
    const char* inIf;
  } cases[] = {{"0", "0", "no"}, {"1", "-1", "yes"}, {"-1", "-1", "yes"}, {"65536", "-1", "yes"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arg);
    EXPECT_EQ(c.asLong, BasicRunner::ValueOf(std::string("Test.Truth(") + c.arg + ")"));
    EXPECT_EQ(c.inIf,
              BasicRunner::ValueOf(std::string("IIf(Test.Truth(") + c.arg + "), \"yes\", \"no\")", "String"));
  }
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As String\n  Dim b As Boolean\n  b = Test.Truth(3)\n  F = b & \",\" & Not Test.Truth(0)\n"
      "End Function\n",
      "F");
  ASSERT_TRUE(out.ok) << out.error;
  EXPECT_EQ("-1,-1", out.result);
}

// ---- arrays ----

TEST(NativeDeclarations, ArrayParametersAreDeclaredAsArrays) {
  StoreSession session;
  InterObjRep* proto = TestClass();
  ASSERT_NE(nullptr, proto);
  auto* spread = dynamic_cast<CppProcField*>(proto->findField("Spread"));
  ASSERT_NE(nullptr, spread);
  ASSERT_EQ(6, spread->parmCount());
  EXPECT_EQ(kTypeDouble | kTypeArrayFlag, spread->param(1).type);
  EXPECT_EQ(kTypeLong | kTypeArrayFlag, spread->param(3).type);
  EXPECT_EQ(
      "(ByVal s As Integer, a() As Double, ByVal f As Single, b() As Long, ByVal d As Double, c() As "
      "Currency)",
      std::string(spread->paramText().data()));
}

// What Basic passes and what the native side read: local arrays, arrays of the object,
// dynamic arrays after ReDim, bounds other than 0, several dimensions.
TEST(NativeDeclarations, TheNativeSideReadsTheCallersArray) {
  StoreSession session;
  ASSERT_NE(nullptr, TestClass());
  struct Case {
    const char* body;  // statements; F is the result
    const char* want;
  } cases[] = {
      {"Dim a(2) As Single\n a(0) = 1.5: a(1) = -2: a(2) = 3.25\n F = Test.Shape(a)", "1;0..2;3;15,-20,32"},
      {"Dim a(1 To 4) As Single\n a(4) = 7\n F = Test.Shape(a)", "1;1..4;4;0,0,0,70"},
      {"Dim a(-2 To -1) As Single\n a(-2) = 0.5\n F = Test.Shape(a)", "1;-2..-1;2;5,0"},
      {"Dim a() As Single\n ReDim a(1 To 2)\n a(2) = 9\n F = Test.Shape(a)", "1;1..2;2;0,90"},
      {"Dim a(1 To 2, 0 To 2) As Single\n F = Test.Shape(a)", "2;1..2,0..2;6;"},
      {"Dim a() As Single\n F = Test.Shape(a)", "0;;0;"},
      // The object's own array, by its name and through Me.
      {"M(3) = 2\n F = Test.Shape(M)", "1;0..3;4;0,0,0,20"},
      {"M(0) = 1: M(2) = 3\n F = Test.Shape(Me.M)", "1;0..3;4;10,0,30,0"},
      {"Dim l(5 To 6) As Long\n l(6) = 70000\n F = Test.At(l, 6)", "70000"},
      {"Dim t(1) As String\n t(1) = \"abc\"\n F = Test.Word(t, 1) & \"/\" & Test.Word(t, 0)", "6:abc/6:"},
      // Arrays among other arguments, in registers and on the stack.
      {"Dim a(1 To 2) As Double, b(3) As Long, c(0) As Currency\n a(1) = 11: b(3) = 33: c(0) = 1.5\n"
       " F = Test.Spread(7, a, 22.9, b, 44.2, c)",
       "7|11|22|33|44|150"},
      // An element passed to a scalar parameter is still the element.
      {"Dim l(2) As Long\n l(1) = 20\n F = Test.Add(l(1), 1)", "21"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    BasicOutcome out = BasicRunner::CompileAndRun(
        std::string("Dim M(3) As Single\nFunction F() As String\n ") + c.body + "\nEnd Function\n", "F");
    ASSERT_TRUE(out.ok) << out.error;
    EXPECT_EQ(c.want, out.result);
  }
}

// Wrong arguments are Basic errors, raised before or while the native side reads; the
// object's array is still whole after them.
TEST(NativeDeclarations, WrongArrayArgumentsAreBasicErrors) {
  StoreSession session;
  ASSERT_NE(nullptr, TestClass());
  struct Case {
    const char* body;
    unsigned errorId;  // 0: any error
  } cases[] = {
      {"Dim a(2) As Long\n F = Test.Shape(a)", 0},           // another element type
      {"Dim a(2) As Double\n F = Test.Shape(a)", 0},         // another numeric width
      {"Dim x As Single\n F = Test.Shape(x)", 0},            // no array
      {"F = Test.Shape(1.5)", 0},                            // a constant
      {"Dim a(2) As Single\n F = Test.Shape((a(1)))", 0},    // an element
      {"Dim l(2) As Long\n F = Test.At(l, 3)", 32736},       // above the bounds
      {"Dim l(1 To 2) As Long\n F = Test.At(l, 0)", 32736},  // below them
      {"Dim l(1, 1) As Long\n F = Test.At(l, 0)", 0},        // one index for two dimensions
      {"Dim l() As Long\n F = Test.At(l, 0)", 0},            // no elements yet
      {"Dim t(1) As String\n F = Test.At(t, 0)", 0},         // a text array as numbers
      {"Dim a(2) As Single\n F = Test.Shape(a, a)", 0},      // too many arguments
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    BasicOutcome out = BasicRunner::CompileAndRun(
        std::string("Dim M(3) As Single\nFunction F() As String\n ") + c.body + "\nEnd Function\n", "F");
    EXPECT_FALSE(out.ok) << out.result;
    if (c.errorId) {
      EXPECT_EQ(c.errorId, out.errorId) << out.error;
    }
  }
  // Caught in Basic like any other error.
  BasicOutcome caught = BasicRunner::CompileAndRun(
      "Function F() As String\n Dim l(2) As Long\n l(2) = 5\n Try\n  F = Test.At(l, 9)\n Catch\n  F = "
      "\"caught\"\n"
      " End Try\n F = F & \",\" & Test.At(l, 2)\nEnd Function\n",
      "F");
  ASSERT_TRUE(caught.ok) << caught.error;
  EXPECT_EQ("caught,5", caught.result);
}

}  // namespace
