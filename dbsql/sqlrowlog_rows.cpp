// Rows of the log by number: loading a row into the column buffers, locating and reading
// its long values, and the row changes (insert, delete, new version) recorded in the
// log journal so that they can be taken back.
#include "dbsql/sqllogindex.h"
#include "sqlquery_internal.h"
#include "sqlrowlog_internal.h"

namespace {

sql_qry_fld* columnOf(sql_qry* q, uint16_t column) {
  if (!q->columns || column < 1 || column > q->columnCount) {
    sqlColumnOf(q, column);
    return nullptr;
  }
  return q->columns[column - 1];
}

// After a record was written from the columns: the value records it referred to are
// used up, and those it did not refer to belong to no row.
void clearValueRecords(sql_qry* q) {
  for (uint16_t i = 0; i < q->columnCount; ++i) q->columns[i]->valueRecord = 0;
}

}  // namespace

JxStatus sqlLogReadRow(sql_qry* q, uint32_t row) {
  if (!q) return sqlMissing("query", "sqlLogReadRow");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  uint32_t offset = 0;
  if (sqlLogIndexGetOffset(q, row, &offset)) return 1;
  if (offset == SQLLOG_PLACEHOLDER) return 0;
  return sqlLogReadRecord(q, offset);
}

uint32_t sqlLogValueOffset(sql_qry* q, uint32_t row, uint16_t column) {
  if (!q) {
    sqlMissing("query", "sqlLogValueOffset");
    return SQLLOG_FAILED;
  }
  if (!columnOf(q, column)) return SQLLOG_FAILED;
  uint32_t offset = 0;
  if (sqlLogIndexGetOffset(q, row, &offset)) return SQLLOG_FAILED;
  if (offset == SQLLOG_PLACEHOLDER) return SQLLOG_NO_VALUE;
  LogValue v;
  if (sqlLogRecordValue(q, offset, column, &v)) return SQLLOG_FAILED;
  return v.kind == LOG_VALUE_NULL ? SQLLOG_NO_VALUE : v.dataOffset;
}

JxStatus sqlLogReadLongValue(sql_qry* q, uint32_t row, uint16_t column, void* destination, uint32_t maximum,
                             uint32_t* copied) {
  if (copied) *copied = 0;
  if (!q) return sqlMissing("query", "sqlLogReadLongValue");
  sql_qry_fld* f = columnOf(q, column);
  if (!f) return 1;
  // A shorter value is whole in the buffer already.
  if (f->valueLength < 255) return 0;
  const uint32_t length = static_cast<uint32_t>(f->valueLength);
  uint32_t at = 0;
  if (f->valueRecord) {
    LogValue v;
    if (sqlLogDecodeValue(&q->rowLog, f->valueRecord, &v)) return 1;
    // A record of another length holds another value than the column's.
    if (v.kind == LOG_VALUE_NULL || v.length != length) return 0;
    at = v.dataOffset;
  } else {
    at = sqlLogValueOffset(q, row, column);
    if (at == SQLLOG_FAILED) return 1;
    if (at == SQLLOG_NO_VALUE) return 0;
  }
  const uint32_t n = length < maximum ? length : maximum;
  if (LogCursor(&q->rowLog, at).read(destination, n)) return 1;
  if (copied) *copied = n;
  return 0;
}

JxStatus sqlLogInsertRow(sql_qry* q, uint32_t row) {
  if (!q) return sqlMissing("query", "sqlLogInsertRow");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (row < 1 || row > q->rowsInLog + 1) {
    JxError* e = sqlErrorById(SQLMSG_INVALID_VALUE);
    if (e) *e << "row number" << static_cast<long>(row);
    return 1;
  }
  if (sqlLogStoreLongValues(q)) return 1;
  const uint32_t size = sqlLogRowSize(q, 0);
  uint32_t at = 0;
  if (q->rowLog.tmpFindSpace(size, &at)) return 1;
  if (sqlLogWriteRow(q, at, 0) || sqlLogIndexInsert(q, at, row - 1)) {
    q->rowLog.tmpFreeSpace(at, size);
    return 1;
  }
  clearValueRecords(q);
  if (sqlLogJournalAdd(q, SQLLOG_INSERTED, 0, row)) {
    // A change that could not be taken back is not made.
    uint32_t unused = 0;
    sqlLogIndexDelete(q, row, &unused);
    q->rowLog.tmpFreeSpace(at, size);
    return 1;
  }
  ++q->rowsInLog;
  if (q->flags & SQLQ_COUNT_KNOWN) ++q->rowCount;
  return 0;
}

JxStatus sqlLogDeleteRow(sql_qry* q, uint32_t row) {
  if (!q) return sqlMissing("query", "sqlLogDeleteRow");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  uint32_t old = 0;
  if (sqlLogIndexDelete(q, row, &old)) return 1;
  // The record stays where it is, so that the removal can be taken back.
  if (sqlLogJournalAdd(q, SQLLOG_REMOVED, old, row)) {
    sqlLogIndexInsert(q, old, row - 1);
    return 1;
  }
  if (q->rowsInLog) --q->rowsInLog;
  if ((q->flags & SQLQ_COUNT_KNOWN) && q->rowCount && q->rowCount != 0xFFFFFFFFu) --q->rowCount;
  return 0;
}

JxStatus sqlLogRewriteRow(sql_qry* q, uint32_t row) {
  if (!q) return sqlMissing("query", "sqlLogRewriteRow");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  uint32_t old = 0;
  if (sqlLogIndexGetOffset(q, row, &old)) return 1;
  if (old != SQLLOG_PLACEHOLDER && sqlLogReferToOld(q, old)) return 1;
  if (sqlLogStoreLongValues(q)) return 1;
  const uint32_t size = sqlLogRowSize(q, 1);
  uint32_t at = 0;
  if (q->rowLog.tmpFindSpace(size, &at)) return 1;
  if (sqlLogWriteRow(q, at, 1) || sqlLogIndexSetOffset(q, row, at)) {
    q->rowLog.tmpFreeSpace(at, size);
    return 1;
  }
  clearValueRecords(q);
  if (sqlLogJournalAdd(q, SQLLOG_UPDATED, old, row)) {
    sqlLogIndexSetOffset(q, row, old);
    q->rowLog.tmpFreeSpace(at, size);
    return 1;
  }
  return 0;
}
