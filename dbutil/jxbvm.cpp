// Buffered file I/O: the per-task page cache, its hash of 97 chains, the use clock and
// eviction, and the read-through and write-through paths.
#include "dbutil/jxbvm.h"

#include "dbutil/jxbos.h"
#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxpertask.h"
#include "dbutil/jxsemaphore.h"
#include "dbutil/utl_messages.h"

#include <string.h>

namespace {

enum : uint16_t { NONE = 0xFFFF };
enum { CHAINS = 97 };

// Multipliers of the hash, chosen by handle modulo 16.
const uint8_t kMultiplier[16] = {13, 61, 29, 43, 17, 67, 31, 47, 19, 71, 37, 53, 23, 73, 41, 59};

// One cached page. The page number keeps all 32 bits of offset / 8192: a 16-bit number
// would give pages 512 MiB apart one descriptor.
struct BvmPage {
  int32_t handle;
  uint32_t page;
  uint16_t valid;  // bytes the read returned (0..8192)
  uint16_t stamp;  // the clock at the last use
  uint16_t next;   // next in its chain, or in the free list
  uint16_t spare;
};
static_assert(sizeof(BvmPage) == 16, "page descriptor layout");

// Guards making and freeing the task's cache; made at the first bvmInit, so that the
// semaphores made while the library loads stay the library's and the heap's.
JxSemaphore& bvmSemaphore() {
  static JxSemaphore semaphore;
  return semaphore;
}
// Test seam: page loads fail with this message (0: they do not).
unsigned short g_failPageLoads;

}  // namespace

struct bvm_cache : public JxObject {
  int32_t useCount = 1;
  uint32_t limit = 0;  // pages
  uint32_t made = 0;   // descriptors made so far (a multiple of 8)
  uint16_t freeHead = NONE;
  uint16_t clock = 0;
  uint16_t chains[CHAINS];
  char** buffers = nullptr;  // one 64 KB buffer per eight descriptors
  BvmPage* pages = nullptr;
  JxSemaphore lock;
  BvmCounters counters = {0, 0, 0, 0};

  bvm_cache() {
    for (uint16_t& c : chains) c = NONE;
    lock.bosSemaphoreFree();  // a spin lock: the cache's operations are short
  }

  char* bytes(uint16_t d) const {
    return buffers[d / BVM_PAGES_PER_BUFFER] + (d % BVM_PAGES_PER_BUFFER) * BVM_PAGE_SIZE;
  }
};

