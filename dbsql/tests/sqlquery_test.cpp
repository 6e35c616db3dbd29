// The query object on real connections: opening, parsing and describing the columns of
// the SQLite fixture through the driver manager; the scripted driver where SQLite cannot
// answer (attribute 1002 refused, unknown column types, native text retries).
#include "dbsql/cmgenv.h"
#include "dbsql/sqlmessages.h"
#include "dbsql/sqlparam.h"
#include "dbsql/sqlquery.h"
#include "dbutil/jxmemory.h"
#include "fake_driver.h"
#include "pg_support.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

// A query freed at the end of the scope.
struct Query {
  ~Query() {
    if (q) {
      EXPECT_EQ(sqlFreeQuery(q), 0);
    }
  }
  sql_qry* operator->() const { return q; }
  sql_qry* q = nullptr;
};

// Opens text on the connection (options) and describes its columns; the query is kept
// even when a step fails, so that the test can look at it.
struct Opened {
  Opened(cmg_capabilities* con, const char* text, uint16_t options = SQLOPEN_PARSE) {
    openStatus = sqlOpen(con, nullptr, text, options, 22, 26, &q.q);
    if (!openStatus) describeStatus = sqlSetupColumnInfo(q.q);
  }
  sql_qry_fld* column(const char* name) const {
    for (uint16_t i = 0; i < q->columnCount; ++i)
      if (q->columns[i]->driverName && strcmp(q->columns[i]->driverName, name) == 0) return q->columns[i];
    return nullptr;
  }
  Query q;
  JxStatus openStatus = 1, describeStatus = 1;
};

const char* const kSqlite = "DSN=OrvanelTest";
const uint32_t kKindFlags = SQLC_CHARACTER | SQLC_NUMBER | SQLC_DATETIME | SQLC_BINARY | SQLC_BIT;

// Every fixture column as the SQLite driver describes it, and what the description makes
// of it: the kind flags, the layer type, transfer length, value size, length field and
// buffer size of the type table.
TEST(QueryColumns, EveryFixtureColumnOnSqlite) {
  struct Case {
    const char* name;
    int16_t odbcType;
    uint32_t kind;
    uint16_t layer;
    int32_t transfer, valueSize, length, buffer;
  };
  static const Case kCases[] = {
      {"id", SQL_INTEGER, 0x20, 4, 10, 4, 10, 4},
      {"c_char", SQL_VARCHAR, 0x10, 2, 10, 10, 10, 11},
      {"c_varchar", SQL_VARCHAR, 0x10, 2, 40, 40, 40, 41},
      {"c_text", SQL_LONGVARCHAR, 0x10, 2, 65536, 255, 65536, 256},  // long text: 255 kept
      {"c_smallint", SQL_SMALLINT, 0x20, 5, 6, 2, 6, 2},
      {"c_integer", SQL_INTEGER, 0x20, 4, 10, 4, 10, 4},
      {"c_bigint", SQL_BIGINT, 0x20, 3, 20, 11, 11, 24},  // (20 + 2) / 2; 21 + 3
      {"c_tinyint", SQL_TINYINT, 0x20, 5, 2, 2, 4, 2},
      {"c_bit", SQL_BIT, 0x120, 5, 2, 2, 1, 2},
      {"c_real", SQL_DOUBLE, 0x20, 7, 54, 8, 54, 8},
      {"c_double", SQL_DOUBLE, 0x20, 7, 54, 8, 54, 8},
      {"c_date", SQL_DATE, 0x40, 8, 9, 26, 9, 26},
      {"c_time", SQL_TIME, 0x40, 8, 720914, 26, 8, 26},
      {"c_timestamp", SQL_TIMESTAMP, 0x40, 8, 31, 26, 31, 26},  // precision 32 - 1
      {"c_blob", SQL_BINARY, 0x80, 1, 255, 255, 255, 255},
      {"c_varbinary", SQL_VARBINARY, 0x80, 2, 16, 16, 16, 16},
  };
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Opened o(l.con, "SELECT * FROM alltypes");
  ASSERT_EQ(o.openStatus, 0) << errors.lastText();
  ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
  EXPECT_EQ(o.q->columnCount, 19);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    sql_qry_fld* f = o.column(c.name);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->odbcType, c.odbcType);
    EXPECT_EQ(f->flags & kKindFlags, c.kind);
    EXPECT_EQ(f->layerType, c.layer);
    EXPECT_EQ(f->transferLength, c.transfer);
    EXPECT_EQ(f->valueSize, c.valueSize);
    EXPECT_EQ(f->length, c.length);
    EXPECT_EQ(f->bufferSize, c.buffer);
    ASSERT_TRUE(f->value);
    EXPECT_EQ(f->tableNumber, 1);
    EXPECT_EQ(f->flags & SQLC_READ_ONLY, 0u);
    // SQLite knows no attribute 1002 (S1091): unknown, and no error.
    EXPECT_EQ(f->flags & SQLC_KEYSEARCH_MASK, SQLC_KEYSEARCH_UNKNOWN);
    EXPECT_EQ(f->flags & SQLC_SEARCHABLE_MASK, 0xE00u);
    EXPECT_TRUE(f->typeName && f->typeName[0]);
  }
  EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{});
  EXPECT_TRUE(o.q->flags & SQLQ_ANALYSED);
  EXPECT_FALSE(o.q->flags & SQLQ_ALL_READ_ONLY);
  EXPECT_EQ(o.q->boundColumns, 65535);

  // Open option 8: binary columns get a spare byte.
  Opened spare(l.con, "SELECT c_blob, c_varbinary FROM alltypes", SQLOPEN_PARSE | SQLOPEN_BINARY_SPARE);
  ASSERT_EQ(spare.describeStatus, 0) << errors.lastText();
  EXPECT_EQ(spare.q->columns[0]->bufferSize, 256);
  EXPECT_EQ(spare.q->columns[1]->bufferSize, 17);
}

