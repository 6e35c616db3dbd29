// Faultp<T>: the store's counted reference to a CountedObject-derived T.
//
// A reference is a pointer and a kind byte:
//   tPrimaryReference            the owner's counted reference (strong count)
//   tIndirectReference           any other counted reference (strong count)
//   tUncountedIndirectReference  a weak reference: never keeps the object alive and reads
//                                as null (isNull) once the object was dropped
// Always test isNull() (or is()) before use.
//
// The layout is the pointer followed by the kind byte and nothing else, and no member
// points into the reference itself, so a Faultp is trivially relocatable: its bytes may
// be copied to other memory (after taking one more count for the copy, see rawAddRef)
// and the copy destroyed in place later.
//
// Streaming: write(OCLStream&) and read(OCLStream&, module) call the free functions
//   void FaultpStreamWrite(const T* p, unsigned char kind, OCLStream& s);
//   void FaultpStreamRead(OCLStream& s, unsigned char module, T*& p, unsigned char& kind);
// which the owner of T provides (the object model does for InterObjRep); they are only
// needed where write/read are used.
#pragma once

#include <cstdint>

#include "store/counted.h"

class OCLStream;

enum tReferenceType : unsigned char {
  tPrimaryReference = 0,
  tIndirectReference = 1,
  tUncountedIndirectReference = 2,
};

template <class T>
class Faultp {
 public:
  Faultp() : p_(nullptr), kind_(tIndirectReference) {}
  Faultp(T* p, unsigned char kind = tIndirectReference) : p_(p), kind_(kind) { take(); }
  Faultp(const Faultp& o) : p_(o.p_), kind_(o.kind_) { take(); }
  // A copy of another reference with a kind of its own.
  Faultp(const Faultp& o, unsigned char kind) : p_(o.p_), kind_(kind) { take(); }
  Faultp(Faultp&& o) noexcept : p_(o.p_), kind_(o.kind_) { o.p_ = nullptr; }
  ~Faultp() { drop(); }

  Faultp& operator=(const Faultp& o) {
    if (this != &o) {
      T* old = p_;
      unsigned char oldKind = kind_;
      p_ = o.p_;
      kind_ = o.kind_;
      take();
      give(old, oldKind);
    }
    return *this;
  }
  Faultp& operator=(Faultp&& o) noexcept {
    if (this != &o) {
      T* old = p_;
      unsigned char oldKind = kind_;
      p_ = o.p_;
      kind_ = o.kind_;
      o.p_ = nullptr;
      give(old, oldKind);
    }
    return *this;
  }
  // Points at p keeping this reference's kind.
  Faultp& operator=(T* p) {
    T* old = p_;
    p_ = p;
    take();
    give(old, kind_);
    return *this;
  }
  // Points at p with the given kind.
  void set(T* p, unsigned char kind) {
    T* old = p_;
    unsigned char oldKind = kind_;
    p_ = p;
    kind_ = kind;
    take();
    give(old, oldKind);
  }
  // Becomes null (keeps its kind).
  void clear() {
    T* old = p_;
    p_ = nullptr;
    give(old, kind_);
  }

  bool isNull() const { return !p_ || (kind_ == tUncountedIndirectReference && p_->isDropped()); }
  bool is() const { return !isNull(); }
  explicit operator bool() const { return is(); }

  // The object, or null when the reference is null (or its object was dropped).
  T* get() const { return isNull() ? nullptr : p_; }
  operator T*() const { return get(); }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  // The stored pointer even when the object was dropped (for comparisons and lists).
  T* raw() const { return p_; }

  unsigned char kind() const { return kind_; }
  bool isCounted() const { return kind_ != tUncountedIndirectReference; }

  bool operator==(const Faultp& o) const { return get() == o.get(); }
  bool operator!=(const Faultp& o) const { return get() != o.get(); }
  bool operator==(const T* p) const { return get() == p; }
  bool operator!=(const T* p) const { return get() != p; }

  // One more count for a raw byte copy of this reference made elsewhere; the copy is
  // later destroyed in place (std::destroy_at / ~Faultp) which gives the count back.
  void rawAddRef() const { take(); }

  void write(OCLStream& s) const { FaultpStreamWrite(static_cast<const T*>(get()), kind_, s); }
  void read(OCLStream& s, unsigned char module) {
    T* p = nullptr;
    unsigned char kind = tIndirectReference;
    FaultpStreamRead(s, module, p, kind);
    set(p, kind);
  }

 private:
  void take() const {
    if (!p_) return;
    if (kind_ == tUncountedIndirectReference)
      p_->weakRef();
    else
      p_->ref();
  }
  static void give(T* p, unsigned char kind) {
    if (!p) return;
    if (kind == tUncountedIndirectReference)
      p->weakUnref();
    else
      p->unref();
  }
  void drop() {
    T* old = p_;
    p_ = nullptr;
    give(old, kind_);
  }

  T* p_;
  unsigned char kind_;
};
