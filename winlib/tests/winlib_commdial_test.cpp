// The colour and font dialogs driven by the test kit: values typed into the system's
// dialogs come back in TData on OK, Cancel leaves TData as it was, and a dialog that
// cannot start keeps its error code.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "testkit/testkit.h"
#include "winlib/chooseco.h"
#include "winlib/choosefo.h"

namespace {

// The colour dialog's red, green and blue edits.
enum { IdRed = 706, IdGreen = 707, IdBlue = 708 };

COLORREF BrushColour(HBRUSH brush) {
  LOGBRUSH lb = {};
  GetObjectA(brush, sizeof lb, &lb);
  return lb.lbColor;
}

}  // namespace

TEST(WinLibChooseColor, NewDataHasTheStartingValues) {
  TChooseColorDialog::TData data;
  EXPECT_EQ(uint32_t(CC_RGBINIT), data.Flags);
  EXPECT_EQ(0u, data.Error);
  EXPECT_EQ(0x01000000u, data.Color.GetValue());
  for (int i = 0; i < 16; ++i) EXPECT_EQ(0u, data.CustColors[i].GetValue());
  // A copy owns its own custom colours.
  TChooseColorDialog::TData copy(data);
  copy.CustColors[2] = TColor(RGB(9, 9, 9));
  EXPECT_EQ(0u, data.CustColors[2].GetValue());
  EXPECT_NE(copy.CustColors, data.CustColors);
}

TEST(WinLibChooseColor, OkGivesTheTypedColourAndTheDialogIsALibraryWindow) {
  testkit::BoxAnswerer boxes;
  TChooseColorDialog::TData data;
  data.Color = TColor(RGB(10, 20, 30));
  data.CustColors[3] = TColor(RGB(1, 2, 3));
  COLORREF background = 0;
  bool attached = false;
  boxes.Script(IDOK, [&](HWND box) {
    attached = TWindow::GetWindowPtr(box) != nullptr;
    HDC dc = GetDC(box);
    background = BrushColour(HBRUSH(SendMessageA(box, WM_CTLCOLORDLG, WPARAM(dc), LPARAM(box))));
    ReleaseDC(box, dc);
    testkit::SetItemText(box, IdRed, "200");
    testkit::SetItemText(box, IdGreen, "100");
    testkit::SetItemText(box, IdBlue, "50");
    return 0;
  });
  TChooseColorDialog dialog(nullptr, data, 0, "Pick a colour");
  dialog.SetBkgndColor(TColor::White);
  EXPECT_EQ(IDOK, dialog.Execute());
  EXPECT_EQ(RGB(200, 100, 50), data.Color.GetValue());
  EXPECT_EQ(0u, data.Error);
  EXPECT_EQ(RGB(1, 2, 3), data.CustColors[3].GetValue());
  EXPECT_EQ(uint32_t(CC_RGBINIT), data.Flags & ~uint32_t(CC_FULLOPEN));
  EXPECT_TRUE(attached);
  EXPECT_EQ(RGB(255, 255, 255), background);  // TColor::White through the library's table
  ASSERT_EQ(1u, boxes.Boxes().size());
  EXPECT_EQ("Pick a colour", boxes.Boxes()[0].caption);
  EXPECT_EQ(nullptr, dialog.HWindow);
}

TEST(WinLibChooseColor, CancelLeavesTheDataAsItWas) {
  testkit::BoxAnswerer boxes;
  TChooseColorDialog::TData data;
  data.Color = TColor(RGB(10, 20, 30));
  data.CustColors[0] = TColor(RGB(4, 5, 6));
  boxes.Script(IDCANCEL, [](HWND box) {
    testkit::SetItemText(box, IdRed, "255");
    return 0;
  });
  TChooseColorDialog dialog(nullptr, data);
  EXPECT_EQ(IDCANCEL, dialog.Execute());
  EXPECT_EQ(RGB(10, 20, 30), data.Color.GetValue());
  EXPECT_EQ(RGB(4, 5, 6), data.CustColors[0].GetValue());
  EXPECT_EQ(uint32_t(CC_RGBINIT), data.Flags);
  EXPECT_EQ(0u, data.Error);
  EXPECT_EQ(1u, boxes.Boxes().size());
}

