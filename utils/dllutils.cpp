// DLLUtils: the list of attached product libraries and version resources; the entry
// point of ovutil.dll, which registers the library itself.
#include "utils/dllutils.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

RWCString& DLLUtils::AttachedDLLs() {
  static RWCString attachedDLLs{RWSize_T(256)};
  return attachedDLLs;
}

void* DLLUtils::module_ = nullptr;

namespace {

// The VS_FIXEDFILEINFO of a version resource, or null.
const VS_FIXEDFILEINFO* fixedInfo(const void* data) {
  if (!data) return nullptr;
  void* info = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(data, "\\", &info, &len) || !info || len < sizeof(VS_FIXEDFILEINFO)) return nullptr;
  return static_cast<const VS_FIXEDFILEINFO*>(info);
}

}  // namespace

void DLLUtils::DLLAttached(const char* path) {
  if (!path) return;
  char full[MAX_PATH];
  char* file = nullptr;
  DWORD n = GetFullPathNameA(path, MAX_PATH, full, &file);
  if (!n || n >= MAX_PATH || !file || !*file) return;
  std::string name(file);
  size_t dot = name.find('.');
  if (dot != std::string::npos) name.erase(dot);

  unsigned long ms = 0, ls = 0;
  char* data = GetVersionData(full);
  GetFileVersion(data, ms, ls);
  delete[] data;
  char version[32];
  FormatVersion(version, ms, ls);

  RWCString& list = AttachedDLLs();
  if (!list.isNull()) list.append(";");
  list.append(name.c_str()).append(":").append(version);
}

char* DLLUtils::GetVersionData(const char* path) {
  if (!path || !*path) return nullptr;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (!size) return nullptr;
  char* data = new char[size];
  if (!GetFileVersionInfoA(path, 0, size, data)) {
    delete[] data;
    return nullptr;
  }
  return data;
}

void DLLUtils::GetFileVersion(const void* data, unsigned long& ms, unsigned long& ls) {
  const VS_FIXEDFILEINFO* info = fixedInfo(data);
  ms = info ? info->dwFileVersionMS : 0;
  ls = info ? info->dwFileVersionLS : 0;
}

void DLLUtils::GetProductVersion(const void* data, unsigned long& ms, unsigned long& ls) {
  const VS_FIXEDFILEINFO* info = fixedInfo(data);
  ms = info ? info->dwProductVersionMS : 0;
  ls = info ? info->dwProductVersionLS : 0;
}

void DLLUtils::FormatVersion(char* out, unsigned long ms, unsigned long ls) {
  int n = sprintf(out, "%d.%d", int(ms >> 16), int(ms & 0xFFFF));
  if (ls > 0xFFFF || (ls & 0xFFFF) != 0) n += sprintf(out + n, ".%d", int(ls >> 16));
  if ((ls & 0xFFFF) != 0) sprintf(out + n, ".%d", int(ls & 0xFFFF));
}

void DLLUtils::ModuleAttached(void* module) {
  char path[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(static_cast<HMODULE>(module), path, MAX_PATH);
  if (n && n <= MAX_PATH) {
    path[n] = '\0';
    DLLAttached(path);
  }
}

int ovutilAttached(void* module) {
  DLLUtils::module_ = module;
  DLLUtils::ModuleAttached(module);
  return 1;
}

// ovutil.dll's own entry point: the library registers itself like every other.
extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) ovutilAttached(instance);
  return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return DllEntryPoint(instance, reason, reserved);
}
