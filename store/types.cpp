// Type code names and suffixes.
#include "store/types.h"

#include <cstring>

unsigned char TypeCodeForSuffix(char suffix) {
  switch (suffix) {
    case '%':
      return kTypeShort;
    case '&':
      return kTypeLong;
    case '!':
      return kTypeFloat;
    case '#':
      return kTypeDouble;
    case '@':
      return kTypeCurrency;
    case '$':
      return kTypeString;
    default:
      return 0;
  }
}

char SuffixForTypeCode(unsigned code) {
  static const char kSuffix[] = "\0%&!#@$";
  return code >= 1 && code <= 6 ? kSuffix[code] : 0;
}

IdTypeString::IdTypeString(unsigned code) {
  static const char* const kNames[] = {"Variant", "Integer",  "Long",   "Single",
                                       "Double",  "Currency", "String", "Object"};
  unsigned base = code & ~(unsigned)kTypeArrayFlag;
  const char* name;
  if (base < 8)
    name = kNames[base];
  else if (base == kTypeNoValue)
    name = "Empty";
  else
    name = "Unknown";
  std::strcpy(text_, name);
  if (IsArrayType(code) && base < 8) std::strcat(text_, "()");
}
