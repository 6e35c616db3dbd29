// buttoken: the engine's one-token reader into an 80-byte buffer. Every mode is bounded
// by the buffer: a token that does not fit is refused, cut or moved to an allocation,
// as the caller asks.
#include "dbutil/jxscanner.h"

#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "dbutil/utl_messages.h"

#include <string.h>

namespace {

typedef unsigned char uchar;

enum Kind { PLAIN, QUOTED, BACKSLASH_ESCAPES };

bool oneOf(const char* set, uchar c) { return c && strchr(set, c); }
bool isDigit(uchar c) { return c >= '0' && c <= '9'; }
bool isWhite(uchar c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isNameChar(uchar c) { return jxIsWordChar(c) || isDigit(c); }

// Writes the token's text (at most cap bytes) and answers its full length.
uint32_t render(const uchar* s, const uchar* e, Kind kind, bool upper, char* out, uint32_t cap) {
  uint32_t n = 0;
  auto put = [&](uchar c) {
    if (n < cap) out[n] = static_cast<char>(upper ? strUpperByte(c) : c);
    ++n;
  };
  if (kind == QUOTED) {
    const uchar q = *s;
    put(q);
    for (const uchar* p = s + 1; p < e - 1; ++p) {
      put(*p);
      if (*p == q && p + 1 < e - 1 && p[1] == q) ++p;  // a doubled quote is copied as one
    }
    put(q);
    return n;
  }
  for (const uchar* p = s; p < e; ++p) {
    if (kind == BACKSLASH_ESCAPES && *p == '\\' && p + 1 < e && oneOf("-+*/", p[1])) ++p;
    put(*p);
  }
  return n;
}

// An error whose parameter is the text at s, cut to a readable length.
void refuse(unsigned short number, const char* s, uint32_t n) {
  char shown[BUT_MAX_TOKEN + 4];
  uint32_t cut = n > BUT_MAX_TOKEN ? uint32_t(BUT_MAX_TOKEN) : n;
  memcpy(shown, s, cut);
  if (cut < n) memcpy(shown + cut, "...", 3), cut += 3;
  shown[cut] = 0;
  *utlErrorById(number) << shown;
}

const char* const kTwoCharOperators[] = {"||", "<>", "<=", ">=", "!=", "!<", "!>", "**", "*=", "=*"};

}  // namespace

char* buttokenText(const char* buffer) {
  char* p;
  memcpy(&p, buffer + 2, sizeof p);
  return p;
}

JxStatus buttoken(char* buffer, const char** textp, unsigned short flags) {
  const unsigned mode = flags & BUT_MODE_MASK;
  const uchar* p = reinterpret_cast<const uchar*>(*textp);
  buffer[0] = 0;
  while (isWhite(*p)) ++p;
  const uchar c = *p;
  const uchar* e = p;
  Kind kind = PLAIN;
  bool upper = false;

  if (!c) {
    // End of the text: an empty token.
  } else if (mode == 1 && !oneOf(",/()|", c)) {
    while (*e && *e > ' ' && *e != 127 && !oneOf(",/()|", *e)) {
      if (*e == '`') {  // backquotes quote the characters that would end the word
        const uchar* close =
            reinterpret_cast<const uchar*>(strchr(reinterpret_cast<const char*>(e + 1), '`'));
        if (!close) {
          refuse(MSG_UNMATCHED_QUOTE, reinterpret_cast<const char*>(p),
                 static_cast<uint32_t>(strlen(reinterpret_cast<const char*>(p))));
          return 1;
        }
        e = close;
      }
      ++e;
    }
    upper = true;
  } else if (c == '\'' || c == '`' || c == '"') {
    for (e = p + 1;; ++e) {
      if (!*e) {
        refuse(MSG_UNMATCHED_QUOTE, reinterpret_cast<const char*>(p), static_cast<uint32_t>(e - p));
        return 1;
      }
      if (*e != c) continue;
      if (e[1] == c) {
        ++e;
        continue;
      }
      ++e;
      break;
    }
    kind = QUOTED;
  } else if (mode == 4 && isDigit(c)) {
    while (isNameChar(*e) || *e == ':' || *e == '.') ++e;
    upper = true;
  } else if (isDigit(c) || (c == '.' && isDigit(p[1]))) {
    bool point = c == '.';
    for (e = p + 1;; ++e) {
      if (isDigit(*e)) continue;
      if (*e == '.' && !point) {
        point = true;
        continue;
      }
      break;
    }
    if (mode == 3 && e[-1] == '.' && e - 1 > p) --e;  // a final "." is handed back
  } else if (jxIsWordChar(c) || (c == '#' && (mode == 2 || mode == 6)) || (c == '.' && mode == 3)) {
    if (mode == 5) {
      e = p + strlen(reinterpret_cast<const char*>(p));
    } else {
      for (e = p + 1;;) {
        if (isNameChar(*e) || (mode == 3 && *e == '.') ||
            ((mode == 2 || mode == 6) && (*e == '#' || *e == '$'))) {
          ++e;
        } else if ((mode == 2 || mode == 6) && *e == '\\' && oneOf("-+*/", e[1])) {
          e += 2;
          kind = BACKSLASH_ESCAPES;
        } else {
          break;
        }
      }
      if (mode == 3 && e[-1] == '.' && e - 1 > p) --e;
    }
    upper = true;
  } else if (c == '{') {
    const char* close = strchr(reinterpret_cast<const char*>(p), '}');
    if (!close) {
      refuse(MSG_UNMATCHED_QUOTE, reinterpret_cast<const char*>(p),
             static_cast<uint32_t>(strlen(reinterpret_cast<const char*>(p))));
      return 1;
    }
    e = reinterpret_cast<const uchar*>(close) + 1;
  } else if ((mode == 4 && c == ':') || c == '?') {
    for (e = p + 1; isNameChar(*e);) ++e;  // the parameter's name follows directly
    upper = true;
  } else if (c == '(' && p[1] == '+' && p[2] == ')') {
    e = p + 3;
  } else {
    e = p + 1;
    for (const char* op : kTwoCharOperators)
      if (c == static_cast<uchar>(op[0]) && p[1] == static_cast<uchar>(op[1])) e = p + 2;
  }

  if (flags & BUT_KEEP_CASE) upper = false;
  const uint32_t length = render(p, e, kind, upper, nullptr, 0);
  if (flags & BUT_ALLOCATE) {
    char* copy = static_cast<char*>(ramAlloc(length + 100));
    if (!copy) return 1;
    render(p, e, kind, upper, copy, length);
    copy[length] = 0;
    buffer[0] = copy[0];
    buffer[1] = 0;
    memcpy(buffer + 2, &copy, sizeof copy);
  } else if (length > BUT_MAX_TOKEN && !(flags & BUT_TRUNCATE)) {
    refuse(MSG_TOKEN_TOO_BIG, reinterpret_cast<const char*>(p), static_cast<uint32_t>(e - p));
    return 1;
  } else {
    const uint32_t kept = length > BUT_MAX_TOKEN ? uint32_t(BUT_MAX_TOKEN) : length;
    render(p, e, kind, upper, buffer, kept);
    buffer[kept] = 0;
  }
  *textp = reinterpret_cast<const char*>(e);
  return 0;
}
