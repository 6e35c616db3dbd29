// JxSharedFile: block-by-block copies between the caller and the temporary file.
#include "dbutil/jxsharedfile.h"

#include "dbutil/jxerror.h"
#include "dbutil/jxtmpfile.h"
#include "dbutil/utl_messages.h"

#include <string.h>

namespace {

const uint32_t kBlock = JxSharedFile::BLOCK_SIZE;

// The last byte's block must have an index below the array's limit.
bool inRange(uint32_t offset, uint32_t length) {
  uint64_t last = static_cast<uint64_t>(offset) + length - 1;
  return last / kBlock < JxArray::MAX_ELEMENTS;
}

}  // namespace

JxSharedFile::~JxSharedFile() { truncate(); }

void JxSharedFile::truncate() {
  for (unsigned short k = 0; k < blocks_.getCount(); ++k) {
    uint32_t at = getBlockOffset(k);
    if (at) file_->tmpFreeSpace(at, kBlock);
  }
  blocks_.deleteContents();
}

JxStatus JxSharedFile::read(uint32_t offset, void* buffer, uint32_t length) {
  char* out = static_cast<char*>(buffer);
  while (length > 0) {
    uint32_t k = offset / kBlock;
    uint32_t within = offset % kBlock;
    uint32_t n = kBlock - within;
    if (n > length) n = length;
    uint32_t at = k < blocks_.getCount() ? getBlockOffset(static_cast<unsigned short>(k)) : 0;
    if (at == 0) {
      memset(out, 0, n);  // never written
    } else if (file_->tmpRead(at + within, out, n)) {
      return 1;
    }
    out += n;
    length -= n;
    if (offset > 0xFFFFFFFFu - n) break;
    offset += n;
  }
  return 0;
}

// Writes n bytes at within of block k, giving the block its place first when it has
// none; a new block is written whole, zeros around the bytes, so that none of the
// space's earlier contents shows.
JxStatus JxSharedFile::placeBlock(unsigned short k, uint32_t within, const char* data, uint32_t n) {
  while (blocks_.getCount() <= k)
    if (blocks_.addValue(0)) return 1;
  uint32_t at = getBlockOffset(k);
  if (at) return file_->tmpWrite(at + within, data, n);
  if (file_->tmpFindSpace(kBlock, &at)) return 1;
  char whole[kBlock];
  memset(whole, 0, sizeof whole);
  memcpy(whole + within, data, n);
  if (file_->tmpWrite(at, whole, kBlock)) {
    file_->tmpFreeSpace(at, kBlock);
    return 1;
  }
  blocks_.setValue(k, at);
  return 0;
}

JxStatus JxSharedFile::write(uint32_t offset, const void* data, uint32_t length) {
  if (length == 0) return 0;
  if (!inRange(offset, length)) {
    utlErrorById(MSG_ARRAY_LIMIT);
    return 1;
  }
  const char* in = static_cast<const char*>(data);
  while (length > 0) {
    uint32_t k = offset / kBlock;
    uint32_t within = offset % kBlock;
    uint32_t n = kBlock - within;
    if (n > length) n = length;
    if (placeBlock(static_cast<unsigned short>(k), within, in, n)) return 1;
    in += n;
    length -= n;
    offset += n;
  }
  return 0;
}
