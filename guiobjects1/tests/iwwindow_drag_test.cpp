// Drag start and drop on a published window: "DragAndDrop" and "DragStart" raised with
// their arguments, the drag of the window's own object when no handler takes
// "DragStart" (its medium, its count, the drop source), and the failure of the medium
// builder, with doubles in place of the medium builder and of OLE's drag loop.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <string>

#include "guiobjects1/clipformat.h"
#include "guiobjects1/iwdropsource.h"
#include "guiobjects1/iwwindow.h"
#include "iwwindow_kit.h"

namespace {

using namespace windowkit;

// A published window under a hidden parent, embedded in a Basic object that holds its
// handlers (none when handlers is empty) and a log.
class DragWindow {
 public:
  DragWindow(const char* name, const std::string& handlers) {
    TestApp();
    BasicOutcome out;
    EXPECT_TRUE(runner_.compile("Dim evLog As String\n" + handlers, out)) << out.error;
    store_ = NewWindow(name);
    runner_.object()->addEmbed(store_);
    window()->Attr.Style = WS_CHILD | WS_VISIBLE;
    window()->Attr.X = 30;
    window()->Attr.Y = 40;
    window()->Attr.W = 200;
    window()->Attr.H = 100;
    window()->SetParent(holder_.window());
    window()->Create();
  }
  ~DragWindow() { window()->SetParent(nullptr); }
  IWWindow* window() const { return IWWindow::Native(store_); }
  InterObjRep* store() const { return store_; }
  std::string log() const { return TextOf(runner_.object()->evalIMember("evLog", nullptr)); }

 private:
  HiddenParent holder_;
  BasicRunner runner_;
  InterObjRep* store_;
};

// Puts doubles into the drag steps for a scope.
class Steps {
 public:
  Steps() : saved_(IWWindow::DragSteps()) {}
  ~Steps() { IWWindow::DragSteps() = saved_; }

 private:
  IWWindow::DragStartSteps saved_;
};

// What the double of OLE's drag loop saw.
struct DragSeen {
  int calls = 0;
  DWORD allowed = 0;
  IDropSource* source = nullptr;
  InterObjRep* dragged = nullptr;  // the object the medium's reference names
  int countDuring = 0;             // the dragged object's count during the drag
  HRESULT enumResult = E_FAIL;
} g_seen;

HRESULT WINAPI FakeDrag(IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect) {
  ++g_seen.calls;
  g_seen.allowed = allowed;
  g_seen.source = source;
  FORMATETC f = ProcessFormat::s_fmt.format;
  STGMEDIUM m = {};
  if (SUCCEEDED(data->GetData(&f, &m))) {
    if (void* at = GlobalLock(m.hGlobal)) {
      InterObjRep* obj = static_cast<Faultp<InterObjRep>*>(at)->get();
      g_seen.dragged = obj;
      if (obj) g_seen.countDuring = obj->count();
      GlobalUnlock(m.hGlobal);
    }
    ReleaseStgMedium(&m);
  }
  IEnumFORMATETC* e = nullptr;
  g_seen.enumResult = data->EnumFormatEtc(DATADIR_GET, &e);
  if (e) e->Release();
  *effect = DROPEFFECT_COPY;
  return DRAGDROP_S_DROP;
}

const char kDragHandlers[] =
    "Sub DW_DragStart(xfd As Object, x As Single, y As Single)\n"
    "  Dim t As String\n"
    "  t = \"object\"\n"
    "  If xfd = Nothing Then t = \"Nothing\"\n"
    "  evLog = evLog & \"start \" & x & \",\" & y & \" \" & t & \";\"\n"
    "End Sub\n"
    "Sub DW_DragAndDrop(source As Object, x As Single, y As Single, state As Long, effect As Long)\n"
    "  evLog = evLog & source.Name & \" \" & x & \",\" & y & \" \" & state & \" \" & effect & \";\"\n"
    "  effect = state + 100\n"
    "End Sub\n";

std::string Number(float v) {
  char b[32];
  std::snprintf(b, sizeof b, "%g", (double)v);
  return b;
}

TEST(DropSource, GoesOnWhileABitOfTheDragModeIsHeld) {
  struct Case {
    uint8_t mode;
    BOOL escape;
    DWORD keys;
    HRESULT want;
  } cases[] = {
      {kDragRight, FALSE, MK_RBUTTON, S_OK},
      {kDragRight, FALSE, 0, DRAGDROP_S_DROP},
      {kDragRight, TRUE, MK_RBUTTON, DRAGDROP_S_CANCEL},
      {kDragLeft | kDragShift, FALSE, MK_SHIFT, S_OK},  // Shift alone keeps it going
      {kDragMiddle, FALSE, MK_MBUTTON, S_OK},
      {kDragMiddle, FALSE, MK_LBUTTON, DRAGDROP_S_DROP},
      {kDragNone, FALSE, MK_LBUTTON | MK_RBUTTON, DRAGDROP_S_DROP},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.mode));
    uint8_t mode = c.mode;
    IWDropSource s(mode);
    EXPECT_EQ(c.want, s.QueryContinueDrag(c.escape, c.keys));
    EXPECT_EQ(DRAGDROP_S_USEDEFAULTCURSORS, s.GiveFeedback(DROPEFFECT_COPY));
  }
}

