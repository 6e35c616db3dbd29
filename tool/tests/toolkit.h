// What ovitool's tests share: OLE and the store set up once with store errors recorded,
// ovitool and the test library published, named objects in a test module, stream
// blocks as bytes and Basic run on the objects.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <string>
#include <vector>

#include "basicrunner.h"
#include "capturedprint.h"
#include "store/idstring.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"

namespace toolkit {

typedef std::vector<uint8_t> Bytes;

class RecordingApp : public StoreApplication {
 public:
  int ReportStoreError(StoreException& e) override {
    reports.push_back(e.what());
    return 1;
  }
  // Print without an object: the buffer BasicOutcome::printed reads.
  Printable* FindPrintTarget() override { return &CapturedPrint::Target(); }
  std::vector<std::string> reports;
};

// The store without any library published yet.
inline void StoreUp() {
  static bool done = [] {
    CoInitialize(nullptr);
    IdString::Initialize();
    new RecordingApp;
    StoreApplication::HandleExceptions(1);
    ObjectStore::Initialize();
    return true;
  }();
  (void)done;
}

inline void Publish() {
  static bool done = [] {
    StoreUp();
    ObjectStore::PublishObjectDLL("ovitool");
    ObjectStore::PublishObjectDLL("ovitool_testobjs");
    return true;
  }();
  (void)done;
}

inline unsigned char TestModule() {
  static unsigned char m = ObjectStore::CreateModule("tool_test");
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

// The block o's persist-stream Save writes (the complete class's).
template <class T>
Bytes SaveBytes(T& o) {
  IStream* s = NewStream();
  HRESULT hr = o.Save(s, FALSE);
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

// Runs statements as a Sub; the outcome (ok, error text) is answered.
inline BasicOutcome RunBasic(const std::string& statements) {
  return BasicRunner::CompileAndRun("Sub S()\n" + statements + "\nEnd Sub\n", "S");
}

inline std::string BasicValue(const std::string& expression, const char* type = "Long") {
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As " + std::string(type) + "\n  F = " + expression + "\nEnd Function\n", "F");
  return out.ok ? out.result : "error: " + out.error;
}

}  // namespace toolkit
