// The pooled allocator behind the class-level new and delete of product classes.
//
// Requests of up to 196 bytes are served from 50 size classes of 4-byte steps (class
// index = (size + 3) / 4); each class keeps a free list of returned blocks whose length
// limit adapts to the class's recent demand (checked every 50 requests) and is trimmed
// to half the limit when it reaches it. Larger requests go to the global heap.
//
// Every block carries a 32-bit word just in front of the caller's area: the block size
// (index + 1) * 4 for pooled blocks, kPoolOverflowWord for blocks from the global heap, so
// that delete never has to guess from the heap's own bookkeeping.
//
// Not thread-safe: used from one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "utils/ovutil_api.h"

// The word in front of a block from the global heap: (word - 1) / 4 is far above 49.
const uint32_t kPoolOverflowWord = 0xFFFFFF01u;

// One size class's record, as Query copies it and Reset takes it.
struct AllocatorData {
  void* head;          // first free block's caller area, null when empty
  int32_t limit;       // keep limit of the free list
  int32_t total;       // blocks held from the heap (in use or free)
  int32_t length;      // blocks on the free list
  int32_t requests;    // allocations served
  int32_t allocs;      // blocks obtained from the heap, cumulative
  int32_t spare;       // set only by Reset
  int32_t lastAllocs;  // allocs at the last adaptation
};

class OVUTIL_API PoolAllocator {
 public:
  enum {
    kClasses = 50,     // pooled indexes 0..49
    kMaxPooled = 196,  // largest pooled request
    kAdaptEvery = 50,  // requests between adaptations
  };

  static void* operator new(size_t size);
  // Throws XAssert (utilsAssert) on a block that no size class or the overflow path made.
  static void operator delete(void* p) noexcept(false);

  // 0 for an index outside 0..49, -1 when the class has no record yet, else the block
  // size (index + 1) * 4; the record is copied when out is non-null and size is
  // sizeof(AllocatorData).
  static int Query(int index, AllocatorData* out, int size);
  // 0 for a bad index or argument, -1 when the class has no record or after the reset:
  // copies requests, allocs, lastAllocs and spare from in and sets the overflow count to 0.
  static int Reset(int index, AllocatorData* in, int size);
  // Requests that bypassed the pools.
  static uint32_t Overflow();
  // The consistency check behind Allocator::memPoolCheck (utilsAssert on failure).
  static void Check();

  // Blocks handed out (pooled or from the heap) and not returned yet.
  static int32_t InUse();
  // Requests served since the process started.
  static uint32_t Requests();
  // Test seam: the request after the next n ones throws std::bad_alloc (once); a
  // negative n turns failing off. Armed() tells whether the failure is still to come.
  static void FailAfter(int32_t n);
  static bool Armed();

 private:
  static void* allocate(size_t size);
};

// Base of product classes: their objects are allocated by PoolAllocator.
class OVUTIL_API Allocator {
 public:
  static void* operator new(size_t size) { return PoolAllocator::operator new(size); }
  static void operator delete(void* p) noexcept(false) { PoolAllocator::operator delete(p); }
  static void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
      return PoolAllocator::operator new(size);
    } catch (...) {
      return nullptr;
    }
  }
  static void operator delete(void* p, const std::nothrow_t&) { PoolAllocator::operator delete(p); }
  // Placement forms stay usable on derived classes.
  static void* operator new(size_t, void* where) noexcept { return where; }
  static void operator delete(void*, void*) noexcept {}

  static void memPoolCheck();
};
