// PoolAllocator: size classes, keep-limit adaptation, trimming, statistics and checks.
#include <malloc.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "utils/allocator.h"
#include "utils/xexception.h"

namespace {

// The tests before the churn test each work on size classes of their own.
AllocatorData query(int index) {
  AllocatorData d;
  memset(&d, 0, sizeof d);
  EXPECT_NE(PoolAllocator::Query(index, &d, sizeof d), -1) << "class " << index;
  return d;
}

// No test requests this class, so deleting a block claiming it must assert.
const size_t kUnusedClass = 47;

uint32_t wordBefore(void* p) { return static_cast<uint32_t*>(p)[-1]; }

TEST(PoolAllocatorTest, SizeClassesTable) {
  struct Case {
    size_t size;
    int index;  // -1: overflow to the global heap
  } cases[] = {
      {1, 1}, {4, 1}, {5, 2}, {8, 2}, {9, 3}, {195, 49}, {196, 49}, {197, -1}, {4000, -1},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.size);
    uint32_t overflowBefore = PoolAllocator::Overflow();
    void* p = PoolAllocator::operator new(c.size);
    memset(p, 0xAB, c.size);  // the whole asked area is usable
    if (c.index < 0) {
      EXPECT_EQ(PoolAllocator::Overflow(), overflowBefore + 1);
      EXPECT_EQ(wordBefore(p), kPoolOverflowWord);
    } else {
      EXPECT_EQ(PoolAllocator::Overflow(), overflowBefore);
      EXPECT_EQ(wordBefore(p), uint32_t(c.index + 1) * 4);
      EXPECT_EQ(PoolAllocator::Query(c.index, nullptr, 0), (c.index + 1) * 4);
    }
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % (2 * sizeof(void*)), 0u);
    PoolAllocator::operator delete(p);
  }
  PoolAllocator::operator delete(nullptr);
}

TEST(PoolAllocatorTest, InitialKeepLimits) {
  const int cases[][2] = {{1, 32}, {2, 22}, {4, 14}, {9, 8}, {29, 4}, {49, 3}};
  for (auto& c : cases) {
    void* p = PoolAllocator::operator new(size_t(c[0]) * 4);
    EXPECT_EQ(query(c[0]).limit, c[1]) << "class " << c[0];
    PoolAllocator::operator delete(p);
  }
}

TEST(PoolAllocatorTest, FreeListIsReusedLastInFirstOut) {
  void* a = PoolAllocator::operator new(20);  // class 5
  void* b = PoolAllocator::operator new(20);
  AllocatorData before = query(5);
  uintptr_t freedA = reinterpret_cast<uintptr_t>(a), freedB = reinterpret_cast<uintptr_t>(b);
  PoolAllocator::operator delete(a);
  PoolAllocator::operator delete(b);
  EXPECT_EQ(query(5).length, before.length + 2);
  a = PoolAllocator::operator new(20);
  b = PoolAllocator::operator new(20);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(b), freedA);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(a), freedB);
  AllocatorData after = query(5);
  EXPECT_EQ(after.length, before.length);
  EXPECT_EQ(after.total, before.total);
  EXPECT_EQ(after.allocs, before.allocs);
  EXPECT_EQ(after.requests, before.requests + 2);
  PoolAllocator::operator delete(a);
  PoolAllocator::operator delete(b);
}

TEST(PoolAllocatorTest, TrimHalvesTheFreeListAtTheLimit) {
  const size_t kSize = 193;  // class 49, keep limit 3
  void* p[3];
  for (auto& q : p) q = PoolAllocator::operator new(kSize);
  AllocatorData d = query(49);
  ASSERT_EQ(d.limit, 3);
  int32_t total = d.total;
  PoolAllocator::operator delete(p[0]);
  PoolAllocator::operator delete(p[1]);
  EXPECT_EQ(query(49).length, d.length + 2);
  PoolAllocator::operator delete(p[2]);  // the third free block triggers the trim
  d = query(49);
  EXPECT_EQ(d.length, 1);
  EXPECT_EQ(d.total, total - 2);
  Allocator::memPoolCheck();
}

// Drives one adaptation of a class from a prepared state: Reset sets the counters so that
// the next request is the 51st, with `fresh` heap allocations since the last adaptation
// and `freeBlocks` on the free list.
struct AdaptCase {
  int index;
  int fresh;
  int freeBlocks;
  int change;  // of the keep limit
};

