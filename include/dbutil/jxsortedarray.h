// Arrays kept in ascending order by binary insertion. Equal elements keep the order in
// which they were added.
#pragma once

#include "dbutil/jxarray.h"

class JXUTL04_API JxSortedArray : public JxArray {
 public:
  enum { UNORDERED = 1, UNORDERED_HELD = 2 };  // while set, additions are appended

  JxSortedArray() : flags_(0) {}
  ~JxSortedArray() override;

  JxStatus add(JxObject* element);
  // 1 when an element compares equal; index = where it is, or where it would go.
  int findIndexOf(const JxObject* element, unsigned short& index) const;
  // Linear scan from index 0 for the first element that compares equal.
  int seqFindIndexOf(const JxObject* element, unsigned short& index) const;
  // Sorts the elements again with the sort engine (equal elements may change places)
  // and clears flag bit 0.
  JxStatus resort();

  unsigned short getFlags() const { return flags_; }
  void setFlags(unsigned short flags) { flags_ = flags; }

 protected:
  // The first index from `from` on that no longer compares equal.
  unsigned short findIndexOfLastKey(const JxObject* element, unsigned short from) const;

 private:
  unsigned short flags_;
};

class JXUTL04_API JxSortedArrayU32 : public JxArrayU32 {
 public:
  ~JxSortedArrayU32() override;
  JxStatus add(unsigned long value);
  int findIndexOf(unsigned long value, unsigned short& index) const;

 protected:
  unsigned short findIndexOfLastKey(unsigned long value, unsigned short from) const;
};
