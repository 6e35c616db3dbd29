// JxSort: fixed-size records sorted by up to 64 keys. Records are collected in 64 KB
// buffers; when memory runs out the buffers are sorted and written as a run to a
// temporary file, and the runs are merged as the sorted records are read.
//
// The in-memory sort is a quicksort with an explicit stack that always goes on with the
// smaller part and keeps the larger one, so its depth stays below log2 of the record
// count whatever the input.
#pragma once

#include "dbutil/jxobject.h"

class JXUTL04_API JxSort : public JxObject {
 public:
  enum { MAX_KEYS = 64, MAX_BUFFERS = 64, BUFFER_SIZE = 65536, STACK_PAIRS = 200 };
  enum KeyFlags {
    DESCENDING = 1,
    LOCALE = 2,       // the system locale's comparison of the key's text
    EMPTY_FIRST = 4,  // a key beginning with a zero byte is not reversed by DESCENDING
    OBJECT = 8        // the record begins with a JxObject*; its compare decides
  };
  explicit JxSort(unsigned short recordSize);
  ~JxSort() override;

  JxStatus addKey(unsigned short flags, unsigned short offset, unsigned short length);
  // The next free record slot (spilling the buffers to a run when memory runs out).
  JxStatus nextSlot(void** slot);
  JxStatus addRecord(const void* record);
  // Sorts count records of the caller's buffer in place instead of collected ones.
  void setBuf(uint32_t count, void* buffer);
  JxStatus sortBuf();

  // The next record in order; *record null after the last.
  JxStatus getSorted(void** record);
  JxStatus getFirstRecord(void** record);
  JxStatus getNextRecord(void** record) { return getSorted(record); }
  // As getSorted; keyNumber: the first key (from 0) in which the record differs from the
  // one before; 0 for the first record, the key count when all keys are equal.
  JxStatus getSortedWithCompare(void** record, unsigned short* keyNumber);
  // The first record whose keys equal keyRecord's, or null; getNextRecord goes on after
  // it, or from the first greater record when there is none.
  JxStatus getFirstRecordWithKey(const void* keyRecord, void** record);
  // Comparisons start at key n; reSort sorts again by the keys from n on within groups
  // equal in the keys before it.
  void setStartKey(unsigned short n) { startKey_ = n; }
  JxStatus reSort();

  uint32_t getCount() const { return count_; }
  uint32_t getRunCount() const { return runs_; }
  unsigned short getBufferCount() const { return nBufs_; }
  const char* getRunFileName() const { return runName_; }
  // The deepest the quicksort's stack has been.
  int getGreatestStackDepth() const { return greatestDepth_; }

  // Test seam: after `answers` more calls the engine sees ramIsAllocOK answer 0 (-1: the
  // real answer always).
  static void testAllocOKAnswers(int answers);

 private:
  struct Key {
    unsigned short flags, offset, length;
  };
  struct Run;

  char* rec(uint32_t n) const {
    return ext_ ? ext_ + static_cast<size_t>(n) * recSize_
                : bufs_[n / perBuf_] + static_cast<size_t>(n % perBuf_) * recSize_;
  }
  short compare(const char* a, const char* b, unsigned short from, unsigned short to) const;
  short compareKeys(const char* a, const char* b) const { return compare(a, b, startKey_, nKeys_); }
  // Sorted data (runs, the records after sorting) is in order of all keys.
  short compareAll(const char* a, const char* b) const { return compare(a, b, 0, nKeys_); }
  // jxsort.cpp
  JxStatus quickSort(uint32_t lo, uint32_t hi);
  void sortSmall(uint32_t lo, uint32_t hi);
  const char* choosePivot(uint32_t lo, uint32_t hi);
  JxStatus sortGroups(uint32_t count);
  JxStatus prepareRead();
  // jxsort_runs.cpp
  JxStatus spill();
  JxStatus writeRun(uint32_t firstRecord, uint32_t count);
  JxStatus transfer(int write, uint32_t fileRecord, uint32_t slot, uint32_t count);
  JxStatus startMerge();
  JxStatus fillWindow(Run& run);
  uint32_t findPlace(uint32_t run, uint32_t lo, uint32_t hi) const;
  void orderRuns();
  JxStatus advance();
  JxStatus mergeNext(void** record, int consume);
  JxStatus seekRuns(const void* keyRecord);
  JxStatus reSortRuns();
  char* windowSlot(uint32_t r, uint32_t i) const;
  void freeMerge();

  unsigned short recSize_;
  uint32_t perBuf_;
  char* bufs_[MAX_BUFFERS];
  unsigned short nBufs_;
  char* ext_;
  Key keys_[MAX_KEYS];
  unsigned short nKeys_;
  unsigned short startKey_;
  int greatestDepth_;
  uint32_t count_;   // records added
  uint32_t fill_;    // records in memory
  uint32_t cursor_;  // in-memory read cursor
  uint32_t runs_;
  uint32_t runRecords_;  // records of a full run
  uint32_t lastRun_;     // records of the last run
  unsigned state_;       // SPILLED, SORTED, READING
  char* pivot_;
  char* previous_;
  int havePrevious_;
  char runName_[260];
  int runFile_;
  Run* merge_;       // one per run
  uint32_t* order_;  // live runs, smallest head first
  uint32_t live_;
  uint32_t pending_;  // run whose head was handed out: advanced at the next read
  uint32_t window_;   // records per run window
  char* ownWindows_;  // when the buffers give less than one record per run
};
