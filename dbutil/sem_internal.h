// The process-wide semaphore settings, for the semaphore code and its tests.
#pragma once

#include "dbutil/jxtypes.h"

struct JxSemaphoreInfo {
  int32_t spinSleep;      // ms slept after an unsuccessful series of tries
  int32_t spinCount;      // tries per series, at least 1
  volatile long sysLeft;  // system semaphores still allowed when a limit is set
  uint32_t control;       // "JX_SEMCONTROL"
  int32_t initialised;
};

JxSemaphoreInfo& semSettings();
// Forgets the settings so that the next allocation reads the environment again.
void semResetSettings();
// Makes the next n system semaphore creations fail.
void semFailNextCreations(int n);
