// The menu classes' stream blocks: round trips with new ids, golden bytes of each class,
// loading twice, the accelerator count, and damaged blocks refused whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "imenu_kit.h"
#include "store/storeexcept.h"
#include "testkit/testkit.h"

namespace {

using namespace menukit;

std::string Hex(const Bytes& b) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (uint8_t c : b) {
    s += digits[c >> 4];
    s += digits[c & 15];
  }
  return s;
}

TEST(MenuStream, ABarWithTwoPopupsAndAnItemLoadsWithTheSameStructureAndNewIds) {
  iMenuBar* bar = NewBar();
  iPopupMenu* file = NewPopup();
  iPopupMenu* edit = NewPopup();
  file->imInsertItem("Open", "&Open", -1);
  InsertPopup(bar, file, "&File");
  bar->imInsertItem("Quit", "&Quit", -1);
  InsertPopup(bar, edit, "&Edit");
  Bytes saved = SaveMenu(*bar);
  EXPECT_EQ(1, saved[0]);  // the bar's revision
  EXPECT_EQ(1, saved[1]);  // the menu block's

  iMenuBar* loaded = NewBar();
  LoadMenu(*loaded, saved);
  EXPECT_EQ(Shape(bar), Shape(loaded));
  EXPECT_NE(bar->imIdAt(1), loaded->imIdAt(1));
  EXPECT_EQ("Quit", Str(loaded->imName(loaded->imIdAt(1))));
  EXPECT_EQ(file->handle(), GetSubMenu(loaded->handle(), 0));
  EXPECT_TRUE(iMenu::InContainerList(loaded));
  EXPECT_EQ(saved, SaveMenu(*loaded));
  EXPECT_TRUE(IdsUniqueAndHeld({bar, loaded, file}));
}

TEST(MenuStream, APopupWithAcceleratorsKeepsTextsAndEntriesUnderNewIds) {
  iPopupMenu* p = NewPopup();
  p->imInsertItem("Open", "&Open", -1);
  p->imInsertSeparator(-1);
  p->imInsertItem("Plain", "&Plain", -1);
  p->imInsertItem("Save", "&Save", -1);
  p->imSetAccelerator("Open", 15);
  p->imSetAccelerator("Save", 71);  // Ctrl+F1
  p->imCheckItem("Plain", 1);
  Bytes saved = SaveMenu(*p);

  iPopupMenu* q = NewPopup();
  LoadMenu(*q, saved);
  EXPECT_EQ("IOpen:&Open\tCtrl+O|-|I*Plain:&Plain|ISave:&Save\tCtrl+F1", Shape(q));
  EXPECT_EQ(Shape(p), Shape(q));
  EXPECT_EQ(2u, q->accelTable().inUse());
  const MenuAccel* open = q->accelTable().findCommand((uint16_t)q->imId("Open"));
  ASSERT_NE(nullptr, open);
  EXPECT_EQ(kAccelVirtKey | kAccelCtrl, open->flags);
  EXPECT_EQ('O', open->key);
  EXPECT_NE(p->imId("Open"), q->imId("Open"));
  EXPECT_EQ(15, q->imGetAccelerator("Open"));
  EXPECT_EQ(71, q->imGetAccelerator("Save"));
  EXPECT_EQ(saved, SaveMenu(*q));
}

// ---- golden blocks ----

