// JxString: quoting, replacement of a view, line breaks, and the raw resizing that the
// in-place rewriter needs.
#include "dbutil/jxstring.h"

#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "dbutil/utl_messages.h"

#include <string.h>

void JxString::truncate(uint32_t length) {
  if (length < length_) {
    length_ = length;
    text_[length_] = 0;
  }
}

void JxString::shrinkToFit() {
  if (!owns_ || !text_ || capacity_ <= length_ + 1) return;
  void* p = text_;
  if (ramResize(&p, length_ + 1) == 0) {
    text_ = static_cast<char*>(p);
    capacity_ = length_ + 1;
  }
}

JxStatus JxString::openGap(uint32_t pos, uint32_t count) {
  if (pos > length_) pos = length_;
  if (reserve(count)) return 1;
  if (!text_) return 0;
  memmove(text_ + pos + count, text_ + pos, length_ - pos + 1);
  length_ += count;
  return 0;
}

JxStatus JxString::replaceSubString(const JxSubString* view, const char* text, uint32_t length) {
  const char* p = view->getPtr();
  if (!text_ || p < text_ || p + view->getLength() > text_ + length_) {
    utlErrorById(MSG_INVALID_PARAMETER);
    return 1;
  }
  // As changeBytes: a length of 0 with a text means the text's length.
  return changeBytes(static_cast<uint32_t>(p - text_), view->getLength(), text, length);
}

JxStatus JxString::addQuotedBytes(const JxSubString& bytes, char quote) {
  const char* p = bytes.getPtr();
  const uint32_t n = bytes.getLength();
  const uint32_t quotes = bytes.countChar(quote);
  // Bytes of this string itself are copied first: growing may move them.
  JxString copy;
  if (n && text_ && p >= text_ && p < text_ + capacity_) {
    if (copy.initialize(p, n)) return 1;
    p = copy.getPtr();
  }
  if (reserve(n + quotes + 2)) return 1;
  char* d = text_ + length_;
  *d++ = quote;
  for (uint32_t i = 0; i < n; ++i) {
    if (p[i] == quote) *d++ = quote;
    *d++ = p[i];
  }
  *d++ = quote;
  *d = 0;
  length_ = static_cast<uint32_t>(d - text_);
  return 0;
}

JxStatus JxString::addQuotes(char quote) {
  JxString quoted;
  if (quoted.addQuotedBytes(*this, quote)) return 1;
  return changeBytes(0, length_, quoted.getPtr(), quoted.getLength());
}

JxStatus JxString::removeQuotes() {
  if (length_ == 0) return 0;
  const char q = text_[0];
  if (q != '\'' && q != '"' && q != '`') return 0;
  JxString inner;
  if (inner.initialize(length_)) return 1;
  if (copyQuotedStr(&inner)) return 1;
  // Never longer than before: no growth, no failure.
  memcpy(text_, inner.getPtr(), inner.getLength() + 1);
  length_ = inner.getLength();
  return 0;
}

JxStatus JxString::forceEol(unsigned n) {
  unsigned have = 0;
  uint32_t end = length_;
  while (have < n && end >= 2 && text_[end - 2] == '\r' && text_[end - 1] == '\n') {
    ++have;
    end -= 2;
  }
  for (; have < n; ++have)
    if (concat("\r\n", 2)) return 1;
  return 0;
}

namespace {

// Quote state over a text: a stretch opens at q1, q2 or q3 and closes at the same one.
struct QuoteState {
  char q1, q2, q3, open;
  bool step(char c) {  // answers whether c lies outside quotes
    if (open) {
      if (c == open) open = 0;
      return false;
    }
    if (q1 && c && (c == q1 || c == q2 || c == q3)) {
      open = c;
      return false;
    }
    return true;
  }
};

}  // namespace

JxStatus JxString::insertLineBreaks(uint32_t width, char q1, char q2, char q3) {
  if (length_ <= width) return 0;
  JxString out;
  if (out.initialize(length_ + length_ / (width ? width : 1) + 8)) return 1;
  QuoteState qs = {q1, q2, q3, 0};
  uint32_t lineStart = 0;  // in out
  uint32_t lastBlank = 0;  // in out, + 1; 0 when none since the last break
  for (uint32_t i = 0; i < length_; ++i) {
    const char c = text_[i];
    const bool outside = qs.step(c);
    if (out.concat(c)) return 1;
    if (c == '\n') {
      lineStart = out.length_;
      lastBlank = 0;
      continue;
    }
    if (outside && c == ' ') lastBlank = out.length_;
    if (out.length_ - lineStart > width && lastBlank) {
      // The blank becomes CR LF.
      if (out.changeBytes(lastBlank - 1, 1, "\r\n", 2)) return 1;
      lineStart = lastBlank + 1;
      lastBlank = 0;
    }
  }
  return changeBytes(0, length_, out.getPtr(), out.getLength());
}

JxStatus JxString::removeLineBreaks(char q1, char q2, char q3) {
  if (!text_) return 0;
  QuoteState qs = {q1, q2, q3, 0};
  uint32_t w = 0;
  for (uint32_t i = 0; i < length_;) {
    const char c = text_[i];
    const bool outside = qs.step(c);
    if (outside && c == '\r' && i + 1 < length_ && text_[i + 1] == '\n') {
      i += 2;
      const bool another = i + 1 < length_ && text_[i] == '\r' && text_[i + 1] == '\n';
      if (i < length_ && !another) text_[w++] = ' ';
      continue;
    }
    text_[w++] = c;
    ++i;
  }
  truncate(w);
  return 0;
}
