// bos files: open (with temporary names and the "PATH" search), read, write, seek,
// close, delete, rename, attributes and region locks, over the run-time library's
// low-level handles.
#include "dbutil/jxbos.h"

#include "dbutil/jxerror.h"
#include "dbutil/utl_messages.h"

#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

namespace {

JxError* errorWithName(unsigned short number, const char* name) {
  return &(*utlErrorById(number) << (name ? name : ""));
}

// Handle 0 means "no file" to the callers: a file that lands on 0 moves elsewhere.
int notZero(int fd) {
  if (fd != 0) return fd;
  int moved = _dup(0);
  _close(0);
  return moved;
}

// Makes a unique "jx" temporary file name in dir (which ends with a backslash), full
// and upper-case, into name.
bool tempNameIn(const char* dir, char* name) {
  char made[MAX_PATH];
  if (!GetTempFileNameA(dir, "jx", 0, made)) return false;
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(made, sizeof full, full, nullptr);
  if (n == 0 || n >= BOS_NAME_SIZE) {
    DeleteFileA(made);
    return false;
  }
  CharUpperBuffA(full, n);
  memcpy(name, full, n + 1);
  return true;
}

bool makeTempName(char* name, bool otherDrive) {
  char dir[MAX_PATH];
  DWORD n = GetTempPathA(sizeof dir, dir);
  if (n == 0 || n >= sizeof dir) return false;
  if (otherDrive) {
    char tempDrive = (dir[0] >= 'a' && dir[0] <= 'z') ? static_cast<char>(dir[0] - 32) : dir[0];
    for (char d = 'C'; d <= 'H'; ++d) {
      if (d == tempDrive) continue;
      char root[4] = {d, ':', '\\', 0};
      if (GetDriveTypeA(root) == DRIVE_FIXED && tempNameIn(root, name)) return true;
    }
  }
  return tempNameIn(dir, name);
}

int openOnce(const char* name, unsigned flags) {
  int share = (flags & BOS_EXCLUSIVE) ? _SH_DENYRW : _SH_DENYNO;
  if (flags & BOS_CREATE)
    return _sopen(name, _O_CREAT | _O_TRUNC | _O_RDWR | _O_BINARY, _SH_DENYNO, _S_IREAD | _S_IWRITE);
  int mode = (flags & BOS_READWRITE) ? _O_RDWR : _O_RDONLY;
  return _sopen(name, mode | _O_BINARY, share);
}

// Tries name in each directory of "PATH".
int openOnPath(const char* name, unsigned flags) {
  const char* path = bosGetEnv("PATH");
  if (!path) return -1;
  while (*path) {
    const char* end = strchr(path, ';');
    size_t len = end ? static_cast<size_t>(end - path) : strlen(path);
    char full[MAX_PATH];
    if (len > 0 && len + strlen(name) + 2 < sizeof full) {
      memcpy(full, path, len);
      if (full[len - 1] != '\\') full[len++] = '\\';
      strcpy(full + len, name);
      int fd = openOnce(full, flags);
      if (fd != -1) return fd;
    }
    if (!end) break;
    path = end + 1;
  }
  return -1;
}

bool seekTo(int handle, uint32_t offset) {
  if (offset == BOS_CURRENT) return true;
  if (_lseeki64(handle, static_cast<__int64>(offset), SEEK_SET) >= 0) return true;
  bosRunTimeError(errno, nullptr);
  return false;
}

}  // namespace

JxError* bosRunTimeError(int runTimeError, const char* name) {
  unsigned short number;
  switch (runTimeError) {
    case 2:
      number = MSG_FILE_NOT_FOUND;
      break;
    case 9:
      number = MSG_INVALID_HANDLE;
      break;
    case 12:
      number = MSG_NO_MEMORY_FOR_COMMAND;
      break;
    case 13:
      number = MSG_ACCESS_DENIED;
      break;
    case 24:
      number = MSG_TOO_MANY_FILES;
      break;
    case 36:
      number = MSG_REGION_LOCKED;
      break;
    default:
      number = MSG_FILE_IO;
      break;
  }
  return errorWithName(number, name);
}

