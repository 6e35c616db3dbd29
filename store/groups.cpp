// The store's own published classes: access control, groups, globals, the application
// object, the module manager and module objects.
#include "store/groups.h"

#include <initializer_list>

#include "interobj_util.h"
#include "olecls/oclstream.h"
#include "store/enum.h"
#include "store/field_comp.h"
#include "store/objectstore.h"
#include "store/signature.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/value.h"

namespace {

// The store's own classes live in the temporary module, so that no user module saves
// them.
Faultp<InterObjRep>* InitPrototype(const char* name, InterObjRep* parent) {
  OpenModuleResource temp(ObjectStore::kTempModule);
  return ObjectStore::RegisterPublishedClass(name, parent);
}

struct Param {
  const char* name;
  unsigned char type;
  bool byRef;
};

void AddMethod(SignatureRep& sig, const char* name, MemberFn fn, unsigned char result,
               std::initializer_list<Param> params, const char* cls = "") {
  CppProcField* f = result ? new CppFuncField(name, fn, result, cls) : new CppProcField(name, fn);
  for (const Param& p : params) f->addParam(p.name, p.type, p.byRef);
  sig.addField(f, nullptr, 0);
}

unsigned char ReadRevision(IStream* s, const char* cls) {
  OCLStream st(s);
  UCHAR rev = 0;
  st.read(&rev);
  if (rev > 1) throw ObjectLoadFailed(cls);
  return rev;
}

void WriteRevision(IStream* s) {
  OCLStream st(s);
  st.write((UCHAR)1);
}

}  // namespace

#define OVSTORE_CLASS_STATICS(Class, Name, Parent)                        \
  Faultp<InterObjRep>* Class::PO_Object = nullptr;                         \
  void Class::PO_InitObject() {                                            \
    if (PO_Object && PO_Object->is()) return;                              \
    delete PO_Object;                                                      \
    PO_Object = nullptr;                                                   \
    PO_Object = InitPrototype(Name, Parent);                               \
  }                                                                        \
  InterObjRep* Class::PO_GetObject() {                                     \
    if (!PO_Object || PO_Object->isNull()) PO_InitObject();                \
    if (!PO_Object || PO_Object->isNull()) utilsAssert("PO_Object", __FILE__, __LINE__); \
    return PO_Object->get();                                               \
  }

// --- access control ------------------------------------------------------------------------

// The standard control allows everything: read-only and constant members refuse writes
// themselves, with their own messages.
int AccessControlRep::allows(const InterObjRep*, const Field*, int) const { return 1; }

OVSTORE_CLASS_STATICS(iACL, "ACL", nullptr)

iACL::iACL(IUnknown* outer) : IInterObj(outer) {}
void iACL::PO_Load(IStream* s) { ReadRevision(s, "ACL"); }
void iACL::PO_Save(IStream* s, int clearDirty) {
  if (clearDirty) dirty_ = 0;
  WriteRevision(s);
}

AccessControlRep* iACL::Standard() {
  static AccessControlRep standard;
  InterObjRep* proto = PO_Object && PO_Object->is() ? PO_Object->get() : nullptr;
  if (proto)
    if (AccessControlRep* acl = dynamic_cast<AccessControlRep*>(proto->ROCDataPtr(0))) return acl;
  return &standard;
}

// --- groups ----------------------------------------------------------------------------------

OVSTORE_CLASS_STATICS(iGroup, "Group", nullptr)

iGroup::iGroup(IUnknown* outer) : IInterObj(outer) {}

void iGroup::PO_DefineFields(SignatureRep& sig) {
  UTILS_ASSERT(!sig.isCompFieldsDefined());
  sig.addField(CompProcDataField::make("Count", kTypeLong, nullptr, &iGroup::pdGetCount), nullptr, 0);
  AddMethod(sig, "Item", &iGroup::imItem, kTypeObject, {{"index", kTypeLong, false}});
  AddMethod(sig, "Add", &iGroup::imAdd, 0, {{"obj", kTypeObject, false}});
  AddMethod(sig, "Remove", &iGroup::imRemove, 0, {{"index", kTypeLong, false}});
  AddMethod(sig, "Clear", &iGroup::imClear, 0, {});
  sig.setCompFieldsDefined(true);
}

