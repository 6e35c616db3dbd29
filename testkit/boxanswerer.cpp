// Answers dialog boxes (class "#32770") created on the thread that owns the answerer.
#include <algorithm>

#include "testkit/testkit.h"

namespace testkit {
namespace {

thread_local BoxAnswerer* t_current = nullptr;

BOOL CALLBACK collectStatic(HWND child, LPARAM lp) {
  char cls[32], text[1024];
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0) {
    std::string* out = reinterpret_cast<std::string*>(lp);
    if (!out->empty()) *out += "\n";
    *out += text;
  }
  return TRUE;
}

}  // namespace

BoxAnswerer::BoxAnswerer() : previous_(t_current) {
  hook_ = SetWindowsHookExA(WH_CBT, &BoxAnswerer::CbtProc, nullptr, GetCurrentThreadId());
  t_current = this;
}

BoxAnswerer::~BoxAnswerer() {
  if (hook_) UnhookWindowsHookEx(hook_);
  t_current = previous_;
}

LRESULT CALLBACK BoxAnswerer::CbtProc(int code, WPARAM wp, LPARAM lp) {
  BoxAnswerer* self = t_current;
  if (self && (code == HCBT_ACTIVATE || code == HCBT_DESTROYWND)) {
    HWND wnd = reinterpret_cast<HWND>(wp);
    auto it = std::find(self->open_.begin(), self->open_.end(), wnd);
    if (code == HCBT_DESTROYWND) {
      if (it != self->open_.end()) {
        // A message box may fill in its text after it is first activated: read it
        // again while the box is still whole.
        size_t i = size_t(it - self->open_.begin());
        AnsweredBox& rec = self->boxes_[self->openRecord_[i]];
        if (rec.text.empty()) EnumChildWindows(wnd, collectStatic, reinterpret_cast<LPARAM>(&rec.text));
        self->open_.erase(it);
        self->openRecord_.erase(self->openRecord_.begin() + long(i));
      }
    } else if (it == self->open_.end() && GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId()) {
      // Wine may report the activation of another program's window here: only boxes of
      // this thread are ours to answer.
      char cls[16];
      if (GetClassNameA(wnd, cls, sizeof cls) && lstrcmpA(cls, "#32770") == 0) self->Answer(wnd);
    }
  }
  return CallNextHookEx(self ? self->hook_ : nullptr, code, wp, lp);
}

void BoxAnswerer::Answer(HWND box) {
  AnsweredBox rec;
  char caption[512];
  GetWindowTextA(box, caption, sizeof caption);
  rec.caption = caption;
  EnumChildWindows(box, collectStatic, reinterpret_cast<LPARAM>(&rec.text));
  Step step{-1, nullptr};
  if (!script_.empty()) {
    step = std::move(script_.front());
    script_.pop_front();
  }
  if (step.id == -1) {
    LRESULT def = SendMessageA(box, DM_GETDEFID, 0, 0);
    step.id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
  }
  rec.answer = step.id;
  boxes_.push_back(rec);
  open_.push_back(box);
  openRecord_.push_back(boxes_.size() - 1);
  if (step.fill) {
    // The box may still be finishing its set-up: fill it from its own loop.
    pending_.push_back({box, std::move(step)});
    SetTimer(box, 0x7E57, 20, &BoxAnswerer::FillTimer);
    return;
  }
  Press(box, step.id);
}

void BoxAnswerer::Press(HWND box, int id) {
  if (id != LeaveOpen) PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void CALLBACK BoxAnswerer::FillTimer(HWND box, UINT, UINT_PTR id, DWORD) {
  KillTimer(box, id);
  BoxAnswerer* self = t_current;
  if (!self) return;
  for (auto it = self->pending_.begin(); it != self->pending_.end(); ++it) {
    if (it->first != box) continue;
    Step step = std::move(it->second);
    self->pending_.erase(it);
    int answer = step.fill(box);
    if (answer) step.id = answer;
    // The box is whole now: its final caption is recorded with the answer.
    char caption[512] = "";
    GetWindowTextA(box, caption, sizeof caption);
    for (size_t i = 0; i < self->open_.size(); ++i) {
      if (self->open_[i] != box) continue;
      self->boxes_[self->openRecord_[i]].answer = step.id;
      self->boxes_[self->openRecord_[i]].caption = caption;
    }
    self->Press(box, step.id);
    return;
  }
}

bool SetItemText(HWND box, int id, const char* text) {
  HWND item = GetDlgItem(box, id);
  if (!item) return false;
  char cls[32] = "";
  GetClassNameA(item, cls, sizeof cls);
  bool combo = lstrcmpiA(cls, "ComboBox") == 0 || lstrcmpiA(cls, "ComboBoxEx32") == 0;
  SetWindowTextA(item, text);
  SendMessageA(box, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_EDITCHANGE : EN_CHANGE), LPARAM(item));
  return true;
}

bool SelectItem(HWND box, int id, const char* text) {
  HWND item = GetDlgItem(box, id);
  if (!item) return false;
  char cls[32] = "";
  GetClassNameA(item, cls, sizeof cls);
  bool list = lstrcmpiA(cls, "ListBox") == 0;
  LRESULT at = SendMessageA(item, list ? LB_SELECTSTRING : CB_SELECTSTRING, WPARAM(-1), LPARAM(text));
  if (at < 0) return false;
  SendMessageA(box, WM_COMMAND, MAKEWPARAM(id, list ? LBN_SELCHANGE : CBN_SELCHANGE), LPARAM(item));
  return true;
}

bool CheckItem(HWND box, int id, bool checked) {
  HWND item = GetDlgItem(box, id);
  if (!item) return false;
  SendMessageA(item, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(item));
  return true;
}

std::string ItemText(HWND box, int id) {
  char text[1024] = "";
  GetDlgItemTextA(box, id, text, sizeof text);
  return text;
}

}  // namespace testkit
