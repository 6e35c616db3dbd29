// Typing, deleting and the line commands on hidden editor windows: tables of (text,
// caret, command, expected text and caret), sent as real messages.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "edlines.h"
#include "edrecord.h"
#include "edstate.h"
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

struct Pos {
  int line, column;
  bool operator==(const Pos& o) const { return line == o.line && column == o.column; }
};
std::ostream& operator<<(std::ostream& out, const Pos& p) {
  return out << "(" << p.line << "," << p.column << ")";
}

class Typing : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitEditor(GetModuleHandleA(nullptr)); }
  void SetUp() override { edtest::IniClearOptions(); }
  void TearDown() override {
    for (HWND w : windows_) DestroyWindow(w);
  }
  HWND Make(DWORD style = 0) {
    HWND w = edtest::MakeEditor(parent_.Handle(), style);
    windows_.push_back(w);
    return w;
  }
  static LRESULT Send(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(w, msg, wp, lp); }
  static void SetText(HWND w, const std::string& text) {
    Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  static void Option(HWND w, const char* key, int value) {
    Send(w, KE_SET_OPTION, value, reinterpret_cast<LPARAM>(key));
  }
  static void Place(HWND w, Pos p) {
    EditorRecord* rec = record_of(w);
    rec->currentLine = step_lines(rec, rec->firstLine, p.line - 1);
    rec->lineNumber = p.line;
    rec->caretColumn = p.column;
    Send(w, KE_NOTHING);
  }
  static Pos Caret(HWND w) { return {record_of(w)->lineNumber, record_of(w)->caretColumn}; }
  testkit::BoxAnswerer boxes_;
  edtest::Parent parent_;
  std::vector<HWND> windows_;
};

struct EditCase {
  const char* text;
  Pos start;
  UINT command;
  WPARAM wp;
  LRESULT result;
  const char* expected;
  Pos end;
};

void RunEdits(HWND w, const std::vector<EditCase>& cases, const char* label) {
  for (const EditCase& c : cases) {
    SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.text));
    EditorRecord* rec = record_of(w);
    rec->currentLine = step_lines(rec, rec->firstLine, c.start.line - 1);
    rec->lineNumber = c.start.line;
    rec->caretColumn = c.start.column;
    LRESULT result = SendMessageA(w, c.command, c.wp, 0);
    Pos end = {rec->lineNumber, rec->caretColumn};
    std::string where = std::string(label) + ": \"" + c.text + "\" command 0x";
    char hex[16];
    wsprintfA(hex, "%X", c.command);
    where += hex;
    EXPECT_EQ(result, c.result) << where;
    EXPECT_EQ(Body(w), c.expected) << where;
    EXPECT_EQ(end, c.end) << where;
  }
}

