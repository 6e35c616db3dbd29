// Names the test automation server registers, shared by the server and its tests.
#pragma once

#include <windows.h>

namespace testauto {

// The coclass and type library ids, as testauto.idl declares them.
constexpr CLSID kClsid = {0x29ae2669, 0xaf6e, 0x4fb5, {0xa3, 0x23, 0xcb, 0x17, 0x72, 0xc9, 0x08, 0xe9}};
constexpr const char* kClsidText = "{29ae2669-af6e-4fb5-a323-cb1772c908e9}";
constexpr GUID kLibid = {0xbb732a1e, 0xf077, 0x40bd, {0x8e, 0xff, 0x4c, 0xd5, 0xcc, 0xcf, 0xef, 0x31}};
// The dispatch-only interface with properties, DTestProps.
constexpr IID kPropsIid = {0xe9f7e057, 0x7d88, 0x4b3d, {0x91, 0x95, 0x08, 0x0e, 0x08, 0x18, 0x3b, 0xd0}};
constexpr const char* kProgId = "Orvanel.TestAuto";
constexpr const char* kDll = "ovoletestauto.dll";
// The source named in the exception Fail raises.
constexpr const wchar_t* kSource = L"Orvanel.TestAuto";
// Files of this extension open as a test object (IPersistFile): their text becomes Text.
constexpr const char* kFileExtension = ".ovtestauto";

// Member ids, as testauto.idl gives them.
enum Member : long {
  kText = 1,
  kCount = 2,
  kAdd = 3,
  kTwice = 4,
  kGreet = 5,
  kTotal = 6,
  kMakeItem = 7,
  kFail = 8,
  kEcho = 9,
  kKind = 10,
  kSample = 11,
  kCell = 12,
  kGather = 13,
  kScale = 14,
  kShout = 15,
};

}  // namespace testauto