// A NUMERIC(10,2) column: value size 6, length 6, buffer max(2, 11) + 3 = 14.
TEST(QueryColumns, DecimalOnPostgres) {
  REQUIRE_POSTGRES();
  ThreadErrors errors;
  Logon l(POSTGRES_DSN);
  ASSERT_TRUE(l.con) << errors.lastText();
  Opened o(l.con, "SELECT amount FROM numbered");
  ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
  sql_qry_fld* f = o.q->columns[0];
  EXPECT_EQ(f->odbcType, SQL_NUMERIC);
  EXPECT_EQ(f->valueSize, 6);
  EXPECT_EQ(f->length, 6);
  EXPECT_EQ(f->bufferSize, 14);
  EXPECT_EQ(f->transferLength, 2 * 65536 + 10);
}

// What SQLite cannot show, on the scripted driver: negative scales, long VARCHARs,
// qualified driver names, types outside the table and attribute 1002 in its states.
TEST(QueryColumns, ScriptedDescriptions) {
  REQUIRE_FAKE_DRIVER();
  FakeDriver fake("query_columns",
                  "result SELECT\n"
                  "columns d:2:10:-2 v:12:1000 T1.NAME:12 u:0 w:-150:300 k:4\n");
  ThreadErrors errors;
  Logon l(fake.connect());
  ASSERT_TRUE(l.con) << errors.lastText();
  Opened o(l.con, "SELECT d, v, name, u, w, k FROM t");
  ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
  ASSERT_EQ(o.q->columnCount, 6);
  sql_qry_fld** c = o.q->columns;
  // Scale -2: p = 11, 11 + 2 + 3.
  EXPECT_EQ(c[0]->valueSize, 6);
  EXPECT_EQ(c[0]->bufferSize, 16);
  EXPECT_EQ(c[0]->transferLength, 0xFE * 65536 + 10);
  // VARCHAR(1000): 255 kept, transfer length 1000.
  EXPECT_EQ(c[1]->valueSize, 255);
  EXPECT_EQ(c[1]->bufferSize, 256);
  EXPECT_EQ(c[1]->transferLength, 1000);
  EXPECT_STREQ(c[2]->driverName, "NAME");
  // Types outside the table are read as text through SQL_C_CHAR, read-only.
  for (int i : {3, 4}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(c[i]->flags & (kKindFlags | SQLC_READ_ONLY), SQLC_CHARACTER | SQLC_READ_ONLY);
    EXPECT_EQ(c[i]->bindType, SQL_C_CHAR);
    EXPECT_EQ(c[i]->paramType, SQL_C_CHAR);
    EXPECT_EQ(c[i]->bufferSize, c[i]->valueSize + 1);
    EXPECT_TRUE(c[i]->value);
  }
  EXPECT_EQ(c[3]->valueSize, 10);
  EXPECT_EQ(c[4]->valueSize, 255);  // 300 long: 255 kept
  EXPECT_EQ(c[5]->flags & SQLC_KEYSEARCH_MASK, SQLC_KEYSEARCH_YES);
}

TEST(QueryColumns, Attribute1002States) {
  REQUIRE_FAKE_DRIVER();
  struct Case {
    const char* name;
    const char* script;
    JxStatus status;
    uint32_t flags;
  } kCases[] = {
      {"refused_s1091", "return SQLColAttributes:1002 -1 S1091 0 out of range\n", 0, SQLC_KEYSEARCH_UNKNOWN},
      {"refused_hy091", "return SQLColAttributes:1002 -1 HY091 0 out of range\n", 0, SQLC_KEYSEARCH_UNKNOWN},
      {"answered", "", 0, SQLC_KEYSEARCH_YES},
      {"failed", "return SQLColAttributes:1002 -1 S1000 0 broken\n", 1, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    FakeDriver fake(std::string("query_1002_") + c.name,
                    std::string("result SELECT\ncolumns a:int\n") + c.script);
    ThreadErrors errors;
    Logon l(fake.connect());
    ASSERT_TRUE(l.con) << errors.lastText();
    Opened o(l.con, "SELECT a FROM t");
    EXPECT_EQ(o.describeStatus, c.status) << errors.lastText();
    if (c.status) {
      EXPECT_EQ(errors.last(), SQLMSG_DRIVER_ERROR);
      EXPECT_NE(errors.lastText().find("broken"), std::string::npos) << errors.lastText();
      continue;
    }
    EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{});
    EXPECT_EQ(o.q->columns[0]->flags & SQLC_KEYSEARCH_MASK, c.flags);
    // The attribute asked again: the same answer.
    EXPECT_EQ(sqlColKeySearchable(o.q.q, 1), 0);
    EXPECT_EQ(o.q->columns[0]->flags & SQLC_KEYSEARCH_MASK, c.flags);
  }
}

