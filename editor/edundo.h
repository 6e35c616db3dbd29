// Undo state of one window: the ring of records and of saved text, and the grouping that
// the command wrapper puts around every editing or moving command. Writing and replaying
// records is the undo module's; this file holds the state and the group marks.
#pragma once

#include <stdint.h>

namespace ked {

struct EditorRecord;

constexpr int kUndoSlots = 64;
constexpr int kUndoTextRing = 4096;
enum UndoType : int32_t {
  UNDO_EMPTY = -1,
  UNDO_GROUPED = 0x100,  // type bit: grouped with the following record
};

struct UndoRecord {
  int32_t type;  // letter code in the low byte, UNDO_GROUPED, or UNDO_EMPTY
  int32_t line;
  int32_t column;
  int32_t textIndex;
  int32_t count;
  int32_t changed;
};

struct UndoState {
  UndoRecord slots[kUndoSlots];
  int32_t slotCount;
  int32_t current;    // -1 when nothing was recorded
  int32_t redoLimit;  // -1 when none
  int32_t groupOpen;
  char text[kUndoTextRing];
  int32_t textWrite;
  int32_t textFill;
};

UndoState* undo_create();  // null (after the memory box) on failure
void undo_free(UndoState* undo);

// Before a grouped command: for undo, remember where the redo chain ends unless the
// previous command was undo or redo; for any other command but redo, drop the records
// after the current one; every command but undo then opens a group.
void undo_begin_command(EditorRecord* rec, bool isUndo, bool isRedo, bool afterUndoOrRedo);
// After a grouped command other than undo: the group is closed on the state and on its
// newest record, so the command's records form one step.
void undo_end_command(EditorRecord* rec);

}  // namespace ked
