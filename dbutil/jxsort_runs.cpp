// JxSort runs: spilling sorted buffers to the run file and merging the runs on reading.
// Record g of the file lies in 64 KB block g / perBuf at (g % perBuf) * recordSize, the
// same placement as in the buffers, so a run moves in whole pieces of a block. While
// merging, each run owns an equal window of the buffer space.
#include "dbutil/jxbos.h"
#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "jxsort_state.h"
#include "dbutil/utl_messages.h"

#include <string.h>

JxStatus JxSort::spill() {
  if (sortGroups(fill_) || writeRun(0, fill_)) return 1;
  runRecords_ = nBufs_ * perBuf_;
  state_ |= SPILLED;
  fill_ = 0;
  return 0;
}

// Writes the records in memory as run number runs_ and counts it.
JxStatus JxSort::writeRun(uint32_t firstRecord, uint32_t count) {
  if (!runFile_ && bosFileOpen(runName_, BOS_CREATE | BOS_TEMP_NAME, &runFile_)) return 1;
  uint32_t base = runs_ * (runRecords_ ? runRecords_ : nBufs_ * perBuf_);
  if (transfer(1, base, firstRecord, count)) return 1;
  ++runs_;
  lastRun_ = count;
  return 0;
}

// Moves count records between the file (from record fileRecord) and the buffer slots
// (from slot), in pieces that stay within one block on both sides.
JxStatus JxSort::transfer(int write, uint32_t fileRecord, uint32_t slot, uint32_t count) {
  while (count) {
    uint32_t n = count;
    uint32_t inFile = perBuf_ - fileRecord % perBuf_, inMemory = perBuf_ - slot % perBuf_;
    if (n > inFile) n = inFile;
    if (n > inMemory) n = inMemory;
    uint64_t offset = static_cast<uint64_t>(fileRecord / perBuf_) * BUFFER_SIZE +
                      static_cast<uint64_t>(fileRecord % perBuf_) * recSize_;
    uint32_t bytes = n * recSize_;
    if (offset + bytes > 0xFFFFFFFFu) {
      utlErrorById(MSG_DISK_FULL);
      return 1;
    }
    if (write) {
      if (bosFileWrite(runFile_, static_cast<uint32_t>(offset), rec(slot), bytes)) return 1;
    } else {
      unsigned long got = 0;
      if (bosFileRead(runFile_, static_cast<uint32_t>(offset), rec(slot), bytes, &got)) return 1;
      if (got != bytes) {
        utlErrorById(MSG_FILE_IO);
        return 1;
      }
    }
    fileRecord += n;
    slot += n;
    count -= n;
  }
  return 0;
}

char* JxSort::windowSlot(uint32_t r, uint32_t i) const {
  return ownWindows_ ? ownWindows_ + static_cast<size_t>(r) * recSize_ : rec(r * window_ + i);
}

void JxSort::freeMerge() {
  ramFree(merge_);
  ramFree(order_);
  ramFreeHuge(ownWindows_);
  merge_ = nullptr;
  order_ = nullptr;
  ownWindows_ = nullptr;
  if (runFile_) {
    bosFileClose(runFile_);
    bosFileDelete(runName_);
    runFile_ = 0;
  }
}

JxStatus JxSort::fillWindow(Run& run) {
  uint32_t r = static_cast<uint32_t>(&run - merge_);
  uint32_t n = run.count - run.next;
  if (n > window_) n = window_;
  run.pos = 0;
  run.len = n;
  if (!n) return 0;
  JxStatus s;
  if (ownWindows_) {  // one record, somewhere in a block of the file
    unsigned long got = 0;
    uint32_t g = run.base + run.next;
    uint32_t offset = g / perBuf_ * BUFFER_SIZE + g % perBuf_ * recSize_;
    s = bosFileRead(runFile_, offset, windowSlot(r, 0), recSize_, &got);
    if (!s && got != recSize_) s = (utlErrorById(MSG_FILE_IO), 1);
  } else {
    s = transfer(0, run.base + run.next, r * window_, n);
  }
  run.next += n;
  return s;
}

