// The command table and the command wrapper. Every editing command is one row of a table
// sorted by message number; the wrapper runs a row's handler with undo grouping, change
// and position notifications and the display update around it.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;

typedef LRESULT (*CommandHandler)(EditorRecord* rec);

enum RowFlag : uint32_t {
  CF_MOVES = 1,  // the command moves the caret
  CF_EDITS = 2,  // the command edits
  CF_QUERY = 4,  // a query: no display update afterwards
};

struct CommandRow {
  uint32_t message;
  uint32_t flags;
  CommandHandler handler;
};

constexpr int kCommandRows = 115;
extern const CommandRow g_commandTable[kCommandRows];

// Binary search over the rows; null for a number without a row.
const CommandRow* find_command(UINT message);
// Runs a command message (0x922..0x9E9, or WM_PASTE) for a window with a record.
LRESULT run_command(EditorRecord* rec, UINT message);
// The display update that follows a command; also run when updates are resumed.
void display_update(EditorRecord* rec);

// Handlers of the control's own commands (edbasiccmds.cpp). cmd_not_built answers 0 and
// changes nothing: the rows that have no handler of their own use it.
LRESULT cmd_not_built(EditorRecord* rec);
LRESULT cmd_nothing(EditorRecord* rec);
LRESULT cmd_caret_report(EditorRecord* rec);
LRESULT cmd_set_read_notify_lines(EditorRecord* rec);
LRESULT cmd_get_text(EditorRecord* rec);
LRESULT cmd_get_line_count(EditorRecord* rec);
LRESULT cmd_get_modify(EditorRecord* rec);
LRESULT cmd_set_modify(EditorRecord* rec);
LRESULT cmd_set_read_only(EditorRecord* rec);

}  // namespace ked
