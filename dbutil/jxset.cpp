#include "dbutil/jxset.h"

#include "dbutil/jxerror.h"
#include "dbutil/utl_messages.h"

JxSet::JxSet() : flags_(0), count_(0), size_(0), greatest_(0), loadFactor_(75), growth_(25) {}

JxSet::~JxSet() {}

unsigned short JxSet::sizeFor(unsigned long n) const {
  unsigned long size = n * 100 / loadFactor_ + 1;
  return static_cast<unsigned short>(size > 0xFFFF ? 0xFFFF : size);
}

JxStatus JxSet::initialize(unsigned short expected) {
  unsigned short size = sizeFor(expected);
  if (size > size_) {
    if (table_.increaseSize(static_cast<unsigned short>(size - table_.getCapacity()), 1, 0)) return 1;
    size_ = size;
  }
  return 0;
}

void JxSet::reset() {
  table_.shrink(0);
  count_ = greatest_ = 0;
  size_ = 0;
  loadFactor_ = 75;
  growth_ = 25;
}

unsigned short JxSet::findSlot(const JxObject* element) const {
  if (size_ == 0) return NO_SLOT;
  uint32_t h = static_cast<uint32_t>(hashOf(element)) * 0x9E3779B9u;
  unsigned short slot = static_cast<unsigned short>(h % size_);
  for (unsigned short probes = 0; probes < size_; ++probes) {
    JxObject* e = table_.at(slot);
    if (!e || matches(e, element)) return slot;
    slot = slot ? slot - 1 : size_ - 1;
  }
  return NO_SLOT;
}

void JxSet::place(JxObject* element) {
  table_.setAt(findSlot(element), element);
  ++count_;
}

JxStatus JxSet::addElement(JxObject* element, JxObject** replaced, int* stored) {
  *replaced = nullptr;
  *stored = 0;
  if (size_ == 0 && initialize(FIRST_EXPECTED)) return 1;
  unsigned short slot = findSlot(element);
  if (slot != NO_SLOT && table_.at(slot)) {
    *replaced = table_.at(slot);
    table_.setAt(slot, element);
    *stored = 1;
    return 0;
  }
  // Keep one slot empty so that every probe ends (only reached after failed growth).
  if (slot == NO_SLOT || count_ + 1 >= size_) {
    if (rebuild(count_ + 1 + (count_ + 1) * growth_ / 100 + 1)) return 1;
    slot = findSlot(element);
  }
  table_.setAt(slot, element);
  ++count_;
  *stored = 1;
  if (count_ > greatest_) greatest_ = count_;
  unsigned long threshold = static_cast<unsigned long>(size_) * loadFactor_ / 100;
  if (count_ > threshold) return rebuild(threshold + threshold * growth_ / 100 + 1);
  return 0;
}

JxStatus JxSet::rebuild(unsigned long n) {
  unsigned long wanted = n * 100 / loadFactor_ + 1;
  if (wanted > JxArray::MAX_ELEMENTS) {
    utlErrorById(MSG_ARRAY_LIMIT);
    return 1;
  }
  unsigned short size = static_cast<unsigned short>(wanted);
  JxArray elements;
  if (count_ && elements.setInitialSize(static_cast<unsigned short>(count_))) return 1;
  for (unsigned short i = 0; i < size_; ++i)
    if (JxObject* e = table_.at(i)) elements.appendNoCheck(e);
  // New storage, all null; the old table stays whole when this fails.
  if (size > table_.getCapacity()) {
    if (table_.increaseSize(static_cast<unsigned short>(size - table_.getCapacity()), 0, 0)) return 1;
  } else {
    for (unsigned short i = 0; i < table_.getCapacity(); ++i) table_.setAt(i, nullptr);
  }
  size_ = size;
  count_ = 0;
  for (unsigned short i = 0; i < elements.getCount(); ++i) place(elements.at(i));
  return 0;
}
