// The temporary store on the DLL: space allocation, the two-way cache, write-back to the
// first and the overflow file, truncation, losing focus, and a seeded run against an
// in-memory model that goes past the old 128 MiB wrap point.
#include "dbutil/jxbos.h"
#include "dbutil/jxtmpfile.h"
#include "scoped_list.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

const uint32_t PAGE = JxTmpFile::PAGE_SIZE;
const uint32_t MIB = 1024 * 1024;

std::vector<char> pattern(uint32_t length, int seed) {
  std::vector<char> v(length);
  for (uint32_t i = 0; i < length; ++i) v[i] = static_cast<char>((i * 7 + seed * 31 + (i >> 11)) & 0xFF);
  return v;
}

bool hasFile(const char* name) { return name && name[0]; }

TEST(TmpSpace, FindAndFreeMoveTheEnd) {
  ScopedErrorList scope;
  JxTmpFile f;
  uint32_t a, b, c;
  ASSERT_EQ(f.tmpFindSpace(100, &a), 0);
  EXPECT_EQ(a, 1u);
  f.tmpFindSpace(300, &b);
  f.tmpFindSpace(50, &c);
  EXPECT_EQ(b, 101u);
  EXPECT_EQ(c, 401u);
  EXPECT_EQ(f.getEndOffset(), 451u);
  f.tmpFreeSpace(c, 50);  // the most recent space: the end moves back
  EXPECT_EQ(f.getEndOffset(), 401u);
  f.tmpFreeSpace(a, 100);  // short: written off
  EXPECT_EQ(f.getFreeCount(), 0);
  f.tmpFindSpace(400, &c);
  EXPECT_EQ(c, 401u);
  f.tmpFreeSpace(b, 300);  // kept
  ASSERT_EQ(f.getFreeCount(), 1);
  EXPECT_EQ(f.getFreeSpace(0)->offset, 101u);
  f.tmpFreeSpace(c, 400);  // the end comes back to 401, then the free space touches it
  EXPECT_EQ(f.getFreeCount(), 0);
  EXPECT_EQ(f.getEndOffset(), 101u);
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(TmpSpace, FirstFitReuseAndMerging) {
  ScopedErrorList scope;
  JxTmpFile f;
  uint32_t o[5];
  for (uint32_t& x : o) f.tmpFindSpace(1000, &x);  // 1, 1001, 2001, 3001, 4001
  f.tmpFreeSpace(o[1], 1000);
  f.tmpFreeSpace(o[3], 1000);
  ASSERT_EQ(f.getFreeCount(), 2);
  f.tmpFreeSpace(o[2], 1000);  // touches both: one space 1001..4000
  ASSERT_EQ(f.getFreeCount(), 1);
  EXPECT_EQ(f.getFreeSpace(0)->offset, 1001u);
  EXPECT_EQ(f.getFreeSpace(0)->length, 3000u);

  struct Step {
    uint32_t length, offset, freeCount;
  } steps[] = {
      {500, 1001, 1},   // from the front of the first fit
      {2300, 1501, 0},  // 200 bytes would be left: the whole space leaves the list
      {100, 5001, 0},   // nothing in the list: taken at the end
  };
  for (const Step& s : steps) {
    uint32_t got;
    ASSERT_EQ(f.tmpFindSpace(s.length, &got), 0);
    EXPECT_EQ(got, s.offset) << s.length;
    EXPECT_EQ(f.getFreeCount(), s.freeCount) << s.length;
  }
  // Everything from the end, and back.
  uint32_t all;
  f.tmpFindSpace(JxTmpFile::ALL, &all);
  EXPECT_EQ(all, 5101u);
  EXPECT_EQ(f.getEndOffset(), JxTmpFile::ALL);
  uint32_t none;
  EXPECT_EQ(f.tmpFindSpace(10, &none), 1);  // the address space is used up: no wrap
  EXPECT_EQ(scope.lastNumber(), 1506);
  JxErrorKeeper::clearLastError();
  f.tmpFreeSpace(all, JxTmpFile::ALL);
  EXPECT_EQ(f.getEndOffset(), 5101u);
}

TEST(TmpSpace, ContiguousSpaceNeverCrossesAPage) {
  ScopedErrorList scope;
  struct Case {
    uint32_t end, length, offset;
  } cases[] = {
      {1, 10, 4},                             // rounded up to a multiple of 4
      {2040, 8, 2040},                        // fits exactly at the end of the page
      {2041, 8, 2048},                        // 2044 + 8 would cross: next page
      {2047, 100, 2048}, {4097, 2048, 6144},  // a whole page: from a boundary
      {6000, 40, 6000},
  };
  for (const Case& c : cases) {
    JxTmpFile f;
    uint32_t ignored;
    if (c.end > 1) f.tmpFindSpace(c.end - 1, &ignored);
    EXPECT_EQ(f.getContiguousSpace(c.length), c.offset) << c.end << " " << c.length;
    EXPECT_EQ(f.getEndOffset(), c.offset + c.length);
  }
}

TEST(TmpCache, FourKAtOffsetOneTouchesThreePages) {
  ScopedErrorList scope;
  JxTmpFile f(8192);  // two slots: pages 0 and 2 share slot 0
  std::vector<char> data = pattern(4096, 1);
  ASSERT_EQ(f.tmpWrite(1, data.data(), 4096), 0);
  EXPECT_TRUE(f.isResident(0) && f.isResident(1) && f.isResident(2));
  EXPECT_FALSE(hasFile(f.getFirstFileName()));  // everything fits the cache
  EXPECT_EQ(f.getEndOffset(), 4097u);
  std::vector<char> back(4096);
  ASSERT_EQ(f.tmpRead(1, back.data(), 4096), 0);
  EXPECT_EQ(back, data);

  char* p;
  uint32_t left;
  ASSERT_EQ(f.tmpPointer(2050, &p, &left, 0), 0);
  EXPECT_EQ(left, PAGE - 2);
  EXPECT_EQ(*p, data[2049]);
}

TEST(TmpCache, WriteBackAndRereadAfterEviction) {
  ScopedErrorList scope;
  JxTmpFile f(4096);  // one slot, two pages
  const uint32_t n = 40 * PAGE + 77;
  std::vector<char> data = pattern(n, 2);
  ASSERT_EQ(f.tmpWrite(1, data.data(), n), 0);
  ASSERT_TRUE(hasFile(f.getFirstFileName()));
  std::string name = f.getFirstFileName();
  EXPECT_EQ(name.find("\\JX"), name.rfind('\\'));  // a "jx" temporary name, upper-case
  EXPECT_EQ(bosexist(name.c_str()), 1);
  EXPECT_FALSE(hasFile(f.getOverflowFileName()));
  std::vector<char> back(n);
  ASSERT_EQ(f.tmpRead(1, back.data(), n), 0);
  EXPECT_EQ(back, data);
  JxString s;
  ASSERT_EQ(f.read(3 * PAGE, &s, 5000), 0);
  EXPECT_EQ(s.getLength(), 5000u);
  EXPECT_EQ(std::string(s.getPtr(), 5000), std::string(data.data() + 3 * PAGE - 1, 5000));

  f.tmpLoseFocus();  // closed; reopened by name at the next access
  std::vector<char> more = pattern(3 * PAGE, 3);
  ASSERT_EQ(f.tmpWrite(50 * PAGE, more.data(), 3 * PAGE), 0);
  ASSERT_EQ(f.tmpRead(1, back.data(), n), 0);
  EXPECT_EQ(back, data);

  f.tmpTruncate();
  EXPECT_EQ(bosexist(name.c_str()), 0);
  EXPECT_FALSE(hasFile(f.getFirstFileName()));
  uint32_t o;
  f.tmpFindSpace(10, &o);
  EXPECT_EQ(o, 1u);
  char zero[16] = {1};
  ASSERT_EQ(f.tmpRead(1, zero, 16), 0);  // a new store reads zeros
  EXPECT_EQ(std::string(zero, 16), std::string(16, '\0'));
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(TmpCache, OverflowFileWhenTheFirstCannotTakeAPage) {
  ScopedErrorList scope;
  JxTmpFile f(4096);
  JxTmpFile::testFailFirstFileFrom(6);
  const uint32_t n = 20 * PAGE;
  std::vector<char> data = pattern(n, 4);
  JxStatus wrote = f.tmpWrite(1, data.data(), n);
  JxTmpFile::testFailFirstFileFrom(0xFFFFFFFFu);
  ASSERT_EQ(wrote, 0);
  EXPECT_EQ(f.getFirstFilePages(), 6u);
  ASSERT_TRUE(hasFile(f.getOverflowFileName()));
  EXPECT_EQ(scope.list.getCount(), 0u);  // the failed write's error was taken back
  std::vector<char> back(n);
  ASSERT_EQ(f.readHuge(1, back.data(), n), 0);
  EXPECT_EQ(back, data);
  std::string over = f.getOverflowFileName();
  f.tmpTruncate();
  EXPECT_EQ(bosexist(over.c_str()), 0);
}

TEST(TmpCache, PagesPast128MiBDoNotWrap) {
  ScopedErrorList scope;
  JxTmpFile f(4096);
  struct Piece {
    uint32_t offset;
    int seed;
  } pieces[] = {
      {5 * PAGE, 10}, {128 * MIB + 5 * PAGE, 11}, {256 * MIB + 5 * PAGE, 12}, {7, 13}, {3 * 1024u * MIB, 14}};
  for (const Piece& p : pieces) {
    std::vector<char> d = pattern(3000, p.seed);
    ASSERT_EQ(f.tmpWrite(p.offset, d.data(), 3000), 0) << p.offset;
  }
  for (const Piece& p : pieces) {
    std::vector<char> back(3000);
    ASSERT_EQ(f.tmpRead(p.offset, back.data(), 3000), 0);
    EXPECT_EQ(back, pattern(3000, p.seed)) << p.offset;
  }
  char c;
  EXPECT_EQ(f.tmpRead(JxTmpFile::ALL, &c, 1), 1);  // past the address space
  EXPECT_EQ(scope.lastNumber(), 30041);
}

// A seeded run of allocations, writes, reads and frees against a sparse image of the
// store's bytes; a few big allocations push the offsets past 512 MiB.
TEST(TmpCache, RandomRunAgainstAModel) {
  ScopedErrorList scope;
  JxTmpFile f(8192);
  std::mt19937 rng(20261210);
  std::map<uint32_t, std::vector<char>> image;  // page -> bytes
  std::map<uint32_t, uint32_t> live;            // offset -> length
  auto put = [&](uint32_t at, const char* d, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) {
      std::vector<char>& pg = image[(at + i) / PAGE];
      if (pg.empty()) pg.assign(PAGE, 0);
      pg[(at + i) % PAGE] = d[i];
    }
  };
  auto expected = [&](uint32_t at, uint32_t n) {
    std::vector<char> v(n, 0);
    for (uint32_t i = 0; i < n; ++i) {
      auto it = image.find((at + i) / PAGE);
      if (it != image.end()) v[i] = it->second[(at + i) % PAGE];
    }
    return v;
  };
  auto pick = [&]() {
    auto it = live.begin();
    std::advance(it, rng() % live.size());
    return it;
  };
  uint32_t highest = 0;
  for (int op = 0; op < 4000; ++op) {
    unsigned r = rng() % 100;
    if (live.empty() || r < 25) {
      // Now and then a big space up to the next multiple of 128 MiB (plus 1), so that
      // the small spaces after it share their low page bits with the first ones.
      uint32_t end = f.getEndOffset();
      uint32_t n = (op % 700 == 699) ? (end / (128 * MIB) + 1) * 128 * MIB + 1 - end : 16 + rng() % 6000;
      uint32_t at;
      ASSERT_EQ(f.tmpFindSpace(n, &at), 0);
      auto next = live.lower_bound(at);
      ASSERT_TRUE(next == live.end() || at + n <= next->first) << "overlap at op " << op;
      if (next != live.begin()) {
        auto prev = std::prev(next);
        ASSERT_LE(prev->first + prev->second, at) << "overlap at op " << op;
      }
      live[at] = n;
    } else if (r < 60) {
      auto b = pick();
      uint32_t within = rng() % b->second;
      uint32_t n = 1 + rng() % 5000;
      if (n > b->second - within) n = b->second - within;
      std::vector<char> d(n);
      for (char& c : d) c = static_cast<char>(rng());
      ASSERT_EQ(f.tmpWrite(b->first + within, d.data(), n), 0);
      put(b->first + within, d.data(), n);
      if (b->first + within + n > highest) highest = b->first + within + n;
    } else if (r < 92) {
      auto b = pick();
      uint32_t within = rng() % b->second;
      uint32_t n = 1 + rng() % 5000;
      if (n > b->second - within) n = b->second - within;
      std::vector<char> back(n);
      ASSERT_EQ(f.tmpRead(b->first + within, back.data(), n), 0);
      ASSERT_EQ(back, expected(b->first + within, n)) << "op " << op << " at " << b->first + within;
    } else {
      auto b = pick();
      f.tmpFreeSpace(b->first, b->second);
      live.erase(b);
      // The free list stays ordered, merged, of kept sizes, and inside the end.
      for (unsigned short i = 0; i < f.getFreeCount(); ++i) {
        const TmpSpace* s = f.getFreeSpace(i);
        ASSERT_LT(s->offset + s->length, f.getEndOffset());
        if (i + 1 < f.getFreeCount()) {
          ASSERT_LT(s->offset + s->length, f.getFreeSpace(i + 1)->offset);
        }
      }
    }
  }
  EXPECT_GT(highest, 128 * MIB);
  for (const auto& pg : image) {
    std::vector<char> back(PAGE);
    ASSERT_EQ(f.tmpRead(pg.first * PAGE, back.data(), PAGE), 0);
    ASSERT_EQ(back, pg.second) << "page " << pg.first;
  }
  EXPECT_EQ(scope.list.getCount(), 0u);
}

}  // namespace
