// Driver options on real connections (SQLite and PostgreSQL through the driver manager)
// and on the scripted driver, which logs what reached it: information passed through,
// the driver manager's trace file, isolation levels with the lock option and the
// locking duration, and the literal prefixes and suffixes of the type table.
#include "dbsql/cmgdriveropt.h"
#include "dbsql/cmgenv.h"
#include "dbsql/sqlmessages.h"
#include "fake_driver.h"
#include "pg_support.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

// The real data sources a test runs on: SQLite always, PostgreSQL when the session
// started its server.
std::vector<const char*> realSources() {
  std::vector<const char*> out{"DSN=OrvanelTest"};
  if (PostgresServer::running()) out.push_back(POSTGRES_DSN);
  return out;
}

// The number of entries on the list, all of which must be warnings.
size_t onlyWarnings(const ThreadErrors& errors) {
  size_t n = 0;
  for (JxNode* e = errors.list.first(); e; e = errors.list.after(e), ++n)
    EXPECT_TRUE(static_cast<JxError*>(e)->isWarning()) << static_cast<JxError*>(e)->getText();
  return n;
}

long fileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return -1;
  return static_cast<long>(d.nFileSizeLow);
}

// The information items are the driver's own answers, cut and flagged as the driver
// does it; an item the driver does not know is its failure.
TEST(DriverOptions, GetInfoPassesThrough) {
  for (const char* dsn : realSources()) {
    SCOPED_TRACE(dsn);
    ThreadErrors errors;
    Logon l(dsn);
    ASSERT_NE(l.con, nullptr) << errors.lastText();
    char direct[64] = "", ours[64] = "";
    SQLSMALLINT directLength = 0;
    int16_t ourLength = 0;
    ASSERT_EQ(SQLGetInfo(l.con->hdbc, SQL_DBMS_NAME, direct, sizeof direct, &directLength), SQL_SUCCESS);
    EXPECT_EQ(cmgODBCGetInfo(l.con, SQL_DBMS_NAME, ours, sizeof ours, &ourLength), 0);
    EXPECT_STREQ(ours, direct);
    EXPECT_EQ(ourLength, directLength);
    EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
    SQLUSMALLINT identifierCase = 0;
    EXPECT_EQ(cmgODBCGetInfo(l.con, SQL_IDENTIFIER_CASE, &identifierCase, sizeof identifierCase, nullptr), 0);
    EXPECT_EQ(identifierCase, l.con->identifierCase);

    // A short buffer: whatever the driver does with it (cut the text, answer the full
    // length, warn) comes back unchanged; a warning is added as a warning.
    char directShort[4] = "xyz", shortBuffer[4] = "xyz";
    SQLRETURN rc = SQLGetInfo(l.con->hdbc, SQL_DBMS_NAME, directShort, sizeof directShort, &directLength);
    EXPECT_EQ(cmgODBCGetInfo(l.con, SQL_DBMS_NAME, shortBuffer, sizeof shortBuffer, &ourLength), 0);
    EXPECT_STREQ(shortBuffer, directShort);
    EXPECT_EQ(ourLength, directLength);
    EXPECT_EQ(onlyWarnings(errors), rc == SQL_SUCCESS_WITH_INFO ? 1u : 0u);

    errors.clear();
    EXPECT_EQ(cmgODBCGetInfo(l.con, 9999, ours, sizeof ours, &ourLength), 1);
    EXPECT_FALSE(errors.numbers().empty());
  }
  ThreadErrors errors;
  EXPECT_EQ(cmgODBCGetInfo(nullptr, SQL_DBMS_NAME, nullptr, 0, nullptr), 1);
  EXPECT_EQ(errors.last(), SQLMSG_MISSING_ARGUMENT);
}

