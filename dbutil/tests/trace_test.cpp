// The trace on the DLL: its file lines, lines dropped without outputs, the trace window
// with its trimmed edit control, writeLine from several threads, and the window failure.
#include "dbutil/jxbos.h"
#include "dbutil/jxtrace.h"
#include "scoped_list.h"
#include "testkit/testkit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

HINSTANCE self() { return GetModuleHandleA(nullptr); }

std::string readFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> splitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  for (size_t e; (e = text.find("\r\n", at)) != std::string::npos; at = e + 2)
    lines.push_back(text.substr(at, e - at));
  EXPECT_EQ(at, text.size()) << "text after the last CR LF";
  return lines;
}

bool isStamp(const std::string& s) {
  const char* shape = "dd:dd:dd.dd ";
  if (s.size() < 12) return false;
  for (int i = 0; i < 12; ++i)
    if (shape[i] == 'd' ? !isdigit(static_cast<unsigned char>(s[i])) : s[i] != shape[i]) return false;
  return true;
}

std::string editText(HWND edit) {
  std::string s(GetWindowTextLengthA(edit) + 1, '\0');
  s.resize(GetWindowTextA(edit, &s[0], static_cast<int>(s.size())));
  return s;
}

TEST(Trace, FileLinesWithAndWithoutTimeStamps) {
  ScopedErrorList scope;
  testkit::TestDataDir dir("trace-file");
  std::string name = dir.File("trace.log");
  std::ofstream(name) << "old contents that must go\n";
  JxTrace t;
  EXPECT_EQ(t.getFlags(), static_cast<unsigned>(JxTrace::LINE_START | JxTrace::FLUSH));
  ASSERT_EQ(t.initialize(self(), 0, name.c_str()), 0);
  EXPECT_TRUE(t.getFlags() & JxTrace::ACTIVE);
  EXPECT_EQ(t.getWindow(), nullptr);
  EXPECT_EQ(readFile(name), "");  // created anew
  EXPECT_EQ(t.writeLine("first"), 0);
  EXPECT_EQ(readFile(name), "first\r\n");  // flushed after each line
  t.setFlags(t.getFlags() | JxTrace::TIME_STAMPS);
  t.writeLine("second");
  t.writeString("a");
  t.writeString("bx", 1);
  t.writeString(JxSubString("cde", 2));
  EXPECT_EQ(t.writeEol(), 0);
  t.writeEol();  // an empty line, stamped
  t.setFlags(t.getFlags() & ~JxTrace::TIME_STAMPS);
  t.writeEol();
  t.writeLine("last");
  t.resetTrace();
  EXPECT_FALSE(t.getFlags() & JxTrace::ACTIVE);
  std::vector<std::string> lines = splitCrLf(readFile(name));
  ASSERT_EQ(lines.size(), 6u);
  struct Expect {
    bool stamped;
    const char* text;
  } expect[] = {{false, "first"}, {true, "second"}, {true, "abcd"}, {true, ""}, {false, ""}, {false, "last"}};
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(isStamp(lines[i]), expect[i].stamped) << lines[i];
    EXPECT_EQ(lines[i].substr(expect[i].stamped ? 12 : 0), expect[i].text) << i;
  }
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(Trace, LinesWithoutFileOrWindowAreDropped) {
  ScopedErrorList scope;
  JxTrace idle;
  EXPECT_EQ(idle.writeLine("nowhere"), 0);
  JxTrace t;
  ASSERT_EQ(t.initialize(self(), 0, nullptr), 0);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(t.writeLine("dropped line"), 0);
  t.writeString("part");
  EXPECT_EQ(t.writeEol(), 0);
  EXPECT_EQ(t.getWindow(), nullptr);
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(TraceWindow, ClassEditControlAndTopMost) {
  ScopedErrorList scope;
  JxTrace t;
  ASSERT_EQ(t.initialize(self(), 1, nullptr), 0);
  HWND w = t.getWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(FindWindowA("JxTraceClass", "J+X Trace Window"), w);
  EXPECT_TRUE(IsWindowVisible(w));
  HWND e = t.getEditControl();
  ASSERT_EQ(GetParent(e), w);
  char cls[32];
  GetClassNameA(e, cls, sizeof cls);
  EXPECT_EQ(lstrcmpiA(cls, "Edit"), 0);
  LONG style = GetWindowLongA(e, GWL_STYLE);
  const LONG want = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY;
  EXPECT_EQ(style & want, want);
  EXPECT_EQ(SendMessageA(e, EM_GETLIMITTEXT, 0, 0), 32767);

  SetWindowPos(w, nullptr, 0, 0, 420, 300, SWP_NOMOVE | SWP_NOZORDER);
  RECT client, edit;
  GetClientRect(w, &client);
  GetWindowRect(e, &edit);
  EXPECT_EQ(edit.right - edit.left, client.right);
  EXPECT_EQ(edit.bottom - edit.top, client.bottom);

  t.writeLine("one");
  t.writeLine("two");
  EXPECT_EQ(editText(e), "one\r\ntwo\r\n");
  EXPECT_EQ(t.getEditCount(), 10u);

  t.setTopMost();
  EXPECT_TRUE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
  t.resetTopMost();
  EXPECT_FALSE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
  t.resetTrace();
  EXPECT_FALSE(IsWindow(w));

  // Options other than bit 0 make the window without sending lines to it.
  ASSERT_EQ(t.initialize(self(), 2, nullptr), 0);
  ASSERT_NE(t.getWindow(), nullptr);
  t.writeLine("not shown");
  EXPECT_EQ(editText(t.getEditControl()), "");
  t.setTraceToWindow();
  t.writeLine("shown");
  EXPECT_EQ(editText(t.getEditControl()), "shown\r\n");
  // Closed by the user: the trace lets go of it.
  DestroyWindow(t.getWindow());
  EXPECT_EQ(t.getWindow(), nullptr);
  EXPECT_EQ(t.writeLine("after close"), 0);
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(TraceWindow, TrimmedInStepsOfTenLines) {
  ScopedErrorList scope;
  JxTrace t;
  ASSERT_EQ(t.initialize(self(), 1, nullptr), 0);
  HWND e = t.getEditControl();
  // Lines of 500 characters with CR LF; 65 fit under 32768.
  const int total = 154;
  for (int i = 1; i <= total; ++i) {
    char line[512];
    snprintf(line, sizeof line, "line %05d %487d", i, 0);
    ASSERT_EQ(strlen(line), 498u);
    t.writeLine(line);
    ASSERT_LT(t.getEditCount(), 32768u);
  }
  std::string text = editText(e);
  EXPECT_EQ(text.size(), t.getEditCount());
  std::vector<std::string> lines = splitCrLf(text);
  ASSERT_FALSE(lines.empty());
  int first = atoi(lines.front().c_str() + 5);
  EXPECT_EQ(first % 10, 1) << lines.front();  // whole steps of ten lines went
  EXPECT_EQ(atoi(lines.back().c_str() + 5), total);
  EXPECT_EQ(static_cast<int>(lines.size()), total - first + 1);
  EXPECT_GT(lines.size(), 55u);
  // The newest line is in view.
  EXPECT_GT(SendMessageA(e, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  LRESULT lastStart = SendMessageA(e, EM_LINEINDEX, lines.size() - 1, 0);
  LRESULT pos = SendMessageA(e, EM_POSFROMCHAR, lastStart, 0);
  RECT client;
  GetClientRect(e, &client);
  int y = static_cast<short>(HIWORD(pos));
  EXPECT_TRUE(y >= 0 && y < client.bottom) << y;
  EXPECT_EQ(scope.list.getCount(), 0u);
}

struct Writer {
  JxTrace* trace;
  int id;
  HANDLE thread;
};

const int THREADS = 4, LINES_EACH = 40;

DWORD WINAPI writeLines(void* p) {
  Writer* w = static_cast<Writer*>(p);
  for (int i = 0; i < LINES_EACH; ++i) {
    char line[96];
    snprintf(line, sizeof line, "thread %d line %04d %s", w->id, i, "................................");
    w->trace->writeLine(line);
  }
  return 0;
}

// Lines of one thread come out whole and in order, never mixed with another's.
void checkWholeLines(const std::vector<std::string>& lines, size_t expectCount) {
  EXPECT_EQ(lines.size(), expectCount);
  int next[THREADS] = {};
  bool firstSeen[THREADS] = {};
  for (const std::string& l : lines) {
    int id = -1, i = -1;
    char tail[64] = {};
    ASSERT_EQ(sscanf(l.c_str(), "thread %d line %d %63s", &id, &i, tail), 3) << l;
    ASSERT_TRUE(id >= 0 && id < THREADS) << l;
    EXPECT_EQ(std::string(tail), std::string(32, '.')) << l;
    if (!firstSeen[id]) next[id] = i, firstSeen[id] = true;  // a trimmed window starts late
    EXPECT_EQ(i, next[id]) << l;
    next[id] = i + 1;
  }
}

TEST(TraceThreads, WriteLineIsAtomic) {
  ScopedErrorList scope;
  testkit::TestDataDir dir("trace-threads");
  std::string name = dir.File("threads.log");
  JxTrace t;
  ASSERT_EQ(t.initialize(self(), 1, name.c_str()), 0);
  Writer w[THREADS];
  for (int k = 0; k < THREADS; ++k) {
    w[k] = {&t, k, nullptr};
    w[k].thread = CreateThread(nullptr, 0, writeLines, &w[k], 0, nullptr);
  }
  // The window's thread handles the writers' edit-control messages while it waits.
  std::vector<HANDLE> running;
  for (const Writer& x : w) running.push_back(x.thread);
  DWORD start = GetTickCount();
  while (!running.empty() && GetTickCount() - start < 60000) {
    DWORD r = MsgWaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(), FALSE, 1000,
                                        QS_ALLINPUT);
    if (r < WAIT_OBJECT_0 + running.size()) {
      running.erase(running.begin() + (r - WAIT_OBJECT_0));
    } else {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
  }
  ASSERT_TRUE(running.empty());
  for (const Writer& x : w) CloseHandle(x.thread);
  std::string windowText = editText(t.getEditControl());
  t.resetTrace();
  checkWholeLines(splitCrLf(readFile(name)), THREADS * LINES_EACH);
  std::vector<std::string> shown = splitCrLf(windowText);
  checkWholeLines(shown, shown.size());
}

TEST(TraceWindow, FailureGives2719) {
  ScopedErrorList scope;
  JxTrace t;
  JxTrace::testFailWindowCreation(1);
  EXPECT_EQ(t.initialize(self(), 1, nullptr), 1);
  EXPECT_EQ(scope.lastNumber(), 2719);
  EXPECT_STREQ(JxErrorKeeper::getLastError()->getText(), "Could not create trace window.");
  EXPECT_EQ(t.getWindow(), nullptr);
  EXPECT_FALSE(t.getFlags() & JxTrace::ACTIVE);
  JxErrorKeeper::clearLastError();
  ASSERT_EQ(t.initialize(self(), 0, nullptr), 0);
  JxTrace::testFailWindowCreation(1);
  EXPECT_EQ(t.setTraceToWindow(), 1);
  EXPECT_EQ(scope.lastNumber(), 2719);
  EXPECT_FALSE(t.getFlags() & JxTrace::TO_WINDOW);
  EXPECT_EQ(FindWindowA("JxTraceClass", "J+X Trace Window"), nullptr);
}

}  // namespace
