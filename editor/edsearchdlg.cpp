// The search and replace dialogs, their two histories, and the confirmation beside a match.
#include <string.h>

#include "edmem.h"
#include "edmessage.h"
#include "edrecord.h"
#include "edsearch.h"
#include "edstate.h"
#include "editor/korvoedit.h"

namespace ked {

SearchRequest g_dialogRequest;

namespace {

constexpr int kHistorySlots = 16;

// A ring of the last 16 texts: the slot to write next, the oldest slot, the slots in use.
struct SearchHistory {
  char* slots[kHistorySlots];
  int write;
  int oldest;
  int count;
};

SearchHistory s_findHistory;
SearchHistory s_replaceHistory;

void history_add(SearchHistory& h, const char* text) {
  int latest = (h.write + kHistorySlots - 1) % kHistorySlots;
  if (h.count > 0 && h.slots[latest] && strcmp(h.slots[latest], text) == 0) return;
  char* copy = copy_string(text);
  if (!copy) return;
  free_block(h.slots[h.write]);
  h.slots[h.write] = copy;
  if (h.count < kHistorySlots) ++h.count;
  h.write = (h.write + 1) % kHistorySlots;
  if (h.count == kHistorySlots && h.write == h.oldest) h.oldest = (h.oldest + 1) % kHistorySlots;
}

// From the most recent entry, forward slot by slot (modulo the count) until back at it or
// at an empty slot; the first entry is selected.
void history_fill(const SearchHistory& h, HWND combo) {
  if (!combo || h.count == 0) return;
  int latest = (h.write + kHistorySlots - 1) % kHistorySlots;
  int i = latest;
  do {
    if (!h.slots[i]) break;
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(h.slots[i]));
    i = (i + 1) % h.count;
  } while (i != latest);
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

struct DialogState {
  UINT command;
  bool replace;
};
DialogState s_dialog;

void read_text(HWND dlg, int control, char* to) {
  GetDlgItemTextA(dlg, control, to, kRequestText);
  to[kRequestText - 1] = '\0';
}

void finish(HWND dlg, bool changeAll) {
  SearchRequest& r = g_dialogRequest;
  read_text(dlg, IDC_SRCH_FIND, r.pattern);
  history_add(s_findHistory, r.pattern);
  if (s_dialog.replace) {
    read_text(dlg, IDC_SRCH_REPLACE, r.replacement);
    history_add(s_replaceHistory, r.replacement);
  }
  uint32_t flags = SF_SELECT;
  if (IsDlgButtonChecked(dlg, IDC_SRCH_FORWARD) != BST_CHECKED) flags |= SF_BACKWARD;
  if (IsDlgButtonChecked(dlg, IDC_SRCH_CASE) != BST_CHECKED) flags |= SF_IGNORE_CASE;
  if (IsDlgButtonChecked(dlg, IDC_SRCH_REGEX) != BST_CHECKED) flags |= SF_PLAIN;
  if (IsDlgButtonChecked(dlg, IDC_SRCH_WORD) == BST_CHECKED) flags |= SF_WHOLE_WORD;
  if (s_dialog.replace) {
    if (IsDlgButtonChecked(dlg, IDC_SRCH_PROMPT) == BST_CHECKED) flags |= SF_PROMPT;
    if (changeAll) flags |= SF_CHANGE_ALL;
  }
  r.flags = flags;
  EndDialog(dlg, 1);
}

char s_confirmText[kRequestText * 4];
RECT s_match;

}  // namespace

int run_search_dialog(EditorRecord* rec, UINT command, bool replace) {
  s_dialog = DialogState{command, replace};
  g_openDialogs++;
  INT_PTR result = DialogBoxParamA(g_instance, replace ? "DlgSubst" : "DlgSearch", GetParent(rec->wnd),
                                   SearchDlgProc, static_cast<LPARAM>(command));
  g_openDialogs--;
  return result == 1 ? 1 : 0;
}

int confirm_replace(EditorRecord* rec, const char* text, RECT match) {
  size_t n = strlen(text);
  if (n >= sizeof s_confirmText) n = sizeof s_confirmText - 1;
  memcpy(s_confirmText, text, n);
  s_confirmText[n] = '\0';
  MapWindowPoints(rec->wnd, nullptr, reinterpret_cast<POINT*>(&match), 2);
  s_match = match;
  HDC dc = GetDC(rec->wnd);
  RECT local = match;
  MapWindowPoints(nullptr, rec->wnd, reinterpret_cast<POINT*>(&local), 2);
  InvertRect(dc, &local);
  HideCaret(rec->wnd);
  INT_PTR answer = DialogBoxParamA(g_instance, "DlgCanReplace", rec->wnd, CanReplaceDlgProc,
                                   reinterpret_cast<LPARAM>(s_confirmText));
  InvertRect(dc, &local);
  ReleaseDC(rec->wnd, dc);
  ShowCaret(rec->wnd);
  switch (answer) {
    case IDYES:
      return 'y';
    case IDNO:
      return 'n';
    case IDC_SRCH_ALL:
      return 'g';
  }
  return 'q';
}

}  // namespace ked

