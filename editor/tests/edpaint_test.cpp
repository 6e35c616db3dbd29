// Painting, fonts and the caret: the column, character and pixel mappings, the default
// font, the caret, the scroll bars, the colour and format commands, and pixels read back
// from a visible window under the test display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edcaret.h"
#include "edfont.h"
#include "edformat.h"
#include "edmem.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edtesthelp.h"
#include "editor/korvoedit.h"
#include "testkit/testkit.h"

using namespace ked;

namespace {

class Paint : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitEditor(GetModuleHandleA(nullptr)); }
  void SetUp() override { edtest::IniClearOptions(); }
  void TearDown() override {
    fail_allocations_after(-1);
    for (HWND w : windows_) DestroyWindow(w);
    for (HGDIOBJ o : objects_) DeleteObject(o);
  }
  HWND Make(DWORD style = 0, int width = 400, int height = 300) {
    HWND w = edtest::MakeEditor(parent_.Handle(), style, nullptr, 77, width, height);
    windows_.push_back(w);
    return w;
  }
  HFONT Font(const char* face, int height) {
    HFONT f = CreateFontA(height, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
    objects_.push_back(f);
    return f;
  }
  static void SetText(HWND w, const char* text) {
    SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  }
  // Width of the first n characters of `text` in the window's font.
  static int Extent(HWND w, const std::string& text, int n) {
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, record_of(w)->font);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text.c_str(), n, &size);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    return size.cx;
  }

  testkit::BoxAnswerer boxes_;
  edtest::Parent parent_;
  std::vector<HWND> windows_;
  std::vector<HGDIOBJ> objects_;
};

TEST_F(Paint, ColumnsAndIndexesWithTabs) {
  HWND w = Make();
  SetText(w, "\tab\r\nx\ty\tz\r\nplain");
  EditorRecord* rec = record_of(w);
  LineRecord* tabs = rec->firstLine;
  LineRecord* two = tabs->next;
  LineRecord* plain = two->next;
  struct Case {
    LineRecord* line;
    int index;
    int column;
  } cases[] = {
      {tabs, 0, 0}, {tabs, 1, 8}, {tabs, 2, 9}, {tabs, 3, 10}, {tabs, 5, 12}, {two, 1, 1},
      {two, 2, 8},  {two, 3, 9},  {two, 4, 16}, {two, 5, 17},  {plain, 3, 3}, {plain, 7, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.line->text) << " index " << c.index);
    EXPECT_EQ(column_of_index(rec, c.line, c.index), c.column);
    if (c.index <= c.line->length) {
      EXPECT_EQ(index_of_column(rec, c.line, c.column), c.index);
    }
  }
  // A column inside a tab's expansion is the tab's index; past the end, the length.
  EXPECT_EQ(index_of_column(rec, tabs, 4), 0);
  EXPECT_EQ(index_of_column(rec, tabs, 40), 3);
  EXPECT_EQ(index_of_column(rec, plain, 40), 5);
  EXPECT_EQ(display_length(rec, two), 17);
  // Without real tabs a tab is one column.
  rec->options.UseRealTabs = 0;
  EXPECT_EQ(column_of_index(rec, tabs, 1), 1);
  EXPECT_EQ(display_length(rec, two), 5);
}

TEST_F(Paint, PixelsOfColumnsIncludingFreeSpace) {
  HWND w = Make();
  SetText(w, "abc\r\n\tx");
  EditorRecord* rec = record_of(w);
  rec->view->marginLeft = 3;
  HDC dc = GetDC(w);
  HGDIOBJ old = SelectObject(dc, rec->font);
  int blank = Extent(w, " ", 1);
  int abc = Extent(w, "abc", 3);
  // The caret at column 10 of a 3-character line stands 7 blank widths past its end.
  EXPECT_EQ(pixel_of_column(rec, dc, rec->firstLine, 10, true), 3 + abc + 7 * blank);
  EXPECT_EQ(pixel_of_column(rec, dc, rec->firstLine, 2, true), 3 + Extent(w, "ab", 2));
  // A tab at index 0 puts the next character at the first tab stop's pixel.
  EXPECT_EQ(pixel_of_column(rec, dc, rec->lastLine, 8, true), 3 + rec->tabPositions[0]);
  rec->view->pixelOffset = 5;
  EXPECT_EQ(pixel_of_column(rec, dc, rec->firstLine, 2, true), 3 + Extent(w, "ab", 2) - 5);
  EXPECT_EQ(pixel_of_column(rec, dc, rec->firstLine, 2, false), 3 + Extent(w, "ab", 2));
  SelectObject(dc, old);
  ReleaseDC(w, dc);
}

