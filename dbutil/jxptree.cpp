// JxPTree: the positional search that shifts keys on its way down, and the three
// positional operations around JxTree's insertion and deletion.
#include "dbutil/jxptree.h"

#include "dbutil/jxerror.h"
#include "dbutil/utl_messages.h"

#include <string.h>

JxPTree::JxPTree(unsigned short dataLength)
    : JxTree(4, dataLength, treeU32Compare, 1), adding_(0), deleting_(0) {
  setPositional();
}

JxPTree::~JxPTree() {}

// Finds a position. While adding, every key from the search index on is raised by one at
// each level and the search always goes down to a leaf; while deleting, they are lowered
// (the found key included). The own iterator's total is the base of the node on top.
JxStatus JxPTree::treeSearch(const void* key, uint32_t& nodePosition, unsigned short& index,
                             unsigned int& found) {
  own_.clearPath();
  own_.total_ = 0;
  own_.flags_ = 0;
  found = 0;
  nodePosition = 0;
  index = 0;
  uint32_t target;
  memcpy(&target, key, 4);
  int shifting = adding_ || deleting_;
  unsigned short depth = 0;
  for (uint32_t pos = root_; pos;) {
    char* node = nodePointer(pos, shifting);
    if (!node) return 1;
    unsigned short i;
    int hit = nodeSearch(node, &target, i);
    uint32_t next = child(node, i);
    uint32_t base = i >= 1 ? u32KeyAt(node, i - 1u) : 0;
    if (shifting) {
      uint32_t keys = slotCount(node) - 1u;
      for (uint32_t k = i; k < keys; ++k) setU32KeyAt(node, k, u32KeyAt(node, k) + (adding_ ? 1 : -1));
    }
    if (own_.push(pos, i)) return 1;
    ++depth;
    nodePosition = pos;
    index = i;
    if (hit && !adding_) {
      noteFoundDepth(depth);
      found = 1;
      own_.flags_ |= JxTreeIterator::POSITIONED;
      return 0;
    }
    if (!next) return 0;
    target -= base;
    own_.total_ += static_cast<int32_t>(base);
    pos = next;
  }
  return 0;
}

// The greatest position held (marked entries included) is the last key of the rightmost
// leaf, plus the bases on the way down.
JxStatus JxPTree::checkRoom(uint32_t position) {
  uint32_t base = 0, last = 0;
  for (uint32_t pos = root_; pos;) {
    const char* node = nodePointer(pos, 0);
    if (!node) return 1;
    uint16_t n = slotCount(node);
    last = base + u32KeyAt(node, n - 2u);
    pos = child(node, n - 1u);
    base = last;
  }
  if (!root_ || last < position || last != 0xFFFFFFFFu) return 0;
  *utlErrorById(MSG_POSITION_OVERFLOW) << static_cast<unsigned long>(position);
  return 1;
}

JxStatus JxPTree::addAtPos(uint32_t position, const void* data) {
  if (checkRoom(position)) return 1;
  unsigned int found;
  adding_ = 1;
  JxStatus s = JxTree::add(&position, data, &found);
  adding_ = 0;
  return s;
}

JxStatus JxPTree::addHoleAtPos(uint32_t position) {
  if (checkRoom(position)) return 1;
  uint32_t node;
  unsigned short index;
  unsigned int found;
  adding_ = 1;
  JxStatus s = treeSearch(&position, node, index, found);
  adding_ = 0;
  own_.clearPath();
  return s;
}

JxStatus JxPTree::deleteKeyAtPos(uint32_t position, unsigned int* found) {
  deleting_ = 1;
  JxStatus s = JxTree::deleteKey(&position, found);
  deleting_ = 0;
  return s;
}
