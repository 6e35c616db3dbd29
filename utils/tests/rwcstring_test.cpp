// RWCString: sharing, capacity policy, edits, comparison, hashing and searching.
#include <gtest/gtest.h>

#include "boundstext.h"

#include <cstring>
#include <string>

#include "utils/rwcstring.h"
#include "utils/rwxmsg.h"

namespace {

TEST(RWCStringShare, CopiesShareUntilAnEdit) {
  RWCString a("hello");
  RWCString b(a);
  RWCString c;
  c = a;
  EXPECT_EQ(a.data(), b.data());
  EXPECT_EQ(a.data(), c.data());
  b.append("!");
  EXPECT_NE(a.data(), b.data());
  EXPECT_EQ(a, "hello");
  EXPECT_EQ(b, "hello!");
  c.toUpper();
  EXPECT_EQ(a, "hello");
  EXPECT_EQ(c, "HELLO");
}

TEST(RWCStringShare, SelfAssignmentKeepsTheRepresentation) {
  RWCString a("only");
  const char* before = a.data();
  RWCString& same = a;
  a = same;
  EXPECT_EQ(a.data(), before);
  EXPECT_EQ(a, "only");
}

TEST(RWCStringShare, NonConstSubscriptMakesPrivateConstDoesNot) {
  RWCString a("abc");
  RWCString b(a);
  const RWCString& cb = b;
  EXPECT_EQ(cb[1], 'b');
  EXPECT_EQ(cb.data(), a.data());
  char c = b[1];  // a read, but through a non-const string
  EXPECT_EQ(c, 'b');
  EXPECT_NE(b.data(), a.data());
  b[0] = 'X';
  EXPECT_EQ(a, "abc");
  EXPECT_EQ(b, "Xbc");
  RWCString d(a), e(a.copy());
  d.clone();
  EXPECT_NE(d.data(), a.data());
  EXPECT_NE(e.data(), a.data());
  EXPECT_EQ(e, a);
}

TEST(RWCStringShare, EmptyStringsShareOneRepresentation) {
  RWCString a, b;
  EXPECT_EQ(a.data(), b.data());
  EXPECT_EQ(a.length(), 0u);
  EXPECT_EQ(a.capacity(), 0u);
  EXPECT_EQ(a.data()[0], '\0');
  a.append('x');
  EXPECT_EQ(b.length(), 0u);
  EXPECT_EQ(b.data()[0], '\0');
}

TEST(RWCStringCapacity, AdjustCapacityRunsInIncrements) {
  RWCString s;
  const size_t cases[][2] = {{0, 15}, {1, 15}, {15, 15}, {16, 31}, {31, 31}, {32, 47}, {64, 79}};
  for (auto& c : cases) EXPECT_EQ(s.adjustCapacity(c[0]), c[1]) << c[0];

  EXPECT_EQ(RWCString::initialCapacity(7), 15u);
  EXPECT_EQ(RWCString::resizeIncrement(10), 16u);
  EXPECT_EQ(s.adjustCapacity(8), 17u);
  EXPECT_EQ(RWCString::maxWaste(3), 15u);
  EXPECT_EQ(s.getMaxWaste(), 3u);
  RWCString::initialCapacity(15);
  RWCString::resizeIncrement(16);
  RWCString::maxWaste(15);
}

TEST(RWCStringCapacity, ConstructorsAndEdits) {
  struct Case {
    const char* what;
    RWCString s;
    size_t capacity;
  };
  RWCString sub("0123456789abcdefghij");
  Case cases[] = {
      {"text", RWCString("abc"), 3},
      {"counted text", RWCString("a\0b", 3), 3},
      {"room", RWCString(RWSize_T(40)), 40},
      {"one char", RWCString('x'), 15},
      {"repeated char", RWCString('x', 5), 5},
      {"substring", RWCString(sub(0, 16)), 31},
      {"sum", RWCString("abc") + "def", 15},
      {"append char", RWCString("abc").append('d'), 15},
      {"+= char", RWCString("abc") += 'd', 15},
      {"append text", RWCString("abc").append("d"), 15},
      {"prepend char", RWCString("abc").prepend('d'), 15},
      {"replace growing", RWCString("abc").replace(1, 1, "0123456789abcdef"), 31},
      {"append in room", RWCString(RWSize_T(20)).append("abcdefghij"), 20},
      {"shrink on waste", RWCString(RWSize_T(100)).append("ab"), 15},
  };
  for (Case& c : cases) EXPECT_EQ(c.s.capacity(), c.capacity) << c.what;

  RWCString pad("ab");
  pad.resize(5);
  EXPECT_EQ(pad, "ab   ");
  pad.resize(1);
  EXPECT_EQ(pad, "a");

  RWCString grow("abc");
  EXPECT_EQ(grow.capacity(50), 50u);
  EXPECT_EQ(grow.capacity(2), 50u);  // not below the length
  EXPECT_EQ(grow, "abc");
}

TEST(RWCStringEdit, ReplaceFromOwnCharactersWorksOnACopy) {
  RWCString s(RWSize_T(20));
  s = "hello world";
  const char* before = s.data();
  s.replace(0, 5, s.data() + 6, 5);
  EXPECT_EQ(s, "world world");
  EXPECT_NE(s.data(), before);
  s = s.data() + 6;  // assignment from its own tail
  EXPECT_EQ(s, "world");
}

TEST(RWCStringEdit, ReplaceTable) {
  struct Case {
    const char* start;
    size_t pos, n;
    const char* text;
    const char* result;
  } cases[] = {
      {"abcdef", 0, 0, "XY", "XYabcdef"}, {"abcdef", 6, 0, "XY", "abcdefXY"},
      {"abcdef", 2, 2, "XY", "abXYef"},   {"abcdef", 2, 99, "XY", "abXY"},
      {"abcdef", 1, 4, "", "af"},         {"abcdef", 1, 1, nullptr, "acdef"},
      {"", 0, 0, "new", "new"},
  };
  for (auto& c : cases) {
    RWCString s(c.start);
    s.replace(c.pos, c.n, c.text);
    EXPECT_EQ(s, c.result) << c.start << " " << c.pos;
    EXPECT_EQ(s.data()[s.length()], '\0');
  }
  RWCString s("abc");
  EXPECT_EQ(boundsText([&] { s.replace(4, 0, "x"); }), "[INDEX] Index (4) out of range [0->3]");
  EXPECT_EQ((RWCString("abc").insert(1, "XY")), "aXYbc");
  EXPECT_EQ((RWCString("abcdef").remove(2)), "ab");
  EXPECT_EQ((RWCString("abcdef").remove(2, 3)), "abf");
  EXPECT_EQ((RWCString("bc").prepend('a', 2)), "aabc");
  EXPECT_EQ(("x" + RWCString("y") + RWCString("z")), "xyz");
}

TEST(RWCStringEdit, EmbeddedNulBytesAreKept) {
  RWCString s("a\0b", 3);
  s.append('\0');
  EXPECT_EQ(s.length(), 4u);
  EXPECT_EQ(memcmp(s.data(), "a\0b\0", 5), 0);
  EXPECT_FALSE(s == "a");  // a NUL inside stops the match, lengths differ
}

TEST(RWCStringEdit, CaseConversion) {
  RWCString s("MiXeD 1!");
  EXPECT_EQ(toLower(s), "mixed 1!");
  EXPECT_EQ(toUpper(s), "MIXED 1!");
  EXPECT_EQ(s, "MiXeD 1!");
  EXPECT_TRUE(s.isAscii());
  EXPECT_FALSE(RWCString("caf\xe9").isAscii());
  EXPECT_EQ(s.mbLength(), 8);
}

TEST(RWCStringIndex, OutOfRangeThrowsWithTheCatalogueText) {
  RWCString s("abc");
  const RWCString& cs = s;
  EXPECT_EQ(boundsText([&] { s[3]; }), "[INDEX] Index (3) out of range [0->2]");
  EXPECT_EQ(boundsText([&] { cs[7u]; }), "[INDEX] Index (7) out of range [0->2]");
  EXPECT_EQ(boundsText([&] { s[-1]; }), "[INDEX] Index (4294967295) out of range [0->2]");
  EXPECT_EQ(boundsText([&] { s[2]; }), "");
  try {
    s[5];
    FAIL();
  } catch (const RWxmsg& e) {  // caught through the root as well
    EXPECT_STREQ(e.why(), "[INDEX] Index (5) out of range [0->2]");
  }
}

int sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

TEST(RWCStringCompare, Table) {
  struct Case {
    const char* a;
    const char* b;
    RWCString::caseCompare cmp;
    int text;    // compareTo(const char*)
    int string;  // sign of compareTo(const RWCString&)
  } cases[] = {
      {"abc", "ab", RWCString::exact, 1, 1},
      {"abc", "abd", RWCString::exact, -1, -1},
      {"abc", "abc", RWCString::exact, 0, 0},
      {"ab", "abc", RWCString::exact, -1, -1},
      {"", "", RWCString::exact, 0, 0},
      {"", "a", RWCString::exact, -1, -1},
      {"ABC", "abc", RWCString::ignoreCase, 0, 0},
      {"ABC", "abc", RWCString::exact, -1, -1},
      {"abD", "ABC", RWCString::ignoreCase, 1, 1},
      // High bytes: signed against text, unsigned bytes against a string.
      {"\x80", "a", RWCString::exact, -1, 1},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " ? " + c.b);
    RWCString a(c.a);
    EXPECT_EQ(a.compareTo(c.b, c.cmp), c.text);
    EXPECT_EQ(sign(a.compareTo(RWCString(c.b), c.cmp)), c.string);
  }
  EXPECT_TRUE(RWCString("abc") == "abc");
  EXPECT_TRUE(RWCString("abc") != "ab");
  EXPECT_TRUE(RWCString("a") < RWCString("b"));
  EXPECT_EQ(sign(RWCString("a").collate("b")), -1);
  EXPECT_EQ(sign(strXForm("a").compareTo(strXForm("b"))), -1);
}

