// BlockArrayWithFreeList: a BlockArray whose unused elements form a free list.
//
// The free list is a chain of runs. The head names the first element of a run; that
// element's run field counts the free elements that follow it in the same run, and the
// last element of a run holds the index of the next run's head (kNoMoreFree ends it).
// A new block is one run: its first element's run = length - 1, its last element's next
// = the old head, and the head becomes the block's first index.
//
// T provides: isUsed(), isFree(), markUsed(), markFree(), next()/setNext(), run()/setRun().
#pragma once

#include <vector>

#include "utils/blockarray.h"
#include "utils/xexception.h"

template <class T>
class BlockArrayWithFreeList : public BlockArray<T> {
 public:
  static const unsigned kNoMoreFree = 0xFFFFFFFFu;

  explicit BlockArrayWithFreeList(unsigned blockSize = 32)
      : BlockArray<T>(blockSize, blockSize), firstFree_(kNoMoreFree) {}

  unsigned firstFree() const { return firstFree_; }

  unsigned more() override {
    unsigned first = this->count();
    unsigned b = BlockArray<T>::more();
    unsigned len = this->count() - first;
    (void)b;
    (*this)[first].setRun(len - 1);
    (*this)[first + len - 1].setNext(firstFree_);
    firstFree_ = first;
    return b;
  }

  // Takes the head of the free list (adding a block when the list is empty), marks it
  // used and answers it; *index gets its index.
  T& nextFree(unsigned* index) {
    if (this->blocks() == 0 || firstFree_ == kNoMoreFree) more();
    if (firstFree_ == kNoMoreFree || firstFree_ >= this->count())
      utilsAssert("firstFree != kNoMoreFree && firstFree < count()", "w:\\source\\utils/bawfreel.cc", 55);
    unsigned a = firstFree_;
    T& item = (*this)[a];
    unsigned run = item.run();
    if (run != 0) {
      if (a + 1 >= this->count()) utilsAssert("firstFree < count()", "w:\\source\\utils/bawfreel.cc", 62);
      firstFree_ = a + 1;
      (*this)[a + 1].setRun(run - 1);
    } else {
      firstFree_ = item.next();
    }
    if (!item.isFree()) utilsAssert("item.isFree()", "w:\\source\\utils/bawfreel.cc", 90);
    item.markUsed();
    item.setRun(0);
    item.setNext(0);
    if (index) *index = a;
    return item;
  }

  // Gives element i back: it becomes the head of the list, a run of one.
  void setFree(unsigned i) {
    if (i >= this->count()) utilsAssert("index < count()", "w:\\source\\utils/bawfreel.cc", 100);
    T& item = (*this)[i];
    if (!item.isUsed()) utilsAssert("item.isUsed()", "w:\\source\\utils/bawfreel.cc", 102);
    item.markFree();
    item.setNext(firstFree_);
    item.setRun(0);
    firstFree_ = i;
  }

  // For data read back: null when the free list is sound (every index in range, every
  // listed element free, no element listed twice), else what is wrong.
  const char* checkFreeList() {
    unsigned n = this->count();
    std::vector<bool> seen(n, false);
    unsigned a = firstFree_;
    while (a != kNoMoreFree) {
      if (a >= n) return "free-list index out of range";
      unsigned run = (*this)[a].run();
      if (run >= n - a) return "free run out of range";
      for (unsigned k = a; k <= a + run; ++k) {
        if (seen[k]) return "free list loops";
        if (!(*this)[k].isFree()) return "free list names an element in use";
        seen[k] = true;
      }
      a = (*this)[a + run].next();
    }
    return nullptr;
  }

 protected:
  void setFirstFree(unsigned head) { firstFree_ = head; }

 private:
  unsigned firstFree_;
};
