// Dynamic calls. One small assembly routine per architecture copies a prepared argument
// block onto the stack, loads the registers the convention needs, calls, and hands back
// the raw result registers. Both routines carry unwind information so that C++
// exceptions thrown by the callee pass through them.
#include "store/dyncall.h"

#include <cstring>

#include "utils/xexception.h"

#if defined(__x86_64__)

// rcx fn, rdx regs[4], r8 stack slots, r9d slot count, [entry rsp+40] out[2] (rax, xmm0).
extern "C" void ov_dyncall_x64(const void* fn, const uint64_t* regs, const uint64_t* stack, int nstack,
                               uint64_t* out);
asm(R"(
  .text
  .globl ov_dyncall_x64
  .def ov_dyncall_x64; .scl 2; .type 32; .endef
  .seh_proc ov_dyncall_x64
ov_dyncall_x64:
  push %rbp
  .seh_pushreg %rbp
  push %rsi
  .seh_pushreg %rsi
  push %rdi
  .seh_pushreg %rdi
  push %rbx
  .seh_pushreg %rbx
  sub $8, %rsp
  .seh_stackalloc 8
  mov %rsp, %rbp
  .seh_setframe %rbp, 0
  .seh_endprologue
  mov 80(%rbp), %rbx
  mov %rcx, %r10
  mov %rdx, %r11
  movslq %r9d, %rcx
  lea 32(,%rcx,8), %rax
  sub %rax, %rsp
  and $-16, %rsp
  lea 32(%rsp), %rdi
  mov %r8, %rsi
  cld
  rep movsq
  mov (%r11), %rcx
  mov 8(%r11), %rdx
  mov 16(%r11), %r8
  mov 24(%r11), %r9
  movq %rcx, %xmm0
  movq %rdx, %xmm1
  movq %r8, %xmm2
  movq %r9, %xmm3
  call *%r10
  mov %rax, (%rbx)
  movq %xmm0, 8(%rbx)
  lea 8(%rbp), %rsp
  pop %rbx
  pop %rdi
  pop %rsi
  pop %rbp
  ret
  .seh_endproc
)");

#elif defined(__i386__)

// cdecl: fn, words, nwords, this (ECX), fp (0 none, 1 store ST0), fpOut.
extern "C" uint64_t ov_dyncall_x86(const void* fn, const uint32_t* words, int nwords, void* self, int fp,
                                   double* fpOut);
asm(R"(
  .text
  .globl _ov_dyncall_x86
  .def _ov_dyncall_x86; .scl 2; .type 32; .endef
_ov_dyncall_x86:
  .cfi_startproc
  push %ebp
  .cfi_def_cfa_offset 8
  .cfi_offset %ebp, -8
  mov %esp, %ebp
  .cfi_def_cfa_register %ebp
  push %ebx
  .cfi_offset %ebx, -12
  push %esi
  .cfi_offset %esi, -16
  push %edi
  .cfi_offset %edi, -20
  mov 16(%ebp), %ecx
  mov 12(%ebp), %esi
  lea (,%ecx,4), %eax
  sub %eax, %esp
  and $-16, %esp
  mov %esp, %edi
  cld
  rep movsl
  mov 20(%ebp), %ecx
  mov 8(%ebp), %eax
  call *%eax
  mov 24(%ebp), %ecx
  test %ecx, %ecx
  jz 1f
  mov 28(%ebp), %ecx
  fstpl (%ecx)
1:
  lea -12(%ebp), %esp
  pop %edi
  pop %esi
  pop %ebx
  pop %ebp
  .cfi_def_cfa %esp, 4
  ret
  .cfi_endproc
)");

#else
#error "dynamic calls are implemented for i686 and x86_64 only"
#endif

DynValue& DynArgs::next() {
  UTILS_ASSERT(n_ < kMax);
  DynValue& v = a_[n_++];
  v.i64 = 0;
  return v;
}

DynArgs& DynArgs::addInt32(int32_t v) {
  DynValue& a = next();
  a.kind = kDynInt32;
  a.i32 = v;
  return *this;
}
DynArgs& DynArgs::addInt64(int64_t v) {
  DynValue& a = next();
  a.kind = kDynInt64;
  a.i64 = v;
  return *this;
}
DynArgs& DynArgs::addFloat(float v) {
  DynValue& a = next();
  a.kind = kDynFloat;
  a.f = v;
  return *this;
}
DynArgs& DynArgs::addDouble(double v) {
  DynValue& a = next();
  a.kind = kDynDouble;
  a.d = v;
  return *this;
}
DynArgs& DynArgs::addPtr(const void* v) {
  DynValue& a = next();
  a.kind = kDynPtr;
  a.p = const_cast<void*>(v);
  return *this;
}

