// The SQL parser and the outer-join splitter as tables of statements, over connection
// records whose profile the test builds; the heap's chunk counts show that nothing is
// left allocated, on success (after sqlParseFree) or on failure.
#include "dbsql/sqlmessages.h"
#include "dbsql/sqlparse.h"
#include "dbutil/jxmemory.h"
#include "ram_internal.h"
#include "sql_test_support.h"
#include "sqlparse_cases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

uint32_t chunksInUse() {
  uint32_t n = 0;
  for (jxram::Block* b = jxram::firstBlock(); b; b = b->next) n += b->inUse;
  return n;
}

// A connection record with a profile of the test's choosing.
struct TestConnection {
  explicit TestConnection(bool setOps = true, uint16_t outerJoin = CMG_OJ_NONE) {
    memset(&con, 0, sizeof con);
    words = {"ALL", "AND", "AS",   "BY", "DISTINCT", "FROM",   "GROUP", "HAVING",
             "IS",  "NOT", "NULL", "OR", "ORDER",    "SELECT", "WHERE"};
    if (setOps) {
      words.insert(words.end(), {"CONNECT", "EXCEPT", "INTERSECT", "MINUS", "UNION"});
    }
    std::sort(words.begin(), words.end(), [](const char* a, const char* b) { return strcmp(a, b) < 0; });
    con.reservedWords = const_cast<char**>(words.data());
    con.reservedCount = static_cast<uint16_t>(words.size());
    con.fromReserved = const_cast<char*>("LEFT\0JOIN\0\0");
    con.quoteChar = '"';
    con.identifierCase = SQL_IC_UPPER;
    con.outerJoinSyntax = outerJoin;
    con.maxTableName = 18;
  }
  cmg_capabilities con;
  std::vector<const char*> words;
};

using namespace parsetable;

TEST(SqlParse, EdgeCaseTable) {
  TestConnection tc;
  checkParseTable(&tc.con);
}

TEST(SqlParse, FirstItemOffsets) {
  TestConnection tc;
  ThreadErrors errors;
  parsed_sql* p;
  char* out;
  ASSERT_EQ(sqlParse(&tc.con, &p, "select a, b from t where x = ?", &out, 0), 0);
  ASSERT_EQ(p->itemCount, 2);
  EXPECT_EQ(p->items[0].start, 7);
  EXPECT_EQ(p->items[1].start, 10);
  sqlParseFree(p);
  ramFree(out);
  // A named marker in the select list moves the items after it.
  ASSERT_EQ(sqlParse(&tc.con, &p, "SELECT ?abc, b FROM t", &out, 0), 0);
  EXPECT_STREQ(out, "SELECT ?, b FROM t");
  ASSERT_EQ(p->itemCount, 2);
  EXPECT_EQ(std::string(out + p->items[1].start, p->items[1].length), "b");
  sqlParseFree(p);
  ramFree(out);
}

// Set operations are clauses only where the profile reserves their words.
TEST(SqlParse, SetOperationsNeedTheProfile) {
  TestConnection without(false);
  ThreadErrors errors;
  parsed_sql* p;
  char* out;
  for (const char* sql :
       {"SELECT a FROM t UNION SELECT b FROM u", "SELECT a FROM t MINUS SELECT b FROM u",
        "SELECT a FROM t EXCEPT SELECT b FROM u", "SELECT a FROM t INTERSECT SELECT b FROM u"}) {
    SCOPED_TRACE(sql);
    errors.clear();
    EXPECT_EQ(sqlParse(&without.con, &p, sql, &out, 0), 1);
    EXPECT_EQ(errors.last(), SQLMSG_UNEXPECTED_TEXT);
  }
  TestConnection with(true);
  for (const char* word : {"UNION", "MINUS", "EXCEPT", "INTERSECT", "CONNECT"}) {
    const std::string sql = std::string("SELECT a FROM t ") + word + " SELECT b FROM u";
    SCOPED_TRACE(sql);
    ASSERT_EQ(sqlParse(&with.con, &p, sql.c_str(), &out, 0), 0);
    EXPECT_EQ(std::string(p->setOperation), std::string(word) + " SELECT b FROM u");
    sqlParseFree(p);
    ramFree(out);
  }
}