// Tracing reaches the driver manager (unixODBC under Wine, which takes the file name as
// a path of the host): its trace file appears, grows while tracing is on and stops
// growing when it is switched off.
TEST(DriverOptions, TracingWritesTheDriverManagersTraceFile) {
  for (const char* dsn : realSources()) {
    SCOPED_TRACE(dsn);
    ThreadErrors errors;
    Logon l(dsn);
    ASSERT_NE(l.con, nullptr) << errors.lastText();
    std::string host = FakeDriver::hostDir() + "/dbsql_driveropt_trace.log";
    std::string file = FakeDriver::winPath(host);
    DeleteFileA(file.c_str());
    ASSERT_EQ(cmgSetDriverTracefile(l.con, host.c_str()), 0) << errors.lastText();
    char named[512] = "";
    SQLGetConnectOption(l.con->hdbc, SQL_OPT_TRACEFILE, named);
    EXPECT_EQ(std::string(named), host);
    EXPECT_EQ(fileSize(file), -1);  // nothing traced yet

    ASSERT_EQ(cmgSetDriverTracing(l.con, 1), 0) << errors.lastText();
    char text[64];
    int16_t length = 0;
    EXPECT_EQ(cmgODBCGetInfo(l.con, SQL_DBMS_NAME, text, sizeof text, &length), 0);
    long first = fileSize(file);
    EXPECT_GT(first, 0);
    EXPECT_EQ(cmgODBCGetInfo(l.con, SQL_DRIVER_NAME, text, sizeof text, &length), 0);
    long second = fileSize(file);
    EXPECT_GT(second, first);

    ASSERT_EQ(cmgSetDriverTracing(l.con, 0), 0) << errors.lastText();
    long off = fileSize(file);
    EXPECT_EQ(cmgODBCGetInfo(l.con, SQL_DBMS_NAME, text, sizeof text, &length), 0);
    EXPECT_EQ(fileSize(file), off);
    EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
    DeleteFileA(file.c_str());
  }
  ThreadErrors errors;
  EXPECT_EQ(cmgSetDriverTracing(nullptr, 1), 1);
  EXPECT_EQ(cmgSetDriverTracefile(nullptr, "x.log"), 1);
  EXPECT_EQ(errors.last(), SQLMSG_MISSING_ARGUMENT);
}

// The levels are the driver's: its mask passed on, a level it takes read back, and a
// level it lacks refused with the driver manager's message, the level unchanged.
TEST(DriverOptions, IsolationLevelsOnRealDrivers) {
  for (const char* dsn : realSources()) {
    SCOPED_TRACE(dsn);
    ThreadErrors errors;
    Logon l(dsn);
    ASSERT_NE(l.con, nullptr) << errors.lastText();
    SQLUINTEGER direct = 0;
    ASSERT_EQ(SQLGetInfo(l.con->hdbc, SQL_TXN_ISOLATION_OPTION, &direct, sizeof direct, nullptr),
              SQL_SUCCESS);
    uint16_t mask = 0;
    EXPECT_EQ(cmgGetSupportedIsolationLevels(l.con, &mask), 0);
    EXPECT_EQ(mask, direct);
    EXPECT_TRUE(mask & SQL_TXN_SERIALIZABLE);
    bool postgres = strcmp(dsn, POSTGRES_DSN) == 0;
    // SQLite knows only serializable; PostgreSQL all four levels.
    EXPECT_EQ(mask, postgres ? SQL_TXN_READ_UNCOMMITTED | SQL_TXN_READ_COMMITTED | SQL_TXN_REPEATABLE_READ |
                                   SQL_TXN_SERIALIZABLE
                             : SQL_TXN_SERIALIZABLE);

    uint16_t level = 0;
    for (uint16_t asked :
         {SQL_TXN_SERIALIZABLE, SQL_TXN_READ_COMMITTED | CMG_ISOLATION_LOCKS, SQL_TXN_REPEATABLE_READ}) {
      errors.clear();
      EXPECT_EQ(cmgSetIsolationLevel(l.con, asked), 0) << errors.lastText();
      EXPECT_EQ(cmgGetIsolationLevel(l.con, &level), 0);
      // PostgreSQL takes each level; SQLite stays serializable and warns that it
      // changed the value (whatever was asked). The lock option, which neither driver
      // knows, is no failure.
      uint16_t wanted = asked & CMG_ISOLATION_LEVEL_BITS;
      EXPECT_EQ(level, postgres ? wanted : SQL_TXN_SERIALIZABLE) << asked;
      EXPECT_EQ(onlyWarnings(errors), postgres ? 0u : 1u) << errors.lastText();
      // Neither answers the locking duration, and neither data source sets one.
      EXPECT_EQ(l.con->flagsB & (CMG_B_LOCK_DURATION1 | CMG_B_LOCK_DURATION2), CMG_B_LOCK_DURATION1);
    }
    errors.clear();
    uint16_t before = 0;
    ASSERT_EQ(cmgGetIsolationLevel(l.con, &before), 0);
    EXPECT_EQ(cmgSetIsolationLevel(l.con, 16), 1);  // ODBC 2's versioning level
    EXPECT_EQ(errors.last(), SQLMSG_DRIVER_ERROR) << errors.lastText();
    EXPECT_EQ(cmgGetIsolationLevel(l.con, &level), 0);
    EXPECT_EQ(level, before);
  }
  ThreadErrors errors;
  uint16_t untouched = 77;
  EXPECT_EQ(cmgGetIsolationLevel(nullptr, &untouched), 1);
  EXPECT_EQ(cmgGetSupportedIsolationLevels(nullptr, &untouched), 1);
  EXPECT_EQ(cmgSetIsolationLevel(nullptr, 2), 1);
  EXPECT_EQ(untouched, 77);
}

