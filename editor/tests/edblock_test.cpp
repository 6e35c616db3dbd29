// Block commands on hidden editor windows: cut, copy, append, delete, duplicate and paste
// of stream text, column blocks and whole lines through the shared pick buffer and the
// real clipboard of the test display; line buffer growth and refused edits when memory
// runs out.
#include <gtest/gtest.h>

#include <string.h>

#include <ostream>
#include <string>
#include <vector>

#include "edblock.h"
#include "edinsert.h"
#include "edlines.h"
#include "edmem.h"
#include "edrecord.h"
#include "edstate.h"
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

// The pick buffer as "text|" per line, "~" marking a line taken with its break.
std::string Pick() {
  std::string all;
  for (LineRecord* line = g_pickBuffer->firstLine; line; line = line->next) {
    all.append(line->text, static_cast<size_t>(line->length));
    if (line->flags & LF_ENDED_BREAK) all += "~";
    all += "|";
  }
  return all;
}
int PickKind() { return g_pickBuffer->selection.kind; }

class Blocks : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitEditor(GetModuleHandleA(nullptr)); }
  void SetUp() override {
    edtest::IniClearOptions();
    g_repeatCount = 1;
  }
  void TearDown() override {
    fail_allocations_after(-1);
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
  }
  static Pos Caret(HWND w) { return {record_of(w)->lineNumber, record_of(w)->caretColumn}; }
  // A complete selection from `a` to `b` of `kind` (SEL_STREAM or SEL_COLUMN, with or
  // without SEL_EXCLUSIVE); the caret stands at `b`.
  static void Select(HWND w, uint8_t kind, Pos a, Pos b) {
    EditorRecord* rec = record_of(w);
    Selection& sel = rec->selection;
    sel = Selection();
    sel.kind = kind;
    sel.state = SEL_COMPLETE;
    sel.anchor = sel.savedAnchor = {step_lines(rec, rec->firstLine, a.line - 1), a.column, a.line};
    sel.end = {step_lines(rec, rec->firstLine, b.line - 1), b.column, b.line};
    Place(w, b);
  }
  // The text without the CR LF the control puts after the last of several lines.
  static std::string Body(HWND w) {
    std::string text = edtest::Text(w);
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
    return text;
  }
  static void PutOnClipboard(const char* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    memcpy(GlobalLock(memory), text, strlen(text) + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
  }
  static std::string ClipboardText() {
    std::string text = "(none)";
    if (!OpenClipboard(nullptr)) return "(closed)";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      text = static_cast<const char*>(GlobalLock(data));
      GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
  }

  testkit::BoxAnswerer boxes_;
  edtest::Parent parent_;
  std::vector<HWND> windows_;
};

// One command on a text: the selection (kind 0 for none), the command with its repeat
// count, and what the text, the caret, the pick buffer and the clipboard hold afterwards.
struct BlockCase {
  const char* label;
  const char* text;
  uint8_t selectionKind;
  Pos from, to;  // the selection, or `to` alone as the caret
  UINT command;
  int repeat;
  LRESULT result;
  const char* expected;
  Pos caret;
  const char* pick;       // null: the pick buffer as it was
  int kind;               // pick kind (when pick is given)
  const char* clipboard;  // "keep": what was there before
};

