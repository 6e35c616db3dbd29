// Export macro of ovparse.dll.
#pragma once

#ifdef OVPARSE_BUILD
#define OVPARSE_API __declspec(dllexport)
#else
#define OVPARSE_API __declspec(dllimport)
#endif
