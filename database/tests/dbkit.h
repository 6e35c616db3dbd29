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
#include "store/idstring.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/valstring.h"

namespace dbkit {

typedef std::vector<uint8_t> Bytes;

class RecordingApp : public StoreApplication {
 public:
  int ReportStoreError(StoreException& e) override {
    reports.push_back(e.what());
    return 1;
  }
  std::vector<std::string> reports;
};

inline RecordingApp& App() {
  static RecordingApp* app = [] {
    CoInitialize(nullptr);
    IdString::Initialize();
    auto* a = new RecordingApp;
    StoreApplication::HandleExceptions(1);
    ObjectStore::Initialize();
    return a;
  }();
  return *app;
}

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
  if (!proto) return nullptr;
  OpenModuleResource open(TestModule());
  static std::vector<Faultp<InterObjRep>>* kept = new std::vector<Faultp<InterObjRep>>;
  PrimInterObj o(proto, name, 0);
  kept->push_back(o);
  return o.get();
}

inline IStream* NewStream(const Bytes& b = {}) {
  IStream* s = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &s);
  ULONG n = 0;
  if (!b.empty()) s->Write(b.data(), (ULONG)b.size(), &n);
  LARGE_INTEGER zero = {};
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  return s;
}

inline Bytes Contents(IStream* s) {
  LARGE_INTEGER zero = {};
  ULARGE_INTEGER end = {};
  s->Seek(zero, STREAM_SEEK_END, &end);
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  Bytes b((size_t)end.QuadPart);
  ULONG n = 0;
  if (!b.empty()) s->Read(b.data(), (ULONG)b.size(), &n);
  return b;
}

// The text of a getter's new string (released here).
inline std::string Text(ValStringRep* rep) {
  if (!rep) return "<null>";
  ValString s(rep);
  return s.str();
}

}  // namespace dbkit
