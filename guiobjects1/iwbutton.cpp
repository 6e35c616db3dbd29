// IWButton: the published "Button": Click from the reflected notification, the dialog
// code, the default-button id, copying.
#include "guiobjects1/iwbutton.h"

#include "guiobjects1/dllinstance.h"
#include "store/podefine.h"

Faultp<InterObjRep>* IWButton::PO_Object = nullptr;
const POClassRow& IWButton::PO_Row() { return DllInstance::Row(kOviui1Button); }

// Own entries, then the control's search (its own, the library control's, the window
// layer's), then the library button's.
DEFINE_RESPONSE_TABLE2(IWButton, IWControl, TButton)
EV_WM_GETDLGCODE, EV_BN_CLICKED(BNClicked), WL_MSG(WM_SETFOCUS, HandleW, EvSetFocus),
    WL_MSG(WM_KILLFOCUS, HandleW, EvKillFocus), END_RESPONSE_TABLE;

IWButton::IWButton(IUnknown* outer) : POClass(outer) { Attr.Style = (Attr.Style & ~0xFu) | BS_PUSHBUTTON; }

IWButton::~IWButton() = default;

void IWButton::PO_DeclareFields(SignatureRep& sig) {
  PO_EnumProperty(sig, "Ctrl3d", "Boolean", &IWWindow::pdSetCtrl3d, &IWWindow::pdGetCtrl3d);
  PO_Event(sig, "Event Click()");
  PO_Event(sig, "Event GotFocus()");
  PO_Event(sig, "Event LostFocus()");
  PO_Event(sig, "Event KeyDown(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyUp(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyPress(keyAscii As Integer)");
}

void IWButton::PO_Load(IStream* stream) {
  try {
    POClass::PO_Load(stream);
  } catch (const ObjectLoadFailed&) {
    throw ObjectLoadFailed(PO_Row().name);
  }
}

void IWButton::clone(const IInterObj& source) {
  if (dynamic_cast<const IWButton*>(&source)) IWControl::clone(source);
}

void IWButton::SetupWindow() { IWControl::SetupWindow(); }

uint IWButton::EvGetDlgCode(MSG*) {
  uint code = (uint)DefaultProcessing();
  if (::GetKeyState(VK_MENU) >= 0) code |= DLGC_WANTCHARS;
  return code;
}

void IWButton::BNClicked() { NotifyClick(); }

void IWButton::SetSpecialID(int id) {
  SetWindowID(id);
  if (id == 1)
    Attr.Style |= BS_DEFPUSHBUTTON;
  else
    Attr.Style &= ~(uint32_t)BS_DEFPUSHBUTTON;
  if (HWindow) {
    ::SetWindowLongPtrA(HWindow, GWLP_ID, id);
    SendMessage(BM_SETSTYLE, id == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
  changed();
}
