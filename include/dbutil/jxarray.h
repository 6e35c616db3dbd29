// JxArray: a growable array of object pointers with at most 16000 elements, and its
// typed variants. The array owns its elements only through deleteContents and
// deleteAtIndex. Growth past 16000 fails with message 2722 and leaves the array as it
// was.
#pragma once

#include "dbutil/jxobject.h"

class JXUTL04_API JxArray : public JxObject {
 public:
  enum { MAX_ELEMENTS = 16000 };

  JxArray() : storage_(nullptr), capacity_(0), count_(0), step_(16) {}
  ~JxArray() override;  // frees the storage, not the elements

  JxStatus setInitialSize(unsigned short n);
  // Grows by the growth step when full (clamped at the limit); an index past the
  // count appends.
  JxStatus addAtIndex(JxObject* element, unsigned short index);
  JxStatus add(JxObject* element) { return addAtIndex(element, count_); }
  void removeAtIndex(unsigned short index);
  void deleteAtIndex(unsigned short index);
  void deleteContents();
  // Capacity and count become n; 0 frees the storage.
  JxStatus shrink(unsigned short n);
  int doesExist(const JxObject* element) const;

  JxObject* at(unsigned short index) const { return storage_[index]; }
  JxObject* operator[](unsigned short index) const { return storage_[index]; }
  unsigned short getCount() const { return count_; }
  unsigned short getCapacity() const { return capacity_; }
  unsigned short getGrowthStep() const { return step_; }
  void setGrowthStep(unsigned short step) { step_ = step; }
  // Where the capacity is known to suffice.
  void appendNoCheck(JxObject* element) { storage_[count_++] = element; }
  JxObject* removeLast() {
    if (!count_) return nullptr;
    JxObject* e = storage_[--count_];
    storage_[count_] = nullptr;
    return e;
  }

 protected:
  // New capacity = capacity + step, or twice it for step 0. keep: the elements move to
  // the new storage; otherwise it starts all null. clamp: growth past the limit stops
  // at 16000 once.
  JxStatus increaseSize(unsigned short step, unsigned int keep, unsigned int clamp);
  JxObject** storage() const { return storage_; }
  void setAt(unsigned short index, JxObject* element) { storage_[index] = element; }

 private:
  friend class JxSet;
  JxObject** storage_;
  unsigned short capacity_;
  unsigned short count_;
  unsigned short step_;
};

// Plain memory blocks from ramAlloc; deleting frees them with ramFree.
class JXUTL04_API JxArrayPVoid : public JxArray {
 public:
  ~JxArrayPVoid() override;
  JxStatus addPtr(void* block) { return add(static_cast<JxObject*>(block)); }
  void* getPtr(unsigned short index) const { return at(index); }
  void deleteAtIndex(unsigned short index);
  void deleteContents();
};

// Values in the pointer slots. Deleting only removes: there is nothing to free.
class JXUTL04_API JxArrayU32 : public JxArray {
 public:
  ~JxArrayU32() override;
  JxStatus addValue(unsigned long v) { return addAtIndex(toSlot(v), getCount()); }
  JxStatus addValueAtIndex(unsigned long v, unsigned short index) { return addAtIndex(toSlot(v), index); }
  unsigned long getValue(unsigned short index) const {
    return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(at(index)));
  }
  void setValue(unsigned short index, unsigned long v) { setAt(index, toSlot(v)); }
  void deleteAtIndex(unsigned short index) { removeAtIndex(index); }
  void deleteContents();

 protected:
  static JxObject* toSlot(unsigned long v) { return reinterpret_cast<JxObject*>(static_cast<uintptr_t>(v)); }
};

class JXUTL04_API JxArrayS32 : public JxArray {
 public:
  ~JxArrayS32() override;
  JxStatus addValue(long v) { return add(toSlot(v)); }
  long getValue(unsigned short index) const {
    return static_cast<long>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(at(index))));
  }
  void deleteAtIndex(unsigned short index) { removeAtIndex(index); }
  void deleteContents();

 private:
  static JxObject* toSlot(long v) {
    return reinterpret_cast<JxObject*>(static_cast<uintptr_t>(static_cast<uint32_t>(v)));
  }
};

// One block of bits.
class JXUTL04_API JxBitArray : public JxObject {
 public:
  JxBitArray() : bits_(nullptr), size_(0) {}
  ~JxBitArray() override;
  // n bits, all clear.
  JxStatus initialize(uint32_t n);
  void setBit(uint32_t i) {
    if (i < size_) bits_[i >> 3] |= static_cast<unsigned char>(1u << (i & 7));
  }
  void clearBit(uint32_t i) {
    if (i < size_) bits_[i >> 3] &= static_cast<unsigned char>(~(1u << (i & 7)));
  }
  int testBit(uint32_t i) const { return i < size_ && (bits_[i >> 3] >> (i & 7)) & 1; }
  uint32_t getSize() const { return size_; }

 private:
  unsigned char* bits_;
  uint32_t size_;
};
