// The answers of a standard multi-line edit control by character offset (every line
// counted with a CR LF after it), tab stops, the text rectangle, the per-line owner values
// and the space stripper.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;
struct LineRecord;

// Offset of character `index` of line `number` (1-based).
int32_t offset_of(const EditorRecord* rec, int32_t number, int32_t index);
// The line, its number and the character index an offset falls on: an offset inside a
// line break belongs to the end of that line; -1 or an offset beyond the text means the
// end of the text.
LineRecord* position_of_offset(const EditorRecord* rec, int32_t offset, int32_t* number, int32_t* index);
// Removes spaces from `text` of `length` characters by `how` (1 leading white space,
// 2 trailing spaces, 4 runs of spaces squeezed to one); answers the new length.
int32_t strip_spaces(char* text, int32_t length, uint32_t how);

// Commands 0x9A3, 0x9A4, 0x9A6/0x9A7, 0x9A8, 0x9A9, 0x9AC, 0x9AD, 0x9AE, 0x9AF, 0x9B0,
// 0x9B1, 0x9B3, 0x9B7, 0x9B8, 0x9B9, 0x9BB, 0x98D and 0x988-0x98B.
LRESULT cmd_first_visible_line(EditorRecord* rec);
LRESULT cmd_em_get_line(EditorRecord* rec);
LRESULT cmd_line_from_char(EditorRecord* rec);
LRESULT cmd_line_index(EditorRecord* rec);
LRESULT cmd_line_length(EditorRecord* rec);
LRESULT cmd_em_get_sel(EditorRecord* rec);
LRESULT cmd_selection_offsets(EditorRecord* rec);
LRESULT cmd_selected_text(EditorRecord* rec);
LRESULT cmd_replace_sel(EditorRecord* rec);
LRESULT cmd_em_set_sel(EditorRecord* rec);
LRESULT cmd_select_offsets(EditorRecord* rec);
LRESULT cmd_set_tab_stops(EditorRecord* rec);
LRESULT cmd_get_rect(EditorRecord* rec);
LRESULT cmd_set_rect_np(EditorRecord* rec);
LRESULT cmd_set_rect(EditorRecord* rec);
LRESULT cmd_copy_line(EditorRecord* rec);
LRESULT cmd_trim_blanks(EditorRecord* rec);
LRESULT cmd_get_item_data(EditorRecord* rec);
LRESULT cmd_set_item_data(EditorRecord* rec);
LRESULT cmd_get_item_height(EditorRecord* rec);
LRESULT cmd_set_item_height(EditorRecord* rec);

}  // namespace ked
