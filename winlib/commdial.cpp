// TCommonDialog: the system's dialog tied to its library object through a hook.
#include "winlib/commdial.h"

#include "winlib/applicat.h"
#include "winlib/framewin.h"

DEFINE_RESPONSE_TABLE1(TCommonDialog, TDialog)
EV_COMMAND(IDOK, CmOkCancel), EV_COMMAND(IDCANCEL, CmOkCancel), EV_WM_CLOSE, END_RESPONSE_TABLE;

TCommonDialog::TCommonDialog(TWindow* parent, const char* title, TModule* module) {
  TWindow::Init(parent, title && *title ? title : nullptr, module);
  InitDialog(nullptr);
}

TCommonDialog::~TCommonDialog() = default;

const char* TCommonDialog::GetClassName() { return "#32770"; }

HWND TCommonDialog::OwnerHandle() const {
  if (Parent && Parent->HWindow) return Parent->HWindow;
  if (owner_) return owner_;
  TApplication* app = GetApplicationObject();
  return app && app->GetMainWindow() ? app->GetMainWindow()->HWindow : nullptr;
}

HINSTANCE TCommonDialog::TemplateInstance() const {
  return Module ? Module->GetInstance() : ::GetModuleHandleA(nullptr);
}

// The hook's WM_INITDIALOG: a hook of an explorer-style file dialog is a child of the
// dialog itself, which is the window the object stands for.
void TCommonDialog::AttachSystemDialog(HWND dialog, LPARAM custData) {
  auto* self = reinterpret_cast<TCommonDialog*>(custData);
  if (!self) return;
  HWND top = dialog;
  if (::GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD) top = ::GetParent(dialog);
  if (self->HWindow == top) return;
  self->Attach(top);
  self->GetHWndState();
  try {
    self->SetupWindow();
  } catch (...) {
    TApplication::SuspendThrow(std::current_exception());
  }
  self->SetFlag(wfFullyCreated);
}

void TCommonDialog::SetupWindow() {
  TDialog::SetupWindow();
  if (Title) ::SetWindowTextA(HWindow, Title);
}

int TCommonDialog::Execute() {
  executing_ = true;
  int result;
  try {
    result = DoExecute();
  } catch (...) {
    executing_ = false;
    throw;
  }
  executing_ = false;
  // The system's loop ran the dialog: an exception a handler left is rethrown here.
  TApplication::ResumeThrow();
  return result;
}

bool TCommonDialog::Create() { return false; }

void TCommonDialog::CloseWindow(int retVal) { Destroy(retVal); }

// A modal system dialog ends through its own buttons.
void TCommonDialog::Destroy(int retVal) {
  if (executing_) {
    if (HWindow)
      ::PostMessageA(HWindow, WM_COMMAND, MAKEWPARAM(retVal == IDOK ? IDOK : IDCANCEL, BN_CLICKED), 0);
    return;
  }
  TWindow::Destroy(retVal);
}

void TCommonDialog::CmOkCancel() { DefaultProcessing(); }
void TCommonDialog::EvClose() { DefaultProcessing(); }
