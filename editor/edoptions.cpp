// The option table, the settings file "KORVOED.INI" and the by-name option commands.
#include "edoptions.h"

#include <stdio.h>
#include <string.h>

#include "edrecord.h"
#include "edstate.h"

namespace ked {

const EditorOptions g_compiledOptions = {
    1,  1, 0,  0, 0, 0, 0, 0, 1,  1, 1, 1, 1,
    0,  // IgnoreSetCursor: 0 until the settings file has been read (table default 1)
    0,  0,
    32,  // TabFill
    8,  2, 80, 0, 0, 0, 0, 0, 21, 0, 0, 0,
};

EditorOptions g_options = g_compiledOptions;

const OptionKey g_optionKeys[kOptionCount] = {
    {&g_options.GoFreeSpace, OPT_FLAG, "GoFreeSpace", 1},
    {&g_options.UseRealTabs, OPT_FLAG, "UseRealTabs", 1},
    {&g_options.HighBitsOff, OPT_FLAG, "HighBitsOff", 0},
    {&g_options.EntabLine, OPT_FLAG, "EntabLine", 0},
    {&g_options.Wordwrap, OPT_FLAG, "Wordwrap", 0},
    {&g_options.AutoReformat, OPT_FLAG, "AutoReformat", 0},
    {&g_options.Justify, OPT_FLAG, "Justify", 0},
    {&g_options.TwoSpaces, OPT_FLAG, "TwoSpaces", 0},
    {&g_options.CompressSpaces, OPT_FLAG, "CompressSpaces", 1},
    {&g_options.InsertMode, OPT_FLAG, "InsertMode", 1},
    {&g_options.AutoIndent, OPT_FLAG, "AutoIndent", 1},
    {&g_options.UndoEnabled, OPT_FLAG, "UndoEnabled", 1},
    {&g_options.ClearSelOnMove, OPT_FLAG, "ClearSelOnMove", 1},
    {&g_options.IgnoreSetCursor, OPT_FLAG, "IgnoreSetCursor", 1},
    {&g_options.CtrlKeyMarksRect, OPT_FLAG, "CtrlKeyMarksRect", 0},
    {&g_options.WindowsScrolling, OPT_FLAG, "WindowsScrolling", 0},
    {&g_options.TabFill, OPT_BYTE, "TabFill", 32},
    {&g_options.TabIncrement, OPT_INT, "TabIncrement", 8},
    {&g_options.IndentAmount, OPT_INT, "IndentAmount", 2},
    {&g_options.RightMargin, OPT_INT, "RightMargin", 80},
    {&g_options.ScrollBars, OPT_INT, "ScrollBars", 0},
    {&g_options.LeftOffset, OPT_INT, "LeftOffset", 0},
    {&g_options.TopOffset, OPT_INT, "TopOffset", 0},
    {&g_options.RightOffset, OPT_INT, "RightOffset", 0},
    {&g_options.BottomOffset, OPT_INT, "BottomOffset", 0},
    {&g_options.WindowsCompatibility, OPT_INT, "WindowsCompatibility", 21},
    {&g_options.LinesForReadNotify, OPT_INT, "LinesForReadNotify", 0},
    {&g_options.OwnerDrawn, OPT_INT, "OwnerDrawn", 0},
    {&g_options.UseSoftReturns, OPT_FLAG, "UseSoftReturns", 0},
};

const OptionKey* find_option(const char* name) {
  if (!name) return nullptr;
  for (const OptionKey& key : g_optionKeys)
    if (strcmp(key.name, name) == 0) return &key;
  return nullptr;
}

namespace {
// The same field in another block of the same layout.
char* field_in(const EditorOptions* block, const OptionKey* key) {
  ptrdiff_t offset = static_cast<char*>(key->field) - reinterpret_cast<char*>(&g_options);
  return reinterpret_cast<char*>(const_cast<EditorOptions*>(block)) + offset;
}
}  // namespace

int32_t option_get(const EditorOptions* block, const OptionKey* key) {
  char* field = field_in(block, key);
  if (key->type == OPT_BYTE) return *reinterpret_cast<uint8_t*>(field);
  int32_t value;
  memcpy(&value, field, sizeof value);  // fields of the packed block are unaligned
  return value;
}

void option_put(EditorOptions* block, const OptionKey* key, int32_t value) {
  char* field = field_in(block, key);
  if (key->type == OPT_BYTE)
    *reinterpret_cast<uint8_t*>(field) = static_cast<uint8_t>(value);
  else
    memcpy(field, &value, sizeof value);
}

int32_t usable_tab_increment(int32_t value) { return value < 1 ? 2 : value; }

int read_settings(EditorRecord* rec) {
  g_options = g_compiledOptions;
  for (const OptionKey& key : g_optionKeys)
    option_put(&g_options, &key,
               static_cast<int32_t>(
                   GetPrivateProfileIntA(kSettingsSection, key.name, key.defaultValue, kSettingsFile)));
  g_options.TabIncrement = usable_tab_increment(g_options.TabIncrement);
  rec->options = g_options;
  if (rec->wnd) build_tab_stops(rec);
  return 1;
}

void write_settings(EditorRecord* rec) {
  g_options = rec->options;
  char value[16];
  for (const OptionKey& key : g_optionKeys) {
    snprintf(value, sizeof value, "%d", static_cast<int>(option_get(&g_options, &key)));
    WritePrivateProfileStringA(kSettingsSection, key.name, value, kSettingsFile);
  }
}

void build_tab_stops(EditorRecord* rec) {
  int32_t step = usable_tab_increment(rec->options.TabIncrement);
  memset(rec->tabMarks, 0, sizeof rec->tabMarks);
  for (int32_t column = step; column < kTabMarks; column += step) rec->tabMarks[column] = 1;
  int32_t spaceWidth = rec->averageWidth;
  if (rec->wnd) {
    HDC dc = GetDC(rec->wnd);
    HGDIOBJ old = rec->font ? SelectObject(dc, rec->font) : nullptr;
    SIZE size;
    if (GetTextExtentPoint32A(dc, " ", 1, &size)) spaceWidth = size.cx;
    if (old) SelectObject(dc, old);
    ReleaseDC(rec->wnd, dc);
  }
  rec->tabCount = 1;
  rec->tabPositions[0] = step * spaceWidth;
}

LRESULT cmd_set_option(EditorRecord* rec) {
  g_options = rec->options;
  const OptionKey* key = find_option(reinterpret_cast<const char*>(rec->lParam));
  if (!key) return 0;
  int32_t value = static_cast<int32_t>(rec->wParam);
  if (key->type == OPT_FLAG && value == 'y') value = 1;
  if (key->type == OPT_FLAG && value == 'n') value = 0;
  option_put(&g_options, key, value);
  if (key->field == &g_options.TabIncrement) {
    if (g_options.TabIncrement < 3) g_options.TabIncrement = 2;
    rec->options.TabIncrement = g_options.TabIncrement;
    build_tab_stops(rec);
  }
  rec->options = g_options;
  return 1;
}

LRESULT cmd_get_option(EditorRecord* rec) {
  g_options = rec->options;
  const OptionKey* key = find_option(reinterpret_cast<const char*>(rec->lParam));
  return key ? option_get(&g_options, key) : -1;
}

}  // namespace ked
