// RWIsvSlist and its iterator.
#include "utils/rwisvslist.h"

#include "utils/rwxmsg.h"

RWIsvSlist::RWIsvSlist(RWIsvSlink* link) {
  init();
  insertAfterLink(&head_, link);
}

void RWIsvSlist::init() {
  head_.next_ = &tail_;
  tail_.next_ = &tail_;
  last_ = &head_;
  nitems_ = 0;
}

void RWIsvSlist::boundsError(size_t i) const {
  throw RWBoundsErr(RWMessage(RWTOOL_INDEX, unsigned(i), unsigned(nitems_ - 1)));
}

RWIsvSlink* RWIsvSlist::at(size_t i) const {
  if (i >= nitems_) boundsError(i);
  RWIsvSlink* p = head_.next_;
  while (i--) p = p->next_;
  return p;
}

void RWIsvSlist::insertAt(size_t i, RWIsvSlink* link) {
  if (i > nitems_) boundsError(i);
  insertAfterLink(i == 0 ? &head_ : at(i - 1), link);
}

RWIsvSlink* RWIsvSlist::removeAt(size_t i) {
  if (i >= nitems_) boundsError(i);
  return removeRight(i == 0 ? &head_ : at(i - 1));
}

void RWIsvSlist::insertAfterLink(RWIsvSlink* a, RWIsvSlink* link) {
  link->next_ = a->next_;
  a->next_ = link;
  if (a == last_) last_ = link;
  ++nitems_;
}

RWIsvSlink* RWIsvSlist::removeRight(RWIsvSlink* a) {
  RWIsvSlink* link = a->next_;
  a->next_ = link->next_;
  if (link == last_) last_ = a;
  link->next_ = nullptr;
  --nitems_;
  return link;
}

RWIsvSlink* RWIsvSlist::findLeftIsv(const RWIsvSlink* link) const {
  if (!link || link == &head_ || link == &tail_) return nullptr;
  for (RWIsvSlink* p = head(); p->next_ != &tail_; p = p->next_)
    if (p->next_ == link) return p;
  return nullptr;
}

RWIsvSlink* RWIsvSlist::removeReference(RWIsvSlink* link) {
  RWIsvSlink* left = findLeftIsv(link);
  return left ? removeRight(left) : nullptr;
}

bool RWIsvSlist::containsReference(const RWIsvSlink* link) const { return findLeftIsv(link) != nullptr; }

RWIsvSlink* RWIsvSlistIterator::operator+=(size_t n) {
  while (n-- && here_ != list_->tail()) here_ = here_->next_;
  return here_ == list_->tail() ? nullptr : here_;
}

RWIsvSlink* RWIsvSlistIterator::remove() {
  if (!onItem()) return nullptr;
  RWIsvSlink* left = list_->findLeftIsv(here_);
  if (!left) return nullptr;  // not (or no longer) in the list
  here_ = left;
  return list_->removeRight(left);
}
