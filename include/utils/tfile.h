// A file handle of the run-time library (int, -1 when closed) with status get and set.
// Time stamps travel as DOS date and time stamps: local time, two-second resolution,
// years from 1980.
#pragma once

#include <cstdint>

#include "utils/ovutil_api.h"
#include "utils/ttime.h"

// Fixed widths in both builds.
struct TFileStatus {
  TTime createTime;
  TTime modifyTime;
  TTime accessTime;
  int32_t size;
  uint8_t attribute;
  char fullName[260];
};

class OVUTIL_API TFile {
 public:
  // The sharing bits of an Open mode; the others are the run-time's access flags.
  enum : unsigned { kShareMask = 0x00F0 };

  TFile() : closeOnDelete_(true), handle_(-1) {}
  // Takes over a handle; closeOnDelete says whether the destructor closes it.
  TFile(int handle, bool closeOnDelete) : closeOnDelete_(closeOnDelete), handle_(handle) {}
  ~TFile();
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  // Only when closed. permission is for a file the call creates (read and write bits).
  bool Open(const char* name, unsigned mode, unsigned permission);
  bool Close();  // true when it closed an open handle
  bool IsOpen() const { return handle_ != -1; }
  int Handle() const { return handle_; }

  // Bytes moved, or -1 on failure (and when closed).
  int32_t Read(void* buffer, uint32_t count);
  int32_t Write(const void* buffer, uint32_t count);
  // The new position, or -1. origin: 0 from the start, 1 from here, 2 from the end.
  int32_t Seek(int32_t offset, int origin);
  int32_t Position() const;
  int32_t Length() const;  // -1 when closed

  // The open file's stamp (as all three times), its length; attribute 0, empty name.
  bool GetStatus(TFileStatus& status) const;
  static bool GetStatus(const char* name, TFileStatus& status);
  // Stamps the modification time, sets the size and the attribute; false when the file
  // is read-only or any step fails.
  static bool SetStatus(const char* name, const TFileStatus& status);

 private:
  bool closeOnDelete_;
  int handle_;
};
