// Window and buffer services on the DLL, with windows on the test display: centring
// over a parent, over the screen and when the top-level window is minimised, clamping to
// the screen; the pointer in "Segm"/"Offset"; the help call through its seam; and the
// growth of an output buffer.
#include "dbutil/jxmemory.h"
#include "dbutil/jxwinsvc.h"
#include "scoped_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Window {
  HWND hwnd;
  explicit Window(HWND h) : hwnd(h) {}
  ~Window() {
    if (hwnd) DestroyWindow(hwnd);
  }
};

HWND popup(HWND owner, int x, int y, int width, int height, DWORD extraStyle = 0) {
  return CreateWindowExA(0, "STATIC", "box", WS_POPUP | extraStyle, x, y, width, height, owner, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

INT_PTR CALLBACK quietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A modeless dialog of the given size in dialog units, owned by owner, from a template
// built in memory.
HWND dialog(HWND owner) {
  struct {
    DLGTEMPLATE t;
    WORD menu, windowClass, title;
  } templ = {};
  templ.t.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  templ.t.cx = 100;
  templ.t.cy = 50;
  return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &templ.t, owner, quietDialog, 0);
}

RECT rectOf(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return r;
}

TEST(WinCenterBox, CentresOverTheParentOrTheScreenAndKeepsTheBoxOnIt) {
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  struct Case {
    const char* what;
    bool hasParent, minimised;
    int px, py, pw, ph;  // the parent's place
    int width, height;   // the box's size
    int x, y;            // where the box goes
  } cases[] = {
      {"over the parent", true, false, 100, 80, 400, 300, 200, 100, 200, 180},
      {"over the screen", false, false, 0, 0, 0, 0, 200, 100, (sw - 200) / 2, (sh - 100) / 2},
      {"minimised top-level window", true, true, 100, 80, 400, 300, 200, 100, (sw - 200) / 2, (sh - 100) / 2},
      {"parent off the top left", true, false, -500, -400, 300, 200, 200, 100, 0, 0},
      {"parent off the bottom right", true, false, sw - 100, sh - 50, 300, 200, 200, 100, sw - 200, sh - 100},
      {"wider than the screen", true, false, 100, 80, 400, 300, sw + 100, 100, 0, 180},
      {"taller than the screen", true, false, 100, 80, 400, 300, 200, sh + 50, 200, 0},
  };
  for (const Case& c : cases) {
    Window parent(c.hasParent ? CreateWindowExA(0, "STATIC", "parent",
                                                WS_OVERLAPPEDWINDOW | (c.minimised ? WS_MINIMIZE : 0), c.px,
                                                c.py, c.pw, c.ph, nullptr, nullptr, nullptr, nullptr)
                              : nullptr);
    if (c.hasParent) {
      ASSERT_NE(parent.hwnd, nullptr) << c.what;
    }
    if (c.minimised) {
      ASSERT_TRUE(IsIconic(parent.hwnd)) << c.what;
    }
    Window box(popup(parent.hwnd, 7, 9, c.width, c.height));
    ASSERT_NE(box.hwnd, nullptr) << c.what;
    RECT before = rectOf(box.hwnd);
    winCenterBox(box.hwnd);
    RECT after = rectOf(box.hwnd);
    EXPECT_EQ(after.left, c.x) << c.what;
    EXPECT_EQ(after.top, c.y) << c.what;
    // Only the position changes.
    EXPECT_EQ(after.right - after.left, before.right - before.left) << c.what;
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top) << c.what;
    EXPECT_FALSE(IsWindowVisible(box.hwnd)) << c.what;
  }
}

