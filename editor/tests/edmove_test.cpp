// Caret movement, selections, the mouse and the scroll bars on hidden editor windows:
// tables of (start, command, expected position), drags with the auto-scroll timer driven
// by the test, the parent's first word on double and right clicks, scroll-bar ranges and
// the two scrolling modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "edlines.h"
#include "edmove.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edtesthelp.h"
#include "editor/korvoedit.h"
#include "testkit/testkit.h"

using namespace ked;

namespace {

struct Pos {
  int line, column;
  bool operator==(const Pos& o) const { return line == o.line && column == o.column; }
};
std::ostream& operator<<(std::ostream& out, const Pos& p) {
  return out << "(" << p.line << "," << p.column << ")";
}

class Move : public ::testing::Test {
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
    Send(w, KE_NOTHING);  // the display follows the caret
  }
  static Pos Caret(HWND w) { return {record_of(w)->lineNumber, record_of(w)->caretColumn}; }
  static std::string Numbered(int lines) {
    std::string text;
    for (int i = 1; i <= lines; ++i) text += "line " + std::to_string(i) + (i < lines ? "\r\n" : "");
    return text;
  }
  // Client point inside the character at (row, column) of the view.
  static LPARAM PointAt(HWND w, int row, int column) {
    POINT p = caret_position(record_of(w), column, row);
    return MAKELPARAM(p.x + 1, p.y + 2);
  }
  testkit::BoxAnswerer boxes_;
  edtest::Parent parent_;
  std::vector<HWND> windows_;
};

const char kText[] = "one two\r\nthree\r\n\r\n  four five\r\nsix";

struct MoveCase {
  Pos start;
  UINT command;
  WPARAM wp;
  LPARAM lp;
  LRESULT result;
  Pos end;
};

void RunCases(HWND w, const std::vector<MoveCase>& cases, const char* label) {
  for (const MoveCase& c : cases) {
    EditorRecord* rec = record_of(w);
    rec->currentLine = step_lines(rec, rec->firstLine, c.start.line - 1);
    rec->lineNumber = c.start.line;
    rec->caretColumn = c.start.column;
    LRESULT result = SendMessageA(w, c.command, c.wp, c.lp);
    Pos end = {rec->lineNumber, rec->caretColumn};
    EXPECT_EQ(result, c.result) << label << " command " << std::hex << c.command << std::dec << " from "
                                << c.start;
    EXPECT_EQ(end, c.end) << label << " command " << std::hex << c.command << std::dec << " from " << c.start;
  }
}

