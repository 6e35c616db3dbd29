// JxScanner: token types, keyword matching, delimited tokens and rewriting.
#include "guarded.h"
#include "dbutil/jxscanner.h"
#include "scoped_list.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

std::string str(const JxSubString& s) { return std::string(s.getPtr() ? s.getPtr() : "", s.getLength()); }

// "type:text" for every token up to the end. The text sits against a guard page with no
// terminator: the scanner must stop at its length.
std::vector<std::string> scan(const char* text, void (*setup)(JxScanner&) = nullptr,
                              SearchType search = SEARCH_ORDINARY) {
  const size_t n = strlen(text);
  GuardedBytes guard(n + 1);
  JxScanner s(guard.place(text, n), static_cast<uint32_t>(n));
  if (setup) setup(s);
  std::vector<std::string> out;
  JxToken t;
  for (int i = 0; i < 100 && s.getToken(t, search) != TOK_END; ++i)
    out.push_back(std::to_string(t.getType()) + ":" + str(t));
  return out;
}

typedef std::vector<std::string> V;
const std::string NE = std::to_string(jxOperator('<', '>'));
const std::string LT = std::to_string(jxOperator('<'));

TEST(ScannerTokens, Table) {
  struct Case {
    const char* text;
    void (*setup)(JxScanner&);
    SearchType search;
    V tokens;
  } cases[] = {
      {"a<>b", nullptr, SEARCH_ORDINARY, {"2:a", NE + ":<>", "2:b"}},
      {"a<b", nullptr, SEARCH_ORDINARY, {"2:a", LT + ":<", "2:b"}},
      {"x!=1 y==2 a||b",
       nullptr,
       SEARCH_ORDINARY,
       {"2:x", std::to_string(jxOperator('!', '=')) + ":!=", "5:1", "2:y",
        std::to_string(jxOperator('=', '=')) + ":==", "5:2", "2:a",
        std::to_string(jxOperator('|', '|')) + ":||", "2:b"}},
      {"'it''s' x", nullptr, SEARCH_ORDINARY, {"3:'it''s'", "2:x"}},
      {"\"a b\"", nullptr, SEARCH_ORDINARY, {"3:\"a b\""}},
      {"'it''s", nullptr, SEARCH_ORDINARY, {"4:'it''s"}},  // no closing quote
      {"12 3.5 x", nullptr, SEARCH_ORDINARY, {"5:12", "5:3.5", "2:x"}},
      {"3.5", nullptr, SEARCH_ORDINARY, {"9:3.5"}},  // a decimal number at the very end
      {"1.2.3", nullptr, SEARCH_ORDINARY, {"5:1.2", "9:.3"}},
      {"x .5", nullptr, SEARCH_ORDINARY, {"2:x", "9:.5"}},
      {"12", nullptr, SEARCH_ORDINARY, {"5:12"}},
      {"a -- note\nb",
       [](JxScanner& s) { s.setComments(1); },
       SEARCH_ORDINARY,
       {"2:a", "11:-- note", "2:b"}},  // ends before the line feed
      {"a/* x */b /* open",
       [](JxScanner& s) { s.setComments(1); },
       SEARCH_ORDINARY,
       {"2:a", "11:/* x */", "2:b", "11:/* open"}},
      {"a -- b", nullptr, SEARCH_ORDINARY, {"2:a", std::to_string(jxOperator('-', '-')) + ":--", "2:b"}},
      {"f(a, (b), ')') z",
       [](JxScanner& s) { s.setGroupFlags(JxScanner::GROUP_PARENTHESES); },
       SEARCH_ORDINARY,
       {"2:f", "3:(a, (b), ')')", "2:z"}},
      {"f(a",
       [](JxScanner& s) { s.setGroupFlags(JxScanner::GROUP_PARENTHESES); },
       SEARCH_ORDINARY,
       {"2:f", "4:(a"}},
      {"{fn now()} x",
       [](JxScanner& s) { s.setGroupFlags(JxScanner::GROUP_BRACES); },
       SEARCH_ORDINARY,
       {"3:{fn now()}", "2:x"}},
      {"[my col]", [](JxScanner& s) { s.setUserGroup('[', ']'); }, SEARCH_ORDINARY, {"3:[my col]"}},
      {"f(a)", nullptr, SEARCH_ORDINARY, {"2:f", "40:(", "2:a", "41:)"}},
      {"~\x01", nullptr, SEARCH_ORDINARY, {"10:~", "10:\x01"}},
      {"c:\\dir\\f.txt,x", nullptr, SEARCH_TO_BLANK, {"6:c:\\dir\\f.txt", "44:,", "6:x"}},
      {"#tmp$1 x", nullptr, SEARCH_IDENTIFIER, {"7:#tmp$1", "7:x"}},
      {"@var x", [](JxScanner& s) { s.setWordChars(JxSubString("@")); }, SEARCH_ORDINARY, {"2:@var", "2:x"}},
      {"a-b c",
       [](JxScanner& s) { s.setContinuationChars(JxSubString("-")); },
       SEARCH_ORDINARY,
       {"2:a-b", "2:c"}},
      {"a b;1+c",
       [](JxScanner& s) { s.setDelimiters(JxSubString(";")); },
       SEARCH_ORDINARY,
       {"2:a b", "59:;", "2:1+c"}},
      {"  \t\r\n ", nullptr, SEARCH_ORDINARY, {}},
      {"", nullptr, SEARCH_ORDINARY, {}},
      {"\xC9t\xE9 \xF7", nullptr, SEARCH_ORDINARY, {"2:\xC9t\xE9", "10:\xF7"}},  // 247 is no letter
  };
  for (const Case& c : cases) EXPECT_EQ(scan(c.text, c.setup, c.search), c.tokens) << c.text;
}

