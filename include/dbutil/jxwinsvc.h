// Small window and buffer services of the database library's dialogs and windows:
// centring a box, calling the help system, a pointer kept in two window properties, and
// growing an output buffer.
#pragma once

#include "dbutil/jxtypes.h"
#include "dbutil/jxutl04_api.h"

#include <windows.h>

// Centres the window over its parent, or over the screen when it has none or its
// top-level ancestor is minimised, then keeps it on the screen: it starts at or right
// of and below the screen's top left corner, and ends inside the screen when it fits.
// Only the position changes.
JXUTL04_API void winCenterBox(HWND window);

// Shows the help of the file whose name is message helpFileId of the string table:
// the wait cursor, the help system called with the window, the name, the command and
// the data, the cursor back. 1 with 1515 when the name is missing or the help system
// refuses.
JXUTL04_API JxStatus butdohlp(HWND window, unsigned short helpFileId, short reserved, UINT command,
                              ULONG_PTR data);
typedef BOOL(WINAPI* UtlHelpFunction)(HWND, LPCSTR, UINT, ULONG_PTR);
// Test seam: the function butdohlp calls instead of the system help (null: the system's).
// Answers the previous one.
JXUTL04_API UtlHelpFunction utlSetHelpFunction(UtlHelpFunction function);

// The pointer in the properties "Segm" (its upper half) and "Offset" (its lower half),
// each half as wide as half a pointer, so that the round trip is exact on every build.
// 0 when a property cannot be set (none is left behind).
JXUTL04_API short jxSetWinPointer(HWND window, const void* pointer);
// Null when the window has neither property.
JXUTL04_API void* jxGetWinPointer(HWND window);
JXUTL04_API void jxRemoveWinPointer(HWND window);

// Makes room for need bytes after *cursor. Without a buffer: (need rounded down to a
// multiple of 512) + 512 bytes, cursor at the start. With one that is too small: the
// capacity grows by the same amount, the buffer moves with ramResize and the cursor keeps
// its distance from the start. 1 when memory is short (the buffer stays as it was) or
// the cursor lies outside the buffer (1517).
JXUTL04_API JxStatus butxpand(char** buffer, char** cursor, uint32_t* capacity, uint32_t need);
