// Window messages as Basic events: mouse, keys and focus posted or sent as real
// messages to windows on the X display, handlers in Basic that record what they got,
// and the order in which the response tables are searched.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "guiobjects1/iwdndwindow.h"
#include "guiobjects1/iwscreen.h"
#include "guiobjects1/iwwindow.h"
#include "guiobjects1/scalerect.h"
#include "iwwindow_kit.h"
#include "store/storeexcept.h"

namespace {

using namespace windowkit;

// A window raising its events on a named store object, with the slots a derived class
// fills: a click on release (with the capture taken on press), and the focus and
// double-click entries in its own table. It records the key messages that reach
// default processing.
class EventWindow : public IWWindow {
 public:
  EventWindow(InterObjRep* store, uint32_t style, ScaleRect* scale = nullptr, bool click = false)
      : IWWindow(nullptr), scale_(scale), click_(click) {
    setStoreObj(store);
    Attr.Style = style;
  }
  ~EventWindow() override {
    if (HWindow) ::DestroyWindow(HWindow);
    setStoreObj(nullptr);
  }
  ScaleRect* Scale() override { return scale_; }
  int ClickOnRelease() override { return click_; }
  void AfterLButtonPress() override {
    if (click_) ::SetCapture(HWindow);
  }
  void LButtonRelease() override {
    if (click_ && ::GetCapture() == HWindow) ::ReleaseCapture();
  }
  LRESULT DefWindowProc(uint msg, WPARAM p1, LPARAM p2) override {
    if (msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR) defaults.push_back({msg, p1});
    return IWWindow::DefWindowProc(msg, p1, p2);
  }
  struct Seen {
    uint msg;
    WPARAM key;
  };
  std::vector<Seen> defaults;

 private:
  ScaleRect* scale_;
  bool click_;
  DECLARE_RESPONSE_TABLE(EventWindow);
};

DEFINE_RESPONSE_TABLE1(EventWindow, IWWindow)
EV_WM_SETFOCUS, EV_WM_KILLFOCUS, EV_WM_LBUTTONDBLCLK, END_RESPONSE_TABLE;

// Basic handlers for the window named name that record the last event and a log.
std::string Handlers(const std::string& name, const std::string& extra = "") {
  std::string t =
      "Dim evName As String\nDim evButton As Integer\nDim evShift As Integer\n"
      "Dim evX As Single\nDim evY As Single\nDim evLog As String\n";
  auto mouse = [&](const char* ev) {
    t += "Sub " + name + "_" + ev + "(button As Integer, shift As Integer, x As Single, y As Single)\n";
    t += "  evName = \"" + std::string(ev) + "\"\n  evButton = button\n  evShift = shift\n";
    t += std::string("  evX = x\n  evY = y\n  evLog = evLog & \"") + ev + ";\"\nEnd Sub\n";
  };
  mouse("MouseDown");
  mouse("MouseUp");
  mouse("MouseMove");
  for (const char* ev : {"Click", "DblClick", "GotFocus", "LostFocus"})
    t += "Sub " + name + "_" + ev + "()\n  evLog = evLog & \"" + ev + ";\"\nEnd Sub\n";
  return t + extra;
}

class Recorder {
 public:
  explicit Recorder(const char* name, const std::string& extra = "") {
    TestApp();
    BasicOutcome out;
    EXPECT_TRUE(runner_.compile(Handlers(name, extra), out)) << out.error;
    store_ = NewWindow(name);
    runner_.object()->addEmbed(store_);
  }
  InterObjRep* store() const { return store_; }
  std::string text(const char* var) const { return TextOf(runner_.object()->evalIMember(var, nullptr)); }
  long number(const char* var) const { return LongOf(runner_.object()->evalIMember(var, nullptr)); }
  void clear() {
    BasicOutcome out;
    Set(runner_.object(), "evLog", new DirectValue<ValString, kTypeString>(ValString("")));
    Set(runner_.object(), "evName", new DirectValue<ValString, kTypeString>(ValString("")));
  }

