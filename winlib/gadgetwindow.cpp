// TGadgetWindow: the gadget list, tiling in one line, painting, mouse routing with
// capture, and the idle pass of command enabling.
#include "winlib/gadgetwindow.h"

#include <algorithm>

#include "winlib/dc.h"
#include "winlib/except.h"
#include "winlib/floatingframe.h"

DEFINE_RESPONSE_TABLE1(TGadgetWindow, TWindow)
EV_WM_LBUTTONDOWN, EV_WM_LBUTTONUP, EV_WM_LBUTTONDBLCLK, EV_WM_MOUSEMOVE, EV_WM_TIMER, EV_WM_SIZE,
    EV_MESSAGE(WM_MOUSELEAVE, EvMouseLeave),
    EV_MESSAGE(WM_CAPTURECHANGED, EvCaptureChanged), END_RESPONSE_TABLE;

void TMargins::GetPixels(int& left, int& right, int& top, int& bottom) const {
  int xUnit = 1, yUnit = 1, div = 1;
  switch (Units) {
    case Pixels:
      break;
    case LayoutUnits:
      xUnit = yUnit = HIWORD(::GetDialogBaseUnits());
      div = 8;
      break;
    case BorderUnits:
      xUnit = ::GetSystemMetrics(SM_CXBORDER);
      yUnit = ::GetSystemMetrics(SM_CYBORDER);
      break;
  }
  left = Left * xUnit / div;
  right = Right * xUnit / div;
  top = Top * yUnit / div;
  bottom = Bottom * yUnit / div;
}

TGadgetWindow::TGadgetWindow() = default;

TGadgetWindow::TGadgetWindow(TWindow* parent, TTileDirection direction, TModule* module) {
  TWindow::Init(parent, nullptr, module);
  InitGadgetWindow(direction);
}

void TGadgetWindow::InitGadgetWindow(TTileDirection direction) {
  Direction = direction;
  // Shrink across the tile direction: a horizontal bar takes the gadgets' height.
  ShrinkWrapWidth = direction == Vertical;
  ShrinkWrapHeight = direction == Horizontal;
  Attr.Style |= WS_CLIPCHILDREN;
  if (Attr.W == int(CW_USEDEFAULT)) Attr.W = Attr.H = 0;
  if (Attr.X == int(CW_USEDEFAULT)) Attr.X = Attr.Y = 0;
}

TGadgetWindow::~TGadgetWindow() {
  while (TGadget* g = Gadgets) {
    Remove(*g);
    if (!g->IsOwnedElsewhere()) delete g;
  }
}

// ---- the list ----

TGadget* TGadgetWindow::LastGadget() const {
  TGadget* g = Gadgets;
  while (g && g->Next) g = g->Next;
  return g;
}

void TGadgetWindow::Insert(TGadget& gadget, TPlacement placement, TGadget* sibling) {
  if (gadget.Window) throw TXOwl(IDS_WLGADGETINUSE);
  if (sibling && sibling->Window != this) throw TXOwl(IDS_WLGADGETNOTHERE);
  TGadget** link = &Gadgets;
  if (placement == After) {
    if (!sibling) sibling = LastGadget();
    if (sibling) link = &sibling->Next;
  } else if (sibling) {
    while (*link != sibling) link = &(*link)->Next;
  }
  gadget.Next = *link;
  *link = &gadget;
  gadget.Window = this;
  ++numGadgets_;
  gadget.Inserted();
}

TGadget* TGadgetWindow::Remove(TGadget& gadget) {
  if (gadget.Window != this) return nullptr;
  TGadget** link = &Gadgets;
  while (*link && *link != &gadget) link = &(*link)->Next;
  if (!*link) return nullptr;
  gadget.Removed();
  if (Capture == &gadget) {
    Capture = nullptr;
    if (HWindow && ::GetCapture() == HWindow) ::ReleaseCapture();
  }
  if (AtMouse == &gadget) AtMouse = nullptr;
  gadget.Invalidate(true);
  *link = gadget.Next;
  gadget.Next = nullptr;
  gadget.Window = nullptr;
  --numGadgets_;
  return &gadget;
}

TGadget* TGadgetWindow::GadgetFromPoint(const TPoint& point) const {
  for (TGadget* g = Gadgets; g; g = g->Next)
    if (g->PtIn(point)) return g;
  return nullptr;
}

TGadget* TGadgetWindow::GadgetWithId(int id) const {
  for (TGadget* g = Gadgets; g; g = g->Next)
    if (g->Id == id) return g;
  return nullptr;
}

