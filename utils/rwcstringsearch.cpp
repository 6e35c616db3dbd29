// RWCString queries: comparison, hashing, searching and the views they give.
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <cstring>

#include "utils/rwcstring.h"

namespace {

inline signed char lowerOf(char c) {
  return static_cast<signed char>(tolower(static_cast<unsigned char>(c)));
}

inline uint32_t rotl5(uint32_t h) { return (h << 5) | (h >> 27); }

}  // namespace

bool RWCString::isAscii() const {
  const char* p = data();
  for (size_t i = 0, n = length(); i < n; ++i)
    if (static_cast<unsigned char>(p[i]) & 0x80) return false;
  return true;
}

unsigned RWCString::hash(caseCompare cmp) const {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(data());
  size_t n = length();
  uint32_t h = uint32_t(n);
  if (cmp == ignoreCase) {
    for (size_t i = 0; i < n; ++i) h = rotl5(h) ^ uint32_t(toupper(p[i]));
    return h;
  }
  size_t words = n / 4;
  for (size_t i = 0; i < words; ++i, p += 4)
    h = rotl5(h) ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
  if (size_t rest = n % 4) {
    uint32_t v = 0;
    for (size_t i = 0; i < rest; ++i)  // each byte sign-extended, as the table was built
      v = (v << 8) | uint32_t(int32_t(static_cast<signed char>(p[i])));
    h = rotl5(h) ^ v;
  }
  return h;
}

int RWCString::compareTo(const char* s, caseCompare cmp) const {
  if (!s) s = "";
  const char* p = data();
  size_t n = length();
  for (size_t i = 0;; ++i) {
    if (s[i] == '\0') return i < n ? 1 : 0;
    if (i == n) return -1;
    signed char a = static_cast<signed char>(p[i]);
    signed char b = static_cast<signed char>(s[i]);
    if (cmp == ignoreCase) {
      a = lowerOf(p[i]);
      b = lowerOf(s[i]);
    }
    if (a != b) return a > b ? 1 : -1;
  }
}

int RWCString::compareTo(const RWCString& s, caseCompare cmp) const {
  size_t n = length(), m = s.length();
  size_t k = n < m ? n : m;
  if (cmp == exact) {
    int r = memcmp(data(), s.data(), k);
    if (r) return r;
  } else {
    const char *p = data(), *q = s.data();
    for (size_t i = 0; i < k; ++i) {
      signed char a = lowerOf(p[i]), b = lowerOf(q[i]);
      if (a != b) return a > b ? 1 : -1;
    }
  }
  return n == m ? 0 : (n > m ? 1 : -1);
}

int RWCString::collate(const char* s) const { return strcoll(data(), s ? s : ""); }

bool operator==(const RWCString& a, const char* b) {
  if (!b) b = "";
  const char* p = a.data();
  size_t n = a.length(), i = 0;
  for (; b[i]; ++i)
    if (i >= n || p[i] != b[i]) return false;
  return i == n;
}

bool operator==(const RWCString& a, const RWCString& b) {
  return a.length() == b.length() && memcmp(a.data(), b.data(), a.length()) == 0;
}

size_t RWCString::first(char c) const {
  const void* hit = memchr(data(), c, length());
  return hit ? size_t(static_cast<const char*>(hit) - data()) : RW_NPOS;
}

size_t RWCString::first(const char* set) const {
  if (!set) return RW_NPOS;
  const char* p = data();
  for (size_t i = 0, n = length(); i < n; ++i)
    if (p[i] && strchr(set, p[i])) return i;
  return RW_NPOS;
}

size_t RWCString::last(char c) const {
  const char* p = data();
  for (size_t i = length(); i-- > 0;)
    if (p[i] == c) return i;
  return RW_NPOS;
}

size_t RWCString::index(const char* pattern, size_t patLen, size_t start, caseCompare cmp) const {
  size_t n = length();
  if (!pattern) patLen = 0;
  if (start > n || patLen > n - start) return RW_NPOS;
  if (patLen == 0) return start;
  const char* p = data();
  for (size_t i = start, end = n - patLen; i <= end; ++i) {
    if (cmp == exact) {
      if (p[i] == pattern[0] && memcmp(p + i + 1, pattern + 1, patLen - 1) == 0) return i;
    } else if (lowerOf(p[i]) == lowerOf(pattern[0])) {
      size_t k = 1;
      while (k < patLen && lowerOf(p[i + k]) == lowerOf(pattern[k])) ++k;
      if (k == patLen) return i;
    }
  }
  return RW_NPOS;
}

size_t RWCString::index(const char* pattern, size_t start, caseCompare cmp) const {
  return index(pattern, pattern ? strlen(pattern) : 0, start, cmp);
}
size_t RWCString::index(const RWCString& pattern, size_t start, caseCompare cmp) const {
  return index(pattern.data(), pattern.length(), start, cmp);
}
bool RWCString::contains(const char* pattern, caseCompare cmp) const {
  return index(pattern, 0, cmp) != RW_NPOS;
}
bool RWCString::contains(const RWCString& pattern, caseCompare cmp) const {
  return index(pattern, 0, cmp) != RW_NPOS;
}

int RWCString::mbLength() const {
  const char* p = data();
  size_t n = length(), i = 0;
  int count = 0;
  mblen(nullptr, 0);  // reset the shift state
  while (i < n) {
    int k = mblen(p + i, n - i);
    if (k < 0) return -1;
    i += k ? size_t(k) : 1;  // an embedded NUL counts as one character
    ++count;
  }
  return count;
}

// ---- views ------------------------------------------------------------------------

RWCSubString RWCString::operator()(size_t start, size_t len) { return RWCSubString(*this, start, len); }
const RWCSubString RWCString::operator()(size_t start, size_t len) const {
  return RWCSubString(*this, start, len);
}

RWCSubString RWCString::subString(const char* pattern, size_t start) {
  size_t n = pattern ? strlen(pattern) : 0;
  size_t i = index(pattern, n, start, exact);
  return RWCSubString(*this, i, n);
}
const RWCSubString RWCString::subString(const char* pattern, size_t start) const {
  return const_cast<RWCString*>(this)->subString(pattern, start);
}

RWCSubString RWCString::strip(stripType type, char c) {
  const char* p = data();
  size_t j = 0, i = length();
  if (type & leading)
    while (j < i && p[j] == c) ++j;
  if (type & trailing)
    while (i > j && p[i - 1] == c) --i;
  if (i == j) return RWCSubString(*this, RW_NPOS, 0);
  return RWCSubString(*this, j, i - j);
}
const RWCSubString RWCString::strip(stripType type, char c) const {
  return const_cast<RWCString*>(this)->strip(type, c);
}
