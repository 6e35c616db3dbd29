// Counted handles, DCs and the checks of pictures from other programs.
#include "iwxferpicture_gdi.h"

#include <cstdint>
#include <cstring>

namespace picgdi {

namespace {

volatile LONG g_live = 0;
volatile LONG g_steps = 0;
volatile LONG g_failAt = 0;  // the step (counted from the last FailStep) that fails; 0: none

}  // namespace

bool Step() {
  LONG n = ::InterlockedIncrement(&g_steps);
  return !(g_failAt && n == g_failAt);
}

long Live() { return g_live; }

long FailStep(long n) {
  LONG taken = ::InterlockedExchange(&g_steps, 0);
  ::InterlockedExchange(&g_failAt, n > 0 ? LONG(n) : 0);
  return taken;
}

// ---- owned handles ----

bool Owned::Take(Kind kind, HANDLE handle) {
  Free();
  if (!handle) return false;
  kind_ = kind;
  handle_ = handle;
  ::InterlockedIncrement(&g_live);
  return true;
}

void Owned::Free() {
  if (!handle_) return;
  switch (kind_) {
    case Kind::kGdiObject:
      ::DeleteObject(handle_);
      break;
    case Kind::kGlobal:
      ::GlobalFree(handle_);
      break;
    case Kind::kMetafile:
      ::DeleteMetaFile(HMETAFILE(handle_));
      break;
    case Kind::kEnhMetafile:
      ::DeleteEnhMetaFile(HENHMETAFILE(handle_));
      break;
    case Kind::kNone:
      break;
  }
  handle_ = nullptr;
  kind_ = Kind::kNone;
  ::InterlockedDecrement(&g_live);
}

HANDLE Owned::Give() {
  HANDLE h = handle_;
  if (h) ::InterlockedDecrement(&g_live);
  handle_ = nullptr;
  kind_ = Kind::kNone;
  return h;
}

HGLOBAL NewGlobal(size_t bytes) {
  if (!Step() || bytes == 0) return nullptr;
  return ::GlobalAlloc(GMEM_MOVEABLE, bytes);
}

HBITMAP NewScreenBitmap(HDC screen, int width, int height) {
  if (!Step()) return nullptr;
  return ::CreateCompatibleBitmap(screen, width, height);
}

HPALETTE NewPalette(const LOGPALETTE* entries) {
  if (!Step()) return nullptr;
  return ::CreatePalette(entries);
}

HMETAFILE NewMetafileFromBits(UINT size, const void* bits) {
  if (!Step()) return nullptr;
  return ::SetMetaFileBitsEx(size, static_cast<const BYTE*>(bits));
}

HENHMETAFILE NewEnhMetafileFromWinBits(UINT size, const void* bits, HDC reference,
                                       const METAFILEPICT& picture) {
  if (!Step()) return nullptr;
  return ::SetWinMetaFileBits(size, static_cast<const BYTE*>(bits), reference, &picture);
}

// ---- device contexts ----

ScreenDC::ScreenDC() : dc_(Step() ? ::GetDC(nullptr) : nullptr) {
  if (dc_) ::InterlockedIncrement(&g_live);
}

ScreenDC::~ScreenDC() {
  if (!dc_) return;
  ::ReleaseDC(nullptr, dc_);
  ::InterlockedDecrement(&g_live);
}

MemoryDC::MemoryDC(HDC screen) : dc_(screen && Step() ? ::CreateCompatibleDC(screen) : nullptr) {
  if (dc_) ::InterlockedIncrement(&g_live);
}

MemoryDC::~MemoryDC() {
  if (!dc_) return;
  Restore();
  ::DeleteDC(dc_);
  ::InterlockedDecrement(&g_live);
}

void MemoryDC::SelectBitmap(HBITMAP bitmap) {
  HGDIOBJ old = ::SelectObject(dc_, bitmap);
  if (!selected_) {
    bitmap_ = old;
    selected_ = true;
  }
}

void MemoryDC::SelectPalette(HPALETTE palette) {
  if (!palette) return;
  HPALETTE old = ::SelectPalette(dc_, palette, FALSE);
  if (!paletted_) {
    palette_ = old;
    paletted_ = true;
  }
  ::RealizePalette(dc_);
}

void MemoryDC::Restore() {
  if (!dc_) return;
  if (selected_ && bitmap_) ::SelectObject(dc_, bitmap_);
  if (paletted_ && palette_) ::SelectPalette(dc_, palette_, FALSE);
  ::SelectObject(dc_, ::GetStockObject(WHITE_BRUSH));
  selected_ = paletted_ = false;
}

MetafileDC::MetafileDC() : dc_(Step() ? ::CreateMetaFileA(nullptr) : nullptr), enhanced_(false) {
  if (dc_) ::InterlockedIncrement(&g_live);
}

MetafileDC::MetafileDC(const RECT& frame)
    : dc_(Step() ? ::CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr) : nullptr), enhanced_(true) {
  if (dc_) ::InterlockedIncrement(&g_live);
}

MetafileDC::~MetafileDC() {
  Owned dropped;
  Close(dropped);
}

