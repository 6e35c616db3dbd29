// Assertion codes, the exception classes, and the log line utilsAssert writes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <string>

#include "utils/orvanellog.h"
#include "utils/xexception.h"

namespace {

struct CodeCase {
  const char* path;
  int line;
  const char* code;    // expected encoding
  const char* sketch;  // expected decoded sketch
};

const CodeCase kCodes[] = {
    {"c:\\src\\main.cpp", 10, "21e7.242d-000a", "MAIN.*P"},
    {"abcdef", 1, "0c52.0c41-0001", "ABCDE*F"},     // six characters: whole
    {"abcdefg", 2, "0e52.0c41-0002", "ABCDE*G"},    // seven: the sixth dropped
    {"a/b\\c.cpp", 3, "0108.0fc3-0003", "C.CP*P"},  // the later separator wins
    {"x\\b/c.cpp", 3, "0108.0fc3-0003", "C.CP*P"},
    {"a_12.c", 0, "07ee.f361-0000", "A_12.*C"},
    {"f3.c", 0, "0001.fbe6-0000", "F?.*C"},    // '3' is "other": decodes as '?'
    {"A", 65536 + 7, "0000.0001-0007", "*A"},  // the line keeps its low 16 bits
    {"", 5, "0000.0000-0005", ""},
    {nullptr, 5, "0000.0000-0005", ""},
    {"dir\\", 9, "0000.0000-0009", ""},  // no file name: word 0
};

TEST(AssertCode, EncodeDecodeTable) {
  for (const CodeCase& c : kCodes) {
    SCOPED_TRACE(c.path ? c.path : "(null)");
    char code[16] = {};
    utilsEncodeAssert(c.path, c.line, code);
    EXPECT_STREQ(code, c.code);
    char sketch[8];
    int line = -1;
    utilsDecodeAssert(code, sketch, &line);
    EXPECT_STREQ(sketch, c.sketch);
    EXPECT_EQ(line, c.line & 0xFFFF);
  }
}

TEST(AssertCode, DecodeSkipsSeparatorsAndAcceptsUpperCase) {
  char sketch[8];
  int line = 0;
  utilsDecodeAssert("  21E7:242D / 000A trailing", sketch, &line);
  EXPECT_STREQ(sketch, "MAIN.*P");
  EXPECT_EQ(line, 10);
  utilsDecodeAssert("21e7242d", sketch, &line);  // no line digits: line 0
  EXPECT_STREQ(sketch, "MAIN.*P");
  EXPECT_EQ(line, 0);
}

TEST(AssertCode, NullArgumentsDoNothing) {
  utilsEncodeAssert("main.cpp", 1, nullptr);
  char sketch[8] = "keep";
  int line = 42;
  utilsDecodeAssert("", sketch, &line);
  utilsDecodeAssert(nullptr, sketch, &line);
  utilsDecodeAssert("21e7.242d-000a", nullptr, &line);
  utilsDecodeAssert("21e7.242d-000a", sketch, nullptr);
  EXPECT_STREQ(sketch, "keep");
  EXPECT_EQ(line, 42);
}

TEST(XExceptionFlags, HandledBitsAreIndependent) {
  XException e("text");
  EXPECT_EQ(e.handled(-1), 0);
  EXPECT_EQ(e.userHandled(-1), 0);
  EXPECT_NE(e.handled(1), 0);
  EXPECT_NE(e.handled(-1), 0);
  EXPECT_EQ(e.userHandled(-1), 0);
  EXPECT_NE(e.userHandled(7), 0);
  EXPECT_EQ(e.handled(0), 0);
  EXPECT_NE(e.userHandled(-1), 0);
  XException copy(e);
  EXPECT_NE(copy.userHandled(-1), 0);
  EXPECT_EQ(copy.why(), "text");
}

TEST(XExceptionClone, KeepsDynamicType) {
  XAssert a("x > 0", "c:\\src\\file.cpp", 12);
  XException& base = a;
  XException* clone = base.Clone();
  XAssert* asAssert = dynamic_cast<XAssert*>(clone);
  ASSERT_NE(asAssert, nullptr);
  EXPECT_EQ(asAssert->Path(), "c:\\src\\file.cpp");
  EXPECT_EQ(asAssert->Line(), 12);
  EXPECT_EQ(asAssert->why(), "x > 0");
  delete clone;

  try {
    base.Throw();
    FAIL() << "Throw returned";
  } catch (XAssert& thrown) {
    EXPECT_EQ(thrown.Line(), 12);
  }
}

std::string readLog() {
  char path[MAX_PATH + 1];
  if (!OrvanelLogPath(path, sizeof path)) return "";
  std::ifstream in(path);  // text mode: the log is written with CR LF
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Lines of the log that are exactly "<time stamp> <text>". Other test programs append
// to the same log, so tests count their own lines rather than the whole file.
int countLogLines(const std::string& log, const std::string& text) {
  static const std::regex stamp(R"(\d\d:\d\d:\d\d\.\d\d\d \d\d/\d\d/\d{4} )");
  int n = 0;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(start, end - start);
    if (line.size() == 24 + text.size() && line.compare(24, std::string::npos, text) == 0 &&
        std::regex_match(line.substr(0, 24), stamp))
      ++n;
    start = end + 1;
  }
  return n;
}

// utilsAssert lives in ovutil.dll: catching here proves exceptions cross DLLs.
TEST(UtilsAssert, ThrowsAcrossTheDllAndLogsItsCode) {
  const std::string mainLine = "Program error: 21e7.242d-000a";
  const std::string fcLine = "Program error: 0000.0fc6-0001";
  std::string before = readLog();
  try {
    utilsAssert("ptr != 0", "d:\\work\\main.cpp", 10);
    FAIL() << "utilsAssert returned";
  } catch (XException& e) {
    XAssert* a = dynamic_cast<XAssert*>(&e);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->why(), "ptr != 0");
    EXPECT_EQ(a->Path(), "d:\\work\\main.cpp");
    EXPECT_EQ(a->Line(), 10);
  }
  // Reachable as the run-time base and as a standard exception too.
  EXPECT_THROW(utilsAssert("c", "f.c", 1), xmsg);
  EXPECT_THROW(utilsAssert("c", "f.c", 1), std::exception);

