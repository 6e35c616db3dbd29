// IWDndWindow: the drag-and-drop part of every published window, between the window
// library's TWindow (a virtual base) and IWWindow. It holds the drag mode (the
// "OleDragMode" value: which button, with which modifiers, starts a drag), the drag
// timer and the mouse-press state, and it has its own place in the response-table
// chain: IWWindow's table, then this one, then TWindow's.
//
// The drag mode keeps the enumeration's bits: button 1 left, 2 right, 16 middle;
// modifiers 4 Shift, 8 Control, 32 Alt. The press tracking reads the button and the
// modifiers as separate fields (DragButton, DragModifiers), never as one mask, so that
// the middle button's bit is not taken for a modifier.
#pragma once

#include <windows.h>

#include <cstdint>

#include "guiobjects1/oviui1_api.h"
#include "winlib/window.h"

// "OleDragMode" bits.
enum OleDragBits : uint8_t {
  kDragNone = 0,
  kDragLeft = 1,
  kDragRight = 2,
  kDragShift = 4,
  kDragControl = 8,
  kDragMiddle = 16,
  kDragAlt = 32,
  kDragButtonMask = kDragLeft | kDragRight | kDragMiddle,
  kDragModifierMask = kDragShift | kDragControl | kDragAlt,
};

class OVIUI1_API IWDndWindow : public virtual TWindow {
 public:
  IWDndWindow();
  ~IWDndWindow() override;

  uint8_t DragMode() const { return dragMode_; }
  // A mode outside "OleDragMode" is refused (false) and the mode stays.
  bool SetDragMode(uint8_t mode);
  static bool IsDragMode(long mode);
  // The button part (1, 2 or 16; 0 for none) and the modifier part of a mode.
  static uint8_t DragButton(uint8_t mode) { return uint8_t(mode & kDragButtonMask); }
  static uint8_t DragModifiers(uint8_t mode) { return uint8_t(mode & kDragModifierMask); }

 protected:
  uint8_t dragMode_ = kDragNone;
  UINT_PTR dragTimer_ = 0;
  int pressState_ = 0;  // 1 while a press of the drag button may become a drag
  TPoint pressPoint_;

  DECLARE_RESPONSE_TABLE(IWDndWindow);
};
