// JxObject: root of the database library's classes. Every object lives on the
// library's heap (ramAlloc/ramFree); a failed allocation makes `new` yield null with
// the memory error on the thread's error list, never an exception.
#pragma once

#include "dbutil/jxtypes.h"
#include "dbutil/jxutl04_api.h"

class JXUTL04_API JxObject {
 public:
  JxObject() {}
  virtual ~JxObject();
  // Order against another object: negative, 0 or positive. The root says 0.
  virtual short compare(const JxObject* other) const;

  static void* operator new(size_t size) noexcept;
  static void operator delete(void* p) noexcept;
  static void* operator new(size_t, void* where) noexcept { return where; }
  static void operator delete(void*, void*) noexcept {}
};