namespace {

struct Locked {
  explicit Locked(JxSemaphore& s) : sem(s) { sem.lock(); }
  ~Locked() { sem.unlock(); }
  JxSemaphore& sem;
};

unsigned chainOf(int handle, uint32_t page) {
  uint32_t h = static_cast<uint32_t>(handle);
  uint64_t sum = h + static_cast<uint64_t>(kMultiplier[h % 16]) * (static_cast<uint64_t>(page) + 1);
  return static_cast<unsigned>(sum % CHAINS);
}

uint16_t find(const bvm_cache* c, int handle, uint32_t page) {
  for (uint16_t d = c->chains[chainOf(handle, page)]; d != NONE; d = c->pages[d].next)
    if (c->pages[d].handle == handle && c->pages[d].page == page) return d;
  return NONE;
}

void halveStamps(bvm_cache* c) {
  for (uint32_t d = 0; d < c->made; ++d) c->pages[d].stamp >>= 1;
  c->clock >>= 1;
}

// A use: the page gets the clock as its stamp and the clock advances.
void use(bvm_cache* c, uint16_t d) {
  c->pages[d].stamp = c->clock;
  if (++c->clock == 0xFFFF) halveStamps(c);
}

void unlink(bvm_cache* c, uint16_t d) {
  uint16_t* at = &c->chains[chainOf(c->pages[d].handle, c->pages[d].page)];
  while (*at != NONE && *at != d) at = &c->pages[*at].next;
  if (*at == d) *at = c->pages[d].next;
}

void release(bvm_cache* c, uint16_t d) {
  c->pages[d].handle = 0;
  c->pages[d].next = c->freeHead;
  c->freeHead = d;
}

// Eight descriptors more over a new 64 KB buffer; false when memory is short (the
// memory error is taken back: the read goes on without the cache).
bool grow(bvm_cache* c) {
  char* buffer = static_cast<char*>(ramAlloc64K());
  if (!buffer) {
    JxErrorKeeper::clearLastError();
    return false;
  }
  c->buffers[c->made / BVM_PAGES_PER_BUFFER] = buffer;
  for (uint32_t i = BVM_PAGES_PER_BUFFER; i-- > 0;) release(c, static_cast<uint16_t>(c->made + i));
  c->made += BVM_PAGES_PER_BUFFER;
  return true;
}

// The descriptor with the smallest stamp, out of its chain. A clock past 40000 halves
// every stamp first, so that stamps stay comparable with the clock.
uint16_t evict(bvm_cache* c) {
  if (c->made == 0) return NONE;
  if (c->clock > BVM_HALVE_ABOVE) halveStamps(c);
  uint16_t victim = 0;
  for (uint32_t d = 1; d < c->made; ++d)
    if (c->pages[d].stamp < c->pages[victim].stamp) victim = static_cast<uint16_t>(d);
  unlink(c, victim);
  ++c->counters.evictions;
  return victim;
}

uint16_t takeDescriptor(bvm_cache* c, VmHintType hint) {
  if (c->freeHead == NONE && !(c->made < c->limit && grow(c))) {
    if (hint == VM_NO_EVICT) return NONE;
    return evict(c);
  }
  uint16_t d = c->freeHead;
  c->freeHead = c->pages[d].next;
  return d;
}

enum Lookup { CACHED, DIRECT, FAILED };

// The page of (handle, page), cached or loaded; DIRECT when the piece must be read past
// the cache (a full cache with the no-evict hint, no memory, a locked region).
Lookup lookup(bvm_cache* c, int handle, uint32_t page, VmHintType hint, uint16_t* out) {
  uint16_t d = find(c, handle, page);
  if (d != NONE) {
    use(c, d);
    *out = d;
    return CACHED;
  }
  d = takeDescriptor(c, hint);
  if (d == NONE) return DIRECT;
  unsigned long got = 0;
  JxStatus failed;
  if (g_failPageLoads) {
    if (g_failPageLoads == MSG_ACCESS_DENIED)
      bosRunTimeError(13, nullptr);
    else
      utlErrorById(g_failPageLoads);
    failed = 1;
  } else {
    failed = bosFileRead(handle, page * BVM_PAGE_SIZE, c->bytes(d), BVM_PAGE_SIZE, &got);
  }
  if (failed) {
    release(c, d);
    if (JxErrorKeeper::getLastErrorNumber() != MSG_ACCESS_DENIED) return FAILED;
    JxErrorKeeper::clearLastError();  // a locked region: read the piece itself
    return DIRECT;
  }
  ++c->counters.pageReads;
  BvmPage& p = c->pages[d];
  p.handle = handle;
  p.page = page;
  p.valid = static_cast<uint16_t>(got);
  unsigned chain = chainOf(handle, page);
  p.next = c->chains[chain];
  c->chains[chain] = d;
  use(c, d);
  *out = d;
  return CACHED;
}

void dropRange(bvm_cache* c, int handle, uint32_t offset, uint32_t length) {
  uint32_t first = offset / BVM_PAGE_SIZE;
  uint64_t end = static_cast<uint64_t>(offset) + length;
  uint32_t last = static_cast<uint32_t>((end ? end - 1 : 0) / BVM_PAGE_SIZE);
  for (uint32_t pg = first;; ++pg) {
    uint16_t d = find(c, handle, pg);
    if (d != NONE) {
      unlink(c, d);
      release(c, d);
    }
    if (pg == last) break;
  }
}

}  // namespace

bvm_cache* bvmInit(unsigned short buffers) {
  Locked guard(bvmSemaphore());
  bvm_cache* c = static_cast<bvm_cache*>(mdsGetPerTaskData(PTD_PAGE_CACHE));
  if (c) {
    ++c->useCount;
    return c;
  }
  c = new bvm_cache;
  if (!c) return nullptr;
  uint32_t limit = static_cast<uint32_t>(buffers) * BVM_PAGES_PER_BUFFER;
  if (limit > BVM_MAX_PAGES) limit = BVM_MAX_PAGES;
  c->limit = limit;
  if (limit) {
    c->pages = static_cast<BvmPage*>(ramAllocZ(limit * static_cast<uint32_t>(sizeof(BvmPage))));
    c->buffers =
        static_cast<char**>(ramAllocZ(limit / BVM_PAGES_PER_BUFFER * static_cast<uint32_t>(sizeof(char*))));
    if (!c->pages || !c->buffers) {
      ramFree(c->pages);
      ramFree(c->buffers);
      delete c;
      return nullptr;
    }
  }
  mdsSetPerTaskData(PTD_PAGE_CACHE, c);
  return c;
}

