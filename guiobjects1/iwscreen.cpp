// IWScreen: the published "Screen".
#include "guiobjects1/iwscreen.h"

#include <string>
#include <vector>

#include "guiobjects1/dllinstance.h"
#include "store/podefine.h"
#include "store/value.h"
#include "store/valstring.h"
#include "winlib/applicat.h"

namespace {

// Value -> system cursor, in "MousePointerSelector" order (none for Default).
const LPCSTR kCursors[kPointerCount] = {
    nullptr,    IDC_ARROW,    IDC_CROSS,  IDC_IBEAM,   IDC_ICON, IDC_SIZEALL, IDC_SIZENESW,
    IDC_SIZENS, IDC_SIZENWSE, IDC_SIZEWE, IDC_UPARROW, IDC_WAIT, IDC_NO,      IDC_HELP,
};

long g_pointer = kPointerDefault;  // the value last set successfully

// A capability of the screen.
int ScreenCaps(int index) {
  HDC dc = GetDC(nullptr);
  int v = dc ? GetDeviceCaps(dc, index) : 0;
  if (dc) ReleaseDC(nullptr, dc);
  return v;
}

short TwipsPerPixel(int logPixels) {
  int perInch = ScreenCaps(logPixels);
  return perInch ? (short)(1440 / perInch) : (short)-1;
}

// The face names of the font families of the desktop, in enumeration order.
int CALLBACK CollectFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM out) {
  reinterpret_cast<std::vector<std::string>*>(out)->push_back(font->lfFaceName);
  return 1;
}

std::vector<std::string> FontFamilies() {
  std::vector<std::string> names;
  HDC dc = GetDC(nullptr);
  if (!dc) return names;
  EnumFontFamiliesA(dc, nullptr, &CollectFamily, reinterpret_cast<LPARAM>(&names));
  ReleaseDC(nullptr, dc);
  return names;
}

BOOL CALLBACK CollectWindow(HWND w, LPARAM out) {
  reinterpret_cast<std::vector<HWND>*>(out)->push_back(w);
  return TRUE;
}

}  // namespace

Faultp<InterObjRep>* IWScreen::PO_Object = nullptr;
const POClassRow& IWScreen::PO_Row() { return DllInstance::Row(kOviui1Screen); }

IWScreen::IWScreen(IUnknown* outer) : POClass(outer) {}

void IWScreen::PO_DeclareFields(SignatureRep& sig) {
  PO_EnsureEnum(*this, "MousePointerSelector",
                {{"Default", kPointerDefault},
                 {"Arrow", kPointerArrow},
                 {"Crosshair", kPointerCrosshair},
                 {"I-Beam", kPointerIBeam},
                 {"Icon", kPointerIcon},
                 {"Size", kPointerSize},
                 {"Size NE SW", kPointerSizeNESW},
                 {"Size N S", kPointerSizeNS},
                 {"Size NW SE", kPointerSizeNWSE},
                 {"Size W E", kPointerSizeWE},
                 {"Up Arrow", kPointerUpArrow},
                 {"Hourglass", kPointerHourglass},
                 {"No Drop", kPointerNoDrop},
                 {"Help", kPointerHelp}});
  PO_EnumProperty(sig, "MousePointer", "MousePointerSelector", &IWScreen::pdSetMousePointer,
                  &IWScreen::pdGetMousePointer);
  PO_Property(sig, "Width", kTypeFloat, nullptr, &IWScreen::pdGetWidth);
  PO_Property(sig, "Height", kTypeFloat, nullptr, &IWScreen::pdGetHeight);
  PO_Property(sig, "TwipsPerPixelX", kTypeShort, nullptr, &IWScreen::pdGetTwipsPerPixelX);
  PO_Property(sig, "TwipsPerPixelY", kTypeShort, nullptr, &IWScreen::pdGetTwipsPerPixelY);
  PO_Property(sig, "FontCount", kTypeShort, nullptr, &IWScreen::pdGetFontCount);
  PO_Property(sig, "pixelWidth", kTypeShort, nullptr, &IWScreen::pdGetpixelWidth);
  PO_Property(sig, "pixelHeight", kTypeShort, nullptr, &IWScreen::pdGetpixelHeight);
  PO_Property(sig, "mmWidth", kTypeShort, nullptr, &IWScreen::pdGetmmWidth);
  PO_Property(sig, "mmHeight", kTypeShort, nullptr, &IWScreen::pdGetmmHeight);
  PO_Property(sig, "pixelsPerInchX", kTypeShort, nullptr, &IWScreen::pdGetpixelsPerInchX);
  PO_Property(sig, "pixelsPerInchY", kTypeShort, nullptr, &IWScreen::pdGetpixelsPerInchY);
  PO_Method(sig, "Function Fonts(ByVal index as Integer) as String", &IWScreen::imFonts);
  PO_Method(sig, "Function EnumWindows(o as Object, ByVal methodName As String) as Long",
            &IWScreen::imEnumWindows);
}

