// TToolFrame: the top-level frame the developer tools put their editor windows in.
//
// Constructed with no parent, a caption, the editor window as its client, the
// shrink-to-client flag and a module; the window is made on first need (Create) and the
// editor objects reach the frame as their client's Parent.
//
// The recorded attributes follow the window: WM_MOVE and WM_SIZE copy the frame's
// screen rectangle into Attr.X/Y/W/H (not while it is minimised or maximised, so the
// attributes keep the normal placement), so an editor reading them gets the real
// position, and setting Left then Top does not move the window back.
//
// Closing the frame (the system menu, Alt+F4, WM_CLOSE) hides it and keeps its client:
// the editor object can show the same window again and never holds a dangling one.
// Destroying the frame object destroys its client with it (the window library's rule
// for children).
#pragma once

#include "tool/ovitool_api.h"
#include "winlib/framewin.h"

class OVITOOL_API TToolFrame : public TFrameWindow {
 public:
  TToolFrame(TWindow* parent, const char* title, TWindow* client, bool shrinkToClient = false,
             TModule* module = nullptr);

  // 1 after construction. While it is non-zero, the frame hands the keyboard focus to
  // its client whenever the frame itself gets it (activation, a click on its caption).
  // A tool that places the focus among its own children itself (the method editor
  // gives it to its code window) clears it; the frame then keeps the focus the window
  // library's frame would (the child that last had it).
  int FocusClient;

  // Copies the window's current rectangle into Attr (no effect without a handle).
  void SyncAttr();

  void EvMove(TPoint& clientOrigin);
  void EvSize(uint sizeType, TSize& size);
  void EvClose();
  void EvSetFocus(HWND lostFocus);
  void SetupWindow() override;

  DECLARE_RESPONSE_TABLE(TToolFrame);
};