TEST(MenuStream, GoldenBlocksOfEachClass) {
  unsigned char m = MenuModule();
  iMenu* menu = NewMenu();
  menu->imInsertItem("Go", "&Go", -1);
  menu->imInsertItem("Stop", "S&top", -1);
  CheckMenuItem(menu->handle(), 1, MF_BYPOSITION | MF_CHECKED);
  Bytes menuBlock = BlockWriter().u8(1).u32(2).u8(2).str("Go").str("&Go").u8(1).str("Stop").str("S&top").b;
  EXPECT_EQ(Hex(menuBlock), Hex(SaveMenu(*menu)));

  iPopupMenu* pop = NewPopup("GoldenPop");
  pop->imInsertItem("Open", "&Open", -1);
  pop->imInsertSeparator(-1);
  pop->imInsertItem("Check", "Check", -1);
  pop->imInsertItem("Never", "Never", -1);
  pop->imSetAccelerator("Open", 15);
  pop->imSetAccelerator("Never", 47);
  pop->imSetAccelerator("Never", 0);  // a free entry is not counted
  pop->imCheckItem("Check", 1);
  Bytes popBlock = BlockWriter()
                       .u8(1)
                       .u32(1)
                       .u32(4)
                       .u8(2)
                       .str("Open")
                       .u16(0x09)
                       .u16('O')
                       .str("&Open\tCtrl+O")
                       .u8(0)
                       .u8(1)
                       .str("Check")
                       .u16(0)
                       .u16(0)
                       .str("Check")
                       .u8(2)
                       .str("Never")
                       .u16(0)
                       .u16(0)
                       .str("Never")
                       .b;
  EXPECT_EQ(Hex(popBlock), Hex(SaveMenu(*pop)));

  iMenuBar* bar = NewBar();
  InsertPopup(bar, pop, "&File");
  bar->imInsertItem("Quit", "&Quit", -1);
  Bytes barBlock = BlockWriter()
                       .u8(1)
                       .u8(1)
                       .u32(2)
                       .u8(0xFF)
                       .ref(m, "GoldenPop")
                       .str("&File")
                       .u8(2)
                       .str("Quit")
                       .str("&Quit")
                       .b;
  EXPECT_EQ(Hex(barBlock), Hex(SaveMenu(*bar)));

  // And each golden block loads into a fresh object of its class.
  iMenuBar* bar2 = NewBar();
  LoadMenu(*bar2, barBlock);
  EXPECT_EQ(Shape(bar), Shape(bar2));
  iMenu* menu2 = NewMenu();
  LoadMenu(*menu2, menuBlock);
  EXPECT_EQ("IGo:&Go|I*Stop:S&top", Shape(menu2));
  // An empty menu writes a zero count.
  EXPECT_EQ(Hex(BlockWriter().u8(1).u32(0).u32(0).b), Hex(SaveMenu(*NewPopup())));
}

TEST(MenuStream, LoadingTwiceGivesTheItemsTwiceWithIdsOfTheirOwn) {
  iPopupMenu* p = NewPopup();
  p->imInsertItem("Twice", "Twice", -1);
  p->imInsertSeparator(-1);
  p->imSetAccelerator("Twice", 20);
  Bytes saved = SaveMenu(*p);
  iPopupMenu* q = NewPopup();
  LoadMenu(*q, saved);
  LoadMenu(*q, saved);
  EXPECT_EQ("ITwice:Twice\tCtrl+T|-|ITwice:Twice\tCtrl+T|-", Shape(q));
  EXPECT_TRUE(SeparatorsInStep(q));
  EXPECT_NE(q->imIdAt(0), q->imIdAt(2));
  EXPECT_EQ(2u, q->accelTable().inUse());  // the first load's entry stays
  EXPECT_TRUE(IdsUniqueAndHeld({p, q}));
}

TEST(MenuStream, AStoredAcceleratorCountSmallerThanThePairsKeepsTheFirstPairs) {
  Bytes block = BlockWriter()
                    .u8(1)
                    .u32(1)  // one entry for two pairs
                    .u32(2)
                    .u8(2)
                    .str("First")
                    .u16(0x09)
                    .u16('F')
                    .str("First\tCtrl+F")
                    .u8(2)
                    .str("Second")
                    .u16(0x09)
                    .u16('S')
                    .str("Second\tCtrl+S")
                    .b;
  iPopupMenu* p = NewPopup();
  LoadMenu(*p, block);
  EXPECT_EQ(1u, p->accelTable().count());
  EXPECT_NE(nullptr, p->accelTable().findCommand((uint16_t)p->imId("First")));
  EXPECT_EQ(nullptr, p->accelTable().findCommand((uint16_t)p->imId("Second")));
  EXPECT_EQ("Second\tCtrl+S", p->TextAt(1));  // the text stays
}

