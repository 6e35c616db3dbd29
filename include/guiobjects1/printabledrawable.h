// PrintableDrawable: the Basic Print statement on a published window whose drawing
// state is a TDrawable. The store's Print statement reaches a surface through
// Printable; a surface that derives from PrintableDrawable passes its nine Printable
// operations to the WP operations below with itself as the window and its CurrentX and
// CurrentY as the position, which they advance.
//
// The rules (the arithmetic is the store's PrintLayout, shared with every print target):
// - an item is drawn at the position (the window's Scale() units; twips without a scale)
//   in the window's effective font, with the control colours of the window and the
//   surface's pen colour as the text colour; the position moves right by its width;
// - a zone separator (",") moves to the next multiple of 14 average character widths,
//   a whole zone when the position is on a boundary;
// - Tab(n) moves to column n (0 and 1 are the scale's left edge); a column left of the
//   position starts a new line first;
// - a line end puts x on the scale's left edge and moves y down by the tallest item of
//   the line, or by the font's height when the line printed nothing;
// - numbers read as itoa/ltoa and "%g" write them.
// Nothing happens for a null or empty text, or while the window has no window object or
// no handle yet.
#pragma once

#include <cstdint>

#include "guiobjects1/oviui1_api.h"
#include "owlext/drawable.h"
#include "store/iinterobj.h"
#include "winlib/dc.h"

class IWWindow;

// The window DC through which a print operation draws: the effective font selected;
// colours set through it are put back when it closes.
class OVIUI1_API PrintableDC : public TClientDC {
 public:
  enum : uint8_t { kBkColorChanged = 1, kTextColorChanged = 2 };

  // window must have a window object with a handle (WindowHandle).
  explicit PrintableDC(IWWindow& window);
  ~PrintableDC() override;

  // Save the previous colour once, then set.
  TColor SetBkColor(TColor c);
  TColor SetTextColor(TColor c);
  // Sets the window's control colours (type 4) on this DC, saving both colours first.
  void ControlColors(IWWindow& window);
  uint8_t flags() const { return flags_; }

  // The handle of the window object behind window, or null.
  static HWND WindowHandle(IWWindow& window);

 private:
  HWND window_;
  uint8_t flags_ = 0;
  COLORREF savedBk_ = 0;
  COLORREF savedText_ = 0;
};

class OVIUI1_API PrintableDrawable : public Printable, public virtual TDrawable {
 public:
  PrintableDrawable();
  ~PrintableDrawable() override;

  // The operations the nine Printable operations pass to.
  virtual void WPPrint(IWWindow* window, float& x, float& y, short v);
  virtual void WPPrint(IWWindow* window, float& x, float& y, long v);
  virtual void WPPrint(IWWindow* window, float& x, float& y, float v);
  virtual void WPPrint(IWWindow* window, float& x, float& y, double v);
  virtual void WPPrint(IWWindow* window, float& x, float& y, const char* text);
  virtual void WPPrintSpace(IWWindow* window, float& x, float& y, int n);
  virtual void WPPrintTab(IWWindow* window, float& x, float& y, int n);
  virtual void WPPrintSeparator(IWWindow* window, float& x, float& y, PrintSepType sep);
  virtual void WPPrintDone(IWWindow* window, float& x, float& y, PrintSepType sep);

  // Client pixel positions (pixels, 0) and (0, pixels) in the window's units.
  float PixelsToUnitsX(int pixels, IWWindow& window) const;
  float PixelsToUnitsY(int pixels, IWWindow& window) const;
  // Pixel distances in the window's units (no origin).
  static float DistanceToUnitsX(int pixels, IWWindow& window);
  static float DistanceToUnitsY(int pixels, IWWindow& window);

  // The tallest text height (pixels) drawn on the current line; 0 when none.
  int32_t LineHeight() const { return lineHeight_; }

 protected:
  int32_t lineHeight_ = 0;

 private:
  // Ends the line: y down by the line height (or fontHeight when it is 0).
  void newLine(IWWindow& window, float& y, int fontHeight);
};
