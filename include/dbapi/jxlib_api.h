// Export macro of JXLIB.dll. The objects of a library above it are compiled with
// JXLIB_STATIC: they name its entries without dllimport, so that they link both
// against the DLL and, in white-box tests, against this library's own objects.
#pragma once

#if defined(JXLIB_STATIC)
#define JXLIB_API
#elif defined(JXLIB_BUILD)
#define JXLIB_API __declspec(dllexport)
#else
#define JXLIB_API __declspec(dllimport)
#endif
