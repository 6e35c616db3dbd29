// Undo history of one window: a ring of 64 records and a ring of 4096 bytes for the text
// they need, grouped per command by the command wrapper. Records are written only while
// the window's UndoEnabled option is on and no undo or redo is being replayed.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;
struct LineRecord;

constexpr int kUndoSlots = 64;
constexpr int kUndoTextRing = 4096;
constexpr int kUndoPiece = 256;  // saved text goes back in pieces of at most this many characters

enum UndoType : int32_t {
  UNDO_EMPTY = -1,
  UNDO_GOTO = 'G',
  UNDO_DELETE = 'D',
  UNDO_INSERT = 'I',
  UNDO_REPLACE = 'R',
  UNDO_INSLINE = 'L',
  UNDO_DELLINE = 'Y',
  UNDO_PICK = 'P',
  UNDO_GROUPED = 0x100,  // type bit: grouped with the following record
};

// What an insertion record describes: text put in, or text written over.
enum UndoKind : int32_t { UNDO_KIND_INSERT = 0, UNDO_KIND_OVERWRITE = 1 };

struct UndoRecord {
  int32_t type;  // letter code in the low byte, UNDO_GROUPED, or UNDO_EMPTY
  int32_t line;
  int32_t column;
  int32_t textIndex;  // where the text starts in the ring, -1 when it has none
  int32_t count;      // characters (a line break counts one), lines, or 0
  int32_t changed;    // 1 when the window counted as changed before the record was made
  // Position of the text in the stream of every byte the ring ever stored: the ring keeps
  // the last kUndoTextRing bytes, so a record whose text started further back is known to
  // have lost it (unsigned arithmetic wraps cleanly).
  uint32_t textStart;
  LineRecord* savedLines;  // a pick record's saved line list, so it can be freed
};

struct UndoState {
  UndoRecord slots[kUndoSlots];
  int32_t slotCount;
  int32_t current;    // -1 when nothing was recorded
  int32_t redoLimit;  // -1 when none
  int32_t groupOpen;
  char text[kUndoTextRing];
  int32_t textWrite;
  int32_t textFill;
  uint32_t textStored;  // bytes ever stored
  int32_t exhausted;    // every record of a full ring was undone: the current slot is redo's
};

UndoState* undo_create();  // null (after the memory box) on failure
void undo_free(UndoState* undo);
// Forgets every record (the text they refer to was replaced wholesale).
void undo_clear(UndoState* undo);

// Before a grouped command: for undo, remember where the redo chain ends unless the
// previous command was undo or redo; for any other command but redo, drop the records
// after the current one; every command but undo then opens a group.
void undo_begin_command(EditorRecord* rec, bool isUndo, bool isRedo, bool afterUndoOrRedo);
// After a grouped command other than undo: the group is closed on the state and on its
// newest record, so the command's records form one step.
void undo_end_command(EditorRecord* rec);

// True while undo or redo replays records (process-wide): nothing is recorded then.
bool undo_replaying();

// Recording entry points of the editing commands. Each does nothing while UndoEnabled is
// off or a replay runs. Text is passed with line breaks as single line feeds.
void undo_record_caret(EditorRecord* rec, int32_t line, int32_t column);
void undo_record_delete(EditorRecord* rec, int32_t line, int32_t column, const char* text, int32_t count);
// `text` null (or kind insert) records an insertion of `count` characters; with kind
// overwrite, `text` is the old text that was written over.
void undo_record_insert(EditorRecord* rec, int32_t line, int32_t column, const char* text, int32_t count,
                        UndoKind kind);
// `type` UNDO_INSLINE or UNDO_DELLINE: one line inserted or deleted at `line`.
void undo_record_line(EditorRecord* rec, int32_t line, UndoType type);
// The shared pick buffer is about to change: its present contents are kept. True when a
// record took them (it frees the lines when it goes); false when nothing was recorded and
// the caller still owns them.
bool undo_record_pick(EditorRecord* rec, uint8_t flag1, uint8_t flag2);

// Commands 0x936 (undo), 0x937 (redo), 0x993 (dump) and the EM_CANUNDO answer.
LRESULT cmd_undo(EditorRecord* rec);
LRESULT cmd_redo(EditorRecord* rec);
LRESULT cmd_dump_undo(EditorRecord* rec);
LRESULT can_undo(EditorRecord* rec);

// Test seam: where the dump's lines go (null: the debugger output).
typedef void (*DebugOutput)(const char* text);
void set_debug_output(DebugOutput output);

}  // namespace ked
