// The log file "orvanel.log" beside the running program's executable.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "utils/filetime.h"
#include "utils/orvanellog.h"

bool OrvanelLogPath(char* buffer, unsigned size) {
  char exe[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
  if (n == 0 || n >= sizeof exe) return false;
  char full[MAX_PATH + 1];
  char* filePart = nullptr;
  DWORD len = GetFullPathNameA(exe, sizeof full, full, &filePart);
  if (len == 0 || len > MAX_PATH || !filePart || filePart - full > 248) return false;
  static const char kName[] = "orvanel.log";
  if (size_t(filePart - full) + sizeof kName > size) return false;
  std::memcpy(buffer, full, filePart - full);
  std::memcpy(buffer + (filePart - full), kName, sizeof kName);
  return true;
}

void OrvanelLog(const char* text) {
  char path[MAX_PATH + 1];
  if (!OrvanelLogPath(path, sizeof path)) return;
  FILE* f = std::fopen(path, "at");
  if (!f) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  std::fprintf(f, "%s %s\n", FormatFileTimeAbsolute(now), text ? text : "");
  std::fclose(f);
}