TEST_F(Blocks, CommandsOnSelectionsAndLinesTable) {
  HWND w = Make();
  const uint8_t stream = SEL_STREAM | SEL_EXCLUSIVE, column = SEL_COLUMN;
  const BlockCase cases[] = {
      {"cut without a selection takes the caret line",
       "one\r\ntwo\r\nthree",
       0,
       {},
       {2, 1},
       KE_CUT,
       1,
       1,
       "one\r\nthree",
       {2, 1},
       "two~|",
       33,
       "two\r\n"},
      {"cut with a repeat count",
       "one\r\ntwo\r\nthree",
       0,
       {},
       {1, 0},
       KE_CUT,
       2,
       1,
       "three",
       {1, 0},
       "one~|two~|",
       33,
       "one\r\ntwo\r\n"},
      {"cut of the only line leaves one empty line",
       "only",
       0,
       {},
       {1, 2},
       KE_CUT,
       1,
       1,
       "",
       {1, 2},
       "only~|",
       33,
       "only\r\n"},
      {"copy of the middle two characters",
       "abcd",
       stream,
       {1, 1},
       {1, 3},
       KE_COPY,
       1,
       1,
       "abcd",
       {1, 3},
       "bc|",
       8,
       "bc"},
      {"copy to the line's end is stream text",
       "abcd",
       stream,
       {1, 1},
       {1, 4},
       KE_COPY,
       1,
       1,
       "abcd",
       {1, 4},
       "bcd|",
       1,
       "bcd"},
      {"copy of lines",
       "a\r\nb\r\nc",
       0,
       {},
       {2, 0},
       KE_COPY,
       2,
       1,
       "a\r\nb\r\nc",
       {2, 0},
       "b~|c~|",
       33,
       "b\r\nc\r\n"},
      {"cut of a stream joins the first and last lines",
       "abc\r\ndef\r\nghi",
       stream,
       {1, 1},
       {3, 1},
       KE_CUT,
       1,
       1,
       "ahi",
       {1, 1},
       "bc~|def~|g|",
       1,
       "bc\r\ndef\r\ng"},
      {"cut of a column block",
       "abcdef\r\nghijkl\r\nmnopqr",
       column,
       {1, 1},
       {2, 3},
       KE_CUT,
       1,
       1,
       "aef\r\ngkl\r\nmnopqr",
       {1, 1},
       "bcd~|hij~|",
       2,
       "bcd\r\nhij\r\n"},
      {"delete of a stream goes to the pick buffer only",
       "abc\r\ndef\r\nghi",
       stream,
       {1, 1},
       {3, 1},
       KE_DELETE_LINE,
       1,
       1,
       "ahi",
       {1, 1},
       "bc~|def~|g|",
       1,
       "keep"},
      {"the delete key on a selection",
       "abc\r\ndef",
       stream,
       {1, 2},
       {2, 1},
       KE_DELETE_CHAR,
       1,
       1,
       "abef",
       {1, 2},
       "c~|d|",
       1,
       "keep"},
      {"delete line",
       "a\r\nb\r\nc",
       0,
       {},
       {2, 0},
       KE_DELETE_LINE,
       1,
       1,
       "a\r\nc",
       {2, 0},
       "b~|",
       33,
       "keep"},
      {"delete of the last line: the caret goes up",
       "a\r\nb",
       0,
       {},
       {2, 0},
       KE_DELETE_LINE,
       1,
       1,
       "a",
       {1, 0},
       "b~|",
       33,
       "keep"},
  };
  for (const BlockCase& c : cases) {
    SCOPED_TRACE(c.label);
    SetText(w, c.text);
    PutOnClipboard("before");
    Send(w, KE_NOTHING);  // a command in between: successive deletes do not collect
    if (c.selectionKind)
      Select(w, c.selectionKind, c.from, c.to);
    else
      Place(w, c.to);
    g_repeatCount = c.repeat;
    EXPECT_EQ(Send(w, c.command), c.result);
    EXPECT_EQ(Body(w), c.expected);
    EXPECT_EQ(Caret(w), c.caret);
    // A copy keeps its selection with WindowsCompatibility bit 4 (set by default).
    bool kept = c.command == KE_COPY && c.selectionKind;
    EXPECT_EQ(record_of(w)->selection.state, kept ? SEL_COMPLETE : SEL_NONE);
    if (c.pick) {
      EXPECT_EQ(Pick(), c.pick);
      EXPECT_EQ(PickKind(), c.kind);
    }
    EXPECT_EQ(ClipboardText(), std::string(c.clipboard) == "keep" ? "before" : c.clipboard);
  }
}

