// The edit-control answers by character offset, run as one table against a standard
// EDIT window and the editor control; the selected-text copy with its buffer size; tab
// stops; the text rectangle; line copies, owner values and the space stripper.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "edlines.h"
#include "edrecord.h"
#include "edtesthelp.h"
#include "editor/korvoedit.h"
#include "testkit/testkit.h"

using namespace ked;

namespace {

class Query : public ::testing::Test {
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
  HWND MakeStandardEdit() {
    HWND w = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL, 0, 0,
                             400, 300, parent_.Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    windows_.push_back(w);
    return w;
  }
  static LRESULT Send(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(w, msg, wp, lp); }
  static void SetText(HWND w, const std::string& text) {
    Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  static std::string Text(HWND w) {
    std::string text(static_cast<size_t>(Send(w, WM_GETTEXTLENGTH)) + 1, '\0');
    Send(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(strlen(text.c_str()));
    // The editor puts CR LF after the last of several lines.
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
    return text;
  }
  testkit::BoxAnswerer boxes_;
  edtest::Parent parent_;
  std::vector<HWND> windows_;
};

struct QueryCase {
  UINT msg;
  WPARAM wp;
  LRESULT expected;
};

// Queries whose answers agree between the standard edit control and the editor.
const QueryCase kQueries[] = {
    {EM_GETLINECOUNT, 0, 3}, {EM_LINEINDEX, 0, 0},           {EM_LINEINDEX, 1, 4},    {EM_LINEINDEX, 2, 6},
    {EM_LINEINDEX, 3, -1},   {EM_LINELENGTH, 0, 2},          {EM_LINELENGTH, 4, 0},   {EM_LINELENGTH, 6, 2},
    {EM_LINEFROMCHAR, 0, 0}, {EM_LINEFROMCHAR, 2, 0},        {EM_LINEFROMCHAR, 4, 1}, {EM_LINEFROMCHAR, 7, 2},
    {EM_LINEFROMCHAR, 8, 2}, {EM_GETFIRSTVISIBLELINE, 0, 0},
};

TEST_F(Query, OffsetsAgreeWithTheStandardEditControl) {
  HWND windows[] = {MakeStandardEdit(), Make()};
  for (HWND w : windows) {
    bool editor = w == windows[1];
    SCOPED_TRACE(editor ? "editor control" : "standard edit");
    SetText(w, "ab\r\n\r\ncd");
    for (const QueryCase& c : kQueries)
      EXPECT_EQ(Send(w, c.msg, c.wp), c.expected) << std::hex << c.msg << std::dec << " " << c.wp;

    // Equal offsets place the caret and select nothing.
    Send(w, EM_SETSEL, 1, 1);
    DWORD start = 99, end = 99;
    LRESULT both = Send(w, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 1u);
    EXPECT_EQ(end, 1u);
    EXPECT_EQ(both, MAKELONG(1, 1));
    Send(w, EM_SETSEL, 1, 7);
    EXPECT_EQ(Send(w, EM_GETSEL), MAKELONG(1, 7));

    // EM_GETLINE: the first word gives the size; no terminator is added.
    char buffer[16];
    memset(buffer, 'z', sizeof buffer);
    *reinterpret_cast<WORD*>(buffer) = 16;
    EXPECT_EQ(Send(w, EM_GETLINE, 2, reinterpret_cast<LPARAM>(buffer)), 2);
    EXPECT_EQ(std::string(buffer, 2), "cd");
    if (editor) {
      EXPECT_EQ(buffer[2], 'z') << "no terminator";
    }
    *reinterpret_cast<WORD*>(buffer) = 1;
    EXPECT_EQ(Send(w, EM_GETLINE, 0, reinterpret_cast<LPARAM>(buffer)), 1);
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_EQ(buffer[1], 0) << "the size word's high byte stays";

    // EM_REPLACESEL cuts the finished selection first.
    Send(w, EM_SETSEL, 1, 6);
    Send(w, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("X"));
    EXPECT_EQ(Text(w), "aXcd");
    Send(w, EM_SETSEL, 4, 4);
    Send(w, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("\r\nef"));
    EXPECT_EQ(Text(w), "aXcd\r\nef");
    EXPECT_EQ(Send(w, EM_GETSEL), MAKELONG(8, 8));
  }
}

TEST_F(Query, SelectionEndsExclusiveAndInclusive) {
  HWND w = Make();
  SetText(w, "abcd\r\nef");
  EditorRecord* rec = record_of(w);
  // A selection made by the keys holds its end character.
  rec->selection.kind = SEL_STREAM;
  rec->selection.state = SEL_COMPLETE;
  rec->selection.anchor = {rec->firstLine, 1, 1};
  rec->selection.end = {rec->firstLine, 2, 1};
  EXPECT_EQ(Send(w, EM_GETSEL), MAKELONG(1, 3));
  int32_t offsets[2] = {};
  EXPECT_EQ(Send(w, KE_PM_SELECTION_OFFSETS, 0, reinterpret_cast<LPARAM>(offsets)), 1);
  EXPECT_EQ(offsets[0], 1);
  EXPECT_EQ(offsets[1], 3);
  EXPECT_EQ(Send(w, KE_PM_SELECTION_OFFSETS, 0, 0), 0);
  rec->selection.kind = SEL_STREAM | SEL_EXCLUSIVE;
  EXPECT_EQ(Send(w, EM_GETSEL), MAKELONG(1, 2));
  // From offsets: the answer is the end plus 1; end -1 the whole text.
  int32_t range[2] = {2, 7};
  EXPECT_EQ(Send(w, KE_PM_SELECT_OFFSETS, 0, reinterpret_cast<LPARAM>(range)), 8);
  EXPECT_EQ(rec->selection.anchor.number, 1);
  EXPECT_EQ(rec->selection.end.number, 2);
  EXPECT_EQ(rec->selection.end.column, 1);
  int32_t all[2] = {0, -1};
  EXPECT_EQ(Send(w, KE_PM_SELECT_OFFSETS, 0, reinterpret_cast<LPARAM>(all)), 9);
  EXPECT_EQ(Send(w, EM_GETSEL), MAKELONG(0, 8));
  EXPECT_EQ(Send(w, EM_SETSEL, static_cast<WPARAM>(-1), 0), 1);
  EXPECT_EQ(rec->selection.state, SEL_NONE);
}

TEST_F(Query, SelectedTextTakesTheBufferSize) {
  HWND w = Make();
  SetText(w, "ab\r\n\r\ncd");
  Send(w, EM_SETSEL, 1, 7);  // "b", two breaks, "c"
  char buffer[16];
  memset(buffer, '#', sizeof buffer);
  // No size: nothing is written, the answer sizes the buffer.
  EXPECT_EQ(Send(w, KE_PM_SELECTED_TEXT, 0, reinterpret_cast<LPARAM>(buffer)), 7);
  EXPECT_EQ(buffer[0], '#');
  EXPECT_EQ(Send(w, KE_PM_SELECTED_TEXT, 4, reinterpret_cast<LPARAM>(buffer)), 3);
  EXPECT_EQ(std::string(buffer, 5), std::string("b\r\n\0#", 5)) << "nothing past the size";
  EXPECT_EQ(Send(w, KE_SELECTED_TEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 6);
  EXPECT_STREQ(buffer, "b\r\n\r\nc");
  Send(w, EM_SETSEL, 3, 3);
  EXPECT_EQ(Send(w, KE_PM_SELECTED_TEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_STREQ(buffer, "");
}

TEST_F(Query, TabStops) {
  HWND w = Make();
  EditorRecord* rec = record_of(w);
  auto marks = [&]() {
    std::vector<int> columns;
    for (int c = 0; c < 20; ++c)
      if (rec->tabMarks[c]) columns.push_back(c);
    return columns;
  };
  EXPECT_EQ(Send(w, EM_SETTABSTOPS, 0, 0), 1);
  EXPECT_EQ(marks(), (std::vector<int>{8, 16}));
  int32_t four = 4;
  Send(w, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&four));
  EXPECT_EQ(marks(), (std::vector<int>{4, 8, 12, 16}));
  EXPECT_EQ(rec->options.TabIncrement, 4);
  // A negative value is a width in pixels: four characters.
  HDC dc = GetDC(w);
  HGDIOBJ old = SelectObject(dc, rec->font);
  SIZE space;
  GetTextExtentPoint32A(dc, " ", 1, &space);
  SelectObject(dc, old);
  ReleaseDC(w, dc);
  Send(w, EM_SETTABSTOPS, 0, 0);
  int32_t pixels = -4 * space.cx;
  Send(w, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&pixels));
  EXPECT_EQ(marks(), (std::vector<int>{4, 8, 12, 16}));
  EXPECT_EQ(rec->tabPositions[0], 4 * space.cx);
  int32_t list[] = {3, 10, 300};
  Send(w, EM_SETTABSTOPS, 3, reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(marks(), (std::vector<int>{3, 10}));
  EXPECT_EQ(rec->tabCount, 3);
  // Typing a tab as blanks goes to the next marked column.
  Send(w, KE_SET_OPTION, 0, reinterpret_cast<LPARAM>("UseRealTabs"));
  SetText(w, "x");
  Send(w, KE_TYPE_CHAR, '\t');
  EXPECT_EQ(rec->caretColumn, 3);
  EXPECT_EQ(Text(w), "   x");
}

TEST_F(Query, TextRectangle) {
  HWND w = Make();
  RECT client;
  GetClientRect(w, &client);
  RECT r = {10, 5, client.right - 20, client.bottom - 7};
  EXPECT_EQ(Send(w, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&r)), 0);
  RECT back = {};
  Send(w, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&back));
  EXPECT_TRUE(EqualRect(&r, &back));
  EXPECT_EQ(record_of(w)->view->marginLeft, 10);
  EXPECT_EQ(record_of(w)->options.RightOffset, 20);
  RECT none = {0, 0, client.right, client.bottom};
  Send(w, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&none));
  Send(w, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&back));
  EXPECT_TRUE(EqualRect(&none, &back));
}

TEST_F(Query, LineCopyOwnerValuesAndStripping) {
  HWND w = Make();
  SetText(w, "first\r\nsecond");
  char buffer[8];
  memset(buffer, '#', sizeof buffer);
  KorvoLineCopy copy = {1, buffer, 4, -1};
  EXPECT_EQ(Send(w, KE_GET_LINE_TEXT, 0, reinterpret_cast<LPARAM>(&copy)), 1);
  EXPECT_STREQ(buffer, "sec");
  EXPECT_EQ(copy.copied, 3);
  copy = {5, buffer, 8, -1};
  EXPECT_EQ(Send(w, KE_GET_LINE_TEXT, 0, reinterpret_cast<LPARAM>(&copy)), 1);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(copy.copied, 0);
  copy = {0, nullptr, 8, 0};
  EXPECT_EQ(Send(w, KE_GET_LINE_TEXT, 0, reinterpret_cast<LPARAM>(&copy)), 0);

  // Owner values only on owner-drawn windows and existing lines.
  EXPECT_EQ(Send(w, KE_GET_ITEM_DATA, 1), -1);
  EXPECT_EQ(Send(w, KE_SET_ITEM_DATA, 1, 5), -1);
  HWND owned = Make(ES_KE_OWNERDRAWN);
  SetText(owned, "a\r\nb");
  EXPECT_EQ(Send(owned, KE_SET_ITEM_DATA, 2, 0x1234), 1);
  EXPECT_EQ(Send(owned, KE_GET_ITEM_DATA, 2), 0x1234);
  EXPECT_EQ(Send(owned, KE_GET_ITEM_DATA, 0, 2), 0x1234);
  EXPECT_EQ(Send(owned, KE_GET_ITEM_DATA, 3), -1);
  EXPECT_EQ(Send(owned, KE_SET_ITEM_HEIGHT, 1, 0x10021), 1);
  EXPECT_EQ(Send(owned, KE_GET_ITEM_HEIGHT, 1), 0x21);

  // Stripping a string and the caret line.
  struct Case {
    WPARAM how;
    const char* expected;
  } cases[] = {{1, "a   b  "}, {2, "  a   b"}, {4, "  a b "}, {7, "a b"}, {0, "  a   b  "}};
  for (const Case& c : cases) {
    char text[16] = "  a   b  ";
    EXPECT_EQ(Send(w, KE_TRIM_BLANKS, c.how, reinterpret_cast<LPARAM>(text)), 1);
    EXPECT_STREQ(text, c.expected) << c.how;
  }
  SetText(w, "  a   b  \r\nx");
  EXPECT_EQ(Send(w, KE_TRIM_BLANKS, 7, 0), 1);
  EXPECT_EQ(Text(w), "a b\r\nx");
  EXPECT_EQ(record_of(w)->firstLine->length, 3);
}

}  // namespace
