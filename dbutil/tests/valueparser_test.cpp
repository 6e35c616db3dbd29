// JxValueParser: connect strings and other attribute lists.
#include "dbutil/jxvalueparser.h"
#include "scoped_list.h"

#include <gtest/gtest.h>

#include <random>
#include <string.h>
#include <string>
#include <utility>
#include <vector>

namespace {

typedef std::vector<std::pair<std::string, std::string>> Pairs;

std::string str(const JxSubString* s) { return s ? std::string(s->getPtr(), s->getLength()) : "<null>"; }

// Parses and answers the pairs with raw values, or "!" and the error text.
Pairs parse(const std::string& text, char sep = ';', const char* name = nullptr,
            std::string* error = nullptr) {
  ScopedErrorList scope;
  JxSubString view(text.data(), static_cast<uint32_t>(text.size()));
  JxValueParser p(&view, sep, name);
  Pairs out;
  const JxStatus st = p.initialize();
  for (uint32_t i = 0; i < p.getCount(); ++i) {
    const JxSubString* k = p.getAttributeKey(i);
    out.emplace_back(str(k), str(p.getAttributeValue(*k)));
  }
  if (error)
    *error = st ? std::to_string(scope.lastNumber()) + " " + JxErrorKeeper::getLastError()->getText() : "";
  return out;
}

TEST(ValueParser, ParseTable) {
  struct Case {
    std::string text;
    Pairs pairs;
    std::string error;
  } cases[] = {
      {"", {}, ""},
      {"   ", {}, ""},
      {"DSN=Sales;UID=ann;PWD=", {{"DSN", "Sales"}, {"UID", "ann"}, {"PWD", ""}}, ""},
      {" DSN = Sales  ; UID=ann ", {{"DSN", "Sales"}, {"UID", "ann"}}, ""},
      {"PWD='a;b';X=\"c;d\"", {{"PWD", "'a;b'"}, {"X", "\"c;d\""}}, ""},  // quoted separator kept
      {"A='it''s;x'", {{"A", "'it''s;x'"}}, ""},
      {"DSN=x;", {{"DSN", "x"}}, ""},  // a separator may end the list
      {"PWD=*x;A=<b;B==c", {{"PWD", "*x"}, {"A", "<b"}, {"B", "=c"}}, ""},
      {"DSN=a;dsn=b",
       {{"DSN", "a"}},
       "2704 Error parsing connect string at offset 6.  Attribute 'dsn' specified more than once."},
      {"DSN;UID=x", {}, "2704 Error parsing connect string at offset 3. "},  // no "="
      {"DSN", {}, "2704 Error parsing connect string at offset 3. "},
      {"=x", {}, "2704 Error parsing connect string at offset 0. "},
      {"A=1 B=2", {{"A", "1 B=2"}}, ""},
      {"A=1;;B=2", {{"A", "1"}}, "2704 Error parsing connect string at offset 4. "},
      {"1A=2", {}, "2704 Error parsing connect string at offset 0. "},
      {"PWD={a;b};UID=x", {{"PWD", "{a;b}"}, {"UID", "x"}}, ""},  // braced values stay whole
      {"DRIVER={SQLite3 ODBC};X={p}};q}", {{"DRIVER", "{SQLite3 ODBC}"}, {"X", "{p}};q}"}}, ""},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(parse(c.text, ';', nullptr, &error), c.pairs) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
  std::string error;
  parse("a=1,a=2", ',', "the options", &error);
  EXPECT_EQ(error, "2705 Error parsing the options at offset 4. Attribute 'a' specified more than once.");
}

TEST(ValueParser, LookupsSynonymsAndUnused) {
  ScopedErrorList scope;
  const char* text = "DSN=a;UID=b;Extra=c;More=d";
  JxSubString view(text);
  JxValueParser p(&view, ';', nullptr);
  ASSERT_EQ(p.initialize(), 0);
  EXPECT_EQ(p.getUnusedCount(), 4u);
  EXPECT_EQ(p.isAttributeValue("dsn"), 1);
  EXPECT_EQ(p.getUnusedCount(), 4u);  // asking does not use it
  EXPECT_EQ(str(p.getAttributeValue("dsn")), "a");
  const JxSubString* v = nullptr;
  ASSERT_EQ(p.getAttributeValue("USER", "UID", &v), 0);  // under the synonym
  EXPECT_EQ(str(v), "b");
  ASSERT_EQ(p.getAttributeValue("PWD", "PASSWORD", &v), 0);
  EXPECT_EQ(v, nullptr);
  EXPECT_EQ(p.getAttributeValue("nothing"), nullptr);
  EXPECT_EQ(p.getUnusedCount(), 2u);
  EXPECT_EQ(str(p.getUnusedAttribute()), "Extra");
  EXPECT_EQ(str(p.getUnusedAttribute()), "More");
  EXPECT_EQ(p.getUnusedAttribute(), nullptr);
  EXPECT_EQ(p.getUnusedAttribute(), nullptr);

  const char* both = "UID=a;USER=b";
  JxSubString view2(both);
  JxValueParser q(&view2, ';', nullptr);
  ASSERT_EQ(q.initialize(), 0);
  EXPECT_EQ(q.getAttributeValue("UID", "USER", &v), 1);
  EXPECT_EQ(scope.lastNumber(), 2704);
  EXPECT_STREQ(JxErrorKeeper::getLastError()->getText(),
               "Error parsing connect string at offset 12.  Attribute specified twice using keywords 'UID' "
               "and 'USER'.");
}

TEST(ValueParser, EditAndBuild) {
  ScopedErrorList scope;
  const char* text = "DSN=a;UID=b;PWD=c";
  JxSubString view(text);
  JxValueParser p(&view, ';', nullptr);
  ASSERT_EQ(p.initialize(), 0);
  ASSERT_EQ(p.addAttribute("dsn", "new"), 0);          // replaced, key kept
  ASSERT_EQ(p.addAttribute("USER", "ann", "UID"), 0);  // synonym replaced, its key kept
  ASSERT_EQ(p.addAttribute("DATABASE", "x;y"), 0);     // appended, quoted
  ASSERT_EQ(p.addAttribute("Q", "it's"), 0);
  ASSERT_EQ(p.addAttribute("B", " pad "), 0);
  p.removeAttribute("pwd");
  p.removeAttribute("missing");
  JxString out;
  ASSERT_EQ(p.buildString(&out), 0);
  EXPECT_STREQ(out.c_str(), "DSN=new;UID=ann;DATABASE='x;y';Q='it''s';B=' pad '");
  EXPECT_EQ(p.getUnusedCount(), 0u);
  EXPECT_EQ(
      parse(out.c_str()),
      (Pairs{{"DSN", "new"}, {"UID", "ann"}, {"DATABASE", "'x;y'"}, {"Q", "'it''s'"}, {"B", "' pad '"}}));
}

// Property: lists made with addAttribute, written with buildString, parse back to the
// same keys and raw values, and their values unquote to what was added.
TEST(ValueParser, BuildStringRoundTrip) {
  std::mt19937 rng(20261210);
  const std::string alphabet = "ab Z09;;''\"`=,{}*<>-_\t";
  for (int round = 0; round < 300; ++round) {
    ScopedErrorList scope;
    const char sep = round % 3 == 0 ? ',' : ';';
    JxValueParser built(nullptr, sep, nullptr);
    ASSERT_EQ(built.initialize(), 0);
    std::vector<std::pair<std::string, std::string>> logical;
    const int n = static_cast<int>(rng() % 6);
    for (int i = 0; i < n; ++i) {
      const std::string key = "K" + std::to_string(i) + std::string(rng() % 3, 'x');
      std::string value;
      for (int len = static_cast<int>(rng() % 12); len > 0; --len) value += alphabet[rng() % alphabet.size()];
      logical.emplace_back(key, value);
      ASSERT_EQ(built.addAttribute(key.c_str(), value.c_str()), 0);
    }
    JxString text;
    ASSERT_EQ(built.buildString(&text), 0);
    JxValueParser again(&text, sep, nullptr);
    ASSERT_EQ(again.initialize(), 0) << text.c_str() << " " << JxErrorKeeper::getLastError()->getText();
    ASSERT_EQ(again.getCount(), built.getCount()) << text.c_str();
    for (uint32_t i = 0; i < again.getCount(); ++i) {
      EXPECT_EQ(str(again.getAttributeKey(i)), str(built.getAttributeKey(i)));
      const JxSubString* raw = again.getAttributeValue(*again.getAttributeKey(i));
      EXPECT_EQ(str(raw), str(built.getAttributeValue(*built.getAttributeKey(i)))) << text.c_str();
      JxString plain;
      if (raw->getLength() && raw->getPtr()[0] == '\'')
        ASSERT_EQ(raw->copyQuotedStr(&plain), 0);
      else
        plain.initialize(raw->getPtr(), raw->getLength());
      EXPECT_EQ(std::string(plain.c_str()), logical[i].second) << text.c_str();
    }
  }
}

}  // namespace
