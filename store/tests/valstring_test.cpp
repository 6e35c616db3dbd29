// String representations: texts kept inside the rep or in a buffer of their own, the
// shared one-byte texts, growth in place.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "store/valstring.h"
#include "store/valuecell.h"
#include "utils/allocator.h"

namespace {

// Lengths on both sides of the inline capacity and of the largest pooled block.
const size_t kLengths[] = {0, 1, 2, 22, 23, 24, 25, 195, 196, 197, 1000};

std::string Pattern(size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += (char)('a' + i % 26);
  return s;
}

}  // namespace

TEST(ValStringRep, TextsOfEveryLengthKeepTheirBytes) {
  for (size_t n : kLengths) {
    std::string want = Pattern(n);
    if (n > 2) want[n / 2] = 0;  // any byte, zero included
    ValString a(want.data(), want.size());
    EXPECT_EQ(n, a.length()) << n;
    EXPECT_EQ(0, std::memcmp(a.c_str(), want.data(), n)) << n;
    EXPECT_EQ(0, a.c_str()[n]) << "terminated, " << n;
    ValString b = a;
    EXPECT_EQ(a.rep(), b.rep());
    ValString c = a + ValString("!");
    EXPECT_EQ(n + 1, c.length());
    EXPECT_EQ('!', c.c_str()[n]);
    EXPECT_EQ(0, std::memcmp(c.c_str(), want.data(), n)) << n;
  }
}

// Growing in place stays within the capacity, across the inline limit, and never
// changes a text that has been handed on.
TEST(ValStringRep, AppendInPlaceGrowsWithinItsCapacity) {
  for (size_t cap : kLengths) {
    ValStringRep* r = ValStringRep::makeUninitialized(0, cap);
    ValString held(r);
    EXPECT_EQ(cap, r->capacity());
    std::string want;
    for (size_t i = 0; i < cap; ++i) {
      char ch = (char)('A' + i % 26);
      r->appendInPlace(&ch, 1);
      want += ch;
    }
    EXPECT_EQ(want, held.str()) << cap;
    EXPECT_EQ(0, held.c_str()[cap]);
  }
}

TEST(ValStringRep, OneByteAndEmptyTextsAreShared) {
  for (int b = 0; b < 256; ++b) {
    char ch = (char)b;
    ValStringRep* r = ValStringRep::Shared(&ch, 1);
    ASSERT_EQ(1u, r->length());
    EXPECT_EQ(ch, r->c_str()[0]);
    EXPECT_EQ(0, r->c_str()[1]);
    EXPECT_EQ(r, ValStringRep::Make(&ch, 1));
  }
  ValStringRep* empty = ValStringRep::Shared(nullptr, 0);
  EXPECT_EQ(0u, empty->length());
  EXPECT_STREQ("", empty->c_str());
  EXPECT_EQ(empty, ValStringRep::Make("xyz", 0));
  // Counted like any other: the last value to let go leaves the shared text alive.
  const int32_t blocks = PoolAllocator::InUse();
  int16_t before = ValStringRep::Shared("A", 1)->count();
  {
    ValString a(ValStringRep::Make("A", 1));
    ValueCellVar cell;
    cell.c.setString(ValStringRep::Shared("A", 1));
    EXPECT_EQ(before + 2, a.rep()->count());
  }
  EXPECT_EQ(before, ValStringRep::Shared("A", 1)->count());
  EXPECT_STREQ("A", ValStringRep::Shared("A", 1)->c_str());
  EXPECT_EQ(blocks, PoolAllocator::InUse());
  // Two bytes or more make a text of their own.
  ValString two(ValStringRep::Make("AB", 2));
  EXPECT_EQ(1, two.rep()->count());
  EXPECT_STREQ("AB", two.c_str());
}

// A short text takes one pooled block (the rep), a longer one a second for its bytes.
TEST(ValStringRep, ShortTextsTakeOneBlock) {
  const int32_t before = PoolAllocator::InUse();
  {
    std::string s = Pattern(ValStringRep::kInlineCapacity);
    ValString a(s);
    EXPECT_EQ(before + 1, PoolAllocator::InUse());
    ValString b(Pattern(ValStringRep::kInlineCapacity + 1));
    EXPECT_EQ(before + 3, PoolAllocator::InUse());
  }
  EXPECT_EQ(before, PoolAllocator::InUse());
}
