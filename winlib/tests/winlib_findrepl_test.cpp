// The modeless find and replace dialogs: the registered message to the owner with the
// typed text, a derived IDOK handler in place of the library's, and dialog keys routed by
// the application's loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testkit/testkit.h"
#include "winlib/applicat.h"
#include "winlib/findrepl.h"

namespace {

enum { IdFindWhat = 1152, IdReplaceWith = 1153, IdMatchCase = 1041 };

struct FindEvent {
  uint32_t flags;
  std::string findWhat;
  std::string replaceWith;
};

// The owner: records each "commdlg_FindReplace" it gets.
class TOwner : public TWindow {
 public:
  TOwner() : TWindow(nullptr, "find owner") { Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE; }
  LRESULT EvFindMsg(WPARAM, LPARAM p) {
    auto* fr = reinterpret_cast<const FINDREPLACEA*>(p);
    events.push_back({fr->Flags, fr->lpstrFindWhat ? fr->lpstrFindWhat : "",
                      fr->lpstrReplaceWith ? fr->lpstrReplaceWith : ""});
    if (dialog) dialog->UpdateData(p);
    return 0;
  }
  LRESULT EvMarker(WPARAM, LPARAM) {
    ++markers;
    return 0;
  }
  std::vector<FindEvent> events;
  int markers = 0;
  TFindReplaceDialog* dialog = nullptr;
  DECLARE_RESPONSE_TABLE(TOwner);
};

const uint kMarker = WM_USER + 77;

DEFINE_RESPONSE_TABLE1(TOwner, TWindow)
EV_REGISTERED(FINDMSGSTRINGA, EvFindMsg), EV_MESSAGE(kMarker, EvMarker), END_RESPONSE_TABLE;

// As the find-dialog object of the forms library does it: the derived table holds IDOK.
class TFindNotifier : public TFindDialog {
 public:
  TFindNotifier(TWindow* parent, TData& data) : TFindDialog(parent, data) {}
  void CmFindNotify() { ++notified; }
  int notified = 0;
  DECLARE_RESPONSE_TABLE(TFindNotifier);
};

DEFINE_RESPONSE_TABLE1(TFindNotifier, TFindDialog)
EV_COMMAND(IDOK, CmFindNotify), END_RESPONSE_TABLE;

}  // namespace

TEST(WinLibFindReplace, DataStartsDownwardsWithBoundedBuffers) {
  TFindReplaceDialog::TData data;
  EXPECT_EQ(uint32_t(FR_DOWN), data.Flags);
  EXPECT_EQ(81, data.BuffSize);
  EXPECT_STREQ("", data.FindWhat);
  data.SetFindWhat(std::string(100, 'x').c_str());
  EXPECT_EQ(std::string(80, 'x'), data.FindWhat);
  data.SetReplaceWith(nullptr);
  EXPECT_STREQ("", data.ReplaceWith);
  TFindReplaceDialog::TData tiny(0, 0);  // the system needs room for one character
  EXPECT_EQ(2, tiny.BuffSize);
  EXPECT_EQ(RegisterWindowMessageA("commdlg_FindReplace"), TFindReplaceDialog::GetFindReplaceMessage());
}

