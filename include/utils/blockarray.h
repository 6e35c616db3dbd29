// BlockArray: a growable array of small (4-byte) elements kept in blocks that never
// move, so element addresses stay valid as the array grows. The first block has its own
// size; every later block holds blockSize elements. New blocks are zero-filled.
//
// Handle: a one-word object handed out from one process-wide BlockArray<Handle>
// (blocks of 1024); handles are never given back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "utils/ovutil_api.h"
#include "utils/xexception.h"

template <class T>
class BlockArray {
  static_assert(std::is_trivially_copyable<T>::value, "elements are copied as raw words");

 public:
  typedef void (*IterFn)(T& element, void* arg);
  typedef int (*CondFn)(T& element, void* arg);

  BlockArray(unsigned blockSize, unsigned firstSize)
      : blockSize_(blockSize), firstSize_(firstSize), nblocks_(0), blocks_(nullptr) {}
  BlockArray(const BlockArray&) = delete;
  BlockArray& operator=(const BlockArray&) = delete;
  virtual ~BlockArray() {
    for (unsigned i = 0; i < nblocks_; ++i) delete[] reinterpret_cast<unsigned char*>(blocks_[i]);
    delete[] blocks_;
  }

  unsigned count() const { return nblocks_ ? (nblocks_ - 1) * blockSize_ + firstSize_ : 0; }

  // Adds one block; answers its index.
  virtual unsigned more() {
    T** grown = new T*[nblocks_ + 1];
    if (nblocks_) memcpy(grown, blocks_, nblocks_ * sizeof *grown);
    unsigned size = nblocks_ ? blockSize_ : firstSize_;
    unsigned char* raw = new unsigned char[size * sizeof(T)]();
    grown[nblocks_] = reinterpret_cast<T*>(raw);
    delete[] blocks_;
    blocks_ = grown;
    return nblocks_++;
  }

  unsigned ensureCount(unsigned n) {
    while (count() < n) more();
    return count();
  }

  // Unchecked: i < count().
  T& operator[](unsigned i) {
    if (i < firstSize_) return blocks_[0][i];
    i -= firstSize_;
    return blocks_[i / blockSize_ + 1][i % blockSize_];
  }

  // fn on every element in [lb, ub), or in [0, count()) when all is non-zero.
  void forEach(IterFn fn, void* arg, int all = 1, unsigned lb = 0, unsigned ub = 0) {
    if (all) {
      lb = 0;
      ub = count();
    } else if (ub > count()) {
      utilsAssert("ub <= count()", "w:\\source\\utils/blockary.cc", 72);
    }
    for (unsigned i = lb; i < ub; ++i) fn((*this)[i], arg);
  }

  // The first element in the same range for which fn answers non-zero, or null.
  T* firstThat(CondFn fn, void* arg, int all = 1, unsigned lb = 0, unsigned ub = 0) {
    if (all) {
      lb = 0;
      ub = count();
    } else if (ub > count()) {
      utilsAssert("ub <= count()", "w:\\source\\utils/blockary.cc", 133);
    }
    for (unsigned i = lb; i < ub; ++i)
      if (fn((*this)[i], arg)) return &(*this)[i];
    return nullptr;
  }

 protected:
  // Only before the first block: a first block sized to what is read back.
  void setFirstSize(unsigned n) {
    if (nblocks_ != 0) utilsAssert("nBlocks == 0", "w:\\source\\utils/blockary.cc", 40);
    firstSize_ = n;
  }
  unsigned blockSize() const { return blockSize_; }
  unsigned firstSize() const { return firstSize_; }
  unsigned blocks() const { return nblocks_; }

 private:
  unsigned blockSize_;
  unsigned firstSize_;
  unsigned nblocks_;
  T** blocks_;
};

class OVUTIL_API Handle {
 public:
  explicit Handle(uint32_t value) : value_(value) {}
  uint32_t value() const { return value_; }

  // The next free slot of the global array (grown by a block when full).
  static void* operator new(size_t size);
  static void operator delete(void*) {}  // slots are never given back
  // Adds 1 to *slots for every slot of the global array and 1 to *live for every
  // non-zero one; either pointer may be null.
  static void Query(int* slots, int* live);

 private:
  uint32_t value_;
};
