// Undo records: writing and merging them, the text ring, undo, redo and the dump.
#include "edundo.h"

#include <stdio.h>
#include <string.h>

#include "edinsert.h"
#include "edlines.h"
#include "edmem.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edstate.h"
#include "edview.h"

namespace ked {

namespace {

int s_replaying;  // process-wide: replays of every window suppress recording
DebugOutput s_debugOutput;

// What a pick record keeps of the shared pick buffer.
struct PickSnapshot {
  LineRecord* first;
  LineRecord* last;
  int32_t lineCount;
  uint8_t state;
  uint8_t flag1;
  uint8_t flag2;
};

int next_slot(const UndoState* u, int i) { return (i + 1) % u->slotCount; }
int previous_slot(const UndoState* u, int i) { return (i + u->slotCount - 1) % u->slotCount; }
int32_t base_type(int32_t type) { return type == UNDO_EMPTY ? UNDO_EMPTY : (type & 0xFF); }
bool grouped(int32_t type) { return type != UNDO_EMPTY && (type & UNDO_GROUPED); }

bool recording(const EditorRecord* rec) { return rec->undo && rec->options.UndoEnabled && !s_replaying; }

// ---- text ring ----

int32_t ring_store(UndoState* u, const char* text, int32_t n, uint32_t* start) {
  *start = u->textStored;
  int32_t index = u->textWrite;
  for (int32_t i = 0; i < n; ++i) {
    u->text[u->textWrite] = text[i];
    u->textWrite = (u->textWrite + 1) % kUndoTextRing;
  }
  u->textFill = u->textFill + n > kUndoTextRing ? kUndoTextRing : u->textFill + n;
  u->textStored += static_cast<uint32_t>(n);
  return index;
}

void ring_read(const UndoState* u, int32_t index, char* out, int32_t n) {
  for (int32_t i = 0; i < n; ++i) out[i] = u->text[(index + i) % kUndoTextRing];
}

// The record's text is still whole in the ring (or it needs none).
bool text_alive(const UndoState* u, const UndoRecord& r) {
  if (r.textIndex < 0) return true;
  uint32_t age = u->textStored - r.textStart;
  return age <= static_cast<uint32_t>(kUndoTextRing) && static_cast<uint32_t>(r.count) <= age;
}

// True when the record's text ends with the newest byte of the ring, so that more text
// may be stored right behind it.
bool text_is_newest(const UndoState* u, const UndoRecord& r) {
  return r.textIndex >= 0 && text_alive(u, r) &&
         r.textStart + static_cast<uint32_t>(r.count) == u->textStored;
}

// ---- records ----

void free_saved_lines(UndoRecord& r) {
  if (r.savedLines && !(g_pickBuffer && g_pickBuffer->firstLine == r.savedLines))
    free_chain(g_pickBuffer, r.savedLines);
  r.savedLines = nullptr;
}

void empty_slot(UndoRecord& r) {
  free_saved_lines(r);
  r.type = UNDO_EMPTY;
  r.textIndex = -1;
}

// After an undo, the records from the current one up to the redo limit are the redo
// chain; a new command or record makes them unreachable. (In a full ring the slot after
// the current one may hold the oldest record, so nothing is dropped without a limit.)
void drop_redo(UndoState* u) {
  if (u->redoLimit < 0) return;
  if (u->exhausted) {
    // The whole ring was undone: every record is the redo chain.
    for (UndoRecord& slot : u->slots) empty_slot(slot);
  } else {
    for (int i = u->current; i != u->redoLimit;) {
      i = next_slot(u, i);
      empty_slot(u->slots[i]);
    }
  }
  u->redoLimit = -1;
  u->exhausted = 0;
}

UndoRecord& write_record(EditorRecord* rec, int32_t type, int32_t line, int32_t column, int32_t count) {
  UndoState* u = rec->undo;
  drop_redo(u);
  u->exhausted = 0;
  u->current = next_slot(u, u->current < 0 ? u->slotCount - 1 : u->current);
  UndoRecord& r = u->slots[u->current];
  empty_slot(r);
  r.type = type | (u->groupOpen ? UNDO_GROUPED : 0);
  r.line = line;
  r.column = column;
  r.count = count;
  r.changed = rec->changes != 0;
  r.textIndex = -1;
  r.textStart = 0;
  return r;
}

UndoRecord* latest(UndoState* u) {
  if (u->current < 0 || u->slots[u->current].type == UNDO_EMPTY) return nullptr;
  if (u->redoLimit >= 0) return nullptr;  // the next record drops the redo chain first
  return &u->slots[u->current];
}

// Merges a deletion, insertion or overwrite into the latest record when it continues it.
bool merge_text(EditorRecord* rec, int32_t type, int32_t line, int32_t column, const char* text,
                int32_t count) {
  UndoState* u = rec->undo;
  UndoRecord* r = latest(u);
  if (!r || base_type(r->type) != type || r->line != line) return false;
  bool repeatedDelete = type == UNDO_DELETE && r->column == column;
  bool typingOn = !(text && text[0] == '\n') && r->column + r->count == column;
  if (!repeatedDelete && !typingOn) return false;
  if (type == UNDO_INSERT) {
    r->count += count;
    return true;
  }
  // Saved text must continue right behind the earlier text, or the record could not hold it.
  if (!text_is_newest(u, *r)) return false;
  uint32_t start;
  ring_store(u, text, count, &start);
  r->count += count;
  return true;
}

void record_text(EditorRecord* rec, int32_t type, int32_t line, int32_t column, const char* text,
                 int32_t count) {
  if (count <= 0) return;
  if (merge_text(rec, type, line, column, text, count)) return;
  UndoRecord& r = write_record(rec, type, line, column, count);
  if (type != UNDO_INSERT) r.textIndex = ring_store(rec->undo, text, count, &r.textStart);
}

// ---- replay ----

// Goes to the record's position; answers true when lines had to be appended to reach it.
bool go_to(EditorRecord* rec, int32_t line, int32_t column) {
  if (line < 1) line = 1;
  bool appended = false;
  while (line > rec->lineCount) {
    LineRecord* fresh = make_line(kEmptyLineCapacity, rec);
    if (!fresh) break;
    link_after(fresh, rec->lastLine, rec);
    appended = true;
  }
  if (line > rec->lineCount) line = rec->lineCount;
  rec->currentLine = step_lines(rec, rec->firstLine, line - 1);
  rec->lineNumber = line;
  rec->caretColumn = column < 0 ? 0 : column;
  rec->caretRow = view_row_of_current(rec);
  ++rec->positionChanges;
  return appended;
}

// Saves the `count` characters at the caret in the ring (keeping the record's index when
// the ring still holds the same text) and deletes them.
void take_text(EditorRecord* rec, UndoRecord& r, int32_t count) {
  UndoState* u = rec->undo;
  char* now = static_cast<char*>(alloc_zeroed(static_cast<size_t>(count) + 1));
  if (!now) return;
  int32_t n = text_from_caret(rec, now, count);
  bool same = false;
  if (r.textIndex >= 0 && text_alive(u, r) && r.count == n) {
    char* held = static_cast<char*>(alloc_zeroed(static_cast<size_t>(n) + 1));
    if (held) {
      ring_read(u, r.textIndex, held, n);
      same = memcmp(held, now, static_cast<size_t>(n)) == 0;
      free_block(held);
    }
  }
  if (!same) r.textIndex = ring_store(u, now, n, &r.textStart);
  r.count = n;
  delete_from_caret(rec, n);
  free_block(now);
}

// Puts the record's saved text back at the caret.
void put_back(EditorRecord* rec, const UndoRecord& r, int32_t count) {
  char* saved = static_cast<char*>(alloc_zeroed(static_cast<size_t>(count) + 1));
  if (!saved) return;
  ring_read(rec->undo, r.textIndex, saved, count);
  insert_with_breaks(rec, saved, count);
  free_block(saved);
}

void swap_pick(EditorRecord* rec, UndoRecord& r) {
  if (!g_pickBuffer || r.textIndex < 0) return;
  PickSnapshot saved;
  ring_read(rec->undo, r.textIndex, reinterpret_cast<char*>(&saved), sizeof saved);
  PickSnapshot live = {g_pickBuffer->firstLine,
                       g_pickBuffer->lastLine,
                       g_pickBuffer->lineCount,
                       g_pickBuffer->selection.kind,
                       saved.flag1,
                       saved.flag2};
  g_pickBuffer->firstLine = g_pickBuffer->currentLine = saved.first;
  g_pickBuffer->lastLine = saved.last;
  g_pickBuffer->lineCount = saved.lineCount;
  g_pickBuffer->lineNumber = saved.first ? 1 : 0;
  g_pickBuffer->selection.kind = saved.state;
  r.textIndex = ring_store(rec->undo, reinterpret_cast<const char*>(&live), sizeof live, &r.textStart);
  r.count = sizeof live;
  r.savedLines = live.first;
}

void replay(EditorRecord* rec, UndoRecord& r, bool redo) {
  int32_t changedBefore = rec->changes != 0;
  int32_t type = base_type(r.type);
  int32_t fromLine = rec->lineNumber, fromColumn = rec->caretColumn;
  bool appended = go_to(rec, r.line, r.column);
  switch (type) {
    case UNDO_GOTO:
      r.line = fromLine;
      r.column = fromColumn;
      break;
    case UNDO_DELETE:
      put_back(rec, r, r.count);
      r.type = (r.type & ~0xFF) | UNDO_INSERT;
      if (!redo) go_to(rec, r.line, r.column);
      break;
    case UNDO_INSERT:
      take_text(rec, r, r.count);
      r.type = (r.type & ~0xFF) | UNDO_DELETE;
      break;
    case UNDO_REPLACE: {
      UndoRecord old = r;
      take_text(rec, r, r.count);
      put_back(rec, old, old.count);
      if (!redo) go_to(rec, r.line, r.column);
      break;
    }
    case UNDO_INSLINE:
      for (int32_t i = 0; i < r.count && rec->currentLine; ++i) {
        LineRecord* gone = rec->currentLine;
        if (rec->lineCount == 1) {
          // The only line stays; it is emptied instead.
          gone->length = 0;
          gone->text[0] = '\0';
          gone->flags &= ~static_cast<uint16_t>(LF_HAS_TABS);
          break;
        }
        bool wasLast = !gone->next;
        unlink_line(rec, gone);
        if (wasLast) break;
      }
      rec->caretColumn = r.column;
      r.type = (r.type & ~0xFF) | UNDO_DELLINE;
      break;
    case UNDO_DELLINE:
      if (!appended) {
        for (int32_t i = 0; i < r.count; ++i) {
          LineRecord* fresh = make_line(8, rec);
          if (!fresh) break;
          link_before_current(fresh, rec);
          rec->currentLine = fresh;
          --rec->lineNumber;
        }
      }
      rec->caretColumn = r.column;
      r.type = (r.type & ~0xFF) | UNDO_INSLINE;
      break;
    case UNDO_PICK:
      swap_pick(rec, r);
      break;
  }
  rec->changes = r.changed;
  r.changed = changedBefore;
  invalidate_from_row(rec, 0);
}

// The records of a group whose text the ring lost cannot be replayed.
bool group_replayable(const UndoState* u, int from, int to, bool forwards) {
  for (int i = from;; i = forwards ? next_slot(u, i) : previous_slot(u, i)) {
    const UndoRecord& r = u->slots[i];
    int32_t type = base_type(r.type);
    bool needsText = type == UNDO_DELETE || type == UNDO_REPLACE || type == UNDO_PICK;
    if (needsText && !text_alive(u, r)) return false;
    if (i == to) return true;
  }
}

const char* type_name(int32_t type) {
  switch (base_type(type)) {
    case UNDO_GOTO:
      return "U_GOTO";
    case UNDO_DELETE:
      return "U_DELETE";
    case UNDO_INSERT:
      return "U_INSERT";
    case UNDO_REPLACE:
      return "U_REPLACE";
    case UNDO_INSLINE:
      return "U_INSLINE";
    case UNDO_DELLINE:
      return "U_DELLINE";
    case UNDO_PICK:
      return "U_PICK";
  }
  return "U_UNKNOWN";
}

void debug_out(const char* text) {
  if (s_debugOutput)
    s_debugOutput(text);
  else
    OutputDebugStringA(text);
}

class ReplayScope {
 public:
  ReplayScope() { ++s_replaying; }
  ~ReplayScope() { --s_replaying; }
  ReplayScope(const ReplayScope&) = delete;
  ReplayScope& operator=(const ReplayScope&) = delete;
};

}  // namespace

UndoState* undo_create() {
  UndoState* undo = static_cast<UndoState*>(alloc_zeroed(sizeof(UndoState)));
  if (!undo) return nullptr;
  undo->slotCount = kUndoSlots;
  undo_clear(undo);
  return undo;
}

void undo_clear(UndoState* undo) {
  if (!undo) return;
  for (UndoRecord& slot : undo->slots) {
    if (slot.type != UNDO_EMPTY) free_saved_lines(slot);
    slot = UndoRecord();
    slot.type = UNDO_EMPTY;
    slot.textIndex = -1;
  }
  undo->current = -1;
  undo->redoLimit = -1;
  undo->groupOpen = 0;
  undo->exhausted = 0;
}

void undo_free(UndoState* undo) {
  undo_clear(undo);
  free_block(undo);
}

void undo_begin_command(EditorRecord* rec, bool isUndo, bool isRedo, bool afterUndoOrRedo) {
  UndoState* undo = rec->undo;
  if (!undo) return;
  if (isUndo) {
    // A record written outside a command (a click) also ends the undo run: no limit is set.
    if (!afterUndoOrRedo || undo->redoLimit < 0) undo->redoLimit = undo->current;
    return;
  }
  if (!isRedo) drop_redo(undo);
  undo->groupOpen = 1;
}

void undo_end_command(EditorRecord* rec) {
  UndoState* undo = rec->undo;
  if (!undo) return;
  undo->groupOpen = 0;
  if (undo->current >= 0 && undo->slots[undo->current].type != UNDO_EMPTY)
    undo->slots[undo->current].type &= ~UNDO_GROUPED;
}

bool undo_replaying() { return s_replaying != 0; }

void undo_record_caret(EditorRecord* rec, int32_t line, int32_t column) {
  if (!recording(rec)) return;
  write_record(rec, UNDO_GOTO, line, column, 0);
}

void undo_record_delete(EditorRecord* rec, int32_t line, int32_t column, const char* text, int32_t count) {
  if (!recording(rec) || !text) return;
  record_text(rec, UNDO_DELETE, line, column, text, count);
}

void undo_record_insert(EditorRecord* rec, int32_t line, int32_t column, const char* text, int32_t count,
                        UndoKind kind) {
  if (!recording(rec)) return;
  if (!text || kind != UNDO_KIND_OVERWRITE)
    record_text(rec, UNDO_INSERT, line, column, text, count);
  else
    record_text(rec, UNDO_REPLACE, line, column, text, count);
}

void undo_record_line(EditorRecord* rec, int32_t line, UndoType type) {
  if (!recording(rec)) return;
  UndoRecord* r = latest(rec->undo);
  if (r && base_type(r->type) == type && r->line == line) {
    ++r->count;
    return;
  }
  write_record(rec, type, line, 0, 1);
}

bool undo_record_pick(EditorRecord* rec, uint8_t flag1, uint8_t flag2) {
  if (!recording(rec) || !g_pickBuffer) return false;
  PickSnapshot snap = {g_pickBuffer->firstLine,
                       g_pickBuffer->lastLine,
                       g_pickBuffer->lineCount,
                       g_pickBuffer->selection.kind,
                       flag1,
                       flag2};
  UndoRecord& r = write_record(rec, UNDO_PICK, rec->lineNumber, rec->caretColumn, sizeof snap);
  r.textIndex = ring_store(rec->undo, reinterpret_cast<const char*>(&snap), sizeof snap, &r.textStart);
  r.savedLines = snap.first;
  return true;
}

LRESULT cmd_undo(EditorRecord* rec) {
  UndoState* u = rec->undo;
  if (!u || u->current < 0 || u->slots[u->current].type == UNDO_EMPTY || u->exhausted) {
    MessageBeep(0);
    return 0;
  }
  // In a full ring the walk ends at the redo limit: older slots there are the redo chain.
  int stop = previous_slot(u, u->current);
  while (stop != u->redoLimit && stop != u->current && grouped(u->slots[stop].type))
    stop = previous_slot(u, stop);
  // A record whose text newer text has overwritten is never replayed: undo ends there.
  if (!group_replayable(u, u->current, next_slot(u, stop), false)) {
    MessageBeep(0);
    return 0;
  }
  {
    ReplayScope scope;
    for (int i = u->current; i != stop; i = previous_slot(u, i)) replay(rec, u->slots[i], false);
  }
  u->current = stop;
  if (stop == u->redoLimit) u->exhausted = 1;
  return 1;
}

LRESULT cmd_redo(EditorRecord* rec) {
  UndoState* u = rec->undo;
  if (!u || u->redoLimit < 0 || (u->current == u->redoLimit && !u->exhausted)) return 0;
  int first = next_slot(u, u->current);
  if (u->slots[first].type == UNDO_EMPTY) return 0;
  int last = first;
  while (last != u->redoLimit && grouped(u->slots[last].type)) last = next_slot(u, last);
  if (!group_replayable(u, first, last, true)) return 0;
  {
    ReplayScope scope;
    for (int i = first;; i = next_slot(u, i)) {
      replay(rec, u->slots[i], true);
      if (i == last) break;
    }
  }
  u->current = last;
  u->exhausted = 0;
  return 1;
}

LRESULT cmd_dump_undo(EditorRecord* rec) {
  UndoState* u = rec->undo;
  if (!u || u->current < 0 || u->slots[u->current].type == UNDO_EMPTY) {
    debug_out("No commands to dump\r\n");
    return 0;
  }
  char line[160];
  int i = u->current;
  do {
    const UndoRecord& r = u->slots[i];
    if (r.type == UNDO_EMPTY) break;
    snprintf(line, sizeof line, "%d) <%s>\t\tlinenum [%ld]  col [%d]  nchars [%d]  index [%d]\r\n", i,
             type_name(r.type), static_cast<long>(r.line), static_cast<int>(r.column),
             static_cast<int>(r.count), static_cast<int>(r.textIndex));
    debug_out(line);
    int32_t type = base_type(r.type);
    if ((type == UNDO_INSERT || type == UNDO_DELETE || type == UNDO_REPLACE) && r.textIndex != -1 &&
        text_alive(u, r)) {
      char* text = static_cast<char*>(alloc_zeroed(static_cast<size_t>(r.count) + 10));
      if (text) {
        memcpy(text, "TEXT [", 6);
        ring_read(u, r.textIndex, text + 6, r.count);
        memcpy(text + 6 + r.count, "]\r\n", 4);
        debug_out(text);
        free_block(text);
      }
    }
    i = previous_slot(u, i);
    if (!grouped(u->slots[i].type)) debug_out("\r\n");
  } while (i != u->current);
  return 1;
}

LRESULT can_undo(EditorRecord* rec) {
  UndoState* u = rec->undo;
  return rec->options.UndoEnabled && u && u->current >= 0 && u->slots[u->current].type != UNDO_EMPTY &&
         !u->exhausted;
}

void set_debug_output(DebugOutput output) { s_debugOutput = output; }

}  // namespace ked
