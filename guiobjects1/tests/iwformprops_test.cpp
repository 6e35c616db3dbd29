// A form's frame style properties against its window style, its scale properties, its
// own stream data (round trip with menus, AccelForm and a Custom scale; revisions;
// damaged blocks) and its text unload.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

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

// ---- a whole form through a module file and through a text object file ----

// Reads text as a text object file into module m.
void ReadInto(unsigned char m, const std::string& text) {
  testkit::TestDataDir dir("form_module_text");
  const std::string path = dir.File("objects.obo");
  std::ofstream(path, std::ios::binary) << text;
  OpenModuleResource open(m);
  InterObj none;
  EXPECT_EQ(1, ParserReadTextObjectFile(path.c_str(), none, 1)) << text;
}

std::string NameOf(InterObjRep* o) { return o ? o->fullName() : std::string("<none>"); }

// What a form is to Basic: its properties, its controls', its embedded form's, the
// objects it refers to and what its own code does.
std::string WholeForm(const char* name) {
  IWForm* f = IWForm::Native(ObjectStore::find(name));
  if (!f) return "<no form>";
  const std::string n = name;
  std::string s;
  auto value = [&](const std::string& expr) {
    BasicOutcome out =
        BasicRunner::CompileAndRun("Function F() As String\n  F = " + expr + "\nEnd Function\n", "F");
    s += expr.substr(n.size()) + "=" + (out.ok ? out.result : "error " + out.error) + ";";
  };
  for (const char* p :
       {"Caption", "ScaleMode", "ScaleLeft", "ScaleTop", "ScaleWidth", "ScaleHeight", "BackColor",
        "DrawColor", "FileDrop", "KeyPreview", "BorderStyle", "MaxButton", "Left", "Width"})
    value(n + "." + p);
  for (const char* c : {"Ok", "Quit"})
    for (const char* p : {"Caption", "Left", "Top", "Width", "Height", "Enabled"})
      value(n + "." + c + "." + p);
  for (const char* p : {"ScaleMode", "ScaleWidth", "ScaleHeight", "Visible", "Left"})
    value(n + ".Inner." + p);
  value(n + ".Twice(21)");
  s += "MenuBar=" + NameOf(f->pdGetMenuBar()) + ";PopupMenu=" + NameOf(f->pdGetPopupMenu()) +
       ";AccelForm=" + NameOf(f->pdGetAccelForm()) + ";";
  // The default and cancel buttons are the form's own controls.
  s += "DefaultButton=" +
       std::string(f->pdGetDefaultButton() == f->storeObj()->findEmbed("Ok") ? "own Ok" : "?");
  s += ";CancelButton=" +
       std::string(f->pdGetCancelButton() == f->storeObj()->findEmbed("Quit") ? "own Quit" : "?");
  if (iMenuBar* bar = iMenuBar::Native(f->pdGetMenuBar())) s += ";bar " + menukit::Shape(bar);
  if (iPopupMenu* pop = iPopupMenu::Native(f->pdGetPopupMenu()))
    s += ";popup " + menukit::Shape(pop) + " key " + std::to_string(pop->imGetAccelerator("WfOpen"));
  return s;
}

