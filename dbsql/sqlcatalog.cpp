// Catalogue result sets on a connection (the driver's types, one table's columns) and
// the list of a query's tables with their column names built from them.
#include "dbsql/cmgdriver.h"
#include "dbsql/sqlcatalog.h"
#include "dbsql/sqlexec.h"
#include "dbsql/sqlfrom.h"
#include "dbsql/sqlhstmt.h"
#include "sqlquery_internal.h"
#include "dbutil/jxmemory.h"

#include <string.h>

namespace {

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// A catalogue call under the connection's lock, its failure reported.
template <typename Call>
JxStatus guarded(cmg_capabilities* con, SQLHSTMT h, Call call) {
  con->lock->lock();
  SQLRETURN rc = call();
  return sqlCheckHstmtUnlock(con, h, rc) ? 1 : 0;
}

// One part of a dotted name, its identifier quotes removed.
JxStatus takePart(const cmg_capabilities* con, const char* from, size_t n, JxString* out) {
  const char quote = static_cast<char>(con->quoteChar);
  if (out->initialize("")) return 1;
  if (quote && n >= 2 && from[0] == quote && from[n - 1] == quote) {
    for (size_t i = 1; i + 1 < n; ++i) {
      if (from[i] == quote && i + 2 < n && from[i + 1] == quote) ++i;
      if (out->concat(from[i])) return 1;
    }
    return 0;
  }
  for (size_t i = 0; i < n; ++i)
    if (out->concat(from[i])) return 1;
  return 0;
}

// Splits "database.owner.table", "owner.table" or "table" (dots inside quotes kept).
JxStatus splitName(const cmg_capabilities* con, const char* name, JxString parts[3], int* count) {
  const char quote = static_cast<char>(con->quoteChar);
  const char* starts[3];
  size_t lengths[3];
  int n = 0;
  const char* start = name;
  bool quoted = false;
  for (const char* p = name;; ++p) {
    if (quote && *p == quote) quoted = !quoted;
    if (*p == 0 || (*p == '.' && !quoted)) {
      if (n == 3) {
        JxError* e = sqlErrorById(SQLMSG_INVALID_VALUE);
        if (e) *e << "table name" << 4ul;
        return 1;
      }
      starts[n] = start;
      lengths[n++] = static_cast<size_t>(p - start);
      if (!*p) break;
      start = p + 1;
    }
  }
  // The table is always the last part; the owner and the database before it.
  for (int i = 0; i < 3; ++i)
    if (parts[i].initialize("")) return 1;
  for (int i = 0; i < n; ++i)
    if (takePart(con, starts[i], lengths[i], &parts[3 - n + i])) return 1;
  *count = n;
  return 0;
}

SQLCHAR* orNull(const JxString& s) {
  return s.getLength() ? reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str())) : nullptr;
}

// Appends a name to a block of names ended by an empty one.
JxStatus addName(char** block, uint32_t* used, const char* name) {
  const uint32_t n = static_cast<uint32_t>(strlen(name));
  if (ramResize(reinterpret_cast<void**>(block), *used + n + 2)) return 1;
  memcpy(*block + *used, name, n + 1);
  *used += n + 1;
  (*block)[*used] = 0;
  return 0;
}

// The column names of one table from the catalogue: 0 with *block (null when none).
JxStatus catalogueColumns(cmg_capabilities* con, const char* table, char** block, uint32_t* used) {
  SQLHSTMT h = nullptr;
  if (sqlOpenColumns(con, &h, 0, table)) return 1;
  char name[80];
  SQLLEN length = sizeof name;
  JxStatus st = sqlInfoBindCol(con, h, 4, SQL_C_CHAR, name, &length);
  while (!st) {
    SQLRETURN rc = sqlInfoFetch(con, h);
    if (rc == SQL_NO_DATA_FOUND) break;
    if (!succeeded(rc)) {
      st = 1;
      break;
    }
    name[sizeof name - 1] = 0;
    st = addName(block, used, name);
  }
  if (sqlInfoClose(con, h)) st = 1;
  return st;
}

