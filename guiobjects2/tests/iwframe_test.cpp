// "Frame" on forms on the X display: a group box under "Control" without "Click", its
// background painted only under a parent that clips its children and never with the
// no-background marker, damaged blocks.
#include <gtest/gtest.h>

#include "controlkit.h"
#include "guiobjects2/iwframe.h"
#include "testkit/formdriver.h"

namespace {

using namespace controlkit;

TEST(Frame, IsAGroupBoxPublishedUnderControl) {
  Published();
  InterObjRep* proto = ObjectStore::find("Frame");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.Frame", proto->progId());
  EXPECT_EQ(ObjectStore::find("Control"), proto->parent());
  EXPECT_NE(nullptr, proto->findField("Ctrl3d"));
  for (const char* e : {"GotFocus", "LostFocus", "KeyDown", "KeyUp", "KeyPress"})
    EXPECT_NE(nullptr, proto->findEventDef(e)) << e;
  EXPECT_EQ(nullptr, proto->findEventDef("Click"));
  IWForm* f = FormWith("FrameBox", "Frame", "G", {});
  ASSERT_NE(nullptr, f);
  RunBasic("FrameBox.G.Caption = \"Group\"");
  f->imShow();
  IWFrame* g = Embedded<IWFrame>(f, "G");
  ASSERT_NE(nullptr, g->HWindow);
  char cls[32] = "";
  GetClassNameA(g->HWindow, cls, sizeof cls);
  EXPECT_EQ(0, lstrcmpiA("Button", cls)) << cls;
  EXPECT_EQ((uint32_t)BS_GROUPBOX, StyleOf(g) & 0xF);
  EXPECT_EQ("Group", testkit::CaptionOf(g->HWindow));
  EXPECT_EQ(-1, g->pdGetCtrl3d());
  f->imUnload();
}

// Whether the frame paints its background: the parent's clipping and the back colour.
TEST(Frame, PaintsItsBackgroundOnlyUnderAClippingParentWithoutTheMarker) {
  Published();
  HiddenParent holder;
  struct Case {
    bool clipping;
    uint32_t back;
    bool paints;
  } cases[] = {
      {true, 0xFFFFFFFFu, true},
      {false, 0xFFFFFFFFu, false},
      {true, IWFrame::kNoBackground, false},
      {true, 0x0000FF, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.clipping) + " " + std::to_string(c.back));
    LONG style = GetWindowLongA(holder.window()->HWindow, GWL_STYLE);
    SetWindowLongA(holder.window()->HWindow, GWL_STYLE,
                   c.clipping ? style | WS_CLIPCHILDREN : style & ~(LONG)WS_CLIPCHILDREN);
    Owned<IWFrame> g(new IWFrame(nullptr));
    g->SetParent(holder.window());
    g->Attr.W = g->Attr.H = 40;
    ASSERT_TRUE(g->Create());
    g->BkgndColor = TColor((COLORREF)c.back);
    EXPECT_EQ(c.paints, g->PaintsBackground());
    // Either way the background counts as erased.
    HDC dc = GetDC(g->HWindow);
    EXPECT_EQ(1, SendMessageA(g->HWindow, WM_ERASEBKGND, (WPARAM)dc, 0));
    ReleaseDC(g->HWindow, dc);
  }
}

TEST(Frame, ADamagedOrNewerBlockFailsNamingFrame) {
  Published();
  Owned<IWFrame> good(new IWFrame(nullptr));
  Bytes block = SaveBlock(*good);
  ASSERT_GT(block.size(), 4u);
  for (size_t at : {0, 1, 2}) EXPECT_EQ(1, block[at]) << at;
  for (size_t at : {0, 1, 2}) {
    Bytes newer = block;
    newer[at] = 2;
    Owned<IWFrame> g(new IWFrame(nullptr));
    try {
      LoadBlock(*g, newer);
      ADD_FAILURE() << "loaded a newer revision at " << at;
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'Frame'")) << e.what();
    }
  }
  Owned<IWFrame> copy(new IWFrame(nullptr));
  LoadBlock(*copy, block);
  EXPECT_EQ(block, SaveBlock(*copy));
}

}  // namespace
