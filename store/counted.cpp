// CountedObject: strong and weak counts.
#include "store/counted.h"

#include "store/storeexcept.h"
#include "utils/xexception.h"

CountedObject::~CountedObject() {}

void CountedObject::drop() {}

void CountedObject::ref() {
  if (count_ >= kMaxCount)
    throw StoreException("Too many references to one object: at most 32767 may hold it.");
  ++count_;
}

void CountedObject::unref() {
  if (!(count_ > 0)) utilsAssert("count>0", __FILE__, __LINE__);
  if (--count_ == 0) finish();
}

void CountedObject::weakRef() {
  UTILS_ASSERT(weak_ < 32767);
  ++weak_;
}

void CountedObject::weakUnref() {
  if (!(weak_ > 0)) utilsAssert("weak>0", __FILE__, __LINE__);
  // Only a husk whose strong count already ran out goes here; an object dropped early
  // (markDropped) still belongs to its counted references.
  if (--weak_ == 0 && finished_) delete this;
}

// The strong count reached 0: let the object let go of what it holds, then free it
// unless weak references still need to see it as dropped.
void CountedObject::finish() {
  dropped_ = 1;
  finished_ = 1;
  // drop() may take and give back counts of its own (a temporary reference to itself);
  // hold one weak count so that cannot free the object under us.
  ++weak_;
  drop();
  if (--weak_ == 0) delete this;
}
