// OCLStream: typed values on one OLE stream, each as its raw little-endian image, with no
// gaps and no tags:
//   ULONG 4 bytes, USHORT 2, UCHAR 1, float 4 (IEEE single), double 8 (IEEE double),
//   raw bytes as they are, a string as ULONG n = length + 1 and then n bytes including
//   the terminating NUL; a null string is the ULONG 0 alone.
// Callers write signed values through the unsigned form of the same width.
//
// Opening failures do not throw: the result is kept (OleResult) and the object has no
// stream (is() is false). A short read is a damaged file and a short write or failed size
// change a full disk or read-only file: both throw OCLStreamException with text for a
// person, as does content that cannot be right (a string longer than the bytes left, one
// without its terminator, a count larger than the bytes left can hold). A failed seek is
// an assertion (XAssert).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "utils/allocator.h"
#include "olecls/ocl.h"
#include "olecls/ovlunknw.h"
#include "olecls/ovole_api.h"
#include "utils/xexception.h"

class OVOLE_API OCLStreamException : public XException {
 public:
  OCLStreamException(const char* text, HRESULT result);
  ~OCLStreamException() noexcept override;
  XException* Clone() const override;
  [[noreturn]] void Throw() const override;

  // What an OLE caller is told: STG_E_READFAULT for data that is missing,
  // STG_E_DOCFILECORRUPT for data that is malformed.
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

class OVOLE_API OCLStream : public OleResult, public Allocator {
 public:
  // The stream name in stg: created when create is non-zero and stg is writable, else
  // (or when it exists already) opened; a read-only storage opens it for reading.
  OCLStream(IStorage* stg, const char* name, int create, unsigned long mode);
  // Wraps stream with a reference of its own.
  explicit OCLStream(IStream* stream);
  // A new memory stream.
  OCLStream();
  OCLStream(const OCLStream&) = delete;
  OCLStream& operator=(const OCLStream&) = delete;

  bool is() const { return rep_.is(); }
  IStream* stream() const { return rep_.get(); }
  IStream* operator->() const { return rep_.operator->(); }

  ULONG size();
  ULONG size(ULONG newSize);
  ULONG currOffset();
  void seekTo(ULONG offset);
  void seekForward(ULONG increment);
  void copyTo(IStream* dest, ULONG sz);
  // The bytes between the current offset and the end.
  ULONG left();
  // Throws OCLStreamException when count entries of at least bytesEach bytes each
  // cannot fit in the bytes left: a count read from the stream is checked before it sizes
  // anything. what names the count in the text ("a slot count").
  void checkCount(ULONG count, ULONG bytesEach, const char* what);

  void write(ULONG v);
  void write(USHORT v);
  void write(UCHAR v);
  void write(float v);
  void write(double v);
  void write(const void* p, ULONG sz, ULONG* written = nullptr);
  void write(const char* s);

  void read(ULONG* pul);
  void read(USHORT* pus);
  void read(UCHAR* puc);
  void read(float* pf);
  void read(double* pd);
  // Without got, fewer than sz bytes throw; with got, *got tells how many arrived.
  void read(void* p, ULONG sz, ULONG* got = nullptr);
  // A new[] string the caller deletes with delete[]; null for a null string.
  void read(char** p);

 private:
  OvlUnknown<IStream> rep_;
};
