// StoreApplication: the store's way back into the program that hosts it (the launcher's
// App implements it). The store reaches the one application object through the static
// entry points; when no program registered one, a default application inside the store
// answers (message boxes go to a hook that tests install, else to the log).
//
// The flags byte is the first data member: 0x02 check the queue before waiting,
// 0x40 revert (unload without saving), 0x80 closing.
#pragma once

#include <windows.h>

#include "store/ovstore_api.h"

class StoreException;
class InterObjRep;
class ObjectStore;
class Printable;
class OCLStorage;

class OVSTORE_API StoreApplication {
 public:
  enum : unsigned char { kCheckQueue = 0x02, kRevert = 0x40, kClosing = 0x80 };

  // Registers this object as the application (the latest one constructed wins).
  StoreApplication();

  // --- virtual operations in slot order ---
  virtual ~StoreApplication();
  // Reports a store error to the user; non-zero when reported.
  virtual int ReportStoreError(StoreException& e);
  virtual void BeginNotifyBatch();
  virtual void EndNotifyBatch();
  // Editor notifications: refresh codes 2 (deferrable), 3, 7 (deferrable),
  // 8 (deferrable), 9, 5.
  virtual void NotifyObjectChanged();          // 2
  virtual void NotifyObjectAdded();            // 3
  virtual void NotifyFieldsChanged();          // 7
  virtual void NotifyValuesChanged();          // 8
  virtual void NotifyObjectRemoved();          // 9
  virtual void NotifyModulesChanged();         // 5
  virtual void UnloadModuleForms(int module);  // 255 (-1): every module
  virtual void NotifyObjectRenamed();          // 15
  virtual void NotifyObjectDestroyed();        // 14
  // Where Print without an object writes (a window that prints, else the "Debug"
  // object's print part); null: nowhere.
  virtual Printable* FindPrintTarget();
  virtual void ShowStatus(const char* text);
  virtual void SetSplashStatus(int on);
  virtual void RequestQuit();
  virtual void EnableCtl3dAutosubclass(int on);
  virtual void ShowBusyCursorIfBusy();
  virtual void SetBusyCursor();
  virtual void SignalBusyV();
  virtual void SignalNotBusyV();
  virtual void EnableAutoBusy(long on);
  virtual int AutoBusyEnabledV();
  virtual void SetBusyThreshold(int ms);
  virtual int GetBusyThreshold();
  // Called while Basic runs; may throw PauseExecution.
  virtual void PollUserBreak();
  virtual int MessageBoxV(HWND owner, const char* text, const char* caption, unsigned style);
  // The module storage object for a module's storage (default: a plain ObjectStore).
  virtual ObjectStore* NewModuleStore(OCLStorage* storage);
  virtual int Unnamed1();  // returns 1
  // Text object files (the parser library) and text resources. Non-zero on success;
  // ReadTextObjectFile answers 2 when the user kept only part of the file after an
  // error. The default application reads (running the Code blocks) and writes module
  // m's top-level objects through ovparse.dll, and answers 0 without it.
  virtual int ReadTextObjectFile(const char* file, InterObjRep* target);
  virtual int WriteTextObjectFile(const char* file, int module);
  virtual const char* GetTextResourceFileV();
  virtual int WriteTextResourceV(const void* data, long len, int kind);
  virtual void* ReadTextResourceV(const char* file, long id, long& len, int kind);
  virtual void PumpMessages();
  virtual void SetIdleCallbackV(void (*fn)());
  virtual void SetIdleCallbackHWND(HWND w);
  virtual void ForgetIdleCallbackHWND(HWND w);
  virtual HWND SuperHWNDV();
  virtual void ActivateObjectWindow(InterObjRep* obj);
  virtual InterObjRep* ActiveWindowObject();
  virtual int GetCurrentMessageLoopIndexV();
  virtual void SetMessageLoopGotoV(int index);

  // --- static entry points (to the registered application, else the default) ---
  static StoreApplication* App();
  static int MessageBox(HWND owner, const char* text, const char* caption, unsigned style);
  // Reports e unless exception handling is switched off (HandleExceptions(0)), in which
  // case e is thrown on. Marks e user-handled.
  static void HandleException(StoreException& e);
  // 0: exceptions are not handled by the default handler (they propagate); 1: they are.
  // Returns the previous setting.
  static int HandleExceptions(int on);
  static void SetIdleCallback(void (*fn)());
  static HWND SuperHWND();
  static int AutoBusyEnabled();
  static void SignalBusy();
  static void SignalNotBusy();
  static void CheckBusySignal();
  static void PollUserBreakNow();
  static int GetCurrentMessageLoopIndex();
  static void SetMessageLoopGoto(int index);
  static void AlterMessageLoop(int how);
  static void* ReadTextResource(const char* file, long id, long& len, int kind);
  static int WriteTextResource(const void* data, long len, int kind);
  static const char* GetTextResourceFile();
  // Notification batching: BatchNotifies(1) opens a batch, (0) closes it (nested).
  static void BatchNotifies(int open);

  // Test hook for the default application's message boxes: answers the box (IDOK...)
  // and may record it. Null: the default answers IDOK after logging the text.
  typedef int (*MessageBoxHook)(const char* text, const char* caption, unsigned style);
  static MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

  unsigned char flags;  // first data member (see the enum)

 private:
  int batchDepth_ = 0;
};

// Suspends automatic busy signalling for its scope.
class OVSTORE_API SuspendAutoBusy {
 public:
  SuspendAutoBusy();
  ~SuspendAutoBusy();

 private:
  int was_;
};