TEST(SqlParse, OuterKeywordFormAndRemovedComments) {
  TestConnection tc(true, CMG_OJ_OUTER);
  tc.con.flagsB = CMG_B_REMOVE_COMMENTS;
  ThreadErrors errors;
  parsed_sql* p;
  char* out;
  ASSERT_EQ(sqlParse(&tc.con, &p, "SELECT a FROM t, OUTER u -- why\nWHERE t.k = u.k", &out, 0), 0)
      << errors.lastText();
  EXPECT_STREQ(p->from, "t, OUTER u");
  EXPECT_STREQ(p->where, "t.k = u.k");
  EXPECT_STREQ(out, "SELECT a FROM t, OUTER u \nWHERE t.k = u.k");
  sqlParseFree(p);
  ramFree(out);
}

// With the test profile, LEFT and JOIN are FROM words: a join written out parses as the
// escape form does (it was refused at 'LEFT' before).
TEST(SqlParse, PlainJoinWithFromWords) {
  TestConnection tc;
  ThreadErrors errors;
  parsed_sql* p;
  char* out;
  ASSERT_EQ(
      sqlParse(&tc.con, &p, "SELECT * FROM customers LEFT JOIN orders ON customers.cust_id = orders.cust_id",
               &out, 0),
      0)
      << errors.lastText();
  EXPECT_STREQ(p->from, "customers LEFT JOIN orders ON customers.cust_id = orders.cust_id");
  EXPECT_EQ(p->where, nullptr);
  sqlParseFree(p);
  ramFree(out);
  // A profile FROM word ending in JOIN is a join of its own.
  tc.con.fromReserved = const_cast<char*>("STRAIGHT_JOIN\0\0");
  ASSERT_EQ(sqlParse(&tc.con, &p, "SELECT a FROM t STRAIGHT_JOIN u WHERE b = 1", &out, 0), 0)
      << errors.lastText();
  EXPECT_STREQ(p->from, "t STRAIGHT_JOIN u");
  EXPECT_STREQ(p->where, "b = 1");
  sqlParseFree(p);
  ramFree(out);
}

// Multi-word phrases of the profile (its pseudo columns written with blanks): a whole
// phrase changes nothing in the item; a first word without the rest is an ordinary word.
TEST(SqlParse, MultiWordPhrases) {
  TestConnection tc;
  tc.con.pseudoColumns = const_cast<char*>("ROWID\0ROW NUMBER\0SYS  DATE TIME\0\0");
  ThreadErrors errors;
  struct Case {
    const char* sql;
    std::vector<Item> items;
    std::vector<std::string> aliases;
    const char* rewritten;
  } cases[] = {
      {"SELECT ROW NUMBER FROM t", {{"ROW NUMBER", 0}}, {}, "SELECT ROW NUMBER FROM t"},
      {"SELECT a, row  number, b FROM t", {{"a", 0}, {"row  number", 0}, {"b", 0}}, {}, nullptr},
      {"SELECT sys date time, ROWID r FROM t",
       {{"sys date time", 0}, {"ROWID", A}},
       {"r"},
       "SELECT sys date time, ROWID  FROM t"},
      // Mismatches: the first word is a name and the next one its alias.
      {"SELECT ROW x FROM t", {{"ROW", A}}, {"x"}, "SELECT ROW  FROM t"},
      {"SELECT SYS DATE FROM t", {{"SYS", A}}, {"DATE"}, nullptr},
      {"SELECT ROW FROM t", {{"ROW", 0}}, {}, nullptr},
      {"SELECT ROW", {{"ROW", 0}}, {}, nullptr},
  };
  const uint32_t before = chunksInUse();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    parsed_sql* p;
    char* out;
    ASSERT_EQ(sqlParse(&tc.con, &p, c.sql, &out, 0), 0) << errors.lastText();
    ASSERT_EQ(p->itemCount, c.items.size());
    for (size_t i = 0; i < c.items.size(); ++i) {
      EXPECT_EQ(std::string(out + p->items[i].start, p->items[i].length), c.items[i].text) << "item " << i;
      EXPECT_EQ(p->items[i].kind, c.items[i].kind) << "item " << i;
    }
    std::vector<std::string> aliases;
    for (const char* a = p->aliases; a && *a; a += strlen(a) + 1) aliases.emplace_back(a);
    EXPECT_EQ(aliases, c.aliases);
    if (c.rewritten) {
      EXPECT_STREQ(out, c.rewritten);
    }
    sqlParseFree(p);
    ramFree(out);
  }
  EXPECT_EQ(chunksInUse(), before);
}

