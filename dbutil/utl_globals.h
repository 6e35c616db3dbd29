// Process-wide objects of JXUTL04: the module handle (its string table) and the library
// and heap semaphores, built at load and freed at process exit.
#pragma once

#include <windows.h>

class JxSemaphore;

HINSTANCE utlInstance();
JxSemaphore& utlLibrarySemaphore();
JxSemaphore& utlHeapSemaphore();
