// TDialog: a window built from a dialog template. Execute() runs it modally through the
// application's BeginModal (so the program's message loop, accelerators and exception
// handling apply); Create() makes it modeless, its keys routed by PreProcessMsg.
#pragma once

#include "window.h"

class OVGUI1_API TDialog : public virtual TWindow {
 public:
  // resId: the template (MAKEINTRESOURCE for numbers); module null: the application.
  TDialog(TWindow* parent, const char* resId, TModule* module = nullptr);
  TDialog(TWindow* parent, int resId, TModule* module = nullptr)
      : TDialog(parent, MAKEINTRESOURCEA(resId), module) {}
  ~TDialog() override;

  virtual int Execute();   // modal; answers the value given to CloseWindow/Destroy
  bool Create() override;  // modeless
  bool CreateDlgWithOwner(HWND owner);
  bool IsModal() const { return IsFlagSet(wfModalWindow); }

  void SetupWindow() override;  // transfers data into the controls
  void CloseWindow(int retVal = IDCANCEL) override;
  void Destroy(int retVal = IDCANCEL) override;
  bool PreProcessMsg(MSG& msg) override;
  const char* GetClassName() override;

  void CmOk();      // CanClose, transfer out, CloseWindow(IDOK)
  void CmCancel();  // CloseWindow(IDCANCEL)
  void EvClose();
  LRESULT EvInitDialog(WPARAM focusCtl, LPARAM param);
  HBRUSH EvCtlColor(HDC dc, HWND child, uint ctlType);

  const char* GetResId() const { return resId_; }

 protected:
  TDialog();
  void InitDialog(const char* resId);
  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
  HWND CreateFromTemplate(HWND owner);

  const char* resId_ = nullptr;  // MAKEINTRESOURCE value or resName_.c_str()
  std::string resName_;
  int result_ = 0;
  bool ended_ = false;  // modal run without an application object

  DECLARE_RESPONSE_TABLE(TDialog);
};

// A one-line text prompt (dialog template 32514 of the library).
class OVGUI1_API TInputDialog : public TDialog {
 public:
  enum { ResId = 32514, IdPrompt = 4091, IdEdit = 4090 };
  TInputDialog(TWindow* parent, const char* title, const char* prompt, char* buffer, int bufferSize,
               TModule* module = nullptr);
  void SetupWindow() override;
  void TransferData(TTransferDirection direction) override;

 private:
  std::string prompt_;
  char* buffer_;
  int bufferSize_;
};
