// DLL registration and version resources.
//
// Every product library's entry point passes its own module path to DLLAttached on
// process attach; the process-wide list attachedDLLs then reads "NAME:VERSION;..." where
// NAME is the module's file name up to its first '.' and VERSION the file version as
// FormatVersion writes it ("0.0" for a module without version resource).
#pragma once

#include "utils/ovutil_api.h"
#include "utils/rwcstring.h"

class OVUTIL_API DLLUtils {
 public:
  static void DLLAttached(const char* path);
  // The same for a library's module handle (its entry point's instance): the path is
  // looked up first.
  static void ModuleAttached(void* module);
  // The list; made on first use, since libraries attach before static objects of this
  // library are guaranteed to exist.
  static RWCString& AttachedDLLs();

  // The whole version resource of the file, allocated with new[] and owned by the caller
  // (delete[]); null for a null or empty path, no version resource, or a failed read.
  static char* GetVersionData(const char* path);
  // The two halves of the file or product version of the root block; both 0 when data is
  // null or has no root block.
  static void GetFileVersion(const void* data, unsigned long& ms, unsigned long& ls);
  static void GetProductVersion(const void* data, unsigned long& ms, unsigned long& ls);
  // "1.2", "1.2.3", "1.2.3.4" or "1.2.0.4": the third and fourth numbers only when
  // needed. out needs room for 24 characters.
  static void FormatVersion(char* out, unsigned long ms, unsigned long ls);

  // The module handle of ovutil.dll itself, as its entry point received it.
  static void* ModuleHandle() { return module_; }

 private:
  friend int ovutilAttached(void* module);
  static void* module_;
};