void runAdaptCase(const AdaptCase& c) {
  SCOPED_TRACE("class " + std::to_string(c.index) + ", fresh " + std::to_string(c.fresh) + ", free " +
               std::to_string(c.freeBlocks));
  size_t size = size_t(c.index) * 4;
  void* anchor = PoolAllocator::operator new(size);  // held throughout: total >= 1
  std::vector<void*> held;
  for (int i = 0; i < c.freeBlocks; ++i) held.push_back(PoolAllocator::operator new(size));
  for (void* p : held) PoolAllocator::operator delete(p);
  AllocatorData d = query(c.index);
  ASSERT_EQ(d.length, c.freeBlocks);
  d.requests = PoolAllocator::kAdaptEvery;
  d.lastAllocs = d.allocs - c.fresh;
  ASSERT_EQ(PoolAllocator::Reset(c.index, &d, sizeof d), -1);
  void* p = PoolAllocator::operator new(size);
  AllocatorData after = query(c.index);
  EXPECT_EQ(after.limit, d.limit + c.change);
  EXPECT_EQ(after.lastAllocs, d.allocs);  // the snapshot is taken before this request
  EXPECT_EQ(after.requests, PoolAllocator::kAdaptEvery + 1);
  PoolAllocator::operator delete(p);
  PoolAllocator::operator delete(anchor);
}

TEST(PoolAllocatorTest, KeepLimitAdaptationTable) {
  const AdaptCase cases[] = {
      {10, 10, 0, 0},   // exactly 10 fresh heap blocks: no change
      {11, 11, 0, +1},  // 11: keep one more
      {12, 0, 3, -1},   // 3 of 4 held blocks idle on the list: keep one fewer
      {13, 0, 2, 0},    // a list of 2 is never shrunk
      {14, 11, 3, +1},  // demand wins over idle blocks
  };
  for (auto& c : cases) runAdaptCase(c);
}

TEST(PoolAllocatorTest, ShrinkNeedsAQuarterOfTheBlocksIdle) {
  // 3 free of 12 held is exactly a quarter: no change; 4 of 12 is more.
  for (int idle : {3, 4}) {
    int index = idle == 3 ? 15 : 16;
    std::vector<void*> held;
    for (int i = 0; i < 12; ++i) held.push_back(PoolAllocator::operator new(size_t(index) * 4));
    for (int i = 0; i < idle; ++i) PoolAllocator::operator delete(held[i]);
    AllocatorData d = query(index);
    d.requests = PoolAllocator::kAdaptEvery;
    d.lastAllocs = d.allocs;
    PoolAllocator::Reset(index, &d, sizeof d);
    void* p = PoolAllocator::operator new(size_t(index) * 4);
    EXPECT_EQ(query(index).limit, d.limit - (idle == 4 ? 1 : 0)) << idle;
    PoolAllocator::operator delete(p);
    for (int i = idle; i < 12; ++i) PoolAllocator::operator delete(held[i]);
  }
}

TEST(PoolAllocatorTest, QueryAndReset) {
  AllocatorData d;
  memset(&d, 0x5A, sizeof d);
  EXPECT_EQ(PoolAllocator::Query(50, &d, sizeof d), 0);
  EXPECT_EQ(PoolAllocator::Query(-1, &d, sizeof d), 0);
  EXPECT_EQ(PoolAllocator::Query(kUnusedClass, &d, sizeof d), -1);
  EXPECT_EQ(PoolAllocator::Reset(kUnusedClass, &d, sizeof d), -1);
  EXPECT_EQ(PoolAllocator::Reset(50, &d, sizeof d), 0);

  void* p = PoolAllocator::operator new(24);  // class 6
  AllocatorData untouched;
  memset(&untouched, 0x5A, sizeof untouched);
  EXPECT_EQ(PoolAllocator::Query(6, &untouched, sizeof untouched - 1), 28);
  EXPECT_EQ(untouched.requests, 0x5A5A5A5A);  // wrong size: nothing copied

  void* big = PoolAllocator::operator new(500);
  EXPECT_GT(PoolAllocator::Overflow(), 0u);
  AllocatorData before = query(6);
  AllocatorData in = before;
  in.requests = 7;
  in.allocs = 8;
  in.spare = 9;
  in.lastAllocs = 10;
  in.limit = 99;
  in.total = 99;
  in.length = 99;
  in.head = nullptr;
  EXPECT_EQ(PoolAllocator::Reset(6, nullptr, sizeof in), 0);
  EXPECT_EQ(PoolAllocator::Reset(6, &in, 32 + 1), 0);
  EXPECT_EQ(PoolAllocator::Reset(6, &in, sizeof in), -1);
  EXPECT_EQ(PoolAllocator::Overflow(), 0u);
  AllocatorData after = query(6);
  EXPECT_EQ(after.requests, 7);
  EXPECT_EQ(after.allocs, 8);
  EXPECT_EQ(after.spare, 9);
  EXPECT_EQ(after.lastAllocs, 10);
  EXPECT_EQ(after.head, before.head);
  EXPECT_EQ(after.limit, before.limit);
  EXPECT_EQ(after.total, before.total);
  EXPECT_EQ(after.length, before.length);
  PoolAllocator::operator delete(big);
  PoolAllocator::operator delete(p);
#if !defined(_WIN64)
  EXPECT_EQ(sizeof(AllocatorData), 32u);  // the record is copied whole by the tools
#endif
}

