// The driver-message service: SQLSTATEs as base-36 numbers, ODBC 3 states in their
// ODBC 2 form, and what each return code of a driver call leaves on the thread's error
// list, through Wine's odbc32 and the host's driver manager to the SQLite driver and
// the scripted test driver.
#include "dbsql/cmgdriver.h"
#include "dbsql/cmgenv.h"
#include "dbsql/sqlhstmt.h"
#include "fake_driver.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

TEST(DriverMessages, StateNumbers) {
  struct Case {
    const char* state;
    int32_t number;
  } cases[] = {{"S1000", 47075904},
               {"08001", 373249},
               {"00000", 0},
               {"01004", 46660},
               {"S1091", 47075904 + 36 * 9 + 1},
               {"ZZZZZ", 60466175},
               {"HY000", 30139776}};
  for (const Case& c : cases) EXPECT_EQ(cmgStateNumber(c.state), c.number) << c.state;
}

TEST(DriverMessages, Odbc3StatesMapped) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"HY000", "S1000"}, {"HY091", "S1091"}, {"HYC00", "S1C00"}, {"HYT00", "S1T00"},
               {"42S02", "S0002"}, {"42000", "37000"}, {"07009", "S1002"}, {"S1000", "S1000"},
               {"01004", "01004"}, {"08001", "08001"}, {"HZ000", "HZ000"}};
  for (const Case& c : cases) {
    char state[6];
    strcpy(state, c.in);
    cmgOdbc2State(state);
    EXPECT_STREQ(state, c.out) << c.in;
  }
}

struct Raw {
  explicit Raw(const std::string& connect) : env(cmgInit(CMG_API_CALLER)) {
    if (!env || SQLAllocConnect(env->henv, &hdbc) != SQL_SUCCESS) return;
    SQLRETURN rc = SQLDriverConnect(hdbc, nullptr, (SQLCHAR*)connect.c_str(), SQL_NTS, nullptr, 0, nullptr,
                                    SQL_DRIVER_NOPROMPT);
    connected = rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
    if (connected) SQLAllocStmt(hdbc, &hstmt);
  }
  ~Raw() {
    if (hstmt) SQLFreeStmt(hstmt, SQL_DROP);
    if (connected) SQLDisconnect(hdbc);
    if (hdbc) SQLFreeConnect(hdbc);
    if (env) cmgTerm(env);
  }
  SQLRETURN exec(const char* sql) { return SQLExecDirect(hstmt, (SQLCHAR*)sql, SQL_NTS); }
  cmgInfo* env;
  SQLHDBC hdbc = nullptr;
  SQLHSTMT hstmt = nullptr;
  bool connected = false;
};

// What SQLError itself hands an ODBC 2 application for a failed statement.
std::string rawState(Raw& raw) {
  SQLCHAR state[6] = "";
  SQLCHAR text[512];
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  SQLError(raw.env->henv, raw.hdbc, raw.hstmt, state, &native, text, sizeof text, &length);
  return reinterpret_cast<char*>(state);
}

// The states of the SQLite driver (an ODBC 3 driver) reach an ODBC 2 application in
// their ODBC 2 form: the driver manager maps them, and the layer's own map stays idle.
TEST(DriverMessages, SqliteStatesArriveInOdbc2Form) {
  ThreadErrors errors;
  Raw raw("DSN=OrvanelTest");
  ASSERT_TRUE(raw.connected);
  ASSERT_EQ(raw.exec("SELECT * FROM no_such_table"), SQL_ERROR);
  std::string state = rawState(raw);
  EXPECT_TRUE(state == "S1000" || state == "S0002" || state == "37000") << state;
  ASSERT_EQ(raw.exec("SELEKT 1"), SQL_ERROR);
  CmgDriverMessages m;
  int32_t number = cmgCollectDriverMessages(raw.env, raw.hdbc, raw.hstmt, &m);
  EXPECT_TRUE(number == cmgStateNumber("S1000") || number == cmgStateNumber("37000")) << number;
  EXPECT_GT(m.length, 0u);
  EXPECT_EQ(strlen(m.text), m.length);
  // An option the driver does not know: S1092 or S1C00 in the ODBC 2 form.
  SQLRETURN rc = SQLSetStmtOption(raw.hstmt, 4711, 1);
  if (rc == SQL_ERROR) {
    std::string s = rawState(raw);
    EXPECT_NE(s.substr(0, 2), "HY") << s;
  }
}

