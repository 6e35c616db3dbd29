// Floating frames under Wine: the tiny caption and frame drawn in the non-client area
// (read back from the window DC), hit testing, the close box and system commands,
// shrinking to the client tool box, and a drag by the caption with real mouse input.
#include <gtest/gtest.h>

#include "gadgettest.h"
#include "winlib/floatingframe.h"
#include "winlib/toolbox.h"

using namespace gadgettest;

namespace {

TApplication& App() {
  static TApplication app("FloatingFrameTest");
  return app;
}

// The whole window (frame and caption included), read from its window DC.
testkit::Image ShotWindow(HWND w) {
  RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  Pump();
  GdiFlush();
  testkit::Image img;
  RECT r;
  GetWindowRect(w, &r);
  img.width = r.right - r.left;
  img.height = r.bottom - r.top;
  HDC src = GetWindowDC(w);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = img.width;
  bi.bmiHeader.biHeight = -img.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = CreateCompatibleDC(src);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, img.width, img.height, src, 0, 0, SRCCOPY);
  GdiFlush();
  img.rgb.resize(size_t(img.width) * img.height * 3);
  auto* s = static_cast<const unsigned char*>(bits);
  for (size_t i = 0, n = size_t(img.width) * img.height; i < n; ++i) {
    img.rgb[i * 3] = s[i * 4 + 2];
    img.rgb[i * 3 + 1] = s[i * 4 + 1];
    img.rgb[i * 3 + 2] = s[i * 4];
  }
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(dib);
  ReleaseDC(w, src);
  return img;
}

// A floating frame whose system-menu wait can be armed, as a click on its box does
// before the menu opens.
class TTestFrame : public TFloatingFrame {
 public:
  using TFloatingFrame::TFloatingFrame;
  void ArmSysCommand() { WaitingForSysCmd = true; }
};

// A 2-column tool box of 20 x 20 gadgets with 2-pixel margins: 44 pixels wide.
TToolBox* NewBox(int gadgets) {
  auto* box = new TToolBox(nullptr, 2, TToolBox::AsManyAsNeeded, TGadgetWindow::Horizontal);
  for (int i = 0; i < gadgets; ++i) box->Insert(*new TSizedGadget(i + 1, 20, 20));
  return box;
}

}  // namespace

