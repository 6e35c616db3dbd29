// Points, sizes, rectangles and colours: thin value types over the Win32 structures,
// so they pass straight to the API.
#pragma once

#include <cstdint>

#include "defs.h"

class TSize;

class TPoint : public POINT {
 public:
  TPoint() { x = y = 0; }
  TPoint(int ax, int ay) {
    x = ax;
    y = ay;
  }
  TPoint(const POINT& p) {
    x = p.x;
    y = p.y;
  }
  TPoint operator+(const TPoint& o) const { return TPoint(x + o.x, y + o.y); }
  TPoint operator-(const TPoint& o) const { return TPoint(x - o.x, y - o.y); }
  TPoint& operator+=(const TPoint& o) {
    x += o.x;
    y += o.y;
    return *this;
  }
  TPoint& Offset(int dx, int dy) {
    x += dx;
    y += dy;
    return *this;
  }
  bool operator==(const TPoint& o) const { return x == o.x && y == o.y; }
  bool operator!=(const TPoint& o) const { return !(*this == o); }
};

class TSize : public SIZE {
 public:
  TSize() { cx = cy = 0; }
  TSize(int w, int h) {
    cx = w;
    cy = h;
  }
  TSize(const SIZE& s) {
    cx = s.cx;
    cy = s.cy;
  }
  bool operator==(const TSize& o) const { return cx == o.cx && cy == o.cy; }
  bool operator!=(const TSize& o) const { return !(*this == o); }
};

class TRect : public RECT {
 public:
  TRect() { left = top = right = bottom = 0; }
  TRect(int l, int t, int r, int b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
  }
  TRect(const RECT& r) {
    left = r.left;
    top = r.top;
    right = r.right;
    bottom = r.bottom;
  }
  TRect(const TPoint& origin, const TSize& extent) {
    left = origin.x;
    top = origin.y;
    right = origin.x + extent.cx;
    bottom = origin.y + extent.cy;
  }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  TSize Size() const { return TSize(Width(), Height()); }
  TPoint TopLeft() const { return TPoint(left, top); }
  TPoint BottomRight() const { return TPoint(right, bottom); }
  bool IsEmpty() const { return left >= right || top >= bottom; }
  bool Contains(const TPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  TRect& Offset(int dx, int dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
    return *this;
  }
  TRect& Inflate(int dx, int dy) {
    left -= dx;
    right += dx;
    top -= dy;
    bottom += dy;
    return *this;
  }
  TRect& Normalize();
  TRect operator&(const TRect& o) const;  // intersection (empty when disjoint)
  TRect operator|(const TRect& o) const;  // bounding union
  bool operator==(const TRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const TRect& o) const { return !(*this == o); }
};

inline TRect& TRect::Normalize() {
  if (left > right) {
    LONG t = left;
    left = right;
    right = t;
  }
  if (top > bottom) {
    LONG t = top;
    top = bottom;
    bottom = t;
  }
  return *this;
}
inline TRect TRect::operator&(const TRect& o) const {
  RECT r;
  if (!::IntersectRect(&r, this, &o)) return TRect();
  return TRect(r);
}
inline TRect TRect::operator|(const TRect& o) const {
  RECT r;
  ::UnionRect(&r, this, &o);
  return TRect(r);
}

// A COLORREF with named values. None (0xFE000000) means "no colour": callers test for it
// and skip the drawing; Sys(index) wraps a system colour index so that it is resolved
// when used (GetSysColor).
class OVGUI1_API TColor {
 public:
  enum : uint32_t { kNone = 0xFE000000u, kSysFlag = 0x80000000u };
  TColor() : value_(0) {}
  TColor(COLORREF c) : value_(c) {}
  TColor(int r, int g, int b) : value_(RGB(r, g, b)) {}
  static TColor Sys(int index) { return TColor(COLORREF(kSysFlag | uint32_t(index))); }

  operator COLORREF() const { return Resolved(); }
  COLORREF GetValue() const { return value_; }
  // The plain RGB to hand to GDI: system colours looked up, "none" as black.
  COLORREF Resolved() const {
    if (value_ == kNone) return 0;
    if (value_ & kSysFlag) return ::GetSysColor(int(value_ & 0xFF));
    return value_;
  }
  bool IsNone() const { return value_ == kNone; }
  bool IsSysColor() const { return value_ != kNone && (value_ & kSysFlag); }
  int Red() const { return GetRValue(Resolved()); }
  int Green() const { return GetGValue(Resolved()); }
  int Blue() const { return GetBValue(Resolved()); }
  bool operator==(const TColor& o) const { return value_ == o.value_; }
  bool operator!=(const TColor& o) const { return value_ != o.value_; }

  static const TColor None, Black, White, LtGray, Gray, LtRed, LtGreen, LtBlue, LtYellow, SysWindow,
      SysWindowText, SysBtnFace, SysBtnShadow, SysBtnHighlight, SysBtnText;

 private:
  COLORREF value_;
};
