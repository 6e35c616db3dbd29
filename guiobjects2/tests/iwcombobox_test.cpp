// "ComboBox" on forms on the X display: the lines dropped down, the styles and the
// window they re-create, Text selecting items, ListIndex during "Change" and Text during
// "Click", the edit selection in each style, blocks and the text unload.
#include <gtest/gtest.h>

#include "controlkit.h"
#include "guiobjects2/iwcombobox.h"

namespace {

using namespace controlkit;

std::string Value(const std::string& expr, const char* type = "Long") { return RunBasicValue(expr, type); }

TEST(ComboBox, IsPublishedUnderControlWithItsMembers) {
  Published();
  InterObjRep* proto = ObjectStore::find("ComboBox");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.ComboBox", proto->progId());
  EXPECT_EQ(ObjectStore::find("Control"), proto->parent());
  for (const char* f : {"Ctrl3d", "ItemHeight", "ListCount", "ListIndex", "Sorted", "DropHeight", "SelStart",
                        "SelLength", "SelText", "Style", "Text", "AddItem", "Clear", "FindString",
                        "InsertItem", "ItemIndex", "List", "RemoveItem", "TextUnload"})
    EXPECT_NE(nullptr, proto->findField(f)) << f;
  for (const char* e :
       {"Click", "DblClick", "GotFocus", "LostFocus", "KeyDown", "KeyUp", "KeyPress", "DropDown", "Change"})
    EXPECT_NE(nullptr, proto->findEventDef(e)) << e;
  IWForm* f = FormWith("ComboNew", "ComboBox", "C", {});
  ASSERT_NE(nullptr, f);
  EXPECT_EQ("-1", Value("ComboNew.C.ListCount"));
  EXPECT_EQ("-1", Value("ComboNew.C.AddItem(\"a\")"));
  EXPECT_EQ("8", Value("ComboNew.C.DropHeight"));
  EXPECT_EQ("0", Value("ComboNew.C.Style"));
  f->imShow();
  IWComboBox* c = Embedded<IWComboBox>(f, "C");
  ASSERT_NE(nullptr, c->HWindow);
  char cls[32] = "";
  GetClassNameA(c->HWindow, cls, sizeof cls);
  EXPECT_EQ(0, lstrcmpiA("ComboBox", cls)) << cls;
  EXPECT_EQ((uint32_t)CBS_DROPDOWN, StyleOf(c) & 3);
  EXPECT_EQ("0", Value("ComboNew.C.ListCount"));
  // The list box's selection mode does not reach the combo box's style.
  uint32_t style = c->Attr.Style;
  RunBasic("ComboNew.C.MultiSelect = 2");
  EXPECT_EQ(style, c->Attr.Style);
  f->imUnload();
}

TEST(ComboBox, DropHeightGivesTheLinesDroppedDown) {
  struct Case {
    long dropHeight, count, lines;
  } cases[] = {{8, 3, 3}, {8, 20, 8}, {8, 0, 1}, {-5, 0, 5}, {-5, 3, 5}, {-5, 20, 5}, {0, 20, 20}, {0, 0, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(c.lines, IWComboBox::LinesToDrop(c.dropHeight, c.count)) << c.dropHeight << " " << c.count;
  // On a window: "DropDown" is raised and the window takes the dropped height.
  IWForm* f = FormWith("ComboDrop", "ComboBox", "C", {"DropDown"});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWComboBox* c = Embedded<IWComboBox>(f, "C");
  RunBasic("ComboDrop.C.AddItem \"a\"\nComboDrop.C.AddItem \"b\"\nComboDrop.C.AddItem \"c\"");
  int item = (int)SendMessageA(c->HWindow, CB_GETITEMHEIGHT, 0, 0);
  int field = (int)SendMessageA(c->HWindow, CB_GETITEMHEIGHT, (WPARAM)-1, 0);
  ASSERT_GT(item, 0);
  EXPECT_EQ(field + 3 * item + 4, c->DroppedHeight());
  RunBasic("ComboDrop.C.DropHeight = -5");
  EXPECT_EQ(field + 5 * item + 4, c->DroppedHeight());
  ClearLog(f);
  short y = c->Attr.Y, h = (short)c->Attr.H;
  SendMessageA(GetParent(c->HWindow), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c->HWindow), CBN_DROPDOWN),
               (LPARAM)c->HWindow);
  EXPECT_EQ("DropDown,", Events(f));
  EXPECT_EQ(y, c->Attr.Y);
  EXPECT_EQ(h, (short)c->Attr.H);  // the published geometry stays
  EXPECT_FALSE(c->IsFlagSet(IWWindow::kMoving));
  f->imUnload();
}

TEST(ComboBox, StyleChangesKeepItemsSelectionAndZOrder) {
  IWForm* f = FormWith("ComboStyle", "ComboBox", "C", {"Setup", "Click"});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWComboBox* c = Embedded<IWComboBox>(f, "C");
  RunBasic("ComboStyle.C.AddItem \"pear\"\nComboStyle.C.AddItem \"apple\"\nComboStyle.C.ListIndex = 1");
  ClearLog(f);
  struct Step {
    const char* basic;
    uint32_t bits;
    bool remade;
  } steps[] = {
      {"C.Style = 0", CBS_DROPDOWN, false},        {"C.Style = 1", CBS_SIMPLE, true},
      {"C.Style = 2", CBS_DROPDOWNLIST, true},     {"C.Style = 2", CBS_DROPDOWNLIST, false},
      {"C.Sorted = True", CBS_DROPDOWNLIST, true}, {"C.Style = 0", CBS_DROPDOWN, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.basic);
    SetWindowLongPtrA(c->HWindow, GWLP_USERDATA, 0x5A);
    RunBasic(std::string("ComboStyle.") + s.basic);
    ASSERT_NE(nullptr, c->HWindow);
    EXPECT_EQ(s.bits, StyleOf(c) & 3);
    EXPECT_EQ(s.remade, GetWindowLongPtrA(c->HWindow, GWLP_USERDATA) != 0x5A);
    EXPECT_EQ("2", Value("ComboStyle.C.ListCount"));
    EXPECT_EQ("apple", Value("ComboStyle.C.Text", "String"));
    EXPECT_FALSE(c->IsFlagSet(IWWindow::kInSetup));
  }
  EXPECT_EQ("0", Value("ComboStyle.C.ListIndex"));  // sorted: apple first
  EXPECT_EQ("", Events(f));
  f->imUnload();
}

TEST(ComboBox, TextSelectsAnItemExceptInTheDropdownListStyle) {
  IWForm* f = FormWith("ComboText", "ComboBox", "C", {"Change", "Click"});
  ASSERT_NE(nullptr, f);
  f->imShow();
  RunBasic("ComboText.C.AddItem \"red\"\nComboText.C.AddItem \"green\"");
  ClearLog(f);
  RunBasic("ComboText.C.Text = \"green\"");
  EXPECT_EQ("1", Value("ComboText.C.ListIndex"));
  EXPECT_EQ("green", Value("ComboText.C.Text", "String"));
  EXPECT_EQ("Change,", Events(f));
  RunBasic("ComboText.C.Text = \"blue\"");
  EXPECT_EQ("blue", Value("ComboText.C.Text", "String"));
  EXPECT_EQ("Change,Change,", Events(f));
  RunBasic("ComboText.C.Text = \"blue\"");  // the same text: none
  EXPECT_EQ("Change,Change,", Events(f));
  RunBasic("ComboText.C.Style = 2\nComboText.C.ListIndex = 0");
  ClearLog(f);
  RunBasic("ComboText.C.Text = \"green\"");
  EXPECT_EQ("0", Value("ComboText.C.ListIndex"));
  EXPECT_EQ("red", Value("ComboText.C.Text", "String"));
  EXPECT_EQ("", Events(f));
  f->imUnload();
}

TEST(ComboBox, ListIndexDuringChangeAndTextDuringClick) {
  IWForm* f =
      FormWith("ComboGuard", "ComboBox", "C", {},
               "  Sub C_Change()\n    Events = Events & \"Change:\" & C.ListIndex & \",\"\n  End Sub\n"
               "  Sub C_Click()\n    Events = Events & \"Click:\" & C.Text & \",\"\n  End Sub\n");
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWComboBox* c = Embedded<IWComboBox>(f, "C");
  RunBasic("ComboGuard.C.AddItem \"one\"\nComboGuard.C.AddItem \"two\"\nComboGuard.C.ListIndex = 0");
  ClearLog(f);
  HWND parent = GetParent(c->HWindow);
  WPARAM id = (WPARAM)GetDlgCtrlID(c->HWindow);
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE), (LPARAM)c->HWindow);
  EXPECT_EQ("Change:-1,", Events(f));
  EXPECT_EQ("0", Value("ComboGuard.C.ListIndex"));  // after it, the selection again
  ClearLog(f);
  // The list moved to "two" while the edit part still shows "one".
  SendMessageA(c->HWindow, CB_SETCURSEL, 1, 0);
  SetWindowTextA(c->HWindow, "one");
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)c->HWindow);
  EXPECT_EQ("Click:two,", Events(f));
  EXPECT_EQ("one", Value("ComboGuard.C.Text", "String"));
  f->imUnload();
}

