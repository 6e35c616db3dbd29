// The walk over the tables of a FROM clause, and the join words it shares with the
// parser.
#include "dbsql/sqlfrom.h"

#include "dbsql/cmgdriver.h"
#include "dbsql/sqlmessages.h"
#include "sqlfrom_internal.h"
#include "dbutil/jxmemory.h"

#include <string.h>

namespace {

bool isOp(const JxToken& t, char c) {
  return t.getLength() == 1 && t.getPtr()[0] == c && t.getType() != TOK_QUOTED;
}

bool isPlainWord(const JxToken& t) {
  return t.getLength() && t.getType() != TOK_QUOTED && t.getType() != TOK_UNCLOSED;
}

// The words that end in "JOIN" close a run of join words.
bool endsInJoin(const JxToken& t) {
  const uint32_t n = t.getLength();
  return isPlainWord(t) && n >= 4 && sqlTokenIs(JxSubString(t.getPtr() + n - 4, 4), "JOIN");
}

// The condition of a join: ON followed by an expression, or USING and a column list.
bool startsCondition(const JxToken& t) {
  return isPlainWord(t) && (sqlTokenIs(t, "ON") || sqlTokenIs(t, "USING"));
}

}  // namespace

bool sqlTokenIs(const JxSubString& t, const char* word) {
  const uint32_t n = static_cast<uint32_t>(strlen(word));
  if (t.getLength() != n) return false;
  for (uint32_t i = 0; i < n; ++i) {
    char c = t.getPtr()[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != word[i]) return false;
  }
  return true;
}

bool sqlIsJoinWord(const cmg_capabilities* con, const JxToken& t) {
  static const char* const kJoinWords[] = {"NATURAL", "INNER", "LEFT",  "RIGHT",
                                           "FULL",    "OUTER", "CROSS", "JOIN"};
  if (!isPlainWord(t)) return false;
  for (const char* w : kJoinWords)
    if (sqlTokenIs(t, w)) return true;
  if (con && con->fromReserved)
    for (const char* w = con->fromReserved; *w; w += strlen(w) + 1)
      if (sqlTokenIs(t, w)) return true;
  return false;
}

JxStatus sqlReadJoin(SqlScanner* scanner, JxToken* token, const cmg_capabilities* con, unsigned short search,
                     bool* found, uint32_t* runEnd) {
  *found = false;
  if (!sqlIsJoinWord(con, *token)) return 0;
  const uint32_t start = token->getPosition();
  for (;;) {
    const uint32_t end = token->getPosition() + token->getLength();
    const bool last = endsInJoin(*token);
    if (sqlNextToken(scanner, token, search)) return 1;
    if (last) {
      *found = true;
      *runEnd = end;
      return 0;
    }
    if (!sqlIsJoinWord(con, *token)) break;
  }
  // Not a join ("t LEFT" or a function LEFT(...)): read the first word again.
  scanner->setPosition(start);
  return sqlNextToken(scanner, token, search);
}

JxStatus sqlInstallNameChars(SqlScanner* scanner, const cmg_capabilities* con, bool tables, JxString* first,
                             JxString* middle, JxString* delimiters, unsigned short* search) {
  const char* f = con ? (tables ? con->tableFirstChars : con->columnFirstChars) : nullptr;
  const char* m = con ? (tables ? con->tableChars : con->columnChars) : nullptr;
  const char* d = con ? con->delimiters : nullptr;
  scanner->setDelimiters(JxSubString());
  if (!(f && *f) && !(m && *m) && !(d && *d)) {
    scanner->setWordChars(JxSubString());
    scanner->setContinuationChars(JxSubString());
    *search = SEARCH_IDENTIFIER;
    return 0;
  }
  if (first->initialize("#") || (f && first->concat(f)) || middle->initialize("#$") ||
      (m && middle->concat(m)))
    return 1;
  if (d && *d) {
    // White space and the parameter mark always end a name ("?name" is a named marker).
    if (delimiters->initialize(" \t\r\n?") || delimiters->concat(d)) return 1;
    scanner->setDelimiters(JxSubString(delimiters->c_str(), delimiters->getLength()));
  }
  scanner->setWordChars(JxSubString(first->c_str(), first->getLength()));
  scanner->setContinuationChars(JxSubString(middle->c_str(), middle->getLength()));
  *search = SEARCH_ORDINARY;
  return 0;
}

SqlFrom::~SqlFrom() = default;

JxStatus SqlFrom::initialize(cmg_capabilities* con, char** fromText, SqlFromType type) {
  con_ = con;
  fromText_ = fromText;
  type_ = type;
  count_ = 0;
  nameAt_ = nameLength_ = 0;
  const char* text = fromText && *fromText ? *fromText : "";
  setQuoteChars('\'', '"', con ? static_cast<char>(con->quoteChar) : 0);
  if (sqlInstallNameChars(this, con, true, &first_, &middle_, &delimiters_, &search_)) return 1;
  if (type == SQLFROM_IN_PLACE) {
    setScanString(text, static_cast<uint32_t>(strlen(text)));
    return 0;
  }
  if (copy_.initialize(text)) return 1;
  setScanString(&copy_);
  return 0;
}

JxStatus SqlFrom::tooLong(uint32_t length) {
  if (!con_ || !con_->maxTableName || length <= con_->maxTableName) return 0;
  JxError* e = sqlErrorById(SQLMSG_TABLE_NAME_TOO_LONG);
  if (e) e->getParamString().setParam(static_cast<unsigned long>(con_->maxTableName));
  return 1;
}

