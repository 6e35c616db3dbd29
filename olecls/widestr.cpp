// ANSI <-> UTF-16 conversion into callers' buffers.
#include <windows.h>

#include <vector>

#include "oclassert.h"
#include "olecls/ocl.h"

// A text that does not convert still needs room for its terminator: never 0.
int str2wide_sz(const char* s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s ? s : "", -1, nullptr, 0);
  return n > 0 ? n : 1;
}

int wide2str_sz(const wchar_t* s) {
  int n = WideCharToMultiByte(CP_ACP, 0, s ? s : L"", -1, nullptr, 0, nullptr, nullptr);
  return n > 0 ? n : 1;
}

int str2wide(const char* s, wchar_t* buf, int size) {
  oclAssert(buf != nullptr, "widebuf", "IOI", 21);
  oclAssert(size > 0, "widebufsz", "IOI", 22);
  if (!s) s = "";
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, buf, size);
  if (n > 0) return n;
  // Too long for the buffer: keep the beginning. A text that does not convert at all
  // comes out empty.
  std::vector<wchar_t> whole(str2wide_sz(s));
  int got = MultiByteToWideChar(CP_ACP, 0, s, -1, whole.data(), int(whole.size()));
  if (got <= 0) {
    buf[0] = L'\0';
    return 1;
  }
  int keep = got - 1 < size - 1 ? got - 1 : size - 1;
  memcpy(buf, whole.data(), keep * sizeof(wchar_t));
  buf[keep] = L'\0';
  return keep + 1;
}

int wide2str(const wchar_t* s, char* buf, int size) {
  oclAssert(buf != nullptr, "strbuf", "IOI", 31);
  oclAssert(size > 0, "strbufsz", "IOI", 32);
  if (!s) s = L"";
  int n = WideCharToMultiByte(CP_ACP, 0, s, -1, buf, size, nullptr, nullptr);
  if (n > 0) return n;
  std::vector<char> whole(wide2str_sz(s));
  int got = WideCharToMultiByte(CP_ACP, 0, s, -1, whole.data(), int(whole.size()), nullptr, nullptr);
  if (got <= 0) {
    buf[0] = '\0';
    return 1;
  }
  int keep = got - 1 < size - 1 ? got - 1 : size - 1;
  memcpy(buf, whole.data(), keep);
  buf[keep] = '\0';
  return keep + 1;
}
