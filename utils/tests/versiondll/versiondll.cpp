// A product-style library for the registration tests: its entry point registers it.
#include <windows.h>

#include "utils/dllutils.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(instance, path, MAX_PATH);
    path[n <= MAX_PATH ? n : 0] = '\0';
    DLLUtils::DLLAttached(path);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) int versionDllAnswer() { return 42; }
