// The command table and the command wrapper. Every editing command is one row of a table
// sorted by message number; the wrapper runs a row's handler with undo grouping, change
// and position notifications and the display update around it.
#pragma once

#include <windows.h>
#include <stdint.h>

struct EditorRecord;

typedef LRESULT (*CommandHandler)(EditorRecord* rec);

// Row flags.
#define CF_MOVES 1  // the command moves the caret
#define CF_EDITS 2  // the command edits
#define CF_QUERY 4  // a query: no display update afterwards

struct CommandRow {
  uint32_t message;
  uint32_t flags;
  CommandHandler handler;
};

#define ED_COMMAND_ROWS 115
extern const CommandRow g_commandTable[ED_COMMAND_ROWS];

// Binary search over the rows; null for a number without a row.
const CommandRow* ed_find_command(UINT message);
// Runs a command message (0x922..0x9E9, or WM_PASTE) for a window with a record.
LRESULT ed_run_command(EditorRecord* rec, UINT message);
// The display update that follows a command; also run when updates are resumed.
void ed_display_update(EditorRecord* rec);

// Handlers of the control's own commands (edbasiccmds.cpp); rows whose work is not
// built yet answer 0 and change nothing through cmd_not_built.
LRESULT cmd_not_built(EditorRecord* rec);
LRESULT cmd_nothing(EditorRecord* rec);
LRESULT cmd_caret_report(EditorRecord* rec);
LRESULT cmd_set_read_notify_lines(EditorRecord* rec);
LRESULT cmd_get_text(EditorRecord* rec);
LRESULT cmd_get_line_count(EditorRecord* rec);
LRESULT cmd_get_modify(EditorRecord* rec);
LRESULT cmd_set_modify(EditorRecord* rec);
LRESULT cmd_set_read_only(EditorRecord* rec);
