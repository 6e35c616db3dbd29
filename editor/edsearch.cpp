// Search and replace by request.
#include "edsearch.h"

#include <ctype.h>
#include <string.h>

#include "edcaret.h"
#include "edinsert.h"
#include "edmessage.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edregex.h"
#include "edundo.h"
#include "edview.h"

namespace ked {

namespace {

// Process-wide: the last request and its direction, and the two contexts.
SearchRequest s_last;
bool s_haveLast;
bool s_lastForward = true;
bool s_haveLastReplace;
SearchRequest s_lastReplace;
bool s_lastReplaceForward = true;
SearchContext s_search;
SearchContext s_replace;

// Copies at most kRequestText - 1 characters of a field that may lack its terminator.
void copy_field(char* to, size_t size, const char* from, size_t available) {
  size_t n = 0;
  while (n < available && n + 1 < size && from[n]) ++n;
  memcpy(to, from, n);
  to[n] = '\0';
}

bool set_up(SearchContext* context, const SearchRequest& request, bool forward) {
  memset(context, 0, sizeof *context);
  copy_field(context->pattern, sizeof context->pattern, request.pattern, kRequestText - 1);
  context->caseSensitive = !(request.flags & SF_IGNORE_CASE);
  context->expression = !(request.flags & SF_PLAIN);
  context->selectMatch = (request.flags & SF_SELECT) != 0;
  context->wholeWord = (request.flags & SF_WHOLE_WORD) != 0;
  context->silent = (request.flags & SF_SILENT) != 0;
  context->direction = forward ? 1 : 0;
  return regex_compile(context) == 1 && context->pattern[0];
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

bool same(const char* a, const char* b, size_t n, bool caseSensitive) {
  for (size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (!caseSensitive) {
      x = static_cast<char>(toupper(static_cast<unsigned char>(x)));
      y = static_cast<char>(toupper(static_cast<unsigned char>(y)));
    }
    if (x != y) return false;
  }
  return true;
}

// Plain text in one line: forward the first occurrence at or after `start`, backward the
// last that begins at or before it.
int32_t plain_in_line(const SearchContext* context, const LineRecord* line, int32_t start, bool forward) {
  int32_t n = static_cast<int32_t>(strlen(context->pattern));
  int32_t last = line->length - n;
  if (last < 0) return -1;
  auto word_ok = [&](int32_t at) {
    if (!context->wholeWord) return true;
    bool before = at == 0 || is_blank(line->text[at - 1]);
    bool after = at + n >= line->length || is_blank(line->text[at + n]);
    return before && after;
  };
  if (forward) {
    for (int32_t at = start < 0 ? 0 : start; at <= last; ++at)
      if (same(line->text + at, context->pattern, static_cast<size_t>(n), context->caseSensitive) &&
          word_ok(at))
        return at;
  } else {
    for (int32_t at = start < last ? start : last; at >= 0; --at)
      if (same(line->text + at, context->pattern, static_cast<size_t>(n), context->caseSensitive) &&
          word_ok(at))
        return at;
  }
  return -1;
}

struct Match {
  LineRecord* line;
  int32_t number;
  int32_t begin;
  LineRecord* endLine;
  int32_t end;
};

bool match_in_line(SearchContext* context, LineRecord* line, int32_t start, bool forward, Match* m) {
  if (context->useMatcher) {
    m->begin = regex_match_line(context, line, start, forward ? 1 : 0, &m->endLine, &m->end);
  } else {
    m->begin = plain_in_line(context, line, start, forward);
    m->endLine = line;
    m->end = m->begin + static_cast<int32_t>(strlen(context->pattern));
  }
  m->line = line;
  return m->begin >= 0;
}

// From a character position of a line, line by line to the first or last line.
bool find(SearchContext* context, LineRecord* line, int32_t number, int32_t start, bool forward, Match* m) {
  if (start > line->length || (!forward && start == line->length)) start = line->length - 1;
  if (start < 0) start = 0;
  while (line) {
    if (match_in_line(context, line, start, forward, m)) {
      m->number = number;
      return true;
    }
    if (forward) {
      line = line->next;
      ++number;
      start = 0;
    } else {
      line = line->previous;
      --number;
      start = line ? (line->length > 0 ? line->length - 1 : 0) : 0;
    }
  }
  return false;
}

int32_t caret_index(EditorRecord* rec) { return index_of_column(rec, rec->currentLine, rec->caretColumn); }

int32_t number_of(const Match& m, const LineRecord* line) {
  int32_t number = m.number;
  for (const LineRecord* l = m.line; l && l != line; l = l->next) ++number;
  return number;
}

void select_match(EditorRecord* rec, const Match& m) {
  Selection& sel = rec->selection;
  sel = Selection();
  sel.kind = SEL_STREAM | SEL_EXCLUSIVE;
  sel.anchor = TextPosition{m.line, column_of_index(rec, m.line, m.begin), m.number};
  sel.end = TextPosition{m.endLine, column_of_index(rec, m.endLine, m.end), number_of(m, m.endLine)};
  sel.savedAnchor = sel.anchor;
  sel.state = SEL_COMPLETE;
  invalidate_from_row(rec, 0);
}

LRESULT search(EditorRecord* rec, const SearchRequest* request, bool forward, bool again) {
  if (!request) return 0;
  if (!set_up(&s_search, *request, forward)) return 0;
  s_search.owner = rec;
  int32_t start = caret_index(rec);
  if (again) start += forward ? 1 : -1;
  Match m;
  if (!find(&s_search, rec->currentLine, rec->lineNumber, start, forward, &m)) return 0;
  undo_record_caret(rec, rec->lineNumber, rec->caretColumn);
  LineRecord* target = m.line;
  int32_t number = m.number, position = m.begin;
  if (s_search.caretLine && s_search.caretPosition >= 0) {
    target = s_search.caretLine;
    number = number_of(m, target);
    position = s_search.caretPosition;
  }
  rec->currentLine = target;
  rec->lineNumber = number;
  rec->caretColumn = column_of_index(rec, target, position);
  if (s_search.selectMatch) select_match(rec, m);
  update_after_caret_move(rec);
  return m.begin + 1;
}

void cant_find(EditorRecord* rec, const SearchRequest& request) {
  char pattern[kRequestText];
  copy_field(pattern, sizeof pattern, request.pattern, kRequestText - 1);
  string_box(box_owner(rec), MB_ICONEXCLAMATION | MB_OK, IDS_CANT_FIND, pattern);
}

LRESULT remember_and_search(EditorRecord* rec, bool forward) {
  const SearchRequest* request = reinterpret_cast<const SearchRequest*>(rec->lParam);
  if (!request) {
    // The search dialog fills the process-wide request and sends the command back.
    if (!run_search_dialog(rec, forward ? KE_FIND_FORWARD : KE_FIND_BACKWARD, false)) return 0;
    UINT command = (g_dialogRequest.flags & SF_BACKWARD) ? KE_FIND_BACKWARD : KE_FIND_FORWARD;
    LRESULT found = SendMessageA(rec->wnd, command, 0, reinterpret_cast<LPARAM>(&g_dialogRequest));
    if (found < 1 && !(g_dialogRequest.flags & SF_SILENT)) cant_find(rec, g_dialogRequest);
    return found > 0 ? found : 0;
  }
  {
    s_last = *request;
    s_haveLast = true;
    s_lastForward = forward;
  }
  return search(rec, request, forward, false);
}

// Characters from (line, begin) to (endLine, end), a line break counting one.
int32_t span(const LineRecord* line, int32_t begin, const LineRecord* endLine, int32_t end) {
  int32_t count = 0;
  for (; line && line != endLine; line = line->next) {
    count += line->length - begin + 1;
    begin = 0;
  }
  return count + end - begin;
}

// The replacement with "&" and "\1".."\9" expanded and escapes translated, at most 512
// characters.
int32_t expand(const SearchContext* context, const char* replacement, const char* matched,
               int32_t matchedLength, char* out) {
  int32_t n = 0;
  auto add = [&](const char* text, int32_t length) {
    for (int32_t i = 0; i < length && n < kExpandedLimit; ++i) out[n++] = text[i];
  };
  for (const char* p = replacement; *p && n < kExpandedLimit; ++p) {
    if (*p == '&') {
      add(matched, matchedLength);
    } else if (*p == '\\' && p[1] >= '1' && p[1] <= '9') {
      int g = *++p - '1';
      if (context->useMatcher && context->groupLine[g] && context->groupStart[g] >= 0 &&
          context->groupEnd[g] >= context->groupStart[g] &&
          context->groupEnd[g] <= context->groupLine[g]->length)
        add(context->groupLine[g]->text + context->groupStart[g],
            context->groupEnd[g] - context->groupStart[g]);
    } else if (*p == '\\' && p[1]) {
      char c = *++p;
      switch (c) {
        case 'E':
          c = 27;
          break;
        case 'b':
          c = 8;
          break;
        case 'f':
          c = 12;
          break;
        case 'n':
          c = 10;
          break;
        case 'r':
          c = 13;
          break;
        case 't':
          c = 9;
          break;
      }
      add(&c, 1);
    } else {
      add(p, 1);
    }
  }
  return n;
}

LRESULT replace(EditorRecord* rec, SearchRequest* request, bool forward) {
  if (!request || (rec->state & ST_READ_ONLY)) return 0;
  if (!set_up(&s_replace, *request, forward)) return 0;
  s_replace.owner = rec;
  s_replace.wholeWord = 0;
  char replacement[kRequestText];
  if (request->flags & SF_PACKED) {
    size_t used = strnlen(request->pattern, kRequestText);
    size_t offset = used + 1;
    size_t available = sizeof(request->pattern) + sizeof(request->replacement) - offset;
    copy_field(replacement, sizeof replacement, request->pattern + offset, available);
  } else {
    copy_field(replacement, sizeof replacement, request->replacement, kRequestText - 1);
  }
  bool changeAll = (request->flags & SF_CHANGE_ALL) != 0;
  bool prompt = (request->flags & SF_PROMPT) != 0;
  LineRecord* line = rec->currentLine;
  int32_t number = rec->lineNumber;
  int32_t start = caret_index(rec);
  int32_t count = 0;
  LineRecord* lastLine = nullptr;
  int32_t lastEnd = -1;
  char expanded[kExpandedLimit + 1];
  Match m;
  while (find(&s_replace, line, number, start, forward, &m)) {
    if (m.line == lastLine && m.endLine == m.line && m.end == lastEnd) {
      // An empty match where the last replacement ended: step past it.
      line = m.line;
      number = m.number;
      start = forward ? m.begin + 1 : m.begin - 1;
      if (forward ? start > line->length : start < 0) {
        if (forward ? !line->next : !line->previous) break;
        line = forward ? line->next : line->previous;
        number += forward ? 1 : -1;
        start = forward ? 0 : line->length;
      }
      continue;
    }
    int32_t length = span(m.line, m.begin, m.endLine, m.end);
    rec->currentLine = m.line;
    rec->lineNumber = m.number;
    rec->caretColumn = column_of_index(rec, m.line, m.begin);
    if (prompt) {
      update_after_caret_move(rec);
      UpdateWindow(rec->wnd);
      int32_t row = rec->caretRow < 0 ? 0 : rec->caretRow;
      POINT from = caret_position(rec, rec->caretColumn, row);
      int32_t endColumn =
          m.endLine == m.line ? column_of_index(rec, m.line, m.end) : display_length(rec, m.line);
      POINT to = caret_position(rec, endColumn, row);
      RECT match = {from.x, from.y, to.x, from.y + row_height(rec, m.line)};
      int answer = confirm_replace(rec, m.line->text + m.begin, match);
      if (answer == 'q') {
        request->flags |= SF_CANCELLED;
        break;
      }
      if (answer == 'n') {
        // No: on after the match (one further when it was empty).
        line = forward ? m.endLine : m.line;
        number = forward ? number_of(m, m.endLine) : m.number;
        start = forward ? m.end + (length == 0 ? 1 : 0) : m.begin - 1;
        if (forward && start > line->length) {
          if (!line->next) break;
          line = line->next;
          ++number;
          start = 0;
        } else if (!forward && start < 0) {
          if (!line->previous) break;
          line = line->previous;
          --number;
          start = line->length;
        }
        continue;
      }
      if (answer == 'g') {
        prompt = false;
        changeAll = true;
      }
    }
    char* matched = new char[static_cast<size_t>(length) + 1];
    text_from_caret(rec, matched, length);
    int32_t n = expand(&s_replace, replacement, matched, length, expanded);
    delete[] matched;
    delete_from_caret(rec, length);
    insert_with_breaks(rec, expanded, n);
    ++count;
    lastLine = rec->currentLine;
    lastEnd = caret_index(rec);
    // One replacement unless all are to be changed, in both directions.
    if (!changeAll) break;
    line = rec->currentLine;
    number = rec->lineNumber;
    start = forward ? lastEnd + (length == 0 ? 1 : 0) : m.begin - 1;
    if (!forward && start < 0) {
      if (!m.line->previous) break;
      line = m.line->previous;
      number = m.number - 1;
      start = line->length;
    }
    if (forward && start > line->length) {
      if (!line->next) break;
      line = line->next;
      ++number;
      start = 0;
    }
  }
  if (count) {
    update_after_caret_move(rec);
    invalidate_from_row(rec, 0);
  }
  return count;
}

LRESULT remember_and_replace(EditorRecord* rec, bool forward) {
  SearchRequest* request = reinterpret_cast<SearchRequest*>(rec->lParam);
  if (!request) {
    // The replace dialog fills the process-wide request and sends the command back.
    if (rec->state & ST_READ_ONLY) return 0;
    if (!run_search_dialog(rec, forward ? KE_REPLACE_FORWARD : KE_REPLACE_BACKWARD, true)) return 0;
    UINT command = (g_dialogRequest.flags & SF_BACKWARD) ? KE_REPLACE_BACKWARD : KE_REPLACE_FORWARD;
    LRESULT count = SendMessageA(rec->wnd, command, 0, reinterpret_cast<LPARAM>(&g_dialogRequest));
    if (count < 1 && !(g_dialogRequest.flags & (SF_SILENT | SF_CANCELLED))) cant_find(rec, g_dialogRequest);
    return count > 0 ? count : 0;
  }
  {
    s_lastReplace = *request;
    s_haveLastReplace = true;
    s_lastReplaceForward = forward;
  }
  return replace(rec, request, forward);
}

}  // namespace

LRESULT cmd_find_forward(EditorRecord* rec) { return remember_and_search(rec, true); }
LRESULT cmd_find_backward(EditorRecord* rec) { return remember_and_search(rec, false); }
LRESULT cmd_replace_forward(EditorRecord* rec) { return remember_and_replace(rec, true); }
LRESULT cmd_replace_backward(EditorRecord* rec) { return remember_and_replace(rec, false); }

LRESULT cmd_find_again(EditorRecord* rec) {
  if (!s_haveLast) return remember_and_search(rec, true);
  LRESULT found = search(rec, &s_last, s_lastForward, true);
  if (!found && !(s_last.flags & SF_SILENT)) cant_find(rec, s_last);
  return found;
}

LRESULT cmd_replace_again(EditorRecord* rec) {
  if (!s_haveLastReplace) return remember_and_replace(rec, true);
  return replace(rec, &s_lastReplace, s_lastReplaceForward);
}

LRESULT cmd_last_search_text(EditorRecord* rec) {
  if (!s_haveLast) return 0;
  char pattern[kRequestText];
  copy_field(pattern, sizeof pattern, s_last.pattern, kRequestText - 1);
  if (char* out = reinterpret_cast<char*>(rec->lParam)) strcpy(out, pattern);
  return static_cast<LRESULT>(strlen(pattern));
}

}  // namespace ked
