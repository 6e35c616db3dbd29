// The whole text as one string: set-text, get-text and text length. Offsets count every
// line break as two characters (CR LF).
#pragma once

#include <windows.h>

namespace ked {

struct EditorRecord;

// Replaces the text by `text`, cut into lines at CR, LF or CR LF (a final break adds an
// empty line). Answers 1; 0, with the old text kept, when a line cannot be made. A null
// text only repaints.
int set_text(EditorRecord* rec, const char* text);
// Copies the lines, each followed by CR LF, into `buffer` of `size` characters: at most
// size - 1 characters and a terminator. Answers the characters copied plus 1; a size of
// 0 (or no buffer) copies nothing and answers 0.
LRESULT get_text(EditorRecord* rec, char* buffer, size_t size);
// One line: its length; more lines: the sum of (length + 2).
LRESULT text_length(EditorRecord* rec);

}  // namespace ked
