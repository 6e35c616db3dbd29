// Decimal and hexadecimal conversions.
#include "dbutil/jxstrfunc.h"

#include "dbutil/jxerror.h"
#include "dbutil/jxstring.h"
#include "dbutil/utl_messages.h"

#include <string.h>

int convert(char* buffer, unsigned long value) { return utlDecimal(buffer, value); }
int convert(char* buffer, long value) { return utlDecimal(buffer, value); }

int convert(char* buffer, int width, unsigned long value, int leftAlign) {
  if (width < 0) width = 0;
  memset(buffer, ' ', width);
  buffer[width] = 0;
  const int positions = width < 10 ? width : 10;
  char digits[12];
  int n = 0;
  for (unsigned long v = value; v; v /= 10) digits[n++] = static_cast<char>('0' + v % 10);
  char* field = leftAlign ? buffer : buffer + width - positions;
  if (n > positions) {
    for (int i = 0; i + 1 < positions; ++i) field[i] = '*';
    return 0;
  }
  // Leading zeros stay blank, so 0 leaves the field blank.
  char* d = leftAlign ? field : field + positions - n;
  for (int i = 0; i < n; ++i) d[i] = digits[n - 1 - i];
  return n;
}

namespace {

// Parses text into a magnitude and a sign. limitPos/limitNeg bound the magnitude.
JxStatus parse(const char* text, bool signedForm, uint64_t limitPos, uint64_t limitNeg, uint64_t* magnitude,
               bool* negative) {
  const char* p = text;
  bool minus = false;
  while (*p == ' ' || *p == '+' || (signedForm && !minus && *p == '-')) {
    if (*p == '-') minus = true;
    ++p;
  }
  uint64_t v = 0;
  const uint64_t limit = minus ? limitNeg : limitPos;
  bool tooLarge = false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    v = v * 10 + static_cast<unsigned>(*p - '0');
    if (v > limit) {
      tooLarge = true;
      v = limit + 1;  // stays bounded, keeps scanning the digits
    }
  }
  while (*p == ' ') ++p;
  if (*p) {
    *utlErrorById(MSG_NUMBER_INVALID_CHAR) << text;
    return 1;
  }
  if (tooLarge) {
    *utlErrorById(MSG_NUMBER_TOO_LARGE) << text;
    return 1;
  }
  *magnitude = v;
  *negative = minus;
  return 0;
}

template <class T>
JxStatus parseUnsigned(const char* text, T* out, uint64_t max) {
  uint64_t v;
  bool neg;
  if (parse(text, false, max, 0, &v, &neg)) return 1;
  *out = static_cast<T>(v);
  return 0;
}

template <class T>
JxStatus parseSigned(const char* text, T* out, uint64_t maxPos) {
  uint64_t v;
  bool neg;
  if (parse(text, true, maxPos, maxPos + 1, &v, &neg)) return 1;
  const int64_t s = neg ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
  *out = static_cast<T>(s);
  return 0;
}

}  // namespace

JxStatus convert(const char* text, unsigned long* out) { return parseUnsigned(text, out, 0xFFFFFFFFu); }
JxStatus convert(const char* text, long* out) { return parseSigned(text, out, 0x7FFFFFFF); }
JxStatus convert(const char* text, unsigned short* out) { return parseUnsigned(text, out, 0xFFFF); }
JxStatus convert(const char* text, short* out) { return parseSigned(text, out, 0x7FFF); }
JxStatus convert(const char* text, unsigned char* out) { return parseUnsigned(text, out, 0xFF); }
JxStatus convert(const char* text, char* out) { return parseSigned(text, out, 0x7F); }

JxStatus convert(const char* text, uint32_t length, unsigned short* out) {
  char buffer[80];
  if (length > 79) length = 79;
  uint32_t n = 0;
  while (n < length && text[n]) ++n;
  memcpy(buffer, text, n);
  buffer[n] = 0;
  return convert(buffer, out);
}

static const char kHex[] = "0123456789ABCDEF";

int hexify(char* buffer, unsigned long value, int minDigits) {
  if (minDigits > 16) minDigits = 16;
  char digits[16];
  int n = 0;
  do {
    digits[n++] = kHex[value & 15];
    value >>= 4;
  } while (value);
  while (n < minDigits) digits[n++] = '0';
  for (int i = 0; i < n; ++i) buffer[i] = digits[n - 1 - i];
  buffer[n] = 0;
  return n;
}

uint32_t hexifyHuge(char* dst, const void* src, uint32_t n) {
  const unsigned char* s = static_cast<const unsigned char*>(src);
  // From the end, so that dst == src works in place.
  for (uint32_t i = n; i-- > 0;) {
    const unsigned char b = s[i];
    dst[2 * i] = kHex[b >> 4];
    dst[2 * i + 1] = kHex[b & 15];
  }
  return 2 * n;
}

uint32_t hexify(char* dst, const void* src, unsigned short n) { return hexifyHuge(dst, src, n); }

static int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

JxStatus dehexifyHuge(void* dst, const char* src, uint32_t n) {
  if (!isHexString(src, n)) {
    utlErrorById(MSG_INVALID_HEX);
    return 1;
  }
  unsigned char* d = static_cast<unsigned char*>(dst);
  for (uint32_t i = 0; i < n; i += 2) {
    const int hi = hexValue(src[i]);
    const int lo = i + 1 < n ? hexValue(src[i + 1]) : 0;
    d[i / 2] = static_cast<unsigned char>(hi << 4 | lo);
  }
  return 0;
}

JxStatus dehexify(void* dst, const char* src, unsigned short n) { return dehexifyHuge(dst, src, n); }

short isHexString(const char* text, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i)
    if (hexValue(text[i]) < 0) return 0;
  return 1;
}
