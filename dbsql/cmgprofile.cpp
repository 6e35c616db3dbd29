// The driver profile of a connection: what the driver can do (SQLGetInfo and
// SQLGetFunctions), its types (SQLGetTypeInfo), and the settings that the layer's own
// drivers answer through driver-specific information types and other drivers keep in
// the data source's section of "ODBC.INI". The profile decides later how SQL is
// written and how statements are shared.
#include "cmgenv_internal.h"
#include "dbsql/cmgdriver.h"
#include "dbsql/sqlhstmt.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxstrfunc.h"

#include <ctype.h>
#include <string.h>

namespace {

const char kSettingsFile[] = "ODBC.INI";
// Text settings and driver answers are read into buffers of this size.
const uint16_t kTextSize = 1024;

const char* const kBuiltinReserved[] = {"ABSOLUTE",
                                        "ADA",
                                        "ADD",
                                        "ALL",
                                        "ALLOCATE",
                                        "ALTER",
                                        "AND",
                                        "ANY",
                                        "ARE",
                                        "AS",
                                        "ASC",
                                        "ASSERTION",
                                        "AT",
                                        "AUTHORIZATION",
                                        "AVG",
                                        "BEGIN",
                                        "BETWEEN",
                                        "BIT",
                                        "BIT_LENGTH",
                                        "BY",
                                        "CASCADE",
                                        "CASCADED",
                                        "CASE",
                                        "CAST",
                                        "CATALOG",
                                        "CHAR",
                                        "CHARACTER",
                                        "CHARACTER_LENGTH",
                                        "CHAR_LENGTH",
                                        "CHECK",
                                        "CLOSE",
                                        "COALESCE",
                                        "COBOL",
                                        "COLLATE",
                                        "COLLATION",
                                        "COLUMN",
                                        "COMMIT",
                                        "COMPUTE",
                                        "CONNECT",
                                        "CONNECTION",
                                        "CONSTRAINT",
                                        "CONSTRAINTS",
                                        "CONTINUE",
                                        "CONVERT",
                                        "CORRESPONDING",
                                        "COUNT",
                                        "CREATE",
                                        "CURRENT",
                                        "CURRENT_DATE",
                                        "CURRENT_TIME",
                                        "CURRENT_TIMESTAMP",
                                        "CURSOR",
                                        "DATE",
                                        "DAY",
                                        "DEALLOCATE",
                                        "DEC",
                                        "DECIMAL",
                                        "DECLARE",
                                        "DEFERRABLE",
                                        "DEFERRED",
                                        "DELETE",
                                        "DESC",
                                        "DESCRIBE",
                                        "DESCRIPTOR",
                                        "DIAGNOSTICS",
                                        "DICTIONARY",
                                        "DISCONNECT",
                                        "DISPLACEMENT",
                                        "DISTINCT",
                                        "DOMAIN",
                                        "DOUBLE",
                                        "DROP",
                                        "ELSE",
                                        "END",
                                        "END-EXEC",
                                        "ESCAPE",
                                        "EXCEPT",
                                        "EXCEPTION",
                                        "EXEC",
                                        "EXECUTE",
                                        "EXISTS",
                                        "EXTERNAL",
                                        "EXTRACT",
                                        "FALSE",
                                        "FETCH",
                                        "FIRST",
                                        "FLOAT",
                                        "FOR",
                                        "FOREIGN",
                                        "FORTRAN",
                                        "FOUND",
                                        "FROM",
                                        "FULL",
                                        "GET",
                                        "GLOBAL",
                                        "GO",
                                        "GOTO",
                                        "GRANT",
                                        "GROUP",
                                        "HAVING",
                                        "HOUR",
                                        "IDENTITY",
                                        "IGNORE",
                                        "IMMEDIATE",
                                        "IN",
                                        "INCLUDE",
                                        "INDEX",
                                        "INDICATOR",
                                        "INITIALLY",
                                        "INNER",
                                        "INPUT",
                                        "INSENSITIVE",
                                        "INSERT",
                                        "INTEGER",
                                        "INTERSECT",
                                        "INTERVAL",
                                        "INTO",
                                        "IS",
                                        "ISOLATION",
                                        "JOIN",
                                        "KEY",
                                        "LANGUAGE",
                                        "LAST",
                                        "LEFT",
                                        "LEVEL",
                                        "LIKE",
                                        "LOCAL",
                                        "LOWER",
                                        "MATCH",
                                        "MAX",
                                        "MIN",
                                        "MINUTE",
                                        "MODULE",
                                        "MONTH",
                                        "MUMPS",
                                        "NAMES",
                                        "NATIONAL",
                                        "NCHAR",
                                        "NEXT",
                                        "NONE",
                                        "NOT",
                                        "NULL",
                                        "NULLIF",
                                        "NUMERIC",
                                        "OCTET_LENGTH",
                                        "OF",
                                        "OFF",
                                        "ON",
                                        "ONLY",
                                        "OPEN",
                                        "OPTION",
                                        "OPTIONS",
                                        "OR",
                                        "ORDER",
                                        "OUTER",
                                        "OUTPUT",
                                        "OVERLAPS",
                                        "PARTIAL",
                                        "PASCAL",
                                        "PLI",
                                        "POSITION",
                                        "PRECISION",
                                        "PREPARE",
                                        "PRESERVE",
                                        "PRIMARY",
                                        "PRIOR",
                                        "PRIVILEGES",
                                        "PROCEDURE",
                                        "PUBLIC",
                                        "RESTRICT",
                                        "REVOKE",
                                        "RIGHT",
                                        "ROLLBACK",
                                        "ROWS",
                                        "SCHEMA",
                                        "SCROLL",
                                        "SECOND",
                                        "SECTION",
                                        "SELECT",
                                        "SEQUENCE",
                                        "SET",
                                        "SIZE",
                                        "SMALLINT",
                                        "SOME",
                                        "SQL",
                                        "SQLCA",
                                        "SQLCODE",
                                        "SQLERROR",
                                        "SQLSTATE",
                                        "SQLWARNING",
                                        "SUBSTRING",
                                        "SUM",
                                        "SYSTEM",
                                        "TABLE",
                                        "TEMPORARY",
                                        "THEN",
                                        "TIME",
                                        "TIMESTAMP",
                                        "TIMEZONE_HOUR",
                                        "TIMEZONE_MINUTE",
                                        "TO",
                                        "TRANSACTION",
                                        "TRANSLATE",
                                        "TRANSLATION",
                                        "TRUE",
                                        "UNION",
                                        "UNIQUE",
                                        "UNKNOWN",
                                        "UPDATE",
                                        "UPPER",
                                        "USAGE",
                                        "USER",
                                        "USING",
                                        "WHEN",
                                        "WHENEVER",
                                        "WHERE",
                                        "WITH",
                                        "WORK",
                                        "YEAR"};
const uint16_t kBuiltinReservedCount = sizeof kBuiltinReserved / sizeof kBuiltinReserved[0];
static_assert(sizeof kBuiltinReserved / sizeof kBuiltinReserved[0] == 219, "219 built-in reserved words");

const char* const kWhereBuiltins[] = {"COMPUTE", "FOR", "GROUP", "HAVING", "OPTIONS", "ORDER", "UNION"};

// Names of the layer's data sources after "J" and one more letter.
struct KindName {
  const char* name;
  uint16_t kind;
};
const KindName kPrefixedKinds[] = {
    {"DBF", CMG_DB_DBASE}, {"TXT", CMG_DB_TEXT},    {"XLS", CMG_DB_EXCEL}, {"SS", CMG_DB_SS},
    {"EE", CMG_DB_EE},     {"ORA", CMG_DB_ORA},     {"PDX", CMG_DB_PDX},   {"DB2", CMG_DB_DB2},
    {"XQL", CMG_DB_XQL},   {"BTR", CMG_DB_BTRIEVE}, {"ING", CMG_DB_ING},   {"XDB", CMG_DB_XDB},
    {"GUP", CMG_DB_GUP},   {"INF", CMG_DB_INF},     {"PRO", CMG_DB_PRO},   {"TDM", CMG_DB_TDM},
};
const KindName kNamedKinds[] = {{"dBaseFile", CMG_DB_DBASE},
                                {"TextFile", CMG_DB_TEXT},
                                {"ExcelFile", CMG_DB_EXCEL},
                                {"Btrieve", CMG_DB_BTRIEVE}};

const char kOuterJoinProbe[] = "{oj T1 LEFT OUTER JOIN T2 ON T1.f1 = T2.f2}";

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

void upperCase(char* text) {
  for (; *text; ++text) *text = static_cast<char>(toupper(static_cast<unsigned char>(*text)));
}

// The items of a comma list, blanks round them dropped, up to the first empty one.
// Calls f(item, length) for each; f answers a JxStatus.
template <typename F>
JxStatus eachItem(const char* list, F f) {
  for (const char* p = list; p && *p;) {
    const char* end = strchr(p, ',');
    if (!end) end = p + strlen(p);
    const char* a = p;
    const char* b = end;
    while (a < b && (*a == ' ' || *a == '\t')) ++a;
    while (b > a && (b[-1] == ' ' || b[-1] == '\t')) --b;
    if (a == b) break;
    if (f(a, static_cast<uint32_t>(b - a))) return 1;
    p = *end ? end + 1 : end;
  }
  return 0;
}

// The reader of the profile's settings: the driver first (for the keys that have an
// information type), then the data source's section of "ODBC.INI".
class SettingsReader {
 public:
  SettingsReader(cmg_capabilities* con, SQLHDBC hdbc, const char* section)
      : con_(con), hdbc_(hdbc), section_(section ? section : "") {}

