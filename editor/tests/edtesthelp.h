// Shared helpers of the editor control's tests: a parent window that records what the
// control tells it, the settings file in the Windows directory, and a hook that edits a
// dialog's controls before the test kit's answerer presses its button.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

namespace edtest {

// One load-progress message (0x998) as the parent saw it.
struct ProgressNotice {
  WPARAM stage;
  int32_t percent;
  int32_t lineCount;
  int32_t fileLength;
};

struct Notice {
  WORD id;
  WORD code;
  HWND from;
};

// A hidden top-level window that records WM_COMMAND notices, offered mouse messages and
// cursor requests.
class Parent {
 public:
  Parent();
  ~Parent();
  HWND Handle() const { return wnd_; }
  std::vector<Notice> notices;
  std::vector<UINT> mouse;
  std::vector<ProgressNotice> progress;
  LRESULT progressAnswer = 1;  // what the parent answers to 0x998 at the start
  LRESULT reportAnswer = 1;    // and to its reports
  LRESULT mouseAnswer = 1;     // what it answers to the mouse messages offered to it
  int setCursorAsked = 0;      // WM_SETCURSOR passed up by a child's default procedure
  std::vector<WORD> Codes() const;
  void Clear() {
    notices.clear();
    mouse.clear();
    progress.clear();
    setCursorAsked = 0;
  }

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  HWND wnd_;
};

// A hidden editor window; `parent` null makes it top-level.
HWND MakeEditor(HWND parent, DWORD style = 0, const char* param = nullptr, int id = 77, int width = 400,
                int height = 300);

// "KORVOED.INI" in the Windows directory, written through the profile functions so the
// control sees every change at once.
std::string IniPath();
void IniSet(const char* key, const char* value);
void IniClearOptions();
std::string IniGet(const char* key);  // "" when missing

// Runs `edit` on every dialog activated on this thread before the answerer sees it.
class DialogEditor {
 public:
  explicit DialogEditor(std::function<void(HWND)> edit);
  ~DialogEditor();

 private:
  static LRESULT CALLBACK Proc(int, WPARAM, LPARAM);
  HHOOK hook_;
  std::function<void(HWND)> edit_;
};

// WM_GETTEXT with a buffer of WM_GETTEXTLENGTH + 1, the way hosts ask for the text.
std::string Text(HWND editor);

}  // namespace edtest
