// FuzzGuard: the case being fuzzed is reported when the process dies or hangs on it.
#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>

#include "testkit/testkit.h"

namespace testkit {

namespace {

// Prepared in advance: a crash handler may run with little stack and a broken heap.
char g_case[8192];
volatile LONG g_active = 0;
volatile DWORD g_started = 0;
DWORD g_limit = 0;
HANDLE g_thread = nullptr;
volatile LONG g_stop = 0;
std::terminate_handler g_oldTerminate = nullptr;
LPTOP_LEVEL_EXCEPTION_FILTER g_oldFilter = nullptr;
PVOID g_vectored = nullptr;

void Report(const char* what) {
  char head[96];
  int n = std::snprintf(head, sizeof head, "\nFUZZ FAILURE (%s) in case: ", what);
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  WriteFile(err, head, DWORD(n), &written, nullptr);
  WriteFile(err, g_case, DWORD(strlen(g_case)), &written, nullptr);
  WriteFile(err, "\n", 1, &written, nullptr);
  fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 3);
}

LONG WINAPI Unhandled(EXCEPTION_POINTERS* info) {
  char what[48];
  std::snprintf(what, sizeof what, "crash 0x%08lX",
                static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
  Report(what);
  return EXCEPTION_EXECUTE_HANDLER;
}

// A stack overflow may leave too little stack for the unhandled-exception path.
LONG WINAPI Vectored(EXCEPTION_POINTERS* info) {
  if (info->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW && g_active) Report("stack overflow");
  return EXCEPTION_CONTINUE_SEARCH;
}

void Terminated() { Report("terminate"); }
void Aborted(int) { Report("abort"); }

DWORD WINAPI Watch(void*) {
  while (!g_stop) {
    Sleep(200);
    if (g_active && GetTickCount() - g_started > g_limit) Report("hang");
  }
  return 0;
}

}  // namespace

FuzzGuard::FuzzGuard(DWORD limitMs) {
  g_limit = limitMs;
  g_case[0] = 0;
  g_stop = 0;
  g_oldTerminate = std::set_terminate(Terminated);
  g_oldFilter = SetUnhandledExceptionFilter(Unhandled);
  g_vectored = AddVectoredExceptionHandler(1, Vectored);
  std::signal(SIGABRT, Aborted);
  g_thread = CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
}

FuzzGuard::~FuzzGuard() {
  g_stop = 1;
  WaitForSingleObject(g_thread, INFINITE);
  CloseHandle(g_thread);
  std::signal(SIGABRT, SIG_DFL);
  RemoveVectoredExceptionHandler(g_vectored);
  SetUnhandledExceptionFilter(g_oldFilter);
  std::set_terminate(g_oldTerminate);
}

void FuzzGuard::Begin(const std::string& description) {
  g_active = 0;
  size_t n = description.size() < sizeof g_case - 1 ? description.size() : sizeof g_case - 1;
  std::memcpy(g_case, description.data(), n);
  g_case[n] = 0;
  g_started = GetTickCount();
  g_active = 1;
}

void FuzzGuard::End() { g_active = 0; }

}  // namespace testkit
