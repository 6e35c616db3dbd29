// From lines to pixels and back: display columns with tab expansion, character indexes,
// pixel positions, row heights, the paint pass, the scroll bars and the colour commands.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;
struct LineRecord;

// Display column of character index `index` of `line` (tabs expanded when UseRealTabs is
// on and the line holds tabs).
int32_t column_of_index(const EditorRecord* rec, const LineRecord* line, int32_t index);
// Character index at display column `column`, at most the line's length.
int32_t index_of_column(const EditorRecord* rec, const LineRecord* line, int32_t column);
// Display length of the line (the column just past its last character).
int32_t display_length(const EditorRecord* rec, const LineRecord* line);
// Next tab stop after `column`, or column + 1 when none follows.
int32_t next_tab_stop(const EditorRecord* rec, int32_t column);

// Pixel height of the row that shows `line` (null: the window's line height).
int32_t row_height(const EditorRecord* rec, const LineRecord* line);
// Line shown at row `row` of the view, or null.
LineRecord* line_at_row(const EditorRecord* rec, int32_t row);
// Top of row `row`: the top margin plus the heights of the rows above it.
int32_t row_top(const EditorRecord* rec, int32_t row);
// Row at client pixel y, -1 when y lies below the last visible line or the text.
int32_t row_at(const EditorRecord* rec, int32_t y);
// Counts the rows that fit entirely above the bottom margin.
void count_visible_rows(EditorRecord* rec);

// Pixel x of display column `column` in `line`, measured with the font selected into `dc`;
// `screen` subtracts the horizontal offset.
int32_t pixel_of_column(const EditorRecord* rec, HDC dc, const LineRecord* line, int32_t column, bool screen);
// Display column at client pixel (x, y): -1 when no row lies there, 0 when the row holds no
// line. A point in the right half of a character gives the column after it.
int32_t column_at(EditorRecord* rec, int32_t x, int32_t y);
// Client pixel position of the caret at (column, row).
POINT caret_position(EditorRecord* rec, int32_t column, int32_t row);

// WM_PAINT.
LRESULT paint(EditorRecord* rec);
// Draws rows [first, last] into `dc` (used by the paint pass).
void draw_rows(EditorRecord* rec, HDC dc, int32_t first, int32_t last);
// Sets the scroll bars' ranges and positions (only what changed).
void update_scroll_bars(EditorRecord* rec);
// Repaints (erasing) rows from `row` to the bottom, or the whole window for row <= 0.
void invalidate_from_row(EditorRecord* rec, int32_t row);

// Colour commands: 0x967, 0x968, 0x96E, 0x96F, and 0x9B4 / 0x8C5.
LRESULT cmd_window_colour(EditorRecord* rec);
LRESULT cmd_text_colour(EditorRecord* rec);
LRESULT cmd_selection_colour(EditorRecord* rec);
LRESULT cmd_selected_text_colour(EditorRecord* rec);
LRESULT cmd_swap_window_colour(EditorRecord* rec);

}  // namespace ked
