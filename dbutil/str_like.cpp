// SQL LIKE matching with one backtrack point: at a run of "many" the rest of the
// pattern is anchored at the current text position; on a later mismatch the anchor
// moves one character on and the pattern resumes after the run. That is enough for
// patterns of "many" and "one": a later run only ever needs the latest anchor.
#include "dbutil/jxstrfunc.h"

#include <string.h>

short strLike(const char* text, uint32_t tn, const char* pattern, uint32_t pn, char many, char one,
              char escape, int caseSensitive) {
  while (tn && text[tn - 1] == ' ') --tn;
  while (pn && pattern[pn - 1] == ' ') --pn;
  auto same = [&](char a, char b) {
    if (caseSensitive) return a == b;
    return strUpperByte(static_cast<unsigned char>(a)) == strUpperByte(static_cast<unsigned char>(b));
  };
  uint32_t t = 0, p = 0;
  bool anchored = false;
  uint32_t resumeP = 0, anchorT = 0;
  for (;;) {
    if (p < pn && many && pattern[p] == many) {
      while (p < pn && pattern[p] == many) ++p;
      if (p == pn) return 1;  // a final run matches the rest at once
      anchored = true;
      resumeP = p;
      anchorT = t;
      continue;
    }
    if (t == tn) {
      // Only "many" may be left in the pattern; that case returned above.
      if (p == pn) return 1;
    } else if (p < pn) {
      bool ok;
      uint32_t step = 1;
      if (escape && pattern[p] == escape) {
        ok = p + 1 < pn && same(text[t], pattern[p + 1]);  // an escape at the end matches nothing
        step = 2;
      } else if (one && pattern[p] == one) {
        ok = true;
      } else {
        ok = same(text[t], pattern[p]);
      }
      if (ok) {
        ++t;
        p += step;
        continue;
      }
    }
    // Mismatch (or pattern used up before the text): move the anchor on.
    if (!anchored || anchorT >= tn) return 0;
    t = ++anchorT;
    p = resumeP;
  }
}

short strLike(const char* text, const char* pattern, char many, char one, char escape, int caseSensitive) {
  return strLike(text, static_cast<uint32_t>(strlen(text)), pattern, static_cast<uint32_t>(strlen(pattern)),
                 many, one, escape, caseSensitive);
}
