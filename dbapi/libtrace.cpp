// The trace of API calls: the line formatter, the return lines of status functions, and
// the exported trace functions.
#include "dbapi/jxerrors.h"
#include "dbapi/jxlibtrace.h"

#include "libdriver.h"
#include "libframe.h"
#include "libhandle.h"
#include "libmessages.h"

#include "dbsql/bcvconvert.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxstring.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

struct TaskLock {
  explicit TaskLock(lib_task* t) : task(t) { task->lock.lock(); }
  ~TaskLock() { task->lock.unlock(); }
  lib_task* task;
};

// Hexadecimal digits of v's bytes, most significant first, at least minBytes of them.
JxStatus appendHex(JxString& line, uint64_t v, unsigned minBytes) {
  uint8_t bytes[8];
  unsigned n = 0;
  for (int shift = 56; shift >= 0; shift -= 8) {
    uint8_t b = static_cast<uint8_t>(v >> shift);
    if (n == 0 && b == 0 && shift >= static_cast<int>(minBytes) * 8) continue;
    bytes[n++] = b;
  }
  char text[16];
  uint16_t count = bcvHexify(text, bytes, static_cast<uint16_t>(n));
  return line.concat(text, count);
}

// "%p": the value above its low 16 bits (four digits, more when a 64-bit pointer needs
// them), ":", the low 16 bits.
JxStatus appendPointer(JxString& line, uintptr_t value) {
  if (appendHex(line, static_cast<uint64_t>(value) >> 16, 2) || line.concat(':')) return 1;
  return appendHex(line, value & 0xFFFF, 2);
}

JxStatus appendConversion(JxString& line, char conversion, bool wide, va_list& args) {
  char number[48];
  switch (conversion) {
    case 'd':
    case 'i': {
      long v = wide ? va_arg(args, long) : static_cast<short>(va_arg(args, int));
      return line.concat(v);
    }
    case 'u': {
      unsigned long v =
          wide ? va_arg(args, unsigned long) : static_cast<unsigned short>(va_arg(args, unsigned));
      return line.concat(v);
    }
    case 's': {
      const char* text = va_arg(args, const char*);
      return line.concat(text ? text : "<NULL>");
    }
    case 'p':
      return appendPointer(line, reinterpret_cast<uintptr_t>(va_arg(args, void*)));
    case 'f':
      snprintf(number, sizeof number, "%g", va_arg(args, double));
      return line.concat(number);
    default:
      return line.concat(conversion);
  }
}

// Builds the line; 1 when a part cannot be added.
JxStatus formatLine(JxString& line, const char* format, va_list& args) {
  uint32_t length = static_cast<uint32_t>(strlen(format));
  if (line.initialize(length + 50)) return 1;
  const char* p = format;
  while (*p) {
    const char* percent = strchr(p, '%');
    if (!percent) return line.concat(p, static_cast<uint32_t>(strlen(p)));
    if (percent > p && line.concat(p, static_cast<uint32_t>(percent - p))) return 1;
    p = percent + 1;
    bool wide = *p == 'l';
    if (wide) ++p;
    if (!*p) break;
    if (appendConversion(line, *p++, wide, args)) return 1;
  }
  return 0;
}

// Takes back what a dropped line added to the thread's list.
void forgetErrorsSince(uint32_t count, int memoryFlag) {
  JxErrorList* list = JxErrorKeeper::getErrorList();
  if (!list) return;
  if (list->hasMemoryError() && !memoryFlag) JxErrorKeeper::clearLastError();
  while (list->getCount() > count) JxErrorKeeper::clearLastError();
}

