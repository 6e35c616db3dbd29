// A form's frame style properties against its window style, its scale properties, its
// own stream data (round trip with menus, AccelForm and a Custom scale; revisions;
// damaged blocks) and its text unload.
#include <gtest/gtest.h>

#include "formkit.h"
#include "guiobjects1/iwscreen.h"
#include "imenu_kit.h"

namespace {

using formkit::MakeForm;

std::string Unique(const char* stem) {
  static int n = 0;
  return std::string(stem) + std::to_string(++n);
}

TEST(FormProps, FrameStylePropertiesFollowTheWindowStyle) {
  IWForm* f = MakeForm(Unique("Frame"));
  ASSERT_NE(nullptr, f);
  f->imLoad();
  ASSERT_NE(nullptr, f->HWindow);
  struct Case {
    const char* what;
    std::function<void()> set;
    uint32_t on, off;  // style bits set and clear afterwards
  } cases[] = {
      {"MaxButton off", [&] { f->pdSetMaxButton(0); }, 0, WS_MAXIMIZEBOX},
      {"MaxButton on", [&] { f->pdSetMaxButton(-1); }, WS_MAXIMIZEBOX, 0},
      {"MinButton off", [&] { f->pdSetMinButton(0); }, 0, WS_MINIMIZEBOX},
      {"MinButton on", [&] { f->pdSetMinButton(-1); }, WS_MINIMIZEBOX, 0},
      {"ControlBox off", [&] { f->pdSetControlBox(0); }, 0, WS_SYSMENU},
      {"ControlBox on", [&] { f->pdSetControlBox(-1); }, WS_SYSMENU, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.set();
    const uint32_t style = (uint32_t)GetWindowLongA(f->HWindow, GWL_STYLE);
    EXPECT_EQ(c.on, style & (c.on | c.off));
  }
  EXPECT_EQ(-1, f->pdGetMaxButton());
  EXPECT_EQ(-1, f->pdGetMinButton());
  EXPECT_EQ(-1, f->pdGetControlBox());
  EXPECT_EQ((long)(LONG_PTR)f->Client()->HWindow, f->pdGetClientHWnd());
  f->imUnload();
}

TEST(FormProps, BorderStyleReadsAndWritesTheFrame) {
  IWForm* f = MakeForm(Unique("Border"));
  ASSERT_NE(nullptr, f);
  f->imLoad();
  ASSERT_NE(nullptr, f->HWindow);
  ASSERT_TRUE(GetWindowLongA(f->HWindow, GWL_STYLE) & WS_THICKFRAME);
  EXPECT_EQ(2, f->pdGetBorderStyle());
  // The present value: the same window, no "Unload" or "Load".
  HWND before = f->HWindow;
  formkit::ClearLog(f);
  f->pdSetBorderStyle(2);
  EXPECT_EQ(before, f->HWindow);
  EXPECT_EQ("", formkit::LogWithoutActivation(f));
  struct Case {
    long set;
    uint32_t styleOn, styleOff;
    bool modalFrame;
  } cases[] = {
      {3, WS_CAPTION, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true},
      {1, WS_CAPTION, WS_THICKFRAME, false},
      {2, WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, false},
      {0, 0, WS_THICKFRAME | WS_BORDER | WS_DLGFRAME, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.set);
    formkit::ClearLog(f);
    f->pdSetBorderStyle(c.set);
    ASSERT_NE(nullptr, f->HWindow);
    EXPECT_EQ("Unload,Load,", formkit::LogWithoutActivation(f));  // a new window
    EXPECT_EQ(c.set, f->pdGetBorderStyle());
    const uint32_t style = (uint32_t)GetWindowLongA(f->HWindow, GWL_STYLE);
    EXPECT_EQ(c.styleOn, style & (c.styleOn | c.styleOff));
    EXPECT_EQ(c.modalFrame, (GetWindowLongA(f->HWindow, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME) != 0);
  }
  f->pdSetBorderStyle(3);
  EXPECT_EQ(0, f->pdGetMinButton());
  EXPECT_EQ(0, f->pdGetMaxButton());
  f->imUnload();
}

TEST(FormProps, ScaleCoordinatesSwitchToCustomExceptInProportional) {
  IWForm* f = MakeForm(Unique("Scale"));
  ASSERT_NE(nullptr, f);
  f->imLoad();
  // Twip: the client width in twips, the frame not counted.
  const TRect client = f->Client()->GetClientRect();
  EXPECT_NEAR(client.Width() * IWScreen::TwipsPerPixelX(), f->pdGetScaleWidth(), 1.0);
  EXPECT_NEAR(client.Height() * IWScreen::TwipsPerPixelY(), f->pdGetScaleHeight(), 1.0);
  f->pdSetScaleLeft(10);
  EXPECT_EQ(kScaleCustom, f->pdGetScaleMode());
  EXPECT_EQ(10.0f, f->pdGetScaleLeft());
  f->pdSetScaleMode(kScaleProportional);
  f->pdSetScaleTop(5);
  EXPECT_EQ(kScaleProportional, f->pdGetScaleMode());
  f->pdSetScaleMode(kScaleTwip);
  f->imScale(0, 0, 100, 50);
  EXPECT_EQ(kScaleCustom, f->pdGetScaleMode());
  EXPECT_FLOAT_EQ(100.0f, f->pdGetScaleWidth());
  EXPECT_FLOAT_EQ(50.0f, f->pdGetScaleHeight());
  // Zero extents are refused and change nothing.
  const std::string name = f->storeObj()->fullName();
  for (const char* bad : {".Scale 5, 0, 5, 10", ".Scale 0, 7, 10, 7", ".ScaleWidth = 0"}) {
    SCOPED_TRACE(bad);
    BasicOutcome out = BasicRunner::CompileAndRun("Sub S()\n  " + name + bad + "\nEnd Sub\n", "S");
    EXPECT_FALSE(out.ok);
    EXPECT_EQ((unsigned)kMsgInvalidArgument, out.errorId) << out.error;
    EXPECT_EQ(0.0f, f->pdGetScaleLeft());
    EXPECT_FLOAT_EQ(100.0f, f->pdGetScaleWidth());
  }
  f->imUnload();
}

// A form with menus, AccelForm, a Custom scale and FileDrop: its block read into another
// form gives the same values.
TEST(FormProps, TheBlockKeepsScaleMenusAccelFormAndFileDrop) {
  IWForm* f = MakeForm(Unique("Saved"));
  IWForm* other = MakeForm(Unique("Other"));
  IWForm* copy = MakeForm(Unique("Copy"));
  ASSERT_TRUE(f && other && copy);
  iMenuBar* bar = menukit::NewBar();
  iPopupMenu* pop = menukit::NewPopup();
  bar->imInsertItem("Item", "Item", -1);
  f->pdSetMenuBar(bar->storeObj());
  f->pdSetPopupMenu(pop->storeObj());
  f->pdSetAccelForm(other->storeObj());
  f->pdSetFileDrop(-1);
  f->imScale(-10, 20, 90, 70);
  windowkit::Bytes block = windowkit::SaveBlock(*f);
  windowkit::LoadBlock(*copy, block);
  EXPECT_EQ(bar->storeObj(), copy->pdGetMenuBar());
  EXPECT_EQ(pop->storeObj(), copy->pdGetPopupMenu());
  EXPECT_EQ(other->storeObj(), copy->pdGetAccelForm());
  EXPECT_EQ(-1, copy->pdGetFileDrop());
  EXPECT_EQ(kScaleCustom, copy->pdGetScaleMode());
  EXPECT_EQ(-10.0f, copy->pdGetScaleLeft());
  EXPECT_EQ(20.0f, copy->pdGetScaleTop());
  EXPECT_FLOAT_EQ(100.0f, copy->pdGetScaleWidth());
  EXPECT_FLOAT_EQ(50.0f, copy->pdGetScaleHeight());
  // Written again, the same bytes.
  EXPECT_EQ(block, windowkit::SaveBlock(*copy));
  // The bar knows the loaded form and shows on its window.
  bool listed = false;
  for (InterObjRep* shown : bar->Forms()) listed = listed || shown == copy->storeObj();
  EXPECT_TRUE(listed);
  copy->imLoad();
  EXPECT_EQ(bar->handle(), GetMenu(copy->HWindow));
  copy->imUnload();
}

TEST(FormProps, RevisionsAndDamagedBlocks) {
  IWForm* f = MakeForm(Unique("Revisions"));
  ASSERT_NE(nullptr, f);
  f->imScale(0, 0, 10, 10);
  windowkit::Bytes block = windowkit::SaveBlock(*f);
  ASSERT_EQ(1, block[0]);
  // Revision 0 loads and marks the form changed.
  windowkit::Bytes old = block;
  old[0] = 0;
  f->setDirty(false);
  windowkit::LoadBlock(*f, old);
  EXPECT_EQ(S_OK, f->IsDirty());
  // Revision 2, and a block cut inside the form's own data, fail naming "Form" and
  // leave the form as it was.
  IWForm* g = MakeForm(Unique("Untouched"));
  ASSERT_NE(nullptr, g);
  windowkit::Bytes newer = block;
  newer[0] = 2;
  windowkit::Bytes cut(block.begin(), block.end() - 6);
  for (const windowkit::Bytes* b : {&newer, &cut}) {
    try {
      windowkit::LoadBlock(*g, *b);
      ADD_FAILURE() << "loaded";
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("Form")) << e.what();
    }
    EXPECT_EQ(kScaleTwip, g->pdGetScaleMode());
  }
}

std::string TextUnload(IWForm* f) {
  ValString cmds("");
  f->imFormTextUnload("", &cmds);
  return cmds.str();
}

TEST(FormProps, TextUnloadWritesTheScaleAndVisibleOnlyForEmbeddedForms) {
  IWForm* host = MakeForm(Unique("Host"), "  Type Inner From Form\n  End Type\n");
  ASSERT_NE(nullptr, host);
  IWForm* inner = formkit::Embedded<IWForm>(host, "Inner");
  ASSERT_NE(nullptr, inner);
  host->imScale(0, 0, 200, 100);
  const std::string top = TextUnload(host), embedded = TextUnload(inner);
  EXPECT_EQ(std::string::npos, top.find(".Visible")) << top;
  EXPECT_NE(std::string::npos, embedded.find(".Visible")) << embedded;
  // The mode, then the four values, so the later lines keep the mode Custom.
  const size_t mode = top.find(".ScaleMode = "), width = top.find(".ScaleWidth = 200");
  EXPECT_NE(std::string::npos, mode) << top;
  EXPECT_NE(std::string::npos, width) << top;
  EXPECT_LT(mode, width);
  EXPECT_EQ(std::string::npos, embedded.find(".ScaleWidth")) << embedded;  // not Custom
  // Read back through the text object file reader, as the writer puts it: the same scale.
  const std::string again = Unique("Again");
  std::string text = "Type " + again + " From Form\nEnd Type\nBegin Code\n  With " + again + "\n";
  std::string line;
  for (char c : top) {
    if (c != '\n') {
      line += c;
      continue;
    }
    if (line.rfind(".Scale", 0) == 0) text += "    " + line + "\n";
    line.clear();
  }
  text += "  End With\nEnd Code\n";
  std::string error;
  EXPECT_TRUE(formkit::ReadObjects(text, &error)) << error << "\n" << text;
  IWForm* read = IWForm::Native(ObjectStore::find(again.c_str()));
  ASSERT_NE(nullptr, read);
  EXPECT_EQ(kScaleCustom, read->pdGetScaleMode());
  EXPECT_FLOAT_EQ(200.0f, read->pdGetScaleWidth());
  EXPECT_FLOAT_EQ(100.0f, read->pdGetScaleHeight());
}

}  // namespace
