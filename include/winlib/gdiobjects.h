// GDI objects: a handle that is deleted with the object when owned, and the pens,
// brushes, fonts, bitmaps and palettes made from their logical structures or a TDib.
// Every creation is checked: a null handle throws TXGdi (string 32739).
#pragma once

#include "geometry.h"

class TDib;
class TDC;

enum TAutoDelete { NoAutoDelete, AutoDelete };

class OVGUI1_API TGdiObject {
 public:
  virtual ~TGdiObject();
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  HGDIOBJ GetHandle() const { return Handle; }
  operator HGDIOBJ() const { return Handle; }
  bool IsOwned() const { return ShouldDelete; }
  int GetObject(int size, void* obj) const { return ::GetObjectA(Handle, size, obj); }

 protected:
  TGdiObject() = default;
  TGdiObject(HGDIOBJ handle, TAutoDelete autoDelete);
  void SetHandle(HGDIOBJ handle, bool own);  // checks handle
  HGDIOBJ Handle = nullptr;
  bool ShouldDelete = true;
};

class OVGUI1_API TPen : public TGdiObject {
 public:
  TPen(HPEN handle, TAutoDelete autoDelete = NoAutoDelete) : TGdiObject(handle, autoDelete) {}
  TPen(TColor color, int width = 1, int style = PS_SOLID);
  explicit TPen(const LOGPEN& logPen);
  operator HPEN() const { return HPEN(Handle); }
  bool GetObject(LOGPEN& logPen) const { return TGdiObject::GetObject(sizeof logPen, &logPen) != 0; }
};

class OVGUI1_API TBrush : public TGdiObject {
 public:
  TBrush(HBRUSH handle, TAutoDelete autoDelete = NoAutoDelete) : TGdiObject(handle, autoDelete) {}
  explicit TBrush(TColor color);
  TBrush(TColor color, int hatchStyle);  // HS_*
  explicit TBrush(const LOGBRUSH& logBrush);
  // A pattern brush from a packed DIB (falls back when the Pt form is not implemented).
  explicit TBrush(const TDib& dib);
  static HBRUSH Stock(int index) { return HBRUSH(::GetStockObject(index)); }  // WHITE_BRUSH ...
  operator HBRUSH() const { return HBRUSH(Handle); }
};

class OVGUI1_API TFont : public TGdiObject {
 public:
  TFont(HFONT handle, TAutoDelete autoDelete = NoAutoDelete) : TGdiObject(handle, autoDelete) {}
  explicit TFont(const LOGFONTA& logFont);
  TFont(const char* facename, int height, int width = 0, int escapement = 0, int orientation = 0,
        int weight = FW_NORMAL, uint8_t pitchAndFamily = DEFAULT_PITCH | FF_DONTCARE, uint8_t italic = false,
        uint8_t underline = false, uint8_t strikeout = false, uint8_t charSet = DEFAULT_CHARSET);
  operator HFONT() const { return HFONT(Handle); }
  bool GetObject(LOGFONTA& logFont) const { return TGdiObject::GetObject(sizeof logFont, &logFont) != 0; }
};

class OVGUI1_API TPalette : public TGdiObject {
 public:
  TPalette(HPALETTE handle, TAutoDelete autoDelete = NoAutoDelete) : TGdiObject(handle, autoDelete) {}
  explicit TPalette(const LOGPALETTE* logPalette);
  explicit TPalette(const TDib& dib);  // from the DIB's colour table
  static HPALETTE Stock() { return HPALETTE(::GetStockObject(DEFAULT_PALETTE)); }
  operator HPALETTE() const { return HPALETTE(Handle); }
  uint GetNumEntries() const;
};

class OVGUI1_API TBitmap : public TGdiObject {
 public:
  TBitmap(HBITMAP handle, TAutoDelete autoDelete = NoAutoDelete) : TGdiObject(handle, autoDelete) {}
  TBitmap(HINSTANCE instance, const char* resId);
  TBitmap(int width, int height, uint8_t planes = 1, uint8_t bitCount = 1, const void* bits = nullptr);
  TBitmap(const TDC& dc, int width, int height);  // compatible with dc
  TBitmap(const TDib& dib, const TPalette* palette = nullptr);
  // From a metafile picture played into a bitmap of the given size.
  TBitmap(HMETAFILE metafile, const TPalette* palette, const TSize& size);
  operator HBITMAP() const { return HBITMAP(Handle); }
  int Width() const;
  int Height() const;
  TSize Size() const { return TSize(Width(), Height()); }
  int BitsPixel() const;
};
