// The form's client window on the X display: clicks and double clicks on the background
// become the form's events (and clicks on a control do not), keys reach the form, only
// the frame closes a form, and unloading and loading recreates every control in its
// Z order.
#include <gtest/gtest.h>

#include "formkit.h"

namespace {

using namespace formkit;

const char kTwoButtons[] =
    "  Dim Keys As String\n"
    "  Type First From Button\n  End Type\n"
    "  Type Second From Button\n  End Type\n"
    "  Sub KeyPress(keyAscii As Integer)\n    Keys = Keys & Chr(keyAscii)\n  End Sub\n";

// A form on top of everything else on the display, where the test can point at it.
IWForm* ShownForm(const char* name) {
  IWForm* f = MakeForm(name, kTwoButtons);
  if (!f) return nullptr;
  Place(f, "First");
  Place(f, "Second", 120, 700);
  f->imMove(9000, 7500, 4500, 3000);
  f->imShow();
  SetWindowPos(f->HWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  Pump();
  ClearLog(f);
  return f;
}

// Presses the left button on the client at (x, y) and releases it where the pointer is:
// the press takes the capture for the frame, so the release goes to the frame, as the
// system sends it.
void PressAndRelease(IWForm* f, POINT press, POINT release) {
  HWND client = f->Client()->HWindow;
  POINT screen = release;
  ClientToScreen(client, &screen);
  SetCursorPos(screen.x, screen.y);
  PostMessageA(client, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
  Pump();
  POINT inFrame = release;
  MapWindowPoints(client, f->HWindow, &inFrame, 1);
  PostMessageA(GetCapture() ? GetCapture() : client, WM_LBUTTONUP, 0, MAKELPARAM(inFrame.x, inFrame.y));
  Pump();
}

TEST(FormClient, AClickOnTheBackgroundIsTheFormsClick) {
  IWForm* f = ShownForm("ClientClick");
  ASSERT_NE(nullptr, f);
  RECT r;
  GetClientRect(f->Client()->HWindow, &r);
  POINT corner = {r.right - 5, r.bottom - 5};
  PressAndRelease(f, corner, corner);
  EXPECT_EQ("Click,", LogWithoutActivation(f));
  EXPECT_EQ(nullptr, GetCapture());
  // Released outside the client: no click, and the capture is given back all the same.
  ClearLog(f);
  PressAndRelease(f, corner, POINT{-40, -40});
  EXPECT_EQ("", LogWithoutActivation(f));
  EXPECT_EQ(nullptr, GetCapture());
  // A click on a control is the control's own.
  ClearLog(f);
  IWButton* b = Embedded<IWButton>(f, "First");
  PostMessageA(b->HWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageA(b->HWindow, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  Pump();
  EXPECT_EQ("", LogWithoutActivation(f));
  f->imUnload();
}

TEST(FormClient, ADoubleClickOnTheBackgroundIsTheFormsDblClick) {
  IWForm* f = ShownForm("ClientDouble");
  ASSERT_NE(nullptr, f);
  PostMessageA(f->Client()->HWindow, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(150, 150));
  Pump();
  EXPECT_EQ("DblClick,", LogWithoutActivation(f));
  f->imUnload();
}

TEST(FormClient, KeysOnTheBackgroundAreTheFormsKeys) {
  IWForm* f = ShownForm("ClientKeys");
  ASSERT_NE(nullptr, f);
  SendMessageA(f->Client()->HWindow, WM_CHAR, 'q', 1);
  EXPECT_EQ("q", TextOf(f->storeObj()->evalIMember("Keys", nullptr)));
  f->imUnload();
}

TEST(FormClient, CloseSentToTheClientDoesNothing) {
  IWForm* f = ShownForm("ClientClose");
  ASSERT_NE(nullptr, f);
  HWND client = f->Client()->HWindow;
  SendMessageA(client, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_TRUE(IsWindow(client));
  EXPECT_EQ(-1, f->pdGetVisible());
  EXPECT_EQ("", LogWithoutActivation(f));
  f->imUnload();
}

std::string ChildOrder(IWForm* f) {
  std::string order;
  for (HWND h = GetWindow(f->Client()->HWindow, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    char text[32] = "";
    GetWindowTextA(h, text, sizeof text);
    order += std::string(text) + " ";
  }
  return order;
}

TEST(FormClient, UnloadingAndLoadingRecreatesEveryControlInItsOrder) {
  IWForm* f = MakeForm("ClientRecreate", kTwoButtons);
  ASSERT_NE(nullptr, f);
  RunBasic("ClientRecreate.First.Caption = \"one\"\nClientRecreate.Second.Caption = \"two\"");
  f->imShow();
  IWButton* first = Embedded<IWButton>(f, "First");
  IWButton* second = Embedded<IWButton>(f, "Second");
  ASSERT_TRUE(first->HWindow && second->HWindow);
  EXPECT_GE(first->GetId(), 100);
  EXPECT_GE(second->GetId(), 100);
  EXPECT_NE(first->GetId(), second->GetId());
  SetWindowPos(first->HWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  std::string before = ChildOrder(f);
  EXPECT_EQ("one two ", before);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    f->imUnload();
    EXPECT_EQ(nullptr, first->HWindow);
    EXPECT_EQ(nullptr, second->HWindow);
    f->imLoad();
    ASSERT_TRUE(first->HWindow && second->HWindow);
    EXPECT_EQ(f->Client()->HWindow, GetParent(first->HWindow));
    EXPECT_EQ(f->Client()->HWindow, GetParent(second->HWindow));
    EXPECT_EQ(before, ChildOrder(f));
  }
  EXPECT_EQ("Load,Resize,Unload,Load,Unload,Load,", LogWithoutActivation(f));
  f->imUnload();
}

}  // namespace
