// Basic sources through the compiler and the interpreter, damaged and generated: small
// good programs with bytes flipped, lines dropped, doubled or swapped and words put in,
// and programs grown from pieces (deep nesting, huge bounds, many names). Each must run
// to a result or stop with a clear error; a crash, a hang or assertion text fails,
// naming the source. A run that goes on past a second is stopped as a user would
// (the break poll), which counts as a clear outcome. OV_FUZZ_SCALE (default 1)
// multiplies the cases for longer runs by hand (scripts/fuzz.sh); OV_FUZZ_SEED
// changes the seed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "basicrun/basicrunner.h"
#include "basicrun/capturedprint.h"
#include "basicrun/storesession.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "testkit/testkit.h"

namespace {

unsigned long EnvNumber(const char* name, unsigned long fallback) {
  char buf[32];
  if (!GetEnvironmentVariableA(name, buf, sizeof buf)) return fallback;
  return std::strtoul(buf, nullptr, 0);
}

// Stops a program that runs too long, as the user's break would.
class BreakingApp : public StoreApplication {
 public:
  Printable* FindPrintTarget() override { return &CapturedPrint::Target(); }
  void PollUserBreak() override {
    if (GetTickCount() - started > 1000) throw TerminateExecution();
  }
  DWORD started = 0;
};

const char* const kSeeds[] = {
    "Function T()\n Dim a(10) As Long, i As Integer\n For i = 0 To 10\n  a(i) = i * i\n Next i\n"
    " T = a(3) + UBound(a)\nEnd Function\n",
    "Function T() As String\n Dim s As String\n s = \"ab\"\n s = s & Mid(s, 2, 1) & Left(s, 1)\n"
    " T = UCase(s) & Str(Len(s))\nEnd Function\n",
    "Function T()\n Dim n As Long\n Do While n < 20\n  n = n + 3\n  If n Mod 2 = 0 Then\n   n = n + 1\n"
    "  ElseIf n > 15 Then\n   Exit Do\n  Else\n   n = n - 1\n  End If\n Loop\n T = n\nEnd Function\n",
    "Function F(x As Long) As Long\n If x < 2 Then\n  F = 1\n Else\n  F = x * F(x - 1)\n End If\nEnd "
    "Function\n"
    "\nFunction T()\n T = F(6)\nEnd Function\n",
    "Function T()\n Dim k As Long\n Select Case 3\n  Case 1, 2\n   k = 1\n  Case 3 To 5\n   k = 2\n"
    "  Case Else\n   k = 3\n End Select\n T = k\nEnd Function\n",
    "Function T()\n Dim a(2) As Long\n Try\n  a(5) = 1\n  T = 1\n Catch\n  T = 3\n End Try\nEnd Function\n",
    "Dim g As Long\nConst c As Long = 7\n\nSub S(v As Long)\n g = g + v\nEnd Sub\n\nFunction T()\n"
    " S c\n S 2\n T = g\nEnd Function\n",
    "Type P\n Dim x As Long\n Function F()\n  F = 5\n End Function\nEnd Type\n\nFunction T()\n"
    " T = P.F() + P.x\nEnd Function\n",
    "Function T() As Double\n Dim d As Double, i As Long\n For i = 1 To 50 Step 7\n  d = d + Sqr(i) / 3\n"
    " Next\n Print d; i\n T = Int(d * 100)\nEnd Function\n",
    "Function T()\n Dim a() As Long\n ReDim a(1 To 4)\n a(4) = 9\n ReDim Preserve a(1 To 8)\n"
    " T = a(4) + LBound(a)\nEnd Function\n",
};

const char* const kWords[] = {
    "If",
    "Then",
    "Else",
    "End If",
    "Do",
    "Loop",
    "For",
    "Next",
    "Select Case",
    "Case",
    "End Select",
    "Try",
    "Catch",
    "End Try",
    "Dim",
    "ReDim",
    "Preserve",
    "As",
    "Long",
    "String",
    "Function",
    "Sub",
    "End Function",
    "End Sub",
    "Type",
    "End Type",
    "(",
    ")",
    ",",
    ":",
    "=",
    "&",
    "\"",
    "'",
    "Me",
    "Nothing",
    "New",
    "2147483647",
    "-2147483648",
    "1E308",
    "&HFFFFFFFF",
    "32767",
    "0",
    "-1",
    "a(",
    "T =",
    "Exit Do",
    "GoTo",
    "With",
    "End With",
    "Const",
    "Declare",
    "Throw",
    "Print",
    "To",
    "Step",
    "Mod",
    "\\",
    "/",
    "^",
    "Not",
    "And",
    "Or",
    "Xor",
    ".",
    "#",
    "!",
    "@",
    "$",
    "%",
};

std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < s.size()) {
    size_t e = s.find('\n', at);
    if (e == std::string::npos) e = s.size();
    out.push_back(s.substr(at, e - at));
    at = e + 1;
  }
  return out;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

