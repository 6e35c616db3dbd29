// TToolFrame on the X display: it shrinks to its client, its recorded attributes follow
// moves made from code, by another thread and by posted system commands, and closing
// hides it with its client kept for the next show.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "testkit/testkit.h"
#include "tool/toolframe.h"
#include "winlib/applicat.h"

namespace {

TApplication& App() {
  static TApplication* app = new TApplication("ovitool_toolframe_test");
  return *app;
}

// A plain child window of a given size, as an editor window would be.
TWindow* NewClient(int w, int h) {
  TWindow* c = new TWindow(nullptr, "client", nullptr);
  c->Attr.W = w;
  c->Attr.H = h;
  return c;
}

struct Placed {
  int x, y, w, h;
};

Placed Actual(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void ExpectAttrIs(const TToolFrame& f, const Placed& p) {
  EXPECT_EQ(p.x, f.Attr.X);
  EXPECT_EQ(p.y, f.Attr.Y);
  EXPECT_EQ(p.w, f.Attr.W);
  EXPECT_EQ(p.h, f.Attr.H);
}

void Pump() {
  int n = 0;
  testkit::PumpUntil([&] { return ++n > 20; }, 1000);
}

TEST(ToolFrame, ConstructedAroundItsClientAndShrinksToIt) {
  App();
  TWindow* client = NewClient(240, 130);
  TToolFrame frame(nullptr, "", client, true, nullptr);
  EXPECT_EQ(1, frame.FocusClient);
  EXPECT_EQ(&frame, client->Parent);  // the editor reaches its frame as Parent
  EXPECT_EQ(client, frame.GetClientWindow());
  EXPECT_EQ(nullptr, frame.HWindow);  // made on first need
  ASSERT_TRUE(frame.Create());
  RECT r;
  GetClientRect(frame.HWindow, &r);
  EXPECT_EQ(240, r.right);
  EXPECT_EQ(130, r.bottom);
  ExpectAttrIs(frame, Actual(frame.HWindow));  // the shrunk size is recorded
}

TEST(ToolFrame, AttributesFollowMovesFromCode) {
  App();
  TToolFrame frame(nullptr, "Debug", NewClient(100, 50), false, nullptr);
  ASSERT_TRUE(frame.Create());
  frame.ShowWindow(SW_SHOWNORMAL);
  struct Move {
    int x, y, w, h;
  } moves[] = {{40, 50, 300, 200}, {10, 20, 320, 180}, {200, 150, 250, 260}};
  for (const Move& m : moves) {
    frame.MoveWindow(m.x, m.y, m.w, m.h, true);
    ExpectAttrIs(frame, {m.x, m.y, m.w, m.h});
  }
  // An editor sets Left, then Top, each from the recorded attributes: the second call
  // must not move the window back.
  ::SetWindowPos(frame.HWindow, nullptr, 90, frame.Attr.Y, frame.Attr.W, frame.Attr.H, SWP_NOCOPYBITS);
  ::SetWindowPos(frame.HWindow, nullptr, frame.Attr.X, 70, frame.Attr.W, frame.Attr.H, SWP_NOCOPYBITS);
  Placed now = Actual(frame.HWindow);
  EXPECT_EQ(90, now.x);
  EXPECT_EQ(70, now.y);
  ExpectAttrIs(frame, now);
}

TEST(ToolFrame, AttributesFollowMovesMadeElsewhere) {
  App();
  TToolFrame frame(nullptr, "Tool", NewClient(100, 50), false, nullptr);
  ASSERT_TRUE(frame.Create());
  frame.ShowWindow(SW_SHOWNORMAL);
  frame.MoveWindow(30, 30, 200, 150);
  HWND h = frame.HWindow;

  // Another thread moves the window, as another program or the window manager would:
  // the messages reach the frame through this thread's pump.
  std::thread mover([h] { ::SetWindowPos(h, nullptr, 120, 110, 260, 190, SWP_NOZORDER | SWP_NOACTIVATE); });
  testkit::PumpUntil([&] { return frame.Attr.X == 120; });
  mover.join();
  Pump();
  ExpectAttrIs(frame, {120, 110, 260, 190});

  // Posted system commands: minimised keeps the normal placement, restored reads it.
  frame.PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  testkit::PumpUntil([&] { return frame.IsIconic(); });
  Pump();
  ExpectAttrIs(frame, {120, 110, 260, 190});
  frame.PostMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  testkit::PumpUntil([&] { return !frame.IsIconic(); });
  Pump();
  ExpectAttrIs(frame, Actual(h));
  EXPECT_EQ(260, frame.Attr.W);
}

TEST(ToolFrame, ClosingHidesAndKeepsTheClient) {
  App();
  TWindow* client = NewClient(160, 90);
  TToolFrame frame(nullptr, "Close me", client, true, nullptr);
  ASSERT_TRUE(frame.Create());
  frame.ShowWindow(SW_SHOWNORMAL);
  frame.Attr.Style |= WS_VISIBLE;
  HWND clientHandle = client->HWindow;
  ASSERT_NE(nullptr, clientHandle);

  frame.PostMessage(WM_CLOSE);
  testkit::PumpUntil([&] { return !frame.IsWindowVisible(); });
  EXPECT_FALSE(frame.IsWindowVisible());
  EXPECT_TRUE(frame.IsWindow());  // hidden, not destroyed
  EXPECT_EQ(0u, frame.Attr.Style & WS_VISIBLE);
  EXPECT_EQ(client, frame.GetClientWindow());
  EXPECT_EQ(&frame, client->Parent);
  EXPECT_TRUE(IsWindow(clientHandle));

  frame.ShowWindow(SW_SHOWNORMAL);
  EXPECT_TRUE(frame.IsWindowVisible());
  EXPECT_EQ(clientHandle, client->HWindow);  // the same client shows again
  EXPECT_TRUE(IsWindowVisible(clientHandle));
}

}  // namespace
