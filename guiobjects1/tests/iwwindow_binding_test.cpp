// Binding a window to a field of a record set, against the test-only record set of
// fakerecordset.dll: "Update" and "UpdateDataSource", what is written, the DataSource
// setter's ways to a record set, and a copied window's binding.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "guiobjects1/idatacontrol.h"
#include "guiobjects1/iwwindow.h"
#include "iwwindow_kit.h"
#include "store/field_data.h"
#include "store/valstring.h"

namespace {

using namespace windowkit;

HMODULE Fake() {
  static HMODULE h = [] {
    WindowPrototype();
    ObjectStore::PublishObjectDLL("fakerecordset");
    return GetModuleHandleA("fakerecordset.dll");
  }();
  return h;
}

template <class F>
F Hook(const char* name) {
  return reinterpret_cast<F>(GetProcAddress(Fake(), name));
}

void SetField(InterObjRep* set, const char* name, const char* value) {
  Hook<void (*)(InterObjRep*, const char*, const char*)>("fakeSetField")(set, name, value);
}
std::string Field(InterObjRep* set, const char* name) {
  return Hook<const char* (*)(InterObjRep*, const char*)>("fakeField")(set, name);
}
int Writes(InterObjRep* set) { return Hook<int (*)(InterObjRep*)>("fakeWrites")(set); }
int Bound(InterObjRep* set) { return Hook<int (*)(InterObjRep*)>("fakeBound")(set); }

InterObjRep* NewRecordSet(const char* name) {
  Fake();
  OpenModuleResource open(TestModule());
  static std::vector<Faultp<InterObjRep>>* kept = new std::vector<Faultp<InterObjRep>>;
  PrimInterObj r(ObjectStore::find("FakeRecordSet"), name, 0);
  kept->push_back(r);
  return r.get();
}

// A window named name in a Basic object with "Update" and, when given, an
// "UpdateDataSource" body; updates keeps what "Update" got, a log counts the calls.
class Bound_ {
 public:
  Bound_(const char* name, const char* dataSourceBody) {
    TestApp();
    std::string text = "Dim updated As String\nDim calls As String\n";
    text += std::string("Sub ") + name +
            "_Update(ByVal value As String)\n  updated = \"[\" & value & \"]\"\n" +
            "  calls = calls & \"U\"\nEnd Sub\n";
    if (dataSourceBody)
      text += std::string("Sub ") + name + "_UpdateDataSource(value As String)\n  calls = calls & \"S\"\n" +
              dataSourceBody + "\nEnd Sub\n";
    BasicOutcome out;
    EXPECT_TRUE(runner_.compile(text, out)) << out.error;
    store_ = NewWindow(name);
    runner_.object()->addEmbed(store_);
  }
  IWWindow* window() const { return IWWindow::Native(store_); }
  InterObjRep* store() const { return store_; }
  std::string var(const char* name) const { return TextOf(runner_.object()->evalIMember(name, nullptr)); }

