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
#include "testkit/storekit.h"
#include "store/idstring.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"

namespace cdlgkit {

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
inline RecordingApp& App() { return storekit::StartStore<RecordingApp>(); }

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
  return storekit::KeptObject(TestModule(), proto, name);
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

inline BasicOutcome RunBasic(const std::string& statements) { return BasicRunner::RunStatements(statements); }

inline std::string BasicValue(const std::string& expression, const char* type = "Long") {
  return BasicRunner::ValueOf(expression, type);
}

}  // namespace cdlgkit
