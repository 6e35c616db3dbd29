// The OLE container's control storage: the module table and the per-control storages.
#include "guiobjects2/iwolecntr.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "olecls/oclstorage.h"
#include "olecls/oclstream.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "utils/xexception.h"

namespace {

const char kSourceName[] = "OLEBASE";
const char kControlStore[] = "OleControlStore";
const char kCountStream[] = "NumberOfOleControls";
const unsigned char kTempModule = 254;

void Check(bool ok, const char* condition, int line) {
  if (!ok) utilsAssert(condition, kSourceName, line);
}

std::vector<wchar_t> Wide(const char* s, size_t limit) {
  std::vector<wchar_t> w(limit + 1, 0);
  int n = MultiByteToWideChar(CP_ACP, 0, s ? s : "", -1, w.data(), int(w.size()));
  if (n == 0) {  // longer than the limit: keep what fits
    MultiByteToWideChar(CP_ACP, 0, s, int(limit), w.data(), int(limit));
    w[limit] = 0;
  }
  return w;
}

// The module storage's path for messages ("" when it has none).
std::string PathOf(OCLStorage& storage) {
  std::unique_ptr<char[]> path(storage.GetStoragePath());
  return path ? path.get() : "";
}

[[noreturn]] void OpenFailed(OCLStorage& storage, const char* why) {
  std::string path = PathOf(storage);
  if (path.empty()) throw ModuleOpenFailed(why);
  throw ModuleOpenFailed(path.c_str(), why);
}

}  // namespace

struct IWOleCntr::ModuleEntry {
  unsigned long count = 0;
  OCLStorage* store = nullptr;  // "OleControlStore"; null when it could not exist
  IMoniker* moniker = nullptr;  // one reference

  ~ModuleEntry() {
    if (moniker) moniker->Release();
    delete store;
  }
};

IWOleCntr::ModuleEntry* IWOleCntr::moduleTable[MAX_MODULES] = {};

void IWOleCntr::StorageName(long n, char (&name)[16]) {
  std::snprintf(name, sizeof name, "%lx", static_cast<unsigned long>(static_cast<uint32_t>(n)));
}

// --- the module table ---------------------------------------------------------------------

void IWOleCntr::newModule(unsigned char m, OCLStorage& moduleStorage) {
  Check(m < MAX_MODULES, "m<MAX_MODULES", 23);
  Check(!moduleTable[m], "!moduleTable[m]", 24);
  Check(moduleStorage.is(), "moduleStorage", 25);
  std::unique_ptr<ModuleEntry> entry(new ModuleEntry);
  bool readOnly = !moduleStorage.isWritable();
  std::unique_ptr<OCLStorage> store(new OCLStorage(moduleStorage.storage(), kControlStore, 1, kStorageMode));
  if (!store->is()) {
    // A read-only module that never had OLE controls: they find no storage.
    if (!(readOnly && store->result() == STG_E_FILENOTFOUND))
      OleException::Check(FAILED(store->result()) ? store->result() : E_FAIL, kControlStore);
    store.reset();
  }
  if (store) {
    OCLStream count(store->storage(), kCountStream, 1, kStorageMode);
    if (count.is() && count.size() != 0) {
      if (count.size() < 4) OpenFailed(moduleStorage, "The OLE control count is damaged.");
      ULONG revision = 0;
      count.read(&revision);
      if (revision != kRevision) OpenFailed(moduleStorage, "OLE storage revision error");
      if (count.size() < 8) OpenFailed(moduleStorage, "The OLE control count is damaged.");
      ULONG n = 0;
      count.read(&n);
      entry->count = n;
    } else if (!count.is() && count.result() != STG_E_FILENOTFOUND) {
      OleException::Check(FAILED(count.result()) ? count.result() : E_FAIL, kCountStream);
    }
  }
  entry->store = store.release();
  moduleTable[m] = entry.release();
}

void IWOleCntr::writeModule(unsigned char m) {
  Check(m < MAX_MODULES, "m<MAX_MODULES", 38);
  Check(moduleTable[m] != nullptr, "moduleTable[m]", 39);
  ModuleEntry& entry = *moduleTable[m];
  if (!entry.store) return;
  OCLStream count(entry.store->storage(), kCountStream, 1, kStorageMode);
  if (!count.is()) OleException::Check(FAILED(count.result()) ? count.result() : E_FAIL, kCountStream);
  count.seekTo(0);
  count.write(static_cast<ULONG>(kRevision));
  count.write(static_cast<ULONG>(entry.count));
}

void IWOleCntr::delModule(unsigned char m) {
  Check(m < MAX_MODULES, "m<MAX_MODULES", 30);
  Check(moduleTable[m] != nullptr, "moduleTable[m]", 31);
  delete moduleTable[m];
  moduleTable[m] = nullptr;
}