// When every column is read-only, and the select texts (kept as written where the
// identifiers are case-sensitive, as SQLite's are).
TEST(QueryColumns, ReadOnlyRulesAndSelectTexts) {
  struct Case {
    const char* text;
    uint16_t options;
    bool readOnly;
    const char* written;
  } kCases[] = {
      {"SELECT c_integer FROM alltypes", 1, false, "c_integer"},
      {"SELECT c_integer  +   id FROM alltypes", 1, true, "c_integer  +   id"},
      {"SELECT c_integer FROM alltypes GROUP BY c_integer", 1, true, "c_integer"},
      {"SELECT id FROM alltypes UNION SELECT id FROM numbered", 1, true, "id"},
      {"SELECT 1", 1, true, "1"},
      {"SELECT DISTINCT id FROM alltypes", 1, true, "id"},
      {"SELECT id FROM alltypes", 1 | SQLOPEN_READ_ONLY, true, "id"},
      {"SELECT id FROM alltypes", 0, false, "id"},  // parsed when described
  };
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  ASSERT_EQ(l.con->identifierCase, SQL_IC_SENSITIVE);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    Opened o(l.con, c.text, c.options);
    ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
    ASSERT_EQ(o.q->columnCount, 1);
    EXPECT_EQ((o.q->columns[0]->flags & SQLC_READ_ONLY) != 0, c.readOnly);
    EXPECT_EQ((o.q->flags & SQLQ_ALL_READ_ONLY) != 0, c.readOnly);
    EXPECT_STREQ(o.q->columns[0]->selectText, c.written);
    EXPECT_TRUE(o.q->flags & SQLQ_PARSED);
  }
}

// Where identifiers are not case-sensitive, select texts are upper-cased with single
// blanks outside quoted stretches.
TEST(QueryColumns, SelectTextNormalised) {
  REQUIRE_FAKE_DRIVER();
  FakeDriver fake("query_normalise",
                  "info 28 short 1\ninfo 29 text \"\nresult SELECT\ncolumns a:int b:int c:int\n");
  ThreadErrors errors;
  Logon l(fake.connect());
  ASSERT_TRUE(l.con) << errors.lastText();
  ASSERT_EQ(l.con->identifierCase, SQL_IC_UPPER);
  Opened o(l.con, "SELECT a  +   b, 'x  y' ||\tc, \"Mixed  Name\" FROM t");
  ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
  EXPECT_STREQ(o.q->columns[0]->selectText, "A + B");
  EXPECT_STREQ(o.q->columns[1]->selectText, "'x  y' || C");
  EXPECT_STREQ(o.q->columns[2]->selectText, "\"Mixed  Name\"");
}

// Several tables in FROM: the columns' tables are assigned; one table keeps table 1.
TEST(QueryColumns, MultiTableDetection) {
  struct Case {
    const char* text;
    uint16_t tables;
    uint16_t itemTable;  // of the second column
  } kCases[] = {
      {"SELECT name, item FROM customers c, orders", 2, 2},
      {"SELECT name, item FROM customers,orders", 2, 2},
      {"SELECT c.name, o.item FROM customers c, orders o", 2, 2},
      {"SELECT name, city FROM customers", 1, 1},
  };
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    Opened o(l.con, c.text);
    ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
    EXPECT_EQ(o.q->tableCount, c.tables);
    EXPECT_EQ(o.q->columns[0]->tableNumber, 1);
    EXPECT_EQ(o.q->columns[1]->tableNumber, c.itemTable);
  }
}

// "T1 (x)" is one table: no table list is asked for.
TEST(QueryColumns, ParenthesisedGroupIsOneTable) {
  REQUIRE_FAKE_DRIVER();
  FakeDriver fake("query_paren", "result SELECT\ncolumns a:int\n");
  ThreadErrors errors;
  Logon l(fake.connect());
  ASSERT_TRUE(l.con) << errors.lastText();
  Opened o(l.con, "SELECT a FROM T1 (x)");
  ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
  EXPECT_EQ(o.q->tableCount, 1);
  EXPECT_EQ(fake.count("WHERE 0=1"), 0u);
}

TEST(QueryColumns, NoResultColumnsAndMissingParameters) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  {
    Opened o(l.con, "DELETE FROM numbered WHERE 0 = 1");
    ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
    EXPECT_EQ(o.q->columnCount, 0);
    EXPECT_TRUE(o.q->columns);
  }
  {
    Opened o(l.con, "SELECT id FROM numbered WHERE id = ?", SQLOPEN_PARSE | SQLOPEN_CHECK_PARAMS);
    EXPECT_EQ(o.describeStatus, 1);
    EXPECT_EQ(errors.last(), 4528);
    EXPECT_FALSE(o.q->columns);
    EXPECT_EQ(o.q->markerCount, 1);
  }
  errors.clear();
  {
    // A parameter with a value (bit 0 of its flags) passes; repeated names count once.
    Query p;
    ASSERT_EQ(sqlOpen(l.con, nullptr, "SELECT id FROM numbered WHERE id = ?", 5, 0, 0, &p.q), 0);
    p->params[0].flags |= 1;
    EXPECT_EQ(sqlSetupColumnInfo(p.q), 0) << errors.lastText();
    EXPECT_EQ(p->columnCount, 1);
  }
  {
    Opened o(l.con, "SELECT id FROM numbered WHERE id = ?");
    EXPECT_EQ(o.describeStatus, 0) << errors.lastText();
  }
}

