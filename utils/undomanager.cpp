// The undo history.
#include "utils/undomanager.h"

#include "utils/allocator.h"

UndoInfo::~UndoInfo() {}

// The list's links come from the pooled allocator; the item is owned through the link.
struct UndoManager::Link : RWIsvSlink, Allocator {
  explicit Link(UndoInfo* i) : info(i) {}
  UndoInfo* info;
};

UndoInfo* UndoManager::infoOf(RWIsvSlink* l) { return static_cast<Link*>(l)->info; }

UndoManager::UndoManager(short undoLimit, short redoLimit)
    : cursor_(0), undoLimit_(undoLimit), redoLimit_(redoLimit) {}

UndoManager::~UndoManager() {
  while (!items_.isEmpty()) destroyNewest();
}

UndoInfo* UndoManager::item(size_t i) const {
  if (i >= items_.entries()) return nullptr;
  return infoOf(items_.at(i));
}

void UndoManager::destroyNewest() {
  Link* l = static_cast<Link*>(items_.removeAt(items_.entries() - 1));
  if (size_t(cursor_) > items_.entries()) cursor_ = short(items_.entries());
  UndoInfo* info = l->info;
  delete l;
  delete info;
}

void UndoManager::destroyOldest() {
  Link* l = static_cast<Link*>(items_.get());
  if (cursor_ > 0) --cursor_;
  UndoInfo* info = l->info;
  delete l;
  delete info;
}

void UndoManager::destroyRedoSide() {
  while (redoCount() > 0) destroyNewest();
}

void UndoManager::destroyAt(size_t i) {
  if (i >= items_.entries()) return;
  Link* l = static_cast<Link*>(items_.removeAt(i));
  if (i < size_t(cursor_)) --cursor_;
  UndoInfo* info = l->info;
  delete l;
  delete info;
}

void UndoManager::addItem(UndoInfo* item) {
  if (!item) return;
  for (size_t i = 0; i < items_.entries(); ++i)
    if (infoOf(items_.at(i)) == item) return;  // owning it twice would destroy it twice
  destroyRedoSide();
  items_.append(new Link(item));
  ++cursor_;
  while (items_.entries() > limitCount(undoLimit_)) destroyOldest();
}

void UndoManager::undo() {
  if (cursor_ <= 0) return;
  --cursor_;
  try {
    infoOf(items_.at(size_t(cursor_)))->undo();
  } catch (...) {
    ++cursor_;  // not taken back: it stays on the undo side
    throw;
  }
  while (redoCount() > limitCount(redoLimit_)) destroyNewest();
}

void UndoManager::redo() {
  if (size_t(cursor_) >= items_.entries()) return;
  infoOf(items_.at(size_t(cursor_)))->redo(0);
  ++cursor_;
}

const char* UndoManager::nextUndoDescription() {
  if (cursor_ <= 0) return "None";
  return infoOf(items_.at(size_t(cursor_) - 1))->description();
}

const char* UndoManager::nextRedoDescription() {
  if (size_t(cursor_) >= items_.entries()) return "None";
  return infoOf(items_.at(size_t(cursor_)))->description();
}

void UndoManager::setUndoLimit(short n) {
  undoLimit_ = n;
  if (n < redoLimit_) redoLimit_ = n;
  destroyRedoSide();
  while (items_.entries() > limitCount(n)) destroyOldest();
}

void UndoManager::setRedoLimit(short n) {
  redoLimit_ = n;
  while (redoCount() > limitCount(n)) destroyNewest();
}
