// The drawing surface over a memory DC: each Basic drawing method read back in pixels,
// the position without a DC, the draw mode reaching the DC at once, sizes converted
// without the scale's origin, poly counts refused, pen and brush changes selected into
// the cached DC before the old GDI object goes.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "owlext/drawable.h"
#include "surfacekit.h"
#include "testkit/testkit.h"
#include "utils/xexception.h"

namespace {

using namespace surfacekit;

struct Pixel {
  int x, y;
  COLORREF want;
};

void ExpectPixels(const Canvas& c, const std::vector<Pixel>& pixels, const char* what) {
  for (const Pixel& p : pixels) EXPECT_EQ(p.want, c.at(p.x, p.y)) << what << " at " << p.x << "," << p.y;
}

// A black pixel at p or next to it (rasterisers differ by a pixel on curves).
bool InkNear(const Canvas& c, TPoint p) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (c.at(p.x + dx, p.y + dy) == kBlack) return true;
  return false;
}

TEST(Drawable, DefaultsOfANewSurface) {
  MemSurface s(nullptr);
  EXPECT_EQ(13, s.pdGetDrawMode());
  EXPECT_EQ(0, s.pdGetDrawColor());
  EXPECT_EQ(1, s.pdGetDrawWidth());
  EXPECT_EQ(0, s.pdGetDrawStyle());
  EXPECT_EQ(0, s.pdGetFillColor());
  EXPECT_EQ(0, s.pdGetFillStyle());
  EXPECT_EQ(0.0f, s.pdGetCurrentX());
  EXPECT_EQ(0.0f, s.pdGetCurrentY());
  EXPECT_EQ(nullptr, s.GetCachedDC());
  EXPECT_EQ(0, s.pdGethDC());
  EXPECT_EQ(0, s.GetBorderSize());
  EXPECT_EQ(2, s.pdGetBevelWidth());
}

// Every method, units at twice the pixels with the origin at (10, 5) units: the
// conversion is the surface's, never an identity by accident.
TEST(Drawable, EachDrawingMethodReadBackInPixels) {
  struct Case {
    const char* name;
    std::function<void(MemSurface&)> draw;
    std::vector<Pixel> pixels;
  };
  // Pixel p is unit p / 2 + origin.
  auto ux = [](int px) { return px / 2.0f + 10; };
  auto uy = [](int py) { return py / 2.0f + 5; };
  std::vector<Case> cases = {
      {"LineTo",
       [&](MemSurface& s) {
         s.imMoveTo(ux(5), uy(10));
         s.imLineTo(ux(35), uy(10));
       },
       {{5, 10, kBlack}, {20, 10, kBlack}, {34, 10, kBlack}, {20, 11, kWhite}, {36, 10, kWhite}}},
      {"Rectangle",
       [&](MemSurface& s) { s.imRectangle(ux(4), uy(4), ux(20), uy(16)); },
       {{4, 4, kBlack}, {19, 15, kBlack}, {10, 10, kRed}, {21, 10, kWhite}}},
      {"Ellipse",
       [&](MemSurface& s) { s.imEllipse(ux(0), uy(0), ux(30), uy(30)); },
       {{15, 15, kRed}, {1, 1, kWhite}, {15, 0, kBlack}, {0, 15, kBlack}}},
      {"RoundRect",
       [&](MemSurface& s) { s.imRoundRect(ux(0), uy(0), ux(30), uy(30), 10, 10); },
       {{1, 1, kWhite}, {15, 0, kBlack}, {15, 15, kRed}}},
      {"TextOut",
       [&](MemSurface& s) {
         s.imMoveTo(ux(2), uy(2));
         s.imTextOut("MMMM");
       },
       {{0, 0, kWhite}}},
      {"Polygon",
       [&](MemSurface& s) {
         float x[] = {ux(0), ux(30), ux(0)}, y[] = {uy(0), uy(0), uy(30)};
         s.imPolygon({x, 3}, {y, 3}, 3);
       },
       {{5, 5, kRed}, {25, 25, kWhite}, {15, 0, kBlack}}},
      {"Polyline",
       [&](MemSurface& s) {
         float x[] = {ux(0), ux(30), ux(30)}, y[] = {uy(2), uy(2), uy(30)};
         s.imPolyline({x, 3}, {y, 3}, 3);
       },
       {{10, 2, kBlack}, {30, 15, kBlack}, {15, 15, kWhite}}},
      {"PolyBezier",
       [&](MemSurface& s) {
         // A straight Bézier: its control points on the line.
         float x[] = {ux(0), ux(10), ux(20), ux(30)}, y[] = {uy(8), uy(8), uy(8), uy(8)};
         s.imPolyBezier({x, 4}, {y, 4}, 4);
       },
       {{15, 8, kBlack}, {15, 9, kWhite}}},
      {"AngleArc",
       [&](MemSurface& s) {
         ::MoveToEx(s.GetCachedDC()->GetHDC(), 30, 20, nullptr);
         s.imAngleArc(ux(20), uy(20), 5, 0, 360);
       },
       {{30, 20, kBlack}, {20, 10, kBlack}, {20, 20, kWhite}}},
      {"Arc",
       [&](MemSurface& s) { s.imArc(ux(0), uy(0), ux(30), uy(30), ux(30), uy(15), ux(0), uy(15)); },
       {{15, 0, kBlack}, {15, 29, kWhite}, {15, 15, kWhite}}},
      {"Chord",
       [&](MemSurface& s) { s.imChord(ux(0), uy(0), ux(30), uy(30), ux(30), uy(15), ux(0), uy(15)); },
       {{15, 8, kRed}, {15, 22, kWhite}}},
      {"Pie",
       [&](MemSurface& s) { s.imPie(ux(0), uy(0), ux(30), uy(30), ux(30), uy(15), ux(15), uy(0)); },
       {{20, 10, kRed}, {10, 10, kWhite}, {10, 20, kWhite}}},
  };
  for (const Case& c : cases) {
    Canvas canvas(40, 40);
    MemSurface s(&canvas, 0.5f * 4, 10, 5);  // factor 2: one unit is two pixels
    s.pdSetFillColor(kRed);
    c.draw(s);
    ExpectPixels(canvas, c.pixels, c.name);
    EXPECT_GT(canvas.inked(), 0) << c.name;
    EXPECT_EQ(s.gets, s.releases) << c.name;
  }
}

