// The control's search expressions on their own: compilation, syntax errors, and matching
// over lines built in the test, as tables of (pattern, lines, expected match).
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "edrecord.h"
#include "edregex.h"

using namespace ked;

namespace {

// A chain of lines owned by the test.
class Text {
 public:
  explicit Text(const std::vector<std::string>& lines) : buffers_(lines), records_(lines.size()) {
    for (size_t i = 0; i < lines.size(); ++i) {
      LineRecord& r = records_[i];
      r = LineRecord();
      r.text = &buffers_[i][0];
      r.length = static_cast<int32_t>(lines[i].size());
      r.previous = i ? &records_[i - 1] : nullptr;
      r.next = i + 1 < lines.size() ? &records_[i + 1] : nullptr;
    }
  }
  LineRecord* Line(size_t i) { return &records_[i]; }
  int Index(const LineRecord* line) const { return static_cast<int>(line - &records_[0]); }

 private:
  std::vector<std::string> buffers_;
  std::vector<LineRecord> records_;
};

SearchContext Context(const char* pattern, bool caseSensitive = true) {
  SearchContext c = {};
  strncpy(c.pattern, pattern, sizeof c.pattern - 1);
  c.caseSensitive = caseSensitive;
  c.expression = 1;
  c.direction = 1;
  return c;
}

struct MatchCase {
  const char* pattern;
  bool caseSensitive;
  std::vector<std::string> lines;
  int start;      // position in the first line
  int direction;  // 1 forward, 0 backward
  int begin;      // -1: no match
  int endLine;    // index of the line where the match ends
  int endPosition;
};

TEST(Regex, MatchTable) {
  const MatchCase cases[] = {
      {"a+", true, {"aaa"}, 0, 1, 0, 0, 3},
      {"+a", true, {"x+a"}, 0, 1, 1, 0, 3},  // nothing to repeat: a literal plus sign
      {"x$y", true, {"x$y"}, 0, 1, 0, 0, 3},
      {"x$", true, {"x$x"}, 0, 1, 2, 0, 3},  // only at the line's end
      {":z", true, {"az"}, 0, 1, 1, 0, 2},   // no class named z: the letter
      {":", true, {"a:"}, 0, 1, 1, 0, 2},
      {"[-a]", true, {"b-"}, 0, 1, 1, 0, 2},
      {"[-a]", true, {"xa"}, 0, 1, 1, 0, 2},
      {"[a-]", true, {"x-"}, 0, 1, 1, 0, 2},
      {"[^0-9]", true, {"12x"}, 0, 1, 2, 0, 3},
      {"[a-c]", false, {"xB"}, 0, 1, 1, 0, 2},
      {"abc", false, {"xABC"}, 0, 1, 1, 0, 4},
      {"\\(a\\)\\1", true, {"baa"}, 0, 1, 1, 0, 3},
      {"\\(a?\\)x\\1", true, {"abxab"}, 0, 1, 0, 0, 5},  // "?" is any character
      {"{ab}*b", true, {"abab"}, 0, 1, 0, 0, 4},         // the repeat gives back one character
      {"{ab|cd}+", true, {"xcdab"}, 0, 1, 1, 0, 5},
      {"a{b|}c", true, {"ac abc"}, 0, 1, 0, 0, 2},
      {"ab|cd", true, {"xxcd"}, 0, 1, 2, 0, 4},  // alternatives at the top level
      {"foo\\nbar", true, {"xfoo", "bar"}, 0, 1, 1, 1, 3},
      {"foo\\nbar", true, {"xfoo"}, 0, 1, -1, 0, 0},  // no line after the last
      {"o[\\n]b", true, {"fo", "bar"}, 0, 1, 1, 1, 1},
      {"a*", true, {"bbb"}, 0, 1, 0, 0, 0},  // zero times at the first position
      {"x*y", true, {"xxxz xy"}, 0, 1, 5, 0, 7},
      {"?", true, {""}, 0, 1, -1, 0, 0},
      {"^$", true, {""}, 0, 1, 0, 0, 0},
      {"^ab", true, {"ab ab"}, 1, 1, -1, 0, 0},
      {"ab$", true, {"ab ab"}, 0, 1, 3, 0, 5},
      {"ab", false, {"ab ab"}, 4, 0, 3, 0, 5},  // backward: the nearest start at or before
      {"ab", false, {"ab ab"}, 2, 0, 0, 0, 2},
      {":i", true, {"ab123c"}, 0, 1, 2, 0, 5},
      {":l", true, {"1 ab_1"}, 0, 1, 2, 0, 6},
      {":l", true, {"a b"}, 0, 1, -1, 0, 0},  // a name of at least two characters
      {":h", true, {"zz0fF9g"}, 0, 1, 2, 0, 6},
      {":b", true, {"a \t b"}, 0, 1, 1, 0, 4},
      {":d:d", true, {"a1b23"}, 0, 1, 3, 0, 5},
      {"\\t", true, {"a\tb"}, 0, 1, 1, 0, 2},
      {"a\\", true, {"a\\"}, 0, 1, 0, 0, 2},  // a final backslash is itself
  };
  for (const MatchCase& c : cases) {
    SearchContext context = Context(c.pattern, c.caseSensitive);
    ASSERT_EQ(regex_compile(&context), 1) << c.pattern;
    ASSERT_TRUE(context.useMatcher) << c.pattern;
    Text text(c.lines);
    LineRecord* endLine = nullptr;
    int32_t endPosition = -1;
    int32_t begin = regex_match_line(&context, text.Line(0), c.start, c.direction, &endLine, &endPosition);
    EXPECT_EQ(begin, c.begin) << c.pattern << " on " << c.lines[0];
    if (begin >= 0 && c.begin >= 0) {
      EXPECT_EQ(text.Index(endLine), c.endLine) << c.pattern;
      EXPECT_EQ(endPosition, c.endPosition) << c.pattern;
    }
  }
}

TEST(Regex, CaretMarker) {
  const struct {
    const char* pattern;
    int caret;
  } cases[] = {{"\\cabc", 2}, {"ab\\cc", 4}, {"abc", -1}};
  for (const auto& c : cases) {
    SearchContext context = Context(c.pattern, false);
    ASSERT_EQ(regex_compile(&context), 1);
    Text text({"xxabc"});
    LineRecord* endLine;
    int32_t endPosition;
    EXPECT_EQ(regex_match_line(&context, text.Line(0), 0, 1, &endLine, &endPosition), 2);
    EXPECT_EQ(context.caretPosition, c.caret) << c.pattern;
  }
}

TEST(Regex, SyntaxErrors) {
  std::string tooManyGroups;
  for (int i = 0; i < 10; ++i) tooManyGroups += "\\(";
  std::string ninegroups;
  for (int i = 0; i < 9; ++i) ninegroups += "\\(a\\)";
  std::string longProgram;
  for (int i = 0; i < 8; ++i) longProgram += "[a]";  // 8 classes of 33 bytes: 264
  const struct {
    std::string pattern;
    int result;
  } cases[] = {
      {"\\1\\(a\\)", -1},  // back-reference before its group is closed
      {"\\(a\\2\\)", -1},      {"a\\)", -1},      {tooManyGroups, -1},
      {ninegroups + "\\9", 1}, {longProgram, -1}, {"{a*b", -1},  // an unclosed brace  {"x+y", 1},
  };
  for (const auto& c : cases) {
    SearchContext context = Context(c.pattern.c_str());
    EXPECT_EQ(regex_compile(&context), c.result) << c.pattern;
    if (c.result < 0) {
      EXPECT_FALSE(context.useMatcher);
    }
  }
}

TEST(Regex, PlainPatternsSkipTheMatcher) {
  const struct {
    const char* pattern;
    int caseSensitive, expression, useMatcher;
  } cases[] = {
      {"abc", 1, 1, 0}, {"abc", 0, 1, 1}, {"a.c", 1, 1, 0},  {"a*c", 1, 0, 0},
      {"a*c", 1, 1, 1}, {"a:c", 1, 1, 1}, {"a\\c", 1, 1, 1}, {"", 1, 1, 0},
  };
  for (const auto& c : cases) {
    SearchContext context = Context(c.pattern, c.caseSensitive);
    context.expression = c.expression;
    EXPECT_EQ(regex_compile(&context), 1);
    EXPECT_EQ(context.useMatcher, c.useMatcher) << c.pattern;
  }
}

TEST(Regex, CompiledItems) {
  SearchContext context = Context("a[b]*?", false);
  ASSERT_EQ(regex_compile(&context), 1);
  const uint8_t* p = context.program;
  EXPECT_EQ(p[0], RX_LITERAL);
  EXPECT_EQ(p[1], 'A') << "stored in upper case when case is ignored";
  EXPECT_EQ(regex_item_length(p), 2);
  EXPECT_EQ(p[2], RX_REPEAT);
  EXPECT_EQ(p[3], RX_CLASS);
  EXPECT_EQ(regex_item_length(p + 3), 33);
  EXPECT_TRUE(p[4 + 'B' / 8] & (1 << ('B' % 8))) << "letters set their capital too";
  EXPECT_EQ(p[36], RX_ANY);
  EXPECT_EQ(p[37], RX_END);
}

TEST(Regex, PathClassDoesNotFitTheProgram) {
  // The path class holds the file-name class four times (67 bytes each with its repeat):
  // its program cannot fit in 256 bytes, and it is refused as a syntax error.
  SearchContext context = Context(":p");
  EXPECT_EQ(regex_compile(&context), -1);
  EXPECT_FALSE(context.useMatcher);
  // The file-name class on its own fits and matches up to a character it excludes.
  context = Context(":f");
  ASSERT_EQ(regex_compile(&context), 1);
  Text text({"<dir\\file.txt>"});
  LineRecord* endLine;
  int32_t endPosition;
  EXPECT_EQ(regex_match_line(&context, text.Line(0), 0, 1, &endLine, &endPosition), 1);
  EXPECT_EQ(endPosition, 13);
}

}  // namespace
