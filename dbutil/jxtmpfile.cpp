// JxTmpFile: construction, the locked read/write entries, losing focus and truncation.
#include "dbutil/jxtmpfile.h"

#include "dbutil/jxbos.h"
#include "dbutil/jxstring.h"

JxTmpFile::JxTmpFile(uint32_t cacheSize)
    : cacheSize_(0),
      slotCount_(1),
      cache_(nullptr),
      directory_(nullptr),
      end_(1),
      first_{nullptr, 0},
      overflow_{nullptr, 0},
      firstPages_(0),
      highestPage_(NO_PAGE) {
  // Slots of two pages; their count a power of two so that page mod slots is a mask.
  uint32_t slots = cacheSize / (2 * PAGE_SIZE);
  while (slots > 1 && (slots & (slots - 1))) slots &= slots - 1;
  slotCount_ = slots ? slots : 1;
  cacheSize_ = slotCount_ * 2 * PAGE_SIZE;
}

JxTmpFile::~JxTmpFile() { tmpTruncate(); }

JxStatus JxTmpFile::tmpWrite(uint32_t offset, const void* data, uint32_t length) {
  sem_.lock();
  JxStatus s = copy(offset, nullptr, static_cast<const char*>(data), length);
  sem_.unlock();
  return s;
}

JxStatus JxTmpFile::tmpRead(uint32_t offset, void* buffer, uint32_t length) {
  sem_.lock();
  JxStatus s = copy(offset, static_cast<char*>(buffer), nullptr, length);
  sem_.unlock();
  return s;
}

JxStatus JxTmpFile::read(uint32_t offset, JxString* out, uint32_t length) {
  sem_.lock();
  JxStatus s = 0;
  if (out->getCapacity() < length + 1) s = out->initialize(length + 1);
  if (!s) {
    char* text = const_cast<char*>(out->getPtr());
    s = copy(offset, text, nullptr, length);
    if (!s) {
      text[length] = 0;
      out->set(text, length);
    }
  }
  sem_.unlock();
  return s;
}

JxStatus JxTmpFile::tmpPointer(uint32_t offset, char** pointer, uint32_t* bytesLeft, int forWrite) {
  sem_.lock();
  char* mem = page(offset / PAGE_SIZE, forWrite ? FOR_WRITE : FOR_READ);
  if (mem) {
    *pointer = mem + offset % PAGE_SIZE;
    *bytesLeft = PAGE_SIZE - offset % PAGE_SIZE;
  }
  sem_.unlock();
  return mem ? 0 : 1;
}

// Large transfers go through the cache in pieces, under the lock for the whole transfer.
JxStatus JxTmpFile::copyHuge(uint32_t offset, char* buffer, const char* data, uint32_t length) {
  sem_.lock();
  JxStatus s = rangeOk(offset, length) ? 0 : 1;
  while (!s && length > 0) {
    uint32_t n = length > HUGE_PIECE ? uint32_t(HUGE_PIECE) : length;
    s = copy(offset, buffer, data, n);
    offset += n;
    if (buffer) buffer += n;
    if (data) data += n;
    length -= n;
  }
  sem_.unlock();
  return s;
}

JxStatus JxTmpFile::readHuge(uint32_t offset, void* buffer, uint32_t length) {
  return copyHuge(offset, static_cast<char*>(buffer), nullptr, length);
}

JxStatus JxTmpFile::writeHuge(uint32_t offset, const void* data, uint32_t length) {
  return copyHuge(offset, nullptr, static_cast<const char*>(data), length);
}

void JxTmpFile::tmpLoseFocus() {
  sem_.lock();
  bosFileClose(first_.handle);
  bosFileClose(overflow_.handle);
  first_.handle = overflow_.handle = 0;
  sem_.unlock();
}

void JxTmpFile::tmpTruncate() {
  sem_.lock();
  freeCache();
  free_.deleteContents();
  dropFile(first_);
  dropFile(overflow_);
  end_ = 1;
  firstPages_ = 0;
  highestPage_ = NO_PAGE;
  sem_.unlock();
}
