// Interned identifiers.
//
// IdStringRep: one counted text per distinct spelling (at most 254 bytes; longer texts
// are StoreException 32709). Equal spellings share one rep, so equality is a pointer test.
// Basic names are case-insensitive: every rep also knows the rep of its case-folded
// (lower-case) spelling, key(); two names that differ only in case have the same key.
// IdString::Initialize() at start-up makes the table, IdString::Terminate() at shutdown
// forgets it (reps still referenced stay valid and are freed with their last reference).
//
// IdDynamicVector: a growable table (initially 32 entries) of interned names with 16-bit
// indexes, as the parser's identifier table: stringIndex(text) answers the index of the
// name (matched ignoring case, keeping the first spelling), adding it when new.
// IdStringVector: a plain list of IdStrings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "store/counted.h"
#include "store/faultp.h"

enum { kIdStringLimit = 254, kMsgIdentifierTooLong = 32709 };

class OVSTORE_API IdStringRep : public CountedObject {
 public:
  ~IdStringRep() override;
  const char* c_str() const { return text_; }
  size_t length() const { return length_; }
  // The rep of the lower-case spelling (this one when already lower case).
  IdStringRep* key() const { return key_ ? key_ : const_cast<IdStringRep*>(this); }
  uint32_t hash() const { return hash_; }

  // The interned rep of text (made when new; count 0 when nobody holds it yet).
  static IdStringRep* Intern(const char* text, size_t length);

 protected:
  void drop() override;

 private:
  friend class IdStringTable;
  IdStringRep(const char* text, size_t length, uint32_t hash);
  char* text_;
  uint32_t length_;
  uint32_t hash_;
  IdStringRep* key_;  // counted (strong) when not this
};

class OVSTORE_API IdString {
 public:
  IdString() {}
  IdString(const char* text);  // null or "" gives the null identifier
  IdString(const char* text, size_t length);
  explicit IdString(IdStringRep* rep) : rep_(rep) {}

  const char* c_str() const { return rep_.isNull() ? "" : rep_->c_str(); }
  operator const char*() const { return c_str(); }
  size_t length() const { return rep_.isNull() ? 0 : rep_->length(); }
  bool isNull() const { return rep_.isNull(); }
  IdStringRep* rep() const { return rep_.get(); }
  // Identity ignoring case (null for the null identifier).
  IdStringRep* key() const { return rep_.isNull() ? nullptr : rep_->key(); }

  bool operator==(const IdString& o) const { return rep_.get() == o.rep_.get(); }
  bool operator!=(const IdString& o) const { return !(*this == o); }
  bool sameName(const IdString& o) const;
  bool sameName(const char* text) const;

  static void Initialize();
  static void Terminate();
  // Distinct spellings currently interned (for tests and leak checks).
  static size_t InternedCount();

 private:
  Faultp<IdStringRep> rep_;
};

class OVSTORE_API IdDynamicVector {
 public:
  explicit IdDynamicVector(size_t initial = 32);
  ~IdDynamicVector();
  IdDynamicVector(const IdDynamicVector&) = delete;
  IdDynamicVector& operator=(const IdDynamicVector&) = delete;

  // Index of the name, added when new. Asserts that the table stays below 32767 entries.
  int16_t stringIndex(const char* text);
  // Index of the name or -1 (nothing added).
  int16_t find(const char* text) const;
  int entries() const { return (int)items_.size(); }
  const IdString& operator[](int i) const { return items_[(size_t)i]; }
  const char* text(int i) const { return items_[(size_t)i].c_str(); }
  size_t capacity() const { return items_.capacity(); }
  // Forgets the names, keeping the storage.
  void clear();
  // Forgets the names and gives the storage back.
  void releaseStorage();

 private:
  std::vector<IdString> items_;
  std::unordered_map<IdStringRep*, int16_t> index_;  // key() -> index
  size_t initial_;
};

class OVSTORE_API IdStringVector {
 public:
  IdStringVector() {}
  explicit IdStringVector(const IdDynamicVector& ids);
  void append(const IdString& id) { items_.push_back(id); }
  int entries() const { return (int)items_.size(); }
  const IdString& operator[](int i) const { return items_[(size_t)i]; }
  // Index of the name (ignoring case) or -1.
  int index(const char* text) const;
  void clear() { items_.clear(); }

 private:
  std::vector<IdString> items_;
};
