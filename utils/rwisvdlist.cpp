// RWIsvDlist and its iterator.
#include "utils/rwisvdlist.h"

#include "utils/rwxmsg.h"

RWIsvDlist::RWIsvDlist(RWIsvDlink* link) {
  init();
  insertAfterLink(&head_, link);
}

void RWIsvDlist::init() {
  head_.next_ = &tail_;
  head_.prev_ = &head_;
  tail_.next_ = &tail_;
  tail_.prev_ = &head_;
  nitems_ = 0;
}

void RWIsvDlist::boundsError(size_t i) const {
  throw RWBoundsErr(RWMessage(RWTOOL_INDEX, unsigned(i), unsigned(nitems_ - 1)));
}

RWIsvDlink* RWIsvDlist::at(size_t i) const {
  if (i >= nitems_) boundsError(i);
  RWIsvDlink* p = head_.next_;
  while (i--) p = p->next_;
  return p;
}

void RWIsvDlist::insertAt(size_t i, RWIsvDlink* link) {
  if (i > nitems_) boundsError(i);
  insertAfterLink(i == 0 ? head() : at(i - 1), link);
}

RWIsvDlink* RWIsvDlist::removeAt(size_t i) {
  if (i >= nitems_) boundsError(i);
  return removeReference(at(i));
}

RWIsvDlink* RWIsvDlist::insertAfterLink(RWIsvDlink* a, RWIsvDlink* link) {
  link->prev_ = a;
  link->next_ = a->next_;
  a->next_->prev_ = link;
  a->next_ = link;
  ++nitems_;
  return link;
}

RWIsvDlink* RWIsvDlist::removeReference(RWIsvDlink* link) {
  if (!link) return nullptr;
  link->prev_->next_ = link->next_;
  link->next_->prev_ = link->prev_;
  link->next_ = link->prev_ = nullptr;
  --nitems_;
  return link;
}

bool RWIsvDlist::containsReference(const RWIsvDlink* link) const {
  if (!link) return false;
  for (const RWIsvDlink* p = head_.next_; p != &tail_; p = p->next_)
    if (p == link) return true;
  return false;
}

RWIsvDlink* RWIsvDlistIterator::operator+=(size_t n) {
  while (n-- && here_ != list_->tail()) here_ = here_->next_;
  return here_ == list_->tail() ? nullptr : here_;
}

RWIsvDlink* RWIsvDlistIterator::operator-=(size_t n) {
  while (n-- && here_ != list_->head()) here_ = here_->prev_;
  return here_ == list_->head() ? nullptr : here_;
}

RWIsvDlink* RWIsvDlistIterator::remove() {
  if (!onItem()) return nullptr;
  RWIsvDlink* link = here_;
  here_ = link->prev_;
  return list_->removeReference(link);
}
