// The menu model: registration, items and ids, separators, names and captions, popups
// and the refusal of loops, the item-name table's reuse and its full id space, the
// accelerator texts and choices, and the shared "AccelKey".
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "guiobjects1/dllinstance.h"
#include "imenu_kit.h"
#include "store/enum.h"
#include "store/storeexcept.h"

namespace {

using namespace menukit;

TEST(MenuClasses, PublishedInTheirRowsWithTheirMembers) {
  WindowPrototype();
  struct Case {
    const char* name;
    Oviui1Row row;
    const char* parent;
  } cases[] = {{"Menu", kOviui1Menu, nullptr},
               {"MenuBar", kOviui1MenuBar, "Menu"},
               {"PopupMenu", kOviui1PopupMenu, "Menu"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InterObjRep* proto = ObjectStore::find(c.name);
    ASSERT_NE(nullptr, proto);
    EXPECT_EQ("Orvanel." + std::string(c.name), proto->progId());
    EXPECT_STREQ(c.name, DllInstance::Row(c.row).name);
    if (c.parent)
      EXPECT_EQ(ObjectStore::find(c.parent), proto->parent());
    else
      EXPECT_EQ(nullptr, proto->parent());
    for (const char* m :
         {"AccelKey", "HMenu", "ItemCount", "InsertItem", "InsertPopup", "RemoveItem", "MoveItem", "SetName",
          "SetCaption", "ItemId", "ItemIdAt", "ItemCaptionAt", "ItemName", "ItemNameAt", "ItemPosition"})
      EXPECT_NE(nullptr, proto->findField(m)) << m;
  }
  InterObjRep* bar = ObjectStore::find("MenuBar");
  InterObjRep* popup = ObjectStore::find("PopupMenu");
  EXPECT_NE(nullptr, bar->findField("TextUnload"));
  EXPECT_EQ(nullptr, bar->findField("InsertSeparator"));
  for (const char* m : {"InsertSeparator", "CheckItem", "ItemIsChecked", "SetAccelerator", "TextUnload"})
    EXPECT_NE(nullptr, popup->findField(m)) << m;
  EXPECT_EQ(nullptr, popup->findField("GetAccelerator"));  // the menu editor's, not Basic's
  EXPECT_EQ(nullptr, ObjectStore::find("Menu")->findField("TextUnload"));
}

TEST(MenuModel, SameNameTwiceGivesTwoIdsAndItemIdFindsTheFirst) {
  iPopupMenu* p = NewPopup();
  EXPECT_EQ(-1, p->pdGetItemCount());  // never used
  short a = p->imInsertItem("Open", "&Open", -1);
  EXPECT_EQ(1, p->pdGetItemCount());
  short b = p->imInsertItem("Open", "Open &again", -1);
  short c = p->imInsertItem("Close", "&Close", 0);
  ASSERT_GE((uint16_t)a, 100);
  EXPECT_NE(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ("IClose:&Close|IOpen:&Open|IOpen:Open &again", Shape(p));
  EXPECT_EQ(a, p->imId("Open"));
  EXPECT_EQ(1, p->imPos("Open"));
  EXPECT_EQ(-1, p->imId("open"));  // names compare case-sensitively
  EXPECT_EQ(-1, p->imId(""));
  EXPECT_EQ(-1, p->imId(nullptr));
  EXPECT_EQ(b, p->imIdAt(2));
  EXPECT_EQ(-1, p->imIdAt(3));
  EXPECT_EQ("Open", Str(p->imName(b)));
  EXPECT_EQ("Close", Str(p->imNameAt(0)));
  EXPECT_EQ("", Str(p->imNameAt(7)));
  EXPECT_STREQ("Open", iMenu::StringId((uint16_t)a));
  for (unsigned id : {0u, 1u, 50u, 99u}) EXPECT_EQ(nullptr, iMenu::StringId(id)) << id;
  EXPECT_EQ(nullptr, iMenu::StringId(MenuItemNames::kFirstId + MenuItemNames::Entries()));
  EXPECT_TRUE(IdsUniqueAndHeld({p}));
}

TEST(MenuModel, ARemovedItemsIdStillNamesIt) {
  iPopupMenu* p = NewPopup();
  short id = p->imInsertItem("Gone", "Gone", -1);
  ASSERT_EQ(1, p->imRemoveItem(0));
  EXPECT_STREQ("Gone", iMenu::StringId((uint16_t)id));
  EXPECT_EQ(0u, MenuItemNames::Holders((uint16_t)id));
  EXPECT_EQ(0, p->pdGetItemCount());
  for (short bad : {-1, 0, 5}) EXPECT_EQ(0, p->imRemoveItem(bad)) << bad;
}

TEST(MenuModel, SeparatorsFollowTheirPositions) {
  iPopupMenu* p = NewPopup();
  p->imInsertItem("A", "A", -1);
  ASSERT_EQ(1, p->imInsertSeparator(-1));
  p->imInsertItem("B", "B", -1);
  ASSERT_EQ(1, p->imInsertSeparator(-1));
  EXPECT_EQ("IA:A|-|IB:B|-", Shape(p));
  EXPECT_EQ(1, p->imIdAt(1));
  EXPECT_EQ(3, p->imIdAt(3));
  struct Step {
    const char* what;
    bool (*run)(iPopupMenu*);
    const char* shape;
  } steps[] = {
      {"insert before", [](iPopupMenu* m) { return m->imInsertItem("C", "C", 0) > 0; }, "IC:C|IA:A|-|IB:B|-"},
      {"move a separator", [](iPopupMenu* m) { return m->imMove(2, 0) == 1; }, "-|IC:C|IA:A|IB:B|-"},
      {"move an item", [](iPopupMenu* m) { return m->imMove(3, 1) == 1; }, "-|IB:B|IC:C|IA:A|-"},
      {"remove", [](iPopupMenu* m) { return m->imRemoveItem(1) == 1; }, "-|IC:C|IA:A|-"},
      {"separator inside", [](iPopupMenu* m) { return m->imInsertSeparator(2) == 1; }, "-|IC:C|-|IA:A|-"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    EXPECT_TRUE(s.run(p));
    EXPECT_EQ(s.shape, Shape(p));
    EXPECT_TRUE(SeparatorsInStep(p));
  }
  EXPECT_EQ(0, p->imMove(0, 5));
  EXPECT_EQ(0, p->imMove(-1, 0));
  EXPECT_TRUE(IdsUniqueAndHeld({p}));
}

TEST(MenuModel, MoveKeepsIdCheckMarkAndText) {
  iPopupMenu* p = NewPopup();
  short a = p->imInsertItem("Aa", "Alpha", -1);
  p->imInsertItem("Bb", "Beta", -1);
  p->imCheckItem("Aa", 1);
  p->imSetAccelerator("Aa", 15);
  ASSERT_EQ(1, p->imMove(0, 1));
  EXPECT_EQ("IBb:Beta|I*Aa:Alpha\tCtrl+O", Shape(p));
  EXPECT_EQ(a, p->imIdAt(1));
  EXPECT_EQ(-1, p->imItemIsChecked("Aa"));
  EXPECT_EQ(0, p->imItemIsChecked("Bb"));
  p->imCheckItem("Aa", 0);
  EXPECT_EQ(0, p->imItemIsChecked("Aa"));
  p->imCheckItem("Nobody", 1);  // nothing happens
}

TEST(MenuModel, CaptionsKeepTheAcceleratorAndNamesKeepTheId) {
  iPopupMenu* p = NewPopup();
  short id = p->imInsertItem("Save", "&Save", -1);
  p->imSetAccelerator("Save", 19);  // Ctrl+S
  ASSERT_EQ(1, p->imSetCaption(0, "Save &as"));
  EXPECT_EQ("Save &as\tCtrl+S", p->TextAt(0));
  EXPECT_EQ("Save &as", Str(p->imCaptAt(0)));
  EXPECT_EQ(1, p->imSetCaption(0, nullptr));  // an empty caption, not a failure
  EXPECT_EQ("\tCtrl+S", p->TextAt(0));
  std::string longer(300, 'x');
  ASSERT_EQ(1, p->imSetCaption(0, longer.c_str()));
  EXPECT_EQ(255u, p->TextAt(0).size());
  EXPECT_EQ("\tCtrl+S", p->TextAt(0).substr(248));

  ASSERT_EQ(1, p->imSetName(0, "SaveAs"));
  EXPECT_EQ(id, p->imIdAt(0));
  EXPECT_STREQ("SaveAs", iMenu::StringId((uint16_t)id));
  EXPECT_EQ(-1, p->imId("Save"));
  p->imInsertSeparator(-1);
  EXPECT_EQ(0, p->imSetName(1, "Sep"));
  EXPECT_EQ(0, p->imSetCaption(1, "Sep"));
  EXPECT_EQ(0, p->imSetName(0, ""));
  EXPECT_EQ(0, p->imSetName(9, "X"));
}

// Names are identifiers: anything else would break the "<name>_Click" handler and the
// text form. Refused with the store's invalid-argument error, the menu unchanged.
TEST(MenuModel, NamesThatAreNotIdentifiersAreRefused) {
  iPopupMenu* p = NewPopup();
  p->imInsertItem("Good", "Good", -1);
  std::string tooLong(248, 'a');
  for (const char* bad : {"", "a b", "1st", "say\"hi\"", "_x", "a-b", "a.b", "x\ty", tooLong.c_str()}) {
    SCOPED_TRACE(bad);
    for (int step = 0; step < 2; ++step) {
      try {
        if (step == 0)
          p->imInsertItem(bad, "caption", -1);
        else
          p->imSetName(0, bad);
        if (*bad) ADD_FAILURE() << "taken";
      } catch (const StoreException& e) {
        EXPECT_EQ((unsigned)kMsgInvalidArgument, e.id());
      }
    }
    EXPECT_EQ("IGood:Good", Shape(p));
  }
  EXPECT_EQ(0, p->imSetName(0, ""));  // empty: the plain 0 of a bad argument
  for (const char* good : {"a", "A_1", "x__", "\xe9t\xe9"})
    EXPECT_TRUE(MenuItemNames::IsItemName(good)) << good;
  EXPECT_TRUE(MenuItemNames::IsItemName(std::string(247, 'b').c_str()));
}

TEST(MenuModel, PopupsAreSharedAndFoundByHandle) {
  iMenuBar* bar = NewBar();
  iPopupMenu* file = NewPopup();
  file->imInsertItem("New", "&New", -1);
  EXPECT_EQ(1, InsertPopup(bar, file, "&File"));
  iPopupMenu* other = NewPopup();
  EXPECT_EQ(1, InsertPopup(other, file, "File again"));
  EXPECT_EQ(file, iPopupMenu::find(file->handle()));
  EXPECT_EQ(file, iMenu::find(file->handle()));
  EXPECT_EQ(bar, iMenu::find(bar->handle()));
  EXPECT_EQ(nullptr, iPopupMenu::find(bar->handle()));
  EXPECT_EQ(nullptr, iPopupMenu::find(nullptr));
  EXPECT_TRUE(iMenu::InContainerList(bar));
  EXPECT_TRUE(iMenu::InContainerList(other));
  EXPECT_FALSE(iMenu::InContainerList(file));
  EXPECT_EQ(-1, bar->imIdAt(0));
  EXPECT_EQ(file->storeObj()->name(), Str(bar->imNameAt(0)));
  EXPECT_EQ("&File", Str(bar->imCaptAt(0)));

  // Not a popup: nothing inserted.
  InterObj none;
  EXPECT_EQ(0, bar->imInsertPopup(&none, "x", -1));
  EXPECT_EQ(0, bar->imInsertPopup(nullptr, "x", -1));
  InterObj aBar(NewBar()->storeObj());
  EXPECT_EQ(0, bar->imInsertPopup(&aBar, "x", -1));
  EXPECT_EQ(1, bar->pdGetItemCount());

  // SetName at a popup position puts another popup there.
  iPopupMenu* edit = NewPopup();
  ASSERT_EQ(1, bar->imSetName(0, edit->storeObj()->name()));
  EXPECT_EQ(edit, iPopupMenu::find(GetSubMenu(bar->handle(), 0)));
  EXPECT_EQ("&File", bar->TextAt(0));
  EXPECT_NE(0, IsMenu(file->handle()));  // the popup it replaced lives on
  EXPECT_EQ(0, bar->imSetName(0, "NoSuchObject"));
}

TEST(MenuModel, LoopsAreRefusedNamingThePopup) {
  iPopupMenu* a = NewPopup("LoopA");
  iPopupMenu* b = NewPopup("LoopB");
  iPopupMenu* c = NewPopup("LoopC");
  a->imInsertItem("Ia", "a", -1);
  ASSERT_EQ(1, InsertPopup(a, b, "b"));
  ASSERT_EQ(1, InsertPopup(b, c, "c"));
  struct Case {
    iPopupMenu* into;
    iPopupMenu* popup;
    const char* named;
  } cases[] = {{a, a, "LoopA"}, {b, a, "LoopA"}, {c, a, "LoopA"}, {c, b, "LoopB"}, {c, c, "LoopC"}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.named);
    std::string before = Shape(k.into);
    try {
      InsertPopup(k.into, k.popup, "loop");
      ADD_FAILURE() << "inserted";
    } catch (const StoreException& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find(std::string("'") + k.named + "'")) << e.what();
    }
    EXPECT_EQ(before, Shape(k.into));
  }
  // From Basic: the error names the popup.
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As Integer\n  F = LoopC.InsertPopup(LoopA, \"loop\", -1)\nEnd Function\n", "F");
  EXPECT_FALSE(out.ok);
  EXPECT_NE(std::string::npos, out.error.find("'LoopA'")) << out.error;
  // Through SetName as well.
  c->imInsertPopup(nullptr, "x", -1);
  iPopupMenu* d = NewPopup("LoopD");
  ASSERT_EQ(1, InsertPopup(c, d, "d"));
  EXPECT_THROW(c->imSetName(0, "LoopA"), StoreException);
  EXPECT_EQ(d, iPopupMenu::find(GetSubMenu(c->handle(), 0)));
  // Not a loop: the same popup twice in one menu, and a popup in two branches.
  EXPECT_EQ(1, InsertPopup(a, c, "c again"));
  EXPECT_EQ(1, InsertPopup(a, c, "c thrice"));
  int count = 0;
  EXPECT_EQ(nullptr, a->GetHAccel(count));  // the merge ends
  EXPECT_EQ(0, count);
}

TEST(MenuLife, DestroyingAPopupTakesItOutOfEveryMenuAndABarLeavesItsPopups) {
  iMenuBar* bar = NewBar();
  InterObjRep* popObj = NewMenuObject("PopupMenu", Unique("Dying"));
  iPopupMenu* pop = iPopupMenu::Native(popObj);
  iPopupMenu* keeper = NewPopup();
  keeper->imInsertItem("K", "k", -1);
  pop->imInsertItem("Inside", "inside", -1);
  short insideId = pop->imIdAt(0);
  bar->imInsertItem("Top", "top", -1);
  InsertPopup(bar, pop, "one");
  InsertPopup(bar, keeper, "keeper");
  InsertPopup(bar, pop, "two");
  iPopupMenu* holder = NewPopup();
  InsertPopup(holder, pop, "held");
  size_t live = iPopupMenu::LiveCount();
  HMENU h = pop->handle();

  popObj->Destroy();
  EXPECT_EQ(live - 1, iPopupMenu::LiveCount());
  EXPECT_EQ(nullptr, iPopupMenu::find(h));
  EXPECT_EQ(0, IsMenu(h));
  EXPECT_EQ(0u, MenuItemNames::Holders((uint16_t)insideId));
  EXPECT_EQ("ITop:top|P" + std::string(keeper->storeObj()->name()) + ":keeper", Shape(bar));
  EXPECT_EQ("", Shape(holder));

  InterObjRep* barObj = bar->storeObj();
  HMENU keeperMenu = keeper->handle();
  short topId = bar->imIdAt(0);
  barObj->Destroy();
  EXPECT_NE(0, IsMenu(keeperMenu));
  EXPECT_EQ(keeper, iPopupMenu::find(keeperMenu));
  EXPECT_EQ("IK:k", Shape(keeper));
  EXPECT_EQ(0u, MenuItemNames::Holders((uint16_t)topId));
}

TEST(MenuLife, CloneCopiesItemsWithNewIdsAndSharesPopups) {
  iMenuBar* src = NewBar();
  iPopupMenu* pop = NewPopup();
  pop->imInsertItem("PopItem", "p", -1);
  pop->imSetAccelerator("PopItem", 51);
  src->imInsertItem("Copied", "&Copied", -1);
  InsertPopup(src, pop, "&Pop");
  iMenuBar* copy = NewBar();
  copy->clone(*src);
  EXPECT_EQ(Shape(src), Shape(copy));
  EXPECT_NE(src->imIdAt(0), copy->imIdAt(0));
  EXPECT_EQ(pop->handle(), GetSubMenu(copy->handle(), 1));
  EXPECT_TRUE(iMenu::InContainerList(copy));
  EXPECT_TRUE(IdsUniqueAndHeld({src, copy, pop}));
  // A bar copies only from a bar, a popup only from a popup; a popup's accelerator
  // entries stay its own.
  iPopupMenu* p2 = NewPopup();
  p2->clone(*src);
  EXPECT_EQ(-1, p2->pdGetItemCount());
  p2->clone(*pop);
  EXPECT_EQ("IPopItem:p\tF5", Shape(p2));
  EXPECT_EQ(0u, p2->accelTable().inUse());
}

// Ids are unique among live items however many items come and go.
TEST(MenuIds, UniqueAmongLiveItemsAfter70000InsertRemoveCycles) {
  iPopupMenu* a = NewPopup();
  iMenuBar* b = NewBar();
  for (int i = 0; i < 20; ++i) a->imInsertItem(("Keep" + std::to_string(i)).c_str(), "keep", -1);
  unsigned entriesBefore = MenuItemNames::Entries();
  std::vector<unsigned> kept = Ids(a);
  for (int cycle = 0; cycle < 70000; ++cycle) {
    iMenu* m = cycle % 3 ? (iMenu*)a : (iMenu*)b;
    short id = m->imInsertItem("Cycled", "cycled", (short)(cycle % 7));
    ASSERT_GE((uint16_t)id, MenuItemNames::kFirstId) << cycle;
    if (cycle % 1000 == 0) {
      ASSERT_TRUE(IdsUniqueAndHeld({a, b})) << cycle;
    }
    ASSERT_EQ(1, m->imRemoveItem(m->imPos("Cycled"))) << cycle;
  }
  EXPECT_TRUE(IdsUniqueAndHeld({a, b}));
  EXPECT_EQ(kept, Ids(a));
  EXPECT_LE(MenuItemNames::Entries(), entriesBefore + 1);  // reused, not grown
}

// When every id is held the insert is refused with a clear error and nothing changes;
// one id freed makes room again.
TEST(MenuIds, AFullIdSpaceRefusesCleanly) {
  std::vector<Owned<iPopupMenu>> menus;
  unsigned made = 0;
  for (;;) {
    if (menus.empty() || menus.back()->pdGetItemCount() >= 1000) menus.emplace_back(new iPopupMenu(nullptr));
    iPopupMenu* m = menus.back().get();
    try {
      m->imInsertItem(("Filler" + std::to_string(made)).c_str(), "f", -1);
      ++made;
    } catch (const StoreException& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("No menu command id is free")) << e.what();
      break;
    }
    ASSERT_LT(made, 70000u);
  }
  EXPECT_EQ((unsigned)MenuItemNames::kCapacity, MenuItemNames::Entries());
  Owned<iPopupMenu> probe(new iPopupMenu(nullptr));
  EXPECT_THROW(probe->imInsertItem("One", "one", -1), StoreException);
  EXPECT_EQ(0, probe->pdGetItemCount());
  std::vector<iMenu*> all;
  for (auto& m : menus) all.push_back(m.get());
  EXPECT_TRUE(IdsUniqueAndHeld(all));
  // One freed: the next insert takes exactly that id.
  short freed = menus[3]->imIdAt(10);
  ASSERT_EQ(1, menus[3]->imRemoveItem(10));
  EXPECT_EQ(freed, probe->imInsertItem("One", "one", -1));
  EXPECT_STREQ("One", iMenu::StringId((uint16_t)freed));
  menus.clear();  // every id free again
  EXPECT_EQ(0u, MenuItemNames::Holders((uint16_t)freed + 1));
}

// ---- accelerator texts ----

TEST(AccelText, AbbreviationsOfFlagsAndKeys) {
  struct Case {
    unsigned flags, key;
    const char* text;
  } cases[] = {
      {0, 0, ""},
      {kAccelVirtKey | kAccelCtrl, 'O', "Ctrl+O"},
      {kAccelVirtKey | kAccelShift, VK_F1, "Shift+F1"},
      {kAccelVirtKey | kAccelAlt, '0', "Alt+0"},
      {kAccelVirtKey | kAccelShift | kAccelCtrl | kAccelAlt, VK_DELETE, "Shift+Ctrl+Alt+Del"},
      {kAccelVirtKey, VK_NUMPAD7, "Num7"},
      {kAccelVirtKey, VK_F24, "F24"},
      {kAccelVirtKey, VK_MULTIPLY, "*"},
      {kAccelVirtKey, 108, "??"},  // a code without a name
      {kAccelVirtKey, 136, "??"},  // beyond the table
      {kAccelVirtKey, 400, "??"},
      {kAccelShift, 'q', "Shift+q"},  // a character, not a virtual key
      {kAccelCtrl, 0, "Ctrl+"},
  };
  for (const Case& c : cases) EXPECT_STREQ(c.text, AccelAbbrev(c.flags, c.key)) << c.flags << " " << c.key;
  int named = 0;
  for (unsigned k = 0; k < kVirtualKeyNameCount; ++k) named += VirtualKeyName(k) != nullptr;
  EXPECT_EQ(18 + 10 + 26 + 10 + 5 + 24, named);
}

TEST(AccelText, TheChoicesAndTheirEnumeration) {
  WindowPrototype();
  struct Case {
    int index;
    const char* text;
  } cases[] = {{0, ""},
               {1, "Ctrl+A"},
               {15, "Ctrl+O"},
               {26, "Ctrl+Z"},
               {27, "Ctrl+0"},
               {36, "Ctrl+9"},
               {37, "Alt+0"},
               {46, "Alt+9"},
               {47, "F1"},
               {58, "F12"},
               {59, "Shift+F1"},
               {70, "Shift+F12"},
               {71, "Ctrl+F1"},
               {83, "Alt+F1"},
               {94, "Alt+F12"},
               {95, "Bksp"},
               {96, "Ins"},
               {101, "PgDn"},
               {102, "Shift+Bksp"},
               {109, "Ctrl+Bksp"},
               {115, "Ctrl+PgDn"},
               {116, "Alt+Bksp"},
               {122, "Alt+PgDn"},
               {123, "Ctrl+Tab"},
               {124, "Ctrl+Space"},
               {125, "Ctrl+Enter"}};
  EnumRep* e = EnumRep::find("AcceleratorKey");
  ASSERT_NE(nullptr, e);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    AcceleratorChoice ch = AcceleratorChoiceAt(c.index);
    EXPECT_STREQ(c.text, AccelAbbrev(ch.flags, ch.key));
    if (c.index)
      EXPECT_TRUE(ch.flags & kAccelVirtKey);
    else
      EXPECT_EQ(0, ch.flags);
    int32_t v = -2;
    ASSERT_TRUE(e->valueOf(c.index ? c.text : "(nothing)", v));
    EXPECT_EQ(c.index, v);
  }
  EXPECT_EQ(0, AcceleratorChoiceAt(126).key);
  EXPECT_EQ(0, AcceleratorChoiceAt(-1).key);
  std::set<std::string> texts;
  for (int i = 1; i < kAcceleratorChoiceCount; ++i) {
    AcceleratorChoice ch = AcceleratorChoiceAt(i);
    texts.insert(AccelAbbrev(ch.flags, ch.key));
  }
  EXPECT_EQ(125u, texts.size());
  int32_t v = 0;
  EXPECT_FALSE(e->valueOf("Ctrl+F13", v));
}

