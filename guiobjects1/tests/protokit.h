// What the protocol tests share: OLE and the store set up once, store errors recorded
// instead of shown, the test library's hooks, and small value helpers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "store/idstring.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/value.h"

namespace protokit {

// Records every reported store error.
class RecordingApp : public StoreApplication {
 public:
  int ReportStoreError(StoreException& e) override {
    reports.push_back(e.what());
    return 1;
  }
  // How many reports mention text.
  int mentioning(const std::string& text) const {
    int n = 0;
    for (const std::string& r : reports) n += r.find(text) != std::string::npos;
    return n;
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

inline HMODULE Protopub() {
  static HMODULE h = LoadLibraryA("oviui1_protopub.dll");
  return h;
}

template <class F>
F Hook(const char* name) {
  return reinterpret_cast<F>(GetProcAddress(Protopub(), name));
}

inline int Live() { return Hook<int (*)()>("protopubLive")(); }

struct ServerCounts {
  unsigned long refs, objects, locks;
};
inline ServerCounts Server() {
  unsigned long c[3];
  Hook<void (*)(unsigned long*)>("protopubServer")(c);
  return {c[0], c[1], c[2]};
}

inline CLSID ClassId(const char* text) {
  wchar_t w[40];
  MultiByteToWideChar(CP_ACP, 0, text, -1, w, 40);
  CLSID id = CLSID_NULL;
  CLSIDFromString(w, &id);
  return id;
}

inline long LongOf(Value* v) {
  ValuePtr hold;
  hold.adopt(v);
  return v ? v->asLong() : -999;
}

inline std::string TextOf(Value* v) {
  ValuePtr hold;
  hold.adopt(v);
  return v ? v->asString().str() : "<null>";
}

inline void Set(InterObjRep* obj, const char* name, Value* v) {
  ValueList l;
  l.ppush(v);
  obj->eval(name, InterObjRep::kEvalSet, &l);
}

}  // namespace protokit
