// An editor's undo history: one list of actions with a cursor.
//
// Items before the cursor can be undone (newest first); items from the cursor on can be
// redone. The undo limit bounds the items kept in all, the redo limit the items kept
// after the cursor. The manager owns its items: every item added is destroyed exactly
// once, when it is trimmed by a limit, cut off by a new action, or with the manager.
// Limits are 16-bit and signed, as the tools hand them over; a negative limit keeps
// nothing.
#pragma once

#include <cstddef>

#include "utils/ovutil_api.h"
#include "utils/rwisvslist.h"

// One undoable action. Slot order: destructor, undo, redo, description.
class OVUTIL_API UndoInfo {
 public:
  virtual ~UndoInfo();
  virtual void undo() = 0;
  virtual void redo(int arg) = 0;         // the manager passes 0
  virtual const char* description() = 0;  // shown in menus
};

class OVUTIL_API UndoManager {
 public:
  UndoManager(short undoLimit, short redoLimit);
  virtual ~UndoManager();
  UndoManager(const UndoManager&) = delete;
  UndoManager& operator=(const UndoManager&) = delete;

  // Records an action that has just been done; the manager takes ownership. A null item,
  // or one the manager already holds, is ignored.
  void addItem(UndoInfo* item);
  void undo();  // nothing at cursor 0
  void redo();  // nothing at the end

  // The description of what undo or redo would use, or "None".
  const char* nextUndoDescription();
  const char* nextRedoDescription();

  void setUndoLimit(short n);
  void setRedoLimit(short n);

  short undoLimit() const { return undoLimit_; }
  short redoLimit() const { return redoLimit_; }
  short cursor() const { return cursor_; }
  size_t entries() const { return items_.entries(); }
  // The item at position i (oldest first), or null when i is out of range.
  UndoInfo* item(size_t i) const;

 protected:
  // Removes and destroys the item at i, keeping the cursor on the same neighbours.
  // Does nothing when i is out of range.
  void destroyAt(size_t i);

 private:
  struct Link;
  class Items : public RWIsvSlist {};

  static UndoInfo* infoOf(RWIsvSlink* l);
  size_t redoCount() const { return items_.entries() - size_t(cursor_); }
  static size_t limitCount(short n) { return n < 0 ? 0 : size_t(n); }
  void destroyNewest();
  void destroyOldest();
  void destroyRedoSide();

  Items items_;  // oldest first
  short cursor_;
  short undoLimit_;
  short redoLimit_;
};
