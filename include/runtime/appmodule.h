// AppModule: the launcher's storage object of one module (the object store makes it
// through App::NewModuleStore when it opens, or saves under another name, a module's
// compound file). It registers the module with the OLE container's control storage,
// which keeps the module's OLE controls in the same compound file, writes the control
// count with the module and forgets the module when the store deletes it.
//
// Saving under another name makes a second storage object for the module while the
// first one lives: the second takes the table slot over (keeping the numbers the first
// has handed out) and gives it back if it goes without the first having gone.
#pragma once

#include "guiobjects2/iwolecntr.h"
#include "store/objectstore.h"

class AppModule : public ObjectStore {
 public:
  explicit AppModule(OCLStorage* storage);
  ~AppModule() override;

  // The store's operations for module m (m must be this object's module: assertion).
  // Non-zero: the module stays loaded.
  int moduleLoaded(unsigned char m) override;
  // The module's objects, then its control count; answers what the store's write does.
  int writeModule(unsigned char m) override;
  // Forgets the module's control store.
  void deleteModule(unsigned char m) override;

  // Whether the module's control store is registered by this object.
  bool registered() const;

 private:
  IWOleCntr::ModuleEntry* entry_ = nullptr;      // ours while in the table
  IWOleCntr::ModuleEntry* displaced_ = nullptr;  // the slot's entry before us
};
