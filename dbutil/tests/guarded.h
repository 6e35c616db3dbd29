// Bytes placed flush against an inaccessible page: a read or write one byte past them
// (or before them) is an access violation, which ends the test process. Used to prove
// that the tokenizers stay inside their text and their 80-byte buffers.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string.h>

class GuardedBytes {
 public:
  // Room for up to capacity bytes; place() puts them against the upper guard page.
  explicit GuardedBytes(size_t capacity) {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    page_ = si.dwPageSize;
    dataPages_ = (capacity + page_ - 1) / page_;
    if (dataPages_ == 0) dataPages_ = 1;
    base_ = static_cast<char*>(
        VirtualAlloc(nullptr, (dataPages_ + 2) * page_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old;
    VirtualProtect(base_, page_, PAGE_NOACCESS, &old);
    VirtualProtect(base_ + (dataPages_ + 1) * page_, page_, PAGE_NOACCESS, &old);
  }
  ~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  // The address of n bytes whose last one touches the upper guard page.
  char* end(size_t n) const { return base_ + (dataPages_ + 1) * page_ - n; }
  // Copies the bytes there and answers their address.
  char* place(const void* bytes, size_t n) const {
    char* p = end(n);
    memcpy(p, bytes, n);
    return p;
  }
  // Copies a text with its terminator, the terminator being the last byte.
  char* placeText(const char* text, size_t n) const {
    char* p = end(n + 1);
    memcpy(p, text, n);
    p[n] = 0;
    return p;
  }

 private:
  char* base_;
  size_t page_;
  size_t dataPages_;
};
