// String functions on NUL-terminated text.
#include "utils/strutil.h"

#include <cstring>

#include "utils/xexception.h"

char* strnewdup(const char* s) {
  if (!s) return nullptr;
  size_t n = strlen(s) + 1;
  char* copy = new char[n];
  memcpy(copy, s, n);
  return copy;
}

int strcount(const char* s, int c) {
  if (!s) return 0;
  int n = 0;
  for (; *s; ++s)
    if (*s == char(c)) ++n;
  return n;
}

int strduplicate(char*& dst, const char* src) {
  if (!src) {
    delete[] dst;
    dst = nullptr;
    return 0;
  }
  size_t n = strlen(src);
  int grew = 0;
  if (!dst || strlen(dst) < n) {
    delete[] dst;
    dst = new char[n + 1];
    grew = 1;
  }
  memcpy(dst, src, n + 1);
  return grew;
}

int smart_strcmp(const char* a, const char* b) {
  if (a && b) return strcmp(a, b);
  if (!a && b && *b) return -1;
  if (!b && a && *a) return 1;
  return 0;
}

char* FixedStr::copy(const char* src) {
  if (!buf_) utilsAssert("buf", "STRUTIL.CPP", 96);
  if (!len_) utilsAssert("len", "STRUTIL.CPP", 96);
  if (!src) src = "";
  strncpy(buf_, src, len_);
  buf_[len_] = '\0';
  return buf_;
}
