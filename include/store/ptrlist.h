// Owning lists and pairs of heap objects, as the parser hands them to the execution nodes.
//
// PtrList<T>  an ordered list of T* that deletes what it still holds when destroyed.
//             Nodes that take a list by reference move its items out (the list is left
//             empty); nodes that take a pointer take the list itself over.
// PtrPair<A,B> two owned pointers (a bound pair "lower To upper", either may be null).
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

template <class T>
class PtrList {
 public:
  PtrList() = default;
  PtrList(const PtrList&) = delete;
  PtrList& operator=(const PtrList&) = delete;
  PtrList(PtrList&& other) noexcept : items_(std::move(other.items_)) {}
  ~PtrList() { clear(); }

  void append(T* item) { items_.push_back(item); }
  void prepend(T* item) { items_.insert(items_.begin(), item); }
  // Moves every item of other to the end of this list; other is left empty.
  void appendAll(PtrList& other) {
    items_.insert(items_.end(), other.items_.begin(), other.items_.end());
    other.items_.clear();
  }
  T* first() const { return items_.empty() ? nullptr : items_.front(); }
  T* last() const { return items_.empty() ? nullptr : items_.back(); }
  // Removes the first item and hands it to the caller (null when empty).
  T* removeFirst() {
    if (items_.empty()) return nullptr;
    T* item = items_.front();
    items_.erase(items_.begin());
    return item;
  }
  size_t entries() const { return items_.size(); }
  bool isEmpty() const { return items_.empty(); }
  T* at(size_t i) const { return items_[i]; }
  T* operator[](size_t i) const { return items_[i]; }
  // Deletes every item.
  void clear() {
    for (T* item : items_) delete item;
    items_.clear();
  }
  // Forgets the items without deleting them (the caller has taken them over).
  void release() { items_.clear(); }

 private:
  std::vector<T*> items_;
};

template <class A, class B>
struct PtrPair {
  PtrPair(A* a, B* b) : first(a), second(b) {}
  PtrPair(const PtrPair&) = delete;
  PtrPair& operator=(const PtrPair&) = delete;
  ~PtrPair() {
    delete first;
    delete second;
  }
  A* first;
  B* second;
};
