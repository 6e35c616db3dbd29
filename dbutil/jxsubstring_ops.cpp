// JxSubString: searches, set lookups, trimming and quoted copies.
#include "dbutil/jxstring.h"

#include <string.h>

uint32_t JxSubString::findChar(char c, uint32_t from) const {
  for (uint32_t i = from; i < length_; ++i)
    if (text_[i] == c) return i;
  return length_;
}

uint32_t JxSubString::findSubString(const char* text, uint32_t from) const {
  uint32_t n = static_cast<uint32_t>(strlen(text));
  if (from > length_ || n > length_ - from) return length_;
  for (uint32_t i = from; i + n <= length_; ++i)
    if (memcmp(text_ + i, text, n) == 0) return i;
  return length_;
}

uint32_t JxSubString::countChar(char c) const {
  uint32_t n = 0;
  for (uint32_t i = 0; i < length_; ++i)
    if (text_[i] == c) ++n;
  return n;
}

int JxSubString::indexInSet(const char* const* texts, int n) const {
  for (int i = 0; i < n; ++i)
    if (strCompare(text_, length_, texts[i], static_cast<uint32_t>(strlen(texts[i]))) == 0) return i;
  return n;
}

int JxSubString::indexInSetCi(const char* const* texts, int n) const {
  for (int i = 0; i < n; ++i)
    if (strCompareCi(text_, length_, texts[i], static_cast<uint32_t>(strlen(texts[i]))) == 0) return i;
  return n;
}

static bool isWhite(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void JxSubString::rightBlankTrim() {
  while (length_ && isWhite(text_[length_ - 1])) --length_;
}

JxStatus JxSubString::copyQuotedStr(JxString* out) const {
  if (length_ == 0) return 0;
  const char quote = text_[0];
  uint32_t i = 1;
  while (i < length_) {
    // Append the run up to the next quote in one piece.
    uint32_t j = i;
    while (j < length_ && text_[j] != quote) ++j;
    if (j > i && out->concat(text_ + i, j - i)) return 1;
    if (j + 1 < length_ && text_[j + 1] == quote) {
      if (out->concat(quote)) return 1;
      i = j + 2;
      continue;
    }
    break;  // the closing quote, or the end of the view
  }
  return 0;
}

JxStatus JxSubString::getCopyUnquoted(JxString* out) const {
  if (length_ < 2) return 0;
  const char quote = text_[0];
  const uint32_t end = length_ - 1;
  for (uint32_t i = 1; i < end; ++i) {
    if (out->concat(text_[i])) return 1;
    if (text_[i] == quote && i + 1 < end && text_[i + 1] == quote) ++i;
  }
  return 0;
}

JxStatus JxSubString::getCopyQuoted(JxString* out, char quote) const {
  return out->addQuotedBytes(*this, quote);
}
