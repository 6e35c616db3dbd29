// TGadget and TSeparatorGadget: bounds, enabled state, borders and the default hooks.
#include "winlib/gadget.h"

#include "winlib/dc.h"
#include "winlib/gadgetwindow.h"

TGadget::TGadget(int id, TBorderStyle borderStyle) : Id(id), BorderStyle(borderStyle) {}

TGadget::~TGadget() {
  if (Window) Window->Remove(*this);
}

void TGadget::SetBounds(const TRect& bounds) {
  if (bounds == Bounds) return;
  Invalidate();
  Bounds = bounds;
  Invalidate();
}

void TGadget::SetEnabled(bool enabled) {
  if (Enabled == enabled) return;
  Enabled = enabled;
  Invalidate(true);
}

void TGadget::SetBorderStyle(TBorderStyle style) {
  if (BorderStyle == style) return;
  BorderStyle = style;
  Invalidate(true);
}

int TGadget::BorderWidth() const {
  switch (BorderStyle) {
    case None:
      return 0;
    case Plain:
      return 1;
    default:
      return 2;
  }
}

void TGadget::GetDesiredSize(TSize& size) {
  int b = 2 * BorderWidth();
  size = TSize(b, b);
}

void TGadget::InvalidateRect(const TRect& rect, bool erase) {
  if (Window && Window->HWindow && !rect.IsEmpty()) Window->InvalidateRect(rect, erase);
}

void TGadget::Invalidate(bool erase) { InvalidateRect(Bounds, erase); }

void TGadget::Update() {
  if (Window) Window->UpdateWindow();
}

const char* TGadget::GetHintText(int& owned) {
  owned = 0;
  return nullptr;
}

void TGadget::CommandEnable() {}
void TGadget::MouseEnter(uint, TPoint&) {}
void TGadget::MouseMove(uint, TPoint&) {}
void TGadget::MouseLeave(uint, TPoint&) {}
void TGadget::LButtonDown(uint, TPoint&) {}
void TGadget::LButtonUp(uint, TPoint&) {}
void TGadget::Timer(uint) {}

void TGadget::Paint(TDC& dc) { PaintBorder(dc); }

void TGadget::PaintBorder(TDC& dc) {
  if (BorderStyle == None || Bounds.IsEmpty()) return;
  TRect r = Bounds;
  if (BorderStyle == Plain) {
    ::FrameRect(dc, &r, HBRUSH(::GetStockObject(BLACK_BRUSH)));
    return;
  }
  uint edge = BorderStyle == Raised ? EDGE_RAISED : BorderStyle == Recessed ? EDGE_SUNKEN : EDGE_ETCHED;
  ::DrawEdge(dc, &r, edge, BF_RECT);
}

TSeparatorGadget::TSeparatorGadget(int size) : TGadget(0, None), size_(size < 0 ? 0 : size) {
  Enabled = false;
}

void TSeparatorGadget::GetDesiredSize(TSize& size) {
  bool vertical = Window && Window->GetDirection() == TGadgetWindow::Vertical;
  size = vertical ? TSize(0, size_) : TSize(size_, 0);
}
