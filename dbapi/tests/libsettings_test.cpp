// The settings file and the explicit start and stop, on the static build: "JXLIB.INI" in
// the prefix's Windows directory, written by each case and removed after it; starts
// and stops on one thread and on two.
#include "dbapi/jxerrors.h"
#include "dbapi/jxlibinit.h"
#include "dbapi/jxlibtrace.h"
#include "libframe.h"
#include "libhandle.h"

#include "dbutil/jxpertask.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>
#include <thread>

namespace {

lib_task* task() { return static_cast<lib_task*>(mdsGetPerTaskData(PTD_API_TASK)); }

std::string windowsFile(const char* name) {
  char dir[MAX_PATH];
  GetWindowsDirectoryA(dir, sizeof dir);
  return std::string(dir) + "\\" + name;
}

std::string tempFile(const char* name) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  return std::string(dir) + name;
}

// Ends the library on this thread (the only one using it in these tests).
void endLibrary() {
  for (int i = 0; i < 4 && task(); ++i) jxLibTerm();
  ASSERT_EQ(task(), nullptr);
}

// Writes "JXLIB.INI" for one case and removes it afterwards; null text: no file.
class SettingsFile {
 public:
  explicit SettingsFile(const char* text) : path_(windowsFile("JXLIB.INI")) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str());  // drop cached copies
    DeleteFileA(path_.c_str());
    if (text) {
      std::ofstream out(path_, std::ios::binary);
      out << text;
    }
  }
  ~SettingsFile() {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str());
    DeleteFileA(path_.c_str());
  }

 private:
  std::string path_;
};

// The section whose name is empty is, for the profile functions, the lines before the
// first section header: that is where these files put its keys.

// Starts the library afresh with the file's settings.
lib_task* startWith(const char* text, int16_t* status = nullptr) {
  endLibrary();
  SettingsFile file(text);
  int16_t s = jxTraceUser("start");
  if (status) *status = s;
  return task();
}

// Everything the library allocated is given back when the last thread ends it: the
// task's heap is empty again. Runs first, while nothing else holds heap memory.
TEST(LibStartStop, TheLastTermFreesEverything) {
  ASSERT_EQ(task(), nullptr);
  ASSERT_EQ(mdsGetPerTaskData(PTD_HEAP), nullptr);
  SettingsFile none(nullptr);
  EXPECT_EQ(jxLibTerm(), 0);  // no earlier call: nothing is created
  EXPECT_EQ(task(), nullptr);
  EXPECT_EQ(mdsGetPerTaskData(PTD_HEAP), nullptr);
  EXPECT_EQ(mdsGetPerThreadData(PTH_API_THREAD), nullptr);

  ASSERT_EQ(jxLibInit(), 0);
  ASSERT_NE(task(), nullptr);
  int16_t h = libAllocHandle(task(), LIB_H_CONNECTION);
  ASSERT_GT(h, 0);
  libCommitConnection(task(), h);
  EXPECT_EQ(jxErrMsg() != nullptr, true);  // the thread's error text is made too
  EXPECT_EQ(jxLibTerm(), 0);
  EXPECT_EQ(task(), nullptr);
  EXPECT_EQ(mdsGetPerThreadData(PTH_API_THREAD), nullptr);
  EXPECT_EQ(mdsGetPerTaskData(PTD_THREAD_LIST), nullptr);
  EXPECT_EQ(mdsGetPerTaskData(PTD_HEAP), nullptr);
}

TEST(LibStartStop, ASecondInitEndsTheFirstStart) {
  endLibrary();
  SettingsFile none(nullptr);
  ASSERT_EQ(jxLibInit(), 0);
  lib_task* first = task();
  int16_t h = libAllocHandle(first, LIB_H_CONNECTION);
  libCommitConnection(first, h);
  lib_handle* record = nullptr;
  EXPECT_EQ(blbConvertHdbc(h, &record), 0);
  ASSERT_EQ(jxLibInit(), 0);
  ASSERT_NE(task(), nullptr);
  EXPECT_EQ(task()->threadCount, 1);
  EXPECT_EQ(blbConvertHdbc(h, &record), 4101);  // the old handles are gone
  EXPECT_EQ(record, nullptr);
  endLibrary();
}

// One thread's jxLibTerm leaves the library running for the other: its handle stays
// valid. The last one ends it.
TEST(LibStartStop, ATermOnOneThreadKeepsTheOthersHandles) {
  endLibrary();
  SettingsFile none(nullptr);
  ASSERT_EQ(jxLibInit(), 0);
  int16_t mine = libAllocHandle(task(), LIB_H_CONNECTION);
  libCommitConnection(task(), mine);
  int16_t theirs = 0;
  int16_t theirStatus = -99, theirTerm = -99;
  std::thread other([&] {
    theirStatus = jxTraceUser("other thread");
    theirs = libAllocHandle(task(), LIB_H_CONNECTION);
    libCommitConnection(task(), theirs);
    theirTerm = jxLibTerm();
  });
  other.join();
  EXPECT_EQ(theirStatus, 0);
  EXPECT_EQ(theirTerm, 0);
  ASSERT_NE(task(), nullptr);
  EXPECT_EQ(task()->threadCount, 1);
  lib_handle* record = nullptr;
  EXPECT_EQ(blbConvertHdbc(mine, &record), 0);
  EXPECT_NE(record, nullptr);
  EXPECT_EQ(blbConvertHdbc(theirs, &record), 0);  // a connection belongs to the process
  EXPECT_EQ(jxLibTerm(), 0);
  EXPECT_EQ(task(), nullptr);
}

