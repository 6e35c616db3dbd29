// Closing a query: its statement handles only, keeping its first rows, everything of
// the result for executing it again, or for good with everything it owns. A close asked
// for while changes are pending in a transaction only marks the query; the end of the
// transaction closes it.
#include "dbsql/sqlfetch.h"

#include "dbsql/sqlagg.h"
#include "dbsql/sqlhstmt.h"
#include "dbsql/sqlrowlog.h"
#include "sqlquery_internal.h"
#include "dbutil/jxmemory.h"

#include <initializer_list>

namespace {

// Transaction modes of a connection in which a query's pending changes stay with it.
const uint16_t kTransactionKeeps1 = 1;
const uint16_t kTransactionKeeps6 = 6;

// The transaction is being applied or the connection closed: the journal is written.
bool applying(const sql_qry* q) { return q->connection && q->connection->transactionMode == SQLLOG_APPLYING; }

// A close deferred until the end of a transaction, and nothing to do until then.
bool stillDeferred(const sql_qry* q) { return (q->flags & SQLQ_CLOSE_DEFERRED) && !applying(q); }

// Changes of this query wait for the end of a transaction.
bool changesPending(const sql_qry* q) {
  const uint16_t mode = q->connection ? q->connection->transactionMode : 0;
  if (q->pendingTree && (mode == kTransactionKeeps1 || mode == kTransactionKeeps6)) return true;
  return q->logJournalCount != 0 && !applying(q);
}

JxStatus drop(sql_qry* q, SQLHSTMT* h) {
  if (!*h) return 0;
  SQLHSTMT old = *h;
  *h = nullptr;
  return sqlDropHstmt(q->connection, old, SQL_DROP);
}

JxStatus dropAll(sql_qry* q) {
  JxStatus st = 0;
  for (SQLHSTMT* h : {&q->hstmt, &q->insertHstmt, &q->thirdHstmt})
    if (drop(q, h)) st = 1;
  q->flags &= ~SQLQ_PREPARED;
  return st;
}

// The row locks, the pending changes, the saved deleted rows and the row-offset tree
// of the query. They are made by the locking, edit and transaction code, which brings
// their freeing with it; until then they are never made, and a query that has one is
// refused rather than leaking it.
JxStatus freeEditState(sql_qry* q) {
  if (!q->lockTree && !q->pendingTree && !q->savedDeleted && !q->rowOffsetTree) return 0;
  JxError* e = sqlErrorById(SQLMSG_DRIVER_ANSWER);
  if (e) *e << "sqlClose" << "edit state this build cannot free";
  return 1;
}

// The column's aggregate nodes (their break levels' lists are gone with the levels).
void freeAggregates(sql_qry_fld* f) {
  for (SqlAggregate* n = static_cast<SqlAggregate*>(f->aggregates); n;) {
    SqlAggregate* next = n->next;
    ramFree(n);
    n = next;
  }
  f->aggregates = nullptr;
}

// The per-level entries of a column: levelEntryCount blocks and their array.
void freeLevelEntries(sql_qry_fld* f) {
  void** entries = static_cast<void**>(f->levelEntries);
  for (uint16_t i = 0; entries && i < f->levelEntryCount; ++i) ramFree(entries[i]);
  ramFree(entries);
  f->levelEntries = nullptr;
  f->levelEntryCount = 0;
}

}  // namespace

JxStatus sqlCloseQuery(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlCloseQuery");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (q->flags & (SQLQ_CLOSE_DEFERRED | SQLQ_HANDLES_DROPPED)) return 0;
  if (drop(q, &q->hstmt)) return 1;
  q->flags = (q->flags | SQLQ_HANDLES_DROPPED) & ~SQLQ_PREPARED;
  if (drop(q, &q->insertHstmt)) return 1;
  return drop(q, &q->thirdHstmt);
}

