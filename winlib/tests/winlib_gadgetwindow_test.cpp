// Gadget windows and tool boxes under Wine: layout tables (directions, margins,
// separators, shrink-wrap, rows and columns), hit testing at gadget edges, mouse entry and
// exit, capture on a press, repeat buttons, the idle pass of command enabling, and the
// refusal of gadgets and siblings that are not where they are said to be.
#include <gtest/gtest.h>

#include <memory>

#include "gadgettest.h"
#include "winlib/except.h"
#include "winlib/toolbox.h"

using namespace gadgettest;

namespace {

TApplication& App() {
  static TApplication app("GadgetTest");
  return app;
}

struct TGadgetSpec {
  int w, h;  // desired size; w < 0: a separator of size -w
};

struct TLineCase {
  const char* name;
  TGadgetWindow::TTileDirection direction;
  TMargins margins;
  bool shrinkW, shrinkH;
  std::vector<TGadgetSpec> gadgets;
  std::vector<TRect> bounds;  // expected, client coordinates
  TSize desired;              // expected (the window is 200 x 100 with no frame)
};

std::unique_ptr<TGadget> Make(const TGadgetSpec& s, int id) {
  if (s.w < 0) return std::make_unique<TSeparatorGadget>(-s.w);
  return std::make_unique<TSizedGadget>(id, s.w, s.h);
}

}  // namespace

TEST(GadgetWindow, TilesInOneLineByTable) {
  App();
  int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
  const TMargins px(TMargins::Pixels, 2, 2, 2, 2);
  const std::vector<TLineCase> cases = {
      {"horizontal, height shrinks",
       TGadgetWindow::Horizontal,
       px,
       false,
       true,
       {{20, 10}, {-12, 0}, {30, 16}},
       {{2, 2, 22, 18}, {22, 2, 34, 18}, {34, 2, 64, 18}},
       {200, 20}},
      {"horizontal, both shrink",
       TGadgetWindow::Horizontal,
       px,
       true,
       true,
       {{20, 10}, {-12, 0}, {30, 16}},
       {{2, 2, 22, 18}, {22, 2, 34, 18}, {34, 2, 64, 18}},
       {66, 20}},
      {"horizontal, no shrink",
       TGadgetWindow::Horizontal,
       px,
       false,
       false,
       {{20, 10}},
       {{2, 2, 22, 12}},
       {200, 100}},
      {"vertical, uneven margins",
       TGadgetWindow::Vertical,
       TMargins(TMargins::Pixels, 1, 3, 4, 5),
       true,
       true,
       {{20, 10}, {-12, 0}, {30, 16}},
       {{1, 4, 31, 14}, {1, 14, 31, 26}, {1, 26, 31, 42}},
       {34, 47}},
      {"separators of each size",
       TGadgetWindow::Horizontal,
       TMargins(TMargins::Pixels, 0, 0, 0, 0),
       true,
       true,
       {{10, 10}, {-2, 0}, {10, 10}, {-12, 0}, {10, 10}, {-16, 0}, {10, 10}, {-18, 0}, {10, 10}},
       {{0, 0, 10, 10},
        {10, 0, 12, 10},
        {12, 0, 22, 10},
        {22, 0, 34, 10},
        {34, 0, 44, 10},
        {44, 0, 60, 10},
        {60, 0, 70, 10},
        {70, 0, 88, 10},
        {88, 0, 98, 10}},
       {98, 10}},
      {"vertical separators",
       TGadgetWindow::Vertical,
       TMargins(TMargins::Pixels, 0, 0, 0, 0),
       true,
       true,
       {{10, 10}, {-18, 0}, {12, 10}},
       {{0, 0, 12, 10}, {0, 10, 12, 28}, {0, 28, 12, 38}},
       {12, 38}},
      {"negative margins",
       TGadgetWindow::Horizontal,
       TMargins(TMargins::Pixels, -2, 0, -1, 0),
       true,
       true,
       {{10, 10}},
       {{-2, -1, 8, 9}},
       {8, 9}},
      {"margins in border units",
       TGadgetWindow::Horizontal,
       TMargins(TMargins::BorderUnits, 3, 4, 5, 6),
       true,
       true,
       {{10, 10}},
       {{3 * bx, 5 * by, 3 * bx + 10, 5 * by + 10}},
       {7 * bx + 10, 11 * by + 10}},
      {"no gadgets", TGadgetWindow::Horizontal, px, true, true, {}, {}, {4, 4}},
  };
  for (const TLineCase& c : cases) {
    SCOPED_TRACE(c.name);
    THost host;
    auto* gw = new TGadgetWindow(&host, c.direction);
    gw->Attr.W = 200;
    gw->Attr.H = 100;
    gw->SetMargins(c.margins);
    gw->SetShrinkWrap(c.shrinkW, c.shrinkH);
    std::vector<std::unique_ptr<TGadget>> gadgets;
    for (size_t i = 0; i < c.gadgets.size(); ++i) {
      gadgets.push_back(Make(c.gadgets[i], int(i) + 1));
      gw->Insert(*gadgets.back());
    }
    // The desired size is known before the window exists, and the window takes it.
    TSize before;
    gw->GetDesiredSize(before);
    EXPECT_EQ(before, c.desired);
    ASSERT_TRUE(host.Create());
    EXPECT_EQ(gw->GetWindowRect().Size(), c.desired);
    gw->LayoutSession();
    ASSERT_EQ(gadgets.size(), c.bounds.size());
    for (size_t i = 0; i < gadgets.size(); ++i)
      EXPECT_EQ(gadgets[i]->GetBounds(), c.bounds[i]) << "gadget " << i;
    TSize after;
    gw->GetDesiredSize(after);
    EXPECT_EQ(after, c.desired);
    for (auto& g : gadgets) gw->Remove(*g);
  }
}

