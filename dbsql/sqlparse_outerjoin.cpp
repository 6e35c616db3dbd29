// The splitter of the ODBC outer-join escape: "{oj T1 [a] LEFT OUTER JOIN T2 [b] ON c}"
// becomes the table list "T1 [a], T2 [b]" and the condition "c".
#include "dbsql/sqlparse.h"

#include "dbutil/jxmemory.h"

#include <string.h>

namespace {

struct Cursor {
  const char* text;
  uint32_t length;
  uint32_t at;

  bool blank() const { return at < length && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')); }
  void skipBlanks() {
    while (blank()) ++at;
  }
  // The keyword, in any case, followed by a blank; the cursor moves past both.
  bool keyword(const char* word) {
    const uint32_t n = static_cast<uint32_t>(strlen(word));
    if (length - at <= n) return false;
    for (uint32_t i = 0; i < n; ++i) {
      char c = text[at + i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      if (c != word[i]) return false;
    }
    const uint32_t save = at;
    at += n;
    if (!blank()) {
      at = save;
      return false;
    }
    skipBlanks();
    return true;
  }
  // A word up to the next blank; false when there is none.
  bool word(uint32_t* end) {
    const uint32_t start = at;
    while (at < length && !blank()) ++at;
    *end = at;
    skipBlanks();
    return at > start || *end > start;
  }
};

// A table with at most one alias word, ended by the keyword: its text is [start, end).
bool tableBefore(Cursor& c, const char* keyword, uint32_t* start, uint32_t* end) {
  *start = c.at;
  if (!c.word(end) || *end == *start) return false;
  if (c.keyword(keyword)) return true;
  if (!c.word(end)) return false;
  return c.keyword(keyword);
}

}  // namespace

JxStatus sqlOuterJoinConvert(const char* item, uint32_t length, short* found, char** tables,
                             char** condition) {
  *found = 0;
  *tables = *condition = nullptr;
  Cursor c{item, item ? length : 0, 0};
  if (c.length < 2 || item[0] != '{' || item[c.length - 1] != '}') return 0;
  c.length -= 1;  // the closing brace is not part of the condition
  c.at = 1;
  c.skipBlanks();
  uint32_t s1, e1, s2, e2;
  if (!c.keyword("OJ") || !tableBefore(c, "LEFT", &s1, &e1) || !c.keyword("OUTER") || !c.keyword("JOIN") ||
      !tableBefore(c, "ON", &s2, &e2))
    return 0;
  uint32_t end = c.length;
  while (end > c.at && (item[end - 1] == ' ' || (item[end - 1] >= '\t' && item[end - 1] <= '\r'))) --end;
  if (end == c.at) return 0;
  const uint32_t n1 = e1 - s1, n2 = e2 - s2;
  char* list = static_cast<char*>(ramAlloc(n1 + n2 + 3));
  char* cond = list ? ramAllocStr(item + c.at, end - c.at) : nullptr;
  if (!list || !cond) {
    ramFree(list);
    return 1;
  }
  memcpy(list, item + s1, n1);
  memcpy(list + n1, ", ", 2);
  memcpy(list + n1 + 2, item + s2, n2);
  list[n1 + n2 + 2] = 0;
  *tables = list;
  *condition = cond;
  *found = 1;
  return 0;
}
