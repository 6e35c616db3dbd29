// IWDndWindow: the drag mode, the press tracking and the drag-and-drop part's place in
// the response chain.
#include "guiobjects1/iwdndwindow.h"

#include <cstdlib>

// Own entries first, then TWindow's. A new row is one line here.
DEFINE_RESPONSE_TABLE1(IWDndWindow, TWindow)
WL_MSG(WM_LBUTTONDOWN, Mouse, EvLButtonDown), WL_MSG(WM_LBUTTONUP, Mouse, EvLButtonUp),
    WL_MSG(WM_MBUTTONDOWN, Mouse, EvMButtonDown), WL_MSG(WM_MBUTTONUP, Mouse, EvMButtonUp),
    WL_MSG(WM_RBUTTONDOWN, Mouse, EvRButtonDown), WL_MSG(WM_RBUTTONUP, Mouse, EvRButtonUp),
    WL_MSG(WM_MOUSEMOVE, Mouse, EvMouseMove), WL_MSG(WM_TIMER, Timer, EvTimer),
    WL_MSG(WM_DROPFILES, DropFiles, EvDropFiles), END_RESPONSE_TABLE;

IWDndWindow::IWDndWindow() : dragMode_(kDragRight) {}

IWDndWindow::~IWDndWindow() {
  if (dragTimer_ && HWindow) KillTimer(dragTimer_);
}

bool IWDndWindow::IsDragMode(long mode) {
  if (mode < 0 || mode > 0xFF) return false;
  uint8_t m = uint8_t(mode);
  if (m & ~(kDragButtonMask | kDragModifierMask)) return false;
  uint8_t button = DragButton(m);
  if (button == 0) return m == 0;  // modifiers alone start nothing
  return button == kDragLeft || button == kDragRight || button == kDragMiddle;
}

bool IWDndWindow::SetDragMode(uint8_t mode) {
  if (!IsDragMode(mode)) return false;
  dragMode_ = mode;
  return true;
}

// ---- press tracking ----

void IWDndWindow::DragPress(uint8_t button, unsigned keyFlags, const TPoint& point) {
  pressState_ = 0;
  if (DragButton(dragMode_) != button) return;
  uint8_t held =
      uint8_t(((keyFlags & MK_SHIFT) ? kDragShift : 0) | ((keyFlags & MK_CONTROL) ? kDragControl : 0) |
              (::GetAsyncKeyState(VK_MENU) ? kDragAlt : 0));
  if (held != DragModifiers(dragMode_)) return;
  pressState_ = 1;
  pressPoint_ = point;
}

void IWDndWindow::DragMove(unsigned, TPoint& point) {
  if (!pressState_) return;
  if (std::abs(point.x - pressPoint_.x) <= ::GetSystemMetrics(SM_CXDRAG) &&
      std::abs(point.y - pressPoint_.y) <= ::GetSystemMetrics(SM_CYDRAG))
    return;
  pressState_ = 0;
  TPoint at = pressPoint_;
  DragGesture(at);
}

void IWDndWindow::DragRelease() { pressState_ = 0; }

int IWDndWindow::DragGesture(TPoint&) { return 0; }

// ---- own entries ----

void IWDndWindow::EvLButtonDown(uint keyFlags, TPoint& point) {
  DragPress(kDragLeft, keyFlags, point);
  DefaultProcessing();
}

void IWDndWindow::EvLButtonUp(uint, TPoint&) {
  DragRelease();
  DefaultProcessing();
}

void IWDndWindow::EvMButtonDown(uint keyFlags, TPoint& point) {
  DragPress(kDragMiddle, keyFlags, point);
  DefaultProcessing();
}

void IWDndWindow::EvMButtonUp(uint, TPoint&) {
  DragRelease();
  DefaultProcessing();
}

void IWDndWindow::EvRButtonDown(uint keyFlags, TPoint& point) {
  DragPress(kDragRight, keyFlags, point);
  DefaultProcessing();
}

void IWDndWindow::EvRButtonUp(uint, TPoint&) {
  DragRelease();
  DefaultProcessing();
}

void IWDndWindow::EvMouseMove(uint keyFlags, TPoint& point) {
  DragMove(keyFlags, point);
  DefaultProcessing();
}

void IWDndWindow::EvTimer(uint timerId) { TWindow::EvTimer(timerId); }
void IWDndWindow::EvDropFiles(TDropInfo drop) { TWindow::EvDropFiles(drop); }
