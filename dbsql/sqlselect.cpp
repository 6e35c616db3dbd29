// The select list of a query: which select item made each result column, under which
// alias and from which table; and the split of a WHERE text into the conditions that
// join tables and those that restrict one table.
#include "dbsql/cmgdriver.h"
#include "dbsql/sqlscanner.h"
#include "sqlquery_internal.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxsubstring.h"

#include <string.h>

#include <vector>

namespace {

const unsigned kWorkLimit = 512;  // entries of each work array of the split

bool isOp(const JxToken& t, char c) {
  return t.getLength() == 1 && t.getPtr()[0] == c && t.getType() != TOK_QUOTED;
}

bool isWordCi(const JxToken& t, const char* word) {
  uint32_t n = static_cast<uint32_t>(strlen(word));
  return t.getType() != TOK_QUOTED && t.getLength() == n && strCompareCi(t.getPtr(), n, word, n) == 0;
}

bool startsName(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 192 && c <= 222 && c != 215) ||
         (c >= 223 && c != 247) || c == '$' || c == '#' || c == '_';
}

const char* tableLabel(const SqlTableEntry& e) { return e.alias ? e.alias : e.name; }

// One name of a column text: up to three parts a.b.c, quotes taken off.
struct Name {
  JxSubString parts[3];
  unsigned count = 0;
};

class NameScanner {
 public:
  NameScanner(const cmg_capabilities* con, const char* text, uint32_t length)
      : scanner_(text, length), quote_(static_cast<char>(con->quoteChar)) {
    scanner_.setQuoteChars('\'', '"', quote_);
  }
  SqlScanner& scanner() { return scanner_; }
  JxStatus next(JxToken* t) { return sqlNextToken(&scanner_, t, SEARCH_IDENTIFIER); }

  // A name part from a token, or false when the token is none.
  bool part(const JxToken& t, JxSubString* out) const {
    if (t.getType() == TOK_QUOTED) {
      if (!quote_ || t.getPtr()[0] != quote_ || t.getLength() < 2) return false;
      out->set(t.getPtr() + 1, t.getLength() - 2);
      return true;
    }
    if (!t.getLength() || !startsName(static_cast<unsigned char>(t.getPtr()[0]))) return false;
    out->set(t.getPtr(), t.getLength());
    return true;
  }

  // Collects a.b.c after its first part (t); *function when "(" follows. t is left on
  // the token after the name.
  JxStatus collect(JxToken* t, Name* name, bool* function) {
    *function = false;
    name->count = 0;
    part(*t, &name->parts[name->count++]);
    for (;;) {
      if (next(t)) return 1;
      if (isOp(*t, '(') && name->count == 1) {
        *function = true;
        return 0;
      }
      if (!isOp(*t, '.')) return 0;
      JxToken after;
      if (next(&after)) return 1;
      JxSubString p;
      if (!part(after, &p) || name->count == 3) {
        *t = after;
        return 0;
      }
      name->parts[name->count++] = p;
    }
  }

 private:
  SqlScanner scanner_;
  char quote_;
};

bool columnListHas(const cmg_capabilities* con, const char* columns, const JxSubString& name) {
  for (const char* c = columns; c && *c; c += strlen(c) + 1)
    if (sqlNameEqual(con, c, static_cast<uint32_t>(strlen(c)), name.getPtr(), name.getLength())) return true;
  return false;
}

// Whether the name belongs to table i: a qualified name by the table's alias (else its
// name), an unqualified one by the table's column names.
bool nameInTable(const cmg_capabilities* con, const SqlTableList* list, uint16_t i, const Name& n) {
  const SqlTableEntry& e = list->entries[i];
  if (n.count == 1) return columnListHas(con, e.columns, n.parts[0]);
  const char* label = tableLabel(e);
  const JxSubString& q = n.parts[n.count - 2];
  if (sqlNameEqual(con, label, static_cast<uint32_t>(strlen(label)), q.getPtr(), q.getLength())) return true;
  if (n.count == 3) {
    // owner.table.column: the table's own name may carry the owner.
    uint32_t length =
        static_cast<uint32_t>(n.parts[1].getPtr() + n.parts[1].getLength() - n.parts[0].getPtr());
    return !e.alias &&
           sqlNameEqual(con, e.name, static_cast<uint32_t>(strlen(e.name)), n.parts[0].getPtr(), length);
  }
  return false;
}

uint16_t columnNameCount(const SqlTableEntry& e) {
  uint16_t n = 0;
  for (const char* c = e.columns; c && *c; c += strlen(c) + 1) ++n;
  return n;
}

