// IWGlControl: the published "GLControl": opengl32 taken by name, the pixel format, the
// rendering context and its release, the 3-3-2 palette, Paint and Resize.
#include "guiobjects2/iwglcontrol.h"

#include <cstring>
#include <vector>

#include "guiobjects2/dllinstance.h"
#include "store/podefine.h"
#include "store/poevent.h"
#include "store/storeapp.h"
#include "store/storeexcept.h"
#include "winlib/module.h"

Faultp<InterObjRep>* IWGlControl::PO_Object = nullptr;
const POClassRow& IWGlControl::PO_Row() { return DllInstance::Row(kOviui2GLControl); }

// Own entries, then the control's search.
DEFINE_RESPONSE_TABLE1(IWGlControl, IWControl)
EV_WM_PAINT, EV_WM_SIZE, EV_WM_PALETTECHANGED, EV_WM_QUERYNEWPALETTE, END_RESPONSE_TABLE;

namespace {

GlEntryPoints g_gl = {};
bool g_glLoaded = false;
IWGlControl::ChooseFormatFn g_choose = nullptr;

// The context-creating entry points and the one marking availability.
template <class F>
void Take(HMODULE lib, const char* name, F& out) {
  out = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(lib, name)));
}

// The twelve system colours of the 8-bit 3-3-2 palette, at their fixed indices.
struct SystemEntry {
  uint8_t index, red, green, blue;
};
const SystemEntry kSystemColours[12] = {
    {3, 128, 0, 0},       {24, 0, 128, 0},      {27, 128, 128, 0},    {64, 0, 0, 128},
    {67, 128, 0, 128},    {88, 0, 128, 128},    {173, 192, 192, 192}, {181, 192, 220, 192},
    {236, 166, 202, 240}, {247, 255, 251, 240}, {164, 160, 160, 164}, {91, 128, 128, 128},
};

const uint8_t kOneBit[2] = {0, 255};
const uint8_t kTwoBits[4] = {0, 85, 170, 255};
const uint8_t kThreeBits[8] = {0, 36, 73, 109, 146, 182, 219, 255};

}  // namespace

bool IWGlControl::LoadGl(const char* library) {
  g_glLoaded = true;
  g_gl = GlEntryPoints{};
  HMODULE lib = ::LoadLibraryA(library);
  if (!lib) return false;  // the library stays loaded for the process once found
  Take(lib, "wglCreateContext", g_gl.createContext);
  Take(lib, "wglDeleteContext", g_gl.deleteContext);
  Take(lib, "wglGetCurrentContext", g_gl.getCurrentContext);
  Take(lib, "wglGetCurrentDC", g_gl.getCurrentDC);
  Take(lib, "wglMakeCurrent", g_gl.makeCurrent);
  // Availability means all five: a partial set counts as none.
  if (!g_gl.createContext || !g_gl.deleteContext || !g_gl.getCurrentContext || !g_gl.getCurrentDC)
    g_gl.makeCurrent = nullptr;
  return g_gl.makeCurrent != nullptr;
}

const GlEntryPoints& IWGlControl::Gl() {
  if (!g_glLoaded) LoadGl("opengl32.dll");
  return g_gl;
}

void IWGlControl::SetChooseFormat(ChooseFormatFn fn) { g_choose = fn; }

IWGlControl::IWGlControl(IUnknown* outer) : POClass(outer) {
  if (DllInstance::Module()) SetModule(DllInstance::Module());
  Attr.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
}

IWGlControl::~IWGlControl() = default;

void IWGlControl::PO_DeclareFields(SignatureRep& sig) {
  Gl();
  PO_Property(sig, "hDC", kTypeLong, nullptr, &IWGlControl::pdGethDC);
  PO_Property(sig, "hRC", kTypeLong, nullptr, &IWGlControl::pdGethRC);
  PO_Method(sig, "Sub WglMakeCurrent()", &IWGlControl::imWglMakeCurrent);
  PO_Event(sig, "Event Resize()");
  PO_Event(sig, "Event Paint()");
  PO_Event(sig, "Event GotFocus()");
  PO_Event(sig, "Event LostFocus()");
  PO_Event(sig, "Event KeyDown(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyUp(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyPress(keyAscii As Integer)");
}

