// "Form" on the X display: the events each showing operation raises and their order,
// modality, closing a secondary form, activation, minimise and restore (with the other
// windows of the thread), reparenting, and damaged blocks.
#include <gtest/gtest.h>

#include <stdexcept>

#include "formkit.h"
#include "guiobjects1/iwscreen.h"

namespace {

using namespace formkit;

std::string Unique(const char* stem) {
  static int n = 0;
  return std::string(stem) + std::to_string(++n);
}

TEST(Form, IsPublishedUnderWindowWithItsMembers) {
  TestApp();
  InterObjRep* proto = ObjectStore::find("Form");
  ASSERT_NE(nullptr, proto);
  EXPECT_STREQ("Orvanel.Form", proto->progId());
  EXPECT_EQ(ObjectStore::find("Window"), proto->parent());
  for (const char* m : {"Show", "Hide", "Minimize", "Maximize", "ShowRestore", "ShowModal", "ModalResult",
                        "BringToTop", "LoadForm", "UnloadForm", "Center", "Visible", "ShownModal", "Parent"})
    EXPECT_NE(nullptr, proto->findField(m)) << m;
  for (const char* e : {"Load", "Unload", "Activate", "Deactivate", "Resize", "Click", "DblClick", "Paint"})
    EXPECT_NE(nullptr, proto->findEventDef(e)) << e;
  EXPECT_NE(nullptr, EnumRep::find("ScaleMode"));
}

TEST(Form, IsMadeWithItsDefaultsAndWindowClasses) {
  IWForm* f = MakeForm(Unique("Defaults"));
  ASSERT_NE(nullptr, f);
  const int tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  EXPECT_EQ((int)(3600.0 / tx + 0.5), f->Attr.W);
  EXPECT_EQ((int)(4320.0 / ty + 0.5), f->Attr.H);
  EXPECT_EQ(tx * f->Attr.W, f->twipsWidth());
  EXPECT_EQ(kScaleTwip, f->Scale()->mode());
  EXPECT_NE(nullptr, f->GetIcon());
  f->imShow();
  ASSERT_NE(nullptr, f->HWindow);
  char cls[64] = "";
  GetClassNameA(f->HWindow, cls, sizeof cls);
  EXPECT_STREQ("OrvanelForm", cls);
  HWND client = f->Client()->HWindow;
  ASSERT_NE(nullptr, client);
  GetClassNameA(client, cls, sizeof cls);
  EXPECT_STREQ("OrvanelFormClient", cls);
  EXPECT_TRUE(GetClassLongA(client, GCL_STYLE) & CS_OWNDC);
  EXPECT_EQ((LONG_PTR)(COLOR_BTNFACE + 1), (LONG_PTR)GetClassLongPtrA(client, GCLP_HBRBACKGROUND));
  EXPECT_EQ((LONG)(WS_CLIPCHILDREN | WS_CLIPSIBLINGS),
            GetWindowLongA(client, GWL_STYLE) & (WS_CLIPCHILDREN | WS_CLIPSIBLINGS));
  f->imUnload();
}

// The showing operations and the events they raise (activation aside: it comes from the
// window system, and is checked on its own below). The first show of a window sizes it:
// "Resize" follows "Load"; a form only loaded has had no size yet.
TEST(Form, ShowingOperationsRaiseTheirEventsInOrder) {
  TestApp();
  struct Case {
    const char* what;
    std::function<void(IWForm*)> run;
    const char* events;
    bool visible, window;
  } cases[] = {
      {"Show", [](IWForm* f) { f->imShow(); }, "Load,Resize,", true, true},
      {"Show twice", [](IWForm* f) { f->imShow(), f->imShow(); }, "Load,Resize,", true, true},
      {"Show, Hide", [](IWForm* f) { f->imShow(), f->imHide(); }, "Load,Resize,", false, true},
      {"LoadForm", [](IWForm* f) { f->imLoad(); }, "Load,", false, true},
      {"LoadForm twice", [](IWForm* f) { f->imLoad(), f->imLoad(); }, "Load,", false, true},
      {"LoadForm, Show", [](IWForm* f) { f->imLoad(), f->imShow(); }, "Load,Resize,", true, true},
      {"Show, UnloadForm", [](IWForm* f) { f->imShow(), f->imUnload(); }, "Load,Resize,Unload,", false,
       false},
      {"UnloadForm alone", [](IWForm* f) { f->imUnload(); }, "", false, false},
      {"Show, UnloadForm, Show", [](IWForm* f) { f->imShow(), f->imUnload(), f->imShow(); },
       "Load,Resize,Unload,Load,Resize,", true, true},
      {"Visible = True, Visible = False", [](IWForm* f) { f->pdSetVisible(-1), f->pdSetVisible(0); },
       "Load,Resize,", false, true},
      {"closed from its system menu, then shown",
       [](IWForm* f) {
         f->imShow();
         SendMessageA(f->HWindow, WM_CLOSE, 0, 0);
         EXPECT_EQ(0, f->pdGetVisible());
         EXPECT_NE(nullptr, f->HWindow);  // hidden, not unloaded
         f->imShow();
       },
       "Load,Resize,", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IWForm* f = MakeForm(Unique("Order"));
    ASSERT_NE(nullptr, f);
    c.run(f);
    Pump();
    EXPECT_EQ(c.events, LogWithoutActivation(f));
    EXPECT_EQ(c.visible ? -1 : 0, f->pdGetVisible());
    EXPECT_EQ(c.window, f->HWindow != nullptr);
    f->imUnload();
  }
}

TEST(Form, ActivationRaisesActivateAndDeactivate) {
  IWForm* f = MakeForm(Unique("Active"));
  ASSERT_NE(nullptr, f);
  f->imShow();
  Pump();
  ClearLog(f);
  SendMessageA(f->HWindow, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ("Deactivate,", Log(f));
  ClearLog(f);
  SendMessageA(f->HWindow, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(0u, Log(f).find("Activate,")) << Log(f);
  // While the store is locked (its objects being torn down) no "Deactivate".
  ClearLog(f);
  int was = ObjectStore::SetLockState(1);
  SendMessageA(f->HWindow, WM_ACTIVATE, WA_INACTIVE, 0);
  ObjectStore::SetLockState(was);
  EXPECT_EQ("", Log(f));
  f->imUnload();
}

// Runs fn once the modal loop that the form's ShowModal opens is pumping; a loop still
// running after 10 s is ended with -99.
long ShowModalThen(IWForm* f, Tasks& tasks, std::function<void()> fn) {
  tasks.Post(std::move(fn));
  tasks.Guard([f] { f->imModalResult(-99); }, 10000);
  long answer = f->imShowModal();
  tasks.Unguard();
  return answer;
}

TEST(Form, ShowModalAnswersModalResult) {
  IWForm* f = MakeForm(Unique("Modal"),
                       "  Type Ok From Button\n  End Type\n"
                       "  Sub Ok_Click()\n    Events = Events & \"Ok,\"\n    ModalResult 7\n  End Sub\n");
  ASSERT_NE(nullptr, f);
  Place(f, "Ok");
  Tasks tasks;
  long shownModal = 0;
  long answer = ShowModalThen(f, tasks, [&] {
    shownModal = f->pdGetShownModal();
    IWButton* ok = Embedded<IWButton>(f, "Ok");
    PostMessageA(ok->HWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(ok->HWindow, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  });
  EXPECT_EQ(7, answer);
  EXPECT_EQ(-1, shownModal);
  EXPECT_EQ(0, f->pdGetShownModal());
  EXPECT_EQ("Load,Resize,Ok,", LogWithoutActivation(f));
  EXPECT_EQ(-1, f->pdGetVisible());  // the result ends the loop; the form stays
  // The outer loop goes on: a task posted now runs here.
  bool ran = false;
  tasks.Post([&] { ran = true; });
  EXPECT_TRUE(testkit::PumpUntil([&] { return ran; }));
  f->imUnload();
}

TEST(Form, HidingClosingOrUnloadingAModalFormAnswersMinusOne) {
  TestApp();
  struct Case {
    const char* what;
    std::function<void(IWForm*)> end;
    bool window;
  } cases[] = {
      {"Hide", [](IWForm* f) { f->imHide(); }, true},
      {"closed", [](IWForm* f) { PostMessageA(f->HWindow, WM_CLOSE, 0, 0); }, true},
      {"UnloadForm", [](IWForm* f) { f->imUnload(); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IWForm* f = MakeForm(Unique("ModalEnd"));
    ASSERT_NE(nullptr, f);
    Tasks tasks;
    EXPECT_EQ(-1, ShowModalThen(f, tasks, [&] { c.end(f); }));
    EXPECT_EQ(0, f->pdGetShownModal());
    EXPECT_EQ(c.window, f->HWindow != nullptr);
    f->imUnload();
  }
}

TEST(Form, ShowModalIsRefusedWhenItCannotApply) {
  IWForm* host = MakeForm(Unique("Host"), "  Type Inner From Form\n  End Type\n");
  ASSERT_NE(nullptr, host);
  IWForm* inner = Embedded<IWForm>(host, "Inner");
  ASSERT_NE(nullptr, inner);
  EXPECT_TRUE(inner->IsEmbedded());
  EXPECT_EQ(-1, inner->imShowModal());  // embedded: -1, nothing shown
  EXPECT_EQ(nullptr, inner->HWindow);
  host->imShow();
  ASSERT_NE(nullptr, inner->HWindow);
  EXPECT_EQ(host->Client()->HWindow, GetParent(inner->HWindow));
  EXPECT_EQ(-1, inner->imShowModal());

  IWForm* f = MakeForm(Unique("Twice"));
  Tasks tasks;
  long again = 0;
  long answer = ShowModalThen(f, tasks, [&] {
    f->imHide();  // ends it; shown again below, modal once more
  });
  EXPECT_EQ(-1, answer);
  answer = ShowModalThen(f, tasks, [&] {
    again = f->imShowModal();  // already modal: -1 at once, shown again
    f->imModalResult(3);
  });
  EXPECT_EQ(-1, again);
  EXPECT_EQ(3, answer);
  EXPECT_EQ(-1, f->pdGetVisible());
  f->imUnload();
  host->imUnload();
}

TEST(Form, AModalFormAboveTheScreenIsCentred) {
  IWForm* f = MakeForm(Unique("Centred"));
  ASSERT_NE(nullptr, f);
  f->imMove(300, -3000, 3000, 2000);  // twips: above the top of the screen
  Tasks tasks;
  RECT seen = {};
  ShowModalThen(f, tasks, [&] {
    GetWindowRect(f->HWindow, &seen);
    f->imModalResult(0);
  });
  TPoint centre = TWindow::CalcCenterOnScreen(seen.right - seen.left, seen.bottom - seen.top);
  EXPECT_EQ(centre.x, seen.left);
  EXPECT_EQ(centre.y, seen.top);
  EXPECT_GE(f->pdGetTop(), 0);
  f->imUnload();
}

TEST(Form, AnErrorInTheModalLoopReachesTheCodeThatOpenedIt) {
  IWForm* f = MakeForm(Unique("Failing"),
                       "  Type Bad From Button\n  End Type\n"
                       "  Sub Bad_Click()\n    Dim zero As Long\n    zero = 1 \\ zero\n  End Sub\n");
  ASSERT_NE(nullptr, f);
  Place(f, "Bad");
  Tasks tasks;
  bool caught = false;
  try {
    ShowModalThen(f, tasks, [&] {
      IWButton* bad = Embedded<IWButton>(f, "Bad");
      SendMessageA(bad->HWindow, BM_CLICK, 0, 0);
    });
  } catch (const StoreException& e) {
    caught = true;
    EXPECT_NE(std::string::npos, std::string(e.what()).find("division by zero")) << e.what();
  }
  EXPECT_TRUE(caught);
  EXPECT_EQ(0, f->pdGetShownModal());
  // The loop the test pumps goes on afterwards.
  bool ran = false;
  tasks.Post([&] { ran = true; });
  EXPECT_TRUE(testkit::PumpUntil([&] { return ran; }));
  f->imUnload();
}

TEST(Form, ANewParentRecreatesAVisibleForm) {
  IWForm* owner = MakeForm(Unique("Owner"));
  IWForm* f = MakeForm(Unique("Owned"));
  ASSERT_TRUE(owner && f);
  owner->imShow();
  f->imShow();
  ClearLog(f);
  f->pdSetParent(owner->storeObj());
  EXPECT_EQ("Unload,Load,Resize,", LogWithoutActivation(f));
  EXPECT_EQ(-1, f->pdGetVisible());
  EXPECT_EQ(owner->HWindow, GetWindow(f->HWindow, GW_OWNER));
  // A form that was only loaded is loaded again, not shown.
  f->imHide();
  ClearLog(f);
  f->pdSetParent(nullptr);
  EXPECT_EQ("Unload,Load,", LogWithoutActivation(f));
  EXPECT_EQ(0, f->pdGetVisible());
  EXPECT_NE(nullptr, f->HWindow);
  f->imUnload();
  owner->imUnload();
}

TEST(Form, ARestoredMinimisedFormRaisesNoResizeAMaximisedOneDoes) {
  IWForm* f = MakeForm(Unique("Sizes"));
  ASSERT_NE(nullptr, f);
  f->imShow();
  Pump();
  ClearLog(f);
  f->imMinimize();
  Pump();
  EXPECT_TRUE(f->State() & IWForm::kMinimized);
  EXPECT_EQ("", LogWithoutActivation(f));
  f->imShowRestore();
  Pump();
  EXPECT_FALSE(f->State() & IWForm::kMinimized);
  EXPECT_EQ("", LogWithoutActivation(f));
  f->imMinimize();
  Pump();
  f->imMaximize();
  Pump();
  EXPECT_EQ("Resize,", LogWithoutActivation(f));
  f->imShowRestore();
  Pump();
  EXPECT_EQ("Resize,Resize,", LogWithoutActivation(f));
  f->imHide();
  ClearLog(f);
  f->imMinimize();  // not visible: nothing
  EXPECT_FALSE(IsIconic(f->HWindow));
  f->imUnload();
}

// The main form's minimise hides the thread's other top-level windows and its restore
// shows them again, marking them with a property of its own: the windows' user data
// stays what their owners put there.
TEST(Form, MinimisingTheMainFormLeavesOtherWindowsUserDataAlone) {
  TApplication& app = TestApp();
  IWForm* f = MakeForm(Unique("Main"));
  ASSERT_NE(nullptr, f);
  HWND shown = CreateWindowExA(0, "STATIC", "shown", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr,
                               nullptr, nullptr);
  HWND hidden =
      CreateWindowExA(0, "STATIC", "hidden", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
  SetWindowLongPtrA(shown, GWLP_USERDATA, 1234);
  SetWindowLongPtrA(hidden, GWLP_USERDATA, 1);  // what the old mark looked like
  TFrameWindow* previous = app.SetMainWindow(f);
  f->imShow();
  Pump();
  f->imMinimize();
  Pump();
  EXPECT_FALSE(IsWindowVisible(shown));
  EXPECT_EQ(1234, GetWindowLongPtrA(shown, GWLP_USERDATA));
  EXPECT_NE(nullptr, GetPropA(shown, IWForm::HiddenMarkName()));
  EXPECT_TRUE(IsWindowVisible(f->HWindow));  // the form itself stays (minimised)
  f->imShowRestore();
  Pump();
  EXPECT_TRUE(IsWindowVisible(shown));
  EXPECT_FALSE(IsWindowVisible(hidden));  // not hidden by the form: left hidden
  EXPECT_EQ(1234, GetWindowLongPtrA(shown, GWLP_USERDATA));
  EXPECT_EQ(1, GetWindowLongPtrA(hidden, GWLP_USERDATA));
  EXPECT_EQ(nullptr, GetPropA(shown, IWForm::HiddenMarkName()));
  app.SetMainWindow(previous);
  f->ClearFlag(wfMainWindow);
  f->imUnload();
  DestroyWindow(shown);
  DestroyWindow(hidden);
}

TEST(Form, ADamagedOrNewerBlockFailsNamingForm) {
  IWForm* f = MakeForm(Unique("Stored"));
  ASSERT_NE(nullptr, f);
  Bytes block = SaveBlock(*f);
  ASSERT_GT(block.size(), 3u);
  Bytes newer = block;
  newer[0] = 2;
  Bytes innerNewer = block;
  innerNewer[1] = 2;
  Bytes cut(block.begin(), block.begin() + 5);
  for (const Bytes* b : {&newer, &innerNewer, &cut}) {
    try {
      LoadBlock(*f, *b);
      ADD_FAILURE() << "loaded";
    } catch (const ObjectLoadFailed& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find("'Form'")) << e.what();
    }
  }
}

}  // namespace
