// The application: modal loops through the virtual MessageLoop, exceptions from handlers
// reaching the code that ran the loop, idle processing, condemned windows, dialogs and
// the error box.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "testkit/testkit.h"
#include "winlib/applicat.h"
#include "winlib/dialog.h"
#include "winlib/except.h"
#include "winlib/framewin.h"

namespace {

class TLoopApp : public TApplication {
 public:
  TLoopApp() : TApplication("WinLibTest") {}
  int MessageLoop() override {
    ++loops;
    return TApplication::MessageLoop();
  }
  bool IdleAction(long count) override {
    if (count > maxIdle) maxIdle = count;
    bool more = TApplication::IdleAction(count);
    if (onIdle) more = onIdle(count) || more;
    return more;
  }
  int loops = 0;
  long maxIdle = -1;
  std::function<bool(long)> onIdle;
};

enum { WM_RUN = WM_USER + 10 };

// A window that runs the function carried by a posted message.
class TActionWindow : public TWindow {
 public:
  TActionWindow() : TWindow(nullptr, "actions") { Attr.Style = WS_OVERLAPPED; }
  ~TActionWindow() override {
    if (deleted) *deleted = true;
  }
  void Post(std::function<void()> f) {
    auto* copy = new std::function<void()>(std::move(f));
    PostMessage(WM_RUN, 0, LPARAM(copy));
  }
  LRESULT Run(WPARAM, LPARAM p) {
    std::unique_ptr<std::function<void()>> f(reinterpret_cast<std::function<void()>*>(p));
    (*f)();
    return 0;
  }
  void SetupWindow() override {
    TWindow::SetupWindow();
    if (failSetup) throw TXOwl("setup failed");
  }
  bool IdleAction(long count) override {
    ++idleCalls;
    return TWindow::IdleAction(count);
  }
  bool* deleted = nullptr;
  bool failSetup = false;
  int idleCalls = 0;
  DECLARE_RESPONSE_TABLE(TActionWindow);
};
DEFINE_RESPONSE_TABLE1(TActionWindow, TWindow)
EV_MESSAGE(WM_RUN, Run), END_RESPONSE_TABLE;

TEST(WinLibApplication, BeginModalRunsTheVirtualLoopAndAnswersEndModal) {
  TLoopApp app;
  EXPECT_EQ(GetApplicationObject(), &app);
  TActionWindow w;
  ASSERT_TRUE(w.Create());
  int inner = 0;
  bool disabledInside = false;
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPED, 0, 0, 40, 20, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  ShowWindow(other, SW_SHOWNA);  // tests in other processes keep their activation
  w.Post([&] {
    disabledInside = !IsWindowEnabled(other);  // task modal: other windows switched off
    w.Post([&] { app.EndModal(7); });
    inner = app.BeginModal(nullptr, MB_APPLMODAL);
    w.Post([&] { app.EndModal(42); });
  });
  EXPECT_EQ(app.BeginModal(nullptr, MB_TASKMODAL), 42);
  EXPECT_EQ(inner, 7);
  EXPECT_EQ(app.loops, 2);  // both loops ran through the virtual MessageLoop
  EXPECT_TRUE(disabledInside);
  EXPECT_TRUE(IsWindowEnabled(other));
  DestroyWindow(other);
}

TEST(WinLibApplication, ExceptionFromAHandlerReachesTheCodeThatRanTheLoop) {
  TLoopApp app;
  TActionWindow w;
  ASSERT_TRUE(w.Create());

  w.Post([] { throw std::runtime_error("boom"); });
  try {
    app.BeginModal(nullptr, MB_TASKMODAL);
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "boom");
  }
  // Thrown two loops deep, it passes through the inner loop to the outer one.
  w.Post([&] {
    w.Post([] { throw TXGdi(); });
    app.BeginModal(nullptr, MB_APPLMODAL);
  });
  EXPECT_THROW(app.BeginModal(nullptr, MB_APPLMODAL), TXGdi);

  // A handler run by SendMessage: held until ResumeThrow.
  w.SendMessage(WM_RUN, 0, LPARAM(new std::function<void()>([] { throw xmsg("held"); })));
  EXPECT_TRUE(TApplication::HasSuspendedThrow());
  EXPECT_THROW(TApplication::ResumeThrow(), xmsg);
  EXPECT_FALSE(TApplication::HasSuspendedThrow());

