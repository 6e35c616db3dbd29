// The call frame: task and thread records, entry and exit steps, the trace hooks.
#include "libframe.h"

#include "libhandle.h"
#include "libmessages.h"

#include "dbapi/jxerrors.h"
#include "dbsql/cmgenv.h"
#include "dbsql/sqlmessages.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxpertask.h"

#include <string.h>

namespace {

// The API lock: record creation and teardown, and the engine's first start.
JxSemaphore g_apiLock;

struct ApiLock {
  ApiLock() { g_apiLock.lock(); }
  ~ApiLock() { g_apiLock.unlock(); }
};

// Engine numbers the exit step maps to statuses.
enum : uint16_t {
  ENGINE_EOF = 4530,
  ENGINE_DRIVER_ERROR = 4535,
  ENGINE_DRIVER_WARNING = 4536,
  ENGINE_CANCELLED = 2101,
  ENGINE_ABORTED = 4507,
  NATIVE_ABORTED = 4018,
  NATIVE_4036 = 4036,
  NATIVE_4036_AS = 1052
};

lib_task* currentTask() { return static_cast<lib_task*>(mdsGetPerTaskData(PTD_API_TASK)); }

// Engine start: the start-up hook, the environment; the settings step (defaults until
// the settings file is read).
JxStatus startEngine(lib_task* task) {
  ApiLock lock;
  if (task->env) return 0;
  sqlInitBwnwin();
  cmgInfo* env = cmgInit(CMG_API_CALLER);
  if (!env) return 1;
  env->revision = 2;
  env->escapeProcessing = 1;
  task->env = env;
  // A failed settings step fails this call; the environment stays and the settings are
  // not read again until the next start.
  return libReadSettings(task);
}

}  // namespace

lib_task::lib_task()
    : slotCount(0),
      handles(nullptr),
      env(nullptr),
      traceWord(LIB_TRACE_DEFAULT),
      workArounds(0),
      threadCount(0),
      traceFile(nullptr) {}

lib_task::~lib_task() {
  if (handles) {
    for (uint16_t i = 0; i < slotCount; ++i) delete handles[i];
    ramFree(handles);
  }
  trace.resetTrace();
  ramFree(traceFile);
}

lib_thread::lib_thread()
    : errors(this, 1),
      status(0),
      warning(0),
      nativeError(0),
      errorText(nullptr),
      result(nullptr),
      resultSize(0) {}

lib_thread::~lib_thread() {
  ramFree(errorText);
  ramFree(result);
}

JxStatus libEnter(lib_task** taskOut, lib_thread** threadOut, unsigned flags) {
  *threadOut = nullptr;
  *taskOut = nullptr;
  lib_task* task;
  lib_thread* thread;
  {
    ApiLock lock;
    task = currentTask();
    if (!task) {
      if (flags & LIB_NO_TASK) return 0;
      mdsPerTaskInit();
      task = new lib_task;
      if (task) {
        task->handles = static_cast<lib_handle**>(ramAllocZ(LIB_FIRST_SLOTS * sizeof(lib_handle*)));
        if (!task->handles) {
          delete task;
          task = nullptr;
        }
      }
      if (!task) {
        mdsPerTaskTerm();
        return 1;
      }
      task->slotCount = LIB_FIRST_SLOTS;
      mdsSetPerTaskData(PTD_API_TASK, task);
    }
    *taskOut = task;
    thread = static_cast<lib_thread*>(mdsGetPerThreadData(PTH_API_THREAD));
    if (!thread) {
      if (flags & LIB_NO_THREAD) return 0;
      thread = new lib_thread;
      if (thread) {
        thread->result = static_cast<char*>(ramAllocZ(LIB_RESULT_SIZE));
        if (!thread->result) {
          delete thread;
          thread = nullptr;
        }
      }
      if (!thread) return 1;
      thread->resultSize = LIB_RESULT_SIZE;
      // The record holds one registration of the thread of its own, given back when
      // the record goes.
      if (!mdsPerThreadInit()) {
        delete thread;
        return 1;
      }
      mdsSetPerThreadData(PTH_API_THREAD, thread);
      ++task->threadCount;
      JxErrorKeeper::setErrorList(&thread->errors);
      *threadOut = thread;
      thread = nullptr;  // fresh: nothing to clear
    }
  }
  if (thread) {
    *threadOut = thread;
    // The list may already be current when a call runs inside another's frame.
    if (JxErrorKeeper::getErrorList() != &thread->errors) JxErrorKeeper::setErrorList(&thread->errors);
    if (!(flags & LIB_KEEP_ERRORS)) {
      thread->status = 0;
      thread->warning = 0;
      thread->nativeError = 0;
      if (thread->errorText) thread->errorText[0] = 0;
      thread->errors.deleteNodes();
      while (thread->errors.hasMemoryError()) thread->errors.removeLastError();
    }
  }
  if (!task->env && startEngine(task)) return 1;
  if ((flags & LIB_RESULT_40) && (*threadOut)->resultSize < 40) {
    void* grown = (*threadOut)->result;
    if (ramResize(&grown, 40)) return 1;
    (*threadOut)->result = static_cast<char*>(grown);
    (*threadOut)->resultSize = 40;
  }
  return 0;
}

