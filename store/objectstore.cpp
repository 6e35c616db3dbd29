// ObjectStore: modules, their object tables and lookup by name.
#include "store/objectstore.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "interobj_util.h"
#include "olecls/oclstorage.h"
#include "objectstore_modules.h"
#include "store/enum.h"
#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"

namespace {

std::map<std::string, InterObjRep*>& TopLevel() {
  static auto* m = new std::map<std::string, InterObjRep*>;
  return *m;
}

unsigned char g_current = ObjectStore::kTempModule;
int g_lockState = 0;

}  // namespace

ModuleRec* g_modules[256];

ModuleRec* StoreModule(unsigned char m) {
  if (!g_modules[m] && m == ObjectStore::kTempModule) {
    g_modules[m] = new ModuleRec;
    g_modules[m]->name = "(temporary)";
  }
  return g_modules[m];
}

// --- storage object ---------------------------------------------------------------------

namespace {

// The number the next storage object is made for (StoreNewModuleStore).
unsigned char g_newStoreModule = ObjectStore::kTempModule;

}  // namespace

ObjectStore::ObjectStore(OCLStorage* storage) : storage_(storage), module_(g_newStoreModule) {}

ObjectStore* StoreNewModuleStore(unsigned char m, OCLStorage* stg) {
  struct Numbering {
    explicit Numbering(unsigned char m) { g_newStoreModule = m; }
    ~Numbering() { g_newStoreModule = ObjectStore::kTempModule; }
  } numbering(m);
  StoreApplication* app = StoreApplication::App();
  ObjectStore* store = app ? app->NewModuleStore(stg) : new ObjectStore(stg);
  store->setModuleNumber(m);
  return store;
}
ObjectStore::~ObjectStore() {}
int ObjectStore::moduleLoaded(unsigned char) { return 1; }
int ObjectStore::writeModule(unsigned char m) { return StoreWriteModule(m, storage_); }
void ObjectStore::deleteModule(unsigned char) {}

// --- names ------------------------------------------------------------------------------------

void ObjectStore::registerTopLevel(InterObjRep* obj) {
  if (!obj->hasName()) return;
  std::string key = NameKey(obj->name());
  auto it = TopLevel().find(key);
  if (it != TopLevel().end() && it->second != obj)
    throw StoreException(std::string("The name '") + obj->name() + "' is already used.");
  TopLevel()[key] = obj;
  obj->setFlag(InterObjRep::kFlagTopLevel, true);
}

void ObjectStore::unregisterTopLevel(InterObjRep* obj) {
  auto it = TopLevel().find(NameKey(obj->name()));
  if (it != TopLevel().end() && it->second == obj) TopLevel().erase(it);
  obj->setFlag(InterObjRep::kFlagTopLevel, false);
}

InterObjRep* ObjectStore::find(const char* name) {
  if (!name || !*name) return nullptr;
  const char* dot = strchr(name, '.');
  std::string head = dot ? std::string(name, dot - name) : std::string(name);
  auto it = TopLevel().find(NameKey(head.c_str()));
  if (it == TopLevel().end() || it->second->isDestroyed()) return nullptr;
  InterObjRep* obj = it->second;
  while (dot && obj) {
    const char* next = strchr(dot + 1, '.');
    std::string part = next ? std::string(dot + 1, next - dot - 1) : std::string(dot + 1);
    obj = obj->findEmbed(part.c_str());
    dot = next;
  }
  return obj;
}

int ObjectStore::find(const char* name, InterObj& out) {
  InterObjRep* obj = find(name);
  if (!obj) return 0;
  out = InterObj(obj);
  return 1;
}

InterObjRep* ObjectStore::findStatic(const char* name) {
  InterObjRep* obj = find(name);
  return obj && obj->isStaticObj() ? obj : nullptr;
}

int ObjectStore::findEmbed(const char* fullName, InterObj& out) {
  InterObjRep* obj = fullName && strchr(fullName, '.') ? find(fullName) : nullptr;
  if (!obj) return 0;
  out = InterObj(obj);
  return 1;
}

// --- modules ------------------------------------------------------------------------------------

unsigned char ObjectStore::OpenModule(unsigned char m) {
  unsigned char prev = g_current;
  if (m != kTempModule && !g_modules[m]) throw ModuleOpenFailed(("module " + std::to_string(m)).c_str());
  g_current = m;
  return prev;
}

unsigned char ObjectStore::OpenModule() { return g_current; }

int ObjectStore::DeletingModule(unsigned char m) {
  ModuleRec* r = g_modules[m];
  return r && r->deleting ? 1 : 0;
}

int ObjectStore::ValidIndex(unsigned char m) {
  return m == kTempModule || (m <= kMaxModule && g_modules[m] != nullptr);
}

unsigned char ObjectStore::CreateModule(const char* name, const char* path) {
  for (int m = 0; m <= kMaxModule; ++m)
    if (!g_modules[m]) {
      ModuleRec* r = new ModuleRec;
      r->name = name ? name : "";
      r->path = path ? path : "";
      g_modules[m] = r;
      return (unsigned char)m;
    }
  throw ModuleOpenFailed("too many modules");
}

const char* ObjectStore::ModuleName(unsigned char m) {
  ModuleRec* r = StoreModule(m);
  return r ? r->name.c_str() : nullptr;
}

const char* ObjectStore::ModulePath(unsigned char m) {
  ModuleRec* r = StoreModule(m);
  return r ? r->path.c_str() : nullptr;
}

int ObjectStore::ModuleDirty(unsigned char m) {
  ModuleRec* r = StoreModule(m);
  return r && r->dirty ? 1 : 0;
}

int ObjectStore::ModuleIsText(unsigned char m) {
  ModuleRec* r = StoreModule(m);
  return r && r->text ? 1 : 0;
}

