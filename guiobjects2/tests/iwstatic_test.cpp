// "Label" on forms on the X display: "Change" on every set of the text or caption, the
// style properties and the window they re-create, clicks only for a press and release
// on the label, the lines that fit, damaged blocks, copying.
#include <gtest/gtest.h>

#include "controlkit.h"

namespace {

using namespace controlkit;

TEST(Label, IsPublishedUnderControlWithItsMembers) {
  Published();
  InterObjRep* proto = ObjectStore::find("Label");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.Label", proto->progId());
  EXPECT_EQ(ObjectStore::find("Control"), proto->parent());
  for (const char* f : {"Ctrl3d", "Text", "BorderStyle", "Alignment", "WordWrap", "LinesVisible",
                        "LineHeight", "TextUnload", "TabStop", "Caption"})
    EXPECT_NE(nullptr, proto->findField(f)) << f;
  for (const char* e :
       {"Click", "DblClick", "Change", "GotFocus", "LostFocus", "KeyDown", "KeyUp", "KeyPress"})
    EXPECT_NE(nullptr, proto->findEventDef(e)) << e;
  WNDCLASSA wc;
  IWForm* f = FormWith("LabelClass", "Label", "L", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWStatic* l = Embedded<IWStatic>(f, "L");
  ASSERT_NE(nullptr, l->HWindow);
  char cls[64] = "";
  GetClassNameA(l->HWindow, cls, sizeof cls);
  EXPECT_STREQ("OrvanelLabel", cls);
  ASSERT_TRUE(GetClassInfoA(l->GetModule()->GetInstance(), "OrvanelLabel", &wc));
  EXPECT_TRUE(wc.style & CS_DBLCLKS);
  EXPECT_EQ(-1, l->pdGetCtrl3d());
  EXPECT_EQ(HTCLIENT, SendMessageA(l->HWindow, WM_NCHITTEST, 0, 0));
  f->imUnload();
}

TEST(Label, EverySetOfTextOrCaptionRaisesChange) {
  IWForm* f = FormWith("LabelChange", "Label", "L", {"Change"});
  ASSERT_NE(nullptr, f);
  // Without a window: the text goes nowhere, "Change" comes all the same.
  RunBasic("LabelChange.L.Text = \"early\"");
  EXPECT_EQ("Change,", Events(f));
  f->imShow();
  ClearLog(f);
  RunBasic("LabelChange.L.Text = \"same\"\nLabelChange.L.Text = \"same\"");
  EXPECT_EQ("Change,Change,", Events(f));
  EXPECT_EQ("same", RunBasicValue("LabelChange.L.Text", "String"));
  RunBasic("LabelChange.L.Caption = \"cap\"");
  EXPECT_EQ("Change,Change,Change,", Events(f));
  EXPECT_EQ("cap", RunBasicValue("LabelChange.L.Text", "String"));
  EXPECT_EQ("-1", RunBasicValue("LabelChange.L.DataChanged"));
  f->imUnload();
}

// Alignment and word wrap: each step's property values, the low four style bits of the
// label and of its window, and whether the window was made again.
TEST(Label, AlignmentAndWordWrapLiveInTheStyleAndReCreateTheWindow) {
  IWForm* f = FormWith("LabelStyle", "Label", "L", {"Setup"});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWStatic* l = Embedded<IWStatic>(f, "L");
  ASSERT_NE(nullptr, l->HWindow);
  RunBasic("LabelStyle.L.Text = \"kept\"");
  ClearLog(f);
  struct Step {
    const char* basic;
    long alignment, wordWrap;
    uint32_t bits;
    bool remade;
  } steps[] = {
      {"", 0, -1, SS_LEFT, false},
      {"L.WordWrap = False", 0, 0, SS_LEFTNOWORDWRAP, true},
      {"L.WordWrap = False", 0, 0, SS_LEFTNOWORDWRAP, false},  // equal: nothing
      {"L.Alignment = 2", 2, -1, SS_CENTER, true},             // the no-wrap bits go
      {"L.WordWrap = False", 2, -1, SS_CENTER, true},          // centred text wraps: remade only
      {"L.Alignment = 3", 2, -1, SS_CENTER, false},
      {"L.Alignment = -1", 2, -1, SS_CENTER, false},
      {"L.Alignment = 1", 1, -1, SS_RIGHT, true},
      {"L.WordWrap = True", 1, -1, SS_RIGHT, false},
      {"L.Alignment = 0", 0, -1, SS_LEFT, true},
      {"L.WordWrap = False", 0, 0, SS_LEFTNOWORDWRAP, true},
      {"L.WordWrap = True", 0, -1, SS_LEFT, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.basic);
    HWND before = l->HWindow;
    SetWindowLongPtrA(before, GWLP_USERDATA, 0x5A);  // marks the window of this step
    if (*s.basic) RunBasic(std::string("LabelStyle.") + s.basic);
    ASSERT_NE(nullptr, l->HWindow);
    EXPECT_EQ(s.alignment, l->pdGetAlignment());
    EXPECT_EQ(s.wordWrap, l->pdGetWordWrap());
    EXPECT_EQ(s.bits, l->Attr.Style & 0xF);
    EXPECT_EQ(s.bits, StyleOf(l) & 0xF);
    EXPECT_EQ(s.remade, GetWindowLongPtrA(l->HWindow, GWLP_USERDATA) != 0x5A);
    EXPECT_EQ("kept", ValString(l->pdGetText()).str());
    EXPECT_FALSE(l->IsFlagSet(IWWindow::kInSetup));
  }
  EXPECT_EQ("", Events(f));  // no "Setup" for a window made again
  RunBasic("LabelStyle.L.BorderStyle = 1");
  EXPECT_TRUE(StyleOf(l) & WS_BORDER);
  EXPECT_EQ("1", RunBasicValue("LabelStyle.L.BorderStyle"));
  RunBasic("LabelStyle.L.BorderStyle = 0");
  EXPECT_FALSE(StyleOf(l) & WS_BORDER);
  f->imUnload();
}

TEST(Label, ReCreatingKeepsTheZOrder) {
  Published();
  IWForm* f = MakeForm("LabelZ",
                       "  Type A From Label\n  End Type\n  Type L From Label\n  End Type\n"
                       "  Type C From Label\n  End Type\n");
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWStatic* l = Embedded<IWStatic>(f, "L");
  ASSERT_NE(nullptr, l->HWindow);
  auto order = [&] {
    std::string s;
    for (HWND h = GetWindow(f->Client()->HWindow, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
      for (const char* n : {"A", "L", "C"})
        if (Embedded<IWStatic>(f, n)->HWindow == h) s += n;
    return s;
  };
  std::string start = order();
  ASSERT_EQ(3u, start.size());
  short z = l->pdGetZOrder();
  l->pdSetAlignment(IWStatic::kAlignCenter);
  EXPECT_EQ(start, order());
  EXPECT_EQ(z, l->pdGetZOrder());
  f->imUnload();
}

// Press, drag off and release elsewhere: no "Click"; press and release on the label: one.
TEST(Label, ClickOnlyForAPressAndReleaseOnTheLabel) {
  IWForm* f = FormWith("LabelClick", "Label", "L", {"Click", "DblClick", "MouseDown", "MouseUp"});
  ASSERT_NE(nullptr, f);
  Place(f, "L");
  f->imShow();
  IWStatic* l = Embedded<IWStatic>(f, "L");
  ASSERT_NE(nullptr, l->HWindow);
  SetWindowPos(f->HWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  AppPump();
  struct Case {
    const char* what;
    short upX, upY;
    const char* log;
  } cases[] = {
      {"release on the label", 4, 4, "MouseDown,MouseUp,Click,"},
      {"dragged off and released elsewhere", -60, -60, "MouseDown,MouseUp,"},
      {"released on the label's right", 2000, 4, "MouseDown,MouseUp,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClearLog(f);
    PostMessageA(l->HWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    AppPump();
    EXPECT_EQ(l->HWindow, GetCapture());
    PostMessageA(l->HWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(c.upX, c.upY));
    PostMessageA(l->HWindow, WM_LBUTTONUP, 0, MAKELPARAM(c.upX, c.upY));
    AppPump();
    EXPECT_EQ(c.log, Events(f));
    EXPECT_EQ(nullptr, GetCapture());
  }
  ClearLog(f);
  PostMessageA(l->HWindow, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
  AppPump();
  EXPECT_EQ("DblClick,", Events(f));
  f->imUnload();
}

TEST(Label, LinesVisibleFromHeightAndFont) {
  struct Case {
    int height, font;
    long lines;
  } cases[] = {
      {35, 13, 2}, {10, 13, 1}, {0, 13, 0},  {20, 0, 0},  {13, 13, 1},
      {26, 13, 1}, {32, 13, 1},  // 2.46 - 0.5
      {33, 13, 2}, {39, 13, 2}, {45, 30, 1}, {75, 30, 2}, {1000, 16, 62},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.lines, IWStatic::LinesFor(c.height, c.font)) << c.height << "/" << c.font;

  IWForm* f = FormWith("LabelLines", "Label", "L", {});
  ASSERT_NE(nullptr, f);
  IWStatic* l = Embedded<IWStatic>(f, "L");
  EXPECT_EQ(0, l->pdGetLinesVisible());  // no window yet
  EXPECT_EQ(0.0f, l->pdGetLineHeight());
  f->imShow();
  ASSERT_NE(nullptr, l->HWindow);
  for (int px : {12, 30}) {
    SCOPED_TRACE(px);
    HFONT font = CreateFontA(-px, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    SendMessageA(l->HWindow, WM_SETFONT, (WPARAM)font, FALSE);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    int h = tm.tmHeight;
    ASSERT_GT(h, 0);
    // Heights as multiples of the font height: a line and a half still shows one line.
    struct Fit {
      float times;
      long lines;
    } fits[] = {{0.5f, 1}, {1, 1}, {1.4f, 1}, {2.6f, 2}, {3.6f, 3}, {4.7f, 4}};
    for (const Fit& fit : fits) {
      int H = (int)(h * fit.times);
      l->imMove(0, 0, 1200, (float)(H * IWScreen::TwipsPerPixelY()));
      ASSERT_EQ(H, l->Attr.H);
      EXPECT_EQ(fit.lines, l->pdGetLinesVisible()) << H << " px";
    }
    // Twips on a form without a scale of its own: the height in twips.
    EXPECT_NEAR(h * IWScreen::TwipsPerPixelY(), l->pdGetLineHeight(), 0.01);
    SendMessageA(l->HWindow, WM_SETFONT, 0, FALSE);
    DeleteObject(font);
  }
  f->imUnload();
}

TEST(Label, ADamagedOrNewerBlockFailsNamingLabel) {
  Published();
  Owned<IWStatic> good(new IWStatic(nullptr));
  Bytes block = SaveBlock(*good);
  ASSERT_GT(block.size(), 4u);
  for (size_t at : {0, 1, 2}) EXPECT_EQ(1, block[at]) << at;  // label, control, window revisions
  for (size_t at : {0, 1, 2}) {
    Bytes newer = block;
    newer[at] = 2;
    Owned<IWStatic> l(new IWStatic(nullptr));
    try {
      LoadBlock(*l, newer);
      ADD_FAILURE() << "loaded a newer revision at " << at;
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'Label'")) << e.what();
    }
  }
  Bytes cut(block.begin(), block.begin() + 9);
  Owned<IWStatic> l(new IWStatic(nullptr));
  EXPECT_THROW(LoadBlock(*l, cut), ObjectLoadFailed);
}

TEST(Label, CopiesOnlyFromALabel) {
  Published();
  Owned<IWStatic> from(new IWStatic(nullptr));
  from->pdSetCaption("Source");
  from->Attr.Style |= SS_CENTER;
  Owned<IWStatic> copy(new IWStatic(nullptr));
  copy->clone(*from);
  EXPECT_EQ("Source", ValString(copy->pdGetCaption()).str());
  EXPECT_EQ(IWStatic::kAlignCenter, copy->pdGetAlignment());
  Owned<TestWindow> other(new TestWindow);
  other->pdSetCaption("Window");
  Owned<IWStatic> untouched(new IWStatic(nullptr));
  untouched->pdSetCaption("Mine");
  untouched->clone(*other);
  EXPECT_EQ("Mine", ValString(untouched->pdGetCaption()).str());
}

}  // namespace