void traceFormatV(lib_task* task, const char* format, va_list args) {
  if (!task || !format) return;
  JxErrorList* list = JxErrorKeeper::getErrorList();
  uint32_t count = list ? list->getCount() : 0;
  int memoryFlag = list ? list->hasMemoryError() : 0;
  JxString line;
  va_list copy;
  va_copy(copy, args);
  JxStatus failed = formatLine(line, format, copy);
  va_end(copy);
  if (failed) {
    forgetErrorsSince(count, memoryFlag);
    return;
  }
  TaskLock lock(task);
  if (task->trace.writeLine(line.c_str())) forgetErrorsSince(count, memoryFlag);
}

// Switches the driver manager's tracing of every connection in the handle table, in
// handle order; the first failure stops the walk. Under the task lock.
JxStatus setDriverTracingAll(lib_task* task, bool on) {
  for (uint16_t h = 1; h < task->slotCount; ++h) {
    lib_handle* r = task->handles[h];
    if (!r || !(r->flags & LIB_H_IN_USE) || !(r->flags & LIB_H_CONNECTION) || !r->engine) continue;
    if (libSetDriverTracing(r->engine, on)) return 1;
  }
  return 0;
}

}  // namespace

void libTraceFormat(lib_task* task, const char* format, ...) {
  va_list args;
  va_start(args, format);
  traceFormatV(task, format, args);
  va_end(args);
}

void libTraceLine(lib_task* task, const char* format, ...) {
  if (!libTracingCalls(task)) return;
  va_list args;
  va_start(args, format);
  traceFormatV(task, format, args);
  va_end(args);
}

void libTraceReturn(lib_task* task, const lib_thread* thread, const char* name, int16_t status) {
  libTraceFormat(task, "%s returns (%i)", name, static_cast<int>(status));
  if (status != JXS_DRIVER_NATIVE) return;
  long native = thread ? thread->nativeError : 0;
  if (!native && thread) {
    for (JxNode* n = thread->errors.first(); n; n = thread->errors.after(n))
      if (unsigned long code = static_cast<JxError*>(n)->getNativeCode()) native = static_cast<long>(code);
  }
  libTraceFormat(task, "%s DBErr is (%li)", name, native);
}

char* libDecimalText(const void* value, int16_t precision, int16_t scale) {
  int digits = scale < 0 ? precision - scale : (precision > scale ? precision : scale);
  if (digits < 0) digits = 0;
  uint16_t count = static_cast<uint16_t>(digits / 2 + 1);
  char* text = static_cast<char*>(ramAlloc(2u * count + 1));
  if (!text) return nullptr;
  text[bcvHexify(text, static_cast<const uint8_t*>(value), count)] = 0;
  return text;
}

void libSyncTraceFlags(lib_task* task) {
  unsigned flags = task->trace.getFlags() & ~(JxTrace::TIME_STAMPS | JxTrace::FLUSH);
  if (task->traceWord & LIB_TRACE_TIME) flags |= JxTrace::TIME_STAMPS;
  if (!(task->traceWord & LIB_TRACE_NO_FLUSH)) flags |= JxTrace::FLUSH;
  task->trace.setFlags(flags);
}

int16_t jxTraceOn(const char* file) {
  lib_task* task = nullptr;
  lib_thread* thread = nullptr;
  if (libEnter(&task, &thread, 0) || !task || !thread) return libExit(task, thread);
  if (task->traceWord & LIB_TRACE_ACTIVE) {
    libTraceLine(task, "jxTraceOn (\"%s\")", file);
    libErrorById(LIBMSG_TRACE_ALREADY_ON);
    int16_t status = libExit(task, thread);
    libTraceReturn(task, thread, "jxTraceOn", status);
    return status;
  }
  {
    TaskLock lock(task);
    char* copy = nullptr;
    if (file && !(copy = ramAllocStr(file))) return libExit(task, thread);
    ramFree(task->traceFile);
    task->traceFile = copy;
    libSyncTraceFlags(task);
    if (task->trace.initialize(libInstance(), 0, task->traceFile)) return libExit(task, thread);
    // The trace window the options ask for comes with the trace.
    if ((task->traceWord & LIB_TRACE_WINDOW) && task->trace.setTraceToWindow()) {
      task->trace.resetTrace();
      return libExit(task, thread);
    }
    task->traceWord |= LIB_TRACE_ACTIVE;
  }
  libTraceLine(task, "jxTraceOn (\"%s\")", file);
  int16_t status = libExit(task, thread);
  if (libTracingCalls(task)) libTraceReturn(task, thread, "jxTraceOn", status);
  return status;
}

