// Comparisons and 32-bit byte moves.
#include "dbutil/jxstrfunc.h"

#include <windows.h>

#include <string.h>

static short sign(int r) { return static_cast<short>(r > 0 ? 1 : r < 0 ? -1 : 0); }

short strComparePad(const char* a, uint32_t la, const char* b, uint32_t lb) {
  const uint32_t n = la < lb ? la : lb;
  const int r = n ? memcmp(a, b, n) : 0;
  if (r) return sign(r);
  // Any byte but a blank in the longer one's rest makes it the greater.
  const bool aLonger = la > lb;
  const unsigned char* rest = reinterpret_cast<const unsigned char*>(aLonger ? a : b);
  for (uint32_t i = n; i < (aLonger ? la : lb); ++i) {
    if (rest[i] != ' ') return aLonger ? 1 : -1;
  }
  return 0;
}

short strComparePad(const char* a, const char* b) {
  return strComparePad(a, static_cast<uint32_t>(strlen(a)), b, static_cast<uint32_t>(strlen(b)));
}

short strCompareIntl(const char* a, const char* b) {
  return sign(CompareStringA(LOCALE_USER_DEFAULT, 0, a, -1, b, -1) - CSTR_EQUAL);
}

short strCompareIntl(const char* a, uint32_t la, const char* b, uint32_t lb) {
  char x[513], y[513];
  if (la > 512) la = 512;
  if (lb > 512) lb = 512;
  memcpy(x, a, la);
  x[la] = 0;
  memcpy(y, b, lb);
  y[lb] = 0;
  return strCompareIntl(x, y);
}

short strCompareWithMaxLength(const char* a, const char* b, uint32_t n) { return sign(strncmp(a, b, n)); }

short floatCompare(const void* a, const void* b) {
  const unsigned char* x = static_cast<const unsigned char*>(a);
  const unsigned char* y = static_cast<const unsigned char*>(b);
  const bool xNeg = (x[7] & 0x80) != 0, yNeg = (y[7] & 0x80) != 0;
  if (xNeg != yNeg) return xNeg ? -1 : 1;
  for (int i = 7; i >= 0; --i) {
    if (x[i] != y[i]) {
      const short r = x[i] > y[i] ? 1 : -1;
      return xNeg ? static_cast<short>(-r) : r;
    }
  }
  return 0;
}

unsigned short memCompareHuge(const void* a, const void* b, uint32_t n) {
  const int r = n ? memcmp(a, b, n) : 0;
  return r > 0 ? 1 : r < 0 ? 0xFFFF : 0;
}

void memCopyHuge(void* dst, const void* src, uint32_t n) { memmove(dst, src, n); }

void memFillHuge(void* dst, int c, uint32_t n) { memset(dst, c, n); }
