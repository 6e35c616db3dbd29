// JxSharedFile on the DLL: writes split at 4096-byte blocks, blocks placed as they are
// first written, holes and the bytes past the last block, truncation giving the space
// back, and a seeded run against a byte image.
#include "dbutil/jxsharedfile.h"
#include "dbutil/jxtmpfile.h"
#include "scoped_list.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

const uint32_t BLOCK = JxSharedFile::BLOCK_SIZE;

std::vector<char> bytes(uint32_t length, int seed) {
  std::vector<char> v(length);
  for (uint32_t i = 0; i < length; ++i) v[i] = static_cast<char>((i * 31 + seed * 7 + 1) & 0xFF);
  return v;
}

std::vector<char> readBack(JxSharedFile& f, uint32_t offset, uint32_t length) {
  std::vector<char> v(length, 'x');
  EXPECT_EQ(f.read(offset, v.data(), length), 0);
  return v;
}

TEST(JxSharedFile, AWriteAcrossABlockBoundaryIsSplitThere) {
  ScopedErrorList scope;
  JxTmpFile tmp;
  JxSharedFile f(&tmp);
  std::vector<char> first = bytes(100, 1);
  ASSERT_EQ(f.write(0, first.data(), 100), 0);
  EXPECT_EQ(f.getBlockCount(), 1);
  // 200 bytes from 4000: 96 into block 0, 104 into block 1, which is made now.
  std::vector<char> across = bytes(200, 2);
  ASSERT_EQ(f.write(4000, across.data(), 200), 0);
  ASSERT_EQ(f.getBlockCount(), 2);
  EXPECT_NE(f.getBlockOffset(0), 0u);
  EXPECT_NE(f.getBlockOffset(1), 0u);
  EXPECT_NE(f.getBlockOffset(0), f.getBlockOffset(1));
  EXPECT_EQ(readBack(f, 4000, 200), across);
  EXPECT_EQ(readBack(f, 0, 100), first);
  // Each block's part sits at its own place in the temporary file.
  std::vector<char> head(96), tail(104);
  ASSERT_EQ(tmp.tmpRead(f.getBlockOffset(0) + 4000, head.data(), 96), 0);
  ASSERT_EQ(tmp.tmpRead(f.getBlockOffset(1), tail.data(), 104), 0);
  EXPECT_EQ(head, std::vector<char>(across.begin(), across.begin() + 96));
  EXPECT_EQ(tail, std::vector<char>(across.begin() + 96, across.end()));
  // Bytes of a block that were never written read as zeros.
  EXPECT_EQ(readBack(f, 100, 50), std::vector<char>(50, 0));
  EXPECT_EQ(readBack(f, BLOCK + 104, 100), std::vector<char>(100, 0));
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(JxSharedFile, BlocksArePlacedAsTheyAreFirstWritten) {
  ScopedErrorList scope;
  JxTmpFile tmp;
  JxSharedFile f(&tmp);
  std::vector<char> one = bytes(10, 3);
  f.write(0, one.data(), 10);
  uint32_t end = tmp.getEndOffset();
  f.write(20, one.data(), 10);  // the same block: no new space
  EXPECT_EQ(tmp.getEndOffset(), end);
  EXPECT_EQ(f.getBlockCount(), 1);
  f.write(BLOCK, one.data(), 10);
  EXPECT_EQ(tmp.getEndOffset(), end + BLOCK);
  EXPECT_EQ(f.getBlockCount(), 2);
  EXPECT_EQ(scope.list.getCount(), 0u);
}

// A write past a gap places only the block it touches; the blocks between stay holes
// and read as zeros, also after space given back by others was reused for the new one.
TEST(JxSharedFile, ASparseWriteLeavesAHoleThatReadsAsZeros) {
  ScopedErrorList scope;
  JxTmpFile tmp;
  // Space with old bytes in it, given back before the shared file takes its blocks.
  uint32_t old;
  ASSERT_EQ(tmp.tmpFindSpace(3 * BLOCK, &old), 0);
  std::vector<char> junk(3 * BLOCK, 'J');
  tmp.tmpWrite(old, junk.data(), 3 * BLOCK);
  tmp.tmpFreeSpace(old, 3 * BLOCK);

  JxSharedFile f(&tmp);
  std::vector<char> far = bytes(50, 4);
  ASSERT_EQ(f.write(3 * BLOCK + 10, far.data(), 50), 0);
  ASSERT_EQ(f.getBlockCount(), 4);
  EXPECT_EQ(f.getBlockOffset(0), 0u);
  EXPECT_EQ(f.getBlockOffset(2), 0u);
  EXPECT_NE(f.getBlockOffset(3), 0u);
  EXPECT_EQ(readBack(f, 3 * BLOCK + 10, 50), far);
  EXPECT_EQ(readBack(f, 0, 3 * BLOCK + 10), std::vector<char>(3 * BLOCK + 10, 0));  // the hole
  EXPECT_EQ(readBack(f, 3 * BLOCK + 60, BLOCK - 60), std::vector<char>(BLOCK - 60, 0));
  EXPECT_EQ(readBack(f, 9 * BLOCK, 100), std::vector<char>(100, 0));  // past the last block
  // Filling the hole later places its block.
  ASSERT_EQ(f.write(BLOCK + 5, far.data(), 50), 0);
  EXPECT_NE(f.getBlockOffset(1), 0u);
  EXPECT_EQ(readBack(f, BLOCK, 5), std::vector<char>(5, 0));
  EXPECT_EQ(readBack(f, BLOCK + 5, 50), far);
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(JxSharedFile, TruncateGivesEveryBlockBack) {
  ScopedErrorList scope;
  JxTmpFile tmp;
  uint32_t start = tmp.getEndOffset();
  {
    JxSharedFile f(&tmp);
    std::vector<char> data = bytes(3 * BLOCK + 1, 5);
    ASSERT_EQ(f.write(0, data.data(), static_cast<uint32_t>(data.size())), 0);
    EXPECT_EQ(tmp.getEndOffset(), start + 4 * BLOCK);
    f.truncate();
    EXPECT_EQ(f.getBlockCount(), 0);
    EXPECT_EQ(tmp.getEndOffset(), start);
    EXPECT_EQ(readBack(f, 0, 10), std::vector<char>(10, 0));
    f.write(0, data.data(), 10);
  }  // the destructor truncates
  EXPECT_EQ(tmp.getEndOffset(), start);
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(JxSharedFile, WritesBeyondTheBlockLimitAreRefusedWhole) {
  ScopedErrorList scope;
  JxTmpFile tmp;
  JxSharedFile f(&tmp);
  char c = 'z';
  const uint32_t limit = JxArray::MAX_ELEMENTS * BLOCK;
  EXPECT_EQ(f.write(limit, &c, 1), 1);
  EXPECT_EQ(scope.lastNumber(), 2722);
  EXPECT_EQ(f.getBlockCount(), 0);
  JxErrorKeeper::clearLastError();
  EXPECT_EQ(f.write(0xFFFFFFFFu, &c, 1), 1);  // would wrap the block number
  JxErrorKeeper::clearLastError();
  EXPECT_EQ(f.write(limit - 1, &c, 1), 0);  // the very last byte fits
  EXPECT_EQ(f.getBlockCount(), JxArray::MAX_ELEMENTS);
  EXPECT_EQ(readBack(f, limit - 1, 1), std::vector<char>(1, 'z'));
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(JxSharedFile, RandomRunAgainstAnImage) {
  ScopedErrorList scope;
  JxTmpFile tmp(8192);
  JxSharedFile f(&tmp);
  std::mt19937 rng(4096);
  std::vector<char> image;
  for (int op = 0; op < 1500; ++op) {
    uint32_t offset = rng() % (40 * BLOCK);
    uint32_t length = 1 + rng() % (rng() % 5 ? 300 : 3 * BLOCK);
    if (rng() % 2) {
      std::vector<char> data(length);
      for (char& c : data) c = static_cast<char>(rng());
      ASSERT_EQ(f.write(offset, data.data(), length), 0) << op;
      if (image.size() < offset + length) image.resize(offset + length, 0);
      std::copy(data.begin(), data.end(), image.begin() + offset);
    } else {
      std::vector<char> expected(length, 0);
      for (uint32_t i = 0; i < length && offset + i < image.size(); ++i) expected[i] = image[offset + i];
      ASSERT_EQ(readBack(f, offset, length), expected) << "op " << op;
    }
  }
  EXPECT_EQ(scope.list.getCount(), 0u);
}

}  // namespace
