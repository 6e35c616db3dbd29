// Caret movement, selections, the word table, the mouse and the scroll bars.
#include "edmove.h"

#include <string.h>

#include "edcaret.h"
#include "edlines.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edstate.h"
#include "edundo.h"
#include "edview.h"
#include "editor/korvoedit.h"

namespace ked {

namespace {

// The mouse state is process-wide: one drag at a time across all editor windows.
struct MouseState {
  bool dragging;
  int32_t pressRow, pressColumn;
  int32_t lastRow, lastColumn;  // -1 when none
  HWND timerWindow;             // the window whose auto-scroll timer runs, or null
  WPARAM lastKeys;
  LPARAM lastPoint;  // the last point a drag reached (the pointer's position while outside)
};
MouseState s_mouse = {false, 0, 0, -1, -1, nullptr, 0, 0};

bool is_delimiter(char c) { return g_wordDelimiters[static_cast<unsigned char>(c)] != 0; }

bool is_blank_line(const LineRecord* line) {
  for (int32_t i = 0; i < line->length; ++i)
    if (line->text[i] != ' ' && line->text[i] != '\t') return false;
  return true;
}

int32_t first_non_blank(const EditorRecord* rec, const LineRecord* line) {
  int32_t i = 0;
  while (i < line->length && (line->text[i] == ' ' || line->text[i] == '\t')) ++i;
  return column_of_index(rec, line, i);
}

TextPosition caret_position_of(const EditorRecord* rec) {
  return TextPosition{rec->currentLine, rec->caretColumn, rec->lineNumber};
}

void note_caret(EditorRecord* rec) { undo_record_caret(rec, rec->lineNumber, rec->caretColumn); }

void put_caret(EditorRecord* rec, LineRecord* line, int32_t number, int32_t column) {
  rec->currentLine = line;
  rec->lineNumber = number;
  rec->caretColumn = column < 0 ? 0 : column;
}

// The caret goes to line `number` (1..lineCount) at `column`, recording where it was.
LRESULT move_to(EditorRecord* rec, int32_t number, int32_t column) {
  if (number < 1 || number > rec->lineCount) return 0;
  note_caret(rec);
  put_caret(rec, step_lines(rec, rec->currentLine, number - rec->lineNumber), number, column);
  update_after_caret_move(rec);
  return 1;
}

int32_t last_visible_number(const EditorRecord* rec) {
  int32_t rows = rec->visibleRows > 0 ? rec->visibleRows : 1;
  int32_t last = rec->view->firstNumber + rows - 1;
  return last < rec->lineCount ? last : rec->lineCount;
}

// Makes line `first` the first visible one (kept between 1 and the line count).
void set_first_visible(EditorRecord* rec, int32_t first) {
  ViewRecord* view = rec->view;
  if (!view) return;
  if (first > rec->lineCount) first = rec->lineCount;
  if (first < 1) first = 1;
  if (first == view->firstNumber && view->firstLine) return;
  view->firstLine = step_lines(rec, rec->firstLine, first - 1);
  view->firstNumber = first;
  InvalidateRect(rec->wnd, nullptr, TRUE);
}

// Scrolls the view by n lines; a view showing the first line does not scroll up, one
// showing the last line does not scroll down. Answers the lines scrolled.
int32_t scroll_lines(EditorRecord* rec, int32_t n) {
  ViewRecord* view = rec->view;
  if (!view || n == 0) return 0;
  int32_t rows = rec->visibleRows > 0 ? rec->visibleRows : 1;
  int32_t first = view->firstNumber;
  int32_t target = first + n;
  if (n > 0) {
    int32_t highest = rec->lineCount - rows + 1;
    if (highest < first) highest = first;  // showing the last line already: no further
    if (target > highest) target = highest;
  }
  if (target < 1) target = 1;
  set_first_visible(rec, target);
  return view->firstNumber - first;
}

// Scrolls the view sideways by n columns (never left of column 0).
int32_t scroll_columns(EditorRecord* rec, int32_t n) {
  ViewRecord* view = rec->view;
  if (!view) return 0;
  if (view->firstColumn + n < 0) n = -view->firstColumn;
  if (n > 0 && !rec->options.GoFreeSpace) {
    int32_t end = display_length(rec, rec->currentLine);
    int32_t room = end - view->firstColumn;
    if (room < 0) room = 0;
    if (n > room) n = room;
  }
  if (n == 0) return 0;
  view->firstColumn += n;
  view->lastColumn += n;
  view->pixelOffset += n * rec->averageWidth;
  view->rightEdge += n * rec->averageWidth;
  if (rec->state & ST_OWNER_DRAWN) {
    InvalidateRect(rec->wnd, nullptr, TRUE);
  } else {
    ScrollWindowEx(rec->wnd, -n * rec->averageWidth, 0, nullptr, nullptr, nullptr, nullptr,
                   SW_INVALIDATE | SW_ERASE);
  }
  return n;
}

// One character left of display column `column` in `line`.
int32_t column_before(const EditorRecord* rec, const LineRecord* line, int32_t column) {
  if (column > display_length(rec, line)) return column - 1;
  int32_t index = index_of_column(rec, line, column);
  int32_t at = column_of_index(rec, line, index);
  if (at < column) return at;
  return index > 0 ? column_of_index(rec, line, index - 1) : 0;
}

void invalidate_rows(EditorRecord* rec, int32_t numberA, int32_t numberB) {
  if (!rec->view || !rec->wnd) return;
  int32_t low = numberA < numberB ? numberA : numberB;
  int32_t high = numberA < numberB ? numberB : numberA;
  int32_t first = low - rec->view->firstNumber;
  int32_t last = high - rec->view->firstNumber;
  if (last < 0 || first > rec->visibleRows) return;
  if (first < 0) first = 0;
  RECT client, rect;
  GetClientRect(rec->wnd, &client);
  rect = client;
  rect.top = row_top(rec, first);
  rect.bottom = row_top(rec, last + 1);
  InvalidateRect(rec->wnd, &rect, TRUE);
}

// Completes a selection whose anchor is set: the ends are ordered, an exclusive end steps
// back one character, and the selection is painted.
void complete_selection(EditorRecord* rec) {
  Selection& sel = rec->selection;
  TextPosition& a = sel.anchor;
  TextPosition& b = sel.end;
  bool column = (sel.kind & SEL_COLUMN) != 0;
  if (b.number < a.number || (b.number == a.number && b.column < a.column)) {
    TextPosition t = a;
    a = b;
    b = t;
  }
  if (column && b.column < a.column) {
    int32_t t = a.column;
    a.column = b.column;
    b.column = t;
  }
  if (sel.kind & SEL_EXCLUSIVE) {
    if (b.column > 0) {
      b.column = column ? b.column - 1 : column_before(rec, b.line, b.column);
    } else if (b.line && b.line->previous) {
      b.line = b.line->previous;
      --b.number;
      b.column = display_length(rec, b.line);
      sel.kind |= SEL_TAKES_BREAK;
    }
  }
  sel.state = SEL_COMPLETE;
  invalidate_rows(rec, a.number, b.number);
}

LRESULT mark(EditorRecord* rec, uint8_t kind) {
  Selection& sel = rec->selection;
  if (sel.state == SEL_ANCHORED) {
    sel.kind |= kind;
    sel.end = caret_position_of(rec);
    complete_selection(rec);
    return 1;
  }
  begin_selection(rec, kind);
  return 1;
}

}  // namespace

// ---- movement ----

LRESULT cmd_line_up(EditorRecord* rec) {
  if (rec->lineNumber <= 1 || !rec->currentLine->previous) return 0;
  note_caret(rec);
  if (rec->view && rec->lineNumber == rec->view->firstNumber) scroll_lines(rec, -1);
  put_caret(rec, rec->currentLine->previous, rec->lineNumber - 1, rec->caretColumn);
  update_after_caret_move(rec);
  return 1;
}

LRESULT cmd_line_down(EditorRecord* rec) {
  if (!rec->currentLine->next) return 0;
  note_caret(rec);
  if (rec->view && rec->lineNumber == rec->view->firstNumber + rec->visibleRows - 1) scroll_lines(rec, 1);
  put_caret(rec, rec->currentLine->next, rec->lineNumber + 1, rec->caretColumn);
  update_after_caret_move(rec);
  return 1;
}

LRESULT cmd_char_left(EditorRecord* rec) {
  if (rec->caretColumn > 0) {
    note_caret(rec);
    rec->caretColumn = column_before(rec, rec->currentLine, rec->caretColumn);
    update_after_caret_move(rec);
    return 1;
  }
  if (auto_scroll_running()) return 0;
  if (!rec->currentLine->previous) return 1;  // line 1, column 0: nothing to do
  note_caret(rec);
  LineRecord* previous = rec->currentLine->previous;
  put_caret(rec, previous, rec->lineNumber - 1, display_length(rec, previous));
  update_after_caret_move(rec);
  return 1;
}

LRESULT cmd_char_right(EditorRecord* rec) {
  LineRecord* line = rec->currentLine;
  int32_t length = display_length(rec, line);
  if (rec->caretColumn < length) {
    note_caret(rec);
    rec->caretColumn = column_of_index(rec, line, index_of_column(rec, line, rec->caretColumn) + 1);
    update_after_caret_move(rec);
    return 1;
  }
  if (rec->options.GoFreeSpace) {
    note_caret(rec);
    ++rec->caretColumn;
    update_after_caret_move(rec);
    return 1;
  }
  if (auto_scroll_running() || !line->next) return 0;
  note_caret(rec);
  put_caret(rec, line->next, rec->lineNumber + 1, 0);
  update_after_caret_move(rec);
  return 1;
}

LRESULT cmd_line_start(EditorRecord* rec) { return move_to(rec, rec->lineNumber, 0); }

LRESULT cmd_line_end(EditorRecord* rec) {
  return move_to(rec, rec->lineNumber, display_length(rec, rec->currentLine));
}

LRESULT cmd_word_right(EditorRecord* rec) {
  LineRecord* line = rec->currentLine;
  int32_t number = rec->lineNumber;
  int32_t i = index_of_column(rec, line, rec->caretColumn);
  if (rec->caretColumn >= display_length(rec, line)) i = line->length;
  while (i < line->length && !is_delimiter(line->text[i])) ++i;
  for (;;) {
    while (i < line->length && is_delimiter(line->text[i])) ++i;
    if (i < line->length) break;
    line = line->next;
    if (!line) return 0;
    ++number;
    i = 0;
  }
  note_caret(rec);
  put_caret(rec, line, number, column_of_index(rec, line, i));
  update_after_caret_move(rec);
  return 1;
}

LRESULT cmd_word_left(EditorRecord* rec) {
  LineRecord* line = rec->currentLine;
  int32_t number = rec->lineNumber;
  int32_t i = index_of_column(rec, line, rec->caretColumn);
  if (rec->caretColumn > display_length(rec, line)) i = line->length;
  for (;;) {
    while (i > 0 && is_delimiter(line->text[i - 1])) --i;
    if (i > 0) break;
    line = line->previous;
    if (!line) return 0;
    --number;
    i = line->length;
  }
  while (i > 0 && !is_delimiter(line->text[i - 1])) --i;
  note_caret(rec);
  put_caret(rec, line, number, column_of_index(rec, line, i));
  update_after_caret_move(rec);
  return 1;
}

LRESULT cmd_next_paragraph(EditorRecord* rec) {
  LineRecord* line = rec->currentLine;
  int32_t number = rec->lineNumber;
  while (line && !is_blank_line(line)) line = line->next, ++number;
  while (line && is_blank_line(line)) line = line->next, ++number;
  if (!line) return 0;
  return move_to(rec, number, first_non_blank(rec, line));
}

LRESULT cmd_previous_paragraph(EditorRecord* rec) {
  LineRecord* line = rec->currentLine;
  int32_t number = rec->lineNumber;
  if (!is_blank_line(line) && line->previous) line = line->previous, --number;
  while (line->previous && is_blank_line(line)) line = line->previous, --number;
  while (line->previous && !is_blank_line(line->previous)) line = line->previous, --number;
  int32_t column = first_non_blank(rec, line);
  if (number == rec->lineNumber && column == rec->caretColumn) return 0;
  return move_to(rec, number, column);
}

LRESULT cmd_first_visible(EditorRecord* rec) {
  if (!rec->view) return 0;
  return move_to(rec, rec->view->firstNumber, 0);
}

LRESULT cmd_last_visible(EditorRecord* rec) {
  if (!rec->view) return 0;
  return move_to(rec, last_visible_number(rec), 0);
}

namespace {

// Page moves keep the caret's screen row: the view moves with the caret.
LRESULT page(EditorRecord* rec, int32_t direction) {
  int32_t rows = rec->visibleRows > 0 ? rec->visibleRows : 1;
  int32_t target = rec->lineNumber + direction * rows;
  if (target > rec->lineCount) target = rec->lineCount;
  if (target < 1) target = 1;
  if (target == rec->lineNumber) return 0;
  int32_t row = rec->view ? rec->lineNumber - rec->view->firstNumber : 0;
  if (row < 0 || row >= rows) row = rows / 2;
  set_first_visible(rec, target - row);
  return move_to(rec, target, rec->caretColumn);
}

}  // namespace

LRESULT cmd_page_down(EditorRecord* rec) { return page(rec, 1); }
LRESULT cmd_page_up(EditorRecord* rec) { return page(rec, -1); }

LRESULT cmd_text_start(EditorRecord* rec) { return move_to(rec, 1, 0); }

LRESULT cmd_text_end(EditorRecord* rec) {
  return move_to(rec, rec->lineCount, display_length(rec, rec->lastLine));
}

LRESULT cmd_goto_line(EditorRecord* rec) {
  int64_t amount = static_cast<int64_t>(rec->lParam);
  int64_t target;
  switch (rec->wParam) {
    case 2:
      target = rec->lineCount;
      break;
    case 3:
      target = rec->lineNumber + amount;
      break;
    case 4:
      target = rec->lineNumber - amount;
      break;
    default:
      target = amount;
  }
  if (target < 1 || target > rec->lineCount) return 0;
  int32_t number = static_cast<int32_t>(target);
  if (rec->state & ST_SCROLL_HID_CARET) {
    set_first_visible(rec, number);
    update_scroll_bars(rec);
    return 1;
  }
  return move_to(rec, number, 0);
}

LRESULT cmd_goto_column(EditorRecord* rec) {
  int64_t column = static_cast<int64_t>(static_cast<INT_PTR>(rec->wParam));
  if (column < 0 || column > 0x7FFFFFFF) return 0;
  note_caret(rec);
  rec->caretColumn = static_cast<int32_t>(column);
  update_after_caret_move(rec);
  return 1;
}

// ---- selections ----

void begin_selection(EditorRecord* rec, uint8_t kind) {
  if (rec->selection.state != SEL_NONE) release_selection(rec);
  Selection& sel = rec->selection;
  sel.kind = kind;
  sel.anchor = sel.end = sel.savedAnchor = caret_position_of(rec);
  sel.state = SEL_ANCHORED;
  invalidate_rows(rec, rec->lineNumber, rec->lineNumber);
}

void extend_selection(EditorRecord* rec) {
  Selection& sel = rec->selection;
  int32_t before = sel.end.number;
  sel.end = caret_position_of(rec);
  sel.state = SEL_COMPLETE;
  invalidate_rows(rec, before, sel.end.number);
}

void release_selection(EditorRecord* rec) {
  Selection& sel = rec->selection;
  if (sel.state == SEL_COMPLETE) invalidate_rows(rec, sel.anchor.number, sel.end.number);
  sel = Selection();
}

LRESULT cmd_mark_stream(EditorRecord* rec) { return mark(rec, SEL_STREAM); }
LRESULT cmd_mark_column(EditorRecord* rec) { return mark(rec, SEL_COLUMN); }

LRESULT cmd_release_selection(EditorRecord* rec) {
  release_selection(rec);
  return 1;
}

// ---- word table ----

LRESULT cmd_set_word_class(EditorRecord* rec) {
  const unsigned char* chars = reinterpret_cast<const unsigned char*>(rec->lParam);
  for (; chars && *chars; ++chars) g_wordDelimiters[*chars] = static_cast<uint8_t>(rec->wParam);
  return 1;
}

LRESULT cmd_set_all_word_classes(EditorRecord* rec) {
  memset(g_wordDelimiters, static_cast<uint8_t>(rec->wParam), sizeof g_wordDelimiters);
  return 1;
}

LRESULT cmd_restore_word_classes(EditorRecord*) {
  default_word_delimiters();
  return 1;
}

// ---- mouse ----

namespace {

void stop_timer() {
  if (s_mouse.timerWindow) KillTimer(s_mouse.timerWindow, kAutoScrollTimer);
  s_mouse.timerWindow = nullptr;
}

void start_timer(HWND wnd) {
  if (s_mouse.timerWindow == wnd) return;
  stop_timer();
  if (SetTimer(wnd, kAutoScrollTimer, kAutoScrollPeriod, nullptr)) s_mouse.timerWindow = wnd;
}

RECT text_rect(const EditorRecord* rec) {
  RECT r;
  GetClientRect(rec->wnd, &r);
  if (rec->view) {
    r.left += rec->view->marginLeft;
    r.top += rec->view->marginTop;
    r.right -= rec->view->marginRight;
    r.bottom -= rec->view->marginBottom;
  }
  return r;
}

// Row and display column under a client point; false when the point is on no text row.
bool point_to_position(EditorRecord* rec, LPARAM at, bool limitColumn, int32_t* row, int32_t* column) {
  int32_t x = static_cast<int16_t>(LOWORD(at)), y = static_cast<int16_t>(HIWORD(at));
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  *row = row_at(rec, y);
  if (*row < 0) return false;
  LineRecord* line = line_at_row(rec, *row);
  if (!line) return false;
  *column = column_at(rec, x, y);
  if (*column < 0) *column = 0;
  if (limitColumn) {
    int32_t length = display_length(rec, line);
    if (*column > length) *column = length;
  }
  return true;
}

void caret_to_row(EditorRecord* rec, int32_t row, int32_t column) {
  put_caret(rec, line_at_row(rec, row), rec->view->firstNumber + row, column);
}

}  // namespace

bool auto_scroll_running() { return s_mouse.timerWindow != nullptr; }

LRESULT mouse_left_down(EditorRecord* rec, WPARAM keys, LPARAM at) {
  if (GetFocus() != rec->wnd) SetFocus(rec->wnd);
  stop_timer();
  s_mouse.lastRow = s_mouse.lastColumn = -1;
  if (rec->selection.state != SEL_NONE) release_selection(rec);
  int32_t row, column;
  if (!rec->view || !point_to_position(rec, at, false, &row, &column)) return 1;
  note_caret(rec);
  caret_to_row(rec, row, column);
  update_after_caret_move(rec);
  SetCapture(rec->wnd);
  s_mouse.dragging = true;
  s_mouse.pressRow = row;
  s_mouse.pressColumn = column;
  s_mouse.lastKeys = keys;
  s_mouse.lastPoint = at;
  return 1;
}

LRESULT mouse_move(EditorRecord* rec, WPARAM keys, LPARAM at) {
  if (!s_mouse.dragging || !rec->view) return 1;
  s_mouse.lastKeys = keys;
  s_mouse.lastPoint = at;
  bool ctrl = (keys & MK_CONTROL) != 0;
  int32_t x = static_cast<int16_t>(LOWORD(at)), y = static_cast<int16_t>(HIWORD(at));
  RECT text = text_rect(rec);
  bool outside = x < text.left || x >= text.right || y < text.top || y >= text.bottom;
  bool scrolled = false;
  if (rec->selection.state == SEL_NONE)
    begin_selection(rec, static_cast<uint8_t>((ctrl ? SEL_COLUMN : SEL_STREAM) | SEL_EXCLUSIVE));
  if (outside) {
    // Past an edge the caret steps one line or column, and the timer keeps stepping.
    if (y < text.top) {
      if (rec->currentLine->previous) {
        if (rec->lineNumber == rec->view->firstNumber) scroll_lines(rec, -1);
        put_caret(rec, rec->currentLine->previous, rec->lineNumber - 1, rec->caretColumn);
        scrolled = true;
      }
    } else if (y >= text.bottom) {
      if (rec->currentLine->next) {
        if (rec->lineNumber >= rec->view->firstNumber + rec->visibleRows - 1) scroll_lines(rec, 1);
        put_caret(rec, rec->currentLine->next, rec->lineNumber + 1, rec->caretColumn);
        scrolled = true;
      }
    } else if (x < text.left) {
      if (rec->caretColumn > 0) {
        --rec->caretColumn;
        scroll_columns(rec, -1);
        scrolled = true;
      }
    } else {
      ++rec->caretColumn;
      scrolled = true;
    }
    start_timer(rec->wnd);
  } else {
    stop_timer();
    int32_t row, column;
    if (point_to_position(rec, at, !ctrl, &row, &column) &&
        (row != s_mouse.lastRow || column != s_mouse.lastColumn)) {
      caret_to_row(rec, row, column);
      s_mouse.lastRow = row;
      s_mouse.lastColumn = column;
      scrolled = true;
    }
  }
  if (scrolled) {
    update_after_caret_move(rec);
    int32_t before = rec->selection.end.number;
    rec->selection.end = caret_position_of(rec);
    invalidate_rows(rec, before, rec->lineNumber);
    UpdateWindow(rec->wnd);
  }
  return 1;
}

LRESULT mouse_left_up(EditorRecord* rec, WPARAM keys, LPARAM at) {
  stop_timer();
  if (!s_mouse.dragging) return 1;
  bool ctrl = (keys & MK_CONTROL) != 0;
  RECT text = text_rect(rec);
  int32_t x = static_cast<int16_t>(LOWORD(at)), y = static_cast<int16_t>(HIWORD(at));
  bool outside = x < text.left || x >= text.right || y < text.top || y >= text.bottom;
  int32_t row = s_mouse.lastRow, column = s_mouse.lastColumn;
  bool found = outside ? row >= 0 : point_to_position(rec, at, !ctrl, &row, &column);
  if (outside && row < 0) {
    // The drag never reached a point inside: the caret is where the edge steps left it.
    found = false;
  }
  if (found && row == s_mouse.pressRow && column == s_mouse.pressColumn) {
    release_selection(rec);
  } else if (rec->selection.state != SEL_NONE) {
    if (found) {
      caret_to_row(rec, row, column);
      update_after_caret_move(rec);
    }
    Selection& sel = rec->selection;
    sel.end = caret_position_of(rec);
    if (ctrl) sel.kind = static_cast<uint8_t>((sel.kind & ~SEL_STREAM) | SEL_COLUMN);
    complete_selection(rec);
    sel.kind &= static_cast<uint8_t>(~SEL_EXCLUSIVE);
  }
  if (GetCapture() == rec->wnd) ReleaseCapture();
  s_mouse.dragging = false;
  s_mouse.lastRow = s_mouse.lastColumn = -1;
  return 1;
}

LRESULT auto_scroll_tick(EditorRecord* rec) {
  if (!s_mouse.dragging || s_mouse.timerWindow != rec->wnd) {
    KillTimer(rec->wnd, kAutoScrollTimer);
    if (s_mouse.timerWindow == rec->wnd) s_mouse.timerWindow = nullptr;
    return 1;
  }
  return SendMessageA(rec->wnd, WM_MOUSEMOVE, s_mouse.lastKeys, s_mouse.lastPoint);
}

LRESULT mouse_other(EditorRecord* rec, UINT msg, WPARAM, LPARAM at) {
  int32_t row, column;
  switch (msg) {
    case WM_LBUTTONDBLCLK: {
      // The word around the caret becomes a complete stream selection.
      LineRecord* line = rec->currentLine;
      int32_t i = index_of_column(rec, line, rec->caretColumn);
      if (rec->caretColumn >= display_length(rec, line) || is_delimiter(line->text[i])) return 1;
      int32_t from = i, to = i;
      while (from > 0 && !is_delimiter(line->text[from - 1])) --from;
      while (to < line->length && !is_delimiter(line->text[to])) ++to;
      release_selection(rec);
      Selection& sel = rec->selection;
      sel.kind = SEL_STREAM | SEL_EXCLUSIVE;
      sel.anchor = TextPosition{line, column_of_index(rec, line, from), rec->lineNumber};
      sel.end = TextPosition{line, column_of_index(rec, line, to), rec->lineNumber};
      sel.savedAnchor = sel.anchor;
      sel.state = SEL_COMPLETE;
      invalidate_rows(rec, rec->lineNumber, rec->lineNumber);
      return 1;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      if (rec->view && point_to_position(rec, at, false, &row, &column)) {
        note_caret(rec);
        caret_to_row(rec, row, column);
        update_after_caret_move(rec);
      }
      return SendMessageA(rec->wnd, msg == WM_RBUTTONDOWN ? KE_MARK_TO_HERE : KE_MARK_LINE, 0, 0), 1;
    case WM_MBUTTONDOWN:
      return SendMessageA(rec->wnd, KE_MARK_COLUMN, 0, 0), 1;
    case WM_MBUTTONDBLCLK:
      return SendMessageA(rec->wnd, KE_RELEASE_SELECTION, 0, 0), 1;
  }
  return 1;
}

// ---- scroll bars ----

namespace {

void hide_caret_for_scroll(EditorRecord* rec) {
  if (!(rec->state & ST_SCROLL_HID_CARET)) {
    rec->state |= ST_SCROLL_HID_CARET;
    HideCaret(rec->wnd);
  }
}

}  // namespace

LRESULT vertical_scroll(EditorRecord* rec, WPARAM wp) {
  int code = LOWORD(wp);
  int32_t thumb = HIWORD(wp);
  int32_t rows = rec->visibleRows > 0 ? rec->visibleRows : 1;
  if (rec->options.WindowsScrolling) {
    int32_t by = 0;
    switch (code) {
      case SB_LINEUP:
        by = -1;
        break;
      case SB_LINEDOWN:
        by = 1;
        break;
      case SB_PAGEUP:
        by = -rows;
        break;
      case SB_PAGEDOWN:
        by = rows;
        break;
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK:
        if (thumb >= 1 && thumb <= rec->lineCount) {
          hide_caret_for_scroll(rec);
          set_first_visible(rec, thumb);
        }
        break;
    }
    if (by && scroll_lines(rec, by)) hide_caret_for_scroll(rec);
    update_scroll_bars(rec);
  } else {
    switch (code) {
      case SB_LINEUP:
        SendMessageA(rec->wnd, KE_LINE_UP, 0, 0);
        break;
      case SB_LINEDOWN:
        SendMessageA(rec->wnd, KE_LINE_DOWN, 0, 0);
        break;
      case SB_PAGEUP:
        SendMessageA(rec->wnd, KE_PAGE_UP, 0, 0);
        break;
      case SB_PAGEDOWN:
        SendMessageA(rec->wnd, KE_PAGE_DOWN, 0, 0);
        break;
      case SB_TOP:
        SendMessageA(rec->wnd, KE_TEXT_START, 0, 0);
        break;
      case SB_BOTTOM:
        SendMessageA(rec->wnd, KE_TEXT_END, 0, 0);
        break;
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK:
        SendMessageA(rec->wnd, KE_GOTO_LINE, 0, thumb);
        break;
    }
  }
  notify(rec, KEN_VSCROLL);
  return 1;
}

LRESULT horizontal_scroll(EditorRecord* rec, WPARAM wp) {
  ViewRecord* view = rec->view;
  if (!view) return 1;
  int code = LOWORD(wp);
  int32_t thumb = HIWORD(wp);
  bool windows = rec->options.WindowsScrolling != 0;
  int32_t by = 0;
  switch (code) {
    case SB_LINELEFT:
      by = -1;
      break;
    case SB_LINERIGHT:
      by = 1;
      break;
    case SB_PAGELEFT:
      by = -10;
      break;
    case SB_PAGERIGHT:
      by = 10;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      by = thumb - view->firstColumn;
      break;
    case SB_LEFT:
    case SB_RIGHT:
      if (!windows) SendMessageA(rec->wnd, code == SB_LEFT ? KE_LINE_START : KE_LINE_END, 0, 0);
      notify(rec, KEN_HSCROLL);
      return 1;
  }
  scroll_columns(rec, by);
  if (!windows && code == SB_LINELEFT && rec->caretColumn > 0) --rec->caretColumn;
  if (!(rec->state & ST_SCROLL_HID_CARET)) {
    if (rec->caretColumn < view->firstColumn) rec->caretColumn = view->firstColumn;
    if (rec->caretColumn > view->lastColumn && view->lastColumn >= view->firstColumn)
      rec->caretColumn = view->lastColumn;
    place_caret(rec, rec->caretColumn, rec->caretRow);
    ++rec->positionChanges;
  }
  update_scroll_bars(rec);
  notify(rec, KEN_HSCROLL);
  notify_position(rec);
  return 1;
}

}  // namespace ked
