// PrintableDrawable: the Print statement's items, zones, tabs and line ends on a
// published window; PrintableDC, the window DC they draw through. The layout
// arithmetic is the store's PrintLayout; this file converts between pixels and the
// window's units and draws.
//
// The window extensions below this library refuse bad input through a raiser; while
// this library is loaded, the raiser throws the store's own errors, so that Basic sees
// 32712 and ObjectLoadFailed.
#include "guiobjects1/printabledrawable.h"

#include <cstring>
#include <string>

#include "guiobjects1/iwscreen.h"
#include "guiobjects1/iwwindow.h"
#include "guiobjects1/scalerect.h"
#include "owlext/owlexterror.h"
#include "store/printlayout.h"
#include "store/storeexcept.h"
#include "winlib/except.h"

namespace {

void StoreRaiser(OwlExtErrorKind kind, const char* name) {
  if (kind == kOwlExtLoadFailed) throw ObjectLoadFailed(name);
  throw StoreException(kMsgInvalidArgument, name);
}

// Installed for as long as the library is loaded.
struct RaiserInstall {
  OwlExtRaiser before;
  RaiserInstall() : before(OwlExtSetRaiser(StoreRaiser)) {}
  ~RaiserInstall() { OwlExtSetRaiser(before); }
} g_raiserInstall;

// The control-colour type the print output takes its colours as.
const uint kPrintCtlColor = 4;

TEXTMETRICA Metrics(TDC& dc) {
  TEXTMETRICA tm;
  std::memset(&tm, 0, sizeof tm);
  dc.GetTextMetrics(tm);
  return tm;
}

}  // namespace

// ---- PrintableDC ----

HWND PrintableDC::WindowHandle(IWWindow& window) {
  TWindow* w = window.WindowPart();
  return w ? w->HWindow : nullptr;
}

// GetDC(null) would answer the screen: a window without a handle has no DC here.
static HWND CheckedHandle(IWWindow& window) {
  HWND h = PrintableDC::WindowHandle(window);
  TXGdi::Check((const void*)h);
  return h;
}

PrintableDC::PrintableDC(IWWindow& window) : TClientDC(CheckedHandle(window)), window_(Wnd) {
  if (HFONT font = window.GetEffectiveFont()) SelectObject(TFont(font));
}

PrintableDC::~PrintableDC() {
  if (!Handle) return;
  if (flags_ & kTextColorChanged) ::SetTextColor(Handle, savedText_);
  if (flags_ & kBkColorChanged) ::SetBkColor(Handle, savedBk_);
}

TColor PrintableDC::SetBkColor(TColor c) {
  COLORREF before = ::SetBkColor(Handle, c.Resolved());
  if (!(flags_ & kBkColorChanged)) {
    savedBk_ = before;
    flags_ |= kBkColorChanged;
  }
  return before;
}

TColor PrintableDC::SetTextColor(TColor c) {
  COLORREF before = ::SetTextColor(Handle, c.Resolved());
  if (!(flags_ & kTextColorChanged)) {
    savedText_ = before;
    flags_ |= kTextColorChanged;
  }
  return before;
}

void PrintableDC::ControlColors(IWWindow& window) {
  SetBkColor(GetBkColor());
  SetTextColor(GetTextColor());
  window.EvCtlColor(Handle, window_, kPrintCtlColor);
}

// ---- PrintableDrawable ----

PrintableDrawable::PrintableDrawable() {}

PrintableDrawable::~PrintableDrawable() {}

float PrintableDrawable::PixelsToUnitsX(int pixels, IWWindow& window) const {
  float x = 0, y = 0;
  window.Pixels2Units(TPoint(pixels, 0), x, y);
  return x;
}

float PrintableDrawable::PixelsToUnitsY(int pixels, IWWindow& window) const {
  float x = 0, y = 0;
  window.Pixels2Units(TPoint(0, pixels), x, y);
  return y;
}

float PrintableDrawable::DistanceToUnitsX(int pixels, IWWindow& window) {
  if (ScaleRect* s = window.Scale()) {
    long double k = s->PixelsPerUnitX();
    return k != 0 ? (float)(pixels / k) : 0.0f;
  }
  return (float)(pixels * (double)IWScreen::TwipsPerPixelX());
}

