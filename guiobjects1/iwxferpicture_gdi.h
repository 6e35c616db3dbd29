// The GDI layer of picture transfer: counted owners of the handles a conversion makes,
// the memory and metafile DCs it draws on, the checks that a picture from another
// program reads within its data, and a test hook that makes a chosen resource step fail.
//
// Every handle a conversion makes goes through one of the New* functions (a "step") and
// into an Owned (or a DC class) at once, so that every way out of a conversion frees it;
// a handle leaves an Owned only when it is handed out in a medium.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstddef>

namespace picgdi {

// ---- counts and injected failures ----

// Whether the next resource step may go ahead (false when the injected failure is due).
bool Step();
// The handles made and not yet freed or handed out.
long Live();
// Fails the n-th step from now (0: none); answers the steps taken since the last call.
long FailStep(long n);

// ---- owned handles ----

enum class Kind { kNone, kGdiObject, kGlobal, kMetafile, kEnhMetafile };

class Owned {
 public:
  Owned() = default;
  Owned(Kind kind, HANDLE handle) { Take(kind, handle); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() { Free(); }

  // Takes handle (counted when not null); answers whether there is one.
  bool Take(Kind kind, HANDLE handle);
  void Free();
  // Hands the handle out (no longer counted or freed here).
  HANDLE Give();
  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  Kind kind_ = Kind::kNone;
  HANDLE handle_ = nullptr;
};

HGLOBAL NewGlobal(size_t bytes);  // movable
HBITMAP NewScreenBitmap(HDC screen, int width, int height);
HPALETTE NewPalette(const LOGPALETTE* entries);
HMETAFILE NewMetafileFromBits(UINT size, const void* bits);
HENHMETAFILE NewEnhMetafileFromWinBits(UINT size, const void* bits, HDC reference,
                                       const METAFILEPICT& picture);

// ---- device contexts ----

// The screen's DC, released at the end of the scope.
class ScreenDC {
 public:
  ScreenDC();
  ~ScreenDC();
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A memory DC compatible with the screen; what was selected into it goes back before
// it is deleted.
class MemoryDC {
 public:
  explicit MemoryDC(HDC screen);
  ~MemoryDC();
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }
  void SelectBitmap(HBITMAP bitmap);
  // Selects and realizes palette (none for null).
  void SelectPalette(HPALETTE palette);
  // Puts back the DC's own bitmap, palette and brush.
  void Restore();

 private:
  HDC dc_;
  HGDIOBJ bitmap_ = nullptr;
  HPALETTE palette_ = nullptr;
  bool selected_ = false;
  bool paletted_ = false;
};

// A metafile DC recording in memory (enhanced: with the reference rectangle given).
class MetafileDC {
 public:
  MetafileDC();
  explicit MetafileDC(const RECT& frame);  // enhanced
  ~MetafileDC();
  MetafileDC(const MetafileDC&) = delete;
  MetafileDC& operator=(const MetafileDC&) = delete;
  HDC get() const { return dc_; }
  // Ends recording into owner; answers whether a metafile was made.
  bool Close(Owned& owner);

 private:
  HDC dc_;
  bool enhanced_;
};

// ---- pictures from other programs ----

// A packed DIB known to read within its block.
struct DibView {
  const BITMAPINFO* info = nullptr;
  const RGBQUAD* colors = nullptr;  // the colour table (after masks for bit fields)
  unsigned colorCount = 0;
  const void* bits = nullptr;
  int width = 0;
  int height = 0;  // rows, positive for either row order
};

// The largest picture made from a size some other program gave (pixels per side and in
// all): beyond it a request is refused rather than tried.
constexpr int kMaxSide = 16384;
constexpr long long kMaxPixels = 64LL * 1024 * 1024;
bool SizeOk(long long width, long long height);

// Checks the packed DIB at data (size bytes): an information header no larger than the
// data, one plane, a bit count of 1, 4, 8, 16, 24 or 32, a colour count the bit count
// allows, a known compression that suits the bit count, a size within the limits, and
// header, table and bits all within size. Fills view and answers true when it reads.
bool ReadDib(const void* data, size_t size, DibView& view);

// A locked global block, unlocked at the end of the scope.
class Locked {
 public:
  explicit Locked(HGLOBAL block);
  ~Locked();
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  void* get() const { return at_; }
  size_t size() const { return size_; }

 private:
  HGLOBAL block_;
  void* at_;
  size_t size_;
};

// The METAFILEPICT of a medium's block, when the block holds one whose metafile is a
// metafile.
bool ReadMetafilePict(HGLOBAL block, METAFILEPICT& picture);

// Whether a medium received from another program holds a usable picture of the format
// (Palette, Metafile Picture, DIB, Bitmap or Enhanced Metafile).
bool PictureMediumOk(CLIPFORMAT cf, const STGMEDIUM& medium);

// Gives back a medium that failed the check: a metafile picture whose block is too
// short to hold one is freed as a bare block (ReleaseStgMedium would read a metafile
// handle past its end), the rest as usual.
void ReleaseRefused(CLIPFORMAT cf, STGMEDIUM& medium);

}  // namespace picgdi
