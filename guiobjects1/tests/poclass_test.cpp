// The static protocol and stream framing every published class shares, on the test
// library's classes: registration through POD_Populate, stream blocks against golden
// bytes, field declaration failures, and an event whose Basic handler changes its
// by-reference arguments.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <string>
#include <vector>

#include "basicrunner.h"
#include "olecls/ocl.h"
#include "parser/ovparse.h"
#include "protokit.h"
#include "store/enum.h"
#include "store/groups.h"
#include "store/podefine.h"
#include "store/procfield.h"
#include "store/signature.h"

namespace {

using namespace protokit;
typedef std::vector<uint8_t> Bytes;

InterObjRep* Published() {
  App();
  ObjectStore::PublishObjectDLL("oviui1_protopub");  // once only
  return ObjectStore::find("ProtoBase");
}

IStream* StreamOf(const Bytes& b) {
  IStream* s = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &s);
  ULONG n = 0;
  if (!b.empty()) s->Write(b.data(), (ULONG)b.size(), &n);
  LARGE_INTEGER zero = {};
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  return s;
}

ULONG Position(IStream* s) {
  LARGE_INTEGER zero = {};
  ULARGE_INTEGER at = {};
  s->Seek(zero, STREAM_SEEK_CUR, &at);
  return (ULONG)at.QuadPart;
}

Bytes Saved(IPersistStream* ps, BOOL clearDirty) {
  IStream* s = StreamOf({});
  EXPECT_EQ(S_OK, ps->Save(s, clearDirty));
  ULONG size = Position(s);
  LARGE_INTEGER zero = {};
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  Bytes b(size);
  ULONG n = 0;
  if (size) s->Read(b.data(), size, &n);
  s->Release();
  return b;
}

TEST(Registration, PopulateTakesNamesReportsFailuresAndRegistersOnce) {
  RecordingApp& app = App();
  const size_t reports0 = app.reports.size();
  unsigned char m = ObjectStore::CreateModule("protocol_taken");
  InterObjRep* taken = nullptr;
  {
    OpenModuleResource open(m);
    PrimInterObj t("ProtoTaken", nullptr, 0);
    taken = t.get();
  }
  InterObjRep* base = Published();
  ASSERT_NE(nullptr, base);

  // Every class but the broken one registered, in the store's temporary module.
  InterObjRep* derived = ObjectStore::find("ProtoDerived");
  InterObjRep* half = ObjectStore::find("ProtoHalf");
  ASSERT_TRUE(derived && half);
  EXPECT_EQ(nullptr, ObjectStore::find("ProtoBroken"));
  EXPECT_EQ(nullptr, ObjectStore::find("ProtoLater"));
  EXPECT_TRUE(base->isPrototype());
  EXPECT_STREQ("Orvanel.ProtoBase", base->progId());
  EXPECT_STREQ("oviui1_protopub", base->getDefiningDLL());
  EXPECT_EQ(nullptr, base->parent());
  EXPECT_EQ(base, derived->parent());
  EXPECT_TRUE(derived->canBeTreatedAs(base));
  // A name a loaded module holds is the prototype.
  EXPECT_EQ(taken, Hook<InterObjRep* (*)()>("protopubTakenPrototype")());

  // The broken class is reported once; the half-declared class once, and its signature
  // counts as defined with the members declared before the failure.
  EXPECT_EQ(1, app.mentioning("ProtoBroken"));
  EXPECT_EQ(reports0 + 2, app.reports.size());
  if (app.reports.size() != reports0 + 2)
    for (size_t i = reports0; i < app.reports.size(); ++i) ADD_FAILURE() << "report: " << app.reports[i];
  EXPECT_TRUE(half->signature()->isCompFieldsDefined());
  EXPECT_NE(nullptr, half->findField("Before"));
  EXPECT_EQ(nullptr, half->findField("After"));

  // The class's own enumeration, made once.
  EnumRep* colour = EnumRep::find("ProtoColour");
  ASSERT_NE(nullptr, colour);
  EXPECT_STREQ("Blue", colour->textOf(4));
  EXPECT_EQ(colour, base->findField("Colour")->enumeration());
  EXPECT_EQ(EnumRep::find("Boolean"), base->findField("Flag")->enumeration());

  // Populating again registers nothing new (the broken class tries again).
  const int natives = Live();
  const int enums = EnumRep::Count();
  Hook<void (*)()>("POD_Populate")();
  EXPECT_EQ(base, ObjectStore::find("ProtoBase"));
  EXPECT_EQ(derived, ObjectStore::find("ProtoDerived"));
  EXPECT_EQ(natives, Live());
  EXPECT_EQ(enums, EnumRep::Count());
  EXPECT_EQ(2, app.mentioning("ProtoBroken"));

  // PO_GetObject of a class that cannot register fails with the store's error.
  try {
    Hook<InterObjRep* (*)()>("protopubBrokenPrototype")();
    ADD_FAILURE() << "no error";
  } catch (const XAssert& e) {
    ADD_FAILURE() << "asserted: " << e.what();
  } catch (const StoreException& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("ProtoBroken")) << e.what();
  }

  // When the module goes, the class registers a prototype of its own.
  ObjectStore::UnloadModule(m, 1);
  InterObjRep* own = Hook<InterObjRep* (*)()>("protopubTakenPrototype")();
  ASSERT_NE(nullptr, own);
  EXPECT_TRUE(own->isPrototype());
  EXPECT_STREQ("Orvanel.ProtoTaken", own->progId());
}

