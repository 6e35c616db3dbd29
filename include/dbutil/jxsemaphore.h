// JxSemaphore: the one mutual-exclusion object of the database library. Each instance is
// a system semaphore or a spin lock on a word, decided at allocation from settings read
// once per process from "JX_SPIN_COUNT", "JX_SPIN_SLEEP" and "JX_SEMCONTROL".
//
// A system semaphore here is a word counting the holder and its waiters, with a system
// semaphore (maximum count 1) to sleep on only when the lock is contended. Not
// re-entrant: a thread that locks twice waits for itself.
#pragma once

#include "dbutil/jxobject.h"

class JXUTL04_API JxSemaphore : public JxObject {
 public:
  JxSemaphore();
  ~JxSemaphore() override;

  // Decides the kind and creates the system semaphore (a spin lock when none is allowed
  // or its creation fails).
  void bosSemaphoreAlloc();
  // Closes the system semaphore and gives its place back.
  void bosSemaphoreFree();

  void lock();
  // 1, with message 1519 on the error list, when the semaphore was not held.
  JxStatus unlock();
  void bosSpinLock();

  int isSystem() const { return system_ != 0; }

 private:
  volatile uint32_t owner_;  // thread id of the holder; 0 when free
  uint32_t system_;          // 1 = system semaphore
  void* handle_;
  volatile long lockWord_;  // spin lock: 0 free, 1 held; system: holder plus waiters
};

// Atomically exchanges 0 into the word; answers the value it held.
JXUTL04_API long bosMemUnLock(volatile long* word);

// Bits of "JX_SEMCONTROL".
enum { JX_SEMCONTROL_LIMIT_MASK = 0xFF, JX_SEMCONTROL_BOXES = 0x10000, JX_SEMCONTROL_SPIN_REQUEST = 0x80000 };
