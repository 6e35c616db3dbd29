// Button gadget faces under Wine: the normal, disabled and pressed looks read back from
// the painted window, a derived gadget's own glyph, and glyph resources that are missing
// or not bitmaps.
#include <gtest/gtest.h>

#include "gadgettest.h"
#include "winlib/celarray.h"
#include "winlib/dib.h"
#include "winlib/except.h"

using namespace gadgettest;

namespace {

TApplication& App() {
  static TApplication app("ButtonGadgetTest");
  return app;
}

// The glyph of resource 7101 is 16 x 16: white (its top-left pixel too), a black square
// from (4, 4) to (11, 11), and a red diagonal where x == y > 0 outside it.
const COLORREF kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0), kWhite = RGB(255, 255, 255);

// A button whose glyph is made in memory: 8 x 8, every pixel pure green.
class TGreenButton : public TButtonGadget {
 public:
  TGreenButton() : TButtonGadget(0, 700, Command, true) {}
  TDib* GetGlyphDib() override {
    auto* dib = new TDib(8, 8, 0);  // 24 bits per pixel
    auto* p = static_cast<unsigned char*>(dib->GetBits());
    for (uint32_t i = 0; i + 2 < dib->SizeImage(); i += 3) p[i] = 0, p[i + 1] = 255, p[i + 2] = 0;
    ++gets;
    return dib;
  }
  void ReleaseGlyphDib(TDib* dib) override {
    ++releases;
    TButtonGadget::ReleaseGlyphDib(dib);
  }
  int gets = 0, releases = 0;
};

}  // namespace

TEST(ButtonGadget, CelsDifferForDisabledAndPressedByPixelReadBack) {
  App();
  THost host;
  auto* gw = new TGadgetWindow(&host, TGadgetWindow::Horizontal);
  gw->SetShrinkWrap(true, true);
  auto* button = new TButtonGadget(7101, 501, TButtonGadget::Command, true);
  gw->Insert(*button);
  ASSERT_TRUE(host.Create());
  gw->LayoutSession();
  ASSERT_NE(button->GetCelArray(), nullptr);
  EXPECT_EQ(button->GetCelArray()->CelSize(), TSize(16, 16));
  EXPECT_EQ(button->GetCelArray()->NumCels(), int(TButtonGadget::NumCels));
  TSize desired;
  button->GetDesiredSize(desired);
  EXPECT_EQ(desired, TSize(22, 22));  // 16 plus a 2-pixel edge and a pixel of space each side
  TRect b = button->GetBounds();
  TPoint glyph(b.left + 3, b.top + 3);  // the face's top-left
  TRect face(glyph, TSize(16, 16));

  testkit::Image normal = Shot(*gw);
  ASSERT_EQ(normal.width, 26);  // the button and the margins
  ASSERT_EQ(normal.height, 26);
  EXPECT_EQ(normal.Pixel(glyph.x + 8, glyph.y + 8), kBlack);
  EXPECT_EQ(normal.Pixel(glyph.x + 1, glyph.y + 1), kRed);
  EXPECT_EQ(normal.Pixel(glyph.x + 14, glyph.y + 1), kWhite);
  EXPECT_EQ(normal.Pixel(glyph.x + 12, glyph.y + 12), kRed);

  button->SetEnabled(false);
  testkit::Image disabled = Shot(*gw);
  EXPECT_EQ(disabled.Pixel(glyph.x + 8, glyph.y + 8), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(disabled.Pixel(glyph.x + 14, glyph.y + 1), GetSysColor(COLOR_BTNFACE));  // background
  EXPECT_NE(Pixels(disabled, face), Pixels(normal, face));

  button->SetEnabled(true);
  gw->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(b.left + 5, b.top + 5));
  ASSERT_TRUE(button->IsPressed());
  testkit::Image pressed = Shot(*gw);
  EXPECT_EQ(pressed.Pixel(glyph.x + 12, glyph.y + 12), kBlack);  // the glyph moved down-right
  EXPECT_EQ(pressed.Pixel(glyph.x + 4, glyph.y + 4), kRed);
  EXPECT_NE(Pixels(pressed, face), Pixels(normal, face));
  EXPECT_NE(Pixels(pressed, face), Pixels(disabled, face));
  gw->SendMessage(WM_LBUTTONUP, 0, At(-10, -10));

  // Back to normal: the same pixels as at first.
  testkit::Image again = Shot(*gw);
  EXPECT_EQ(Pixels(again, face), Pixels(normal, face));
  // A button held down by its state shows the pressed face too.
  button->SetButtonState(TButtonGadget::Down);
  EXPECT_EQ(Pixels(Shot(*gw), face), Pixels(pressed, face));
}

TEST(ButtonGadget, DerivedGadgetSuppliesItsOwnGlyph) {
  App();
  THost host;
  auto* gw = new TGadgetWindow(&host, TGadgetWindow::Horizontal);
  gw->SetShrinkWrap(true, true);
  auto* green = new TGreenButton;
  gw->Insert(*green);
  ASSERT_TRUE(host.Create());
  gw->LayoutSession();
  EXPECT_EQ(green->gets, 1);
  EXPECT_EQ(green->releases, 1);
  ASSERT_NE(green->GetCelArray(), nullptr);
  EXPECT_EQ(green->GetCelArray()->CelSize(), TSize(8, 8));
  TRect b = green->GetBounds();
  testkit::Image img = Shot(*gw);
  ASSERT_EQ(img.width, gw->GetClientRect().Width());
  ASSERT_GT(img.width, b.right - 1);
  EXPECT_EQ(img.Pixel((b.left + b.right) / 2, (b.top + b.bottom) / 2), RGB(0, 255, 0));
  // Rebuilding asks for the glyph again and hands it back.
  green->BuildCelArray();
  EXPECT_EQ(green->gets, 2);
  EXPECT_EQ(green->releases, 2);
}

TEST(ButtonGadget, GlyphThatIsMissingOrNotABitmapIsNamedInTheError) {
  App();
  const struct {
    int resId;
    const char* name;
  } cases[] = {{7199, "7199"}, {7102, "7102"}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    THost host;
    auto* gw = new TGadgetWindow(&host, TGadgetWindow::Horizontal);
    auto* button = new TButtonGadget(c.resId, 1, TButtonGadget::Command, true);
    gw->Insert(*button);
    try {
      button->BuildCelArray();
      ADD_FAILURE() << "no exception";
    } catch (const TXOwl& x) {
      EXPECT_EQ(x.GetErrorCode(), uint(IDS_WLGLYPHNOTFOUND));
      EXPECT_NE(x.why().find(c.name), std::string::npos) << x.why();
    }
    EXPECT_EQ(button->GetCelArray(), nullptr);
  }
  // Without a glyph (resource 0) the face is empty, not an error.
  TButtonGadget none(0, 2);
  none.BuildCelArray();
  EXPECT_EQ(none.GetCelArray(), nullptr);
  TSize s;
  none.GetDesiredSize(s);
  EXPECT_EQ(s, TSize(6, 6));
  none.SetShadowStyle(TButtonGadget::SingleShadow);
  none.GetDesiredSize(s);
  EXPECT_EQ(s, TSize(4, 4));
}
