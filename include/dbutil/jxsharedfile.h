// JxSharedFile: a growable byte file made of 4096-byte blocks inside a JxTmpFile. Block k
// holds bytes k * 4096 to k * 4096 + 4095; a block gets its place in the temporary file
// when it is first written, zero-filled around what is written. Bytes of blocks never
// written (a hole, or beyond the last block) read as zeros.
#pragma once

#include "dbutil/jxarray.h"

class JxTmpFile;

class JXUTL04_API JxSharedFile : public JxObject {
 public:
  enum : uint32_t { BLOCK_SIZE = 4096 };

  // The blocks live in file, which the caller owns and keeps for the object's life.
  explicit JxSharedFile(JxTmpFile* file) : file_(file) {}
  ~JxSharedFile() override;

  // 1 when the temporary file cannot be read.
  JxStatus read(uint32_t offset, void* buffer, uint32_t length);
  // Stops at the first block that cannot be allocated or written and answers 1.
  JxStatus write(uint32_t offset, const void* data, uint32_t length);
  // Gives every block back to the temporary file.
  void truncate();

  // Blocks known (written ones and the holes before them), and block k's offset in the
  // temporary file (0 for a hole).
  unsigned short getBlockCount() const { return blocks_.getCount(); }
  uint32_t getBlockOffset(unsigned short k) const { return static_cast<uint32_t>(blocks_.getValue(k)); }

 private:
  JxStatus placeBlock(unsigned short k, uint32_t within, const char* data, uint32_t n);
  JxTmpFile* file_;
  JxArrayU32 blocks_;
};
