// TDib: packed device-independent bitmaps in a global memory block.
#include "winlib/dib.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "winlib/dc.h"
#include "winlib/except.h"

namespace {

uint ColorCount(const BITMAPINFOHEADER& h) {
  if (h.biClrUsed) return h.biClrUsed;
  return h.biBitCount <= 8 ? (1u << h.biBitCount) : 0;
}

// Bytes between the header and the bits: the colour table, or the three masks of a
// BI_BITFIELDS DIB with a plain header.
size_t TableBytes(const BITMAPINFOHEADER& h) {
  size_t n = ColorCount(h) * sizeof(RGBQUAD);
  if (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER)) n += 3 * sizeof(DWORD);
  return n;
}

size_t ImageBytes(const BITMAPINFOHEADER& h) {
  if ((h.biCompression == BI_RGB || h.biCompression == BI_BITFIELDS) || !h.biSizeImage) {
    size_t stride = ((size_t(h.biWidth) * h.biBitCount + 31) / 32) * 4;
    return stride * size_t(std::abs(h.biHeight));
  }
  return h.biSizeImage;
}

bool HeaderOk(const void* data, size_t size) {
  if (size < sizeof(BITMAPINFOHEADER)) return false;
  auto* h = static_cast<const BITMAPINFOHEADER*>(data);
  return h->biSize >= sizeof(BITMAPINFOHEADER) && h->biSize <= size && h->biWidth > 0 && h->biHeight != 0 &&
         h->biPlanes == 1 &&
         (h->biBitCount == 1 || h->biBitCount == 4 || h->biBitCount == 8 || h->biBitCount == 16 ||
          h->biBitCount == 24 || h->biBitCount == 32);
}

}  // namespace

void TDib::InitFromPacked(const void* packed, size_t size) {
  if (!HeaderOk(packed, size)) TXGdi::Raise();
  auto* h = static_cast<const BITMAPINFOHEADER*>(packed);
  size_t need = h->biSize + TableBytes(*h) + ImageBytes(*h);
  if (need > size) TXGdi::Raise();
  HGLOBAL g = ::GlobalAlloc(GMEM_MOVEABLE, need);
  if (!g) throw TXOutOfMemory();
  void* p = ::GlobalLock(g);
  std::memcpy(p, packed, need);
  ::GlobalUnlock(g);
  Adopt(g, true);
}

void TDib::Adopt(HGLOBAL handle, bool own) {
  handle_ = handle;
  owned_ = own;
  Lock();
}

void TDib::Lock() {
  TXGdi::Check(handle_);
  void* p = ::GlobalLock(handle_);
  if (!p || !HeaderOk(p, ::GlobalSize(handle_))) {
    if (p) ::GlobalUnlock(handle_);
    TXGdi::Raise();
  }
  info_ = static_cast<BITMAPINFO*>(p);
  numColors_ = ColorCount(info_->bmiHeader);
  bits_ = static_cast<char*>(p) + info_->bmiHeader.biSize + TableBytes(info_->bmiHeader);
}

TDib::TDib(const char* fileName) {
  FILE* f = std::fopen(fileName, "rb");
  if (!f) TXGdi::Raise();
  std::vector<char> data;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) data.insert(data.end(), chunk, chunk + n);
  std::fclose(f);
  if (data.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || data[0] != 'B' || data[1] != 'M')
    TXGdi::Raise();
  BITMAPFILEHEADER fh;
  std::memcpy(&fh, data.data(), sizeof fh);
  const char* packed = data.data() + sizeof fh;
  size_t rest = data.size() - sizeof fh;
  if (!HeaderOk(packed, rest)) TXGdi::Raise();
  BITMAPINFOHEADER h;
  std::memcpy(&h, packed, sizeof h);
  // The bits start at bfOffBits, which may leave a gap after the colour table.
  size_t head = h.biSize + TableBytes(h);
  size_t image = ImageBytes(h);
  if (head > rest || fh.bfOffBits < sizeof fh + head || fh.bfOffBits + image > data.size()) TXGdi::Raise();
  std::vector<char> block(head + image);
  std::memcpy(block.data(), packed, head);
  std::memcpy(block.data() + head, data.data() + fh.bfOffBits, image);
  InitFromPacked(block.data(), block.size());
}

