// Accelerators on the X display: a popup's own entries, the table merged from a bar and
// its popups translating keys on a hidden window, the caches a change discards, and the
// bars redrawn on the windows that show them.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "imenu_kit.h"

namespace {

using namespace menukit;

// ---- a hidden window that records its WM_COMMAND ids and frame recalculations ----

struct Recorded {
  std::vector<unsigned> commands;
  int frames = 0;
};

std::map<HWND, Recorded>& Records() {
  static std::map<HWND, Recorded> r;
  return r;
}

LRESULT CALLBACK RecordingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_COMMAND) Records()[h].commands.push_back(LOWORD(w) | (HIWORD(w) << 16));
  if (msg == WM_NCCALCSIZE) Records()[h].frames++;
  return DefWindowProcA(h, msg, w, l);
}

HWND HiddenWindow() {
  static ATOM atom = [] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MenuAccelProbe";
    return RegisterClassA(&wc);
  }();
  EXPECT_NE(0, atom);
  return CreateWindowExA(0, "MenuAccelProbe", "probe", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

// Sends a key down through the accelerator table with the modifiers held; the command
// the window received (id | 1 << 16 for an accelerator), or 0.
unsigned Translate(HWND h, HACCEL table, UINT vk, bool ctrl = false, bool shift = false) {
  BYTE keys[256] = {};
  if (ctrl) keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
  if (shift) keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
  SetKeyboardState(keys);
  Records()[h].commands.clear();
  MSG msg = {};
  msg.hwnd = h;
  msg.message = WM_KEYDOWN;
  msg.wParam = vk;
  msg.lParam = 1 | (MapVirtualKeyA(vk, 0) << 16);
  int done = TranslateAcceleratorA(h, table, &msg);
  BYTE none[256] = {};
  SetKeyboardState(none);
  const std::vector<unsigned>& got = Records()[h].commands;
  if (!done) return 0;
  return got.empty() ? 0xFFFFFFFF : got.back();
}

unsigned Accel(short id) { return (uint16_t)id | (1u << 16); }

TEST(AccelTable, EntriesAreReusedBeforeTheTableGrows) {
  iPopupMenu* p = NewPopup();
  for (const char* n : {"A1", "A2", "A3"}) p->imInsertItem(n, n, -1);
  MenuAccelTable& t = p->accelTable();
  EXPECT_EQ(0u, t.count());
  p->imSetAccelerator("A1", 1);
  EXPECT_EQ(1u, t.count());
  p->imSetAccelerator("A1", 2);  // the item's own entry again
  EXPECT_EQ(1u, t.count());
  EXPECT_EQ("A1\tCtrl+B", p->TextAt(0));
  p->imSetAccelerator("A2", 3);
  EXPECT_EQ(2u, t.count());
  p->imSetAccelerator("A1", 0);  // frees its entry
  EXPECT_EQ("A1", p->TextAt(0));
  EXPECT_EQ(2u, t.count());
  EXPECT_EQ(1u, t.inUse());
  p->imSetAccelerator("A3", 4);  // takes the free entry
  EXPECT_EQ(2u, t.count());
  EXPECT_EQ(2u, t.inUse());
  p->imSetAccelerator("A1", 5);
  EXPECT_EQ(3u, t.count());
  p->imSetAccelerator("Nobody", 6);
  EXPECT_EQ(3u, t.count());
  // Removing an item frees its entry: its id may name another item later.
  short a2 = p->imId("A2");
  ASSERT_EQ(1, p->imRemoveItem(p->imPos("A2")));
  EXPECT_EQ(nullptr, t.findCommand((uint16_t)a2));
  EXPECT_EQ(2u, t.inUse());
}

TEST(AccelTable, TheMergedTableTranslatesKeysOnAHiddenWindow) {
  TestApp();
  HWND h = HiddenWindow();
  ASSERT_NE(nullptr, h);
  iMenuBar* bar = NewBar();
  iPopupMenu* file = NewPopup();
  iPopupMenu* deep = NewPopup();
  short open = file->imInsertItem("Open", "&Open", -1);
  short refresh = file->imInsertItem("Refresh", "&Refresh", -1);
  short inner = deep->imInsertItem("Inner", "&Inner", -1);
  bar->imInsertItem("Help", "&Help", -1);
  InsertPopup(bar, file, "&File");
  InsertPopup(file, deep, "&Deep");
  file->imSetAccelerator("Open", 15);     // Ctrl+O
  file->imSetAccelerator("Refresh", 51);  // F5
  deep->imSetAccelerator("Inner", 62);    // Shift+F4
  int count = 0;
  HACCEL table = bar->GetHAccel(count);
  ASSERT_NE(nullptr, table);
  EXPECT_EQ(3, count);
  ACCEL copied[8] = {};
  ASSERT_EQ(3, CopyAcceleratorTableA(table, copied, 8));
  EXPECT_EQ((WORD)open, copied[0].cmd);
  EXPECT_EQ((WORD)inner, copied[2].cmd);  // depth first, after the popup's own
  EXPECT_EQ(FVIRTKEY | FSHIFT, copied[2].fVirt & ~0x80);

  EXPECT_EQ(Accel(open), Translate(h, table, 'O', true));
  EXPECT_EQ(Accel(refresh), Translate(h, table, VK_F5));
  EXPECT_EQ(Accel(inner), Translate(h, table, VK_F4, false, true));
  EXPECT_EQ(0u, Translate(h, table, 'O'));  // without Ctrl
  EXPECT_EQ(0u, Translate(h, table, VK_F6));
  EXPECT_EQ(table, bar->GetHAccel());  // cached
  // A popup alone has its own and its submenus' keys.
  EXPECT_EQ(Accel(inner), Translate(h, file->GetHAccel(), VK_F4, false, true));
  // A menu without accelerators has no table.
  EXPECT_EQ(nullptr, NewBar()->GetHAccel());
  DestroyWindow(h);
}

// Changing a popup's accelerator discards the tables of exactly the menus that hold it,
// directly or through other popups; structural changes discard the changed menu's.
TEST(AccelTable, AChangeDiscardsExactlyTheCachesThatHoldIt) {
  TestApp();
  HWND h = HiddenWindow();
  iMenuBar* bar = NewBar();
  iPopupMenu* p = NewPopup();
  iPopupMenu* q = NewPopup();
  iMenu* outer = NewMenu();
  iPopupMenu* unrelated = NewPopup();
  iMenuBar* otherBar = NewBar();
  short item = p->imInsertItem("Item", "Item", -1);
  q->imInsertItem("QItem", "QItem", -1);
  unrelated->imInsertItem("U", "U", -1);
  InsertPopup(bar, p, "p");
  InsertPopup(q, p, "p");
  InsertPopup(outer, q, "q");
  InsertPopup(otherBar, unrelated, "u");
  p->imSetAccelerator("Item", 47);  // F1
  q->imSetAccelerator("QItem", 48);
  unrelated->imSetAccelerator("U", 49);
  std::vector<iMenu*> holders = {p, bar, q, outer};
  std::vector<iMenu*> others = {unrelated, otherBar};
  for (iMenu* m : holders) ASSERT_NE(nullptr, m->GetHAccel());
  for (iMenu* m : others) ASSERT_NE(nullptr, m->GetHAccel());
  HACCEL kept = otherBar->cachedAccel();

  p->imSetAccelerator("Item", 52);  // F6
  for (iMenu* m : holders) EXPECT_EQ(nullptr, m->cachedAccel());
  EXPECT_EQ(kept, otherBar->cachedAccel());
  EXPECT_NE(nullptr, unrelated->cachedAccel());
  EXPECT_EQ(Accel(item), Translate(h, outer->GetHAccel(), VK_F6));
  EXPECT_EQ(0u, Translate(h, outer->GetHAccel(), VK_F1));

  // The popup taken off the bar: its keys no longer reach the bar's table.
  ASSERT_NE(nullptr, bar->GetHAccel());
  ASSERT_EQ(1, bar->imRemoveItem(0));
  EXPECT_EQ(nullptr, bar->cachedAccel());
  EXPECT_EQ(nullptr, bar->GetHAccel());
  EXPECT_EQ(kept, otherBar->cachedAccel());
  DestroyWindow(h);
}

// ---- bars on windows ----

IWWindow* TopWindow(const char* name) {
  IWWindow* w = IWWindow::Native(NewWindow(name));
  w->Attr.Style = WS_OVERLAPPEDWINDOW;
  w->Create();
  EXPECT_NE(nullptr, w->HWindow);
  return w;
}

std::map<HWND, WNDPROC>& Originals() {
  static std::map<HWND, WNDPROC> m;
  return m;
}

LRESULT CALLBACK CountFrames(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_NCCALCSIZE) Records()[h].frames++;
  return CallWindowProcA(Originals()[h], h, msg, w, l);
}

