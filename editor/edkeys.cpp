// Key and character translation, Shift-selection, keystroke macros and the recording cursor.
#include "edkeys.h"

#include "edcommand.h"
#include "edmem.h"
#include "edmessage.h"
#include "edmove.h"
#include "edrecord.h"
#include "edstate.h"
#include "editor/korvoedit.h"

namespace ked {

const ShiftRow g_shiftTable[kShiftRows] = {
    {VK_UP, KE_LINE_UP, KE_FIRST_VISIBLE},     {VK_DOWN, KE_LINE_DOWN, KE_LAST_VISIBLE},
    {VK_LEFT, KE_CHAR_LEFT, KE_WORD_LEFT},     {VK_RIGHT, KE_CHAR_RIGHT, KE_WORD_RIGHT},
    {VK_HOME, KE_LINE_START, KE_TEXT_START},   {VK_END, KE_LINE_END, KE_TEXT_END},
    {VK_PRIOR, KE_PAGE_UP, KE_PREV_PARAGRAPH}, {VK_NEXT, KE_PAGE_DOWN, KE_NEXT_PARAGRAPH},
};

const KeyRow g_keyTable[kKeyRows] = {
    {VK_HOME, KE_LINE_START, 0, KE_TEXT_START, 0},
    {VK_END, KE_LINE_END, 0, KE_TEXT_END, 0},
    {VK_PRIOR, KE_PAGE_UP, 0, KE_PREV_PARAGRAPH, 0},
    {VK_NEXT, KE_PAGE_DOWN, 0, KE_NEXT_PARAGRAPH, 0},
    {VK_LEFT, KE_CHAR_LEFT, 0, KE_WORD_LEFT, 0},
    {VK_RIGHT, KE_CHAR_RIGHT, 0, KE_WORD_RIGHT, 0},
    {VK_UP, KE_LINE_UP, 0, KE_FIRST_VISIBLE, 0},
    {VK_DOWN, KE_LINE_DOWN, 0, KE_LAST_VISIBLE, 0},
    {VK_INSERT, KE_INSERT_MODE, WM_PASTE, KE_COPY, 0},
    {VK_DELETE, KE_DELETE_CHAR, KE_DELETE_LINE, KE_DELETE_WORD, 0},
    {VK_TAB, KE_TAB, KE_OUTDENT, 0, 0},
    {VK_BACK, KE_BACKSPACE, 0, 0, 0},
    {VK_F3, KE_FIND_AGAIN, KE_FIND_AGAIN, 0, 0},
    {VK_F4, KE_FIND_FORWARD, KE_FIND_BACKWARD, 0, 0},
    {VK_F6, KE_REPLACE_FORWARD, KE_REPLACE_BACKWARD, KE_REPLACE_AGAIN, 0},
    // Present without bindings.
    {VK_NUMPAD5, 0, 0, 0, 0},
    {VK_F1, 0, 0, 0, 0},
    {VK_F2, 0, 0, 0, 0},
    {VK_F5, 0, 0, 0, 0},
    {VK_F7, 0, 0, 0, 0},
    {VK_F8, 0, 0, 0, 0},
    {VK_F9, 0, 0, 0, 0},
    {VK_F10, 0, 0, 0, 0},
    {VK_F11, 0, 0, 0, 0},
    {VK_F12, 0, 0, 0, 0},
    {VK_MULTIPLY, 0, 0, 0, 0},
    {VK_SUBTRACT, 0, 0, 0, 0},
    {VK_ADD, 0, 0, 0, 0},
    {VK_DIVIDE, 0, 0, 0, 0},
    {VK_SEPARATOR, 0, 0, 0, 0},
};

namespace {

constexpr uint16_t kNoCtrl = 0;

constexpr CharRow letter(char upper, uint16_t ctrl) {
  return CharRow{static_cast<uint8_t>(upper), static_cast<uint16_t>(upper - 'A' + 'a'),
                 static_cast<uint16_t>(upper), ctrl, 0};
}
constexpr CharRow itself(char c, uint16_t ctrl = kNoCtrl) {
  return CharRow{static_cast<uint8_t>(c), static_cast<uint16_t>(c), static_cast<uint16_t>(c), ctrl, 0};
}

}  // namespace

const CharRow g_charTable[kCharRows] = {
    {' ', ' ', ' ', ' ', 0},
    {13, 13, 13, 10, 0},
    letter('A', KE_LINE_START),
    letter('B', KE_CHAR_LEFT),
    letter('C', KE_COPY),
    letter('D', KE_DELETE_CHAR),
    letter('E', KE_LINE_END),
    letter('F', KE_CHAR_RIGHT),
    letter('G', kNoCtrl),
    letter('H', kNoCtrl),
    letter('I', kNoCtrl),
    letter('J', kNoCtrl),
    letter('K', KE_DELETE_TO_EOL),
    letter('L', kNoCtrl),
    letter('M', kNoCtrl),
    letter('N', KE_LINE_DOWN),
    letter('O', KE_OPEN_LINES_BEFORE),
    letter('P', KE_LINE_UP),
    letter('Q', KE_PAGE_UP),
    letter('R', kNoCtrl),
    letter('S', kNoCtrl),
    letter('T', kNoCtrl),
    letter('U', kNoCtrl),
    letter('V', WM_PASTE),
    letter('W', kNoCtrl),
    letter('X', KE_CUT),
    letter('Y', WM_PASTE),
    letter('Z', KE_UNDO),
    itself('0'),
    itself('1'),
    itself('2'),
    itself('3'),
    itself('4'),
    itself('5'),
    itself('6'),
    itself('7'),
    itself('8'),
    itself('9'),
    itself('+'),
    itself('-'),
    itself(')', KE_MATCH_BRACE),
};

namespace {

bool held(int key) { return (GetKeyState(key) & 0x8000) != 0; }
bool caps_lock() { return (GetKeyState(VK_CAPITAL) & 1) != 0; }

// The macro buffer: process-wide, one macro for all windows.
constexpr int32_t kFirstCapacity = 256;
MacroEntry* s_macro;
int32_t s_capacity;
int32_t s_last = -1;

HCURSOR s_recordCursor;

bool macro_grow() {
  int32_t capacity = s_macro ? s_capacity * 2 : kFirstCapacity;
  MacroEntry* bigger = static_cast<MacroEntry*>(alloc_zeroed_silent(sizeof(MacroEntry) * (capacity + 1)));
  if (!bigger) return false;
  for (int32_t i = 0; s_macro && i <= s_last; ++i) bigger[i] = s_macro[i];
  free_block(s_macro);
  s_macro = bigger;
  s_capacity = capacity;
  return true;
}

void end_capture(EditorRecord* rec) {
  rec->state &= ~static_cast<uint32_t>(ST_MACRO_CAPTURE | ST_MACRO_PAUSED);
  fixed_box(rec, FT_KEYSTROKES_CAPTURED);
}

void append(EditorRecord* rec, UINT message, WPARAM wp, LPARAM lp) {
  // When the buffer cannot grow, the entry is dropped.
  if ((s_macro && s_last + 1 <= s_capacity) || macro_grow()) s_macro[++s_last] = MacroEntry{message, wp, lp};
  if (message == 0) end_capture(rec);
}

void post(EditorRecord* rec, uint32_t result, LPARAM keyData) {
  if (result < 0x100) {
    PostMessageA(rec->wnd, KE_TYPE_CHAR, result, keyData);
    return;
  }
  const CommandRow* row = find_command(result);
  if (row && (row->flags & CF_MOVES) && rec->selection.state == SEL_COMPLETE && rec->options.ClearSelOnMove)
    release_selection(rec);
  PostMessageA(rec->wnd, result, 0, 0);
}

const ShiftRow* shift_row(UINT key) {
  for (const ShiftRow& row : g_shiftTable)
    if (row.key == key) return &row;
  return nullptr;
}

}  // namespace

uint32_t translate_key(UINT key) {
  if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return 0;
  for (const KeyRow& row : g_keyTable) {
    if (row.key != key) continue;
    if (held(VK_SHIFT)) return row.shift;
    if (held(VK_CONTROL)) return row.ctrl;
    if (!held(VK_MENU)) return row.plain;
    return row.alt;
  }
  return 0;
}

uint32_t translate_char(EditorRecord* rec, UINT character) {
  if (rec->state & ST_MACRO_REPLAY) return character;
  if (character == 9 || character == 27) return 0;
  unsigned c = character & 0xFF;
  if (c < 32 && c != 13 && c != 8) c += 64;
  if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
  for (const CharRow& row : g_charTable) {
    if (row.character != c) continue;
    if (held(VK_CONTROL)) return row.ctrl;
    if (held(VK_MENU)) return row.alt;
    if (!held(VK_SHIFT)) return caps_lock() ? row.shifted : row.plain;
    return caps_lock() ? row.plain : row.shifted;
  }
  return (character & 0xFF) < 32 ? 0 : (character & 0xFF);
}

LRESULT key_down(EditorRecord* rec, WPARAM key, LPARAM keyData) {
  const ShiftRow* shifted = held(VK_SHIFT) ? shift_row(static_cast<UINT>(key)) : nullptr;
  if (shifted) {
    bool ctrl = held(VK_CONTROL);
    UINT command = ctrl ? shifted->ctrl : shifted->plain;
    if (rec->selection.state == SEL_NONE) {
      uint8_t kind = (rec->options.CtrlKeyMarksRect && ctrl) ? SEL_COLUMN : SEL_STREAM;
      begin_selection(rec, static_cast<uint8_t>(kind | SEL_EXCLUSIVE));
      ValidateRect(rec->wnd, nullptr);
    }
    SendMessageA(rec->wnd, command, 0, 0);
    extend_selection(rec);
    UpdateWindow(rec->wnd);
    return DefWindowProcA(rec->wnd, WM_KEYDOWN, key, keyData);
  }
  uint32_t result = translate_key(static_cast<UINT>(key));
  if (!result) return DefWindowProcA(rec->wnd, WM_KEYDOWN, key, keyData);
  post(rec, result, keyData);
  return 1;
}

LRESULT key_char(EditorRecord* rec, WPARAM character, LPARAM keyData) {
  uint32_t result = translate_char(rec, static_cast<UINT>(character));
  if (!result || result == 9) return DefWindowProcA(rec->wnd, WM_CHAR, character, keyData);
  post(rec, result, keyData);
  return 1;
}

LRESULT set_cursor(EditorRecord* rec, WPARAM wp, LPARAM lp) {
  if (LOWORD(lp) != HTCLIENT || rec->options.IgnoreSetCursor)
    return DefWindowProcA(rec->wnd, WM_SETCURSOR, wp, lp);
  if (rec->state & ST_MACRO_CAPTURE) {
    if (!s_recordCursor) {
      HINSTANCE owner = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(rec->wnd, GWLP_HINSTANCE));
      s_recordCursor = LoadCursorA(owner, "Record");
    }
    if (s_recordCursor) {
      HCURSOR replaced = SetCursor(s_recordCursor);
      if (replaced != s_recordCursor) rec->previousCursor = replaced;
      return 1;
    }
  } else if (s_recordCursor) {
    DestroyCursor(s_recordCursor);
    s_recordCursor = nullptr;
    SetCursor(rec->classCursor);
    return 1;
  }
  return DefWindowProcA(rec->wnd, WM_SETCURSOR, wp, lp);
}