TEST(RWCStringHash, Table) {
  struct Case {
    const char* s;
    size_t n;
    unsigned exact;
  } cases[] = {
      {"", 0, 0x0},
      {"x", 1, 0x58},
      {"abcd", 4, 0x646362e1},
      {"abcde", 5, 0x8c6c5849},     // one word and one trailing byte
      {"abcd\x80", 5, 0x7393a7ac},  // a trailing 0x80 sets the upper bits
      {"abcdA\x80"
       "B",
       7, 0x7393d06e},
      {"abcdefgh", 8, 0xe40b0a49},
  };
  for (auto& c : cases) EXPECT_EQ(RWCString(c.s, c.n).hash(), c.exact) << c.s;
  EXPECT_EQ(RWCString("Hello").hash(RWCString::ignoreCase), 0x0ea3b9cfu);
  EXPECT_EQ(RWCString("hELLO").hash(RWCString::ignoreCase), 0x0ea3b9cfu);
}

TEST(RWCStringSearch, IndexTable) {
  const size_t N = RW_NPOS;
  struct Case {
    const char* s;
    const char* pat;
    size_t start;
    RWCString::caseCompare cmp;
    size_t result;
  } cases[] = {
      {"abcabc", "bc", 0, RWCString::exact, 1},
      {"abcabc", "bc", 2, RWCString::exact, 4},
      {"abcabc", "bc", 5, RWCString::exact, N},
      {"abc", "", 3, RWCString::exact, 3},  // empty pattern: the start, even at the end
      {"abc", "", 4, RWCString::exact, N},
      {"abc", "abcd", 0, RWCString::exact, N},
      {"ABCabc", "bCa", 0, RWCString::ignoreCase, 1},
      {"ABCabc", "bCa", 0, RWCString::exact, N},
      {"aab", "ab", 0, RWCString::exact, 1},
  };
  for (auto& c : cases) {
    EXPECT_EQ(RWCString(c.s).index(c.pat, strlen(c.pat), c.start, c.cmp), c.result)
        << c.s << " / " << c.pat << " @" << c.start;
  }
  RWCString s("path/to/file.txt");
  EXPECT_EQ(s.first('/'), 4u);
  EXPECT_EQ(s.last('/'), 7u);
  EXPECT_EQ(s.first('#'), N);
  EXPECT_EQ(s.last('#'), N);
  EXPECT_EQ(s.first("._"), 12u);
  EXPECT_EQ(s.first(""), N);
  EXPECT_TRUE(s.contains("FILE", RWCString::ignoreCase));
}

