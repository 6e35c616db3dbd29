// ObjectStore: the store's static interface (objects by name, modules, publication),
// and the base class of a module's storage object.
//
// Modules are numbered 0-253; 254 is the temporary module (objects that belong to no
// module and are never saved). A module file is an OLE compound file:
//   stream "Module"       magic "OVMD", format version, the module's name, the number
//                         of object slots, then per slot its stream name ("" = free);
//   stream "O<index>"     one per object of the module (top-level and embedded): the
//                         store's data (name, kind, flags, parent and container
//                         references, own fields and values, event definitions), then,
//                         for native objects, the object's persist-stream block;
//   storage "OleControlStore"   left to the OLE container objects of the module.
// A module file that is not a compound file is taken as a text object file and handed
// to StoreApplication::ReadTextObjectFile.
//
// Name lookup: top-level objects of every loaded module and of module 254, by name
// (case-insensitive); "A.B.C" walks embedded objects by name.
#pragma once

#include <windows.h>

#include <string>

#include "store/ovstore_api.h"
#include "store/interobj.h"

class OCLStorage;
class InterObjRep;
class IInterObj;

class OVSTORE_API ObjectStore : public Allocator {
 public:
  enum : unsigned char { kTempModule = 254, kAllModules = 255, kMaxModule = 253 };

  // --- module storage object (one per open module file) ---
  explicit ObjectStore(OCLStorage* storage);
  virtual ~ObjectStore();
  // (1) Called after the module's objects were loaded; non-zero to keep the module.
  virtual int moduleLoaded(unsigned char m);
  // (2) Writes module m into the storage; the result is what SaveModule answers.
  virtual int writeModule(unsigned char m);
  // (3) The module is being deleted (its objects are gone).
  virtual void deleteModule(unsigned char m);
  OCLStorage* storage() const { return storage_; }
  unsigned char moduleNumber() const { return module_; }
  void setModuleNumber(unsigned char m) { module_ = m; }

  // --- objects ---
  // Non-zero and out set when a top-level object (or dotted full name) exists.
  static int find(const char* name, InterObj& out);
  static InterObjRep* find(const char* name);
  // A static (module) object by name; null when absent.
  static InterObjRep* findStatic(const char* name);
  // Embedded object by dotted name ("Form1.Button1"); out stays null when absent.
  static int findEmbed(const char* fullName, InterObj& out);
  // Registers obj as a top-level object of its module (by its name). A name already
  // used by another top-level object is refused (StoreException).
  static void registerTopLevel(InterObjRep* obj);
  static void unregisterTopLevel(InterObjRep* obj);

  // --- modules ---
  static unsigned char OpenModule(unsigned char m);  // returns the previous module
  static unsigned char OpenModule();                 // the current module
  static int DeletingModule(unsigned char m);
  static int ValidIndex(unsigned char m);  // a loaded module (or 254)
  // A new empty module named name (file path may be null); returns its number.
  static unsigned char CreateModule(const char* name, const char* path = nullptr);
  // Loads a module file (compound or text object file); returns its number. Failures
  // throw ModuleOpenFailed.
  static unsigned char LoadModule(const char* path);
  // Saves module m at path (null: its own path). Non-zero on success. A module read from
  // a text object file is saved in place as text (StoreApplication::WriteTextObjectFile);
  // one of which only part was read is refused. Under another name a module is saved as
  // a compound file and goes on as one.
  static int SaveModule(unsigned char m, const char* path = nullptr);
  // Whether module m was read from a text object file, and whether only in part (the
  // user kept what was read before an error).
  static int ModuleIsText(unsigned char m);
  static int ModuleReadInPart(unsigned char m);
  // Unloads module m: a changed module with a file is saved first unless revert is
  // non-zero (a failed save is reported through StoreApplication::HandleException and
  // the module unloads all the same).
  static void UnloadModule(unsigned char m, int revert);
  static void UnloadAllModules(int revert);
  // The module's storage object and its compound file (where its OLE controls keep
  // "OleControlStore"); null for modules without a file.
  static ObjectStore* ModuleStore(unsigned char m);
  static OCLStorage* ModuleStorage(unsigned char m);
  static const char* ModuleName(unsigned char m);
  static const char* ModulePath(unsigned char m);
  static int ModuleDirty(unsigned char m);
  static void MarkModuleDirty(unsigned char m);
  static int ModuleCount();
  // Module number of the name (case-insensitive), or 255.
  static unsigned char FindModule(const char* name);
  // The objects of module m, in slot order (null entries are free slots).
  static int ModuleSlotCount(unsigned char m);
  static InterObjRep* ModuleSlot(unsigned char m, int index);
  // Gives obj a slot in module m (sets its descriptor).
  static void AddToModule(InterObjRep* obj, unsigned char m);
  static void RemoveFromModule(InterObjRep* obj);
  // The module being written, or 255 (references to its objects are written by slot).
  static unsigned char SavingModule();

