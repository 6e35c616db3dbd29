// App: the launcher's application object. It joins the window library's application
// (start-up, main window, message loops) and the store's application interface (the
// store's way back into the launcher: boxes, busy signalling, loops, idle callbacks).
//
// Module files: each module's storage object is an AppModule, and modules read or
// written as text object files keep their long texts in a side file (AppBase).
//
// Start-up (InitApplication): the store's identifiers and own classes, the preloaded
// modules (which then cannot be unloaded), the Basic application object named on the
// command line, its command line (SetInfo) and its "Startup" event. InitInstance takes
// the main form from the application object (XNoMainForm when there is none), shows it,
// sinks the splash window and registers the break hot key.
//
// Closing (CanClose) asks the application object "CanClose": 0 keeps it running; any
// other answer fires "Shutdown" once and closes. The answers 1 and -1 (True) close
// normally; any other non-zero answer closes with the revert flag, so the destructor
// unloads every module without saving.
//
// The message loops (msgloop.cpp) count their depth (0 = the outermost); exceptions
// that escape a message are handled in the outermost loop only. A watchdog thread times
// each unit of work (a dispatched message, or a span the store marks busy) and raises
// the busy flag, under which the wait cursor shows, when one outlasts the threshold.
#pragma once

#include <windows.h>

#include <vector>

#include "runtime/appbase.h"
#include "store/faultp.h"
#include "store/storeapp.h"
#include "winlib/applicat.h"

class InterObjRep;
class XAssert;

// The application object gives no main form: the run ends with the application's exit
// code and no box. Not an xmsg, so it passes the launcher's "Error" handler.
class XNoMainForm {};

// Thrown past the loops between a loop's end and the loop requested to go on.
class GotoRequestedLoop {};

class App : public TApplication, public StoreApplication, public AppBase {
 public:
  // The six values of the command line (or the stub's start-up record); module list and
  // names stay the caller's. A null module list or application name throws XException
  // "This Orvanel application stub is uninitialized.".
  App(int argc, char** argv, unsigned long flags, char* modules, char* appName, char* splash);
  ~App() override;

  // --- the window library's application ---
  // Start-up, the main window and the outermost loop; exceptions go to the caller.
  int Run() override;
  void InitApplication() override;
  void InitInstance() override;
  void InitMainWindow() override;
  bool CanClose() override;
  int MessageLoop() override;
  bool PumpWaitingMessages() override;  // timed
  bool PumpWaitingMessages(int timed);
  bool ProcessAppMsg(MSG& msg) override;
  bool IdleAction(long idleCount) override;

  // --- the store's application interface ---
  int ReportStoreError(StoreException& e) override;
  void UnloadModuleForms(int module) override;
  Printable* FindPrintTarget() override;
  void ShowStatus(const char* text) override;
  void SetSplashStatus(int on) override;
  void RequestQuit() override;
  void EnableCtl3dAutosubclass(int on) override;
  void ShowBusyCursorIfBusy() override;
  void SetBusyCursor() override;
  void SignalBusyV() override;
  void SignalNotBusyV() override;
  void EnableAutoBusy(long on) override;
  int AutoBusyEnabledV() override;
  void SetBusyThreshold(int ms) override;
  int GetBusyThreshold() override;
  void PollUserBreak() override;
  int MessageBoxV(HWND owner, const char* text, const char* caption, unsigned style) override;
  // Module storage objects register the module's OLE control store (runtime/appmodule.h).
  ObjectStore* NewModuleStore(OCLStorage* storage) override;
  int Unnamed1() override { return 1; }
  // Text object files and their side files (runtime/appbase.h).
  int ReadTextObjectFile(const char* file, InterObjRep* target) override;
  int WriteTextObjectFile(const char* file, int module) override;
  const char* GetTextResourceFileV() override;
  int WriteTextResourceV(const void* data, long len, int kind) override;
  void* ReadTextResourceV(const char* file, long id, long& len, int kind) override;
  void PumpMessages() override;
  void SetIdleCallbackV(void (*fn)()) override;
  void SetIdleCallbackHWND(HWND w) override;
  void ForgetIdleCallbackHWND(HWND w) override;
  HWND SuperHWNDV() override;
  void ActivateObjectWindow(InterObjRep* obj) override;
  InterObjRep* ActiveWindowObject() override;
  int GetCurrentMessageLoopIndexV() override;
  void SetMessageLoopGotoV(int index) override;

  // --- the launcher's own ---
  // The program-error box for a failed assertion: 0 to go on, else the quit code.
  int ProgramErrorBox(const XAssert& x);
  // The application object's ExitCode as last read (after "Startup", and after
  // "Shutdown"); 0 until then.
  long ExitCode() const { return exitCode_; }
  InterObjRep* ApplicationObject() const;  // null after "Shutdown"
  ATOM HotKeyAtom() const { return hotKey_; }
  int IdleSlotCount() const { return int(idleWindows_.size()); }
  HWND IdleSlot(int i) const { return idleWindows_[size_t(i)]; }
  int RequestedLoop() const { return requestedLoop_; }

  int argc() const { return argc_; }
  char** argv() const { return argv_; }

 protected:
  // Reads ExitCode from the application object into exitCode_.
  void ReadExitCode();

 private:
  void RegisterBreakKey();

  int argc_;
  char** argv_;
  unsigned long startFlags_;
  char* modules_;
  char* appName_;
  char* splash_;
  Faultp<InterObjRep> appObject_;
  // The main form's store object (it owns the form's window object): counted while the
  // form is the main window.
  Faultp<InterObjRep> mainForm_;
  void (*idleCallback_)() = nullptr;
  std::vector<HWND> idleWindows_;
  HWND superHwnd_ = nullptr;
  ATOM hotKey_ = 0;
  int requestedLoop_ = 0;
  long exitCode_ = 0;
  bool storeStarted_ = false;

  friend class MessageLoopGuard;
};

// --- the busy watchdog and the one message-box operation (process-wide) ---

// Starts the watchdog thread (main, before the command line). False when the events or
// the thread could not be made: the program then runs without one.
bool StartWatchdog();
// Ends the watchdog thread and frees its events (the end of main).
void StopWatchdog();
bool WatchdogRunning();
// The busy flag (read under its lock) and the number of start/stop signals sent so far.
bool BusyFlag();
long WatchdogSignals();
// The depth of the running message loop (-1: none).
int MessageLoopDepth();

// Every box of the launcher: pauses the watchdog while the box is up and switches the
// 3-D controls' autosubclassing on for it.
int LauncherMessageBox(HWND owner, const char* text, const char* caption, unsigned style);