TEST(Drawable, TextOutDrawsAtThePositionWhichStays) {
  Canvas canvas(60, 30);
  MemSurface s(&canvas);
  s.imMoveTo(20, 5);
  s.imTextOut("WW");
  EXPECT_EQ(20.0f, s.pdGetCurrentX());
  int left = 60;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x)
      if (canvas.at(x, y) == kBlack && x < left) left = x;
  EXPECT_GE(left, 20);
  EXPECT_LT(left, 26);
  // Basic's null string and "" draw nothing and do not fail.
  canvas.clear();
  s.imTextOut(nullptr);
  s.imTextOut("");
  EXPECT_EQ(0, canvas.inked());
}

TEST(Drawable, WithoutADCNothingIsDrawnButThePositionMoves) {
  MemSurface s(nullptr);
  s.imMoveTo(3, 4);
  s.imLineTo(30, 40);
  EXPECT_EQ(30.0f, s.pdGetCurrentX());
  EXPECT_EQ(40.0f, s.pdGetCurrentY());
  float x[] = {0, 1, 2, 3}, y[] = {0, 1, 2, 3};
  // Each method runs through without a DC and reports nothing.
  s.imRectangle(0, 0, 5, 5);
  s.imEllipse(0, 0, 5, 5);
  s.imRoundRect(0, 0, 5, 5, 1, 1);
  s.imTextOut("x");
  s.imPolyline({x, 4}, {y, 4}, 4);
  s.imPolygon({x, 4}, {y, 4}, 4);
  s.imPolyBezier({x, 4}, {y, 4}, 4);
  s.imAngleArc(1, 1, 1, 0, 90);
  s.imArc(0, 0, 5, 5, 5, 2, 0, 2);
  s.imChord(0, 0, 5, 5, 5, 2, 0, 2);
  s.imPie(0, 0, 5, 5, 5, 2, 0, 2);
  EXPECT_EQ(s.gets, s.releases);
  EXPECT_EQ(30.0f, s.pdGetCurrentX());
  // Cls resets the position even though drawableCls draws nothing.
  s.imCls();
  EXPECT_EQ(0.0f, s.pdGetCurrentX());
  EXPECT_EQ(0.0f, s.pdGetCurrentY());
  EXPECT_EQ(1, s.clears);
  // The position setters only store.
  int before = s.changes[0];
  s.pdSetCurrentX(7);
  s.pdSetCurrentY(8);
  EXPECT_EQ(7.0f, s.CurrentX);
  EXPECT_EQ(8.0f, s.CurrentY);
  EXPECT_EQ(before, s.changes[0]);
}