TEST(WinLibChooseFont, NewDataHasTheStartingValues) {
  TChooseFontDialog::TData data;
  EXPECT_EQ(0x10141u, data.Flags);
  EXPECT_EQ(0, data.PointSize);
  EXPECT_EQ(0x01000000u, data.Color.GetValue());
  EXPECT_EQ(nullptr, data.Style);
  EXPECT_EQ(nullptr, data.DC);
  const char zero[sizeof(LOGFONTA)] = {};
  EXPECT_EQ(0, std::memcmp(zero, &data.LogFont, sizeof zero));
}

// The font dialog's face, size and underline controls.
enum { IdFace = 1136, IdSize = 1138, IdUnderline = 1041 };

TEST(WinLibChooseFont, OkGivesTheChosenFaceSizeAndEffects) {
  testkit::BoxAnswerer boxes;
  TChooseFontDialog::TData data;
  data.Flags |= CF_TTONLY;
  std::string face;
  boxes.Script(IDOK, [&](HWND box) {
    HWND faces = GetDlgItem(box, IdFace);
    LRESULT count = SendMessageA(faces, CB_GETCOUNT, 0, 0);
    char name[LF_FACESIZE] = "";
    if (count > 1) SendMessageA(faces, CB_GETLBTEXT, 1, LPARAM(name));
    face = name;
    testkit::SelectItem(box, IdFace, name);
    testkit::SetItemText(box, IdSize, "14");
    testkit::CheckItem(box, IdUnderline, true);
    return 0;
  });
  TChooseFontDialog dialog(nullptr, data, 0, "Pick a font");
  EXPECT_EQ(IDOK, dialog.Execute()) << "error " << data.Error;
  ASSERT_FALSE(face.empty()) << "the dialog listed fewer than two faces";
  EXPECT_EQ(face, data.LogFont.lfFaceName);
  EXPECT_EQ(140, data.PointSize);
  EXPECT_EQ(1, data.LogFont.lfUnderline);
  EXPECT_EQ(0u, data.Error);
  EXPECT_NE(0u, data.Flags & CF_TTONLY);
  ASSERT_EQ(1u, boxes.Boxes().size());
  EXPECT_EQ("Pick a font", boxes.Boxes()[0].caption);
}

TEST(WinLibChooseFont, CancelLeavesTheDataAsItWas) {
  testkit::BoxAnswerer boxes;
  TChooseFontDialog::TData data;
  std::strcpy(data.LogFont.lfFaceName, "Tahoma");
  data.LogFont.lfHeight = -13;
  data.PointSize = 100;
  TChooseFontDialog::TData before = data;
  boxes.Script(IDCANCEL, [](HWND box) {
    testkit::SetItemText(box, IdSize, "30");
    return 0;
  });
  TChooseFontDialog dialog(nullptr, data);
  EXPECT_EQ(IDCANCEL, dialog.Execute());
  EXPECT_EQ(0, std::memcmp(&before.LogFont, &data.LogFont, sizeof data.LogFont));
  EXPECT_EQ(100, data.PointSize);
  EXPECT_EQ(before.Flags, data.Flags);
  EXPECT_EQ(0u, data.Error);
}

// A dialog that cannot start (its template is missing) shows nothing, answers IDCANCEL
// and keeps the system's error code.
TEST(WinLibCommonDialogs, AMissingTemplateIsAnErrorKeptInTheData) {
  testkit::BoxAnswerer boxes;
  const int missing = 31999;
  TChooseColorDialog::TData color;
  EXPECT_EQ(IDCANCEL, TChooseColorDialog(nullptr, color, missing).Execute());

  EXPECT_NE(0u, color.Error);
  TChooseFontDialog::TData font;
  EXPECT_EQ(IDCANCEL, TChooseFontDialog(nullptr, font, missing).Execute());
  EXPECT_NE(0u, font.Error);
  // (Wine's file dialog does not return when its custom template is missing.)
  EXPECT_TRUE(boxes.Boxes().empty());
}
