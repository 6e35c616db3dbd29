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

}  // namespace
