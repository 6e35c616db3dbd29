// The store's own published classes: access control, groups, globals, the application
// object, the module manager and module objects.
#include "store/groups.h"

#include <initializer_list>

#include "interobj_util.h"
#include "olecls/oclstream.h"
#include "store/enum.h"
#include "store/field_comp.h"
#include "store/objectstore.h"
#include "store/popublish.h"
#include "store/signature.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "store/value.h"

namespace {

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

}  // namespace

// The store's table: no class ids (the store makes its natives itself, see
// StorePopulateOwnClasses) and no parents.
enum StoreClassRow { kRowACL, kRowGroup, kRowGlobals, kRowApplication, kRowModuleManager, kRowObjectModule };

const POClassRow kStoreClasses[] = {
    {nullptr, "ACL", nullptr, nullptr, &iACL::PO_InitObject},
    {nullptr, "Group", nullptr, nullptr, &iGroup::PO_InitObject},
    {nullptr, "Globals", nullptr, nullptr, &iGlobals::PO_InitObject},
    {nullptr, "Application", nullptr, nullptr, &iApplication::PO_InitObject},
    {nullptr, "ModuleManager", nullptr, nullptr, &iModuleManager::PO_InitObject},
    {nullptr, "ObjectModule", nullptr, nullptr, &iObjectModule::PO_InitObject},
};

#define OVSTORE_CLASS_STATICS(Class, Row)          \
  Faultp<InterObjRep>* Class::PO_Object = nullptr; \
  const POClassRow& Class::PO_Row() { return kStoreClasses[Row]; }

// --- access control ------------------------------------------------------------------------

// The standard control allows everything: read-only and constant members refuse writes
// themselves, with their own messages.
int AccessControlRep::allows(const InterObjRep*, const Field*, int) const { return 1; }

OVSTORE_CLASS_STATICS(iACL, kRowACL)

iACL::iACL(IUnknown* outer) : POClass(outer) {}

AccessControlRep* iACL::Standard() {
  static AccessControlRep standard;
  InterObjRep* proto = PO_Object && PO_Object->is() ? PO_Object->get() : nullptr;
  if (proto)
    if (AccessControlRep* acl = dynamic_cast<AccessControlRep*>(proto->ROCDataPtr(0))) return acl;
  return &standard;
}

// --- groups ----------------------------------------------------------------------------------

OVSTORE_CLASS_STATICS(iGroup, kRowGroup)

iGroup::iGroup(IUnknown* outer) : POClass(outer) {}

void iGroup::PO_DeclareFields(SignatureRep& sig) {
  sig.addField(CompProcDataField::make("Count", kTypeLong, nullptr, &iGroup::pdGetCount), nullptr, 0);
  AddMethod(sig, "Item", &iGroup::imItem, kTypeObject, {{"index", kTypeLong, false}});
  AddMethod(sig, "Add", &iGroup::imAdd, 0, {{"obj", kTypeObject, false}});
  AddMethod(sig, "Remove", &iGroup::imRemove, 0, {{"index", kTypeLong, false}});
  AddMethod(sig, "Clear", &iGroup::imClear, 0, {});
}

void iGroup::PO_Read(OCLStream& st, unsigned) {
  ULONG n = 0;
  st.read(&n);
  members_.clear();
  unsigned char m = store_ ? store_->module() : (unsigned char)ObjectStore::kTempModule;
  for (ULONG i = 0; i < n; ++i) {
    CountedIndirectInterObj r;
    r.read(st, m);
    members_.insert(r);
  }
}

void iGroup::PO_Write(OCLStream& st) {
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

OVSTORE_CLASS_STATICS(iGlobals, kRowGlobals)

iGlobals::iGlobals(IUnknown* outer) : POClass(outer) {}
void iGlobals::PO_DeclareFields(SignatureRep& sig) {
  sig.addField(CompProcDataField::make("App", kTypeObject, nullptr, &iGlobals::pdGetApp, "Application"),
               nullptr, 0);
}
void iGlobals::SetApp(InterObjRep* app) { g_appObject.set(app, tUncountedIndirectReference); }
InterObjRep* iGlobals::App() { return g_appObject.get(); }
InterObjRep* iGlobals::pdGetApp() { return App(); }

// --- application -------------------------------------------------------------------------------

OVSTORE_CLASS_STATICS(iApplication, kRowApplication)

iApplication::iApplication(IUnknown* outer) : POClass(outer) {}

void iApplication::PO_DeclareFields(SignatureRep& sig) {
  sig.addField(CompProcDataField::make("MainForm", kTypeObject, &iApplication::pdSetMainForm,
                                       &iApplication::pdGetMainForm, ""),
               nullptr, 0);
  sig.addField(CompProcDataField::make("ExitCode", kTypeLong, &iApplication::pdSetExitCode,
                                       &iApplication::pdGetExitCode),
               nullptr, 0);
  sig.addField(CompProcDataField::make("ArgCount", kTypeLong, nullptr, &iApplication::pdGetArgCount), nullptr,
               0);
  sig.addEventDef(new EventDef("Startup", 1, "()", 0));
  sig.addEventDef(new EventDef("CanClose", 1, "() As Integer", 0));
  sig.addEventDef(new EventDef("Shutdown", 1, "()", 0));
}

void iApplication::PO_Read(OCLStream& st, unsigned) {
  mainForm_.read(st, store_ ? store_->module() : (unsigned char)ObjectStore::kTempModule);
  ULONG code = 0;
  st.read(&code);
  exitCode_ = (long)code;
}

void iApplication::PO_Write(OCLStream& st) {
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

OVSTORE_CLASS_STATICS(iModuleManager, kRowModuleManager)

iModuleManager::iModuleManager(IUnknown* outer) : POClass(outer) {}

void iModuleManager::PO_DeclareFields(SignatureRep& sig) {
  AddMethod(sig, "PublishObjectDLL", &iModuleManager::imPublishObjectDLL, 0, {{"name", kTypeString, false}});
  AddMethod(sig, "LoadModule", &iModuleManager::imLoadModule, kTypeLong, {{"name", kTypeString, false}});
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
      if (ObjectStore::ValidIndex((unsigned char)m) &&
          StrEqualNoCase(ObjectStore::ModulePath((unsigned char)m), one.c_str()))
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

OVSTORE_CLASS_STATICS(iObjectModule, kRowObjectModule)

iObjectModule::iObjectModule(IUnknown* outer) : POClass(outer) {}
void iObjectModule::PO_DeclareFields(SignatureRep& sig) {
  sig.addField(CompProcDataField::make("CanUnload", kTypeLong, &iObjectModule::pdSetCanUnload,
                                       &iObjectModule::pdGetCanUnload),
               nullptr, 0);
  sig.addField(CompProcDataField::make("Number", kTypeLong, nullptr, &iObjectModule::pdGetNumber), nullptr,
               0);
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
  // The store's own classes live in the temporary module, so that no user module saves
  // them.
  OpenModuleResource temp(ObjectStore::kTempModule);
  PO_Populate(kStoreClasses);
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
