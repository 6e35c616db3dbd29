// Preparing a query's statement on the driver, the driver's native form of its text,
// column attributes asked of the driver, the choice of row-identifying columns and the
// search condition that identifies the current row.
#include "cmgenv_internal.h"
#include "dbsql/cmgdriver.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqlfrom.h"
#include "dbsql/sqlhstmt.h"
#include "dbsql/sqltypemap.h"
#include "sqlquery_internal.h"
#include "dbutil/jxmemory.h"

#include <stdio.h>
#include <string.h>

namespace {

const uint32_t kNativeLimit = 65435;  // the longest native text asked for
const uint32_t kNativeStep = 1024;

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// The key information of the current row from the row store: a state word (bit 0 new
// row, bit 2 stored) and its captured key values. The row store keeps no rows yet, so
// every row answers as one of a connection without row keys: state 0, no entries.
struct RowKey {
  uint16_t column;
  int32_t length;
  const uint8_t* data;
};
JxStatus currentRowKeys(sql_qry*, uint16_t* state, RowKey** keys, uint16_t* count) {
  *state = 0;
  *keys = nullptr;
  *count = 0;
  return 0;
}

// Appends text to the growing condition.
JxStatus appendText(SqlTextBuffer* b, const char* text, uint32_t n) {
  if (sqlTextReserve(b, n + 1)) return 1;
  memcpy(b->write, text, n);
  b->write += n;
  *b->write = 0;
  return 0;
}
JxStatus appendText(SqlTextBuffer* b, const char* text) {
  return appendText(b, text, static_cast<uint32_t>(strlen(text)));
}

// The key columns of every table of the query that has columns described, tables in
// FROM order (nothing before the columns are known).
JxStatus chooseRowIdentifiers(sql_qry* q) {
  for (uint16_t t = 1; t <= q->tableCount; ++t) {
    bool described = false;
    for (uint16_t i = 0; i < q->columnCount && !described; ++i)
      described = q->columns[i] && q->columns[i]->tableNumber == t;
    if (described && sqlChooseKeyColumns(q, t)) return 1;
  }
  return 0;
}

}  // namespace

JxStatus sqlXPrepare(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlXPrepare");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  cmg_capabilities* con = q->connection;
  const bool substitute = con->substituteParams || (q->flags & SQLQ_TEXT_PARAMS);
  char* substituted = nullptr;
  if (substitute) {
    // The values are written into the text: prepared again for every new value.
    if (sqlEnsureParsed(q)) return 1;
    if (q->paramCount && !(substituted = sqlSubstitute(q, q->parsedText ? q->parsedText : q->text))) return 1;
  } else if (q->flags & SQLQ_PREPARED) {
    return 0;
  }
  const char* text = substituted ? substituted : q->parsedText ? q->parsedText : q->text;
  JxStatus st = [&]() -> JxStatus {
    if (!q->hstmt && sqlSetupHstmt(q)) return 1;
    // One active statement per connection and no connection of its own: a query that
    // may be edited by keys of several columns has its row identifiers chosen now, while
    // the connection has no active statement, and its statement set up.
    if ((con->flagsA & CMG_A_ONE_STATEMENT) && !q->insertHstmt) {
      if (sqlEnsureParsed(q)) return 1;
      if (!(q->flags & SQLQ_READ_ONLY) && q->keyText && strchr(q->keyText, ',') &&
          (chooseRowIdentifiers(q) || sqlSetupHstmt(q)))
        return 1;
    }
    if (q->databaseName && q->databaseName[0] && sqlUseDatabase(con, q->databaseName)) return 1;
    SqlLock lock(&q->lock);
    return sqlCheckHstmt(con, q->hstmt, SQLPrepare(q->hstmt, (SQLCHAR*)text, SQL_NTS)) ? 1 : 0;
  }();
  ramFree(substituted);
  if (!st) q->flags |= SQLQ_PREPARED;
  return st;
}