int16_t jxTraceOff() {
  lib_task* task = nullptr;
  lib_thread* thread = nullptr;
  if (libEnter(&task, &thread, LIB_NO_TASK) || !task || !thread) {
    libExit(task, thread);
    return LIBMSG_INVALID_HANDLE;
  }
  libTraceLine(task, "jxTraceOff ()");
  {
    TaskLock lock(task);
    if (!(task->traceWord & LIB_TRACE_ACTIVE)) {
      libErrorById(LIBMSG_TRACE_NOT_ON);
    } else {
      task->trace.resetTrace();
      task->traceWord &= static_cast<uint16_t>(~LIB_TRACE_ACTIVE);
    }
  }
  return libExit(task, thread);
}

int16_t jxSetTraceOptions(int16_t options) {
  return libStatusCall(
      0, "jxSetTraceOptions",
      [&](lib_task* task) { libTraceLine(task, "jxSetTraceOptions (%i)", static_cast<int>(options)); },
      [&](lib_task* task, lib_thread*) {
        TaskLock lock(task);
        bool driverWasOn = (task->traceWord & LIB_TRACE_DRIVER) != 0;
        uint16_t word = static_cast<uint16_t>(options) & static_cast<uint16_t>(~LIB_TRACE_ACTIVE);
        task->traceWord = static_cast<uint16_t>(word | (task->traceWord & LIB_TRACE_ACTIVE));
        if (word & LIB_TRACE_WINDOW) {
          if (task->trace.setTraceToWindow()) return;
        } else {
          task->trace.setFlags(task->trace.getFlags() & ~JxTrace::TO_WINDOW);
        }
        libSyncTraceFlags(task);
        bool driverOn = (word & LIB_TRACE_DRIVER) != 0;
        if (driverOn != driverWasOn) setDriverTracingAll(task, driverOn);
      });
}

int16_t jxGetTraceOptions() {
  lib_task* task = nullptr;
  lib_thread* thread = nullptr;
  if (libEnter(&task, &thread, 0) || !task || !thread) {
    libExit(task, thread);
    return 0;
  }
  libTraceLine(task, "jxGetTraceOptions ()");
  task->lock.lock();
  int16_t word = static_cast<int16_t>(task->traceWord & ~LIB_TRACE_ACTIVE);
  task->lock.unlock();
  libTraceLine(task, "jxGetTraceOptions returns (%i)", static_cast<int>(word));
  libExit(task, thread);
  return word;
}

int16_t jxTraceUser(const char* text) {
  lib_task* task = nullptr;
  lib_thread* thread = nullptr;
  if (libEnter(&task, &thread, 0) || !task || !thread) return libExit(task, thread);
  uint16_t word = task->traceWord;
  if ((word & LIB_TRACE_ACTIVE) && (word & LIB_TRACE_USER))
    libTraceFormat(task, "jxTraceUser (\"%s\")", text);
  return libExit(task, thread);
}

int16_t jxSetDriverTracefile(int16_t hdbc, const char* file) {
  return libStatusCall(
      LIB_NO_TASK, "jxSetDriverTracefile",
      [&](lib_task* task) {
        libTraceLine(task, "jxSetDriverTracefile (%i, \"%s\")", static_cast<int>(hdbc), file);
      },
      [&](lib_task* task, lib_thread* thread) {
        lib_handle* record = nullptr;
        if (libValidate(task, thread, hdbc, LIB_H_CONNECTION, &record)) return;
        libSetDriverTracefile(record->engine, file);
        libRelease(record);
      });
}
