// The bos layer's files, environment, libraries and listings, on the DLL.
#include "dbutil/jxbos.h"
#include "scoped_list.h"
#include "testkit/testkit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

std::string lastText() {
  JxError* e = JxErrorKeeper::getLastError();
  return e ? e->getText() : "";
}

std::string upper(std::string s) {
  CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

TEST(BosFile, RunTimeErrorsBecomeMessages) {
  struct Case {
    int error;
    const char* name;
    unsigned short number;
    const char* text;
  } cases[] = {
      {2, "a.txt", 1509, "File not found 'a.txt'."},
      {9, "a.txt", 1507, "Invalid file handle."},
      {12, nullptr, 1503, "Not enough memory for this command."},
      {13, "b.dat", 1508, "Access to file denied 'b.dat'."},
      {24, nullptr, 30045, "The maximum number of files are already open."},
      {36, nullptr, 1512, "Whole or part of the region has already been locked."},
      {5, "c", 30041, "Error on input or output to a file."},
      {2, nullptr, 1509, "File not found ''."},
  };
  for (const Case& c : cases) {
    ScopedErrorList scope;
    bosRunTimeError(c.error, c.name);
    EXPECT_EQ(scope.lastNumber(), c.number) << c.error;
    EXPECT_EQ(lastText(), c.text) << c.error;
  }
}

TEST(BosFile, CreateWriteReadDelete) {
  ScopedErrorList scope;
  testkit::TestDataDir dir("bosfile");
  std::string name = dir.File("data.bin");
  char buf[BOS_NAME_SIZE];
  strcpy(buf, name.c_str());
  int h = 0;
  ASSERT_EQ(bosFileOpen(buf, BOS_CREATE, &h), 0);
  ASSERT_NE(h, 0);
  EXPECT_EQ(bosFileWrite(h, 0, "hello", 5), 0);
  EXPECT_EQ(bosFileWrite(h, BOS_CURRENT, " world", 6), 0);  // appends at the position
  EXPECT_EQ(bosFileWrite(h, 20, "x", 1), 0);
  EXPECT_EQ(bosFileSeek(h, 0, SEEK_END), 21u);
  char got[32] = {};
  unsigned long n = 0;
  EXPECT_EQ(bosFileRead(h, 6, got, 100, &n), 0);
  EXPECT_EQ(n, 15u);
  EXPECT_EQ(std::string(got, 5), "world");
  EXPECT_EQ(bosFileRead(h, 21, got, 10, &n), 0);
  EXPECT_EQ(n, 0u);  // at the end
  bosupdir(h);
  bosFileClose(h);
  bosFileClose(0);  // no file: ignored

  struct Attr {
    std::string name;
    short attr, exist, test;
  } attrs[] = {
      {name, 1, 1, 1}, {dir.Path(), 2, 0, 0}, {dir.File("missing"), 0, 0, 0},
      {"..", 2, 0, 0}, {"C:\\", 2, 0, 0},
  };
  for (const Attr& a : attrs) {
    EXPECT_EQ(bosfattr(a.name.c_str()), a.attr) << a.name;
    EXPECT_EQ(bosexist(a.name.c_str()), a.exist) << a.name;
    EXPECT_EQ(bosftest(a.name.c_str()), a.test) << a.name;
  }
  SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(bosfattr(name.c_str()), 5);
  EXPECT_EQ(bosexist(name.c_str()), 1);
  SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);

  std::string renamed = dir.File("renamed.bin");
  EXPECT_EQ(bosrname(name.c_str(), renamed.c_str()), 0);
  EXPECT_EQ(bosrname(name.c_str(), renamed.c_str()), 1);
  EXPECT_EQ(scope.lastNumber(), 30042);
  EXPECT_EQ(lastText(), "Cannot rename '" + name + "' to '" + renamed + "'.");
  JxErrorKeeper::clearLastError();

  EXPECT_EQ(bosFileDelete(renamed.c_str()), 0);
  EXPECT_EQ(bosexist(renamed.c_str()), 0);
  EXPECT_EQ(bosFileDelete(renamed.c_str()), 0);  // missing: deleted, no error
  EXPECT_EQ(scope.list.getCount(), 0u);

  strcpy(buf, dir.File("missing.txt").c_str());
  EXPECT_EQ(bosFileOpen(buf, BOS_READWRITE, &h), 1);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(scope.lastNumber(), 30040);
  EXPECT_EQ(lastText(), "Cannot open file '" + dir.File("missing.txt") + "'.");
  JxErrorKeeper::clearLastError();
  strcpy(buf, dir.File("no\\such\\dir\\f.txt").c_str());
  EXPECT_EQ(bosFileOpen(buf, BOS_CREATE, &h), 1);
  EXPECT_EQ(scope.lastNumber(), 1501);
}