const char* nthColumnName(const SqlTableEntry& e, uint16_t k) {
  for (const char* c = e.columns; c && *c; c += strlen(c) + 1)
    if (k-- == 0) return c;
  return nullptr;
}

char* joinText(const char* a, const char* b, char between) {
  uint32_t la = static_cast<uint32_t>(strlen(a)), lb = static_cast<uint32_t>(strlen(b));
  char* t = static_cast<char*>(ramAlloc(la + lb + 2));
  if (!t) return nullptr;
  memcpy(t, a, la);
  t[la] = between;
  memcpy(t + la + 1, b, lb + 1);
  return t;
}

}  // namespace

JxStatus sqlQualifyColumn(sql_qry* q, uint16_t j) {
  SqlTableList* list = q->tableList;
  if (!list || j >= q->columnCount) return 0;
  uint16_t k = j;
  for (uint16_t t = 0; t < list->count; ++t) {
    uint16_t n = columnNameCount(list->entries[t]);
    if (k < n) {
      sql_qry_fld* f = q->columns[j];
      char* text = joinText(tableLabel(list->entries[t]), f->selectText ? f->selectText : "", '.');
      if (!text) return 1;
      ramFree(f->selectText);
      f->selectText = text;
      return 0;
    }
    k = static_cast<uint16_t>(k - n);
  }
  return 0;
}

JxStatus sqlAssignTables(sql_qry* q) {
  if (!q) return sqlMissing("query", "sqlAssignTables");
  SqlTableList* list = sqlTableList(q);
  if (!list) return 1;
  const cmg_capabilities* con = q->connection;
  q->tableCount = list->count;
  for (uint16_t c = 0; c < q->columnCount; ++c) {
    sql_qry_fld* f = q->columns[c];
    f->tableNumber = 0;
    if (!f->selectText) continue;
    NameScanner s(con, f->selectText, static_cast<uint32_t>(strlen(f->selectText)));
    JxToken t;
    if (s.next(&t)) return 1;
    bool found = false;
    while (t.getType() != TOK_END && !found) {
      JxSubString first;
      if (!s.part(t, &first)) {
        if (s.next(&t)) return 1;
        continue;
      }
      Name n;
      bool function;
      if (s.collect(&t, &n, &function)) return 1;
      if (function) continue;
      for (uint16_t i = 0; i < list->count && !found; ++i)
        if (nameInTable(con, list, i, n)) {
          f->tableNumber = static_cast<uint16_t>(i + 1);
          found = true;
        }
    }
  }
  return 0;
}

