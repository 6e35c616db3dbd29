// Layout windows under Wine: a table of layout metrics against the parent and siblings
// (margins, percentages, centres, sizes as they are, layout units), solving again on a
// size change, and sets that cannot be solved reported as errors with nothing moved.
#include <gtest/gtest.h>

#include <functional>

#include "winlib/applicat.h"
#include "winlib/except.h"
#include "winlib/layoutwindow.h"

namespace {

TApplication& App() {
  static TApplication app("LayoutTest");
  return app;
}

// A 400 x 300 borderless layout window with three children, kid 2 placed at
// (300, 10, 340, 50) and the others at (0, 0, 30, 30).
struct TFixture {
  TLayoutWindow lw{nullptr, "Layout under test"};
  TWindow* kids[3];
  TFixture() {
    lw.Attr.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    lw.Attr.X = 20;
    lw.Attr.Y = 20;
    lw.Attr.W = 400;
    lw.Attr.H = 300;
    for (int i = 0; i < 3; ++i) {
      kids[i] = new TWindow(&lw, "kid");
      kids[i]->Attr.Id = 100 + i;
      kids[i]->Attr.W = kids[i]->Attr.H = 30;
    }
    kids[2]->Attr.X = 300;
    kids[2]->Attr.Y = 10;
    kids[2]->Attr.W = kids[2]->Attr.H = 40;
  }
  TRect RectOf(int i) {
    TRect r = kids[i]->GetWindowRect();
    MapWindowPoints(nullptr, lw.HWindow, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
};

using TSetup = std::function<void(TFixture&, TWindow* k[3])>;

struct TMetricsCase {
  const char* name;
  TSetup setup;
  std::vector<std::pair<int, TRect>> expected;  // kid index and its rectangle
};

TLayoutMetrics Abs(int l, int t, int w, int h) {
  TLayoutMetrics m;
  m.X.Absolute(lmLeft, l);
  m.Y.Absolute(lmTop, t);
  m.Width.Absolute(lmWidth, w);
  m.Height.Absolute(lmHeight, h);
  return m;
}

}  // namespace

TEST(LayoutWindow, MetricsByTable) {
  App();
  LONG base = GetDialogBaseUnits();
  const std::vector<TMetricsCase> cases = {
      {"absolute",
       [](TFixture& f, TWindow** k) { f.lw.SetChildLayoutMetrics(*k[0], Abs(10, 20, 100, 50)); },
       {{0, {10, 20, 110, 70}}}},
      {"margins from the parent's edges",
       [](TFixture& f, TWindow** k) {
         TLayoutMetrics m;
         m.X.Set(lmLeft, lmRightOf, lmParent, lmLeft, 5);
         m.Y.Set(lmTop, lmBelow, lmParent, lmTop, 7);
         m.Width.Set(lmRight, lmLeftOf, lmParent, lmRight, 5);
         m.Height.Set(lmBottom, lmAbove, lmParent, lmBottom, 7);
         f.lw.SetChildLayoutMetrics(*k[0], m);
       },
       {{0, {5, 7, 395, 293}}}},
      {"percentages of the parent",
       [](TFixture& f, TWindow** k) {
         TLayoutMetrics m;
         m.X.Set(lmLeft, lmPercentOf, lmParent, lmWidth, 10);
         m.Y.Absolute(lmTop, 0);
         m.Width.PercentOf(lmParent, lmWidth, 40);
         m.Height.PercentOf(lmParent, lmHeight, 50);
         f.lw.SetChildLayoutMetrics(*k[0], m);
       },
       {{0, {40, 0, 200, 150}}}},
      {"a row of lists, each right of the one before (set last to first)",
       [](TFixture& f, TWindow** k) {
         const int percent[3] = {40, 35, 24};
         for (int i = 2; i >= 0; --i) {
           TLayoutMetrics m;
           if (i == 0) {
             m.X.Set(lmLeft, lmRightOf, lmParent, lmLeft, 1);
             m.Y.Set(lmTop, lmBelow, lmParent, lmTop, 1);
           } else {
             m.X.RightOf(k[i - 1], 2);
             m.Y.SameAs(k[0], lmTop);
           }
           m.Width.PercentOf(lmParent, lmWidth, percent[i]);
           m.Height.Absolute(lmHeight, 200);
           f.lw.SetChildLayoutMetrics(*k[i], m);
         }
       },
       {{0, {1, 1, 161, 201}}, {1, {163, 1, 303, 201}}, {2, {305, 1, 401, 201}}}},
      {"a bar of its own height, an editor below it to the corner",
       [](TFixture& f, TWindow** k) {
         TLayoutMetrics bar;
         bar.X.Set(lmLeft, lmLeftOf, lmParent, lmLeft, 1);
         bar.Y.Set(lmTop, lmBelow, lmParent, lmTop, 25);
         bar.Width.Set(lmRight, lmRightOf, lmParent, lmRight, 1);
         bar.Height.AsIs(lmHeight);
         TLayoutMetrics editor;
         editor.X.Set(lmLeft, lmRightOf, lmParent, lmLeft, 1);
         editor.Y.Set(lmTop, lmSameAs, k[0], lmBottom);
         editor.Width.Set(lmRight, lmSameAs, lmParent, lmRight);
         editor.Height.Set(lmBottom, lmSameAs, lmParent, lmBottom);
         f.lw.SetChildLayoutMetrics(*k[1], editor);
         f.lw.SetChildLayoutMetrics(*k[0], bar);
       },
       {{0, {-1, 25, 401, 55}}, {1, {1, 55, 400, 300}}}},
      {"centred, above the parent's bottom",
       [](TFixture& f, TWindow** k) {
         TLayoutMetrics m;
         m.X.Set(lmCenter, lmSameAs, lmParent, lmCenter);
         m.Width.Absolute(lmWidth, 60);
         m.Y.Set(lmBottom, lmAbove, lmParent, lmBottom, 10);
         m.Height.Absolute(lmHeight, 20);
         f.lw.SetChildLayoutMetrics(*k[0], m);
       },
       {{0, {170, 270, 230, 290}}}},
      {"left of and below a sibling",
       [](TFixture& f, TWindow** k) {
         f.lw.SetChildLayoutMetrics(*k[0], Abs(100, 100, 100, 50));
         TLayoutMetrics m;
         m.X.LeftOf(k[0], 4);
         m.Width.Absolute(lmWidth, 50);
         m.Y.Below(k[0], 3);
         m.Height.Absolute(lmHeight, 10);
         f.lw.SetChildLayoutMetrics(*k[1], m);
       },
       {{0, {100, 100, 200, 150}}, {1, {46, 153, 96, 163}}}},
      {"above and right of a sibling, right edge against the parent",
       [](TFixture& f, TWindow** k) {
         f.lw.SetChildLayoutMetrics(*k[0], Abs(100, 100, 100, 50));
         TLayoutMetrics m;
         m.X.RightOf(k[0], 0);
         m.Width.Set(lmRight, lmSameAs, lmParent, lmRight, -10);
         m.Y.Above(k[0], 5);
         m.Height.SameAs(k[0], lmHeight);
         f.lw.SetChildLayoutMetrics(*k[1], m);
       },
       {{1, {200, 45, 390, 95}}}},
      {"a sibling without metrics is taken as it is",
       [](TFixture& f, TWindow** k) {
         TLayoutMetrics m;
         m.X.RightOf(k[2], 0);
         m.Y.SameAs(k[2], lmTop);
         m.Width.Absolute(lmWidth, 20);
         m.Height.SameAs(k[2], lmHeight);
         f.lw.SetChildLayoutMetrics(*k[0], m);
       },
       {{0, {340, 10, 360, 50}}, {2, {300, 10, 340, 50}}}},
      {"default metrics keep everything as it is",
       [](TFixture& f, TWindow** k) { f.lw.SetChildLayoutMetrics(*k[2], TLayoutMetrics()); },
       {{2, {300, 10, 340, 50}}}},
      {"layout units",
       [](TFixture& f, TWindow** k) {
         TLayoutMetrics m = Abs(4, 8, 40, 16);
         m.SetMeasurementUnits(lmLayoutUnits);
         f.lw.SetChildLayoutMetrics(*k[0], m);
       },
       {{0, {LOWORD(base), HIWORD(base), LOWORD(base) * 11, HIWORD(base) * 3}}}},
  };
  for (const TMetricsCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFixture f;
    ASSERT_TRUE(f.lw.Create());
    c.setup(f, f.kids);
    f.lw.Layout();
    for (auto& [i, want] : c.expected) {
      EXPECT_EQ(f.RectOf(i), want) << "kid " << i;
      TRect got;
      if (f.lw.GetChildRect(*f.kids[i], got)) {
        EXPECT_EQ(got, want) << "kid " << i;
      }
    }
  }
}

TEST(LayoutWindow, SolvedAgainOnEverySizeChange) {
  App();
  TFixture f;
  TLayoutMetrics m;
  m.X.Set(lmLeft, lmPercentOf, lmParent, lmWidth, 10);
  m.Y.Absolute(lmTop, 0);
  m.Width.PercentOf(lmParent, lmWidth, 40);
  m.Height.Set(lmBottom, lmAbove, lmParent, lmBottom, 10);
  f.lw.SetChildLayoutMetrics(*f.kids[0], m);  // before the window exists
  ASSERT_TRUE(f.lw.Create());
  EXPECT_EQ(f.RectOf(0), TRect(40, 0, 200, 290));
  f.lw.MoveWindow(20, 20, 200, 100, true);
  TApplication::ResumeThrow();
  EXPECT_EQ(f.RectOf(0), TRect(20, 0, 100, 90));
  f.lw.MoveWindow(20, 20, 1000, 50, true);
  EXPECT_EQ(f.RectOf(0), TRect(100, 0, 500, 40));
  // Removed metrics: the child stays where it was.
  EXPECT_TRUE(f.lw.RemoveChildLayoutMetrics(*f.kids[0]));
  EXPECT_FALSE(f.lw.RemoveChildLayoutMetrics(*f.kids[0]));
  f.lw.MoveWindow(20, 20, 300, 300, true);
  EXPECT_EQ(f.RectOf(0), TRect(100, 0, 500, 40));
}

TEST(LayoutWindow, UnsolvableSetsAreErrorsAndMoveNothing) {
  App();
  TWindow stranger(nullptr, "stranger");
  const std::vector<std::pair<const char*, TSetup>> cases = {
      {"two siblings right of each other",
       [](TFixture& f, TWindow** k) {
         TLayoutMetrics a = Abs(0, 0, 10, 10), b = Abs(0, 0, 10, 10);
         a.X.RightOf(k[1]);
         b.X.RightOf(k[0]);
         f.lw.SetChildLayoutMetrics(*k[0], a);
         f.lw.SetChildLayoutMetrics(*k[1], b);
       }},
      {"a ring of three through both axes",
       [](TFixture& f, TWindow** k) {
         TLayoutMetrics a = Abs(0, 0, 10, 10), b = Abs(0, 0, 10, 10), c = Abs(0, 0, 10, 10);
         a.Y.Below(k[1]);
         b.Y.Below(k[2]);
         c.Y.Below(k[0]);
         f.lw.SetChildLayoutMetrics(*k[0], a);
         f.lw.SetChildLayoutMetrics(*k[1], b);
         f.lw.SetChildLayoutMetrics(*k[2], c);
       }},
      {"a window right of itself",
       [](TFixture& f, TWindow** k) {
         TLayoutMetrics a = Abs(0, 0, 10, 10);
         a.X.RightOf(k[0], 1);
         f.lw.SetChildLayoutMetrics(*k[0], a);
       }},
      {"two constraints on the left edge",
       [](TFixture& f, TWindow** k) {
         TLayoutMetrics a = Abs(0, 0, 10, 10);
         a.Width.Set(lmLeft, lmAbsolute, lmParent, lmLeft, 5);
         f.lw.SetChildLayoutMetrics(*k[0], a);
       }},
      {"a vertical edge on the horizontal axis",
       [](TFixture& f, TWindow** k) {
         TLayoutMetrics a = Abs(0, 0, 10, 10);
         a.X.Set(lmTop, lmAbsolute, lmParent, lmTop, 5);
         f.lw.SetChildLayoutMetrics(*k[0], a);
       }},
      {"a window that is not a sibling",
       [&stranger](TFixture& f, TWindow** k) {
         TLayoutMetrics a = Abs(0, 0, 10, 10);
         a.X.RightOf(&stranger);
         f.lw.SetChildLayoutMetrics(*k[0], a);
       }},
  };
  for (auto& [name, setup] : cases) {
    SCOPED_TRACE(name);
    TFixture f;
    ASSERT_TRUE(f.lw.Create());
    TRect before[3] = {f.RectOf(0), f.RectOf(1), f.RectOf(2)};
    setup(f, f.kids);
    try {
      f.lw.Layout();
      ADD_FAILURE() << "solved";
    } catch (const TXOwl& x) {
      EXPECT_EQ(x.GetErrorCode(), uint(IDS_WLLAYOUTUNSOLVABLE));
      EXPECT_NE(x.why().find("Layout under test"), std::string::npos) << x.why();
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(f.RectOf(i), before[i]) << "kid " << i;
    // Through a size change: the handler's error reaches the code that resized.
    f.lw.MoveWindow(20, 20, 350, 250, true);
    EXPECT_THROW(TApplication::ResumeThrow(), TXOwl);
  }
}

TEST(LayoutWindow, MetricsOnlyForItsOwnChildren) {
  App();
  TFixture f;
  TWindow stranger(nullptr, "stranger");
  try {
    f.lw.SetChildLayoutMetrics(stranger, TLayoutMetrics());
    ADD_FAILURE();
  } catch (const TXOwl& x) {
    EXPECT_EQ(x.GetErrorCode(), uint(IDS_WLNOTLAYOUTCHILD));
  }
  TLayoutMetrics m;
  EXPECT_FALSE(f.lw.GetChildLayoutMetrics(*f.kids[0], m));
  f.lw.SetChildLayoutMetrics(*f.kids[0], Abs(1, 2, 3, 4));
  ASSERT_TRUE(f.lw.GetChildLayoutMetrics(*f.kids[0], m));
  EXPECT_EQ(m.Width.Value, 3);
  // A child deleted later takes its metrics with it.
  delete f.kids[0];
  ASSERT_TRUE(f.lw.Create());
  EXPECT_FALSE(f.lw.GetChildLayoutMetrics(*f.kids[1], m));
}
