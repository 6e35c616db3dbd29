// RWCString: representation management, capacity policy, edits and queries.
#include "utils/rwcstring.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <new>

#include "utils/allocator.h"
#include "utils/rwxmsg.h"

size_t RWCString::initialCapac = 15;
size_t RWCString::resizeInc = 16;
size_t RWCString::freeboard = 15;

namespace {

// The empty representation shared by default-constructed strings. It starts with one
// reference that is never given up, so it is never freed; being constant-initialised it
// is ready before any static constructor runs.
struct EmptyRep {
  RWCStringRef ref;
  char nul;
};
EmptyRep emptyRep = {{0, 0, 0}, '\0'};

// Representations come from the pooled allocator of the product.
void* repAlloc(size_t bytes) { return PoolAllocator::operator new(bytes); }
void repFree(RWCStringRef* rep) { PoolAllocator::operator delete(rep); }

inline char lowerOf(char c) { return char(tolower(static_cast<unsigned char>(c))); }

}  // namespace

// ---- representation ---------------------------------------------------------------

RWCStringRef* RWCString::newRep(size_t capacity, size_t length) {
  if (capacity >= 0xFFFFFF00u) throw RWxalloc(capacity);
  auto* rep = static_cast<RWCStringRef*>(repAlloc(sizeof(RWCStringRef) + capacity + 1));
  rep->refs = 0;
  rep->nchars = uint32_t(length);
  rep->capacity = uint32_t(capacity);
  rep->data()[length] = '\0';
  return rep;
}

void RWCString::release(RWCStringRef* rep) {
  if (rep->refs == 0 && rep != &emptyRep.ref)
    repFree(rep);
  else
    --rep->refs;
}

// Makes the representation private: same length, capacity exactly the length.
void RWCString::cow() {
  if (rep_->refs == 0 && rep_ != &emptyRep.ref) return;
  RWCStringRef* rep = newRep(length(), length());
  memcpy(rep->data(), data(), length());
  release(rep_);
  rep_ = rep;
}

// A private representation of exactly `capacity` (>= length) with the same text.
void RWCString::reallocExact(size_t capacity) {
  RWCStringRef* rep = newRep(capacity, length());
  memcpy(rep->data(), data(), length());
  release(rep_);
  rep_ = rep;
}

void RWCString::setLength(size_t n) {
  rep_->nchars = uint32_t(n);
  rep_->data()[n] = '\0';
}

// ---- construction -----------------------------------------------------------------

RWCString::RWCString() : rep_(&emptyRep.ref) { ++rep_->refs; }

RWCString::RWCString(RWSize_T capacity) : rep_(newRep(capacity.value, 0)) {}

RWCString::RWCString(const char* s) {
  size_t n = s ? strlen(s) : 0;
  rep_ = newRep(n, n);
  if (n) memcpy(rep_->data(), s, n);
}

RWCString::RWCString(const char* s, size_t n) {
  if (!s) n = 0;
  rep_ = newRep(n, n);
  if (n) memcpy(rep_->data(), s, n);
}

RWCString::RWCString(char c) : rep_(newRep(initialCapac, 1)) {
  // The virtual getter is not dispatched yet inside a constructor: the static is what
  // getInitialCapacity() of this class answers.
  rep_->data()[0] = c;
}

RWCString::RWCString(char c, size_t n) : rep_(newRep(n, n)) { memset(rep_->data(), c, n); }

RWCString::RWCString(const RWCSubString& sub) {
  size_t n = sub.length();
  rep_ = newRep(adjustCapacity(n), n);
  if (n) memcpy(rep_->data(), sub.data(), n);
}

RWCString::RWCString(const char* a, size_t na, const char* b, size_t nb) {
  if (!a) na = 0;
  if (!b) nb = 0;
  rep_ = newRep(adjustCapacity(na + nb), na + nb);
  if (na) memcpy(rep_->data(), a, na);
  if (nb) memcpy(rep_->data() + na, b, nb);
}

RWCString::RWCString(const RWCString& other) : rep_(other.rep_) { ++rep_->refs; }

RWCString::~RWCString() { release(rep_); }

RWCString& RWCString::operator=(const RWCString& other) {
  ++other.rep_->refs;  // first, so that self-assignment keeps the representation
  release(rep_);
  rep_ = other.rep_;
  return *this;
}

RWCString& RWCString::operator=(const char* s) { return replace(0, length(), s, s ? strlen(s) : 0); }

// ---- capacity policy --------------------------------------------------------------

size_t RWCString::initialCapacity(size_t n) {
  size_t old = initialCapac;
  initialCapac = n;
  return old;
}
size_t RWCString::resizeIncrement(size_t n) {
  size_t old = resizeInc;
  resizeInc = n ? n : 1;  // 0 would divide by zero in adjustCapacity
  return old;
}
size_t RWCString::maxWaste(size_t n) {
  size_t old = freeboard;
  freeboard = n;
  return old;
}
size_t RWCString::getInitialCapacity() const { return initialCapac; }
size_t RWCString::getResizeIncrement() const { return resizeInc; }
size_t RWCString::getMaxWaste() const { return freeboard; }

size_t RWCString::adjustCapacity(size_t n) const {
  size_t ic = getInitialCapacity();
  if (ic >= n) return ic;
  size_t ri = getResizeIncrement();
  if (ri == 0) ri = 1;
  return ic + ri * ((n - ic + ri - 1) / ri);
}

size_t RWCString::capacity(size_t n) {
  if (n > length() && n != capacity()) reallocExact(n);
  return capacity();
}

