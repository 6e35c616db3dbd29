// Making, placing and removing the caret; the update after the caret moved.
#include "edcaret.h"

#include <windows.h>

#include "edpaint.h"
#include "edrecord.h"
#include "edstate.h"
#include "edview.h"

namespace ked {

namespace {

constexpr int kCaretWidth = 2;

bool caret_allowed(const EditorRecord* rec) {
  return rec->wnd && !(rec->caret.flags & CARET_ABSENT) && g_openDialogs == 0;
}

}  // namespace

void make_caret(EditorRecord* rec) {
  if (!caret_allowed(rec)) return;
  int32_t height = row_height(rec, rec->currentLine);
  if (rec->caret.height == height && !(rec->caret.flags & CARET_REMAKE)) return;
  DestroyCaret();
  if (!CreateCaret(rec->wnd, nullptr, kCaretWidth, height)) return;
  rec->caret.width = kCaretWidth;
  rec->caret.height = height;
  rec->caret.flags &= ~static_cast<uint32_t>(CARET_REMAKE);
  ShowCaret(rec->wnd);
  place_caret(rec, rec->caretColumn, rec->caretRow);
}

void place_caret(EditorRecord* rec, int32_t column, int32_t row) {
  if (column < 0 || row < 0) return;
  rec->caret.column = column;
  rec->caret.row = row;
  if (!caret_allowed(rec) || rec->caret.height == 0) return;
  POINT at = caret_position(rec, column, row);
  SetCaretPos(at.x, at.y);
}

void caret_focus_gained(EditorRecord* rec) {
  DestroyCaret();
  rec->caret.height = 0;
  rec->caret.flags = CARET_REMAKE;
  rec->caretRow = view_row_of_current(rec);
  make_caret(rec);
  place_caret(rec, rec->caretColumn, rec->caretRow);
}

void caret_focus_lost(EditorRecord* rec) {
  if (!(rec->caret.flags & CARET_ABSENT)) DestroyCaret();
  rec->caret.height = 0;
  rec->caret.flags = CARET_ABSENT;
}

void update_after_caret_move(EditorRecord* rec) {
  ViewRecord* view = rec->view;
  int32_t length = display_length(rec, rec->currentLine);
  if (!rec->options.GoFreeSpace && rec->caretColumn > length) rec->caretColumn = length;
  if (rec->caretColumn < 0) rec->caretColumn = 0;
  if (view) {
    bool scrolled = false;
    while (rec->caretColumn < view->firstColumn) {
      --view->firstColumn;
      --view->lastColumn;
      view->pixelOffset -= rec->averageWidth;
      view->rightEdge -= rec->averageWidth;
      scrolled = true;
    }
    while (rec->caretColumn > view->lastColumn && view->lastColumn >= view->firstColumn) {
      ++view->firstColumn;
      ++view->lastColumn;
      view->pixelOffset += rec->averageWidth;
      view->rightEdge += rec->averageWidth;
      scrolled = true;
    }
    if (scrolled) InvalidateRect(rec->wnd, nullptr, TRUE);
  }
  rec->caretRow = view_row_of_current(rec);
  make_caret(rec);
  place_caret(rec, rec->caretColumn, rec->caretRow);
  update_scroll_bars(rec);
  ++rec->positionChanges;
}

}  // namespace ked
