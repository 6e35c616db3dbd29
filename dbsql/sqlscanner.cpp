// The SQL scanner: escapes and bracketed names as single tokens, comment removal and
// the rewriting of bracketed literals into ODBC escapes.
#include "dbsql/sqlscanner.h"

#include "dbsql/sqlmessages.h"
#include "dbutil/jxmemory.h"

#include <string.h>

SqlScanner::~SqlScanner() = default;

void sqlScannerSetBrackets(SqlScanner* scanner, char open, char close) { scanner->setUserGroup(open, close); }
void sqlScannerClearBrackets(SqlScanner* scanner) { scanner->setUserGroup(0, 0); }
void sqlScannerRecogniseComments(SqlScanner* scanner) { scanner->setComments(1); }
void sqlScannerRemoveComments(SqlScanner* scanner, int32_t on) { scanner->setRemoveComments(on); }

namespace {

// The classes of a bracketed literal, by the word after "[".
enum SqlLiteralClass { LIT_NONE, LIT_BINARY, LIT_DATE, LIT_TIMESTAMP, LIT_TIME };

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Does text match the pattern, "9" standing for a digit and any other byte for itself?
bool shaped(const char* text, uint32_t length, const char* pattern) {
  if (strlen(pattern) != length) return false;
  for (uint32_t i = 0; i < length; ++i) {
    if (pattern[i] == '9' ? !isDigit(text[i]) : text[i] != pattern[i]) return false;
  }
  return true;
}

const char kDate[] = "9999-99-99";
const char kTime[] = "99:99:99";
const char kStamp[] = "9999-99-99 99:99:99";

// A timestamp: date and time, then optionally "." and one to six digits.
bool isTimestamp(const char* text, uint32_t length) {
  if (length < 19 || !shaped(text, 19, kStamp)) return false;
  if (length == 19) return true;
  if (text[19] != '.' || length < 21 || length > 26) return false;
  for (uint32_t i = 20; i < length; ++i)
    if (!isDigit(text[i])) return false;
  return true;
}

JxStatus refuseLiteral(const char* text, uint32_t length) {
  JxError* e = sqlErrorById(SQLMSG_UNEXPECTED_TEXT);
  if (e) e->getParamString().setParam(JxSubString(text, length));
  return 1;
}

SqlLiteralClass classOf(const JxToken& word) {
  const char* p = word.getPtr();
  const uint32_t n = word.getLength();
  auto up = [](char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); };
  if (n == 1 && up(p[0]) == 'B') return LIT_BINARY;
  if (n == 1 && up(p[0]) == 'D') return LIT_DATE;
  if (n == 1 && up(p[0]) == 'T') return LIT_TIME;
  if (n == 2 && up(p[0]) == 'D' && up(p[1]) == 'T') return LIT_TIMESTAMP;
  return LIT_NONE;
}

}  // namespace

JxStatus sqlConvertToODBC(const char* text, uint32_t length, char* out) {
  out[0] = 0;
  // "[" letters "'" body "']": the body lies between the quotes.
  if (!text || length < 5 || text[0] != '[' || text[length - 1] != ']' || text[length - 2] != '\'')
    return refuseLiteral(text, length);
  const bool d = text[1] == 'd' || text[1] == 'D';
  const bool dt = d && (text[2] == 't' || text[2] == 'T');
  const uint32_t open = dt ? 3 : 2;
  if (text[open] != '\'') return refuseLiteral(text, length);
  const char* body = text + open + 1;
  const uint32_t n = length - open - 3;
  if (dt) {
    if (!isTimestamp(body, n)) return refuseLiteral(text, length);
    memcpy(out, "{ts '", 5);
    memcpy(out + 5, body, n);
    memcpy(out + 5 + n, "'}", 3);
  } else if (d) {
    if (!shaped(body, n, kDate)) return refuseLiteral(text, length);
    memcpy(out, "{d '", 4);
    memcpy(out + 4, body, n);
    memcpy(out + 4 + n, "'}", 3);
  } else {
    // A time alone, or written as a full timestamp whose time of day is kept.
    if (shaped(body, n, kStamp))
      body += 11;
    else if (!shaped(body, n, kTime))
      return refuseLiteral(text, length);
    memcpy(out, "{t '", 4);
    memcpy(out + 4, body, 8);
    memcpy(out + 12, "'}", 3);
  }
  return 0;
}

