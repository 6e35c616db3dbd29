// The chain of control-break levels above a query: making and freeing levels, the break
// marks of the columns, emptying the levels' group rows, the columns' format masks, and
// the comparison of break values from one row to the next.
//
// The newest level stands directly above the query (query->parent) and has the highest
// number; level 1 is at the top of the chain. A level's breakLevels counts the levels
// above it, so its number is breakLevels + 1. The group rows of every level count base
// rows: a group row's weight is the number of the query's rows in its group.
#include "dbsql/bcvmask.h"
#include "dbsql/sqlagg.h"
#include "dbsql/sqllogindex.h"
#include "dbutil/jxmemory.h"
#include "sqlagg_internal.h"
#include "sqlquery_internal.h"

#include <new>
#include <string.h>

namespace {

const unsigned short kMsgAnotherBreak = 4517;

SqlBreakRecord* markOf(const sql_qry_fld* f) { return static_cast<SqlBreakRecord*>(f->breakRecord); }

uint32_t markValueBytes(const sql_qry_fld* f) { return f->valueSize ? f->valueSize : 1u; }

// A level record behind a caller area of the query's size, sharing its connection, with
// an empty row log of its own.
sql_qry* newLevel(const sql_qry* q) {
  char* base = static_cast<char*>(ramAllocZ(q->callerSize + static_cast<uint32_t>(sizeof(sql_qry))));
  if (!base) return nullptr;
  sql_qry* level = new (base + q->callerSize) sql_qry();
  level->callerSize = q->callerSize;
  level->connection = q->connection;
  level->flags = SQLQ_LOGGING | SQLQ_TRUNCATE_LOG | SQLQ_COUNT_KNOWN;
  level->rowCount = 0;
  level->rowsAggregated = 0;
  level->firstRow = 1;
  level->boundColumns = 65535;
  level->tableCount = 1;
  level->logMarker = -1;
  if (sqlLogIndexReset(level)) {
    level->~sql_qry();
    ramFree(base);
    return nullptr;
  }
  return level;
}

// The level's row log emptied: no group rows, no weight.
JxStatus emptyLog(sql_qry* level) {
  if (level->flags & SQLQ_TRUNCATE_LOG) level->rowLog.tmpTruncate();
  JxStatus st = sqlLogIndexReset(level);
  level->totalWeight = 0;
  level->currentRow = 0;
  level->rowsFetched = 0;
  if (level->flags & SQLQ_COUNT_KNOWN) level->rowCount = 0;
  return st;
}

// A level freed with the aggregates kept for it.
void freeLevel(sql_qry* q, sql_qry* level) {
  sqlAggRemoveLevel(q, level);
  level->groupAggregates = nullptr;
  sqlFreeQuery(level);
}

void freeMarks(sql_qry* q, bool onlyLevel, uint16_t level) {
  for (uint16_t i = 0; q->columns && i < q->columnCount; ++i) {
    sql_qry_fld* f = q->columns[i];
    SqlBreakRecord* m = markOf(f);
    if (!m || (onlyLevel && m->level != level)) continue;
    ramFree(m);
    f->breakRecord = nullptr;
  }
}

// Every level of the chain freed (their logs emptied first) and every break mark; with
// withQuery the query's own row log is emptied too.
JxStatus resetLevels(sql_qry* q, bool withQuery) {
  JxStatus st = 0;
  sql_qry* level = q->parent;
  for (uint16_t i = 0; level && i < q->breakLevels; ++i, level = level->parent) {
    level->rowLog.tmpTruncate();
    level->flags &= ~SQLQ_TRUNCATE_LOG;
  }
  if (withQuery) {
    if (q->flags & SQLQ_TRUNCATE_LOG) q->rowLog.tmpTruncate();
    q->flags &= ~SQLQ_TRUNCATE_LOG;
    if (sqlLogIndexReset(q)) st = 1;
    q->totalWeight = 0;
  }
  freeMarks(q, false, 0);
  while (q->breakLevels && q->parent) {
    sql_qry* top = q->parent;
    q->parent = top->parent;
    --q->breakLevels;
    freeLevel(q, top);
  }
  q->breakLevels = 0;
  q->currentBreak = 0;
  return st;
}

JxStatus resetChildcounts(sql_qry* q) {
  JxStatus st = 0;
  sql_qry* level = q->parent;
  for (uint16_t i = 0; level && i < q->breakLevels; ++i, level = level->parent)
    if (emptyLog(level)) st = 1;
  return st;
}

const char* nameOf(const sql_qry_fld* f) {
  if (f->alias && *f->alias) return f->alias;
  if (f->driverName && *f->driverName) return f->driverName;
  return f->selectText ? f->selectText : "";
}

// The length word a mask of the column is compiled for.
int32_t maskLengthOf(const sql_qry_fld* f) {
  if (f->layerType == 3) return f->transferLength;
  return f->valueSize;
}

bool valueDiffers(const sql_qry_fld* f, const SqlBreakRecord* m) {
  if (f->valueLength != m->length) return true;
  if (f->valueLength < 0) return false;
  uint32_t n = static_cast<uint32_t>(f->valueLength);
  if (n > 255) n = 255;
  if (n > markValueBytes(f)) n = markValueBytes(f);
  return memcmp(f->value, m->value, n) != 0;
}

}  // namespace

