// Public interface of the source editor control (ovkored.dll): the window class, the
// exported entry points, and the numbers of its commands, private messages and
// notifications. Hosts load the library by name and drive its windows by message only.
#pragma once

#include <windows.h>
#include <stddef.h>

#if defined(OVKORED_BUILD)
#define OVKORED_API __declspec(dllexport)
#elif defined(OVKORED_STATIC)
#define OVKORED_API
#else
#define OVKORED_API __declspec(dllimport)
#endif

#define KORVOEDIT_CLASS "KorvoEdit"

extern "C" {
OVKORED_API int WINAPI InitEditor(HINSTANCE instance);
OVKORED_API int WINAPI KorvoEditorVersion(void);
OVKORED_API LRESULT CALLBACK EditorWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
OVKORED_API INT_PTR CALLBACK OptionsDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
OVKORED_API INT_PTR CALLBACK SearchDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
OVKORED_API INT_PTR CALLBACK CanReplaceDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
}

// Types of the exports for hosts that use GetProcAddress.
typedef int(WINAPI* InitEditorFn)(HINSTANCE);
typedef int(WINAPI* KorvoEditorVersionFn)(void);

// Commands: window messages 0x922..0x9BE that run through the command table.
enum EditorCommand {
  KE_FIND_FORWARD = 0x922,
  KE_FIND_BACKWARD,
  KE_REPLACE_FORWARD,
  KE_REPLACE_BACKWARD,
  KE_DELETE_LINE = 0x926,
  KE_OPEN_LINE_AFTER,
  KE_OPEN_LINES_BEFORE,
  KE_CUT,
  KE_CUT_APPEND,
  KE_RELEASE_SELECTION = 0x92B,
  KE_COPY,
  KE_DUPLICATE_LINE,
  KE_INSERT_PICK,
  KE_BACKSPACE,
  KE_DELETE_WORD = 0x930,
  KE_DELETE_CHAR,
  KE_DELETE_TO_EOL,
  KE_INSERT_MODE,
  KE_TAB,
  KE_OUTDENT = 0x935,
  KE_UNDO,
  KE_REDO,
  KE_FIND_AGAIN,
  KE_REPLACE_AGAIN,
  KE_LINE_UP = 0x93F,
  KE_LINE_DOWN,
  KE_CHAR_LEFT,
  KE_CHAR_RIGHT,
  KE_LINE_START,
  KE_LINE_END,
  KE_WORD_RIGHT = 0x945,
  KE_WORD_LEFT,
  KE_NEXT_PARAGRAPH,
  KE_PREV_PARAGRAPH,
  KE_FIRST_VISIBLE = 0x949,
  KE_LAST_VISIBLE,
  KE_PAGE_DOWN,
  KE_PAGE_UP,
  KE_TEXT_START,
  KE_TEXT_END = 0x94E,
  KE_GOTO_BOOKMARK,
  KE_SET_BOOKMARK,
  KE_GOTO_LINE,
  KE_CLEAR_BOOKMARK,
  KE_MATCH_BRACE = 0x953,
  KE_MARK_LINE,
  KE_MARK_TO_HERE,
  KE_TYPE_CHAR,
  KE_INSERT_PICK_ONCE,
  KE_MARK_STREAM = 0x958,
  KE_MARK_COLUMN,
  KE_LOWER_CASE,
  KE_UPPER_CASE,
  KE_LOAD_FILE = 0x95D,
  KE_SAVE_FILE,
  KE_SET_WINDOW_COLOUR = 0x967,
  KE_SET_TEXT_COLOUR,
  KE_SET_OPTION,
  KE_GET_OPTION,
  KE_OPTIONS_DIALOG = 0x96B,
  KE_WORDWRAP = 0x96D,
  KE_SET_SELECTION_COLOUR,
  KE_SET_SELECTED_TEXT_COLOUR,
  KE_WORD_HELP = 0x971,
  KE_GET_WORD,
  KE_MACRO_RECORD = 0x97B,
  KE_MACRO_PLAY,
  KE_MACRO_PAUSE,
  KE_NOTHING,
  KE_GET_SEARCH_TEXT = 0x985,
  KE_CARET_REPORT,
  KE_INSERT_TEXT,
  KE_GET_ITEM_DATA,
  KE_SET_ITEM_DATA = 0x989,
  KE_GET_ITEM_HEIGHT,
  KE_SET_ITEM_HEIGHT,
  KE_COUNT_WORDS,
  KE_TRIM_BLANKS = 0x98D,
  KE_CENTRE_LINE,
  KE_REFORMAT_PARAGRAPH,
  KE_REFORMAT_ALL,
  KE_LIST_BOOKMARKS = 0x991,
  KE_INSERT_PICTURE,
  KE_DUMP_UNDO,
  KE_SET_READ_NOTIFY_LINES = 0x997,
  KE_GOTO_COLUMN = 0x999,
  KE_REMEASURE_LINES = 0x99B,
  KE_EM_GETFIRSTVISIBLELINE = 0x9A3,
  KE_EM_GETLINE,
  KE_EM_GETLINECOUNT,
  KE_EM_LINEFROMCHAR = 0x9A6,
  KE_EM_LINEFROMCHAR2,
  KE_EM_LINEINDEX,
  KE_EM_LINELENGTH,
  KE_EM_GETMODIFY = 0x9AA,
  KE_EM_SETMODIFY,
  KE_EM_GETSEL,
  KE_SELECTION_OFFSETS,
  KE_SELECTED_TEXT = 0x9AE,
  KE_EM_REPLACESEL,
  KE_EM_SETSEL,
  KE_SELECT_OFFSETS,
  KE_EM_SETREADONLY = 0x9B2,
  KE_EM_SETTABSTOPS,
  KE_SWAP_WINDOW_COLOUR,
  KE_GET_FORMAT,
  KE_SET_FORMAT = 0x9B6,
  KE_EM_GETRECT,
  KE_EM_SETRECTNP,
  KE_EM_SETRECT,
  KE_GET_TEXT = 0x9BA,
  KE_GET_LINE_TEXT,
  KE_SET_WORD_CLASS,
  KE_SET_ALL_WORD_CLASSES,
  KE_RESTORE_WORD_CLASSES = 0x9BE,
};

