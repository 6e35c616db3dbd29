// Layout of the heap, shared by the heap code and its white-box tests.
//
// A block is one system allocation: this header, then the chunk area. A chunk is a
// 32-bit header (bits 0-23 size with header, 24-30 slack = size minus the bytes asked
// for, 31 in use) and the caller's bytes. A free chunk keeps the offsets (from the block
// start) of the next and previous free chunk after its header, so that a chunk is 12
// bytes at least on 32- and 64-bit builds alike.
#pragma once

#include "dbutil/jxtypes.h"

namespace jxram {

struct Block {
  uint32_t size;      // bytes, header included
  uint32_t freeList;  // offset of the first free chunk, 0 when none
  uint32_t rover;     // offset of the free chunk where the next search starts
  Block* next;
  Block* prev;
  uint32_t inUse;      // chunks in use
  uint32_t freeCount;  // chunks on the free list: bounds a search
  uint32_t freeBytes;  // bytes on the free list: a block with fewer than needed is skipped
  uint32_t maxFit;     // no free run is larger, as far as a failed search found out
};

const uint32_t kHeaderSize = (sizeof(Block) + 3) & ~3u;
// At least 472 bytes; larger blocks keep the block walks short.
const uint32_t kMinArea = 8152;
const uint32_t kInUse = 0x80000000u;
const uint32_t kSizeMask = 0x00FFFFFFu;
const uint32_t kSlackShift = 24;
const uint32_t kSlackMask = 0x7Fu;
// A chunk header "in use, size 0" marks a direct system allocation.
const uint32_t kDirectMark = kInUse;
// The largest request a chunk header can describe.
const uint32_t kMaxChunkRequest = 0x00FFFFF8u;

inline uint32_t chunkNeed(uint32_t n) {
  uint32_t c = ((n + 3) & ~3u) + 4;
  return c < 12 ? 12 : c;
}
inline uint32_t& word(const Block* b, uint32_t offset) {
  return *reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(const_cast<Block*>(b)) + offset);
}
inline uint32_t& nextFree(const Block* b, uint32_t chunk) { return word(b, chunk + 4); }
inline uint32_t& prevFree(const Block* b, uint32_t chunk) { return word(b, chunk + 8); }
inline uint32_t chunkHeader(const void* p) { return reinterpret_cast<const uint32_t*>(p)[-1]; }

// The task's first block (per-task slot 0), null when the heap is empty.
Block* firstBlock();
// Tests of the failure paths: the next n system allocations fail; or, after `skip`
// heap allocations that succeed, the next n heap allocations fail.
void failNextSystemAllocs(int n);
void failHeapAllocs(int skip, int n);
// System allocator of the blocks and direct allocations.
void* sysAlloc(size_t n);
void sysFree(void* p);

}  // namespace jxram