JxStatus bosFileOpen(char* name, unsigned flags, int* handle) {
  *handle = 0;
  if (flags & (BOS_TEMP_NAME | BOS_TEMP_OTHER_DRIVE)) {
    if (!makeTempName(name, (flags & BOS_TEMP_OTHER_DRIVE) != 0)) {
      errorWithName(MSG_CANNOT_CREATE_FILE, "jx");
      return 1;
    }
  }
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  int fd = openOnce(name, flags);
  if (fd == -1 && (flags & BOS_SEARCH_PATH)) fd = openOnPath(name, flags);
  SetErrorMode(oldMode);
  if (fd == -1) {
    errorWithName((flags & BOS_CREATE) ? MSG_CANNOT_CREATE_FILE : MSG_CANNOT_OPEN_FILE, name);
    return 1;
  }
  *handle = notZero(fd);
  return 0;
}

JxStatus bosFileRead(int handle, uint32_t offset, void* buffer, uint32_t length, unsigned long* read) {
  *read = 0;
  if (!seekTo(handle, offset)) return 1;
  char* at = static_cast<char*>(buffer);
  while (length > 0) {
    unsigned piece = length > 65534 ? 65534 : length;
    int n = _read(handle, at, piece);
    if (n < 0) {
      bosRunTimeError(errno, nullptr);
      return 1;
    }
    if (n == 0) break;
    *read += static_cast<unsigned long>(n);
    at += n;
    length -= static_cast<uint32_t>(n);
  }
  return 0;
}

JxStatus bosFileWrite(int handle, uint32_t offset, const void* data, uint32_t length) {
  if (!seekTo(handle, offset)) return 1;
  const char* at = static_cast<const char*>(data);
  while (length > 0) {
    unsigned piece = length > 65534 ? 65534 : length;
    int n = _write(handle, at, piece);
    if (n < 0) {
      bosRunTimeError(errno, nullptr);
      return 1;
    }
    if (static_cast<unsigned>(n) < piece) {
      utlErrorById(n == 0 ? MSG_DISK_FULL : MSG_FILE_IO);
      return 1;
    }
    at += n;
    length -= piece;
  }
  return 0;
}

uint32_t bosFileSeek(int handle, uint32_t offset, int origin) {
  __int64 pos = _lseeki64(
      handle,
      origin == SEEK_SET ? static_cast<__int64>(offset) : static_cast<__int64>(static_cast<int32_t>(offset)),
      origin);
  if (pos < 0) {
    bosRunTimeError(errno, nullptr);
    return 0xFFFFFFFFu;
  }
  return static_cast<uint32_t>(pos);
}

void bosFileClose(int handle) {
  if (handle) _close(handle);
}

JxStatus bosFileDelete(const char* name) {
  if (DeleteFileA(name)) return 0;
  DWORD e = GetLastError();
  if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return 0;
  errorWithName(MSG_CANNOT_DELETE_FILE, name);
  return 1;
}

JxStatus bosrname(const char* oldName, const char* newName) {
  if (MoveFileA(oldName, newName)) return 0;
  *utlErrorById(MSG_CANNOT_RENAME) << oldName << newName;
  return 1;
}

short bosfattr(const char* name) {
  size_t n = strlen(name);
  if (strcmp(name, "..") == 0 || (n >= 2 && strcmp(name + n - 2, "\\..") == 0)) return 2;
  if (n == 3 && name[1] == ':' && name[2] == '\\') {
    char d = static_cast<char>(name[0] & ~0x20);
    if (d != 'A' && d != 'B') return 2;
  }
  DWORD a = GetFileAttributesA(name);
  if (a == INVALID_FILE_ATTRIBUTES) return 0;
  if (a & FILE_ATTRIBUTE_DIRECTORY) return 2;
  return (a & FILE_ATTRIBUTE_READONLY) ? 5 : 1;
}

short bosexist(const char* name) { return bosfattr(name) == 1 || bosfattr(name) == 5 ? 1 : 0; }

short bosftest(const char* name) {
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HANDLE h = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  SetErrorMode(oldMode);
  if (h == INVALID_HANDLE_VALUE) return 0;
  CloseHandle(h);
  return 1;
}

JxStatus bosRegionLock(int handle, short unlock, uint32_t offset, uint32_t length) {
  if (!handle) return 0;
  if (!seekTo(handle, offset)) return 1;
  HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(handle));
  if (h == INVALID_HANDLE_VALUE) {
    bosRunTimeError(EBADF, nullptr);
    return 1;
  }
  BOOL ok = unlock ? UnlockFile(h, offset, 0, length, 0) : LockFile(h, offset, 0, length, 0);
  if (ok) return 0;
  DWORD e = GetLastError();
  bosRunTimeError(e == ERROR_LOCK_VIOLATION || e == ERROR_ACCESS_DENIED ? 36 : EIO, nullptr);
  return 1;
}

void bosupdir(int handle) {
  if (handle) _commit(handle);
}

void bosflush() {}