// A dialog owned by a box that is itself owned by a minimised window goes over the
// screen; a dialog over a hidden top-level window goes over that window.
TEST(WinCenterBox, ADialogOverItsOwnerChain) {
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  Window top(CreateWindowExA(0, "STATIC", "top", WS_OVERLAPPEDWINDOW, 50, 60, 600, 400, nullptr, nullptr,
                             nullptr, nullptr));
  Window box(dialog(top.hwnd));
  ASSERT_NE(box.hwnd, nullptr);
  RECT r = rectOf(box.hwnd);
  int w = r.right - r.left, h = r.bottom - r.top;
  winCenterBox(box.hwnd);
  r = rectOf(box.hwnd);
  EXPECT_EQ(r.left, 50 + (600 - w) / 2);
  EXPECT_EQ(r.top, 60 + (400 - h) / 2);

  Window owner(popup(top.hwnd, 0, 0, 300, 300));
  Window inner(dialog(owner.hwnd));
  ShowWindow(top.hwnd, SW_SHOWMINNOACTIVE);
  ASSERT_TRUE(IsIconic(top.hwnd));
  winCenterBox(inner.hwnd);
  r = rectOf(inner.hwnd);
  EXPECT_EQ(r.left, (sw - w) / 2);
  EXPECT_EQ(r.top, (sh - h) / 2);
}

TEST(WinPointer, APointerRoundTripsThroughTwoProperties) {
  Window w(popup(nullptr, 0, 0, 10, 10));
  ASSERT_NE(w.hwnd, nullptr);
  EXPECT_EQ(jxGetWinPointer(w.hwnd), nullptr);
  std::vector<uintptr_t> values = {0x12345678u, 0xFFFFFFFFu, 0x00010000u, 0x0000FFFFu, 1};
  if (sizeof(void*) == 8) {
    values.push_back(static_cast<uintptr_t>(0x0000000100000000ull));  // just above 4 GiB
    values.push_back(static_cast<uintptr_t>(0x123456789ABCDEF0ull));
    values.push_back(static_cast<uintptr_t>(0xFFFFFFFFFFFFFFFFull));
  }
  const unsigned half = sizeof(void*) * 4;
  const uintptr_t mask = (static_cast<uintptr_t>(1) << half) - 1;
  for (uintptr_t v : values) {
    void* p = reinterpret_cast<void*>(v);
    ASSERT_EQ(jxSetWinPointer(w.hwnd, p), 1) << std::hex << v;
    EXPECT_EQ(jxGetWinPointer(w.hwnd), p) << std::hex << v;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(GetPropA(w.hwnd, "Segm")), v >> half) << std::hex << v;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(GetPropA(w.hwnd, "Offset")), v & mask) << std::hex << v;
  }
  jxRemoveWinPointer(w.hwnd);
  EXPECT_EQ(GetPropA(w.hwnd, "Segm"), nullptr);
  EXPECT_EQ(GetPropA(w.hwnd, "Offset"), nullptr);
  EXPECT_EQ(jxGetWinPointer(w.hwnd), nullptr);
  // A real object's address comes back as itself.
  std::string object = "kept";
  jxSetWinPointer(w.hwnd, &object);
  EXPECT_EQ(static_cast<std::string*>(jxGetWinPointer(w.hwnd))->c_str(), object);
  jxRemoveWinPointer(w.hwnd);
}

struct HelpCall {
  int calls = 0;
  HWND window = nullptr;
  std::string file;
  UINT command = 0;
  ULONG_PTR data = 0;
  bool waitCursor = false;
  BOOL answer = TRUE;
};
HelpCall g_help;

BOOL WINAPI recordHelp(HWND window, LPCSTR file, UINT command, ULONG_PTR data) {
  ++g_help.calls;
  g_help.window = window;
  g_help.file = file ? file : "";
  g_help.command = command;
  g_help.data = data;
  g_help.waitCursor = GetCursor() == LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
  return g_help.answer;
}

