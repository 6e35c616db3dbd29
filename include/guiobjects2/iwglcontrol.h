// IWGlControl: the published "GLControl" (prototype parent "Control"), a child window made
// ready for OpenGL drawing. It picks a pixel format, owns a rendering context for its
// window (the class has CS_OWNDC, so hDC is the same handle for the window's whole life),
// builds a logical palette when the pixel format needs one, and raises "Paint" and
// "Resize" so that Basic code draws itself through declared OpenGL functions.
//
// OpenGL is not linked: opengl32.dll is loaded by name when the class's fields are
// defined, and five wgl entry points are taken from it. Without them the control is an
// ordinary empty window: hRC reads 0 and "WglMakeCurrent" fails with "GL control could
// not be initialized.".
//
// Handles reach Basic as Long. Window and GDI handles carry 32 significant bits on both
// builds, so the 64-bit build passes them sign-extended and a value read from hDC or hRC
// goes back to a declared function unchanged (see LongAsHandle).
//
// Stream block (revision 1): the control's block, nothing of OpenGL. A damaged block or a
// revision above 1 fails with ObjectLoadFailed naming "GLControl".
#pragma once

#include <windows.h>

#include <cstdint>

#include "guiobjects1/iwcontrol.h"
#include "guiobjects2/oviui2_api.h"

// The wgl entry points the control takes from opengl32.dll.
struct GlEntryPoints {
  HGLRC(WINAPI* createContext)(HDC);
  BOOL(WINAPI* deleteContext)(HGLRC);
  HGLRC(WINAPI* getCurrentContext)();
  HDC(WINAPI* getCurrentDC)();
  BOOL(WINAPI* makeCurrent)(HDC, HGLRC);  // null: OpenGL is unavailable
};

class OVIUI2_API IWGlControl : public POClass<IWGlControl, IWControl> {
 public:
  static constexpr const char* kClassName = "OrvanelGLControl";
  // The text of the failure of "WglMakeCurrent" without a context.
  static constexpr const char* kNotInitialized = "GL control could not be initialized.";

  explicit IWGlControl(IUnknown* outer);
  ~IWGlControl() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Load(IStream* stream) override;
  // Copies only from another GLControl, and nothing of OpenGL.
  void clone(const IInterObj& source) override;

  const char* GetClassName() override { return kClassName; }
  void GetWindowClass(WNDCLASSA& wc) override;
  void SetupWindow() override;
  void CleanupWindow() override;

  void EvPaint();
  void EvSize(uint sizeType, TSize& size);
  void EvPaletteChanged(HWND changer);
  bool EvQueryNewPalette();

  // Makes the control's context current for its window's DC unless it is already.
  void makeCurrent();

  long pdGethDC();
  long pdGethRC() { return HandleAsLong(context_); }
  void imWglMakeCurrent();

  HGLRC Context() const { return context_; }
  HPALETTE Palette() const { return palette_; }

  // The process's entry points (loaded on the first field definition; all null when
  // opengl32.dll cannot be loaded).
  static const GlEntryPoints& Gl();
  static bool GlAvailable() { return Gl().makeCurrent != nullptr; }
  // Loads opengl32 from name instead (tests: a missing library); returns availability.
  static bool LoadGl(const char* library);

  // The pixel format the control asks for.
  static PIXELFORMATDESCRIPTOR RequestedFormat();
  // One colour component of palette entry index for a format with the given bits and
  // shift of that component.
  static uint8_t ComponentFromIndex(unsigned index, unsigned bits, unsigned shift);
  // The palette entries of an RGB format described by pfd: 2^cColorBits entries, with the
  // twelve system colours in place for the 8-bit 3-3-2 format. Empty above 8 bits.
  static void PaletteEntries(const PIXELFORMATDESCRIPTOR& pfd, PALETTEENTRY* out, unsigned count);

  // Replaces ChoosePixelFormat (tests: its failure); null restores the system's.
  typedef int(WINAPI* ChooseFormatFn)(HDC, const PIXELFORMATDESCRIPTOR*);
  static void SetChooseFormat(ChooseFormatFn fn);

  static long HandleAsLong(const void* h) { return (long)(LONG_PTR)h; }
  template <class H>
  static H LongAsHandle(long v) {
    return (H)(LONG_PTR)v;
  }

  static IWGlControl* Native(InterObjRep* obj) { return POClass<IWGlControl, IWControl>::Native(obj); }

 private:
  bool setupPixelFormat();
  void createRGBPalette();
  // Selects and realises the control's palette into dc, giving the one selected before.
  HPALETTE selectPalette(HDC dc);
  void releaseContext();
  void releasePalette();

  HGLRC context_ = nullptr;
  HPALETTE oldPalette_ = nullptr;
  HPALETTE palette_ = nullptr;

  DECLARE_RESPONSE_TABLE(IWGlControl);
};
