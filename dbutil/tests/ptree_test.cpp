// The positional tree on the DLL: inserting, opening holes and deleting shift the later
// positions (also in other nodes), the inherited operations shift nothing, a shift past
// the top position is refused, and a seeded run against a std::vector across root splits.
#include "dbutil/jxptree.h"
#include "scoped_list.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

namespace {

typedef std::vector<std::pair<uint32_t, uint32_t>> Entries;  // position, data

Entries walk(JxPTree& t, bool forward = true) {
  Entries out;
  uint32_t k, d;
  unsigned found;
  JxStatus s = forward ? t.getFirst(&k, &d, &found) : t.getLast(&k, &d, &found);
  while (s == 0 && found) {
    out.push_back({k, d});
    s = forward ? t.getNext(&k, &d, &found) : t.getPrevious(&k, &d, &found);
  }
  EXPECT_EQ(s, 0);
  return out;
}

void addAt(JxPTree& t, uint32_t position, uint32_t data) { ASSERT_EQ(t.addAtPos(position, &data), 0); }

TEST(JxPTree, InsertingShiftsLaterPositions) {
  ScopedErrorList scope;
  JxPTree t(4);
  addAt(t, 1, 10);
  addAt(t, 2, 20);
  addAt(t, 3, 30);
  addAt(t, 2, 99);
  EXPECT_EQ(walk(t), (Entries{{1, 10}, {2, 99}, {3, 20}, {4, 30}}));
  EXPECT_EQ(t.getKeyCount(), 4u);
}

TEST(JxPTree, HoleAndDeleteAtPos) {
  ScopedErrorList scope;
  JxPTree t(4);
  for (uint32_t p = 1; p <= 3; ++p) addAt(t, p, p * 10);
  ASSERT_EQ(t.addHoleAtPos(2), 0);
  EXPECT_EQ(walk(t), (Entries{{1, 10}, {3, 20}, {4, 30}}));
  unsigned found = 2;
  ASSERT_EQ(t.deleteKeyAtPos(2, &found), 0);
  EXPECT_EQ(found, 0u);
  EXPECT_EQ(walk(t), (Entries{{1, 10}, {2, 20}, {3, 30}}));
  ASSERT_EQ(t.deleteKeyAtPos(1, &found), 0);
  EXPECT_EQ(found, 1u);
  EXPECT_EQ(walk(t), (Entries{{1, 20}, {2, 30}}));
  EXPECT_EQ(t.getKeyCount(), 2u);
}

TEST(JxPTree, InheritedOperationsShiftNothing) {
  ScopedErrorList scope;
  JxPTree t(4);
  for (uint32_t p = 1; p <= 3; ++p) addAt(t, p, p * 10);
  unsigned found;
  ASSERT_EQ(t.deleteKey(2, &found), 0);
  EXPECT_EQ(found, 1u);
  EXPECT_EQ(walk(t), (Entries{{1, 10}, {3, 30}}));
  uint32_t d = 22;
  ASSERT_EQ(t.add(2, &d, &found), 0);
  EXPECT_EQ(found, 0u);
  ASSERT_EQ(t.add(3, &d, &found), 0);
  EXPECT_EQ(found, 1u);
  d = 7;
  t.add(9, &d, &found);
  t.changeData(1, &d);
  EXPECT_EQ(walk(t), (Entries{{1, 7}, {2, 22}, {3, 30}, {9, 7}}));
  t.getData(3, &d, &found);
  EXPECT_EQ(d, 30u);
  t.doesExist(4, &found);
  EXPECT_EQ(found, 0u);
}

// Many nodes: a change low down moves every later entry, in whichever node it lives.
TEST(JxPTree, ShiftsReachOtherNodes) {
  ScopedErrorList scope;
  JxPTree t(4);
  const uint32_t N = 3000;
  for (uint32_t p = 1; p <= N; ++p) addAt(t, p, p);
  unsigned found;
  ASSERT_EQ(t.deleteKeyAtPos(10, &found), 0);
  ASSERT_EQ(found, 1u);
  ASSERT_EQ(t.addHoleAtPos(5), 0);
  ASSERT_EQ(t.addAtPos(1, &N), 0);
  Entries e = walk(t);
  ASSERT_EQ(e.size(), N);
  // 1: N; 2..5: 1..4; hole at 6; 7..11: 5..9; 10 deleted; 12..N+1: 11..N
  Entries expect{{1, N}};
  for (uint32_t d = 1; d <= 4; ++d) expect.push_back({d + 1, d});
  for (uint32_t d = 5; d <= 9; ++d) expect.push_back({d + 2, d});
  for (uint32_t d = 11; d <= N; ++d) expect.push_back({d + 1, d});
  EXPECT_EQ(e, expect);
  Entries back = walk(t, false);
  EXPECT_TRUE(std::equal(back.rbegin(), back.rend(), expect.begin(), expect.end()));
  uint32_t d;
  t.getData(N + 1, &d, &found);
  EXPECT_EQ(found, 1u);
  EXPECT_EQ(d, N);
}

TEST(JxPTree, NoShiftPastTheTopPosition) {
  ScopedErrorList scope;
  JxPTree t(4);
  addAt(t, 5, 5);
  addAt(t, 0xFFFFFFFFu, 1);  // nothing after it: no shift
  uint32_t d = 6;
  EXPECT_EQ(t.addAtPos(6, &d), 1);
  EXPECT_EQ(scope.lastNumber(), 2730);
  JxErrorKeeper::clearLastError();
  EXPECT_EQ(t.addHoleAtPos(0xFFFFFFFFu), 1);
  JxErrorKeeper::clearLastError();
  EXPECT_EQ(walk(t), (Entries{{5, 5}, {0xFFFFFFFFu, 1}}));
  unsigned found;
  ASSERT_EQ(t.deleteKeyAtPos(7, &found), 0);  // room again
  EXPECT_EQ(t.addAtPos(6, &d), 0);
  EXPECT_EQ(walk(t), (Entries{{5, 5}, {6, 6}, {0xFFFFFFFFu, 1}}));
}

// Seeded: positional insertions, holes, deletions, look-ups, plain additions and deletions
// against a vector of slots (0 = hole), with enough entries for the root to split several
// times.
TEST(JxPTree, ModelRun) {
  ScopedErrorList scope;
  JxPTree t(4);
  std::vector<uint32_t> model;  // slot p-1 holds position p's data, 0 for a hole
  std::mt19937 rng(133);
  for (int op = 1; op <= 40000; ++op) {
    uint32_t p = 1 + rng() % static_cast<uint32_t>(model.size() + 2);
    uint32_t d = static_cast<uint32_t>(op);
    unsigned found = 2;
    int what = rng() % 21;
    if (what < 11) {
      ASSERT_EQ(t.addAtPos(p, &d), 0);
      if (p - 1 > model.size()) model.resize(p - 1, 0);
      model.insert(model.begin() + (p - 1), d);
    } else if (what < 13) {
      ASSERT_EQ(t.addHoleAtPos(p), 0);
      if (p - 1 < model.size()) model.insert(model.begin() + (p - 1), 0);
    } else if (what < 17) {
      ASSERT_EQ(t.deleteKeyAtPos(p, &found), 0);
      bool had = p - 1 < model.size() && model[p - 1];
      ASSERT_EQ(found, had ? 1u : 0u) << op;
      if (p - 1 < model.size()) model.erase(model.begin() + (p - 1));
    } else if (what < 18) {
      ASSERT_EQ(t.add(p, &d, &found), 0);
      bool had = p - 1 < model.size() && model[p - 1];
      ASSERT_EQ(found, had ? 1u : 0u) << op;
      if (!had) {
        if (p - 1 >= model.size()) model.resize(p, 0);
        model[p - 1] = d;
      }
    } else if (what < 19) {
      ASSERT_EQ(t.deleteKey(p, &found), 0);  // leaves a hole
      bool had = p - 1 < model.size() && model[p - 1];
      ASSERT_EQ(found, had ? 1u : 0u) << op;
      if (had) model[p - 1] = 0;
    } else {
      uint32_t got = 0;
      ASSERT_EQ(t.getData(p, &got, &found), 0);
      bool had = p - 1 < model.size() && model[p - 1];
      ASSERT_EQ(found, had ? 1u : 0u) << op;
      if (had) {
        ASSERT_EQ(got, model[p - 1]);
      }
    }
    if (op % 5000 == 0 || op == 40000) {
      Entries expect;
      for (size_t i = 0; i < model.size(); ++i)
        if (model[i]) expect.push_back({static_cast<uint32_t>(i + 1), model[i]});
      ASSERT_EQ(walk(t), expect) << op;
      ASSERT_EQ(t.getKeyCount(), expect.size());
    }
  }
  EXPECT_GT(t.getKeyCount(), 5000u);
  EXPECT_GT(t.getNodesMade(), 200u);  // several root splits
  EXPECT_GE(t.getGreatestDepth(), 3);
  EXPECT_EQ(scope.list.getCount(), 0u);
}

}  // namespace
