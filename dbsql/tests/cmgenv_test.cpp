// The environment and real logons through JXSQL04.dll, Wine's odbc32 and the host's
// driver manager to the test DSNs "OrvanelTest" (SQLite) and "OrvanelFiles" (the same
// driver under a name carrying a file pattern).
#include "dbsql/cmgenv.h"
#include "dbsql/sqlmessages.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const CmgDataSource* source(const cmgInfo* env, const char* name) {
  for (uint16_t i = 0; i < env->sourceCount; ++i)
    if (std::string(env->sources[i].name) == name) return &env->sources[i];
  return nullptr;
}

std::string info(cmg_capabilities* con, uint16_t item, const char* in = "") {
  char buffer[300];
  strcpy(buffer, in);
  if (cmgGetInfo(con, item, buffer, sizeof buffer)) return "<failed>";
  return buffer;
}

TEST(Environment, ListsTheDataSourcesWithTheirFilePatterns) {
  ThreadErrors errors;
  cmgInfo* env = cmgInit(CMG_API_CALLER);
  ASSERT_NE(env, nullptr) << errors.lastText();
  EXPECT_EQ(env->callerFlags, CMG_API_CALLER);
  EXPECT_EQ(env->one, 1);
  EXPECT_NE(env->henv, nullptr);
  const CmgDataSource* test = source(env, "OrvanelTest");
  const CmgDataSource* files = source(env, "OrvanelFiles");
  ASSERT_NE(test, nullptr);
  ASSERT_NE(files, nullptr);
  EXPECT_EQ(test->filePattern, nullptr);
  ASSERT_NE(files->filePattern, nullptr);
  EXPECT_STREQ(files->filePattern, "*.ovd,*.ovx;*.ovz");
  EXPECT_EQ(cmgTerm(env), 0);
  EXPECT_TRUE(errors.numbers().empty());
}

