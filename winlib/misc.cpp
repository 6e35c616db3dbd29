// Small helpers: colour constants, dropped files, command enablers and the base validator.
#include <windows.h>

#include <shellapi.h>

#include "winlib/applicat.h"
#include "winlib/cmdenabler.h"
#include "winlib/dropinfo.h"
#include "winlib/geometry.h"
#include "winlib/validator.h"
#include "winlib/window.h"

const TColor TColor::None(COLORREF(TColor::kNone));
const TColor TColor::Black(0, 0, 0);
const TColor TColor::White(255, 255, 255);
const TColor TColor::LtGray(192, 192, 192);
const TColor TColor::Gray(128, 128, 128);
const TColor TColor::LtRed(255, 0, 0);
const TColor TColor::LtGreen(0, 255, 0);
const TColor TColor::LtBlue(0, 0, 255);
const TColor TColor::LtYellow(255, 255, 0);
const TColor TColor::SysWindow(TColor::Sys(COLOR_WINDOW));
const TColor TColor::SysWindowText(TColor::Sys(COLOR_WINDOWTEXT));
const TColor TColor::SysBtnFace(TColor::Sys(COLOR_BTNFACE));
const TColor TColor::SysBtnShadow(TColor::Sys(COLOR_BTNSHADOW));
const TColor TColor::SysBtnHighlight(TColor::Sys(COLOR_BTNHIGHLIGHT));
const TColor TColor::SysBtnText(TColor::Sys(COLOR_BTNTEXT));

uint TDropInfo::DragQueryFileCount() const { return ::DragQueryFileA(handle_, 0xFFFFFFFF, nullptr, 0); }

std::string TDropInfo::DragQueryFile(uint index) const {
  uint n = ::DragQueryFileA(handle_, index, nullptr, 0);
  std::string s(n + 1, '\0');
  n = ::DragQueryFileA(handle_, index, &s[0], n + 1);
  s.resize(n);
  return s;
}

bool TDropInfo::DragQueryPoint(TPoint& point) const { return ::DragQueryPoint(handle_, &point); }
void TDropInfo::DragFinish() { ::DragFinish(handle_); }

TCommandEnabler::~TCommandEnabler() = default;

void TMenuItemEnabler::Enable(bool enable) {
  TCommandEnabler::Enable(enable);
  ::EnableMenuItem(menu_, position_, MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
}

void TMenuItemEnabler::SetCheck(int state) {
  TCommandEnabler::SetCheck(state);
  ::CheckMenuItem(menu_, position_, MF_BYPOSITION | (state == Checked ? MF_CHECKED : MF_UNCHECKED));
}

void TMenuItemEnabler::SetText(const char* text) {
  ::ModifyMenuA(menu_, position_, MF_BYPOSITION | MF_STRING, Id, text);
}

TValidator::~TValidator() = default;
void TValidator::Error(TWindow*) {}
bool TValidator::IsValidInput(char*, bool) { return true; }
bool TValidator::IsValid(const char*) { return true; }
uint TValidator::Transfer(char*, void*, TTransferDirection) { return 0; }

bool TValidator::Valid(const char* input, TWindow* owner) {
  if (IsValid(input)) return true;
  Error(owner);
  return false;
}
