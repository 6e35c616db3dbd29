// ovapp.exe: the application stub. A finished application is a copy of it whose
// ".orvanel" section holds the start-up record (ovstamp writes it); the user's own
// arguments reach the application unchanged.
#include <windows.h>

#include "runtime/stubrecord.h"
#include "winlib/applicat.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmdLine, int cmdShow) {
  TApplication::SetWinMainParams(instance, prev, cmdLine, cmdShow);
  return StubMain(__argc, __argv);
}
