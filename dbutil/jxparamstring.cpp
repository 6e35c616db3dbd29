// Message texts with numbered parameters.
#include "dbutil/jxerror.h"

#include <string.h>

JxStatus JxParamString::initialize(const char* text) {
  count_ = 0;
  failed_ = JxString::initialize(text) ? 1 : 0;
  return failed_;
}

JxStatus JxParamString::initialize(const char* text, uint32_t length) {
  count_ = 0;
  failed_ = JxString::initialize(text, length) ? 1 : 0;
  return failed_;
}

JxStatus JxParamString::initialize(uint32_t capacity) {
  count_ = 0;
  failed_ = JxString::initialize(capacity) ? 1 : 0;
  return failed_;
}

// Placeholder of the next parameter: "%" kind [x from the tenth on] number.
JxStatus JxParamString::fill(char kind, const char* text, uint32_t length) {
  ++count_;
  char placeholder[16];
  placeholder[0] = '%';
  placeholder[1] = kind;
  int n = 2;
  if (count_ >= 10) placeholder[n++] = 'x';
  n += utlDecimal(placeholder + n, static_cast<unsigned long>(count_));
  if (replaceSubString(placeholder, static_cast<uint32_t>(n), text, length)) {
    failed_ = 1;
    return 1;
  }
  return 0;
}

JxStatus JxParamString::setParam(const char* text) {
  if (!text) text = "";
  return fill('s', text, static_cast<uint32_t>(strlen(text)));
}

JxStatus JxParamString::setParam(const JxSubString& text) {
  return fill('s', text.getPtr(), text.getLength());
}

JxStatus JxParamString::setParam(unsigned long value) {
  char buffer[16];
  return fill('n', buffer, static_cast<uint32_t>(utlDecimal(buffer, value)));
}

JxStatus JxParamString::setParam(long value) {
  char buffer[16];
  return fill('n', buffer, static_cast<uint32_t>(utlDecimal(buffer, value)));
}

JxStatus JxParamString::setQuotedParam(const char* text, char quote) {
  JxString quoted;
  if (!text) text = "";
  JxStatus st = quoted.concat(quote);
  for (const char* p = text; !st && *p; ++p) {
    if (*p == quote) st = quoted.concat(quote);
    if (!st) st = quoted.concat(*p);
  }
  if (!st) st = quoted.concat(quote);
  if (st) {
    ++count_;
    failed_ = 1;
    return 1;
  }
  return fill('s', quoted.getPtr(), quoted.getLength());
}

JxParamString& JxParamString::operator<<(const char* text) {
  if (!failed_) setParam(text);
  return *this;
}

JxParamString& JxParamString::operator<<(unsigned long value) {
  if (!failed_) setParam(value);
  return *this;
}

JxParamString& JxParamString::operator<<(long value) {
  if (!failed_) setParam(value);
  return *this;
}
