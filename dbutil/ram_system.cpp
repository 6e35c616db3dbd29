// The system allocations under the heap, and the direct 64 KB and huge buffers.
#include "dbutil/jxmemory.h"

#include "dbutil/jxerror.h"
#include "ram_internal.h"

#include <windows.h>

namespace jxram {

static volatile LONG g_failNext;

void failNextSystemAllocs(int n) { InterlockedExchange(&g_failNext, n); }

void* sysAlloc(size_t n) {
  if (g_failNext > 0 && InterlockedDecrement(&g_failNext) >= 0) return nullptr;
  return HeapAlloc(GetProcessHeap(), 0, n);
}

void sysFree(void* p) { HeapFree(GetProcessHeap(), 0, p); }

}  // namespace jxram

void* ramAllocHuge(uint32_t size) {
  void* p = jxram::sysAlloc(size ? size : 1);
  if (!p) JxErrorKeeper::addMemoryError();
  return p;
}

void ramFreeHuge(void* p) {
  if (p) jxram::sysFree(p);
}

void* ramAlloc64K() { return ramAllocHuge(65536); }

void ramFree64K(void* p) { ramFreeHuge(p); }

short ramIsAllocOK() {
  MEMORYSTATUSEX status;
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  return status.ullAvailVirtual > 400000 && status.ullAvailPageFile > 400000 ? 1 : 0;
}
