// The window's view of the text: font measures, layout after a resize, the caret row,
// and the notifications that tell the parent about changes.
#pragma once

#include <windows.h>

struct EditorRecord;

// WM_COMMAND to the parent: control id in the low word, `code` in the high word. Nothing
// is sent when the window has no parent.
void ed_notify(EditorRecord* rec, WORD code);
// Sends 0x9E9 when the position-notify counter is non-zero, and clears it.
void ed_notify_position(EditorRecord* rec);

// Measures the window's font (line height, average width, leading, descent, pitch).
void ed_measure_font(EditorRecord* rec);
// Recomputes the visible columns and rows from the client area less the margins.
void ed_layout(EditorRecord* rec);
// Row of the current line in the view, -1 when it is outside.
int ed_view_row_of_current(EditorRecord* rec);
// Puts the current line in the middle row of the view (never above line 1).
void ed_bring_current_into_view(EditorRecord* rec);
