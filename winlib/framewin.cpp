// TFrameWindow: client window management, menu and icon, focus memory and command
// routing (the client window sees commands and enable queries before the frame).
#include "winlib/framewin.h"

#include "winlib/applicat.h"
#include "winlib/dc.h"
#include "winlib/module.h"

DEFINE_RESPONSE_TABLE1(TFrameWindow, TWindow)
EV_WM_SIZE, EV_WM_PAINT, EV_WM_ERASEBKGND, EV_WM_QUERYDRAGICON, EV_WM_SETFOCUS, EV_WM_INITMENUPOPUP,
    END_RESPONSE_TABLE;

TFrameWindow::TFrameWindow() = default;

TFrameWindow::TFrameWindow(TWindow* parent, const char* title, TWindow* clientWnd, bool shrinkToClient,
                           TModule* module) {
  TWindow::Init(parent, title, module);
  Init(clientWnd, shrinkToClient);
}

void TFrameWindow::Init(TWindow* clientWnd, bool shrinkToClient) {
  Attr.Style |= WS_CLIPCHILDREN;
  if (shrinkToClient) SetFlag(wfShrinkToClient);
  SetClientWindow(clientWnd);
}

TFrameWindow::~TFrameWindow() {
  // The application forgets its main window; the flag stays, so that destroying the
  // handle still ends the message loop.
  if (TApplication* app = GetApplicationObject())
    if (app->MainWindow == this) app->MainWindow = nullptr;
  if (icon_ && ownIcon_) ::DestroyIcon(icon_);
  if (menu_ && !HWindow) ::DestroyMenu(menu_);
}

TWindow* TFrameWindow::SetClientWindow(TWindow* clientWnd) {
  TWindow* previous = ClientWnd;
  ClientWnd = clientWnd;
  if (clientWnd) {
    clientWnd->Attr.Style =
        (clientWnd->Attr.Style & ~(WS_POPUP | WS_OVERLAPPEDWINDOW)) | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    if (clientWnd->Attr.X == int(CW_USEDEFAULT)) clientWnd->Attr.X = clientWnd->Attr.Y = 0;
    if (clientWnd->Attr.W == int(CW_USEDEFAULT)) clientWnd->Attr.W = clientWnd->Attr.H = 0;
    clientWnd->SetFlag(wfAutoCreate);
    clientWnd->SetParent(this);
    if (HWindow && !clientWnd->HWindow) clientWnd->Create();
    if (HWindow) ResizeClientWindow();
  }
  return previous;
}

