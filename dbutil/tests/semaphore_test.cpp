// Semaphores (static build of the sources, so that the settings can be read again for
// each case): the environment settings, the kind decision and its limit, the
// allocation boxes, mutual exclusion of both kinds, and the refused unbalanced unlock.
#include "dbutil/jxsemaphore.h"
#include "scoped_list.h"
#include "sem_internal.h"
#include "testkit/testkit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Env {
  const char* count;
  const char* sleep;
  const char* control;
};

// Sets the three variables (null: absent) and makes the next allocation read them.
void useEnvironment(const Env& env) {
  SetEnvironmentVariableA("JX_SPIN_COUNT", env.count);
  SetEnvironmentVariableA("JX_SPIN_SLEEP", env.sleep);
  SetEnvironmentVariableA("JX_SEMCONTROL", env.control);
  semResetSettings();
}

class Semaphores : public ::testing::Test {
 protected:
  void TearDown() override { useEnvironment({nullptr, nullptr, nullptr}); }
};

TEST_F(Semaphores, SettingsFromTheEnvironment) {
  struct Case {
    Env env;
    int count, sleep;
    uint32_t control;
  } cases[] = {
      {{nullptr, nullptr, nullptr}, 25, 0, 0},   {{"0", nullptr, nullptr}, 1, 0, 0},
      {{"-4", "-1", nullptr}, 1, 0, 0},          {{"7", "5", "2"}, 7, 5, 2},
      {{"100", "0", "131075"}, 100, 0, 0x20003},
  };
  testkit::BoxAnswerer boxes;
  for (const Case& c : cases) {
    useEnvironment(c.env);
    JxSemaphore s;
    EXPECT_EQ(semSettings().spinCount, c.count);
    EXPECT_EQ(semSettings().spinSleep, c.sleep);
    EXPECT_EQ(semSettings().control, c.control);
  }
}

TEST_F(Semaphores, LimitOfSystemSemaphores) {
  useEnvironment({nullptr, nullptr, "2"});
  std::unique_ptr<JxSemaphore> a(new JxSemaphore), b(new JxSemaphore), c(new JxSemaphore);
  EXPECT_TRUE(a->isSystem());
  EXPECT_TRUE(b->isSystem());
  EXPECT_FALSE(c->isSystem());
  a.reset();  // gives its place back
  std::unique_ptr<JxSemaphore> d(new JxSemaphore), e(new JxSemaphore);
  EXPECT_TRUE(d->isSystem());
  EXPECT_FALSE(e->isSystem());
}

TEST_F(Semaphores, FailedCreationGivesItsPlaceBack) {
  useEnvironment({nullptr, nullptr, "1"});
  semFailNextCreations(1);
  std::unique_ptr<JxSemaphore> a(new JxSemaphore), b(new JxSemaphore);
  EXPECT_FALSE(a->isSystem());  // silently a spin lock
  EXPECT_TRUE(b->isSystem());   // the one place is still there
}

