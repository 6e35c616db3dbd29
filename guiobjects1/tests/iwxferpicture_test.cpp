// Picture transfer on Wine's GDI under the X server: the conversion matrix (every source
// kind asked for every format, the pictures read back by pixels), the metafile picture
// and DIB blocks handed out, what is answered without a conversion, pictures that hold
// nothing, malformed pictures from a scripted foreign source, every resource step made
// to fail in turn, and handle counts after many conversions.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "guiobjects1/clipformat.h"
#include "guiobjects1/iwxferpicture.h"
#include "winlib/dib.h"
#include "winlib/gdiobjects.h"
#include "xferkit.h"

namespace {

using namespace xferkit;

// The METAFILEPICT block is the system's structure: 16 bytes in the 32-bit product.
static_assert(sizeof(METAFILEPICT) == (sizeof(void*) == 4 ? 16 : 24), "METAFILEPICT layout");
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER layout");

constexpr int kW = 100, kH = 50;

// The test picture: four quadrants (top left red, top right green, bottom left blue,
// bottom right yellow).
COLORREF Quadrant(int x, int y, int w, int h) {
  bool right = x >= w / 2, bottom = y >= h / 2;
  if (!bottom) return right ? RGB(0, 255, 0) : RGB(255, 0, 0);
  return right ? RGB(255, 255, 0) : RGB(0, 0, 255);
}

// A packed bottom-up DIB of the test picture: 24 bits, or 8 bits with a table of the
// four colours.
HGLOBAL MakeDib(int w, int h, int bits = 24) {
  const COLORREF colors[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
  int table = bits == 8 ? 4 : 0;
  int stride = (w * bits + 31) / 32 * 4;
  size_t size = sizeof(BITMAPINFOHEADER) + table * sizeof(RGBQUAD) + size_t(stride) * h;
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  auto* base = static_cast<uint8_t*>(GlobalLock(g));
  BITMAPINFOHEADER hdr = {sizeof hdr, w, h, 1, WORD(bits), BI_RGB, 0, 0, 0, DWORD(table), 0};
  std::memcpy(base, &hdr, sizeof hdr);
  auto* rgb = reinterpret_cast<RGBQUAD*>(base + sizeof hdr);
  for (int i = 0; i < table; ++i)
    rgb[i] = RGBQUAD{GetBValue(colors[i]), GetGValue(colors[i]), GetRValue(colors[i]), 0};
  uint8_t* pixels = base + sizeof hdr + table * sizeof(RGBQUAD);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = pixels + size_t(h - 1 - y) * stride;
    for (int x = 0; x < w; ++x) {
      COLORREF c = Quadrant(x, y, w, h);
      if (bits == 8) {
        int i = 0;
        while (colors[i] != c) ++i;
        row[x] = uint8_t(i);
      } else {
        row[3 * x] = GetBValue(c);
        row[3 * x + 1] = GetGValue(c);
        row[3 * x + 2] = GetRValue(c);
      }
    }
  }
  GlobalUnlock(g);
  return g;
}

// Draws the quadrants with brushes (into a metafile, an enhanced metafile or a bitmap).
void DrawQuadrants(HDC dc, int w, int h) {
  for (int q = 0; q < 4; ++q) {
    int x = q % 2 ? w / 2 : 0, y = q / 2 ? h / 2 : 0;
    HBRUSH b = CreateSolidBrush(Quadrant(x, y, w, h));
    HGDIOBJ old = SelectObject(dc, b);
    PatBlt(dc, x, y, q % 2 ? w - w / 2 : w / 2, q / 2 ? h - h / 2 : h / 2, PATCOPY);
    SelectObject(dc, old);
    DeleteObject(b);
  }
}

HBITMAP MakeBitmap(int w, int h) {
  HDC screen = GetDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(screen, w, h);
  HDC mem = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(mem, bm);
  DrawQuadrants(mem, w, h);
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return bm;
}

struct ScreenMetrics {
  int horzRes, horzSize, vertRes, vertSize;
  ScreenMetrics() {
    HDC s = GetDC(nullptr);
    horzRes = GetDeviceCaps(s, HORZRES);
    horzSize = GetDeviceCaps(s, HORZSIZE);
    vertRes = GetDeviceCaps(s, VERTRES);
    vertSize = GetDeviceCaps(s, VERTSIZE);
    ReleaseDC(nullptr, s);
  }
  // An enhanced metafile's frame as pixels of the screen.
  SIZE Pixels(const RECTL& frame) const {
    return SIZE{LONG((long long)horzRes * (frame.right - frame.left) / horzSize / 100),
                LONG((long long)vertRes * (frame.bottom - frame.top) / vertSize / 100)};
  }
};

// An enhanced metafile of the test picture whose frame is w by h pixels of the screen.
HENHMETAFILE MakeEnhMetafile(int w, int h, RECT* frameOut = nullptr) {
  ScreenMetrics m;
  RECT frame = {0, 0, LONG((long long)w * m.horzSize * 100 / m.horzRes) + 1,
                LONG((long long)h * m.vertSize * 100 / m.vertRes) + 1};
  if (frameOut) *frameOut = frame;
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
  DrawQuadrants(dc, w, h);
  return CloseEnhMetaFile(dc);
}

// A metafile of the test picture (window extent its size).
HMETAFILE MakeMetafile(int w, int h) {
  HDC dc = CreateMetaFileA(nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, w, h, nullptr);
  DrawQuadrants(dc, w, h);
  return CloseMetaFile(dc);
}

HGLOBAL MetafilePictBlock(LONG mm, LONG x, LONG y, HMETAFILE mf) {
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
  METAFILEPICT p = {mm, x, y, mf};
  std::memcpy(GlobalLock(g), &p, sizeof p);
  GlobalUnlock(g);
  return g;
}

HPALETTE MakePalette(int entries) {
  std::vector<char> block(sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = WORD(entries);
  for (int i = 0; i < entries; ++i) lp->palPalEntry[i] = PALETTEENTRY{BYTE(i * 40), BYTE(255 - i * 40), 0, 0};
  return CreatePalette(lp);
}

unsigned PaletteEntries(HGDIOBJ palette) {
  WORD n = 0;
  GetObjectA(palette, sizeof n, &n);
  return n;
}

// A release owner that counts the media a source handed out and that came back.
class Owner final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid != IID_IUnknown) return E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs)); }
  STDMETHODIMP_(ULONG) Release() override { return ULONG(InterlockedDecrement(&refs)); }
  LONG refs = 0;
};

