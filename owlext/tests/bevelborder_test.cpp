// Bevel borders: the size table, the usable rectangle, refused values, and the painted
// bevels read back from a memory DC.
#include <gtest/gtest.h>
#include <windows.h>

#include "olecls/oclstream.h"
#include "owlext/bevelborder.h"
#include "surfacekit.h"
#include "winlib/window.h"

namespace {

using namespace surfacekit;

class CountingBorder : public TBevelBorder {
 public:
  void borderChanged() override { ++changes; }
  int changes = 0;
};

struct Setting {
  long inner, outer;
  short bevel, border;
  long outlined;
};

void Apply(TBevelBorder& b, const Setting& s) {
  b.pdSetBevelInner(s.inner);
  b.pdSetBevelOuter(s.outer);
  b.pdSetBevelWidth(s.bevel);
  b.pdSetBorderWidth(s.border);
  b.pdSetOutlined(s.outlined);
}

TEST(BevelBorder, TheBorderSizeTable) {
  struct Case {
    Setting s;
    int size;
  };
  const Case cases[] = {
      {{0, 0, 2, 0, 0}, 0},  {{0, 3, 2, 0, 0}, 2},  {{3, 0, 2, 0, 0}, 2},  {{0, 0, 2, 3, 0}, 3},
      {{0, 0, 2, 0, -1}, 1}, {{3, 3, 2, 3, -1}, 8}, {{1, 2, 5, 0, 0}, 10}, {{0, 0, 9, 0, 0}, 0},
  };
  TBevelBorder fresh;
  EXPECT_EQ(0, fresh.GetBorderSize());
  EXPECT_EQ(0, fresh.pdGetBevelInner());
  EXPECT_EQ(0, fresh.pdGetBevelOuter());
  EXPECT_EQ(2, fresh.pdGetBevelWidth());
  EXPECT_EQ(0, fresh.pdGetBorderWidth());
  EXPECT_EQ(0, fresh.pdGetOutlined());
  for (const Case& c : cases) {
    TBevelBorder b;
    Apply(b, c.s);
    EXPECT_EQ(c.size, b.GetBorderSize()) << c.s.inner << c.s.outer << c.s.bevel << c.s.border << c.s.outlined;
  }
}

TEST(BevelBorder, TheUsableRectNeverInverts) {
  TWindow w(nullptr, "border");
  TBevelBorder b;
  Apply(b, {3, 3, 2, 3, -1});  // 8 on each side
  struct Case {
    int w, h;
    TRect want;
  };
  const Case cases[] = {
      {100, 50, TRect(8, 8, 92, 42)}, {16, 16, TRect(8, 8, 8, 8)}, {10, 10, TRect(8, 8, 8, 8)},
      {0, 0, TRect(8, 8, 8, 8)},      {30, 5, TRect(8, 8, 22, 8)},
  };
  for (const Case& c : cases) {
    w.Attr.W = c.w;
    w.Attr.H = c.h;
    TRect r = b.GetUsableRect(&w);
    EXPECT_EQ(c.want, r) << c.w << "x" << c.h << ": " << r.left << "," << r.top << "," << r.right << ","
                         << r.bottom;
    EXPECT_GE(r.right, r.left);
    EXPECT_GE(r.bottom, r.top);
  }
}

TEST(BevelBorder, RefusedValuesChangeNothingAndNotifyNothing) {
  CountingBorder b;
  Apply(b, {1, 2, 4, 6, -1});
  int changes = b.changes;
  ExpectRefused([&] { b.pdSetBevelInner(4); }, kOwlExtInvalidArgument, "BevelInner");
  ExpectRefused([&] { b.pdSetBevelInner(-1); }, kOwlExtInvalidArgument, "BevelInner");
  ExpectRefused([&] { b.pdSetBevelOuter(256 + 1); }, kOwlExtInvalidArgument, "BevelOuter");
  ExpectRefused([&] { b.pdSetBevelWidth(256); }, kOwlExtInvalidArgument, "BevelWidth");
  ExpectRefused([&] { b.pdSetBorderWidth(300); }, kOwlExtInvalidArgument, "BorderWidth");
  b.pdSetBorderWidth(-3);  // a negative width is ignored
  b.pdSetBevelWidth(-1);
  b.pdSetOutlined(5);  // already outlined
  EXPECT_EQ(changes, b.changes);
  EXPECT_EQ(1, b.pdGetBevelInner());
  EXPECT_EQ(2, b.pdGetBevelOuter());
  EXPECT_EQ(4, b.pdGetBevelWidth());
  EXPECT_EQ(6, b.pdGetBorderWidth());
  EXPECT_EQ(-1, b.pdGetOutlined());
  b.pdSetBevelWidth(255);
  b.pdSetOutlined(0);
  EXPECT_EQ(changes + 2, b.changes);
  EXPECT_EQ(0, b.pdGetOutlined());
}

TEST(BevelBorder, TheStreamBytesAndADamagedBlock) {
  OleInitialize(nullptr);
  TBevelBorder b;
  Apply(b, {2, 3, 4, 5, -1});
  OCLStream s;
  b.write(s);
  EXPECT_EQ(5u, s.size());
  uint8_t bytes[5] = {};
  s.seekTo(0);
  s.read(bytes, 5);
  const uint8_t want[5] = {2, 3, 4, 5, 1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(want[i], bytes[i]) << i;
  for (int bad = 0; bad < 2; ++bad) {
    TBevelBorder c;
    OCLStream d;
    uint8_t damaged[5] = {2, 3, 4, 5, 1};
    damaged[bad] = 4;
    d.write(damaged, 5);
    d.seekTo(0);
    ExpectRefused([&] { c.read(d, "Form"); }, kOwlExtLoadFailed, "Form");
    EXPECT_EQ(0, c.pdGetBevelInner());
    EXPECT_EQ(2, c.pdGetBevelWidth());
  }
}

// A live window: its window rectangle and scroll bars give the usable rectangle, and a
// size change invalidates the border strips at the new right and bottom edges.
TEST(BevelBorder, ALiveWindowsScrollBarsAndDamagedStrips) {
  TWindow w(nullptr, "border");
  w.Attr.Style = WS_POPUP | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL;
  w.Attr.X = 10;
  w.Attr.Y = 10;
  w.Attr.W = 100;
  w.Attr.H = 80;
  ASSERT_TRUE(w.Create());
  const int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
  TBevelBorder b;
  EXPECT_EQ(TRect(0, 0, 100 - cx, 80 - cy), b.GetUsableRect(&w));
  Apply(b, {0, 3, 2, 2, 0});  // 4 on each side
  EXPECT_EQ(TRect(4, 4, 96 - cx, 76 - cy), b.GetUsableRect(&w));

  struct Case {
    unsigned sizeType;
    TSize size;
    std::vector<TPoint> damaged, clean;
  };
  const std::vector<Case> cases = {
      // Narrower and lower: the strips inside the new edges.
      {SIZE_RESTORED, TSize(60, 50), {TPoint(57, 10), TPoint(10, 47)}, {TPoint(10, 10), TPoint(52, 40)}},
      // Wider and higher: the strips at the former usable edges.
      {SIZE_RESTORED,
       TSize(150, 120),
       {TPoint(100 - cx - 2, 10), TPoint(10, 80 - cy - 2)},
       {TPoint(10, 10), TPoint(100 - cx + 3, 10)}},
      {SIZE_MAXIMIZED, TSize(60, 50), {}, {TPoint(57, 10), TPoint(10, 47)}},
  };
  for (const Case& c : cases) {
    ValidateRect(w.HWindow, nullptr);
    TSize size = c.size;
    b.damageBorder(w, c.sizeType, size);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(w.HWindow, rgn, FALSE);
    for (const TPoint& p : c.damaged)
      EXPECT_TRUE(PtInRegion(rgn, p.x, p.y)) << c.size.cx << " " << p.x << "," << p.y;
    for (const TPoint& p : c.clean)
      EXPECT_FALSE(PtInRegion(rgn, p.x, p.y)) << c.size.cx << " " << p.x << "," << p.y;
    DeleteObject(rgn);
  }
  w.Destroy();
}

COLORREF Sys(HDC dc, int index) { return GetNearestColor(dc, GetSysColor(index)); }

TEST(BevelBorder, PaintedBevelsReadBackFromAMemoryDC) {
  TWindow w(nullptr, "border");
  w.Attr.W = 20;
  w.Attr.H = 20;
  struct Case {
    const char* name;
    Setting s;
    std::vector<std::pair<TPoint, int>> pixels;  // colour: a system index, -1 black, -2 white
  };
  // The background is none of the colours a border uses (the highlight is often white).
  const int kBlackPx = -1, kWhitePx = -2;
  const COLORREF kGround = RGB(0, 128, 64);
  const std::vector<Case> cases = {
      {"defaults", {0, 0, 2, 0, 0}, {{TPoint(0, 0), kWhitePx}, {TPoint(19, 19), kWhitePx}}},
      {"outer raised",
       {0, 3, 2, 0, 0},
       {{TPoint(0, 0), COLOR_BTNHIGHLIGHT},
        {TPoint(1, 1), COLOR_BTNHIGHLIGHT},
        {TPoint(0, 10), COLOR_BTNHIGHLIGHT},
        {TPoint(19, 0), COLOR_BTNHIGHLIGHT},
        {TPoint(19, 1), COLOR_BTNSHADOW},
        {TPoint(0, 19), COLOR_BTNSHADOW},
        {TPoint(18, 18), COLOR_BTNSHADOW},
        {TPoint(10, 19), COLOR_BTNSHADOW},
        {TPoint(2, 2), kWhitePx},
        {TPoint(10, 10), kWhitePx}}},
      {"outlined, inner lowered",
       {2, 0, 2, 0, -1},
       {{TPoint(0, 0), kBlackPx},
        {TPoint(19, 10), kBlackPx},
        {TPoint(1, 1), COLOR_BTNSHADOW},
        {TPoint(2, 10), COLOR_BTNSHADOW},
        {TPoint(18, 18), COLOR_BTNHIGHLIGHT},
        {TPoint(10, 17), COLOR_BTNHIGHLIGHT},
        {TPoint(3, 3), kWhitePx}}},
      {"single outer, band",
       {0, 1, 3, 2, 0},
       {{TPoint(0, 0), kBlackPx},
        {TPoint(2, 10), kBlackPx},
        {TPoint(17, 17), kBlackPx},
        {TPoint(3, 3), COLOR_BTNFACE},
        {TPoint(4, 10), COLOR_BTNFACE},
        {TPoint(15, 15), COLOR_BTNFACE},
        {TPoint(5, 5), kWhitePx},
        {TPoint(14, 14), kWhitePx}}},
  };
  for (const Case& c : cases) {
    Canvas canvas(20, 20);
    canvas.fill(kGround);
    TDC* dc = canvas.release();
    HGDIOBJ brush = GetCurrentObject(*dc, OBJ_BRUSH);
    TBevelBorder b;
    Apply(b, c.s);
    b.drawBorder(w, *dc);
    EXPECT_EQ(brush, GetCurrentObject(*dc, OBJ_BRUSH)) << c.name;  // the DC's brush is back
    for (auto& p : c.pixels) {
      COLORREF want = p.second == kBlackPx ? kBlack : p.second == kWhitePx ? kGround : Sys(*dc, p.second);
      EXPECT_EQ(want, canvas.at(p.first.x, p.first.y)) << c.name << " at " << p.first.x << "," << p.first.y;
    }
    if (c.s.inner == 0 && c.s.outer == 0 && c.s.border == 0 && !c.s.outlined) {
      EXPECT_EQ(0, canvas.inked(kGround));
    }
    delete dc;
  }
}

}  // namespace
