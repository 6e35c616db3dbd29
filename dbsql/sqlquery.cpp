// The query object's life: opening on a connection, parsing its text, the cursor set-up
// of its statement, the logging and auto-update switches, the deep copy and freeing.
#include "cmgenv_internal.h"
#include "dbsql/cmgdriver.h"
#include "dbsql/sqlfetch.h"
#include "dbsql/sqlhstmt.h"
#include "dbsql/sqllogindex.h"
#include "sqlquery_internal.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxsubstring.h"

#include <initializer_list>
#include <new>
#include <string.h>

namespace {

short g_hookAnswer;
volatile long g_entries, g_leaves;

// Every owned text field of the query, for freeing and copying.
char* sql_qry::*const kTexts[] = {
    &sql_qry::text,         &sql_qry::parsedText,  &sql_qry::fromText,    &sql_qry::restriction,
    &sql_qry::joins,        &sql_qry::groupByText, &sql_qry::havingText,  &sql_qry::setOperationText,
    &sql_qry::orderByText,  &sql_qry::computeText, &sql_qry::optionsText, &sql_qry::forUpdateText,
    &sql_qry::databaseName, &sql_qry::keyText};

// A zero-filled query behind its caller area, with its row log and lock constructed.
sql_qry* newQuery(uint16_t callerSize) {
  char* base = static_cast<char*>(ramAllocZ(callerSize + static_cast<uint32_t>(sizeof(sql_qry))));
  if (!base) return nullptr;
  sql_qry* q = new (base + callerSize) sql_qry();
  q->callerSize = callerSize;
  q->rowCount = 0xFFFFFFFFu;
  q->rowsAggregated = 0xFFFFFFFFu;
  q->firstRow = 1;
  q->boundColumns = 65535;
  q->tableCount = 1;
  q->logMarker = -1;
  return q;
}

// A fresh row-log index path: one zeroed leaf level (the node format is the row log's).
JxStatus newLogPath(sql_qry* q) {
  if (sqlLogIndexReset(q)) return 1;
  q->firstRow = 1;
  return 0;
}

char* copyText(const char* text, bool* failed) {
  if (!text) return nullptr;
  char* c = ramAllocStr(text);
  if (!c) *failed = true;
  return c;
}

void freeParams(SqlParamEntry* params, uint16_t count) {
  if (!params) return;
  for (uint16_t i = 0; i < count; ++i) ramFree(params[i].name);
  ramFree(params);
}

}  // namespace

SqlQueryCall::SqlQueryCall(cmgInfo* env) : env_(env) {
  InterlockedIncrement(&g_entries);
  refused_ = g_hookAnswer != 0 || sqlEnterHook(env) != 0;
}

SqlQueryCall::~SqlQueryCall() {
  if (refused_) return;
  InterlockedIncrement(&g_leaves);
  sqlLeaveHook(env_);
}

void sqlSetEntryHookAnswer(short answer) { g_hookAnswer = answer; }

void sqlHookCounts(uint32_t* entries, uint32_t* leaves) {
  if (entries) *entries = static_cast<uint32_t>(g_entries);
  if (leaves) *leaves = static_cast<uint32_t>(g_leaves);
}

sql_qry_fld* sqlNewColumn(uint16_t callerSize) {
  char* base = static_cast<char*>(ramAllocZ(callerSize + static_cast<uint32_t>(sizeof(sql_qry_fld))));
  return base ? reinterpret_cast<sql_qry_fld*>(base + callerSize) : nullptr;
}

void sqlFreeColumn(sql_qry_fld* f, uint16_t callerSize) { sqlFreeSqlfld(f, callerSize); }

void sqlFreeColumns(sql_qry* q) {
  if (q->columns) {
    for (uint16_t i = 0; i < q->columnCount; ++i) sqlFreeColumn(q->columns[i], q->columnCallerSize);
    ramFree(q->columns);
  }
  q->columns = nullptr;
  q->columnCount = 0;
}

void sqlFreeTableList(SqlTableList* list) {
  if (!list) return;
  for (uint16_t i = 0; i < list->count; ++i) {
    ramFree(list->entries[i].name);
    ramFree(list->entries[i].alias);
    ramFree(list->entries[i].columns);
  }
  ramFree(list);
}

JxStatus sqlMissing(const char* what, const char* where) { return cmgMissing(what, where); }

