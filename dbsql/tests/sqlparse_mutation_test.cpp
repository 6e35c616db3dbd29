// A seeded mutation run over SQL statements through sqlParse: every text lies flush
// against a guard page, so a read past it ends the process; every refusal must be one
// of the parser's or the scanner's messages, and nothing may stay allocated.
#include "dbsql/sqlmessages.h"
#include "dbsql/sqlparse.h"
#include "dbutil/jxmemory.h"
#include "ram_internal.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

const char* const kCorpus[] = {
    "SELECT a, b FROM t WHERE x = 'it''s' AND y <> 3.5 -- note\nORDER BY a",
    "SELECT total = a+b, c x, t.* FROM owner.t x, u WHERE b = ?n GROUP BY a HAVING 1 = 1 ORDER BY x",
    "SELECT [my col], [D'1995-03-01'], [DT'1995-03-01 10:20:30'], [T'10:20:30'], [B'0A1B'] FROM t",
    "SELECT a FROM {oj T1 a LEFT OUTER JOIN T2 b ON a.f = b.f} WHERE w = 1 COMPUTE SUM(a) OPTIONS x",
    "SELECT DISTINCT \"my col\" AS c FROM \"my table\" FOR UPDATE OF a UNION SELECT b FROM u",
    "UPDATE t SET a = ?x, b = {fn NOW()} /* c */ WHERE b = ?",
    "SELECT (a + (b * 2)) s, NULL, 'k' n FROM t, OUTER u ORDER BY s, n",
};
const char kSpecial[] = "'\"`{}()[];,=<>!|*+-/\\.:?#$%@_ \t\r\n09aZ\xE9\xF7\xFF";

std::string mutate(std::mt19937& rng, std::string s) {
  const int steps = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < steps; ++i) {
    const size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
    const char c = kSpecial[rng() % (sizeof kSpecial - 1)];
    switch (rng() % 5) {
      case 0:
        s.insert(at, 1, c);
        break;
      case 1:
        if (at < s.size()) s.erase(at, 1 + rng() % 6);
        break;
      case 2:
        if (at < s.size()) s[at] = c;
        break;
      case 3:
        s = s.substr(0, at);
        break;
      default: {
        const std::string words[] = {"SELECT",  "FROM",
                                     "WHERE",   "GROUP",
                                     "BY",      "ORDER",
                                     "FOR",     "UPDATE",
                                     "COMPUTE", "OPTIONS",
                                     "UNION",   "INTO",
                                     "[D'",     "[T'",
                                     "[B'",     "{oj ",
                                     "?",       "=",
                                     ",",       "(",
                                     ")",       " LEFT OUTER JOIN ",
                                     " ON "};
        s.insert(at, words[rng() % (sizeof words / sizeof words[0])]);
      }
    }
  }
  return s;
}

bool allowed(unsigned short n) { return (n >= 4500 && n <= 4505) || n == 30190; }

TEST(SqlParseMutation, SeededRun) {
  cmg_capabilities con;
  memset(&con, 0, sizeof con);
  const char* words[] = {"AND", "AS", "BY", "FROM", "NULL", "OR", "SELECT", "UNION", "WHERE"};
  con.reservedWords = const_cast<char**>(words);
  con.reservedCount = sizeof words / sizeof words[0];
  con.quoteChar = '"';
  con.identifierCase = SQL_IC_UPPER;
  con.outerJoinSyntax = CMG_OJ_OUTER;
  ThreadErrors errors;
  const uint32_t before = [] {
    uint32_t n = 0;
    for (jxram::Block* b = jxram::firstBlock(); b; b = b->next) n += b->inUse;
    return n;
  }();
  std::mt19937 rng(20261211);
  int accepted = 0, refused = 0;
  for (int round = 0; round < 6000; ++round) {
    std::string text = mutate(rng, kCorpus[round % (sizeof kCorpus / sizeof kCorpus[0])]);
    // The parser reads a zero-terminated text: the terminator is the buffer's last byte.
    const size_t size = text.size() + 1;
    char* page =
        static_cast<char*>(VirtualAlloc(nullptr, 2 * 65536, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(page, nullptr);
    DWORD old;
    VirtualProtect(page + 65536, 65536, PAGE_NOACCESS, &old);
    char* at = page + 65536 - size;
    memcpy(at, text.c_str(), size);
    parsed_sql* p = nullptr;
    char* out = nullptr;
    if (sqlParse(&con, &p, at, &out, 0) == 0) {
      ++accepted;
      ASSERT_NE(p, nullptr);
      for (uint16_t i = 0; i < p->itemCount; ++i)
        ASSERT_LE(p->items[i].start + p->items[i].length, strlen(out)) << text;
      sqlParseFree(p);
      ramFree(out);
    } else {
      ++refused;
      ASSERT_EQ(p, nullptr) << text;
      ASSERT_EQ(out, nullptr) << text;
      ASSERT_TRUE(allowed(errors.last())) << errors.last() << " for " << text;
    }
    VirtualFree(page, 0, MEM_RELEASE);
    errors.clear();
    uint32_t now = 0;
    for (jxram::Block* b = jxram::firstBlock(); b; b = b->next) now += b->inUse;
    ASSERT_EQ(now, before) << "leak for " << text;
  }
  EXPECT_GT(accepted, 100);
  EXPECT_GT(refused, 100);
}

}  // namespace
