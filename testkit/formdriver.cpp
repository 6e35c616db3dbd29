// Forms of another program driven from outside: found by caption, buttons pressed with
// posted mouse messages, closed through the system command.
#include "testkit/formdriver.h"

namespace testkit {

namespace {

struct FindForm {
  const std::string* caption;
  HWND found;
};

BOOL CALLBACK MatchForm(HWND h, LPARAM param) {
  FindForm& f = *reinterpret_cast<FindForm*>(param);
  char cls[64] = "";
  GetClassNameA(h, cls, sizeof cls);
  if (lstrcmpiA(cls, "OrvanelForm") == 0 && IsWindowVisible(h) && CaptionOf(h) == *f.caption) {
    f.found = h;
    return FALSE;
  }
  return TRUE;
}

struct FindChild {
  const std::string* text;
  HWND found;
};

BOOL CALLBACK MatchButton(HWND h, LPARAM param) {
  FindChild& f = *reinterpret_cast<FindChild*>(param);
  char cls[64] = "";
  GetClassNameA(h, cls, sizeof cls);
  if (lstrcmpiA(cls, "Button") == 0 && CaptionOf(h) == *f.text) {
    f.found = h;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::string CaptionOf(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

HWND WaitForForm(const std::string& caption, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    FindForm f{&caption, nullptr};
    EnumWindows(MatchForm, reinterpret_cast<LPARAM>(&f));
    if (f.found) return f.found;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(50);
  }
}

HWND FindButton(HWND form, const std::string& text) {
  FindChild f{&text, nullptr};
  EnumChildWindows(form, MatchButton, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

bool ClickCentre(HWND window) {
  RECT r;
  if (!GetClientRect(window, &r)) return false;
  LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
  return PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at) && PostMessageA(window, WM_LBUTTONUP, 0, at);
}

bool WaitForCaption(HWND window, const std::string& caption, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (!IsWindow(window)) return false;
    if (CaptionOf(window) == caption) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
}

bool CloseForm(HWND form) { return IsWindow(form) && PostMessageA(form, WM_SYSCOMMAND, SC_CLOSE, 0); }

}  // namespace testkit
