// JxPTree: a JxTree whose keys are positions in a sequence (row positions in a view).
// addAtPos and deleteKeyAtPos move every later position up or down by one, and
// addHoleAtPos opens a gap, in time proportional to the height of the tree: keys are
// stored relative to the base of their node (the root's base is 0, child i >= 1 of a
// node has the node's base plus its key i-1), so changing one key moves the whole
// subtree to its right. The inherited operations work on positions without moving any
// other entry.
//
// Positions run up to 0xFFFFFFFF: a shift that would carry one past it is refused.
#pragma once

#include "dbutil/jxtree.h"

class JXUTL04_API JxPTree : public JxTree {
 public:
  explicit JxPTree(unsigned short dataLength);
  ~JxPTree() override;

  JxStatus addAtPos(uint32_t position, const void* data);
  JxStatus addHoleAtPos(uint32_t position);
  // found 0 when the position held nothing (the later entries still move down).
  JxStatus deleteKeyAtPos(uint32_t position, unsigned int* found);

  // The inherited operations by position.
  using JxTree::add;
  using JxTree::changeData;
  using JxTree::deleteKey;
  using JxTree::doesExist;
  using JxTree::getData;
  JxStatus add(uint32_t position, const void* data, unsigned int* found) {
    return JxTree::add(&position, data, found);
  }
  JxStatus deleteKey(uint32_t position, unsigned int* found) { return JxTree::deleteKey(&position, found); }
  JxStatus getData(uint32_t position, void* data, unsigned int* found) {
    return JxTree::getData(&position, data, found);
  }
  JxStatus changeData(uint32_t position, const void* data) { return JxTree::changeData(&position, data); }
  JxStatus doesExist(uint32_t position, unsigned int* found) { return JxTree::doesExist(&position, found); }

 protected:
  JxStatus treeSearch(const void* key, uint32_t& nodePosition, unsigned short& index,
                      unsigned int& found) override;

 private:
  // 1 with a message when an entry at or after position already stands at the top.
  JxStatus checkRoom(uint32_t position);

  uint32_t adding_;
  uint32_t deleting_;
};
