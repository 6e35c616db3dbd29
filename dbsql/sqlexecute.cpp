// Executing statements: a query's prepared statement with its parameter values (pieces
// sent when the driver asks for them, several results summed), again with new values,
// at once, the next result set; a one-off statement on a connection; and the switch of
// a connection's current database.
#include "dbsql/bcvconvert.h"
#include "dbsql/cmgdriver.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqlhstmt.h"
#include "dbsql/sqllogindex.h"
#include "dbsql/sqlparam.h"
#include "dbsql/sqltypemap.h"
#include "sqlquery_internal.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxstrfunc.h"

#include <ctype.h>
#include <initializer_list>
#include <string.h>

namespace {

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// Closes the statement's cursor (and unbinds its columns with unbind).
JxStatus closeCursor(sql_qry* q, bool unbind) {
  SqlLock lock(&q->lock);
  if (sqlCheckHstmt(q->connection, q->hstmt, SQLFreeStmt(q->hstmt, SQL_CLOSE))) return 1;
  return unbind && sqlCheckHstmt(q->connection, q->hstmt, SQLFreeStmt(q->hstmt, SQL_UNBIND)) ? 1 : 0;
}

// Column records for the current result: kept on the first pass when they were made
// already, else described anew (the select list only for the statement's first result).
JxStatus describeResult(sql_qry* q, SQLSMALLINT count, bool first) {
  if (first && q->columns) return 0;
  sqlFreeColumns(q);
  q->columns =
      static_cast<sql_qry_fld**>(ramAllocZ(static_cast<uint32_t>(sizeof(sql_qry_fld*)) * (count + 1u)));
  if (!q->columns) return 1;
  q->columnCount = static_cast<uint16_t>(count);
  q->tableCount = 1;
  if (first) return sqlBuildColumns(q, q->parsedText ? q->parsedText : q->text, q->parse);
  return sqlBuildColumns(q, nullptr, nullptr);
}

// The WHERE conditions of a query over several tables, split into the join conditions
// and the rest.
JxStatus splitWhere(sql_qry* q) {
  ramFree(q->restriction);
  ramFree(q->joins);
  q->restriction = q->joins = nullptr;
  if (!q->parse || !q->parse->where || q->tableCount < 2) return 0;
  char* rest = ramAllocStr(q->parse->where);
  char* joins = static_cast<char*>(ramAlloc(static_cast<uint32_t>(strlen(q->parse->where)) + 1));
  char* unused = nullptr;
  if (!rest || !joins || sqlJoinExpressions(q, q->connection, rest, joins, &unused, nullptr)) {
    ramFree(rest);
    ramFree(joins);
    return 1;
  }
  if (rest[0])
    q->restriction = rest;
  else
    ramFree(rest);
  if (joins[0])
    q->joins = joins;
  else
    ramFree(joins);
  return 0;
}

JxStatus useQueryDatabase(sql_qry* q) {
  return q->databaseName && q->databaseName[0] ? sqlUseDatabase(q->connection, q->databaseName) : 0;
}

// After a new execution: the row count is unknown again and the handles are in use.
void markExecuted(sql_qry* q) {
  q->flags = (q->flags | SQLQ_EXECUTED) & ~(SQLQ_COUNT_KNOWN | SQLQ_HANDLES_DROPPED);
  q->rowCount = 0xFFFFFFFFu;
}

}  // namespace

void sqlResetRows(sql_qry* q) {
  sqlLogIndexReset(q);  // empties the old path in place when memory fails
  if (q->flags & SQLQ_TRUNCATE_LOG) q->rowLog.tmpTruncate();
  q->firstRow = 1;
  q->rowsInLog = 0;
  q->totalWeight = 0;
  q->currentRow = 0xFFFFFFFFu;
  q->rowsFetched = 0;
  q->rowCount = 0xFFFFFFFFu;
  q->flags &= ~SQLQ_COUNT_KNOWN;
  for (uint16_t i = 0; q->columns && i < q->columnCount; ++i)
    if (q->columns[i]) q->columns[i]->valueLength = 0;
}

