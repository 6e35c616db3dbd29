// Response tables: frames with a client and controls, commands routed to the client,
// child notifications, notifications reflected to the control, registered messages and
// tables chained through several bases.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "testkit/testkit.h"
#include "winlib/applicat.h"
#include "winlib/button.h"
#include "winlib/combobox.h"
#include "winlib/framewin.h"
#include "winlib/gauge.h"
#include "winlib/listbox.h"
#include "winlib/scrollbar.h"
#include "winlib/static.h"

namespace {

enum {
  CM_HELLO = 501,
  ID_BUTTON = 101,
  ID_CHECK,
  ID_EDIT,
  ID_LIST,
  ID_COMBO,
  ID_GAUGE,
  ID_SCROLL,
  ID_STATIC,
  ID_REFLECT
};

// A button that handles its own click and does not pass it on.
class TReflectButton : public TButton {
 public:
  TReflectButton(TWindow* parent, int id) : TButton(parent, id, "Reflect", 10, 190, 80, 24) {}
  void Clicked() { ++clicks; }
  int clicks = 0;
  DECLARE_RESPONSE_TABLE(TReflectButton);
};
DEFINE_RESPONSE_TABLE1(TReflectButton, TButton)
EV_BN_CLICKED(Clicked), END_RESPONSE_TABLE;

class TTestClient : public TWindow {
 public:
  TTestClient() : TWindow(nullptr, "client") {
    button = new TButton(this, ID_BUTTON, "Push", 10, 10, 80, 24);
    check = new TCheckBox(this, ID_CHECK, "Check", 10, 40, 80, 20);
    edit = new TEdit(this, ID_EDIT, "hello", 10, 70, 120, 22, 32);
    list = new TListBox(this, ID_LIST, 10, 100, 120, 80);
    combo = new TComboBox(this, ID_COMBO, 140, 10, 120, 100, CBS_DROPDOWNLIST);
    gauge = new TGauge(this, "%d%%", ID_GAUGE, 140, 100, 120, 20);
    scroll = new TScrollBar(this, ID_SCROLL, 140, 130, 120, 0, true);
    label = new TStatic(this, ID_STATIC, "label", 140, 160, 100, 20);
    reflect = new TReflectButton(this, ID_REFLECT);
  }
  void CmHello() { log.push_back("hello"); }
  void ButtonClicked() { log.push_back("button"); }
  void CheckClicked() { log.push_back("check"); }
  void ReflectClicked() { log.push_back("reflect"); }
  void EditAnyCode(uint code) { log.push_back("edit " + std::to_string(code)); }
  LRESULT Registered(WPARAM w, LPARAM) { return LRESULT(w * 2); }
  bool IdleAction(long count) override {
    ++idleCalls;
    return TWindow::IdleAction(count);
  }

