// "Control" on the X display: its signature, the list-box inset, the tab bits, the
// text with and without a window, sizes stored in twips, the data-binding methods, the
// text unload and damaged blocks.
#include <gtest/gtest.h>

#include "formkit.h"
#include "guiobjects1/iwscreen.h"
#include "winlib/listbox.h"

namespace {

using namespace formkit;

// A control over the window library's list box (the published list box comes later).
class TestList : public IWControl, public TListBox {
 public:
  TestList() : IWControl(nullptr) {}
  const char* GetClassName() override { return TListBox::GetClassName(); }
  bool Create() override { return IWControl::Create(); }
  int CharToItem(uint k, uint c) override { return IWControl::CharToItem(k, c); }
  int VKeyToItem(uint k, uint c) override { return IWControl::VKeyToItem(k, c); }
  bool Find(TEventInfo& ev, TEqualOperator eq) override { return IWControl::Find(ev, eq); }
};

// A plain control (its class is the library's "OvWindow") without a store object.
class TestControl : public IWControl {
 public:
  TestControl() : IWControl(nullptr) {}
};

RECT RectInParent(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, GetParent(h), (POINT*)&r, 2);
  return r;
}

TEST(Control, IsPublishedUnderWindowWithItsMembers) {
  TestApp();
  InterObjRep* proto = ObjectStore::find("Control");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.Control", proto->progId());
  EXPECT_EQ(ObjectStore::find("Window"), proto->parent());
  for (const char* m : {"TabStop", "TabGroup", "Update", "UpdateDataSource", "TextUnload", "Caption"})
    EXPECT_NE(nullptr, proto->findField(m)) << m;
  EXPECT_NE(nullptr, EnumRep::find("ControlAlignmentEnum"));
}

TEST(Control, AListBoxIsMadeOnePixelInsideItsRectangle) {
  TestApp();
  HiddenParent holder;
  struct Case {
    int x, y, w, h;
    RECT made;
  } cases[] = {
      {5, 5, 10, 10, {6, 6, 14, 14}},
      {5, 5, 1, 1, {6, 6, 6, 6}},
      {0, 0, 40, 30, {1, 1, 39, 29}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.w);
    Owned<TestList> list(new TestList);
    list->Attr.Style |= LBS_NOINTEGRALHEIGHT;  // no rounding to whole rows
    list->SetParent(holder.window());
    list->Attr.X = c.x;
    list->Attr.Y = c.y;
    list->Attr.W = c.w;
    list->Attr.H = c.h;
    ASSERT_TRUE(list->Create());
    RECT r = RectInParent(list->HWindow);
    EXPECT_EQ(c.made.left, r.left);
    EXPECT_EQ(c.made.top, r.top);
    EXPECT_EQ(c.made.right, r.right);
    EXPECT_EQ(c.made.bottom, r.bottom);
    // The geometry in twips is the window that was made.
    EXPECT_EQ((c.made.right - c.made.left) * IWScreen::TwipsPerPixelX(), list->twipsWidth());
    EXPECT_EQ(c.made.left * IWScreen::TwipsPerPixelX(), list->twipsLeft());
  }
}

TEST(Control, AnotherClassIsMadeWhereAsked) {
  TestApp();
  HiddenParent holder;
  Owned<TestControl> c(new TestControl);
  c->SetParent(holder.window());
  c->Attr.X = 5;
  c->Attr.Y = 7;
  c->Attr.W = 10;
  c->Attr.H = 12;
  ASSERT_TRUE(c->Create());
  RECT r = RectInParent(c->HWindow);
  EXPECT_EQ(5, r.left);
  EXPECT_EQ(7, r.top);
  EXPECT_EQ(15, r.right);
  EXPECT_EQ(19, r.bottom);
  EXPECT_TRUE(GetWindowLongA(c->HWindow, GWL_STYLE) & WS_CLIPSIBLINGS);
}

TEST(Control, TabStopAndTabGroupAreTheStyleBits) {
  TestApp();
  HiddenParent holder;
  struct Bit {
    const char* name;
    uint32_t bit;
    void (IWControl::*set)(long);
    long (IWControl::*get)();
  } bits[] = {{"TabStop", WS_TABSTOP, &IWControl::pdSetTabStop, &IWControl::pdGetTabStop},
              {"TabGroup", WS_GROUP, &IWControl::pdSetTabGroup, &IWControl::pdGetTabGroup}};
  for (bool live : {false, true}) {
    for (const Bit& b : bits) {
      SCOPED_TRACE(std::string(b.name) + (live ? " live" : " no window"));
      Owned<TestControl> c(new TestControl);
      c->SetParent(holder.window());
      if (live) {
        ASSERT_TRUE(c->Create());
      }
      ((*c).*b.set)(0);
      EXPECT_EQ(0, ((*c).*b.get)());
      EXPECT_EQ(0u, c->GetStyle() & b.bit);
      ((*c).*b.set)(-1);
      EXPECT_EQ(-1, ((*c).*b.get)());
      EXPECT_EQ(b.bit, c->GetStyle() & b.bit);
      EXPECT_EQ(b.bit, c->Attr.Style & b.bit);
      ((*c).*b.set)(0);
      EXPECT_EQ(0, ((*c).*b.get)());
      EXPECT_EQ(0u, c->GetStyle() & b.bit);
    }
  }
}

