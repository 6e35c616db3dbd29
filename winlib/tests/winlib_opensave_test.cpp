// The open and save dialogs driven by the test kit, and the filter forms.
#include <gtest/gtest.h>

#include <string>

#include "testkit/testkit.h"
#include "winlib/opensave.h"

namespace {

// The name box of the dialog: the explorer style's combo box, or the old style's edit.
enum { IdNameCombo = 1148, IdNameEdit = 1152 };

bool TypeName(HWND box, const std::string& name) {
  return testkit::SetItemText(box, IdNameCombo, name.c_str()) ||
         testkit::SetItemText(box, IdNameEdit, name.c_str());
}

const uint32_t kFlags =
    OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;

std::string System(const char* s, size_t n) { return std::string(s, n); }

}  // namespace

TEST(WinLibOpenSave, FilterFormsBothWays) {
  struct Case {
    const char* text;  // given to SetFilter
    bool accepted;
    std::string system;      // FilterFormat(ffSystem)
    const char* backAsText;  // FilterFormat(ffText)
  } cases[] = {
      {"Text (*.txt)|*.txt", true, System("Text (*.txt)\0*.txt\0\0", 20), "Text (*.txt)|*.txt"},
      {"Text|*.txt|All|*.*", true, System("Text\0*.txt\0All\0*.*\0\0", 20), "Text|*.txt|All|*.*"},
      {"Text|*.txt|", true, System("Text\0*.txt\0\0", 12), "Text|*.txt"},
      {"Basic|*.bas;*.cls|Any|*", true, System("Basic\0*.bas;*.cls\0Any\0*\0\0", 25),
       "Basic|*.bas;*.cls|Any|*"},
      {"", true, "", ""},
      {nullptr, true, "", ""},
      // Wrong forms: no pattern, empty parts, a lone separator.
      {"Text", false, "", ""},
      {"Text|*.txt|All", false, "", ""},
      {"|*.txt", false, "", ""},
      {"Text||All|*.*", false, "", ""},
      {"|", false, "", ""},
      {"||", false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "(null)");
    TOpenSaveDialog::TData data(0, "Old|*.old");
    EXPECT_EQ(c.accepted, data.SetFilter(c.text));
    EXPECT_EQ(c.system, data.FilterFormat(TOpenSaveDialog::ffSystem));
    EXPECT_EQ(c.backAsText, data.FilterFormat(TOpenSaveDialog::ffText));
    EXPECT_EQ(c.system.empty(), data.Filter == nullptr);
    // The text form read back sets the same filter again.
    TOpenSaveDialog::TData again;
    EXPECT_TRUE(again.SetFilter(data.FilterFormat(TOpenSaveDialog::ffText).c_str()));
    EXPECT_EQ(c.system, again.FilterFormat(TOpenSaveDialog::ffSystem));
  }
}

TEST(WinLibOpenSave, DataBuffersAreBoundedAndOwned) {
  TOpenSaveDialog::TData data(0x1804, "A|*.a", nullptr, "C:\\dir", "txt");
  EXPECT_EQ(0x1804u, data.Flags);
  EXPECT_STREQ("", data.FileName);
  EXPECT_STREQ("C:\\dir", data.InitialDir);
  EXPECT_STREQ("txt", data.DefExt);
  std::string longName(300, 'n');
  data.SetFileName(longName.c_str());
  EXPECT_EQ(std::string(259, 'n'), data.FileName);
  data.SetFileName(nullptr);
  EXPECT_STREQ("", data.FileName);
  data.SetFileName("x.txt");
  TOpenSaveDialog::TData copy(data);
  data.SetFileName("y.txt");
  data.SetFilter("B|*.b");
  EXPECT_STREQ("x.txt", copy.FileName);
  EXPECT_EQ("A|*.a", copy.FilterFormat(TOpenSaveDialog::ffText));
  EXPECT_STREQ("C:\\dir", copy.InitialDir);
  // A filter index outside the filter's pairs does not reach the system as it is.
  data.FilterIndex = -1;
  EXPECT_EQ(-1, data.FilterIndex);
}

TEST(WinLibOpenSave, OpenDialogOkGivesTheFileTyped) {
  testkit::TestDataDir dir("winlib_open");
  std::string file = dir.File("report.txt");
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  CloseHandle(h);

  testkit::BoxAnswerer boxes;
  TOpenSaveDialog::TData data(kFlags, "Text (*.txt)|*.txt|All (*.*)|*.*", nullptr, dir.Path().c_str(), "txt");
  data.FilterIndex = 2;
  bool typed = false;
  boxes.Script(IDOK, [&](HWND box) {
    typed = TypeName(box, file);
    return 0;
  });
  TFileOpenDialog dialog(nullptr, data, 0, "Open a report");
  EXPECT_EQ(IDOK, dialog.Execute()) << "error " << data.Error;
  EXPECT_TRUE(typed);
  EXPECT_STRCASEEQ(file.c_str(), data.FileName);
  EXPECT_EQ(0u, data.Error);
  EXPECT_EQ(2, data.FilterIndex);
  EXPECT_EQ(0u, data.Flags & OFN_ENABLEHOOK);
  ASSERT_GE(boxes.Boxes().size(), 1u);
  EXPECT_EQ("Open a report", boxes.Boxes()[0].caption);
}

TEST(WinLibOpenSave, SaveDialogOkAddsTheDefaultExtension) {
  testkit::TestDataDir dir("winlib_save");
  testkit::BoxAnswerer boxes;
  TOpenSaveDialog::TData data(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER, "Text (*.txt)|*.txt",
                              nullptr, dir.Path().c_str(), "txt");
  boxes.Script(IDOK, [&](HWND box) {
    TypeName(box, dir.File("letter"));
    return 0;
  });
  TFileSaveDialog dialog(nullptr, data);
  EXPECT_EQ(IDOK, dialog.Execute()) << "error " << data.Error;
  EXPECT_STRCASEEQ(dir.File("letter.txt").c_str(), data.FileName);
  EXPECT_EQ(0u, data.Error);
}

TEST(WinLibOpenSave, CancelLeavesTheDataAsItWas) {
  testkit::TestDataDir dir("winlib_cancel");
  testkit::BoxAnswerer boxes;
  TOpenSaveDialog::TData data(kFlags, "Text|*.txt", nullptr, dir.Path().c_str(), "txt");
  data.SetFileName("before.txt");
  data.FilterIndex = 1;
  boxes.Script(IDCANCEL, [&](HWND box) {
    TypeName(box, dir.File("other.txt"));
    return 0;
  });
  TFileOpenDialog dialog(nullptr, data);
  EXPECT_EQ(IDCANCEL, dialog.Execute());
  EXPECT_STREQ("before.txt", data.FileName);
  EXPECT_EQ(kFlags, data.Flags);
  EXPECT_EQ(1, data.FilterIndex);
  EXPECT_EQ(0u, data.Error);
}
