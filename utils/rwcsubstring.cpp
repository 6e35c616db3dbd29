// RWCSubString: a view on part of an RWCString.
#include <cctype>
#include <cstring>

#include "utils/rwcstring.h"
#include "utils/rwxmsg.h"

const char* RWCSubString::data() const { return str_->data() + (isNull() ? 0 : begin_); }

RWCSubString& RWCSubString::operator=(const RWCString& s) {
  if (!isNull()) {
    str_->replace(begin_, extent_, s.data(), s.length());
    extent_ = s.length();
  }
  return *this;
}

RWCSubString& RWCSubString::operator=(const char* s) {
  if (!isNull()) {
    size_t n = s ? strlen(s) : 0;
    str_->replace(begin_, extent_, s, n);
    extent_ = n;
  }
  return *this;
}

RWCSubString& RWCSubString::operator=(const RWCSubString& s) {
  if (this != &s && !isNull()) {
    size_t n = s.extent_;
    str_->replace(begin_, extent_, s.data(), n);  // replace copies when s views this string
    extent_ = n;
  }
  return *this;
}

char& RWCSubString::operator[](size_t i) {
  if (i >= extent_) throw RWBoundsErr(RWMessage(RWTOOL_INDEX, unsigned(i), unsigned(extent_)));
  return (*str_)(begin_ + i);
}

char RWCSubString::operator[](size_t i) const {
  if (i >= extent_) throw RWBoundsErr(RWMessage(RWTOOL_INDEX, unsigned(i), unsigned(extent_)));
  return str_->data()[begin_ + i];
}

char& RWCSubString::operator()(size_t i) { return (*str_)(begin_ + i); }
char RWCSubString::operator()(size_t i) const { return str_->data()[begin_ + i]; }

bool RWCSubString::equals(const char* s, size_t n) const { return n == extent_ && memcmp(data(), s, n) == 0; }

bool RWCSubString::operator==(const char* s) const {
  if (!s) s = "";
  return equals(s, strlen(s));
}
bool RWCSubString::operator==(const RWCString& s) const { return equals(s.data(), s.length()); }
bool RWCSubString::operator==(const RWCSubString& s) const { return equals(s.data(), s.extent_); }

void RWCSubString::toLower() {
  if (isNull()) return;
  str_->cow();
  char* p = str_->rep_->data() + begin_;
  for (size_t i = 0; i < extent_; ++i) p[i] = char(tolower(static_cast<unsigned char>(p[i])));
}

void RWCSubString::toUpper() {
  if (isNull()) return;
  str_->cow();
  char* p = str_->rep_->data() + begin_;
  for (size_t i = 0; i < extent_; ++i) p[i] = char(toupper(static_cast<unsigned char>(p[i])));
}

void RWCSubString::subStringError(size_t length, size_t start, size_t extent) const {
  throw RWBoundsErr(RWMessage(RWTOOL_SUBSTRING, int(start), unsigned(extent), unsigned(length)));
}
