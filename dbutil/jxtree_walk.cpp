// JxTree traversal and JxTreeIterator. On the path every level but the top holds the
// child slot taken; the top holds the key the iterator stands on (POSITIONED), or the
// gap a search ended in, or one of the marks BEFORE_FIRST / AFTER_LAST at the root.
// In positional mode the iterator's total is the base of the node on top.
#include "dbutil/jxtree.h"

#include <string.h>

namespace {
const uint32_t AFTER_LAST = 0xFFFE;
}

JxTreeIterator::~JxTreeIterator() {}

JxStatus JxTreeIterator::initialize(JxTree* tree) {
  tree_ = tree;
  if (nodes_.getCapacity() >= 32) return 0;
  return nodes_.setInitialSize(32) || indices_.setInitialSize(32) ? 1 : 0;
}

JxStatus JxTreeIterator::push(uint32_t node, uint32_t index) {
  if (nodes_.addValue(node)) return 1;
  if (indices_.addValue(index)) {
    nodes_.removeLast();
    return 1;
  }
  return 0;
}

void JxTreeIterator::clearPath() {
  while (nodes_.getCount()) pop();
}

void JxTreeIterator::setTopIndex(uint32_t i) {
  unsigned short top = static_cast<unsigned short>(depth() - 1);
  indices_.removeAtIndex(top);
  indices_.addValueAtIndex(i, top);  // the slot just freed: cannot fail
}

JxStatus JxTree::getFirst(void* key, void* data, unsigned int* found, JxTreeIterator* it) {
  return getFirstOrLast(key, data, found, it, 1);
}

JxStatus JxTree::getLast(void* key, void* data, unsigned int* found, JxTreeIterator* it) {
  return getFirstOrLast(key, data, found, it, 0);
}

JxStatus JxTree::getNext(void* key, void* data, unsigned int* found, JxTreeIterator* it) {
  return step(it ? it : &own_, 1, key, data, found);
}

JxStatus JxTree::getPrevious(void* key, void* data, unsigned int* found, JxTreeIterator* it) {
  return step(it ? it : &own_, 0, key, data, found);
}

JxStatus JxTree::getFirstOrLast(void* key, void* data, unsigned int* found, JxTreeIterator* it, int first) {
  if (!it) it = &own_;
  *found = 0;
  if (it->tree_ != this && it->initialize(this)) return 1;
  it->clearPath();
  it->total_ = 0;
  it->flags_ = 0;
  if (!keyCount_ || !root_) return 0;
  if (descend(it, root_, first)) return 1;
  it->flags_ |= JxTreeIterator::POSITIONED;
  const char* p = nodePointer(it->topNode(), 0);
  if (!p) return 1;
  if (isMarked(p, it->topIndex())) return step(it, first, key, data, found);
  return deliver(it, key, data, found);
}

// Pushes node and goes down its first (last) children to a leaf, whose first (last) key
// ends on top.
JxStatus JxTree::descend(JxTreeIterator* it, uint32_t node, int leftmost) {
  for (;;) {
    const char* p = nodePointer(node, 0);
    if (!p) return 1;
    uint16_t n = slotCount(p);
    uint32_t next = child(p, leftmost ? 0 : n - 1u);
    uint32_t index = leftmost ? 0 : next ? n - 1u : n - 2u;
    if (next && index >= 1 && isPositional()) it->total_ += u32KeyAt(p, index - 1);
    if (it->push(node, index)) return 1;
    if (!next) return 0;
    node = next;
  }
}

// Goes up from the top node until a key lies beyond the child slot taken; none left:
// the iterator stands after the last (before the first) key.
JxStatus JxTree::climb(JxTreeIterator* it, int forward, unsigned int* more) {
  *more = 0;
  for (;;) {
    unsigned short d = it->depth();
    if (d >= 2 && isPositional()) {
      uint32_t j = it->indexAt(static_cast<unsigned short>(d - 2));
      if (j >= 1) {
        const char* parent = nodePointer(it->nodeAt(static_cast<unsigned short>(d - 2)), 0);
        if (!parent) return 1;
        it->total_ -= u32KeyAt(parent, j - 1);
      }
    }
    it->pop();
    if (!it->depth()) break;
    const char* p = nodePointer(it->topNode(), 0);
    if (!p) return 1;
    uint32_t j = it->topIndex();
    if (forward && j + 1 < slotCount(p)) {
      *more = 1;  // key j, right of the child we came from
      return 0;
    }
    if (!forward && j >= 1) {
      it->setTopIndex(j - 1);
      *more = 1;
      return 0;
    }
  }
  it->total_ = 0;
  it->flags_ &= ~JxTreeIterator::POSITIONED;
  return it->push(root_, forward ? AFTER_LAST : uint32_t(JxTreeIterator::BEFORE_FIRST));
}

JxStatus JxTree::step(JxTreeIterator* it, int forward, void* key, void* data, unsigned int* found) {
  *found = 0;
  if (it->tree_ != this && it->initialize(this)) return 1;
  for (;;) {
    if (!it->depth()) return getFirstOrLast(key, data, found, it, forward);
    uint32_t i = it->topIndex();
    if (i == JxTreeIterator::BEFORE_FIRST) return forward ? getFirstOrLast(key, data, found, it, 1) : 0;
    if (i == AFTER_LAST) return forward ? 0 : getFirstOrLast(key, data, found, it, 0);
    const char* p = nodePointer(it->topNode(), 0);
    if (!p) return 1;
    uint16_t n = slotCount(p);
    int positioned = (it->flags_ & JxTreeIterator::POSITIONED) != 0;
    uint32_t down = forward ? (positioned ? i + 1 : i) : i;  // the child to go into
    uint32_t below = child(p, down);
    if (below) {
      if (forward) it->setTopIndex(down);
      if (down >= 1 && isPositional()) it->total_ += u32KeyAt(p, down - 1);
      if (descend(it, below, forward)) return 1;
    } else if (forward && down < n - 1u) {
      it->setTopIndex(down);
    } else if (!forward && i >= 1) {
      it->setTopIndex(i - 1);
    } else {
      unsigned int more;
      if (climb(it, forward, &more)) return 1;
      if (!more) return 0;
    }
    it->flags_ |= JxTreeIterator::POSITIONED;
    p = nodePointer(it->topNode(), 0);
    if (!p) return 1;
    if (!isMarked(p, it->topIndex())) return deliver(it, key, data, found);
  }
}

JxStatus JxTree::deliver(JxTreeIterator* it, void* key, void* data, unsigned int* found) {
  const char* p = nodePointer(it->topNode(), 0);
  if (!p) return 1;
  const char* at = keyAt(p, it->topIndex());
  if (key) {
    if (isPositional()) {
      uint32_t v = u32KeyAt(p, it->topIndex()) + static_cast<uint32_t>(it->total_);
      memcpy(key, &v, 4);
    } else {
      memcpy(key, at, keyLength_);
    }
  }
  if (data && dataLength_) memcpy(data, at + keyLength_, dataLength_);
  *found = 1;
  return 0;
}
