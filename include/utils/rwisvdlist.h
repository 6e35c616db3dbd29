// Intrusive doubly linked list: items derive from RWIsvDlink; the list only chains them.
//
// Layout: head sentinel <-> items <-> tail sentinel; the head's prev is the head and the
// tail's next is the tail. Removal through a link needs no search, and the list does not
// check that a link given to it belongs to it. Positions out of range throw RWBoundsErr.
#pragma once

#include <cstddef>

#include "utils/ovutil_api.h"

class OVUTIL_API RWIsvDlink {
 public:
  RWIsvDlink() : next_(nullptr), prev_(nullptr) {}
  RWIsvDlink* next() const { return next_; }
  RWIsvDlink* prev() const { return prev_; }

 private:
  friend class RWIsvDlist;
  friend class RWIsvDlistIterator;
  RWIsvDlink* next_;
  RWIsvDlink* prev_;
};

class OVUTIL_API RWIsvDlist {
 public:
  RWIsvDlist() { init(); }
  explicit RWIsvDlist(RWIsvDlink* link);
  RWIsvDlist(const RWIsvDlist&) = delete;
  RWIsvDlist& operator=(const RWIsvDlist&) = delete;

  void init();
  void clear() { init(); }

  size_t entries() const { return nitems_; }
  bool isEmpty() const { return nitems_ == 0; }
  RWIsvDlink* firstLink() const { return isEmpty() ? nullptr : head_.next_; }
  RWIsvDlink* lastLink() const { return isEmpty() ? nullptr : tail_.prev_; }

  RWIsvDlink* at(size_t i) const;
  void insertAt(size_t i, RWIsvDlink* link);  // 0 <= i <= entries()
  RWIsvDlink* removeAt(size_t i);

  void append(RWIsvDlink* link) { insertAfterLink(tail_.prev_, link); }
  void prepend(RWIsvDlink* link) { insertAfterLink(&head_, link); }
  RWIsvDlink* get() { return isEmpty() ? nullptr : removeReference(head_.next_); }
  RWIsvDlink* getLast() { return isEmpty() ? nullptr : removeReference(tail_.prev_); }

  RWIsvDlink* insertAfterLink(RWIsvDlink* a, RWIsvDlink* link);
  // Unlinks link (no search); null for null.
  RWIsvDlink* removeReference(RWIsvDlink* link);
  bool containsReference(const RWIsvDlink* link) const;

 private:
  friend class RWIsvDlistIterator;
  [[noreturn]] void boundsError(size_t i) const;
  RWIsvDlink* head() const { return const_cast<RWIsvDlink*>(&head_); }
  RWIsvDlink* tail() const { return const_cast<RWIsvDlink*>(&tail_); }

  RWIsvDlink head_;
  RWIsvDlink tail_;
  size_t nitems_;
};

// Stands on a link of the list; a fresh or reset iterator stands on the head sentinel.
class OVUTIL_API RWIsvDlistIterator {
 public:
  explicit RWIsvDlistIterator(RWIsvDlist& list) { reset(list); }

  // Advances n links: the link reached, or null at the tail (which is sticky).
  RWIsvDlink* operator+=(size_t n);
  // Steps back n links: the link reached, or null at the head (which is sticky).
  RWIsvDlink* operator-=(size_t n);
  RWIsvDlink* operator++() { return *this += 1; }
  RWIsvDlink* operator--() { return *this -= 1; }
  RWIsvDlink* operator()() { return *this += 1; }

  RWIsvDlink* key() const { return onItem() ? here_ : nullptr; }
  bool atFirst() const { return onItem() && here_ == list_->head_.next_; }
  bool atLast() const { return onItem() && here_ == list_->tail_.prev_; }
  void toFirst() { here_ = list_->head_.next_; }
  void toLast() { here_ = list_->isEmpty() ? list_->tail() : list_->tail_.prev_; }
  void insertAfterPoint(RWIsvDlink* link) { list_->insertAfterLink(here_, link); }
  // Unlinks the current item and steps back to its predecessor; null on a sentinel.
  RWIsvDlink* remove();
  void reset() { here_ = list_->head(); }
  void reset(RWIsvDlist& list) {
    list_ = &list;
    reset();
  }

 private:
  bool onItem() const { return here_ != list_->head() && here_ != list_->tail(); }
  RWIsvDlist* list_;
  RWIsvDlink* here_;
};

// Typed view: T derives from RWIsvDlink.
template <class T>
class RWTIsvDlist : public RWIsvDlist {
 public:
  T* at(size_t i) const { return static_cast<T*>(RWIsvDlist::at(i)); }
  T* removeAt(size_t i) { return static_cast<T*>(RWIsvDlist::removeAt(i)); }
  T* first() const { return static_cast<T*>(firstLink()); }
  T* last() const { return static_cast<T*>(lastLink()); }
  T* get() { return static_cast<T*>(RWIsvDlist::get()); }
  // Empties the list and deletes the items (which must come from new).
  void clearAndDestroy() {
    while (T* t = get()) delete t;
  }
  T* getLast() { return static_cast<T*>(RWIsvDlist::getLast()); }
  T* removeReference(T* t) { return static_cast<T*>(RWIsvDlist::removeReference(t)); }
};