TEST(Drop, DragAndDropGetsTheSourceThePointTheStateAndTheEffect) {
  DragWindow w("DW", kDragHandlers);
  InterObjRep* source = NewWindow("DropSource1");
  POINT origin = {0, 0};
  ClientToScreen(w.window()->HWindow, &origin);
  float x = 0, y = 0;
  w.window()->Pixels2Units(TPoint(10, 20), x, y);
  std::string want;
  for (short state = 0; state <= 4; ++state) {
    SCOPED_TRACE(state);
    InterObj src(source);
    TPoint screen(origin.x + 10, origin.y + 20);
    unsigned long effect = 3;
    EXPECT_NE(0, w.window()->CallDragAndDropEvent(src, screen, state, &effect));
    EXPECT_EQ(unsigned(state + 100), effect);
    want += "DropSource1 " + Number(x) + "," + Number(y) + " " + std::to_string(state) + " 3;";
  }
  EXPECT_EQ(want, w.log());
}

TEST(Drop, WithoutAHandlerTheDropIsRefused) {
  DragWindow w("NoDropW", "");
  InterObj src(NewWindow("DropSource2"));
  TPoint screen(5, 5);
  unsigned long effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(0, w.window()->CallDragAndDropEvent(src, screen, 3, &effect));
  EXPECT_EQ(0u, effect);
}

TEST(DragStart, AHandlerGetsThePressPointAndNoDragStarts) {
  DragWindow w("DW", kDragHandlers);
  Steps doubles;
  IWWindow::DragSteps().runDrag = &FakeDrag;
  g_seen = DragSeen();
  TPoint press(8, 6);
  float x = 0, y = 0;
  w.window()->Pixels2Units(press, x, y);
  EXPECT_NE(0, w.window()->CallDragStartEvent(press));
  // No library publishes "XferData" here: the handler gets Nothing.
  EXPECT_EQ("start " + Number(x) + "," + Number(y) + " Nothing;", w.log());
  EXPECT_EQ(0, g_seen.calls);
}

TEST(DragStart, WithoutAHandlerTheWindowDragsItsOwnObject) {
  DragWindow w("PlainW", "");
  Steps doubles;
  IWWindow::DragSteps().runDrag = &FakeDrag;
  g_seen = DragSeen();
  const int before = w.store()->count();
  TPoint press(3, 4);
  EXPECT_EQ(0, w.window()->CallDragStartEvent(press));
  EXPECT_EQ(1, g_seen.calls);
  EXPECT_EQ(DWORD(DROPEFFECT_COPY | DROPEFFECT_MOVE), g_seen.allowed);
  EXPECT_EQ(w.window()->DropSource(), g_seen.source);
  EXPECT_EQ(w.store(), g_seen.dragged);
  EXPECT_EQ(before + 1, g_seen.countDuring);  // the medium's reference
  EXPECT_EQ(S_OK, g_seen.enumResult);
  EXPECT_EQ(before, w.store()->count());  // given back with the data object
}

// The medium builder allocates and then fails (as when the block cannot be locked).
void* FailingBuilder(STGMEDIUM& medium, unsigned size, const void*) {
  medium.tymed = TYMED_HGLOBAL;
  medium.pUnkForRelease = nullptr;
  medium.hGlobal = GlobalAlloc(GMEM_DDESHARE, size);
  return nullptr;
}

void* NothingBuilder(STGMEDIUM&, unsigned, const void*) { return nullptr; }

TEST(DragStart, WhenTheMediumCannotBeMadeNoDragStartsAndTheCountIsGivenBack) {
  DragWindow w("FailW", "");
  for (auto builder : {&FailingBuilder, &NothingBuilder}) {
    Steps doubles;
    IWWindow::DragSteps().buildMedium = builder;
    IWWindow::DragSteps().runDrag = &FakeDrag;
    g_seen = DragSeen();
    const int before = w.store()->count();
    TPoint press(1, 1);
    EXPECT_EQ(0, w.window()->CallDragStartEvent(press));
    EXPECT_EQ(0, g_seen.calls);
    EXPECT_EQ(before, w.store()->count());
  }
}

// A right-button press moved past the drag distance: "DragStart" at the press point.
TEST(DragStart, ARightButtonGestureFromRealMessages) {
  DragWindow w("DW", kDragHandlers);
  Steps doubles;
  IWWindow::DragSteps().runDrag = &FakeDrag;
  HWND h = w.window()->HWindow;
  const int dist = GetSystemMetrics(SM_CXDRAG) + 5;
  SendMessageA(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(12, 14));
  SendMessageA(h, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(12 + dist, 14));
  SendMessageA(h, WM_RBUTTONUP, 0, MAKELPARAM(12 + dist, 14));
  float x = 0, y = 0;
  w.window()->Pixels2Units(TPoint(12, 14), x, y);
  EXPECT_EQ("start " + Number(x) + "," + Number(y) + " Nothing;", w.log());
}

}  // namespace
