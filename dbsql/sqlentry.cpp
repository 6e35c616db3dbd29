// The library entry of JXSQL04: the first call reads the locale the conversions follow.
#include "dbsql/bcvlocale.h"

#include <windows.h>

namespace {
bool g_started;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  if (!g_started) {
    g_started = true;
    bcvinit();
  }
  return TRUE;
}