JxStatus sqlXNativeSQL(sql_qry* q, char** out) {
  if (out) *out = nullptr;
  if (!q || !out) return sqlMissing(q ? "result" : "query", "sqlXNativeSQL");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  cmg_capabilities* con = q->connection;
  SQLHDBC hdbc = con->hdbc;
  if (q->hstmt && sqlLookupHdbc(con, &hdbc, q->hstmt)) return 1;
  const uint32_t length = static_cast<uint32_t>(strlen(q->text));
  uint32_t margin = kNativeStep;
  for (;;) {
    uint32_t total = length + margin > kNativeLimit ? kNativeLimit : length + margin;
    char* buffer = static_cast<char*>(ramAlloc(total));
    if (!buffer) return 1;
    SQLINTEGER got = 0;
    SQLRETURN rc = SQLNativeSql(hdbc, (SQLCHAR*)q->text, static_cast<SQLINTEGER>(length), (SQLCHAR*)buffer,
                                static_cast<SQLINTEGER>(total), &got);
    if (!succeeded(rc)) {
      ramFree(buffer);
      cmgSetDriverError(con->owner, hdbc, nullptr, rc);
      return 1;
    }
    bool truncated = false;
    if (rc == SQL_SUCCESS_WITH_INFO)
      truncated = sqlCollectState(con, nullptr, nullptr, 0) == cmgStateNumber("01004");
    if (!truncated) {
      uint32_t n = got < 0 ? static_cast<uint32_t>(strlen(buffer)) : static_cast<uint32_t>(got);
      if (n >= total) n = total - 1;
      buffer[n] = 0;
      if (ramResize(reinterpret_cast<void**>(&buffer), n + 1)) {
        ramFree(buffer);
        return 1;
      }
      *out = buffer;
      return 0;
    }
    ramFree(buffer);
    if (total >= kNativeLimit) {
      sqlErrorById(4531);
      return 1;
    }
    margin += kNativeStep;
  }
}

JxStatus sqlColDBTypeName(sql_qry* q, uint16_t column, char* buffer, uint16_t size, uint16_t* length) {
  if (!q || !buffer) return sqlMissing(q ? "buffer" : "query", "sqlColDBTypeName");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (!sqlColumnOf(q, column)) return 1;
  SQLSMALLINT got = 0;
  SQLLEN unused = 0;
  SqlLock lock(&q->lock);
  if (sqlCheckHstmt(q->connection, q->hstmt,
                    SQLColAttributes(q->hstmt, column, SQL_COLUMN_TYPE_NAME, buffer, size, &got, &unused)))
    return 1;
  if (length) *length = static_cast<uint16_t>(got < 0 ? 0 : got);
  return 0;
}

JxStatus sqlColSearchable(sql_qry* q, uint16_t column) {
  if (!q) return sqlMissing("query", "sqlColSearchable");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  sql_qry_fld* f = sqlColumnOf(q, column);
  if (!f) return 1;
  SQLLEN value = 0;
  SqlLock lock(&q->lock);
  if (sqlCheckHstmt(q->connection, q->hstmt,
                    SQLColAttributes(q->hstmt, column, SQL_COLUMN_SEARCHABLE, nullptr, 0, nullptr, &value)))
    return 1;
  f->flags =
      (f->flags & ~SQLC_SEARCHABLE_MASK) | SQLC_SEARCHABLE_KNOWN | (static_cast<uint32_t>(value & 3) << 9);
  return 0;
}

JxStatus sqlColKeySearchable(sql_qry* q, uint16_t column) {
  if (!q) return sqlMissing("query", "sqlColKeySearchable");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  sql_qry_fld* f = sqlColumnOf(q, column);
  if (!f) return 1;
  SQLLEN value = 0;
  SqlLock lock(&q->lock);
  SQLRETURN rc = SQLColAttributes(q->hstmt, column, SQL_COLUMN_KEY_SEARCHABLE, nullptr, 0, nullptr, &value);
  if (!succeeded(rc)) {
    char text[1024];
    if (sqlCollectState(q->connection, q->hstmt, text, sizeof text) != cmgStateNumber("S1091")) {
      JxError* e = sqlErrorById(SQLMSG_DRIVER_ERROR);
      if (e) *e << text;
      return 1;
    }
    value = -1;
  }
  f->flags = (f->flags & ~SQLC_KEYSEARCH_MASK) | (value == 1   ? SQLC_KEYSEARCH_YES
                                                  : value == 0 ? SQLC_KEYSEARCH_NO
                                                               : SQLC_KEYSEARCH_UNKNOWN);
  return 0;
}

