// IWCheckBox: the published "CheckBox": its value, the click cycle without grey, the
// button-face background, copying.
#include "guiobjects2/iwcheckbox.h"

#include "guiobjects2/dllinstance.h"
#include "store/podefine.h"

Faultp<InterObjRep>* IWCheckBox::PO_Object = nullptr;
const POClassRow& IWCheckBox::PO_Row() { return DllInstance::Row(kOviui2CheckBox); }

// Own entries (those a push button has, plus the background), then the control's
// search, then the library check box's.
DEFINE_RESPONSE_TABLE2(IWCheckBox, IWControl, TCheckBox)
EV_WM_GETDLGCODE, EV_BN_CLICKED(BNClicked), EV_WM_ERASEBKGND, WL_MSG(WM_SETFOCUS, HandleW, EvSetFocus),
    WL_MSG(WM_KILLFOCUS, HandleW, EvKillFocus), END_RESPONSE_TABLE;

IWCheckBox::IWCheckBox(IUnknown* outer) : POClass(outer) {
  if (DllInstance::Module()) SetModule(DllInstance::Module());
  SetFlag(wfTransfer);
  SetFlag(kCtrl3d);
  Attr.Style = (Attr.Style & ~uint32_t(0xF)) | BS_AUTO3STATE;
}

IWCheckBox::~IWCheckBox() = default;

void IWCheckBox::PO_DeclareFields(SignatureRep& sig) {
  PO_EnsureEnum(*this, "CheckBoxState", {{"Unchecked", 0}, {"Checked", 1}, {"Grayed", 2}});
  PO_EnumProperty(sig, "Value", "CheckBoxState", &IWCheckBox::pdSetValue, &IWCheckBox::pdGetValue);
  PO_EnumProperty(sig, "Ctrl3d", "Boolean", &IWWindow::pdSetCtrl3d, &IWWindow::pdGetCtrl3d);
  PO_Event(sig, "Event Click()");
  PO_Event(sig, "Event GotFocus()");
  PO_Event(sig, "Event LostFocus()");
  PO_Event(sig, "Event KeyDown(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyUp(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyPress(keyAscii As Integer)");
}

void IWCheckBox::PO_Load(IStream* stream) {
  try {
    POClass::PO_Load(stream);
  } catch (const ObjectLoadFailed&) {  // the control's block inside names its own class
    throw ObjectLoadFailed(PO_Row().name);
  }
}

void IWCheckBox::clone(const IInterObj& source) {
  if (dynamic_cast<const IWCheckBox*>(&source)) IWControl::clone(source);
}

void IWCheckBox::SetupWindow() { IWControl::SetupWindow(); }

long IWCheckBox::pdGetValue() { return HWindow ? (long)GetCheck() : 0; }

void IWCheckBox::pdSetValue(long value) {
  if (!HWindow || value < kUnchecked || value > kGrayed) return;
  uint before = GetCheck();
  SetCheck((uint)value);
  if (GetCheck() != before) NotifyClick();
}

uint IWCheckBox::EvGetDlgCode(MSG*) {
  uint code = (uint)DefaultProcessing();
  if (::GetKeyState(VK_MENU) >= 0) code |= DLGC_WANTCHARS;
  return code;
}

// The system has already stepped the state; grey is for code only.
void IWCheckBox::BNClicked() {
  if (GetCheck() == BF_GRAYED)
    SetCheck(BF_UNCHECKED);
  else
    TCheckBox::BNClicked();
  NotifyClick();
}

bool IWCheckBox::EraseButtonFace(TWindow& w, uint32_t back, HDC dc) {
  if (back == kNoBackground || !w.HWindow) return true;
  RECT r;
  ::GetClientRect(w.HWindow, &r);
  COLORREF old = ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, "", 0, nullptr);
  ::SetBkColor(dc, old);
  return true;
}

bool IWCheckBox::EvEraseBkgnd(HDC dc) { return EraseButtonFace(*this, (uint32_t)BkgndColor.GetValue(), dc); }
