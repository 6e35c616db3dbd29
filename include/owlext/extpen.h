// Pen and brush descriptions: the logical values of a pen (style, width, colour, in the
// shape of a LOGPEN) and of a brush (style, colour, hatch, in the shape of a LOGBRUSH),
// with the window library's TPen or TBrush made from them on first use and owned.
//
// A setter that changes a value drops the made GDI object and calls the description's
// change notification (its second virtual operation; empty here). The dropped object is
// deleted only after the notification, so that an owner can select the new one into a
// device context before the old one goes: a GDI object is never deleted while selected.
//
// Colours may be system colours (the high bit set, the index in the low byte): they are
// looked up when the GDI object is made.
//
// Values that cannot describe a pen or brush are refused (OwlExtRaise, 32712) and leave
// the description as it was: a pen style outside 0..6 ("DrawStyle"), a width outside
// 0..32767 ("DrawWidth"), a fill style outside 0..7 ("FillStyle"), a brush style outside
// 0..2 or a hatch outside 0..5. Stream blocks with such values fail to load.
//
// Stream forms (unsigned 32-bit each): pen style, width, colour; brush style, colour,
// hatch.
#pragma once

#include <cstdint>

#include "owlext/ovgui2_api.h"
#include "winlib/gdiobjects.h"

class OCLStream;

class OVGUI2_API TExtPen {
 public:
  TExtPen(uint32_t colour = 0, int32_t width = 1, uint32_t style = PS_SOLID);
  TExtPen(const TExtPen& other);  // the values; no GDI object
  virtual ~TExtPen();
  virtual void changed();  // a value changed; nothing here

  // Copies the three values, drops the made pen and notifies.
  TExtPen& operator=(const TExtPen& other);

  const TPen& getPen();   // made on first use
  operator TPen() const;  // a new pen of the same values
  LOGPEN logPen() const;  // colours resolved

  uint32_t getPenColor() const { return colour_; }
  int32_t getPenWidth() const { return width_; }
  uint32_t getPenStyle() const { return style_; }
  void setPenColor(uint32_t colour);
  void setPenWidth(long width);
  void setPenStyle(long style);
  void dirtyPen();  // deletes the made pen
  // The values of other; notify: as assignment does. The made pen is dropped either way.
  void setValues(const TExtPen& other, bool notify);

  void write(OCLStream& s) const;
  // A style or width out of range fails with kOwlExtLoadFailed naming owner.
  void read(OCLStream& s, const char* owner = "Pen");

  static bool IsPenStyle(long style) { return style >= PS_SOLID && style <= PS_INSIDEFRAME; }
  static bool IsPenWidth(long width) { return width >= 0 && width <= 0x7FFF; }

 private:
  // Stores the values and drops the pen, keeping it alive until the notification ran.
  void change(uint32_t style, int32_t width, uint32_t colour, bool notify);

  // In the shape of a LOGPEN: style, width (x), a word never set (y), colour.
  uint32_t style_;
  int32_t width_;
  int32_t unused_ = 0;
  uint32_t colour_;
  TPen* pen_ = nullptr;
};

class OVGUI2_API TExtBrush {
 public:
  TExtBrush(uint32_t colour = 0, uint32_t style = BS_SOLID, uint32_t hatch = 0);
  TExtBrush(const TExtBrush& other);
  virtual ~TExtBrush();
  virtual void changed();

  TExtBrush& operator=(const TExtBrush& other);

  const TBrush& getBrush();
  operator TBrush() const;
  LOGBRUSH logBrush() const;

  uint32_t getBrushColor() const { return colour_; }
  uint32_t getBrushStyle() const { return style_; }
  uint32_t getBrushHatch() const { return hatch_; }
  void setBrushColor(uint32_t colour);
  void setBrushStyle(long style);  // 0 solid, 1 hollow, 2 hatched
  void setBrushHatch(long hatch);  // HS_HORIZONTAL (0) .. HS_DIAGCROSS (5)
  // Fill style f: 0 solid, 1 hollow, 2..7 hatched with hatch f - 2.
  void setBrushFillStyle(long f);
  long getBrushFillStyle() const;
  void dirtyBrush();
  void setValues(const TExtBrush& other, bool notify);

  void write(OCLStream& s) const;
  void read(OCLStream& s, const char* owner = "Brush");

  static bool IsBrushStyle(long style) { return style >= BS_SOLID && style <= BS_HATCHED; }
  static bool IsHatch(long hatch) { return hatch >= HS_HORIZONTAL && hatch <= HS_DIAGCROSS; }
  static bool IsFillStyle(long f) { return f >= 0 && f <= 7; }

 private:
  void change(uint32_t style, uint32_t colour, uint32_t hatch, bool notify);

  // In the shape of a LOGBRUSH (with a 32-bit hatch): style, colour, hatch.
  uint32_t style_;
  uint32_t colour_;
  uint32_t hatch_;
  TBrush* brush_ = nullptr;
};

// The pen and brush of the published Pen and Brush objects: white, width 1, solid.
class OVGUI2_API TPenUser : public TExtPen {
 public:
  TPenUser() : TExtPen(0xFFFFFF, 1, PS_SOLID) {}
  void setPen(const TExtPen& pen) { TExtPen::operator=(pen); }
};

class OVGUI2_API TBrushUser : public TExtBrush {
 public:
  TBrushUser() : TExtBrush(0xFFFFFF, BS_SOLID, 0) {}
  void setBrush(const TExtBrush& brush) { TExtBrush::operator=(brush); }
};
