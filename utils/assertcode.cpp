// utilsAssert and the short code that stands for a source file and line.
//
// The name word holds up to six 5-bit character codes (code k at bits 5k..5k+4):
// 0 end, 1..26 letters (case-folded), 27 '_', 28 '1', 29 '2', 30 '.', 31 anything else.
// Names longer than six characters keep their first five and their last character.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "utils/orvanellog.h"
#include "utils/xexception.h"

namespace {

unsigned charCode(char c) {
  unsigned char u = (unsigned char)std::toupper((unsigned char)c);
  if (u == 0) return 0;
  if (u >= 'A' && u <= 'Z') return u - 64;
  switch (u) {
    case '_':
      return 27;
    case '1':
      return 28;
    case '2':
      return 29;
    case '.':
      return 30;
    default:
      return 31;
  }
}

char codeChar(unsigned code) {
  static const char extra[] = {'_', '1', '2', '.', '?'};
  if (code == 0) return 0;
  if (code <= 26) return char('A' + code - 1);
  return extra[code - 27];
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void utilsEncodeAssert(const char* path, int line, char* buffer) {
  if (!buffer) return;
  unsigned word = 0;
  if (path && *path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
      if (*p == '\\' || *p == '/') name = p + 1;
    int len = (int)std::strlen(name);
    if (len > 0) {
      int n = len < 6 ? len - 1 : 5;
      for (int i = 0; i < n; ++i) word |= charCode(name[i]) << (5 * i);
      word |= charCode(name[len - 1]) << (5 * n);
    }
  }
  std::snprintf(buffer, 15, "%04x.%04x-%04x", word >> 16, word & 0xFFFF, unsigned(line) & 0xFFFF);
}

void utilsDecodeAssert(const char* code, char* sketch, int* line) {
  if (!code || !sketch || !line || !*code) return;
  unsigned word = 0, lineNo = 0;
  int digits = 0;
  for (const char* p = code; *p && digits < 12; ++p) {
    int d = hexDigit(*p);
    if (d < 0) continue;
    if (digits < 8)
      word |= unsigned(d) << (28 - 4 * digits);
    else
      lineNo |= unsigned(d) << (12 - 4 * (digits - 8));
    ++digits;
  }
  std::memset(sketch, 0, 8);
  for (int k = 0; k < 6; ++k) sketch[k] = codeChar((word >> (5 * k)) & 31);
  size_t len = std::strlen(sketch);
  if (len >= 1 && len <= 6) {
    sketch[len] = sketch[len - 1];
    sketch[len - 1] = '*';
  }
  *line = int(lineNo & 0xFFFF);
}

void utilsAssert(const char* condition, const char* path, int line) {
  char code[16];
  utilsEncodeAssert(path, line, code);
  char text[64];
  std::snprintf(text, sizeof text, "Program error: %s", code);
  OrvanelLog(text);
  throw XAssert(condition, path, line);
}
