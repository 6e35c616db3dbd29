// TChooseColorDialog: the system's colour dialog over a TData record.
#pragma once

#include <cstdint>

#include "commdial.h"

class OVGUI1_API TChooseColorDialog : public TCommonDialog {
 public:
  class OVGUI1_API TData {
   public:
    explicit TData(uint32_t flags = CC_RGBINIT);
    TData(const TData& other);
    TData& operator=(const TData& other);

    uint32_t Flags;      // CC_* bits
    uint32_t Error = 0;  // the dialog's error code (CDERR_*), 0 after success or cancel
    TColor Color = TColor(COLORREF(0x01000000));
    TColor* CustColors;  // the 16 custom colours, owned by this record

   private:
    TColor custColors_[16] = {};
  };

  TChooseColorDialog(TWindow* parent, TData& data, int resId = 0, const char* title = nullptr,
                     TModule* module = nullptr);

 protected:
  int DoExecute() override;

  TData& Data;
  int resId_;
};
