// Typed values on an OLE stream.
#include "olecls/oclstream.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "oclassert.h"
#include "olecls/oclstorage.h"

namespace {
const char kFile[] = "OCLSTRM";

// A transfer that moved fewer bytes than asked: on reading, the stream ends early (the
// file is damaged); on writing, the medium refused the bytes (full disk, read-only file).
[[noreturn]] void shortRead(ULONG at, ULONG want, ULONG got, const char* what = "bytes") {
  char text[160];
  snprintf(text, sizeof text,
           "Stream data is damaged: %lu %s were expected at offset %lu, but the stream ends "
           "after %lu",
           static_cast<unsigned long>(want), what, static_cast<unsigned long>(at),
           static_cast<unsigned long>(got));
  throw OCLStreamException(text, STG_E_READFAULT);
}

[[noreturn]] void failedWrite(HRESULT hr, DWORD lastError, const char* what) {
  if (SUCCEEDED(hr)) hr = STG_E_WRITEFAULT;
  // The storage says only that the write failed; the file system said why.
  if (lastError == ERROR_DISK_FULL || lastError == ERROR_HANDLE_DISK_FULL) hr = STG_E_MEDIUMFULL;
  if (lastError == ERROR_ACCESS_DENIED || lastError == ERROR_WRITE_PROTECT) hr = STG_E_ACCESSDENIED;
  char code[16];
  snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  const char* known = OleResult::Text(hr);
  std::string text =
      std::string("The data could not be ") + what + ": " + (known ? known : "OLE error") + " (" + code + ")";
  throw OCLStreamException(text.c_str(), hr);
}
}  // namespace
OCLStreamException::OCLStreamException(const char* text, HRESULT result)
    : XException(text), result_(result) {}
OCLStreamException::~OCLStreamException() noexcept {}
XException* OCLStreamException::Clone() const { return new OCLStreamException(*this); }
void OCLStreamException::Throw() const { throw OCLStreamException(*this); }

OCLStream::OCLStream(IStorage* stg, const char* name, int create, unsigned long mode) {
  oclAssert(stg != nullptr, "stg", kFile, 35);
  bool writable = OCLStorage::isWritable(stg);
  if (!writable) mode &= ~3ul;
  std::vector<wchar_t> wname(str2wide_sz(name));
  str2wide(name, wname.data(), int(wname.size()));
  HRESULT hr = STG_E_FILEALREADYEXISTS;
  if (writable && create) hr = stg->CreateStream(wname.data(), mode, 0, 0, rep_.receive());
  if (hr == STG_E_FILEALREADYEXISTS) hr = stg->OpenStream(wname.data(), nullptr, mode, 0, rep_.receive());
  if (FAILED(hr)) rep_.reset();
  setResult(hr);
  Check(hr, name);
}

OCLStream::OCLStream(IStream* stream) {
  oclAssert(stream != nullptr, "rep", kFile, 60);
  stream->AddRef();
  rep_.reset(stream);
}

OCLStream::OCLStream() {
  HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, rep_.receive());
  if (FAILED(hr)) rep_.reset();
  logerror(hr);
}

ULONG OCLStream::size() {
  STATSTG st = {};
  rep_->Stat(&st, STATFLAG_NONAME);
  return st.cbSize.u.LowPart;
}

ULONG OCLStream::currOffset() {
  LARGE_INTEGER zero = {};
  ULARGE_INTEGER pos = {};
  rep_->Seek(zero, STREAM_SEEK_CUR, &pos);
  return pos.u.LowPart;
}

void OCLStream::seekTo(ULONG offset) {
  LARGE_INTEGER to;
  to.QuadPart = offset;
  rep_->Seek(to, STREAM_SEEK_SET, nullptr);
  oclAssert(offset == currOffset(), "offset == currOffset()", kFile, 108);
}

void OCLStream::seekForward(ULONG increment) {
  ULONG oldPos = currOffset();
  LARGE_INTEGER by;
  by.QuadPart = increment;
  rep_->Seek(by, STREAM_SEEK_CUR, nullptr);
  oclAssert(oldPos + increment == currOffset(), "(oldPos+increment) == currOffset()", kFile, 127);
}

ULONG OCLStream::size(ULONG newSize) {
  ULARGE_INTEGER n;
  n.QuadPart = newSize;
  SetLastError(0);
  HRESULT hr = rep_->SetSize(n);
  DWORD err = GetLastError();
  if (FAILED(hr) || newSize != size()) failedWrite(hr, err, "resized");
  return newSize;
}

