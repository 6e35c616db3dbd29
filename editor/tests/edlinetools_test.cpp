// Bookmarks, brace matching, case change, centring, justifying, word count and line
// marks on hidden editor windows, the commands sent as real messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edlines.h"
#include "edlinetools.h"
#include "edrecord.h"
#include "edtesthelp.h"
#include "editor/korvoedit.h"
#include "testkit/testkit.h"

using namespace ked;

namespace {

// The text without the CR LF the control puts after the last of several lines.
std::string Body(HWND w) {
  std::string text = edtest::Text(w);
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
  return text;
}

class LineTools : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitEditor(GetModuleHandleA(nullptr)); }
  void SetUp() override { edtest::IniClearOptions(); }
  void TearDown() override {
    for (HWND w : windows_) DestroyWindow(w);
  }
  HWND Make() {
    HWND w = edtest::MakeEditor(parent_.Handle());
    windows_.push_back(w);
    return w;
  }
  static LRESULT Send(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(w, msg, wp, lp); }
  static void SetText(HWND w, const std::string& text) {
    Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  static void Place(HWND w, int line, int column) {
    EditorRecord* rec = record_of(w);
    rec->currentLine = step_lines(rec, rec->firstLine, line - 1);
    rec->lineNumber = line;
    rec->caretColumn = column;
    Send(w, KE_NOTHING);
  }
  static void Select(HWND w, uint8_t kind, int l1, int c1, int l2, int c2) {
    EditorRecord* rec = record_of(w);
    rec->selection.kind = kind;
    rec->selection.state = SEL_COMPLETE;
    rec->selection.anchor = {step_lines(rec, rec->firstLine, l1 - 1), c1, l1};
    rec->selection.end = {step_lines(rec, rec->firstLine, l2 - 1), c2, l2};
  }
  static std::pair<int, int> Caret(HWND w) { return {record_of(w)->lineNumber, record_of(w)->caretColumn}; }
  testkit::BoxAnswerer boxes_;
  edtest::Parent parent_;
  std::vector<HWND> windows_;
};

TEST_F(LineTools, CaseOfStreamAndColumnSelections) {
  HWND w = Make();
  struct Case {
    uint8_t kind;
    int l1, c1, l2, c2;
    UINT command;
    const char* expected;
  } cases[] = {
      {SEL_STREAM, 1, 2, 1, 3, KE_UPPER_CASE, "abCDe\r\nfghij\r\nklmno"},
      {SEL_STREAM, 1, 3, 3, 1, KE_UPPER_CASE, "abcDE\r\nFGHIJ\r\nKLmno"},
      {SEL_STREAM, 3, 1, 1, 3, KE_UPPER_CASE, "abcDE\r\nFGHIJ\r\nKLmno"},  // made backwards
      {SEL_COLUMN, 1, 1, 3, 2, KE_UPPER_CASE, "aBCde\r\nfGHij\r\nkLMno"},
  };
  for (const Case& c : cases) {
    SetText(w, "abcde\r\nfghij\r\nklmno");
    Select(w, c.kind, c.l1, c.c1, c.l2, c.c2);
    EXPECT_EQ(Send(w, c.command), 1);
    EXPECT_EQ(Body(w), c.expected);
  }
  SetText(w, "ABC");
  Select(w, SEL_STREAM, 1, 0, 1, 1);
  EXPECT_EQ(Send(w, KE_LOWER_CASE), 1);
  EXPECT_EQ(Body(w), "abC");
  Send(w, KE_RELEASE_SELECTION);
  EXPECT_EQ(Send(w, KE_UPPER_CASE), 1) << "no selection: nothing, answered 1";
  EXPECT_EQ(Body(w), "abC");
}

