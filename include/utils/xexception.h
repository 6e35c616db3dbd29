// The exception base of the product and the assertion entry.
//
// xmsg          the run-time base: one message string.
// XException    base of the exceptions of the utilities, the parser and the database
//               objects; two flags let catch sites record that an exception was dealt
//               with (handled) or already shown to the user (userHandled).
// XAssert       a broken internal condition: condition text, source path and line.
//
// utilsAssert logs "Program error: <code>" to orvanel.log and throws XAssert. The code
// ("%04x.%04x-%04x") packs up to six characters of the source file name and the line so
// that users can report it without the product showing source paths.
#pragma once

#include <exception>
#include <string>

#include "utils/ovutil_api.h"

class OVUTIL_API xmsg : public std::exception {
 public:
  explicit xmsg(const std::string& text) : text_(text) {}
  virtual ~xmsg() noexcept;
  const std::string& why() const { return text_; }
  const char* what() const noexcept override { return text_.c_str(); }

 private:
  std::string text_;
};

class OVUTIL_API XException : public xmsg {
 public:
  enum { kHandled = 0x1, kUserHandled = 0x2 };

  explicit XException(const char* text);
  explicit XException(const std::string& text);
  XException(const XException& other) = default;
  ~XException() noexcept override;

  // A heap copy of the same dynamic type.
  virtual XException* Clone() const;
  // Throws a copy of this object with its own dynamic type.
  [[noreturn]] virtual void Throw() const;

  // set == -1 only queries; any other value sets (non-zero) or clears (zero) the bit
  // first. Both answer the bit's state afterwards.
  int handled(int set);
  int userHandled(int set);

 private:
  int flagBit(int bit, int set);
  unsigned flags_ = 0;
};

class OVUTIL_API XAssert : public XException {
 public:
  XAssert(const char* condition, const char* path, int line);
  XAssert(const XAssert& other) = default;
  ~XAssert() noexcept override;

  XException* Clone() const override;
  [[noreturn]] void Throw() const override;

  const std::string& Path() const { return path_; }
  int Line() const { return line_; }

 private:
  std::string path_;  // full source path, as passed in
  int line_;
};

extern "C++" {
// Logs "Program error: <code>" and throws XAssert(condition, path, line).
[[noreturn]] OVUTIL_API void utilsAssert(const char* condition, const char* path, int line);

// Writes the 14-character code of (path, line) and a terminator into buffer (>= 15 bytes).
// A null buffer does nothing; a null or empty path (or one ending in a separator) gives
// a name word of 0.
OVUTIL_API void utilsEncodeAssert(const char* path, int line, char* buffer);

// The reverse: sketch (>= 8 bytes) gets the file-name sketch with '*' before its last
// character ("MAIN.*P"), *line the line. Does nothing when an argument is null or the
// code is empty.
OVUTIL_API void utilsDecodeAssert(const char* code, char* sketch, int* line);
}

#define UTILS_ASSERT(cond) ((cond) ? (void)0 : utilsAssert(#cond, __FILE__, __LINE__))