TEST(DriverMessages, ReturnCodesTable) {
  REQUIRE_FAKE_DRIVER();
  struct Case {
    const char* name;
    const char* script;  // scripted outcome of SQLExecDirect
    int result;
    unsigned short number;  // 0: nothing added
    bool warning;
    unsigned long native;
    const char* text;
    const char* state;  // the kept state
  } cases[] = {
      {"success", "", 0, 0, false, 0, "", nullptr},
      {"info", "return SQLExecDirect 1 01004 0 [fake] cut\n", 0, 4536, true, 0, "[fake] cut", "01004"},
      {"error", "return SQLExecDirect -1 S1000 0 [fake] broken\n", 1, 4535, false, 0, "[fake] broken",
       "S1000"},
      {"native", "return SQLExecDirect -1 S1000 2601 [fake] duplicate\n", 1, 4, false, 2601,
       "[fake] duplicate", "S1000"},
      {"native_warning", "return SQLExecDirect 1 01000 77 [fake] note\n", 0, 4, true, 77, "[fake] note",
       "01000"},
      // Three messages: the first error state stays. The driver manager hands errors
      // on before warnings, so the warning's text comes last.
      {"three",
       "return SQLExecDirect -1 01004 0 one.\nreturn SQLExecDirect -1 S1000 0 two.\n"
       "return SQLExecDirect -1 08001 5 three.\n",
       1, 4, false, 5, "two.three.one.", "S1000"},
      {"odbc3_state", "return SQLExecDirect -1 HY091 0 [fake] new style\n", 1, 4535, false, 0,
       "[fake] new style", "S1091"},
      {"no_data", "return SQLExecDirect 100\n", 1, 4530, false, 0,
       "EOF. Returned when there is no row to return.", nullptr},
      {"silent_error", "return SQLExecDirect -1\n", 1, 4535, false, 0, "The ODBC driver manager answered -1.",
       nullptr},
  };
  for (const Case& c : cases) {
    FakeDriver fake(std::string("msg_") + c.name, c.script);
    Raw raw(fake.connect());
    ASSERT_TRUE(raw.connected) << c.name;
    ThreadErrors errors;
    SQLRETURN rc = raw.exec("UPDATE t SET a = 1");
    if (c.state) {
      CmgDriverMessages m;
      EXPECT_EQ(cmgCollectDriverMessages(raw.env, raw.hdbc, raw.hstmt, &m), cmgStateNumber(c.state))
          << c.name;
      EXPECT_STREQ(m.text, c.text) << c.name;
      EXPECT_EQ(m.nativeCode, static_cast<int32_t>(c.native)) << c.name;
      rc = raw.exec("UPDATE t SET a = 1");
    }
    raw.env->callerFlags = CMG_API_CALLER | (c.warning ? 0 : CMG_LAST_INFO);
    EXPECT_EQ(cmgSetDriverError(raw.env, raw.hdbc, raw.hstmt, rc), c.result) << c.name;
    if (!c.number) {
      EXPECT_TRUE(errors.numbers().empty()) << c.name;
      continue;
    }
    ASSERT_EQ(errors.numbers().size(), 1u) << c.name;
    EXPECT_EQ(errors.numbers()[0], c.number) << c.name;
    JxError* e = JxErrorKeeper::getLastError();
    EXPECT_EQ(e->isWarning() != 0, c.warning) << c.name;
    EXPECT_EQ(e->getNativeCode(), c.native) << c.name;
    EXPECT_EQ(errors.lastText(), c.text) << c.name;
    // The environment's status bit: set by a call with information, cleared otherwise.
    EXPECT_EQ((raw.env->callerFlags & CMG_LAST_INFO) != 0, rc == SQL_SUCCESS_WITH_INFO) << c.name;
  }
  ThreadErrors errors;
  EXPECT_EQ(cmgSetDriverError(nullptr, nullptr, nullptr, SQL_INVALID_HANDLE), 1);
  EXPECT_EQ(errors.numbers(), std::vector<unsigned short>{4525});
}

