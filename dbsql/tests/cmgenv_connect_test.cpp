// The driver connection: the connection string as the driver gets it (a table of
// rewrites, then what reached the scripted driver), cancelled prompts, refused
// connections, and bad settings that fail a connection without leaving a handle.
#include "dbsql/cmgdriver.h"
#include "dbsql/cmgenv.h"
#include "dbutil/jxstring.h"
#include "fake_driver.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ConnectString, RewriteTable) {
  struct Case {
    const char* text;
    const char* logon;
    uint16_t modifySql;
    const char* out;       // null: refused
    unsigned short error;  // the message of a refusal
    CmgConnectRequest request;
  } cases[] = {
      {"DSN=a;DLG=1;UID=u", "", 0, "DSN=a;UID=u", 0, {0, 0, 0}},
      {"dlg=2;DSN=a", "", 0, "DSN=a", 0, {0, 0, 0}},
      {"DRV=Sales;UID=u", "", 0, "DSN=Sales;UID=u", 0, {0, 0, 0}},
      {"DRV= jwOra", "", 0, "DSN=jXOra", 0, {0, 0, 0}},
      {"DRV=JWSS;DSN=b", "", 0, "DSN=b", 0, {0, 0, 0}},
      {"DSN=a;LOGN=Me;UID=u", "", 0, "DSN=a;UID=u", 0, {0, 0, 0}},
      {"UID=u", "Sales", 0, "UID=u;DSN=Sales", 0, {0, 0, 0}},
      {"", "", 0, "DSN=", 0, {0, 0, 0}},
      {"UID=u", nullptr, 0, nullptr, 2106, {0, 0, 0}},
      {nullptr, nullptr, 0, nullptr, 2106, {0, 0, 0}},
      {"DSN=a", "", 1, "DSN=a;ModifySql=0;", 0, {0, 0, 0}},
      {"DSN=a;", "", 1, "DSN=a;ModifySql=0;", 0, {0, 0, 0}},
      {"DSN=a;modifysql=1", "", 1, "DSN=a;modifysql=1", 0, {0, 0, 0}},
      {"DSN=a", "", 0, "DSN=a", 0, {0, 0, 0}},
      {"DSN=a;REREADAFTERINSERT=1;REREADAFTERUPDATE= 0 ;ALLOWLOCKS=2", "", 0, "DSN=a", 0, {1, 0, 2}},
      {"rereadafterupdate=-3;DSN=a", "", 0, "DSN=a", 0, {0, 0xFFFD, 0}},
      {"DSN=a;REREADAFTERINSERT=x", "", 0, nullptr, 2113, {0, 0, 0}},
      {"DSN=a;ALLOWLOCKS=99999", "", 0, nullptr, 2113, {0, 0, 0}},
      // Values holding the keywords, quoted or braced values: passed on untouched.
      {"DSN=a;PWD=xdlg=1;UID=u", "", 0, "DSN=a;PWD=xdlg=1;UID=u", 0, {0, 0, 0}},
      {"DSN=a;PWD='LOGN=me;DSN=b'", "", 0, "DSN=a;PWD='LOGN=me;DSN=b'", 0, {0, 0, 0}},
      {"DSN=a;PWD={p;DLG=2;q}", "", 0, "DSN=a;PWD={p;DLG=2;q}", 0, {0, 0, 0}},
      {"UID=dsn=x;PWD=REREADAFTERINSERT=z", "L", 0, "UID=dsn=x;PWD=REREADAFTERINSERT=z;DSN=L", 0, {0, 0, 0}},
      {"DSN=a;X=drv=b", "", 0, "DSN=a;X=drv=b", 0, {0, 0, 0}},
      // What the attribute list cannot read is refused, not guessed at.
      {"DSN=a;;UID=u", "", 0, nullptr, 2704, {0, 0, 0}},
      {"DSN=a;dsn=b", "", 0, nullptr, 2704, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    ThreadErrors errors;
    JxString out;
    CmgConnectRequest request = {7, 7, 7};
    JxStatus st = cmgRewriteConnectString(c.text, c.logon, c.modifySql, &out, &request);
    const char* label = c.text ? c.text : "<null>";
    if (c.out) {
      ASSERT_EQ(st, 0) << label << ": " << errors.lastText();
      EXPECT_STREQ(out.c_str(), c.out) << label;
      EXPECT_EQ(request.rereadAfterInsert, c.request.rereadAfterInsert) << label;
      EXPECT_EQ(request.rereadAfterUpdate, c.request.rereadAfterUpdate) << label;
      EXPECT_EQ(request.allowLocks, c.request.allowLocks) << label;
      EXPECT_TRUE(errors.numbers().empty()) << label;
    } else {
      EXPECT_EQ(st, 1) << label;
      ASSERT_FALSE(errors.numbers().empty()) << label;
      EXPECT_EQ(errors.numbers().front(), c.error) << label << ": " << errors.lastText();
    }
  }
  ThreadErrors errors;
  JxString out;
  cmgRewriteConnectString("UID=u", nullptr, 0, &out, nullptr);
  EXPECT_EQ(errors.lastText(), "Connection string must contain a DSN=<driver_name>: 'UID=u'");
  errors.clear();
  cmgRewriteConnectString(nullptr, nullptr, 0, &out, nullptr);
  EXPECT_EQ(errors.lastText(), "Connection string must contain a DSN=<driver_name>: '<NULL>'");
  errors.clear();
  cmgRewriteConnectString("DSN=a;REREADAFTERINSERT=x", "", 0, &out, nullptr);
  EXPECT_EQ(errors.lastText(), "The connection string's REREADAFTERINSERT is not a number: 'x'");
}

