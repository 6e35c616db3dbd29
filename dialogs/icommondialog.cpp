// iCommonDialog: the published "CommonDialog" and the modal run.
#include "dialogs/icommondialog.h"

#include <memory>
#include <typeinfo>

#include "dialogs/cdlgdll.h"
#include "store/podefine.h"
#include "store/types.h"
#include "store/valstring.h"
#include "utils/strutil.h"
#include "winlib/applicat.h"
#include "winlib/commdial.h"
#include "winlib/framewin.h"

Faultp<InterObjRep>* iCommonDialog::PO_Object = nullptr;
const POClassRow& iCommonDialog::PO_Row() { return CdlgDll::Row(kCdlgCommonDialog); }

iCommonDialog::iCommonDialog(IUnknown* outer) : POClass(outer) {}

iCommonDialog::~iCommonDialog() { delete[] title_; }

void iCommonDialog::PO_DeclareFields(SignatureRep& sig) {
  PO_Property(sig, "Title", kTypeString, &iCommonDialog::pdSetTitle, &iCommonDialog::pdGetTitle);
}

void iCommonDialog::clone(const IInterObj& source) {
  IInterObj::clone(source);
  if (typeid(source) != typeid(*this)) return;
  SetTitle(static_cast<const iCommonDialog&>(source).title_);
}

ValStringRep* iCommonDialog::pdGetTitle() { return new ValStringRep(title_); }

void iCommonDialog::pdSetTitle(const char* title) {
  SetTitle(title);
  changed();
}

void iCommonDialog::SetTitle(const char* title) {
  if (title == title_) return;
  strduplicate(title_, title);
}

std::unique_ptr<TCommonDialog> iCommonDialog::NewDialog(TWindow*) { return nullptr; }

// The other windows stay disabled for the whole run, whatever the dialog's owner, and
// the store does not count the time the user spends in the dialog as busy. An
// application may run without a main window (the launcher allows it): the dialog then
// has no parent rather than ending the program.
short iCommonDialog::RunModal() {
  TApplication* app = GetApplicationObject();
  if (!app) utilsAssert("app", __FILE__, __LINE__);
  TWindow* parent = app->GetMainWindow();
  StoreApplication::SignalNotBusy();
  TDisabledWindows* disabled = app->DisableEnabledTopLevelWindows(nullptr);
  struct Restore {
    TApplication* app;
    TDisabledWindows* disabled;
    ~Restore() {
      app->ReEnableDisabledWindows(disabled);
      StoreApplication::SignalBusy();
    }
  } restore{app, disabled};
  std::unique_ptr<TCommonDialog> dialog = NewDialog(parent);
  if (!dialog) return kCdlgCancelled;
  return dialog->Execute() == IDOK ? kCdlgConfirmed : kCdlgCancelled;
}
