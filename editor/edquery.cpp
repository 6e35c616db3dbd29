// Edit-control answers by character offset, tab stops, the text rectangle, owner values
// and the space stripper.
#include "edquery.h"

#include <string.h>

#include "edcaret.h"
#include "edblock.h"
#include "edinsert.h"
#include "edlines.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edview.h"
#include "editor/korvoedit.h"

namespace ked {

namespace {

constexpr int32_t kBreak = 2;  // CR LF

// The position a query means: lParam when not 0, else wParam.
int32_t position_argument(const EditorRecord* rec) {
  return static_cast<int32_t>(rec->lParam ? rec->lParam : rec->wParam);
}

int32_t total_length(const EditorRecord* rec) {
  int32_t total = 0;
  for (const LineRecord* line = rec->firstLine; line; line = line->next) total += line->length + kBreak;
  return total > 0 ? total - kBreak : 0;
}

// Orders the selection's two ends; `inclusive` tells whether the later end's character
// belongs to it.
bool selection_ends(const EditorRecord* rec, TextPosition* a, TextPosition* b, bool* inclusive) {
  const Selection& sel = rec->selection;
  if (sel.state != SEL_COMPLETE || !sel.anchor.line || !sel.end.line) return false;
  *a = sel.anchor;
  *b = sel.end;
  bool reversed = b->number < a->number || (b->number == a->number && b->column < a->column);
  *inclusive = reversed || !(sel.kind & SEL_EXCLUSIVE);
  if (reversed) {
    TextPosition t = *a;
    *a = *b;
    *b = t;
  }
  return true;
}

// Selection as offsets [start, end); the caret's offset twice without one.
void selection_offsets(const EditorRecord* rec, int32_t* start, int32_t* end) {
  TextPosition a, b;
  bool inclusive;
  if (!selection_ends(rec, &a, &b, &inclusive)) {
    int32_t index = index_of_column(rec, rec->currentLine, rec->caretColumn);
    if (index > rec->currentLine->length) index = rec->currentLine->length;
    *start = *end = offset_of(rec, rec->lineNumber, index);
    return;
  }
  int32_t ai = index_of_column(rec, a.line, a.column), bi = index_of_column(rec, b.line, b.column);
  if (ai > a.line->length) ai = a.line->length;
  if (inclusive && bi < b.line->length) ++bi;
  if (bi > b.line->length) bi = b.line->length;
  *start = offset_of(rec, a.number, ai);
  *end = offset_of(rec, b.number, bi);
}

// Copies the selected stream or column text, CR LF between lines, into `out` (when not
// null) up to `room` characters; answers the full length.
int32_t selected_text(const EditorRecord* rec, char* out, int32_t room) {
  TextPosition a, b;
  bool inclusive;
  if (!selection_ends(rec, &a, &b, &inclusive)) return 0;
  bool column = (rec->selection.kind & SEL_COLUMN) != 0;
  int32_t low = a.column < b.column ? a.column : b.column;
  int32_t high = (a.column < b.column ? b.column : a.column) + (inclusive ? 1 : 0);
  int32_t n = 0;
  auto put = [&](const char* text, int32_t count) {
    for (int32_t i = 0; i < count; ++i, ++n)
      if (out && n < room) out[n] = text[i];
  };
  const LineRecord* line = a.line;
  for (int32_t number = a.number; line && number <= b.number; ++number, line = line->next) {
    int32_t from, to;
    if (column) {
      from = index_of_column(rec, line, low);
      to = index_of_column(rec, line, high);
    } else {
      from = number == a.number ? index_of_column(rec, line, a.column) : 0;
      to = number == b.number ? index_of_column(rec, line, b.column) + (inclusive ? 1 : 0) : line->length;
    }
    if (from > line->length) from = line->length;
    if (to > line->length) to = line->length;
    if (to > from) put(line->text + from, to - from);
    if (number < b.number) put("\r\n", 2);
  }
  return n;
}

// Selects [start, end) given as offsets; equal offsets only move the caret.
void select_offsets(EditorRecord* rec, int32_t start, int32_t end) {
  int32_t sn, si, en, ei;
  LineRecord* sl = position_of_offset(rec, start, &sn, &si);
  LineRecord* el = position_of_offset(rec, end, &en, &ei);
  if (en < sn || (en == sn && ei < si)) {
    LineRecord* tl = sl;
    sl = el;
    el = tl;
    int32_t t = sn;
    sn = en;
    en = t;
    t = si;
    si = ei;
    ei = t;
  }
  rec->selection = Selection();
  rec->currentLine = el;
  rec->lineNumber = en;
  rec->caretColumn = column_of_index(rec, el, ei);
  if (sl != el || si != ei) {
    Selection& sel = rec->selection;
    sel.kind = SEL_STREAM | SEL_EXCLUSIVE;
    sel.state = SEL_COMPLETE;
    sel.anchor = sel.savedAnchor = TextPosition{sl, column_of_index(rec, sl, si), sn};
    sel.end = TextPosition{el, rec->caretColumn, en};
  }
  invalidate_from_row(rec, 0);
}

LineRecord* owner_line(EditorRecord* rec) {
  if (!(rec->state & ST_OWNER_DRAWN)) return nullptr;
  int32_t number = static_cast<int32_t>(rec->wParam ? rec->wParam : rec->lParam);
  if (number < 1 || number > rec->lineCount) return nullptr;
  return step_lines(rec, rec->firstLine, number - 1);
}

void set_margins(EditorRecord* rec, const RECT* r) {
  RECT client;
  GetClientRect(rec->wnd, &client);
  rec->options.LeftOffset = r->left;
  rec->options.TopOffset = r->top;
  rec->options.RightOffset = client.right - r->right;
  rec->options.BottomOffset = client.bottom - r->bottom;
  if (ViewRecord* view = rec->view) {
    view->marginLeft = rec->options.LeftOffset;
    view->marginTop = rec->options.TopOffset;
    view->marginRight = rec->options.RightOffset;
    view->marginBottom = rec->options.BottomOffset;
  }
  layout(rec);
}

int32_t character_width(EditorRecord* rec) {
  int32_t width = rec->averageWidth > 0 ? rec->averageWidth : 8;
  if (!(rec->state & ST_PROPORTIONAL) && rec->wnd) {
    HDC dc = GetDC(rec->wnd);
    HGDIOBJ old = rec->font ? SelectObject(dc, rec->font) : nullptr;
    SIZE size;
    if (GetTextExtentPoint32A(dc, " ", 1, &size) && size.cx > 0) width = size.cx;
    if (old) SelectObject(dc, old);
    ReleaseDC(rec->wnd, dc);
  }
  return width;
}

}  // namespace

int32_t offset_of(const EditorRecord* rec, int32_t number, int32_t index) {
  int32_t offset = 0, n = 1;
  for (const LineRecord* line = rec->firstLine; line && n < number; line = line->next, ++n)
    offset += line->length + kBreak;
  return offset + index;
}

LineRecord* position_of_offset(const EditorRecord* rec, int32_t offset, int32_t* number, int32_t* index) {
  LineRecord* line = rec->firstLine;
  int32_t n = 1;
  if (offset < 0) offset = 0x7FFFFFFF;
  while (line->next && offset >= line->length + kBreak) {
    offset -= line->length + kBreak;
    line = line->next;
    ++n;
  }
  *number = n;
  *index = offset < line->length ? offset : line->length;
  return line;
}

int32_t strip_spaces(char* text, int32_t length, uint32_t how) {
  if (how & 1) {
    int32_t lead = 0;
    while (lead < length && (text[lead] == ' ' || text[lead] == '\t')) ++lead;
    memmove(text, text + lead, static_cast<size_t>(length - lead));
    length -= lead;
  }
  if (how & 2)
    while (length > 0 && text[length - 1] == ' ') --length;
  if (how & 4) {
    // Leading blanks stay as they are; each later run of spaces leaves one.
    int32_t from = 0;
    while (from < length && text[from] == ' ') ++from;
    int32_t to = from;
    for (int32_t i = from; i < length; ++i)
      if (!(text[i] == ' ' && to > from && text[to - 1] == ' ')) text[to++] = text[i];
    length = to;
  }
  return length;
}

LRESULT cmd_first_visible_line(EditorRecord* rec) { return rec->view ? rec->view->firstNumber - 1 : 0; }

LRESULT cmd_em_get_line(EditorRecord* rec) {
  char* buffer = reinterpret_cast<char*>(rec->lParam);
  if (!buffer) return 0;
  int32_t size = *reinterpret_cast<const WORD*>(buffer);
  int32_t index = static_cast<int32_t>(rec->wParam);
  if (index < 0 || index >= rec->lineCount) return 0;
  const LineRecord* line = step_lines(rec, rec->firstLine, index);
  int32_t count = line->length < size ? line->length : size;
  memcpy(buffer, line->text, static_cast<size_t>(count));
  return count;
}

LRESULT cmd_line_from_char(EditorRecord* rec) {
  int32_t offset = position_argument(rec);
  if (static_cast<int32_t>(rec->wParam) == -1 || static_cast<int32_t>(rec->lParam) == -1)
    return rec->lineNumber - 1;
  int32_t number, index;
  position_of_offset(rec, offset, &number, &index);
  return number - 1;
}

LRESULT cmd_line_index(EditorRecord* rec) {
  int32_t index = position_argument(rec);
  if (index < 1) return 0;
  if (index >= rec->lineCount) return -1;
  return offset_of(rec, index + 1, 0);
}

LRESULT cmd_line_length(EditorRecord* rec) {
  int32_t number, index;
  return position_of_offset(rec, position_argument(rec), &number, &index)->length;
}

LRESULT cmd_em_get_sel(EditorRecord* rec) {
  int32_t start, end;
  selection_offsets(rec, &start, &end);
  if (DWORD* p = reinterpret_cast<DWORD*>(rec->wParam)) *p = static_cast<DWORD>(start);
  if (DWORD* p = reinterpret_cast<DWORD*>(rec->lParam)) *p = static_cast<DWORD>(end);
  return MAKELONG(start, end);
}

LRESULT cmd_selection_offsets(EditorRecord* rec) {
  int32_t* out = reinterpret_cast<int32_t*>(rec->lParam);
  if (!out) return 0;
  selection_offsets(rec, &out[0], &out[1]);
  return 1;
}

LRESULT cmd_selected_text(EditorRecord* rec) {
  // wParam is the buffer's size in characters, the terminator included.
  char* buffer = reinterpret_cast<char*>(rec->lParam);
  int32_t size = static_cast<int32_t>(rec->wParam);
  int32_t length = selected_text(rec, nullptr, 0);
  if (size <= 0 || !buffer) return length + 1;
  int32_t copied = selected_text(rec, buffer, size - 1);
  if (copied > size - 1) copied = size - 1;
  buffer[copied] = '\0';
  return copied;
}

LRESULT cmd_replace_sel(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  // The selection goes into the pick buffer; the clipboard is the user's and stays as it
  // is, as with a standard edit control.
  if (rec->selection.state == SEL_COMPLETE && !block_operation(rec, BLOCK_DELETE)) return 0;
  rec->selection = Selection();
  const char* text = reinterpret_cast<const char*>(rec->lParam);
  if (text && *text) {
    // Text that begins with a line break must not split at a blank line's indent.
    int32_t autoIndent = rec->options.AutoIndent;
    rec->options.AutoIndent = 0;
    int32_t length = 0;
    while (text[length]) ++length;
    // CR LF counts as one break.
    char* plain = new char[static_cast<size_t>(length) + 1];
    int32_t n = 0;
    for (int32_t i = 0; i < length; ++i) {
      if (text[i] == '\r' && text[i + 1] == '\n') continue;
      plain[n++] = text[i] == '\r' ? '\n' : text[i];
    }
    bool inserted = insert_with_breaks(rec, plain, n);
    delete[] plain;
    rec->options.AutoIndent = autoIndent;
    if (!inserted) return 0;  // the selection is gone (into the pick buffer), the text not in
  }
  return 1;
}

LRESULT cmd_em_set_sel(EditorRecord* rec) {
  int32_t start = static_cast<int32_t>(rec->wParam), end = static_cast<int32_t>(rec->lParam);
  if (start == -1) {
    rec->selection = Selection();
    invalidate_from_row(rec, 0);
    return 1;
  }
  select_offsets(rec, start, end);
  return 1;
}

LRESULT cmd_select_offsets(EditorRecord* rec) {
  const int32_t* in = reinterpret_cast<const int32_t*>(rec->lParam);
  if (!in) return 0;
  int32_t start = in[0], end = in[1];
  select_offsets(rec, start, end);
  return (end == -1 ? total_length(rec) : end) + 1;
}

LRESULT cmd_set_tab_stops(EditorRecord* rec) {
  int32_t count = static_cast<int32_t>(rec->wParam);
  const int32_t* values = reinterpret_cast<const int32_t*>(rec->lParam);
  int32_t width = character_width(rec);
  if (count <= 0 || !values) {
    rec->options.TabIncrement = 8;
    build_tab_stops(rec);
  } else if (count == 1) {
    int32_t value = values[0];
    int32_t columns = value >= 0 ? value : -value / width;
    if (columns < 1) columns = 1;
    if (columns > kTabMarks - 1) columns = kTabMarks - 1;
    rec->options.TabIncrement = columns;
    build_tab_stops(rec);
    rec->tabPositions[0] = value >= 0 ? value * width : -value;
  } else {
    if (count > kMaxTabStops) count = kMaxTabStops;
    memset(rec->tabMarks, 0, sizeof rec->tabMarks);
    bool columns = values[0] > 0;
    for (int32_t i = 0; i < count; ++i) {
      int32_t column = values[i] >= 0 ? values[i] : -values[i] / width;
      if (column > 0 && column < kTabMarks) rec->tabMarks[column] = 1;
      rec->tabPositions[i] = columns ? values[i] * width : (values[i] < 0 ? -values[i] : values[i]);
    }
    rec->tabCount = count;
  }
  InvalidateRect(rec->wnd, nullptr, TRUE);
  return 1;
}

LRESULT cmd_get_rect(EditorRecord* rec) {
  RECT* out = reinterpret_cast<RECT*>(rec->lParam);
  if (!out) return 0;
  RECT client;
  GetClientRect(rec->wnd, &client);
  out->left = rec->options.LeftOffset;
  out->top = rec->options.TopOffset;
  out->right = client.right - rec->options.RightOffset;
  out->bottom = client.bottom - rec->options.BottomOffset;
  return 0;
}

LRESULT cmd_set_rect_np(EditorRecord* rec) {
  if (const RECT* r = reinterpret_cast<const RECT*>(rec->lParam)) set_margins(rec, r);
  return 0;
}

LRESULT cmd_set_rect(EditorRecord* rec) {
  if (const RECT* r = reinterpret_cast<const RECT*>(rec->lParam)) {
    set_margins(rec, r);
    InvalidateRect(rec->wnd, nullptr, TRUE);
  }
  return 0;
}

LRESULT cmd_copy_line(EditorRecord* rec) {
  KorvoLineCopy* request = reinterpret_cast<KorvoLineCopy*>(rec->lParam);
  if (!request || !request->buffer || request->size <= 0) return 0;
  int32_t count = 0;
  if (request->index >= 0 && request->index < rec->lineCount) {
    const LineRecord* line = step_lines(rec, rec->firstLine, request->index);
    count = line->length < request->size - 1 ? line->length : request->size - 1;
    memcpy(request->buffer, line->text, static_cast<size_t>(count));
  }
  request->buffer[count] = '\0';
  request->copied = count;
  return 1;
}

LRESULT cmd_trim_blanks(EditorRecord* rec) {
  uint32_t how = static_cast<uint32_t>(rec->wParam);
  if (char* text = reinterpret_cast<char*>(rec->lParam)) {
    int32_t length = static_cast<int32_t>(strlen(text));
    text[strip_spaces(text, length, how)] = '\0';
    return 1;
  }
  if (rec->state & ST_READ_ONLY) return 0;
  LineRecord* line = rec->currentLine;
  int32_t length = line->length;
  char* copy = new char[static_cast<size_t>(length) + 1];
  memcpy(copy, line->text, static_cast<size_t>(length) + 1);
  int32_t stripped = strip_spaces(copy, length, how);
  if (stripped != length || memcmp(copy, line->text, static_cast<size_t>(stripped)) != 0) {
    // The line is replaced through the recorded paths, so undo can take it back.
    int32_t column = rec->caretColumn;
    rec->caretColumn = 0;
    delete_from_caret(rec, length);
    put_run(rec, copy, stripped, false);
    rec->caretColumn = column;
  }
  delete[] copy;
  return 1;
}

LRESULT cmd_get_item_data(EditorRecord* rec) {
  LineRecord* line = owner_line(rec);
  return line ? static_cast<LRESULT>(line->itemData) : -1;
}

LRESULT cmd_set_item_data(EditorRecord* rec) {
  LineRecord* line = owner_line(rec);
  if (!line) return -1;
  line->itemData = static_cast<uint32_t>(rec->lParam);
  return 1;
}

LRESULT cmd_get_item_height(EditorRecord* rec) {
  LineRecord* line = owner_line(rec);
  return line ? static_cast<LRESULT>(line->itemHeight) : -1;
}

LRESULT cmd_set_item_height(EditorRecord* rec) {
  LineRecord* line = owner_line(rec);
  if (!line) return -1;
  line->itemHeight = static_cast<uint16_t>(rec->lParam & 0xFFFF);
  InvalidateRect(rec->wnd, nullptr, TRUE);
  return 1;
}

}  // namespace ked
