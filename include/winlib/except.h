// Exceptions of the window class library. All derive from xmsg, the run-time base.
//
// TXOwl          base; Unhandled() shows it through TModule::Error and answers the
//                status to end with (0 = go on).
// TXOutOfMemory  an allocation of the library failed.
// TXGdi          a GDI call failed; Check() throws it with string 32739 when a handle
//                or result is null.
// TXWindow       a window could not be created or registered.
#pragma once

#include <string>

#include "defs.h"
#include "utils/xexception.h"

class TModule;
class TWindow;

class OVGUI1_API TXOwl : public xmsg {
 public:
  explicit TXOwl(const std::string& text, uint resId = 0);
  explicit TXOwl(uint resId, TModule* module = nullptr);
  ~TXOwl() noexcept override;

  virtual TXOwl* Clone() const;
  [[noreturn]] virtual void Throw() const;
  // Shows the exception with the prompt string promptResId (e.g. 32765); answers 0 when
  // the user chose to go on, otherwise the status the application should end with.
  virtual int Unhandled(TModule* app, uint promptResId);

  uint GetErrorCode() const { return resId_; }
  // The library's string resId (from module, or from ovgui1.dll itself).
  static std::string ResourceIdToString(uint resId, TModule* module = nullptr);

 private:
  uint resId_;
};

class OVGUI1_API TXOutOfMemory : public TXOwl {
 public:
  TXOutOfMemory();
  ~TXOutOfMemory() noexcept override;
  TXOwl* Clone() const override;
  [[noreturn]] void Throw() const override;
};

class OVGUI1_API TXGdi : public TXOwl {
 public:
  explicit TXGdi(uint resId = IDS_WLGDIFAILURE, HANDLE handle = nullptr);
  ~TXGdi() noexcept override;
  TXOwl* Clone() const override;
  [[noreturn]] void Throw() const override;
  HANDLE Handle() const { return handle_; }

  // The library's validity check: throws TXGdi(resId) when h is null.
  static void Check(const void* h, uint resId = IDS_WLGDIFAILURE) {
    if (!h) Raise(resId);
  }
  static void Check(bool ok, uint resId = IDS_WLGDIFAILURE) {
    if (!ok) Raise(resId);
  }
  [[noreturn]] static void Raise(uint resId = IDS_WLGDIFAILURE, HANDLE handle = nullptr);

 private:
  HANDLE handle_;
};

class OVGUI1_API TXWindow : public TXOwl {
 public:
  TXWindow(TWindow* window, uint resId);
  ~TXWindow() noexcept override;
  TXOwl* Clone() const override;
  [[noreturn]] void Throw() const override;
  TWindow* Window() const { return window_; }

 private:
  TWindow* window_;
};
