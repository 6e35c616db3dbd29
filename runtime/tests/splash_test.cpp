// The splash window: with and without a bitmap, one per process, the status line, and
// system commands passed on to the main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launchertest.h"
#include "runtime/splash.h"
#include "testkit/testkit.h"
#include "winlib/framewin.h"

using namespace launchertest;

namespace {

// A 24-bit bottom-up bitmap file filled with one colour.
void WriteBitmap(const std::string& path, int w, int h, COLORREF colour) {
  int stride = (w * 3 + 3) & ~3;
  BITMAPFILEHEADER fh = {};
  BITMAPINFOHEADER ih = {};
  ih.biSize = sizeof ih;
  ih.biWidth = w;
  ih.biHeight = h;
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  ih.biSizeImage = DWORD(stride * h);
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + ih.biSizeImage;
  std::vector<unsigned char> pixels(ih.biSizeImage);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char* p = &pixels[size_t(y * stride + x * 3)];
      p[0] = GetBValue(colour);
      p[1] = GetGValue(colour);
      p[2] = GetRValue(colour);
    }
  FILE* f = fopen(path.c_str(), "wb");
  fwrite(&fh, sizeof fh, 1, f);
  fwrite(&ih, sizeof ih, 1, f);
  fwrite(pixels.data(), pixels.size(), 1, f);
  fclose(f);
}

SIZE WindowSize(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void Pump() {
  testkit::PumpUntil([] { return false; }, 200);
}

TEST(LauncherSplash, WithoutAFileTheWindowExistsEmpty) {
  ShowSplash(nullptr, 0);
  HWND splash = SplashHandle();
  ASSERT_NE(nullptr, splash);
  char cls[32];
  GetClassNameA(splash, cls, sizeof cls);
  EXPECT_STREQ("OrvanelMain", cls);
  EXPECT_FALSE(SplashHasBitmap());
  SIZE s = WindowSize(splash);
  EXPECT_EQ(0, s.cx);
  EXPECT_EQ(0, s.cy);
  // A second call makes no second window.
  ShowSplash("whatever.bmp", 1);
  EXPECT_EQ(splash, SplashHandle());
  DestroySplash();
  EXPECT_EQ(nullptr, SplashHandle());
  // A missing file: still a window, without a bitmap.
  ShowSplash("no-such-splash.bmp", 0);
  ASSERT_NE(nullptr, SplashHandle());
  EXPECT_FALSE(SplashHasBitmap());
  testkit::Screenshot("ovrun_splash_without_bitmap.png");
  DestroySplash();
}

TEST(LauncherSplash, ABitmapSizesTheWindowAndTheStatusLineDrawsOnIt) {
  testkit::TestDataDir dir("ovrun_splash");
  std::string bmp = dir.File("splash.bmp");
  WriteBitmap(bmp, 120, 80, RGB(200, 30, 30));
  ShowSplash(bmp.c_str(), 1);
  HWND splash = SplashHandle();
  ASSERT_NE(nullptr, splash);
  int w = 0, h = 0;
  EXPECT_TRUE(SplashHasBitmap(&w, &h));
  EXPECT_EQ(120, w);
  EXPECT_EQ(80, h);
  SIZE s = WindowSize(splash);
  EXPECT_EQ(2 * GetSystemMetrics(SM_CXDLGFRAME) + 120 + 2, s.cx);
  EXPECT_EQ(2 * GetSystemMetrics(SM_CYDLGFRAME) + 80 + 2, s.cy);
  Pump();  // the first paint
  ShowStatus("Preloading modules");
  testkit::Image shot = testkit::Capture(splash);
  ASSERT_GT(shot.width, 10);
  EXPECT_EQ(RGB(200, 30, 30), shot.Pixel(shot.width / 2, 5));
  // The status line is black text on the bitmap's bottom rows.
  bool dark = false;
  for (int y = shot.height - 16; y < shot.height && !dark; ++y)
    for (int x = 2; x < 60 && !dark; ++x) dark = shot.Pixel(x, y) == RGB(0, 0, 0);
  EXPECT_TRUE(dark);
  testkit::Screenshot("ovrun_splash_with_bitmap.png");
  SinkSplash();
  s = WindowSize(splash);
  EXPECT_EQ(0, s.cx);
  EXPECT_EQ(0, s.cy);
  DestroySplash();
}

TEST(LauncherSplash, SystemCommandsArePassedOnOnceUntilAnotherComesBetween) {
  static std::vector<WPARAM> received;
  received.clear();
  Launch launch({}, "Main");
  TestApp app(1, launch.argv.data(), 0x01000000, launch.modules, &launch.app[0], nullptr);
  TFrameWindow* main = new TFrameWindow(nullptr, "Splash target");
  app.SetMainWindow(main);
  main->Create();
  static WNDPROC original = nullptr;
  original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(main->HWindow, GWLP_WNDPROC,
                        reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                          if (m == WM_SYSCOMMAND) {
                            received.push_back(wp & 0xFFF0);
                            return 0;
                          }
                          return CallWindowProcA(original, h, m, wp, lp);
                        })));
  ShowSplash(nullptr, 0);
  HWND splash = SplashHandle();
  SendMessageA(splash, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  SendMessageA(splash, WM_SYSCOMMAND, SC_MINIMIZE, 0);  // repeated: not passed again
  SendMessageA(splash, WM_SYSCOMMAND, SC_MAXIMIZE, 0);  // passed as restore
  SendMessageA(splash, WM_SYSCOMMAND, SC_CLOSE, 0);
  std::vector<WPARAM> expected = {SC_MINIMIZE, SC_RESTORE, SC_CLOSE};
  EXPECT_EQ(expected, received);
  EXPECT_TRUE(IsWindow(splash));  // close went to the main window, not here
  SetWindowLongPtrA(main->HWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  DestroySplash();
}

}  // namespace
