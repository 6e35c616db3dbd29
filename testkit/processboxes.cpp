// Starts a program and answers its dialog boxes (class "#32770") from outside.
#include <algorithm>
#include <vector>

#include "testkit/testkit.h"

namespace testkit {
namespace {

struct Search {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK collectBoxes(HWND w, LPARAM lp) {
  Search* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char cls[16];
  if (pid == s->pid && IsWindowVisible(w) && GetClassNameA(w, cls, sizeof cls) &&
      lstrcmpA(cls, "#32770") == 0)
    s->found.push_back(w);
  return TRUE;
}

BOOL CALLBACK collectText(HWND child, LPARAM lp) {
  char cls[32], text[2048];
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0) {
    std::string* out = reinterpret_cast<std::string*>(lp);
    if (!out->empty()) *out += "\n";
    *out += text;
  }
  return TRUE;
}

}  // namespace

ProcessOutcome ProcessBoxes::Run(const std::string& commandLine, DWORD timeoutMs, const char* dir) {
  ProcessOutcome out;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back(0);
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir, &si, &pi)) return out;
  out.started = true;
  std::vector<HWND> answered;
  DWORD start = GetTickCount();
  for (;;) {
    DWORD wait = WaitForSingleObject(pi.hProcess, 50);
    if (wait == WAIT_OBJECT_0) {
      out.finished = true;
      break;
    }
    if (GetTickCount() - start > timeoutMs) {
      TerminateProcess(pi.hProcess, 0xDEAD);
      WaitForSingleObject(pi.hProcess, 5000);
      break;
    }
    Search s{pi.dwProcessId, {}};
    EnumWindows(collectBoxes, reinterpret_cast<LPARAM>(&s));
    for (HWND box : s.found) {
      if (std::find(answered.begin(), answered.end(), box) != answered.end()) continue;
      AnsweredBox rec;
      char caption[512] = "";
      GetWindowTextA(box, caption, sizeof caption);
      rec.caption = caption;
      EnumChildWindows(box, collectText, reinterpret_cast<LPARAM>(&rec.text));
      rec.answer = 0;
      for (auto it = answers_.begin(); it != answers_.end(); ++it) {
        if (rec.caption.compare(0, it->prefix.size(), it->prefix) == 0) {
          rec.answer = it->id;
          answers_.erase(it);
          break;
        }
      }
      if (!rec.answer) {
        LRESULT def = SendMessageA(box, DM_GETDEFID, 0, 0);
        rec.answer = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
      }
      out.boxes.push_back(rec);
      answered.push_back(box);
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(rec.answer, BN_CLICKED), 0);
    }
  }
  GetExitCodeProcess(pi.hProcess, &out.exitCode);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return out;
}

}  // namespace testkit
