// Small regular expressions over RWCString text.
//
// The pattern compiles into at most maxpat_ 16-bit tokens: literal bytes (0..255) and the
// operators below. A repetition token stands in front of the element it repeats; a class
// is its token followed by 16 words of a 256-bit set (bit c in word c / 16).
//
//   c     the byte c              \b \e \f \n \r \s \t   8 27 12 10 13 32 9
//   .     any byte                \xHH  \OOO  \^c        hex, octal, control (toupper(c) - 64)
//   ^     start (first char only) [set] [^set] [a-z]     classes; z-a is a-z
//   $     end (last char only)    *  +  ?                zero or more, one or more, optional
//
// Compilation never throws; status() reports the result (0 valid, 1 illegal, 2 no memory,
// 3 too long or ill-formed) and resets it. A pattern that failed to compile stays unusable
// until a new pattern is assigned: every search with it throws RWInternalErr [BADRE], even
// after status() has been read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "utils/ovutil_api.h"
#include "utils/rwcstring.h"

class OVUTIL_API RWCRegexp {
 public:
  enum statVal { OK = 0, ILLEGAL = 1, NOMEM = 2, TOOLONG = 3 };
  enum : uint16_t {
    kEnd = 0x8000,
    kEol = 0x8024,    // '$'
    kBol = 0x805E,    // '^'
    kAny = 0x802E,    // '.'
    kClass = 0x805B,  // '[' + 16 words
    kStar = 0x802A,
    kPlus = 0x802B,
    kOpt = 0x803F,
  };
  static const unsigned maxpat_ = 128;

  explicit RWCRegexp(const char* pattern);
  explicit RWCRegexp(const RWCString& pattern);
  RWCRegexp(const RWCRegexp& other);
  ~RWCRegexp();
  RWCRegexp& operator=(const RWCRegexp& other);
  RWCRegexp& operator=(const char* pattern);
  RWCRegexp& operator=(const RWCString& pattern);

  // The compile status; resets it to OK (the pattern itself stays unusable if it failed).
  statVal status();

  // First match at or after start: its position and *len, or RW_NPOS and *len 0
  // (also when start > s.length()). Throws RWInternalErr [BADRE] for a failed pattern.
  size_t index(const RWCString& s, size_t* len = nullptr, size_t start = 0) const;
  // Backward search: tries positions start, start - 1, ..., 0 with the text at each
  // position limited to the bytes before start; '^' anchors at the string's start.
  size_t p_index(const RWCString& s, size_t* len = nullptr, size_t start = 0) const;

  // The compiled tokens (up to and including kEnd), for inspection.
  const uint16_t* tokens() const { return pattern_; }

 private:
  void genPattern(const char* text);
  const char* matchFrom(const uint16_t* pat, const char* at, const char* end, const char* bol) const;
  void checkUsable() const;

  uint16_t* pattern_;
  int stat_;
  bool usable_;  // false after a failed compilation, whatever status() has returned
};
