// Long values of the current row, whole or in pieces: an edited value from the column,
// a logged value from the row log, an unlogged one from the driver on a scrollable
// cursor, else the value the column holds.
#include "dbsql/sqlfetch.h"

#include "dbsql/sqlhstmt.h"
#include "dbsql/sqlrowlog.h"
#include "sqlquery_internal.h"
#include "dbutil/jxmemory.h"

#include <string.h>

namespace {

const uint32_t kNoRow = 0xFFFFFFFFu;
const int32_t kInBuffer = 255;  // the longest value the column's buffer holds whole

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// The bytes of the column's own value: the separate buffer of a long value, else the
// column's buffer. *length gets how many there are (0 for NULL).
const uint8_t* columnBytes(const sql_qry_fld* f, uint32_t* length) {
  *length = 0;
  if (f->valueLength <= 0) return nullptr;
  if (f->longValue && f->valueLength > kInBuffer) {
    *length = static_cast<uint32_t>(f->valueLength);
    return f->longValue;
  }
  if (!f->value) return nullptr;
  uint32_t n = static_cast<uint32_t>(f->valueLength);
  if (n > f->bufferSize) n = f->bufferSize;
  *length = n;
  return f->value;
}

// The current row is a row of the log (not an open slot, not before the first row).
bool rowInLog(const sql_qry* q) {
  return (q->flags & SQLQ_LOGGING) && q->currentRow != 0 && q->currentRow != kNoRow &&
         q->currentRow <= q->rowsInLog && !(q->flags & SQLQ_INSERT_SLOT);
}

// The driver's cursor can be put back on the current row.
bool fromDriver(const sql_qry* q) {
  return !(q->flags & SQLQ_LOGGING) && (q->flags & SQLQ_SCROLLABLE) && q->hstmt && q->currentRow != 0 &&
         q->currentRow != kNoRow && !(q->flags & SQLQ_INSERT_SLOT);
}

// The cursor back on the current row ("no data" is no error); under the query's lock.
JxStatus cursorToRow(sql_qry* q) {
  SQLULEN got = 0;
  SQLUSMALLINT status[1] = {0};
  SQLRETURN rc = SQLExtendedFetch(q->hstmt, SQL_FETCH_ABSOLUTE, static_cast<SQLLEN>(q->currentRow), &got, status);
  if (rc == SQL_NO_DATA_FOUND) return 0;
  return sqlCheckHstmt(q->connection, q->hstmt, rc) ? 1 : 0;
}

JxStatus copyOut(const uint8_t* bytes, uint32_t n, char** buffer, uint16_t* length) {
  char* out = static_cast<char*>(ramAlloc(n + 1));
  if (!out) return 1;
  if (n) memcpy(out, bytes, n);
  out[n] = 0;
  *buffer = out;
  *length = static_cast<uint16_t>(n);
  return 0;
}

JxStatus offsetPastEnd(uint32_t offset) {
  JxError* e = sqlErrorById(SQLMSG_INVALID_VALUE);
  if (e) *e << "long-value offset" << static_cast<unsigned long>(offset);
  return 1;
}

// A piece of known bytes: from offset, at most *length of them.
int16_t pieceOf(const uint8_t* bytes, uint32_t total, void* buffer, uint16_t* length, uint32_t offset) {
  if (offset > total) {
    offsetPastEnd(offset);
    return SQLMEMO_FAILED;
  }
  uint32_t n = total - offset;
  if (n > *length) n = *length;
  if (n) memcpy(buffer, bytes + offset, n);
  const bool more = offset + n < total;
  *length = static_cast<uint16_t>(n);
  return more ? SQLMEMO_MORE : SQLMEMO_LAST;
}

}  // namespace