void bvmTerm(bvm_cache* c) {
  if (!c) return;
  Locked guard(bvmSemaphore());
  if (--c->useCount > 0) return;
  for (uint32_t b = 0; b < c->made / BVM_PAGES_PER_BUFFER; ++b) ramFree64K(c->buffers[b]);
  ramFree(c->buffers);
  ramFree(c->pages);
  if (mdsGetPerTaskData(PTD_PAGE_CACHE) == c) mdsSetPerTaskData(PTD_PAGE_CACHE, nullptr);
  delete c;
}

JxStatus bvmFileRead(bvm_cache* c, int handle, uint32_t offset, void* buffer, uint32_t length,
                     unsigned long* read, VmHintType hint) {
  *read = 0;
  if (!c) return bosFileRead(handle, offset, buffer, length, read);
  Locked guard(c->lock);
  char* out = static_cast<char*>(buffer);
  while (length > 0) {
    uint32_t page = offset / BVM_PAGE_SIZE;
    uint32_t within = offset % BVM_PAGE_SIZE;
    uint32_t n = BVM_PAGE_SIZE - within;
    if (n > length) n = length;
    uint16_t d = NONE;
    Lookup found = lookup(c, handle, page, hint, &d);
    if (found == FAILED) return 1;
    unsigned long got = 0;
    if (found == CACHED && c->pages[d].valid >= within + n) {
      memcpy(out, c->bytes(d) + within, n);
      got = n;
      ++c->counters.hits;
    } else {
      if (bosFileRead(handle, offset, out, n, &got)) return 1;
      ++c->counters.directReads;
    }
    *read += got;
    if (got < n) break;  // the end of the file
    out += n;
    length -= n;
    if (offset > 0xFFFFFFFFu - n) break;  // the end of the 32-bit offsets
    offset += n;
  }
  return 0;
}

JxStatus bvmFileWrite(bvm_cache* c, int handle, uint32_t offset, const void* data, uint32_t length) {
  if (!c) return bosFileWrite(handle, offset, data, length);
  Locked guard(c->lock);
  if (length == 0) return bosFileWrite(handle, offset, data, 0);
  if (bosFileWrite(handle, offset, data, length)) {
    // Part of the range may have reached the file: its cached pages are no longer sure.
    dropRange(c, handle, offset, length);
    return 1;
  }
  const char* in = static_cast<const char*>(data);
  while (length > 0) {
    uint32_t page = offset / BVM_PAGE_SIZE;
    uint32_t within = offset % BVM_PAGE_SIZE;
    uint32_t n = BVM_PAGE_SIZE - within;
    if (n > length) n = length;
    uint16_t d = find(c, handle, page);
    // A write that starts past the page's valid bytes is not kept: the bytes between
    // would be whatever the buffer last held.
    if (d != NONE && within <= c->pages[d].valid) {
      memcpy(c->bytes(d) + within, in, n);
      if (within + n > c->pages[d].valid) c->pages[d].valid = static_cast<uint16_t>(within + n);
    }
    in += n;
    length -= n;
    if (offset > 0xFFFFFFFFu - n) break;
    offset += n;
  }
  return 0;
}

JxStatus bvmFlush(bvm_cache* c, int handle) {
  if (!c) return 0;
  Locked guard(c->lock);
  for (uint16_t& head : c->chains) {
    uint16_t* at = &head;
    while (*at != NONE) {
      uint16_t d = *at;
      if (c->pages[d].handle == handle) {
        *at = c->pages[d].next;
        release(c, d);
      } else {
        at = &c->pages[d].next;
      }
    }
  }
  return 0;
}

void bvmFileClose(bvm_cache* c, int handle) {
  if (!handle) return;
  bvmFlush(c, handle);
  bosFileClose(handle);
}

BvmCounters bvmGetCounters(const bvm_cache* c) { return c ? c->counters : BvmCounters{0, 0, 0, 0}; }

long bvmPageValid(bvm_cache* c, int handle, uint32_t page) {
  if (!c) return -1;
  Locked guard(c->lock);
  uint16_t d = find(c, handle, page);
  return d == NONE ? -1 : static_cast<long>(c->pages[d].valid);
}

long bvmPageStamp(bvm_cache* c, int handle, uint32_t page) {
  if (!c) return -1;
  Locked guard(c->lock);
  uint16_t d = find(c, handle, page);
  return d == NONE ? -1 : static_cast<long>(c->pages[d].stamp);
}

unsigned short bvmGetClock(const bvm_cache* c) { return c ? c->clock : 0; }

uint32_t bvmGetPageLimit(const bvm_cache* c) { return c ? c->limit : 0; }

void bvmTestSetClock(bvm_cache* c, unsigned short clock) {
  if (c) c->clock = clock;
}

void bvmTestFailPageLoads(unsigned short number) { g_failPageLoads = number; }
