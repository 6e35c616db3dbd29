// Export macro of oviui1.dll.
#pragma once

#ifdef OVIUI1_BUILD
#define OVIUI1_API __declspec(dllexport)
#else
#define OVIUI1_API __declspec(dllimport)
#endif