JxStatus sqlRemoveToken(SqlScanner* scanner, const JxToken* token) {
  return scanner->changeToken(token, JxSubString("", 0));
}

JxStatus sqlAppendText(char** buffer, uint32_t* used, uint32_t* capacity, const char* text, uint32_t length,
                       short noBlank) {
  const uint32_t blank = (*used && !noBlank) ? 1 : 0;
  if (!*buffer || *used + blank + length + 1 >= *capacity) {
    uint32_t want = *capacity;
    while (*used + blank + length + 1 >= want) want += 1024;
    if (!*buffer) {
      char* p = static_cast<char*>(ramAlloc(want));
      if (!p) return 1;
      p[0] = 0;
      *buffer = p;
      *used = 0;
    } else {
      void* p = *buffer;
      if (ramResize(&p, want)) return 1;
      *buffer = static_cast<char*>(p);
    }
    *capacity = want;
  }
  char* at = *buffer + *used;
  if (blank) *at++ = ' ';
  if (length) memcpy(at, text, length);
  at[length] = 0;
  *used += blank + length;
  return 0;
}

JxStatus sqlNextToken(SqlScanner* scanner, JxToken* token, unsigned short search) {
  scanner->setComments(1);
  for (;;) {
    const unsigned short type = scanner->getToken(*token, static_cast<SearchType>(search));
    if (type == TOK_END) return 0;
    const char first = token->getPtr()[0];
    if (type == TOK_COMMENT) {
      if (scanner->getRemoveComments() && sqlRemoveToken(scanner, token)) return 1;
      continue;
    }
    if (first != '[' && first != '{') {
      if (type == TOK_UNCLOSED) return refuseLiteral(token->getPtr(), token->getLength());
      return 0;
    }
    if (first == '{') {
      scanner->unGetToken(*token);
      sqlScannerSetBrackets(scanner, '{', '}');
      const unsigned short whole = scanner->getToken(*token, SEARCH_ORDINARY);
      sqlScannerClearBrackets(scanner);
      if (whole != TOK_QUOTED) return refuseLiteral(token->getPtr(), token->getLength());
      return 0;
    }
    // "[": the word after it says what the bracketed group is.
    const JxToken open = *token;
    JxToken word;
    scanner->getToken(word, SEARCH_ORDINARY);
    const SqlLiteralClass cls = word.getPosition() == open.getPosition() + 1 && (word.getType() == TOK_WORD)
                                    ? classOf(word)
                                    : LIT_NONE;
    scanner->unGetToken(open);
    sqlScannerSetBrackets(scanner, '[', ']');
    const unsigned short whole = scanner->getToken(*token, SEARCH_ORDINARY);
    sqlScannerClearBrackets(scanner);
    if (whole != TOK_QUOTED) return refuseLiteral(token->getPtr(), token->getLength());
    if (cls == LIT_NONE) return 0;

    const char* t = token->getPtr();
    const uint32_t n = token->getLength();
    char escape[SQL_ESCAPE_SIZE + 1];
    uint32_t length;
    if (cls == LIT_BINARY) {
      // [B'hex digits'], an even count of them.
      if (n < 5 || t[2] != '\'' || t[n - 2] != '\'') return refuseLiteral(t, n);
      for (uint32_t i = 3; i < n - 2; ++i)
        if (!isHex(t[i])) return refuseLiteral(t, n);
      JxString bytes;
      if (bytes.initialize(n + 4) || bytes.concat("{b '") || bytes.concat(t + 3, n - 5) || bytes.concat("'}"))
        return 1;
      const uint32_t at = token->getPosition();
      if (scanner->changeToken(token, bytes)) return 1;
      scanner->getToken(*token, at, bytes.getLength());
      token->setToken(token->getPtr(), token->getLength(), TOK_QUOTED, at);
      return 0;
    }
    if (sqlConvertToODBC(t, n, escape)) return 1;
    length = static_cast<uint32_t>(strlen(escape));
    const uint32_t at = token->getPosition();
    if (scanner->changeToken(token, JxSubString(escape, length))) return 1;
    scanner->getToken(*token, at, length);
    token->setToken(token->getPtr(), token->getLength(), TOK_QUOTED, at);
    return 0;
  }
}
