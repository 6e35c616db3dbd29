// The driver profile: a real logon to the SQLite DSN checked against what the driver
// says when asked directly, the settings of "ODBC.INI" and of the driver-specific
// information types, the database kind, the outer-join probe and the type table, and
// the logon bookkeeping on real connections.
#include "dbsql/cmgdriver.h"
#include "dbsql/cmgenv.h"
#include "fake_driver.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

struct Env {
  Env() : env(cmgInit(CMG_API_CALLER)) {}
  ~Env() {
    if (env) {
      EXPECT_EQ(cmgTerm(env), 0);
    }
  }
  cmgInfo* env;
};

uint16_t askShort(SQLHDBC hdbc, SQLUSMALLINT item) {
  SQLUSMALLINT v = 0;
  EXPECT_EQ(SQLGetInfo(hdbc, item, &v, sizeof v, nullptr), SQL_SUCCESS) << item;
  return v;
}

std::string askText(SQLHDBC hdbc, SQLUSMALLINT item) {
  char text[1024] = "";
  SQLSMALLINT length = 0;
  SQLGetInfo(hdbc, item, text, sizeof text, &length);
  return text;
}

bool hasWord(const cmg_capabilities* con, const char* word) {
  for (uint16_t i = 0; i < con->reservedCount; ++i)
    if (strcmp(con->reservedWords[i], word) == 0) return true;
  return false;
}