uint16_t sqlBreakLevelNumber(const sql_qry* level) {
  return level ? static_cast<uint16_t>(level->breakLevels + 1) : 0;
}

JxStatus sqlBreak(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlBreak");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  sql_qry* level = newLevel(q);
  if (!level) return 1;
  level->parent = q->parent;
  level->breakLevels = q->breakLevels;  // the levels above it
  q->parent = level;
  ++q->breakLevels;
  return resetChildcounts(q);
}

JxStatus sqlBreakField(sql_qry* q, uint16_t column) {
  if (!q) return sqlMissing("query", "sqlBreakField");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  sql_qry_fld* f = sqlColumnOf(q, static_cast<uint16_t>(column + 1));
  if (!f) return 1;
  if (f->breakRecord) {
    if (JxError* e = sqlErrorById(kMsgAnotherBreak)) *e << nameOf(f);
    return 1;
  }
  if (!q->breakLevels) {
    if (JxError* e = sqlErrorById(SQLMSG_INVALID_VALUE)) *e << "break level" << 0L;
    return 1;
  }
  SqlBreakRecord* m = static_cast<SqlBreakRecord*>(ramAllocZ(SQLBREAK_RECORD_HEAD + markValueBytes(f)));
  if (!m) return 1;
  m->level = q->breakLevels;
  m->length = -1;
  f->breakRecord = m;
  return 0;
}

JxStatus sqlBreakReset(sql_qry* q, uint16_t flags) {
  if (!q) return sqlMissing("query", "sqlBreakReset");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  return resetLevels(q, (flags & SQLBREAK_RESET_QUERY) != 0);
}

JxStatus sqlBreakUndoLast(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlBreakUndoLast");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (!q->breakLevels || !q->parent) return 0;
  freeMarks(q, true, q->breakLevels);
  sql_qry* level = q->parent;
  q->parent = level->parent;
  --q->breakLevels;
  if (q->currentBreak > q->breakLevels) q->currentBreak = q->breakLevels;
  freeLevel(q, level);
  return 0;
}

JxStatus sqlBreakResetChildcounts(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlBreakResetChildcounts");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  return resetChildcounts(q);
}

JxStatus sqlBreakRemoveAll(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlBreakRemoveAll");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  sqlAggRemoveEvery(q);
  return resetLevels(q, false);
}

JxStatus sqlMaskSet(sql_qry* q, uint16_t column, const char* mask) {
  if (!q) return sqlMissing("query", "sqlMaskSet");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  sql_qry_fld* f = sqlColumnOf(q, static_cast<uint16_t>(column + 1));
  if (!f) return 1;
  mask_info* m = static_cast<mask_info*>(ramAllocZ(sizeof(mask_info)));
  if (!m) return 1;
  if (bcvmskcp(m, mask, f->layerType, maskLengthOf(f))) {
    ramFree(m);
    return 1;
  }
  // The groups are made again under the new mask.
  if (f->breakRecord && resetChildcounts(q)) {
    ramFree(m);
    return 1;
  }
  ramFree(f->formatMask);
  f->formatMask = m;
  return 0;
}

void sqlBreakSaveValues(sql_qry* q) {
  if (!q) return;
  for (uint16_t i = 0; q->columns && i < q->columnCount; ++i) {
    sql_qry_fld* f = q->columns[i];
    SqlBreakRecord* m = markOf(f);
    if (!m) continue;
    m->length = f->valueLength;
    if (f->valueLength >= 0 && f->value) memcpy(m->value, f->value, markValueBytes(f));
  }
}

uint16_t sqlBreakCurrentLevel(sql_qry* q) {
  if (!q) return 0;
  uint16_t current = q->breakLevels;
  for (uint16_t i = 0; q->columns && i < q->columnCount; ++i) {
    const sql_qry_fld* f = q->columns[i];
    const SqlBreakRecord* m = markOf(f);
    if (!m || m->level == 0 || m->level > current) continue;
    if (valueDiffers(f, m)) current = static_cast<uint16_t>(m->level - 1);
  }
  return current;
}
