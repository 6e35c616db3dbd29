// Shared pieces of the gadget, frame and layout tests: a host window that records the
// commands it gets and answers command-enable queries, gadgets of a fixed size that log
// their mouse hooks, and pixel read-back of a window's client area.
#pragma once

#include <string>
#include <vector>

#include "testkit/testkit.h"
#include "winlib/applicat.h"
#include "winlib/buttongadget.h"
#include "winlib/gadgetwindow.h"

namespace gadgettest {

// A top-level popup that gadget windows sit in.
class THost : public TWindow {
 public:
  THost(int w = 400, int h = 300) : TWindow(nullptr, "gadget host") {
    Attr.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Attr.X = 10;
    Attr.Y = 10;
    Attr.W = w;
    Attr.H = h;
  }
  LRESULT EvCommand(uint id, HWND ctl, uint code) override {
    if (!ctl) commands.push_back(int(id));
    return TWindow::EvCommand(id, ctl, code);
  }
  // Answers the query for command 501 with enable501, and sets check 502 to check502.
  void CeFive01(TCommandEnabler& ce) {
    ++queries;
    ce.Enable(enable501);
  }
  void CeFive02(TCommandEnabler& ce) {
    ce.Enable(true);
    ce.SetCheck(check502);
  }
  std::vector<int> commands;
  bool enable501 = true;
  int check502 = TCommandEnabler::Unchecked;
  int queries = 0;
  DECLARE_RESPONSE_TABLE(THost);
};

// A gadget of a fixed desired size that logs its mouse hooks as "enter 3", "leave 3".
class TSizedGadget : public TGadget {
 public:
  TSizedGadget(int id, int w, int h, std::vector<std::string>* log = nullptr)
      : TGadget(id, None), w_(w), h_(h), log_(log) {}
  void GetDesiredSize(TSize& s) override { s = TSize(w_, h_); }
  void MouseEnter(uint, TPoint&) override { Log("enter"); }
  void MouseLeave(uint, TPoint&) override { Log("leave"); }

 private:
  void Log(const char* what) {
    if (log_) log_->push_back(std::string(what) + " " + std::to_string(Id));
  }
  int w_, h_;
  std::vector<std::string>* log_;
};

inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

inline LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

// The client area's pixels of w, after it painted.
inline testkit::Image Shot(TWindow& w) {
  w.Invalidate(true);
  w.UpdateWindow();
  Pump();
  GdiFlush();
  return testkit::Capture(w.HWindow);
}

// The pixels of r (client coordinates) of an image.
inline std::vector<COLORREF> Pixels(const testkit::Image& img, const TRect& r) {
  std::vector<COLORREF> out;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) out.push_back(img.Pixel(x, y));
  return out;
}

}  // namespace gadgettest
