// The walk over the tables of a FROM clause.
#include "dbsql/sqlfrom.h"

#include "dbsql/cmgdriver.h"
#include "dbsql/sqlmessages.h"
#include "dbutil/jxmemory.h"

#include <string.h>

namespace {

bool isOp(const JxToken& t, char c) {
  return t.getLength() == 1 && t.getPtr()[0] == c && t.getType() != TOK_QUOTED;
}

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

}  // namespace

SqlFrom::~SqlFrom() = default;

JxStatus SqlFrom::initialize(cmg_capabilities* con, char** fromText, SqlFromType type) {
  con_ = con;
  fromText_ = fromText;
  type_ = type;
  count_ = 0;
  nameAt_ = nameLength_ = 0;
  const char* text = fromText && *fromText ? *fromText : "";
  setQuoteChars('\'', '"', con ? static_cast<char>(con->quoteChar) : 0);
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

JxStatus SqlFrom::nextTable(JxString* name, JxString* alias) {
  if (name->initialize("") || (alias && alias->initialize(""))) return 1;
  JxToken tok;
  if (sqlNextToken(this, &tok, SEARCH_IDENTIFIER)) return 1;
  if (isOp(tok, ',') && sqlNextToken(this, &tok, SEARCH_IDENTIFIER)) return 1;  // the previous table's
  if (con_ && (con_->outerJoinSyntax & CMG_OJ_OUTER) && equalCi(tok, "OUTER")) {
    if (sqlNextToken(this, &tok, SEARCH_IDENTIFIER)) return 1;
    if (isOp(tok, '(') && sqlNextToken(this, &tok, SEARCH_IDENTIFIER)) return 1;
  }
  if (tok.getType() == TOK_END) return 0;
  // owner.table, qualifier.owner.table, table@link.
  const uint32_t at = tok.getPosition();
  uint32_t end = at + tok.getLength();
  for (;;) {
    if (sqlNextToken(this, &tok, SEARCH_IDENTIFIER)) return 1;
    if (!(isOp(tok, '.') || isOp(tok, '@'))) break;
    if (sqlNextToken(this, &tok, SEARCH_IDENTIFIER)) return 1;
    if (tok.getType() == TOK_END) break;
    end = tok.getPosition() + tok.getLength();
  }
  if (name->concat(getText() + at, end - at)) return 1;
  if (tooLong(end - at)) return 1;
  nameAt_ = at;
  nameLength_ = end - at;
  if (isOp(tok, '(')) {
    int depth = 1;
    while (depth > 0) {
      if (sqlNextToken(this, &tok, SEARCH_IDENTIFIER)) return 1;
      if (tok.getType() == TOK_END) break;
      if (isOp(tok, '(')) ++depth;
      if (isOp(tok, ')')) --depth;
    }
    if (sqlNextToken(this, &tok, SEARCH_IDENTIFIER)) return 1;
  }
  // Up to the next comma: the first word that is neither ")" nor reserved is the alias.
  bool found = false;
  while (tok.getType() != TOK_END && !isOp(tok, ',')) {
    if (!found && !isOp(tok, ')') && !(con_ && cmgIsReservedToken(con_, &tok, CLAUSE_COLUMN))) {
      found = true;
      if (tooLong(tok.getLength())) return 1;
      if (alias && alias->concat(tok.getPtr(), tok.getLength())) return 1;
    }
    if (sqlNextToken(this, &tok, SEARCH_IDENTIFIER)) return 1;
  }
  if (tok.getType() != TOK_END)
    unGetToken(tok);  // the comma stays for addTableAlias
  else
    setPosition(getLength());
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
