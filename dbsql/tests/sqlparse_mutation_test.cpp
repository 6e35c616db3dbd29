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
                                     " ON ",    " JOIN ",
                                     " USING ", " NUMBER "};
        s.insert(at, words[rng() % (sizeof words / sizeof words[0])]);
      }
    }
  }
  return s;
}

bool allowed(unsigned short n) { return (n >= 4500 && n <= 4505) || n == 30190; }

// Runs rounds mutated texts of the corpus through sqlParse over the connection.
void runMutations(cmg_capabilities* con, const char* const* corpus, size_t corpusSize, unsigned seed,
                  int rounds) {
  ThreadErrors errors;
  const uint32_t before = [] {
    uint32_t n = 0;
    for (jxram::Block* b = jxram::firstBlock(); b; b = b->next) n += b->inUse;
    return n;
  }();
  std::mt19937 rng(seed);
  int accepted = 0, refused = 0;
  for (int round = 0; round < rounds; ++round) {
    std::string text = mutate(rng, corpus[round % corpusSize]);
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
    if (sqlParse(con, &p, at, &out, 0) == 0) {
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

TEST(SqlParseMutation, SeededRun) {
  cmg_capabilities con;
  memset(&con, 0, sizeof con);
  const char* words[] = {"AND", "AS", "BY", "FROM", "NULL", "OR", "SELECT", "UNION", "WHERE"};
  con.reservedWords = const_cast<char**>(words);
  con.reservedCount = sizeof words / sizeof words[0];
  con.quoteChar = '"';
  con.identifierCase = SQL_IC_UPPER;
  con.outerJoinSyntax = CMG_OJ_OUTER;
  runMutations(&con, kCorpus, sizeof kCorpus / sizeof kCorpus[0], 20261211, 6000);
}

// Joins written out, queries in FROM and multi-word phrases, over a profile with FROM
// words, phrases, delimiters or extra name characters (the read-ahead of joins and
// phrases gives tokens back to the scanner).
TEST(SqlParseMutation, JoinsPhrasesAndDelimiters) {
  const char* const corpus[] = {
      "SELECT c.name, o.total FROM customers c LEFT OUTER JOIN orders o ON c.k = o.k AND LEFT(o.n, 1) = ?a "
      "INNER JOIN d USING (k) WHERE o.total > ?",
      "SELECT ROW NUMBER, sys date time x, ROW y FROM t CROSS JOIN u NATURAL JOIN v, (SELECT a FROM w WHERE "
      "b = ?) s ORDER BY y",
      "SELECT my-col, [D'1995-03-01'] FROM c:\\data\\t-1.dbf x STRAIGHT_JOIN u ON x.k = u.k -- end",
  };
  const char* words[] = {"AND", "AS", "BY", "FROM", "JOIN", "LEFT", "NULL", "ON", "OR", "SELECT", "WHERE"};
  for (int variant = 0; variant < 3; ++variant) {
    SCOPED_TRACE(variant);
    cmg_capabilities con;
    memset(&con, 0, sizeof con);
    con.reservedWords = const_cast<char**>(words);
    con.reservedCount = sizeof words / sizeof words[0];
    con.quoteChar = '"';
    con.identifierCase = SQL_IC_UPPER;
    con.fromReserved = const_cast<char*>("STRAIGHT_JOIN\0HOLDLOCK\0\0");
    con.pseudoColumns = const_cast<char*>("ROWID\0ROW NUMBER\0SYS DATE TIME\0\0");
    if (variant == 1) con.delimiters = const_cast<char*>(",()=<>;");
    if (variant == 2) {
      con.columnChars = const_cast<char*>("-");
      con.tableChars = const_cast<char*>("-:\\.");
      con.flagsB = CMG_B_REMOVE_COMMENTS;
    }
    runMutations(&con, corpus, sizeof corpus / sizeof corpus[0], 52000u + static_cast<unsigned>(variant),
                 3000);
  }
}

}  // namespace
