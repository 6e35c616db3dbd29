// ScaleRect: the nine modes on a 200 by 100 pixel surface at 15 twips per pixel, the
// conversions' rounding, the stream block, and the refusal of a zero extent.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "guiobjects1/iwscreen.h"
#include "guiobjects1/scalerect.h"
#include "olecls/oclstream.h"
#include "store/storeexcept.h"

namespace {

const double kEps = 1e-4;

// A Twip scale over 200 by 100 pixels (3000 by 1500 twips) with its origin moved to
// 10, 20: the state every mode switch below starts from.
ScaleRect Start() {
  ScaleRect r(15, 15);
  r.SetScaleMode(kScaleTwip, 200, 100);
  r.ScaleLeft = 10;
  r.ScaleTop = 20;
  return r;
}

TEST(ScaleRect, ModeTable) {
  struct Row {
    ScaleMode mode;
    double twipsX, twipsY;    // twips per unit
    double pixelsX, pixelsY;  // pixels per unit
    double width, height;     // ScaleWidth, ScaleHeight after the switch
    bool keepsOrigin;
    double resizedWidth, resizedTwipsX;  // after the surface grows to 400 pixels across
  };
  const Row rows[] = {
      {kScaleCustom, 1, 1, 1 / 15.0, 1 / 15.0, 3000, 1500, true, 6000, 1},
      {kScaleTwip, 1, 1, 1 / 15.0, 1 / 15.0, 3000, 1500, false, 6000, 1},
      {kScalePoint, 20, 20, 20 / 15.0, 20 / 15.0, 150, 75, false, 300, 20},
      {kScalePixel, 15, 15, 1, 1, 200, 100, false, 400, 15},
      {kScaleCharacter, 120, 240, 8, 16, 25, 6.25, false, 50, 120},
      {kScaleInch, 1440, 1440, 96, 96, 3000 / 1440.0, 1500 / 1440.0, false, 6000 / 1440.0, 1440},
      {kScaleMillimeter, 56.69291338582677, 56.69291338582677, 56.69291338582677 / 15, 56.69291338582677 / 15,
       3000 / 56.69291338582677, 1500 / 56.69291338582677, false, 6000 / 56.69291338582677,
       56.69291338582677},
      {kScaleCentimeter, 566.9291338582677, 566.9291338582677, 566.9291338582677 / 15, 566.9291338582677 / 15,
       3000 / 566.9291338582677, 1500 / 566.9291338582677, false, 6000 / 566.9291338582677,
       566.9291338582677},
      // The extent stays; the factors follow the surface.
      {kScaleProportional, 1, 1, 200 / 3000.0, 100 / 1500.0, 3000, 1500, true, 3000, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(int(row.mode));
    ScaleRect r = Start();
    r.SetScaleMode(row.mode, 200, 100);
    EXPECT_EQ(row.mode, r.mode());
    EXPECT_NEAR(row.twipsX, (double)r.TwipsPerUnitX(), kEps);
    EXPECT_NEAR(row.twipsY, (double)r.TwipsPerUnitY(), kEps);
    EXPECT_NEAR(row.pixelsX, (double)r.PixelsPerUnitX(), kEps);
    EXPECT_NEAR(row.pixelsY, (double)r.PixelsPerUnitY(), kEps);
    EXPECT_NEAR(row.width, r.ScaleWidth, kEps);
    EXPECT_NEAR(row.height, r.ScaleHeight, kEps);
    EXPECT_EQ(row.keepsOrigin ? 10.0f : 0.0f, r.ScaleLeft);
    EXPECT_EQ(row.keepsOrigin ? 20.0f : 0.0f, r.ScaleTop);
    r.SetPixelWidth(400);
    EXPECT_NEAR(row.resizedWidth, r.ScaleWidth, kEps);
    EXPECT_NEAR(row.resizedTwipsX, (double)r.TwipsPerUnitX(), kEps);
  }
}

TEST(ScaleRect, ModesOutsideTheTableChangeNothing) {
  for (int m : {9, 200, -1}) {
    ScaleRect r = Start();
    r.SetScaleMode(m, 50, 50);
    EXPECT_EQ(kScaleTwip, r.mode());
    EXPECT_EQ(10.0f, r.ScaleLeft);
    EXPECT_EQ(3000.0f, r.ScaleWidth);
  }
}

TEST(ScaleRect, ZeroExtentIsRefusedNamingTheProperty) {
  struct Case {
    const char* what;
    void (*act)(ScaleRect&);
    const char* property;
  } cases[] = {
      {"Custom with no width", [](ScaleRect& r) { r.ScaleWidth = 0, r.SetScaleMode(kScaleCustom, 200, 100); },
       "ScaleWidth"},
      {"Custom with no height",
       [](ScaleRect& r) { r.ScaleHeight = 0, r.SetScaleMode(kScaleCustom, 200, 100); }, "ScaleHeight"},
      {"Proportional width",
       [](ScaleRect& r) {
         r.SetScaleMode(kScaleProportional, 200, 100);
         r.ScaleWidth = 0;
         r.PixelsPerUnitX();
       },
       "ScaleWidth"},
      {"Proportional height",
       [](ScaleRect& r) {
         r.SetScaleMode(kScaleProportional, 200, 100);
         r.ScaleHeight = 0;
         r.TwipsPerUnitY();
       },
       "ScaleHeight"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScaleRect r = Start();
    try {
      c.act(r);
      ADD_FAILURE() << "accepted";
    } catch (const StoreException& e) {
      EXPECT_EQ(32712u, e.id());
      EXPECT_EQ(std::string("Invalid value for '") + c.property + "'.", e.what());
    }
  }
  // A refused Custom switch leaves the scale as it was, and later conversions sound.
  ScaleRect r = Start();
  r.ScaleWidth = 0;
  EXPECT_THROW(r.SetScaleMode(kScaleCustom, 200, 100), StoreException);
  EXPECT_EQ(kScaleTwip, r.mode());
  EXPECT_NEAR(1 / 15.0, (double)r.PixelsPerUnitX(), kEps);
}

TEST(ScaleRect, RectangleConversionsRoundHalfThenTruncateTowardZero) {
  ScaleRect pixel(15, 15);
  pixel.SetScaleMode(kScalePixel, 200, 100);
  ScaleRect twip(15, 15);
  twip.SetScaleMode(kScaleTwip, 200, 100);
  twip.ScaleLeft = 100;
  struct Case {
    const char* what;
    LongRect got, want;
  } cases[] = {
      {"units to twips, no scale",
       ScaleRect::UnitsToTwips(nullptr, {-1.7f, 0.4f, 2.6f, -0.5f}),
       {-1, 0, 3, 0}},
      {"units to twips, Twip scale", ScaleRect::UnitsToTwips(&twip, {98.3f, 0.9f, 2.9f, 3}), {-1, 0, 2, 3}},
      {"units to pixels, Pixel scale",
       ScaleRect::UnitsToPixels(&pixel, {-1.7f, 1.4f, 2.6f, 0}),
       {-1, 1, 3, 0}},
      {"units to pixels, Twip scale", ScaleRect::UnitsToPixels(&twip, {130, 22, 7, -30}), {2, 1, 0, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.want.left, c.got.left);
    EXPECT_EQ(c.want.top, c.got.top);
    EXPECT_EQ(c.want.width, c.got.width);
    EXPECT_EQ(c.want.height, c.got.height);
  }
  // Without a scale the screen's twips per pixel convert.
  short tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  ASSERT_GT(tx, 0);
  LongRect p =
      ScaleRect::UnitsToPixels(nullptr, {(float)(2 * tx), (float)(3 * ty), (float)(tx / 2), -1.5f * tx});
  EXPECT_EQ(2, p.left);
  EXPECT_EQ(3, p.top);
  EXPECT_EQ(tx / 2 * 2 + 1 > tx ? 1 : 0, p.width);
  EXPECT_EQ(-1, p.height);
  LongRect t = ScaleRect::PixelsToTwips({1, 2, 3, -4});
  EXPECT_EQ(tx, t.left);
  EXPECT_EQ(2 * ty, t.top);
  EXPECT_EQ(3 * tx, t.width);
  EXPECT_EQ(-4 * ty, t.height);
}

std::vector<unsigned char> BytesOf(OCLStream& s) {
  ULONG n = s.size();
  std::vector<unsigned char> b(n);
  s.seekTo(0);
  if (n) s.read(b.data(), n);
  return b;
}

TEST(ScaleRect, StreamBlock) {
  ScaleRect custom(15, 15);
  custom.SetScaleMode(kScaleTwip, 200, 100);
  custom.ScaleLeft = 1.5f;
  custom.ScaleTop = -2;
  custom.SetScaleMode(kScaleCustom, 200, 100);  // 1 twip per unit, frozen
  OCLStream s;
  custom.Write(s);
  const std::vector<unsigned char> golden = {
      0x00, 0x00, 0xC0, 0x3F,  // ScaleLeft 1.5
      0x00, 0x00, 0x00, 0xC0,  // ScaleTop -2
      0x00, 0x80, 0x3B, 0x45,  // ScaleWidth 3000
      0x00, 0x80, 0xBB, 0x44,  // ScaleHeight 1500
      0x00,                    // Custom
      0x00, 0x00, 0x80, 0x3F,  // 1.0 twips per unit across
      0x00, 0x00, 0x80, 0x3F,  // and down
  };
  EXPECT_EQ(golden, BytesOf(s));

  ScaleRect back(15, 15);
  s.seekTo(0);
  back.Read(s, "Form");
  EXPECT_EQ(kScaleCustom, back.mode());
  EXPECT_EQ(1.5f, back.ScaleLeft);
  EXPECT_EQ(-2.0f, back.ScaleTop);
  EXPECT_EQ(3000.0f, back.ScaleWidth);
  EXPECT_EQ(1.0f, back.customTwipsX());
  EXPECT_NEAR(1 / 15.0, (double)back.PixelsPerUnitY(), kEps);

  // Proportional keeps the surface's pixels as integers.
  ScaleRect prop(15, 15);
  prop.SetScaleMode(kScaleProportional, 200, 100);
  OCLStream p;
  prop.Write(p);
  std::vector<unsigned char> b = BytesOf(p);
  ASSERT_EQ(25u, b.size());
  EXPECT_EQ(8, b[16]);
  EXPECT_EQ(std::vector<unsigned char>({200, 0, 0, 0, 100, 0, 0, 0}),
            std::vector<unsigned char>(b.begin() + 17, b.end()));
  ScaleRect prop2(15, 15);
  p.seekTo(0);
  prop2.Read(p, "Form");
  EXPECT_EQ(200, prop2.pixelWidth());
  EXPECT_EQ(100, prop2.pixelHeight());

  // A mode the table lacks is refused with the owner's name; nothing changes.
  b[16] = 9;
  OCLStream bad;
  bad.write(b.data(), (ULONG)b.size());
  bad.seekTo(0);
  ScaleRect kept(15, 15);
  try {
    kept.Read(bad, "Form");
    ADD_FAILURE() << "read";
  } catch (const ObjectLoadFailed& e) {
    EXPECT_NE(nullptr, strstr(e.what(), "'Form'"));
  }
  EXPECT_EQ(kScaleTwip, kept.mode());
  EXPECT_EQ(0.0f, kept.ScaleWidth);
}

}  // namespace