 private:
  BasicRunner runner_;
  InterObjRep* store_ = nullptr;
};

// Pumps what is waiting the way the application's loop does; the text of a failure
// that reached the loop, or "".
std::string Pump() {
  try {
    TestApp().PumpWaitingMessages();
  } catch (const StoreException& e) {
    return e.what();
  } catch (...) {
    return "?";
  }
  return "";
}

// ---- mouse ----

TEST(MouseEvents, EachButtonAndModifierRaisesItsEventInScaleUnits) {
  Recorder rec("MouseW");
  HiddenParent holder;
  ScaleRect points;
  points.SetScaleMode(kScalePoint, 200, 100);
  struct Case {
    const char* what;
    ScaleRect* scale;
    UINT msg;
    WPARAM keys;
    short px, py;
    const char* event;
    long button, shift;
  } cases[] = {
      {"left down", nullptr, WM_LBUTTONDOWN, MK_LBUTTON, 10, 20, "MouseDown", 1, 0},
      {"left up, Shift", nullptr, WM_LBUTTONUP, MK_SHIFT, 10, 20, "MouseUp", 1, 1},
      {"right down, Control", nullptr, WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, 3, 4, "MouseDown", 2, 2},
      {"right up, Shift+Control", nullptr, WM_RBUTTONUP, MK_SHIFT | MK_CONTROL, 3, 4, "MouseUp", 2, 3},
      {"middle down", nullptr, WM_MBUTTONDOWN, MK_MBUTTON, 0, 0, "MouseDown", 4, 0},
      {"middle up", nullptr, WM_MBUTTONUP, 0, 0, 0, "MouseUp", 4, 0},
      {"move, left and Shift", nullptr, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, 7, 9, "MouseMove", 1, 1},
      {"move, right and middle", nullptr, WM_MOUSEMOVE, MK_RBUTTON | MK_MBUTTON, 7, 9, "MouseMove", 6, 0},
      {"move, no button, left of the window", nullptr, WM_MOUSEMOVE, 0, -5, 2, "MouseMove", 0, 0},
      {"left down in points", &points, WM_LBUTTONDOWN, MK_LBUTTON, 10, 20, "MouseDown", 1, 0},
      {"move in points", &points, WM_MOUSEMOVE, MK_CONTROL, 4, 8, "MouseMove", 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EventWindow w(rec.store(), WS_CHILD | WS_VISIBLE, c.scale);
    w.SetParent(holder.window());
    w.Create();
    rec.clear();
    ASSERT_TRUE(PostMessageA(w.HWindow, c.msg, c.keys, MAKELPARAM(c.px, c.py)));
    EXPECT_EQ("", Pump());
    EXPECT_EQ(c.event, rec.text("evName"));
    EXPECT_EQ(c.button, rec.number("evButton"));
    EXPECT_EQ(c.shift, rec.number("evShift"));
    float x = 0, y = 0;
    w.Pixels2Units(TPoint(c.px, c.py), x, y);
    EXPECT_EQ(std::to_string(x), std::to_string(std::stof(rec.text("evX"))));
    EXPECT_EQ(std::to_string(y), std::to_string(std::stof(rec.text("evY"))));
    if (IWScreen::TwipsPerPixelX() == 15) {  // 96 dpi: twips, or three quarters of a pixel a point
      EXPECT_FLOAT_EQ(c.scale ? c.px * 0.75f : c.px * 15.0f, x);
    }
  }
}

TEST(MouseEvents, RightAndMiddleButtonsHoldTheCaptureBetweenDownAndUp) {
  Recorder rec("CaptureW");
  HiddenParent holder;
  EventWindow w(rec.store(), WS_CHILD | WS_VISIBLE);
  w.SetParent(holder.window());
  w.Create();
  for (UINT down : {WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
    SCOPED_TRACE(down);
    SendMessageA(w.HWindow, down, 0, 0);
    EXPECT_EQ(w.HWindow, GetCapture());
    SendMessageA(w.HWindow, down + 1, 0, 0);
    EXPECT_EQ(nullptr, GetCapture());
  }
}

// The mouse sequence alone: another program's window on the shared test display may take
// the focus at any time, which adds focus events that these cases do not check.
static std::string WithoutFocusEvents(std::string log) {
  for (const char* ev : {"GotFocus;", "LostFocus;"})
    for (size_t at; (at = log.find(ev)) != std::string::npos;) log.erase(at, strlen(ev));
  return log;
}

// A left press and release: "Click" only when the release is over the window that took
// the press; a window without the click slot never clicks.
TEST(MouseEvents, ClickOnlyWhenTheReleaseIsOverThePressedWindow) {
  Recorder rec("ClickW");
  struct Case {
    const char* what;
    bool click;
    short upX, upY;
    const char* log;
  } cases[] = {
      {"release inside", true, 20, 20, "MouseDown;MouseUp;Click;"},
      {"release outside", true, 400, 20, "MouseDown;MouseUp;"},
      {"release left of the window", true, -30, 20, "MouseDown;MouseUp;"},
      {"no click slot", false, 20, 20, "MouseDown;MouseUp;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EventWindow w(rec.store(), WS_POPUP | WS_VISIBLE, nullptr, c.click);
    w.Attr.X = 100;
    w.Attr.Y = 100;
    w.Attr.W = 120;
    w.Attr.H = 80;
    w.Create();
    SetWindowPos(w.HWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ("", Pump());
    rec.clear();
    PostMessageA(w.HWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    EXPECT_EQ("", Pump());
    EXPECT_EQ(c.click ? w.HWindow : nullptr, GetCapture());
    EXPECT_TRUE(w.IsFlagSet(IWWindow::kMoving));
    PostMessageA(w.HWindow, WM_LBUTTONUP, 0, MAKELPARAM(c.upX, c.upY));
    EXPECT_EQ("", Pump());
    EXPECT_EQ(c.log, WithoutFocusEvents(rec.text("evLog")));
    EXPECT_EQ(nullptr, GetCapture());
  }
}

TEST(MouseEvents, LeftButtonReachesThePlainWindowOnlyThroughTheLoop) {
  Recorder rec("SentW");
  HiddenParent holder;
  EventWindow w(rec.store(), WS_CHILD | WS_VISIBLE);
  w.SetParent(holder.window());
  w.Create();
  rec.clear();
  // Sent straight to the window procedure: only the drag-and-drop part's entry sees it.
  SendMessageA(w.HWindow, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageA(w.HWindow, WM_LBUTTONUP, 0, 0);
  EXPECT_EQ("", WithoutFocusEvents(rec.text("evLog")));
  PostMessageA(w.HWindow, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  PostMessageA(w.HWindow, WM_LBUTTONUP, 0, 0);
  EXPECT_EQ("", Pump());
  EXPECT_EQ("MouseDown;MouseUp;", WithoutFocusEvents(rec.text("evLog")));
}

TEST(MouseEvents, DoubleClickAndFocus) {
  Recorder rec("FocusW");
  EventWindow w(rec.store(), WS_POPUP | WS_VISIBLE);
  w.Attr.W = w.Attr.H = 50;
  w.Create();
  EventWindow other(nullptr, WS_POPUP | WS_VISIBLE);
  other.Attr.X = 60;
  other.Attr.W = other.Attr.H = 50;
  other.Create();
  rec.clear();
  SendMessageA(w.HWindow, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
  EXPECT_EQ("DblClick;", WithoutFocusEvents(rec.text("evLog")));
  rec.clear();
  SendMessageA(w.HWindow, WM_SETFOCUS, (WPARAM)other.HWindow, 0);
  SendMessageA(w.HWindow, WM_KILLFOCUS, (WPARAM)other.HWindow, 0);
  EXPECT_EQ("GotFocus;LostFocus;", rec.text("evLog"));
}

// ---- failures ----

TEST(MouseEvents, AFailingMouseHandlerReachesTheLoopAFailingFocusHandlerDoesNot) {
  const std::string failing =
      "Sub FailW_MouseDown(button As Integer, shift As Integer, x As Single, y As Single)\n"
      "  Dim zero As Integer\n  evButton = 1 \\ zero\nEnd Sub\n"
      "Sub FailW_GotFocus()\n  Dim zero As Integer\n  evButton = 1 \\ zero\nEnd Sub\n";
  TestApp();
  InterObjRep* store = NewWindow("FailW");
  BasicRunner runner;
  BasicOutcome out;
  ASSERT_TRUE(runner.compile("Dim evButton As Integer\n" + failing, out)) << out.error;
  runner.object()->addEmbed(store);
  HiddenParent holder;
  EventWindow w(store, WS_CHILD | WS_VISIBLE);
  w.SetParent(holder.window());
  w.Create();

  for (UINT msg : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
    SCOPED_TRACE(msg);
    PostMessageA(w.HWindow, msg, 0, 0);
    EXPECT_NE("", Pump());
    EXPECT_FALSE(TApplication::HasSuspendedThrow());
  }
  ReleaseCapture();
  const size_t reports = App().reports.size();
  SendMessageA(w.HWindow, WM_SETFOCUS, 0, 0);
  EXPECT_FALSE(TApplication::HasSuspendedThrow());
  EXPECT_EQ(reports + 1, App().reports.size());
}

// ---- keys ----

TEST(KeyEvents, AHandlerChangesOrSwallowsTheKey) {
  const std::string keys =
      "Dim newCode As Integer\nDim keyLog As String\n"
      "Sub KeyW_KeyDown(keyCode As Integer, ByVal shift As Integer)\n"
      "  keyLog = keyLog & \"D\" & Str$(keyCode) & Str$(shift) & \";\"\n"
      "  If newCode >= 0 Then keyCode = newCode\nEnd Sub\n"
      "Sub KeyW_KeyUp(keyCode As Integer, ByVal shift As Integer)\n"
      "  keyLog = keyLog & \"U\" & Str$(keyCode) & \";\"\n"
      "  If newCode >= 0 Then keyCode = newCode\nEnd Sub\n"
      "Sub KeyW_KeyPress(keyAscii As Integer)\n"
      "  keyLog = keyLog & \"P\" & Str$(keyAscii) & \";\"\n"
      "  If newCode >= 0 Then keyAscii = newCode\nEnd Sub\n";
  BasicRunner runner;
  BasicOutcome out;
  ASSERT_TRUE(runner.compile(keys, out)) << out.error;
  TestApp();
  InterObjRep* store = NewWindow("KeyW");
  runner.object()->addEmbed(store);
  HiddenParent holder;
  EventWindow w(store, WS_CHILD | WS_VISIBLE);
  w.SetParent(holder.window());
  w.Create();

  struct Case {
    const char* what;
    UINT msg;
    WPARAM key;
    long newCode;   // what the handler sets; -1 leaves the code alone
    bool reaches;   // default processing runs
    WPARAM result;  // with this key
    const char* log;
  } cases[] = {
      {"key down, unchanged", WM_KEYDOWN, 'A', -1, true, 'A', "D 65 0;"},
      {"key down, changed", WM_KEYDOWN, 'A', 'B', true, 'B', "D 65 0;"},
      {"key down, set to 0", WM_KEYDOWN, 'A', 0, false, 0, "D 65 0;"},
      {"key down, set to itself", WM_KEYDOWN, 'C', 'C', true, 'C', "D 67 0;"},
      {"key up, changed", WM_KEYUP, 'A', 'Z', true, 'Z', "U 65;"},
      {"key up, set to 0", WM_KEYUP, 'A', 0, false, 0, "U 65;"},
      {"key press, one argument, changed", WM_CHAR, 'a', 'b', true, 'b', "P 97;"},
      {"key press, set to 0", WM_CHAR, 'a', 0, false, 0, "P 97;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Set(runner.object(), "newCode", new DirectValue<long, kTypeLong>(c.newCode));
    Set(runner.object(), "keyLog", new DirectValue<ValString, kTypeString>(ValString("")));
    w.defaults.clear();
    SendMessageA(w.HWindow, c.msg, c.key, 1);
    EXPECT_FALSE(TApplication::HasSuspendedThrow());
    EXPECT_EQ(c.log, TextOf(runner.object()->evalIMember("keyLog", nullptr)));
    if (c.reaches) {
      ASSERT_EQ(1u, w.defaults.size());
      EXPECT_EQ(c.msg, w.defaults[0].msg);
      EXPECT_EQ(c.result, w.defaults[0].key);
    } else {
      EXPECT_EQ(0u, w.defaults.size());
    }
  }
}

TEST(KeyEvents, WithoutAHandlerTheKeyPassesUnchanged) {
  Recorder rec("NoKeyW");
  HiddenParent holder;
  EventWindow w(rec.store(), WS_CHILD | WS_VISIBLE);
  w.SetParent(holder.window());
  w.Create();
  for (UINT msg : {WM_KEYDOWN, WM_KEYUP, WM_CHAR}) {
    w.defaults.clear();
    SendMessageA(w.HWindow, msg, 'Q', 1);
    ASSERT_EQ(1u, w.defaults.size());
    EXPECT_EQ((WPARAM)'Q', w.defaults[0].key);
  }
}

// ---- message maps ----

// A window of the drag-and-drop part alone, to find which class's table answers.
TEST(MessageMaps, SearchOrderOwnTableThenTheBasesInOrder) {
  TestApp();
  EventWindow w(nullptr, WS_CHILD);
  void* self = static_cast<IWWindow*>(&w);
  void* dnd = static_cast<IWDndWindow*>(&w);
  void* lib = static_cast<TWindow*>(&w);
  struct Case {
    const char* what;
    bool derived;  // the test class's Find (its own table first), else the window's
    UINT msg;
    void* owner;  // the object of the class whose table answered; null: none
  } cases[] = {
      {"window: WM_MOUSEMOVE, its own", false, WM_MOUSEMOVE, self},
      {"window: WM_MBUTTONDOWN, its own", false, WM_MBUTTONDOWN, self},
      {"window: WM_RBUTTONUP, its own", false, WM_RBUTTONUP, self},
      {"window: WM_CHAR, its own", false, WM_CHAR, self},
      {"window: WM_MOVE, its own", false, WM_MOVE, self},
      {"window: WM_WINDOWPOSCHANGED, its own", false, WM_WINDOWPOSCHANGED, self},
      {"window: WM_LBUTTONDOWN, the drag part's", false, WM_LBUTTONDOWN, dnd},
      {"window: WM_LBUTTONUP, the drag part's", false, WM_LBUTTONUP, dnd},
      {"window: WM_TIMER, the drag part's", false, WM_TIMER, dnd},
      {"window: WM_DROPFILES, the drag part's", false, WM_DROPFILES, dnd},
      {"window: WM_ERASEBKGND, the library's", false, WM_ERASEBKGND, lib},
      {"window: WM_CLOSE, the library's", false, WM_CLOSE, lib},
      // Focus reaches the window's handlers only through a derived class's table.
      {"window: WM_SETFOCUS, no entry", false, WM_SETFOCUS, nullptr},
      {"window: WM_KILLFOCUS, no entry", false, WM_KILLFOCUS, nullptr},
      {"derived: WM_SETFOCUS, its own", true, WM_SETFOCUS, &w},
      {"derived: WM_KILLFOCUS, its own", true, WM_KILLFOCUS, &w},
      {"derived: WM_LBUTTONDBLCLK, its own", true, WM_LBUTTONDBLCLK, &w},
      {"derived: WM_MOUSEMOVE, the window's", true, WM_MOUSEMOVE, self},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TEventInfo ev(c.msg);
    bool found = c.derived ? w.Find(ev) : w.IWWindow::Find(ev);
    EXPECT_EQ(c.owner != nullptr, found);
    EXPECT_EQ(c.owner, ev.Object);
  }
  // The drag part's table alone answers its own entries, then the library's.
  TEventInfo move(WM_MOUSEMOVE);
  ASSERT_TRUE(w.IWDndWindow::Find(move));
  EXPECT_EQ(dnd, move.Object);
}

}  // namespace