  TButton* button;
  TCheckBox* check;
  TEdit* edit;
  TListBox* list;
  TComboBox* combo;
  TGauge* gauge;
  TScrollBar* scroll;
  TStatic* label;
  TReflectButton* reflect;
  std::vector<std::string> log;
  int idleCalls = 0;
  DECLARE_RESPONSE_TABLE(TTestClient);
};
DEFINE_RESPONSE_TABLE1(TTestClient, TWindow)
EV_COMMAND(CM_HELLO, CmHello), EV_CHILD_NOTIFY(ID_BUTTON, BN_CLICKED, ButtonClicked),
    EV_CHILD_NOTIFY(ID_CHECK, BN_CLICKED, CheckClicked),
    EV_CHILD_NOTIFY(ID_REFLECT, BN_CLICKED, ReflectClicked), EV_CHILD_NOTIFY_ALL_CODES(ID_EDIT, EditAnyCode),
    EV_REGISTERED("OvWinLibTestMessage", Registered), END_RESPONSE_TABLE;

LRESULT Notify(TWindow* parent, TWindow* child, uint code) {
  return parent->SendMessage(WM_COMMAND, MAKEWPARAM(child->Attr.Id, code), LPARAM(child->HWindow));
}

std::string ClassOf(HWND h) {
  char name[64] = "";
  GetClassNameA(h, name, sizeof name);
  return name;
}

TEST(WinLibFrame, FrameWithClientAndControlsFromCpp) {
  auto* client = new TTestClient;
  TFrameWindow frame(nullptr, "Frame", client);
  frame.Attr.X = 10;
  frame.Attr.Y = 10;
  frame.Attr.W = 400;
  frame.Attr.H = 320;
  ASSERT_TRUE(frame.Create());
  frame.Show(SW_SHOWNA);

  ASSERT_TRUE(client->HWindow);
  EXPECT_EQ(GetParent(client->HWindow), frame.HWindow);
  EXPECT_EQ(frame.GetClientWindow(), client);
  EXPECT_EQ(client->GetWindowRect().Size(), frame.GetClientRect().Size());  // fills the frame

  // Children: creation order, lookup by id and by handle, system classes underneath.
  EXPECT_EQ(client->NumChildren(), 9u);
  std::vector<int> ids;
  TWindow* first = client->GetFirstChild();
  for (TWindow* w = first; w; w = w->Next() == first ? nullptr : w->Next()) ids.push_back(w->Attr.Id);
  EXPECT_EQ(ids, (std::vector<int>{101, 102, 103, 104, 105, 106, 107, 108, 109}));
  EXPECT_EQ(client->GetLastChild(), client->reflect);
  EXPECT_EQ(client->ChildWithId(ID_LIST), client->list);
  EXPECT_EQ(TWindow::GetWindowPtr(client->edit->HWindow), client->edit);
  EXPECT_EQ(TWindow::GetWindowPtr(frame.HWindow), &frame);
  EXPECT_EQ(GetDlgCtrlID(client->list->HWindow), ID_LIST);
  struct {
    TWindow* w;
    const char* cls;
  } classes[] = {{client->button, "Button"},  {client->edit, "Edit"},        {client->list, "ListBox"},
                 {client->combo, "ComboBox"}, {client->scroll, "ScrollBar"}, {client->label, "Static"},
                 {client->gauge, "OvGauge"}};
  for (auto& c : classes) EXPECT_STRCASEEQ(ClassOf(c.w->HWindow).c_str(), c.cls);

  // The controls work through their wrappers.
  EXPECT_EQ(client->edit->GetText(), "hello");
  client->edit->SetSelection(0, 5);
  client->edit->Insert("bye");
  EXPECT_EQ(client->edit->GetText(), "bye");
  client->list->AddString("beta");
  client->list->AddString("alpha");
  EXPECT_EQ(client->list->GetCount(), 2);
  EXPECT_EQ(client->list->GetString(0), "alpha");  // LBS_STANDARD sorts
  EXPECT_EQ(client->list->SetSelString("be"), 1);
  EXPECT_EQ(client->list->GetSelIndex(), 1);
  client->combo->AddString("one");
  client->combo->AddString("two");
  EXPECT_EQ(client->combo->FindExactString("TWO"), 1);
  client->combo->SetSelIndex(1);
  EXPECT_EQ(client->combo->GetText(), "two");
  client->gauge->SetRange(0, 200);
  client->gauge->SetValue(250);
  EXPECT_EQ(client->gauge->GetValue(), 200);

  // Scroll codes from the parent's message reach the bar's own handlers.
  client->scroll->SetPosition(10);
  client->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), LPARAM(client->scroll->HWindow));
  client->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), LPARAM(client->scroll->HWindow));
  EXPECT_EQ(client->scroll->GetPosition(), 21);
  client->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_BOTTOM, 0), LPARAM(client->scroll->HWindow));
  EXPECT_EQ(client->scroll->GetPosition(), 100);

  // The child list follows the windows' Z order when asked to.
  SetWindowPos(client->label->HWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(client->button->HWindow, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  client->AssignZOrder();
  EXPECT_EQ(client->GetFirstChild(), client->label);
  EXPECT_EQ(client->GetLastChild(), client->button);
  EXPECT_EQ(client->NumChildren(), 9u);
}

TEST(WinLibFrame, CommandsNotificationsReflectionAndRegisteredMessages) {
  auto* client = new TTestClient;
  TFrameWindow frame(nullptr, "Frame", client);
  ASSERT_TRUE(frame.Create());

  // A menu command sent to the frame reaches the client's table.
  frame.SendMessage(WM_COMMAND, MAKEWPARAM(CM_HELLO, 0), 0);
  // A button's click: the parent's child-notification entry.
  Notify(client, client->button, BN_CLICKED);
  // A check box handles its click itself (toggles) and passes it on to the parent.
  Notify(client, client->check, BN_CLICKED);
  EXPECT_EQ(client->check->GetCheck(), uint(BF_CHECKED));
  Notify(client, client->check, BN_CLICKED);
  EXPECT_EQ(client->check->GetCheck(), uint(BF_UNCHECKED));
  // A control that keeps its notification: the parent never sees it.
  Notify(client, client->reflect, BN_CLICKED);
  EXPECT_EQ(client->reflect->clicks, 1);
  // All codes of one child go to one entry.
  Notify(client, client->edit, EN_SETFOCUS);
  EXPECT_EQ(client->log, (std::vector<std::string>{"hello", "button", "check", "check",
                                                   "edit " + std::to_string(EN_SETFOCUS)}));

  UINT registered = RegisterWindowMessageA("OvWinLibTestMessage");
  EXPECT_EQ(client->SendMessage(registered, 21, 0), 42);
  // Messages without an entry get the system's processing.
  char text[32] = "";
  frame.SendMessage(WM_GETTEXT, sizeof text, LPARAM(text));
  EXPECT_STREQ(text, "Frame");
}

TEST(WinLibFrame, MenuAndAcceleratorFromResources) {
  auto* client = new TTestClient;
  TFrameWindow frame(nullptr, "Frame", client);
  frame.Attr.Menu = MAKEINTRESOURCEA(7002);
  frame.Attr.AccelTable = MAKEINTRESOURCEA(7003);
  ASSERT_TRUE(frame.Create());
  HMENU menu = GetMenu(frame.HWindow);
  ASSERT_TRUE(menu);
  EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 0), 1), UINT(CM_HELLO));

  // F5 goes through the application's message filter: accelerator, command, client.
  TApplication app("AccelTest");
  MSG msg = {frame.HWindow, WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
  EXPECT_TRUE(app.ProcessAppMsg(msg));
  EXPECT_EQ(client->log, std::vector<std::string>{"hello"});
  MSG other = {frame.HWindow, WM_KEYDOWN, VK_F6, 0, 0, {0, 0}};
  EXPECT_FALSE(app.ProcessAppMsg(other));
}

