// "OptionButton" on forms on the X display: a group of three always has at most one on,
// through Basic and through clicks, each change to on raises exactly one "Click" on the
// button turned on, turning one off raises none; inert without a window; the block.
#include <gtest/gtest.h>

#include "controlkit.h"
#include "guiobjects2/iwoptionbutton.h"

namespace {

using namespace controlkit;

// A form with option buttons A, B and C whose clicks log their names.
IWForm* ThreeOptions(const std::string& form) {
  Published();
  std::string body;
  for (const char* n : {"A", "B", "C"})
    body += std::string("  Type ") + n + " From OptionButton\n  End Type\n";
  for (const char* n : {"A", "B", "C"})
    body += std::string("  Sub ") + n + "_Click()\n    Events = Events & \"" + n + ",\"\n  End Sub\n";
  return MakeForm(form, body);
}

// The values of A, B and C as "ABC" with 1 for on.
std::string Ons(IWForm* f) {
  std::string s;
  for (const char* n : {"A", "B", "C"}) s += Embedded<IWOptionButton>(f, n)->pdGetValue() ? '1' : '0';
  return s;
}

TEST(OptionButton, IsAnAutomaticRadioButtonPublishedUnderControl) {
  Published();
  InterObjRep* proto = ObjectStore::find("OptionButton");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.OptionButton", proto->progId());
  EXPECT_EQ(ObjectStore::find("Control"), proto->parent());
  for (const char* f : {"Value", "Ctrl3d"}) EXPECT_NE(nullptr, proto->findField(f)) << f;
  for (const char* e : {"Click", "DblClick", "GotFocus", "LostFocus", "KeyDown", "KeyUp", "KeyPress"})
    EXPECT_NE(nullptr, proto->findEventDef(e)) << e;
  Owned<IWOptionButton> o(new IWOptionButton(nullptr));
  EXPECT_EQ((uint32_t)BS_AUTORADIOBUTTON, o->Attr.Style & 0xF);
  EXPECT_EQ(0u, o->Attr.Style & WS_GROUP);
  EXPECT_EQ((uint32_t)(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS),
            o->Attr.Style & (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS));
  EXPECT_EQ(-1, o->pdGetCtrl3d());
}

TEST(OptionButton, BasicAndClicksKeepOneOnAndRaiseOneClickPerChange) {
  IWForm* f = ThreeOptions("Options");
  ASSERT_NE(nullptr, f);
  // Without windows: reads False, a set goes nowhere.
  RunBasic("Options.A.Value = True");
  EXPECT_EQ("0", RunBasicValue("Options.A.Value"));
  EXPECT_EQ("", Events(f));
  Place(f, "A", 120, 120);
  Place(f, "B", 120, 720);
  Place(f, "C", 120, 1320);
  f->imShow();
  for (const char* n : {"A", "B", "C"}) ASSERT_NE(nullptr, Embedded<IWOptionButton>(f, n)->HWindow) << n;
  EXPECT_EQ("000", Ons(f));
  struct Step {
    const char* action;  // Basic, or "click X"
    const char* ons;
    const char* events;
  } steps[] = {
      {"Options.A.Value = True", "100", "A,"},
      {"Options.B.Value = True", "010", "B,"},
      {"Options.B.Value = True", "010", ""},  // the current value: nothing
      {"click C", "001", "C,"},
      {"click A", "100", "A,"},
      {"Options.A.Value = False", "000", ""},  // off without an event
      {"Options.C.Value = 5", "001", "C,"},    // any non-zero is True
      {"click B", "010", "B,"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.action);
    ClearLog(f);
    std::string action = s.action;
    if (action.compare(0, 6, "click ") == 0) {
      HWND w = Embedded<IWOptionButton>(f, action.substr(6).c_str())->HWindow;
      PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
      PostMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
      AppPump();
    } else {
      RunBasic(action);
    }
    EXPECT_EQ(s.ons, Ons(f));
    EXPECT_EQ(s.events, Events(f));
  }
  EXPECT_EQ("-1", RunBasicValue("Options.B.Value"));
  f->imUnload();
}

TEST(OptionButton, TheBlockIsTheControlsAlone) {
  Published();
  Owned<IWOptionButton> good(new IWOptionButton(nullptr));
  good->pdSetCaption("Left");
  Bytes block = SaveBlock(*good);
  ASSERT_GT(block.size(), 4u);
  for (size_t at : {0, 1, 2}) EXPECT_EQ(1, block[at]) << at;
  EXPECT_EQ(0, block[3]);  // the window's "no form": no check box level between
  for (size_t at : {0, 1, 2}) {
    Bytes newer = block;
    newer[at] = 2;
    Owned<IWOptionButton> o(new IWOptionButton(nullptr));
    try {
      LoadBlock(*o, newer);
      ADD_FAILURE() << "loaded a newer revision at " << at;
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'OptionButton'")) << e.what();
    }
  }
  Owned<IWOptionButton> copy(new IWOptionButton(nullptr));
  LoadBlock(*copy, block);
  EXPECT_EQ(block, SaveBlock(*copy));
  EXPECT_EQ("Left", ValString(copy->pdGetCaption()).str());
}

}  // namespace
