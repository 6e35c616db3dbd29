// Owner-drawn lines: the measure, draw and forget records the control sends to the
// owner of an owner-drawn window, and the command that measures every line again.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;
struct LineRecord;

// Asks the owner for the line's height and item data; true when the owner answered.
// Without an answer the line takes the window's line height.
bool measure_line(EditorRecord* rec, LineRecord* line);
// The line is about to be freed: the owner forgets its item.
void forget_owner_line(EditorRecord* rec, LineRecord* line);
// What a draw request says about the piece of a row being painted.
struct OwnerPiece {
  LineRecord* line;
  int32_t number;  // line number, from 1
  RECT rect;       // the row, in client coordinates
  int32_t from;    // first character drawn
  bool selected;   // marked line or selected part
};
// Asks the owner to draw a piece of a row; true when it did.
bool owner_draw(EditorRecord* rec, HDC dc, const OwnerPiece& piece);

// Command 0x99B.
LRESULT cmd_measure_all(EditorRecord* rec);

}  // namespace ked