  // A number setting; a text that is not a number fails with 2110.
  JxStatus number(const char* key, uint16_t infoType, long fallback, long* out) {
    if (infoType) {
      SQLUSMALLINT value = 0;
      if (succeeded(SQLGetInfo(hdbc_, infoType, &value, sizeof value, nullptr))) {
        *out = value;
        return 0;
      }
    }
    char text[64] = "";
    GetPrivateProfileStringA(section_, key, "", text, sizeof text, kSettingsFile);
    const char* p = text;
    while (*p == ' ') ++p;
    if (!*p) {
      *out = fallback;
      return 0;
    }
    if (!cmgParseNumber(text, -2147483647L, 2147483647L, out)) {
      *sqlErrorById(SQLMSG_SETTING_NOT_NUMBER) << key << section_ << text;
      return 1;
    }
    return 0;
  }

  // A text setting into *out (allocated; an empty text when there is none). A text that
  // fills its buffer may have been cut: it fails with 2111.
  JxStatus text(const char* key, uint16_t infoType, char** out) {
    char* buffer = static_cast<char*>(ramAllocZ(kTextSize));
    if (!buffer) return 1;
    bool fromDriver = false;
    if (infoType) {
      SQLSMALLINT length = 0;
      SQLRETURN rc = SQLGetInfo(hdbc_, infoType, buffer, kTextSize, &length);
      if (succeeded(rc)) {
        fromDriver = true;
        if (length >= static_cast<SQLSMALLINT>(kTextSize) || rc == SQL_SUCCESS_WITH_INFO) {
          ramFree(buffer);
          *sqlErrorById(SQLMSG_SETTING_TOO_LONG)
              << key << section_ << static_cast<unsigned long>(kTextSize - 1);
          return 1;
        }
      }
    }
    if (!fromDriver) {
      buffer[0] = 0;
      DWORD n = GetPrivateProfileStringA(section_, key, "", buffer, kTextSize, kSettingsFile);
      if (n >= kTextSize - 1u) {
        ramFree(buffer);
        *sqlErrorById(SQLMSG_SETTING_TOO_LONG)
            << key << section_ << static_cast<unsigned long>(kTextSize - 2);
        return 1;
      }
    }
    buffer[kTextSize - 1] = 0;
    *out = buffer;
    return 0;
  }