  // --- publication ---
  // Loads the DLL (name with or without ".dll"; searched on the Orvanel path) and
  // calls its POD_Populate. A DLL published before is not published again. Failures
  // throw StoreException.
  static void PublishObjectDLL(const char* name);
  // The registration step of a published class's PO_InitObject: an uncounted reference
  // to the object already named name when there is one, else to a new prototype made
  // by IndirectInterObj("Orvanel.<name>", name, parent, the standard access control, 0).
  // The caller owns the new holder (delete it when it reads null to register again).
  static Faultp<InterObjRep>* RegisterPublishedClass(const char* name, InterObjRep* parent);
  // The DLL being published (null outside PublishObjectDLL).
  static const char* PublishingDLL();
  // Native classes the store makes itself (its own published classes): progId to a
  // function that makes the native object (one reference held by the caller).
  typedef IInterObj* (*NativeCreator)();
  static void RegisterNativeClass(const char* progId, NativeCreator create);
  // Makes the native object for an object of class cls (walking cls's prototype chain
  // to the nearest class with a ProgID): the store's own classes, else the class
  // factory of the DLL that published it (no outer IUnknown), else the class id the
  // registry or RegisterProgId gives. Null when the chain has no native class.
  static IInterObj* CreateNative(InterObjRep* cls);
  // Class id for a ProgID when the registry does not know it.
  static void RegisterProgId(const char* progId, const CLSID& clsid);
  static bool ClassIdOf(const char* progId, CLSID& clsid);

  // --- misc ---
  // 0 unlocked; other values are the host's (3: shutting down).
  static int LockState();
  static int SetLockState(int state);
  // Looks file (with ext when it has none) up in the current directory, the directory
  // of the program, then the ORVANEL_PATH list. path gets MAX_PATH characters; filePart
  // (may be null) points at the file name in path. Non-zero when found.
  static int SearchOrvanelPath(const char* file, const char* ext, char* path, char** filePart);
  // Adds the static objects of module m (255: all) to group (an iGroup object), top
  // level only when flag is 1. Returns the number added.
  static int GetStaticObjects(unsigned char m, InterObjRep* group, int flag);
  static int GetStaticObjects(unsigned char m, CountedIndirectInterObjList& out, int flag);

  // Start and end of the store: publishes the store's own classes, makes "Boolean",
  // "EvalRequires" and the static objects; Terminate unloads everything.
  static void Initialize();
  static void Terminate();
  static bool Initialized();

 private:
  OCLStorage* storage_;
  unsigned char module_ = kTempModule;
};

// Switches the current module for a scope.
class OVSTORE_API OpenModuleResource {
 public:
  explicit OpenModuleResource(unsigned char m) : prev_(ObjectStore::OpenModule(m)) {}
  ~OpenModuleResource() { ObjectStore::OpenModule(prev_); }

 private:
  unsigned char prev_;
};