TEST(ScannerTokens, EndAndRanges) {
  JxScanner s("ab cd");
  JxToken t;
  EXPECT_EQ(s.getToken(t), TOK_WORD);
  EXPECT_EQ(s.getToken(t), TOK_WORD);
  EXPECT_EQ(t.getPosition(), 3u);
  EXPECT_EQ(s.getToken(t), TOK_END);
  EXPECT_EQ(t.getLength(), 0u);
  EXPECT_EQ(t.getPosition(), 5u);
  s.getToken(t, 1, 3);
  EXPECT_EQ(t.getType(), TOK_BY_POSITION);
  EXPECT_EQ(str(t), "b c");
  s.getToken(t, 4, 99);  // clipped to the text
  EXPECT_EQ(str(t), "d");
  JxScanner again("x y");
  again.getToken(t);
  again.getToken(t);
  again.unGetToken(t);
  again.getToken(t);
  EXPECT_EQ(str(t), "y");
}

TEST(ScannerKeywords, SeveralWords) {
  struct Case {
    const char* text;
    const char* keyword;
    short result;
    const char* covered;
    const char* next;
  } cases[] = {
      {"order   BY x", "ORDER BY", 1, "order   BY", "x"},  // several blanks between
      {"ORDER x", "ORDER BY", 0, "ORDER", "x"},            // position restored
      {"order", "ORDER BY", 0, "order", ""},
      {"group by", "GROUP", 1, "group", "by"},
      {"left outer join t", "LEFT OUTER JOIN", 1, "left outer join", "t"},
  };
  for (const Case& c : cases) {
    JxScanner s(c.text);
    JxToken t, n;
    s.getToken(t);
    EXPECT_EQ(s.isEqualCi(t, c.keyword), c.result) << c.text;
    EXPECT_EQ(str(t), c.covered) << c.text;
    s.getToken(n);
    EXPECT_EQ(str(n), c.next) << c.text;
  }
  JxScanner s("Order by");
  JxToken t;
  s.getToken(t);
  EXPECT_EQ(s.isEqual(t, "ORDER BY"), 0);  // case-sensitive
  EXPECT_EQ(s.isEqual(t, "Order by"), 1);
  const char set[] = "GROUP BY\0ORDER BY\0HAVING\0";
  JxScanner u("order by having");
  u.getToken(t);
  EXPECT_EQ(u.isInSetCi(t, set), 1);
  EXPECT_EQ(str(t), "order by");
  u.getToken(t);
  EXPECT_EQ(u.isInSet(t, set), 0);
  EXPECT_EQ(u.isInSetCi(t, set), 1);
  JxScanner w("select a from t where b = 1");
  EXPECT_EQ(w.isTokenWithinCi("WHERE"), 1);
  w.getToken(t);
  EXPECT_EQ(str(t), "b");
  EXPECT_EQ(w.isTokenWithin("where"), 0);
}