TEST(ComboBox, SelTextInEachStyle) {
  IWForm* f = FormWith("ComboSel", "ComboBox", "C", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  for (int style : {0, 1}) {
    SCOPED_TRACE(style);
    RunBasic("ComboSel.C.Style = " + std::to_string(style) + "\nComboSel.C.Text = \"hello world\"" +
             "\nComboSel.C.SelStart = 6\nComboSel.C.SelLength = 5");
    EXPECT_EQ("6", Value("ComboSel.C.SelStart"));
    EXPECT_EQ("5", Value("ComboSel.C.SelLength"));
    EXPECT_EQ("world", Value("ComboSel.C.SelText", "String"));
    RunBasic("ComboSel.C.SelText = \"there\"");
    EXPECT_EQ("hello there", Value("ComboSel.C.Text", "String"));
    EXPECT_EQ("11", Value("ComboSel.C.SelStart"));
    EXPECT_EQ("", Value("ComboSel.C.SelText", "String"));
    RunBasic("ComboSel.C.SelStart = 0\nComboSel.C.SelLength = 99");  // past the end: clamped
    EXPECT_EQ("hello there", Value("ComboSel.C.SelText", "String"));
  }
  RunBasic("ComboSel.C.Style = 2\nComboSel.C.AddItem \"x\"\nComboSel.C.ListIndex = 0");
  EXPECT_EQ("", Value("ComboSel.C.SelText", "String"));
  EXPECT_EQ("0", Value("ComboSel.C.SelStart"));
  BasicOutcome out = BasicRunner::CompileAndRun("Sub S()\n  ComboSel.C.SelText = \"y\"\nEnd Sub\n", "S");
  EXPECT_FALSE(out.ok);
  EXPECT_NE(std::string::npos, out.error.find("no edit part")) << out.error;
  EXPECT_EQ("x", Value("ComboSel.C.Text", "String"));
  f->imUnload();
}

TEST(ComboBox, BlocksCarryTheListBoxBlockAndDropHeight) {
  Published();
  Owned<IWComboBox> c(new IWComboBox(nullptr));
  c->pdSetDropHeight(-5);
  c->pdSetStyle(IWComboBox::kSimpleCombo);
  Bytes block = SaveBlock(*c);
  ASSERT_GT(block.size(), 8u);
  for (size_t at : {0, 1, 2, 3}) EXPECT_EQ(1, block[at]) << at;  // combo, list, control, window
  const Bytes tail = {0xFB, 0xFF, 0xFF, 0xFF};
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), block.end() - 4));
  Owned<IWComboBox> copy(new IWComboBox(nullptr));
  LoadBlock(*copy, block);
  EXPECT_EQ(-5, copy->pdGetDropHeight());
  EXPECT_EQ(IWComboBox::kSimpleCombo, copy->pdGetStyle());
  EXPECT_EQ(block, SaveBlock(*copy));
  for (size_t at : {0, 1, 2}) {
    Bytes newer = block;
    newer[at] = 2;
    Owned<IWComboBox> g(new IWComboBox(nullptr));
    try {
      LoadBlock(*g, newer);
      ADD_FAILURE() << "loaded a newer revision at " << at;
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'ComboBox'")) << e.what();
    }
  }
  Bytes cut(block.begin(), block.end() - 2);
  Owned<IWComboBox> g(new IWComboBox(nullptr));
  EXPECT_THROW(LoadBlock(*g, cut), ObjectLoadFailed);
}

