// IWStatic: the published "Label": its window class, the text and caption with "Change",
// the style properties that re-create the window, the lines that fit, the mouse slots,
// the text unload.
#include "guiobjects2/iwstatic.h"

#include <algorithm>
#include <cstring>

#include "guiobjects1/scalerect.h"
#include "guiobjects2/dllinstance.h"
#include "store/podefine.h"
#include "store/valstring.h"
#include "winlib/module.h"

Faultp<InterObjRep>* IWStatic::PO_Object = nullptr;
const POClassRow& IWStatic::PO_Row() { return DllInstance::Row(kOviui2Label); }

// Own entries, then the control's search, then the library static's.
DEFINE_RESPONSE_TABLE2(IWStatic, IWControl, TStatic)
EV_MESSAGE(WM_NCHITTEST, EvNcHitTest), EV_WM_LBUTTONDBLCLK, EV_WM_KEYDOWN, EV_WM_KEYUP, EV_WM_CHAR,
    END_RESPONSE_TABLE;

IWStatic::IWStatic(IUnknown* outer) : POClass(outer) {
  // The library static's initialisation: left-aligned text, not a tab stop.
  Attr.Style = (Attr.Style | SS_LEFT) & ~uint32_t(WS_TABSTOP);
  SetFlag(kCtrl3d);
  if (DllInstance::Module()) SetModule(DllInstance::Module());
}

IWStatic::~IWStatic() = default;

void IWStatic::PO_DeclareFields(SignatureRep& sig) {
  PO_EnumProperty(sig, "Ctrl3d", "Boolean", &IWWindow::pdSetCtrl3d, &IWWindow::pdGetCtrl3d);
  PO_Property(sig, "Text", 6, &IWStatic::pdSetText, &IWControl::pdGetText);
  PO_EnumProperty(sig, "BorderStyle", "BorderStyle", &IWStatic::pdSetBorderStyle,
                  &IWStatic::pdGetBorderStyle);
  PO_EnumProperty(sig, "Alignment", "ControlAlignmentEnum", &IWStatic::pdSetAlignment,
                  &IWStatic::pdGetAlignment);
  PO_EnumProperty(sig, "WordWrap", "Boolean", &IWStatic::pdSetWordWrap, &IWStatic::pdGetWordWrap);
  PO_Property(sig, "LinesVisible", 2, nullptr, &IWStatic::pdGetLinesVisible);
  PO_Property(sig, "LineHeight", 3, nullptr, &IWStatic::pdGetLineHeight);
  PO_Method(sig, "Function TextUnload(ByVal indent As String, cmds As String) As Integer",
            &IWStatic::imTextUnload);
  PO_Event(sig, "Event Click()");
  PO_Event(sig, "Event DblClick()");
  PO_Event(sig, "Event Change()");
  PO_Event(sig, "Event GotFocus()");
  PO_Event(sig, "Event LostFocus()");
  PO_Event(sig, "Event KeyDown(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyUp(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyPress(keyAscii As Integer)");
}

void IWStatic::PO_Load(IStream* stream) {
  try {
    POClass::PO_Load(stream);
  } catch (const ObjectLoadFailed&) {  // the control's block inside names its own class
    throw ObjectLoadFailed(PO_Row().name);
  }
}

void IWStatic::clone(const IInterObj& source) {
  if (dynamic_cast<const IWStatic*>(&source)) IWControl::clone(source);
}

// ---- the window class ----

const char* IWStatic::GetClassName() { return kClassName; }

// The system's static class under our name, with double clicks.
void IWStatic::GetWindowClass(WNDCLASSA& wc) {
  if (!::GetClassInfoA(nullptr, TStatic::GetClassName(), &wc)) TWindow::GetWindowClass(wc);
  wc.hInstance = GetModule() ? GetModule()->GetInstance() : ::GetModuleHandleA(nullptr);
  wc.lpszClassName = kClassName;
  wc.style |= CS_DBLCLKS;
}

// ---- slots ----

void IWStatic::pdSetCaption(const char* caption) {
  IWWindow::pdSetCaption(caption);
  NotifyChange();
}

void IWStatic::pdSetText(const char* text) {
  IWControl::pdSetText(text);
  NotifyChange();
}

void IWStatic::AfterLButtonPress() {
  if (HWindow) ::SetCapture(HWindow);
}

void IWStatic::LButtonRelease() { ::ReleaseCapture(); }
int IWStatic::ClickOnRelease() { return 1; }

LRESULT IWStatic::EvNcHitTest(WPARAM, LPARAM) { return HTCLIENT; }