int16_t libExit(lib_task* task, lib_thread* thread) {
  if (!task || !thread) return LIBMSG_NO_TASK;
  if (thread->status == 0 && thread->warning == 0) {
    uint16_t revision = task->env ? task->env->revision : 2;
    auto visit = [&](const JxError* e) {
      int16_t number = static_cast<int16_t>(e->getNumber());
      if (e->isWarning()) {
        thread->warning = number;
        if (thread->status == 0 && revision == 1 && (number == -1 || number == -2)) thread->status = number;
      } else {
        thread->status = number;
      }
      if (e->getNativeCode()) thread->nativeError = static_cast<int32_t>(e->getNativeCode());
    };
    for (JxNode* n = thread->errors.first(); n; n = thread->errors.after(n)) visit(static_cast<JxError*>(n));
    if (thread->errors.hasMemoryError()) visit(JxError::memoryError());
  }
  if (thread->status != 0) {
    uint16_t s = static_cast<uint16_t>(thread->status);
    if (s == ENGINE_EOF)
      thread->status = JXS_EOF;
    else if (s == ENGINE_DRIVER_ERROR)
      thread->status = LIBMSG_DRIVER_ERROR;
    else if (s == ENGINE_CANCELLED)
      thread->status = JXS_LOGON_CANCELLED;
    else if (s == ENGINE_ABORTED || thread->nativeError == NATIVE_ABORTED)
      thread->status = 2;
    if ((task->workArounds & LIB_WA_NATIVE_4036) && thread->nativeError == NATIVE_4036)
      thread->nativeError = NATIVE_4036_AS;
  }
  if (static_cast<uint16_t>(thread->warning) == ENGINE_DRIVER_WARNING)
    thread->warning = LIBMSG_DRIVER_WARNING;
  if (JxErrorKeeper::getErrorList() == &thread->errors) JxErrorKeeper::giveUpErrorList();
  return thread->status;
}

JxStatus libCopyResult(lib_thread* thread, const void* source, uint32_t length) {
  if (length > thread->resultSize) {
    void* grown = thread->result;
    if (ramResize(&grown, length)) return 1;
    thread->result = static_cast<char*>(grown);
    thread->resultSize = length;
  }
  memcpy(thread->result, source, length);
  return 0;
}

void libApiLock() { g_apiLock.lock(); }
void libApiUnlock() { g_apiLock.unlock(); }

void libTaskTermLocked() {
  lib_task* task = currentTask();
  if (!task) return;
  if (task->env) {
    cmgTerm(task->env);
    task->env = nullptr;
  }
  sqlTermBwnwin();
  delete task;
  mdsSetPerTaskData(PTD_API_TASK, nullptr);
  mdsPerTaskTerm();
}

void libTaskTerm() {
  ApiLock lock;
  libTaskTermLocked();
}

void libThreadTermLocked(lib_task* task, lib_thread* thread) {
  if (!thread) return;
  if (JxErrorKeeper::getErrorList() == &thread->errors) JxErrorKeeper::giveUpErrorList();
  mdsSetPerThreadData(PTH_API_THREAD, nullptr);
  delete thread;
  mdsPerThreadTerm();
  if (task) {
    task->lock.lock();
    if (task->threadCount) --task->threadCount;
    task->lock.unlock();
  }
}

bool libTracingCalls(const lib_task* task) {
  return task && (task->traceWord & LIB_TRACE_ACTIVE) && (task->traceWord & LIB_TRACE_CALLS);
}
