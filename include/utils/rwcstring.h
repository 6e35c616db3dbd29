// Counted strings with copy-on-write, and views on parts of them.
//
// RWCString     a handle to a shared, reference-counted RWCStringRef. Copies share the
//               representation; every edit first makes it private. Bytes, not characters:
//               embedded NULs are allowed and a NUL always follows the last byte.
//               Capacity policy (process-wide, tunable): a new or regrown representation
//               gets adjustCapacity(n) = 15, 31, 47, ... (initialCapacity, resizeIncrement);
//               an edit that would leave more than maxWaste spare bytes reallocates smaller.
// RWCSubString  a view (string, start, extent) that can be compared, assigned to (which
//               replaces that part of the string) or case-converted. The null substring
//               (start RW_NPOS) is what a failed search gives.
//
// Index errors throw RWBoundsErr with the catalogue's [INDEX] or [SUBSTRING] text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <type_traits>

#include "utils/ovutil_api.h"

const size_t RW_NPOS = ~size_t(0);

class RWCString;
class RWCSubString;
class RWCRegexp;

// Distinguishes the "empty string with room for n" constructor from RWCString(char).
struct RWSize_T {
  explicit RWSize_T(size_t n) : value(n) {}
  size_t value;
};

// The shared representation: one block, header then capacity + 1 bytes of characters.
struct RWCStringRef {
  uint32_t refs;  // references minus one
  uint32_t nchars;
  uint32_t capacity;  // characters that fit, NUL not counted

  char* data() { return reinterpret_cast<char*>(this + 1); }
  const char* data() const { return reinterpret_cast<const char*>(this + 1); }
};

class OVUTIL_API RWCString {
 public:
  enum caseCompare { exact = 0, ignoreCase = 1 };
  enum stripType { leading = 1, trailing = 2, both = 3 };

  RWCString();
  explicit RWCString(RWSize_T capacity);
  RWCString(const char* s);
  RWCString(const char* s, size_t n);
  RWCString(char c);
  RWCString(char c, size_t n);
  RWCString(const RWCSubString& sub);
  RWCString(const RWCString& other);
  virtual ~RWCString();

  RWCString& operator=(const RWCString& other);
  RWCString& operator=(const char* s);

  // The capacity parameters; each setter returns the previous value.
  static size_t initialCapacity(size_t n = 15);
  static size_t resizeIncrement(size_t n = 16);
  static size_t maxWaste(size_t n = 15);
  virtual size_t getInitialCapacity() const;
  virtual size_t getResizeIncrement() const;
  virtual size_t getMaxWaste() const;
  virtual size_t adjustCapacity(size_t n) const;

  // Queries.
  size_t length() const { return rep_->nchars; }
  bool isNull() const { return rep_->nchars == 0; }
  const char* data() const { return rep_->data(); }
  operator const char*() const { return rep_->data(); }
  size_t capacity() const { return rep_->capacity; }
  bool isAscii() const;
  unsigned hash(caseCompare cmp = exact) const;
  int compareTo(const char* s, caseCompare cmp = exact) const;
  int compareTo(const RWCString& s, caseCompare cmp = exact) const;
  int collate(const char* s) const;
  int collate(const RWCString& s) const { return collate(s.data()); }
  size_t first(char c) const;
  size_t first(const char* set) const;
  size_t last(char c) const;
  size_t index(const char* pattern, size_t patLen, size_t start, caseCompare cmp) const;
  size_t index(const char* pattern, size_t start = 0, caseCompare cmp = exact) const;
  size_t index(const RWCString& pattern, size_t start = 0, caseCompare cmp = exact) const;
  bool contains(const char* pattern, caseCompare cmp = exact) const;
  bool contains(const RWCString& pattern, caseCompare cmp = exact) const;
  int mbLength() const;

  // Edits; all make the representation private first. Positions beyond the end throw
  // RWBoundsErr.
  RWCString& replace(size_t pos, size_t n, const char* text, size_t m);
  RWCString& replace(size_t pos, size_t n, const char* text);
  RWCString& replace(size_t pos, size_t n, const RWCString& text);
  RWCString& append(char c, size_t n = 1);
  RWCString& append(const char* s);
  RWCString& append(const char* s, size_t n);
  RWCString& append(const RWCString& s);
  RWCString& prepend(char c, size_t n = 1);
  RWCString& prepend(const char* s);
  RWCString& prepend(const RWCString& s);
  RWCString& insert(size_t pos, const char* s);
  RWCString& insert(size_t pos, const RWCString& s);
  RWCString& remove(size_t pos);
  RWCString& remove(size_t pos, size_t n);
  RWCString& operator+=(const char* s) { return append(s); }
  RWCString& operator+=(const RWCString& s) { return append(s); }
  // Unlike append(c, n), which grows to the exact length, this rounds the capacity up.
  RWCString& operator+=(char c) { return replace(length(), 0, &c, 1); }
  void resize(size_t n);
  size_t capacity(size_t n);
  void toLower();
  void toUpper();
  // Gives this string a representation of its own.
  void clone();
  // A new string with a representation of its own.
  RWCString copy() const;

  // Checked element access (RWBoundsErr); the non-const one makes the representation
  // private. Integral index types are taken as they are so that a negative index fails
  // the check instead of being ambiguous with the conversion to const char*.
  template <class I, class = typename std::enable_if<std::is_integral<I>::value>::type>
  char& operator[](I i) {
    return at(i < 0 ? RW_NPOS : size_t(i));
  }
  template <class I, class = typename std::enable_if<std::is_integral<I>::value>::type>
  char operator[](I i) const {
    return at(i < 0 ? RW_NPOS : size_t(i));
  }
  char& at(size_t i);
  char at(size_t i) const;
  // Unchecked element access.
  char& operator()(size_t i);
  char operator()(size_t i) const { return rep_->data()[i]; }

