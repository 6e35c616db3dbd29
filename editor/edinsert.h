// Putting text in at the caret as if it were typed, deleting a complete selection, and
// the word at the caret.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;
struct LineRecord;

// Capacity of a line buffer for `needed` bytes: the smallest power of two above it, at
// least 8.
int32_t room_capacity(int32_t needed);
// Makes room in the line's buffer for `n` more characters: when the length plus n plus 1
// (at least 8) reaches the capacity, the text moves to a zero-filled buffer of
// room_capacity(that + 1); a borrowed buffer is copied at its first growth. On failure
// shows "BufRealloc() - MEM_ALLOC returns NULL" on the desktop and answers false with the
// line as it was: the caller refuses its edit.
bool ensure_room(LineRecord* line, int32_t n);
// Puts `count` characters (none a line break) at the caret, padding free space with
// blanks first; inserted, or written over the line's characters when `overwrite`. The
// caret moves past them. False when the line cannot grow.
bool put_run(EditorRecord* rec, const char* text, int32_t count, bool overwrite);
// Types one character: CR or LF splits the line at the caret (AutoIndent applies when
// nothing moved to the new line), a tab goes in as a tab or as TabFill characters up to
// the next tab stop, anything else as by put_run.
bool type_char(EditorRecord* rec, char c, bool overwrite);
// Inserts `text` at the caret with AutoIndent off: cut at every character below 32 and
// at every backslash, CR LF giving one line break. Answers 1, 0 for no or empty text.
int insert_text(EditorRecord* rec, const char* text, bool overwrite);
// Splits the current line at the caret (the undo record is an insertion of a line feed);
// AutoIndent applies when nothing moved to the new line and no undo replay runs.
bool split_line(EditorRecord* rec);
// Copies up to `count` characters from the caret on, a line break as one line feed, into
// `out` (when not null); answers how many there were.
int32_t text_from_caret(EditorRecord* rec, char* out, int32_t count);
// Deletes up to `count` characters from the caret on, joining the next line for each line
// break; the deleted text is recorded for undo. Answers the characters deleted, 0 with
// the text untouched when the joined text has no room.
int32_t delete_from_caret(EditorRecord* rec, int32_t count);
// Puts text that may hold line feeds in at the caret (insert mode); the caret ends after it.
// Done whole or not at all: false, with the text untouched, when a buffer cannot be had.
bool insert_with_breaks(EditorRecord* rec, const char* text, int32_t count);
// Letters, digits and "_".
bool is_word_char(unsigned char c);

// Commands 0x987 (insert text) and 0x972 (word at the caret).
LRESULT cmd_insert_text(EditorRecord* rec);
LRESULT cmd_get_word(EditorRecord* rec);

}  // namespace ked
