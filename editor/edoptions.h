// The 29 editor options: the packed block shared by the compiled defaults, the
// process-wide block and every window's copy, the name table that the settings file and
// the by-name commands use, and the tab-stop table built from TabIncrement.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace ked {

struct EditorRecord;

#pragma pack(push, 1)
struct EditorOptions {
  int32_t GoFreeSpace;
  int32_t UseRealTabs;
  int32_t HighBitsOff;
  int32_t EntabLine;
  int32_t Wordwrap;
  int32_t AutoReformat;
  int32_t Justify;
  int32_t TwoSpaces;
  int32_t CompressSpaces;
  int32_t InsertMode;
  int32_t AutoIndent;
  int32_t UndoEnabled;
  int32_t ClearSelOnMove;
  int32_t IgnoreSetCursor;
  int32_t CtrlKeyMarksRect;
  int32_t WindowsScrolling;
  uint8_t TabFill;  // one byte; TabIncrement follows without padding
  int32_t TabIncrement;
  int32_t IndentAmount;
  int32_t RightMargin;
  int32_t ScrollBars;
  int32_t LeftOffset;
  int32_t TopOffset;
  int32_t RightOffset;
  int32_t BottomOffset;
  int32_t WindowsCompatibility;
  int32_t LinesForReadNotify;
  int32_t OwnerDrawn;
  int32_t UseSoftReturns;
};
#pragma pack(pop)

static_assert(sizeof(EditorOptions) == 113, "EditorOptions is a packed 113-byte block");
static_assert(__builtin_offsetof(EditorOptions, TabFill) == 64, "TabFill follows 16 flags");
static_assert(__builtin_offsetof(EditorOptions, TabIncrement) == 65, "no gap after TabFill");

enum OptionType : uint16_t { OPT_FLAG = 0, OPT_BYTE = 1, OPT_INT = 2 };

// One row of the option table: the field in the process-wide block, its type, its key in
// section "Options" of "KORVOED.INI" and the value a missing key yields.
struct OptionKey {
  void* field;
  uint16_t type;
  const char* name;
  int32_t defaultValue;
};

constexpr int kOptionCount = 29;
constexpr const char kSettingsFile[] = "KORVOED.INI";
constexpr const char kSettingsSection[] = "Options";

extern const EditorOptions g_compiledOptions;
extern EditorOptions g_options;  // process-wide block
extern const OptionKey g_optionKeys[kOptionCount];

// Row by exact, case-sensitive key name, or null.
const OptionKey* find_option(const char* name);
// Value of a field of `block` described by `key` (a byte as its unsigned value).
int32_t option_get(const EditorOptions* block, const OptionKey* key);
void option_put(EditorOptions* block, const OptionKey* key, int32_t value);

// Fills the process-wide block and the window's copy from the settings file; rebuilds the
// tab stops when the window exists. Answers 1.
int read_settings(EditorRecord* rec);
// Writes every key of the window's block to the settings file.
void write_settings(EditorRecord* rec);
// Rebuilds the 257 tab-stop marks and the pixel tab width from TabIncrement.
void build_tab_stops(EditorRecord* rec);
// A TabIncrement that cannot build a tab-stop table (below 1) is stored as 2.
int32_t usable_tab_increment(int32_t value);

// Command handlers (table rows 0x969, 0x96A, 0x96B).
LRESULT cmd_set_option(EditorRecord* rec);
LRESULT cmd_get_option(EditorRecord* rec);
LRESULT cmd_options_dialog(EditorRecord* rec);

}  // namespace ked
