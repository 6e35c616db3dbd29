// JxTmpFile's page cache and its files. Page p lives in slot p mod slots, in one of the
// slot's two ways; the victim of a miss is the way not used last. A page leaves the
// cache for the first file at p * 2048 while the first file can take it, else for the
// overflow file at (p - pages of the first file) * 2048.
#include "dbutil/jxtmpfile.h"

#include "dbutil/jxbos.h"
#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "tmp_internal.h"
#include "dbutil/utl_messages.h"

#include <string.h>

namespace {

uint32_t g_failFirstFrom = 0xFFFFFFFFu;

}  // namespace

void JxTmpFile::testFailFirstFileFrom(uint32_t page) { g_failFirstFrom = page; }

JxStatus JxTmpFile::allocateCache() {
  cache_ = static_cast<char*>(ramAlloc(cacheSize_));
  directory_ = static_cast<Slot*>(ramAlloc(slotCount_ * sizeof(Slot)));
  if (!cache_ || !directory_) {
    freeCache();
    return 1;
  }
  for (uint32_t s = 0; s < slotCount_; ++s) {
    directory_[s].page[0] = directory_[s].page[1] = NO_PAGE;
    directory_[s].flags = 0;
  }
  return 0;
}

void JxTmpFile::freeCache() {
  ramFree(cache_);
  ramFree(directory_);
  cache_ = nullptr;
  directory_ = nullptr;
}

int JxTmpFile::isResident(uint32_t p) const {
  if (!directory_) return 0;
  const Slot& d = directory_[p & (slotCount_ - 1)];
  return d.page[0] == p || d.page[1] == p;
}

char* JxTmpFile::page(uint32_t p, Access access) {
  if (!cache_ && allocateCache()) return nullptr;
  uint32_t s = p & (slotCount_ - 1);
  Slot& d = directory_[s];
  int way = d.page[0] == p ? 0 : (d.page[1] == p ? 1 : -1);
  if (way < 0) {
    way = (d.flags & WAY1_LAST) ? 0 : 1;
    char* mem = cache_ + (2 * s + way) * PAGE_SIZE;
    uint16_t dirty = static_cast<uint16_t>(DIRTY0 << way);
    if (d.page[way] != NO_PAGE && (d.flags & dirty) && writeBack(d.page[way], mem)) return nullptr;
    d.flags = static_cast<uint16_t>(d.flags & ~dirty);
    d.page[way] = NO_PAGE;
    if (access != FOR_OVERWRITE) {
      // A page above the highest one written back has never been on disk.
      if (highestPage_ == NO_PAGE || p > highestPage_)
        memset(mem, 0, PAGE_SIZE);
      else if (readPage(p, mem))
        return nullptr;
    }
    d.page[way] = p;
  }
  if (way)
    d.flags |= WAY1_LAST;
  else
    d.flags = static_cast<uint16_t>(d.flags & ~WAY1_LAST);
  if (access != FOR_READ) d.flags |= static_cast<uint16_t>(DIRTY0 << way);
  return cache_ + (2 * s + way) * PAGE_SIZE;
}

JxStatus JxTmpFile::openFile(File& f, unsigned createFlags) {
  if (f.handle) return 0;
  if (!f.name) {
    f.name = static_cast<char*>(ramAllocZ(BOS_NAME_SIZE));
    if (!f.name) return 1;
  }
  if (f.name[0]) return bosFileOpen(f.name, BOS_READWRITE, &f.handle);
  if (bosFileOpen(f.name, BOS_CREATE | createFlags, &f.handle) == 0) return 0;
  if (f.name[0]) bosFileDelete(f.name);  // the name was made, the file not opened
  f.name[0] = 0;
  return 1;
}

void JxTmpFile::dropFile(File& f) {
  bosFileClose(f.handle);
  f.handle = 0;
  if (f.name && f.name[0]) bosFileDelete(f.name);
  ramFree(f.name);
  f.name = nullptr;
}

JxStatus JxTmpFile::writeFile(File& f, uint32_t fileOffset, const char* bytes, unsigned createFlags) {
  if (openFile(f, createFlags)) return 1;
  return bosFileWrite(f.handle, fileOffset, bytes, PAGE_SIZE);
}

JxStatus JxTmpFile::writeBack(uint32_t p, const char* bytes) {
  bool haveOverflow = overflow_.name && overflow_.name[0];
  if (!haveOverflow || p < firstPages_) {
    bool beyond = p >= firstPages_;
    uint32_t before = tmpErrorCount();
    JxStatus failed;
    if (beyond && p >= g_failFirstFrom) {
      utlErrorById(MSG_DISK_FULL);
      failed = 1;
    } else {
      failed = writeFile(first_, p * PAGE_SIZE, bytes, BOS_TEMP_NAME);
    }
    if (!failed) {
      if (beyond) firstPages_ = p + 1;
      if (highestPage_ == NO_PAGE || p > highestPage_) highestPage_ = p;
      return 0;
    }
    if (!beyond) return 1;
    tmpDropNewErrors(before);  // the page goes to the overflow file instead
  }
  if (writeFile(overflow_, (p - firstPages_) * PAGE_SIZE, bytes, BOS_TEMP_OTHER_DRIVE)) return 1;
  if (highestPage_ == NO_PAGE || p > highestPage_) highestPage_ = p;
  return 0;
}

JxStatus JxTmpFile::readPage(uint32_t p, char* bytes) {
  File* f = nullptr;
  uint32_t at = 0;
  if (p < firstPages_) {
    f = &first_;
    at = p * PAGE_SIZE;
  } else if (overflow_.name && overflow_.name[0]) {
    f = &overflow_;
    at = (p - firstPages_) * PAGE_SIZE;
  }
  unsigned long got = 0;
  if (f && (openFile(*f, 0) || bosFileRead(f->handle, at, bytes, PAGE_SIZE, &got))) return 1;
  // A page never written back inside the file's range reads as zeros.
  if (got < PAGE_SIZE) memset(bytes + got, 0, PAGE_SIZE - got);
  return 0;
}

bool JxTmpFile::rangeOk(uint32_t offset, uint32_t length) {
  if (static_cast<uint64_t>(offset) + length <= ALL) return true;
  utlErrorById(MSG_FILE_IO);
  return false;
}

// Reads into buffer or, with data, writes data, page by page.
JxStatus JxTmpFile::copy(uint32_t offset, char* buffer, const char* data, uint32_t length) {
  if (!rangeOk(offset, length)) return 1;
  uint32_t endOfCopy = offset + length;
  while (length > 0) {
    uint32_t p = offset / PAGE_SIZE, in = offset % PAGE_SIZE;
    uint32_t n = PAGE_SIZE - in < length ? PAGE_SIZE - in : length;
    Access access = !data ? FOR_READ : (n == PAGE_SIZE ? FOR_OVERWRITE : FOR_WRITE);
    char* mem = page(p, access);
    if (!mem) return 1;
    if (data) {
      memcpy(mem + in, data, n);
      data += n;
    } else {
      memcpy(buffer, mem + in, n);
      buffer += n;
    }
    offset += n;
    length -= n;
  }
  if (data && endOfCopy > end_) end_ = endOfCopy;
  return 0;
}
