// Allocation churn: a table of live slots; each step frees a random slot's block (when
// it holds one) and allocates a new one of a random small size. The same sequence runs
// through ramAlloc/ramFree and through malloc/free in the same process.
//
//   ram_churn_bench [steps] [slots]
#include "dbutil/jxmemory.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <random>
#include <vector>

namespace {

struct Op {
  uint32_t slot, size;
};

double seconds() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

template <class Alloc, class Free>
double run(const std::vector<Op>& ops, uint32_t slots, Alloc alloc, Free release) {
  std::vector<void*> live(slots, nullptr);
  double start = seconds();
  for (const Op& op : ops) {
    void*& p = live[op.slot];
    if (p) release(p);
    p = alloc(op.size);
    static_cast<char*>(p)[0] = 1;  // touch it
  }
  for (void* p : live)
    if (p) release(p);
  return seconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t steps = argc > 1 ? static_cast<uint32_t>(atol(argv[1])) : 2000000;
  uint32_t slots = argc > 2 ? static_cast<uint32_t>(atol(argv[2])) : 1000;
  std::mt19937 rng(42);
  std::vector<Op> ops(steps);
  for (Op& op : ops) {
    op.slot = rng() % slots;
    uint32_t r = rng() % 100;
    op.size = r < 70 ? 4 + rng() % 60 : r < 95 ? 64 + rng() % 192 : 256 + rng() % 1800;
  }
  // Warm both once, then measure.
  run(ops, slots, ramAlloc, ramFree);
  run(ops, slots, malloc, free);
  double ram = run(ops, slots, ramAlloc, ramFree);
  double crt = run(ops, slots, malloc, free);
  printf("steps %u, live slots %u\n", steps, slots);
  printf("ramAlloc/ramFree: %.3f s (%.1f ns per step)\n", ram, ram * 1e9 / steps);
  printf("malloc/free:      %.3f s (%.1f ns per step)\n", crt, crt * 1e9 / steps);
  printf("ratio ram/crt:    %.2f\n", ram / crt);
  return 0;
}