JxStatus sqlCloseTruncate(sql_qry* q, uint32_t rows) {
  if (!q) return sqlMissing("query", "sqlCloseTruncate");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (stillDeferred(q)) return 0;
  JxStatus st = 0;
  const bool keepCursor = (q->flags & SQLQ_SCROLLABLE) || (q->connection->flagsA & CMG_A_DRIVER_BITS);
  if (!keepCursor && drop(q, &q->hstmt)) st = 1;
  if (!keepCursor) q->flags &= ~SQLQ_PREPARED;
  if (drop(q, &q->insertHstmt)) st = 1;
  if (drop(q, &q->thirdHstmt)) st = 1;
  // Without the cursor only the rows already read are left: a count beyond them would
  // send the fetch after rows no statement can give any more.
  if (!q->hstmt) {
    const uint32_t read = (q->flags & SQLQ_LOGGING) ? q->rowsInLog : q->rowsFetched;
    if (rows > read) rows = read;
  }
  q->rowCount = rows;
  q->flags |= SQLQ_COUNT_KNOWN;
  return st;
}

JxStatus sqlCloseForReExecute(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlCloseForReExecute");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (stillDeferred(q)) return 0;
  q->flags &= ~(SQLQ_ROW_CHANGED | SQLQ_INSERT_SLOT);
  if (freeEditState(q)) return 1;
  q->flags = (q->flags | SQLQ_HANDLES_DROPPED) & ~(SQLQ_PREPARED | SQLQ_ANALYSED);
  JxStatus st = dropAll(q);
  if (sqlBreakRemoveAll(q)) st = 1;
  ramFree(q->logIndexPath);
  q->logIndexPath = nullptr;
  q->logDepth = q->logLevels = 0;
  q->logLoadedRow = 0xFFFFFFFFu;
  if (q->columns) {
    for (uint16_t i = 0; i < q->columnCount; ++i) sqlFreeSqlfld(q->columns[i], q->columnCallerSize);
    ramFree(q->columns);
  }
  q->columns = nullptr;
  q->columnCount = 0;
  q->boundColumns = 65535;
  q->currentRow = 0;
  // The search conditions are made by the search code, which brings their freeing with
  // it; until then a query has none.
  return st;
}

JxStatus sqlClose(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlClose");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (stillDeferred(q)) return 0;
  q->flags &= ~(SQLQ_ROW_CHANGED | SQLQ_INSERT_SLOT);
  if (changesPending(q)) {
    // Kept until the transaction ends; its cursor is of no more use.
    q->flags |= SQLQ_CLOSE_DEFERRED;
    JxStatus st = dropAll(q);
    q->flags |= SQLQ_HANDLES_DROPPED;
    return st;
  }
  if (freeEditState(q)) return 1;
  JxStatus st = dropAll(q);
  if (sqlBreakRemoveAll(q)) st = 1;
  // The rest as the query's own freeing does it: unlinked from the connection, texts,
  // parse, table lists, parameters, columns (sqlFreeSqlfld), row log and lock.
  if (sqlFreeQuery(q)) st = 1;
  return st;
}

void sqlFreeSqlfld(sql_qry_fld* f, uint16_t callerSize) {
  if (!f) return;
  freeAggregates(f);
  freeLevelEntries(f);
  for (void* p :
       {static_cast<void*>(f->selectText), static_cast<void*>(f->driverName),
        static_cast<void*>(f->typeName), static_cast<void*>(f->alias), static_cast<void*>(f->formatMask),
        static_cast<void*>(f->breakRecord), static_cast<void*>(f->value), static_cast<void*>(f->longValue),
        static_cast<void*>(f->originalValue)})
    ramFree(p);
  ramFree(reinterpret_cast<char*>(f) - callerSize);
}

void sqlFreeParams(sql_qry* q) {
  if (!q) return;
  sqlFreeParamSlots(q->params, q->paramCount);
  q->params = nullptr;
  q->paramCount = 0;
}
