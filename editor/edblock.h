// Block commands and the shared pick buffer: cut, copy, append, delete, duplicate and
// paste of stream text, column blocks and whole lines.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;

// What the pick buffer holds (its selection kind byte).
enum PickKind : uint8_t {
  PICK_STREAM = 1,   // the last line may be partial
  PICK_COLUMN = 2,   // the same columns of several lines
  PICK_PARTIAL = 8,  // a piece from within one line
  PICK_LINES = 32,   // whole lines (with PICK_STREAM: 33)
};

// Operations on a complete selection, by the letter the commands pass.
enum BlockOp : char {
  BLOCK_CUT = 'p',
  BLOCK_APPEND = 'a',
  BLOCK_COPY = 'c',
  BLOCK_DELETE = 'd',  // as cut, the system clipboard left alone
};

// Runs `op` on the complete selection. Afterwards the selection is gone (a copy keeps it
// with WindowsCompatibility bit 4) and the caret stands at its start. False, with the
// text and the pick buffer as they were, when there is no selection or memory ran out.
bool block_operation(EditorRecord* rec, BlockOp op);
// Deletes a complete selection through the pick buffer (typing over a selection, Delete).
bool delete_selection(EditorRecord* rec);
// Deletes a complete selection without touching the pick buffer (pasting over one).
bool erase_selection(EditorRecord* rec);
// Takes the marked lines into the pick buffer: cut, append or copy. 0 without marks.
LRESULT marked_lines_to_pick(EditorRecord* rec, BlockOp op);
// Inserts the pick buffer at the caret `times` times; the caret stays where it was.
// False, with nothing changed, for an empty pick buffer or when memory ran out.
bool paste_pick(EditorRecord* rec, int32_t times);

// Commands 0x926 (delete lines), 0x929 (cut), 0x92A (cut and append), 0x92C (copy),
// 0x92D (duplicate), 0x92E (paste, repeat count) and 0x957 (paste once).
LRESULT cmd_delete_line(EditorRecord* rec);
LRESULT cmd_cut(EditorRecord* rec);
LRESULT cmd_cut_append(EditorRecord* rec);
LRESULT cmd_copy(EditorRecord* rec);
LRESULT cmd_duplicate(EditorRecord* rec);
LRESULT cmd_paste_pick(EditorRecord* rec);
LRESULT cmd_paste_pick_once(EditorRecord* rec);

}  // namespace ked