// One damaged copy of a seed.
std::string Mutate(testkit::FuzzRandom& rng, const std::string& seed) {
  std::string s = seed;
  unsigned edits = 1 + rng.Below(3);
  for (unsigned e = 0; e < edits; ++e) {
    std::vector<std::string> lines = Lines(s);
    if (lines.empty()) return s;
    unsigned li = rng.Below(unsigned(lines.size()));
    switch (rng.Below(7)) {
      case 0: {  // a byte changed
        if (s.empty()) break;
        size_t at = rng.Below(unsigned(s.size()));
        s[at] = char(rng.Below(3) == 0 ? rng.Below(256) : 32 + rng.Below(95));
        continue;
      }
      case 1:  // a line dropped
        lines.erase(lines.begin() + li);
        break;
      case 2:  // a line doubled
        lines.insert(lines.begin() + li, lines[li]);
        break;
      case 3: {  // two lines swapped
        unsigned lj = rng.Below(unsigned(lines.size()));
        std::swap(lines[li], lines[lj]);
        break;
      }
      case 4: {  // a word put in
        std::string& l = lines[li];
        size_t at = l.empty() ? 0 : rng.Below(unsigned(l.size()));
        l.insert(at, std::string(" ") + kWords[rng.Below(sizeof kWords / sizeof kWords[0])] + " ");
        break;
      }
      case 5: {  // a number made extreme
        std::string& l = lines[li];
        for (size_t i = 0; i < l.size(); ++i)
          if (l[i] >= '0' && l[i] <= '9') {
            l.replace(i, 1, rng.Below(2) ? "2147483647" : "99999999999");
            break;
          }
        break;
      }
      default: {  // the text cut short
        s.resize(rng.Below(unsigned(s.size()) + 1));
        continue;
      }
    }
    s = Join(lines);
  }
  return s;
}

