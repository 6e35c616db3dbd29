// A stand-in for the 3-D controls library, built as bin/fakectl3d/ctl3d32.dll for the
// tests of the optional 3-D path: the entry points the window library and the window
// base take by name, recording their calls.
//
//   Ctl3dRegister / Ctl3dUnregister        count, answer TRUE
//   Ctl3dAutoSubclass / Ctl3dUnAutoSubclass count, answer TRUE
//   Ctl3dSubclassCtl(HWND)                 counts and keeps the window, answers TRUE
//   Ctl3dCtlColorEx(msg, hdc, child)       counts and keeps the message, answers the
//                                          brush set by fakeCtl3dSetBrush (null at start)
//
// Test hooks: fakeCtl3dCounts (the six numbers below, in order), fakeCtl3dSetBrush.
#include <windows.h>

namespace {
LONG g_register = 0, g_unregister = 0, g_auto = 0, g_subclass = 0, g_color = 0;
UINT g_lastMessage = 0;
HWND g_lastWindow = nullptr;
HBRUSH g_brush = nullptr;
}  // namespace

extern "C" {

__declspec(dllexport) BOOL WINAPI Ctl3dRegister(HINSTANCE) {
  ++g_register;
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI Ctl3dUnregister(HINSTANCE) {
  ++g_unregister;
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI Ctl3dAutoSubclass(HINSTANCE) {
  ++g_auto;
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI Ctl3dUnAutoSubclass() {
  --g_auto;
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI Ctl3dSubclassCtl(HWND window) {
  ++g_subclass;
  g_lastWindow = window;
  return TRUE;
}

__declspec(dllexport) HBRUSH WINAPI Ctl3dCtlColorEx(UINT message, WPARAM, LPARAM) {
  ++g_color;
  g_lastMessage = message;
  return g_brush;
}

// register, unregister, auto-subclass balance, subclass calls, colour calls, last
// colour message.
__declspec(dllexport) void fakeCtl3dCounts(long* out, HWND* lastWindow) {
  out[0] = g_register;
  out[1] = g_unregister;
  out[2] = g_auto;
  out[3] = g_subclass;
  out[4] = g_color;
  out[5] = (long)g_lastMessage;
  if (lastWindow) *lastWindow = g_lastWindow;
}

__declspec(dllexport) void fakeCtl3dSetBrush(HBRUSH brush) { g_brush = brush; }
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
