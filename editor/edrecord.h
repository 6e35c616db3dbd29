// The per-window records of the editor control: lines, the view, the selection and the
// window record that ties them together. All records are zero-filled when made.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "edoptions.h"
#include "edundo.h"

namespace ked {

struct EditorRecord;
struct FormatRecord;
struct CommandRow;

enum LineFlag : uint16_t {
  LF_MARKED = 0x001,
  LF_TABS_EXPANDED = 0x004,
  LF_BOOKMARK = 0x008,
  LF_HAS_TABS = 0x010,
  LF_NOT_OWNED = 0x020,
  LF_ENDED_BREAK = 0x040,  // pick-buffer lines: the line's break was taken with it
  LF_CENTRED = 0x100,
  LF_PICTURE = 0x200,
  LF_HARD_BREAK = 0x400,  // kept only while UseSoftReturns is on
};

struct LineRecord {
  char* text;  // NUL-terminated; owned unless LF_NOT_OWNED
  LineRecord* previous;
  LineRecord* next;
  int32_t length;    // characters, without terminator or line break
  int32_t capacity;  // bytes of `text`, at least 8
  uint16_t flags;
  uint16_t formatIndex;   // formatted-text windows
  uint16_t formatHeight;  // points
  uint32_t itemData;      // owner-drawn windows
  uint16_t itemHeight;    // pixels; 0 = the window's line height
};

enum StateFlag : uint32_t {
  ST_MACRO_CAPTURE = 0x00000008,
  ST_PAINT_DC = 0x00000010,
  ST_CARET_LOCKED = 0x00000020,
  ST_IN_PAINT = 0x00000080,
  ST_UPDATES_OFF = 0x00000400,
  ST_SCROLL_HID_CARET = 0x00000800,
  ST_MACRO_REPLAY = 0x00001000,
  ST_MACRO_PAUSED = 0x00002000,
  ST_READ_ONLY = 0x00020000,
  ST_OWNER_DRAWN = 0x00040000,
  ST_FORMATTED = 0x00080000,
  ST_PROPORTIONAL = 0x00100000,
};

// Window style bits the control reads.
enum StyleBit : uint32_t {
  ES_KE_READONLY = 0x0800,
  ES_KE_WANTALL1 = 0x1000,
  ES_KE_FORMATTED = 0x2000,
  ES_KE_OWNERDRAWN = 0x4000,
  ES_KE_WANTALL2 = 0x8000,
};

struct TextPosition {
  LineRecord* line;
  int32_t column;  // display column
  int32_t number;  // 1-based line number
};

enum SelectionKind : uint8_t { SEL_STREAM = 1, SEL_COLUMN = 2, SEL_EXCLUSIVE = 4, SEL_TAKES_BREAK = 16 };
enum SelectionState : uint8_t { SEL_NONE = 0, SEL_ANCHORED = 1, SEL_COMPLETE = 2 };

struct Selection {
  uint8_t kind;
  uint8_t state;
  TextPosition anchor;
  TextPosition end;
  TextPosition savedAnchor;
};

struct ViewRecord {
  int32_t firstColumn;
  int32_t lastColumn;
  int32_t pixelOffset;  // horizontal
  int32_t rightEdge;
  int32_t marginLeft, marginTop, marginRight, marginBottom;
  LineRecord* firstLine;
  LineRecord* lastLine;
  int32_t firstNumber;
  EditorRecord* editor;
};

constexpr int kBookmarks = 26;
constexpr int kTabMarks = 257;
constexpr int kMaxTabStops = 256;
constexpr int32_t kNoMarkLow = 2147483647;

enum CaretFlag : uint32_t { CARET_ABSENT = 1, CARET_REMAKE = 2 };

struct EditorRecord {
  EditorRecord* nextRecord;
  LineRecord* firstLine;
  LineRecord* lastLine;
  LineRecord* currentLine;
  char* fileName;
  ViewRecord* view;
  int32_t lineNumber;  // of the current line, 1-based
  int32_t lineCount;
  int32_t id;
  int32_t changes;          // 0: the text counts as unchanged
  int32_t positionChanges;  // non-zero: the parent is to hear of a moved caret
  uint32_t state;
  // line marks
  int32_t markedCount;
  int32_t markLow, markHigh;
  LineRecord* markFirst;
  LineRecord* markLast;
  Selection selection;
  TextPosition bookmarks[kBookmarks];
  UndoState* undo;
  int32_t caretRow;  // row of the current line in the window, -1 when not visible
  int32_t caretColumn;
  EditorOptions options;
  int32_t tabCount;
  int32_t tabPositions[kMaxTabStops];
  uint8_t tabMarks[kTabMarks];
  int32_t visibleRows;
  HWND wnd;
  HFONT font;
  HFONT previousFont;
  int32_t lineHeight;
  int32_t averageWidth;
  int32_t externalLeading;
  int32_t descent;
  COLORREF textColour, windowColour, selectedTextColour, selectionColour;
  HBRUSH windowBrush, selectionBrush;
  struct {
    int32_t width, height, column, row;
    uint32_t flags;  // CARET_ABSENT, CARET_REMAKE
  } caret;
  HCURSOR classCursor;
  HCURSOR previousCursor;
  uint16_t formatCount;
  uint16_t formatCapacity;
  FormatRecord* formats;
  const CommandRow* previousCommand;  // this window's last command (undo grouping)
  // Arguments of the message this window is serving; a nested message to the same window
  // gives the outer one's back when it ends (EditorWndProc).
  WPARAM wParam;
  LPARAM lParam;
  int32_t rememberedRow;  // screen row a page move keeps for the next repaint, -1 when none
};

// The window's record, or null before WM_CREATE made one (or when it failed).
inline EditorRecord* record_of(HWND wnd) {
  return reinterpret_cast<EditorRecord*>(GetWindowLongPtrA(wnd, 0));
}

}  // namespace ked
