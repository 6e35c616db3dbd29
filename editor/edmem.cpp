// Heap blocks for records, lines and strings, with the out-of-memory box.
#include "edmem.h"

#include <windows.h>
#include <string.h>

namespace ked {

namespace {
int s_failAfter = -1;

bool seam_refuses() {
  if (s_failAfter < 0) return false;
  if (s_failAfter == 0) return true;
  --s_failAfter;
  return false;
}
}  // namespace

void fail_allocations_after(int count) { s_failAfter = count; }

void* alloc_zeroed_silent(size_t size) {
  if (seam_refuses()) return nullptr;
  return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size ? size : 1);
}

void* alloc_zeroed(size_t size) {
  void* block = alloc_zeroed_silent(size);
  if (!block) MessageBoxA(nullptr, "OUT OF MEMORY!!! CAN'T CONTINUE!!!", "", MB_OK);
  return block;
}

void free_block(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

char* copy_string(const char* text) {
  size_t n = strlen(text) + 1;
  char* copy = static_cast<char*>(alloc_zeroed(n));
  if (copy) memcpy(copy, text, n);
  return copy;
}

}  // namespace ked
