// Dynamic calls: a table of signatures through plain stdcall functions, cdecl, member
// functions (thiscall on i686) including virtual ones and ones needing a this adjustment,
// real system functions, and exceptions passing through the call.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>

#include "store/dyncall.h"
#include "store/storeexcept.h"

namespace {

int __stdcall Add2(int a, int b) { return a + b; }
double __stdcall Mixed(int a, double b, float c, long long d) { return a + b + c + (double)d; }
float __stdcall Halve(float a, float b) { return (a + b) / 2; }
long long __stdcall Wide(long long a, int b) { return a * b; }
void* __stdcall Offset(char* p, int n) { return p + n; }
int g_stored = 0;
void __stdcall Store(int* where, int v) {
  *where = v;
  g_stored = v;
}
double __stdcall Many(int a1, double d1, int a2, float f1, long long w1, int a3, double d2, float f2, int a4,
                      double d3, int a5, float f3, int a6, double d4) {
  return a1 + d1 * 2 + a2 * 3 + f1 * 4 + (double)w1 * 5 + a3 * 6 + d2 * 7 + f2 * 8 + a4 * 9 + d3 * 10 +
         a5 * 11 + f3 * 12 + a6 * 13 + d4 * 14;
}
int __cdecl CSum(int a, int b, int c) { return a + b + c; }
int __stdcall Thrower(int code) { throw RangeError(kMsgPositionOutOfRange, 1, 2, code); }

struct Base1 {
  int a = 1;
  virtual ~Base1() {}
};

struct Calc {
  int base = 100;
  int add(int x) { return base + x; }
  double scale(double d, float f) { return base * d + f; }
  long long wide(long long x) { return x * base; }
  float half(float x) { return x / 2 + (float)base; }
  void set(int v) { base = v; }
  const char* name() { return "calc"; }
  virtual int kind(int x) { return x + 1; }
  int fail(int x) { throw StoreException(kMsgInvalidArgument, std::to_string(x).c_str()); }
  virtual ~Calc() {}
};

struct Derived : Base1, Calc {
  int kind(int x) override { return x * 10; }
};

struct Case {
  const char* name;
  std::function<DynValue()> call;
  DynKind kind;
  double expect;  // compared by kind
};

double asNumber(const DynValue& v, DynKind k) {
  switch (k) {
    case kDynInt32:
      return v.i32;
    case kDynInt64:
      return (double)v.i64;
    case kDynFloat:
      return v.f;
    case kDynDouble:
      return v.d;
    case kDynPtr:
      return (double)(uintptr_t)v.p;
    default:
      return 0;
  }
}

}  // namespace

