// RWCString's regular-expression searches, and the views of their matches.
#include "utils/rwcregexp.h"

size_t RWCString::index(const RWCRegexp& re, size_t start) const { return re.index(*this, nullptr, start); }

size_t RWCString::index(const RWCRegexp& re, size_t* len, size_t start) const {
  return re.index(*this, len, start);
}

size_t RWCString::p_index(const RWCRegexp& re, size_t* len, size_t start) const {
  return re.p_index(*this, len, start);
}

RWCSubString RWCString::operator()(const RWCRegexp& re, size_t start) {
  size_t len;
  size_t pos = re.index(*this, &len, start);
  return RWCSubString(*this, pos, len);
}

const RWCSubString RWCString::operator()(const RWCRegexp& re, size_t start) const {
  size_t len;
  size_t pos = re.index(*this, &len, start);
  return RWCSubString(*this, pos, len);
}

RWCSubString RWCString::operator()(const RWCRegexp& re) { return (*this)(re, 0); }

const RWCSubString RWCString::operator()(const RWCRegexp& re) const { return (*this)(re, 0); }
