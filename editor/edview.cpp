// View measures, layout and parent notifications.
#include "edview.h"

#include "edcaret.h"
#include "edlines.h"
#include "edpaint.h"
#include "edrecord.h"

namespace ked {

void notify(EditorRecord* rec, WORD code) {
  HWND parent = GetParent(rec->wnd);
  if (!parent) return;
  WORD id = static_cast<WORD>(GetWindowLongPtrA(rec->wnd, GWLP_ID));
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(rec->wnd));
}

void notify_position(EditorRecord* rec) {
  if (!rec->positionChanges) return;
  rec->positionChanges = 0;
  notify(rec, 0x9E9);
}

void measure_font(EditorRecord* rec) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  HDC dc = GetDC(rec->wnd);
  HGDIOBJ old = rec->font ? SelectObject(dc, rec->font) : nullptr;
  TEXTMETRICA tm;
  if (GetTextMetricsA(dc, &tm)) {
    rec->lineHeight = tm.tmHeight + tm.tmExternalLeading;
    rec->externalLeading = tm.tmExternalLeading;
    rec->descent = tm.tmDescent;
    // The pitch bit named "fixed" is set for fonts that are not fixed-pitch.
    if (tm.tmPitchAndFamily & TMPF_FIXED_PITCH)
      rec->state |= ST_PROPORTIONAL;
    else
      rec->state &= ~static_cast<uint32_t>(ST_PROPORTIONAL);
  }
  SIZE size;
  if (GetTextExtentPoint32A(dc, kLetters, 52, &size)) rec->averageWidth = size.cx / 52;
  if (old) SelectObject(dc, old);
  ReleaseDC(rec->wnd, dc);
  if (rec->lineHeight < 1) rec->lineHeight = 14;
  if (rec->averageWidth < 1) rec->averageWidth = 1;  // layout divides by it
}

void layout(EditorRecord* rec) {
  ViewRecord* view = rec->view;
  if (!view) return;
  RECT client;
  GetClientRect(rec->wnd, &client);
  int width = client.right - view->marginLeft - view->marginRight;
  int height = client.bottom - view->marginTop - view->marginBottom;
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  view->lastColumn = width / rec->averageWidth + view->firstColumn - 1;
  view->rightEdge = view->pixelOffset + width;
  rec->visibleRows = height / rec->lineHeight;
  if (rec->state & (ST_OWNER_DRAWN | ST_FORMATTED)) count_visible_rows(rec);
  rec->caretRow = view_row_of_current(rec);
  place_caret(rec, rec->caretColumn, rec->caretRow);
  update_scroll_bars(rec);
}

int view_row_of_current(EditorRecord* rec) {
  ViewRecord* view = rec->view;
  if (!view || !view->firstLine || !rec->currentLine) return -1;
  int row = rec->lineNumber - view->firstNumber;
  return row >= 0 && row < rec->visibleRows ? row : -1;
}

void bring_current_into_view(EditorRecord* rec) {
  ViewRecord* view = rec->view;
  if (!view || !rec->currentLine) return;
  int row = rec->visibleRows / 2;
  if (row > rec->lineNumber - 1) row = rec->lineNumber - 1;
  view->firstLine = step_lines(rec, rec->currentLine, -row);
  view->firstNumber = rec->lineNumber - row;
}

}  // namespace ked