TEST(BosFile, TemporaryNames) {
  ScopedErrorList scope;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string tempDir = upper(temp);
  // 0x80 goes to the root of another fixed drive C..H when there is one.
  std::string otherRoot;
  for (char d = 'C'; d <= 'H' && otherRoot.empty(); ++d) {
    char root[4] = {d, ':', '\\', 0};
    if (d != tempDir[0] && GetDriveTypeA(root) == DRIVE_FIXED) otherRoot = root;
  }
  struct Case {
    unsigned flag;
    std::string dir;
  } cases[] = {{BOS_TEMP_NAME, tempDir}, {BOS_TEMP_OTHER_DRIVE, otherRoot.empty() ? tempDir : otherRoot}};
  for (const Case& c : cases) {
    char name[BOS_NAME_SIZE] = "ignored";
    int h = 0;
    ASSERT_EQ(bosFileOpen(name, BOS_CREATE | c.flag, &h), 0);
    std::string got = name;
    EXPECT_EQ(got, upper(got));
    EXPECT_EQ(got.substr(0, c.dir.size()), c.dir) << got;
    EXPECT_EQ(got.substr(c.dir.size(), 2), "JX") << got;
    EXPECT_EQ(got.find('\\', c.dir.size()), std::string::npos);
    EXPECT_EQ(bosFileWrite(h, 0, "x", 1), 0);
    bosFileClose(h);
    EXPECT_EQ(bosexist(name), 1);
    EXPECT_EQ(bosFileDelete(name), 0);
  }
}

TEST(BosFile, OpenSearchesPath) {
  ScopedErrorList scope;
  testkit::TestDataDir dir("bospath-search");
  std::string file = dir.File("jxprobe.txt");
  char buf[BOS_NAME_SIZE];
  strcpy(buf, file.c_str());
  int h;
  ASSERT_EQ(bosFileOpen(buf, BOS_CREATE, &h), 0);
  bosFileClose(h);

  char oldPath[32767];
  DWORD had = GetEnvironmentVariableA("PATH", oldPath, sizeof oldPath);
  SetEnvironmentVariableA("PATH", ("Q:\\no\\such;;" + dir.Path()).c_str());  // no final backslash
  strcpy(buf, "jxprobe.txt");
  EXPECT_EQ(bosFileOpen(buf, 0, &h), 1);
  EXPECT_EQ(scope.lastNumber(), 30040);
  JxErrorKeeper::clearLastError();
  EXPECT_EQ(bosFileOpen(buf, BOS_SEARCH_PATH, &h), 0);
  char got[4];
  unsigned long n = 1;
  EXPECT_EQ(bosFileRead(h, 0, got, 4, &n), 0);
  EXPECT_EQ(n, 0u);
  bosFileClose(h);
  SetEnvironmentVariableA("PATH", had ? oldPath : nullptr);
  EXPECT_EQ(scope.list.getCount(), 0u);
}

