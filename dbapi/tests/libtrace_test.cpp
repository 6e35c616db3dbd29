// The trace of API calls on the static build: the line formatter as a table, the trace
// functions and their statuses, the options (time stamps, flushing, the window, driver
// tracing over real connections to the test DSN), lines of several threads, and the
// exact texts of a session against a golden trace file.
#include "dbapi/jxerrors.h"
#include "dbapi/jxlibinit.h"
#include "dbapi/jxlibtrace.h"
#include "libframe.h"
#include "libhandle.h"

#include "dbsql/cmgenv.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxpertask.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <stdio.h>
#include <set>
#include <string>
#include <thread>
#include <vector>

#ifndef DBAPI_TEST_DATA
#error DBAPI_TEST_DATA names the folder of the golden files
#endif

namespace {

lib_task* task() { return static_cast<lib_task*>(mdsGetPerTaskData(PTD_API_TASK)); }

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// Tracing into a fresh file in the build tree for one test; the library is ended after.
class Traced {
 public:
  explicit Traced(const char* name, int16_t options = 3) : path_(name) {
    DeleteFileA(path_.c_str());
    EXPECT_EQ(jxSetTraceOptions(options), 0);
    EXPECT_EQ(jxTraceOn(path_.c_str()), 0);
  }
  ~Traced() {
    jxTraceOff();
    while (task()) jxLibTerm();
    DeleteFileA(path_.c_str());
  }
  std::vector<std::string> lines() const { return linesOf(readAll(path_)); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST(TraceFormat, ConversionsAsATable) {
  Traced t("dbapi_format_trace.txt");
  lib_task* k = task();
  ASSERT_NE(k, nullptr);
  const uint8_t packed[] = {0x01, 0x23, 0x45, 0x6C, 0xFF};
  char* decimal = libDecimalText(packed, 5, 2);  // 5 digits: 3 bytes
  ASSERT_NE(decimal, nullptr);
  char* negativeScale = libDecimalText(packed, 3, -4);  // 7 digits: 4 bytes
  libTraceFormat(k, "%i", 65535);
  libTraceFormat(k, "%li", 65535L);
  libTraceFormat(k, "%u", 65535);
  libTraceFormat(k, "%d %i", -5, 0x12345);  // 16 bits: 0x2345
  libTraceFormat(k, "%lu %ld", 4294967295UL, -2147483647L - 1);
  libTraceFormat(k, "%u", 70000);  // 16 bits: 4464
  libTraceFormat(k, "%s|%s", static_cast<const char*>(nullptr), "text");
  libTraceFormat(k, "%p", reinterpret_cast<void*>(static_cast<uintptr_t>(0x0012ABCD)));
  libTraceFormat(k, "%p", static_cast<void*>(nullptr));
  libTraceFormat(k, "%f %f %f", 1.5, 1e20, 0.0001);
  libTraceFormat(k, "100%% of %x, %c and %");  // no argument is taken by them
  libTraceFormat(k, "jxDecimal (%s, %s)", decimal, negativeScale);
  ramFree(decimal);
  ramFree(negativeScale);
  std::vector<std::string> expected = {
      "jxTraceOn (\"dbapi_format_trace.txt\")",
      "jxTraceOn returns (0)",
      "-1",
      "65535",
      "65535",
      "-5 9029",
      "4294967295 -2147483648",
      "4464",
      "<NULL>|text",
      "0012:ABCD",
      "0000:0000",
      "1.5 1e+20 0.0001",
      "100% of x, c and ",
      "jxDecimal (012345, 0123456C)",
  };
  if (sizeof(void*) == 8) {
    libTraceFormat(k, "%p", reinterpret_cast<void*>(static_cast<uintptr_t>(0x000000010012ABCDull)));
    expected.push_back("010012:ABCD");  // the upper part keeps every digit it needs
  }
  EXPECT_EQ(t.lines(), expected);
}

// A line that cannot be made (longer than a trace line can grow) is dropped: the call
// still succeeds and leaves no error behind.
TEST(TraceFormat, ALineThatCannotBeMadeIsDroppedWithoutError) {
  Traced t("dbapi_dropped_trace.txt");
  std::string huge(70000, 'q');
  EXPECT_EQ(jxTraceUser(huge.c_str()), 0);
  EXPECT_EQ(jxErr(), 0);
  EXPECT_STREQ(jxErrMsg(), "");
  EXPECT_EQ(jxTraceUser("after"), 0);
  std::vector<std::string> lines = t.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "jxTraceUser (\"after\")");
  for (const std::string& line : lines) EXPECT_LT(line.size(), 100u);
}

TEST(TraceFunctions, StatusesOfOnAndOff) {
  {
    Traced t("dbapi_onoff_trace.txt");
    EXPECT_EQ(jxTraceOn("other.txt"), 4120);
    EXPECT_EQ(jxGetTraceOptions() & 0x8000, 0);
    EXPECT_EQ(task()->traceWord & LIB_TRACE_ACTIVE, LIB_TRACE_ACTIVE);  // still on
    EXPECT_EQ(jxTraceUser("still here"), 0);
    EXPECT_EQ(t.lines().back(), "jxTraceUser (\"still here\")");
    EXPECT_EQ(jxTraceOff(), 0);
    EXPECT_EQ(jxTraceOff(), 4122);
    EXPECT_STREQ(jxErrMsg(), "Tracing is not turned on.");
  }
  EXPECT_EQ(task(), nullptr);
  EXPECT_EQ(jxTraceOff(), 4101);  // no task record
  EXPECT_EQ(task(), nullptr);
  // A trace file that cannot be made fails the call with the writer's status.
  EXPECT_EQ(jxTraceOn("Z:\\no\\such\\folder\\trace.txt"), 1501);
  EXPECT_EQ(task()->traceWord & LIB_TRACE_ACTIVE, 0);
  while (task()) jxLibTerm();
}

TEST(TraceFunctions, UserLinesOnlyWithTheirBit) {
  Traced t("dbapi_user_trace.txt", 1);
  EXPECT_EQ(jxTraceUser("not written"), 0);
  EXPECT_EQ(jxSetTraceOptions(2), 0);
  EXPECT_EQ(jxTraceUser("written"), 0);
  EXPECT_EQ(jxGetTraceOptions(), 2);  // calls are no longer traced
  jxTraceOff();
  EXPECT_EQ(jxTraceUser("off"), 0);
  std::vector<std::string> lines = t.lines();
  std::vector<std::string> expected = {"jxTraceOn (\"dbapi_user_trace.txt\")", "jxTraceOn returns (0)",
                                       "jxSetTraceOptions (2)", "jxTraceUser (\"written\")"};
  EXPECT_EQ(lines, expected);
}

TEST(TraceOptions, TimeStampsAndFlushing) {
  Traced t("dbapi_options_trace.txt", 3);
  EXPECT_EQ(task()->trace.getFlags() & JxTrace::FLUSH, static_cast<unsigned>(JxTrace::FLUSH));
  EXPECT_EQ(jxSetTraceOptions(0x0080 | 0x0020 | 3), 0);
  EXPECT_EQ(task()->trace.getFlags() & JxTrace::FLUSH, 0u);
  EXPECT_EQ(jxGetTraceOptions(), 0x00A3);
  EXPECT_EQ(jxSetTraceOptions(3), 0);  // flushing again, no stamps
  EXPECT_EQ(task()->trace.getFlags() & (JxTrace::FLUSH | JxTrace::TIME_STAMPS),
            static_cast<unsigned>(JxTrace::FLUSH));
  std::vector<std::string> lines = t.lines();
  ASSERT_GE(lines.size(), 5u);
  // The return line of the first change and everything up to the second carry stamps.
  for (size_t i = 3; i <= 5 && i < lines.size(); ++i) {
    const std::string& l = lines[i];
    ASSERT_GT(l.size(), 12u) << l;
    EXPECT_TRUE(l[2] == ':' && l[5] == ':' && l[8] == '.' && l[11] == ' ') << l;
  }
  EXPECT_EQ(lines[3].substr(12), "jxSetTraceOptions returns (0)");
  EXPECT_EQ(lines.back(), "jxSetTraceOptions returns (0)");
}

TEST(TraceOptions, TheTraceWindow) {
  Traced t("dbapi_window_trace.txt", 3);
  EXPECT_EQ(jxSetTraceOptions(0x0008 | 3), 0);
  HWND window = task()->trace.getWindow();
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_HIDE);
  jxTraceUser("into the window");
  char text[4096] = "";
  GetWindowTextA(task()->trace.getEditControl(), text, sizeof text);
  EXPECT_NE(std::string(text).find("jxTraceUser (\"into the window\")\r\n"), std::string::npos) << text;
  EXPECT_EQ(jxSetTraceOptions(3), 0);  // the window stays, nothing more goes into it
  jxTraceUser("only the file");
  GetWindowTextA(task()->trace.getEditControl(), text, sizeof text);
  EXPECT_EQ(std::string(text).find("only the file"), std::string::npos);
  EXPECT_EQ(t.lines().back(), "jxTraceUser (\"only the file\")");
}

// Lines written by several threads at once are whole lines, each thread's in its order.
TEST(TraceLines, SeveralThreadsNeverInterleave) {
  Traced t("dbapi_threads_trace.txt", 2);
  const int threads = 4, each = 150;
  std::vector<std::thread> workers;
  for (int w = 0; w < threads; ++w)
    workers.emplace_back([w] {
      for (int i = 0; i < each; ++i) {
        std::string text = "thread " + std::to_string(w) + " line " + std::to_string(i) + " " +
                           std::string(40 + (i * 7) % 60, static_cast<char>('a' + w));
        jxTraceUser(text.c_str());
      }
      jxLibTerm();
    });
  for (std::thread& w : workers) w.join();
  std::vector<int> next(threads, 0);
  int count = 0;
  for (const std::string& line : t.lines()) {
    int w = -1, i = -1;
    if (sscanf(line.c_str(), "jxTraceUser (\"thread %d line %d ", &w, &i) != 2) continue;
    ASSERT_TRUE(w >= 0 && w < threads) << line;
    EXPECT_EQ(i, next[w]) << line;
    next[w] = i + 1;
    std::string text = "thread " + std::to_string(w) + " line " + std::to_string(i) + " " +
                       std::string(40 + (i * 7) % 60, static_cast<char>('a' + w));
    EXPECT_EQ(line, "jxTraceUser (\"" + text + "\")");
    ++count;
  }
  EXPECT_EQ(count, threads * each);
}

// Connections made through the engine on the test DSN and put in the handle table as
// the connecting function will.
class Connections {
 public:
  explicit Connections(int n) {
    lib_task* k = task();
    for (int i = 0; i < n; ++i) {
      int16_t h = libAllocHandle(k, LIB_H_CONNECTION);
      cmg_capabilities* con = cmgLogon(k->env, nullptr, "DSN=OrvanelTest", 0);
      EXPECT_NE(con, nullptr) << i;
      k->handles[h]->engine = con;
      libCommitConnection(k, h);
      if (con) records.push_back(con);
    }
  }
  static SQLULEN tracing(cmg_capabilities* con) {
    SQLULEN value = 12345;
    SQLGetConnectOption(con->hdbc, SQL_OPT_TRACE, &value);
    return value;
  }
  std::vector<cmg_capabilities*> records;
};

// Switching the driver manager's tracing walks every connection of the table. (Under
// Wine the driver manager answers SQL_OPT_TRACE reads with 1 whatever was set and
// accepts the switch for any handle, so the switch is seen through the statuses only.)
TEST(TraceOptions, DriverTracingOnEveryConnection) {
  char folder[MAX_PATH];
  GetCurrentDirectoryA(sizeof folder, folder);
  std::string driverLog = std::string(folder) + "\\dbapi_driver_trace.log";
  DeleteFileA(driverLog.c_str());
  Traced t("dbapi_driver_api_trace.txt", 3);
  Connections c(2);
  ASSERT_EQ(c.records.size(), 2u);
  for (int16_t h = 1; h <= 2; ++h) EXPECT_EQ(jxSetDriverTracefile(h, driverLog.c_str()), 0) << h;
  EXPECT_EQ(jxSetTraceOptions(16 | 3), 0);
  EXPECT_EQ(jxSetTraceOptions(16 | 3), 0);  // no change: nothing switched
  EXPECT_EQ(jxSetTraceOptions(3), 0);
  EXPECT_EQ(jxSetDriverTracefile(7, "x.log"), 4101);  // not a connection handle

  DeleteFileA(driverLog.c_str());
}

// The exact texts of a session's calls.
TEST(TraceGolden, ASessionMatchesTheGoldenTrace) {
  const char* name = "dbapi_golden_trace.txt";
  DeleteFileA(name);
  ASSERT_EQ(jxTraceOn(name), 0);
  EXPECT_EQ(jxTraceOn("second.txt"), 4120);
  EXPECT_EQ(jxGetTraceOptions(), 3);
  EXPECT_EQ(jxTraceUser("a line of the program's own"), 0);
  EXPECT_EQ(jxSetTraceOptions(1), 0);
  EXPECT_EQ(jxTraceUser("not written"), 0);
  EXPECT_EQ(jxSetTraceOptions(3), 0);
  EXPECT_EQ(jxSetDriverTracefile(99, "driver.log"), 4101);
  EXPECT_EQ(jxErr(), 4101);
  EXPECT_EQ(jxDBErr(), 0);
  EXPECT_STREQ(jxErrMsg(), "The connection, statement, or query handle you provided is not valid.");
  EXPECT_EQ(jxTraceUser(nullptr), 0);
  EXPECT_EQ(jxTraceUser(""), 0);
  EXPECT_EQ(jxTraceOff(), 0);
  EXPECT_EQ(jxTraceOff(), 4122);  // no longer traced
  while (task()) jxLibTerm();
  std::string golden = readAll(std::string(DBAPI_TEST_DATA) + "\\golden\\api_trace.txt");
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(readAll(name), golden);
  DeleteFileA(name);
}

}  // namespace
