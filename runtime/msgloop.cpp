// The launcher's message loops, the busy watchdog, the break hot key and the one
// message-box operation.
#include <windows.h>

#include "runtime/app.h"
#include "runtime/mainguard.h"
#include "runtime/splash.h"
#include "store/interobj.h"
#include "store/storeexcept.h"
#include "utils/xexception.h"
#include "winlib/except.h"
#include "winlib/framewin.h"
#include "winlib/window.h"

namespace {

// --- process-wide state of the loops and the watchdog ---
HANDLE g_startEvent = nullptr;  // a unit of work begins
HANDLE g_stopEvent = nullptr;   // the unit ended
HANDLE g_thread = nullptr;
CRITICAL_SECTION g_busyLock;
bool g_lockMade = false;
volatile LONG g_busy = 0;
volatile LONG g_autoBusy = 1;
volatile LONG g_threshold = 1000;
volatile LONG g_loopDepth = -1;
volatile LONG g_quitWatchdog = 0;
volatile LONG g_signals = 0;
int g_breakPending = 0;
unsigned g_pollCounter = 0;
int g_oldWindows = -1;
HCURSOR g_waitCursor = LoadCursorA(nullptr, IDC_WAIT);

const char kBreakAtom[] = "CTRL-BREAK";
const char kAltBreakAtom[] = "ALT-BREAK";

void SetBusy(LONG on) {
  if (!g_lockMade) return;
  EnterCriticalSection(&g_busyLock);
  g_busy = on;
  LeaveCriticalSection(&g_busyLock);
}

bool ReadBusy() {
  if (!g_lockMade) return false;
  EnterCriticalSection(&g_busyLock);
  bool busy = g_autoBusy && g_busy;
  LeaveCriticalSection(&g_busyLock);
  return busy;
}

// A unit of work is open between a start and a stop signal. The events only wake the
// watchdog; what it decides on is this state, read under the busy lock, so that a stop
// signal without a unit (a box, a nested loop, switching auto-busy off) cannot pair
// with the next unit's start and leave every later unit untimed.
bool g_unitOpen = false;
unsigned long g_unitSerial = 0;

void SignalStart() {
  if (!g_startEvent) return;
  InterlockedIncrement(&g_signals);
  EnterCriticalSection(&g_busyLock);
  g_unitOpen = true;
  ++g_unitSerial;
  LeaveCriticalSection(&g_busyLock);
  SetEvent(g_startEvent);
}

void SignalStop() {
  if (!g_stopEvent) return;
  InterlockedIncrement(&g_signals);
  EnterCriticalSection(&g_busyLock);
  g_unitOpen = false;
  LeaveCriticalSection(&g_busyLock);
  SetEvent(g_stopEvent);
}

// True while unit serial is still open.
bool UnitOpen(unsigned long serial) {
  EnterCriticalSection(&g_busyLock);
  bool open = g_unitOpen && g_unitSerial == serial;
  LeaveCriticalSection(&g_busyLock);
  return open;
}

// Waits until unit serial has ended (or the program ends).
void WaitUnitEnd(unsigned long serial) {
  while (!g_quitWatchdog && UnitOpen(serial)) WaitForSingleObject(g_stopEvent, INFINITE);
}

// Times one unit at a time. It runs until the program ends (StopWatchdog): a unit that
// ends before the first message loop starts (the store marking "Startup" busy) must not
// stop it, or no busy cursor would show for the whole run.
DWORD WINAPI WatchdogThread(void*) {
  bool first = true;  // the first unit is not timed
  while (!g_quitWatchdog) {
    WaitForSingleObject(g_startEvent, INFINITE);
    if (g_quitWatchdog) break;
    EnterCriticalSection(&g_busyLock);
    bool open = g_unitOpen;
    unsigned long serial = g_unitSerial;
    LeaveCriticalSection(&g_busyLock);
    if (!open) continue;  // it ended already
    if (first) {
      first = false;
      WaitUnitEnd(serial);
      continue;
    }
    DWORD begin = GetTickCount();
    for (;;) {
      DWORD elapsed = GetTickCount() - begin, threshold = DWORD(g_threshold);
      DWORD r = WaitForSingleObject(g_stopEvent, elapsed >= threshold ? 0 : threshold - elapsed);
      if (g_quitWatchdog) break;
      EnterCriticalSection(&g_busyLock);
      bool same = g_unitOpen && g_unitSerial == serial;
      // Only while automatic busy signalling is on: switching it off clears the flag
      // under the same lock, so a unit that timed out just then cannot set it again.
      if (same && r == WAIT_TIMEOUT && g_autoBusy) g_busy = 1;
      LeaveCriticalSection(&g_busyLock);
      if (!same) break;  // ended, or another began: its start signal wakes us again
      if (r == WAIT_TIMEOUT) {
        WaitUnitEnd(serial);
        break;
      }
      // a stop signal of no unit: this one goes on
    }
  }
  return 0;
}

// A message being pumped: with timing on, a unit of work for the watchdog.
class PWM_BusyManager {
 public:
  explicit PWM_BusyManager(int timed) : timed_(timed) {
    if (timed_ && g_autoBusy) SignalStart();
  }
  ~PWM_BusyManager() {
    if (timed_ && g_autoBusy) {
      SetBusy(0);
      SignalStop();
    }
  }

