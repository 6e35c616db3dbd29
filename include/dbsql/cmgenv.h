// The environment and connection manager: one environment record per user of the
// database library, the data sources of the driver manager, the connection records
// with their sharing between tasks, their options and their information items.
//
// Locks: the environment lock guards the connection list and the environment's
// options; each connection lock guards its record's options and handles. The
// environment lock is always taken before a connection lock.
#pragma once

#include "dbsql/sqlengine.h"

// Exported with C names.
extern "C" {

// Environment.
// The new record, or null with the message on the thread's list.
JXSQL04_API cmgInfo* cmgInit(uint16_t callerFlags);
// Logs every connection off (forced) and frees the environment.
JXSQL04_API JxStatus cmgTerm(cmgInfo* env);
JXSQL04_API void cmgSetDllPrefix(cmgInfo* env, const char prefix[2]);
JXSQL04_API void cmgSetLoginTimeout(cmgInfo* env, uint32_t seconds);
JXSQL04_API uint32_t cmgGetLoginTimeout(cmgInfo* env);

// Connections.
// A record shared with another task (prompt flag 1) or a new record connected with the
// connection string (kept whole, however long). logonName null or empty: "LOGN=" of
// the connection string, else none. Null on failure.
JXSQL04_API cmg_capabilities* cmgLogon(cmgInfo* env, const char* logonName, const char* connectString,
                                       uint16_t promptFlags);
// A record around a connection the program opened itself: connection number 1, an
// empty logon name. The handle stays the program's: logoff does not disconnect it.
JXSQL04_API cmg_capabilities* cmgLogonWithODBCHdbc(cmgInfo* env, SQLHDBC hdbc);
// Connects an existing record through the driver.
JXSQL04_API JxStatus cmgConnect(cmg_capabilities* con, const char* connectString, uint16_t promptFlags);
// Clears the calling task's bits; the record is disconnected and freed once no task
// holds it any more.
JXSQL04_API JxStatus cmgLogoff(cmg_capabilities* con);
JXSQL04_API void cmgSetCurrent(cmgInfo* env, cmg_capabilities* con);
JXSQL04_API cmg_capabilities* cmgGetCurrent(cmgInfo* env);
// The record that the text names (CmgFindMode), or null.
JXSQL04_API cmg_capabilities* cmgConFromString(cmgInfo* env, uint16_t mode, const char* text);

// No connection dialog is offered: each answers 1 with message 2103.
JXSQL04_API JxStatus cmgDlgClearOptions(cmgInfo* env);
JXSQL04_API JxStatus cmgDlgSetOptions(cmgInfo* env, const char* options);
JXSQL04_API JxStatus cmgDlgBox(cmgInfo* env, HWND parent);
JXSQL04_API void cmgProcessEsc(cmg_capabilities* con, uint16_t value);

// Options, under the connection lock.
JXSQL04_API JxStatus cmgSetQueryTimeout(cmg_capabilities* con, uint32_t seconds);
JXSQL04_API uint32_t cmgGetQueryTimeout(cmg_capabilities* con);
JXSQL04_API JxStatus cmgSetMaxRows(cmg_capabilities* con, uint32_t rows);
JXSQL04_API JxStatus cmgGetMaxRows(cmg_capabilities* con, uint32_t* rows);
JXSQL04_API JxStatus cmgSetLockOptions(cmg_capabilities* con, uint16_t options);
JXSQL04_API uint16_t cmgGetLockOptions(cmg_capabilities* con);
JXSQL04_API JxStatus cmgSetAutoUpdate(cmg_capabilities* con, uint16_t autoUpdate);
JXSQL04_API uint16_t cmgGetAutoUpdate(cmg_capabilities* con);
// Bits 0-6 of the cursor options word; the other bits are kept.
JXSQL04_API JxStatus cmgSetCursorOptions(cmg_capabilities* con, uint16_t options);
JXSQL04_API uint16_t cmgGetCursorOptions(cmg_capabilities* con);
// Bits 7-13 of the same word; the other bits are kept.
JXSQL04_API JxStatus cmgSetOneHstmtOptions(cmg_capabilities* con, uint16_t options);
JXSQL04_API uint16_t cmgGetOneHstmtOptions(cmg_capabilities* con);
// CmgTableCaching. Modes 1 and 2 make a cache file when there is none; 3 deletes a
// temporary one.
JXSQL04_API JxStatus cmgSetTableCaching(cmg_capabilities* con, uint16_t mode);
JXSQL04_API uint16_t cmgGetTableCaching(cmg_capabilities* con);
// A named file (opened, or created when missing) or, for null or an empty name, a new
// temporary file.
JXSQL04_API JxStatus cmgSetTableCacheFile(cmg_capabilities* con, const char* name);
// The file name, or an empty text, into buffer (size bytes, terminator included).
JXSQL04_API JxStatus cmgGetTableCacheFile(cmg_capabilities* con, char* buffer, uint32_t size);

// Information items (CmgInfoItem) as text into buffer (size bytes). Items 10 to 13 take
// the caller's name from the buffer and write the result over it. A null connection
// answers as a file driver does.
JXSQL04_API JxStatus cmgGetInfo(cmg_capabilities* con, uint16_t item, char* buffer, uint32_t size);

// Name comparisons: exact, and ignoring case. Negative, 0 or positive.
JXSQL04_API short cmgCompare(const char* a, const char* b);
JXSQL04_API short cmgCompareCi(const char* a, const char* b);
// The first place in text where the upper-case pattern stands, ignoring the case of the
// text's letters; null when it is not there.
JXSQL04_API const char* cmgFindCi(const char* text, const char* pattern);

}  // extern "C"
