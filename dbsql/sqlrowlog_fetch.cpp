// Fetching rows from the cursor into the column buffers and the log, and positioning a
// query on a row number: from the log, by fetching forward, or by an absolute fetch on
// a scrollable cursor. A row whose columns cannot be read is not counted: the counters
// stay where they were and the next attempt reads the same row again.
#include "dbsql/bcvconvert.h"
#include "dbsql/cmgdriver.h"
#include "dbsql/sqlfetch.h"
#include "dbsql/sqlhstmt.h"
#include "dbsql/sqllogindex.h"
#include "dbsql/sqltypemap.h"
#include "sqlquery_internal.h"
#include "sqlrowlog_internal.h"
#include "dbutil/jxmemory.h"

#include <string.h>

namespace {

const uint32_t kFirstPart = 255;

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

JxStatus badAnswer(const char* what) {
  JxError* e = sqlErrorById(SQLMSG_DRIVER_ANSWER);
  if (e) *e << "SQLGetData" << what;
  return 1;
}

void forgetLongValue(sql_qry_fld* f) {
  ramFree(f->longValue);
  f->longValue = nullptr;
}

// The rest of a truncated value without logging: a separate buffer with the first part
// and what the driver still has, up to the maximum long-value length.
JxStatus readRestIntoBuffer(sql_qry* q, SQLHSTMT h, sql_qry_fld* f, uint16_t number, int16_t cType,
                            SQLLEN reported) {
  const bool characters = cType == SQL_C_CHAR;
  const uint32_t cap = q->longValueLimit ? q->longValueLimit : SQLLOG_UNLOGGED_MAX;
  uint32_t total = reported == SQL_NO_TOTAL || reported < 0 || static_cast<uint64_t>(reported) > cap
                       ? cap
                       : static_cast<uint32_t>(reported);
  if (total < kFirstPart) total = kFirstPart;
  const uint32_t size = total + 1 + (characters ? 1 : 0);
  uint8_t* buffer = static_cast<uint8_t*>(ramAlloc(size));
  if (!buffer) return 1;
  memcpy(buffer, f->value, kFirstPart);
  SQLLEN got = 0;
  const SQLLEN room = static_cast<SQLLEN>(size - kFirstPart - (characters ? 0 : 1));
  SQLRETURN rc = SQLGetData(h, number, cType, buffer + kFirstPart, room, &got);
  uint32_t length = kFirstPart;
  if (rc == SQL_SUCCESS) {
    if (got < 0 || got > room) {
      ramFree(buffer);
      return badAnswer("a length outside the buffer");
    }
    length += static_cast<uint32_t>(got);
  } else if (rc == SQL_SUCCESS_WITH_INFO) {
    if (sqlLogTruncationOnly(q->connection, h)) {
      ramFree(buffer);
      return 1;
    }
    length = total;
  } else if (rc != SQL_NO_DATA_FOUND) {
    sqlCheckHstmt(q->connection, h, rc);
    ramFree(buffer);
    return 1;
  }
  buffer[length] = 0;
  f->longValue = buffer;
  f->valueLength = static_cast<int32_t>(length);
  return 0;
}

// One column of the row the statement stands on. Long strings are asked for in their
// first 255 bytes; the driver's truncation ("01004") sends the rest to the log (logging)
// or to the separate buffer.
JxStatus readColumn(sql_qry* q, SQLHSTMT h, uint16_t number, bool logging) {
  sql_qry_fld* f = q->columns[number - 1];
  forgetLongValue(f);
  f->valueRecord = 0;
  const bool wide = (f->layerType == BCV_CHAR || f->layerType == BCV_VARCHAR) && f->length > 255;
  const bool characters = (q->logOptions & SQLLOG_OPT_CHAR_TRANSFER) != 0;
  int16_t cType = wide ? (characters ? SQL_C_CHAR : SQL_C_BINARY) : f->bindType;
  SQLLEN size = wide ? (characters ? 256 : 255) : f->bufferSize;
  if (size > f->bufferSize) size = f->bufferSize;
  if (!f->value || size <= 0) return badAnswer("a column without a buffer");
  SQLLEN got = 0;
  SQLRETURN rc = SQLGetData(h, number, cType, f->value, size, &got);
  if (rc == SQL_SUCCESS) {
    if (got == SQL_NULL_DATA) {
      f->valueLength = SQL_NULL_DATA;
      return 0;
    }
    // A value longer than the buffer without the driver saying so is a cut value
    // passed off as whole.
    const bool text = cType == SQL_C_CHAR;
    const bool bytes = text || cType == SQL_C_BINARY;
    if (got < 0 || (bytes && (text ? got >= size : got > size))) return badAnswer("a truncated value");
    f->valueLength = static_cast<int32_t>(got);
    return 0;
  }
  if (rc != SQL_SUCCESS_WITH_INFO) {
    sqlCheckHstmt(q->connection, h, rc);
    return 1;
  }
  if (sqlLogTruncationOnly(q->connection, h)) return 1;
  if (cType != SQL_C_CHAR && cType != SQL_C_BINARY) return badAnswer("a truncated value of a fixed size");
  if (size < static_cast<SQLLEN>(kFirstPart) + (cType == SQL_C_CHAR ? 1 : 0)) {
    // A short buffer keeps what it holds.
    f->valueLength = static_cast<int32_t>(cType == SQL_C_CHAR ? size - 1 : size);
    return 0;
  }
  if (q->longValueLimit && q->longValueLimit < kFirstPart) {
    f->valueLength = kFirstPart;
    return 0;
  }
  if (logging) return sqlLogWriteLongValue(q, h, f, number, q->connection);
  return readRestIntoBuffer(q, h, f, number, cType, got);
}

// Every column of the current cursor row, then their values normalised by type. On
// failure the long values already sent to the log are given back.
JxStatus readRow(sql_qry* q, SQLHSTMT h, bool logging) {
  for (uint16_t i = 0; i < q->columnCount; ++i) {
    q->columns[i]->valueRecord = 0;
    forgetLongValue(q->columns[i]);
  }
  JxStatus st = 0;
  for (uint16_t n = 1; n <= q->columnCount && !st; ++n) st = readColumn(q, h, n, logging);
  for (uint16_t i = 0; i < q->columnCount && !st; ++i) {
    sql_qry_fld* f = q->columns[i];
    // Long values are kept as the driver gave them.
    if (f->valueLength < 0 || f->valueLength > static_cast<int32_t>(kFirstPart)) continue;
    const bool text = f->bindType == SQL_C_CHAR;
    SqlValueSlot slot{
        f->layerType,   f->odbcType, f->transferLength, text ? f->bufferSize - 1 : f->bufferSize,
        f->valueLength, f->value,    f->bindType};
    if (sqlNormaliseValue(&slot)) st = 1;
    f->valueLength = slot.length;
  }
  if (st) {
    sqlLogDropValueRecords(q);
    for (uint16_t i = 0; i < q->columnCount; ++i) forgetLongValue(q->columns[i]);
  }
  return st;
}

// The row the cursor stands on: the last logged row with logging, else the rows fetched.
uint32_t cursorRow(const sql_qry* q) { return (q->flags & SQLQ_LOGGING) ? q->rowsInLog : q->rowsFetched; }

// Appends the column buffers to the log as the next row.
JxStatus appendRow(sql_qry* q) {
  const uint32_t size = sqlLogRowSize(q, 0);
  uint32_t at = 0;
  if (q->rowLog.tmpFindSpace(size, &at)) return 1;
  if (sqlLogWriteRow(q, at, 0) || sqlLogIndexInsert(q, at, q->rowsInLog)) {
    q->rowLog.tmpFreeSpace(at, size);
    return 1;
  }
  for (uint16_t i = 0; i < q->columnCount; ++i) q->columns[i]->valueRecord = 0;
  ++q->rowsInLog;
  return 0;
}

JxStatus endOfData(sql_qry* q) {
  q->rowCount = cursorRow(q);
  q->flags |= SQLQ_END_OF_DATA | SQLQ_COUNT_KNOWN;
  q->logCursorAhead = 0;
  if ((q->logOptions & SQLLOG_OPT_KEEP_STATEMENT) || (q->flags & SQLQ_KEEP_STATEMENT)) return 0;
  // Nothing more will come from the statement: its handle is given back at once.
  SQLHSTMT h = q->hstmt;
  q->hstmt = nullptr;
  q->flags &= ~SQLQ_PREPARED;
  return sqlDropHstmt(q->connection, h, SQL_DROP);
}

JxStatus fetchNext(sql_qry* q) {
  if (!q->hstmt) {
    if (q->flags & SQLQ_COUNT_KNOWN) return 0;
    sqlErrorById(4532);
    return 1;
  }
  const bool logging = (q->flags & SQLQ_LOGGING) != 0;
  SqlLock lock(&q->lock);
  SQLHSTMT h = q->hstmt;
  if (!q->logCursorAhead) {
    SQLRETURN rc;
    if (q->flags & SQLQ_SCROLLABLE) {
      SQLULEN rows = 0;
      SQLUSMALLINT status[1] = {0};
      rc = SQLExtendedFetch(h, SQL_FETCH_NEXT, 0, &rows, status);
    } else {
      rc = SQLFetch(h);
    }
    if (rc == SQL_NO_DATA_FOUND) return endOfData(q);
    if (!succeeded(rc) || sqlCheckHstmt(q->connection, h, rc)) {
      if (!succeeded(rc)) sqlCheckHstmt(q->connection, h, rc);
      return 1;
    }
    // The cursor has moved: until the row is read, the next fetch reads it again.
    q->logCursorAhead = 1;
  }
  if (readRow(q, h, logging)) return 1;
  if (logging && appendRow(q)) {
    sqlLogDropValueRecords(q);
    return 1;
  }
  q->logCursorAhead = 0;
  q->rowsFetched = logging ? q->rowsInLog : q->rowsFetched + 1;
  q->currentRow = q->rowsFetched;
  q->flags &= ~(SQLQ_ROW_MARK | SQLQ_END_OF_DATA);
  return 0;
}

// Logging off, a scrollable cursor: row r straight from the driver.
JxStatus fetchAbsolute(sql_qry* q, uint32_t r) {
  if (!q->hstmt) {
    sqlErrorById(4532);
    return 1;
  }
  SqlLock lock(&q->lock);
  SQLHSTMT h = q->hstmt;
  for (;;) {
    SQLULEN rows = 0;
    SQLUSMALLINT status[1] = {0};
    SQLRETURN rc = SQLExtendedFetch(h, SQL_FETCH_ABSOLUTE, static_cast<SQLLEN>(r), &rows, status);
    if (rc == SQL_NO_DATA_FOUND) {
      uint32_t total = 0;
      if (sqlResultRowCountLocked(q, &total)) return 1;
      if (total == 0) {
        q->currentRow = 0;
        return 0;
      }
      // The last row: a count that does not move the position is a driver that
      // contradicts itself.
      if (total >= r) {
        sqlErrorById(4541);
        return 1;
      }
      r = total;
      continue;
    }
    if (!succeeded(rc) || sqlCheckHstmt(q->connection, h, rc)) {
      if (!succeeded(rc)) sqlCheckHstmt(q->connection, h, rc);
      return 1;
    }
    // A column that cannot be read fails the move; the counters stay, so a later read
    // can try the row again.
    if (readRow(q, h, false)) return 1;
    q->rowsFetched = r;
    q->currentRow = r;
    q->flags &= ~SQLQ_ROW_MARK;
    return 0;
  }
}

JxStatus position(sql_qry* q, uint32_t r) {
  const cmg_capabilities* con = q->connection;
  if (r == 0) {
    q->currentRow = 0;
    return 0;
  }
  if ((q->flags & SQLQ_COUNT_KNOWN) && r > q->rowCount && !(con && con->transactionMode == SQLLOG_APPLYING))
    return 0;
  if (q->flags & SQLQ_LOGGING) {
    if (r <= q->rowsInLog) {
      if (!sqlLogRowHasPendingChanges(q, r)) {
        uint32_t offset = 0;
        if (sqlLogIndexGetOffset(q, r, &offset)) return 1;
        if (offset != SQLLOG_PLACEHOLDER && sqlLogReadRecord(q, offset)) return 1;
      }
      q->currentRow = q->rowsFetched = r;
      return 0;
    }
    while (q->rowsInLog < r && !(q->flags & SQLQ_END_OF_DATA)) {
      if ((q->flags & SQLQ_COUNT_KNOWN) && q->rowsInLog >= q->rowCount) break;
      if (fetchNext(q)) return 1;
    }
    return 0;
  }
  if (q->flags & SQLQ_SCROLLABLE) return fetchAbsolute(q, r);
  // The row the cursor stands on is in the buffers already.
  if (r == q->rowsFetched && r == q->currentRow) return 0;
  if (r <= q->rowsFetched) {
    sqlErrorById(4518);
    return 1;
  }
  while (q->rowsFetched < r && !(q->flags & SQLQ_END_OF_DATA)) {
    if ((q->flags & SQLQ_COUNT_KNOWN) && q->rowsFetched >= q->rowCount) break;
    if (fetchNext(q)) return 1;
  }
  return 0;
}

}  // namespace

