// The parser over the profile that a real logon to the SQLite test data source builds
// (through Wine's odbc32 and the host's driver manager): the whole table of statements
// again, the texts sent on prepared by the driver itself, and the settings of "ODBC.INI"
// that reach the parser (FROM words, multi-word phrases, delimiters).
#include "dbsql/cmgenv.h"
#include "fake_driver.h"
#include "sqlparse_cases.h"

#include <gtest/gtest.h>

namespace {

using namespace parsetable;

struct Logon {
  explicit Logon(ThreadErrors& errors) : env(cmgInit(CMG_API_CALLER)) {
    if (env) con = cmgLogon(env, nullptr, "DSN=OrvanelTest", 0);
    if (!con) message = errors.lastText();
  }
  ~Logon() {
    if (env) cmgTerm(env);
  }
  cmgInfo* env = nullptr;
  cmg_capabilities* con = nullptr;
  std::string message;
};

TEST(SqlParseDsn, TableOverTheDriverProfile) {
  ThreadErrors errors;
  Logon logon(errors);
  ASSERT_TRUE(logon.con) << logon.message;
  // What the table relies on from the profile: the built-in reserved words (UNION, AS,
  // LEFT, JOIN among them) and the double quote for names.
  EXPECT_GT(logon.con->reservedCount, 200);
  EXPECT_EQ(logon.con->quoteChar, '"');
  checkParseTable(logon.con);
}

// The text the parser sends on is one the driver prepares: joins written out, escapes,
// markers without their names, aliases cut.
TEST(SqlParseDsn, TextsSentOnAreAcceptedByTheDriver) {
  ThreadErrors errors;
  Logon logon(errors);
  ASSERT_TRUE(logon.con) << logon.message;
  const char* statements[] = {
      "SELECT c.name, o.total FROM customers c LEFT JOIN orders o ON c.cust_id = o.cust_id WHERE o.total > ?",
      "SELECT c.name AS who, count(*) n FROM customers c LEFT OUTER JOIN orders o ON c.cust_id = o.cust_id "
      "GROUP BY c.name ORDER BY n",
      "SELECT c.name FROM customers c INNER JOIN orders o USING (cust_id) CROSS JOIN customers d WHERE "
      "d.cust_id "
      "= ?who",
      "SELECT total = o.total + 1 FROM {oj customers c LEFT OUTER JOIN orders o ON c.cust_id = o.cust_id} "
      "WHERE c.city = 'Leeds'",
      "SELECT s.name FROM (SELECT name FROM customers WHERE cust_id > ?) s",
      "SELECT name FROM customers WHERE cust_id = 1 COMPUTE SUM(cust_id)",
  };
  const uint32_t before = parseChunksInUse();
  for (const char* sql : statements) {
    SCOPED_TRACE(sql);
    parsed_sql* p;
    char* out;
    ASSERT_EQ(sqlParse(logon.con, &p, sql, &out, 0), 0) << errors.lastText();
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    ASSERT_EQ(SQLAllocStmt(logon.con->hdbc, &stmt), SQL_SUCCESS);
    // The escape form: the driver sees the statement with the escape as written.
    const SQLRETURN rc = SQLPrepare(stmt, reinterpret_cast<SQLCHAR*>(out), SQL_NTS);
    EXPECT_TRUE(SQL_SUCCEEDED(rc)) << out;
    SQLSMALLINT params = -1;
    if (SQL_SUCCEEDED(rc) && SQL_SUCCEEDED(SQLNumParams(stmt, &params))) {
      EXPECT_EQ(params, p->paramCount) << out;
    }
    SQLFreeStmt(stmt, SQL_DROP);
    sqlParseFree(p);
    ramFree(out);
  }
  EXPECT_EQ(parseChunksInUse(), before);
}

// Settings of the data source's section reach the parser through the profile.
TEST(SqlParseDsn, SettingsOfTheDataSource) {
  ThreadErrors errors;
  OdbcIniKeys keys("OrvanelTest");
  keys.set("jxFromReservedWords", "straight_join");
  keys.set("jxPseudoColumns", "ROWID,ROW NUMBER");
  // White space always ends a name; the setting lists the other delimiters.
  keys.set("jxDelimiters", ",()=<>;");
  Logon logon(errors);
  ASSERT_TRUE(logon.con) << logon.message;
  ASSERT_NE(logon.con->delimiters, nullptr);
  EXPECT_STREQ(logon.con->delimiters, ",()=<>;");
  struct Case {
    const char* sql;
    const char* firstItem;
    const char* from;
  } cases[] = {
      {"SELECT ROW NUMBER, b FROM t STRAIGHT_JOIN u", "ROW NUMBER", "t STRAIGHT_JOIN u"},
      {"SELECT my-col FROM c:\\data\\t-1.dbf x", "my-col", "c:\\data\\t-1.dbf x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    parsed_sql* p;
    char* out;
    ASSERT_EQ(sqlParse(logon.con, &p, c.sql, &out, 0), 0) << errors.lastText();
    ASSERT_GE(p->itemCount, 1);
    EXPECT_EQ(std::string(out + p->items[0].start, p->items[0].length), c.firstItem);
    EXPECT_EQ(p->items[0].kind, 0);
    EXPECT_STREQ(p->from, c.from);
    sqlParseFree(p);
    ramFree(out);
  }
}

}  // namespace
