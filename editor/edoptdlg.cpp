// The modal options dialog "DlgOptions": 13 controls over a scratch copy of the
// window's options; OK applies, button 430 applies and saves as the new defaults.
#include <windows.h>

#include "edoptions.h"
#include "edrecord.h"
#include "edstate.h"
#include "editor/korvoedit.h"

using namespace ked;

namespace {

enum ControlKind { CHECK, NUMBER };

struct DialogRow {
  int control;
  const char* option;
  ControlKind kind;
};

const DialogRow kRows[] = {
    {IDC_OPT_INSERTMODE, "InsertMode", CHECK},      {IDC_OPT_GOFREESPACE, "GoFreeSpace", CHECK},
    {IDC_OPT_AUTOINDENT, "AutoIndent", CHECK},      {IDC_OPT_HIGHBITSOFF, "HighBitsOff", CHECK},
    {IDC_OPT_INDENTAMOUNT, "IndentAmount", NUMBER}, {IDC_OPT_USEREALTABS, "UseRealTabs", CHECK},
    {IDC_OPT_ENTABLINE, "EntabLine", CHECK},        {IDC_OPT_TABINCREMENT, "TabIncrement", NUMBER},
    {IDC_OPT_TABFILL, "TabFill", NUMBER},           {IDC_OPT_WORDWRAP, "Wordwrap", CHECK},
    {IDC_OPT_UNDOENABLED, "UndoEnabled", CHECK},    {IDC_OPT_RIGHTMARGIN, "RightMargin", NUMBER},
    {IDC_OPT_AUTOREFORMAT, "AutoReformat", CHECK},
};

EditorOptions s_scratch;

void fill_controls(HWND dlg) {
  for (const DialogRow& row : kRows) {
    int32_t value = option_get(&s_scratch, find_option(row.option));
    if (row.kind == CHECK)
      CheckDlgButton(dlg, row.control, value ? BST_CHECKED : BST_UNCHECKED);
    else
      SetDlgItemInt(dlg, row.control, static_cast<UINT>(value), TRUE);
  }
}

void read_controls(HWND dlg) {
  for (const DialogRow& row : kRows) {
    int32_t value = row.kind == CHECK ? (IsDlgButtonChecked(dlg, row.control) == BST_CHECKED)
                                      : static_cast<int32_t>(GetDlgItemInt(dlg, row.control, nullptr, TRUE));
    option_put(&s_scratch, find_option(row.option), value);  // a byte keeps 8 bits
  }
}

void apply(HWND dlg, EditorRecord* rec, bool save) {
  int32_t oldIncrement = rec->options.TabIncrement;
  read_controls(dlg);
  s_scratch.TabIncrement = usable_tab_increment(s_scratch.TabIncrement);
  rec->options = s_scratch;
  if (rec->options.TabIncrement != oldIncrement) build_tab_stops(rec);
  if (save) write_settings(rec);
}

}  // namespace

INT_PTR CALLBACK OptionsDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      EditorRecord* rec = reinterpret_cast<EditorRecord*>(lp);
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      if (rec) s_scratch = rec->options;
      fill_controls(dlg);
      return TRUE;
    }
    case WM_COMMAND: {
      EditorRecord* rec = reinterpret_cast<EditorRecord*>(GetWindowLongPtrA(dlg, DWLP_USER));
      switch (LOWORD(wp)) {
        case IDOK:
        case IDC_OPT_SAVEDEFAULTS:
          if (rec) apply(dlg, rec, LOWORD(wp) == IDC_OPT_SAVEDEFAULTS);
          EndDialog(dlg, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dlg, 0);
          return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

namespace ked {

LRESULT cmd_options_dialog(EditorRecord* rec) {
  ++g_openDialogs;
  INT_PTR result = DialogBoxParamA(g_instance, "DlgOptions", GetParent(rec->wnd), OptionsDlgProc,
                                   reinterpret_cast<LPARAM>(rec));
  --g_openDialogs;
  if (result >= 1) InvalidateRect(rec->wnd, nullptr, TRUE);
  return result;
}

}  // namespace ked