TEST_F(Move, MovementTable) {
  HWND w = Make();
  SetText(w, kText);
  std::vector<MoveCase> cases = {
      {{1, 0}, KE_CHAR_LEFT, 0, 0, 1, {1, 0}},  // line 1, column 0: answers 1, stays
      {{2, 0}, KE_CHAR_LEFT, 0, 0, 1, {1, 7}},
      {{1, 3}, KE_CHAR_LEFT, 0, 0, 1, {1, 2}},
      {{1, 9}, KE_CHAR_LEFT, 0, 0, 1, {1, 8}},   // in free space
      {{1, 7}, KE_CHAR_RIGHT, 0, 0, 1, {1, 8}},  // GoFreeSpace on: one column further
      {{1, 2}, KE_CHAR_RIGHT, 0, 0, 1, {1, 3}},
      {{2, 3}, KE_LINE_UP, 0, 0, 1, {1, 3}},
      {{1, 3}, KE_LINE_UP, 0, 0, 0, {1, 3}},
      {{4, 9}, KE_LINE_DOWN, 0, 0, 1, {5, 9}},
      {{5, 0}, KE_LINE_DOWN, 0, 0, 0, {5, 0}},
      {{1, 5}, KE_LINE_START, 0, 0, 1, {1, 0}},
      {{1, 0}, KE_LINE_END, 0, 0, 1, {1, 7}},
      {{1, 0}, KE_WORD_RIGHT, 0, 0, 1, {1, 4}},
      {{1, 4}, KE_WORD_RIGHT, 0, 0, 1, {2, 0}},
      {{4, 4}, KE_WORD_RIGHT, 0, 0, 1, {4, 7}},
      {{5, 0}, KE_WORD_RIGHT, 0, 0, 0, {5, 0}},  // the last word of the text
      {{1, 4}, KE_WORD_LEFT, 0, 0, 1, {1, 0}},
      {{1, 6}, KE_WORD_LEFT, 0, 0, 1, {1, 4}},
      {{2, 0}, KE_WORD_LEFT, 0, 0, 1, {1, 4}},
      {{4, 2}, KE_WORD_LEFT, 0, 0, 1, {2, 0}},
      {{1, 0}, KE_WORD_LEFT, 0, 0, 0, {1, 0}},
      {{1, 0}, KE_NEXT_PARAGRAPH, 0, 0, 1, {4, 2}},
      {{3, 0}, KE_NEXT_PARAGRAPH, 0, 0, 1, {4, 2}},
      {{4, 2}, KE_NEXT_PARAGRAPH, 0, 0, 0, {4, 2}},
      {{5, 1}, KE_PREV_PARAGRAPH, 0, 0, 1, {4, 2}},
      {{4, 2}, KE_PREV_PARAGRAPH, 0, 0, 1, {1, 0}},
      {{5, 3}, KE_FIRST_VISIBLE, 0, 0, 1, {1, 0}},
      {{1, 3}, KE_LAST_VISIBLE, 0, 0, 1, {5, 0}},
      {{3, 0}, KE_TEXT_START, 0, 0, 1, {1, 0}},
      {{1, 0}, KE_TEXT_END, 0, 0, 1, {5, 3}},
      {{2, 1}, KE_GOTO_LINE, 2, 0, 1, {5, 0}},
      {{2, 1}, KE_GOTO_LINE, 3, 2, 1, {4, 0}},
      {{2, 1}, KE_GOTO_LINE, 4, 1, 1, {1, 0}},
      {{2, 1}, KE_GOTO_LINE, 4, 2, 0, {2, 1}},  // lParam equal to the line number
      {{2, 1}, KE_GOTO_LINE, 3, 4, 0, {2, 1}},  // beyond the last line
      {{2, 1}, KE_GOTO_LINE, 0, 3, 1, {3, 0}},
      {{2, 1}, KE_GOTO_LINE, 1, 5, 1, {5, 0}},
      {{2, 1}, KE_GOTO_LINE, 0, 6, 0, {2, 1}},
      {{2, 1}, KE_GOTO_LINE, 0, 0, 0, {2, 1}},
      {{2, 1}, KE_GOTO_LINE, 0, -1, 0, {2, 1}},
      {{2, 1}, KE_GOTO_COLUMN, 5, 0, 1, {2, 5}},
      {{2, 1}, KE_GOTO_COLUMN, static_cast<WPARAM>(-1), 0, 0, {2, 1}},
  };
  RunCases(w, cases, "GoFreeSpace on");

  Option(w, "GoFreeSpace", 0);
  std::vector<MoveCase> bound = {
      {{1, 7}, KE_CHAR_RIGHT, 0, 0, 1, {2, 0}},  // to the start of the next line
      {{5, 3}, KE_CHAR_RIGHT, 0, 0, 0, {5, 3}},  // none after the last line
      {{4, 11}, KE_LINE_DOWN, 0, 0, 1, {5, 3}},  // the column stays inside the text
  };
  RunCases(w, bound, "GoFreeSpace off");
}

TEST_F(Move, WordTableCommands) {
  HWND w = Make();
  SetText(w, "a_b c");
  RunCases(w, {{{1, 0}, KE_WORD_RIGHT, 0, 0, 1, {1, 2}}}, "default");
  EXPECT_EQ(Send(w, KE_SET_WORD_CLASS, 0, reinterpret_cast<LPARAM>("_")), 1);
  RunCases(w, {{{1, 0}, KE_WORD_RIGHT, 0, 0, 1, {1, 4}}}, "underscore in words");
  EXPECT_EQ(Send(w, KE_SET_ALL_WORD_CLASSES, 0), 1);
  RunCases(w, {{{1, 0}, KE_WORD_RIGHT, 0, 0, 0, {1, 0}}}, "no delimiters");
  EXPECT_EQ(Send(w, KE_SET_ALL_WORD_CLASSES, 1), 1);
  RunCases(w, {{{1, 0}, KE_WORD_RIGHT, 0, 0, 0, {1, 0}}}, "only delimiters");
  EXPECT_EQ(Send(w, KE_RESTORE_WORD_CLASSES), 1);
  RunCases(w, {{{1, 0}, KE_WORD_RIGHT, 0, 0, 1, {1, 2}}}, "restored");
}