bool MetafileDC::Close(Owned& owner) {
  if (!dc_) return false;
  bool made = enhanced_ ? owner.Take(Kind::kEnhMetafile, ::CloseEnhMetaFile(dc_))
                        : owner.Take(Kind::kMetafile, ::CloseMetaFile(dc_));
  dc_ = nullptr;
  ::InterlockedDecrement(&g_live);
  return made;
}

// ---- pictures from other programs ----

bool SizeOk(long long width, long long height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

bool ReadDib(const void* data, size_t size, DibView& view) {
  view = DibView{};
  if (!data || size < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER h;
  std::memcpy(&h, data, sizeof h);
  // The information header and its later versions; the old core header is not a DIB of
  // this format.
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > size || h.biSize > 1024) return false;
  if (h.biPlanes != 1) return false;
  const unsigned bits = h.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  const long long width = h.biWidth;
  const long long height = h.biHeight < 0 ? -(long long)h.biHeight : h.biHeight;
  if (!SizeOk(width, height)) return false;
  // Colour count: at most what the bit count can index; above 8 bits an optional table
  // of at most 256.
  const unsigned long long most = bits <= 8 ? (1ull << bits) : 256;
  if (h.biClrUsed > most) return false;
  const unsigned colors = h.biClrUsed ? unsigned(h.biClrUsed) : bits <= 8 ? unsigned(1u << bits) : 0u;
  unsigned long long masks = 0;
  unsigned long long image = 0;
  const unsigned long long stride = ((unsigned long long)width * bits + 31) / 32 * 4;
  switch (h.biCompression) {
    case BI_RGB:
      image = stride * (unsigned long long)height;
      break;
    case BI_BITFIELDS:
      if (bits != 16 && bits != 32) return false;
      if (h.biSize == sizeof(BITMAPINFOHEADER)) masks = 3 * sizeof(DWORD);
      image = stride * (unsigned long long)height;
      break;
    case BI_RLE8:
    case BI_RLE4:
      // Run-length bits are read no further than their stated size.
      if ((h.biCompression == BI_RLE8 ? 8u : 4u) != bits || h.biHeight < 0 || h.biSizeImage == 0)
        return false;
      image = h.biSizeImage;
      break;
    default:
      return false;
  }
  const unsigned long long table = masks + (unsigned long long)colors * sizeof(RGBQUAD);
  if ((unsigned long long)h.biSize + table + image > size) return false;
  auto* base = static_cast<const char*>(data);
  view.info = static_cast<const BITMAPINFO*>(data);
  view.colors = reinterpret_cast<const RGBQUAD*>(base + h.biSize + masks);
  view.colorCount = colors;
  view.bits = base + h.biSize + table;
  view.width = int(width);
  view.height = int(height);
  return true;
}

Locked::Locked(HGLOBAL block)
    : block_(block), at_(block ? ::GlobalLock(block) : nullptr), size_(at_ ? ::GlobalSize(block) : 0) {}

Locked::~Locked() {
  if (at_) ::GlobalUnlock(block_);
}

bool ReadMetafilePict(HGLOBAL block, METAFILEPICT& picture) {
  Locked at(block);
  if (!at.get() || at.size() < sizeof(METAFILEPICT)) return false;
  std::memcpy(&picture, at.get(), sizeof picture);
  return picture.hMF && ::GetObjectType(picture.hMF) == OBJ_METAFILE;
}

bool PictureMediumOk(CLIPFORMAT cf, const STGMEDIUM& medium) {
  switch (cf) {
    case CF_PALETTE:
      return medium.tymed == TYMED_GDI && medium.hBitmap && ::GetObjectType(medium.hBitmap) == OBJ_PAL;
    case CF_BITMAP:
      return medium.tymed == TYMED_GDI && medium.hBitmap && ::GetObjectType(medium.hBitmap) == OBJ_BITMAP;
    case CF_ENHMETAFILE:
      return medium.tymed == TYMED_ENHMF && medium.hEnhMetaFile &&
             ::GetObjectType(medium.hEnhMetaFile) == OBJ_ENHMETAFILE;
    case CF_METAFILEPICT: {
      METAFILEPICT picture;
      return medium.tymed == TYMED_MFPICT && ReadMetafilePict(medium.hMetaFilePict, picture);
    }
    case CF_DIB: {
      if (medium.tymed != TYMED_HGLOBAL) return false;
      Locked at(medium.hGlobal);
      DibView view;
      return ReadDib(at.get(), at.size(), view);
    }
    default:
      return false;
  }
}

void ReleaseRefused(CLIPFORMAT cf, STGMEDIUM& medium) {
  if (medium.tymed == TYMED_MFPICT && cf == CF_METAFILEPICT && !medium.pUnkForRelease &&
      medium.hMetaFilePict && ::GlobalSize(medium.hMetaFilePict) < sizeof(METAFILEPICT)) {
    ::GlobalFree(medium.hMetaFilePict);
  } else if (medium.tymed != TYMED_NULL) {
    ::ReleaseStgMedium(&medium);
  }
  medium = STGMEDIUM{};
}

}  // namespace picgdi
