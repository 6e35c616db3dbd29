// IWScrollBar: the published "ScrollBar": the range that may run backwards, the
// position events, the orientation, the stream block and the text unload.
#include "guiobjects2/iwscrollbar.h"

#include <algorithm>
#include <cstdio>

#include "guiobjects1/iwscreen.h"
#include "guiobjects2/dllinstance.h"
#include "store/podefine.h"
#include "store/poevent.h"
#include "store/storeapp.h"
#include "store/valstring.h"

Faultp<InterObjRep>* IWScrollBar::PO_Object = nullptr;
const POClassRow& IWScrollBar::PO_Row() { return DllInstance::Row(kOviui2ScrollBar); }

// Own entries, then the control's search, then the library bar's (the scroll codes).
DEFINE_RESPONSE_TABLE2(IWScrollBar, IWControl, TScrollBar)
EV_WM_HSCROLL, EV_WM_VSCROLL, WL_MSG(WM_SETFOCUS, HandleW, EvSetFocus),
    WL_MSG(WM_KILLFOCUS, HandleW, EvKillFocus), END_RESPONSE_TABLE;

// The library bar starts the window again as a horizontal child bar without a place.
IWScrollBar::IWScrollBar(IUnknown* outer) : POClass(outer), TScrollBar(nullptr, 0, 0, 0, 0, 0, true) {
  if (DllInstance::Module()) SetModule(DllInstance::Module());
  Attr.Style |= WS_CLIPSIBLINGS;
}

IWScrollBar::~IWScrollBar() = default;

void IWScrollBar::PO_DeclareFields(SignatureRep& sig) {
  PO_EnsureEnum(*this, "Orientation", {{"Vertical", kVertical}, {"Horizontal", kHorizontal}});
  char* start = static_cast<char*>(dynamic_cast<void*>(this));
  sig.addField(CompDataField::make("SmallChange", 2, (char*)&LineMagnitude - start), nullptr, 0);
  sig.addField(CompDataField::make("LargeChange", 2, (char*)&PageMagnitude - start), nullptr, 0);
  PO_Property(sig, "Min", 1, &IWScrollBar::pdSetMin, &IWScrollBar::pdGetMin);
  PO_Property(sig, "Max", 1, &IWScrollBar::pdSetMax, &IWScrollBar::pdGetMax);
  PO_Property(sig, "Value", 1, &IWScrollBar::pdSetValue, &IWScrollBar::pdGetValue);
  PO_EnumProperty(sig, "Orientation", "Orientation", &IWScrollBar::pdSetOrientation,
                  &IWScrollBar::pdGetOrientation);
  PO_Method(sig, "Function TextUnload(ByVal indent As String, cmds As String) As Integer",
            &IWScrollBar::imTextUnload);
  PO_Event(sig, "Event Scroll()");
  PO_Event(sig, "Event Change()");
  PO_Event(sig, "Event GotFocus()");
  PO_Event(sig, "Event LostFocus()");
  PO_Event(sig, "Event KeyDown(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyUp(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyPress(keyAscii As Integer)");
}

// Everything is read before anything is kept, so a torn block changes nothing.
void IWScrollBar::PO_Read(OCLStream& s, unsigned) {
  USHORT line = 0, page = 0, lo = 0, hi = 0;
  s.read(&line);
  s.read(&page);
  s.read(&lo);
  s.read(&hi);
  LineMagnitude = (int16_t)line;
  PageMagnitude = (int16_t)page;
  min_ = (int16_t)lo;
  max_ = (int16_t)hi;
  applyRange();
}

void IWScrollBar::PO_Write(OCLStream& s) {
  s.write((USHORT)LineMagnitude);
  s.write((USHORT)PageMagnitude);
  s.write((USHORT)min_);
  s.write((USHORT)max_);
}

void IWScrollBar::PO_Load(IStream* stream) {
  try {
    POClass::PO_Load(stream);
  } catch (const ObjectLoadFailed&) {  // the control's block inside names its own class
    throw ObjectLoadFailed(PO_Row().name);
  }
}