// A reference to a popup that is gone drops that record; the separators take their
// positions all the same.
TEST(MenuStream, APopupThatIsGoneIsDroppedAndSeparatorsStayInStep) {
  unsigned char m = MenuModule();
  Bytes block = BlockWriter()
                    .u8(1)
                    .u32(0)
                    .u32(5)
                    .u8(0)
                    .u8(0xFF)
                    .u8(0)  // a null reference
                    .str("gone")
                    .u8(0xFF)
                    .ref(m, "NoSuchPopup")
                    .str("also gone")
                    .u8(0)
                    .u8(2)
                    .str("Kept")
                    .u16(0)
                    .u16(0)
                    .str("Kept")
                    .b;
  iPopupMenu* p = NewPopup();
  LoadMenu(*p, block);
  EXPECT_EQ("-|-|IKept:Kept", Shape(p));
  EXPECT_TRUE(SeparatorsInStep(p));
}

// Damaged or inconsistent blocks fail with ObjectLoadFailed naming the class, and the
// menu keeps exactly what it had.
TEST(MenuStream, DamagedBlocksAreRefusedAndLeaveTheMenuAsItWas) {
  unsigned char m = MenuModule();
  iPopupMenu* target = NewPopup("DamageTarget");
  target->imInsertItem("Before", "Before", -1);
  target->imSetAccelerator("Before", 3);
  ASSERT_NE(nullptr, NewBar("DamageBar"));
  iPopupMenu* holder = NewPopup("DamageHolder");
  InsertPopup(holder, target, "t");
  auto item = [](BlockWriter& w, const char* name) { return w.u8(2).str(name).u16(0).u16(0).str(name); };
  struct Case {
    const char* what;
    Bytes block;
  } cases[] = {
      {"an unknown kind byte",
       [&] {
         BlockWriter w;
         w.u8(1).u32(0).u32(2);
         item(w, "Ok");
         w.u8(7).str("x");
         return w.b;
       }()},
      {"a reference to a bar",
       [&] {
         BlockWriter w;
         w.u8(1).u32(0).u32(2);
         item(w, "Ok");
         w.u8(0xFF).ref(m, "DamageBar").str("b");
         return w.b;
       }()},
      {"a reference tag the store does not know",
       [&] {
         BlockWriter w;
         w.u8(1).u32(0).u32(2);
         item(w, "Ok");
         w.u8(0xFF).u8(0x0F).str("b");
         return w.b;
       }()},
      {"the popup itself",
       [&] {
         BlockWriter w;
         w.u8(1).u32(0).u32(2);
         item(w, "Ok");
         w.u8(0xFF).ref(m, "DamageTarget").str("self");
         return w.b;
       }()},
      {"a popup that holds it",
       [&] {
         BlockWriter w;
         w.u8(1).u32(0).u32(1).u8(0xFF).ref(m, "DamageHolder").str("loop");
         return w.b;
       }()},
      {"a name that is not an identifier",
       [&] {
         BlockWriter w;
         w.u8(1).u32(0).u32(2);
         item(w, "Ok");
         item(w, "two words");
         return w.b;
       }()},
      {"unknown accelerator flags",
       [&] {
         BlockWriter w;
         w.u8(1).u32(1).u32(1).u8(2).str("Ok").u16(0x109).u16('A').str("Ok");
         return w.b;
       }()},
      {"cut short",
       [&] {
         BlockWriter w;
         w.u8(1).u32(0).u32(3);
         item(w, "Ok");
         item(w, "Ok2");
         return w.b;
       }()},
      {"a count larger than the block", BlockWriter().u8(1).u32(0).u32(0xFFFFFFF0).u8(0).b},
      {"revision 2", BlockWriter().u8(2).u32(0).u32(0).b},
      {"empty", Bytes()},
  };
  const std::string shape = Shape(target);
  const unsigned entries = MenuItemNames::Entries();
  const short before = target->imId("Before");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      LoadMenu(*target, c.block);
      ADD_FAILURE() << "loaded";
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'PopupMenu'")) << e.what();
    }
    EXPECT_EQ(shape, Shape(target));
    EXPECT_EQ(1u, target->accelTable().count());
    EXPECT_EQ(before, target->imId("Before"));
    EXPECT_EQ(entries, MenuItemNames::Entries());
    EXPECT_FALSE(iMenu::InContainerList(target));
  }

  // A bar names itself for its records and "Menu" for its inner block's revision.
  iMenuBar* bar = NewBar();
  bar->imInsertItem("Stays", "Stays", -1);
  struct BarCase {
    Bytes block;
    const char* named;
  } barCases[] = {
      {BlockWriter().u8(1).u8(1).u32(1).u8(9).b, "'MenuBar'"},
      {BlockWriter().u8(1).u8(1).u32(1).u8(0xFF).ref(m, "DamageBar").str("x").b, "'MenuBar'"},
      {BlockWriter().u8(1).u8(1).u32(4).u8(2).b, "'MenuBar'"},
      {BlockWriter().u8(2).u8(1).u32(0).b, "'MenuBar'"},
      {BlockWriter().u8(1).u8(2).u32(0).b, "'Menu'"},
  };
  for (const BarCase& c : barCases) {
    SCOPED_TRACE(Hex(c.block));
    try {
      LoadMenu(*bar, c.block);
      ADD_FAILURE() << "loaded";
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find(c.named)) << e.what();
    }
    EXPECT_EQ("IStays:Stays", Shape(bar));
  }
}

