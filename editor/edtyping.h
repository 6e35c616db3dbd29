// Typing and deleting at the caret, opening and joining lines, indenting, the typing
// modes and word wrap at the right margin.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;
struct LineRecord;

// Commands 0x956 (type the character wParam), 0x931 (delete at the caret, joining the
// next line at a line's end), 0x92F (delete before the caret), 0x927 (open a line after),
// 0x928 (open lines before), 0x930 (delete word), 0x932 (delete to the end of the line),
// 0x934 (tab or indent), 0x935 (outdent), 0x933 (insert mode), 0x96D (word wrap).
LRESULT cmd_type_char(EditorRecord* rec);
LRESULT cmd_delete_char(EditorRecord* rec);
LRESULT cmd_backspace(EditorRecord* rec);
LRESULT cmd_open_line_after(EditorRecord* rec);
LRESULT cmd_open_lines_before(EditorRecord* rec);
LRESULT cmd_delete_word(EditorRecord* rec);
LRESULT cmd_delete_to_eol(EditorRecord* rec);
LRESULT cmd_tab_indent(EditorRecord* rec);
LRESULT cmd_outdent(EditorRecord* rec);
LRESULT cmd_insert_mode(EditorRecord* rec);
LRESULT cmd_wordwrap(EditorRecord* rec);

// Deletes display columns [from, to] of line `number` (to limited to the last character);
// nothing when `from` lies past the line's end. Recorded for undo; the caret stays.
void delete_columns(EditorRecord* rec, LineRecord* line, int32_t number, int32_t from, int32_t to);
// Joins the current line to the previous one; false when there is none.
bool join_previous(EditorRecord* rec);
// Shifts a line right by IndentAmount blanks, or left by at most that many leading blanks.
void shift_line(EditorRecord* rec, LineRecord* line, int32_t number, bool right);
// The column of the first non-blank character of the line above the current one.
int32_t auto_indent_column(EditorRecord* rec);
// Wraps the word at the caret to a new line when the caret lies beyond RightMargin.
void wrap_word(EditorRecord* rec);

}  // namespace ked