// The copy: texts, columns and parameters of its own, fresh buffers, not executed.
TEST(QueryObject, Copy) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Opened o(l.con, "SELECT c.name, o.item FROM customers c, orders o WHERE c.cust_id = ?id ORDER BY 1");
  ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
  memcpy(reinterpret_cast<char*>(o.q.q) - 22, "caller area of twenty", 22);
  memcpy(reinterpret_cast<char*>(o.q->columns[1]) - 26, "column caller area 2", 21);
  o.q->columns[0]->value[0] = 'x';
  Query c;
  ASSERT_EQ(o.q->copy(&c.q), 0) << errors.lastText();
  EXPECT_STREQ(reinterpret_cast<char*>(c.q) - 22, "caller area of twenty");
  EXPECT_STREQ(reinterpret_cast<char*>(c->columns[1]) - 26, "column caller area 2");
  for (char* sql_qry::*t :
       {&sql_qry::text, &sql_qry::parsedText, &sql_qry::fromText, &sql_qry::orderByText}) {
    ASSERT_TRUE(c.q->*t);
    EXPECT_STREQ(c.q->*t, o.q.q->*t);
    EXPECT_NE(c.q->*t, o.q.q->*t);
  }
  EXPECT_EQ(c->parsedLength, o.q->parsedLength);
  ASSERT_EQ(c->columnCount, 2);
  for (uint16_t i = 0; i < 2; ++i) {
    const sql_qry_fld* a = o.q->columns[i];
    const sql_qry_fld* b = c->columns[i];
    EXPECT_EQ(a->flags, b->flags);
    EXPECT_EQ(a->tableNumber, b->tableNumber);
    EXPECT_EQ(a->bufferSize, b->bufferSize);
    EXPECT_STREQ(a->selectText, b->selectText);
    EXPECT_NE(a->selectText, b->selectText);
    EXPECT_STREQ(a->driverName, b->driverName);
    EXPECT_NE(a->value, b->value);
    EXPECT_EQ(b->valueLength, 0);
  }
  EXPECT_EQ(c->columns[0]->value[0], 0);
  ASSERT_EQ(c->paramCount, 1);
  EXPECT_STREQ(c->params[0].name, "id");
  EXPECT_NE(c->params[0].name, o.q->params[0].name);
  EXPECT_FALSE(c->hstmt);
  EXPECT_FALSE(c->flags & SQLQ_PREPARED);
  EXPECT_EQ(c->logMarker, -1);
  // Described already; it prepares on its own statement.
  EXPECT_EQ(sqlSetupColumnInfo(c.q), 0);
  EXPECT_EQ(sqlXPrepare(c.q), 0) << errors.lastText();
  EXPECT_TRUE(c->hstmt);
  EXPECT_NE(c->hstmt, o.q->hstmt);
}

TEST(QueryObject, LogOptionsAndLogInit) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Query q;
  ASSERT_EQ(sqlOpen(l.con, nullptr, "SELECT id FROM numbered", 1, 0, 0, &q.q), 0);
  const uint32_t keep = l.con->flagsA;
  struct Case {
    uint16_t mode;
    bool randomFetch;
    bool logging;
  } kCases[] = {{1, false, false}, {3, false, true}, {2, true, false}, {2, false, true}, {9, true, true}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.mode);
    l.con->flagsA = c.randomFetch ? keep | CMG_A_RANDOM_FETCH : keep & ~CMG_A_RANDOM_FETCH;
    q->rowsInLog = 7;
    EXPECT_EQ(sqlLogOptions(q.q, c.mode), 0);
    EXPECT_EQ((q->flags & SQLQ_LOGGING) != 0, c.logging);
    EXPECT_EQ(q->rowsInLog, c.logging ? 0u : 7u);
  }
  l.con->flagsA = keep;

  // A break level above the query: both logs emptied, the parent's row count zeroed.
  Query parent;
  ASSERT_EQ(sqlOpen(l.con, nullptr, "SELECT id FROM numbered", 1, 0, 0, &parent.q), 0);
  q->parent = parent.q;
  q->breakLevels = 1;
  for (sql_qry* x : {q.q, parent.q}) {
    x->rowsInLog = 5;
    x->totalWeight = 6;
    x->rowCount = 9;
    x->firstRow = 4;
    static_cast<uint8_t*>(x->logIndexPath)[0] = 0x55;
  }
  EXPECT_EQ(sqlLogInit(q.q), 0);
  for (sql_qry* x : {q.q, parent.q}) {
    EXPECT_EQ(x->rowsInLog, 0u);
    EXPECT_EQ(x->totalWeight, 0u);
    EXPECT_EQ(x->firstRow, 1u);
    ASSERT_TRUE(x->logIndexPath);
    EXPECT_EQ(static_cast<uint8_t*>(x->logIndexPath)[0], 1);  // an empty leaf as the root
    EXPECT_EQ(x->logDepth, 1);
  }
  EXPECT_EQ(q->rowCount, 9u);
  EXPECT_EQ(parent->rowCount, 0u);
  q->parent = nullptr;

  sqlSetAutoUpdate(q.q, 1);
  EXPECT_TRUE(q->flags & SQLQ_AUTO_UPDATE);
  sqlSetAutoUpdate(q.q, 0);
  EXPECT_FALSE(q->flags & SQLQ_AUTO_UPDATE);
}

// Connection settings taken at open: auto update, lock options, and the query joins the
// connection's list (and leaves it when freed).
TEST(QueryObject, OpenTakesConnectionSettings) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  struct Case {
    uint16_t autoUpdate, lockOptions;
    uint32_t flags;
  } kCases[] = {{1, 0, 0},
                {2, 1, SQLQ_DEFERRED_UPDATE | SQLQ_LOCK_OPTION1},
                {3, 2, SQLQ_AUTO_UPDATE | SQLQ_LOCK_OPTION2},
                {3, 3, SQLQ_AUTO_UPDATE | SQLQ_LOCK_OPTION1 | SQLQ_LOCK_OPTION2}};
  const uint32_t mask = SQLQ_AUTO_UPDATE | SQLQ_DEFERRED_UPDATE | SQLQ_LOCK_OPTION1 | SQLQ_LOCK_OPTION2;
  for (const Case& c : kCases) {
    l.con->autoUpdate = c.autoUpdate;
    l.con->lockOptions = c.lockOptions;
    Query q;
    ASSERT_EQ(sqlOpen(l.con, nullptr, "SELECT id FROM numbered", 0, 0, 0, &q.q), 0);
    EXPECT_EQ(q->flags & mask, c.flags);
    EXPECT_EQ(l.con->queries, q.q);
    EXPECT_EQ(q->rowCount, 0xFFFFFFFFu);
    EXPECT_EQ(q->cursorOptions, l.con->cursorOptions);
    EXPECT_FALSE(q->flags & SQLQ_PARSED);
  }
  EXPECT_EQ(l.con->queries, nullptr);
  l.con->lockOptions = 0;
  l.con->autoUpdate = 1;
  // A statement the parser refuses: no query, the parser's message.
  sql_qry* q = reinterpret_cast<sql_qry*>(1);
  EXPECT_EQ(sqlOpen(l.con, nullptr, "SELECT FROM", SQLOPEN_PARSE, 0, 0, &q), 1);
  EXPECT_EQ(q, nullptr);
  EXPECT_EQ(l.con->queries, nullptr);
}

