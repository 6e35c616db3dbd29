// The Print statement on a published window: a table of statements with the position
// after each, measured against the window's own font; nothing before the window exists
// or without a window object; a line end under a scale whose left edge is not 0; number
// texts; the window extensions' refusals arriving as the store's errors.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "guiobjects1/iwfont.h"
#include "guiobjects1/iwscreen.h"
#include "guiobjects1/iwwindow.h"
#include "guiobjects1/printabledrawable.h"
#include "guiobjects1/scalerect.h"
#include "iwwindow_kit.h"
#include "olecls/oclstream.h"
#include "store/printlayout.h"
#include "store/storeexcept.h"
#include "winlib/except.h"

namespace {

using namespace windowkit;

// A published window that prints: its nine Printable operations go to the WP
// operations with itself and its position, as a form's do.
class PrintWindow : public IWWindow, public PrintableDrawable {
 public:
  explicit PrintWindow(ScaleRect* scale) : IWWindow(nullptr), scale_(scale) {
    Attr.Style = WS_CHILD | WS_VISIBLE;
    Attr.W = 500;
    Attr.H = 300;
  }
  ScaleRect* Scale() override { return scale_; }
  TWindow* WindowPart() override { return noWindowObject ? nullptr : IWWindow::WindowPart(); }
  void DrawUnits2Pixels(float x, float y, TPoint& out) override { Units2Pixels(x, y, out); }

  void Print(short v) override { WPPrint(this, CurrentX, CurrentY, v); }
  void Print(long v) override { WPPrint(this, CurrentX, CurrentY, v); }
  void Print(float v) override { WPPrint(this, CurrentX, CurrentY, v); }
  void Print(double v) override { WPPrint(this, CurrentX, CurrentY, v); }
  void Print(const char* text) override { WPPrint(this, CurrentX, CurrentY, text); }
  void PrintSpace(int n) override { WPPrintSpace(this, CurrentX, CurrentY, n); }
  void PrintTab(int n) override { WPPrintTab(this, CurrentX, CurrentY, n); }
  void PrintSeparator(PrintSepType sep) override { WPPrintSeparator(this, CurrentX, CurrentY, sep); }
  void PrintDone(PrintSepType sep) override { WPPrintDone(this, CurrentX, CurrentY, sep); }

  bool noWindowObject = false;

 private:
  ScaleRect* scale_;
};

// The window's font as a print item sees it.
struct Metrics {
  int cw = 0, th = 0;
  HWND w = nullptr;
  HFONT font = nullptr;  // the window's effective font, or the DC's own
  explicit Metrics(HWND window, HFONT f = nullptr) : w(window), font(f) {
    HDC dc = GetDC(w);
    HGDIOBJ before = font ? SelectObject(dc, font) : nullptr;
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    cw = tm.tmAveCharWidth;
    th = tm.tmHeight;
    if (before) SelectObject(dc, before);
    ReleaseDC(w, dc);
  }
  SIZE extent(const char* s) const {
    HDC dc = GetDC(w);
    HGDIOBJ before = font ? SelectObject(dc, font) : nullptr;
    SIZE e = {0, 0};
    GetTextExtentPoint32A(dc, s, (int)std::strlen(s), &e);
    if (before) SelectObject(dc, before);
    ReleaseDC(w, dc);
    return e;
  }
  int W(const char* s) const { return extent(s).cx; }
  int H(const char* s) const { return extent(s).cy; }
  int zone() const { return 14 * cw; }
};

class PrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    scale_.SetScaleMode(kScalePixel, 500, 300);
    w_ = new PrintWindow(&scale_);
    w_->SetParent(holder_.window());
    w_->Create();
    ASSERT_NE(nullptr, w_->HWindow);
  }
  void TearDown() override { w_->Release(); }

  HiddenParent holder_;
  ScaleRect scale_;
  PrintWindow* w_ = nullptr;
};

