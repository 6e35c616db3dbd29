// The window's view of the text: font measures, layout after a resize, the caret row,
// and the notifications that tell the parent about changes.
#pragma once

#include <windows.h>

namespace ked {

struct EditorRecord;

// WM_COMMAND to the parent: control id in the low word, `code` in the high word. Nothing
// is sent when the window has no parent.
void notify(EditorRecord* rec, WORD code);
// Sends 0x9E9 when the position-notify counter is non-zero, and clears it.
void notify_position(EditorRecord* rec);

// Measures the window's font (line height, average width, leading, descent, pitch).
void measure_font(EditorRecord* rec);
// Recomputes the visible columns and rows from the client area less the margins.
void layout(EditorRecord* rec);
// Row of the current line in the view, -1 when it is outside.
int view_row_of_current(EditorRecord* rec);
// Puts the current line in the middle row of the view (never above line 1).
void bring_current_into_view(EditorRecord* rec);

}  // namespace ked
