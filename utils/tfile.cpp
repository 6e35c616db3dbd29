// Files through the run-time library's handles.
#include "utils/tfile.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstring>

namespace {

// Stamps keep the DOS resolution (two seconds) and range (local years 1980..2107). The
// conversion to and from GMT goes through TTime, so that the run-time's zone is the one
// zone in use, whatever the system's own zone setting says.
TTime toStamp(const TTime& t) {
  if (!t.IsValid()) return t;
  unsigned year = TDate(t).Year();
  if (year < 1980 || year > 2107) return TTime::FromSeconds(0);
  return TTime::FromSeconds(t.Seconds() & ~1u);
}

TTime fromFileTime(const FILETIME& utc) { return toStamp(TTime::FromFileTime(utc)); }

}  // namespace

TFile::~TFile() {
  if (closeOnDelete_) Close();
}

bool TFile::Open(const char* name, unsigned mode, unsigned permission) {
  if (IsOpen() || !name) return false;
  handle_ = _sopen(name, int(mode & ~kShareMask), int(mode & kShareMask), int(permission));
  return handle_ != -1;
}

bool TFile::Close() {
  if (!IsOpen()) return false;
  int r = _close(handle_);
  handle_ = -1;
  return r == 0;
}

int32_t TFile::Read(void* buffer, uint32_t count) {
  if (!IsOpen() || (!buffer && count)) return -1;
  return _read(handle_, buffer, count);
}

int32_t TFile::Write(const void* buffer, uint32_t count) {
  if (!IsOpen() || (!buffer && count)) return -1;
  return _write(handle_, buffer, count);
}

int32_t TFile::Seek(int32_t offset, int origin) {
  if (!IsOpen() || origin < 0 || origin > 2) return -1;
  return _lseek(handle_, offset, origin);
}

int32_t TFile::Position() const { return IsOpen() ? _tell(handle_) : -1; }

int32_t TFile::Length() const { return IsOpen() ? _filelength(handle_) : -1; }

bool TFile::GetStatus(TFileStatus& st) const {
  if (!IsOpen()) return false;
  HANDLE h = HANDLE(_get_osfhandle(handle_));
  FILETIME written;
  if (h == INVALID_HANDLE_VALUE || !GetFileTime(h, nullptr, nullptr, &written)) return false;
  st.createTime = st.modifyTime = st.accessTime = fromFileTime(written);
  st.size = Length();
  st.attribute = 0;
  st.fullName[0] = 0;
  return st.size >= 0;
}

bool TFile::GetStatus(const char* name, TFileStatus& st) {
  st.fullName[0] = 0;
  if (!name || !_fullpath(st.fullName, name, sizeof st.fullName)) {
    st.fullName[0] = 0;
    return false;
  }
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA(st.fullName, &fd);
  if (f == INVALID_HANDLE_VALUE) return false;
  FindClose(f);
  st.createTime = fromFileTime(fd.ftCreationTime);
  st.modifyTime = fromFileTime(fd.ftLastWriteTime);
  st.accessTime = fromFileTime(fd.ftLastAccessTime);
  st.size = fd.nFileSizeHigh || fd.nFileSizeLow > 0x7FFFFFFFu ? -1 : int32_t(fd.nFileSizeLow);
  st.attribute = uint8_t(fd.dwFileAttributes);
  return true;
}

bool TFile::SetStatus(const char* name, const TFileStatus& st) {
  if (!name) return false;
  DWORD attrs = GetFileAttributesA(name);
  if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_READONLY)) return false;
  TTime stamp = toStamp(st.modifyTime);
  if (!stamp.IsValid() || st.size < 0) return false;
  TFile f;
  if (!f.Open(name, _O_RDWR | _O_BINARY | _SH_DENYWR, _S_IREAD | _S_IWRITE)) return false;
  // The size first: changing it afterwards would move the modification time again.
  bool sized = _chsize(f.handle_, st.size) == 0;
  FILETIME utc = stamp.ToFileTime();
  HANDLE h = HANDLE(_get_osfhandle(f.handle_));
  bool stamped = SetFileTime(h, nullptr, nullptr, &utc) != 0;
  bool closed = f.Close();
  DWORD attr = st.attribute ? DWORD(st.attribute) : FILE_ATTRIBUTE_NORMAL;
  bool attributed = SetFileAttributesA(name, attr) != 0;
  return stamped && sized && closed && attributed;
}