TEST(Control, TextNeedsAWindowAndMarksTheDataChanged) {
  TestApp();
  HiddenParent holder;
  Owned<TestControl> c(new TestControl);
  c->SetParent(holder.window());
  c->pdSetText("lost");
  EXPECT_EQ(0, c->pdGetDataChanged());
  ValString before(c->pdGetText());
  EXPECT_EQ("", before.str());
  ASSERT_TRUE(c->Create());
  EXPECT_EQ("", ValString(c->pdGetText()).str());
  c->pdSetText(nullptr);
  EXPECT_EQ(0, c->pdGetDataChanged());
  c->pdSetText("kept");
  EXPECT_EQ(-1, c->pdGetDataChanged());
  EXPECT_EQ("kept", ValString(c->pdGetText()).str());
  EXPECT_EQ("kept", c->GetWindowText());
  // The binding methods: Update shows a value, UpdateDataSource gives the text back.
  c->imUpdate("from the record");
  EXPECT_EQ("from the record", c->GetWindowText());
  ValString back("x");
  c->imUpdateDataSource(&back);
  EXPECT_EQ("from the record", back.str());
}

TEST(Control, RestoredSizesNotMadeByTheWindowLayerAreStoredInTwips) {
  TestApp();
  HiddenParent holder;
  Owned<TestControl> c(new TestControl);
  c->SetParent(holder.window());
  c->Attr.W = 20;
  c->Attr.H = 10;
  ASSERT_TRUE(c->Create());
  const int tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  ::MoveWindow(c->HWindow, 0, 0, 30, 40, FALSE);  // a size from outside: stored
  EXPECT_EQ(30 * tx, c->twipsWidth());
  EXPECT_EQ(40 * ty, c->twipsHeight());
  c->SetFlag(IWWindow::kMoving);  // the window layer's own change: not taken back
  ::MoveWindow(c->HWindow, 0, 0, 50, 60, FALSE);
  c->ClearFlag(IWWindow::kMoving);
  EXPECT_EQ(30 * tx, c->twipsWidth());
  for (WPARAM type : {SIZE_MAXIMIZED, SIZE_MINIMIZED}) {  // other size types keep it
    SendMessageA(c->HWindow, WM_SIZE, type, MAKELPARAM(50, 60));
    EXPECT_EQ(30 * tx, c->twipsWidth());
    EXPECT_EQ(40 * ty, c->twipsHeight());
  }
  SendMessageA(c->HWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(50, 60));
  EXPECT_EQ(50 * tx, c->twipsWidth());
  EXPECT_EQ(60 * ty, c->twipsHeight());
}

TEST(Control, TextUnloadWritesTheWindowThenVisibleTabStopTabGroup) {
  ASSERT_TRUE(ReadObjects("Type UnloadHost From Form\n  Type Ctl From Control\n  End Type\nEnd Type\n"));
  RunBasic("UnloadHost.Ctl.TabStop = True\nUnloadHost.Ctl.Visible = True");
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As String\n  Dim s As String\n  Dim r As Integer\n  r = UnloadHost.Ctl.TextUnload(\"  "
      "\", s)\n"
      "  F = r & \"|\" & s\nEnd Function\n",
      "F");
  ASSERT_TRUE(out.ok) << out.error;
  const std::string& t = out.result;
  EXPECT_EQ(0u, t.find("-1|")) << t;
  size_t move = t.find(".Move("), visible = t.find(".Visible"), stop = t.find(".TabStop"),
         group = t.find(".TabGroup");
  ASSERT_NE(std::string::npos, move) << t;
  ASSERT_NE(std::string::npos, visible) << t;
  ASSERT_NE(std::string::npos, stop) << t;
  ASSERT_NE(std::string::npos, group) << t;
  EXPECT_LT(move, visible);
  EXPECT_LT(visible, stop);
  EXPECT_LT(stop, group);
}

TEST(Control, ADamagedOrNewerBlockFailsNamingControl) {
  TestApp();
  Owned<TestControl> good(new TestControl);
  good->pdSetCaption("Stored");
  Bytes block = SaveBlock(*good);
  ASSERT_GT(block.size(), 4u);
  EXPECT_EQ(1, block[0]);  // the control's revision, then the window's block
  EXPECT_EQ(1, block[1]);
  Bytes newer = block;
  newer[0] = 2;
  Bytes cut(block.begin(), block.begin() + 6);
  Bytes innerNewer = block;
  innerNewer[1] = 9;
  for (const Bytes* b : {&newer, &cut, &innerNewer}) {
    Owned<TestControl> c(new TestControl);
    try {
      LoadBlock(*c, *b);
      ADD_FAILURE() << "loaded";
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'Control'")) << e.what();
    }
  }
  Owned<TestControl> copy(new TestControl);
  LoadBlock(*copy, block);
  EXPECT_EQ("Stored", ValString(copy->pdGetCaption()).str());
}

}  // namespace
