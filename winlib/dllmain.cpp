// Library entry: the module object through which the library's own resources load.
#include <windows.h>

#include "winlib/module.h"

void WlSetWinLibModule(TModule* module);

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  static TModule* module = nullptr;
  if (reason == DLL_PROCESS_ATTACH && !module) {
    module = new TModule("ovgui1", instance);
    WlSetWinLibModule(module);
  } else if (reason == DLL_PROCESS_DETACH && module) {
    WlSetWinLibModule(nullptr);
    delete module;
    module = nullptr;
  }
  return TRUE;
}
