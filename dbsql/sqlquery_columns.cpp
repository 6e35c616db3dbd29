// The query object's result columns: made from the select list, described from the
// driver (types, attributes, transfer lengths and buffers), and the table list of the
// FROM clause that ties columns to their tables.
#include "cmgenv_internal.h"
#include "dbsql/cmgdriver.h"
#include "dbsql/sqlfrom.h"
#include "dbsql/sqlhstmt.h"
#include "dbsql/sqlscanner.h"
#include "dbsql/sqltypemap.h"
#include "sqlquery_internal.h"
#include "dbutil/jxmemory.h"

#include <string.h>

namespace {

bool isOp(const JxToken& t, char c) {
  return t.getLength() == 1 && t.getPtr()[0] == c && t.getType() != TOK_QUOTED;
}

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// SQLColAttributes for a number.
SQLRETURN numberAttribute(SQLHSTMT h, uint16_t column, SQLUSMALLINT attribute, SQLLEN* value) {
  *value = 0;
  return SQLColAttributes(h, column, attribute, nullptr, 0, nullptr, value);
}

struct TypeShape {
  uint32_t flags;
  int32_t valueSize;
  int32_t bufferSize;
  bool known;
};

// The flags, value size, length field and buffer size of a column by its ODBC type.
TypeShape shapeOf(sql_qry_fld* f, int32_t precision, int16_t scale, uint16_t options) {
  TypeShape s{0, 0, 0, true};
  switch (f->odbcType) {
    case SQL_BIT:
      s = {SQLC_BIT | SQLC_NUMBER, 2, 2, true};
      break;
    case SQL_TINYINT:
    case SQL_SMALLINT:
      s = {SQLC_NUMBER, 2, 2, true};
      break;
    case SQL_INTEGER:
    case SQL_REAL:
      s = {SQLC_NUMBER, 4, 4, true};
      break;
    case SQL_FLOAT:
    case SQL_DOUBLE:
      s = {SQLC_NUMBER, 8, 8, true};
      break;
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL: {
      int32_t p = (precision & ~1) + 1;
      s = {SQLC_NUMBER, (precision + 2) / 2, scale >= 0 ? (scale > p ? scale : p) + 3 : p - scale + 3, true};
      f->length = s.valueSize;
      break;
    }
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR: {
      int32_t n = f->transferLength > 255 || f->transferLength < 0 ? 255 : f->transferLength;
      s = {SQLC_CHARACTER, n, n + 1, true};
      break;
    }
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: {
      int32_t n = f->transferLength > 255 || f->transferLength < 0 ? 255 : f->transferLength;
      s = {SQLC_BINARY, n, n + ((options & SQLOPEN_BINARY_SPARE) ? 1 : 0), true};
      break;
    }
    case SQL_DATE:
      s = {SQLC_DATETIME, 26, 26, true};
      f->length = 9;
      break;
    case SQL_TIME:
      s = {SQLC_DATETIME, 26, 26, true};
      f->length = 8;
      break;
    case SQL_TIMESTAMP:
      s = {SQLC_DATETIME, 26, 26, true};
      f->length = precision - 1;
      break;
    default: {
      // A type outside the table (SQL type 0, a wide or driver-specific type) is read
      // as variable text through SQL_C_CHAR, so that its value can always be shown.
      int32_t n = f->transferLength > 255 || f->transferLength <= 0 ? 255 : f->transferLength;
      s = {SQLC_CHARACTER | SQLC_READ_ONLY, n, n + 1, false};
      break;
    }
  }
  if (s.bufferSize < 1) s.bufferSize = 1;
  return s;
}

JxStatus describeOne(sql_qry* q, uint16_t number) {
  cmg_capabilities* con = q->connection;
  sql_qry_fld* f = q->columns[number - 1];
  SQLHSTMT h = q->hstmt;
  char name[128] = "";
  SQLSMALLINT nameLength = 0, type = 0, scale = 0, nullable = 0;
  SQLULEN precision = 0;
  SqlLock lock(&q->lock);
  if (sqlCheckHstmt(con, h,
                    SQLDescribeCol(h, number, reinterpret_cast<SQLCHAR*>(name), sizeof name, &nameLength,
                                   &type, &precision, &scale, &nullable)))
    return 1;
  name[sizeof name - 1] = 0;
  SQLLEN updatable, length, money, searchable, isUnsigned, autoIncrement, keySearchable;
  if (sqlCheckHstmt(con, h, numberAttribute(h, number, SQL_COLUMN_UPDATABLE, &updatable)) ||
      sqlCheckHstmt(con, h, numberAttribute(h, number, SQL_COLUMN_LENGTH, &length)) ||
      sqlCheckHstmt(con, h, numberAttribute(h, number, SQL_COLUMN_MONEY, &money)) ||
      sqlCheckHstmt(con, h, numberAttribute(h, number, SQL_COLUMN_SEARCHABLE, &searchable)) ||
      sqlCheckHstmt(con, h, numberAttribute(h, number, SQL_COLUMN_UNSIGNED, &isUnsigned)) ||
      sqlCheckHstmt(con, h, numberAttribute(h, number, SQL_COLUMN_AUTO_INCREMENT, &autoIncrement)))
    return 1;
  SQLRETURN rc = numberAttribute(h, number, SQL_COLUMN_KEY_SEARCHABLE, &keySearchable);
  if (!succeeded(rc)) {
    char text[1024];
    int32_t state = sqlCollectState(con, h, text, sizeof text);
    if (state != cmgStateNumber("S1091")) {
      JxError* e = sqlErrorById(SQLMSG_DRIVER_ERROR);
      if (e) *e << text;
      return 1;
    }
    keySearchable = -1;
  }
  char typeName[80] = "";
  SQLSMALLINT typeNameLength = 0;
  SQLLEN unused = 0;
  if (sqlCheckHstmt(con, h,
                    SQLColAttributes(h, number, SQL_COLUMN_TYPE_NAME, typeName, sizeof typeName,
                                     &typeNameLength, &unused)))
    return 1;
  typeName[sizeof typeName - 1] = 0;

  f->flags &= ~(SQLC_READ_ONLY | 0x7FFF0u);
  f->flags |= SQLC_SEARCHABLE_KNOWN | (static_cast<uint32_t>(searchable & 3) << 9);
  f->flags |= static_cast<uint32_t>((updatable < 0 || updatable > 2 ? 2 : updatable) + 1) << 14;
  f->flags |= static_cast<uint32_t>((nullable < 0 || nullable > 2 ? 2 : nullable) + 1) << 12;
  if (money) f->flags |= SQLC_MONEY;
  f->flags |= keySearchable == 1   ? SQLC_KEYSEARCH_YES
              : keySearchable == 0 ? SQLC_KEYSEARCH_NO
                                   : SQLC_KEYSEARCH_UNKNOWN;
  if (isUnsigned) f->flags |= SQLC_UNSIGNED;
  if (autoIncrement) f->flags |= SQLC_AUTO_INCREMENT;

  f->odbcType = type;
  f->layerType = sqlODBCtoSQLdatatype(type);
  // On kind 5 connections whose environment keeps its setting of 1, fixed-length text is
  // read as variable-length text.
  if (f->layerType == BCV_CHAR && q->connection->databaseKind == CMG_DB_SS && q->connection->owner &&
      q->connection->owner->one == 1)
    f->layerType = BCV_VARCHAR;
  f->bindType = sqlBindCType(type);
  f->paramType = sqlParamCType(type);
  f->length = static_cast<int32_t>(length);
  f->precision = static_cast<int32_t>(precision);
  f->scale = scale;
  f->transferLength = sqlXferLen(type, f->length, f->precision, scale);
  SqlColumnShape shape{type, scale, f->length, f->precision};
  f->odbcPrecision = sqlfldtoODBCprecision(&shape);

  TypeShape s = shapeOf(f, f->precision, scale, q->openOptions);
  f->flags |= s.flags;
  if (!s.known) {
    f->layerType = BCV_VARCHAR;
    f->bindType = SQL_C_CHAR;
    f->paramType = SQL_C_CHAR;
  }
  f->valueSize = static_cast<uint16_t>(s.valueSize);
  f->bufferSize = static_cast<uint16_t>(s.bufferSize);
  uint8_t* buffer = static_cast<uint8_t*>(ramAllocZ(f->bufferSize));
  if (!buffer) return 1;
  ramFree(f->value);
  f->value = buffer;

  if ((f->flags & SQLC_UPDATABLE_MASK) == SQLC_ATTR_READONLY || (f->flags & SQLC_EXPRESSION) ||
      (q->flags & (SQL_PARSE_NOT_SELECT | SQL_PARSE_DISTINCT)) || (q->openOptions & SQLOPEN_READ_ONLY) ||
      !q->fromText || q->groupByText || q->setOperationText)
    f->flags |= SQLC_READ_ONLY;

  // The driver's name: quoted whole, else without its qualifier.
  const char quote = static_cast<char>(con->quoteChar);
  uint32_t n = static_cast<uint32_t>(strlen(name));
  const char* keep = name;
  if (!(quote && n >= 2 && name[0] == quote && name[n - 1] == quote) && !(f->flags & SQLC_EXPRESSION) &&
      !(con->flagsB & CMG_B_FILE_PATTERN)) {
    const char* dot = strchr(name, '.');
    if (dot && dot[1]) keep = dot + 1;
  }
  char* driverName = ramAllocStr(keep);
  if (!driverName) return 1;
  ramFree(f->driverName);
  f->driverName = driverName;
  char* typeCopy = ramAllocStr(typeName);
  if (!typeCopy) return 1;
  ramFree(f->typeName);
  f->typeName = typeCopy;

  if (f->selectText) {
    if (con->identifierCase != SQL_IC_SENSITIVE) sqlNormaliseSelectText(f->selectText, quote);
  } else {
    bool quoted = quote && !cmgIsValidName(con, f->driverName, 1);
    uint32_t size = static_cast<uint32_t>(strlen(f->driverName)) * 2 + 3;
    char* text = static_cast<char*>(ramAlloc(size));
    if (!text) return 1;
    char* w = text;
    if (quoted) *w++ = quote;
    for (const char* r = f->driverName; *r; ++r) {
      if (quoted && *r == quote) *w++ = quote;
      *w++ = *r;
    }
    if (quoted) *w++ = quote;
    *w = 0;
    f->selectText = text;
  }
  f->tableNumber = 1;
  return 0;
}

// Several tables in the FROM list: a "," after the first table (or its alias), outside
// parentheses, or a JOIN.
JxStatus isMultiTable(sql_qry* q, bool* multi) {
  *multi = false;
  SqlScanner scanner(q->fromText, static_cast<uint32_t>(strlen(q->fromText)));
  scanner.setQuoteChars('\'', '"', static_cast<char>(q->connection->quoteChar));
  JxToken tok;
  for (;;) {
    if (sqlNextToken(&scanner, &tok, SEARCH_IDENTIFIER)) return 1;
    if (tok.getType() == TOK_END) return 0;
    if (isOp(tok, '(')) {
      int depth = 1;
      while (depth > 0) {
        if (sqlNextToken(&scanner, &tok, SEARCH_IDENTIFIER)) return 1;
        if (tok.getType() == TOK_END) return 0;
        if (isOp(tok, '(')) ++depth;
        if (isOp(tok, ')')) --depth;
      }
      continue;
    }
    if (isOp(tok, ',') || (tok.getLength() == 4 && strCompareCi(tok.getPtr(), 4, "JOIN", 4) == 0)) {
      *multi = true;
      return 0;
    }
  }
}

}  // namespace