TEST(Butdohlp, CallsTheHelpSystemWithTheNameFromTheStringTable) {
  ScopedErrorList scope;
  Window w(popup(nullptr, 0, 0, 10, 10));
  UtlHelpFunction previous = utlSetHelpFunction(recordHelp);
  HCURSOR arrow = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  SetCursor(arrow);
  g_help = HelpCall();
  EXPECT_EQ(butdohlp(w.hwnd, 2717, 99, HELP_CONTEXT, 1234), 0);
  EXPECT_EQ(g_help.calls, 1);
  EXPECT_EQ(g_help.window, w.hwnd);
  EXPECT_EQ(g_help.file, "Initialization file is not open.");  // message 2717's text
  EXPECT_EQ(g_help.command, static_cast<UINT>(HELP_CONTEXT));
  EXPECT_EQ(g_help.data, 1234u);
  EXPECT_TRUE(g_help.waitCursor);
  EXPECT_EQ(GetCursor(), arrow);
  EXPECT_EQ(scope.list.getCount(), 0u);

  // No text under the number: nothing is called.
  g_help = HelpCall();
  EXPECT_EQ(butdohlp(w.hwnd, 9999, 0, HELP_CONTENTS, 0), 1);
  EXPECT_EQ(g_help.calls, 0);
  EXPECT_EQ(scope.lastNumber(), 1515);
  JxErrorKeeper::clearLastError();
  // The help system's refusal is reported.
  g_help = HelpCall();
  g_help.answer = FALSE;
  EXPECT_EQ(butdohlp(w.hwnd, 2717, 0, HELP_CONTENTS, 0), 1);
  EXPECT_EQ(g_help.calls, 1);
  EXPECT_EQ(scope.lastNumber(), 1515);
  EXPECT_EQ(GetCursor(), arrow);
  JxErrorKeeper::clearLastError();
  utlSetHelpFunction(previous);
}

TEST(Butxpand, FirstAllocationInSteps) {
  ScopedErrorList scope;
  struct Case {
    uint32_t need, capacity;
  } cases[] = {{0, 512}, {1, 512}, {511, 512}, {512, 1024}, {513, 1024}, {1500, 1536}};
  for (const Case& c : cases) {
    char* buffer = nullptr;
    char* cursor = nullptr;
    uint32_t capacity = 0;
    ASSERT_EQ(butxpand(&buffer, &cursor, &capacity, c.need), 0) << c.need;
    EXPECT_EQ(capacity, c.capacity) << c.need;
    EXPECT_EQ(cursor, buffer) << c.need;
    EXPECT_GE(ramSize(buffer), c.capacity) << c.need;
    ramFree(buffer);
  }
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(Butxpand, GrowthKeepsTheCursorsOffsetAndTheBytes) {
  ScopedErrorList scope;
  char* buffer = nullptr;
  char* cursor = nullptr;
  uint32_t capacity = 0;
  ASSERT_EQ(butxpand(&buffer, &cursor, &capacity, 1), 0);
  for (int i = 0; i < 500; ++i) *cursor++ = static_cast<char>('a' + i % 26);
  struct Step {
    uint32_t need, capacity;
  } steps[] = {
      {12, 512},    // 12 bytes left: nothing happens
      {13, 1024},   // grows by 512
      {524, 1024},  // exactly what is left
      {600, 2048},  // grows by 512 + 512
  };
  for (const Step& s : steps) {
    ASSERT_EQ(butxpand(&buffer, &cursor, &capacity, s.need), 0) << s.need;
    EXPECT_EQ(capacity, s.capacity) << s.need;
    EXPECT_EQ(cursor - buffer, 500) << s.need;
    EXPECT_GE(ramSize(buffer), capacity) << s.need;
  }
  for (int i = 0; i < 500; ++i) ASSERT_EQ(buffer[i], static_cast<char>('a' + i % 26)) << i;
  // A cursor outside the buffer is refused and changes nothing.
  char* outside = buffer + capacity + 1;
  char* before = buffer;
  EXPECT_EQ(butxpand(&buffer, &outside, &capacity, 5000), 1);
  EXPECT_EQ(scope.lastNumber(), 1517);
  EXPECT_EQ(buffer, before);
  EXPECT_EQ(capacity, 2048u);
  JxErrorKeeper::clearLastError();
  ramFree(buffer);
}

}  // namespace
