// The Basic conformance suite: tables of procedures compiled through the parser's entry
// points and run by the store, with the value returned, the text printed or the error
// (and its line) expected. One table per feature group.
#include <gtest/gtest.h>

#include <string>

#include "basicrun/basicrunner.h"
#include "basicrun/storesession.h"

namespace {

// want: "<value>"      the value T returns, as text;
//       "print:<text>" what T printed;
//       "error:<part>[@<line>]" an error whose text contains part (on that 1-based line).
struct Case {
  const char* source;
  const char* want;
};

void RunTable(const Case* cases, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.source);
    BasicOutcome out = BasicRunner::CompileAndRun(c.source, "T");
    std::string want = c.want;
    if (want.rfind("error:", 0) == 0) {
      std::string part = want.substr(6);
      int line = 0;
      size_t at = part.rfind('@');
      if (at != std::string::npos) {
        line = std::atoi(part.c_str() + at + 1);
        part.resize(at);
      }
      EXPECT_FALSE(out.ok) << "returned " << out.result;
      EXPECT_NE(std::string::npos, out.error.find(part)) << out.error;
      if (line) {
        EXPECT_EQ(line, out.errorLine) << out.error;
      }
    } else if (want.rfind("print:", 0) == 0) {
      EXPECT_TRUE(out.ok) << out.error << " (line " << out.errorLine << ")";
      EXPECT_EQ(want.substr(6), out.printed);
    } else {
      EXPECT_TRUE(out.ok) << out.error << " (line " << out.errorLine << ")";
      EXPECT_EQ(want, out.result);
    }
  }
}

#define RUN_TABLE(t) RunTable(t, sizeof(t) / sizeof(t[0]))

// One-expression functions of a return type (an untyped Function returns a Long).
#define EXPR_AS(type, e, want) {"Function T() As " type "\n T = " e "\nEnd Function\n", want}
#define EXPR(e, want) EXPR_AS("Long", e, want)
#define EXPR_D(e, want) EXPR_AS("Double", e, want)
#define EXPR_S(e, want) EXPR_AS("String", e, want)

const Case kArithmetic[] = {
    EXPR("1 + 2 * 3", "7"),
    EXPR("(1 + 2) * 3", "9"),
    EXPR("-2 ^ 2", "-4"),
    EXPR_D("2 ^ 10", "1024"),
    EXPR("7 \\ 2", "3"),
    EXPR("-7 \\ 2", "-3"),
    EXPR("7 Mod 3", "1"),
    EXPR("-7 Mod 3", "-1"),
    EXPR_D("7 / 2", "3.5"),
    EXPR("7 / 2", "4"),  // into a Long: 3.5 rounds half to even
    EXPR("5 / 2", "2"),
    EXPR("10 - 4 - 3", "3"),
    EXPR("&HFF + &O17", "270"),
    EXPR("5 And 3", "1"),
    EXPR("5 Or 3", "7"),
    EXPR("5 Xor 3", "6"),
    EXPR("Not 0", "-1"),
    EXPR("3 > 2", "-1"),
    EXPR("3 < 2", "0"),
    EXPR("2 = 2", "-1"),
    EXPR("2 <> 2", "0"),
    EXPR("Abs(-5)", "5"),
    EXPR("Int(2.7)", "2"),
    EXPR("Sgn(-3)", "-1"),
    EXPR("IIf(1 > 2, 10, 20)", "20"),
    {"Function T() As Integer\n Dim a As Integer\n a = 2.5\n T = a\nEnd Function\n", "2"},
    {"Function T() As Integer\n Dim a As Integer\n a = 3.5\n T = a\nEnd Function\n", "4"},
    {"Function T() As Long\n Dim a As Long\n a = 100000\n T = a * 3\nEnd Function\n", "300000"},
    {"Function T() As Double\n Dim c As Currency\n c = 1.25\n T = c * 2\nEnd Function\n", "2.5"},
    {"Function T()\n Dim a As Integer\n a = 32767\n a = a + 1\n T = a\nEnd Function\n",
     "error:Overflow@4"},
    {"Function T()\n Dim a As Long\n a = 0\n T = 10 \\ a\nEnd Function\n", "error:ivision@4"},
    {"Function T()\n Const k = 6\n T = k * 7\nEnd Function\n", "42"},
    {"Function T()\n Const k% = 100000\n T = k\nEnd Function\n", "error:out of the range of Integer@2"},
    {"Function T() As Single\n Dim x%\n Dim y!\n x = 7\n y = x / 2\n T = y\nEnd Function\n", "3.5"},
};

TEST(BasicConformance, ArithmeticAndConversions) {
  StoreSession s;
  RUN_TABLE(kArithmetic);
}