TEST_F(Move, PagesKeepTheScreenRow) {
  HWND w = Make();
  SetText(w, Numbered(100));
  EditorRecord* rec = record_of(w);
  int rows = rec->visibleRows;
  ASSERT_GT(rows, 3);
  Place(w, {3, 2});
  EXPECT_EQ(Send(w, KE_PAGE_DOWN), 1);
  EXPECT_EQ(Caret(w), (Pos{3 + rows, 2}));
  EXPECT_EQ(rec->view->firstNumber, 1 + rows);
  EXPECT_EQ(rec->caretRow, 2) << "the caret keeps its screen row";
  EXPECT_EQ(Send(w, KE_PAGE_UP), 1);
  EXPECT_EQ(Caret(w), (Pos{3, 2}));
  EXPECT_EQ(rec->view->firstNumber, 1);
  EXPECT_EQ(Send(w, KE_PAGE_UP), 1) << "to line 1";
  EXPECT_EQ(Caret(w), (Pos{1, 2}));
  EXPECT_EQ(Send(w, KE_PAGE_UP), 0);
  Send(w, KE_TEXT_END);
  EXPECT_EQ(Send(w, KE_PAGE_DOWN), 0);
  // Line down at the last visible row scrolls the view by one line first.
  Place(w, {1, 0});
  Send(w, KE_LAST_VISIBLE);
  EXPECT_EQ(Caret(w).line, rows);
  Send(w, KE_LINE_DOWN);
  EXPECT_EQ(rec->view->firstNumber, 2);
  EXPECT_EQ(rec->caretRow, rows - 1);
  Send(w, KE_FIRST_VISIBLE);
  Send(w, KE_LINE_UP);
  EXPECT_EQ(rec->view->firstNumber, 1);
  EXPECT_EQ(rec->caretRow, 0);
}

TEST_F(Move, SelectionCommands) {
  HWND w = Make();
  SetText(w, "abcdef\r\nghijkl\r\nmnopqr");
  const Selection& sel = record_of(w)->selection;
  Place(w, {2, 1});
  EXPECT_EQ(Send(w, KE_MARK_STREAM), 1);
  EXPECT_EQ(sel.state, SEL_ANCHORED);
  Place(w, {1, 2});
  Send(w, KE_MARK_STREAM);
  EXPECT_EQ(sel.state, SEL_COMPLETE);
  EXPECT_EQ(sel.kind, SEL_STREAM);
  EXPECT_EQ((Pos{sel.anchor.number, sel.anchor.column}), (Pos{1, 2})) << "the earlier end comes first";
  EXPECT_EQ((Pos{sel.end.number, sel.end.column}), (Pos{2, 1}));
  // Marking again starts a new selection at the caret.
  Place(w, {1, 4});
  Send(w, KE_MARK_COLUMN);
  EXPECT_EQ(sel.state, SEL_ANCHORED);
  EXPECT_EQ(sel.kind, SEL_COLUMN);
  Place(w, {3, 1});
  Send(w, KE_MARK_COLUMN);
  EXPECT_EQ((Pos{sel.anchor.number, sel.anchor.column}), (Pos{1, 1})) << "a block's smaller column first";
  EXPECT_EQ((Pos{sel.end.number, sel.end.column}), (Pos{3, 4}));
  EXPECT_EQ(Send(w, KE_RELEASE_SELECTION), 1);
  EXPECT_EQ(sel.state, SEL_NONE);
  EXPECT_EQ(sel.kind, 0);
}