// ---- reading pictures back ----

// A 32-bit top-down canvas on white; pixels read from its bits.
struct Canvas {
  Canvas(int w, int h) : w(w), h(h) {
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bmp);
    PatBlt(dc, 0, 0, w, h, WHITENESS);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
  }
  COLORREF at(int x, int y) const {
    uint32_t p = bits[size_t(y) * w + x];
    return RGB((p >> 16) & 255, (p >> 8) & 255, p & 255);
  }
  int w, h;
  HBITMAP bmp;
  HDC dc;
  HGDIOBJ old;
  uint32_t* bits = nullptr;
};

// The picture in a medium drawn on a canvas of its own size (size: what the picture
// says its size is in pixels).
std::unique_ptr<Canvas> Render(CLIPFORMAT cf, const STGMEDIUM& m, SIZE& size) {
  size = SIZE{0, 0};
  switch (cf) {
    case CF_DIB: {
      auto* info = static_cast<BITMAPINFO*>(GlobalLock(m.hGlobal));
      const BITMAPINFOHEADER& h = info->bmiHeader;
      size = SIZE{h.biWidth, std::abs(h.biHeight)};
      unsigned table = h.biClrUsed ? h.biClrUsed : h.biBitCount <= 8 ? 1u << h.biBitCount : 0;
      const char* bits = reinterpret_cast<const char*>(info) + h.biSize + table * sizeof(RGBQUAD);
      auto c = std::make_unique<Canvas>(size.cx, size.cy);
      SetDIBitsToDevice(c->dc, 0, 0, size.cx, size.cy, 0, 0, 0, size.cy, bits, info, DIB_RGB_COLORS);
      GlobalUnlock(m.hGlobal);
      return c;
    }
    case CF_BITMAP: {
      BITMAP bm = {};
      GetObjectA(m.hBitmap, sizeof bm, &bm);
      size = SIZE{bm.bmWidth, bm.bmHeight};
      auto c = std::make_unique<Canvas>(size.cx, size.cy);
      HDC mem = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(mem, m.hBitmap);
      BitBlt(c->dc, 0, 0, size.cx, size.cy, mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
      DeleteDC(mem);
      return c;
    }
    case CF_METAFILEPICT: {
      METAFILEPICT p;
      std::memcpy(&p, GlobalLock(m.hMetaFilePict), sizeof p);
      GlobalUnlock(m.hMetaFilePict);
      size = SIZE{p.xExt, p.yExt};
      auto c = std::make_unique<Canvas>(size.cx, size.cy);
      SetMapMode(c->dc, MM_ANISOTROPIC);
      SetWindowExtEx(c->dc, size.cx, size.cy, nullptr);
      SetViewportExtEx(c->dc, size.cx, size.cy, nullptr);
      PlayMetaFile(c->dc, p.hMF);
      SetMapMode(c->dc, MM_TEXT);
      return c;
    }
    case CF_ENHMETAFILE: {
      ENHMETAHEADER hdr = {};
      GetEnhMetaFileHeader(m.hEnhMetaFile, sizeof hdr, &hdr);
      size = ScreenMetrics().Pixels(hdr.rclFrame);
      auto c = std::make_unique<Canvas>(kW, kH);
      RECT all = {0, 0, kW, kH};
      PlayEnhMetaFile(c->dc, m.hEnhMetaFile, &all);
      return c;
    }
    default:
      return nullptr;
  }
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::string Hex(COLORREF c) {
  char s[16];
  std::snprintf(s, sizeof s, "%06lx", static_cast<unsigned long>(c));
  return s;
}

// ---- the sources ----

enum class Kind { kBitmap, kDib, kEnhMetafile, kMetafilePict, kForeign };
const char* Name(Kind k) {
  static const char* names[] = {"bitmap", "DIB", "enhanced metafile", "metafile picture", "foreign"};
  return names[int(k)];
}

// A picture of the kind. The metafile picture comes from a source offering only that
// format; the foreign source offers a four-entry palette and an 8-bit DIB.
IDataObject* MakePicture(Kind kind) {
  IWXferPicture* p = nullptr;
  switch (kind) {
    case Kind::kBitmap: {
      TBitmap bm(MakeBitmap(kW, kH), AutoDelete);
      p = new IWXferPicture(bm);
      break;
    }
    case Kind::kDib: {
      TDib dib(MakeDib(kW, kH), AutoDelete);
      p = new IWXferPicture(dib);
      break;
    }
    case Kind::kEnhMetafile: {
      HENHMETAFILE emf = MakeEnhMetafile(kW, kH);
      p = new IWXferPicture(emf);
      DeleteEnhMetaFile(emf);
      break;
    }
    case Kind::kMetafilePict:
    case Kind::kForeign: {
      Source* s = new Source;
      if (kind == Kind::kMetafilePict) {
        s->offer(Format(CF_METAFILEPICT, TYMED_MFPICT), [](STGMEDIUM& m) {
          m.tymed = TYMED_MFPICT;
          m.hMetaFilePict = MetafilePictBlock(MM_ANISOTROPIC, kW, kH, MakeMetafile(kW, kH));
          return S_OK;
        });
      } else {
        s->offer(Format(CF_PALETTE, TYMED_GDI), [](STGMEDIUM& m) {
          m.tymed = TYMED_GDI;
          m.hBitmap = HBITMAP(MakePalette(4));
          return S_OK;
        });
        s->offer(Format(CF_DIB, TYMED_HGLOBAL), [](STGMEDIUM& m) {
          m.tymed = TYMED_HGLOBAL;
          m.hGlobal = MakeDib(kW, kH, 8);
          return S_OK;
        });
      }
      p = new IWXferPicture(s);
      s->Release();
      break;
    }
  }
  IDataObject* d = p;
  Hide(d);
  return d;
}

const CLIPFORMAT kFormats[] = {CF_PALETTE, CF_METAFILEPICT, CF_DIB, CF_BITMAP, CF_ENHMETAFILE};
const DWORD kTymeds[] = {TYMED_GDI, TYMED_MFPICT, TYMED_HGLOBAL, TYMED_GDI, TYMED_ENHMF};

FORMATETC Request(CLIPFORMAT cf) {
  for (int i = 0; i < 5; ++i)
    if (kFormats[i] == cf) return Format(cf, kTymeds[i]);
  return Format(cf, TYMED_HGLOBAL);
}

class Picture : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    IWXferPicture::FailStep(0);
    objects_ = IWXferObj::Live();
    entries_ = IWXferable::Live();
    ASSERT_EQ(0, IWXferPicture::ConversionHandles());
  }
  void TearDown() override {
    IWXferPicture::FailStep(0);
    EXPECT_EQ(objects_, IWXferObj::Live());
    EXPECT_EQ(entries_, IWXferable::Live());
    EXPECT_EQ(0, IWXferPicture::ConversionHandles());
    OleUninitialize();
  }
  long objects_ = 0, entries_ = 0;
};

