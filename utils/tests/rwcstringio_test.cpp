// RWCString reading from and writing to standard streams.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "utils/rwcstring.h"

namespace {

enum Op { kLine, kLineKeepWhite, kToken, kDelim, kString, kFile };

std::istream& readOne(std::istream& is, RWCString& s, Op op) {
  switch (op) {
    case kLine:
      return s.readLine(is);
    case kLineKeepWhite:
      return s.readLine(is, 0);
    case kToken:
      return s.readToken(is);
    case kDelim:
      return s.readToDelim(is, ';');
    case kString:
      return s.readString(is);
    case kFile:
      return s.readFile(is);
  }
  return is;
}

TEST(RWCStringRead, Table) {
  struct Case {
    const char* what;
    std::string input;
    Op op;
    std::vector<std::string> reads;  // every successful read until the loop ends
  } cases[] = {
      {"lines", "one\ntwo\n", kLine, {"one", "two"}},
      {"last line without newline", "one\ntwo", kLine, {"one", "two"}},
      {"lines skip blank lines", "one\n\n  two\n", kLine, {"one", "two"}},
      {"lines keep white", "one\n\n  two\n", kLineKeepWhite, {"one", "", "  two"}},
      {"tokens", "  alpha\tbeta\n gamma  ", kToken, {"alpha", "beta", "gamma"}},
      {"delimited", "a;b;;c", kDelim, {"a", "b", "", "c"}},
      {"NUL-terminated", std::string("ab\0cd\0", 6), kString, {"ab", "cd"}},
      {"whole stream", "x\ny\0z", kFile, {"x\ny"}},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::istringstream in(c.input);
    RWCString s("previous contents");
    std::vector<std::string> got;
    while (readOne(in, s, c.op)) {
      got.emplace_back(s.data(), s.length());
      if (c.op == kFile) break;
    }
    EXPECT_EQ(got, c.reads);
  }
}

TEST(RWCStringRead, EmbeddedNulAndWholeFile) {
  std::string text("x\ny\0z", 5);
  std::istringstream in(text);
  RWCString s;
  s.readFile(in);
  EXPECT_EQ(s.length(), 5u);
  EXPECT_EQ(std::string(s.data(), s.length()), text);
  EXPECT_FALSE(in.fail());
}

TEST(RWCStringRead, CapacityGrowsByIncrementsAndShedsWaste) {
  struct Case {
    size_t length;
    size_t before;    // capacity of the string read into
    size_t capacity;  // afterwards
  } cases[] = {
      {2, 0, 16},                     // first room is one increment; 14 spare is within the waste
      {20, 0, 32},                    // grown by one increment
      {100, 0, 112},                  // 16 + 6 increments
      {1000, 0, 1008}, {2, 200, 15},  // too much spare room: back to adjustCapacity(2)
      {0, 0, 15},                     // 16 spare exceeds the waste
  };
  for (auto& c : cases) {
    std::istringstream in(std::string(c.length, 'q') + "\n");
    RWCString s{RWSize_T(c.before)};
    s.readLine(in, 0);
    EXPECT_EQ(s.length(), c.length);
    EXPECT_EQ(s.capacity(), c.capacity) << c.length << " into " << c.before;
  }
}

TEST(RWCStringRead, StreamExceptionsLeaveAValidString) {
  std::istringstream in("last");
  in.exceptions(std::ios::failbit);
  RWCString s;
  EXPECT_NO_THROW(s.readLine(in));
  EXPECT_EQ(s, "last");
  EXPECT_THROW(s.readLine(in), std::ios::failure);
  EXPECT_EQ(s.length(), 0u);
  EXPECT_EQ(s.data()[0], '\0');
}

TEST(RWCStringRead, SharedTargetIsNotChanged) {
  RWCString a("keep me");
  RWCString b(a);
  std::istringstream in("new\n");
  b.readLine(in);
  EXPECT_EQ(a, "keep me");
  EXPECT_EQ(b, "new");
}

TEST(RWCStringWrite, WritesExactlyTheLength) {
  std::ostringstream out;
  RWCString s("a\0b", 3);
  out << s << '|' << RWCString("hello world")(6, 5) << '|';
  EXPECT_EQ(out.str(), std::string("a\0b|world|", 10));
  std::istringstream in(" tok1 tok2");
  RWCString t;
  in >> t;
  EXPECT_EQ(t, "tok1");
}

}  // namespace
