// Typing a character, deleting at and before the caret, opening and joining lines,
// indenting and outdenting, the typing modes and word wrap.
#include "edtyping.h"

#include <string.h>

#include "edcaret.h"
#include "edblock.h"
#include "edinsert.h"
#include "edlines.h"
#include "edlinetools.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edstate.h"
#include "edundo.h"

namespace ked {

namespace {

bool windows_compatible_delete(EditorRecord* rec) {
  return rec->selection.state == SEL_COMPLETE && (rec->options.WindowsCompatibility & 1);
}

int32_t repeat_count() { return g_repeatCount > 0 ? g_repeatCount : 1; }

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Runs `edit` with the caret on (line, number, column) and puts the caret back after.
template <typename Edit>
void at_position(EditorRecord* rec, LineRecord* line, int32_t number, int32_t column, Edit edit) {
  LineRecord* keptLine = rec->currentLine;
  int32_t keptNumber = rec->lineNumber, keptColumn = rec->caretColumn;
  rec->currentLine = line;
  rec->lineNumber = number;
  rec->caretColumn = column;
  edit();
  rec->currentLine = keptLine;
  rec->lineNumber = keptNumber;
  rec->caretColumn = keptColumn;
}

// Deletes one character at the caret, or the line break at a line's end.
LRESULT delete_one(EditorRecord* rec, int32_t count) {
  LineRecord* line = rec->currentLine;
  int32_t length = display_length(rec, line);
  if (rec->caretColumn > length) rec->caretColumn = length;
  if (rec->caretColumn < length) {
    int32_t at = index_of_column(rec, line, rec->caretColumn);
    if (count > line->length - at) count = line->length - at;
    return delete_from_caret(rec, count) > 0 ? 1 : 0;
  }
  if (!line->next) return 0;  // the end of the last line: nothing to delete
  return delete_from_caret(rec, 1) > 0 ? 1 : 0;
}

}  // namespace

int32_t auto_indent_column(EditorRecord* rec) {
  LineRecord* above = rec->currentLine ? rec->currentLine->previous : nullptr;
  if (!above) return 0;
  int32_t i = 0;
  while (i < above->length && is_blank(above->text[i])) ++i;
  return column_of_index(rec, above, i);
}

void wrap_word(EditorRecord* rec) {
  int32_t margin = rec->options.RightMargin;
  LineRecord* line = rec->currentLine;
  if (!line || margin < 0 || rec->caretColumn <= margin) return;
  int32_t i = index_of_column(rec, line, margin);
  if (i >= line->length) i = line->length - 1;
  while (i >= 0 && line->text[i] != ' ') --i;
  if (i < 0) return;  // one word to the margin: it stays
  char kept[256];
  int32_t keep = line->length - (i + 1);
  if (keep > 255) keep = 255;
  memcpy(kept, line->text + i + 1, static_cast<size_t>(keep));
  int32_t distance = index_of_column(rec, line, rec->caretColumn) - (i + 1);
  int32_t cut = i;
  while (cut > 0 && line->text[cut - 1] == ' ') --cut;
  rec->caretColumn = column_of_index(rec, line, cut);
  delete_from_caret(rec, line->length - cut);
  if (!split_line(rec)) return;
  rec->caretColumn = 0;
  put_run(rec, kept, keep, true);
  rec->caretColumn = column_of_index(rec, rec->currentLine, distance < 0 ? 0 : distance);
}

LRESULT cmd_type_char(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  char c = static_cast<char>(rec->wParam & 0xFF);
  if (c == '\0') return 0;
  if (windows_compatible_delete(rec) && !delete_selection(rec)) return 0;
  if (!type_char(rec, c, !rec->options.InsertMode)) return 0;
  if (c != '\r' && c != '\n' && rec->options.Wordwrap && !rec->options.AutoReformat) wrap_word(rec);
  update_after_caret_move(rec);
  return 1;
}

LRESULT cmd_delete_char(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  if (rec->selection.state == SEL_COMPLETE) return delete_selection(rec) ? 1 : 0;
  if (rec->markedCount > 0) return act_on_marked(rec, MARKS_CUT);
  LRESULT done = delete_one(rec, repeat_count());
  update_after_caret_move(rec);
  return done;
}

bool join_previous(EditorRecord* rec) {
  LineRecord* previous = rec->currentLine->previous;
  if (!previous) return false;
  previous->flags &= ~static_cast<uint16_t>(LF_HARD_BREAK);
  rec->currentLine = previous;
  --rec->lineNumber;
  if (rec->caretRow > 0) --rec->caretRow;
  rec->caretColumn = display_length(rec, previous);
  int32_t column = rec->caretColumn;
  bool joined = delete_from_caret(rec, 1) > 0;
  rec->caretColumn = column;
  return joined;
}

LRESULT cmd_backspace(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  LRESULT done = 0;
  for (int32_t n = repeat_count(); n > 0; --n) {
    if (rec->caretColumn == 0) {
      if (rec->selection.state == SEL_COMPLETE) {
        done = delete_selection(rec) ? 1 : 0;
        break;
      }
      if (rec->markedCount > 0) {
        done = act_on_marked(rec, MARKS_CUT);
        break;
      }
      if (!join_previous(rec)) break;
      done = 1;
      continue;
    }
    LineRecord* line = rec->currentLine;
    --rec->caretColumn;
    if (rec->caretColumn >= display_length(rec, line) && rec->selection.state != SEL_COMPLETE &&
        rec->markedCount == 0) {
      done = 1;  // free space is crossed without deleting
      continue;
    }
    if (rec->selection.state == SEL_COMPLETE) {
      done = delete_selection(rec) ? 1 : 0;
      break;
    }
    if (rec->markedCount > 0) {
      done = act_on_marked(rec, MARKS_CUT);
      break;
    }
    // The caret stands inside a tab's columns or on a character: that character goes.
    int32_t at = index_of_column(rec, line, rec->caretColumn);
    if (column_of_index(rec, line, at) > rec->caretColumn && at > 0) --at;
    rec->caretColumn = column_of_index(rec, line, at);
    done = delete_one(rec, 1);
  }
  update_after_caret_move(rec);
  return done;
}

LRESULT cmd_open_line_after(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  rec->caretColumn = display_length(rec, rec->currentLine);
  bool ok = type_char(rec, '\r', false);
  update_after_caret_move(rec);
  return ok ? 1 : 0;
}

LRESULT cmd_open_lines_before(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  for (int32_t n = repeat_count(); n > 0; --n) {
    LineRecord* fresh = make_line(8, rec);
    if (!fresh) return 0;
    undo_record_line(rec, rec->lineNumber, UNDO_INSLINE);
    link_before_current(fresh, rec);
    rec->currentLine = fresh;
    --rec->lineNumber;
  }
  rec->caretColumn = rec->options.AutoIndent && !undo_replaying() ? auto_indent_column(rec) : 0;
  ++rec->changes;
  ++rec->positionChanges;
  invalidate_from_row(rec, rec->caretRow);
  update_after_caret_move(rec);
  return 1;
}

void delete_columns(EditorRecord* rec, LineRecord* line, int32_t number, int32_t from, int32_t to) {
  int32_t a = index_of_column(rec, line, from);
  if (a >= line->length) return;
  int32_t b = index_of_column(rec, line, to);
  if (b >= line->length) b = line->length - 1;
  if (b < a) return;
  at_position(rec, line, number, column_of_index(rec, line, a), [&] { delete_from_caret(rec, b - a + 1); });
}

LRESULT cmd_delete_word(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  LRESULT done = 0;
  for (int32_t n = repeat_count(); n > 0; --n) {
    LineRecord* line = rec->currentLine;
    int32_t at = index_of_column(rec, line, rec->caretColumn);
    if (at >= line->length) break;
    int32_t i = at;
    while (i < line->length && !g_wordDelimiters[static_cast<unsigned char>(line->text[i])]) ++i;
    while (i < line->length && g_wordDelimiters[static_cast<unsigned char>(line->text[i])]) ++i;
    // With no next word on the line, the rest of the line goes.
    if (delete_from_caret(rec, i - at) > 0) done = 1;
  }
  update_after_caret_move(rec);
  return done;
}

LRESULT cmd_delete_to_eol(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  LineRecord* line = rec->currentLine;
  int32_t at = index_of_column(rec, line, rec->caretColumn);
  if (at >= line->length) return 1;
  int32_t column = rec->caretColumn;
  undo_record_caret(rec, rec->lineNumber, column);
  delete_from_caret(rec, line->length - at);
  rec->caretColumn = column;
  update_after_caret_move(rec);
  return 1;
}

void shift_line(EditorRecord* rec, LineRecord* line, int32_t number, bool right) {
  int32_t amount = rec->options.IndentAmount;
  if (amount <= 0) return;
  if (right) {
    char blanks[256];
    if (amount > 256) amount = 256;
    memset(blanks, ' ', static_cast<size_t>(amount));
    at_position(rec, line, number, 0, [&] { put_run(rec, blanks, amount, false); });
    return;
  }
  int32_t leading = 0;
  while (leading < line->length && leading < amount && line->text[leading] == ' ') ++leading;
  if (leading > 0) at_position(rec, line, number, 0, [&] { delete_from_caret(rec, leading); });
}

namespace {

LRESULT shift_block(EditorRecord* rec, bool right) {
  Selection& sel = rec->selection;
  if (sel.state == SEL_COMPLETE && sel.anchor.line && sel.end.line) {
    TextPosition* first = sel.anchor.number <= sel.end.number ? &sel.anchor : &sel.end;
    TextPosition* last = first == &sel.anchor ? &sel.end : &sel.anchor;
    LineRecord* line = first->line;
    for (int32_t n = first->number; line && n <= last->number; ++n, line = line->next)
      shift_line(rec, line, n, right);
    sel.end.column = display_length(rec, sel.end.line);
    ++rec->changes;
    invalidate_from_row(rec, 0);
    return 1;
  }
  if (rec->markedCount > 0) return act_on_marked(rec, right ? MARKS_INDENT : MARKS_OUTDENT);
  return -1;
}

}  // namespace

LRESULT cmd_tab_indent(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  LRESULT shifted = shift_block(rec, true);
  if (shifted >= 0) return shifted;
  bool ok = type_char(rec, '\t', false);
  update_after_caret_move(rec);
  return ok ? 1 : 0;
}

LRESULT cmd_outdent(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  LRESULT shifted = shift_block(rec, false);
  return shifted >= 0 ? shifted : 0;
}

LRESULT cmd_insert_mode(EditorRecord* rec) {
  switch (rec->wParam) {
    case 0:
      rec->options.InsertMode = !rec->options.InsertMode;
      break;
    case 1:
      rec->options.InsertMode = 1;
      break;
    case 2:
      rec->options.InsertMode = 0;
      break;
    default:
      return 0;
  }
  rec->caret.flags |= CARET_REMAKE;
  make_caret(rec);
  ++rec->positionChanges;
  return 1;
}

LRESULT cmd_wordwrap(EditorRecord* rec) {
  if (rec->wParam <= 1)
    rec->options.Wordwrap = static_cast<int32_t>(rec->wParam);
  else
    rec->options.Wordwrap = !rec->options.Wordwrap;
  return 1;
}

}  // namespace ked
