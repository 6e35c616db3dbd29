#include "dbutil/jxobject.h"

#include "dbutil/jxmemory.h"

JxObject::~JxObject() {}

short JxObject::compare(const JxObject*) const { return 0; }

void* JxObject::operator new(size_t size) noexcept {
  if (size > 0xFFFFFFFFu) return nullptr;
  return ramAlloc(static_cast<uint32_t>(size));
}

void JxObject::operator delete(void* p) noexcept { ramFree(p); }
