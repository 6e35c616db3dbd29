// Native functions for the launcher's tests, called from Basic through Declare.
#include <windows.h>

namespace {
LONG g_calls = 0;
}

// a / b: a divisor of 0 faults (integer division by zero) in this native frame.
extern "C" __declspec(dllexport) int __stdcall DivideBy(int a, int b) {
  volatile int divisor = b;
  return a / divisor;
}

// Counts the calls (a Basic handler's way of saying it ran).
extern "C" __declspec(dllexport) void __stdcall CountCall() { InterlockedIncrement(&g_calls); }
extern "C" __declspec(dllexport) int __stdcall CallCount() { return int(g_calls); }
