// The per-task small-block heap: next-fit search from a rover, coalescing only while a
// search needs room, and blocks returned to the system as soon as they empty.
#include "dbutil/jxmemory.h"

#include "dbutil/jxerror.h"
#include "dbutil/jxpertask.h"
#include "dbutil/jxsemaphore.h"
#include "ram_internal.h"
#include "utl_globals.h"

#include <string.h>

using namespace jxram;

namespace {

void** heapSlot() {
  static void** slot = mdsGetPerTaskDataAddress(PTD_HEAP);
  return slot;
}

struct HeapGuard {
  HeapGuard() { utlHeapSemaphore().lock(); }
  ~HeapGuard() { utlHeapSemaphore().unlock(); }
};

// Sizes of free chunks are counted in freeBytes by whoever changes them.
void unlinkFree(Block* b, uint32_t c) {
  uint32_t n = nextFree(b, c), p = prevFree(b, c);
  if (p)
    nextFree(b, p) = n;
  else
    b->freeList = n;
  if (n) prevFree(b, n) = p;
  b->freeCount--;
}

void pushFree(Block* b, uint32_t c) {
  nextFree(b, c) = b->freeList;
  prevFree(b, c) = 0;
  if (b->freeList) prevFree(b, b->freeList) = c;
  b->freeList = c;
  b->freeCount++;
}

// The blocks sorted by address, so that a pointer finds its block by binary search.
struct BlockIndex {
  Block** items = nullptr;
  uint32_t count = 0, capacity = 0;