struct Env {
  Env() : env(cmgInit(CMG_API_CALLER)) {}
  ~Env() {
    if (env) {
      EXPECT_EQ(cmgTerm(env), 0);
    }
  }
  cmgInfo* env;
};

TEST(ConnectString, WhatReachesTheDriver) {
  REQUIRE_FAKE_DRIVER();
  ThreadErrors errors;
  Env e;
  ASSERT_NE(e.env, nullptr) << errors.lastText();
  FakeDriver fake("connect_reach", "");
  e.env->addModifySql = 1;
  cmg_capabilities* con = cmgLogon(
      e.env, nullptr,
      (fake.connect(";DLG=1;PWD={p;DLG=2};LOGN=Me;REREADAFTERINSERT=1;ALLOWLOCKS=1;UID=ann")).c_str(), 0);
  ASSERT_NE(con, nullptr) << errors.lastText();
  std::vector<std::string> lines = fake.logLines("SQLDriverConnect ");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(lines[0].find("SQLDriverConnect ") + 17),
            fake.connect(";PWD={p;DLG=2};UID=ann;ModifySql=0;"));
  EXPECT_TRUE(con->flagsB & CMG_B_REREAD_INSERT);
  EXPECT_FALSE(con->flagsB & CMG_B_REREAD_UPDATE);
  EXPECT_EQ(fake.count("SQLSetConnectOption 1040 1"), 1u);
  EXPECT_STREQ(con->logonName, "Me");
  EXPECT_STREQ(con->sourceName, "OrvanelFake");
  EXPECT_STREQ(con->userId, "ANN");
  EXPECT_EQ(cmgLogoff(con), 0);
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();

  // No "DSN=": the logon name names the data source.
  FakeDriver bare("connect_bare", "");
  con = cmgLogon(e.env, "OrvanelFake", ("Script=" + bare.scriptPath + ";Log=" + bare.logPath).c_str(), 0);
  ASSERT_NE(con, nullptr) << errors.lastText();
  lines = bare.logLines("SQLDriverConnect ");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(";DSN=OrvanelFake;ModifySql=0;"), std::string::npos) << lines[0];
  EXPECT_EQ(cmgLogoff(con), 0);
}