TEST(BosFile, RegionLockTwiceIsRefused) {
  ScopedErrorList scope;
  testkit::TestDataDir dir("boslock");
  char buf[BOS_NAME_SIZE];
  strcpy(buf, dir.File("locked.dat").c_str());
  int h;
  ASSERT_EQ(bosFileOpen(buf, BOS_CREATE, &h), 0);
  bosFileWrite(h, 0, "0123456789", 10);
  EXPECT_EQ(bosRegionLock(h, 0, 2, 4), 0);
  EXPECT_EQ(bosRegionLock(h, 0, 2, 4), 1);
  EXPECT_EQ(scope.lastNumber(), 1512);
  JxErrorKeeper::clearLastError();
  EXPECT_EQ(bosRegionLock(h, 0, 6, 4), 0);  // the region beside it is free
  EXPECT_EQ(bosRegionLock(h, 1, 2, 4), 0);
  EXPECT_EQ(bosRegionLock(h, 0, 2, 4), 0);  // free again
  EXPECT_EQ(bosRegionLock(0, 0, 0, 4), 0);  // no file: nothing to do
  bosRegionLock(h, 1, 2, 4);
  bosRegionLock(h, 1, 6, 4);
  bosFileClose(h);
  EXPECT_EQ(scope.list.getCount(), 0u);
}

// Names in the ANSI code page reach the file system as they are: "café" is created as
// "café" and found again.
TEST(BosFile, AccentedNamesAreKept) {
  ScopedErrorList scope;
  testkit::TestDataDir dir("bosaccent");
  std::string name = dir.File("caf\xE9.txt");
  char buf[BOS_NAME_SIZE];
  strcpy(buf, name.c_str());
  int h;
  ASSERT_EQ(bosFileOpen(buf, BOS_CREATE, &h), 0);
  bosFileWrite(h, 0, "abc", 3);
  bosFileClose(h);
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide, MAX_PATH);
  EXPECT_NE(GetFileAttributesW(wide), INVALID_FILE_ATTRIBUTES);  // the very name asked for
  EXPECT_EQ(bosexist(name.c_str()), 1);
  strcpy(buf, name.c_str());
  ASSERT_EQ(bosFileOpen(buf, 0, &h), 0);
  char got[3];
  unsigned long n;
  bosFileRead(h, 0, got, 3, &n);
  EXPECT_EQ(std::string(got, n), "abc");
  bosFileClose(h);
  char pattern[BOS_NAME_SIZE];
  strcpy(pattern, dir.File("*.txt").c_str());
  void* cursor = nullptr;
  bosFindFiles(&cursor, pattern);
  EXPECT_STREQ(pattern, "caf\xE9.txt");
  bosFindFiles(&cursor, pattern);
  EXPECT_EQ(cursor, nullptr);
  EXPECT_EQ(bosFileDelete(name.c_str()), 0);
  EXPECT_EQ(bosexist(name.c_str()), 0);
}

std::set<std::string> listAll(JxStatus (*next)(void**, char*), const std::string& pattern) {
  std::set<std::string> names;
  char buf[BOS_NAME_SIZE];
  strcpy(buf, pattern.c_str());
  void* cursor = nullptr;
  do {
    EXPECT_EQ(next(&cursor, buf), 0);
    if (cursor) {
      names.insert(buf);
    } else {
      EXPECT_STREQ(buf, "");
    }
  } while (cursor && names.size() < 50);
  return names;
}

