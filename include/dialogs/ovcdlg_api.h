// Export macro of ovcdlg.dll.
#pragma once

#ifdef OVCDLG_BUILD
#define OVCDLG_API __declspec(dllexport)
#else
#define OVCDLG_API __declspec(dllimport)
#endif
