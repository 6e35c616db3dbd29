// Counted strings handed to Basic.
#include "store/valstring.h"

#include <new>
#include <cstdio>
#include <cstring>

#include "utils/xexception.h"
#include "copybytes.h"

// Short texts live in the rep's own block; a longer buffer comes from the pooled
// allocator like the rep itself (the pools serve up to a couple of hundred bytes without
// the heap).
void ValStringRep::allocate(size_t capacity) {
  data_ = capacity <= kInlineCapacity ? inline_ : static_cast<char*>(PoolAllocator::operator new(capacity + 1));
  capacity_ = capacity;
}

void ValStringRep::assign(const char* bytes, size_t length) {
  allocate(length);
  CopyBytes(data_, bytes, length);
  data_[length] = 0;
  length_ = length;
}

ValStringRep::ValStringRep() { assign("", 0); }
ValStringRep::ValStringRep(const char* text) {
  if (!text) text = "";
  assign(text, std::strlen(text));
}
ValStringRep::ValStringRep(const char* bytes, size_t length) {
  if (!bytes) length = 0;
  assign(bytes, length);
}
ValStringRep::ValStringRep(const std::string& text) { assign(text.data(), text.size()); }
ValStringRep::~ValStringRep() {
  if (data_ != inline_) PoolAllocator::operator delete(data_);
}

ValStringRep::ValStringRep(size_t length, size_t capacity, Uninitialized) {
  // No string passes 2 GB: its length stays a valid count on every target.
  const size_t kMaxLength = 0x7FFFFFF0;
  if (length > kMaxLength) throw std::bad_alloc();
  if (capacity > kMaxLength) capacity = kMaxLength;
  if (capacity < length) capacity = length;
  allocate(capacity);
  data_[length] = 0;
  length_ = length;
}

namespace {

// The shared reps of the empty text and of each byte: built in place in static storage
// when the library loads (no pooled block, so nothing of theirs is ever counted as in
// use) and never destroyed; each holds one count of its own.
alignas(ValStringRep) unsigned char sharedStore[257][sizeof(ValStringRep)];
ValStringRep* sharedReps[257];

struct SharedInit {
  SharedInit() {
    for (int i = 0; i <= 256; ++i) {
      char b = (char)i;
      ValStringRep* r = i == 256 ? new (sharedStore[i]) ValStringRep("", 0) : new (sharedStore[i]) ValStringRep(&b, 1);
      r->ref();
      sharedReps[i] = r;
    }
  }
} sharedInit;

}  // namespace

ValStringRep* ValStringRep::Shared(const char* bytes, size_t length) {
  if (!bytes || length == 0) return sharedReps[256];
  return sharedReps[(unsigned char)bytes[0]];
}

ValStringRep* ValStringRep::makeUninitialized(size_t length, size_t capacity) {
  return new ValStringRep(length, capacity, Uninitialized());
}

void ValStringRep::appendInPlace(const char* bytes, size_t n) {
  UTILS_ASSERT(length_ + n <= capacity_);
  CopyBytes(data_ + length_, bytes, n);
  length_ += n;
  data_[length_] = 0;
}

// Callers fill the bytes at once (concatenation) or read a file into them; the zero fill
// keeps a short read from exposing stale memory.
ValStringRep* ValStringRep::makeBuffer(size_t length) {
  ValStringRep* r = new ValStringRep(length, length, Uninitialized());
  std::memset(r->data_, 0, length);
  return r;
}

ValStringRep* ValStringRep::readFile(const char* path) {
  if (!path) return nullptr;
  FILE* f = std::fopen(path, "rb");
  if (!f) return nullptr;
  ValStringRep* r = nullptr;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    long size = std::ftell(f);
    if (size >= 0 && std::fseek(f, 0, SEEK_SET) == 0) {
      r = makeBuffer((size_t)size);
      if (std::fread(r->data_, 1, (size_t)size, f) != (size_t)size) {
        delete r;
        r = nullptr;
      }
    }
  }
  std::fclose(f);
  return r;
}

ValStringRep* ValStringRep::Share(ValStringRep* rep) {
  if (rep->countFull()) rep = new ValStringRep(rep->c_str(), rep->length());
  rep->ref();
  return rep;
}

// ValString

ValString::ValString(const char* text) : rep_(text ? new ValStringRep(text) : nullptr) {
  if (rep_) rep_->ref();
}
ValString::ValString(const char* bytes, size_t length) : rep_(new ValStringRep(bytes, length)) {
  rep_->ref();
}
ValString::ValString(const std::string& text) : rep_(new ValStringRep(text)) { rep_->ref(); }
ValString::ValString(ValStringRep* rep) : rep_(rep ? ValStringRep::Share(rep) : nullptr) {}
ValString::ValString(const ValString& o) : rep_(o.rep_ ? ValStringRep::Share(o.rep_) : nullptr) {}
ValString::~ValString() {
  if (rep_) rep_->unref();
}

ValString& ValString::operator=(const ValString& o) {
  ValStringRep* shared = o.rep_ ? ValStringRep::Share(o.rep_) : nullptr;
  if (rep_) rep_->unref();
  rep_ = shared;
  return *this;
}

ValString& ValString::operator=(ValString&& o) noexcept {
  if (this != &o) {
    ValStringRep* old = rep_;
    rep_ = o.rep_;
    o.rep_ = nullptr;
    if (old) old->unref();
  }
  return *this;
}

ValString& ValString::operator=(const char* text) { return *this = ValString(text); }

const char* ValString::c_str() const { return rep_ ? rep_->c_str() : ""; }
size_t ValString::length() const { return rep_ ? rep_->length() : 0; }

bool ValString::operator==(const ValString& o) const {
  size_t n = length();
  return n == o.length() && std::memcmp(c_str(), o.c_str(), n) == 0;
}

ValString ValString::operator+(const ValString& o) const {
  size_t a = length(), b = o.length();
  ValStringRep* r = ValStringRep::makeBuffer(a + b);
  std::memcpy(r->buffer(), c_str(), a);
  std::memcpy(r->buffer() + a, o.c_str(), b);
  return ValString(r);
}

std::string MakePrintableString(const char* text) {
  std::string out;
  if (!text) return out;
  bool open = false;  // inside a quoted run
  bool any = false;
  for (const unsigned char* p = (const unsigned char*)text; *p; ++p) {
    if (*p < 32 || *p == 127) {
      if (open) out += '"';
      open = false;
      char buf[16];
      std::snprintf(buf, sizeof buf, "Chr$(%u)", *p);
      if (any) out += " & ";
      out += buf;
    } else {
      if (!open) {
        if (any) out += " & ";
        out += '"';
        open = true;
      }
      if (*p == '"') out += '"';
      out += (char)*p;
    }
    any = true;
  }
  if (open) out += '"';
  if (!any) out = "\"\"";
  return out;
}
