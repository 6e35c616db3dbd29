// Strings handed between the store, Basic and native published objects.
//
// ValStringRep is a counted, immutable-by-convention byte string (any bytes, counted
// length, always followed by a terminating zero). Native getters return a NEW
// ValStringRep (count 0); whoever wraps it in a ValString takes the first count.
// ValString is the counted handle; a default ValString is the null string, which reads
// as "" (c_str() never answers null) but isNull() tells it apart.
//
// A text of up to kInlineCapacity bytes is kept inside the rep itself (one pooled block,
// no second allocation); a longer one in a buffer of its own. The empty text and the 256
// one-byte texts exist once each for the whole process (Shared), held by a count of
// their own that never goes, so Chr and one-byte slices allocate nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "store/counted.h"

class OVSTORE_API ValStringRep : public CountedObject {
 public:
  ValStringRep();
  explicit ValStringRep(const char* text);  // null -> ""
  ValStringRep(const char* bytes, size_t length);
  explicit ValStringRep(const std::string& text);
  ~ValStringRep() override;

  // rep with one more count or, when its count is full, a copy of it with one count
  // (strings never change, so a copy serves as well).
  static ValStringRep* Share(ValStringRep* rep);

  const char* c_str() const { return data_; }
  size_t length() const { return length_; }
  bool isEmpty() const { return length_ == 0; }

  // A new string holding the whole file's bytes; null when the file cannot be read.
  static ValStringRep* readFile(const char* path);
  // A new string of length bytes (zero-filled) for the caller to fill before sharing.
  static ValStringRep* makeBuffer(size_t length);
  // A new string of length bytes left for the caller to fill at once, with room to grow
  // to capacity bytes (at least length) by appendInPlace.
  static ValStringRep* makeUninitialized(size_t length, size_t capacity);
  // The process-wide rep of a text of at most one byte (bytes null or length 0: the
  // empty text). Its count is never 0; wrapping it takes one more like any other rep.
  static ValStringRep* Shared(const char* bytes, size_t length);
  // A new rep of the bytes, or the shared one when length is 0 or 1.
  static ValStringRep* Make(const char* bytes, size_t length) {
    return length <= 1 ? Shared(bytes, length) : new ValStringRep(bytes, length);
  }
  enum : size_t { kInlineCapacity = 23 };
  char* buffer() { return data_; }
  size_t capacity() const { return capacity_; }
  // Appends within the capacity; only for a string nobody else can see yet or any more
  // (the interpreter's "s = s & x" when s holds the only other count).
  void appendInPlace(const char* bytes, size_t n);

 private:
  struct Uninitialized {};
  ValStringRep(size_t length, size_t capacity, Uninitialized);
  void assign(const char* bytes, size_t length);
  void allocate(size_t capacity);
  char* data_;  // inline_ or a block of its own
  size_t length_;
  size_t capacity_;
  char inline_[kInlineCapacity + 1];
};

class OVSTORE_API ValString {
 public:
  ValString() : rep_(nullptr) {}
  ValString(const char* text);  // null gives the null string
  ValString(const char* bytes, size_t length);
  ValString(const std::string& text);
  // Adopts rep's first count when it has none yet (a getter's new rep) and adds one
  // otherwise.
  explicit ValString(ValStringRep* rep);
  ValString(const ValString& o);
  ValString(ValString&& o) noexcept : rep_(o.rep_) { o.rep_ = nullptr; }
  ~ValString();
  ValString& operator=(const ValString& o);
  ValString& operator=(ValString&& o) noexcept;
  ValString& operator=(const char* text);

  const char* c_str() const;
  operator const char*() const { return c_str(); }
  size_t length() const;
  bool isNull() const { return rep_ == nullptr; }
  ValStringRep* rep() const { return rep_; }
  std::string str() const { return std::string(c_str(), length()); }

  bool operator==(const ValString& o) const;  // binary comparison
  bool operator!=(const ValString& o) const { return !(*this == o); }
  ValString operator+(const ValString& o) const;

 private:
  ValStringRep* rep_;
};

// The text as a Basic expression that yields it, for showing string values: enclosed in
// double quotes, a quote doubled, and each control character (below 32, or 127) as
// `" & Chr$(n) & "` -- "a""b", "x" & Chr$(13) & Chr$(10) & "y". Null gives "".
OVSTORE_API std::string MakePrintableString(const char* text);
