// OCLStreamBuf: a std::streambuf over an OLE stream, so that the standard streams can
// read and write it. 516-byte buffer whose first 4 bytes are the put-back area;
// setbuf(nullptr, 0) before first use makes it unbuffered. Bytes pass unchanged (no
// newline translation), so positions are always stream offsets.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <ios>
#include <streambuf>

#include "utils/allocator.h"
#include "olecls/ovole_api.h"

class OVOLE_API OCLStreamBuf : public std::streambuf, public Allocator {
 public:
  enum { kBufSize = 516, kPutBack = 4 };

  explicit OCLStreamBuf(IStream* stream,
                        std::ios_base::openmode mode = std::ios_base::in | std::ios_base::out);
  ~OCLStreamBuf() override;
  OCLStreamBuf(const OCLStreamBuf&) = delete;
  OCLStreamBuf& operator=(const OCLStreamBuf&) = delete;

  void lock() {}
  void unlock() {}

 protected:
  int_type underflow() override;
  int_type overflow(int_type c) override;
  int sync() override;
  pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override;
  pos_type seekpos(pos_type pos, std::ios_base::openmode which) override;
  std::streambuf* setbuf(char_type* p, std::streamsize n) override;

 private:
  bool ensureBuffer();
  int flushOutput();

  IStream* stream_;
  std::ios_base::openmode mode_;
  char* base_ = nullptr;      // whole buffer; null until first use unless unbuffered
  std::streamsize size_ = 0;  // whole buffer's size
  int putBack_ = kPutBack;
  bool own_ = false;  // base_ is ours to free
  bool unbuffered_ = false;
};