TEST_F(Paint, ClickHalvesWithAProportionalFont) {
  HWND w = Make();
  SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(Font("Tahoma", 24)), 0);
  EditorRecord* rec = record_of(w);
  EXPECT_TRUE(rec->state & ST_PROPORTIONAL);
  const std::string text = "Wil m";
  SetText(w, text.c_str());
  int y = rec->lineHeight / 2;
  struct Case {
    int character;
    double at;  // fraction of the character's width
    int column;
  } cases[] = {
      {0, 0.1, 0}, {0, 0.8, 1}, {1, 0.2, 1}, {1, 0.9, 2}, {2, 0.3, 2}, {2, 0.7, 3}, {4, 0.4, 4}, {4, 0.6, 5},
  };
  for (const Case& c : cases) {
    int left = Extent(w, text, c.character), right = Extent(w, text, c.character + 1);
    int x = left + static_cast<int>((right - left) * c.at);
    SCOPED_TRACE(testing::Message() << "character " << c.character << " x " << x);
    EXPECT_EQ(column_at(rec, x, y), c.column);
  }
  int end = Extent(w, text, 5), blank = Extent(w, " ", 1);
  EXPECT_EQ(column_at(rec, end + blank / 2, y), 5) << "first blank cell past the end";
  EXPECT_EQ(column_at(rec, end + 2 * blank + blank / 2, y), 7);
  EXPECT_EQ(column_at(rec, 5, rec->lineHeight * 3), -1) << "below the text";
}

TEST_F(Paint, DefaultFontFromTheFontsSection) {
  struct Case {
    const char* height;
    const char* face;
    const char* oem;
    const char* fixed;
    LONG lfHeight;
    const char* lfFace;
    BYTE charset, pitch;
  } cases[] = {
      {nullptr, nullptr, nullptr, nullptr, 14, "Courier New", 1, 5},
      {"20", "Tahoma", "1", "0", 20, "Tahoma", 255, 6},
  };
  std::string ini = edtest::IniPath();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lfFace);
    WritePrivateProfileStringA("fonts", nullptr, nullptr, ini.c_str());
    if (c.height) WritePrivateProfileStringA("fonts", "height", c.height, ini.c_str());
    if (c.face) WritePrivateProfileStringA("fonts", "face", c.face, ini.c_str());
    if (c.oem) WritePrivateProfileStringA("fonts", "UseOEMCharSet", c.oem, ini.c_str());
    if (c.fixed) WritePrivateProfileStringA("fonts", "UseFixedPitch", c.fixed, ini.c_str());
    forget_default_font();
    HWND w = Make();
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font, default_font()) << "the window takes the shared font";
    LOGFONTA lf = {};
    ASSERT_TRUE(GetObjectA(font, sizeof lf, &lf));
    EXPECT_EQ(lf.lfHeight, c.lfHeight);
    EXPECT_STREQ(lf.lfFaceName, c.lfFace);
    EXPECT_EQ(lf.lfCharSet, c.charset);
    EXPECT_EQ(lf.lfPitchAndFamily, c.pitch);
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_FALSE(lf.lfItalic || lf.lfUnderline || lf.lfStrikeOut);
    HWND second = Make();
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(second, WM_GETFONT, 0, 0)), font) << "made once, shared";
  }
  WritePrivateProfileStringA("fonts", nullptr, nullptr, ini.c_str());
  forget_default_font();
}

