// The application object in this process: start-up, closing ("CanClose", "Shutdown",
// the revert flag), the exit code, the idle window list, the run's error boxes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "launchertest.h"
#include "runtime/app.h"
#include "runtime/launch.h"
#include "runtime/mainguard.h"
#include "store/groups.h"
#include "store/objectstore.h"
#include "testkit/testkit.h"
#include "winlib/framewin.h"

using namespace launchertest;

namespace {

// The process guard and the watchdog, as main has them, for every test of this program.
class LauncherEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    guard_.reset(new MainInit);
    StartWatchdog();
  }
  void TearDown() override {
    StopWatchdog();
    guard_.reset();
  }

 private:
  std::unique_ptr<MainInit> guard_;
};
::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new LauncherEnvironment);

const char kDeclareCount[] = "Declare Sub CountCall Lib \"ovrun_testnative\" ()";
const char kShutdown[] = "Sub Shutdown()\n CountCall\n ExitCode = 7\nEnd Sub\n";

struct CloseCase {
  const char* name;
  const char* canClose;  // the handler's text, or null for none
  int runResult;         // what Run answers
  bool closes;
  bool revert;
};

const CloseCase kCloseCases[] = {
    {"zero keeps running", "Function CanClose() As Integer\n CanClose = 0\nEnd Function\n", 5, false, false},
    {"one closes", "Function CanClose() As Integer\n CanClose = 1\nEnd Function\n", 0, true, false},
    {"True closes without revert", "Function CanClose() As Integer\n CanClose = True\nEnd Function\n", 0,
     true, false},
    {"two closes with revert", "Function CanClose() As Integer\n CanClose = 2\nEnd Function\n", 0, true,
     true},
    {"no handler closes", nullptr, 0, true, false},
};

TEST(LauncherApp, ClosingAsksCanCloseAndFiresShutdownOnce) {
  testkit::TestDataDir dir("ovrun_close");
  for (const CloseCase& c : kCloseCases) {
    SCOPED_TRACE(c.name);
    std::string path = dir.File("close.obo");
    std::vector<std::string> members = {kDeclareCount, kShutdown};
    if (c.canClose) members.push_back(c.canClose);
    WriteAppModule(path, "close", "Main", members);
    Launch launch({path}, "Main");
    int callsBefore = NativeCallCount();
    bool stillOpen = false;
    {
      std::unique_ptr<TestApp> app(new TestApp(int(launch.argv.size()) - 1, launch.argv.data(), 0x01000000,
                                               launch.modules, &launch.app[0], nullptr));
      app->started = [&](TestApp& a) {
        PostMessageA(a.GetMainWindow()->HWindow, WM_CLOSE, 0, 0);
        PostTask([&] {
          stillOpen = IsWindow(a.GetMainWindow()->HWindow) != 0;
          if (stillOpen) PostQuitMessage(5);
        });
      };
      EXPECT_EQ(c.runResult, app->Run());
      EXPECT_EQ(!c.closes, stillOpen);
      EXPECT_EQ(c.closes ? 1 : 0, NativeCallCount() - callsBefore);
      EXPECT_EQ(c.closes, (app->flags & StoreApplication::kClosing) != 0);
      EXPECT_EQ(c.revert, (app->flags & StoreApplication::kRevert) != 0);
      if (c.closes) {
        EXPECT_EQ(7, app->ExitCode());
        EXPECT_EQ(nullptr, app->ApplicationObject());
        // The application object is gone: a second request fires nothing and agrees.
        EXPECT_TRUE(app->CanClose());
        EXPECT_EQ(1, NativeCallCount() - callsBefore);
      } else {
        EXPECT_NE(nullptr, app->ApplicationObject());
      }
      EXPECT_EQ(1, ObjectStore::ModuleCount());
    }
    // The application's end unloads every module.
    EXPECT_EQ(0, ObjectStore::ModuleCount());
    EXPECT_EQ(nullptr, ObjectStore::find("Main"));
  }
}

