// Native members declared in Basic text and called from Basic: parameters and results
// typed by an enumeration ("As Boolean") are Longs to the native side, given True,
// False, numbers or entry texts, by value and by reference.
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

}  // namespace
