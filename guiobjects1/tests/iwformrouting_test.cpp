// A form's menu commands, their enabling, the menu-derived event names, the accelerator
// chain, key preview, the default and cancel buttons, the popup menu on the right
// button, the menu properties and the in-place frame services, on hidden forms on the X
// display with real messages through the application's own message pump.
#include <gtest/gtest.h>

#include "formkit.h"
#include "imenu_kit.h"

namespace {

using formkit::ClearLog;
using formkit::Embedded;
using formkit::Log;
using formkit::MakeForm;

std::string Unique(const char* stem) {
  static int n = 0;
  return std::string(stem) + std::to_string(++n);
}

// AcceleratorKey choices of plain function keys (F1 is 47).
const long kF2 = 48, kF3 = 49, kF4 = 50;

// A handler that logs its own name.
std::string Logs(const std::string& sub, const std::string& args = "()") {
  return "  Sub " + sub + args + "\n    Events = Events & \"" + sub + ",\"\n  End Sub\n";
}

// Pumps what is queued through the application's pump (PreProcessMsg, accelerators,
// dialog keys), as the launcher's loop does.
void AppPump() {
  for (int i = 0; i < 5; ++i) {
    windowkit::TestApp().PumpWaitingMessages();
    Sleep(5);
  }
}

void PostKey(HWND to, unsigned key) {
  PostMessageA(to, WM_KEYDOWN, key, 1);
  PostMessageA(to, WM_KEYUP, key, 0xC0000001u);
}

// A form with a menu bar: popup File (Open, Save, popup More (Deep, accelerator F2)).
// Save_Enable answers the form's SaveOn; Open has no "_Enable".
struct MenuForm {
  IWForm* f = nullptr;
  iMenuBar* bar = nullptr;
  iPopupMenu* file = nullptr;
  iPopupMenu* more = nullptr;

