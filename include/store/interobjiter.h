// Iterators over store objects, fields and events. Each is used as
//   for (It it(...); InterObjRep* o = it(); ) ...
// and answers null at the end. They take a snapshot when constructed (or reset), so the
// loop body may create or drop objects.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "store/ovstore_api.h"

class InterObjRep;
class SignatureRep;
class Field;
class EventDef;

class OVSTORE_API InterObjSnapshotIterator {
 public:
  InterObjRep* operator()();
  InterObjRep* key() const { return cur_; }
  void rewind() {
    pos_ = 0;
    cur_ = nullptr;
  }

 protected:
  std::vector<InterObjRep*> items_;  // not counted: checked against the live set
  size_t pos_ = 0;
  InterObjRep* cur_ = nullptr;
};

// Objects in the slot tables of module m (255: every module), static objects only.
class OVSTORE_API StaticObjectsIterator : public InterObjSnapshotIterator {
 public:
  explicit StaticObjectsIterator(unsigned char m = 255);
  void reset(unsigned char m = 255);
};

// Objects of module m that have no slot (temporaries when m is 254).
class OVSTORE_API DynamicObjectsIterator : public InterObjSnapshotIterator {
 public:
  explicit DynamicObjectsIterator(unsigned char m);
};

// Every live object (all modules, static and dynamic).
class OVSTORE_API AllObjectsIterator : public InterObjSnapshotIterator {
 public:
  AllObjectsIterator();
};

// Objects derived from obj: direct children; with recurse 1 all descendants.
class OVSTORE_API InterObjChildIterator : public InterObjSnapshotIterator {
 public:
  InterObjChildIterator(InterObjRep* obj, int recurse = 0);
};

// Objects embedded in obj, in embedding order.
class OVSTORE_API InterObjEmbedIterator : public InterObjSnapshotIterator {
 public:
  explicit InterObjEmbedIterator(InterObjRep* obj);
};

// Object iterators in the form the tools use.
template <class T>
class AllStoresDescrObjIterator : public AllObjectsIterator {};

template <class T>
class DescribedObjectIterator : public StaticObjectsIterator {
 public:
  explicit DescribedObjectIterator(unsigned char m = 255) : StaticObjectsIterator(m) {}
  void reset(unsigned char m) { StaticObjectsIterator::reset(m); }
};

// Fields of a signature in the store's order (own fields in the order added, then the
// compiled base part); with inherited, then the parent signatures'.
class OVSTORE_API SignatureFieldIterator {
 public:
  SignatureFieldIterator(const SignatureRep* sig, int inherited = 0);
  Field* operator()();
  // The signature that holds the field last answered.
  const SignatureRep* holder() const { return holder_; }

 private:
  std::vector<std::pair<const SignatureRep*, Field*>> items_;
  size_t pos_ = 0;
  const SignatureRep* holder_ = nullptr;
};

class OVSTORE_API EventDefIterator {
 public:
  EventDefIterator(const SignatureRep* sig, int inherited = 0);
  EventDef* operator()();

 private:
  std::vector<EventDef*> items_;
  size_t pos_ = 0;
};