// Search and replace requests: lParam of KE_FIND_FORWARD/BACKWARD, KE_REPLACE_FORWARD/
// BACKWARD (null opens the control's own dialog). The layout is fixed (260 bytes).
// - A search answers the match's character position in its line plus 1, or 0 when
//   nothing was found or the pattern is malformed: a host must not test for a negative
//   result. A replace answers the number of replacements.
// - A pattern is searched as an expression unless KESF_PLAIN is set, whenever it holds one
//   of ?+*^$[|\: or the search ignores case: a host that means plain text sets KESF_PLAIN.
// - The pattern holds at most 127 characters (the control reads no further than its
//   field): a host refuses or cuts longer texts itself.
#define KESF_IGNORE_CASE 0x0001
#define KESF_PLAIN 0x0002
#define KESF_SELECT 0x0004
#define KESF_WHOLE_WORD 0x0008
#define KESF_PROMPT 0x0100
#define KESF_CHANGE_ALL 0x0200
#define KESF_BACKWARD 0x1000
#define KESF_PACKED 0x2000  // the replacement follows the pattern's terminator
#define KESF_SILENT 0x4000
#define KESF_CANCELLED 0x8000  // set by a replace whose confirmation was cancelled
#pragma pack(push, 1)
typedef struct KorvoSearchRequest {
  unsigned int flags;
  char pattern[128];
  char replacement[128];
} KorvoSearchRequest;
#pragma pack(pop)

