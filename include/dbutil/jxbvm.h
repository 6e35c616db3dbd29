// Buffered file I/O: a per-task read cache of 8192-byte file pages in front of the bos
// file functions. Reads are served from cached pages or read through; writes go to the
// file at once and update the pages already cached (write-through). One cache per task
// (per-task slot 4), shared by its users and counted.
//
// Page numbers are 32-bit (offset / 8192), so every page of a 4 GiB file has its own
// descriptor.
#pragma once

#include "dbutil/jxtypes.h"
#include "dbutil/jxutl04_api.h"

enum VmHintType {
  VM_HINT_NONE = 0,
  VM_NO_EVICT = 1  // a full cache reads directly rather than evict a page
};

struct bvm_cache;

// Observers of a cache (tests and diagnostics).
struct BvmCounters {
  uint32_t pageReads;    // whole pages read from a file into the cache
  uint32_t directReads;  // pieces read from a file past the cache
  uint32_t hits;         // pieces copied from a cached page
  uint32_t evictions;
};

enum : uint32_t {
  BVM_PAGE_SIZE = 8192,
  BVM_PAGES_PER_BUFFER = 8,  // one 64 KB buffer
  BVM_MAX_PAGES = 0xFFF8,    // descriptor indexes are 16-bit; 0xFFFF ends a chain
  BVM_HALVE_ABOVE = 40000    // an eviction scan halves the stamps past this clock
};

// The task's cache, made with room for 8 * buffers pages by the first call; each call
// counts one user more. Null when memory is short.
JXUTL04_API bvm_cache* bvmInit(unsigned short buffers);
// One user less; the last frees the pages and the cache and clears slot 4.
JXUTL04_API void bvmTerm(bvm_cache* cache);
// Reads length bytes at offset into buffer; *read tells how many came (fewer at the end
// of the file).
JXUTL04_API JxStatus bvmFileRead(bvm_cache* cache, int handle, uint32_t offset, void* buffer, uint32_t length,
                                 unsigned long* read, VmHintType hint);
// Writes the range to the file, then into the pages of it that are cached.
JXUTL04_API JxStatus bvmFileWrite(bvm_cache* cache, int handle, uint32_t offset, const void* data,
                                  uint32_t length);
// Drops every cached page of the file.
JXUTL04_API JxStatus bvmFlush(bvm_cache* cache, int handle);
// bvmFlush, then bosFileClose; handle 0 does nothing.
JXUTL04_API void bvmFileClose(bvm_cache* cache, int handle);

// Observers: the counters since the cache was made; the number of a page's valid bytes
// (-1 when it is not cached); its use stamp (-1 when not cached); the use clock.
JXUTL04_API BvmCounters bvmGetCounters(const bvm_cache* cache);
JXUTL04_API long bvmPageValid(bvm_cache* cache, int handle, uint32_t page);
JXUTL04_API long bvmPageStamp(bvm_cache* cache, int handle, uint32_t page);
JXUTL04_API unsigned short bvmGetClock(const bvm_cache* cache);
JXUTL04_API uint32_t bvmGetPageLimit(const bvm_cache* cache);
// Test seam: moves the use clock (to reach the halving points without 40000 reads).
JXUTL04_API void bvmTestSetClock(bvm_cache* cache, unsigned short clock);
// Test seam: every page load fails with message number (1508 as a region locked by
// another handle refuses a read where the platform enforces locks); 0 ends it.
JXUTL04_API void bvmTestFailPageLoads(unsigned short number);
