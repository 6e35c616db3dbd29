// Registers a test server DLL (beside the running test) in the prefix with the regsvr32 of
// this process's bitness for the life of the object, and removes it again.
#pragma once

#include <windows.h>

#include <string>

class TestServerRegistration {
 public:
  explicit TestServerRegistration(const char* dll) : dll_(dll) { ok_ = run(""); }
  ~TestServerRegistration() { run("/u "); }
  TestServerRegistration(const TestServerRegistration&) = delete;
  TestServerRegistration& operator=(const TestServerRegistration&) = delete;
  bool ok() const { return ok_; }

  // The folder of the running test, with the trailing backslash.
  static std::string binDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    dir.resize(dir.find_last_of('\\') + 1);
    return dir;
  }

 private:
  bool run(const char* extra) const {
    char sys[MAX_PATH];
    GetSystemDirectoryA(sys, MAX_PATH);
    std::string cmd =
        std::string("\"") + sys + "\\regsvr32.exe\" /s " + extra + "\"" + binDir() + dll_ + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return false;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
  }

  std::string dll_;
  bool ok_;
};