JxStatus sqlBuildColumns(sql_qry* q, const char* text, const parsed_sql* parse) {
  if (!q) return sqlMissing("query", "sqlBuildColumns");
  const cmg_capabilities* con = q->connection;
  for (uint16_t c = 0; c < q->columnCount; ++c)
    if (!q->columns[c] && !(q->columns[c] = sqlNewColumn(q->columnCallerSize))) return 1;
  bool star = false;
  // The parse of another statement than a SELECT has no select list.
  if (parse && text && !(parse->flags & SQL_PARSE_NOT_SELECT)) {
    const char* alias = parse->aliases;
    const char quote = static_cast<char>(con->quoteChar);
    uint32_t c = 0;
    for (uint16_t i = 0; i < parse->itemCount; ++i) {
      const SqlParsedItem& item = parse->items[i];
      const char* itemText = text + item.start;
      uint32_t t = c + 1;
      const SqlTableEntry* table = nullptr;
      if (item.kind & SQL_ITEM_STAR) {
        star = true;
        SqlTableList* list = nullptr;
        if (!(item.kind & SQL_ITEM_QUALIFIED)) {
          if (i + 1 == parse->itemCount) {
            t = q->columnCount;
          } else {
            if (!(list = sqlTableList(q))) return 1;
            t = c;
            for (uint16_t k = 0; k < list->count; ++k) t += columnNameCount(list->entries[k]);
          }
        } else {
          if (!(list = sqlTableList(q))) return 1;
          // The qualifier: everything before the last ".".
          uint32_t qn = item.length;
          while (qn && itemText[qn - 1] != '.') --qn;
          if (qn) --qn;
          t = c;
          for (uint16_t k = 0; k < list->count && !table; ++k) {
            const char* label = tableLabel(list->entries[k]);
            if (strCompareCi(label, static_cast<uint32_t>(strlen(label)), itemText, qn) == 0)
              table = &list->entries[k];
          }
          if (table) t = c + columnNameCount(*table);
        }
      }
      if (t > q->columnCount) {
        sqlErrorById(4519);
        return 1;
      }
      const char* itemAlias = nullptr;
      if ((item.kind & SQL_ITEM_ALIAS) && alias) {
        itemAlias = alias;
        alias += strlen(alias) + 1;
      }
      for (uint16_t k = 0; c < t; ++c, ++k) {
        sql_qry_fld* f = q->columns[c];
        if (item.kind & SQL_ITEM_EXPRESSION) f->flags |= SQLC_EXPRESSION;
        if (itemAlias) {
          ramFree(f->alias);
          if (!(f->alias = ramAllocStr(itemAlias))) return 1;
          char first = itemAlias[0];
          if (con->identifierCase != SQL_IC_SENSITIVE && first != '\'' && first != '"' &&
              !(quote && first == quote))
            for (char* p = f->alias; *p; ++p)
              if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 32);
        }
        char* select = nullptr;
        if (!(item.kind & SQL_ITEM_STAR)) {
          select = ramAllocStr(itemText, item.length);
          if (!select) return 1;
        } else if (table) {
          const char* name = nthColumnName(*table, k);
          uint32_t qn = item.length;
          while (qn && itemText[qn - 1] != '.') --qn;
          JxString s;
          if (s.initialize(itemText, qn) || s.concat(name ? name : "")) return 1;
          if (!(select = ramAllocStr(s.c_str()))) return 1;
        }
        if (select) {
          ramFree(f->selectText);
          f->selectText = select;
        }
      }
    }
  }
  if (sqlDescribeColumns(q)) return 1;
  if (!star) return 0;
  SqlTableList* list = sqlTableList(q);
  if (!list) return 1;
  if (list->count < 2) return 0;
  for (uint16_t a = 0; a < list->count; ++a)
    for (uint16_t b = static_cast<uint16_t>(a + 1); b < list->count; ++b) {
      const char* la = tableLabel(list->entries[a]);
      const char* lb = tableLabel(list->entries[b]);
      if (sqlNameEqual(con, la, static_cast<uint32_t>(strlen(la)), lb, static_cast<uint32_t>(strlen(lb)))) {
        JxError* e = sqlErrorById(4508);
        if (e) *e << la;
        return 1;
      }
    }
  // Equal names are told apart by their tables.
  std::vector<bool> qualify(q->columnCount, false);
  for (uint16_t i = 0; i < q->columnCount; ++i)
    for (uint16_t j = static_cast<uint16_t>(i + 1); j < q->columnCount; ++j) {
      const char* a = q->columns[i]->selectText;
      const char* b = q->columns[j]->selectText;
      if (a && b &&
          sqlNameEqual(con, a, static_cast<uint32_t>(strlen(a)), b, static_cast<uint32_t>(strlen(b))))
        qualify[i] = qualify[j] = true;
    }
  for (uint16_t i = 0; i < q->columnCount; ++i)
    if (qualify[i] && sqlQualifyColumn(q, i)) return 1;
  return sqlAssignTables(q);
}

