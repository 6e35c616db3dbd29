// The launcher's command-line rules, case by case.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/cmdline.h"

namespace {

struct Case {
  std::vector<std::string> words;  // after argv[0]
  bool ok;
  std::vector<std::string> modules;
  const char* app;
  const char* splash;                // null: none
  std::vector<std::string> appArgs;  // after argv[0]
};

const Case kCases[] = {
    {{"a.obo", "-app", "Main"}, true, {"a.obo"}, "Main", nullptr, {}},
    {{"a.obo", "b.obo", "/APP", "Main", "-splash", "s.bmp", "x", "y"},
     true,
     {"a.obo", "b.obo"},
     "Main",
     "s.bmp",
     {"x", "y"}},
    // A splash option without its file is an argument of the application.
    {{"a.obo", "-app", "Main", "-splash"}, true, {"a.obo"}, "Main", nullptr, {"-splash"}},
    {{"a.obo", "-App", "Main", "/Splash", "s.bmp"}, true, {"a.obo"}, "Main", "s.bmp", {}},
    {{"a.obo", "-app", "Main", "-app", "x"}, true, {"a.obo"}, "Main", nullptr, {"-app", "x"}},
    // The first module is always a module, even when it looks like the option.
    {{"-app", "Main", "x"}, false, {}, nullptr, nullptr, {}},
    {{"-app", "-app", "Main"}, true, {"-app"}, "Main", nullptr, {}},
    // The option in the last place names nothing.
    {{"a.obo", "b.obo", "-app"}, false, {}, nullptr, nullptr, {}},
    {{"a.obo", "-app"}, false, {}, nullptr, nullptr, {}},
    {{"a.obo"}, false, {}, nullptr, nullptr, {}},
    {{}, false, {}, nullptr, nullptr, {}},
    // A lone dash or slash is no option; neither is a longer word.
    {{"a.obo", "-", "Main", "x"}, false, {}, nullptr, nullptr, {}},
    {{"a.obo", "/", "Main", "x"}, false, {}, nullptr, nullptr, {}},
    {{"a.obo", "-apps", "Main", "x"}, false, {}, nullptr, nullptr, {}},
    {{"a.obo", "-app", "Main", "-", "s.bmp"}, true, {"a.obo"}, "Main", nullptr, {"-", "s.bmp"}},
};

TEST(LauncherCommandLine, Table) {
  for (const Case& c : kCases) {
    std::string shown;
    for (const std::string& w : c.words) shown += w + " ";
    SCOPED_TRACE(shown);
    std::vector<std::string> store = {"ovrun.exe"};
    store.insert(store.end(), c.words.begin(), c.words.end());
    std::vector<char*> argv;
    for (std::string& s : store) argv.push_back(&s[0]);
    argv.push_back(nullptr);
    LaunchArgs out;
    bool ok = ParseLaunchCommandLine(int(store.size()), argv.data(), out);
    ASSERT_EQ(c.ok, ok);
    if (!ok) {
      EXPECT_EQ(nullptr, out.modules);
      continue;
    }
    EXPECT_EQ(c.modules, UnpackModuleList(out.modules));
    EXPECT_STREQ(c.app, out.app);
    if (c.splash)
      EXPECT_STREQ(c.splash, out.splash);
    else
      EXPECT_EQ(nullptr, out.splash);
    EXPECT_EQ(0x01000000u, out.flags);
    ASSERT_EQ(int(c.appArgs.size()) + 1, out.argc);
    EXPECT_STREQ("ovrun.exe", out.argv[0]);
    for (size_t i = 0; i < c.appArgs.size(); ++i) EXPECT_EQ(c.appArgs[i], out.argv[i + 1]);
    // The vector is a window into the process's own array, ending with its null.
    EXPECT_EQ(nullptr, out.argv[out.argc]);
    EXPECT_GE(out.argv, argv.data());
    delete[] out.modules;
  }
}

TEST(LauncherCommandLine, PackedModuleList) {
  char* packed = PackModuleList({"a.obo", "bb.obo"});
  const char expected[] = "a.obo\0bb.obo\0";  // and the literal's own NUL: the end mark
  EXPECT_EQ(0, memcmp(expected, packed, sizeof expected));
  delete[] packed;
  char* empty = PackModuleList({});
  EXPECT_EQ(0, empty[0]);
  EXPECT_TRUE(UnpackModuleList(empty).empty());
  delete[] empty;
  EXPECT_TRUE(UnpackModuleList(nullptr).empty());
}

TEST(LauncherCommandLine, UsageText) {
  EXPECT_STREQ("RORAZA", kLauncherUsageCaption);
  EXPECT_EQ(0u, std::string(kLauncherUsage)
                    .find("Usage: runvyt MODULE... -app APP [-splash SFILE] [ARGS...]\nwhere:\n"));
}

}  // namespace
