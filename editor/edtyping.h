// The typing and deleting commands the keyboard needs at the least: type a character,
// delete at the caret, delete before it.
#pragma once

#include <windows.h>

namespace ked {

struct EditorRecord;

// Commands 0x956 (type the character wParam), 0x931 (delete at the caret, joining the
// next line at a line's end) and 0x92F (delete before the caret).
LRESULT cmd_type_char(EditorRecord* rec);
LRESULT cmd_delete_char(EditorRecord* rec);
LRESULT cmd_backspace(EditorRecord* rec);

}  // namespace ked
