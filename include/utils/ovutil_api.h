// Export macro of ovutil.dll.
#pragma once

#ifdef OVUTIL_BUILD
#define OVUTIL_API __declspec(dllexport)
#else
#define OVUTIL_API __declspec(dllimport)
#endif
