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

// Makes the line's buffer hold `length` characters and a terminator.
bool reserve(LineRecord* line, int32_t length) { return ensure_room(line, length - line->length); }

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

int32_t room_capacity(int32_t needed) {
  int32_t capacity = 8;
  while (capacity <= needed && capacity < (1 << 30)) capacity <<= 1;
  return capacity;
}

bool ensure_room(LineRecord* line, int32_t n) {
  int32_t needed = line->length + n + 1;
  if (needed < 8) needed = 8;
  bool borrowed = (line->flags & LF_NOT_OWNED) != 0;
  if (needed < line->capacity && !borrowed) return true;
  int32_t capacity = needed < line->capacity ? line->capacity : room_capacity(needed + 1);
  char* text = static_cast<char*>(alloc_zeroed_silent(static_cast<size_t>(capacity)));
  if (!text) {
    MessageBoxA(GetDesktopWindow(), "BufRealloc() - MEM_ALLOC returns NULL", "", MB_OK);
    return false;
  }
  memcpy(text, line->text, static_cast<size_t>(line->length) + 1);
  if (!borrowed) free_block(line->text);
  line->flags &= ~static_cast<uint16_t>(LF_NOT_OWNED);
  line->text = text;
  line->capacity = capacity;
  return true;
}

bool split_line(EditorRecord* rec) {
  LineRecord* line = rec->currentLine;
  int32_t at = index_of_column(rec, line, rec->caretColumn);
  int32_t rest = line->length - at;
  LineRecord* fresh = make_line(line_capacity(rest), rec);
  if (!fresh) return false;
  undo_record_insert(rec, rec->lineNumber, column_of_index(rec, line, at), "\n", 1, UNDO_KIND_INSERT);
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
  // Every line joined lands behind the caret: the buffer is grown once, before anything
  // changes, for the longest of them, so the deletion is done whole or not at all.
  int32_t longest = 0;
  LineRecord* joined = line;
  for (int32_t i = 0; i < available; ++i)
    if (saved[i] == '\n' && joined->next) {
      joined = joined->next;
      if (joined->length > longest) longest = joined->length;
    }
  if (longest > 0 && !reserve(line, at + longest)) {
    free_block(saved);
    return 0;
  }
  undo_record_delete(rec, rec->lineNumber, column_of_index(rec, line, at), saved, available);
  free_block(saved);
  int32_t left = available;
  while (left > 0) {
    int32_t take = line->length - at;
    if (take > left) take = left;
    cut_chars(line, at, at + take);
    left -= take;
    if (left == 0 || !line->next) break;
    // The line break: the next line's text joins this one (the room was made above).
    LineRecord* next = line->next;
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
  LineRecord* line = rec->currentLine;
  if (!line) return false;
  if (count <= 0) return true;
  int32_t breaks = 0, firstBreak = -1, lastBreak = -1;
  for (int32_t i = 0; i < count; ++i)
    if (text[i] == '\n') {
      if (firstBreak < 0) firstBreak = i;
      lastBreak = i;
      ++breaks;
    }
  int32_t length = display_length(rec, line);
  int32_t padding = rec->caretColumn > length ? rec->caretColumn - length : 0;
  int32_t at = padding ? line->length : index_of_column(rec, line, rec->caretColumn);
  int32_t rest = line->length - at;
  int32_t firstLength = breaks ? firstBreak : count;
  // Everything that can fail comes first: the caret line's room and the new lines, which
  // are filled while they are still off the list.
  if (!reserve(line, line->length + padding + firstLength - (breaks ? rest : 0))) return false;
  LineRecord* chain = nullptr;
  LineRecord* chainLast = nullptr;
  for (int32_t i = firstBreak; breaks && i <= lastBreak; ++i) {
    if (text[i] != '\n') continue;
    int32_t from = i + 1, to = from;
    while (to < count && text[to] != '\n') ++to;
    int32_t size = to - from + (i == lastBreak ? rest : 0);
    LineRecord* fresh = make_line(room_capacity(size + 1), rec);
    if (!fresh) {
      free_chain(rec, chain);
      return false;
    }
    memcpy(fresh->text, text + from, static_cast<size_t>(to - from));
    if (i == lastBreak) memcpy(fresh->text + (to - from), line->text + at, static_cast<size_t>(rest));
    fresh->length = size;
    fresh->text[size] = '\0';
    note_tabs(fresh);
    if (chainLast)
      chainLast->next = fresh;
    else
      chain = fresh;
    fresh->previous = chainLast;
    chainLast = fresh;
  }
  int32_t startColumn = padding ? length : column_of_index(rec, line, at);
  undo_record_insert(rec, rec->lineNumber, startColumn, nullptr, padding + count, UNDO_KIND_INSERT);
  memset(line->text + line->length, ' ', static_cast<size_t>(padding));
  line->length += padding;
  line->text[line->length] = '\0';
  at += padding;
  if (!breaks) {
    memmove(line->text + at + count, line->text + at, static_cast<size_t>(line->length - at) + 1);
    memcpy(line->text + at, text, static_cast<size_t>(count));
    line->length += count;
    note_tabs(line);
    rec->caretColumn = column_of_index(rec, line, at + count);
    edited(rec);
    return true;
  }
  memcpy(line->text + at, text, static_cast<size_t>(firstLength));
  line->length = at + firstLength;
  line->text[line->length] = '\0';
  note_tabs(line);
  int32_t oldRow = rec->caretRow;
  LineRecord* after = line;
  for (LineRecord* fresh = chain; fresh;) {
    LineRecord* next = fresh->next;
    link_after(fresh, after, rec);
    after = fresh;
    fresh = next;
  }
  rec->currentLine = after;
  rec->lineNumber += breaks;
  rec->caretColumn = column_of_index(rec, after, count - (lastBreak + 1));
  if (rec->caretRow >= 0) rec->caretRow += breaks;
  ++rec->changes;
  ++rec->positionChanges;
  invalidate_from_row(rec, oldRow);
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