const Case kStrings[] = {
    EXPR_S("\"ab\" & \"cd\"", "abcd"),
    EXPR_S("\"ab\" + \"cd\"", "abcd"),
    EXPR_S("\"n=\" & 5", "n=5"),
    EXPR("Len(\"hello\")", "5"),
    EXPR_S("Left(\"hello\", 2)", "he"),
    EXPR_S("Right(\"hello\", 3)", "llo"),
    EXPR_S("Mid(\"hello\", 2, 3)", "ell"),
    EXPR("InStr(\"hello\", \"l\")", "3"),
    EXPR_S("UCase(\"MiXed\")", "MIXED"),
    EXPR_S("LCase(\"MiXed\")", "mixed"),
    EXPR_S("Trim(\"  x  \") & \"|\"", "x|"),
    EXPR_S("Chr(65) & Asc(\"B\")", "A66"),
    EXPR("Val(\"12\") + 1", "13"),
    EXPR("\"a\" < \"b\"", "-1"),
    EXPR("\"A\" = \"a\"", "0"),
    EXPR_S("\"say \"\"hi\"\"\"", "say \"hi\""),
    {"Function T() As String\n Dim s As String, i As Long\n For i = 1 To 3\n  s = s & i\n Next i\n T = s\nEnd Function\n",
     "123"},
    // "s = s & ..." grows s in place: a copy taken before keeps its text, operands that
    // read or change s see it as the expression would.
    {"Function T() As String\n Dim s As String, u As String\n s = \"a\"\n s = s & \"b\"\n u = s\n"
     " s = s & \"c\"\n T = u & \"|\" & s\nEnd Function\n", "ab|abc"},
    {"Function T() As String\n Dim s As String\n s = \"a\"\n s = s & \"b\"\n s = s & \"-\" & s & 1.5\n"
     " T = s\nEnd Function\n", "ab-ab1.5"},
    {"Function F(x As String) As String\n x = x & \"z\"\n F = \"!\"\nEnd Function\n"
     "Function T() As String\n Dim s As String\n s = \"a\"\n s = s & \"b\"\n s = s & F(s) & s\n T = s\nEnd Function\n",
     "ab!abz"},
    // The left operand is read before the right one runs (here changing it by reference).
    {"Function G(x As Long) As Long\n x = 10\n G = 1\nEnd Function\n"
     "Function T()\n Dim i As Long, j As Long\n i = 2\n j = 5\n T = (i + G(i)) * 100 + i - j\nEnd Function\n",
     "305"},
};

TEST(BasicConformance, Strings) {
  StoreSession s;
  RUN_TABLE(kStrings);
}

const Case kArrays[] = {
    {"Function T()\n Dim a(5) As Long\n a(5) = 7\n T = a(5) + UBound(a) + LBound(a)\nEnd Function\n",
     "12"},
    {"Function T()\n Dim a(1 To 3) As Long, i As Long, s As Long\n For i = 1 To 3\n  a(i) = i * i\n Next i\n"
     " For i = 1 To 3\n  s = s + a(i)\n Next i\n T = s\nEnd Function\n",
     "14"},
    {"Function T()\n Dim a(1 To 2, 1 To 3) As Long\n a(2, 3) = 9\n T = a(2, 3) + UBound(a, 2)\nEnd Function\n",
     "12"},
    {"Function T() As String\n Dim s(2) As String\n s(1) = \"x\"\n s(2) = \"y\"\n T = s(1) & s(2)\nEnd Function\n",
     "xy"},
    {"Function T()\n Dim a(3) As Long\n a(4) = 1\n T = 0\nEnd Function\n", "error:@3"},
    {"Function T()\n Dim a() As Long\n ReDim a(4)\n a(4) = 2\n T = UBound(a) * a(4)\nEnd Function\n",
     "8"},
    {"Function T()\n Dim a() As Long\n ReDim a(2)\n a(1) = 5\n ReDim Preserve a(6)\n T = a(1) + UBound(a)\nEnd Function\n",
     "11"},
    {"Sub Fill(b() As Long)\n b(1) = 42\nEnd Sub\n"
     "Function T()\n Dim a(2) As Long\n Fill a\n T = a(1)\nEnd Function\n",
     "42"},
};

TEST(BasicConformance, Arrays) {
  StoreSession s;
  RUN_TABLE(kArrays);
}