TGadget* TGadgetWindow::GadgetAt(int index) const {
  if (index < 0) return nullptr;
  TGadget* g = Gadgets;
  while (g && index--) g = g->Next;
  return g;
}

int TGadgetWindow::IndexOf(const TGadget& gadget) const {
  int i = 0;
  for (TGadget* g = Gadgets; g; g = g->Next, ++i)
    if (g == &gadget) return i;
  return -1;
}

// ---- layout ----

void TGadgetWindow::SetDirection(TTileDirection direction) {
  if (Direction == direction) return;
  Direction = direction;
  if (HWindow) LayoutSession();
}

void TGadgetWindow::SetMargins(const TMargins& margins) {
  Margins = margins;
  if (HWindow) LayoutSession();
}

void TGadgetWindow::SetShrinkWrap(bool width, bool height) {
  ShrinkWrapWidth = width;
  ShrinkWrapHeight = height;
}

TSize TGadgetWindow::NonClientSize() const {
  if (HWindow) {
    TRect w = GetWindowRect(), c = GetClientRect();
    return TSize(w.Width() - c.Width(), w.Height() - c.Height());
  }
  RECT r = {0, 0, 0, 0};
  ::AdjustWindowRectEx(&r, Attr.Style, FALSE, Attr.ExStyle);
  return TSize(r.right - r.left, r.bottom - r.top);
}

void TGadgetWindow::MeasureGadgets(TTileDirection dir, int& along, int& maxWidth, int& maxHeight) {
  along = maxWidth = maxHeight = 0;
  for (TGadget* g = Gadgets; g; g = g->Next) {
    TSize s;
    g->GetDesiredSize(s);
    along += dir == Horizontal ? s.cx : s.cy;
    maxWidth = std::max<int>(maxWidth, s.cx);
    maxHeight = std::max<int>(maxHeight, s.cy);
  }
}

void TGadgetWindow::GetDesiredSize(TSize& size) {
  int left, right, top, bottom;
  Margins.GetPixels(left, right, top, bottom);
  // Lay out without moving anything to learn the extent PositionGadget gives.
  int along, maxWidth, maxHeight;
  MeasureGadgets(Direction, along, maxWidth, maxHeight);
  TPoint origin(0, 0);
  TGadget* previous = nullptr;
  for (TGadget* g = Gadgets; g; previous = g, g = g->Next) {
    PositionGadget(previous, g, origin);
    TSize s;
    g->GetDesiredSize(s);
    if (Direction == Horizontal)
      origin.x += s.cx;
    else
      origin.y += s.cy;
  }
  TSize nc = NonClientSize();
  int needW = left + right + (Direction == Horizontal ? origin.x : maxWidth) + nc.cx;
  int needH = top + bottom + (Direction == Horizontal ? maxHeight : origin.y) + nc.cy;
  TRect now = HWindow ? GetWindowRect() : TRect(0, 0, Attr.W, Attr.H);
  size = TSize(ShrinkWrapWidth ? needW : now.Width(), ShrinkWrapHeight ? needH : now.Height());
}

void TGadgetWindow::GetInnerRect(TRect& rect) {
  int left, right, top, bottom;
  Margins.GetPixels(left, right, top, bottom);
  TRect client = HWindow ? GetClientRect() : TRect(0, 0, Attr.W, Attr.H);
  rect = TRect(client.left + left, client.top + top, client.right - right, client.bottom - bottom);
}

void TGadgetWindow::PositionGadget(TGadget*, TGadget*, TPoint&) {}

TRect TGadgetWindow::TileGadgets() {
  TRect inner;
  GetInnerRect(inner);
  int along, maxWidth, maxHeight;
  MeasureGadgets(Direction, along, maxWidth, maxHeight);
  TPoint origin = inner.TopLeft();
  TRect covered(origin, TSize(0, 0));
  TGadget* previous = nullptr;
  for (TGadget* g = Gadgets; g; previous = g, g = g->Next) {
    PositionGadget(previous, g, origin);
    TSize s;
    g->GetDesiredSize(s);
    TRect bounds = Direction == Horizontal ? TRect(origin, TSize(s.cx, maxHeight))
                                           : TRect(origin, TSize(maxWidth, s.cy));
    g->SetBounds(bounds);
    covered = covered | bounds;
    if (Direction == Horizontal)
      origin.x += s.cx;
    else
      origin.y += s.cy;
  }
  return covered;
}

void TGadgetWindow::LayoutSession() {
  if (!HWindow) return;
  TileGadgets();
  Invalidate(true);
  // A floating frame that shrinks to its client fits this window again (a plain frame
  // would stretch the client to its own size instead).
  if ((ShrinkWrapWidth || ShrinkWrapHeight) && Parent && Parent->HWindow &&
      Parent->IsFlagSet(wfShrinkToClient) && dynamic_cast<TFloatingFrame*>(Parent))
    Parent->SendMessage(WM_SIZE, WPARAM(HWindow), 0);
}

