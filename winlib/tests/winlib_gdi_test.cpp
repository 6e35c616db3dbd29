// GDI wrappers checked by reading pixels back: drawing into a memory DC, selection and
// restoring, DIBs loaded from BMP files and drawn, metafiles played into bitmaps.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "testkit/testkit.h"
#include "winlib/dc.h"
#include "winlib/dib.h"
#include "winlib/except.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255),
               kBlack = RGB(0, 0, 0), kGreen = RGB(0, 255, 0);

// A memory DC with a screen-compatible bitmap, cleared to white.
struct Canvas {
  TScreenDC screen;
  TMemoryDC dc{screen};
  TBitmap bitmap;
  Canvas(int w, int h) : bitmap(screen, w, h) {
    dc.SelectObject(bitmap);
    dc.FillRect(TRect(0, 0, w, h), TBrush::Stock(WHITE_BRUSH));
  }
};

TEST(WinLibGdi, DrawingIntoAMemoryDC) {
  Canvas c(40, 40);
  TPen bluePen{TColor(kBlue)};
  TBrush redBrush{TColor(kRed)};
  c.dc.SelectObject(bluePen);
  c.dc.SelectObject(redBrush);
  c.dc.Rectangle(4, 4, 14, 14);
  c.dc.MoveTo(20, 2);
  c.dc.LineTo(20, 30);
  TPoint tri[] = {TPoint(24, 24), TPoint(38, 24), TPoint(31, 38)};
  c.dc.Polygon(tri, 3);
  c.dc.SetPixel(2, 35, TColor(kGreen));

  struct {
    int x, y;
    COLORREF want;
  } pixels[] = {{4, 4, kBlue},    {13, 9, kBlue}, {8, 8, kRed},    {20, 10, kBlue},
                {21, 10, kWhite}, {31, 28, kRed}, {2, 35, kGreen}, {0, 0, kWhite}};
  for (auto& p : pixels) EXPECT_EQ(COLORREF(c.dc.GetPixel(p.x, p.y)), p.want) << p.x << "," << p.y;

  // Restoring puts the DC's own objects back.
  c.dc.RestorePen();
  c.dc.RestoreBrush();
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));

  // XOR drawing twice restores the picture.
  TPen white{TColor(kWhite)};
  c.dc.SelectObject(white);
  EXPECT_EQ(c.dc.SetROP2(R2_XORPEN), R2_COPYPEN);
  c.dc.MoveTo(0, 20);
  c.dc.LineTo(40, 20);
  EXPECT_EQ(COLORREF(c.dc.GetPixel(10, 20)), kBlack);
  c.dc.MoveTo(0, 20);
  c.dc.LineTo(40, 20);
  EXPECT_EQ(COLORREF(c.dc.GetPixel(10, 20)), kWhite);
  EXPECT_EQ(c.dc.GetROP2(), R2_XORPEN);

  // Text.
  TFont font("Arial", 16);
  c.dc.SelectObject(font);
  TSize extent = c.dc.GetTextExtent("Wg");
  EXPECT_GT(extent.cx, 0);
  EXPECT_GT(extent.cy, 0);
}