void macro_record(EditorRecord* rec, UINT message, WPARAM wp, LPARAM lp) {
  if ((rec->state & ST_MACRO_CAPTURE) && message != KE_MACRO_RECORD) append(rec, message, wp, lp);
}

LRESULT cmd_macro_capture(EditorRecord* rec) {
  if (rec->state & ST_MACRO_CAPTURE) {
    append(rec, 0, 0, 0);
    return 1;
  }
  if (!s_macro && !macro_grow()) return 0;
  rec->state |= ST_MACRO_CAPTURE;
  s_last = -1;
  return 1;
}

LRESULT cmd_macro_replay(EditorRecord* rec) {
  if (rec->state & ST_MACRO_CAPTURE) {
    if (s_last >= 0 && s_macro[s_last].message == KE_MACRO_PLAY) --s_last;
    fixed_box(rec, FT_CANT_REPLAY);
    return 0;
  }
  if (!s_macro || s_last < 0 || s_macro[0].message == 0) return 0;
  int32_t times = g_repeatCount > 0 ? g_repeatCount : 1;
  g_repeatCount = 1;
  rec->state |= ST_MACRO_REPLAY;
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  bool paused = false;
  HWND wnd = rec->wnd;
  for (int32_t t = 0; t < times && !paused; ++t) {
    for (int32_t i = 0; i < s_last; ++i) {
      MacroEntry entry = s_macro[i];
      if (entry.message == KE_MACRO_PAUSE) {
        paused = true;
        break;
      }
      SendMessageA(wnd, entry.message, entry.wParam, entry.lParam);
      if (!IsWindow(wnd) || record_of(wnd) != rec) return 1;  // the macro closed the window
    }
  }
  SetCursor(previous);
  if (paused)
    rec->state |= ST_MACRO_PAUSED;
  else
    rec->state &= ~static_cast<uint32_t>(ST_MACRO_REPLAY);
  return 1;
}