// On the scripted driver the log shows what was sent: the level's low 12 bits, then
// option 1040 as the lock bit asks; the locking duration is read again from the driver.
TEST(DriverOptions, IsolationLevelOnTheScriptedDriver) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  FakeDriver fake("driveropt_isolation", "info 72 int 15\ninfo 1024 short 2\n");
  Logon l(fake.connect());
  ASSERT_NE(l.con, nullptr) << errors.lastText();
  size_t durationReads = fake.count("SQLGetInfo 1024");
  EXPECT_EQ(cmgSetIsolationLevel(l.con, SQL_TXN_READ_COMMITTED | CMG_ISOLATION_LOCKS), 0)
      << errors.lastText();
  std::vector<std::string> options = fake.logLines("SQLSetConnectOption 10");
  ASSERT_GE(options.size(), 2u);
  EXPECT_NE(options[options.size() - 2].find("SQLSetConnectOption 108 2"), std::string::npos);
  EXPECT_NE(options.back().find("SQLSetConnectOption 1040 1"), std::string::npos);
  EXPECT_EQ(fake.count("SQLGetInfo 1024"), durationReads + 1);
  EXPECT_EQ(l.con->flagsB & (CMG_B_LOCK_DURATION1 | CMG_B_LOCK_DURATION2), CMG_B_LOCK_DURATION2);
  uint16_t level = 0, mask = 0;
  EXPECT_EQ(cmgGetIsolationLevel(l.con, &level), 0);
  EXPECT_EQ(level, SQL_TXN_READ_COMMITTED);
  EXPECT_EQ(cmgGetSupportedIsolationLevels(l.con, &mask), 0);
  EXPECT_EQ(mask, 15);

  // Without the lock bit the option is switched off; the bits above 0x1000 are not
  // part of the level.
  EXPECT_EQ(cmgSetIsolationLevel(l.con, 0x2000 | SQL_TXN_SERIALIZABLE), 0);
  options = fake.logLines("SQLSetConnectOption 10");
  EXPECT_NE(options[options.size() - 2].find("SQLSetConnectOption 108 8"), std::string::npos);
  EXPECT_NE(options.back().find("SQLSetConnectOption 1040 0"), std::string::npos);
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

// A level the driver refuses: its message, status 1, and the locking duration not read
// again; the lock option is still sent. A driver without the mask answers its failure
// and leaves the out-parameter alone.
TEST(DriverOptions, RefusedLevelOnTheScriptedDriver) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  FakeDriver fake("driveropt_refused",
                  "info 1024 short 2\nreturn SQLSetConnectOption:108 -1 S1009 0 [fake] no such level\n");
  Logon l(fake.connect());
  ASSERT_NE(l.con, nullptr) << errors.lastText();
  uint32_t flags = l.con->flagsB;
  size_t durationReads = fake.count("SQLGetInfo 1024");
  EXPECT_EQ(cmgSetIsolationLevel(l.con, SQL_TXN_READ_COMMITTED | CMG_ISOLATION_LOCKS), 1);
  EXPECT_EQ(errors.last(), SQLMSG_DRIVER_ERROR);
  EXPECT_NE(errors.lastText().find("no such level"), std::string::npos) << errors.lastText();
  EXPECT_NE(fake.logLines("SQLSetConnectOption 10").back().find("SQLSetConnectOption 1040 1"),
            std::string::npos);
  EXPECT_EQ(fake.count("SQLGetInfo 1024"), durationReads);
  EXPECT_EQ(l.con->flagsB, flags);

  errors.clear();
  uint16_t mask = 77;
  EXPECT_EQ(cmgGetSupportedIsolationLevels(l.con, &mask), 1);  // the script does not answer item 72
  EXPECT_FALSE(errors.numbers().empty());
  EXPECT_EQ(mask, 77);
}