TEST(WinLibGdi, ColoursAndChecks) {
  EXPECT_EQ(TColor::None.GetValue(), 0xFE000000u);
  EXPECT_TRUE(TColor::None.IsNone());
  EXPECT_EQ(COLORREF(TColor::SysWindow), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(TColor::White.GetValue(), kWhite);
  EXPECT_THROW(TDC(HDC(nullptr)), TXGdi);
  EXPECT_THROW(TBitmap(GetModuleHandleA(nullptr), "NoSuchBitmap"), TXGdi);
}

// BMP files written byte by byte: a 24-bit 3x2 and an 8-bit 2x2 with four colours.
void Put16(std::vector<unsigned char>& v, unsigned x) {
  v.push_back(x & 0xFF);
  v.push_back(x >> 8);
}
void Put32(std::vector<unsigned char>& v, unsigned x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

std::vector<unsigned char> Bmp(int w, int h, int bits, const std::vector<COLORREF>& table,
                               const std::vector<unsigned char>& pixelBytes) {
  std::vector<unsigned char> v;
  unsigned head = 14 + 40 + unsigned(table.size()) * 4;
  v.push_back('B');
  v.push_back('M');
  Put32(v, head + unsigned(pixelBytes.size()));
  Put32(v, 0);
  Put32(v, head);
  Put32(v, 40);
  Put32(v, unsigned(w));
  Put32(v, unsigned(h));
  Put16(v, 1);
  Put16(v, unsigned(bits));
  Put32(v, 0);
  Put32(v, 0);
  Put32(v, 2835);
  Put32(v, 2835);
  Put32(v, unsigned(table.size()));
  Put32(v, 0);
  for (COLORREF c : table) {
    v.push_back(GetBValue(c));
    v.push_back(GetGValue(c));
    v.push_back(GetRValue(c));
    v.push_back(0);
  }
  v.insert(v.end(), pixelBytes.begin(), pixelBytes.end());
  return v;
}

void Write(const std::string& path, const std::vector<unsigned char>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

TEST(WinLibGdi, DibFromBmpFileDrawn) {
  testkit::TestDataDir dir("winlib_dib");
  // 24-bit, bottom-up rows padded to 12 bytes: bottom row red, green, blue; top row white,
  // black, red.
  std::vector<unsigned char> rows = {0,   0,   255, 0, 255, 0, 255, 0, 0,   0, 0, 0,
                                     255, 255, 255, 0, 0,   0, 0,   0, 255, 0, 0, 0};
  std::string file24 = dir.File("rgb.bmp");
  Write(file24, Bmp(3, 2, 24, {}, rows));
  // 8-bit with four colours: bottom row indices 0,1; top row 2,3 (rows padded to 4).
  std::string file8 = dir.File("pal.bmp");
  Write(file8, Bmp(2, 2, 8, {kRed, kGreen, kBlue, kWhite}, {0, 1, 0, 0, 2, 3, 0, 0}));

  TDib rgb(file24.c_str());
  EXPECT_EQ(rgb.Width(), 3);
  EXPECT_EQ(rgb.Height(), 2);
  EXPECT_EQ(rgb.BitsPixel(), 24);
  EXPECT_EQ(rgb.NumColors(), 0u);
  EXPECT_EQ(rgb.Usage(), DIB_RGB_COLORS);

  Canvas c(8, 8);
  c.dc.StretchDIBits(TRect(0, 0, 3, 2), TRect(0, 0, 3, 2), rgb);
  COLORREF want24[2][3] = {{kWhite, kBlack, kRed}, {kRed, kGreen, kBlue}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(COLORREF(c.dc.GetPixel(x, y)), want24[y][x]) << x << "," << y;

  TDib pal(file8.c_str());
  EXPECT_EQ(pal.NumColors(), 4u);
  EXPECT_EQ(pal.GetColor(2).GetValue(), kBlue);
  EXPECT_EQ(pal.GetColor(9), TColor::None);
  // Through a bitmap made from the DIB, stretched twice as large.
  TBitmap fromDib(pal);
  EXPECT_EQ(fromDib.Size(), TSize(2, 2));
  TMemoryDC src(c.screen);
  src.SelectObject(fromDib);
  c.dc.StretchBlt(TRect(4, 4, 8, 8), src, TRect(0, 0, 2, 2));
  COLORREF want8[2][2] = {{kBlue, kWhite}, {kRed, kGreen}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(COLORREF(c.dc.GetPixel(4 + x, 4 + y)), want8[y / 2][x / 2]) << x << "," << y;
  TPalette palette(pal);
  EXPECT_EQ(palette.GetNumEntries(), 4u);

  // Writing and reading back, copying, and adopting the packed block.
  std::string copyFile = dir.File("copy.bmp");
  ASSERT_TRUE(pal.WriteFile(copyFile.c_str()));
  TDib again(copyFile.c_str());
  ASSERT_EQ(again.SizeImage(), pal.SizeImage());
  EXPECT_EQ(0, memcmp(again.GetBits(), pal.GetBits(), pal.SizeImage()));
  TDib copy(again);
  EXPECT_EQ(copy.GetColor(3).GetValue(), kWhite);
  TDib adopted(copy.GetHandle(), NoAutoDelete);
  EXPECT_EQ(adopted.Width(), 2);
  // A DIB taken from a bitmap.
  TDib fromBitmap(c.bitmap);
  EXPECT_EQ(fromBitmap.Width(), 8);
  EXPECT_EQ(fromBitmap.BitsPixel(), 24);

  // A pattern brush from the 8-bit DIB repeats its pixels.
  TBrush pattern(pal);
  c.dc.SetBrushOrg(TPoint(0, 0));
  c.dc.FillRect(TRect(0, 0, 8, 4), pattern);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(COLORREF(c.dc.GetPixel(x, y)), want8[y % 2][x % 2]) << "pattern " << x << "," << y;

  // Files that are not bitmaps fail with the GDI exception.
  std::string bad = dir.File("bad.bmp");
  Write(bad, {'B', 'M', 1, 2, 3});
  EXPECT_THROW(TDib d(bad.c_str()), TXGdi);
  EXPECT_THROW(TDib d(dir.File("missing.bmp").c_str()), TXGdi);
  std::vector<unsigned char> truncated = Bmp(3, 2, 24, {}, rows);
  truncated.resize(truncated.size() - 6);
  Write(bad, truncated);
  EXPECT_THROW(TDib d(bad.c_str()), TXGdi);
}

TEST(WinLibGdi, DibAndBitmapFromResources) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  TDib dib(self, MAKEINTRESOURCEA(7001));
  EXPECT_EQ(dib.Size(), TSize(2, 2));
  EXPECT_EQ(dib.NumColors(), 4u);
  EXPECT_EQ(dib.GetColor(1).GetValue(), kGreen);
  TBitmap bitmap(self, MAKEINTRESOURCEA(7001));
  EXPECT_EQ(bitmap.Size(), TSize(2, 2));
  EXPECT_THROW(TDib(self, MAKEINTRESOURCEA(7999)), TXGdi);
}

TEST(WinLibGdi, BlankDibs) {
  struct {
    int colors;
    int bits;
    uint32_t image;
  } cases[] = {{2, 1, 4 * 5}, {16, 4, 8 * 5}, {256, 8, 12 * 5}, {0, 24, 32 * 5}};
  for (auto& c : cases) {
    TDib dib(10, 5, c.colors);
    EXPECT_EQ(dib.BitsPixel(), c.bits) << c.colors;
    EXPECT_EQ(dib.NumColors(), uint(c.colors));
    EXPECT_EQ(dib.SizeImage(), c.image) << c.colors;
  }
  TDib dib(2, 1, 2);
  dib.SetColor(1, TColor(kBlue));
  static_cast<unsigned char*>(dib.GetBits())[0] = 0x40;  // pixels 0, 1
  Canvas c(2, 1);
  c.dc.SetDIBitsToDevice(TRect(0, 0, 2, 1), TPoint(0, 0), dib);
  EXPECT_EQ(COLORREF(c.dc.GetPixel(0, 0)), kBlack);
  EXPECT_EQ(COLORREF(c.dc.GetPixel(1, 0)), kBlue);
  EXPECT_THROW(TDib(0, 5, 2), TXGdi);
}

TEST(WinLibGdi, MetafilePlayedIntoABitmap) {
  TMetaFileDC meta;
  TBrush red{TColor(kRed)};
  meta.SelectObject(red);
  meta.SetWindowExt(TSize(10, 10));
  meta.Rectangle(0, 0, 10, 10);
  HMETAFILE mf = meta.Close();
  ASSERT_TRUE(mf);
  TBitmap picture(mf, nullptr, TSize(20, 20));
  DeleteMetaFile(mf);
  TScreenDC screen;
  TMemoryDC dc(screen);
  dc.SelectObject(picture);
  EXPECT_EQ(COLORREF(dc.GetPixel(10, 10)), kRed);
}

}  // namespace
