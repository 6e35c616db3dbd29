// EditorWndProc: the one entry of every message to an editor window.
#include "edcaret.h"
#include "edcommand.h"
#include "edfont.h"
#include "edformat.h"
#include "edkeys.h"
#include "edmove.h"
#include "edpaint.h"
#include "edrecord.h"
#include "edstate.h"
#include "edtext.h"
#include "edundo.h"
#include "edview.h"
#include "edwindow.h"
#include "editor/korvoedit.h"

using namespace ked;

namespace {

constexpr LRESULT kDialogCodeAllKeys = 0x0C;      // wants all keys, has a selection
constexpr LRESULT kDialogCodeArrowsChars = 0x89;  // arrows, characters, selection

LRESULT set_redraw(EditorRecord* rec, WPARAM suspend) {
  if (suspend) {
    rec->state |= ST_UPDATES_OFF;
  } else {
    rec->state &= ~static_cast<uint32_t>(ST_UPDATES_OFF);
    display_update(rec);
  }
  return 1;
}

LRESULT set_font(EditorRecord* rec, HFONT font) {
  rec->font = font ? font : choose_font(rec);
  measure_font(rec);
  layout(rec);
  build_tab_stops(rec);
  if (rec->caret.height) rec->caret.flags |= CARET_REMAKE;
  make_caret(rec);
  InvalidateRect(rec->wnd, nullptr, TRUE);
  UpdateWindow(rec->wnd);
  return 0;
}

LRESULT erase_background(EditorRecord* rec, HDC dc) {
  if (!rec->windowBrush) return 0;
  RECT client;
  GetClientRect(rec->wnd, &client);
  FillRect(dc, &client, rec->windowBrush);
  return 1;
}

// Mouse messages the parent sees first: only when it answers 0 does the control act.
LRESULT offer_to_parent(EditorRecord* rec, UINT msg, WPARAM wp, LPARAM lp) {
  HWND parent = GetParent(rec->wnd);
  if (parent && SendMessageA(parent, msg, wp, lp) != 0) return 1;
  return mouse_other(rec, msg, wp, lp);
}

LRESULT dialog_code(EditorRecord* rec) {
  LONG_PTR style = GetWindowLongPtrA(rec->wnd, GWL_STYLE);
  return (style & (ES_KE_WANTALL1 | ES_KE_WANTALL2)) ? kDialogCodeAllKeys : kDialogCodeArrowsChars;
}

// Edit-control and private messages; null for those the control does not serve.
CommandHandler edit_message_handler(UINT msg) {
  switch (msg) {
    case EM_GETMODIFY:
      return cmd_get_modify;
    case EM_SETMODIFY:
      return cmd_set_modify;
    case EM_GETLINECOUNT:
      return cmd_get_line_count;
    case EM_SETREADONLY:
      return cmd_set_read_only;
    case EM_GETSEL:
      return [](EditorRecord* r) { return run_command(r, KE_EM_GETSEL); };
    case EM_SETSEL:
      return [](EditorRecord* r) { return run_command(r, KE_EM_SETSEL); };
    case EM_GETRECT:
      return [](EditorRecord* r) { return run_command(r, KE_EM_GETRECT); };
    case EM_SETRECT:
      return [](EditorRecord* r) { return run_command(r, KE_EM_SETRECT); };
    case EM_SETRECTNP:
      return [](EditorRecord* r) { return run_command(r, KE_EM_SETRECTNP); };
    case EM_LINEINDEX:
      return [](EditorRecord* r) { return run_command(r, KE_EM_LINEINDEX); };
    case EM_LINELENGTH:
      return [](EditorRecord* r) { return run_command(r, KE_EM_LINELENGTH); };
    case EM_REPLACESEL:
      return [](EditorRecord* r) { return run_command(r, KE_EM_REPLACESEL); };
    case EM_GETLINE:
      return [](EditorRecord* r) { return run_command(r, KE_EM_GETLINE); };
    case EM_LINEFROMCHAR:
      return [](EditorRecord* r) { return run_command(r, KE_EM_LINEFROMCHAR); };
    case EM_SETTABSTOPS:
      return [](EditorRecord* r) { return run_command(r, KE_EM_SETTABSTOPS); };
    case EM_GETFIRSTVISIBLELINE:
      return [](EditorRecord* r) { return run_command(r, KE_EM_GETFIRSTVISIBLELINE); };
    case KE_PM_SELECTION_OFFSETS:
      return [](EditorRecord* r) { return run_command(r, KE_SELECTION_OFFSETS); };
    case KE_PM_LINEFROMCHAR:
      return [](EditorRecord* r) { return run_command(r, KE_EM_LINEFROMCHAR2); };
    case KE_PM_SELECT_OFFSETS:
      return [](EditorRecord* r) { return run_command(r, KE_SELECT_OFFSETS); };
    case KE_PM_SELECTED_TEXT:
      return [](EditorRecord* r) { return run_command(r, KE_SELECTED_TEXT); };
    case EM_CANUNDO:
      return can_undo;
    case KE_PM_WINDOW_COLOUR:
      return cmd_swap_window_colour;
    case KE_PM_GET_FORMAT:
      return cmd_get_format;
    case KE_PM_SET_FORMAT:
      return cmd_set_format;
  }
  return nullptr;
}

}  // namespace