TEST(RWCSubStringTest, ViewsAndAssignment) {
  RWCString s("hello world");
  EXPECT_TRUE(s(6, 5) == "world");
  EXPECT_TRUE(s(0, 5) == RWCString("hello"));
  EXPECT_TRUE(s(2, 1) == s(3, 1));
  EXPECT_TRUE(s(0, 1) != s(1, 1));
  s(0, 5) = "goodbye";
  EXPECT_EQ(s, "goodbye world");
  s.subString("world") = RWCString("all");
  EXPECT_EQ(s, "goodbye all");
  s(0, 4).toUpper();
  EXPECT_EQ(s, "GOODbye all");
  s.subString("GOOD").toLower();
  EXPECT_EQ(s, "goodbye all");
  RWCSubString own = s(0, 4);
  own = s(8, 3);  // source in the same string
  EXPECT_EQ(s, "allbye all");
  EXPECT_EQ(RWCString(s(3, 3)), "bye");
}

TEST(RWCSubStringTest, NullSubstring) {
  RWCString s("abc");
  RWCSubString miss = s.subString("zz");
  EXPECT_TRUE(miss.isNull());
  EXPECT_EQ(miss.length(), 0u);
  miss = "changed";
  EXPECT_EQ(s, "abc");
  miss.toUpper();
  EXPECT_EQ(s, "abc");
  EXPECT_EQ(RWCString(miss), "");
  EXPECT_TRUE(miss == "");

  RWCString blanks("    ");
  EXPECT_TRUE(blanks.strip(RWCString::both).isNull());
  RWCString empty;
  EXPECT_TRUE(empty.strip(RWCString::both).isNull());
}