// Controls of the dialogs "DlgSearch", "DlgSubst" and "DlgCanReplace".
#define IDC_SRCH_FIND 202
#define IDC_SRCH_CASE 204
#define IDC_SRCH_REGEX 205
#define IDC_SRCH_WORD 206
#define IDC_SRCH_FORWARD 207
#define IDC_SRCH_BACKWARD 208
#define IDC_SRCH_PROMPT 209
#define IDC_SRCH_ALL 210
#define IDC_SRCH_REPLACE 302
#define IDC_SRCH_HELP 308
#define IDC_CANREPLACE_TEXT 100

// Moving the caret across line ends (for hosts that step over a match before searching
// again): with the default option "GoFreeSpace" = 1, KE_CHAR_RIGHT at the end of a line
// steps one column into free space and does not cross to the next line; KE_CHAR_LEFT at
// column 0 does go to the end of the previous line. A host that needs to cross line ends
// either sets "GoFreeSpace" to 0 for its windows (KE_SET_OPTION) or steps with
// KE_LINE_DOWN and KE_LINE_START.

// Block commands share one pick buffer among all the process's windows. KE_CUT,
// KE_CUT_APPEND and KE_COPY take the complete selection, else the marked lines, else
// (repeat count) whole lines at the caret (not with WindowsCompatibility bit 2: then they
// do nothing and answer 1), and put the result on the clipboard. KE_DELETE_LINE (and
// WM_CLEAR), the delete keys, typing over a selection and EM_REPLACESEL put what they
// delete in the pick buffer and leave the clipboard alone. KE_INSERT_PICK (repeat count)
// and KE_INSERT_PICK_ONCE paste it: whole lines above the caret's line, a column block
// down the lines from the caret, text at the caret; the caret stays. Each answers 1, or 0
// when refused: a read-only window, nothing to paste, or memory exhausted, and then the
// text and the pick buffer are as they were (pasting over a selection deletes it first,
// as a step of its own).

// First and last message numbers that run through the command wrapper.
#define KE_COMMAND_FIRST 0x922
#define KE_COMMAND_LAST 0x9E9

// KE_PM_SELECTED_TEXT (and KE_SELECTED_TEXT): wParam is the size in characters of the
// buffer at lParam, its terminator included. At most size - 1 characters are copied and
// terminated, and the answer is the number copied. With wParam 0 nothing is copied and the
// answer is the length the selection needs plus 1, so a caller can size its buffer first.

// KE_GET_LINE_TEXT: lParam points to this record; line `index` (from 0) is copied into
// `buffer` of `size` characters, at most size - 1 and a terminator, and `copied` gets the
// count. An index beyond the last line copies an empty line. Answers 1, 0 without a buffer.
typedef struct KorvoLineCopy {
  int index;
  char* buffer;
  int size;
  int copied;
} KorvoLineCopy;

#if !defined(_WIN64)
static_assert(offsetof(KorvoLineCopy, buffer) == 4 && offsetof(KorvoLineCopy, size) == 8 &&
                  offsetof(KorvoLineCopy, copied) == 12,
              "the line-copy record keeps its 32-bit layout");
#endif

// Owner-drawn windows (style 0x4000): the control asks its owner (the parent, or the
// window itself with OwnerDrawn bit 4) to measure, draw and forget lines. wParam is the
// control's id, lParam one of the records below; the message numbers are KE_OD_* or, with
// OwnerDrawn bit 8, WM_DRAWITEM, WM_DELETEITEM and WM_MEASUREITEM. Each record is the
// platform's owner-draw structure (control type KE_ODT_EDITOR, item id 0, the line's item
// data) followed by the control's own fields; on the 32-bit build that is a fixed layout
// of 32-bit fields. Measure: answer non-zero after writing item.itemHeight (and, if
// wanted, item.itemData); 0 gives the line the window's line height. Draw: answer
// non-zero when the owner drew the row, 0 to let the control draw it. itemState holds
// ODS_SELECTED for a marked line or a selected part, ODS_FOCUS for the caret's line.
#define KE_OD_DRAW 0x994
#define KE_OD_DELETE 0x995
#define KE_OD_MEASURE 0x996
#define KE_ODT_EDITOR 99

