// TWindow's default message handlers and its response table. Handlers without their own
// behaviour pass the message on (DefaultProcessing); messages a parent receives for a
// child (owner draw, list-box keys, scroll bars) are forwarded to the child's object.
#include "winlib/applicat.h"
#include "winlib/control.h"
#include "winlib/dc.h"
#include "winlib/window.h"

DEFINE_RESPONSE_TABLE(TWindow)
EV_WM_PAINT, EV_WM_ERASEBKGND, EV_WM_CLOSE, EV_WM_DESTROY, EV_WM_SETCURSOR, EV_WM_DRAWITEM, EV_WM_MEASUREITEM,
    EV_WM_COMPAREITEM, EV_WM_DELETEITEM, EV_WM_CHARTOITEM, EV_WM_VKEYTOITEM, EV_WM_HSCROLL, EV_WM_VSCROLL,
    END_RESPONSE_TABLE;

namespace {
TControl* ControlOf(HWND h) { return dynamic_cast<TControl*>(TWindow::GetWindowPtr(h)); }
}  // namespace

int TWindow::EvCreate(CREATESTRUCTA&) { return int(DefaultProcessing()); }

void TWindow::EvClose() {
  if (IsFlagSet(wfPredefinedClass))
    DefaultProcessing();
  else
    CloseWindow(0);
}

void TWindow::EvDestroy() {
  if (IsFlagSet(wfMainWindow)) ::PostQuitMessage(0);
  DefaultProcessing();
}

void TWindow::EvPaint() {
  if (IsFlagSet(wfPredefinedClass)) {
    DefaultProcessing();  // the system class paints itself
    return;
  }
  TPaintDC dc(HWindow);
  TRect rect(dc.Ps.rcPaint);
  Paint(dc, dc.Ps.fErase != 0, rect);
}

bool TWindow::EvEraseBkgnd(HDC dc) {
  if (IsFlagSet(wfPredefinedClass) || BkgndColor.GetValue() == 0xFFFFFFFF) return DefaultProcessing() != 0;
  if (BkgndColor.IsNone()) return true;
  if (!bkgndBrush_) bkgndBrush_ = ::CreateSolidBrush(BkgndColor.Resolved());
  RECT r;
  ::GetClientRect(HWindow, &r);
  ::FillRect(dc, &r, bkgndBrush_);
  return true;
}

bool TWindow::EvSetCursor(HWND window, uint hitTest, uint) {
  HCURSOR c = nullptr;
  if (TApplication* app = GetApplicationObject()) c = app->GetGlobalCursor();
  if (!c && window == HWindow && hitTest == HTCLIENT) c = cursor_;
  if (c) {
    ::SetCursor(c);
    return true;
  }
  return DefaultProcessing() != 0;
}

void TWindow::EvDrawItem(uint, DRAWITEMSTRUCT& draw) {
  if (draw.CtlType != ODT_MENU)
    if (TControl* c = ControlOf(draw.hwndItem)) {
      c->DrawItem(draw);
      return;
    }
  DefaultProcessing();
}

void TWindow::EvMeasureItem(uint ctlId, MEASUREITEMSTRUCT& measure) {
  if (measure.CtlType != ODT_MENU)
    if (TControl* c = dynamic_cast<TControl*>(ChildWithId(int(ctlId)))) {
      c->MeasureItem(measure);
      return;
    }
  DefaultProcessing();
}

int TWindow::EvCompareItem(uint, COMPAREITEMSTRUCT& compare) {
  if (TControl* c = ControlOf(compare.hwndItem)) return c->CompareItem(compare);
  return int(DefaultProcessing());
}

void TWindow::EvDeleteItem(uint, DELETEITEMSTRUCT& del) {
  if (TControl* c = ControlOf(del.hwndItem))
    c->DeleteItem(del);
  else
    DefaultProcessing();
}

int TWindow::EvCharToItem(uint key, HWND listBox, uint caretIndex) {
  if (TControl* c = ControlOf(listBox)) return c->CharToItem(key, caretIndex);
  return int(DefaultProcessing());
}

int TWindow::EvVKeyToItem(uint key, HWND listBox, uint caretIndex) {
  if (TControl* c = ControlOf(listBox)) return c->VKeyToItem(key, caretIndex);
  return int(DefaultProcessing());
}

// Scroll messages of a scroll-bar control go to the control's own table.
void TWindow::EvHScroll(uint code, uint pos, HWND ctl) {
  TWindow* c = GetWindowPtr(ctl);
  TEventInfo ev(WM_HSCROLL);
  if (c && c != this && c->Find(ev))
    ev.Dispatch(MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(ctl));
  else
    DefaultProcessing();
}

void TWindow::EvVScroll(uint code, uint pos, HWND ctl) {
  TWindow* c = GetWindowPtr(ctl);
  TEventInfo ev(WM_VSCROLL);
  if (c && c != this && c->Find(ev))
    ev.Dispatch(MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(ctl));
  else
    DefaultProcessing();
}

// Handlers whose default is the system's.
void TWindow::EvSize(uint, TSize&) { DefaultProcessing(); }
void TWindow::EvMove(TPoint&) { DefaultProcessing(); }
void TWindow::EvWindowPosChanged(WINDOWPOS&) { DefaultProcessing(); }
void TWindow::EvGetMinMaxInfo(MINMAXINFO&) { DefaultProcessing(); }
void TWindow::EvLButtonDown(uint, TPoint&) { DefaultProcessing(); }
void TWindow::EvLButtonUp(uint, TPoint&) { DefaultProcessing(); }
void TWindow::EvLButtonDblClk(uint, TPoint&) { DefaultProcessing(); }
void TWindow::EvRButtonDown(uint, TPoint&) { DefaultProcessing(); }
void TWindow::EvRButtonUp(uint, TPoint&) { DefaultProcessing(); }
void TWindow::EvMouseMove(uint, TPoint&) { DefaultProcessing(); }
void TWindow::EvKeyDown(uint, uint, uint) { DefaultProcessing(); }
void TWindow::EvKeyUp(uint, uint, uint) { DefaultProcessing(); }
void TWindow::EvChar(uint, uint, uint) { DefaultProcessing(); }
void TWindow::EvSysKeyDown(uint, uint, uint) { DefaultProcessing(); }
void TWindow::EvSetFocus(HWND) { DefaultProcessing(); }
void TWindow::EvKillFocus(HWND) { DefaultProcessing(); }
void TWindow::EvTimer(uint) { DefaultProcessing(); }
HBRUSH TWindow::EvCtlColor(HDC, HWND, uint) { return HBRUSH(DefaultProcessing()); }
void TWindow::EvPaletteChanged(HWND) { DefaultProcessing(); }
bool TWindow::EvQueryNewPalette() { return DefaultProcessing() != 0; }
HICON TWindow::EvQueryDragIcon() { return HICON(DefaultProcessing()); }
uint TWindow::EvGetDlgCode(MSG*) { return uint(DefaultProcessing()); }
void TWindow::EvInitMenu(HMENU) { DefaultProcessing(); }
void TWindow::EvInitMenuPopup(HMENU, uint, bool) { DefaultProcessing(); }
void TWindow::EvMenuSelect(uint, uint, HMENU) { DefaultProcessing(); }
void TWindow::EvSysCommand(uint, TPoint&) { DefaultProcessing(); }
void TWindow::EvActivate(uint, bool, HWND) { DefaultProcessing(); }
void TWindow::EvDropFiles(TDropInfo) { DefaultProcessing(); }
