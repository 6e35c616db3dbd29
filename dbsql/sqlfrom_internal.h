// Shared by the SQL parser and the FROM walk: the words of a join written out in a
// FROM clause ("t LEFT OUTER JOIN u ON c", "t CROSS JOIN u"), and the name characters of
// the connection installed in a scanner.
#pragma once

#include "dbsql/sqlengine.h"
#include "dbsql/sqlscanner.h"

// A word that may stand in the run of words before a table of a join: NATURAL, INNER,
// LEFT, RIGHT, FULL, OUTER, CROSS, JOIN, or one of the profile's FROM words.
bool sqlIsJoinWord(const cmg_capabilities* con, const JxToken& token);

// Whether a join run starts at *token (the current token, already read): join words, the
// last of them ending in "JOIN". Found: *found is set, *runEnd is the end of the run's
// last word and *token is the token after the run. Not found: the scanner and *token
// are where they were. search is the scanner's search type. JxStatus.
JxStatus sqlReadJoin(SqlScanner* scanner, JxToken* token, const cmg_capabilities* con, unsigned short search,
                     bool* found, uint32_t* runEnd);

// Installs the connection's extra name characters (those of table names or of column
// names) and its delimiters in the scanner and sets *search to the search type to read
// with: identifiers as usual, or the ordinary search when the profile has extra
// characters or delimiters, so that they govern where a name ends ("#" and "$" stay
// name characters as in the identifier search; white space and "?" always end a
// name). first,
// middle and delimiters keep the sets the scanner then views. JxStatus.
JxStatus sqlInstallNameChars(SqlScanner* scanner, const cmg_capabilities* con, bool tables, JxString* first,
                             JxString* middle, JxString* delimiters, unsigned short* search);

// A comparison of a token with a word (upper case), ignoring the token's case.
bool sqlTokenIs(const JxSubString& token, const char* word);