TEST_F(PrintTest, ATableOfStatementsAndThePositionAfterEach) {
  Metrics m(w_->HWindow);
  ASSERT_GT(m.cw, 0);
  ASSERT_GT(m.th, 0);
  PrintWindow& p = *w_;
  const int lh = std::max(m.H("a"), m.H("bc"));  // the tallest item of a line of both
  struct Row {
    const char* statement;
    std::function<void()> run;
    int x, y;  // pixels; the scale is pixels at 0, 0
  };
  const std::vector<Row> rows = {
      {"Print \"a\";",
       [&] {
         p.Print("a");
         p.PrintDone(PrintSepNone);
       },
       m.W("a"), 0},
      {"Print \"a\"",
       [&] {
         p.Print("a");
         p.PrintDone(PrintSepEndOfLine);
       },
       0, m.H("a")},
      {"Print \"a\"; \"bc\"",
       [&] {
         p.Print("a");
         p.PrintSeparator(PrintSepNone);
         p.Print("bc");
         p.PrintDone(PrintSepEndOfLine);
       },
       0, lh},
      {"Print \"a\", \"bc\";",
       [&] {
         p.Print("a");
         p.PrintSeparator(PrintSepZone);
         p.Print("bc");
         p.PrintDone(PrintSepNone);
       },
       m.zone() + m.W("bc"), 0},
      {"Print \"a\",",
       [&] {
         p.Print("a");
         p.PrintDone(PrintSepZone);
       },
       m.zone(), 0},
      {"Print", [&] { p.PrintDone(PrintSepEndOfLine); }, 0, m.th},
      {"Print \"\"",
       [&] {
         p.Print("");
         p.PrintDone(PrintSepEndOfLine);
       },
       0, m.th},
      {"Print Spc(3);",
       [&] {
         p.PrintSpace(3);
         p.PrintDone(PrintSepNone);
       },
       m.W("   "), 0},
      {"Print Tab(10); \"x\";",
       [&] {
         p.PrintTab(10);
         p.Print("x");
         p.PrintDone(PrintSepNone);
       },
       9 * m.cw + m.W("x"), 0},
      {"Print Tab(0);", [&] { p.PrintTab(0); }, 0, 0},
      {"Print \"abc\"; Tab(1);",
       [&] {
         p.Print("abc");
         p.PrintTab(1);
       },
       0, m.H("abc")},
      {"Print \"abcdef\"; Tab(2); \"x\";",
       [&] {
         p.Print("abcdef");
         p.PrintTab(2);
         p.Print("x");
       },
       m.cw + m.W("x"), m.H("abcdef")},
      {"Print Tab(3); Tab(3);",
       [&] {
         p.PrintTab(3);
         p.PrintTab(3);
       },
       2 * m.cw, 0},
      {"Print \"a\"; Tab(1); Tab(1)",  // the first Tab ends the line of "a", the second only moves
       [&] {
         p.Print("a");
         p.PrintTab(1);
         p.PrintTab(1);
         p.PrintDone(PrintSepEndOfLine);
       },
       0, m.H("a") + m.th},
      {"Print 3.5;",
       [&] {
         p.Print(3.5f);
         p.PrintDone(PrintSepNone);
       },
       m.W("3.5"), 0},
      {"Print 1e20#;",
       [&] {
         p.Print(1e20);
         p.PrintDone(PrintSepNone);
       },
       m.W("1e+20"), 0},
      {"Print -7%; 123456&;",
       [&] {
         p.Print((short)-7);
         p.Print(123456L);
       },
       m.W("-7") + m.W("123456"), 0},
  };
  for (const Row& r : rows) {
    p.CurrentX = 0;
    p.CurrentY = 0;
    r.run();
    EXPECT_EQ((float)r.x, p.CurrentX) << r.statement;
    EXPECT_EQ((float)r.y, p.CurrentY) << r.statement;
    // Whatever the statement left, a line end clears the line height.
    p.PrintDone(PrintSepEndOfLine);
    EXPECT_EQ(0, p.LineHeight()) << r.statement;
  }
  EXPECT_EQ("3.5", PrintLayout::Text(3.5f));
  EXPECT_EQ("1e+20", PrintLayout::Text(1e20));
}

TEST_F(PrintTest, AZoneBoundaryMovesAWholeZone) {
  Metrics m(w_->HWindow);
  PrintWindow& p = *w_;
  for (int k : {0, 1, 2}) {
    p.CurrentX = (float)(k * m.zone());
    p.PrintSeparator(PrintSepZone);
    EXPECT_EQ((float)((k + 1) * m.zone()), p.CurrentX) << k;
  }
  p.CurrentX = (float)(m.zone() + 1);
  p.PrintSeparator(PrintSepZone);
  EXPECT_EQ((float)(2 * m.zone()), p.CurrentX);
}

