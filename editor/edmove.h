// Caret movement, selections, the word table, the mouse and the scroll bars.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;

constexpr UINT_PTR kAutoScrollTimer = 1128;
constexpr UINT kAutoScrollPeriod = 100;  // milliseconds

// Movement commands 0x93F..0x94E, 0x951 and 0x999.
LRESULT cmd_line_up(EditorRecord* rec);
LRESULT cmd_line_down(EditorRecord* rec);
LRESULT cmd_char_left(EditorRecord* rec);
LRESULT cmd_char_right(EditorRecord* rec);
LRESULT cmd_line_start(EditorRecord* rec);
LRESULT cmd_line_end(EditorRecord* rec);
LRESULT cmd_word_right(EditorRecord* rec);
LRESULT cmd_word_left(EditorRecord* rec);
LRESULT cmd_next_paragraph(EditorRecord* rec);
LRESULT cmd_previous_paragraph(EditorRecord* rec);
LRESULT cmd_first_visible(EditorRecord* rec);
LRESULT cmd_last_visible(EditorRecord* rec);
LRESULT cmd_page_down(EditorRecord* rec);
LRESULT cmd_page_up(EditorRecord* rec);
LRESULT cmd_text_start(EditorRecord* rec);
LRESULT cmd_text_end(EditorRecord* rec);
LRESULT cmd_goto_line(EditorRecord* rec);
LRESULT cmd_goto_column(EditorRecord* rec);

// Selection commands 0x958, 0x959, 0x92B.
LRESULT cmd_mark_stream(EditorRecord* rec);
LRESULT cmd_mark_column(EditorRecord* rec);
LRESULT cmd_release_selection(EditorRecord* rec);

// Word-table commands 0x9BC, 0x9BD, 0x9BE.
LRESULT cmd_set_word_class(EditorRecord* rec);
LRESULT cmd_set_all_word_classes(EditorRecord* rec);
LRESULT cmd_restore_word_classes(EditorRecord* rec);

// Selection pieces the key path shares: begin marking at the caret (kind bits), and
// extend the selection's end to the caret, repainting the rows in between.
void begin_selection(EditorRecord* rec, uint8_t kind);
void extend_selection(EditorRecord* rec);
void release_selection(EditorRecord* rec);

// Mouse messages, the auto-scroll timer and the scroll bars.
LRESULT mouse_left_down(EditorRecord* rec, WPARAM keys, LPARAM at);
LRESULT mouse_move(EditorRecord* rec, WPARAM keys, LPARAM at);
LRESULT mouse_left_up(EditorRecord* rec, WPARAM keys, LPARAM at);
// Double and right clicks after the parent answered 0.
LRESULT mouse_other(EditorRecord* rec, UINT msg, WPARAM keys, LPARAM at);
LRESULT auto_scroll_tick(EditorRecord* rec);
bool auto_scroll_running();
LRESULT vertical_scroll(EditorRecord* rec, WPARAM wp);
LRESULT horizontal_scroll(EditorRecord* rec, WPARAM wp);

}  // namespace ked