JxStatus sqlGetMemo(sql_qry* q, uint16_t column, char** buffer, uint16_t* length) {
  if (buffer) *buffer = nullptr;
  if (length) *length = 0;
  if (!q || !buffer || !length) return sqlMissing(q ? "result" : "query", "sqlGetMemo");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  sql_qry_fld* f = sqlColumnOf(q, column);
  if (!f) return 1;
  const uint32_t limit = q->longValueLimit ? q->longValueLimit : SQLMEMO_NO_LIMIT;
  // An edited value, or one of a row outside the log: the column's own. (A value pending
  // in a transaction comes from the pending changes, with the transaction code.)
  if ((f->flags & SQLC_CHANGED) || !(rowInLog(q) || fromDriver(q))) {
    uint32_t n = 0;
    const uint8_t* bytes = columnBytes(f, &n);
    return copyOut(bytes, n < limit ? n : limit, buffer, length);
  }
  if (rowInLog(q)) {
    if (f->valueLength < 0) return copyOut(nullptr, 0, buffer, length);
    const uint32_t n = static_cast<uint32_t>(f->valueLength) < limit ? static_cast<uint32_t>(f->valueLength) : limit;
    if (n <= static_cast<uint32_t>(kInBuffer) || static_cast<uint32_t>(f->valueLength) <= static_cast<uint32_t>(kInBuffer)) {
      uint32_t have = 0;
      const uint8_t* bytes = columnBytes(f, &have);
      return copyOut(bytes, n < have ? n : have, buffer, length);
    }
    char* out = static_cast<char*>(ramAlloc(n + 1));
    if (!out) return 1;
    uint32_t copied = 0;
    if (sqlLogReadLongValue(q, q->currentRow, column, out, n, &copied)) {
      ramFree(out);
      return 1;
    }
    out[copied] = 0;
    *buffer = out;
    *length = static_cast<uint16_t>(copied);
    return 0;
  }
  // Not logged, a scrollable cursor: the value again from the driver. No column is bound,
  // so moving the cursor leaves the column buffers (and any edits in them) alone.
  char* out = static_cast<char*>(ramAlloc(limit + 1));
  if (!out) return 1;
  uint32_t n = 0;
  {
    SqlLock lock(&q->lock);
    if (cursorToRow(q)) {
      ramFree(out);
      return 1;
    }
    SQLLEN got = 0;
    SQLRETURN rc = SQLGetData(q->hstmt, column, SQL_C_CHAR, out, static_cast<SQLLEN>(limit) + 1, &got);
    if (!succeeded(rc) || sqlCheckHstmt(q->connection, q->hstmt, rc)) {
      if (!succeeded(rc)) sqlCheckHstmt(q->connection, q->hstmt, rc);
      ramFree(out);
      return 1;
    }
    if (rc == SQL_SUCCESS_WITH_INFO || got == SQL_NO_TOTAL || got > static_cast<SQLLEN>(limit))
      n = limit;
    else if (got > 0)
      n = static_cast<uint32_t>(got);
  }
  out[n] = 0;
  void* shrunk = out;
  if (!ramResize(&shrunk, n + 1)) out = static_cast<char*>(shrunk);
  *buffer = out;
  *length = static_cast<uint16_t>(n);
  return 0;
}

int16_t sqlGetSomeMemo(sql_qry* q, uint16_t column, void* buffer, uint16_t* length, uint32_t offset) {
  if (!q || !buffer || !length) {
    sqlMissing(q ? (buffer ? "length" : "buffer") : "query", "sqlGetSomeMemo");
    return SQLMEMO_FAILED;
  }
  SqlQueryCall call(q);
  if (call.refused()) return SQLMEMO_FAILED;
  sql_qry_fld* f = sqlColumnOf(q, column);
  if (!f) return SQLMEMO_FAILED;
  if ((f->flags & SQLC_CHANGED) || !(rowInLog(q) || fromDriver(q))) {
    if (f->valueLength < 0) {
      *length = 0;
      return SQLMEMO_NULL;
    }
    uint32_t n = 0;
    const uint8_t* bytes = columnBytes(f, &n);
    return pieceOf(bytes, n, buffer, length, offset);
  }
  if (rowInLog(q)) {
    if (f->valueLength < 0) {
      *length = 0;
      return SQLMEMO_NULL;
    }
    const uint32_t total = static_cast<uint32_t>(f->valueLength);
    if (total <= static_cast<uint32_t>(kInBuffer)) {
      uint32_t n = 0;
      const uint8_t* bytes = columnBytes(f, &n);
      return pieceOf(bytes, n, buffer, length, offset);
    }
    if (offset > total) {
      offsetPastEnd(offset);
      return SQLMEMO_FAILED;
    }
    // The value's place in the log, found again for every piece: a caller may read
    // another column in between, or begin past offset 0.
    const uint32_t at = sqlLogValueOffset(q, q->currentRow, column);
    if (at == SQLLOG_FAILED) return SQLMEMO_FAILED;
    if (at == SQLLOG_NO_VALUE) {
      *length = 0;
      return SQLMEMO_NULL;
    }
    q->longValuePosition = at;
    uint32_t n = total - offset;
    if (n > *length) n = *length;
    if (n && sqlLogReadBytes(q, at + offset, n, buffer)) return SQLMEMO_FAILED;
    *length = static_cast<uint16_t>(n);
    return offset + n < total ? SQLMEMO_MORE : SQLMEMO_LAST;
  }
  // Not logged, a scrollable cursor: the driver hands the value out piece by piece from
  // the start, to which offset 0 puts the cursor back.
  SqlLock lock(&q->lock);
  if (offset == 0 && cursorToRow(q)) return SQLMEMO_FAILED;
  SQLLEN got = 0;
  SQLRETURN rc = SQLGetData(q->hstmt, column, SQL_C_BINARY, buffer, *length, &got);
  if (rc == SQL_NO_DATA_FOUND) {
    // Read to its end already.
    *length = 0;
    return SQLMEMO_LAST;
  }
  if (!succeeded(rc)) {
    sqlCheckHstmt(q->connection, q->hstmt, rc);
    return SQLMEMO_FAILED;
  }
  if (got == SQL_NULL_DATA) {
    *length = 0;
    return SQLMEMO_LAST;
  }
  if (rc == SQL_SUCCESS_WITH_INFO) return SQLMEMO_MORE;
  if (got < 0 || got > static_cast<SQLLEN>(*length)) {
    JxError* e = sqlErrorById(SQLMSG_DRIVER_ANSWER);
    if (e) *e << "SQLGetData" << "a length outside the buffer";
    return SQLMEMO_FAILED;
  }
  *length = static_cast<uint16_t>(got);
  return SQLMEMO_LAST;
}
