// The B-tree on the DLL: node sizes, presence rules, marked entries, iterators running off
// both ends, key sets without data, and a seeded run against std::map with enough keys
// for several levels and a store that spills to disk.
#include "dbutil/jxtree.h"
#include "scoped_list.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace {

struct U32Tree : JxTree {
  explicit U32Tree(unsigned short dataLength = 4, unsigned marks = 1)
      : JxTree(4, dataLength, treeU32Compare, marks) {}
  unsigned add(uint32_t k, uint32_t d) {
    unsigned found = 2;
    EXPECT_EQ(JxTree::add(&k, &d, &found), 0);
    return found;
  }
  unsigned del(uint32_t k) {
    unsigned found = 2;
    EXPECT_EQ(deleteKey(&k, &found), 0);
    return found;
  }
  // Every key in order, forward or backward.
  std::vector<uint32_t> keys(bool forward = true) {
    std::vector<uint32_t> out;
    uint32_t k;
    unsigned found;
    JxStatus s = forward ? getFirst(&k, nullptr, &found) : getLast(&k, nullptr, &found);
    while (s == 0 && found) {
      out.push_back(k);
      s = forward ? getNext(&k, nullptr, &found) : getPrevious(&k, nullptr, &found);
    }
    EXPECT_EQ(s, 0);
    return out;
  }
};

TEST(JxTree, NodeSizes) {
  struct Case {
    unsigned short key, data;
    unsigned marks;
    unsigned short slot, order, node;
  } cases[] = {
      {4, 4, 0, 12, 49, 588},     // order 170, capped
      {4, 4, 1, 16, 49, 780},     // 13 rounded up to 16; order 128, capped
      {20, 20, 0, 44, 47, 2036},  // the largest node
      {4, 0, 1, 12, 49, 588},     // a set of keys
      {100, 0, 1, 108, 19, 1956}, {1010, 4, 0, 1020, 2, 1032},
  };
  for (const Case& c : cases) {
    JxTree t(c.key, c.data, nullptr, c.marks);
    SCOPED_TRACE(testing::Message() << c.key << "/" << c.data << "/" << c.marks);
    EXPECT_EQ(t.getSlotSize(), c.slot);
    EXPECT_EQ(t.getOrder(), c.order);
    EXPECT_EQ(t.getNodeSize(), c.node);
    EXPECT_LE(t.getNodeSize(), JxTmpFile::PAGE_SIZE);
  }
}

TEST(JxTree, SlotsTooBigForTwoKeysAreRefused) {
  ScopedErrorList scope;
  JxTree t(1010, 4, nullptr, 0);  // order 2: a split would leave an empty node
  char key[1010] = {}, data[4] = {};
  unsigned found = 2;
  EXPECT_EQ(t.add(key, data, &found), 1);
  EXPECT_EQ(scope.lastNumber(), 1517);
  EXPECT_EQ(t.getKeyCount(), 0u);
}

TEST(JxTree, PresentKeyIsNotOverwritten) {
  ScopedErrorList scope;
  U32Tree t;
  EXPECT_EQ(t.add(7, 70), 0u);
  EXPECT_EQ(t.add(7, 99), 1u);
  uint32_t d = 0;
  unsigned found = 0;
  uint32_t k = 7;
  ASSERT_EQ(t.getData(&k, &d, &found), 0);
  EXPECT_EQ(found, 1u);
  EXPECT_EQ(d, 70u);
  EXPECT_EQ(t.getKeyCount(), 1u);
  d = 71;
  t.changeData(&k, &d);
  t.getData(&k, &d, &found);
  EXPECT_EQ(d, 71u);
  k = 8;
  t.doesExist(&k, &found);
  EXPECT_EQ(found, 0u);
}