TEST_F(Blocks, CutWithoutSelectionUnderCompatibilityBitTwoDoesNothing) {
  HWND w = Make();
  SetText(w, "x");
  Send(w, KE_COPY);
  std::string pick = Pick();
  SetText(w, "one\r\ntwo");
  Option(w, "WindowsCompatibility", 21 | 2);
  Place(w, {1, 0});
  for (UINT command : {KE_CUT, KE_COPY}) {
    EXPECT_EQ(Send(w, command), 1) << command;
    EXPECT_EQ(Body(w), "one\r\ntwo");
    EXPECT_EQ(Pick(), pick);
  }
}

TEST_F(Blocks, CopyKeepsTheSelectionWithCompatibilityBitFour) {
  HWND w = Make();
  SetText(w, "abcd");
  for (int bits : {21, 17}) {
    SCOPED_TRACE(bits);
    Option(w, "WindowsCompatibility", bits);
    Select(w, SEL_STREAM | SEL_EXCLUSIVE, {1, 1}, {1, 3});
    EXPECT_EQ(Send(w, KE_COPY), 1);
    EXPECT_EQ(record_of(w)->selection.state, (bits & 4) ? SEL_COMPLETE : SEL_NONE);
    EXPECT_EQ(Caret(w), ((bits & 4) ? Pos{1, 3} : Pos{1, 1}));
  }
}

struct PasteCase {
  const char* label;
  const char* source;
  uint8_t selectionKind;
  Pos from, to;  // what is copied (a caret and a repeat count of lines without a kind)
  int copyRepeat;
  const char* target;
  Pos at;
  UINT command;
  int repeat;
  const char* expected;
  Pos caret;
};

TEST_F(Blocks, PasteTable) {
  HWND w = Make();
  const uint8_t stream = SEL_STREAM | SEL_EXCLUSIVE, column = SEL_COLUMN;
  const PasteCase cases[] = {
      {"a piece of one line goes in without a split",
       "abcd",
       stream,
       {1, 1},
       {1, 3},
       1,
       "wxyz",
       {1, 2},
       KE_INSERT_PICK_ONCE,
       1,
       "wxbcyz",
       {1, 2}},
      {"two whole lines three times: six lines above the caret line",
       "a\r\nb\r\nc",
       0,
       {},
       {1, 0},
       2,
       "x\r\ny",
       {2, 0},
       KE_INSERT_PICK,
       3,
       "x\r\na\r\nb\r\na\r\nb\r\na\r\nb\r\ny",
       {2, 0}},
      {"whole lines at a column are shifted to it",
       "ab",
       0,
       {},
       {1, 0},
       1,
       "x",
       {1, 2},
       KE_INSERT_PICK_ONCE,
       1,
       "  ab\r\nx",
       {1, 2}},
      {"stream text splits the line",
       "abc\r\ndef",
       stream,
       {1, 1},
       {2, 2},
       1,
       "XY",
       {1, 1},
       KE_INSERT_PICK_ONCE,
       1,
       "Xbc\r\ndeY",
       {1, 1}},
      {"stream text twice",
       "abc\r\ndef",
       stream,
       {1, 1},
       {2, 2},
       1,
       "XY",
       {1, 1},
       KE_INSERT_PICK,
       2,
       "Xbc\r\ndebc\r\ndeY",
       {1, 1}},
      {"a piece in free space is padded",
       "abcd",
       stream,
       {1, 1},
       {1, 3},
       1,
       "x",
       {1, 4},
       KE_INSERT_PICK_ONCE,
       1,
       "x   bc",
       {1, 4}},
      {"a column block goes down the lines at one column",
       "abcdef\r\nghijkl",
       column,
       {1, 1},
       {2, 3},
       1,
       "12345\r\n67890",
       {1, 2},
       KE_INSERT_PICK_ONCE,
       1,
       "12bcd345\r\n67hij890",
       {1, 2}},
      {"a column block past the last line adds lines",
       "abcdef\r\nghijkl",
       column,
       {1, 1},
       {2, 2},
       1,
       "xy",
       {1, 1},
       KE_INSERT_PICK_ONCE,
       1,
       "xbcy\r\n hi",
       {1, 1}},
      {"short block lines are padded where text follows",
       "ab\r\nghijkl",
       column,
       {1, 1},
       {2, 3},
       1,
       "12345\r\n67890",
       {1, 2},
       KE_INSERT_PICK_ONCE,
       1,
       "12b  345\r\n67hij890",
       {1, 2}},
      {"duplicate the caret line",
       "ab\r\ncd",
       0,
       {},
       {1, 1},
       0,
       "ab\r\ncd",
       {1, 1},
       KE_DUPLICATE_LINE,
       1,
       "ab\r\nab\r\ncd",
       {2, 1}},
  };
  for (const PasteCase& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.copyRepeat > 0) {
      SetText(w, c.source);
      if (c.selectionKind)
        Select(w, c.selectionKind, c.from, c.to);
      else
        Place(w, c.to);
      g_repeatCount = c.copyRepeat;
      ASSERT_EQ(Send(w, KE_COPY), 1);
    }
    SetText(w, c.target);
    Place(w, c.at);
    g_repeatCount = c.repeat;
    EXPECT_EQ(Send(w, c.command), 1);
    EXPECT_EQ(Body(w), c.expected);
    EXPECT_EQ(Caret(w), c.caret);
  }
}