// The column names of one table from an empty result of "SELECT * ... WHERE 0=1".
JxStatus describedColumns(sql_qry* q, const char* table, char** block, uint32_t* used) {
  cmg_capabilities* con = q->connection;
  if (q->databaseName && sqlUseDatabase(con, q->databaseName)) return 1;
  JxString text;
  if (text.initialize("SELECT * FROM ") || text.concat(table) || text.concat(" WHERE 0=1")) return 1;
  SQLHSTMT h = nullptr;
  if (sqlAllocHstmt(con, &h, SQL_HSTMT_ANY)) return 1;
  JxStatus st = sqlCheckHstmt(con, h, SQLPrepare(h, (SQLCHAR*)text.c_str(), SQL_NTS)) ? 1 : 0;
  for (SQLUSMALLINT c = 1; !st; ++c) {
    char name[256];
    SQLSMALLINT got = 0;
    SQLLEN unused = 0;
    SQLRETURN rc = SQLColAttributes(h, c, SQL_COLUMN_NAME, name, sizeof name, &got, &unused);
    if (!succeeded(rc)) {
      char message[1024];
      // Past the last column: the list is complete.
      if (sqlCollectState(con, h, message, sizeof message) != cmgStateNumber("S1002")) {
        JxError* e = sqlErrorById(SQLMSG_DRIVER_ERROR);
        if (e) *e << message;
        st = 1;
      }
      break;
    }
    name[sizeof name - 1] = 0;
    st = addName(block, used, name);
  }
  if (sqlDropHstmt(con, h, SQL_DROP)) st = 1;
  return st;
}

}  // namespace

JxStatus sqlOpenTypeInfo(cmg_capabilities* con, SQLHSTMT* out) {
  if (out) *out = nullptr;
  if (!con || !out) return sqlMissing(con ? "result" : "connection", "sqlOpenTypeInfo");
  SqlQueryCall call(con->owner);
  if (call.refused()) return 1;
  SQLHSTMT h = nullptr;
  if (sqlAllocHstmt(con, &h, SQL_HSTMT_ANY)) return 1;
  if (guarded(con, h, [&] { return SQLGetTypeInfo(h, SQL_ALL_TYPES); })) {
    sqlDropHstmt(con, h, SQL_DROP);
    return 1;
  }
  *out = h;
  return 0;
}

JxStatus sqlOpenColumns(cmg_capabilities* con, SQLHSTMT* out, short switchDatabase, const char* table) {
  if (out) *out = nullptr;
  if (!con || !out || !table)
    return sqlMissing(!con ? "connection" : !out ? "result" : "table name", "sqlOpenColumns");
  SqlQueryCall call(con->owner);
  if (call.refused()) return 1;
  SQLHSTMT h = nullptr;
  if (sqlAllocHstmt(con, &h, SQL_HSTMT_ANY)) return 1;
  JxString parts[3];
  int count = 0;
  JxStatus st = 0;
  if (con->flagsA & CMG_A_FILE_DRIVER) {
    // A file's table name is the file name without its extension (dots are not parts).
    st = parts[0].initialize("") || parts[1].initialize("") || parts[2].initialize(table);
    const char* base = table;
    for (const char* p = table; *p; ++p)
      if (*p == '\\' || *p == '/' || *p == ':') base = p + 1;
    const char* dot = strrchr(base, '.');
    if (!st && dot) parts[2].truncate(static_cast<uint32_t>(dot - table));
  } else {
    st = splitName(con, table, parts, &count);
  }
  if (!st && con->databaseKind == CMG_DB_SS) con->flagsB |= CMG_B_USE_STATEMENT;
  if (!st && switchDatabase && parts[0].getLength()) st = sqlUseDatabase(con, parts[0].c_str());
  if (!st)
    st = guarded(con, h, [&] {
      return SQLColumns(h, orNull(parts[0]), SQL_NTS, orNull(parts[1]), SQL_NTS, orNull(parts[2]), SQL_NTS,
                        nullptr, 0);
    });
  if (st) {
    sqlDropHstmt(con, h, SQL_DROP);
    return 1;
  }
  *out = h;
  return 0;
}

