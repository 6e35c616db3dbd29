// "ListBox" on forms on the X display: the fixed answers before the window exists, the
// list operations in sorted and unsorted lists, the selection and its "Click", the
// multi-select caret, the style properties and the window they re-create, blocks that
// carry no items, the text unload.
#include <gtest/gtest.h>

#include "controlkit.h"
#include "guiobjects2/iwlistbox.h"
#include "store/field.h"

namespace {

using namespace controlkit;

std::string Value(const std::string& expr, const char* type = "Long") { return RunBasicValue(expr, type); }

TEST(ListBox, IsPublishedUnderControlWithItsMembers) {
  Published();
  InterObjRep* proto = ObjectStore::find("ListBox");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.ListBox", proto->progId());
  EXPECT_EQ(ObjectStore::find("Control"), proto->parent());
  for (const char* f :
       {"Ctrl3d",     "ItemHeight", "ListCount", "ListIndex",   "Sorted",     "AddItem",     "Clear",
        "FindString", "InsertItem", "ItemIndex", "List",        "RemoveItem", "TextUnload",  "MultiSelect",
        "Text",       "SelCount",   "Selected",  "SetSelected", "ItemData",   "SetItemData", "TopIndex"})
    EXPECT_NE(nullptr, proto->findField(f)) << f;
  for (const char* e : {"Click", "DblClick", "GotFocus", "LostFocus", "KeyDown", "KeyUp", "KeyPress"})
    EXPECT_NE(nullptr, proto->findEventDef(e)) << e;
  EnumRep* e = EnumRep::find("MultiSelectOptions");
  ASSERT_NE(nullptr, e);
  int32_t v = -9;
  for (auto c : {std::make_pair("None", 0), {"Standard", 1}, {"Extended", 2}}) {
    EXPECT_TRUE(e->valueOf(c.first, v)) << c.first;
    EXPECT_EQ(c.second, v) << c.first;
  }
}

// Before the form shows, no window: the fixed answers, and methods change nothing.
TEST(ListBox, AnswersFixedValuesBeforeItsWindowExists) {
  IWForm* f = FormWith("ListEarly", "ListBox", "L", {"Click"});
  ASSERT_NE(nullptr, f);
  IWListBox* l = Embedded<IWListBox>(f, "L");
  ASSERT_NE(nullptr, l);
  ASSERT_EQ(nullptr, l->HWindow);
  const std::pair<const char*, const char*> cases[] = {
      {"ListEarly.L.Ctrl3d", "-1"},
      {"ListEarly.L.ListCount", "-1"},
      {"ListEarly.L.ListIndex", "-1"},
      {"ListEarly.L.SelCount", "-1"},
      {"ListEarly.L.AddItem(\"a\")", "-1"},
      {"ListEarly.L.InsertItem(\"a\", 0)", "-1"},
      {"ListEarly.L.RemoveItem(0)", "-1"},
      {"ListEarly.L.ItemIndex(\"a\")", "-1"},
      {"ListEarly.L.FindString(\"a\", -1)", "-1"},
      {"ListEarly.L.Selected(0)", "0"},
      {"ListEarly.L.ItemData(0)", "-1"},
      {"ListEarly.L.TopIndex", "-1"},
      {"ListEarly.L.Sorted", "0"},
      {"ListEarly.L.MultiSelect", "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, Value(c.first)) << c.first;
  EXPECT_EQ("", Value("ListEarly.L.Text", "String"));
  EXPECT_EQ("", Value("ListEarly.L.List(0)", "String"));
  EXPECT_EQ("0", Value("ListEarly.L.ItemHeight", "Single"));
  RunBasic(
      "ListEarly.L.ListIndex = 0\nListEarly.L.SetSelected 0, True\nListEarly.L.Clear\n"
      "ListEarly.L.SetItemData 0, 5\nListEarly.L.TopIndex = 0");
  EXPECT_EQ("", Events(f));
  f->imShow();
  ASSERT_NE(nullptr, l->HWindow);
  EXPECT_EQ("0", Value("ListEarly.L.ListCount"));  // nothing was added
  EXPECT_EQ("0", Value("ListEarly.L.SelCount"));
  EXPECT_NE("0", Value("ListEarly.L.ItemHeight", "Single"));
  f->imUnload();
}

// The list's contents after each step, in an unsorted and in a sorted list.
TEST(ListBox, AddRemoveInsertAndClearInSortedAndUnsortedLists) {
  IWForm* f = FormWith("ListOps", "ListBox", "L", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWListBox* l = Embedded<IWListBox>(f, "L");
  ASSERT_NE(nullptr, l->HWindow);
  auto items = [&] {
    std::string s;
    long n = std::stol(Value("ListOps.L.ListCount"));
    for (long i = 0; i < n; ++i) s += Value("ListOps.L.List(" + std::to_string(i) + ")", "String") + ",";
    return s;
  };
  struct Step {
    const char* expr;  // a Long-valued expression run for its effect
    const char* result;
    const char* unsorted;
    const char* sorted;
  };
  // The results given are those of the unsorted list; sorted adds answer their place.
  const Step steps[] = {
      {"L.AddItem(\"pear\")", "0", "pear,", "pear,"},
      {"L.AddItem(\"apple\")", "1", "pear,apple,", "apple,pear,"},
      {"L.AddItem(\"fig\")", "2", "pear,apple,fig,", "apple,fig,pear,"},
      {"L.InsertItem(\"kiwi\", 0)", "0", "kiwi,pear,apple,fig,", "kiwi,apple,fig,pear,"},
      {"L.ItemIndex(\"fig\")", "", "kiwi,pear,apple,fig,", "kiwi,apple,fig,pear,"},
      {"L.FindString(\"pe\", -1)", "", "kiwi,pear,apple,fig,", "kiwi,apple,fig,pear,"},
      {"L.RemoveItem(1)", "3", "kiwi,apple,fig,", "kiwi,fig,pear,"},
      {"L.RemoveItem(7)", "-1", "kiwi,apple,fig,", "kiwi,fig,pear,"},
      {"L.RemoveItem(-1)", "-1", "kiwi,apple,fig,", "kiwi,fig,pear,"},
  };
  for (bool sorted : {false, true}) {
    SCOPED_TRACE(sorted ? "sorted" : "unsorted");
    RunBasic(std::string("ListOps.L.Sorted = ") + (sorted ? "True" : "False") + "\nListOps.L.Clear");
    EXPECT_EQ(sorted ? -1 : 0, l->pdGetSorted());
    EXPECT_EQ("", items());
    for (const Step& s : steps) {
      SCOPED_TRACE(s.expr);
      std::string got = Value(std::string("ListOps.") + s.expr);
      if (!sorted && *s.result) {
        EXPECT_EQ(s.result, got);
      }
      EXPECT_EQ(sorted ? s.sorted : s.unsorted, items());
    }
    std::string list = sorted ? "kiwi,fig,pear," : "kiwi,apple,fig,";
    EXPECT_EQ(std::to_string(list.find("fig") == 5 ? 1 : 2), Value("ListOps.L.ItemIndex(\"fig\")"));
    EXPECT_EQ("-1", Value("ListOps.L.ItemIndex(\"fi\")"));  // exact only
    EXPECT_EQ(Value("ListOps.L.ItemIndex(\"fig\")"), Value("ListOps.L.FindString(\"fi\", -1)"));
    // Outside the list: empty texts, no reads past it.
    for (const char* at : {"-1", "3", "32767", "-32768"})
      EXPECT_EQ("", Value(std::string("ListOps.L.List(") + at + ")", "String")) << at;
  }
  RunBasic("ListOps.L.Clear");
  EXPECT_EQ("0", Value("ListOps.L.ListCount"));
  f->imUnload();
}

TEST(ListBox, ClickOnlyWhenTheSelectionMovesToAnItem) {
  IWForm* f = FormWith("ListClick", "ListBox", "L", {"Click"});
  ASSERT_NE(nullptr, f);
  f->imShow();
  RunBasic("ListClick.L.AddItem \"a\"\nListClick.L.AddItem \"b\"\nListClick.L.AddItem \"c\"");
  ClearLog(f);
  struct Step {
    const char* basic;
    const char* index;
    const char* text;
    const char* selCount;
    const char* log;
  } steps[] = {
      {"L.ListIndex = 1", "1", "b", "1", "Click,"},
      {"L.ListIndex = 1", "1", "b", "1", ""},   // the same item: none
      {"L.ListIndex = -1", "-1", "", "0", ""},  // nothing selected: none
      {"L.ListIndex = 7", "-1", "", "0", ""},   // no such item
      {"L.SetSelected 2, True", "2", "c", "1", "Click,"},
      {"L.SetSelected 1, False", "2", "c", "1", ""},  // not the selection: nothing
      {"L.SetSelected 2, False", "-1", "", "0", ""},
      {"L.ListIndex = 0", "0", "a", "1", "Click,"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.basic);
    ClearLog(f);
    RunBasic(std::string("ListClick.") + s.basic);
    EXPECT_EQ(s.index, Value("ListClick.L.ListIndex"));
    EXPECT_EQ(s.text, Value("ListClick.L.Text", "String"));
    EXPECT_EQ(s.selCount, Value("ListClick.L.SelCount"));
    EXPECT_EQ(s.log, Events(f));
  }
  EXPECT_EQ("-1", Value("ListClick.L.Selected(0)"));
  EXPECT_EQ("0", Value("ListClick.L.Selected(1)"));
  // The list's own notification of a changed selection raises "Click".
  IWListBox* l = Embedded<IWListBox>(f, "L");
  ClearLog(f);
  SendMessageA(GetParent(l->HWindow), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(l->HWindow), LBN_SELCHANGE),
               (LPARAM)l->HWindow);
  EXPECT_EQ("Click,", Events(f));
  f->imUnload();
}

TEST(ListBox, MultiSelectListsSelectManyAndListIndexIsTheCaret) {
  IWForm* f = FormWith("ListMulti", "ListBox", "L", {"Click"});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWListBox* l = Embedded<IWListBox>(f, "L");
  for (long option : {1L, 2L}) {
    SCOPED_TRACE(option);
    RunBasic("ListMulti.L.MultiSelect = " + std::to_string(option) +
             "\nListMulti.L.Clear\nListMulti.L.AddItem \"a\"\nListMulti.L.AddItem \"b\"\n"
             "ListMulti.L.AddItem \"c\"\nListMulti.L.AddItem \"d\"");
    EXPECT_EQ(std::to_string(option), Value("ListMulti.L.MultiSelect"));
    EXPECT_EQ(option == 1 ? (uint32_t)LBS_MULTIPLESEL : (uint32_t)LBS_EXTENDEDSEL,
              StyleOf(l) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
    EXPECT_EQ("0", Value("ListMulti.L.SelCount"));
    RunBasic("ListMulti.L.SetSelected 0, True\nListMulti.L.SetSelected 2, True");
    EXPECT_EQ("2", Value("ListMulti.L.SelCount"));
    EXPECT_EQ("-1", Value("ListMulti.L.Selected(2)"));
    EXPECT_EQ("0", Value("ListMulti.L.Selected(1)"));
    // -1 addresses no item (it would mean every item to the list).
    RunBasic("ListMulti.L.SetSelected -1, True");
    EXPECT_EQ("2", Value("ListMulti.L.SelCount"));
    RunBasic("ListMulti.L.SetSelected -1, False");
    EXPECT_EQ("2", Value("ListMulti.L.SelCount"));
    // ListIndex moves the caret and selects nothing.
    ClearLog(f);
    RunBasic("ListMulti.L.ListIndex = 3");
    EXPECT_EQ("3", Value("ListMulti.L.ListIndex"));
    EXPECT_EQ("0", Value("ListMulti.L.Selected(3)"));
    EXPECT_EQ("2", Value("ListMulti.L.SelCount"));
    EXPECT_EQ("", Value("ListMulti.L.Text", "String"));  // the caret item is not selected
    EXPECT_EQ("Click,", Events(f));
    RunBasic("ListMulti.L.ListIndex = 2");
    EXPECT_EQ("c", Value("ListMulti.L.Text", "String"));
  }
  // Back to single selection: the items stay.
  RunBasic("ListMulti.L.MultiSelect = 0");
  EXPECT_EQ("0", Value("ListMulti.L.MultiSelect"));
  EXPECT_EQ(0u, StyleOf(l) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
  EXPECT_EQ("4", Value("ListMulti.L.ListCount"));
  f->imUnload();
}

TEST(ListBox, SortedReCreatesTheWindowKeepingItemsSelectionAndZOrder) {
  Published();
  IWForm* f = MakeForm("ListSort",
                       "  Type A From ListBox\n  End Type\n  Type L From ListBox\n  End Type\n"
                       "  Type C From ListBox\n  End Type\n" +
                           ControlLogging("L", {"Setup", "Click"}));
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWListBox* l = Embedded<IWListBox>(f, "L");
  ASSERT_NE(nullptr, l->HWindow);
  auto order = [&] {
    std::string s;
    for (HWND h = GetWindow(f->Client()->HWindow, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
      for (const char* n : {"A", "L", "C"})
        if (Embedded<IWListBox>(f, n)->HWindow == h) s += n;
    return s;
  };
  std::string start = order();
  ASSERT_EQ(3u, start.size());
  RunBasic(
      "ListSort.L.AddItem \"pear\"\nListSort.L.AddItem \"apple\"\nListSort.L.AddItem \"fig\"\n"
      "ListSort.L.ListIndex = 0");
  ClearLog(f);
  HWND before = l->HWindow;
  SetWindowLongPtrA(before, GWLP_USERDATA, 0x5A);
  RunBasic("ListSort.L.Sorted = True");
  ASSERT_NE(nullptr, l->HWindow);
  EXPECT_NE(0x5A, GetWindowLongPtrA(l->HWindow, GWLP_USERDATA));  // a new window
  EXPECT_TRUE(StyleOf(l) & LBS_SORT);
  EXPECT_EQ("-1", Value("ListSort.L.Sorted"));
  EXPECT_EQ("3", Value("ListSort.L.ListCount"));
  EXPECT_EQ("apple", Value("ListSort.L.List(0)", "String"));
  EXPECT_EQ("fig", Value("ListSort.L.List(1)", "String"));
  EXPECT_EQ("pear", Value("ListSort.L.List(2)", "String"));
  EXPECT_EQ("pear", Value("ListSort.L.Text", "String"));  // the selected item, now last
  EXPECT_EQ(start, order());
  EXPECT_FALSE(l->IsFlagSet(IWWindow::kInSetup));
  EXPECT_EQ("", Events(f));  // no "Setup", no "Click"
  // The present value: the window stays.
  SetWindowLongPtrA(l->HWindow, GWLP_USERDATA, 0x5A);
  RunBasic("ListSort.L.Sorted = True");
  EXPECT_EQ(0x5A, GetWindowLongPtrA(l->HWindow, GWLP_USERDATA));
  f->imUnload();
}

TEST(ListBox, BlocksCarryNoItemsAndRejectNewerRevisions) {
  Published();
  IWForm* f = FormWith("ListBlock", "ListBox", "L", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWListBox* l = Embedded<IWListBox>(f, "L");
  RunBasic(
      "ListBlock.L.AddItem \"x\"\nListBlock.L.Sorted = True\nListBlock.L.MultiSelect = 2\n"
      "ListBlock.L.Ctrl3d = False");
  Bytes block = SaveBlock(*l);
  ASSERT_GT(block.size(), 4u);
  for (size_t at : {0, 1, 2}) EXPECT_EQ(1, block[at]) << at;
  HiddenParent holder;
  Owned<IWListBox> copy(new IWListBox(nullptr));
  LoadBlock(*copy, block);
  EXPECT_EQ(block, SaveBlock(*copy));
  EXPECT_EQ(-1, copy->pdGetSorted());
  EXPECT_EQ(IWListBox::kSelectExtended, copy->pdGetMultiSelect());
  EXPECT_EQ(0, copy->pdGetCtrl3d());
  copy->SetParent(holder.window());
  copy->Attr.W = copy->Attr.H = 80;
  ASSERT_TRUE(copy->Create());
  EXPECT_EQ(0, copy->pdGetListCount());  // the items were not saved
  for (size_t at : {0, 1, 2}) {
    Bytes newer = block;
    newer[at] = 2;
    Owned<IWListBox> g(new IWListBox(nullptr));
    try {
      LoadBlock(*g, newer);
      ADD_FAILURE() << "loaded a newer revision at " << at;
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'ListBox'")) << e.what();
    }
  }
  Bytes cut(block.begin(), block.begin() + 3);
  Owned<IWListBox> g(new IWListBox(nullptr));
  EXPECT_THROW(LoadBlock(*g, cut), ObjectLoadFailed);
  f->imUnload();
}

TEST(ListBox, TextUnloadWritesCtrl3dAndSortedButNotMultiSelect) {
  IWForm* f = FormWith("ListText", "ListBox", "L", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  RunBasic("ListText.L.AddItem \"item\"\nListText.L.Sorted = True\nListText.L.MultiSelect = 1");
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As String\n  Dim s As String\n  Dim r As Integer\n  r = ListText.L.TextUnload(\"  \", "
      "s)\n"
      "  F = r & \"|\" & s\nEnd Function\n",
      "F");
  ASSERT_TRUE(out.ok) << out.error;
  ASSERT_EQ(0u, out.result.find("-1|")) << out.result;
  std::string text = out.result.substr(3);
  size_t ctrl3d = text.find("  .Ctrl3d = True\n"), sorted = text.find("  .Sorted = True\n");
  EXPECT_NE(std::string::npos, ctrl3d) << text;
  EXPECT_NE(std::string::npos, sorted) << text;
  EXPECT_LT(ctrl3d, sorted) << text;
  EXPECT_EQ(text.size(), sorted + strlen("  .Sorted = True\n")) << text;  // the last line
  EXPECT_EQ(std::string::npos, text.find("MultiSelect")) << text;
  EXPECT_EQ(std::string::npos, text.find("item")) << text;
  f->imUnload();
}

// Selected answers a Boolean and SetSelected takes one: True, False and numbers from
// Basic, in both kinds of list.
TEST(ListBox, SelectedAndSetSelectedAreBooleans) {
  IWForm* f = FormWith("ListBool", "ListBox", "L", {});
  ASSERT_NE(nullptr, f);
  f->imShow();
  InterObjRep* proto = ObjectStore::find("ListBox");
  EXPECT_EQ("(ByVal index As Integer, ByVal sel As Boolean)",
            std::string(static_cast<MethodField*>(proto->findField("SetSelected"))->paramText().data()));
  RunBasic("ListBool.L.AddItem \"a\"\nListBool.L.AddItem \"b\"\nListBool.L.AddItem \"c\"");
  for (long option : {0L, 1L}) {
    SCOPED_TRACE(option);
    RunBasic("ListBool.L.MultiSelect = " + std::to_string(option) + "\nListBool.L.ListIndex = -1");
    struct Step {
      const char* sel;  // SetSelected 1's flag
      const char* selected;
    } steps[] = {{"True", "-1"}, {"False", "0"},   {"1", "-1"},       {"0", "0"},
                 {"-5", "-1"},   {"(2 < 1)", "0"}, {"\"True\"", "-1"}};
    for (const Step& s : steps) {
      SCOPED_TRACE(s.sel);
      BasicOutcome out = BasicRunner::CompileAndRun(
          std::string("Function F() As String\n  Dim b As Boolean\n  ListBool.L.SetSelected 1, ") + s.sel +
              "\n  b = ListBool.L.Selected(1)\n  F = b\n  If ListBool.L.Selected(1) Then F = F & \",on\"\n"
              "  If Not ListBool.L.Selected(0) Then F = F & \",0 off\"\nEnd Function\n",
          "F");
      ASSERT_TRUE(out.ok) << out.error;
      EXPECT_EQ(std::string(s.selected) + (std::string(s.selected) == "-1" ? ",on" : "") + ",0 off",
                out.result);
    }
  }
  f->imUnload();
}

// Every item keeps a 32-bit value, also through a re-creation that sorts the items;
// TopIndex scrolls the list.
TEST(ListBox, ItemDataAndTopIndex) {
  IWForm* f = FormWith("ListData", "ListBox", "L", {"Click"});
  ASSERT_NE(nullptr, f);
  f->imShow();
  IWListBox* l = Embedded<IWListBox>(f, "L");
  RunBasic("ListData.L.Move 0, 0, 2000, 900");
  for (int i = 0; i < 40; ++i)
    RunBasic("ListData.L.AddItem \"row" + std::to_string(100 - i) + "\"\nListData.L.SetItemData " +
             std::to_string(i) + ", " + std::to_string(i * 100000 - 2000000));
  const std::pair<const char*, const char*> reads[] = {
      {"ListData.L.ItemData(0)", "-2000000"}, {"ListData.L.ItemData(39)", "1900000"},
      {"ListData.L.ItemData(40)", "-1"},      {"ListData.L.ItemData(-1)", "-1"},
      {"ListData.L.ItemData(32767)", "-1"},   {"ListData.L.TopIndex", "0"},
  };
  for (const auto& r : reads) EXPECT_EQ(r.second, Value(r.first)) << r.first;
  RunBasic("ListData.L.SetItemData 40, 9\nListData.L.SetItemData -1, 9");  // outside: nothing
  EXPECT_EQ("1900000", Value("ListData.L.ItemData(39)"));
  EXPECT_EQ("-2000000", Value("ListData.L.ItemData(0)"));
  EXPECT_EQ(-1900000, (int32_t)SendMessageA(l->HWindow, LB_GETITEMDATA, 1, 0));
  // TopIndex: the first row shown, without a Click.
  ClearLog(f);
  RunBasic("ListData.L.TopIndex = 25");
  EXPECT_EQ("25", Value("ListData.L.TopIndex"));
  EXPECT_EQ(25, (int)SendMessageA(l->HWindow, LB_GETTOPINDEX, 0, 0));
  RunBasic("ListData.L.TopIndex = 40\nListData.L.TopIndex = -1");
  EXPECT_EQ("25", Value("ListData.L.TopIndex"));
  EXPECT_EQ("", Events(f));
  // Sorted: "row100" (data -2000000) first, then "row61" (data 1900000), "row62"...
  RunBasic("ListData.L.ListIndex = 39\nListData.L.Sorted = True");
  EXPECT_EQ("row100", Value("ListData.L.List(0)", "String"));
  EXPECT_EQ("-2000000", Value("ListData.L.ItemData(0)"));
  EXPECT_EQ("row61", Value("ListData.L.List(1)", "String"));
  for (int i = 0; i < 40; ++i) {
    std::string text = Value("ListData.L.List(" + std::to_string(i) + ")", "String");
    int row = 100 - std::stoi(text.substr(3));
    EXPECT_EQ(std::to_string(row * 100000 - 2000000), Value("ListData.L.ItemData(" + std::to_string(i) + ")"))
        << text;
  }
  EXPECT_EQ("row61", Value("ListData.L.Text", "String"));
  f->imUnload();
}

}  // namespace
