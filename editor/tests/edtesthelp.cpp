#include "edtesthelp.h"

namespace edtest {
namespace {
Parent* s_parent;
DialogEditor* s_dialogEditor;
const char kParentClass[] = "EdTestParent";
}  // namespace

LRESULT CALLBACK Parent::Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (s_parent && w == s_parent->wnd_) {
    if (msg == WM_COMMAND) {
      s_parent->notices.push_back({LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)});
      return 0;
    }
    if (msg == 0x998) {
      const int32_t* record = reinterpret_cast<const int32_t*>(lp);
      s_parent->progress.push_back({wp, record[0], record[4], record[3]});
      return wp == 1 ? s_parent->reportAnswer : s_parent->progressAnswer;
    }
    if (msg == WM_RBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_MBUTTONDOWN ||
        msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK) {
      s_parent->mouse.push_back(msg);
      return s_parent->mouseAnswer;
    }
    if (msg == WM_SETCURSOR) {
      ++s_parent->setCursorAsked;
      return 0;  // the child goes on with its own cursor
    }
  }
  return DefWindowProcA(w, msg, wp, lp);
}

Parent::Parent() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kParentClass;
  RegisterClassA(&wc);  // fails harmlessly when already registered
  s_parent = this;
  wnd_ = CreateWindowA(kParentClass, "parent", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr, nullptr,
                       wc.hInstance, nullptr);
}

Parent::~Parent() {
  DestroyWindow(wnd_);
  s_parent = nullptr;
}

std::vector<WORD> Parent::Codes() const {
  std::vector<WORD> codes;
  for (const Notice& n : notices) codes.push_back(n.code);
  return codes;
}

HWND MakeEditor(HWND parent, DWORD style, const char* param, int id, int width, int height) {
  DWORD base = parent ? WS_CHILD : WS_OVERLAPPED;
  return CreateWindowExA(0, "KorvoEdit", "", base | style, 0, 0, width, height, parent,
                         parent ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr,
                         GetModuleHandleA(nullptr), const_cast<char*>(param));
}

std::string IniPath() {
  char dir[MAX_PATH];
  GetWindowsDirectoryA(dir, sizeof dir);
  return std::string(dir) + "\\KORVOED.INI";
}

void IniSet(const char* key, const char* value) {
  WritePrivateProfileStringA("Options", key, value, IniPath().c_str());
}

void IniClearOptions() { WritePrivateProfileStringA("Options", nullptr, nullptr, IniPath().c_str()); }

std::string IniGet(const char* key) {
  char value[64];
  GetPrivateProfileStringA("Options", key, "", value, sizeof value, IniPath().c_str());
  return value;
}

DialogEditor::DialogEditor(std::function<void(HWND)> edit) : edit_(std::move(edit)) {
  s_dialogEditor = this;
  hook_ = SetWindowsHookExA(WH_CBT, Proc, nullptr, GetCurrentThreadId());
}

DialogEditor::~DialogEditor() {
  UnhookWindowsHookEx(hook_);
  s_dialogEditor = nullptr;
}

LRESULT CALLBACK DialogEditor::Proc(int code, WPARAM wp, LPARAM lp) {
  DialogEditor* self = s_dialogEditor;
  if (code == HCBT_ACTIVATE && self) {
    char cls[16];
    HWND wnd = reinterpret_cast<HWND>(wp);
    if (GetClassNameA(wnd, cls, sizeof cls) && lstrcmpA(cls, "#32770") == 0) self->edit_(wnd);
  }
  return CallNextHookEx(self ? self->hook_ : nullptr, code, wp, lp);
}

std::string Text(HWND editor) {
  std::string text(SendMessageA(editor, WM_GETTEXTLENGTH, 0, 0) + 1, '\0');
  LRESULT n = SendMessageA(editor, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(n > 0 ? n - 1 : 0);
  return text;
}

}  // namespace edtest
