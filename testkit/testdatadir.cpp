// Temporary folders for tests.
#include "testkit/testkit.h"

namespace testkit {
namespace {

void removeTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = dir + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeTree(full);
      else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

}  // namespace

TestDataDir::TestDataDir(const std::string& name) {
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  path_ = std::string(tmp) + "ovtest-" + name + "-" + std::to_string(GetCurrentProcessId());
  removeTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

TestDataDir::~TestDataDir() { removeTree(path_); }

}  // namespace testkit
