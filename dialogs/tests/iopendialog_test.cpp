// "OpenDialog" run on the system's open dialog, answered by the test kit: a Basic
// program that sets the filter and the folder and reads back the file chosen, a
// cancelled run, the explorer style on this version.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "dialogs/iopendialog.h"
#include "runkit.h"

namespace {

using namespace cdlgkit;
using namespace runkit;

iOpenDialog* NewOpen(const char* name) { return iOpenDialog::Native(NewObject("OpenDialog", name)); }

void Touch(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  CloseHandle(h);
}

}  // namespace

TEST(OpenDialogRun, BasicProgramReadsTheFileChosen) {
  TestWindows();
  testkit::TestDataDir dir("ovcdlg_open");
  Touch(dir.File("report.dat"));
  ASSERT_NE(nullptr, NewOpen("Opener"));
  testkit::BoxAnswerer boxes;
  bool typed = false, selected = false;
  boxes.Script(IDOK, [&](HWND box) {
    // The dialog takes a filter when the choice is made final, as a click does.
    selected = testkit::SelectItem(box, kIdFilterList, "All");
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(kIdFilterList, CBN_SELENDOK),
                 (LPARAM)GetDlgItem(box, kIdFilterList));
    typed = TypeName(box, "report.dat");
    CancelGuard::Arm(box);
    return 0;
  });
  BasicOutcome out = BasicRunner::CompileAndRun(
      "Function F() As Long\n"
      "  Opener.Title = \"Open a report\"\n"
      "  Opener.Filter = \"Text (*.txt)|*.txt|All (*.*)|*.*\"\n"
      "  Opener.InitialDir = \"" +
          dir.Path() +
          "\"\n"
          "  F = Opener.Execute()\n"
          "End Function\n",
      "F");
  ASSERT_TRUE(out.ok) << out.error;
  EXPECT_EQ("1", out.result);
  EXPECT_TRUE(typed);
  EXPECT_TRUE(selected);
  EXPECT_FALSE(CancelGuard::Fired());
  ASSERT_EQ(1u, boxes.Boxes().size());
  EXPECT_EQ("Open a report", boxes.Boxes()[0].caption);
  std::string name = BasicValue("Opener.FileName", "String");
  EXPECT_EQ(0, lstrcmpiA(dir.File("report.dat").c_str(), name.c_str())) << name;
  EXPECT_EQ("2", BasicValue("Opener.FilterIndex"));
  EXPECT_EQ("Text (*.txt)|*.txt|All (*.*)|*.*", BasicValue("Opener.Filter", "String"));
}

TEST(OpenDialogRun, CancelledKeepsThePropertiesAndMarksChanged) {
  TestWindows();
  testkit::TestDataDir dir("ovcdlg_cancel");
  Touch(dir.File("other.txt"));
  iOpenDialog* d = NewOpen("Canceller");
  ASSERT_TRUE(RunBasic("Canceller.FileName = \"before.txt\"\nCanceller.Filter = \"Text|*.txt|All|*.*\"\n"
                       "Canceller.FilterIndex = 1\nCanceller.InitialDir = \"" +
                       dir.Path() + "\"")
                  .ok);
  SaveBytes(*d, TRUE);
  testkit::BoxAnswerer boxes;
  boxes.Script(IDCANCEL, [&](HWND box) {
    testkit::SelectItem(box, kIdFilterList, "All");
    TypeName(box, "other.txt");
    return 0;
  });
  EXPECT_EQ("2", BasicValue("Canceller.Execute()"));
  EXPECT_EQ(S_OK, d->IsDirty());
  EXPECT_EQ("before.txt", BasicValue("Canceller.FileName", "String"));
  EXPECT_EQ("1", BasicValue("Canceller.FilterIndex"));
  EXPECT_EQ("Text|*.txt|All|*.*", BasicValue("Canceller.Filter", "String"));
  EXPECT_EQ("-1", BasicValue("Canceller.FileMustExist"));
}

// Wine reports a version above 4: the explorer style and long names are set for every
// run, even when the record had lost them.
TEST(OpenDialogRun, ExplorerStyleAndLongNamesOnThisVersion) {
  TestWindows();
  ASSERT_GE(LOBYTE(LOWORD(GetVersion())), 4);
  iOpenDialog* d = NewOpen("Explorer");
  d->Data().Flags &= ~uint32_t(kFdExplorer | kFdLongNames);
  bool explorer = false;
  testkit::BoxAnswerer boxes;
  boxes.Script(IDCANCEL, [&](HWND box) {
    explorer = GetDlgItem(box, kIdNameCombo) != nullptr;
    return 0;
  });
  EXPECT_EQ(kCdlgCancelled, d->imExecute());
  EXPECT_TRUE(explorer);
  EXPECT_EQ(uint32_t(kFdExplorer | kFdLongNames), d->Data().Flags & (kFdExplorer | kFdLongNames));
  EXPECT_EQ(uint32_t(kFdInitialFlags), d->Data().Flags & kFdInitialFlags);
}