// ---- the matrix ----

struct Cell {
  Kind source;
  CLIPFORMAT cf;
  DWORD tymed;    // the medium's kind (TYMED_NULL: S_OK with nothing)
  bool heldOut;   // handed out as held: the picture is the release owner
  bool metafile;  // a metafile on the way: sizes and colours within tolerance
  int palette;    // palette entries (-1: the stock palette)
};

const Cell kMatrix[] = {
    {Kind::kBitmap, CF_PALETTE, TYMED_GDI, false, false, -1},
    {Kind::kBitmap, CF_METAFILEPICT, TYMED_MFPICT, false, true, 0},
    {Kind::kBitmap, CF_DIB, TYMED_HGLOBAL, false, false, 0},
    {Kind::kBitmap, CF_BITMAP, TYMED_GDI, true, false, 0},
    {Kind::kBitmap, CF_ENHMETAFILE, TYMED_ENHMF, false, true, 0},
    {Kind::kDib, CF_PALETTE, TYMED_GDI, false, false, -1},  // 24 bits: no table
    {Kind::kDib, CF_METAFILEPICT, TYMED_MFPICT, false, true, 0},
    {Kind::kDib, CF_DIB, TYMED_HGLOBAL, true, false, 0},
    {Kind::kDib, CF_BITMAP, TYMED_GDI, false, false, 0},
    {Kind::kDib, CF_ENHMETAFILE, TYMED_ENHMF, false, true, 0},
    {Kind::kEnhMetafile, CF_PALETTE, TYMED_NULL, false, false, 0},  // no palette entries
    {Kind::kEnhMetafile, CF_METAFILEPICT, TYMED_MFPICT, false, true, 0},
    {Kind::kEnhMetafile, CF_DIB, TYMED_HGLOBAL, false, true, 0},
    {Kind::kEnhMetafile, CF_BITMAP, TYMED_GDI, false, true, 0},
    {Kind::kEnhMetafile, CF_ENHMETAFILE, TYMED_ENHMF, true, true, 0},
    {Kind::kMetafilePict, CF_PALETTE, TYMED_GDI, false, false, -1},
    {Kind::kMetafilePict, CF_METAFILEPICT, TYMED_MFPICT, true, true, 0},
    {Kind::kMetafilePict, CF_DIB, TYMED_HGLOBAL, false, true, 0},
    {Kind::kMetafilePict, CF_BITMAP, TYMED_GDI, false, true, 0},
    {Kind::kMetafilePict, CF_ENHMETAFILE, TYMED_ENHMF, false, true, 0},
    {Kind::kForeign, CF_PALETTE, TYMED_GDI, true, false, 4},  // the palette it offered
    {Kind::kForeign, CF_METAFILEPICT, TYMED_MFPICT, false, true, 0},
    {Kind::kForeign, CF_DIB, TYMED_HGLOBAL, true, false, 0},
    {Kind::kForeign, CF_BITMAP, TYMED_GDI, false, false, 0},
    {Kind::kForeign, CF_ENHMETAFILE, TYMED_ENHMF, false, true, 0},
};