int32_t sqlCollectState(cmg_capabilities* con, SQLHSTMT hstmt, char* text, uint32_t size) {
  SQLHDBC hdbc = con->hdbc;
  if (hstmt) sqlLookupHdbc(con, &hdbc, hstmt);
  CmgDriverMessages* m = static_cast<CmgDriverMessages*>(ramAlloc(sizeof(CmgDriverMessages)));
  if (!m) return -1;
  int32_t state = cmgCollectDriverMessages(con->owner, hdbc, hstmt, m);
  if (text && size) {
    uint32_t n = m->length < size - 1 ? m->length : size - 1;
    memcpy(text, m->text, n);
    text[n] = 0;
  }
  ramFree(m);
  return state;
}

void sqlNormaliseSelectText(char* text, char quoteChar) {
  char* w = text;
  char inQuote = 0;
  bool blank = false;
  for (const char* r = text; *r; ++r) {
    char c = *r;
    if (inQuote) {
      *w++ = c;
      if (c == inQuote) inQuote = 0;
      continue;
    }
    if (c == ' ' || (c >= '\t' && c <= '\r')) {
      if (!blank) *w++ = ' ';
      blank = true;
      continue;
    }
    blank = false;
    if (c == '\'' || c == '"' || (quoteChar && c == quoteChar)) inQuote = c;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    *w++ = c;
  }
  *w = 0;
}

