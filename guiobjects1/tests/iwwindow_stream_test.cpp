// The window block of "Window": golden bytes, save -> load -> save, damaged blocks
// refused with the window as it was, harmless fields loaded as defaults, and the text
// unload of a window with every listed property set.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "guiobjects1/iwscreen.h"
#include "guiobjects1/iwwindow.h"
#include "iwwindow_kit.h"
#include "store/storeexcept.h"
#include "store/valstring.h"

namespace {

using namespace windowkit;

void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back((uint8_t)(v >> (8 * i)));
}
void Put16(Bytes& b, uint16_t v) {
  b.push_back((uint8_t)v);
  b.push_back((uint8_t)(v >> 8));
}
void PutText(Bytes& b, const char* s) {
  if (!s) {
    Put32(b, 0);
    return;
  }
  Put32(b, (uint32_t)strlen(s) + 1);
  b.insert(b.end(), s, s + strlen(s) + 1);
}
// A reference by name, as the store writes it outside a module save.
void PutNamed(Bytes& b, const InterObjRep* obj) {
  b.push_back(0x12);
  b.push_back(obj->module());
  PutText(b, obj->fullName().c_str());
}

struct Fields {
  const InterObjRep* parent = nullptr;
  const char* caption = "Cap";
  uint32_t flags = 0x2002, id = 7, style = WS_CHILD | WS_VISIBLE, exStyle = WS_EX_CLIENTEDGE;
  uint16_t z = 3;
  uint32_t back = 0x00112233;
  int32_t left = 1507, top = 300, width = 3000, height = 450;
  uint32_t fore = 0x00445566;
  const InterObjRep* font = nullptr;
  uint8_t drag = 5, pointer = kPointerIBeam;
  const InterObjRep* source = nullptr;
  const char* field = "Fld";
  uint8_t revision = 1;
};

Bytes Block(const Fields& f) {
  Bytes b;
  b.push_back(f.revision);
  if (f.parent)
    PutNamed(b, f.parent);
  else
    b.push_back(0);
  PutText(b, f.caption);
  Put32(b, f.flags);
  Put32(b, f.id);
  Put32(b, f.style);
  Put32(b, f.exStyle);
  Put16(b, f.z);
  Put32(b, f.back);
  Put32(b, (uint32_t)f.left);
  Put32(b, (uint32_t)f.top);
  Put32(b, (uint32_t)f.width);
  Put32(b, (uint32_t)f.height);
  Put32(b, f.fore);
  if (f.font)
    PutNamed(b, f.font);
  else
    b.push_back(0);
  b.push_back(f.drag);
  b.push_back(f.pointer);
  if (f.source)
    PutNamed(b, f.source);
  else
    b.push_back(0);
  PutText(b, f.field);
  return b;
}

// A window set up as the default Fields describe.
void Prepare(IWWindow& w) {
  w.pdSetCaption("Cap");
  w.SetFlag(IWWindow::kCtrl3d);
  w.Attr.Id = 7;
  w.Attr.Style = WS_CHILD | WS_VISIBLE;
  w.SetExStyle(WS_EX_CLIENTEDGE);
  static_cast<TestWindow&>(w).forceZ(3);
  w.pdSetBackColor(0x00112233);
  w.imMove(1507, 300, 3000, 450);
  w.pdSetForeColor(0x00445566);
  w.pdSetDragMode(5);
  w.pdSetMousePointer(kPointerIBeam);
  w.pdSetDataField("Fld");
}

std::string Hex(const Bytes& b) {
  std::string s;
  char buf[4];
  for (uint8_t c : b) {
    snprintf(buf, sizeof buf, "%02x ", c);
    s += buf;
  }
  return s;
}

TEST(Block, GoldenBytesAndSaveLoadSaveGivesTheSameBytes) {
  TestApp();
  Owned<TestWindow> w(new TestWindow);
  Prepare(*w);
  Bytes saved = SaveBlock(*w);
  Bytes golden = Block(Fields());
  ASSERT_EQ(64u, golden.size());
  EXPECT_EQ(Hex(golden), Hex(saved));

  Owned<TestWindow> copy(new TestWindow);
  LoadBlock(*copy, saved);
  EXPECT_EQ(Hex(saved), Hex(SaveBlock(*copy)));
  // What was read.
  EXPECT_STREQ("Cap", copy->Title);
  EXPECT_TRUE(copy->IsFlagSet(IWWindow::kCtrl3d));
  EXPECT_EQ(7, copy->Attr.Id);
  EXPECT_EQ((uint32_t)WS_EX_CLIENTEDGE, copy->Attr.ExStyle);
  EXPECT_EQ(3, copy->storedZOrder());
  EXPECT_EQ(0x00112233, copy->pdGetBackColor());
  EXPECT_EQ(0x00445566, copy->pdGetForeColor());
  EXPECT_EQ(5, copy->pdGetDragMode());
  EXPECT_EQ(kPointerIBeam, copy->pdGetMousePointer());
  EXPECT_EQ("Fld", ValString(copy->pdGetDataField()).str());

  // A window with nothing set: a null caption, the defaults.
  Owned<TestWindow> empty(new TestWindow(nullptr, nullptr, 0));
  Fields none;
  none.caption = nullptr;
  none.flags = 0x0002;
  none.id = 0;
  none.style = 0;
  none.exStyle = 0;
  none.z = 0;
  none.back = 0xFFFFFFFF;
  none.left = none.top = none.width = none.height = 0;
  none.fore = 0xFFFFFFFF;
  none.drag = 2;
  none.pointer = 0;
  none.field = "";
  EXPECT_EQ(Hex(Block(none)), Hex(SaveBlock(*empty)));
}

