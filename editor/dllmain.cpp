// Library entry: the first attach registers the class; unloading takes it away again so
// that the library can be loaded anew in the same process.
#include <windows.h>

#include "edstate.h"
#include "edwindow.h"
#include "editor/korvoedit.h"

using namespace ked;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    if (!g_initialised) {
      g_instance = instance;
      return InitEditor(instance);
    }
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    shutdown_library();
  }
  return TRUE;
}
