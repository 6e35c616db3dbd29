// How a host reaches the VBX emulation library: the file is chosen by the system version,
// loaded by name and its entry points taken by ordinal. `complete` records whether all 129
// were found; a host calls nothing but through a complete library.
#pragma once

#include "vbx/vbxapi.h"

struct VbxLibrary {
  // The library's file name for a GetVersion answer: "VBXTHUNK.32N" on an NT-based system
  // (high bit clear), "VBXTHUNK.32S" below major version 4, else "VBXTHUNK.32C".
  static const char* FileNameFor(DWORD version) {
    if (!(version & 0x80000000u)) return "VBXTHUNK.32N";
    if ((version & 0xFF) < 4) return "VBXTHUNK.32S";
    return "VBXTHUNK.32C";
  }

  HMODULE module = nullptr;
  bool complete = false;
  int found = 0;  // entry points found
#define VBX_LOADER_MEMBER(ordinal, result, name, params) name##_fn name = nullptr;
  VBX_ENTRY_POINTS(VBX_LOADER_MEMBER)
#undef VBX_LOADER_MEMBER

  VbxLibrary() = default;
  VbxLibrary(const VbxLibrary&) = delete;
  VbxLibrary& operator=(const VbxLibrary&) = delete;
  ~VbxLibrary() { Unload(); }

  // Loads the file for this system's version.
  bool Load() { return LoadFile(FileNameFor(GetVersion())); }

  // Loads the named file and takes the entry points by ordinal; answers `complete`.
  bool LoadFile(const char* fileName) {
    Unload();
    module = LoadLibraryA(fileName);
    if (!module) return false;
    found = 0;
#define VBX_LOADER_TAKE(ordinal, result, name, params)                                   \
  name = reinterpret_cast<name##_fn>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))); \
  if (name) ++found;
    VBX_ENTRY_POINTS(VBX_LOADER_TAKE)
#undef VBX_LOADER_TAKE
    complete = found == VBX_ENTRY_COUNT;
    return complete;
  }

  void Unload() {
    if (module) FreeLibrary(module);
    module = nullptr;
    complete = false;
    found = 0;
#define VBX_LOADER_CLEAR(ordinal, result, name, params) name = nullptr;
    VBX_ENTRY_POINTS(VBX_LOADER_CLEAR)
#undef VBX_LOADER_CLEAR
  }
};
