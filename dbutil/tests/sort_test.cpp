// The sort engine on the DLL: empty input, records kept in memory, spilling to runs
// (forced by the allocation seam) and merging, every key flag, key-change numbers, key
// look-up, re-sorting within groups, degenerate inputs, and JxSortedArray::resort.
#include "dbutil/jxbos.h"
#include "dbutil/jxsort.h"
#include "dbutil/jxsortedarray.h"
#include "scoped_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// Big-endian, so that the bytes compare as the numbers do.
void putBE(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}
uint32_t getBE(const void* q) {
  const unsigned char* p = static_cast<const unsigned char*>(q);
  return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// An 8-byte record: a key and a sequence number.
struct Rec {
  unsigned char key[4];
  unsigned char seq[4];
};

// Restores the real ramIsAllocOK answer after a test that forced spilling.
struct AllocOKSeam {
  explicit AllocOKSeam(int answers) { JxSort::testAllocOKAnswers(answers); }
  ~AllocOKSeam() { JxSort::testAllocOKAnswers(-1); }
};

std::vector<uint32_t> readKeys(JxSort& s) {
  std::vector<uint32_t> out;
  void* r;
  for (;;) {
    EXPECT_EQ(s.getSorted(&r), 0);
    if (!r) break;
    out.push_back(getBE(r));
  }
  return out;
}

TEST(JxSort, NoRecords) {
  ScopedErrorList scope;
  JxSort s(8);
  s.addKey(0, 0, 4);
  void* r = &r;
  EXPECT_EQ(s.getSorted(&r), 0);
  EXPECT_EQ(r, nullptr);
  EXPECT_EQ(s.getFirstRecord(&r), 0);
  EXPECT_EQ(r, nullptr);
  Rec key{};
  EXPECT_EQ(s.getFirstRecordWithKey(&key, &r), 0);
  EXPECT_EQ(r, nullptr);
}

TEST(JxSort, TooManyKeys) {
  ScopedErrorList scope;
  JxSort s(8);
  for (int i = 0; i < JxSort::MAX_KEYS; ++i) ASSERT_EQ(s.addKey(0, 0, 1), 0);
  EXPECT_EQ(s.addKey(0, 0, 1), 1);
  EXPECT_EQ(scope.lastNumber(), 2710);
}

// Records in memory (two buffers) and with runs: the same reading operations.
void checkReading(uint32_t count, bool spill) {
  ScopedErrorList scope;
  AllocOKSeam seam(spill ? 0 : -1);
  JxSort& s = *new JxSort(sizeof(Rec));
  s.addKey(0, 0, 4);
  std::mt19937 rng(count);
  std::vector<uint32_t> model;
  for (uint32_t i = 0; i < count; ++i) {
    Rec r;
    uint32_t k = (rng() % (count / 2)) * 2;  // even keys only: odd ones are absent
    putBE(r.key, k);
    putBE(r.seq, i);
    ASSERT_EQ(s.addRecord(&r), 0);
    model.push_back(k);
  }
  std::sort(model.begin(), model.end());
  EXPECT_EQ(s.getRunCount() > 0, spill);
  EXPECT_EQ(s.getRunFileName()[0] != 0, spill);
  if (!spill) {
    EXPECT_LE(s.getBufferCount(), 2);
  }
  EXPECT_EQ(readKeys(s), model);
  std::string runFile = s.getRunFileName();

  // Present: the first of the equal records; then the next ones in order.
  Rec probe{};
  uint32_t present = model[model.size() / 3];
  putBE(probe.key, present);
  void* r;
  ASSERT_EQ(s.getFirstRecordWithKey(&probe, &r), 0);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(getBE(r), present);
  size_t at = std::lower_bound(model.begin(), model.end(), present) - model.begin();
  size_t n = 1;
  for (s.getNextRecord(&r); r && n < 50; s.getNextRecord(&r), ++n) ASSERT_EQ(getBE(r), model[at + n]);
  // Absent: null, then the first greater key.
  putBE(probe.key, present + 1);
  ASSERT_EQ(s.getFirstRecordWithKey(&probe, &r), 0);
  EXPECT_EQ(r, nullptr);
  s.getNextRecord(&r);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(getBE(r), *std::upper_bound(model.begin(), model.end(), present));
  // Past the greatest key: nothing follows.
  putBE(probe.key, model.back() + 1);
  s.getFirstRecordWithKey(&probe, &r);
  EXPECT_EQ(r, nullptr);
  s.getNextRecord(&r);
  EXPECT_EQ(r, nullptr);
  // From the start again.
  s.getFirstRecord(&r);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(getBE(r), model.front());

  // Re-sort within groups of equal keys by the sequence number, descending.
  s.addKey(JxSort::DESCENDING, 4, 4);
  s.setStartKey(1);
  ASSERT_EQ(s.reSort(), 0);
  s.setStartKey(0);
  uint32_t lastKey = 0, lastSeq = 0xFFFFFFFF;
  size_t seen = 0;
  for (s.getFirstRecord(&r); r; s.getNextRecord(&r), ++seen) {
    const Rec* x = static_cast<const Rec*>(r);
    ASSERT_EQ(getBE(x->key), model[seen]);
    if (getBE(x->key) == lastKey) {
      ASSERT_LT(getBE(x->seq), lastSeq);
    }
    lastKey = getBE(x->key);
    lastSeq = getBE(x->seq);
  }
  EXPECT_EQ(seen, model.size());
  EXPECT_EQ(scope.list.getCount(), 0u);
  delete &s;  // the run file goes with the engine
  if (spill) {
    EXPECT_EQ(bosexist(runFile.c_str()), 0);
  }
}

TEST(JxSort, RecordsThatFitStayInMemory) { checkReading(8000, false); }

TEST(JxSort, SpillToRunsAndMerge) { checkReading(1000000, true); }

TEST(JxSort, KeyFlags) {
  ScopedErrorList scope;
  struct Case {
    const char* name;
    unsigned short flags;
    std::vector<std::string> in, out;
  } cases[] = {
      {"bytes", 0, {"a", "B", "", "ab"}, {"", "B", "a", "ab"}},
      {"descending", JxSort::DESCENDING, {"a", "B", "", "ab"}, {"ab", "a", "B", ""}},
      {"empty first",
       JxSort::DESCENDING | JxSort::EMPTY_FIRST,
       {"a", "", "B", "ab", ""},
       {"", "", "ab", "a", "B"}},
      {"locale", JxSort::LOCALE, {"B", "a", "c"}, {"a", "B", "c"}},
      {"locale descending", JxSort::LOCALE | JxSort::DESCENDING, {"B", "a", "c"}, {"c", "B", "a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JxSort s(8);
    s.addKey(c.flags, 0, 8);
    for (const std::string& t : c.in) {
      char r[8] = {};
      t.copy(r, 8);
      s.addRecord(r);
    }
    std::vector<std::string> got;
    void* r;
    for (s.getSorted(&r); r; s.getSorted(&r))
      got.push_back(std::string(static_cast<char*>(r), strnlen(static_cast<char*>(r), 8)));
    EXPECT_EQ(got, c.out);
  }
}

struct Item : JxObject {
  explicit Item(long k) : key(k) {}
  short compare(const JxObject* other) const override {
    long o = static_cast<const Item*>(other)->key;
    return key < o ? -1 : key > o ? 1 : 0;
  }
  long key;
};

TEST(JxSort, ObjectCompareAndSecondKey) {
  ScopedErrorList scope;
  // The record: the object pointer, then a byte; by the object ascending, then the byte
  // descending.
  struct R {
    Item* item;
    unsigned char tag;
  };
  Item a(1), b(2), c(3);
  R in[] = {{&c, 1}, {&a, 1}, {&b, 5}, {&a, 9}, {&b, 6}};
  JxSort s(sizeof(R));
  s.addKey(JxSort::OBJECT, 0, sizeof(Item*));
  s.addKey(JxSort::DESCENDING, offsetof(R, tag), 1);
  for (R& r : in) s.addRecord(&r);
  std::vector<std::pair<long, int>> got;
  void* r;
  for (s.getSorted(&r); r; s.getSorted(&r))
    got.push_back({static_cast<R*>(r)->item->key, static_cast<R*>(r)->tag});
  EXPECT_EQ(got, (std::vector<std::pair<long, int>>{{1, 9}, {1, 1}, {2, 6}, {2, 5}, {3, 1}}));
}

TEST(JxSort, FirstDifferingKey) {
  ScopedErrorList scope;
  JxSort s(2);
  s.addKey(0, 0, 1);
  s.addKey(0, 1, 1);
  const char* in[] = {"22", "11", "22", "12", "21"};
  for (const char* t : in) s.addRecord(t);
  std::vector<int> numbers;
  std::string order;
  void* r;
  unsigned short k;
  for (s.getSortedWithCompare(&r, &k); r; s.getSortedWithCompare(&r, &k)) {
    numbers.push_back(k);
    order += std::string(static_cast<char*>(r), 2) + " ";
  }
  EXPECT_EQ(order, "11 12 21 22 22 ");
  EXPECT_EQ(numbers, (std::vector<int>{0, 1, 0, 1, 2}));
}

// Sorted, reversed, all equal and organ-pipe inputs of several sizes sort without 2709;
// the stack stays below log2 of the count.
TEST(JxSort, DegenerateInputs) {
  ScopedErrorList scope;
  for (uint32_t n : {2u, 3u, 4u, 5u, 151u, 152u, 1000u, 65536u, 300000u}) {
    for (int shape = 0; shape < 4; ++shape) {
      SCOPED_TRACE(testing::Message() << n << " shape " << shape);
      std::vector<Rec> recs(n);
      std::vector<uint32_t> model(n);
      for (uint32_t i = 0; i < n; ++i) {
        uint32_t v = shape == 0 ? i : shape == 1 ? n - i : shape == 2 ? 7 : (i < n / 2 ? i : n - i);
        putBE(recs[i].key, v);
        putBE(recs[i].seq, i);
        model[i] = v;
      }
      std::sort(model.begin(), model.end());
      JxSort s(sizeof(Rec));
      s.addKey(0, 0, 4);
      s.setBuf(n, recs.data());
      ASSERT_EQ(s.sortBuf(), 0);
      int log2 = 0;
      while ((2u << log2) <= n) ++log2;
      EXPECT_LE(s.getGreatestStackDepth(), log2);
      for (uint32_t i = 0; i < n; ++i) ASSERT_EQ(getBE(recs[i].key), model[i]) << i;
    }
  }
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(JxSort, SortedArrayResort) {
  ScopedErrorList scope;
  std::vector<Item*> items;
  std::mt19937 rng(16);
  JxSortedArray a;
  a.setFlags(JxSortedArray::UNORDERED);
  for (int i = 0; i < 3000; ++i) {
    items.push_back(new Item(static_cast<long>(rng() % 1000)));
    ASSERT_EQ(a.add(items.back()), 0);
  }
  ASSERT_EQ(a.resort(), 0);
  EXPECT_EQ(a.getFlags(), 0);
  for (unsigned short i = 1; i < a.getCount(); ++i)
    ASSERT_LE(static_cast<Item*>(a.at(i - 1))->key, static_cast<Item*>(a.at(i))->key);
  Item probe(items[5]->key);
  unsigned short index;
  EXPECT_EQ(a.findIndexOf(&probe, index), 1);
  for (Item* i : items) delete i;
}

}  // namespace
