// Line primitives of the text model.
#include "edlines.h"

#include <string.h>

#include "edmem.h"
#include "edownerdraw.h"
#include "edrecord.h"
#include "edstate.h"
#include "edundo.h"

namespace ked {

namespace {

HWND box_owner(EditorRecord* rec) { return rec && rec->wnd ? rec->wnd : g_creatingWindow; }

// Lines of a window's text tell an owner-drawn window's owner that they go.
void free_line(EditorRecord* rec, LineRecord* line, bool ofTheText = true) {
  if (ofTheText && rec && (rec->state & ST_OWNER_DRAWN)) forget_owner_line(rec, line);
  if (!(line->flags & LF_NOT_OWNED)) free_block(line->text);
  free_block(line);
}

// Drops every reference the record holds to a line that is about to go.
void forget_line(EditorRecord* rec, LineRecord* line) {
  for (TextPosition& mark : rec->bookmarks)
    if (mark.line == line) mark = TextPosition();
  Selection& sel = rec->selection;
  if (sel.state != SEL_NONE &&
      (sel.anchor.line == line || sel.end.line == line || sel.savedAnchor.line == line))
    sel = Selection();
  LineRecord* neighbour = line->next ? line->next : line->previous;
  if (rec->markFirst == line) rec->markFirst = neighbour;
  if (rec->markLast == line) rec->markLast = neighbour;
  if (line->flags & LF_MARKED) --rec->markedCount;
  if (ViewRecord* view = rec->view) {
    if (view->firstLine == line) {
      view->firstLine = line->next;
      if (!view->firstLine) {
        view->firstLine = line->previous;
        if (view->firstNumber > 1) --view->firstNumber;
      }
    }
    if (view->lastLine == line) view->lastLine = line->previous ? line->previous : line->next;
  }
}

bool is_before_current(EditorRecord* rec, LineRecord* line) {
  for (LineRecord* l = rec->currentLine; l; l = l->previous)
    if (l == line) return true;
  return false;
}

}  // namespace

int32_t line_capacity(int32_t length) { return length ? (length / 16 + 1) * 16 : 8; }

LineRecord* make_line(int32_t capacity, EditorRecord* rec) {
  if (capacity < 9) capacity = 8;
  LineRecord* line = static_cast<LineRecord*>(alloc_zeroed_silent(sizeof(LineRecord)));
  char* text = line ? static_cast<char*>(alloc_zeroed_silent(capacity)) : nullptr;
  if (!text) {
    free_block(line);
    MessageBoxA(box_owner(rec), "init_line() - MEM_ALLOC returns NULL", "", MB_OK);
    return nullptr;
  }
  line->text = text;
  line->capacity = capacity;
  if (rec && (rec->state & ST_FORMATTED) && rec->currentLine) {
    line->formatIndex = rec->currentLine->formatIndex;
    line->formatHeight = rec->currentLine->formatHeight;
  }
  return line;
}

void link_after(LineRecord* line, LineRecord* after, EditorRecord* rec) {
  if (!after) {
    line->previous = nullptr;
    line->next = rec->firstLine;
    if (rec->firstLine)
      rec->firstLine->previous = line;
    else
      rec->lastLine = line;
    rec->firstLine = line;
    if (rec->currentLine) ++rec->lineNumber;
  } else {
    line->previous = after;
    line->next = after->next;
    if (after->next)
      after->next->previous = line;
    else
      rec->lastLine = line;
    after->next = line;
    if (rec->currentLine && after != rec->currentLine && is_before_current(rec, after)) ++rec->lineNumber;
  }
  ++rec->lineCount;
}

void link_before_current(LineRecord* line, EditorRecord* rec) {
  LineRecord* current = rec->currentLine;
  if (!current) {
    link_after(line, nullptr, rec);
    return;
  }
  line->next = current;
  line->previous = current->previous;
  if (current->previous)
    current->previous->next = line;
  else
    rec->firstLine = line;
  current->previous = line;
  ++rec->lineCount;
  ++rec->lineNumber;
}

LineRecord* unlink_line(EditorRecord* rec, LineRecord* line) {
  if (!line->previous && !line->next) {
    // The replacement is made first, so that a failed allocation leaves the text alone.
    LineRecord* fresh = make_line(kEmptyLineCapacity, rec);
    if (!fresh) return nullptr;
    forget_line(rec, line);
    free_line(rec, line);
    rec->firstLine = rec->lastLine = rec->currentLine = fresh;
    rec->lineCount = 1;
    rec->lineNumber = 1;
    rec->caretColumn = 0;
    if (rec->view) {
      rec->view->firstLine = rec->view->lastLine = fresh;
      rec->view->firstNumber = 1;
    }
    ++rec->changes;
    return fresh;
  }
  LineRecord* replacement = line->next ? line->next : line->previous;
  forget_line(rec, line);
  if (line == rec->currentLine) {
    rec->currentLine = replacement;
    if (replacement == line->previous) --rec->lineNumber;
  } else if (is_before_current(rec, line)) {
    --rec->lineNumber;
  }
  if (rec->lineNumber < 1) rec->lineNumber = 1;
  if (line->previous)
    line->previous->next = line->next;
  else
    rec->firstLine = line->next;
  if (line->next)
    line->next->previous = line->previous;
  else
    rec->lastLine = line->previous;
  --rec->lineCount;
  free_line(rec, line);
  ++rec->changes;
  return replacement;
}

void free_list(EditorRecord* rec, LineRecord* from) {
  if (!from) return;
  bool currentGoes = false;
  LineRecord* before = from->previous;
  for (LineRecord* l = from; l;) {
    LineRecord* next = l->next;
    if (l == rec->currentLine) currentGoes = true;
    l->previous = nullptr;  // keeps forget_line from moving references onto freed lines
    l->next = nullptr;
    forget_line(rec, l);
    free_line(rec, l);
    --rec->lineCount;
    l = next;
  }
  if (before)
    before->next = nullptr;
  else
    rec->firstLine = nullptr;
  rec->lastLine = before;
  if (rec->lineCount < 0) rec->lineCount = 0;
  if (currentGoes) {
    rec->currentLine = before;
    rec->lineNumber = before ? rec->lineCount : 0;
  }
}

void free_chain(EditorRecord* rec, LineRecord* first) {
  while (first) {
    LineRecord* next = first->next;
    free_line(rec, first, false);
    first = next;
  }
}

LineRecord* step_lines(EditorRecord*, LineRecord* from, int32_t n) {
  if (!from) return nullptr;
  for (; n > 0 && from->next; --n) from = from->next;
  for (; n < 0 && from->previous; ++n) from = from->previous;
  return from;
}

int32_t line_number(EditorRecord* rec, LineRecord* line) {
  int32_t number = 1;
  for (LineRecord* l = rec->firstLine; l; l = l->next, ++number)
    if (l == line) return number;
  return 0;
}

bool ensure_line(EditorRecord* rec) {
  if (rec->currentLine) return true;
  if (rec->firstLine) {
    rec->currentLine = rec->firstLine;
    rec->lineNumber = 1;
    return true;
  }
  LineRecord* line = make_line(kEmptyLineCapacity, rec);
  if (!line) return false;
  rec->firstLine = rec->lastLine = rec->currentLine = line;
  rec->lineCount = 1;
  rec->lineNumber = 1;
  return true;
}

void reset_text(EditorRecord* rec) {
  rec->firstLine = rec->lastLine = rec->currentLine = nullptr;
  rec->lineNumber = 0;
  rec->lineCount = 0;
  rec->changes = 0;
  rec->caretColumn = 0;
  rec->caretRow = -1;     // no view yet: the next display update places the line
  undo_clear(rec->undo);  // the records refer to the text that went
  rec->selection = Selection();
  for (TextPosition& mark : rec->bookmarks) mark = TextPosition();
  rec->markedCount = 0;
  rec->markLow = kNoMarkLow;
  rec->markHigh = 0;
  rec->markFirst = rec->markLast = nullptr;
  if (rec->view) rec->view->firstLine = rec->view->lastLine = nullptr;
  rec->caret.row = 1;
  rec->caret.column = 0;
}

}  // namespace ked
