// The semaphore settings come through bosGetEnv: a variable whose name only begins with
// a setting's name is not that setting.
#include "dbutil/jxsemaphore.h"
#include "sem_internal.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(SemaphoreEnvironment, LongerNamesAreOtherVariables) {
  struct Case {
    const char *name, *value;
    int count, sleep;
  } cases[] = {
      {"JX_SPIN_COUNTER", "99", 25, 0},
      {"JX_SPIN_COUNT1", "99", 25, 0},  // "JX_SPIN_COUNT1=" sorts before "JX_SPIN_COUNT="
      {"JX_SPIN_SLEEPY", "40", 25, 0},
      {"jx_spin_count", "12", 12, 0},  // the name in any case is the variable itself
  };
  for (const Case& c : cases) {
    SetEnvironmentVariableA(c.name, c.value);
    semResetSettings();
    JxSemaphore s;
    EXPECT_EQ(semSettings().spinCount, c.count) << c.name;
    EXPECT_EQ(semSettings().spinSleep, c.sleep) << c.name;
    SetEnvironmentVariableA(c.name, nullptr);
  }
  semResetSettings();
}

}  // namespace
