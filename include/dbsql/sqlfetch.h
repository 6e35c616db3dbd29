// Moving a query through its result: fetching forward to a row number (keeping break
// levels and aggregates in step), reading ahead while the current row and its edits stay,
// the row counts, long values whole or in pieces, and the ways of closing a query: its
// statement handles only, keeping its first rows, for executing it again, or for good.
//
// Row numbers are 1-based. Every JxStatus answer is 0 on success and 1 on failure with
// the message in the calling thread's error list.
#pragma once

#include "dbsql/sqlquery.h"

// Query flag: a close was asked for while the query had changes pending in a
// transaction; the end of the transaction closes it for good.
const uint32_t SQLQ_CLOSE_DEFERRED = 0x100;

// The private statement option of drivers of capability flag B 64 (CMG_B_DRIVER_BIT3):
// the number of rows of the statement's result.
const SQLUSMALLINT SQL_PRIVATE_ROW_COUNT = 1047;

// Answers of sqlGetSomeMemo.
enum SqlMemoPiece : int16_t {
  SQLMEMO_FAILED = -1,
  SQLMEMO_LAST = 0,  // the piece ends the value
  SQLMEMO_MORE = 1,  // more data follows
  SQLMEMO_NULL = 100
};

// sqlGetMemo's limit when the query sets none: the most a 16-bit length can say.
const uint16_t SQLMEMO_NO_LIMIT = 65535;

extern "C" {

// Makes row n current, reading forward as needed and taking each row read into the
// aggregates and break levels once. Beyond a known row count: with a row log or a
// scrollable cursor the last row becomes current, else 4530. Unknown count: the fetch
// stops on the last row and succeeds. 4532 once the statement handles are dropped, 4524
// before execution, 4518 for a row behind a cursor without a row log.
JXSQL04_API JxStatus sqlXFetch(sql_qry* query, uint32_t row);
// The same without the entry and leave hooks, for the layer's own callers.
JXSQL04_API JxStatus sqlFetchRow(sql_qry* query, uint32_t row);
// Reads the result up to row n while the current row, its edited values and its edit
// state stay as they were. A forward-only query without a row log cannot read ahead
// without losing the current row: its statement handles are dropped instead, and later
// fetches fail with 4532.
JXSQL04_API JxStatus sqlReadToRowNum(sql_qry* query, uint32_t row);
// The rows read so far: the rows in the log, the driver's private count, or the rows
// fetched.
JXSQL04_API JxStatus sqlNumRowsRead(sql_qry* query, uint32_t* count);
// The number of rows of the result, asked of the driver: its private count (capability
// flag B 64) or a binary search of absolute fetches on a scrollable cursor. Sets the
// query's row count and marks it known.
JXSQL04_API JxStatus sqlResultRowCount(sql_qry* query, uint32_t* count);
// The same for a caller that holds the query's lock.
JXSQL04_API JxStatus sqlResultRowCountLocked(sql_qry* query, uint32_t* count);

// The whole value of column (1-based) of the current row in a new zero-terminated buffer
// (ramFree), at most the query's long-value limit (SQLMEMO_NO_LIMIT without one); NULL
// gives an empty text.
JXSQL04_API JxStatus sqlGetMemo(sql_qry* query, uint16_t column, char** buffer, uint16_t* length);
// The piece of column's value from offset, at most *length bytes, into buffer; *length
// gets the piece's size. SqlMemoPiece: 1 when the buffer filled before the value's end,
// 0 for the last piece (size 0 at the end), 100 for NULL, -1 on failure (an offset past
// the end of a value of known length: 2104).
JXSQL04_API int16_t sqlGetSomeMemo(sql_qry* query, uint16_t column, void* buffer, uint16_t* length,
                                   uint32_t offset);

// Drops the statement handles (nothing when the close is deferred or they are dropped).
JXSQL04_API JxStatus sqlCloseQuery(sql_qry* query);
// Keeps the first n rows: the handles go (the first one kept on a scrollable cursor) and
// the row count becomes n, or the rows already read when the cursor went.
JXSQL04_API JxStatus sqlCloseTruncate(sql_qry* query, uint32_t rows);
// Everything of the result goes (handles, rows, columns, breaks and aggregates); the
// query keeps its text and parameters and can be executed again.
JXSQL04_API JxStatus sqlCloseForReExecute(sql_qry* query);
// Closes the query for good and frees it; while changes are pending in a transaction it
// is only marked (SQLQ_CLOSE_DEFERRED) and its handles dropped.
JXSQL04_API JxStatus sqlClose(sql_qry* query);
// Frees a column record with everything it owns and its caller area.
JXSQL04_API void sqlFreeSqlfld(sql_qry_fld* column, uint16_t callerSize);
// Frees the query's parameter slots (a value chain shared by slots of one name once);
// the parameter count becomes 0.
JXSQL04_API void sqlFreeParams(sql_qry* query);

}  // extern "C"
