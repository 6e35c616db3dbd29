// RWPtrVector: a fixed-length array of untyped pointers.
#include "utils/rwptrvector.h"

#include <cstring>

#include "utils/rwxmsg.h"

RWPtrVector::RWPtrVector(size_t n, void* p) : npts_(n), array_(n ? new void*[n] : nullptr) {
  for (size_t i = 0; i < n; ++i) array_[i] = p;
}

RWPtrVector::RWPtrVector(const RWPtrVector& other)
    : npts_(other.npts_), array_(other.npts_ ? new void*[other.npts_] : nullptr) {
  if (npts_) memcpy(array_, other.array_, npts_ * sizeof *array_);
}

RWPtrVector::~RWPtrVector() { delete[] array_; }

RWPtrVector& RWPtrVector::operator=(const RWPtrVector& other) {
  if (array_ == other.array_) return *this;
  void** copy = other.npts_ ? new void*[other.npts_] : nullptr;
  if (other.npts_) memcpy(copy, other.array_, other.npts_ * sizeof *copy);
  delete[] array_;
  array_ = copy;
  npts_ = other.npts_;
  return *this;
}

RWPtrVector& RWPtrVector::operator=(void* p) {
  for (size_t i = 0; i < npts_; ++i) array_[i] = p;
  return *this;
}

void RWPtrVector::reshape(size_t n) {
  if (n == npts_) return;
  void** fresh = n ? new void*[n] : nullptr;
  size_t keep = n < npts_ ? n : npts_;
  if (keep) memcpy(fresh, array_, keep * sizeof *fresh);
  delete[] array_;
  array_ = fresh;
  npts_ = n;
}

void RWPtrVector::resize(size_t n) {
  size_t old = npts_;
  reshape(n);
  for (size_t i = old; i < n; ++i) array_[i] = nullptr;
}

void RWPtrVector::boundsCheck(size_t i) const {
  if (i >= npts_) throw RWBoundsErr(RWMessage(RWTOOL_INDEX, unsigned(i), unsigned(npts_ - 1)));
}
