// Identifier rules of a connection: whether a table or column name can be written bare
// in SQL, and quoting the parts of a qualified name that cannot. They rest on the
// driver profile: reserved words, extra first and middle characters, identifier case,
// quote character and qualifier separator.
#include "cmgenv_internal.h"
#include "dbsql/cmgdriver.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxstrfunc.h"
#include "dbutil/jxsubstring.h"

#include <ctype.h>
#include <string.h>

namespace {

// Codes 192-222 (but 215) and 223-255 (but 247) are the accented capitals and small
// letters of the Windows Latin page, whatever the run-time library's locale says.
bool isCapital(unsigned char c) { return c < 128 ? isupper(c) != 0 : (c >= 192 && c <= 222 && c != 215); }
bool isSmall(unsigned char c) { return c < 128 ? islower(c) != 0 : (c >= 223 && c != 247); }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool inSet(const char* set, unsigned char c) { return set && c && strchr(set, c) != nullptr; }

const char* firstSet(const cmg_capabilities* con, bool column) {
  return column ? con->columnFirstChars : con->tableFirstChars;
}
const char* middleSet(const cmg_capabilities* con, bool column) {
  return column ? con->columnChars : con->tableChars;
}

// A character after the first: a capital or a digit, a small letter for case-sensitive
// drivers, or one of the extra middle characters.
bool middleOk(const cmg_capabilities* con, unsigned char c, bool column) {
  if (isCapital(c) || isDigit(c)) return true;
  if (con->identifierCase == SQL_IC_SENSITIVE && isSmall(c)) return true;
  return inSet(middleSet(con, column), c);
}

// A name of an item list (texts each ended by a zero, an empty one ends the list).
template <typename F>
const char* findItem(const char* list, F match) {
  if (!list) return nullptr;
  for (const char* p = list; *p; p += strlen(p) + 1)
    if (match(p)) return p;
  return nullptr;
}

// The reserved-word test of length bytes of text.
short reserved(const cmg_capabilities* con, const char* text, size_t length, short clauseType) {
  char local[65];
  char* word =
      length < sizeof local ? local : static_cast<char*>(ramAlloc(static_cast<uint32_t>(length + 1)));
  if (!word) return 0;
  for (size_t i = 0; i < length; ++i)
    word[i] = static_cast<char>(toupper(static_cast<unsigned char>(text[i])));
  word[length] = 0;
  short found = 0;
  int lo = 0, hi = static_cast<int>(con->reservedCount) - 1;
  while (con->reservedWords && lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = strcmp(word, con->reservedWords[mid]);
    if (c == 0) {
      found = 1;
      break;
    }
    if (c < 0)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  if (!found && clauseType != CLAUSE_COLUMN &&
      findItem(con->fromReserved, [&](const char* item) { return strcmp(item, word) == 0; }))
    found = 1;
  if (word != local) ramFree(word);
  return found;
}

// Whether one part of a name must be quoted.
bool partNeedsQuotes(const cmg_capabilities* con, const char* part, size_t length, bool column) {
  unsigned char first = static_cast<unsigned char>(part[0]);
  bool firstOk = isCapital(first) || (con->identifierCase == SQL_IC_SENSITIVE && isSmall(first)) ||
                 inSet(firstSet(con, column), first);
  if (!firstOk) return true;
  for (size_t i = 1; i < length; ++i)
    if (!middleOk(con, static_cast<unsigned char>(part[i]), column)) return true;
  return reserved(con, part, length, column ? CLAUSE_COLUMN : CLAUSE_FROM) != 0;
}

}  // namespace

short cmgIsReservedWord(const cmg_capabilities* con, const char* word, short clauseType) {
  if (!con || !word) return 0;
  return reserved(con, word, strlen(word), clauseType);
}

short cmgValidCharacters(const cmg_capabilities* con, const char* name, short isColumn) {
  if (!con || !name || !name[0]) return 0;
  size_t length = strlen(name);
  unsigned char q = con->quoteChar;
  if (q && length >= 2 && static_cast<unsigned char>(name[0]) == q &&
      static_cast<unsigned char>(name[length - 1]) == q)
    return 1;
  unsigned char first = static_cast<unsigned char>(name[0]);
  if (!isCapital(first) && !isSmall(first) && !inSet(firstSet(con, isColumn != 0), first)) return 0;
  const char* separator = con->qualifierSeparator;
  bool otherSeparator = separator && separator[0] && strcmp(separator, ".") != 0;
  for (size_t i = 1; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (middleOk(con, c, isColumn != 0)) continue;
    if (otherSeparator && c == static_cast<unsigned char>(separator[0])) continue;
    return 0;
  }
  return 1;
}

short cmgIsValidName(const cmg_capabilities* con, const char* name, short isColumn) {
  if (!cmgValidCharacters(con, name, isColumn)) return 0;
  return cmgIsReservedWord(con, name, isColumn ? CLAUSE_COLUMN : CLAUSE_FROM) ? 0 : 1;
}

short cmgSpecialIsValidName(const cmg_capabilities* con, const char* name, short isColumn) {
  if (con && (con->flagsB & CMG_B_FILE_PATTERN)) return cmgValidCharacters(con, name, isColumn);
  return cmgIsValidName(con, name, isColumn);
}

JxStatus cmgMakeValidName(const cmg_capabilities* con, char* name, uint32_t size, short isColumn) {
  if (!con) return cmgMissing("connection", "cmgMakeValidName");
  if (!name) return cmgMissing("name", "cmgMakeValidName");
  const char* separator =
      con->qualifierSeparator && con->qualifierSeparator[0] ? con->qualifierSeparator : nullptr;
  size_t sepLength = separator ? strlen(separator) : 0;
  char q = static_cast<char>(con->quoteChar);
  JxString out;
  if (out.initialize(static_cast<uint32_t>(strlen(name) + 8))) return 1;
  const char* p = name;
  for (;;) {
    // A part already enclosed in quotes runs to its closing quote and stays as it is.
    const char* end;
    if (q && *p == q) {
      const char* close = strchr(p + 1, q);
      end = close ? close + 1 : p + strlen(p);
    } else {
      const char* dot = strchr(p, '.');
      const char* sep = separator ? strstr(p, separator) : nullptr;
      end = dot && (!sep || dot <= sep) ? dot : sep ? sep : p + strlen(p);
    }
    size_t length = static_cast<size_t>(end - p);
    bool quote = length && *p != q && partNeedsQuotes(con, p, length, isColumn != 0);
    if (quote && !q) {
      JxString part;
      if (!part.initialize(p, static_cast<uint32_t>(length)))
        *sqlErrorById(SQLMSG_CANNOT_QUOTE) << part.c_str();
      return 1;
    }
    if ((quote && out.concat(q)) || out.concat(p, static_cast<uint32_t>(length)) || (quote && out.concat(q)))
      return 1;
    if (!*end) break;
    // The part ends at a "." or at the whole separator text.
    size_t skip = *end == '.' ? 1 : (separator && strncmp(end, separator, sepLength) == 0 ? sepLength : 0);
    if (!skip) {
      if (out.concat(end)) return 1;
      break;
    }
    if (out.concat(end, static_cast<uint32_t>(skip))) return 1;
    p = end + skip;
  }
  if (cmgCopyOut("cmgMakeValidName", out.c_str(), name, size)) return 1;
  return 0;
}

short cmgIsReservedToken(const cmg_capabilities* con, const JxSubString* token, short clauseType) {
  if (!con || !token || !token->getLength()) return 0;
  return reserved(con, token->getPtr(), token->getLength(), clauseType);
}

const char* cmgPseudoColumn(const cmg_capabilities* con, const JxSubString* token) {
  if (!con || !token || !token->getLength()) return nullptr;
  uint32_t n = token->getLength();
  return findItem(con->pseudoColumns, [&](const char* item) {
    size_t length = strlen(item);
    if (length < n || strCompareCi(item, n, token->getPtr(), n) != 0) return false;
    return item[n] == 0 || item[n] == ' ';
  });
}

short cmgIsWhereTerminator(const cmg_capabilities* con, const JxSubString* token) {
  if (!con || !token || !token->getLength()) return 0;
  uint32_t n = token->getLength();
  return findItem(con->whereTerminators, [&](const char* item) {
           return strCompareCi(item, static_cast<uint32_t>(strlen(item)), token->getPtr(), n) == 0;
         }) != nullptr;
}
