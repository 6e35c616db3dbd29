// TButtonGadget: glyph cels, button states and types, press tracking, repeat and
// command enabling.
#include "winlib/buttongadget.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "winlib/celarray.h"
#include "winlib/cmdenabler.h"
#include "winlib/dc.h"
#include "winlib/dib.h"
#include "winlib/except.h"
#include "winlib/gadgetwindow.h"
#include "winlib/module.h"

namespace {

// Answers the command-enable query for one button gadget: Enable greys or un-greys it,
// SetCheck sets the state of a button that has one.
class TButtonGadgetEnabler : public TCommandEnabler {
 public:
  TButtonGadgetEnabler(TButtonGadget& gadget, HWND receiver)
      : TCommandEnabler(uint(gadget.GetId()), receiver), gadget_(gadget) {}
  void Enable(bool enable) override {
    TCommandEnabler::Enable(enable);
    gadget_.SetEnabled(enable);
  }
  void SetCheck(int state) override {
    TCommandEnabler::SetCheck(state);
    if (gadget_.GetButtonType() != TButtonGadget::Command)
      gadget_.SetButtonState(state == Checked         ? TButtonGadget::Down
                             : state == Indeterminate ? TButtonGadget::Indeterminate
                                                      : TButtonGadget::Up);
  }

