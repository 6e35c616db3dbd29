// The SQL parser and the outer-join splitter as tables of statements, over connection
// records whose profile the test builds; the heap's chunk counts show that nothing is
// left allocated, on success (after sqlParseFree) or on failure.
#include "dbsql/sqlmessages.h"
#include "dbsql/sqlparse.h"
#include "dbutil/jxmemory.h"
#include "ram_internal.h"
#include "sql_test_support.h"

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

struct Item {
  const char* text;
  uint16_t kind;
};

struct ParseCase {
  const char* sql;
  unsigned short error;  // 0: parses
  const char* rewritten;
  std::vector<Item> items;
  std::vector<std::string> aliases;
  const char* from;
  const char* where;
  const char* groupBy;
  const char* having;
  const char* setOperation;
  const char* orderBy;
  const char* compute;
  const char* options;
  const char* forUpdate;
  std::vector<const char*> params;  // names; "" for a bare marker
  uint16_t flags;
};

const uint16_t E = SQL_ITEM_EXPRESSION, Q = SQL_ITEM_QUALIFIED, A = SQL_ITEM_ALIAS, S = SQL_ITEM_STAR;

const ParseCase kCases[] = {
    {"select a, b from t where x = ?",
     0,
     "select a, b from t where x = ?",
     {{"a", 0}, {"b", 0}},
     {},
     "t",
     "x = ?",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {""},
     0},
    {"SELECT total = a+b FROM t",
     0,
     "SELECT  a+b FROM t",
     {{"a+b", E | A}},
     {"total"},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT a x FROM t ORDER BY x",
     0,
     "SELECT a  FROM t ORDER BY 1",
     {{"a", A}},
     {"x"},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     "1",
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT a+b c FROM t",
     0,
     "SELECT a+b  FROM t",
     {{"a+b", E | A}},
     {"c"},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT a + 1 FROM t",
     0,
     "SELECT a + 1 FROM t",
     {{"a + 1", E}},
     {},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT 'k' name FROM t",
     0,
     "SELECT 'k'  FROM t",
     {{"'k'", E | A}},
     {"name"},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT t.* FROM t",
     0,
     "SELECT t.* FROM t",
     {{"t.*", Q | S}},
     {},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT * FROM t",
     0,
     "SELECT * FROM t",
     {{"*", S}},
     {},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT t.a, count(*) n FROM t GROUP BY t.a HAVING count(*) > 1",
     0,
     "SELECT t.a, count(*)  FROM t GROUP BY t.a HAVING count(*) > 1",
     {{"t.a", Q}, {"count(*)", E | A}},
     {"n"},
     "t",
     nullptr,
     "t.a",
     "count(*) > 1",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT a FROM t GROUP a", SQLMSG_MISSING_KEYWORD},
    {"SELECT a FROM t ORDER a", SQLMSG_MISSING_KEYWORD},
    {"SELECT a FROM t WHERE", SQLMSG_EMPTY_CLAUSE},
    {"SELECT a FROM t WHERE   ORDER BY a", SQLMSG_EMPTY_CLAUSE},
    {"SELECT a FROM t FOR UPDATE",
     0,
     "SELECT a FROM t FOR UPDATE",
     {{"a", 0}},
     {},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     "",
     {},
     0},
    {"SELECT a FROM t FOR UPDATE OF a, b",
     0,
     "SELECT a FROM t FOR UPDATE OF a, b",
     {{"a", 0}},
     {},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     "a, b",
     {},
     0},
    {"SELECT a, FROM t", SQLMSG_IMPROPER_SELECT_LIST},
    {"SELECT , a FROM t", SQLMSG_IMPROPER_SELECT_LIST},
    {"SELECT FROM t", SQLMSG_IMPROPER_SELECT_LIST},
    {"SELECT a FROM t COMPUTE SUM(a)",
     0,
     "SELECT a FROM t ",
     {{"a", 0}},
     {},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     "SUM(a)",
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT a FROM t WHERE b = 1 OPTIONS fast",
     0,
     "SELECT a FROM t WHERE b = 1 ",
     {{"a", 0}},
     {},
     "t",
     "b = 1",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     "fast",
     nullptr,
     {},
     0},
    {"SELECT a FROM t WHERE b = ?bee AND c = ?",
     0,
     "SELECT a FROM t WHERE b = ? AND c = ?",
     {{"a", 0}},
     {},
     "t",
     "b = ?bee AND c = ?",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {"bee", ""},
     0},
    {"UPDATE t SET a = 1 WHERE b = ?",
     0,
     "UPDATE t SET a = 1 WHERE b = ?",
     {{"", S}},
     {},
     "UPDATE t SET a = 1 WHERE b = ?",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {""},
     SQL_PARSE_NOT_SELECT},
    {"SELECT a INTO x FROM t",
     0,
     "SELECT a INTO x FROM t",
     {{"", S}},
     {},
     "SELECT a INTO x FROM t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     SQL_PARSE_NOT_SELECT},
    {"", SQLMSG_NO_STATEMENT},
    {"   \t\n ", SQLMSG_NO_STATEMENT},
    {"-- only a comment", SQLMSG_NO_STATEMENT},
    {"SELECT a FROM t UNION SELECT b FROM u WHERE c = 1",
     0,
     "SELECT a FROM t UNION SELECT b FROM u WHERE c = 1",
     {{"a", 0}},
     {},
     "t",
     nullptr,
     nullptr,
     nullptr,
     "UNION SELECT b FROM u WHERE c = 1",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT a FROM t UNION SELECT b FROM u ORDER BY 1",
     0,
     "SELECT a FROM t UNION SELECT b FROM u ORDER BY 1",
     {{"a", 0}},
     {},
     "t",
     nullptr,
     nullptr,
     nullptr,
     "UNION SELECT b FROM u",
     "1",
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT DISTINCT a FROM t",
     0,
     "SELECT DISTINCT a FROM t",
     {{"a", 0}},
     {},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     SQL_PARSE_DISTINCT},
    {"SELECT a FROM owner.t x, u WHERE x.a = u.a",
     0,
     "SELECT a FROM owner.t x, u WHERE x.a = u.a",
     {{"a", 0}},
     {},
     "owner.t x, u",
     "x.a = u.a",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT a FROM t junk more", SQLMSG_UNEXPECTED_TEXT},
    {"SELECT a FROM {oj T1 LEFT OUTER JOIN T2 ON T1.f1 = T2.f2}",
     0,
     "SELECT a FROM {oj T1 LEFT OUTER JOIN T2 ON T1.f1 = T2.f2}",
     {{"a", 0}},
     {},
     "T1, T2",
     "(T1.f1 = T2.f2)",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT a FROM u, {oj T1 a LEFT OUTER JOIN T2 b ON a.f = b.f}, {oj T3 LEFT OUTER JOIN T4 ON x = y} "
     "WHERE w = 1",
     0,
     "SELECT a FROM u, {oj T1 a LEFT OUTER JOIN T2 b ON a.f = b.f}, {oj T3 LEFT OUTER JOIN T4 ON x = y} "
     "WHERE w = 1",
     {{"a", 0}},
     {},
     "u, T1 a, T2 b, T3, T4",
     "(w = 1) AND ((a.f = b.f) AND (x = y))",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT [D'1995-03-01'] d FROM t",
     0,
     "SELECT {d '1995-03-01'} d FROM t",
     {{"{d '1995-03-01'} d", 0}},
     {},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT [D'95'] FROM t", SQLMSG_UNEXPECTED_TEXT},
    {"SELECT \"my col\" FROM \"my table\"",
     0,
     "SELECT \"my col\" FROM \"my table\"",
     {{"\"my col\"", 0}},
     {},
     "\"my table\"",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT a, (b + c) AS s FROM t ORDER BY s DESC, a",
     0,
     "SELECT a, (b + c)  FROM t ORDER BY 2 DESC, a",
     {{"a", 0}, {"(b + c)", E | A}},
     {"s"},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     "2 DESC, a",
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    // A number ends an operand: the word after it is an alias.
    {"SELECT total * 2 AS doubled, 5 five FROM t",
     0,
     "SELECT total * 2 , 5  FROM t",
     {{"total * 2", E | A}, {"5", A}},
     {"doubled", "five"},
     "t",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
    {"SELECT a FROM t WHERE b = 'x", SQLMSG_UNEXPECTED_TEXT},
    {"SELECT a FROM t WHERE (b = 1",
     0,
     "SELECT a FROM t WHERE (b = 1",
     {{"a", 0}},
     {},
     "t",
     "(b = 1",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {},
     0},
};

void expectText(const char* got, const char* want, const char* field) {
  if (!want)
    EXPECT_EQ(got, nullptr) << field;
  else
    EXPECT_STREQ(got ? got : "(null)", want) << field;
}

TEST(SqlParse, EdgeCaseTable) {
  TestConnection tc;
  ThreadErrors errors;
  const uint32_t before = chunksInUse();
  for (const ParseCase& c : kCases) {
    SCOPED_TRACE(c.sql);
    parsed_sql* p = reinterpret_cast<parsed_sql*>(1);
    char* out = reinterpret_cast<char*>(1);
    const JxStatus st = sqlParse(&tc.con, &p, c.sql, &out, 0);
    if (c.error) {
      EXPECT_EQ(st, 1);
      EXPECT_EQ(errors.last(), c.error) << errors.lastText();
      EXPECT_EQ(p, nullptr);
      EXPECT_EQ(out, nullptr);
      if (c.error == SQLMSG_MISSING_KEYWORD) {
        EXPECT_EQ(errors.lastText(), "Missing keyword: 'BY'");
      }
      errors.clear();
      continue;
    }
    ASSERT_EQ(st, 0) << errors.lastText();
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(out, c.rewritten);
    ASSERT_EQ(p->itemCount, c.items.size());
    for (size_t i = 0; i < c.items.size(); ++i) {
      EXPECT_LE(p->items[i].start + p->items[i].length, strlen(out));
      EXPECT_EQ(std::string(out + p->items[i].start, p->items[i].length), c.items[i].text) << "item " << i;
      EXPECT_EQ(p->items[i].kind, c.items[i].kind) << "item " << i;
    }
    std::vector<std::string> aliases;
    for (const char* a = p->aliases; a && *a; a += strlen(a) + 1) aliases.emplace_back(a);
    EXPECT_EQ(aliases, c.aliases);
    expectText(p->from, c.from, "from");
    expectText(p->where, c.where, "where");
    expectText(p->groupBy, c.groupBy, "group by");
    expectText(p->having, c.having, "having");
    expectText(p->setOperation, c.setOperation, "set operation");
    expectText(p->orderBy, c.orderBy, "order by");
    expectText(p->compute, c.compute, "compute");
    expectText(p->options, c.options, "options");
    expectText(p->forUpdate, c.forUpdate, "for update");
    ASSERT_EQ(p->paramCount, c.params.size());
    for (size_t i = 0; i < c.params.size(); ++i) {
      if (!*c.params[i])
        EXPECT_EQ(p->params[i].name, nullptr);
      else
        EXPECT_STREQ(p->params[i].name ? p->params[i].name : "(null)", c.params[i]);
      EXPECT_EQ(p->params[i].value, 0u);
    }
    EXPECT_EQ(p->flags, c.flags);
    sqlParseFree(p);
    ramFree(out);
    errors.clear();
  }
  EXPECT_EQ(chunksInUse(), before) << "the table leaks";
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

// Failures half-way through (every heap allocation failing in turn) leave nothing
// allocated and both outputs null.
TEST(SqlParse, AllocationFailuresLeakNothing) {
  TestConnection tc;
  ThreadErrors errors;
  const char* sql =
      "SELECT total = a+b, c x, t.* FROM t, {oj T1 LEFT OUTER JOIN T2 ON T1.f = T2.f} WHERE b = ?n AND "
      "d = [D'1995-03-01'] GROUP BY a HAVING 1 = 1 ORDER BY x COMPUTE SUM(a)";
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
