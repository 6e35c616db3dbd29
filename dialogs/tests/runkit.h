// What the tests of the modal runs share: the window library's application with a
// visible main window and a second top-level window, the file dialogs' name box, and a
// guard that cancels a dialog left open so that no test waits for ever.
#pragma once

#include <windows.h>

#include <string>

#include "cdlgkit.h"
#include "testkit/testkit.h"
#include "winlib/applicat.h"
#include "winlib/framewin.h"

namespace runkit {

// The name box of a file dialog: the explorer style's combo box, or the old style's
// edit; the filter list.
enum { kIdNameCombo = 1148, kIdNameEdit = 1152, kIdFilterList = 1136 };

inline bool TypeName(HWND box, const std::string& name) {
  return testkit::SetItemText(box, kIdNameCombo, name.c_str()) ||
         testkit::SetItemText(box, kIdNameEdit, name.c_str());
}

struct Windows {
  TApplication* app;
  TFrameWindow* main;
  TWindow* other;
};

inline TWindow* ShownTopLevel(TWindow* w) {
  w->Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  w->Attr.X = w->Attr.Y = 10;
  w->Attr.W = 300;
  w->Attr.H = 200;
  w->Create();
  ::ShowWindow(w->HWindow, SW_SHOWNOACTIVATE);
  return w;
}

inline Windows& TestWindows() {
  static Windows w = [] {
    cdlgkit::Publish();
    Windows made;
    made.app = new TApplication("ovcdlg_test");
    made.main = new TFrameWindow(nullptr, "Main window");
    ShownTopLevel(made.main);
    made.app->SetMainWindow(made.main);
    made.other = ShownTopLevel(new TWindow(nullptr, "Other window", nullptr));
    return made;
  }();
  return w;
}

// Cancels the dialog box (if still there) limitMs after it was answered: a dialog
// that refuses the answer then ends instead of waiting for a person.
class CancelGuard {
 public:
  static void Arm(HWND box, UINT limitMs = 5000) {
    Box() = box;
    ::SetTimer(nullptr, 0, limitMs, &Fire);
  }
  static bool Fired() { return Flag(); }
  static void Reset() { Flag() = false; }

 private:
  static HWND& Box() {
    static HWND box = nullptr;
    return box;
  }
  static bool& Flag() {
    static bool fired = false;
    return fired;
  }
  static BOOL CALLBACK CancelOne(HWND w, LPARAM) {
    char cls[16] = "";
    ::GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == "#32770") ::PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
  }
  // Every dialog box of the thread (a message box the dialog raised too) is cancelled,
  // again until the guarded one is gone.
  static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (!::IsWindow(Box())) return;
    Flag() = true;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CancelOne, 0);
    ::SetTimer(nullptr, 0, 500, &Fire);
  }
};

}  // namespace runkit