bool TGadgetWindow::Create() {
  if (!HWindow && (ShrinkWrapWidth || ShrinkWrapHeight)) {
    TSize s;
    GetDesiredSize(s);
    if (ShrinkWrapWidth) Attr.W = s.cx;
    if (ShrinkWrapHeight) Attr.H = s.cy;
  }
  return TWindow::Create();
}

void TGadgetWindow::SetupWindow() {
  TWindow::SetupWindow();
  TileGadgets();
}

void TGadgetWindow::GetWindowClass(WNDCLASSA& wc) {
  TWindow::GetWindowClass(wc);
  wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
}

void TGadgetWindow::Paint(TDC& dc, bool, TRect& rect) {
  for (TGadget* g = Gadgets; g; g = g->Next) {
    TRect b = g->GetBounds();
    if (!(b & rect).IsEmpty()) g->Paint(dc);
  }
}

// ---- idle ----

bool TGadgetWindow::IdleAction(long idleCount) {
  if (idleCount == 0)
    for (TGadget* g = Gadgets; g; g = g->Next) g->CommandEnable();
  return TWindow::IdleAction(idleCount);
}

// ---- mouse ----

void TGadgetWindow::GadgetSetCapture(TGadget& gadget) {
  if (gadget.Window != this || !HWindow) return;
  Capture = &gadget;
  ::SetCapture(HWindow);
}

void TGadgetWindow::GadgetReleaseCapture(TGadget& gadget) {
  if (Capture != &gadget) return;
  Capture = nullptr;
  if (HWindow && ::GetCapture() == HWindow) ::ReleaseCapture();
}

void TGadgetWindow::SetAtMouse(TGadget* gadget, uint modKeys, TPoint& point) {
  if (gadget == AtMouse) return;
  if (TGadget* old = AtMouse) {
    AtMouse = nullptr;
    old->MouseLeave(modKeys, point);
  }
  AtMouse = gadget;
  if (gadget) gadget->MouseEnter(modKeys, point);
}

void TGadgetWindow::EvMouseMove(uint modKeys, TPoint& point) {
  if (Capture) {
    Capture->MouseMove(modKeys, point);
    return;
  }
  SetAtMouse(GadgetFromPoint(point), modKeys, point);
  if (AtMouse) AtMouse->MouseMove(modKeys, point);
  if (AtMouse && !trackingLeave_ && HWindow) {
    TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, HWindow, 0};
    trackingLeave_ = ::TrackMouseEvent(&tme) != FALSE;
  }
}

LRESULT TGadgetWindow::EvMouseLeave(WPARAM, LPARAM) {
  trackingLeave_ = false;
  if (!Capture) {
    TPoint outside(-1, -1);
    SetAtMouse(nullptr, 0, outside);
  }
  return 0;
}

void TGadgetWindow::EvLButtonDown(uint modKeys, TPoint& point) {
  if (Capture) {
    Capture->LButtonDown(modKeys, point);
    return;
  }
  TGadget* g = GadgetFromPoint(point);
  if (g && g->GetEnabled()) g->LButtonDown(modKeys, point);
}

void TGadgetWindow::EvLButtonDblClk(uint modKeys, TPoint& point) { EvLButtonDown(modKeys, point); }

void TGadgetWindow::EvLButtonUp(uint modKeys, TPoint& point) {
  if (Capture) {
    Capture->LButtonUp(modKeys, point);
    return;
  }
  TGadget* g = GadgetFromPoint(point);
  if (g && g->GetEnabled()) g->LButtonUp(modKeys, point);
}

LRESULT TGadgetWindow::EvCaptureChanged(WPARAM, LPARAM newCapture) {
  if (Capture && HWND(newCapture) != HWindow) {
    TGadget* lost = Capture;
    Capture = nullptr;
    lost->CaptureLost();
  }
  return 0;
}

void TGadgetWindow::EvTimer(uint timerId) {
  if (timerId == RepeatTimerId) {
    if (Capture)
      Capture->Timer(timerId);
    else
      KillTimer(timerId);
    return;
  }
  TWindow::EvTimer(timerId);
}

void TGadgetWindow::EvSize(uint sizeType, TSize& size) {
  TWindow::EvSize(sizeType, size);
  if (sizeType != SIZE_MINIMIZED && HWindow) {
    TileGadgets();
    Invalidate(true);
  }
}
