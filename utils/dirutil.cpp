// PushDir and the directory walker.
#include "utils/dirutil.h"

#include <cstring>
#include <string>

PushDir::PushDir(const char* dir) : result_(0) {
  saved_[0] = '\0';
  if (!dir || !*dir) return;
  DWORD n = GetCurrentDirectoryA(MAX_PATH, saved_);
  if (!n || n >= MAX_PATH) {
    saved_[0] = '\0';
    return;
  }
  result_ = SetCurrentDirectoryA(dir) != 0;
  if (!result_) saved_[0] = '\0';  // nothing to undo
}

PushDir::~PushDir() {
  if (saved_[0]) SetCurrentDirectoryA(saved_);
}

EnumDirException::EnumDirException(const char* text, int error) : XException(text), error_(error) {}

EnumDirException::~EnumDirException() noexcept {}

XException* EnumDirException::Clone() const { return new EnumDirException(*this); }

void EnumDirException::Throw() const { throw *this; }

namespace {

const char kEnumError[] = "Enum dir contents error";

inline bool isDots(const char* name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

// Calls each(found) for every entry of the search spec except "." and "..", until it
// answers non-zero. A search without matches is no failure.
template <class F>
int search(const std::string& spec, F each) {
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(spec.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return 0;
    throw EnumDirException(kEnumError, int(error));
  }
  struct Closer {
    HANDLE h;
    ~Closer() { FindClose(h); }
  } closer{h};  // also when fn or a deeper walk throws
  int r = 0;
  do {
    if (isDots(data.cFileName)) continue;
    r = each(data);
  } while (!r && FindNextFileA(h, &data));
  return r;
}

}  // namespace

int EnumDirContents(EnumDirFn fn, void* userData, const char* dir, const char* pattern, int recurse) {
  if (!fn) return -1;
  char current[MAX_PATH];
  if (!dir || !*dir) {
    DWORD n = GetCurrentDirectoryA(MAX_PATH, current);
    if (!n || n >= MAX_PATH)
      throw EnumDirException(kEnumError, int(n ? ERROR_BUFFER_OVERFLOW : GetLastError()));
    dir = current;
  }
  if (strlen(dir) >= MAX_PATH) throw EnumDirException("Path length exceeds maximum allowed.", 0);
  if (!pattern || !*pattern) pattern = "*";
  if (strlen(pattern) >= MAX_PATH) throw EnumDirException("Pattern length exceeds maximum allowed.", 0);

  std::string base(dir);
  int r = search(base + "\\" + pattern, [&](const WIN32_FIND_DATAA& d) { return fn(dir, &d, userData); });
  if (r || !recurse) return r;
  return search(base + "\\*", [&](const WIN32_FIND_DATAA& d) {
    if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    return EnumDirContents(fn, userData, (base + "\\" + d.cFileName).c_str(), pattern, recurse);
  });
}