TEST(Drawable, TheDrawModeReachesTheCachedDCAtOnce) {
  Canvas canvas(40, 40);
  MemSurface s(&canvas);
  HDC dc = canvas.handle();
  EXPECT_EQ(R2_COPYPEN, GetROP2(dc));
  s.pdSetDrawMode(13);  // the present value: no notification
  EXPECT_EQ(0, s.changes[0]);
  s.pdSetDrawMode(R2_XORPEN);
  EXPECT_EQ(R2_XORPEN, GetROP2(dc));
  EXPECT_EQ(1, s.changes[0]);
  s.pdSetDrawColor(kWhite);
  s.imMoveTo(0, 20);
  s.imLineTo(40, 20);
  EXPECT_EQ(kBlack, canvas.at(10, 20));  // white XOR white
  s.imMoveTo(0, 20);
  s.imLineTo(40, 20);
  EXPECT_EQ(kWhite, canvas.at(10, 20));  // drawn twice: as it was
  EXPECT_EQ(0, canvas.inked());
  // Out of range: refused, the DC and the surface as they were.
  for (long bad : {0L, 17L, -1L}) {
    ExpectRefused([&] { s.pdSetDrawMode(bad); }, kOwlExtInvalidArgument, "DrawMode");
    EXPECT_EQ(R2_XORPEN, s.pdGetDrawMode());
    EXPECT_EQ(R2_XORPEN, GetROP2(dc));
  }
}

TEST(Drawable, PenAndBrushChangesAreSelectedBeforeTheOldObjectGoes) {
  Canvas canvas(40, 40);
  MemSurface s(&canvas);
  HDC dc = canvas.handle();
  HGDIOBJ oldPen = GetCurrentObject(dc, OBJ_PEN);
  EXPECT_EQ(s.GetPen().getPen().GetHandle(), oldPen);
  s.pdSetDrawColor(kBlue);
  HGDIOBJ newPen = GetCurrentObject(dc, OBJ_PEN);
  EXPECT_NE(oldPen, newPen);
  EXPECT_EQ(s.GetPen().getPen().GetHandle(), newPen);
  EXPECT_EQ(0, GetObjectType(oldPen));  // deleted once it was no longer selected
  EXPECT_EQ(1, s.changes[0]);
  s.pdSetDrawColor(kBlue);  // unchanged: no notification
  EXPECT_EQ(1, s.changes[0]);

  HGDIOBJ oldBrush = GetCurrentObject(dc, OBJ_BRUSH);
  s.pdSetFillColor(kRed);
  EXPECT_EQ(s.GetBrush().getBrush().GetHandle(), GetCurrentObject(dc, OBJ_BRUSH));
  EXPECT_EQ(0, GetObjectType(oldBrush));
  s.imRectangle(2, 2, 20, 20);
  EXPECT_EQ(kBlue, canvas.at(2, 10));
  EXPECT_EQ(kRed, canvas.at(10, 10));
  // The hatched fill style: 7 is hatch 5 and reads back as 7.
  s.pdSetFillStyle(7);
  EXPECT_EQ(BS_HATCHED, (int)s.GetBrush().getBrushStyle());
  EXPECT_EQ(HS_DIAGCROSS, (int)s.GetBrush().getBrushHatch());
  EXPECT_EQ(7, s.pdGetFillStyle());
  LOGBRUSH lb;
  GetObjectA(GetCurrentObject(dc, OBJ_BRUSH), sizeof lb, &lb);
  EXPECT_EQ((UINT)BS_HATCHED, lb.lbStyle);
  EXPECT_EQ((ULONG_PTR)HS_DIAGCROSS, lb.lbHatch);
  s.pdSetFillStyle(1);
  EXPECT_EQ(1, s.pdGetFillStyle());
  // Values that describe no pen or brush: refused, unchanged.
  ExpectRefused([&] { s.pdSetFillStyle(8); }, kOwlExtInvalidArgument, "FillStyle");
  ExpectRefused([&] { s.pdSetFillStyle(-1); }, kOwlExtInvalidArgument, "FillStyle");
  ExpectRefused([&] { s.pdSetDrawStyle(7); }, kOwlExtInvalidArgument, "DrawStyle");
  ExpectRefused([&] { s.pdSetDrawWidth(-1); }, kOwlExtInvalidArgument, "DrawWidth");
  EXPECT_EQ(1, s.pdGetFillStyle());
  EXPECT_EQ(0, s.pdGetDrawStyle());
  EXPECT_EQ(1, s.pdGetDrawWidth());
  // A system colour is looked up when the pen is made.
  s.pdSetDrawColor((long)(0x80000000u | COLOR_WINDOWTEXT));
  LOGPEN lp;
  GetObjectA(GetCurrentObject(dc, OBJ_PEN), sizeof lp, &lp);
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), lp.lopnColor);
}

