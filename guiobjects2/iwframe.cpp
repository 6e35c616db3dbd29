// IWFrame: the published "Frame": a group box, its background, copying.
#include "guiobjects2/iwframe.h"

#include "guiobjects2/dllinstance.h"
#include "store/podefine.h"

Faultp<InterObjRep>* IWFrame::PO_Object = nullptr;
const POClassRow& IWFrame::PO_Row() { return DllInstance::Row(kOviui2Frame); }

// Own entries, then the control's search, then the library button's.
DEFINE_RESPONSE_TABLE2(IWFrame, IWControl, TButton)
EV_WM_ERASEBKGND, WL_MSG(WM_SETFOCUS, HandleW, EvSetFocus),
    WL_MSG(WM_KILLFOCUS, HandleW, EvKillFocus), END_RESPONSE_TABLE;

IWFrame::IWFrame(IUnknown* outer) : POClass(outer) {
  if (DllInstance::Module()) SetModule(DllInstance::Module());
  SetFlag(kCtrl3d);
  Attr.Style = (Attr.Style & ~uint32_t(0xF)) | BS_GROUPBOX;
}

IWFrame::~IWFrame() = default;

void IWFrame::PO_DeclareFields(SignatureRep& sig) {
  PO_EnumProperty(sig, "Ctrl3d", "Boolean", &IWWindow::pdSetCtrl3d, &IWWindow::pdGetCtrl3d);
  PO_Event(sig, "Event GotFocus()");
  PO_Event(sig, "Event LostFocus()");
  PO_Event(sig, "Event KeyDown(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyUp(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyPress(keyAscii As Integer)");
}

void IWFrame::PO_Load(IStream* stream) {
  try {
    POClass::PO_Load(stream);
  } catch (const ObjectLoadFailed&) {  // the control's block inside names its own class
    throw ObjectLoadFailed(PO_Row().name);
  }
}

void IWFrame::clone(const IInterObj& source) {
  if (dynamic_cast<const IWFrame*>(&source)) IWControl::clone(source);
}

void IWFrame::SetupWindow() { IWControl::SetupWindow(); }

bool IWFrame::PaintsBackground() const {
  if ((uint32_t)BkgndColor.GetValue() == kNoBackground) return false;
  HWND parent = HWindow ? ::GetParent(HWindow) : nullptr;
  return !parent || (::GetWindowLongA(parent, GWL_STYLE) & WS_CLIPCHILDREN);
}

bool IWFrame::EvEraseBkgnd(HDC dc) {
  if (!PaintsBackground()) return true;
  RECT r;
  ::GetClientRect(HWindow, &r);
  COLORREF old = ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, "", 0, nullptr);
  ::SetBkColor(dc, old);
  return true;
}