// Every exported operation passes the entry hook and, unless refused there, the leave
// hook; a refusing entry hook makes each fail at once.
TEST(QueryObject, EntryAndLeaveHooksBracketEveryExport) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Query q;
  uint32_t e0, l0, e1, l1;
  sqlHookCounts(&e0, &l0);
  ASSERT_EQ(sqlOpen(l.con, nullptr, "SELECT id, label FROM numbered", 0, 0, 0, &q.q), 0);
  ASSERT_EQ(sqlOpenParse(q.q), 0);
  ASSERT_EQ(sqlSetupColumnInfo(q.q), 0);
  ASSERT_EQ(sqlAllocateRecordBuf(q.q), 0);
  ASSERT_EQ(sqlLogOptions(q.q, 3), 0);
  ASSERT_EQ(sqlLogInit(q.q), 0);
  ASSERT_EQ(sqlXPrepare(q.q), 0);
  char* native = nullptr;
  ASSERT_EQ(sqlXNativeSQL(q.q, &native), 0);
  ramFree(native);
  char name[64];
  ASSERT_EQ(sqlColDBTypeName(q.q, 1, name, sizeof name, nullptr), 0);
  ASSERT_EQ(sqlColSearchable(q.q, 1), 0);
  ASSERT_EQ(sqlColKeySearchable(q.q, 1), 0);
  ASSERT_TRUE(sqlTableList(q.q));
  Query c;
  ASSERT_EQ(q->copy(&c.q), 0);
  sqlHookCounts(&e1, &l1);
  EXPECT_GE(e1 - e0, 13u);
  EXPECT_EQ(e1 - e0, l1 - l0);

  sqlSetEntryHookAnswer(1);
  sql_qry* refused = nullptr;
  EXPECT_EQ(sqlOpen(l.con, nullptr, "SELECT id FROM numbered", 1, 0, 0, &refused), 1);
  EXPECT_EQ(refused, nullptr);
  EXPECT_EQ(sqlOpenParse(q.q), 1);
  EXPECT_EQ(sqlLogOptions(q.q, 1), 1);
  EXPECT_EQ(sqlLogInit(q.q), 1);
  EXPECT_EQ(sqlXPrepare(c.q), 1);
  EXPECT_EQ(sqlColSearchable(q.q, 1), 1);
  EXPECT_EQ(q->copy(&refused), 1);
  EXPECT_EQ(refused, nullptr);
  sqlSetEntryHookAnswer(0);
  uint32_t e2, l2;
  sqlHookCounts(&e2, &l2);
  EXPECT_EQ(e2 - e1, 7u);
  EXPECT_EQ(l2, l1);
  EXPECT_TRUE(q->flags & SQLQ_LOGGING);
}

// SELECT * over two tables: every column maps to the star item, equal names are
// qualified with their tables, and each column has its table.
TEST(SelectList, StarOverTwoTables) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Opened o(l.con, "SELECT * FROM customers, orders");
  ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
  static const char* const kTexts[] = {"customers.\"cust_id\"", "name", "city", "\"order_id\"",
                                       "orders.\"cust_id\"",    "item", "total"};
  static const uint16_t kTables[] = {1, 1, 1, 2, 2, 2, 2};
  ASSERT_EQ(o.q->columnCount, 7);
  EXPECT_EQ(o.q->tableCount, 2);
  for (uint16_t i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(o.q->columns[i]->selectText, kTexts[i]);
    EXPECT_EQ(o.q->columns[i]->tableNumber, kTables[i]);
    EXPECT_FALSE(o.q->columns[i]->flags & SQLC_EXPRESSION);
  }
  SqlTableList* list = sqlTableList(o.q.q);
  ASSERT_TRUE(list);
  ASSERT_EQ(list->count, 2);
  EXPECT_STREQ(list->entries[1].name, "orders");
  EXPECT_EQ(list->entries[1].alias, nullptr);
  EXPECT_EQ(std::string(list->entries[1].columns, 29), std::string("order_id\0cust_id\0item\0total\0\0", 29));
}

// q.* takes its table's columns, the next item the next column; aliases upper-cased.
TEST(SelectList, QualifiedStarAndAliases) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Opened o(l.con, "SELECT c.*, item AS what, total * 2 AS doubled FROM customers c, orders o");
  ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
  ASSERT_EQ(o.q->columnCount, 5);
  static const char* const kTexts[] = {"c.cust_id", "c.name", "c.city", "item", "total * 2"};
  static const uint16_t kTables[] = {1, 1, 1, 2, 2};
  for (uint16_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(o.q->columns[i]->selectText, kTexts[i]);
    EXPECT_EQ(o.q->columns[i]->tableNumber, kTables[i]);
  }
  // SQLite's identifiers are case-sensitive: aliases as written.
  EXPECT_STREQ(o.q->columns[3]->alias, "what");
  EXPECT_STREQ(o.q->columns[4]->alias, "doubled");
  EXPECT_TRUE(o.q->columns[4]->flags & SQLC_EXPRESSION);
  EXPECT_TRUE(o.q->columns[4]->flags & SQLC_READ_ONLY);
  EXPECT_FALSE(o.q->columns[3]->flags & SQLC_EXPRESSION);
}

