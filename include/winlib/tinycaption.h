// TTinyCaption: a mix-in that gives a window a small caption bar of its own, drawn in
// the non-client area above a one-pixel frame, in place of the system's caption.
//
// The caption answers hit tests as HTCAPTION, so the system drags the window by it. In
// the popup-palette style it carries a close box at the right (HTCLOSE: a click closes
// the window); otherwise a system-menu box at the left (HTSYSMENU: a click opens the
// system menu, whose choice comes back as a command that DoCommand turns into the
// system command).
//
// As a mix-in its response table holds only its own entries: the class that mixes it in
// lists it among its bases (before the frame) in its table.
#pragma once

#include "window.h"

class OVGUI1_API TTinyCaption : public virtual TWindow {
 public:
  ~TTinyCaption() override;

  // captionHeight: percent of the system caption height (at least 6 pixels result).
  void EnableTinyCaption(int captionHeight = 60, bool popupPalette = false);
  bool IsTinyCaptionEnabled() const { return TCEnabled; }
  int GetCaptionHeight() const { return CaptionHeight; }  // pixels
  int GetFrameWidth() const { return Border; }            // pixels
  bool IsPopupPalette() const { return PopupPalette; }
  bool IsCaptionActive() const { return Active; }
  // The caption bar and its boxes, in window coordinates (0, 0 at the window's corner).
  TRect GetCaptionRect() const;
  TRect GetCloseBoxRect() const;    // empty unless popup palette
  TRect GetSysMenuBoxRect() const;  // empty in the popup-palette style

  // Paints the frame and the caption (title, box) on the window DC.
  void DoNCPaint();
  // Non-client size: takes the frame on each side and the caption on top off the
  // window rectangle, leaving the client rectangle.
  void DoNCCalcSize(RECT& rect) const;
  // HTCAPTION, HTCLOSE, HTSYSMENU, HTBORDER, HTCLIENT or HTNOWHERE for a screen point.
  uint DoNCHitTest(const TPoint& screenPoint) const;
  // A command that answers the system menu opened from the caption becomes that system
  // command; true (with result) when the command was the caption's.
  bool DoCommand(uint id, HWND hWndCtl, uint notifyCode, LRESULT& result);

  LRESULT EvNCCalcSize(WPARAM calcValid, LPARAM params);
  LRESULT EvNCHitTest(WPARAM, LPARAM point);
  LRESULT EvNCPaint(WPARAM, LPARAM);
  LRESULT EvNCActivate(WPARAM active, LPARAM);
  LRESULT EvNCLButtonDown(WPARAM hitTest, LPARAM point);
  LRESULT EvSetText(WPARAM, LPARAM text);

 protected:
  TTinyCaption();

  bool TCEnabled = false;
  int CaptionHeight = 0;
  int Border = 1;
  bool PopupPalette = false;
  bool Active = false;
  bool WaitingForSysCmd = false;
  HFONT CaptionFont = nullptr;

  DECLARE_RESPONSE_TABLE(TTinyCaption);
};
