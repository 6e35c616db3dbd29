// Moving a query through its result: the fetch to a row number with its break levels and
// aggregates kept in step, reading ahead while the current row's edits stay, the row
// counts and the search for the number of rows of the result.
#include "dbsql/sqlfetch.h"

#include "dbsql/cmgdriver.h"
#include "dbsql/sqlagg.h"
#include "dbsql/sqlhstmt.h"
#include "dbsql/sqllogindex.h"
#include "dbsql/sqlrowlog.h"
#include "sqlquery_internal.h"
#include "dbutil/jxmemory.h"

#include <initializer_list>
#include <string.h>

namespace {

const uint32_t kNoRow = 0xFFFFFFFFu;
const uint32_t kMaxCursorRow = 2147483647u;

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

JxStatus refuse(unsigned short number) {
  sqlErrorById(number);
  return 1;
}

JxStatus badRow(uint32_t row) {
  JxError* e = sqlErrorById(SQLMSG_INVALID_VALUE);
  if (e) *e << "row number" << static_cast<unsigned long>(row);
  return 1;
}


// One more base row for the current group row of every level above the query, as many
// levels as are not current, walking up the parents.
JxStatus addGroupWeights(sql_qry* q) {
  if (!q->parent || q->parent->totalWeight >= q->currentRow) return 0;
  uint32_t levels = static_cast<uint32_t>(q->breakLevels) - q->currentBreak + 1;
  sql_qry* level = q->parent;
  for (uint32_t i = 0; level && i < levels; ++i, level = level->parent)
    if (sqlLogIndexAddWeight(level)) return 1;
  return 0;
}


JxStatus takeRowIn(sql_qry* q, uint32_t row) {
  if (addGroupWeights(q)) return 1;
  if (q->rowsAggregated != kNoRow && q->rowsAggregated < row && sqlAggAccumulate(q)) return 1;
  return 0;
}

JxStatus moveTo(sql_qry* q, uint32_t row) {
  if (sqlLogPosition(q, row)) return 1;
  return q->parent && sqlLogSyncBreaks(q) ? 1 : 0;
}


JxStatus settleEdit(sql_qry* q) {
  // The pending-edit settle: with auto update (SQLQ_AUTO_UPDATE) an open slot is
  // inserted or a changed row written, in the second auto-update mode
  // (SQLQ_DEFERRED_UPDATE) the new or changed row goes to the pending changes. Both come
  // with the edit and transaction code; no edit can be pending before it. A slot opened
  // without automatic update is dropped here.
  if (q->flags & SQLQ_INSERT_SLOT) {
    if (q->rowsFetched) --q->rowsFetched;
    q->currentRow = 0;
  }
  q->flags &= ~(SQLQ_ROW_CHANGED | SQLQ_INSERT_SLOT);
  for (uint16_t i = 0; q->columns && i < q->columnCount; ++i) {
    sql_qry_fld* f = q->columns[i];
    if (!f) continue;
    ramFree(f->originalValue);
    f->originalValue = nullptr;
    f->flags &= ~SQLC_CHANGED;
  }
  return 0;
}

JxStatus bindColumns(sql_qry* q) {
  // The row log reads every column of a fetched row with SQLGetData (checking each
  // length against its buffer and taking truncated long values into the log), so no
  // column is bound to a buffer here: the count of bound columns only says the columns
  // were settled for this result.
  if (q->boundColumns == 65535) q->boundColumns = 0;
  return 0;
}

}  // namespace