void IWGlControl::PO_Load(IStream* stream) {
  try {
    POClass::PO_Load(stream);
  } catch (const ObjectLoadFailed&) {  // the control's block inside names its own class
    throw ObjectLoadFailed(PO_Row().name);
  }
}

void IWGlControl::clone(const IInterObj& source) {
  if (dynamic_cast<const IWGlControl*>(&source)) IWControl::clone(source);
}

// ---- the window ----

void IWGlControl::GetWindowClass(WNDCLASSA& wc) {
  IWControl::GetWindowClass(wc);
  wc.hInstance = GetModule() ? GetModule()->GetInstance() : ::GetModuleHandleA(nullptr);
  wc.lpszClassName = kClassName;
  wc.style |= CS_OWNDC;
}

PIXELFORMATDESCRIPTOR IWGlControl::RequestedFormat() {
  PIXELFORMATDESCRIPTOR pfd;
  std::memset(&pfd, 0, sizeof pfd);
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = 24;
  pfd.cDepthBits = 32;
  pfd.iLayerType = PFD_MAIN_PLANE;
  return pfd;
}
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "the descriptor is 40 bytes on both builds");

void IWGlControl::SetupWindow() {
  HDC dc = ::GetDC(HWindow);
  if (GlAvailable() && setupPixelFormat()) {
    context_ = Gl().createContext(dc);
    if (context_) Gl().makeCurrent(dc, context_);
  }
  IWControl::SetupWindow();
  EvQueryNewPalette();
}

bool IWGlControl::setupPixelFormat() {
  HDC dc = ::GetDC(HWindow);
  PIXELFORMATDESCRIPTOR pfd = RequestedFormat();
  int format = g_choose ? g_choose(dc, &pfd) : ::ChoosePixelFormat(dc, &pfd);
  if (format == 0) {
    // Through the application's box, which a headless run answers.
    StoreApplication::MessageBox(nullptr, "ChoosePixelFormat failed", "Error", 0);
    return false;
  }
  if (!::SetPixelFormat(dc, format, &pfd)) ThrowSystemError(0, "GlError");
  createRGBPalette();
  return true;
}

uint8_t IWGlControl::ComponentFromIndex(unsigned index, unsigned bits, unsigned shift) {
  if (bits < 1 || bits > 3) return 0;
  unsigned v = (index >> shift) & ((1u << bits) - 1);
  switch (bits) {
    case 1:
      return kOneBit[v];
    case 2:
      return kTwoBits[v];
    default:
      return kThreeBits[v];
  }
}

void IWGlControl::PaletteEntries(const PIXELFORMATDESCRIPTOR& pfd, PALETTEENTRY* out, unsigned count) {
  for (unsigned i = 0; i < count; i++) {
    out[i].peRed = ComponentFromIndex(i, pfd.cRedBits, pfd.cRedShift);
    out[i].peGreen = ComponentFromIndex(i, pfd.cGreenBits, pfd.cGreenShift);
    out[i].peBlue = ComponentFromIndex(i, pfd.cBlueBits, pfd.cBlueShift);
    out[i].peFlags = 0;
  }
  if (pfd.cColorBits == 8 && count == 256 && pfd.cRedBits == 3 && pfd.cRedShift == 0 && pfd.cGreenBits == 3 &&
      pfd.cGreenShift == 3 && pfd.cBlueBits == 2 && pfd.cBlueShift == 6) {
    for (const SystemEntry& s : kSystemColours) {
      out[s.index].peRed = s.red;
      out[s.index].peGreen = s.green;
      out[s.index].peBlue = s.blue;
    }
  }
}

