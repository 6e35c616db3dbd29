// JxString: a growable byte string on the library heap, always terminated, at most
// 65487 bytes of capacity (terminator included). Growth asks for exactly what is
// needed. A string over a caller's buffer never grows. Every failure leaves the string
// as it was, with the error on the thread's list, and answers 1.
#pragma once

#include "dbutil/jxsubstring.h"

class JXUTL04_API JxString : public JxSubString {
 public:
  enum { MAX_CAPACITY = 65487 };

  JxString() : capacity_(0), owns_(0) {}
  ~JxString() override;

  JxStatus initialize(const char* text);
  JxStatus initialize(const char* text, uint32_t length);
  JxStatus initialize(uint32_t capacity);
  void initializeWithBuffer(char* buffer, uint32_t capacity, uint32_t length);
  void unInitialize();

  JxStatus concat(char c);
  JxStatus concat(const char* text);
  JxStatus concat(const char* text, uint32_t length);
  JxStatus concat(unsigned long value);
  JxStatus concat(long value);
  // Replaces count bytes at pos by length bytes of text (length 0: the text's length).
  JxStatus changeBytes(uint32_t pos, uint32_t count, const char* text, uint32_t length);
  // Replaces every occurrence, scanning on after each inserted text.
  JxStatus replaceSubString(const char* oldText, const char* newText);
  JxStatus replaceSubString(const char* oldText, uint32_t oldLength, const char* newText, uint32_t newLength);

  // Quoting and line layout (jxstring_quote.cpp). Quoting encloses in the quote
  // character and doubles every quote character inside.
  // Replaces the bytes that view (a view into this string) covers.
  JxStatus replaceSubString(const JxSubString* view, const char* text, uint32_t length);
  JxStatus addQuotes(char quote);
  // Drops the enclosing quotes (the first byte says which) and undoubles inner ones.
  JxStatus removeQuotes();
  JxStatus addQuotedBytes(const JxSubString& bytes, char quote);
  // Makes the string end with n CR LF pairs, counting those already at its end.
  JxStatus forceEol(unsigned n);
  // Breaks lines longer than width at the last blank outside quotes (q1 = 0: no quoting).
  JxStatus insertLineBreaks(uint32_t width, char q1, char q2, char q3);
  // Removes every CR LF outside quotes; a blank stands for it inside the text.
  JxStatus removeLineBreaks(char q1, char q2, char q3);
  // Cuts the string to length (no growth) and gives back unused capacity.
  void truncate(uint32_t length);
  void shrinkToFit();
  // Inserts count bytes at pos without filling them (the tail moves up).
  JxStatus openGap(uint32_t pos, uint32_t count);

  uint32_t getCapacity() const { return capacity_; }
  const char* c_str() const { return text_ ? text_ : ""; }

 protected:
  // Makes room for `more` bytes beyond the length (and the terminator).
  JxStatus reserve(uint32_t more);

 private:
  uint32_t capacity_;
  int owns_;
};

// Decimal text of a number; answers the number of characters (buffer of 12 at least).
JXUTL04_API int utlDecimal(char* buffer, unsigned long value);
JXUTL04_API int utlDecimal(char* buffer, long value);
