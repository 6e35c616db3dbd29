// The modal run every modal dialog shares: the other top-level windows disabled and the
// store told "not busy" while the dialog runs, everything back afterwards; the main
// window as the dialog's owner, no owner when there is no main window.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "dialogs/iopendialog.h"
#include "runkit.h"

namespace {

using namespace cdlgkit;
using namespace runkit;

iOpenDialog* NewOpen(const char* name) { return iOpenDialog::Native(NewObject("OpenDialog", name)); }

}  // namespace

TEST(CommonDialogRun, OtherWindowsDisabledAndStoreNotBusyMeanwhile) {
  Windows& w = TestWindows();
  iOpenDialog* d = NewOpen("Runner");
  ASSERT_NE(nullptr, d);
  ASSERT_TRUE(IsWindowEnabled(w.main->HWindow));
  ASSERT_TRUE(IsWindowEnabled(w.other->HWindow));
  RecordingApp& app = App();
  app.signals.clear();
  BOOL mainEnabled = TRUE, otherEnabled = TRUE;
  HWND owner = nullptr;
  std::string signals;
  testkit::BoxAnswerer boxes;
  boxes.Script(IDCANCEL, [&](HWND box) {
    mainEnabled = IsWindowEnabled(w.main->HWindow);
    otherEnabled = IsWindowEnabled(w.other->HWindow);
    owner = GetWindow(box, GW_OWNER);
    signals = app.signals;
    return 0;
  });
  EXPECT_EQ(kCdlgCancelled, d->imExecute());
  ASSERT_EQ(1u, boxes.Boxes().size());
  EXPECT_FALSE(mainEnabled);
  EXPECT_FALSE(otherEnabled);
  EXPECT_EQ(w.main->HWindow, owner);
  EXPECT_EQ("not busy,", signals);
  EXPECT_EQ("not busy,busy,", app.signals);
  EXPECT_TRUE(IsWindowEnabled(w.main->HWindow));
  EXPECT_TRUE(IsWindowEnabled(w.other->HWindow));
}

// The launcher runs applications without a main form: the dialog then has no owner
// instead of ending the program with an assertion.
TEST(CommonDialogRun, WithoutAMainWindowRunsWithoutOwner) {
  Windows& w = TestWindows();
  iOpenDialog* d = NewOpen("NoMain");
  w.app->SetMainWindow(nullptr);
  HWND owner = (HWND)1;
  BOOL otherEnabled = TRUE;
  testkit::BoxAnswerer boxes;
  boxes.Script(IDCANCEL, [&](HWND box) {
    owner = GetWindow(box, GW_OWNER);
    otherEnabled = IsWindowEnabled(w.other->HWindow);
    return 0;
  });
  short result = 0;
  try {
    result = d->imExecute();
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
  w.app->SetMainWindow(w.main);
  EXPECT_EQ(kCdlgCancelled, result);
  EXPECT_EQ(1u, boxes.Boxes().size());
  EXPECT_EQ(nullptr, owner);
  EXPECT_FALSE(otherEnabled);
  EXPECT_TRUE(IsWindowEnabled(w.other->HWindow));
}