TEST(Registration, TheFrameAssertsOnMisuse) {
  InterObjRep* base = Published();
  struct Case {
    const char* what;
    void (*act)(InterObjRep* proto);
    const char* condition;
  } cases[] = {
      {"a signature defined twice",
       [](InterObjRep* p) { p->ROCDataPtr(0)->PO_DefineFields(*p->signature()); },
       "!sig.isCompFieldsDefined()"},
      {"an enumeration nobody made", [](InterObjRep*) { PO_FindEnum("ProtoNoSuchEnum"); }, "(EnumRep*)e"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      c.act(base);
      ADD_FAILURE() << "no assertion";
    } catch (const XAssert& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find(c.condition)) << e.what();
    }
  }
}

// Value 5, Text "ab", Extra 7: the derived revision byte, the base's complete block
// (its revision byte, Value, Text), then Extra.
const Bytes kDerivedBlock = {0x01, 0x01, 0x05, 0x00, 0x00, 0x00, 0x03, 0x00,
                             0x00, 0x00, 'a',  'b',  0x00, 0x07, 0x00};

TEST(Streams, DerivedBlockNestsTheBaseBlock) {
  InterObjRep* derived = (Published(), ObjectStore::find("ProtoDerived"));
  ASSERT_NE(nullptr, derived);
  PrimInterObj obj(derived, ObjectStore::kTempModule, 1);
  IInterObj* native = obj->ROCDataPtr(0);
  ASSERT_NE(nullptr, native);
  IPersistStream* ps = native;
  Set(obj.get(), "Value", new DirectValue<long, 2>(5));
  Set(obj.get(), "Text", new DirectValue<ValString, 6>(ValString("ab")));
  Set(obj.get(), "Extra", new DirectValue<short, 1>(7));
  EXPECT_EQ(S_OK, ps->IsDirty());
  EXPECT_EQ(kDerivedBlock, Saved(ps, FALSE));
  EXPECT_EQ(S_OK, ps->IsDirty());
  EXPECT_EQ(kDerivedBlock, Saved(ps, TRUE));  // the same bytes, and clean
  EXPECT_EQ(S_FALSE, ps->IsDirty());
  EXPECT_EQ(1, native->PO_GetRevisionLevel());

  struct Case {
    const char* what;
    Bytes bytes;
    const char* refusedClass;  // null: loads
    ULONG readUpTo;            // stream position afterwards
    HRESULT dirty;             // IsDirty afterwards
    long value;
    short extra;
  };
  const Case cases[] = {
      {"the current revision", kDerivedBlock, nullptr, 15, S_FALSE, 5, 7},
      {"revision 0 loads and marks the object changed",
       {0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00},
       nullptr,
       13,
       S_OK,
       9,
       3},
      {"a newer derived block is refused before anything else is read",
       {0x02, 0x01, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00},
       "ProtoDerived",
       1,
       S_FALSE,
       5,
       7},
      {"a newer base block is refused with the base's name",
       {0x01, 0x02, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00},
       "ProtoBase",
       2,
       S_FALSE,
       5,
       7},
      {"a damaged text fails the load",
       {0x01, 0x01, 0x09, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 'a'},
       "ProtoBase",
       11,
       S_FALSE,
       5,
       7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IStream* reset = StreamOf(kDerivedBlock);
    ASSERT_EQ(S_OK, ps->Load(reset));
    reset->Release();
    Saved(ps, TRUE);
    IStream* s = StreamOf(c.bytes);
    if (c.refusedClass) {
      try {
        native->PO_Load(s);
        ADD_FAILURE() << "loaded";
      } catch (const ObjectLoadFailed& e) {
        EXPECT_EQ(std::string("The stored data of class '") + c.refusedClass +
                      "' was written by a newer version and cannot be loaded.",
                  e.what());
      }
      // OLE's entry answers a failure and throws nothing.
      LARGE_INTEGER zero = {};
      ULONG at = Position(s);
      s->Seek(zero, STREAM_SEEK_SET, nullptr);
      EXPECT_TRUE(FAILED(ps->Load(s)));
      EXPECT_NE(nullptr, strstr(OleResult::buf, c.refusedClass));
      EXPECT_EQ(c.readUpTo, at);
    } else {
      EXPECT_EQ(S_OK, ps->Load(s));
      EXPECT_EQ(c.readUpTo, Position(s));
    }
    s->Release();
    EXPECT_EQ(c.dirty, ps->IsDirty());
    EXPECT_EQ(c.value, LongOf(obj->evalIMember("Value", nullptr)));
    EXPECT_EQ(c.extra, LongOf(obj->evalIMember("Extra", nullptr)));
  }
}

TEST(Streams, ClassIds) {
  InterObjRep* base = Published();
  PrimInterObj obj(base, ObjectStore::kTempModule, 1);
  CLSID id = CLSID_NULL;
  EXPECT_EQ(S_OK, obj->ROCDataPtr(0)->GetClassID(&id));
  EXPECT_TRUE(IsEqualCLSID(ClassId("{3F2A6C40-81D5-4E7B-A1C9-5D0E7B9F6A10}"), id));
  // The store's own classes have none: the null id, never garbage.
  PrimInterObj group(iGroup::PO_GetObject(), ObjectStore::kTempModule, 1);
  memset(&id, 0xCD, sizeof id);
  EXPECT_EQ(S_OK, group->ROCDataPtr(0)->GetClassID(&id));
  EXPECT_TRUE(IsEqualCLSID(CLSID_NULL, id));
}

// The native Fire raises Changed(n, note) by reference; the Basic handler changes
// both and the native code reads them back.
TEST(Events, BasicHandlerChangesByReferenceArguments) {
  InterObjRep* base = Published();
  unsigned char m = ObjectStore::CreateModule("protocol_events");
  {
    OpenModuleResource open(m);
    PrimInterObj e1(base, "EventSource1", 0);
    PrimInterObj e2(base, "EventSource2", 0);
    Set(e1.get(), "Text", new DirectValue<ValString, 6>(ValString("ab")));
    std::string handler =
        "Sub Changed(n As Integer, note As String)\n"
        "  n = n * 10\n"
        "  note = note & \"!\"\n"
        "End Sub\n";
    InterProcField* proc = nullptr;
    ParserParseProcedure(proc, &handler[0]);
    ASSERT_NE(nullptr, proc);
    e1->addField(proc, nullptr, 0);
  }
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function Go() As Long\n"
      "  Dim handled As Long\n"
      "  handled = EventSource1.Fire(4)\n"
      "  Go = handled * 1000 + EventSource2.Fire(4)\n"
      "End Function\n",
      "Go");
  EXPECT_TRUE(out.ok) << out.error;
  EXPECT_EQ("39999", out.result);  // 40 from the handler; -1 without one
  EXPECT_EQ("ab!", TextOf(ObjectStore::find("EventSource1")->evalIMember("Text", nullptr)));
  ObjectStore::UnloadModule(m, 1);
}

}  // namespace
