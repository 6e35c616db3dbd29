// ovrun.exe: starts an application from its modules. ovrun MODULE... -app APP
// [-splash SFILE] [ARGS...] (include/runtime/cmdline.h has the rules).
#include <windows.h>

#include <cstdlib>

#include "runtime/launch.h"
#include "winlib/applicat.h"

// The run-time library parsed the command line into __argc/__argv. The program returns
// normally so that libraries detach, buffers are flushed and OLE shuts down.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmdLine, int cmdShow) {
  TApplication::SetWinMainParams(instance, prev, cmdLine, cmdShow);
  return LauncherMain(__argc, __argv);
}