TEST(ComboBox, TextUnloadWritesTheListBoxFieldsThenDropHeightAndStyle) {
  IWForm* f = FormWith("ComboUnload", "ComboBox", "C", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  RunBasic("ComboUnload.C.DropHeight = 12\nComboUnload.C.Style = 2\nComboUnload.C.AddItem \"item\"");
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As String\n  Dim s As String\n  Dim r As Integer\n  r = ComboUnload.C.TextUnload(\"  \", "
      "s)\n"
      "  F = r & \"|\" & s\nEnd Function\n",
      "F");
  ASSERT_TRUE(out.ok) << out.error;
  ASSERT_EQ(0u, out.result.find("-1|")) << out.result;
  std::string text = out.result.substr(3);
  size_t at = 0;
  for (const char* line :
       {"  .Ctrl3d = True\n", "  .Sorted = False\n", "  .DropHeight = 12\n", "  .Style = "}) {
    size_t found = text.find(line, at);
    EXPECT_NE(std::string::npos, found) << line << " in\n" << text;
    if (found != std::string::npos) at = found + 1;
  }
  EXPECT_EQ(std::string::npos, text.find("item")) << text;
  f->imUnload();
}

// Handlers of the combo box C that log every mouse and key event with its arguments;
// KeyPress swallows "x" and turns "a" into "B".
const char kMouseAndKeyLog[] =
    "  Sub C_MouseDown(button As Integer, shift As Integer, x As Single, y As Single)\n"
    "    Events = Events & \"Down:\" & button & \":\" & x & \":\" & y & \",\"\n  End Sub\n"
    "  Sub C_MouseUp(button As Integer, shift As Integer, x As Single, y As Single)\n"
    "    Events = Events & \"Up:\" & button & \":\" & x & \":\" & y & \",\"\n  End Sub\n"
    "  Sub C_MouseMove(button As Integer, shift As Integer, x As Single, y As Single)\n"
    "    Events = Events & \"Move:\" & button & \":\" & x & \":\" & y & \",\"\n  End Sub\n"
    "  Sub C_KeyDown(keyCode As Integer, ByVal shift As Integer)\n"
    "    Events = Events & \"KeyDown:\" & keyCode & \",\"\n  End Sub\n"
    "  Sub C_KeyUp(keyCode As Integer, ByVal shift As Integer)\n"
    "    Events = Events & \"KeyUp:\" & keyCode & \",\"\n  End Sub\n"
    "  Sub C_KeyPress(keyAscii As Integer)\n"
    "    Events = Events & \"KeyPress:\" & keyAscii & \",\"\n"
    "    If keyAscii = 120 Then keyAscii = 0\n"
    "    If keyAscii = 97 Then keyAscii = 66\n  End Sub\n";

HWND ChildOfClass(HWND parent, const char* cls) {
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    char name[32] = "";
    GetClassNameA(h, name, sizeof name);
    if (lstrcmpiA(name, cls) == 0) return h;
  }
  return nullptr;
}

