// Export macro of ovole.dll.
#pragma once

#ifdef OVOLE_BUILD
#define OVOLE_API __declspec(dllexport)
#else
#define OVOLE_API __declspec(dllimport)
#endif
