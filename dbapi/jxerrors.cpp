// The exported functions that read the outcome of the thread's previous call, and the
// conversions from a handle to its record.
#include "dbapi/jxerrors.h"

#include "libframe.h"
#include "libhandle.h"
#include "libmessages.h"

#include "dbutil/jxmemory.h"

#include <string.h>

namespace {

const unsigned kReadFlags = LIB_NO_TASK | LIB_KEEP_ERRORS;
const unsigned kRing = 32;
const uint32_t kJoinLimit = JX_ERRMSG_SIZE - 1;

// Joins the texts of the newest 32 errors (or, when there is no error, warnings),
// newest first, separated by line feeds, into out (JX_ERRMSG_SIZE bytes): at most 511
// characters.
void joinMessages(const lib_task* task, const lib_thread* thread, char* out) {
  const JxError* errors[kRing];
  const JxError* warnings[kRing];
  unsigned errorCount = 0, warningCount = 0;
  bool revision1 = task->env && task->env->revision == 1;
  auto sort = [&](const JxError* e) {
    int16_t number = static_cast<int16_t>(e->getNumber());
    if (!e->isWarning() || (revision1 && (number == -1 || number == -2)))
      errors[errorCount++ % kRing] = e;
    else
      warnings[warningCount++ % kRing] = e;
  };
  for (JxNode* n = thread->errors.first(); n; n = thread->errors.after(n))
    sort(static_cast<const JxError*>(n));
  if (thread->errors.hasMemoryError()) sort(JxError::memoryError());

  const JxError** ring = errorCount ? errors : warnings;
  unsigned count = errorCount ? errorCount : warningCount;
  unsigned shown = count < kRing ? count : kRing;
  uint32_t pos = 0, length = 0;
  for (unsigned i = 0; i < shown && length < kJoinLimit; ++i) {
    const char* text = ring[(count - 1 - i) % kRing]->getText();
    if (i > 0) {
      out[pos++] = '\n';
      ++length;
      if (length >= kJoinLimit) break;
    }
    uint32_t textLength = static_cast<uint32_t>(strlen(text));
    uint32_t room = kJoinLimit - length;
    uint32_t copied = textLength < room ? textLength : room;
    memcpy(out + pos, text, copied);
    pos += copied;
    length += textLength;
  }
  out[pos] = 0;
}

}  // namespace

int16_t jxErr() {
  lib_task* task;
  lib_thread* thread;
  if (libEnter(&task, &thread, kReadFlags) || !task || !thread) return libExit(task, thread);
  int16_t status = libExit(task, thread);
  if (status != 0 && libTracingCalls(task)) libTraceReturn(task, thread, "jxErr", status);
  return status;
}

int32_t jxDBErr() {
  lib_task* task;
  lib_thread* thread;
  if (libEnter(&task, &thread, kReadFlags) || !task || !thread) {
    libExit(task, thread);
    return 0;
  }
  libExit(task, thread);
  int32_t native = thread->nativeError;
  libTraceLine(task, "jxDBErr returns (%li)", static_cast<long>(native));
  return native;
}

int16_t jxWarning() {
  lib_task* task;
  lib_thread* thread;
  if (libEnter(&task, &thread, kReadFlags) || !task || !thread) {
    libExit(task, thread);
    return 0;
  }
  libExit(task, thread);
  int16_t warning = thread->warning;
  if (warning != 0) libTraceLine(task, "jxWarning returns (%i)", static_cast<int>(warning));
  return warning;
}

const char* jxErrMsg() {
  lib_task* task;
  lib_thread* thread;
  if (libEnter(&task, &thread, kReadFlags) || !task || !thread) {
    libExit(task, thread);
    return nullptr;
  }
  if (!thread->errorText) {
    thread->errorText = static_cast<char*>(ramAlloc(JX_ERRMSG_SIZE));
    if (!thread->errorText) {
      // The previous call's outcome stays as it was: the memory flag is not its.
      JxErrorKeeper::clearLastError();
      libExit(task, thread);
      return nullptr;
    }
  }
  libExit(task, thread);
  joinMessages(task, thread, thread->errorText);
  libTraceLine(task, "jxErrMsg returns (\"%s\")", thread->errorText);
  return thread->errorText;
}

int16_t jxErrMsgBuf(char* buffer) {
  lib_task* task;
  lib_thread* thread;
  if (libEnter(&task, &thread, kReadFlags) || !task || !thread) {
    if (buffer) buffer[0] = 0;
    libExit(task, thread);
    return 1;
  }
  libTraceLine(task, "jxErrMsgBuf (%p)", static_cast<void*>(buffer));
  int16_t status = libExit(task, thread);
  if (buffer) joinMessages(task, thread, buffer);
  if (libTracingCalls(task)) libTraceReturn(task, thread, "jxErrMsgBuf", status);
  return status;
}

namespace {

int16_t convert(const char* name, int16_t handle, uint16_t kind, lib_handle** out) {
  if (out) *out = nullptr;
  return libStatusCall(
      LIB_NO_TASK, name,
      [&](lib_task* task) {
        libTraceLine(task, "%s (%i, %p)", name, static_cast<int>(handle), static_cast<void*>(out));
      },
      [&](lib_task* task, lib_thread* thread) {
        lib_handle* record = nullptr;
        if (libValidate(task, thread, handle, kind, &record)) return;
        if (out) *out = record;
        if (kind == LIB_H_STATEMENT)
          libReleaseStatement(task, record);
        else
          libRelease(record);
      });
}

}  // namespace

int16_t blbConvertHdbc(int16_t hdbc, lib_handle** record) {
  return convert("blbConvertHdbc", hdbc, LIB_H_CONNECTION, record);
}

int16_t blbConvertHstmt(int16_t hstmt, lib_handle** record) {
  return convert("blbConvertHstmt", hstmt, LIB_H_STATEMENT, record);
}
