// Export macro of ovgui2.dll, the window extensions.
#pragma once

#ifdef OVGUI2_BUILD
#define OVGUI2_API __declspec(dllexport)
#else
#define OVGUI2_API __declspec(dllimport)
#endif
