// A product-style library for the registration tests: its entry point registers it.
#include <windows.h>

#include "utils/dllutils.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DLLUtils::ModuleAttached(instance);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) int versionDllAnswer() { return 42; }
