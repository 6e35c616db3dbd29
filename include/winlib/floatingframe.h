// TFloatingFrame: a small owned popup frame with a tiny caption, for palettes and tool
// boxes that float over their application. With shrink-to-client it takes the size its
// client wants: a gadget window's desired size, or the client's own window size. The
// client asks for that again by sending the frame WM_SIZE with the client's handle as
// the first parameter (a gadget window's LayoutSession does).
#pragma once

#include "framewin.h"
#include "tinycaption.h"

class OVGUI1_API TFloatingFrame : public TFrameWindow, public TTinyCaption {
 public:
  // captionHeight: percent of the system caption height.
  TFloatingFrame(TWindow* parent, const char* title = nullptr, TWindow* clientWnd = nullptr,
                 bool shrinkToClient = false, int captionHeight = DefaultCaptionHeight,
                 bool popupPalette = false, TModule* module = nullptr);
  enum { DefaultCaptionHeight = 60 };

  // Fits the frame around the client's wanted size (the frame keeps its top-left).
  void ShrinkToClient();
  // The client size wanted: a gadget window's desired size, else the client's size.
  TSize GetClientWantedSize();

  void SetupWindow() override;
  LRESULT EvCommand(uint id, HWND hWndCtl, uint notifyCode) override;
  const char* GetClassName() override { return "OvFloatingFrame"; }
  void GetWindowClass(WNDCLASSA& wc) override;

  void EvSize(uint sizeType, TSize& size);

  DECLARE_RESPONSE_TABLE(TFloatingFrame);
};
