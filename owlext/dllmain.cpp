// ovgui2.dll's entry point: the library registers itself with the utilities' DLL list.
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