TEST(Environment, RealLogonsAreNumberedAndFound) {
  ThreadErrors errors;
  cmgInfo* env = cmgInit(CMG_API_CALLER);
  ASSERT_NE(env, nullptr);
  cmg_capabilities* first = cmgLogon(env, nullptr, "DSN=OrvanelTest", 0);
  ASSERT_NE(first, nullptr) << errors.lastText();
  cmg_capabilities* second = cmgLogon(env, nullptr, "DSN=OrvanelTest", 0);
  ASSERT_NE(second, nullptr) << errors.lastText();
  EXPECT_NE(first->hdbc, nullptr);
  EXPECT_STREQ(first->sourceName, "OrvanelTest");
  EXPECT_EQ(first->number, 1);
  EXPECT_EQ(second->number, 2);
  EXPECT_EQ(info(first, CMG_INFO_DISPLAY_NAME), "OrvanelTest");
  EXPECT_EQ(info(second, CMG_INFO_DISPLAY_NAME), "OrvanelTest2-OrvanelTest");
  EXPECT_EQ(cmgConFromString(env, CMG_FIND_DISPLAY_NAME, "orvaneltest2-ORVANELTEST"), second);
  EXPECT_EQ(cmgConFromString(env, CMG_FIND_SOURCE_NAME, "ORVANELTEST"), second);
  EXPECT_EQ(cmgGetCursorOptions(first), CMG_CURSOR_DEFAULT & CMG_CURSOR_BITS);
  uint32_t rows = 0;
  EXPECT_EQ(cmgGetMaxRows(first, &rows), 0);
  EXPECT_EQ(rows, 0xFFFFFFFFu);
  // A driver that is not a file driver answers its own terms.
  EXPECT_NE(info(first, CMG_INFO_TABLE_TERM), "File &Name");
  EXPECT_NE(info(first, CMG_INFO_TABLE_TERM), "<failed>");
  std::string list = info(first, CMG_INFO_TABLE_LIST);
  EXPECT_EQ(list.substr(list.size() - 5), " List") << list;
  EXPECT_EQ(cmgLogoff(second), 0);
  EXPECT_EQ(cmgConFromString(env, CMG_FIND_DISPLAY_NAME, "OrvanelTest2-OrvanelTest"), nullptr);
  EXPECT_EQ(cmgLogoff(first), 0);
  EXPECT_EQ(env->connections, nullptr);
  EXPECT_EQ(cmgTerm(env), 0);
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

TEST(Environment, FileDriverLogonIsFoundByExtension) {
  ThreadErrors errors;
  cmgInfo* env = cmgInit(CMG_API_CALLER);
  ASSERT_NE(env, nullptr);
  cmg_capabilities* con = cmgLogon(env, nullptr, "DSN=OrvanelFiles", 0);
  ASSERT_NE(con, nullptr) << errors.lastText();
  EXPECT_STREQ(con->filePattern, "*.ovd,*.ovx;*.ovz");
  EXPECT_TRUE(con->flagsA & CMG_A_FILE_DRIVER);
  EXPECT_EQ(cmgConFromString(env, CMG_FIND_FILE_NAME, "c:\\data\\stock.OVX"), con);
  EXPECT_EQ(cmgConFromString(env, CMG_FIND_FILE_NAME, "stock.db"), nullptr);
  EXPECT_EQ(info(con, CMG_INFO_TABLE_TERM), "File &Name");
  EXPECT_EQ(info(con, CMG_INFO_EXTENSION), "ovd");
  // cmgTerm logs the connection off itself.
  EXPECT_EQ(cmgTerm(env), 0);
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

TEST(Environment, AdoptedHandleStaysTheProgramsOwn) {
  ThreadErrors errors;
  cmgInfo* env = cmgInit(CMG_API_CALLER);
  ASSERT_NE(env, nullptr);
  SQLHDBC hdbc = nullptr;
  ASSERT_EQ(SQLAllocConnect(env->henv, &hdbc), SQL_SUCCESS);
  SQLCHAR in[] = "DSN=OrvanelTest";
  SQLCHAR out[512];
  SQLSMALLINT outLength = 0;
  SQLRETURN rc =
      SQLDriverConnect(hdbc, nullptr, in, SQL_NTS, out, sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
  ASSERT_TRUE(rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO);
  cmg_capabilities* first = cmgLogon(env, nullptr, "DSN=OrvanelTest", 0);
  cmg_capabilities* adopted = cmgLogonWithODBCHdbc(env, hdbc);
  ASSERT_TRUE(first && adopted) << errors.lastText();
  EXPECT_EQ(adopted->hdbc, hdbc);
  EXPECT_STREQ(adopted->sourceName, "OrvanelTest");
  EXPECT_STREQ(adopted->logonName, "");
  EXPECT_EQ(adopted->number, 1);
  EXPECT_EQ(env->connections, adopted);
  EXPECT_EQ(cmgLogoff(adopted), 0);
  // Still connected: the driver answers on it.
  char name[64] = "";
  SQLSMALLINT nameLength = 0;
  EXPECT_EQ(SQLGetInfo(hdbc, SQL_DATA_SOURCE_NAME, name, sizeof name, &nameLength), SQL_SUCCESS);
  EXPECT_STREQ(name, "OrvanelTest");
  SQLDisconnect(hdbc);
  SQLFreeConnect(hdbc);
  EXPECT_EQ(cmgLogonWithODBCHdbc(env, nullptr), nullptr);
  EXPECT_EQ(errors.last(), SQLMSG_MISSING_ARGUMENT);
  EXPECT_EQ(cmgTerm(env), 0);
}

TEST(Environment, FailedLogonAddsTheDriversMessageAndKeepsNothing) {
  ThreadErrors errors;
  cmgInfo* env = cmgInit(CMG_API_CALLER);
  ASSERT_NE(env, nullptr);
  EXPECT_EQ(cmgLogon(env, nullptr, "DSN=NoSuchSourceAnywhere", 0), nullptr);
  ASSERT_FALSE(errors.numbers().empty());
  EXPECT_TRUE(errors.numbers()[0] == SQLMSG_DRIVER_ERROR || errors.numbers()[0] == SQLMSG_DRIVER_NATIVE);
  EXPECT_EQ(env->connections, nullptr);
  EXPECT_EQ(cmgTerm(env), 0);
}

TEST(Environment, MissingArgumentsAreRefusedWithAMessage) {
  ThreadErrors errors;
  EXPECT_EQ(cmgTerm(nullptr), 1);
  EXPECT_EQ(cmgLogon(nullptr, nullptr, "DSN=OrvanelTest", 0), nullptr);
  EXPECT_EQ(cmgLogoff(nullptr), 1);
  EXPECT_EQ(cmgSetQueryTimeout(nullptr, 5), 1);
  EXPECT_EQ(errors.numbers(), std::vector<unsigned short>(4, SQLMSG_MISSING_ARGUMENT));
  EXPECT_EQ(errors.lastText(), "No connection was given to cmgSetQueryTimeout.");
}

}  // namespace
