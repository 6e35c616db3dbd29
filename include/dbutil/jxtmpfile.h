// JxTmpFile: a scratch store addressed by 32-bit byte offsets. A space allocator over
// a virtual file, a two-way page cache in memory, and one or two temporary disk files
// behind it, made only when a page has to leave the cache.
//
// Pages are 2048 bytes; page numbers are 32-bit all the way to the files, so the whole
// 4 GiB offset range maps onto distinct places. Offset 0 is never handed out. Every
// operation holds the object's semaphore for its whole run.
#pragma once

#include "dbutil/jxsemaphore.h"
#include "dbutil/jxsortedarray.h"

class JxString;

// A free space of the store, ordered by offset.
class JXUTL04_API TmpSpace : public JxObject {
 public:
  TmpSpace(uint32_t offset, uint32_t length) : offset(offset), length(length) {}
  short compare(const JxObject* other) const override;
  uint32_t offset;
  uint32_t length;
};

class JXUTL04_API JxTmpFile : public JxObject {
 public:
  enum {
    PAGE_SIZE = 2048,
    DEFAULT_CACHE = 8192,
    MIN_KEPT_SPACE = 256,  // freed spaces shorter than this are written off
    HUGE_PIECE = 65536
  };
  enum : uint32_t { ALL = 0xFFFFFFFFu };  // tmpFindSpace/tmpFreeSpace: everything from the end

  // cacheSize: a multiple of 4096 giving a power-of-two number of two-page slots
  // (other sizes are rounded down to one, at least 4096).
  explicit JxTmpFile(uint32_t cacheSize = DEFAULT_CACHE);
  ~JxTmpFile() override;

  JxStatus tmpFindSpace(uint32_t length, uint32_t* offset);
  // Space that does not cross a page (unless longer than one); 0 on failure.
  uint32_t getContiguousSpace(uint32_t length);
  void tmpFreeSpace(uint32_t offset, uint32_t length);

  JxStatus tmpWrite(uint32_t offset, const void* data, uint32_t length);
  JxStatus tmpRead(uint32_t offset, void* buffer, uint32_t length);
  // Reads into out, growing it, and sets its length.
  JxStatus read(uint32_t offset, JxString* out, uint32_t length);
  // The page made resident: a pointer to offset in the cache and the bytes left in its
  // page. Valid until the next operation on the store.
  JxStatus tmpPointer(uint32_t offset, char** pointer, uint32_t* bytesLeft, int forWrite);
  JxStatus readHuge(uint32_t offset, void* buffer, uint32_t length);
  JxStatus writeHuge(uint32_t offset, const void* data, uint32_t length);

  // Closes both files; they are opened again by name at the next access.
  void tmpLoseFocus();
  // Empties the store: cache freed, free list cleared, files closed and deleted.
  void tmpTruncate();

  // Observers (tests and diagnostics).
  uint32_t getEndOffset() const { return end_; }
  unsigned short getFreeCount() const { return free_.getCount(); }
  const TmpSpace* getFreeSpace(unsigned short i) const { return static_cast<TmpSpace*>(free_.at(i)); }
  int isResident(uint32_t page) const;
  const char* getFirstFileName() const { return first_.name; }
  const char* getOverflowFileName() const { return overflow_.name; }
  uint32_t getFirstFilePages() const { return firstPages_; }

  // Test seam: write-backs of pages at or above `page` to the first file fail as a full
  // disk would (0xFFFFFFFF: none fail).
  static void testFailFirstFileFrom(uint32_t page);

 private:
  struct Slot {
    uint32_t page[2];  // NO_PAGE when the way is empty
    uint16_t flags;    // DIRTY0, DIRTY1, WAY1_LAST
  };
  struct File {
    char* name;  // 256 bytes once made; empty until the file exists
    int handle;  // 0 while closed
  };
  enum { DIRTY0 = 1, DIRTY1 = 2, WAY1_LAST = 4 };
  enum Access { FOR_READ, FOR_WRITE, FOR_OVERWRITE };
  enum : uint32_t { NO_PAGE = 0xFFFFFFFFu };

  // Unlocked bodies (tmp_cache.cpp).
  char* page(uint32_t p, Access access);
  JxStatus allocateCache();
  void freeCache();
  JxStatus writeBack(uint32_t p, const char* bytes);
  JxStatus readPage(uint32_t p, char* bytes);
  JxStatus writeFile(File& f, uint32_t fileOffset, const char* bytes, unsigned flags);
  JxStatus openFile(File& f, unsigned createFlags);
  void dropFile(File& f);
  JxStatus copy(uint32_t offset, char* buffer, const char* data, uint32_t length);
  JxStatus copyHuge(uint32_t offset, char* buffer, const char* data, uint32_t length);
  static bool rangeOk(uint32_t offset, uint32_t length);

  // Unlocked bodies (tmp_space.cpp).
  void mergeFree();

  JxSemaphore sem_;
  uint32_t cacheSize_;
  uint32_t slotCount_;
  char* cache_;
  Slot* directory_;
  uint32_t end_;
  JxSortedArray free_;
  File first_;
  File overflow_;
  uint32_t firstPages_;   // pages the first file holds
  uint32_t highestPage_;  // highest page ever written back; NO_PAGE when none
};