// Column blocks count display columns: lines with tabs are expanded for the block and
// compressed again by the EntabLine rule afterwards.
TEST_F(Blocks, ColumnBlocksOverTabs) {
  HWND w = Make();
  SetText(w, "a\tb");
  Select(w, SEL_COLUMN, {1, 6}, {1, 8});
  EXPECT_EQ(Send(w, KE_COPY), 1);
  EXPECT_EQ(Pick(), "  b~|") << "two columns of the tab and the letter";
  EXPECT_EQ(Body(w), "a\tb") << "a copy changes nothing";

  SetText(w, "a\tb\r\nc\td");
  Select(w, SEL_COLUMN, {1, 1}, {2, 3});
  EXPECT_EQ(Send(w, KE_CUT), 1);
  EXPECT_EQ(Pick(), "   ~|   ~|");
  EXPECT_EQ(Body(w), "a    b\r\nc    d") << "four blanks are too few for a tab again";
  EXPECT_EQ(record_of(w)->firstLine->flags & LF_TABS_EXPANDED, 0);

  SetText(w, "x\ty\r\nz\tw");
  Place(w, {1, 1});
  EXPECT_EQ(Send(w, KE_INSERT_PICK_ONCE), 1);
  EXPECT_EQ(Body(w), "x\t   y\r\nz\t   w") << "the run up to column 8 is a tab again";
  EXPECT_EQ(record_of(w)->firstLine->flags & LF_TABS_EXPANDED, 0);
}

TEST_F(Blocks, CutAndPasteBackGivesTheTextAgain) {
  HWND w = Make();
  const char* text = "first line\r\nsecond\r\n\r\nfourth line";
  struct {
    uint8_t kind;
    Pos a, b;
  } selections[] = {
      {SEL_STREAM | SEL_EXCLUSIVE, {1, 3}, {4, 2}},
      {SEL_STREAM | SEL_EXCLUSIVE, {1, 0}, {2, 6}},
      {SEL_STREAM, {2, 1}, {2, 3}},
      {SEL_COLUMN, {1, 2}, {2, 4}},
      {SEL_STREAM | SEL_EXCLUSIVE, {2, 6}, {3, 0}},
  };
  for (const auto& s : selections) {
    SCOPED_TRACE(testing::Message() << s.a << "-" << s.b << " kind " << int(s.kind));
    SetText(w, text);
    Select(w, s.kind, s.a, s.b);
    ASSERT_EQ(Send(w, KE_CUT), 1);
    EXPECT_NE(Body(w), text);
    EXPECT_EQ(Send(w, KE_INSERT_PICK_ONCE), 1);
    EXPECT_EQ(Body(w), text);
  }
}