TEST_F(LineTools, CentreAndJustify) {
  HWND w = Make();
  SetText(w, "abc   ");
  EXPECT_EQ(Send(w, KE_CENTRE_LINE), 1);
  EXPECT_EQ(Body(w), std::string(38, ' ') + "abc");
  EXPECT_TRUE(record_of(w)->firstLine->flags & LF_CENTRED);
  SetText(w, std::string(79, 'x'));
  EXPECT_EQ(Send(w, KE_CENTRE_LINE), 0) << "less than two columns left";

  // Three one-letter words to width 7: two blanks in each gap, whichever way the toggle is.
  for (int round = 0; round < 2; ++round) {
    SetText(w, "a b c");
    EditorRecord* rec = record_of(w);
    EXPECT_TRUE(justify_line(rec, rec->firstLine, 7));
    EXPECT_EQ(Body(w), "a  b  c");
  }
  // The toggle decides which gap takes the odd blank.
  std::vector<std::string> seen;
  for (int round = 0; round < 2; ++round) {
    SetText(w, "a b c");
    EditorRecord* rec = record_of(w);
    EXPECT_TRUE(justify_line(rec, rec->firstLine, 8));
    seen.push_back(Body(w));
  }
  EXPECT_NE(seen[0], seen[1]);
  for (const std::string& s : seen) EXPECT_TRUE(s == "a  b   c" || s == "a   b  c") << s;
  SetText(w, "word");
  EXPECT_FALSE(justify_line(record_of(w), record_of(w)->firstLine, 9)) << "one word";
  SetText(w, "a b");
  EXPECT_FALSE(justify_line(record_of(w), record_of(w)->firstLine, 3)) << "no extra";
}

TEST_F(LineTools, BraceMatch) {
  HWND w = Make();
  SetText(w, "f(a(b)\r\nc) \"x\" [");
  struct Case {
    int line, column;
    LRESULT result;
    int endLine, endColumn;
  } cases[] = {
      {1, 1, 1, 2, 1},  // across the nested pair and the line break
      {2, 1, 1, 1, 1},  // backwards
      {1, 3, 1, 1, 5},
      {2, 3, 1, 2, 5},  // a double quote finds the next one
  };
  for (const Case& c : cases) {
    Place(w, c.line, c.column);
    EXPECT_EQ(Send(w, KE_MATCH_BRACE), c.result);
    EXPECT_EQ(Caret(w), std::make_pair(c.endLine, c.endColumn)) << c.line << "," << c.column;
  }
  EXPECT_TRUE(boxes_.Boxes().empty());
  Place(w, 2, 7);
  EXPECT_EQ(Send(w, KE_MATCH_BRACE), 0);
  Place(w, 1, 0);
  EXPECT_EQ(Send(w, KE_MATCH_BRACE), 0);
  ASSERT_EQ(boxes_.Boxes().size(), 2u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "Matching brace not found");
  EXPECT_EQ(boxes_.Boxes()[1].text, "The cursor must be on {, }, (, ), [, ], or \"");
  EXPECT_EQ(Caret(w), std::make_pair(1, 0));
}

