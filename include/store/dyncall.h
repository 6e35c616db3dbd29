// Dynamic calls: call a native function whose signature is only known at run time.
//
//  - DynCallStdcall: a plain __stdcall function (a DLL export, as `Declare ... Lib` names
//    it); DynCallCdecl the same for __cdecl.
//  - DynCallMember: a C++ member-function pointer held as opaque bytes (whatever size the
//    compiler uses; DynMember captures it) called on an object; on i686 member functions
//    are __thiscall (this in ECX, callee pops), on x86_64 the Microsoft x64 convention
//    with this as first argument. Virtual member pointers dispatch through the object.
//
// Arguments are 32-bit and 64-bit integers, pointers, float and double, in call order.
// Results: void, 32-bit integer, 64-bit integer, float, double, pointer.
// Aggregates by value and variadic callees are not supported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "store/ovstore_api.h"

enum DynKind : unsigned char {
  kDynVoid = 0,
  kDynInt32 = 1,
  kDynInt64 = 2,
  kDynFloat = 3,
  kDynDouble = 4,
  kDynPtr = 5,
};

struct DynValue {
  unsigned char kind;
  union {
    int32_t i32;
    int64_t i64;
    float f;
    double d;
    void* p;
  };
};

class OVSTORE_API DynArgs {
 public:
  enum { kMax = 32 };
  DynArgs() : n_(0) {}
  DynArgs& addInt32(int32_t v);
  DynArgs& addInt64(int64_t v);
  DynArgs& addFloat(float v);
  DynArgs& addDouble(double v);
  DynArgs& addPtr(const void* v);
  int count() const { return n_; }
  const DynValue& at(int i) const { return a_[i]; }
  void clear() { n_ = 0; }

 private:
  DynValue& next();
  DynValue a_[kMax];
  int n_;
};

// An opaque member-function pointer.
struct DynMember {
  enum { kMaxBytes = 24 };
  unsigned char bytes[kMaxBytes];
  unsigned size;

  DynMember() : size(0) { std::memset(bytes, 0, sizeof bytes); }
  template <class M, class = typename std::enable_if<std::is_member_function_pointer<M>::value>::type>
  DynMember(M pm) : size(sizeof(M)) {
    static_assert(sizeof(M) <= kMaxBytes, "member pointer too large");
    std::memset(bytes, 0, sizeof bytes);
    std::memcpy(bytes, &pm, sizeof(M));
  }
  // All bytes zero: no member.
  bool isNull() const {
    for (unsigned i = 0; i < size; ++i)
      if (bytes[i]) return false;
    return true;
  }
};

OVSTORE_API DynValue DynCallStdcall(const void* fn, const DynArgs& args, DynKind result);
OVSTORE_API DynValue DynCallCdecl(const void* fn, const DynArgs& args, DynKind result);
OVSTORE_API DynValue DynCallMember(void* object, const DynMember& member, const DynArgs& args,
                                   DynKind result);
// The code address and adjusted object a member pointer designates for object (resolving
// virtual members through the object's table).
OVSTORE_API const void* DynResolveMember(void* object, const DynMember& member, void*& self);
