// OCLBlockArrayWFL: a BlockArrayWithFreeList written to and read from an OCLStream.
//
// Stream form (little-endian): ULONG count n; ULONG free-list head (0xFFFFFFFF = none);
// then n records of T::kBytes bytes each, in index order. A read-back array has all n
// elements in one first block; later elements go to blocks of the usual size.
//
// T provides: kBytes; store(unsigned char*) and load(const unsigned char*) of one record;
// a static check(const unsigned char*) that answers null for a record it accepts, else
// what is wrong with it.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "olecls/oclstream.h"
#include "utils/blockarraywithfreelist.h"
#include "utils/xexception.h"

template <class T>
class OCLBlockArrayWFL : public BlockArrayWithFreeList<T> {
 public:
  explicit OCLBlockArrayWFL(unsigned blockSize = 32) : BlockArrayWithFreeList<T>(blockSize) {}

  // The whole array, as one buffer (the caller writes it in one transfer).
  std::vector<unsigned char> image() {
    unsigned n = this->count();
    std::vector<unsigned char> out(8 + size_t(n) * T::kBytes);
    putU32(&out[0], n);
    putU32(&out[4], this->firstFree());
    for (unsigned i = 0; i < n; ++i) (*this)[i].store(&out[8 + size_t(i) * T::kBytes]);
    return out;
  }

  // Writes the image at the stream's position; a short write throws OCLStreamException.
  void write(OCLStream& s) {
    std::vector<unsigned char> img = image();
    ULONG cb = 0;
    HRESULT hr = s->Write(img.data(), ULONG(img.size()), &cb);
    if (FAILED(hr) || cb != img.size())
      throw OCLStreamException("writing the descriptions failed", FAILED(hr) ? hr : STG_E_WRITEFAULT);
  }

  // Reads an array written by write() into this empty array. Data that cannot be right
  // (a count larger than the stream holds, a record refused by T::check, a free list out
  // of range) throws OCLStreamException.
  void read(OCLStream& s) {
    if (this->blocks() != 0) utilsAssert("nBlocks == 0", "w:\\source\\olecls/oclbawfl.cc", 27);
    ULONG size = s.size(), at = s.currOffset();
    unsigned char head[8];
    readExactly(s, head, 8, "the description count");
    unsigned n = getU32(head), firstFree = getU32(head + 4);
    unsigned long long left = size > at + 8 ? size - at - 8 : 0;
    if ((unsigned long long)n * T::kBytes > left)
      corrupt("the description count " + std::to_string(n) + " is larger than the stream holds");
    if (firstFree != BlockArrayWithFreeList<T>::kNoMoreFree && firstFree >= n)
      corrupt("the free-list head " + std::to_string(firstFree) + " is out of range");
    if (n == 0) {
      this->setFirstFree(firstFree);
      return;
    }
    std::vector<unsigned char> raw(size_t(n) * T::kBytes);
    readExactly(s, raw.data(), ULONG(raw.size()), "the descriptions");
    for (unsigned i = 0; i < n; ++i)
      if (const char* why = T::check(&raw[size_t(i) * T::kBytes]))
        corrupt("description " + std::to_string(i) + ": " + why);
    this->setFirstSize(n);
    BlockArray<T>::more();  // the plain block: its records come from the stream
    for (unsigned i = 0; i < n; ++i) (*this)[i].load(&raw[size_t(i) * T::kBytes]);
    this->setFirstFree(firstFree);
    if (const char* why = this->checkFreeList()) corrupt(why);
  }

  static void putU32(unsigned char* p, unsigned v) {
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16);
    p[3] = (unsigned char)(v >> 24);
  }
  static unsigned getU32(const unsigned char* p) {
    return unsigned(p[0]) | unsigned(p[1]) << 8 | unsigned(p[2]) << 16 | unsigned(p[3]) << 24;
  }

 private:
  [[noreturn]] static void corrupt(const std::string& why) {
    throw OCLStreamException(("Description table is corrupt: " + why).c_str(), STG_E_DOCFILECORRUPT);
  }
  static void readExactly(OCLStream& s, void* p, ULONG n, const char* what) {
    ULONG cb = 0;
    HRESULT hr = s->Read(p, n, &cb);
    if (FAILED(hr) || cb != n)
      throw OCLStreamException((std::string("reading ") + what + " failed").c_str(),
                               FAILED(hr) ? hr : STG_E_READFAULT);
  }
};