short sqlLogRowHasPendingChanges(const sql_qry*, uint32_t) { return 0; }

JxStatus sqlLogFetchNext(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlLogFetchNext");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (!q->columns) return sqlMissing("result", "sqlLogFetchNext");
  return fetchNext(q);
}

JxStatus sqlLogPosition(sql_qry* q, uint32_t row) {
  if (!q) return sqlMissing("query", "sqlLogPosition");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (!q->columns) return sqlMissing("result", "sqlLogPosition");
  return position(q, row);
}

JxStatus sqlLogRereadRow(sql_qry* q, uint32_t row, SQLHSTMT hstmt, short write) {
  if (!q || !hstmt) return sqlMissing(q ? "statement" : "query", "sqlLogRereadRow");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  const bool logging = (q->flags & SQLQ_LOGGING) && write;
  {
    SqlLock lock(&q->lock);
    if (readRow(q, hstmt, logging)) return 1;
  }
  if (!logging) return 0;
  uint32_t old = 0;
  if (sqlLogIndexGetOffset(q, row, &old)) {
    sqlLogDropValueRecords(q);
    return 1;
  }
  const uint32_t size = sqlLogRowSize(q, 0);
  uint32_t at = 0;
  if (q->rowLog.tmpFindSpace(size, &at)) {
    sqlLogDropValueRecords(q);
    return 1;
  }
  if (sqlLogWriteRow(q, at, 0) || sqlLogIndexSetOffset(q, row, at)) {
    q->rowLog.tmpFreeSpace(at, size);
    sqlLogDropValueRecords(q);
    return 1;
  }
  for (uint16_t i = 0; i < q->columnCount; ++i) q->columns[i]->valueRecord = 0;
  if (sqlLogJournalAdd(q, SQLLOG_UPDATED, old, row)) {
    sqlLogIndexSetOffset(q, row, old);
    q->rowLog.tmpFreeSpace(at, size);
    return 1;
  }
  return 0;
}
