// TFormClient: the client window of a form (window class "OrvanelFormClient"). It fills
// the form's frame, is the parent of the form's controls and embedded forms, and turns
// mouse and key input on the form's background into the form's events: it forwards
// them to the form's window layer. Only its form closes a form: WM_CLOSE sent to the
// client does nothing. When its window goes, its children are marked to be created
// again with it, in their current Z order, so that unloading and loading a form again
// brings its controls back.
//
// It is the dialog window of the form's controls (the form's PreProcessMsg hands it to
// IsDialogMessage): it names the child with id 1 as its default button, and a dialog
// command for IDOK or IDCANCEL reaches the button with that id (none: nothing), never
// the focused control. The right button shows the form's popup menu when it has one.
#pragma once

#include "guiobjects1/oviui1_api.h"
#include "winlib/window.h"

class IWForm;

class OVIUI1_API TFormClient : public TWindow {
 public:
  explicit TFormClient(IWForm* form);
  ~TFormClient() override;

  IWForm* Form() const;
  const char* GetClassName() override { return "OrvanelFormClient"; }
  void GetWindowClass(WNDCLASSA& wc) override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;
  // Invalidates the whole client with erasing (the controls included, WS_CLIPCHILDREN
  // lifted meanwhile), then every published child window: erase is theirs; an embedded
  // form passes it on to its own client.
  void InvalidateAll(bool erase);
  void* GetAsInterObjRep(TPoint& point) override;
  LRESULT EvCommand(uint id, HWND hWndCtl, uint notifyCode) override;
  LRESULT EvGetDefId(WPARAM, LPARAM);

  void EvClose();
  void EvDestroy();
  HBRUSH EvCtlColor(HDC dc, HWND child, uint ctlType);
  void EvMouseMove(uint keyFlags, TPoint& point);
  bool EvEraseBkgnd(HDC dc);
  void EvKeyDown(uint key, uint repeatCount, uint flags);
  void EvKeyUp(uint key, uint repeatCount, uint flags);
  void EvChar(uint key, uint repeatCount, uint flags);
  int EvCharToItem(uint key, HWND listBox, uint caretIndex);
  int EvVKeyToItem(uint key, HWND listBox, uint caretIndex);
  void EvLButtonDown(uint keyFlags, TPoint& point);
  void EvRButtonDown(uint keyFlags, TPoint& point);
  void EvLButtonDblClk(uint keyFlags, TPoint& point);
  void EvSize(uint sizeType, TSize& size);

  DECLARE_RESPONSE_TABLE(TFormClient);
};
