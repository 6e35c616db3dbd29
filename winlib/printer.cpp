// TPrinter: the printer's dialog data and the print job; TPrinterAbortDlg; TXPrinter.
#include "winlib/printer.h"

#include <climits>
#include <cstdio>
#include <memory>

#include "winlib/applicat.h"
#include "winlib/dc.h"
#include "winlib/printout.h"

namespace {

TPrinter* g_printing = nullptr;  // one job at a time: the abort procedure's printer

std::string Format(uint resId, const std::string& arg) {
  std::string pattern = TXOwl::ResourceIdToString(resId);
  char text[512];
  std::snprintf(text, sizeof text, pattern.c_str(), arg.c_str());
  return text;
}

[[noreturn]] void ThrowDialogError(uint32_t error) {
  if (error == PDERR_NODEFAULTPRN || error == PDERR_NODEVICES)
    throw TXPrinter(TXOwl::ResourceIdToString(IDS_WLNOPRINTER));
  std::string pattern = TXOwl::ResourceIdToString(IDS_WLPRINTDIALOGERROR);
  char text[256];
  std::snprintf(text, sizeof text, pattern.c_str(), unsigned(error));
  throw TXPrinter(text);
}

}  // namespace

// ---- TXPrinter ----

TXPrinter::TXPrinter(const std::string& text, uint resId) : TXOwl(text, resId) {}
TXPrinter::~TXPrinter() noexcept = default;
TXOwl* TXPrinter::Clone() const { return new TXPrinter(*this); }
void TXPrinter::Throw() const { throw *this; }

// ---- TPrinterAbortDlg ----

DEFINE_RESPONSE_TABLE1(TPrinterAbortDlg, TDialog)
EV_COMMAND(IDCANCEL, CmCancel), END_RESPONSE_TABLE;

TPrinterAbortDlg::TPrinterAbortDlg(TWindow* parent, const char* resId, const char* title, const char* device,
                                   const char* port, TModule* module)
    : title_(title ? title : ""), device_(device ? device : ""), port_(port ? port : "") {
  TWindow::Init(parent, nullptr, module ? module : GetWinLibModule());
  InitDialog(resId);
}

void TPrinterAbortDlg::SetupWindow() {
  TDialog::SetupWindow();
  ::SetDlgItemTextA(HWindow, IdTitle, title_.c_str());
  ::SetDlgItemTextA(HWindow, IdDevice, device_.c_str());
  ::SetDlgItemTextA(HWindow, IdPort, port_.c_str());
  // The system menu's Close would end the job without the printer knowing.
  if (HMENU menu = ::GetSystemMenu(HWindow, FALSE)) ::EnableMenuItem(menu, SC_CLOSE, MF_GRAYED);
}

void TPrinterAbortDlg::CmCancel() {
  if (TPrinter* printer = TPrinter::GetPrinting()) printer->Abort();
  ::EnableWindow(::GetDlgItem(HWindow, IDCANCEL), FALSE);
}

// ---- TPrinter ----

TPrinter::TPrinter(TModule* module) : Data(new TPrintDialog::TData), Module(module) { GetDefaultPrinter(); }

TPrinter::~TPrinter() {
  if (g_printing == this) g_printing = nullptr;
  delete Data;
}

TPrinter* TPrinter::GetPrinting() { return g_printing; }

void TPrinter::ClearDevice() {
  Data->ClearDevMode();
  Data->ClearDevNames();
  PageSize = TSize(0, 0);
  PageSizeInch = TSize(0, 0);
}

void TPrinter::UpdatePageSize(HDC dc) {
  PageSize = TSize(::GetDeviceCaps(dc, HORZRES), ::GetDeviceCaps(dc, VERTRES));
  PageSizeInch = TSize(::GetDeviceCaps(dc, LOGPIXELSX), ::GetDeviceCaps(dc, LOGPIXELSY));
}