// ---- several bases ----

enum { WM_ONLY_A = WM_USER + 1, WM_BOTH = WM_USER + 2, WM_ONLY_B = WM_USER + 3, WM_DERIVED = WM_USER + 4 };

class TBaseA : public virtual TWindow {
 public:
  LRESULT OnlyA(WPARAM, LPARAM) { return tagA * 10; }
  LRESULT Both(WPARAM, LPARAM) { return tagA; }
  int tagA = 'A';
  DECLARE_RESPONSE_TABLE(TBaseA);
};
DEFINE_RESPONSE_TABLE1(TBaseA, TWindow)
EV_MESSAGE(WM_ONLY_A, OnlyA), EV_MESSAGE(WM_BOTH, Both), END_RESPONSE_TABLE;

class TBaseB : public virtual TWindow {
 public:
  LRESULT OnlyB(WPARAM, LPARAM) { return tagB * 10; }
  LRESULT Both(WPARAM, LPARAM) { return tagB; }
  int tagB = 'B';
  DECLARE_RESPONSE_TABLE(TBaseB);
};
DEFINE_RESPONSE_TABLE1(TBaseB, TWindow)
EV_MESSAGE(WM_ONLY_B, OnlyB), EV_MESSAGE(WM_BOTH, Both), END_RESPONSE_TABLE;

class TAThenB : public TBaseA, public TBaseB {
 public:
  TAThenB() { Init(nullptr, "ab", nullptr); }
  LRESULT Derived(WPARAM w, LPARAM) { return LRESULT(w) + 1; }
  DECLARE_RESPONSE_TABLE(TAThenB);
};
DEFINE_RESPONSE_TABLE2(TAThenB, TBaseA, TBaseB)
EV_MESSAGE(WM_DERIVED, Derived), END_RESPONSE_TABLE;

class TBThenA : public TBaseA, public TBaseB {
 public:
  TBThenA() { Init(nullptr, "ba", nullptr); }
  LRESULT Both(WPARAM, LPARAM) { return 'D'; }
  DECLARE_RESPONSE_TABLE(TBThenA);
};
DEFINE_RESPONSE_TABLE2(TBThenA, TBaseB, TBaseA)
END_RESPONSE_TABLE;

