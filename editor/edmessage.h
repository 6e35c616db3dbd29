// Messages to the user: boxes with the control's fixed texts, boxes with texts from the
// library's string table (caption "Code Editor"), and help on the word at the caret.
#pragma once

#include <windows.h>

namespace ked {

struct EditorRecord;

enum FixedText : int {
  FT_BRACES,  // "{}()[]" and two double quotes: the brace pairs brace matching knows
  FT_NO_MATCHING_BRACE,
  FT_NOT_ON_BRACE,
  FT_NO_BOOKMARK_LINE,
  FT_CANT_REPLAY,
  FT_KEYSTROKES_CAPTURED,
  FT_NO_FORMAT_MEMORY,
  FT_WRITE_ERROR,
};

// Ids of the string table.
enum StringId : int {
  IDS_CANT_OPEN = 50,
  IDS_CANT_READ = 51,
  IDS_CANT_CREATE = 52,
  IDS_CANT_WRITE = 53,
  IDS_EXTENSION = 55,
  IDS_SAVE_CHANGES = 56,
  IDS_CANT_FIND = 57,
  IDS_NO_HELP_APP = 58,
  IDS_UNTITLED = 60,
  IDS_EDITOR_NAME = 63,
  IDS_FILE_WRITTEN = 64,
  IDS_HELP_NOT_IMPLEMENTED = 65,
  IDS_CANT_EXEC = 66,
};

const char* fixed_text(FixedText which);
// The owner of the control's boxes: the editor window; while a window is being created,
// the parent of that window; else none (the desktop).
HWND box_owner(const EditorRecord* rec);
// Beep, then a box with the fixed text, an exclamation icon and OK.
int fixed_box(const EditorRecord* rec, FixedText which);
// The string `id` of the library formatted with the arguments ("Cannot locate error
// message %d" with the id when there is none), caption "Code Editor".
int string_box(HWND owner, UINT style, int id, ...);

// Command 0x971: help on the word at the caret.
LRESULT cmd_word_help(EditorRecord* rec);

// Seams for tests: the help program's entry, the Windows version the 3-D controls branch
// tests (0: the real one) and the library loader it uses. Null restores the real one.
typedef BOOL(WINAPI* HelpCall)(HWND, LPCSTR, UINT, ULONG_PTR);
typedef HMODULE(WINAPI* LibraryLoader)(LPCSTR);
void set_help_call(HelpCall call);
void set_windows_version(int major);
void set_library_loader(LibraryLoader loader);

}  // namespace ked