TEST_F(Semaphores, NoVariablesAllSystemAndNoBox) {
  testkit::BoxAnswerer boxes;
  useEnvironment({nullptr, nullptr, nullptr});
  std::vector<std::unique_ptr<JxSemaphore>> all;
  for (int i = 0; i < 40; ++i) all.emplace_back(new JxSemaphore);
  for (auto& s : all) EXPECT_TRUE(s->isSystem());
  all.clear();
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Semaphores, AllocationBoxes) {
  // Each box costs the display about two seconds: few boxes.
  {
    testkit::BoxAnswerer boxes;
    useEnvironment({nullptr, nullptr, "589825"});  // 0x90001: names the spin lock type
    { JxSemaphore one; }
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_NE(boxes.Boxes()[0].text.find("Semaphore Request Type: Spin Lock Semaphore"), std::string::npos);
    EXPECT_NE(boxes.Boxes()[1].text.find("Real System Semaphore"), std::string::npos);
  }
  struct Case {
    const char* control;
    const char* request;
  } cases[] = {
      {"65537", "Semaphore Request Type: Real System Semaphore"},
  };
  for (const Case& c : cases) {
    testkit::BoxAnswerer boxes;
    useEnvironment({"0", "3", c.control});
    { JxSemaphore first, second; }
    const auto& got = boxes.Boxes();
    ASSERT_EQ(got.size(), 5u) << c.control;
    EXPECT_EQ(got[0].caption, "Semaphore Pool Allocation Information");
    EXPECT_NE(got[0].text.find(c.request), std::string::npos) << got[0].text;
    EXPECT_NE(got[0].text.find("Semaphore OS Limit: 1"), std::string::npos) << got[0].text;
    EXPECT_NE(got[0].text.find("Semaphore Spin Count: 1"), std::string::npos) << got[0].text;
    EXPECT_NE(got[0].text.find("Semaphore Thread yield time: 3"), std::string::npos) << got[0].text;
    EXPECT_EQ(got[1].caption, "Per Semaphore Allocation Information");
    EXPECT_NE(got[1].text.find("Semaphore Allocated Type: Real System Semaphore"), std::string::npos);
    EXPECT_EQ(got[2].caption, "Per Semaphore Allocation Information");
    EXPECT_NE(got[2].text.find("Semaphore Allocated Type: Spin Lock Semaphore"), std::string::npos);
    EXPECT_EQ(got[3].caption, "Per Semaphore Deallocation Information");  // second goes first
    EXPECT_NE(got[3].text.find("Spin Lock Semaphore"), std::string::npos);
    EXPECT_NE(got[4].text.find("Real System Semaphore"), std::string::npos);
  }
}

// Threads, started together, add one to a plain counter in a window that gives the
// processor away between read and write: without the lock, updates are lost.
long hammer(JxSemaphore* lock, int threads, int rounds) {
  volatile long counter = 0;
  std::atomic<int> ready{0};
  std::vector<std::thread> all;
  for (int t = 0; t < threads; ++t) {
    all.emplace_back([&] {
      ++ready;
      while (ready < threads) Sleep(0);
      for (int i = 0; i < rounds; ++i) {
        if (lock) lock->lock();
        long v = counter;
        if (i % 8 == 0) Sleep(i % 256 == 0 ? 1 : 0);
        counter = v + 1;
        if (lock) lock->unlock();
      }
    });
  }
  for (auto& t : all) t.join();
  return counter;
}

TEST_F(Semaphores, MutualExclusionOfBothKinds) {
  const int kThreads = 4, kRounds = 4000;
  bool lost = false;  // the lock matters: without it updates get lost
  for (int attempt = 0; attempt < 5 && !lost; ++attempt)
    lost = hammer(nullptr, kThreads, kRounds) < kThreads * kRounds;
  EXPECT_TRUE(lost);
  struct Case {
    Env env;
    bool system;
  } cases[] = {
      {{nullptr, nullptr, nullptr}, true},
      {{"25", "0", "1"}, false},  // the first takes the one place: the second spins
      {{"0", "1", "1"}, false},   // spin count 0 acts as 1
  };
  for (const Case& c : cases) {
    useEnvironment(c.env);
    JxSemaphore first, lock;
    ASSERT_EQ(lock.isSystem(), c.system);
    EXPECT_EQ(hammer(&lock, kThreads, kRounds), kThreads * kRounds) << "system " << c.system;
  }
}

TEST_F(Semaphores, UnbalancedUnlockIsRefused) {
  for (const char* control : {"0", "1"}) {
    useEnvironment({nullptr, nullptr, control});
    JxSemaphore first, s;  // with "1" the second is a spin lock
    ScopedErrorList errors;
    EXPECT_EQ(s.unlock(), 1);
    EXPECT_EQ(errors.lastNumber(), 1519);
    JxErrorKeeper::clearLastError();
    // The lock still lets one thread in at a time.
    s.lock();
    std::atomic<bool> entered{false};
    std::thread other([&] {
      s.lock();
      entered = true;
      s.unlock();
    });
    Sleep(150);
    EXPECT_FALSE(entered) << "control " << control;
    EXPECT_EQ(s.unlock(), 0);
    other.join();
    EXPECT_TRUE(entered);
    EXPECT_EQ(s.unlock(), 1);
    EXPECT_EQ(errors.lastNumber(), 1519);
  }
}

}  // namespace
