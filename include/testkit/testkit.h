// Helpers for tests that run under Wine and Xvfb.
//
// BoxAnswerer   answers message boxes and dialogs created on the current thread, so no
//               test waits for a person. Scripted answers are used in order; with none
//               left, the box's default button is pressed. Each box's caption and text
//               are recorded.
// Screenshot    saves the virtual screen (or a window) as a PNG file, for visual checks.
// ProcessBoxes  starts another program and answers its message boxes by caption while
//               it runs, so tests of whole programs never wait for a person.
// TestDataDir   a fresh temporary folder for one test, removed at destruction.
// FuzzRandom    a small seeded generator: the same seed gives the same cases everywhere.
// FuzzGuard     names the case being tried when the process crashes, aborts or hangs.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace testkit {

struct AnsweredBox {
  std::string caption;
  std::string text;
  int answer;
};

class BoxAnswerer {
 public:
  BoxAnswerer();
  ~BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  // Queue the button id (IDOK, IDYES, ...) that the next box gets. LeaveOpen records
  // the box and presses nothing (a window that must stay, such as a progress box).
  enum : int { LeaveOpen = 0 };
  void Script(int id) { script_.push_back({id, nullptr}); }
  // As Script(id), after fill has set the box's controls (see SetItemText, CheckItem).
  // fill runs from the box's own message loop, once the box is fully made; its return
  // value replaces id when it is not 0.
  void Script(int id, std::function<int(HWND box)> fill) { script_.push_back({id, std::move(fill)}); }
  const std::vector<AnsweredBox>& Boxes() const { return boxes_; }

 private:
  struct Step {
    int id;
    std::function<int(HWND)> fill;
  };
  static LRESULT CALLBACK CbtProc(int code, WPARAM wp, LPARAM lp);
  static void CALLBACK FillTimer(HWND box, UINT, UINT_PTR id, DWORD);
  void Answer(HWND box);
  void Press(HWND box, int id);

  HHOOK hook_;
  BoxAnswerer* previous_;
  // Boxes answered but not yet destroyed: a box can be activated again (when another
  // program's window took the focus) before it reads our answer.
  std::vector<HWND> open_;
  std::vector<size_t> openRecord_;  // the record in boxes_ of each open_ entry
  std::deque<Step> script_;
  std::vector<std::pair<HWND, Step>> pending_;  // boxes waiting for their fill
  std::vector<AnsweredBox> boxes_;
};

// Dialog controls by id, for BoxAnswerer fills. SetItemText sets an edit's text (or a
// combo box's edit) and tells the dialog as typing would (EN_CHANGE / CBN_EDITCHANGE);
// SelectItem selects a combo or list box entry that starts with text and notifies the
// selection change; both answer false when the control or entry is missing.
bool SetItemText(HWND box, int id, const char* text);
bool SelectItem(HWND box, int id, const char* text);
bool CheckItem(HWND box, int id, bool checked);
std::string ItemText(HWND box, int id);

// What a program started by ProcessBoxes did.
struct ProcessOutcome {
  bool started = false;   // CreateProcess succeeded
  bool finished = false;  // it ended within the time limit (otherwise it was killed)
  DWORD exitCode = 0;
  std::vector<AnsweredBox> boxes;  // the boxes it showed, in order
};

class ProcessBoxes {
 public:
  // Boxes whose caption starts with captionPrefix get button id, in the order queued;
  // boxes with no queued answer get their default button.
  void Answer(const std::string& captionPrefix, int id) { answers_.push_back({captionPrefix, id}); }
  // Runs commandLine (in directory dir when given) until it ends or timeoutMs passes,
  // answering the top-level dialog boxes of the process as they appear.
  ProcessOutcome Run(const std::string& commandLine, DWORD timeoutMs = 60000, const char* dir = nullptr);

 private:
  struct Queued {
    std::string prefix;
    int id;
  };
  std::deque<Queued> answers_;
};

// 24-bit RGB pixels, rows top to bottom.
struct Image {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  COLORREF Pixel(int x, int y) const;
};

// Captures the screen (window == nullptr) or a window's client area.
Image Capture(HWND window = nullptr);
bool SavePng(const Image& image, const std::string& path);
inline bool Screenshot(const std::string& path, HWND window = nullptr) {
  return SavePng(Capture(window), path);
}

class TestDataDir {
 public:
  explicit TestDataDir(const std::string& name);
  ~TestDataDir();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Pumps this thread's messages until pred() holds or timeoutMs passes; answers pred().
template <class Pred>
bool PumpUntil(Pred pred, DWORD timeoutMs = 5000) {
  DWORD start = GetTickCount();
  MSG msg;
  while (!pred()) {
    if (GetTickCount() - start > timeoutMs) return false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (!pred()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

// xorshift64*: cheap, and the same sequence on every target.
class FuzzRandom {
 public:
  explicit FuzzRandom(unsigned long long seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
  unsigned long long Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
  }
  // 0 .. n-1 (n > 0).
  unsigned Below(unsigned n) { return unsigned(Next() % n); }

 private:
  unsigned long long state_;
};

// One per process while fuzzing. Begin() names the case about to run; if the process
// then crashes, calls terminate or abort, or the case runs past limitMs, the guard
// writes "FUZZ FAILURE (<what>) in case: <description>" to standard error and ends the
// process with exit code 3, so the test fails with the input that did it.
class FuzzGuard {
 public:
  explicit FuzzGuard(DWORD limitMs);
  ~FuzzGuard();
  FuzzGuard(const FuzzGuard&) = delete;
  FuzzGuard& operator=(const FuzzGuard&) = delete;

  void Begin(const std::string& description);
  void End();
};

// True for an error text that shows a program error (an assertion) rather than a message
// for a person: what a fuzzed input must never produce.
inline bool LooksLikeAnAssertion(const std::string& text) {
  return text.find("XAssert") != std::string::npos || text.find("Program error") != std::string::npos ||
         text.find("assert") != std::string::npos;
}

}  // namespace testkit
