// The call frame on the static build: entry and exit steps, the statuses they derive,
// per-thread outcomes, the result buffer, the trace hooks and the joined messages.
#include "dbapi/jxerrors.h"
#include "libframe.h"
#include "libmessages.h"

#include "dbsql/sqlmessages.h"
#include "dbutil/jxpertask.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <functional>
#include <string>

namespace {

// One status function whose work is given by the test.
int16_t call(const std::function<void()>& work, unsigned flags = 0) {
  return libStatusCall(
      flags, "testCall", [](lib_task* task) { libTraceLine(task, "testCall ()"); },
      [&](lib_task*, lib_thread*) { work(); });
}

lib_task* task() { return static_cast<lib_task*>(mdsGetPerTaskData(PTD_API_TASK)); }

void engineError(unsigned short n, unsigned long native = 0) {
  JxErrorKeeper::addDatabaseError(n, native, "engine text", JX_ERROR);
}
void engineWarning(unsigned short n) { JxErrorKeeper::addDatabaseError(n, 0, "engine warning", JX_WARNING); }

TEST(Frame, FirstCreatingCallStartsTheEngine) {
  EXPECT_EQ(call([] {}), 0);
  ASSERT_NE(task(), nullptr);
  EXPECT_GE(task()->slotCount, LIB_FIRST_SLOTS);
  ASSERT_NE(task()->env, nullptr);
  EXPECT_EQ(task()->env->callerFlags, CMG_API_CALLER);
  EXPECT_EQ(task()->env->revision, 2);
  EXPECT_EQ(task()->traceWord, LIB_TRACE_DEFAULT);
  EXPECT_GE(task()->threadCount, 1);
  // The error list is current only during a call.
  EXPECT_EQ(JxErrorKeeper::getErrorList(), nullptr);
}

TEST(Frame, EachCallStartsWithAnEmptyList) {
  EXPECT_EQ(call([] { libErrorById(LIBMSG_INVALID_HANDLE); }), 4101);
  EXPECT_EQ(call([] {
              EXPECT_EQ(JxErrorKeeper::getErrorList()->getCount(), 0u);
              libErrorById(LIBMSG_INVALID_COLUMN);
            }),
            4103);
  EXPECT_EQ(jxErr(), 4103);
  EXPECT_STREQ(jxErrMsg(),
               "You provided an invalid column number.  Column numbers must be "
               "between 1 and the number of columns returned by the SELECT statement.");
  EXPECT_EQ(call([] {}), 0);
  EXPECT_EQ(jxErr(), 0);
  EXPECT_STREQ(jxErrMsg(), "");
}

TEST(Frame, ReadingTheOutcomeAgainGivesTheSameAnswers) {
  EXPECT_EQ(call([] { engineError(4, 1234); }), JXS_DRIVER_NATIVE);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(jxErr(), JXS_DRIVER_NATIVE);
    EXPECT_EQ(jxDBErr(), 1234);
    EXPECT_STREQ(jxErrMsg(), "engine text");
    EXPECT_EQ(jxWarning(), 0);
  }
}

TEST(Frame, NewestErrorIsTheStatus) {
  EXPECT_EQ(call([] {
              libErrorById(LIBMSG_INVALID_HANDLE);
              *libErrorById(LIBMSG_HANDLE_BUSY) << 7l;
            }),
            4165);
  EXPECT_STREQ(jxErrMsg(),
               "The handle ('7') is being used by another task.\n"
               "The connection, statement, or query handle you provided is not valid.");
  char buffer[JX_ERRMSG_SIZE];
  EXPECT_EQ(jxErrMsgBuf(buffer), 4165);
  EXPECT_STREQ(buffer, jxErrMsg());
  EXPECT_EQ(jxErr(), 4165);
}