TEST(JxTree, OnlyMarkedKeysReadAsEmpty) {
  ScopedErrorList scope;
  U32Tree t;
  t.add(5, 50);
  EXPECT_EQ(t.del(5), 1u);  // the only key of the root leaf: marked, not removed
  EXPECT_EQ(t.del(5), 0u);
  EXPECT_EQ(t.getKeyCount(), 0u);
  unsigned found = 2;
  uint32_t k;
  EXPECT_EQ(t.getFirst(&k, nullptr, &found), 0);
  EXPECT_EQ(found, 0u);
  EXPECT_EQ(t.getLast(&k, nullptr, &found), 0);
  EXPECT_EQ(found, 0u);
  EXPECT_EQ(t.add(5, 51), 0u);  // the marked entry is taken again
  EXPECT_EQ(t.keys(), std::vector<uint32_t>({5}));
  EXPECT_EQ(t.getNodesMade(), 1u);

  // Marked entries in a deeper tree: every key of the first leaf deleted but one, which
  // is marked; the walk skips it.
  U32Tree u;
  for (uint32_t i = 1; i <= 200; ++i) u.add(i, i);
  for (uint32_t i = 1; i <= 100; ++i) EXPECT_EQ(u.del(i), 1u);
  std::vector<uint32_t> rest = u.keys();
  ASSERT_EQ(rest.size(), 100u);
  EXPECT_EQ(rest.front(), 101u);
  EXPECT_EQ(u.keys(false).front(), 200u);
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(JxTree, IteratorsComeBackFromEitherEnd) {
  ScopedErrorList scope;
  for (uint32_t count : {3u, 500u}) {  // one leaf, then several levels
    SCOPED_TRACE(count);
    U32Tree t;
    for (uint32_t i = 1; i <= count; ++i) t.add(i * 10, i);
    uint32_t k = 0;
    unsigned found;
    t.getFirst(&k, nullptr, &found);
    t.getPrevious(&k, nullptr, &found);
    EXPECT_EQ(found, 0u);
    t.getPrevious(&k, nullptr, &found);
    EXPECT_EQ(found, 0u);
    t.getNext(&k, nullptr, &found);
    EXPECT_EQ(found, 1u);
    EXPECT_EQ(k, 10u);

    t.getLast(&k, nullptr, &found);
    t.getNext(&k, nullptr, &found);
    EXPECT_EQ(found, 0u);
    t.getNext(&k, nullptr, &found);
    EXPECT_EQ(found, 0u);
    t.getPrevious(&k, nullptr, &found);
    EXPECT_EQ(found, 1u);
    EXPECT_EQ(k, count * 10);

    // A search that misses leaves the iterator in the gap: next and previous are the
    // neighbours.
    uint32_t probe = 55;
    t.doesExist(&probe, &found);
    EXPECT_EQ(found, 0u);
    t.getNext(&k, nullptr, &found);
    EXPECT_EQ(found, count >= 6 ? 1u : 0u);
    if (found) {
      EXPECT_EQ(k, 60u);
    }
    t.doesExist(&probe, &found);
    t.getPrevious(&k, nullptr, &found);
    EXPECT_EQ(found, 1u);
    EXPECT_EQ(k, count >= 6 ? 50u : 30u);

    // A separate iterator keeps its own place.
    JxTreeIterator it;
    ASSERT_EQ(it.initialize(&t), 0);
    t.getFirst(&k, nullptr, &found, &it);
    t.getLast(&k, nullptr, &found);
    t.getNext(&k, nullptr, &found, &it);
    EXPECT_EQ(k, 20u);
  }
}

TEST(JxTree, KeySetWithoutData) {
  ScopedErrorList scope;
  JxTree t(6, 0, nullptr, 1);
  unsigned found;
  ASSERT_EQ(t.add("bbbbbb", nullptr, &found), 0);
  t.add("aaaaaa", nullptr, &found);
  char data[4] = {'x', 'x', 'x', 'x'};
  ASSERT_EQ(t.getData("aaaaaa", data, &found), 0);
  EXPECT_EQ(found, 1u);
  EXPECT_EQ(data[0], 'x');
  char key[6];
  t.getFirst(key, data, &found);
  EXPECT_EQ(std::string(key, 6), "aaaaaa");
  EXPECT_EQ(data[0], 'x');
}

TEST(JxTree, DeletionWithoutMarks) {
  ScopedErrorList scope;
  U32Tree t(4, 0);
  t.add(1, 1);
  t.add(2, 2);
  EXPECT_EQ(t.del(1), 1u);  // a leaf with two keys drops one
  EXPECT_EQ(t.keys(), std::vector<uint32_t>({2}));
  unsigned found;
  uint32_t k = 2;
  EXPECT_EQ(t.deleteKey(&k, &found), 1);  // nothing could stand in its place
  EXPECT_EQ(scope.lastNumber(), 1517);
  EXPECT_EQ(t.keys(), std::vector<uint32_t>({2}));
}

// Seeded: additions, deletions, key moves and look-ups against std::map, then a full
// walk both ways; enough keys for four levels and a store of several megabytes.
TEST(JxTree, ModelRun) {
  ScopedErrorList scope;
  U32Tree t(8);
  std::map<uint32_t, uint64_t> model;
  std::mt19937 rng(1604);
  const uint32_t RANGE = 200000;
  for (int op = 0; op < 150000; ++op) {
    uint32_t k = rng() % RANGE;
    int what = rng() % 10;
    unsigned found = 2;
    if (what < 6) {
      uint64_t d = (static_cast<uint64_t>(k) << 32) | static_cast<uint32_t>(op);
      ASSERT_EQ(t.JxTree::add(&k, &d, &found), 0);
      ASSERT_EQ(found, model.count(k)) << op;
      model.emplace(k, d);
    } else if (what < 8) {
      ASSERT_EQ(t.deleteKey(&k, &found), 0);
      ASSERT_EQ(found, model.erase(k)) << op;
    } else if (what < 9) {
      uint32_t to = rng() % RANGE;
      ASSERT_EQ(t.changeKey(&k, &to), 0);
      auto from = model.find(k);
      if (from != model.end() && to != k) {
        uint64_t d = from->second;
        model.erase(from);
        model.emplace(to, d);  // a present key keeps its own data
      }
    } else {
      uint64_t d = 0;
      ASSERT_EQ(t.getData(&k, &d, &found), 0);
      ASSERT_EQ(found, model.count(k));
      if (found) {
        ASSERT_EQ(d, model[k]);
      }
    }
    ASSERT_EQ(t.getKeyCount(), model.size()) << op;
  }
  EXPECT_GT(model.size(), 30000u);
  EXPECT_GE(t.getGreatestDepth(), 3);
  EXPECT_NE(t.getTmpFile().getFirstFileName()[0], 0);  // spilled out of the cache

  std::vector<uint32_t> expect;
  for (auto& e : model) expect.push_back(e.first);
  uint32_t k;
  uint64_t d;
  unsigned found;
  size_t i = 0;
  for (t.getFirst(&k, &d, &found); found; t.getNext(&k, &d, &found), ++i) {
    ASSERT_LT(i, expect.size());
    ASSERT_EQ(k, expect[i]);
    ASSERT_EQ(d, model[k]);
  }
  EXPECT_EQ(i, expect.size());
  std::vector<uint32_t> back = t.keys(false);
  EXPECT_TRUE(std::equal(back.rbegin(), back.rend(), expect.begin(), expect.end()));
  EXPECT_EQ(scope.list.getCount(), 0u);

  t.reset();
  EXPECT_EQ(t.getKeyCount(), 0u);
  EXPECT_EQ(t.add(3, 3), 0u);
  EXPECT_EQ(t.keys(), std::vector<uint32_t>({3}));
}

}  // namespace