sql_qry_fld* sqlColumnOf(sql_qry* q, uint16_t column) {
  if (column >= 1 && column <= q->columnCount && q->columns && q->columns[column - 1])
    return q->columns[column - 1];
  JxError* e = sqlErrorById(4522);
  if (e) *e << static_cast<unsigned long>(column);
  return nullptr;
}

int32_t sqlXferLen(int16_t type, int32_t length, int32_t precision, int16_t scale) {
  switch (type) {
    case SQL_BIT:
    case SQL_TINYINT:
      return 2;
    case SQL_BIGINT:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      return static_cast<int32_t>((static_cast<uint32_t>(scale) & 0xFF) * 65536u +
                                  static_cast<uint32_t>(precision));
    case SQL_DATE:
      return 9;
    case SQL_TIME:
      return 11 * 65536 + 18;
    case SQL_TIMESTAMP:
      return precision - 1;
    default:
      return length;
  }
}

JxStatus sqlDescribeColumns(sql_qry* q) {
  for (uint16_t i = 1; i <= q->columnCount; ++i)
    if (describeOne(q, i)) return 1;
  {
    SqlLock lock(&q->lock);
    q->boundColumns = 65535;
    q->flags |= SQLQ_ALL_READ_ONLY;
    for (uint16_t i = 0; i < q->columnCount; ++i)
      if (!(q->columns[i]->flags & SQLC_READ_ONLY)) q->flags &= ~SQLQ_ALL_READ_ONLY;
    if ((q->flags & SQLQ_LOGGING) && (q->flags & SQLQ_TRUNCATE_LOG)) q->rowLog.tmpTruncate();
  }
  if (q->fromText && !(q->flags & SQL_PARSE_NOT_SELECT) && !q->setOperationText) {
    bool multi = false;
    if (isMultiTable(q, &multi)) return 1;
    if (multi && sqlAssignTables(q)) return 1;
  }
  q->flags |= SQLQ_ANALYSED;
  return 0;
}

