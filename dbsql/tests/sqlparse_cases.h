// The parser's table of statements: each row gives the statement, the items with
// their texts and kinds, the aliases, the clause texts, the parameters and the text sent
// on, or the message that refuses it. Run over a profile the test builds and over the
// profile of the SQLite test data source.
#pragma once

#include "dbsql/sqlmessages.h"
#include "dbsql/sqlparse.h"
#include "dbutil/jxmemory.h"
#include "ram_internal.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace parsetable {

inline uint32_t parseChunksInUse() {
  uint32_t n = 0;
  for (jxram::Block* b = jxram::firstBlock(); b; b = b->next) n += b->inUse;
  return n;
}

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
    // Joins written out stay in the FROM text; their markers are counted.
    {"SELECT c.name, o.total FROM customers c LEFT JOIN orders o ON c.cust_id = o.cust_id WHERE o.total > ?",
     0,
     "SELECT c.name, o.total FROM customers c LEFT JOIN orders o ON c.cust_id = o.cust_id WHERE o.total > ?",
     {{"c.name", Q}, {"o.total", Q}},
     {},
     "customers c LEFT JOIN orders o ON c.cust_id = o.cust_id",
     "o.total > ?",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {""},
     0},
    {"SELECT c.name FROM customers c left outer join orders o on c.cust_id = o.cust_id and "
     "substr(o.item, 1, 1) = ?k inner join customers d using (cust_id), orders p ORDER BY c.name",
     0,
     "SELECT c.name FROM customers c left outer join orders o on c.cust_id = o.cust_id and "
     "substr(o.item, 1, 1) = ? inner join customers d using (cust_id), orders p ORDER BY c.name",
     {{"c.name", Q}},
     {},
     "customers c left outer join orders o on c.cust_id = o.cust_id and substr(o.item, 1, 1) = ?k inner join "
     "customers d using (cust_id), orders p",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     "c.name",
     nullptr,
     nullptr,
     nullptr,
     {"k"},
     0},
    // LEFT as a function inside a condition is not a join.
    {"SELECT a FROM t JOIN u ON LEFT(u.n, 1) = t.k CROSS JOIN v",
     0,
     "SELECT a FROM t JOIN u ON LEFT(u.n, 1) = t.k CROSS JOIN v",
     {{"a", 0}},
     {},
     "t JOIN u ON LEFT(u.n, 1) = t.k CROSS JOIN v",
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
    {"SELECT s.a FROM (SELECT a FROM t WHERE b = ?) s WHERE s.a > ?",
     0,
     "SELECT s.a FROM (SELECT a FROM t WHERE b = ?) s WHERE s.a > ?",
     {{"s.a", Q}},
     {},
     "(SELECT a FROM t WHERE b = ?) s",
     "s.a > ?",
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {"", ""},
     0},
    {"SELECT a FROM t LEFT JOIN", SQLMSG_EMPTY_CLAUSE},
    {"SELECT a FROM t LEFT JOIN u ON WHERE a = 1", SQLMSG_EMPTY_CLAUSE},
    {"SELECT a FROM t LEFT u", SQLMSG_UNEXPECTED_TEXT},
    {"SELECT a FROM t ON a = 1", SQLMSG_UNEXPECTED_TEXT},
};

inline void expectText(const char* got, const char* want, const char* field) {
  if (!want)
    EXPECT_EQ(got, nullptr) << field;
  else
    EXPECT_STREQ(got ? got : "(null)", want) << field;
}

// Runs the whole table over a connection; the heap's chunk counts show that nothing is
// left allocated by any case.
inline void checkParseTable(cmg_capabilities* con) {
  ThreadErrors errors;
  const uint32_t before = parseChunksInUse();
  for (const ParseCase& c : kCases) {
    SCOPED_TRACE(c.sql);
    parsed_sql* p = reinterpret_cast<parsed_sql*>(1);
    char* out = reinterpret_cast<char*>(1);
    const JxStatus st = sqlParse(con, &p, c.sql, &out, 0);
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
  EXPECT_EQ(parseChunksInUse(), before) << "the table leaks";
}

}  // namespace parsetable
