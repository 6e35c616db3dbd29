// TChooseFontDialog: ChooseFont over TData. Cancel leaves the record as it was.
#include "winlib/choosefo.h"

#include <cstring>

TChooseFontDialog::TData::TData() { std::memset(&LogFont, 0, sizeof LogFont); }

TChooseFontDialog::TChooseFontDialog(TWindow* parent, TData& data, int resId, const char* title,
                                     TModule* module)
    : TCommonDialog(parent, title, module), Data(data), resId_(resId) {}

int TChooseFontDialog::DoExecute() {
  LOGFONTA font = Data.LogFont;
  CHOOSEFONTA cf = {};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = OwnerHandle();
  cf.hDC = Data.DC;
  cf.lpLogFont = &font;
  cf.iPointSize = Data.PointSize;
  cf.rgbColors = COLORREF(Data.Color.GetValue());
  cf.lpszStyle = Data.Style;
  cf.nFontType = Data.FontType;
  cf.nSizeMin = Data.SizeMin;
  cf.nSizeMax = Data.SizeMax;
  cf.Flags = (Data.Flags & ~DWORD(CF_ENABLETEMPLATEHANDLE)) | CF_ENABLEHOOK;
  if (resId_) {
    cf.Flags |= CF_ENABLETEMPLATE;
    cf.hInstance = TemplateInstance();
    cf.lpTemplateName = MAKEINTRESOURCEA(resId_);
  } else {
    cf.Flags &= ~DWORD(CF_ENABLETEMPLATE);
  }
  cf.lCustData = reinterpret_cast<LPARAM>(this);
  cf.lpfnHook = WlCommonDialogHook<CHOOSEFONTA>;
  BOOL ok = ::ChooseFontA(&cf);
  Data.Error = ok ? 0 : ::CommDlgExtendedError();
  if (!ok) return IDCANCEL;
  Data.LogFont = font;
  Data.PointSize = cf.iPointSize;
  Data.Color = TColor(cf.rgbColors);
  Data.FontType = cf.nFontType;
  Data.Flags = cf.Flags & ~DWORD(CF_ENABLEHOOK | CF_ENABLETEMPLATE);
  return IDOK;
}