TEST_F(Blocks, AppendAndSuccessiveDeletesCollect) {
  HWND w = Make();
  SetText(w, "a\r\nb\r\nc\r\nd");
  Place(w, {1, 0});
  PutOnClipboard("before");
  EXPECT_EQ(Send(w, KE_DELETE_LINE), 1);
  EXPECT_EQ(Send(w, KE_DELETE_LINE), 1);
  EXPECT_EQ(Pick(), "a~|b~|") << "one pick buffer for deletions in a row";
  EXPECT_EQ(ClipboardText(), "before");
  Send(w, KE_LINE_DOWN);
  Send(w, KE_LINE_UP);
  EXPECT_EQ(Send(w, KE_DELETE_LINE), 1);
  EXPECT_EQ(Pick(), "c~|") << "a command in between starts a new one";

  SetText(w, "one\r\ntwo words");
  Place(w, {1, 0});
  EXPECT_EQ(Send(w, KE_COPY), 1);
  Select(w, SEL_STREAM | SEL_EXCLUSIVE, {2, 0}, {2, 3});
  EXPECT_EQ(Send(w, KE_CUT_APPEND), 1);
  EXPECT_EQ(Body(w), "one\r\n words");
  EXPECT_EQ(Pick(), "one~|two|");
  EXPECT_EQ(ClipboardText(), "one\r\ntwo");
  Place(w, {1, 0});
  EXPECT_EQ(Send(w, KE_CUT_APPEND), 1) << "lines onto the end";
  EXPECT_EQ(Pick(), "one~|two|one~|");
  EXPECT_EQ(Body(w), " words");
}

TEST_F(Blocks, MarkedLinesAreCutCopiedAndDeleted) {
  HWND w = Make();
  auto mark = [&](std::initializer_list<int> lines) {
    for (int n : lines) {
      Place(w, {n, 0});
      Send(w, KE_MARK_LINE);
    }
  };
  SetText(w, "a\r\nb\r\nc\r\nd");
  mark({1, 3});
  Place(w, {2, 0});
  EXPECT_EQ(Send(w, KE_COPY), 1);
  EXPECT_EQ(Pick(), "a~|c~|");
  EXPECT_EQ(Body(w), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(record_of(w)->markedCount, 0) << "the marks are cleared";
  EXPECT_EQ(Caret(w), (Pos{2, 0})) << "a copy keeps the caret's line";

  mark({1, 3});
  Place(w, {2, 0});
  EXPECT_EQ(Send(w, KE_CUT), 1);
  EXPECT_EQ(Body(w), "b\r\nd");
  EXPECT_EQ(Pick(), "a~|c~|");
  EXPECT_EQ(ClipboardText(), "a\r\nc\r\n");
  EXPECT_EQ(record_of(w)->markedCount, 0);
  EXPECT_STREQ(record_of(w)->currentLine->text, "b") << "the caret's line is kept";

  SetText(w, "a\r\nb");
  mark({1, 2});
  EXPECT_EQ(Send(w, KE_DELETE_CHAR), 1) << "the delete key takes marked lines";
  EXPECT_EQ(Body(w), "");
  EXPECT_EQ(record_of(w)->lineCount, 1);
  EXPECT_EQ(Pick(), "a~|b~|");
}

TEST_F(Blocks, UndoGivesBackTheTextAndThePickBuffer) {
  HWND w = Make();
  SetText(w, "keep");
  Place(w, {1, 0});
  Send(w, KE_COPY);
  SetText(w, "abc\r\ndef\r\nghi");
  Select(w, SEL_STREAM | SEL_EXCLUSIVE, {1, 1}, {3, 1});
  ASSERT_EQ(Send(w, KE_CUT), 1);
  ASSERT_EQ(Pick(), "bc~|def~|g|");
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Body(w), "abc\r\ndef\r\nghi");
  EXPECT_EQ(Pick(), "keep~|");
  EXPECT_EQ(PickKind(), 33);
  EXPECT_EQ(Send(w, KE_REDO), 1);
  EXPECT_EQ(Body(w), "ahi");
  EXPECT_EQ(Pick(), "bc~|def~|g|");

  SetText(w, "x\r\ny");
  Place(w, {2, 0});
  ASSERT_EQ(Send(w, KE_INSERT_PICK_ONCE), 1);
  ASSERT_EQ(Body(w), "x\r\nbc\r\ndef\r\ngy");
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Body(w), "x\r\ny");

  // A column block that needs a new line at the end.
  SetText(w, "abc\r\ndef");
  Select(w, SEL_COLUMN, {1, 1}, {2, 1});
  ASSERT_EQ(Send(w, KE_COPY), 1);
  SetText(w, "xy\r\nzw");
  Place(w, {2, 1});
  ASSERT_EQ(Send(w, KE_INSERT_PICK_ONCE), 1);
  ASSERT_EQ(Body(w), "xy\r\nzbw\r\n e");
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Body(w), "xy\r\nzw");
  EXPECT_EQ(Send(w, KE_REDO), 1);
  EXPECT_EQ(Body(w), "xy\r\nzbw\r\n e");

  SetText(w, "x\r\ny");
  Place(w, {2, 0});
  Send(w, KE_COPY);  // the line "y"
  Place(w, {1, 0});
  ASSERT_EQ(Send(w, KE_INSERT_PICK_ONCE), 1);
  ASSERT_EQ(Body(w), "y\r\nx\r\ny");
  EXPECT_EQ(Send(w, KE_UNDO), 1);
  EXPECT_EQ(Body(w), "x\r\ny");
}