TEST_F(Move, MouseClickAndDrag) {
  HWND w = Make();
  SetText(w, "abcdefgh\r\nijklmnop");
  const Selection& sel = record_of(w)->selection;
  // Click and release without moving: the caret goes there and a selection goes away.
  Place(w, {1, 0});
  Send(w, KE_MARK_STREAM);
  Send(w, KE_MARK_STREAM);
  ASSERT_EQ(sel.state, SEL_COMPLETE);
  Send(w, WM_LBUTTONDOWN, MK_LBUTTON, PointAt(w, 1, 3));
  Send(w, WM_LBUTTONUP, 0, PointAt(w, 1, 3));
  EXPECT_EQ(sel.state, SEL_NONE);
  EXPECT_EQ(Caret(w), (Pos{2, 3}));
  // A drag: the end is exclusive while dragging and the completed selection stops before
  // the release point.
  Send(w, WM_LBUTTONDOWN, MK_LBUTTON, PointAt(w, 0, 1));
  Send(w, WM_MOUSEMOVE, MK_LBUTTON, PointAt(w, 0, 3));
  EXPECT_EQ(sel.state, SEL_ANCHORED);
  EXPECT_EQ(sel.kind, SEL_STREAM | SEL_EXCLUSIVE);
  Send(w, WM_MOUSEMOVE, MK_LBUTTON, PointAt(w, 1, 2));
  Send(w, WM_LBUTTONUP, 0, PointAt(w, 1, 2));
  EXPECT_EQ(sel.state, SEL_COMPLETE);
  EXPECT_EQ(sel.kind, SEL_STREAM);
  EXPECT_EQ((Pos{sel.anchor.number, sel.anchor.column}), (Pos{1, 1}));
  EXPECT_EQ((Pos{sel.end.number, sel.end.column}), (Pos{2, 1}));
  EXPECT_EQ(Caret(w), (Pos{2, 2}));
  // Dragging backwards orders the ends.
  Send(w, WM_LBUTTONDOWN, MK_LBUTTON, PointAt(w, 1, 5));
  Send(w, WM_MOUSEMOVE, MK_LBUTTON, PointAt(w, 0, 6));
  Send(w, WM_LBUTTONUP, 0, PointAt(w, 0, 6));
  EXPECT_EQ((Pos{sel.anchor.number, sel.anchor.column}), (Pos{1, 6}));
  EXPECT_EQ((Pos{sel.end.number, sel.end.column}), (Pos{2, 4}));
  // With Ctrl held the drag makes a column block.
  Send(w, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, PointAt(w, 0, 5));
  Send(w, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, PointAt(w, 1, 2));
  Send(w, WM_LBUTTONUP, MK_CONTROL, PointAt(w, 1, 2));
  EXPECT_EQ(sel.kind & (SEL_COLUMN | SEL_STREAM), SEL_COLUMN);
  EXPECT_EQ((Pos{sel.anchor.number, sel.anchor.column}), (Pos{1, 2}));
  EXPECT_EQ((Pos{sel.end.number, sel.end.column}), (Pos{2, 4}));
  EXPECT_EQ(GetCapture(), nullptr) << "the capture is released";
}

TEST_F(Move, DragPastTheEdgeScrollsWithTheTimer) {
  HWND w = Make();
  SetText(w, Numbered(100));
  EditorRecord* rec = record_of(w);
  int rows = rec->visibleRows;
  RECT client;
  GetClientRect(w, &client);
  const LPARAM below = MAKELPARAM(10, client.bottom + 20);
  Send(w, WM_LBUTTONDOWN, MK_LBUTTON, PointAt(w, 0, 2));
  Send(w, WM_MOUSEMOVE, MK_LBUTTON, below);
  EXPECT_TRUE(auto_scroll_running());
  EXPECT_EQ(Caret(w).line, 2);
  // Every tick of the timer moves one line further while the pointer stays outside.
  for (int i = 0; i < rows + 4; ++i) Send(w, WM_TIMER, kAutoScrollTimer, 0);
  EXPECT_EQ(Caret(w).line, rows + 6);
  EXPECT_EQ(rec->view->firstNumber, 7) << "the view scrolled with the caret";
  // Back inside the window the timer stops.
  Send(w, WM_MOUSEMOVE, MK_LBUTTON, PointAt(w, 3, 1));
  EXPECT_FALSE(auto_scroll_running());
  Send(w, WM_LBUTTONUP, 0, PointAt(w, 3, 1));
  EXPECT_EQ(rec->selection.state, SEL_COMPLETE);
  EXPECT_EQ(rec->selection.anchor.number, 1);
  EXPECT_EQ(rec->selection.end.number, 10);
  // A timer tick with no drag only stops the timer.
  EXPECT_EQ(Send(w, WM_TIMER, kAutoScrollTimer, 0), 1);
  EXPECT_EQ(Caret(w).line, 10);
}

