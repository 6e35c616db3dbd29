// ovole.dll's entry point: the library registers itself with the utilities' DLL list.
#include <windows.h>

#include "utils/dllutils.h"

namespace {
HINSTANCE g_module;
}

extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DLLUtils::ModuleAttached(instance);
  }
  return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return DllEntryPoint(instance, reason, reserved);
}
