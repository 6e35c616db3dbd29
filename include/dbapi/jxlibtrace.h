// The trace of API calls: a line for every call and its result, into a trace file, the
// trace window or both. The trace options are the trace word without its "active" bit.
#pragma once

#include "dbapi/jxlib_api.h"

#include <stdint.h>

// Bits of the trace options.
enum JxTraceOptions {
  JXT_CALLS = 0x0001,       // call and return lines of API functions
  JXT_USER = 0x0002,        // lines given to jxTraceUser
  JXT_WINDOW = 0x0008,      // the trace window
  JXT_DRIVER = 0x0010,      // the driver manager's tracing on every connection
  JXT_NO_FLUSH = 0x0020,    // the file is not flushed after each line
  JXT_TIME_STAMPS = 0x0080  // each line begins with the time
};

extern "C" {
// Starts tracing into file (none for null); 4120 when tracing is on already.
JXLIB_API int16_t jxTraceOn(const char* file);
// Stops tracing; 4122 when it is not on.
JXLIB_API int16_t jxTraceOff();
JXLIB_API int16_t jxSetTraceOptions(int16_t options);
JXLIB_API int16_t jxGetTraceOptions();
// A line of the program's own, written while tracing with JXT_USER; always 0 otherwise.
JXLIB_API int16_t jxTraceUser(const char* text);
// The driver manager's trace file of a connection.
JXLIB_API int16_t jxSetDriverTracefile(int16_t hdbc, const char* file);
}
