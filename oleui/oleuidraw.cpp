// The shading over an object that is open in its server, and HIMETRIC conversions.
#include "oleui/oleuistd.h"
#include "oleuixform.h"

namespace {

// The hatch: one black pixel in four along each row, in diagonal lines (x + y) % 4 == 0.
// A monochrome pattern draws its 0 bits in the DC's text colour.
HBRUSH hatchBrush() {
  WORD rows[8];
  for (int y = 0; y < 8; ++y) {
    WORD bits = 0xFF;
    for (int x = 0; x < 8; ++x)
      if ((x + y) % 4 == 0) bits &= WORD(~(0x80 >> x));
    rows[y] = bits;
  }
  HBITMAP bm = CreateBitmap(8, 8, 1, 1, rows);
  if (!bm) return nullptr;
  HBRUSH br = CreatePatternBrush(bm);
  DeleteObject(bm);
  return br;
}

// Pattern AND destination: black where the hatch is, the destination elsewhere.
constexpr DWORD kRopPatternAndDest = 0x00A000C9;

void band(HDC dc, const RECT& outer, int w) {
  int width = outer.right - outer.left, height = outer.bottom - outer.top;
  if (width <= 0 || height <= 0) return;
  if (2 * w >= width || 2 * w >= height) {
    PatBlt(dc, outer.left, outer.top, width, height, kRopPatternAndDest);
    return;
  }
  PatBlt(dc, outer.left, outer.top, width, w, kRopPatternAndDest);
  PatBlt(dc, outer.left, outer.bottom - w, width, w, kRopPatternAndDest);
  PatBlt(dc, outer.left, outer.top + w, w, height - 2 * w, kRopPatternAndDest);
  PatBlt(dc, outer.right - w, outer.top + w, w, height - 2 * w, kRopPatternAndDest);
}

int pixelsPerInch(HDC dc, int cap) {
  HDC screen = dc ? nullptr : GetDC(nullptr);
  int n = GetDeviceCaps(dc ? dc : screen, cap);
  if (screen) ReleaseDC(nullptr, screen);
  return n;
}

}  // namespace

namespace oleui {

int himetricToPixels(int himetric, int pixelsPerInch) {
  return MulDiv(himetric, pixelsPerInch, kHimetricPerInch);
}

}  // namespace oleui

extern "C" {

BOOL WINAPI OleUIDrawShading(LPRECT rect, HDC dc, DWORD flags, UINT width) {
  if (!rect || !dc) return FALSE;
  if (flags != OLEUI_SHADE_FULLRECT && flags != OLEUI_SHADE_BORDERIN && flags != OLEUI_SHADE_BORDEROUT)
    return FALSE;
  int w = int(width ? width : kOleUIShadeDefaultWidth);
  HBRUSH br = hatchBrush();
  if (!br) return FALSE;
  COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
  HGDIOBJ old = SelectObject(dc, br);
  RECT r = *rect;
  switch (flags) {
    case OLEUI_SHADE_FULLRECT:
      PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, kRopPatternAndDest);
      break;
    case OLEUI_SHADE_BORDERIN:
      band(dc, r, w);
      break;
    case OLEUI_SHADE_BORDEROUT:
      InflateRect(&r, w, w);
      band(dc, r, w);
      break;
  }
  SelectObject(dc, old);
  SetBkColor(dc, back);
  SetTextColor(dc, text);
  DeleteObject(br);
  return TRUE;
}

int WINAPI XformWidthInHimetricToPixels(HDC dc, int himetric) {
  return oleui::himetricToPixels(himetric, pixelsPerInch(dc, LOGPIXELSX));
}

int WINAPI XformHeightInHimetricToPixels(HDC dc, int himetric) {
  return oleui::himetricToPixels(himetric, pixelsPerInch(dc, LOGPIXELSY));
}

}  // extern "C"
