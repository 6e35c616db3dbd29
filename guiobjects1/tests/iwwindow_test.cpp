// The published "Window" on the X display: its signature and enumerations, geometry
// through the scales, Z order, control colours from real child windows, name, caption
// and parent, re-creation, the 3-D controls path with and without the library.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "basicrunner.h"
#include "guiobjects1/iwscreen.h"
#include "guiobjects1/iwwindow.h"
#include "guiobjects1/scalerect.h"
#include "protokit.h"
#include "store/enum.h"
#include "store/signature.h"
#include "store/valstring.h"
#include "winlib/applicat.h"
#include "winlib/module.h"
#include "iwwindow_kit.h"

namespace {

using namespace protokit;
using namespace windowkit;

// ---- signature ----

TEST(Signature, PublishedWithItsMembersAndTheSharedEnumerations) {
  InterObjRep* proto = WindowPrototype();
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.Window", proto->progId());
  EXPECT_EQ(nullptr, proto->parent());
  EXPECT_EQ(proto, IWWindow::PO_GetObject());
  for (const char* name : {"Name",         "Parent",  "Caption",  "ZOrder",   "BackColor",   "ForeColor",
                           "MousePointer", "Enabled", "Visible",  "Left",     "Top",         "Width",
                           "Height",       "Font",    "hWnd",     "DragMode", "DataChanged", "DataSource",
                           "DataField",    "Move",    "SetFocus", "Refresh",  "TextUnload"})
    EXPECT_NE(nullptr, proto->findField(name)) << name;
  for (const char* name : {"Setup", "MouseDown", "MouseUp", "MouseMove", "DragAndDrop", "DragStart", "Update",
                           "UpdateDataSource"})
    EXPECT_NE(nullptr, proto->findEventDef(name)) << name;

  struct Case {
    const char* name;
    int count;
    int firstValue, lastValue;
    const char* lastText;
  } cases[] = {
      {"BorderStyle", 2, 0, 1, "Fixed Single"},
      {"BevelStyle", 4, 0, 3, "Raised"},
      {"DrawModeType", 16, 1, 16, "Whiteness"},
      {"PenStyleType", 7, 0, 6, "Inside Solid"},
      {"FillStyleType", 8, 0, 7, "Diagonal Cross"},
      {"OleDragMode", 25, 0, 60, "MiddleMouse+Shift+Control+Alt"},
      {"OleDropState", 5, 0, 4, "DropFile"},
      {"OleDropEffect", 17, -1, (int)0x80000007u, "Scroll+Link+Copy+Move"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EnumRep* e = EnumRep::find(c.name);
    ASSERT_NE(nullptr, e);
    ASSERT_EQ(c.count, e->entries().entries());
    EXPECT_EQ(c.firstValue, e->entries().at(0).value);
    EXPECT_EQ(c.lastValue, e->entries().at(c.count - 1).value);
    EXPECT_EQ(c.lastText, e->entries().at(c.count - 1).text);
  }
  // 32-bit values, and the middle button's drag bit kept as given.
  EXPECT_STREQ("Scroll", EnumRep::find("OleDropEffect")->textOf((int32_t)0x80000000u));
  EXPECT_STREQ("MiddleMouse", EnumRep::find("OleDragMode")->textOf(16));
  EXPECT_EQ(16, IWDndWindow::DragButton(20));
  EXPECT_EQ(kDragShift, IWDndWindow::DragModifiers(20));
  // Every value of the enumeration is a drag mode the window takes, and nothing else.
  EnumRep* drag = EnumRep::find("OleDragMode");
  int accepted = 0;
  for (long v = -1; v <= 256; ++v) {
    bool listed = v >= 0 && v < 256 && drag->textOf((int32_t)v);
    EXPECT_EQ(listed, IWDndWindow::IsDragMode(v)) << v;
    accepted += listed;
  }
  EXPECT_EQ(25, accepted);
  // Defined once: publishing again makes no new enumeration.
  int enums = EnumRep::Count();
  ObjectStore::PublishObjectDLL("oviui1");
  EXPECT_EQ(enums, EnumRep::Count());
}

// ---- geometry ----

struct ScaleCase {
  const char* what;
  ScaleMode mode;
  float left, top, width;  // the user's extent for Custom (width may be negative)
  float l, t, w, h;        // set through the single setters
};

TEST(Geometry, RoundTripsThroughTheContainerScale) {
  App();
  const double tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  ScaleCase cases[] = {
      {"custom", kScaleCustom, 0, 0, 100, 10, 20, 30, 40},
      {"custom, negative width", kScaleCustom, 100, 0, -100, 50, 20, 20, 10},
      {"custom, negative height", kScaleCustom, 0, 75, 100, 10, 60, 30, 15},
      {"twip", kScaleTwip, 0, 0, 0, 1507, 300, 3000, 450},
      {"pixel", kScalePixel, 0, 0, 0, 10, 20, 30, 40},
      {"inch", kScaleInch, 0, 0, 0, 0.5f, 1.25f, 2, 0.75f},
  };
  for (const ScaleCase& c : cases) {
    SCOPED_TRACE(c.what);
    ScaleRect scale;
    scale.ScaleLeft = c.left;
    scale.ScaleTop = c.mode == kScaleCustom && c.top ? c.top : 0;
    scale.ScaleWidth = c.width ? c.width : 100;
    scale.ScaleHeight = std::string(c.what) == "custom, negative height" ? -75 : 75;
    scale.SetScaleMode(c.mode, 400, 300);
    if (c.mode == kScaleCustom) {
      scale.ScaleLeft = c.left;
      scale.ScaleTop = c.top;
    }
    TestWindow w(&scale);
    w.pdSetLeft(c.l);
    w.pdSetTop(c.t);
    w.pdSetWidth(c.w);
    w.pdSetHeight(c.h);
    EXPECT_NEAR(c.l, w.pdGetLeft(), 0.01);
    EXPECT_NEAR(c.t, w.pdGetTop(), 0.01);
    EXPECT_NEAR(c.w, w.pdGetWidth(), 0.01);
    EXPECT_NEAR(c.h, w.pdGetHeight(), 0.01);
    // The twips and the pixel attributes, by the scale's own factors.
    long double fx = scale.TwipsPerUnitX(), fy = scale.TwipsPerUnitY();
    EXPECT_EQ((int32_t)(fx * (c.l - scale.ScaleLeft)), w.twipsLeft());
    EXPECT_EQ((int32_t)(fy * (c.t - scale.ScaleTop)), w.twipsTop());
    EXPECT_EQ((int32_t)(std::fabs((double)fx) * c.w), w.twipsWidth());
    EXPECT_EQ((int32_t)(std::fabs((double)fy) * c.h), w.twipsHeight());
    EXPECT_GE(w.twipsWidth(), 0);
    EXPECT_GE(w.twipsHeight(), 0);
    EXPECT_GT(w.pdGetWidth(), 0);
    EXPECT_NEAR(w.twipsWidth() / tx, w.Attr.W, 1.0);
    EXPECT_NEAR(w.twipsHeight() / ty, w.Attr.H, 1.0);
    // Units2Pixels and back through the window's own scale.
    TPoint p;
    w.Units2Pixels(c.l, c.t, p);
    float x = 0, y = 0;
    w.Pixels2Units(p, x, y);
    EXPECT_NEAR(c.l, x, std::fabs((double)(1 / scale.PixelsPerUnitX())) + 0.01);
    EXPECT_NEAR(c.t, y, std::fabs((double)(1 / scale.PixelsPerUnitY())) + 0.01);
  }
}

TEST(Geometry, WithoutAScaleTheUnitsAreTwips) {
  App();
  Owned<IWWindow> w(new IWWindow(nullptr));
  w->imMove(1507, 300.4f, 3000.6f, 449.5f);
  EXPECT_EQ(1507, w->twipsLeft());
  EXPECT_EQ(300, w->twipsTop());
  EXPECT_EQ(3001, w->twipsWidth());
  EXPECT_EQ(450, w->twipsHeight());
  const int tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  EXPECT_EQ((int)(1507.0 / tx + 0.5), w->Attr.X);
  EXPECT_EQ((int)(3001.0 / tx + 0.5), w->Attr.W);
  EXPECT_EQ((int)(450.0 / ty + 0.5), w->Attr.H);
  // Values that no window can have are refused by name, and nothing changes.
  struct Bad {
    float l, t, w, h;
    const char* property;
  } bad[] = {
      {0, 0, -1, 10, "Width"}, {0, 0, 10, -1, "Height"}, {1e30f, 0, 1, 1, "Left"}, {0, NAN, 1, 1, "Top"}};
  for (const Bad& b : bad) {
    try {
      w->imMove(b.l, b.t, b.w, b.h);
      ADD_FAILURE() << b.property << ": no error";
    } catch (const StoreException& e) {
      EXPECT_EQ((unsigned)kMsgInvalidArgument, e.id()) << b.property;
      EXPECT_NE(std::string::npos, std::string(e.what()).find(b.property)) << e.what();
    }
    EXPECT_EQ(1507, w->twipsLeft());
    EXPECT_EQ(3001, w->twipsWidth());
  }
}

TEST(Geometry, AMoveFromCodeIsNotFedBackButOthersAre) {
  TestApp();
  HiddenParent parent;
  Owned<IWWindow> w(new IWWindow(nullptr));
  w->Attr.Style = WS_CHILD | WS_VISIBLE;
  w->SetParent(parent.window());
  w->Create();
  ASSERT_NE(nullptr, w->HWindow);
  const int tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  // 1507 twips land on pixel 100; the window moves there, and the twips stay.
  w->imMove(1507, 1003, 1500, 600);
  RECT r;
  GetWindowRect(w->HWindow, &r);
  MapWindowPoints(nullptr, parent.window()->HWindow, (POINT*)&r, 2);
  EXPECT_EQ((int)(1507.0 / tx + 0.5), r.left);
  EXPECT_EQ((int)(1003.0 / ty + 0.5), r.top);
  EXPECT_EQ(1507, w->twipsLeft());
  EXPECT_EQ(1003, w->twipsTop());
  EXPECT_FALSE(w->IsFlagSet(IWWindow::kMoving));  // cleared by the position change
  // A move made by anyone else is taken into the twips.
  MoveWindow(w->HWindow, 40, 30, 100, 40, TRUE);
  EXPECT_EQ(40 * tx, w->twipsLeft());
  EXPECT_EQ(30 * ty, w->twipsTop());
}

TEST(Geometry, AfterALoadThePixelAttributesFollowTheTwips) {
  App();
  Owned<IWWindow> a(new IWWindow(nullptr));
  a->imMove(1507, 1003, 3000, 449);
  Bytes block = SaveBlock(*a);
  Owned<IWWindow> b(new IWWindow(nullptr));
  LoadBlock(*b, block);
  const int tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  EXPECT_EQ(1507 / tx, b->Attr.X);
  EXPECT_EQ(1003 / ty, b->Attr.Y);
  EXPECT_EQ(3000 / tx, b->Attr.W);
  EXPECT_EQ(449 / ty, b->Attr.H);
  EXPECT_EQ(1507, b->twipsLeft());
  EXPECT_EQ(449, b->twipsHeight());
}

// ---- Z order ----

// Before creation: the stored orders of four siblings after setting one of them.
TEST(ZOrder, BeforeCreationEveryShiftRule) {
  App();
  struct Case {
    const char* what;
    int start[4];
    int who;
    short n;
    int expect[4];
  } cases[] = {
      {"no stored order yet: from n up go up", {0, 1, 2, 3}, 0, 2, {2, 1, 3, 4}},
      {"earlier: n to stored-1 go up", {1, 2, 3, 4}, 3, 2, {1, 3, 4, 2}},
      {"later: from n up go up, between go down", {1, 2, 3, 4}, 0, 3, {3, 1, 4, 5}},
      {"nobody has n: only the window changes", {1, 2, 5, 6}, 0, 3, {3, 2, 5, 6}},
      {"same order: nothing moves", {1, 2, 3, 4}, 1, 2, {1, 2, 3, 4}},
      {"negative reads as none", {1, 2, 3, 4}, 2, -4, {1, 2, 0, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Owned<IWWindow> parent(new IWWindow(nullptr));
    std::vector<Owned<TestWindow>> kids;
    for (int i = 0; i < 4; ++i) {
      kids.emplace_back(new TestWindow);
      kids.back()->Attr.Style = WS_CHILD;
      kids.back()->SetParentWindow(parent.get());
    }
    for (int i = 0; i < 4; ++i) kids[i]->forceZ(c.start[i]);
    kids[c.who]->pdSetZOrder(c.n);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.expect[i], kids[i]->pdGetZOrder()) << "sibling " << i;
  }
  // Not a child window, or no parent: the order is 0 and cannot be set.
  Owned<IWWindow> alone(new IWWindow(nullptr));
  alone->pdSetZOrder(3);
  EXPECT_EQ(0, alone->pdGetZOrder());
  EXPECT_EQ(0, alone->storedZOrder());
}

// After creation: the window's place among its siblings, counted from the top; a form
// being edited keeps an overlay child on top and one at the bottom.
TEST(ZOrder, AfterCreationAndInAFormBeingEdited) {
  TestApp();
  struct Case {
    const char* what;
    bool edited;
    int who;
    short n;
    const char* order;  // the windows' names top-down afterwards
  } cases[] = {
      {"1: the top", false, 2, 1, "CAB"},
      {"2: after the first other", false, 0, 2, "BAC"},
      {"3: after the second other", false, 0, 3, "BCA"},
      {"beyond the siblings: the bottom", false, 0, 9, "BCA"},
      {"0: the bottom", false, 1, 0, "ACB"},
      {"edited, 1: below the top overlay", true, 2, 1, "^CAB_"},
      {"edited, 2", true, 0, 2, "^BAC_"},
      {"edited, 0: just above the bottom overlay", true, 0, 0, "^BCA_"},
      {"edited, beyond: just above the bottom overlay", true, 1, 7, "^ACB_"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ZFamily f(c.edited);
    ASSERT_EQ(c.edited ? "^ABC_" : "ABC", f.order());
    f.kid(c.who)->pdSetZOrder(c.n);
    EXPECT_EQ(c.order, f.order());
    // The getter reads the place back (1-based, the top overlay not counted).
    std::string order = f.order();
    std::string plain = c.edited ? order.substr(1, 3) : order;
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ((short)(plain.find(char('A' + i)) + 1), f.kid(i)->pdGetZOrder()) << char('A' + i);
  }
}

TEST(ZOrder, TheStoredOrdersAreNumberedBeforeASave) {
  TestApp();
  ZFamily f(false);
  f.kid(2)->pdSetZOrder(1);  // C A B
  SaveBlock(*f.parent());
  EXPECT_EQ(2, f.kid(0)->storedZOrder());
  EXPECT_EQ(3, f.kid(1)->storedZOrder());
  EXPECT_EQ(1, f.kid(2)->storedZOrder());
}

// ---- control colours ----

COLORREF Sys(int index) { return GetSysColor(index); }

TEST(CtlColor, TheDecisionTableFromRealChildren) {
  TestApp();
  HiddenParent holder;
  Owned<IWWindow> p(new IWWindow(nullptr));
  p->Attr.Style = WS_CHILD | WS_VISIBLE;
  p->SetParent(holder.window());
  p->Create();
  const COLORREF pBack = RGB(1, 2, 3), pFore = RGB(4, 5, 6), cBack = RGB(10, 20, 30), cFore = RGB(40, 50, 60);
  const long none = -1;
  struct Case {
    const char* what;
    const char* cls;
    uint32_t style;
    UINT msg;
    long parentBack, parentFore, childBack, childFore;
    COLORREF back, text;
  } cases[] = {
      {"edit, own colours", "EDIT", 0, WM_CTLCOLOREDIT, (long)pBack, (long)pFore, (long)cBack, (long)cFore,
       cBack, cFore},
      {"edit, none: window colours", "EDIT", 0, WM_CTLCOLOREDIT, (long)pBack, (long)pFore, none, none,
       Sys(COLOR_WINDOW), Sys(COLOR_WINDOWTEXT)},
      {"list, none: window colours", "LISTBOX", 0, WM_CTLCOLORLISTBOX, (long)pBack, (long)pFore, none, none,
       Sys(COLOR_WINDOW), Sys(COLOR_WINDOWTEXT)},
      {"scroll bar, none: scroll-bar colour", "SCROLLBAR", 0, WM_CTLCOLORSCROLLBAR, (long)pBack, (long)pFore,
       none, none, Sys(COLOR_SCROLLBAR), Sys(COLOR_SCROLLBAR)},
      {"static, none: the parent's", "STATIC", 0, WM_CTLCOLORSTATIC, (long)pBack, (long)pFore, none, none,
       pBack, pFore},
      {"static, none everywhere: button colours", "STATIC", 0, WM_CTLCOLORSTATIC, none, none, none, none,
       Sys(COLOR_BTNFACE), Sys(COLOR_BTNTEXT)},
      {"static, \"none\" colour: button face", "STATIC", 0, WM_CTLCOLORSTATIC, none, none, (long)0xFE000000,
       (long)cFore, Sys(COLOR_BTNFACE), cFore},
      {"drop-down combo: the parent's background", "COMBOBOX", CBS_DROPDOWN, WM_CTLCOLOREDIT, (long)pBack,
       (long)pFore, (long)cBack, (long)cFore, pBack, cFore},
      {"drop-down list combo: its own background", "COMBOBOX", CBS_DROPDOWNLIST, WM_CTLCOLORLISTBOX,
       (long)pBack, (long)pFore, (long)cBack, (long)cFore, cBack, cFore},
  };
  HBRUSH previous = nullptr;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    p->pdSetBackColor(c.parentBack);
    p->pdSetForeColor(c.parentFore);
    Owned<TestWindow> child(new TestWindow(nullptr, c.cls, WS_CHILD | WS_VISIBLE | c.style));
    child->SetParentWindow(p.get());
    child->Create();
    ASSERT_NE(nullptr, child->HWindow);
    child->pdSetBackColor(c.childBack);
    child->pdSetForeColor(c.childFore);
    Answer a = AskColours(p->HWindow, c.msg, child->HWindow);
    EXPECT_EQ(c.back, a.back);
    EXPECT_EQ(c.text, a.text);
    EXPECT_EQ(c.back, a.brush);
    // The brush of the previous answer is gone.
    if (previous) {
      EXPECT_EQ(0u, GetObjectType(previous));
    }
    previous = a.handle;
  }
  // A window that is not published gets the window colours; the edit part of a published
  // combo box gets the combo's colours by the same rules.
  HWND plain = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 50, 20, p->HWindow, nullptr, nullptr, nullptr);
  p->pdSetBackColor((long)pBack);
  p->pdSetForeColor((long)pFore);
  Answer a = AskColours(p->HWindow, WM_CTLCOLOREDIT, plain);
  EXPECT_EQ(Sys(COLOR_WINDOW), a.back);
  EXPECT_EQ(Sys(COLOR_WINDOWTEXT), a.text);
  Owned<TestWindow> combo(new TestWindow(nullptr, "COMBOBOX", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN));
  combo->SetParentWindow(p.get());
  combo->Create();
  combo->pdSetBackColor((long)cBack);
  combo->pdSetForeColor((long)cFore);
  HWND edit = FindWindowExA(combo->HWindow, nullptr, "EDIT", nullptr);
  ASSERT_NE(nullptr, edit);
  a = AskColours(combo->HWindow, WM_CTLCOLOREDIT, edit);
  EXPECT_EQ(cBack, a.back);  // a drop-down combo answers with its own background here
  EXPECT_EQ(cFore, a.text);
  DestroyWindow(plain);
}

// ---- name, caption, parent ----

TEST(Names, RenameTakesTheCaptionAlongWhenItWasTheName) {
  TestApp();
  InterObjRep* w = NewWindow("NameWin");
  IWWindow* n = IWWindow::Native(w);
  ASSERT_NE(nullptr, n);
  n->pdSetCaption("NameWin");
  EXPECT_TRUE(n->CaptionIsName());
  RunBasic("NameWin.Name = \"Renamed\"");
  EXPECT_STREQ("Renamed", w->name());
  EXPECT_EQ("Renamed", TextOf(w->evalIMember("Caption", nullptr)));
  // A caption of its own stays.
  n->pdSetCaption("My caption");
  RunBasic("Renamed.Name = \"Again\"");
  EXPECT_STREQ("Again", w->name());
  EXPECT_EQ("My caption", TextOf(w->evalIMember("Caption", nullptr)));
  // A name another object has is the store's error; nothing changes.
  NewWindow("Taken");
  BasicOutcome out = BasicRunner::CompileAndRun("Sub S()\n  Again.Name = \"Taken\"\nEnd Sub\n", "S");
  EXPECT_FALSE(out.ok);
  EXPECT_STREQ("Again", w->name());
  EXPECT_EQ("My caption", TextOf(w->evalIMember("Caption", nullptr)));
}

TEST(Names, ParentIsSetOnlyOnTopLevelWindowsAndReadUpTheChain) {
  TestApp();
  InterObjRep* owner = NewWindow("Owner");
  InterObjRep* top = NewWindow("TopWin");
  InterObjRep* child = NewWindow("ChildWin");
  IWWindow* c = IWWindow::Native(child);
  c->Attr.Style = WS_CHILD;
  RunBasic("Set TopWin.Parent = Owner");
  EXPECT_EQ(owner, IWWindow::Native(top)->pdGetParent());
  RunBasic("Set ChildWin.Parent = Owner");  // a child window: ignored
  EXPECT_EQ(nullptr, c->Parent);
  // Anything that is not a window is ignored too; Nothing removes the parent.
  RunBasic("Set TopWin.Parent = Screen");
  EXPECT_EQ(owner, IWWindow::Native(top)->pdGetParent());
  RunBasic("Set TopWin.Parent = Nothing");
  EXPECT_EQ(nullptr, IWWindow::Native(top)->pdGetParent());
  // The getter walks up through child windows to the first published one.
  c->SetParentWindow(IWWindow::Native(top));
  EXPECT_EQ(top, c->pdGetParent());
  // A window cannot become its own parent's parent.
  RunBasic("Set TopWin.Parent = Owner");
  RunBasic("Set Owner.Parent = TopWin");
  EXPECT_EQ(nullptr, IWWindow::Native(owner)->pdGetParent());
}

TEST(Names, BasicValuesThatCannotApplyAreRefusedByName) {
  TestApp();
  NewWindow("BadInput");
  struct Case {
    const char* statement;
    const char* property;
  } cases[] = {
      {"BadInput.Width = -5", "Width"},
      {"BadInput.DragMode = 3", "DragMode"},
      {"BadInput.MousePointer = 99", "MousePointer"},
  };
  for (const Case& c : cases) {
    BasicOutcome out =
        BasicRunner::CompileAndRun(std::string("Sub S()\n  ") + c.statement + "\nEnd Sub\n", "S");
    EXPECT_FALSE(out.ok) << c.statement;
    EXPECT_NE(std::string::npos, out.error.find(c.property)) << c.statement << ": " << out.error;
  }
  IWWindow* w = IWWindow::Native(ObjectStore::find("BadInput"));
  EXPECT_EQ(0, w->twipsWidth());
  EXPECT_EQ(kDragRight, w->DragMode());
  EXPECT_EQ(0, w->pdGetMousePointer());
  RunBasic("BadInput.DragMode = 20");
  EXPECT_EQ(20, w->DragMode());
  EXPECT_EQ("20", RunBasicValue("BadInput.DragMode"));
}

// ---- creation and re-creation ----

TEST(Creation, ReCreatedKeepsItsZOrderAndRaisesNoSetup) {
  TestApp();
  SetupCounter counter("Kid");
  HiddenParent holder;
  Owned<IWWindow> p(new IWWindow(nullptr));
  p->Attr.Style = WS_CHILD | WS_VISIBLE;
  p->SetParent(holder.window());
  p->Create();
  std::vector<Owned<IWWindow>> others;
  for (int i = 0; i < 2; ++i) {
    others.emplace_back(new IWWindow(nullptr));
    others.back()->Attr.Style = WS_CHILD | WS_VISIBLE;
    others.back()->SetParentWindow(p.get());
    others.back()->Create();
  }
  IWWindow* kid = counter.window();
  kid->Attr.Style = WS_CHILD | WS_VISIBLE;
  kid->SetParentWindow(p.get());
  kid->Create();
  EXPECT_EQ(1, counter.count());
  EXPECT_EQ("Kid", ValString(kid->pdGetName()).str());
  kid->pdSetZOrder(2);
  ASSERT_EQ(2, kid->pdGetZOrder());
  // The 3-D look switched off re-creates the window.
  kid->SetFlag(IWWindow::kCtrl3d);
  HWND before = kid->HWindow;
  kid->pdSetCtrl3d(0);
  ASSERT_NE(nullptr, kid->HWindow);
  EXPECT_TRUE(IsWindow(kid->HWindow));
  EXPECT_TRUE(before != kid->HWindow || !IsWindow(before));
  EXPECT_EQ(2, kid->pdGetZOrder());
  EXPECT_EQ(1, counter.count());
  EXPECT_FALSE(kid->IsFlagSet(IWWindow::kInSetup));
}

TEST(Creation, ASetupHandlerThatFailsDoesNotStopTheWindow) {
  TestApp();
  SetupCounter counter("Failing", /*fail=*/true);
  const size_t reports = App().reports.size();
  IWWindow* w = counter.window();
  w->CreateAndShow();
  EXPECT_NE(nullptr, w->HWindow);
  EXPECT_TRUE(IsWindowVisible(w->HWindow));
  EXPECT_EQ(1, counter.count());
  EXPECT_EQ(reports + 1, App().reports.size());
  EXPECT_FALSE(w->IsFlagSet(IWWindow::kInSetup));
  w->Destroy();
}

// ---- the 3-D look ----

TEST(Ctl3d, WithoutTheLibraryAndWithTheFakeOne) {
  TApplication& app = TestApp();
  // Without: the system's stub is not loaded, so nothing is taken.
  ASSERT_EQ(nullptr, GetModuleHandleA("ctl3d32.dll"));
  EXPECT_FALSE(app.EnableCtl3d(true));
  EXPECT_FALSE(IWWindow::HasCtl3dFunctions());
  HiddenParent holder;
  Owned<IWWindow> p(new IWWindow(nullptr));
  p->Attr.Style = WS_CHILD | WS_VISIBLE;
  p->SetFlag(IWWindow::kCtrl3d);
  p->SetParent(holder.window());
  p->Create();
  ASSERT_NE(nullptr, p->HWindow);
  Owned<TestWindow> edit(new TestWindow(nullptr, "EDIT", WS_CHILD | WS_VISIBLE));
  edit->SetParentWindow(p.get());
  edit->Create();
  edit->pdSetBackColor((long)RGB(9, 8, 7));
  Answer a = AskColours(p->HWindow, WM_CTLCOLOREDIT, edit->HWindow);
  EXPECT_EQ(RGB(9, 8, 7), a.back);

  // With the fake library loaded by the application.
  HMODULE lib = LoadLibraryA(FakeCtl3dPath().c_str());
  ASSERT_NE(nullptr, lib) << FakeCtl3dPath();
  auto counts = reinterpret_cast<void (*)(long*, HWND*)>(GetProcAddress(lib, "fakeCtl3dCounts"));
  auto setBrush = reinterpret_cast<void (*)(HBRUSH)>(GetProcAddress(lib, "fakeCtl3dSetBrush"));
  ASSERT_TRUE(counts && setBrush) << "the system's library was loaded instead of the fake";
  ASSERT_EQ(lib, GetModuleHandleA("ctl3d32.dll"));
  EXPECT_FALSE(IWWindow::HasCtl3dFunctions());  // not until the application has it
  ASSERT_TRUE(app.EnableCtl3d(true));
  EXPECT_TRUE(app.EnableCtl3dAutosubclass(true));
  EXPECT_TRUE(IWWindow::HasCtl3dFunctions());
  long n[6];
  HWND last = nullptr;
  counts(n, &last);
  EXPECT_EQ(1, n[0]);  // registered
  EXPECT_EQ(1, n[2]);  // auto-subclassing on

  // A window with the look is subclassed at setup.
  Owned<IWWindow> q(new IWWindow(nullptr));
  q->Attr.Style = WS_CHILD | WS_VISIBLE;
  q->SetFlag(IWWindow::kCtrl3d);
  q->SetParent(holder.window());
  q->Create();
  counts(n, &last);
  EXPECT_EQ(1, n[3]);
  EXPECT_EQ(q->HWindow, last);
  // A window loaded with the look gets it at setup.
  Owned<IWWindow> saved(new IWWindow(nullptr));
  saved->Attr.Style = WS_CHILD | WS_VISIBLE;
  saved->SetFlag(IWWindow::kCtrl3d);
  Owned<IWWindow> loaded(new IWWindow(nullptr));
  LoadBlock(*loaded, SaveBlock(*saved));
  loaded->SetParent(holder.window());
  loaded->Create();
  counts(n, &last);
  EXPECT_EQ(2, n[3]);
  EXPECT_EQ(loaded->HWindow, last);
  loaded->Destroy();
  // Switched on later, the existing window is subclassed then.
  p->ClearFlag(IWWindow::kCtrl3d);
  p->pdSetCtrl3d(-1);
  counts(n, &last);
  EXPECT_EQ(3, n[3]);
  EXPECT_EQ(p->HWindow, last);
  EXPECT_EQ(-1, p->pdGetCtrl3d());

  // The library's colour answer wins when it gives one, else the table decides.
  HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
  setBrush(brush);
  HDC dc = GetDC(edit->HWindow);
  EXPECT_EQ((LRESULT)brush, SendMessageA(p->HWindow, WM_CTLCOLOREDIT, (WPARAM)dc, (LPARAM)edit->HWindow));
  ReleaseDC(edit->HWindow, dc);
  counts(n, &last);
  EXPECT_EQ(1, n[4]);
  EXPECT_EQ((long)WM_CTLCOLOREDIT, n[5]);
  setBrush(nullptr);
  a = AskColours(p->HWindow, WM_CTLCOLOREDIT, edit->HWindow);
  EXPECT_EQ(RGB(9, 8, 7), a.back);
  DeleteObject(brush);
  // A window without the look does not ask the library.
  p->pdSetCtrl3d(0);
  counts(n, &last);
  const long asked = n[4];
  if (!edit->HWindow) edit->Create();  // went with its parent's window
  a = AskColours(p->HWindow, WM_CTLCOLOREDIT, edit->HWindow);
  counts(n, &last);
  EXPECT_EQ(asked, n[4]);

  // Switched off, the application lets the library go and the window stops using it.
  EXPECT_TRUE(app.EnableCtl3dAutosubclass(false));
  EXPECT_TRUE(app.EnableCtl3d(false));
  counts(n, &last);
  EXPECT_EQ(1, n[1]);
  EXPECT_EQ(0, n[2]);
  EXPECT_FALSE(IWWindow::HasCtl3dFunctions());
}

}  // namespace

// ---- lifetime ----

namespace {

// Published windows made as children of a parent of the window library (a plain one or a
// published one), each with its store object.
struct Family {
  std::vector<PrimInterObj> objects;
  std::vector<HWND> handles;
  void add(const std::string& name, TWindow* parent) {
    OpenModuleResource open(TestModule());
    objects.emplace_back(WindowPrototype(), name.c_str(), 0);
    IWWindow* w = IWWindow::Native(objects.back().get());
    w->Attr.Style = WS_CHILD | WS_VISIBLE;
    w->SetParent(parent);
    w->Create();
    handles.push_back(w->HWindow);
  }
  void destroyInOrder() {
    for (PrimInterObj& o : objects) o->Destroy();
    objects.clear();
  }
};

}  // namespace

// A parent of the window library lets go of its published children: they belong to their
// store objects, which may outlive it, and are destroyed one after another later.
TEST(Lifetime, PublishedWindowsAreDestroyedInSequenceWhateverWentBefore) {
  TestApp();
  const long live = InterObjRep::LiveObjects();
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    const std::string tag = "Life" + std::to_string(round) + "_";
    // The objects go first, one after another, then their parent.
    {
      HiddenParent holder;
      Family f;
      for (int i = 0; i < 4; ++i) f.add(tag + "a" + std::to_string(i), holder.window());
      f.destroyInOrder();
      for (HWND h : f.handles) EXPECT_FALSE(IsWindow(h));
      EXPECT_EQ(nullptr, holder.window()->GetFirstChild());
    }
    // The parent goes first: the windows' handles go with its handle, the objects stay
    // until they are destroyed one after another.
    {
      Family f;
      {
        HiddenParent holder;
        for (int i = 0; i < 4; ++i) f.add(tag + "b" + std::to_string(i), holder.window());
      }
      for (size_t i = 0; i < f.objects.size(); ++i) {
        IWWindow* w = IWWindow::Native(f.objects[i].get());
        ASSERT_NE(nullptr, w);
        EXPECT_EQ(nullptr, w->Parent);
        EXPECT_FALSE(IsWindow(f.handles[i]));
      }
      f.destroyInOrder();
    }
    // Published children of a published window, under a plain holder; the holder goes
    // first, then the parent's object, then the children's.
    {
      Family parent, kids;
      {
        HiddenParent holder;
        parent.add(tag + "p", holder.window());
        IWWindow* p = IWWindow::Native(parent.objects[0].get());
        for (int i = 0; i < 3; ++i) kids.add(tag + "k" + std::to_string(i), p);
      }
      parent.destroyInOrder();
      for (PrimInterObj& k : kids.objects) EXPECT_EQ(nullptr, IWWindow::Native(k.get())->Parent);
      kids.destroyInOrder();
    }
  }
  EXPECT_EQ(live, InterObjRep::LiveObjects());
}
