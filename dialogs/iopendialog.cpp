// iOpenDialog: the published "OpenDialog".
#include "dialogs/iopendialog.h"

#include "dialogs/cdlgdll.h"

Faultp<InterObjRep>* iOpenDialog::PO_Object = nullptr;
const POClassRow& iOpenDialog::PO_Row() { return CdlgDll::Row(kCdlgOpenDialog); }

iOpenDialog::iOpenDialog(IUnknown* outer) : POClass(outer) {}

std::unique_ptr<TCommonDialog> iOpenDialog::NewDialog(TWindow* parent) {
  return std::make_unique<TFileOpenDialog>(parent, Data(), 0, Title(), nullptr);
}
