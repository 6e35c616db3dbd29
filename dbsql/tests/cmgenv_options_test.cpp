// Connection options, table caching and information items, on records made through the
// stand-in connector.
#include "stand_in_connector.h"
#include "sql_test_support.h"

#include "dbutil/jxbos.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <string>

namespace {

TEST(Options, CursorOptionsWordAndItsTwoGroups) {
  ThreadErrors errors;
  StandInEnvironment s;
  struct Case {
    const char* connect;
    uint16_t word;
  } cases[] = {
      {"DSN=A", 105},
      {"DSN=A;CONFLICTS=1", 105 | 0x100},
      {"DSN=A;STMT=1", 105 | 0x2D00},
      {"DSN=A;STMT=1;CONFLICTS=1", 105 | 0x100 | 0x2D00},  // both set bit 0x100
  };
  for (const Case& c : cases) {
    cmg_capabilities* con = cmgLogon(s.env, nullptr, c.connect, 0);
    ASSERT_NE(con, nullptr);
    EXPECT_EQ(con->cursorOptions, c.word) << c.connect;
    EXPECT_EQ(cmgGetCursorOptions(con), c.word & 0x7F);
    EXPECT_EQ(cmgGetOneHstmtOptions(con), c.word & 0x3F80);
  }
  cmg_capabilities* con = s.env->connections;  // 105 | 0x2D00
  EXPECT_EQ(cmgSetCursorOptions(con, 0), 0);
  EXPECT_EQ(con->cursorOptions, 0x2D00);
  EXPECT_EQ(cmgSetCursorOptions(con, 0xFFFF), 0);
  EXPECT_EQ(con->cursorOptions, 0x7F | 0x2D00);
  EXPECT_EQ(cmgSetOneHstmtOptions(con, 0x0880), 0);
  EXPECT_EQ(con->cursorOptions, 0x7F + 0x0880);
  EXPECT_EQ(cmgGetOneHstmtOptions(con), 0x0880);
  EXPECT_EQ(cmgSetOneHstmtOptions(con, 0), 0);
  EXPECT_EQ(con->cursorOptions, 0x7F);
  EXPECT_TRUE(errors.numbers().empty());
}

TEST(Options, PlainValues) {
  ThreadErrors errors;
  StandInEnvironment s;
  cmg_capabilities* con = cmgLogon(s.env, nullptr, "DSN=A", 0);
  ASSERT_NE(con, nullptr);
  uint32_t rows = 0;
  EXPECT_EQ(cmgGetQueryTimeout(con), 0u);
  EXPECT_EQ(cmgGetMaxRows(con, &rows), 0);
  EXPECT_EQ(rows, 0xFFFFFFFFu);
  EXPECT_EQ(cmgGetLockOptions(con), 0);
  EXPECT_EQ(cmgGetAutoUpdate(con), 0);
  EXPECT_EQ(cmgGetTableCaching(con), CMG_CACHE_TEMPORARY);
  EXPECT_EQ(cmgSetQueryTimeout(con, 0xFFFFFFFFu), 0);
  EXPECT_EQ(cmgSetMaxRows(con, 250), 0);
  EXPECT_EQ(cmgSetLockOptions(con, 0xBEEF), 0);
  EXPECT_EQ(cmgSetAutoUpdate(con, 1), 0);
  EXPECT_EQ(cmgGetQueryTimeout(con), 0xFFFFFFFFu);
  EXPECT_EQ(cmgGetMaxRows(con, &rows), 0);
  EXPECT_EQ(rows, 250u);
  EXPECT_EQ(cmgGetLockOptions(con), 0xBEEF);
  EXPECT_EQ(cmgGetAutoUpdate(con), 1);
  EXPECT_EQ(cmgGetMaxRows(con, nullptr), 1);
  EXPECT_EQ(errors.last(), SQLMSG_MISSING_ARGUMENT);

  cmgSetLoginTimeout(s.env, 30);
  EXPECT_EQ(cmgGetLoginTimeout(s.env), 30u);
  cmgSetDllPrefix(s.env, "QB");
  EXPECT_EQ(s.env->dllPrefix[0], 'Q');
  EXPECT_EQ(s.env->dllPrefix[1], 'B');
}

std::string cacheFile(cmg_capabilities* con) {
  char buffer[BOS_NAME_SIZE];
  EXPECT_EQ(cmgGetTableCacheFile(con, buffer, sizeof buffer), 0);
  return buffer;
}

bool exists(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string tempPath(const char* name) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  return std::string(dir) + name;
}

TEST(TableCaching, TemporaryAndNamedFiles) {
  ThreadErrors errors;
  StandInEnvironment s;
  cmg_capabilities* con = cmgLogon(s.env, nullptr, "DSN=A", 0);
  ASSERT_NE(con, nullptr);
  EXPECT_EQ(cacheFile(con), "");

  // Mode 2 makes a temporary file; mode 3 deletes it and forgets its name.
  EXPECT_EQ(cmgSetTableCaching(con, CMG_CACHE_TEMPORARY), 0);
  std::string temporary = cacheFile(con);
  ASSERT_FALSE(temporary.empty());
  EXPECT_TRUE(exists(temporary));
  EXPECT_EQ(cmgSetTableCaching(con, CMG_CACHE_NONE), 0);
  EXPECT_FALSE(exists(temporary));
  EXPECT_EQ(cacheFile(con), "");

  // A file named while the mode is 1 survives mode 3.
  std::string named = tempPath("ov_table_cache.lst");
  DeleteFileA(named.c_str());
  EXPECT_EQ(cmgSetTableCaching(con, CMG_CACHE_KEEP), 0);
  std::string made = cacheFile(con);
  EXPECT_TRUE(exists(made));
  EXPECT_EQ(cmgSetTableCacheFile(con, named.c_str()), 0);  // created: it did not exist
  EXPECT_EQ(cacheFile(con), named);
  EXPECT_TRUE(exists(named));
  EXPECT_TRUE(exists(made));  // mode 1 keeps the old file
  DeleteFileA(made.c_str());
  EXPECT_EQ(cmgSetTableCaching(con, CMG_CACHE_NONE), 0);
  EXPECT_TRUE(exists(named));
  EXPECT_EQ(cmgGetTableCaching(con), CMG_CACHE_NONE);

  // Under mode 2 a new file replaces the old one, which is deleted.
  EXPECT_EQ(cmgSetTableCaching(con, CMG_CACHE_TEMPORARY), 0);
  EXPECT_EQ(cmgSetTableCacheFile(con, nullptr), 0);
  std::string second = cacheFile(con);
  EXPECT_NE(second, named);
  EXPECT_FALSE(exists(named));
  EXPECT_TRUE(exists(second));
  // Logoff deletes a cache file unless the mode is 1.
  EXPECT_EQ(cmgLogoff(con), 0);
  EXPECT_FALSE(exists(second));
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

TEST(TableCaching, BadModesAndFailuresChangeNothing) {
  ThreadErrors errors;
  StandInEnvironment s;
  cmg_capabilities* con = cmgLogon(s.env, nullptr, "DSN=A", 0);
  ASSERT_NE(con, nullptr);
  for (uint16_t mode : {0, 4, 0xFFFF}) {
    errors.clear();
    EXPECT_EQ(cmgSetTableCaching(con, mode), 1);
    EXPECT_EQ(errors.last(), SQLMSG_INVALID_VALUE);
    EXPECT_EQ(cmgGetTableCaching(con), CMG_CACHE_TEMPORARY);
  }
  EXPECT_EQ(errors.lastText(), "The table caching mode '65535' is not valid.");
  errors.clear();
  EXPECT_NE(cmgSetTableCacheFile(con, "Q:\\no\\such\\directory\\cache.lst"), 0);
  EXPECT_FALSE(errors.numbers().empty());
  EXPECT_EQ(cacheFile(con), "");
  // A buffer too small for the name is refused, not filled with a cut name.
  errors.clear();
  EXPECT_EQ(cmgSetTableCacheFile(con, tempPath("ov_table_cache_2.lst").c_str()), 0);
  char tiny[4] = "xyz";
  EXPECT_EQ(cmgGetTableCacheFile(con, tiny, sizeof tiny), 1);
  EXPECT_EQ(errors.last(), SQLMSG_BUFFER_TOO_SMALL);
  EXPECT_STREQ(tiny, "xyz");
}

TEST(TableCaching, LogoffThatCannotDeleteTheCacheFileChangesNothing) {
  ThreadErrors errors;
  StandInEnvironment s;
  cmg_capabilities* con = cmgLogon(s.env, nullptr, "DSN=A", 0);
  ASSERT_NE(con, nullptr);
  std::string named = tempPath("ov_table_cache_3.lst");
  SetFileAttributesA(named.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(named.c_str());
  ASSERT_EQ(cmgSetTableCacheFile(con, named.c_str()), 0);
  ASSERT_TRUE(SetFileAttributesA(named.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(cmgLogoff(con), 1);
  EXPECT_FALSE(errors.numbers().empty());
  EXPECT_EQ(s.env->connections, con);
  EXPECT_EQ(con->holders, 1u);
  EXPECT_EQ(cacheFile(con), named);
  SetFileAttributesA(named.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(cmgLogoff(con), 0);
  EXPECT_EQ(s.env->connections, nullptr);
  EXPECT_FALSE(exists(named));
}

std::string info(cmg_capabilities* con, uint16_t item, const char* in = "") {
  char buffer[300];
  strcpy(buffer, in);
  if (cmgGetInfo(con, item, buffer, sizeof buffer)) return "<failed>";
  return buffer;
}

TEST(Information, FileDriverItems) {
  ThreadErrors errors;
  StandInEnvironment s;
  cmg_capabilities* con = cmgLogon(s.env, "Books", "DSN=Ledger;FILES={*.ovd,*.ovx}", 0);
  ASSERT_NE(con, nullptr);
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(sizeof cwd, cwd);
  std::string place = cwd;
  for (char& c : place) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  std::string drive = place.substr(0, place.find(':'));
  std::string directory = place.substr(place.find(':') + 1);

  struct Case {
    uint16_t item;
    const char* in;
    std::string expected;
  } cases[] = {
      {CMG_INFO_DISPLAY_NAME, "", "Ledger"},
      {CMG_INFO_TABLE_TERM, "", "File &Name"},
      {CMG_INFO_TABLE_LIST, "", "Files"},
      {CMG_INFO_OWNER_TERM, "", "Directory"},
      {CMG_INFO_OWNER_LIST, "", "Directories"},
      {CMG_INFO_DATABASE, "", drive},
      {CMG_INFO_DATABASE_AGAIN, "", drive},
      {CMG_INFO_OWNER, "", directory},
      {CMG_INFO_OWNER_AGAIN, "", directory},
      {CMG_INFO_QUALIFIED_OWNER, "", drive + ":" + directory},
      {CMG_INFO_QUALIFIED_OWNER_AGAIN, "", drive + ":" + directory},
      {CMG_INFO_USER, "", "OWNER"},
      {CMG_INFO_OWNER_TABLE, "stock", "stock"},
      {CMG_INFO_QUALIFIED_TABLE, "stock", drive + ":" + directory + "\\stock"},
      {CMG_INFO_QUALIFIED_TABLE, "c:stock", "c:stock"},
      {CMG_INFO_QUALIFIER_LAST, "db.stock", "db.stock"},
      {CMG_INFO_BRACKETED, "[x]y", "x.*y"},
      {CMG_INFO_EXTENSION, "", "ovd"},
      {CMG_INFO_UCASE_FUNCTION, "", ""},
      {CMG_INFO_FILE_PATTERN, "", "*.ovd,*.ovx"},
  };
  for (const Case& c : cases) EXPECT_EQ(info(con, c.item, c.in), c.expected) << c.item;

  // Without a connection only what a file driver answers, none of the record's own.
  struct NullCase {
    uint16_t item;
    const char* in;
    std::string expected;
  } nullCases[] = {
      {CMG_INFO_DISPLAY_NAME, "", ""},
      {CMG_INFO_TABLE_TERM, "", "File &Name"},
      {CMG_INFO_OWNER_LIST, "", "Directories"},
      {CMG_INFO_DATABASE, "", drive},
      {CMG_INFO_OWNER, "", directory},
      {CMG_INFO_QUALIFIED_OWNER, "", drive + ":" + directory},
      {CMG_INFO_USER, "", ""},
      {CMG_INFO_QUALIFIED_TABLE, "t", drive + ":" + directory + "\\t"},
      {CMG_INFO_BRACKETED, "[..]y", "...*y"},
      {CMG_INFO_EXTENSION, "", ""},
      {CMG_INFO_FILE_PATTERN, "", ""},
  };
  for (const NullCase& c : nullCases) EXPECT_EQ(info(nullptr, c.item, c.in), c.expected) << c.item;
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();

  EXPECT_EQ(info(con, 20), "<failed>");
  EXPECT_EQ(errors.lastText(), "The information item '20' is not valid.");
  char small[4];
  EXPECT_EQ(cmgGetInfo(con, CMG_INFO_TABLE_TERM, small, sizeof small), 1);
  EXPECT_EQ(errors.last(), SQLMSG_BUFFER_TOO_SMALL);
}

TEST(Information, QualifiedNamesOfOtherDrivers) {
  ThreadErrors errors;
  StandInEnvironment s;
  cmg_capabilities* con = cmgLogon(s.env, nullptr, "DSN=Server", 0);
  ASSERT_NE(con, nullptr);
  con->databaseName = ramAllocStr("sales");
  con->qualifierSeparator = ramAllocStr(".");
  con->maxQualifierName = 30;
  con->identifierCase = SQL_IC_UPPER;
  ramFree(con->defaultOwner);
  con->defaultOwner = ramAllocStr("BOB");
  struct Case {
    uint16_t syntax;
    uint16_t item;
    const char* in;
    const char* expected;
  } cases[] = {
      {0, CMG_INFO_DATABASE, "", "sales"},
      {0, CMG_INFO_OWNER, "", "BOB"},
      {0, CMG_INFO_QUALIFIED_OWNER, "", "sales.BOB"},
      {CMG_QUALIFIER_AFTER, CMG_INFO_QUALIFIED_OWNER, "", "BOB.sales"},
      {0, CMG_INFO_OWNER_TABLE, "stock", "BOB.stock"},
      {0, CMG_INFO_QUALIFIED_TABLE, "stock", "sales.stock"},
      {0, CMG_INFO_QUALIFIED_TABLE, "a.b.stock", "a.b.stock"},
      {CMG_QUALIFIER_AFTER, CMG_INFO_QUALIFIED_TABLE, "stock", "stock.sales"},
      {CMG_QUALIFIER_AFTER, CMG_INFO_QUALIFIED_TABLE, "stock.", "stock"},
      {CMG_QUALIFIER_AFTER, CMG_INFO_QUALIFIED_TABLE, "stock.x", "stock.x"},
      {CMG_QUALIFIER_DOUBLE, CMG_INFO_QUALIFIED_TABLE, "stock", "sales..stock"},
      {CMG_QUALIFIER_DOUBLE, CMG_INFO_QUALIFIED_TABLE, "o.stock", "sales.o.stock"},
      {CMG_QUALIFIER_AFTER, CMG_INFO_QUALIFIER_LAST, "db.stock", "stock..db"},
      {CMG_QUALIFIER_AFTER, CMG_INFO_QUALIFIER_LAST, "db.o.stock", "o.stock.db"},
      {CMG_QUALIFIER_AFTER, CMG_INFO_BRACKETED, "[srv]tab", "tab@srv"},
      {CMG_QUALIFIER_AFTER, CMG_INFO_BRACKETED, "[..]tab", "tab@"},
      {0, CMG_INFO_BRACKETED, "[srv]tab", "srv.*tab"},
      {0, CMG_INFO_EXTENSION, "", ""},
      {0, CMG_INFO_USER, "", ""},  // the user at connect time, once a database is known
  };
  for (const Case& c : cases) {
    con->qualifierSyntax = c.syntax;
    EXPECT_EQ(info(con, c.item, c.in), c.expected) << c.item << " " << c.in;
  }
  // The owner is left out when it is the current one (compared as the driver's case says).
  ramFree(con->currentOwner);
  con->currentOwner = ramAllocStr("bob");
  EXPECT_EQ(info(con, CMG_INFO_OWNER_TABLE, "stock"), "stock");
  con->identifierCase = SQL_IC_SENSITIVE;
  EXPECT_EQ(info(con, CMG_INFO_OWNER_TABLE, "stock"), "BOB.stock");
  EXPECT_TRUE(errors.numbers().empty()) << errors.lastText();
}

}  // namespace
