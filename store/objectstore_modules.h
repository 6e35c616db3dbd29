// Internal: the module table behind ObjectStore (not exported).
#pragma once

#include <string>
#include <vector>

class InterObjRep;
class ObjectStore;
class OCLStorage;

struct ModuleRec {
  std::string name;
  std::string path;
  std::vector<InterObjRep*> slots;  // counted; null = free slot
  bool dirty = false;
  bool deleting = false;
  // Read from a text object file: saved in place as text, never as a compound file.
  bool text = false;
  // Only part of the text was read (the user kept it after an error): never written
  // back over its file.
  bool partial = false;
  ObjectStore* store = nullptr;   // the module's storage object (owned)
  OCLStorage* storage = nullptr;  // its storage, when the module came from a file (owned)
};

extern ModuleRec* g_modules[256];
// The record of module m (made on demand for the temporary module 254), or null.
ModuleRec* StoreModule(unsigned char m);
// Writes module m into stg (see objectstore.h for the layout); non-zero on success.
int StoreWriteModule(unsigned char m, OCLStorage* stg);
// Module m's storage object over stg, made by the application: the number is the
// object's from its constructor on, so that a host's storage object can register the
// module there.
ObjectStore* StoreNewModuleStore(unsigned char m, OCLStorage* stg);
// Puts obj into slot index of module m (module loading).
void StorePlaceInSlot(InterObjRep* obj, unsigned char m, unsigned index);