// ---- edits ------------------------------------------------------------------------

RWCString& RWCString::replace(size_t pos, size_t n, const char* text, size_t m) {
  size_t len = length();
  if (pos > len) throw RWBoundsErr(RWMessage(RWTOOL_INDEX, unsigned(pos), unsigned(len)));
  if (n > len - pos) n = len - pos;
  if (!text) m = 0;
  size_t tot = len + m - n;
  size_t rem = len - pos - n;
  const char* own = data();
  bool inside = text && text >= own && text < own + len + 1;
  if (rep_->refs == 0 && rep_ != &emptyRep.ref && capacity() >= tot && capacity() - tot <= getMaxWaste() &&
      !inside) {
    char* p = rep_->data();
    if (rem && m != n) memmove(p + pos + m, p + pos + n, rem);
    if (m) memcpy(p + pos, text, m);
    setLength(tot);
    return *this;
  }
  RWCStringRef* rep = newRep(adjustCapacity(tot), tot);
  char* p = rep->data();
  memcpy(p, own, pos);
  if (m) memcpy(p + pos, text, m);
  memcpy(p + pos + m, own + pos + n, rem);
  release(rep_);
  rep_ = rep;
  return *this;
}

RWCString& RWCString::replace(size_t pos, size_t n, const char* text) {
  return replace(pos, n, text, text ? strlen(text) : 0);
}
RWCString& RWCString::replace(size_t pos, size_t n, const RWCString& text) {
  return replace(pos, n, text.data(), text.length());
}

RWCString& RWCString::append(char c, size_t n) {
  size_t len = length();
  // Grown like the other appends, so that one character at a time stays linear.
  if (rep_->refs != 0 || rep_ == &emptyRep.ref || capacity() < len + n) reallocExact(adjustCapacity(len + n));
  memset(rep_->data() + len, c, n);
  setLength(len + n);
  return *this;
}

RWCString& RWCString::append(const char* s) { return replace(length(), 0, s); }
RWCString& RWCString::append(const char* s, size_t n) { return replace(length(), 0, s, n); }
RWCString& RWCString::append(const RWCString& s) { return replace(length(), 0, s.data(), s.length()); }

RWCString& RWCString::prepend(char c, size_t n) {
  size_t len = length();
  if (rep_->refs != 0 || rep_ == &emptyRep.ref || capacity() < len + n) {
    RWCStringRef* rep = newRep(adjustCapacity(len + n), len + n);
    memcpy(rep->data() + n, data(), len);
    release(rep_);
    rep_ = rep;
  } else {
    memmove(rep_->data() + n, rep_->data(), len);
    setLength(len + n);
  }
  memset(rep_->data(), c, n);
  return *this;
}

RWCString& RWCString::prepend(const char* s) { return replace(0, 0, s); }
RWCString& RWCString::prepend(const RWCString& s) { return replace(0, 0, s.data(), s.length()); }
RWCString& RWCString::insert(size_t pos, const char* s) { return replace(pos, 0, s); }
RWCString& RWCString::insert(size_t pos, const RWCString& s) { return replace(pos, 0, s.data(), s.length()); }
RWCString& RWCString::remove(size_t pos) { return replace(pos, length() - pos, nullptr, 0); }
RWCString& RWCString::remove(size_t pos, size_t n) { return replace(pos, n, nullptr, 0); }

void RWCString::resize(size_t n) {
  if (n < length())
    replace(n, length() - n, nullptr, 0);
  else
    append(' ', n - length());
}

void RWCString::toLower() {
  cow();
  char* p = rep_->data();
  for (size_t i = 0, n = length(); i < n; ++i) p[i] = lowerOf(p[i]);
}

void RWCString::toUpper() {
  cow();
  char* p = rep_->data();
  for (size_t i = 0, n = length(); i < n; ++i) p[i] = char(toupper(static_cast<unsigned char>(p[i])));
}

void RWCString::clone() { cow(); }

RWCString RWCString::copy() const { return RWCString(data(), length()); }

char& RWCString::at(size_t i) {
  if (i >= length()) throw RWBoundsErr(RWMessage(RWTOOL_INDEX, unsigned(i), unsigned(length() - 1)));
  cow();
  return rep_->data()[i];
}

char RWCString::at(size_t i) const {
  if (i >= length()) throw RWBoundsErr(RWMessage(RWTOOL_INDEX, unsigned(i), unsigned(length() - 1)));
  return data()[i];
}

char& RWCString::operator()(size_t i) {
  cow();
  return rep_->data()[i];
}

// ---- free functions ---------------------------------------------------------------

RWCString operator+(const RWCString& a, const char* b) {
  return RWCString(a.data(), a.length(), b, b ? strlen(b) : 0);
}
RWCString operator+(const char* a, const RWCString& b) {
  return RWCString(a, a ? strlen(a) : 0, b.data(), b.length());
}
RWCString operator+(const RWCString& a, const RWCString& b) {
  return RWCString(a.data(), a.length(), b.data(), b.length());
}

RWCString toLower(const RWCString& s) {
  RWCString t(s.data(), s.length());
  t.toLower();
  return t;
}

RWCString toUpper(const RWCString& s) {
  RWCString t(s.data(), s.length());
  t.toUpper();
  return t;
}

RWCString strXForm(const RWCString& s) {
  size_t n = strxfrm(nullptr, s.data(), 0);
  RWCString t{RWSize_T(n)};
  char* p = &t(0);
  size_t m = strxfrm(p, s.data(), n + 1);
  if (m > n) return RWCString();
  t.setLength(m);
  return t;
}
