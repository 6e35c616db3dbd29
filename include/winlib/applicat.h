// TApplication: the module of a program with its main window and message loop.
//
// Run() calls InitApplication (first instance), InitInstance (InitMainWindow, then creates
// and shows the main window) and MessageLoop. MessageLoop and PumpWaitingMessages are
// virtual so that a program can keep its own loop bookkeeping; BeginModal runs the
// virtual MessageLoop until EndModal sets the break flag, and answers the value given to
// EndModal.
//
// An exception thrown by a handler during a dispatch is caught at the window procedure
// and held (SuspendThrow); ResumeThrow() rethrows it once DispatchMessage has returned,
// so it reaches the code that runs the loop. Windows condemned during a dispatch are
// deleted after it (DeleteCondemned).
#pragma once

#include <exception>
#include <vector>

#include "module.h"

class TWindow;
class TFrameWindow;

// The message being dispatched. The library pushes one per dispatch; a program's own
// loop may push its own (for example a guard object that derives from this).
class OVGUI1_API TCurrentEvent {
 public:
  TCurrentEvent() = default;
  TCurrentEvent(TWindow* win, uint msg, WPARAM p1, LPARAM p2)
      : Win(win), Message(msg), Param1(p1), Param2(p2) {}
  virtual ~TCurrentEvent();

  TWindow* Win = nullptr;
  uint Message = 0;
  WPARAM Param1 = 0;
  LPARAM Param2 = 0;
  bool PassToParent = false;  // a reflected notification's handler asked for the default
  TCurrentEvent* Previous = nullptr;
};

// Top-level windows switched off by a task-modal loop, to switch on again afterwards.
struct OVGUI1_API TDisabledWindows {
  std::vector<HWND> Windows;
};

class OVGUI1_API TApplication : public TModule {
 public:
  // instance null: the one given to SetWinMainParams, else the program's.
  explicit TApplication(const char* name = nullptr, HINSTANCE instance = nullptr);
  ~TApplication() override;

  // WinMain's arguments, for the constructor to pick up (program entry calls this first).
  static void SetWinMainParams(HINSTANCE instance, HINSTANCE prevInstance, const char* cmdLine, int cmdShow);

  virtual int Run();
  virtual void InitApplication() {}
  virtual void InitInstance();
  virtual void InitMainWindow();
  virtual bool CanClose();
  virtual int MessageLoop();
  virtual bool PumpWaitingMessages();
  virtual bool ProcessAppMsg(MSG& msg);
  virtual bool IdleAction(long idleCount);

  TFrameWindow* GetMainWindow() const { return MainWindow; }
  TFrameWindow* SetMainWindow(TFrameWindow* window);  // answers the previous one
  HINSTANCE GetPrevInstance() const { return hPrevInstance; }
  int GetCmdShow() const { return nCmdShow; }
  void SetCmdShow(int cmdShow) { nCmdShow = cmdShow; }
  const std::string& GetCmdLine() const { return cmdLine_; }

  // Modal loops.
  int BeginModal(TWindow* window, int flags = MB_APPLMODAL);
  void EndModal(int result);
  TDisabledWindows* DisableEnabledTopLevelWindows(HWND except);
  void ReEnableDisabledWindows(TDisabledWindows* record);  // deletes the record

  bool BreakMessageLoop = false;
  int MessageLoopResult = 0;

  // Events, exceptions and condemned windows (per thread; usable without an application).
  static void PushCurrentEvent(TCurrentEvent& event);
  static void PopCurrentEvent(TCurrentEvent& event);
  static TCurrentEvent* GetCurrentEvent();
  static void SuspendThrow(std::exception_ptr e);  // keeps the first one
  static bool HasSuspendedThrow();
  static void ResumeThrow();
  static void Condemn(TWindow* window);
  static void Uncondemn(TWindow* window);
  static void DeleteCondemned();

  // Optional 3-D controls: used only when the system has the library.
  bool EnableCtl3d(bool enable = true);
  bool EnableCtl3dAutosubclass(bool enable);
  bool Ctl3dEnabled() const { return ctl3d_ != nullptr; }

  // An application-wide cursor: while set, every library window shows it.
  void SetGlobalCursor(HCURSOR cursor) { globalCursor_ = cursor; }
  HCURSOR GetGlobalCursor() const { return globalCursor_; }

 protected:
  TFrameWindow* MainWindow = nullptr;
  HINSTANCE hPrevInstance = nullptr;
  int nCmdShow = SW_SHOWNORMAL;

 private:
  friend class TFrameWindow;  // a main window being deleted unregisters itself
  std::string cmdLine_;
  HMODULE ctl3d_ = nullptr;
  HCURSOR globalCursor_ = nullptr;
};

OVGUI1_API TApplication* GetApplicationObject();
