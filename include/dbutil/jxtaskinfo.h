// The per-process record of the database library (JXMDS04.dll): a use count and
// numbered pointer slots. Every database DLL of a process sees the same record.
#pragma once

#include "dbutil/jxmds04_api.h"

#include <stdint.h>

// Per-task slots.
enum PerTaskData {
  PTD_HEAP = 0,          // first block of the task's heap
  PTD_INIT_COUNT = 1,    // count of library initialisations (an integer)
  PTD_API_TASK = 2,      // the database API's per-task record
  PTD_PAGE_CACHE = 4,    // the buffered-file page cache
  PTD_THREAD_LIST = 10,  // the list of threads with per-thread slots
  PTD_SLOT_COUNT = 11
};

// Only JXMDS04 constructs it; the others reach the one instance through mdsGetTaskInfo.
struct JxTaskInfo {
  JxTaskInfo();
  ~JxTaskInfo();

  int32_t useCount;             // 1 at load
  void* slots[PTD_SLOT_COUNT];  // null at load
};

// The address of the process's one record.
JXMDS04_API JxTaskInfo* mdsGetTaskInfo();