TEST(DynCall, SignatureTable) {
  static char buffer[16];
  static int target = 0;
  Calc calc;
  Derived derived;
  derived.base = 5;
  HMODULE k32 = GetModuleHandleA("kernel32.dll");
  HMODULE u32 = LoadLibraryA("user32.dll");
  ASSERT_TRUE(k32 && u32);
  const void* mulDiv = (const void*)GetProcAddress(k32, "MulDiv");
  const void* lstrlen = (const void*)GetProcAddress(k32, "lstrlenA");
  const void* pid = (const void*)GetProcAddress(k32, "GetCurrentProcessId");
  const void* metrics = (const void*)GetProcAddress(u32, "GetSystemMetrics");
  const void* charUpper = (const void*)GetProcAddress(u32, "CharUpperA");
  static char text[] = "mixed Case";

  const Case cases[] = {
      {"Add2", [] { return DynCallStdcall((void*)&Add2, DynArgs().addInt32(40).addInt32(2), kDynInt32); },
       kDynInt32, 42},
      {"Add2 negative",
       [] { return DynCallStdcall((void*)&Add2, DynArgs().addInt32(-40).addInt32(-2), kDynInt32); },
       kDynInt32, -42},
      {"Mixed",
       [] {
         return DynCallStdcall((void*)&Mixed,
                               DynArgs().addInt32(1).addDouble(0.5).addFloat(0.25f).addInt64(1LL << 40),
                               kDynDouble);
       },
       kDynDouble, 1 + 0.5 + 0.25 + 1099511627776.0},
      {"Halve",
       [] { return DynCallStdcall((void*)&Halve, DynArgs().addFloat(3.0f).addFloat(4.0f), kDynFloat); },
       kDynFloat, 3.5},
      {"Wide",
       [] { return DynCallStdcall((void*)&Wide, DynArgs().addInt64(3000000000LL).addInt32(-3), kDynInt64); },
       kDynInt64, -9000000000.0},
      {"Offset", [] { return DynCallStdcall((void*)&Offset, DynArgs().addPtr(buffer).addInt32(5), kDynPtr); },
       kDynPtr, (double)(uintptr_t)(buffer + 5)},
      {"Store",
       [] {
         DynCallStdcall((void*)&Store, DynArgs().addPtr(&target).addInt32(77), kDynVoid);
         return DynValue{kDynInt32, {target}};
       },
       kDynInt32, 77},
      {"Many",
       [] {
         DynArgs a;
         a.addInt32(1)
             .addDouble(2)
             .addInt32(3)
             .addFloat(4)
             .addInt64(5)
             .addInt32(6)
             .addDouble(7)
             .addFloat(8)
             .addInt32(9)
             .addDouble(10)
             .addInt32(11)
             .addFloat(12)
             .addInt32(13)
             .addDouble(14);
         return DynCallStdcall((void*)&Many, a, kDynDouble);
       },
       kDynDouble, 1 + 4 + 9 + 16 + 25 + 36 + 49 + 64 + 81 + 100 + 121 + 144 + 169 + 196},
      {"CSum",
       [] { return DynCallCdecl((void*)&CSum, DynArgs().addInt32(1).addInt32(2).addInt32(3), kDynInt32); },
       kDynInt32, 6},
      {"MulDiv",
       [=] { return DynCallStdcall(mulDiv, DynArgs().addInt32(300).addInt32(7).addInt32(2), kDynInt32); },
       kDynInt32, 1050},
      {"lstrlenA", [=] { return DynCallStdcall(lstrlen, DynArgs().addPtr("orvanel"), kDynInt32); }, kDynInt32,
       7},
      {"GetCurrentProcessId", [=] { return DynCallStdcall(pid, DynArgs(), kDynInt32); }, kDynInt32,
       (double)GetCurrentProcessId()},
      {"GetSystemMetrics",
       [=] { return DynCallStdcall(metrics, DynArgs().addInt32(SM_CXSCREEN), kDynInt32); }, kDynInt32,
       (double)GetSystemMetrics(SM_CXSCREEN)},
      {"CharUpperA",
       [=] {
         DynCallStdcall(charUpper, DynArgs().addPtr(text), kDynPtr);
         return DynValue{kDynInt32, {std::strcmp(text, "MIXED CASE")}};
       },
       kDynInt32, 0},
      {"Calc::add",
       [&] { return DynCallMember(&calc, DynMember(&Calc::add), DynArgs().addInt32(23), kDynInt32); },
       kDynInt32, 123},
      {"Calc::scale",
       [&] {
         return DynCallMember(&calc, DynMember(&Calc::scale), DynArgs().addDouble(0.5).addFloat(0.25f),
                              kDynDouble);
       },
       kDynDouble, 50.25},
      {"Calc::wide",
       [&] { return DynCallMember(&calc, DynMember(&Calc::wide), DynArgs().addInt64(1LL << 33), kDynInt64); },
       kDynInt64, (double)(100LL << 33)},
      {"Calc::half",
       [&] { return DynCallMember(&calc, DynMember(&Calc::half), DynArgs().addFloat(3.0f), kDynFloat); },
       kDynFloat, 101.5},
      {"Calc::kind virtual",
       [&] { return DynCallMember(&calc, DynMember(&Calc::kind), DynArgs().addInt32(4), kDynInt32); },
       kDynInt32, 5},
      {"Derived::kind override via Calc*",
       [&] {
         return DynCallMember(static_cast<Calc*>(&derived), DynMember(&Calc::kind), DynArgs().addInt32(4),
                              kDynInt32);
       },
       kDynInt32, 40},
      {"Derived adjusts this",
       [&] {
         int (Derived::*pm)(int) = &Derived::add;
         return DynCallMember(&derived, DynMember(pm), DynArgs().addInt32(1), kDynInt32);
       },
       kDynInt32, 6},
      {"Calc::set then add",
       [&] {
         DynCallMember(&calc, DynMember(&Calc::set), DynArgs().addInt32(7), kDynVoid);
         return DynValue{kDynInt32, {calc.base}};
       },
       kDynInt32, 7},
  };
  for (const Case& k : cases) {
    DynValue v = k.call();
    EXPECT_EQ(k.expect, asNumber(v, k.kind)) << k.name;
  }
  DynValue n = DynCallMember(&calc, DynMember(&Calc::name), DynArgs(), kDynPtr);
  EXPECT_STREQ("calc", static_cast<const char*>(n.p));
  FreeLibrary(u32);
}

TEST(DynCall, ExceptionsPassThroughTheCall) {
  try {
    DynCallStdcall((void*)&Thrower, DynArgs().addInt32(9), kDynInt32);
    FAIL();
  } catch (const RangeError& e) {
    EXPECT_EQ(9, e.value());
  }
  Calc calc;
  for (int round = 0; round < 3; ++round) {  // the stack stays sound after each unwind
    try {
      DynCallMember(&calc, DynMember(&Calc::fail), DynArgs().addInt32(round), kDynInt32);
      FAIL();
    } catch (const StoreException& e) {
      EXPECT_EQ(32712u, e.id());
      EXPECT_EQ(std::to_string(round), e.arg());
    }
  }
  EXPECT_EQ(142, DynCallMember(&calc, DynMember(&Calc::add), DynArgs().addInt32(42), kDynInt32).i32);
}

TEST(DynCall, MemberPointerBytes) {
  DynMember none;
  EXPECT_TRUE(none.isNull());
  DynMember m(&Calc::add);
  EXPECT_EQ(2 * sizeof(void*), m.size);
  EXPECT_FALSE(m.isNull());
  Calc c;
  void* self = nullptr;
  const void* fn = DynResolveMember(&c, DynMember(&Calc::kind), self);
  EXPECT_EQ(&c, self);
  EXPECT_NE(nullptr, fn);
}