 private:
  int timed_;
};

}  // namespace

// One running message loop: its index, and the current-event record of the window
// library while it runs.
class MessageLoopGuard : public TCurrentEvent {
 public:
  explicit MessageLoopGuard(App* app) : app_(app), index_(int(InterlockedIncrement(&g_loopDepth))) {
    if (index_ > 0 && g_autoBusy) {  // the handler that opened this loop now waits
      SetBusy(0);
      SignalStop();
    }
    app_->MessageLoopResult = 0;
    TApplication::PushCurrentEvent(*this);
  }
  ~MessageLoopGuard() override {
    TApplication::PopCurrentEvent(*this);
    app_->BreakMessageLoop = false;
    if (index_ > 0 && g_autoBusy) SignalStart();  // the handler resumes
    InterlockedDecrement(&g_loopDepth);
  }
  int index() const { return index_; }

 private:
  App* app_;
  int index_;
};

// --- watchdog ---------------------------------------------------------------------------

bool StartWatchdog() {
  if (g_thread) return true;
  if (!g_lockMade) {
    InitializeCriticalSection(&g_busyLock);
    g_lockMade = true;
  }
  g_startEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  g_stopEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (g_startEvent && g_stopEvent) {
    g_quitWatchdog = 0;
    g_thread =
        CreateThread(nullptr, 4096, WatchdogThread, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  }
  if (!g_thread) {
    if (g_startEvent) CloseHandle(g_startEvent);
    if (g_stopEvent) CloseHandle(g_stopEvent);
    g_startEvent = g_stopEvent = nullptr;
    return false;
  }
  return true;
}

void StopWatchdog() {
  if (!g_thread) return;
  g_quitWatchdog = 1;
  SetEvent(g_startEvent);
  SetEvent(g_stopEvent);
  SetEvent(g_startEvent);
  WaitForSingleObject(g_thread, INFINITE);
  CloseHandle(g_thread);
  CloseHandle(g_startEvent);
  CloseHandle(g_stopEvent);
  g_thread = g_startEvent = g_stopEvent = nullptr;
  SetBusy(0);
}

bool WatchdogRunning() { return g_thread && WaitForSingleObject(g_thread, 0) == WAIT_TIMEOUT; }
bool BusyFlag() {
  if (!g_lockMade) return false;
  EnterCriticalSection(&g_busyLock);
  bool busy = g_busy != 0;
  LeaveCriticalSection(&g_busyLock);
  return busy;
}
long WatchdogSignals() { return g_signals; }
int MessageLoopDepth() { return int(g_loopDepth); }

int LauncherMessageBox(HWND owner, const char* text, const char* caption, unsigned style) {
  if (g_autoBusy) {
    SetBusy(0);
    SignalStop();
  }
  TApplication* app = GetApplicationObject();
  if (app) app->EnableCtl3dAutosubclass(true);
  int answer = MessageBoxExA(owner, text, caption, style, 0);
  if (app) app->EnableCtl3dAutosubclass(false);
  if (g_autoBusy) SignalStart();
  return answer;
}

// --- loops ------------------------------------------------------------------------------

int App::MessageLoop() {
  MessageLoopGuard guard(this);
  const int index = guard.index();
  const bool nested = index > 0;
  requestedLoop_ = index;
  long idleCount = 0;
  // A non-zero status ends the program: the quit message ends this loop (and every
  // other) when the pump takes it.
  auto endWith = [](int status) {
    if (status != 0) PostQuitMessage(status);
  };
  while (!BreakMessageLoop) {
    try {
      // An exception held while a box's own loop ran our windows' messages: nothing
      // would resume it before the next message otherwise.
      TApplication::ResumeThrow();
      if (!IdleAction(idleCount++) && !BreakMessageLoop &&
          !((flags & kCheckQueue) && GetQueueStatus(QS_ALLINPUT)))
        WaitMessage();
      if (PumpWaitingMessages(1)) idleCount = 0;
      InterObjRep::DeleteObjects();
    } catch (GotoRequestedLoop&) {
      if (index - 1 == requestedLoop_)
        BreakMessageLoop = true;
      else
        throw;
    } catch (TerminateExecution&) {
      if (nested) throw;
    } catch (StoreException& e) {
      if (nested) throw;
      StoreApplication::HandleException(e);
    } catch (XAssert& x) {
      if (nested) throw;
      endWith(ProgramErrorBox(x));
    } catch (TXOwl& x) {
      if (nested) throw;
      endWith(x.Unhandled(this, 32765));
    } catch (xmsg& x) {
      if (nested) throw;
      LauncherMessageBox(nullptr, x.what(), "Exception", 0x2030);
    } catch (std::bad_cast&) {
      if (nested) throw;
      endWith(Error(xmsg("Bad_cast"), 0, 32765));
    } catch (std::bad_typeid&) {
      if (nested) throw;
      endWith(Error(xmsg("Bad_typeid"), 0, 32765));
    } catch (...) {
      if (nested) throw;
      endWith(Error(xmsg("Unknown exception."), 0, 32765));
    }
  }
  if (index - 1 > requestedLoop_) throw GotoRequestedLoop();
  return MessageLoopResult;
}

bool App::PumpWaitingMessages() { return PumpWaitingMessages(1); }

bool App::PumpWaitingMessages(int timed) {
  MSG msg;
  bool any = false;
  while (!BreakMessageLoop && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    any = true;
    PWM_BusyManager busy(timed);
    if (msg.message == WM_QUIT) {
      BreakMessageLoop = true;
      MessageLoopResult = int(msg.wParam);
      requestedLoop_ = -1;
      return true;
    }
    if (!ProcessAppMsg(msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      TApplication::DeleteCondemned();
    }
    if (ReadBusy()) {
      POINT at;
      if (GetCursorPos(&at))
        if (HWND under = WindowFromPoint(at)) SendMessageA(under, WM_SETCURSOR, WPARAM(under), 1);
    }
    TApplication::ResumeThrow();
  }
  return any;
}

bool App::ProcessAppMsg(MSG& msg) {
  if (msg.message == WM_HOTKEY && hotKey_ && msg.wParam == WPARAM(hotKey_)) {
    g_breakPending = 1;
    if (g_loopDepth > 0) {  // a nested loop ends; the poll breaks into the code under it
      BreakMessageLoop = true;
      MessageLoopResult = -1;
      return true;
    }
  }
  return TApplication::ProcessAppMsg(msg);
}

bool App::IdleAction(long idleCount) {
  if (idleCallback_) idleCallback_();
  for (size_t i = 0; i < idleWindows_.size(); ++i) {
    HWND h = idleWindows_[i];
    if (h && IsWindow(h))
      if (TWindow* w = TWindow::GetWindowPtr(h)) w->IdleAction(idleCount);
  }
  HWND super = SuperHWNDV();
  if (super && GetActiveWindow() == super && MainWindow && MainWindow->HWindow)
    SetActiveWindow(MainWindow->HWindow);
  return TApplication::IdleAction(idleCount);
}

int App::GetCurrentMessageLoopIndexV() { return int(g_loopDepth); }

void App::SetMessageLoopGotoV(int index) {
  if (index >= 0 && index < g_loopDepth) {
    requestedLoop_ = index;
    BreakMessageLoop = true;
  }
}

// --- busy signalling and the user break --------------------------------------------------

void App::ShowBusyCursorIfBusy() {
  if (ReadBusy()) SetCursor(g_waitCursor);
}

void App::SetBusyCursor() { SetCursor(g_waitCursor); }

void App::SignalBusyV() {
  if (g_autoBusy) SignalStart();
}

void App::SignalNotBusyV() {
  if (g_autoBusy) {
    SetBusy(0);
    SignalStop();
  }
}

void App::EnableAutoBusy(long on) {
  LONG was = g_autoBusy;
  if (g_lockMade) EnterCriticalSection(&g_busyLock);
  g_autoBusy = on ? 1 : 0;
  if (was && !on) g_busy = 0;
  if (g_lockMade) LeaveCriticalSection(&g_busyLock);
  if (was && !on) SignalStop();
  if (!was && on) SignalStart();
}

int App::AutoBusyEnabledV() { return g_autoBusy; }
void App::SetBusyThreshold(int ms) { g_threshold = ms; }
int App::GetBusyThreshold() { return g_threshold; }

void App::PollUserBreak() {
  if (g_oldWindows < 0) g_oldWindows = LOBYTE(LOWORD(GetVersion())) < 4 ? 1 : 0;
  if (ReadBusy()) SetCursor(g_waitCursor);
  ThrowPendingMathError();
  if (!g_breakPending) {
    if (!MainWindow || !MainWindow->HWindow) return;
    if ((++g_pollCounter & 0xF) != 0) return;
  }
  bool brk = g_breakPending != 0;
  if (!brk && hotKey_) {
    if (g_oldWindows) {
      brk = GetQueueStatus(QS_HOTKEY) != 0;
    } else {
      MSG msg;
      brk = PeekMessageA(&msg, MainWindow->HWindow, WM_HOTKEY, WM_HOTKEY, PM_NOREMOVE) &&
            msg.wParam == WPARAM(hotKey_);
    }
  }
  if (brk) {
    g_breakPending = 0;
    throw PauseExecution();
  }
}

void App::RegisterBreakKey() {
  if (!MainWindow || !MainWindow->HWindow) return;
  hotKey_ = GlobalAddAtomA(kBreakAtom);
  if (!RegisterHotKey(MainWindow->HWindow, hotKey_, MOD_CONTROL, VK_CANCEL)) {
    GlobalDeleteAtom(hotKey_);
    hotKey_ = GlobalAddAtomA(kAltBreakAtom);
    RegisterHotKey(MainWindow->HWindow, hotKey_, MOD_CONTROL | MOD_SHIFT, VK_CANCEL);
  }
}