JxStatus sqlReadBoundValues(sql_qry* q) {
  for (uint16_t i = 0; i < q->paramCount; ++i) {
    SqlParamSlot& s = q->params[i];
    SqlParamNode* n = s.values;
    if (!(s.flags & SQLP_BOUND) || !n || !n->callerLength) continue;
    // A shared chain is read once.
    bool seen = false;
    for (uint16_t j = 0; j < i && !seen; ++j) seen = q->params[j].values == n;
    if (seen) continue;
    const int32_t length = *n->callerLength;
    if (length < 0) {
      n->length = SQL_NULL_DATA;
      continue;
    }
    switch (s.type) {
      case BCV_DECIMAL: {
        const int32_t digits = static_cast<int32_t>(s.size & 0xFFFF);
        const int16_t scale = static_cast<int16_t>(s.size >> 16);
        const int32_t room = (scale >= 0 ? (digits > scale ? digits : scale) : digits - scale) + 4;
        int32_t got = sqlDecimalToText(static_cast<const uint8_t*>(n->callerData),
                                       bcvDecimalWord(digits, scale), reinterpret_cast<char*>(n->data), room);
        if (!got) return 1;
        n->length = got - 1;
        break;
      }
      case BCV_DATETIME:
      case BCV_DATE:
      case BCV_TIME: {
        char text[27] = "0000-00-00 00:00:00.000000";
        const char* from = static_cast<const char*>(n->callerData);
        int32_t l = length > 26 ? 26 : length;
        if (s.type == BCV_TIME && l >= 3 && from[2] == ':') {
          memcpy(text + 11, from, static_cast<size_t>(l > 15 ? 15 : l));
          l = 26;
          from = text;
        }
        if (sqlTextToTimestamp(from, l, s.type == BCV_TIME ? (11 << 16) : 0,
                               reinterpret_cast<TIMESTAMP_STRUCT*>(n->data)))
          return 1;
        n->length = s.type == BCV_DATETIME ? static_cast<SQLLEN>(sizeof(TIMESTAMP_STRUCT)) : 6;
        break;
      }
      default:
        n->length = length;
        break;
    }
  }
  return 0;
}

JxStatus sqlExecuteWithData(sql_qry* q, const char* text) {
  cmg_capabilities* con = q->connection;
  SqlLock lock(&q->lock);
  SQLRETURN rc = text ? SQLExecDirect(q->hstmt, (SQLCHAR*)text, SQL_NTS) : SQLExecute(q->hstmt);
  while (rc == SQL_NEED_DATA) {
    SQLPOINTER token = nullptr;
    rc = SQLParamData(q->hstmt, &token);
    if (rc != SQL_NEED_DATA) break;
    const uintptr_t slot = reinterpret_cast<uintptr_t>(token);
    if (slot >= q->paramCount) {
      JxError* e = sqlErrorById(SQLMSG_DRIVER_ANSWER);
      if (e)
        *e << "SQLParamData"
           << "a parameter the statement does not have";
      SQLCancel(q->hstmt);
      return 1;
    }
    for (SqlParamNode* n = q->params[slot].values; n; n = n->next) {
      if (n->length <= 0) continue;
      SQLRETURN put = SQLPutData(q->hstmt, n->data, n->length);
      if (!succeeded(put)) {
        sqlCheckHstmt(con, q->hstmt, put);
        SQLParamData(q->hstmt, &token);
        return 1;
      }
    }
  }
  return sqlCheckHstmt(con, q->hstmt, rc) ? 1 : 0;
}

JxStatus sqlXExecute(sql_qry* q, uint32_t* rows) {
  if (rows) *rows = 0;
  if (!q) return sqlMissing("query", "sqlXExecute");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  cmg_capabilities* con = q->connection;
  uint32_t affected = 0;
  JxStatus st = [&]() -> JxStatus {
    if (sqlEnsureParsed(q)) return 1;
    // A slot without a value would hand the driver whatever its last binding left.
    if (sqlParamsMissing(q)) {
      sqlErrorById(4528);
      return 1;
    }
    if (!q->hstmt || !(q->flags & SQLQ_PREPARED)) {
      if (sqlXPrepare(q)) return 1;
    } else if ((q->flags & SQLQ_EXECUTED) && closeCursor(q, false)) {
      return 1;
    }
    if (q->flags & SQLQ_EXECUTED) sqlResetRows(q);
    if (sqlReadBoundValues(q) || sqlRebindParams(q)) return 1;
    if (sqlExecuteWithData(q, nullptr)) return 1;
    const bool several = con->databaseKind == CMG_DB_SS && con->severalResults == 1;
    for (bool first = true;; first = false) {
      SQLSMALLINT count = 0;
      if (first && q->columns) {
        count = static_cast<SQLSMALLINT>(q->columnCount);
      } else {
        SqlLock lock(&q->lock);
        if (sqlCheckHstmt(con, q->hstmt, SQLNumResultCols(q->hstmt, &count))) return 1;
      }
      if (count > 0) {
        sqlResetRows(q);
        if (describeResult(q, count, first) || splitWhere(q)) return 1;
        if (q->tableCount == 1 && !(q->flags & (SQLQ_NOT_SELECT | SQLQ_ALL_READ_ONLY)) &&
            !q->setOperationText)
          q->flags |= SQLQ_SINGLE_TABLE;
        else
          q->flags &= ~SQLQ_SINGLE_TABLE;
        return 0;
      }
      SQLLEN n = 0;
      {
        SqlLock lock(&q->lock);
        if (sqlCheckHstmt(con, q->hstmt, SQLRowCount(q->hstmt, &n))) return 1;
      }
      if (n > 0) affected += static_cast<uint32_t>(n);
      if (!several) return 0;
      SQLRETURN rc;
      {
        SqlLock lock(&q->lock);
        rc = SQLMoreResults(q->hstmt);
      }
      if (rc == SQL_NO_DATA_FOUND) return 0;
      if (sqlCheckHstmt(con, q->hstmt, rc)) return 1;
    }
  }();
  if (!st) {
    markExecuted(q);
    q->rowsAffected = affected;
    if (rows) *rows = affected;
  } else if (q->hstmt) {
    // Closed so that the statement can run again.
    SqlLock lock(&q->lock);
    sqlCheckHstmt(con, q->hstmt, SQLFreeStmt(q->hstmt, SQL_CLOSE));
  }
  q->flags &= ~SQLQ_PARAMS_IN_PLACE;
  return st;
}

