// The option table, the settings file "KORVOED.INI" and the by-name option commands.
#include "edoptions.h"

#include <stdio.h>
#include <string.h>

#include "edrecord.h"
#include "edstate.h"

const EditorOptions g_compiledOptions = {
    1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1,
    0,  // IgnoreSetCursor: 0 until the settings file has been read (table default 1)
    0, 0,
    32,  // TabFill
    8, 2, 80, 0, 0, 0, 0, 0, 21, 0, 0, 0,
};

EditorOptions g_options = g_compiledOptions;

#define ROW(field, type, value) {&g_options.field, type, #field, value}
const OptionKey g_optionKeys[ED_OPTION_COUNT] = {
    ROW(GoFreeSpace, OPT_FLAG, 1),       ROW(UseRealTabs, OPT_FLAG, 1),
    ROW(HighBitsOff, OPT_FLAG, 0),       ROW(EntabLine, OPT_FLAG, 0),
    ROW(Wordwrap, OPT_FLAG, 0),          ROW(AutoReformat, OPT_FLAG, 0),
    ROW(Justify, OPT_FLAG, 0),           ROW(TwoSpaces, OPT_FLAG, 0),
    ROW(CompressSpaces, OPT_FLAG, 1),    ROW(InsertMode, OPT_FLAG, 1),
    ROW(AutoIndent, OPT_FLAG, 1),        ROW(UndoEnabled, OPT_FLAG, 1),
    ROW(ClearSelOnMove, OPT_FLAG, 1),    ROW(IgnoreSetCursor, OPT_FLAG, 1),
    ROW(CtrlKeyMarksRect, OPT_FLAG, 0),  ROW(WindowsScrolling, OPT_FLAG, 0),
    ROW(TabFill, OPT_BYTE, 32),          ROW(TabIncrement, OPT_INT, 8),
    ROW(IndentAmount, OPT_INT, 2),       ROW(RightMargin, OPT_INT, 80),
    ROW(ScrollBars, OPT_INT, 0),         ROW(LeftOffset, OPT_INT, 0),
    ROW(TopOffset, OPT_INT, 0),          ROW(RightOffset, OPT_INT, 0),
    ROW(BottomOffset, OPT_INT, 0),       ROW(WindowsCompatibility, OPT_INT, 21),
    ROW(LinesForReadNotify, OPT_INT, 0), ROW(OwnerDrawn, OPT_INT, 0),
    ROW(UseSoftReturns, OPT_FLAG, 0),
};
#undef ROW

const OptionKey* ed_find_option(const char* name) {
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

int32_t ed_option_get(const EditorOptions* block, const OptionKey* key) {
  char* field = field_in(block, key);
  if (key->type == OPT_BYTE) return *reinterpret_cast<uint8_t*>(field);
  int32_t value;
  memcpy(&value, field, sizeof value);  // fields of the packed block are unaligned
  return value;
}

void ed_option_put(EditorOptions* block, const OptionKey* key, int32_t value) {
  char* field = field_in(block, key);
  if (key->type == OPT_BYTE)
    *reinterpret_cast<uint8_t*>(field) = static_cast<uint8_t>(value);
  else
    memcpy(field, &value, sizeof value);
}

int32_t ed_usable_tab_increment(int32_t value) { return value < 1 ? 2 : value; }

int ed_read_settings(EditorRecord* rec) {
  g_options = g_compiledOptions;
  for (const OptionKey& key : g_optionKeys)
    ed_option_put(&g_options, &key,
                  static_cast<int32_t>(GetPrivateProfileIntA(ED_SETTINGS_SECTION, key.name,
                                                             key.defaultValue, ED_SETTINGS_FILE)));
  g_options.TabIncrement = ed_usable_tab_increment(g_options.TabIncrement);
  rec->options = g_options;
  if (rec->wnd) ed_build_tab_stops(rec);
  return 1;
}

void ed_write_settings(EditorRecord* rec) {
  g_options = rec->options;
  char value[16];
  for (const OptionKey& key : g_optionKeys) {
    snprintf(value, sizeof value, "%d", static_cast<int>(ed_option_get(&g_options, &key)));
    WritePrivateProfileStringA(ED_SETTINGS_SECTION, key.name, value, ED_SETTINGS_FILE);
  }
}

void ed_build_tab_stops(EditorRecord* rec) {
  int32_t step = ed_usable_tab_increment(rec->options.TabIncrement);
  memset(rec->tabMarks, 0, sizeof rec->tabMarks);
  for (int32_t column = step; column < ED_TAB_MARKS; column += step) rec->tabMarks[column] = 1;
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
  const OptionKey* key = ed_find_option(reinterpret_cast<const char*>(g_lParam));
  if (!key) return 0;
  int32_t value = static_cast<int32_t>(g_wParam);
  if (key->type == OPT_FLAG && value == 'y') value = 1;
  if (key->type == OPT_FLAG && value == 'n') value = 0;
  ed_option_put(&g_options, key, value);
  if (key->field == &g_options.TabIncrement) {
    if (g_options.TabIncrement < 3) g_options.TabIncrement = 2;
    rec->options.TabIncrement = g_options.TabIncrement;
    ed_build_tab_stops(rec);
  }
  rec->options = g_options;
  return 1;
}

LRESULT cmd_get_option(EditorRecord* rec) {
  g_options = rec->options;
  const OptionKey* key = ed_find_option(reinterpret_cast<const char*>(g_lParam));
  return key ? ed_option_get(&g_options, key) : -1;
}