void* IWStatic::DataForReCreate() {
  if (!HWindow) return nullptr;
  int n = ::GetWindowTextLengthA(HWindow);
  char* text = new char[(size_t)(n > 0 ? n : 0) + 1];
  int got = ::GetWindowTextA(HWindow, text, n + 1);
  text[got > 0 ? got : 0] = 0;
  IWWindow::DataForReCreate();  // keeps the Z order, destroys the window
  return text;
}

void IWStatic::DoReCreate(void* arg) {
  char* text = static_cast<char*>(arg);
  if (text) {
    try {
      IWWindow::DoReCreate(nullptr);
    } catch (...) {
      delete[] text;
      throw;
    }
    if (HWindow) ::SetWindowTextA(HWindow, text);
    delete[] text;
  }
  changed();
}

void IWStatic::ReCreateWithStyle(uint32_t mask, uint32_t bits) {
  WindowFlagScope flag(*this, IWWindow::kInSetup);  // no "Setup" again
  void* data = DataForReCreate();
  Attr.Style = (Attr.Style & ~mask) | (bits & mask);
  DoReCreate(data);
}

// ---- properties ----

long IWStatic::pdGetBorderStyle() { return (Attr.Style & WS_BORDER) ? 1 : 0; }

void IWStatic::pdSetBorderStyle(long style) {
  if ((style != 0 ? 1 : 0) == pdGetBorderStyle()) return;
  ReCreateWithStyle(WS_BORDER, style ? WS_BORDER : 0);
}

long IWStatic::pdGetAlignment() {
  switch (Attr.Style & AlignmentMask()) {
    case kLabelLeft:
    case kLabelNoWrap:
      return kAlignLeft;
    case kLabelCenter:
      return kAlignCenter;
    default:
      return kAlignRight;
  }
}

void IWStatic::pdSetAlignment(long alignment) {
  if (alignment < kAlignLeft || alignment > kAlignCenter || alignment == pdGetAlignment()) return;
  uint32_t bits = alignment == kAlignRight    ? kLabelRight
                  : alignment == kAlignCenter ? kLabelCenter
                                              : kLabelLeft;
  ReCreateWithStyle(AlignmentMask(), bits);
}

long IWStatic::pdGetWordWrap() { return (Attr.Style & kLabelMask) == kLabelNoWrap ? 0 : -1; }

void IWStatic::pdSetWordWrap(long on) {
  long want = on ? -1 : 0;
  if (want == pdGetWordWrap()) return;
  uint32_t bits = Attr.Style & kLabelMask;
  if (want && bits == kLabelNoWrap)
    bits = kLabelLeft;
  else if (!want && bits == kLabelLeft)
    bits = kLabelNoWrap;
  // Centred and right-aligned text always wraps: the style stays, the window is still
  // made again.
  ReCreateWithStyle(kLabelMask, bits);
}

int IWStatic::FontHeight() {
  if (!HWindow) return 0;
  HFONT font = (HFONT)::SendMessageA(HWindow, WM_GETFONT, 0, 0);
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  ::ReleaseDC(nullptr, screen);
  if (!dc) return 0;
  HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
  TEXTMETRICA tm;
  int h = ::GetTextMetricsA(dc, &tm) ? tm.tmHeight : 0;
  if (old) ::SelectObject(dc, old);
  ::DeleteDC(dc);
  return h;
}

long IWStatic::LinesFor(int height, int fontHeight) {
  if (height == 0 || fontHeight == 0) return 0;
  float lines = std::max((float)height / (float)fontHeight - 0.5f, 1.0f);
  return (long)lines;
}

long IWStatic::pdGetLinesVisible() {
  if (!HWindow) return 0;
  return LinesFor(Attr.H, FontHeight());
}

float IWStatic::pdGetLineHeight() {
  ScaleRect* scale = HWindow ? ContainerScale() : nullptr;
  if (!scale) return 0;
  long double perUnit = scale->PixelsPerUnitY();
  if (perUnit < 0) perUnit = -perUnit;
  if (perUnit == 0) return 0;
  return (float)(FontHeight() / perUnit);
}

short IWStatic::imTextUnload(const char* indent, ValString* cmds) {
  static const char* const kNames[] = {"BorderStyle", "Alignment", "WordWrap", "Ctrl3d", nullptr};
  if (!cmds) return -1;
  IWControl::imTextUnload(indent, cmds);
  if (InterObjRep* me = storeObj()) me->textFieldsUnload(kNames, indent ? indent : "", *cmds);
  return -1;
}