 private:
  TButtonGadget& gadget_;
};

int Luma(COLORREF c) { return (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100; }

}  // namespace

TButtonGadget::TButtonGadget(int glyphResId, int id, TType type, bool enabled, TState state, bool repeat)
    : TGadget(id, None), ResId(glyphResId), Type(type), State(state), Repeat(repeat) {
  Enabled = enabled;
}

TButtonGadget::~TButtonGadget() {
  // Leave the window here, while the object is still a button gadget (Removed).
  if (Window) Window->Remove(*this);
  delete CelArray;
}

void TButtonGadget::SetButtonState(TState state) {
  if (State == state) return;
  State = state;
  Invalidate(false);
}

void TButtonGadget::SetShadowStyle(TShadowStyle style) {
  if (ShadowStyle == style) return;
  ShadowStyle = style;
  Invalidate(true);
}

void TButtonGadget::SetEnabled(bool enabled) {
  if (!enabled && Tracking) EndPress();
  TGadget::SetEnabled(enabled);
}

// ---- the glyph and its cels ----

TDib* TButtonGadget::GetGlyphDib() {
  if (!ResId) return nullptr;
  TModule* module = Window ? Window->GetModule() : nullptr;
  HINSTANCE instance = module ? module->GetInstance() : ::GetModuleHandleA(nullptr);
  try {
    return new TDib(instance, MAKEINTRESOURCEA(ResId));
  } catch (const TXGdi&) {
    char text[256];
    std::snprintf(text, sizeof text, TXOwl::ResourceIdToString(IDS_WLGLYPHNOTFOUND).c_str(), ResId);
    throw TXOwl(text, IDS_WLGLYPHNOTFOUND);
  }
}

void TButtonGadget::ReleaseGlyphDib(TDib* glyph) { delete glyph; }

void TButtonGadget::ClearCelArray() {
  delete CelArray;
  CelArray = nullptr;
  CelSize = TSize();
  CelsBuilt = false;
}

void TButtonGadget::EnsureCelArray() {
  if (!CelsBuilt) BuildCelArray();
}

// The three looks side by side: the glyph as it is; disabled, every dark pixel that is
// not the glyph's background (its top-left pixel) drawn as an engraving (shadow, with
// highlight one pixel down-right) on the button face; pressed, the glyph one pixel down
// and right on the face.
void TButtonGadget::BuildCelArray() {
  ClearCelArray();
  CelsBuilt = true;
  TDib* glyph = GetGlyphDib();
  if (!glyph) return;
  struct Releaser {
    TButtonGadget* self;
    TDib* dib;
    ~Releaser() { self->ReleaseGlyphDib(dib); }
  } releaser{this, glyph};
  if (!glyph->IsOK() || glyph->Width() <= 0 || glyph->Height() <= 0) return;

  const int w = glyph->Width(), h = glyph->Height();
  TScreenDC screen;
  auto bitmap = std::make_unique<TBitmap>(screen, w * NumCels, h);
  TMemoryDC mem(screen);
  mem.SelectObject(*bitmap);
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
  const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
  HBRUSH faceBrush = ::CreateSolidBrush(face);
  TRect all(0, 0, w * NumCels, h);
  ::FillRect(mem, &all, faceBrush);
  ::DeleteObject(faceBrush);

  mem.StretchDIBits(TRect(0, 0, w, h), TRect(0, 0, w, h), *glyph);

  const COLORREF background = ::GetPixel(mem, 0, 0);
  std::vector<bool> dark(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      COLORREF c = ::GetPixel(mem, x, y);
      dark[size_t(y) * w + x] = c != background && Luma(c) < 0xC0;
    }
  const int dx = w * CelDisabled;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (dark[size_t(y) * w + x] && x + 1 < w && y + 1 < h) ::SetPixel(mem, dx + x + 1, y + 1, highlight);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (dark[size_t(y) * w + x]) ::SetPixel(mem, dx + x, y, shadow);

  if (w > 1 && h > 1) ::BitBlt(mem, w * CelPressed + 1, 1, w - 1, h - 1, mem, 0, 0, SRCCOPY);
  mem.RestoreBitmap();

  CelSize = TSize(w, h);
  CelArray = new TCelArray(bitmap.release(), NumCels, CelSize);
}

int TButtonGadget::CurrentCel() const {
  if (!Enabled) return CelDisabled;
  if (Pressed || State == Down) return CelPressed;
  return CelNormal;
}

// The face plus a frame of one (single shadow) or two (double shadow) pixels and one
// pixel of space on each side.
void TButtonGadget::GetDesiredSize(TSize& size) {
  EnsureCelArray();
  int edge = (ShadowStyle == SingleShadow ? 1 : 2) + 1;
  size = TSize(CelSize.cx + 2 * edge, CelSize.cy + 2 * edge);
}

void TButtonGadget::Paint(TDC& dc) {
  EnsureCelArray();
  TRect r = Bounds;
  if (r.IsEmpty()) return;
  bool sunken = Pressed || State == Down;
  HBRUSH faceBrush =
      ::CreateSolidBrush(::GetSysColor(State == Indeterminate ? COLOR_3DLIGHT : COLOR_BTNFACE));
  ::FillRect(dc, &r, faceBrush);
  ::DeleteObject(faceBrush);
  uint edge = ShadowStyle == SingleShadow ? (sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER)
                                          : (sunken ? EDGE_SUNKEN : EDGE_RAISED);
  ::DrawEdge(dc, &r, edge, BF_RECT);
  if (CelArray) {
    int x = r.left + (r.Width() - CelSize.cx) / 2;
    int y = r.top + (r.Height() - CelSize.cy) / 2;
    TRect inner = r;
    inner.Inflate(-1, -1);
    int saved = dc.SaveDC();
    dc.IntersectClipRect(inner);
    CelArray->BitBlt(CurrentCel(), dc, x, y);
    dc.RestoreDC(saved);
  }
}

// ---- acting ----

void TButtonGadget::Activate(TPoint&) {
  switch (Type) {
    case Command:
      break;
    case Exclusive:
      // The exclusive buttons next to this one form its group: only one stays down.
      if (Window) {
        int me = Window->IndexOf(*this);
        for (int step : {-1, 1})
          for (int i = me + step;; i += step) {
            auto* b = dynamic_cast<TButtonGadget*>(Window->GadgetAt(i));
            if (!b || b->Type != Exclusive) break;
            b->SetButtonState(Up);
          }
      }
      SetButtonState(Down);
      break;
    case NonExclusive:
      SetButtonState(State == Down ? Up : Down);
      break;
  }
  if (!Window) return;
  TWindow* target = Window->Parent ? Window->Parent : Window;
  if (target->HWindow) target->PostMessage(WM_COMMAND, MAKEWPARAM(uint(Id), 0), 0);
}

void TButtonGadget::CommandEnable() {
  if (!Window || !Window->HWindow) return;
  TWindow* target = Window->Parent ? Window->Parent : Window;
  if (!target->HWindow) return;
  TButtonGadgetEnabler enabler(*this, target->HWindow);
  HWND focus = ::GetFocus();
  if (focus && (focus == target->HWindow || ::IsChild(target->HWindow, focus)))
    target->RouteCommandEnable(focus, enabler);
  else
    target->EvCommandEnable(enabler);
}

void TButtonGadget::MouseEnter(uint modKeys, TPoint& point) {
  MouseInside = true;
  TGadget::MouseEnter(modKeys, point);
}

void TButtonGadget::MouseLeave(uint modKeys, TPoint& point) {
  MouseInside = false;
  TGadget::MouseLeave(modKeys, point);
}

void TButtonGadget::LButtonDown(uint modKeys, TPoint& point) {
  TGadget::LButtonDown(modKeys, point);
  if (!Enabled || !Window) return;
  Tracking = Pressed = true;
  Window->GadgetSetCapture(*this);
  Invalidate(false);
  Update();
  if (Repeat) {
    Activate(point);
    if (Window && Window->HWindow) Window->SetTimer(TGadgetWindow::RepeatTimerId, RepeatDelay);
  }
}

void TButtonGadget::MouseMove(uint modKeys, TPoint& point) {
  TGadget::MouseMove(modKeys, point);
  if (!Tracking) return;
  bool inside = PtIn(point);
  if (inside != Pressed) {
    Pressed = inside;
    Invalidate(false);
  }
}

void TButtonGadget::LButtonUp(uint modKeys, TPoint& point) {
  TGadget::LButtonUp(modKeys, point);
  if (!Tracking) return;
  bool inside = PtIn(point);
  EndPress();
  // A repeat button fired on the press already.
  if (inside && Enabled && !Repeat) Activate(point);
}

void TButtonGadget::Timer(uint timerId) {
  if (timerId != TGadgetWindow::RepeatTimerId || !Tracking || !Window) return;
  Window->SetTimer(TGadgetWindow::RepeatTimerId, RepeatInterval);
  if (Pressed && Enabled) {
    TPoint p = Bounds.TopLeft();
    Activate(p);
  }
}

void TButtonGadget::CaptureLost() {
  if (Tracking) EndPress();
}

void TButtonGadget::EndPress() {
  bool was = Pressed;
  Tracking = Pressed = false;
  if (Window) {
    if (Repeat && Window->HWindow) Window->KillTimer(TGadgetWindow::RepeatTimerId);
    if (Window->GetCapture() == this) Window->GadgetReleaseCapture(*this);
  }
  if (was) Invalidate(false);
}

void TButtonGadget::Removed() {
  if (Tracking) EndPress();
  MouseInside = false;
}
