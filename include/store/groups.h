// The store's own published classes (published by PublishObjectDLL("ovstore") first):
//
// iACL            "ACL": its native object is the standard access control
//                 (AccessControlRep) that every class prototype is given.
// iGroup          "Group": a list of counted object references, insertion order,
//                 duplicates allowed. Basic: Count, Item(i), Add(obj), Remove(i), Clear.
// iGlobals        "Globals": the globals object; SetApp records the application object.
// iApplication    "Application": the application object; events "Startup", "CanClose"
//                 (its value decides) and "Shutdown"; properties ExitCode, MainForm.
// iModuleManager  "ModuleManager": loads modules (LoadModules with ";"-joined names),
//                 publishes DLLs from text object files (PublishObjectDLL).
// iObjectModule   "ObjectModule": one loaded module as an object (Name, CanUnload).
#pragma once

#include <vector>

#include "store/iinterobj.h"
#include "store/interobj.h"
#include "store/poclass.h"

class ValString;

// Access control: what Basic code may do with members of objects guarded by it.
class OVSTORE_API AccessControlRep {
 public:
  virtual ~AccessControlRep() {}
  // Non-zero when the access is allowed (kind: 0 read, 1 write, 2 call, 3 add member,
  // 4 delete member). The store asks it before writes by name (InterObjRep::eval); a
  // refusal is AccessDenied. The standard control allows everything.
  virtual int allows(const InterObjRep* obj, const Field* field, int kind) const;
};

// What each of the store's classes adds to POClass: its prototype's holder and its row
// of the store's table (no class id: the store makes these natives itself).
#define OVSTORE_PUBLISHED_CLASS_STATICS  \
  static Faultp<InterObjRep>* PO_Object; \
  static const POClassRow& PO_Row();

class OVSTORE_API iACL : public POClass<iACL>, public AccessControlRep {
 public:
  explicit iACL(IUnknown* outer);
  OVSTORE_PUBLISHED_CLASS_STATICS
  // The standard access control (the prototype's native object).
  static AccessControlRep* Standard();
};

class OVSTORE_API iGroup : public POClass<iGroup> {
 public:
  explicit iGroup(IUnknown* outer);
  OVSTORE_PUBLISHED_CLASS_STATICS
  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);
  void clone(const IInterObj& source) override;
  Value* eval(const ValueList* args, int* found) override;

  CountedIndirectInterObjList& members() { return members_; }
  void add(InterObjRep* obj) { members_.insert(CountedIndirectInterObj(obj)); }
  long pdGetCount();
  InterObjRep* imItem(long index);
  void imAdd(InterObjRep* obj);
  void imRemove(long index);
  void imClear();

 private:
  CountedIndirectInterObjList members_;
};

class OVSTORE_API iGlobals : public POClass<iGlobals> {
 public:
  explicit iGlobals(IUnknown* outer);
  OVSTORE_PUBLISHED_CLASS_STATICS
  void PO_DeclareFields(SignatureRep& sig);
  static void SetApp(InterObjRep* app);
  static InterObjRep* App();
  InterObjRep* pdGetApp();
};

class OVSTORE_API iApplication : public POClass<iApplication> {
 public:
  explicit iApplication(IUnknown* outer);
  OVSTORE_PUBLISHED_CLASS_STATICS
  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);
  void clone(const IInterObj& source) override;

  void SetInfo(int argc, char** argv, unsigned long flags, const char* moduleList, const char* splash);
  InterObjRep* pdGetMainForm();
  void pdSetMainForm(InterObjRep* form);
  long pdGetExitCode() { return exitCode_; }
  void pdSetExitCode(long c) { exitCode_ = c; }
  long pdGetArgCount() { return argc_; }
  int argc() const { return argc_; }
  char** argv() const { return argv_; }
  unsigned long startFlags() const { return flags_; }

 private:
  int argc_ = 0;
  char** argv_ = nullptr;
  unsigned long flags_ = 0;
  std::string modules_, splash_;
  Faultp<InterObjRep> mainForm_;
  long exitCode_ = 0;
};

class OVSTORE_API iModuleManager : public POClass<iModuleManager> {
 public:
  explicit iModuleManager(IUnknown* outer);
  OVSTORE_PUBLISHED_CLASS_STATICS
  void PO_DeclareFields(SignatureRep& sig);

  // Loads each of the ";"-joined module files not loaded yet; token gets a new[] list
  // of the module numbers loaded (count byte first) that PostLoadModulesNotify takes
  // (and deletes). Returns the number of modules loaded. flags: 0.
  static int LoadModules(const char* names, int flags, unsigned char*& token);
  // Tells the loaded modules' objects that loading is complete (their natives'
  // attach(module)) and deletes token.
  static void PostLoadModulesNotify(unsigned char* token);
  static int pdGetModuleCount();
  // The i-th loaded module as an ObjectModule object (module 254), or null.
  static InterObjRep* imModule(int index);
  void imPublishObjectDLL(const char* name);
  long imLoadModule(const char* name);
};

class OVSTORE_API iObjectModule : public POClass<iObjectModule> {
 public:
  explicit iObjectModule(IUnknown* outer);
  OVSTORE_PUBLISHED_CLASS_STATICS
  void PO_DeclareFields(SignatureRep& sig);
  void pdSetCanUnload(long on) { canUnload_ = on; }
  long pdGetCanUnload() { return canUnload_; }
  long pdGetNumber() { return module_; }
  void setModule(unsigned char m) { module_ = m; }

 private:
  long canUnload_ = -1;
  unsigned char module_ = 254;
};