// "x:y" of a point of a child window as the combo box's events give it.
std::string InComboUnits(IWComboBox* c, HWND child, int x, int y) {
  POINT p = {x, y};
  MapWindowPoints(child, c->HWindow, &p, 1);
  float ux = 0, uy = 0;
  c->Pixels2Units(TPoint(p.x, p.y), ux, uy);
  return RunBasicValue(std::to_string(ux), "Single") + ":" + RunBasicValue(std::to_string(uy), "Single");
}

// Real mouse and key messages posted into the edit part and the simple style's list
// reach the combo box's events, the points in the combo box's coordinates.
TEST(ComboBox, MouseAndKeysOfItsChildWindowsRaiseItsEvents) {
  IWForm* f = FormWith("ComboKids", "ComboBox", "C", {}, kMouseAndKeyLog);
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWComboBox* c = Embedded<IWComboBox>(f, "C");
  ASSERT_NE(nullptr, c->HWindow);
  RunBasic("ComboKids.C.Move 0, 0, 2400, 1800\nComboKids.C.AddItem \"one\"\nComboKids.C.AddItem \"two\"");
  struct StyleCase {
    long style;
    size_t aliases;
  } styles[] = {{0, 1}, {1, 2}, {2, 0}, {0, 1}};
  for (const StyleCase& sc : styles) {
    SCOPED_TRACE(sc.style);
    RunBasic("ComboKids.C.Style = " + std::to_string(sc.style));
    // One alias per child window of this window, each wrapping its child.
    ASSERT_EQ(sc.aliases, c->ChildAliases().size());
    for (TWindow* a : c->ChildAliases()) {
      ASSERT_NE(nullptr, a->HWindow);
      EXPECT_EQ(c->HWindow, GetParent(a->HWindow));
      EXPECT_EQ(a, TWindow::GetWindowPtr(a->HWindow));
    }
  }
  HWND edit = ChildOfClass(c->HWindow, "Edit");
  ASSERT_NE(nullptr, edit);
  SetFocus(edit);
  ClearLog(f);
  // The buttons: left, right, middle; then a move with the left button down.
  struct Press {
    UINT down, up;
    WPARAM keys;
    int button;
  } presses[] = {{WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, 1},
                 {WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 2},
                 {WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, 4}};
  for (const Press& p : presses) {
    SCOPED_TRACE(p.button);
    ClearLog(f);
    PostMessageA(edit, p.down, p.keys, MAKELPARAM(5, 3));
    PostMessageA(edit, p.up, 0, MAKELPARAM(7, 4));
    AppPump();
    std::string b = std::to_string(p.button);
    EXPECT_EQ("Down:" + b + ":" + InComboUnits(c, edit, 5, 3) + ",Up:" + b + ":" +
                  InComboUnits(c, edit, 7, 4) + ",",
              Events(f));
  }
  EXPECT_EQ(nullptr, GetCapture());
  ClearLog(f);
  PostMessageA(edit, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(9, 2));
  AppPump();
  EXPECT_EQ("Move:1:" + InComboUnits(c, edit, 9, 2) + ",", Events(f));
  // Keys: "KeyDown" and "KeyUp" with the code; "KeyPress" may swallow or change the
  // character the edit part gets.
  RunBasic("ComboKids.C.Text = \"\"");
  ClearLog(f);
  PostMessageA(edit, WM_KEYDOWN, VK_HOME, 1);  // a key without a character
  PostMessageA(edit, WM_KEYUP, VK_HOME, 0xC0000001);
  for (char ch : std::string("zxa")) PostMessageA(edit, WM_CHAR, (WPARAM)ch, 1);
  AppPump();
  EXPECT_EQ("KeyDown:36,KeyUp:36,KeyPress:122,KeyPress:120,KeyPress:97,", Events(f));
  EXPECT_EQ("zB", Value("ComboKids.C.Text", "String"));
  // The simple style's list: a press on its first row selects it and is reported in
  // the combo box's coordinates.
  RunBasic("ComboKids.C.Style = 1\nComboKids.C.ListIndex = -1");
  HWND list = ChildOfClass(c->HWindow, "ComboLBox");
  ASSERT_NE(nullptr, list);
  ClearLog(f);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(6, 2));
  PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(6, 2));
  AppPump();
  std::string at = InComboUnits(c, list, 6, 2);
  EXPECT_EQ("Down:1:" + at + ",Up:1:" + at + ",", Events(f));
  EXPECT_EQ("0", Value("ComboKids.C.ListIndex"));
  f->imUnload();
  EXPECT_TRUE(c->ChildAliases().empty() || c->ChildAliases().front()->HWindow == nullptr);
}

