// TFindReplaceDialog: the modeless find and replace dialogs over TData.
#include "winlib/findrepl.h"

#include <cstring>

#include "winlib/applicat.h"
#include "winlib/except.h"

namespace {
void CopyBounded(char* buffer, int size, const char* text) {
  if (!buffer || size <= 0) return;
  size_t n = text ? std::strlen(text) : 0;
  if (n > size_t(size - 1)) n = size_t(size - 1);
  if (n) std::memcpy(buffer, text, n);
  buffer[n] = 0;
}
}  // namespace

// ---- TData ----

// The system needs at least one character besides the terminator, and counts in 16 bits.
TFindReplaceDialog::TData::TData(uint32_t flags, int buffSize)
    : Flags(flags),
      BuffSize(buffSize < 2        ? 2
               : buffSize > 0xFFFF ? 0xFFFF
                                   : buffSize) {
  FindWhat = new char[size_t(BuffSize)]();
  ReplaceWith = new char[size_t(BuffSize)]();
}

TFindReplaceDialog::TData::~TData() {
  delete[] FindWhat;
  delete[] ReplaceWith;
}

void TFindReplaceDialog::TData::SetFindWhat(const char* text) { CopyBounded(FindWhat, BuffSize, text); }
void TFindReplaceDialog::TData::SetReplaceWith(const char* text) { CopyBounded(ReplaceWith, BuffSize, text); }

// ---- the dialog ----

DEFINE_RESPONSE_TABLE1(TFindReplaceDialog, TCommonDialog)
EV_COMMAND(IDOK, CmFindNext), END_RESPONSE_TABLE;

TFindReplaceDialog::TFindReplaceDialog(TWindow* parent, TData& data, int resId, const char* title,
                                       TModule* module)
    : TCommonDialog(parent, title, module), Data(data), resId_(resId) {
  std::memset(&fr_, 0, sizeof fr_);
}

// The window goes first: the system's procedure reads fr_ until the window is gone.
TFindReplaceDialog::~TFindReplaceDialog() {
  if (HWindow && ::IsWindow(HWindow)) ::DestroyWindow(HWindow);
}

uint TFindReplaceDialog::GetFindReplaceMessage() {
  static const uint message = ::RegisterWindowMessageA(FINDMSGSTRINGA);
  return message;
}

bool TFindReplaceDialog::Create() {
  if (HWindow) return true;
  std::memset(&fr_, 0, sizeof fr_);
  fr_.lStructSize = sizeof fr_;
  fr_.hwndOwner = OwnerHandle();
  fr_.Flags = (Data.Flags & ~DWORD(FR_ENABLETEMPLATEHANDLE | FR_DIALOGTERM)) | FR_ENABLEHOOK;
  if (resId_) {
    fr_.Flags |= FR_ENABLETEMPLATE;
    fr_.hInstance = TemplateInstance();
    fr_.lpTemplateName = MAKEINTRESOURCEA(resId_);
  } else {
    fr_.Flags &= ~DWORD(FR_ENABLETEMPLATE);
  }
  Data.FindWhat[Data.BuffSize - 1] = 0;
  Data.ReplaceWith[Data.BuffSize - 1] = 0;
  fr_.lpstrFindWhat = Data.FindWhat;
  fr_.lpstrReplaceWith = Data.ReplaceWith;
  fr_.wFindWhatLen = WORD(Data.BuffSize);
  fr_.wReplaceWithLen = WORD(Data.BuffSize);
  fr_.lCustData = reinterpret_cast<LPARAM>(this);
  fr_.lpfnHook = WlCommonDialogHook<FINDREPLACEA>;
  HWND h = fr_.hwndOwner ? DoCreate(fr_) : nullptr;
  TApplication::ResumeThrow();
  if (!h) {
    Data.Error = fr_.hwndOwner ? ::CommDlgExtendedError() : DWORD(CDERR_INITIALIZATION);
    throw TXWindow(this, IDS_WLWINDOWCREATEFAIL);
  }
  Data.Error = 0;
  if (!HWindow) AttachSystemDialog(h, reinterpret_cast<LPARAM>(this));
  return true;
}

int TFindReplaceDialog::Execute() {
  Create();
  return IDCANCEL;
}

void TFindReplaceDialog::UpdateData(LPARAM param) {
  const FINDREPLACEA* fr = param ? reinterpret_cast<const FINDREPLACEA*>(param) : &fr_;
  if (fr != &fr_ && fr->lCustData != reinterpret_cast<LPARAM>(this)) return;  // another dialog's
  Data.Flags = fr->Flags & ~DWORD(FR_ENABLEHOOK | FR_ENABLETEMPLATE | FR_ENABLETEMPLATEHANDLE);
  Data.FindWhat[Data.BuffSize - 1] = 0;
  Data.ReplaceWith[Data.BuffSize - 1] = 0;
}

void TFindReplaceDialog::CmFindNext() { DefaultProcessing(); }

TFindDialog::TFindDialog(TWindow* parent, TData& data, int resId, const char* title, TModule* module)
    : TFindReplaceDialog(parent, data, resId, title, module) {}

HWND TFindDialog::DoCreate(FINDREPLACEA& fr) { return ::FindTextA(&fr); }

TReplaceDialog::TReplaceDialog(TWindow* parent, TData& data, int resId, const char* title, TModule* module)
    : TFindReplaceDialog(parent, data, resId, title, module) {}

HWND TReplaceDialog::DoCreate(FINDREPLACEA& fr) { return ::ReplaceTextA(&fr); }
