// The SQL engine's messages (string table of JXSQL04, jxsql04.rc), the services that
// raise them into the calling thread's error list, the entry and leave hooks that
// bracket every exported operation, and the start and stop hooks of the API library.
#pragma once

#include "dbsql/jxsql04_api.h"
#include "dbutil/jxerror.h"

struct cmgInfo;

// Numbers of the string table that the engine's own code names.
enum SqlMessage {
  SQLMSG_DRIVER_NATIVE = 4,  // a driver error with a native code (no text of its own)
  SQLMSG_LOGON_ONCE = 2100,
  SQLMSG_CONNECTION_CANCELLED = 2101,
  SQLMSG_NO_COMPATIBLE_TYPE = 2102,
  SQLMSG_NO_CONNECTION_DIALOG = 2103,
  SQLMSG_INVALID_VALUE = 2104,  // "The %s1 '%n2' is not valid."
  SQLMSG_LOAD_LIBRARY = 2105,
  SQLMSG_NEED_DSN = 2106,
  SQLMSG_MISSING_ARGUMENT = 2107,  // "No %s1 was given to %s2."
  SQLMSG_NO_TRANSACTIONS = 2108,
  SQLMSG_BUFFER_TOO_SMALL = 2109,    // "%s1: the text needs %n2 bytes, the buffer holds %n3."
  SQLMSG_SETTING_NOT_NUMBER = 2110,  // a number setting of "ODBC.INI" or the driver
  SQLMSG_SETTING_TOO_LONG = 2111,    // a text setting longer than its buffer
  SQLMSG_CANNOT_QUOTE = 2112,        // a name needs quotes; the driver has none
  SQLMSG_KEYWORD_NOT_NUMBER = 2113,  // a number keyword of the connection string
  SQLMSG_DRIVER_ANSWER = 2114,       // an answer of the driver that makes no sense
  SQLMSG_FORMAT_TOO_LONG = 3501,
  SQLMSG_NUMBER_TO_DATE = 3530,
  SQLMSG_MISSING_KEYWORD = 4500,
  SQLMSG_UNEXPECTED_TEXT = 4501,     // "Unexpected text at end of SQL query: '%s1'"
  SQLMSG_EMPTY_CLAUSE = 4502,
  SQLMSG_IMPROPER_SELECT_LIST = 4504,  // the statement
  SQLMSG_NO_STATEMENT = 4505,
  SQLMSG_TABLE_NAME_TOO_LONG = 4526,  // "%n1": the longest name allowed
  SQLMSG_ABORTED = 4507,
  SQLMSG_PARAMETER_TOO_LARGE = 4527,
  SQLMSG_EOF = 4530,
  SQLMSG_DRIVER_ERROR = 4535,
  SQLMSG_DRIVER_WARNING = 4536,
  SQLMSG_INVALID_ODBC_HANDLE = 4525,
  SQLMSG_INTERNAL_01 = 4543,  // a source type that no translation rule covers
  SQLMSG_FILE_NAME_LABEL = 21301,
  SQLMSG_FILES_LABEL = 21302,
  SQLMSG_DIRECTORY_LABEL = 21303,
  SQLMSG_DIRECTORIES_LABEL = 21304,
  SQLMSG_LIST_LABEL = 21305,
  SQLMSG_MORE_DATA = 22400,
  SQLMSG_DATE_LETTERS = 22409,
  SQLMSG_QUERY_FILE_VERSION = 23101
};

// Size of the buffers that message texts are loaded into (terminator included).
const unsigned SQL_MESSAGE_SIZE = 512;

extern "C" {

// Adds an error (a warning) made from message n of the engine's table to the calling
// thread's error list and answers it, so that the caller can fill "%s1", "%n1" ... in
// order. A number the table lacks gives an empty text. When the error object cannot be
// allocated nothing is added and the answer is null.
JXSQL04_API JxError* sqlErrorById(unsigned short number);
JXSQL04_API JxError* sqlWarningById(unsigned short number);
// Copies the text of message n (empty when the table lacks it) into buffer512.
JXSQL04_API void sqlLoadMessage(unsigned short number, char* buffer512);

// Called on entry to every exported operation: 0 goes on; anything else makes the
// operation return its failure value at once.
JXSQL04_API short sqlEnterHook(cmgInfo* env);
// Called before every exported operation returns.
JXSQL04_API void sqlLeaveHook(cmgInfo* env);

// Start and stop hooks the API library calls on first use and at task end.
JXSQL04_API void sqlInitBwnwin();
JXSQL04_API void sqlTermBwnwin();

}  // extern "C"