  uint32_t lowerBound(const void* p) const {
    uint32_t lo = 0, hi = count;
    while (lo < hi) {
      uint32_t mid = (lo + hi) / 2;
      if (reinterpret_cast<const char*>(items[mid]) < static_cast<const char*>(p))
        lo = mid + 1;
      else
        hi = mid;
    }
    return lo;
  }
  bool insert(Block* b) {
    if (count == capacity) {
      uint32_t n = capacity ? capacity * 2 : 64;
      Block** grown = static_cast<Block**>(sysAlloc(n * sizeof(Block*)));
      if (!grown) return false;
      if (count) memcpy(grown, items, count * sizeof(Block*));
      if (items) sysFree(items);
      items = grown;
      capacity = n;
    }
    uint32_t i = lowerBound(b);
    memmove(items + i + 1, items + i, (count - i) * sizeof(Block*));
    items[i] = b;
    ++count;
    return true;
  }
  void remove(Block* b) {
    uint32_t i = lowerBound(b);
    if (i < count && items[i] == b) {
      memmove(items + i, items + i + 1, (count - i - 1) * sizeof(Block*));
      --count;
    }
  }
  // The block whose range holds p.
  Block* find(const void* p) const {
    uint32_t i = lowerBound(p);  // first block at or after p
    if (i == 0) return nullptr;
    Block* b = items[i - 1];
    const char* base = reinterpret_cast<const char*>(b);
    return static_cast<const char*>(p) < base + b->size ? b : nullptr;
  }
};

BlockIndex g_index;

// Injected failures (tests), read and written under the heap lock.
int g_skipAllocs, g_failAllocs;

bool injectedFailure() {
  if (g_failAllocs <= 0) return false;
  if (g_skipAllocs > 0) {
    --g_skipAllocs;
    return false;
  }
  --g_failAllocs;
  return true;
}

// The rest of a split chunk takes the chunk's place in the free list.
void replaceFree(Block* b, uint32_t oldChunk, uint32_t newChunk) {
  uint32_t n = nextFree(b, oldChunk), p = prevFree(b, oldChunk);
  nextFree(b, newChunk) = n;
  prevFree(b, newChunk) = p;
  if (p)
    nextFree(b, p) = newChunk;
  else
    b->freeList = newChunk;
  if (n) prevFree(b, n) = newChunk;
}

// Successor in free-list order, wrapping from the last chunk to the first.
uint32_t ringNext(const Block* b, uint32_t c) {
  uint32_t n = nextFree(b, c);
  return n ? n : b->freeList;
}

Block* newBlock(uint32_t need) {
  uint32_t area = need > kMinArea ? need : kMinArea;
  Block* b = static_cast<Block*>(sysAlloc(kHeaderSize + area));
  if (!b) return nullptr;
  if (!g_index.insert(b)) {
    sysFree(b);
    return nullptr;
  }
  b->size = kHeaderSize + area;
  b->freeList = b->rover = kHeaderSize;
  b->next = b->prev = nullptr;
  b->inUse = 0;
  b->freeCount = 1;
  b->freeBytes = area;
  b->maxFit = area;
  word(b, kHeaderSize) = area;
  nextFree(b, kHeaderSize) = prevFree(b, kHeaderSize) = 0;
  return b;
}

// Next-fit search of one block; returns the chunk's offset (0 when none fits) and its
// size in *got.
uint32_t takeFrom(Block* b, uint32_t need, uint32_t* got) {
  uint32_t start = b->rover ? b->rover : b->freeList;
  uint32_t c = start;
  for (uint32_t guard = b->freeCount + 1; c && guard; --guard) {
    uint32_t size = word(b, c) & kSizeMask;
    while (size < need) {
      uint32_t f = c + size;
      if (f >= b->size || (word(b, f) & kInUse)) break;
      uint32_t succ = nextFree(b, f);
      unlinkFree(b, f);
      if (!succ) succ = b->freeList;
      if (f == b->rover) b->rover = succ;
      if (f == start) start = succ;
      size += word(b, f) & kSizeMask;
      word(b, c) = size;
    }
    if (size >= need) {
      if (size - need > 12) {
        uint32_t rest = c + need;
        word(b, rest) = size - need;
        replaceFree(b, c, rest);
        b->rover = rest;
        size = need;
      } else {
        uint32_t succ = nextFree(b, c);
        unlinkFree(b, c);
        b->rover = succ ? succ : b->freeList;
      }
      b->freeBytes -= size;
      *got = size;
      return c;
    }
    c = ringNext(b, c);
    if (c == start) {
      b->maxFit = need - 1;  // every free run was looked at, merged as far as it goes
      break;
    }
  }
  return 0;
}

Block* blockOf(const void* p) { return g_index.find(p); }

// Direct allocations: a size record, then the marker where a chunk header would be.
struct DirectHeader {
  size_t size;
  uint32_t spare;
  uint32_t mark;
};

bool isDirect(const void* p) { return chunkHeader(p) == kDirectMark; }

void* directAlloc(uint32_t n) {
  DirectHeader* h = static_cast<DirectHeader*>(sysAlloc(sizeof(DirectHeader) + n));
  if (!h) return nullptr;
  h->size = n;
  h->spare = 0;
  h->mark = kDirectMark;
  return h + 1;
}

void directFree(void* p) { sysFree(static_cast<DirectHeader*>(p) - 1); }

void* allocate(uint32_t n) {
  if (n > kMaxChunkRequest) return directAlloc(n);
  uint32_t need = chunkNeed(n), got = 0, c = 0;
  HeapGuard lock;
  if (injectedFailure()) return nullptr;
  Block* b = firstBlock();
  Block* last = nullptr;
  for (; b; last = b, b = b->next) {
    if (b->freeBytes >= need && b->maxFit >= need && (c = takeFrom(b, need, &got)) != 0) break;
  }
  if (!b) {
    b = newBlock(need);
    if (!b) return nullptr;
    b->prev = last;
    if (last)
      last->next = b;
    else
      *heapSlot() = b;
    c = takeFrom(b, need, &got);
  }
  word(b, c) = got | ((got - n) << kSlackShift) | kInUse;
  b->inUse++;
  return reinterpret_cast<char*>(b) + c + 4;
}

}  // namespace

namespace jxram {

Block* firstBlock() { return static_cast<Block*>(*heapSlot()); }

void failHeapAllocs(int skip, int n) {
  HeapGuard lock;
  g_skipAllocs = skip;
  g_failAllocs = n;
}

}  // namespace jxram

