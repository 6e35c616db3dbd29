// The launcher's message loops: nesting and the loop requested to go on, quitting,
// exceptions in nested and outermost loops, the busy watchdog and the break hot key.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "launchertest.h"
#include "runtime/app.h"
#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "testkit/testkit.h"
#include "utils/xexception.h"
#include "winlib/framewin.h"

using namespace launchertest;

namespace {

// An application with an empty application object and the test frame as main window;
// started runs inside the outermost loop.
struct LoopFixture {
  explicit LoopFixture(std::function<void(TestApp&)> started, const std::vector<std::string>& members = {})
      : dir("ovrun_loop"), path(dir.File("loop.obo")) {
    WriteAppModule(path, "loop", "Main", members);
    launch.reset(new Launch({path}, "Main"));
    app.reset(new TestApp(1, launch->argv.data(), 0x01000000, launch->modules, &launch->app[0], nullptr));
    app->started = [started](TestApp& a) { PostTask([&a, started] { started(a); }); };
  }
  testkit::TestDataDir dir;
  std::string path;
  std::unique_ptr<Launch> launch;
  std::unique_ptr<TestApp> app;
};

TEST(LauncherLoop, GotoLoopZeroFromLoopTwoEndsLoopsTwoAndOne) {
  std::vector<std::string> seen;
  LoopFixture f([&](TestApp& app) {
    seen.push_back("depth " + std::to_string(app.GetCurrentMessageLoopIndexV()));
    PostTask([&] {
      seen.push_back("depth " + std::to_string(app.GetCurrentMessageLoopIndexV()));
      PostTask([&] {
        seen.push_back("depth " + std::to_string(app.GetCurrentMessageLoopIndexV()));
        app.SetMessageLoopGotoV(2);  // not below the running loop: nothing
        EXPECT_FALSE(app.BreakMessageLoop);
        app.SetMessageLoopGotoV(0);
      });
      try {
        app.MessageLoop();
        seen.push_back("loop 2 returned");
      } catch (GotoRequestedLoop&) {
        seen.push_back("loop 2 passed the goto on");
        throw;
      }
    });
    app.MessageLoop();
    seen.push_back("loop 1 returned at depth " + std::to_string(app.GetCurrentMessageLoopIndexV()));
    PostTask([&] { PostQuitMessage(3); });
  });
  EXPECT_EQ(3, f.app->Run());
  std::vector<std::string> expected = {"depth 0", "depth 1", "depth 2", "loop 2 passed the goto on",
                                       "loop 1 returned at depth 0"};
  EXPECT_EQ(expected, seen);
  EXPECT_EQ(-1, MessageLoopDepth());
}

TEST(LauncherLoop, QuitAtDepthTwoEndsEveryLoop) {
  int ended = 0;
  LoopFixture f([&](TestApp& app) {
    PostTask([&] {
      PostTask([&] { PostQuitMessage(9); });
      try {
        app.MessageLoop();
      } catch (GotoRequestedLoop&) {
        ++ended;
        throw;
      }
    });
    try {
      app.MessageLoop();
    } catch (GotoRequestedLoop&) {
      ++ended;
      throw;
    }
  });
  EXPECT_EQ(9, f.app->Run());
  EXPECT_EQ(2, ended);
  EXPECT_EQ(-1, MessageLoopDepth());
}

TEST(LauncherLoop, NestedLoopsPassExceptionsOnTheOutermostShowsThem) {
  std::string caught;
  testkit::BoxAnswerer boxes;
  boxes.Script(IDCANCEL);  // the first program error: go on
  boxes.Script(IDNO);      // the second: revert and exit
  LoopFixture f([&](TestApp& app) {
    PostTask([] { throw StoreException("from the nested loop"); });
    try {
      app.MessageLoop();
    } catch (StoreException& e) {
      caught = e.what();
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    PostTask([] { UTILS_ASSERT(1 == 2); });
    PostTask([] { UTILS_ASSERT(2 == 3); });
  });
  EXPECT_EQ(1, f.app->Run());
  EXPECT_EQ("from the nested loop", caught);
  ASSERT_EQ(2u, boxes.Boxes().size());
  for (const testkit::AnsweredBox& b : boxes.Boxes()) {
    EXPECT_EQ(0u, b.caption.find("Error ")) << b.caption;
    EXPECT_NE(std::string::npos, b.text.find("A program error has occurred. You may choose to")) << b.text;
  }
  EXPECT_NE(0, f.app->flags & StoreApplication::kClosing);
  EXPECT_NE(0, f.app->flags & StoreApplication::kRevert);
}

TEST(LauncherLoop, AStoreErrorInTheOutermostLoopIsShownAndTheLoopGoesOn) {
  testkit::BoxAnswerer boxes;
  LoopFixture f([&](TestApp&) {
    PostTask([] { throw StoreException("shown once"); });
    PostTask([] { PostQuitMessage(4); });
  });
  EXPECT_EQ(4, f.app->Run());
  ASSERT_EQ(1u, boxes.Boxes().size());
  EXPECT_EQ("StoreException", boxes.Boxes()[0].caption);
  EXPECT_EQ("shown once", boxes.Boxes()[0].text);
}

// Runs a message that lasts until the busy flag rises (at most two seconds); answers
// whether it rose, and whether the poll then showed the wait cursor.
void BusyMessage(TestApp& app, bool& rose, bool& waitCursor) {
  PostTask([&] {
    DWORD start = GetTickCount();
    while (!BusyFlag() && GetTickCount() - start < 2000) Sleep(10);
    rose = BusyFlag();
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    app.PollUserBreak();
    waitCursor = GetCursor() == LoadCursorA(nullptr, IDC_WAIT);
  });
}

TEST(LauncherLoop, AMessageOutlastingTheThresholdRaisesTheBusyFlag) {
  ASSERT_TRUE(WatchdogRunning());
  bool rose = false, waitCursor = false, roseDisabled = true, flagAfter = true;
  long signalsBefore = 0, signalsAfter = 0;
  LoopFixture f([&](TestApp& app) {
    app.SetBusyThreshold(50);
    // A few short messages first: the watchdog does not time the first unit.
    for (int i = 0; i < 3; ++i) PostTask([] {});
    BusyMessage(app, rose, waitCursor);
    PostTask([&] { flagAfter = BusyFlag(); });
    PostTask([&] {
      app.EnableAutoBusy(0);
      signalsBefore = WatchdogSignals();
      PostTask([&] {
        Sleep(300);
        roseDisabled = BusyFlag();
      });
      PostTask([&] {
        signalsAfter = WatchdogSignals();
        app.EnableAutoBusy(1);
        app.SetBusyThreshold(1000);
        PostQuitMessage(0);
      });
    });
  });
  f.app->Run();
  EXPECT_TRUE(rose);
  EXPECT_TRUE(waitCursor);
  EXPECT_FALSE(flagAfter);  // the message's end clears it
  EXPECT_FALSE(roseDisabled);
  EXPECT_EQ(signalsBefore, signalsAfter);
  // The watchdog outlives the loops (it ends with the program, not with a loop).
  EXPECT_TRUE(WatchdogRunning());
}

TEST(LauncherLoop, TheBreakHotKeyMakesThePollThrowPauseExecution) {
  int firstPolls = 0, secondPolls = 0, nestedResult = 0;
  bool pausedAfterNested = false;
  std::string atomName;
  LoopFixture f([&](TestApp& app) {
    char name[32] = "";
    GlobalGetAtomNameA(app.HotKeyAtom(), name, sizeof name);
    atomName = name;
    HWND main = app.GetMainWindow()->HWindow;
    auto pollsUntilPause = [&app]() {
      for (int n = 1; n <= 40; ++n) {
        try {
          app.PollUserBreak();
        } catch (PauseExecution&) {
          return n;
        }
      }
      return 0;
    };
    // The key waiting in the queue: only every sixteenth poll looks for it.
    PostMessageA(main, WM_HOTKEY, app.HotKeyAtom(), 0);
    firstPolls = pollsUntilPause();
    secondPolls = pollsUntilPause();
    MSG msg;
    while (PeekMessageA(&msg, main, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
    }
    // The key arriving while a nested loop runs: that loop ends with -1, and the next
    // poll breaks at once.
    PostMessageA(main, WM_HOTKEY, app.HotKeyAtom(), 0);
    nestedResult = app.MessageLoop();
    try {
      app.PollUserBreak();
    } catch (PauseExecution&) {
      pausedAfterNested = true;
    }
    PostQuitMessage(0);
  });
  f.app->Run();
  EXPECT_TRUE(atomName == "CTRL-BREAK" || atomName == "ALT-BREAK") << atomName;
  EXPECT_GE(firstPolls, 1);
  EXPECT_LE(firstPolls, 16);
  EXPECT_EQ(16, secondPolls);
  EXPECT_EQ(-1, nestedResult);
  EXPECT_TRUE(pausedAfterNested);
}

}  // namespace