TEST(FloatingFrame, TinyCaptionIsDrawnAndAnswersHitTests) {
  App();
  THost host(200, 150);
  TToolBox* box = NewBox(4);
  auto* frame = new TTestFrame(&host, "Tools", box, true, 100, true);
  frame->Attr.X = 260;
  frame->Attr.Y = 40;
  ASSERT_TRUE(host.Create());
  ASSERT_NE(frame->HWindow, nullptr);
  EXPECT_EQ(GetWindow(frame->HWindow, GW_OWNER), host.HWindow);
  const int b = frame->GetFrameWidth(), ch = frame->GetCaptionHeight();
  EXPECT_GE(ch, 6);
  EXPECT_TRUE(frame->IsPopupPalette());

  // Shrunk to the box: the client is the box's desired size, framed and captioned.
  TRect wr = frame->GetWindowRect(), cr = frame->GetClientRect();
  EXPECT_EQ(cr.Size(), TSize(44, 44));
  EXPECT_EQ(wr.Size(), TSize(44 + 2 * b, 44 + 2 * b + ch));
  EXPECT_EQ(box->GetWindowRect().Size(), TSize(44, 44));

  const struct {
    int x, y;  // window coordinates
    LRESULT hit;
  } hits[] = {
      {b + 2, b + ch / 2, HTCAPTION},
      {wr.Width() / 2 - 4, b, HTCAPTION},
      {wr.Width() - b - 2, b + ch / 2, HTCLOSE},
      {wr.Width() / 2, b + ch + 10, HTCLIENT},
      {0, wr.Height() / 2, HTBORDER},
      {wr.Width() / 2, wr.Height() - 1, HTBORDER},
      {wr.Width() + 3, 5, HTNOWHERE},
  };
  for (auto& h : hits) {
    LRESULT got = frame->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(wr.left + h.x, wr.top + h.y));
    EXPECT_EQ(got, h.hit) << h.x << "," << h.y;
  }

  testkit::Image img = ShotWindow(frame->HWindow);
  COLORREF bar = GetSysColor(frame->IsCaptionActive() ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
  EXPECT_EQ(img.Pixel(0, 0), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(img.Pixel(wr.Width() - 1, wr.Height() - 1), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(img.Pixel(b, b), bar);
  TRect close = frame->GetCloseBoxRect();
  EXPECT_EQ(img.Pixel((close.left + close.right) / 2 - 3, close.top + 3), GetSysColor(COLOR_BTNFACE));
  // The title is drawn on the bar; without one the bar is plain.
  auto inkOnBar = [&](const testkit::Image& shot) {
    int ink = 0;
    for (int y = b; y < b + ch; ++y)
      for (int x = b + 2; x < close.left; ++x)
        if (shot.Pixel(x, y) != bar) ++ink;
    return ink;
  };
  EXPECT_GT(inkOnBar(img), 10);
  frame->SetCaption("");
  EXPECT_EQ(inkOnBar(ShotWindow(frame->HWindow)), 0);
  frame->SetCaption("Tools");
  EXPECT_GT(inkOnBar(ShotWindow(frame->HWindow)), 10);

  // Activation repaints the bar in the other colour.
  frame->SendMessage(WM_NCACTIVATE, !frame->IsCaptionActive(), 0);
  COLORREF other = GetSysColor(frame->IsCaptionActive() ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
  EXPECT_EQ(ShotWindow(frame->HWindow).Pixel(b, b), other);
}

TEST(FloatingFrame, ShrinksToItsClientsDesiredSize) {
  App();
  THost host(200, 150);
  TToolBox* box = NewBox(2);
  auto* frame = new TFloatingFrame(&host, "Tools", box, true, 60, true);
  frame->Attr.X = 260;
  frame->Attr.Y = 40;
  ASSERT_TRUE(host.Create());
  EXPECT_EQ(frame->GetClientRect().Size(), TSize(44, 24));
  const struct {
    int add;  // gadgets added (negative: removed from the end)
    TSize client;
  } steps[] = {{1, {44, 44}}, {3, {44, 64}}, {-5, {24, 24}}, {-1, {4, 4}}};
  int id = 100;
  for (auto& s : steps) {
    if (s.add > 0)
      for (int i = 0; i < s.add; ++i) box->Insert(*new TSizedGadget(++id, 20, 20));
    else
      for (int i = 0; i < -s.add; ++i) delete box->LastGadget();
    box->LayoutSession();  // asks the frame to fit it again
    EXPECT_EQ(frame->GetClientRect().Size(), s.client) << box->NumGadgets() << " gadgets";
    EXPECT_EQ(box->GetWindowRect().Size(), s.client);
  }
  // Without shrink-to-client the frame keeps its size.
  frame->ClearFlag(wfShrinkToClient);
  TSize before = frame->GetWindowRect().Size();
  box->Insert(*new TSizedGadget(++id, 20, 20));
  box->LayoutSession();
  frame->SendMessage(WM_SIZE, WPARAM(box->HWindow), 0);
  EXPECT_EQ(frame->GetWindowRect().Size(), before);
}

TEST(FloatingFrame, CloseBoxAndSystemCommands) {
  App();
  THost host(200, 150);
  auto* frame = new TTestFrame(&host, "Tools", NewBox(1), true, 60, true);
  ASSERT_TRUE(host.Create());
  // A command is only taken as a system command while the caption's menu is open.
  frame->SendMessage(WM_COMMAND, SC_CLOSE, 0);
  Pump();
  ASSERT_NE(frame->HWindow, nullptr);
  frame->ArmSysCommand();
  frame->SendMessage(WM_COMMAND, SC_CLOSE, 0);
  Pump();
  EXPECT_EQ(frame->HWindow, nullptr);

  auto* palette = new TFloatingFrame(&host, "Palette", NewBox(1), true, 60, true);
  ASSERT_TRUE(palette->Create());
  TRect wr = palette->GetWindowRect(), close = palette->GetCloseBoxRect();
  palette->SendMessage(WM_NCLBUTTONDOWN, HTCLOSE,
                       MAKELPARAM(wr.left + close.left + 2, wr.top + close.top + 2));
  testkit::PumpUntil([&] { return palette->HWindow == nullptr; });
  EXPECT_EQ(palette->HWindow, nullptr);

  // Without the palette style the caption has a system-menu box instead of a close box.
  auto* plain = new TFloatingFrame(&host, "Plain", NewBox(1), true, 60, false);
  ASSERT_TRUE(plain->Create());
  EXPECT_TRUE(plain->GetCloseBoxRect().IsEmpty());
  TRect sys = plain->GetSysMenuBoxRect();
  ASSERT_FALSE(sys.IsEmpty());
  TRect pr = plain->GetWindowRect();
  EXPECT_EQ(plain->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(pr.left + sys.left + 2, pr.top + sys.top + 2)),
            LRESULT(HTSYSMENU));
}

namespace {

// The drag's state, shared with the timer callbacks below.
int step;
TPoint origin;
POINT from, to;

void CALLBACK EndDrag(HWND, UINT, UINT_PTR, DWORD) {
  INPUT up = {};
  up.type = INPUT_MOUSE;
  up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &up, sizeof up);
  ReleaseCapture();
}

void CALLBACK FeedDrag(HWND, UINT, UINT_PTR id, DWORD) {
  auto sendNow = [](DWORD flags, int x, int y) {
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = LONG((x * 65536 + sw / 2) / sw);
    in.mi.dy = LONG((y * 65536 + sh / 2) / sh);
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
  };
  ++step;
  if (step <= 4) {
    sendNow(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, origin.x + 15 * step, origin.y + 10 * step);
  } else if (step == 5) {
    GetCursorPos(&to);
    INPUT up = {};
    up.type = INPUT_MOUSE;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &up, sizeof up);
  } else {
    KillTimer(nullptr, id);
  }
}

}  // namespace