// Programs grown from pieces, at sizes where limits matter.
std::string Generate(testkit::FuzzRandom& rng) {
  switch (rng.Below(5)) {
    case 0: {  // nested blocks, up to past the nesting limit
      unsigned depth = 1 + rng.Below(400);
      const char* open[] = {"If 1 Then", "Do", "Try", "Select Case 1\nCase 1", "For i = 1 To 1"};
      const char* close[] = {"End If", "Exit Do\nLoop", "Catch\nEnd Try", "End Select", "Next"};
      std::vector<unsigned> kinds;
      std::string s = "Function T()\n Dim i As Long\n";
      for (unsigned d = 0; d < depth; ++d) {
        kinds.push_back(rng.Below(5));
        s += std::string(open[kinds.back()]) + "\n";
      }
      s += "T = 1\n";
      for (unsigned d = depth; d > 0; --d) s += std::string(close[kinds[d - 1]]) + "\n";
      return s + "End Function\n";
    }
    case 1: {  // an array of extreme bounds
      const char* bounds[] = {"2147483647",     "-2147483648 To 2147483647", "0 To -5", "2147483647, 2", "-1",
                              "100000, 100000", "5, 5, 5, 5, 5, 5, 5, 5, 5", "1 To 0"};
      return std::string("Function T()\n Dim a() As Long\n ReDim a(") + bounds[rng.Below(8)] +
             ")\n T = UBound(a)\nEnd Function\n";
    }
    case 2: {  // deep expressions
      unsigned depth = 1 + rng.Below(300);
      return "Function T()\n T = " + std::string(depth, '(') + "1" + std::string(depth, ')') +
             "\nEnd Function\n";
    }
    case 3: {  // many names
      unsigned n = 1 + rng.Below(2000);
      std::string s = "Function T()\n";
      for (unsigned i = 0; i < n; ++i) s += " v" + std::to_string(i) + " = " + std::to_string(i) + "\n";
      return s + " T = v0\nEnd Function\n";
    }
    default: {  // deep recursion
      return "Function F(x As Long) As Long\n F = F(x + 1)\nEnd Function\n\nFunction T()\n T = F(0)\nEnd "
             "Function\n";
    }
  }
}

// A failure of this source: no text, or assertion text ("" when it ran or gave a clear error).
std::string Failure(testkit::FuzzGuard& guard, BreakingApp& app, const std::string& source) {
  guard.Begin("Basic source:\n" + source);
  app.started = GetTickCount();
  BasicOutcome out = BasicRunner::CompileAndRun(source, "T");
  guard.End();
  if (out.ok || out.error.find("Execution terminated") != std::string::npos) return "";
  if (out.error.empty()) return "no error text";
  return testkit::LooksLikeAnAssertion(out.error) ? "assertion text \"" + out.error + "\"" : "";
}

// The source with every line dropped that the failure does not need.
std::string Minimal(testkit::FuzzGuard& guard, BreakingApp& app, const std::string& source) {
  std::vector<std::string> lines = Lines(source);
  for (size_t i = lines.size(); i-- > 0;) {
    std::vector<std::string> fewer = lines;
    fewer.erase(fewer.begin() + long(i));
    if (!Failure(guard, app, Join(fewer)).empty()) lines.swap(fewer);
  }
  return Join(lines);
}

TEST(BasicFuzz, SourcesRunOrStopWithAClearError) {
  StoreSession session;
  BreakingApp app;
  testkit::FuzzGuard guard(60000);
  testkit::FuzzRandom rng(EnvNumber("OV_FUZZ_SEED", 20261210));
  const unsigned long cases = 2500 * EnvNumber("OV_FUZZ_SCALE", 1);
  int results = 0, errors = 0, stopped = 0;
  std::vector<std::string> failures;
  for (unsigned long i = 0; i < cases; ++i) {
    std::string source =
        i % 5 == 4 ? Generate(rng) : Mutate(rng, kSeeds[rng.Below(sizeof kSeeds / sizeof kSeeds[0])]);
    guard.Begin("Basic source:\n" + source);
    app.started = GetTickCount();
    BasicOutcome out = BasicRunner::CompileAndRun(source, "T");
    guard.End();
    if (out.ok) {
      ++results;
    } else if (out.error.find("Execution terminated") != std::string::npos) {
      ++stopped;
    } else if (out.error.empty() || testkit::LooksLikeAnAssertion(out.error)) {
      failures.push_back("error \"" + out.error + "\"; the smallest source that fails so:\n" +
                         Minimal(guard, app, source));
    } else {
      ++errors;
    }
  }
  std::printf(
      "Basic source fuzz: %lu cases, %d results, %d clear errors, %d stopped by the break, %d failed\n",
      cases, results, errors, stopped, int(failures.size()));
  for (size_t i = 0; i < failures.size() && i < 20; ++i) ADD_FAILURE() << failures[i];
  EXPECT_TRUE(failures.empty());
}

}  // namespace