  explicit MenuForm(const std::string& extra = "") {
    f = MakeForm(Unique("Menus"), "  Dim SaveOn As Integer\n  Type Other From Button\n  End Type\n" + extra +
                                      Logs("Open_Click") + Logs("Save_Click") + Logs("Deep_Click") +
                                      "  Function Save_Enable() As Integer\n    Save_Enable = SaveOn\n"
                                      "  End Function\n");
    bar = menukit::NewBar();
    file = menukit::NewPopup();
    more = menukit::NewPopup();
    file->imInsertItem("Open", "&Open", -1);
    file->imInsertItem("Save", "&Save", -1);
    more->imInsertItem("Deep", "Deep", -1);
    more->imSetAccelerator("Deep", kF2);
    menukit::InsertPopup(file, more, "&More");
    menukit::InsertPopup(bar, file, "&File");
    if (f) f->pdSetMenuBar(bar->storeObj());
  }
  uint16_t Id(iMenu* m, const char* item) { return (uint16_t)m->imId(item); }
};

TEST(FormRouting, MenuCommandsAndTheirEnablingRouteByName) {
  MenuForm m;
  ASSERT_NE(nullptr, m.f);
  m.f->imLoad();
  ASSERT_NE(nullptr, m.f->HWindow);
  EXPECT_EQ(m.bar->handle(), GetMenu(m.f->HWindow));
  HWND other = Embedded<IWButton>(m.f, "Other")->HWindow;
  ASSERT_NE(nullptr, other);
  const uint16_t open = m.Id(m.file, "Open"), deep = m.Id(m.more, "Deep");
  struct Case {
    const char* what;
    std::function<void()> act;
    const char* log;
  } cases[] = {
      {"chosen from the menu", [&] { SendMessageA(m.f->HWindow, WM_COMMAND, MAKEWPARAM(open, 0), 0); },
       "Open_Click,"},
      {"an item of a sub-popup", [&] { SendMessageA(m.f->HWindow, WM_COMMAND, MAKEWPARAM(deep, 0), 0); },
       "Deep_Click,"},
      {"its accelerator, pressed on a control",
       [&] {
         PostKey(other, VK_F2);
         AppPump();
       },
       "Deep_Click,"},
      {"a button's command with the same id",
       [&] { SendMessageA(m.f->HWindow, WM_COMMAND, MAKEWPARAM(open, BN_CLICKED), (LPARAM)other); }, ""},
      {"an id no item has", [&] { SendMessageA(m.f->HWindow, WM_COMMAND, MAKEWPARAM(60000, 0), 0); }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClearLog(m.f);
    c.act();
    EXPECT_EQ(c.log, formkit::LogWithoutActivation(m.f));
  }
  // Enabling, asked when the popup drops down.
  struct Enabling {
    const char* saveOn;
    bool saveGrey;
  } enabling[] = {{"0", true}, {"-1", false}, {"5", false}};
  const std::string name = m.f->storeObj()->fullName();
  for (const Enabling& e : enabling) {
    SCOPED_TRACE(e.saveOn);
    windowkit::RunBasic(name + ".SaveOn = " + std::string(e.saveOn));
    SendMessageA(m.f->HWindow, WM_INITMENUPOPUP, (WPARAM)m.file->handle(), 0);
    const UINT save = GetMenuState(m.file->handle(), m.Id(m.file, "Save"), MF_BYCOMMAND);
    EXPECT_EQ(e.saveGrey, (save & MF_GRAYED) != 0) << save;
    // Open has no "_Enable": enabled.
    EXPECT_EQ(0u, GetMenuState(m.file->handle(), open, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
  }
  m.f->imUnload();
}

TEST(FormRouting, TheMenuDerivedEventNames) {
  IWForm* f = MakeForm(Unique("Names"));
  ASSERT_NE(nullptr, f);
  RWCString none;
  f->getExtEventList(none);
  EXPECT_STREQ("", none.data());  // no menu bar
  iMenuBar* bar = menukit::NewBar();
  iPopupMenu* sub = menukit::NewPopup();
  bar->imInsertItem("One", "One", -1);
  bar->imInsertItem("Two", "Two", -1);
  sub->imInsertItem("Three", "Three", -1);
  sub->imInsertSeparator(-1);
  sub->imInsertItem("Four", "Four", -1);
  menukit::InsertPopup(bar, sub, "Sub");
  f->pdSetMenuBar(bar->storeObj());
  RWCString list;
  f->storeObj()->getExtEventList(list);
  EXPECT_STREQ(
      "One_Click\nOne_Enable\nTwo_Click\nTwo_Enable\nThree_Click\nThree_Enable\nFour_Click\nFour_Enable\n",
      list.data());
  struct Case {
    const char* event;
    int known, resultType;
  } cases[] = {{"One_Click", 1, 0}, {"Two_Enable", 1, 1},  {"Four_Click", 1, 0}, {"Three_Enable", 1, 1},
               {"Sub_Click", 0, 0}, {"Five_Enable", 0, 0}, {"One_", 0, 0},       {"", 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.event);
    RWCString proto;
    int type = -1;
    EXPECT_EQ(c.known, f->storeObj()->getExtEventProto(c.event, proto, type));
    if (c.known) {
      EXPECT_STREQ("()", proto.data());
      EXPECT_EQ(c.resultType, type);
    }
  }
}

// The bar's table, then the popup menu's, then AccelForm's (whose own handler runs); a
// key none of them holds reaches the control it was sent to.
TEST(FormRouting, AcceleratorsGoToTheBarThenThePopupThenAccelForm) {
  MenuForm m("  Type Target From Button\n  End Type\n" + Logs("Pop_Click") + Logs("Twice_Click") +
             Logs("Target_KeyDown", "(keyCode As Integer, ByVal shift As Integer)"));
  ASSERT_NE(nullptr, m.f);
  IWForm* helper = MakeForm(Unique("Helper"), Logs("Far_Click") + Logs("Twice_Click"));
  ASSERT_NE(nullptr, helper);
  iPopupMenu* pop = menukit::NewPopup();
  pop->imInsertItem("Pop", "Pop", -1);
  pop->imSetAccelerator("Pop", kF3);
  pop->imInsertItem("Twice", "Twice", -1);  // F2: the bar's Deep comes first
  pop->imSetAccelerator("Twice", kF2);
  m.f->pdSetPopupMenu(pop->storeObj());
  iMenuBar* helperBar = menukit::NewBar();
  iPopupMenu* helperPop = menukit::NewPopup();
  helperPop->imInsertItem("Far", "Far", -1);
  helperPop->imSetAccelerator("Far", kF4);
  helperPop->imInsertItem("Twice", "Twice", -1);
  helperPop->imSetAccelerator("Twice", kF3);
  menukit::InsertPopup(helperBar, helperPop, "Helper");
  helper->pdSetMenuBar(helperBar->storeObj());
  m.f->pdSetAccelForm(helper->storeObj());
  m.f->imLoad();
  helper->imLoad();
  HWND target = Embedded<IWButton>(m.f, "Target")->HWindow;
  ASSERT_NE(nullptr, target);
  struct Case {
    unsigned key;
    const char* formLog;
    const char* helperLog;
  } cases[] = {
      {VK_F2, "Deep_Click,", ""},
      {VK_F3, "Pop_Click,", ""},
      {VK_F4, "", "Far_Click,"},
      {VK_F9, "Target_KeyDown,", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    ClearLog(m.f);
    ClearLog(helper);
    PostKey(target, c.key);
    AppPump();
    EXPECT_EQ(c.formLog, formkit::LogWithoutActivation(m.f));
    EXPECT_EQ(c.helperLog, formkit::LogWithoutActivation(helper));
  }
  // Another form that names this one as its AccelForm does not make a loop.
  helper->pdSetAccelForm(m.f->storeObj());
  ClearLog(m.f);
  PostKey(target, VK_F9);
  AppPump();
  EXPECT_EQ("Target_KeyDown,", formkit::LogWithoutActivation(m.f));
  // Wrong classes are ignored.
  m.f->pdSetAccelForm(pop->storeObj());
  EXPECT_EQ(helper->storeObj(), m.f->pdGetAccelForm());
  m.f->pdSetPopupMenu(helperBar->storeObj());
  EXPECT_EQ(pop->storeObj(), m.f->pdGetPopupMenu());
  m.f->imUnload();
  helper->imUnload();
}

// A child of the client window that is no published window: the form's key preview
// keeps a character from it.
HWND PlainEdit(IWForm* f) {
  return CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, f->Client()->HWindow, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

std::string TextOf(HWND h) {
  char text[64] = "";
  GetWindowTextA(h, text, sizeof text);
  return text;
}

TEST(FormRouting, KeyPreviewLetsTheFormSeeAndSwallowKeysFirst) {
  IWForm* f = MakeForm(Unique("Preview"),
                       "  Sub KeyPress(keyAscii As Integer)\n"
                       "    Events = Events & \"KeyPress\" & keyAscii & \",\"\n"
                       "    If keyAscii = 120 Then keyAscii = 0\n"
                       "    If keyAscii = 97 Then keyAscii = 98\n  End Sub\n");
  ASSERT_NE(nullptr, f);
  f->imLoad();
  HWND edit = PlainEdit(f);
  ASSERT_NE(nullptr, edit);
  struct Case {
    bool preview;
    char typed;
    const char* text;
    const char* log;
  } cases[] = {
      {true, 'x', "", "KeyPress120,"},
      {true, 'y', "y", "KeyPress121,"},
      {true, 'a', "b", "KeyPress97,"},
      {false, 'x', "x", ""},
  };
  EXPECT_EQ(0, f->pdGetKeyPreview());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    f->pdSetKeyPreview(c.preview ? -1 : 0);
    EXPECT_EQ(c.preview ? -1 : 0, f->pdGetKeyPreview());
    SetWindowTextA(edit, "");
    ClearLog(f);
    PostMessageA(edit, WM_CHAR, (WPARAM)c.typed, 1);
    AppPump();
    EXPECT_EQ(c.text, TextOf(edit));
    EXPECT_EQ(c.log, formkit::LogWithoutActivation(f));
  }
  // The bit is the window's flag 0x1000, kept in its block.
  f->pdSetKeyPreview(-1);
  EXPECT_TRUE(f->IsFlagSet(0x1000));
  f->imUnload();
}

TEST(FormRouting, EnterAndEscapeReachTheDefaultAndCancelButtons) {
  IWForm* f = MakeForm(Unique("Dialog"),
                       "  Type Ok From Button\n  End Type\n  Type Quit From Button\n  End Type\n"
                       "  Type Third From Button\n  End Type\n" +
                           Logs("Ok_Click") + Logs("Quit_Click") + Logs("Third_Click"));
  IWForm* stranger = MakeForm(Unique("Stranger"), "  Type Foreign From Button\n  End Type\n");
  ASSERT_NE(nullptr, f);
  ASSERT_NE(nullptr, stranger);
  const std::string name = f->storeObj()->fullName();
  windowkit::RunBasic(name + ".DefaultButton = " + name + ".Ok\n" + name + ".CancelButton = " + name +
                      ".Quit");
  InterObjRep* ok = f->storeObj()->findEmbed("Ok");
  InterObjRep* quit = f->storeObj()->findEmbed("Quit");
  EXPECT_EQ(ok, f->pdGetDefaultButton());
  EXPECT_EQ(quit, f->pdGetCancelButton());
  f->imLoad();
  HWND client = f->Client()->HWindow;
  HWND third = Embedded<IWButton>(f, "Third")->HWindow;
  EXPECT_EQ(Embedded<IWButton>(f, "Ok")->HWindow, GetDlgItem(client, IDOK));
  EXPECT_TRUE(GetWindowLongA(GetDlgItem(client, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
  struct Case {
    unsigned key;
    const char* log;
  } cases[] = {{VK_RETURN, "Ok_Click,"}, {VK_ESCAPE, "Quit_Click,"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    ClearLog(f);
    PostKey(third, c.key);
    AppPump();
    EXPECT_EQ(c.log, formkit::LogWithoutActivation(f));
  }
  // A button of another form changes nothing.
  f->pdSetDefaultButton(stranger->storeObj()->findEmbed("Foreign"));
  EXPECT_EQ(ok, f->pdGetDefaultButton());
  // Another of its own takes the id; the one before gets a free id from 100.
  f->pdSetDefaultButton(f->storeObj()->findEmbed("Third"));
  EXPECT_EQ(third, GetDlgItem(client, IDOK));
  EXPECT_GE(GetDlgCtrlID(Embedded<IWButton>(f, "Ok")->HWindow), 100);
  ClearLog(f);
  PostKey(Embedded<IWButton>(f, "Ok")->HWindow, VK_RETURN);
  AppPump();
  EXPECT_EQ("Third_Click,", formkit::LogWithoutActivation(f));
  // Nothing: no child keeps id 1, and Enter presses nothing.
  f->pdSetDefaultButton(nullptr);
  EXPECT_EQ(nullptr, f->pdGetDefaultButton());
  EXPECT_EQ(nullptr, GetDlgItem(client, IDOK));
  EXPECT_EQ(nullptr, f->Client()->ChildWithId(IDOK));
  ClearLog(f);
  PostKey(third, VK_RETURN);
  AppPump();
  EXPECT_EQ("", formkit::LogWithoutActivation(f));
  f->imUnload();
}

TEST(FormRouting, TheRightButtonShowsThePopupMenuWhoseItemsRouteLikeTheBars) {
  IWForm* f =
      MakeForm(Unique("Context"),
               Logs("Ctx_Click") +
                   Logs("MouseDown", "(button As Integer, shift As Integer, x As Single, y As Single)"));
  ASSERT_NE(nullptr, f);
  iPopupMenu* pop = menukit::NewPopup();
  pop->imInsertItem("Ctx", "Ctx", -1);
  f->imShow();
  HWND client = f->Client()->HWindow;
  // Without a popup menu: the window's own right-button event.
  ClearLog(f);
  SendMessageA(client, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ("MouseDown,", formkit::LogWithoutActivation(f));
  // With one: it opens; the keys queued before choose its first item.
  f->pdSetPopupMenu(pop->storeObj());
  formkit::Tasks tasks;
  tasks.Guard([] { EndMenu(); }, 5000);
  ClearLog(f);
  PostKey(f->HWindow, VK_DOWN);
  PostKey(f->HWindow, VK_RETURN);
  SendMessageA(client, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  AppPump();
  tasks.Unguard();
  EXPECT_EQ("Ctx_Click,", formkit::LogWithoutActivation(f));
  // The same item sent as a command.
  ClearLog(f);
  SendMessageA(f->HWindow, WM_COMMAND, MAKEWPARAM((uint16_t)pop->imId("Ctx"), 0), 0);
  EXPECT_EQ("Ctx_Click,", formkit::LogWithoutActivation(f));
  f->imUnload();
}

TEST(FormRouting, TheMenuBarPropertyShowsTheBarAndLeavesItsMenuAlive) {
  IWForm* f = MakeForm(Unique("Bars"));
  ASSERT_NE(nullptr, f);
  iMenuBar* first = menukit::NewBar();
  iMenuBar* second = menukit::NewBar();
  first->imInsertItem("A1", "A1", -1);
  second->imInsertItem("B1", "B1", -1);
  const std::string name = f->storeObj()->fullName();
  windowkit::RunBasic(name + ".MenuBar = " + first->storeObj()->fullName());
  EXPECT_EQ(first->storeObj(), f->pdGetMenuBar());
  f->imLoad();
  EXPECT_EQ(first->handle(), GetMenu(f->HWindow));
  EXPECT_EQ(1u, first->Forms().size());
  // Unloading the form leaves the bar's menu to its object, which shows it again later.
  f->imUnload();
  EXPECT_TRUE(IsMenu(first->handle()));
  f->imLoad();
  EXPECT_EQ(first->handle(), GetMenu(f->HWindow));
  // Another bar replaces it; the first forgets the form.
  f->pdSetMenuBar(second->storeObj());
  EXPECT_EQ(second->handle(), GetMenu(f->HWindow));
  EXPECT_TRUE(first->Forms().empty());
  ASSERT_EQ(1u, second->Forms().size());
  // A popup menu is not a bar: ignored.
  f->pdSetMenuBar(menukit::NewPopup()->storeObj());
  EXPECT_EQ(second->storeObj(), f->pdGetMenuBar());
  // None: the window shows no menu.
  f->pdSetMenuBar(nullptr);
  EXPECT_EQ(nullptr, GetMenu(f->HWindow));
  EXPECT_TRUE(second->Forms().empty());
  // The bar's own end takes it off the form.
  f->pdSetMenuBar(second->storeObj());
  f->RemoveMenuBar();
  EXPECT_EQ(nullptr, GetMenu(f->HWindow));
  f->imUnload();
}

TEST(FormRouting, TheMenuLoopSuspendsTheBusySignal) {
  IWForm* f = MakeForm(Unique("Loop"));
  ASSERT_NE(nullptr, f);
  f->imLoad();
  StoreApplication::App()->EnableAutoBusy(1);
  const int before = StoreApplication::AutoBusyEnabled();
  SendMessageA(f->HWindow, WM_ENTERMENULOOP, 0, 0);
  EXPECT_EQ(0, StoreApplication::AutoBusyEnabled());
  SendMessageA(f->HWindow, WM_EXITMENULOOP, 0, 0);
  EXPECT_EQ(before, StoreApplication::AutoBusyEnabled());
  f->imUnload();
}

// What the form's OLE container will use: the frame information and the menu event.
TEST(FormRouting, InPlaceFrameServices) {
  MenuForm m(Logs("InPlaceMenu", "(ByVal g As Integer, ByVal h As Long, ByVal i As Long, ByVal n As Long)"));
  ASSERT_NE(nullptr, m.f);
  m.f->imLoad();
  IOleInPlaceFrame* frame = nullptr;
  OLEINPLACEFRAMEINFO info = {};
  ASSERT_EQ(S_OK, m.f->GetOleFrameInfo(&frame, &info));
  ASSERT_NE(nullptr, frame);
  EXPECT_EQ(m.f->HWindow, info.hwndFrame);
  EXPECT_FALSE(info.fMDIApp);
  int count = 0;
  EXPECT_EQ(m.bar->GetHAccel(count), info.haccel);
  EXPECT_EQ((UINT)count, info.cAccelEntries);
  EXPECT_EQ(1, count);  // Deep's F2
  // Merging raises "InPlaceMenu" once per group of the frame.
  HMENU shared = CreateMenu();
  OLEMENUGROUPWIDTHS widths = {};
  ClearLog(m.f);
  EXPECT_EQ(S_OK, frame->InsertMenus(shared, &widths));
  EXPECT_EQ("InPlaceMenu,InPlaceMenu,InPlaceMenu,", formkit::LogWithoutActivation(m.f));
  DestroyMenu(shared);
  // A site active in the frame is told to deactivate when a button is released.
  struct Site : IWInPlaceSiteLink {
    int told = 0;
    void DeactivateInPlace() override { ++told; }
  } site;
  m.f->SetActiveSite(&site);
  PostMessageA(m.f->Client()->HWindow, WM_RBUTTONUP, 0, 0);
  AppPump();
  EXPECT_EQ(1, site.told);
  m.f->SetActiveSite(nullptr);
  m.f->imUnload();
  frame->Release();
}

}  // namespace