JxStatus sqlInfoBindCol(cmg_capabilities* con, SQLHSTMT h, uint16_t column, int16_t cType, void* buffer,
                        SQLLEN* length) {
  if (!con || !h || !length)
    return sqlMissing(!con ? "connection" : !h ? "statement" : "length", "sqlInfoBindCol");
  return guarded(con, h, [&] { return SQLBindCol(h, column, cType, buffer, *length, length); });
}

SQLRETURN sqlInfoFetch(cmg_capabilities* con, SQLHSTMT h) {
  if (!con || !h) {
    sqlMissing(con ? "statement" : "connection", "sqlInfoFetch");
    return SQL_ERROR;
  }
  con->lock->lock();
  SQLRETURN rc = SQLFetch(h);
  if (rc != SQL_NO_DATA_FOUND)
    sqlCheckHstmtUnlock(con, h, rc);
  else
    con->lock->unlock();
  return rc;
}

JxStatus sqlInfoClose(cmg_capabilities* con, SQLHSTMT h) {
  if (!con || !h) return sqlMissing(con ? "statement" : "connection", "sqlInfoClose");
  return sqlDropHstmt(con, h, SQL_DROP);
}

JxStatus sqlNames(sql_qry* q, SqlTableList** out) {
  if (out) *out = nullptr;
  if (!q || !out) return sqlMissing(q ? "result" : "query", "sqlNames");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (q->names) {
    *out = q->names;
    return 0;
  }
  cmg_capabilities* con = q->connection;
  if ((con->flagsA & CMG_A_ONE_STATEMENT) && q->hstmt) {
    SQLHSTMT h = q->hstmt;
    q->hstmt = nullptr;
    q->flags &= ~SQLQ_PREPARED;
    if (sqlDropHstmt(con, h, SQL_DROP)) return 1;
  }
  if (sqlEnsureParsed(q)) return 1;
  SqlTableList* list = static_cast<SqlTableList*>(ramAllocZ(sizeof(SqlTableList)));
  if (!list) return 1;
  auto fail = [&]() -> JxStatus {
    sqlFreeTableList(list);
    return 1;
  };
  if (q->fromText && !(q->flags & SQLQ_NOT_SELECT)) {
    SqlFrom from;
    char* fromText = q->fromText;
    if (from.initialize(con, &fromText, SQLFROM_COPY)) return fail();
    JxString name, alias;
    for (uint16_t count = 0;;) {
      if (from.nextTable(&name, &alias)) return fail();
      if (!name.getLength()) break;
      uint32_t size = static_cast<uint32_t>(sizeof(SqlTableList) + sizeof(SqlTableEntry) * (count + 1u));
      if (ramResizeZ(reinterpret_cast<void**>(&list), size)) return fail();
      SqlTableEntry& e = list->entries[count];
      e = SqlTableEntry{};
      list->count = ++count;
      const char* table = name.c_str();
      JxString base;
      if (con->flagsA & CMG_A_FILE_DRIVER) {
        // A file's table: its base name, quoted when it is not a plain name.
        const char* b = table;
        for (const char* p = table; *p; ++p)
          if (*p == '\\' || *p == '/' || *p == ':') b = p + 1;
        const char quote = static_cast<char>(con->quoteChar);
        bool plain = cmgIsValidName(con, b, 0) || !quote;
        if (base.initialize("") || (!plain && base.concat(quote)) || base.concat(b) ||
            (!plain && base.concat(quote)))
          return fail();
        table = base.c_str();
      }
      e.name = ramAllocStr(table);
      if (!e.name) return fail();
      if (alias.getLength() && !(e.alias = ramAllocStr(alias.c_str()))) return fail();
      char* block = nullptr;
      uint32_t used = 0;
      if (!(con->flagsB & CMG_B_NO_SQL_COLUMNS) && catalogueColumns(con, e.name, &block, &used)) {
        ramFree(block);
        return fail();
      }
      if (!block && describedColumns(q, e.name, &block, &used)) {
        ramFree(block);
        return fail();
      }
      if (!block && !(block = static_cast<char*>(ramAllocZ(2)))) return fail();
      e.columns = block;
    }
  }
  q->names = list;
  *out = list;
  return 0;
}
