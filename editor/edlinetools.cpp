// Bookmarks, brace matching, case change, centring and justifying lines, word count and
// line marks.
#include "edlinetools.h"

#include <ctype.h>
#include <string.h>

#include "edblock.h"
#include "edcaret.h"
#include "edinsert.h"
#include "edlines.h"
#include "edmessage.h"
#include "edmove.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edtyping.h"
#include "edundo.h"

namespace ked {

namespace {

bool g_justifyToggle = false;

int bookmark_index(WPARAM wp) {
  int c = tolower(static_cast<int>(wp & 0xFF));
  if (wp > 0xFF || c < 'a' || c > 'z') return -1;
  return c - 'a';
}

void go_to(EditorRecord* rec, LineRecord* line, int32_t number, int32_t column) {
  undo_record_caret(rec, rec->lineNumber, rec->caretColumn);
  rec->currentLine = line;
  rec->lineNumber = number;
  rec->caretColumn = column;
  update_after_caret_move(rec);
}

// Writes the characters [from, to) of a line through the overwrite path, so the change
// is recorded; `map` gives each new character.
template <typename Map>
void rewrite(EditorRecord* rec, LineRecord* line, int32_t number, int32_t from, int32_t to, Map map) {
  if (from < 0) from = 0;
  if (to > line->length) to = line->length;
  if (to <= from) return;
  char* fresh = new char[static_cast<size_t>(to - from)];
  bool differs = false;
  for (int32_t i = from; i < to; ++i) {
    fresh[i - from] = map(line->text[i]);
    differs = differs || fresh[i - from] != line->text[i];
  }
  if (differs) {
    LineRecord* keptLine = rec->currentLine;
    int32_t keptNumber = rec->lineNumber, keptColumn = rec->caretColumn;
    rec->currentLine = line;
    rec->lineNumber = number;
    rec->caretColumn = column_of_index(rec, line, from);
    put_run(rec, fresh, to - from, true);
    rec->currentLine = keptLine;
    rec->lineNumber = keptNumber;
    rec->caretColumn = keptColumn;
  }
  delete[] fresh;
}

LRESULT change_case(EditorRecord* rec, bool upper) {
  Selection& sel = rec->selection;
  if (sel.state != SEL_COMPLETE || !sel.anchor.line || !sel.end.line) return 1;
  if (rec->state & ST_READ_ONLY) return 0;
  auto map = [upper](char c) {
    return static_cast<char>(upper ? toupper(static_cast<unsigned char>(c))
                                   : tolower(static_cast<unsigned char>(c)));
  };
  TextPosition a = sel.anchor, b = sel.end;
  if (b.number < a.number || (b.number == a.number && b.column < a.column)) {
    TextPosition t = a;
    a = b;
    b = t;
  }
  LineRecord* line = a.line;
  if (sel.kind & SEL_COLUMN) {
    int32_t low = a.column < b.column ? a.column : b.column;
    int32_t high = a.column < b.column ? b.column : a.column;
    for (int32_t n = a.number; line && n <= b.number; ++n, line = line->next)
      rewrite(rec, line, n, index_of_column(rec, line, low), index_of_column(rec, line, high) + 1, map);
  } else {
    for (int32_t n = a.number; line && n <= b.number; ++n, line = line->next) {
      int32_t from = n == a.number ? index_of_column(rec, line, a.column) : 0;
      int32_t to = n == b.number ? index_of_column(rec, line, b.column) + 1 : line->length;
      rewrite(rec, line, n, from, to, map);
    }
  }
  invalidate_from_row(rec, 0);
  return 1;
}

void toggle_mark(EditorRecord* rec, LineRecord* line, int32_t number) {
  if (!(line->flags & LF_MARKED)) {
    line->flags |= LF_MARKED;
    ++rec->markedCount;
    if (number < rec->markLow || !rec->markFirst) {
      rec->markLow = number;
      rec->markFirst = line;
    }
    if (number > rec->markHigh || !rec->markLast) {
      rec->markHigh = number;
      rec->markLast = line;
    }
    return;
  }
  line->flags &= ~static_cast<uint16_t>(LF_MARKED);
  --rec->markedCount;
  if (rec->markedCount <= 0) {
    release_marks(rec);
    return;
  }
  if (line == rec->markLast) {
    LineRecord* above = line->previous;
    int32_t n = number - 1;
    while (above && !(above->flags & LF_MARKED)) above = above->previous, --n;
    rec->markLast = above;
    rec->markHigh = n;
  }
  if (line == rec->markFirst) {
    LineRecord* below = line->next;
    int32_t n = number + 1;
    while (below && !(below->flags & LF_MARKED)) below = below->next, ++n;
    rec->markFirst = below;
    rec->markLow = n;
  }
}

void drop_selection(EditorRecord* rec) {
  if (rec->selection.state != SEL_NONE) {
    rec->selection = Selection();
    invalidate_from_row(rec, 0);
  }
}

}  // namespace

LRESULT cmd_set_bookmark(EditorRecord* rec) {
  int i = bookmark_index(rec->wParam);
  if (i < 0) return 0;
  TextPosition& mark = rec->bookmarks[i];
  if (mark.line) {
    // The old line keeps its flag only while another bookmark refers to it.
    LineRecord* old = mark.line;
    mark = TextPosition();
    bool still = false;
    for (const TextPosition& other : rec->bookmarks) still = still || other.line == old;
    if (!still) old->flags &= ~static_cast<uint16_t>(LF_BOOKMARK);
  }
  mark = TextPosition{rec->currentLine, rec->caretColumn, rec->lineNumber};
  rec->currentLine->flags |= LF_BOOKMARK;
  return 1;
}

LRESULT cmd_goto_bookmark(EditorRecord* rec) {
  int i = bookmark_index(rec->wParam);
  if (i < 0) return 0;
  const TextPosition mark = rec->bookmarks[i];
  if (!mark.line) {
    fixed_box(rec, FT_NO_BOOKMARK_LINE);
    return 0;
  }
  // The stored number may be stale: find the line's present one, from the nearer end.
  int32_t number = 0;
  if (mark.number > rec->lineCount / 2) {
    int32_t n = rec->lineCount;
    for (LineRecord* l = rec->lastLine; l; l = l->previous, --n)
      if (l == mark.line) {
        number = n;
        break;
      }
  } else {
    int32_t n = 1;
    for (LineRecord* l = rec->firstLine; l; l = l->next, ++n)
      if (l == mark.line) {
        number = n;
        break;
      }
  }
  if (number == 0) {
    fixed_box(rec, FT_NO_BOOKMARK_LINE);
    return 0;
  }
  int32_t index =
      mark.column < mark.line->length ? index_of_column(rec, mark.line, mark.column) : mark.column;
  int32_t column = index <= mark.line->length ? column_of_index(rec, mark.line, index) : mark.column;
  go_to(rec, mark.line, number, column);
  return 1;
}

LRESULT cmd_clear_bookmark(EditorRecord* rec) {
  int from = 0, to = kBookmarks - 1;
  if (static_cast<int32_t>(rec->wParam) != -1) {
    from = to = bookmark_index(rec->wParam);
    if (from < 0) return 0;
  }
  for (int i = from; i <= to; ++i) {
    LineRecord* line = rec->bookmarks[i].line;
    rec->bookmarks[i] = TextPosition();
    if (!line) continue;
    bool still = false;
    for (const TextPosition& other : rec->bookmarks) still = still || other.line == line;
    if (!still) line->flags &= ~static_cast<uint16_t>(LF_BOOKMARK);
  }
  return 1;
}

LRESULT cmd_list_bookmarks(EditorRecord* rec) {
  int32_t* out = reinterpret_cast<int32_t*>(rec->lParam);
  if (!out) return 0;
  if (rec->wParam == 0) {
    LRESULT count = 0;
    for (int i = 0; i < kBookmarks; ++i) {
      const TextPosition& mark = rec->bookmarks[i];
      if (!mark.line) continue;
      out[count * 3] = line_number(rec, mark.line);
      out[count * 3 + 1] = mark.column;
      out[count * 3 + 2] = 'A' + i;
      ++count;
    }
    return count;
  }
  int i = bookmark_index(rec->wParam);
  if (i < 0) return 0;
  const TextPosition& mark = rec->bookmarks[i];
  out[0] = mark.line ? line_number(rec, mark.line) : 0;
  out[1] = mark.line ? mark.column : 0;
  return 1;
}

LRESULT cmd_match_brace(EditorRecord* rec) {
  const char* braces = fixed_text(FT_BRACES);
  LineRecord* line = rec->currentLine;
  int32_t at = index_of_column(rec, line, rec->caretColumn);
  const char* found = at < line->length && line->text[at] ? strchr(braces, line->text[at]) : nullptr;
  if (!found) {
    fixed_box(rec, FT_NOT_ON_BRACE);
    return 0;
  }
  int32_t position = static_cast<int32_t>(found - braces);
  bool forward = position % 2 == 0;
  char self = *found;
  char partner = braces[forward ? position + 1 : position - 1];
  int32_t depth = 1, number = rec->lineNumber;
  int32_t i = at;
  for (;;) {
    i += forward ? 1 : -1;
    while (line && (i < 0 || i >= line->length)) {
      line = forward ? line->next : line->previous;
      number += forward ? 1 : -1;
      if (line) i = forward ? 0 : line->length - 1;
    }
    if (!line) break;
    char c = line->text[i];
    if (c == partner) {
      if (depth == 1) {
        go_to(rec, line, number, column_of_index(rec, line, i));
        return 1;
      }
      --depth;
    } else if (c == self && self != '"') {
      ++depth;
    }
  }
  fixed_box(rec, FT_NO_MATCHING_BRACE);
  return 0;
}

LRESULT cmd_lower_case(EditorRecord* rec) { return change_case(rec, false); }
LRESULT cmd_upper_case(EditorRecord* rec) { return change_case(rec, true); }

LRESULT cmd_centre_line(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  LineRecord* line = rec->currentLine;
  int32_t margin = rec->options.RightMargin;
  if (margin - line->length < 2) return 0;
  int32_t end = line->length;
  while (end > 0 && line->text[end - 1] == ' ') --end;
  if (end < line->length)
    delete_columns(rec, line, rec->lineNumber, column_of_index(rec, line, end), display_length(rec, line));
  int32_t blanks = (margin - line->length) / 2;
  if (blanks > 0) {
    char* fill = new char[static_cast<size_t>(blanks)];
    memset(fill, ' ', static_cast<size_t>(blanks));
    int32_t column = rec->caretColumn;
    rec->caretColumn = 0;
    put_run(rec, fill, blanks, false);
    rec->caretColumn = column;
    delete[] fill;
  }
  line->flags |= LF_CENTRED;
  ++rec->changes;
  invalidate_from_row(rec, rec->caretRow);
  update_after_caret_move(rec);
  return 1;
}

bool justify_line(EditorRecord* rec, LineRecord* line, int32_t width) {
  int32_t extra = width - line->length;
  // Each gap is the run of blanks before a word other than the first.
  int32_t gapEnds[256];
  int32_t words = 0, gaps = 0;
  for (int32_t i = 0; i < line->length; ++i)
    if (line->text[i] != ' ' && (i == 0 || line->text[i - 1] == ' ')) {
      if (words > 0 && gaps < 256) gapEnds[gaps++] = i;
      ++words;
    }
  if (extra < 1 || words < 2 || gaps < 1) return false;
  g_justifyToggle = !g_justifyToggle;
  int32_t grow[256];
  for (int32_t g = gaps - 1, left = gaps; g >= 0; --g, --left) {
    grow[g] = g_justifyToggle ? extra / left : (extra - 1) / left + 1;
    if (grow[g] > extra) grow[g] = extra;
    extra -= grow[g];
  }
  char* out = new char[static_cast<size_t>(width) + 1];
  int32_t o = 0, g = 0;
  for (int32_t i = 0; i < line->length; ++i) {
    if (g < gaps && i == gapEnds[g]) {
      for (int32_t k = 0; k < grow[g]; ++k) out[o++] = ' ';
      ++g;
    }
    out[o++] = line->text[i];
  }
  while (o < width) out[o++] = ' ';
  LineRecord* keptLine = rec->currentLine;
  int32_t keptNumber = rec->lineNumber, keptColumn = rec->caretColumn;
  rec->currentLine = line;
  rec->lineNumber = line_number(rec, line);
  rec->caretColumn = 0;
  delete_from_caret(rec, line->length);
  put_run(rec, out, width, false);
  rec->currentLine = keptLine;
  rec->lineNumber = keptNumber;
  rec->caretColumn = keptColumn;
  delete[] out;
  return true;
}

int32_t count_words(const EditorRecord* rec) {
  int32_t words = 0;
  for (const LineRecord* line = rec->firstLine; line; line = line->next)
    for (int32_t i = 0; i < line->length; ++i)
      if (line->text[i] != ' ' && (i == 0 || line->text[i - 1] == ' ')) ++words;
  return words;
}

LRESULT cmd_count_words(EditorRecord* rec) { return count_words(rec); }

void release_marks(EditorRecord* rec) {
  if (rec->markFirst) {
    for (LineRecord* line = rec->markFirst; line; line = line->next) {
      line->flags &= ~static_cast<uint16_t>(LF_MARKED);
      if (line == rec->markLast) break;
    }
    invalidate_from_row(rec, 0);
  }
  rec->markedCount = 0;
  rec->markLow = kNoMarkLow;
  rec->markHigh = 0;
  rec->markFirst = rec->markLast = nullptr;
}

LRESULT cmd_mark_line(EditorRecord* rec) {
  drop_selection(rec);
  toggle_mark(rec, rec->currentLine, rec->lineNumber);
  invalidate_from_row(rec, rec->caretRow);
  return 1;
}

LRESULT cmd_mark_to_here(EditorRecord* rec) {
  drop_selection(rec);
  if (rec->markedCount > 0 && rec->markLow < rec->lineNumber) {
    LineRecord* line = rec->currentLine;
    while (line && !(line->flags & LF_MARKED)) {
      line->flags |= LF_MARKED;
      ++rec->markedCount;
      line = line->previous;
    }
    if (rec->lineNumber > rec->markHigh) {
      rec->markHigh = rec->lineNumber;
      rec->markLast = rec->currentLine;
    }
    invalidate_from_row(rec, 0);
    return 1;
  }
  return cmd_mark_line(rec);
}

LRESULT act_on_marked(EditorRecord* rec, MarkAction action) {
  if (rec->markedCount <= 0 || !rec->markFirst) return 0;
  if (action == MARKS_INDENT || action == MARKS_OUTDENT) {
    int32_t n = rec->markLow;
    for (LineRecord* line = rec->markFirst; line; line = line->next, ++n) {
      if (line->flags & LF_MARKED) shift_line(rec, line, n, action == MARKS_INDENT);
      if (line == rec->markLast) break;
    }
    ++rec->changes;
    invalidate_from_row(rec, 0);
    return 1;
  }
  // The delete keys leave the clipboard alone.
  if (action == MARKS_CUT) return marked_lines_to_pick(rec, BLOCK_DELETE);
  return marked_lines_to_pick(rec, action == MARKS_COPY ? BLOCK_COPY : BLOCK_APPEND);
}

}  // namespace ked