void iGroup::PO_Load(IStream* s) {
  ReadRevision(s, "Group");
  OCLStream st(s);
  ULONG n = 0;
  st.read(&n);
  members_.clear();
  unsigned char m = store_ ? store_->module() : ObjectStore::kTempModule;
  for (ULONG i = 0; i < n; ++i) {
    CountedIndirectInterObj r;
    r.read(st, m);
    members_.insert(r);
  }
}

void iGroup::PO_Save(IStream* s, int clearDirty) {
  if (clearDirty) dirty_ = 0;
  WriteRevision(s);
  OCLStream st(s);
  st.write((ULONG)members_.size());
  for (auto& r : members_) r.write(st);
}

void iGroup::clone(const IInterObj& source) {
  if (const iGroup* g = dynamic_cast<const iGroup*>(&source)) members_ = g->members_;
}

Value* iGroup::eval(const ValueList* args, int* found) {
  if (!args || args->entries() != 1) return IInterObj::eval(args, found);
  if (found) *found = 1;
  return CountedResult<Value>(new DirectValue<InterObj, kTypeObject>(InterObj(imItem((*args)[0]->asLong()))));
}

long iGroup::pdGetCount() { return (long)members_.size(); }

InterObjRep* iGroup::imItem(long index) {
  if (index < 0 || index >= (long)members_.size())
    throw RangeError(kMsgIndexOutOfRange, 0, (long)members_.size() - 1, index);
  auto it = members_.begin();
  std::advance(it, index);
  return it->get();
}

void iGroup::imAdd(InterObjRep* obj) {
  add(obj);
  changed();
}

void iGroup::imRemove(long index) {
  if (index < 0 || index >= (long)members_.size())
    throw RangeError(kMsgIndexOutOfRange, 0, (long)members_.size() - 1, index);
  auto it = members_.begin();
  std::advance(it, index);
  members_.erase(it);
  changed();
}

void iGroup::imClear() {
  members_.clear();
  changed();
}

int ObjectStore::GetStaticObjects(unsigned char m, InterObjRep* group, int flag) {
  iGroup* g = group ? dynamic_cast<iGroup*>(group->ROCDataPtr(0)) : nullptr;
  if (!g) throw TypeMismatch("GetStaticObjects");
  return GetStaticObjects(m, g->members(), flag);
}

// --- globals ------------------------------------------------------------------------------------

namespace {
Faultp<InterObjRep> g_appObject;  // uncounted: the launcher holds the application
}

OVSTORE_CLASS_STATICS(iGlobals, "Globals", nullptr)

iGlobals::iGlobals(IUnknown* outer) : IInterObj(outer) {}
void iGlobals::PO_DefineFields(SignatureRep& sig) {
  UTILS_ASSERT(!sig.isCompFieldsDefined());
  sig.addField(CompProcDataField::make("App", kTypeObject, nullptr, &iGlobals::pdGetApp, "Application"),
               nullptr, 0);
  sig.setCompFieldsDefined(true);
}
void iGlobals::PO_Load(IStream* s) { ReadRevision(s, "Globals"); }
void iGlobals::PO_Save(IStream* s, int clearDirty) {
  if (clearDirty) dirty_ = 0;
  WriteRevision(s);
}
void iGlobals::SetApp(InterObjRep* app) { g_appObject.set(app, tUncountedIndirectReference); }
InterObjRep* iGlobals::App() { return g_appObject.get(); }
InterObjRep* iGlobals::pdGetApp() { return App(); }

// --- application -------------------------------------------------------------------------------

OVSTORE_CLASS_STATICS(iApplication, "Application", nullptr)

iApplication::iApplication(IUnknown* outer) : IInterObj(outer) {}

