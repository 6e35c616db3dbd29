// Type codes of the store's values, shared with the parser.
//
//   0 not given     1 short (Integer)   2 long (Long)      3 float (Single)
//   4 double        5 Currency          6 string           7 object
//  10 no value (a value that holds nothing yet, e.g. an unassigned variant)
// Arrays carry the element code plus 0x20 (0x26 = array of strings); the low five bits
// are the element code.
//
// Declaration suffixes map to the same codes: % 1, & 2, ! 3, # 4, @ 5, $ 6.
#pragma once

#include <cstdint>

#include "store/ovstore_api.h"

enum TypeCode : unsigned char {
  kTypeNone = 0,
  kTypeShort = 1,
  kTypeLong = 2,
  kTypeFloat = 3,
  kTypeDouble = 4,
  kTypeCurrency = 5,
  kTypeString = 6,
  kTypeObject = 7,
  kTypeNoValue = 10,
  kTypeArrayFlag = 0x20,
};

inline bool IsArrayType(unsigned code) { return (code & kTypeArrayFlag) != 0; }
inline unsigned char ElementType(unsigned code) { return (unsigned char)(code & 0x1F); }
inline bool IsNumericType(unsigned code) { return code >= kTypeShort && code <= kTypeCurrency; }

// The code for a declaration suffix character, 0 for any other character.
OVSTORE_API unsigned char TypeCodeForSuffix(char suffix);
// The suffix character of a code 1..6, 0 for other codes.
OVSTORE_API char SuffixForTypeCode(unsigned code);

// The Basic name of a type code, as declaration messages show it: "Integer", "Long",
// "Single", "Double", "Currency", "String", "Object"; arrays get "()" appended
// ("Integer()"); 0 gives "Variant", 10 "Empty", anything else "Unknown".
class OVSTORE_API IdTypeString {
 public:
  explicit IdTypeString(unsigned code);
  const char* string() const { return text_; }
  operator const char*() const { return text_; }

 private:
  char text_[16];
};