IMoniker* IWOleCntr::renameModule(unsigned char m, const char* path) {
  Check(m < MAX_MODULES, "m<MAX_MODULES", 45);
  Check(moduleTable[m] != nullptr, "moduleTable[m]", 46);
  std::vector<wchar_t> wide = Wide(path, 1024);
  IMoniker* moniker = nullptr;
  HRESULT hr = CreateFileMoniker(wide.data(), &moniker);
  if (SUCCEEDED(hr) && !moniker) hr = E_FAIL;
  OleException::Check(hr, nullptr);
  ModuleEntry& entry = *moduleTable[m];
  if (entry.moniker) entry.moniker->Release();
  entry.moniker = moniker;
  return moniker;
}

bool IWOleCntr::hasModule(unsigned char m) { return m < MAX_MODULES && moduleTable[m] != nullptr; }

IWOleCntr::ModuleEntry* IWOleCntr::moduleEntry(unsigned char m) {
  return m < MAX_MODULES ? moduleTable[m] : nullptr;
}

unsigned long IWOleCntr::controlCount(unsigned char m) { return hasModule(m) ? moduleTable[m]->count : 0; }

bool IWOleCntr::hasControlStore(unsigned char m) { return hasModule(m) && moduleTable[m]->store != nullptr; }

IWOleCntr::ModuleEntry* IWOleCntr::detachModule(unsigned char m) {
  if (!hasModule(m)) return nullptr;
  ModuleEntry* entry = moduleTable[m];
  moduleTable[m] = nullptr;
  return entry;
}

void IWOleCntr::attachModule(unsigned char m, ModuleEntry* entry) {
  Check(m < MAX_MODULES, "m<MAX_MODULES", 50);
  Check(!moduleTable[m], "!moduleTable[m]", 51);
  moduleTable[m] = entry;
}

void IWOleCntr::freeModule(ModuleEntry* entry) { delete entry; }

unsigned long IWOleCntr::entryCount(const ModuleEntry* entry) { return entry ? entry->count : 0; }

void IWOleCntr::raiseCount(unsigned char m, unsigned long count) {
  if (hasModule(m) && moduleTable[m]->count < count) moduleTable[m]->count = count;
}

// --- a control's storage ------------------------------------------------------------------

IWOleCntr::IWOleCntr(InterObjRep* object) : object_(object) {}
IWOleCntr::~IWOleCntr() {}

IWOleCntr::ModuleEntry* IWOleCntr::controlModule(int line) const {
  Check(object_ != nullptr, "storeObj()", line);
  unsigned char m = object_->module();
  if (m == kTempModule || !hasModule(m)) return nullptr;
  return moduleTable[m];
}

long IWOleCntr::addControl(IStorage** out, unsigned char m) {
  Check(out != nullptr, "out", 60);
  *out = nullptr;
  if (m == kTempModule) {
    // The wrapper lets its reference go: the file lives while the caller holds *out.
    OCLStorage temporary(nullptr, 1, kStorageMode);
    if (!temporary.is()) return kNoStorage;
    *out = temporary.storage();
    (*out)->AddRef();
    return kTemporaryStorage;
  }
  if (!hasModule(m) || !moduleTable[m]->store) return kNoStorage;
  ModuleEntry& entry = *moduleTable[m];
  long n = static_cast<long>(entry.count + 1);
  char name[16];
  StorageName(n, name);
  OCLStorage control(entry.store->storage(), name, 1, kStorageMode);
  if (!control.is()) OleException::Check(FAILED(control.result()) ? control.result() : E_FAIL, name);
  *out = control.storage();
  (*out)->AddRef();
  entry.count = static_cast<unsigned long>(n);
  return n;
}

void IWOleCntr::rmControl(long n) {
  ModuleEntry* entry = controlModule(73);
  if (!entry || !entry->store || n <= 0) return;
  char name[16];
  StorageName(n, name);
  std::vector<wchar_t> wide = Wide(name, sizeof name);
  OleException::Check(entry->store->storage()->DestroyElement(wide.data()), name);
}

IStorage* IWOleCntr::getControlStg(long n) {
  ModuleEntry* entry = controlModule(85);
  if (!entry || !entry->store || n <= 0) return nullptr;
  char name[16];
  StorageName(n, name);
  OCLStorage control(entry->store->storage(), name, 1, kStorageMode);
  if (!control.is()) OleException::Check(FAILED(control.result()) ? control.result() : E_FAIL, name);
  IStorage* stg = control.storage();
  stg->AddRef();
  return stg;
}

IMoniker* IWOleCntr::getFileMoniker() {
  ModuleEntry* entry = controlModule(96);
  if (!entry || !entry->moniker) return nullptr;
  entry->moniker->AddRef();
  return entry->moniker;
}