void iApplication::PO_DefineFields(SignatureRep& sig) {
  UTILS_ASSERT(!sig.isCompFieldsDefined());
  sig.addField(CompProcDataField::make("MainForm", kTypeObject, &iApplication::pdSetMainForm,
                                       &iApplication::pdGetMainForm, ""),
               nullptr, 0);
  sig.addField(CompProcDataField::make("ExitCode", kTypeLong, &iApplication::pdSetExitCode,
                                       &iApplication::pdGetExitCode),
               nullptr, 0);
  sig.addField(CompProcDataField::make("ArgCount", kTypeLong, nullptr, &iApplication::pdGetArgCount),
               nullptr, 0);
  sig.addEventDef(new EventDef("Startup", 1, "()", 0));
  sig.addEventDef(new EventDef("CanClose", 1, "() As Integer", 0));
  sig.addEventDef(new EventDef("Shutdown", 1, "()", 0));
  sig.setCompFieldsDefined(true);
}

void iApplication::PO_Load(IStream* s) {
  ReadRevision(s, "Application");
  OCLStream st(s);
  mainForm_.read(st, store_ ? store_->module() : ObjectStore::kTempModule);
  ULONG code = 0;
  st.read(&code);
  exitCode_ = (long)code;
}

void iApplication::PO_Save(IStream* s, int clearDirty) {
  if (clearDirty) dirty_ = 0;
  WriteRevision(s);
  OCLStream st(s);
  mainForm_.write(st);
  st.write((ULONG)exitCode_);
}

void iApplication::clone(const IInterObj& source) {
  if (const iApplication* a = dynamic_cast<const iApplication*>(&source)) {
    mainForm_ = a->mainForm_;
    exitCode_ = a->exitCode_;
  }
}

void iApplication::SetInfo(int argc, char** argv, unsigned long flags, const char* moduleList,
                           const char* splash) {
  argc_ = argc;
  argv_ = argv;
  flags_ = flags;
  modules_ = moduleList ? moduleList : "";
  splash_ = splash ? splash : "";
}

InterObjRep* iApplication::pdGetMainForm() { return mainForm_.get(); }
void iApplication::pdSetMainForm(InterObjRep* form) {
  mainForm_.set(form, tIndirectReference);
  changed();
}

// --- module manager and module objects ----------------------------------------------------------

OVSTORE_CLASS_STATICS(iModuleManager, "ModuleManager", nullptr)

iModuleManager::iModuleManager(IUnknown* outer) : IInterObj(outer) {}

void iModuleManager::PO_DefineFields(SignatureRep& sig) {
  UTILS_ASSERT(!sig.isCompFieldsDefined());
  AddMethod(sig, "PublishObjectDLL", &iModuleManager::imPublishObjectDLL, 0, {{"name", kTypeString, false}});
  AddMethod(sig, "LoadModule", &iModuleManager::imLoadModule, kTypeLong, {{"name", kTypeString, false}});
  sig.setCompFieldsDefined(true);
}
void iModuleManager::PO_Load(IStream* s) { ReadRevision(s, "ModuleManager"); }
void iModuleManager::PO_Save(IStream* s, int clearDirty) {
  if (clearDirty) dirty_ = 0;
  WriteRevision(s);
}

void iModuleManager::imPublishObjectDLL(const char* name) { ObjectStore::PublishObjectDLL(name); }
long iModuleManager::imLoadModule(const char* name) { return ObjectStore::LoadModule(name); }

int iModuleManager::LoadModules(const char* names, int, unsigned char*& token) {
  std::vector<unsigned char> loaded;
  std::string list = names ? names : "";
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    std::string one = list.substr(start, end - start);
    start = end + 1;
    if (one.empty()) continue;
    bool already = false;
    for (int m = 0; m <= ObjectStore::kMaxModule && !already; ++m)
      if (ObjectStore::ValidIndex((unsigned char)m) && StrEqualNoCase(ObjectStore::ModulePath((unsigned char)m), one.c_str()))
        already = true;
    if (!already) loaded.push_back(ObjectStore::LoadModule(one.c_str()));
  }
  token = new unsigned char[loaded.size() + 1];
  token[0] = (unsigned char)loaded.size();
  for (size_t i = 0; i < loaded.size(); ++i) token[i + 1] = loaded[i];
  return (int)loaded.size();
}