// The logon name comes from an item "LOGN=", never from inside another item's value.
TEST(ConnectString, LogonNameOnlyFromItsOwnItem) {
  ThreadErrors errors;
  Env e;
  struct Case {
    const char* text;
    const char* logon;
  } cases[] = {
      {"DSN=OrvanelTest;PWD='x;LOGN=evil'", ""},
      {"DSN=OrvanelTest;PWD={x;LOGN=evil}", ""},
      {"DSN=OrvanelTest;PWD=xLOGN=evil", ""},
      {"DSN=OrvanelTest; logn = Mine ;PWD='LOGN=evil'", "Mine"},
  };
  for (const Case& c : cases) {
    cmg_capabilities* con = cmgLogon(e.env, nullptr, c.text, 0);
    ASSERT_NE(con, nullptr) << c.text << ": " << errors.lastText();
    EXPECT_STREQ(con->logonName, c.logon) << c.text;
    EXPECT_EQ(cmgLogoff(con), 0);
  }
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

TEST(ConnectString, FailuresLeaveNoHandle) {
  REQUIRE_FAKE_DRIVER();
  struct Case {
    const char* name;
    const char* script;
    const char* more;    // added to the connection string
    const char* iniKey;  // a bad "ODBC.INI" setting of the data source
    const char* iniValue;
    unsigned short error;
    bool connected;  // the driver had connected before the failure
  } cases[] = {
      {"cancelled", "return SQLDriverConnect 100\n", "", nullptr, nullptr, 2101, false},
      {"refused", "return SQLDriverConnect -1 08001 0 [fake] no server\n", "", nullptr, nullptr, 4535, false},
      {"refused_native", "return SQLDriverConnect -1 08004 1017 [fake] bad password\n", "", nullptr, nullptr,
       4, false},
      {"not_number", "", ";REREADAFTERUPDATE=yes", nullptr, nullptr, 2113, false},
      {"ini_not_number", "", "", "JxDatabaseIsA", "two", 2110, true},
      {"ini_too_long", "", "", "jxPseudoColumns", nullptr, 2111, true},
      {"answer_too_long", "info 1013 text ", "", nullptr, nullptr, 2111, true},
      {"bad_info", "return SQLGetInfo:46 -1 S1000 0 [fake] broken\n", "", nullptr, nullptr, 4535, true},
      {"bad_types", "return SQLGetTypeInfo -1 S1000 0 [fake] no types\n", "", nullptr, nullptr, 4535, true},
  };
  std::string longList(1100, 'A');
  for (size_t i = 100; i < longList.size(); i += 10) longList[i] = ',';
  for (const Case& c : cases) {
    ThreadErrors errors;
    Env e;
    ASSERT_NE(e.env, nullptr);
    std::string script = c.script;
    if (std::string(c.name) == "answer_too_long") script += longList + "\n";
    FakeDriver fake(std::string("connect_") + c.name, script);
    OdbcIniKeys ini("OrvanelFake");
    if (c.iniKey) ini.set(c.iniKey, c.iniValue ? c.iniValue : longList.c_str());
    cmg_capabilities* con = cmgLogon(e.env, nullptr, fake.connect(c.more).c_str(), 0);
    EXPECT_EQ(con, nullptr) << c.name;
    EXPECT_EQ(e.env->connections, nullptr) << c.name;
    ASSERT_FALSE(errors.numbers().empty()) << c.name;
    EXPECT_EQ(errors.numbers().front(), c.error) << c.name << ": " << errors.lastText();
    // Every connection the driver saw was disconnected and freed.
    size_t connects = fake.count("SQLDriverConnect ");
    EXPECT_EQ(fake.count(" SQLDisconnect"), c.connected ? connects : 0u) << c.name << "\n" << fake.log();
    if (c.connected) {
      EXPECT_EQ(fake.count(" SQLFreeConnect"), connects) << c.name;
    }
  }
  ThreadErrors errors;
  Env e;
  FakeDriver fake("connect_cancel_text", "return SQLDriverConnect 100\n");
  EXPECT_EQ(cmgLogon(e.env, nullptr, fake.connect().c_str(), 0), nullptr);
  EXPECT_EQ(errors.lastText(), "Connection cancelled.");
  errors.clear();
  FakeDriver refused("connect_refused_text", "return SQLDriverConnect -1 08001 0 [fake] no server\n");
  EXPECT_EQ(cmgLogon(e.env, nullptr, refused.connect().c_str(), 0), nullptr);
  EXPECT_EQ(errors.lastText(), "[fake] no server");
}

}  // namespace
