// TBevelBorder: the border a window draws inside its own client area, from the outside
// in: an outline, an outer bevel, a flat band and an inner bevel. It holds the five
// Basic properties of the border (BevelInner, BevelOuter, BevelWidth, BorderWidth,
// Outlined), answers the border's thickness and the rectangle left inside it, paints it
// and saves it. Windows use it as a mix-in; borderChanged (its one virtual operation
// besides the destructor) runs after each accepted property change.
//
// Refusals: a bevel style outside 0..3 and a width above 255 are refused with 32712
// naming the property (OwlExtRaise); a negative width is ignored. Neither changes the
// border or notifies. A stored style outside 0..3 fails to load.
//
// Stream form: five unsigned bytes: bevel inner, bevel outer, bevel width, border
// width, outlined (0 or 1).
#pragma once

#include <cstdint>

#include "owlext/ovgui2_api.h"
#include "winlib/geometry.h"

class OCLStream;
class TDC;
class TWindow;

enum BorderStyleType : uint8_t { BOR_NONE = 0, BOR_SINGLE = 1, BOR_LOWERED = 2, BOR_RAISED = 3 };

class OVGUI2_API TBevelBorder {
 public:
  TBevelBorder() = default;
  TBevelBorder(const TBevelBorder& other) = default;
  virtual void borderChanged();  // nothing here
  virtual ~TBevelBorder();

  TBevelBorder& operator=(const TBevelBorder& other);  // the five members; no notification

  // Outer bevel width (when there is one) + border width + inner bevel width (when
  // there is one) + 1 when outlined.
  int GetBorderSize() const;
  // The rectangle inside the border, from (0, 0) over the window's size (the window
  // rectangle once it exists, else its creation size) less the scroll bars; empty, never
  // inverted, when the border takes it all. window must not be null.
  TRect GetUsableRect(TWindow* window) const;
  // Takes the live window's scroll bars off the right and bottom of r.
  static void RemoveScrollbarArea(TWindow& window, TRect& r);
  // Paints the border of window into dc (the same outer rectangle as GetUsableRect).
  void drawBorder(TWindow& window, TDC& dc);
  // One bevel of the border's bevel width along the inside of r.
  void drawBevel(TDC& dc, TRect& r, BorderStyleType style);
  // After a size change of window to newSize (sizeType 0, restored): invalidates the
  // right and bottom border strips that must be painted again.
  void damageBorder(TWindow& window, unsigned sizeType, TSize& newSize);

  long pdGetBevelInner() const { return bevelInner_; }
  long pdGetBevelOuter() const { return bevelOuter_; }
  short pdGetBevelWidth() const { return bevelWidth_; }
  short pdGetBorderWidth() const { return borderWidth_; }
  long pdGetOutlined() const { return outlined_ ? -1 : 0; }
  void pdSetBevelInner(long style);
  void pdSetBevelOuter(long style);
  void pdSetBevelWidth(short width);
  void pdSetBorderWidth(short width);
  void pdSetOutlined(long on);

  void write(OCLStream& s) const;
  void read(OCLStream& s, const char* owner = "BevelBorder");

  static bool IsBorderStyle(long style) { return style >= BOR_NONE && style <= BOR_RAISED; }

 protected:
  // The window's outer rectangle less its scroll bars.
  static TRect OuterRect(TWindow& window);

  uint8_t bevelInner_ = BOR_NONE;
  uint8_t bevelOuter_ = BOR_NONE;
  uint8_t bevelWidth_ = 2;
  uint8_t borderWidth_ = 0;
  uint8_t outlined_ = 0;
};
