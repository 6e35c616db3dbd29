// What ovdb's tests share: OLE and the store set up once with store errors recorded,
// "Database" registered through its own class factory, named objects in a test module
// and stream blocks as bytes on memory streams.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <string>
#include <vector>

#include "database/dbdll.h"
#include "database/idbase.h"
#include "testkit/storekit.h"
#include "store/idstring.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/valstring.h"

namespace dbkit {

using storekit::Bytes;
using storekit::Contents;
using storekit::LoadBytes;
using storekit::NewStream;
using storekit::SaveBytes;

class RecordingApp : public StoreApplication {
 public:
  int ReportStoreError(StoreException& e) override {
    reports.push_back(e.what());
    return 1;
  }
  std::vector<std::string> reports;
};

inline RecordingApp& App() { return storekit::StartStore<RecordingApp>(); }

// A "Database" native made by the library's own class factory.
inline IInterObj* MakeDatabaseNative() {
  IClassFactory* factory = nullptr;
  CLSID id = POClassId(DbDll::Row(kOvdbDatabase).clsid);
  if (FAILED(DbDll::TheDll()->GetClassObject(id, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
    return nullptr;
  IPersistStream* ps = nullptr;
  factory->CreateInstance(nullptr, IID_IPersistStream, reinterpret_cast<void**>(&ps));
  factory->Release();
  return dynamic_cast<IInterObj*>(ps);
}

// The store up and "Database" registered (its PO_InitObject, as the library's
// registration will call it); the store makes its natives through the class factory.
inline InterObjRep* DatabaseClass() {
  App();
  static bool once = [] {
    ObjectStore::RegisterNativeClass("Orvanel.Database", &MakeDatabaseNative);
    return true;
  }();
  (void)once;
  iDatabase::PO_InitObject();
  return iDatabase::PO_GetObject();
}

inline unsigned char TestModule() {
  static unsigned char m = ObjectStore::CreateModule("db_test");
  return m;
}

// A named object of class proto in the test module (kept for the process).
inline InterObjRep* NewObject(InterObjRep* proto, const char* name) {
  return storekit::KeptObject(TestModule(), proto, name);
}

// The text of a getter's new string (released here).
inline std::string Text(ValStringRep* rep) {
  if (!rep) return "<null>";
  ValString s(rep);
  return s.str();
}

}  // namespace dbkit