void OCLStream::copyTo(IStream* dest, ULONG sz) {
  ULARGE_INTEGER n, cbRead = {}, cbWritten = {};
  n.QuadPart = sz;
  ULONG at = currOffset();
  SetLastError(0);
  HRESULT hr = rep_->CopyTo(dest, n, &cbRead, &cbWritten);
  if (cbRead.QuadPart != sz) shortRead(at, sz, cbRead.u.LowPart);
  if (FAILED(hr) || cbWritten.QuadPart != sz) failedWrite(hr, GetLastError(), "copied");
}

// The fixed-width values: ULONG is 4 bytes on every Windows target (LLP64 included).
static_assert(sizeof(ULONG) == 4 && sizeof(USHORT) == 2 && sizeof(UCHAR) == 1 && sizeof(float) == 4 &&
                  sizeof(double) == 8,
              "stream value widths");

#define OCL_WRITE_VALUE(type, line) \
  void OCLStream::write(type v) { write(&v, sizeof v); }
OCL_WRITE_VALUE(ULONG, 172)
OCL_WRITE_VALUE(USHORT, 184)
OCL_WRITE_VALUE(UCHAR, 196)
OCL_WRITE_VALUE(float, 233)
OCL_WRITE_VALUE(double, 243)
#undef OCL_WRITE_VALUE

void OCLStream::write(const void* p, ULONG sz, ULONG* written) {
  ULONG cb = 0;
  SetLastError(0);
  HRESULT hr = rep_->Write(p, sz, &cb);
  DWORD err = GetLastError();
  if (FAILED(hr) || cb != sz) failedWrite(hr, err, "written");
  if (written) *written = cb;
}

void OCLStream::write(const char* s) {
  if (!s) {
    write(ULONG(0));
    return;
  }
  ULONG n = ULONG(strlen(s)) + 1;
  write(n);
  write(static_cast<const void*>(s), n);
}

#define OCL_READ_VALUE(type, name, nameLine, line)                    \
  void OCLStream::read(type* name) {                                  \
    if (nameLine) oclAssert(name != nullptr, #name, kFile, nameLine); \
    read(name, sizeof(type));                                         \
  }
OCL_READ_VALUE(ULONG, pul, 251, 257)
OCL_READ_VALUE(USHORT, pus, 265, 271)
OCL_READ_VALUE(UCHAR, puc, 279, 285)
OCL_READ_VALUE(float, pf, 0, 325)
OCL_READ_VALUE(double, pd, 0, 335)
#undef OCL_READ_VALUE

void OCLStream::read(void* p, ULONG sz, ULONG* got) {
  ULONG at = got ? 0 : currOffset();
  ULONG cb = 0;
  rep_->Read(p, sz, &cb);
  if (got) {
    *got = cb;  // the caller takes what there is
    return;
  }
  if (cb != sz) shortRead(at, sz, cb);
}

ULONG OCLStream::left() {
  ULONG end = size(), at = currOffset();
  return at < end ? end - at : 0;
}

void OCLStream::checkCount(ULONG count, ULONG bytesEach, const char* what) {
  if (bytesEach == 0) bytesEach = 1;
  if (count <= left() / bytesEach) return;
  char text[200];
  snprintf(text, sizeof text,
           "Stream data is damaged: %s at offset %lu claims %lu entries, more than the %lu "
           "bytes left can hold",
           what, static_cast<unsigned long>(currOffset()), static_cast<unsigned long>(count),
           static_cast<unsigned long>(left()));
  throw OCLStreamException(text, STG_E_DOCFILECORRUPT);
}

void OCLStream::read(char** p) {
  ULONG at = currOffset();
  ULONG n = 0;
  read(&n);
  if (n == 0) {
    *p = nullptr;
    return;
  }
  // A length from the stream is believed only as far as bytes arrive: the buffer grows
  // with them, so that a damaged length cannot ask for a huge allocation.
  const ULONG kChunk = 0x10000;
  std::vector<char> s;
  ULONG have = 0;
  char text[160];
  while (have < n) {
    ULONG want = n - have < kChunk ? n - have : kChunk;
    s.resize(size_t(have) + want);
    ULONG cb = 0;
    rep_->Read(s.data() + have, want, &cb);
    have += cb;
    if (cb < want) shortRead(at, n, have, "bytes of a string");
  }
  if (s[n - 1] != '\0') {
    snprintf(text, sizeof text, "Stream data is damaged: the string at offset %lu has no terminator",
             static_cast<unsigned long>(at));
    throw OCLStreamException(text, STG_E_DOCFILECORRUPT);
  }
  *p = new char[n];
  memcpy(*p, s.data(), n);
}
