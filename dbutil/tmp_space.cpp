// JxTmpFile's space allocator: an end offset that moves up and back, and a free list
// of spaces of 256 bytes or more, reused first fit.
#include "dbutil/jxtmpfile.h"

#include "dbutil/jxerror.h"
#include "tmp_internal.h"
#include "dbutil/utl_messages.h"

short TmpSpace::compare(const JxObject* other) const {
  uint32_t o = static_cast<const TmpSpace*>(other)->offset;
  return offset < o ? -1 : (offset > o ? 1 : 0);
}

JxStatus JxTmpFile::tmpFindSpace(uint32_t length, uint32_t* offset) {
  sem_.lock();
  JxStatus status = 0;
  if (length == ALL) {
    *offset = end_;
    end_ = ALL;
  } else {
    unsigned short i = 0;
    for (; i < free_.getCount(); ++i)
      if (getFreeSpace(i)->length >= length) break;
    if (i < free_.getCount()) {
      TmpSpace* s = static_cast<TmpSpace*>(free_.at(i));
      *offset = s->offset;
      s->offset += length;
      s->length -= length;
      if (s->length < MIN_KEPT_SPACE) free_.deleteAtIndex(i);
    } else if (length >= ALL - end_) {
      // The 32-bit address space is used up: refuse rather than wrap onto offset 0.
      *offset = 0;
      utlErrorById(MSG_DISK_FULL);
      status = 1;
    } else {
      *offset = end_;
      end_ += length;
    }
  }
  sem_.unlock();
  return status;
}

uint32_t JxTmpFile::getContiguousSpace(uint32_t length) {
  sem_.lock();
  uint64_t at = (static_cast<uint64_t>(end_) + 3) & ~static_cast<uint64_t>(3);
  uint32_t left = PAGE_SIZE - static_cast<uint32_t>(at % PAGE_SIZE);
  if (left < length) at += left;
  uint32_t result = 0;
  if (at + length >= ALL) {
    utlErrorById(MSG_DISK_FULL);
  } else {
    result = static_cast<uint32_t>(at);
    end_ = static_cast<uint32_t>(at + length);
  }
  sem_.unlock();
  return result;
}

void JxTmpFile::tmpFreeSpace(uint32_t offset, uint32_t length) {
  sem_.lock();
  if (length == ALL || static_cast<uint64_t>(offset) + length == end_) {
    end_ = offset;
  } else if (length >= MIN_KEPT_SPACE) {
    uint32_t before = tmpErrorCount();
    TmpSpace* s = new TmpSpace(offset, length);
    if (!s || free_.add(s)) {
      delete s;
      tmpDropNewErrors(before);  // the space is simply not reused
    }
  }
  mergeFree();
  sem_.unlock();
}

void JxTmpFile::mergeFree() {
  // Spaces at or past the end are gone with it.
  while (free_.getCount() && getFreeSpace(free_.getCount() - 1)->offset >= end_)
    free_.deleteAtIndex(free_.getCount() - 1);
  for (unsigned short i = 0; i + 1 < free_.getCount();) {
    TmpSpace* a = static_cast<TmpSpace*>(free_.at(i));
    const TmpSpace* b = getFreeSpace(i + 1);
    if (static_cast<uint64_t>(a->offset) + a->length >= b->offset) {
      uint64_t bEnd = static_cast<uint64_t>(b->offset) + b->length;
      if (bEnd > static_cast<uint64_t>(a->offset) + a->length)
        a->length = static_cast<uint32_t>(bEnd - a->offset);
      free_.deleteAtIndex(i + 1);
    } else {
      ++i;
    }
  }
  if (free_.getCount()) {
    const TmpSpace* last = getFreeSpace(free_.getCount() - 1);
    if (static_cast<uint64_t>(last->offset) + last->length >= end_) {
      end_ = last->offset;
      free_.deleteAtIndex(free_.getCount() - 1);
    }
  }
}