  // The loop still works afterwards.
  w.Post([&] { app.EndModal(3); });
  EXPECT_EQ(app.BeginModal(nullptr, MB_APPLMODAL), 3);

  // An exception during creation reaches the caller of Create.
  TActionWindow failing;
  failing.failSetup = true;
  EXPECT_THROW(failing.Create(), TXOwl);
  EXPECT_EQ(failing.HWindow, nullptr);
}

TEST(WinLibApplication, IdleProcessingAndCondemnedWindows) {
  TLoopApp app;
  auto* w = new TActionWindow;
  auto* frame = new TFrameWindow(nullptr, "main", w);
  app.SetMainWindow(frame);
  frame->Create();
  app.onIdle = [&](long count) {
    if (count == 5) app.EndModal(int(count));
    return count < 5;  // asks for more idle time until then
  };
  EXPECT_EQ(app.BeginModal(nullptr, MB_APPLMODAL), 5);
  EXPECT_EQ(app.maxIdle, 5);
  EXPECT_GE(w->idleCalls, 5);  // the main window passes idle time to its children
  app.onIdle = nullptr;

  // A window shut down inside a handler is deleted after the dispatch.
  bool deleted = false;
  auto* doomed = new TActionWindow;
  doomed->deleted = &deleted;
  doomed->Create();
  doomed->Post([&] {
    doomed->ShutDownWindow();
    EXPECT_FALSE(deleted);
    w->Post([&] { app.EndModal(1); });
  });
  app.BeginModal(nullptr, MB_APPLMODAL);
  EXPECT_TRUE(deleted);
}

TEST(WinLibApplication, MainWindowCloseEndsRun) {
  struct TRunApp : TLoopApp {
    void InitMainWindow() override {
      SetMainWindow(new TFrameWindow(nullptr, "Run test"));
      SetCmdShow(SW_SHOWNA);
    }
    bool IdleAction(long count) override {
      if (!closed && GetMainWindow()) closed = GetMainWindow()->PostMessage(WM_CLOSE);
      return TLoopApp::IdleAction(count);
    }
    bool closed = false;
  } app;
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(app.loops, 1);
  EXPECT_EQ(app.GetMainWindow()->HWindow, nullptr);
}

// Run shows an exception that leaves the loop and asks whether to go on.
TEST(WinLibApplication, DeletingTheMainWindowEndsTheLoop) {
  TLoopApp app;
  auto* frame = new TFrameWindow(nullptr, "main");
  app.SetMainWindow(frame);
  ASSERT_TRUE(frame->Create());
  TActionWindow w;
  ASSERT_TRUE(w.Create());
  w.Post([&] { delete frame; });
  EXPECT_EQ(app.BeginModal(nullptr, MB_APPLMODAL), 0);  // ended by the quit message
  EXPECT_EQ(app.GetMainWindow(), nullptr);
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // passed outwards
}

TEST(WinLibApplication, RunShowsLoopExceptionsAndAsksToContinue) {
  struct TThrowingApp : TLoopApp {
    void InitMainWindow() override {
      actions = new TActionWindow;
      SetMainWindow(new TFrameWindow(nullptr, "Run test", actions));
      SetCmdShow(SW_SHOWNA);
    }
    bool IdleAction(long count) override {
      if (step == 0) actions->Post([] { throw TXOwl("Handler failed."); });
      if (step == 1 && goOn) GetMainWindow()->PostMessage(WM_CLOSE);
      if (step < 2) ++step;
      return TLoopApp::IdleAction(count);
    }
    TActionWindow* actions = nullptr;
    int step = 0;
    bool goOn = true;
  };
  for (int answer : {IDYES, IDNO}) {
    testkit::BoxAnswerer answerer;
    answerer.Script(answer);
    TThrowingApp app;
    app.goOn = answer == IDYES;
    EXPECT_EQ(app.Run(), answer == IDYES ? 0 : -1);
    ASSERT_EQ(answerer.Boxes().size(), 1u);
    EXPECT_EQ(answerer.Boxes()[0].caption, app.LoadString(IDS_WLEXCEPTIONCAPTION));
    EXPECT_EQ(app.loops, answer == IDYES ? 2 : 1);
  }
}

