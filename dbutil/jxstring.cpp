#include "dbutil/jxstring.h"

#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "dbutil/utl_messages.h"

#include <string.h>

JxString::~JxString() { unInitialize(); }

void JxString::unInitialize() {
  if (owns_) ramFree(text_);
  text_ = nullptr;
  length_ = capacity_ = 0;
  owns_ = 0;
}

JxStatus JxString::initialize(const char* text) {
  return initialize(text, text ? static_cast<uint32_t>(strlen(text)) : 0);
}

JxStatus JxString::initialize(const char* text, uint32_t length) {
  if (length >= MAX_CAPACITY) {
    utlErrorById(MSG_STRING_TOO_LARGE);
    return 1;
  }
  char* p = static_cast<char*>(ramAlloc(length + 1));
  if (!p) return 1;
  if (length) memcpy(p, text, length);
  p[length] = 0;
  unInitialize();
  text_ = p;
  length_ = length;
  capacity_ = length + 1;
  owns_ = 1;
  return 0;
}

JxStatus JxString::initialize(uint32_t capacity) {
  if (capacity > MAX_CAPACITY) {
    utlErrorById(MSG_STRING_TOO_LARGE);
    return 1;
  }
  if (capacity == 0) capacity = 1;
  char* p = static_cast<char*>(ramAlloc(capacity));
  if (!p) return 1;
  p[0] = 0;
  unInitialize();
  text_ = p;
  capacity_ = capacity;
  owns_ = 1;
  return 0;
}

void JxString::initializeWithBuffer(char* buffer, uint32_t capacity, uint32_t length) {
  unInitialize();
  text_ = buffer;
  capacity_ = capacity;
  length_ = length < capacity ? length : (capacity ? capacity - 1 : 0);
  if (capacity) buffer[length_] = 0;
}

JxStatus JxString::reserve(uint32_t more) {
  uint64_t need = static_cast<uint64_t>(length_) + more + 1;
  if (need <= capacity_) return 0;
  if (need > MAX_CAPACITY || (text_ && !owns_)) {
    utlErrorById(MSG_STRING_TOO_LARGE);
    return 1;
  }
  void* p = text_;
  if (ramResize(&p, static_cast<uint32_t>(need))) return 1;
  if (!text_) static_cast<char*>(p)[0] = 0;
  text_ = static_cast<char*>(p);
  capacity_ = static_cast<uint32_t>(need);
  owns_ = 1;
  return 0;
}

JxStatus JxString::concat(char c) { return concat(&c, 1); }

JxStatus JxString::concat(const char* text) {
  return concat(text, text ? static_cast<uint32_t>(strlen(text)) : 0);
}

JxStatus JxString::concat(const char* text, uint32_t length) {
  if (reserve(length)) return 1;
  if (length) memmove(text_ + length_, text, length);
  length_ += length;
  text_[length_] = 0;
  return 0;
}

JxStatus JxString::concat(unsigned long value) {
  char buffer[16];
  if (reserve(15)) return 1;
  return concat(buffer, static_cast<uint32_t>(utlDecimal(buffer, value)));
}

JxStatus JxString::concat(long value) {
  char buffer[16];
  if (reserve(15)) return 1;
  return concat(buffer, static_cast<uint32_t>(utlDecimal(buffer, value)));
}

JxStatus JxString::changeBytes(uint32_t pos, uint32_t count, const char* text, uint32_t length) {
  if (text && length == 0) length = static_cast<uint32_t>(strlen(text));
  if (pos > length_) pos = length_;
  if (count > length_ - pos) count = length_ - pos;
  if (length > count && reserve(length - count)) return 1;
  if (!text_) return 0;  // nothing to change in an empty string
  memmove(text_ + pos + length, text_ + pos + count, length_ - pos - count + 1);
  if (length) memcpy(text_ + pos, text, length);
  length_ = length_ - count + length;
  return 0;
}

JxStatus JxString::replaceSubString(const char* oldText, const char* newText) {
  return replaceSubString(oldText, static_cast<uint32_t>(strlen(oldText)), newText,
                          newText ? static_cast<uint32_t>(strlen(newText)) : 0);
}

JxStatus JxString::replaceSubString(const char* oldText, uint32_t oldLength, const char* newText,
                                    uint32_t newLength) {
  if (oldLength == 0 || !text_) return 0;
  uint32_t pos = 0;
  while (pos + oldLength <= length_) {
    if (memcmp(text_ + pos, oldText, oldLength) != 0) {
      ++pos;
      continue;
    }
    if (newLength == 0) {
      if (changeBytes(pos, oldLength, nullptr, 0)) return 1;
    } else if (changeBytes(pos, oldLength, newText, newLength)) {
      return 1;
    }
    pos += newLength;
  }
  return 0;
}

int utlDecimal(char* buffer, unsigned long value) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value);
  for (int i = 0; i < n; ++i) buffer[i] = digits[n - 1 - i];
  buffer[n] = 0;
  return n;
}

int utlDecimal(char* buffer, long value) {
  if (value >= 0) return utlDecimal(buffer, static_cast<unsigned long>(value));
  buffer[0] = '-';
  return 1 + utlDecimal(buffer + 1, 0ul - static_cast<unsigned long>(value));
}
