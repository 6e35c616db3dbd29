// Device contexts. TDC wraps an HDC: it remembers the original pen, brush, font, palette
// and bitmap when others are selected and puts them back on Restore* and at destruction.
// The derived classes obtain and release the handle: TClientDC / TWindowDC (GetDC /
// GetWindowDC), TScreenDC, TMemoryDC (compatible DC with a bitmap selected), TPaintDC
// (BeginPaint/EndPaint) and TMetaFileDC. Handles are checked (TXGdi, string 32739).
#pragma once

#include "gdiobjects.h"

class TWindow;
class TDib;

class OVGUI1_API TDC {
 public:
  TDC(HDC handle);  // borrowed: not deleted
  virtual ~TDC();
  TDC(const TDC&) = delete;
  TDC& operator=(const TDC&) = delete;

  HDC GetHDC() const { return Handle; }
  operator HDC() const { return Handle; }
  HDC GetAttributeHDC() const { return AttrHandle ? AttrHandle : Handle; }

  // Selection and restoring.
  void SelectObject(const TPen& pen);
  void SelectObject(const TBrush& brush);
  void SelectObject(const TFont& font);
  void SelectObject(const TPalette& palette, bool forceBackground = false);
  void SelectObject(const TBitmap& bitmap);
  void SelectStockObject(int index);
  void RestorePen();
  void RestoreBrush();
  void RestoreFont();
  void RestorePalette();
  void RestoreBitmap();
  void RestoreObjects();
  uint RealizePalette() { return ::RealizePalette(Handle); }
  int SaveDC() const { return ::SaveDC(Handle); }
  bool RestoreDC(int saved = -1) { return ::RestoreDC(Handle, saved); }

  // Attributes.
  TColor SetBkColor(TColor c) { return ::SetBkColor(Handle, c.Resolved()); }
  TColor GetBkColor() const { return ::GetBkColor(Handle); }
  int SetBkMode(int mode) { return ::SetBkMode(Handle, mode); }
  TColor SetTextColor(TColor c) { return ::SetTextColor(Handle, c.Resolved()); }
  TColor GetTextColor() const { return ::GetTextColor(Handle); }
  int SetROP2(int mode);  // on the output and the attribute handle
  int GetROP2() const { return ::GetROP2(GetAttributeHDC()); }
  int SetStretchBltMode(int mode) { return ::SetStretchBltMode(Handle, mode); }
  int SetMapMode(int mode) { return ::SetMapMode(Handle, mode); }
  bool SetWindowExt(const TSize& e) { return ::SetWindowExtEx(Handle, e.cx, e.cy, nullptr); }
  bool SetViewportExt(const TSize& e) { return ::SetViewportExtEx(Handle, e.cx, e.cy, nullptr); }
  bool SetWindowOrg(const TPoint& p) { return ::SetWindowOrgEx(Handle, p.x, p.y, nullptr); }
  bool SetViewportOrg(const TPoint& p) { return ::SetViewportOrgEx(Handle, p.x, p.y, nullptr); }
  bool DPtoLP(TPoint* pts, int count = 1) const { return ::DPtoLP(Handle, pts, count); }
  bool LPtoDP(TPoint* pts, int count = 1) const { return ::LPtoDP(Handle, pts, count); }
  bool SetBrushOrg(const TPoint& p) { return ::SetBrushOrgEx(Handle, p.x, p.y, nullptr); }
  int GetDeviceCaps(int index) const { return ::GetDeviceCaps(Handle, index); }

  // Clipping.
  int SelectClipRgn(HRGN region) { return ::SelectClipRgn(Handle, region); }
  int IntersectClipRect(const TRect& r) {
    return ::IntersectClipRect(Handle, r.left, r.top, r.right, r.bottom);
  }
  int ExcludeClipRect(const TRect& r) { return ::ExcludeClipRect(Handle, r.left, r.top, r.right, r.bottom); }
  int GetClipBox(TRect& r) const { return ::GetClipBox(Handle, &r); }

  // Lines and shapes.
  bool MoveTo(int x, int y) { return ::MoveToEx(Handle, x, y, nullptr); }
  bool MoveTo(const TPoint& p) { return MoveTo(p.x, p.y); }
  bool LineTo(int x, int y) { return ::LineTo(Handle, x, y); }
  bool LineTo(const TPoint& p) { return LineTo(p.x, p.y); }
  bool Rectangle(const TRect& r) { return ::Rectangle(Handle, r.left, r.top, r.right, r.bottom); }
  bool Rectangle(int l, int t, int r, int b) { return ::Rectangle(Handle, l, t, r, b); }
  bool Ellipse(const TRect& r) { return ::Ellipse(Handle, r.left, r.top, r.right, r.bottom); }
  bool RoundRect(const TRect& r, const TSize& corner) {
    return ::RoundRect(Handle, r.left, r.top, r.right, r.bottom, corner.cx, corner.cy);
  }
  bool Polyline(const TPoint* pts, int count) { return ::Polyline(Handle, pts, count); }
  bool Polygon(const TPoint* pts, int count) { return ::Polygon(Handle, pts, count); }
  bool PolyBezier(const TPoint* pts, int count) { return ::PolyBezier(Handle, pts, count); }
  bool AngleArc(const TPoint& center, uint radius, float start, float sweep) {
    return ::AngleArc(Handle, center.x, center.y, radius, start, sweep);
  }
  bool Arc(const TRect& r, const TPoint& start, const TPoint& end) {
    return ::Arc(Handle, r.left, r.top, r.right, r.bottom, start.x, start.y, end.x, end.y);
  }
  bool Chord(const TRect& r, const TPoint& start, const TPoint& end) {
    return ::Chord(Handle, r.left, r.top, r.right, r.bottom, start.x, start.y, end.x, end.y);
  }
  bool Pie(const TRect& r, const TPoint& start, const TPoint& end) {
    return ::Pie(Handle, r.left, r.top, r.right, r.bottom, start.x, start.y, end.x, end.y);
  }
  bool FillRect(const TRect& r, const TBrush& brush) { return ::FillRect(Handle, &r, brush); }
  bool FillRect(const TRect& r, HBRUSH brush) { return ::FillRect(Handle, &r, brush); }
  bool FrameRect(const TRect& r, HBRUSH brush) { return ::FrameRect(Handle, &r, brush); }
  bool DrawFocusRect(const TRect& r) { return ::DrawFocusRect(Handle, &r); }
  bool InvertRect(const TRect& r) { return ::InvertRect(Handle, &r); }
  TColor GetPixel(int x, int y) const { return ::GetPixel(Handle, x, y); }
  TColor SetPixel(int x, int y, TColor c) { return ::SetPixel(Handle, x, y, c.Resolved()); }

