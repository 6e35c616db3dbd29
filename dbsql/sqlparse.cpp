// The SQL parser. Clauses are kept as text; on the way the statement is rewritten into
// the text sent to the driver (literals as escapes, aliases cut, ORDER BY aliases as
// item numbers, marker names dropped, COMPUTE and OPTIONS cut off).
#include "dbsql/sqlparse.h"

#include "dbsql/cmgdriver.h"
#include "dbsql/cmgdriveropt.h"
#include "dbsql/sqlmessages.h"
#include "dbsql/sqlscanner.h"
#include "sqlfrom_internal.h"
#include "dbutil/jxmemory.h"

#include <stddef.h>
#include <string.h>

#include <utility>
#include <vector>

namespace {

// The clause fields of parsed_sql, in order.
enum SqlClause {
  CL_NONE = -1,
  CL_WHERE,
  CL_GROUP,
  CL_HAVING,
  CL_SETOP,
  CL_ORDER,
  CL_COMPUTE,
  CL_OPTIONS,
  CL_FOR
};

char** clauseField(parsed_sql* p, int clause) {
  switch (clause) {
    case CL_WHERE:
      return &p->where;
    case CL_GROUP:
      return &p->groupBy;
    case CL_HAVING:
      return &p->having;
    case CL_SETOP:
      return &p->setOperation;
    case CL_ORDER:
      return &p->orderBy;
    case CL_COMPUTE:
      return &p->compute;
    case CL_OPTIONS:
      return &p->options;
    default:
      return &p->forUpdate;
  }
}

const size_t kHeadSize = offsetof(parsed_sql, items);

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool equalCi(const JxToken& t, const char* word) {
  const uint32_t n = static_cast<uint32_t>(strlen(word));
  if (t.getLength() != n) return false;
  for (uint32_t i = 0; i < n; ++i) {
    char c = t.getPtr()[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != word[i]) return false;
  }
  return true;
}

// The token against n bytes of a word, both without regard to case.
bool equalCiN(const JxToken& t, const char* word, size_t n) {
  if (t.getLength() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char a = t.getPtr()[i], b = word[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
    if (a != b) return false;
  }
  return true;
}

bool isOneOf(const JxToken& t, const char* const* words) {
  for (; *words; ++words)
    if (equalCi(t, *words)) return true;
  return false;
}

const char* const kListEnds[] = {"FROM", "WHERE",   "GROUP",   "HAVING", "ORDER",
                                 "FOR",  "COMPUTE", "OPTIONS", nullptr};
const char* const kSetOps[] = {"CONNECT", "UNION", "MINUS", "EXCEPT", "INTERSECT", nullptr};

bool isOp(const JxToken& t, char c) {
  return t.getLength() == 1 && t.getPtr()[0] == c && t.getType() != TOK_QUOTED;
}

class Parser {
 public:
  Parser(cmg_capabilities* con, const char* text) : con_(con), original_(text) {}
  ~Parser() {
    sqlParseFree(parsed_);
    ramFree(from_);
    ramFree(ojTables_);
    ramFree(ojCond_);
  }
  JxStatus run();
  parsed_sql* takeParsed() {
    parsed_sql* p = parsed_;
    parsed_ = nullptr;
    return p;
  }
  JxString& text() { return text_; }

 private:
  JxStatus next() { return sqlNextToken(&scanner_, &tok_, search_); }
  bool end() const { return tok_.getType() == TOK_END; }
  bool isWord(const JxToken& t) const;
  bool isReserved(const JxToken& t, short clause) const {
    return con_ && cmgIsReservedToken(con_, &t, clause);
  }
  bool isPrefixed(const JxToken& t) const;
  JxStatus addItem(uint32_t start, uint32_t end, uint16_t kind, bool check = true);
  JxStatus addAlias(const char* text, uint32_t length);
  JxStatus cutBeforeCurrent(uint32_t at, uint32_t length);
  JxStatus selectList(bool* intoFound);
  JxStatus readPhrase(bool* matched);
  JxStatus fromClause();
  JxStatus fromGroup();
  JxStatus joinCondition();
  JxStatus names(bool tables) {
    return sqlInstallNameChars(&scanner_, con_, tables, &firstChars_, &middleChars_, &delimiters_, &search_);
  }
  JxStatus clauseScan();
  JxStatus startClause(int clause, uint32_t keywordAt, uint32_t contentAt);
  JxStatus closeClause(uint32_t end);
  JxStatus marker();
  JxStatus orderAlias();
  JxStatus finish();
  JxStatus fail(unsigned short number, const char* param, uint32_t length) {
    JxError* e = sqlErrorById(number);
    if (e && param) e->getParamString().setParam(JxSubString(param, length));
    return 1;
  }

  cmg_capabilities* con_;
  const char* original_;
  JxString text_;
  SqlScanner scanner_;
  JxToken tok_;
  unsigned short search_ = SEARCH_IDENTIFIER;
  JxString firstChars_, middleChars_, delimiters_;  // the name characters the scanner views
  uint32_t markerEnd_ = 0;                          // where the last marker (with its name) ends
  parsed_sql* parsed_ = nullptr;
  uint16_t itemRoom_ = 0;
  bool select_ = false;
  char datePrefix_ = 0, bitPrefix_ = 0;
  const char* dateWord_ = nullptr;
  const char* bitWord_ = nullptr;
  int open_ = CL_NONE;
  uint32_t openAt_ = 0;
  uint32_t cutAt_ = 0xFFFFFFFFu;
  std::vector<std::pair<uint32_t, uint32_t>> names_;  // named markers: where the name is, its length
  char* from_ = nullptr;
  uint32_t fromUsed_ = 0, fromCap_ = 0;
  char* ojTables_ = nullptr;
  uint32_t ojTablesUsed_ = 0, ojTablesCap_ = 0;
  char* ojCond_ = nullptr;
  uint32_t ojCondUsed_ = 0, ojCondCap_ = 0;
};

bool Parser::isWord(const JxToken& t) const {
  if (!t.getLength()) return false;
  if (t.getType() == TOK_QUOTED && t.getPtr()[0] != static_cast<char>(con_ ? con_->quoteChar : 0))
    return false;
  const unsigned char c = static_cast<unsigned char>(t.getPtr()[0]);
  if (con_ && con_->quoteChar && c == con_->quoteChar) return true;
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 192 && c <= 222 && c != 215) ||
         (c >= 223 && c != 247) || c == '$' || c == '#' || c == '_';
}

bool Parser::isPrefixed(const JxToken& t) const {
  const char c = t.getPtr()[0];
  if ((datePrefix_ && c == datePrefix_) || (bitPrefix_ && c == bitPrefix_)) return true;
  for (const char* w : {dateWord_, bitWord_}) {
    if (w && strlen(w) == t.getLength() && memcmp(w, t.getPtr(), t.getLength()) == 0) return true;
  }
  return false;
}

JxStatus Parser::addItem(uint32_t start, uint32_t end, uint16_t kind, bool check) {
  while (end > start && isBlank(text_.getPtr()[end - 1])) --end;
  if (check && end <= start)
    return fail(SQLMSG_IMPROPER_SELECT_LIST, original_, static_cast<uint32_t>(strlen(original_)));
  if (parsed_->itemCount == itemRoom_) {
    void* p = parsed_;
    if (ramResizeZ(&p, static_cast<uint32_t>(kHeadSize + sizeof(SqlParsedItem) * (itemRoom_ + 1u)))) return 1;
    parsed_ = static_cast<parsed_sql*>(p);
    ++itemRoom_;
  }
  SqlParsedItem& item = parsed_->items[parsed_->itemCount++];
  item.start = static_cast<uint16_t>(start);
  item.length = static_cast<uint16_t>(end - start);
  item.kind = kind;
  return 0;
}

JxStatus Parser::addAlias(const char* text, uint32_t length) {
  uint32_t used = 0;
  if (parsed_->aliases)
    for (const char* a = parsed_->aliases; *a; a += strlen(a) + 1)
      used = static_cast<uint32_t>(a + strlen(a) + 1 - parsed_->aliases);
  char* p = static_cast<char*>(ramAlloc(used + length + 2));
  if (!p) return 1;
  if (used) memcpy(p, parsed_->aliases, used);
  memcpy(p + used, text, length);
  p[used + length] = 0;
  p[used + length + 1] = 0;  // the list ends with an empty name
  ramFree(parsed_->aliases);
  parsed_->aliases = p;
  return 0;
}

// Deletes length bytes at `at` (before the current token) and reads the current
// token again at its new place.
JxStatus Parser::cutBeforeCurrent(uint32_t at, uint32_t length) {
  scanner_.unGetToken(tok_);
  JxToken cut;
  scanner_.getToken(cut, at, length);
  if (sqlRemoveToken(&scanner_, &cut)) return 1;
  return next();
}

JxStatus Parser::selectList(bool* intoFound) {
  for (;;) {
    uint32_t start = tok_.getPosition();
    uint16_t kind = 0;
    bool complete = false, equalsForm = false;
    uint32_t aliasAt = 0, aliasLength = 0, cutAt = 0, asAt = 0xFFFFFFFFu;
    int depth = 0, index = 0;
    for (;;) {
      if (end()) break;
      if (depth == 0) {
        if (isOp(tok_, ',')) break;
        if (isOneOf(tok_, kListEnds) || (isOneOf(tok_, kSetOps) && isReserved(tok_, CLAUSE_COLUMN))) break;
        if (equalCi(tok_, "INTO")) {
          *intoFound = true;
          return 0;
        }
      }
      ++index;
      if (index == 2 && depth == 0 && isOp(tok_, '=') && !equalsForm) {
        // name = expression: the name is the alias; both tokens leave the text.
        const uint32_t nameAt = start, nameLength = tok_.getPosition() + 1 - start;
        JxToken first;
        scanner_.getToken(first, start, nameLength);
        uint32_t n = 0;
        while (n < nameLength && !isBlank(first.getPtr()[n]) && first.getPtr()[n] != '=') ++n;
        if (addAlias(first.getPtr(), n)) return 1;
        if (next() || cutBeforeCurrent(nameAt, nameLength)) return 1;
        start = tok_.getPosition();
        kind = SQL_ITEM_ALIAS;
        complete = false;
        equalsForm = true;
        aliasLength = 0;
        index = 0;
        continue;
      }
      const char c = tok_.getPtr()[0];
      const uint32_t before = asAt;
      asAt = 0xFFFFFFFFu;
      bool phrase = false;
      if (depth == 0 && readPhrase(&phrase)) return 1;
      if (phrase) {
        // A whole multi-word phrase of the profile changes nothing in the item.
        if (next()) return 1;
        continue;
      }
      if (isOp(tok_, '?')) {
        // A marker is a complete operand of its own.
        kind |= SQL_ITEM_EXPRESSION;
        complete = true;
        if (marker()) return 1;
        continue;
      }
      if (isOp(tok_, '(')) {
        ++depth;
      } else if (isOp(tok_, ')')) {
        if (depth > 0 && --depth == 0) {
          kind |= SQL_ITEM_EXPRESSION;
          complete = true;
        }
      } else if (depth > 0) {
      } else if (c == '[' && tok_.getType() == TOK_QUOTED) {
        kind |= SQL_ITEM_EXPRESSION;
        complete = true;
      } else if (c == '{') {
      } else if (isOp(tok_, '.')) {
        kind |= SQL_ITEM_QUALIFIED;
        complete = false;
        if (next()) return 1;
        goto star;
      } else if (isOp(tok_, '*') && index == 1) {
        kind |= SQL_ITEM_STAR;
      } else if ((tok_.getType() == TOK_QUOTED || tok_.getType() == TOK_UNCLOSED) && !isWord(tok_)) {
        if (complete) {
          aliasAt = cutAt = tok_.getPosition();
          aliasLength = tok_.getLength();
        } else {
          kind |= SQL_ITEM_EXPRESSION;
        }
        complete = true;
      } else if ((c >= '0' && c <= '9') || isPrefixed(tok_) || (c == '.' && tok_.getLength() > 1)) {
        // A number or literal ends an operand as a name does: a word after it is an alias.
        complete = true;
      } else if (equalCi(tok_, "NULL")) {
        kind |= SQL_ITEM_EXPRESSION;
      } else if (isReserved(tok_, CLAUSE_COLUMN)) {
        if (equalCi(tok_, "AS")) asAt = tok_.getPosition();
      } else if (isWord(tok_)) {
        if (complete) {
          aliasAt = tok_.getPosition();
          aliasLength = tok_.getLength();
          // "AS" right before the alias leaves the text with it: the driver must not
          // see an AS without its name.
          cutAt = before != 0xFFFFFFFFu ? before : aliasAt;
        }
        complete = true;
      } else {
        kind |= SQL_ITEM_EXPRESSION;
        aliasLength = 0;
        complete = false;
      }
      if (next()) return 1;
      continue;
    star:
      // The token after ".": a star makes t.*; anything else is read as usual.
      if (isOp(tok_, '*')) {
        kind |= SQL_ITEM_STAR;
        ++index;
        if (next()) return 1;
      }
    }
    uint32_t itemEnd = end() ? text_.getLength() : tok_.getPosition();
    if (aliasLength && !equalsForm) {
      if (addAlias(text_.getPtr() + aliasAt, aliasLength)) return 1;
      kind |= SQL_ITEM_ALIAS;
      itemEnd = cutAt;
      const uint32_t cutLength = aliasAt + aliasLength - cutAt;
      if (end()) {
        JxToken cut;
        scanner_.getToken(cut, cutAt, cutLength);
        if (sqlRemoveToken(&scanner_, &cut) || next()) return 1;
      } else if (cutBeforeCurrent(cutAt, cutLength)) {
        return 1;
      }
    }
    if (addItem(start, itemEnd, kind)) return 1;
    if (!isOp(tok_, ',')) return 0;
    if (next()) return 1;
  }
}

// A multi-word phrase of the profile (its pseudo columns written with blanks, such as
// "CURRENT DATE") starting at the current token: matched, the current token is its last
// word; not matched, the words read ahead are given back.
JxStatus Parser::readPhrase(bool* matched) {
  *matched = false;
  if (!con_ || !con_->pseudoColumns || tok_.getType() == TOK_QUOTED || !isWord(tok_)) return 0;
  const uint32_t start = tok_.getPosition();
  for (const char* item = con_->pseudoColumns; *item; item += strlen(item) + 1) {
    const char* w = strchr(item, ' ');
    if (!w || !equalCiN(tok_, item, static_cast<size_t>(w - item))) continue;
    bool all = true;
    for (;;) {
      while (*w == ' ') ++w;
      if (!*w) break;
      const char* e = w;
      while (*e && *e != ' ') ++e;
      if (next()) return 1;
      if (end() || tok_.getType() == TOK_QUOTED || !equalCiN(tok_, w, static_cast<size_t>(e - w))) {
        all = false;
        break;
      }
      w = e;
    }
    if (all) {
      *matched = true;
      return 0;
    }
    scanner_.setPosition(start);
    if (next()) return 1;
  }
  return 0;
}

// A parenthesised group in FROM (a table's hints, a query, a nested join) comes in
// whole; its markers are counted.
JxStatus Parser::fromGroup() {
  const uint32_t at = tok_.getPosition();
  int depth = 0;
  do {
    if (isOp(tok_, '?')) {
      if (marker()) return 1;
      continue;
    }
    if (isOp(tok_, '(')) ++depth;
    if (isOp(tok_, ')')) --depth;
    if (next()) return 1;
  } while (depth > 0 && !end());
  if (depth > 0) return fail(SQLMSG_UNEXPECTED_TEXT, text_.getPtr() + at, text_.getLength() - at);
  const uint32_t stop = end() ? text_.getLength() : tok_.getPosition();
  uint32_t n = stop - at;
  while (n && isBlank(text_.getPtr()[at + n - 1])) --n;
  return sqlAppendText(&from_, &fromUsed_, &fromCap_, text_.getPtr() + at, n, 0);
}

// "ON condition" or "USING (columns)" after a joined table: the keyword and the text up
// to the next join, comma or clause keyword.
JxStatus Parser::joinCondition() {
  static const char* const kEnds[] = {"WHERE", "GROUP",   "HAVING",  "ORDER",
                                      "FOR",   "COMPUTE", "OPTIONS", nullptr};
  if (sqlAppendText(&from_, &fromUsed_, &fromCap_, tok_.getPtr(), tok_.getLength(), 0) || next()) return 1;
  const uint32_t at = tok_.getPosition();
  uint32_t stop = at;
  int depth = 0;
  while (!end()) {
    if (isOp(tok_, '?')) {
      if (marker()) return 1;
      stop = markerEnd_;
      continue;
    }
    if (depth == 0) {
      if (isOp(tok_, ',') || isOp(tok_, ')')) break;
      if (tok_.getType() != TOK_QUOTED &&
          (isOneOf(tok_, kEnds) || (isOneOf(tok_, kSetOps) && isReserved(tok_, CLAUSE_COLUMN))))
        break;
      if (sqlIsJoinWord(con_, tok_)) {
        const uint32_t word = tok_.getPosition();
        bool join;
        uint32_t runEnd;
        if (sqlReadJoin(&scanner_, &tok_, con_, search_, &join, &runEnd)) return 1;
        if (join) {
          // The join is the caller's: read its first word again.
          scanner_.setPosition(word);
          if (next()) return 1;
          break;
        }
      }
    }
    if (isOp(tok_, '(')) ++depth;
    if (isOp(tok_, ')')) --depth;
    stop = tok_.getPosition() + tok_.getLength();
    if (next()) return 1;
  }
  if (stop == at) return fail(SQLMSG_EMPTY_CLAUSE, nullptr, 0);
  return sqlAppendText(&from_, &fromUsed_, &fromCap_, text_.getPtr() + at, stop - at, 0);
}

JxStatus Parser::fromClause() {
  static const char* const kClauseWords[] = {"WHERE", "GROUP",   "HAVING",  "ORDER",
                                             "FOR",   "COMPUTE", "OPTIONS", nullptr};
  bool any = false, comma = false, joined = false;
  // The separating comma goes in before the next table that is not an escape.
  auto separate = [&]() -> JxStatus {
    const bool put = comma && from_;
    comma = false;
    return put ? sqlAppendText(&from_, &fromUsed_, &fromCap_, ",", 1, 1) : 0;
  };
  auto table = [&]() -> JxStatus {
    return separate() || sqlAppendText(&from_, &fromUsed_, &fromCap_, tok_.getPtr(), tok_.getLength(), 0) ||
           next();
  };
  for (;;) {
    // A table that follows a written-out join ("t LEFT JOIN u ON ...").
    const bool joinedTable = joined;
    joined = false;
    if (!joinedTable && con_ && (con_->outerJoinSyntax & CMG_OJ_OUTER) && equalCi(tok_, "OUTER")) {
      if (table()) return 1;
    }
    if (end() || isOneOf(tok_, kClauseWords) || isOp(tok_, ',')) break;
    if (!joinedTable && tok_.getPtr()[0] == '{') {
      short found;
      char *tables, *cond;
      if (sqlOuterJoinConvert(tok_.getPtr(), tok_.getLength(), &found, &tables, &cond)) return 1;
      if (found) {
        JxStatus st =
            sqlAppendText(&ojTables_, &ojTablesUsed_, &ojTablesCap_, ", ", ojTablesUsed_ ? 2 : 0, 1) ||
            sqlAppendText(&ojTables_, &ojTablesUsed_, &ojTablesCap_, tables,
                          static_cast<uint32_t>(strlen(tables)), 1);
        ramFree(tables);
        // The conditions as "(c1) AND (c2) ...".
        if (!st)
          st = (ojCond_ && sqlAppendText(&ojCond_, &ojCondUsed_, &ojCondCap_, " AND ", 5, 1)) ||
               sqlAppendText(&ojCond_, &ojCondUsed_, &ojCondCap_, "(", 1, 1) ||
               sqlAppendText(&ojCond_, &ojCondUsed_, &ojCondCap_, cond, static_cast<uint32_t>(strlen(cond)),
                             1) ||
               sqlAppendText(&ojCond_, &ojCondUsed_, &ojCondCap_, ")", 1, 1);
        ramFree(cond);
        if (st) return 1;
        any = true;
        comma = false;
        if (next()) return 1;
        goto alias;
      }
    }
    if (isOp(tok_, '(')) {
      // A table in parentheses: a query or a nested join.
      if (separate() || fromGroup()) return 1;
    } else {
      if (table()) return 1;
      // owner.table, table@link: the parts go in without blanks.
      while ((isOp(tok_, '.') || isOp(tok_, '@')) && !end()) {
        if (sqlAppendText(&from_, &fromUsed_, &fromCap_, tok_.getPtr(), tok_.getLength(), 1) || next())
          return 1;
        if (end()) break;
        if (sqlAppendText(&from_, &fromUsed_, &fromCap_, tok_.getPtr(), tok_.getLength(), 1) || next())
          return 1;
      }
      // The parenthesised group after the name comes in whole, as one token.
      if (isOp(tok_, '(') && fromGroup()) return 1;
    }
    any = true;
  alias:
    if (!end() && isWord(tok_) && !isOneOf(tok_, kClauseWords) && !isReserved(tok_, CLAUSE_FROM) &&
        !isReserved(tok_, CLAUSE_COLUMN) && !sqlIsJoinWord(con_, tok_) &&
        !(tok_.getType() != TOK_QUOTED && (equalCi(tok_, "ON") || equalCi(tok_, "USING")))) {
      if (sqlAppendText(&from_, &fromUsed_, &fromCap_, tok_.getPtr(), tok_.getLength(), 0) || next())
        return 1;
    }
    if (joinedTable && tok_.getType() != TOK_QUOTED && (equalCi(tok_, "ON") || equalCi(tok_, "USING")) &&
        joinCondition())
      return 1;
    // A join written out: its words go in as they stand, and the next table follows.
    if (!end()) {
      const uint32_t runAt = tok_.getPosition();
      bool join;
      uint32_t runEnd;
      if (sqlReadJoin(&scanner_, &tok_, con_, search_, &join, &runEnd)) return 1;
      if (join) {
        if (sqlAppendText(&from_, &fromUsed_, &fromCap_, text_.getPtr() + runAt, runEnd - runAt, 0)) return 1;
        joined = true;
        any = false;
        continue;
      }
    }
    if (!isOp(tok_, ',')) break;
    if (next()) return 1;
    comma = true;
    any = false;
  }
  if (!any) return fail(SQLMSG_EMPTY_CLAUSE, nullptr, 0);
  // The tables of outer-join escapes follow the others.
  if (ojTables_) {
    if (from_ && (sqlAppendText(&from_, &fromUsed_, &fromCap_, ",", 1, 1) ||
                  sqlAppendText(&from_, &fromUsed_, &fromCap_, ojTables_, ojTablesUsed_, 0)))
      return 1;
    if (!from_) {
      from_ = ojTables_;
      ojTables_ = nullptr;
    }
  }
  parsed_->from = from_;
  from_ = nullptr;
  return 0;
}

JxStatus Parser::closeClause(uint32_t end) {
  if (open_ == CL_NONE) return 0;
  uint32_t start = openAt_;
  while (start < end && isBlank(text_.getPtr()[start])) ++start;
  while (end > start && isBlank(text_.getPtr()[end - 1])) --end;
  if (end == start && open_ != CL_FOR) return fail(SQLMSG_EMPTY_CLAUSE, nullptr, 0);
  char* copy = ramAllocStr(text_.getPtr() + start, end - start);
  if (!copy) return 1;
  *clauseField(parsed_, open_) = copy;
  open_ = CL_NONE;
  return 0;
}

JxStatus Parser::startClause(int clause, uint32_t keywordAt, uint32_t contentAt) {
  if (closeClause(keywordAt)) return 1;
  if (*clauseField(parsed_, clause))
    return fail(SQLMSG_UNEXPECTED_TEXT, text_.getPtr() + keywordAt, contentAt - keywordAt);
  open_ = clause;
  openAt_ = contentAt;
  return 0;
}

JxStatus Parser::marker() {
  // "?name": the name follows the mark without a blank.
  const uint32_t at = tok_.getPosition();
  uint32_t nameLength = 0;
  if (next()) return 1;
  if (!end() && tok_.getPosition() == at + 1 && isWord(tok_) && tok_.getType() != TOK_QUOTED) {
    nameLength = tok_.getLength();
    if (next()) return 1;
  }
  if (parsed_->paramCount % 10 == 0) {
    SqlParamEntry* grown =
        static_cast<SqlParamEntry*>(ramAllocZ((parsed_->paramCount + 10u) * sizeof(SqlParamEntry)));
    if (!grown) return 1;
    if (parsed_->params) memcpy(grown, parsed_->params, parsed_->paramCount * sizeof(SqlParamEntry));
    ramFree(parsed_->params);
    parsed_->params = grown;
  }
  markerEnd_ = at + 1 + nameLength;
  SqlParamEntry& entry = parsed_->params[parsed_->paramCount];
  if (nameLength) {
    entry.name = ramAllocStr(text_.getPtr() + at + 1, nameLength);
    if (!entry.name) return 1;
    names_.push_back({at + 1, nameLength});
  }
  ++parsed_->paramCount;
  return 0;
}

JxStatus Parser::orderAlias() {
  if (!parsed_->aliases || !isWord(tok_)) return 0;
  const bool exact =
      con_ && (con_->identifierCase == SQL_IC_SENSITIVE || con_->identifierCase == SQL_IC_MIXED);
  uint16_t aliasNo = 0;
  const char* a = parsed_->aliases;
  for (uint16_t i = 0; i < parsed_->itemCount; ++i) {
    if (!(parsed_->items[i].kind & SQL_ITEM_ALIAS)) continue;
    if (!*a) break;
    const uint32_t n = static_cast<uint32_t>(strlen(a));
    bool same = n == tok_.getLength();
    for (uint32_t k = 0; same && k < n; ++k) {
      char x = a[k], y = tok_.getPtr()[k];
      if (!exact) {
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
      }
      same = x == y;
    }
    if (same) {
      aliasNo = static_cast<uint16_t>(i + 1);
      break;
    }
    a += n + 1;
  }
  if (!aliasNo) return 0;
  char number[12];
  const int n = utlDecimal(number, static_cast<unsigned long>(aliasNo));
  return scanner_.changeToken(&tok_, JxSubString(number, static_cast<uint32_t>(n)));
}

JxStatus Parser::clauseScan() {
  int depth = 0;
  bool afterDot = false;
  while (!end()) {
    const char c = tok_.getPtr()[0];
    const uint32_t at = tok_.getPosition();
    if (isOp(tok_, '?')) {
      if (marker()) return 1;
      afterDot = false;
      continue;
    }
    bool keyword = false;
    if (depth == 0 && c != '[' && c != '{' && tok_.getType() != TOK_QUOTED) {
      keyword = true;
      if (select_ && open_ != CL_SETOP && equalCi(tok_, "WHERE")) {
        if (startClause(CL_WHERE, at, at + tok_.getLength())) return 1;
      } else if (select_ && open_ != CL_SETOP && equalCi(tok_, "HAVING")) {
        if (startClause(CL_HAVING, at, at + tok_.getLength())) return 1;
      } else if (select_ && ((open_ != CL_SETOP && equalCi(tok_, "GROUP")) || equalCi(tok_, "ORDER"))) {
        const int clause = equalCi(tok_, "GROUP") ? CL_GROUP : CL_ORDER;
        if (next()) return 1;
        if (!equalCi(tok_, "BY")) return fail(SQLMSG_MISSING_KEYWORD, "BY", 2);
        if (startClause(clause, at, tok_.getPosition() + 2)) return 1;
      } else if (select_ && open_ != CL_SETOP && equalCi(tok_, "FOR")) {
        JxToken save = tok_;
        if (next()) return 1;
        if (!equalCi(tok_, "UPDATE")) {
          scanner_.unGetToken(tok_);
          tok_ = save;
          keyword = false;
        } else {
          uint32_t content = tok_.getPosition() + tok_.getLength();
          JxToken update = tok_;
          if (next()) return 1;
          if (equalCi(tok_, "OF"))
            content = tok_.getPosition() + 2;
          else
            scanner_.unGetToken(tok_), tok_ = update;
          if (startClause(CL_FOR, at, content)) return 1;
        }
      } else if ((equalCi(tok_, "COMPUTE") && open_ != CL_COMPUTE) || equalCi(tok_, "OPTIONS")) {
        if (cutAt_ == 0xFFFFFFFFu) cutAt_ = at;
        if (startClause(equalCi(tok_, "OPTIONS") ? CL_OPTIONS : CL_COMPUTE, at, at + tok_.getLength()))
          return 1;
      } else if (isOneOf(tok_, kSetOps) && isReserved(tok_, CLAUSE_COLUMN)) {
        if (startClause(CL_SETOP, at, at)) return 1;
      } else {
        keyword = false;
      }
    }
    if (!keyword) {
      if (isOp(tok_, '(')) ++depth;
      if (isOp(tok_, ')') && depth > 0) --depth;
      if (select_ && open_ == CL_NONE) return fail(SQLMSG_UNEXPECTED_TEXT, tok_.getPtr(), tok_.getLength());
      if (open_ == CL_ORDER && !afterDot && orderAlias()) return 1;
    }
    afterDot = isOp(tok_, '.');
    if (next()) return 1;
  }
  return 0;
}

JxStatus Parser::finish() {
  if (closeClause(text_.getLength())) return 1;
  if (!select_ && !(parsed_->from = ramAllocStr(original_))) return 1;
  // Named markers lose their names, last first; the items after one move down.
  for (size_t i = names_.size(); i-- > 0;) {
    const uint32_t at = names_[i].first, n = names_[i].second;
    if (at >= cutAt_) continue;
    if (text_.changeBytes(at, n, nullptr, 0)) return 1;
    if (cutAt_ != 0xFFFFFFFFu) cutAt_ -= n;
    for (uint16_t k = 0; k < parsed_->itemCount; ++k) {
      SqlParsedItem& item = parsed_->items[k];
      if (item.start > at)
        item.start = static_cast<uint16_t>(item.start - n);
      else if (at < static_cast<uint32_t>(item.start) + item.length)
        item.length = static_cast<uint16_t>(item.length - n);  // the marker lies inside the item
    }
  }
  if (cutAt_ != 0xFFFFFFFFu) text_.truncate(cutAt_);
  if (ojCond_) {
    if (parsed_->where) {
      char* joined = nullptr;
      uint32_t used = 0, cap = 0;
      if (sqlAppendText(&joined, &used, &cap, "(", 1, 1) ||
          sqlAppendText(&joined, &used, &cap, parsed_->where, static_cast<uint32_t>(strlen(parsed_->where)),
                        1) ||
          sqlAppendText(&joined, &used, &cap, ") AND (", 7, 1) ||
          sqlAppendText(&joined, &used, &cap, ojCond_, static_cast<uint32_t>(strlen(ojCond_)), 1) ||
          sqlAppendText(&joined, &used, &cap, ")", 1, 1)) {
        ramFree(joined);
        return 1;
      }
      ramFree(parsed_->where);
      parsed_->where = joined;
    } else {
      parsed_->where = ojCond_;
      ojCond_ = nullptr;
    }
  }
  return 0;
}

JxStatus Parser::run() {
  parsed_ = static_cast<parsed_sql*>(ramAllocZ(static_cast<uint32_t>(kHeadSize)));
  if (!parsed_) return 1;
  const uint32_t length = static_cast<uint32_t>(strlen(original_));
  if (length > JxString::MAX_CAPACITY - 1 - length / 8)
    return fail(SQLMSG_UNEXPECTED_TEXT, original_, 64 < length ? 64 : length);
  if (text_.initialize(length + length / 8 + 1) || text_.concat(original_, length)) return 1;
  if (con_) {
    const char* date = cmgLiteralPrefix(con_, SQL_DATE);
    const char* bit = cmgLiteralPrefix(con_, SQL_BIT);
    if (date && strlen(date) == 1)
      datePrefix_ = date[0];
    else
      dateWord_ = date;
    if (bit && strlen(bit) == 1)
      bitPrefix_ = bit[0];
    else
      bitWord_ = bit;
  }
  scanner_.setScanString(&text_);
  if (con_ && (con_->flagsB & CMG_B_REMOVE_COMMENTS)) scanner_.setRemoveComments(1);
  if (next()) return 1;
  if (end()) return fail(SQLMSG_NO_STATEMENT, nullptr, 0);
  select_ = equalCi(tok_, "SELECT");
  bool into = false;
  if (select_) {
    scanner_.setQuoteChars('\'', '"', con_ ? static_cast<char>(con_->quoteChar) : 0);
    // The connection's name characters and delimiters: the next token is read with them.
    if (names(false) || next()) return 1;
    if (equalCi(tok_, "ALL")) {
      if (next()) return 1;
    } else if (equalCi(tok_, "DISTINCT")) {
      parsed_->flags |= SQL_PARSE_DISTINCT;
      if (next()) return 1;
    }
    if (selectList(&into)) return 1;
    if (!into && equalCi(tok_, "FROM")) {
      // Table names have their own extra characters.
      if (names(true) || next() || fromClause() || names(false)) return 1;
    }
  }
  if (!select_ || into) {
    // Not a query: one star item, and only markers, COMPUTE, OPTIONS and set
    // operations are looked for.
    select_ = false;
    parsed_->flags |= SQL_PARSE_NOT_SELECT;
    parsed_->itemCount = 0;
    if (!into && next()) return 1;
    if (addItem(0, 0, SQL_ITEM_STAR, false)) return 1;
    ramFree(parsed_->aliases);
    parsed_->aliases = nullptr;
  }
  if (clauseScan() || finish()) return 1;
  return 0;
}

}  // namespace