TEST_F(Move, ParentAnswersDoubleAndRightClicksFirst) {
  HWND w = Make();
  SetText(w, "hello world");
  const Selection& sel = record_of(w)->selection;
  Place(w, {1, 7});
  parent_.mouseAnswer = 1;
  Send(w, WM_LBUTTONDBLCLK, MK_LBUTTON, PointAt(w, 0, 7));
  EXPECT_EQ(sel.state, SEL_NONE) << "a non-zero answer: the control does nothing";
  parent_.mouseAnswer = 0;
  Send(w, WM_LBUTTONDBLCLK, MK_LBUTTON, PointAt(w, 0, 7));
  EXPECT_EQ(sel.state, SEL_COMPLETE) << "a zero answer: the word at the caret is selected";
  EXPECT_EQ(sel.anchor.column, 6);
  EXPECT_EQ(sel.end.column, 11);
  parent_.mouseAnswer = 1;
  Send(w, WM_RBUTTONDOWN, MK_RBUTTON, PointAt(w, 0, 1));
  EXPECT_EQ(sel.state, SEL_COMPLETE) << "the selection is left alone";
  EXPECT_EQ(Caret(w), (Pos{1, 7}));
  parent_.mouseAnswer = 0;
  Send(w, WM_RBUTTONDOWN, MK_RBUTTON, PointAt(w, 0, 1));
  EXPECT_EQ(Caret(w), (Pos{1, 1})) << "the control moves the caret to the point";
  Send(w, WM_MBUTTONDBLCLK, MK_MBUTTON, PointAt(w, 0, 1));
  EXPECT_EQ(sel.state, SEL_NONE);
  Send(w, WM_MBUTTONDOWN, MK_MBUTTON, PointAt(w, 0, 1));
  EXPECT_EQ(sel.state, SEL_ANCHORED);
  EXPECT_EQ(sel.kind, SEL_COLUMN);
  std::vector<UINT> offered = {WM_LBUTTONDBLCLK, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                               WM_RBUTTONDOWN,   WM_MBUTTONDBLCLK, WM_MBUTTONDOWN};
  EXPECT_EQ(parent_.mouse, offered);
}

TEST_F(Move, ScrollBarRangesAndPositions) {
  HWND w = Make(WS_VSCROLL | WS_HSCROLL);
  SetText(w, Numbered(100));
  Send(w, KE_NOTHING);
  int low = -1, high = -1;
  GetScrollRange(w, SB_VERT, &low, &high);
  EXPECT_EQ(low, 1);
  EXPECT_EQ(high, 100);
  EXPECT_EQ(GetScrollPos(w, SB_VERT), 1);
  Send(w, KE_GOTO_LINE, 0, 50);
  EXPECT_EQ(GetScrollPos(w, SB_VERT), 50);
  GetScrollRange(w, SB_HORZ, &low, &high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 1023);
  EXPECT_EQ(GetScrollPos(w, SB_HORZ), 0);
  HWND one = Make(WS_VSCROLL);
  Send(one, KE_NOTHING);
  GetScrollRange(one, SB_VERT, &low, &high);
  EXPECT_EQ(high, 2) << "one line and a vertical bar";
}

