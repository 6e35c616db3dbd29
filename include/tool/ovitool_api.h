// Export macro of ovitool.dll.
#pragma once

#ifdef OVITOOL_BUILD
#define OVITOOL_API __declspec(dllexport)
#else
#define OVITOOL_API __declspec(dllimport)
#endif