TEST_F(Paint, SetFontMeasuresTheWindowAgain) {
  HWND w = Make(0, 400, 300);
  EditorRecord* rec = record_of(w);
  HFONT big = Font("Tahoma", 40);
  SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(big), 0);
  HDC dc = GetDC(w);
  HGDIOBJ old = SelectObject(dc, big);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  SIZE letters;
  GetTextExtentPoint32A(dc, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 52, &letters);
  SelectObject(dc, old);
  ReleaseDC(w, dc);
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), big);
  EXPECT_EQ(rec->lineHeight, tm.tmHeight + tm.tmExternalLeading);
  EXPECT_EQ(rec->averageWidth, letters.cx / 52);
  EXPECT_EQ(rec->descent, tm.tmDescent);
  EXPECT_EQ(rec->visibleRows, client.bottom / rec->lineHeight);
  EXPECT_EQ(rec->view->lastColumn, client.right / rec->averageWidth - 1);
  SendMessageA(w, WM_SETFONT, 0, 0);
  EXPECT_EQ(rec->font, default_font()) << "0 brings the shared font back";
  EXPECT_LT(rec->lineHeight, tm.tmHeight);
}

TEST_F(Paint, CaretMadeOnFocusAndPlaced) {
  HWND w = Make();
  EditorRecord* rec = record_of(w);
  SetText(w, "first\r\nsecond line\r\nthird");
  SendMessageA(w, KE_NOTHING, 0, 0);
  EXPECT_TRUE(rec->caret.flags & CARET_ABSENT) << "no caret without the focus";
  rec->currentLine = rec->firstLine->next;
  rec->lineNumber = 2;
  rec->caretColumn = 4;
  SendMessageA(w, WM_SETFOCUS, reinterpret_cast<WPARAM>(parent_.Handle()), 0);
  EXPECT_FALSE(rec->caret.flags & CARET_ABSENT);
  EXPECT_EQ(rec->caret.width, 2);
  EXPECT_EQ(rec->caret.height, rec->lineHeight);
  EXPECT_EQ(rec->caret.row, 1);
  EXPECT_EQ(rec->caret.column, 4);
  POINT at;
  ASSERT_TRUE(GetCaretPos(&at));
  EXPECT_EQ(at.x, Extent(w, "second", 4));
  EXPECT_EQ(at.y, rec->lineHeight);
  // A command that moves nothing still places the caret where the record says.
  rec->caretColumn = 9;
  SendMessageA(w, KE_NOTHING, 0, 0);
  ASSERT_TRUE(GetCaretPos(&at));
  EXPECT_EQ(at.x, Extent(w, "second line", 9));
  SendMessageA(w, WM_KILLFOCUS, 0, 0);
  EXPECT_TRUE(rec->caret.flags & CARET_ABSENT);
  EXPECT_EQ(rec->caret.height, 0);
}

TEST_F(Paint, CaretMoveScrollsSidewaysAndKeepsItInRange) {
  HWND w = Make(0, 200, 100);
  EditorRecord* rec = record_of(w);
  SetText(w, "short");
  rec->options.GoFreeSpace = 0;
  rec->caretColumn = 40;
  update_after_caret_move(rec);
  EXPECT_EQ(rec->caretColumn, 5) << "no free space: the end of the line";
  rec->options.GoFreeSpace = 1;
  int visible = rec->view->lastColumn - rec->view->firstColumn;
  rec->caretColumn = rec->view->lastColumn + 3;
  update_after_caret_move(rec);
  EXPECT_EQ(rec->view->lastColumn, rec->caretColumn);
  EXPECT_EQ(rec->view->firstColumn, 3);
  EXPECT_EQ(rec->view->pixelOffset, 3 * rec->averageWidth);
  EXPECT_EQ(rec->view->lastColumn - rec->view->firstColumn, visible);
  rec->caretColumn = 1;
  update_after_caret_move(rec);
  EXPECT_EQ(rec->view->firstColumn, 1);
  EXPECT_EQ(rec->view->pixelOffset, rec->averageWidth);
}

