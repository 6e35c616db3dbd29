// Bytes placed at the very end of a readable page, followed by a page that may not be
// touched: a conversion that reads or writes one byte past them faults at once.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string.h>

class GuardedBuffer {
 public:
  explicit GuardedBuffer(size_t size) : size_(size) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    page_ = info.dwPageSize;
    span_ = (size + page_ - 1) / page_ * page_ + page_;
    base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, span_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old;
    VirtualProtect(base_ + span_ - page_, page_, PAGE_NOACCESS, &old);
    data_ = base_ + span_ - page_ - size;
  }
  // The same with these bytes in it.
  GuardedBuffer(const void* bytes, size_t size) : GuardedBuffer(size) { memcpy(data_, bytes, size); }
  ~GuardedBuffer() { VirtualFree(base_, 0, MEM_RELEASE); }
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  uint8_t* data() { return data_; }
  char* text() { return reinterpret_cast<char*>(data_); }
  size_t size() const { return size_; }

 private:
  size_t size_, page_, span_;
  uint8_t* base_;
  uint8_t* data_;
};
