// Undo state and the group marks the command wrapper sets around each command.
#include "edundo.h"

#include "edmem.h"
#include "edrecord.h"

namespace ked {

UndoState* undo_create() {
  UndoState* undo = static_cast<UndoState*>(alloc_zeroed(sizeof(UndoState)));
  if (!undo) return nullptr;
  for (UndoRecord& slot : undo->slots) slot.type = UNDO_EMPTY;
  undo->slotCount = kUndoSlots;
  undo->current = -1;
  undo->redoLimit = -1;
  return undo;
}

void undo_free(UndoState* undo) { free_block(undo); }

namespace {

// After an undo, the records from the current one up to the redo limit are the redo
// chain; a new command makes them unreachable. (In a full ring the slot after the
// current one may hold the oldest record, so nothing is dropped without a limit.)
void drop_redo(UndoState* undo) {
  if (undo->redoLimit < 0) return;
  for (int i = undo->current; i != undo->redoLimit;) {
    i = (i + 1) % undo->slotCount;
    undo->slots[i].type = UNDO_EMPTY;
  }
  undo->redoLimit = -1;
}

}  // namespace

void undo_begin_command(EditorRecord* rec, bool isUndo, bool isRedo, bool afterUndoOrRedo) {
  UndoState* undo = rec->undo;
  if (!undo) return;
  if (isUndo) {
    if (!afterUndoOrRedo) undo->redoLimit = undo->current;
    return;
  }
  if (!isRedo) drop_redo(undo);
  undo->groupOpen = 1;
}

void undo_end_command(EditorRecord* rec) {
  UndoState* undo = rec->undo;
  if (!undo) return;
  undo->groupOpen = 0;
  if (undo->current >= 0 && undo->slots[undo->current].type != UNDO_EMPTY)
    undo->slots[undo->current].type &= ~UNDO_GROUPED;
}

}  // namespace ked
