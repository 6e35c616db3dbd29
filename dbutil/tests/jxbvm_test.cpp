// Buffered files on the DLL: the shared cache and its count, hits and read-through
// counted by the cache's file-call counters, the end of a file, write-through coherence,
// eviction by stamp and the halving of stamps, the no-evict hint, a locked region,
// flush and close, a seeded run checked against the file itself, and pages 512 MiB
// apart in one sparse file.
#include "dbutil/jxbos.h"
#include "dbutil/jxbvm.h"
#include "dbutil/jxpertask.h"
#include "scoped_list.h"
#include "testkit/testkit.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

const uint32_t PAGE = BVM_PAGE_SIZE;
const uint32_t MIB = 1024 * 1024;

char byteAt(uint32_t offset, int seed) {
  return static_cast<char>((offset * 13 + (offset >> 13) * 7 + seed) & 0xFF);
}

std::vector<char> pattern(uint32_t offset, uint32_t length, int seed = 0) {
  std::vector<char> v(length);
  for (uint32_t i = 0; i < length; ++i) v[i] = byteAt(offset + i, seed);
  return v;
}

// A file of size bytes of pattern() in a fresh folder, open read/write; the task's
// cache with buffers * 8 pages. Both go at the end of the test.
class CachedFile {
 public:
  CachedFile(const char* folder, uint32_t size, unsigned short buffers = 4) : dir_(folder) {
    strcpy(name_, dir_.File("cached.dat").c_str());
    EXPECT_EQ(bosFileOpen(name_, BOS_CREATE, &handle), 0);
    std::vector<char> bytes = pattern(0, size);
    if (size) {
      EXPECT_EQ(bosFileWrite(handle, 0, bytes.data(), size), 0);
    }
    cache = bvmInit(buffers);
    EXPECT_NE(cache, nullptr);
  }
  ~CachedFile() {
    bvmFileClose(cache, handle);
    bvmTerm(cache);
  }
  std::vector<char> read(uint32_t offset, uint32_t length, unsigned long* got = nullptr,
                         VmHintType hint = VM_HINT_NONE) {
    std::vector<char> v(length);
    unsigned long n = 0;
    EXPECT_EQ(bvmFileRead(cache, handle, offset, v.data(), length, &n, hint), 0);
    v.resize(n);
    if (got) *got = n;
    return v;
  }
  // The file's own bytes, past the cache.
  std::vector<char> direct(uint32_t offset, uint32_t length) {
    std::vector<char> v(length);
    unsigned long n = 0;
    EXPECT_EQ(bosFileRead(handle, offset, v.data(), length, &n), 0);
    v.resize(n);
    return v;
  }
  const char* name() const { return name_; }

  ScopedErrorList scope;
  testkit::TestDataDir dir_;
  char name_[BOS_NAME_SIZE];
  int handle = 0;
  bvm_cache* cache = nullptr;
};