JxStatus sqlAllocateRecordBuf(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlAllocateRecordBuf");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (!q->columns) return 0;
  return sqlDescribeColumns(q);
}

JxStatus sqlSetupColumnInfo(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlSetupColumnInfo");
  SqlQueryCall call(q);
  if (call.refused()) return 1;
  if (q->columns) return 0;
  if (sqlEnsureParsed(q)) return 1;
  if (q->markerCount) {
    bool missing = (q->flags & SQLQ_PARAMS_IN_PLACE) != 0;
    if (!missing && (q->openOptions & SQLOPEN_CHECK_PARAMS)) {
      for (uint16_t i = 0; i < q->paramCount && !missing; ++i) {
        const SqlParamSlot& p = q->params[i];
        bool repeated = false;
        for (uint16_t j = 0; p.name && j < i && !repeated; ++j)
          repeated = q->params[j].name && strcmp(q->params[j].name, p.name) == 0;
        if (!repeated && !(p.flags & SQLP_HAS_VALUE)) missing = true;
      }
    }
    if (missing) {
      sqlErrorById(4528);
      return 1;
    }
  }
  if (sqlXPrepare(q)) return 1;
  SQLSMALLINT count = 0;
  {
    SqlLock lock(&q->lock);
    if (sqlCheckHstmt(q->connection, q->hstmt, SQLNumResultCols(q->hstmt, &count))) return 1;
  }
  if (count < 1) count = 0;
  q->columns =
      static_cast<sql_qry_fld**>(ramAllocZ(static_cast<uint32_t>(sizeof(sql_qry_fld*)) * (count + 1u)));
  if (!q->columns) return 1;
  q->columnCount = static_cast<uint16_t>(count);
  q->tableCount = 1;
  return sqlBuildColumns(q, q->parsedText ? q->parsedText : q->text, q->parse);
}

