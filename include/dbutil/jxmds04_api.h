// Export macro of JXMDS04.dll, the per-process task record.
#pragma once

#ifdef JXMDS04_BUILD
#define JXMDS04_API __declspec(dllexport)
#else
#define JXMDS04_API __declspec(dllimport)
#endif