TEST(BosListings, FilesDirectoriesAndDrives) {
  ScopedErrorList scope;
  testkit::TestDataDir dir("boslist");
  CreateDirectoryA(dir.File("alpha").c_str(), nullptr);
  CreateDirectoryA(dir.File("beta").c_str(), nullptr);
  for (const char* f : {"one.jxf", "two.jxf", "three.txt"})
    CloseHandle(CreateFileA(dir.File(f).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  EXPECT_EQ(listAll(bosFindFiles, dir.File("*.jxf")), (std::set<std::string>{"one.jxf", "two.jxf"}));
  EXPECT_EQ(listAll(bosFindFiles, dir.File("*")), (std::set<std::string>{"one.jxf", "two.jxf", "three.txt"}));
  EXPECT_EQ(listAll(bosFindFiles, dir.File("*.none")), std::set<std::string>{});
  EXPECT_EQ(listAll(bosGetDirectoryNames, dir.File("*")), (std::set<std::string>{"alpha", "beta"}));
  char old[MAX_PATH];
  GetCurrentDirectoryA(sizeof old, old);
  SetCurrentDirectoryA(dir.Path().c_str());
  EXPECT_EQ(listAll(bosGetDirectoryNames, ""),
            (std::set<std::string>{"alpha", "beta"}));  // current directory
  SetCurrentDirectoryA(old);

  std::set<std::string> drives = listAll(bosGetFileSystems, "");
  EXPECT_TRUE(drives.count("c"));
  DWORD mask = GetLogicalDrives();
  EXPECT_EQ(drives.size(), static_cast<size_t>(__builtin_popcount(mask)));
}

TEST(BosEnvironment, WholeNamesOnly) {
  SetEnvironmentVariableA("JXPROBE1", "long");  // "JXPROBE1=" sorts before "JXPROBE="
  EXPECT_EQ(bosGetEnv("JXPROBE"), nullptr);
  SetEnvironmentVariableA("JXPROBE", "short");
  ASSERT_NE(bosGetEnv("JXPROBE"), nullptr);
  EXPECT_STREQ(bosGetEnv("JXPROBE"), "short");
  EXPECT_STREQ(bosGetEnv("jxprobe"), "short");  // any case, as the system's lookup
  EXPECT_STREQ(bosGetEnv("JXPROBE1"), "long");
  const char* kept = bosGetEnv("JXPROBE");
  SetEnvironmentVariableA("JXPROBE", "changed");
  EXPECT_STREQ(kept, "short");  // an earlier answer stays valid
  EXPECT_STREQ(bosGetEnv("JXPROBE"), "changed");
  SetEnvironmentVariableA("JX_SPIN_COUNTER", "99");
  EXPECT_EQ(bosGetEnv("JX_SPIN_COUNT"), nullptr);
  SetEnvironmentVariableA("JX_SPIN_COUNTER", nullptr);
  SetEnvironmentVariableA("JXPROBE", nullptr);
  SetEnvironmentVariableA("JXPROBE1", nullptr);
  EXPECT_EQ(bosGetEnv("JXPROBE"), nullptr);
  EXPECT_EQ(bosGetEnv(""), nullptr);
}

TEST(BosLibrary, LoadsBasePlus04BesideItself) {
  char name[16] = "JXSQL";
  EXPECT_STREQ(bosdllname(name), "JXSQL04");
  void* mds = bosLoadLibrary("JXMDS");
  ASSERT_NE(mds, nullptr);
  char file[MAX_PATH];
  GetModuleFileNameA(static_cast<HMODULE>(mds), file, sizeof file);
  std::string loaded = upper(file);
  EXPECT_EQ(loaded.substr(loaded.rfind('\\') + 1), "JXMDS04.DLL");
  FreeLibrary(static_cast<HMODULE>(mds));
  EXPECT_EQ(bosLoadLibrary("NOSUCHLIB"), nullptr);
  unsigned long id = 0;
  bostskid(&id);
  EXPECT_EQ(id, GetCurrentProcessId());
}

// The plain form names the file as it is: no "04" is added, the folder is the same.
TEST(BosLibrary, LoadsPlainNameBesideItself) {
  void* mds = bosLoadLibraryPlain("JXMDS04");
  ASSERT_NE(mds, nullptr);
  char file[MAX_PATH];
  GetModuleFileNameA(static_cast<HMODULE>(mds), file, sizeof file);
  std::string loaded = upper(file);
  EXPECT_EQ(loaded.substr(loaded.rfind('\\') + 1), "JXMDS04.DLL");
  FreeLibrary(static_cast<HMODULE>(mds));
  EXPECT_EQ(bosLoadLibraryPlain("JXMDS"), nullptr);  // only JXMDS04.DLL is there
  EXPECT_EQ(bosLoadLibraryPlain("JXMDS0404"), nullptr);
  EXPECT_EQ(bosLoadLibraryPlain(nullptr), nullptr);
  EXPECT_EQ(bosLoadLibrary(nullptr), nullptr);
}

TEST(BosKeyboard, EscapeAborts) {
  EXPECT_EQ(bosabort(), 0);
  PostThreadMessageA(GetCurrentThreadId(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(bosabort(), 0);
  PostThreadMessageA(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(bosabort(), 1);
  DWORD start = GetTickCount();
  bossleep(30);
  EXPECT_GE(GetTickCount() - start, 30u);
}

}  // namespace