// Long texts are cut at the record's 1024 bytes, and the rest of the messages is still
// drained and read.
TEST(DriverMessages, LongTextsCut) {
  REQUIRE_FAKE_DRIVER();
  std::string script;
  for (int i = 0; i < 4; ++i)
    script += "return SQLExecDirect -1 01004 0 " + std::string(400, char('a' + i)) + "\n";
  script += "return SQLExecDirect -1 S1001 0 last\n";
  FakeDriver fake("msg_long", script);
  Raw raw(fake.connect());
  ASSERT_TRUE(raw.connected);
  raw.exec("DELETE FROM t");
  CmgDriverMessages m;
  EXPECT_EQ(cmgCollectDriverMessages(raw.env, raw.hdbc, raw.hstmt, &m), cmgStateNumber("S1001"));
  EXPECT_EQ(m.length, 1023u);
  EXPECT_EQ(strlen(m.text), 1023u);
  // Errors come first from the driver manager: "last", then the warnings' texts.
  EXPECT_EQ(std::string(m.text, 5), "lasta");
  EXPECT_EQ(m.text[404], 'b');
}

// The statement-level checks find the statement's own connection: on a driver with one
// active statement per connection a second statement runs on another connection, and
// its messages are read there.
TEST(DriverMessages, StatementLevelChecks) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  cmgInfo* env = cmgInit(CMG_API_CALLER);
  ASSERT_NE(env, nullptr);
  FakeDriver fake("msg_statement",
                  "info 1 short 1\nreturn SQLExecDirect -1 S1000 0 [fake] statement failed\n");
  cmg_capabilities* con = cmgLogon(env, nullptr, fake.connect().c_str(), 0);
  ASSERT_NE(con, nullptr) << errors.lastText();
  SQLHSTMT a = nullptr, b = nullptr;
  ASSERT_EQ(sqlAllocHstmt(con, &a, SQL_HSTMT_ANY), 0);
  ASSERT_EQ(sqlAllocHstmt(con, &b, SQL_HSTMT_ANY), 0);
  SQLRETURN rc = SQLExecDirect(b, (SQLCHAR*)"DELETE FROM t", SQL_NTS);
  EXPECT_EQ(sqlHstmtState(con, b), cmgStateNumber("S1000"));
  rc = SQLExecDirect(b, (SQLCHAR*)"DELETE FROM t", SQL_NTS);
  EXPECT_TRUE(errors.numbers().empty());
  EXPECT_EQ(sqlCheckHstmt(con, b, rc), 1);
  EXPECT_EQ(errors.lastText(), "[fake] statement failed");
  errors.clear();
  rc = SQLExecDirect(a, (SQLCHAR*)"DELETE FROM t", SQL_NTS);
  con->lock->lock();
  EXPECT_EQ(sqlCheckHstmtUnlock(con, a, rc), 1);
  EXPECT_EQ(errors.lastText(), "[fake] statement failed");
  EXPECT_EQ(sqlHstmtState(con, reinterpret_cast<SQLHSTMT>(0x1234)), -1);  // not in the map
  EXPECT_EQ(sqlDropHstmt(con, a, SQL_DROP), 0);
  EXPECT_EQ(sqlDropHstmt(con, b, SQL_DROP), 0);
  EXPECT_EQ(cmgTerm(env), 0);
}

}  // namespace