// Typing into the edit part and pressing a row of the simple style's list, with real
// messages: "Change" reads ListIndex -1 and "Click" reads the new item as Text.
TEST(ComboBox, TypingAndPressingARowRaiseChangeAndClickUnderTheirGuards) {
  IWForm* f =
      FormWith("ComboReal", "ComboBox", "C", {},
               "  Sub C_Change()\n    Events = Events & \"Change:\" & C.ListIndex & \":\" & C.Text & \",\"\n"
               "  End Sub\n"
               "  Sub C_Click()\n    Events = Events & \"Click:\" & C.ListIndex & \":\" & C.Text & \",\"\n"
               "  End Sub\n");
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWComboBox* c = Embedded<IWComboBox>(f, "C");
  RunBasic(
      "ComboReal.C.Move 0, 0, 2400, 1800\nComboReal.C.Style = 1\nComboReal.C.AddItem \"one\"\n"
      "ComboReal.C.AddItem \"two\"\nComboReal.C.ListIndex = 0");
  HWND edit = ChildOfClass(c->HWindow, "Edit"), list = ChildOfClass(c->HWindow, "ComboLBox");
  ASSERT_NE(nullptr, edit);
  ASSERT_NE(nullptr, list);
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 3, 3);
  ClearLog(f);
  PostMessageA(edit, WM_CHAR, 'x', 1);
  AppPump();
  EXPECT_EQ("Change:-1:onex,", Events(f));
  EXPECT_EQ("onex", Value("ComboReal.C.Text", "String"));
  ClearLog(f);
  int row = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
  ASSERT_GT(row, 0);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, row + row / 2));
  PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(5, row + row / 2));
  AppPump();
  EXPECT_EQ("Click:1:two,", Events(f));
  EXPECT_EQ("1", Value("ComboReal.C.ListIndex"));
  EXPECT_EQ("two", Value("ComboReal.C.Text", "String"));
  f->imUnload();
}

