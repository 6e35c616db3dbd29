// The system clipboard: the pick buffer goes there as text, and clipboard text comes
// back into a window by WM_PASTE.
#pragma once

#include <windows.h>

namespace ked {

struct EditorRecord;

// Puts the pick buffer on the clipboard as CF_TEXT; CR LF follows only the lines that
// ended with a break when they were taken. 1 done, 0 failed.
int copy_pick_to_clipboard(HWND owner);
// Empties the clipboard when it holds text. Answers 1.
int clear_clipboard_text(HWND owner);
// WM_PASTE.
LRESULT cmd_paste(EditorRecord* rec);

}  // namespace ked
