// The OLE user-interface helpers the platform's dialog library does not export: object
// and link-source descriptors for data transfer, freeing through the task allocator,
// the shading over an object open in its server, and HIMETRIC to pixel conversions.
#pragma once

#include <ole2.h>

#include "oleui/ovoleui_api.h"

// Ways of OleUIDrawShading.
enum OleUIShade : DWORD {
  OLEUI_SHADE_FULLRECT = 1,   // hatch the whole rectangle
  OLEUI_SHADE_BORDERIN = 2,   // hatch a band just inside the rectangle
  OLEUI_SHADE_BORDEROUT = 3,  // hatch a band just outside the rectangle
};

// Band width OleUIDrawShading uses when it is given 0.
constexpr UINT kOleUIShadeDefaultWidth = 4;

extern "C" {

// The "Object Descriptor" clipboard format for obj: a global block (GHND) holding an
// OBJECTDESCRIPTOR followed by the full user type name and the source-of-copy text as
// wide strings. srcOfCopy null takes the object's moniker display name, or else its
// user type name. sizelHim null asks the object for its extent. Null on a null object
// or when memory runs out; the caller frees the block with GlobalFree.
OVOLEUI_API HGLOBAL WINAPI OleStdGetObjectDescriptorDataFromOleObject(LPOLEOBJECT obj, LPSTR srcOfCopy,
                                                                      DWORD drawAspect, POINTL pointl,
                                                                      LPSIZEL sizelHim);

// The "Link Source" format into medium: a stream holding the moniker (OleSaveToStream)
// followed by the class id. The medium is a stream (TYMED_ISTREAM) unless fmt asks only
// for global memory. E_INVALIDARG on a null moniker or medium, DV_E_TYMED when fmt
// offers neither.
OVOLEUI_API HRESULT WINAPI OleStdGetLinkSourceData(LPMONIKER moniker, LPCLSID clsid, LPFORMATETC fmt,
                                                   LPSTGMEDIUM medium);

// Frees memory of the task allocator (CoTaskMemAlloc, strings OLE returned). Null is fine.
OVOLEUI_API void WINAPI OleStdFree(LPVOID mem);

// Frees a string through alloc, or through the task allocator when alloc is null.
OVOLEUI_API void WINAPI OleStdFreeString(LPOLESTR str, LPMALLOC alloc);

// Hatches rect on dc in the way given (OleUIShade); width is the band's width in
// pixels, 0 for kOleUIShadeDefaultWidth. The hatch darkens (ANDs black into) what is
// there and leaves the rest. FALSE on a null rectangle or DC or an unknown way.
OVOLEUI_API BOOL WINAPI OleUIDrawShading(LPRECT rect, HDC dc, DWORD flags, UINT width);

// HIMETRIC (0.01 mm) to device pixels through dc's logical pixels per inch (the
// screen's when dc is null), rounded to the nearest pixel.
OVOLEUI_API int WINAPI XformWidthInHimetricToPixels(HDC dc, int himetric);
OVOLEUI_API int WINAPI XformHeightInHimetricToPixels(HDC dc, int himetric);

}  // extern "C"