 private:
  cmg_capabilities* con_;
  SQLHDBC hdbc_;
  const char* section_;
};

// Checked information items.
JxStatus infoShort(cmg_capabilities* con, SQLHDBC hdbc, SQLUSMALLINT item, uint16_t* out) {
  SQLUSMALLINT value = 0;
  if (cmgSetDriverError(con->owner, hdbc, nullptr, SQLGetInfo(hdbc, item, &value, sizeof value, nullptr)))
    return 1;
  *out = value;
  return 0;
}

JxStatus infoLong(cmg_capabilities* con, SQLHDBC hdbc, SQLUSMALLINT item, uint32_t* out) {
  SQLUINTEGER value = 0;
  if (cmgSetDriverError(con->owner, hdbc, nullptr, SQLGetInfo(hdbc, item, &value, sizeof value, nullptr)))
    return 1;
  *out = value;
  return 0;
}

JxStatus infoText(cmg_capabilities* con, SQLHDBC hdbc, SQLUSMALLINT item, char* buffer, SQLSMALLINT size) {
  SQLSMALLINT length = 0;
  buffer[0] = 0;
  if (cmgSetDriverError(con->owner, hdbc, nullptr, SQLGetInfo(hdbc, item, buffer, size, &length))) return 1;
  buffer[size - 1] = 0;
  return 0;
}

JxStatus hasFunction(cmg_capabilities* con, SQLHDBC hdbc, SQLUSMALLINT id, bool* out) {
  SQLUSMALLINT exists = 0;
  if (cmgSetDriverError(con->owner, hdbc, nullptr, SQLGetFunctions(hdbc, id, &exists))) return 1;
  *out = exists != 0;
  return 0;
}

// A probe that may fail without failing the profile: false then.
bool probeFunction(SQLHDBC hdbc, SQLUSMALLINT id) {
  SQLUSMALLINT exists = 0;
  return succeeded(SQLGetFunctions(hdbc, id, &exists)) && exists;
}

char* copyText(const char* text) { return ramAllocStr(text ? text : ""); }

// An item list (texts each ended by a zero; an empty text ends the list) from a comma
// list, each item upper-cased when asked, then the extra words.
JxStatus makeItemList(const char* list, bool upper, const char* const* extra, size_t extraCount, char** out) {
  JxString built;
  if (built.initialize(static_cast<uint32_t>(strlen(list) + 64))) return 1;
  JxStatus status = eachItem(list, [&](const char* item, uint32_t length) -> JxStatus {
    uint32_t at = built.getLength();
    if (built.concat(item, length) || built.concat('\0')) return 1;
    if (upper) upperCase(const_cast<char*>(built.c_str()) + at);
    return 0;
  });
  if (status) return 1;
  for (size_t i = 0; i < extraCount; ++i)
    if (built.concat(extra[i]) || built.concat('\0')) return 1;
  if (built.concat('\0')) return 1;
  char* copy = static_cast<char*>(ramAlloc(built.getLength()));
  if (!copy) return 1;
  memcpy(copy, built.c_str(), built.getLength());
  ramFree(*out);
  *out = copy;
  return 0;
}

// The extra reserved words: upper case, sorted in byte order, each once.
JxStatus reservedWordsOf(const char* list, char*** words, uint16_t* count) {
  *words = nullptr;
  *count = 0;
  uint32_t items = 0;
  eachItem(list, [&](const char*, uint32_t) -> JxStatus {
    ++items;
    return 0;
  });
  if (!items) return 0;
  if (items > 0xFFFF - kBuiltinReservedCount) {
    *sqlErrorById(SQLMSG_DRIVER_ANSWER) << "jxSqlReservedWords"
                                        << "too many words";
    return 1;
  }
  char** array = static_cast<char**>(ramAllocZ(items * sizeof(char*)));
  if (!array) return 1;
  uint32_t n = 0;
  JxStatus status = eachItem(list, [&](const char* item, uint32_t length) -> JxStatus {
    char* word = ramAllocStr(item, length);
    if (!word) return 1;
    upperCase(word);
    array[n++] = word;
    return 0;
  });
  // Selection sort: the lists are short.
  for (uint32_t i = 0; !status && i + 1 < n; ++i) {
    uint32_t least = i;
    for (uint32_t j = i + 1; j < n; ++j)
      if (strcmp(array[j], array[least]) < 0) least = j;
    char* t = array[i];
    array[i] = array[least];
    array[least] = t;
  }
  if (status) {
    for (uint32_t i = 0; i < n; ++i) ramFree(array[i]);
    ramFree(array);
    return 1;
  }
  *words = array;
  *count = static_cast<uint16_t>(n);
  return 0;
}

// The database kind, then the settings of the "ODBC.INI" table in their order.
JxStatus readSettings(cmg_capabilities* con, SQLHDBC hdbc) {
  SettingsReader settings(con, hdbc, con->sourceName);
  long value = 0;
  con->databaseKind = cmgDatabaseKindOfName(con->sourceName);
  if (con->databaseKind == CMG_DB_OTHER) {
    if (settings.number("JxDatabaseDriver", 0, CMG_DB_OTHER, &value)) return 1;
    con->databaseKind = static_cast<uint16_t>(value);
  }
  if (settings.number("jxUseSqlColumns", 0, 1, &value)) return 1;
  if (value == 0) con->flagsB |= CMG_B_NO_SQL_COLUMNS;

  SQLUINTEGER capability = 0;
  if (!succeeded(SQLGetInfo(hdbc, CMG_INFO_CAPABILITY_BYTE, &capability, sizeof capability, nullptr)))
    capability = 0;
  con->driverBits = static_cast<uint8_t>(capability >> 24);
  uint8_t bits = con->driverBits;
  if (bits & 0xF8) con->flagsA |= CMG_A_DRIVER_BITS;
  if (bits & 0x80) con->flagsB |= CMG_B_DRIVER_BIT7;
  if (bits & 0x40) con->flagsB |= CMG_B_DRIVER_BIT6;
  if (bits & 0x10) con->flagsB |= CMG_B_DRIVER_BIT4;
  if (bits & 0x08) con->flagsB |= CMG_B_DRIVER_BIT3;
  if (bits & 0x20) con->flagsB |= CMG_B_DRIVER_BIT5;

  char* text = nullptr;
  auto freeText = [&]() {
    ramFree(text);
    text = nullptr;
  };
  // Reserved words: the driver's or the file's list merged with the built-in one.
  if (settings.text("jxSqlReservedWords", CMG_INFO_RESERVED_WORDS, &text)) return 1;
  char** extra = nullptr;
  uint16_t extraCount = 0;
  JxStatus status = reservedWordsOf(text, &extra, &extraCount);
  freeText();
  if (status) return 1;
  con->reservedWords =
      cmgMergeReservedWords(kBuiltinReserved, kBuiltinReservedCount, extra, extraCount, &con->reservedCount);
  for (uint16_t i = 0; i < extraCount; ++i) ramFree(extra[i]);
  ramFree(extra);
  if (!con->reservedWords) return 1;

  if (settings.text("jxPseudoColumns", CMG_INFO_PSEUDO_COLUMNS, &text) ||
      makeItemList(text, false, nullptr, 0, &con->pseudoColumns))
    return freeText(), 1;
  freeText();
  if (settings.text("jxFromReservedWords", CMG_INFO_FROM_WORDS, &text) ||
      makeItemList(text, true, nullptr, 0, &con->fromReserved))
    return freeText(), 1;
  freeText();
  if (settings.text("jxWhereClauseTerminators", CMG_INFO_WHERE_TERMINATORS, &text) ||
      makeItemList(text, false, kWhereBuiltins, sizeof kWhereBuiltins / sizeof kWhereBuiltins[0],
                   &con->whereTerminators))
    return freeText(), 1;
  freeText();

  struct CharSet {
    const char* key;
    uint16_t info;
    char** field;
  } sets[] = {{"jxColumnFirstChars", CMG_INFO_COLUMN_FIRST, &con->columnFirstChars},
              {"jxColumnMiddleChars", CMG_INFO_COLUMN_MIDDLE, &con->columnChars},
              {"jxTableFirstChars", CMG_INFO_TABLE_FIRST, &con->tableFirstChars},
              {"jxTableMiddleChars", CMG_INFO_TABLE_MIDDLE, &con->tableChars},
              {"jxDelimiters", CMG_INFO_DELIMITERS, &con->delimiters}};
  for (const CharSet& s : sets) {
    if (settings.text(s.key, s.info, &text)) return 1;
    if (text[0]) {
      ramFree(*s.field);
      *s.field = text;
      text = nullptr;
    }
    freeText();
  }

  if (settings.number("jxQualifierSyntax", CMG_INFO_QUALIFIER_SYNTAX, 0, &value)) return 1;
  con->qualifierSyntax = static_cast<uint16_t>(value);
  if (settings.number("JxDataDictExtensions", CMG_INFO_DICTIONARY, 0, &value)) return 1;
  if (value) con->flagsB |= CMG_B_DICTIONARY;
  if (settings.number("JxDatabaseIsA", 0, 0, &value)) return 1;
  if (value == 2) con->flagsB |= CMG_B_DATABASE_IS_A;
  if (settings.text("jxLockingSyntax", CMG_INFO_LOCKING_SYNTAX, &text)) return 1;
  if (strCompareCi(text, "HOLDLOCK") == 0) con->flagsB |= CMG_B_HOLDLOCK;
  freeText();
  if (settings.number("JxLockingDuration", CMG_INFO_LOCKING_DURATION, 1, &value)) return 1;
  if (value == 1) con->flagsB |= CMG_B_LOCK_DURATION1;
  if (value == 2) con->flagsB |= CMG_B_LOCK_DURATION2;
  if (settings.number("JxFastSpecialColumns", CMG_INFO_FAST_SPECIAL, 0, &value)) return 1;
  if (value >= 1 && value <= 65534) con->flagsA |= CMG_A_FAST_SPECIAL;
  if (settings.number("JxAccessConflicts", CMG_INFO_ACCESS_CONFLICTS, 0, &value)) return 1;
  if (value) con->flagsA |= CMG_A_ACCESS_CONFLICTS;
  if (settings.number("JxRemoveComments", 0, 0, &value)) return 1;
  if (value) con->flagsB |= CMG_B_REMOVE_COMMENTS;
  if (settings.number("JxMultipleResults", 0, 0, &value)) return 1;
  con->severalResults = value == 1;
  // Parameters: the length up to which a character value is ordinary character data (a
  // length outside 1-65535 keeps the layer's 254), and values written into the text.
  if (settings.number("JxParamCharLength", 0, 0, &value)) return 1;
  con->paramCharLength = value >= 1 && value <= 65535 ? static_cast<uint16_t>(value) : 0;
  if (settings.number("JxSubstituteParams", 0, 0, &value)) return 1;
  con->substituteParams = value != 0;
  con->outerJoinSyntax = CMG_OJ_NONE;
  return 0;
}

JxStatus appendType(cmg_capabilities* con, const CmgTypeEntry& entry) {
  void* grown = con->types;
  uint32_t size = (con->typeCount + 1u) * sizeof(CmgTypeEntry);
  if (grown ? ramResize(&grown, size) : !(grown = ramAlloc(size))) return 1;
  con->types = static_cast<CmgTypeEntry*>(grown);
  con->types[con->typeCount++] = entry;
  return 0;
}

JxStatus appendLiteral(cmg_capabilities* con, int16_t type, const char* prefix, const char* suffix) {
  void* grown = con->literals;
  uint32_t size = (con->literalCount + 1u) * sizeof(CmgLiteral);
  if (grown ? ramResize(&grown, size) : !(grown = ramAlloc(size))) return 1;
  con->literals = static_cast<CmgLiteral*>(grown);
  CmgLiteral& l = con->literals[con->literalCount];
  l.sqlType = type;
  l.prefix = copyText(prefix);
  l.suffix = copyText(suffix);
  ++con->literalCount;
  return !l.prefix || !l.suffix;
}

// An integer column of SQLGetTypeInfo: a driver that wrote only two bytes meant a
// signed 16-bit number.
int32_t integerColumn(SQLINTEGER value, SQLLEN indicator, int32_t ifNull) {
  if (indicator == SQL_NULL_DATA) return ifNull;
  if (indicator == 2) return static_cast<int16_t>(value & 0xFFFF);
  return value;
}

// The driver's types into the type table.
JxStatus readTypes(cmg_capabilities* con) {
  SQLHSTMT hstmt = nullptr;
  if (sqlAllocHstmt(con, &hstmt, SQL_HSTMT_ANY)) return 1;
  struct Row {
    char name[64];
    SQLSMALLINT dataType;
    SQLINTEGER precision;
    char prefix[129], suffix[129], createParams[32];
    SQLINTEGER nullable, caseSensitive, searchable, unsignedAttribute, money;
  } row;
  SQLLEN ind[11];
  JxStatus status = 0;
  SQLRETURN rc = SQLGetTypeInfo(hstmt, SQL_ALL_TYPES);
  if (sqlCheckHstmt(con, hstmt, rc)) status = 1;
  struct Binding {
    SQLSMALLINT cType;
    void* target;
    SQLLEN size;
  } bindings[] = {{SQL_C_CHAR, row.name, sizeof row.name},
                  {SQL_C_SHORT, &row.dataType, sizeof row.dataType},
                  {SQL_C_LONG, &row.precision, sizeof row.precision},
                  {SQL_C_CHAR, row.prefix, sizeof row.prefix},
                  {SQL_C_CHAR, row.suffix, sizeof row.suffix},
                  {SQL_C_CHAR, row.createParams, sizeof row.createParams},
                  {SQL_C_LONG, &row.nullable, sizeof row.nullable},
                  {SQL_C_LONG, &row.caseSensitive, sizeof row.caseSensitive},
                  {SQL_C_LONG, &row.searchable, sizeof row.searchable},
                  {SQL_C_LONG, &row.unsignedAttribute, sizeof row.unsignedAttribute},
                  {SQL_C_LONG, &row.money, sizeof row.money}};
  for (SQLUSMALLINT c = 0; !status && c < 11; ++c)
    if (sqlCheckHstmt(con, hstmt,
                      SQLBindCol(hstmt, static_cast<SQLUSMALLINT>(c + 1), bindings[c].cType,
                                 bindings[c].target, bindings[c].size, &ind[c])))
      status = 1;
  while (!status) {
    memset(&row, 0, sizeof row);
    for (SQLLEN& i : ind) i = 0;
    rc = SQLFetch(hstmt);
    if (rc == SQL_NO_DATA_FOUND) break;
    // A cut text of a type row is no failure.
    if (rc != SQL_SUCCESS_WITH_INFO && sqlCheckHstmt(con, hstmt, rc)) {
      status = 1;
      break;
    }
    CmgTypeEntry entry;
    memset(&entry, 0, sizeof entry);
    entry.sqlType = ind[1] == SQL_NULL_DATA ? 0 : row.dataType;
    entry.precision = integerColumn(row.precision, ind[2], -1);
    int32_t nullable = integerColumn(row.nullable, ind[6], 0);
    int32_t caseSensitive = integerColumn(row.caseSensitive, ind[7], 0);
    entry.searchable = static_cast<uint16_t>(integerColumn(row.searchable, ind[8], 0));
    int32_t unsignedAttribute = integerColumn(row.unsignedAttribute, ind[9], 0);
    int32_t money = integerColumn(row.money, ind[10], 0);
    if (unsignedAttribute) entry.attributes |= CMG_TYPE_UNSIGNED;
    if (money) entry.attributes |= CMG_TYPE_MONEY;
    if (nullable) entry.attributes |= CMG_TYPE_NULLABLE;
    if (caseSensitive) entry.attributes |= CMG_TYPE_CASE_SENSITIVE;
    if (ind[0] == SQL_NULL_DATA) row.name[0] = 0;
    if (ind[3] == SQL_NULL_DATA) row.prefix[0] = 0;
    if (ind[4] == SQL_NULL_DATA) row.suffix[0] = 0;
    if (ind[5] == SQL_NULL_DATA) row.createParams[0] = 0;
    entry.name = copyText(row.name);
    entry.createParams = row.createParams[0] ? copyText(row.createParams) : nullptr;
    if (!entry.name || (row.createParams[0] && !entry.createParams) || appendType(con, entry)) {
      ramFree(entry.name);
      ramFree(entry.createParams);
      status = 1;
      break;
    }
    if ((entry.sqlType == SQL_CHAR || entry.sqlType == SQL_VARCHAR) && entry.precision > con->longestChar)
      con->longestChar = static_cast<uint16_t>(entry.precision > 0xFFFF ? 0xFFFF : entry.precision);
    if ((entry.sqlType == SQL_DECIMAL && entry.precision > 15) ||
        (entry.sqlType == SQL_NUMERIC && entry.precision >= 16))
      con->flagsA |= CMG_A_WIDE_DECIMAL;
    if (ind[6] != SQL_NULL_DATA && nullable == 0) con->flagsA |= CMG_A_NOT_NULLABLE_TYPE;
    if ((entry.sqlType == SQL_DATE || entry.sqlType == SQL_BIT) && (row.prefix[0] || row.suffix[0]) &&
        appendLiteral(con, entry.sqlType, row.prefix, row.suffix)) {
      status = 1;
      break;
    }
  }
  if (sqlDropHstmt(con, hstmt, SQL_DROP)) status = 1;
  return status;
}

// The outer-join syntax from the driver's own form of an outer-join escape.
uint16_t outerJoinSyntax(SQLHDBC hdbc) {
  char* text = static_cast<char*>(ramAllocZ(kTextSize));
  if (!text) return CMG_OJ_NONE;
  SQLINTEGER length = 0;
  uint16_t syntax = CMG_OJ_NONE;
  if (succeeded(SQLNativeSql(hdbc, reinterpret_cast<SQLCHAR*>(const_cast<char*>(kOuterJoinProbe)), SQL_NTS,
                             reinterpret_cast<SQLCHAR*>(text), kTextSize, &length))) {
    text[kTextSize - 1] = 0;
    if (strstr(text, "(+)"))
      syntax = CMG_OJ_PLUS;
    else if (cmgFindCi(text, "OUTER"))
      syntax = CMG_OJ_OUTER;
    if (strstr(text, "*=") || strstr(text, "=*")) syntax = static_cast<uint16_t>(syntax | CMG_OJ_STAR);
  }
  ramFree(text);
  return syntax;
}

// What the driver says of itself: transactions, cursors, functions, names.
JxStatus readCapabilities(cmg_capabilities* con, SQLHDBC hdbc) {
  cmgInfo* env = con->owner;
  uint16_t txn = 0, value = 0;
  bool exists = false;
  if (infoShort(con, hdbc, SQL_TXN_CAPABLE, &txn) || hasFunction(con, hdbc, SQL_API_SQLTRANSACT, &exists))
    return 1;
  if (txn != SQL_TC_NONE && exists) con->flagsB |= CMG_B_TRANSACTIONS;
  char yn[8] = "";
  SQLGetInfo(hdbc, SQL_OUTER_JOINS, yn, sizeof yn, nullptr);
  con->outerJoins = static_cast<uint8_t>(yn[0]);
  if (con->filePattern)
    con->flagsB |= CMG_B_FILE_PATTERN;
  else
    con->flagsA |= CMG_A_NO_FILE_PATTERN;
  if (hasFunction(con, hdbc, SQL_API_SQLPRIMARYKEYS, &exists)) return 1;
  if (exists) con->flagsA |= CMG_A_PRIMARY_KEYS;
  uint32_t strings = 0;
  if (infoLong(con, hdbc, SQL_STRING_FUNCTIONS, &strings)) return 1;
  if (strings & SQL_FN_STR_UCASE) con->flagsA |= CMG_A_UCASE;
  con->flagsA = (con->flagsA | CMG_A_PROFILE_DONE) & ~static_cast<uint32_t>(CMG_A_SOURCE_UNPROFILED);

  // The cursor behaviour is asked with auto-commit off, as transactions see it.
  bool transactions = (con->flagsB & CMG_B_TRANSACTIONS) != 0;
  if (transactions &&
      cmgSetDriverError(env, hdbc, nullptr, SQLSetConnectOption(hdbc, SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF)))
    return 1;
  uint16_t commit = 0, rollback = 0;
  if (infoShort(con, hdbc, SQL_ACTIVE_STATEMENTS, &value) ||
      infoShort(con, hdbc, SQL_CURSOR_COMMIT_BEHAVIOR, &commit) ||
      infoShort(con, hdbc, SQL_CURSOR_ROLLBACK_BEHAVIOR, &rollback))
    return 1;
  if (value == 1) con->flagsA |= CMG_A_ONE_STATEMENT;
  if (commit != SQL_CB_PRESERVE) con->flagsA |= CMG_A_COMMIT_CLOSES;
  if (rollback != SQL_CB_PRESERVE) con->flagsA |= CMG_A_ROLLBACK_CLOSES;
  if (transactions &&
      (cmgSetDriverError(env, hdbc, nullptr, SQLTransact(env->henv, hdbc, SQL_COMMIT)) ||
       cmgSetDriverError(env, hdbc, nullptr, SQLSetConnectOption(hdbc, SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_ON))))
    return 1;

  if (infoShort(con, hdbc, SQL_IDENTIFIER_CASE, &con->identifierCase)) return 1;
  con->compare = con->identifierCase == SQL_IC_SENSITIVE ? cmgCompare : cmgCompareCi;
  if (hasFunction(con, hdbc, SQL_API_SQLSETPARAM, &exists)) return 1;
  if (exists) con->flagsA |= CMG_A_SET_PARAM;
  if (hasFunction(con, hdbc, SQL_API_SQLPROCEDURES, &exists)) return 1;
  if (exists) con->flagsA |= CMG_A_PROCEDURES;
  SQLUINTEGER directions = 0;
  if (!succeeded(SQLGetInfo(hdbc, SQL_FETCH_DIRECTION, &directions, sizeof directions, nullptr)))
    directions = 0;
  bool extended = probeFunction(hdbc, SQL_API_SQLEXTENDEDFETCH);
  if (extended && probeFunction(hdbc, SQL_API_SQLSETSCROLLOPTIONS) && (directions & SQL_FD_FETCH_ABSOLUTE))
    con->flagsA |= CMG_A_RANDOM_FETCH;
  if (extended && probeFunction(hdbc, SQL_API_SQLSETPOS)) con->flagsB |= CMG_B_SET_POS;

  if (rollback != SQL_CB_PRESERVE) con->flagsB |= CMG_B_ROLLBACK_NOT_PRESERVE;
  if (rollback == SQL_CB_CLOSE) con->flagsB |= CMG_B_ROLLBACK_CLOSE;
  if (commit != SQL_CB_PRESERVE) con->flagsB |= CMG_B_COMMIT_NOT_PRESERVE;
  if (commit == SQL_CB_CLOSE) con->flagsB |= CMG_B_COMMIT_CLOSE;
  if (infoShort(con, hdbc, SQL_ACTIVE_CONNECTIONS, &value)) return 1;
  if (value == 1) con->flagsA |= CMG_A_ONE_CONNECTION;
  char text[80];
  if (infoText(con, hdbc, SQL_IDENTIFIER_QUOTE_CHAR, text, sizeof text)) return 1;
  con->quoteChar = text[0] == ' ' ? 0 : static_cast<uint8_t>(text[0]);
  if (infoShort(con, hdbc, SQL_MAX_COLUMN_NAME_LEN, &con->maxColumnName) ||
      infoShort(con, hdbc, SQL_MAX_CURSOR_NAME_LEN, &con->maxCursorName) ||
      infoShort(con, hdbc, SQL_MAX_OWNER_NAME_LEN, &con->maxOwnerName) ||
      infoShort(con, hdbc, SQL_MAX_PROCEDURE_NAME_LEN, &con->maxProcedureName) ||
      infoShort(con, hdbc, SQL_MAX_QUALIFIER_NAME_LEN, &con->maxQualifierName))
    return 1;
  if (con->maxOwnerName == 0) con->flagsA |= CMG_A_NO_OWNERS;
  if (con->maxQualifierName) {
    if (infoText(con, hdbc, SQL_QUALIFIER_NAME_SEPARATOR, text, sizeof text)) return 1;
    ramFree(con->qualifierSeparator);
    if (!(con->qualifierSeparator = copyText(text))) return 1;
  }
  if (infoShort(con, hdbc, SQL_MAX_TABLE_NAME_LEN, &con->maxTableName) ||
      infoText(con, hdbc, SQL_SEARCH_PATTERN_ESCAPE, text, sizeof text))
    return 1;
  if (text[0]) con->escapeChar = static_cast<uint8_t>(text[0]);
  if (con->outerJoins == 'Y') con->outerJoinSyntax = outerJoinSyntax(hdbc);
  return 0;
}

}  // namespace

