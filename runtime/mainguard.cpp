// The process guard: OLE, the arithmetic-fault handler, the last-chance handler for
// memory faults and the math-error hook.
#include "runtime/mainguard.h"

#include <windows.h>

#include <float.h>

#include <cstdio>
#include <cstring>

#include "store/storeexcept.h"
#include "utils/xexception.h"

namespace {

int g_installed = 0;
PVOID g_vectored = nullptr;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;

// The fault being turned into an exception: written by the handler, read by the
// function the thread resumes in (the same thread, right after).
volatile LONG g_faultSubCode = 0;
volatile LONG g_faultKind = 0;  // FaultKind
volatile LONG g_hardwareFault = 0;

enum FaultKind : LONG { kNoFault = 0, kSegmentation = 1, kIllegal = 2 };

int g_mathPending = 0;
char g_mathText[128];

// The functions a faulting thread resumes in. The stack is realigned on entry: the
// faulting code may have been anywhere in its frame.
[[noreturn]] __attribute__((noinline, force_align_arg_pointer)) void RaiseArithmeticFault() {
  int sub = g_faultSubCode;
  if (g_mathPending) {
    g_mathPending = 0;
    throw FPException(g_mathText, "MathError");
  }
  throw FPException(FPExceptionIdForCode(sub), "FPE");
}

[[noreturn]] __attribute__((noinline, force_align_arg_pointer)) void RaiseMemoryFault() {
  if (g_faultKind == kIllegal) utilsAssert("\"Illegal Instruction\" == 0", "SIGHNDL", 75);
  utilsAssert("\"Segmentation Violation\" == 0", "SIGHNDL", 69);
}

// Makes the thread continue in fn as if the faulting instruction had called it.
void ResumeIn(CONTEXT* ctx, void (*fn)()) {
#if defined(__x86_64__)
  ctx->Rsp -= sizeof(DWORD64);
  *reinterpret_cast<DWORD64*>(ctx->Rsp) = ctx->Rip;
  ctx->Rip = reinterpret_cast<DWORD64>(fn);
#elif defined(__i386__)
  // The unwinder looks a return address up one byte back (the call before it). The
  // faulting instruction was not a call, so the address one past its first byte makes
  // the lookup land on it, with the frame layout that holds there.
  ctx->Esp -= sizeof(DWORD);
  *reinterpret_cast<DWORD*>(ctx->Esp) = ctx->Eip + 1;
  ctx->Eip = reinterpret_cast<DWORD>(fn);
#else
#error "the process guard knows i686 and x86_64 only"
#endif
}

// First chance for arithmetic faults: nothing in the program handles them otherwise.
LONG CALLBACK ArithmeticHandler(EXCEPTION_POINTERS* ep) {
  int sub = FaultSubCode(ep->ExceptionRecord->ExceptionCode);
  if (!sub || !g_installed) return EXCEPTION_CONTINUE_SEARCH;
  // A floating-point fault leaves the unit's status flags set: clear them, or the next
  // floating-point instruction faults again.
  _clearfp();
  g_faultSubCode = sub;
  ResumeIn(ep->ContextRecord, &RaiseArithmeticFault);
  return EXCEPTION_CONTINUE_EXECUTION;
}

// Last chance for memory faults: system code that probes memory handles its own.
LONG WINAPI MemoryFaultFilter(EXCEPTION_POINTERS* ep) {
  DWORD code = ep->ExceptionRecord->ExceptionCode;
  LONG kind = code == EXCEPTION_ACCESS_VIOLATION      ? kSegmentation
              : code == EXCEPTION_ILLEGAL_INSTRUCTION ? kIllegal
              : code == EXCEPTION_PRIV_INSTRUCTION    ? kIllegal
                                                      : kNoFault;
  if (kind == kNoFault || !g_installed) {
    return g_previousFilter ? g_previousFilter(ep) : EXCEPTION_CONTINUE_SEARCH;
  }
  g_faultKind = kind;
  g_hardwareFault = 1;
  ResumeIn(ep->ContextRecord, &RaiseMemoryFault);
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

MainInit::MainInit() {
  if (g_installed++ == 0) {
    g_vectored = AddVectoredExceptionHandler(1, ArithmeticHandler);
    g_previousFilter = SetUnhandledExceptionFilter(MemoryFaultFilter);
    __mingw_setusermatherr(MathErrorHook);
  }
}

MainInit::~MainInit() {
  if (--g_installed == 0) {
    if (g_vectored) RemoveVectoredExceptionHandler(g_vectored);
    g_vectored = nullptr;
    SetUnhandledExceptionFilter(g_previousFilter);
    g_previousFilter = nullptr;
  }
}

bool MainInit::Installed() { return g_installed > 0; }

int FaultSubCode(unsigned long code) {
  switch (code) {
    case EXCEPTION_INT_OVERFLOW:
      return 126;
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
      return 127;
    case EXCEPTION_FLT_INVALID_OPERATION:
      return 129;
    case EXCEPTION_FLT_DENORMAL_OPERAND:
      return 129;
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
      return 131;
    case EXCEPTION_FLT_OVERFLOW:
      return 132;
    case EXCEPTION_FLT_UNDERFLOW:
      return 133;
    case EXCEPTION_FLT_INEXACT_RESULT:
      return 134;
    case EXCEPTION_FLT_STACK_CHECK:
      return 135;
    default:
      return 0;
  }
}

void FormatMathError(int type, const char* function, char* buffer, size_t size) {
  static const char* const kKinds[] = {"Domain Error: ",
                                       "Singularity: ",
                                       "Overflow: ",
                                       "Underflow: ",
                                       "Total loss of Significance: ",
                                       "Partial loss of Significance: ",
                                       "Stack Overflow: "};
  if (!buffer || size == 0) return;
  if (type >= 1 && type <= 7)
    snprintf(buffer, size, "%s%s", kKinds[type - 1], function ? function : "");
  else
    snprintf(buffer, size, "Math Error");
}

int __cdecl MathErrorHook(struct _exception* e) {
  FormatMathError(e->type, e->name, g_mathText, sizeof g_mathText);
  g_mathPending = 1;
  e->retval = 0.0;
  return 1;
}

int __cdecl MathErrorHookLong(struct _exception* e) { return MathErrorHook(e); }

const char* PendingMathError() { return g_mathPending ? g_mathText : nullptr; }

void ThrowPendingMathError() {
  if (!g_mathPending) return;
  g_mathPending = 0;
  throw FPException(g_mathText, "MathError");
}

bool HardwareFaultSeen() { return g_hardwareFault != 0; }
