// Names the test shape server registers, shared by the server and its tests.
#pragma once

#include <windows.h>

namespace testshape {

// {7D3A1C52-9E4B-4C2A-8F61-3B5E2A7C9D01}
constexpr CLSID kClsid = {0x7D3A1C52, 0x9E4B, 0x4C2A, {0x8F, 0x61, 0x3B, 0x5E, 0x2A, 0x7C, 0x9D, 0x01}};
constexpr const char* kClsidText = "{7D3A1C52-9E4B-4C2A-8F61-3B5E2A7C9D01}";
constexpr const char* kProgId = "Orvanel.TestShape.1";
constexpr const char* kFullType = "Orvanel Test Shape";
constexpr const char* kShortType = "Shape";
constexpr const char* kAppName = "Orvanel Test Server";
constexpr const char* kDll = "ovoletestshape.dll";
// OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE
constexpr DWORD kMiscStatus = 0x11;
// The shape's colour and extent (HIMETRIC) when new.
constexpr COLORREF kColor = RGB(255, 0, 0);
constexpr LONG kWidth = 5080, kHeight = 2540;

// The "Contents" stream of its storage: fixed-width, little-endian.
struct Contents {
  DWORD magic;  // kMagic
  DWORD color;  // COLORREF
  LONG cx, cy;  // extent in HIMETRIC
};
static_assert(sizeof(Contents) == 16, "stored layout");
constexpr DWORD kMagic = 0x5048534F;  // "OSHP"
constexpr const wchar_t* kStream = L"Contents";
// A linked shape's storage also holds its source moniker, in this stream.
constexpr const wchar_t* kLinkStream = L"Link";

// Its file type: a file holding one Contents record, whose extension the server
// registers so that the class of a file is found by its name.
constexpr const char* kExtension = ".ovshape";

// In place: the popup the server merges into the container's menu (object group),
// the command of its one item, the accelerator key for it, and the colour the
// command gives the shape.
constexpr const char* kMenuText = "&Shape";
constexpr const char* kRecolourText = "&Recolour\tF2";
constexpr UINT kRecolourCommand = 0x4F01;
constexpr UINT kRecolourKey = VK_F2;
constexpr COLORREF kRecolour = RGB(0, 0, 255);
// The tool space it asks the container for along the frame's top edge, in pixels.
constexpr LONG kToolSpace = 24;

}  // namespace testshape
