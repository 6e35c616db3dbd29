// Statement handles and extra connections: on the SQLite DSN every statement runs on
// the primary connection; on the scripted one-statement driver statements get
// connections of their own, a spare is kept and reused, and logoff closes them all
// (counted in the driver's log).
#include "dbsql/cmgenv.h"
#include "dbsql/sqlhstmt.h"
#include "fake_driver.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

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

SQLHDBC hdbcOf(cmg_capabilities* con, SQLHSTMT hstmt) {
  SQLHDBC h = nullptr;
  EXPECT_EQ(sqlLookupHdbc(con, &h, hstmt), 0);
  return h;
}

TEST(Statements, SqliteUsesThePrimaryConnection) {
  ThreadErrors errors;
  Env e;
  cmg_capabilities* con = cmgLogon(e.env, nullptr, "DSN=OrvanelTest", 0);
  ASSERT_NE(con, nullptr) << errors.lastText();
  ASSERT_FALSE(sqlSingleStatementMode(con));
  SQLHDBC primary = con->hdbc;
  SQLHSTMT s[3] = {};
  for (SQLHSTMT& h : s) ASSERT_EQ(sqlAllocHstmt(con, &h, SQL_HSTMT_ANY), 0) << errors.lastText();
  // A fourth statement; the third stays allocated until logoff, which drops it.
  SQLHSTMT left = s[2];
  ASSERT_EQ(sqlAllocHstmt(con, &s[2], SQL_HSTMT_PRIMARY), 0);
  EXPECT_EQ(sqlHstmtCount(con), 4u);
  EXPECT_EQ(hdbcOf(con, left), primary);
  // All run at once on the one connection.
  EXPECT_EQ(SQLExecDirect(s[0], (SQLCHAR*)"SELECT * FROM rig", SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(SQLExecDirect(s[1], (SQLCHAR*)"SELECT name FROM rig", SQL_NTS), SQL_SUCCESS);
  for (SQLHSTMT h : s) EXPECT_EQ(hdbcOf(con, h), primary);
  EXPECT_EQ(con->hdbc, primary);
  EXPECT_EQ(con->spareHdbc, primary);
  EXPECT_EQ(sqlDropHstmt(con, s[0], SQL_CLOSE), 0);
  EXPECT_EQ(sqlHstmtCount(con), 4u);  // closed, not dropped
  for (SQLHSTMT h : s) EXPECT_EQ(sqlDropHstmt(con, h, SQL_DROP), 0);
  EXPECT_EQ(sqlHstmtCount(con), 1u);                                            // the one left
  EXPECT_EQ(sqlFreeHstmtUnder(con->statementLock, con, nullptr, SQL_DROP), 1);  // a bad handle is reported
  EXPECT_EQ(errors.last(), 4525);
  errors.clear();
  // A failing statement is reported with the driver's message.
  SQLHSTMT bad = nullptr;
  ASSERT_EQ(sqlAllocHstmt(con, &bad, SQL_HSTMT_ANY), 0);
  EXPECT_EQ(sqlCheckHstmt(con, bad, SQLExecDirect(bad, (SQLCHAR*)"SELECT * FROM nowhere", SQL_NTS)), 1);
  EXPECT_FALSE(errors.numbers().empty());
  EXPECT_EQ(sqlDropHstmt(con, bad, SQL_DROP), 0);
  EXPECT_EQ(con->hdbc, primary);
  EXPECT_EQ(cmgLogoff(con), 0) << errors.lastText();
}

const char kOneStatement[] = "info 1 short 1\nonestatement\nresult SELECT\ncolumns A:int\nrow 1\nrow 2\n";

TEST(Statements, ExtraConnectionsAndTheSpare) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  Env e;
  FakeDriver fake("hstmt_spare", kOneStatement);
  cmg_capabilities* con = cmgLogon(e.env, nullptr, fake.connect().c_str(), 0);
  ASSERT_NE(con, nullptr) << errors.lastText();
  ASSERT_TRUE(sqlSingleStatementMode(con));
  EXPECT_EQ(con->cursorOptions, 105 | 0x2D00);
  EXPECT_EQ(fake.count("SQLDriverConnect "), 1u);  // the profile's type statement used the primary
  SQLHDBC primary = con->hdbc;
  EXPECT_EQ(con->spareHdbc, primary);

  SQLHSTMT s1 = nullptr, s2 = nullptr, s3 = nullptr;
  ASSERT_EQ(sqlAllocHstmt(con, &s1, SQL_HSTMT_ANY), 0);
  EXPECT_EQ(hdbcOf(con, s1), primary);
  EXPECT_EQ(con->spareHdbc, nullptr);
  EXPECT_EQ(SQLExecDirect(s1, (SQLCHAR*)"SELECT A FROM t", SQL_NTS), SQL_SUCCESS);
  // The second statement, the first still open: a connection of its own.
  ASSERT_EQ(sqlAllocHstmt(con, &s2, SQL_HSTMT_ANY), 0) << errors.lastText();
  SQLHDBC second = hdbcOf(con, s2);
  EXPECT_NE(second, primary);
  EXPECT_EQ(fake.count("SQLDriverConnect "), 2u);
  EXPECT_EQ(SQLExecDirect(s2, (SQLCHAR*)"SELECT A FROM t", SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(fake.count("refused"), 0u);
  // Freeing it keeps its connection as the spare; a third statement reuses it.
  ASSERT_EQ(sqlDropHstmt(con, s2, SQL_DROP), 0);
  EXPECT_EQ(con->spareHdbc, second);
  ASSERT_EQ(sqlAllocHstmt(con, &s3, SQL_HSTMT_ANY), 0);
  EXPECT_EQ(hdbcOf(con, s3), second);
  EXPECT_EQ(fake.count("SQLDriverConnect "), 2u);
  EXPECT_EQ(fake.count(" SQLDisconnect"), 0u);
  // The primary's statement freed: the primary becomes the spare.
  ASSERT_EQ(sqlDropHstmt(con, s1, SQL_DROP), 0);
  EXPECT_EQ(con->spareHdbc, primary);
  // A statement on another connection freed while a spare exists: that connection closes.
  ASSERT_EQ(sqlDropHstmt(con, s3, SQL_DROP), 0);
  EXPECT_EQ(fake.count(" SQLDisconnect"), 1u);
  EXPECT_EQ(con->spareHdbc, primary);
  EXPECT_EQ(sqlHstmtCount(con), 0u);
  EXPECT_EQ(cmgLogoff(con), 0);
  EXPECT_EQ(fake.count(" SQLDisconnect"), 2u);
  EXPECT_EQ(fake.count(" SQLFreeConnect"), 2u);
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

// Mode 1 makes the chosen connection the primary one; an open transaction keeps
// statements on the primary connection (mode 1) or away from it (mode 0).
TEST(Statements, ModesAndTransactions) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  Env e;
  FakeDriver fake("hstmt_modes", kOneStatement);
  cmg_capabilities* con = cmgLogon(e.env, nullptr, fake.connect().c_str(), 0);
  ASSERT_NE(con, nullptr) << errors.lastText();
  SQLHDBC first = con->hdbc;

  // Mode 1, no transaction, a spare: the spare is the primary.
  SQLHSTMT a = nullptr;
  ASSERT_EQ(sqlAllocHstmt(con, &a, SQL_HSTMT_PRIMARY), 0);
  EXPECT_EQ(hdbcOf(con, a), first);
  EXPECT_EQ(con->hdbc, first);
  EXPECT_EQ(con->spareHdbc, nullptr);
  // Mode 1, no transaction, no spare: a new connection becomes the primary.
  SQLHSTMT b = nullptr;
  ASSERT_EQ(sqlAllocHstmt(con, &b, SQL_HSTMT_PRIMARY), 0);
  SQLHDBC newer = hdbcOf(con, b);
  EXPECT_NE(newer, first);
  EXPECT_EQ(con->hdbc, newer);
  EXPECT_EQ(fake.count("SQLDriverConnect "), 2u);
  // Freeing the old primary's statement: a connection other than the primary with no
  // spare becomes the spare.
  ASSERT_EQ(sqlDropHstmt(con, a, SQL_DROP), 0);
  EXPECT_EQ(con->spareHdbc, first);

  // In a transaction, mode 1 stays on the primary even with a spare elsewhere.
  con->transactionMode = 1;
  SQLHSTMT c = nullptr;
  ASSERT_EQ(sqlAllocHstmt(con, &c, SQL_HSTMT_PRIMARY), 0);
  EXPECT_EQ(hdbcOf(con, c), newer);
  EXPECT_EQ(con->spareHdbc, first);
  ASSERT_EQ(sqlDropHstmt(con, c, SQL_DROP), 0);
  ASSERT_EQ(sqlDropHstmt(con, b, SQL_DROP), 0);  // primary freed: the other spare closes
  EXPECT_EQ(con->spareHdbc, newer);
  EXPECT_EQ(fake.count(" SQLDisconnect"), 1u);
  // In a transaction, mode 0 does not take a spare that is the primary itself.
  SQLHSTMT d = nullptr;
  ASSERT_EQ(sqlAllocHstmt(con, &d, SQL_HSTMT_ANY), 0);
  EXPECT_NE(hdbcOf(con, d), newer);
  EXPECT_EQ(fake.count("SQLDriverConnect "), 3u);
  // ... and mode 1 clears such a spare and uses the primary.
  SQLHSTMT f = nullptr;
  ASSERT_EQ(sqlAllocHstmt(con, &f, SQL_HSTMT_PRIMARY), 0);
  EXPECT_EQ(hdbcOf(con, f), newer);
  EXPECT_EQ(con->spareHdbc, nullptr);
  con->transactionMode = 0;
  // Logoff closes every connection, the map's included.
  EXPECT_EQ(cmgLogoff(con), 0);
  EXPECT_EQ(fake.count(" SQLDisconnect"), fake.count("SQLDriverConnect "));
  EXPECT_EQ(fake.count(" SQLFreeConnect"), fake.count("SQLDriverConnect "));
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

// A driver that allows one connection never gets extra ones, even with one statement.
TEST(Statements, OneConnectionDriverNeverGetsExtras) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  Env e;
  FakeDriver fake("hstmt_solo", std::string("info 0 short 1\n") + kOneStatement);
  cmg_capabilities* con = cmgLogon(e.env, nullptr, fake.connect().c_str(), 0);
  ASSERT_NE(con, nullptr) << errors.lastText();
  EXPECT_FALSE(sqlSingleStatementMode(con));
  SQLHSTMT a = nullptr, b = nullptr;
  ASSERT_EQ(sqlAllocHstmt(con, &a, SQL_HSTMT_ANY), 0);
  ASSERT_EQ(sqlAllocHstmt(con, &b, SQL_HSTMT_PRIMARY), 0);
  EXPECT_EQ(hdbcOf(con, a), con->hdbc);
  EXPECT_EQ(hdbcOf(con, b), con->hdbc);
  EXPECT_EQ(fake.count("SQLDriverConnect "), 1u);
  // Logoff with statements still allocated: one connection, closed once.
  EXPECT_EQ(cmgLogoff(con), 0);
  EXPECT_EQ(fake.count(" SQLDisconnect"), 1u);
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

// An extra connection the driver refuses fails the allocation with the driver's message.
TEST(Statements, RefusedExtraConnection) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  Env e;
  FakeDriver fake("hstmt_refused", kOneStatement);
  cmg_capabilities* con = cmgLogon(e.env, nullptr, fake.connect().c_str(), 0);
  ASSERT_NE(con, nullptr) << errors.lastText();
  SQLHSTMT a = nullptr, b = nullptr;
  ASSERT_EQ(sqlAllocHstmt(con, &a, SQL_HSTMT_ANY), 0);
  // From now on the driver refuses connections.
  std::ofstream(FakeDriver::winPath(fake.scriptPath), std::ios::app)
      << "return SQLDriverConnect -1 08004 0 full\n";
  EXPECT_EQ(sqlAllocHstmt(con, &b, SQL_HSTMT_ANY), 1);
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(errors.lastText(), "full");
  EXPECT_EQ(sqlHstmtCount(con), 1u);
  EXPECT_EQ(sqlDropHstmt(con, a, SQL_DROP), 0);
  EXPECT_EQ(cmgLogoff(con), 0);
}

}  // namespace
