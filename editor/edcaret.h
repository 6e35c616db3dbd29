// The caret: it exists only while the window has the focus and none of the control's
// dialogs is open; it is 2 pixels wide and as high as the current line's row.
#pragma once

#include <stdint.h>

namespace ked {

struct EditorRecord;

// Makes the caret when none of the current row's height exists (or a remake is pending).
void make_caret(EditorRecord* rec);
// Moves the caret to (column, row); negative values do nothing.
void place_caret(EditorRecord* rec, int32_t column, int32_t row);
// WM_SETFOCUS with a window that lost it, and WM_KILLFOCUS.
void caret_focus_gained(EditorRecord* rec);
void caret_focus_lost(EditorRecord* rec);
// After the caret moved: the column kept in the line's range (GoFreeSpace off), the view
// scrolled sideways to show it, the caret made and placed, the scroll bars updated.
void update_after_caret_move(EditorRecord* rec);

}  // namespace ked
