// The database access API's statuses and the functions through which a program reads
// the outcome of its thread's previous call. Every exported function of the library
// answers a 16-bit status (or a value whose failure value is 0 or null, the status
// then told by jxErr).
#pragma once

#include "dbapi/jxlib_api.h"

#include <stdint.h>

// Statuses. The negative ones are message numbers 65528-65535 read as signed values.
enum JxApiStatus {
  JXS_OK = 0,
  JXS_TRUNCATED = -1,   // a warning; the status only under Revision 1
  JXS_NULL_VALUE = -2,  // a warning; the status only under Revision 1
  JXS_OUT_OF_MEMORY = -3,
  JXS_LOGON_CANCELLED = -4,
  JXS_EOF = -5,
  JXS_NO_ROWS_LOCKED = -6,
  JXS_ROWS_LOCKED = -7,
  JXS_ROW_CHANGED = -8,
  JXS_ABORTED = 2,
  JXS_DRIVER_NATIVE = 4,  // jxDBErr gives the native code
  JXS_TOO_MANY_HANDLES = 4100,
  JXS_INVALID_HANDLE = 4101,
  JXS_INVALID_COLUMN = 4103,
  JXS_NO_TASK = 4105,  // the library was not started in this process
  JXS_DRIVER_ERROR = 4149,
  JXS_DRIVER_WARNING = 4150,
  JXS_INVALIDATED = 4151,
  JXS_HANDLE_BUSY = 4165
};

// Size of the buffer jxErrMsgBuf fills (terminator included).
const unsigned JX_ERRMSG_SIZE = 512;

struct lib_handle;

extern "C" {
// The status of the previous call (4105 when the library was never started here).
JXLIB_API int16_t jxErr();
// The driver's native error code of the previous call.
JXLIB_API int32_t jxDBErr();
// The number of the last warning of the previous call.
JXLIB_API int16_t jxWarning();
// The messages of the previous call, newest first, one per line, at most 511
// characters; valid until the thread's next call. Null when the library was never
// started here.
JXLIB_API const char* jxErrMsg();
// The same into buffer (JX_ERRMSG_SIZE bytes); 1 with an empty buffer when the
// library was never started here.
JXLIB_API int16_t jxErrMsgBuf(char* buffer);
// The handle record of a connection and of a statement.
JXLIB_API int16_t blbConvertHdbc(int16_t hdbc, lib_handle** record);
JXLIB_API int16_t blbConvertHstmt(int16_t hstmt, lib_handle** record);
}