LRESULT cmd_macro_pause(EditorRecord* rec) {
  if (rec->state & ST_MACRO_REPLAY) {
    rec->state ^= ST_MACRO_PAUSED;
    return 0;
  }
  if (rec->state & ST_MACRO_CAPTURE) {
    rec->state &= ~static_cast<uint32_t>(ST_MACRO_CAPTURE);
    rec->state |= ST_MACRO_PAUSED;
    if (s_last >= 0 && s_macro[s_last].message == KE_MACRO_PAUSE) --s_last;
    append(rec, KE_MACRO_PAUSE, 0, 0);
    return 1;
  }
  if (rec->state & ST_MACRO_PAUSED) {
    rec->state |= ST_MACRO_CAPTURE;
    rec->state &= ~static_cast<uint32_t>(ST_MACRO_PAUSED);
    return 1;
  }
  MessageBoxA(GetParent(rec->wnd), "Can't pause if not capturing.", "Pause Macro",
              MB_ICONEXCLAMATION | MB_OK);
  return 0;
}

int32_t macro_last_index() { return s_last; }

const MacroEntry* macro_entry(int32_t index) {
  return s_macro && index >= 0 && index <= s_last ? &s_macro[index] : nullptr;
}

void macro_forget() {
  free_block(s_macro);
  s_macro = nullptr;
  s_capacity = 0;
  s_last = -1;
}

}  // namespace ked
