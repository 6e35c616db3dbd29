// Export macro of JXSQL04.dll. The objects of a library above it are compiled with
// JXSQL04_STATIC: they name its entries without dllimport, so that they link both
// against the DLL and, in white-box tests, against this library's own objects.
#pragma once

#if defined(JXSQL04_STATIC)
#define JXSQL04_API
#elif defined(JXSQL04_BUILD)
#define JXSQL04_API __declspec(dllexport)
#else
#define JXSQL04_API __declspec(dllimport)
#endif