TEST(AccelText, SetAndGetAcceleratorForTheMenuEditor) {
  iPopupMenu* p = NewPopup();
  EXPECT_EQ(-1, p->imGetAccelerator("Any"));  // no handle yet
  p->imInsertItem("Plain", "Plain", -1);
  p->imInsertItem("Keyed", "Keyed", -1);
  p->imInsertItem("Odd", "Odd\tWhatever", -1);
  p->imSetAccelerator("Keyed", 15);
  EXPECT_EQ(0, p->imGetAccelerator("Plain"));
  EXPECT_EQ(15, p->imGetAccelerator("Keyed"));
  EXPECT_EQ(-1, p->imGetAccelerator("Odd"));
  EXPECT_EQ(0, p->imGetAccelerator("Nobody"));
  for (long bad : {-1L, 126L, 1000L}) {
    p->imSetAccelerator("Keyed", bad);  // ignored
    EXPECT_EQ(15, p->imGetAccelerator("Keyed")) << bad;
  }
  p->imSetAccelerator("Keyed", 0);
  EXPECT_EQ("Keyed", p->TextAt(1));
  EXPECT_EQ(0, p->imGetAccelerator("Keyed"));
  EXPECT_EQ(0u, p->accelTable().inUse());
}

// "AccelKey" is one value for every menu of the process.
TEST(AccelKey, SetThroughOneMenuReadsTheSameThroughEveryOther) {
  InterObjRep* bar = NewMenuObject("MenuBar", Unique("KeyBar"));
  InterObjRep* pop = NewMenuObject("PopupMenu", Unique("KeyPop"));
  InterObjRep* menu = NewMenuObject("Menu", Unique("KeyMenu"));
  RunBasic(std::string(pop->name()) + ".AccelKey = \"Ctrl+O\"");
  EXPECT_EQ(15, LongOf(bar->evalIMember("AccelKey", nullptr)));
  EXPECT_EQ(15, LongOf(menu->evalIMember("AccelKey", nullptr)));
  Set(bar, "AccelKey", new DirectValue<long, 2>(51));
  EXPECT_EQ("51", RunBasicValue(std::string(pop->name()) + ".AccelKey"));
  EXPECT_EQ(51, iPopupMenu::Native(pop)->pdGetAccelKey());
  // "ItemCount" from Basic: -1 for a menu never used, 1 after one item.
  EXPECT_EQ("-1", RunBasicValue(std::string(menu->name()) + ".ItemCount", "Integer"));
  RunBasic("Dim r As Integer\nr = " + std::string(menu->name()) + ".InsertItem(\"One\", \"One\", -1)");
  EXPECT_EQ("1", RunBasicValue(std::string(menu->name()) + ".ItemCount", "Integer"));
}

}  // namespace