TEST_F(Move, WindowsScrollingMovesOnlyTheView) {
  HWND w = Make(WS_VSCROLL);
  SetText(w, Numbered(100));
  Option(w, "WindowsScrolling", 1);
  EditorRecord* rec = record_of(w);
  int rows = rec->visibleRows;
  Place(w, {3, 0});
  parent_.Clear();
  Send(w, WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(rec->view->firstNumber, 2);
  EXPECT_EQ(Caret(w), (Pos{3, 0})) << "the caret stays";
  EXPECT_TRUE(rec->state & ST_SCROLL_HID_CARET);
  EXPECT_EQ(GetScrollPos(w, SB_VERT), 2) << "the thumb follows the view";
  Send(w, WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_EQ(rec->view->firstNumber, 2 + rows);
  Send(w, WM_VSCROLL, SB_TOP);
  EXPECT_EQ(rec->view->firstNumber, 2 + rows) << "top and bottom are ignored";
  Send(w, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40));
  EXPECT_EQ(rec->view->firstNumber, 40);
  EXPECT_EQ(Caret(w), (Pos{3, 0}));
  Send(w, WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(rec->view->firstNumber, 39);
  EXPECT_EQ(parent_.Codes(),
            (std::vector<WORD>{KEN_VSCROLL, KEN_VSCROLL, KEN_VSCROLL, KEN_VSCROLL, KEN_VSCROLL}));
  // A view showing the first line does not scroll up.
  Send(w, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1));
  Send(w, WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(rec->view->firstNumber, 1);
  // The next command shows the caret again.
  Send(w, KE_NOTHING);
  EXPECT_FALSE(rec->state & ST_SCROLL_HID_CARET);
}

TEST_F(Move, ScrollBarMovesTheCaretWithWindowsScrollingOff) {
  HWND w = Make(WS_VSCROLL);
  SetText(w, Numbered(100));
  EditorRecord* rec = record_of(w);
  int rows = rec->visibleRows;
  Place(w, {3, 0});
  Send(w, WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(Caret(w), (Pos{4, 0}));
  EXPECT_EQ(rec->view->firstNumber, 1);
  Send(w, WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_EQ(Caret(w), (Pos{4 + rows, 0}));
  Send(w, WM_VSCROLL, SB_BOTTOM);
  EXPECT_EQ(Caret(w).line, 100);
  Send(w, WM_VSCROLL, SB_TOP);
  EXPECT_EQ(Caret(w), (Pos{1, 0}));
  Send(w, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30));
  EXPECT_EQ(Caret(w), (Pos{30, 0}));
  EXPECT_GE(30, rec->view->firstNumber);
  EXPECT_LT(30, rec->view->firstNumber + rows);
}

TEST_F(Move, HorizontalScrolling) {
  HWND w = Make(WS_HSCROLL);
  SetText(w, "abc");
  EditorRecord* rec = record_of(w);
  parent_.Clear();
  Send(w, WM_HSCROLL, SB_LINERIGHT);
  Send(w, WM_HSCROLL, SB_LINERIGHT);
  Send(w, WM_HSCROLL, SB_LINERIGHT);
  EXPECT_EQ(rec->view->firstColumn, 3);
  EXPECT_EQ(Caret(w).column, 3) << "the caret column stays inside the visible columns";
  EXPECT_EQ(GetScrollPos(w, SB_HORZ), 3);
  Send(w, WM_HSCROLL, SB_PAGERIGHT);
  EXPECT_EQ(rec->view->firstColumn, 13) << "free space lets the view go past the text";
  Send(w, WM_HSCROLL, SB_PAGELEFT);
  EXPECT_EQ(rec->view->firstColumn, 3);
  EXPECT_EQ(Caret(w).column, 13);
  Send(w, WM_HSCROLL, SB_LINELEFT);
  EXPECT_EQ(rec->view->firstColumn, 2);
  EXPECT_EQ(Caret(w).column, 12) << "line left moves the caret too";
  Send(w, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 7));
  EXPECT_EQ(rec->view->firstColumn, 7);
  Send(w, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0));
  Send(w, WM_HSCROLL, SB_PAGELEFT);
  EXPECT_EQ(rec->view->firstColumn, 0) << "never left of column 0";
  Send(w, WM_HSCROLL, SB_RIGHT);
  EXPECT_EQ(Caret(w).column, 3) << "the right end: the end of the caret's line";
  Send(w, WM_HSCROLL, SB_LEFT);
  EXPECT_EQ(Caret(w).column, 0);
  std::vector<WORD> codes = parent_.Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), static_cast<WORD>(KEN_HSCROLL)), 11) << "one per message";
  // Without free space the view stops at the end of the caret line's text.
  Option(w, "GoFreeSpace", 0);
  Send(w, WM_HSCROLL, SB_PAGERIGHT);
  EXPECT_EQ(rec->view->firstColumn, 3);
}

}  // namespace