const char* const* cmgBuiltinReservedWords(uint16_t* count) {
  if (count) *count = kBuiltinReservedCount;
  return kBuiltinReserved;
}

char** cmgMergeReservedWords(const char* const* a, uint16_t ca, const char* const* b, uint16_t cb,
                             uint16_t* count) {
  *count = 0;
  // Sized from the two lists: the merge never holds more than both together.
  uint32_t room = static_cast<uint32_t>(ca) + cb;
  char** out = static_cast<char**>(ramAllocZ((room ? room : 1) * sizeof(char*)));
  if (!out) return nullptr;
  uint32_t i = 0, j = 0, n = 0;
  while (i < ca || j < cb) {
    const char* next;
    if (j >= cb)
      next = a[i++];
    else if (i >= ca)
      next = b[j++];
    else {
      int c = strcmp(a[i], b[j]);
      next = c <= 0 ? a[i] : b[j];
      if (c <= 0) ++i;
      if (c >= 0) ++j;
    }
    if (n && strcmp(out[n - 1], next) == 0) continue;
    if (!(out[n] = ramAllocStr(next))) {
      for (uint32_t k = 0; k < n; ++k) ramFree(out[k]);
      ramFree(out);
      return nullptr;
    }
    ++n;
  }
  if (n < room && n) {
    void* shrunk = out;
    if (!ramResize(&shrunk, n * sizeof(char*))) out = static_cast<char**>(shrunk);
  }
  *count = static_cast<uint16_t>(n);
  return out;
}