 private:
  BasicRunner runner_;
  InterObjRep* store_;
};

TEST(Binding, UpdateCutsTrailingBlanksAndKeepsLeadingOnes) {
  InterObjRep* set = NewRecordSet("People");
  struct Case {
    const char* value;
    const char* seen;
  } cases[] = {
      {"  Bob  ", "[  Bob]"}, {"Ann\t \r\n", "[Ann]"}, {"   ", "[]"}, {"", "[]"}, {"x y", "[x y]"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    std::string name = "UpdW" + std::to_string(++n);
    Bound_ b(name.c_str(), nullptr);
    SetField(set, "Name", c.value);
    b.window()->pdSetDataField("Name");
    b.window()->pdSetDataSource(set);
    EXPECT_EQ(c.seen, b.var("updated"));
    EXPECT_EQ(set, b.window()->pdGetDataSource());
    b.window()->pdSetDataSource(nullptr);
  }
  EXPECT_EQ(0, Bound(set));
}

TEST(Binding, UpdateDataSourceRunsOnlyWhenTheDataChangedAndWritesWhatItLeft) {
  InterObjRep* set = NewRecordSet("Stock");
  struct Case {
    const char* what;
    const char* body;     // the handler's body; null: no handler
    const char* caption;  // the window's own text
    long changed;
    const char* written;  // the field afterwards
    int writes;
  } cases[] = {
      {"unchanged: nothing runs", "  value = \"new\"", "x", 0, "old", 0},
      {"handler sets a value", "  value = \"new\"", "x", -1, "new", 1},
      {"handler leaves \"\": a cleared field", "", "x", -1, "", 1},
      {"handler sets the value back", "  value = \"old\"", "x", -1, "old", 1},
      {"no handler: the window's text", nullptr, "typed", -1, "typed", 1},
      {"no handler, cleared text", nullptr, "", -1, "", 1},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string name = "SrcW" + std::to_string(++n);
    Bound_ b(name.c_str(), c.body);
    SetField(set, "Qty", "old");
    IWWindow* w = b.window();
    w->pdSetDataField("Qty");
    w->pdSetDataSource(set);
    w->pdSetCaption(c.caption);
    int before = Writes(set);
    w->pdSetDataChanged(c.changed);
    w->evalUpdateDataSource();
    EXPECT_EQ(c.written, Field(set, "Qty"));
    EXPECT_EQ(c.writes, Writes(set) - before);
    EXPECT_EQ(0, w->pdGetDataChanged());
    EXPECT_EQ(c.changed && c.body ? "US" : "U", b.var("calls"));
    w->pdSetDataSource(nullptr);
  }
}

TEST(Binding, DataSourceThroughAnObjectsRecordSetMember) {
  InterObjRep* set = NewRecordSet("Orders");
  SetField(set, "Id", "7");
  Bound_ b("ViaW", nullptr);
  BasicRunner holder, empty, other;
  BasicOutcome out;
  ASSERT_TRUE(holder.compile("Dim RecordSet As Object\n", out)) << out.error;
  ASSERT_TRUE(empty.compile("Dim RecordSet As Object\n", out)) << out.error;
  ASSERT_TRUE(other.compile("Dim Something As Long\n", out)) << out.error;
  Set(holder.object(), "RecordSet", new DirectValue<InterObj, kTypeObject>(InterObj(set)));
  IWWindow* w = b.window();
  w->pdSetDataField("Id");
  w->pdSetDataSource(holder.object());
  EXPECT_EQ(set, w->pdGetDataSource());
  EXPECT_EQ("[7]", b.var("updated"));
  EXPECT_EQ(1, Bound(set));
  // A "RecordSet" member that is Nothing, and an object without one: no data source.
  for (InterObjRep* o : {empty.object(), other.object()}) {
    w->pdSetDataSource(set);
    w->pdSetDataSource(o);
    EXPECT_EQ(nullptr, w->pdGetDataSource());
    EXPECT_EQ(0, Bound(set));
  }
}

TEST(Binding, ACopiedWindowBindsToTheSameFreeRecordSet) {
  InterObjRep* set = NewRecordSet("Free");
  SetField(set, "Code", "A1 ");
  Bound_ original("OrigW", nullptr), copy("CopyW", nullptr);
  original.window()->pdSetDataField("Code");
  original.window()->pdSetDataSource(set);
  copy.window()->fixupCopiedDataSource(InterObj(original.store()));
  EXPECT_EQ(set, copy.window()->pdGetDataSource());
  EXPECT_EQ("Code", ValString(copy.window()->pdGetDataField()).str());
  EXPECT_EQ("[A1]", copy.var("updated"));
  EXPECT_EQ(2, Bound(set));
}

// A container window holding a record set and a window bound to it, copied through the
// store: the copied window binds to the copy's own record set, the original stays bound
// to the original's, in either embed order.
TEST(Binding, ACopiedContainersWindowBindsToTheCopysRecordSet) {
  TestApp();
  Fake();
  for (bool setFirst : {true, false}) {
    SCOPED_TRACE(setFirst ? "record set embedded first" : "window embedded first");
    std::string tag = setFirst ? "S" : "W";
    InterObjRep* holder = NewWindow(("Holder" + tag).c_str());
    EmbedObjField* data = EmbedObjField::make("Data", "FakeRecordSet");
    EmbedObjField* field = EmbedObjField::make("Field", "Window");
    holder->addField(setFirst ? data : field, nullptr);
    holder->addField(setFirst ? field : data, nullptr);
    InterObjRep* set = nullptr;
    InterObjRep* ctl = nullptr;
    if (setFirst) set = data->makeEmbedded(*holder);
    ctl = field->makeEmbedded(*holder);
    if (!setFirst) set = data->makeEmbedded(*holder);
    ASSERT_NE(nullptr, set);
    ASSERT_NE(nullptr, ctl);
    SetField(set, "Code", "B2");
    IWWindow::Native(ctl)->pdSetDataField("Code");
    IWWindow::Native(ctl)->pdSetDataSource(set);
    ASSERT_EQ(set, IWWindow::Native(ctl)->pdGetDataSource());

    Faultp<InterObjRep> copy = holder->copy(("HolderCopy" + tag).c_str(), TestModule());
    InterObjRep* copySet = copy->findEmbed("Data");
    InterObjRep* copyCtl = copy->findEmbed("Field");
    ASSERT_NE(nullptr, copySet);
    ASSERT_NE(nullptr, copyCtl);
    ASSERT_NE(set, copySet);
    IWWindow* w = IWWindow::Native(copyCtl);
    ASSERT_NE(nullptr, w);
    EXPECT_EQ(copySet, w->pdGetDataSource());
    EXPECT_EQ("Code", ValString(w->pdGetDataField()).str());
    EXPECT_EQ(1, Bound(copySet));
    EXPECT_EQ(1, Bound(set));
    EXPECT_EQ(set, IWWindow::Native(ctl)->pdGetDataSource());
    copy->Destroy();
    EXPECT_EQ(1, Bound(set));
  }
}

}  // namespace
