// "ScrollBar" on forms on the X display: a backward range seen from Basic, "Scroll" per
// tracked position and one "Change" at the release, no event for the current value, the
// orientation swapping width and height, the text unload, the block.
#include <gtest/gtest.h>

#include "controlkit.h"
#include "guiobjects2/iwscrollbar.h"

namespace {

using namespace controlkit;

// A scroll code as the system sends it to the bar's parent.
void Scroll(IWScrollBar* b, UINT code, int pos = 0) {
  UINT msg = b->pdGetOrientation() == IWScrollBar::kVertical ? WM_VSCROLL : WM_HSCROLL;
  SendMessageA(GetParent(b->HWindow), msg, MAKEWPARAM(code, pos), (LPARAM)b->HWindow);
}

TEST(ScrollBar, IsPublishedUnderControlWithItsMembers) {
  Published();
  InterObjRep* proto = ObjectStore::find("ScrollBar");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.ScrollBar", proto->progId());
  EXPECT_EQ(ObjectStore::find("Control"), proto->parent());
  for (const char* f : {"SmallChange", "LargeChange", "Min", "Max", "Value", "Orientation", "TextUnload"})
    EXPECT_NE(nullptr, proto->findField(f)) << f;
  for (const char* e : {"Scroll", "Change", "GotFocus", "LostFocus", "KeyDown", "KeyUp", "KeyPress"})
    EXPECT_NE(nullptr, proto->findEventDef(e)) << e;
  Owned<IWScrollBar> b(new IWScrollBar(nullptr));
  EXPECT_EQ(0, b->pdGetMin());
  EXPECT_EQ(32767, b->pdGetMax());
  EXPECT_EQ(IWScrollBar::kHorizontal, b->pdGetOrientation());
  EXPECT_EQ(0, b->pdGetValue());  // no window
  b->pdSetValue(5);
  EXPECT_EQ(0, b->pdGetValue());
}

TEST(ScrollBar, ABackwardRangeIsMirroredAndTheThumbRaisesScrollThenOneChange) {
  IWForm* f = FormWith("Bars", "ScrollBar", "S", {"Scroll", "Change"});
  ASSERT_NE(nullptr, f);
  RunBasic("Bars.S.Orientation = 0\nBars.S.Min = 100\nBars.S.Max = 0");
  f->imShow();
  IWScrollBar* b = Embedded<IWScrollBar>(f, "S");
  ASSERT_NE(nullptr, b->HWindow);
  int lo = -1, hi = -1;
  GetScrollRange(b->HWindow, SB_CTL, &lo, &hi);
  EXPECT_EQ(0, lo);
  EXPECT_EQ(100, hi);
  EXPECT_EQ("100", RunBasicValue("Bars.S.Value"));  // the thumb at the top
  ClearLog(f);
  for (int pos : {10, 20, 30, 30}) Scroll(b, SB_THUMBTRACK, pos);
  EXPECT_TRUE(b->tracking());
  EXPECT_EQ("Scroll,Scroll,Scroll,", Events(f));
  Scroll(b, SB_THUMBPOSITION, 30);
  EXPECT_FALSE(b->tracking());
  EXPECT_EQ("Scroll,Scroll,Scroll,Change,", Events(f));
  EXPECT_EQ("70", RunBasicValue("Bars.S.Value"));
  // Dragged to the bottom, then to the top.
  Scroll(b, SB_THUMBTRACK, 100);
  Scroll(b, SB_THUMBPOSITION, 100);
  EXPECT_EQ("0", RunBasicValue("Bars.S.Value"));
  Scroll(b, SB_THUMBTRACK, 0);
  Scroll(b, SB_THUMBPOSITION, 0);
  EXPECT_EQ("100", RunBasicValue("Bars.S.Value"));
  // From Basic: the current value raises nothing, another one "Change" once; values
  // outside the range are clamped into it.
  ClearLog(f);
  RunBasic("Bars.S.Value = 100");
  EXPECT_EQ("", Events(f));
  RunBasic("Bars.S.Value = 25");
  EXPECT_EQ("Change,", Events(f));
  EXPECT_EQ(75, GetScrollPos(b->HWindow, SB_CTL));
  EXPECT_EQ("25", RunBasicValue("Bars.S.Value"));
  RunBasic("Bars.S.Value = 500");
  EXPECT_EQ("100", RunBasicValue("Bars.S.Value"));
  // Line steps move by SmallChange.
  RunBasic("Bars.S.SmallChange = 7");
  EXPECT_EQ(7, b->LineMagnitude);
  Scroll(b, SB_LINEDOWN);
  EXPECT_EQ("93", RunBasicValue("Bars.S.Value"));
  f->imUnload();
}

TEST(ScrollBar, OrientationSwapsWidthAndHeight) {
  IWForm* f = FormWith("Turn", "ScrollBar", "S", {"Setup"});
  ASSERT_NE(nullptr, f);
  RunBasic("Turn.S.Orientation = 0");
  f->imShow();
  IWScrollBar* b = Embedded<IWScrollBar>(f, "S");
  ASSERT_NE(nullptr, b->HWindow);
  b->imMove(0, 0, 20.0f * IWScreen::TwipsPerPixelX(), 200.0f * IWScreen::TwipsPerPixelY());
  EXPECT_EQ((uint32_t)SBS_VERT, StyleOf(b) & SBS_VERT);
  ClearLog(f);
  RunBasic("Turn.S.Orientation = 1");
  ASSERT_NE(nullptr, b->HWindow);
  RECT r;
  GetWindowRect(b->HWindow, &r);
  EXPECT_EQ(200, r.right - r.left);
  EXPECT_EQ(20, r.bottom - r.top);
  EXPECT_EQ(0u, StyleOf(b) & SBS_VERT);
  EXPECT_EQ(IWScrollBar::kHorizontal, b->pdGetOrientation());
  EXPECT_EQ("", Events(f));  // made again without "Setup"
  RunBasic("Turn.S.Orientation = 7");
  EXPECT_EQ(IWScrollBar::kHorizontal, b->pdGetOrientation());
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

TEST(ScrollBar, TheTextUnloadOfAHorizontalBarEndsWithItsMove) {
  IWForm* f = FormWith("Lines", "ScrollBar", "S", {});
  ASSERT_NE(nullptr, f);
  RunBasic("Lines.S.Min = 5\nLines.S.Max = 50\nLines.S.LargeChange = 9");
  std::string text = Unload("Lines.S");
  for (const char* line : {".LargeChange = 9", ".Min = 5", ".Max = 50", ".Orientation = \"Horizontal\""})
    EXPECT_NE(std::string::npos, text.find(line)) << line << " in\n" << text;
  size_t last = text.rfind("  .Move(");
  ASSERT_NE(std::string::npos, last) << text;
  EXPECT_EQ(text.size() - 1, text.find('\n', last)) << text;
  EXPECT_EQ('\n', text.back());
  RunBasic("Lines.S.Orientation = 0");
  std::string vertical = Unload("Lines.S");
  size_t moves = 0;
  for (size_t at = 0; (at = vertical.find(".Move(", at)) != std::string::npos; ++at) ++moves;
  EXPECT_EQ(1u, moves) << vertical;  // the control's own only
  EXPECT_NE(std::string::npos, vertical.find(".Orientation = \"Vertical\"")) << vertical;
  f->imUnload();
}

TEST(ScrollBar, TheBlockCarriesStepsAndRange) {
  Published();
  Owned<IWScrollBar> b(new IWScrollBar(nullptr));
  b->LineMagnitude = 3;
  b->PageMagnitude = 30;
  b->pdSetMin(-5);
  b->pdSetMax(400);
  Bytes block = SaveBlock(*b);
  ASSERT_GT(block.size(), 12u);
  for (size_t at : {0, 1, 2}) EXPECT_EQ(1, block[at]) << at;
  const uint8_t tail[] = {3, 0, 30, 0, 0xfb, 0xff, 0x90, 0x01};
  EXPECT_EQ(Bytes(tail, tail + 8), Bytes(block.end() - 8, block.end()));
  Owned<IWScrollBar> copy(new IWScrollBar(nullptr));
  LoadBlock(*copy, block);
  EXPECT_EQ(block, SaveBlock(*copy));
  EXPECT_EQ(-5, copy->pdGetMin());
  EXPECT_EQ(400, copy->pdGetMax());
  EXPECT_EQ(30, copy->PageMagnitude);
  // A newer revision at any level, or a torn tail: refused, the bar as it was.
  Bytes torn(block.begin(), block.end() - 3);
  Owned<IWScrollBar> other(new IWScrollBar(nullptr));
  EXPECT_THROW(LoadBlock(*other, torn), ObjectLoadFailed);
  EXPECT_EQ(32767, other->pdGetMax());
  EXPECT_EQ(1, other->LineMagnitude);
  for (size_t at : {0, 1, 2}) {
    Bytes newer = block;
    newer[at] = 2;
    try {
      LoadBlock(*other, newer);
      ADD_FAILURE() << "loaded a newer revision at " << at;
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'ScrollBar'")) << e.what();
    }
  }
}

}  // namespace