  std::string after = readLog();
  EXPECT_EQ(countLogLines(after, mainLine) - countLogLines(before, mainLine), 1) << after;
  EXPECT_EQ(countLogLines(after, fcLine) - countLogLines(before, fcLine), 2) << after;
}

TEST(UtilsAssert, MacroPassesConditionFileAndLine) {
  try {
    int zero = 0;
    UTILS_ASSERT(zero == 1);
    FAIL();
  } catch (XAssert& a) {
    EXPECT_EQ(a.why(), "zero == 1");
    EXPECT_NE(a.Path().find("assert_test.cpp"), std::string::npos);
    EXPECT_GT(a.Line(), 0);
  }
}

TEST(OrvanelLog, AppendsOneLinePerCall) {
  char path[MAX_PATH + 1];
  ASSERT_TRUE(OrvanelLogPath(path, sizeof path));
  EXPECT_NE(std::string(path).find("\\orvanel.log"), std::string::npos);
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);  // process ids come round again between runs
  const std::string tag =
      " of process " + std::to_string(GetCurrentProcessId()) + " at " + std::to_string(now.QuadPart);
  OrvanelLog(("first" + tag).c_str());
  OrvanelLog(("second line" + tag).c_str());
  std::string log = readLog();
  EXPECT_EQ(countLogLines(log, "first" + tag), 1) << log;
  EXPECT_EQ(countLogLines(log, "second line" + tag), 1) << log;
  EXPECT_LT(log.find("first" + tag), log.find("second line" + tag));
}

}  // namespace
