// Compiling search expressions into byte programs and matching them against lines.
#include "edregex.h"

#include <string.h>

#include "edrecord.h"

namespace ked {

namespace {

const char kSpecial[] = "?+*^$[|\\:";

struct NamedClass {
  char letter;
  const char* expression;
};

const NamedClass kNamedClasses[] = {
    {'a', "[a-zA-Z0-9]"},
    {'b', "[ \t]+"},
    {'c', "[a-zA-Z]"},
    {'d', "[0-9]"},
    {'f', "[^\\[\\]\\:<>|=+;,]+"},
    {'h', "[0-9a-fA-F]+"},
    {'i', "[0-9]+"},
    {'l', "[a-zA-Z_][a-zA-Z_0-9]+"},
    {'p', "{[a-zA-Z]\\:|}{\\\\|}{:f{:f|}\\\\}*:f{.:f|}"},
    {'w', "[a-zA-Z]+"},
};

char escaped(char c) {
  switch (c) {
    case 'E':
      return 27;
    case 'b':
      return 8;
    case 'f':
      return 12;
    case 'n':
      return 10;
    case 'r':
      return 13;
    case 't':
      return 9;
  }
  return c;
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The compiler's state: the program being written and the groups.
class Compiler {
 public:
  explicit Compiler(SearchContext* context) : c_(context) {}

  bool run() {
    c_->openCount = 0;
    closed_ = 0;
    groups_ = 0;
    size_ = 0;
    const char* text = c_->pattern;
    if (top_level_alternatives(text)) {
      // Alternatives at the top level are one group of alternatives.
      const char* p = text;
      if (!alternatives(&p, false)) return false;
    } else {
      const char* p = text;
      if (!sequence(&p, false)) return false;
      if (*p) return false;  // a "}" without its "{"
    }
    return put(RX_END);
  }

 private:
  SearchContext* c_;
  int size_ = 0;
  int groups_ = 0;  // groups opened
  int closed_ = 0;  // groups closed
  int depth_ = 0;   // nesting of braces and named classes

  bool ignore_case() const { return !c_->caseSensitive; }

  bool put(uint8_t byte) {
    if (size_ >= kProgramSize) return false;
    c_->program[size_++] = byte;
    return true;
  }

  static bool top_level_alternatives(const char* p) {
    int depth = 0;
    for (; *p; ++p) {
      if (*p == '\\' && p[1]) {
        ++p;
      } else if (*p == '[') {
        // skip the class
        ++p;
        if (*p == '^') ++p;
        while (*p && *p != ']') {
          if (*p == '\\' && p[1]) ++p;
          ++p;
        }
        if (!*p) return false;
      } else if (*p == '{') {
        ++depth;
      } else if (*p == '}') {
        --depth;
      } else if (*p == '|' && depth == 0) {
        return true;
      }
    }
    return false;
  }

  // Alternatives up to "}" (inside braces) or the end: "{" L ("|" len next items 0)... 0.
  bool alternatives(const char** p, bool braced) {
    int head = size_;
    if (!put(RX_ALTERNATIVES) || !put(0)) return false;
    for (;;) {
      int alt = size_;
      if (!put(RX_ALTERNATIVE) || !put(0) || !put(0)) return false;
      if (!sequence(p, true)) return false;
      if (!put(RX_END)) return false;
      int length = size_ - alt;
      if (length > 255) return false;
      c_->program[alt + 1] = static_cast<uint8_t>(length);
      c_->program[alt + 2] = static_cast<uint8_t>(length);
      if (**p == '|') {
        ++*p;
        continue;
      }
      if (braced) {
        if (**p != '}') return false;  // an unclosed "{"
        ++*p;
      }
      break;
    }
    if (!put(RX_END)) return false;
    int length = size_ - head;
    if (length > 255) return false;
    c_->program[head + 1] = static_cast<uint8_t>(length);
    return true;
  }

  // Items up to the end, or up to "|" or "}" inside alternatives.
  bool sequence(const char** pp, bool inAlternatives) {
    const char* p = *pp;
    int last = -1;  // start of the previous item that a repeat may take
    while (*p) {
      char ch = *p;
      if (inAlternatives && (ch == '|' || ch == '}')) break;
      if (!inAlternatives && ch == '}' && depth_ > 0) break;
      int start = size_;
      bool repeatable = true;
      ++p;
      if (ch == '^') {
        if (!put(RX_LINE_START)) return false;
        repeatable = false;
      } else if (ch == '$' && (*p == '\0' || *p == '}' || *p == '|')) {
        if (!put(RX_LINE_END)) return false;
        repeatable = false;
      } else if (ch == '?') {
        if (!put(RX_ANY)) return false;
      } else if (ch == '[') {
        if (!klass(&p)) return false;
      } else if (ch == '{') {
        ++depth_;
        bool ok = alternatives(&p, true);
        --depth_;
        if (!ok) return false;
      } else if (ch == ':' && is_letter(*p)) {
        char letter = *p++;
        const char* expansion = nullptr;
        for (const NamedClass& named : kNamedClasses)
          if (named.letter == letter) expansion = named.expression;
        if (expansion) {
          ++depth_;
          const char* q = expansion;
          bool ok = sequence(&q, false);
          --depth_;
          if (!ok || *q) return false;
          // A repeat after a named class takes the expansion's last item.
          last = last_item_;
          continue;
        }
        if (!literal(letter)) return false;
      } else if (ch == ':') {
        if (*p) {
          if (!literal(*p++)) return false;
        } else if (!literal(':')) {
          return false;
        }
      } else if ((ch == '*' || ch == '+') && last >= 0) {
        if (!repeat(last, ch == '+')) return false;
        last = -1;
        last_item_ = -1;
        continue;
      } else if (ch == '\\') {
        char next = *p;
        if (next == '(') {
          ++p;
          if (groups_ >= kGroups) return false;
          c_->openGroups[c_->openCount++] = groups_;
          if (!put(RX_GROUP_START) || !put(static_cast<uint8_t>(groups_))) return false;
          ++groups_;
          repeatable = false;
        } else if (next == ')') {
          ++p;
          if (c_->openCount == 0) return false;
          int n = c_->openGroups[--c_->openCount];
          if (!put(RX_GROUP_END) || !put(static_cast<uint8_t>(n))) return false;
          ++closed_;
          repeatable = false;
        } else if (next >= '1' && next <= '9') {
          ++p;
          int n = next - '1';
          if (n + 1 > closed_) return false;
          if (!put(RX_BACKREF) || !put(static_cast<uint8_t>(n))) return false;
        } else if (next == 'c') {
          ++p;
          if (!put(RX_CARET)) return false;
          repeatable = false;
        } else if (next) {
          ++p;
          if (!literal(escaped(next))) return false;
        } else if (!literal('\\')) {
          return false;
        }
      } else {
        if (!literal(ch)) return false;
      }
      last = repeatable ? start : -1;
      last_item_ = last;
    }
    *pp = p;
    return true;
  }

  int last_item_ = -1;

  bool literal(char ch) {
    return put(RX_LITERAL) && put(static_cast<uint8_t>(ignore_case() ? upper(ch) : ch));
  }

  // "*" takes the item at `at` as zero or more; "+" keeps it and adds a repeated copy.
  bool repeat(int at, bool plus) {
    int length = size_ - at;
    if (plus) {
      if (size_ + 1 + length > kProgramSize) return false;
      c_->program[size_] = RX_REPEAT;
      memcpy(c_->program + size_ + 1, c_->program + at, static_cast<size_t>(length));
      size_ += 1 + length;
      return true;
    }
    if (size_ + 1 > kProgramSize) return false;
    memmove(c_->program + at + 1, c_->program + at, static_cast<size_t>(length));
    c_->program[at] = RX_REPEAT;
    ++size_;
    return true;
  }

  bool klass(const char** pp) {
    const char* p = *pp;
    uint8_t bits[32] = {};
    auto set = [&](unsigned char ch) {
      bits[ch / 8] |= static_cast<uint8_t>(1u << (ch % 8));
      if (ignore_case() && ch >= 'a' && ch <= 'z') {
        unsigned char up = static_cast<unsigned char>(ch - 'a' + 'A');
        bits[up / 8] |= static_cast<uint8_t>(1u << (up % 8));
      }
    };
    bool negate = false;
    if (*p == '^') {
      negate = true;
      ++p;
    }
    const char* first = p;
    while (*p && *p != ']') {
      unsigned char ch = static_cast<unsigned char>(*p);
      if (ch == '\\' && p[1]) {
        ch = static_cast<unsigned char>(escaped(p[1]));
        p += 2;
      } else {
        ++p;
      }
      // "a-b" unless the minus is the class's first or last character.
      if (*p == '-' && p != first && p[1] && p[1] != ']') {
        unsigned char to = static_cast<unsigned char>(p[1]);
        p += 2;
        if (to == '\\' && *p) to = static_cast<unsigned char>(escaped(*p++));
        for (unsigned c = ch; c <= to; ++c) set(static_cast<unsigned char>(c));
        continue;
      }
      set(ch);
    }
    if (*p == ']') ++p;
    if (negate)
      for (uint8_t& b : bits) b = static_cast<uint8_t>(~b);
    if (!put(RX_CLASS)) return false;
    for (uint8_t b : bits)
      if (!put(b)) return false;
    *pp = p;
    return true;
  }
};

// ---- matching ----

struct Cursor {
  LineRecord* line;
  int32_t pos;
};

class Matcher {
 public:
  explicit Matcher(SearchContext* context) : c_(context) {}

  bool sequence(const uint8_t* p, Cursor at, Cursor* end) {
    for (;;) {
      if (*p == RX_END) {
        *end = at;
        return true;
      }
      if (*p == RX_REPEAT) return repeat(p, at, end);
      Cursor next;
      if (!one(p, at, &next)) return false;
      at = next;
      p += regex_item_length(p);
    }
  }

 private:
  SearchContext* c_;

  char fold(char ch) const { return c_->caseSensitive ? ch : upper(ch); }

  // A line end taken as a line feed: on to position 0 of the next line.
  static bool next_line(Cursor at, Cursor* next) {
    if (!at.line->next) return false;
    *next = Cursor{at.line->next, 0};
    return true;
  }

  bool one(const uint8_t* p, Cursor at, Cursor* next) {
    const LineRecord* line = at.line;
    bool atEnd = at.pos >= line->length;
    switch (*p) {
      case RX_LITERAL:
        if (atEnd) return p[1] == '\n' && next_line(at, next);
        if (fold(line->text[at.pos]) != static_cast<char>(p[1])) return false;
        *next = Cursor{at.line, at.pos + 1};
        return true;
      case RX_ANY:
        if (atEnd) return false;
        *next = Cursor{at.line, at.pos + 1};
        return true;
      case RX_LINE_START:
        *next = at;
        return at.pos == 0;
      case RX_LINE_END:
        *next = at;
        return atEnd;
      case RX_CLASS: {
        unsigned char ch = atEnd ? '\n' : static_cast<unsigned char>(fold(line->text[at.pos]));
        if (!(p[1 + ch / 8] & (1u << (ch % 8)))) return false;
        if (atEnd) return next_line(at, next);
        *next = Cursor{at.line, at.pos + 1};
        return true;
      }
      case RX_GROUP_START:
        c_->groupLine[p[1]] = at.line;
        c_->groupStart[p[1]] = at.pos;
        *next = at;
        return true;
      case RX_GROUP_END:
        c_->groupEnd[p[1]] = at.pos;
        *next = at;
        return true;
      case RX_BACKREF: {
        int n = p[1];
        const LineRecord* from = c_->groupLine[n];
        int32_t start = c_->groupStart[n], stop = c_->groupEnd[n];
        if (!from || start < 0 || stop < start) return false;
        int32_t length = stop - start;
        if (stop > from->length || at.pos + length > line->length) return false;
        if (memcmp(from->text + start, line->text + at.pos, static_cast<size_t>(length)) != 0) return false;
        *next = Cursor{at.line, at.pos + length};
        return true;
      }
      case RX_CARET:
        c_->caretLine = at.line;
        c_->caretPosition = at.pos;
        *next = at;
        return true;
      case RX_ALTERNATIVES: {
        // The first alternative that matches is kept: there is no going back into it.
        const uint8_t* end = p + p[1] - 1;
        for (const uint8_t* alt = p + 2; alt < end && *alt == RX_ALTERNATIVE; alt += alt[2]) {
          if (sequence(alt + 3, at, next)) return true;
        }
        return false;
      }
    }
    return false;
  }

  // Greedy: as many as possible, then the rest from the furthest position, backing off one
  // character at a time, never back over a line end the repeat crossed.
  bool repeat(const uint8_t* p, Cursor at, Cursor* end) {
    const uint8_t* item = p + 1;
    const uint8_t* rest = item + regex_item_length(item);
    Cursor furthest = at;
    int32_t floor = at.pos;
    for (;;) {
      Cursor next;
      if (!one(item, furthest, &next)) break;
      if (next.line == furthest.line && next.pos <= furthest.pos) break;  // no progress
      if (next.line != furthest.line) floor = 0;
      furthest = next;
    }
    for (int32_t pos = furthest.pos; pos >= floor; --pos)
      if (sequence(rest, Cursor{furthest.line, pos}, end)) return true;
    return false;
  }
};

}  // namespace

int regex_item_length(const uint8_t* item) {
  switch (*item) {
    case RX_LITERAL:
    case RX_GROUP_START:
    case RX_GROUP_END:
    case RX_BACKREF:
      return 2;
    case RX_CLASS:
      return 33;
    case RX_ALTERNATIVES:
      return item[1];
    case RX_REPEAT:
      return 1 + regex_item_length(item + 1);
  }
  return 1;
}

int regex_compile(SearchContext* context) {
  context->pattern[kPatternSize - 1] = '\0';
  context->caretLine = nullptr;
  context->caretPosition = -1;
  bool special = strpbrk(context->pattern, kSpecial) != nullptr;
  context->useMatcher = context->expression && (special || !context->caseSensitive);
  memset(context->program, 0, sizeof context->program);
  if (!context->useMatcher) return 1;
  Compiler compiler(context);
  if (!compiler.run()) {
    context->useMatcher = 0;
    memset(context->program, 0, sizeof context->program);
    return -1;
  }
  return 1;
}

int32_t regex_match_line(SearchContext* context, LineRecord* line, int32_t start, int direction,
                         LineRecord** endLine, int32_t* endPosition) {
  if (!line) return -1;
  if (start < 0) start = 0;
  if (start > line->length) start = line->length;
  Matcher matcher(context);
  int32_t pos = start;
  for (;;) {
    for (int n = 0; n < kGroups; ++n) {
      context->groupLine[n] = nullptr;
      context->groupStart[n] = context->groupEnd[n] = -1;
    }
    context->caretLine = nullptr;
    context->caretPosition = -1;
    Cursor end;
    if (matcher.sequence(context->program, Cursor{line, pos}, &end)) {
      *endLine = end.line;
      *endPosition = end.pos;
      return pos;
    }
    if (direction) {
      if (pos >= line->length) break;
      ++pos;
    } else {
      if (pos <= 0) break;
      --pos;
    }
  }
  // No start matched: "$..." matches where the scan stopped, "^$" at position 0.
  const uint8_t* program = context->program;
  if (program[0] == RX_LINE_END || (program[0] == RX_LINE_START && program[1] == RX_LINE_END && pos == 0)) {
    *endLine = line;
    *endPosition = pos;
    return pos;
  }
  return -1;
}

}  // namespace ked
