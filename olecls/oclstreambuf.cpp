// A std::streambuf over an OLE stream.
#include "olecls/oclstreambuf.h"

#include <algorithm>
#include <cstring>

namespace {

// The byte kept in front of an unbuffered get area, and the one byte read.
const int kSingleSize = 2;

}  // namespace

OCLStreamBuf::OCLStreamBuf(IStream* stream, std::ios_base::openmode mode) : stream_(stream), mode_(mode) {
  if (stream_) stream_->AddRef();
}

OCLStreamBuf::~OCLStreamBuf() {
  sync();
  if (stream_) stream_->Release();
  if (own_) delete[] base_;
}

bool OCLStreamBuf::ensureBuffer() {
  if (base_) return true;
  if (unbuffered_) {
    base_ = new char[kSingleSize];
    size_ = kSingleSize;
    putBack_ = 1;
  } else {
    base_ = new char[kBufSize];
    size_ = kBufSize;
    putBack_ = kPutBack;
  }
  own_ = true;
  return true;
}

std::streambuf* OCLStreamBuf::setbuf(char_type* p, std::streamsize n) {
  if (base_ || unbuffered_) return nullptr;
  if (!p || n <= 0) {
    unbuffered_ = true;
    return this;
  }
  // Too small to hold a put-back area and data: treat as unbuffered.
  if (n < 2) {
    unbuffered_ = true;
    return this;
  }
  base_ = p;
  size_ = n;
  putBack_ = n <= 8 ? 1 : kPutBack;
  return this;
}

int OCLStreamBuf::flushOutput() {
  std::streamsize n = pptr() - pbase();
  if (n <= 0) return 0;
  ULONG cb = 0;
  HRESULT hr = stream_->Write(pbase(), ULONG(n), &cb);
  setp(pbase(), epptr());
  return FAILED(hr) || cb != ULONG(n) ? -1 : 0;
}

OCLStreamBuf::int_type OCLStreamBuf::underflow() {
  if (!stream_ || !(mode_ & std::ios_base::in)) return traits_type::eof();
  if (gptr() && gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (flushOutput() != 0) return traits_type::eof();
  setp(nullptr, nullptr);
  ensureBuffer();
  // Keep the last bytes read for put-back.
  char* data = base_ + putBack_;
  std::streamsize keep = gptr() ? std::min<std::streamsize>(putBack_, gptr() - eback()) : 0;
  if (keep > 0) memmove(data - keep, gptr() - keep, size_t(keep));
  ULONG cb = 0;
  HRESULT hr = stream_->Read(data, ULONG(size_ - putBack_), &cb);
  if (FAILED(hr) || cb == 0) {
    setg(data - keep, data, data);
    return traits_type::eof();
  }
  setg(data - keep, data, data + cb);
  return traits_type::to_int_type(*gptr());
}

OCLStreamBuf::int_type OCLStreamBuf::overflow(int_type c) {
  if (!stream_ || !(mode_ & std::ios_base::out)) return traits_type::eof();
  if (sync() != 0) return traits_type::eof();
  setg(nullptr, nullptr, nullptr);
  ensureBuffer();
  if (unbuffered_) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    char ch = traits_type::to_char_type(c);
    ULONG cb = 0;
    HRESULT hr = stream_->Write(&ch, 1, &cb);
    return FAILED(hr) || cb != 1 ? traits_type::eof() : c;
  }
  if (!pbase()) setp(base_ + putBack_, base_ + size_);
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int OCLStreamBuf::sync() {
  if (!stream_) return -1;
  if (pbase() && pptr() > pbase()) return flushOutput();
  if (gptr() && gptr() < egptr()) {
    LARGE_INTEGER back;
    back.QuadPart = -(egptr() - gptr());
    if (FAILED(stream_->Seek(back, STREAM_SEEK_CUR, nullptr))) return -1;
    setg(eback(), egptr(), egptr());
  }
  return 0;
}

OCLStreamBuf::pos_type OCLStreamBuf::seekoff(off_type off, std::ios_base::seekdir dir,
                                             std::ios_base::openmode) {
  if (!stream_ || flushOutput() != 0) return pos_type(off_type(-1));
  // The stream stands after the buffered input: a relative seek counts from the reader.
  if (dir == std::ios_base::cur && gptr()) off -= egptr() - gptr();
  DWORD origin = dir == std::ios_base::beg   ? STREAM_SEEK_SET
                 : dir == std::ios_base::cur ? STREAM_SEEK_CUR
                                             : STREAM_SEEK_END;
  LARGE_INTEGER by;
  by.QuadPart = off;
  ULARGE_INTEGER pos = {};
  HRESULT hr = stream_->Seek(by, origin, &pos);
  setg(nullptr, nullptr, nullptr);
  setp(nullptr, nullptr);
  if (FAILED(hr)) return pos_type(off_type(-1));
  return pos_type(off_type(pos.QuadPart));
}

OCLStreamBuf::pos_type OCLStreamBuf::seekpos(pos_type pos, std::ios_base::openmode which) {
  return seekoff(off_type(pos), std::ios_base::beg, which);
}
