// Selections in their block array: where items lie, the free runs, most recently freed
// first, and the release of a chain of narrowed selections.
#include <gtest/gtest.h>

#include <vector>

#include "database/textdata.h"
#include "utils/xexception.h"

namespace {

// The array with its block count in view.
struct Probe : TextDataArray {
  using BlockArray<STextDataRep>::blocks;
};

// Item i's block and place: the first block holds firstSize items, every later one
// blockSize.
TEST(BlockArray, ItemLiesInItsComputedBlockAndPlace) {
  struct Case {
    unsigned blockSize, firstSize, item, block, place;
  };
  const Case cases[] = {
      {32, 32, 0, 0, 0}, {32, 32, 31, 0, 31}, {32, 32, 32, 1, 0}, {32, 32, 63, 1, 31}, {32, 32, 64, 2, 0},
      {8, 4, 3, 0, 3},   {8, 4, 4, 1, 0},     {8, 4, 11, 1, 7},   {8, 4, 12, 2, 0},    {8, 4, 29, 4, 1},
      {1, 1, 5, 5, 0},   {16, 48, 47, 0, 47}, {16, 48, 48, 1, 0}, {16, 48, 80, 3, 0},
  };
  for (const Case& c : cases) {
    struct Ints : BlockArray<int32_t> {
      Ints(unsigned b, unsigned f) : BlockArray<int32_t>(b, f) {}
      using BlockArray<int32_t>::blocks;
    } a(c.blockSize, c.firstSize);
    a.ensureCount(c.item + 1);
    SCOPED_TRACE(testing::Message() << c.blockSize << "/" << c.firstSize << " item " << c.item);
    // The item's block is the last one opened to reach it.
    EXPECT_EQ(c.block + 1, a.blocks());
    // Items of one block are contiguous from the block's first item.
    EXPECT_EQ(&a[c.item - c.place] + c.place, &a[c.item]);
    EXPECT_EQ(0, a[c.item]);  // new blocks are zero-filled
    if (c.block > 0) {
      // ...and the block before holds the item before the block's first one elsewhere.
      a[c.item - c.place - 1] = 7;
      a[c.item - c.place] = 9;
      EXPECT_EQ(7, a[c.item - c.place - 1]);
      EXPECT_EQ(9, a[c.item - c.place]);
    }
  }
}

// forEach and firstThat step across blocks in index order over [lb, ub) or everything;
// a range beyond the count is a program error.
TEST(BlockArray, ForEachAndFirstThatCrossBlocks) {
  struct Ints : BlockArray<int32_t> {
    Ints() : BlockArray<int32_t>(4, 3) {}
  } a;
  a.ensureCount(11);
  ASSERT_EQ(11u, a.count());
  for (unsigned i = 0; i < a.count(); ++i) a[i] = (int32_t)i * 10;
  std::vector<int32_t> seen;
  auto collect = [](int32_t& v, void* arg) { static_cast<std::vector<int32_t>*>(arg)->push_back(v); };
  a.forEach(collect, &seen, 0, 2, 9);
  EXPECT_EQ(std::vector<int32_t>({20, 30, 40, 50, 60, 70, 80}), seen);
  seen.clear();
  a.forEach(collect, &seen, 1, 5, 6);  // all: the range is ignored
  EXPECT_EQ(11u, seen.size());
  int32_t want = 70;
  auto equal = [](int32_t& v, void* arg) { return v == *static_cast<int32_t*>(arg) ? 1 : 0; };
  EXPECT_EQ(&a[7], a.firstThat(equal, &want));
  EXPECT_EQ(nullptr, a.firstThat(equal, &want, 0, 0, 7));
  EXPECT_EQ(&a[7], a.firstThat(equal, &want, 0, 7, 8));
  EXPECT_THROW(a.forEach(collect, &seen, 0, 0, 12), XAssert);
  EXPECT_THROW(a.firstThat(equal, &want, 0, 0, 12), XAssert);
}

TEST(TextDataArray, TheThirtyThirdItemOpensASecondBlockOf32) {
  Probe a;
  std::vector<int32_t> got;
  for (int i = 0; i < 32; ++i) got.push_back(a.add(STextDataRep::Make(tdParagraphs, i, 1)));
  EXPECT_EQ(1u, a.blocks());
  EXPECT_EQ(32u, a.count());
  for (int i = 0; i < 32; ++i) EXPECT_EQ(i, got[i]);
  EXPECT_EQ(0xFFFFFFFFu, a.firstFree());  // no free item left
  EXPECT_EQ(32, a.add(STextDataRep::Make(tdParagraphs, 32, 1)));
  EXPECT_EQ(2u, a.blocks());
  EXPECT_EQ(64u, a.count());
  // The rest of the new block is one free run starting right after.
  EXPECT_EQ(33u, a.firstFree());
  EXPECT_EQ(30u, a[33].run());
  EXPECT_EQ(33u, a.usedCount());
  EXPECT_EQ(nullptr, a.checkFreeList());
  // Every item keeps what was put in it.
  for (int i = 0; i <= 32; ++i) {
    ASSERT_NE(nullptr, a.at(i));
    EXPECT_EQ(i, a.at(i)->first);
    EXPECT_EQ(tdParagraphs, a.at(i)->kind);
  }
}

TEST(TextDataArray, FreedItemsAreReusedMostRecentlyFreedFirstBeforeANewBlock) {
  Probe a;
  std::vector<TextDataIndex> held;
  for (int i = 0; i < 32; ++i) held.emplace_back(a, tdRows, i, 1);
  ASSERT_EQ(1u, a.blocks());
  held[5] = TextDataIndex();
  held[20] = TextDataIndex();
  held[9] = TextDataIndex();
  EXPECT_EQ(nullptr, a.at(5));
  EXPECT_EQ(29u, a.usedCount());
  EXPECT_EQ(nullptr, a.checkFreeList());
  TextDataIndex x(a, tdColumn, 0, 1), y(a, tdColumn, 1, 1), z(a, tdColumn, 2, 1);
  EXPECT_EQ(9, x.index());
  EXPECT_EQ(20, y.index());
  EXPECT_EQ(5, z.index());
  EXPECT_EQ(1u, a.blocks());  // no block until the free items are gone
  TextDataIndex w(a, tdColumn, 3, 1);
  EXPECT_EQ(32, w.index());
  EXPECT_EQ(2u, a.blocks());
  // A reused item starts clean: the template's values, count 1 (w's), no link.
  EXPECT_EQ(tdColumn, z.item()->kind);
  EXPECT_EQ(2, z.item()->first);
  EXPECT_EQ(1, z.item()->count);
  EXPECT_EQ(-1, z.item()->link);
}

// A word of a paragraph of the whole text: the paragraph stays while the word narrows
// it, and the last reference to the word releases the chain it alone held.
TEST(TextDataIndex, ReleasingANarrowedSelectionReleasesItsChain) {
  TextDataArray a;
  TextDataIndex whole(a, tdAll, 0, 0);
  int32_t para = -1, word = -1;
  {
    TextDataIndex p(a, tdParagraphs, 2, 1, whole);
    TextDataIndex w(a, tdWords, 1, 1, p);
    para = p.index();
    word = w.index();
    EXPECT_EQ(para, w.item()->link);
    EXPECT_EQ(whole.index(), p.item()->link);
    EXPECT_EQ(2, p.item()->count);  // p and w's link
    EXPECT_EQ(2, whole.item()->count);
    TextDataIndex keep(w);
    p = TextDataIndex();
    EXPECT_NE(nullptr, a.at(para));  // held by the word's link
    EXPECT_EQ(3u, a.usedCount());
    w = -1;
    EXPECT_NE(nullptr, a.at(word));  // keep still holds it
    EXPECT_EQ(1, keep.item()->count);
  }
  EXPECT_EQ(nullptr, a.at(word));
  EXPECT_EQ(nullptr, a.at(para));
  EXPECT_EQ(1u, a.usedCount());
  EXPECT_EQ(1, whole.item()->count);
  // The word went last: it is reused first, then the paragraph.
  TextDataIndex n1(a, tdCharacters, 0, 1), n2(a, tdCharacters, 0, 1);
  EXPECT_EQ(para, n1.index());
  EXPECT_EQ(word, n2.index());
}

// An index moved onto the selection that only its old selection's link held keeps it.
TEST(TextDataIndex, MovingOntoTheEnclosingSelectionKeepsIt) {
  TextDataArray a;
  TextDataIndex w;
  int32_t para = -1;
  {
    TextDataIndex p(a, tdParagraphs, 0, 1);
    para = p.index();
    w = TextDataIndex(a, tdWords, 0, 1, p);
  }
  ASSERT_EQ(1, a.at(para)->count);
  w = para;
  ASSERT_NE(nullptr, a.at(para));
  EXPECT_EQ(1, a.at(para)->count);
  EXPECT_EQ(para, w.index());
  EXPECT_EQ(1u, a.usedCount());
  w = para;  // the same index: nothing changes
  EXPECT_EQ(1, a.at(para)->count);
}

TEST(TextDataIndex, DuplicateCopiesKindValuesAndLink) {
  TextDataArray a;
  TextDataIndex whole(a, tdAll, 0, 0);
  TextDataIndex col(a, tdColumns, 3, 2, whole);
  col.item()->stamp = 7;
  TextDataIndex copy = TextDataIndex::Duplicate(col);
  ASSERT_NE(col.index(), copy.index());
  EXPECT_EQ(tdColumns, copy.item()->kind);
  EXPECT_EQ(3, copy.item()->first);
  EXPECT_EQ(2, copy.item()->second);
  EXPECT_EQ(7, copy.item()->stamp);
  EXPECT_EQ(whole.index(), copy.item()->link);
  EXPECT_EQ(3, whole.item()->count);
  EXPECT_TRUE(TextDataIndex::Duplicate(TextDataIndex()).isNull());
}

TEST(TextDataArray, ReleasingAFreeItemIsAProgramError) {
  TextDataArray a;
  int32_t i = a.add(STextDataRep::Make(tdRows, 0, 1));
  a.ref(i);
  a.release(i);
  EXPECT_THROW(a.release(i), XAssert);
  EXPECT_THROW(a.ref(i), XAssert);
  EXPECT_THROW(a.release(1000), XAssert);
}

// A long chain of narrowed selections goes without deep recursion.
TEST(TextDataIndex, ALongChainIsReleasedWhole) {
  TextDataArray a;
  TextDataIndex whole(a, tdAll, 0, 0);
  TextDataIndex last = whole;
  for (int i = 0; i < 100000; ++i) last = TextDataIndex(a, tdCharacters, 0, 1, last);
  EXPECT_EQ(100001u, a.usedCount());
  last = TextDataIndex();
  EXPECT_EQ(1u, a.usedCount());
  EXPECT_EQ(nullptr, a.checkFreeList());
}

}  // namespace