JxStatus sqlFetchRow(sql_qry* q, uint32_t n) {
  if (!q) return sqlMissing("query", "sqlFetchRow");
  if (settleEdit(q)) return 1;
  if (q->flags & SQLQ_HANDLES_DROPPED) return refuse(4532);
  if (n == 0) return badRow(n);
  if ((q->flags & SQLQ_COUNT_KNOWN) && n > q->rowCount) {
    if (q->rowCount == 0) return 0;
    if (!(q->flags & (SQLQ_LOGGING | SQLQ_SCROLLABLE))) return refuse(SQLMSG_EOF);
    n = q->rowCount;
  }
  if (((q->flags & SQLQ_LOGGING) || !(q->flags & SQLQ_SCROLLABLE)) && n == q->currentRow && n != kNoRow &&
      (q->rowsAggregated == kNoRow || q->rowsAggregated >= n) &&
      (!q->parent || q->parent->totalWeight >= q->currentRow))
    return 0;
  if (!(q->flags & SQLQ_EXECUTED)) return refuse(4524);
  if (!q->columns) return sqlMissing("result", "sqlFetchRow");
  if (bindColumns(q)) return 1;

  const bool fresh = q->firstRow != 0;
  if (n == 1 || fresh || (q->parent && q->parent->totalWeight == 0)) {
    if (moveTo(q, 1)) return 1;
    q->firstRow = 0;
    if (q->currentRow != 1) {
      // An empty result: no row becomes current.
      q->currentRow = 0;
      q->rowsFetched = 0;
      return 0;
    }
    q->currentBreak = 0;
    if (q->breakLevels && sqlLogAddBreakPlaceholders(q)) return 1;
    if (takeRowIn(q, 1)) return 1;
    q->rowsFetched = q->currentRow;
    if (n == 1) return 0;
  }

  uint32_t start = n - 1;
  if (q->parent && q->parent->totalWeight < n) start = q->parent->totalWeight;
  if (q->rowsAggregated != kNoRow && start > q->rowsAggregated) start = q->rowsAggregated;
  if (q->breakLevels) {
    // The levels follow the base rows one by one from the start row on.
    while (start != 0 && start != q->currentRow) {
      if (moveTo(q, start)) return 1;
      if (q->currentRow >= start || q->currentRow == 0) break;
      start = q->currentRow;
    }
  }
  for (uint32_t r = start + 1; r <= n; ++r) {
    // The break columns' values of the row before, to find where the new row breaks.
    if (q->breakLevels) sqlBreakSaveValues(q);
    if (moveTo(q, r)) return 1;
    if (q->currentRow != r) {
      // The result ended before row n: its last row becomes current (the cursor may have
      // passed it while another row of the log was current).
      if ((q->flags & SQLQ_COUNT_KNOWN) && q->rowCount && q->currentRow != q->rowCount &&
          q->rowCount < r && moveTo(q, q->rowCount))
        return 1;
      if (q->currentRow == kNoRow) q->currentRow = 0;
      q->rowsFetched = q->currentRow;
      return 0;
    }
    if (q->breakLevels) {
      const uint16_t level = sqlBreakCurrentLevel(q);
      q->currentBreak = level;
      if (level < q->breakLevels && sqlLogAddBreakPlaceholders(q)) return 1;
    }
    if (takeRowIn(q, r)) return 1;
  }
  q->rowsFetched = q->currentRow;
  return 0;
}

JxStatus sqlXFetch(sql_qry* q, uint32_t row) {
  if (!q) return sqlMissing("query", "sqlXFetch");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  return sqlFetchRow(q, row);
}

namespace {

// The edited values of the current row while the cursor reads ahead: per column whether
// it was kept, its length, its first bytes, its separate long value, its original value
// and its value record in the log (the last three taken over, not copied).
struct KeptColumn {
  uint8_t kept;
  uint8_t changed;
  int32_t length;
  uint8_t* longValue;
  uint8_t* originalValue;
  uint32_t valueRecord;
  uint8_t bytes[255];
};

void putBack(sql_qry* q, KeptColumn* kept) {
  for (uint16_t i = 0; i < q->columnCount; ++i) {
    KeptColumn& k = kept[i];
    if (!k.kept) continue;
    sql_qry_fld* f = q->columns[i];
    ramFree(f->longValue);
    f->longValue = k.longValue;
    ramFree(f->originalValue);
    f->originalValue = k.originalValue;
    f->valueRecord = k.valueRecord;
    f->valueLength = k.length;
    if (k.length > 0 && f->value) {
      uint32_t n = static_cast<uint32_t>(k.length) < sizeof k.bytes ? static_cast<uint32_t>(k.length)
                                                                    : static_cast<uint32_t>(sizeof k.bytes);
      if (n > f->bufferSize) n = f->bufferSize;
      memcpy(f->value, k.bytes, n);
    }
    if (k.changed)
      f->flags |= SQLC_CHANGED;
    else
      f->flags &= ~SQLC_CHANGED;
  }
}

JxStatus dropHandles(sql_qry* q) {
  JxStatus st = 0;
  for (SQLHSTMT* h : {&q->hstmt, &q->insertHstmt, &q->thirdHstmt})
    if (*h) {
      SQLHSTMT old = *h;
      *h = nullptr;
      if (sqlDropHstmt(q->connection, old, SQL_DROP)) st = 1;
    }
  q->flags &= ~SQLQ_PREPARED;
  return st;
}

}  // namespace

