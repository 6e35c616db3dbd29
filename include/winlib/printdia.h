// TPrintDialog: the system's print and print-setup dialog over a TData record that owns
// the chosen printer's device mode and names (the HGLOBALs the system hands out) and,
// with PD_RETURNDC, the printer DC it made.
#pragma once

#include <cstdint>
#include <string>

#include "commdial.h"

class OVGUI1_API TPrintDialog : public TCommonDialog {
 public:
  class OVGUI1_API TData {
   public:
    TData();
    ~TData();
    TData(const TData&) = delete;
    TData& operator=(const TData&) = delete;

    uint32_t Flags = PD_ALLPAGES;
    uint32_t Error = 0;  // CDERR_* or PDERR_* of the last run
    int FromPage = 0, ToPage = 0, MinPage = 0, MaxPage = 0, Copies = 1;

    // The chosen printer. The names are "" when there is none.
    std::string GetDriverName() const;
    std::string GetDeviceName() const;
    std::string GetOutputName() const;
    bool HasDevice() const { return hDevNames != nullptr; }
    void SetDevNames(const char* driver, const char* device, const char* output);
    void ClearDevNames();
    // A copy of the device mode (null when there is none; the caller frees it with delete[]).
    DEVMODEA* CopyDevMode() const;
    void SetDevMode(const DEVMODEA* devMode);
    void ClearDevMode();
    // The DC of a PD_RETURNDC run; the caller owns it after this call.
    HDC TransferDC();

   private:
    friend class TPrintDialog;
    HGLOBAL hDevMode = nullptr;
    HGLOBAL hDevNames = nullptr;
    HDC hDC = nullptr;
  };

  TPrintDialog(TWindow* parent, TData& data, const char* printTemplate = nullptr,
               const char* setupTemplate = nullptr, const char* title = nullptr, TModule* module = nullptr);

  // The default printer into TData without showing anything; false when there is none
  // (TData.Error then tells why, PDERR_NODEFAULTPRN when the system has no printer).
  bool GetDefaultPrinter();

 protected:
  int DoExecute() override;
  bool Run(uint32_t extraFlags, bool hooked);

  TData& Data;
  const char* printTemplate_;
  const char* setupTemplate_;
};
