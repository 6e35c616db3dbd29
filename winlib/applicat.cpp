// TApplication: start-up, the message loop, modal loops, held exceptions and condemned
// windows. The per-dispatch state is kept per process: all windows of the library live
// on the GUI thread.
#include "winlib/applicat.h"

#include <algorithm>

#include "winlib/except.h"
#include "winlib/framewin.h"

namespace {

struct WinMainParams {
  HINSTANCE instance = nullptr;
  HINSTANCE prevInstance = nullptr;
  std::string cmdLine;
  int cmdShow = SW_SHOWNORMAL;
  bool set = false;
} g_params;

TApplication* g_application = nullptr;
TCurrentEvent* g_event = nullptr;  // top of the dispatch stack
std::exception_ptr g_pending;      // first exception held from a callback
std::vector<TWindow*> g_condemned;
int g_modalDepth = 0;

}  // namespace

TCurrentEvent::~TCurrentEvent() = default;

TApplication* GetApplicationObject() { return g_application; }

void TApplication::SetWinMainParams(HINSTANCE instance, HINSTANCE prevInstance, const char* cmdLine,
                                    int cmdShow) {
  g_params.instance = instance;
  g_params.prevInstance = prevInstance;
  g_params.cmdLine = cmdLine ? cmdLine : "";
  g_params.cmdShow = cmdShow;
  g_params.set = true;
}

TApplication::TApplication(const char* name, HINSTANCE instance)
    : TModule(name, instance ? instance : g_params.instance) {
  if (g_params.set) {
    hPrevInstance = g_params.prevInstance;
    nCmdShow = g_params.cmdShow;
    cmdLine_ = g_params.cmdLine;
  }
  if (!g_application) g_application = this;
}

TApplication::~TApplication() {
  DeleteCondemned();
  if (MainWindow) {
    TFrameWindow* main = MainWindow;
    MainWindow = nullptr;
    main->ClearFlag(wfMainWindow);  // going with the application: no quit message
    delete main;
  }
  EnableCtl3d(false);
  if (g_application == this) g_application = nullptr;
}

TFrameWindow* TApplication::SetMainWindow(TFrameWindow* window) {
  TFrameWindow* previous = MainWindow;
  if (previous) previous->ClearFlag(wfMainWindow);
  MainWindow = window;
  if (window) window->SetFlag(wfMainWindow);
  return previous;
}

void TApplication::InitMainWindow() {
  if (!MainWindow) SetMainWindow(new TFrameWindow(nullptr, GetName().c_str()));
}

void TApplication::InitInstance() {
  InitMainWindow();
  if (!MainWindow) throw TXOwl("The application has no main window.");
  MainWindow->SetFlag(wfMainWindow);
  MainWindow->Create();
  MainWindow->ShowWindow(nCmdShow);
}

// Exceptions that leave the loop are shown; the user may go on (the loop restarts while
// the main window lives) or end the program with the status Error answers.
int TApplication::Run() {
  int status = 0;
  bool initialised = false;
  for (;;) {
    try {
      if (!initialised) {
        if (!hPrevInstance) InitApplication();
        InitInstance();
        initialised = true;
      }
      return MessageLoop();
    } catch (TXOwl& x) {
      status = x.Unhandled(this, IDS_WLOKTORESUME);
    } catch (xmsg& x) {
      status = Error(x, IDS_WLEXCEPTIONCAPTION, IDS_WLOKTORESUME);
    }
    if (status != 0 || !initialised || !MainWindow || !MainWindow->HWindow) return status;
  }
}

bool TApplication::CanClose() { return !MainWindow || MainWindow->CanClose(); }

int TApplication::MessageLoop() {
  long idleCount = 0;
  MessageLoopResult = 0;
  while (!BreakMessageLoop) {
    // Idle work may itself end the loop (EndModal): no waiting then.
    if (!IdleAction(idleCount++) && !BreakMessageLoop) ::WaitMessage();
    if (!BreakMessageLoop && PumpWaitingMessages()) idleCount = 0;
  }
  BreakMessageLoop = false;
  return MessageLoopResult;
}