namespace {

// Makes wp and lp the parameters the window's handlers read while it serves one message;
// a message sent to the same window meanwhile gives the outer one's back when it ends.
class MessageParams {
 public:
  MessageParams(EditorRecord* rec, WPARAM wp, LPARAM lp)
      : rec_(rec), wnd_(rec->wnd), wp_(rec->wParam), lp_(rec->lParam) {
    rec->wParam = wp;
    rec->lParam = lp;
  }
  ~MessageParams() {
    // The window may have been destroyed while it served the message.
    if (record_of(wnd_) == rec_) {
      rec_->wParam = wp_;
      rec_->lParam = lp_;
    }
  }
  MessageParams(const MessageParams&) = delete;
  MessageParams& operator=(const MessageParams&) = delete;

 private:
  EditorRecord* rec_;
  HWND wnd_;
  WPARAM wp_;
  LPARAM lp_;
};

}  // namespace

LRESULT CALLBACK EditorWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_STYLECHANGING || msg == WM_STYLECHANGED) return DefWindowProcA(wnd, msg, wp, lp);
  if (msg == WM_CREATE) return create_window(wnd, reinterpret_cast<CREATESTRUCTA*>(lp));
  EditorRecord* rec = record_of(wnd);
  if (!rec) return DefWindowProcA(wnd, msg, wp, lp);
  MessageParams params(rec, wp, lp);
  // Owner-draw requests reach the control itself when it is its own owner (OwnerDrawn
  // bit 4) and no subclass took them: nothing was measured or drawn.
  if (msg >= KE_OD_DRAW && msg <= KE_OD_MEASURE) return 0;
  if ((msg >= KE_COMMAND_FIRST && msg <= KE_COMMAND_LAST) || msg == WM_PASTE) return run_command(rec, msg);
  if (CommandHandler handler = edit_message_handler(msg)) return handler(rec);

  switch (msg) {
    case WM_DESTROY:
      destroy_window(wnd);
      return 1;
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) layout(rec);
      return 1;
    case WM_SETFOCUS:
      if (wp) caret_focus_gained(rec);
      notify(rec, KEN_SETFOCUS);
      return 1;
    case WM_KILLFOCUS:
      caret_focus_lost(rec);
      notify(rec, KEN_KILLFOCUS);
      return 1;
    case WM_SETREDRAW:
      return set_redraw(rec, wp);
    case WM_SETTEXT:
      return set_text(rec, reinterpret_cast<const char*>(lp));
    case WM_GETTEXT:
      return get_text(rec, reinterpret_cast<char*>(lp), wp);
    case WM_GETTEXTLENGTH:
      return text_length(rec);
    case WM_PAINT:
      return paint(rec);
    case WM_ERASEBKGND:
      return erase_background(rec, reinterpret_cast<HDC>(wp));
    case WM_SETFONT:
      return set_font(rec, reinterpret_cast<HFONT>(wp));
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(rec->font);
    case WM_GETDLGCODE:
      return dialog_code(rec);
    case WM_CUT:
      return SendMessageA(wnd, KE_CUT, wp, lp);
    case WM_COPY:
      return SendMessageA(wnd, KE_COPY, wp, lp);
    case WM_CLEAR:
      return SendMessageA(wnd, KE_DELETE_LINE, wp, lp);
    case WM_UNDO:
    case EM_UNDO:
      return SendMessageA(wnd, KE_UNDO, wp, lp);
    case WM_KEYDOWN:
      return key_down(rec, wp, lp);
    case WM_CHAR:
      return key_char(rec, wp, lp);
    case WM_SETCURSOR:
      return set_cursor(rec, wp, lp);
    case WM_HSCROLL:
      return horizontal_scroll(rec, wp);
    case WM_VSCROLL:
      return vertical_scroll(rec, wp);
    case WM_LBUTTONDOWN:
      return mouse_left_down(rec, wp, lp);
    case WM_MOUSEMOVE:
      return mouse_move(rec, wp, lp);
    case WM_LBUTTONUP:
      return mouse_left_up(rec, wp, lp);
    case WM_TIMER:
      if (wp == kAutoScrollTimer) return auto_scroll_tick(rec);
      break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      return offer_to_parent(rec, msg, wp, lp);
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}
