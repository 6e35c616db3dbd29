// Files: finding a file through "KEPATH", reading plain text line by line, the
// formatted-text file, and saving through a new file that replaces the old one only when
// it was written whole.
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;

constexpr uint32_t kFormattedMagic = 0x062A9671;
constexpr UINT kLoadProgress = 0x998;

// Progress record sent to the parent with kLoadProgress (wParam 0 start, 1 report, 2 end).
struct LoadProgress {
  int32_t percent;
  int32_t previousPercent;
  int32_t bytesRead;
  int32_t fileLength;
  int32_t lineCount;
  uint32_t parent;  // window handle
  int32_t linesToReport;
};
static_assert(sizeof(LoadProgress) == 28, "seven 32-bit words");

// Results of the save command.
enum SaveResult : int {
  SAVE_WRITE_FAILED = -2,
  SAVE_CANT_CREATE = -1,
  SAVE_NO_NAME = 0,
  SAVE_DONE = 1,
};

// Opens `name` for reading, else KEPATH's directories in turn; "Untitled" is never
// opened. The path that opened goes to `found`. HFILE_ERROR when none opens.
HFILE find_file(const char* name, char* found, size_t size);

// Reads plain text from `file` into the record: at the head when `replace` (the record
// holds no lines then), else before the current line (after it when it is the first).
// Answers the first line read, or null when none was read.
struct LineRecord;
LineRecord* read_plain(EditorRecord* rec, HFILE file, bool replace);

enum class FormattedRead { NotFormatted, Loaded, Refused };
// At creation: reads a formatted-text file whole or not at all. A file without the magic
// is left at position 0. A damaged file changes nothing in the record.
FormattedRead read_formatted(EditorRecord* rec, HFILE file);

// Loads the file a window is created with; the window keeps one empty line when nothing
// was read. A damaged formatted file is refused with the "Can't read" box.
void load_at_creation(EditorRecord* rec, const char* name);

// Writes the whole document under `name` (the stored name when null).
int save_document(EditorRecord* rec, const char* name);

// The EntabLine rule: outside quotes, a run of three or more blanks that reaches a tab
// stop becomes a tab. Writes at most `length` characters to `out`; answers how many.
int32_t entab_text(const EditorRecord* rec, const char* text, int32_t length, char* out);

// Commands 0x95D (load) and 0x95E (save).
LRESULT cmd_load_file(EditorRecord* rec);
LRESULT cmd_save_file(EditorRecord* rec);

// Test seam: writes fail once `bytes` more bytes were written (-1: never).
void fail_writes_after(int64_t bytes);

}  // namespace ked
