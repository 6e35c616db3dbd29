// The command wrapper: what happens around every command's handler.
#include "edcommand.h"

#include "edlines.h"
#include "edrecord.h"
#include "edstate.h"
#include "edundo.h"
#include "edview.h"

#define CMD_LOAD_FILE 0x95D
#define CMD_UNDO 0x936
#define CMD_REDO 0x937

namespace {

// Pasting runs as a command without table flags; its work comes with the clipboard code.
const CommandRow kPasteRow = {WM_PASTE, 0, cmd_not_built};

bool is_undo_or_redo(const CommandRow* row) {
  return row && (row->message == CMD_UNDO || row->message == CMD_REDO);
}

void end_command(EditorRecord* rec) {
  g_repeatCount = 1;
  ed_notify_position(rec);
}

}  // namespace

void ed_display_update(EditorRecord* rec) {
  if (!(rec->state & (ST_UPDATES_OFF | ST_SCROLL_HID_CARET))) {
    rec->caretRow = ed_view_row_of_current(rec);
    if (rec->caretRow < 0 && rec->currentLine) {
      ed_bring_current_into_view(rec);
      rec->caretRow = ed_view_row_of_current(rec);
      InvalidateRect(rec->wnd, nullptr, TRUE);
    }
    // Placing the caret belongs to the painting code.
  }
  ed_notify_position(rec);
}

LRESULT ed_run_command(EditorRecord* rec, UINT message) {
  if (rec->state & ST_SCROLL_HID_CARET) {
    rec->state &= ~static_cast<uint32_t>(ST_SCROLL_HID_CARET);
    ShowCaret(rec->wnd);
  }
  const CommandRow* row = message == WM_PASTE ? &kPasteRow : ed_find_command(message);
  if (!row) {
    end_command(rec);
    return 1;
  }
  if (message != CMD_LOAD_FILE && !ed_ensure_line(rec)) {
    end_command(rec);  // no line could be made: the command is refused
    return 0;
  }
  bool grouped = (row->flags & (CF_MOVES | CF_EDITS)) != 0;
  if (grouped)
    ed_undo_begin_command(rec, message == CMD_UNDO, message == CMD_REDO,
                          is_undo_or_redo(rec->previousCommand));
  int32_t changesBefore = rec->changes;
  // Keystroke capture appends the message to the macro here once macros exist.
  LRESULT result = row->handler(rec);
  rec->previousCommand = row;
  if (grouped && message != CMD_UNDO) ed_undo_end_command(rec);
  if (rec->changes != changesBefore && rec->changes != 0) ed_notify(rec, 0x300);
  if (!(row->flags & CF_QUERY)) ed_display_update(rec);
  end_command(rec);
  return result;
}