TEST(WinLibApplication, WinMainParamsReachTheApplication) {
  TApplication::SetWinMainParams(GetModuleHandleA(nullptr), nullptr, "-x file", SW_SHOWMINNOACTIVE);
  TApplication app;
  EXPECT_EQ(app.GetCmdShow(), SW_SHOWMINNOACTIVE);
  EXPECT_EQ(app.GetCmdLine(), "-x file");
  EXPECT_EQ(app.GetInstance(), GetModuleHandleA(nullptr));
  EXPECT_EQ(app.GetName(), "ovgui1_test");  // no name: the program's file name
  TApplication::SetWinMainParams(GetModuleHandleA(nullptr), nullptr, "", SW_SHOWNORMAL);
}

// A task-modal run switches off the enabled top-level windows and gives back only those:
// a window that was already disabled stays so.
TEST(WinLibApplication, ReEnablingGivesBackOnlyTheWindowsItDisabled) {
  TApplication app("DisableTest");
  TWindow first(nullptr, "first"), second(nullptr, "second"), third(nullptr, "third");
  TWindow* windows[] = {&first, &second, &third};
  for (TWindow* w : windows) {
    w->Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    w->Create();
  }
  second.EnableWindow(false);
  TWindow except(nullptr, "the dialog");
  except.Attr.Style = WS_POPUP | WS_VISIBLE;
  except.Create();
  TDisabledWindows* record = app.DisableEnabledTopLevelWindows(except.HWindow);
  ASSERT_NE(nullptr, record);
  for (TWindow* w : windows) EXPECT_FALSE(w->IsWindowEnabled()) << w->Title;
  EXPECT_TRUE(except.IsWindowEnabled());
  EXPECT_EQ(0, std::count(record->Windows.begin(), record->Windows.end(), second.HWindow));
  app.ReEnableDisabledWindows(record);
  EXPECT_TRUE(first.IsWindowEnabled());
  EXPECT_FALSE(second.IsWindowEnabled());
  EXPECT_TRUE(third.IsWindowEnabled());
  EXPECT_TRUE(except.IsWindowEnabled());
  app.ReEnableDisabledWindows(nullptr);  // no record: nothing happens
}

TEST(WinLibDialog, InputDialogRunsModallyThroughTheApplication) {
  TLoopApp app;
  char buffer[32] = "initial";
  testkit::BoxAnswerer answerer;
  answerer.Script(IDOK);
  {
    TInputDialog dlg(nullptr, "Input title", "Enter a name:", buffer, sizeof buffer);
    EXPECT_EQ(dlg.Execute(), IDOK);
    EXPECT_EQ(dlg.HWindow, nullptr);
  }
  EXPECT_STREQ(buffer, "initial");
  EXPECT_EQ(app.loops, 1);
  ASSERT_EQ(answerer.Boxes().size(), 1u);
  EXPECT_EQ(answerer.Boxes()[0].caption, "Input title");
  EXPECT_NE(answerer.Boxes()[0].text.find("Enter a name:"), std::string::npos);

  // Cancel leaves the buffer alone even when the text changed.
  struct TChanging : TInputDialog {
    using TInputDialog::TInputDialog;
    void SetupWindow() override {
      TInputDialog::SetupWindow();
      SetDlgItemTextA(HWindow, IdEdit, "typed");
    }
  };
  answerer.Script(IDCANCEL);
  TChanging cancel(nullptr, "t", "p", buffer, sizeof buffer);
  EXPECT_EQ(cancel.Execute(), IDCANCEL);
  EXPECT_STREQ(buffer, "initial");
  answerer.Script(IDOK);
  TChanging ok(nullptr, "t", "p", buffer, sizeof buffer);
  EXPECT_EQ(ok.Execute(), IDOK);
  EXPECT_STREQ(buffer, "typed");

  // Modeless: created, found by handle, destroyed.
  TDialog modeless(nullptr, TInputDialog::ResId, GetWinLibModule());
  ASSERT_TRUE(modeless.Create());
  EXPECT_EQ(TWindow::GetWindowPtr(modeless.HWindow), &modeless);
  EXPECT_FALSE(modeless.IsModal());
  modeless.Destroy(IDCANCEL);
  EXPECT_EQ(modeless.HWindow, nullptr);
}

