// Export macro of ovdb.dll.
#pragma once

#ifdef OVDB_BUILD
#define OVDB_API __declspec(dllexport)
#else
#define OVDB_API __declspec(dllimport)
#endif