int sqlNameEqual(const cmg_capabilities* con, const char* a, uint32_t an, const char* b, uint32_t bn) {
  uint16_t rule = con ? con->identifierCase : SQL_IC_UPPER;
  switch (rule) {
    case SQL_IC_UPPER:
    case SQL_IC_LOWER:
      return strCompareCi(a, an, b, bn) == 0;
    case SQL_IC_SENSITIVE:
    case SQL_IC_MIXED:
      return an == bn && memcmp(a, b, an) == 0;
    default:
      return 1;
  }
}

JxStatus sqlFreeQuery(sql_qry* q) {
  if (!q) return 0;
  cmg_capabilities* con = q->connection;
  JxStatus st = 0;
  if (con) {
    SqlLock lock(con->lock);
    for (sql_qry** link = reinterpret_cast<sql_qry**>(&con->queries); *link; link = &(*link)->next)
      if (*link == q) {
        *link = q->next;
        break;
      }
  }
  for (SQLHSTMT* h : {&q->hstmt, &q->insertHstmt, &q->thirdHstmt})
    if (*h) {
      if (con && sqlDropHstmt(con, *h, SQL_DROP)) st = 1;
      *h = nullptr;
    }
  sqlFreeColumns(q);
  for (char* sql_qry::*t : kTexts) ramFree(q->*t);
  sqlParseFree(q->parse);
  sqlFreeParamSlots(q->params, q->paramCount);
  sqlFreeTableList(q->tableList);
  sqlFreeTableList(q->names);
  ramFree(q->logIndexPath);
  ramFree(q->logJournal);
  char* base = reinterpret_cast<char*>(q) - q->callerSize;
  q->~sql_qry();
  ramFree(base);
  return st;
}

JxStatus sqlPrepareCursor(sql_qry* q, cmg_capabilities* con, uint16_t options) {
  if (!q || !con) return sqlMissing(q ? "connection" : "query", "sqlPrepareCursor");
  if (!q->hstmt && sqlAllocHstmt(con, &q->hstmt, SQL_HSTMT_ANY)) return 1;
  q->flags &= ~(SQLQ_SCROLLABLE | SQLQ_LOGGING);
  bool scroll = (options & SQLCUR_MOTION_MASK) == SQLCUR_RANDOM && (con->flagsA & CMG_A_RANDOM_FETCH);
  if (scroll) {
    static const SQLSMALLINT kConcurrency[] = {SQL_CONCUR_READ_ONLY, SQL_CONCUR_LOCK, SQL_CONCUR_VALUES,
                                               SQL_CONCUR_ROWVER};
    static const SQLINTEGER kKeyset[] = {SQL_SCROLL_KEYSET_DRIVEN, SQL_SCROLL_KEYSET_DRIVEN,
                                         SQL_SCROLL_DYNAMIC, SQL_SCROLL_STATIC};
    static const SQLUINTEGER kCursorType[] = {SQL_CURSOR_KEYSET_DRIVEN, SQL_CURSOR_KEYSET_DRIVEN,
                                              SQL_CURSOR_DYNAMIC, SQL_CURSOR_STATIC};
    unsigned kind = (options & SQLCUR_KIND_MASK) >> 5;
    unsigned concurrency = (options & SQLCUR_CONCURRENCY_MASK) >> 7;
    SqlLock lock(&q->lock);
    SQLRETURN rc =
        SQLSetScrollOptions(q->hstmt, static_cast<SQLUSMALLINT>(kConcurrency[concurrency]), kKeyset[kind], 1);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
      // A driver manager that finds no SQLSetScrollOptions in the driver answers IM001:
      // the same request goes through the statement options.
      int32_t state = sqlCollectState(con, q->hstmt, nullptr, 0);
      if (state != cmgStateNumber("IM001") && state != cmgStateNumber("S1C00")) {
        JxError* e = sqlErrorById(SQLMSG_DRIVER_ERROR);
        if (e) *e << "SQLSetScrollOptions failed.";
        return 1;
      }
      rc = SQLSetStmtOption(q->hstmt, SQL_CURSOR_TYPE, kCursorType[kind]);
      if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)
        rc = SQLSetStmtOption(q->hstmt, SQL_CONCURRENCY, static_cast<SQLULEN>(kConcurrency[concurrency]));
      if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)
        rc = SQLSetStmtOption(q->hstmt, SQL_ROWSET_SIZE, 1);
      if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
        // A driver that cannot scroll this way: the layer scrolls itself through the log.
        sqlCollectState(con, q->hstmt, nullptr, 0);
        scroll = false;
      }
    }
    if (scroll) q->flags |= SQLQ_SCROLLABLE;
  }
  if (!scroll && !((options & SQLCUR_NO_LOG) && !(options & SQLCUR_LOG))) q->flags |= SQLQ_LOGGING;
  SqlLock lock(&q->lock);
  if (q->maxRows && q->maxRows != 0xFFFFFFFFu &&
      sqlCheckHstmt(con, q->hstmt, SQLSetStmtOption(q->hstmt, SQL_MAX_ROWS, q->maxRows)))
    return 1;
  if (q->queryTimeout &&
      sqlCheckHstmt(con, q->hstmt, SQLSetStmtOption(q->hstmt, SQL_QUERY_TIMEOUT, q->queryTimeout)))
    return 1;
  return 0;
}

