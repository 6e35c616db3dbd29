// Columns, pixels and rows; the paint pass; scroll bars; colour commands.
#include "edpaint.h"

#include <limits.h>

#include "edcaret.h"
#include "edformat.h"
#include "edlines.h"
#include "edownerdraw.h"
#include "edrecord.h"
#include "edstate.h"
#include "edview.h"

namespace ked {

namespace {

bool expands_tabs(const EditorRecord* rec, const LineRecord* line) {
  return rec->options.UseRealTabs && (line->flags & LF_HAS_TABS);
}

int32_t advance(const EditorRecord* rec, int32_t column, char c) {
  return c == '\t' ? next_tab_stop(rec, column) : column + 1;
}

// The font a line is measured and drawn with.
HFONT line_font(const EditorRecord* rec, const LineRecord* line) {
  if (const FormatRecord* entry = line_format(rec, line))
    if (!(entry->attributes & FA_PICTURE) && entry->handle) return static_cast<HFONT>(format_handle(*entry));
  return rec->font;
}

// Selects a font into a device context for the lifetime of the object.
class FontScope {
 public:
  FontScope(HDC dc, HFONT font) : dc_(dc), old_(font ? SelectObject(dc, font) : nullptr) {}
  ~FontScope() {
    if (old_) SelectObject(dc_, old_);
  }
  FontScope(const FontScope&) = delete;
  FontScope& operator=(const FontScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Width of the line's first `count` characters.
int32_t line_extent(const EditorRecord* rec, HDC dc, const LineRecord* line, int32_t count) {
  if (count <= 0) return 0;
  if (count > line->length) count = line->length;
  if (line->flags & LF_HAS_TABS) {
    DWORD size =
        GetTabbedTextExtentA(dc, line->text, count, rec->tabCount, const_cast<int*>(rec->tabPositions));
    return LOWORD(size);
  }
  SIZE size = {};
  GetTextExtentPoint32A(dc, line->text, count, &size);
  return size.cx;
}

int32_t blank_width(HDC dc) {
  SIZE size = {};
  GetTextExtentPoint32A(dc, " ", 1, &size);
  return size.cx > 0 ? size.cx : 1;
}

int32_t client_bottom(const EditorRecord* rec) {
  RECT client;
  GetClientRect(rec->wnd, &client);
  return client.bottom;
}

// Row at pixel y counting rows beyond the text at the window's line height; -1 above
// the first row never happens (rows start at the top margin, y above it is row 0).
int32_t any_row_at(const EditorRecord* rec, int32_t y) {
  const LineRecord* line = rec->view ? rec->view->firstLine : nullptr;
  int32_t top = rec->view ? rec->view->marginTop : 0;
  for (int32_t row = 0;; ++row) {
    int32_t bottom = top + row_height(rec, line);
    if (y < bottom || row > 100000) return row;
    top = bottom;
    if (line) line = line->next;
  }
}

void fill(HDC dc, int32_t left, int32_t top, int32_t right, int32_t bottom, HBRUSH brush) {
  RECT rect = {left, top, right, bottom};
  if (brush) FillRect(dc, &rect, brush);
}

struct RowGeometry {
  LineRecord* line;
  int32_t number;  // line number shown in the row
  int32_t top;
  int32_t height;
  int32_t right;  // client right edge plus the horizontal offset
};

// Draws characters [from, to) of the row's line; `wholeRow` runs the rectangle to the
// right edge of the client area.
void draw_piece(EditorRecord* rec, HDC dc, const RowGeometry& row, int32_t from, int32_t to, bool selected,
                bool wholeRow) {
  const LineRecord* line = row.line;
  ViewRecord* view = rec->view;
  int oldMode = SetBkMode(dc, TRANSPARENT);
  POINT oldOrigin;
  SetViewportOrgEx(dc, -view->pixelOffset, 0, &oldOrigin);
  FontScope font(dc, line_font(rec, line));
  int32_t x = view->marginLeft + line_extent(rec, dc, line, from);
  int32_t right = wholeRow ? row.right : view->marginLeft + line_extent(rec, dc, line, to);
  COLORREF oldText = GetTextColor(dc), oldBack = GetBkColor(dc);
  if (selected) {
    fill(dc, x, row.top, right, row.top + row.height, rec->selectionBrush);
    SetTextColor(dc, rec->selectedTextColour);
    SetBkColor(dc, rec->selectionColour);
  } else if (wholeRow) {
    fill(dc, x, row.top, right, row.top + row.height, rec->windowBrush);
  }
  bool drawn = false;
  if (rec->state & ST_OWNER_DRAWN) {
    OwnerPiece piece = {row.line, row.number, {x, row.top, right, row.top + row.height}, from,
                        selected || (line->flags & LF_MARKED) != 0};
    // The owner sees the row in client coordinates.
    OffsetRect(&piece.rect, -view->pixelOffset, 0);
    drawn = owner_draw(rec, dc, piece);
  }
  if (drawn) {
  } else if (const FormatRecord* entry = line_format(rec, line)) {
    if (entry->attributes & FA_PICTURE) {
      HBITMAP bitmap = static_cast<HBITMAP>(format_handle(*entry));
      BITMAP info;
      if (bitmap && GetObjectA(bitmap, sizeof info, &info)) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(dc, x, row.top, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
      }
      drawn = true;
    } else if (to > from) {
      if (!selected) SetTextColor(dc, entry->colour);
      TabbedTextOutA(dc, x, row.top + entry->offset, line->text + from, to - from, rec->tabCount,
                     rec->tabPositions, view->marginLeft);
      drawn = true;
    }
  }
  if (!drawn && to > from)
    TabbedTextOutA(dc, x, row.top, line->text + from, to - from, rec->tabCount, rec->tabPositions,
                   view->marginLeft);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  SetBkMode(dc, oldMode);
}

void draw_line(EditorRecord* rec, HDC dc, const RowGeometry& row) {
  ViewRecord* view = rec->view;
  LineRecord* line = row.line;
  int32_t left = -view->pixelOffset;
  if (!line) {
    fill(dc, 0, row.top, row.right, row.top + row.height, rec->windowBrush);
    return;
  }
  if (line->flags & LF_MARKED) {
    fill(dc, 0, row.top, view->marginLeft, row.top + row.height, rec->windowBrush);
    draw_piece(rec, dc, row, 0, line->length, true, true);
    return;
  }
  bool alwaysDrawn = (rec->state & ST_OWNER_DRAWN) || (line->flags & LF_PICTURE);
  fill(dc, left < 0 ? 0 : left, row.top, row.right, row.top + row.height, rec->windowBrush);
  if (!alwaysDrawn && display_length(rec, line) < view->firstColumn) return;
  draw_piece(rec, dc, row, 0, line->length, false, false);
}

// Column range [first, last] (inclusive) of the complete selection on the row's line;
// false when the row holds none of it.
bool selected_columns(const EditorRecord* rec, const RowGeometry& row, int32_t* first, int32_t* last) {
  const Selection& sel = rec->selection;
  if (sel.state != SEL_COMPLETE || !row.line) return false;
  TextPosition a = sel.anchor, b = sel.end;
  bool endExclusive = (sel.kind & SEL_EXCLUSIVE) != 0;
  bool reversed = b.number < a.number || (b.number == a.number && b.column < a.column);
  if (reversed) {
    TextPosition t = a;
    a = b;
    b = t;
  }
  int32_t lastColumn = b.column - (endExclusive && !reversed ? 1 : 0);
  if (row.number < a.number || row.number > b.number) return false;
  if (sel.kind & SEL_COLUMN) {
    *first = a.column < b.column ? a.column : b.column;
    int32_t high = a.column < b.column ? b.column : a.column;
    *last = high - (endExclusive ? 1 : 0);
  } else {
    *first = row.number == a.number ? a.column : 0;
    *last = row.number == b.number ? lastColumn : INT_MAX - 1;
  }
  return *last >= *first;
}

void draw_selection(EditorRecord* rec, HDC dc, const RowGeometry& row) {
  int32_t first, last;
  if (!selected_columns(rec, row, &first, &last)) return;
  ViewRecord* view = rec->view;
  if (first < view->firstColumn) first = view->firstColumn;
  if (last < first) return;
  LineRecord* line = row.line;
  int32_t length = display_length(rec, line);
  if (first < length) {
    int32_t from = index_of_column(rec, line, first);
    int32_t to = last >= length ? line->length : index_of_column(rec, line, last) + 1;
    if (to > line->length) to = line->length;
    draw_piece(rec, dc, row, from, to, true, false);
  }
  if ((rec->selection.kind & SEL_COLUMN) && last >= length) {
    // Columns past the line's end are shown as selected blanks.
    FontScope font(dc, line_font(rec, line));
    int32_t from = first > length ? first : length;
    int32_t x0 = pixel_of_column(rec, dc, line, from, true);
    int32_t x1 = pixel_of_column(rec, dc, line, last + 1, true);
    fill(dc, x0, row.top, x1, row.top + row.height, rec->selectionBrush);
  }
}

bool caret_shown(const EditorRecord* rec) {
  return !(rec->caret.flags & CARET_ABSENT) && rec->caret.height > 0;
}

}  // namespace

int32_t next_tab_stop(const EditorRecord* rec, int32_t column) {
  for (int32_t stop = column + 1; stop < kTabMarks; ++stop)
    if (stop >= 0 && rec->tabMarks[stop]) return stop;
  return column + 1;
}

int32_t column_of_index(const EditorRecord* rec, const LineRecord* line, int32_t index) {
  if (!line || !expands_tabs(rec, line)) return index;
  int32_t column = 0, i = 0;
  for (; i < index && i < line->length; ++i) column = advance(rec, column, line->text[i]);
  return column + (index - i);
}

int32_t index_of_column(const EditorRecord* rec, const LineRecord* line, int32_t column) {
  if (!line) return 0;
  if (column < 0) return 0;
  if (!expands_tabs(rec, line)) return column < line->length ? column : line->length;
  int32_t at = 0, i = 0;
  for (; i < line->length; ++i) {
    int32_t next = advance(rec, at, line->text[i]);
    if (next > column) break;
    at = next;
  }
  return i;
}

int32_t display_length(const EditorRecord* rec, const LineRecord* line) {
  return line ? column_of_index(rec, line, line->length) : 0;
}

int32_t row_height(const EditorRecord* rec, const LineRecord* line) {
  int32_t height = 0;
  if (line && (rec->state & ST_OWNER_DRAWN)) {
    // With OwnerDrawn bit 2 the owner is asked every time the height is needed.
    if (rec->options.OwnerDrawn & 2) measure_line(const_cast<EditorRecord*>(rec), const_cast<LineRecord*>(line));
    height = line->itemHeight;
  } else if (const FormatRecord* entry = line_format(rec, line)) {
    height = format_row_height(*entry);
  }
  return height > 0 ? height : rec->lineHeight;
}

LineRecord* line_at_row(const EditorRecord* rec, int32_t row) {
  if (!rec->view || row < 0) return nullptr;
  LineRecord* line = rec->view->firstLine;
  for (; line && row > 0; --row) line = line->next;
  return line;
}

int32_t row_top(const EditorRecord* rec, int32_t row) {
  int32_t top = rec->view ? rec->view->marginTop : 0;
  const LineRecord* line = rec->view ? rec->view->firstLine : nullptr;
  for (int32_t r = 0; r < row; ++r) {
    top += row_height(rec, line);
    if (line) line = line->next;
  }
  return top;
}

int32_t row_at(const EditorRecord* rec, int32_t y) {
  if (!rec->view) return -1;
  int32_t top = rec->view->marginTop;
  int32_t row = 0;
  for (const LineRecord* line = rec->view->firstLine; line; line = line->next, ++row) {
    if (row > rec->visibleRows) break;
    int32_t bottom = top + row_height(rec, line);
    if (y < bottom) return row;
    top = bottom;
  }
  return -1;
}

void count_visible_rows(EditorRecord* rec) {
  if (!rec->view || !rec->wnd) return;
  int32_t limit = client_bottom(rec) - rec->view->marginBottom;
  int32_t top = rec->view->marginTop, rows = 0;
  const LineRecord* line = rec->view->firstLine;
  for (;;) {
    int32_t height = row_height(rec, line);
    if (top + height > limit) break;
    top += height;
    ++rows;
    if (line) line = line->next;
  }
  rec->visibleRows = rows;
}

int32_t pixel_of_column(const EditorRecord* rec, HDC dc, const LineRecord* line, int32_t column,
                        bool screen) {
  const ViewRecord* view = rec->view;
  int32_t length = display_length(rec, line);
  if (!line || view->firstColumn > length)
    return (column - view->firstColumn) * rec->averageWidth + view->marginLeft;
  int32_t x = line_extent(rec, dc, line, index_of_column(rec, line, column));
  if (column > length) x += (column - length) * blank_width(dc);
  if (screen) x -= view->pixelOffset;
  return x + view->marginLeft;
}

int32_t column_at(EditorRecord* rec, int32_t x, int32_t y) {
  int32_t row = row_at(rec, y);
  if (row < 0) return -1;
  LineRecord* line = line_at_row(rec, row);
  if (!line) return 0;
  HDC dc = GetDC(rec->wnd);
  int32_t result;
  {
    FontScope font(dc, line_font(rec, line));
    int32_t target = x + rec->view->pixelOffset;
    if (target < 0) target = 0;
    int32_t margin = rec->view->marginLeft;
    int32_t previous = margin;
    int32_t index = -1;
    for (int32_t k = 1; k <= line->length; ++k) {
      int32_t width = line_extent(rec, dc, line, k) + margin;
      if (width > target) {
        // A point in the right half of character k counts it.
        index = target >= (previous + width) / 2 ? k : k - 1;
        break;
      }
      previous = width;
    }
    if (index >= 0) {
      result = column_of_index(rec, line, index);
    } else {
      int32_t blank = blank_width(dc);
      int32_t extra = (target - previous + blank - 1) / blank - 1;
      result = display_length(rec, line) + (extra > 0 ? extra : 0);
    }
  }
  ReleaseDC(rec->wnd, dc);
  return result;
}

POINT caret_position(EditorRecord* rec, int32_t column, int32_t row) {
  POINT at = {};
  LineRecord* line = line_at_row(rec, row);
  int32_t marginLeft = rec->view ? rec->view->marginLeft : 0;
  int32_t marginTop = rec->view ? rec->view->marginTop : 0;
  if (!line || !rec->view) {
    at.x = column * rec->averageWidth + marginLeft;
    at.y = row * rec->lineHeight + marginTop;
    return at;
  }
  HDC dc = GetDC(rec->wnd);
  {
    FontScope font(dc, line_font(rec, line));
    at.x = pixel_of_column(rec, dc, line, column, true);
  }
  ReleaseDC(rec->wnd, dc);
  at.y = row_top(rec, row);
  return at;
}

void draw_rows(EditorRecord* rec, HDC dc, int32_t first, int32_t last) {
  ViewRecord* view = rec->view;
  if (rec->state & (ST_OWNER_DRAWN | ST_FORMATTED)) count_visible_rows(rec);
  if (!(rec->state & ST_SCROLL_HID_CARET) && view_row_of_current(rec) < 0) bring_current_into_view(rec);
  bool hide = caret_shown(rec);
  if (hide) HideCaret(rec->wnd);
  HGDIOBJ oldFont = rec->font ? SelectObject(dc, rec->font) : nullptr;
  COLORREF oldText = SetTextColor(dc, rec->textColour);
  COLORREF oldBack = SetBkColor(dc, rec->windowColour);
  rec->state |= ST_PAINT_DC | ST_CARET_LOCKED;

  RECT client;
  GetClientRect(rec->wnd, &client);
  RowGeometry row = {view->firstLine, view->firstNumber, view->marginTop, 0,
                     client.right + view->pixelOffset};
  LineRecord* lastShown = view->firstLine;
  for (int32_t r = 0; row.top < client.bottom && r <= last; ++r) {
    row.height = row_height(rec, row.line);
    if (r >= first) {
      draw_line(rec, dc, row);
      draw_selection(rec, dc, row);
    }
    if (row.line) lastShown = row.line;
    row.top += row.height;
    row.line = row.line ? row.line->next : nullptr;
    ++row.number;
  }
  view->lastLine = lastShown;

  rec->state &= ~static_cast<uint32_t>(ST_PAINT_DC | ST_CARET_LOCKED);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
  if (oldFont) SelectObject(dc, oldFont);
  if (hide) ShowCaret(rec->wnd);
}

LRESULT paint(EditorRecord* rec) {
  PAINTSTRUCT ps;
  if (!rec->view) {
    BeginPaint(rec->wnd, &ps);
    EndPaint(rec->wnd, &ps);
    return 1;
  }
  rec->state |= ST_IN_PAINT;
  RECT update;
  if (GetUpdateRect(rec->wnd, &update, FALSE)) {
    HDC dc = BeginPaint(rec->wnd, &ps);
    draw_rows(rec, dc, any_row_at(rec, ps.rcPaint.top), any_row_at(rec, ps.rcPaint.bottom - 1));
    EndPaint(rec->wnd, &ps);
  } else {
    HDC dc = GetDC(rec->wnd);
    draw_rows(rec, dc, 0, INT_MAX);
    ReleaseDC(rec->wnd, dc);
  }
  rec->state &= ~static_cast<uint32_t>(ST_IN_PAINT);
  if (rec->state & ST_SCROLL_HID_CARET) {
    update_scroll_bars(rec);
  } else {
    rec->caretRow = view_row_of_current(rec);
    place_caret(rec, rec->caretColumn, rec->caretRow);
  }
  return 1;
}

void update_scroll_bars(EditorRecord* rec) {
  if (!rec->wnd || !rec->view) return;
  int lowNow, highNow;
  if (rec->options.ScrollBars & 1) {
    int high = rec->lineCount;
    if (high < 2 && (GetWindowLongA(rec->wnd, GWL_STYLE) & WS_VSCROLL)) high = 2;
    if (!GetScrollRange(rec->wnd, SB_VERT, &lowNow, &highNow) || lowNow != 1 || highNow != high)
      SetScrollRange(rec->wnd, SB_VERT, 1, high, FALSE);
    int position = (rec->state & ST_SCROLL_HID_CARET) ? rec->view->firstNumber : rec->lineNumber;
    if (GetScrollPos(rec->wnd, SB_VERT) != position) SetScrollPos(rec->wnd, SB_VERT, position, TRUE);
  }
  if (rec->options.ScrollBars & 2) {
    int32_t length = rec->currentLine ? rec->currentLine->length : 0;
    int32_t power = 1;
    while (power <= length + 1 && power < (1 << 30)) power <<= 1;
    int high = power - 1 < 1023 ? 1023 : power - 1;
    if (rec->view->firstColumn > high) high = rec->view->lastColumn;
    if (!GetScrollRange(rec->wnd, SB_HORZ, &lowNow, &highNow) || lowNow != 0 || highNow != high)
      SetScrollRange(rec->wnd, SB_HORZ, 0, high, FALSE);
    if (GetScrollPos(rec->wnd, SB_HORZ) != rec->view->firstColumn)
      SetScrollPos(rec->wnd, SB_HORZ, rec->view->firstColumn, TRUE);
  }
}

void invalidate_from_row(EditorRecord* rec, int32_t row) {
  if (!rec->wnd) return;
  if (row <= 0 || !rec->view) {
    InvalidateRect(rec->wnd, nullptr, TRUE);
    return;
  }
  RECT rect;
  GetClientRect(rec->wnd, &rect);
  rect.top = row_top(rec, row);
  InvalidateRect(rec->wnd, &rect, TRUE);
}

namespace {

void set_brush(HBRUSH* brush, COLORREF colour) {
  if (*brush) DeleteObject(*brush);
  *brush = CreateSolidBrush(colour);
}

LRESULT repaint_all(EditorRecord* rec) {
  InvalidateRect(rec->wnd, nullptr, TRUE);
  return 1;
}

}  // namespace

LRESULT cmd_window_colour(EditorRecord* rec) {
  rec->windowColour = rec->wParam == 1 ? GetSysColor(COLOR_WINDOW) : static_cast<COLORREF>(rec->lParam);
  set_brush(&rec->windowBrush, rec->windowColour);
  return repaint_all(rec);
}

LRESULT cmd_text_colour(EditorRecord* rec) {
  rec->textColour = static_cast<COLORREF>(rec->lParam);
  return repaint_all(rec);
}

LRESULT cmd_selection_colour(EditorRecord* rec) {
  rec->selectionColour = rec->wParam == 1 ? GetSysColor(COLOR_HIGHLIGHT) : static_cast<COLORREF>(rec->lParam);
  set_brush(&rec->selectionBrush, rec->selectionColour);
  return repaint_all(rec);
}

LRESULT cmd_selected_text_colour(EditorRecord* rec) {
  rec->selectedTextColour = static_cast<COLORREF>(rec->lParam);
  return repaint_all(rec);
}

LRESULT cmd_swap_window_colour(EditorRecord* rec) {
  COLORREF old = rec->windowColour;
  cmd_window_colour(rec);
  return static_cast<LRESULT>(old);
}

}  // namespace ked