TEST_F(Blocks, ReadOnlyWindowCopiesButRefusesTheRest) {
  HWND w = Make(ES_KE_READONLY);
  SetText(w, "one\r\ntwo");
  Place(w, {1, 0});
  EXPECT_EQ(Send(w, KE_COPY), 1);
  EXPECT_EQ(Pick(), "one~|");
  for (UINT command :
       {KE_CUT, KE_CUT_APPEND, KE_INSERT_PICK, KE_INSERT_PICK_ONCE, KE_DUPLICATE_LINE, KE_DELETE_LINE}) {
    EXPECT_EQ(Send(w, command), 0) << command;
    EXPECT_EQ(Body(w), "one\r\ntwo");
    EXPECT_EQ(Pick(), "one~|");
  }
  Select(w, SEL_STREAM | SEL_EXCLUSIVE, {1, 0}, {2, 1});
  EXPECT_EQ(Send(w, KE_CUT), 0);
  EXPECT_EQ(Body(w), "one\r\ntwo");
}

TEST_F(Blocks, PasteOfAnEmptyPickBufferIsRefused) {
  HWND w = Make();
  free_chain(g_pickBuffer, g_pickBuffer->firstLine);
  reset_text(g_pickBuffer);
  SetText(w, "text");
  EXPECT_EQ(Send(w, KE_INSERT_PICK_ONCE), 0);
  EXPECT_EQ(Body(w), "text");
}

// Line buffers grow to the smallest power of two above the size they need, at least 8.
TEST_F(Blocks, LineBuffersGrowByPowersOfTwo) {
  struct {
    int length, capacity, more, expected;
  } cases[] = {
      // The needed size is at least 8, so a buffer of 8 grows at the first insertion.
      {6, 8, 1, 16},   {5, 8, 1, 16},       {0, 8, 7, 16},  {14, 16, 1, 32},
      {13, 16, 1, 16}, {100, 128, 60, 256}, {0, 64, 0, 64},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.length << " in " << c.capacity << " + " << c.more);
    LineRecord* line = make_line(c.capacity, nullptr);
    ASSERT_NE(line, nullptr);
    memset(line->text, 'a', static_cast<size_t>(c.length));
    line->length = c.length;
    ASSERT_TRUE(ensure_room(line, c.more));
    EXPECT_EQ(line->capacity, c.expected);
    EXPECT_EQ(std::string(line->text), std::string(static_cast<size_t>(c.length), 'a'));
    free_chain(nullptr, line);
  }
  // Typing into a line of six characters held in eight bytes.
  HWND w = Make();
  SetText(w, "abcdef");
  LineRecord* line = record_of(w)->firstLine;
  char* small = static_cast<char*>(alloc_zeroed(8));
  memcpy(small, "abcdef", 7);
  free_block(line->text);
  line->text = small;
  line->capacity = 8;
  Place(w, {1, 6});
  EXPECT_EQ(Send(w, KE_TYPE_CHAR, 'g'), 1);
  EXPECT_EQ(line->capacity, 16);
  EXPECT_EQ(Body(w), "abcdefg");
}