void TFrameWindow::SetupWindow() {
  if (Attr.Menu && !menu_ && Module) {
    menu_ = ::GetMenu(HWindow);
    if (!menu_ && (menu_ = Module->LoadMenu(Attr.Menu))) ::SetMenu(HWindow, menu_);
  }
  if (icon_) ::SendMessageA(HWindow, WM_SETICON, ICON_BIG, LPARAM(icon_));
  TWindow::SetupWindow();
  if (IsFlagSet(wfShrinkToClient) && ClientWnd && ClientWnd->HWindow) {
    TRect want = ClientWnd->GetWindowRect();
    RECT r = {0, 0, want.Width(), want.Height()};
    ::AdjustWindowRectEx(&r, GetStyle(), ::GetMenu(HWindow) != nullptr, GetExStyle());
    ::SetWindowPos(HWindow, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ResizeClientWindow();
}

void TFrameWindow::ResizeClientWindow() {
  if (!ClientWnd || !ClientWnd->HWindow || !HWindow) return;
  TRect r = GetClientRect();
  ClientWnd->MoveWindow(r, true);
}

bool TFrameWindow::AssignMenu(const char* menuResId) {
  Attr.Menu = menuResId;
  if (!HWindow) return true;
  HMENU menu = Module ? Module->LoadMenu(menuResId) : nullptr;
  return menu && SetMenu(menu);
}

bool TFrameWindow::SetMenu(HMENU menu) {
  if (!HWindow) {
    if (menu_) ::DestroyMenu(menu_);
    menu_ = menu;
    return true;
  }
  HMENU old = ::GetMenu(HWindow);
  if (!::SetMenu(HWindow, menu)) return false;
  if (old && old != menu) ::DestroyMenu(old);
  menu_ = menu;
  return true;
}

void TFrameWindow::SetIcon(TModule* module, const char* resId) {
  if (icon_ && ownIcon_) ::DestroyIcon(icon_);
  icon_ = module ? module->LoadIcon(resId) : ::LoadIconA(nullptr, resId);
  ownIcon_ = false;  // icons from resources are shared
  if (HWindow) ::SendMessageA(HWindow, WM_SETICON, ICON_BIG, LPARAM(icon_));
}

TWindow* TFrameWindow::FirstChildWithTab() {
  return FirstThat([](TWindow* w, void*) { return w->HWindow && (w->GetStyle() & WS_TABSTOP) != 0; },
                   nullptr);
}

bool TFrameWindow::HoldFocusHWnd(HWND, HWND gain) {
  if (gain && HWindow && ::IsChild(HWindow, gain)) {
    HWndRestoreFocus = gain;
    return true;
  }
  return false;
}

bool TFrameWindow::IdleAction(long idleCount) { return TWindow::IdleAction(idleCount); }

bool TFrameWindow::PreProcessMsg(MSG& msg) { return TWindow::PreProcessMsg(msg); }

LRESULT TFrameWindow::EvCommand(uint id, HWND hWndCtl, uint notifyCode) {
  if (!hWndCtl && ClientWnd && ClientWnd->HWindow) {
    TEventInfo cmd(WM_COMMAND, id, 0, ekCommand);
    if (ClientWnd->Find(cmd)) return cmd.Dispatch(MAKEWPARAM(id, notifyCode), 0);
  }
  return TWindow::EvCommand(id, hWndCtl, notifyCode);
}

void TFrameWindow::EvCommandEnable(TCommandEnabler& enabler) {
  if (ClientWnd && ClientWnd->HWindow) {
    ClientWnd->EvCommandEnable(enabler);
    if (enabler.Handled()) return;
  }
  TWindow::EvCommandEnable(enabler);
}

void TFrameWindow::EvSize(uint sizeType, TSize& size) {
  TWindow::EvSize(sizeType, size);
  if (sizeType != SIZE_MINIMIZED) ResizeClientWindow();
}

void TFrameWindow::EvPaint() {
  if (IsIconic() && icon_) {
    TPaintDC dc(HWindow);
    ::DrawIcon(dc, 0, 0, icon_);
  } else {
    TWindow::EvPaint();
  }
}

bool TFrameWindow::EvEraseBkgnd(HDC dc) {
  // The client covers the whole client area: no need to erase under it.
  if (ClientWnd && ClientWnd->IsWindowVisible() && !IsIconic()) return true;
  return TWindow::EvEraseBkgnd(dc);
}

HICON TFrameWindow::EvQueryDragIcon() { return icon_ ? icon_ : TWindow::EvQueryDragIcon(); }

void TFrameWindow::EvSetFocus(HWND lostFocus) {
  if (HWndRestoreFocus && ::IsWindow(HWndRestoreFocus) && ::IsChild(HWindow, HWndRestoreFocus)) {
    ::SetFocus(HWndRestoreFocus);
    return;
  }
  if (ClientWnd && ClientWnd->HWindow) {
    ::SetFocus(ClientWnd->HWindow);
    return;
  }
  TWindow::EvSetFocus(lostFocus);
}

// Asks the command-enable handlers about each item of the popup about to show.
void TFrameWindow::EvInitMenuPopup(HMENU popup, uint index, bool sysMenu) {
  if (!sysMenu) {
    HWND target = ::GetFocus();
    if (!target || !::IsChild(HWindow, target)) target = HWindow;
    int count = ::GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
      uint id = ::GetMenuItemID(popup, i);
      if (id == 0 || id == uint(-1)) continue;  // separators and submenus
      TMenuItemEnabler enabler(popup, id, HWindow, uint(i));
      RouteCommandEnable(target, enabler);
    }
  }
  TWindow::EvInitMenuPopup(popup, index, sysMenu);
}