TEST(RWCSubStringTest, StripTable) {
  struct Case {
    const char* s;
    RWCString::stripType type;
    char c;
    const char* result;
  } cases[] = {
      {"  ab  ", RWCString::leading, ' ', "ab  "}, {"  ab  ", RWCString::trailing, ' ', "  ab"},
      {"  ab  ", RWCString::both, ' ', "ab"},      {"xxaxx", RWCString::both, 'x', "a"},
      {"ab", RWCString::both, ' ', "ab"},
  };
  for (auto& c : cases) {
    RWCString s(c.s);
    EXPECT_EQ(RWCString(s.strip(c.type, c.c)), c.result) << c.s;
  }
}

TEST(RWCSubStringTest, BoundsErrors) {
  RWCString s("abcdef");
  RWCSubString sub = s(1, 3);
  EXPECT_EQ(sub[2], 'd');
  EXPECT_EQ(boundsText([&] { sub[3]; }), "[INDEX] Index (3) out of range [0->3]");
  EXPECT_EQ(boundsText([&] { sub.subStringError(6, 4, 5); }),
            "[SUBSTRING] Illegal substring (4, 5) from 6 element RWCString");
  EXPECT_EQ(boundsText([&] { sub.subStringError(6, RW_NPOS, 0); }),
            "[SUBSTRING] Illegal substring (-1, 0) from 6 element RWCString");
  sub[0] = 'B';
  EXPECT_EQ(s, "aBcdef");
}

}  // namespace