// A driver that does not answer the locking duration: the data source's setting counts,
// as when the connection was profiled, rather than a fixed duration of 1.
TEST(DriverOptions, LockingDurationFromTheSettingsFile) {
  REQUIRE_FAKE_DRIVER();
  for (const char* setting : {"2", "1", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(setting ? setting : "none");
    ThreadErrors errors;
    OdbcIniKeys ini("OrvanelFake");
    if (setting) ini.set("JxLockingDuration", setting);
    FakeDriver fake("driveropt_duration", "info 72 int 15\n");
    Logon l(fake.connect());
    ASSERT_NE(l.con, nullptr) << errors.lastText();
    uint32_t profiled = l.con->flagsB & (CMG_B_LOCK_DURATION1 | CMG_B_LOCK_DURATION2);
    EXPECT_EQ(profiled, setting && setting[0] == '2' ? CMG_B_LOCK_DURATION2 : CMG_B_LOCK_DURATION1);
    EXPECT_EQ(cmgSetIsolationLevel(l.con, SQL_TXN_SERIALIZABLE), 0) << errors.lastText();
    EXPECT_EQ(l.con->flagsB & (CMG_B_LOCK_DURATION1 | CMG_B_LOCK_DURATION2), profiled);
  }
}

// The literal forms of the date type as the driver reports them in SQLGetTypeInfo, and
// none for a type without one.
TEST(Literals, DatePrefixAsTheDriverReportsIt) {
  for (const char* dsn : realSources()) {
    SCOPED_TRACE(dsn);
    ThreadErrors errors;
    Logon l(dsn);
    ASSERT_NE(l.con, nullptr) << errors.lastText();
    // The driver's own answer for its date type.
    SQLHSTMT hstmt = nullptr;
    ASSERT_EQ(SQLAllocStmt(l.con->hdbc, &hstmt), SQL_SUCCESS);
    ASSERT_EQ(SQLGetTypeInfo(hstmt, SQL_DATE), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(hstmt), SQL_SUCCESS);
    char prefix[129] = "", suffix[129] = "";
    SQLLEN prefixLength = 0, suffixLength = 0;
    SQLGetData(hstmt, 4, SQL_C_CHAR, prefix, sizeof prefix, &prefixLength);
    SQLGetData(hstmt, 5, SQL_C_CHAR, suffix, sizeof suffix, &suffixLength);
    SQLFreeStmt(hstmt, SQL_DROP);
    ASSERT_GT(prefixLength, 0);
    ASSERT_NE(cmgLiteralPrefix(l.con, SQL_DATE), nullptr);
    EXPECT_STREQ(cmgLiteralPrefix(l.con, SQL_DATE), prefix);
    ASSERT_NE(cmgLiteralSuffix(l.con, SQL_DATE), nullptr);
    EXPECT_STREQ(cmgLiteralSuffix(l.con, SQL_DATE), suffix);
    EXPECT_STREQ(cmgLiteralPrefix(l.con, SQL_DATE), "'");  // both drivers quote dates
    EXPECT_EQ(cmgLiteralPrefix(l.con, SQL_INTEGER), nullptr);
    EXPECT_EQ(cmgLiteralSuffix(l.con, SQL_INTEGER), nullptr);
  }
  EXPECT_EQ(cmgLiteralPrefix(nullptr, SQL_DATE), nullptr);
}

// The first entry of a type counts; an entry with only a prefix has no suffix.
TEST(Literals, ScriptedTypeTable) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  FakeDriver fake("driveropt_literals",
                  "result TYPEINFO\n"
                  "columns TYPE_NAME:text DATA_TYPE:short PRECISION:int LITERAL_PREFIX:text "
                  "LITERAL_SUFFIX:text CREATE_PARAMS:text NULLABLE:short CASE_SENSITIVE:short "
                  "SEARCHABLE:short UNSIGNED_ATTRIBUTE:short MONEY:short\n"
                  "row INTEGER | 4 | 10 | \\N | \\N | \\N | 1 | 0 | 2 | 0 | 0\n"
                  "row DATE | 9 | 10 | {d ' | '} | \\N | 1 | 0 | 2 | \\N | 0\n"
                  "row OLDDATE | 9 | 10 | # | # | \\N | 1 | 0 | 2 | \\N | 0\n"
                  "row BIT | -7 | 1 | B | \\N | \\N | 1 | 0 | 2 | \\N | 0\n");
  Logon l(fake.connect());
  ASSERT_NE(l.con, nullptr) << errors.lastText();
  EXPECT_STREQ(cmgLiteralPrefix(l.con, SQL_DATE), "{d '");
  EXPECT_STREQ(cmgLiteralSuffix(l.con, SQL_DATE), "'}");
  EXPECT_STREQ(cmgLiteralPrefix(l.con, SQL_BIT), "B");
  EXPECT_EQ(cmgLiteralSuffix(l.con, SQL_BIT), nullptr);
  EXPECT_EQ(cmgLiteralPrefix(l.con, SQL_INTEGER), nullptr);
  EXPECT_EQ(cmgLiteralPrefix(l.con, SQL_TIMESTAMP), nullptr);
}

}  // namespace
