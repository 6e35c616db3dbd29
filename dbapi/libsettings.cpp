// The settings file read at each start of the library, and the explicit start and stop.
#include "dbapi/jxlibinit.h"

#include "libframe.h"
#include "libhandle.h"
#include "libmessages.h"

#include "dbutil/jxmemory.h"
#include "dbutil/jxpertask.h"

#include <windows.h>

namespace {

const char kSettingsFile[] = "JXLIB.INI";
const char kEmptySection[] = "";
const char kLibSection[] = "JXLIB";
// What the profile functions answer for an absent integer key: the default passed in.
const UINT kAbsent = 65535;
const DWORD kTextSize = 256;  // texts of up to 255 characters

UINT readInt(const char* section, const char* key) {
  return GetPrivateProfileIntA(section, key, kAbsent, libSettingsFile());
}

// An integer key of the empty section, else of "JXLIB" (also when the empty section's
// value is 0 and zeroFallsThrough), else the default.
uint16_t readSetting(const char* key, uint16_t def, bool zeroFallsThrough = false) {
  UINT v = readInt(kEmptySection, key);
  if (v == kAbsent || (zeroFallsThrough && v == 0)) v = readInt(kLibSection, key);
  return v == kAbsent ? def : static_cast<uint16_t>(v);
}

void readText(const char* section, const char* key, char* buffer) {
  GetPrivateProfileStringA(section, key, "", buffer, kTextSize, libSettingsFile());
}

}  // namespace

const char* libSettingsFile() { return kSettingsFile; }

JxStatus libReadSettings(lib_task* task) {
  cmgInfo* env = task->env;
  env->revision = readSetting("Revision", 2, true);

  char text[kTextSize];
  readText(kEmptySection, "ConnectString", text);  // the empty section only
  if (text[0]) {
    char* copy = ramAllocStr(text);
    if (!copy) return 1;
    ramFree(env->defaultConnect);
    env->defaultConnect = copy;
  }

  env->escapeProcessing = readSetting("EscapeProcessing", 1);

  readText(kEmptySection, "TraceFile", text);
  if (!text[0]) readText(kLibSection, "TraceFile", text);
  if (text[0]) {
    char* copy = ramAllocStr(text);
    if (!copy) return 1;
    ramFree(task->traceFile);
    task->traceFile = copy;
  }

  uint16_t options = readSetting("TraceOptions", 0);
  if (options == 0) {
    task->traceWord = LIB_TRACE_DEFAULT;
  } else {
    task->lock.lock();
    task->traceWord = static_cast<uint16_t>(options | LIB_TRACE_ACTIVE);
    libSyncTraceFlags(task);
    JxStatus failed = task->trace.initialize(libInstance(), 0, task->traceFile);
    if (!failed && (options & LIB_TRACE_WINDOW)) failed = task->trace.setTraceToWindow();
    if (failed) {
      task->trace.resetTrace();
      task->traceWord = static_cast<uint16_t>(options);
    }
    task->lock.unlock();
    if (failed) return 1;
  }

  task->workArounds = readSetting("WorkArounds", 0);
  return 0;
}

int16_t jxLibInit() {
  lib_task* task = nullptr;
  lib_thread* thread = nullptr;
  if (libEnter(&task, &thread, LIB_NO_TASK | LIB_NO_THREAD)) return libExit(task, thread);
  if (task) {
    libApiLock();
    if (task->threadCount == 0 || (task->threadCount == 1 && thread)) {
      libThreadTermLocked(task, thread);
      libTaskTermLocked();
    }
    libApiUnlock();
  }
  task = nullptr;
  thread = nullptr;
  libEnter(&task, &thread, 0);
  return libExit(task, thread);
}

int16_t jxLibTerm() {
  lib_task* task = nullptr;
  lib_thread* thread = nullptr;
  libEnter(&task, &thread, LIB_NO_TASK);
  if (!task) return 0;
  libApiLock();
  if (thread) libThreadTermLocked(task, thread);
  // The library ends only when no thread record is left: a thread still counted keeps
  // its connections and handles.
  task->lock.lock();
  uint16_t others = task->threadCount;
  task->lock.unlock();
  if (others > 0) {
    libApiUnlock();
    return 0;
  }
  // What in-use statements and query objects hold goes with their records when the task
  // record is destroyed (query objects through their virtual destructors).
  libTaskTermLocked();
  libApiUnlock();
  return 0;
}
