// The Basic lexer; see lexer.h.
#include "lexer.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "parseexcept.h"
#include "store/keytab.h"
#include "store/storeexcept.h"

namespace {

// The standard space class, spelt out so that bytes above 127 never count as space.
bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isHexDigit(int c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
// Letters start words; bytes above 127 count as letters so that names in a national
// character set read as names.
bool isLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 128; }
bool isWordChar(int c) { return isLetter(c) || isDigit(c) || c == '_'; }

int suffixCode(int c) {
  switch (c) {
    case '%':
      return 1;
    case '&':
      return 2;
    case '!':
      return 3;
    case '#':
      return 4;
    case '@':
      return 5;
    case '$':
      return 6;
  }
  return 0;
}

// The longest name the identifier table keeps.
const size_t kMaxIdentifier = 254;

}  // namespace

Lexer::Lexer() : buffer_(buffers_[0]), ids_(32) {
  std::memset(buffers_, 0, sizeof buffers_);
  text_[0] = 0;
  errorText_[0] = 0;
}

Lexer::~Lexer() = default;

void Lexer::start(std::istream* in) {
  in_ = in;
  ids_.clear();
  buffers_[0][0] = buffers_[1][0] = 0;
  buffer_ = buffers_[0];
  length_ = 0;
  index_ = 0;
  comment_ = false;
  lineEndReturned_ = false;
  atLineStart_ = true;
  line_ = 0;
  absLine_ = 0;
  lastToken_ = 0;
  errorText_[0] = 0;
  look_ = -1;
  look_ = readChar();
}

void Lexer::reset(int full) {
  ids_.clear();
  if (full) ids_.releaseStorage();
}

const char* Lexer::lineText() const {
  if (!lineEndReturned_) return buffer_;
  return buffer_ == buffers_[0] ? buffers_[1] : buffers_[0];
}

// One character of the input; a new line is read into the other buffer when the current
// one is used up. A line end is always handed out as '\n', also at the end of the input.
int Lexer::readChar() {
  if (index_ >= length_) {
    buffer_ = buffer_ == buffers_[0] ? buffers_[1] : buffers_[0];
    buffer_[0] = 0;
    length_ = 0;
    index_ = 0;
    if (in_ && !in_->fail()) {
      in_->get(buffer_, PARSER_MAX_LINE + 1, '\n');
      int n = int(in_->gcount());
      // get() fails on an empty line (nothing before its line feed): not the end.
      if (n == 0 && in_->fail() && !in_->bad() && !in_->eof()) in_->clear();
      if (!in_->bad() && !(n == 0 && in_->fail())) {
        int c = in_->get();
        if (c != '\n' && c != std::char_traits<char>::eof())
          throw ParserException(PMSG_LINE_TOO_LONG, absLine_, nullptr);
        // A NUL would end the text where it stands and silently drop the rest.
        if (std::memchr(buffer_, 0, size_t(n)))
          throw ParserException("invalid character (0)", absLine_, nullptr);
        buffer_[n] = '\n';
        buffer_[n + 1] = 0;
        length_ = n + 1;
      }
    }
  }
  if (length_ == 0) return -1;
  return (unsigned char)buffer_[index_++];
}

char* Lexer::newText(const char* s, size_t n) {
  char* p = new char[n + 1];
  std::memcpy(p, s, n);
  p[n] = 0;
  return p;
}

int Lexer::fail(const char* why) {
  std::snprintf(errorText_, sizeof errorText_, "%s", why);
  return TOK_ERROR;
}

int Lexer::next(SemVal& v) {
  v.kind = SV_NONE;
  v.p = nullptr;
  lineEndReturned_ = false;
  errorText_[0] = 0;
  int token = scan(v);
  lastToken_ = (short)token;
  return token;
}

int Lexer::scan(SemVal& v) {
  if (look_ == -1) return TOK_END;
  if (comment_) {
    size_t n = 0;
    while (look_ != -1 && look_ != '\n') {
      text_[n++] = (char)look_;
      advance();
    }
    comment_ = false;
    v.kind = SV_TEXT;
    v.text = newText(text_, n);
    return TOK_STRING;
  }
  for (;;) {
    if (look_ == -1) return TOK_END;
    if (look_ == '\n') {
      ++line_;
      ++absLine_;
      advance();
      if (!atLineStart_) {
        lineEndReturned_ = atLineStart_ = true;
        return TOK_END;
      }
      continue;
    }
    if (!isSpace(look_)) break;
    advance();
  }
  atLineStart_ = false;

  int c = look_;
  if (c == '"') return scanString(v);
  if (isDigit(c) || c == '.') return scanNumber(v);
  if (c == '&') return scanAmpersand(v);
  if (isLetter(c)) return scanWord(v);
  advance();
  switch (c) {
    case ':':
      if (look_ == '=') {
        advance();
        return TOK_DEEPASSIGN;
      }
      return ':';
    case '=':
      if (look_ == '=') {
        advance();
        return TOK_EQEQ;
      }
      return '=';
    case '<':
      if (look_ == '>') {
        advance();
        return TOK_NE;
      }
      if (look_ == '=') {
        advance();
        return TOK_LE;
      }
      return '<';
    case '>':
      if (look_ == '=') {
        advance();
        return TOK_GE;
      }
      return '>';
    case '|':
      if (look_ == '|') {
        advance();
        return TOK_OROR;
      }
      return '|';
    case '#':
      // #C: the column of the C; #L: the line, counted from 0.
      if (look_ == 'C' || look_ == 'L') {
        v.kind = SV_INT;
        v.i = look_ == 'C' ? index_ : absLine_;
        advance();
        return TOK_INTEGER;
      }
      return '#';
    case '\'':
      comment_ = true;
      return TOK_COMMENT;
  }
  return c;
}

