// IWDndWindow: the drag mode and the drag-and-drop part's place in the response chain.
#include "guiobjects1/iwdndwindow.h"

DEFINE_RESPONSE_TABLE1(IWDndWindow, TWindow)
END_RESPONSE_TABLE;

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