uint16_t cmgDatabaseKindOfName(const char* sourceName) {
  if (!sourceName) return CMG_DB_OTHER;
  if (toupper(static_cast<unsigned char>(sourceName[0])) == 'J' && sourceName[1]) {
    for (const KindName& k : kPrefixedKinds)
      if (strCompareCi(sourceName + 2, k.name) == 0) return k.kind;
    return CMG_DB_OTHER;
  }
  for (const KindName& k : kNamedKinds)
    if (strCompareCi(sourceName, k.name) == 0) return k.kind;
  return CMG_DB_OTHER;
}

JxStatus cmgDriverProfile(cmg_capabilities* con, SQLHDBC hdbc, const char* sourceName, const char* userId,
                          const char* databaseName) {
  if (!con) return cmgMissing("connection", "cmgDriverProfile");
  cmgInfo* env = con->owner;
  con->tableCaching = CMG_CACHE_TEMPORARY;
  ramFree(con->sourceName);
  ramFree(con->userId);
  con->sourceName = copyText(sourceName);
  con->userId = copyText(userId);
  if (!con->sourceName || !con->userId) return 1;
  upperCase(con->userId);

  const CmgDataSource* source = cmgFindSource(env, con->sourceName);
  if (source) {
    if (!(source->flags & CMG_SOURCE_PROFILED)) con->flagsA |= CMG_A_SOURCE_UNPROFILED;
    if (source->flags & CMG_SOURCE_DIRECTORY) con->flagsA |= CMG_A_SOURCE_DIRECTORY | CMG_A_PROFILED;
    if (source->filePattern) {
      ramFree(con->filePattern);
      if (!(con->filePattern = copyText(source->filePattern))) return 1;
      con->flagsA |= CMG_A_FILE_DRIVER;
    }
  }
  if (readSettings(con, hdbc) || readCapabilities(con, hdbc) || readTypes(con)) return 1;

  if ((env->callerFlags & CMG_READ_ONLY) &&
      cmgSetDriverError(env, hdbc, nullptr, SQLSetConnectOption(hdbc, SQL_ACCESS_MODE, SQL_MODE_READ_ONLY)))
    return 1;
  if (databaseName && databaseName[0]) {
    char** place = (con->flagsA & CMG_A_PROFILED) ? &con->directory : &con->databaseName;
    ramFree(*place);
    if (!(*place = copyText(databaseName))) return 1;
  }
  char* user = static_cast<char*>(ramAllocZ(kTextSize));
  if (!user) return 1;
  if (infoText(con, hdbc, SQL_USER_NAME, user, kTextSize)) {
    ramFree(user);
    return 1;
  }
  char** owners[] = {&con->connectUser, &con->currentOwner, &con->defaultOwner};
  for (char** o : owners) {
    ramFree(*o);
    *o = copyText(user);
  }
  ramFree(user);
  if (!con->connectUser || !con->currentOwner || !con->defaultOwner) return 1;
  con->flagsA |= CMG_A_PROFILED;
  cmgSetOptionDefaults(con);
  return 0;
}

void cmgFreeProfile(cmg_capabilities* con) {
  for (uint16_t i = 0; i < con->typeCount; ++i) {
    ramFree(con->types[i].name);
    ramFree(con->types[i].createParams);
  }
  ramFree(con->types);
  con->types = nullptr;
  con->typeCount = 0;
  for (uint16_t i = 0; i < con->literalCount; ++i) {
    ramFree(con->literals[i].prefix);
    ramFree(con->literals[i].suffix);
  }
  ramFree(con->literals);
  con->literals = nullptr;
  con->literalCount = 0;
}