JxStatus sqlParse(cmg_capabilities* con, parsed_sql** parsed, const char* text, char** rewritten, uint16_t) {
  if (parsed) *parsed = nullptr;
  if (rewritten) *rewritten = nullptr;
  cmgInfo* env = con ? con->owner : nullptr;
  if (env && sqlEnterHook(env)) return 1;
  JxStatus status = 1;
  if (!parsed || !rewritten) {
    JxError* e = sqlErrorById(SQLMSG_MISSING_ARGUMENT);
    if (e)
      e->getParamString() << "result"
                          << "sqlParse";
  } else if (!text) {
    sqlErrorById(SQLMSG_NO_STATEMENT);
  } else {
    Parser parser(con, text);
    if (!parser.run()) {
      char* out = ramAllocStr(parser.text().c_str());
      if (out) {
        *parsed = parser.takeParsed();
        *rewritten = out;
        status = 0;
      }
    }
  }
  if (env) sqlLeaveHook(env);
  return status;
}

void sqlParseFree(parsed_sql* p) {
  if (!p) return;
  for (char* t : {p->aliases, p->from, p->where, p->groupBy, p->having, p->setOperation, p->orderBy,
                  p->compute, p->options, p->forUpdate})
    ramFree(t);
  for (uint16_t i = 0; i < p->paramCount; ++i) ramFree(p->params[i].name);
  ramFree(p->params);
  ramFree(p);
}