TEST(GadgetWindow, DesiredSizeFollowsInsertAndRemove) {
  App();
  THost host;
  auto* gw = new TGadgetWindow(&host, TGadgetWindow::Horizontal);
  gw->SetShrinkWrap(true, true);
  gw->SetMargins(TMargins(TMargins::Pixels, 1, 1, 1, 1));
  ASSERT_TRUE(host.Create());
  auto size = [&] {
    TSize s;
    gw->GetDesiredSize(s);
    return s;
  };
  EXPECT_EQ(size(), TSize(2, 2));
  auto* a = new TSizedGadget(1, 20, 10);
  auto* b = new TSizedGadget(2, 5, 30);
  auto* sep = new TSeparatorGadget(16);
  gw->Insert(*a);
  EXPECT_EQ(size(), TSize(22, 12));
  gw->Insert(*b, TGadgetWindow::Before, a);
  EXPECT_EQ(size(), TSize(27, 32));
  EXPECT_EQ(gw->FirstGadget(), b);
  gw->Insert(*sep, TGadgetWindow::After, b);
  EXPECT_EQ(size(), TSize(43, 32));
  EXPECT_EQ(gw->NumGadgets(), 3);
  EXPECT_EQ(gw->IndexOf(*sep), 1);
  EXPECT_EQ(gw->Remove(*b), b);
  EXPECT_EQ(size(), TSize(38, 12));
  EXPECT_EQ(gw->Remove(*b), nullptr);  // not there any more
  EXPECT_EQ(gw->NumGadgets(), 2);
  // Direction changes the axis that adds up.
  gw->SetDirection(TGadgetWindow::Vertical);
  EXPECT_EQ(size(), TSize(22, 28));
  delete b;  // removed gadgets belong to the caller; the rest go with the window
}

