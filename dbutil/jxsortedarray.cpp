#include "dbutil/jxsortedarray.h"

#include "dbutil/jxsort.h"

JxSortedArray::~JxSortedArray() {}

int JxSortedArray::findIndexOf(const JxObject* element, unsigned short& index) const {
  index = 0;
  if (getCount() == 0 || element->compare(at(0)) < 0) return 0;
  int lo = 0, hi = getCount() - 1, mid = 0, r = 0;
  while (lo <= hi) {
    mid = (lo + hi) / 2;
    r = element->compare(at(static_cast<unsigned short>(mid)));
    if (r > 0)
      lo = mid + 1;
    else if (r < 0)
      hi = mid - 1;
    else {
      index = static_cast<unsigned short>(mid);
      return 1;
    }
  }
  index = static_cast<unsigned short>(r > 0 ? mid + 1 : mid);
  return 0;
}

unsigned short JxSortedArray::findIndexOfLastKey(const JxObject* element, unsigned short from) const {
  while (from < getCount() && element->compare(at(from)) == 0) ++from;
  return from;
}

int JxSortedArray::seqFindIndexOf(const JxObject* element, unsigned short& index) const {
  for (index = 0; index < getCount(); ++index)
    if (element->compare(at(index)) == 0) return 1;
  return 0;
}

JxStatus JxSortedArray::add(JxObject* element) {
  if (getCount() == 0 || (flags_ & (UNORDERED | UNORDERED_HELD))) return addAtIndex(element, getCount());
  unsigned short index;
  if (findIndexOf(element, index)) index = findIndexOfLastKey(element, index);
  return addAtIndex(element, index);
}

JxStatus JxSortedArray::resort() {
  flags_ &= ~UNORDERED;
  // The element pointers are the records; the objects' compare decides.
  JxSort sort(sizeof(JxObject*));
  if (sort.addKey(JxSort::OBJECT, 0, sizeof(JxObject*))) return 1;
  sort.setBuf(getCount(), storage());
  return sort.sortBuf();
}

JxSortedArrayU32::~JxSortedArrayU32() {}

int JxSortedArrayU32::findIndexOf(unsigned long value, unsigned short& index) const {
  index = 0;
  if (getCount() == 0 || value < getValue(0)) return 0;
  int lo = 0, hi = getCount() - 1, mid = 0;
  bool greater = false;
  while (lo <= hi) {
    mid = (lo + hi) / 2;
    unsigned long v = getValue(static_cast<unsigned short>(mid));
    greater = value > v;
    if (greater)
      lo = mid + 1;
    else if (value < v)
      hi = mid - 1;
    else {
      index = static_cast<unsigned short>(mid);
      return 1;
    }
  }
  index = static_cast<unsigned short>(greater ? mid + 1 : mid);
  return 0;
}

unsigned short JxSortedArrayU32::findIndexOfLastKey(unsigned long value, unsigned short from) const {
  while (from < getCount() && getValue(from) == value) ++from;
  return from;
}

JxStatus JxSortedArrayU32::add(unsigned long value) {
  unsigned short index;
  if (findIndexOf(value, index)) index = findIndexOfLastKey(value, index);
  return addValueAtIndex(value, index);
}
