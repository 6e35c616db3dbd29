// Handle: one-word objects in the process-wide block array.
#include "utils/blockarray.h"

namespace {

BlockArray<Handle>& handles() {
  static BlockArray<Handle> array(1024, 1024);
  return array;
}
unsigned handedOut = 0;

void countSlot(Handle& h, void* arg) {
  int* counters = static_cast<int*>(arg);
  ++counters[0];
  if (h.value()) ++counters[1];
}

}  // namespace

void* Handle::operator new(size_t size) {
  UTILS_ASSERT(size == sizeof(Handle));
  BlockArray<Handle>& array = handles();
  array.ensureCount(handedOut + 1);
  return &array[handedOut++];
}

void Handle::Query(int* slots, int* live) {
  int counters[2] = {0, 0};
  handles().forEach(countSlot, counters);
  if (slots) *slots += counters[0];
  if (live) *live += counters[1];
}