TEST(GadgetWindow, RefusesGadgetsAndSiblingsThatAreNotThere) {
  App();
  THost host;
  auto* gw = new TGadgetWindow(&host, TGadgetWindow::Horizontal);
  auto* other = new TGadgetWindow(&host, TGadgetWindow::Horizontal);
  auto* a = new TSizedGadget(7, 10, 10);
  auto* elsewhere = new TSizedGadget(8, 10, 10);
  gw->Insert(*a);
  other->Insert(*elsewhere);
  TSizedGadget loose(9, 10, 10);
  EXPECT_THROW(gw->Insert(*a), TXOwl);                                       // already in
  EXPECT_THROW(gw->Insert(*elsewhere), TXOwl);                               // in another window
  EXPECT_THROW(gw->Insert(loose, TGadgetWindow::Before, elsewhere), TXOwl);  // sibling elsewhere
  EXPECT_EQ(gw->NumGadgets(), 1);
  EXPECT_EQ(gw->Remove(*elsewhere), nullptr);
  EXPECT_EQ(other->NumGadgets(), 1);
  EXPECT_EQ(gw->GadgetWithId(7), a);
  EXPECT_EQ(gw->GadgetWithId(8), nullptr);
  EXPECT_EQ(gw->GadgetAt(0), a);
  EXPECT_EQ(gw->GadgetAt(1), nullptr);
  EXPECT_EQ(gw->GadgetAt(-1), nullptr);
  // A gadget deleted while inserted leaves its window first.
  delete a;
  EXPECT_EQ(gw->NumGadgets(), 0);
  EXPECT_EQ(gw->FirstGadget(), nullptr);
  try {
    gw->Insert(*elsewhere);
    ADD_FAILURE();
  } catch (const TXOwl& x) {
    EXPECT_EQ(x.GetErrorCode(), uint(IDS_WLGADGETINUSE));
    EXPECT_FALSE(x.why().empty());
  }
}

TEST(GadgetWindow, GadgetsOwnedElsewhereSurviveTheWindow) {
  App();
  TSizedGadget kept(1, 10, 10);
  kept.SetOwnedElsewhere(true);
  {
    THost host;
    auto* gw = new TGadgetWindow(&host, TGadgetWindow::Horizontal);
    gw->Insert(kept);
    gw->Insert(*new TSizedGadget(2, 10, 10));
  }
  EXPECT_EQ(kept.GetGadgetWindow(), nullptr);
}

struct TGridCase {
  const char* name;
  TGadgetWindow::TTileDirection direction;
  int columns, rows;
  int gridColumns, gridRows;               // expected shape
  std::vector<std::pair<int, int>> cells;  // expected (column, row) of each gadget
};

TEST(ToolBox, GridByTable) {
  App();
  const std::vector<TGridCase> cases = {
      {"horizontal, 2 columns",
       TGadgetWindow::Horizontal,
       2,
       -1,
       2,
       3,
       {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}}},
      {"horizontal, 2 rows",
       TGadgetWindow::Horizontal,
       -1,
       2,
       3,
       2,
       {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}}},
      {"horizontal, one line",
       TGadgetWindow::Horizontal,
       -1,
       -1,
       5,
       1,
       {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}},
      {"horizontal, more columns than gadgets",
       TGadgetWindow::Horizontal,
       10,
       -1,
       5,
       1,
       {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}},
      {"vertical, 2 rows", TGadgetWindow::Vertical, -1, 2, 3, 2, {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}}},
      {"vertical, 2 columns", TGadgetWindow::Vertical, 2, -1, 2, 3, {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}}},
      {"vertical, 1 column", TGadgetWindow::Vertical, 1, -1, 1, 5, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}}},
  };
  const std::vector<TSize> sizes = {{20, 10}, {24, 12}, {20, 10}, {8, 8}, {20, 10}};  // cell: 24 x 12
  for (const TGridCase& c : cases) {
    SCOPED_TRACE(c.name);
    THost host;
    auto* box = new TToolBox(&host, c.columns, c.rows, c.direction);
    box->SetMargins(TMargins(TMargins::Pixels, 3, 1, 2, 4));
    std::vector<TGadget*> gadgets;
    for (size_t i = 0; i < sizes.size(); ++i) {
      gadgets.push_back(new TSizedGadget(int(i) + 1, sizes[i].cx, sizes[i].cy));
      box->Insert(*gadgets.back());
    }
    int columns, rows;
    box->GetGridSize(columns, rows);
    EXPECT_EQ(columns, c.gridColumns);
    EXPECT_EQ(rows, c.gridRows);
    TSize desired;
    box->GetDesiredSize(desired);
    EXPECT_EQ(desired, TSize(3 + 1 + 24 * c.gridColumns, 2 + 4 + 12 * c.gridRows));
    ASSERT_TRUE(host.Create());
    EXPECT_EQ(box->GetWindowRect().Size(), desired);
    box->LayoutSession();
    for (size_t i = 0; i < gadgets.size(); ++i) {
      TRect want(3 + 24 * c.cells[i].first, 2 + 12 * c.cells[i].second, 0, 0);
      want.right = want.left + 24;
      want.bottom = want.top + 12;
      EXPECT_EQ(gadgets[i]->GetBounds(), want) << "gadget " << i;
    }
  }
}

