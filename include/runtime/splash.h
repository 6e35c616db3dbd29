// SplashWin: the launcher's first window. It shows the splash bitmap while the
// application starts (optionally with a status line at its bottom) and then stays for
// the whole run as the application's top-level "super" window: sunk to nothing at the
// bottom of the Z order, and passing the system commands it gets (from the task bar)
// on to the main window. There is one per process.
#pragma once

#include <windows.h>

// Creates the splash window on the first call (for any file, null included: then it is
// 0 x 0 and without bitmap); every call sets the status-line flag.
void ShowSplash(const char* file, int statusLines);
// Draws text on the status line when the window exists and the flag is set.
void ShowStatus(const char* text);
void SetSplashStatus(int on);
// Bottom of the Z order, size 0 x 0.
void SinkSplash();
// The window handle, or null when there is no splash.
HWND SplashHandle();
// True when the splash shows a bitmap; its size in *width and *height (may be null).
bool SplashHasBitmap(int* width = nullptr, int* height = nullptr);
// Destroys the window (the end of the program; a later ShowSplash makes a new one).
void DestroySplash();

extern "C" LRESULT CALLBACK SplashWndProc(HWND, UINT, WPARAM, LPARAM);
