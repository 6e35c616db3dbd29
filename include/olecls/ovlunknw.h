// OvlUnknown<T>: holds one OLE interface pointer and releases it when destroyed. Not
// copyable: the pointer is its holder's identity. Using an empty holder through -> is an
// assertion ("rep").
#pragma once

#include "utils/xexception.h"

template <class T>
class OvlUnknown {
 public:
  OvlUnknown() : rep_(nullptr) {}
  // Takes over a reference the caller already holds.
  explicit OvlUnknown(T* p) : rep_(p) {}
  ~OvlUnknown() { reset(); }
  OvlUnknown(const OvlUnknown&) = delete;
  OvlUnknown& operator=(const OvlUnknown&) = delete;

  T* operator->() const {
    if (!rep_) utilsAssert("rep", "w:\\source\\olecls/ovlunknw", 66);
    return rep_;
  }
  T* get() const { return rep_; }
  bool is() const { return rep_ != nullptr; }
  explicit operator bool() const { return is(); }

  // Releases the held pointer and takes p (already referenced) instead.
  void reset(T* p = nullptr) {
    if (rep_) rep_->Release();
    rep_ = p;
  }
  // For OLE calls that return a new reference: releases the old one first.
  T** receive() {
    reset();
    return &rep_;
  }

 private:
  T* rep_;
};