short sqlNotAQuery(const cmg_capabilities* con, const char* text) {
  if (!con) return 0;
  switch (con->cursorOptions & 0xC00) {
    case 0:
    case 0x400:
      return 0;
    case 0x800:
      return 1;
    default:
      break;
  }
  const char* p = text ? text : "";
  while (isspace(static_cast<unsigned char>(*p))) ++p;
  return !(strCompareCi(p, 6, "SELECT", 6) == 0 && isspace(static_cast<unsigned char>(p[6])));
}

JxStatus sqlXExecDirect(cmg_capabilities* con, const char* text) {
  if (!con || !text) return sqlMissing(con ? "statement" : "connection", "sqlXExecDirect");
  SqlQueryCall call(con->owner);
  if (call.refused()) return 1;
  SQLHSTMT h = nullptr;
  if (sqlAllocHstmt(con, &h, sqlNotAQuery(con, text) ? SQL_HSTMT_PRIMARY : SQL_HSTMT_ANY)) return 1;
  JxStatus st = sqlCheckHstmt(con, h, SQLExecDirect(h, (SQLCHAR*)text, SQL_NTS)) ? 1 : 0;
  if (sqlDropHstmt(con, h, SQL_DROP)) st = 1;
  return st;
}

JxStatus sqlReExecute(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlReExecute");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (sqlEnsureParsed(q)) return 1;
  if (sqlParamsMissing(q)) {
    sqlErrorById(4528);
    return 1;
  }
  cmg_capabilities* con = q->connection;
  if (q->hstmt) {
    SQLHSTMT h = q->hstmt;
    q->hstmt = nullptr;
    if (sqlDropHstmt(con, h, SQL_DROP)) return 1;
  }
  q->flags &= ~(SQLQ_PREPARED | SQLQ_SCROLLABLE);
  if (sqlSetupHstmt(q) || sqlReadBoundValues(q) || sqlRebindParams(q) || useQueryDatabase(q)) return 1;
  char* text = sqlSubstitute(q, q->parsedText ? q->parsedText : q->text);
  if (!text) return 1;
  JxStatus st;
  {
    SqlLock lock(&q->lock);
    st = sqlCheckHstmt(con, q->hstmt, SQLPrepare(q->hstmt, (SQLCHAR*)text, SQL_NTS)) ? 1 : 0;
  }
  ramFree(text);
  if (st) return 1;
  q->flags |= SQLQ_PREPARED;
  sqlResetRows(q);
  if (sqlExecuteWithData(q, nullptr)) return 1;
  markExecuted(q);
  return 0;
}

JxStatus sqlQueryNow(sql_qry* q, const char* text) {
  if (!q) return sqlMissing("query", "sqlQueryNow");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (!text) {
    if (!(q->flags & SQLQ_PREPARED) && sqlXPrepare(q)) return 1;
    if (sqlReadBoundValues(q) || sqlRebindParams(q) || sqlExecuteWithData(q, nullptr)) return 1;
    markExecuted(q);
    return 0;
  }
  if (q->hstmt) {
    if (closeCursor(q, true)) return 1;
  } else if (sqlSetupHstmt(q)) {
    return 1;
  }
  // The statement's prepared text is replaced by this one.
  q->flags &= ~SQLQ_PREPARED;
  sqlResetRows(q);
  sqlFreeColumns(q);
  if (useQueryDatabase(q) || sqlExecuteWithData(q, text)) return 1;
  markExecuted(q);
  return 0;
}

