// The bos layer's text work, on the DLL: full, built, relative and split paths, lines of
// text in memory, the current directory and the time stamp.
#include "dbutil/jxbos.h"
#include "scoped_list.h"
#include "testkit/testkit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string upper(std::string s) {
  CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

// Runs a test from inside a fresh folder and goes back afterwards.
struct InFolder {
  explicit InFolder(const char* name) : dir(name) {
    GetCurrentDirectoryA(sizeof old, old);
    SetCurrentDirectoryA(dir.Path().c_str());
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    here = cwd;
  }
  ~InFolder() { SetCurrentDirectoryA(old); }
  testkit::TestDataDir dir;
  char old[MAX_PATH];
  std::string here;  // as the system spells it
};

TEST(BosPath, FullPaths) {
  ScopedErrorList scope;
  InFolder in("bosfpath");
  const std::string cwd = upper(in.here);
  const std::string drive = cwd.substr(0, 2);
  struct Case {
    std::string in, out;
  } cases[] = {
      {"name.txt", cwd + "\\NAME.TXT"},
      {"sub\\..\\b.txt", cwd + "\\B.TXT"},
      {"a\\b\\..\\..\\c", cwd + "\\C"},
      {"\\x\\y.txt", drive + "\\X\\Y.TXT"},  // keeps only the drive
      {drive + "f.txt", cwd + "\\F.TXT"},    // the drive's current directory
      {"c:\\dir\\f", "C:\\DIR\\F"},          // already full
      {"c:\\a\\b\\..\\c", "C:\\A\\C"},
      {"c:\\..\\x", "C:\\X"},                                    // nothing above the root
      {"\\\\server\\share\\..\\f", "\\\\SERVER\\SHARE\\..\\F"},  // UNC: upper-cased only
      {"abc:def", "ABC:DEF"},                                    // a colon elsewhere: upper-cased only
  };
  for (const Case& c : cases) {
    char path[BOS_NAME_SIZE];
    strcpy(path, c.in.c_str());
    bosfpath(path);
    EXPECT_EQ(std::string(path), c.out) << c.in;
  }
}

TEST(BosPath, BuiltPaths) {
  ScopedErrorList scope;
  InFolder in("bospath");
  const std::string cwd = upper(in.here);
  struct Case {
    const char *dir, *name, *ext;
    std::string out;
  } cases[] = {
      {"c:\\d", "f", "ext", "C:\\D\\F.EXT"},
      {"c:\\d\\", "f.x", "ext", "C:\\D\\F.X"},       // has an extension
      {"c:\\d", "name.", "txt", "C:\\D\\NAME.TXT"},  // a trailing single dot goes first
      {"c:\\d", "f  \t", "x", "C:\\D\\F.X"},         // trailing white space dropped
      {"c:\\d", "e:\\g\\f", "ext", "E:\\G\\F.EXT"},  // a name with a drive keeps it
      {"c:\\d", "g\\f", nullptr, cwd + "\\G\\F"},    // a directory part: no directory put before
      {"sub", "f", "dat", cwd + "\\SUB\\F.DAT"},
      {nullptr, "f", "", cwd + "\\F"},
      {"c:\\d", "..", nullptr, "C:\\D\\.."},  // ".." keeps its dots
  };
  for (const Case& c : cases) {
    char out[BOS_NAME_SIZE];
    bospath(out, c.dir, c.name, c.ext);
    EXPECT_EQ(std::string(out), c.out) << c.name;
  }
}

TEST(BosPath, RelativePaths) {
  ScopedErrorList scope;
  InFolder in("bosmpath");
  const std::string cwd = in.here;
  std::string otherDrive = cwd[0] == 'Q' ? "R:\\x\\f" : "Q:\\x\\f";
  struct Case {
    std::string in, out;
  } cases[] = {
      {cwd + "\\sub\\f.txt", "sub\\f.txt"},
      {upper(cwd) + "\\F.TXT", "F.TXT"},                        // compared without regard to case
      {cwd.substr(0, 2) + "\\elsewhere\\f", "\\elsewhere\\f"},  // same drive only
      {otherDrive, otherDrive},
      {"plain.txt", "plain.txt"},
  };
  for (const Case& c : cases) {
    char path[BOS_NAME_SIZE];
    strcpy(path, c.in.c_str());
    bosmpath(path);
    EXPECT_EQ(std::string(path), c.out) << c.in;
  }
}

