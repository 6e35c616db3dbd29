// RWCRegexp: compilation (tokens and status), forward and backward searches, and the
// RWCString searches built on them.
#include <gtest/gtest.h>

#include <string>

#include "utils/rwcregexp.h"
#include "utils/rwxmsg.h"

namespace {

const size_t NONE = RW_NPOS;

struct SearchCase {
  const char* pattern;
  const char* subject;
  size_t start;
  size_t pos;  // NONE: no match
  size_t len;
};

// Subjects are plain C texts except where a length is spelled out in the test.
const SearchCase kForward[] = {
    {"abc", "xxabcxx", 0, 2, 3},
    {"abc", "xxabcxx", 3, NONE, 0},
    {"a*b", "aaab", 0, 0, 4},
    {"a*b", "xb", 0, 1, 1},
    {"a+b", "xb", 0, NONE, 0},
    {"a+", "baaa", 0, 1, 3},
    {"colou?r", "my color", 0, 3, 5},
    {"colou?r", "my colour", 0, 3, 6},
    {"a?ab", "ab", 0, 0, 2},  // the optional element gives back its byte
    {"a.c", "abc", 0, 0, 3},
    {"a.c", "a\nc", 0, 0, 3},  // '.' takes a newline too
    {".*", "xyz", 0, 0, 3},
    {"x.*z", "x12z34z", 0, 0, 7},  // greedy
    {"^ab", "xab", 0, NONE, 0},
    {"^ab", "xab", 1, 1, 2},  // '^' anchors at the search start
    {"^", "abc", 0, 0, 0},
    {"c$", "abc", 0, 2, 1},
    {"c$", "abcc", 0, 3, 1},
    {"$", "abc", 0, NONE, 0},  // an empty match at the very end is not tried
    {"$", "abc", 3, 3, 0},
    {"^$", "", 0, 0, 0},
    {"^", "", 0, 0, 0},
    {"a", "", 0, NONE, 0},
    {"a", "abc", 4, NONE, 0},  // start beyond the end
    {"$*", "a$$b", 0, 0, 0},   // '$' not at the end is literal; zero of them at 0
    {"b$*", "a$b$$", 0, 2, 3},
    {"a^", "xa^", 0, 1, 2},  // '^' not first is literal
    {"[a-c]+", "xxbcay", 0, 2, 3},
    {"[c-a]+", "xxbcay", 0, 2, 3},  // a backwards range is the same set
    {"[^0-9]", "12a", 0, 2, 1},
    {"[-a]+", "x-a-", 0, 1, 3},  // '-' first is literal
    {"[a-]+", "x-a-", 0, 1, 3},  // '-' before ']' is literal
    {"[]]", "]", 0, NONE, 0},    // "[]" is an empty class, then a literal ']'
    {"\\x41", "zA", 0, 1, 1},
    {"\\101", "zA", 0, 1, 1},
    {"\\x", "a", 0, NONE, 0},  // \x without digits is NUL
    {"\\t\\n", "a\t\nb", 0, 1, 2},
    {"\\S", "a b", 0, 1, 1},  // escape letters ignore case
    {"\\.", "ab.c", 0, 2, 1},
    {"a\\", "xa\\", 0, 1, 2},  // a trailing backslash stands for itself
    {"\\*a", "x*a", 0, 1, 2},
    {"\xE9t\xE9", "\xE9t\xE9", 0, 0, 3},  // bytes above 127
    {"[\xE0-\xEF]", "a\xE9", 0, 1, 1},
};

TEST(RWCRegexpSearch, ForwardTable) {
  for (const SearchCase& c : kForward) {
    RWCRegexp re(c.pattern);
    ASSERT_EQ(re.status(), RWCRegexp::OK) << c.pattern;
    size_t len = 99;
    EXPECT_EQ(re.index(RWCString(c.subject), &len, c.start), c.pos)
        << "/" << c.pattern << "/ on \"" << c.subject << "\" from " << c.start;
    EXPECT_EQ(len, c.len) << "/" << c.pattern << "/ on \"" << c.subject << "\"";
  }
}

TEST(RWCRegexpSearch, EscapedBracketIsAClassMember) {
  RWCRegexp re("[\\]x]+");
  size_t len;
  EXPECT_EQ(re.index(RWCString("ab]x]c"), &len, 0), 2u);
  EXPECT_EQ(len, 3u);
}

TEST(RWCRegexpSearch, EmbeddedNulBytes) {
  RWCRegexp re("a\\0+b");
  RWCString s("xa\0\0b", 5);
  size_t len;
  EXPECT_EQ(re.index(s, &len, 0), 1u);
  EXPECT_EQ(len, 4u);
  RWCRegexp ctl("\\^A");  // control-A
  EXPECT_EQ(ctl.index(RWCString("x\x01"), &len, 0), 1u);
}

const SearchCase kBackward[] = {
    {"b", "abcabc", 6, 4, 1},     {"b", "abcabc", 4, 1, 1},  // the window ends before start
    {"b", "abcabc", 1, NONE, 0},  {"c", "abc", 3, 2, 1},     // from the end of the text
    {"ab*", "abbxab", 6, 4, 2},   {"^a", "abab", 4, 0, 1},   // '^' is the string's start
    {"$", "abc", 3, 3, 0},        {"$", "abc", 2, 2, 0},
    {"bc$", "abcbc", 3, 1, 2},  // '$' is the end of the window
    {"bc$", "abcbc", 4, NONE, 0}, {"z", "abc", 9, NONE, 0},
};

TEST(RWCRegexpSearch, BackwardTable) {
  for (const SearchCase& c : kBackward) {
    RWCRegexp re(c.pattern);
    size_t len = 99;
    EXPECT_EQ(re.p_index(RWCString(c.subject), &len, c.start), c.pos)
        << "/" << c.pattern << "/ on \"" << c.subject << "\" from " << c.start;
    EXPECT_EQ(len, c.len) << "/" << c.pattern << "/ on \"" << c.subject << "\"";
  }
}

struct StatusCase {
  std::string pattern;
  int status;
};

TEST(RWCRegexpCompile, StatusTable) {
  const StatusCase cases[] = {
      {"", 1},
      {"*a", 1},
      {"**", 1},
      {"+a", 1},
      {"?", 1},
      {"a**", 3},
      {"a*+", 3},
      {"^*", 3},
      {"[abc", 3},
      {"[", 3},
      {"$*", 0},
      {"a\\*", 0},
      {"[*]", 0},
      {"x[^]]", 0},
      {std::string(127, 'a'), 0},
      {std::string(128, 'a'), 3},
      {std::string(111, 'a') + "[ab]", 3},  // a class needs 17 free tokens
      {std::string(110, 'a') + "[ab]", 0},
      {std::string(126, 'a') + "*", 0},
  };
  for (const StatusCase& c : cases) {
    RWCRegexp re(c.pattern.c_str());
    EXPECT_EQ(re.status(), c.status) << "/" << c.pattern << "/";
    EXPECT_EQ(re.status(), 0) << "status() resets";
  }
}

TEST(RWCRegexpCompile, RepetitionStandsInFrontOfItsElement) {
  RWCRegexp re("a*b");
  const uint16_t* t = re.tokens();
  EXPECT_EQ(t[0], RWCRegexp::kStar);
  EXPECT_EQ(t[1], 'a');
  EXPECT_EQ(t[2], 'b');
  EXPECT_EQ(t[3], RWCRegexp::kEnd);

  RWCRegexp cls("x[a]+");
  const uint16_t* u = cls.tokens();
  EXPECT_EQ(u[0], 'x');
  EXPECT_EQ(u[1], RWCRegexp::kPlus);
  EXPECT_EQ(u[2], RWCRegexp::kClass);
  EXPECT_EQ(u['a' / 16 + 3], 1u << ('a' % 16));
  EXPECT_EQ(u[19], RWCRegexp::kEnd);
}

// Runs f and answers the text of the RWInternalErr it throws ("" when none).
template <class F>
std::string internalError(F f) {
  try {
    f();
  } catch (const RWInternalErr& e) {
    return e.why();
  }
  return "";
}

const char kBadRe[] = "[BADRE] Attempt to use invalid regular expression";

TEST(RWCRegexpFailure, SearchWithFailedPatternThrowsEveryTime) {
  RWCRegexp re("a**");
  RWCString s("aaa");
  size_t len;
  EXPECT_EQ(internalError([&] { re.index(s, &len, 0); }), kBadRe);
  EXPECT_EQ(re.status(), RWCRegexp::TOOLONG);
  // The status has been read and cleared; the pattern is still unusable.
  EXPECT_EQ(re.status(), RWCRegexp::OK);
  EXPECT_EQ(internalError([&] { re.index(s, &len, 0); }), kBadRe);
  EXPECT_EQ(internalError([&] { re.p_index(s, &len, 3); }), kBadRe);
  EXPECT_EQ(internalError([&] { s.index(re); }), kBadRe);
  EXPECT_EQ(internalError([&] { s(re); }), kBadRe);
  // Copies keep the failure.
  RWCRegexp copy(re);
  EXPECT_EQ(internalError([&] { copy.index(s, &len, 0); }), kBadRe);
  RWCRegexp assigned("a");
  assigned = re;
  EXPECT_EQ(internalError([&] { assigned.index(s, &len, 0); }), kBadRe);
  // A new pattern makes the object usable again.
  re = "a+";
  EXPECT_EQ(re.status(), RWCRegexp::OK);
  EXPECT_EQ(re.index(s, &len, 0), 0u);
  EXPECT_EQ(len, 3u);
  // And a good pattern turned bad fails again.
  re = "";
  EXPECT_EQ(internalError([&] { re.index(s, &len, 0); }), kBadRe);
}

TEST(RWCRegexpCopy, CopyAndAssignmentKeepThePattern) {
  RWCRegexp re("[0-9]+");
  RWCRegexp copy(re);
  RWCRegexp other("x");
  other = re;
  other = other;
  RWCString s("ab123c");
  size_t len;
  EXPECT_EQ(copy.index(s, &len, 0), 2u);
  EXPECT_EQ(other.index(s, &len, 0), 2u);
  EXPECT_EQ(len, 3u);
  other = RWCString("c$");
  EXPECT_EQ(other.index(s, &len, 0), 5u);
}

TEST(RWCStringRegexp, SearchesAndViews) {
  RWCString s("key = value;");
  RWCRegexp word("[a-z]+");
  EXPECT_EQ(s.index(word), 0u);
  EXPECT_EQ(s.index(word, 1), 1u);
  size_t len;
  EXPECT_EQ(s.index(word, &len, 4), 6u);
  EXPECT_EQ(len, 5u);
  EXPECT_EQ(s.p_index(word, &len, 12), 10u);  // the nearest start before the end
  EXPECT_EQ(len, 1u);

  EXPECT_TRUE(s(word) == "key");
  EXPECT_TRUE(s(word, 3) == "value");
  EXPECT_TRUE(s(RWCRegexp("[0-9]")).isNull());
  s(word, 3) = "other";  // assignment through the view replaces the match
  EXPECT_EQ(s, "key = other;");
  const RWCString& cs = s;
  EXPECT_EQ(cs(RWCRegexp(";$")).start(), 11u);
}

}  // namespace
