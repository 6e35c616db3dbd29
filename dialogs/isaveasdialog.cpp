// iSaveAsDialog: the published "SaveAsDialog".
#include "dialogs/isaveasdialog.h"

#include "dialogs/cdlgdll.h"

Faultp<InterObjRep>* iSaveAsDialog::PO_Object = nullptr;
const POClassRow& iSaveAsDialog::PO_Row() { return CdlgDll::Row(kCdlgSaveAsDialog); }

iSaveAsDialog::iSaveAsDialog(IUnknown* outer) : POClass(outer) {}

std::unique_ptr<TCommonDialog> iSaveAsDialog::NewDialog(TWindow* parent) {
  return std::make_unique<TFileSaveDialog>(parent, Data(), 0, Title(), nullptr);
}