TEST(FormModule, AWholeFormComesBackEqualFromAModuleAndFromItsText) {
  formkit::TestApp();
  testkit::TestDataDir dir("form_module");
  const std::string file = dir.File("forms.ovm"), text = dir.File("forms.obo");
  unsigned char m = ObjectStore::CreateModule("form_module_source");
  ReadInto(m,
           "Type WfKeys From Form\nEnd Type\n"
           "Type WfMain From Form\n  Dim Count As Long\n"
           "  Type Ok From Button\n  End Type\n  Type Quit From Button\n  End Type\n"
           "  Type Inner From Form\n  End Type\n"
           "  Function Twice(ByVal n As Long) As Long\n    Count = Count + 1\n    Twice = 2 * n + Count\n"
           "  End Function\nEnd Type\n");
  std::vector<Faultp<InterObjRep>> made;
  auto make = [&](const char* cls, const char* name) {
    OpenModuleResource open(m);
    PrimInterObj o(ObjectStore::find(cls), name, 0);
    made.push_back(o);
    return o.get();
  };
  iPopupMenu* pop = iPopupMenu::Native(make("PopupMenu", "WfPop"));
  iMenuBar* bar = iMenuBar::Native(make("MenuBar", "WfBar"));
  ASSERT_TRUE(pop && bar);
  pop->imInsertItem("WfOpen", "&Open", -1);
  pop->imSetAccelerator("WfOpen", 15);
  pop->imInsertSeparator(-1);
  pop->imInsertItem("WfClose", "&Close", -1);
  bar->imInsertItem("WfAbout", "&About", -1);
  IWForm* f = IWForm::Native(ObjectStore::find("WfMain"));
  ASSERT_NE(nullptr, f);
  f->pdSetMenuBar(bar->storeObj());
  f->pdSetPopupMenu(pop->storeObj());
  f->pdSetAccelForm(ObjectStore::find("WfKeys"));
  f->pdSetDefaultButton(f->storeObj()->findEmbed("Ok"));
  f->pdSetCancelButton(f->storeObj()->findEmbed("Quit"));
  f->pdSetFileDrop(-1);
  // The button sits on whole units of the Custom scale (72 and 108 twips): the text holds
  // seven digits, and units become twips by truncation.
  formkit::RunBasic(
      "  WfMain.Caption = \"Whole form\"\n  WfMain.BackColor = &H80FF\n  WfMain.DrawColor = &HFF\n"
      "  WfMain.KeyPreview = True\n  WfMain.BorderStyle = 1\n  WfMain.Move 300, 450, 7200, 5400\n"
      "  WfMain.Ok.Caption = \"O&K\"\n  WfMain.Ok.Move 144, 216, 1152, 324\n"
      "  WfMain.Quit.Caption = \"Quit\"\n  WfMain.Quit.Enabled = False\n"
      "  WfMain.Inner.Scale 0, 0, 5, 4\n  WfMain.Scale -10, 20, 90, 70\n  WfMain.Count = 0");
  const std::string before = WholeForm("WfMain");
  EXPECT_NE(std::string::npos,
            before.find(".ScaleMode=0;.ScaleLeft=-10;.ScaleTop=20;.ScaleWidth=100;.ScaleHeight=50;"))
      << before;
  EXPECT_NE(std::string::npos, before.find("DefaultButton=own Ok;CancelButton=own Quit")) << before;
  const windowkit::Bytes block = windowkit::SaveBlock(*f);
  formkit::RunBasic("  WfMain.Count = 0");  // what Twice counted

  // Through the module file.
  ASSERT_NE(0, ObjectStore::SaveModule(m, file.c_str()));
  f = nullptr;
  made.clear();
  ObjectStore::UnloadModule(m, 1);
  ASSERT_EQ(nullptr, ObjectStore::find("WfMain"));
  unsigned char loaded = ObjectStore::LoadModule(file.c_str());
  EXPECT_EQ(before, WholeForm("WfMain"));
  IWForm* again = IWForm::Native(ObjectStore::find("WfMain"));
  ASSERT_NE(nullptr, again);
  EXPECT_EQ(block, windowkit::SaveBlock(*again));

  // Through the text object file the writer makes of the loaded objects.
  formkit::RunBasic("  WfMain.Count = 0");
  {
    InterObj o;
    bool append = false;
    for (const char* name : {"WfPop", "WfBar", "WfKeys", "WfMain"}) {
      o = InterObj(ObjectStore::find(name));
      ParserWriteTextObjectFile(text.c_str(), append, o);
      append = true;
    }
  }
  again = nullptr;
  ObjectStore::UnloadModule(loaded, 1);
  ASSERT_EQ(nullptr, ObjectStore::find("WfMain"));
  unsigned char target = ObjectStore::CreateModule("form_module_target");
  {
    OpenModuleResource open(target);
    InterObj none;
    ASSERT_EQ(1, ParserReadTextObjectFile(text.c_str(), none, 1));
  }
  EXPECT_EQ(before, WholeForm("WfMain"));
  // The menu bar read back shows on the form's window.
  IWForm* read = IWForm::Native(ObjectStore::find("WfMain"));
  ASSERT_NE(nullptr, read);
  read->imLoad();
  EXPECT_EQ(iMenuBar::Native(read->pdGetMenuBar())->handle(), GetMenu(read->HWindow));
  read->imUnload();
  ObjectStore::UnloadModule(target, 1);
}