const Case kControlFlow[] = {
    {"Function T()\n Dim x As Long\n x = 5\n If x > 3 Then\n  T = 1\n ElseIf x > 1 Then\n  T = 2\n Else\n  T = 3\n End If\nEnd Function\n",
     "1"},
    {"Function T()\n Dim x As Long\n x = 2\n If x > 3 Then\n  T = 1\n ElseIf x > 1 Then\n  T = 2\n Else\n  T = 3\n End If\nEnd Function\n",
     "2"},
    {"Function T()\n Dim x As Long\n If x > 3 Then\n  T = 1\n Else\n  T = 3\n End If\nEnd Function\n",
     "3"},
    {"Function T()\n If 1 > 2 Then T = 1 Else T = 2\nEnd Function\n", "2"},
    {"Function T()\n Dim r As Long\n Select Case 7\n Case 1, 2\n  r = 1\n Case 3 To 6\n  r = 2\n Case Is >= 7\n  r = 3\n Case Else\n  r = 4\n End Select\n T = r\nEnd Function\n",
     "3"},
    {"Function T()\n Dim r As Long\n Select Case 4\n Case 1, 2\n  r = 1\n Case 3 To 6\n  r = 2\n Case Else\n  r = 4\n End Select\n T = r\nEnd Function\n",
     "2"},
    {"Function T()\n Dim r As Long\n Select Case 99\n Case 1\n  r = 1\n Case Else\n  r = 4\n End Select\n T = r\nEnd Function\n",
     "4"},
    {"Function T() As String\n Dim r As String\n Select Case \"b\"\n Case \"a\"\n  r = \"A\"\n Case \"b\", \"c\"\n  r = \"BC\"\n End Select\n T = r\nEnd Function\n",
     "BC"},
    {"Function T() As String\n Dim i As Long, s As String\n For i = 1 To 6\n  Select Case i\n"
     "  Case Is < 2\n   s = s & \"a\"\n  Case Is <= 2\n   s = s & \"b\"\n  Case Is == 3\n   s = s & \"c\"\n"
     "  Case Is > 5\n   s = s & \"f\"\n  Case Is <> 4\n   s = s & \"e\"\n  Case Else\n   s = s & \"d\"\n"
     "  End Select\n Next\n T = s\nEnd Function\n",
     "abcdef"},
    {"Function T()\n Dim i As Long\n Do While i < 5\n  i = i + 1\n Loop\n T = i\nEnd Function\n", "5"},
    {"Function T()\n Dim i As Long\n Do Until i >= 5\n  i = i + 2\n Loop\n T = i\nEnd Function\n", "6"},
    {"Function T()\n Dim i As Long\n Do\n  i = i + 1\n Loop While i < 3\n T = i\nEnd Function\n", "3"},
    {"Function T()\n Dim i As Long\n Do\n  i = i + 1\n Loop Until i = 4\n T = i\nEnd Function\n", "4"},
    {"Function T()\n Dim i As Long\n i = 10\n Do\n  i = i + 1\n Loop Until i > 5\n T = i\nEnd Function\n", "11"},
    {"Function T()\n Dim i As Long\n Do\n  i = i + 1\n  If i = 7 Then Exit Do\n Loop\n T = i\nEnd Function\n",
     "7"},
    {"Function T()\n Dim i As Long\n While i < 4\n  i = i + 1\n Wend\n T = i\nEnd Function\n", "4"},
    {"Function T()\n Dim i As Long, s As Long\n For i = 1 To 10\n  s = s + i\n Next i\n T = s\nEnd Function\n",
     "55"},
    {"Function T()\n Dim i As Long, s As Long\n For i = 10 To 1 Step -3\n  s = s * 10 + i\n Next\n T = s\nEnd Function\n",
     "10741"},
    {"Function T()\n Dim i As Long\n For i = 1 To 100\n  If i * i > 50 Then Exit For\n Next i\n T = i\nEnd Function\n",
     "8"},
    {"Function T()\n Dim i As Long, j As Long, s As Long\n For i = 1 To 3: For j = 1 To 3: s = s + 1: Next j: Next i\n T = s\nEnd Function\n",
     "9"},
    {"Function T()\n T = 1\n Exit Function\n T = 2\nEnd Function\n", "1"},
    {"Function T()\n Dim a(1 To 3) As Long, v As Long, s As Long\n a(1) = 1: a(2) = 2: a(3) = 4\n"
     " For Each v In a\n  s = s + v\n Next\n T = s\nEnd Function\n",
     "7"},
};

TEST(BasicConformance, ControlFlow) {
  StoreSession s;
  RUN_TABLE(kControlFlow);
}