// The first place in order_[lo, hi) whose run has a greater head than run r (equal heads
// keep the order of the runs).
uint32_t JxSort::findPlace(uint32_t r, uint32_t lo, uint32_t hi) const {
  const char* head = windowSlot(r, merge_[r].pos);
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    uint32_t other = order_[mid];
    short c = compareAll(head, windowSlot(other, merge_[other].pos));
    if (c > 0 || (c == 0 && r > other))
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

void JxSort::orderRuns() {
  live_ = 0;
  for (uint32_t r = 0; r < runs_; ++r) {
    if (!merge_[r].len) continue;
    uint32_t at = findPlace(r, 0, live_);
    memmove(order_ + at + 1, order_ + at, (live_ - at) * sizeof *order_);
    order_[at] = r;
    ++live_;
  }
  pending_ = NO_RUN;
}

JxStatus JxSort::startMerge() {
  if (!merge_) {
    merge_ = static_cast<Run*>(ramAllocZ(runs_ * static_cast<uint32_t>(sizeof(Run))));
    order_ = static_cast<uint32_t*>(ramAllocZ(runs_ * static_cast<uint32_t>(sizeof(uint32_t))));
    if (!merge_ || !order_) return 1;
    window_ = nBufs_ * perBuf_ / runs_;
    if (!window_) {  // fewer slots than runs: one record of each run, apart
      ownWindows_ = static_cast<char*>(ramAllocHuge(runs_ * recSize_));
      if (!ownWindows_) return 1;
      window_ = 1;
    }
  }
  for (uint32_t r = 0; r < runs_; ++r) {
    Run& run = merge_[r];
    run.base = r * runRecords_;
    run.count = r + 1 == runs_ ? lastRun_ : runRecords_;
    run.next = 0;
    if (fillWindow(run)) return 1;
  }
  orderRuns();
  return 0;
}

// Moves the run whose head was handed out on to its next record and back into place.
JxStatus JxSort::advance() {
  uint32_t r = pending_;
  pending_ = NO_RUN;
  Run& run = merge_[r];
  if (++run.pos == run.len && fillWindow(run)) return 1;
  if (!run.len) {
    memmove(order_, order_ + 1, --live_ * sizeof *order_);
    return 0;
  }
  uint32_t at = findPlace(r, 1, live_);
  memmove(order_, order_ + 1, (at - 1) * sizeof *order_);
  order_[at - 1] = r;
  return 0;
}

// The smallest head; consume: it counts as read (its run moves on at the next call, so
// that the record stays where it is until then).
JxStatus JxSort::mergeNext(void** record, int consume) {
  *record = nullptr;
  if (pending_ != NO_RUN && advance()) return 1;
  if (!live_) return 0;
  uint32_t r = order_[0];
  *record = windowSlot(r, merge_[r].pos);
  if (consume) pending_ = r;
  return 0;
}

// Each run binary-searched on the file for its first record not below the key; the
// windows start there.
JxStatus JxSort::seekRuns(const void* keyRecord) {
  if (!pivot_ && !(pivot_ = static_cast<char*>(ramAlloc(recSize_)))) return 1;
  for (uint32_t r = 0; r < runs_; ++r) {
    Run& run = merge_[r];
    uint32_t lo = 0, hi = run.count;
    while (lo < hi) {
      uint32_t mid = lo + (hi - lo) / 2;
      uint32_t g = run.base + mid;
      unsigned long got = 0;
      if (bosFileRead(runFile_, g / perBuf_ * BUFFER_SIZE + g % perBuf_ * recSize_, pivot_, recSize_, &got))
        return 1;
      if (compareAll(pivot_, static_cast<const char*>(keyRecord)) < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    run.next = lo;
    if (fillWindow(run)) return 1;
  }
  orderRuns();
  return 0;
}

// Each run read back, sorted within its groups and written in place; then the merge
// starts again.
JxStatus JxSort::reSortRuns() {
  for (uint32_t r = 0; r < runs_; ++r) {
    uint32_t base = r * runRecords_, count = r + 1 == runs_ ? lastRun_ : runRecords_;
    if (transfer(0, base, 0, count) || sortGroups(count) || transfer(1, base, 0, count)) return 1;
  }
  return startMerge();
}