bool TApplication::PumpWaitingMessages() {
  MSG msg;
  bool any = false;
  while (!BreakMessageLoop && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    any = true;
    if (msg.message == WM_QUIT) {
      BreakMessageLoop = true;
      MessageLoopResult = int(msg.wParam);
      // A nested loop passes the quit on to the loops around it.
      if (g_modalDepth > 0) ::PostQuitMessage(int(msg.wParam));
      break;
    }
    if (!ProcessAppMsg(msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
      DeleteCondemned();
    }
    ResumeThrow();
  }
  return any;
}

// Offers the message to the library windows from its target up to the top-level window
// (dialog keys, accelerators). A modeless dialog without a library object (one a system
// dialog function made) still gets its dialog keys.
bool TApplication::ProcessAppMsg(MSG& msg) {
  HWND top = nullptr;
  for (HWND h = msg.hwnd; h;) {
    if (TWindow* w = TWindow::GetWindowPtr(h))
      if (w->PreProcessMsg(msg)) return true;
    if (!(::GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) {
      top = h;
      break;
    }
    h = ::GetParent(h);
  }
  char cls[16];
  if (top && !TWindow::GetWindowPtr(top) && ::GetClassNameA(top, cls, sizeof cls) &&
      ::lstrcmpA(cls, "#32770") == 0)
    return ::IsDialogMessageA(top, &msg);
  return false;
}

bool TApplication::IdleAction(long idleCount) {
  if (MainWindow && MainWindow->HWindow) return MainWindow->IdleAction(idleCount);
  return false;
}

int TApplication::BeginModal(TWindow* window, int flags) {
  TDisabledWindows* disabled = nullptr;
  HWND handle = window ? window->HWindow : nullptr;
  HWND owner = nullptr;
  if (flags & MB_TASKMODAL) {
    disabled = DisableEnabledTopLevelWindows(handle);
  } else if (handle) {
    owner = ::GetWindow(handle, GW_OWNER);
    if (owner && ::IsWindowEnabled(owner))
      ::EnableWindow(owner, FALSE);
    else
      owner = nullptr;
  }
  if (window) window->SetFlag(wfModalWindow);
  ++g_modalDepth;
  struct Restore {
    TWindow* window;
    TDisabledWindows* disabled;
    HWND owner;
    TApplication* app;
    ~Restore() {
      --g_modalDepth;
      if (window) window->ClearFlag(wfModalWindow);
      if (owner && ::IsWindow(owner)) ::EnableWindow(owner, TRUE);
      if (disabled) app->ReEnableDisabledWindows(disabled);
    }
  } restore{window, disabled, owner, this};
  return MessageLoop();
}

void TApplication::EndModal(int result) {
  MessageLoopResult = result;
  BreakMessageLoop = true;
}

namespace {
BOOL CALLBACK DisableOne(HWND h, LPARAM param) {
  auto* record = reinterpret_cast<std::pair<HWND, TDisabledWindows*>*>(param);
  if (h != record->first && ::IsWindowVisible(h) && ::IsWindowEnabled(h)) {
    ::EnableWindow(h, FALSE);
    record->second->Windows.push_back(h);
  }
  return TRUE;
}
}  // namespace

TDisabledWindows* TApplication::DisableEnabledTopLevelWindows(HWND except) {
  auto* record = new TDisabledWindows;
  std::pair<HWND, TDisabledWindows*> param(except, record);
  ::EnumThreadWindows(::GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&param));
  return record;
}

void TApplication::ReEnableDisabledWindows(TDisabledWindows* record) {
  if (!record) return;
  for (HWND h : record->Windows)
    if (::IsWindow(h)) ::EnableWindow(h, TRUE);
  delete record;
}

void TApplication::PushCurrentEvent(TCurrentEvent& event) {
  event.Previous = g_event;
  g_event = &event;
}

void TApplication::PopCurrentEvent(TCurrentEvent& event) {
  // Pops down to (and including) event, so a missed pop cannot leave stale entries.
  for (TCurrentEvent* e = g_event; e; e = e->Previous) {
    if (e == &event) {
      g_event = event.Previous;
      return;
    }
  }
}

TCurrentEvent* TApplication::GetCurrentEvent() { return g_event; }

void TApplication::SuspendThrow(std::exception_ptr e) {
  if (!g_pending) g_pending = e;
}

bool TApplication::HasSuspendedThrow() { return bool(g_pending); }

void TApplication::ResumeThrow() {
  if (!g_pending) return;
  std::exception_ptr e = g_pending;
  g_pending = nullptr;
  std::rethrow_exception(e);
}

void TApplication::Condemn(TWindow* window) {
  if (window && std::find(g_condemned.begin(), g_condemned.end(), window) == g_condemned.end())
    g_condemned.push_back(window);
}

void TApplication::Uncondemn(TWindow* window) {
  g_condemned.erase(std::remove(g_condemned.begin(), g_condemned.end(), window), g_condemned.end());
}

void TApplication::DeleteCondemned() {
  while (!g_condemned.empty()) {
    TWindow* w = g_condemned.back();
    g_condemned.pop_back();
    delete w;
  }
}

// The 3-D controls library is used only when the process has already loaded it.
bool TApplication::EnableCtl3d(bool enable) {
  typedef BOOL(WINAPI * InstanceFn)(HINSTANCE);
  if (enable && !ctl3d_) {
    HMODULE lib = ::GetModuleHandleA("ctl3d32.dll");
    auto reg = lib ? reinterpret_cast<InstanceFn>(::GetProcAddress(lib, "Ctl3dRegister")) : nullptr;
    if (!reg || !reg(GetInstance())) return false;
    ctl3d_ = lib;
  } else if (!enable && ctl3d_) {
    auto unreg = reinterpret_cast<InstanceFn>(::GetProcAddress(ctl3d_, "Ctl3dUnregister"));
    if (unreg) unreg(GetInstance());
    ctl3d_ = nullptr;
  }
  return enable == (ctl3d_ != nullptr);
}

bool TApplication::EnableCtl3dAutosubclass(bool enable) {
  if (!ctl3d_) return false;
  if (enable) {
    typedef BOOL(WINAPI * Fn)(HINSTANCE);
    auto fn = reinterpret_cast<Fn>(::GetProcAddress(ctl3d_, "Ctl3dAutoSubclass"));
    return fn && fn(GetInstance());
  }
  typedef BOOL(WINAPI * Fn0)();
  auto fn = reinterpret_cast<Fn0>(::GetProcAddress(ctl3d_, "Ctl3dUnAutoSubclass"));
  return fn && fn();
}
