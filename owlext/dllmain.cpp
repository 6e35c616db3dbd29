// ovgui2.dll's entry point: the library registers itself with the utilities' DLL list.
#include <windows.h>

#include "utils/dllutils.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DLLUtils::ModuleAttached(instance);
  }
  return TRUE;
}
