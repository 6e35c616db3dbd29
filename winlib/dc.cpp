// Device contexts: object selection with restore, and the ways to get a handle.
#include "winlib/dc.h"

#include <cstring>

#include "winlib/dib.h"
#include "winlib/except.h"

TDC::TDC(HDC handle) { Init(handle, false); }

void TDC::Init(HDC handle, bool owned) {
  TXGdi::Check(handle);
  Handle = handle;
  ShouldDelete = owned;
}

TDC::~TDC() {
  if (!Handle) return;
  RestoreObjects();
  if (ShouldDelete) ::DeleteDC(Handle);
}

void TDC::SelectObject(const TPen& pen) {
  HGDIOBJ old = ::SelectObject(Handle, pen);
  TXGdi::Check(old);
  if (!origPen_) origPen_ = old;
}

void TDC::SelectObject(const TBrush& brush) {
  HGDIOBJ old = ::SelectObject(Handle, brush);
  TXGdi::Check(old);
  if (!origBrush_) origBrush_ = old;
}

void TDC::SelectObject(const TFont& font) {
  HGDIOBJ old = ::SelectObject(Handle, font);
  TXGdi::Check(old);
  if (!origFont_) origFont_ = old;
}

void TDC::SelectObject(const TPalette& palette, bool forceBackground) {
  HPALETTE old = ::SelectPalette(Handle, palette, forceBackground);
  TXGdi::Check(old);
  if (!origPalette_) origPalette_ = old;
}

void TDC::SelectObject(const TBitmap& bitmap) {
  HGDIOBJ old = ::SelectObject(Handle, bitmap);
  TXGdi::Check(old);
  if (!origBitmap_) origBitmap_ = old;
}

void TDC::SelectStockObject(int index) {
  HGDIOBJ stock = ::GetStockObject(index);
  HGDIOBJ old = ::SelectObject(Handle, stock);
  TXGdi::Check(old);
  switch (::GetObjectType(stock)) {
    case OBJ_PEN:
      if (!origPen_) origPen_ = old;
      break;
    case OBJ_BRUSH:
      if (!origBrush_) origBrush_ = old;
      break;
    case OBJ_FONT:
      if (!origFont_) origFont_ = old;
      break;
  }
}

void TDC::RestorePen() {
  if (origPen_) ::SelectObject(Handle, origPen_);
  origPen_ = nullptr;
}
void TDC::RestoreBrush() {
  if (origBrush_) ::SelectObject(Handle, origBrush_);
  origBrush_ = nullptr;
}
void TDC::RestoreFont() {
  if (origFont_) ::SelectObject(Handle, origFont_);
  origFont_ = nullptr;
}
void TDC::RestorePalette() {
  if (origPalette_) ::SelectPalette(Handle, origPalette_, FALSE);
  origPalette_ = nullptr;
}
void TDC::RestoreBitmap() {
  if (origBitmap_) ::SelectObject(Handle, origBitmap_);
  origBitmap_ = nullptr;
}
void TDC::RestoreObjects() {
  RestorePen();
  RestoreBrush();
  RestoreFont();
  RestorePalette();
  RestoreBitmap();
}

int TDC::SetROP2(int mode) {
  int old = ::SetROP2(Handle, mode);
  if (AttrHandle && AttrHandle != Handle) ::SetROP2(AttrHandle, mode);
  return old;
}

bool TDC::StretchBlt(const TRect& dst, const TDC& src, const TRect& s, uint32_t rop) {
  return ::StretchBlt(Handle, dst.left, dst.top, dst.Width(), dst.Height(), src, s.left, s.top, s.Width(),
                      s.Height(), rop);
}

int TDC::StretchDIBits(const TRect& dst, const TRect& src, const void* bits, const BITMAPINFO& info,
                       uint usage, uint32_t rop) {
  return ::StretchDIBits(Handle, dst.left, dst.top, dst.Width(), dst.Height(), src.left, src.top, src.Width(),
                         src.Height(), bits, &info, usage, rop);
}

