#include "dbutil/jxarray.h"

#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "dbutil/utl_messages.h"

#include <string.h>

JxArray::~JxArray() { ramFree(storage_); }

JxStatus JxArray::setInitialSize(unsigned short n) {
  if (n > MAX_ELEMENTS) {
    utlErrorById(MSG_ARRAY_LIMIT);
    return 1;
  }
  JxObject** s = static_cast<JxObject**>(ramAllocZ(n * sizeof(JxObject*)));
  if (!s) return 1;
  ramFree(storage_);
  storage_ = s;
  capacity_ = n;
  count_ = 0;
  return 0;
}

JxStatus JxArray::increaseSize(unsigned short step, unsigned int keep, unsigned int clamp) {
  unsigned int wanted = step ? capacity_ + step : 2u * capacity_;
  if (wanted <= capacity_) wanted = capacity_ + 16;  // doubling nothing
  if (wanted > MAX_ELEMENTS) {
    if (!clamp || capacity_ >= MAX_ELEMENTS) {
      utlErrorById(MSG_ARRAY_LIMIT);
      return 1;
    }
    wanted = MAX_ELEMENTS;
  }
  // The new storage comes first, so that a failure leaves the old one in place.
  JxObject** s = static_cast<JxObject**>(ramAllocZ(wanted * sizeof(JxObject*)));
  if (!s) return 1;
  if (keep) {
    if (capacity_) memcpy(s, storage_, capacity_ * sizeof(JxObject*));
  } else {
    count_ = 0;
  }
  ramFree(storage_);
  storage_ = s;
  capacity_ = static_cast<unsigned short>(wanted);
  return 0;
}

JxStatus JxArray::addAtIndex(JxObject* element, unsigned short index) {
  if (count_ >= capacity_ && increaseSize(step_, 1, 1)) return 1;
  if (index > count_) index = count_;
  memmove(storage_ + index + 1, storage_ + index, (count_ - index) * sizeof(JxObject*));
  storage_[index] = element;
  ++count_;
  return 0;
}

void JxArray::removeAtIndex(unsigned short index) {
  if (index >= count_) return;
  memmove(storage_ + index, storage_ + index + 1, (count_ - index - 1) * sizeof(JxObject*));
  storage_[--count_] = nullptr;
}

void JxArray::deleteAtIndex(unsigned short index) {
  if (index >= count_) return;
  delete storage_[index];
  removeAtIndex(index);
}

void JxArray::deleteContents() {
  for (unsigned short i = 0; i < count_; ++i) {
    delete storage_[i];
    storage_[i] = nullptr;
  }
  count_ = 0;
}

JxStatus JxArray::shrink(unsigned short n) {
  if (n == 0) {
    ramFree(storage_);
    storage_ = nullptr;
  } else {
    if (n > MAX_ELEMENTS) {
      utlErrorById(MSG_ARRAY_LIMIT);
      return 1;
    }
    void* p = storage_;
    if (ramResize(&p, n * sizeof(JxObject*))) return 1;
    storage_ = static_cast<JxObject**>(p);
    for (unsigned short i = capacity_; i < n; ++i) storage_[i] = nullptr;
  }
  capacity_ = count_ = n;
  return 0;
}

int JxArray::doesExist(const JxObject* element) const {
  for (unsigned short i = 0; i < count_; ++i)
    if (storage_[i] == element) return 1;
  return 0;
}

JxArrayPVoid::~JxArrayPVoid() {}

void JxArrayPVoid::deleteAtIndex(unsigned short index) {
  if (index >= getCount()) return;
  ramFree(at(index));
  removeAtIndex(index);
}

void JxArrayPVoid::deleteContents() {
  while (getCount()) ramFree(removeLast());
}

JxArrayU32::~JxArrayU32() {}

void JxArrayU32::deleteContents() {
  while (getCount()) removeLast();
}

JxArrayS32::~JxArrayS32() {}

void JxArrayS32::deleteContents() {
  while (getCount()) removeLast();
}

JxBitArray::~JxBitArray() { ramFree(bits_); }

JxStatus JxBitArray::initialize(uint32_t n) {
  unsigned char* b = static_cast<unsigned char*>(ramAllocZ(n / 8 + 1));
  if (!b) return 1;
  ramFree(bits_);
  bits_ = b;
  size_ = n;
  return 0;
}
