// Small functions on NUL-terminated strings, and a fixed-size string buffer.
#pragma once

#include <cstddef>

#include "utils/ovutil_api.h"

// A copy allocated with new[]; null for null.
OVUTIL_API char* strnewdup(const char* s);
// Occurrences of c in s; 0 for null.
OVUTIL_API int strcount(const char* s, int c);
// Copies src into dst, reallocating dst (new[]) only when it is null or shorter than src;
// answers 1 when it reallocated. A null src deletes dst, nulls it and answers 0.
OVUTIL_API int strduplicate(char*& dst, const char* src);
// strcmp where a null string equals an empty one.
OVUTIL_API int smart_strcmp(const char* a, const char* b);

// A caller-owned buffer of len + 1 bytes.
class OVUTIL_API FixedStr {
 public:
  FixedStr(char* buf, size_t len) : buf_(buf), len_(len) {}
  // Copies at most len bytes of src (empty for null) and terminates at len; asserts that
  // the buffer and its length are set.
  char* copy(const char* src);
  char* buffer() const { return buf_; }
  size_t length() const { return len_; }

 private:
  char* buf_;
  size_t len_;
};
