// Modules in compound files, the module manager, and publication of a test object DLL
// (native properties, methods and events through the DLL's class factory).
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "olecls/oclstorage.h"
#include "olecls/oclstream.h"
#include "store/enum.h"
#include "store/field_array.h"
#include "store/field_comp.h"
#include "store/field_data.h"
#include "store/groups.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/signature.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/value.h"
#include "objtest_util.h"
#include "testkit/testkit.h"

namespace {

using namespace objtest;

struct StoreSetup {
  StoreSetup() { SetUpStore(); }
} g_setup;

// The saved streams of the module below, byte for byte: the same on every build.
const char kWidgetsDump[] =
    "Module 107 "
    "4f564d4401000000080000007769646765747300010000000b00000057696467"
    "65744b696e6400010000000200000006000000536d616c6c0001000000060000"
    "004c61726765000700000004000000030000004f3000030000004f3100030000"
    "004f3200030000004f3300\n"
    "O0 196 "
    "0007000000576964676574000200010000000001000000000005000000010600"
    "0000436f756e7400000002010000000001060000004c6162656c000000060100"
    "00000002050000004b696e64000000020b0000005769646765744b696e640003"
    "050000004c696e6b000000070100000000060500000047726964000000240100"
    "0000000100000000000000020000000100000008000000507265737365640000"
    "0000000c0000002878204173204c6f6e67290000000000000000000000000000"
    "00000000\n"
    "O1 161 "
    "0003000000573100020001000000000100000000110000000000000000000000"
    "000400000006000000436f756e7400020c000000060000004c6162656c000603"
    "000000612262050000004b696e64000207000000050000004c696e6b00071102"
    "0000000100000005000000477269640001000000000200000004000000000000"
    "0000040000000000000000040000000000000440010000000300000000000000"
    "00\n"
    "O2 61 "
    "0003000000573200020001000000000100000000110000000000000000000000"
    "0001000000050000004c696e6b00071100000000000000000000000000\n"
    "O3 63 "
    "0105000000506172740003000100000000010000000011000000000000000000"
    "0000000100000006000000436f756e74000203000000000000000000000000\n";

TEST(Modules, SavedToACompoundFileAndLoadedBackEqual) {
  testkit::TestDataDir dir("ovstore_module");
  std::string path = dir.File("widgets.obo");
  long before = InterObjRep::LiveObjects();
  unsigned char m = ObjectStore::CreateModule("widgets", path.c_str());
  {
    OpenModuleResource open(m);
    EnumRep* kinds = new EnumRep("WidgetKind", 1);
    kinds->addEntry("Small", 1);
    kinds->addEntry("Large", 7);
    PrimInterObj widget("Widget", nullptr, 0);
    widget->addField(InterDataField::make("Count", 2), nullptr);
    widget->addField(InterDataField::make("Label", 6), nullptr);
    widget->addField(InterEnumField::make("Kind", kinds), nullptr);
    widget->addField(InterObjField::make("Link"), nullptr);
    InterArray<double, 4>* grid = InterArray<double, 4>::make("Grid");
    grid->defineDimen(0, 0, 2);
    widget->addField(grid, nullptr);
    widget->addEventDef(new EventDef("Pressed", 0, "(x As Long)", 0));
    PrimInterObj w1(widget.get(), "W1", 0);
    PrimInterObj w2(widget.get(), "W2", 0);
    Set(w1.get(), "Count", new DirectValue<long, 2>(12));
    Set(w1.get(), "Label", new DirectValue<ValString, 6>(ValString("a\"b")));
    Set(w1.get(), "Kind", new DirectValue<long, 2>(7));
    Set(w1.get(), "Link", new DirectValue<InterObj, 7>(InterObj(w2.get())));
    Set(w2.get(), "Link", new DirectValue<InterObj, 7>(InterObj(widget.get())));
    ValueList at;
    at.ppush(new DirectValue<long, 2>(2));
    at.ppush(new DirectValue<double, 4>(2.5));
    w1->eval("Grid", InterObjRep::kEvalSet, &at);
    PrimInterObj part(widget.get(), ObjectStore::kTempModule, 2);
    part->renameObject("Part");
    w1->addEmbed(part.get());
    Set(part.get(), "Count", new DirectValue<long, 2>(3));
  }
  EXPECT_TRUE(ObjectStore::ModuleDirty(m));
  EXPECT_EQ(1, ObjectStore::SaveModule(m));
  EXPECT_FALSE(ObjectStore::ModuleDirty(m));
  ObjectStore::UnloadModule(m, 1);
  EXPECT_EQ(kWidgetsDump, DumpCompoundFile(path));
  EXPECT_EQ(before, InterObjRep::LiveObjects());
  EXPECT_EQ(nullptr, ObjectStore::find("W1"));
  EXPECT_EQ(nullptr, EnumRep::find("WidgetKind"));

  // A valid compound file with the module's index stream.
  std::wstring wpath(path.begin(), path.end());
  IStorage* stg = nullptr;
  ASSERT_EQ(S_OK, StgOpenStorage(wpath.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &stg));
  IStream* head = nullptr;
  EXPECT_EQ(S_OK, stg->OpenStream(L"Module", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &head));
  if (head) head->Release();
  stg->Release();

  unsigned char lm = ObjectStore::LoadModule(path.c_str());
  EXPECT_STREQ("widgets", ObjectStore::ModuleName(lm));
  InterObjRep* w1 = ObjectStore::find("W1");
  InterObjRep* w2 = ObjectStore::find("W2");
  InterObjRep* widget = ObjectStore::find("Widget");
  ASSERT_TRUE(w1 && w2 && widget);
  EXPECT_EQ(widget, w1->parent());
  EXPECT_EQ(12, LongOf(w1->evalIMember("Count", nullptr)));
  EXPECT_EQ("a\"b", TextOf(w1->evalIMember("Label", nullptr)));
  EXPECT_EQ(7, LongOf(w1->evalIMember("Kind", nullptr)));
  ASSERT_NE(nullptr, EnumRep::find("WidgetKind"));
  EXPECT_STREQ("Large", EnumRep::find("WidgetKind")->textOf(7));
  ValuePtr link;
  link.adopt(w1->evalIMember("Link", nullptr));
  InterObj h;
  link->get(h);
  EXPECT_EQ(w2, h.get());
  link.adopt(w2->evalIMember("Link", nullptr));
  link->get(h);
  EXPECT_EQ(widget, h.get());
  ValueList idx;
  idx.ppush(new DirectValue<long, 2>(2));
  ValuePtr g;
  g.adopt(w1->evalIMember("Grid", &idx));
  double d = 0;
  g->get(d);
  EXPECT_EQ(2.5, d);
  InterObjRep* part = ObjectStore::find("W1.Part");
  ASSERT_NE(nullptr, part);
  EXPECT_EQ(w1, part->embeddedIn());
  EXPECT_EQ(3, LongOf(part->evalIMember("Count", nullptr)));
  EXPECT_EQ(0, LongOf(w2->evalIMember("Count", nullptr)));
  EXPECT_NE(nullptr, w2->findEventDef("Pressed"));
  EXPECT_FALSE(ObjectStore::ModuleDirty(lm));
  h.clear();
  link.clear();
  ObjectStore::UnloadModule(lm, 1);
  EXPECT_EQ(before, InterObjRep::LiveObjects());
}

TEST(Modules, StorageForOleControlsSaveAsAndSaveOnUnload) {
  testkit::TestDataDir dir("ovstore_modstg");
  std::string first = dir.File("first.obo"), second = dir.File("second.obo");
  unsigned char m = ObjectStore::CreateModule("stg", first.c_str());
  {
    OpenModuleResource open(m);
    PrimInterObj keep("Keeper", nullptr, 0);
    keep->addField(InterDataField::make("N", 2), nullptr);
  }
  EXPECT_EQ(nullptr, ObjectStore::ModuleStorage(m));
  ObjectStore::SaveModule(m);
  OCLStorage* stg = ObjectStore::ModuleStorage(m);
  ASSERT_NE(nullptr, stg);
  ASSERT_NE(nullptr, ObjectStore::ModuleStore(m));
  EXPECT_EQ(m, ObjectStore::ModuleStore(m)->moduleNumber());
  {
    OCLStorage controls(stg->storage(), "OleControlStore", 1,
                        STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
    ASSERT_TRUE(controls.is());
    OCLStream count(controls.storage(), "NumberOfOleControls", 1,
                    STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
    count.write((ULONG)3);
    controls->Commit(STGC_DEFAULT);
  }
  // Save as: the new file has the controls' storage too; changes are saved on unload.
  ObjectStore::SaveModule(m, second.c_str());
  EXPECT_STREQ(second.c_str(), ObjectStore::ModulePath(m));
  Set(ObjectStore::find("Keeper"), "N", new DirectValue<long, 2>(77));
  EXPECT_TRUE(ObjectStore::ModuleDirty(m));
  ObjectStore::UnloadModule(m, 0);
  unsigned char lm = ObjectStore::LoadModule(second.c_str());
  EXPECT_EQ(77, LongOf(ObjectStore::find("Keeper")->evalIMember("N", nullptr)));
  OCLStorage controls(ObjectStore::ModuleStorage(lm)->storage(), "OleControlStore", 0,
                      STGM_READ | STGM_SHARE_EXCLUSIVE);
  ASSERT_TRUE(controls.is());
  OCLStream count(controls.storage(), "NumberOfOleControls", 0, STGM_READ | STGM_SHARE_EXCLUSIVE);
  ULONG n = 0;
  count.read(&n);
  EXPECT_EQ(3u, n);
  ObjectStore::UnloadModule(lm, 1);
}

// An application whose text object files hold one object name per line.
class TextApp : public StoreApplication {
 public:
  int ReadTextObjectFile(const char* file, InterObjRep*) override {
    FILE* f = fopen(file, "r");
    if (!f) return 0;
    char line[100];
    while (fgets(line, sizeof line, f)) {
      line[strcspn(line, "\r\n")] = 0;
      if (*line) PrimInterObj(line, nullptr, 0);
    }
    fclose(f);
    return 1;
  }
};

class NoTextApp : public StoreApplication {
 public:
  int ReadTextObjectFile(const char*, InterObjRep*) override { return 0; }
};

TEST(Modules, ModuleManagerAndTextObjectFiles) {
  testkit::TestDataDir dir("ovstore_modmgr");
  std::string text = dir.File("app.txt");
  FILE* f = fopen(text.c_str(), "w");
  fputs("TextObjA\nTextObjB\n", f);
  fclose(f);
  std::string empty = dir.File("empty.obo");
  unsigned char em = ObjectStore::CreateModule("empty", empty.c_str());
  ObjectStore::SaveModule(em);
  ObjectStore::UnloadModule(em, 1);
  int modulesBefore = ObjectStore::ModuleCount();
  {
    TextApp app;
    unsigned char* token = nullptr;
    std::string names = text + ";" + empty;
    EXPECT_EQ(2, iModuleManager::LoadModules(names.c_str(), 0, token));
    ASSERT_NE(nullptr, token);
    EXPECT_EQ(2, token[0]);
    iModuleManager::PostLoadModulesNotify(token);
    EXPECT_EQ(modulesBefore + 2, iModuleManager::pdGetModuleCount());
    InterObjRep* a = ObjectStore::find("TextObjA");
    ASSERT_NE(nullptr, a);
    EXPECT_NE(ObjectStore::kTempModule, a->module());
    // Loading the same list again loads nothing new.
    EXPECT_EQ(0, iModuleManager::LoadModules(names.c_str(), 0, token));
    iModuleManager::PostLoadModulesNotify(token);
    ObjectStore::UnloadAllModules(1);
  }
  EXPECT_EQ(nullptr, ObjectStore::find("TextObjA"));
  EXPECT_EQ(0, ObjectStore::ModuleCount());
  // Without a text reader (an application that reads no text object files), and for
  // missing files: ModuleOpenFailed.
  {
    NoTextApp none;
    try {
      ObjectStore::LoadModule(text.c_str());
      FAIL();
    } catch (ModuleOpenFailed& e) {
      EXPECT_EQ("The module '" + text +
                    "' could not be opened. It is neither a module file nor a text object file.",
                std::string(e.what()));
    }
  }
  try {
    ObjectStore::LoadModule(dir.File("missing.obo").c_str());
    FAIL();
  } catch (ModuleOpenFailed& e) {
    EXPECT_EQ("The module '" + dir.File("missing.obo") + "' could not be opened. The file was not found.",
              std::string(e.what()));
  }
  EXPECT_EQ(0, ObjectStore::ModuleCount());
}

// --- publication -----------------------------------------------------------------------

int TestpubLive() {
  auto fn = reinterpret_cast<int (*)()>(
      GetProcAddress(GetModuleHandleA("ovstore_testpub.dll"), "testpubLiveObjects"));
  return fn ? fn() : -1;
}

TEST(Publication, TestDllRegistersItsClassesWithNativeMembers) {
  ObjectStore::PublishObjectDLL("ovstore_testpub");
  InterObjRep* proto = ObjectStore::find("Test");
  ASSERT_NE(nullptr, proto);
  EXPECT_TRUE(proto->isPrototype());
  EXPECT_EQ(InterObjRep::kKindClass, proto->kind());
  EXPECT_STREQ("Orvanel.Test", proto->progId());
  EXPECT_STREQ("ovstore_testpub", proto->getDefiningDLL());
  EXPECT_TRUE(proto->signature()->isCompFieldsDefined());
  int liveNatives = TestpubLive();
  EXPECT_EQ(2, liveNatives);                             // the two prototypes' natives
  ObjectStore::PublishObjectDLL("OVSTORE_TESTPUB.DLL");  // once only
  EXPECT_EQ(proto, ObjectStore::find("Test"));

  PrimInterObj t(proto, ObjectStore::kTempModule, 1);
  ASSERT_NE(nullptr, t->ROCDataPtr(0));
  EXPECT_TRUE(t->canBeTreatedAs(proto));
  EXPECT_EQ(t.get(), t->ROCDataPtr(0)->storeObj());

  // Properties through native getters and setters.
  Set(t.get(), "Value", new DirectValue<short, 1>(41));
  EXPECT_EQ(41, LongOf(t->evalIMember("Value", nullptr)));
  Set(t.get(), "Caption", new DirectValue<ValString, 6>(ValString("hello")));
  EXPECT_EQ("hello", TextOf(t->evalIMember("Caption", nullptr)));
  Set(t.get(), "Caption", new DirectValue<ValString, 6>(ValString()));
  EXPECT_EQ("<null>", TextOf(t->evalIMember("Caption", nullptr)));
  Set(t.get(), "Ratio", new DirectValue<double, 4>(0.5));
  ValuePtr r;
  r.adopt(t->evalIMember("Ratio", nullptr));
  EXPECT_EQ(kTypeFloat, r->type());
  EXPECT_EQ(0.5, r->asDouble());
  Set(t.get(), "Small", new DirectValue<long, 2>(-300));
  EXPECT_EQ(-300, LongOf(t->evalIMember("Small", nullptr)));
  Set(t.get(), "Enabled", new DirectValue<long, 2>(5));
  EXPECT_EQ(-1, LongOf(t->evalIMember("Enabled", nullptr)));
  EXPECT_EQ(EnumRep::find("Boolean"), t->findField("Enabled")->enumeration());
  EXPECT_EQ(7, LongOf(t->evalIMember("Raw", nullptr)));
  Set(t.get(), "Raw", new DirectValue<long, 2>(9));
  EXPECT_EQ(9, LongOf(t->evalIMember("Raw", nullptr)));
  EXPECT_EQ(4711, LongOf(t->evalIMember("Serial", nullptr)));
  try {
    Set(t.get(), "Serial", new DirectValue<long, 2>(1));
    FAIL();
  } catch (StoreException& e) {
    EXPECT_STREQ("Property 'Serial' is read-only.", e.what());
  }
  Set(t.get(), "Peer", new DirectValue<InterObj, 7>(InterObj(proto)));
  ValuePtr peer;
  peer.adopt(t->evalIMember("Peer", nullptr));
  InterObj ph;
  peer->get(ph);
  EXPECT_EQ(proto, ph.get());
  ph.clear();
  peer.clear();

  // Methods.
  ValueList ab;
  ab.ppush(new DirectValue<long, 2>(2));
  ab.ppush(new DirectValue<short, 1>(3));
  EXPECT_EQ(5, LongOf(t->evalIMember("Add", &ab)));
  ValueList join;
  join.ppush(new DirectValue<ValString, 6>(ValString("x")));
  join.ppush(new DirectValue<long, 2>(2));
  EXPECT_EQ("x:2", TextOf(t->evalIMember("Join", &join)));
  long n = 21;
  ValString s("hi");
  ValueList byRef;
  byRef.ppush(new IndirectValue<long, 2>(n));
  byRef.ppush(new IndirectValue<ValString, 6>(s));
  EXPECT_EQ(nullptr, t->evalIMember("Swap", &byRef));
  EXPECT_EQ(42, n);
  EXPECT_EQ("hi!", s.str());
  try {
    t->evalIMember("Add", nullptr);
    FAIL();
  } catch (StoreException& e) {
    EXPECT_STREQ("'Add' takes 2 argument(s), 0 given.", e.what());
  }

  // Every argument type by value, a Currency result beyond 32 bits, every type by
  // reference written back.
  ValueList mix;
  mix.ppush(new DirectValue<short, kTypeShort>(-3));
  mix.ppush(new DirectValue<long, kTypeLong>(100000));
  mix.ppush(new DirectValue<float, kTypeFloat>(0.25f));
  mix.ppush(new DirectValue<double, kTypeDouble>(1.5));
  mix.ppush(new DirectValue<Currency, kTypeCurrency>(Currency::fromRaw(12345)));
  mix.ppush(new DirectValue<ValString, kTypeString>(ValString("abcd")));
  mix.ppush(new DirectValue<InterObj, kTypeObject>(InterObj(t.get())));
  ValuePtr mixed;
  mixed.adopt(t->evalIMember("Mix", &mix));
  ASSERT_NE(nullptr, mixed.get());
  EXPECT_EQ(kTypeDouble, mixed->type());
  EXPECT_DOUBLE_EQ(-3 + 100000 + 0.25 + 1.5 + 1.2345 + 4 + 1000, mixed->asDouble());
  mixed.clear();
  ValueList scale;
  scale.ppush(new DirectValue<Currency, kTypeCurrency>(Currency::fromRaw(5000000000000LL)));
  scale.ppush(new DirectValue<float, kTypeFloat>(2.0f));
  ValuePtr scaled;
  scaled.adopt(t->evalIMember("Scale", &scale));
  ASSERT_NE(nullptr, scaled.get());
  EXPECT_EQ(kTypeCurrency, scaled->type());
  Currency cy;
  scaled->get(cy);
  EXPECT_EQ(10000000000000LL, cy.raw);
  scaled.clear();
  short bs = 41;
  float bf = 1.25f;
  double bd = 10;
  Currency bc = Currency::fromRaw(4294967295LL);
  ValueList bump;
  bump.ppush(new IndirectValue<short, kTypeShort>(bs));
  bump.ppush(new IndirectValue<float, kTypeFloat>(bf));
  bump.ppush(new IndirectValue<double, kTypeDouble>(bd));
  bump.ppush(new IndirectValue<Currency, kTypeCurrency>(bc));
  bump.ppush(new DirectValue<InterObj, kTypeObject>(InterObj(proto)));
  EXPECT_EQ(nullptr, t->evalIMember("Bump", &bump));
  EXPECT_EQ(42, bs);
  EXPECT_EQ(2.5f, bf);
  EXPECT_EQ(2.5, bd);
  EXPECT_EQ(4294967296LL, bc.raw);
  InterObj bo;
  bump[4]->get(bo);
  EXPECT_EQ(t.get(), bo.get());
  bo.clear();

  // Members declared through the parser library.
  ValString tail("n=");
  ValueList twice;
  twice.ppush(new DirectValue<long, 2>(21));
  twice.ppush(new IndirectValue<ValString, 6>(tail));
  EXPECT_EQ(42, LongOf(t->evalIMember("Twice", &twice)));
  EXPECT_EQ("n=21", tail.str());
  EXPECT_EQ("(ByVal n As Long, s As String)",
            std::string(static_cast<MethodField*>(t->findField("twice"))->paramText().data()));
  EXPECT_NE(nullptr, t->findEventDef("Pinged"));

  // The event: raised by the native code with a by-reference argument the handler
  // changes; first no handler, then one on the object, then one on a container.
  ValueList five;
  five.ppush(new DirectValue<long, 2>(5));
  EXPECT_EQ(-1, LongOf(t->evalIMember("Fire", &five)));
  EXPECT_NE(nullptr, t->findEventDef("Changed"));
  t->addField(new FnMethod("Changed",
                           [](InterObjRep&, ValueList* a) -> Value* {
                             (*a)[0]->set((short)((*a)[0]->asShort() * 10));
                             return nullptr;
                           }),
              nullptr);
  EXPECT_EQ(50, LongOf(t->evalIMember("Fire", &five)));
  PrimInterObj holder(nullptr, ObjectStore::kTempModule, 1);
  PrimInterObj gadget(proto, ObjectStore::kTempModule, 2);
  gadget->renameObject("T1");
  holder->addEmbed(gadget.get());
  holder->addField(new FnMethod("T1_Changed",
                                [](InterObjRep&, ValueList* a) -> Value* {
                                  (*a)[0]->set((short)((*a)[0]->asShort() + 1));
                                  return nullptr;
                                }),
                   nullptr);
  EXPECT_EQ(6, LongOf(gadget->evalIMember("Fire", &five)));

  // A derived native class: its base's members act on the derived object.
  InterObjRep* childProto = ObjectStore::find("TestChild");
  ASSERT_NE(nullptr, childProto);
  EXPECT_EQ(proto, childProto->parent());
  ASSERT_NE(nullptr, childProto->signature()->getCompBase());
  PrimInterObj c(childProto, ObjectStore::kTempModule, 1);
  EXPECT_TRUE(c->canBeTreatedAs(proto));
  Set(c.get(), "Value", new DirectValue<long, 2>(8));
  Set(c.get(), "Extra", new DirectValue<long, 2>(9));
  EXPECT_EQ(8, LongOf(c->evalIMember("Value", nullptr)));
  EXPECT_EQ(9, LongOf(c->evalIMember("Extra", nullptr)));
  EXPECT_EQ(815, LongOf(c->evalIMember("Serial", nullptr)));  // the derived declaration
  EXPECT_EQ(5, LongOf(c->evalIMember("Add", &ab)));
}

// The saved streams of the module of native objects below: the same on every build.
const char kNativesDump[] =
    "Module 42 "
    "4f564d4401000000080000006e61746976657300000000000200000003000000"
    "4f3000030000004f3100\n"
    "O0 78 "
    "00050000004e6174410002000100000000010000000012fe0500000054657374"
    "00000000000000000000000000000000000000000001017b0000000600000073"
    "6176656400000000001101000000\n"
    "O1 69 "
    "00050000004e6174420002000100000000010000000012fe0500000054657374"
    "0000000000000000000000000000000000000000000101000000000100000000"
    "0000000000\n";

TEST(Publication, NativeObjectsSaveAndLoadWithTheirModule) {
  ObjectStore::PublishObjectDLL("ovstore_testpub");
  InterObjRep* proto = ObjectStore::find("Test");
  ASSERT_NE(nullptr, proto);
  int nativesBefore = TestpubLive();
  long before = InterObjRep::LiveObjects();
  testkit::TestDataDir dir("ovstore_pubmod");
  std::string path = dir.File("natives.obo");
  unsigned char m = ObjectStore::CreateModule("natives", path.c_str());
  {
    OpenModuleResource open(m);
    PrimInterObj a(proto, "NatA", 0);
    PrimInterObj b(proto, "NatB", 0);
    Set(a.get(), "Value", new DirectValue<long, 2>(123));
    Set(a.get(), "Caption", new DirectValue<ValString, 6>(ValString("saved")));
    Set(a.get(), "Peer", new DirectValue<InterObj, 7>(InterObj(b.get())));
    EXPECT_EQ(nativesBefore + 2, TestpubLive());
  }
  ObjectStore::SaveModule(m);
  ObjectStore::UnloadModule(m, 1);
  EXPECT_EQ(kNativesDump, DumpCompoundFile(path));
  EXPECT_EQ(nativesBefore, TestpubLive());
  EXPECT_EQ(before, InterObjRep::LiveObjects());

  unsigned char lm = ObjectStore::LoadModule(path.c_str());
  InterObjRep* a = ObjectStore::find("NatA");
  ASSERT_NE(nullptr, a);
  EXPECT_EQ(proto, a->parent());
  EXPECT_EQ(123, LongOf(a->evalIMember("Value", nullptr)));
  EXPECT_EQ("saved", TextOf(a->evalIMember("Caption", nullptr)));
  ValuePtr peer;
  peer.adopt(a->evalIMember("Peer", nullptr));
  InterObj h;
  peer->get(h);
  EXPECT_EQ(ObjectStore::find("NatB"), h.get());
  h.clear();
  peer.clear();
  ObjectStore::UnloadModule(lm, 1);
  EXPECT_EQ(nativesBefore, TestpubLive());
  EXPECT_EQ(before, InterObjRep::LiveObjects());

  // A block written by a newer revision is refused with the class's name.
  PrimInterObj t(proto, ObjectStore::kTempModule, 1);
  OCLStream s;
  s.write((UCHAR)2);
  s.seekTo(0);
  try {
    t->ROCDataPtr(0)->PO_Load(s.stream());
    FAIL();
  } catch (ObjectLoadFailed& e) {
    EXPECT_STREQ("The stored data of class 'Test' was written by a newer version and cannot be loaded.",
                 e.what());
  }
}

TEST(Publication, RegistrationTakesAModulesObjectOrMakesThePrototype) {
  ObjectStore::RegisterNativeClass("Orvanel.RegTaken", []() -> IInterObj* { return new iGroup(nullptr); });
  unsigned char m = ObjectStore::CreateModule("reg");
  Faultp<InterObjRep>* holder = nullptr;
  {
    OpenModuleResource open(m);
    PrimInterObj taken("RegTaken", nullptr, 0);
    holder = ObjectStore::RegisterPublishedClass("RegTaken", nullptr);
    EXPECT_EQ(taken.get(), holder->get());
    EXPECT_EQ(tUncountedIndirectReference, holder->kind());
  }
  ObjectStore::UnloadModule(m, 1);
  EXPECT_TRUE(holder->isNull());  // dropped with its module: register again
  delete holder;
  holder = ObjectStore::RegisterPublishedClass("RegTaken", nullptr);
  ASSERT_TRUE(holder->is());
  EXPECT_TRUE((*holder)->isPrototype());
  EXPECT_EQ(ObjectStore::kTempModule, (*holder)->module());
  EXPECT_NE(nullptr, dynamic_cast<iGroup*>((*holder)->ROCDataPtr(0)));
  Faultp<InterObjRep>* again = ObjectStore::RegisterPublishedClass("RegTaken", nullptr);
  EXPECT_EQ(holder->get(), again->get());  // found, not made twice
  delete again;
  delete holder;
}

TEST(Publication, Failures) {
  try {
    ObjectStore::PublishObjectDLL("ovstore_no_such_library");
    FAIL();
  } catch (StoreException& e) {
    EXPECT_EQ(0u,
              std::string(e.what()).find("Couldn't load the object library 'ovstore_no_such_library.dll'"));
  }
  try {
    ObjectStore::PublishObjectDLL("kernel32");
    FAIL();
  } catch (StoreException& e) {
    EXPECT_STREQ("The library 'kernel32.dll' publishes no objects (POD_Populate is missing).", e.what());
  }
  // A declaration the parser refuses comes back as a store error.
  SignatureRep scratch(nullptr);
  EXPECT_THROW(ParseCppField("Sub (", scratch, nullptr), StoreException);
  EXPECT_THROW(ParseCppEvent("Function F()", scratch), StoreException);
}

}  // namespace
