// "CheckBox" on forms on the X display: a three-state button under "Control" whose
// "Value" raises "Click" only when it changes the state, whose clicks never leave it
// grey, which is inert without a window, and whose block is the control's.
#include <gtest/gtest.h>

#include "controlkit.h"
#include "guiobjects2/iwcheckbox.h"

namespace {

using namespace controlkit;

TEST(CheckBox, IsAThreeStateButtonPublishedUnderControl) {
  Published();
  InterObjRep* proto = ObjectStore::find("CheckBox");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.CheckBox", proto->progId());
  EXPECT_EQ(ObjectStore::find("Control"), proto->parent());
  for (const char* f : {"Value", "Ctrl3d", "TabStop"}) EXPECT_NE(nullptr, proto->findField(f)) << f;
  for (const char* e : {"Click", "GotFocus", "LostFocus", "KeyDown", "KeyUp", "KeyPress"})
    EXPECT_NE(nullptr, proto->findEventDef(e)) << e;
  EXPECT_EQ(nullptr, proto->findEventDef("DblClick"));
  IWForm* f = FormWith("CheckKind", "CheckBox", "C", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWCheckBox* c = Embedded<IWCheckBox>(f, "C");
  ASSERT_NE(nullptr, c->HWindow);
  char cls[32] = "";
  GetClassNameA(c->HWindow, cls, sizeof cls);
  EXPECT_EQ(0, lstrcmpiA("Button", cls)) << cls;
  EXPECT_EQ((uint32_t)BS_AUTO3STATE, StyleOf(c) & 0xF);
  EXPECT_EQ(-1, c->pdGetCtrl3d());
  f->imUnload();
}

// Each step's Basic, then the value read back, the window's own check state and the
// events it raised.
TEST(CheckBox, ValueRaisesClickOnlyWhenTheStateChanges) {
  IWForm* f = FormWith("CheckValue", "CheckBox", "C", {"Click"});
  ASSERT_NE(nullptr, f);
  // Without a window: reads 0, a set goes nowhere and raises nothing.
  RunBasic("CheckValue.C.Value = 1");
  EXPECT_EQ("0", RunBasicValue("CheckValue.C.Value"));
  EXPECT_EQ("", Events(f));
  f->imShow();
  IWCheckBox* c = Embedded<IWCheckBox>(f, "C");
  ASSERT_NE(nullptr, c->HWindow);
  EXPECT_EQ("0", RunBasicValue("CheckValue.C.Value"));
  struct Step {
    const char* basic;
    long value;
    const char* events;
  } steps[] = {
      {"CheckValue.C.Value = 2", 2, "Click,"},
      {"CheckValue.C.Value = 2", 2, ""},  // the same state: nothing
      {"CheckValue.C.Value = 1", 1, "Click,"},
      {"CheckValue.C.Value = 0", 0, "Click,"},
      {"CheckValue.C.Value = 0", 0, ""},
      {"CheckValue.C.Value = 3", 0, ""},  // outside the states: refused
      {"CheckValue.C.Value = -1", 0, ""},
      {"CheckValue.C.Value = 2", 2, "Click,"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.basic);
    ClearLog(f);
    RunBasic(s.basic);
    EXPECT_EQ(std::to_string(s.value), RunBasicValue("CheckValue.C.Value"));
    EXPECT_EQ(s.value, SendMessageA(c->HWindow, BM_GETCHECK, 0, 0));
    EXPECT_EQ(s.events, Events(f));
  }
  f->imUnload();
}

// Clicks from grey: unchecked, checked, unchecked again (never grey), one "Click" each.
TEST(CheckBox, AClickNeverLeavesItGrey) {
  IWForm* f = FormWith("CheckClick", "CheckBox", "C", {"Click"});
  ASSERT_NE(nullptr, f);
  Place(f, "C");
  f->imShow();
  IWCheckBox* c = Embedded<IWCheckBox>(f, "C");
  ASSERT_NE(nullptr, c->HWindow);
  RunBasic("CheckClick.C.Value = 2");
  for (long expected : {0L, 1L, 0L, 1L}) {
    SCOPED_TRACE(expected);
    ClearLog(f);
    PostMessageA(c->HWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PostMessageA(c->HWindow, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    AppPump();
    EXPECT_EQ(expected, c->pdGetValue());
    EXPECT_EQ("Click,", Events(f));
  }
  f->imUnload();
}

TEST(CheckBox, TheBlockIsTheControlsAndKeepsNoState) {
  Published();
  Owned<IWCheckBox> good(new IWCheckBox(nullptr));
  good->pdSetCaption("Bold");
  Bytes block = SaveBlock(*good);
  ASSERT_GT(block.size(), 4u);
  // Check box, control, window: no button level between.
  for (size_t at : {0, 1, 2}) EXPECT_EQ(1, block[at]) << at;
  EXPECT_EQ(0, block[3]);  // the window's "no form"
  for (size_t at : {0, 1, 2}) {
    Bytes newer = block;
    newer[at] = 2;
    Owned<IWCheckBox> c(new IWCheckBox(nullptr));
    try {
      LoadBlock(*c, newer);
      ADD_FAILURE() << "loaded a newer revision at " << at;
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'CheckBox'")) << e.what();
    }
  }
  Bytes cut(block.begin(), block.begin() + block.size() / 2);
  Owned<IWCheckBox> torn(new IWCheckBox(nullptr));
  EXPECT_THROW(LoadBlock(*torn, cut), ObjectLoadFailed);
  Owned<IWCheckBox> copy(new IWCheckBox(nullptr));
  LoadBlock(*copy, block);
  EXPECT_EQ(block, SaveBlock(*copy));
  EXPECT_EQ("Bold", ValString(copy->pdGetCaption()).str());
}

// The background: the button face, or nothing at all with the no-background marker;
// erased either way. Painted into a bitmap first filled with a colour of its own.
TEST(CheckBox, ErasesWithTheButtonFaceUnlessTheMarkerAsksForNone) {
  IWForm* f = FormWith("CheckBack", "CheckBox", "C", {});
  ASSERT_NE(nullptr, f);
  Place(f, "C");
  f->imShow();
  IWCheckBox* c = Embedded<IWCheckBox>(f, "C");
  ASSERT_NE(nullptr, c->HWindow);
  const COLORREF green = RGB(0, 200, 0);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 200, 100);
  HGDIOBJ old = SelectObject(mem, bmp);
  struct Case {
    uint32_t back;
    bool face;
  } cases[] = {{0xFFFFFFFFu, true}, {IWCheckBox::kNoBackground, false}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.back);
    RECT all = {0, 0, 200, 100};
    HBRUSH fill = CreateSolidBrush(green);
    FillRect(mem, &all, fill);
    DeleteObject(fill);
    c->BkgndColor = TColor((COLORREF)k.back);
    EXPECT_EQ(1, SendMessageA(c->HWindow, WM_ERASEBKGND, (WPARAM)mem, 0));
    EXPECT_EQ(k.face ? GetNearestColor(mem, GetSysColor(COLOR_BTNFACE)) : green, GetPixel(mem, 3, 3));
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  f->imUnload();
}

}  // namespace
