// Export macro of JXUTL04.dll. The white-box test library builds the same sources
// statically (JXUTL04_STATIC), where nothing is imported or exported.
#pragma once

#if defined(JXUTL04_STATIC)
#define JXUTL04_API
#elif defined(JXUTL04_BUILD)
#define JXUTL04_API __declspec(dllexport)
#else
#define JXUTL04_API __declspec(dllimport)
#endif