TEST(LauncherApp, StartupSeesTheCommandLineAndSetsTheExitCode) {
  testkit::TestDataDir dir("ovrun_startup");
  std::string first = dir.File("first.obo"), second = dir.File("second.obo");
  WriteAppModule(first, "first", "Other", {});
  WriteAppModule(second, "second", "Main",
                 {kDeclareCount, "Sub Startup()\n CountCall\n ExitCode = 40 + ArgCount\nEnd Sub\n"});
  Launch launch({first, second}, "Main", {"x", "y"});
  int callsBefore = NativeCallCount();
  LaunchArgs args;
  args.argc = int(launch.argv.size()) - 1;
  args.argv = launch.argv.data();
  args.flags = 0x01000000;
  args.modules = launch.modules;
  args.app = &launch.app[0];
  // No main form: the run ends after "Startup", without a box, with the exit code.
  testkit::BoxAnswerer boxes;
  EXPECT_EQ(43, RunApplication(args));
  EXPECT_EQ(1, NativeCallCount() - callsBefore);
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(0, ObjectStore::ModuleCount());
}

TEST(LauncherApp, RunFailuresShowTheErrorBoxAndEndWithMinusOne) {
  testkit::TestDataDir dir("ovrun_fail");
  std::string good = dir.File("good.obo"), junk = dir.File("junk.obo");
  WriteAppModule(good, "good", "Main", {"Sub Startup()\n Throw Oops\nEnd Sub\n"});
  FILE* f = fopen(junk.c_str(), "wb");
  fputs("\xD0\xCF\x11\xE0 this is no module at all", f);
  fclose(f);
  struct Case {
    std::string module, app, text;
  } cases[] = {
      {good, "Nope", "Error: could not find application object: Nope"},
      {dir.File("missing.obo"), "Main", "The module '" + dir.File("missing.obo") + "' could not be opened."},
      {junk, "Main", "The module '" + junk + "' could not be opened."},
      {good, "Main", "Oops"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Launch launch({c.module}, c.app);
    LaunchArgs args;
    args.argc = 1;
    args.argv = launch.argv.data();
    args.flags = 0x01000000;
    args.modules = launch.modules;
    args.app = &launch.app[0];
    testkit::BoxAnswerer boxes;
    EXPECT_EQ(-1, RunApplication(args));
    // A damaged file is read as a text object file too, whose reader may ask first;
    // the run's own box comes last.
    ASSERT_FALSE(boxes.Boxes().empty());
    EXPECT_EQ(c.module == junk ? boxes.Boxes().size() : 1u, boxes.Boxes().size());
    const testkit::AnsweredBox& last = boxes.Boxes().back();
    EXPECT_EQ("Error", last.caption);
    if (c.module == junk)  // refused as a module, or as a text object file
      EXPECT_TRUE(last.text.find(c.text) != std::string::npos || last.text == "Parse Error") << last.text;
    else
      EXPECT_NE(std::string::npos, last.text.find(c.text)) << "[" << last.text << "]";
    EXPECT_EQ(0, ObjectStore::ModuleCount());
  }
}

TEST(LauncherApp, IdleWindowListGrowsByDoubling) {
  Launch launch({}, "Main");
  TestApp app(1, launch.argv.data(), 0x01000000, launch.modules, &launch.app[0], nullptr);
  EXPECT_EQ(10, app.IdleSlotCount());
  for (int i = 1; i <= 10; ++i) app.SetIdleCallbackHWND(HWND(intptr_t(i)));
  app.SetIdleCallbackHWND(HWND(intptr_t(3)));  // listed already
  EXPECT_EQ(10, app.IdleSlotCount());
  app.SetIdleCallbackHWND(HWND(intptr_t(11)));
  EXPECT_EQ(20, app.IdleSlotCount());
  EXPECT_EQ(HWND(intptr_t(11)), app.IdleSlot(10));
  EXPECT_EQ(nullptr, app.IdleSlot(11));
  app.ForgetIdleCallbackHWND(HWND(intptr_t(4)));
  EXPECT_EQ(nullptr, app.IdleSlot(3));
  app.SetIdleCallbackHWND(HWND(intptr_t(12)));  // the first free slot
  EXPECT_EQ(HWND(intptr_t(12)), app.IdleSlot(3));
}

TEST(LauncherApp, AnUninitialisedStubIsRefused) {
  char name[] = "Main";
  try {
    App app(0, nullptr, 0, nullptr, name, nullptr);
    FAIL();
  } catch (XException& e) {
    EXPECT_STREQ("This Orvanel application stub is uninitialized.", e.what());
  }
}

}  // namespace
