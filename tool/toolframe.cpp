// TToolFrame: the developer tools' frame; its attributes follow the window.
#include "tool/toolframe.h"

DEFINE_RESPONSE_TABLE1(TToolFrame, TFrameWindow)
EV_WM_MOVE, EV_WM_SIZE, EV_WM_CLOSE, EV_WM_SETFOCUS, END_RESPONSE_TABLE;

TToolFrame::TToolFrame(TWindow* parent, const char* title, TWindow* client, bool shrinkToClient,
                       TModule* module)
    : TFrameWindow(parent, title, client, shrinkToClient, module), FocusClient(1) {}

void TToolFrame::SyncAttr() {
  if (!HWindow || !::IsWindow(HWindow) || ::IsIconic(HWindow) || ::IsZoomed(HWindow)) return;
  RECT r;
  if (!::GetWindowRect(HWindow, &r)) return;
  Attr.X = r.left;
  Attr.Y = r.top;
  Attr.W = r.right - r.left;
  Attr.H = r.bottom - r.top;
}

void TToolFrame::SetupWindow() {
  TFrameWindow::SetupWindow();  // shrinks to the client first
  SyncAttr();
}

void TToolFrame::EvMove(TPoint& clientOrigin) {
  TFrameWindow::EvMove(clientOrigin);
  SyncAttr();
}

void TToolFrame::EvSize(uint sizeType, TSize& size) {
  TFrameWindow::EvSize(sizeType, size);
  SyncAttr();
}

void TToolFrame::EvClose() {
  ShowWindow(SW_HIDE);
  Attr.Style &= ~WS_VISIBLE;
}

void TToolFrame::EvSetFocus(HWND lostFocus) {
  if (FocusClient && ClientWnd && ClientWnd->HWindow) {
    ::SetFocus(ClientWnd->HWindow);
    return;
  }
  TFrameWindow::EvSetFocus(lostFocus);
}
