// Export macro of JXUTL04.dll. The objects of a library above it are compiled with
// JXUTL04_STATIC: they name its entries without dllimport, so that they link both
// against the DLL and, in white-box tests, against this library's own objects.
#pragma once

#if defined(JXUTL04_STATIC)
#define JXUTL04_API
#elif defined(JXUTL04_BUILD)
#define JXUTL04_API __declspec(dllexport)
#else
#define JXUTL04_API __declspec(dllimport)
#endif