JxStatus SqlFrom::skipGroup(JxToken* tok) {
  int depth = 1;
  while (depth > 0) {
    if (read(tok)) return 1;
    if (tok->getType() == TOK_END) return 0;
    if (isOp(*tok, '(')) ++depth;
    if (isOp(*tok, ')')) --depth;
  }
  return read(tok);
}

// What ended the previous table: a comma, or a join's condition and the words of the
// next join. *tok is left on the first token of the next table.
JxStatus SqlFrom::skipSeparator(JxToken* tok) {
  for (;;) {
    if (isOp(*tok, ',')) return read(tok);
    if (startsCondition(*tok)) {
      int depth = 0;
      for (;;) {
        if (read(tok)) return 1;
        if (tok->getType() == TOK_END || (depth == 0 && isOp(*tok, ','))) break;
        if (isOp(*tok, '(')) ++depth;
        if (isOp(*tok, ')') && depth > 0) --depth;
        if (depth == 0 && sqlIsJoinWord(con_, *tok)) {
          bool found;
          uint32_t runEnd;
          if (sqlReadJoin(this, tok, con_, search_, &found, &runEnd)) return 1;
          if (found) return 0;
        }
      }
      continue;
    }
    bool found;
    uint32_t runEnd;
    return sqlReadJoin(this, tok, con_, search_, &found, &runEnd);
  }
}

JxStatus SqlFrom::nextTable(JxString* name, JxString* alias) {
  if (name->initialize("") || (alias && alias->initialize(""))) return 1;
  JxToken tok;
  if (read(&tok) || skipSeparator(&tok)) return 1;
  if (con_ && (con_->outerJoinSyntax & CMG_OJ_OUTER) && isPlainWord(tok) && sqlTokenIs(tok, "OUTER")) {
    if (read(&tok)) return 1;
    if (isOp(tok, '(') && read(&tok)) return 1;
  }
  if (tok.getType() == TOK_END) return 0;
  const uint32_t at = tok.getPosition();
  uint32_t end = at + tok.getLength();
  if (isOp(tok, '(')) {
    // A table in parentheses (a nested join or a query) is taken whole.
    if (skipGroup(&tok)) return 1;
    end = tok.getType() == TOK_END ? getLength() : tok.getPosition();
    while (end > at &&
           (getText()[end - 1] == ' ' || (getText()[end - 1] >= '\t' && getText()[end - 1] <= '\r')))
      --end;
  } else {
    // owner.table, qualifier.owner.table, table@link.
    for (;;) {
      if (read(&tok)) return 1;
      if (!(isOp(tok, '.') || isOp(tok, '@'))) break;
      if (read(&tok)) return 1;
      if (tok.getType() == TOK_END) break;
      end = tok.getPosition() + tok.getLength();
    }
  }
  if (name->concat(getText() + at, end - at)) return 1;
  if (getText()[at] != '(' && tooLong(end - at)) return 1;
  nameAt_ = at;
  nameLength_ = end - at;
  uint32_t last = end;  // where the table's own text ends
  if (isOp(tok, '(')) {
    if (skipGroup(&tok)) return 1;
    last = tok.getType() == TOK_END ? getLength() : tok.getPosition();
  }
  // Up to the next comma, join condition or join: the first word that is neither ")"
  // nor reserved is the alias.
  bool found = false;
  while (tok.getType() != TOK_END && !isOp(tok, ',') && !startsCondition(tok)) {
    if (sqlIsJoinWord(con_, tok)) {
      const uint32_t runAt = tok.getPosition();
      bool join;
      uint32_t runEnd;
      if (sqlReadJoin(this, &tok, con_, search_, &join, &runEnd)) return 1;
      if (join) {
        getToken(tok, runAt, 0);
        break;
      }
    }
    if (!found && !isOp(tok, ')') && !(con_ && cmgIsReservedToken(con_, &tok, CLAUSE_FROM)) &&
        !sqlIsJoinWord(con_, tok)) {
      found = true;
      if (tooLong(tok.getLength())) return 1;
      if (alias && alias->concat(tok.getPtr(), tok.getLength())) return 1;
    }
    last = tok.getPosition() + tok.getLength();
    if (read(&tok)) return 1;
  }
  // The separator stays for the next table; addTableAlias inserts at the table's end.
  setPosition(tok.getType() != TOK_END ? last : getLength());
  ++count_;
  return 0;
}

JxStatus SqlFrom::addTableAlias(uint16_t table, const char* alias) {
  if (initialize(con_, fromText_, SQLFROM_COPY)) return 1;
  JxString name;
  for (uint16_t i = 0; i <= table; ++i) {
    if (nextTable(&name, nullptr)) return 1;
    if (!name.getLength()) return 0;  // fewer tables than that: nothing to do
  }
  // Before the separator that followed the table (or at the end of the text).
  JxToken sep;
  const uint32_t at = getPosition();
  getToken(sep, at, 0);
  JxString inserted;
  if (inserted.initialize(" ") || inserted.concat(alias)) return 1;
  if (insertToken(&sep, inserted)) return 1;
  char* changed = ramAllocStr(copy_.c_str());
  if (!changed) return 1;
  ramFree(*fromText_);
  *fromText_ = changed;
  return 0;
}

JxStatus SqlFrom::changeTableName(const char* name) {
  if (type_ != SQLFROM_KEEP_NAME || !nameLength_) return 0;
  JxToken kept;
  getToken(kept, nameAt_, nameLength_);
  if (changeToken(&kept, JxSubString(name))) return 1;
  nameLength_ = static_cast<uint32_t>(strlen(name));
  return 0;
}
