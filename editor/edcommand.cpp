// The command wrapper: what happens around every command's handler.
#include "edcommand.h"

#include "edcaret.h"
#include "edclipboard.h"
#include "edkeys.h"
#include "edlines.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edstate.h"
#include "edundo.h"
#include "edview.h"
#include "editor/korvoedit.h"

namespace ked {

namespace {

// Pasting runs as a command without table flags.
const CommandRow kPasteRow = {WM_PASTE, 0, cmd_paste};

bool is_undo_or_redo(const CommandRow* row) {
  return row && (row->message == KE_UNDO || row->message == KE_REDO);
}

void end_command(EditorRecord* rec) {
  g_repeatCount = 1;
  notify_position(rec);
}

}  // namespace

void display_update(EditorRecord* rec) {
  if (!(rec->state & (ST_UPDATES_OFF | ST_SCROLL_HID_CARET))) {
    rec->caretRow = view_row_of_current(rec);
    if (rec->caretRow < 0 && rec->currentLine) {
      bring_current_into_view(rec);
      rec->caretRow = view_row_of_current(rec);
      InvalidateRect(rec->wnd, nullptr, TRUE);
    }
    make_caret(rec);
    place_caret(rec, rec->caretColumn, rec->caretRow);
    update_scroll_bars(rec);
  }
  notify_position(rec);
}

LRESULT run_command(EditorRecord* rec, UINT message) {
  if (rec->state & ST_SCROLL_HID_CARET) {
    rec->state &= ~static_cast<uint32_t>(ST_SCROLL_HID_CARET);
    ShowCaret(rec->wnd);
  }
  const CommandRow* row = message == WM_PASTE ? &kPasteRow : find_command(message);
  if (!row) {
    end_command(rec);
    return 1;
  }
  if (message != KE_LOAD_FILE && !ensure_line(rec)) {
    end_command(rec);  // no line could be made: the command is refused
    return 0;
  }
  bool grouped = (row->flags & (CF_MOVES | CF_EDITS)) != 0;
  if (grouped)
    undo_begin_command(rec, message == KE_UNDO, message == KE_REDO, is_undo_or_redo(rec->previousCommand));
  int32_t changesBefore = rec->changes;
  macro_record(rec, message, rec->wParam, rec->lParam);
  LRESULT result = row->handler(rec);
  rec->previousCommand = row;
  if (grouped && message != KE_UNDO) undo_end_command(rec);
  if (rec->changes != changesBefore && rec->changes != 0) notify(rec, 0x300);
  if (!(row->flags & CF_QUERY)) display_update(rec);
  end_command(rec);
  return result;
}

}  // namespace ked
