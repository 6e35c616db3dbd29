// Export macro of ovstore.dll.
#pragma once

#ifdef OVSTORE_BUILD
#define OVSTORE_API __declspec(dllexport)
#else
#define OVSTORE_API __declspec(dllimport)
#endif
