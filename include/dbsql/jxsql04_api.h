// Export macro of JXSQL04.dll. The white-box test library builds the same sources
// statically (JXSQL04_STATIC), where nothing is imported or exported.
#pragma once

#if defined(JXSQL04_STATIC)
#define JXSQL04_API
#elif defined(JXSQL04_BUILD)
#define JXSQL04_API __declspec(dllexport)
#else
#define JXSQL04_API __declspec(dllimport)
#endif