TEST(ToolBox, DesiredSizeFollowsInsertAndRemove) {
  App();
  THost host;
  auto* box = new TToolBox(&host, 2, -1, TGadgetWindow::Horizontal);
  box->SetMargins(TMargins(TMargins::Pixels, 0, 0, 0, 0));
  ASSERT_TRUE(host.Create());
  auto size = [&] {
    TSize s;
    box->GetDesiredSize(s);
    return s;
  };
  EXPECT_EQ(size(), TSize(0, 0));
  TSizedGadget a(1, 10, 10), b(2, 10, 10), c(3, 10, 20);
  for (TGadget* g : {static_cast<TGadget*>(&a), static_cast<TGadget*>(&b), static_cast<TGadget*>(&c)})
    g->SetOwnedElsewhere(true);
  box->Insert(a);
  EXPECT_EQ(size(), TSize(10, 10));
  box->Insert(b);
  EXPECT_EQ(size(), TSize(20, 10));
  box->Insert(c);
  EXPECT_EQ(size(), TSize(20, 40));  // a second row, cells as tall as the tallest
  box->Remove(c);
  EXPECT_EQ(size(), TSize(20, 10));
  box->SetNumColumns(1);
  EXPECT_EQ(size(), TSize(10, 20));
  box->Remove(a);
  box->Remove(b);
}

TEST(GadgetWindow, HitTestingAtGadgetEdges) {
  App();
  THost host;
  auto* gw = new TGadgetWindow(&host, TGadgetWindow::Horizontal);
  auto* a = new TSizedGadget(1, 20, 16);
  auto* b = new TSizedGadget(2, 30, 16);
  gw->Insert(*a);
  gw->Insert(*b);
  ASSERT_TRUE(host.Create());
  gw->LayoutSession();
  ASSERT_EQ(a->GetBounds(), TRect(2, 2, 22, 18));
  struct {
    int x, y;
    TGadget* want;
  } points[] = {
      {2, 2, a},        {21, 17, a},       {21, 2, a},        {22, 2, b},       {51, 17, b},
      {1, 10, nullptr}, {52, 10, nullptr}, {30, 18, nullptr}, {30, 1, nullptr}, {-5, -5, nullptr},
  };
  for (auto& p : points) EXPECT_EQ(gw->GadgetFromPoint(TPoint(p.x, p.y)), p.want) << p.x << "," << p.y;
}

TEST(GadgetWindow, EnterAndLeaveAsTheMouseCrossesGadgets) {
  App();
  THost host;
  std::vector<std::string> log;
  auto* gw = new TGadgetWindow(&host, TGadgetWindow::Horizontal);
  gw->Insert(*new TSizedGadget(1, 20, 16, &log));
  gw->Insert(*new TSeparatorGadget(6));
  gw->Insert(*new TSizedGadget(2, 20, 16, &log));
  ASSERT_TRUE(host.Create());
  gw->LayoutSession();
  const struct {
    int x, y;
    std::vector<std::string> then;
  } moves[] = {
      {10, 10, {"enter 1"}},
      {15, 12, {"enter 1"}},
      {25, 10, {"enter 1", "leave 1"}},  // over the separator: no gadget of ours logs
      {35, 10, {"enter 1", "leave 1", "enter 2"}},
      {100, 10, {"enter 1", "leave 1", "enter 2", "leave 2"}},
      {5, 5, {"enter 1", "leave 1", "enter 2", "leave 2", "enter 1"}},
  };
  for (auto& m : moves) {
    gw->SendMessage(WM_MOUSEMOVE, 0, At(m.x, m.y));
    EXPECT_EQ(log, m.then) << m.x << "," << m.y;
  }
  EXPECT_EQ(gw->GetGadgetAtMouse(), gw->GadgetWithId(1));
  // The mouse leaving the window ends the entry as well.
  gw->SendMessage(WM_MOUSELEAVE);
  EXPECT_EQ(log.back(), "leave 1");
  EXPECT_EQ(gw->GetGadgetAtMouse(), nullptr);
}

