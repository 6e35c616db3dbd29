// The FROM-clause walk as tables of clauses and the tables they yield.
#include "dbsql/sqlfrom.h"
#include "dbsql/sqlmessages.h"
#include "dbutil/jxmemory.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct FromConnection {
  explicit FromConnection(uint16_t outerJoin = CMG_OJ_NONE) {
    memset(&con, 0, sizeof con);
    con.reservedWords = const_cast<char**>(words);
    con.reservedCount = sizeof words / sizeof words[0];
    con.quoteChar = '"';
    con.identifierCase = SQL_IC_UPPER;
    con.outerJoinSyntax = outerJoin;
    con.maxTableName = 12;
  }
  const char* words[4] = {"AS", "HOLDLOCK", "OUTER", "WITH"};
  cmg_capabilities con;
};

struct WalkCase {
  const char* from;
  uint16_t outerJoin;
  std::vector<std::pair<std::string, std::string>> tables;  // name, alias
  unsigned short error;
};

const WalkCase kWalks[] = {
    {"t", 0, {{"t", ""}}, 0},
    {"t a, u b", 0, {{"t", "a"}, {"u", "b"}}, 0},
    {"owner.t x, db.owner.u", 0, {{"owner.t", "x"}, {"db.owner.u", ""}}, 0},
    {"t@link, u", 0, {{"t@link", ""}, {"u", ""}}, 0},
    {"t (HOLDLOCK) a, u", 0, {{"t", "a"}, {"u", ""}}, 0},
    {"t AS a", 0, {{"t", "a"}}, 0},
    {"\"my table\" m", 0, {{"\"my table\"", "m"}}, 0},
    {"t, OUTER u", CMG_OJ_OUTER, {{"t", ""}, {"u", ""}}, 0},
    {"t, OUTER (u x)", CMG_OJ_OUTER, {{"t", ""}, {"u", "x"}}, 0},
    {"t averyveryverylongalias", 0, {}, SQLMSG_TABLE_NAME_TOO_LONG},
    {"averyveryverylongtable", 0, {}, SQLMSG_TABLE_NAME_TOO_LONG},
    {"", 0, {}, 0},
};

TEST(SqlFrom, WalkTable) {
  for (const WalkCase& c : kWalks) {
    SCOPED_TRACE(c.from);
    FromConnection fc(c.outerJoin);
    ThreadErrors errors;
    char* from = ramAllocStr(c.from);
    for (SqlFromType type : {SQLFROM_IN_PLACE, SQLFROM_COPY, SQLFROM_KEEP_NAME}) {
      SqlFrom* walk = new SqlFrom;
      ASSERT_EQ(walk->initialize(&fc.con, &from, type), 0);
      std::vector<std::pair<std::string, std::string>> got;
      JxString name, alias;
      JxStatus st = 0;
      for (int guard = 0; guard < 10; ++guard) {
        st = walk->nextTable(&name, &alias);
        if (st || !name.getLength()) break;
        got.emplace_back(name.c_str(), alias.c_str());
      }
      if (c.error) {
        EXPECT_EQ(st, 1);
        EXPECT_EQ(errors.last(), c.error);
        EXPECT_EQ(errors.lastText(), "A table or table alias name exceeds '12' characters.");
      } else {
        EXPECT_EQ(st, 0);
        EXPECT_EQ(got, c.tables);
      }
      errors.clear();
      delete walk;
    }
    ramFree(from);
  }
}

TEST(SqlFrom, AddAliasAndChangeName) {
  FromConnection fc;
  ThreadErrors errors;
  char* from = ramAllocStr("t, owner.u, v");
  SqlFrom walk;
  ASSERT_EQ(walk.initialize(&fc.con, &from, SQLFROM_COPY), 0);
  ASSERT_EQ(walk.addTableAlias(1, "b"), 0);
  EXPECT_STREQ(from, "t, owner.u b, v");
  ASSERT_EQ(walk.addTableAlias(2, "c"), 0);
  EXPECT_STREQ(from, "t, owner.u b, v c");
  ASSERT_EQ(walk.addTableAlias(0, "a"), 0);
  EXPECT_STREQ(from, "t a, owner.u b, v c");
  ASSERT_EQ(walk.addTableAlias(5, "z"), 0);  // no such table: unchanged
  EXPECT_STREQ(from, "t a, owner.u b, v c");

  ASSERT_EQ(walk.initialize(&fc.con, &from, SQLFROM_KEEP_NAME), 0);
  JxString name, alias;
  ASSERT_EQ(walk.nextTable(&name, &alias), 0);
  ASSERT_EQ(walk.nextTable(&name, &alias), 0);
  EXPECT_STREQ(name.c_str(), "owner.u");
  ASSERT_EQ(walk.changeTableName("other.w2"), 0);
  EXPECT_STREQ(walk.text(), "t a, other.w2 b, v c");
  ASSERT_EQ(walk.nextTable(&name, &alias), 0);
  EXPECT_STREQ(name.c_str(), "v");
  EXPECT_STREQ(alias.c_str(), "c");
  ramFree(from);
}

}  // namespace
