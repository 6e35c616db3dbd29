// The heap's layout and behaviour, seen from inside (static build of the sources).
#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "ram_internal.h"
#include "scoped_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string.h>
#include <vector>

using namespace jxram;

namespace {

uint32_t chunkSizeOf(const void* p) { return chunkHeader(p) & kSizeMask; }

Block* blockOf(const void* p) {
  for (Block* b = firstBlock(); b; b = b->next) {
    const char* base = reinterpret_cast<const char*>(b);
    if (static_cast<const char*>(p) > base && static_cast<const char*>(p) < base + b->size) return b;
  }
  return nullptr;
}

uint32_t offsetOf(const void* p) {
  return static_cast<uint32_t>(static_cast<const char*>(p) - reinterpret_cast<const char*>(blockOf(p))) - 4;
}

int blockCount() {
  int n = 0;
  for (Block* b = firstBlock(); b; b = b->next) ++n;
  return n;
}

// Walks every block chunk by chunk and checks the header's books against it.
void checkHeap() {
  for (Block* b = firstBlock(); b; b = b->next) {
    uint32_t inUse = 0, freeChunks = 0, freeBytes = 0, largestFree = 0, run = 0;
    for (uint32_t c = kHeaderSize; c < b->size;) {
      uint32_t size = word(b, c) & kSizeMask;
      ASSERT_GE(size, 12u);
      ASSERT_EQ(size % 4, 0u);
      if (word(b, c) & kInUse) {
        ++inUse;
        run = 0;
      } else {
        ++freeChunks;
        freeBytes += size;
        run += size;
        largestFree = std::max(largestFree, run);
      }
      c += size;
      ASSERT_LE(c, b->size);
    }
    uint32_t listed = 0;
    for (uint32_t c = b->freeList; c; c = nextFree(b, c)) {
      ASSERT_EQ(word(b, c) & kInUse, 0u);
      ASSERT_LE(++listed, freeChunks);
    }
    ASSERT_EQ(listed, freeChunks);
    ASSERT_EQ(b->freeCount, freeChunks);
    ASSERT_EQ(b->freeBytes, freeBytes);
    ASSERT_EQ(b->inUse, inUse);
    ASSERT_GE(b->maxFit, largestFree);
    if (b->next) {
      ASSERT_EQ(b->next->prev, b);
    }
  }
}

// Every test starts and must end with an empty heap: a leak shows as a failure here.
class Heap : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(firstBlock(), nullptr); }
  void TearDown() override { EXPECT_EQ(firstBlock(), nullptr) << "blocks left: leak"; }
};

TEST_F(Heap, ChunkSizeTable) {
  struct Case {
    uint32_t request, chunk;
  } cases[] = {{0, 12}, {1, 12}, {5, 12}, {8, 12}, {9, 16}, {12, 16}, {13, 20}, {100, 104}, {469, 476}};
  for (const Case& c : cases) {
    void* p = ramAlloc(c.request);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(chunkSizeOf(p), c.chunk) << "request " << c.request;
    EXPECT_EQ(ramSize(p), c.request) << "request " << c.request;
    memset(p, 0xAB, c.request);
    ramFree(p);
  }
  ramFree(nullptr);
}

TEST_F(Heap, SplitLeavesTheRestAsRover) {
  void* a = ramAlloc(20);
  Block* b = firstBlock();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->size, kHeaderSize + kMinArea);
  EXPECT_EQ(offsetOf(a), kHeaderSize);
  EXPECT_EQ(b->rover, kHeaderSize + 24);
  EXPECT_EQ(word(b, b->rover), kMinArea - 24);
  EXPECT_EQ(b->inUse, 1u);
  ramFree(a);
}

TEST_F(Heap, SearchMergesFreeNeighboursOnDemand) {
  char* a = static_cast<char*>(ramAlloc(20));
  char* b = static_cast<char*>(ramAlloc(20));
  char* c = static_cast<char*>(ramAlloc(20));
  Block* blk = firstBlock();
  ramFree(a);
  ramFree(b);  // b is now first on the free list and the rover; a and b are not merged yet
  EXPECT_EQ(blk->rover, offsetOf(b));
  EXPECT_EQ(chunkSizeOf(a), 24u);
  EXPECT_EQ(blk->freeCount, 3u);
  // 40 bytes need 44: b cannot grow (c is in use), a merges with b.
  char* d = static_cast<char*>(ramAlloc(40));
  EXPECT_EQ(d, a);
  EXPECT_EQ(chunkSizeOf(d), 48u);
  EXPECT_EQ(blk->freeCount, 1u);
  EXPECT_EQ(blockCount(), 1);
  ramFree(c);
  ramFree(d);
}

