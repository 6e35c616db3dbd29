// Keys never act on the text directly: key and character messages are translated through
// fixed tables into editor commands and posted to the window itself, so typed keys, host
// commands and replayed macros take the same road through the command wrapper. That road
// also records and replays keystroke macros.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;

// One row of the key-down table: the command plain, with Shift, with Ctrl, with Alt.
struct KeyRow {
  uint8_t key;
  uint16_t plain, shift, ctrl, alt;
};
// One row of the Shift-selection table: the movement plain and with Ctrl.
struct ShiftRow {
  uint8_t key;
  uint16_t plain, ctrl;
};
// One row of the character table (characters after folding).
struct CharRow {
  uint8_t character;
  uint16_t plain, shifted, ctrl, alt;
};

constexpr int kKeyRows = 30;
constexpr int kShiftRows = 8;
constexpr int kCharRows = 41;
extern const KeyRow g_keyTable[kKeyRows];
extern const ShiftRow g_shiftTable[kShiftRows];
extern const CharRow g_charTable[kCharRows];

// What a key or character becomes: 0 nothing, below 0x100 a character to type, else a
// command (or WM_PASTE). The key state comes from GetKeyState.
uint32_t translate_key(UINT key);
uint32_t translate_char(EditorRecord* rec, UINT character);

// WM_KEYDOWN, WM_CHAR (WM_SYSCHAR goes to the default procedure).
LRESULT key_down(EditorRecord* rec, WPARAM key, LPARAM keyData);
LRESULT key_char(EditorRecord* rec, WPARAM character, LPARAM keyData);
// WM_SETCURSOR: the "Record" cursor while capturing.
LRESULT set_cursor(EditorRecord* rec, WPARAM wp, LPARAM lp);

// The command wrapper's recording hook: while the window captures, every command but
// 0x97B is appended to the macro.
void macro_record(EditorRecord* rec, UINT message, WPARAM wp, LPARAM lp);
// Commands 0x97B (capture on or off), 0x97C (replay), 0x97D (pause).
LRESULT cmd_macro_capture(EditorRecord* rec);
LRESULT cmd_macro_replay(EditorRecord* rec);
LRESULT cmd_macro_pause(EditorRecord* rec);

// The macro, for tests: entries recorded (-1 when empty) and one entry.
struct MacroEntry {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
int32_t macro_last_index();
const MacroEntry* macro_entry(int32_t index);
void macro_forget();  // frees the buffer (library shutdown)

}  // namespace ked