void TPrinter::UpdatePageSizeFromDevice() {
  std::unique_ptr<char[]> devMode(reinterpret_cast<char*>(Data->CopyDevMode()));
  HDC ic = ::CreateICA(Data->GetDriverName().c_str(), Data->GetDeviceName().c_str(), nullptr,
                       reinterpret_cast<DEVMODEA*>(devMode.get()));
  if (ic) {
    UpdatePageSize(ic);
    ::DeleteDC(ic);
  }
}

bool TPrinter::GetDefaultPrinter() {
  TPrintDialog dialog(nullptr, *Data);
  if (!dialog.GetDefaultPrinter()) {
    ClearDevice();
    return false;
  }
  UpdatePageSizeFromDevice();
  return true;
}

int TPrinter::ExecPrintDialog(TWindow* parent) {
  TPrintDialog dialog(parent, *Data, nullptr, nullptr, nullptr, nullptr);
  return dialog.Execute();
}

int TPrinter::Setup(TWindow* parent) {
  Data->Flags |= PD_PRINTSETUP;
  int result = ExecPrintDialog(parent);
  Data->Flags &= ~DWORD(PD_PRINTSETUP | PD_RETURNDEFAULT);
  if (result != IDOK) {
    if (Data->Error) ThrowDialogError(Data->Error);
    return result;
  }
  UpdatePageSizeFromDevice();
  return result;
}

TPrintDC* TPrinter::MakeDC() {
  if (!Data->HasDevice() && !GetDefaultPrinter()) throw TXPrinter(TXOwl::ResourceIdToString(IDS_WLNOPRINTER));
  std::string device = Data->GetDeviceName();
  std::unique_ptr<char[]> devMode(reinterpret_cast<char*>(Data->CopyDevMode()));
  HDC dc = ::CreateDCA(Data->GetDriverName().c_str(), device.c_str(), nullptr,
                       reinterpret_cast<DEVMODEA*>(devMode.get()));
  if (!dc) throw TXPrinter(Format(IDS_WLPRINTERUNAVAILABLE, device));
  return new TPrintDC(dc);
}

TWindow* TPrinter::CreateAbortWindow(TWindow* parent, TPrintout& printout) {
  return new TPrinterAbortDlg(parent, TPrinterAbortDlg::ResId, printout.GetTitle(),
                              Data->GetDeviceName().c_str(), Data->GetOutputName().c_str(), Module);
}