TEST(ScannerDelimited, QuotedDelimiterAndBlanks) {
  struct Case {
    const char* text;
    char delimiter;
    unsigned short type;
    const char* token;
    const char* rest;
  } cases[] = {
      {"  'a,b'   , next", ',', TOK_DELIMITED, "'a,b'", ", next"},
      {"x \"q,\" y ,z", ',', TOK_DELIMITED, "x \"q,\" y", ",z"},
      {", z", ',', TOK_BY_POSITION, "", ", z"},  // empty: the delimiter stays
      {"   ", ',', TOK_END, "", ""},
      {"abc", ';', TOK_DELIMITED, "abc", ""},
      {"'open;x", ';', TOK_DELIMITED, "'open;x", ""},          // an open quote runs to the end
      {"{a;b};c", ';', TOK_DELIMITED, "{a;b}", ";c"},          // a braced value keeps its separator
      {"{a}};b} x;c", ';', TOK_DELIMITED, "{a}};b} x", ";c"},  // "}}" is a brace inside
      {"{open;x", ';', TOK_DELIMITED, "{open;x", ""},          // an open brace runs to the end
      {"a{b;c}", ';', TOK_DELIMITED, "a{b", ";c}"},            // only a leading brace groups
  };
  for (const Case& c : cases) {
    const size_t n = strlen(c.text);
    GuardedBytes guard(n + 1);
    const char* text = guard.place(c.text, n);
    JxScanner s(text, static_cast<uint32_t>(n));
    JxToken t;
    s.getDelimitedToken(t, c.delimiter);
    EXPECT_EQ(t.getType(), c.type) << c.text;
    EXPECT_EQ(str(t), c.token) << c.text;
    EXPECT_EQ(std::string(text + s.getPosition(), n - s.getPosition()), c.rest) << c.text;
  }
}

TEST(ScannerRewrite, ChangeAndInsertTokens) {
  ScopedErrorList scope;
  JxString sql;
  sql.initialize("SELECT a FROM t");
  JxScanner s(&sql);
  JxToken t;
  s.getToken(t);
  s.getToken(t);  // a
  ASSERT_EQ(s.changeToken(&t, JxSubString("col1, col2")), 0);
  s.getToken(t);
  EXPECT_EQ(str(t), "FROM");
  s.getToken(t);  // t
  ASSERT_EQ(s.insertToken(&t, JxSubString("dbo.")), 0);
  EXPECT_EQ(str(t), "t");
  EXPECT_EQ(t.getPosition(), 27u);
  EXPECT_EQ(s.getToken(t), TOK_END);
  EXPECT_STREQ(sql.c_str(), "SELECT col1, col2 FROM dbo.t");
  s.setScanString(&sql);
  s.getToken(t);
  ASSERT_EQ(s.changeToken(&t, JxSubString("")), 0);  // removing a token
  EXPECT_STREQ(sql.c_str(), " col1, col2 FROM dbo.t");
  s.getToken(t);
  EXPECT_EQ(str(t), "col1");

  JxScanner plain("x");
  plain.getToken(t);
  EXPECT_EQ(plain.changeToken(&t, JxSubString("y")), 1);  // no string to rewrite
  EXPECT_EQ(scope.lastNumber(), 1517);
}

}  // namespace
