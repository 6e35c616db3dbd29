// Allocation, validation and release of handles.
#include "libhandle.h"

#include "libmessages.h"

#include "dbutil/jxmemory.h"

namespace {

struct TaskLock {
  explicit TaskLock(lib_task* t) : task(t) { task->lock.lock(); }
  ~TaskLock() { task->lock.unlock(); }
  lib_task* task;
};

bool isStatementLike(const lib_handle* r) { return (r->flags & (LIB_H_STATEMENT | LIB_H_QUERY)) != 0; }

// The record of a handle that is in range and has one; under the task lock.
lib_handle* recordOf(lib_task* task, int16_t handle) {
  uint16_t h = static_cast<uint16_t>(handle);
  if (h == 0 || h >= task->slotCount) return nullptr;
  return task->handles[h];
}

void addToUse(lib_handle* r, int16_t amount) {
  r->lock.lock();
  r->useCount = static_cast<int16_t>(r->useCount + amount);
  r->lock.unlock();
}

// Under the task lock.
void changeParentUse(lib_task* task, lib_handle* r, int16_t amount) {
  if (!isStatementLike(r) || r->parent == 0) return;
  if (lib_handle* p = recordOf(task, r->parent)) addToUse(p, amount);
}

}  // namespace

lib_handle::lib_handle()
    : flags(0), parent(0), engine(nullptr), owned(nullptr), statement(nullptr), query(nullptr), useCount(0) {}

lib_handle::~lib_handle() {
  ramFree(owned);
  delete query;
}

int16_t libAllocHandle(lib_task* task, uint16_t kind) {
  TaskLock lock(task);
  for (uint32_t h = 1;; ++h) {
    if (h > 0x7FFF) return 0;
    if (h >= task->slotCount) {
      uint32_t count = task->slotCount + LIB_SLOT_GROWTH;
      if (count > 0x8000) count = 0x8000;
      void* table = task->handles;
      if (ramResizeZ(&table, count * sizeof(lib_handle*))) return 0;
      task->handles = static_cast<lib_handle**>(table);
      task->slotCount = static_cast<uint16_t>(count);
    }
    lib_handle*& r = task->handles[h];
    if (!r) {
      r = new lib_handle;
      if (!r) return 0;
    } else if (r->flags & LIB_H_IN_USE) {
      continue;
    }
    r->flags = static_cast<uint16_t>(kind | LIB_H_IN_USE);
    if (kind & LIB_H_CONNECTION) {
      r->flags |= LIB_H_RESERVED;
      r->useCount = 0;
    } else if (kind & (LIB_H_STATEMENT | LIB_H_QUERY)) {
      r->useCount = 1;
    }
    return static_cast<int16_t>(h);
  }
}

void libCommitConnection(lib_task* task, int16_t handle) {
  TaskLock lock(task);
  if (lib_handle* r = recordOf(task, handle)) r->flags &= static_cast<uint16_t>(~LIB_H_RESERVED);
}

void libFreeHandle(lib_task* task, int16_t handle) {
  TaskLock lock(task);
  lib_handle* r = recordOf(task, handle);
  if (!r) return;
  r->flags = 0;
  r->parent = 0;
  r->engine = nullptr;
  r->statement = nullptr;
  ramFree(r->owned);
  r->owned = nullptr;
  delete r->query;
  r->query = nullptr;
  r->useCount = 0;
}

JxStatus libValidate(lib_task* task, lib_thread*, int16_t handle, uint16_t kinds, lib_handle** record) {
  *record = nullptr;
  bool skipTxnTest = (kinds & LIB_H_SKIP_TXN_TEST) != 0;
  kinds &= static_cast<uint16_t>(~LIB_H_SKIP_TXN_TEST);
  unsigned short error = 0;
  {
    TaskLock lock(task);
    lib_handle* r = recordOf(task, handle);
    if (!r || !(r->flags & LIB_H_IN_USE) || (r->flags & LIB_H_RESERVED) ||
        !(r->flags & kinds & LIB_KIND_BITS)) {
      error = LIBMSG_INVALID_HANDLE;
    } else {
      changeParentUse(task, r, 1);
      r->lock.lock();
      if (r->useCount != 0 && isStatementLike(r)) {
        r->lock.unlock();
        changeParentUse(task, r, -1);
        error = LIBMSG_HANDLE_BUSY;
      } else {
        ++r->useCount;
        r->lock.unlock();
        if (skipTxnTest || kinds != LIB_H_STATEMENT || (r->flags & LIB_H_CATALOG) ||
            !(r->flags & LIB_H_INVALIDATED)) {
          *record = r;
          return 0;
        }
        addToUse(r, static_cast<int16_t>(-r->useCount));
        changeParentUse(task, r, -1);
        error = LIBMSG_INVALIDATED;
      }
    }
  }
  JxError* e = libErrorById(error);
  if (error == LIBMSG_HANDLE_BUSY) *e << static_cast<long>(handle);
  return 1;
}

JxStatus libValidateColumn(lib_task* task, lib_thread* thread, int16_t handle, uint16_t column,
                           lib_handle** record) {
  if (libValidate(task, thread, handle, LIB_H_STATEMENT, record)) return 1;
  lib_handle* r = *record;
  uint16_t count = 0;
  if ((r->flags & LIB_H_CATALOG) && r->statement) {
    count = static_cast<lib_catalog*>(r->statement)->columnCount;
  } else {
    // Statements over the engine's query objects are checked once query objects
    // exist; until then a statement has no columns.
    count = 0;
  }
  if (column >= 1 && column <= count) return 0;
  {
    TaskLock lock(task);
    addToUse(r, static_cast<int16_t>(-r->useCount));
    changeParentUse(task, r, -1);
  }
  *record = nullptr;
  libErrorById(LIBMSG_INVALID_COLUMN);
  return 1;
}

void libRelease(lib_handle* record) {
  if (record) addToUse(record, -1);
}

void libReleaseStatement(lib_task* task, lib_handle* record) {
  if (!record) return;
  libReleaseParent(task, record);
  addToUse(record, -1);
}

void libReleaseParent(lib_task* task, lib_handle* record) {
  if (!record) return;
  TaskLock lock(task);
  changeParentUse(task, record, -1);
}