TEST(BosPath, SplitPaths) {
  struct Case {
    const char *in, *path, *name, *ext;
  } cases[] = {
      {"C:\\DIR\\LONGFILENAME.TEXT", "C:\\DIR\\", "LONGFILE", "TEX"},
      {"f.c", "", "f", "c"},
      {"c:name", "c:", "name", ""},
      {"\\a.b\\c", "\\a.b\\", "c", ""},
      {"d\\x.y.z", "d\\", "x", "y.z"},
  };
  for (const Case& c : cases) {
    char path[BOS_NAME_SIZE], name[9], ext[4];
    strcpy(path, c.in);
    bospname(path, name, ext);
    EXPECT_STREQ(path, c.path) << c.in;
    EXPECT_STREQ(name, c.name) << c.in;
    EXPECT_STREQ(ext, c.ext) << c.in;
  }
}

TEST(BosText, LinesOfText) {
  struct Case {
    const char* text;
    uint32_t max;
    std::vector<std::string> lines;
  } cases[] = {
      {"first line\r\nsecond\n", 80, {"first line", "second"}},
      {"a \"quoted\nline\" end\nnext", 80, {"a \"quoted\nline\" end", "next"}},
      {"\"a 'b\"\nc' d\"\nnext", 80, {"\"a 'b\"\nc' d\"", "next"}},  // inner quotes
      {"; it's a comment\nkept", 80, {";", "kept"}},
      {"one\n\x1A rest", 80, {"one"}},
      {"abcdef\nxy", 3, {"#abc", "xy"}},  // "#": cut, -2
      {"\n\nz", 80, {"", "", "z"}},
      {"", 80, {}},
  };
  for (const Case& c : cases) {
    uint32_t pos = 0;
    std::vector<std::string> got;
    char line[100];
    short result;
    while (bosgetbl(c.text, &pos, line, c.max, &result) != -1) {
      EXPECT_LE(strlen(line), c.max);
      got.push_back(result == -2 ? "#" + std::string(line) : std::string(line));
      if (result >= 0) {
        EXPECT_EQ(static_cast<size_t>(result), strlen(line));
      }
      ASSERT_LT(got.size(), 10u);
    }
    EXPECT_EQ(result, -1);
    EXPECT_EQ(got, c.lines) << c.text;
  }
}

TEST(BosText, CurrentDirectory) {
  ScopedErrorList scope;
  InFolder in("boscwd");
  CreateDirectoryA("inner", nullptr);
  char buf[BOS_NAME_SIZE];
  ASSERT_EQ(bosgtcwd(buf, 1), 0);
  EXPECT_EQ(std::string(buf), in.here + "\\");
  ASSERT_EQ(bosgtcwd(buf, 0), 0);
  EXPECT_EQ(std::string(buf), in.here);
  EXPECT_EQ(bosstcwd(""), 0);  // ignored
  EXPECT_EQ(bosstcwd("inner"), 0);
  bosgtcwd(buf, 0);
  EXPECT_EQ(std::string(buf), in.here + "\\inner");
  // A change that fails says so.
  EXPECT_EQ(bosstcwd("no\\such\\folder"), 1);
  EXPECT_EQ(scope.lastNumber(), 1504);
  EXPECT_STREQ(JxErrorKeeper::getLastError()->getText(),
               "Cannot set current working directory to 'no\\such\\folder'.");
  bosgtcwd(buf, 0);
  EXPECT_EQ(std::string(buf), in.here + "\\inner");
  SetCurrentDirectoryA(in.here.c_str());
}

TEST(BosText, TimeStamp) {
  char buf[16];
  memset(buf, '#', sizeof buf);
  ASSERT_EQ(JxTime::getCurrentTimeStamp(buf), 11);
  EXPECT_EQ(buf[11], '#');  // no terminator
  const char* shape = "dd:dd:dd.dd";
  for (int i = 0; i < 11; ++i) {
    if (shape[i] == 'd') {
      EXPECT_TRUE(isdigit(static_cast<unsigned char>(buf[i]))) << buf;
    } else {
      EXPECT_EQ(buf[i], shape[i]) << buf;
    }
  }
  SYSTEMTIME now;
  GetSystemTime(&now);
  int hour = (buf[0] - '0') * 10 + buf[1] - '0';
  EXPECT_TRUE(hour == now.wHour || (hour + 1) % 24 == now.wHour);
  os_time t;
  bosdate(&t);
  EXPECT_EQ(t.year, now.wYear);
  EXPECT_GE(t.month, 1);
  EXPECT_LE(t.month, 12);
}

}  // namespace
