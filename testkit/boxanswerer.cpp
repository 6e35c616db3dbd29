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
  if (!script_.empty()) {
    rec.answer = script_.front();
    script_.pop_front();
  } else {
    LRESULT def = SendMessageA(box, DM_GETDEFID, 0, 0);
    rec.answer = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
  }
  boxes_.push_back(rec);
  open_.push_back(box);
  openRecord_.push_back(boxes_.size() - 1);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(rec.answer, BN_CLICKED), 0);
}

}  // namespace testkit