// g++ member pointers: {function or 1 + vtable offset, this adjustment}.
const void* DynResolveMember(void* object, const DynMember& m, void*& self) {
  UTILS_ASSERT(m.size == 2 * sizeof(void*));
  intptr_t ptr, adj;
  std::memcpy(&ptr, m.bytes, sizeof ptr);
  std::memcpy(&adj, m.bytes + sizeof ptr, sizeof adj);
  char* obj = static_cast<char*>(object) + adj;
  self = obj;
  if (ptr & 1) {
    char* vtable = *reinterpret_cast<char**>(obj);
    return *reinterpret_cast<void**>(vtable + ptr - 1);
  }
  return reinterpret_cast<const void*>(ptr);
}

namespace {

DynValue call(const void* fn, void* self, const DynArgs& args, DynKind result) {
  UTILS_ASSERT(fn);
  DynValue r;
  r.kind = (unsigned char)result;
  r.i64 = 0;
#if defined(__x86_64__)
  uint64_t regs[4] = {0, 0, 0, 0};
  uint64_t stack[DynArgs::kMax + 1];
  int nreg = 0, nstack = 0;
  auto put = [&](uint64_t bits) {
    if (nreg < 4)
      regs[nreg++] = bits;
    else
      stack[nstack++] = bits;
  };
  if (self) put((uint64_t)(uintptr_t)self);
  for (int i = 0; i < args.count(); ++i) {
    const DynValue& a = args.at(i);
    uint64_t bits = 0;
    switch (a.kind) {
      case kDynInt32:
        bits = (uint64_t)(int64_t)a.i32;
        break;
      case kDynFloat:
        std::memcpy(&bits, &a.f, sizeof a.f);
        break;
      default:
        std::memcpy(&bits, &a.i64, sizeof bits);
        break;  // int64, double, pointer
    }
    put(bits);
  }
  uint64_t out[2] = {0, 0};
  ov_dyncall_x64(fn, regs, stack, nstack, out);
  switch (result) {
    case kDynInt32:
      r.i32 = (int32_t)out[0];
      break;
    case kDynInt64:
      r.i64 = (int64_t)out[0];
      break;
    case kDynPtr:
      r.p = (void*)(uintptr_t)out[0];
      break;
    case kDynFloat:
      std::memcpy(&r.f, &out[1], sizeof r.f);
      break;
    case kDynDouble:
      std::memcpy(&r.d, &out[1], sizeof r.d);
      break;
    default:
      break;
  }
#else
  uint32_t words[2 * DynArgs::kMax];
  int n = 0;
  for (int i = 0; i < args.count(); ++i) {
    const DynValue& a = args.at(i);
    switch (a.kind) {
      case kDynInt64:
      case kDynDouble:
        std::memcpy(&words[n], &a.i64, 8);
        n += 2;
        break;
      case kDynFloat:
        std::memcpy(&words[n], &a.f, 4);
        ++n;
        break;
      case kDynPtr:
        words[n++] = (uint32_t)(uintptr_t)a.p;
        break;
      default:
        words[n++] = (uint32_t)a.i32;
        break;
    }
  }
  double fp = 0;
  bool floating = result == kDynFloat || result == kDynDouble;
  uint64_t raw = ov_dyncall_x86(fn, words, n, self, floating ? 1 : 0, &fp);
  switch (result) {
    case kDynInt32:
      r.i32 = (int32_t)raw;
      break;
    case kDynInt64:
      r.i64 = (int64_t)raw;
      break;
    case kDynPtr:
      r.p = (void*)(uintptr_t)(uint32_t)raw;
      break;
    case kDynFloat:
      r.f = (float)fp;
      break;
    case kDynDouble:
      r.d = fp;
      break;
    default:
      break;
  }
#endif
  return r;
}

}  // namespace

DynValue DynCallStdcall(const void* fn, const DynArgs& args, DynKind result) {
  return call(fn, nullptr, args, result);
}

DynValue DynCallCdecl(const void* fn, const DynArgs& args, DynKind result) {
  return call(fn, nullptr, args, result);
}

DynValue DynCallMember(void* object, const DynMember& member, const DynArgs& args, DynKind result) {
  UTILS_ASSERT(object);
  void* self = nullptr;
  const void* fn = DynResolveMember(object, member, self);
  return call(fn, self, args, result);
}
