// RWCRegexp: compiling a pattern into tokens and matching the tokens by backtracking.
#include "utils/rwcregexp.h"

#include <cctype>
#include <cstring>
#include <new>

#include "utils/rwxmsg.h"

namespace {

const unsigned kClassWords = 16;

inline bool isRepeat(uint16_t t) {
  return t == RWCRegexp::kStar || t == RWCRegexp::kPlus || t == RWCRegexp::kOpt;
}

inline int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = char(tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads one escape after the backslash at *p (which points past it); advances *p.
// A backslash at the very end stands for itself.
unsigned char escapeValue(const char*& p) {
  char c = *p;
  if (c == '\0') return '\\';
  ++p;
  switch (tolower(static_cast<unsigned char>(c))) {
    case 'b':
      return 8;
    case 'e':
      return 27;
    case 'f':
      return 12;
    case 'n':
      return 10;
    case 'r':
      return 13;
    case 's':
      return 32;
    case 't':
      return 9;
    case 'x': {
      int v = 0;
      for (int i = 0; i < 2 && hexValue(*p) >= 0; ++i) v = v * 16 + hexValue(*p++);
      return static_cast<unsigned char>(v);
    }
    default:
      break;
  }
  if (c == '^' && *p != '\0')
    return static_cast<unsigned char>(toupper(static_cast<unsigned char>(*p++)) - 64);
  if (c >= '0' && c <= '7') {
    int v = c - '0';
    for (int i = 1; i < 3 && *p >= '0' && *p <= '7'; ++i) v = v * 8 + (*p++ - '0');
    return static_cast<unsigned char>(v);
  }
  return static_cast<unsigned char>(c);
}

inline void setBit(uint16_t* set, unsigned c) { set[c / 16] |= uint16_t(1u << (c % 16)); }

// Builds the set of the class whose text starts at p (past the '['). Answers the
// position past the closing ']', or null when there is none.
const char* buildClass(const char* p, uint16_t* set) {
  memset(set, 0, kClassWords * sizeof *set);
  bool negate = false;
  if (*p == '^') {
    negate = true;
    ++p;
  }
  bool first = true;
  int previous = -1;  // the last member, the start of a range
  while (*p && *p != ']') {
    if (*p == '-' && !first && p[1] != ']' && p[1] != '\0' && previous >= 0) {
      ++p;
      int to = *p == '\\' ? (++p, escapeValue(p)) : static_cast<unsigned char>(*p++);
      int from = previous;
      if (from > to) {
        int t = from;
        from = to;
        to = t;
      }
      for (int c = from; c <= to; ++c) setBit(set, unsigned(c));
      previous = -1;
    } else {
      int c = *p == '\\' ? (++p, escapeValue(p)) : static_cast<unsigned char>(*p++);
      setBit(set, unsigned(c));
      previous = c;
    }
    first = false;
  }
  if (*p != ']') return nullptr;
  if (negate)
    for (unsigned i = 0; i < kClassWords; ++i) set[i] = uint16_t(~set[i]);
  return p + 1;
}

}  // namespace

RWCRegexp::RWCRegexp(const char* pattern) : pattern_(nullptr), stat_(OK), usable_(false) {
  genPattern(pattern);
}

RWCRegexp::RWCRegexp(const RWCString& pattern) : pattern_(nullptr), stat_(OK), usable_(false) {
  genPattern(pattern.data());
}

RWCRegexp::RWCRegexp(const RWCRegexp& other)
    : pattern_(new (std::nothrow) uint16_t[maxpat_]), stat_(other.stat_), usable_(other.usable_) {
  if (!pattern_) {
    stat_ = NOMEM;
    usable_ = false;
    return;
  }
  if (other.pattern_)
    memcpy(pattern_, other.pattern_, maxpat_ * sizeof *pattern_);
  else
    pattern_[0] = kEnd;
}

RWCRegexp::~RWCRegexp() { delete[] pattern_; }

RWCRegexp& RWCRegexp::operator=(const RWCRegexp& other) {
  if (this == &other) return *this;
  if (!pattern_) pattern_ = new (std::nothrow) uint16_t[maxpat_];
  if (!pattern_ || !other.pattern_) {
    if (pattern_) pattern_[0] = kEnd;
    stat_ = pattern_ ? other.stat_ : NOMEM;
    usable_ = false;
    return *this;
  }
  memcpy(pattern_, other.pattern_, maxpat_ * sizeof *pattern_);
  stat_ = other.stat_;
  usable_ = other.usable_;
  return *this;
}

RWCRegexp& RWCRegexp::operator=(const char* pattern) {
  delete[] pattern_;
  pattern_ = nullptr;
  genPattern(pattern);
  return *this;
}

RWCRegexp& RWCRegexp::operator=(const RWCString& pattern) { return *this = pattern.data(); }

RWCRegexp::statVal RWCRegexp::status() {
  statVal s = statVal(stat_);
  stat_ = OK;
  return s;
}

void RWCRegexp::genPattern(const char* text) {
  usable_ = false;
  if (!pattern_) pattern_ = new (std::nothrow) uint16_t[maxpat_];
  if (!pattern_) {
    stat_ = NOMEM;
    return;
  }
  pattern_[0] = kEnd;  // a failed compilation leaves an empty pattern, never stale tokens
  if (!text) text = "";
  if (*text == '\0' || *text == '*' || *text == '+' || *text == '?') {
    stat_ = ILLEGAL;
    return;
  }
  auto fail = [this] {
    stat_ = TOOLONG;
    pattern_[0] = kEnd;
  };
  const unsigned kLimit = maxpat_ - 1;  // the last token is always kEnd
  unsigned n = 0;                       // tokens written
  unsigned previous = 0;                // where the previous element starts
  bool havePrevious = false;
  const char* p = text;
  while (*p) {
    if (n >= kLimit) return fail();
    unsigned here = n;
    char c = *p++;
    if (c == '^' && p - 1 == text) {
      pattern_[n++] = kBol;
    } else if (c == '$' && *p == '\0') {
      pattern_[n++] = kEol;
    } else if (c == '.') {
      pattern_[n++] = kAny;
    } else if (c == '*' || c == '+' || c == '?') {
      uint16_t t = havePrevious ? pattern_[previous] : uint16_t(kEnd);
      if (!havePrevious || t == kEol || t == kBol || isRepeat(t)) return fail();
      memmove(pattern_ + previous + 1, pattern_ + previous, (n - previous) * sizeof *pattern_);
      pattern_[previous] = c == '*' ? kStar : c == '+' ? kPlus : kOpt;
      ++n;
      continue;  // the repeated element stays the previous one (and now starts with *)
    } else if (c == '[') {
      if (kLimit - n < 1 + kClassWords) return fail();
      pattern_[n] = kClass;
      p = buildClass(p, pattern_ + n + 1);
      if (!p) return fail();
      n += 1 + kClassWords;
    } else if (c == '\\') {
      pattern_[n++] = escapeValue(p);
    } else {
      pattern_[n++] = static_cast<unsigned char>(c);
    }
    previous = here;
    havePrevious = true;
  }
  pattern_[n] = kEnd;
  stat_ = OK;
  usable_ = true;
}

namespace {

// The length of the element at pat, in tokens.
inline unsigned elementSize(const uint16_t* pat) { return *pat == RWCRegexp::kClass ? 17 : 1; }

// Whether the one-byte element at pat matches at `at` (with bytes up to end).
inline bool matchOne(const uint16_t* pat, const char* at, const char* end) {
  if (at >= end) return false;
  unsigned char c = static_cast<unsigned char>(*at);
  uint16_t t = *pat;
  if (t == RWCRegexp::kAny) return true;
  if (t == RWCRegexp::kClass) return (pat[1 + c / 16] >> (c % 16)) & 1;
  return t == c;
}

}  // namespace

// Answers where the match of pat starting at `at` ends, or null. bol is the position
// that '^' accepts.
const char* RWCRegexp::matchFrom(const uint16_t* pat, const char* at, const char* end,
                                 const char* bol) const {
  for (;;) {
    uint16_t t = *pat;
    if (t == kEnd) return at;
    if (t == kEol) {
      if (at != end) return nullptr;
      ++pat;
      continue;
    }
    if (t == kBol) {
      if (at != bol) return nullptr;
      ++pat;
      continue;
    }
    if (isRepeat(t)) {
      const uint16_t* element = pat + 1;
      const uint16_t* rest = element + elementSize(element);
      const char* least = at;
      if (t == kPlus) {
        if (!matchOne(element, at, end)) return nullptr;
        least = at + 1;
      }
      const char* far = least;
      if (t == kOpt) {
        if (matchOne(element, at, end)) far = at + 1;
      } else {
        while (matchOne(element, far, end)) ++far;
      }
      if (*rest == kEnd) return far;
      // Give back one byte at a time, down to the fewest repetitions allowed.
      for (const char* q = far;; --q) {
        if (const char* r = matchFrom(rest, q, end, bol)) return r;
        if (q == least) return nullptr;
      }
    }
    if (!matchOne(pat, at, end)) return nullptr;
    ++at;
    pat += elementSize(pat);
  }
}

void RWCRegexp::checkUsable() const {
  if (!usable_ || stat_ != OK) throw RWInternalErr(RWMessage(RWTOOL_BADRE));
}

size_t RWCRegexp::index(const RWCString& s, size_t* len, size_t start) const {
  checkUsable();
  size_t dummy;
  if (!len) len = &dummy;
  *len = 0;
  size_t n = s.length();
  if (start > n) return RW_NPOS;
  const uint16_t* pat = pattern_;
  if (start == n) {
    bool empty = pat[0] == kEol || (pat[0] == kBol && (pat[1] == kEnd || pat[1] == kEol));
    return empty ? start : RW_NPOS;
  }
  const char* text = s.data();
  for (size_t p = start; p < n; ++p) {
    if (const char* e = matchFrom(pat, text + p, text + n, text + start)) {
      *len = size_t(e - (text + p));
      return p;
    }
  }
  return RW_NPOS;
}

size_t RWCRegexp::p_index(const RWCString& s, size_t* len, size_t start) const {
  checkUsable();
  size_t dummy;
  if (!len) len = &dummy;
  *len = 0;
  if (start > s.length()) return RW_NPOS;
  // Every position down from start is tried, start itself with an empty window: a
  // backward search from the end of the text must find what lies before it.
  const char* text = s.data();
  for (size_t p = start + 1; p-- > 0;) {
    if (const char* e = matchFrom(pattern_, text + p, text + start, text)) {
      *len = size_t(e - (text + p));
      return p;
    }
  }
  return RW_NPOS;
}
