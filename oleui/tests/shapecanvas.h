// A memory DC for pixel checks of the test shape, shared by the OLE tests.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

// A 200 x 100 memory DC over a top-down 32-bit DIB, filled grey.
class Canvas {
 public:
  static constexpr int kW = 200, kH = 100;
  Canvas() {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = kW;
    bi.bmiHeader.biHeight = -kH;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bm_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0);
    old_ = SelectObject(dc_, bm_);
    RECT all = {0, 0, kW, kH};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bm_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC dc() const { return dc_; }
  COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bm_;
  HGDIOBJ old_;
};

// Draws obj into (20,10)-(180,90) and checks the shape: its colour in the middle, white
// in the corners of its rectangle, the canvas untouched outside.
inline void expectShape(IUnknown* obj, COLORREF color) {
  Canvas c;
  RECT r = {20, 10, 180, 90};
  ASSERT_EQ(S_OK, OleDraw(obj, DVASPECT_CONTENT, c.dc(), &r));
  EXPECT_EQ(color, c.at(100, 50));
  EXPECT_EQ(color, c.at(40, 50));
  EXPECT_EQ(RGB(255, 255, 255), c.at(21, 11));
  EXPECT_EQ(RGB(255, 255, 255), c.at(178, 88));
  EXPECT_EQ(c.at(5, 5), c.at(190, 95));
  EXPECT_NE(RGB(255, 255, 255), c.at(5, 5));
}