TEST_F(Typing, TypingAndDeletingTable) {
  HWND w = Make();
  std::vector<EditCase> cases = {
      // A letter typed in free space: blanks up to the caret first.
      {"abc", {1, 10}, KE_TYPE_CHAR, 'x', 1, "abc       x", {1, 11}},
      {"abc", {1, 1}, KE_TYPE_CHAR, 'x', 1, "axbc", {1, 2}},
      {"abc", {1, 1}, KE_TYPE_CHAR, '\r', 1, "a\r\nbc", {2, 0}},
      {"abc", {1, 0}, KE_TYPE_CHAR, '\t', 1, "\tabc", {1, 8}},
      // Backspace in free space only moves the caret.
      {"abc", {1, 6}, KE_BACKSPACE, 0, 1, "abc", {1, 5}},
      {"abc", {1, 2}, KE_BACKSPACE, 0, 1, "ac", {1, 1}},
      {"ab\r\ncd", {2, 0}, KE_BACKSPACE, 0, 1, "abcd", {1, 2}},
      {"abc", {1, 0}, KE_BACKSPACE, 0, 0, "abc", {1, 0}},
      // Delete at the end of the last line does nothing; elsewhere it joins.
      {"abc\r\ndef", {2, 3}, KE_DELETE_CHAR, 0, 0, "abc\r\ndef", {2, 3}},
      {"abc\r\ndef", {1, 3}, KE_DELETE_CHAR, 0, 1, "abcdef", {1, 3}},
      {"abc\r\ndef", {1, 7}, KE_DELETE_CHAR, 0, 1, "abcdef", {1, 3}},
      {"abc", {1, 1}, KE_DELETE_CHAR, 0, 1, "ac", {1, 1}},
      // Delete word: the word and the blanks after it; the line's rest when no word follows.
      {"one  two", {1, 0}, KE_DELETE_WORD, 0, 1, "two", {1, 0}},
      {"one  two", {1, 5}, KE_DELETE_WORD, 0, 1, "one  ", {1, 5}},
      {"one", {1, 3}, KE_DELETE_WORD, 0, 0, "one", {1, 3}},
      {"abcdef\r\ngh", {1, 2}, KE_DELETE_TO_EOL, 0, 1, "ab\r\ngh", {1, 2}},
      {"ab\r\ncd", {1, 1}, KE_OPEN_LINE_AFTER, 0, 1, "ab\r\n\r\ncd", {2, 0}},
      {"  ab\r\ncd", {1, 1}, KE_OPEN_LINE_AFTER, 0, 1, "  ab\r\n\r\ncd", {2, 2}},
      // Open before: the column of the first non-blank of the line above.
      {"  ab\r\ncd", {2, 1}, KE_OPEN_LINES_BEFORE, 0, 1, "  ab\r\n\r\ncd", {2, 2}},
      {"ab", {1, 1}, KE_OPEN_LINES_BEFORE, 0, 1, "\r\nab", {1, 0}},
      // Tab without a selection or marks types a tab; outdent does nothing.
      {"ab", {1, 0}, KE_TAB, 0, 1, "\tab", {1, 8}},
      {" ab", {1, 0}, KE_OUTDENT, 0, 0, " ab", {1, 0}},
  };
  RunEdits(w, cases, "insert mode");

  EXPECT_EQ(Send(w, KE_INSERT_MODE, 2), 1);
  EXPECT_EQ(record_of(w)->options.InsertMode, 0);
  RunEdits(w,
           {
               {"abcd", {1, 1}, KE_TYPE_CHAR, 'x', 1, "axcd", {1, 2}},
               {"abcd", {1, 4}, KE_TYPE_CHAR, 'x', 1, "abcdx", {1, 5}},
               {"abcd", {1, 1}, KE_TYPE_CHAR, '\t', 1, "a\tbcd", {1, 8}},  // a tab is always inserted
           },
           "overwrite mode");
  EXPECT_EQ(Send(w, KE_INSERT_MODE, 0), 1);
  EXPECT_EQ(record_of(w)->options.InsertMode, 1);

  Option(w, "UseRealTabs", 0);
  RunEdits(w, {{"ab", {1, 1}, KE_TYPE_CHAR, '\t', 1, "a       b", {1, 8}}}, "tabs as blanks");
}

TEST_F(Typing, RepeatCountDeletesSeveral) {
  HWND w = Make();
  SetText(w, "abcdef");
  Place(w, {1, 1});
  // Three deletions as one command through the keyboard's repeat count.
  ked::g_repeatCount = 3;
  EditorRecord* rec = record_of(w);
  rec->wParam = 0;
  EXPECT_EQ(Send(w, KE_DELETE_CHAR), 1);
  EXPECT_EQ(Body(w), "aef");
  ked::g_repeatCount = 10;
  EXPECT_EQ(Send(w, KE_DELETE_CHAR), 1) << "the range ends at the line's end";
  EXPECT_EQ(Body(w), "a");
}

