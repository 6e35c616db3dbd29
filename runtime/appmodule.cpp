// AppModule: a module's storage with the OLE controls' store in it.
#include "runtime/appmodule.h"

#include "olecls/oclstorage.h"
#include "store/storeexcept.h"
#include "utils/xexception.h"

namespace {

const char kSourceName[] = "appmodul";

void CheckIndex(bool ok, int line) {
  if (!ok) utilsAssert("m == index", kSourceName, line);
}

}  // namespace

AppModule::AppModule(OCLStorage* storage) : ObjectStore(storage) {
  unsigned char m = moduleNumber();
  if (m >= IWOleCntr::MAX_MODULES || !storage || !storage->is()) return;
  displaced_ = IWOleCntr::detachModule(m);
  try {
    IWOleCntr::newModule(m, *storage);
  } catch (...) {
    if (displaced_) IWOleCntr::attachModule(m, displaced_);
    displaced_ = nullptr;
    throw;
  }
  // Numbers the displaced storage handed out stay taken in the new one.
  if (displaced_) IWOleCntr::raiseCount(m, IWOleCntr::entryCount(displaced_));
  entry_ = IWOleCntr::moduleEntry(m);
}

AppModule::~AppModule() {
  unsigned char m = moduleNumber();
  if (registered()) IWOleCntr::delModule(m);
  if (displaced_) {
    if (IWOleCntr::hasModule(m))
      IWOleCntr::freeModule(displaced_);
    else
      IWOleCntr::attachModule(m, displaced_);
  }
}

bool AppModule::registered() const { return entry_ && IWOleCntr::moduleEntry(moduleNumber()) == entry_; }

int AppModule::moduleLoaded(unsigned char m) {
  CheckIndex(m == moduleNumber(), 57);
  return 1;
}

int AppModule::writeModule(unsigned char m) {
  CheckIndex(m == moduleNumber(), 66);
  if (!registered()) return ObjectStore::writeModule(m);
  // The count goes in before the store's write commits the storage; controls that make
  // their storages while being written raise it, and it is written again.
  IWOleCntr::writeModule(m);
  unsigned long before = IWOleCntr::controlCount(m);
  int written = ObjectStore::writeModule(m);
  if (IWOleCntr::controlCount(m) != before) {
    IWOleCntr::writeModule(m);
    OleException::Check(storage()->storage()->Commit(STGC_DEFAULT), "OleControlStore");
  }
  return written;
}

void AppModule::deleteModule(unsigned char m) {
  CheckIndex(m == moduleNumber(), 74);
  if (registered()) IWOleCntr::delModule(m);
  entry_ = nullptr;
}
