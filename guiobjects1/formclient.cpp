// TFormClient: the form's client window: its class, the input it forwards to the form's
// window layer, and the re-creation marks it leaves on its children.
#include "guiobjects1/formclient.h"

#include "guiobjects1/dllinstance.h"
#include "guiobjects1/iwcontrol.h"
#include "guiobjects1/iwform.h"
#include "store/poevent.h"
#include "winlib/applicat.h"

#include <vector>

DEFINE_RESPONSE_TABLE1(TFormClient, TWindow)
EV_WM_CLOSE, EV_WM_DESTROY, EV_WM_CTLCOLOR, EV_WM_MOUSEMOVE, EV_WM_ERASEBKGND, EV_WM_KEYDOWN, EV_WM_KEYUP,
    EV_WM_CHAR, EV_WM_CHARTOITEM, EV_WM_VKEYTOITEM, EV_WM_LBUTTONDOWN, EV_WM_RBUTTONDOWN, EV_WM_LBUTTONDBLCLK,
    EV_WM_SIZE, EV_MESSAGE(DM_GETDEFID, EvGetDefId), END_RESPONSE_TABLE;

TFormClient::TFormClient(IWForm*) : TWindow(nullptr, nullptr, DllInstance::Module()) {
  Attr.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
}

TFormClient::~TFormClient() {
  // The children's window objects belong to their store objects: their windows go with
  // this one, the objects themselves are only let go of.
  if (HWindow) ::DestroyWindow(HWindow);
  std::vector<TWindow*> children;
  if (TWindow* w = GetFirstChild()) {
    do {
      children.push_back(w);
      w = w->Next();
    } while (w != GetFirstChild());
  }
  for (TWindow* c : children)
    if (dynamic_cast<IWWindow*>(c)) c->SetParent(nullptr);
}

IWForm* TFormClient::Form() const { return dynamic_cast<IWForm*>(Parent); }

void TFormClient::GetWindowClass(WNDCLASSA& wc) {
  TWindow::GetWindowClass(wc);
  wc.style |= CS_OWNDC;
  wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
}

void TFormClient::Paint(TDC& dc, bool, TRect&) {
  IWForm* f = Form();
  if (!f) return;
  f->drawBorder(*this, dc);
  PO_RaiseEventNoThrow(f->storeObj(), "Paint");
  // The marks of an embedded form in edit mode lie on this window: drawn again.
  IWForm* edited = f->EditedChild();
  if (edited && edited->Parent == this && edited->IsEditing()) edited->drawEditorMarks();
}

void TFormClient::InvalidateAll(bool erase) {
  if (!HWindow) utilsAssert("HWindow", __FILE__, __LINE__);
  const bool clip = (GetStyle() & WS_CLIPCHILDREN) != 0;
  if (clip) SetStyleTo(WS_CLIPCHILDREN, false);
  ::InvalidateRect(HWindow, nullptr, TRUE);
  if (clip) SetStyleTo(WS_CLIPCHILDREN, true);
  TWindow* first = GetFirstChild();
  if (!first) return;
  TWindow* w = first;
  do {
    if (IWWindow* iw = dynamic_cast<IWWindow*>(w)) {
      IWForm* form = dynamic_cast<IWForm*>(iw);
      if (form && form->Client() && form->Client()->HWindow)
        form->Client()->InvalidateAll(erase);
      else if (iw->HWindow)
        ::InvalidateRect(iw->HWindow, nullptr, erase);
    }
    w = w->Next();
  } while (w != first);
}

void* TFormClient::GetAsInterObjRep(TPoint&) {
  IWForm* f = Form();
  return f ? f->storeObj() : nullptr;
}

void TFormClient::EvClose() {}

void TFormClient::EvDestroy() {
  if (TWindow* w = GetFirstChild()) {
    do {
      if (w->HWindow) w->SetFlag(wfAutoCreate);
      w = w->Next();
    } while (w != GetFirstChild());
  }
  AssignZOrder();
  if (IWForm* f = Form()) f->DropDrawableDC();  // the surface's DC was this window's
  TWindow::EvDestroy();
}

HBRUSH TFormClient::EvCtlColor(HDC dc, HWND child, uint ctlType) {
  if (IWForm* f = Form()) return f->EvCtlColor(dc, child, ctlType);
  return TWindow::EvCtlColor(dc, child, ctlType);
}

void TFormClient::EvMouseMove(uint keyFlags, TPoint& point) {
  if (IWForm* f = Form()) f->EvMouseMove(keyFlags, point);
}

bool TFormClient::EvEraseBkgnd(HDC dc) {
  IWForm* f = Form();
  if (f && f->BkgndColor.GetValue() != BkgndColor.GetValue()) {
    BkgndColor = f->BkgndColor;
    if (bkgndBrush_) ::DeleteObject(bkgndBrush_);
    bkgndBrush_ = nullptr;
  }
  return TWindow::EvEraseBkgnd(dc);
}

void TFormClient::EvKeyDown(uint key, uint repeatCount, uint flags) {
  if (IWForm* f = Form()) f->EvKeyDown(key, repeatCount, flags);
}

void TFormClient::EvKeyUp(uint key, uint repeatCount, uint flags) {
  if (IWForm* f = Form()) f->EvKeyUp(key, repeatCount, flags);
}

void TFormClient::EvChar(uint key, uint repeatCount, uint flags) {
  if (IWForm* f = Form()) f->EvChar(key, repeatCount, flags);
}

int TFormClient::EvCharToItem(uint key, HWND listBox, uint caretIndex) {
  if (IWControl* c = dynamic_cast<IWControl*>(GetWindowPtr(listBox)))
    return c->CharToItem(key, caretIndex) ? -2 : -1;
  return -1;
}

int TFormClient::EvVKeyToItem(uint key, HWND listBox, uint caretIndex) {
  if (IWControl* c = dynamic_cast<IWControl*>(GetWindowPtr(listBox)))
    return c->VKeyToItem(key, caretIndex) ? -2 : -1;
  return -1;
}

void TFormClient::EvLButtonDown(uint keyFlags, TPoint& point) {
  if (IWForm* f = Form()) f->LButtonDown(keyFlags, point);
}

void TFormClient::EvRButtonDown(uint keyFlags, TPoint& point) {
  IWForm* f = Form();
  if (f && !f->TrackPopup(point)) f->EvRButtonDown(keyFlags, point);
}

LRESULT TFormClient::EvCommand(uint id, HWND hWndCtl, uint notifyCode) {
  if ((id == IDOK || id == IDCANCEL) && notifyCode == BN_CLICKED) {
    TWindow* button = ChildWithId((int)id);
    HWND target = button ? button->HWindow : nullptr;
    if (hWndCtl != target) {
      if (!target || !::IsWindowEnabled(target)) return 0;
      return TWindow::EvCommand(id, target, BN_CLICKED);
    }
  }
  return TWindow::EvCommand(id, hWndCtl, notifyCode);
}

LRESULT TFormClient::EvGetDefId(WPARAM, LPARAM) {
  TWindow* button = ChildWithId(IDOK);
  return button && button->HWindow ? MAKELRESULT(IDOK, DC_HASDEFID) : 0;
}

void TFormClient::EvLButtonDblClk(uint, TPoint&) {
  if (IWForm* f = Form()) f->NotifyDblClick();
}

void TFormClient::EvSize(uint sizeType, TSize& size) {
  if (IWForm* f = Form()) f->damageBorder(*this, sizeType, size);
  TWindow::EvSize(sizeType, size);
}
