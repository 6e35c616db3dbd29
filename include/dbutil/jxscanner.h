// The tokenizers of the database library.
//
// JxScanner reads tokens from a counted text (never past its length; no terminator is
// needed) and hands out JxToken views into it with a numeric type. Scanned from a
// JxString, it can also rewrite tokens in place.
//
// buttoken is the older tokenizer of the engine: it copies one token into an 80-byte
// buffer and advances a text pointer.
#pragma once

#include "dbutil/jxstring.h"

enum JxTokenType {
  TOK_BY_POSITION = 0,  // made from a range, or an empty delimited token
  TOK_END = 1,
  TOK_WORD = 2,
  TOK_QUOTED = 3,    // quoted string or bracketed group, delimiters included
  TOK_UNCLOSED = 4,  // the same, not closed before the end of the text
  TOK_NUMBER = 5,
  TOK_WORD_SEARCH1 = 6,
  TOK_WORD_SEARCH2 = 7,
  TOK_DELIMITED = 8,
  TOK_DECIMAL_AT_END = 9,
  TOK_OTHER = 10,
  TOK_COMMENT = 11
  // An operator's type is its code: the character, or first * 256 + second.
};

enum SearchType {
  SEARCH_ORDINARY = 0,
  SEARCH_TO_BLANK = 1,   // words ending at a blank, a control character or ",/()|"
  SEARCH_IDENTIFIER = 2  // identifiers that may also hold "#" and "$"
};

inline unsigned short jxOperator(char a, char b = 0) {
  return static_cast<unsigned short>(b ? static_cast<unsigned char>(a) * 256 + static_cast<unsigned char>(b)
                                       : static_cast<unsigned char>(a));
}

class JXUTL04_API JxToken : public JxSubString {
 public:
  JxToken() : type_(TOK_END), position_(0) {}
  unsigned short getType() const { return type_; }
  uint32_t getPosition() const { return position_; }
  void setToken(const char* text, uint32_t length, unsigned short type, uint32_t position) {
    set(text, length);
    type_ = type;
    position_ = position;
  }

 private:
  unsigned short type_;
  uint32_t position_;
};

class JXUTL04_API JxScanner : public JxObject {
 public:
  enum GroupFlags { GROUP_BRACES = 1, GROUP_PARENTHESES = 2 };

  JxScanner();
  explicit JxScanner(const char* text);
  JxScanner(const char* text, uint32_t length);
  explicit JxScanner(const JxSubString* text);
  explicit JxScanner(JxString* text);

  void setScanString(const char* text, uint32_t length);
  void setScanString(JxString* text);

  // Answers the token's type.
  unsigned short getToken(JxToken& token, SearchType search = SEARCH_ORDINARY);
  void getToken(JxToken& token, uint32_t from, uint32_t length);
  // The text up to delimiter outside quotes, trailing white space trimmed.
  void getDelimitedToken(JxToken& token, char delimiter);
  void unGetToken(const JxToken& token) { position_ = token.getPosition(); }

  // Rewrite the scanned JxString; 1 when it cannot grow or there is none.
  JxStatus changeToken(const JxToken* token, const JxSubString& text);
  JxStatus insertToken(JxToken* token, const JxSubString& text);

  // text may hold several words separated by single blanks; the token must equal the
  // first, each further word the next token. On success the token covers them all.
  short isEqual(JxToken& token, const char* text);
  short isEqualCi(JxToken& token, const char* text);
  // list: zero-terminated texts ended by an empty one.
  short isInSet(JxToken& token, const char* list);
  short isInSetCi(JxToken& token, const char* list);
  // Reads on until a token equals text (1) or the text ends (0).
  short isTokenWithin(const char* text);
  short isTokenWithinCi(const char* text);

  // Settings.
  void setQuoteChars(char q1, char q2, char q3) {
    quotes_[0] = q1;
    quotes_[1] = q2;
    quotes_[2] = q3;
  }
  void setGroupFlags(unsigned short flags) { groups_ = flags; }
  void setUserGroup(char open, char close) {
    userOpen_ = open;
    userClose_ = close;
  }
  void setComments(int on) { comments_ = on != 0; }
  void setWordChars(const JxSubString& chars) { wordChars_ = chars; }
  void setContinuationChars(const JxSubString& chars) { contChars_ = chars; }
  void setDelimiters(const JxSubString& chars) { delimiters_ = chars; }

  uint32_t getPosition() const { return position_; }
  void setPosition(uint32_t position) { position_ = position < length_ ? position : length_; }
  const char* getText() const { return text_; }
  uint32_t getLength() const { return length_; }

 private:
  void init();
  bool isQuote(char c) const;
  bool isWhite(char c) const;
  uint32_t skipQuoted(uint32_t at, bool* closed) const;  // answers the end
  uint32_t skipGroup(uint32_t at, char open, char close, bool* closed) const;
  short matchWords(JxToken& token, const char* text, bool ci);

  const char* text_;
  uint32_t length_;
  uint32_t position_;
  JxString* string_;
  char quotes_[3];
  unsigned short groups_;
  char userOpen_, userClose_;
  bool comments_;
  JxSubString wordChars_, contChars_, delimiters_;
};

// Word characters of the code page: letters, bytes 192-214, 216-222, 223-255 but 247,
// and "_".
JXUTL04_API bool jxIsWordChar(unsigned char c);

// buttoken flags: bits 0-11 the mode (0 to 6).
enum {
  BUT_MODE_MASK = 0x0FFF,
  BUT_KEEP_CASE = 0x2000,
  BUT_ALLOCATE = 0x4000,  // the token goes into a new allocation the caller frees
  BUT_TRUNCATE = 0x8000   // a token longer than 79 bytes is cut
};
enum { BUT_BUFFER_SIZE = 80, BUT_MAX_TOKEN = 79 };

// Reads one token at *text into buffer (80 bytes) and moves *text past it. A token
// longer than 79 bytes fails with 2700 unless BUT_TRUNCATE or BUT_ALLOCATE is given, in
// every mode. With BUT_ALLOCATE the token always goes into a new allocation: the buffer
// gets its first character, a zero byte and the allocation's address (buttokenText).
// An unclosed quote or escape fails with 2703. At the end of the text the token is empty.
// On failure *text does not move.
JXUTL04_API JxStatus buttoken(char* buffer, const char** text, unsigned short flags);
// The allocation that buttoken made under BUT_ALLOCATE (free it with ramFree).
JXUTL04_API char* buttokenText(const char* buffer);