JxStatus sqlXMoreResults(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlXMoreResults");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (!(q->flags & SQLQ_EXECUTED)) {
    sqlErrorById(4524);
    return 1;
  }
  if (!q->hstmt) {
    sqlErrorById(SQLMSG_EOF);
    return 1;
  }
  cmg_capabilities* con = q->connection;
  SQLSMALLINT count = 0;
  {
    SqlLock lock(&q->lock);
    SQLRETURN rc = SQLMoreResults(q->hstmt);
    if (rc == SQL_NO_DATA_FOUND) {
      sqlErrorById(SQLMSG_EOF);
      return 1;
    }
    if (sqlCheckHstmt(con, q->hstmt, rc) ||
        sqlCheckHstmt(con, q->hstmt, SQLNumResultCols(q->hstmt, &count)) ||
        sqlCheckHstmt(con, q->hstmt, SQLFreeStmt(q->hstmt, SQL_UNBIND)))
      return 1;
  }
  for (SQLHSTMT* h : {&q->insertHstmt, &q->thirdHstmt})
    if (*h) {
      SQLHSTMT old = *h;
      *h = nullptr;
      if (sqlDropHstmt(con, old, SQL_DROP)) return 1;
    }
  sqlResetRows(q);
  q->flags &= ~(SQLQ_ROW_CHANGED | SQLQ_INSERT_SLOT | SQLQ_SINGLE_TABLE);
  sqlFreeColumns(q);
  if (count > 0) return describeResult(q, count, false);
  q->columns = static_cast<sql_qry_fld**>(ramAllocZ(sizeof(sql_qry_fld*)));
  return q->columns ? 0 : 1;
}

JxStatus sqlUseDatabase(cmg_capabilities* con, const char* name) {
  if (!con) return sqlMissing("connection", "sqlUseDatabase");
  if (con->databaseKind == CMG_DB_SS) con->flagsB |= CMG_B_USE_STATEMENT;
  if (!name || !name[0] || !(con->flagsB & CMG_B_USE_STATEMENT)) return 0;
  if (con->databaseName && strcmp(con->databaseName, name) == 0) return 0;
  // The name comes from programs: written as a plain name only when it is one, else
  // between the driver's identifier quotes with those inside doubled.
  JxString text;
  if (text.initialize("USE ")) return 1;
  const char quote = static_cast<char>(con->quoteChar);
  // A name already between quotes counts as valid to the identifier rules: it is quoted
  // again here, since its inside is not checked.
  if (cmgIsValidName(con, name, 0) && !(quote && name[0] == quote)) {
    if (text.concat(name)) return 1;
  } else {
    if (!quote) {
      JxError* e = sqlErrorById(SQLMSG_CANNOT_QUOTE);
      if (e) *e << name;
      return 1;
    }
    if (text.concat(quote)) return 1;
    for (const char* c = name; *c; ++c)
      if ((*c == quote && text.concat(quote)) || text.concat(*c)) return 1;
    if (text.concat(quote)) return 1;
  }
  char* remembered = ramAllocStr(name);
  if (!remembered) return 1;
  // The connection, then every query of it, in chain order; released in the same order.
  con->lock->lock();
  for (sql_qry* q = static_cast<sql_qry*>(con->queries); q; q = q->next) q->lock.lock();
  SQLHSTMT h = nullptr;
  JxStatus st = cmgSetDriverError(con->owner, con->hdbc, nullptr, SQLAllocStmt(con->hdbc, &h)) ? 1 : 0;
  if (!st) {
    st =
        cmgSetDriverError(con->owner, con->hdbc, h,
                          SQLExecDirect(h, (SQLCHAR*)text.c_str(), static_cast<SQLINTEGER>(text.getLength())))
            ? 1
            : 0;
    SQLFreeStmt(h, SQL_DROP);
  }
  if (!st) {
    ramFree(con->databaseName);
    con->databaseName = remembered;
    remembered = nullptr;
  }
  // The queries first: the chain is walked while the connection's lock still holds it.
  for (sql_qry* q = static_cast<sql_qry*>(con->queries); q; q = q->next) q->lock.unlock();
  con->lock->unlock();
  ramFree(remembered);
  return st;
}
