// bos paths: splitting, building, making full and relative, the current directory.
// Full paths come back upper-case (callers compare paths that way); the file system
// itself always gets the caller's own spelling.
#include "dbutil/jxbos.h"

#include "dbutil/jxerror.h"
#include "dbutil/utl_messages.h"

#include <windows.h>

#include <ctype.h>
#include <string.h>

namespace {

const size_t FULL_MAX = 254;  // characters of a full path

bool isSlash(char c) { return c == '\\' || c == '/'; }

void upper(char* s) { CharUpperBuffA(s, static_cast<DWORD>(strlen(s))); }

void copyCut(char* out, const char* text, size_t max) {
  size_t n = strlen(text);
  if (n > max) n = max;
  memmove(out, text, n);
  out[n] = 0;
}

// Each "\..\" takes itself and the directory before it out.
void dropParentSteps(char* path) {
  for (;;) {
    char* up = strstr(path, "\\..\\");
    if (!up) return;
    char* start = up;
    while (start > path && !isSlash(start[-1]) && start[-1] != ':') --start;
    if (start == up) {
      memmove(up, up + 3, strlen(up + 3) + 1);  // at the root: nothing to remove
      continue;
    }
    memmove(start, up + 4, strlen(up + 4) + 1);
  }
}

// Start of the file part: after the last backslash or the drive's colon.
const char* filePart(const char* path) {
  const char* part = path;
  for (const char* p = path; *p; ++p)
    if (isSlash(*p) || *p == ':') part = p + 1;
  return part;
}

}  // namespace

void bospname(char* path, char* name, char* ext) {
  char* part = const_cast<char*>(filePart(path));
  const char* dot = strchr(part, '.');
  size_t nameLen = dot ? static_cast<size_t>(dot - part) : strlen(part);
  if (nameLen > 8) nameLen = 8;
  memcpy(name, part, nameLen);
  name[nameLen] = 0;
  ext[0] = 0;
  if (dot) copyCut(ext, dot + 1, 3);
  *part = 0;
}

void bospath(char* out, const char* directory, const char* name, const char* ext) {
  char work[BOS_NAME_SIZE];
  copyCut(work, name, BOS_NAME_SIZE - 1);
  size_t n = strlen(work);
  while (n > 0 && isspace(static_cast<unsigned char>(work[n - 1]))) work[--n] = 0;
  if (n > 0 && work[n - 1] == '.' && !(n >= 2 && work[n - 2] == '.')) work[--n] = 0;
  bool hasDirectory = strchr(work, '\\') || strchr(work, '/') || strchr(work, ':');
  out[0] = 0;
  if (!hasDirectory && directory && *directory) {
    copyCut(out, directory, BOS_NAME_SIZE - 2);
    size_t d = strlen(out);
    if (!isSlash(out[d - 1]) && out[d - 1] != ':') strcpy(out + d, "\\");
  }
  size_t used = strlen(out);
  copyCut(out + used, work, BOS_NAME_SIZE - 1 - used);
  if (ext && *ext && !strchr(filePart(out), '.')) {
    used = strlen(out);
    if (used + 1 + strlen(ext) < BOS_NAME_SIZE) {
      out[used] = '.';
      strcpy(out + used + 1, ext);
    }
  }
  bosfpath(out);
}

void bosfpath(char* path) {
  bool unc = isSlash(path[0]) && isSlash(path[1]);
  const char* colon = strchr(path, ':');
  if (unc || (colon && colon != path + 1)) {
    upper(path);
    return;
  }
  char full[2 * BOS_NAME_SIZE];
  if (colon && isSlash(path[2])) {
    copyCut(full, path, FULL_MAX);
  } else {
    char base[MAX_PATH];
    DWORD got;
    if (colon) {
      char drive[3] = {path[0], ':', 0};  // that drive's current directory
      got = GetFullPathNameA(drive, sizeof base, base, nullptr);
    } else {
      got = GetCurrentDirectoryA(sizeof base, base);
    }
    if (got == 0 || got >= sizeof base) {
      upper(path);
      return;
    }
    const char* rest = colon ? path + 2 : path;
    if (!colon && isSlash(rest[0])) {
      base[2] = 0;  // keeps only the drive
    } else {
      size_t b = strlen(base);
      if (b > 0 && !isSlash(base[b - 1])) strcpy(base + b, "\\");
    }
    size_t b = strlen(base);
    memcpy(full, base, b);
    copyCut(full + b, rest, sizeof full - 1 - b);
    full[FULL_MAX] = 0;
  }
  dropParentSteps(full);
  upper(full);
  strcpy(path, full);
}

void bosmpath(char* path) {
  char cwd[BOS_NAME_SIZE];
  if (bosgtcwd(cwd, 1)) return;
  size_t c = strlen(cwd);
  // Only a cut that keeps the path's meaning: the whole current directory, else the
  // drive of the current directory (the rest then starts at that drive's root).
  if (strlen(path) >= c && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, path, static_cast<int>(c),
                                          cwd, static_cast<int>(c)) == CSTR_EQUAL) {
    memmove(path, path + c, strlen(path + c) + 1);
  } else if (path[0] && path[1] == ':' && isSlash(path[2]) && (path[0] & ~0x20) == (cwd[0] & ~0x20)) {
    memmove(path, path + 2, strlen(path + 2) + 1);
  }
}

JxStatus bosgtcwd(char* buffer, short withSlash) {
  DWORD n = GetCurrentDirectoryA(BOS_NAME_SIZE - 1, buffer);
  if (n == 0 || n >= BOS_NAME_SIZE - 1) {
    buffer[0] = 0;
    utlErrorById(MSG_FILE_IO);
    return 1;
  }
  if (withSlash && !isSlash(buffer[n - 1])) strcpy(buffer + n, "\\");
  return 0;
}

JxStatus bosstcwd(const char* path) {
  if (!path || !*path) return 0;
  if (SetCurrentDirectoryA(path)) return 0;
  *utlErrorById(MSG_CANNOT_SET_DIRECTORY) << path;
  return 1;
}