void iModuleManager::PostLoadModulesNotify(unsigned char* token) {
  delete[] token;
  if (StoreApplication* app = StoreApplication::App()) app->NotifyModulesChanged();
}

int iModuleManager::pdGetModuleCount() { return ObjectStore::ModuleCount(); }

InterObjRep* iModuleManager::imModule(int index) {
  int seen = 0;
  for (int m = 0; m <= ObjectStore::kMaxModule; ++m) {
    if (!ObjectStore::ValidIndex((unsigned char)m)) continue;
    if (seen++ != index) continue;
    PrimInterObj obj(iObjectModule::PO_GetObject(), ObjectStore::kTempModule, 1);
    if (iObjectModule* n = dynamic_cast<iObjectModule*>(obj->ROCDataPtr(0))) n->setModule((unsigned char)m);
    InterObjRep* rep = obj.get();
    rep->ref();  // handed to the caller as a new object: keep it past obj
    obj.clear();
    rep->BeginDestroy();  // ...until the next message-loop pass unless someone holds it
    rep->unref();
    return rep;
  }
  return nullptr;
}

OVSTORE_CLASS_STATICS(iObjectModule, "ObjectModule", nullptr)

iObjectModule::iObjectModule(IUnknown* outer) : IInterObj(outer) {}
void iObjectModule::PO_DefineFields(SignatureRep& sig) {
  UTILS_ASSERT(!sig.isCompFieldsDefined());
  sig.addField(CompProcDataField::make("CanUnload", kTypeLong, &iObjectModule::pdSetCanUnload,
                                       &iObjectModule::pdGetCanUnload),
               nullptr, 0);
  sig.addField(CompProcDataField::make("Number", kTypeLong, nullptr, &iObjectModule::pdGetNumber), nullptr, 0);
  sig.setCompFieldsDefined(true);
}
void iObjectModule::PO_Load(IStream* s) { ReadRevision(s, "ObjectModule"); }
void iObjectModule::PO_Save(IStream* s, int clearDirty) {
  if (clearDirty) dirty_ = 0;
  WriteRevision(s);
}

// --- the store's own publication ----------------------------------------------------------------

namespace {
template <class C>
IInterObj* Make() {
  return new C(nullptr);
}
}  // namespace

void StorePopulateOwnClasses() {
  ObjectStore::RegisterNativeClass("Orvanel.ACL", &Make<iACL>);
  ObjectStore::RegisterNativeClass("Orvanel.Group", &Make<iGroup>);
  ObjectStore::RegisterNativeClass("Orvanel.Globals", &Make<iGlobals>);
  ObjectStore::RegisterNativeClass("Orvanel.Application", &Make<iApplication>);
  ObjectStore::RegisterNativeClass("Orvanel.ModuleManager", &Make<iModuleManager>);
  ObjectStore::RegisterNativeClass("Orvanel.ObjectModule", &Make<iObjectModule>);
  iACL::PO_InitObject();
  iGroup::PO_InitObject();
  iGlobals::PO_InitObject();
  iApplication::PO_InitObject();
  iModuleManager::PO_InitObject();
  iObjectModule::PO_InitObject();
}

namespace {
bool g_initialized = false;
}

void ObjectStore::Initialize() {
  if (g_initialized) return;
  g_initialized = true;
  EnumRep::Boolean();
  EnumRep::EnsureEvalRequiresEnum();
  PublishObjectDLL("ovstore");
}

void ObjectStore::Terminate() {
  UnloadAllModules(1);
  InterObjRep::DeleteObjects();
}

bool ObjectStore::Initialized() { return g_initialized; }