// More select items than driver columns (4519), and two tables with one alias (4508),
// on the scripted driver, whose canned results do not follow the text.
TEST(SelectList, Refusals) {
  REQUIRE_FAKE_DRIVER();
  FakeDriver fake("select_refusals",
                  "info 28 short 1\n"
                  "result SELECT a\ncolumns a:int b:int\n"
                  "result SELECT * FROM T1 WHERE\ncolumns a:int k:int\n"
                  "result SELECT * FROM T2 WHERE\ncolumns b:int k:int\n"
                  "result SELECT * FROM T1 x\ncolumns a:int k:int b:int k:int\n");
  ThreadErrors errors;
  Logon l(fake.connect());
  ASSERT_TRUE(l.con) << errors.lastText();
  {
    Opened o(l.con, "SELECT a, b, c FROM T1");
    EXPECT_EQ(o.describeStatus, 1);
    EXPECT_EQ(errors.last(), 4519);
  }
  {
    Opened o(l.con, "SELECT * FROM T1 x, T2 x");
    EXPECT_EQ(o.describeStatus, 1);
    EXPECT_EQ(errors.last(), 4508);
    EXPECT_EQ(errors.lastText(), "Duplicate table names not allowed in FROM clause: 'x'");
  }
  {
    Opened o(l.con, "SELECT * FROM T1 x, T2 y");
    ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
    // Star columns take the driver's names (not rewritten), qualified where equal.
    EXPECT_STREQ(o.q->columns[1]->selectText, "x.k");
    EXPECT_STREQ(o.q->columns[3]->selectText, "y.k");
    EXPECT_STREQ(o.q->columns[0]->selectText, "a");
    EXPECT_EQ(o.q->columns[3]->tableNumber, 2);
  }
}

// Table list a(k, x, y), b(k, z) made by hand.
struct TwoTables {
  TwoTables() {
    list = static_cast<SqlTableList*>(ramAllocZ(sizeof(SqlTableList) + sizeof(SqlTableEntry)));
    list->count = 2;
    list->entries[0] = {ramAllocStr("a"), nullptr, copy(std::string("k\0x\0y\0\0", 7))};
    list->entries[1] = {ramAllocStr("orders"), ramAllocStr("b"), copy(std::string("k\0z\0\0", 5))};
  }
  ~TwoTables() {
    for (uint16_t i = 0; i < list->count; ++i) {
      ramFree(list->entries[i].name);
      ramFree(list->entries[i].alias);
      ramFree(list->entries[i].columns);
    }
    ramFree(list);
  }
  static char* copy(const std::string& s) {
    char* c = static_cast<char*>(ramAlloc(static_cast<uint32_t>(s.size())));
    memcpy(c, s.data(), s.size());
    return c;
  }
  SqlTableList* list;
};

TEST(JoinExpressions, SplitTable) {
  struct Case {
    const char* where;
    const char* rest;
    const char* joins;
  } kCases[] = {
      {"a.k = b.k AND a.x > 5", "a.x > 5", "a.k = b.k"},
      {"a.x BETWEEN 1 AND 5", "a.x BETWEEN 1 AND 5", ""},
      {"z > 1 AND a.k = b.k AND y < 2", "z > 1 AND y < 2", "a.k = b.k"},
      {"a.k = b.k AND x = z", "", "a.k = b.k AND\nx = z"},
      {"a.k = b.k OR a.x = 1", "", "a.k = b.k OR a.x = 1"},
      {"(a.k = b.k) AND a.y = 'b.z'", "a.y = 'b.z'", "(a.k = b.k)"},
      {"a.x BETWEEN b.z AND 9 AND y = 1", "y = 1", "a.x BETWEEN b.z AND 9"},
      {"UPPER(a.y) = UPPER(b.z) AND a.x > 0", "a.x > 0", "UPPER(a.y) = UPPER(b.z)"},
      {"a.x IN (SELECT z FROM q) AND z = 3", "a.x IN (SELECT z FROM q) AND z = 3", ""},
      {"x LIKE 'a%' AND k > 0", "x LIKE 'a%'", "k > 0"},  // k is in both tables
      {"", "", ""},
  };
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  TwoTables t;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.where);
    std::string text = c.where;
    std::vector<char> output(text.size() + 1, 'X');
    char* out = reinterpret_cast<char*>(1);
    EXPECT_EQ(sqlJoinExpressions(nullptr, l.con, &text[0], output.data(), &out, t.list), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_STREQ(text.c_str(), c.rest);
    EXPECT_STREQ(output.data(), c.joins);
  }
  EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{});
}

// A condition with more operators than the work arrays hold is left whole.
TEST(JoinExpressions, FullWorkArraysLeaveTheText) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  TwoTables t;
  std::string text = "a.k = b.k";
  for (int i = 0; i < 600; ++i) text += " AND a.x = " + std::to_string(i);
  const std::string before = text;
  std::vector<char> output(text.size() + 1);
  char* out = nullptr;
  EXPECT_EQ(sqlJoinExpressions(nullptr, l.con, &text[0], output.data(), &out, t.list), 0);
  EXPECT_EQ(text, before);
  EXPECT_STREQ(output.data(), "");
}

