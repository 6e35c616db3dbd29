// The SQL scanner as tables of texts: the tokens read, the text they leave behind, and
// the bracketed literals that are converted or refused.
#include "dbsql/sqlmessages.h"
#include "dbsql/sqlscanner.h"
#include "dbutil/jxmemory.h"
#include "guarded_buffer.h"
#include "sql_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ScanCase {
  const char* text;
  int removeComments;
  std::vector<std::string> tokens;
  const char* after;  // the scanned text after the last token
};

const ScanCase kScans[] = {
    {"SELECT [D'1995-03-01'] FROM t",
     0,
     {"SELECT", "{d '1995-03-01'}", "FROM", "t"},
     "SELECT {d '1995-03-01'} FROM t"},
    {"x = [dt'1995-03-01 10:20:30.123456']",
     0,
     {"x", "=", "{ts '1995-03-01 10:20:30.123456'}"},
     "x = {ts '1995-03-01 10:20:30.123456'}"},
    {"x = [DT'1995-03-01 10:20:30']",
     0,
     {"x", "=", "{ts '1995-03-01 10:20:30'}"},
     "x = {ts '1995-03-01 10:20:30'}"},
    {"[T'1995-03-01 10:20:30']", 0, {"{t '10:20:30'}"}, "{t '10:20:30'}"},
    {"[t'10:20:30']", 0, {"{t '10:20:30'}"}, "{t '10:20:30'}"},
    {"[B'0A1B'] b", 0, {"{b '0A1B'}", "b"}, "{b '0A1B'} b"},
    {"[B''] b", 0, {"{b ''}", "b"}, "{b ''} b"},
    {"SELECT [my table].a", 0, {"SELECT", "[my table]", ".", "a"}, "SELECT [my table].a"},
    {"SELECT {fn UCASE(x)}, y", 0, {"SELECT", "{fn UCASE(x)}", ",", "y"}, "SELECT {fn UCASE(x)}, y"},
    {"{d '2001-02-03'}", 0, {"{d '2001-02-03'}"}, "{d '2001-02-03'}"},
    {"SELECT a -- note\nFROM t", 1, {"SELECT", "a", "FROM", "t"}, "SELECT a \nFROM t"},
    {"SELECT a -- note\nFROM t", 0, {"SELECT", "a", "FROM", "t"}, "SELECT a -- note\nFROM t"},
    {"a /* x */ b -- end", 1, {"a", "b"}, "a  b "},
    {"a /* x */ b -- end", 0, {"a", "b"}, "a /* x */ b -- end"},
    {"'it''s' [Dx'1']", 0, {"'it''s'", "[Dx'1']"}, "'it''s' [Dx'1']"},
};

TEST(SqlScanner, TokensAndRewrittenText) {
  for (const ScanCase& c : kScans) {
    SCOPED_TRACE(c.text);
    ThreadErrors errors;
    JxString text;
    ASSERT_EQ(text.initialize(c.text), 0);
    SqlScanner* scanner = new SqlScanner(&text);
    sqlScannerRemoveComments(scanner, c.removeComments);
    std::vector<std::string> got;
    JxToken tok;
    for (int guard = 0; guard < 50; ++guard) {
      ASSERT_EQ(sqlNextToken(scanner, &tok, SEARCH_IDENTIFIER), 0) << errors.lastText();
      if (tok.getType() == TOK_END) break;
      got.emplace_back(tok.getPtr(), tok.getLength());
    }
    EXPECT_EQ(got, c.tokens);
    EXPECT_EQ(std::string(text.c_str()), c.after);
    delete scanner;
  }
}