  // Views (not checked).
  RWCSubString operator()(size_t start, size_t len);
  const RWCSubString operator()(size_t start, size_t len) const;
  RWCSubString subString(const char* pattern, size_t start = 0);
  const RWCSubString subString(const char* pattern, size_t start = 0) const;
  RWCSubString strip(stripType type = trailing, char c = ' ');
  const RWCSubString strip(stripType type = trailing, char c = ' ') const;

  // Regular-expression searches (rwcregexp.h): RW_NPOS, or the null view, when none.
  size_t index(const RWCRegexp& re, size_t start = 0) const;
  size_t index(const RWCRegexp& re, size_t* len, size_t start) const;
  size_t p_index(const RWCRegexp& re, size_t* len, size_t start) const;
  RWCSubString operator()(const RWCRegexp& re, size_t start);
  const RWCSubString operator()(const RWCRegexp& re, size_t start) const;
  RWCSubString operator()(const RWCRegexp& re);
  const RWCSubString operator()(const RWCRegexp& re) const;

  // Reading from a stream: each replaces the contents.
  std::istream& readFile(std::istream& is);
  std::istream& readLine(std::istream& is, int skipWhite = 1);
  std::istream& readString(std::istream& is);
  std::istream& readToDelim(std::istream& is, char delim = '\n');
  std::istream& readToken(std::istream& is);

  static size_t initialCapac;
  static size_t resizeInc;
  static size_t freeboard;

 private:
  friend class RWCSubString;
  friend OVUTIL_API RWCString operator+(const RWCString&, const char*);
  friend OVUTIL_API RWCString operator+(const char*, const RWCString&);
  friend OVUTIL_API RWCString operator+(const RWCString&, const RWCString&);
  friend OVUTIL_API RWCString strXForm(const RWCString&);

  RWCString(const char* a, size_t na, const char* b, size_t nb);

  static RWCStringRef* newRep(size_t capacity, size_t length);
  static void release(RWCStringRef* rep);
  void cow();
  void reallocExact(size_t capacity);
  void setLength(size_t n);
  std::istream& readUntil(std::istream& is, int delim, bool token);

  RWCStringRef* rep_;
};

class OVUTIL_API RWCSubString {
 public:
  RWCSubString(const RWCSubString& other) = default;

  RWCSubString& operator=(const RWCString& s);
  RWCSubString& operator=(const char* s);
  RWCSubString& operator=(const RWCSubString& s);

  size_t length() const { return extent_; }
  size_t start() const { return begin_; }
  bool isNull() const { return begin_ == RW_NPOS; }
  const char* data() const;

  char& operator[](size_t i);  // checked against the extent
  char operator[](size_t i) const;
  char& operator()(size_t i);  // unchecked
  char operator()(size_t i) const;

  bool operator==(const char* s) const;
  bool operator==(const RWCString& s) const;
  bool operator==(const RWCSubString& s) const;
  bool operator!=(const char* s) const { return !(*this == s); }
  bool operator!=(const RWCString& s) const { return !(*this == s); }
  bool operator!=(const RWCSubString& s) const { return !(*this == s); }

  void toLower();
  void toUpper();

  // Throws RWBoundsErr "[SUBSTRING] ..." for a view (start, extent) of a string of length.
  [[noreturn]] void subStringError(size_t length, size_t start, size_t extent) const;

 private:
  friend class RWCString;
  RWCSubString(const RWCString& s, size_t start, size_t extent)
      : str_(const_cast<RWCString*>(&s)), begin_(start), extent_(start == RW_NPOS ? 0 : extent) {}
  bool equals(const char* s, size_t n) const;

  RWCString* str_;
  size_t begin_;
  size_t extent_;
};

OVUTIL_API RWCString operator+(const RWCString& a, const char* b);
OVUTIL_API RWCString operator+(const char* a, const RWCString& b);
OVUTIL_API RWCString operator+(const RWCString& a, const RWCString& b);
OVUTIL_API RWCString toLower(const RWCString& s);
OVUTIL_API RWCString toUpper(const RWCString& s);
OVUTIL_API RWCString strXForm(const RWCString& s);
OVUTIL_API std::ostream& operator<<(std::ostream& os, const RWCString& s);
OVUTIL_API std::ostream& operator<<(std::ostream& os, const RWCSubString& s);
OVUTIL_API std::istream& operator>>(std::istream& is, RWCString& s);  // readToken

// True when every character matches and the lengths are equal.
OVUTIL_API bool operator==(const RWCString& a, const char* b);
OVUTIL_API bool operator==(const RWCString& a, const RWCString& b);
inline bool operator==(const char* a, const RWCString& b) { return b == a; }
inline bool operator!=(const RWCString& a, const char* b) { return !(a == b); }
inline bool operator!=(const char* a, const RWCString& b) { return !(b == a); }
inline bool operator!=(const RWCString& a, const RWCString& b) { return !(a == b); }
inline bool operator<(const RWCString& a, const RWCString& b) { return a.compareTo(b) < 0; }
inline bool operator>(const RWCString& a, const RWCString& b) { return a.compareTo(b) > 0; }
inline bool operator<=(const RWCString& a, const RWCString& b) { return a.compareTo(b) <= 0; }
inline bool operator>=(const RWCString& a, const RWCString& b) { return a.compareTo(b) >= 0; }
inline bool operator<(const RWCString& a, const char* b) { return a.compareTo(b) < 0; }
inline bool operator>(const RWCString& a, const char* b) { return a.compareTo(b) > 0; }
