// Statement handles of a connection and the extra connections behind them. On a driver
// that allows one active statement per connection (and more than one connection) each
// statement that needs it gets a connection of its own, opened with the connection's
// completed connection string; a statement map remembers which connection each
// statement belongs to, and at most one free connection is kept as the spare. On
// other drivers every statement uses the primary connection.
#pragma once

#include "dbsql/sqlengine.h"

// How a new statement chooses its connection.
enum SqlHstmtMode {
  SQL_HSTMT_ANY = 0,     // any free connection
  SQL_HSTMT_PRIMARY = 1  // the chosen connection becomes the primary one
};

extern "C" {

// One active statement per connection and more than one connection allowed.
JXSQL04_API short sqlSingleStatementMode(const cmg_capabilities* con);
// A new statement on a connection chosen by mode. JxStatus.
JXSQL04_API JxStatus sqlAllocHstmt(cmg_capabilities* con, SQLHSTMT* out, uint16_t mode);
// The connection of a statement: the primary one outside single-statement mode, else
// the map's answer (null without a map). Takes the connection lock. JxStatus.
JXSQL04_API JxStatus sqlLookupHdbc(cmg_capabilities* con, SQLHDBC* out, SQLHSTMT hstmt);
// The same, for a caller that holds the connection lock.
JXSQL04_API JxStatus sqlLookupHdbcLocked(cmg_capabilities* con, SQLHDBC* out, SQLHSTMT hstmt);
// SQLFreeStmt with the option and the bookkeeping of the statement's connection.
JXSQL04_API JxStatus sqlDropHstmt(cmg_capabilities* con, SQLHSTMT hstmt, SQLUSMALLINT option);
// SQLFreeStmt with the statement-level check, under a lock the caller names (a query
// object's own lock or the connection's statement lock); no map bookkeeping.
JXSQL04_API JxStatus sqlFreeHstmtUnder(JxSemaphore* lock, cmg_capabilities* con, SQLHSTMT hstmt,
                                       SQLUSMALLINT option);
// Disconnects and frees every connection of the record (the primary one only when the
// record opened it) and the statement map. JxStatus; the first failure ends it.
JXSQL04_API JxStatus sqlCloseAllHdbc(cmg_capabilities* con);
// The number of statements in the map (0 without one).
JXSQL04_API uint32_t sqlHstmtCount(const cmg_capabilities* con);

// Statement-level checks of a driver call's result: the statement's own connection is
// found in the map. The first takes the connection lock for the look-up; the second
// expects the caller to hold it; the third releases it after the check. 0 when the
// call counts as successful, else 1.
JXSQL04_API int sqlCheckHstmt(cmg_capabilities* con, SQLHSTMT hstmt, SQLRETURN rc);
JXSQL04_API int sqlCheckHstmtLocked(cmg_capabilities* con, SQLHSTMT hstmt, SQLRETURN rc);
JXSQL04_API int sqlCheckHstmtUnlock(cmg_capabilities* con, SQLHSTMT hstmt, SQLRETURN rc);
// Collects a statement's messages without reporting them: the SQLSTATE number, or -1
// when the statement's connection cannot be found.
JXSQL04_API int32_t sqlHstmtState(cmg_capabilities* con, SQLHSTMT hstmt);

}  // extern "C"