// With a scale whose origin is not 0 (units 100 to the left and above the pixels),
// the RoundRect corner and the AngleArc radius are sizes: the origin does not enter.
TEST(Drawable, CornerAndRadiusAreSizesWhateverTheOrigin) {
  {
    Canvas canvas(60, 60);
    MemSurface s(&canvas, 1, 100, 100);
    s.imRoundRect(110, 110, 150, 150, 20, 20);
    // The rounded corner leaves (10, 10) and (12, 12) blank; the middle of the top edge is
    // drawn.
    ExpectPixels(canvas,
                 {{10, 10, kWhite}, {12, 12, kWhite}, {30, 10, kBlack}, {10, 30, kBlack}, {30, 30, kBlack}},
                 "RoundRect");
  }
  {
    Canvas canvas(60, 60);
    MemSurface s(&canvas, 1, 100, 100);
    ::MoveToEx(canvas.handle(), 40, 30, nullptr);
    s.imAngleArc(130, 130, 10, 0, 360);
    ExpectPixels(canvas, {{40, 30, kBlack}, {30, 30, kWhite}}, "AngleArc");
    for (TPoint p : {TPoint(20, 30), TPoint(30, 20), TPoint(30, 40)})
      EXPECT_TRUE(InkNear(canvas, p)) << p.x << "," << p.y;
    // Nothing far from the circle: a radius taken as a position (-90) would draw
    // elsewhere or not at all.
    EXPECT_EQ(kWhite, canvas.at(5, 30));
    ExpectRefused([&] { s.imAngleArc(130, 130, -1, 0, 90); }, kOwlExtInvalidArgument, "radius");
  }
  {
    // Twice the pixels: the size doubles too.
    Canvas canvas(60, 60);
    MemSurface s(&canvas, 2, 50, 50);
    ::MoveToEx(canvas.handle(), 50, 30, nullptr);
    s.imAngleArc(65, 65, 10, 0, 360);
    ExpectPixels(canvas, {{50, 30, kBlack}, {30, 30, kWhite}}, "AngleArc x2");
    EXPECT_TRUE(InkNear(canvas, TPoint(10, 30)));
  }
}

TEST(Drawable, PolyCountsOutsideTheArraysAreRefused) {
  Canvas canvas(40, 40);
  MemSurface s(&canvas);
  float x[7] = {1, 10, 20, 30, 30, 20, 10}, y[7] = {1, 10, 1, 10, 20, 30, 20};
  float shortY[3] = {1, 2, 3};
  struct Case {
    TDrawable::PolyKind kind;
    long count;
    long xLen, yLen;
    bool ok;
  };
  const Case cases[] = {
      {TDrawable::kPolyline, 2, 7, 7, true},
      {TDrawable::kPolyline, 1, 7, 7, false},
      {TDrawable::kPolyline, 0, 7, 7, false},
      {TDrawable::kPolyline, -5, 7, 7, false},
      {TDrawable::kPolyline, 8, 7, 7, false},
      {TDrawable::kPolyline, 4, 7, 3, false},
      {TDrawable::kPolyline, -2147483647L - 1, 7, 7, false},
      {TDrawable::kPolygon, 3, 7, 7, true},
      {TDrawable::kPolygon, 1, 7, 7, false},
      {TDrawable::kPolygon, 7, 7, 7, true},
      {TDrawable::kPolygon, 2147483647L, 7, 7, false},
      {TDrawable::kPolyBezier, 4, 7, 7, true},
      {TDrawable::kPolyBezier, 7, 7, 7, true},
      {TDrawable::kPolyBezier, 3, 7, 7, false},
      {TDrawable::kPolyBezier, 5, 7, 7, false},
      {TDrawable::kPolyBezier, 1, 7, 7, false},
      {TDrawable::kPolyBezier, 10, 7, 7, false},
      {TDrawable::kPolyBezier, 4, 7, 3, false},
  };
  for (const Case& c : cases) {
    canvas.clear();
    TSingleArray ax{x, c.xLen}, ay{c.yLen == 3 ? shortY : y, c.yLen};
    auto draw = [&] { s.drawPoly(c.kind, ax, ay, c.count); };
    if (c.ok) {
      draw();
      EXPECT_GT(canvas.inked(), 0) << c.kind << " " << c.count;
    } else {
      ExpectRefused(draw, kOwlExtInvalidArgument, "count");
      EXPECT_EQ(0, canvas.inked()) << c.kind << " " << c.count;
    }
  }
  // The public entries go the same way; an array without elements holds nothing.
  ExpectRefused([&] { s.imPolyline({x, 7}, {nullptr, 0}, 2); }, kOwlExtInvalidArgument, "count");
  ExpectRefused([&] { s.imPolygon({x, 1}, {y, 1}, 1); }, kOwlExtInvalidArgument, "count");
  ExpectRefused([&] { s.imPolyBezier({x, 7}, {y, 7}, 6); }, kOwlExtInvalidArgument, "count");
  EXPECT_EQ(s.gets, s.releases);
}

