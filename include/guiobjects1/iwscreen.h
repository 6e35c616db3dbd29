// IWScreen: the published "Screen" (a root class): the display's metrics, the
// application-wide mouse pointer, the installed font families and a walk over the
// top-level windows. It stores nothing of its own (its block is the revision byte).
//
// TwipsPerPixelX/Y are the system's one source of the screen resolution: every
// conversion between twips and pixels calls them, and they ask the display each time
// (1440 / logical pixels per inch; -1 when the display reports no resolution).
#pragma once

#include <windows.h>

#include "guiobjects1/oviui1_api.h"
#include "store/poclass.h"

class ValStringRep;

// "MousePointerSelector": the pointers MousePointer takes.
enum MousePointerSelector {
  kPointerDefault = 0,  // none: the window's class cursor
  kPointerArrow,
  kPointerCrosshair,
  kPointerIBeam,
  kPointerIcon,
  kPointerSize,
  kPointerSizeNESW,
  kPointerSizeNS,
  kPointerSizeNWSE,
  kPointerSizeWE,
  kPointerUpArrow,
  kPointerHourglass,
  kPointerNoDrop,
  kPointerHelp,
  kPointerCount
};

class OVIUI1_API IWScreen : public POClass<IWScreen> {
 public:
  explicit IWScreen(IUnknown* outer);
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  void PO_DeclareFields(SignatureRep& sig);

  static short TwipsPerPixelX();
  static short TwipsPerPixelY();
  // The system cursor id of a pointer value (0 for none or a value outside the table),
  // and back (0 for an id not in the table).
  static unsigned long CursorID(long pointer);
  static long CursorEnum(unsigned long cursorId);

  long pdGetMousePointer();
  // Loads n's system cursor and makes it the window library's global cursor (none for
  // 0 or a value outside the table); MousePointer then reads n, or 0 when nothing was
  // loaded.
  void pdSetMousePointer(long n);
  float pdGetWidth();  // twips; -1 without a resolution
  float pdGetHeight();
  short pdGetTwipsPerPixelX() { return TwipsPerPixelX(); }
  short pdGetTwipsPerPixelY() { return TwipsPerPixelY(); }
  short pdGetFontCount();
  short pdGetpixelWidth();
  short pdGetpixelHeight();
  short pdGetmmWidth();
  short pdGetmmHeight();
  short pdGetpixelsPerInchX();
  short pdGetpixelsPerInchY();

  // The face name of font family index (in enumeration order); no string for an index
  // outside 0 .. FontCount - 1.
  ValStringRep* imFonts(short index);
  // Calls o's member methodName with each top-level window's handle until one answers
  // non-zero (that answer is the result); 0 when every window was visited; -1 for
  // Nothing, an empty name, or when o stops referring to an object.
  long imEnumWindows(InterObj* o, const char* methodName);
};