TEST(Frame, ExitMapping) {
  struct Case {
    const char* name;
    unsigned short number;
    bool warning;
    unsigned long native;
    uint16_t workArounds;
    int16_t status;
    int16_t warningNumber;
    int32_t nativeError;
  } cases[] = {
      {"end of data", 4530, false, 0, 0, -5, 0, 0},
      {"cancelled logon", 2101, false, 0, 0, -4, 0, 0},
      {"driver error", 4535, false, 0, 0, 4149, 0, 0},
      {"driver warning", 4536, true, 0, 0, 0, 4150, 0},
      {"aborted", 4507, false, 0, 0, 2, 0, 0},
      {"native 4018", 4, false, 4018, 0, 2, 0, 4018},
      {"native code", 4, false, 77, 0, 4, 0, 77},
      {"native 4036", 4, false, 4036, 0, 4, 0, 4036},
      {"native 4036 worked round", 4, false, 4036, LIB_WA_NATIVE_4036, 4, 0, 1052},
      {"other numbers pass", 1509, false, 0, 0, 1509, 0, 0},
      {"out of memory", 65533, false, 0, 0, -3, 0, 0},
  };
  for (const Case& c : cases) {
    task()->workArounds = c.workArounds;
    int16_t status = call([&] {
      if (c.warning)
        engineWarning(c.number);
      else
        engineError(c.number, c.native);
    });
    task()->workArounds = 0;
    EXPECT_EQ(status, c.status) << c.name;
    EXPECT_EQ(jxErr(), c.status) << c.name;
    EXPECT_EQ(jxWarning(), c.warningNumber) << c.name;
    EXPECT_EQ(jxDBErr(), c.nativeError) << c.name;
  }
}

TEST(Frame, LoneTruncationWarningUnderEachRevision) {
  for (uint16_t revision : {1, 2}) {
    task()->env->revision = revision;
    int16_t status = call([] { libWarningById(65535); });
    EXPECT_EQ(status, revision == 1 ? -1 : 0);
    EXPECT_EQ(jxErr(), status);
    EXPECT_EQ(jxWarning(), -1);
    EXPECT_STREQ(jxErrMsg(), "Data truncated.");
  }
  task()->env->revision = 2;
}

TEST(Frame, MemoryFailureOfACallIsItsStatus) {
  EXPECT_EQ(call([] { JxErrorKeeper::addMemoryError(); }), 30190);
  EXPECT_STREQ(jxErrMsg(), "Out of memory.");
}

struct ThreadOutcome {
  unsigned short number;
  int rounds;
  int mixed;
};

DWORD WINAPI ownErrors(void* p) {
  ThreadOutcome* o = static_cast<ThreadOutcome*>(p);
  for (int i = 0; i < o->rounds; ++i) {
    int16_t s = call([&] {
      libErrorById(o->number);
      Sleep(0);
    });
    const char* text = jxErrMsg();
    char expected[LIB_MESSAGE_SIZE];
    libLoadMessage(expected, o->number);
    if (s != o->number || jxErr() != o->number || !text || strcmp(text, expected) != 0) ++o->mixed;
  }
  return 0;
}

TEST(Frame, ThreadsNeverSeeEachOthersErrors) {
  uint16_t threadsBefore = task()->threadCount;
  ThreadOutcome a = {LIBMSG_INVALID_HANDLE, 200, 0}, b = {LIBMSG_HANDLE_BUSY, 200, 0};
  HANDLE threads[] = {CreateThread(nullptr, 0, ownErrors, &a, 0, nullptr),
                      CreateThread(nullptr, 0, ownErrors, &b, 0, nullptr)};
  WaitForMultipleObjects(2, threads, TRUE, INFINITE);
  for (HANDLE t : threads) CloseHandle(t);
  EXPECT_EQ(a.mixed, 0);
  EXPECT_EQ(b.mixed, 0);
  EXPECT_EQ(task()->threadCount, threadsBefore + 2);
  // This thread's outcome is its own.
  EXPECT_EQ(call([] {}), 0);
  EXPECT_EQ(jxErr(), 0);
}

TEST(Frame, ResultBufferGrowsOnDemand) {
  lib_task* t;
  lib_thread* thread;
  ASSERT_EQ(libEnter(&t, &thread, LIB_RESULT_40), 0);
  EXPECT_GE(thread->resultSize, 40u);
  std::string big(3000, 'r');
  EXPECT_EQ(libCopyResult(thread, big.c_str(), static_cast<uint32_t>(big.size() + 1)), 0);
  EXPECT_GE(thread->resultSize, 3001u);
  EXPECT_EQ(std::string(thread->result), big);
  EXPECT_EQ(libExit(t, thread), 0);
}