TEST_F(PrintTest, TheLineHeightIsTheTallestItem) {
  PrintWindow& p = *w_;
  Metrics m(w_->HWindow);
  p.CurrentX = p.CurrentY = 0;
  p.Print("a");
  EXPECT_EQ(m.H("a"), p.LineHeight());
  p.Print("bc");
  EXPECT_EQ(m.W("a") + m.W("bc"), (int)p.CurrentX);
  EXPECT_EQ(std::max(m.H("a"), m.H("bc")), p.LineHeight());
  p.PrintDone(PrintSepEndOfLine);
  EXPECT_EQ((float)std::max(m.H("a"), m.H("bc")), p.CurrentY);
}

TEST_F(PrintTest, NothingMovesForEmptyTextsOrWithoutAWindow) {
  PrintWindow& p = *w_;
  p.CurrentX = 5;
  p.CurrentY = 6;
  p.Print("");
  p.Print((const char*)nullptr);
  p.PrintSpace(0);
  p.PrintSpace(-3);
  p.PrintSeparator(PrintSepNone);
  EXPECT_EQ(5.0f, p.CurrentX);
  EXPECT_EQ(6.0f, p.CurrentY);
  EXPECT_EQ(0, p.LineHeight());

  // Before the window exists, and for a window without a window object: nothing at
  // all, and no assertion.
  for (int noObject = 0; noObject < 2; ++noObject) {
    Owned<PrintWindow> early(new PrintWindow(&scale_));
    if (noObject) {
      early->SetParent(holder_.window());
      early->Create();
      early->noWindowObject = true;
    }
    early->CurrentX = 5;
    early->CurrentY = 6;
    early->Print("abc");
    early->Print(3.5);
    early->PrintSpace(4);
    early->PrintTab(20);
    early->PrintSeparator(PrintSepZone);
    early->PrintDone(PrintSepZone);
    early->PrintDone(PrintSepEndOfLine);
    EXPECT_EQ(5.0f, early->CurrentX) << noObject;
    EXPECT_EQ(6.0f, early->CurrentY) << noObject;
    EXPECT_EQ(0, early->LineHeight()) << noObject;
  }
}

// Units 100 to the left of the client area and 50 above it: the first item of a line
// lands on the client's left border, and a line end goes back to ScaleLeft.
TEST_F(PrintTest, ALineEndUnderAScaleWhoseLeftEdgeIsNotZero) {
  scale_.ScaleLeft = 100;
  scale_.ScaleTop = 50;
  PrintWindow& p = *w_;
  Metrics m(w_->HWindow);
  ShowWindow(holder_.window()->HWindow, SW_SHOWNOACTIVATE);
  UpdateWindow(holder_.window()->HWindow);
  const COLORREF ink = RGB(255, 0, 0);
  p.pdSetDrawColor((long)ink);
  p.CurrentX = 100;
  p.CurrentY = 50;
  p.Print("MMMM");
  EXPECT_EQ((float)(100 + m.W("MMMM")), p.CurrentX);
  // The text is drawn from the left border of the client area, in the pen's colour.
  HDC dc = GetDC(w_->HWindow);
  int leftmost = -1;
  for (int x = 0; x < m.W("MMMM") && leftmost < 0; ++x)
    for (int y = 0; y < m.H("MMMM"); ++y)
      if (GetPixel(dc, x, y) == ink) {
        leftmost = x;
        break;
      }
  ReleaseDC(w_->HWindow, dc);
  EXPECT_GE(leftmost, 0);
  EXPECT_LT(leftmost, m.cw);
  p.PrintDone(PrintSepEndOfLine);
  EXPECT_EQ(100.0f, p.CurrentX);
  EXPECT_EQ((float)(50 + m.H("MMMM")), p.CurrentY);
  // Tab(1) goes to the left edge as well.
  p.CurrentX = 300;
  p.PrintTab(1);
  EXPECT_EQ(100.0f, p.CurrentX);
  ShowWindow(holder_.window()->HWindow, SW_HIDE);
}