TEST(WinLibResponseTable, FindChainsThroughBasesInOrder) {
  TAThenB ab;
  TBThenA ba;
  ba.tagA = 'a';
  ba.tagB = 'b';
  struct {
    TWindow* w;
    uint msg;
    LRESULT want;
  } cases[] = {
      {&ab, WM_ONLY_A, 'A' * 10}, {&ab, WM_ONLY_B, 'B' * 10}, {&ab, WM_BOTH, 'A'},
      {&ab, WM_DERIVED, 8},       {&ba, WM_ONLY_A, 'a' * 10}, {&ba, WM_ONLY_B, 'b' * 10},
      {&ba, WM_BOTH, 'b'},        {&ba, WM_DERIVED, 0},  // no entry, no window: nothing
  };
  for (auto& c : cases) EXPECT_EQ(c.w->HandleMessage(c.msg, 7, 0), c.want) << c.msg;

  // The entry search itself: which entry and which object.
  TEventInfo ev(WM_BOTH);
  ASSERT_TRUE(ab.Find(ev));
  EXPECT_EQ(ev.Object, static_cast<void*>(static_cast<TBaseA*>(&ab)));
  TEventInfo none(WM_USER + 99);
  EXPECT_FALSE(ab.Find(none));
}

// ---- dropped files and cursors ----

class TDropTarget : public TWindow {
 public:
  TDropTarget() : TWindow(static_cast<TWindow*>(nullptr), "drop") {}
  void EvDropFiles(TDropInfo drop) {
    for (uint i = 0; i < drop.DragQueryFileCount(); ++i) files.push_back(drop.DragQueryFile(i));
    TPoint p;
    inClient = drop.DragQueryPoint(p);
    point = p;
    drop.DragFinish();
  }
  std::vector<std::string> files;
  bool inClient = false;
  TPoint point;
  DECLARE_RESPONSE_TABLE(TDropTarget);
};
DEFINE_RESPONSE_TABLE1(TDropTarget, TWindow)
EV_WM_DROPFILES, END_RESPONSE_TABLE;

TEST(WinLibWindow, DroppedFilesAndCursors) {
  TDropTarget w;
  ASSERT_TRUE(w.Create());
  // An HDROP as the shell makes it: DROPFILES, then the names, then an empty name.
  const char names[] = "C:\\a.txt\0C:\\b.bmp\0";
  HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + sizeof names + 1);
  auto* df = static_cast<DROPFILES*>(GlobalLock(drop));
  df->pFiles = sizeof(DROPFILES);
  df->pt = POINT{5, 6};
  df->fNC = FALSE;
  memcpy(reinterpret_cast<char*>(df) + sizeof(DROPFILES), names, sizeof names);
  GlobalUnlock(drop);
  w.SendMessage(WM_DROPFILES, WPARAM(drop), 0);
  EXPECT_EQ(w.files, (std::vector<std::string>{"C:\\a.txt", "C:\\b.bmp"}));
  EXPECT_TRUE(w.inClient);
  EXPECT_EQ(w.point, TPoint(5, 6));

  // The window's cursor in its client area; an application-wide one everywhere.
  ASSERT_TRUE(w.SetCursor(nullptr, IDC_CROSS));
  LPARAM client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  EXPECT_EQ(w.SendMessage(WM_SETCURSOR, WPARAM(w.HWindow), client), TRUE);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_CROSS));
  TApplication app("CursorTest");
  app.SetGlobalCursor(LoadCursorA(nullptr, IDC_WAIT));
  EXPECT_EQ(w.SendMessage(WM_SETCURSOR, WPARAM(w.HWindow), MAKELPARAM(HTCAPTION, WM_MOUSEMOVE)), TRUE);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
  EXPECT_FALSE(w.SetCursor(nullptr, "NoSuchCursor"));
}

// ---- alias objects ----

TEST(WinLibWindow, AliasObjectForAnExistingHandle) {
  HWND h = CreateWindowExA(0, "BUTTON", "raw", WS_OVERLAPPED, 0, 0, 50, 20, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(h);
  {
    TWindow alias(h);
    EXPECT_EQ(TWindow::GetWindowPtr(h), &alias);
    EXPECT_EQ(alias.GetWindowText(), "raw");
    alias.SetWindowText("changed");
  }
  // The alias lets go of the window and leaves it alive.
  EXPECT_TRUE(IsWindow(h));
  EXPECT_EQ(TWindow::GetWindowPtr(h), nullptr);
  char text[16];
  GetWindowTextA(h, text, sizeof text);
  EXPECT_STREQ(text, "changed");
  DestroyWindow(h);
}

}  // namespace
