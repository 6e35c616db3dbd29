// Exceptions of the Basic parser.
//
// Every failure the parser reports is a ParserException or one of its subclasses; the
// developer tools catch them and print them with printError (a syntax error shows what
// was expected and marks the offending column of the line). Message texts live in
// ovparse's string table (ids 32738-32767, messages.h) and are loaded when the exception
// is made; a missing string gives a fallback text naming the id.
#pragma once

#include <iosfwd>
#include <string>

#include "utils/rwcstring.h"
#include "utils/xexception.h"

class ParserException : public XException {
 public:
  ParserException(const char* message, int line, const char* extra);
  ParserException(const std::string& message, int line, const char* extra);
  // The message is the string-table text of id.
  ParserException(unsigned id, int line, const char* extra);
  // The message is the text of id with its one %s replaced by arg.
  ParserException(unsigned id, const char* arg, int line, const char* extra);
  ParserException(const ParserException& other);
  ParserException& operator=(const ParserException&) = delete;
  ~ParserException() noexcept override;

  XException* Clone() const override;
  [[noreturn]] void Throw() const override;

  virtual void printError(std::ostream& os) const;
  // The text printError writes.
  const char* what() const noexcept override;

  // 0-based line of the failure, as the lexer counts.
  int line() const { return line_; }
  void setLine(int line) { line_ = line; }
  // Supplementary text, or null.
  const char* extra() const { return extra_; }
  const std::string& message() const { return why(); }
  // The message id of the parser's table the exception was made from (a syntax error
  // 32764, a construction error 32763, ...); 0 for one made from a ready text.
  unsigned id() const { return id_; }

  // String id from ovparse's table (at most 127 characters). When the library or the
  // string is missing: "Exception #<id> (no message available)." and *found = 0;
  // otherwise *found is the string's length. found may be null.
  static std::string ResourceIdToString(int* found, unsigned id);
  // The text of id formatted with arg (one %s); the fallback text unformatted.
  static std::string StringMsg(unsigned id, const char* arg);

 protected:
  void setExtra(const char* extra);

 private:
  int line_;
  unsigned id_ = 0;
  char* extra_ = nullptr;
  mutable std::string whatText_;
};

// A statement the grammar could not read. Printed with the expected symbols of the
// parser state in which the error was found and the line with a ^ at the column.
class SyntaxError : public ParserException {
 public:
  SyntaxError(int line, short token, short state, int column, const char* lineText);
  // The same with an explanation printed in place of the expected symbols (a literal the
  // lexer could not convert, for example).
  SyntaxError(int line, short token, short state, int column, const char* lineText, const char* explanation);
  SyntaxError(const SyntaxError& other) = default;
  ~SyntaxError() noexcept override;

  XException* Clone() const override;
  [[noreturn]] void Throw() const override;
  void printError(std::ostream& os) const override;
  // The line text without its line end, with ^ before the column's character (or at the
  // end when the column is 1 or past the text), then a line feed.
  void printLine(std::ostream& os) const;

  int column() const { return column_; }
  short token() const { return token_; }
  short state() const { return state_; }
  const RWCString& lineText() const { return lineText_; }

 private:
  int column_;
  RWCString lineText_;
  short token_;
  short state_;
};

// A suffix type on a variable that contradicts its As type.
class DeclarationTypeMismatch : public ParserException {
 public:
  DeclarationTypeMismatch(unsigned char varType, unsigned char declType, int line);
  DeclarationTypeMismatch(const DeclarationTypeMismatch& other) = default;
  ~DeclarationTypeMismatch() noexcept override;

  XException* Clone() const override;
  [[noreturn]] void Throw() const override;
  void printError(std::ostream& os) const override;

  unsigned char varType() const { return varType_; }
  unsigned char declType() const { return declType_; }

 private:
  unsigned char varType_;
  unsigned char declType_;
};

// A declared type (class or base type) that the store does not know.
class TypeNotFound : public ParserException {
 public:
  TypeNotFound(int line, const char* typeName);
  TypeNotFound(const TypeNotFound& other) = default;
  ~TypeNotFound() noexcept override;

  XException* Clone() const override;
  [[noreturn]] void Throw() const override;
};

// A block closed by the wrong line (or not at all). expected is the entity type
// (PEType) of the terminator that should have come; it prints as PETypeText gives it.
class ConstructError : public ParserException {
 public:
  ConstructError(int line, const char* blockName, int expected, const char* received);
  ConstructError(const ConstructError& other) = default;
  ~ConstructError() noexcept override;

  XException* Clone() const override;
  [[noreturn]] void Throw() const override;
  void printError(std::ostream& os) const override;

  const RWCString& blockName() const { return blockName_; }
  int expected() const { return expected_; }
  const RWCString& received() const { return received_; }

 private:
  RWCString blockName_;
  int expected_;
  RWCString received_;
};

// Anything else that went wrong while parsing; line 0.
class UnknownParserError : public ParserException {
 public:
  explicit UnknownParserError(const char* text);
  UnknownParserError(const UnknownParserError& other) = default;
  ~UnknownParserError() noexcept override;

  XException* Clone() const override;
  [[noreturn]] void Throw() const override;
};