TEST(Profile, SqliteLogon) {
  ThreadErrors errors;
  OdbcIniKeys ini("OrvanelTest");
  ini.set("jxSqlReservedWords", "zebra_word, Aardvark,,IGNORED");
  Env e;
  ASSERT_NE(e.env, nullptr) << errors.lastText();
  cmg_capabilities* con = cmgLogon(e.env, nullptr, "DSN=OrvanelTest", 0);
  ASSERT_NE(con, nullptr) << errors.lastText();
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
  SQLHDBC h = con->hdbc;
  EXPECT_EQ(con->spareHdbc, h);

  EXPECT_STREQ(con->sourceName, "OrvanelTest");
  EXPECT_TRUE(con->flagsA & CMG_A_PROFILED);
  EXPECT_TRUE(con->flagsA & CMG_A_PROFILE_DONE);
  EXPECT_TRUE(con->flagsA & CMG_A_NO_FILE_PATTERN);
  EXPECT_FALSE(con->flagsA & CMG_A_FILE_DRIVER);
  EXPECT_FALSE(con->flagsA & CMG_A_SOURCE_UNPROFILED);
  EXPECT_EQ(con->databaseKind, CMG_DB_OTHER);
  EXPECT_EQ(con->tableCaching, CMG_CACHE_TEMPORARY);

  // Reserved words: 219 built in, two from the file; the empty item ended the list.
  EXPECT_EQ(con->reservedCount, 221);
  EXPECT_TRUE(hasWord(con, "ZEBRA_WORD"));
  EXPECT_TRUE(hasWord(con, "AARDVARK"));
  EXPECT_FALSE(hasWord(con, "IGNORED"));
  for (uint16_t i = 1; i < con->reservedCount; ++i)
    EXPECT_LT(strcmp(con->reservedWords[i - 1], con->reservedWords[i]), 0);
  EXPECT_EQ(cmgIsReservedWord(con, "aardvark", CLAUSE_COLUMN), 1);
  EXPECT_EQ(cmgIsReservedWord(con, "order", CLAUSE_COLUMN), 1);

  // What the driver says when asked directly.
  uint16_t statements = askShort(h, SQL_ACTIVE_STATEMENTS);
  uint16_t connections = askShort(h, SQL_ACTIVE_CONNECTIONS);
  EXPECT_EQ((con->flagsA & CMG_A_ONE_STATEMENT) != 0, statements == 1);
  EXPECT_EQ((con->flagsA & CMG_A_ONE_CONNECTION) != 0, connections == 1);
  EXPECT_EQ(con->identifierCase, askShort(h, SQL_IDENTIFIER_CASE));
  EXPECT_EQ(con->compare, con->identifierCase == SQL_IC_SENSITIVE ? cmgCompare : cmgCompareCi);
  std::string quote = askText(h, SQL_IDENTIFIER_QUOTE_CHAR);
  EXPECT_EQ(con->quoteChar, quote[0] == ' ' ? 0 : static_cast<uint8_t>(quote[0]));
  EXPECT_EQ(con->maxColumnName, askShort(h, SQL_MAX_COLUMN_NAME_LEN));
  EXPECT_EQ(con->maxTableName, askShort(h, SQL_MAX_TABLE_NAME_LEN));
  EXPECT_EQ(con->maxOwnerName, askShort(h, SQL_MAX_OWNER_NAME_LEN));
  EXPECT_EQ(con->maxCursorName, askShort(h, SQL_MAX_CURSOR_NAME_LEN));
  EXPECT_EQ((con->flagsA & CMG_A_NO_OWNERS) != 0, con->maxOwnerName == 0);
  std::string user = askText(h, SQL_USER_NAME);
  EXPECT_STREQ(con->connectUser, user.c_str());
  EXPECT_STREQ(con->currentOwner, user.c_str());
  EXPECT_STREQ(con->defaultOwner, user.c_str());
  uint16_t txn = askShort(h, SQL_TXN_CAPABLE);
  EXPECT_EQ((con->flagsB & CMG_B_TRANSACTIONS) != 0, txn != SQL_TC_NONE);
  uint16_t commit = askShort(h, SQL_CURSOR_COMMIT_BEHAVIOR);
  EXPECT_EQ((con->flagsA & CMG_A_COMMIT_CLOSES) != 0, commit != SQL_CB_PRESERVE);
  EXPECT_EQ((con->flagsB & CMG_B_COMMIT_CLOSE) != 0, commit == SQL_CB_CLOSE);
  // The outer-join probe, made again by hand.
  char native[1024] = "";
  SQLINTEGER nativeLength = 0;
  SQLRETURN probe = SQLNativeSql(h, (SQLCHAR*)"{oj T1 LEFT OUTER JOIN T2 ON T1.f1 = T2.f2}", SQL_NTS,
                                 (SQLCHAR*)native, sizeof native, &nativeLength);
  bool probed =
      askText(h, SQL_OUTER_JOINS) == "Y" && (probe == SQL_SUCCESS || probe == SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(con->outerJoinSyntax, probed && strstr(native, "OUTER") ? CMG_OJ_OUTER : CMG_OJ_NONE)
      << askText(h, SQL_OUTER_JOINS) << " " << probe << " " << native;
  uint16_t expected = CMG_CURSOR_DEFAULT;
  if (statements == 1) expected |= CMG_CURSOR_ONE_STATEMENT;
  EXPECT_EQ(con->cursorOptions, expected);
  EXPECT_EQ(con->maxRows, 0xFFFFFFFFu);

  // The type table: the driver's rows in its order.
  ASSERT_GT(con->typeCount, 3);
  bool integer = false, text = false;
  for (uint16_t i = 0; i < con->typeCount; ++i) {
    const CmgTypeEntry& t = con->types[i];
    ASSERT_NE(t.name, nullptr);
    if (t.sqlType == SQL_INTEGER) integer = true;
    if (t.sqlType == SQL_VARCHAR || t.sqlType == SQL_CHAR) text = true;
    if (t.createParams) {
      EXPECT_NE(t.createParams[0], 0);
    }
  }
  EXPECT_TRUE(integer && text);
  EXPECT_GT(con->longestChar, 0);
  // WHERE terminators end with the seven built-in words.
  std::string where;
  for (const char* p = con->whereTerminators; *p; p += strlen(p) + 1) where += std::string(p) + " ";
  EXPECT_EQ(where, "COMPUTE FOR GROUP HAVING OPTIONS ORDER UNION ");
  EXPECT_EQ(con->fromReserved[0], 0);
  EXPECT_EQ(cmgLogoff(con), 0);
  EXPECT_EQ(e.env->connections, nullptr);
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

// The logon bookkeeping on real connections: numbering, display names, finding.
TEST(Profile, SqliteBookkeeping) {
  ThreadErrors errors;
  Env e;
  cmg_capabilities* a = cmgLogon(e.env, "Books", "DSN=OrvanelTest", 0);
  cmg_capabilities* b = cmgLogon(e.env, "Books", "DSN=OrvanelTest", 0);
  cmg_capabilities* c = cmgLogon(e.env, nullptr, "DSN=OrvanelTest", 0);
  ASSERT_TRUE(a && b && c) << errors.lastText();
  EXPECT_NE(a->hdbc, b->hdbc);
  EXPECT_EQ(a->number, 1);
  EXPECT_EQ(b->number, 2);
  EXPECT_EQ(c->number, 3);  // without a logon name: counted over the data source
  char name[100];
  ASSERT_EQ(cmgGetInfo(b, CMG_INFO_DISPLAY_NAME, name, sizeof name), 0);
  EXPECT_STREQ(name, "OrvanelTest2-OrvanelTest");
  EXPECT_EQ(cmgConFromString(e.env, CMG_FIND_DISPLAY_NAME, name), b);
  EXPECT_EQ(cmgConFromString(e.env, CMG_FIND_LOGON_NAME, "books"), b);
  // Another task shares a record with prompt flag 1.
  e.env->taskNumber = 3;
  cmg_capabilities* shared = cmgLogon(e.env, "Books", "DSN=OrvanelTest", CMG_PROMPT_SHARE);
  EXPECT_EQ(shared, b);
  EXPECT_EQ(b->holders, (uint64_t(1) << 3) | 1u);
  EXPECT_EQ(cmgLogoff(b), 0);  // task 3 lets go; task 0 still holds it
  e.env->taskNumber = 0;
  EXPECT_NE(b->hdbc, nullptr);
  EXPECT_EQ(cmgLogoff(b), 0);
  EXPECT_EQ(cmgLogoff(a), 0);
  EXPECT_EQ(e.env->connections, c);
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

TEST(Profile, DatabaseKindOfName) {
  struct Case {
    const char* name;
    uint16_t kind;
  } cases[] = {{"JXORA", 8},        {"jxora", 8},    {"JXDBF", 4},     {"JWTXT", 3},    {"J1XLS", 7},
               {"JXSS", 5},         {"JXEE", 6},     {"JXPDX", 9},     {"JXDB2", 10},   {"JXXQL", 11},
               {"JXBTR", 12},       {"JXING", 13},   {"JXXDB", 14},    {"JXGUP", 15},   {"JXINF", 16},
               {"JXPRO", 17},       {"JXTDM", 18},   {"JXORACLE", 19}, {"JX", 19},      {"J", 19},
               {"dBaseFile", 4},    {"TEXTFILE", 3}, {"excelfile", 7}, {"Btrieve", 12}, {"dBase", 19},
               {"OrvanelTest", 19}, {"", 19}};
  for (const Case& c : cases) EXPECT_EQ(cmgDatabaseKindOfName(c.name), c.kind) << c.name;
  EXPECT_EQ(cmgDatabaseKindOfName(nullptr), 19);
}

// One logon to the scripted driver with a script and "ODBC.INI" settings.
struct FakeLogon {
  FakeLogon(const char* name, const std::string& script, const char* more = "")
      : fake(std::string("profile_") + name, script) {
    con = cmgLogon(e.env, nullptr, fake.connect(more).c_str(), 0);
  }
  ~FakeLogon() {
    if (con) {
      EXPECT_EQ(cmgLogoff(con), 0);
    }
  }
  Env e;
  FakeDriver fake;
  cmg_capabilities* con;
};

TEST(Profile, SettingsTable) {
  REQUIRE_FAKE_DRIVER();
  struct Case {
    const char* name;
    const char* key;  // an "ODBC.INI" key
    const char* value;
    const char* script;  // or a driver answer
    uint32_t flagsA, flagsB;
    uint16_t cursor;
  } cases[] = {
      {"plain", nullptr, nullptr, "", 0, CMG_B_LOCK_DURATION1, 105},
      {"holdlock", "jxLockingSyntax", "holdLock", "", 0, CMG_B_HOLDLOCK, 105},
      {"duration2", "JxLockingDuration", "2", "", 0, CMG_B_LOCK_DURATION2, 105},
      {"conflicts", "JxAccessConflicts", "1", "", CMG_A_ACCESS_CONFLICTS, 0, 105 | 0x100},
      {"fast", "JxFastSpecialColumns", "65534", "", CMG_A_FAST_SPECIAL, 0, 105},
      {"dictionary", "JxDataDictExtensions", "3", "", 0, CMG_B_DICTIONARY, 105},
      {"database_is_a", "JxDatabaseIsA", "2", "", 0, CMG_B_DATABASE_IS_A, 105},
      {"comments", "JxRemoveComments", "1", "", 0, CMG_B_REMOVE_COMMENTS, 105},
      {"no_sql_columns", "jxUseSqlColumns", "0", "", 0, CMG_B_NO_SQL_COLUMNS, 105},
      {"driver_conflicts", nullptr, nullptr, "info 1022 short 1\n", CMG_A_ACCESS_CONFLICTS, 0, 105 | 0x100},
      {"driver_holdlock", nullptr, nullptr, "info 1023 text HOLDLOCK\n", 0, CMG_B_HOLDLOCK, 105},
      {"capability_byte", nullptr, nullptr, "info 1025 int 0xA8000000\n", CMG_A_DRIVER_BITS,
       CMG_B_DRIVER_BIT7 | CMG_B_DRIVER_BIT5 | CMG_B_DRIVER_BIT3, 105},
      {"one_statement", nullptr, nullptr, "info 1 short 1\n", CMG_A_ONE_STATEMENT, 0, 105 | 0x2D00},
      {"both", nullptr, nullptr, "info 1 short 1\ninfo 1022 short 1\n",
       CMG_A_ONE_STATEMENT | CMG_A_ACCESS_CONFLICTS, 0, 105 | 0x2D00},
      {"one_connection", nullptr, nullptr, "info 0 short 1\n", CMG_A_ONE_CONNECTION, 0, 105},
      {"no_owners", nullptr, nullptr, "info 32 short 0\n", CMG_A_NO_OWNERS, 0, 105},
      {"no_ucase", nullptr, nullptr, "info 50 int 0\n", 0, 0, 105},
      {"no_transactions", nullptr, nullptr, "info 46 short 0\n", 0, 0, 105},
      {"commit_closes", nullptr, nullptr, "info 23 short 1\n", CMG_A_COMMIT_CLOSES,
       CMG_B_COMMIT_NOT_PRESERVE | CMG_B_COMMIT_CLOSE, 105},
      {"no_primary_keys", nullptr, nullptr, "missing 65\n", 0, 0, 105},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    OdbcIniKeys ini("OrvanelFake");
    if (c.key) ini.set(c.key, c.value);
    FakeLogon l(c.name, c.script);
    ASSERT_NE(l.con, nullptr) << c.name << ": " << errors.lastText();
    EXPECT_EQ(l.con->flagsA & c.flagsA, c.flagsA) << c.name;
    EXPECT_EQ(l.con->flagsB & c.flagsB, c.flagsB) << c.name;
    EXPECT_EQ(l.con->cursorOptions, c.cursor) << c.name;
    std::string name = c.name;
    bool ucase = name != "no_ucase", txn = name != "no_transactions", keys = name != "no_primary_keys";
    EXPECT_EQ((l.con->flagsA & CMG_A_UCASE) != 0, ucase) << c.name;
    EXPECT_EQ((l.con->flagsB & CMG_B_TRANSACTIONS) != 0, txn) << c.name;
    EXPECT_EQ((l.con->flagsA & CMG_A_PRIMARY_KEYS) != 0, keys) << c.name;
    // With transactions the cursor behaviour is asked with auto-commit off, then on.
    EXPECT_EQ(l.fake.count("SQLSetConnectOption 102 0"), txn ? 1u : 0u) << c.name;
    EXPECT_EQ(l.fake.count("SQLTransact commit"), txn ? 1u : 0u) << c.name;
    EXPECT_TRUE(errors.numbers().empty()) << c.name << ": " << errors.lastText();
  }
}

// The driver's answer to an information type wins over the file, which is then not
// read; the file's list counts for a driver without the answer.
TEST(Profile, DriverAnswerBeforeFile) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  OdbcIniKeys ini("OrvanelFake");
  ini.set("jxSqlReservedWords", "AARDVARK");
  ini.set("jxFromReservedWords", "sample");
  ini.set("jxColumnMiddleChars", "_");
  ini.set("JxDatabaseDriver", "8");
  {
    FakeLogon l("answer_1011", "info 1011 text zebra,yak\ninfo 1015 text #\n");
    ASSERT_NE(l.con, nullptr) << errors.lastText();
    EXPECT_EQ(l.con->reservedCount, 221);
    EXPECT_TRUE(hasWord(l.con, "ZEBRA"));
    EXPECT_TRUE(hasWord(l.con, "YAK"));
    EXPECT_FALSE(hasWord(l.con, "AARDVARK"));
    EXPECT_STREQ(l.con->columnFirstChars, "#");
    EXPECT_STREQ(l.con->columnChars, "_");
    EXPECT_STREQ(l.con->fromReserved, "SAMPLE");
    EXPECT_EQ(l.con->databaseKind, CMG_DB_ORA);
    EXPECT_EQ(l.fake.count("SQLGetInfo 1011"), 1u);
  }
  {
    FakeLogon l("file_1011", "");
    ASSERT_NE(l.con, nullptr) << errors.lastText();
    EXPECT_TRUE(hasWord(l.con, "AARDVARK"));
    EXPECT_FALSE(hasWord(l.con, "ZEBRA"));
    EXPECT_EQ(l.con->columnFirstChars, nullptr);
    EXPECT_EQ(l.fake.count("SQLGetInfo 1011 unknown"), 1u);
  }
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

TEST(Profile, OuterJoinProbe) {
  REQUIRE_FAKE_DRIVER();
  struct Case {
    const char* name;
    const char* script;
    uint16_t syntax;
  } cases[] = {
      {"echo", "", CMG_OJ_OUTER},
      {"star", "nativesql SELECT * FROM T1, T2 WHERE T1.f1 *= T2.f2\n", CMG_OJ_STAR},
      {"star_right", "nativesql SELECT * FROM T1, T2 WHERE T2.f2 =* T1.f1\n", CMG_OJ_STAR},
      {"plus", "nativesql SELECT * FROM T1, T2 WHERE T1.f1 = T2.f2 (+)\n", CMG_OJ_PLUS},
      {"outer_star", "nativesql T1 left outer join T2 where T1.f1 *= T2.f2\n", CMG_OJ_OUTER | CMG_OJ_STAR},
      {"none", "nativesql T1, T2\n", CMG_OJ_NONE},
      {"not_supported", "info 38 text N\n", CMG_OJ_NONE},
      {"probe_fails", "return SQLNativeSql -1 S1000 0 no\n", CMG_OJ_NONE},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    FakeLogon l(c.name, c.script);
    ASSERT_NE(l.con, nullptr) << c.name << ": " << errors.lastText();
    EXPECT_EQ(l.con->outerJoinSyntax, c.syntax) << c.name;
    bool asked = std::string(c.name) != "not_supported";
    EXPECT_EQ(l.fake.count("SQLNativeSql {oj T1 LEFT OUTER JOIN T2 ON T1.f1 = T2.f2}"), asked ? 1u : 0u)
        << c.name;
  }
}

// The type table from a scripted SQLGetTypeInfo: 16-bit integer columns sign-extended,
// a null PRECISION as -1, attribute flags, literal forms and the flags of the types.
TEST(Profile, TypeTable) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  FakeLogon l(
      "types",
      "result TYPEINFO\n"
      "columns TYPE_NAME:text DATA_TYPE:short PRECISION:short LITERAL_PREFIX:text LITERAL_SUFFIX:text "
      "CREATE_PARAMS:text NULLABLE:short CASE_SENSITIVE:short SEARCHABLE:short UNSIGNED_ATTRIBUTE:short "
      "MONEY:short\n"
      "row CHAR | 1 | 254 | ' | ' | max length | 1 | 1 | 3 | \\N | 0\n"
      "row VARCHAR | 12 | 2000 | ' | ' | max length | 1 | 1 | 3 | \\N | 0\n"
      "row ODD | 4 | -5 | \\N | \\N | | 0 | 0 | -1 | 1 | 1\n"
      "row BLOB | -4 | \\N | \\N | \\N | \\N | 1 | 0 | 0 | \\N | 0\n"
      "row DECIMAL | 3 | 18 | \\N | \\N | precision,scale | 1 | 0 | 2 | 0 | 0\n"
      "row DATE | 9 | 10 | {d ' | '} | | 1 | 0 | 2 | \\N | 0\n"
      "row BIT | -7 | 1 | | | | 1 | 0 | 2 | \\N | 0\n");
  ASSERT_NE(l.con, nullptr) << errors.lastText();
  ASSERT_EQ(l.con->typeCount, 7);
  const CmgTypeEntry* t = l.con->types;
  EXPECT_STREQ(t[0].name, "CHAR");
  EXPECT_EQ(t[0].sqlType, SQL_CHAR);
  EXPECT_EQ(t[0].precision, 254);
  EXPECT_STREQ(t[0].createParams, "max length");
  EXPECT_EQ(t[0].attributes, CMG_TYPE_NULLABLE | CMG_TYPE_CASE_SENSITIVE);
  EXPECT_EQ(t[0].searchable, 3);
  EXPECT_EQ(t[2].precision, -5);  // two bytes: a signed 16-bit number
  EXPECT_EQ(t[2].searchable, 0xFFFF);
  EXPECT_EQ(t[2].attributes, CMG_TYPE_UNSIGNED | CMG_TYPE_MONEY);
  EXPECT_EQ(t[2].createParams, nullptr);
  EXPECT_EQ(t[3].precision, -1);  // null
  EXPECT_EQ(t[3].sqlType, SQL_LONGVARBINARY);
  EXPECT_EQ(l.con->longestChar, 2000);
  EXPECT_TRUE(l.con->flagsA & CMG_A_WIDE_DECIMAL);
  EXPECT_TRUE(l.con->flagsA & CMG_A_NOT_NULLABLE_TYPE);
  ASSERT_EQ(l.con->literalCount, 1);
  EXPECT_EQ(l.con->literals[0].sqlType, SQL_DATE);
  EXPECT_STREQ(l.con->literals[0].prefix, "{d '");
  EXPECT_STREQ(l.con->literals[0].suffix, "'}");
  // The type statement was dropped again.
  EXPECT_EQ(l.fake.count("SQLAllocStmt"), 1u);
  EXPECT_EQ(l.fake.count("SQLFreeStmt"), 1u);
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

// A driver that allows one active connection refuses a second logon with 2100.
TEST(Profile, OneConnectionDriver) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  Env e;
  FakeDriver fake("profile_solo", "info 0 short 1\n");
  cmg_capabilities* first = cmgLogon(e.env, "Solo", fake.connect().c_str(), 0);
  ASSERT_NE(first, nullptr) << errors.lastText();
  EXPECT_EQ(cmgLogon(e.env, "Solo", fake.connect().c_str(), 0), nullptr);
  EXPECT_EQ(errors.last(), 2100);
  EXPECT_EQ(fake.count("SQLDriverConnect "), 1u);
  EXPECT_EQ(cmgLogoff(first), 0);
}

}  // namespace
