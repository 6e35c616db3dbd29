// Library start, and the making and freeing of a window's record.
#pragma once

#include <windows.h>

namespace ked {

// WM_CREATE: makes the record; 1 when it was made, else 0.
LRESULT create_window(HWND wnd, const CREATESTRUCTA* create);
// WM_DESTROY: frees the record and everything it owns.
void destroy_window(HWND wnd);
// Library unload (not process end): the class and the pick buffer go.
void shutdown_library();

}  // namespace ked
