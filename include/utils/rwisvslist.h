// Intrusive singly linked list: items derive from RWIsvSlink and the list only chains
// them (it never allocates, copies or deletes an item).
//
// Layout: head sentinel -> items -> tail sentinel, whose next is itself. last_ is the
// last item, or the head when the list is empty. Positions out of range throw
// RWBoundsErr "[INDEX] ..." before anything changes. at, insertAt, removeAt and
// removeReference walk from the head; the rest is constant time.
#pragma once

#include <cstddef>

#include "utils/ovutil_api.h"

class OVUTIL_API RWIsvSlink {
 public:
  RWIsvSlink() : next_(nullptr) {}
  RWIsvSlink* next() const { return next_; }

 private:
  friend class RWIsvSlist;
  friend class RWIsvSlistIterator;
  RWIsvSlink* next_;
};

class OVUTIL_API RWIsvSlist {
 public:
  RWIsvSlist() { init(); }
  explicit RWIsvSlist(RWIsvSlink* link);
  RWIsvSlist(const RWIsvSlist&) = delete;
  RWIsvSlist& operator=(const RWIsvSlist&) = delete;

  // Empties the list; the links are left as they are.
  void init();
  void clear() { init(); }

  size_t entries() const { return nitems_; }
  bool isEmpty() const { return nitems_ == 0; }
  RWIsvSlink* firstLink() const { return isEmpty() ? nullptr : head_.next_; }
  RWIsvSlink* lastLink() const { return isEmpty() ? nullptr : last_; }

  RWIsvSlink* at(size_t i) const;
  void insertAt(size_t i, RWIsvSlink* link);  // 0 <= i <= entries()
  RWIsvSlink* removeAt(size_t i);

  void append(RWIsvSlink* link) { insertAfterLink(last_, link); }
  void prepend(RWIsvSlink* link) { insertAfterLink(&head_, link); }
  RWIsvSlink* get() { return isEmpty() ? nullptr : removeRight(&head_); }  // the first

  void insertAfterLink(RWIsvSlink* a, RWIsvSlink* link);
  RWIsvSlink* removeRight(RWIsvSlink* a);
  // Unlinks link when it is in the list (its next becomes null); null when it is not.
  RWIsvSlink* removeReference(RWIsvSlink* link);
  bool containsReference(const RWIsvSlink* link) const;
  // link's predecessor (the head for the first item), or null when link is not here.
  RWIsvSlink* findLeftIsv(const RWIsvSlink* link) const;

 private:
  friend class RWIsvSlistIterator;
  [[noreturn]] void boundsError(size_t i) const;
  RWIsvSlink* tail() const { return const_cast<RWIsvSlink*>(&tail_); }
  RWIsvSlink* head() const { return const_cast<RWIsvSlink*>(&head_); }

  RWIsvSlink head_;
  RWIsvSlink tail_;
  RWIsvSlink* last_;
  size_t nitems_;
};

// Stands on a link of the list; a fresh or reset iterator stands on the head sentinel.
class OVUTIL_API RWIsvSlistIterator {
 public:
  explicit RWIsvSlistIterator(RWIsvSlist& list) { reset(list); }

  // Advances n links: the link reached, or null at the tail (which is sticky).
  RWIsvSlink* operator+=(size_t n);
  RWIsvSlink* operator++() { return *this += 1; }
  RWIsvSlink* operator()() { return *this += 1; }

  // The current item, or null on a sentinel.
  RWIsvSlink* key() const { return onItem() ? here_ : nullptr; }
  bool atFirst() const { return onItem() && here_ == list_->head_.next_; }
  bool atLast() const { return onItem() && here_ == list_->last_; }
  void toFirst() { here_ = list_->head_.next_; }
  void toLast() { here_ = list_->isEmpty() ? list_->tail() : list_->last_; }
  void insertAfterPoint(RWIsvSlink* link) { list_->insertAfterLink(here_, link); }
  // Unlinks the current item and steps back to its predecessor; null on a sentinel.
  RWIsvSlink* remove();
  void reset() { here_ = list_->head(); }
  void reset(RWIsvSlist& list) {
    list_ = &list;
    reset();
  }

 private:
  bool onItem() const { return here_ != list_->head() && here_ != list_->tail(); }
  RWIsvSlist* list_;
  RWIsvSlink* here_;
};

// Typed view: T derives from RWIsvSlink.
template <class T>
class RWTIsvSlist : public RWIsvSlist {
 public:
  T* at(size_t i) const { return static_cast<T*>(RWIsvSlist::at(i)); }
  T* removeAt(size_t i) { return static_cast<T*>(RWIsvSlist::removeAt(i)); }
  T* first() const { return static_cast<T*>(firstLink()); }
  T* last() const { return static_cast<T*>(lastLink()); }
  T* get() { return static_cast<T*>(RWIsvSlist::get()); }
  // Empties the list and deletes the items (which must come from new).
  void clearAndDestroy() {
    while (T* t = get()) delete t;
  }
  T* removeReference(T* t) { return static_cast<T*>(RWIsvSlist::removeReference(t)); }
};
