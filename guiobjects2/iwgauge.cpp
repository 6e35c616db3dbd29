// IWGauge: the published "Gauge": its values over the library gauge, the click on
// release, the stream block and the text unload.
#include "guiobjects2/iwgauge.h"

#include <cstdio>

#include "guiobjects2/dllinstance.h"
#include "store/podefine.h"
#include "store/valstring.h"

Faultp<InterObjRep>* IWGauge::PO_Object = nullptr;
const POClassRow& IWGauge::PO_Row() { return DllInstance::Row(kOviui2Gauge); }

// Own entries, then the control's search, then the library gauge's.
DEFINE_RESPONSE_TABLE2(IWGauge, IWControl, TGauge)
EV_WM_LBUTTONDBLCLK, WL_MSG(WM_ERASEBKGND, HandleW, TGauge::EvEraseBkgnd),
    WL_MSG(WM_SETFOCUS, HandleW, EvSetFocus), WL_MSG(WM_KILLFOCUS, HandleW, EvKillFocus), END_RESPONSE_TABLE;

// The library gauge starts the window again as a horizontal child without a place and
// without a margin.
IWGauge::IWGauge(IUnknown* outer) : POClass(outer), TGauge(nullptr, nullptr, 0, 0, 0, 0, 0, true, 0) {
  if (DllInstance::Module()) SetModule(DllInstance::Module());
  Attr.Style |= WS_CLIPSIBLINGS;
}

IWGauge::~IWGauge() = default;

void IWGauge::PO_DeclareFields(SignatureRep& sig) {
  PO_Property(sig, "Min", 1, &IWGauge::pdSetMin, &IWGauge::pdGetMin);
  PO_Property(sig, "Max", 1, &IWGauge::pdSetMax, &IWGauge::pdGetMax);
  PO_Property(sig, "Value", 1, &IWGauge::pdSetValue, &IWGauge::pdGetValue);
  PO_EnumProperty(sig, "Orientation", "Orientation", &IWGauge::pdSetOrientation, &IWGauge::pdGetOrientation);
  PO_Property(sig, "LEDStep", 1, &IWGauge::pdSetLEDStep, &IWGauge::pdGetLEDStep);
  PO_Property(sig, "Margin", 1, &IWGauge::pdSetMargin, &IWGauge::pdGetMargin);
  PO_Property(sig, "BarColor", 2, &IWGauge::pdSetBarColor, &IWGauge::pdGetBarColor);
  PO_Method(sig, "Function TextUnload(ByVal indent As String, cmds As String) As Integer",
            &IWGauge::imTextUnload);
  PO_Event(sig, "Event Click()");
  PO_Event(sig, "Event DblClick()");
  PO_Event(sig, "Event GotFocus()");
  PO_Event(sig, "Event LostFocus()");
  PO_Event(sig, "Event KeyDown(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyUp(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyPress(keyAscii As Integer)");
}

// Everything is read before anything is kept, so a torn block changes nothing.
void IWGauge::PO_Read(OCLStream& s, unsigned) {
  USHORT lo = 0, hi = 0, spacing = 0;
  UCHAR margin = 0, horizontal = 0, thickness = 0;
  ULONG color = 0;
  s.read(&lo);
  s.read(&hi);
  s.read(&margin);
  s.read(&horizontal);
  s.read(&spacing);
  s.read(&thickness);
  s.read(&color);
  TGauge::SetRange((int16_t)lo, (int16_t)hi);
  Margin = margin;
  IsHorizontal = horizontal != 0;
  LedSpacing = (int16_t)spacing;
  LedThick = thickness;
  BarColor = TColor((COLORREF)color);
  repaint();
}

void IWGauge::PO_Write(OCLStream& s) {
  s.write((USHORT)Min);
  s.write((USHORT)Max);
  s.write((UCHAR)Margin);
  s.write((UCHAR)(IsHorizontal ? 1 : 0));
  s.write((USHORT)LedSpacing);
  s.write((UCHAR)LedThick);
  s.write((ULONG)BarColor.GetValue());
}

void IWGauge::PO_Load(IStream* stream) {
  try {
    POClass::PO_Load(stream);
  } catch (const ObjectLoadFailed&) {  // the control's block inside names its own class
    throw ObjectLoadFailed(PO_Row().name);
  }
}

void IWGauge::clone(const IInterObj& source) {
  const IWGauge* from = dynamic_cast<const IWGauge*>(&source);
  if (!from) return;
  IWControl::clone(source);
  Min = from->Min;
  Max = from->Max;
  Value = from->Value;
  Margin = from->Margin;
  IsHorizontal = from->IsHorizontal;
  LedSpacing = from->LedSpacing;
  LedThick = from->LedThick;
  BarColor = from->BarColor;
  repaint();
}

void IWGauge::SetupWindow() { IWControl::SetupWindow(); }

void IWGauge::AfterLButtonPress() {
  if (HWindow) ::SetCapture(HWindow);
}

void IWGauge::LButtonRelease() { ::ReleaseCapture(); }

void IWGauge::repaint() {
  if (HWindow) ::InvalidateRect(HWindow, nullptr, TRUE);
}

// ---- properties ----

void IWGauge::pdSetMin(short value) {
  TGauge::SetRange(value, Max);
  repaint();
  changed();
}

void IWGauge::pdSetMax(short value) {
  TGauge::SetRange(Min, value);
  repaint();
  changed();
}

void IWGauge::pdSetValue(short value) {
  int was = Value;
  TGauge::SetValue(value);
  if (Value != was) repaint();
}

void IWGauge::pdSetOrientation(long orientation) {
  if ((orientation != 0 && orientation != 1) || orientation == pdGetOrientation()) return;
  IsHorizontal = orientation == 1;
  repaint();
  changed();
}

void IWGauge::pdSetLEDStep(short step) {
  TGauge::SetLed(step, kLedThickness);
  repaint();
  changed();
}

void IWGauge::pdSetMargin(short margin) {
  Margin = (uint8_t)margin;
  repaint();
  changed();
}

void IWGauge::pdSetBarColor(long color) {
  BarColor = TColor((COLORREF)color);
  repaint();
  changed();
}

short IWGauge::imTextUnload(const char* indent, ValString* cmds) {
  static const char* const kNames[] = {"Min",     "Max",    "Value",    "Orientation",
                                       "LEDStep", "Margin", "BarColor", nullptr};
  if (!cmds) return -1;
  if (!indent) indent = "";
  IWControl::imTextUnload(indent, cmds);
  if (InterObjRep* me = storeObj()) me->textFieldsUnload(kNames, indent, *cmds);
  if (!IsHorizontal) {
    char move[200];
    std::snprintf(move, sizeof move, ".Move(%g, %g, %g, %g)\n", (double)pdGetLeft(), (double)pdGetTop(),
                  (double)pdGetWidth(), (double)pdGetHeight());
    *cmds = ValString(cmds->str() + indent + move);
  }
  return -1;
}
