// "Button" on the X display: one "Click" per press, the default-button id on live and
// not-yet-made buttons, the dialog code with and without ALT, copying, damaged blocks.
#include <gtest/gtest.h>

#include "formkit.h"

namespace {

using namespace formkit;

const char kCountingForm[] =
    "  Dim Clicks As Long\n"
    "  Type Button1 From Button\n"
    "  End Type\n"
    "  Sub Button1_Click()\n"
    "    Clicks = Clicks + 1\n"
    "  End Sub\n";

long Clicks(IWForm* f) { return LongOf(f->storeObj()->evalIMember("Clicks", nullptr)); }

TEST(Button, IsPublishedUnderControlWithItsEvents) {
  TestApp();
  InterObjRep* proto = ObjectStore::find("Button");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.Button", proto->progId());
  EXPECT_EQ(ObjectStore::find("Control"), proto->parent());
  for (const char* e : {"Click", "GotFocus", "LostFocus", "KeyDown", "KeyUp", "KeyPress"})
    EXPECT_NE(nullptr, proto->findEventDef(e)) << e;
  EXPECT_NE(nullptr, proto->findField("Ctrl3d"));
}

TEST(Button, EachPressRaisesClickExactlyOnce) {
  IWForm* f = MakeForm("ClickOnce", kCountingForm);
  ASSERT_NE(nullptr, f);
  Place(f, "Button1");
  f->imShow();
  IWButton* b = Embedded<IWButton>(f, "Button1");
  ASSERT_NE(nullptr, b);
  ASSERT_NE(nullptr, b->HWindow);
  EXPECT_EQ(f->Client()->HWindow, GetParent(b->HWindow));
  for (long n = 1; n <= 3; ++n) {
    PostMessageA(b->HWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(b->HWindow, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    Pump();
    EXPECT_EQ(n, Clicks(f));
  }
  SendMessageA(b->HWindow, BM_CLICK, 0, 0);  // the keyboard's and a dialog's press
  Pump();
  EXPECT_EQ(4, Clicks(f));
  // A press released outside the button is no click.
  PostMessageA(b->HWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageA(b->HWindow, WM_LBUTTONUP, 0, MAKELPARAM(-50, -50));
  Pump();
  EXPECT_EQ(4, Clicks(f));
  EXPECT_EQ(std::string::npos, Log(f).find("Click,"));  // not the form's
  f->imUnload();
}

TEST(Button, SpecialIdOneMakesTheDefaultButton) {
  IWForm* f =
      MakeForm("Defaults", "  Type Live From Button\n  End Type\n  Type Later From Button\n  End Type\n");
  ASSERT_NE(nullptr, f);
  IWButton* later = Embedded<IWButton>(f, "Later");
  ASSERT_NE(nullptr, later);
  later->SetSpecialID(1);  // no window yet: recorded, used when the window is made
  EXPECT_EQ(1, later->GetId());
  f->imShow();
  IWButton* live = Embedded<IWButton>(f, "Live");
  ASSERT_NE(nullptr, live->HWindow);
  ASSERT_NE(nullptr, later->HWindow);
  EXPECT_EQ(1, GetDlgCtrlID(later->HWindow));
  EXPECT_EQ((LONG)BS_DEFPUSHBUTTON, GetWindowLongA(later->HWindow, GWL_STYLE) & 0xF);
  struct Case {
    int id;
    LONG type;
  } cases[] = {{1, BS_DEFPUSHBUTTON}, {2, BS_PUSHBUTTON}, {1, BS_DEFPUSHBUTTON}, {150, BS_PUSHBUTTON}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    live->SetSpecialID(c.id);
    EXPECT_EQ(c.id, GetDlgCtrlID(live->HWindow));
    EXPECT_EQ(c.type, GetWindowLongA(live->HWindow, GWL_STYLE) & 0xF);
    EXPECT_EQ((uint32_t)c.type, live->Attr.Style & 0xF);
  }
  f->imUnload();
}

TEST(Button, AsksForCharactersUnlessAltIsHeld) {
  IWForm* f = MakeForm("DlgCodes", "  Type B From Button\n  End Type\n");
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWButton* b = Embedded<IWButton>(f, "B");
  ASSERT_NE(nullptr, b->HWindow);
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE saved = keys[VK_MENU];
  for (bool alt : {false, true, false}) {
    SCOPED_TRACE(alt);
    keys[VK_MENU] = alt ? 0x80 : 0;
    SetKeyboardState(keys);
    LRESULT code = SendMessageA(b->HWindow, WM_GETDLGCODE, 0, 0);
    EXPECT_EQ(alt ? 0 : DLGC_WANTCHARS, code & DLGC_WANTCHARS);
    EXPECT_TRUE(code & DLGC_BUTTON);  // the system's own answer stays
  }
  keys[VK_MENU] = saved;
  SetKeyboardState(keys);
  f->imUnload();
}

TEST(Button, CopiesOnlyFromAButton) {
  TestApp();
  Owned<IWButton> from(new IWButton(nullptr));
  from->pdSetCaption("Source");
  from->Attr.Style |= BS_DEFPUSHBUTTON;
  Owned<IWButton> copy(new IWButton(nullptr));
  copy->clone(*from);
  EXPECT_EQ("Source", ValString(copy->pdGetCaption()).str());
  Owned<TestWindow> other(new TestWindow);
  other->pdSetCaption("Window");
  Owned<IWButton> untouched(new IWButton(nullptr));
  untouched->pdSetCaption("Mine");
  uint32_t style = untouched->Attr.Style;
  untouched->clone(*other);
  EXPECT_EQ("Mine", ValString(untouched->pdGetCaption()).str());
  EXPECT_EQ(style, untouched->Attr.Style);
}

TEST(Button, ADamagedOrNewerBlockFailsNamingButton) {
  TestApp();
  Owned<IWButton> good(new IWButton(nullptr));
  Bytes block = SaveBlock(*good);
  ASSERT_GT(block.size(), 4u);
  EXPECT_EQ(1, block[0]);  // button, control, window: each its revision byte
  EXPECT_EQ(1, block[1]);
  EXPECT_EQ(1, block[2]);
  for (size_t at : {0, 1, 2}) {
    Bytes newer = block;
    newer[at] = 2;
    Owned<IWButton> b(new IWButton(nullptr));
    try {
      LoadBlock(*b, newer);
      ADD_FAILURE() << "loaded a newer revision at " << at;
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'Button'")) << e.what();
    }
  }
  Bytes cut(block.begin(), block.begin() + 8);
  Owned<IWButton> b(new IWButton(nullptr));
  EXPECT_THROW(LoadBlock(*b, cut), ObjectLoadFailed);
}

}  // namespace
