// Lines through the drawing surface against plain GDI calls. By hand:
//   source scripts/wine-env.sh; "$OV_WINE" build-$OV_ARCH/bin/drawable_bench.exe [LINES]
// Draws LINES lines (10,000 by default) into a memory DC through TDrawable::imLineTo
// (unit conversion, the DC holder, the position) and the same lines with MoveToEx and
// LineTo, each best of five rounds, and prints both times and their ratio.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "owlext/drawable.h"
#include "winlib/dc.h"

namespace {

class BenchSurface : public TDrawable {
 public:
  explicit BenchSurface(TDC* dc) {
    SetCachedDC(dc);
    configureDC();
  }
  ~BenchSurface() override { SetCachedDC(nullptr); }
  void DrawUnits2Pixels(float x, float y, TPoint& out) override {
    out.x = (int)(x * 0.5f + 0.5f);
    out.y = (int)(y * 0.5f + 0.5f);
  }
  TDC* getDC() override { return CachedDC; }
};

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f) {
  return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  int lines = argc > 1 ? std::atoi(argv[1]) : 10000;
  if (lines <= 0) lines = 10000;
  TScreenDC screen;
  TBitmap bitmap(screen, 512, 512);
  TMemoryDC* dc = new TMemoryDC(screen);
  dc->SelectObject(bitmap);
  HDC h = dc->GetHDC();
  BenchSurface surface(dc);
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  double best[2] = {1e9, 1e9};
  for (int round = 0; round < 5; ++round) {
    QueryPerformanceCounter(&a);
    for (int i = 0; i < lines; ++i) {
      float x = (float)((i * 37) % 1000), y = (float)((i * 91) % 1000);
      surface.imMoveTo(x, y);
      surface.imLineTo(1000 - x, 1000 - y);
    }
    QueryPerformanceCounter(&b);
    double t = Seconds(a, b, f);
    if (t < best[0]) best[0] = t;
    QueryPerformanceCounter(&a);
    for (int i = 0; i < lines; ++i) {
      int x = ((i * 37) % 1000) / 2, y = ((i * 91) % 1000) / 2;
      MoveToEx(h, x, y, nullptr);
      LineTo(h, 500 - x, 500 - y);
    }
    QueryPerformanceCounter(&b);
    t = Seconds(a, b, f);
    if (t < best[1]) best[1] = t;
  }
  std::printf("%d lines: TDrawable %.3f ms, MoveToEx/LineTo %.3f ms, ratio %.2f\n", lines, best[0] * 1e3,
              best[1] * 1e3, best[1] > 0 ? best[0] / best[1] : 0.0);
  return 0;
}
