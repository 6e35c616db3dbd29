// TPrinter: a printer and its print-dialog data; Print() runs a whole job of a TPrintout.
//
// The printer starts as the system's default printer (none when there is no printer).
// Setup() runs the print-setup dialog; Print() shows the print dialog when asked (prompt),
// makes the printer DC, shows the abort window (TPrinterAbortDlg, template 32599) with the
// application's other windows disabled, and prints page by page. Cancelling the abort
// window ends the job with AbortDoc before the next page: nothing reaches the printer.
// A printer that cannot be reached is a TXPrinter with a message naming it.
#pragma once

#include <string>

#include "dialog.h"
#include "except.h"
#include "printdia.h"

class TPrintout;
class TPrintDC;

class OVGUI1_API TXPrinter : public TXOwl {
 public:
  explicit TXPrinter(const std::string& text, uint resId = IDS_WLPRINTERERROR);
  ~TXPrinter() noexcept override;
  TXOwl* Clone() const override;
  [[noreturn]] void Throw() const override;
};

// The window shown while a job prints: the printout's title, the device and the port,
// and a Cancel button. The template is dialog 32599 of the module given (oviui1 has its
// own), else of ovgui1.dll.
class OVGUI1_API TPrinterAbortDlg : public TDialog {
 public:
  enum { ResId = 32599, IdTitle = 101, IdDevice = 102, IdPort = 103 };
  TPrinterAbortDlg(TWindow* parent, const char* resId, const char* title, const char* device,
                   const char* port, TModule* module = nullptr);
  TPrinterAbortDlg(TWindow* parent, int resId, const char* title, const char* device, const char* port,
                   TModule* module = nullptr)
      : TPrinterAbortDlg(parent, MAKEINTRESOURCEA(resId), title, device, port, module) {}

  void SetupWindow() override;
  void CmCancel();  // asks the printer to abort

 private:
  std::string title_, device_, port_;
  DECLARE_RESPONSE_TABLE(TPrinterAbortDlg);
};

class OVGUI1_API TPrinter {
 public:
  explicit TPrinter(TModule* module = nullptr);  // module: where the abort template is looked for first
  virtual ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  TPrintDialog::TData& GetSetup() { return *Data; }
  // Makes the system's default printer the current one; false when there is none.
  bool GetDefaultPrinter();
  void ClearDevice();
  TSize GetPageSize() const { return PageSize; }
  TSize GetPageSizeInch() const { return PageSizeInch; }  // pixels per inch
  bool HasPrinter() const { return Data->HasDevice(); }

  // The print-setup dialog; answers IDOK or IDCANCEL. With PD_RETURNDEFAULT in the flags
  // it shows nothing and takes the default printer.
  virtual int Setup(TWindow* parent);
  // Prints the printout; false when the user cancelled the dialog or the job.
  virtual bool Print(TWindow* parent, TPrintout& printout, bool prompt);
  // The dialog step both use (the setup dialog when PD_PRINTSETUP is in the flags).
  virtual int ExecPrintDialog(TWindow* parent);
  virtual TWindow* CreateAbortWindow(TWindow* parent, TPrintout& printout);

  // Outcome of the last job: 0, or SP_APPABORT (-2) after a cancel, or SP_ERROR (-1).
  int GetError() const { return Error; }
  bool UserAborted() const { return userAbort_; }
  void Abort() { userAbort_ = true; }  // what the abort window's Cancel does

  static TPrinter* GetPrinting();  // the printer whose job runs now, if any

  // A file for the job's output instead of the printer's port (the driver's own format,
  // PostScript for a PostScript printer); empty: the port.
  void SetOutputFile(const char* file) { outputFile_ = file ? file : ""; }

 protected:
  TPrintDC* MakeDC();  // from the dialog data; throws TXPrinter
  void UpdatePageSize(HDC dc);
  void UpdatePageSizeFromDevice();  // through an information context

  TPrintDialog::TData* Data;
  TSize PageSize;
  TSize PageSizeInch;
  int Error = 0;
  TModule* Module;

 private:
  static BOOL CALLBACK AbortProc(HDC dc, int code);
  bool PumpAbort();
  bool userAbort_ = false;
  TWindow* abortWindow_ = nullptr;
  std::string outputFile_;
};