TEST_F(Heap, EmptyBlockGoesBackAndNextBecomesFirst) {
  void* x = ramAlloc(kMinArea - 100);
  void* y = ramAlloc(kMinArea - 100);  // does not fit beside x: second block
  ASSERT_EQ(blockCount(), 2);
  Block* second = blockOf(y);
  EXPECT_EQ(firstBlock()->next, second);
  ramFree(x);
  EXPECT_EQ(firstBlock(), second);
  EXPECT_EQ(second->prev, nullptr);
  ramFree(y);
  EXPECT_EQ(firstBlock(), nullptr);
}

TEST_F(Heap, BigRequestsGetBiggerBlocks) {
  void* p = ramAlloc(kMinArea + 5000);
  EXPECT_EQ(firstBlock()->size, kHeaderSize + chunkNeed(kMinArea + 5000));
  ramFree(p);
}

TEST_F(Heap, ResizeInPlaceOrMoving) {
  char* p = static_cast<char*>(ramAlloc(20));
  for (int i = 0; i < 20; ++i) p[i] = static_cast<char>(i);
  void* q = p;
  ASSERT_EQ(ramResize(&q, 100), 0);  // the follower is free: in place
  EXPECT_EQ(q, p);
  EXPECT_EQ(ramSize(q), 100u);
  ASSERT_EQ(ramResize(&q, 8), 0);  // shrinks in place, the tail goes back
  EXPECT_EQ(q, p);
  EXPECT_EQ(chunkSizeOf(q), 12u);
  EXPECT_EQ(firstBlock()->rover, offsetOf(p) + 12);
  void* blocker = ramAlloc(4);  // takes the chunk right after p
  ASSERT_EQ(static_cast<char*>(blocker), p + 12);
  ASSERT_EQ(ramResize(&q, 200), 0);  // the follower is in use: moves
  EXPECT_NE(q, p);
  EXPECT_EQ(ramSize(q), 200u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(static_cast<char*>(q)[i], i);
  ASSERT_EQ(ramResizeZ(&q, 300), 0);
  for (int i = 200; i < 300; ++i) ASSERT_EQ(static_cast<char*>(q)[i], 0);
  ramFree(q);
  ramFree(blocker);
}

TEST_F(Heap, FailedAllocationReportsWithoutAllocating) {
  ScopedErrorList errors;
  void* keep = ramAlloc(16);
  Block* b = firstBlock();
  uint32_t inUse = b->inUse, freeCount = b->freeCount;
  failNextSystemAllocs(1);
  EXPECT_EQ(ramAlloc(kMinArea + 100), nullptr);  // needs a new block
  EXPECT_EQ(errors.lastNumber(), 30190);
  EXPECT_STREQ(JxErrorKeeper::getLastError()->getText(), "Out of memory.");
  EXPECT_EQ(errors.list.getCount(), 0u);  // a flag, not an entry
  EXPECT_EQ(blockCount(), 1);
  EXPECT_EQ(b->inUse, inUse);
  EXPECT_EQ(b->freeCount, freeCount);
  JxErrorKeeper::clearLastError();

  // A failed resize keeps the old allocation.
  void* p = keep;
  failNextSystemAllocs(1);
  EXPECT_EQ(ramResize(&p, 200000), 1);
  EXPECT_EQ(p, keep);
  EXPECT_EQ(ramSize(p), 16u);
  EXPECT_EQ(errors.lastNumber(), 30190);
  JxErrorKeeper::clearLastError();

  failNextSystemAllocs(1);
  EXPECT_EQ(ramAllocHuge(1000), nullptr);
  EXPECT_EQ(errors.lastNumber(), 30190);
  ramFree(keep);
}

TEST_F(Heap, RequestsBeyondTheChunkHeaderGoDirect) {
  const uint32_t big = 0x01000010;  // more than a 24-bit chunk size can say
  char* p = static_cast<char*>(ramAlloc(big));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(firstBlock(), nullptr);  // not on the heap
  EXPECT_EQ(ramSize(p), big);
  p[0] = 1;
  p[big - 1] = 2;
  void* q = p;
  ASSERT_EQ(ramResize(&q, 64), 0);  // back onto the heap, bytes kept
  EXPECT_EQ(static_cast<char*>(q)[0], 1);
  EXPECT_EQ(ramSize(q), 64u);
  ramFree(q);
}

TEST_F(Heap, LongStringsAreNotCut) {
  std::string text(70000, 'x');
  text[65536] = 'y';
  EXPECT_EQ(BUTSTLEN(text.c_str()), 70000u);
  char* copy = ramAllocStr(text.c_str(), 70000);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(ramSize(copy), 70001u);
  EXPECT_EQ(copy[65536], 'y');
  EXPECT_EQ(copy[70000], 0);
  char* dst = static_cast<char*>(ramAlloc(70000));
  BUTU8FIL(dst, 'a', 70000);
  BUTMEMCP(dst, copy, 70000);
  EXPECT_EQ(BUTMMCMP(dst, copy, 70000), 0);
  dst[69999] = 'z';
  EXPECT_EQ(BUTMMCMP(dst, copy, 70000), 1);
  EXPECT_EQ(BUTMMCMP(copy, dst, 70000), 0xFFFF);
  BUTMMSWP(dst, copy, 70000);
  EXPECT_EQ(copy[69999], 'z');
  EXPECT_EQ(dst[69999], 'x');
  ramFree(dst);
  ramFree(copy);
}

TEST_F(Heap, ByteAndStringMoves) {
  char buf[32] = "abcdef";
  BUTMEMCP(buf + 1, buf, 5);  // forward over itself repeats the first byte
  EXPECT_STREQ(buf, "aaaaaa");
  strcpy(buf, "abcdef");
  BUTMMCPD(buf + 1, buf, 5);  // backward: a safe move up
  EXPECT_STREQ(buf, "aabcde");
  strcpy(buf, "ab");
  char* end = BUTSTCAT(buf, "cd");
  EXPECT_EQ(end, buf + 4);
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(BUTSTCHR(buf, 'c'), buf + 2);
  EXPECT_EQ(BUTSTCHR(buf, 0), nullptr);
  EXPECT_EQ(BUTSTCPY(buf, "xyz"), buf + 3);
  EXPECT_LT(BUTSTCMP("a", "b"), 0);
}

// A model of the live allocations: each filled with its own byte.
TEST_F(Heap, RandomRunAgainstModel) {
  struct Live {
    uint32_t size;
    unsigned char fill;
  };
  std::map<char*, Live> live;
  std::mt19937 rng(1234);
  auto sizeOf = [&]() -> uint32_t {
    uint32_t r = rng() % 100;
    if (r < 60) return rng() % 64;
    if (r < 95) return rng() % 1024;
    return rng() % 20000;
  };
  auto check = [&](char* p, const Live& l) {
    ASSERT_EQ(ramSize(p), l.size);
    for (uint32_t i = 0; i < l.size; i += 1 + l.size / 16) {
      ASSERT_EQ(static_cast<unsigned char>(p[i]), l.fill);
    }
    if (l.size) {
      ASSERT_EQ(static_cast<unsigned char>(p[l.size - 1]), l.fill);
    }
  };
  unsigned char nextFill = 1;
  for (int step = 0; step < 30000; ++step) {
    uint32_t op = rng() % 10;
    if (live.size() < 20 || op < 4) {
      uint32_t n = sizeOf();
      char* p = static_cast<char*>(ramAlloc(n));
      ASSERT_NE(p, nullptr);
      ASSERT_EQ(live.count(p), 0u);
      memset(p, nextFill, n);
      live[p] = {n, nextFill++};
    } else {
      auto it = live.begin();
      std::advance(it, rng() % live.size());
      check(it->first, it->second);
      if (op < 7) {
        ramFree(it->first);
        live.erase(it);
      } else {
        Live l = it->second;
        void* p = it->first;
        uint32_t n = sizeOf();
        ASSERT_EQ(ramResize(&p, n), 0);
        live.erase(it);
        if (n > l.size) memset(static_cast<char*>(p) + l.size, l.fill, n - l.size);
        ASSERT_EQ(live.count(static_cast<char*>(p)), 0u);
        live[static_cast<char*>(p)] = {n, l.fill};
      }
    }
    if (step % 1000 == 0) {
      checkHeap();
      char* prevEnd = nullptr;
      for (auto& e : live) {
        ASSERT_TRUE(prevEnd == nullptr || e.first >= prevEnd) << "overlap at step " << step;
        prevEnd = e.first + e.second.size;
        check(e.first, e.second);
      }
    }
  }
  for (auto& e : live) {
    check(e.first, e.second);
    ramFree(e.first);
  }
}

}  // namespace
