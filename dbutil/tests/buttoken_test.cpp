// buttoken: token classes per mode, case, the 79-byte limit and its three answers.
// Text and buffer both sit against guard pages.
#include "guarded.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxscanner.h"
#include "scoped_list.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> V;

// Every token up to the empty one; a failure ends the list with "!number".
V tokens(const char* text, unsigned short flags) {
  ScopedErrorList scope;
  const size_t n = strlen(text);
  GuardedBytes textPage(n + 1), bufferPage(BUT_BUFFER_SIZE);
  const char* p = textPage.placeText(text, n);
  char* buffer = bufferPage.end(BUT_BUFFER_SIZE);
  V out;
  for (int i = 0; i < 50; ++i) {
    const char* before = p;
    if (buttoken(buffer, &p, flags)) {
      EXPECT_EQ(p, before) << "the text pointer moved on failure";
      out.push_back("!" + std::to_string(scope.lastNumber()));
      break;
    }
    if (!buffer[0]) break;
    out.push_back(buffer);
  }
  return out;
}

TEST(Buttoken, ClassesByMode) {
  struct Case {
    const char* text;
    unsigned short flags;
    V expected;
  } cases[] = {
      {"select Name, x.y from t", 0, {"SELECT", "NAME", ",", "X", ".", "Y", "FROM", "T"}},
      {"select Name", BUT_KEEP_CASE, {"select", "Name"}},
      {"'it''s' x", 0, {"'it's'", "X"}},  // a doubled quote is copied as one
      {"`a b` \"c\"", 0, {"`a b`", "\"c\""}},
      {"'abc", 0, {"!2703"}},
      {"12.5.3 x", 0, {"12.5", ".3", "X"}},
      {"12. a.b. c", 3, {"12", ".", "A.B", ".", "C"}},  // mode 3 hands a final "." back
      {"12ab:c.d x", 4, {"12AB:C.D", "X"}},             // mode 4: numbers read like names
      {":param, x", 4, {":PARAM", ",", "X"}},
      {":param", 0, {":", "PARAM"}},
      {"#tmp$x a\\-b c\\d", 2, {"#TMP$X", "A-B", "C", "\\", "D"}},
      {"#tmp$x a\\*b", 6, {"#TMP$X", "A*B"}},
      {"#tmp", 0, {"#", "TMP"}},
      {"rest of  text ", 5, {"REST OF  TEXT "}},  // mode 5: a name runs to the end
      {"c:\\d\\f.txt,`a,b`x (y)", 1, {"C:\\D\\F.TXT", ",", "`A,B`X", "(", "Y", ")"}},
      {"a`b", 1, {"!2703"}},
      {"{fn now()} x", 0, {"{fn now()}", "X"}},
      {"{fn", 0, {"!2703"}},
      {"a<>b<=c(+)d", 0, {"A", "<>", "B", "<=", "C", "(+)", "D"}},
      {"a||b !< c =* d ** e *= f != g !> h >= i",
       0,
       {"A", "||", "B", "!<", "C", "=*", "D", "**", "E", "*=", "F", "!=", "G", "!>", "H", ">=", "I"}},
      {"a<b=c(+", 0, {"A", "<", "B", "=", "C", "(", "+"}},
      {"?abc ? x", 0, {"?ABC", "?", "X"}},
      {"\xE9t\xE9 \xF7", 0, {"\xC9T\xC9", "\xF7"}},  // upper-cased by the system
      {"   ", 0, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(tokens(c.text, c.flags), c.expected) << c.text << " / " << c.flags;
}

TEST(Buttoken, LimitOf79InEveryMode) {
  const std::string fits(79, 'n'), over(80, 'n');
  const std::string fitsUp(79, 'N');
  for (unsigned short mode = 0; mode <= 6; ++mode) {
    EXPECT_EQ(tokens(fits.c_str(), mode), V{fitsUp}) << "mode " << mode;
    // Modes 4 and 6 are bounded by the buffer too.
    EXPECT_EQ(tokens(over.c_str(), mode), V{"!2700"}) << "mode " << mode;
    EXPECT_EQ(tokens(over.c_str(), mode | BUT_TRUNCATE), V{fitsUp}) << "mode " << mode;
  }
  const std::string quoted = "'" + std::string(100, 'q') + "'";
  EXPECT_EQ(tokens(quoted.c_str(), 4), V{"!2700"});
  const std::string number(90, '7');
  EXPECT_EQ(tokens(number.c_str(), 6), V{"!2700"});

  ScopedErrorList scope;
  char buffer[BUT_BUFFER_SIZE];
  const char* p = over.c_str();
  EXPECT_EQ(buttoken(buffer, &p, 0), 1);
  EXPECT_EQ(std::string(JxErrorKeeper::getLastError()->getText()),
            "Token too big: " + std::string(79, 'n') + "...");
}

TEST(Buttoken, GrowIntoAnAllocation) {
  ScopedErrorList scope;
  const std::string text = std::string(300, 'w') + " next";
  for (unsigned short mode : {0, 4, 6}) {
    char buffer[BUT_BUFFER_SIZE];
    const char* p = text.c_str();
    ASSERT_EQ(buttoken(buffer, &p, mode | BUT_ALLOCATE | BUT_KEEP_CASE), 0);
    EXPECT_EQ(buffer[0], 'w');
    EXPECT_EQ(buffer[1], 0);
    char* whole = buttokenText(buffer);
    EXPECT_EQ(std::string(whole), std::string(300, 'w'));
    EXPECT_EQ(ramSize(whole), 400u);  // its length plus 100
    ramFree(whole);                   // the caller frees it
    EXPECT_STREQ(p, " next");
  }
  // Short tokens go to an allocation too, so that the caller always knows what to free.
  char buffer[BUT_BUFFER_SIZE];
  const char* p = "ab";
  ASSERT_EQ(buttoken(buffer, &p, BUT_ALLOCATE), 0);
  char* whole = buttokenText(buffer);
  EXPECT_STREQ(whole, "AB");
  ramFree(whole);
}

}  // namespace
