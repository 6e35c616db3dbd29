// OCLStorage: one OLE storage: a compound file by path (a temporary one for an empty
// path), a storage on an ILockBytes, or a sub-storage. A read-only parent makes its
// elements read-only. Opening failures do not throw: the result is kept (OleResult,
// with its text in OleResult::buf) and is() is false.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "utils/allocator.h"
#include "olecls/ocl.h"
#include "olecls/ovlunknw.h"
#include "olecls/ovole_api.h"

class OVOLE_API OCLStorage : public OleResult, public Allocator {
 public:
  static bool IsStorageFile(const char* path);
  // Whether stg was opened with write access; stg must not be null (assertion).
  static bool isWritable(IStorage* stg);

  // Null or empty path: a temporary file, deleted when its last reference goes. With
  // create, the file is created, or opened when it exists already.
  OCLStorage(const char* path, int create, unsigned long mode);
  OCLStorage(ILockBytes* bytes, unsigned long mode);
  // The sub-storage name of parent (an empty name is passed as null).
  OCLStorage(IStorage* parent, const char* name, int create, unsigned long mode, IStorage* priority = nullptr,
             SNB exclude = nullptr);
  // Wraps stg with a reference of its own (stg must not be null: assertion).
  explicit OCLStorage(IStorage* stg);
  OCLStorage(const OCLStorage&) = delete;
  OCLStorage& operator=(const OCLStorage&) = delete;

  bool is() const { return rep_.is(); }
  IStorage* storage() const { return rep_.get(); }
  IStorage* operator->() const { return rep_.operator->(); }

  bool isWritable();
  // The file name as a new[] ANSI string (caller deletes), or null.
  char* GetStoragePath();
  // Saves the whole compound file as file and continues on it. True at once when file
  // is already this storage's file (any case). Through IRootStorage where the storage
  // has it, else (a compound file opened by path) by copying into a new compound file.
  bool SwitchTo(const char* file);

 private:
  HRESULT copyToNewFile(const wchar_t* file);

  OvlUnknown<IStorage> rep_;
  bool fileRoot_ = false;  // opened or created by path: a whole compound file
};
