// ANSI <-> UTF-16 conversion into callers' buffers.
#include <windows.h>

#include <vector>

#include "oclassert.h"
#include "olecls/ocl.h"

int str2wide_sz(const char* s) {
  return MultiByteToWideChar(CP_ACP, 0, s ? s : "", -1, nullptr, 0);
}

int wide2str_sz(const wchar_t* s) {
  return WideCharToMultiByte(CP_ACP, 0, s ? s : L"", -1, nullptr, 0, nullptr, nullptr);
}

int str2wide(const char* s, wchar_t* buf, int size) {
  oclAssert(buf != nullptr, "widebuf", "IOI", 21);
  oclAssert(size > 0, "widebufsz", "IOI", 22);
  if (!s) s = "";
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, buf, size);
  if (n > 0) return n;
  // Too long for the buffer: keep the beginning.
  std::vector<wchar_t> whole(str2wide_sz(s));
  MultiByteToWideChar(CP_ACP, 0, s, -1, whole.data(), int(whole.size()));
  memcpy(buf, whole.data(), (size - 1) * sizeof(wchar_t));
  buf[size - 1] = L'\0';
  return size;
}

int wide2str(const wchar_t* s, char* buf, int size) {
  oclAssert(buf != nullptr, "strbuf", "IOI", 31);
  oclAssert(size > 0, "strbufsz", "IOI", 32);
  if (!s) s = L"";
  int n = WideCharToMultiByte(CP_ACP, 0, s, -1, buf, size, nullptr, nullptr);
  if (n > 0) return n;
  std::vector<char> whole(wide2str_sz(s));
  WideCharToMultiByte(CP_ACP, 0, s, -1, whole.data(), int(whole.size()), nullptr, nullptr);
  memcpy(buf, whole.data(), size - 1);
  buf[size - 1] = '\0';
  return size;
}