short IWScreen::TwipsPerPixelX() { return TwipsPerPixel(LOGPIXELSX); }
short IWScreen::TwipsPerPixelY() { return TwipsPerPixel(LOGPIXELSY); }

unsigned long IWScreen::CursorID(long pointer) {
  if (pointer < 0 || pointer >= kPointerCount) return 0;
  return (unsigned long)(ULONG_PTR)kCursors[pointer];
}

long IWScreen::CursorEnum(unsigned long cursorId) {
  if (cursorId == 0) return 0;
  for (long i = 1; i < kPointerCount; ++i)
    if ((unsigned long)(ULONG_PTR)kCursors[i] == cursorId) return i;
  return 0;
}

long IWScreen::pdGetMousePointer() { return g_pointer; }

void IWScreen::pdSetMousePointer(long n) {
  unsigned long id = CursorID(n);
  HCURSOR cursor = id ? LoadCursorA(nullptr, MAKEINTRESOURCEA(id)) : nullptr;
  if (TApplication* app = GetApplicationObject()) app->SetGlobalCursor(cursor);
  if (cursor) SetCursor(cursor);
  g_pointer = cursor ? n : long(kPointerDefault);
}

float IWScreen::pdGetWidth() {
  int perInch = ScreenCaps(LOGPIXELSX);
  return perInch ? (float)(ScreenCaps(HORZRES) * (1440 / perInch)) : -1.0f;
}

float IWScreen::pdGetHeight() {
  int perInch = ScreenCaps(LOGPIXELSY);
  return perInch ? (float)(ScreenCaps(VERTRES) * (1440 / perInch)) : -1.0f;
}

short IWScreen::pdGetFontCount() { return (short)FontFamilies().size(); }
short IWScreen::pdGetpixelWidth() { return (short)ScreenCaps(HORZRES); }
short IWScreen::pdGetpixelHeight() { return (short)ScreenCaps(VERTRES); }
short IWScreen::pdGetmmWidth() { return (short)ScreenCaps(HORZSIZE); }
short IWScreen::pdGetmmHeight() { return (short)ScreenCaps(VERTSIZE); }
short IWScreen::pdGetpixelsPerInchX() { return (short)ScreenCaps(LOGPIXELSX); }
short IWScreen::pdGetpixelsPerInchY() { return (short)ScreenCaps(LOGPIXELSY); }

ValStringRep* IWScreen::imFonts(short index) {
  if (index < 0) return nullptr;
  std::vector<std::string> names = FontFamilies();
  if ((size_t)index >= names.size()) return nullptr;
  return new ValStringRep(names[index].c_str());
}

// The windows are listed first and visited afterwards, so that a Basic error raised by
// the member never unwinds through the system's enumeration.
long IWScreen::imEnumWindows(InterObj* o, const char* methodName) {
  if (!o || o->isNull() || !methodName || !*methodName) return -1;
  std::vector<HWND> windows;
  ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
  for (HWND w : windows) {
    if (o->isNull()) return -1;
    ValueList args;
    args.ppush(new DirectValue<long, kTypeLong>((long)(LONG_PTR)w));
    ValuePtr result;
    result.adopt((*o)->evalIMember(methodName, &args));
    long answer = result ? result->asLong() : 0;
    if (answer != 0) return answer;
  }
  return 0;
}
