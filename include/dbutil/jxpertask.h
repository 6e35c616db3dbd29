// Per-task and per-thread data of the database library. The per-task slots live in
// JXMDS04's JxTaskInfo; the threads with per-thread slots are kept in a list in
// per-task slot 10, guarded by the library semaphore.
#pragma once

#include "dbutil/jxlist.h"
#include "dbutil/jxtaskinfo.h"

enum PerThreadData {
  PTH_ERROR_LIST = 0,  // the thread's current JxErrorList
  PTH_API_THREAD = 1,  // the database API's per-thread record
  PTH_SLOT_COUNT = 2
};

// One class for the list head (key 0) and the per-thread elements.
class JXUTL04_API JxThreadInfo : public JxList {
 public:
  explicit JxThreadInfo(uint32_t threadId);
  ~JxThreadInfo() override;

  uint32_t key;      // thread id; 0 for the head
  int32_t useCount;  // 1 at construction
  void* slots[PTH_SLOT_COUNT];
};

JXUTL04_API short mdsPerTaskInit();
JXUTL04_API void mdsPerTaskTerm();
JXUTL04_API short mdsIsTaskInit();
JXUTL04_API void* mdsGetPerTaskData(PerTaskData slot);
JXUTL04_API void** mdsGetPerTaskDataAddress(PerTaskData slot);
JXUTL04_API void mdsSetPerTaskData(PerTaskData slot, const void* value);

JXUTL04_API short mdsPerThreadInit();
JXUTL04_API void mdsPerThreadTerm();
JXUTL04_API short mdsIsThreadInit();
JXUTL04_API void* mdsGetPerThreadData(PerThreadData slot);
JXUTL04_API void** mdsGetPerThreadDataAddress(PerThreadData slot);
JXUTL04_API void mdsSetPerThreadData(PerThreadData slot, const void* value);

// flag != 0: counts one initialisation more and answers the count before it;
// flag == 0: counts one less and answers the count after it.
JXUTL04_API unsigned short countDBLibInits(short flag);

JXUTL04_API uint32_t bosGetProcessID();
JXUTL04_API uint32_t bosGetThreadID();
