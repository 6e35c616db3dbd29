// Per-task slots (no lock: their users serialise themselves) and the per-thread slots
// kept in the thread list under the library semaphore.
#include "dbutil/jxpertask.h"

#include "dbutil/jxsemaphore.h"
#include "utl_globals.h"

#include <windows.h>

namespace {

bool validTaskSlot(PerTaskData slot) { return slot >= 0 && slot < PTD_SLOT_COUNT; }
bool validThreadSlot(PerThreadData slot) { return slot >= 0 && slot < PTH_SLOT_COUNT; }

JxThreadInfo* threadList() { return static_cast<JxThreadInfo*>(mdsGetTaskInfo()->slots[PTD_THREAD_LIST]); }

JxThreadInfo* findThread(uint32_t id) {
  JxThreadInfo* head = threadList();
  if (!head) return nullptr;
  for (JxNode* n = head->first(); n; n = head->after(n)) {
    JxThreadInfo* t = static_cast<JxThreadInfo*>(n);
    if (t->key == id) return t;
  }
  return nullptr;
}

struct LibraryLock {
  LibraryLock() { utlLibrarySemaphore().lock(); }
  ~LibraryLock() { utlLibrarySemaphore().unlock(); }
};

}  // namespace

JxThreadInfo::JxThreadInfo(uint32_t threadId) : key(threadId), useCount(1) { slots[0] = slots[1] = nullptr; }

JxThreadInfo::~JxThreadInfo() {}

short mdsPerTaskInit() {
  ++mdsGetTaskInfo()->useCount;
  return 1;
}

void mdsPerTaskTerm() { --mdsGetTaskInfo()->useCount; }

short mdsIsTaskInit() { return mdsGetTaskInfo()->useCount != 0 ? 1 : 0; }

void* mdsGetPerTaskData(PerTaskData slot) {
  return validTaskSlot(slot) ? mdsGetTaskInfo()->slots[slot] : nullptr;
}

void** mdsGetPerTaskDataAddress(PerTaskData slot) {
  return validTaskSlot(slot) ? &mdsGetTaskInfo()->slots[slot] : nullptr;
}

void mdsSetPerTaskData(PerTaskData slot, const void* value) {
  if (validTaskSlot(slot)) mdsGetTaskInfo()->slots[slot] = const_cast<void*>(value);
}

// Records are allocated outside the lock: a failing allocation reports through the
// thread's error list, whose look-up takes the same (non-re-entrant) lock.
short mdsPerThreadInit() {
  uint32_t id = bosGetThreadID();
  JxThreadInfo* newHead = nullptr;
  JxThreadInfo* mine = nullptr;
  short result = 0;
  bool needHead = false;
  for (int round = 0; round < 3; ++round) {
    {
      LibraryLock lock;
      JxThreadInfo* head = threadList();
      needHead = !head;
      if (JxThreadInfo* t = findThread(id)) {
        ++t->useCount;
        result = 1;
        break;
      }
      if (mine && (head || newHead)) {
        if (!head) {
          head = newHead;
          newHead = nullptr;
          mdsGetTaskInfo()->slots[PTD_THREAD_LIST] = head;
          head->insert(mine);
        } else {
          head->append(mine);
        }
        mine = nullptr;
        result = 1;
        break;
      }
      if (round == 2) break;
    }
    if (!mine) mine = new JxThreadInfo(id);
    if (needHead && !newHead) newHead = new JxThreadInfo(0);
    if (!mine || (needHead && !newHead)) break;
  }
  delete mine;
  delete newHead;
  return result;
}

void mdsPerThreadTerm() {
  uint32_t id = bosGetThreadID();
  LibraryLock lock;
  JxThreadInfo* t = findThread(id);
  if (!t || --t->useCount > 0) return;
  JxThreadInfo* head = threadList();
  head->unlink(t);
  delete t;
  if (head->isEmpty()) {
    mdsGetTaskInfo()->slots[PTD_THREAD_LIST] = nullptr;
    delete head;
  }
}

short mdsIsThreadInit() {
  LibraryLock lock;
  return findThread(bosGetThreadID()) ? 1 : 0;
}

void* mdsGetPerThreadData(PerThreadData slot) {
  if (!validThreadSlot(slot)) return nullptr;
  LibraryLock lock;
  JxThreadInfo* t = findThread(bosGetThreadID());
  return t ? t->slots[slot] : nullptr;
}

void** mdsGetPerThreadDataAddress(PerThreadData slot) {
  if (!validThreadSlot(slot)) return nullptr;
  LibraryLock lock;
  JxThreadInfo* t = findThread(bosGetThreadID());
  return t ? &t->slots[slot] : nullptr;
}

void mdsSetPerThreadData(PerThreadData slot, const void* value) {
  if (!validThreadSlot(slot)) return;
  uint32_t id = bosGetThreadID();
  utlLibrarySemaphore().lock();
  JxThreadInfo* t = findThread(id);
  if (!t) {
    utlLibrarySemaphore().unlock();
    if (!mdsPerThreadInit()) return;
    utlLibrarySemaphore().lock();
    t = findThread(id);
  }
  if (t) t->slots[slot] = const_cast<void*>(value);
  utlLibrarySemaphore().unlock();
}

unsigned short countDBLibInits(short flag) {
  intptr_t count = reinterpret_cast<intptr_t>(mdsGetTaskInfo()->slots[PTD_INIT_COUNT]);
  if (flag) {
    mdsGetTaskInfo()->slots[PTD_INIT_COUNT] = reinterpret_cast<void*>(count + 1);
    return static_cast<unsigned short>(count);
  }
  mdsGetTaskInfo()->slots[PTD_INIT_COUNT] = reinterpret_cast<void*>(count - 1);
  return static_cast<unsigned short>(count - 1);
}

uint32_t bosGetProcessID() { return GetCurrentProcessId(); }

uint32_t bosGetThreadID() { return GetCurrentThreadId(); }