JxStatus sqlChooseKeyColumns(sql_qry* q, uint16_t table) {
  if (!q) return sqlMissing("query", "sqlChooseKeyColumns");
  if (q->flags & SQLQ_KEYS_GIVEN) return 0;
  bool any = false;
  for (uint16_t i = 0; i < q->columnCount; ++i) {
    sql_qry_fld* f = q->columns[i];
    if (f->tableNumber != table) continue;
    f->flags &= ~SQLC_KEY;
    if (f->flags & SQLC_EXPRESSION) continue;
    uint32_t key = f->flags & SQLC_KEYSEARCH_MASK;
    if (key == SQLC_KEYSEARCH_NO) continue;
    bool fits = false;
    switch (f->odbcType) {
      case SQL_CHAR:
      case SQL_VARCHAR:
        fits = f->length <= 255;
        break;
      case SQL_BIT:
      case SQL_TINYINT:
      case SQL_SMALLINT:
      case SQL_INTEGER:
      case SQL_BIGINT:
      case SQL_NUMERIC:
      case SQL_DECIMAL:
      case SQL_REAL:
      case SQL_FLOAT:
      case SQL_DOUBLE:
      case SQL_DATE:
      case SQL_TIME:
      case SQL_TIMESTAMP:
        fits = true;
        break;
    }
    if (key == SQLC_KEYSEARCH_YES || fits) {
      f->flags |= SQLC_KEY;
      any = true;
    }
  }
  if (!any) {
    sqlErrorById(4506);
    return 1;
  }
  return 0;
}

JxStatus sqlUniqueWhere(sql_qry* q, char** out) {
  if (out) *out = nullptr;
  if (!q || !out) return sqlMissing(q ? "result" : "query", "sqlUniqueWhere");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  cmg_capabilities* con = q->connection;
  uint16_t state = 0, count = 0;
  RowKey* keys = nullptr;
  if (currentRowKeys(q, &state, &keys, &count)) return 1;
  if ((state & 1) && !(state & 4)) {
    *out = ramAllocStr("FALSE");
    return *out ? 0 : 1;
  }
  for (uint16_t i = 0; i < count; ++i) {
    sql_qry_fld* f = sqlColumnOf(q, keys[i].column);
    if (!f) continue;
    int32_t n = keys[i].length > 0 ? keys[i].length : 0;
    uint8_t* captured = static_cast<uint8_t*>(ramAllocZ(4 + static_cast<uint32_t>(n) + 1));
    if (!captured) return 1;
    memcpy(captured, &keys[i].length, 4);
    if (n) memcpy(captured + 4, keys[i].data, static_cast<uint32_t>(n));
    ramFree(f->originalValue);
    f->originalValue = captured;
    f->flags |= SQLC_CHANGED;
  }
  SqlTextBuffer text{};
  JxStatus st = [&]() -> JxStatus {
    if (sqlTextReserve(&text, 1)) return 1;
    SqlFrom from;
    char* fromText = q->fromText;
    if (from.initialize(con, &fromText, SQLFROM_COPY)) return 1;
    const char quote = static_cast<char>(con->quoteChar);
    bool first = true;
    JxString name;
    for (uint16_t t = 1; t <= q->tableCount; ++t) {
      if (from.nextTable(&name, nullptr)) return 1;
      if (name.getLength() > 80) name.truncate(80);
      for (int pass = 0; pass < 2; ++pass) {
        bool found = false;
        for (uint16_t i = 0; i < q->columnCount; ++i) {
          sql_qry_fld* f = q->columns[i];
          if (f->tableNumber != t || !(f->flags & SQLC_KEY)) continue;
          found = true;
          if (!first && appendText(&text, " AND ")) return 1;
          first = false;
          if (q->tableCount > 1 && (appendText(&text, name.c_str()) || appendText(&text, "."))) return 1;
          if (quote && appendText(&text, &quote, 1)) return 1;
          for (const char* c = f->driverName ? f->driverName : ""; *c; ++c)
            if ((quote && *c == quote && appendText(&text, &quote, 1)) || appendText(&text, c, 1)) return 1;
          if (quote && appendText(&text, &quote, 1)) return 1;
          int32_t length = f->valueLength;
          const uint8_t* data = f->value;
          if ((f->flags & SQLC_CHANGED) && f->originalValue) {
            memcpy(&length, f->originalValue, 4);
            data = f->originalValue + 4;
          }
          if (length == SQL_NULL_DATA) {
            if (appendText(&text, " IS NULL")) return 1;
          } else if (appendText(&text, " = ") || sqlAppendLiteral(&text, f, length, data, con)) {
            return 1;
          }
        }
        if (found || pass == 1) break;
        if (sqlChooseKeyColumns(q, t)) return 1;
      }
    }
    return 0;
  }();
  if (st) {
    ramFree(text.start);
    return 1;
  }
  // Shrunk to its size.
  const uint32_t size = static_cast<uint32_t>(text.write - text.start) + 1;
  if (ramResize(reinterpret_cast<void**>(&text.start), size)) {
    ramFree(text.start);
    return 1;
  }
  *out = text.start;
  return 0;
}
