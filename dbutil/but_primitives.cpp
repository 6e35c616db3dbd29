// BUT byte and string moves, with 32-bit counts.
#include "dbutil/jxmemory.h"

#include <string.h>

void BUTMEMCP(void* dst, const void* src, uint32_t n) {
  unsigned char* d = static_cast<unsigned char*>(dst);
  const unsigned char* s = static_cast<const unsigned char*>(src);
  if (d <= s || d >= s + n) {
    memmove(d, s, n);
    return;
  }
  // Overlapping with dst after src: a forward copy repeats the leading bytes.
  for (uint32_t i = 0; i < n; ++i) d[i] = s[i];
}

void BUTMMCPD(void* dst, const void* src, uint32_t n) {
  unsigned char* d = static_cast<unsigned char*>(dst);
  const unsigned char* s = static_cast<const unsigned char*>(src);
  if (d >= s || d + n <= s) {
    memmove(d, s, n);
    return;
  }
  // Overlapping with dst before src: copying from the ends repeats the trailing bytes.
  while (n--) d[n] = s[n];
}

unsigned short BUTMMCMP(const void* a, const void* b, uint32_t n) {
  int r = memcmp(a, b, n);
  return r > 0 ? 1 : r < 0 ? 0xFFFF : 0;
}

void BUTMMSWP(void* a, void* b, uint32_t n) {
  unsigned char buffer[512];
  unsigned char* p = static_cast<unsigned char*>(a);
  unsigned char* q = static_cast<unsigned char*>(b);
  while (n) {
    uint32_t part = n < sizeof buffer ? n : sizeof buffer;
    memcpy(buffer, p, part);
    memcpy(p, q, part);
    memcpy(q, buffer, part);
    p += part;
    q += part;
    n -= part;
  }
}

char* BUTSTCAT(char* dst, const char* src) { return BUTSTCPY(dst + strlen(dst), src); }

char* BUTSTCHR(const char* s, int c) {
  if (static_cast<char>(c) == 0) return nullptr;
  return const_cast<char*>(strchr(s, c));
}

int BUTSTCMP(const char* a, const char* b) { return strcmp(a, b); }

char* BUTSTCPY(char* dst, const char* src) {
  size_t n = strlen(src);
  memcpy(dst, src, n + 1);
  return dst + n;
}

uint32_t BUTSTLEN(const char* s) { return static_cast<uint32_t>(strlen(s)); }

void BUTU8FIL(void* dst, int c, uint32_t n) { memset(dst, c, n); }