// A module loads its objects one by one: a bar stored before its popups links them once
// the module's objects are all there.
TEST(MenuStream, AModuleSavedAndLoadedAgainKeepsBarsPopupsAndAccelerators) {
  WindowPrototype();
  testkit::TestDataDir dir("menu_module");
  std::string path = dir.File("menus.ovm");
  unsigned char m = ObjectStore::CreateModule("menu_module");
  std::vector<Faultp<InterObjRep>> made;
  auto make = [&](const char* cls, const char* name) {
    OpenModuleResource open(m);
    PrimInterObj o(ObjectStore::find(cls), name, 0);
    made.push_back(o);
    return o.get();
  };
  iMenuBar* bar = iMenuBar::Native(make("MenuBar", "ModBar"));
  iPopupMenu* pop = iPopupMenu::Native(make("PopupMenu", "ModPop"));
  iPopupMenu* sub = iPopupMenu::Native(make("PopupMenu", "ModSub"));
  sub->imInsertItem("ModDeep", "Deep", -1);
  sub->imSetAccelerator("ModDeep", 60);  // Shift+F2
  pop->imInsertItem("ModOpen", "&Open", -1);
  pop->imInsertSeparator(-1);
  InsertPopup(pop, sub, "&Sub");
  pop->imInsertSeparator(-1);
  pop->imSetAccelerator("ModOpen", 15);
  bar->imInsertItem("ModFirst", "First", -1);
  InsertPopup(bar, pop, "&File");
  bar->imInsertItem("ModLast", "Last", -1);
  const std::string shapes[3] = {Shape(bar), Shape(pop), Shape(sub)};
  ASSERT_LT(bar->storeObj()->objectIndex(), pop->storeObj()->objectIndex());  // the bar loads first
  ASSERT_NE(0, ObjectStore::SaveModule(m, path.c_str()));
  ObjectStore::UnloadModule(m, 1);
  made.clear();
  ASSERT_EQ(nullptr, ObjectStore::find("ModBar"));

  unsigned char loaded = ObjectStore::LoadModule(path.c_str());
  iMenuBar* bar2 = iMenuBar::Native(ObjectStore::find("ModBar"));
  iPopupMenu* pop2 = iPopupMenu::Native(ObjectStore::find("ModPop"));
  iPopupMenu* sub2 = iPopupMenu::Native(ObjectStore::find("ModSub"));
  ASSERT_NE(nullptr, bar2);
  ASSERT_NE(nullptr, pop2);
  ASSERT_NE(nullptr, sub2);
  EXPECT_EQ(shapes[0], Shape(bar2));
  EXPECT_EQ(shapes[1], Shape(pop2));
  EXPECT_EQ(shapes[2], Shape(sub2));
  EXPECT_TRUE(SeparatorsInStep(pop2));
  EXPECT_TRUE(iMenu::InContainerList(bar2));
  EXPECT_TRUE(iMenu::InContainerList(pop2));
  int count = 0;
  EXPECT_NE(nullptr, bar2->GetHAccel(count));
  EXPECT_EQ(2, count);
  EXPECT_TRUE(IdsUniqueAndHeld({bar2, pop2, sub2}));
  ObjectStore::UnloadModule(loaded, 1);
}

}  // namespace
