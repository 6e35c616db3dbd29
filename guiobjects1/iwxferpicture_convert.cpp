// The conversions of picture transfer. GetData works with one State and a PictureReader per
// source format; a reader has six operations: make a palette, a DIB, a bitmap, a
// metafile picture, an enhanced metafile, and fetch its own format from the picture.
// A failed fetch puts the null reader in the reader's place.
//
// Every conversion builds into counted owners (iwxferpicture_gdi.h) and writes the
// caller's medium only at its end, so any step that fails leaves nothing behind.
#include "iwxferpicture_convert.h"

#include <cstring>

#include "guiobjects1/clipformat.h"
#include "guiobjects1/iwdataobject.h"
#include "guiobjects1/iwxferpicture.h"
#include "iwxferpicture_gdi.h"

namespace picconv {

using namespace picgdi;

namespace {

struct State {
  HRESULT hr = DV_E_FORMATETC;
  STGMEDIUM fetched = {};
  STGMEDIUM palette = {};  // the palette every conversion after the first step uses

  HPALETTE Palette() const { return palette.tymed == TYMED_GDI ? HPALETTE(palette.hBitmap) : nullptr; }
};

void Release(STGMEDIUM& m) {
  if (m.tymed != TYMED_NULL) ::ReleaseStgMedium(&m);
  m = STGMEDIUM{};
}

void GiveGdi(Owned& object, STGMEDIUM& out) {
  out.tymed = TYMED_GDI;
  out.hBitmap = HBITMAP(object.Give());
  out.pUnkForRelease = nullptr;
}

void GiveGlobal(Owned& block, STGMEDIUM& out) {
  out.tymed = TYMED_HGLOBAL;
  out.hGlobal = HGLOBAL(block.Give());
  out.pUnkForRelease = nullptr;
}

void GiveEnhMetafile(Owned& metafile, STGMEDIUM& out) {
  out.tymed = TYMED_ENHMF;
  out.hEnhMetaFile = HENHMETAFILE(metafile.Give());
  out.pUnkForRelease = nullptr;
}

// The stock default palette (freeing it is harmless).
HRESULT StockPalette(STGMEDIUM& out) {
  out.tymed = TYMED_GDI;
  out.hBitmap = HBITMAP(::GetStockObject(DEFAULT_PALETTE));
  out.pUnkForRelease = nullptr;
  return S_OK;
}

unsigned PaletteEntries(HPALETTE palette) {
  WORD n = 0;
  if (!palette || !::GetObjectA(palette, sizeof n, &n)) return 0;
  return n;
}

// ---- the conversions ----

// The header a DIB is drawn with: a plain information header that states the size of
// its bits, followed by its colour table (or its three masks). Wine's metafile recording
// misplaces the bits of a DIB whose header leaves the image size 0.
struct PlainInfo {
  BITMAPINFOHEADER h;
  RGBQUAD table[256];
};

void Plain(const DibView& dib, PlainInfo& out) {
  out = PlainInfo{};
  std::memcpy(&out.h, dib.info, sizeof out.h);
  out.h.biSize = sizeof out.h;
  out.h.biClrUsed = out.h.biBitCount <= 8 ? dib.colorCount : 0;
  out.h.biClrImportant = 0;
  if (out.h.biCompression == BI_BITFIELDS) {
    // The masks follow the first 40 bytes, inside a later header or after a plain one.
    std::memcpy(out.table, reinterpret_cast<const char*>(dib.info) + sizeof out.h, 3 * sizeof(DWORD));
  } else if (out.h.biBitCount <= 8) {
    std::memcpy(out.table, dib.colors, dib.colorCount * sizeof(RGBQUAD));
  }
  if (out.h.biCompression == BI_RGB || out.h.biCompression == BI_BITFIELDS)
    out.h.biSizeImage = DWORD((size_t(dib.width) * out.h.biBitCount + 31) / 32 * 4 * size_t(dib.height));
}

// All rows of the DIB at (0, 0) on dc.
int DrawDib(HDC dc, const DibView& dib) {
  PlainInfo info;
  Plain(dib, info);
  return ::SetDIBitsToDevice(dc, 0, 0, DWORD(dib.width), DWORD(dib.height), 0, 0, 0, UINT(dib.height),
                             dib.bits, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
}

// A metafile picture block of mm and extents over metafile (taken on success).
HRESULT GiveMetafilePict(LONG mm, LONG x, LONG y, Owned& metafile, STGMEDIUM& out) {
  Owned block(Kind::kGlobal, NewGlobal(sizeof(METAFILEPICT)));
  if (!block) return E_OUTOFMEMORY;
  {
    Locked at(HGLOBAL(block.get()));
    if (!at.get()) return E_OUTOFMEMORY;
    METAFILEPICT picture = {mm, x, y, HMETAFILE(metafile.get())};
    std::memcpy(at.get(), &picture, sizeof picture);
  }
  metafile.Give();  // now the block's
  out.tymed = TYMED_MFPICT;
  out.hMetaFilePict = HGLOBAL(block.Give());
  out.pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT PaletteFromDib(const DibView& dib, STGMEDIUM& out) {
  if (!dib.colorCount) return StockPalette(out);
  Owned block(Kind::kGlobal, NewGlobal(sizeof(LOGPALETTE) + dib.colorCount * sizeof(PALETTEENTRY)));
  if (!block) return E_OUTOFMEMORY;
  Locked at(HGLOBAL(block.get()));
  if (!at.get()) return E_OUTOFMEMORY;
  auto* entries = static_cast<LOGPALETTE*>(at.get());
  entries->palVersion = 0x300;
  entries->palNumEntries = WORD(dib.colorCount);
  for (unsigned i = 0; i < dib.colorCount; ++i)
    entries->palPalEntry[i] =
        PALETTEENTRY{dib.colors[i].rgbRed, dib.colors[i].rgbGreen, dib.colors[i].rgbBlue, 0};
  Owned palette(Kind::kGdiObject, NewPalette(entries));
  if (!palette) return E_OUTOFMEMORY;
  GiveGdi(palette, out);
  return S_OK;
}

// A DIB of the bitmap's pixels, read with palette selected. colors < 0: the bitmap's own
// depth (above 8 bits: 24); otherwise that many table colours (0: 24 bits).
HRESULT DibFromBitmap(HBITMAP bitmap, HPALETTE palette, int colors, Owned& dib) {
  BITMAP bm = {};
  if (!bitmap || !::GetObjectA(bitmap, sizeof bm, &bm) || !SizeOk(bm.bmWidth, bm.bmHeight))
    return DV_E_FORMATETC;
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD table[256];
  } info = {};
  info.h.biSize = sizeof(BITMAPINFOHEADER);
  info.h.biWidth = bm.bmWidth;
  info.h.biHeight = bm.bmHeight;
  info.h.biPlanes = 1;
  info.h.biCompression = BI_RGB;
  unsigned table = 0;
  if (colors < 0) {
    int depth = bm.bmBitsPixel * bm.bmPlanes;
    info.h.biBitCount = WORD(depth == 1 || depth == 4 || depth == 8 ? depth : 24);
    table = info.h.biBitCount <= 8 ? 1u << info.h.biBitCount : 0;
  } else {
    if (colors > 256) colors = 256;
    info.h.biBitCount = WORD(colors == 0 ? 24 : colors <= 2 ? 1 : colors <= 16 ? 4 : 8);
    info.h.biClrUsed = DWORD(colors);
    table = unsigned(colors);
  }
  const size_t stride = (size_t(bm.bmWidth) * info.h.biBitCount + 31) / 32 * 4;
  const size_t image = stride * size_t(bm.bmHeight);
  const size_t head = sizeof(BITMAPINFOHEADER) + table * sizeof(RGBQUAD);
  Owned block(Kind::kGlobal, NewGlobal(head + image));
  if (!block) return E_OUTOFMEMORY;
  ScreenDC screen;
  if (!screen.get()) return E_OUTOFMEMORY;
  MemoryDC mem(screen.get());
  if (!mem.get()) return E_OUTOFMEMORY;
  mem.SelectPalette(palette);
  {
    Locked at(HGLOBAL(block.get()));
    if (!at.get()) return E_OUTOFMEMORY;
    auto* base = static_cast<char*>(at.get());
    const BITMAPINFOHEADER asked = info.h;
    // The table goes to a full-sized copy of the header first: for small depths GDI
    // may write more entries than the block has room for.
    int rows = ::GetDIBits(mem.get(), bitmap, 0, UINT(bm.bmHeight), base + head,
                           reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    if (rows != bm.bmHeight) return DV_E_FORMATETC;
    info.h = asked;
    info.h.biSizeImage = DWORD(image);
    std::memcpy(base, &info.h, sizeof info.h);
    std::memcpy(base + sizeof info.h, info.table, table * sizeof(RGBQUAD));
  }
  dib.Take(Kind::kGlobal, block.Give());
  return S_OK;
}

// A bitmap compatible with the screen holding the DIB, drawn with palette realized.
HRESULT BitmapFromDib(const DibView& dib, HPALETTE palette, Owned& bitmap) {
  ScreenDC screen;
  if (!screen.get()) return E_OUTOFMEMORY;
  MemoryDC mem(screen.get());
  if (!mem.get()) return E_OUTOFMEMORY;
  Owned made(Kind::kGdiObject, NewScreenBitmap(screen.get(), dib.width, dib.height));
  if (!made) return E_OUTOFMEMORY;
  mem.SelectPalette(palette);
  mem.SelectBitmap(HBITMAP(made.get()));
  int lines = DrawDib(mem.get(), dib);
  mem.Restore();
  if (lines <= 0) return DV_E_FORMATETC;
  bitmap.Take(Kind::kGdiObject, made.Give());
  return S_OK;
}

// A metafile picture drawing the DIB: window extent its size, origin 0, text mapping.
HRESULT MetafilePictFromDib(const DibView& dib, STGMEDIUM& out) {
  Owned metafile;
  {
    MetafileDC mdc;
    if (!mdc.get()) return E_OUTOFMEMORY;
    ::SetWindowExtEx(mdc.get(), dib.width, dib.height, nullptr);
    ::SetWindowOrgEx(mdc.get(), 0, 0, nullptr);
    if (DrawDib(mdc.get(), dib) <= 0) return E_OUTOFMEMORY;
    if (!mdc.Close(metafile)) return E_OUTOFMEMORY;
  }
  return GiveMetafilePict(MM_TEXT, dib.width, dib.height, metafile, out);
}

// An enhanced metafile drawing the DIB; its frame the DIB's size at the screen's
// resolution, in hundredths of a millimetre.
HRESULT EnhMetafileFromDib(const DibView& dib, STGMEDIUM& out) {
  int dpiX = 0, dpiY = 0;
  {
    ScreenDC screen;
    if (!screen.get()) return E_OUTOFMEMORY;
    dpiX = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
    dpiY = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  if (dpiX <= 0 || dpiY <= 0) return DV_E_FORMATETC;
  const RECT frame = {0, 0, LONG(float(dib.width) * (2540.0f / float(dpiX))),
                      LONG(float(dib.height) * (2540.0f / float(dpiY)))};
  Owned metafile;
  {
    MetafileDC mdc(frame);
    if (!mdc.get()) return E_OUTOFMEMORY;
    if (DrawDib(mdc.get(), dib) <= 0) return E_OUTOFMEMORY;
    if (!mdc.Close(metafile)) return E_OUTOFMEMORY;
  }
  GiveEnhMetafile(metafile, out);
  return S_OK;
}

// The metafile picture played into a bitmap of its extents (pixels), white beneath.
HRESULT BitmapFromMetafilePict(const METAFILEPICT& picture, HPALETTE palette, Owned& bitmap) {
  const int w = picture.xExt, h = picture.yExt;
  if (!SizeOk(w, h)) return DV_E_FORMATETC;
  ScreenDC screen;
  if (!screen.get()) return E_OUTOFMEMORY;
  MemoryDC mem(screen.get());
  if (!mem.get()) return E_OUTOFMEMORY;
  Owned made(Kind::kGdiObject, NewScreenBitmap(screen.get(), w, h));
  if (!made) return E_OUTOFMEMORY;
  mem.SelectPalette(palette);
  mem.SelectBitmap(HBITMAP(made.get()));
  ::SelectObject(mem.get(), ::GetStockObject(WHITE_BRUSH));
  ::PatBlt(mem.get(), 0, 0, w, h, PATCOPY);
  // One logical unit a pixel unless the metafile sets extents of its own.
  ::SetMapMode(mem.get(), MM_ANISOTROPIC);
  ::SetWindowExtEx(mem.get(), w, h, nullptr);
  ::SetViewportExtEx(mem.get(), w, h, nullptr);
  BOOL played = ::PlayMetaFile(mem.get(), picture.hMF);
  ::SetMapMode(mem.get(), MM_TEXT);
  mem.Restore();
  if (!played) return DV_E_FORMATETC;
  bitmap.Take(Kind::kGdiObject, made.Give());
  return S_OK;
}

// The enhanced metafile's size in pixels: its frame (hundredths of a millimetre) at the
// screen's resolution.
HRESULT EnhMetafileSize(HENHMETAFILE metafile, HDC screen, int& w, int& h) {
  ENHMETAHEADER header = {};
  if (::GetEnhMetaFileHeader(metafile, sizeof header, &header) < offsetof(ENHMETAHEADER, szlMillimeters))
    return DV_E_FORMATETC;
  const long long horzRes = ::GetDeviceCaps(screen, HORZRES), horzSize = ::GetDeviceCaps(screen, HORZSIZE);
  const long long vertRes = ::GetDeviceCaps(screen, VERTRES), vertSize = ::GetDeviceCaps(screen, VERTSIZE);
  if (horzSize <= 0 || vertSize <= 0) return DV_E_FORMATETC;
  const long long width =
      horzRes * ((long long)header.rclFrame.right - header.rclFrame.left) / horzSize / 100;
  const long long height =
      vertRes * ((long long)header.rclFrame.bottom - header.rclFrame.top) / vertSize / 100;
  if (!SizeOk(width, height)) return DV_E_FORMATETC;
  w = int(width);
  h = int(height);
  return S_OK;
}

HRESULT BitmapFromEnhMetafile(HENHMETAFILE metafile, HPALETTE palette, Owned& bitmap) {
  ScreenDC screen;
  if (!screen.get()) return E_OUTOFMEMORY;
  int w = 0, h = 0;
  HRESULT hr = EnhMetafileSize(metafile, screen.get(), w, h);
  if (hr != S_OK) return hr;
  MemoryDC mem(screen.get());
  if (!mem.get()) return E_OUTOFMEMORY;
  Owned made(Kind::kGdiObject, NewScreenBitmap(screen.get(), w, h));
  if (!made) return E_OUTOFMEMORY;
  mem.SelectPalette(palette);
  mem.SelectBitmap(HBITMAP(made.get()));
  ::SelectObject(mem.get(), ::GetStockObject(WHITE_BRUSH));
  ::PatBlt(mem.get(), 0, 0, w, h, PATCOPY);
  const RECT all = {0, 0, w, h};
  BOOL played = ::PlayEnhMetaFile(mem.get(), metafile, &all);
  mem.Restore();
  if (!played) return DV_E_FORMATETC;
  bitmap.Take(Kind::kGdiObject, made.Give());
  return S_OK;
}

// A metafile picture (anisotropic, extents the pixel size) of the enhanced metafile.
HRESULT MetafilePictFromEnhMetafile(HENHMETAFILE metafile, STGMEDIUM& out) {
  ScreenDC screen;
  if (!screen.get()) return E_OUTOFMEMORY;
  int w = 0, h = 0;
  HRESULT hr = EnhMetafileSize(metafile, screen.get(), w, h);
  if (hr != S_OK) return hr;
  UINT size = ::GetWinMetaFileBits(metafile, 0, nullptr, MM_ANISOTROPIC, screen.get());
  if (size == 0) return DV_E_FORMATETC;
  Owned bits(Kind::kGlobal, NewGlobal(size));
  if (!bits) return E_OUTOFMEMORY;
  Owned made;
  {
    Locked at(HGLOBAL(bits.get()));
    if (!at.get()) return E_OUTOFMEMORY;
    if (::GetWinMetaFileBits(metafile, size, static_cast<BYTE*>(at.get()), MM_ANISOTROPIC, screen.get()) !=
        size)
      return DV_E_FORMATETC;
    if (!made.Take(Kind::kMetafile, NewMetafileFromBits(size, at.get()))) return E_OUTOFMEMORY;
  }
  return GiveMetafilePict(MM_ANISOTROPIC, w, h, made, out);
}

// An enhanced metafile converted from the metafile picture's bits.
HRESULT EnhMetafileFromMetafilePict(const METAFILEPICT& picture, STGMEDIUM& out) {
  UINT size = ::GetMetaFileBitsEx(picture.hMF, 0, nullptr);
  if (size == 0) return DV_E_FORMATETC;
  Owned bits(Kind::kGlobal, NewGlobal(size));
  if (!bits) return E_OUTOFMEMORY;
  Locked at(HGLOBAL(bits.get()));
  if (!at.get()) return E_OUTOFMEMORY;
  if (::GetMetaFileBitsEx(picture.hMF, size, at.get()) != size) return DV_E_FORMATETC;
  ScreenDC screen;
  if (!screen.get()) return E_OUTOFMEMORY;
  // The extents of a scaled picture are pixels here (as the other direction writes
  // them); the conversion reads them as hundredths of a millimetre.
  METAFILEPICT scaled = picture;
  if ((picture.mm == MM_ANISOTROPIC || picture.mm == MM_ISOTROPIC) && picture.xExt > 0 && picture.yExt > 0) {
    const long long horzRes = ::GetDeviceCaps(screen.get(), HORZRES),
                    horzSize = ::GetDeviceCaps(screen.get(), HORZSIZE);
    const long long vertRes = ::GetDeviceCaps(screen.get(), VERTRES),
                    vertSize = ::GetDeviceCaps(screen.get(), VERTSIZE);
    if (horzRes <= 0 || vertRes <= 0) return DV_E_FORMATETC;
    // Rounded up, so that the pixel size made from the frame again is the same.
    scaled.xExt = LONG((picture.xExt * horzSize * 100 + horzRes - 1) / horzRes);
    scaled.yExt = LONG((picture.yExt * vertSize * 100 + vertRes - 1) / vertRes);
  }
  Owned made(Kind::kEnhMetafile, NewEnhMetafileFromWinBits(size, at.get(), screen.get(), scaled));
  if (!made) return DV_E_FORMATETC;
  GiveEnhMetafile(made, out);
  return S_OK;
}

// The palette of the enhanced metafile's entries; none (S_OK, out empty) without any.
HRESULT PaletteFromEnhMetafile(HENHMETAFILE metafile, HRESULT fetched, STGMEDIUM& out) {
  UINT n = ::GetEnhMetaFilePaletteEntries(metafile, 0, nullptr);
  if (n == 0) return fetched;
  if (n == UINT(GDI_ERROR) || n > 0xFFFF) return DV_E_FORMATETC;
  Owned block(Kind::kGlobal, NewGlobal(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY)));
  if (!block) return E_OUTOFMEMORY;
  Locked at(HGLOBAL(block.get()));
  if (!at.get()) return E_OUTOFMEMORY;
  auto* entries = static_cast<LOGPALETTE*>(at.get());
  entries->palVersion = 0x300;
  entries->palNumEntries = WORD(n);
  if (::GetEnhMetaFilePaletteEntries(metafile, n, entries->palPalEntry) != n) return DV_E_FORMATETC;
  Owned palette(Kind::kGdiObject, NewPalette(entries));
  if (!palette) return E_OUTOFMEMORY;
  GiveGdi(palette, out);
  return S_OK;
}

// ---- the readers ----

class PictureReader {
 public:
  explicit PictureReader(const ClipFormat* format) : format_(format) {}
  virtual ~PictureReader() = default;

  virtual HRESULT MakePalette(State& s, STGMEDIUM& out) = 0;
  virtual HRESULT MakeDib(State& s, STGMEDIUM& out) = 0;
  virtual HRESULT MakeBitmap(State& s, STGMEDIUM& out) = 0;
  virtual HRESULT MakeMetafilePict(State& s, STGMEDIUM& out) = 0;
  virtual HRESULT MakeEnhMetafile(State& s, STGMEDIUM& out) = 0;
  // Reads the reader's format from the picture's own offers into the state; answers the
  // reader to go on with (the null reader when the read failed).
  virtual PictureReader* Fetch(State& s, IWDataObject* picture);

 protected:
  // Moves the fetched medium (handle, kind, release owner) to out.
  static HRESULT HandOver(State& s, STGMEDIUM& out) {
    out = s.fetched;
    s.fetched = STGMEDIUM{};
    return s.hr;
  }

  const ClipFormat* format_;
};

class NullReader final : public PictureReader {
 public:
  NullReader() : PictureReader(nullptr) {}
  HRESULT MakePalette(State&, STGMEDIUM& out) override { return StockPalette(out); }
  HRESULT MakeDib(State&, STGMEDIUM&) override { return own_.hr; }
  HRESULT MakeBitmap(State&, STGMEDIUM&) override { return own_.hr; }
  HRESULT MakeMetafilePict(State&, STGMEDIUM&) override { return own_.hr; }
  HRESULT MakeEnhMetafile(State&, STGMEDIUM&) override { return own_.hr; }
  PictureReader* Fetch(State& s, IWDataObject*) override {
    s.hr = own_.hr;
    return this;
  }
  void Free() {
    Release(own_.fetched);
    Release(own_.palette);
  }

 private:
  State own_;  // DV_E_FORMATETC and two empty media
};

NullReader g_null;

PictureReader* PictureReader::Fetch(State& s, IWDataObject* picture) {
  Release(s.fetched);
  FORMATETC f = format_->format;
  s.hr = picture->IWDataObject::GetData(&f, &s.fetched);
  if (s.hr == S_OK) return this;
  Release(s.fetched);
  return g_null.Fetch(s, picture);
}

class PaletteReader final : public PictureReader {
 public:
  PaletteReader() : PictureReader(&CfPalette::s_fmt) {}
  HRESULT MakePalette(State& s, STGMEDIUM& out) override { return HandOver(s, out); }
  HRESULT MakeDib(State&, STGMEDIUM&) override { return DV_E_FORMATETC; }
  HRESULT MakeBitmap(State&, STGMEDIUM&) override { return DV_E_FORMATETC; }
  HRESULT MakeMetafilePict(State&, STGMEDIUM&) override { return DV_E_FORMATETC; }
  HRESULT MakeEnhMetafile(State&, STGMEDIUM&) override { return DV_E_FORMATETC; }
};

// The fetched DIB, locked while a conversion reads it.
class DibReader final : public PictureReader {
 public:
  DibReader() : PictureReader(&CfDib::s_fmt) {}
  HRESULT MakePalette(State& s, STGMEDIUM& out) override {
    return WithDib(s, [&](const DibView& dib) { return PaletteFromDib(dib, out); });
  }
  HRESULT MakeDib(State& s, STGMEDIUM& out) override { return HandOver(s, out); }
  HRESULT MakeBitmap(State& s, STGMEDIUM& out) override {
    return WithDib(s, [&](const DibView& dib) {
      Owned bitmap;
      HRESULT hr = BitmapFromDib(dib, s.Palette(), bitmap);
      if (hr == S_OK) GiveGdi(bitmap, out);
      return hr;
    });
  }
  HRESULT MakeMetafilePict(State& s, STGMEDIUM& out) override {
    return WithDib(s, [&](const DibView& dib) { return MetafilePictFromDib(dib, out); });
  }
  HRESULT MakeEnhMetafile(State& s, STGMEDIUM& out) override {
    return WithDib(s, [&](const DibView& dib) { return EnhMetafileFromDib(dib, out); });
  }

 private:
  template <class F>
  static HRESULT WithDib(State& s, F convert) {
    if (s.hr != S_OK || s.fetched.tymed != TYMED_HGLOBAL) return DV_E_FORMATETC;
    Locked at(s.fetched.hGlobal);
    DibView dib;
    if (!ReadDib(at.get(), at.size(), dib)) return DV_E_FORMATETC;
    return convert(dib);
  }
};

// A DIB of a global block the conversion made (from a bitmap), read as a fetched one.
template <class F>
HRESULT WithOwnDib(Owned& block, F convert) {
  Locked at(HGLOBAL(block.get()));
  DibView dib;
  if (!ReadDib(at.get(), at.size(), dib)) return DV_E_FORMATETC;
  return convert(dib);
}

class BitmapReader final : public PictureReader {
 public:
  BitmapReader() : PictureReader(&CfBitmap::s_fmt) {}
  HRESULT MakePalette(State&, STGMEDIUM& out) override { return StockPalette(out); }
  HRESULT MakeDib(State& s, STGMEDIUM& out) override {
    Owned dib;
    HRESULT hr = DibFromBitmap(Bitmap(s), s.Palette(), -1, dib);
    if (hr == S_OK) GiveGlobal(dib, out);
    return hr;
  }
  HRESULT MakeBitmap(State& s, STGMEDIUM& out) override { return HandOver(s, out); }
  HRESULT MakeMetafilePict(State& s, STGMEDIUM& out) override {
    Owned dib;
    HRESULT hr = DibFromBitmap(Bitmap(s), s.Palette(), -1, dib);
    if (hr != S_OK) return hr;
    return WithOwnDib(dib, [&](const DibView& view) { return MetafilePictFromDib(view, out); });
  }
  HRESULT MakeEnhMetafile(State& s, STGMEDIUM& out) override {
    Owned dib;
    HRESULT hr = DibFromBitmap(Bitmap(s), s.Palette(), -1, dib);
    if (hr != S_OK) return hr;
    return WithOwnDib(dib, [&](const DibView& view) { return EnhMetafileFromDib(view, out); });
  }

 private:
  static HBITMAP Bitmap(const State& s) {
    return s.hr == S_OK && s.fetched.tymed == TYMED_GDI ? s.fetched.hBitmap : nullptr;
  }
};

class MetafilePictReader final : public PictureReader {
 public:
  MetafilePictReader() : PictureReader(&CfMetafilePict::s_fmt) {}
  HRESULT MakePalette(State&, STGMEDIUM& out) override { return StockPalette(out); }
  HRESULT MakeDib(State& s, STGMEDIUM& out) override {
    METAFILEPICT picture;
    if (!Picture(s, picture)) return DV_E_FORMATETC;
    Owned bitmap, dib;
    HRESULT hr = BitmapFromMetafilePict(picture, s.Palette(), bitmap);
    if (hr == S_OK) hr = DibFromBitmap(HBITMAP(bitmap.get()), s.Palette(), -1, dib);
    if (hr == S_OK) GiveGlobal(dib, out);
    return hr;
  }
  HRESULT MakeBitmap(State& s, STGMEDIUM& out) override {
    METAFILEPICT picture;
    if (!Picture(s, picture)) return DV_E_FORMATETC;
    Owned bitmap;
    HRESULT hr = BitmapFromMetafilePict(picture, s.Palette(), bitmap);
    if (hr == S_OK) GiveGdi(bitmap, out);
    return hr;
  }
  HRESULT MakeMetafilePict(State& s, STGMEDIUM& out) override { return HandOver(s, out); }
  HRESULT MakeEnhMetafile(State& s, STGMEDIUM& out) override {
    METAFILEPICT picture;
    if (!Picture(s, picture)) return DV_E_FORMATETC;
    return EnhMetafileFromMetafilePict(picture, out);
  }

 private:
  static bool Picture(const State& s, METAFILEPICT& picture) {
    return s.hr == S_OK && s.fetched.tymed == TYMED_MFPICT &&
           ReadMetafilePict(s.fetched.hMetaFilePict, picture);
  }
};

class EnhMetafileReader final : public PictureReader {
 public:
  EnhMetafileReader() : PictureReader(&CfEnhMetafile::s_fmt) {}
  HRESULT MakePalette(State& s, STGMEDIUM& out) override {
    HENHMETAFILE metafile = Metafile(s);
    return metafile ? PaletteFromEnhMetafile(metafile, s.hr, out) : DV_E_FORMATETC;
  }
  HRESULT MakeDib(State& s, STGMEDIUM& out) override {
    HENHMETAFILE metafile = Metafile(s);
    if (!metafile) return DV_E_FORMATETC;
    Owned bitmap, dib;
    HRESULT hr = BitmapFromEnhMetafile(metafile, s.Palette(), bitmap);
    if (hr == S_OK)
      hr = DibFromBitmap(HBITMAP(bitmap.get()), s.Palette(), int(PaletteEntries(s.Palette())), dib);
    if (hr == S_OK) GiveGlobal(dib, out);
    return hr;
  }
  HRESULT MakeBitmap(State& s, STGMEDIUM& out) override {
    HENHMETAFILE metafile = Metafile(s);
    if (!metafile) return DV_E_FORMATETC;
    Owned bitmap;
    HRESULT hr = BitmapFromEnhMetafile(metafile, s.Palette(), bitmap);
    if (hr == S_OK) GiveGdi(bitmap, out);
    return hr;
  }
  HRESULT MakeMetafilePict(State& s, STGMEDIUM& out) override {
    HENHMETAFILE metafile = Metafile(s);
    return metafile ? MetafilePictFromEnhMetafile(metafile, out) : DV_E_FORMATETC;
  }
  HRESULT MakeEnhMetafile(State& s, STGMEDIUM& out) override { return HandOver(s, out); }

 private:
  static HENHMETAFILE Metafile(const State& s) {
    return s.hr == S_OK && s.fetched.tymed == TYMED_ENHMF ? s.fetched.hEnhMetaFile : nullptr;
  }
};

PaletteReader g_palette;
DibReader g_dib;
BitmapReader g_bitmap;
MetafilePictReader g_metafilePict;
EnhMetafileReader g_enhMetafile;

PictureReader* ReaderOf(unsigned bit) {
  switch (bit) {
    case IWXferPicture::kGotPalette:
      return &g_palette;
    case IWXferPicture::kGotMetafilePict:
      return &g_metafilePict;
    case IWXferPicture::kGotDib:
      return &g_dib;
    case IWXferPicture::kGotBitmap:
      return &g_bitmap;
    case IWXferPicture::kGotEnhMetafile:
      return &g_enhMetafile;
    default:
      return &g_null;
  }
}

// The first reader of order whose format is held; the null reader if none is.
PictureReader* FirstHeld(unsigned held, const unsigned (&order)[4]) {
  for (unsigned bit : order)
    if (held & bit) return ReaderOf(bit);
  return &g_null;
}

using Operation = HRESULT (PictureReader::*)(State&, STGMEDIUM&);

struct Row {
  const ClipFormat* request;
  unsigned order[4];  // source formats, first held wins
  Operation make;
};

}  // namespace

bool Matches(const FORMATETC& format, const FORMATETC& request) {
  return request.cfFormat == format.cfFormat &&
         ((request.dwAspect & format.dwAspect) || request.dwAspect == format.dwAspect) &&
         (request.tymed & format.tymed);
}

HRESULT Convert(IWDataObject* picture, unsigned held, const FORMATETC& request, STGMEDIUM& out) {
  out = STGMEDIUM{};
  if (!held) return DV_E_FORMATETC;
  using P = IWXferPicture;
  const Row rows[] = {
      {&CfEnhMetafile::s_fmt,
       {P::kGotEnhMetafile, P::kGotMetafilePict, P::kGotDib, P::kGotBitmap},
       &PictureReader::MakeEnhMetafile},
      {&CfMetafilePict::s_fmt,
       {P::kGotMetafilePict, P::kGotEnhMetafile, P::kGotDib, P::kGotBitmap},
       &PictureReader::MakeMetafilePict},
      {&CfDib::s_fmt,
       {P::kGotDib, P::kGotBitmap, P::kGotEnhMetafile, P::kGotMetafilePict},
       &PictureReader::MakeDib},
      {&CfBitmap::s_fmt,
       {P::kGotBitmap, P::kGotDib, P::kGotEnhMetafile, P::kGotMetafilePict},
       &PictureReader::MakeBitmap},
  };
  static const unsigned kPaletteSources[4] = {P::kGotPalette, P::kGotDib, P::kGotEnhMetafile,
                                              P::kGotMetafilePict};

  State s;
  PictureReader* source = FirstHeld(held, kPaletteSources)->Fetch(s, picture);
  HRESULT hr;
  if (Matches(CfPalette::s_fmt.format, request)) {
    hr = source->MakePalette(s, out);
  } else {
    hr = source->MakePalette(s, s.palette);
    Release(s.fetched);  // used up by the palette
    const Row* row = nullptr;
    for (const Row& r : rows)
      if (Matches(r.request->format, request)) {
        row = &r;
        break;
      }
    if (hr == S_OK && row) {
      PictureReader* reader = FirstHeld(held, row->order)->Fetch(s, picture);
      hr = (reader->*(row->make))(s, out);
    } else if (!row) {
      hr = DV_E_FORMATETC;
    }
  }
  Release(s.fetched);
  Release(s.palette);
  if (hr != S_OK) Release(out);  // never a half-made answer
  return hr;
}

void ReleaseNullReader() { g_null.Free(); }

}  // namespace picconv