// The profile's delimiters: a name runs to the next delimiter, in the select list and in
// FROM; extra middle characters of columns and tables let a name go on over them.
TEST(SqlParse, DelimitersAndExtraCharacters) {
  ThreadErrors errors;
  struct Case {
    const char* delimiters;
    const char* columnChars;
    const char* tableChars;
    const char* sql;
    unsigned short error;
    std::vector<Item> items;
    const char* from;
    const char* where;
  } cases[] = {
      {",()=<>;",
       nullptr,
       nullptr,
       "SELECT my-col, b FROM c:\\data\\t-1.dbf x WHERE my-col = 1",
       0,
       {{"my-col", 0}, {"b", 0}},
       "c:\\data\\t-1.dbf x",
       "my-col = 1"},
      {nullptr,
       "-",
       "-:",
       "SELECT my-col, b FROM c:t-1 x WHERE my-col = 1",
       0,
       {{"my-col", 0}, {"b", 0}},
       "c:t-1 x",
       "my-col = 1"},
      // Without them the same text is an expression and the FROM clause ends at ":".
      {nullptr, nullptr, nullptr, "SELECT my-col FROM t", 0, {{"my-col", E}}, "t", nullptr},
      {nullptr, nullptr, nullptr, "SELECT a FROM c:t-1 x", SQLMSG_UNEXPECTED_TEXT, {}, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    TestConnection tc;
    tc.con.delimiters = const_cast<char*>(c.delimiters);
    tc.con.columnChars = const_cast<char*>(c.columnChars);
    tc.con.tableChars = const_cast<char*>(c.tableChars);
    parsed_sql* p;
    char* out;
    if (c.error) {
      EXPECT_EQ(sqlParse(&tc.con, &p, c.sql, &out, 0), 1);
      EXPECT_EQ(errors.last(), c.error);
      errors.clear();
      continue;
    }
    ASSERT_EQ(sqlParse(&tc.con, &p, c.sql, &out, 0), 0) << errors.lastText();
    ASSERT_EQ(p->itemCount, c.items.size());
    for (size_t i = 0; i < c.items.size(); ++i) {
      EXPECT_EQ(std::string(out + p->items[i].start, p->items[i].length), c.items[i].text) << "item " << i;
      EXPECT_EQ(p->items[i].kind, c.items[i].kind) << "item " << i;
    }
    expectText(p->from, c.from, "from");
    expectText(p->where, c.where, "where");
    sqlParseFree(p);
    ramFree(out);
  }
  // "?" ends a name whatever the delimiters: the named marker keeps its name apart.
  TestConnection tc;
  tc.con.delimiters = const_cast<char*>(",()=<>;");
  parsed_sql* p;
  char* out;
  ASSERT_EQ(sqlParse(&tc.con, &p, "SELECT a FROM t WHERE b = ?bee AND c-1 = ?", &out, 0), 0)
      << errors.lastText();
  EXPECT_STREQ(out, "SELECT a FROM t WHERE b = ? AND c-1 = ?");
  ASSERT_EQ(p->paramCount, 2);
  EXPECT_STREQ(p->params[0].name, "bee");
  EXPECT_EQ(p->params[1].name, nullptr);
  sqlParseFree(p);
  ramFree(out);
}

// Failures half-way through (every heap allocation failing in turn) leave nothing
// allocated and both outputs null.
TEST(SqlParse, AllocationFailuresLeakNothing) {
  TestConnection tc;
  ThreadErrors errors;
  // The second: joins written out, a query in FROM and a phrase, with extra table
  // characters.
  for (const char* sql :
       {"SELECT total = a+b, c x, t.* FROM t, {oj T1 LEFT OUTER JOIN T2 ON T1.f = T2.f} WHERE b = ?n AND "
        "d = [D'1995-03-01'] GROUP BY a HAVING 1 = 1 ORDER BY x COMPUTE SUM(a)",
        "SELECT ROW NUMBER, c.name n FROM t-1 c LEFT JOIN u ON c.k = u.k AND u.m = ?m CROSS JOIN (SELECT a "
        "FROM v WHERE b = ?) s ORDER BY n"}) {
    SCOPED_TRACE(sql);
    if (strstr(sql, "ROW NUMBER")) {
      tc.con.pseudoColumns = const_cast<char*>("ROW NUMBER\0\0");
      tc.con.tableChars = const_cast<char*>("-");
    }
    const uint32_t before = chunksInUse();
    bool succeeded = false;
    for (int skip = 0; skip < 400 && !succeeded; ++skip) {
      parsed_sql* p = nullptr;
      char* out = nullptr;
      jxram::failHeapAllocs(skip, 1);
      const JxStatus st = sqlParse(&tc.con, &p, sql, &out, 0);
      jxram::failHeapAllocs(0, 0);
      if (st == 0) {
        succeeded = true;
        sqlParseFree(p);
        ramFree(out);
      } else {
        EXPECT_EQ(p, nullptr);
        EXPECT_EQ(out, nullptr);
      }
      errors.clear();
      EXPECT_EQ(chunksInUse(), before) << "skip " << skip;
    }
    EXPECT_TRUE(succeeded);
  }
}

struct SplitCase {
  const char* item;
  const char* tables;  // null: not split
  const char* condition;
};

const SplitCase kSplits[] = {
    {"{oj T1 LEFT OUTER JOIN T2 ON T1.f1 = T2.f2}", "T1, T2", "T1.f1 = T2.f2"},
    {"{oj T1 a LEFT OUTER JOIN T2 b ON a.f1 = b.f2}", "T1 a, T2 b", "a.f1 = b.f2"},
    {"{OJ  o.T1   left   outer join  T2 on x = y }", "o.T1, T2", "x = y"},
    {"{T1 LEFT OUTER JOIN T2 ON x = y}", nullptr, nullptr},
    {"{oj T1 RIGHT OUTER JOIN T2 ON x = y}", nullptr, nullptr},
    {"{ojT1 LEFT OUTER JOIN T2 ON x = y}", nullptr, nullptr},
    {"{oj T1 LEFTOUTER JOIN T2 ON x = y}", nullptr, nullptr},
    {"{oj T1 LEFT OUTER JOIN T2 ON}", nullptr, nullptr},
    {"{oj T1 LEFT OUTER JOIN T2 ON x = y", nullptr, nullptr},
    {"{oj T1 a b LEFT OUTER JOIN T2 ON x = y}", nullptr, nullptr},
    {"{oj}", nullptr, nullptr},
    {"{", nullptr, nullptr},
    {"", nullptr, nullptr},
};

TEST(SqlOuterJoin, SplitTable) {
  ThreadErrors errors;
  for (const SplitCase& c : kSplits) {
    SCOPED_TRACE(c.item);
    short found = 7;
    char *tables = reinterpret_cast<char*>(1), *condition = reinterpret_cast<char*>(1);
    ASSERT_EQ(sqlOuterJoinConvert(c.item, static_cast<uint32_t>(strlen(c.item)), &found, &tables, &condition),
              0);
    if (c.tables) {
      EXPECT_EQ(found, 1);
      EXPECT_STREQ(tables, c.tables);
      EXPECT_STREQ(condition, c.condition);
    } else {
      EXPECT_EQ(found, 0);
      EXPECT_EQ(tables, nullptr);
      EXPECT_EQ(condition, nullptr);
    }
    ramFree(tables);
    ramFree(condition);
  }
}

}  // namespace
