// String utilities, path lists (plain, environment and registry), PushDir, the directory
// walker and the test-program command driver.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "utils/dirutil.h"
#include "utils/pathstring.h"
#include "utils/progcmd.h"
#include "utils/strutil.h"
#include "testkit/testkit.h"

namespace {

typedef std::vector<std::string> Names;

TEST(StrUtil, CountCompareDuplicate) {
  EXPECT_EQ(strcount("a;b;;c", ';'), 3);
  EXPECT_EQ(strcount(nullptr, ';'), 0);
  EXPECT_EQ(strnewdup(nullptr), nullptr);
  char* d = strnewdup("copy");
  EXPECT_STREQ(d, "copy");

  struct CmpCase {
    const char *a, *b;
    int sign;
  } cmps[] = {{nullptr, "", 0},  {"", nullptr, 0}, {nullptr, nullptr, 0}, {nullptr, "x", -1},
              {"x", nullptr, 1}, {"a", "b", -1},   {"b", "a", 1},         {"same", "same", 0}};
  for (const CmpCase& c : cmps) {
    int r = smart_strcmp(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << (c.a ? c.a : "(null)") << " vs " << (c.b ? c.b : "(null)");
  }

  char* keep = d;
  EXPECT_EQ(strduplicate(d, "abc"), 0);  // shorter: the buffer stays
  EXPECT_EQ(d, keep);
  EXPECT_STREQ(d, "abc");
  EXPECT_EQ(strduplicate(d, "longer text"), 1);
  EXPECT_STREQ(d, "longer text");
  EXPECT_EQ(strduplicate(d, nullptr), 0);
  EXPECT_EQ(d, nullptr);
  EXPECT_EQ(strduplicate(d, "new"), 1);
  delete[] d;
}

TEST(StrUtil, FixedStrCutsAndAsserts) {
  char buf[5];
  FixedStr f(buf, 4);
  EXPECT_STREQ(f.copy("abcdefg"), "abcd");
  EXPECT_STREQ(f.copy("ab"), "ab");
  EXPECT_STREQ(f.copy(nullptr), "");
  FixedStr noBuf(nullptr, 4);
  try {
    noBuf.copy("x");
    ADD_FAILURE() << "no assertion";
  } catch (const XAssert& e) {
    EXPECT_EQ(e.why(), "buf");
    EXPECT_EQ(e.Line(), 96);
  }
  FixedStr noLen(buf, 0);
  EXPECT_THROW(noLen.copy("x"), XAssert);
}

TEST(PathString, NormalisationTable) {
  struct Case {
    const char* in;
    const char* text;
    int count;
  } cases[] = {
      {" a ; ; b;", "a ;b", 2},  // leading blanks and empty entries go, trailing stay
      {"", "", 0},
      {" ; ;", "", 0},
      {"C:\\A", "C:\\A", 1},
      {";;C:\\A;;D:\\B;", "C:\\A;D:\\B", 2},
      {"\tx y;\nz ", "x y;z ", 2},  // blanks inside an entry stay
  };
  for (const Case& c : cases) {
    PathString p(c.in);
    EXPECT_STREQ((const char*)p, c.text) << "\"" << c.in << "\"";
    EXPECT_EQ(p.Count(), c.count) << "\"" << c.in << "\"";
  }
  PathString p("x");
  p.Set(nullptr);  // null changes nothing
  EXPECT_STREQ((const char*)p, "x");
}

TEST(PathString, EntriesAreCutOutOneAtATime) {
  PathString p("C:\\A;D:\\B;E:\\C");
  EXPECT_STREQ(p[1], "D:\\B");
  EXPECT_EQ(p.Count(), 3);  // the held separator still counts
  EXPECT_EQ(p.Index("E:\\C"), 2);
  EXPECT_STREQ(p.Next(), "E:\\C");
  EXPECT_EQ(p.Next(), nullptr);  // after the final entry
  EXPECT_STREQ(p[0], "C:\\A");
  EXPECT_STREQ((const char*)p, "C:\\A;D:\\B;E:\\C");
  EXPECT_STREQ(p.Next(), "D:\\B");
  EXPECT_EQ(p[3], nullptr);
  EXPECT_EQ(p[-1], nullptr);
  std::vector<std::string> all;
  for (const char* e = p[0]; e; e = p.Next()) all.push_back(e);
  EXPECT_EQ(all, Names({"C:\\A", "D:\\B", "E:\\C"}));
  PathString copy(p);
  EXPECT_STREQ((const char*)copy, "C:\\A;D:\\B;E:\\C");
}

TEST(PathString, IndexTable) {
  PathString p("C:\\TOOLS;c:\\bin\\;C:\\TOOLSET\\;D:\\");
  struct Case {
    const char* dir;
    int index;
  } cases[] = {{"C:\\TOOLS\\", 0}, {"C:\\TOOLS", 0},   {"c:\\tools", 0}, {"C:\\BIN", 1},
               {"C:\\bin\\", 1},   {"C:\\TOOLSET", 2}, {"C:\\TOOL", -1}, {"D:\\", 3},
               {"D:", 3},          {"E:\\", -1},       {nullptr, -1}};
  for (const Case& c : cases) EXPECT_EQ(p.Index(c.dir), c.index) << (c.dir ? c.dir : "(null)");
  PathString q("C:\\TOOLSET\\");
  EXPECT_EQ(q.Index("C:\\TOOLS\\"), -1);
  EXPECT_EQ(q.Index("C:\\TOOLS"), -1);
}

TEST(PathString, PrependAndPurge) {
  PathString p;
  p.Prepend("C:\\B");
  p.Prepend("");
  p.Prepend(nullptr);
  EXPECT_STREQ((const char*)p, "C:\\B");
  p[0];  // a held separator must not confuse the edit
  p.Prepend(" C:\\A ;");
  EXPECT_STREQ((const char*)p, "C:\\A ;C:\\B");
  p.Set("C:\\tools\\bin;D:\\x\\;sub\\dir;E:\\");
  p.PurgeExplicitPaths();
  EXPECT_STREQ((const char*)p, "bin;dir");
}

TEST(EnvironmentPathString, ProcessEnvironmentRoundTrip) {
  SetEnvironmentVariableA("OV_TEST_PATHLIST", " C:\\one; ;C:\\two;");
  EnvironmentPathString p("OV_TEST_PATHLIST");
  EXPECT_STREQ((const char*)p, "C:\\one;C:\\two");
  p.Prepend("C:\\zero");
  EXPECT_TRUE(p.SetVariable());
  char buf[256];
  GetEnvironmentVariableA("OV_TEST_PATHLIST", buf, sizeof buf);
  EXPECT_STREQ(buf, "C:\\zero;C:\\one;C:\\two");
  SetEnvironmentVariableA("OV_TEST_PATHLIST", nullptr);
  EnvironmentPathString unset("OV_TEST_PATHLIST");
  EXPECT_EQ(unset.Count(), 0);
  EnvironmentPathString noName("");
  EXPECT_FALSE(noName.SetVariable());
}

TEST(RegistryEnvPathString, EnvironmentKeyRoundTrip) {
  const char kName[] = "OrvanelTestPathList";
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Environment", 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegDeleteValueA(key, kName);
  {
    RegistryEnvPathString fresh(kName);
    EXPECT_EQ(fresh.Count(), 0);
    fresh.Set("C:\\orvanel\\bin; D:\\shared ;");
    EXPECT_TRUE(fresh.SetVariable());
  }
  DWORD type = 0, size = 0;
  char raw[256] = {};
  size = sizeof raw;
  ASSERT_EQ(RegQueryValueExA(key, kName, nullptr, &type, reinterpret_cast<BYTE*>(raw), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_STREQ(raw, "C:\\orvanel\\bin;D:\\shared ");
  EXPECT_EQ(size, strlen(raw) + 1);  // stored with its NUL
  char env[256];
  GetEnvironmentVariableA(kName, env, sizeof env);
  EXPECT_STREQ(env, raw);

  RegistryEnvPathString again(kName);
  EXPECT_STREQ((const char*)again, "C:\\orvanel\\bin;D:\\shared ");
  EXPECT_EQ(again.Index("d:\\shared \\"), 1);

  // A value that is not a plain string is not taken.
  DWORD number = 5;
  RegSetValueExA(key, kName, 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof number);
  RegistryEnvPathString notText(kName);
  EXPECT_EQ(notText.Count(), 0);
  RegDeleteValueA(key, kName);
  RegCloseKey(key);
  SetEnvironmentVariableA(kName, nullptr);
}

std::string currentDir() {
  char buf[MAX_PATH];
  GetCurrentDirectoryA(sizeof buf, buf);
  return buf;
}

TEST(PushDir, ChangesAndRestores) {
  testkit::TestDataDir tmp("pushdir");
  std::string before = currentDir();
  {
    PushDir in(tmp.Path().c_str());
    EXPECT_TRUE(in.Result());
    EXPECT_EQ(_stricmp(currentDir().c_str(), tmp.Path().c_str()), 0);
    {
      PushDir none("");
      EXPECT_FALSE(none.Result());
      PushDir missing((tmp.Path() + "\\missing").c_str());
      EXPECT_FALSE(missing.Result());
    }
    EXPECT_EQ(_stricmp(currentDir().c_str(), tmp.Path().c_str()), 0);
  }
  EXPECT_EQ(currentDir(), before);
}

struct Walk {
  std::string root;
  Names seen;  // paths relative to root
  int stopAt = -1;
};

int collect(const char* dir, const WIN32_FIND_DATAA* entry, void* user) {
  Walk* w = static_cast<Walk*>(user);
  std::string d(dir);
  std::string rel = d.size() > w->root.size() ? d.substr(w->root.size() + 1) + "\\" : "";
  w->seen.push_back(rel + entry->cFileName);
  return int(w->seen.size()) == w->stopAt ? 7 : 0;
}

void touch(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  CloseHandle(h);
}

TEST(EnumDirContents, RecursiveWalkOfATemporaryTree) {
  testkit::TestDataDir tmp("enumdir");
  const std::string& r = tmp.Path();
  for (const char* d : {"\\sub", "\\sub\\deep", "\\empty", "\\other.txt"})
    ASSERT_TRUE(CreateDirectoryA((r + d).c_str(), nullptr));
  for (const char* f : {"\\a.txt", "\\b.log", "\\sub\\c.txt", "\\sub\\deep\\d.txt", "\\sub\\deep\\e.log"})
    touch(r + f);

  struct Case {
    const char* pattern;
    int recurse;
    Names expected;
  } cases[] = {
      {"*.txt", 1, {"a.txt", "other.txt", "sub\\c.txt", "sub\\deep\\d.txt"}},
      {"*.txt", 0, {"a.txt", "other.txt"}},
      {"", 0, {"a.txt", "b.log", "empty", "other.txt", "sub"}},
      {"*.log", 1, {"b.log", "sub\\deep\\e.log"}},
      {"*.none", 1, {}},
  };
  for (const Case& c : cases) {
    Walk w;
    w.root = r;
    EXPECT_EQ(EnumDirContents(collect, &w, r.c_str(), c.pattern, c.recurse), 0);
    std::sort(w.seen.begin(), w.seen.end());
    EXPECT_EQ(w.seen, c.expected) << c.pattern << " recurse " << c.recurse;
  }

  Walk stop;
  stop.root = r;
  stop.stopAt = 2;
  EXPECT_EQ(EnumDirContents(collect, &stop, r.c_str(), "*", 1), 7);
  EXPECT_EQ(stop.seen.size(), 2u);
  EXPECT_EQ(EnumDirContents(nullptr, nullptr, r.c_str(), "*", 1), -1);

  {
    PushDir in((r + "\\sub").c_str());
    Walk here;
    here.root = r + "\\sub";
    EXPECT_EQ(EnumDirContents(collect, &here, "", "*.txt", 0), 0);  // the current directory
    EXPECT_EQ(here.seen, Names({"c.txt"}));
  }
}

TEST(EnumDirContents, Failures) {
  struct Case {
    std::string dir, pattern;
    const char* message;
    int error;
  } cases[] = {
      {std::string(260, 'x'), "*", "Path length exceeds maximum allowed.", 0},
      {"C:\\", std::string(260, '*'), "Pattern length exceeds maximum allowed.", 0},
      {"C:\\no such dir\\at all", "*", "Enum dir contents error", ERROR_PATH_NOT_FOUND},
  };
  for (const Case& c : cases) {
    Walk w;
    try {
      EnumDirContents(collect, &w, c.dir.c_str(), c.pattern.c_str(), 1);
      ADD_FAILURE() << "no exception for " << c.message;
    } catch (const EnumDirException& e) {
      EXPECT_EQ(e.why(), c.message);
      EXPECT_EQ(e.Error(), c.error);
      std::unique_ptr<XException> copy(e.Clone());
      EXPECT_THROW(copy->Throw(), EnumDirException);
    }
  }
}

std::string ran;
void cmdA() { ran += 'A'; }
void cmdB() { ran += 'B'; }
void cmdOther() { ran += '?'; }

TEST(ProgCmd, UsageRegistrationAndRun) {
  const tProgCmdRec table[] = {{'a', "first", cmdA}, {'b', "second", cmdB}, {0, nullptr, nullptr}};
  char prog[] = "C:\\tests\\mytool.exe";
  char arg1[] = "ab a", arg2[] = "z";
  char* none[] = {prog};
  testing::internal::CaptureStdout();
  EXPECT_EQ(progInit(1, none, table), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\nusage: mytool [C...],\n  where each C is a test character (spaces optional).\n\n"
            "  a - first\n  b - second\n");

  char* args[] = {prog, arg1, arg2};
  const tProgCmdRec clash[] = {{'a', "again", cmdOther}, {0, nullptr, nullptr}};
  EXPECT_EQ(progInit(3, args, table), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(progInit(3, args, clash), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "WARNING: duplicate test 'a' ignored.\n");
  testing::internal::CaptureStdout();
  progRun(3, args);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "WARNING: unimplemented test: 'z'\n");
  EXPECT_EQ(ran, "ABA");
}

}  // namespace
