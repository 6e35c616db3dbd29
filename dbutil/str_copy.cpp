// Copying, quoting, searching, truth texts and dialog labels.
#include "dbutil/jxstrfunc.h"

#include "dbutil/jxstring.h"

#include <windows.h>

#include <string.h>

char* strCopy(char* dst, uint32_t size, const char* src) {
  if (size == 0) return dst;
  uint32_t n = 0;
  while (n + 1 < size && src[n]) ++n;
  memmove(dst, src, n);
  dst[n] = 0;
  return dst + n;
}

char* strCopy(char* dst, const char* src, uint32_t n) {
  memmove(dst, src, n);
  dst[n] = 0;
  return dst + n;
}

char* strCopyQuoted(char* dst, const char* src, uint32_t n, char quote) {
  *dst++ = quote;
  for (uint32_t i = 0; i < n; ++i) {
    if (src[i] == quote) *dst++ = quote;
    *dst++ = src[i];
  }
  *dst++ = quote;
  *dst = 0;
  return dst;
}

char* strCopyQuoted(char* dst, const char* src, char quote) {
  return strCopyQuoted(dst, src, static_cast<uint32_t>(strlen(src)), quote);
}

char* strCatQuoted(char* dst, const char* src, char quote) {
  return strCopyQuoted(dst + strlen(dst), src, quote);
}

char* strCopyUnquoted(char* dst, const char* src, uint32_t n) {
  if (n < 2) {
    *dst = 0;
    return dst;
  }
  const char quote = src[0];
  for (uint32_t i = 1; i + 1 < n; ++i) {
    *dst++ = src[i];
    if (src[i] == quote && i + 2 < n && src[i + 1] == quote) ++i;
  }
  *dst = 0;
  return dst;
}

char* strCopyUnquoted(char* dst, const char* src) {
  return strCopyUnquoted(dst, src, static_cast<uint32_t>(strlen(src)));
}

char* strFind(const char* text, const char* sub) { return const_cast<char*>(strstr(text, sub)); }

char* strFindReverse(const char* text, char c) {
  if (!c) return nullptr;
  return const_cast<char*>(strrchr(text, c));
}

char* strFind(const char* text, char c, char q1, char q2, char q3) {
  char open = 0;
  for (const char* p = text; *p; ++p) {
    if (open) {
      if (*p == open) open = 0;
    } else if (*p == c) {
      return const_cast<char*>(p);
    } else if ((q1 && *p == q1) || (q2 && *p == q2) || (q3 && *p == q3)) {
      open = *p;
    }
  }
  return nullptr;
}

short isTrueStr(const char* text) {
  if (text[0] == '1' || text[0] == 'T' || text[0] == 't') return 1;
  return (text[0] == 'O' || text[0] == 'o') && (text[1] == 'N' || text[1] == 'n') ? 1 : 0;
}

static unsigned char lowerByte(unsigned char c) {
  char s[2] = {static_cast<char>(c), 0};
  CharLowerBuffA(s, 1);
  return static_cast<unsigned char>(s[0]);
}

static bool inSet(const unsigned char* set, unsigned char c) { return (set[c >> 3] >> (c & 7)) & 1; }
static void addToSet(unsigned char* set, unsigned char c) { set[c >> 3] |= 1u << (c & 7); }

void setAcceleratorKey(unsigned char* set, const char* label) {
  const char* amp = strchr(label, '&');
  if (amp && amp[1]) addToSet(set, lowerByte(static_cast<unsigned char>(amp[1])));
}

JxStatus makeDialogText(JxString* out, unsigned char* set, const char* label, const char* argument) {
  JxString text;
  const char* hole = argument ? strstr(label, "%s") : nullptr;
  if (text.initialize(label)) return 1;
  if (hole && text.changeBytes(static_cast<uint32_t>(hole - label), 2, argument,
                               static_cast<uint32_t>(strlen(argument)))) {
    return 1;
  }
  const char* t = text.c_str();
  if (!strchr(t, '&')) {
    uint32_t at = 0;
    bool found = false;
    for (uint32_t i = 0; i < text.getLength() && !found; ++i) {
      const unsigned char c = static_cast<unsigned char>(t[i]);
      if (c == ' ' || (c >= '\t' && c <= '\r')) continue;
      if (!inSet(set, lowerByte(c))) {
        at = i;
        found = true;
      }
    }
    if (text.getLength() && text.changeBytes(at, 0, "&", 1)) return 1;
  }
  setAcceleratorKey(set, text.c_str());
  out->truncate(0);
  return out->concat(text.getPtr(), text.getLength());
}
