// Driving another program's forms from outside, as a person would: find a form's frame
// window by its caption, press one of its buttons, watch its caption, close it through
// the system menu. Used by the end-to-end tests and by the demo script's helper program
// (ovformdrive.exe). Nothing here waits for a person; every wait has a limit.
#pragma once

#include <windows.h>

#include <string>

namespace testkit {

// The visible top-level window of class "OrvanelForm" whose caption is caption, waiting
// up to timeoutMs for it to appear; null when none did.
HWND WaitForForm(const std::string& caption, DWORD timeoutMs = 30000);

// The child window of class "Button" (at any depth) whose text is text, or null.
HWND FindButton(HWND form, const std::string& text);

// Presses and releases the left button at the centre of window (posted mouse messages,
// so that the press does not depend on which window is on top of the display).
bool ClickCentre(HWND window);

// The window's caption.
std::string CaptionOf(HWND window);

// Waits up to timeoutMs until the window's caption is caption (true) or the window goes.
bool WaitForCaption(HWND window, const std::string& caption, DWORD timeoutMs = 10000);

// Asks the form to close as its system menu's Close does (a posted WM_SYSCOMMAND
// SC_CLOSE).
bool CloseForm(HWND form);

}  // namespace testkit
