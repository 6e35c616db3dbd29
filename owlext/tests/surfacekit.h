// What the window extensions' tests share: a drawing surface over a memory DC (no window),
// with its own scale, a canvas to read pixels back from, and the refusal check.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <functional>
#include <string>

#include "owlext/drawable.h"
#include "owlext/owlexterror.h"
#include "winlib/dc.h"

namespace surfacekit {

const COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0),
               kBlue = RGB(0, 0, 255);

// A w x h screen-compatible bitmap in a memory DC, cleared to white. The DC is handed
// to a surface (which deletes it) or deleted here.
class Canvas {
 public:
  Canvas(int w, int h) : dc_(new TMemoryDC(screen_)), bitmap_(screen_, w, h), w_(w), h_(h) {
    dc_->SelectObject(bitmap_);
    clear();
  }
  ~Canvas() { delete dc_; }
  void clear() { fill(kWhite); }
  void fill(COLORREF c) {
    TBrush b{TColor(c)};
    TRect all(0, 0, w_, h_);
    ::FillRect(handle(), &all, b);
  }
  COLORREF at(int x, int y) const { return COLORREF(::GetPixel(hdc_, x, y)); }
  // The DC leaves the canvas's ownership; the canvas keeps reading through its handle.
  TDC* release() {
    TDC* dc = dc_;
    hdc_ = dc->GetHDC();
    dc_ = nullptr;
    return dc;
  }
  HDC handle() const { return dc_ ? dc_->GetHDC() : hdc_; }
  // Pixels that are not the background.
  int inked(COLORREF background = kWhite) const {
    int n = 0;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) n += at(x, y) != background;
    return n;
  }
  int width() const { return w_; }
  int height() const { return h_; }

 private:
  TScreenDC screen_;
  TMemoryDC* dc_;
  TBitmap bitmap_;
  HDC hdc_ = nullptr;
  int w_, h_;
};

// A surface drawing into a canvas: pixel = (unit - origin) * factor, rounded; the DC
// is cached from the start (as a form's is once shown) unless made without one.
class MemSurface : public TDrawable {
 public:
  explicit MemSurface(Canvas* canvas, float factor = 1, float ox = 0, float oy = 0)
      : factor_(factor), ox_(ox), oy_(oy), canvas_(canvas) {
    if (canvas_) {
      SetCachedDC(canvas_->release());
      configureDC();
    }
  }
  // The DC goes while the canvas's bitmap is still there.
  ~MemSurface() override { SetCachedDC(nullptr); }

  void DrawUnits2Pixels(float x, float y, TPoint& out) override {
    out.x = (int)std::floor((x - ox_) * factor_ + 0.5f);
    out.y = (int)std::floor((y - oy_) * factor_ + 0.5f);
  }
  TDC* getDC() override {
    ++gets;
    return CachedDC;
  }
  void releaseDC(TDC* dc) override {
    ++releases;
    EXPECT_EQ(CachedDC, dc);
  }
  uint32_t getBkColor() override { return kWhite; }
  void drawableChanged(int border) override { ++changes[border ? 1 : 0]; }
  void drawableCls() override { ++clears; }

  int gets = 0, releases = 0, clears = 0;
  int changes[2] = {0, 0};  // state, border

 private:
  float factor_, ox_, oy_;
  Canvas* canvas_;
};

// f must be refused with kind naming name.
inline void ExpectRefused(const std::function<void()>& f, OwlExtErrorKind kind, const std::string& name) {
  try {
    f();
    ADD_FAILURE() << "not refused: " << name;
  } catch (const TXOwlExt& e) {
    EXPECT_EQ(kind, e.kind());
    EXPECT_EQ(name, e.name());
  }
}

}  // namespace surfacekit