void CheckCell(IDataObject* d, const Cell& c) {
  SCOPED_TRACE(std::string(Name(c.source)) + " as format " + std::to_string(c.cf));
  FORMATETC f = Request(c.cf);
  STGMEDIUM m = {};
  ASSERT_EQ(S_OK, d->GetData(&f, &m));
  EXPECT_EQ(c.tymed, m.tymed);
  EXPECT_EQ(c.heldOut, m.pUnkForRelease != nullptr);
  if (c.cf == CF_PALETTE) {
    if (c.palette < 0) {
      EXPECT_EQ(GetStockObject(DEFAULT_PALETTE), HGDIOBJ(m.hBitmap));
    }
    if (c.palette > 0) {
      EXPECT_EQ(DWORD(OBJ_PAL), GetObjectType(m.hBitmap));
      EXPECT_EQ(unsigned(c.palette), PaletteEntries(m.hBitmap));
    }
  } else if (m.tymed == c.tymed) {
    SIZE size;
    std::unique_ptr<Canvas> canvas = Render(c.cf, m, size);
    ASSERT_TRUE(canvas);
    int slack = c.metafile ? 2 : 0;
    EXPECT_NEAR(kW, size.cx, slack);
    EXPECT_NEAR(kH, size.cy, slack);
    const POINT probes[] = {
        {kW / 4, kH / 4}, {3 * kW / 4, kH / 4}, {kW / 4, 3 * kH / 4}, {3 * kW / 4, 3 * kH / 4},
        {2, 2},           {kW - 3, kH - 3}};
    for (const POINT& p : probes) {
      if (p.x >= canvas->w || p.y >= canvas->h) continue;
      COLORREF want = Quadrant(p.x, p.y, kW, kH), got = canvas->at(p.x, p.y);
      EXPECT_TRUE(Near(want, got, c.metafile ? 40 : 0))
          << "at " << p.x << "," << p.y << " want " << Hex(want) << " got " << Hex(got);
    }
  }
  if (m.tymed != TYMED_NULL) ReleaseStgMedium(&m);
}

TEST_F(Picture, ConversionMatrix) {
  for (const Cell& c : kMatrix) {
    IDataObject* d = MakePicture(c.source);
    CheckCell(d, c);
    EXPECT_EQ(0u, d->Release());
  }
}

TEST_F(Picture, HeldFormatsOfEachSource) {
  struct {
    Kind kind;
    unsigned held;
  } cases[] = {
      {Kind::kBitmap, IWXferPicture::kGotBitmap},
      {Kind::kDib, IWXferPicture::kGotDib},
      {Kind::kEnhMetafile, IWXferPicture::kGotEnhMetafile},
      {Kind::kMetafilePict, IWXferPicture::kGotMetafilePict},
      {Kind::kForeign, IWXferPicture::kGotPalette | IWXferPicture::kGotDib},
  };
  for (auto& c : cases) {
    IDataObject* d = MakePicture(c.kind);
    EXPECT_EQ(c.held, static_cast<IWXferPicture*>(d)->Held()) << Name(c.kind);
    // Every picture offers the five formats, held or forwarded, in the source order.
    IEnumFORMATETC* e = nullptr;
    ASSERT_EQ(S_OK, d->EnumFormatEtc(DATADIR_GET, &e));
    FORMATETC f[8];
    ULONG got = 0;
    e->Next(8, f, &got);
    e->Release();
    ASSERT_EQ(5u, got) << Name(c.kind);
    d->Release();
  }
}

// ---- the blocks handed out ----

TEST_F(Picture, DibOf100By50GivesATextMetafilePictureOfItsSize) {
  IDataObject* d = MakePicture(Kind::kDib);
  FORMATETC f = Request(CF_METAFILEPICT);
  STGMEDIUM m = {};
  ASSERT_EQ(S_OK, d->GetData(&f, &m));
  ASSERT_EQ(DWORD(TYMED_MFPICT), m.tymed);
  EXPECT_EQ(nullptr, m.pUnkForRelease);
  ASSERT_EQ(sizeof(METAFILEPICT), GlobalSize(m.hMetaFilePict));
  // The fields at the system's offsets: mapping mode, x, y, then the handle.
  const auto* raw = static_cast<const int32_t*>(GlobalLock(m.hMetaFilePict));
  EXPECT_EQ(1, raw[0]);
  EXPECT_EQ(100, raw[1]);
  EXPECT_EQ(50, raw[2]);
  HMETAFILE mf = nullptr;
  std::memcpy(&mf, reinterpret_cast<const char*>(raw) + offsetof(METAFILEPICT, hMF), sizeof mf);
  GlobalUnlock(m.hMetaFilePict);
  EXPECT_EQ(DWORD(OBJ_METAFILE), GetObjectType(mf));
  ReleaseStgMedium(&m);

  // The DIB made from a bitmap: a plain information header and its bits after it.
  IDataObject* b = MakePicture(Kind::kBitmap);
  f = Request(CF_DIB);
  ASSERT_EQ(S_OK, b->GetData(&f, &m));
  BITMAPINFOHEADER h;
  ASSERT_GE(GlobalSize(m.hGlobal), sizeof h);
  std::memcpy(&h, GlobalLock(m.hGlobal), sizeof h);
  GlobalUnlock(m.hGlobal);
  EXPECT_EQ(40u, h.biSize);
  EXPECT_EQ(100, h.biWidth);
  EXPECT_EQ(50, h.biHeight);
  EXPECT_EQ(1, h.biPlanes);
  EXPECT_EQ(DWORD(BI_RGB), h.biCompression);
  unsigned table = h.biClrUsed ? h.biClrUsed : h.biBitCount <= 8 ? 1u << h.biBitCount : 0;
  EXPECT_GE(GlobalSize(m.hGlobal), 40 + table * 4 + size_t((100 * h.biBitCount + 31) / 32 * 4) * 50);
  ReleaseStgMedium(&m);
  b->Release();
  d->Release();
}