// "..." with "" for a quote, ^A..^Z (either case) for control characters 1..26 and ^^ for
// a caret. The line end or the end of input also ends the string.
int Lexer::scanString(SemVal& v) {
  size_t n = 0;
  advance();  // the opening quote
  for (;;) {
    int c = look_;
    if (c == -1 || c == '\n') break;
    advance();
    if (c == '"') {
      if (look_ != '"') break;
      advance();
    } else if (c == '^') {
      if (look_ == '^') {
        advance();
      } else if ((look_ >= 'a' && look_ <= 'z') || (look_ >= 'A' && look_ <= 'Z')) {
        c = (look_ & 0x1f);
        advance();
      }
    }
    text_[n++] = (char)c;
  }
  v.kind = SV_TEXT;
  v.text = newText(text_, n);
  return TOK_STRING;
}

// Digits [. digits] [E [+|-] digits]; a point with no digit on either side is the '.'
// token. Integers must fit a signed 32-bit value; doubles must be finite.
int Lexer::scanNumber(SemVal& v) {
  size_t n = 0;
  bool before = false, after = false, isDouble = false;
  while (isDigit(look_)) {
    text_[n++] = (char)look_;
    advance();
    before = true;
  }
  if (look_ == '.') {
    text_[n++] = '.';
    advance();
    while (isDigit(look_)) {
      text_[n++] = (char)look_;
      advance();
      after = true;
    }
    if (!before && !after) return '.';
    isDouble = true;
  }
  if (look_ == 'E' || look_ == 'e') {
    isDouble = true;
    text_[n++] = 'e';
    advance();
    if (look_ == '+' || look_ == '-') {
      text_[n++] = (char)look_;
      advance();
    }
    while (isDigit(look_)) {
      text_[n++] = (char)look_;
      advance();
    }
  }
  text_[n] = 0;
  char why[96];
  if (isDouble) {
    errno = 0;
    double d = std::strtod(text_, nullptr);
    if (!std::isfinite(d)) {
      std::snprintf(why, sizeof why, "Numeric constant out of range: %.40s", text_);
      return fail(why);
    }
    v.kind = SV_DOUBLE;
    v.d = d;
    return TOK_DOUBLE;
  }
  unsigned long long value = 0;
  for (size_t i = 0; i < n; ++i) {
    value = value * 10 + unsigned(text_[i] - '0');
    if (value > 2147483647ULL) {
      std::snprintf(why, sizeof why, "Integer constant out of range (largest is 2147483647): %.40s", text_);
      return fail(why);
    }
  }
  v.kind = SV_INT;
  v.i = int(value);
  return TOK_INTEGER;
}

// &H hex and &O octal integers (32 bits, no digits give 0), && and &.
int Lexer::scanAmpersand(SemVal& v) {
  advance();
  int radix = 0;
  if (look_ == 'H' || look_ == 'h')
    radix = 16;
  else if (look_ == 'O' || look_ == 'o')
    radix = 8;
  else if (look_ == '&') {
    advance();
    return TOK_ANDAND;
  } else
    return '&';
  int prefix = look_;
  advance();
  size_t n = 0;
  unsigned long long value = 0;
  bool overflow = false;
  while (radix == 16 ? isHexDigit(look_) : (look_ >= '0' && look_ <= '7')) {
    int d = isDigit(look_) ? look_ - '0' : (look_ | 0x20) - 'a' + 10;
    value = value * radix + unsigned(d);
    if (value > 0xFFFFFFFFULL) overflow = true;
    if (n < 40) text_[n++] = (char)look_;
    advance();
  }
  text_[n] = 0;
  if (overflow) {
    char why[96];
    std::snprintf(why, sizeof why, "Integer constant out of range (more than 32 bits): &%c%s", prefix, text_);
    return fail(why);
  }
  v.kind = SV_INT;
  v.i = int(unsigned(value));
  return radix == 16 ? TOK_HEXINT : TOK_OCTINT;
}

// A keyword or a name; names take a following type-suffix character and are interned.
int Lexer::scanWord(SemVal& v) {
  size_t n = 0;
  while (isWordChar(look_)) {
    text_[n++] = (char)look_;
    advance();
  }
  text_[n] = 0;
  int id = KeyTabStringToId(text_);
  if (id != TOK_IDENTIFIER) {
    if (id == TOK_REM) comment_ = true;
    v.kind = SV_TEXT;
    v.text = nullptr;
    return id;
  }
  int suffix = suffixCode(look_);
  if (suffix) advance();
  if (n > kMaxIdentifier) {
    char why[96];
    std::snprintf(why, sizeof why, "Name longer than %u characters: %.24s...", unsigned(kMaxIdentifier),
                  text_);
    return fail(why);
  }
  v.kind = SV_ID;
  try {
    v.id.index = (short)ids_.stringIndex(text_);
  } catch (const StoreException& e) {  // the table is full: say so on this line
    throw ParserException(e.text(), absLine_, nullptr);
  }
  v.id.suffix = (unsigned char)suffix;
  return TOK_IDENTIFIER;
}