JxStatus sqlJoinExpressions(sql_qry* q, cmg_capabilities* con, char* condition, char* output, char** out,
                            SqlTableList* tables) {
  if (out) *out = nullptr;
  if (!con || !condition || !output) return sqlMissing(!con ? "connection" : "text", "sqlJoinExpressions");
  output[0] = 0;
  SqlTableList* list = tables;
  if (!list) {
    if (!q) return sqlMissing("query", "sqlJoinExpressions");
    if (!(list = sqlTableList(q))) return 1;
  }
  struct Condition {
    uint32_t start, end;
    uint8_t mark;
  };
  std::vector<Condition> conds;
  std::vector<bool> marked(list->count, false);
  const uint32_t length = static_cast<uint32_t>(strlen(condition));
  NameScanner s(con, condition, length);
  JxToken t;
  if (s.next(&t)) return 1;
  int depth = 0, between = 0;
  unsigned operators = 0;
  bool topOr = false;
  Condition cur{0, 0, 0};
  bool open = false;
  auto offset = [&](const JxToken& k) { return static_cast<uint32_t>(k.getPtr() - condition); };
  auto extend = [&](const JxToken& k) {
    if (!open) {
      cur = Condition{offset(k), 0, 0};
      marked.assign(list->count, false);
      open = true;
    }
    cur.end = offset(k) + k.getLength();
  };
  auto markTable = [&](uint16_t i) {
    if (marked[i]) return;
    marked[i] = true;
    uint8_t m = static_cast<uint8_t>(i + 1);
    cur.mark = cur.mark == 0 || cur.mark == m ? m : 254;
  };
  while (t.getType() != TOK_END) {
    if (operators >= kWorkLimit || conds.size() >= kWorkLimit) return 0;
    if (depth == 0 && isWordCi(t, "AND") && between == 0) {
      ++operators;
      if (open) conds.push_back(cur);
      open = false;
      if (s.next(&t)) return 1;
      continue;
    }
    extend(t);
    if (isWordCi(t, "AND") || isWordCi(t, "OR") || isWordCi(t, "BETWEEN")) {
      ++operators;
      if (isWordCi(t, "AND") && depth == 0) --between;
      if (isWordCi(t, "OR") && depth == 0) topOr = true;
      if (isWordCi(t, "BETWEEN") && depth == 0) ++between;
      if (s.next(&t)) return 1;
      continue;
    }
    if (isOp(t, '(')) {
      ++operators;
      JxToken after;
      if (s.next(&after)) return 1;
      if (isWordCi(after, "SELECT")) {
        // A subquery is part of the condition, its names are its own.
        int inner = 1;
        t = after;
        while (inner > 0 && t.getType() != TOK_END) {
          extend(t);
          if (s.next(&t)) return 1;
          if (isOp(t, '(')) ++inner;
          if (isOp(t, ')')) --inner;
        }
        if (t.getType() != TOK_END) {
          extend(t);
          if (s.next(&t)) return 1;
        }
        continue;
      }
      ++depth;
      t = after;
      continue;
    }
    if (isOp(t, ')')) {
      ++operators;
      if (depth > 0) --depth;
      if (s.next(&t)) return 1;
      continue;
    }
    JxSubString first;
    if (!s.part(t, &first)) {
      if (s.next(&t)) return 1;
      continue;
    }
    Name n;
    bool function;
    JxToken start = t;
    if (s.collect(&t, &n, &function)) return 1;
    // The name's last part is in the condition too.
    const JxSubString& last = n.parts[n.count - 1];
    cur.end = static_cast<uint32_t>(last.getPtr() + last.getLength() - condition);
    if (n.parts[n.count - 1].getPtr()[-1] == static_cast<char>(con->quoteChar) && con->quoteChar) ++cur.end;
    (void)start;
    if (function) {
      ++operators;
      continue;
    }
    for (uint16_t i = 0; i < list->count; ++i)
      if (nameInTable(con, list, i, n)) markTable(i);
  }
  if (open) conds.push_back(cur);
  if (topOr && conds.size() > 1) {
    // An OR at the top joins everything into one condition.
    Condition whole{conds.front().start, conds.back().end, 0};
    for (const Condition& c : conds)
      whole.mark = whole.mark == 0 ? c.mark : c.mark == 0 || c.mark == whole.mark ? whole.mark : 254;
    conds.assign(1, whole);
  }
  // The join conditions go to the output; their bytes (with the AND that joined each)
  // are overwritten with 255 in the text.
  uint32_t used = 0;
  bool keptBefore = false;
  for (size_t i = 0; i < conds.size(); ++i) {
    const Condition& c = conds[i];
    if (c.mark != 254) {
      keptBefore = true;
      continue;
    }
    if (used) {
      memcpy(output + used, " AND\n", 5);
      used += 5;
    }
    memcpy(output + used, condition + c.start, c.end - c.start);
    used += c.end - c.start;
    uint32_t from = c.start, to = c.end;
    if (keptBefore)
      from = conds[i - 1].end;
    else if (i + 1 < conds.size())
      to = conds[i + 1].start;
    memset(condition + from, 0xFF, to - from);
  }
  output[used] = 0;
  // Compaction: 255 bytes dropped, one blank where words would meet, "()" left behind
  // removed, blanks at the ends trimmed.
  auto isBlankOrParen = [](char ch) {
    return ch == ' ' || (ch >= '\t' && ch <= '\r') || ch == '(' || ch == ')';
  };
  uint32_t w = 0;
  const bool dropped = used != 0;
  for (uint32_t r = 0; r < length;) {
    if (static_cast<unsigned char>(condition[r]) != 0xFF) {
      condition[w++] = condition[r++];
      continue;
    }
    while (r < length && static_cast<unsigned char>(condition[r]) == 0xFF) ++r;
    if (w && r < length && !isBlankOrParen(condition[w - 1]) && !isBlankOrParen(condition[r]))
      condition[w++] = ' ';
  }
  condition[w] = 0;
  for (char* p = dropped ? strstr(condition, "()") : nullptr; p; p = strstr(condition, "()"))
    memmove(p, p + 2, strlen(p + 2) + 1);
  uint32_t n = static_cast<uint32_t>(strlen(condition));
  while (n && (condition[n - 1] == ' ' || condition[n - 1] == '\n')) condition[--n] = 0;
  uint32_t lead = 0;
  while (condition[lead] == ' ' || condition[lead] == '\n') ++lead;
  if (lead) memmove(condition, condition + lead, n - lead + 1);
  return 0;
}