TEST(ButtonGadget, PressCapturesAndReleaseOutsideDoesNotActivate) {
  App();
  THost host;
  auto* gw = new TGadgetWindow(&host, TGadgetWindow::Horizontal);
  auto* button = new TButtonGadget(7101, 501, TButtonGadget::Command, true);
  gw->Insert(*button);
  ASSERT_TRUE(host.Create());
  gw->LayoutSession();
  TRect b = button->GetBounds();
  TPoint mid((b.left + b.right) / 2, (b.top + b.bottom) / 2);

  gw->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(mid.x, mid.y));
  EXPECT_EQ(GetCapture(), gw->HWindow);
  EXPECT_EQ(gw->GetCapture(), button);
  EXPECT_TRUE(button->IsPressed());
  EXPECT_EQ(button->CurrentCel(), TButtonGadget::CelPressed);
  gw->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(b.right + 20, mid.y));
  EXPECT_FALSE(button->IsPressed());  // the look pops up outside
  gw->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(mid.x, mid.y));
  EXPECT_TRUE(button->IsPressed());
  gw->SendMessage(WM_LBUTTONUP, 0, At(b.right + 20, mid.y));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(gw->GetCapture(), nullptr);
  Pump();
  EXPECT_TRUE(host.commands.empty());

  // Released over it: the command goes to the window's parent.
  gw->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(mid.x, mid.y));
  gw->SendMessage(WM_LBUTTONUP, 0, At(b.right - 1, b.bottom - 1));
  Pump();
  EXPECT_EQ(host.commands, std::vector<int>{501});

  // A disabled button takes no press.
  button->SetEnabled(false);
  gw->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(mid.x, mid.y));
  EXPECT_EQ(GetCapture(), nullptr);
  gw->SendMessage(WM_LBUTTONUP, 0, At(mid.x, mid.y));
  Pump();
  EXPECT_EQ(host.commands.size(), 1u);

  // Losing the capture to another window ends the press without a command.
  button->SetEnabled(true);
  gw->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(mid.x, mid.y));
  ASSERT_EQ(GetCapture(), gw->HWindow);
  SetCapture(host.HWindow);
  EXPECT_EQ(gw->GetCapture(), nullptr);
  EXPECT_FALSE(button->IsPressed());
  ReleaseCapture();
  gw->SendMessage(WM_LBUTTONUP, 0, At(mid.x, mid.y));
  Pump();
  EXPECT_EQ(host.commands.size(), 1u);
}

TEST(ButtonGadget, ButtonTypesChangeStateOnActivation) {
  App();
  THost host;
  auto* gw = new TGadgetWindow(&host, TGadgetWindow::Horizontal);
  auto* x1 = new TButtonGadget(0, 601, TButtonGadget::Exclusive, true);
  auto* x2 = new TButtonGadget(0, 602, TButtonGadget::Exclusive, true, TButtonGadget::Down);
  auto* x3 = new TButtonGadget(0, 603, TButtonGadget::Exclusive, true);
  auto* toggle = new TButtonGadget(0, 604, TButtonGadget::NonExclusive, true);
  for (TGadget* g : {static_cast<TGadget*>(x1), static_cast<TGadget*>(x2), static_cast<TGadget*>(x3),
                     static_cast<TGadget*>(toggle)})
    gw->Insert(*g);
  ASSERT_TRUE(host.Create());
  TPoint p;
  x3->Activate(p);
  EXPECT_EQ(x1->GetButtonState(), TButtonGadget::Up);
  EXPECT_EQ(x2->GetButtonState(), TButtonGadget::Up);
  EXPECT_EQ(x3->GetButtonState(), TButtonGadget::Down);
  toggle->Activate(p);
  EXPECT_EQ(toggle->GetButtonState(), TButtonGadget::Down);
  EXPECT_EQ(x3->GetButtonState(), TButtonGadget::Down);  // not in the exclusive group
  toggle->Activate(p);
  EXPECT_EQ(toggle->GetButtonState(), TButtonGadget::Up);
  Pump();
  EXPECT_EQ(host.commands, (std::vector<int>{603, 604, 604}));
}

