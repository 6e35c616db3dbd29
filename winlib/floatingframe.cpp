// TFloatingFrame: an owned popup frame with a tiny caption that can fit its client.
#include "winlib/floatingframe.h"

#include "winlib/gadgetwindow.h"

DEFINE_RESPONSE_TABLE2(TFloatingFrame, TTinyCaption, TFrameWindow)
EV_WM_SIZE, END_RESPONSE_TABLE;

TFloatingFrame::TFloatingFrame(TWindow* parent, const char* title, TWindow* clientWnd, bool shrinkToClient,
                               int captionHeight, bool popupPalette, TModule* module) {
  TWindow::Init(parent, title, module);
  // A floating frame is never a child: it is owned by its parent's window.
  Attr.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (Attr.X == int(CW_USEDEFAULT)) Attr.X = Attr.Y = 0;
  if (Attr.W == int(CW_USEDEFAULT) || Attr.W == 0) Attr.W = Attr.H = 100;
  TFrameWindow::Init(clientWnd, shrinkToClient);
  EnableTinyCaption(captionHeight, popupPalette);
}

void TFloatingFrame::GetWindowClass(WNDCLASSA& wc) {
  TFrameWindow::GetWindowClass(wc);
  wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
}

void TFloatingFrame::SetupWindow() {
  TFrameWindow::SetupWindow();
  if (IsFlagSet(wfShrinkToClient)) ShrinkToClient();
}

TSize TFloatingFrame::GetClientWantedSize() {
  if (!ClientWnd) return TSize();
  if (auto* gadgets = dynamic_cast<TGadgetWindow*>(ClientWnd)) {
    TSize s;
    gadgets->GetDesiredSize(s);
    return s;
  }
  if (ClientWnd->HWindow) return ClientWnd->GetWindowRect().Size();
  return TSize(ClientWnd->Attr.W, ClientWnd->Attr.H);
}

void TFloatingFrame::ShrinkToClient() {
  if (!HWindow || !ClientWnd) return;
  TSize want = GetClientWantedSize();
  TRect w = GetWindowRect(), c = GetClientRect();
  int width = want.cx + w.Width() - c.Width();
  int height = want.cy + w.Height() - c.Height();
  if (width != w.Width() || height != w.Height())
    ::SetWindowPos(HWindow, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ResizeClientWindow();
}

void TFloatingFrame::EvSize(uint sizeType, TSize& size) {
  // A client's request to fit it again carries its handle.
  if (ClientWnd && ClientWnd->HWindow && sizeType == uint(UINT_PTR(ClientWnd->HWindow))) {
    if (IsFlagSet(wfShrinkToClient)) ShrinkToClient();
    return;
  }
  TFrameWindow::EvSize(sizeType, size);
}

LRESULT TFloatingFrame::EvCommand(uint id, HWND hWndCtl, uint notifyCode) {
  LRESULT result = 0;
  if (DoCommand(id, hWndCtl, notifyCode, result)) return result;
  return TFrameWindow::EvCommand(id, hWndCtl, notifyCode);
}
