// Bad Basic input: sizes past what the process can hold, nesting past the stack, bytes
// that are no text, too many names, errors in declarations. Each gives a clear error on
// its line instead of a crash, an abort or silently lost text.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "basicrun/basicrunner.h"
#include "basicrun/storesession.h"
#include "store/field.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"

namespace {

// want: an error containing part, on line (1-based; 0: any), or with error == nullptr
// the value T returns.
struct Case {
  const char* what;
  std::string source;
  const char* error;
  int line;
  const char* value;
};

void Check(const Case& c) {
  SCOPED_TRACE(c.what);
  BasicOutcome out = BasicRunner::CompileAndRun(c.source, "T");
  if (!c.error) {
    EXPECT_TRUE(out.ok) << out.error << " (line " << out.errorLine << ")";
    EXPECT_EQ(c.value, out.result);
    return;
  }
  EXPECT_FALSE(out.ok) << "returned " << out.result;
  EXPECT_NE(std::string::npos, out.error.find(c.error)) << out.error;
  if (c.line) {
    EXPECT_EQ(c.line, out.errorLine) << out.error;
  }
}

std::string Nested(int depth) {
  std::string s = "Function T()\n";
  for (int i = 0; i < depth; ++i) s += "If 1 Then\n";
  s += "T = 1\n";
  for (int i = 0; i < depth; ++i) s += "End If\n";
  return s + "End Function\n";
}

std::string ManyNames(int n) {
  std::string s = "Function T()\n";
  for (int i = 0; i < n; ++i) s += " v" + std::to_string(i) + " = 1\n";
  return s + " T = 2\nEnd Function\n";
}

TEST(BadSource, ArraysBeyondMemoryAreRefusedOnTheirLine) {
  StoreSession session;
  const Case cases[] = {
      {"ReDim over the whole Long range",
       "Function T()\n Dim a() As Long\n ReDim a(-2147483647 - 1 To 2147483647)\n T = 1\nEnd Function\n",
       "Array too large.", 3, nullptr},
      {"Dim of 2^31 elements", "Function T()\n Dim a(2147483647) As Long\n T = 1\nEnd Function\n",
       "Array too large.", 0, nullptr},
      {"Dim of nearly 2^32 elements",
       "Function T()\n Dim a(-2147483647 To 2147483647) As Long\n T = 1\nEnd Function\n", "Array too large.",
       0, nullptr},
      {"ReDim of two dimensions",
       "Function T()\n Dim a() As Long\n ReDim a(2147483647, 2)\n T = 1\nEnd Function\n", "Array too large.",
       3, nullptr},
      {"capped by bytes, not cells",
       "Function T()\n Dim a() As Long\n\n ReDim a(100000000)\n T = 1\nEnd Function\n", "Array too large.", 4,
       nullptr},
      {"inverted bounds", "Function T()\n Dim a() As Long\n ReDim a(0 To -5)\n T = 1\nEnd Function\n",
       "inverted", 3, nullptr},
      {"an empty dimension stays allowed",
       "Function T()\n Dim a() As Long\n ReDim a(-1)\n T = UBound(a)\nEnd Function\n", nullptr, 0, "-1"},
      {"the largest array still works",
       "Function T()\n Dim a() As Long\n ReDim a(-2147483647 To -2147483000)\n a(-2147483001) = 4\n T = "
       "a(-2147483001)\nEnd Function\n",
       nullptr, 0, "4"},
      {"a caught Array too large leaves the program going",
       "Function T()\n Dim a() As Long\n Try\n  ReDim a(2147483647)\n Catch\n  T = 7\n End Try\nEnd "
       "Function\n",
       nullptr, 0, "7"},
  };
  for (const Case& c : cases) Check(c);
}

TEST(BadSource, CompilingRefusesWhatItCannotHold) {
  StoreSession session;
  std::string nul = "Dim a As Long\nDim b As Long\n\nFunction T()\n b = 3\n T = b\nEnd Function\n";
  nul[13] = '\0';
  std::string nulInProc = "Function T()\n T = 1\n T = 2\nEnd Function\n";
  nulInProc[19] = '\0';
  const Case cases[] = {
      {"5,000 nested blocks", Nested(5000), "nested too deeply", 0, nullptr},
      {"200 nested blocks compile", Nested(200), nullptr, 0, "1"},
      {"NUL in the declarations", nul, "invalid character (0)", 1, nullptr},
      {"NUL in a procedure", nulInProc, "invalid character (0)", 2, nullptr},
      {"more than 32,766 names", ManyNames(33000), "Too many different names", 32767, nullptr},
      {"too many dimensions in a declaration",
       "Function T()\n Dim a(1,1,1,1,1,1,1,1,1) As Long\n T = 1\nEnd Function\n",
       "Too many array dimensions.", 2, nullptr},
      {"constant overflow", "Const c As Integer = 99999\n\nFunction T()\n T = c\nEnd Function\n", "", 1,
       nullptr},
      {"a second procedure of the same name",
       "Function T()\n T = 1\nEnd Function\n\nFunction T()\n T = 2\nEnd Function\n", "already defined", 5,
       nullptr},
      {"inverted bounds in a declaration", "Function T()\n Dim a(0 To -5) As Long\n T = 1\nEnd Function\n",
       "inverted", 2, nullptr},
      {"Array too large in a module declaration",
       "Dim g(2147483647) As Long\n\nFunction T()\n T = g(0)\nEnd Function\n", "Array too large.", 1,
       nullptr},
  };
  for (const Case& c : cases) Check(c);
}

TEST(BadSource, ErrorInAProcedureOfATypeGivesItsFileLine) {
  StoreSession session;
  Check({"Type procedure",
         "Type P\n Dim x As Long\n Function F()\n  Dim a(2) As Long\n  a(7) = 1\n End Function\nEnd "
         "Type\n\nFunction T()\n T = P.F()\nEnd Function\n",
         "Index out of range", 5, nullptr});
}

// A method that fails to allocate, as a big allocation would.
class Hog : public MethodField {
 public:
  Hog() : MethodField("Take") {}
  Value* invoke(InterObjRep&, ValueList*, int) override { throw std::bad_alloc(); }
};

TEST(BadSource, OutOfMemoryIsACatchableError) {
  StoreSession session;
  unsigned char m = ObjectStore::CreateModule("hog");
  {
    OpenModuleResource open(m);
    PrimInterObj hog("Hog", nullptr, 0);
    hog->addField(new Hog, nullptr);
  }
  const Case cases[] = {
      {"caught",
       "Function T()\n Try\n  Hog.Take\n  T = 1\n Catch OutOfMemory\n  T = 2\n End Try\nEnd Function\n",
       nullptr, 0, "2"},
      {"uncaught, with its line", "Function T()\n T = 1\n Hog.Take\nEnd Function\n", "Out of memory.", 3,
       nullptr},
      // The store goes on after it.
      {"afterwards", "Function T()\n Dim s As String\n s = \"ab\" & \"cd\"\n T = Len(s)\nEnd Function\n",
       nullptr, 0, "4"},
  };
  for (const Case& c : cases) Check(c);
  ObjectStore::UnloadModule(m, 1);
}

}  // namespace