SqlTableList* sqlTableList(sql_qry* q) {
  if (!q) {
    sqlMissing("query", "sqlTableList");
    return nullptr;
  }
  SqlQueryCall call(q);
  if (call.refused()) return nullptr;
  if (q->tableList) return q->tableList;
  if (sqlEnsureParsed(q)) return nullptr;
  cmg_capabilities* con = q->connection;
  // The tables first, then one described empty result per table.
  SqlFrom from;
  char* fromText = q->fromText;
  if (from.initialize(con, &fromText, SQLFROM_COPY)) return nullptr;
  JxString name, alias;
  uint16_t count = 0;
  SqlTableList* list = static_cast<SqlTableList*>(ramAllocZ(sizeof(SqlTableList)));
  if (!list) return nullptr;
  // Another statement than a SELECT keeps its whole text as its FROM text: no tables.
  for (; !(q->flags & SQL_PARSE_NOT_SELECT);) {
    if (from.nextTable(&name, &alias)) {
      sqlFreeTableList(list);
      return nullptr;
    }
    if (!name.getLength()) break;
    uint32_t size = static_cast<uint32_t>(sizeof(SqlTableList) + sizeof(SqlTableEntry) * (count + 1u));
    if (ramResizeZ(reinterpret_cast<void**>(&list), size)) {
      sqlFreeTableList(list);
      return nullptr;
    }
    SqlTableEntry& e = list->entries[count];
    list->count = ++count;
    e.name = ramAllocStr(name.c_str());
    e.alias = alias.getLength() ? ramAllocStr(alias.c_str()) : nullptr;
    if (!e.name || (alias.getLength() && !e.alias)) {
      sqlFreeTableList(list);
      return nullptr;
    }
  }
  for (uint16_t t = 0; t < list->count; ++t) {
    SqlTableEntry& e = list->entries[t];
    JxString sql;
    if (sql.initialize("SELECT * FROM ") || sql.concat(e.name) || sql.concat(" WHERE 0=1")) {
      sqlFreeTableList(list);
      return nullptr;
    }
    SQLHSTMT h = nullptr;
    if (sqlAllocHstmt(con, &h, SQL_HSTMT_ANY)) {
      sqlFreeTableList(list);
      return nullptr;
    }
    SQLSMALLINT columns = 0;
    bool failed = sqlCheckHstmt(con, h, SQLExecDirect(h, (SQLCHAR*)sql.c_str(), SQL_NTS)) ||
                  sqlCheckHstmt(con, h, SQLNumResultCols(h, &columns));
    JxString names;
    failed = failed || names.initialize("");
    for (SQLSMALLINT c = 1; !failed && c <= columns; ++c) {
      char column[128] = "";
      SQLSMALLINT length = 0, type = 0, scale = 0, nullable = 0;
      SQLULEN precision = 0;
      failed =
          sqlCheckHstmt(con, h,
                        SQLDescribeCol(h, static_cast<SQLUSMALLINT>(c), reinterpret_cast<SQLCHAR*>(column),
                                       sizeof column, &length, &type, &precision, &scale, &nullable)) ||
          names.concat(column, static_cast<uint32_t>(strlen(column)) + 1);
    }
    sqlDropHstmt(con, h, SQL_DROP);
    if (!failed) {
      e.columns = static_cast<char*>(ramAlloc(names.getLength() + 1));
      if (e.columns) {
        memcpy(e.columns, names.getPtr(), names.getLength());
        e.columns[names.getLength()] = 0;
      }
    }
    if (failed || !e.columns) {
      sqlFreeTableList(list);
      return nullptr;
    }
  }
  q->tableList = list;
  return list;
}