void IWGlControl::createRGBPalette() {
  HDC dc = ::GetDC(HWindow);
  PIXELFORMATDESCRIPTOR pfd;
  int format = ::GetPixelFormat(dc);
  if (!format || !::DescribePixelFormat(dc, format, sizeof pfd, &pfd)) return;
  if (!(pfd.dwFlags & PFD_NEED_PALETTE)) return;
  // A palette device has at most 8 bits per pixel; anything wider makes no palette.
  if (pfd.cColorBits > 8) return;
  unsigned n = 1u << pfd.cColorBits;
  std::vector<uint8_t> block(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY));
  LOGPALETTE* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = (WORD)n;
  PaletteEntries(pfd, lp->palPalEntry, n);
  palette_ = ::CreatePalette(lp);
  if (!palette_) return;
  oldPalette_ = selectPalette(dc);
}

HPALETTE IWGlControl::selectPalette(HDC dc) {
  HPALETTE old = ::SelectPalette(dc, palette_, FALSE);
  if (::RealizePalette(dc) == GDI_ERROR) ThrowSystemError(0, "GlError");
  return old;
}

void IWGlControl::makeCurrent() {
  UTILS_ASSERT(context_ != nullptr);  // hRContext
  UTILS_ASSERT(GlAvailable());        // WGLMakeCurrent
  if (Gl().getCurrentContext() == context_) return;
  Gl().makeCurrent(::GetDC(HWindow), context_);
}

void IWGlControl::imWglMakeCurrent() {
  if (!context_ || !GlAvailable()) throw StoreException(kNotInitialized);
  makeCurrent();
}

long IWGlControl::pdGethDC() { return HWindow ? HandleAsLong(::GetDC(HWindow)) : 0; }

// ---- messages ----

void IWGlControl::EvPaint() {
  if (context_ && GlAvailable()) makeCurrent();
  PAINTSTRUCT ps;
  ::BeginPaint(HWindow, &ps);
  PO_RaiseEventNoThrow(storeObj(), "Paint");
  ::EndPaint(HWindow, &ps);
}

void IWGlControl::EvSize(uint sizeType, TSize& size) {
  IWControl::EvSize(sizeType, size);
  PO_RaiseEventNoThrow(storeObj(), "Resize");
}

void IWGlControl::EvPaletteChanged(HWND changer) {
  if (changer == HWindow || !context_ || !palette_) return;  // our own realisation
  HDC dc = ::GetDC(HWindow);
  HPALETTE old = selectPalette(dc);
  ::UpdateColors(dc);
  if (old) ::SelectPalette(dc, old, FALSE);
  ::ReleaseDC(HWindow, dc);
}

bool IWGlControl::EvQueryNewPalette() {
  if (!context_ || !palette_) return false;
  HDC dc = ::GetDC(HWindow);
  HPALETTE old = selectPalette(dc);
  ::InvalidateRect(HWindow, nullptr, TRUE);
  ::UpdateWindow(HWindow);
  if (old) ::SelectPalette(dc, old, FALSE);
  ::ReleaseDC(HWindow, dc);
  return true;
}

// ---- the end ----

void IWGlControl::releaseContext() {
  if (!context_ || !GlAvailable()) return;
  HGLRC current = Gl().getCurrentContext();
  HDC dc = ::GetDC(HWindow);
  HDC currentDC = Gl().getCurrentDC();
  // Leaves no current context or DC of this window behind, and keeps another one's.
  Gl().makeCurrent(currentDC == dc ? nullptr : currentDC, current == context_ ? nullptr : current);
  Gl().deleteContext(context_);
  context_ = nullptr;
  ::ReleaseDC(HWindow, dc);
}

void IWGlControl::releasePalette() {
  if (!palette_) return;
  HDC dc = ::GetDC(HWindow);
  if (oldPalette_) ::SelectPalette(dc, oldPalette_, FALSE);
  ::DeleteObject(palette_);
  palette_ = oldPalette_ = nullptr;
  ::ReleaseDC(HWindow, dc);
}

void IWGlControl::CleanupWindow() {
  releaseContext();
  releasePalette();
  IWControl::CleanupWindow();
}
