// IWOleCntr: the OLE container control ("Ole"). This header holds its control storage:
// where each control keeps its embedded or linked object, inside the compound file of
// the module that holds the control.
//
// The process-wide module table maps a module number (0-253) to the module's control
// store. The launcher's module storage object tells it when a module's storage opens
// (newModule), is written (writeModule) and goes (delModule). Inside a module's
// storage:
//
//   "OleControlStore"                        storage
//   "OleControlStore"/"NumberOfOleControls"  stream: revision (ULONG, 1), count (ULONG)
//   "OleControlStore"/<n>                    one storage per control, n in lower-case
//                                            hexadecimal ("%lx": 16 is "10")
//
// A control's storage number n starts at 1 and is never handed out twice in a module,
// also after its storage was destroyed (the count is the highest number so far). -1 is
// "no storage"; 0 is a temporary compound file, the storage of a control whose object
// belongs to no module (module 254), deleted when its last reference goes.
//
// Every element is opened with STGM_READWRITE | STGM_SHARE_EXCLUSIVE, created when
// missing, and read-only under a read-only parent. A read-only module storage that has
// no "OleControlStore" yet gets an entry without a control store: its controls find no
// storage (-1 and null answers) and writing it writes nothing.
//
// The table is not locked: it belongs to the thread that runs the object store.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "guiobjects2/oviui2_api.h"

class InterObjRep;
class OCLStorage;

class OVIUI2_API IWOleCntr {
 public:
  enum : unsigned { MAX_MODULES = 254 };
  // The revision of "NumberOfOleControls" this code reads and writes.
  enum : unsigned long { kRevision = 1 };
  // STGM_READWRITE | STGM_SHARE_EXCLUSIVE.
  enum : unsigned long { kStorageMode = 0x12 };
  // Storage numbers that name no storage in a module.
  enum : long { kNoStorage = -1, kTemporaryStorage = 0 };

  // One module's entry (defined with the table).
  struct ModuleEntry;

  // --- the module table ---
  // Opens (or creates) the control store of module m inside moduleStorage and registers
  // it under m. A "NumberOfOleControls" of another revision throws ModuleOpenFailed
  // "OLE storage revision error", a cut one ModuleOpenFailed too, an OLE failure an
  // OleException; in every such case the slot stays empty. m must be below MAX_MODULES
  // and its slot empty (assertions).
  static void newModule(unsigned char m, OCLStorage& moduleStorage);
  // Writes module m's revision and count from the start of "NumberOfOleControls".
  // Commits nothing: the module's owner commits its storage.
  static void writeModule(unsigned char m);
  // Forgets module m: releases its moniker and control store and empties the slot.
  // Writes nothing (call writeModule first to keep the count).
  static void delModule(unsigned char m);
  // Gives module m a file moniker for path and answers it; the entry keeps the
  // reference, the caller gets none. Failures throw OleException.
  static IMoniker* renameModule(unsigned char m, const char* path);

  // --- the table as the launcher's module storage sees it ---
  // Whether m (any value) has an entry, and the entry itself (null when none).
  static bool hasModule(unsigned char m);
  static ModuleEntry* moduleEntry(unsigned char m);
  // The highest storage number handed out in module m (0 without an entry).
  static unsigned long controlCount(unsigned char m);
  // Whether module m's entry has a control store (false without an entry).
  static bool hasControlStore(unsigned char m);
  // A module saved under another name gets a second storage object while the first
  // still lives: detachModule takes the first one's entry out of the slot (null when
  // none) so that newModule can register the new storage; attachModule puts a detached
  // entry back into its empty slot; freeModule releases a detached entry. raiseCount
  // lifts m's count to at least count, so that a new storage carries the numbers the
  // old one has handed out.
  static ModuleEntry* detachModule(unsigned char m);
  static void attachModule(unsigned char m, ModuleEntry* entry);
  static void freeModule(ModuleEntry* entry);
  static unsigned long entryCount(const ModuleEntry* entry);
  static void raiseCount(unsigned char m, unsigned long count);

  // The storage name of number n ("%lx").
  static void StorageName(long n, char (&name)[16]);

  // --- a control's storage ---
  // object: the control's object in the store (the module it lives in); may be set
  // later. Answers work on that object's module.
  explicit IWOleCntr(InterObjRep* object = nullptr);
  virtual ~IWOleCntr();
  InterObjRep* controlObject() const { return object_; }
  void setControlObject(InterObjRep* object) { object_ = object; }

  // A storage for a new object of the control in module m: its number, with the
  // storage in *out holding one reference for the caller; -1 (and null) when there is
  // none. Module 254 gets a temporary compound file and the number 0.
  long addControl(IStorage** out, unsigned char m);
  // Destroys control storage n of the control's module. Nothing for module 254, a
  // module without a control store, or a number that names none (n below 1). The count
  // is not lowered.
  void rmControl(long n);
  // Control storage n of the control's module (created empty when missing), with one
  // reference for the caller; null for module 254, a module without a control store,
  // or n below 1.
  IStorage* getControlStg(long n);
  // The module's file moniker with one reference for the caller, or null.
  IMoniker* getFileMoniker();

 private:
  // The entry of the control's module, or null (module 254, no entry). Asserts that
  // the control has its object.
  ModuleEntry* controlModule(int line) const;

  InterObjRep* object_;
  static ModuleEntry* moduleTable[MAX_MODULES];
};