TEST(FloatingFrame, DraggingTheCaptionMovesTheFrame) {
  App();
  THost host(200, 150);
  auto* frame = new TFloatingFrame(&host, "Tools", NewBox(4), true, 100, true);
  frame->Attr.X = 300;
  frame->Attr.Y = 200;
  ASSERT_TRUE(host.Create());
  SetForegroundWindow(frame->HWindow);
  Pump();
  TRect start = frame->GetWindowRect();
  const int b = frame->GetFrameWidth(), ch = frame->GetCaptionHeight();
  TPoint grab(start.left + b + 4, start.top + b + ch / 2);
  ASSERT_EQ(frame->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(grab.x, grab.y)), LRESULT(HTCAPTION));

  // The input goes in one step per timer tick: the system's move loop, which runs inside
  // the dispatch of the press, takes each before the next comes (it dispatches timers).
  step = 0;
  origin = grab;
  auto send = [](DWORD flags, int x, int y) {
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = LONG((x * 65536 + sw / 2) / sw);
    in.mi.dy = LONG((y * 65536 + sh / 2) / sh);
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
  };
  // Should the system's move loop still miss the release, end it rather than wait forever.
  UINT_PTR watchdog = SetTimer(nullptr, 0, 8000, EndDrag);
  send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, grab.x, grab.y);
  Pump();
  GetCursorPos(&from);
  UINT_PTR feeder = SetTimer(nullptr, 0, 60, FeedDrag);
  INPUT down = {};
  down.type = INPUT_MOUSE;
  down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &down, sizeof down);
  ASSERT_TRUE(testkit::PumpUntil([&] { return step > 5; }, 6000));
  KillTimer(nullptr, feeder);
  (void)send;
  ASSERT_NE(to.x, from.x);
  TPoint want(start.left + (to.x - from.x), start.top + (to.y - from.y));
  EXPECT_TRUE(testkit::PumpUntil([&] { return frame->GetWindowRect().TopLeft() == want; }, 5000))
      << "frame at " << frame->GetWindowRect().left << "," << frame->GetWindowRect().top << ", want "
      << want.x << "," << want.y;
  EXPECT_EQ(frame->GetWindowRect().Size(), start.Size());
  KillTimer(nullptr, watchdog);
}
