// MainInit: the launcher's process guard, the first object main constructs and the
// last it destroys. It keeps OLE initialised and turns hardware faults into the
// system's exceptions:
//
//  - floating-point and integer arithmetic faults become the store's FPException
//    (FPException(id, "FPE"), ids 32699..32707 by the fault's sub-code);
//  - an error reported by the math library (MathErrorHook) is held and thrown as
//    FPException(text, "MathError") at the next arithmetic fault or at the next poll of
//    the interpreter (ThrowPendingMathError), whichever comes first;
//  - an access violation or illegal instruction that nothing else handles becomes the
//    assertion failure "\"Segmentation Violation\" == 0" or "\"Illegal Instruction\" == 0"
//    (XAssert), and the process is marked as damaged: from then on the program-error
//    box offers no saving (HardwareFaultSeen).
//
// A C++ exception must not be thrown from inside the system's exception dispatch, so the
// handlers only record the fault and resume the faulting thread in a small function
// that throws, as if the faulting instruction had called it: the exception then unwinds
// from the fault's frame like any other.
#pragma once

#include <math.h>

#include "olecls/ocl.h"

class MainInit {
 public:
  MainInit();
  ~MainInit();
  MainInit(const MainInit&) = delete;
  MainInit& operator=(const MainInit&) = delete;

  // True while a MainInit exists (the handlers are installed).
  static bool Installed();

 private:
  OCL ocl_;
};

// The math library's error hook (installed by MainInit): formats the error ("Domain
// Error: log", ...), holds it and asks the library to return 0.0. Returns 1 (handled).
int __cdecl MathErrorHook(struct _exception* e);
// The long-double functions report through the same record.
int __cdecl MathErrorHookLong(struct _exception* e);

// The text of the held math error, or null when none is held.
const char* PendingMathError();
// Throws the held math error (and forgets it); nothing when none is held.
void ThrowPendingMathError();

// The text of a math error record ("Overflow: exp"; "Math Error" for unknown types).
void FormatMathError(int type, const char* function, char* buffer, size_t size);

// The sub-code of an arithmetic fault's exception code (127 integer division by zero,
// 131 division by zero, ...), 0 for other codes.
int FaultSubCode(unsigned long exceptionCode);

// True once an access violation or illegal instruction reached the guard.
bool HardwareFaultSeen();