void* ramAlloc(uint32_t size) {
  void* p = allocate(size);
  if (!p) JxErrorKeeper::addMemoryError();  // after the heap lock is released
  return p;
}

void* ramAllocZ(uint32_t size) {
  void* p = ramAlloc(size);
  if (p) memset(p, 0, size);
  return p;
}

char* ramAllocStr(const char* text) { return ramAllocStr(text, text ? BUTSTLEN(text) : 0); }

char* ramAllocStr(const char* text, uint32_t length) {
  if (length == 0xFFFFFFFFu) {
    JxErrorKeeper::addMemoryError();
    return nullptr;
  }
  char* p = static_cast<char*>(ramAlloc(length + 1));
  if (!p) return nullptr;
  if (length) memcpy(p, text, length);
  p[length] = 0;
  return p;
}

void ramFree(void* p) {
  if (!p) return;
  if (isDirect(p)) {
    directFree(p);
    return;
  }
  HeapGuard lock;
  Block* b = blockOf(p);
  if (!b) return;  // not ours
  uint32_t c = static_cast<uint32_t>(static_cast<char*>(p) - reinterpret_cast<char*>(b)) - 4;
  if (!(word(b, c) & kInUse)) return;  // freed already
  if (--b->inUse == 0) {
    if (b->prev)
      b->prev->next = b->next;
    else
      *heapSlot() = b->next;
    if (b->next) b->next->prev = b->prev;
    g_index.remove(b);
    sysFree(b);
    return;
  }
  word(b, c) &= kSizeMask;
  b->freeBytes += word(b, c);
  b->maxFit = 0xFFFFFFFFu;
  pushFree(b, c);
  b->rover = c;
}

uint32_t ramSize(const void* p) {
  if (!p) return 0;
  if (isDirect(p)) return static_cast<uint32_t>((static_cast<const DirectHeader*>(p) - 1)->size);
  uint32_t h = chunkHeader(p);
  return (h & kSizeMask) - ((h >> kSlackShift) & kSlackMask);
}

namespace {

// Resizes the chunk in place; false when the follower cannot make room.
bool resizeInPlace(void* p, uint32_t n) {
  uint32_t need = chunkNeed(n);
  HeapGuard lock;
  Block* b = blockOf(p);
  if (!b) return false;
  uint32_t c = static_cast<uint32_t>(static_cast<char*>(p) - reinterpret_cast<char*>(b)) - 4;
  uint32_t size = word(b, c) & kSizeMask;
  if (size < need) {
    uint32_t f = c + size;
    if (f >= b->size || (word(b, f) & kInUse)) return false;
    uint32_t fsize = word(b, f) & kSizeMask;
    if (size + fsize < need) return false;
    unlinkFree(b, f);
    b->freeBytes -= fsize;
    if (f == b->rover) b->rover = b->freeList;
    size += fsize;
  }
  if (size - need >= 13) {
    uint32_t tail = c + need;
    word(b, tail) = size - need;
    b->freeBytes += size - need;
    b->maxFit = 0xFFFFFFFFu;
    pushFree(b, tail);
    b->rover = tail;
    size = need;
  }
  word(b, c) = size | ((size - n) << kSlackShift) | kInUse;
  return true;
}

}  // namespace

JxStatus ramResize(void** pp, uint32_t size) {
  void* p = *pp;
  if (!p) {
    *pp = ramAlloc(size);
    return *pp ? 0 : 1;
  }
  if (!isDirect(p) && size <= kMaxChunkRequest && resizeInPlace(p, size)) return 0;
  uint32_t old = ramSize(p);
  void* q = ramAlloc(size);
  if (!q) return 1;
  memcpy(q, p, old < size ? old : size);
  ramFree(p);
  *pp = q;
  return 0;
}

JxStatus ramResizeZ(void** pp, uint32_t size) {
  uint32_t old = ramSize(*pp);
  if (ramResize(pp, size)) return 1;
  if (size > old) memset(static_cast<char*>(*pp) + old, 0, size - old);
  return 0;
}