TEST_F(LineTools, Bookmarks) {
  HWND w = Make();
  SetText(w, "one\r\ntwo\r\nthree\r\nfour");
  Place(w, 2, 1);
  EXPECT_EQ(Send(w, KE_SET_BOOKMARK, 'B'), 1);
  Place(w, 4, 3);
  EXPECT_EQ(Send(w, KE_SET_BOOKMARK, 'a'), 1);
  EXPECT_EQ(Send(w, KE_SET_BOOKMARK, '1'), 0);
  EXPECT_TRUE(record_of(w)->firstLine->next->flags & LF_BOOKMARK);

  int32_t list[26 * 3] = {};
  EXPECT_EQ(Send(w, KE_LIST_BOOKMARKS, 0, reinterpret_cast<LPARAM>(list)), 2);
  EXPECT_EQ(std::vector<int32_t>(list, list + 6), (std::vector<int32_t>{4, 3, 'A', 2, 1, 'B'}));
  int32_t one[3] = {};
  EXPECT_EQ(Send(w, KE_LIST_BOOKMARKS, 'b', reinterpret_cast<LPARAM>(one)), 1);
  EXPECT_EQ(one[0], 2);
  EXPECT_EQ(one[1], 1);
  EXPECT_EQ(Send(w, KE_LIST_BOOKMARKS, 0, 0), 0);
  EXPECT_EQ(Send(w, KE_LIST_BOOKMARKS, '!', reinterpret_cast<LPARAM>(one)), 0);

  Place(w, 1, 0);
  EXPECT_EQ(Send(w, KE_GOTO_BOOKMARK, 'b'), 1);
  EXPECT_EQ(Caret(w), std::make_pair(2, 1));
  // A line inserted above: the bookmark follows its line.
  Place(w, 1, 0);
  Send(w, KE_OPEN_LINES_BEFORE);
  EXPECT_EQ(Send(w, KE_GOTO_BOOKMARK, 'a'), 1);
  EXPECT_EQ(Caret(w), std::make_pair(5, 3));
  EXPECT_TRUE(boxes_.Boxes().empty());

  // The line deleted: the bookmark is gone.
  Place(w, 2, 3);
  Send(w, KE_DELETE_CHAR);  // joins "two" into "one"
  EXPECT_EQ(Send(w, KE_GOTO_BOOKMARK, 'b'), 0);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "No line exists for that bookmark");

  EXPECT_EQ(Send(w, KE_CLEAR_BOOKMARK, static_cast<WPARAM>(-1)), 1);
  EXPECT_EQ(Send(w, KE_LIST_BOOKMARKS, 0, reinterpret_cast<LPARAM>(list)), 0);
  for (LineRecord* l = record_of(w)->firstLine; l; l = l->next) EXPECT_FALSE(l->flags & LF_BOOKMARK);
}

TEST_F(LineTools, LineMarksAndMarkToHere) {
  HWND w = Make();
  SetText(w, "1\r\n2\r\n3\r\n4\r\n5\r\n6");
  EditorRecord* rec = record_of(w);
  Place(w, 2, 0);
  EXPECT_EQ(Send(w, KE_MARK_LINE), 1);
  Place(w, 5, 0);
  EXPECT_EQ(Send(w, KE_MARK_TO_HERE), 1);
  EXPECT_EQ(rec->markedCount, 4);
  EXPECT_EQ(rec->markLow, 2);
  EXPECT_EQ(rec->markHigh, 5);
  std::string flags;
  for (LineRecord* l = rec->firstLine; l; l = l->next) flags += (l->flags & LF_MARKED) ? 'm' : '.';
  EXPECT_EQ(flags, ".mmmm.");
  // Unmarking the last marked line: the nearest marked one above becomes the last.
  EXPECT_EQ(Send(w, KE_MARK_LINE), 1);
  EXPECT_EQ(rec->markedCount, 3);
  EXPECT_EQ(rec->markHigh, 4);
  Place(w, 2, 0);
  Send(w, KE_MARK_LINE);
  EXPECT_EQ(rec->markLow, 3);
  EXPECT_EQ(rec->markFirst, rec->firstLine->next->next);
  // Mark to here above every mark toggles the line.
  Place(w, 1, 0);
  Send(w, KE_MARK_TO_HERE);
  EXPECT_EQ(rec->markedCount, 3);
  EXPECT_EQ(rec->markLow, 1);
  release_marks(rec);
  EXPECT_EQ(rec->markedCount, 0);
  EXPECT_EQ(rec->markLow, kNoMarkLow);
  for (LineRecord* l = rec->firstLine; l; l = l->next) EXPECT_FALSE(l->flags & LF_MARKED);
}

TEST_F(LineTools, WordCount) {
  HWND w = Make();
  struct Case {
    const char* text;
    LRESULT words;
  } cases[] = {{"", 0}, {"one", 1}, {"  one  two ", 2}, {"a b\r\n\r\nc-d e", 4}, {"\t", 1}};
  for (const Case& c : cases) {
    SetText(w, c.text);
    EXPECT_EQ(Send(w, KE_COUNT_WORDS), c.words) << c.text;
  }
}

}  // namespace
