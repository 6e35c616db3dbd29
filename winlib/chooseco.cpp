// TChooseColorDialog: ChooseColor over TData. Cancel leaves the record as it was.
#include "winlib/chooseco.h"

TChooseColorDialog::TData::TData(uint32_t flags) : Flags(flags), CustColors(custColors_) {}

TChooseColorDialog::TData::TData(const TData& other)
    : Flags(other.Flags), Error(other.Error), Color(other.Color), CustColors(custColors_) {
  for (int i = 0; i < 16; ++i) custColors_[i] = other.CustColors[i];
}

TChooseColorDialog::TData& TChooseColorDialog::TData::operator=(const TData& other) {
  if (this == &other) return *this;
  Flags = other.Flags;
  Error = other.Error;
  Color = other.Color;
  for (int i = 0; i < 16; ++i) custColors_[i] = other.CustColors[i];
  CustColors = custColors_;
  return *this;
}

TChooseColorDialog::TChooseColorDialog(TWindow* parent, TData& data, int resId, const char* title,
                                       TModule* module)
    : TCommonDialog(parent, title, module), Data(data), resId_(resId) {}

int TChooseColorDialog::DoExecute() {
  COLORREF custom[16];
  TColor* source = Data.CustColors ? Data.CustColors : nullptr;
  for (int i = 0; i < 16; ++i) custom[i] = source ? COLORREF(source[i].GetValue()) : RGB(255, 255, 255);
  CHOOSECOLORA cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = OwnerHandle();
  cc.rgbResult = COLORREF(Data.Color.GetValue());
  cc.lpCustColors = custom;
  cc.Flags = (Data.Flags & ~DWORD(CC_ENABLETEMPLATEHANDLE)) | CC_ENABLEHOOK;
  if (resId_) {
    cc.Flags |= CC_ENABLETEMPLATE;
    cc.hInstance = reinterpret_cast<HWND>(TemplateInstance());
    cc.lpTemplateName = MAKEINTRESOURCEA(resId_);
  } else {
    cc.Flags &= ~DWORD(CC_ENABLETEMPLATE);
  }
  cc.lCustData = reinterpret_cast<LPARAM>(this);
  cc.lpfnHook = WlCommonDialogHook<CHOOSECOLORA>;
  BOOL ok = ::ChooseColorA(&cc);
  Data.Error = ok ? 0 : ::CommDlgExtendedError();
  if (!ok) return IDCANCEL;
  Data.Color = TColor(cc.rgbResult);
  Data.Flags = cc.Flags & ~DWORD(CC_ENABLEHOOK | CC_ENABLETEMPLATE);
  if (Data.CustColors)
    for (int i = 0; i < 16; ++i) Data.CustColors[i] = TColor(custom[i]);
  return IDOK;
}