TEST(Drawable, AssignmentCopiesTheStateAndNotifies) {
  Canvas canvas(10, 10);
  MemSurface a(nullptr), b(&canvas);
  a.pdSetDrawColor(kBlue);
  a.pdSetDrawWidth(3);
  a.pdSetFillStyle(4);
  a.pdSetDrawMode(R2_NOT);
  a.pdSetBevelOuter(BOR_RAISED);
  a.imMoveTo(5, 6);
  static_cast<TDrawable&>(b) = a;  // the surface's part alone, not the test's counters
  EXPECT_EQ((long)kBlue, b.pdGetDrawColor());
  EXPECT_EQ(3, b.pdGetDrawWidth());
  EXPECT_EQ(4, b.pdGetFillStyle());
  EXPECT_EQ(R2_NOT, b.pdGetDrawMode());
  EXPECT_EQ(R2_NOT, GetROP2(canvas.handle()));
  EXPECT_EQ(BOR_RAISED, b.pdGetBevelOuter());
  EXPECT_EQ(5.0f, b.CurrentX);
  EXPECT_EQ(6.0f, b.CurrentY);
  EXPECT_EQ(2, b.changes[0]);  // pen and brush
  EXPECT_EQ(b.GetPen().getPen().GetHandle(), GetCurrentObject(canvas.handle(), OBJ_PEN));
}

TEST(Drawable, TheDCHandleAndTheConfiguration) {
  Canvas canvas(10, 10);
  MemSurface s(&canvas);
  EXPECT_EQ((long)(LONG_PTR)canvas.handle(), s.pdGethDC());
  EXPECT_EQ(s.gets, s.releases);
  EXPECT_EQ(kWhite, GetBkColor(canvas.handle()));
  // Without a cached DC configureDC is a broken internal condition.
  MemSurface none(nullptr);
  EXPECT_THROW(none.configureDC(), XAssert);
  // Border changes reach the surface as drawableChanged(1).
  s.pdSetBevelInner(BOR_LOWERED);
  EXPECT_EQ(1, s.changes[1]);
}

// The descriptions the published Pen and Brush hold: white, width 1, solid; setPen and
// setBrush take another description's values and notify.
TEST(PenAndBrushUsers, DefaultsAndAssignment) {
  struct Counting : TPenUser {
    int n = 0;
    void changed() override { ++n; }
  } pen;
  EXPECT_EQ(0xFFFFFFu, pen.getPenColor());
  EXPECT_EQ(1, pen.getPenWidth());
  EXPECT_EQ(0u, pen.getPenStyle());
  pen.setPen(TExtPen(kBlue, 4, PS_DASH));
  EXPECT_EQ(kBlue, pen.getPenColor());
  EXPECT_EQ(4, pen.getPenWidth());
  EXPECT_EQ((uint32_t)PS_DASH, pen.getPenStyle());
  EXPECT_EQ(1, pen.n);
  LOGPEN lp;
  ASSERT_TRUE(pen.getPen().GetObject(lp));
  EXPECT_EQ(kBlue, lp.lopnColor);
  EXPECT_EQ(4, lp.lopnWidth.x);
  TPen copy = pen;  // a pen of its own with the same values
  EXPECT_NE(copy.GetHandle(), pen.getPen().GetHandle());

  TBrushUser brush;
  EXPECT_EQ(0xFFFFFFu, brush.getBrushColor());
  EXPECT_EQ(0, brush.getBrushFillStyle());
  TExtBrush hatched(kRed);
  hatched.setBrushFillStyle(3);
  brush.setBrush(hatched);
  EXPECT_EQ(3, brush.getBrushFillStyle());
  EXPECT_EQ(kRed, brush.getBrushColor());
  LOGBRUSH lb;
  ASSERT_TRUE(GetObjectA(brush.getBrush().GetHandle(), sizeof lb, &lb));
  EXPECT_EQ((UINT)BS_HATCHED, lb.lbStyle);
  EXPECT_EQ((ULONG_PTR)HS_VERTICAL, lb.lbHatch);
}

}  // namespace