TDib::TDib(HINSTANCE instance, const char* resId) {
  HRSRC r = ::FindResourceA(instance, resId, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  HGLOBAL g = r ? ::LoadResource(instance, r) : nullptr;
  const void* p = g ? ::LockResource(g) : nullptr;
  if (!p) TXGdi::Raise();
  InitFromPacked(p, ::SizeofResource(instance, r));
}

TDib::TDib(HGLOBAL handle, TAutoDelete autoDelete) { Adopt(handle, autoDelete == AutoDelete); }

TDib::TDib(int width, int height, int numColors, uint16_t usage) {
  if (width <= 0 || height <= 0) TXGdi::Raise();
  int bitCount = numColors <= 0 ? 24 : numColors <= 2 ? 1 : numColors <= 16 ? 4 : 8;
  BITMAPINFOHEADER h = {};
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = WORD(bitCount);
  h.biCompression = BI_RGB;
  h.biClrUsed = numColors > 0 ? DWORD(numColors) : 0;
  size_t total = sizeof h + size_t(numColors > 0 ? numColors : 0) * sizeof(RGBQUAD) + ImageBytes(h);
  HGLOBAL g = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, total);
  if (!g) throw TXOutOfMemory();
  std::memcpy(::GlobalLock(g), &h, sizeof h);
  ::GlobalUnlock(g);
  Adopt(g, true);
  usage_ = usage;
  // Palette-relative: the table holds palette indices (its RGBQUAD room is kept so that
  // the bits stay where the header says).
  if (usage == DIB_PAL_COLORS) {
    auto* indices = reinterpret_cast<WORD*>(info_->bmiColors);
    for (uint i = 0; i < numColors_; ++i) indices[i] = WORD(i);
  }
}

TDib::TDib(const TBitmap& bitmap, const TPalette* palette) {
  BITMAP bm = {};
  ::GetObjectA(bitmap, sizeof bm, &bm);
  BITMAPINFOHEADER h = {};
  h.biSize = sizeof h;
  h.biWidth = bm.bmWidth;
  h.biHeight = bm.bmHeight;
  h.biPlanes = 1;
  h.biBitCount = WORD(bm.bmBitsPixel * bm.bmPlanes <= 8 ? bm.bmBitsPixel * bm.bmPlanes : 24);
  if (h.biBitCount != 1 && h.biBitCount != 4 && h.biBitCount != 8) h.biBitCount = 24;
  h.biCompression = BI_RGB;
  size_t total = sizeof h + TableBytes(h) + ImageBytes(h);
  HGLOBAL g = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, total);
  if (!g) throw TXOutOfMemory();
  auto* info = static_cast<BITMAPINFO*>(::GlobalLock(g));
  info->bmiHeader = h;
  HDC screen = ::GetDC(nullptr);
  HPALETTE old = palette ? ::SelectPalette(screen, *palette, FALSE) : nullptr;
  int rows = ::GetDIBits(screen, bitmap, 0, UINT(bm.bmHeight),
                         reinterpret_cast<char*>(info) + sizeof h + TableBytes(h), info, DIB_RGB_COLORS);
  if (palette) ::SelectPalette(screen, old, FALSE);
  ::ReleaseDC(nullptr, screen);
  info->bmiHeader.biClrUsed = 0;  // GetDIBits may fill it; keep the full table
  info->bmiHeader.biSizeImage = 0;
  ::GlobalUnlock(g);
  if (rows == 0) {
    ::GlobalFree(g);
    TXGdi::Raise();
  }
  Adopt(g, true);
}

TDib::TDib(const TDib& other) {
  size_t size = ::GlobalSize(other.handle_);
  HGLOBAL g = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (!g) throw TXOutOfMemory();
  std::memcpy(::GlobalLock(g), other.info_, size);
  ::GlobalUnlock(g);
  Adopt(g, true);
  usage_ = other.usage_;
}

TDib::~TDib() {
  if (!handle_) return;
  if (info_) ::GlobalUnlock(handle_);
  if (owned_) ::GlobalFree(handle_);
}

int TDib::Height() const { return std::abs(info_->bmiHeader.biHeight); }

uint32_t TDib::SizeImage() const { return uint32_t(ImageBytes(info_->bmiHeader)); }

TColor TDib::GetColor(int index) const {
  if (index < 0 || uint(index) >= numColors_ || usage_ != DIB_RGB_COLORS) return TColor::None;
  const RGBQUAD& q = info_->bmiColors[index];
  return TColor(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

void TDib::SetColor(int index, TColor color) {
  if (index < 0 || uint(index) >= numColors_ || usage_ != DIB_RGB_COLORS) return;
  COLORREF c = color.Resolved();
  info_->bmiColors[index] = RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
}

bool TDib::WriteFile(const char* fileName) const {
  const BITMAPINFOHEADER& h = info_->bmiHeader;
  size_t head = h.biSize + TableBytes(h);
  size_t image = ImageBytes(h);
  BITMAPFILEHEADER fh = {};
  fh.bfType = 0x4D42;  // "BM"
  fh.bfOffBits = DWORD(sizeof fh + head);
  fh.bfSize = DWORD(sizeof fh + head + image);
  FILE* f = std::fopen(fileName, "wb");
  if (!f) return false;
  bool ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(info_, head + image, 1, f) == 1;
  return std::fclose(f) == 0 && ok;
}