// Lets the abort window (and the program's windows) see their messages during the job.
bool TPrinter::PumpAbort() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(int(msg.wParam));
      userAbort_ = true;
      break;
    }
    if (abortWindow_ && abortWindow_->HWindow && ::IsDialogMessageA(abortWindow_->HWindow, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return !userAbort_;
}

BOOL CALLBACK TPrinter::AbortProc(HDC, int) { return g_printing ? g_printing->PumpAbort() : TRUE; }

bool TPrinter::Print(TWindow* parent, TPrintout& printout, bool prompt) {
  if (g_printing) throw TXPrinter(TXOwl::ResourceIdToString(IDS_WLPRINTERERROR));
  Error = 0;
  userAbort_ = false;
  int minPage, maxPage, fromPage, toPage;
  printout.GetDialogInfo(minPage, maxPage, fromPage, toPage);

  std::unique_ptr<TPrintDC> dc;
  if (prompt) {
    Data->Flags &= ~DWORD(PD_RETURNDEFAULT | PD_PRINTSETUP | PD_RETURNIC | PD_PAGENUMS | PD_SELECTION);
    Data->Flags |= PD_RETURNDC;
    if (minPage == 0 && maxPage == 0) {
      Data->Flags |= PD_NOPAGENUMS;
    } else {
      Data->Flags &= ~DWORD(PD_NOPAGENUMS);
      Data->MinPage = minPage;
      Data->MaxPage = maxPage;
      Data->FromPage = fromPage;
      Data->ToPage = toPage;
    }
    int result = ExecPrintDialog(parent);
    if (result != IDOK) {
      if (Data->Error) ThrowDialogError(Data->Error);
      return false;
    }
    HDC h = Data->TransferDC();
    dc.reset(h ? new TPrintDC(h) : MakeDC());
  } else {
    dc.reset(MakeDC());
  }
  int first = 1, last = INT_MAX;
  if (prompt && (Data->Flags & PD_PAGENUMS)) {
    first = Data->FromPage > 0 ? Data->FromPage : 1;
    last = Data->ToPage >= first ? Data->ToPage : first;
  }
  UpdatePageSize(*dc);
  std::string device = Data->GetDeviceName();

  // The job's state, undone in reverse on every way out.
  struct Job {
    TPrinter* printer;
    TPrintout& printout;
    TDisabledWindows* disabled = nullptr;
    HWND parentHandle = nullptr;
    bool parentDisabled = false;
    ~Job() {
      if (printer->abortWindow_) {
        delete printer->abortWindow_;
        printer->abortWindow_ = nullptr;
      }
      if (TApplication* app = GetApplicationObject(); app && disabled) app->ReEnableDisabledWindows(disabled);
      if (parentDisabled && ::IsWindow(parentHandle)) ::EnableWindow(parentHandle, TRUE);
      if (g_printing == printer) g_printing = nullptr;
      printout.SetPrintParams(nullptr, printer->PageSize);
    }
  } job{this, printout};

  printout.SetPrintParams(dc.get(), PageSize);
  g_printing = this;
  if (TApplication* app = GetApplicationObject()) {
    job.disabled = app->DisableEnabledTopLevelWindows(nullptr);
  } else if (parent && parent->HWindow && ::IsWindowEnabled(parent->HWindow)) {
    job.parentHandle = parent->HWindow;
    job.parentDisabled = true;
    ::EnableWindow(parent->HWindow, FALSE);
  }
  abortWindow_ = CreateAbortWindow(parent, printout);
  if (abortWindow_) {
    abortWindow_->Create();
    abortWindow_->ShowWindow(SW_SHOW);
    abortWindow_->UpdateWindow();
  }
  dc->SetAbortProc(AbortProc);

  printout.BeginPrinting();
  DOCINFOA info = {};
  info.cbSize = sizeof info;
  info.lpszDocName = printout.GetTitle();
  info.lpszOutput = outputFile_.empty() ? nullptr : outputFile_.c_str();
  bool started = false;
  try {
    if (!PumpAbort()) {
      Error = SP_APPABORT;
    } else if (dc->StartDoc(info) <= 0) {
      Error = SP_ERROR;
    } else {
      started = true;
      printout.BeginDocument(first, last, 0);
      for (int page = first; page <= last && printout.HasPage(page); ++page) {
        if (!PumpAbort()) break;
        if (dc->StartPage() <= 0) {
          Error = SP_ERROR;
          break;
        }
        TRect band(0, 0, PageSize.cx, PageSize.cy);
        if (printout.WantBanding() && dc->NextBand(band)) {
          while (!band.IsEmpty() && !userAbort_) {
            printout.PrintPage(page, band, 0);
            if (!PumpAbort() || !dc->NextBand(band)) break;
          }
        } else {
          printout.PrintPage(page, band, 0);
        }
        if (!PumpAbort()) break;
        if (dc->EndPage() <= 0) {
          Error = SP_ERROR;
          break;
        }
      }
      printout.EndDocument();
    }
  } catch (...) {
    if (started) dc->AbortDoc();
    printout.EndPrinting();
    throw;
  }
  if (userAbort_) Error = SP_APPABORT;
  if (started) {
    if (Error)
      dc->AbortDoc();
    else if (dc->EndDoc() <= 0)
      Error = SP_ERROR;
  }
  printout.EndPrinting();
  if (Error == SP_ERROR) throw TXPrinter(Format(IDS_WLPRINTJOBERROR, device));
  return Error == 0;
}