TEST(Block, RunningStateFlagsAreNeitherSavedNorLoaded) {
  TestApp();
  Owned<TestWindow> w(new TestWindow);
  Fields f;
  f.flags = 0x2002 | IWWindow::kRunStateFlags;
  LoadBlock(*w, Block(f));
  EXPECT_FALSE(w->IsFlagSet(wfFullyCreated));
  EXPECT_FALSE(w->IsFlagSet(wfDetached));
  EXPECT_FALSE(w->IsFlagSet(IWWindow::kInSetup));
  EXPECT_FALSE(w->IsFlagSet(IWWindow::kMoving));
  EXPECT_TRUE(w->IsFlagSet(IWWindow::kCtrl3d));
}

TEST(Block, DamagedBlocksAreRefusedAndTheWindowStaysAsItWas) {
  TestApp();
  InterObjRep* other = NewWindow("StreamOther");
  InterObjRep* screen = ObjectStore::find("Screen");
  ASSERT_TRUE(other && screen);
  struct Case {
    const char* what;
    Bytes block;
  };
  std::vector<Case> cases;
  {
    Fields f;
    f.parent = screen;  // not a window
    cases.push_back({"parent that is not a window", Block(f)});
  }
  {
    Fields f;
    f.source = other;  // a window, not a record set
    cases.push_back({"data source that is not a record set", Block(f)});
  }
  {
    Bytes b = Block(Fields());
    b[1] = 0x07;  // an unknown reference tag
    cases.push_back({"unknown reference tag", b});
  }
  {
    Bytes b = Block(Fields());
    b.resize(b.size() - 6);
    cases.push_back({"cut short", b});
  }
  {
    Bytes b = Block(Fields());
    Bytes big = b;
    big[2] = 0xFF;  // caption length beyond the block
    big[3] = 0xFF;
    cases.push_back({"caption longer than the block", big});
  }
  {
    Fields f;
    f.revision = 2;
    cases.push_back({"a later revision", Block(f)});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Owned<TestWindow> w(new TestWindow);
    w->pdSetCaption("Before");
    w->imMove(15, 30, 45, 60);
    Bytes before = SaveBlock(*w);
    try {
      LoadBlock(*w, c.block);
      ADD_FAILURE() << "loaded";
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("Window")) << e.what();
    } catch (const XAssert& e) {
      ADD_FAILURE() << "asserted: " << e.what();
    } catch (const std::exception& e) {
      ADD_FAILURE() << "other failure: " << e.what();
    }
    EXPECT_EQ(Hex(before), Hex(SaveBlock(*w)));
    EXPECT_EQ(nullptr, w->Parent);
    EXPECT_EQ(nullptr, w->pdGetDataSource());
  }
}

TEST(Block, HarmlessFieldsLoadAsDefaults) {
  TestApp();
  InterObjRep* other = NewWindow("StreamFontless");
  Fields f;
  f.font = other;   // not a font: none
  f.drag = 3;       // not a drag mode: no drag
  f.pointer = 200;  // not a pointer: the default
  f.field = nullptr;
  Owned<TestWindow> w(new TestWindow);
  LoadBlock(*w, Block(f));
  EXPECT_EQ(nullptr, w->pdGetFont());
  EXPECT_EQ(0, w->pdGetDragMode());
  EXPECT_EQ(0, w->pdGetMousePointer());
  EXPECT_EQ("", ValString(w->pdGetDataField()).str());
  EXPECT_EQ(1507, w->twipsLeft());
}

TEST(Block, AParentWindowReadIsTheWindowsParent) {
  TestApp();
  InterObjRep* parent = NewWindow("StreamParent");
  Fields f;
  f.parent = parent;
  Owned<TestWindow> w(new TestWindow);
  LoadBlock(*w, Block(f));
  EXPECT_EQ(IWWindow::Native(parent), w->Parent);
  w->SetParent(nullptr);
}

TEST(TextUnload, EveryListedPropertyAndTheMoveLine) {
  TestApp();
  InterObjRep* obj = NewWindow("Unloaded");
  IWWindow* w = IWWindow::Native(obj);
  ASSERT_NE(nullptr, w);
  w->pdSetCaption("Hello");
  w->pdSetBackColor(255);
  w->pdSetForeColor(65280);
  w->pdSetMousePointer(kPointerCrosshair);
  w->pdSetEnabled(0);
  w->pdSetDragMode(9);
  w->pdSetDataField("Amount");
  w->imMove(150, 300, 1500, 750.5f);
  ValString cmds("");
  EXPECT_EQ(-1, w->imTextUnload("  ", &cmds));
  std::string text = cmds.str();
  EXPECT_EQ(
      "  .DataSource = Nothing\n"
      "  .DataField = \"Amount\"\n"
      "  .Caption = \"Hello\"\n"
      "  .BackColor = 255\n"
      "  .ForeColor = 65280\n"
      "  .MousePointer = \"Crosshair\"\n"
      "  .Enabled = False\n"
      "  .Font = Nothing\n"
      "  .DragMode = \"LeftMouse+Control\"\n"
      "  .ZOrder = 0\n"
      "  .Move(150, 300, 1500, 751)\n",
      text);
  // Through Basic, the same text.
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As String\n  Dim s As String\n  Dim r As Integer\n  r = Unloaded.TextUnload(\"  \", s)\n"
      "  F = s\nEnd Function\n",
      "F");
  EXPECT_TRUE(out.ok) << out.error;
  EXPECT_EQ(text, out.result);
}

}  // namespace
