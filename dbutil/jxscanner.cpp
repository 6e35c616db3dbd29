// JxScanner: the token reader over a counted text. Every read is bounded by the
// length; the text needs no terminator.
#include "dbutil/jxscanner.h"

#include "dbutil/jxerror.h"
#include "dbutil/utl_messages.h"

#include <windows.h>

#include <string.h>

namespace {

struct WordTable {
  bool word[256];
  WordTable() {
    for (int c = 0; c < 256; ++c) {
      word[c] = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || (c >= 192 && c <= 214) ||
                (c >= 216 && c <= 222) || (c >= 223 && c != 247) ||
                (c >= 128 && c < 192 && IsCharAlphaA(static_cast<char>(c)));
    }
  }
};

// One-character operators, each with the second characters that extend it.
struct Operator {
  char first;
  const char* seconds;
};
const Operator kOperators[] = {
    {'?', ""},    {',', ""},  {'(', ""},  {')', ""},  {'.', ""},   {'=', "=*<>"}, {'+', "+"},
    {'&', "&"},   {'|', "|"}, {'-', "-"}, {'/', "/"}, {'*', "*="}, {'>', "="},    {'<', "=>"},
    {'!', "=<>"}, {';', ""},  {':', ""},  {'{', ""},  {'}', ""},   {'$', ""},     {'#', ""},
    {'%', ""},    {'@', ""},  {'"', ""},  {'\'', ""}, {'`', ""},
};

bool inSet(const JxSubString& set, char c) { return set.getLength() && set.findChar(c) < set.getLength(); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool jxIsWordChar(unsigned char c) {
  static const WordTable table;
  return table.word[c];
}

static bool isWordChar(char c) { return jxIsWordChar(static_cast<unsigned char>(c)); }

JxScanner::JxScanner() { init(); }

JxScanner::JxScanner(const char* text) {
  init();
  setScanString(text, text ? static_cast<uint32_t>(strlen(text)) : 0);
}

JxScanner::JxScanner(const char* text, uint32_t length) {
  init();
  setScanString(text, length);
}

JxScanner::JxScanner(const JxSubString* text) {
  init();
  if (text) setScanString(text->getPtr(), text->getLength());
}

JxScanner::JxScanner(JxString* text) {
  init();
  setScanString(text);
}

void JxScanner::init() {
  text_ = nullptr;
  length_ = position_ = 0;
  string_ = nullptr;
  quotes_[0] = '\'';
  quotes_[1] = '"';
  quotes_[2] = '`';
  groups_ = 0;
  userOpen_ = userClose_ = 0;
  comments_ = false;
}

void JxScanner::setScanString(const char* text, uint32_t length) {
  text_ = text;
  length_ = text ? length : 0;
  position_ = 0;
  string_ = nullptr;
}

void JxScanner::setScanString(JxString* text) {
  setScanString(text ? text->getPtr() : nullptr, text ? text->getLength() : 0);
  string_ = text;
}

bool JxScanner::isQuote(char c) const { return c && (c == quotes_[0] || c == quotes_[1] || c == quotes_[2]); }

bool JxScanner::isWhite(char c) const {
  return (c == ' ' || (c >= '\t' && c <= '\r')) && !inSet(wordChars_, c);
}

uint32_t JxScanner::skipQuoted(uint32_t at, bool* closed) const {
  const char q = text_[at];
  for (uint32_t i = at + 1; i < length_; ++i) {
    if (text_[i] != q) continue;
    if (i + 1 < length_ && text_[i + 1] == q) {
      ++i;  // a doubled quote stays inside
      continue;
    }
    *closed = true;
    return i + 1;
  }
  *closed = false;
  return length_;
}

uint32_t JxScanner::skipGroup(uint32_t at, char open, char close, bool* closed) const {
  int depth = 1;
  for (uint32_t i = at + 1; i < length_;) {
    const char c = text_[i];
    if (isQuote(c)) {
      bool quoteClosed;
      i = skipQuoted(i, &quoteClosed);
      if (!quoteClosed) break;
      continue;
    }
    if (c == close) {
      if (--depth == 0) {
        *closed = true;
        return i + 1;
      }
    } else if (c == open) {
      ++depth;
    }
    ++i;
  }
  *closed = false;
  return length_;
}

unsigned short JxScanner::getToken(JxToken& token, SearchType search) {
  while (position_ < length_ && isWhite(text_[position_])) ++position_;
  const uint32_t start = position_;
  if (start >= length_) {
    token.setToken(text_ ? text_ + length_ : nullptr, 0, TOK_END, length_);
    return TOK_END;
  }
  const char c = text_[start];
  const char next = start + 1 < length_ ? text_[start + 1] : 0;
  uint32_t end = start + 1;
  unsigned short type = TOK_OTHER;
  bool closed = true;

  char groupClose = 0;
  if ((groups_ & GROUP_PARENTHESES) && c == '(')
    groupClose = ')';
  else if ((groups_ & GROUP_BRACES) && c == '{')
    groupClose = '}';
  else if (userOpen_ && c == userOpen_)
    groupClose = userClose_;

  if (isQuote(c)) {
    end = skipQuoted(start, &closed);
    type = closed ? TOK_QUOTED : TOK_UNCLOSED;
  } else if (groupClose) {
    end = skipGroup(start, c, groupClose, &closed);
    type = closed ? TOK_QUOTED : TOK_UNCLOSED;
  } else if (comments_ && c == '-' && next == '-') {
    while (end < length_ && text_[end] != '\n') ++end;
    type = TOK_COMMENT;
  } else if (comments_ && c == '/' && next == '*') {
    end = start + 2;
    while (end < length_ && !(text_[end - 1] == '*' && text_[end] == '/' && end - 1 > start + 1)) ++end;
    if (end < length_) ++end;
    type = TOK_COMMENT;
  } else if (search == SEARCH_TO_BLANK && !strchr(",/()|", c)) {
    while (end < length_) {
      const unsigned char d = static_cast<unsigned char>(text_[end]);
      if (d <= ' ' || d == 127 || strchr(",/()|", d)) break;
      ++end;
    }
    type = TOK_WORD_SEARCH1;
  } else if (search == SEARCH_IDENTIFIER && (isWordChar(c) || c == '#')) {
    while (end < length_) {
      const char d = text_[end];
      if (!isWordChar(d) && !isDigit(d) && d != '#' && d != '$') break;
      ++end;
    }
    type = TOK_WORD_SEARCH2;
  } else if (delimiters_.getLength() && !inSet(delimiters_, c)) {
    while (end < length_ && !inSet(delimiters_, text_[end])) ++end;
    type = TOK_WORD;
  } else if (isWordChar(c) || inSet(wordChars_, c)) {
    while (end < length_) {
      const char d = text_[end];
      if (!isWordChar(d) && !isDigit(d) && !inSet(contChars_, d)) break;
      ++end;
    }
    type = TOK_WORD;
  } else if (isDigit(c) || (c == '.' && isDigit(next))) {
    bool point = c == '.';
    while (end < length_) {
      if (isDigit(text_[end])) {
        ++end;
      } else if (text_[end] == '.' && !point) {
        point = true;
        ++end;
      } else {
        break;
      }
    }
    type = (end == length_ && point) ? TOK_DECIMAL_AT_END : TOK_NUMBER;
  } else {
    for (const Operator& op : kOperators) {
      if (op.first != c) continue;
      if (next && strchr(op.seconds, next)) {
        end = start + 2;
        type = jxOperator(c, next);
      } else {
        type = jxOperator(c);
      }
      break;
    }
  }
  token.setToken(text_ + start, end - start, type, start);
  position_ = end;
  return type;
}

void JxScanner::getToken(JxToken& token, uint32_t from, uint32_t length) {
  if (from > length_) from = length_;
  if (length > length_ - from) length = length_ - from;
  token.setToken(text_ ? text_ + from : nullptr, length, TOK_BY_POSITION, from);
}

void JxScanner::getDelimitedToken(JxToken& token, char delimiter) {
  while (position_ < length_ && isWhite(text_[position_])) ++position_;
  const uint32_t start = position_;
  if (start >= length_) {
    token.setToken(text_ ? text_ + length_ : nullptr, 0, TOK_END, length_);
    return;
  }
  if (text_[start] == delimiter) {
    token.setToken(text_ + start, 0, TOK_BY_POSITION, start);
    return;
  }
  char open = 0;
  uint32_t end = start;
  // A value that begins with "{" runs to its closing "}" ("}}" inside stands for one
  // "}"), as braced values of connect strings do; an open brace runs to the end.
  if (text_[start] == '{') {
    for (++end; end < length_; ++end) {
      if (text_[end] != '}') continue;
      if (end + 1 < length_ && text_[end + 1] == '}') {
        ++end;
        continue;
      }
      ++end;
      break;
    }
  }
  for (; end < length_; ++end) {
    const char c = text_[end];
    if (open) {
      if (c == open) open = 0;
    } else if (c == delimiter) {
      break;
    } else if (isQuote(c)) {
      open = c;
    }
  }
  position_ = end;
  token.setToken(text_ + start, end - start, TOK_DELIMITED, start);
  token.rightBlankTrim();
}
