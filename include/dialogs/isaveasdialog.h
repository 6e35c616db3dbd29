// iSaveAsDialog: the published "SaveAsDialog" (prototype parent "CommonDialog"): the
// file dialog for choosing a name to save under (see FileDialog). It publishes no
// "FileMustExist": the flag is set at the start like the open dialog's and stays set
// (and runs with the dialog) until "PathMustExist" is cleared; the system's save
// dialog accepts new names all the same.
#pragma once

#include "dialogs/filedialog.h"

class OVCDLG_API iSaveAsDialog : public POClass<iSaveAsDialog, FileDialog> {
 public:
  explicit iSaveAsDialog(IUnknown* outer);
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  void PO_DeclareFields(SignatureRep& sig) { DeclareFileFields(sig, false); }
  void PO_Read(OCLStream& s, unsigned) { ReadFileFields(s); }
  void PO_Write(OCLStream& s) { WriteFileFields(s); }

  static iSaveAsDialog* Native(InterObjRep* obj) { return POClass<iSaveAsDialog, FileDialog>::Native(obj); }

 protected:
  std::unique_ptr<TCommonDialog> NewDialog(TWindow* parent) override;
};