JxStatus sqlReadToRowNum(sql_qry* q, uint32_t n) {
  if (!q) return 0;
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (q->flags & (SQLQ_CLOSE_DEFERRED | SQLQ_HANDLES_DROPPED)) return 0;
  if (!(q->flags & (SQLQ_LOGGING | SQLQ_SCROLLABLE))) {
    // Reading ahead would lose the current row: the cursor goes instead.
    q->flags |= SQLQ_HANDLES_DROPPED;
    return dropHandles(q);
  }
  const uint16_t count = q->columns ? q->columnCount : 0;
  KeptColumn* kept = nullptr;
  if (count) {
    kept = static_cast<KeptColumn*>(ramAllocZ(static_cast<uint32_t>(sizeof(KeptColumn)) * count));
    if (!kept) return 1;
  }
  const uint32_t edit = q->flags & (SQLQ_ROW_CHANGED | SQLQ_INSERT_SLOT);
  const bool slot = (edit & SQLQ_INSERT_SLOT) != 0;
  for (uint16_t i = 0; i < count; ++i) {
    sql_qry_fld* f = q->columns[i];
    const bool changed = (f->flags & SQLC_CHANGED) != 0;
    if (!changed && !slot) continue;
    KeptColumn& k = kept[i];
    k.kept = 1;
    k.changed = changed;
    k.length = f->valueLength;
    if (f->value && f->valueLength > 0) {
      uint32_t n = static_cast<uint32_t>(f->valueLength) < sizeof k.bytes ? static_cast<uint32_t>(f->valueLength)
                                                                         : static_cast<uint32_t>(sizeof k.bytes);
      if (n > f->bufferSize) n = f->bufferSize;
      memcpy(k.bytes, f->value, n);
    }
    k.longValue = f->longValue;
    f->longValue = nullptr;
    k.valueRecord = f->valueRecord;
    if (changed) {
      k.originalValue = f->originalValue;
      f->originalValue = nullptr;
    }
  }
  const uint32_t current = q->currentRow;
  const uint32_t fetched = q->rowsFetched;
  q->flags &= ~(SQLQ_ROW_CHANGED | SQLQ_INSERT_SLOT);
  if (slot && q->rowsFetched) --q->rowsFetched;
  // The current row is made current again without the slot of a new row, which is not
  // in the result.
  JxStatus st = sqlFetchRow(q, n);
  const bool hadRow = current != 0 && current != kNoRow;
  if (!st && hadRow && !slot) st = sqlFetchRow(q, current);
  q->currentRow = current;
  q->flags |= edit;
  if (slot) q->rowsFetched = fetched;
  if (kept) {
    putBack(q, kept);
    ramFree(kept);
  }
  return st;
}

JxStatus sqlNumRowsRead(sql_qry* q, uint32_t* count) {
  if (count) *count = 0;
  if (!q || !count) return sqlMissing(q ? "result" : "query", "sqlNumRowsRead");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  // The pending changes' correction of the counts (rows inserted or deleted in a
  // transaction) comes with the transaction code; no change can be pending before it.
  if (q->flags & SQLQ_LOGGING) {
    *count = q->rowsInLog;
    return 0;
  }
  if ((q->connection->flagsB & CMG_B_DRIVER_BIT3) && q->hstmt) {
    SqlLock lock(&q->lock);
    SQLULEN n = 0;
    if (sqlCheckHstmt(q->connection, q->hstmt, SQLGetStmtOption(q->hstmt, SQL_PRIVATE_ROW_COUNT, &n))) return 1;
    *count = static_cast<uint32_t>(n);
    return 0;
  }
  *count = q->rowsFetched == kNoRow ? 0 : q->rowsFetched;
  return 0;
}

JxStatus sqlResultRowCountLocked(sql_qry* q, uint32_t* count) {
  if (count) *count = 0;
  if (!q || !count) return sqlMissing(q ? "result" : "query", "sqlResultRowCount");
  cmg_capabilities* con = q->connection;
  SQLHSTMT h = q->hstmt;
  if (!h) {
    if (q->flags & SQLQ_COUNT_KNOWN) {
      *count = q->rowCount;
      return 0;
    }
    return refuse(4532);
  }
  uint32_t rows = 0;
  if (con->flagsB & CMG_B_DRIVER_BIT3) {
    if (q->maxRows && q->maxRows != kNoRow) {
      // The driver counts the rows it has read: the cursor goes to the last one allowed.
      SQLULEN got = 0;
      SQLUSMALLINT status[1] = {0};
      SQLRETURN rc = SQLExtendedFetch(h, SQL_FETCH_ABSOLUTE, static_cast<SQLLEN>(q->maxRows), &got, status);
      if (rc != SQL_NO_DATA_FOUND && sqlCheckHstmt(con, h, rc)) return 1;
    }
    SQLULEN n = 0;
    if (sqlCheckHstmt(con, h, SQLGetStmtOption(h, SQL_PRIVATE_ROW_COUNT, &n))) return 1;
    rows = static_cast<uint32_t>(n);
  } else {
    // Rows up to the current one exist; none lies past a known count.
    uint32_t low = q->currentRow != 0 && q->currentRow < kMaxCursorRow ? q->currentRow + 1 : 1;
    uint32_t high = (q->flags & SQLQ_COUNT_KNOWN) && q->rowCount < kMaxCursorRow ? q->rowCount : kMaxCursorRow;
    while (low <= high) {
      const uint32_t mid = low + (high - low) / 2;
      SQLULEN got = 0;
      SQLUSMALLINT status[1] = {0};
      SQLRETURN rc = SQLExtendedFetch(h, SQL_FETCH_ABSOLUTE, static_cast<SQLLEN>(mid), &got, status);
      if (rc == SQL_NO_DATA_FOUND) {
        high = mid - 1;
      } else if (succeeded(rc)) {
        low = mid + 1;
      } else {
        sqlCheckHstmt(con, h, rc);
        return 1;
      }
    }
    rows = high;
  }
  q->rowCount = rows;
  q->flags |= SQLQ_COUNT_KNOWN;
  *count = rows;
  return 0;
}

JxStatus sqlResultRowCount(sql_qry* q, uint32_t* count) {
  if (count) *count = 0;
  if (!q || !count) return sqlMissing(q ? "result" : "query", "sqlResultRowCount");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  SqlLock lock(&q->lock);
  return sqlResultRowCountLocked(q, count);
}
