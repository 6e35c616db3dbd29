// PoolAllocator: size-class free lists with adaptive keep limits.
#include "utils/allocator.h"

#include <cstring>

#include "utils/xexception.h"

static_assert(sizeof(void*) != 4 || sizeof(AllocatorData) == 32,
              "the statistics record is eight 32-bit fields");

namespace {

// Caller areas are aligned like the heap's own blocks: the 32-bit word sits in the last
// four bytes of a lead of this many bytes.
const size_t kLead = 2 * sizeof(void*);

AllocatorData* dataArray[PoolAllocator::kClasses];
uint32_t overflowCount;
int32_t inUse;
uint32_t requestCount;
int32_t failAfter = -1;  // requests still to serve before one fails; -1: none fails

inline uint32_t& wordOf(void* p) { return reinterpret_cast<uint32_t*>(p)[-1]; }
inline void*& linkOf(void* p) { return *static_cast<void**>(p); }
inline char* heapBlockOf(void* p) { return static_cast<char*>(p) - kLead; }

inline int32_t initialLimit(int index) { return 240 / ((index + 1) * 4) + 2; }

// Room behind the word: the class's area, at least a free-list link.
inline size_t areaOf(int index) {
  size_t area = size_t(index) * 4;
  return area < sizeof(void*) ? sizeof(void*) : area;
}

void adapt(AllocatorData* d) {
  // More than 10 of the blocks since the last adaptation came from the heap: keep more.
  if (d->allocs - d->lastAllocs > 10) {
    ++d->limit;
  } else if (d->length > 2 && d->limit > 2 && double(d->length) / d->total > 0.25) {
    --d->limit;
  }
  d->lastAllocs = d->allocs;
}

// Gives free blocks back to the heap until the list holds half the keep limit.
void trim(AllocatorData* d) {
  while (d->limit / 2 < d->length) {
    void* p = d->head;
    d->head = linkOf(p);
    ::operator delete(heapBlockOf(p));
    --d->total;
    --d->length;
  }
}

}  // namespace

void* PoolAllocator::operator new(size_t size) {
  if (failAfter >= 0 && failAfter-- == 0) throw std::bad_alloc();
  void* p = allocate(size);
  ++inUse;
  ++requestCount;
  return p;
}

void* PoolAllocator::allocate(size_t size) {
  if (size == 0) size = 1;  // class 0 has no room for the free-list link
  size_t index = (size + 3) / 4;
  if (index >= kClasses) {
    ++overflowCount;
    char* block = static_cast<char*>(::operator new(kLead + size));
    void* p = block + kLead;
    wordOf(p) = kPoolOverflowWord;
    return p;
  }
  AllocatorData*& d = dataArray[index];
  if (!d) {
    d = static_cast<AllocatorData*>(::operator new(sizeof(AllocatorData)));
    memset(d, 0, sizeof *d);
    d->limit = initialLimit(int(index));
  }
  if (d->requests != 0 && d->requests % kAdaptEvery == 0) adapt(d);
  ++d->requests;
  if (void* p = d->head) {
    d->head = linkOf(p);
    --d->length;
    return p;
  }
  char* block = static_cast<char*>(::operator new(kLead + areaOf(int(index))));
  ++d->total;
  ++d->allocs;
  void* p = block + kLead;
  wordOf(p) = uint32_t(index + 1) * 4;
  return p;
}

void PoolAllocator::operator delete(void* p) noexcept(false) {
  if (!p) return;
  --inUse;
  uint32_t word = wordOf(p);
  if (word == kPoolOverflowWord) {
    ::operator delete(heapBlockOf(p));
    return;
  }
  uint32_t index = (word - 1) / 4;
  if (index >= kClasses || word % 4 != 0) utilsAssert("block word of a pooled block", "POOLALLC.CPP", 170);
  AllocatorData* d = dataArray[index];
  if (!d) utilsAssert("data", "POOLALLC.CPP", 185);
  linkOf(p) = d->head;
  d->head = p;
  ++d->length;
  if (d->length >= d->limit) trim(d);
}

int PoolAllocator::Query(int index, AllocatorData* out, int size) {
  if (index < 0 || index >= kClasses) return 0;
  const AllocatorData* d = dataArray[index];
  if (!d) return -1;
  if (out && size == int(sizeof(AllocatorData))) *out = *d;
  return (index + 1) * 4;
}

int PoolAllocator::Reset(int index, AllocatorData* in, int size) {
  if (index < 0 || index >= kClasses) return 0;
  AllocatorData* d = dataArray[index];
  if (!d) return -1;
  if (!in || size != int(sizeof(AllocatorData))) return 0;
  d->requests = in->requests;
  d->allocs = in->allocs;
  d->lastAllocs = in->lastAllocs;
  d->spare = in->spare;
  overflowCount = 0;
  return -1;
}

uint32_t PoolAllocator::Overflow() { return overflowCount; }

void PoolAllocator::Check() {
  for (int i = 0; i < kClasses; ++i) {
    const AllocatorData* d = dataArray[i];
    if (!d) continue;
    int32_t len = 0;
    for (void* p = d->head; p; p = linkOf(p)) ++len;
    if (len != d->length) utilsAssert("len == dataArray[i]->length", "POOLALLC.CPP", 98);
    if (d->total < d->length) utilsAssert("dataArray[i]->total >= dataArray[i]->length", "POOLALLC.CPP", 100);
  }
}

int32_t PoolAllocator::InUse() { return inUse; }

uint32_t PoolAllocator::Requests() { return requestCount; }

void PoolAllocator::FailAfter(int32_t n) { failAfter = n < 0 ? -1 : n; }

bool PoolAllocator::Armed() { return failAfter >= 0; }

void Allocator::memPoolCheck() { PoolAllocator::Check(); }
