// Semaphores: settings from the environment, the kind decision with its limit
// accounting, the allocation boxes, and lock/unlock of both kinds.
#include "dbutil/jxsemaphore.h"

#include "dbutil/jxbos.h"
#include "dbutil/jxerror.h"
#include "dbutil/jxpertask.h"
#include "sem_internal.h"
#include "utl_globals.h"
#include "dbutil/utl_messages.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

namespace {

JxSemaphoreInfo g_info;
volatile LONG g_failCreations;

// Box texts, loaded once per process: captions in 80 bytes, the rest in 40.
struct BoxTexts {
  char poolCaption[80], perCaption[80], freeCaption[80];
  char requestType[40], allocatedType[40], realSem[40], spinSem[40];
  char osLimit[40], spinCount[40], yieldTime[40], allocError[40];
  bool loaded;
};
BoxTexts g_texts;

void loadTexts() {
  if (g_texts.loaded) return;
  HINSTANCE h = utlInstance();
  LoadStringA(h, MSG_SEM_POOL_CAPTION, g_texts.poolCaption, 80);
  LoadStringA(h, MSG_SEM_PER_CAPTION, g_texts.perCaption, 80);
  LoadStringA(h, MSG_SEM_FREE_CAPTION, g_texts.freeCaption, 80);
  LoadStringA(h, MSG_SEM_REQUEST_TYPE, g_texts.requestType, 40);
  LoadStringA(h, MSG_SEM_ALLOCATED_TYPE, g_texts.allocatedType, 40);
  LoadStringA(h, MSG_SEM_REAL, g_texts.realSem, 40);
  LoadStringA(h, MSG_SEM_SPIN, g_texts.spinSem, 40);
  LoadStringA(h, MSG_SEM_OS_LIMIT, g_texts.osLimit, 40);
  LoadStringA(h, MSG_SEM_SPIN_COUNT, g_texts.spinCount, 40);
  LoadStringA(h, MSG_SEM_YIELD_TIME, g_texts.yieldTime, 40);
  LoadStringA(h, MSG_SEM_ALLOC_ERROR, g_texts.allocError, 40);
  g_texts.loaded = true;
}

long readVariable(const char* name, long fallback) {
  const char* value = bosGetEnv(name);
  if (!value || !*value) return fallback;
  return strtol(value, nullptr, 10);
}

void box(const char* caption, const char* text) {
  MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

// The box naming the kind of one semaphore, when boxes are asked for. The caption is
// one of g_texts' captions, filled by loadTexts before it is read.
void kindBox(const char (&caption)[80], uint32_t system, const char* lineEnd) {
  if (!(g_info.control & JX_SEMCONTROL_BOXES)) return;
  loadTexts();
  char text[128];
  snprintf(text, sizeof text, "%s: %s%s", g_texts.allocatedType, system ? g_texts.realSem : g_texts.spinSem,
           lineEnd);
  box(caption, text);
}

void readSettings() {
  JxSemaphoreInfo& s = g_info;
  long count = readVariable("JX_SPIN_COUNT", 25);
  s.spinCount = count < 1 ? 1 : static_cast<int32_t>(count);
  long sleep = readVariable("JX_SPIN_SLEEP", 0);
  s.spinSleep = sleep < 0 ? 0 : static_cast<int32_t>(sleep);
  s.control = static_cast<uint32_t>(readVariable("JX_SEMCONTROL", 0));
  s.sysLeft = s.control & JX_SEMCONTROL_LIMIT_MASK;
  s.initialised = 1;
  if (s.control & JX_SEMCONTROL_BOXES) {
    loadTexts();
    char text[256];
    snprintf(text, sizeof text, "%s: %s\r\n%s: %d\r\n%s: %d\r\n%s: %d\r\n", g_texts.requestType,
             (s.control & JX_SEMCONTROL_SPIN_REQUEST) ? g_texts.spinSem : g_texts.realSem, g_texts.osLimit,
             static_cast<int>(s.control & JX_SEMCONTROL_LIMIT_MASK), g_texts.spinCount,
             static_cast<int>(s.spinCount), g_texts.yieldTime, static_cast<int>(s.spinSleep));
    box(g_texts.poolCaption, text);
  }
}

// Takes one place under the limit; false when none is left.
bool takePlace() {
  if ((g_info.control & JX_SEMCONTROL_LIMIT_MASK) == 0) return true;
  for (;;) {
    LONG left = g_info.sysLeft;
    if (left <= 0) return false;
    if (InterlockedCompareExchange(&g_info.sysLeft, left - 1, left) == left) return true;
  }
}

void givePlace() {
  if (g_info.control & JX_SEMCONTROL_LIMIT_MASK) InterlockedIncrement(&g_info.sysLeft);
}

HANDLE createSystemSemaphore() {
  if (g_failCreations > 0 && InterlockedDecrement(&g_failCreations) >= 0) return nullptr;
  // Maximum 1: a release of a semaphore nobody holds fails instead of letting two in.
  return CreateSemaphoreA(nullptr, 0, 1, nullptr);
}

}  // namespace

JxSemaphoreInfo& semSettings() { return g_info; }

void semResetSettings() { g_info = JxSemaphoreInfo(); }

void semFailNextCreations(int n) { InterlockedExchange(&g_failCreations, n); }

JxSemaphore::JxSemaphore() : owner_(0), system_(0), handle_(nullptr), lockWord_(0) { bosSemaphoreAlloc(); }

JxSemaphore::~JxSemaphore() { bosSemaphoreFree(); }

void JxSemaphore::bosSemaphoreAlloc() {
  if (!g_info.initialised) readSettings();
  handle_ = nullptr;
  if (takePlace()) {
    handle_ = createSystemSemaphore();
    if (!handle_) givePlace();  // a failed creation keeps no place
  }
  system_ = handle_ ? 1 : 0;
  lockWord_ = 0;
  kindBox(g_texts.perCaption, system_, "\r\n");
}

void JxSemaphore::bosSemaphoreFree() {
  kindBox(g_texts.freeCaption, system_, "\n");
  if (system_ && handle_) {
    CloseHandle(handle_);
    givePlace();
  }
  handle_ = nullptr;
  system_ = 0;
}

void JxSemaphore::lock() {
  if (system_) {
    // The first to count in holds the lock; the others sleep until handed over.
    if (InterlockedIncrement(&lockWord_) > 1) WaitForSingleObject(handle_, INFINITE);
    owner_ = GetCurrentThreadId();
  } else {
    bosSpinLock();
  }
}

void JxSemaphore::bosSpinLock() {
  for (;;) {
    for (int32_t i = 0; i < g_info.spinCount; ++i) {
      if (InterlockedExchange(&lockWord_, 1) == 0) {
        owner_ = GetCurrentThreadId();
        return;
      }
    }
    Sleep(static_cast<DWORD>(g_info.spinSleep));
  }
}

JxStatus JxSemaphore::unlock() {
  owner_ = 0;
  if (system_) {
    for (;;) {
      LONG held = lockWord_;
      if (held <= 0) break;
      if (InterlockedCompareExchange(&lockWord_, held - 1, held) != held) continue;
      if (held > 1 && !ReleaseSemaphore(handle_, 1, nullptr)) break;
      return 0;
    }
  } else if (bosMemUnLock(&lockWord_) != 0) {
    return 0;
  }
  utlErrorById(MSG_NOT_OWNER);
  return 1;
}

long bosMemUnLock(volatile long* word) { return InterlockedExchange(word, 0); }