namespace {

JxStatus parseInto(sql_qry* q) {
  parsed_sql* parse = nullptr;
  char* rewritten = nullptr;
  if (sqlParse(q->connection, &parse, q->text, &rewritten, 0)) return 1;
  bool failed = false;
  char* texts[] = {copyText(parse->from, &failed),    copyText(parse->groupBy, &failed),
                   copyText(parse->having, &failed),  copyText(parse->setOperation, &failed),
                   copyText(parse->orderBy, &failed), copyText(parse->compute, &failed),
                   copyText(parse->options, &failed), copyText(parse->forUpdate, &failed)};
  // The markers become the query's parameter slots (their names taken over).
  if (failed || (parse->paramCount && sqlMakeParamSlots(q, parse->params, parse->paramCount))) {
    for (char* t : texts) ramFree(t);
    sqlParseFree(parse);
    ramFree(rewritten);
    return 1;
  }
  char* sql_qry::*const fields[] = {&sql_qry::fromText,         &sql_qry::groupByText,  &sql_qry::havingText,
                                    &sql_qry::setOperationText, &sql_qry::orderByText,  &sql_qry::computeText,
                                    &sql_qry::optionsText,      &sql_qry::forUpdateText};
  for (unsigned i = 0; i < 8; ++i) {
    ramFree(q->*fields[i]);
    q->*fields[i] = texts[i];
  }
  ramFree(q->parsedText);
  q->parsedText = rewritten;
  q->parsedLength = static_cast<uint32_t>(strlen(rewritten));
  sqlParseFree(q->parse);
  q->parse = parse;
  q->flags |= parse->flags | SQLQ_PARSED;
  return 0;
}

}  // namespace

JxStatus sqlEnsureParsed(sql_qry* q) { return (q->flags & SQLQ_PARSED) ? 0 : parseInto(q); }

JxStatus sqlOpenParse(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlOpenParse");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  return parseInto(q);
}