float PrintableDrawable::DistanceToUnitsY(int pixels, IWWindow& window) {
  if (ScaleRect* s = window.Scale()) {
    long double k = s->PixelsPerUnitY();
    return k != 0 ? (float)(pixels / k) : 0.0f;
  }
  return (float)(pixels * (double)IWScreen::TwipsPerPixelY());
}

void PrintableDrawable::newLine(IWWindow& window, float& y, int fontHeight) {
  int h = lineHeight_ ? lineHeight_ : fontHeight;
  y += DistanceToUnitsY(h, window);
  lineHeight_ = 0;
}

void PrintableDrawable::WPPrint(IWWindow* window, float& x, float& y, const char* text) {
  if (!text || !*text || !window || !PrintableDC::WindowHandle(*window)) return;
  PrintableDC dc(*window);
  dc.ControlColors(*window);
  dc.SetTextColor(TColor((COLORREF)GetPen().getPenColor()));
  int n = (int)std::strlen(text);
  SIZE extent = {0, 0};
  ::GetTextExtentPoint32A(dc, text, n, &extent);
  TPoint at;
  window->Units2Pixels(x, y, at);
  TRect box(at.x, at.y, at.x + extent.cx, at.y + extent.cy);
  dc.ExtTextOut(at.x, at.y, ETO_OPAQUE | ETO_CLIPPED, &box, text, n);
  x += DistanceToUnitsX(extent.cx, *window);
  if (extent.cy > lineHeight_) lineHeight_ = extent.cy;
}

void PrintableDrawable::WPPrint(IWWindow* window, float& x, float& y, short v) {
  WPPrint(window, x, y, PrintLayout::Text(v).c_str());
}

void PrintableDrawable::WPPrint(IWWindow* window, float& x, float& y, long v) {
  WPPrint(window, x, y, PrintLayout::Text(v).c_str());
}

void PrintableDrawable::WPPrint(IWWindow* window, float& x, float& y, float v) {
  WPPrint(window, x, y, PrintLayout::Text(v).c_str());
}

void PrintableDrawable::WPPrint(IWWindow* window, float& x, float& y, double v) {
  WPPrint(window, x, y, PrintLayout::Text(v).c_str());
}

void PrintableDrawable::WPPrintSpace(IWWindow* window, float& x, float& y, int n) {
  if (n <= 0) return;
  WPPrint(window, x, y, std::string((size_t)n, ' ').c_str());
}

void PrintableDrawable::WPPrintTab(IWWindow* window, float& x, float& y, int n) {
  if (!window || !PrintableDC::WindowHandle(*window)) return;
  PrintableDC dc(*window);
  TEXTMETRICA tm = Metrics(dc);
  float target = PixelsToUnitsX(PrintLayout::TabTarget(n, tm.tmAveCharWidth), *window);
  if (target < x) newLine(*window, y, tm.tmHeight);
  x = target;
}

void PrintableDrawable::WPPrintSeparator(IWWindow* window, float& x, float& y, PrintSepType sep) {
  (void)y;
  if (sep != PrintSepZone || !window || !PrintableDC::WindowHandle(*window)) return;
  PrintableDC dc(*window);
  TEXTMETRICA tm = Metrics(dc);
  TPoint at;
  window->Units2Pixels(x, 0, at);
  x += DistanceToUnitsX(PrintLayout::ZoneAdvance(at.x, tm.tmAveCharWidth), *window);
}

void PrintableDrawable::WPPrintDone(IWWindow* window, float& x, float& y, PrintSepType sep) {
  if (sep != PrintSepEndOfLine) {
    WPPrintSeparator(window, x, y, sep);
    return;
  }
  if (!window || !PrintableDC::WindowHandle(*window)) return;
  int fontHeight = lineHeight_;
  if (!fontHeight) {
    PrintableDC dc(*window);
    fontHeight = Metrics(dc).tmHeight;
  }
  ScaleRect* s = window->Scale();
  x = s ? s->ScaleLeft : 0.0f;
  newLine(*window, y, fontHeight);
}