// Literals that are too short, of the wrong shape, or unclosed: refused with 4501
// naming the text, and never read past (each lies flush against a guard page).
TEST(SqlScanner, MalformedLiteralsAreRefused) {
  const char* const bad[] = {
      "[D'95']",
      "[D'1995-3-1']",
      "[D'1995-03-01 ']",
      "[DT'1995-03-01']",
      "[DT'1995-03-01 10:20:30.1234567']",
      "[T'10:20']",
      "[T'1995-03-01 10:20:30.5']",
      "[T'10:20:30",
      "[D]",
      "[B'0X']",
      "[B'",
      "[T'",
      "[DT",
      "{fn x(",
      "'open",
      "[D'1995-03-01'",
      "[T]",
  };
  for (const char* b : bad) {
    SCOPED_TRACE(b);
    ThreadErrors errors;
    const size_t n = strlen(b);
    GuardedBuffer g(b, n);
    SqlScanner scanner(g.text(), static_cast<uint32_t>(n));
    JxToken tok;
    // Over a text that is not a JxString, a literal cannot be rewritten either: the
    // refusal must come first or from the rewrite, never from a read past the end.
    EXPECT_EQ(sqlNextToken(&scanner, &tok, SEARCH_IDENTIFIER), 1);
    EXPECT_NE(errors.last(), 0);

    JxString text;
    ASSERT_EQ(text.initialize(b), 0);
    SqlScanner s2(&text);
    errors.clear();
    EXPECT_EQ(sqlNextToken(&s2, &tok, SEARCH_IDENTIFIER), 1);
    EXPECT_EQ(errors.last(), SQLMSG_UNEXPECTED_TEXT);
    EXPECT_EQ(std::string(text.c_str()), b) << "a refused literal is left as it was";
  }
}

TEST(SqlScanner, ConvertToOdbc) {
  struct Case {
    const char* literal;
    const char* escape;  // null: refused
  } const cases[] = {
      {"[d'1995-03-01']", "{d '1995-03-01'}"},
      {"[DT'1995-03-01 10:20:30.000001']", "{ts '1995-03-01 10:20:30.000001'}"},
      {"[T'1995-03-01 10:20:30']", "{t '10:20:30'}"},
      {"[T'10:20:30']", "{t '10:20:30'}"},
      {"[D'1995-03-01", nullptr},
      {"[D'']", nullptr},
      {"[T'']", nullptr},
      {"[DT'']", nullptr},
      {"[", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.literal);
    ThreadErrors errors;
    const size_t n = strlen(c.literal);
    GuardedBuffer in(c.literal, n);
    GuardedBuffer out(SQL_ESCAPE_SIZE);
    const JxStatus st = sqlConvertToODBC(in.text(), static_cast<uint32_t>(n), out.text());
    if (c.escape) {
      EXPECT_EQ(st, 0);
      EXPECT_STREQ(out.text(), c.escape);
    } else {
      EXPECT_EQ(st, 1);
      EXPECT_EQ(errors.last(), SQLMSG_UNEXPECTED_TEXT);
      EXPECT_STREQ(out.text(), "");
    }
  }
}

TEST(SqlScanner, AppendTextGrowsBy1024) {
  ThreadErrors errors;
  char* buffer = nullptr;
  uint32_t used = 0, capacity = 0;
  ASSERT_EQ(sqlAppendText(&buffer, &used, &capacity, "abc", 3, 0), 0);
  EXPECT_EQ(capacity, 1024u);
  EXPECT_STREQ(buffer, "abc");
  ASSERT_EQ(sqlAppendText(&buffer, &used, &capacity, "d", 1, 0), 0);
  ASSERT_EQ(sqlAppendText(&buffer, &used, &capacity, ",", 1, 1), 0);
  EXPECT_STREQ(buffer, "abc d,");
  std::string big(1500, 'x');
  ASSERT_EQ(sqlAppendText(&buffer, &used, &capacity, big.data(), 1500, 0), 0);
  EXPECT_EQ(capacity, 2048u);
  EXPECT_EQ(used, 6u + 1 + 1500);
  EXPECT_EQ(std::string(buffer), "abc d, " + big);
  // used + length + 1 reaching the capacity grows it.
  std::string fill(capacity - used - 1, 'y');
  ASSERT_EQ(sqlAppendText(&buffer, &used, &capacity, fill.data(), static_cast<uint32_t>(fill.size()), 1), 0);
  EXPECT_EQ(capacity, 3072u);
  EXPECT_EQ(strlen(buffer), used);
  ramFree(buffer);
}

}  // namespace
