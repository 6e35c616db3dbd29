// CountedObject: base of everything the store shares by reference count.
//
// The strong count is a signed 16-bit number. New objects start at 0; the first counted
// reference (Faultp, ValuePtr, ValueList::ppush, a ValueCell) takes it to 1. A reference
// beyond kMaxCount is refused with a StoreException (strings copy their representation
// before that, see ValStringRep::Share). unref() asserts "count>0" (utilsAssert) and, when the count reaches
// 0, calls the virtual drop() and then frees the object unless weak (uncounted) references are still
// outstanding.
//
// Weak references: an uncounted reference (Faultp kind tUncountedIndirectReference) must
// never keep an object alive but must read as null once the object was dropped. It holds
// a weak count; a dropped object with weak references left stays allocated (as a husk
// answering isDropped()) until the last weak reference goes.
//
// Objects are allocated from ovutil's pooled allocator.
#pragma once

#include <cstdint>

#include "utils/allocator.h"
#include "store/ovstore_api.h"

class OVSTORE_API CountedObject : public Allocator {
 public:
  CountedObject() : count_(0), weak_(0), dropped_(0), finished_(0) {}
  // A copy is a new object: its counts start at 0.
  CountedObject(const CountedObject&) : count_(0), weak_(0), dropped_(0), finished_(0) {}
  CountedObject& operator=(const CountedObject&) { return *this; }
  virtual ~CountedObject();

  void ref();
  void unref();
  void addRef() { ref(); }
  void release() { unref(); }
  int16_t count() const { return count_; }
  enum : int16_t { kMaxCount = 32767 };
  bool countFull() const { return count_ >= kMaxCount; }

  void weakRef();
  void weakUnref();
  int16_t weakCount() const { return weak_; }
  bool isDropped() const { return dropped_ != 0; }

 protected:
  // Called once when the strong count reaches 0, before the memory may go. The object is
  // still whole; overrides detach what they own (default: nothing).
  virtual void drop();
  // Makes uncounted references read null now, while counted ones still hold the memory
  // (an object destroyed explicitly). drop() still runs when the strong count reaches 0.
  void markDropped() { dropped_ = 1; }

 private:
  void finish();

  int16_t count_;
  int16_t weak_;
  uint8_t dropped_;   // uncounted references read null
  uint8_t finished_;  // the strong count reached 0: the memory goes with the last weak one
};

// Hands a new reference to a caller that releases it ("results are counted values the
// caller releases"): returns p after p->ref(); null stays null.
template <class T>
inline T* CountedResult(T* p) {
  if (p) p->ref();
  return p;
}