using namespace ked;

INT_PTR CALLBACK SearchDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      UINT command = static_cast<UINT>(lp);
      s_dialog.command = command;
      s_dialog.replace = command == KE_REPLACE_FORWARD || command == KE_REPLACE_BACKWARD;
      SetWindowLongA(dlg, GWL_STYLE, GetWindowLongA(dlg, GWL_STYLE) | DS_3DLOOK);
      SearchRequest& r = g_dialogRequest;
      r.flags &= ~static_cast<uint32_t>(SF_CANCELLED);
      history_fill(s_findHistory, GetDlgItem(dlg, IDC_SRCH_FIND));
      if (s_dialog.replace) history_fill(s_replaceHistory, GetDlgItem(dlg, IDC_SRCH_REPLACE));
      CheckDlgButton(dlg, IDC_SRCH_CASE, (r.flags & SF_IGNORE_CASE) ? BST_UNCHECKED : BST_CHECKED);
      CheckDlgButton(dlg, IDC_SRCH_REGEX, (r.flags & SF_PLAIN) ? BST_UNCHECKED : BST_CHECKED);
      CheckDlgButton(dlg, IDC_SRCH_WORD, (r.flags & SF_WHOLE_WORD) ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(dlg, IDC_SRCH_PROMPT, (r.flags & SF_PROMPT) ? BST_CHECKED : BST_UNCHECKED);
      bool backward = command == KE_FIND_BACKWARD || command == KE_REPLACE_BACKWARD;
      CheckRadioButton(dlg, IDC_SRCH_FORWARD, IDC_SRCH_BACKWARD,
                       backward ? IDC_SRCH_BACKWARD : IDC_SRCH_FORWARD);
      SetFocus(GetDlgItem(dlg, IDC_SRCH_FIND));
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK:
          finish(dlg, false);
          return TRUE;
        case IDC_SRCH_ALL:
          finish(dlg, true);
          return TRUE;
        case IDCANCEL:
          EndDialog(dlg, 0);
          return TRUE;
        case IDC_SRCH_HELP:
          string_box(dlg, MB_ICONEXCLAMATION | MB_OK, IDS_HELP_NOT_IMPLEMENTED);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK CanReplaceDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetDlgItemTextA(dlg, IDC_CANREPLACE_TEXT, reinterpret_cast<const char*>(lp));
      // Keep the match visible: below it when there is room, else above it.
      RECT box;
      GetWindowRect(dlg, &box);
      int height = box.bottom - box.top;
      RECT overlap;
      if (IntersectRect(&overlap, &box, &s_match)) {
        int top = s_match.bottom + height < GetSystemMetrics(SM_CYSCREEN) ? s_match.bottom + 8
                                                                          : s_match.top - 8 - height;
        SetWindowPos(dlg, nullptr, box.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      }
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDYES:
        case IDNO:
        case IDCANCEL:
        case IDC_SRCH_ALL:
          EndDialog(dlg, LOWORD(wp));
          return TRUE;
      }
      break;
  }
  return FALSE;
}
