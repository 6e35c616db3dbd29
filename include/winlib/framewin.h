// TFrameWindow: a top-level (or MDI-less child) window with an optional client window that
// fills its client area, a menu, an icon and focus memory.
#pragma once

#include "window.h"

class OVGUI1_API TFrameWindow : public virtual TWindow {
 public:
  TFrameWindow(TWindow* parent, const char* title = nullptr, TWindow* clientWnd = nullptr,
               bool shrinkToClient = false, TModule* module = nullptr);
  ~TFrameWindow() override;

  TWindow* GetClientWindow() const { return ClientWnd; }
  virtual TWindow* SetClientWindow(TWindow* clientWnd);  // answers the previous one
  bool AssignMenu(const char* menuResId);
  bool SetMenu(HMENU menu);
  void SetIcon(TModule* module, const char* resId);
  HICON GetIcon() const { return icon_; }
  TWindow* FirstChildWithTab();

  void SetupWindow() override;
  bool HoldFocusHWnd(HWND lose, HWND gain) override;
  bool IdleAction(long idleCount) override;
  bool PreProcessMsg(MSG& msg) override;
  LRESULT EvCommand(uint id, HWND hWndCtl, uint notifyCode) override;
  void EvCommandEnable(TCommandEnabler& enabler) override;

  void EvSize(uint sizeType, TSize& size);
  void EvPaint();
  HICON EvQueryDragIcon();
  void EvSetFocus(HWND lostFocus);
  void EvInitMenuPopup(HMENU popup, uint index, bool sysMenu);
  bool EvEraseBkgnd(HDC dc);

 protected:
  TFrameWindow();
  using TWindow::Init;
  void Init(TWindow* clientWnd, bool shrinkToClient);
  void ResizeClientWindow();

  TWindow* ClientWnd = nullptr;
  HWND HWndRestoreFocus = nullptr;
  HMENU menu_ = nullptr;
  HICON icon_ = nullptr;
  bool ownIcon_ = false;

  friend class TWindow;  // a client being deleted clears ClientWnd
  DECLARE_RESPONSE_TABLE(TFrameWindow);
};
