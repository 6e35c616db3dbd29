// TPrintDialog: PrintDlg over TData, which owns the device mode, names and DC it returns.
#include "winlib/printdia.h"

#include <cstring>

namespace {

std::string DevNamesString(HGLOBAL names, WORD DEVNAMES::*offset) {
  if (!names) return "";
  auto* dn = static_cast<const DEVNAMES*>(::GlobalLock(names));
  if (!dn) return "";
  size_t size = ::GlobalSize(names);
  std::string s;
  size_t at = dn->*offset;
  // The offsets come from the system; a name is read only inside the block.
  for (size_t i = at; i < size && reinterpret_cast<const char*>(dn)[i]; ++i)
    s += reinterpret_cast<const char*>(dn)[i];
  ::GlobalUnlock(names);
  return s;
}

WORD PageWord(int page) { return WORD(page < 0 ? 0xFFFF : page > 0xFFFF ? 0xFFFF : page); }
int PageInt(WORD page) { return page == 0xFFFF ? -1 : int(page); }

}  // namespace

// ---- TData ----

TPrintDialog::TData::TData() = default;

TPrintDialog::TData::~TData() {
  ClearDevMode();
  ClearDevNames();
  if (hDC) ::DeleteDC(hDC);
}

std::string TPrintDialog::TData::GetDriverName() const {
  return DevNamesString(hDevNames, &DEVNAMES::wDriverOffset);
}
std::string TPrintDialog::TData::GetDeviceName() const {
  return DevNamesString(hDevNames, &DEVNAMES::wDeviceOffset);
}
std::string TPrintDialog::TData::GetOutputName() const {
  return DevNamesString(hDevNames, &DEVNAMES::wOutputOffset);
}

void TPrintDialog::TData::SetDevNames(const char* driver, const char* device, const char* output) {
  ClearDevNames();
  std::string d1 = driver ? driver : "", d2 = device ? device : "", d3 = output ? output : "";
  size_t total = sizeof(DEVNAMES) + d1.size() + d2.size() + d3.size() + 3;
  if (total > 0xFFFF) return;  // offsets are 16-bit
  HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, total);
  if (!h) return;
  auto* dn = static_cast<DEVNAMES*>(::GlobalLock(h));
  char* base = reinterpret_cast<char*>(dn);
  size_t at = sizeof(DEVNAMES);
  dn->wDriverOffset = WORD(at);
  std::memcpy(base + at, d1.c_str(), d1.size() + 1);
  at += d1.size() + 1;
  dn->wDeviceOffset = WORD(at);
  std::memcpy(base + at, d2.c_str(), d2.size() + 1);
  at += d2.size() + 1;
  dn->wOutputOffset = WORD(at);
  std::memcpy(base + at, d3.c_str(), d3.size() + 1);
  dn->wDefault = 0;
  ::GlobalUnlock(h);
  hDevNames = h;
}

void TPrintDialog::TData::ClearDevNames() {
  if (hDevNames) ::GlobalFree(hDevNames);
  hDevNames = nullptr;
}

DEVMODEA* TPrintDialog::TData::CopyDevMode() const {
  if (!hDevMode) return nullptr;
  auto* dm = static_cast<const DEVMODEA*>(::GlobalLock(hDevMode));
  if (!dm) return nullptr;
  size_t size = size_t(dm->dmSize) + dm->dmDriverExtra;
  size_t block = ::GlobalSize(hDevMode);
  if (size > block) size = block;
  char* copy = new char[size < sizeof(DEVMODEA) ? sizeof(DEVMODEA) : size]();
  std::memcpy(copy, dm, size);
  ::GlobalUnlock(hDevMode);
  return reinterpret_cast<DEVMODEA*>(copy);
}

void TPrintDialog::TData::SetDevMode(const DEVMODEA* devMode) {
  ClearDevMode();
  if (!devMode) return;
  size_t size = size_t(devMode->dmSize) + devMode->dmDriverExtra;
  HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, size);
  if (!h) return;
  std::memcpy(::GlobalLock(h), devMode, size);
  ::GlobalUnlock(h);
  hDevMode = h;
}

