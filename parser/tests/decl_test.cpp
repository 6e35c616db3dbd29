// Declarations: each form parsed through the entry points into the field it must make.
#include <gtest/gtest.h>

#include <cxxabi.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "parser/ovparse.h"
#include "parseexcept.h"
#include "basicrun/basicrunner.h"
#include "basicrun/storesession.h"
#include "store/enum.h"
#include "store/field_array.h"
#include "store/field_comp.h"
#include "store/field_data.h"
#include "store/interobj.h"
#include "store/procfield.h"
#include "store/signature.h"

namespace {

std::string ClassOf(const void* p, const std::type_info& t) {
  if (!p) return "null";
  int status = 0;
  char* d = abi::__cxa_demangle(t.name(), nullptr, nullptr, &status);
  std::string s = d ? d : t.name();
  std::free(d);
  return s;
}
#define CLASS_OF(p) ClassOf(p, typeid(*(p)))

std::string ErrorOf(const ParserException& e) {
  std::ostringstream os;
  e.printError(os);
  return os.str();
}

struct DataCase {
  const char* decl;
  const char* fieldClass;  // demangled class of the field
  int typeCode;            // DataField::typeCode()
  const char* className;   // for object fields, "" otherwise
  int dims;                // arrays: declared dimensions (-1: not an array)
  int lower0, upper0;      // first dimension's bounds when dims > 0
};

const DataCase kDataFields[] = {
    {"Dim x", "InterDataField", 2, "", -1, 0, 0},
    {"Dim x%", "InterDataField", 1, "", -1, 0, 0},
    {"Dim x&", "InterDataField", 2, "", -1, 0, 0},
    {"Dim x!", "InterDataField", 3, "", -1, 0, 0},
    {"Dim x#", "InterDataField", 4, "", -1, 0, 0},
    {"Dim x@", "InterDataField", 5, "", -1, 0, 0},
    {"Dim x$", "InterDataField", 6, "", -1, 0, 0},
    {"Dim x As Integer", "InterDataField", 1, "", -1, 0, 0},
    {"Dim x As Long", "InterDataField", 2, "", -1, 0, 0},
    {"Dim x As Single", "InterDataField", 3, "", -1, 0, 0},
    {"Dim x As Double", "InterDataField", 4, "", -1, 0, 0},
    {"Dim x As Currency", "InterDataField", 5, "", -1, 0, 0},
    {"Dim x As String", "InterDataField", 6, "", -1, 0, 0},
    {"Dim x As String * 10", "InterDataField", 6, "", -1, 0, 0},
    {"Dim x$ As String", "InterDataField", 6, "", -1, 0, 0},
    {"Dim x As Object", "InterDataField", 7, "", -1, 0, 0},
    {"Dim f As Form", "InterObjField", 7, "Form", -1, 0, 0},
    {"Dim f As Forms.Form", "InterObjField", 7, "Forms.Form", -1, 0, 0},
    {"Dim f As New Form", "EmbedObjField", 7, "Form", -1, 0, 0},
    {"Dim b As Boolean", "InterEnumField", 2, "", -1, 0, 0},
    {"Dim a(5)", "InterArray<long, 2>", 0x22, "", 1, 0, 5},
    {"Dim a(1 To 5, 3) As Integer", "InterArray<short, 1>", 0x21, "", 2, 1, 5},
    {"Dim a(2 + 3) As Single", "InterArray<float, 3>", 0x23, "", 1, 0, 5},
    {"Dim a() As Double", "InterArray<double, 4>", 0x24, "", 0, 0, 0},
    {"Dim a(-2 To 2) As Currency", "InterArray<Currency, 5>", 0x25, "", 1, -2, 2},
    {"Dim a(3) As String", "InterArray<ValString, 6>", 0x26, "", 1, 0, 3},
    {"Dim a(3) As String * 4", "InterArray<ValString, 6>", 0x26, "", 1, 0, 3},
    {"Dim a(3) As Form", "InterObjArrayField", 0x27, "Form", 1, 0, 3},
    {"Static x As Long", "InterDataField", 2, "", -1, 0, 0},
};

TEST(ParserDeclarations, DataFields) {
  StoreSession s;
  for (const DataCase& c : kDataFields) {
    SCOPED_TRACE(c.decl);
    Field* f = nullptr;
    try {
      f = ParserParseInterDataField(c.decl);
    } catch (const ParserException& e) {
      ADD_FAILURE() << ErrorOf(e);
      continue;
    }
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(c.fieldClass, CLASS_OF(f));
    std::string decl = c.decl;
    size_t at = decl.find(' ') + 1;
    EXPECT_EQ(decl.substr(at, decl.find_first_not_of("abcdefghijklmnopqrstuvwxyz", at) - at), f->name());
    EXPECT_EQ(c.typeCode, f->typeCode());
    EXPECT_STREQ(c.className, f->className());
    if (c.dims >= 0) {
      ArrayField* a = dynamic_cast<ArrayField*>(f);
      ASSERT_NE(nullptr, a);
      EXPECT_EQ(c.dims, a->dimensions());
      if (c.dims > 0) {
        EXPECT_EQ(c.lower0, a->declaredBound(0).lower);
        EXPECT_EQ(c.upper0, a->declaredBound(0).upper);
      }
    }
    delete f;
  }
}

struct ErrorCase {
  const char* decl;
  const char* printed;
};

const ErrorCase kDataErrors[] = {
    {"Dim x% As Long",
     "Error in variable declaration:\nType on variable 'Integer' mismatched with declaration type 'Long'\n"},
    {"Dim x! As String * 3",
     "Error in variable declaration:\nType on variable 'Single' mismatched with declaration type 'String'\n"},
    {"Dim a(3) As New Form", "Arrays of type 'New Object' are currently not supported."},
    {"Dim a(3) As Boolean", "Arrays of type 'Enumeration' are currently not supported."},
    {"Dim a(3) As Object", "Arrays of type 'Object' are currently not supported."},
    {"Dim x As Me", "The reserved word 'Me' is not allowed in declarations."},
    {"Dim x, y", "Too many variables in declaration, expected only one."},
    {"x = 1", "No declaration available."},
};

TEST(ParserDeclarations, DataFieldErrors) {
  StoreSession s;
  for (const ErrorCase& c : kDataErrors) {
    SCOPED_TRACE(c.decl);
    try {
      delete ParserParseInterDataField(c.decl);
      ADD_FAILURE() << "no error";
    } catch (const ParserException& e) {
      EXPECT_EQ(c.printed, ErrorOf(e));
    }
  }
}

// The type mismatch reports the declaration's own line (not a name read as a number).
TEST(ParserDeclarations, MismatchCarriesItsLine) {
  StoreSession s;
  InterProcField* proc = nullptr;
  char text[] = "Sub S\n Dim w As Long\n\n Dim v% As Long\nEnd Sub\n";
  try {
    ParserParseProcedure(proc, text);
    ADD_FAILURE() << "no error";
  } catch (const DeclarationTypeMismatch& e) {
    EXPECT_EQ(3, e.line());
  }
  delete proc;
}

TEST(ParserDeclarations, ConstantsConvertAndCheckRange) {
  struct C {
    const char* text;
    const char* want;
  };
  const C cases[] = {
      {"Function T() As Single\n Const k! = 1\n T = k / 4\nEnd Function\n", "0.25"},
      {"Function T()\n Const k% = 1.5\n T = k\nEnd Function\n",
       "Type on variable 'Integer' mismatched with declaration type 'Double'"},
      {"Function T()\n Const k% = 100000\n T = k\nEnd Function\n", "out of the range of Integer"},
      {"Function T()\n Const k% = -32768\n T = k\nEnd Function\n", "-32768"},
      {"Function T()\n Const a = 2, b = a * 3\n T = b\nEnd Function\n", "6"},
      {"Function T() As String\n Const s = \"x\" & \"y\"\n T = s\nEnd Function\n", "xy"},
  };
  StoreSession s;
  for (const C& c : cases) {
    SCOPED_TRACE(c.text);
    BasicOutcome out = BasicRunner::CompileAndRun(c.text, "T");
    std::string got = out.ok ? out.result : out.error;
    EXPECT_NE(std::string::npos, got.find(c.want)) << got;
  }
}

TEST(ParserDeclarations, PropertyDeclareEvent) {
  StoreSession s;
  Field* p = ParserParseProperty("Property Size Get GetSize Set SetSize As Integer");
  ASSERT_NE(nullptr, p);
  EXPECT_EQ("InterProcDataField", CLASS_OF(p));
  EXPECT_STREQ("Size", p->name());
  EXPECT_EQ(1, p->typeCode());
  delete p;
  Field* ro = ParserParseProperty("Property Count& Get GetCount");
  ASSERT_NE(nullptr, ro);
  EXPECT_EQ(2, ro->typeCode());
  delete ro;

  Field* d = ParserParseDeclare("Declare Function GetTickCount Lib \"kernel32\" () As Long");
  ASSERT_NE(nullptr, d);
  EXPECT_EQ("CDLLFuncField", CLASS_OF(d));
  EXPECT_EQ(2, d->typeCode());
  delete d;
  Field* d2 = ParserParseDeclare("Declare Sub Sleep Lib \"kernel32\" Alias \"Sleep\" (ByVal ms As Long)");
  ASSERT_NE(nullptr, d2);
  EXPECT_EQ("CDLLProcField", CLASS_OF(d2));
  EXPECT_EQ(1, static_cast<MethodField*>(d2)->parmCount());
  delete d2;

  InterObj obj(new InterObjRep(nullptr, "EventHolder", 254));
  ParserParseEvent("Event Moved(x As Integer, y As Integer)", obj);
  ParserParseEvent("Event Moved(where As Long)", obj);  // replaces the first
  EventDef* ev = obj->findEventDef("Moved");
  ASSERT_NE(nullptr, ev);
  EXPECT_STREQ("(where As Long)", ev->paramText());
  EXPECT_EQ(1, obj->signature()->eventCount());
}

TEST(ParserDeclarations, ProceduresAndNativeMethods) {
  StoreSession s;
  InterProcField* proc = nullptr;
  char sub[] = "Sub S(a As Integer, ByVal b As String, c() As Long)\n x = 1\nEnd Sub\n";
  ParserParseProcedure(proc, sub);
  ASSERT_NE(nullptr, proc);
  EXPECT_EQ("InterProcField", CLASS_OF(proc));
  EXPECT_EQ(3, proc->parmCount());
  delete proc;
  char fn[] = "Function F$(n)\n F = \"x\"\nEnd Function\n";
  ParserParseProcedure(proc, fn);
  ASSERT_NE(nullptr, proc);
  EXPECT_EQ("InterFuncField", CLASS_OF(proc));
  EXPECT_EQ(6, proc->typeCode());
  delete proc;
  char bad[] = "Function F%() As Long\nEnd Function\n";
  EXPECT_THROW(ParserParseProcedure(proc, bad), DeclarationTypeMismatch);
  delete proc;
  proc = nullptr;

  InterObj obj(new InterObjRep(nullptr, "Natives", 254));
  SignatureRep& sig = *obj->signature();
  ParserParseCppField("Function Execute(a As Integer, ByVal b As String) As Long", sig, MemberFn());
  Field* f = sig.findOwnField("Execute");
  ASSERT_NE(nullptr, f);
  EXPECT_EQ("CppFuncField", CLASS_OF(f));
  CppProcField* cpp = static_cast<CppProcField*>(f);
  ASSERT_EQ(2, cpp->parmCount());
  EXPECT_EQ(1, cpp->param(0).type);
  EXPECT_TRUE(cpp->param(0).byRef);
  EXPECT_EQ(6, cpp->param(1).type);
  EXPECT_FALSE(cpp->param(1).byRef);
  EXPECT_EQ(2, f->typeCode());
  ParserParseCppEvent("Event Click()", sig);
  EXPECT_NE(nullptr, sig.findOwnEventDef("Click"));
  EXPECT_THROW(ParserParseCppEvent("Sub Click()", sig), ParserException);
}

// Type blocks declared at module level become embedded objects with their members.
TEST(ParserDeclarations, TypeBlocks) {
  StoreSession s;
  BasicRunner r;
  BasicOutcome out;
  ASSERT_TRUE(
      r.compile("Type Point\n Dim x As Long\n Dim y As Long\n"
                " Function Sum() As Long\n  Sum = x + y\n End Function\n"
                "End Type\n"
                "Function T()\n Point.x = 2\n Point.y = 5\n T = Point.Sum()\nEnd Function\n",
                out))
      << out.error;
  Field* f = r.object()->findField("Point");
  ASSERT_NE(nullptr, f);
  EXPECT_EQ("EmbedObjField", CLASS_OF(f));
  out = r.run("T");
  EXPECT_TRUE(out.ok) << out.error;
  EXPECT_EQ("7", out.result);

  BasicRunner r2;
  EXPECT_FALSE(r2.compile("Type Q From NoSuchType\nEnd Type\n", out));
  EXPECT_EQ("Declaration type 'NoSuchType' Not found", out.error);
  BasicRunner r3;
  EXPECT_FALSE(r3.compile("Type Q\n Dim x\n", out));
  EXPECT_EQ("Error in termination of Type...EndType block\nExpected 'End Type' received: 'Nothing'\n",
            out.error);
  BasicRunner r4;
  EXPECT_FALSE(r4.compile("Sub S\n Type Q\n End Type\nEnd Sub\n", out));
  EXPECT_EQ("Type statements are currently not allowed inside blocks.", out.error);
}

}  // namespace
