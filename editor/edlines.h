// Line primitives: every part of the control makes, links, unlinks and walks lines
// through these, so the record's first, last and current line, the current line number
// (always the current line's position, counted from 1) and the line count stay true.
#pragma once

#include <stdint.h>

namespace ked {

struct EditorRecord;
struct LineRecord;

constexpr int32_t kEmptyLineCapacity = 64;

// A new unlinked line with an empty buffer of `capacity` bytes (below 9: 8). When the
// line cannot be allocated, shows "init_line() - MEM_ALLOC returns NULL" once and
// answers null: the caller refuses what it was doing.
LineRecord* make_line(int32_t capacity, EditorRecord* rec);
// Capacity for a line of `length` characters: (length / 16 + 1) * 16, or 8 when empty.
int32_t line_capacity(int32_t length);

// Inserts `line` after `after`, or at the head when `after` is null.
void link_after(LineRecord* line, LineRecord* after, EditorRecord* rec);
// Inserts `line` before the current line.
void link_before_current(LineRecord* line, EditorRecord* rec);
// Takes `line` out of the text and frees it; answers the line that takes its place.
// Unlinking the only line leaves one new empty line at line 1, column 0 (null, with the
// text untouched, when that line cannot be made).
LineRecord* unlink_line(EditorRecord* rec, LineRecord* line);
// Frees every line from `from` to the end of the text.
void free_list(EditorRecord* rec, LineRecord* from);
// Frees a chain of lines that was never linked into a record.
void free_chain(EditorRecord* rec, LineRecord* first);

// Walks n lines forward (n > 0) or back, stopping at the first or last line.
LineRecord* step_lines(EditorRecord* rec, LineRecord* from, int32_t n);
// 1-based position of `line`, 0 when it is not in the text.
int32_t line_number(EditorRecord* rec, LineRecord* line);
// Gives a window without a current line one empty line; false when it cannot be made.
bool ensure_line(EditorRecord* rec);
// Forgets the line list, positions, change counter, selection, bookmarks and line marks
// (the lines themselves must have been freed or handed on).
void reset_text(EditorRecord* rec);

}  // namespace ked
