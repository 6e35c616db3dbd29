// FILETIME arithmetic and formats.
#include <cstdio>

#include "utils/filetime.h"

namespace {

char g_text[40];  // shared by both formatters, as callers expect

unsigned long long toU64(const FILETIME& t) {
  return (unsigned long long)t.dwHighDateTime << 32 | t.dwLowDateTime;
}

void fromU64(unsigned long long v, FILETIME& out) {
  out.dwLowDateTime = DWORD(v);
  out.dwHighDateTime = DWORD(v >> 32);
}

}  // namespace

void SubtractFileTime(const FILETIME& a, const FILETIME& b, FILETIME& out) {
  fromU64(toU64(a) - toU64(b), out);
}

void AddFileTime(const FILETIME& a, const FILETIME& b, FILETIME& out) { fromU64(toU64(a) + toU64(b), out); }

const char* FormatFileTimeAbsolute(const FILETIME& t) {
  g_text[0] = 0;
  FILETIME local;
  SYSTEMTIME st;
  if (toU64(t) == 0 || !FileTimeToLocalFileTime(&t, &local) || !FileTimeToSystemTime(&local, &st))
    return g_text;
  std::snprintf(g_text, sizeof g_text, "%02d:%02d:%02d.%03d %02d/%02d/%4d", st.wHour, st.wMinute, st.wSecond,
                st.wMilliseconds, st.wMonth, st.wDay, st.wYear);
  return g_text;
}

const char* FormatFileTimeDuration(const FILETIME& t) {
  g_text[0] = 0;
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&t, &st)) return g_text;
  std::snprintf(g_text, sizeof g_text, "%02d:%02d:%02d.%03d", st.wHour, st.wMinute, st.wSecond,
                st.wMilliseconds);
  return g_text;
}
