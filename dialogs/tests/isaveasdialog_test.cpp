// "SaveAsDialog" run on the system's save dialog: it runs with the must-exist flag it
// starts with, and the system's save dialog takes a new name all the same.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "dialogs/isaveasdialog.h"
#include "runkit.h"

namespace {

using namespace cdlgkit;
using namespace runkit;

iSaveAsDialog* NewSave(const char* name) { return iSaveAsDialog::Native(NewObject("SaveAsDialog", name)); }

}  // namespace

TEST(SaveAsDialogRun, NewNameIsSaved) {
  TestWindows();
  testkit::TestDataDir dir("ovcdlg_save");
  iSaveAsDialog* d = NewSave("Saver");
  ASSERT_NE(nullptr, d);
  ASSERT_TRUE(
      RunBasic("Saver.Filter = \"Text|*.txt\"\nSaver.DefaultExtension = \"txt\"\nSaver.InitialDir = \"" +
               dir.Path() + "\"")
          .ok);
  ASSERT_EQ(uint32_t(kFdFileMustExist), d->Data().Flags & kFdFileMustExist);
  testkit::BoxAnswerer boxes;
  CancelGuard::Reset();
  boxes.Script(IDOK, [&](HWND box) {
    TypeName(box, "letter");
    CancelGuard::Arm(box);
    return 0;
  });
  EXPECT_EQ("1", BasicValue("Saver.Execute()"));
  EXPECT_FALSE(CancelGuard::Fired());
  EXPECT_EQ(1u, boxes.Boxes().size());  // no refusal box
  std::string name = BasicValue("Saver.FileName", "String");
  EXPECT_EQ(0, lstrcmpiA(dir.File("letter.txt").c_str(), name.c_str())) << name;
  // The flags the dialog ran with come back: the must-exist flag was among them.
  EXPECT_EQ(uint32_t(kFdFileMustExist | kFdExplorer), d->Data().Flags & (kFdFileMustExist | kFdExplorer));
  EXPECT_EQ("-1", BasicValue("Saver.PathMustExist"));
}
