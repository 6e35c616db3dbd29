// Strings of the database library, on the DLL: JxString limits and editing, the
// in-place rewriter and the free functions, as tables of cases.
#include "dbutil/jxreplacestring.h"
#include "dbutil/jxstrfunc.h"
#include "scoped_list.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

namespace {

std::string str(const JxSubString& s) { return std::string(s.getPtr() ? s.getPtr() : "", s.getLength()); }
unsigned short u16(short r) { return static_cast<unsigned short>(r); }

TEST(JxStringLimit, GrowsTo65487AndRefusesOneMore) {
  ScopedErrorList scope;
  JxString s;
  const std::string chunk(1000, 'x');
  // Growth in steps; the last step that fits fills the capacity exactly.
  while (s.getLength() + 1000 + 1 <= JxString::MAX_CAPACITY) ASSERT_EQ(s.concat(chunk.c_str()), 0);
  const uint32_t rest = JxString::MAX_CAPACITY - 1 - s.getLength();
  ASSERT_EQ(s.concat(chunk.c_str(), rest), 0);
  EXPECT_EQ(s.getCapacity(), 65487u);
  EXPECT_EQ(s.getLength(), 65486u);
  EXPECT_EQ(scope.lastNumber(), 0);
  EXPECT_EQ(s.concat('y'), 1);
  EXPECT_EQ(scope.lastNumber(), 2716);
  EXPECT_STREQ(JxErrorKeeper::getLastError()->getText(), "Cannot handle strings larger than 65500 bytes.");
  EXPECT_EQ(s.getLength(), 65486u);  // unchanged
  EXPECT_EQ(s.c_str()[65485], 'x');
}

TEST(JxStringLimit, CallersBufferNeverGrows) {
  ScopedErrorList scope;
  char buffer[8] = "abc";
  JxString s;
  s.initializeWithBuffer(buffer, sizeof buffer, 3);
  EXPECT_EQ(s.concat("defg"), 0);
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_EQ(s.concat('h'), 1);
  EXPECT_EQ(scope.lastNumber(), 2716);
  EXPECT_STREQ(buffer, "abcdefg");
}

TEST(StrCompare, ResultsAre16BitOneMinusOneZero) {
  struct Case {
    const char *a, *b;
    unsigned short plain, ci, pad;
  } cases[] = {
      {"abc", "abc", 0, 0, 0},
      {"abc", "abd", 0xffff, 0xffff, 0xffff},
      {"abd", "abc", 1, 1, 1},
      {"abc", "ABC", 1, 0, 1},
      {"abc", "abc   ", 0xffff, 0xffff, 0},  // trailing blanks: equal only when padded
      {"abc   ", "abc", 1, 1, 0},
      {"abc", "abc  x", 0xffff, 0xffff, 0xffff},  // any other character: greater
      {"abc", "abc\t", 0xffff, 0xffff, 0xffff},
      {"abc\t", "abc", 1, 1, 1},
      {"", "", 0, 0, 0},
      {"", "  ", 0xffff, 0xffff, 0},
      {"\xE9", "e", 1, 1, 1},  // bytes compare unsigned
  };
  for (const Case& c : cases) {
    const uint32_t la = static_cast<uint32_t>(strlen(c.a)), lb = static_cast<uint32_t>(strlen(c.b));
    EXPECT_EQ(u16(strCompare(c.a, la, c.b, lb)), c.plain) << c.a << "|" << c.b;
    EXPECT_EQ(u16(strCompareCi(c.a, c.b)), c.ci) << c.a << "|" << c.b;
    EXPECT_EQ(u16(strComparePad(c.a, c.b)), c.pad) << c.a << "|" << c.b;
    EXPECT_EQ(u16(strComparePad(c.a, la, c.b, lb)), c.pad) << c.a << "|" << c.b;
  }
  EXPECT_EQ(u16(strCompareWithMaxLength("abcX", "abcY", 3)), 0);
  EXPECT_EQ(u16(strCompareWithMaxLength("abcX", "abcY", 4)), 0xffff);
  EXPECT_EQ(memCompareHuge("ab", "ac", 2), 0xffff);
  EXPECT_EQ(u16(strCompareIntl("apple", "Banana")), 0xffff);  // by the locale, not by bytes
  EXPECT_EQ(u16(strCompareIntl("apple", 3, "appX", 3)), 0);
}

TEST(StrCompare, FloatsBySignThenMagnitude) {
  struct Case {
    double a, b;
    short r;
  } cases[] = {
      {1.0, 2.0, -1},   {2.0, 1.0, 1},   {-1.0, 1.0, -1}, {1.0, -1.0, 1},
      {-2.0, -1.0, -1}, {-1.0, -2.0, 1}, {3.5, 3.5, 0},   {0.0, 1e-300, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(floatCompare(&c.a, &c.b), c.r) << c.a << " " << c.b;
}

TEST(NumberParse, Table) {
  struct Case {
    const char* text;
    unsigned short error;
    unsigned long value;
  } cases[] = {
      {"4294967295", 0, 4294967295ul},  // 2^32-1
      {"42949672950", 2701, 0},         // one digit more
      {"4294967296", 2701, 0},
      {"99999999999999999999999", 2701, 0},
      {"12a", 2702, 0},      // digit then letter
      {"  ++ 17  ", 0, 17},  // blanks and plus signs before, blanks after
      {"+0", 0, 0},
      {"-1", 2702, 0},  // no sign for an unsigned form
      {"1 2", 2702, 0},
      {"12.5", 2702, 0},
      {"", 0, 0},
  };
  for (const Case& c : cases) {
    ScopedErrorList scope;
    unsigned long v = 12345;
    EXPECT_EQ(convert(c.text, &v), c.error ? 1 : 0) << c.text;
    EXPECT_EQ(scope.lastNumber(), c.error) << c.text;
    if (!c.error) {
      EXPECT_EQ(v, c.value) << c.text;
    }
    if (c.error) {
      const std::string expected =
          std::string(c.error == 2701 ? "Number too large: " : "Number contains an invalid character: ") +
          c.text;
      EXPECT_EQ(JxErrorKeeper::getLastError()->getText(), expected);
    }
  }
}

TEST(NumberParse, SignedAndSmallForms) {
  struct Case {
    const char* text;
    int type;
    unsigned short error;
    long value;
  } cases[] = {
      // type: 0 long, 1 short, 2 unsigned short, 3 char, 4 unsigned char
      {"-2147483648", 0, 0, -2147483647L - 1},  // the most negative long
      {"-2147483649", 0, 2701, 0},
      {"2147483647", 0, 0, 2147483647L},
      {"2147483648", 0, 2701, 0},
      {" + -5", 0, 0, -5},
      {"--5", 0, 2702, 0},  // one minus sign only
      {"-32768", 1, 0, -32768},
      {"32768", 1, 2701, 0},
      {"65535", 2, 0, 65535},
      {"65536", 2, 2701, 0},
      {"-128", 3, 0, -128},
      {"128", 3, 2701, 0},
      {"255", 4, 0, 255},
      {"256", 4, 2701, 0},
  };
  for (const Case& c : cases) {
    ScopedErrorList scope;
    long got = 0;
    JxStatus st = 1;
    switch (c.type) {
      case 0: {
        long v;
        st = convert(c.text, &v);
        got = v;
        break;
      }
      case 1: {
        short v;
        st = convert(c.text, &v);
        got = v;
        break;
      }
      case 2: {
        unsigned short v;
        st = convert(c.text, &v);
        got = v;
        break;
      }
      case 3: {
        char v;
        st = convert(c.text, &v);
        got = static_cast<signed char>(v);
        break;
      }
      case 4: {
        unsigned char v;
        st = convert(c.text, &v);
        got = v;
        break;
      }
    }
    EXPECT_EQ(st, c.error ? 1 : 0) << c.text;
    EXPECT_EQ(scope.lastNumber(), c.error) << c.text;
    if (!c.error) {
      EXPECT_EQ(got, c.value) << c.text;
    }
  }
  ScopedErrorList scope;
  unsigned short v = 0;
  EXPECT_EQ(convert("123456", 3, &v), 0);  // only the first length bytes
  EXPECT_EQ(v, 123);
  const std::string long100(100, '1');
  EXPECT_EQ(convert(long100.c_str(), 100, &v), 1);  // at most 79 bytes, still too large
  EXPECT_EQ(scope.lastNumber(), 2701);
}

TEST(NumberFormat, FieldsAsterisksAndAlignment) {
  struct Case {
    int width;
    unsigned long value;
    int left;
    const char* text;
    int result;
  } cases[] = {
      {3, 1234, 0, "** ", 0},  // overflow: all digit positions but the last
      {3, 1234, 1, "** ", 0},
      {5, 42, 0, "   42", 2},
      {5, 42, 1, "42   ", 2},
      {5, 0, 0, "     ", 0},  // leading zeros stay blank
      {12, 4294967295ul, 0, "  4294967295", 10},
      {12, 4294967295ul, 1, "4294967295  ", 10},
      {10, 4294967295ul, 0, "4294967295", 10},
      {9, 4294967295ul, 0, "******** ", 0},
      {1, 7, 0, "7", 1},
      {0, 7, 0, "", 0},
  };
  for (const Case& c : cases) {
    char buffer[32];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(convert(buffer, c.width, c.value, c.left), c.result) << c.width << " " << c.value;
    EXPECT_STREQ(buffer, c.text) << c.width << " " << c.value;
  }
  char b[16];
  EXPECT_EQ(convert(b, -2147483647L - 1), 11);
  EXPECT_STREQ(b, "-2147483648");
  EXPECT_EQ(convert(b, 4294967295ul), 10);
}

TEST(StrLike, Table) {
  struct Case {
    const char *text, *pattern;
    char esc;
    int cs;
    short r;
  } cases[] = {
      {"apple", "a%", 0, 0, 1},
      {"a", "a%", 0, 0, 1},
      {"banana", "a%", 0, 0, 0},
      {"Apple", "a%", 0, 0, 1},
      {"Apple", "a%", 0, 1, 0},        // case-sensitive
      {"apple   ", "apple", 0, 1, 1},  // trailing blanks of the text
      {"apple", "apple   ", 0, 1, 1},  // and of the pattern
      {"apple", "a_ple", 0, 1, 1},
      {"aple", "a_ple", 0, 1, 0},
      {"abcabd", "%abd", 0, 1, 1},  // the anchor moves on after a mismatch
      {"abcab", "%abd", 0, 1, 0},
      {"xaybzc", "%a%b%c", 0, 1, 1},
      {"xaybz", "%a%b%c", 0, 1, 0},
      {"100%", "100!%", '!', 1, 1},  // an escaped many matches only itself
      {"1000", "100!%", '!', 1, 0},
      {"a_b", "a!_b", '!', 1, 1},
      {"axb", "a!_b", '!', 1, 0},
      {"abc", "abc!", '!', 1, 0},  // an escape at the very end matches nothing
      {"", "%", 0, 1, 1},
      {"", "%%", 0, 1, 1},
      {"", "_", 0, 1, 0},
      {"ab", "%%b", 0, 1, 1},
      {"\xE9t\xE9", "\xC9T\xC9", 0, 0, 1},  // system upper-casing of the code page
  };
  for (const Case& c : cases)
    EXPECT_EQ(strLike(c.text, c.pattern, '%', '_', c.esc, c.cs), c.r) << c.text << " LIKE " << c.pattern;
}

TEST(Hex, Table) {
  char b[40];
  struct V {
    unsigned long v;
    int min;
    const char* text;
  } values[] = {{0, 0, "0"}, {0, 3, "000"}, {255, 0, "FF"}, {255, 4, "00FF"}, {0xDEADBEEF, 0, "DEADBEEF"}};
  for (const V& v : values) {
    EXPECT_EQ(hexify(b, v.v, v.min), static_cast<int>(strlen(v.text)));
    EXPECT_STREQ(b, v.text);
  }
  const unsigned char bytes[] = {0x00, 0x1f, 0xa0, 0xff};
  memset(b, 0, sizeof b);
  EXPECT_EQ(hexify(b, bytes, 4), 8u);
  EXPECT_STREQ(b, "001FA0FF");
  char inPlace[9] = {'\x12', '\xab', 0};
  EXPECT_EQ(hexify(inPlace, inPlace, 2), 4u);  // dst == src works from the end
  inPlace[4] = 0;
  EXPECT_STREQ(inPlace, "12AB");

  ScopedErrorList scope;
  unsigned char out[4] = {0};
  EXPECT_EQ(dehexify(out, "001fA0Ff", 8), 0);
  EXPECT_EQ(memcmp(out, bytes, 4), 0);
  EXPECT_EQ(isHexString("0aF9", 4), 1);
  EXPECT_EQ(isHexString("0aG9", 4), 0);
  EXPECT_EQ(dehexify(out, "12x4", 4), 1);
  EXPECT_EQ(scope.lastNumber(), 2708);
  EXPECT_STREQ(JxErrorKeeper::getLastError()->getText(),
               "Invalid hexidecimal character found during conversion.");
}

TEST(Quoting, DoubledQuotes) {
  char b[64];
  EXPECT_EQ(strCopyQuoted(b, "it's", '\'') - b, 7);
  EXPECT_STREQ(b, "'it''s'");
  strCatQuoted(b, "x", '"');
  EXPECT_STREQ(b, "'it''s'\"x\"");
  strCopyUnquoted(b, "'it''s'");
  EXPECT_STREQ(b, "it's");
  strCopyUnquoted(b, "''");
  EXPECT_STREQ(b, "");

  ScopedErrorList scope;
  struct Case {
    const char* text;
    char quote;
    const char* quoted;
  } cases[] = {{"plain", '\'', "'plain'"},
               {"it's", '\'', "'it''s'"},
               {"''", '\'', "''''''"},
               {"say \"hi\"", '"', "\"say \"\"hi\"\"\""},
               {"", '`', "``"}};
  for (const Case& c : cases) {
    JxString s;
    ASSERT_EQ(s.initialize(c.text), 0);
    ASSERT_EQ(s.addQuotes(c.quote), 0);
    EXPECT_STREQ(s.c_str(), c.quoted);
    ASSERT_EQ(s.removeQuotes(), 0);
    EXPECT_STREQ(s.c_str(), c.text);
    JxString viaView;
    JxString q;
    q.initialize(c.quoted);
    ASSERT_EQ(q.copyQuotedStr(&viaView), 0);
    EXPECT_STREQ(viaView.c_str(), c.text);
  }
  JxString self;
  self.initialize("ab'c");
  ASSERT_EQ(self.addQuotedBytes(self, '\''), 0);  // quoting a view of itself
  EXPECT_STREQ(self.c_str(), "ab'c'ab''c'");
  EXPECT_STREQ(strFind("a'x,'y,z", ',', '\'', 0, 0), ",z");  // outside quotes only
  EXPECT_EQ(strFind("'a,b'", ',', '\'', '"', 0), nullptr);
}

TEST(LineBreaks, InsertAndRemoveOutsideQuotes) {
  ScopedErrorList scope;
  struct Case {
    const char* text;
    uint32_t width;
    char q;
    const char* broken;
  } cases[] = {
      {"aaa bbb ccc", 5, '\'', "aaa\r\nbbb\r\nccc"},
      {"aaa bbb ccc", 20, '\'', "aaa bbb ccc"},               // short enough: unchanged
      {"aaaaaaaaaa bbb", 5, '\'', "aaaaaaaaaa\r\nbbb"},       // a long word stays whole
      {"x 'a b c d e' y", 4, '\'', "x\r\n'a b c d e'\r\ny"},  // no break inside quotes
      {"x 'a b c d e' y", 4, 0, "x 'a\r\nb c\r\nd e'\r\ny"},  // q1 = 0: quoting ignored
  };
  for (const Case& c : cases) {
    JxString s;
    s.initialize(c.text);
    ASSERT_EQ(s.insertLineBreaks(c.width, c.q, '"', 0), 0);
    EXPECT_STREQ(s.c_str(), c.broken) << c.text;
  }
  struct Back {
    const char *text, *joined;
  } backs[] = {
      {"aaa\r\nbbb\r\nccc", "aaa bbb ccc"},
      {"a\r\n\r\nb", "a b"},  // a CR LF before another one leaves no blank
      {"a\r\n", "a"},         // nor one at the end
      {"'x\r\ny' z\r\nw", "'x\r\ny' z w"},
  };
  for (const Back& b : backs) {
    JxString s;
    s.initialize(b.text);
    ASSERT_EQ(s.removeLineBreaks('\'', 0, 0), 0);
    EXPECT_STREQ(s.c_str(), b.joined) << b.text;
  }
  JxString e;
  e.initialize("line\r\n");
  ASSERT_EQ(e.forceEol(2), 0);
  EXPECT_STREQ(e.c_str(), "line\r\n\r\n");
  ASSERT_EQ(e.forceEol(1), 0);
  EXPECT_STREQ(e.c_str(), "line\r\n\r\n");
}

TEST(JxReplaceString, RewritesInPlace) {
  ScopedErrorList scope;
  // Every "?" becomes a named marker: the text grows while it is read.
  JxString sql;
  sql.initialize("SELECT * FROM t WHERE a = ? AND b = ?");
  {
    JxReplaceString r(&sql);
    int n = 0;
    while (r.getLength()) {
      const uint32_t at = r.findChar('?');
      ASSERT_EQ(r.keep(at), 0);
      if (!r.getLength()) break;
      r.skip(1);
      const std::string marker = ":p" + std::to_string(++n);
      ASSERT_EQ(r.addBytes(marker.data(), static_cast<uint32_t>(marker.size())), 0);
    }
  }
  EXPECT_STREQ(sql.c_str(), "SELECT * FROM t WHERE a = :p1 AND b = :p2");
  EXPECT_EQ(sql.getCapacity(), sql.getLength() + 1);  // fitted when the rewriter ends

  // Shrinking: quoted names lose their quotes; bytes taken from the unread rest.
  JxString t;
  t.initialize("a 'bc' 'd' e");
  {
    JxReplaceString r(&t);
    while (r.getLength()) {
      if (r.getPtr()[0] == '\'') {
        const uint32_t close = r.findChar('\'', 1);
        ASSERT_EQ(r.addBytes(r.getPtr() + 1, close - 1), 0);
        r.skip(close + 1);
      } else {
        r.keep(1);
      }
    }
  }
  EXPECT_STREQ(t.c_str(), "a bc d e");

  // Growing with bytes from inside the target: they are found again after the move.
  JxString g;
  g.initialize("xyz");
  {
    JxReplaceString r(&g);
    r.keep(1);
    ASSERT_EQ(r.addBytes(r.getPtr(), 2), 0);  // "yz" from the unread rest
    ASSERT_EQ(r.addQuotedBytes("q'", 2, '\''), 0);
  }
  EXPECT_STREQ(g.c_str(), "xyz'q'''yz");
}

TEST(SubString, SearchesAndSets) {
  ScopedErrorList scope;
  JxSubString s("DSN=abc;UID=x", 13);
  EXPECT_EQ(s.findChar(';'), 7u);
  EXPECT_EQ(s.findChar(';', 8), 13u);
  EXPECT_EQ(s.findSubString("UID"), 8u);
  EXPECT_EQ(s.findSubString("PWD"), 13u);
  EXPECT_EQ(s.countChar('='), 2u);
  const char* set[] = {"uid", "DSN=abc;UID=x", "dsn=ABC;uid=X"};
  EXPECT_EQ(s.indexInSet(set, 3), 1);
  EXPECT_EQ(s.indexInSetCi(set, 3), 1);
  EXPECT_EQ(s.indexInSet(set, 1), 1);
  JxSubString t("ab \t\r\n", 6);
  t.rightBlankTrim();
  EXPECT_EQ(str(t), "ab");
  JxString copy;
  ASSERT_EQ(JxSubString("'a''b'").getCopyUnquoted(&copy), 0);
  EXPECT_STREQ(copy.c_str(), "a'b");
  ASSERT_EQ(JxSubString("x\"y").getCopyQuoted(&copy, '"'), 0);
  EXPECT_STREQ(copy.c_str(), "a'b\"x\"\"y\"");
  // Replacing the bytes that a view into the string covers.
  JxString sql;
  sql.initialize("SELECT a FROM t");
  JxSubString col(sql.getPtr() + 7, 1);
  ASSERT_EQ(sql.replaceSubString(&col, "x, y", 0), 0);
  EXPECT_STREQ(sql.c_str(), "SELECT x, y FROM t");
  JxSubString outside("t", 1);
  EXPECT_EQ(sql.replaceSubString(&outside, "u", 1), 1);
  char b[8];
  EXPECT_EQ(strCopy(b, sizeof b, "abcdefghij") - b, 7);
  EXPECT_STREQ(b, "abcdefg");
  EXPECT_STREQ(strFindReverse("a.b.c", '.'), ".c");
  EXPECT_EQ(strFindReverse("abc", '.'), nullptr);
  JxSubString h("abcdefgh", 8);
  EXPECT_EQ(h.hash(), static_cast<unsigned long>('A' + 'B' + 'C' + 'D' + 'E'));
}

TEST(DialogText, AcceleratorsPickFreeCharacters) {
  ScopedErrorList scope;
  unsigned char set[32] = {0};
  setAcceleratorKey(set, "&Open");
  struct Case {
    const char *label, *arg, *text;
  } cases[] = {
      {"Options", nullptr, "O&ptions"},  // o is taken
      {"  Print", nullptr, "  P&rint"},  // p now too; white space is skipped
      {"Save %s", "File", "&Save File"},
      {"S&ave", nullptr, "S&ave"},  // an "&" stays
      {"op", nullptr, "&op"},       // all taken: before the first character
  };
  for (const Case& c : cases) {
    JxString out;
    ASSERT_EQ(makeDialogText(&out, set, c.label, c.arg), 0);
    EXPECT_STREQ(out.c_str(), c.text);
  }
  EXPECT_EQ(isTrueStr("True"), 1);
  EXPECT_EQ(isTrueStr("on"), 1);
  EXPECT_EQ(isTrueStr("1"), 1);
  EXPECT_EQ(isTrueStr("off"), 0);
  EXPECT_EQ(isTrueStr(""), 0);
}

}  // namespace
