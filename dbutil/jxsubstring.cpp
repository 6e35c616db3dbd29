#include "dbutil/jxsubstring.h"

#include <windows.h>

#include <string.h>

namespace {

struct UpperTable {
  unsigned char map[256];
  UpperTable() {
    for (int i = 0; i < 256; ++i) map[i] = static_cast<unsigned char>(i);
    CharUpperBuffA(reinterpret_cast<char*>(map + 1), 255);
  }
};

const UpperTable& upper() {
  static UpperTable table;
  return table;
}

}  // namespace

unsigned char strUpperByte(unsigned char c) { return upper().map[c]; }

JxSubString::JxSubString(const char* text)
    : length_(text ? static_cast<uint32_t>(strlen(text)) : 0), text_(const_cast<char*>(text)) {}

short JxSubString::compare(const JxObject* other) const {
  const JxSubString* o = static_cast<const JxSubString*>(other);
  return strCompareCi(text_, length_, o->text_, o->length_);
}

unsigned long JxSubString::hash() const {
  unsigned long h = 0;
  for (uint32_t i = 0; i < length_ && i < 5; ++i) h += strUpperByte(static_cast<unsigned char>(text_[i]));
  return h;
}

short strCompare(const char* a, uint32_t la, const char* b, uint32_t lb) {
  uint32_t n = la < lb ? la : lb;
  int r = n ? memcmp(a, b, n) : 0;
  if (r == 0) r = la < lb ? -1 : la > lb ? 1 : 0;
  return static_cast<short>(r > 0 ? 1 : r < 0 ? -1 : 0);
}

short strCompareCi(const char* a, uint32_t la, const char* b, uint32_t lb) {
  const UpperTable& u = upper();
  uint32_t n = la < lb ? la : lb;
  for (uint32_t i = 0; i < n; ++i) {
    unsigned char x = u.map[static_cast<unsigned char>(a[i])];
    unsigned char y = u.map[static_cast<unsigned char>(b[i])];
    if (x != y) return x > y ? 1 : -1;
  }
  return static_cast<short>(la < lb ? -1 : la > lb ? 1 : 0);
}

short strCompareCi(const char* a, const char* b) {
  return strCompareCi(a, static_cast<uint32_t>(strlen(a)), b, static_cast<uint32_t>(strlen(b)));
}
