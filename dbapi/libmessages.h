// The API library's messages (jxlib.rc): numbers 4100-4167, the negative statuses under
// 65528-65535 and the column names of catalogue result sets (22700-22732).
#pragma once

#include "dbutil/jxerror.h"

#include <windows.h>

enum LibMessage {
  LIBMSG_TOO_MANY_HANDLES = 4100,
  LIBMSG_INVALID_HANDLE = 4101,
  LIBMSG_INVALID_COLUMN = 4103,
  LIBMSG_NO_TASK = 4105,
  LIBMSG_TRACE_ALREADY_ON = 4120,
  LIBMSG_TRACE_NOT_ON = 4122,
  LIBMSG_DRIVER_ERROR = 4149,
  LIBMSG_DRIVER_WARNING = 4150,
  LIBMSG_INVALIDATED = 4151,
  LIBMSG_HANDLE_BUSY = 4165,
  LIBMSG_OUT_OF_MEMORY = 65533,
  LIBMSG_FIRST_COLUMN_NAME = 22700,
  LIBMSG_LAST_COLUMN_NAME = 22732
};

const unsigned LIB_MESSAGE_SIZE = 512;

// Adds an error (a warning) made from message n of the library's table to the thread's
// current list and answers it (the keeper's fallback entry when none can be made).
JxError* libErrorById(unsigned short number);
JxError* libWarningById(unsigned short number);
// The text of message n (empty when absent) into a 512-byte buffer.
void libLoadMessage(char* buffer512, unsigned short number);

// The library's module: its string table, and the owner of the trace window.
HINSTANCE libInstance();
