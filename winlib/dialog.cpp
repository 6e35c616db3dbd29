// TDialog: template dialogs, modal through the application's loop, or modeless.
#include "winlib/dialog.h"

#include "winlib/applicat.h"
#include "winlib/except.h"
#include "winlib/framewin.h"
#include "winproc.h"

DEFINE_RESPONSE_TABLE1(TDialog, TWindow)
EV_COMMAND(IDOK, CmOk), EV_COMMAND(IDCANCEL, CmCancel), EV_WM_CLOSE, EV_WM_CTLCOLOR,
    EV_MESSAGE(WM_INITDIALOG, EvInitDialog), END_RESPONSE_TABLE;

TDialog::TDialog() = default;

TDialog::TDialog(TWindow* parent, const char* resId, TModule* module) {
  TWindow::Init(parent, nullptr, module);
  InitDialog(resId);
}

void TDialog::InitDialog(const char* resId) {
  ClearFlag(wfAutoCreate);
  Attr.Style = WS_POPUP;
  Attr.X = Attr.Y = Attr.W = Attr.H = 0;
  if (IS_INTRESOURCE(resId)) {
    resId_ = resId;
  } else {
    resName_ = resId ? resId : "";
    resId_ = resName_.c_str();
  }
}

TDialog::~TDialog() = default;

const char* TDialog::GetClassName() { return "#32770"; }

// Messages reach the library's window procedure once the dialog is subclassed at its
// first message; this procedure then only answers "not handled" (focus default on init).
INT_PTR CALLBACK TDialog::DialogProc(HWND handle, UINT msg, WPARAM, LPARAM) {
  if (!TWindow::GetWindowPtr(handle))
    if (TWindow* w = WlClaimCreating()) w->Attach(handle);
  return msg == WM_INITDIALOG;
}

HWND TDialog::CreateFromTemplate(HWND owner) {
  HINSTANCE instance = Module ? Module->GetInstance() : ::GetModuleHandleA(nullptr);
  if (!::FindResourceA(instance, resId_, MAKEINTRESOURCEA(5) /* RT_DIALOG */))
    if (TModule* lib = GetWinLibModule())
      if (::FindResourceA(lib->GetInstance(), resId_, MAKEINTRESOURCEA(5))) instance = lib->GetInstance();
  HWND h;
  {
    WlCreatingScope creating(this);
    h = ::CreateDialogParamA(instance, resId_, owner, DialogProc, 0);
  }
  if (!h) {
    TApplication::ResumeThrow();
    throw TXWindow(this, IDS_WLWINDOWCREATEFAIL);
  }
  if (!HWindow) Attach(h);
  try {
    TApplication::ResumeThrow();  // from SetupWindow during WM_INITDIALOG
    if (!IsFlagSet(wfFullyCreated)) {
      GetHWndState();
      SetupWindow();
      SetFlag(wfFullyCreated);
    }
  } catch (...) {
    ::DestroyWindow(h);
    throw;
  }
  return h;
}

// Set-up runs before the dialog is shown or activated.
LRESULT TDialog::EvInitDialog(WPARAM, LPARAM) {
  GetHWndState();
  SetupWindow();
  SetFlag(wfFullyCreated);
  return TRUE;  // the system gives the focus to the first control
}

bool TDialog::Create() {
  if (HWindow) return true;
  CreateFromTemplate(Parent && Parent->HWindow ? Parent->HWindow : owner_);
  return true;
}

bool TDialog::CreateDlgWithOwner(HWND owner) {
  owner_ = owner;
  return Create();
}

int TDialog::Execute() {
  TApplication* app = GetApplicationObject();
  HWND owner = Parent && Parent->HWindow ? Parent->HWindow : owner_;
  if (!owner && app && app->GetMainWindow()) owner = app->GetMainWindow()->HWindow;
  ended_ = false;
  result_ = IDCANCEL;
  CreateFromTemplate(owner);
  SetFlag(wfModalWindow);
  ShowWindow(SW_SHOW);
  int result;
  try {
    if (app) {
      result = app->BeginModal(this, owner ? MB_APPLMODAL : MB_TASKMODAL);
    } else {
      // No application object: a plain loop with the same exception hand-over.
      if (owner) ::EnableWindow(owner, FALSE);
      MSG msg;
      while (!ended_ && ::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageA(HWindow, &msg)) {
          ::TranslateMessage(&msg);
          ::DispatchMessageA(&msg);
        }
        TApplication::DeleteCondemned();
        TApplication::ResumeThrow();
      }
      if (owner) ::EnableWindow(owner, TRUE);
      result = result_;
    }
  } catch (...) {
    if (!app && owner) ::EnableWindow(owner, TRUE);
    ClearFlag(wfModalWindow);
    if (HWindow) ::DestroyWindow(HWindow);
    throw;
  }
  ClearFlag(wfModalWindow);
  if (HWindow) ::DestroyWindow(HWindow);
  return result;
}

void TDialog::SetupWindow() { TWindow::SetupWindow(); }

void TDialog::CloseWindow(int retVal) {
  if (retVal == IDOK) {
    if (!CanClose()) return;
    TransferData(tdGetData);
  }
  Destroy(retVal);
}

void TDialog::Destroy(int retVal) {
  if (IsModal()) {
    result_ = retVal;
    ended_ = true;
    if (TApplication* app = GetApplicationObject()) app->EndModal(retVal);
    return;  // Execute destroys the window when the loop has ended
  }
  TWindow::Destroy(retVal);
}

bool TDialog::PreProcessMsg(MSG& msg) {
  if (TWindow::PreProcessMsg(msg)) return true;
  return HWindow && ::IsDialogMessageA(HWindow, &msg);
}

void TDialog::CmOk() { CloseWindow(IDOK); }
void TDialog::CmCancel() { CloseWindow(IDCANCEL); }
void TDialog::EvClose() { CmCancel(); }

HBRUSH TDialog::EvCtlColor(HDC dc, HWND child, uint ctlType) {
  uint32_t v = BkgndColor.GetValue();
  if (ctlType == CTLCOLOR_DLG && v != 0xFFFFFFFF && !BkgndColor.IsNone()) {
    if (!bkgndBrush_) bkgndBrush_ = ::CreateSolidBrush(BkgndColor.Resolved());
    return bkgndBrush_;
  }
  return TWindow::EvCtlColor(dc, child, ctlType);
}

// ---- TInputDialog ----

TInputDialog::TInputDialog(TWindow* parent, const char* title, const char* prompt, char* buffer,
                           int bufferSize, TModule* module)
    : prompt_(prompt ? prompt : ""), buffer_(buffer), bufferSize_(bufferSize) {
  TWindow::Init(parent, title, module ? module : GetWinLibModule());
  InitDialog(MAKEINTRESOURCEA(ResId));
}

void TInputDialog::SetupWindow() {
  TDialog::SetupWindow();
  if (Title) ::SetWindowTextA(HWindow, Title);
  ::SetDlgItemTextA(HWindow, IdPrompt, prompt_.c_str());
  ::SetDlgItemTextA(HWindow, IdEdit, buffer_ ? buffer_ : "");
  if (bufferSize_ > 0) ::SendDlgItemMessageA(HWindow, IdEdit, EM_LIMITTEXT, WPARAM(bufferSize_ - 1), 0);
}

void TInputDialog::TransferData(TTransferDirection direction) {
  if (direction == tdGetData && buffer_ && bufferSize_ > 0)
    ::GetDlgItemTextA(HWindow, IdEdit, buffer_, bufferSize_);
  TDialog::TransferData(direction);
}
