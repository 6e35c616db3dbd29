// JXUTL04's process-wide objects, built in this order at load: the library semaphore,
// the heap semaphore, the static errors.
#include "utl_globals.h"

#include "dbutil/jxerror.h"
#include "dbutil/jxsemaphore.h"
#include "dbutil/utl_messages.h"

namespace {

HINSTANCE g_instance;

JxSemaphore g_librarySemaphore;
JxSemaphore g_heapSemaphore;

char g_memoryText[] = "Out of memory.";
char g_inertText[] = "";
JxError g_memoryError(MSG_OUT_OF_MEMORY, g_memoryText, sizeof g_memoryText, JxError::MEMORY);
JxError g_inertError(0, g_inertText, sizeof g_inertText, JxError::INERT);

}  // namespace

// The module whose string table holds the messages: this DLL, or the test program
// that links its objects.
HINSTANCE utlInstance() {
  if (!g_instance) {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&utlInstance), &module);
    g_instance = module;
  }
  return g_instance;
}

JxSemaphore& utlLibrarySemaphore() { return g_librarySemaphore; }
JxSemaphore& utlHeapSemaphore() { return g_heapSemaphore; }

JxError* JxError::memoryError() { return &g_memoryError; }
JxError* JxError::inertError() { return &g_inertError; }
