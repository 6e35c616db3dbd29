// JxSubString: a counted view of bytes it does not own.
#pragma once

#include "dbutil/jxobject.h"

class JxString;

class JXUTL04_API JxSubString : public JxObject {
 public:
  JxSubString() : length_(0), text_(nullptr) {}
  JxSubString(const char* text, uint32_t length) : length_(length), text_(const_cast<char*>(text)) {}
  explicit JxSubString(const char* text);

  // Case-insensitive counted comparison.
  short compare(const JxObject* other) const override;
  // Sum of the upper-cased first five bytes.
  unsigned long hash() const;

  // Searches and tests (jxsubstring_ops.cpp). Positions are offsets in the view; a
  // search that finds nothing answers the length.
  uint32_t findChar(char c, uint32_t from = 0) const;
  uint32_t findSubString(const char* text, uint32_t from = 0) const;
  uint32_t countChar(char c) const;
  // Index of the first of n texts equal to the view; n when none.
  int indexInSet(const char* const* texts, int n) const;
  int indexInSetCi(const char* const* texts, int n) const;
  // Shortens the view past trailing white space.
  void rightBlankTrim();
  // The view begins with a quote character: appends the inner text, doubled quotes made
  // single, up to the closing quote.
  JxStatus copyQuotedStr(JxString* out) const;
  // Append to out the view without its first and last byte (doubled quotes made
  // single), or the view enclosed in quote (inner quotes doubled).
  JxStatus getCopyUnquoted(JxString* out) const;
  JxStatus getCopyQuoted(JxString* out, char quote) const;

  uint32_t getLength() const { return length_; }
  const char* getPtr() const { return text_; }
  void set(const char* text, uint32_t length) {
    text_ = const_cast<char*>(text);
    length_ = length;
  }

 protected:
  uint32_t length_;
  char* text_;
};

// Counted comparisons: bytes unsigned over the shorter length, then the shorter is
// less; 1, 0 or 0xffff (-1) as 16-bit values. The Ci form upper-cases each byte with
// the system's character upper-casing first.
JXUTL04_API short strCompare(const char* a, uint32_t la, const char* b, uint32_t lb);
JXUTL04_API short strCompareCi(const char* a, uint32_t la, const char* b, uint32_t lb);
JXUTL04_API short strCompareCi(const char* a, const char* b);
// The system's upper-case form of one byte.
JXUTL04_API unsigned char strUpperByte(unsigned char c);
