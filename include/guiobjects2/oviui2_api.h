// Export macro of oviui2.dll.
#pragma once

#ifdef OVIUI2_BUILD
#define OVIUI2_API __declspec(dllexport)
#else
#define OVIUI2_API __declspec(dllimport)
#endif
