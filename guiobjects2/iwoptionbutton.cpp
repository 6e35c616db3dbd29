// IWOptionButton: the published "OptionButton": its value through a press of its own,
// "Click" only for a button left on, the background, copying.
#include "guiobjects2/iwoptionbutton.h"

#include "guiobjects2/dllinstance.h"
#include "guiobjects2/iwcheckbox.h"
#include "store/podefine.h"

Faultp<InterObjRep>* IWOptionButton::PO_Object = nullptr;
const POClassRow& IWOptionButton::PO_Row() { return DllInstance::Row(kOviui2OptionButton); }

// Own entries, then the control's search, then the library radio button's.
DEFINE_RESPONSE_TABLE2(IWOptionButton, IWControl, TRadioButton)
EV_WM_GETDLGCODE, EV_BN_CLICKED(BNClicked), EV_WM_ERASEBKGND, EV_WM_LBUTTONDBLCLK,
    WL_MSG(WM_SETFOCUS, HandleW, EvSetFocus), WL_MSG(WM_KILLFOCUS, HandleW, EvKillFocus), END_RESPONSE_TABLE;

// The library radio button starts the window again as a child without a place, outside
// any group start (so neighbouring option buttons share a group) and automatic.
IWOptionButton::IWOptionButton(IUnknown* outer)
    : POClass(outer), TRadioButton(nullptr, 0, nullptr, 0, 0, 0, 0, nullptr) {
  if (DllInstance::Module()) SetModule(DllInstance::Module());
  Attr.Style |= WS_CLIPSIBLINGS;
  SetFlag(kCtrl3d);
}

IWOptionButton::~IWOptionButton() = default;

void IWOptionButton::PO_DeclareFields(SignatureRep& sig) {
  PO_EnumProperty(sig, "Ctrl3d", "Boolean", &IWWindow::pdSetCtrl3d, &IWWindow::pdGetCtrl3d);
  PO_EnumProperty(sig, "Value", "Boolean", &IWOptionButton::pdSetValue, &IWOptionButton::pdGetValue);
  PO_Event(sig, "Event Click()");
  PO_Event(sig, "Event DblClick()");
  PO_Event(sig, "Event GotFocus()");
  PO_Event(sig, "Event LostFocus()");
  PO_Event(sig, "Event KeyDown(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyUp(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyPress(keyAscii As Integer)");
}

void IWOptionButton::PO_Load(IStream* stream) {
  try {
    POClass::PO_Load(stream);
  } catch (const ObjectLoadFailed&) {  // the control's block inside names its own class
    throw ObjectLoadFailed(PO_Row().name);
  }
}

void IWOptionButton::clone(const IInterObj& source) {
  if (dynamic_cast<const IWOptionButton*>(&source)) IWControl::clone(source);
}

void IWOptionButton::SetupWindow() { IWControl::SetupWindow(); }

long IWOptionButton::pdGetValue() { return HWindow && GetCheck() == BF_CHECKED ? -1 : 0; }

void IWOptionButton::pdSetValue(long value) {
  if (!HWindow) return;
  long want = value ? -1 : 0;
  if (want == pdGetValue()) return;
  if (!want) {
    SetCheck(BF_UNCHECKED);
    return;
  }
  // A press and release of its own: the system turns the group's others off and
  // reports the click, which raises "Click".
  SendMessage(WM_LBUTTONDOWN, 0, 0);
  SendMessage(WM_LBUTTONUP, 0, 0);
}

uint IWOptionButton::EvGetDlgCode(MSG*) {
  uint code = (uint)DefaultProcessing();
  if (::GetKeyState(VK_MENU) >= 0) code |= DLGC_WANTCHARS;
  return code;
}

// Some window systems report the click of an automatic radio button before (or
// without) turning it on: then it is turned on here, the others of its group off.
void IWOptionButton::BNClicked() {
  TRadioButton::BNClicked();
  if (HWindow && GetCheck() != BF_CHECKED) {
    HWND parent = ::GetParent(HWindow);
    for (HWND h = ::GetNextDlgGroupItem(parent, HWindow, FALSE); h && h != HWindow;
         h = ::GetNextDlgGroupItem(parent, h, FALSE))
      if ((::GetWindowLongA(h, GWL_STYLE) & 0xF) == BS_AUTORADIOBUTTON)
        ::SendMessageA(h, BM_SETCHECK, BST_UNCHECKED, 0);
    SetCheck(BF_CHECKED);
  }
  if (GetCheck() == BF_CHECKED) NotifyClick();
}

bool IWOptionButton::EvEraseBkgnd(HDC dc) {
  return IWCheckBox::EraseButtonFace(*this, (uint32_t)BkgndColor.GetValue(), dc);
}