// ---- what is answered without converting ----

TEST_F(Picture, ABitmapQueriesWithoutEnhancedMetafileButConvertsToOne) {
  IDataObject* d = MakePicture(Kind::kBitmap);
  for (CLIPFORMAT cf : {CF_PALETTE, CF_METAFILEPICT, CF_DIB, CF_BITMAP}) {
    FORMATETC f = Request(cf);
    EXPECT_EQ(S_OK, d->QueryGetData(&f)) << cf;
  }
  FORMATETC emf = Request(CF_ENHMETAFILE), dib0 = Request(CF_DIB);
  EXPECT_EQ(DV_E_FORMATETC, d->QueryGetData(&emf));
  STGMEDIUM m = {};
  ASSERT_EQ(S_OK, d->GetData(&emf, &m));
  EXPECT_EQ(DWORD(TYMED_ENHMF), m.tymed);
  ReleaseStgMedium(&m);
  FORMATETC pal = Request(CF_PALETTE);
  ASSERT_EQ(S_OK, d->GetData(&pal, &m));
  EXPECT_EQ(GetStockObject(DEFAULT_PALETTE), HGDIOBJ(m.hBitmap));
  ReleaseStgMedium(&m);
  // Other formats, other kinds of medium: refused both ways.
  FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL), dibStream = Format(CF_DIB, TYMED_ISTREAM);
  for (FORMATETC* f : {&text, &dibStream}) {
    EXPECT_EQ(DV_E_FORMATETC, d->QueryGetData(f));
    EXPECT_EQ(DV_E_FORMATETC, d->GetData(f, &m));
    EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
  }
  // The forwarding entries forward to the picture itself, which converts.
  IWXferPicture* p = static_cast<IWXferPicture*>(d);
  IWDataObject* w = p;
  Hide(w);
  EXPECT_EQ(static_cast<IDataObject*>(p), w->FwdTo());
  IWXferable* dibEntry = w->Getables()->FindXferable(&dib0);
  ASSERT_NE(nullptr, dibEntry);
  ASSERT_EQ(S_OK, dibEntry->GetMedium(m, w->FwdTo()));
  EXPECT_EQ(DWORD(TYMED_HGLOBAL), m.tymed);
  EXPECT_EQ(nullptr, m.pUnkForRelease);
  ReleaseStgMedium(&m);
  // Pictures are never written onto the caller's medium (a forwarded format once
  // recursed through the picture itself).
  STGMEDIUM here = {};
  FORMATETC dib = Request(CF_DIB);
  EXPECT_EQ(DV_E_FORMATETC, d->GetDataHere(&dib, &here));
  d->Release();

  IDataObject* e = MakePicture(Kind::kEnhMetafile);
  EXPECT_EQ(S_OK, e->QueryGetData(&emf));
  e->Release();
}

TEST_F(Picture, AForeignSourceWithoutPicturesGivesAPictureOfNothing) {
  for (bool nullSource : {false, true}) {
    Source* s = new Source;
    s->offerText(CF_TEXT, "no picture");
    IWXferPicture* p = new IWXferPicture(nullSource ? nullptr : s);
    s->Release();
    EXPECT_EQ(0u, p->Held());
    IDataObject* d = p;
    Hide(d);
    for (CLIPFORMAT cf : kFormats) {
      FORMATETC f = Request(cf);
      STGMEDIUM m = {};
      m.tymed = TYMED_HGLOBAL;  // emptied by the call
      EXPECT_EQ(DV_E_FORMATETC, d->GetData(&f, &m)) << cf;
      EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
      EXPECT_EQ(DV_E_FORMATETC, d->QueryGetData(&f));
    }
    IEnumFORMATETC* e = nullptr;
    ASSERT_EQ(S_OK, d->EnumFormatEtc(DATADIR_GET, &e));
    FORMATETC f[8];
    ULONG got = 0;
    EXPECT_EQ(S_FALSE, e->Next(8, f, &got));
    e->Release();
    ASSERT_EQ(5u, got);
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(kFormats[i], f[i].cfFormat);
      EXPECT_EQ(kTymeds[i], f[i].tymed);
    }
    d->Release();
  }
}