typedef struct KorvoMeasureItem {
  MEASUREITEMSTRUCT item;
  const char* text;  // the line's text, terminated
} KorvoMeasureItem;

typedef struct KorvoDrawItem {
  DRAWITEMSTRUCT item;  // rcItem: the row
  const char* text;
  int line;         // line number, from 1
  int firstColumn;  // first visible column
  int firstChar;    // first character of the part being drawn
  int pixelOffset;  // horizontal scroll offset in pixels
} KorvoDrawItem;

typedef struct KorvoDeleteItem {
  DELETEITEMSTRUCT item;
  const char* text;
} KorvoDeleteItem;

#if !defined(_WIN64)
static_assert(sizeof(KorvoMeasureItem) == 28 && offsetof(KorvoMeasureItem, item.itemHeight) == 16 &&
                  offsetof(KorvoMeasureItem, item.itemData) == 20 && offsetof(KorvoMeasureItem, text) == 24,
              "measure record layout");
static_assert(offsetof(KorvoDrawItem, item.hwndItem) == 20 && offsetof(KorvoDrawItem, item.hDC) == 24 &&
                  offsetof(KorvoDrawItem, item.rcItem) == 28 && offsetof(KorvoDrawItem, item.itemData) == 44 &&
                  offsetof(KorvoDrawItem, text) == 48 && offsetof(KorvoDrawItem, line) == 52 &&
                  offsetof(KorvoDrawItem, firstColumn) == 56 && offsetof(KorvoDrawItem, firstChar) == 60 &&
                  offsetof(KorvoDrawItem, pixelOffset) == 64 && sizeof(KorvoDrawItem) == 68,
              "draw record layout");
static_assert(offsetof(KorvoDeleteItem, item.hwndItem) == 12 && offsetof(KorvoDeleteItem, item.itemData) == 16 &&
                  offsetof(KorvoDeleteItem, text) == 20 && sizeof(KorvoDeleteItem) == 24,
              "forget record layout");
#endif

// Private messages served without the command wrapper.
#define KE_PM_SELECTION_OFFSETS 0x8BE
#define KE_PM_LINEFROMCHAR 0x8BF
#define KE_PM_SELECT_OFFSETS 0x8C0
#define KE_PM_SELECTED_TEXT 0x8C1
#define KE_PM_WINDOW_COLOUR 0x8C5
#define KE_PM_GET_FORMAT 0x8C6
#define KE_PM_SET_FORMAT 0x8C7

// Notification codes (high word of wParam of WM_COMMAND to the parent).
#define KEN_SETFOCUS 0x100
#define KEN_KILLFOCUS 0x200
#define KEN_CHANGE 0x300
#define KEN_HSCROLL 0x601
#define KEN_VSCROLL 0x602
#define KEN_POSITION 0x9E9

// Controls of the options dialog "DlgOptions".
#define IDC_OPT_INSERTMODE 401
#define IDC_OPT_GOFREESPACE 402
#define IDC_OPT_AUTOINDENT 403
#define IDC_OPT_HIGHBITSOFF 413
#define IDC_OPT_INDENTAMOUNT 415
#define IDC_OPT_USEREALTABS 417
#define IDC_OPT_ENTABLINE 418
#define IDC_OPT_TABINCREMENT 421
#define IDC_OPT_TABFILL 422
#define IDC_OPT_WORDWRAP 426
#define IDC_OPT_UNDOENABLED 427
#define IDC_OPT_RIGHTMARGIN 428
#define IDC_OPT_SAVEDEFAULTS 430
#define IDC_OPT_AUTOREFORMAT 432
