// Pens, brushes, fonts, palettes and bitmaps.
#include "winlib/gdiobjects.h"

#include <vector>

#include "winlib/dc.h"
#include "winlib/dib.h"
#include "winlib/except.h"

TGdiObject::TGdiObject(HGDIOBJ handle, TAutoDelete autoDelete)
    : Handle(handle), ShouldDelete(autoDelete == AutoDelete) {
  TXGdi::Check(handle);
}

TGdiObject::~TGdiObject() {
  if (Handle && ShouldDelete) ::DeleteObject(Handle);
}

void TGdiObject::SetHandle(HGDIOBJ handle, bool own) {
  TXGdi::Check(handle);
  Handle = handle;
  ShouldDelete = own;
}

TPen::TPen(TColor color, int width, int style) {
  SetHandle(::CreatePen(style, width, color.Resolved()), true);
}
TPen::TPen(const LOGPEN& logPen) { SetHandle(::CreatePenIndirect(&logPen), true); }

TBrush::TBrush(TColor color) { SetHandle(::CreateSolidBrush(color.Resolved()), true); }
TBrush::TBrush(TColor color, int hatchStyle) {
  SetHandle(::CreateHatchBrush(hatchStyle, color.Resolved()), true);
}
TBrush::TBrush(const LOGBRUSH& logBrush) { SetHandle(::CreateBrushIndirect(&logBrush), true); }

TBrush::TBrush(const TDib& dib) {
  HBRUSH h = ::CreateDIBPatternBrushPt(dib.GetInfo(), dib.Usage());
  if (!h && ::GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
    h = ::CreateDIBPatternBrush(dib.GetHandle(), dib.Usage());
  SetHandle(h, true);
}

TFont::TFont(const LOGFONTA& logFont) { SetHandle(::CreateFontIndirectA(&logFont), true); }

TFont::TFont(const char* facename, int height, int width, int escapement, int orientation, int weight,
             uint8_t pitchAndFamily, uint8_t italic, uint8_t underline, uint8_t strikeout, uint8_t charSet) {
  SetHandle(
      ::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeout, charSet,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitchAndFamily, facename),
      true);
}

TPalette::TPalette(const LOGPALETTE* logPalette) { SetHandle(::CreatePalette(logPalette), true); }

TPalette::TPalette(const TDib& dib) {
  uint n = dib.NumColors();
  if (n == 0) {
    SetHandle(::GetStockObject(DEFAULT_PALETTE), false);  // true-colour DIB: no table
    return;
  }
  std::vector<char> block(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = WORD(n);
  const RGBQUAD* colors = dib.GetColors();
  for (uint i = 0; i < n; ++i) {
    lp->palPalEntry[i].peRed = colors[i].rgbRed;
    lp->palPalEntry[i].peGreen = colors[i].rgbGreen;
    lp->palPalEntry[i].peBlue = colors[i].rgbBlue;
    lp->palPalEntry[i].peFlags = 0;
  }
  SetHandle(::CreatePalette(lp), true);
}

uint TPalette::GetNumEntries() const {
  WORD n = 0;
  ::GetObjectA(Handle, sizeof n, &n);
  return n;
}

TBitmap::TBitmap(HINSTANCE instance, const char* resId) { SetHandle(::LoadBitmapA(instance, resId), true); }

TBitmap::TBitmap(int width, int height, uint8_t planes, uint8_t bitCount, const void* bits) {
  SetHandle(::CreateBitmap(width, height, planes, bitCount, bits), true);
}

TBitmap::TBitmap(const TDC& dc, int width, int height) {
  SetHandle(::CreateCompatibleBitmap(dc, width, height), true);
}

TBitmap::TBitmap(const TDib& dib, const TPalette* palette) {
  HDC screen = ::GetDC(nullptr);
  HPALETTE old = nullptr;
  if (palette) {
    old = ::SelectPalette(screen, *palette, FALSE);
    ::RealizePalette(screen);
  }
  HBITMAP h =
      ::CreateDIBitmap(screen, dib.GetInfoHeader(), CBM_INIT, dib.GetBits(), dib.GetInfo(), dib.Usage());
  if (palette) ::SelectPalette(screen, old, FALSE);
  ::ReleaseDC(nullptr, screen);
  SetHandle(h, true);
}

TBitmap::TBitmap(HMETAFILE metafile, const TPalette* palette, const TSize& size) {
  TScreenDC screen;
  TMemoryDC mem(screen);
  HBITMAP h = ::CreateCompatibleBitmap(screen, size.cx, size.cy);
  TXGdi::Check(h);
  HGDIOBJ oldBitmap = ::SelectObject(mem, h);
  if (palette) {
    ::SelectPalette(mem, *palette, FALSE);
    ::RealizePalette(mem);
  }
  RECT all = {0, 0, size.cx, size.cy};
  ::FillRect(mem, &all, HBRUSH(::GetStockObject(WHITE_BRUSH)));
  ::SetMapMode(mem, MM_ANISOTROPIC);
  ::SetViewportExtEx(mem, size.cx, size.cy, nullptr);
  ::PlayMetaFile(mem, metafile);
  ::SelectObject(mem, oldBitmap);
  if (palette) ::SelectPalette(mem, HPALETTE(::GetStockObject(DEFAULT_PALETTE)), FALSE);
  SetHandle(h, true);
}

int TBitmap::Width() const {
  BITMAP bm = {};
  ::GetObjectA(Handle, sizeof bm, &bm);
  return bm.bmWidth;
}

int TBitmap::Height() const {
  BITMAP bm = {};
  ::GetObjectA(Handle, sizeof bm, &bm);
  return bm.bmHeight;
}

int TBitmap::BitsPixel() const {
  BITMAP bm = {};
  ::GetObjectA(Handle, sizeof bm, &bm);
  return bm.bmBitsPixel;
}