// ---- golden bytes of the form's own data ----

std::string Hex(const windowkit::Bytes& b) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t v : b) {
    out += digits[v >> 4];
    out += digits[v & 15];
    out += ' ';
  }
  return out;
}

void Put32(windowkit::Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back((uint8_t)(v >> (8 * i)));
}
void PutFloat(windowkit::Bytes& b, float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  Put32(b, v);
}

TEST(FormProps, GoldenBytesOfTheFormsOwnData) {
  IWForm* f = MakeForm(Unique("Golden"));
  ASSERT_NE(nullptr, f);
  f->pdSetDrawStyle(PS_DOT);
  f->pdSetDrawWidth(3);
  f->pdSetDrawColor(0x112233);
  f->pdSetFillColor(0x445566);
  f->pdSetBevelInner(1);
  f->pdSetBevelOuter(2);
  f->pdSetBevelWidth(3);
  f->pdSetBorderWidth(4);
  f->pdSetOutlined(-1);
  f->pdSetDrawMode(R2_XORPEN);
  f->imScale(-10, 20, 90, 70);
  f->pdSetFileDrop(-1);
  windowkit::Bytes golden;
  // The drawable: pen (style, width, colour), brush (style, colour, hatch), the border's
  // five bytes, the draw mode.
  for (uint32_t v : {(uint32_t)PS_DOT, 3u, 0x112233u, (uint32_t)BS_SOLID, 0x445566u, 0u}) Put32(golden, v);
  for (uint8_t v : {1, 2, 3, 4, 1}) golden.push_back(v);
  Put32(golden, R2_XORPEN);
  // The scale rectangle: left, top, width, height, the mode, the two pixel words.
  for (float v : {-10.0f, 20.0f, 100.0f, 50.0f}) PutFloat(golden, v);
  golden.push_back(kScaleCustom);
  Put32(golden, (uint32_t)f->Scale()->pixelWidth());
  Put32(golden, (uint32_t)f->Scale()->pixelHeight());
  // Controls, MenuBar, PopupMenu, AccelForm: none; FileDrop.
  for (int i = 0; i < 4; ++i) golden.push_back(0);
  Put32(golden, 1);
  ASSERT_EQ(66u, golden.size());
  const windowkit::Bytes block = windowkit::SaveBlock(*f);
  ASSERT_GT(block.size(), golden.size() + 2);
  EXPECT_EQ(1, block[0]);  // the form's revision
  const windowkit::Bytes tail(block.end() - golden.size(), block.end());
  EXPECT_EQ(Hex(golden), Hex(tail));
  // The window's complete block sits between the revision and the form's data.
  IWForm* plain = MakeForm(Unique("Plain"));
  ASSERT_NE(nullptr, plain);
  windowkit::LoadBlock(*plain, block);
  EXPECT_EQ(Hex(block), Hex(windowkit::SaveBlock(*plain)));
  EXPECT_EQ(R2_XORPEN, plain->pdGetDrawMode());
  EXPECT_EQ(0x112233, plain->pdGetDrawColor());
  EXPECT_EQ(-1, plain->pdGetOutlined());
}

// ---- copies ----