void Watch(HWND h) { Originals()[h] = (WNDPROC)SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)&CountFrames); }

std::vector<InterObjRep*> g_detached;
void RecordDetach(InterObjRep* form, iMenuBar*) { g_detached.push_back(form); }

TEST(BarWindows, ChangesRedrawTheListedWindowsAndTheBarsEndTakesItOff) {
  TestApp();
  InterObjRep* barObj = NewMenuObject("MenuBar", Unique("ShownBar"));
  iMenuBar* bar = iMenuBar::Native(barObj);
  IWWindow* shows = TopWindow("ShowsBar");
  IWWindow* alsoShows = TopWindow("AlsoShowsBar");
  IWWindow* unlisted = TopWindow("UnlistedBar");
  bar->imInsertItem("First", "&First", -1);
  for (IWWindow* w : {shows, alsoShows, unlisted}) {
    ASSERT_TRUE(SetMenu(w->HWindow, bar->handle()));
    Watch(w->HWindow);
  }
  EXPECT_TRUE(bar->AddFormA(shows->storeObj()));
  EXPECT_TRUE(bar->AddFormA(alsoShows->storeObj()));
  EXPECT_TRUE(bar->AddFormA(shows->storeObj()));  // listed once
  EXPECT_FALSE(bar->AddFormA(NewPopup()->storeObj()));
  EXPECT_FALSE(bar->AddFormA(nullptr));
  EXPECT_EQ((std::vector<InterObjRep*>{shows->storeObj(), alsoShows->storeObj()}), bar->Forms());

  for (IWWindow* w : {shows, alsoShows, unlisted}) Records()[w->HWindow].frames = 0;
  bar->imInsertItem("Second", "&Second", -1);
  EXPECT_LT(0, Records()[shows->HWindow].frames);
  EXPECT_LT(0, Records()[alsoShows->HWindow].frames);
  EXPECT_EQ(0, Records()[unlisted->HWindow].frames);

  bar->RemoveForm(alsoShows->storeObj());
  EXPECT_EQ(std::vector<InterObjRep*>{shows->storeObj()}, bar->Forms());
  for (IWWindow* w : {shows, alsoShows}) Records()[w->HWindow].frames = 0;
  bar->imSetCaption(0, "F&irst");
  EXPECT_LT(0, Records()[shows->HWindow].frames);
  EXPECT_EQ(0, Records()[alsoShows->HWindow].frames);

  // The bar's end takes the bar off the listed window (the default) or runs the form's
  // own detach.
  SetMenu(alsoShows->HWindow, nullptr);
  SetMenu(unlisted->HWindow, nullptr);
  barObj->Destroy();
  EXPECT_EQ(nullptr, GetMenu(shows->HWindow));

  InterObjRep* bar2Obj = NewMenuObject("MenuBar", Unique("HookedBar"));
  iMenuBar* bar2 = iMenuBar::Native(bar2Obj);
  bar2->AddFormA(unlisted->storeObj());
  iMenuBar::FormDetach old = iMenuBar::SetFormDetach(&RecordDetach);
  bar2Obj->Destroy();
  iMenuBar::SetFormDetach(old);
  EXPECT_EQ(std::vector<InterObjRep*>{unlisted->storeObj()}, g_detached);
}

}  // namespace