JxStatus sqlOpen(cmg_capabilities* con, sql_qry* parent, const char* text, uint16_t options,
                 uint16_t callerSize, uint16_t columnCallerSize, sql_qry** out) {
  if (out) *out = nullptr;
  if (!con || !text || !out)
    return sqlMissing(!con ? "connection" : !text ? "statement" : "result", "sqlOpen");
  SqlQueryCall call(con->owner);
  if (call.refused()) return 1;
  sql_qry* q = newQuery(callerSize);
  if (!q) return 1;
  q->connection = con;
  q->text = ramAllocStr(text);
  if (!q->text || newLogPath(q)) {
    sqlFreeQuery(q);
    return 1;
  }
  {
    SqlLock lock(con->lock);
    q->cursorOptions = q->cursorOptions2 = con->cursorOptions;
    q->queryTimeout = con->queryTimeout;
    q->maxRows = con->maxRows;
    if (con->lockOptions & 1) q->flags |= SQLQ_LOCK_OPTION1;
    if (con->lockOptions & 2) q->flags |= SQLQ_LOCK_OPTION2;
    switch (con->autoUpdate) {
      case 1:
        q->flags &= ~(SQLQ_AUTO_UPDATE | SQLQ_DEFERRED_UPDATE);
        break;
      case 2:
        q->flags = (q->flags & ~SQLQ_AUTO_UPDATE) | SQLQ_DEFERRED_UPDATE;
        break;
      case 3:
        q->flags = (q->flags & ~SQLQ_DEFERRED_UPDATE) | SQLQ_AUTO_UPDATE;
        break;
    }
  }
  if (sqlPrepareCursor(q, con, q->cursorOptions)) {
    sqlFreeQuery(q);
    return 1;
  }
  bool failed = false;
  con->lock->lock();
  if (con->flagsA & CMG_A_NO_FILE_PATTERN) {
    SQLHDBC hdbc = nullptr;
    if (sqlLookupHdbcLocked(con, &hdbc, q->hstmt) || !hdbc) {
      failed = true;
    } else {
      char name[256] = "";
      SQLSMALLINT length = 0;
      SQLRETURN rc = SQLGetInfo(hdbc, SQL_DATABASE_NAME, name, sizeof name, &length);
      if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) name[0] = 0;
      name[sizeof name - 1] = 0;
      q->databaseName = ramAllocStr(name);
      failed = !q->databaseName;
    }
  }
  if (!failed) {
    q->next = static_cast<sql_qry*>(con->queries);
    con->queries = q;
  }
  con->lock->unlock();
  if (failed) {
    sqlFreeQuery(q);
    return 1;
  }
  q->parent = parent;
  q->columnCallerSize = columnCallerSize;
  q->openOptions = options;
  q->logMarker = -1;
  if ((options & SQLOPEN_PARSE) && parseInto(q)) {
    sqlFreeQuery(q);
    return 1;
  }
  *out = q;
  return 0;
}

JxStatus sqlLogOptions(sql_qry* q, uint16_t mode) {
  if (!q) return sqlMissing("query", "sqlLogOptions");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  switch (mode) {
    case 1:
      q->flags &= ~SQLQ_LOGGING;
      break;
    case 2:
      if (q->connection->flagsA & CMG_A_RANDOM_FETCH)
        q->flags &= ~SQLQ_LOGGING;
      else
        q->flags |= SQLQ_LOGGING;
      break;
    case 3:
      q->flags |= SQLQ_LOGGING;
      break;
  }
  if (q->flags & SQLQ_LOGGING) {
    q->rowsInLog = 0;
    if (q->flags & SQLQ_TRUNCATE_LOG) q->rowLog.tmpTruncate();
  }
  return 0;
}

JxStatus sqlLogInit(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlLogInit");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  // The break levels above the query are its parents: breakLevels + 1 queries in all.
  sql_qry* level = q;
  for (uint32_t i = 0; level && i <= q->breakLevels; ++i, level = level->parent) {
    if (level->flags & SQLQ_TRUNCATE_LOG) level->rowLog.tmpTruncate();
    level->rowsInLog = 0;
    if (newLogPath(level)) return 1;
    level->totalWeight = 0;
    if (level != q) level->rowCount = 0;
  }
  return 0;
}

void sqlSetAutoUpdate(sql_qry* q, short on) {
  if (!q) return;
  if (on)
    q->flags |= SQLQ_AUTO_UPDATE;
  else
    q->flags &= ~SQLQ_AUTO_UPDATE;
}

