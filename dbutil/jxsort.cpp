// JxSort: collecting records, key comparison, the in-memory quicksort and reading in
// order when nothing was spilled. Runs and their merge are in jxsort_runs.cpp.
#include "dbutil/jxsort.h"

#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "dbutil/jxstrfunc.h"
#include "dbutil/utl_messages.h"

#include <string.h>

#include "jxsort_state.h"

namespace {
const uint32_t SMALL_RANGE = 4;  // sorted directly
const uint32_t MEDIAN_OF_THREE = 151;
volatile int g_allocOKAnswers = -1;

int allocOK() {
  if (g_allocOKAnswers >= 0) {
    if (g_allocOKAnswers == 0) return 0;
    --g_allocOKAnswers;
  }
  return ramIsAllocOK();
}

uint32_t textLength(const char* p, uint32_t max) {
  uint32_t n = 0;
  while (n < max && p[n]) ++n;
  return n;
}
}  // namespace

void JxSort::testAllocOKAnswers(int answers) { g_allocOKAnswers = answers; }

JxSort::JxSort(unsigned short recordSize)
    : recSize_(recordSize ? recordSize : 1),
      nBufs_(0),
      ext_(nullptr),
      nKeys_(0),
      startKey_(0),
      greatestDepth_(0),
      count_(0),
      fill_(0),
      cursor_(0),
      runs_(0),
      runRecords_(0),
      lastRun_(0),
      state_(0),
      pivot_(nullptr),
      previous_(nullptr),
      havePrevious_(0),
      runFile_(0),
      merge_(nullptr),
      order_(nullptr),
      live_(0),
      pending_(NO_RUN),
      window_(0),
      ownWindows_(nullptr) {
  perBuf_ = BUFFER_SIZE / recSize_;
  memset(bufs_, 0, sizeof bufs_);
  runName_[0] = 0;
}

JxSort::~JxSort() {
  freeMerge();
  for (unsigned short i = 0; i < nBufs_; ++i) ramFree64K(bufs_[i]);
  ramFree(pivot_);
  ramFree(previous_);
}

JxStatus JxSort::addKey(unsigned short flags, unsigned short offset, unsigned short length) {
  if (nKeys_ >= MAX_KEYS) {
    utlErrorById(MSG_TOO_MANY_SORT_KEYS);
    return 1;
  }
  keys_[nKeys_].flags = flags;
  keys_[nKeys_].offset = offset;
  keys_[nKeys_].length = length;
  ++nKeys_;
  return 0;
}

JxStatus JxSort::nextSlot(void** slot) {
  *slot = nullptr;
  if (fill_ == nBufs_ * perBuf_) {
    bool grow = !(state_ & SPILLED) && nBufs_ < MAX_BUFFERS && (nBufs_ < 2 || allocOK());
    if (grow) {
      char* b = static_cast<char*>(ramAlloc64K());
      if (!b) return 1;
      bufs_[nBufs_++] = b;
    } else if (nBufs_ < 2 || spill()) {
      return 1;
    }
  }
  *slot = rec(fill_++);
  ++count_;
  return 0;
}

JxStatus JxSort::addRecord(const void* record) {
  void* slot;
  if (nextSlot(&slot)) return 1;
  memcpy(slot, record, recSize_);
  return 0;
}

void JxSort::setBuf(uint32_t count, void* buffer) {
  ext_ = static_cast<char*>(buffer);
  fill_ = count_ = count;
  state_ = 0;
  cursor_ = 0;
}

JxStatus JxSort::sortBuf() {
  if (state_ & SORTED) return 0;
  if (sortGroups(fill_)) return 1;
  state_ |= SORTED;
  return 0;
}

short JxSort::compare(const char* a, const char* b, unsigned short from, unsigned short to) const {
  for (unsigned short k = from; k < to; ++k) {
    const Key& key = keys_[k];
    const char* pa = a + key.offset;
    const char* pb = b + key.offset;
    short r;
    if (key.flags & OBJECT) {
      JxObject *oa, *ob;
      memcpy(&oa, a, sizeof oa);
      memcpy(&ob, b, sizeof ob);
      r = oa->compare(ob);
    } else if (key.flags & LOCALE) {
      r = strCompareIntl(pa, textLength(pa, key.length), pb, textLength(pb, key.length));
    } else {
      r = static_cast<short>(BUTMMCMP(pa, pb, key.length));
    }
    if (!r) continue;
    bool keepEmpty = (key.flags & EMPTY_FIRST) && (!pa[0] || !pb[0]);
    if ((key.flags & DESCENDING) && !keepEmpty) r = static_cast<short>(-r);
    return r > 0 ? 1 : -1;
  }
  return 0;
}

void JxSort::sortSmall(uint32_t lo, uint32_t hi) {
  for (uint32_t i = lo + 1; i <= hi; ++i)
    for (uint32_t j = i; j > lo && compareKeys(rec(j - 1), rec(j)) > 0; --j)
      BUTMMSWP(rec(j - 1), rec(j), recSize_);
}

// Median of the first, middle and last record; of five spread records for a larger range.
const char* JxSort::choosePivot(uint32_t lo, uint32_t hi) {
  uint32_t len = hi - lo + 1;
  uint32_t at[5];
  int n;
  if (len <= MEDIAN_OF_THREE) {
    at[0] = lo, at[1] = lo + len / 2, at[2] = hi;
    n = 3;
  } else {
    at[0] = lo, at[1] = lo + len / 4, at[2] = lo + len / 2, at[3] = lo + len / 4 * 3, at[4] = hi;
    n = 5;
  }
  for (int i = 1; i < n; ++i)
    for (int j = i; j > 0 && compareKeys(rec(at[j - 1]), rec(at[j])) > 0; --j) {
      uint32_t t = at[j];
      at[j] = at[j - 1];
      at[j - 1] = t;
    }
  return rec(at[n / 2]);
}