int ObjectStore::ModuleReadInPart(unsigned char m) {
  ModuleRec* r = StoreModule(m);
  return r && r->partial ? 1 : 0;
}

void ObjectStore::MarkModuleDirty(unsigned char m) {
  if (ModuleRec* r = StoreModule(m)) r->dirty = true;
}

int ObjectStore::ModuleCount() {
  int n = 0;
  for (int m = 0; m <= kMaxModule; ++m)
    if (g_modules[m]) ++n;
  return n;
}

unsigned char ObjectStore::FindModule(const char* name) {
  for (int m = 0; m <= kMaxModule; ++m)
    if (g_modules[m] && StrEqualNoCase(g_modules[m]->name.c_str(), name)) return (unsigned char)m;
  return kAllModules;
}

int ObjectStore::ModuleSlotCount(unsigned char m) {
  ModuleRec* r = StoreModule(m);
  return r ? (int)r->slots.size() : 0;
}

InterObjRep* ObjectStore::ModuleSlot(unsigned char m, int index) {
  ModuleRec* r = StoreModule(m);
  if (!r || index < 0 || index >= (int)r->slots.size()) return nullptr;
  return r->slots[(size_t)index];
}

void ObjectStore::AddToModule(InterObjRep* obj, unsigned char m) {
  ModuleRec* r = StoreModule(m);
  if (!r) throw ModuleOpenFailed(("module " + std::to_string(m)).c_str());
  if (obj->isStaticObj()) return;
  if (!obj->embeddedIn() && obj->hasName()) registerTopLevel(obj);
  obj->ref();
  size_t index = 0;
  while (index < r->slots.size() && r->slots[index]) ++index;
  if (index == r->slots.size()) r->slots.push_back(nullptr);
  r->slots[index] = obj;
  obj->setDescriptor(m, (uint32_t)index);
  obj->setFlag(InterObjRep::kFlagStatic, true);
  if (!obj->embeddedIn() && obj->kind() == InterObjRep::kKindPlain && obj->hasName())
    obj->setKind(InterObjRep::kKindNamed);
  // Embedded objects of a static object belong to the module too.
  for (int i = 0; i < obj->numEmbeds(); ++i) AddToModule(obj->embed(i), m);
  if (m != kTempModule) r->dirty = true;
}

void ObjectStore::RemoveFromModule(InterObjRep* obj) {
  if (!obj->isStaticObj()) return;
  ModuleRec* r = StoreModule(obj->module());
  obj->setFlag(InterObjRep::kFlagStatic, false);
  if (obj->isTopLevel()) unregisterTopLevel(obj);
  if (r) {
    uint32_t index = obj->objectIndex();
    if (index < r->slots.size() && r->slots[index] == obj) {
      r->slots[index] = nullptr;
      if (obj->module() != kTempModule) r->dirty = true;
      obj->unref();
    }
  }
}

void ObjectStore::UnloadModule(unsigned char m, int revert) {
  ModuleRec* r = g_modules[m];
  if (!r || r->deleting) return;
  if (StoreApplication* app = StoreApplication::App()) app->UnloadModuleForms(m);
  if (!revert && r->dirty && !r->path.empty() && !r->deleting) {
    try {
      SaveModule(m);
    } catch (StoreException& e) {
      StoreApplication::HandleException(e);
    }
  }
  r->deleting = true;
  // Drop every object of the module, the last made first.
  for (size_t i = r->slots.size(); i-- > 0;) {
    if (i >= r->slots.size()) continue;
    InterObjRep* obj = r->slots[i];
    if (obj) obj->Destroy();
  }
  InterObjRep::DeleteObjects();
  EnumRep::DeleteModuleEnums(m);
  if (r->store) {
    r->store->deleteModule(m);
    delete r->store;
  }
  delete r->storage;
  if (g_current == m) g_current = kTempModule;
  g_modules[m] = nullptr;
  delete r;
}

void ObjectStore::UnloadAllModules(int revert) {
  for (int m = kMaxModule; m >= 0; --m)
    if (g_modules[m]) UnloadModule((unsigned char)m, revert);
}

ObjectStore* ObjectStore::ModuleStore(unsigned char m) {
  ModuleRec* r = g_modules[m];
  return r ? r->store : nullptr;
}

OCLStorage* ObjectStore::ModuleStorage(unsigned char m) {
  ModuleRec* r = g_modules[m];
  return r ? r->storage : nullptr;
}

int ObjectStore::LockState() { return g_lockState; }
int ObjectStore::SetLockState(int state) {
  int prev = g_lockState;
  g_lockState = state;
  return prev;
}

int ObjectStore::SearchOrvanelPath(const char* file, const char* ext, char* path, char** filePart) {
  if (!file || !*file || !path) return 0;
  char exe[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  if (char* slash = strrchr(exe, '\\')) *slash = 0;
  char env[2048] = "";
  GetEnvironmentVariableA("ORVANEL_PATH", env, sizeof env);
  std::string list = std::string(".;") + exe + (env[0] ? std::string(";") + env : "");
  DWORD n = SearchPathA(list.c_str(), file, ext, MAX_PATH, path, filePart);
  return n > 0 && n < MAX_PATH ? 1 : 0;
}

int ObjectStore::GetStaticObjects(unsigned char m, CountedIndirectInterObjList& out, int flag) {
  int added = 0;
  for (int i = 0; i < 256; ++i) {
    if (m != kAllModules && i != m) continue;
    ModuleRec* r = i == kTempModule ? StoreModule(kTempModule) : g_modules[i];
    if (!r) continue;
    for (InterObjRep* o : r->slots)
      if (o && (flag != 1 || o->isTopLevel())) {
        out.insert(CountedIndirectInterObj(o));
        ++added;
      }
  }
  return added;
}