TEST_F(Picture, AnEnhancedMetafileWithoutPaletteEntriesGivesNoPalette) {
  IDataObject* d = MakePicture(Kind::kEnhMetafile);
  FORMATETC f = Request(CF_PALETTE);
  STGMEDIUM m = {};
  EXPECT_EQ(S_OK, d->GetData(&f, &m));
  EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
  EXPECT_EQ(nullptr, m.hBitmap);
  d->Release();
}

TEST_F(Picture, DibFromXferData) {
  // Held: the DIB reads the picture's own block, the medium keeps its owner.
  IDataObject* d = MakePicture(Kind::kDib);
  STGMEDIUM m = {};
  TDib* dib = IWXferPicture::DibFromXferData(d, m);
  ASSERT_NE(nullptr, dib);
  EXPECT_EQ(DWORD(TYMED_HGLOBAL), m.tymed);
  EXPECT_NE(nullptr, m.pUnkForRelease);
  EXPECT_EQ(m.hGlobal, dib->GetHandle());
  EXPECT_EQ(kW, dib->Width());
  EXPECT_EQ(kH, dib->Height());
  delete dib;
  ReleaseStgMedium(&m);
  EXPECT_EQ(0u, d->Release());  // the medium's count came back

  // Converted: the DIB takes the block over and the medium is left empty, so that the
  // caller's release cannot free it a second time.
  IDataObject* e = MakePicture(Kind::kEnhMetafile);
  dib = IWXferPicture::DibFromXferData(e, m);
  ASSERT_NE(nullptr, dib);
  EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
  EXPECT_NEAR(kW, dib->Width(), 2);
  STGMEDIUM view = {};
  view.tymed = TYMED_HGLOBAL;
  view.hGlobal = dib->GetHandle();
  SIZE size;
  std::unique_ptr<Canvas> canvas = Render(CF_DIB, view, size);
  EXPECT_TRUE(Near(RGB(255, 0, 0), canvas->at(kW / 4, kH / 4), 40)) << Hex(canvas->at(kW / 4, kH / 4));
  EXPECT_TRUE(Near(RGB(255, 255, 0), canvas->at(3 * kW / 4, 3 * kH / 4), 40));
  delete dib;
  ReleaseStgMedium(&m);
  e->Release();

  // Nothing to read.
  Source* s = new Source;
  s->offerText(CF_TEXT, "x");
  EXPECT_EQ(nullptr, IWXferPicture::DibFromXferData(s, m));
  EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
  EXPECT_EQ(nullptr, IWXferPicture::DibFromXferData(nullptr, m));
  s->Release();
}

// ---- bad input from other programs ----

std::vector<char> DibBytes(int w, int h, int bits = 24) {
  HGLOBAL g = MakeDib(w, h, bits);
  std::vector<char> v(GlobalSize(g));
  std::memcpy(v.data(), GlobalLock(g), v.size());
  GlobalUnlock(g);
  GlobalFree(g);
  return v;
}

BITMAPINFOHEADER& Header(std::vector<char>& v) { return *reinterpret_cast<BITMAPINFOHEADER*>(v.data()); }

struct BadDib {
  const char* what;
  std::vector<char> bytes;
};

std::vector<BadDib> BadDibs() {
  std::vector<BadDib> cases;
  auto add = [&](const char* what, std::vector<char> v) { cases.push_back({what, std::move(v)}); };
  std::vector<char> v;
  v = DibBytes(8, 8);
  Header(v).biSize = DWORD(v.size() + 4);
  add("header larger than the block", v);
  v = DibBytes(8, 8, 8);
  Header(v).biClrUsed = 300;
  add("300 colours for 8 bits", v);
  v = DibBytes(8, 8, 8);
  Header(v).biClrUsed = 0xFFFFFFFFu;
  add("colour count -1", v);
  v = DibBytes(8, 8);
  Header(v).biClrUsed = 257;
  add("257 colours for 24 bits", v);
  v = DibBytes(8, 8);
  Header(v).biBitCount = 7;
  add("7 bits", v);
  v = DibBytes(8, 8);
  Header(v).biBitCount = 0;
  add("0 bits", v);
  v = DibBytes(8, 8);
  Header(v).biPlanes = 2;
  add("two planes", v);
  v = DibBytes(8, 8);
  Header(v).biWidth = 0;
  add("width 0", v);
  v = DibBytes(8, 8);
  Header(v).biHeight = 0;
  add("height 0", v);
  v = DibBytes(8, 8);
  Header(v).biWidth = 100000;
  add("width past the limit", v);
  v = DibBytes(8, 8);
  Header(v).biWidth = 0x7FFFFFFF;
  Header(v).biHeight = 0x7FFFFFFF;
  add("sizes whose product overflows", v);
  v = DibBytes(64, 64);
  v.resize(v.size() - 1);
  add("bits one byte short", v);
  v = DibBytes(64, 64, 8);
  v.resize(40 + 100);
  add("colour table cut", v);
  v = DibBytes(8, 8);
  v.resize(20);
  add("shorter than a header", v);
  v = DibBytes(8, 8);
  Header(v).biSize = 12;
  add("core header", v);
  v = DibBytes(8, 8);
  Header(v).biCompression = BI_BITFIELDS;
  add("bit fields on 24 bits", v);
  v = DibBytes(8, 8, 8);
  Header(v).biCompression = BI_RLE8;
  Header(v).biSizeImage = 100000;
  add("run-length bits larger than the block", v);
  v = DibBytes(8, 8);
  Header(v).biCompression = 4;  // a JPEG
  add("compressed picture", v);
  return cases;
}

