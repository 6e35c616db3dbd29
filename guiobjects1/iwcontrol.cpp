// IWControl: the published "Control": tab bits, text, the list-box inset, geometry in
// twips after setup and after restored sizes, data-binding methods, text unload.
#include "guiobjects1/iwcontrol.h"

#include <cstring>
#include <string>

#include "guiobjects1/dllinstance.h"
#include "guiobjects1/iwscreen.h"
#include "store/podefine.h"
#include "store/poevent.h"
#include "store/valstring.h"

Faultp<InterObjRep>* IWControl::PO_Object = nullptr;
const POClassRow& IWControl::PO_Row() { return DllInstance::Row(kOviui1Control); }

// Own entries, then the library control's, then the window layer's.
DEFINE_RESPONSE_TABLE2(IWControl, TControl, IWWindow)
EV_WM_MOVE, EV_WM_SIZE, END_RESPONSE_TABLE;

IWControl::IWControl(IUnknown* outer) : POClass(outer) {
  InitControl(0, 0, 0, 0, 0);
  Attr.Style |= WS_CLIPSIBLINGS;
}

IWControl::~IWControl() {
  if (HWindow && !IsFlagSet(wfAlias)) Destroy(0);
}

void IWControl::PO_DeclareFields(SignatureRep& sig) {
  PO_EnsureEnum(*this, "ControlAlignmentEnum", {{"Left", 0}, {"Right", 1}, {"Center", 2}});
  PO_EnumProperty(sig, "TabStop", "Boolean", &IWControl::pdSetTabStop, &IWControl::pdGetTabStop);
  PO_EnumProperty(sig, "TabGroup", "Boolean", &IWControl::pdSetTabGroup, &IWControl::pdGetTabGroup);
  PO_Method(sig, "Sub Update(ByVal value as String)", &IWControl::imUpdate);
  PO_Method(sig, "Sub UpdateDataSource(value as String)", &IWControl::imUpdateDataSource);
  PO_Method(sig, "Function TextUnload(ByVal indent As String, cmds As String) As Integer",
            &IWControl::imTextUnload);
}

void IWControl::PO_Load(IStream* stream) {
  try {
    POClass::PO_Load(stream);
  } catch (const ObjectLoadFailed&) {  // the window's block inside names this class
    throw ObjectLoadFailed(PO_Row().name);
  }
}

void IWControl::clone(const IInterObj& source) { IWWindow::clone(source); }

// ---- the control's slots ----

void IWControl::pdSetText(const char* text) {
  if (!HWindow || !text) return;
  ::SetWindowTextA(HWindow, text);
  dataChanged_ = 1;
}

ValStringRep* IWControl::pdGetText() const {
  int n = HWindow ? ::GetWindowTextLengthA(HWindow) : 0;
  if (n <= 0) return new ValStringRep("");
  std::string text((size_t)n + 1, '\0');
  int got = ::GetWindowTextA(HWindow, &text[0], n + 1);
  text.resize((size_t)(got > 0 ? got : 0));  // a text that shrank in between: what was read
  return new ValStringRep(text);
}

bool IWControl::Create() {
  if (HWindow) return true;
  if (::lstrcmpiA(GetClassName(), "LISTBOX") == 0) {
    // One pixel in on every side: the list box's border lies on the rectangle's edge.
    Attr.X += 1;
    Attr.Y += 1;
    Attr.W = Attr.W - 2 < 0 ? 0 : Attr.W - 2;
    Attr.H = Attr.H - 2 < 0 ? 0 : Attr.H - 2;
  }
  return TWindow::Create();
}

int IWControl::CharToItem(uint, uint) { return 0; }
int IWControl::VKeyToItem(uint, uint) { return 0; }

void IWControl::NotifyChange() {
  dataChanged_ = 1;
  PO_RaiseEventNoThrow(storeObj(), "Change");
}

ScaleRect* IWControl::ContainerScale() {
  IWWindow* form = ParentForm(this);
  return form && form != this ? form->Scale() : nullptr;
}

void IWControl::SetupWindow() {
  IWWindow::SetupWindow();  // the library's setup (the children) first, then "Setup"
  double tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  left_ = (int32_t)(Attr.X * tx);
  width_ = (int32_t)(Attr.W * tx);
  top_ = (int32_t)(Attr.Y * ty);
  height_ = (int32_t)(Attr.H * ty);
}

void IWControl::EvMove(TPoint& clientOrigin) { IWWindow::EvMove(clientOrigin); }

void IWControl::EvSize(uint sizeType, TSize& size) {
  TWindow::EvSize(sizeType, size);
  if (sizeType != SIZE_RESTORED || IsFlagSet(kMoving) || !HWindow) return;
  RECT r;
  ::GetWindowRect(HWindow, &r);
  Attr.W = r.right - r.left;
  Attr.H = r.bottom - r.top;
  width_ = (int32_t)(Attr.W * (double)IWScreen::TwipsPerPixelX());
  height_ = (int32_t)(Attr.H * (double)IWScreen::TwipsPerPixelY());
  changed();
}

// ---- properties and methods ----

long IWControl::pdGetTabStop() { return (GetStyle() & WS_TABSTOP) ? -1 : 0; }

void IWControl::pdSetTabStop(long on) {
  SetStyleTo(WS_TABSTOP, on != 0);
  changed();
}

long IWControl::pdGetTabGroup() { return (GetStyle() & WS_GROUP) ? -1 : 0; }

void IWControl::pdSetTabGroup(long on) {
  SetStyleTo(WS_GROUP, on != 0);
  changed();
}

void IWControl::imUpdate(const char* value) { pdSetText(value); }

void IWControl::imUpdateDataSource(ValString* value) {
  if (value) *value = ValString(pdGetText());
}

short IWControl::imTextUnload(const char* indent, ValString* cmds) {
  static const char* const kNames[] = {"Visible", "TabStop", "TabGroup", nullptr};
  if (!cmds) return -1;
  IWWindow::imTextUnload(indent, cmds);
  if (InterObjRep* me = storeObj()) me->textFieldsUnload(kNames, indent ? indent : "", *cmds);
  return -1;
}
