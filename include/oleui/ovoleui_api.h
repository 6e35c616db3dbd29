// Export macro of ovoleui.dll.
#pragma once

#ifdef OVOLEUI_BUILD
#define OVOLEUI_API __declspec(dllexport)
#else
#define OVOLEUI_API __declspec(dllimport)
#endif
