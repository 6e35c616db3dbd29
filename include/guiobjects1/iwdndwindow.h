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

#include "guiobjects1/iwdropsource.h"
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
  // Press tracking: a press of the mode's button with its modifiers (MK_* key flags;
  // Alt from the asynchronous key state) may become a drag; a move farther than the
  // system's drag distance while it may is a drag gesture (DragGesture); a release ends
  // it. button is one of kDragLeft, kDragRight, kDragMiddle.
  void DragPress(uint8_t button, unsigned keyFlags, const TPoint& point);
  void DragMove(unsigned keyFlags, TPoint& point);
  void DragRelease();
  // A drag gesture was recognised at point (client pixels); nothing here.
  virtual int DragGesture(TPoint& point);

  // The part's own entries: tracking, then default processing. The published window
  // hides the button and move members with its own, which track through the calls above.
  void EvLButtonDown(uint keyFlags, TPoint& point);
  void EvLButtonUp(uint keyFlags, TPoint& point);
  void EvMButtonDown(uint keyFlags, TPoint& point);
  void EvMButtonUp(uint keyFlags, TPoint& point);
  void EvRButtonDown(uint keyFlags, TPoint& point);
  void EvRButtonUp(uint keyFlags, TPoint& point);
  void EvMouseMove(uint keyFlags, TPoint& point);
  void EvTimer(uint timerId);
  void EvDropFiles(TDropInfo drop);

  uint8_t dragMode_ = kDragNone;
  // The drop source of the drags this window starts (reads the drag mode).
  IWDropSource dropSource_{dragMode_};
  UINT_PTR dragTimer_ = 0;
  int pressState_ = 0;  // 1 while a press of the drag button may become a drag
  TPoint pressPoint_;

  DECLARE_RESPONSE_TABLE(IWDndWindow);
};