// Every block command under allocation failures after 0, 1, 2... successful allocations:
// it either completes, or answers 0 with the text and the pick buffer as they were.
TEST_F(Blocks, AllocationFailureRefusesTheEditWhole) {
  HWND w = Make();
  struct Step {
    const char* label;
    const char* text;
    uint8_t kind;  // selection, 0 for none
    Pos a, b;
    const char* pickSource;  // copied as lines before the step
    UINT command;
  } steps[] = {
      {"typing into a full line", "abcdefghijklmno", 0, {}, {1, 15}, "p", KE_TYPE_CHAR},
      {"cut of a stream",
       "abc\r\ndefghijklmnopqrstuvwxyz\r\nghi",
       SEL_STREAM | SEL_EXCLUSIVE,
       {1, 1},
       {3, 1},
       "p",
       KE_CUT},
      {"cut of lines", "abc\r\ndef", 0, {}, {1, 0}, "p", KE_CUT},
      {"copy", "abc\r\ndef", SEL_STREAM, {1, 1}, {2, 1}, "p", KE_COPY},
      {"append", "abc\r\ndef", SEL_STREAM, {1, 1}, {2, 1}, "p", KE_CUT_APPEND},
      {"paste of lines", "abc\r\ndef", 0, {}, {2, 1}, "one\r\ntwo", KE_INSERT_PICK},
      {"paste of stream text",
       "abcdefg\r\nhij",
       SEL_STREAM | SEL_EXCLUSIVE,
       {1, 1},
       {2, 2},
       nullptr,
       KE_INSERT_PICK},
      {"paste of a column block", "abcdefg\r\nhijklmn", SEL_COLUMN, {1, 1}, {2, 6}, nullptr, KE_INSERT_PICK},
      {"duplicate", "abcdefg\r\nhij", 0, {}, {1, 0}, nullptr, KE_DUPLICATE_LINE},
  };
  bool sawBufferBox = false;
  for (const Step& s : steps) {
    for (int succeed = 0; succeed < 8; ++succeed) {
      SCOPED_TRACE(testing::Message() << s.label << ", allocations before the failure: " << succeed);
      // The pick buffer: lines of pickSource, or the step's own selection copied.
      SetText(w, s.pickSource ? s.pickSource : s.text);
      if (s.pickSource) {
        Place(w, {1, 0});
        g_repeatCount = 2;
      } else if (s.kind) {
        Select(w, s.kind, s.a, s.b);
      } else {
        Place(w, s.b);
      }
      ASSERT_EQ(Send(w, KE_COPY), 1);
      std::string pick = Pick();
      int kind = PickKind();
      SetText(w, s.text);
      // Pasting over a selection deletes it first (a step of its own): the pastes here
      // go in at the selection's start.
      bool paste = s.command == KE_INSERT_PICK;
      if (s.kind && !paste)
        Select(w, s.kind, s.a, s.b);
      else
        Place(w, s.kind ? s.a : s.b);
      if (paste) g_repeatCount = 3;
      std::string before = Body(w);
      size_t boxes = boxes_.Boxes().size();
      fail_allocations_after(succeed);
      LRESULT result = Send(w, s.command, s.command == KE_TYPE_CHAR ? 'x' : 0);
      fail_allocations_after(-1);
      if (result == 0) {
        EXPECT_EQ(Body(w), before);
        EXPECT_EQ(Pick(), pick);
        EXPECT_EQ(PickKind(), kind);
        EXPECT_GT(boxes_.Boxes().size(), boxes) << "the failure is reported";
        for (size_t i = boxes; i < boxes_.Boxes().size(); ++i)
          sawBufferBox |= boxes_.Boxes()[i].text == "BufRealloc() - MEM_ALLOC returns NULL";
      } else {
        EXPECT_NE(Body(w) + Pick(), before + pick) << "a command that answers 1 did something";
      }
    }
  }
  EXPECT_TRUE(sawBufferBox);
}

}  // namespace
