// Window and buffer services: centring a box, the help call, a pointer in two window
// properties, and output-buffer growth.
#include "dbutil/jxwinsvc.h"

#include "dbutil/jxerror.h"
#include "dbutil/jxmemory.h"
#include "dbutil/utl_messages.h"
#include "utl_globals.h"

namespace {

const char kUpperProp[] = "Segm";
const char kLowerProp[] = "Offset";
// Each property holds half of a pointer: 16 bits on the 32-bit build, 32 on the 64-bit.
const unsigned kHalfBits = sizeof(void*) * 4;
const uintptr_t kLowMask = (static_cast<uintptr_t>(1) << kHalfBits) - 1;

UtlHelpFunction g_help = nullptr;

// Places a box of length size within the screen's length: at or after 0, ending inside
// the screen when it fits.
int clampToScreen(int at, int size, int screen) {
  if (at < 0) at = 0;
  if (size > screen) return 0;
  if (at > screen - size) at = screen - size;
  return at;
}

HWND topLevelOf(HWND window) {
  HWND top = window;
  for (HWND up = GetParent(top); up; up = GetParent(up)) top = up;
  return top;
}

uint32_t growthFor(uint32_t need) { return (need / 512) * 512 + 512; }

}  // namespace

void winCenterBox(HWND window) {
  RECT box;
  if (!GetWindowRect(window, &box)) return;
  int width = box.right - box.left;
  int height = box.bottom - box.top;
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  HWND parent = GetParent(window);
  RECT over = {0, 0, screenWidth, screenHeight};
  if (parent && !IsIconic(topLevelOf(parent))) GetWindowRect(parent, &over);
  int x = clampToScreen(over.left + ((over.right - over.left) - width) / 2, width, screenWidth);
  int y = clampToScreen(over.top + ((over.bottom - over.top) - height) / 2, height, screenHeight);
  // A child window is placed in its parent's client coordinates.
  if (parent && (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD)) {
    POINT p = {x, y};
    ScreenToClient(parent, &p);
    x = p.x;
    y = p.y;
  }
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UtlHelpFunction utlSetHelpFunction(UtlHelpFunction function) {
  UtlHelpFunction previous = g_help;
  g_help = function;
  return previous;
}

JxStatus butdohlp(HWND window, unsigned short helpFileId, short, UINT command, ULONG_PTR data) {
  char name[512];
  utlLoadMessage(helpFileId, name);
  if (!name[0]) {
    utlErrorById(MSG_NO_HELP_FILE);
    return 1;
  }
  HCURSOR previous = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
  BOOL ok = g_help ? g_help(window, name, command, data) : WinHelpA(window, name, command, data);
  SetCursor(previous);
  if (ok) return 0;
  utlErrorById(MSG_NO_HELP_FILE);
  return 1;
}

short jxSetWinPointer(HWND window, const void* pointer) {
  uintptr_t value = reinterpret_cast<uintptr_t>(pointer);
  HANDLE upper = reinterpret_cast<HANDLE>((value >> kHalfBits) & kLowMask);
  HANDLE lower = reinterpret_cast<HANDLE>(value & kLowMask);
  if (!SetPropA(window, kUpperProp, upper)) return 0;
  if (!SetPropA(window, kLowerProp, lower)) {
    RemovePropA(window, kUpperProp);
    return 0;
  }
  return 1;
}

void* jxGetWinPointer(HWND window) {
  uintptr_t upper = reinterpret_cast<uintptr_t>(GetPropA(window, kUpperProp)) & kLowMask;
  uintptr_t lower = reinterpret_cast<uintptr_t>(GetPropA(window, kLowerProp)) & kLowMask;
  return reinterpret_cast<void*>((upper << kHalfBits) | lower);
}

void jxRemoveWinPointer(HWND window) {
  RemovePropA(window, kUpperProp);
  RemovePropA(window, kLowerProp);
}

JxStatus butxpand(char** buffer, char** cursor, uint32_t* capacity, uint32_t need) {
  uint32_t step = growthFor(need);
  if (step < need) {  // need within 512 of 4 GiB
    JxErrorKeeper::addMemoryError();
    return 1;
  }
  if (!*buffer) {
    char* made = static_cast<char*>(ramAlloc(step));
    if (!made) return 1;
    *buffer = made;
    *cursor = made;
    *capacity = step;
    return 0;
  }
  if (*cursor < *buffer || static_cast<uint64_t>(*cursor - *buffer) > *capacity) {
    utlErrorById(MSG_INVALID_PARAMETER);
    return 1;
  }
  uint32_t used = static_cast<uint32_t>(*cursor - *buffer);
  if (*capacity - used >= need) return 0;
  uint64_t grown = static_cast<uint64_t>(*capacity) + step;
  if (grown > 0xFFFFFFFFu) {
    JxErrorKeeper::addMemoryError();
    return 1;
  }
  void* moved = *buffer;
  if (ramResize(&moved, static_cast<uint32_t>(grown))) return 1;
  *buffer = static_cast<char*>(moved);
  *cursor = *buffer + used;
  *capacity = static_cast<uint32_t>(grown);
  return 0;
}
