// "Database": registered once and found again, its revision byte on a memory stream, a
// newer revision refused, every base operation neutral, and the library's class objects.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "database/dbdll.h"
#include "database/idbase.h"
#include "database/recrdsrc.h"
#include "dbkit.h"
#include "store/signature.h"
#include "utils/xexception.h"

namespace {

using namespace dbkit;

iDatabase* NewDatabase(const char* name) { return iDatabase::Native(NewObject(DatabaseClass(), name)); }

// First in the file: nothing is registered yet.
TEST(Database, InitObjectCreatesThePrototypeOnceAndFindsItAgain) {
  App();
  ASSERT_EQ(nullptr, ObjectStore::find("Database"));
  InterObjRep* proto = DatabaseClass();
  ASSERT_NE(nullptr, proto);
  EXPECT_EQ(proto, ObjectStore::find("Database"));
  EXPECT_STREQ("Orvanel.Database", proto->progId());
  EXPECT_STREQ("Database", proto->name());
  EXPECT_TRUE(proto->isPrototype());
  ASSERT_NE(nullptr, proto->ROCDataPtr(0));
  EXPECT_NE(nullptr, dynamic_cast<iDatabase*>(proto->ROCDataPtr(0)));
  // Fields defined, none of them its own.
  ASSERT_NE(nullptr, proto->signature());
  EXPECT_TRUE(proto->signature()->isCompFieldsDefined());
  // Again: the same prototype, nothing new made.
  iDatabase::PO_InitObject();
  EXPECT_EQ(proto, iDatabase::PO_GetObject());
  EXPECT_EQ(proto, ObjectStore::find("Database"));
  // Defining the fields twice is a program error.
  EXPECT_THROW(proto->ROCDataPtr(0)->PO_DefineFields(*proto->signature()), XAssert);
}

TEST(Database, RevisionByteOneIsTheWholeBlock) {
  iDatabase* db = NewDatabase("Saved");
  ASSERT_NE(nullptr, db);
  db->setDirty(true);
  IStream* s = NewStream();
  ASSERT_EQ(S_OK, db->Save(s, TRUE));
  EXPECT_EQ(Bytes({1}), Contents(s));
  EXPECT_EQ(S_FALSE, db->IsDirty());  // cleared by Save
  s->Release();
  EXPECT_EQ(1, db->PO_GetRevisionLevel());

  // Read back: one byte consumed, the object unchanged.
  IStream* in = NewStream({1, 0xAB});
  db->storeObj()->setFlag(InterObjRep::kFlagDirty, false);
  db->PO_Load(in);
  LARGE_INTEGER zero = {};
  ULARGE_INTEGER at = {};
  in->Seek(zero, STREAM_SEEK_CUR, &at);
  EXPECT_EQ(1u, at.QuadPart);
  EXPECT_FALSE(db->storeObj()->flags() & InterObjRep::kFlagDirty);
  in->Release();
}

TEST(Database, RevisionZeroLoadsAndMarksTheObjectChanged) {
  iDatabase* db = NewDatabase("Old");
  db->storeObj()->setFlag(InterObjRep::kFlagDirty, false);
  IStream* in = NewStream({0});
  db->PO_Load(in);
  EXPECT_TRUE(db->storeObj()->flags() & InterObjRep::kFlagDirty);
  in->Release();
}

TEST(Database, ANewerRevisionFailsBeforeAnythingMoreIsRead) {
  iDatabase* db = NewDatabase("Newer");
  for (uint8_t revision : {2, 3, 0xFF}) {
    IStream* in = NewStream({revision, 1, 2, 3});
    std::string name = "<nothing thrown>";
    try {
      db->PO_Load(in);
    } catch (ObjectLoadFailed& e) {
      name = e.arg(0);
    }
    EXPECT_EQ("Database", name) << (int)revision;
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER at = {};
    in->Seek(zero, STREAM_SEEK_CUR, &at);
    EXPECT_EQ(1u, at.QuadPart);
    in->Release();
  }
  // An empty stream is damaged data of the class.
  IStream* empty = NewStream();
  EXPECT_THROW(db->PO_Load(empty), ObjectLoadFailed);
  empty->Release();
}

TEST(Database, EveryBaseOperationAnswersNeutrally) {
  iDatabase* db = NewDatabase("Neutral");
  ASSERT_NE(nullptr, db);
  EXPECT_EQ(kDatabasePlain, db->pdGetDatabaseType());
  struct LongCase {
    const char* name;
    std::function<long()> get;
  };
  const LongCase longs[] = {
      {"AutoUpdate", [&] { return db->pdGetAutoUpdate(); }},
      {"Connected", [&] { return db->pdGetConnected(); }},
      {"ReadOnly", [&] { return db->pdGetReadOnly(); }},
      {"KindValue1", [&] { return db->pdGetKindValue1(); }},
      {"KindValue2", [&] { return db->pdGetKindValue2(); }},
      {"QueryTimeout", [&] { return db->pdGetQueryTimeout(); }},
      {"IsolationLevel", [&] { return db->pdGetIsolationLevel(); }},
      {"KindValue3", [&] { return db->pdGetKindValue3(); }},
      {"KindValue4", [&] { return db->pdGetKindValue4(); }},
      {"KindValue5", [&] { return db->pdGetKindValue5(); }},
  };
  struct TextCase {
    const char* name;
    std::function<ValStringRep*()> get;
  };
  const TextCase texts[] = {
      {"Connect", [&] { return db->pdGetConnect(); }},
      {"KindText1", [&] { return db->pdGetKindText1(); }},
      {"KindText2", [&] { return db->pdGetKindText2(); }},
      {"KindText3", [&] { return db->pdGetKindText3(); }},
      {"EmptyColumnText", [&] { return db->emptyColumnText(0); }},
  };
  // The setters and operations have no effect: the queries read the same afterwards.
  db->storeObj()->setFlag(InterObjRep::kFlagDirty, false);
  db->pdSetAutoUpdate(-1);
  db->pdSetConnect("DSN=OrvanelTest");
  db->pdSetReadOnly(-1);
  db->pdSetKindValue1(5);
  db->pdSetQueryTimeout(30);
  db->pdSetIsolationLevel(8);
  db->imBeginTrans();
  db->imCommitTrans();
  db->imRollback();
  db->imRefresh();
  db->imDisconnect();
  for (const LongCase& c : longs) EXPECT_EQ(0, c.get()) << c.name;
  for (const TextCase& c : texts) {
    ValStringRep* a = c.get();
    ValStringRep* b = c.get();
    EXPECT_NE(a, b) << c.name << ": each call hands out a new string";
    EXPECT_EQ("", Text(a)) << c.name;
    EXPECT_EQ("", Text(b)) << c.name;
  }
  EXPECT_EQ(nullptr, db->recordSource());
  EXPECT_FALSE(db->storeObj()->flags() & InterObjRep::kFlagDirty);
}

// The kinds pass their type to the base.
TEST(Database, AKindKeepsItsType) {
  iDatabase odbc(nullptr, kDatabaseOdbc), fixed(nullptr, kDatabaseFixed);
  EXPECT_EQ(kDatabaseOdbc, odbc.pdGetDatabaseType());
  EXPECT_EQ(kDatabaseFixed, fixed.pdGetDatabaseType());
}

TEST(Database, CanBeTreatedAsDatabaseAndOthersCannot) {
  InterObjRep* db = NewObject(DatabaseClass(), "TreatedAs");
  EXPECT_TRUE(db->canBeTreatedAs(DatabaseClass()));
  EXPECT_EQ(iDatabase::Native(db), db->ROCDataPtr(0));
  EXPECT_EQ(nullptr, iDatabase::Native(nullptr));
}

// The library's class objects: the "Database" factory makes natives and refuses
// aggregation; ids of classes it does not build, and unknown ids, answer E_FAIL.
TEST(Database, ClassObjectsOfTheLibrary) {
  App();
  ASSERT_NE(nullptr, DbDll::TheDll());
  IClassFactory* f = nullptr;
  CLSID id = POClassId(DbDll::Row(kOvdbDatabase).clsid);
  ASSERT_EQ(S_OK, DbDll::TheDll()->GetClassObject(id, IID_IClassFactory, reinterpret_cast<void**>(&f)));
  IUnknown* outer = f;
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(CLASS_E_NOAGGREGATION, f->CreateInstance(outer, IID_IUnknown, &out));
  EXPECT_EQ(nullptr, out);
  IPersistStream* ps = nullptr;
  ASSERT_EQ(S_OK, f->CreateInstance(nullptr, IID_IPersistStream, reinterpret_cast<void**>(&ps)));
  CLSID got = CLSID_NULL;
  EXPECT_EQ(S_OK, ps->GetClassID(&got));
  EXPECT_TRUE(IsEqualCLSID(id, got));
  ps->Release();
  f->Release();
  for (OvdbRow row :
       {kOvdbMessage, kOvdbOdbc, kOvdbDynaset, kOvdbText, kOvdbFixedAscii, kOvdbDelimitedAscii}) {
    void* none = nullptr;
    EXPECT_EQ(E_FAIL,
              DbDll::TheDll()->GetClassObject(POClassId(DbDll::Row(row).clsid), IID_IClassFactory, &none))
        << DbDll::Row(row).name;
  }
  void* none = nullptr;
  EXPECT_EQ(E_FAIL, DbDll::TheDll()->GetClassObject(IID_IUnknown, IID_IClassFactory, &none));
  EXPECT_STREQ("{0c0f03c5-acda-11ce-a0f3-004090006ac3}", DbDll::Row(kOvdbDatabase).clsid);
}

}  // namespace