// A window with a Font of its own: the items are measured and the zones and line
// heights taken in that font, not the DC's.
TEST_F(PrintTest, TheWindowsFontMeasuresTheItems) {
  InterObjRep* proto = ObjectStore::find("Font");
  ASSERT_NE(nullptr, proto);
  OpenModuleResource open(TestModule());
  static Faultp<InterObjRep>* kept = new Faultp<InterObjRep>;
  PrimInterObj fontObj(proto, "PrintFont", 0);
  *kept = fontObj;
  IWFont* font = IWFont::Native(fontObj.get());
  font->pdSetSize(28);
  w_->pdSetFont(fontObj.get());
  HFONT handle = w_->GetEffectiveFont();
  ASSERT_NE(nullptr, handle);
  Metrics big(w_->HWindow, handle), plain(w_->HWindow);
  ASSERT_GT(big.th, plain.th);
  PrintWindow& p = *w_;
  p.CurrentX = p.CurrentY = 0;
  p.Print("abc");
  EXPECT_EQ((float)big.W("abc"), p.CurrentX);
  p.PrintSeparator(PrintSepZone);
  EXPECT_EQ((float)big.zone(), p.CurrentX);
  p.PrintDone(PrintSepEndOfLine);
  EXPECT_EQ((float)big.H("abc"), p.CurrentY);
  p.PrintDone(PrintSepEndOfLine);
  EXPECT_EQ((float)(big.H("abc") + big.th), p.CurrentY);
  w_->pdSetFont(nullptr);
}

// Without a scale the units are twips: distances are pixels times the screen's twips per
// pixel, and a line end goes to 0.
TEST(PrintTwips, WithoutAScaleTheUnitsAreTwips) {
  TestApp();
  HiddenParent holder;
  Owned<PrintWindow> w(new PrintWindow(nullptr));
  w->SetParent(holder.window());
  w->Create();
  Metrics m(w->HWindow);
  const int tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  w->Print("ab");
  EXPECT_EQ((float)(m.W("ab") * tx), w->CurrentX);
  w->PrintDone(PrintSepEndOfLine);
  EXPECT_EQ(0.0f, w->CurrentX);
  EXPECT_EQ((float)(m.H("ab") * ty), w->CurrentY);
  EXPECT_EQ((float)(3 * tx), w->PixelsToUnitsX(3, *w));
  EXPECT_EQ((float)(4 * ty), w->PixelsToUnitsY(4, *w));
}

TEST(PrintableDC, ColoursSetThroughItAreSavedOnce) {
  TestApp();
  HiddenParent holder;
  Owned<PrintWindow> w(new PrintWindow(nullptr));
  w->SetParent(holder.window());
  w->Create();
  PrintableDC dc(*w);
  EXPECT_EQ(0, dc.flags());
  COLORREF first = dc.GetTextColor();
  dc.SetTextColor(TColor(RGB(1, 2, 3)));
  dc.SetTextColor(TColor(RGB(4, 5, 6)));
  EXPECT_EQ(PrintableDC::kTextColorChanged, dc.flags());
  EXPECT_EQ(RGB(4, 5, 6), (COLORREF)dc.GetTextColor());
  (void)first;
  dc.SetBkColor(TColor(RGB(7, 8, 9)));
  EXPECT_EQ(PrintableDC::kTextColorChanged | PrintableDC::kBkColorChanged, dc.flags());
  // A window without a handle has no DC: the window library's GDI failure, not the
  // screen's DC.
  Owned<PrintWindow> none(new PrintWindow(nullptr));
  EXPECT_THROW(PrintableDC bad(*none), TXGdi);
}

// While oviui1 is loaded, the window extensions refuse bad input with the store's
// errors: 32712 naming the property, ObjectLoadFailed naming the class.
TEST(PrintableDrawable, RefusalsArriveAsTheStoresErrors) {
  TestApp();
  Owned<PrintWindow> w(new PrintWindow(nullptr));
  try {
    w->pdSetBevelInner(9);
    ADD_FAILURE() << "not refused";
  } catch (const StoreException& e) {
    EXPECT_EQ((unsigned)kMsgInvalidArgument, e.id());
    EXPECT_EQ("BevelInner", e.arg());
  }
  try {
    float x[2] = {0, 1}, y[2] = {0, 1};
    w->imPolyline({x, 2}, {y, 2}, 3);
    ADD_FAILURE() << "not refused";
  } catch (const StoreException& e) {
    EXPECT_EQ((unsigned)kMsgInvalidArgument, e.id());
    EXPECT_EQ("count", e.arg());
  }
  OCLStream s;
  const uint8_t damaged[33] = {9};  // pen style 9
  s.write(damaged, sizeof damaged);
  s.seekTo(0);
  EXPECT_THROW(w->TDrawable::read(s, "Form"), ObjectLoadFailed);
  EXPECT_EQ(0, w->pdGetDrawStyle());
}

}  // namespace