TEST(ButtonGadget, RepeatButtonFiresWhileHeldAndStopsOnRelease) {
  App();
  THost host;
  auto* gw = new TGadgetWindow(&host, TGadgetWindow::Horizontal);
  auto* button = new TButtonGadget(7101, 501, TButtonGadget::Command, true, TButtonGadget::Up, true);
  gw->Insert(*button);
  ASSERT_TRUE(host.Create());
  gw->LayoutSession();
  TRect b = button->GetBounds();
  int x = (b.left + b.right) / 2, y = (b.top + b.bottom) / 2;
  // While the window holds the capture, the display's own mouse reports moves too: keep
  // it over the button.
  TPoint screen = gw->ClientToScreen(TPoint(x, y));
  SetCursorPos(screen.x, screen.y);
  gw->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
  Pump();
  EXPECT_EQ(host.commands.size(), 1u);  // fires on the press
  ASSERT_TRUE(testkit::PumpUntil([&] { return host.commands.size() >= 4; }, 10000));
  gw->SendMessage(WM_LBUTTONUP, 0, At(x, y));
  size_t fired = host.commands.size();
  EXPECT_FALSE(gw->KillTimer(TGadgetWindow::RepeatTimerId));  // the timer is gone
  testkit::PumpUntil([] { return false; }, 600);
  EXPECT_EQ(host.commands.size(), fired);
  for (int id : host.commands) EXPECT_EQ(id, 501);

  // Held outside the button, the timer does not fire the command.
  host.commands.clear();
  gw->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
  gw->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(b.right + 30, y));
  testkit::PumpUntil([] { return false; }, 700);
  gw->SendMessage(WM_LBUTTONUP, 0, At(b.right + 30, y));
  Pump();
  EXPECT_EQ(host.commands.size(), 1u);
}

TEST(GadgetWindow, IdlePassGreysAndUngreysFromCommandEnabler) {
  App();
  THost host;
  auto* gw = new TGadgetWindow(&host, TGadgetWindow::Horizontal);
  auto* cmd = new TButtonGadget(0, 501, TButtonGadget::Command, true);
  auto* check = new TButtonGadget(0, 502, TButtonGadget::NonExclusive, false);
  auto* unknown = new TButtonGadget(0, 503, TButtonGadget::Command, true);
  gw->Insert(*cmd);
  gw->Insert(*check);
  gw->Insert(*unknown);
  ASSERT_TRUE(host.Create());

  host.enable501 = false;
  host.check502 = TCommandEnabler::Checked;
  gw->IdleAction(0);
  EXPECT_FALSE(cmd->GetEnabled());
  EXPECT_TRUE(check->GetEnabled());
  EXPECT_EQ(check->GetButtonState(), TButtonGadget::Down);
  EXPECT_TRUE(unknown->GetEnabled());  // nobody answers: left alone
  EXPECT_EQ(host.queries, 1);

  host.enable501 = true;
  host.check502 = TCommandEnabler::Indeterminate;
  host.IdleAction(0);  // through the parent, as the application's idle pass goes
  EXPECT_TRUE(cmd->GetEnabled());
  EXPECT_EQ(check->GetButtonState(), TButtonGadget::Indeterminate);
  EXPECT_EQ(host.queries, 2);
  gw->IdleAction(1);  // only the first idle call after input asks
  EXPECT_EQ(host.queries, 2);
}