TEST_F(Picture, MalformedDibsFromAForeignSourceAreRefused) {
  Owner owner;
  for (const BadDib& c : BadDibs()) {
    SCOPED_TRACE(c.what);
    for (bool owned : {false, true}) {
      Source* s = new Source;
      std::vector<char> bytes = c.bytes;
      s->offer(Format(CF_DIB, TYMED_HGLOBAL), [bytes, owned, &owner](STGMEDIUM& m) {
        m = GlobalMedium(bytes.data(), bytes.size());
        if (owned) {
          m.pUnkForRelease = &owner;
          owner.AddRef();
        }
        return S_OK;
      });
      IWXferPicture* p = new IWXferPicture(s);
      EXPECT_EQ(0u, p->Held());
      IDataObject* d = p;
      Hide(d);
      for (CLIPFORMAT cf : kFormats) {
        FORMATETC f = Request(cf);
        STGMEDIUM m = {};
        EXPECT_EQ(DV_E_FORMATETC, d->GetData(&f, &m));
        EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
      }
      d->Release();
      STGMEDIUM m = {};
      EXPECT_EQ(nullptr, IWXferPicture::DibFromXferData(s, m));
      EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
      s->Release();
      EXPECT_EQ(0, owner.refs) << "every refused medium is given back";
    }
  }
}

// Metafile pictures, metafiles and GDI handles that are not what they claim, and
// pictures too large to be made: no held format, or an error with no medium.
TEST_F(Picture, BadPictureMediaAreRefused) {
  struct Case {
    const char* what;
    CLIPFORMAT cf;
    std::function<void(STGMEDIUM&)> make;
  };
  const Case refused[] = {
      {"metafile picture block of 8 bytes", CF_METAFILEPICT,
       [](STGMEDIUM& m) {
         m.tymed = TYMED_MFPICT;
         m.hMetaFilePict = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8);
       }},
      {"metafile picture without metafile", CF_METAFILEPICT,
       [](STGMEDIUM& m) {
         m.tymed = TYMED_MFPICT;
         m.hMetaFilePict = MetafilePictBlock(MM_TEXT, 10, 10, nullptr);
       }},
      {"metafile picture over a brush", CF_METAFILEPICT,
       [](STGMEDIUM& m) {
         m.tymed = TYMED_MFPICT;
         // the brush is not ours to delete through the block: a stock one
         m.hMetaFilePict = MetafilePictBlock(MM_TEXT, 10, 10, HMETAFILE(GetStockObject(GRAY_BRUSH)));
       }},
      {"palette medium holding a bitmap", CF_PALETTE,
       [](STGMEDIUM& m) {
         m.tymed = TYMED_GDI;
         m.hBitmap = MakeBitmap(4, 4);
       }},
      {"bitmap medium holding a palette", CF_BITMAP,
       [](STGMEDIUM& m) {
         m.tymed = TYMED_GDI;
         m.hBitmap = HBITMAP(MakePalette(2));
       }},
      {"enhanced metafile medium holding a bitmap", CF_ENHMETAFILE,
       [](STGMEDIUM& m) {
         m.tymed = TYMED_ENHMF;
         m.hEnhMetaFile = HENHMETAFILE(MakeBitmap(4, 4));
       }},
      {"bitmap medium of the wrong kind", CF_BITMAP, [](STGMEDIUM& m) { m = TextMedium("not a bitmap"); }},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.what);
    Source* s = new Source;
    auto make = c.make;
    s->offer(Request(c.cf), [make](STGMEDIUM& m) {
      make(m);
      return S_OK;
    });
    IWXferPicture* p = new IWXferPicture(s);
    s->Release();
    EXPECT_EQ(0u, p->Held());
    p->Release();
  }

  // Held, but too large or without a size: every conversion refuses, nothing is left.
  const SIZE sizes[] = {{0, 10}, {10, -5}, {100000, 10}, {16384, 16384}};
  for (SIZE size : sizes) {
    SCOPED_TRACE(std::to_string(size.cx) + " by " + std::to_string(size.cy));
    Source* s = new Source;
    s->offer(Request(CF_METAFILEPICT), [size](STGMEDIUM& m) {
      m.tymed = TYMED_MFPICT;
      m.hMetaFilePict = MetafilePictBlock(MM_ANISOTROPIC, size.cx, size.cy, MakeMetafile(4, 4));
      return S_OK;
    });
    IWXferPicture* p = new IWXferPicture(s);
    s->Release();
    EXPECT_EQ(unsigned(IWXferPicture::kGotMetafilePict), p->Held());
    IDataObject* d = p;
    Hide(d);
    for (CLIPFORMAT cf : {CF_DIB, CF_BITMAP}) {
      FORMATETC f = Request(cf);
      STGMEDIUM m = {};
      HRESULT hr = d->GetData(&f, &m);
      EXPECT_TRUE(hr == DV_E_FORMATETC || hr == E_OUTOFMEMORY) << std::hex << hr;
      EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
    }
    d->Release();
  }
  // An enhanced metafile whose frame is far larger than any bitmap made from it.
  RECT huge = {0, 0, 100000000, 100000000};
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &huge, nullptr);
  DrawQuadrants(dc, 4, 4);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  IDataObject* d = new IWXferPicture(emf);
  Hide(d);
  DeleteEnhMetaFile(emf);
  for (CLIPFORMAT cf : {CF_DIB, CF_BITMAP, CF_METAFILEPICT}) {
    FORMATETC f = Request(cf);
    STGMEDIUM m = {};
    EXPECT_EQ(DV_E_FORMATETC, d->GetData(&f, &m)) << cf;
    EXPECT_EQ(DWORD(TYMED_NULL), m.tymed);
  }
  d->Release();
}

