// The Basic lexer: source text from an input stream, one token per call.
//
// Lines are read into two line buffers used in turn, so that the previous line is still
// at hand when a syntax error is found at the end of a statement (after its line end was
// read). Keywords are recognised through the store's keyword table; identifiers are
// interned in the identifier table, and the token's value is left in a SemVal.
//
// Tokens (lexertokens.h): -1 for the first line end after a statement and for the end of
// input (further empty lines give nothing); literals 257-264, identifiers 265 (with a
// type suffix %1 &2 !3 #4 @5 $6), keywords by their table numbers, two-character
// operators 304-310, any other character as itself. After the comment keyword or ', the
// next call returns the rest of the line as a string (264).
#pragma once

#include <istream>

#include "lexertokens.h"
#include "messages.h"
#include "store/idstring.h"

class Lexer {
 public:
  Lexer();
  Lexer(const Lexer&) = delete;
  Lexer& operator=(const Lexer&) = delete;
  ~Lexer();

  // Starts on in: clears the identifier table and both line counters, reads the first
  // character.
  void start(std::istream* in);
  // Clears the identifier table; full also gives up its storage.
  void reset(int full);

  // The next token (and its value in v). Throws ParserException PMSG_LINE_TOO_LONG for a line longer
  // than PARSER_MAX_LINE characters. A literal out of range gives TOK_ERROR with
  // errorText() saying why.
  int next(SemVal& v);

  // 0-based line numbers, less 1 right after a line end was returned, so that an error
  // found at the end of a statement names the statement's line. The first counter may be
  // set by the driver; the absolute one counts from the start of the input.
  int lineNumber() const { return line_ - (lineEndReturned_ ? 1 : 0); }
  int absLineNumber() const { return absLine_ - (lineEndReturned_ ? 1 : 0); }
  void setLineNumber(int line) { line_ = line; }
  // The text of the current line (with its line end), or of the previous one right after
  // a line end was returned.
  const char* lineText() const;
  // 1-based column of the lookahead character (the read index into the current line).
  int readPos() const { return index_; }
  int lastToken() const { return lastToken_; }
  // Why the last TOK_ERROR was returned (null when it was not).
  const char* errorText() const { return errorText_[0] ? errorText_ : nullptr; }

  IdDynamicVector& ids() { return ids_; }
  const IdDynamicVector& ids() const { return ids_; }

 private:
  int readChar();
  void advance() { look_ = readChar(); }
  int scan(SemVal& v);
  int scanString(SemVal& v);
  int scanNumber(SemVal& v);
  int scanAmpersand(SemVal& v);
  int scanWord(SemVal& v);
  int fail(const char* why);
  static char* newText(const char* s, size_t n);

  std::istream* in_ = nullptr;
  char buffers_[2][PARSER_MAX_LINE + 2];
  char* buffer_;    // current line buffer
  int length_ = 0;  // characters in it, including the appended line feed
  int index_ = 0;   // next character to hand out
  int look_ = -1;   // lookahead character; -1 end of input
  int lastToken_ = 0;
  bool comment_ = false;  // next call returns the rest of the line
  bool lineEndReturned_ = false;
  bool atLineStart_ = true;
  int line_ = 0;
  int absLine_ = 0;
  IdDynamicVector ids_;
  char text_[PARSER_MAX_LINE + 2];  // strings, identifiers, comments, numbers
  char errorText_[96];
};
