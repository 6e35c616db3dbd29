// The shading over an open object, read back from a memory DC, and HIMETRIC conversions.
#include <gtest/gtest.h>

#include "oleui/oleuistd.h"
#include "oleuixform.h"

namespace {

// A white 64 x 64 top-down 32-bit DIB selected into a memory DC, pixels readable.
class Canvas {
 public:
  static constexpr int kSize = 64;
  Canvas() {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = kSize;
    bi.bmiHeader.biHeight = -kSize;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bm_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bm_);
    RECT all = {0, 0, kSize, kSize};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    GdiFlush();
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bm_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  bool black(int x, int y) const {
    GdiFlush();
    return (bits_[y * kSize + x] & 0xFFFFFF) == 0;
  }
  bool white(int x, int y) const {
    GdiFlush();
    return (bits_[y * kSize + x] & 0xFFFFFF) == 0xFFFFFF;
  }

 private:
  HDC dc_;
  HBITMAP bm_;
  HGDIOBJ old_;
  DWORD* bits_ = nullptr;
};

// Where each way of shading hatches, for rect (16,16)-(48,48) and width w.
bool hatchedArea(DWORD flags, int w, int x, int y) {
  auto inside = [](int x, int y, int l, int t, int r, int b) { return x >= l && x < r && y >= t && y < b; };
  switch (flags) {
    case OLEUI_SHADE_FULLRECT:
      return inside(x, y, 16, 16, 48, 48);
    case OLEUI_SHADE_BORDERIN:
      return inside(x, y, 16, 16, 48, 48) && !inside(x, y, 16 + w, 16 + w, 48 - w, 48 - w);
    case OLEUI_SHADE_BORDEROUT:
      return inside(x, y, 16 - w, 16 - w, 48 + w, 48 + w) && !inside(x, y, 16, 16, 48, 48);
  }
  return false;
}

struct ShadeCase {
  DWORD flags;
  UINT width;    // given
  int expected;  // band width drawn
};

TEST(OleUIDrawShading, HatchesExactlyTheAreaOfEachWay) {
  const ShadeCase cases[] = {
      {OLEUI_SHADE_FULLRECT, 0, 0},  {OLEUI_SHADE_BORDERIN, 0, int(kOleUIShadeDefaultWidth)},
      {OLEUI_SHADE_BORDERIN, 6, 6},  {OLEUI_SHADE_BORDEROUT, 0, int(kOleUIShadeDefaultWidth)},
      {OLEUI_SHADE_BORDEROUT, 8, 8},
  };
  for (const ShadeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "flags " << c.flags << " width " << c.width);
    Canvas canvas;
    RECT r = {16, 16, 48, 48};
    ASSERT_TRUE(OleUIDrawShading(&r, canvas.dc(), c.flags, c.width));
    EXPECT_EQ(16, r.left);  // the caller's rectangle stays as it was
    EXPECT_EQ(48, r.right);
    int hatched = 0, area = 0;
    for (int y = 0; y < Canvas::kSize; ++y)
      for (int x = 0; x < Canvas::kSize; ++x) {
        bool in = hatchedArea(c.flags, c.expected, x, y);
        bool line = (x + y) % 4 == 0;
        if (in) ++area;
        if (in && line) {
          EXPECT_TRUE(canvas.black(x, y)) << x << "," << y;
          ++hatched;
        } else {
          ASSERT_TRUE(canvas.white(x, y)) << x << "," << y;
        }
      }
    // A quarter of the area is hatch.
    EXPECT_NEAR(area / 4, hatched, area / 16 + 2);
  }
}

TEST(OleUIDrawShading, KeepsWhatIsUnderTheGapsAndTheDCState) {
  Canvas canvas;
  RECT all = {0, 0, Canvas::kSize, Canvas::kSize};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(canvas.dc(), &all, red);
  DeleteObject(red);
  SetTextColor(canvas.dc(), RGB(1, 2, 3));
  SetBkColor(canvas.dc(), RGB(4, 5, 6));
  HGDIOBJ brush = GetCurrentObject(canvas.dc(), OBJ_BRUSH);
  RECT r = {0, 0, 32, 32};
  ASSERT_TRUE(OleUIDrawShading(&r, canvas.dc(), OLEUI_SHADE_FULLRECT, 0));
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(canvas.dc(), 1, 0));
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(canvas.dc(), 2, 2));
  EXPECT_EQ(RGB(1, 2, 3), GetTextColor(canvas.dc()));
  EXPECT_EQ(RGB(4, 5, 6), GetBkColor(canvas.dc()));
  EXPECT_EQ(brush, GetCurrentObject(canvas.dc(), OBJ_BRUSH));
}

TEST(OleUIDrawShading, RefusesNullsAndUnknownWays) {
  Canvas canvas;
  RECT r = {16, 16, 48, 48};
  EXPECT_FALSE(OleUIDrawShading(nullptr, canvas.dc(), OLEUI_SHADE_FULLRECT, 0));
  EXPECT_FALSE(OleUIDrawShading(&r, nullptr, OLEUI_SHADE_FULLRECT, 0));
  EXPECT_FALSE(OleUIDrawShading(&r, canvas.dc(), 0, 0));
  EXPECT_FALSE(OleUIDrawShading(&r, canvas.dc(), 4, 0));
  for (int y = 0; y < Canvas::kSize; ++y)
    for (int x = 0; x < Canvas::kSize; ++x) ASSERT_TRUE(canvas.white(x, y));
}

struct XformCase {
  int himetric, dpi, pixels;
};

TEST(HimetricToPixels, RoundsToTheNearestPixelAt96And120Dpi) {
  const XformCase cases[] = {
      {0, 96, 0},          {2540, 96, 96},   {2540, 120, 120}, {1270, 96, 48},        {1270, 120, 60},
      {26, 96, 1},         {13, 96, 0},      {14, 96, 1},      {11, 120, 1},          {10, 120, 0},
      {5080, 96, 192},     {5080, 120, 240}, {-2540, 96, -96}, {-14, 96, -1},         {100000, 96, 3780},
      {100000, 120, 4724}, {39, 96, 1},      {40, 96, 2},      {2000000, 120, 94488},
  };
  for (const XformCase& c : cases)
    EXPECT_EQ(c.pixels, oleui::himetricToPixels(c.himetric, c.dpi)) << c.himetric << " at " << c.dpi;
}

TEST(HimetricToPixels, ExportedFunctionsUseTheDCsResolution) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(nullptr, screen);
  const int dx = GetDeviceCaps(screen, LOGPIXELSX), dy = GetDeviceCaps(screen, LOGPIXELSY);
  for (int him : {0, 26, 1270, 2540, 5080, -2540}) {
    EXPECT_EQ(oleui::himetricToPixels(him, dx), XformWidthInHimetricToPixels(screen, him));
    EXPECT_EQ(oleui::himetricToPixels(him, dy), XformHeightInHimetricToPixels(screen, him));
    // No DC: the screen's.
    EXPECT_EQ(XformWidthInHimetricToPixels(screen, him), XformWidthInHimetricToPixels(nullptr, him));
    EXPECT_EQ(XformHeightInHimetricToPixels(screen, him), XformHeightInHimetricToPixels(nullptr, him));
  }
  ReleaseDC(nullptr, screen);
  // One inch is one inch of the screen.
  EXPECT_EQ(dx, XformWidthInHimetricToPixels(nullptr, 2540));
}

}  // namespace
