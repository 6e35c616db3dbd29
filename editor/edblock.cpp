// Block commands through the process-wide pick buffer. Every command first makes all it
// needs (the new pick lines, room in line buffers, new text lines) and only then changes
// the text and the pick buffer, so a failed allocation refuses the command whole.
#include "edblock.h"

#include <string.h>

#include "edclipboard.h"
#include "edcommand.h"
#include "edfile.h"
#include "edinsert.h"
#include "edlines.h"
#include "edmem.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edstate.h"
#include "edundo.h"
#include "editor/korvoedit.h"

namespace ked {

namespace {

int32_t repeat_count() { return g_repeatCount > 0 ? g_repeatCount : 1; }

bool read_only(const EditorRecord* rec) { return (rec->state & ST_READ_ONLY) != 0; }

void note_tabs(LineRecord* line) {
  if (memchr(line->text, '\t', static_cast<size_t>(line->length)))
    line->flags |= LF_HAS_TABS;
  else
    line->flags &= ~static_cast<uint16_t>(LF_HAS_TABS);
}

// A list of lines not (yet) linked into any record.
struct Chain {
  LineRecord* first = nullptr;
  LineRecord* last = nullptr;
  int32_t count = 0;

  void add(LineRecord* line) {
    line->previous = last;
    line->next = nullptr;
    if (last)
      last->next = line;
    else
      first = line;
    last = line;
    ++count;
  }
  void release() {
    free_chain(g_pickBuffer, first);
    *this = Chain();
  }
};

// A new unlinked line holding `pad` blanks and then `count` characters of `text`.
LineRecord* new_line(EditorRecord* owner, const char* text, int32_t count, int32_t pad = 0) {
  LineRecord* line = make_line(room_capacity(pad + count + 1), owner);
  if (!line) return nullptr;
  memset(line->text, ' ', static_cast<size_t>(pad));
  memcpy(line->text + pad, text, static_cast<size_t>(count));
  line->length = pad + count;
  line->text[line->length] = '\0';
  note_tabs(line);
  return line;
}

// Column blocks work on display columns: lines holding tabs have them expanded into
// TabFill characters while a block is cut from or pasted into them, and compressed again
// by the EntabLine rule afterwards.
bool tabs_expand(const EditorRecord* rec, const LineRecord* line) {
  return rec->options.UseRealTabs && (line->flags & LF_HAS_TABS);
}

// Writes the line with its tabs expanded into `out` (when not null); answers its length.
int32_t expanded_text(const EditorRecord* rec, const LineRecord* line, char* out) {
  int32_t column = 0;
  for (int32_t i = 0; i < line->length; ++i) {
    if (line->text[i] != '\t') {
      if (out) out[column] = line->text[i];
      ++column;
      continue;
    }
    int32_t stop = next_tab_stop(rec, column);
    for (; column < stop; ++column)
      if (out) out[column] = static_cast<char>(rec->options.TabFill);
  }
  return column;
}

bool expand_line(EditorRecord* rec, LineRecord* line) {
  if (!tabs_expand(rec, line)) return true;
  int32_t width = expanded_text(rec, line, nullptr);
  int32_t capacity = room_capacity(width + 1);
  char* text = static_cast<char*>(alloc_zeroed_silent(static_cast<size_t>(capacity)));
  if (!text) {
    MessageBoxA(GetDesktopWindow(), "BufRealloc() - MEM_ALLOC returns NULL", "", MB_OK);
    return false;
  }
  expanded_text(rec, line, text);
  if (!(line->flags & LF_NOT_OWNED)) free_block(line->text);
  line->text = text;
  line->capacity = capacity;
  line->length = width;
  line->flags = static_cast<uint16_t>((line->flags & ~(LF_NOT_OWNED | LF_HAS_TABS)) | LF_TABS_EXPANDED);
  return true;
}

// Gives back the tabs of an expanded line (it stays expanded when no scratch space is had).
void compress_line(EditorRecord* rec, LineRecord* line) {
  if (!(line->flags & LF_TABS_EXPANDED)) return;
  line->flags &= ~static_cast<uint16_t>(LF_TABS_EXPANDED);
  char* scratch = static_cast<char*>(alloc_zeroed_silent(static_cast<size_t>(line->length) + 1));
  if (!scratch) return;
  int32_t n = entab_text(rec, line->text, line->length, scratch);
  memcpy(line->text, scratch, static_cast<size_t>(n));
  line->text[n] = '\0';
  line->length = n;
  free_block(scratch);
  note_tabs(line);
}

// Expands `count` lines from `first`; false (with them compressed again) when one fails.
bool expand_lines(EditorRecord* rec, LineRecord* first, int32_t count) {
  LineRecord* line = first;
  for (int32_t i = 0; i < count && line; ++i, line = line->next)
    if (!expand_line(rec, line)) {
      for (LineRecord* l = first; l != line; l = l->next) compress_line(rec, l);
      return false;
    }
  return true;
}

void compress_lines(EditorRecord* rec, LineRecord* first, int32_t count) {
  for (LineRecord* line = first; count > 0 && line; --count, line = line->next) compress_line(rec, line);
}

// Adds a pick line for characters [from, to) of `source`.
bool pick_piece(Chain* chain, const LineRecord* source, int32_t from, int32_t to, bool endsInBreak) {
  if (from > source->length) from = source->length;
  if (to > source->length) to = source->length;
  if (to < from) to = from;
  LineRecord* line = new_line(g_pickBuffer, source->text + from, to - from);
  if (!line) return false;
  if (endsInBreak) line->flags |= LF_ENDED_BREAK;
  line->itemData = source->itemData;
  line->itemHeight = source->itemHeight;
  chain->add(line);
  return true;
}

// The ends of the complete selection in text order; false without one.
struct Ends {
  TextPosition a, b;
  bool inclusive;  // b's character belongs to the selection
  bool column;
};

bool selection_ends(const EditorRecord* rec, Ends* ends) {
  const Selection& sel = rec->selection;
  if (sel.state != SEL_COMPLETE || !sel.anchor.line || !sel.end.line) return false;
  TextPosition a = sel.anchor, b = sel.end;
  bool reversed = b.number < a.number || (b.number == a.number && b.column < a.column);
  // The anchor is always inside the selection; the end only when it is not exclusive.
  ends->inclusive = reversed || !(sel.kind & SEL_EXCLUSIVE);
  if (reversed) {
    TextPosition t = a;
    a = b;
    b = t;
  }
  ends->a = a;
  ends->b = b;
  ends->column = (sel.kind & SEL_COLUMN) != 0;
  return true;
}

void column_bounds(const Ends& e, int32_t* low, int32_t* high) {
  *low = e.a.column < e.b.column ? e.a.column : e.b.column;
  *high = (e.a.column < e.b.column ? e.b.column : e.a.column) + (e.inclusive ? 1 : 0);
}

// Copies the selection into `chain`; answers the pick kind, 0 when memory ran out.
uint8_t copy_selection(const EditorRecord* rec, const Ends& e, Chain* chain) {
  LineRecord* line = e.a.line;
  if (e.column) {
    int32_t low, high;
    column_bounds(e, &low, &high);
    for (int32_t n = e.a.number; line && n <= e.b.number; ++n, line = line->next) {
      bool made;
      if (tabs_expand(rec, line)) {
        // The same columns of the line as it is shown.
        LineRecord shown = *line;
        shown.text =
            static_cast<char*>(alloc_zeroed(static_cast<size_t>(expanded_text(rec, line, nullptr)) + 1));
        if (!shown.text) return 0;
        shown.length = expanded_text(rec, line, shown.text);
        made = pick_piece(chain, &shown, low, high, true);
        free_block(shown.text);
      } else {
        made =
            pick_piece(chain, line, index_of_column(rec, line, low), index_of_column(rec, line, high), true);
      }
      if (!made) return 0;
    }
    return PICK_COLUMN;
  }
  int32_t from = index_of_column(rec, e.a.line, e.a.column);
  int32_t to = index_of_column(rec, e.b.line, e.b.column) + (e.inclusive ? 1 : 0);
  if (to > e.b.line->length) to = e.b.line->length;
  // Every piece but the last runs to its line's end and takes the break: the deletion
  // keeps the last line's break, so a cut pasted back gives the text it took.
  for (int32_t n = e.a.number; line && n <= e.b.number; ++n, line = line->next) {
    int32_t f = n == e.a.number ? from : 0;
    int32_t t = n == e.b.number ? to : line->length;
    if (!pick_piece(chain, line, f, t, n < e.b.number)) return 0;
  }
  return e.a.line == e.b.line && to < e.b.line->length ? PICK_PARTIAL : PICK_STREAM;
}

// Copies the pick buffer's own lines into `chain` (cut and append builds a new list).
bool copy_pick(Chain* chain) {
  for (LineRecord* line = g_pickBuffer->firstLine; line; line = line->next) {
    LineRecord* copy = new_line(g_pickBuffer, line->text, line->length);
    if (!copy) return false;
    copy->flags |= line->flags & LF_ENDED_BREAK;
    copy->itemData = line->itemData;
    copy->itemHeight = line->itemHeight;
    chain->add(copy);
  }
  return true;
}

// Replaces the pick buffer's lines with `chain`. The old lines go to a pick record for
// undo, or are freed when none is written; unless `plainDelete`, the clipboard is emptied.
void set_pick(EditorRecord* rec, Chain* chain, uint8_t kind, bool plainDelete) {
  LineRecord* old = g_pickBuffer->firstLine;
  if (!undo_record_pick(rec, 0, 0)) free_chain(g_pickBuffer, old);
  if (!plainDelete) clear_clipboard_text(rec->wnd);
  g_pickBuffer->firstLine = g_pickBuffer->currentLine = chain->first;
  g_pickBuffer->lastLine = chain->last;
  g_pickBuffer->lineCount = chain->count;
  g_pickBuffer->lineNumber = chain->first ? 1 : 0;
  g_pickBuffer->selection.kind = kind;
  *chain = Chain();
}

// The kind of the pick buffer after `kind` was appended to it.
uint8_t appended_kind(uint8_t kind) {
  if (!g_pickBuffer->firstLine) return kind;
  if ((g_pickBuffer->selection.kind & PICK_LINES) && (kind & PICK_LINES)) return PICK_LINES | PICK_STREAM;
  return PICK_STREAM;
}

// Removes a line of the text with its undo records; the only line left is emptied
// instead, so that nothing needs to be allocated.
void remove_line(EditorRecord* rec, LineRecord* line, int32_t number) {
  if (line->length > 0) undo_record_delete(rec, number, 0, line->text, line->length);
  if (rec->lineCount == 1) {
    line->length = 0;
    line->text[0] = '\0';
    line->flags &= ~static_cast<uint16_t>(LF_HAS_TABS);
    ++rec->changes;
    return;
  }
  undo_record_line(rec, number, UNDO_DELLINE);
  unlink_line(rec, line);
}

// Links the lines of `made` above the caret's line, which keeps its number: the caret
// stands on the first of them.
void insert_above(EditorRecord* rec, Chain* made) {
  int32_t number = rec->lineNumber;
  int32_t n = number;
  for (LineRecord* fresh = made->first; fresh; ++n) {
    LineRecord* next = fresh->next;
    link_before_current(fresh, rec);
    undo_record_line(rec, n, UNDO_INSLINE);
    undo_record_insert(rec, n, 0, nullptr, fresh->length, UNDO_KIND_INSERT);
    fresh = next;
  }
  *made = Chain();
  rec->currentLine = step_lines(rec, rec->firstLine, number - 1);
  rec->lineNumber = number;
}

// Finishes a command that changed the text.
void edited(EditorRecord* rec) {
  ++rec->changes;
  ++rec->positionChanges;
  invalidate_from_row(rec, 0);
}

// Cut, append, copy or delete of repeat-count lines from the caret's line; `plainDelete`
// leaves the clipboard alone.
LRESULT lines_to_pick(EditorRecord* rec, BlockOp op, int32_t count, bool plainDelete) {
  Chain chain;
  bool append = op == BLOCK_APPEND;
  if (append && !copy_pick(&chain)) {
    chain.release();
    return 0;
  }
  LineRecord* line = rec->currentLine;
  for (int32_t i = 0; i < count && line; ++i, line = line->next)
    if (!pick_piece(&chain, line, 0, line->length, true)) {
      chain.release();
      return 0;
    }
  uint8_t kind = append ? appended_kind(PICK_LINES | PICK_STREAM) : PICK_LINES | PICK_STREAM;
  set_pick(rec, &chain, kind, plainDelete);
  if (op != BLOCK_COPY) {
    int32_t column = rec->caretColumn;
    for (int32_t i = 0; i < count && rec->currentLine; ++i) {
      bool last = !rec->currentLine->next;
      remove_line(rec, rec->currentLine, rec->lineNumber);
      if (last) break;
    }
    rec->caretColumn = column;
    edited(rec);
  }
  return 1;
}

void hand_to_clipboard(EditorRecord* rec, BlockOp op) {
  if (op != BLOCK_DELETE) copy_pick_to_clipboard(rec->wnd);
}

}  // namespace

bool erase_selection(EditorRecord* rec) {
  Ends e;
  if (!selection_ends(rec, &e)) return false;
  Selection kept = rec->selection;
  rec->selection = Selection();
  if (e.column) {
    int32_t low, high;
    column_bounds(e, &low, &high);
    int32_t rows = e.b.number - e.a.number + 1;
    if (!expand_lines(rec, e.a.line, rows)) {
      rec->selection = kept;
      return false;
    }
    LineRecord* line = e.a.line;
    for (int32_t n = e.a.number; line && n <= e.b.number; ++n, line = line->next) {
      int32_t from = index_of_column(rec, line, low), to = index_of_column(rec, line, high);
      if (to <= from) continue;
      undo_record_delete(rec, n, column_of_index(rec, line, from), line->text + from, to - from);
      memmove(line->text + from, line->text + to, static_cast<size_t>(line->length - to) + 1);
      line->length -= to - from;
      note_tabs(line);
    }
    compress_lines(rec, e.a.line, rows);
    rec->currentLine = e.a.line;
    rec->lineNumber = e.a.number;
    rec->caretColumn = low;
  } else {
    int32_t from = index_of_column(rec, e.a.line, e.a.column);
    int32_t to = index_of_column(rec, e.b.line, e.b.column) + (e.inclusive ? 1 : 0);
    if (to > e.b.line->length) to = e.b.line->length;
    if (from > e.a.line->length) from = e.a.line->length;
    // Characters from `from` on the first line to `to` on the last, a break counting one.
    int32_t count = 0;
    LineRecord* line = e.a.line;
    for (int32_t n = e.a.number; line && n < e.b.number; ++n, line = line->next)
      count += line->length - (n == e.a.number ? from : 0) + 1;
    count += to - (e.a.line == e.b.line ? from : 0);
    LineRecord* keptLine = rec->currentLine;
    int32_t keptNumber = rec->lineNumber, keptColumn = rec->caretColumn;
    rec->currentLine = e.a.line;
    rec->lineNumber = e.a.number;
    rec->caretColumn = column_of_index(rec, e.a.line, from);
    if (count > 0 && delete_from_caret(rec, count) == 0) {
      rec->currentLine = keptLine;
      rec->lineNumber = keptNumber;
      rec->caretColumn = keptColumn;
      rec->selection = kept;
      return false;
    }
    rec->caretColumn = e.a.column;
  }
  edited(rec);
  return true;
}

bool block_operation(EditorRecord* rec, BlockOp op) {
  Ends e;
  if (!selection_ends(rec, &e)) return false;
  Chain chain;
  bool append = op == BLOCK_APPEND;
  if (append && !copy_pick(&chain)) {
    chain.release();
    return false;
  }
  uint8_t kind = copy_selection(rec, e, &chain);
  if (!kind) {
    chain.release();
    return false;
  }
  if (op == BLOCK_COPY) {
    set_pick(rec, &chain, kind, false);
    if (!(rec->options.WindowsCompatibility & 4)) {
      rec->selection = Selection();
      rec->currentLine = e.a.line;
      rec->lineNumber = e.a.number;
      rec->caretColumn = e.a.column;
      invalidate_from_row(rec, 0);
    }
    return true;
  }
  // The text goes first: when its deletion is refused the pick buffer was not touched.
  if (!erase_selection(rec)) {
    chain.release();
    return false;
  }
  set_pick(rec, &chain, append ? appended_kind(kind) : kind, op == BLOCK_DELETE);
  return true;
}

bool delete_selection(EditorRecord* rec) { return block_operation(rec, BLOCK_DELETE); }

LRESULT marked_lines_to_pick(EditorRecord* rec, BlockOp op) {
  if (rec->markedCount <= 0 || !rec->markFirst) return 0;
  Chain chain;
  bool append = op == BLOCK_APPEND;
  bool made = !append || copy_pick(&chain);
  for (LineRecord* line = rec->markFirst; made && line; line = line->next) {
    if (line->flags & LF_MARKED) made = pick_piece(&chain, line, 0, line->length, true);
    if (line == rec->markLast) break;
  }
  if (!made) {
    chain.release();
    return 0;
  }
  set_pick(rec, &chain, append ? appended_kind(PICK_LINES | PICK_STREAM) : PICK_LINES | PICK_STREAM,
           op == BLOCK_DELETE);
  if (op != BLOCK_COPY) {
    // The caret's line stays current when it is kept; unlinking moves it on otherwise.
    int32_t column = rec->caretColumn;
    LineRecord* line = rec->firstLine;
    for (int32_t n = 1; line;) {
      LineRecord* next = line->next;
      if (line->flags & LF_MARKED) {
        line->flags &= ~static_cast<uint16_t>(LF_MARKED);
        --rec->markedCount;
        remove_line(rec, line, n);
      } else {
        ++n;
      }
      line = next;
    }
    rec->caretColumn = column;
    ++rec->changes;
  }
  for (LineRecord* line = rec->firstLine; line; line = line->next)
    line->flags &= ~static_cast<uint16_t>(LF_MARKED);
  rec->markedCount = 0;
  rec->markLow = kNoMarkLow;
  rec->markHigh = 0;
  rec->markFirst = rec->markLast = nullptr;
  ++rec->positionChanges;
  invalidate_from_row(rec, 0);
  return 1;
}

bool paste_pick(EditorRecord* rec, int32_t times) {
  LineRecord* line = rec->currentLine;
  if (!g_pickBuffer || !g_pickBuffer->firstLine || !line || times < 1) return false;
  uint8_t kind = g_pickBuffer->selection.kind;
  int32_t number = rec->lineNumber, column = rec->caretColumn;
  if (kind & PICK_LINES) {
    // Whole lines go in above the caret's line, their text at the caret's column.
    Chain made;
    for (int32_t t = 0; t < times; ++t)
      for (LineRecord* pick = g_pickBuffer->firstLine; pick; pick = pick->next) {
        LineRecord* fresh = new_line(rec, pick->text, pick->length, column);
        if (!fresh) {
          free_chain(rec, made.first);
          return false;
        }
        fresh->itemData = pick->itemData;
        fresh->itemHeight = pick->itemHeight;
        made.add(fresh);
      }
    insert_above(rec, &made);
  } else if (kind & PICK_COLUMN) {
    // Each pick line goes into the next line down at the caret's column; pieces shorter
    // than the block are padded where text follows them, so that it stays aligned.
    int32_t width = 0;
    for (LineRecord* pick = g_pickBuffer->firstLine; pick; pick = pick->next)
      if (pick->length > width) width = pick->length;
    Chain added;  // lines the text lacks below
    int32_t rows = g_pickBuffer->lineCount;
    if (!expand_lines(rec, line, rows)) return false;
    LineRecord* target = line;
    for (LineRecord* pick = g_pickBuffer->firstLine; pick; pick = pick->next) {
      if (!target) {
        LineRecord* fresh = make_line(room_capacity(column + width * times + 1), rec);
        if (!fresh) {
          free_chain(rec, added.first);
          compress_lines(rec, line, rows);
          return false;
        }
        added.add(fresh);
        continue;
      }
      int32_t length = display_length(rec, target);
      int32_t grow = (column > length ? column - length : 0) + width * times;
      if (!ensure_room(target, grow)) {
        free_chain(rec, added.first);
        compress_lines(rec, line, rows);
        return false;
      }
      target = target->next;
    }
    for (LineRecord* fresh = added.first; fresh;) {
      LineRecord* next = fresh->next;
      link_after(fresh, rec->lastLine, rec);
      undo_record_line(rec, rec->lineCount, UNDO_INSLINE);
      fresh = next;
    }
    target = line;
    int32_t n = number;
    for (LineRecord* pick = g_pickBuffer->firstLine; pick && target;
         pick = pick->next, target = target->next, ++n) {
      int32_t length = display_length(rec, target);
      int32_t padding = column > length ? column - length : 0;
      int32_t at = padding ? target->length : index_of_column(rec, target, column);
      bool textFollows = at < target->length;
      int32_t piece = textFollows ? width : pick->length;
      int32_t count = piece * times;
      if (padding + count == 0) continue;
      undo_record_insert(rec, n, padding ? length : column_of_index(rec, target, at), nullptr,
                         padding + count, UNDO_KIND_INSERT);
      memset(target->text + target->length, ' ', static_cast<size_t>(padding));
      target->length += padding;
      at += padding;
      memmove(target->text + at + count, target->text + at, static_cast<size_t>(target->length - at) + 1);
      for (int32_t t = 0; t < times; ++t) {
        char* to = target->text + at + t * piece;
        memcpy(to, pick->text, static_cast<size_t>(pick->length));
        memset(to + pick->length, ' ', static_cast<size_t>(piece - pick->length));
      }
      target->length += count;
      note_tabs(target);
    }
    compress_lines(rec, line, rows);
  } else {
    // Stream text: the pieces with a break after each that is followed by another or
    // ended in one, put in whole.
    int32_t size = 0;
    for (LineRecord* pick = g_pickBuffer->firstLine; pick; pick = pick->next) size += pick->length + 1;
    char* text = static_cast<char*>(alloc_zeroed(static_cast<size_t>(size) * static_cast<size_t>(times) + 1));
    if (!text) return false;
    int32_t n = 0;
    for (int32_t t = 0; t < times; ++t)
      for (LineRecord* pick = g_pickBuffer->firstLine; pick; pick = pick->next) {
        memcpy(text + n, pick->text, static_cast<size_t>(pick->length));
        n += pick->length;
        if (pick->next || (pick->flags & LF_ENDED_BREAK)) text[n++] = '\n';
      }
    bool done = insert_with_breaks(rec, text, n);
    free_block(text);
    if (!done) return false;
    rec->currentLine = step_lines(rec, rec->firstLine, number - 1);
    rec->lineNumber = number;
  }
  rec->caretColumn = column;
  edited(rec);
  return true;
}

LRESULT cmd_delete_line(EditorRecord* rec) {
  if (read_only(rec)) return 0;
  // Like a standard edit's clear, the delete keys leave the clipboard alone.
  if (rec->selection.state == SEL_COMPLETE) return block_operation(rec, BLOCK_DELETE) ? 1 : 0;
  if (rec->markedCount > 0) return marked_lines_to_pick(rec, BLOCK_DELETE);
  // Lines deleted one after another collect in one pick buffer.
  bool again = rec->previousCommand && rec->previousCommand->message == KE_DELETE_LINE;
  if (again && g_pickBuffer->firstLine && (g_pickBuffer->selection.kind & PICK_LINES))
    return lines_to_pick(rec, BLOCK_APPEND, repeat_count(), true);
  return lines_to_pick(rec, BLOCK_DELETE, repeat_count(), true);
}

LRESULT cmd_cut(EditorRecord* rec) {
  if (read_only(rec)) return 0;
  LRESULT done;
  if (rec->selection.state == SEL_COMPLETE)
    done = block_operation(rec, BLOCK_CUT) ? 1 : 0;
  else if (rec->markedCount > 0)
    done = marked_lines_to_pick(rec, BLOCK_CUT);
  else if (rec->options.WindowsCompatibility & 2)
    return 1;  // no selection: nothing to cut
  else
    done = lines_to_pick(rec, BLOCK_CUT, repeat_count(), false);
  if (done) hand_to_clipboard(rec, BLOCK_CUT);
  return done;
}

LRESULT cmd_cut_append(EditorRecord* rec) {
  if (read_only(rec)) return 0;
  LRESULT done;
  if (rec->selection.state == SEL_COMPLETE)
    done = block_operation(rec, BLOCK_APPEND) ? 1 : 0;
  else if (rec->markedCount > 0)
    done = marked_lines_to_pick(rec, BLOCK_APPEND);
  else
    done = lines_to_pick(rec, BLOCK_APPEND, repeat_count(), false);
  if (done) hand_to_clipboard(rec, BLOCK_APPEND);
  return done;
}

LRESULT cmd_copy(EditorRecord* rec) {
  LRESULT done;
  if (rec->selection.state == SEL_COMPLETE)
    done = block_operation(rec, BLOCK_COPY) ? 1 : 0;
  else if (rec->markedCount > 0)
    done = marked_lines_to_pick(rec, BLOCK_COPY);
  else if (rec->options.WindowsCompatibility & 2)
    return 1;
  else
    done = lines_to_pick(rec, BLOCK_COPY, repeat_count(), false);
  if (done) hand_to_clipboard(rec, BLOCK_COPY);
  return done;
}

LRESULT cmd_duplicate(EditorRecord* rec) {
  if (read_only(rec)) return 0;
  rec->selection = Selection();  // duplicate works on lines
  // The copies for the pick buffer and for the text are both made before either changes.
  Chain pick, made;
  int32_t count = repeat_count();
  LineRecord* line = rec->currentLine;
  bool ok = true;
  for (int32_t i = 0; ok && i < count && line; ++i, line = line->next) {
    ok = pick_piece(&pick, line, 0, line->length, true);
    LineRecord* fresh = ok ? new_line(rec, line->text, line->length) : nullptr;
    if (fresh) {
      fresh->itemData = line->itemData;
      fresh->itemHeight = line->itemHeight;
      made.add(fresh);
    }
    ok = ok && fresh;
  }
  if (!ok) {
    pick.release();
    free_chain(rec, made.first);
    return 0;
  }
  set_pick(rec, &pick, PICK_LINES | PICK_STREAM, false);
  hand_to_clipboard(rec, BLOCK_COPY);
  insert_above(rec, &made);
  // The caret goes down one line: onto the line it stood on.
  if (rec->currentLine->next) {
    rec->currentLine = rec->currentLine->next;
    ++rec->lineNumber;
  }
  edited(rec);
  return 1;
}

LRESULT cmd_paste_pick(EditorRecord* rec) {
  if (read_only(rec)) return 0;
  if (rec->selection.state == SEL_COMPLETE && (rec->options.WindowsCompatibility & 1) &&
      !erase_selection(rec))
    return 0;
  return paste_pick(rec, repeat_count()) ? 1 : 0;
}

LRESULT cmd_paste_pick_once(EditorRecord* rec) {
  if (read_only(rec)) return 0;
  if (rec->selection.state == SEL_COMPLETE && (rec->options.WindowsCompatibility & 1) &&
      !erase_selection(rec))
    return 0;
  return paste_pick(rec, 1) ? 1 : 0;
}

}  // namespace ked