// Without the settings file: Revision 2, escape processing 1, no default connect
// attributes, trace word 3 and no trace.
TEST(LibSettings, NoFileGivesTheDefaults) {
  lib_task* t = startWith(nullptr);
  ASSERT_NE(t, nullptr);
  ASSERT_NE(t->env, nullptr);
  EXPECT_EQ(t->env->revision, 2);
  EXPECT_EQ(t->env->escapeProcessing, 1);
  EXPECT_EQ(t->env->defaultConnect, nullptr);
  EXPECT_EQ(t->traceWord, 3);
  EXPECT_EQ(t->traceFile, nullptr);
  EXPECT_EQ(t->workArounds, 0);
  EXPECT_EQ(jxGetTraceOptions(), 3);
  endLibrary();
}

TEST(LibSettings, KeysAreLookedUpInTheEmptySectionThenInJxlib) {
  struct Case {
    const char* what;
    const char* text;
    uint16_t revision, escape, workArounds;
    const char* connect;
  } cases[] = {
      {"Revision 0 in the empty section falls through", "Revision=0\r\n[JXLIB]\r\nRevision=1\r\n", 1, 1, 0,
       nullptr},
      {"Revision 65535 counts as absent", "Revision=65535\r\n[JXLIB]\r\nRevision=1\r\n", 1, 1, 0, nullptr},
      {"Revision of the empty section wins", "Revision=1\r\n[JXLIB]\r\nRevision=3\r\n", 1, 1, 0, nullptr},
      {"ConnectString only in JXLIB is ignored", "[JXLIB]\r\nConnectString=DSN=Other\r\n", 2, 1, 0, nullptr},
      {"ConnectString of the empty section", "ConnectString=UID=me;PWD=x\r\n", 2, 1, 0, "UID=me;PWD=x"},
      {"EscapeProcessing 0 does not fall through", "EscapeProcessing=0\r\n[JXLIB]\r\nEscapeProcessing=5\r\n",
       2, 0, 0, nullptr},
      {"EscapeProcessing from JXLIB", "[JXLIB]\r\nEscapeProcessing=0\r\n", 2, 0, 0, nullptr},
      {"WorkArounds stored", "WorkArounds=2\r\n", 2, 1, 2, nullptr},
      {"WorkArounds from JXLIB", "[JXLIB]\r\nWorkArounds=3\r\n", 2, 1, 3, nullptr},
      {"unknown keys and odd lines are ignored",
       "garbage line\r\n[]\r\nNoSuchKey=7\r\n=\r\nRevision\r\n[JXLIB]\r\nTraceOptoins=9\r\n", 2, 1, 0,
       nullptr},
  };
  for (const Case& c : cases) {
    lib_task* t = startWith(c.text);
    ASSERT_NE(t, nullptr) << c.what;
    EXPECT_EQ(t->env->revision, c.revision) << c.what;
    EXPECT_EQ(t->env->escapeProcessing, c.escape) << c.what;
    EXPECT_EQ(t->workArounds, c.workArounds) << c.what;
    if (c.connect)
      EXPECT_STREQ(t->env->defaultConnect, c.connect) << c.what;
    else
      EXPECT_EQ(t->env->defaultConnect, nullptr) << c.what;
    EXPECT_EQ(t->traceWord, 3) << c.what;
  }
  endLibrary();
}

// "TraceOptions" 1 in the empty section and 9 in "JXLIB": 1 wins, calls are traced into
// the file and there is no window.
TEST(LibSettings, TraceOptionsOfTheEmptySectionStartTracing) {
  std::string trace = tempFile("ov_jxlib_settings_trace.txt");
  DeleteFileA(trace.c_str());
  std::string text = "TraceOptions=1\r\n[JXLIB]\r\nTraceOptions=9\r\nTraceFile=" + trace + "\r\n";
  lib_task* t = startWith(text.c_str());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->traceWord, LIB_TRACE_ACTIVE | 1);
  ASSERT_NE(t->traceFile, nullptr);
  EXPECT_EQ(t->traceFile, trace);  // "TraceFile" empty in the empty section: JXLIB's
  EXPECT_EQ(t->trace.getWindow(), nullptr);
  EXPECT_EQ(jxGetTraceOptions(), 1);
  endLibrary();
  std::ifstream in(trace, std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  EXPECT_EQ(all, "jxGetTraceOptions ()\r\njxGetTraceOptions returns (1)\r\n");
  DeleteFileA(trace.c_str());
}

// A trace file in a folder that does not exist: the first call fails with the writer's
// status; the environment stays and the settings are not read again.
TEST(LibSettings, ATraceFileThatCannotBeMadeFailsTheFirstCall) {
  std::string missing = tempFile("ov_no_such_folder\\sub\\trace.txt");
  std::string text = "TraceOptions=1\r\nTraceFile=" + missing + "\r\n";
  int16_t status = 0;
  lib_task* t = startWith(text.c_str(), &status);
  EXPECT_EQ(status, 1501);  // "Cannot create file '%s1'."
  ASSERT_NE(t, nullptr);
  EXPECT_NE(t->env, nullptr);
  std::string message = jxErrMsg();
  EXPECT_NE(message.find("trace.txt"), std::string::npos) << message;
  EXPECT_EQ(t->traceWord & LIB_TRACE_ACTIVE, 0);
  EXPECT_EQ(jxTraceUser("again"), 0);
  endLibrary();
}

}  // namespace
