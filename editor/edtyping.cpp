// Typing a character, deleting at and before the caret.
#include "edtyping.h"

#include "edcaret.h"
#include "edinsert.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edstate.h"

namespace ked {

namespace {

bool windows_compatible_delete(EditorRecord* rec) {
  return rec->selection.state == SEL_COMPLETE && (rec->options.WindowsCompatibility & 1);
}

}  // namespace

LRESULT cmd_type_char(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  char c = static_cast<char>(rec->wParam & 0xFF);
  if (c == '\0') return 0;
  if (windows_compatible_delete(rec)) delete_selection(rec);
  if (!type_char(rec, c, !rec->options.InsertMode)) return 0;
  return 1;
}

LRESULT cmd_delete_char(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  if (rec->selection.state == SEL_COMPLETE) return delete_selection(rec) ? 1 : 0;
  LineRecord* line = rec->currentLine;
  int32_t length = display_length(rec, line);
  if (rec->caretColumn > length) rec->caretColumn = length;
  if (rec->caretColumn < length) {
    // Repeat-count characters, never past the line's end.
    int32_t at = index_of_column(rec, line, rec->caretColumn);
    int32_t count = g_repeatCount > 0 ? g_repeatCount : 1;
    if (count > line->length - at) count = line->length - at;
    return delete_from_caret(rec, count) > 0 ? 1 : 0;
  }
  if (!line->next) return 0;  // the end of the last line: nothing to delete
  return delete_from_caret(rec, 1) > 0 ? 1 : 0;
}

LRESULT cmd_backspace(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  if (rec->caretColumn == 0) {
    if (rec->selection.state == SEL_COMPLETE) return delete_selection(rec) ? 1 : 0;
    LineRecord* previous = rec->currentLine->previous;
    if (!previous) return 0;
    // Join with the previous line: its line break is deleted.
    rec->currentLine = previous;
    --rec->lineNumber;
    rec->caretColumn = display_length(rec, previous);
    return delete_from_caret(rec, 1) > 0 ? 1 : 0;
  }
  LineRecord* line = rec->currentLine;
  int32_t length = display_length(rec, line);
  if (rec->caretColumn > length) {
    // Free space is crossed without deleting.
    --rec->caretColumn;
    update_after_caret_move(rec);
    return 1;
  }
  int32_t at = index_of_column(rec, line, rec->caretColumn);
  rec->caretColumn = column_of_index(rec, line, at - 1);
  return delete_from_caret(rec, 1) > 0 ? 1 : 0;
}

}  // namespace ked