int TDC::StretchDIBits(const TRect& dst, const TRect& src, const TDib& dib, uint32_t rop) {
  return StretchDIBits(dst, src, dib.GetBits(), *dib.GetInfo(), dib.Usage(), rop);
}

int TDC::SetDIBitsToDevice(const TRect& dst, const TPoint& src, const TDib& dib) {
  return ::SetDIBitsToDevice(Handle, dst.left, dst.top, DWORD(dst.Width()), DWORD(dst.Height()), src.x, src.y,
                             0, UINT(dib.Height()), dib.GetBits(), dib.GetInfo(), dib.Usage());
}

bool TDC::TextOut(int x, int y, const char* text, int len) {
  if (len < 0) len = int(std::strlen(text));
  return ::TextOutA(Handle, x, y, text, len);
}

bool TDC::ExtTextOut(int x, int y, uint options, const TRect* rect, const char* text, int len,
                     const int* dx) {
  if (len < 0) len = int(std::strlen(text));
  return ::ExtTextOutA(Handle, x, y, options, rect, text, UINT(len), dx);
}

int TDC::DrawText(const char* text, int len, TRect& rect, uint format) {
  return ::DrawTextA(Handle, text, len, &rect, format);
}

TSize TDC::GetTextExtent(const char* text, int len) const {
  if (len < 0) len = int(std::strlen(text));
  TSize size;
  ::GetTextExtentPoint32A(Handle, text, len, &size);
  return size;
}

// ---- the handle providers ----

TWindowDC::TWindowDC(HWND window) : Wnd(window) { Init(::GetWindowDC(window), false); }

TWindowDC::~TWindowDC() {
  RestoreObjects();
  ::ReleaseDC(Wnd, Handle);
  Handle = nullptr;
}

TClientDC::TClientDC(HWND window) {
  Wnd = window;
  Init(::GetDC(window), false);
}

TScreenDC::TScreenDC() {
  Wnd = nullptr;
  Init(::GetDC(nullptr), false);
}

TPaintDC::TPaintDC(HWND window) : Wnd(window) { Init(::BeginPaint(window, &Ps), false); }

TPaintDC::~TPaintDC() {
  RestoreObjects();
  ::EndPaint(Wnd, &Ps);
  Handle = nullptr;
}

TMemoryDC::TMemoryDC() { Init(::CreateCompatibleDC(nullptr), true); }
TMemoryDC::TMemoryDC(const TDC& dc) { Init(::CreateCompatibleDC(dc), true); }
TMemoryDC::~TMemoryDC() = default;

TMetaFileDC::TMetaFileDC(const char* fileName) { Init(::CreateMetaFileA(fileName), false); }

TMetaFileDC::~TMetaFileDC() {
  if (!closed_) ::DeleteMetaFile(Close());
}

HMETAFILE TMetaFileDC::Close() {
  RestoreObjects();
  closed_ = true;
  HMETAFILE mf = ::CloseMetaFile(Handle);
  Handle = nullptr;
  return mf;
}

// ---- TPrintDC ----

TPrintDC::TPrintDC(const char* driver, const char* device, const char* output, const DEVMODEA* devMode) {
  Init(::CreateDCA(driver, device, output, devMode), true);
}

TPrintDC::TPrintDC(HDC adopted) { Init(adopted, true); }

TPrintDC::~TPrintDC() = default;

bool TPrintDC::QueryEscSupport(int escape) const {
  return ::ExtEscape(Handle, QUERYESCSUPPORT, sizeof escape, reinterpret_cast<LPCSTR>(&escape), 0, nullptr) >
         0;
}

bool TPrintDC::NextBand(TRect& band) {
  if (!QueryEscSupport(NEXTBAND)) return false;
  return ::Escape(Handle, NEXTBAND, 0, nullptr, &band) > 0;
}
