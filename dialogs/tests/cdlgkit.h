// What ovcdlg's tests share: OLE and the store set up once with store errors and busy
// signals recorded, ovcdlg published, named dialog objects in a test module, stream
// blocks as bytes, Basic run on the objects.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <string>
#include <vector>

#include "basicrunner.h"
#include "store/idstring.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"

namespace cdlgkit {

typedef std::vector<uint8_t> Bytes;

class RecordingApp : public StoreApplication {
 public:
  int ReportStoreError(StoreException& e) override {
    reports.push_back(e.what());
    return 1;
  }
  void SignalBusyV() override {
    signals += "busy,";
    StoreApplication::SignalBusyV();
  }
  void SignalNotBusyV() override {
    signals += "not busy,";
    StoreApplication::SignalNotBusyV();
  }
  int mentioning(const std::string& text) const {
    int n = 0;
    for (const std::string& r : reports) n += r.find(text) != std::string::npos;
    return n;
  }
  std::vector<std::string> reports;
  std::string signals;
};

// The store without any library published yet.
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

inline void Publish() {
  static bool done = [] {
    App();
    ObjectStore::PublishObjectDLL("ovcdlg");
    return true;
  }();
  (void)done;
}

inline unsigned char TestModule() {
  static unsigned char m = ObjectStore::CreateModule("cdlg_test");
  return m;
}

// A named object of class className in the test module (kept for the process).
inline InterObjRep* NewObject(const char* className, const char* name) {
  Publish();
  InterObjRep* proto = ObjectStore::find(className);
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

// The block o's persist-stream Save writes.
template <class T>
Bytes SaveBytes(T& o, BOOL clearDirty = FALSE) {
  IStream* s = NewStream();
  HRESULT hr = o.Save(s, clearDirty);
  Bytes b = SUCCEEDED(hr) ? Contents(s) : Bytes();
  s->Release();
  return b;
}

// Loads b through the object's block loader; the store's error passes through.
template <class T>
void LoadBytes(T& o, const Bytes& b) {
  IStream* s = NewStream(b);
  try {
    o.PO_Load(s);
  } catch (...) {
    s->Release();
    throw;
  }
  s->Release();
}

inline Bytes Text(const char* s) {  // a typed-stream string: length with the NUL, bytes
  Bytes b;
  if (!s) return Bytes(4, 0);
  uint32_t n = (uint32_t)strlen(s) + 1;
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(n >> (8 * i)));
  b.insert(b.end(), s, s + n);
  return b;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}

inline BasicOutcome RunBasic(const std::string& statements) {
  return BasicRunner::CompileAndRun("Sub S()\n" + statements + "\nEnd Sub\n", "S");
}

inline std::string BasicValue(const std::string& expression, const char* type = "Long") {
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As " + std::string(type) + "\n  F = " + expression + "\nEnd Function\n", "F");
  return out.ok ? out.result : "error: " + out.error;
}

}  // namespace cdlgkit