struct Node : Allocator {
  explicit Node(int v) : value(v) {}
  int value;
  char pad[36];
};

struct Big : Allocator {
  char bytes[1000];
};

TEST(PoolAllocatorTest, ChurnKeepsThePoolsConsistent) {
  std::mt19937 rng(42);
  std::vector<void*> live;
  for (int round = 0; round < 20000; ++round) {
    if (live.empty() || rng() % 3 != 0) {
      size_t size = 1 + rng() % 260;  // pooled and overflow sizes
      if ((size + 3) / 4 == kUnusedClass) size += 8;
      void* p = PoolAllocator::operator new(size);
      memset(p, int(size), size);
      live.push_back(p);
    } else {
      size_t i = rng() % live.size();
      PoolAllocator::operator delete(live[i]);
      live[i] = live.back();
      live.pop_back();
    }
  }
  Allocator::memPoolCheck();
  for (void* p : live) PoolAllocator::operator delete(p);
  Allocator::memPoolCheck();
  for (int i = 0; i < PoolAllocator::kClasses; ++i) {
    AllocatorData d;
    if (PoolAllocator::Query(i, &d, sizeof d) > 0) {
      EXPECT_GE(d.total, d.length);
      EXPECT_LT(d.length, d.limit) << "class " << i;
    }
  }
  EXPECT_EQ(_heapchk(), _HEAPOK);

  std::vector<Node*> nodes;
  for (int i = 0; i < 1000; ++i) nodes.push_back(new Node(i));
  std::vector<Big*> bigs;
  for (int i = 0; i < 100; ++i) bigs.push_back(new Big);
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(nodes[i]->value, i);
  Node* quiet = new (std::nothrow) Node(7);
  ASSERT_NE(quiet, nullptr);
  EXPECT_EQ(wordBefore(quiet), 44u);  // 40 bytes: class 10
  delete quiet;
  alignas(Node) char room[sizeof(Node)];
  Node* placed = new (room) Node(3);  // placement new still works on derived classes
  EXPECT_EQ(static_cast<void*>(placed), static_cast<void*>(room));
  placed->~Node();
  for (Node* n : nodes) delete n;
  for (Big* b : bigs) delete b;
  Allocator::memPoolCheck();
  EXPECT_EQ(_heapchk(), _HEAPOK);
}

TEST(PoolAllocatorTest, ForeignOrUnknownBlocksAssert) {
  alignas(16) uint32_t fake[8] = {};
  void* volatile p = &fake[4];               // volatile: the compiler need not see it is not a heap block
  fake[3] = uint32_t(kUnusedClass + 1) * 4;  // a class without a record
  try {
    PoolAllocator::operator delete(p);
    FAIL() << "no assertion";
  } catch (const XAssert& e) {
    EXPECT_EQ(e.why(), "data");
  }
  fake[3] = 0x12345;  // neither a pooled size nor the overflow word
  EXPECT_THROW(PoolAllocator::operator delete(p), XAssert);
  fake[3] = 0;
  EXPECT_THROW(PoolAllocator::operator delete(p), XAssert);
}

}  // namespace