JxStatus sql_qry::copy(sql_qry** out) const {
  if (!out) return sqlMissing("result", "sql_qry::copy");
  *out = nullptr;
  SqlQueryCall call(this);
  if (call.refused()) return 1;
  sql_qry* c = newQuery(callerSize);
  if (!c) return 1;
  memcpy(reinterpret_cast<char*>(c) - callerSize, reinterpret_cast<const char*>(this) - callerSize,
         callerSize);
  c->connection = connection;
  c->flags = flags &
             ~(SQLQ_PREPARED | SQLQ_COUNT_KNOWN | SQLQ_HANDLES_DROPPED | SQLQ_ROW_CHANGED | SQLQ_INSERT_SLOT);
  bool failed = newLogPath(c) != 0;
  for (char* sql_qry::*t : kTexts) c->*t = copyText(this->*t, &failed);
  c->parsedLength = parsedLength;
  c->columnCallerSize = columnCallerSize;
  c->tableCount = tableCount;
  c->markerCount = markerCount;
  // The parse result goes with the texts: the select list is built from it again.
  if (!failed && parse) {
    parsed_sql* p = nullptr;
    char* rewritten = nullptr;
    if (sqlParse(connection, &p, text, &rewritten, 0))
      failed = true;
    else {
      ramFree(rewritten);
      freeParams(p->params, p->paramCount);
      p->params = nullptr;
      p->paramCount = 0;
      c->parse = p;
    }
  }
  if (!failed && tableList) {
    uint32_t size = static_cast<uint32_t>(sizeof(SqlTableList) + sizeof(SqlTableEntry) * tableList->count);
    c->tableList = static_cast<SqlTableList*>(ramAllocZ(size));
    if (!c->tableList) failed = true;
    for (uint16_t i = 0; !failed && i < tableList->count; ++i) {
      const SqlTableEntry& from = tableList->entries[i];
      SqlTableEntry& to = c->tableList->entries[i];
      c->tableList->count = static_cast<uint16_t>(i + 1);
      to.name = copyText(from.name, &failed);
      to.alias = copyText(from.alias, &failed);
      if (from.columns) {
        uint32_t n = 0;
        while (from.columns[n]) n += static_cast<uint32_t>(strlen(from.columns + n)) + 1;
        to.columns = static_cast<char*>(ramAlloc(n + 1));
        if (to.columns)
          memcpy(to.columns, from.columns, n + 1);
        else
          failed = true;
      }
    }
  }
  if (!failed && columns) {
    c->columns = static_cast<sql_qry_fld**>(
        ramAllocZ(static_cast<uint32_t>(sizeof(sql_qry_fld*)) * (columnCount + 1u)));
    if (!c->columns) failed = true;
    for (uint16_t i = 0; !failed && i < columnCount; ++i) {
      const sql_qry_fld* f = columns[i];
      sql_qry_fld* g = sqlNewColumn(columnCallerSize);
      if (!g) {
        failed = true;
        break;
      }
      c->columns[i] = g;
      c->columnCount = static_cast<uint16_t>(i + 1);
      memcpy(reinterpret_cast<char*>(g) - columnCallerSize,
             reinterpret_cast<const char*>(f) - columnCallerSize, columnCallerSize);
      g->flags = f->flags & ~SQLC_CHANGED;
      g->layerType = f->layerType;
      g->transferLength = f->transferLength;
      g->odbcType = f->odbcType;
      g->length = f->length;
      g->tableNumber = f->tableNumber;
      g->valueSize = f->valueSize;
      g->bufferSize = f->bufferSize;
      g->bindType = f->bindType;
      g->paramType = f->paramType;
      g->odbcPrecision = f->odbcPrecision;
      g->precision = f->precision;
      g->scale = f->scale;
      g->alias = copyText(f->alias, &failed);
      g->selectText = copyText(f->selectText, &failed);
      g->typeName = copyText(f->typeName, &failed);
      g->driverName = copyText(f->driverName, &failed);
      if (f->value) {
        g->value = static_cast<uint8_t*>(ramAllocZ(f->bufferSize ? f->bufferSize : 1));
        if (!g->value) failed = true;
      }
    }
    if (!failed) c->columnCount = columnCount;
  }
  if (!failed && params && paramCount) {
    c->params =
        static_cast<SqlParamSlot*>(ramAllocZ(static_cast<uint32_t>(sizeof(SqlParamSlot)) * paramCount));
    if (!c->params) failed = true;
    for (uint16_t i = 0; !failed && i < paramCount; ++i) {
      c->paramCount = static_cast<uint16_t>(i + 1);
      c->params[i].name = copyText(params[i].name, &failed);
    }
    if (!failed) c->paramCount = paramCount;
  }
  c->breakLevels = breakLevels;
  c->currentBreak = currentBreak;
  c->queryTimeout = queryTimeout;
  c->maxRows = maxRows;
  c->cursorOptions = cursorOptions;
  c->cursorOptions2 = cursorOptions2;
  c->openOptions = openOptions;
  c->longValueLimit = longValueLimit;
  c->logMarker = -1;
  if (failed) {
    sqlFreeQuery(c);
    return 1;
  }
  {
    SqlLock lock(connection->lock);
    c->next = static_cast<sql_qry*>(connection->queries);
    connection->queries = c;
  }
  *out = c;
  return 0;
}
