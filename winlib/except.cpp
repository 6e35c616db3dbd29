// The library's exceptions and their messages.
#include "winlib/except.h"

#include "winlib/module.h"

std::string TXOwl::ResourceIdToString(uint resId, TModule* module) {
  if (!module) module = GetWinLibModule();
  std::string s = module ? module->LoadString(resId) : std::string();
  if (s.empty()) s = "Window library error " + std::to_string(resId) + ".";
  return s;
}

TXOwl::TXOwl(const std::string& text, uint resId) : xmsg(text), resId_(resId) {}
TXOwl::TXOwl(uint resId, TModule* module) : xmsg(ResourceIdToString(resId, module)), resId_(resId) {}
TXOwl::~TXOwl() noexcept = default;
TXOwl* TXOwl::Clone() const { return new TXOwl(*this); }
void TXOwl::Throw() const { throw *this; }

int TXOwl::Unhandled(TModule* app, uint promptResId) {
  if (!app) app = GetWinLibModule();
  return app->Error(*this, IDS_WLEXCEPTIONCAPTION, promptResId);
}

TXOutOfMemory::TXOutOfMemory() : TXOwl(IDS_WLOUTOFMEMORY) {}
TXOutOfMemory::~TXOutOfMemory() noexcept = default;
TXOwl* TXOutOfMemory::Clone() const { return new TXOutOfMemory(*this); }
void TXOutOfMemory::Throw() const { throw *this; }

TXGdi::TXGdi(uint resId, HANDLE handle) : TXOwl(resId), handle_(handle) {}
TXGdi::~TXGdi() noexcept = default;
TXOwl* TXGdi::Clone() const { return new TXGdi(*this); }
void TXGdi::Throw() const { throw *this; }
void TXGdi::Raise(uint resId, HANDLE handle) { throw TXGdi(resId, handle); }

TXWindow::TXWindow(TWindow* window, uint resId) : TXOwl(resId), window_(window) {}
TXWindow::~TXWindow() noexcept = default;
TXOwl* TXWindow::Clone() const { return new TXWindow(*this); }
void TXWindow::Throw() const { throw *this; }