TEST(WinLibErrors, ErrorBoxAndLibraryStrings) {
  TLoopApp app;
  testkit::BoxAnswerer answerer;
  answerer.Script(IDYES);
  answerer.Script(IDNO);
  EXPECT_EQ(app.Error(xmsg("Something broke."), 0, IDS_WLOKTORESUME), 0);
  TXOwl owl("Library trouble.");
  EXPECT_EQ(owl.Unhandled(&app, IDS_WLOKTORESUME), -1);
  ASSERT_EQ(answerer.Boxes().size(), 2u);
  std::string prompt = app.LoadString(IDS_WLOKTORESUME);
  EXPECT_FALSE(prompt.empty());
  EXPECT_EQ(answerer.Boxes()[0].caption, "WinLibTest");
  EXPECT_EQ(answerer.Boxes()[1].caption, app.LoadString(IDS_WLEXCEPTIONCAPTION));

  // The library's strings are reachable from any module.
  EXPECT_NE(app.LoadString(IDS_WLNOTFOUND).find("%s"), std::string::npos);
  try {
    TXGdi::Check(static_cast<const void*>(nullptr));
    ADD_FAILURE();
  } catch (const TXGdi& x) {
    EXPECT_EQ(x.why(), app.LoadString(IDS_WLGDIFAILURE));
    EXPECT_EQ(x.GetErrorCode(), 32739u);
  }
  TXOutOfMemory oom;
  EXPECT_EQ(oom.why(), app.LoadString(IDS_WLOUTOFMEMORY));
  const xmsg& base = oom;  // the run-time base
  EXPECT_FALSE(base.why().empty());
}

// A parent deletes its children with it, except those marked as owned elsewhere: they
// leave its list, their handles go with its handle, and their objects live on.
TEST(WinLibWindow, ChildrenOwnedElsewhereAreLetGoNotDeleted) {
  TLoopApp app;
  auto* parent = new TActionWindow;
  parent->Create();
  bool plainDeleted = false, ownedDeleted = false;
  auto* plain = new TActionWindow;
  auto* owned = new TActionWindow;
  plain->deleted = &plainDeleted;
  owned->deleted = &ownedDeleted;
  for (TActionWindow* c : {plain, owned}) {
    c->Attr.Style = WS_CHILD;
    c->SetParent(parent);
    c->Create();
  }
  owned->SetFlag(wfOwnedElsewhere);
  HWND ownedHandle = owned->HWindow;
  delete parent;
  EXPECT_TRUE(plainDeleted);
  EXPECT_FALSE(ownedDeleted);
  EXPECT_EQ(nullptr, owned->Parent);
  EXPECT_FALSE(IsWindow(ownedHandle));
  delete owned;
  EXPECT_TRUE(ownedDeleted);
}

struct ProcessWindow {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FirstWindowOfProcess(HWND h, LPARAM param) {
  ProcessWindow& f = *reinterpret_cast<ProcessWindow*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != f.pid) return TRUE;
  f.found = h;
  return FALSE;
}

// Another program's window carrying the library's property (its own address in its own
// process) is not taken for a window of this one.
TEST(WinLibWindow, AnotherProcesssWindowIsNeverOneOfOurs) {
  char line[] = "notepad.exe";
  STARTUPINFOA si = {sizeof si};
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  WaitForInputIdle(pi.hProcess, 20000);
  ProcessWindow f{pi.dwProcessId, nullptr};
  DWORD start = GetTickCount();
  while (!f.found && GetTickCount() - start < 20000) {
    EnumWindows(FirstWindowOfProcess, reinterpret_cast<LPARAM>(&f));
    if (!f.found) Sleep(50);
  }
  EXPECT_NE(nullptr, f.found);
  if (f.found) {
    SetPropA(f.found, "OvWinLibObject", reinterpret_cast<HANDLE>(uintptr_t(0xDEAD0000)));
    EXPECT_EQ(reinterpret_cast<HANDLE>(uintptr_t(0xDEAD0000)), GetPropA(f.found, "OvWinLibObject"));
    EXPECT_EQ(nullptr, TWindow::GetWindowPtr(f.found));
  }
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

}  // namespace
