// TFindReplaceDialog and its two modeless dialogs, TFindDialog and TReplaceDialog, over
// the system's find and replace dialogs.
//
// Create() makes the dialog; it stays open beside the program's windows, its messages
// routed by the application's loop (TDialog::PreProcessMsg). Each press of its buttons
// sends the owner the registered message "commdlg_FindReplace" (GetFindReplaceMessage)
// whose lParam is the system's FINDREPLACE record; UpdateData copies its flags into TData.
// The find-next button is the dialog's command IDOK: a derived class whose table handles
// IDOK replaces the system's handling (and so the message) with its own.
#pragma once

#include <cstdint>

#include "commdial.h"

class OVGUI1_API TFindReplaceDialog : public TCommonDialog {
 public:
  class OVGUI1_API TData {
   public:
    explicit TData(uint32_t flags = FR_DOWN, int buffSize = 81);
    ~TData();
    TData(const TData&) = delete;
    TData& operator=(const TData&) = delete;

    uint32_t Flags;
    uint32_t Error = 0;
    char* FindWhat;     // BuffSize characters, owned
    char* ReplaceWith;  // BuffSize characters, owned
    int BuffSize;

    // Copy at most BuffSize - 1 characters; null empties the text.
    void SetFindWhat(const char* text);
    void SetReplaceWith(const char* text);
  };

  TFindReplaceDialog(TWindow* parent, TData& data, int resId = 0, const char* title = nullptr,
                     TModule* module = nullptr);
  ~TFindReplaceDialog() override;

  bool Create() override;  // modeless; throws TXWindow when the system refuses
  int Execute() override;  // not modal: creates the dialog and answers IDCANCEL
  // Takes the dialog's flags into TData (lParam of the registered message, or the
  // dialog's own record when 0).
  void UpdateData(LPARAM param = 0);
  TData& GetData() { return Data; }

  static uint GetFindReplaceMessage();  // "commdlg_FindReplace"

 protected:
  virtual HWND DoCreate(FINDREPLACEA& fr) = 0;
  int DoExecute() override { return IDCANCEL; }
  void CmFindNext();  // the system's handling: the message to the owner

  TData& Data;
  FINDREPLACEA fr_;  // must outlive the dialog window
  int resId_;

  DECLARE_RESPONSE_TABLE(TFindReplaceDialog);
};

class OVGUI1_API TFindDialog : public TFindReplaceDialog {
 public:
  TFindDialog(TWindow* parent, TData& data, int resId = 0, const char* title = nullptr,
              TModule* module = nullptr);

 protected:
  HWND DoCreate(FINDREPLACEA& fr) override;
};

class OVGUI1_API TReplaceDialog : public TFindReplaceDialog {
 public:
  TReplaceDialog(TWindow* parent, TData& data, int resId = 0, const char* title = nullptr,
                 TModule* module = nullptr);

 protected:
  HWND DoCreate(FINDREPLACEA& fr) override;
};
