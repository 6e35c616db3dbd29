// The frame every exported function of the API runs in: the per-process task record
// and the per-thread record, the entry step (records, first start of the engine, the
// thread's error list made current), the trace hooks of a call, and the exit step that
// turns the collected errors into the call's 16-bit status.
//
// Locks: the API lock (process-wide) guards record creation and the engine's first
// start and is released before a function's work begins; the task lock guards the
// handle table, the trace writer and the trace word; a handle's lock its use count.
// Order: API lock, task lock, handle lock.
#pragma once

#include "dbsql/sqlengine.h"
#include "dbutil/jxerror.h"
#include "dbutil/jxobject.h"
#include "dbutil/jxsemaphore.h"
#include "dbutil/jxtrace.h"

#include <stdint.h>

struct lib_handle;

// Bits of lib_task::traceWord.
enum LibTraceBits : uint16_t {
  LIB_TRACE_ACTIVE = 0x8000,
  LIB_TRACE_CALLS = 0x0001,
  LIB_TRACE_USER = 0x0002,
  LIB_TRACE_WINDOW = 0x0008,
  LIB_TRACE_DRIVER = 0x0010,
  LIB_TRACE_NO_FLUSH = 0x0020,
  LIB_TRACE_TIME = 0x0080,
  LIB_TRACE_DEFAULT = LIB_TRACE_CALLS | LIB_TRACE_USER
};

// Bits of lib_task::workArounds.
enum LibWorkArounds : uint16_t {
  LIB_WA_CONNECTION_FLAG = 0x0001,
  LIB_WA_NATIVE_4036 = 0x0002  // report the native code 4036 as 1052
};

// Flags of the entry step.
enum LibEntryFlags {
  LIB_NO_TASK = 0x01,      // do not create the task record
  LIB_KEEP_ERRORS = 0x02,  // keep the previous call's outcome
  LIB_NO_THREAD = 0x04,    // do not create the thread record
  LIB_RESULT_40 = 0x08     // the result buffer holds at least 40 bytes
};

const uint16_t LIB_FIRST_SLOTS = 6;
const uint32_t LIB_RESULT_SIZE = 256;

class lib_task : public JxObject {
 public:
  lib_task();
  ~lib_task() override;

  uint16_t slotCount;
  lib_handle** handles;  // entry 0 never used
  cmgInfo* env;          // null until the engine's first start
  JxTrace trace;
  uint16_t traceWord;    // LibTraceBits
  uint16_t workArounds;  // LibWorkArounds
  JxSemaphore lock;      // the task lock
  uint16_t threadCount;
  char* traceFile;
};

class lib_thread : public JxObject {
 public:
  lib_thread();
  ~lib_thread() override;

  JxErrorList errors;  // the current call's errors, oldest first
  int16_t status;
  int16_t warning;
  int32_t nativeError;
  char* errorText;  // 512 bytes, made by the first jxErrMsg
  char* result;     // texts the API returns point here
  uint32_t resultSize;
};

// Entry step: 0, with the records (either may be null as the flags allow), or 1.
JxStatus libEnter(lib_task** task, lib_thread** thread, unsigned flags);
// Exit step: the call's status; 4105 when a record is missing.
int16_t libExit(lib_task* task, lib_thread* thread);
// Copies length bytes to the start of the result buffer, enlarging it when needed.
JxStatus libCopyResult(lib_thread* thread, const void* source, uint32_t length);
// Ends the engine and destroys the task record, clearing per-task slot 2 (takes the API
// lock; libTaskTermLocked expects it held).
void libTaskTerm();
void libTaskTermLocked();
// The API lock, for the start and stop steps.
void libApiLock();
void libApiUnlock();
// Destroys the calling thread's record: its error list given up, per-thread slot 1
// cleared, the task's thread count lowered. Under the API lock.
void libThreadTermLocked(lib_task* task, lib_thread* thread);

// The settings step of the first start: reads the settings file into the engine
// environment and the task record, and starts tracing when it says so. 1 on failure.
JxStatus libReadSettings(lib_task* task);
// The settings file ("JXLIB.INI"); a bare name is looked up by the profile functions in
// the Windows directory.
const char* libSettingsFile();

// The trace writer's time-stamp and flush flags made to follow the trace word.
void libSyncTraceFlags(lib_task* task);

// The line formatter: "%i"/"%d" (16-bit, "%li" 32-bit), "%u"/"%lu", "%s" (null as
// "<NULL>"), "%p" (upper half, ":", lower 16 bits, in hexadecimal), "%f" (as "%g"); any
// other character after "%" is written as it is. The line goes to the trace writer under
// the task lock; a line that cannot be made is dropped, and the errors that its making
// added are taken back.
void libTraceFormat(lib_task* task, const char* format, ...);
// libTraceFormat when the trace word has LIB_TRACE_ACTIVE and LIB_TRACE_CALLS.
bool libTracingCalls(const lib_task* task);
void libTraceLine(lib_task* task, const char* format, ...);
// The return lines of a status function: "<name> returns (%i)" and, for status 4,
// "<name> DBErr is (%li)" with the thread's native error (or the newest one on its list).
void libTraceReturn(lib_task* task, const lib_thread* thread, const char* name, int16_t status);
// A packed decimal as the formatter shows it: the hexadecimal text of its n/2 + 1 bytes,
// n the larger of precision and scale (precision - scale when the scale is negative).
// Allocated; the caller frees it with ramFree. Null when memory is short.
char* libDecimalText(const void* value, int16_t precision, int16_t scale);

// The shape of a status function: entry step with the flags; when tracing calls, the
// call line written by traceCall(task); the work (given the records; it adds its errors
// to the thread's list); the exit step and the return lines. Returns the status.
template <class TraceCall, class Work>
int16_t libStatusCall(unsigned flags, const char* name, TraceCall traceCall, Work work) {
  lib_task* task = nullptr;
  lib_thread* thread = nullptr;
  if (libEnter(&task, &thread, flags) == 0 && task && thread) {
    if (libTracingCalls(task)) traceCall(task);
    work(task, thread);
    int16_t status = libExit(task, thread);
    if (libTracingCalls(task)) libTraceReturn(task, thread, name, status);
    return status;
  }
  return libExit(task, thread);
}