// The statement is prepared once; the native text comes back from the driver, retried
// with a larger buffer while it is cut, up to 65435 bytes.
TEST(Prepare, OnceAndNativeText) {
  REQUIRE_FAKE_DRIVER();
  const std::string longNative(1500, 'n');
  FakeDriver fake("prepare_native", "result SELECT\ncolumns a:int\nnativesql " + longNative + "\n");
  ThreadErrors errors;
  Logon l(fake.connect());
  ASSERT_TRUE(l.con) << errors.lastText();
  Query q;
  ASSERT_EQ(sqlOpen(l.con, nullptr, "SELECT a FROM t", 1, 0, 0, &q.q), 0) << errors.lastText();
  EXPECT_EQ(sqlXPrepare(q.q), 0) << errors.lastText();
  EXPECT_TRUE(q->flags & SQLQ_PREPARED);
  EXPECT_EQ(sqlXPrepare(q.q), 0);
  EXPECT_EQ(sqlSetupColumnInfo(q.q), 0) << errors.lastText();
  EXPECT_EQ(fake.count("SQLPrepare stmt"), 1u);
  const size_t before = fake.count("SQLNativeSql truncated at");
  char* native = nullptr;
  ASSERT_EQ(sqlXNativeSQL(q.q, &native), 0) << errors.lastText();
  EXPECT_EQ(std::string(native), longNative);
  ramFree(native);
  // 15 + 1024 bytes first (cut), then 15 + 2048.
  std::vector<std::string> cuts = fake.logLines("SQLNativeSql truncated at");
  ASSERT_EQ(cuts.size(), before + 1);
  EXPECT_NE(cuts.back().find("truncated at 1039"), std::string::npos) << cuts.back();
}

TEST(Prepare, NativeTextLongerThanTheLimitFails) {
  REQUIRE_FAKE_DRIVER();
  FakeDriver fake("prepare_native_limit", "result SELECT\ncolumns a:int\nnativesql " +
                                              std::string(1000, 'n') + "\nnativerepeat 70\n");
  ThreadErrors errors;
  Logon l(fake.connect());
  ASSERT_TRUE(l.con) << errors.lastText();
  Query q;
  ASSERT_EQ(sqlOpen(l.con, nullptr, "SELECT a FROM t", 1, 0, 0, &q.q), 0) << errors.lastText();
  const size_t before = fake.count("SQLNativeSql truncated at");
  char* native = reinterpret_cast<char*>(1);
  EXPECT_EQ(sqlXNativeSQL(q.q, &native), 1);
  EXPECT_EQ(native, nullptr);
  EXPECT_EQ(errors.last(), 4531);
  std::vector<std::string> cuts = fake.logLines("SQLNativeSql truncated at");
  ASSERT_EQ(cuts.size(), before + 64);  // 1039, 2063, ... 64527, then 65435
  EXPECT_NE(cuts[before].find("truncated at 1039"), std::string::npos) << cuts[before];
  EXPECT_NE(cuts.back().find("truncated at 65435"), std::string::npos) << cuts.back();
}

TEST(Prepare, NativeTextOnSqlite) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Query q;
  ASSERT_EQ(sqlOpen(l.con, nullptr, "SELECT id FROM numbered WHERE {fn UCASE(label)} = 'X'", 0, 0, 0, &q.q),
            0);
  char* native = nullptr;
  ASSERT_EQ(sqlXNativeSQL(q.q, &native), 0) << errors.lastText();
  EXPECT_NE(std::string(native).find("numbered"), std::string::npos) << native;
  ramFree(native);
}

// Column attributes asked of SQLite: the type name, searchability, attribute 1002.
TEST(ColumnAttributes, Sqlite) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  Opened o(l.con, "SELECT id, c_varchar, c_blob FROM alltypes");
  ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
  static const char* const kNames[] = {"INTEGER", "VARCHAR", "BLOB"};
  for (uint16_t i = 1; i <= 3; ++i) {
    SCOPED_TRACE(i);
    char name[32] = "";
    uint16_t length = 0;
    EXPECT_EQ(sqlColDBTypeName(o.q.q, i, name, sizeof name, &length), 0) << errors.lastText();
    EXPECT_STREQ(name, kNames[i - 1]);
    EXPECT_EQ(length, strlen(kNames[i - 1]));
    o.q->columns[i - 1]->flags &= ~(SQLC_SEARCHABLE_MASK | SQLC_KEYSEARCH_MASK);
    EXPECT_EQ(sqlColSearchable(o.q.q, i), 0);
    EXPECT_EQ(o.q->columns[i - 1]->flags & SQLC_SEARCHABLE_MASK, 0xE00u);
    EXPECT_EQ(sqlColKeySearchable(o.q.q, i), 0);
    EXPECT_EQ(o.q->columns[i - 1]->flags & SQLC_KEYSEARCH_MASK, SQLC_KEYSEARCH_UNKNOWN);
  }
  EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{});
  for (uint16_t bad : {0, 4}) {
    EXPECT_EQ(sqlColSearchable(o.q.q, bad), 1);
    EXPECT_EQ(errors.last(), 4522);
  }
}

// A type name cut to the caller's buffer.
TEST(ColumnAttributes, TypeNameCut) {
  REQUIRE_FAKE_DRIVER();
  FakeDriver fake("attributes_scripted", "result SELECT\ncolumns a:int\n");
  ThreadErrors errors;
  Logon l(fake.connect());
  ASSERT_TRUE(l.con) << errors.lastText();
  Opened o(l.con, "SELECT a FROM t");
  ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
  EXPECT_EQ(o.q->columns[0]->flags & SQLC_KEYSEARCH_MASK, SQLC_KEYSEARCH_YES);
  char name[4];
  EXPECT_EQ(sqlColDBTypeName(o.q.q, 1, name, sizeof name, nullptr), 0);  // cut, with a warning
  EXPECT_STREQ(name, "INT");
}

