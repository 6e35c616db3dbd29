// JxSet: an open-addressing hash set. Home slot = (hash x 0x9E3779B9 mod 2^32) mod the
// table size; probing goes downward and wraps. The table is rebuilt when the count
// passes the load factor; it never grows past 16000 slots (message 2722).
#pragma once

#include "dbutil/jxarray.h"

class JXUTL04_API JxSet : public JxObject {
 public:
  enum { NO_SLOT = 0xFFFF, FIRST_EXPECTED = 9 };  // first table: 9 x 100 / 75 + 1 = 13

  JxSet();
  ~JxSet() override;  // frees the table, not the elements

  virtual unsigned long hashOf(const JxObject* element) const = 0;
  virtual int matches(const JxObject* element, const JxObject* other) const = 0;

  unsigned long getCount() const { return count_; }
  unsigned short getTableSize() const { return size_; }
  unsigned long getGreatestCount() const { return greatest_; }
  JxObject* slotAt(unsigned short slot) const { return slot < size_ ? table_.at(slot) : nullptr; }

 protected:
  JxStatus initialize(unsigned short expected);
  void reset();
  // The slot of an element matching it, else the empty slot where it would go;
  // NO_SLOT when the table has no slot to offer.
  unsigned short findSlot(const JxObject* element) const;
  // Adds, or replaces a matching element (handed back in *replaced, count unchanged).
  // *stored says whether the element went in: growth may fail after it did.
  JxStatus addElement(JxObject* element, JxObject** replaced, int* stored);
  JxStatus rebuild(unsigned long n);
  void clearSlot(unsigned short slot) { table_.setAt(slot, nullptr); }
  void setCount(unsigned long n) { count_ = n; }

  unsigned short flags_;  // bit 0: substring keys match without regard to case

 private:
  unsigned short sizeFor(unsigned long n) const;
  void place(JxObject* element);

  JxArray table_;
  unsigned long count_;
  unsigned short size_;
  unsigned long greatest_;
  unsigned short loadFactor_;  // percent
  unsigned short growth_;      // percent
};