TEST(BvmCache, SecondInitSharesTheCacheAndTheMatchingTermFreesIt) {
  ScopedErrorList scope;
  ASSERT_EQ(mdsGetPerTaskData(PTD_PAGE_CACHE), nullptr);
  bvm_cache* first = bvmInit(2);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(mdsGetPerTaskData(PTD_PAGE_CACHE), first);
  EXPECT_EQ(bvmGetPageLimit(first), 16u);
  bvm_cache* second = bvmInit(50);  // the first call decided the size
  EXPECT_EQ(second, first);
  EXPECT_EQ(bvmGetPageLimit(second), 16u);
  bvmTerm(second);
  EXPECT_EQ(mdsGetPerTaskData(PTD_PAGE_CACHE), first);
  bvmTerm(first);
  EXPECT_EQ(mdsGetPerTaskData(PTD_PAGE_CACHE), nullptr);
  bvm_cache* big = bvmInit(65535);  // descriptor indexes stay 16-bit
  EXPECT_EQ(bvmGetPageLimit(big), BVM_MAX_PAGES);
  bvmTerm(big);
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(BvmCache, ReadsComeFromCachedPagesOrReadThrough) {
  CachedFile f("bvmhits", 3 * PAGE + 100);
  struct Step {
    uint32_t offset, length;
    uint32_t pageReads, hits, directReads;  // counters after the step
  } steps[] = {
      {0, 512, 1, 1, 0},              // page 0 loaded, the piece copied
      {600, 512, 1, 2, 0},            // the same page
      {PAGE - 100, 400, 2, 4, 0},     // across pages 0 and 1: two pieces
      {3 * PAGE, 100, 3, 5, 0},       // the short last page holds all 100
      {3 * PAGE + 50, 100, 3, 5, 1},  // it holds only 50 of them: read through, 50 come
      {0, 3 * PAGE, 4, 8, 1},         // page 2 comes in now
  };
  for (const Step& s : steps) {
    unsigned long got = 0;
    std::vector<char> back = f.read(s.offset, s.length, &got);
    EXPECT_EQ(back, f.direct(s.offset, s.length)) << s.offset;
    BvmCounters c = bvmGetCounters(f.cache);
    EXPECT_EQ(c.pageReads, s.pageReads) << s.offset;
    EXPECT_EQ(c.hits, s.hits) << s.offset;
    EXPECT_EQ(c.directReads, s.directReads) << s.offset;
  }
  EXPECT_EQ(bvmPageValid(f.cache, f.handle, 3), 100);
  EXPECT_EQ(f.scope.list.getCount(), 0u);
}

TEST(BvmCache, ReadingPastTheEndGivesTheBytesUpToIt) {
  const uint32_t size = 2 * PAGE + 100;
  CachedFile f("bvmend", size);
  struct Case {
    uint32_t offset, length, expected;
  } cases[] = {
      {size - 10, 50, 10}, {size, 10, 0},       {size + 9000, 10, 0}, {PAGE - 2, 20000, size - (PAGE - 2)},
      {0, size + 1, size}, {5 * PAGE, PAGE, 0},
  };
  for (const Case& c : cases) {
    unsigned long got = 99;
    std::vector<char> back = f.read(c.offset, c.length, &got);
    EXPECT_EQ(got, c.expected) << c.offset << "+" << c.length;
    EXPECT_EQ(back, pattern(c.offset, static_cast<uint32_t>(got))) << c.offset;
  }
  EXPECT_EQ(f.scope.list.getCount(), 0u);
}

// A write followed by a read of the same range answers the written bytes, whether the
// pages were cached or not, and whatever part of a page the write touches.
TEST(BvmCache, WritesGoThroughAndKeepCachedPagesCoherent) {
  const uint32_t size = 3 * PAGE + 300;
  struct Case {
    const char* what;
    uint32_t offset, length;
    bool cacheFirst;
  } cases[] = {
      {"inside a cached page", 100, 200, true},
      {"inside a page not cached", 100, 200, false},
      {"across cached pages", PAGE - 50, PAGE + 100, true},
      {"extending the cached last page", 3 * PAGE + 250, 200, true},
      {"extending the file past its last page", 3 * PAGE + 250, PAGE, true},
      {"past the cached last page's bytes", 3 * PAGE + 400, 50, true},
  };
  int seed = 1;
  for (const Case& c : cases) {
    CachedFile f("bvmwrite", size);
    if (c.cacheFirst) f.read(0, size + PAGE);
    std::vector<char> data = pattern(c.offset, c.length, ++seed * 41);
    ASSERT_EQ(bvmFileWrite(f.cache, f.handle, c.offset, data.data(), c.length), 0) << c.what;
    EXPECT_EQ(f.read(c.offset, c.length), data) << c.what;
    // The whole file, through the cache and past it, agrees.
    uint32_t end = std::max(size, c.offset + c.length);
    EXPECT_EQ(f.read(0, end + 10), f.direct(0, end + 10)) << c.what;
    EXPECT_EQ(f.scope.list.getCount(), 0u) << c.what;
  }
}

// Eight pages fill a one-buffer cache; the next page takes the place of the page with
// the smallest stamp.
TEST(BvmCache, EvictsThePageWithTheSmallestStamp) {
  CachedFile f("bvmevict", 12 * PAGE, 1);
  for (uint32_t p = 0; p < 8; ++p) f.read(p * PAGE, 10);
  f.read(0, 10);  // page 0 used again: page 1 is now the oldest
  EXPECT_EQ(bvmGetCounters(f.cache).evictions, 0u);
  EXPECT_EQ(f.read(8 * PAGE, 10), pattern(8 * PAGE, 10));
  EXPECT_EQ(bvmGetCounters(f.cache).evictions, 1u);
  EXPECT_EQ(bvmPageValid(f.cache, f.handle, 1), -1);
  for (uint32_t p : {0u, 2u, 7u, 8u}) EXPECT_EQ(bvmPageValid(f.cache, f.handle, p), long(PAGE)) << p;
  EXPECT_EQ(f.read(PAGE, 10), pattern(PAGE, 10));  // back, in place of page 2
  EXPECT_EQ(bvmPageValid(f.cache, f.handle, 2), -1);
}

TEST(BvmCache, StampsAreHalvedPastTheClockLimits) {
  CachedFile f("bvmclock", 12 * PAGE, 1);
  bvmTestSetClock(f.cache, 40000);
  for (uint32_t p = 0; p < 8; ++p) f.read(p * PAGE, 10);  // stamps 40000..40007
  EXPECT_EQ(bvmPageStamp(f.cache, f.handle, 7), 40007);
  EXPECT_EQ(bvmGetClock(f.cache), 40008);
  // An eviction with the clock past 40000 halves every stamp (and the clock) first.
  f.read(8 * PAGE, 10);
  EXPECT_EQ(bvmPageValid(f.cache, f.handle, 0), -1);  // 20000, the first of the smallest
  EXPECT_EQ(bvmPageStamp(f.cache, f.handle, 1), 20000);
  EXPECT_EQ(bvmPageStamp(f.cache, f.handle, 7), 20003);
  EXPECT_EQ(bvmPageStamp(f.cache, f.handle, 8), 20004);
  EXPECT_EQ(bvmGetClock(f.cache), 20005);
  // A use that brings the clock to 0xFFFF halves everything too.
  bvmTestSetClock(f.cache, 0xFFFE);
  f.read(3 * PAGE, 10);
  EXPECT_EQ(bvmPageStamp(f.cache, f.handle, 3), 0x7FFF);
  EXPECT_EQ(bvmPageStamp(f.cache, f.handle, 2), 10000);
  EXPECT_EQ(bvmGetClock(f.cache), 0x7FFF);
}

TEST(BvmCache, TheNoEvictHintReadsDirectlyWhenTheCacheIsFull) {
  CachedFile f("bvmhint", 12 * PAGE, 1);
  for (uint32_t p = 0; p < 8; ++p) f.read(p * PAGE, 10);
  BvmCounters before = bvmGetCounters(f.cache);
  unsigned long got = 0;
  EXPECT_EQ(f.read(9 * PAGE + 5, 3000, &got, VM_NO_EVICT), pattern(9 * PAGE + 5, 3000));
  BvmCounters after = bvmGetCounters(f.cache);
  EXPECT_EQ(after.directReads, before.directReads + 1);
  EXPECT_EQ(after.pageReads, before.pageReads);
  EXPECT_EQ(after.evictions, 0u);
  EXPECT_EQ(bvmPageValid(f.cache, f.handle, 9), -1);
  for (uint32_t p = 0; p < 8; ++p) EXPECT_NE(bvmPageValid(f.cache, f.handle, p), -1) << p;
  // A cached page is still served with the hint.
  f.read(2 * PAGE, 10, nullptr, VM_NO_EVICT);
  EXPECT_EQ(bvmGetCounters(f.cache).hits, after.hits + 1);
  // Without the hint the page comes in.
  f.read(9 * PAGE, 10);
  EXPECT_EQ(bvmPageValid(f.cache, f.handle, 9), long(PAGE));
}

// Loading a page over a region another handle has locked is refused with 1508 where
// the platform enforces region locks (Wine does not refuse such reads, so the refusal
// comes through the seam): the cache takes the error back and reads the piece itself.
// Any other failure of the load fails the read.
TEST(BvmCache, ALockedRegionIsReadDirectly) {
  CachedFile f("bvmlock", 3 * PAGE);
  bvmTestFailPageLoads(1508);
  unsigned long got = 0;
  EXPECT_EQ(f.read(PAGE + 10, 500, &got), pattern(PAGE + 10, 500));
  EXPECT_EQ(got, 500u);
  EXPECT_EQ(bvmPageValid(f.cache, f.handle, 1), -1);
  EXPECT_EQ(bvmGetCounters(f.cache).directReads, 1u);
  EXPECT_EQ(bvmGetCounters(f.cache).pageReads, 0u);
  EXPECT_EQ(f.scope.list.getCount(), 0u);
  bvmTestFailPageLoads(30041);
  std::vector<char> buffer(50);
  EXPECT_EQ(bvmFileRead(f.cache, f.handle, 2 * PAGE, buffer.data(), 50, &got, VM_HINT_NONE), 1);
  EXPECT_EQ(f.scope.lastNumber(), 30041);
  EXPECT_EQ(got, 0u);
  JxErrorKeeper::clearLastError();
  bvmTestFailPageLoads(0);
  EXPECT_EQ(f.read(PAGE + 10, 500), pattern(PAGE + 10, 500));
  EXPECT_EQ(bvmPageValid(f.cache, f.handle, 1), long(PAGE));
  // Every descriptor taken for a refused load came back: the eight pages still fit.
  for (uint32_t p = 0; p < 3; ++p) f.read(p * PAGE, 10);
  EXPECT_EQ(bvmGetCounters(f.cache).evictions, 0u);
}

TEST(BvmCache, FlushAndCloseDropTheFilesPages) {
  testkit::TestDataDir dir("bvmflush");
  ScopedErrorList scope;
  bvm_cache* cache = bvmInit(2);
  int handles[2];
  for (int i = 0; i < 2; ++i) {
    char name[BOS_NAME_SIZE];
    strcpy(name, dir.File(i ? "b.dat" : "a.dat").c_str());
    ASSERT_EQ(bosFileOpen(name, BOS_CREATE, &handles[i]), 0);
    std::vector<char> bytes = pattern(0, 2 * PAGE, i);
    bosFileWrite(handles[i], 0, bytes.data(), 2 * PAGE);
    char b[10];
    unsigned long got;
    bvmFileRead(cache, handles[i], 0, b, 10, &got, VM_HINT_NONE);
    bvmFileRead(cache, handles[i], PAGE, b, 10, &got, VM_HINT_NONE);
  }
  EXPECT_EQ(bvmFlush(cache, handles[0]), 0);
  EXPECT_EQ(bvmPageValid(cache, handles[0], 0), -1);
  EXPECT_EQ(bvmPageValid(cache, handles[0], 1), -1);
  EXPECT_EQ(bvmPageValid(cache, handles[1], 1), long(PAGE));
  bvmFileClose(cache, 0);  // nothing to do
  EXPECT_EQ(bvmPageValid(cache, handles[1], 0), long(PAGE));
  bvmFileClose(cache, handles[1]);
  EXPECT_EQ(bvmPageValid(cache, handles[1], 0), -1);
  EXPECT_EQ(bvmPageValid(cache, handles[1], 1), -1);
  bvmFileClose(cache, handles[0]);
  bvmTerm(cache);
  EXPECT_EQ(scope.list.getCount(), 0u);
}

// Reads and writes of random ranges and hints over a small cache, each read checked
// against the file's own bytes read past the cache.
TEST(BvmCache, RandomRunAgreesWithTheFile) {
  const uint32_t size = 20 * PAGE + 777;
  CachedFile f("bvmrandom", size, 1);
  std::mt19937 rng(20261211);
  uint32_t end = size;
  for (int op = 0; op < 3000; ++op) {
    uint32_t offset = rng() % (end + PAGE);
    uint32_t length = 1 + rng() % (rng() % 4 ? 600 : 3 * PAGE);
    if (rng() % 3 == 0) {
      std::vector<char> data(length);
      for (char& c : data) c = static_cast<char>(rng());
      ASSERT_EQ(bvmFileWrite(f.cache, f.handle, offset, data.data(), length), 0) << op;
      if (offset + length > end) end = offset + length;
    } else {
      VmHintType hint = rng() % 4 ? VM_HINT_NONE : VM_NO_EVICT;
      unsigned long got = 0;
      std::vector<char> back = f.read(offset, length, &got, hint);
      ASSERT_EQ(back, f.direct(offset, length)) << "op " << op << " at " << offset << "+" << length;
    }
  }
  BvmCounters c = bvmGetCounters(f.cache);
  EXPECT_GT(c.evictions, 100u);
  EXPECT_GT(c.hits, 100u);
  EXPECT_EQ(f.scope.list.getCount(), 0u);
}

// Pages 512 MiB apart (page numbers 65536 apart) in one sparse file keep their own
// bytes, whichever is read first and while both are cached.
TEST(BvmCache, PagesFarApartInALargeFileKeepTheirOwnBytes) {
  CachedFile f("bvmlarge", 0);
  const uint32_t offsets[] = {1000, 512 * MIB + 1000, 1024 * MIB + 1000, 3072 * MIB + 1000};
  int seed = 0;
  for (uint32_t at : offsets) {
    std::vector<char> bytes = pattern(at, 300, ++seed * 17);
    ASSERT_EQ(bosFileWrite(f.handle, at, bytes.data(), 300), 0) << at;
  }
  for (int round = 0; round < 2; ++round) {
    seed = 0;
    for (uint32_t at : offsets) EXPECT_EQ(f.read(at, 300), pattern(at, 300, ++seed * 17)) << at;
  }
  EXPECT_EQ(bvmGetCounters(f.cache).pageReads, 4u);
  EXPECT_EQ(bvmGetCounters(f.cache).hits, 8u);
  // A write through one of them leaves the others alone.
  std::vector<char> over(300, 'w');
  ASSERT_EQ(bvmFileWrite(f.cache, f.handle, offsets[1], over.data(), 300), 0);
  EXPECT_EQ(f.read(offsets[1], 300), over);
  EXPECT_EQ(f.read(offsets[0], 300), pattern(offsets[0], 300, 17));
  EXPECT_EQ(f.read(offsets[2], 300), pattern(offsets[2], 300, 51));
  EXPECT_EQ(f.scope.list.getCount(), 0u);
}

}  // namespace