TEST_F(Typing, WordWrapAtTheRightMargin) {
  HWND w = Make();
  Option(w, "RightMargin", 10);
  EXPECT_EQ(Send(w, KE_WORDWRAP, 1), 1);
  EXPECT_EQ(record_of(w)->options.Wordwrap, 1);
  RunEdits(w,
           {
               {"aaaa bbbbb", {1, 10}, KE_TYPE_CHAR, 'c', 1, "aaaa\r\nbbbbbc", {2, 6}},
               {"aaaa   bbbbb", {1, 12}, KE_TYPE_CHAR, 'c', 1, "aaaa\r\nbbbbbc", {2, 6}},
               // The caret inside the wrapped word keeps its place in it.
               {"aaaa bbbbbbb", {1, 10}, KE_TYPE_CHAR, 'c', 1, "aaaa\r\nbbbbbcbb", {2, 6}},
               // One word up to the margin: nothing to wrap.
               {"aaaaaaaaaa", {1, 10}, KE_TYPE_CHAR, 'c', 1, "aaaaaaaaaac", {1, 11}},
               // Up to the margin no wrap happens.
               {"aaaa bbbb", {1, 9}, KE_TYPE_CHAR, 'c', 1, "aaaa bbbbc", {1, 10}},
           },
           "wrap");
  EXPECT_EQ(Send(w, KE_WORDWRAP, 2), 1);
  EXPECT_EQ(record_of(w)->options.Wordwrap, 0);
  RunEdits(w, {{"aaaa bbbbb", {1, 10}, KE_TYPE_CHAR, 'c', 1, "aaaa bbbbbc", {1, 11}}}, "no wrap");
}

TEST_F(Typing, IndentAndOutdentSelectionAndMarks) {
  HWND w = Make();
  Option(w, "IndentAmount", 2);
  SetText(w, " a\r\nb\r\n    c");
  // A stream selection over the first two lines.
  EditorRecord* rec = record_of(w);
  rec->selection.kind = SEL_STREAM;
  rec->selection.state = SEL_COMPLETE;
  rec->selection.anchor = {rec->firstLine, 0, 1};
  rec->selection.end = {rec->firstLine->next, 0, 2};
  EXPECT_EQ(Send(w, KE_TAB), 1);
  EXPECT_EQ(Body(w), "   a\r\n  b\r\n    c");
  EXPECT_EQ(rec->selection.end.column, 3) << "the end column is the end line's length";
  EXPECT_EQ(Send(w, KE_OUTDENT), 1);
  EXPECT_EQ(Send(w, KE_OUTDENT), 1);
  // One leading blank and amount 2: the one blank goes.
  EXPECT_EQ(Body(w), "a\r\nb\r\n    c");
  Send(w, KE_RELEASE_SELECTION);
  // Marked lines are shifted and stay marked.
  Place(w, {3, 0});
  EXPECT_EQ(Send(w, KE_MARK_LINE), 1);
  EXPECT_EQ(Send(w, KE_OUTDENT), 1);
  EXPECT_EQ(Body(w), "a\r\nb\r\n  c");
  EXPECT_EQ(rec->markedCount, 1);
  EXPECT_EQ(Send(w, KE_TAB), 1);
  EXPECT_EQ(Body(w), "a\r\nb\r\n    c");
  // Undo takes the indent back.
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Body(w), "a\r\nb\r\n  c");
}

TEST_F(Typing, UndoRestoresDeletedWordsAndOpenedLines) {
  HWND w = Make();
  SetText(w, "one  two\r\nthree");
  Place(w, {1, 0});
  Send(w, KE_DELETE_WORD);
  Place(w, {2, 0});
  Send(w, KE_OPEN_LINES_BEFORE);
  EXPECT_EQ(Body(w), "two\r\n\r\nthree");
  Send(w, KE_UNDO);
  EXPECT_EQ(Body(w), "two\r\nthree");
  Send(w, KE_UNDO);
  EXPECT_EQ(Body(w), "one  two\r\nthree");
}

}  // namespace
