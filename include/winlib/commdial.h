// TCommonDialog: the base of the wrappers over the system's common dialogs (comdlg32).
//
// Each wrapper holds a reference to its TData record, fills the system's structure from
// it, runs the system's dialog and copies the results back. The system makes the dialog
// window; a hook ties it to this object at WM_INITDIALOG, so the dialog's messages pass
// through the library's response tables (a derived class's table first) before the
// system's own procedure gets them (DefaultProcessing). Execute() answers IDOK when the
// user confirmed and IDCANCEL otherwise; the system's error code is kept in TData.Error.
#pragma once

#include "dialog.h"
// After windows.h (through dialog.h).
#include <cderr.h>
#include <commdlg.h>

class OVGUI1_API TCommonDialog : public TDialog {
 public:
  // title null or empty: the dialog's own caption. resId non-zero: a custom template of
  // module (the application when null).
  TCommonDialog(TWindow* parent, const char* title = nullptr, TModule* module = nullptr);
  ~TCommonDialog() override;

  int Execute() override;  // modal: IDOK or IDCANCEL
  bool Create() override;  // only the find and replace dialogs are modeless
  void CloseWindow(int retVal = IDCANCEL) override;
  void Destroy(int retVal = IDCANCEL) override;
  const char* GetClassName() override;

  // Used by the hooks: ties the system's dialog window to its object.
  static void AttachSystemDialog(HWND dialog, LPARAM custData);

 protected:
  virtual int DoExecute() = 0;  // runs the system's dialog; IDOK or IDCANCEL
  HWND OwnerHandle() const;
  HINSTANCE TemplateInstance() const;
  void SetupWindow() override;
  void CmOkCancel();  // the system's own handling
  void EvClose();

  bool executing_ = false;

  DECLARE_RESPONSE_TABLE(TCommonDialog);
};

// Hook procedure shared by the wrappers: lCustData of the structure S holds the object.
template <class S>
UINT_PTR CALLBACK WlCommonDialogHook(HWND dialog, UINT msg, WPARAM, LPARAM param) {
  if (msg == WM_INITDIALOG) {
    TCommonDialog::AttachSystemDialog(dialog, reinterpret_cast<S*>(param)->lCustData);
    return TRUE;
  }
  return FALSE;
}
