// iOpenDialog: the published "OpenDialog" (prototype parent "CommonDialog"): the file
// dialog for choosing an existing file (see FileDialog for the members and the stream).
#pragma once

#include "dialogs/filedialog.h"

class OVCDLG_API iOpenDialog : public POClass<iOpenDialog, FileDialog> {
 public:
  explicit iOpenDialog(IUnknown* outer);
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  void PO_DeclareFields(SignatureRep& sig) { DeclareFileFields(sig, true); }
  void PO_Read(OCLStream& s, unsigned) { ReadFileFields(s); }
  void PO_Write(OCLStream& s) { WriteFileFields(s); }

  static iOpenDialog* Native(InterObjRep* obj) { return POClass<iOpenDialog, FileDialog>::Native(obj); }

 protected:
  std::unique_ptr<TCommonDialog> NewDialog(TWindow* parent) override;
};
