// Per-task slots, per-thread slots and the thread list, on the DLLs.
#include "dbutil/jxpertask.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// Must run first in the process: nothing has called mdsPerTaskInit yet.
TEST(TaskData, TaskIsInitialisedRightAfterLoad) {
  EXPECT_EQ(mdsIsTaskInit(), 1);
  EXPECT_EQ(mdsGetTaskInfo()->useCount, 1);
  EXPECT_EQ(mdsPerTaskInit(), 1);
  EXPECT_EQ(mdsGetTaskInfo()->useCount, 2);
  mdsPerTaskTerm();
  mdsPerTaskTerm();
  EXPECT_EQ(mdsIsTaskInit(), 0);
  mdsPerTaskInit();
  EXPECT_EQ(mdsIsTaskInit(), 1);
}

TEST(TaskData, SlotTable) {
  // Slot 0 is the heap (in use by now), 10 the thread list (empty: no thread
  // registered), the others are free or left to their users.
  EXPECT_EQ(mdsGetPerTaskData(PTD_THREAD_LIST), nullptr);
  EXPECT_EQ(mdsGetTaskInfo(), mdsGetTaskInfo());
  for (int slot : {1, 2, 3, 4, 5, 6, 7, 8, 9}) {
    PerTaskData s = static_cast<PerTaskData>(slot);
    void* old = mdsGetPerTaskData(s);
    int marker;
    mdsSetPerTaskData(s, &marker);
    EXPECT_EQ(mdsGetPerTaskData(s), &marker) << slot;
    EXPECT_EQ(mdsGetPerTaskDataAddress(s), &mdsGetTaskInfo()->slots[slot]) << slot;
    EXPECT_EQ(*mdsGetPerTaskDataAddress(s), &marker) << slot;
    mdsSetPerTaskData(s, old);
  }
  EXPECT_EQ(mdsGetPerTaskData(static_cast<PerTaskData>(11)), nullptr);
  EXPECT_EQ(mdsGetPerTaskDataAddress(static_cast<PerTaskData>(-1)), nullptr);
}

TEST(TaskData, CountDBLibInits) {
  struct Step {
    short flag;
    unsigned short result;
    intptr_t stored;
  } steps[] = {{1, 0, 1}, {1, 1, 2}, {0, 1, 1}, {0, 0, 0}};
  for (const Step& s : steps) {
    EXPECT_EQ(countDBLibInits(s.flag), s.result) << "flag " << s.flag;
    EXPECT_EQ(reinterpret_cast<intptr_t>(mdsGetPerTaskData(PTD_INIT_COUNT)), s.stored);
  }
}

TEST(ThreadData, FreshThreadReadsNullAndRegistersNothing) {
  void* seen = reinterpret_cast<void*>(1);
  void** address = reinterpret_cast<void**>(1);
  short init = -1;
  std::thread t([&] {
    seen = mdsGetPerThreadData(PTH_ERROR_LIST);
    address = mdsGetPerThreadDataAddress(PTH_API_THREAD);
    init = mdsIsThreadInit();
  });
  t.join();
  EXPECT_EQ(seen, nullptr);
  EXPECT_EQ(address, nullptr);
  EXPECT_EQ(init, 0);
  EXPECT_EQ(mdsGetPerTaskData(PTD_THREAD_LIST), nullptr);
}

TEST(ThreadData, InitInitTermTermOnSeveralThreads) {
  const int kThreads = 6;
  std::atomic<int> arrived{0}, failures{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      int mine = i;
      auto expect = [&](bool ok) {
        if (!ok) ++failures;
      };
      expect(mdsPerThreadInit() == 1);
      expect(mdsPerThreadInit() == 1);
      mdsSetPerThreadData(PTH_API_THREAD, &mine);
      ++arrived;
      while (arrived < kThreads) Sleep(1);  // all registered at once
      expect(mdsGetPerTaskData(PTD_THREAD_LIST) != nullptr);
      expect(static_cast<JxThreadInfo*>(mdsGetPerTaskData(PTD_THREAD_LIST))->getCount() >= 1);
      expect(mdsGetPerThreadData(PTH_API_THREAD) == &mine);
      mdsPerThreadTerm();
      expect(mdsIsThreadInit() == 1);
      expect(mdsGetPerThreadData(PTH_API_THREAD) == &mine);
      mdsPerThreadTerm();
      expect(mdsIsThreadInit() == 0);
      expect(mdsGetPerThreadData(PTH_API_THREAD) == nullptr);
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(mdsGetPerTaskData(PTD_THREAD_LIST), nullptr);
}

TEST(ThreadData, ListHoldsEveryRegisteredThread) {
  ASSERT_EQ(mdsPerThreadInit(), 1);
  JxThreadInfo* head = static_cast<JxThreadInfo*>(mdsGetPerTaskData(PTD_THREAD_LIST));
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->key, 0u);
  EXPECT_EQ(head->getCount(), 1u);
  EXPECT_EQ(static_cast<JxThreadInfo*>(head->first())->key, bosGetThreadID());
  std::thread t([] {
    mdsSetPerThreadData(PTH_ERROR_LIST, reinterpret_cast<void*>(8));  // registers
    EXPECT_EQ(mdsIsThreadInit(), 1);
    EXPECT_EQ(static_cast<JxThreadInfo*>(mdsGetPerTaskData(PTD_THREAD_LIST))->getCount(), 2u);
    mdsPerThreadTerm();
  });
  t.join();
  EXPECT_EQ(head->getCount(), 1u);
  mdsPerThreadTerm();
  EXPECT_EQ(mdsGetPerTaskData(PTD_THREAD_LIST), nullptr);
  EXPECT_EQ(bosGetProcessID(), GetCurrentProcessId());
}

}  // namespace

namespace {

// The library and heap semaphores are made while JXUTL04.dll loads and take their
// places under the "JX_SEMCONTROL" limit first.
TEST(LoadTime, SemaphoreLimitCountsTheLibrarysOwn) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string probe(path);
  probe = probe.substr(0, probe.find_last_of('\\') + 1) + "dbutil_semprobe.exe";
  struct Case {
    const char* control;
    DWORD kind;
  } cases[] = {{nullptr, 10}, {"2", 20}, {"3", 10}, {"256", 10}};
  for (const Case& c : cases) {
    SetEnvironmentVariableA("JX_SEMCONTROL", c.control);
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi;
    std::string cmd = "\"" + probe + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_EQ(code, c.kind) << (c.control ? c.control : "(absent)");
  }
  SetEnvironmentVariableA("JX_SEMCONTROL", nullptr);
}

}  // namespace