void TPrintDialog::TData::ClearDevMode() {
  if (hDevMode) ::GlobalFree(hDevMode);
  hDevMode = nullptr;
}

HDC TPrintDialog::TData::TransferDC() {
  HDC dc = hDC;
  hDC = nullptr;
  return dc;
}

// ---- the dialog ----

TPrintDialog::TPrintDialog(TWindow* parent, TData& data, const char* printTemplate, const char* setupTemplate,
                           const char* title, TModule* module)
    : TCommonDialog(parent, title, module),
      Data(data),
      printTemplate_(printTemplate),
      setupTemplate_(setupTemplate) {}

bool TPrintDialog::Run(uint32_t extraFlags, bool hooked) {
  PRINTDLGA pd = {};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = OwnerHandle();
  pd.hDevMode = Data.hDevMode;
  pd.hDevNames = Data.hDevNames;
  pd.Flags = (Data.Flags &
              ~DWORD(PD_ENABLEPRINTHOOK | PD_ENABLESETUPHOOK | PD_ENABLEPRINTTEMPLATE |
                     PD_ENABLESETUPTEMPLATE | PD_ENABLEPRINTTEMPLATEHANDLE | PD_ENABLESETUPTEMPLATEHANDLE)) |
             extraFlags;
  pd.nFromPage = PageWord(Data.FromPage);
  pd.nToPage = PageWord(Data.ToPage);
  pd.nMinPage = PageWord(Data.MinPage);
  pd.nMaxPage = PageWord(Data.MaxPage);
  pd.nCopies = WORD(Data.Copies > 0 && Data.Copies <= 0xFFFF ? Data.Copies : 1);
  pd.hInstance = TemplateInstance();
  if (hooked) {
    pd.Flags |= PD_ENABLEPRINTHOOK | PD_ENABLESETUPHOOK;
    pd.lCustData = reinterpret_cast<LPARAM>(this);
    pd.lpfnPrintHook = WlCommonDialogHook<PRINTDLGA>;
    pd.lpfnSetupHook = WlCommonDialogHook<PRINTDLGA>;
    if (printTemplate_) {
      pd.Flags |= PD_ENABLEPRINTTEMPLATE;
      pd.lpPrintTemplateName = printTemplate_;
    }
    if (setupTemplate_) {
      pd.Flags |= PD_ENABLESETUPTEMPLATE;
      pd.lpSetupTemplateName = setupTemplate_;
    }
  }
  BOOL ok = ::PrintDlgA(&pd);
  Data.Error = ok ? 0 : ::CommDlgExtendedError();
  // The system may have replaced the blocks it was given.
  Data.hDevMode = pd.hDevMode;
  Data.hDevNames = pd.hDevNames;
  if (!ok) return false;
  Data.Flags = pd.Flags & ~DWORD(PD_ENABLEPRINTHOOK | PD_ENABLESETUPHOOK | PD_ENABLEPRINTTEMPLATE |
                                 PD_ENABLESETUPTEMPLATE);
  Data.FromPage = PageInt(pd.nFromPage);
  Data.ToPage = PageInt(pd.nToPage);
  Data.MinPage = PageInt(pd.nMinPage);
  Data.MaxPage = PageInt(pd.nMaxPage);
  Data.Copies = pd.nCopies;
  if (pd.hDC) {
    if (Data.hDC) ::DeleteDC(Data.hDC);
    Data.hDC = pd.hDC;
  }
  return true;
}

// The system refuses PD_RETURNDEFAULT while it holds a device: the old one goes first.
bool TPrintDialog::GetDefaultPrinter() {
  uint32_t flags = Data.Flags;
  Data.ClearDevMode();
  Data.ClearDevNames();
  Data.Flags &= ~DWORD(PD_RETURNDC | PD_RETURNIC | PD_PRINTSETUP);
  bool ok = Run(PD_RETURNDEFAULT, false);
  Data.Flags = flags;
  return ok;
}

int TPrintDialog::DoExecute() {
  if (Data.Flags & PD_RETURNDEFAULT) return GetDefaultPrinter() ? IDOK : IDCANCEL;
  return Run(0, true) ? IDOK : IDCANCEL;
}
