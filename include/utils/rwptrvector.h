// A fixed-length array of untyped pointers with explicit resizing.
#pragma once

#include <cstddef>

#include "utils/ovutil_api.h"

class OVUTIL_API RWPtrVector {
 public:
  RWPtrVector() : npts_(0), array_(nullptr) {}
  RWPtrVector(size_t n, void* p);
  RWPtrVector(const RWPtrVector& other);
  ~RWPtrVector();
  RWPtrVector& operator=(const RWPtrVector& other);
  RWPtrVector& operator=(void* p);  // every entry becomes p

  size_t length() const { return npts_; }
  void* const* data() const { return array_; }
  void*& operator[](size_t i) {
    boundsCheck(i);
    return array_[i];
  }
  void* operator[](size_t i) const {
    boundsCheck(i);
    return array_[i];
  }
  void*& operator()(size_t i) { return array_[i]; }  // unchecked
  void* operator()(size_t i) const { return array_[i]; }

  // n entries keeping the first min(old, n); new entries are undefined (reshape) or
  // null (resize).
  void reshape(size_t n);
  void resize(size_t n);
  // RWBoundsErr "[INDEX] Index (i) out of range [0->length - 1]" when i >= length.
  void boundsCheck(size_t i) const;

 private:
  size_t npts_;
  void** array_;
};
