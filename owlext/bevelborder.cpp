// TBevelBorder: the border's properties, size, usable rectangle, painting and stream.
#include "owlext/bevelborder.h"

#include "olecls/oclstream.h"
#include "owlext/owlexterror.h"
#include "utils/xexception.h"
#include "winlib/dc.h"
#include "winlib/window.h"

TBevelBorder::~TBevelBorder() {}

void TBevelBorder::borderChanged() {}

TBevelBorder& TBevelBorder::operator=(const TBevelBorder& o) {
  bevelInner_ = o.bevelInner_;
  bevelOuter_ = o.bevelOuter_;
  bevelWidth_ = o.bevelWidth_;
  borderWidth_ = o.borderWidth_;
  outlined_ = o.outlined_;
  return *this;
}

int TBevelBorder::GetBorderSize() const {
  int size = 0;
  if (bevelOuter_ != BOR_NONE) size += bevelWidth_;
  size += borderWidth_;
  if (bevelInner_ != BOR_NONE) size += bevelWidth_;
  if (outlined_) size += 1;
  return size;
}

void TBevelBorder::RemoveScrollbarArea(TWindow& window, TRect& r) {
  if (!window.HWindow) return;
  uint32_t style = window.GetStyle();
  if (style & WS_VSCROLL) r.right -= ::GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_HSCROLL) r.bottom -= ::GetSystemMetrics(SM_CYHSCROLL);
}

TRect TBevelBorder::OuterRect(TWindow& window) {
  TRect r;
  if (window.HWindow) {
    TRect w = window.GetWindowRect();
    r = TRect(0, 0, w.Width(), w.Height());
  } else {
    r = TRect(0, 0, window.Attr.W, window.Attr.H);
  }
  RemoveScrollbarArea(window, r);
  return r;
}

