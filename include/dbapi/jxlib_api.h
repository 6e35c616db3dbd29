// Export macro of JXLIB.dll. The white-box test library builds the same sources
// statically (JXLIB_STATIC), where nothing is imported or exported.
#pragma once

#if defined(JXLIB_STATIC)
#define JXLIB_API
#elif defined(JXLIB_BUILD)
#define JXLIB_API __declspec(dllexport)
#else
#define JXLIB_API __declspec(dllimport)
#endif
