// TChooseFontDialog: the system's font dialog over a TData record.
#pragma once

#include <cstdint>

#include "commdial.h"

class OVGUI1_API TChooseFontDialog : public TCommonDialog {
 public:
  class OVGUI1_API TData {
   public:
    TData();

    // CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_FORCEFONTEXIST
    uint32_t Flags = 0x10141;
    uint32_t Error = 0;
    HDC DC = nullptr;  // printer DC for CF_PRINTERFONTS
    LOGFONTA LogFont;
    int PointSize = 0;  // tenths of a point
    TColor Color = TColor(COLORREF(0x01000000));
    char* Style = nullptr;  // style buffer for CF_USESTYLE (not owned)
    uint16_t FontType = 0;
    int SizeMin = 0;
    int SizeMax = 0;
  };

  TChooseFontDialog(TWindow* parent, TData& data, int resId = 0, const char* title = nullptr,
                    TModule* module = nullptr);

 protected:
  int DoExecute() override;

  TData& Data;
  int resId_;
};

static_assert(sizeof(LOGFONTA) == 60, "the font record is the 60-byte LOGFONT");