// ItemData and TopIndex of the combo box reach its own list.
TEST(ComboBox, ItemDataAndTopIndex) {
  IWForm* f = FormWith("ComboData", "ComboBox", "C", {});
  ASSERT_NE(nullptr, f);
  EXPECT_EQ("-1", Value("ComboData.C.ItemData(0)"));
  EXPECT_EQ("-1", Value("ComboData.C.TopIndex"));
  f->imShow();
  IWComboBox* c = Embedded<IWComboBox>(f, "C");
  RunBasic("ComboData.C.Style = 1\nComboData.C.Move 0, 0, 2000, 900");
  for (int i = 0; i < 30; ++i)
    RunBasic("ComboData.C.AddItem \"item" + std::to_string(100 + i) + "\"\nComboData.C.SetItemData " +
             std::to_string(i) + ", " + std::to_string(1000 * i - 70000));
  EXPECT_EQ("-70000", Value("ComboData.C.ItemData(0)"));
  EXPECT_EQ("-41000", Value("ComboData.C.ItemData(29)"));
  EXPECT_EQ("-1", Value("ComboData.C.ItemData(30)"));
  EXPECT_EQ((LRESULT)-69000, (LRESULT)(int32_t)SendMessageA(c->HWindow, CB_GETITEMDATA, 1, 0));
  EXPECT_EQ("0", Value("ComboData.C.TopIndex"));

  RunBasic("ComboData.C.TopIndex = 12");
  EXPECT_EQ("12", Value("ComboData.C.TopIndex"));
  EXPECT_EQ(12, (int)SendMessageA(ChildOfClass(c->HWindow, "ComboLBox"), LB_GETTOPINDEX, 0, 0));
  RunBasic("ComboData.C.TopIndex = 99");  // no such item: nothing
  EXPECT_EQ("12", Value("ComboData.C.TopIndex"));
  // A sorted re-creation keeps every item's data with its item.
  RunBasic(
      "ComboData.C.SetItemData 0, 5\nComboData.C.InsertItem \"aaa\", 3\nComboData.C.SetItemData 3, 77\n"
      "ComboData.C.Sorted = True");
  EXPECT_EQ("aaa", Value("ComboData.C.List(0)", "String"));
  EXPECT_EQ("77", Value("ComboData.C.ItemData(0)"));
  EXPECT_EQ("item100", Value("ComboData.C.List(1)", "String"));
  EXPECT_EQ("5", Value("ComboData.C.ItemData(1)"));
  f->imUnload();
}

}  // namespace
