// Set-text, get-text and the text length.
#include "edtext.h"

#include <string.h>

#include "edlines.h"
#include "edrecord.h"

namespace ked {

namespace {

LineRecord* make_text_line(EditorRecord* rec, const char* from, int32_t length) {
  LineRecord* line = make_line(line_capacity(length), rec);
  if (!line) return nullptr;
  memcpy(line->text, from, length);
  line->length = length;
  if (memchr(from, '\t', length)) line->flags |= LF_HAS_TABS;
  return line;
}

}  // namespace

int set_text(EditorRecord* rec, const char* text) {
  if (text) {
    // The new lines are built aside first: a failed line leaves the old text in place.
    LineRecord* first = nullptr;
    LineRecord* last = nullptr;
    int32_t count = 0;
    for (const char* p = text;;) {
      const char* start = p;
      while (*p && *p != '\r' && *p != '\n') ++p;
      LineRecord* line = make_text_line(rec, start, static_cast<int32_t>(p - start));
      if (!line) {
        free_chain(rec, first);
        return 0;
      }
      line->previous = last;
      if (last)
        last->next = line;
      else
        first = line;
      last = line;
      ++count;
      if (!*p) break;
      p += (p[0] == '\r' && p[1] == '\n') ? 2 : 1;
    }
    free_list(rec, rec->firstLine);
    reset_text(rec);
    rec->firstLine = rec->currentLine = first;
    rec->lastLine = last;
    rec->lineCount = count;
    rec->lineNumber = 1;
    rec->caretColumn = 0;
    if (rec->view) {
      rec->view->firstLine = first;
      rec->view->firstNumber = 1;
    }
    ++rec->changes;
    ++rec->positionChanges;
  }
  if (rec->wnd) InvalidateRect(rec->wnd, nullptr, TRUE);
  return 1;
}

LRESULT get_text(EditorRecord* rec, char* buffer, size_t size) {
  if (!buffer || size == 0) return 0;
  size_t room = size - 1, copied = 0;
  for (LineRecord* line = rec->firstLine; line && copied < room; line = line->next) {
    size_t n = static_cast<size_t>(line->length);
    if (n > room - copied) n = room - copied;
    memcpy(buffer + copied, line->text, n);
    copied += n;
    for (const char* brk = "\r\n"; *brk && copied < room; ++brk) buffer[copied++] = *brk;
  }
  buffer[copied] = '\0';
  return static_cast<LRESULT>(copied + 1);
}

LRESULT text_length(EditorRecord* rec) {
  if (!rec->firstLine) return 0;
  if (rec->lineCount == 1) return rec->firstLine->length;
  LRESULT total = 0;
  for (LineRecord* line = rec->firstLine; line; line = line->next) total += line->length + 2;
  return total;
}

}  // namespace ked