TRect TBevelBorder::GetUsableRect(TWindow* window) const {
  if (!window) utilsAssert("win", "BEVELBOR", __LINE__);
  TRect r = OuterRect(*window);
  int b = GetBorderSize();
  r.Inflate(-b, -b);
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

namespace {

void Fill(TDC& dc, int l, int t, int r, int b, HBRUSH brush) {
  if (r > l && b > t) dc.FillRect(TRect(l, t, r, b), brush);
}

}  // namespace

void TBevelBorder::drawBevel(TDC& dc, TRect& r, BorderStyleType style) {
  int w = bevelWidth_;
  if (style == BOR_SINGLE) {
    HBRUSH black = TBrush::Stock(BLACK_BRUSH);
    Fill(dc, r.left, r.top, r.right, r.top + w, black);
    Fill(dc, r.left, r.bottom - w, r.right, r.bottom, black);
    Fill(dc, r.left, r.top + w, r.left + w, r.bottom - w, black);
    Fill(dc, r.right - w, r.top + w, r.right, r.bottom - w, black);
    return;
  }
  if (style != BOR_LOWERED && style != BOR_RAISED) return;
  TBrush shadow(TColor::Sys(COLOR_BTNSHADOW));
  TBrush light(TColor::Sys(COLOR_BTNHIGHLIGHT));
  const TBrush& first = style == BOR_LOWERED ? shadow : light;
  const TBrush& second = style == BOR_LOWERED ? light : shadow;
  for (int i = 0; i < w; ++i) {
    Fill(dc, r.left, r.top + i, r.right - i, r.top + i + 1, first);
    Fill(dc, r.left + i, r.top + w, r.left + i + 1, r.bottom - i, first);
    Fill(dc, r.left + i, r.bottom - i - 1, r.right, r.bottom - i, second);
    Fill(dc, r.right - i - 1, r.top + i + 1, r.right - i, r.bottom - w, second);
  }
}

void TBevelBorder::drawBorder(TWindow& window, TDC& dc) {
  TRect r = OuterRect(window);
  // The DC may be a surface's cached one: what it holds now is what it gets back.
  HGDIOBJ pen = ::GetCurrentObject(dc, OBJ_PEN), brush = ::GetCurrentObject(dc, OBJ_BRUSH);
  if (outlined_) {
    TPen black(TColor(0, 0, 0), 1, PS_SOLID);
    ::SelectObject(dc, black);
    ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    dc.Rectangle(r);
    ::SelectObject(dc, pen);
    r.Inflate(-1, -1);
  }
  if (bevelOuter_ != BOR_NONE) {
    drawBevel(dc, r, (BorderStyleType)bevelOuter_);
    r.Inflate(-bevelWidth_, -bevelWidth_);
  }
  if (borderWidth_) {
    int b = borderWidth_;
    TBrush face(TColor::Sys(COLOR_BTNFACE));
    Fill(dc, r.left, r.top, r.right, r.top + b, face);
    Fill(dc, r.left, r.bottom - b, r.right, r.bottom, face);
    Fill(dc, r.left, r.top + b, r.left + b, r.bottom - b, face);
    Fill(dc, r.right - b, r.top + b, r.right, r.bottom - b, face);
    r.Inflate(-b, -b);
  }
  if (bevelInner_ != BOR_NONE) drawBevel(dc, r, (BorderStyleType)bevelInner_);
  ::SelectObject(dc, brush);
}

void TBevelBorder::damageBorder(TWindow& window, unsigned sizeType, TSize& newSize) {
  if (sizeType != SIZE_RESTORED) return;
  int b = GetBorderSize();
  if (!b || !window.HWindow) return;
  TRect former(0, 0, window.Attr.W, window.Attr.H);
  RemoveScrollbarArea(window, former);
  int x = newSize.cx < former.right ? newSize.cx : former.right;
  int y = newSize.cy < former.bottom ? newSize.cy : former.bottom;
  window.InvalidateRect(TRect(x - b, 0, x, newSize.cy), true);
  window.InvalidateRect(TRect(0, y - b, newSize.cx, y), true);
}

void TBevelBorder::pdSetBevelInner(long style) {
  if (!IsBorderStyle(style)) OwlExtRaise(kOwlExtInvalidArgument, "BevelInner");
  bevelInner_ = (uint8_t)style;
  borderChanged();
}

void TBevelBorder::pdSetBevelOuter(long style) {
  if (!IsBorderStyle(style)) OwlExtRaise(kOwlExtInvalidArgument, "BevelOuter");
  bevelOuter_ = (uint8_t)style;
  borderChanged();
}

void TBevelBorder::pdSetBevelWidth(short width) {
  if (width < 0) return;
  if (width > 255) OwlExtRaise(kOwlExtInvalidArgument, "BevelWidth");
  bevelWidth_ = (uint8_t)width;
  borderChanged();
}

void TBevelBorder::pdSetBorderWidth(short width) {
  if (width < 0) return;
  if (width > 255) OwlExtRaise(kOwlExtInvalidArgument, "BorderWidth");
  borderWidth_ = (uint8_t)width;
  borderChanged();
}

void TBevelBorder::pdSetOutlined(long on) {
  uint8_t v = on ? 1 : 0;
  if (v == outlined_) return;
  outlined_ = v;
  borderChanged();
}

void TBevelBorder::write(OCLStream& s) const {
  s.write((UCHAR)bevelInner_);
  s.write((UCHAR)bevelOuter_);
  s.write((UCHAR)bevelWidth_);
  s.write((UCHAR)borderWidth_);
  s.write((UCHAR)outlined_);
}

void TBevelBorder::read(OCLStream& s, const char* owner) {
  UCHAR b[5] = {};
  for (UCHAR& c : b) s.read(&c);
  if (!IsBorderStyle(b[0]) || !IsBorderStyle(b[1])) OwlExtRaise(kOwlExtLoadFailed, owner);
  bevelInner_ = b[0];
  bevelOuter_ = b[1];
  bevelWidth_ = b[2];
  borderWidth_ = b[3];
  outlined_ = b[4] ? 1 : 0;
}