// The part still to do is kept on the stack only when it is the larger one, so every
// entry is at most half of the one below it: the depth stays below log2(count) and the
// stack can never fill (2709 remains as a guard only).
JxStatus JxSort::quickSort(uint32_t first, uint32_t last) {
  struct Pair {
    int64_t lo, hi;
  } stack[STACK_PAIRS];
  int depth = 0;
  int64_t lo = first, hi = last;
  if (!pivot_ && !(pivot_ = static_cast<char*>(ramAlloc(recSize_)))) return 1;
  for (;;) {
    while (hi > lo) {
      if (static_cast<uint32_t>(hi - lo) < SMALL_RANGE) {
        sortSmall(static_cast<uint32_t>(lo), static_cast<uint32_t>(hi));
        break;
      }
      memcpy(pivot_, choosePivot(static_cast<uint32_t>(lo), static_cast<uint32_t>(hi)), recSize_);
      int64_t i = lo, j = hi;
      do {
        while (compareKeys(rec(static_cast<uint32_t>(i)), pivot_) < 0) ++i;
        while (compareKeys(rec(static_cast<uint32_t>(j)), pivot_) > 0) --j;
        if (i <= j) {
          if (i < j) BUTMMSWP(rec(static_cast<uint32_t>(i)), rec(static_cast<uint32_t>(j)), recSize_);
          ++i;
          --j;
        }
      } while (i <= j);
      // [lo, j] and [i, hi] are left to sort.
      bool leftSmaller = j - lo < hi - i;
      int64_t keepLo = leftSmaller ? i : lo, keepHi = leftSmaller ? hi : j;
      if (keepHi > keepLo) {
        if (depth == STACK_PAIRS) {
          utlErrorById(MSG_SORT_STACK_OVERFLOW);
          return 1;
        }
        stack[depth].lo = keepLo;
        stack[depth].hi = keepHi;
        if (++depth > greatestDepth_) greatestDepth_ = depth;
      }
      if (leftSmaller)
        hi = j;
      else
        lo = i;
    }
    if (!depth) return 0;
    --depth;
    lo = stack[depth].lo;
    hi = stack[depth].hi;
  }
}

// Sorts records 0..count-1 by the keys from the start key on; with a start key above 0,
// within each run of records equal in the keys before it.
JxStatus JxSort::sortGroups(uint32_t count) {
  if (count < 2) return 0;
  if (!startKey_) return quickSort(0, count - 1);
  uint32_t begin = 0;
  for (uint32_t i = 1; i <= count; ++i) {
    if (i < count && !compare(rec(begin), rec(i), 0, startKey_)) continue;
    if (i - begin > 1 && quickSort(begin, i - 1)) return 1;
    begin = i;
  }
  return 0;
}

JxStatus JxSort::prepareRead() {
  if (state_ & READING) return 0;
  if (!(state_ & SORTED) && sortGroups(fill_)) return 1;
  state_ |= SORTED;
  if (runs_ && (writeRun(0, fill_) || startMerge())) return 1;
  state_ |= READING;
  cursor_ = 0;
  return 0;
}

JxStatus JxSort::getSorted(void** record) {
  *record = nullptr;
  if (prepareRead()) return 1;
  if (runs_) return mergeNext(record, 1);
  if (cursor_ < fill_) *record = rec(cursor_++);
  return 0;
}

JxStatus JxSort::getFirstRecord(void** record) {
  *record = nullptr;
  havePrevious_ = 0;
  if (state_ & READING) {
    cursor_ = 0;
    if (runs_ && startMerge()) return 1;
  }
  return getSorted(record);
}

JxStatus JxSort::getSortedWithCompare(void** record, unsigned short* keyNumber) {
  *keyNumber = 0;
  JxStatus s = getSorted(record);
  if (s || !*record) return s;
  const char* r = static_cast<const char*>(*record);
  if (!previous_ && !(previous_ = static_cast<char*>(ramAlloc(recSize_)))) return 1;
  if (havePrevious_) {
    unsigned short k = 0;
    while (k < nKeys_ && !compare(previous_, r, k, static_cast<unsigned short>(k + 1))) ++k;
    *keyNumber = k;
  }
  memcpy(previous_, r, recSize_);  // the window it came from may be refilled
  havePrevious_ = 1;
  return 0;
}

JxStatus JxSort::getFirstRecordWithKey(const void* keyRecord, void** record) {
  *record = nullptr;
  havePrevious_ = 0;
  if (prepareRead()) return 1;
  const char* key = static_cast<const char*>(keyRecord);
  if (runs_) {
    if (seekRuns(key) || mergeNext(record, 0)) return 1;
    if (*record && compareAll(static_cast<char*>(*record), key) == 0) return mergeNext(record, 1);
    *record = nullptr;
    return 0;
  }
  uint32_t lo = 0, hi = fill_;  // the first record not below the key
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    if (compareAll(rec(mid), key) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  cursor_ = lo;
  if (lo < fill_ && compareAll(rec(lo), key) == 0) *record = rec(cursor_++);
  return 0;
}

JxStatus JxSort::reSort() {
  if (!runs_) {
    if (sortGroups(fill_)) return 1;
    state_ |= SORTED;
    cursor_ = 0;
    havePrevious_ = 0;
    return 0;
  }
  if (prepareRead()) return 1;
  havePrevious_ = 0;
  return reSortRuns();
}
