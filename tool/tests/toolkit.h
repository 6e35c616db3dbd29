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
#include "testkit/storekit.h"
#include "store/idstring.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"

namespace toolkit {

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
  // Print without an object: the buffer BasicOutcome::printed reads.
  Printable* FindPrintTarget() override { return &CapturedPrint::Target(); }
  std::vector<std::string> reports;
};

// The store without any library published yet.
inline void StoreUp() { storekit::StartStore<RecordingApp>(); }

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
  return storekit::KeptObject(TestModule(), proto, name);
}

// Runs statements as a Sub; the outcome (ok, error text) is answered.
inline BasicOutcome RunBasic(const std::string& statements) { return BasicRunner::RunStatements(statements); }

inline std::string BasicValue(const std::string& expression, const char* type = "Long") {
  return BasicRunner::ValueOf(expression, type);
}

}  // namespace toolkit
