// "Gauge" on forms on the X display: the margin's low byte, the LED step and its
// thickness in the block, which setters mark the object changed, the painted bar read
// back pixel by pixel, the click on release, the text unload.
#include <gtest/gtest.h>

#include "controlkit.h"
#include "guiobjects2/iwgauge.h"
#include "winlib/dc.h"

namespace {

using namespace controlkit;

TEST(Gauge, IsPublishedUnderControlWithItsMembers) {
  Published();
  InterObjRep* proto = ObjectStore::find("Gauge");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.Gauge", proto->progId());
  EXPECT_EQ(ObjectStore::find("Control"), proto->parent());
  for (const char* f : {"Min", "Max", "Value", "Orientation", "LEDStep", "Margin", "BarColor", "TextUnload"})
    EXPECT_NE(nullptr, proto->findField(f)) << f;
  for (const char* e : {"Click", "DblClick", "GotFocus", "LostFocus", "KeyDown", "KeyUp", "KeyPress"})
    EXPECT_NE(nullptr, proto->findEventDef(e)) << e;
  Owned<IWGauge> g(new IWGauge(nullptr));
  EXPECT_EQ(0, g->pdGetMin());
  EXPECT_EQ(100, g->pdGetMax());
  EXPECT_EQ(1, g->pdGetOrientation());
  EXPECT_EQ(0, g->pdGetMargin());
}

// Each setter: the value read back and whether it marked the object changed.
TEST(Gauge, SettersAndTheChangedMark) {
  Published();
  Owned<IWGauge> g(new IWGauge(nullptr));
  struct Step {
    const char* what;
    void (*set)(IWGauge&);
    long (*get)(IWGauge&);
    long expected;
    bool marks;
  } steps[] = {
      {"Value 40", [](IWGauge& x) { x.pdSetValue(40); }, [](IWGauge& x) -> long { return x.pdGetValue(); },
       40, false},
      {"Value 900 (clamped)", [](IWGauge& x) { x.pdSetValue(900); },
       [](IWGauge& x) -> long { return x.pdGetValue(); }, 100, false},
      {"Min 10", [](IWGauge& x) { x.pdSetMin(10); }, [](IWGauge& x) -> long { return x.pdGetMin(); }, 10,
       true},
      {"Max 60", [](IWGauge& x) { x.pdSetMax(60); }, [](IWGauge& x) -> long { return x.pdGetMax(); }, 60,
       true},
      {"Margin 300", [](IWGauge& x) { x.pdSetMargin(300); },
       [](IWGauge& x) -> long { return x.pdGetMargin(); }, 44, true},
      {"Orientation 0", [](IWGauge& x) { x.pdSetOrientation(0); },
       [](IWGauge& x) -> long { return x.pdGetOrientation(); }, 0, true},
      {"Orientation 0 again", [](IWGauge& x) { x.pdSetOrientation(0); },
       [](IWGauge& x) -> long { return x.pdGetOrientation(); }, 0, false},
      {"Orientation 5", [](IWGauge& x) { x.pdSetOrientation(5); },
       [](IWGauge& x) -> long { return x.pdGetOrientation(); }, 0, false},
      {"LEDStep 6", [](IWGauge& x) { x.pdSetLEDStep(6); },
       [](IWGauge& x) -> long { return x.pdGetLEDStep(); }, 6, true},
      {"BarColor", [](IWGauge& x) { x.pdSetBarColor(0x123456); },
       [](IWGauge& x) -> long { return x.pdGetBarColor(); }, 0x123456, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    g->setDirty(false);
    s.set(*g);
    EXPECT_EQ(s.expected, s.get(*g));
    EXPECT_EQ(s.marks ? S_OK : S_FALSE, g->IsDirty());
  }
  EXPECT_EQ(60, g->pdGetValue());  // the value follows the range
  EXPECT_EQ(90, g->LedThick);
}

TEST(Gauge, TheBlockCarriesTheLedThickness) {
  Published();
  Owned<IWGauge> g(new IWGauge(nullptr));
  g->pdSetMin(-3);
  g->pdSetMax(500);
  g->pdSetMargin(300);
  g->pdSetOrientation(0);
  g->pdSetLEDStep(7);
  g->pdSetBarColor(0x00ff8040);
  g->pdSetValue(20);
  Bytes block = SaveBlock(*g);
  ASSERT_GT(block.size(), 14u);
  for (size_t at : {0, 1, 2}) EXPECT_EQ(1, block[at]) << at;
  const uint8_t tail[] = {0xfd, 0xff, 0xf4, 0x01, 44, 0, 7, 0, 90, 0x40, 0x80, 0xff, 0x00};
  EXPECT_EQ(Bytes(tail, tail + sizeof tail), Bytes(block.end() - sizeof tail, block.end()));
  Owned<IWGauge> copy(new IWGauge(nullptr));
  LoadBlock(*copy, block);
  EXPECT_EQ(block, SaveBlock(*copy));
  EXPECT_EQ(90, copy->LedThick);
  EXPECT_EQ(0, copy->pdGetValue());  // the value is not stored
  Bytes torn(block.begin(), block.end() - 2);
  Owned<IWGauge> other(new IWGauge(nullptr));
  EXPECT_THROW(LoadBlock(*other, torn), ObjectLoadFailed);
  EXPECT_EQ(100, other->pdGetMax());
  EXPECT_EQ(0, other->LedThick);
  for (size_t at : {0, 1, 2}) {
    Bytes newer = block;
    newer[at] = 2;
    try {
      LoadBlock(*other, newer);
      ADD_FAILURE() << "loaded a newer revision at " << at;
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'Gauge'")) << e.what();
    }
  }
}

// The gauge painted into a bitmap: which columns of its middle row are the bar colour.
TEST(Gauge, PaintsTheBarInProportionToTheValue) {
  IWForm* f = FormWith("Meter", "Gauge", "G", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWGauge* g = Embedded<IWGauge>(f, "G");
  ASSERT_NE(nullptr, g->HWindow);
  g->imMove(0, 0, 104.0f * IWScreen::TwipsPerPixelX(), 20.0f * IWScreen::TwipsPerPixelY());
  RECT r;
  GetClientRect(g->HWindow, &r);
  ASSERT_EQ(104, r.right);
  const COLORREF red = RGB(255, 0, 0);
  g->pdSetBarColor((long)red);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, r.right, r.bottom);
  HGDIOBJ old = SelectObject(mem, bmp);
  // Inside the 2-pixel edge the face is 100 pixels wide: the bar covers value percent.
  for (short value : {0, 25, 50, 100}) {
    SCOPED_TRACE(value);
    g->pdSetValue(value);
    TDC dc(mem);
    TRect all(0, 0, r.right, r.bottom);
    g->Paint(dc, true, all);
    for (int x : {3, 20, 30, 45, 55, 80, 100}) {
      bool inBar = x - 2 < value;
      EXPECT_EQ(inBar, GetPixel(mem, x, 10) == red) << "x " << x;
    }
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  f->imUnload();
}

TEST(Gauge, APressAndReleaseOverItIsAClick) {
  IWForm* f = FormWith("Press", "Gauge", "G", {"Click"});
  ASSERT_NE(nullptr, f);
  Place(f, "G");
  f->imShow();
  IWGauge* g = Embedded<IWGauge>(f, "G");
  ASSERT_NE(nullptr, g->HWindow);
  ClearLog(f);
  PostMessageA(g->HWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageA(g->HWindow, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  AppPump();
  EXPECT_EQ("Click,", Events(f));
  EXPECT_EQ(nullptr, GetCapture());
  f->imUnload();
}

std::string Unload(const std::string& path) {
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As String\n  Dim s As String\n  Dim r As Integer\n  r = " + path +
          ".TextUnload(\"  \", s)\n  F = r & \"|\" & s\nEnd Function\n",
      "F");
  EXPECT_TRUE(out.ok) << out.error;
  EXPECT_EQ(0u, out.result.find("-1|")) << out.result;
  return out.result.size() > 3 ? out.result.substr(3) : "";
}

size_t Moves(const std::string& text) {
  size_t n = 0;
  for (size_t at = 0; (at = text.find(".Move(", at)) != std::string::npos; ++at) ++n;
  return n;
}

TEST(Gauge, TheTextUnloadOfAVerticalGaugeEndsWithItsMove) {
  IWForm* f = FormWith("GaugeText", "Gauge", "G", {});
  ASSERT_NE(nullptr, f);
  RunBasic("GaugeText.G.Margin = 3\nGaugeText.G.LEDStep = 4");
  std::string horizontal = Unload("GaugeText.G");
  for (const char* line : {".Margin = 3", ".LEDStep = 4", ".Orientation = \"Horizontal\""})
    EXPECT_NE(std::string::npos, horizontal.find(line)) << line << " in\n" << horizontal;
  EXPECT_EQ(1u, Moves(horizontal)) << horizontal;
  RunBasic("GaugeText.G.Orientation = 0");
  std::string vertical = Unload("GaugeText.G");
  EXPECT_EQ(2u, Moves(vertical)) << vertical;
  size_t last = vertical.rfind("  .Move(");
  ASSERT_NE(std::string::npos, last);
  EXPECT_EQ(vertical.size() - 1, vertical.find('\n', last)) << vertical;
  f->imUnload();
}

}  // namespace