TEST(FormProps, ACopysDefaultAndCancelButtonsAreItsOwn) {
  const std::string name = Unique("Copied");
  IWForm* f = MakeForm(name, "  Type Ok From Button\n  End Type\n  Type Quit From Button\n  End Type\n");
  ASSERT_NE(nullptr, f);
  InterObjRep* ok = f->storeObj()->findEmbed("Ok");
  InterObjRep* quit = f->storeObj()->findEmbed("Quit");
  ASSERT_TRUE(ok && quit);
  f->pdSetDefaultButton(ok);
  f->pdSetCancelButton(quit);
  f->imScale(0, 0, 40, 30);
  f->pdSetDrawColor(0x0000FF);
  ASSERT_EQ(ok, f->pdGetDefaultButton());
  Faultp<InterObjRep> copy = f->storeObj()->copy(Unique("CopyOf").c_str(), windowkit::TestModule());
  ASSERT_FALSE(copy.isNull());
  IWForm* c = IWForm::Native(copy.get());
  ASSERT_NE(nullptr, c);
  InterObjRep* ownOk = copy->findEmbed("Ok");
  InterObjRep* ownQuit = copy->findEmbed("Quit");
  ASSERT_TRUE(ownOk && ownQuit);
  EXPECT_EQ(ownOk, c->pdGetDefaultButton());
  EXPECT_EQ(ownQuit, c->pdGetCancelButton());
  // The source keeps its own.
  EXPECT_EQ(ok, f->pdGetDefaultButton());
  EXPECT_EQ(quit, f->pdGetCancelButton());
  EXPECT_EQ(kScaleCustom, c->pdGetScaleMode());
  EXPECT_FLOAT_EQ(40.0f, c->pdGetScaleWidth());
  EXPECT_EQ(0x0000FF, c->pdGetDrawColor());
}

TEST(FormProps, ACopyOfAnEmbeddedFormIsTopLevel) {
  IWForm* host = MakeForm(Unique("CopyHost"), "  Type Inner From Form\n  End Type\n");
  ASSERT_NE(nullptr, host);
  InterObjRep* inner = host->storeObj()->findEmbed("Inner");
  ASSERT_NE(nullptr, inner);
  ASSERT_TRUE(IWForm::Native(inner)->IsEmbedded());
  Faultp<InterObjRep> copy = inner->copy(Unique("Freed").c_str(), windowkit::TestModule());
  ASSERT_FALSE(copy.isNull());
  IWForm* c = IWForm::Native(copy.get());
  ASSERT_NE(nullptr, c);
  EXPECT_FALSE(c->IsEmbedded());
  EXPECT_EQ(0x02CF0000u, (uint32_t)c->Attr.Style);
}

// ---- Font and MousePointer reach the client and the controls ----

TEST(FormProps, FontAndMousePointerReachTheClientAndItsWindows) {
  IWForm* f = MakeForm(Unique("Fonted"),
                       "  Type Child From Button\n  End Type\n  Type Sub1 From Form\n"
                       "    Type Deep From Button\n    End Type\n  End Type\n");
  ASSERT_NE(nullptr, f);
  f->imLoad();
  IWWindow* child = formkit::Embedded<IWWindow>(f, "Child");
  IWForm* sub = formkit::Embedded<IWForm>(f, "Sub1");
  ASSERT_TRUE(child && sub && child->HWindow);
  IWWindow* deep = formkit::Embedded<IWWindow>(sub, "Deep");
  ASSERT_TRUE(deep && deep->HWindow);
  const std::string n = f->storeObj()->fullName();
  const std::string fontName = Unique("BigFont");
  std::string error;
  ASSERT_TRUE(
      formkit::ReadObjects("Type " + fontName + " From Font\nEnd Type\nBegin Code\n  With " + fontName +
                               "\n    .FaceName = \"Courier New\"\n    .Size = 15\n  End With\nEnd Code\n",
                           &error))
      << error;
  formkit::RunBasic("  Set " + n + ".Font = " + fontName);
  HFONT font = f->GetEffectiveFont();
  ASSERT_NE(nullptr, font);
  EXPECT_EQ((LRESULT)font, SendMessageA(child->HWindow, WM_GETFONT, 0, 0));
  EXPECT_EQ((LRESULT)font, SendMessageA(deep->HWindow, WM_GETFONT, 0, 0));
  formkit::RunBasic("  " + n + ".MousePointer = 3");  // the I-beam
  EXPECT_EQ(3, f->pdGetMousePointer());
  EXPECT_EQ(LoadCursorA(nullptr, IDC_IBEAM), f->Client()->GetCursorHandle());
  f->imUnload();
}