TEST(Messages, NewestThirtyTwoCutAt511) {
  // 40 errors of 20 characters each ("error number NN ...").
  EXPECT_EQ(call([] {
              for (int i = 0; i < 40; ++i) {
                char text[32];
                snprintf(text, sizeof text, "error number %02d ...", i);
                JxErrorKeeper::addError(new JxError(static_cast<unsigned short>(5000 + i), text));
              }
            }),
            5039);
  std::string joined = jxErrMsg();
  EXPECT_EQ(joined.size(), 511u);
  EXPECT_EQ(joined.substr(0, 40), "error number 39 ...\nerror number 38 ...\n");
  // 25 whole texts and lines fit in 511 characters; the 26th is cut.
  EXPECT_EQ(joined.find("error number 07"), std::string::npos);
  EXPECT_NE(joined.find("error number 15"), std::string::npos);

  // Fewer, shorter errors: the newest 32 of 40, all of them shown.
  EXPECT_EQ(call([] {
              for (int i = 0; i < 40; ++i) {
                char text[8];
                snprintf(text, sizeof text, "e%02d", i);
                JxErrorKeeper::addError(new JxError(static_cast<unsigned short>(5000 + i), text));
              }
            }),
            5039);
  joined = jxErrMsg();
  EXPECT_EQ(joined.substr(0, 8), "e39\ne38\n");
  EXPECT_EQ(joined.substr(joined.size() - 3), "e08");
  EXPECT_EQ(joined.size(), 32u * 4 - 1);
}

TEST(Messages, WarningsOnlyWhenNoErrorOccurred) {
  EXPECT_EQ(call([] {
              engineWarning(4536);
              libErrorById(LIBMSG_INVALID_HANDLE);
            }),
            4101);
  EXPECT_STREQ(jxErrMsg(), "The connection, statement, or query handle you provided is not valid.");
  EXPECT_EQ(jxWarning(), 4150);
  EXPECT_EQ(call([] { engineWarning(4536); }), 0);
  EXPECT_EQ(jxWarning(), 4150);
  EXPECT_STREQ(jxErrMsg(), "engine warning");
}

TEST(Messages, NumberWithoutTextStillCounts) {
  EXPECT_EQ(call([] { libErrorById(4107); }), 4107);
  EXPECT_STREQ(jxErrMsg(), "");
  EXPECT_EQ(call([] {
              libErrorById(4107);
              libErrorById(LIBMSG_INVALID_HANDLE);
              libErrorById(4108);
            }),
            4108);
  EXPECT_STREQ(jxErrMsg(), "\nThe connection, statement, or query handle you provided is not valid.\n");
}

TEST(Frame, TaskTerminationEndsTheEngineAndTheNextCallStartsAgain) {
  ASSERT_EQ(call([] {}), 0);
  cmgInfo* before = task()->env;
  ASSERT_NE(before, nullptr);
  // The settings step's termination destroys the calling thread's record first.
  lib_thread* thread = static_cast<lib_thread*>(mdsGetPerThreadData(PTH_API_THREAD));
  mdsSetPerThreadData(PTH_API_THREAD, nullptr);
  delete thread;
  libTaskTerm();
  EXPECT_EQ(task(), nullptr);
  EXPECT_EQ(jxErr(), JXS_NO_TASK);
  EXPECT_EQ(call([] { libErrorById(LIBMSG_INVALID_HANDLE); }), 4101);
  ASSERT_NE(task(), nullptr);
  EXPECT_NE(task()->env, nullptr);
  EXPECT_EQ(task()->threadCount, 1);
  EXPECT_EQ(task()->slotCount, LIB_FIRST_SLOTS);
  EXPECT_EQ(jxErr(), 4101);
}

TEST(Trace, CallAndReturnLines) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  std::string file = std::string(dir) + "ov_api_trace.txt";
  lib_task* t = task();
  ASSERT_EQ(t->trace.initialize(GetModuleHandleA(nullptr), 0, file.c_str()), 0);
  t->traceWord = LIB_TRACE_ACTIVE | LIB_TRACE_CALLS;
  EXPECT_EQ(call([] { engineError(4, 99); }), 4);
  EXPECT_EQ(jxErr(), 4);
  t->traceWord = LIB_TRACE_DEFAULT;
  EXPECT_EQ(call([] {}), 0);  // not traced
  t->trace.resetTrace();
  std::ifstream in(file, std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(all,
            "testCall ()\r\ntestCall returns (4)\r\ntestCall DBErr is (99)\r\n"
            "jxErr returns (4)\r\njxErr DBErr is (99)\r\n");
  in.close();
  DeleteFileA(file.c_str());
}

}  // namespace
