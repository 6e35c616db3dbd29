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
    // Joins written out: the tables on both sides, conditions and join words skipped.
    {"customers c LEFT JOIN orders o ON c.cust_id = o.cust_id", 0, {{"customers", "c"}, {"orders", "o"}}, 0},
    {"t INNER JOIN u ON t.k = u.k AND LEFT(u.n, 1) = 'x' JOIN v USING (k), w z",
     0,
     {{"t", ""}, {"u", ""}, {"v", ""}, {"w", "z"}},
     0},
    {"t natural join u, v cross join owner.w x", 0, {{"t", ""}, {"u", ""}, {"v", ""}, {"owner.w", "x"}}, 0},
    {"t LEFT OUTER JOIN (u JOIN v ON u.k = v.k) ON t.k = u.k",
     0,
     {{"t", ""}, {"(u JOIN v ON u.k = v.k)", ""}},
     0},
    // A query in parentheses is taken whole; its length is not a table name's.
    {"(SELECT a FROM averyverylongtable) s", 0, {{"(SELECT a FROM averyverylongtable)", "s"}}, 0},
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

// The alias goes in after the table's name (and before its join condition).
TEST(SqlFrom, AddAliasAcrossJoins) {
  FromConnection fc;
  ThreadErrors errors;
  char* from = ramAllocStr("t LEFT JOIN u ON t.k = u.k JOIN v USING (k)");
  SqlFrom walk;
  ASSERT_EQ(walk.initialize(&fc.con, &from, SQLFROM_COPY), 0);
  ASSERT_EQ(walk.addTableAlias(1, "b"), 0);
  EXPECT_STREQ(from, "t LEFT JOIN u b ON t.k = u.k JOIN v USING (k)");
  ASSERT_EQ(walk.addTableAlias(0, "a"), 0);
  EXPECT_STREQ(from, "t a LEFT JOIN u b ON t.k = u.k JOIN v USING (k)");
  ASSERT_EQ(walk.addTableAlias(2, "c"), 0);
  EXPECT_STREQ(from, "t a LEFT JOIN u b ON t.k = u.k JOIN v c USING (k)");
  ASSERT_EQ(walk.initialize(&fc.con, &from, SQLFROM_KEEP_NAME), 0);
  JxString name, alias;
  ASSERT_EQ(walk.nextTable(&name, &alias), 0);
  ASSERT_EQ(walk.nextTable(&name, &alias), 0);
  EXPECT_STREQ(name.c_str(), "u");
  EXPECT_STREQ(alias.c_str(), "b");
  ASSERT_EQ(walk.changeTableName("owner.u2"), 0);
  EXPECT_STREQ(walk.text(), "t a LEFT JOIN owner.u2 b ON t.k = u.k JOIN v c USING (k)");
  ramFree(from);
}

// With the profile's delimiters a name runs to the next delimiter; the table characters
// of the profile let a name go on over them.
TEST(SqlFrom, DelimitersAndTableCharacters) {
  ThreadErrors errors;
  struct Case {
    const char* delimiters;
    const char* tableChars;
    const char* from;
    std::vector<std::pair<std::string, std::string>> tables;
  } cases[] = {
      {",()=<>", nullptr, "c:\\data\\t-1.dbf x, u", {{"c:\\data\\t-1.dbf", "x"}, {"u", ""}}},
      {nullptr, "-", "t-1 x, u", {{"t-1", "x"}, {"u", ""}}},
      {nullptr, nullptr, "t x, u", {{"t", "x"}, {"u", ""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    FromConnection fc;
    fc.con.maxTableName = 40;
    fc.con.delimiters = const_cast<char*>(c.delimiters);
    fc.con.tableChars = const_cast<char*>(c.tableChars);
    char* from = ramAllocStr(c.from);
    SqlFrom walk;
    ASSERT_EQ(walk.initialize(&fc.con, &from, SQLFROM_IN_PLACE), 0);
    std::vector<std::pair<std::string, std::string>> got;
    JxString name, alias;
    for (int guard = 0; guard < 10; ++guard) {
      ASSERT_EQ(walk.nextTable(&name, &alias), 0) << errors.lastText();
      if (!name.getLength()) break;
      got.emplace_back(name.c_str(), alias.c_str());
    }
    EXPECT_EQ(got, c.tables);
    ramFree(from);
  }
}

}  // namespace