// ---- failures at every step ----

// Each conversion is run with its first, second, ... resource step failing until it
// runs through: every failure answers DV_E_FORMATETC or E_OUTOFMEMORY with an empty
// medium and leaves no handle of the conversion behind.
TEST_F(Picture, EveryFailingStepFreesWhatItMade) {
  for (const Cell& c : kMatrix) {
    if (c.heldOut) continue;  // hand-overs make nothing
    SCOPED_TRACE(std::string(Name(c.source)) + " as format " + std::to_string(c.cf));
    IDataObject* d = MakePicture(c.source);
    int failures = 0;
    for (long n = 1; n < 64; ++n) {
      FORMATETC f = Request(c.cf);
      STGMEDIUM m = {};
      IWXferPicture::FailStep(n);
      HRESULT hr = d->GetData(&f, &m);
      long steps = IWXferPicture::FailStep(0);
      EXPECT_EQ(0, IWXferPicture::ConversionHandles()) << "step " << n;
      if (hr == S_OK) {
        if (m.tymed != TYMED_NULL) ReleaseStgMedium(&m);
        if (n > steps) break;  // the failure never came: the conversion is done
        // A failing step the conversion can do without (none so far).
        ADD_FAILURE() << "step " << n << " of " << steps << " failed without an error";
        continue;
      }
      ++failures;
      EXPECT_TRUE(hr == DV_E_FORMATETC || hr == E_OUTOFMEMORY) << "step " << n << ": " << std::hex << hr;
      EXPECT_EQ(DWORD(TYMED_NULL), m.tymed) << "step " << n;
    }
    if (c.tymed != TYMED_NULL && !(c.cf == CF_PALETTE && c.palette < 0)) {
      EXPECT_GT(failures, 0);
    }
    d->Release();
  }
}

// A source whose offers fail: its formats are forwarded and the picture converts from
// what it did give.
TEST_F(Picture, ASourceFailingAtChosenFormats) {
  for (CLIPFORMAT failing : {CF_PALETTE, CF_DIB}) {
    Source* s = new Source;
    s->offer(Format(CF_PALETTE, TYMED_GDI), [failing](STGMEDIUM& m) {
      if (failing == CF_PALETTE) return E_OUTOFMEMORY;
      m.tymed = TYMED_GDI;
      m.hBitmap = HBITMAP(MakePalette(4));
      return S_OK;
    });
    s->offer(Format(CF_DIB, TYMED_HGLOBAL), [failing](STGMEDIUM& m) {
      if (failing == CF_DIB) return DV_E_TYMED;
      m.tymed = TYMED_HGLOBAL;
      m.hGlobal = MakeDib(kW, kH, 8);
      return S_OK;
    });
    s->offer(Format(CF_ENHMETAFILE, TYMED_ENHMF), [](STGMEDIUM& m) {
      m.tymed = TYMED_ENHMF;
      m.hEnhMetaFile = MakeEnhMetafile(kW, kH);
      return S_OK;
    });
    IWXferPicture* p = new IWXferPicture(s);
    s->Release();
    unsigned want = IWXferPicture::kGotEnhMetafile |
                    (failing == CF_PALETTE ? IWXferPicture::kGotDib : IWXferPicture::kGotPalette);
    EXPECT_EQ(want, p->Held());
    IDataObject* d = p;
    Hide(d);
    FORMATETC f = Request(CF_BITMAP);
    STGMEDIUM m = {};
    EXPECT_EQ(S_OK, d->GetData(&f, &m));
    EXPECT_EQ(DWORD(TYMED_GDI), m.tymed);
    ReleaseStgMedium(&m);
    d->Release();
  }
}

// ---- counts after many conversions ----

TEST_F(Picture, HandleCountsComeBackAfterManyConversions) {
  const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  std::vector<IDataObject*> pictures;
  for (Kind k : {Kind::kBitmap, Kind::kDib, Kind::kEnhMetafile, Kind::kMetafilePict, Kind::kForeign})
    pictures.push_back(MakePicture(k));
  for (int round = 0; round < 40; ++round) {
    for (size_t i = 0; i < pictures.size(); ++i)
      for (CLIPFORMAT cf : kFormats) {
        FORMATETC f = Request(cf);
        STGMEDIUM m = {};
        IWXferPicture::FailStep(round % 4 ? 0 : 1 + round / 4 % 6);  // some fail
        if (SUCCEEDED(pictures[i]->GetData(&f, &m)) && m.tymed != TYMED_NULL) ReleaseStgMedium(&m);
        IWXferPicture::FailStep(0);
        ASSERT_EQ(0, IWXferPicture::ConversionHandles());
      }
  }
  for (IDataObject* d : pictures) EXPECT_EQ(0u, d->Release());
  const DWORD gdiAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  // Where the platform counts GDI objects, none is left of a thousand conversions.
  if (gdiBefore) {
    EXPECT_EQ(gdiBefore, gdiAfter);
  }
}

}  // namespace
