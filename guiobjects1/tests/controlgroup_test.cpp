// "ControlGroup": a form's Controls over its embedded windows (menus left out), indexing
// and its range errors, the broadcast of other members under each EvalRequires mode,
// and its stream block (round trip, a reference that is no form, damaged blocks).
#include <gtest/gtest.h>

#include "formkit.h"
#include "guiobjects1/controlgroup.h"
#include "imenu_kit.h"

namespace {

using formkit::Embedded;
using formkit::MakeForm;

std::string Unique(const char* stem) {
  static int n = 0;
  return std::string(stem) + std::to_string(++n);
}

// The example form: button A, a menu bar, then B, a button with a member A lacks.
const char kExampleBody[] =
    "  Type A From Button\n  End Type\n"
    "  Type Bar From MenuBar\n  End Type\n"
    "  Type B From Button\n    Dim OnlyB As Integer\n  End Type\n";

ControlGroup* GroupOf(IWForm* f) {
  InterObjRep* g = f ? f->pdGetControls() : nullptr;
  return g ? ControlGroup::Native(g) : nullptr;
}

// Controls(i) through the group's use with arguments.
InterObjRep* At(ControlGroup* g, long i, int* found = nullptr) {
  ValueList args;
  args.ppush(new DirectValue<long, kTypeLong>(i));
  int f = -1;
  ValuePtr v;
  v.adopt(g->eval(&args, &f));
  if (found) *found = f;
  if (!v) return nullptr;
  InterObj o;
  v->get(o);
  return o.get();
}

TEST(ControlGroup, IsPublishedWithItsMembers) {
  windowkit::TestApp();
  InterObjRep* proto = ObjectStore::find("ControlGroup");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.ControlGroup", proto->progId());
  EXPECT_EQ(nullptr, proto->parent());
  for (const char* m : {"Form", "Count", "EvalRequires"}) EXPECT_NE(nullptr, proto->findField(m)) << m;
  EXPECT_NE(nullptr, EnumRep::find("EvalRequires"));
  EXPECT_NE(nullptr, ObjectStore::find("Form")->findField("Controls"));
}

TEST(ControlGroup, CountsAndIndexesTheWindowsInEmbeddingOrder) {
  IWForm* f = MakeForm(Unique("Example"), kExampleBody);
  ASSERT_NE(nullptr, f);
  ControlGroup* g = GroupOf(f);
  ASSERT_NE(nullptr, g);
  EXPECT_EQ(f->pdGetControls(), f->pdGetControls());  // made once, kept
  EXPECT_EQ(f->storeObj(), g->pdGetForm());
  EXPECT_EQ(2, g->pdGetCount());
  EXPECT_EQ(2, g->flags());  // EvalRequires "Method"
  EXPECT_EQ(f->storeObj()->findEmbed("A"), At(g, 0));
  EXPECT_EQ(f->storeObj()->findEmbed("B"), At(g, 1));
  const std::string name = f->storeObj()->fullName();
  EXPECT_EQ("2", windowkit::RunBasicValue(name + ".Controls.Count"));
  EXPECT_EQ("2", windowkit::RunBasicValue(name + ".Controls.EvalRequires"));
  // Indexed from Basic.
  windowkit::RunBasic(name + ".A.Caption = \"first\"\n" + name + ".B.Caption = \"second\"");
  EXPECT_EQ("first", windowkit::RunBasicValue(name + ".Controls(0).Caption", "String"));
  EXPECT_EQ("second", windowkit::RunBasicValue(name + ".Controls(1).Caption", "String"));
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As String\n  F = " + name + ".Controls(2).Caption\nEnd Function\n", "F");
  EXPECT_FALSE(out.ok);
  EXPECT_EQ((unsigned)kMsgIndexOutOfRange, out.errorId) << out.error;
}

// The bounds reported are 0 and Count - 1, with the index, on both sides and for an
// empty group.
TEST(ControlGroup, AnIndexOutsideRaisesTheRangeErrorWithTheGroupsBounds) {
  IWForm* f = MakeForm(Unique("Range"), kExampleBody);
  IWForm* empty = MakeForm(Unique("Empty"));
  ASSERT_NE(nullptr, f);
  ASSERT_NE(nullptr, empty);
  struct Case {
    IWForm* form;
    long index, low, high;
  } cases[] = {{f, 2, 0, 1}, {f, -1, 0, 1}, {f, 40000, 0, 1}, {empty, 0, 0, -1}, {empty, -3, 0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    try {
      At(GroupOf(c.form), c.index);
      ADD_FAILURE() << "no error";
    } catch (const RangeError& e) {
      EXPECT_EQ((unsigned)kMsgIndexOutOfRange, e.id());
      EXPECT_EQ(c.low, e.low());
      EXPECT_EQ(c.high, e.high());
      EXPECT_EQ(c.index, e.value());
    }
  }
  // Not exactly one argument: found, no value.
  int found = 0;
  ValueList two;
  two.ppush(new DirectValue<long, kTypeLong>(0));
  two.ppush(new DirectValue<long, kTypeLong>(1));
  EXPECT_EQ(nullptr, GroupOf(f)->eval(&two, &found));
  EXPECT_EQ(1, found);
}

// One statement over the group: which windows are reached and which error each mode
// raises, through Basic.
TEST(ControlGroup, BroadcastFollowsEvalRequires) {
  struct Case {
    const char* what;
    int mode;
    bool withWindows;
    const char* statement;  // "%" stands for the form's name
    unsigned error;         // 0: none
    int onlyB;              // B's OnlyB afterwards (-1: not checked)
  } cases[] = {
      {"set what only B has, Method", 2, true, "%.Controls.OnlyB = 7", 0, 7},
      {"set what only B has, Property", 1, true, "%.Controls.OnlyB = 8", 0, 8},
      {"set what only B has, Event: stops at A", 4, true, "%.Controls.OnlyB = 9", kMsgGroupMemberMissing, 0},
      {"read what no window has, Method", 2, true, "x = %.Controls.Nowhere", kMsgGroupNoMember, -1},
      {"read what no window has, Property", 1, true, "x = %.Controls.Nowhere", 0, -1},
      {"no windows, Event", 4, false, "x = %.Controls.Caption", kMsgGroupEmpty, -1},
      {"no windows, Method", 2, false, "x = %.Controls.Caption", kMsgGroupNoMember, -1},
      {"no windows, Property", 1, false, "x = %.Controls.Caption", 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IWForm* f = MakeForm(Unique("Cast"), c.withWindows ? kExampleBody : "");
    ASSERT_NE(nullptr, f);
    const std::string name = f->storeObj()->fullName();
    GroupOf(f)->pdSetEvalRequires(c.mode);
    EXPECT_EQ(c.mode, GroupOf(f)->pdGetEvalRequires());
    std::string statement = c.statement;
    statement.replace(statement.find('%'), 1, name);
    BasicOutcome out =
        BasicRunner::CompileAndRun("Sub S()\n  Dim x As Integer\n  " + statement + "\nEnd Sub\n", "S");
    EXPECT_EQ(c.error == 0, out.ok) << out.error;
    EXPECT_EQ(c.error, out.errorId) << out.error;
    if (c.onlyB >= 0) {
      EXPECT_EQ(std::to_string(c.onlyB), windowkit::RunBasicValue(name + ".B.OnlyB"));
    }
  }
}

TEST(ControlGroup, ReadingAMemberEveryWindowHasAnswersTheLastWindows) {
  IWForm* f = MakeForm(Unique("Last"), kExampleBody);
  ASSERT_NE(nullptr, f);
  const std::string name = f->storeObj()->fullName();
  windowkit::RunBasic(name + ".A.Caption = \"first\"\n" + name + ".B.Caption = \"last\"");
  EXPECT_EQ("last", windowkit::RunBasicValue(name + ".Controls.Caption", "String"));
  // A method call reaches every window; Sub methods answer the Integer 0.
  EXPECT_EQ("0", windowkit::RunBasicValue(name + ".Controls.Refresh()"));
  // Set on every window that has it.
  windowkit::RunBasic(name + ".Controls.Caption = \"both\"");
  EXPECT_EQ("both", windowkit::RunBasicValue(name + ".A.Caption", "String"));
  EXPECT_EQ("both", windowkit::RunBasicValue(name + ".B.Caption", "String"));
}

TEST(ControlGroup, EvalRequiresReadsTheLowestModeBit) {
  IWForm* f = MakeForm(Unique("Bits"));
  ControlGroup* g = GroupOf(f);
  ASSERT_NE(nullptr, g);
  struct Case {
    long set, read;
  } cases[] = {{4, 4}, {1, 1}, {2, 2}, {3, 1}, {6, 2}, {0, 4}};
  for (const Case& c : cases) {
    g->pdSetEvalRequires(c.set);
    EXPECT_EQ(c.read, g->pdGetEvalRequires()) << c.set;
  }
}

// A group made by loading a block (not through a form's Controls).
ControlGroup* NewGroup(InterObj& keep) {
  PrimInterObj g(ControlGroup::PO_GetObject(), (unsigned char)ObjectStore::kTempModule, (tInterObjType)1);
  keep = InterObj(g.get());
  return ControlGroup::Native(g.get());
}

TEST(ControlGroup, StreamRoundTripKeepsTheFormAndTheFlags) {
  IWForm* f = MakeForm(Unique("Stream"), kExampleBody);
  ASSERT_NE(nullptr, f);
  ControlGroup* g = GroupOf(f);
  g->pdSetEvalRequires(4);
  menukit::Bytes block = menukit::SaveMenu(*g);
  // Revision 1, a reference by name (kind "primary"), the flags byte.
  menukit::BlockWriter expected;
  expected.u8(1).u8(0x02).u8(f->storeObj()->module()).str(f->storeObj()->fullName().c_str()).u8(4);
  EXPECT_EQ(expected.b, block);
  InterObj keep;
  ControlGroup* copy = NewGroup(keep);
  ASSERT_NE(nullptr, copy);
  menukit::LoadMenu(*copy, block);
  EXPECT_EQ(f->storeObj(), copy->pdGetForm());
  EXPECT_EQ(4, copy->pdGetEvalRequires());
  EXPECT_EQ(2, copy->pdGetCount());
  EXPECT_EQ(f->storeObj()->findEmbed("B"), At(copy, 1));
  // No form: a null reference.
  InterObj keep2;
  ControlGroup* none = NewGroup(keep2);
  EXPECT_EQ((menukit::Bytes{1, 0, 2}), menukit::SaveMenu(*none));
}

TEST(ControlGroup, AReferenceThatIsNoFormLoadsAsAnEmptyGroup) {
  IWForm* f = MakeForm(Unique("NoForm"), kExampleBody);
  ASSERT_NE(nullptr, f);
  InterObjRep* button = f->storeObj()->findEmbed("A");
  ASSERT_NE(nullptr, button);
  struct Case {
    const char* what;
    menukit::Bytes block;
  } cases[] = {
      {"a button",
       menukit::BlockWriter().u8(1).u8(0x12).u8(button->module()).str(button->fullName().c_str()).u8(1).b},
      {"a name nothing has", menukit::BlockWriter().u8(1).u8(0x12).u8(0).str("NoSuchObject").u8(1).b},
      {"null", menukit::BlockWriter().u8(1).u8(0).u8(1).b},
      {"revision 0", menukit::BlockWriter().u8(0).u8(0).u8(1).b},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InterObj keep;
    ControlGroup* g = NewGroup(keep);
    ASSERT_NO_THROW(menukit::LoadMenu(*g, c.block));
    EXPECT_EQ(0, g->pdGetCount());
    EXPECT_EQ(nullptr, g->pdGetForm());
    EXPECT_EQ(1, g->pdGetEvalRequires());
    int found = -1;
    EXPECT_EQ(nullptr, At(g, 0, &found));
    EXPECT_EQ(0, found);
    found = -1;
    EXPECT_EQ(nullptr, g->eval("Caption", InterObjRep::kEvalGet, nullptr, &found));
    EXPECT_EQ(0, found);
  }
}

TEST(ControlGroup, DamagedBlocksFailWithObjectLoadFailed) {
  IWForm* f = MakeForm(Unique("Damaged"), kExampleBody);
  ASSERT_NE(nullptr, f);
  struct Case {
    const char* what;
    menukit::Bytes block;
  } cases[] = {
      {"empty", {}},
      {"revision 2", {2, 0, 2}},
      {"bad reference tag", {1, 0x05, 2}},
      {"no flags byte", {1, 0}},
      {"name cut short", menukit::BlockWriter().u8(1).u8(0x12).u8(0).u32(40).u8('F').b},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ControlGroup* g = GroupOf(f);
    try {
      menukit::LoadMenu(*g, c.block);
      ADD_FAILURE() << "loaded";
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("ControlGroup")) << e.what();
    }
  }
}

TEST(ControlGroup, AGroupOutlivingItsFormIsEmpty) {
  InterObj keep;
  {
    IWForm* f = MakeForm(Unique("Gone"), kExampleBody);
    ASSERT_NE(nullptr, f);
    keep = InterObj(f->pdGetControls());
    EXPECT_EQ(2, ControlGroup::Native(keep.get())->pdGetCount());
    f->storeObj()->Destroy();
  }
  ControlGroup* g = ControlGroup::Native(keep.get());
  ASSERT_NE(nullptr, g);
  EXPECT_EQ(0, g->pdGetCount());
  EXPECT_EQ(nullptr, g->pdGetForm());
}

}  // namespace
