// The bos layer: the database library's only road to files, paths, the environment,
// libraries and the clock. File names travel in the ANSI code page exactly as the
// caller gave them. Failures become errors on the calling thread's list and a
// JxStatus of 1.
//
// File handles are the run-time library's low-level (binary) handles; 0 means "no file".
// Offsets are 32-bit and unsigned: the files behind the temporary store reach 4 GiB.
#pragma once

#include "dbutil/jxtypes.h"
#include "dbutil/jxutl04_api.h"

class JxError;

// Flags of bosFileOpen.
enum BosOpenFlags {
  BOS_CREATE = 0x01,           // create or truncate; read/write, shared
  BOS_READWRITE = 0x02,        // open for reading and writing (else read-only)
  BOS_SEARCH_PATH = 0x10,      // on failure try each directory of "PATH"
  BOS_EXCLUSIVE = 0x20,        // deny others reading and writing
  BOS_TEMP_NAME = 0x40,        // first make a "jx" temporary name in the temp directory
  BOS_TEMP_OTHER_DRIVE = 0x80  // as 0x40, on another fixed drive C..H when there is one
};

// bosFileRead/bosFileWrite offset meaning "at the current position".
const uint32_t BOS_CURRENT = 0xFFFFFFFFu;
// Room a caller gives for names that bos functions write (temporary names, paths).
const uint32_t BOS_NAME_SIZE = 260;

struct os_time {
  uint16_t day, month, year, hour, minute, second, millisecond;
};

// Files (bos_file.cpp). name of bosFileOpen must have BOS_NAME_SIZE bytes of room when a
// temporary name is asked for.
JXUTL04_API JxStatus bosFileOpen(char* name, unsigned flags, int* handle);
JXUTL04_API JxStatus bosFileRead(int handle, uint32_t offset, void* buffer, uint32_t length,
                                 unsigned long* read);
JXUTL04_API JxStatus bosFileWrite(int handle, uint32_t offset, const void* data, uint32_t length);
// The new position; 0xFFFFFFFF (with the error added) on failure. origin as lseek's.
JXUTL04_API uint32_t bosFileSeek(int handle, uint32_t offset, int origin);
JXUTL04_API void bosFileClose(int handle);
JXUTL04_API JxStatus bosFileDelete(const char* name);
JXUTL04_API JxStatus bosrname(const char* oldName, const char* newName);
// 0 absent, 1 file, 5 read-only file, 2 directory.
JXUTL04_API short bosfattr(const char* name);
JXUTL04_API short bosexist(const char* name);
// 1 when name is an existing file that can be opened for reading; adds no error.
JXUTL04_API short bosftest(const char* name);
JXUTL04_API JxStatus bosRegionLock(int handle, short unlock, uint32_t offset, uint32_t length);
// Flushes a file's buffers to the disk.
JXUTL04_API void bosupdir(int handle);
JXUTL04_API void bosflush();
// Adds the message for a run-time error number (errno), the name filling "%s1".
JXUTL04_API JxError* bosRunTimeError(int runTimeError, const char* name);

// Paths (bos_path.cpp). Path buffers hold BOS_NAME_SIZE bytes.
// name gets at most 8 characters (9 bytes), ext at most 3 (4 bytes).
JXUTL04_API void bospname(char* path, char* name, char* ext);
JXUTL04_API void bospath(char* out, const char* directory, const char* name, const char* ext);
JXUTL04_API void bosfpath(char* path);
JXUTL04_API void bosmpath(char* path);
JXUTL04_API JxStatus bosgtcwd(char* buffer, short withSlash);
JXUTL04_API JxStatus bosstcwd(const char* path);

// Text, environment, libraries, listings, keyboard and clock (bos_system.cpp).
// One line of text into line (max characters plus terminator); result and answer:
// the length, -1 at the end, -2 when the line was cut at max.
JXUTL04_API short bosgetbl(const char* text, uint32_t* pos, char* line, uint32_t max, short* result);
// The value of the environment variable (the whole name, any case), or null. The text
// stays valid for the life of the process.
JXUTL04_API const char* bosGetEnv(const char* name);
// base, "04" and ".DLL" from the folder of this library's own file; null when the file
// does not exist or loading fails.
JXUTL04_API void* bosLoadLibrary(const char* base);
// The same without the "04": base and ".DLL" (an outside library named as it ships).
JXUTL04_API void* bosLoadLibraryPlain(const char* base);
JXUTL04_API char* bosdllname(char* name);
// Listings: name/out holds the pattern on the first call (null cursor); each call
// writes the next name; at the end the cursor becomes null and the text empty.
JXUTL04_API JxStatus bosFindFiles(void** cursor, char* name);
JXUTL04_API JxStatus bosGetDirectoryNames(void** cursor, char* out);
JXUTL04_API JxStatus bosGetFileSystems(void** cursor, char* out);
JXUTL04_API short bosabort();
JXUTL04_API void bossleep(unsigned short ms);
JXUTL04_API void bosdate(os_time* t);
JXUTL04_API void bostskid(unsigned long* id);

class JXUTL04_API JxTime {
 public:
  // "hh:mm:ss.cc" of the system time, without terminator; answers 11.
  static int getCurrentTimeStamp(char* buffer);
};