void IWScrollBar::clone(const IInterObj& source) {
  const IWScrollBar* from = dynamic_cast<const IWScrollBar*>(&source);
  if (!from) return;
  IWControl::clone(source);
  LineMagnitude = from->LineMagnitude;
  PageMagnitude = from->PageMagnitude;
  min_ = from->min_;
  max_ = from->max_;
  applyRange();
}

void IWScrollBar::SetupWindow() {
  applyRange();
  IWControl::SetupWindow();
}

void IWScrollBar::applyRange() {
  if (HWindow) SetRange(std::min(min_, max_), std::max(min_, max_));
}

// ---- the thumb ----

void IWScrollBar::SetPosition(int thumbPos) {
  if (!HWindow) return;
  int lo, hi;
  GetRange(lo, hi);
  thumbPos = std::max(lo, std::min(hi, thumbPos));
  if (thumbPos == GetPosition()) return;
  SuspendAutoBusy quiet;
  ::SetScrollPos(HWindow, SB_CTL, thumbPos, TRUE);
  PO_RaiseEvent(storeObj(), tracking_ ? "Scroll" : "Change");
}

void IWScrollBar::SBThumbTrack(int thumbPos) {
  tracking_ = true;
  SetPosition(thumbPos);
  if (!HWindow) return;
  HDC dc = ::GetDC(HWindow);
  HGDIOBJ pen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
  HGDIOBJ brush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
  ::Rectangle(dc, 0, 0, Attr.W, Attr.H);
  ::SelectObject(dc, brush);
  ::SelectObject(dc, pen);
  ::ReleaseDC(HWindow, dc);
}

void IWScrollBar::SBThumbPosition(int thumbPos) {
  tracking_ = false;
  SetPosition(thumbPos);
  PO_RaiseEvent(storeObj(), "Change");
}

// ---- properties ----

void IWScrollBar::pdSetMin(short value) {
  min_ = value;
  applyRange();
  changed();
}

void IWScrollBar::pdSetMax(short value) {
  max_ = value;
  applyRange();
  changed();
}

short IWScrollBar::pdGetValue() {
  if (!HWindow) return 0;
  int p = GetPosition();
  return (short)(backward() ? max_ + min_ - p : p);
}

void IWScrollBar::pdSetValue(short value) {
  if (!HWindow) return;
  int lo, hi;
  GetRange(lo, hi);
  int v = std::max(lo, std::min(hi, (int)value));
  SetPosition(backward() ? min_ + max_ - v : v);
}

long IWScrollBar::pdGetOrientation() { return (Attr.Style & SBS_VERT) ? kVertical : kHorizontal; }

void IWScrollBar::pdSetOrientation(long orientation) {
  if ((orientation != kVertical && orientation != kHorizontal) || orientation == pdGetOrientation()) return;
  bool had = HWindow != nullptr;
  WindowFlagScope flag(*this, IWWindow::kInSetup);  // no "Setup" again
  void* data = had ? DataForReCreate() : nullptr;
  std::swap(width_, height_);
  Attr.W = width_ / IWScreen::TwipsPerPixelX();
  Attr.H = height_ / IWScreen::TwipsPerPixelY();
  if (orientation == kHorizontal)
    Attr.Style &= ~uint32_t(SBS_VERT);
  else
    Attr.Style |= SBS_VERT;
  if (had) DoReCreate(data);
  changed();
}

short IWScrollBar::imTextUnload(const char* indent, ValString* cmds) {
  static const char* const kNames[] = {"SmallChange", "LargeChange", "Min",  "Max",
                                       "Value",       "Orientation", nullptr};
  if (!cmds) return -1;
  if (!indent) indent = "";
  IWControl::imTextUnload(indent, cmds);
  if (InterObjRep* me = storeObj()) me->textFieldsUnload(kNames, indent, *cmds);
  if (pdGetOrientation() == kHorizontal) {
    char move[200];
    std::snprintf(move, sizeof move, ".Move(%g, %g, %g, %g)\n", (double)pdGetLeft(), (double)pdGetTop(),
                  (double)pdGetWidth(), (double)pdGetHeight());
    *cmds = ValString(cmds->str() + indent + move);
  }
  return -1;
}