  // Bitmaps.
  bool PatBlt(const TRect& r, uint32_t rop = PATCOPY) {
    return ::PatBlt(Handle, r.left, r.top, r.Width(), r.Height(), rop);
  }
  bool BitBlt(const TRect& dst, const TDC& src, const TPoint& srcPos, uint32_t rop = SRCCOPY) {
    return ::BitBlt(Handle, dst.left, dst.top, dst.Width(), dst.Height(), src, srcPos.x, srcPos.y, rop);
  }
  bool StretchBlt(const TRect& dst, const TDC& src, const TRect& srcRect, uint32_t rop = SRCCOPY);
  int StretchDIBits(const TRect& dst, const TRect& src, const void* bits, const BITMAPINFO& info,
                    uint usage = DIB_RGB_COLORS, uint32_t rop = SRCCOPY);
  int StretchDIBits(const TRect& dst, const TRect& src, const TDib& dib, uint32_t rop = SRCCOPY);
  int SetDIBitsToDevice(const TRect& dst, const TPoint& src, const TDib& dib);

  // Text.
  bool TextOut(int x, int y, const char* text, int len = -1);
  bool ExtTextOut(int x, int y, uint options, const TRect* rect, const char* text, int len = -1,
                  const int* dx = nullptr);
  int DrawText(const char* text, int len, TRect& rect, uint format);
  TSize GetTextExtent(const char* text, int len = -1) const;
  bool GetTextMetrics(TEXTMETRICA& metrics) const { return ::GetTextMetricsA(Handle, &metrics); }
  uint SetTextAlign(uint flags) { return ::SetTextAlign(Handle, flags); }

 protected:
  TDC() = default;
  void Init(HDC handle, bool owned);  // checks handle

  HDC Handle = nullptr;
  HDC AttrHandle = nullptr;  // a separate attribute DC (printer/metafile), or null
  bool ShouldDelete = false;

 private:
  HGDIOBJ origPen_ = nullptr, origBrush_ = nullptr, origFont_ = nullptr, origBitmap_ = nullptr;
  HPALETTE origPalette_ = nullptr;
};

class OVGUI1_API TWindowDC : public TDC {
 public:
  explicit TWindowDC(HWND window);  // whole window, frame included
  ~TWindowDC() override;

 protected:
  TWindowDC() = default;
  HWND Wnd = nullptr;
};

class OVGUI1_API TClientDC : public TWindowDC {
 public:
  explicit TClientDC(HWND window);
};

class OVGUI1_API TScreenDC : public TWindowDC {
 public:
  TScreenDC();
};

class OVGUI1_API TPaintDC : public TDC {
 public:
  explicit TPaintDC(HWND window);
  ~TPaintDC() override;
  PAINTSTRUCT Ps;

 private:
  HWND Wnd;
};

class OVGUI1_API TMemoryDC : public TDC {
 public:
  TMemoryDC();                        // compatible with the screen
  explicit TMemoryDC(const TDC& dc);  // compatible with dc
  ~TMemoryDC() override;
};

class OVGUI1_API TMetaFileDC : public TDC {
 public:
  explicit TMetaFileDC(const char* fileName = nullptr);  // null: in memory
  ~TMetaFileDC() override;
  HMETAFILE Close();  // ends recording; the caller owns the metafile

 private:
  bool closed_ = false;
};

// A printer's DC: made from the driver, device and output names and a device mode, or
// adopted (the DC a print dialog returned). The document calls check nothing: their
// results are the system's.
class OVGUI1_API TPrintDC : public TDC {
 public:
  TPrintDC(const char* driver, const char* device, const char* output, const DEVMODEA* devMode);
  explicit TPrintDC(HDC adopted);  // deleted with this object
  ~TPrintDC() override;

  int StartDoc(const DOCINFOA& info) { return ::StartDocA(Handle, &info); }
  int StartPage() { return ::StartPage(Handle); }
  int EndPage() { return ::EndPage(Handle); }
  int EndDoc() { return ::EndDoc(Handle); }
  int AbortDoc() { return ::AbortDoc(Handle); }
  int SetAbortProc(ABORTPROC proc) { return ::SetAbortProc(Handle, proc); }
  bool QueryEscSupport(int escape) const;
  // The next band of the page (NEXTBAND); false when the device does not band.
  bool NextBand(TRect& band);
};
