// Publication: loading object DLLs (POD_Populate) and making native objects through the
// publishing DLL's class factory.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "interobj_util.h"
#include "store/groups.h"
#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"

namespace {

typedef void (*PopulateFn)();
typedef HRESULT(STDAPICALLTYPE* GetClassObjectFn)(REFCLSID, REFIID, void**);

struct PublishedDLL {
  std::string name;  // file name without directory and extension, as given
  HMODULE module;
  GetClassObjectFn getClassObject;
};

std::vector<PublishedDLL>& DLLs() {
  static auto* v = new std::vector<PublishedDLL>;
  return *v;
}
std::map<std::string, CLSID>& ProgIds() {
  static auto* m = new std::map<std::string, CLSID>;
  return *m;
}
// The library that told the store a ProgID, for prototypes made again after their
// first one was dropped, outside that library's publication.
std::map<std::string, std::string>& ProgIdDLLs() {
  static auto* m = new std::map<std::string, std::string>;
  return *m;
}
std::map<std::string, ObjectStore::NativeCreator>& Creators() {
  static auto* m = new std::map<std::string, ObjectStore::NativeCreator>;
  return *m;
}

std::string g_publishing;
bool g_publishingActive = false;

std::string BaseName(const char* name) {
  std::string s = name ? name : "";
  size_t cut = s.find_last_of("\\/");
  if (cut != std::string::npos) s = s.substr(cut + 1);
  size_t dot = s.rfind('.');
  if (dot != std::string::npos) s = s.substr(0, dot);
  return s;
}

const PublishedDLL* FindDLL(const char* name) {
  std::string base = BaseName(name);
  for (const PublishedDLL& d : DLLs())
    if (StrEqualNoCase(d.name.c_str(), base.c_str())) return &d;
  return nullptr;
}

struct PublishingScope {
  std::string prev;
  bool prevActive;
  explicit PublishingScope(const std::string& name) : prev(g_publishing), prevActive(g_publishingActive) {
    g_publishing = name;
    g_publishingActive = true;
  }
  ~PublishingScope() {
    g_publishing = prev;
    g_publishingActive = prevActive;
  }
};

}  // namespace

void StorePopulateOwnClasses();

const char* ObjectStore::PublishingDLL() { return g_publishingActive ? g_publishing.c_str() : nullptr; }

void ObjectStore::PublishObjectDLL(const char* name) {
  std::string base = BaseName(name);
  if (base.empty()) throw StoreException("PublishObjectDLL needs a library name.");
  if (const PublishedDLL* known = FindDLL(base.c_str())) {
    // Published before: its classes are registered again where the module that held
    // them was unloaded since (registering is a no-op for classes still there).
    if (known->getClassObject) {
      auto populate = reinterpret_cast<PopulateFn>(GetProcAddress(known->module, "POD_Populate"));
      PublishingScope scope(known->name);
      if (populate) populate();
    }
    return;
  }
  if (StrEqualNoCase(base.c_str(), "ovstore")) {
    DLLs().push_back(PublishedDLL{base, GetModuleHandleA("ovstore.dll"), nullptr});
    PublishingScope scope(base);
    StorePopulateOwnClasses();
    return;
  }
  if (!FindDLL("ovstore")) PublishObjectDLL("ovstore");  // the store's classes come first
  std::string file = name;
  if (file.find('.') == std::string::npos || file.rfind('.') < file.find_last_of("\\/") + 1) file += ".dll";
  HMODULE h = LoadLibraryA(file.c_str());
  if (!h) {
    char path[MAX_PATH];
    if (SearchOrvanelPath(file.c_str(), ".dll", path, nullptr)) h = LoadLibraryA(path);
  }
  if (!h)
    throw StoreException("Couldn't load the object library '" + file + "' (error " +
                         std::to_string(GetLastError()) + ").");
  auto populate = reinterpret_cast<PopulateFn>(GetProcAddress(h, "POD_Populate"));
  if (!populate) {
    FreeLibrary(h);
    throw StoreException("The library '" + file + "' publishes no objects (POD_Populate is missing).");
  }
  auto gco = reinterpret_cast<GetClassObjectFn>(GetProcAddress(h, "DllGetClassObject"));
  DLLs().push_back(PublishedDLL{base, h, gco});
  PublishingScope scope(base);
  populate();
}

Faultp<InterObjRep>* ObjectStore::RegisterPublishedClass(const char* name, InterObjRep* parent) {
  InterObj found;
  if (find(name, found)) return new Faultp<InterObjRep>(found.get(), tUncountedIndirectReference);
  std::string progId = std::string("Orvanel.") + name;
  AccessControlRep* acl = StrEqualNoCase(name, "ACL") ? nullptr : iACL::Standard();
  IndirectInterObj proto(progId.c_str(), name, parent, acl, 0);
  return new Faultp<InterObjRep>(proto.get(), tUncountedIndirectReference);
}

void ObjectStore::RegisterProgId(const char* progId, const CLSID& clsid) {
  ProgIds()[NameKey(progId)] = clsid;
  if (g_publishingActive) ProgIdDLLs()[NameKey(progId)] = g_publishing;
}

bool ObjectStore::ClassIdOf(const char* progId, CLSID& clsid) {
  auto it = ProgIds().find(NameKey(progId));
  if (it != ProgIds().end()) {
    clsid = it->second;
    return true;
  }
  wchar_t w[256];
  if (!MultiByteToWideChar(CP_ACP, 0, progId, -1, w, 256)) return false;
  return SUCCEEDED(CLSIDFromProgID(w, &clsid));
}

void ObjectStore::RegisterNativeClass(const char* progId, NativeCreator create) {
  Creators()[NameKey(progId)] = create;
}

IInterObj* ObjectStore::CreateNative(InterObjRep* cls) {
  InterObjRep* o = cls;
  while (o && !o->progId()[0]) o = o->parent();
  if (!o) return nullptr;
  const char* progId = o->progId();
  auto creator = Creators().find(NameKey(progId));
  if (creator != Creators().end()) return creator->second();

  CLSID clsid;
  if (!ClassIdOf(progId, clsid))
    throw StoreException(std::string("The class '") + progId + "' is not registered.");
  IClassFactory* factory = nullptr;
  HRESULT hr = E_FAIL;
  const PublishedDLL* dll = o->getDefiningDLL() ? FindDLL(o->getDefiningDLL()) : nullptr;
  if (!dll) {
    auto known = ProgIdDLLs().find(NameKey(progId));
    if (known != ProgIdDLLs().end()) dll = FindDLL(known->second.c_str());
  }
  if (dll && dll->getClassObject)
    hr = dll->getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  else
    hr = CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                          reinterpret_cast<void**>(&factory));
  if (FAILED(hr) || !factory) throw OleException(hr, progId);
  IPersistStream* ps = nullptr;
  hr = factory->CreateInstance(nullptr, IID_IPersistStream, reinterpret_cast<void**>(&ps));
  factory->Release();
  if (FAILED(hr) || !ps) throw OleException(hr, progId);
  IInterObj* n = dynamic_cast<IInterObj*>(ps);
  if (!n) {
    ps->Release();
    throw StoreException(std::string("The class '") + progId + "' does not make published objects.");
  }
  return n;
}