TEST(WinLibFindReplace, FindNextSendsTheTypedTextToTheOwner) {
  TOwner owner;
  owner.Create();
  TFindReplaceDialog::TData data(FR_DOWN | FR_MATCHCASE);
  data.SetFindWhat("old");
  TFindDialog dialog(&owner, data, 0, "Look for");
  owner.dialog = &dialog;
  testkit::BoxAnswerer boxes;
  std::string shown;
  boxes.Script(IDOK, [&](HWND box) {
    shown = testkit::ItemText(box, IdFindWhat);
    testkit::SetItemText(box, IdFindWhat, "needle");
    return 0;
  });
  ASSERT_TRUE(dialog.Create());
  ASSERT_NE(nullptr, dialog.HWindow);
  EXPECT_EQ(&dialog, TWindow::GetWindowPtr(dialog.HWindow));
  ASSERT_TRUE(testkit::PumpUntil([&] { return !owner.events.empty(); }));
  EXPECT_EQ("old", shown);
  EXPECT_EQ("needle", owner.events[0].findWhat);
  EXPECT_NE(0u, owner.events[0].flags & FR_FINDNEXT);
  EXPECT_NE(0u, owner.events[0].flags & FR_MATCHCASE);
  EXPECT_STREQ("needle", data.FindWhat);
  EXPECT_NE(0u, data.Flags & FR_FINDNEXT);
  EXPECT_EQ(0u, data.Flags & FR_ENABLEHOOK);
  ASSERT_EQ(1u, boxes.Boxes().size());
  EXPECT_EQ("Look for", boxes.Boxes()[0].caption);

  // Closing the dialog tells the owner and leaves the object without a window.
  PostMessageA(dialog.HWindow, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  ASSERT_TRUE(testkit::PumpUntil([&] { return owner.events.size() == 2 && !dialog.HWindow; }));
  EXPECT_NE(0u, owner.events[1].flags & FR_DIALOGTERM);
  // The same object opens its window again.
  boxes.Script(testkit::BoxAnswerer::LeaveOpen);
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ("needle", testkit::ItemText(dialog.HWindow, IdFindWhat));
  dialog.Destroy(IDCANCEL);
  EXPECT_EQ(nullptr, dialog.HWindow);
}

TEST(WinLibFindReplace, ReplaceSendsBothTexts) {
  TOwner owner;
  owner.Create();
  TFindReplaceDialog::TData data;
  TReplaceDialog dialog(&owner, data);
  testkit::BoxAnswerer boxes;
  boxes.Script(1024 /* psh1: Replace */, [&](HWND box) {
    testkit::SetItemText(box, IdFindWhat, "cat");
    testkit::SetItemText(box, IdReplaceWith, "dog");
    return 0;
  });
  ASSERT_TRUE(dialog.Create());
  ASSERT_TRUE(testkit::PumpUntil([&] { return !owner.events.empty(); }));
  EXPECT_EQ("cat", owner.events[0].findWhat);
  EXPECT_EQ("dog", owner.events[0].replaceWith);
  EXPECT_NE(0u, owner.events[0].flags & FR_REPLACE);
  EXPECT_STREQ("dog", data.ReplaceWith);
}

TEST(WinLibFindReplace, ADerivedIdokHandlerRunsInsteadOfTheLibrarys) {
  TOwner owner;
  owner.Create();
  TFindReplaceDialog::TData data;
  TFindNotifier dialog(&owner, data);
  testkit::BoxAnswerer boxes;
  boxes.Script(IDOK, [&](HWND box) {
    testkit::SetItemText(box, IdFindWhat, "text");
    return 0;
  });
  ASSERT_TRUE(dialog.Create());
  ASSERT_TRUE(testkit::PumpUntil([&] { return dialog.notified == 1; }));
  // Anything the system would have sent arrives before a marker posted now.
  owner.PostMessage(kMarker);
  ASSERT_TRUE(testkit::PumpUntil([&] { return owner.markers == 1; }));
  EXPECT_TRUE(owner.events.empty());
  EXPECT_NE(nullptr, dialog.HWindow);  // the dialog stays open
  // The getters of the find-dialog object read the controls while the window exists.
  EXPECT_EQ("text", testkit::ItemText(dialog.HWindow, IdFindWhat));
}

// Keys typed into the dialog reach it through the application's loop: Enter in the edit
// is the default button only when IsDialogMessage sees the key.
TEST(WinLibFindReplace, TypingWorksThroughTheApplicationsLoop) {
  TApplication app("FindTest");
  TOwner owner;
  owner.Create();
  TFindReplaceDialog::TData data;
  TFindDialog dialog(&owner, data);
  owner.dialog = &dialog;
  testkit::BoxAnswerer boxes;
  boxes.Script(testkit::BoxAnswerer::LeaveOpen);
  ASSERT_TRUE(dialog.Create());
  // A dialog of the system's without a library object goes the same way.
  char rawText[81] = "";
  FINDREPLACEA raw = {};
  raw.lStructSize = sizeof raw;
  raw.hwndOwner = owner.HWindow;
  raw.Flags = FR_DOWN;
  raw.lpstrFindWhat = rawText;
  raw.wFindWhatLen = sizeof rawText;
  HWND rawDialog = FindTextA(&raw);
  ASSERT_NE(nullptr, rawDialog);
  EXPECT_EQ(nullptr, TWindow::GetWindowPtr(rawDialog));

  struct Target {
    HWND edit;
    const char* text;
  } targets[] = {{GetDlgItem(dialog.HWindow, IdFindWhat), "abc"}, {GetDlgItem(rawDialog, IdFindWhat), "xyz"}};
  for (const Target& t : targets) {
    ASSERT_NE(nullptr, t.edit);
    for (const char* c = t.text; *c; ++c) PostMessageA(t.edit, WM_CHAR, WPARAM(*c), 1);
    PostMessageA(t.edit, WM_KEYDOWN, VK_RETURN, 1);
  }
  DWORD start = GetTickCount();
  while (owner.events.size() < 2 && GetTickCount() - start < 5000) {
    app.PumpWaitingMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  ASSERT_EQ(2u, owner.events.size());
  EXPECT_EQ("abc", owner.events[0].findWhat);
  EXPECT_EQ("xyz", owner.events[1].findWhat);
  EXPECT_NE(0u, owner.events[0].flags & FR_FINDNEXT);
  EXPECT_STREQ("abc", data.FindWhat);
  DestroyWindow(rawDialog);
}
