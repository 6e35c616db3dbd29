// Text put in at the caret, selections deleted, the word at the caret.
#include "edinsert.h"

#include <string.h>

#include "edlines.h"
#include "edmem.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edstate.h"
#include "edundo.h"

namespace ked {

namespace {

// Makes the line's buffer hold `length` characters and a terminator; a borrowed buffer
// is copied before it is changed.
bool reserve(LineRecord* line, int32_t length) {
  if (length < line->capacity && !(line->flags & LF_NOT_OWNED)) return true;
  int32_t capacity = line_capacity(length);
  if (capacity <= length) capacity = length + 1;
  char* text = static_cast<char*>(alloc_zeroed(static_cast<size_t>(capacity)));
  if (!text) return false;
  memcpy(text, line->text, static_cast<size_t>(line->length) + 1);
  if (!(line->flags & LF_NOT_OWNED)) free_block(line->text);
  line->flags &= ~static_cast<uint16_t>(LF_NOT_OWNED);
  line->text = text;
  line->capacity = capacity;
  return true;
}

void note_tabs(LineRecord* line) {
  if (memchr(line->text, '\t', static_cast<size_t>(line->length)))
    line->flags |= LF_HAS_TABS;
  else
    line->flags &= ~static_cast<uint16_t>(LF_HAS_TABS);
}

void edited(EditorRecord* rec) {
  ++rec->changes;
  ++rec->positionChanges;
  invalidate_from_row(rec, rec->caretRow);
}

// Removes characters [from, to) of the line.
void cut_chars(LineRecord* line, int32_t from, int32_t to) {
  if (from < 0) from = 0;
  if (to > line->length) to = line->length;
  if (to <= from) return;
  memmove(line->text + from, line->text + to, static_cast<size_t>(line->length - to) + 1);
  line->length -= to - from;
  note_tabs(line);
}

}  // namespace

bool split_line(EditorRecord* rec) {
  LineRecord* line = rec->currentLine;
  int32_t at = index_of_column(rec, line, rec->caretColumn);
  undo_record_insert(rec, rec->lineNumber, column_of_index(rec, line, at), "\n", 1, UNDO_KIND_INSERT);
  int32_t rest = line->length - at;
  LineRecord* fresh = make_line(line_capacity(rest), rec);
  if (!fresh) return false;
  memcpy(fresh->text, line->text + at, static_cast<size_t>(rest));
  fresh->text[rest] = '\0';
  fresh->length = rest;
  note_tabs(fresh);
  int32_t indent = 0;
  if (rec->options.AutoIndent && rest == 0 && !undo_replaying()) {
    int32_t blanks = 0;
    while (blanks < line->length && (line->text[blanks] == ' ' || line->text[blanks] == '\t')) ++blanks;
    if (blanks < line->length) indent = column_of_index(rec, line, blanks);
  }
  line->length = at;
  line->text[at] = '\0';
  note_tabs(line);
  link_after(fresh, line, rec);
  rec->currentLine = fresh;
  ++rec->lineNumber;
  rec->caretColumn = indent;
  invalidate_from_row(rec, rec->caretRow);
  if (rec->caretRow >= 0) ++rec->caretRow;
  ++rec->changes;
  ++rec->positionChanges;
  return true;
}

bool is_word_char(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool put_run(EditorRecord* rec, const char* text, int32_t count, bool overwrite) {
  LineRecord* line = rec->currentLine;
  if (!line || count <= 0) return count == 0;
  int32_t length = display_length(rec, line);
  int32_t padding = rec->caretColumn > length ? rec->caretColumn - length : 0;
  int32_t at = padding ? line->length : index_of_column(rec, line, rec->caretColumn);
  int32_t replaced = overwrite ? line->length - at : 0;
  if (replaced > count) replaced = count;
  if (replaced < 0) replaced = 0;
  int32_t grown = line->length + padding + count - replaced;
  if (!reserve(line, grown)) return false;
  // The undo records: the padding goes with the inserted text; characters written over
  // keep their old text.
  int32_t startColumn = column_of_index(rec, line, at) + padding;
  if (padding) startColumn = display_length(rec, line);
  if (replaced > 0) {
    undo_record_insert(rec, rec->lineNumber, startColumn, line->text + at, replaced, UNDO_KIND_OVERWRITE);
    if (count > replaced)
      undo_record_insert(rec, rec->lineNumber, startColumn + replaced, nullptr, count - replaced,
                         UNDO_KIND_INSERT);
  } else {
    undo_record_insert(rec, rec->lineNumber, startColumn, nullptr, padding + count, UNDO_KIND_INSERT);
  }
  memset(line->text + line->length, ' ', static_cast<size_t>(padding));
  line->length += padding;
  line->text[line->length] = '\0';
  at += padding;
  memmove(line->text + at + count, line->text + at + replaced,
          static_cast<size_t>(line->length - at - replaced) + 1);
  memcpy(line->text + at, text, static_cast<size_t>(count));
  line->length = grown;
  note_tabs(line);
  rec->caretColumn = column_of_index(rec, line, at + count);
  edited(rec);
  return true;
}

bool type_char(EditorRecord* rec, char c, bool overwrite) {
  if (c == '\r' || c == '\n') return split_line(rec);
  if (c != '\t') return put_run(rec, &c, 1, overwrite);
  if (rec->options.UseRealTabs) return put_run(rec, &c, 1, false);
  char fill = static_cast<char>(rec->options.TabFill);
  int32_t stop = next_tab_stop(rec, rec->caretColumn);
  do {
    if (!put_run(rec, &fill, 1, false)) return false;
  } while (rec->caretColumn < stop);
  return true;
}

int insert_text(EditorRecord* rec, const char* text, bool overwrite) {
  if (!text || !*text) return 0;
  int32_t autoIndent = rec->options.AutoIndent;
  rec->options.AutoIndent = 0;
  const char* p = text;
  if (!(p[0] == '\r' && p[1] == '\n')) type_char(rec, *p, overwrite);
  ++p;
  while (*p) {
    const char* run = p;
    while (static_cast<unsigned char>(*p) >= 32 && *p != '\\') ++p;
    if (p > run) put_run(rec, run, static_cast<int32_t>(p - run), overwrite);
    if (!*p) break;
    if (!(p[0] == '\r' && p[1] == '\n')) type_char(rec, *p, overwrite);
    ++p;
  }
  rec->options.AutoIndent = autoIndent;
  return 1;
}

bool delete_selection(EditorRecord* rec) {
  Selection& sel = rec->selection;
  if (sel.state != SEL_COMPLETE || !sel.anchor.line || !sel.end.line) return false;
  TextPosition a = sel.anchor, b = sel.end;
  bool reversed = b.number < a.number || (b.number == a.number && b.column < a.column);
  // The anchor is always inside the selection; the end only when it is not exclusive.
  bool bInclusive = reversed || !(sel.kind & SEL_EXCLUSIVE);
  if (reversed) {
    TextPosition t = a;
    a = b;
    b = t;
  }
  bool column = (sel.kind & SEL_COLUMN) != 0;
  sel = Selection();
  if (column) {
    int32_t low = a.column < b.column ? a.column : b.column;
    int32_t high = (a.column < b.column ? b.column : a.column) + (bInclusive ? 1 : 0);
    LineRecord* line = a.line;
    for (int32_t n = a.number; line && n <= b.number; ++n, line = line->next) {
      int32_t from = index_of_column(rec, line, low), to = index_of_column(rec, line, high);
      if (to > from)
        undo_record_delete(rec, n, column_of_index(rec, line, from), line->text + from, to - from);
      cut_chars(line, from, to);
    }
    rec->currentLine = a.line;
    rec->lineNumber = a.number;
    rec->caretColumn = low;
  } else {
    int32_t from = index_of_column(rec, a.line, a.column);
    int32_t to = index_of_column(rec, b.line, b.column) + (bInclusive ? 1 : 0);
    if (to > b.line->length) to = b.line->length;
    if (from > a.line->length) from = a.line->length;
    // Characters from `from` on the first line to `to` on the last, a break counting one.
    int32_t count = 0;
    LineRecord* line = a.line;
    for (int32_t n = a.number; line && n < b.number; ++n, line = line->next)
      count += line->length - (n == a.number ? from : 0) + 1;
    count += to - (a.line == b.line ? from : 0);
    rec->currentLine = a.line;
    rec->lineNumber = a.number;
    rec->caretColumn = column_of_index(rec, a.line, from);
    delete_from_caret(rec, count);
    rec->caretColumn = a.column;
  }
  ++rec->changes;
  ++rec->positionChanges;
  invalidate_from_row(rec, 0);
  return true;
}

int32_t text_from_caret(EditorRecord* rec, char* out, int32_t count) {
  LineRecord* line = rec->currentLine;
  if (!line) return 0;
  int32_t at = index_of_column(rec, line, rec->caretColumn);
  int32_t n = 0;
  while (n < count && line) {
    int32_t take = line->length - at;
    if (take > count - n) take = count - n;
    if (out) memcpy(out + n, line->text + at, static_cast<size_t>(take));
    n += take;
    if (n >= count || !line->next) break;
    if (out) out[n] = '\n';
    ++n;
    line = line->next;
    at = 0;
  }
  return n;
}

int32_t delete_from_caret(EditorRecord* rec, int32_t count) {
  LineRecord* line = rec->currentLine;
  if (!line || count <= 0) return 0;
  int32_t available = text_from_caret(rec, nullptr, count);
  if (available <= 0) return 0;
  char* saved = static_cast<char*>(alloc_zeroed(static_cast<size_t>(available) + 1));
  if (!saved) return 0;
  text_from_caret(rec, saved, available);
  int32_t at = index_of_column(rec, line, rec->caretColumn);
  undo_record_delete(rec, rec->lineNumber, column_of_index(rec, line, at), saved, available);
  free_block(saved);
  int32_t left = available;
  while (left > 0) {
    int32_t take = line->length - at;
    if (take > left) take = left;
    cut_chars(line, at, at + take);
    left -= take;
    if (left == 0 || !line->next) break;
    // The line break: the next line's text joins this one.
    LineRecord* next = line->next;
    if (!reserve(line, line->length + next->length)) break;
    memcpy(line->text + line->length, next->text, static_cast<size_t>(next->length) + 1);
    line->length += next->length;
    note_tabs(line);
    unlink_line(rec, next);
    --left;
  }
  rec->caretColumn = column_of_index(rec, line, at);
  edited(rec);
  return available - left;
}

bool insert_with_breaks(EditorRecord* rec, const char* text, int32_t count) {
  int32_t i = 0;
  while (i < count) {
    if (text[i] == '\n') {
      if (!split_line(rec)) return false;
      ++i;
      continue;
    }
    int32_t run = i;
    while (run < count && text[run] != '\n' && run - i < kUndoPiece) ++run;
    if (!put_run(rec, text + i, run - i, false)) return false;
    i = run;
  }
  return true;
}

LRESULT cmd_insert_text(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  return insert_text(rec, reinterpret_cast<const char*>(rec->lParam), rec->wParam == 1);
}

LRESULT cmd_get_word(EditorRecord* rec) {
  char* buffer = reinterpret_cast<char*>(rec->lParam);
  size_t size = static_cast<size_t>(rec->wParam);
  LineRecord* line = rec->currentLine;
  auto empty = [&]() -> LRESULT {
    if (buffer && size) buffer[0] = '\0';
    return 0;
  };
  if (!line || rec->caretColumn >= display_length(rec, line)) return empty();
  int32_t at = index_of_column(rec, line, rec->caretColumn);
  const unsigned char* text = reinterpret_cast<const unsigned char*>(line->text);
  if (!is_word_char(text[at])) return empty();
  int32_t from = at, to = at;
  while (from > 0 && is_word_char(text[from - 1])) --from;
  while (to < line->length && is_word_char(text[to])) ++to;
  size_t length = static_cast<size_t>(to - from);
  if (buffer) {
    size_t copied = length < size ? length : size;
    memcpy(buffer, line->text + from, copied);
    if (copied < size) buffer[copied] = '\0';
  }
  return static_cast<LRESULT>(length);
}

}  // namespace ked