// ---- the signature ----

TEST(FormProps, TheSignatureListsTheDrawingMembersInOrder) {
  IWForm* f = MakeForm(Unique("Sig"));
  ASSERT_NE(nullptr, f);
  const std::string n = f->storeObj()->fullName();
  // Each property and method answers from Basic.
  formkit::RunBasic("  " + n + ".BevelInner = 2\n  " + n + ".BevelWidth = 4\n  " + n + ".DrawMode = 7\n  " +
                    n + ".FillStyle = 6\n  " + n + ".CurrentX = 12\n  " + n + ".MoveTo 3, 4\n  " + n +
                    ".LineTo 5, 6\n  " + n + ".TextOut \"x\"");
  EXPECT_EQ(2, f->pdGetBevelInner());
  EXPECT_EQ(4, f->pdGetBevelWidth());
  EXPECT_EQ(7, f->pdGetDrawMode());
  EXPECT_EQ(6, f->pdGetFillStyle());
  EXPECT_EQ(5.0f, f->pdGetCurrentX());
  // A bad value is refused with the store's error.
  BasicOutcome out = BasicRunner::CompileAndRun("Sub S()\n  " + n + ".DrawMode = 40\nEnd Sub\n", "S");
  EXPECT_FALSE(out.ok);
  // Polyline takes arrays: more points than they hold are refused, nothing drawn.
  out = BasicRunner::CompileAndRun(
      "Sub S()\n  Dim x(3) As Single\n  Dim y(3) As Single\n  " + n + ".Polyline x, y, 5\nEnd Sub\n", "S");
  EXPECT_FALSE(out.ok);
  EXPECT_EQ((unsigned)kMsgInvalidArgument, out.errorId) << out.error;
  out = BasicRunner::CompileAndRun(
      "Sub S()\n  Dim x(3) As Single\n  Dim y(3) As Single\n  " + n + ".Polyline x, y, 3\nEnd Sub\n", "S");
  EXPECT_TRUE(out.ok) << out.error;
}

TEST(FormProps, TextUnloadWritesTheDrawingStateAndReadsBack) {
  IWForm* f = MakeForm(Unique("Drawn"));
  ASSERT_NE(nullptr, f);
  f->pdSetBevelOuter(3);
  f->pdSetDrawColor(0x0000FF);
  f->pdSetDrawMode(R2_NOTCOPYPEN);
  f->pdSetFillStyle(5);
  const std::string text = TextUnload(f);
  for (const char* line : {".BevelOuter = 3", ".DrawColor = 255", ".DrawMode = 4", ".FillStyle = 5"})
    EXPECT_NE(std::string::npos, text.find(line)) << line << "\n" << text;
  // BevelInner .. FillStyle come before KeyPreview.
  EXPECT_LT(text.find(".BevelInner"), text.find(".FillStyle"));
  EXPECT_LT(text.find(".FillStyle"), text.find(".KeyPreview"));
  const std::string again = Unique("DrawnAgain");
  std::string obo = "Type " + again + " From Form\nEnd Type\nBegin Code\n  With " + again + "\n";
  std::string line;
  for (char ch : text) {
    if (ch != '\n') {
      line += ch;
      continue;
    }
    for (const char* keep : {".Bevel", ".Draw", ".Fill", ".Outlined", ".Current", ".BorderWidth"})
      if (line.rfind(keep, 0) == 0) obo += "    " + line + "\n";
    line.clear();
  }
  obo += "  End With\nEnd Code\n";
  std::string error;
  ASSERT_TRUE(formkit::ReadObjects(obo, &error)) << error << "\n" << obo;
  IWForm* read = IWForm::Native(ObjectStore::find(again.c_str()));
  ASSERT_NE(nullptr, read);
  EXPECT_EQ(3, read->pdGetBevelOuter());
  EXPECT_EQ(0x0000FF, read->pdGetDrawColor());
  EXPECT_EQ(R2_NOTCOPYPEN, read->pdGetDrawMode());
  EXPECT_EQ(5, read->pdGetFillStyle());
}

}  // namespace
