// The Basic keyword table: the reserved words of the language and their token numbers.
//
// The token numbers are the ones the parser's grammar uses; the lexer looks every word it
// reads up here (case-insensitively). Words that are not keywords are identifiers, token
// number KEYTAB_IDENTIFIER. The developer tools use the reverse direction to colour and
// name tokens.
#pragma once

#include "store/ovstore_api.h"

// Token number of a word that is no keyword.
enum { KEYTAB_IDENTIFIER = 265 };

// The token number of the keyword spelt `text` (any letter case), or 265 when `text` is
// no keyword (also for a null or empty text).
OVSTORE_API int KeyTabStringToId(const char* text);

// The keyword's own spelling for a token number, or null when the number is no keyword.
OVSTORE_API const char* KeyTabIdToString(int id);

// Number of keywords and the i-th of them in token order (0 <= i < KeyTabCount()), for
// tools that list the reserved words. Returns the token number and sets *text.
OVSTORE_API int KeyTabCount();
OVSTORE_API int KeyTabEntry(int i, const char** text);