TEST_F(Paint, ScrollBarRangesAfterAResize) {
  HWND w = Make(WS_VSCROLL | WS_HSCROLL, 300, 200);
  auto range = [&](int bar) {
    int low = -1, high = -1;
    GetScrollRange(w, bar, &low, &high);
    return std::make_pair(low, high);
  };
  SendMessageA(w, KE_NOTHING, 0, 0);
  EXPECT_EQ(range(SB_VERT), std::make_pair(1, 2)) << "one line: at least 2";
  SetText(w, "one\r\ntwo\r\nthree");
  SetWindowPos(w, nullptr, 0, 0, 320, 150, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(range(SB_VERT), std::make_pair(1, 3));
  EXPECT_EQ(range(SB_HORZ), std::make_pair(0, 1023));
  EXPECT_EQ(GetScrollPos(w, SB_VERT), 1);
  std::string longLine(2000, 'x');
  SetText(w, longLine.c_str());
  SetWindowPos(w, nullptr, 0, 0, 300, 160, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(range(SB_HORZ), std::make_pair(0, 2047));
  std::string exact(1022, 'y');  // length + 1 = 1023 < 1024
  SetText(w, exact.c_str());
  SendMessageA(w, KE_NOTHING, 0, 0);
  EXPECT_EQ(range(SB_HORZ), std::make_pair(0, 1023));
}

TEST_F(Paint, ColourCommandsAndTheOldWindowColour) {
  HWND w = Make();
  EditorRecord* rec = record_of(w);
  EXPECT_EQ(SendMessageA(w, KE_SET_WINDOW_COLOUR, 0, RGB(1, 2, 3)), 1);
  EXPECT_EQ(rec->windowColour, RGB(1, 2, 3));
  LOGBRUSH lb;
  ASSERT_TRUE(GetObjectA(rec->windowBrush, sizeof lb, &lb));
  EXPECT_EQ(lb.lbColor, RGB(1, 2, 3)) << "the brush follows";
  EXPECT_EQ(SendMessageA(w, KE_SWAP_WINDOW_COLOUR, 0, RGB(9, 9, 9)), RGB(1, 2, 3));
  EXPECT_EQ(SendMessageA(w, KE_PM_WINDOW_COLOUR, 0, RGB(7, 7, 7)), RGB(9, 9, 9));
  EXPECT_EQ(SendMessageA(w, KE_SET_WINDOW_COLOUR, 1, RGB(1, 1, 1)), 1);
  EXPECT_EQ(rec->windowColour, GetSysColor(COLOR_WINDOW)) << "wParam 1: the system colour";
  EXPECT_EQ(SendMessageA(w, KE_SET_TEXT_COLOUR, 0, RGB(4, 5, 6)), 1);
  EXPECT_EQ(rec->textColour, RGB(4, 5, 6));
  EXPECT_EQ(SendMessageA(w, KE_SET_SELECTION_COLOUR, 0, RGB(200, 0, 0)), 1);
  ASSERT_TRUE(GetObjectA(rec->selectionBrush, sizeof lb, &lb));
  EXPECT_EQ(lb.lbColor, RGB(200, 0, 0));
  EXPECT_EQ(SendMessageA(w, KE_SET_SELECTION_COLOUR, 1, 0), 1);
  EXPECT_EQ(rec->selectionColour, GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(SendMessageA(w, KE_SET_SELECTED_TEXT_COLOUR, 0, RGB(0, 0, 200)), 1);
  EXPECT_EQ(rec->selectedTextColour, RGB(0, 0, 200));
}

// One visible window, its pixels read back through a memory device context.
TEST_F(Paint, PaintsTextMarkedLinesAndSelections) {
  HWND w = edtest::MakeEditor(nullptr, WS_POPUP | WS_VISIBLE, nullptr, 0, 320, 120);
  windows_.push_back(w);
  EditorRecord* rec = record_of(w);
  const COLORREF window = RGB(255, 255, 255), text = RGB(0, 0, 0);
  const COLORREF selection = RGB(0, 0, 160), selected = RGB(255, 255, 0);
  SendMessageA(w, KE_SET_WINDOW_COLOUR, 0, window);
  SendMessageA(w, KE_SET_TEXT_COLOUR, 0, text);
  SendMessageA(w, KE_SET_SELECTION_COLOUR, 0, selection);
  SendMessageA(w, KE_SET_SELECTED_TEXT_COLOUR, 0, selected);
  SetText(w, "MMMM plain\r\nmarked\r\nWWWWWWWW");
  LineRecord* first = rec->firstLine;
  first->next->flags |= LF_MARKED;
  rec->selection.kind = SEL_STREAM | SEL_EXCLUSIVE;
  rec->selection.state = SEL_COMPLETE;
  rec->selection.anchor = {rec->lastLine, 2, 3};
  rec->selection.end = {rec->lastLine, 5, 3};
  InvalidateRect(w, nullptr, TRUE);
  UpdateWindow(w);
  testkit::Image shot = testkit::Capture(w);
  testkit::Screenshot("edpaint_painting.png", w);
  ASSERT_EQ(shot.width, 320);
  const int h = rec->lineHeight;
  auto count = [&](int row, int x0, int x1, COLORREF colour) {
    int n = 0;
    for (int y = row * h; y < (row + 1) * h; ++y)
      for (int x = x0; x < x1; ++x) n += shot.Pixel(x, y) == colour;
    return n;
  };
  int mmmm = Extent(w, "MMMM", 4);
  EXPECT_GT(count(0, 0, mmmm, text), 0) << "the first line's text is drawn";
  EXPECT_EQ(count(0, 0, 320, selection), 0);
  EXPECT_EQ(count(0, 250, 320, window), (320 - 250) * h) << "past the text: window colour";
  // The marked line is in selection colours from its start to the right edge.
  EXPECT_EQ(count(1, 200, 320, selection), (320 - 200) * h) << "also past its last character";
  EXPECT_GT(count(1, 0, Extent(w, "marked", 6), selected), 0);
  // Columns 2..4 of the last line are selected (the end at 5 is exclusive).
  int x2 = Extent(w, "WW", 2), x5 = Extent(w, "WWWWW", 5), x8 = Extent(w, "WWWWWWWW", 8);
  EXPECT_EQ(count(2, 0, x2, selection), 0);
  EXPECT_GT(count(2, x2, x5, selection), 0);
  EXPECT_GT(count(2, x2, x5, selected), 0);
  EXPECT_EQ(count(2, x5, x8, selection), 0);
  EXPECT_GT(count(2, x5, x8, text), 0);
  EXPECT_EQ(count(3, 0, 320, window), 320 * (shot.height - 3 * h < h ? shot.height - 3 * h : h));
  // A new window colour repaints: the old colour is answered and gone from the screen.
  EXPECT_EQ(SendMessageA(w, KE_SWAP_WINDOW_COLOUR, 0, RGB(0, 160, 0)), window);
  UpdateWindow(w);
  shot = testkit::Capture(w);
  EXPECT_EQ(count(0, 250, 320, RGB(0, 160, 0)), (320 - 250) * h);
}

TEST_F(Paint, FormatCommandsOfAFormattedWindow) {
  HWND plain = Make();
  unsigned char buffer[57] = {};
  EXPECT_EQ(SendMessageA(plain, KE_PM_GET_FORMAT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(SendMessageA(plain, KE_GET_FORMAT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(SendMessageA(plain, KE_PM_SET_FORMAT, 0, reinterpret_cast<LPARAM>(buffer)), 0);

  HWND w = Make(ES_KE_FORMATTED);
  EditorRecord* rec = record_of(w);
  ASSERT_TRUE(rec->state & ST_FORMATTED);
  ASSERT_EQ(rec->formatCount, 1);
  EXPECT_EQ(rec->formatCapacity, 8);
  SetText(w, "one\r\ntwo");
  FormatRecord got = {};
  EXPECT_EQ(SendMessageA(w, KE_PM_GET_FORMAT, 0, reinterpret_cast<LPARAM>(&got)), 0);
  EXPECT_EQ(got.height, 14 * 20) << "the default entry follows the window's font";
  EXPECT_EQ(got.handle, handle_word(rec->font));
  EXPECT_EQ(row_height(rec, rec->firstLine), 14);

  struct Case {
    uint32_t mask;
    uint32_t attributes;
    uint32_t expectAttributes;
  } cases[] = {
      {0x1, FA_BOLD | FA_ITALIC, FA_BOLD},  // only bit 0 is copied
      {0x6, FA_ITALIC | FA_UNDERLINE, FA_BOLD | FA_ITALIC | FA_UNDERLINE},
      {0xF, FA_STRIKEOUT, FA_STRIKEOUT},  // all four bits copied
  };
  uint16_t index = 0;
  for (const Case& c : cases) {
    FormatRecord request = {};
    request.firstWord = c.mask | FM_HEIGHT | FM_COLOUR | FM_FACE | FM_OFFSET;
    request.attributes = c.attributes;
    request.height = 30 * 20;
    request.colour = RGB(10, 20, 30);
    request.offset = 2;
    lstrcpyA(request.face, "Tahoma");
    EXPECT_EQ(SendMessageA(w, KE_PM_SET_FORMAT, 0, reinterpret_cast<LPARAM>(&request)), 0)
        << "the new entry's first word is the copied entry's";
    EXPECT_EQ(rec->currentLine->formatIndex, ++index);
    ASSERT_EQ(SendMessageA(w, KE_GET_FORMAT, 0, reinterpret_cast<LPARAM>(&got)), 0);
    EXPECT_EQ(got.attributes, c.expectAttributes);
    EXPECT_EQ(got.height, 600);
    EXPECT_EQ(got.colour, RGB(10, 20, 30));
    EXPECT_EQ(got.offset, 2);
    EXPECT_STREQ(got.face, "Tahoma");
    ASSERT_NE(got.handle, 0u);
    LOGFONTA lf = {};
    ASSERT_TRUE(GetObjectA(format_handle(got), sizeof lf, &lf)) << "a font made for the entry";
    EXPECT_EQ(lf.lfHeight, 30);
    EXPECT_EQ(lf.lfWeight, (c.expectAttributes & FA_BOLD) ? 700 : 400);
    EXPECT_EQ(lf.lfStrikeOut != 0, (c.expectAttributes & FA_STRIKEOUT) != 0);
    EXPECT_EQ(row_height(rec, rec->currentLine), 30);
    EXPECT_EQ(rec->currentLine->formatHeight, 30);
  }
  EXPECT_EQ(row_height(rec, rec->lastLine), 14) << "other lines keep their format";

  // A picture: the row holds the whole bitmap.
  HBITMAP picture = CreateBitmap(12, 33, 1, 32, nullptr);
  objects_.push_back(picture);
  FormatRecord request = {};
  request.firstWord = FM_PICTURE;
  request.attributes = FA_PICTURE;
  request.handle = handle_word(picture);
  SendMessageA(w, KE_SET_FORMAT, 0, reinterpret_cast<LPARAM>(&request));
  SendMessageA(w, KE_GET_FORMAT, 0, reinterpret_cast<LPARAM>(&got));
  EXPECT_TRUE(got.attributes & FA_PICTURE);
  EXPECT_EQ(got.handle, handle_word(picture));
  EXPECT_EQ(got.height, 33 * 20);
  EXPECT_EQ(row_height(rec, rec->currentLine), 33) << "no overlap with the next row";
  EXPECT_TRUE(rec->currentLine->flags & LF_PICTURE);
  EXPECT_EQ(row_top(rec, 1), 33);
  request.attributes = 0;  // bit 27 in the mask without the picture bit: a font again
  SendMessageA(w, KE_SET_FORMAT, 0, reinterpret_cast<LPARAM>(&request));
  EXPECT_FALSE(rec->currentLine->flags & LF_PICTURE);
  EXPECT_EQ(rec->formatCount, 6);

  // The table grows by 8; when it cannot, the box and no new entry.
  request = FormatRecord();
  while (rec->formatCount < 8) SendMessageA(w, KE_SET_FORMAT, 0, reinterpret_cast<LPARAM>(&request));
  EXPECT_EQ(rec->formatCapacity, 8);
  fail_allocations_after(0);
  EXPECT_EQ(SendMessageA(w, KE_SET_FORMAT, 0, reinterpret_cast<LPARAM>(&request)), 0);
  fail_allocations_after(-1);
  EXPECT_EQ(rec->formatCount, 8);
  EXPECT_EQ(rec->formatCapacity, 8);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text, "No more memory for format information");
  SendMessageA(w, KE_SET_FORMAT, 0, reinterpret_cast<LPARAM>(&request));
  EXPECT_EQ(rec->formatCount, 9);
  EXPECT_EQ(rec->formatCapacity, 16);
}

}  // namespace