const Case kProcedures[] = {
    {"Function Fact(n As Long) As Long\n If n <= 1 Then\n  Fact = 1\n Else\n  Fact = n * Fact(n - 1)\n End If\nEnd Function\n"
     "Function T()\n T = Fact(10)\nEnd Function\n",
     "3628800"},
    {"Function Fib(n As Long) As Long\n If n < 2 Then Fib = n Else Fib = Fib(n - 1) + Fib(n - 2)\nEnd Function\n"
     "Function T()\n T = Fib(20)\nEnd Function\n",
     "6765"},
    {"Sub Twice(x As Long)\n x = x * 2\nEnd Sub\n"
     "Function T()\n Dim v As Long\n v = 21\n Twice v\n T = v\nEnd Function\n",
     "42"},
    {"Sub Keep(ByVal x As Long)\n x = x * 2\nEnd Sub\n"
     "Function T()\n Dim v As Long\n v = 21\n Keep v\n T = v\nEnd Function\n",
     "21"},
    {"Function Add(a As Long, b As Long) As Long\n Add = a + b\nEnd Function\n"
     "Function T()\n T = Add(Add(1, 2), Add(3, 4))\nEnd Function\n",
     "10"},
    {"Function Greet(s As String) As String\n Greet = \"hi \" & s\nEnd Function\n"
     "Function T() As String\n T = Greet(\"bob\")\nEnd Function\n",
     "hi bob"},
    {"Sub S\n Print \"a\";\n Print \"b\"\nEnd Sub\nFunction T()\n S\n Call S\nEnd Function\n",
     "print:ab\r\nab\r\n"},
    {"Function T()\n Print 1, 2\nEnd Function\n", "print:1\t2\r\n"},
    {"Static Function Cnt() As Long\n Dim n As Long\n n = n + 1\n Cnt = n\nEnd Function\n"
     "Function T()\n Cnt\n Cnt\n T = Cnt()\nEnd Function\n",
     "3"},
    {"Function Cnt() As Long\n Static n As Long\n Dim m As Long\n n = n + 1\n m = m + 1\n Cnt = n * 10 + m\nEnd Function\n"
     "Function T()\n Cnt\n T = Cnt()\nEnd Function\n",
     "21"},
};

TEST(BasicConformance, ProceduresAndRecursion) {
  StoreSession s;
  RUN_TABLE(kProcedures);
}

const Case kObjects[] = {
    {"Dim count As Long\n"
     "Sub Bump\n count = count + 1\nEnd Sub\n"
     "Function T()\n Bump\n Bump\n Me.Bump\n T = count\nEnd Function\n",
     "3"},
    {"Dim name As String\n"
     "Function T() As String\n Me.name = \"obj\"\n T = name & Len(Me.name)\nEnd Function\n",
     "obj3"},
    {"Const Answer = 42\nFunction T()\n T = Answer\nEnd Function\n", "42"},
    {"Dim v As Long\n"
     "Function T()\n Dim o As Object\n Set o = Me\n o.v = 5\n T = v + o.v\nEnd Function\n",
     "10"},
    {"Dim hits As Long\n"
     "Event Ping(n As Long)\n"
     "Sub Ping(n As Long)\n hits = hits + n\nEnd Sub\n"
     "Function T()\n RaiseEvent Ping(5)\n RaiseEvent Ping(2)\n T = hits\nEnd Function\n",
     "7"},
    {"Dim v As Long\n"
     "Function T()\n With Me\n  .v = 4\n End With\n T = v\nEnd Function\n",
     "4"},
};

TEST(BasicConformance, ObjectsAndEvents) {
  StoreSession s;
  RUN_TABLE(kObjects);
}

const Case kErrors[] = {
    {"Function T()\n Dim x As Long\n x = 1\n T = x / 0\nEnd Function\n", "error:@4"},
    {"Function T()\n T = 1 +\nEnd Function\n", "error:Syntax Error@2"},
    {"Function T()\n If 1 Then\n  T = 1\nEnd Function\n", "error:Error in termination of If..Then block@4"},
    {"\n\nFunction T()\n T = Nope(1)\nEnd Function\n", "error:@4"},
    {"Function T()\n Try\n  Throw Oops\n  T = 1\n Catch Oops\n  T = 2\n End Try\nEnd Function\n", "2"},
    {"Function T()\n Dim a(2) As Long\n Try\n  a(5) = 1\n  T = 1\n Catch\n  T = 3\n End Try\nEnd Function\n",
     "3"},
    {"Function T()\n Dim x As Integer\n Dim x As Long\nEnd Function\n", "error:Variable 'x' is defined twice.@3"},
    {"Function T() As Long\n Dim s%\n Dim t As String\n s = \"abc\"\nEnd Function\n", "error:@4"},
    {"Function T()\n Dim v% As Long\nEnd Function\n", "error:mismatched with declaration type@2"},
    {"x = 1\nFunction T()\n T = 1\nEnd Function\n", "error:Only declarations and procedures@1"},
};

TEST(BasicConformance, ErrorsWithLines) {
  StoreSession s;
  RUN_TABLE(kErrors);
}

}  // namespace