// A scrollable cursor asked for where the driver manager answers IM001 for
// SQLSetScrollOptions: the same request goes through the statement options.
TEST(Cursor, ScrollableThroughStatementOptions) {
  REQUIRE_FAKE_DRIVER();
  FakeDriver fake("cursor_scroll", "result SELECT\ncolumns a:int\n");
  ThreadErrors errors;
  Logon l(fake.connect());
  ASSERT_TRUE(l.con) << errors.lastText();
  l.con->flagsA |= CMG_A_RANDOM_FETCH;
  l.con->cursorOptions = SQLCUR_RANDOM | 0x60 | 0x80;  // static, locking
  l.con->maxRows = 50;
  l.con->queryTimeout = 7;
  Query q;
  ASSERT_EQ(sqlOpen(l.con, nullptr, "SELECT a FROM t", 1, 0, 0, &q.q), 0) << errors.lastText();
  EXPECT_TRUE(q->flags & SQLQ_SCROLLABLE);
  EXPECT_FALSE(q->flags & SQLQ_LOGGING);
  std::vector<std::string> options = fake.logLines("SQLSetStmtOption");
  ASSERT_EQ(options.size(), 5u);
  EXPECT_NE(options[0].find(" 6 3"), std::string::npos) << options[0];   // SQL_CURSOR_TYPE static
  EXPECT_NE(options[1].find(" 7 2"), std::string::npos) << options[1];   // SQL_CONCURRENCY lock
  EXPECT_NE(options[2].find(" 9 1"), std::string::npos) << options[2];   // SQL_ROWSET_SIZE 1
  EXPECT_NE(options[3].find(" 1 50"), std::string::npos) << options[3];  // SQL_MAX_ROWS
  EXPECT_NE(options[4].find(" 0 7"), std::string::npos) << options[4];   // SQL_QUERY_TIMEOUT
  EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{});

  // Refused statement options: the layer scrolls itself through the row log.
  FakeDriver refusing("cursor_refused",
                      "result SELECT\ncolumns a:int\nreturn SQLSetStmtOption:6 -1 S1C00 0 not capable\n");
  Logon r(refusing.connect());
  ASSERT_TRUE(r.con) << errors.lastText();
  r.con->flagsA |= CMG_A_RANDOM_FETCH;
  r.con->cursorOptions = SQLCUR_RANDOM | 0x60;
  Query p;
  ASSERT_EQ(sqlOpen(r.con, nullptr, "SELECT a FROM t", 1, 0, 0, &p.q), 0) << errors.lastText();
  EXPECT_FALSE(p->flags & SQLQ_SCROLLABLE);
  EXPECT_TRUE(p->flags & SQLQ_LOGGING);
}

TEST(Cursor, ScrollableOnSqlite) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  l.con->flagsA |= CMG_A_RANDOM_FETCH;
  l.con->cursorOptions = SQLCUR_RANDOM | 0x60;
  Query q;
  ASSERT_EQ(sqlOpen(l.con, nullptr, "SELECT id FROM numbered", 1, 0, 0, &q.q), 0) << errors.lastText();
  EXPECT_TRUE(q->flags & SQLQ_SCROLLABLE);
  SQLULEN type = 0;
  EXPECT_EQ(SQLGetStmtOption(q->hstmt, SQL_CURSOR_TYPE, &type), SQL_SUCCESS);
  EXPECT_EQ(type, static_cast<SQLULEN>(SQL_CURSOR_STATIC));
}

// The condition of the current row, from its key columns (chosen when none is marked).
TEST(UniqueWhere, KeyColumnsAndNull) {
  ThreadErrors errors;
  Logon l(kSqlite);
  ASSERT_TRUE(l.con) << errors.lastText();
  {
    Opened o(l.con, "SELECT cust_id, name FROM customers");
    ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
    int32_t id = 2;
    memcpy(o.q->columns[0]->value, &id, 4);
    o.q->columns[0]->valueLength = 4;
    strcpy(reinterpret_cast<char*>(o.q->columns[1]->value), "O'Neil");
    o.q->columns[1]->valueLength = 6;
    char* where = nullptr;
    ASSERT_EQ(sqlUniqueWhere(o.q.q, &where), 0) << errors.lastText();
    EXPECT_STREQ(where, "\"cust_id\" = 2 AND \"name\" = 'O''Neil'");
    ramFree(where);
    o.q->columns[1]->valueLength = SQL_NULL_DATA;
    ASSERT_EQ(sqlUniqueWhere(o.q.q, &where), 0) << errors.lastText();
    EXPECT_STREQ(where, "\"cust_id\" = 2 AND \"name\" IS NULL");
    ramFree(where);
  }
  {
    Opened o(l.con, "SELECT c.cust_id, o.order_id FROM customers c, orders o");
    ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
    int32_t a = 1, b = 10;
    memcpy(o.q->columns[0]->value, &a, 4);
    memcpy(o.q->columns[1]->value, &b, 4);
    o.q->columns[0]->valueLength = o.q->columns[1]->valueLength = 4;
    char* where = nullptr;
    ASSERT_EQ(sqlUniqueWhere(o.q.q, &where), 0) << errors.lastText();
    EXPECT_STREQ(where, "customers.\"cust_id\" = 1 AND orders.\"order_id\" = 10");
    ramFree(where);
  }
  {
    // Only an expression: no key can be chosen.
    Opened o(l.con, "SELECT cust_id + 1 FROM customers");
    ASSERT_EQ(o.describeStatus, 0) << errors.lastText();
    char* where = nullptr;
    EXPECT_EQ(sqlUniqueWhere(o.q.q, &where), 1);
    EXPECT_EQ(errors.last(), 4506);
    EXPECT_EQ(where, nullptr);
  }
}

}  // namespace
