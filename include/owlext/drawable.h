// TDrawable: the drawing state of every published surface (form, printer, drawable,
// image, markup layer, picture box): a pen, a brush, a raster draw mode, a bevel border
// and a current position in drawing units, with the Basic drawing methods and the
// accessors behind DrawMode, CurrentX, CurrentY, hDC and the pen and brush properties.
//
// It does not know where it draws. The derived object answers getDC (the device
// context, often one it made once and keeps as the cached DC), releaseDC, getBkColor
// and DrawUnits2Pixels (a position in drawing units to device pixels), and is told of
// changes through drawableChanged. DrawableDC holds what getDC answered for one drawing
// operation. Without a device context every drawing method draws nothing and raises
// nothing; the position still moves where the method moves it.
//
// Sizes (the corner of RoundRect, the radius of AngleArc) convert through
// DrawUnits2PixelSize: the pixels-per-unit factor without the scale's origin.
//
// Refusals (32712 through OwlExtRaise, nothing drawn, nothing changed): a draw mode
// outside 1..16 ("DrawMode"); a poly count below what the call needs (2 points for
// Polyline and Polygon, 1 + 3n with n >= 1 for PolyBezier) or above the length of
// either array ("count"); a negative AngleArc radius ("radius").
//
// Stream block: pen (style, width, colour), brush (style, colour, hatch), the five
// border bytes, draw mode (unsigned 32-bit): 33 bytes. The position and the cached DC
// are not stored. A damaged block fails with kOwlExtLoadFailed and changes nothing.
#pragma once

#include <cstdint>

#include "owlext/bevelborder.h"
#include "owlext/extpen.h"
#include "owlext/ovgui2_api.h"
#include "winlib/geometry.h"

class OCLStream;
class TDC;
class TDrawable;

// A Basic array of Singles as the poly methods take it: its elements and their number.
struct TSingleArray {
  const float* data;
  long count;
};

class OVGUI2_API TDrawable : public TBevelBorder {
 public:
  enum { kDefaultDrawMode = R2_COPYPEN, kStreamBytes = 33 };
  // What the poly routine draws.
  enum PolyKind { kPolyline = 0, kPolygon = 1, kPolyBezier = 2 };
  // What the arc routine draws.
  enum ArcKind { kArc = 0, kChord = 1, kPie = 2 };

  TDrawable();
  TDrawable(const TDrawable&) = delete;

  // ---- virtual operations, in slot order ----
  void borderChanged() override;    // drawableChanged(1)
  ~TDrawable() override;            // deletes a cached DC still held
  virtual void* getObject();        // the published object behind the surface; none
  virtual TDC* getDC();             // the device context to draw on; none
  virtual void releaseDC(TDC* dc);  // gives back what getDC answered; nothing
  virtual uint32_t getBkColor();    // 0
  virtual void DrawUnits2Pixels(float x, float y, TPoint& out) = 0;
  virtual void PenChanged();                 // selects the new pen into a cached DC; drawableChanged(0)
  virtual void BrushChanged();               // the same for the brush
  virtual void drawableChanged(int border);  // nothing
  virtual void drawableCls();                // nothing
  // A size in drawing units to pixels. Here: the difference of the positions (w, h) and
  // (0, 0), so that a scale's origin cancels out.
  virtual void DrawUnits2PixelSize(float w, float h, TSize& out);

  // Copies draw mode, position, pen and brush (each notifying), then the border.
  TDrawable& operator=(const TDrawable& other);

  // Selects pen and brush into the cached DC, sets its background colour to getBkColor()
  // and its raster operation to the draw mode. The cached DC must exist ("cachedDC").
  void configureDC();

  // ---- the cached DC (the derived object fills it; the surface deletes it) ----
  TDC* GetCachedDC() const { return CachedDC; }
  // Deletes the one held before (unless it is dc).
  void SetCachedDC(TDC* dc);

  // ---- pen and brush ----
  TExtPen& GetPen() { return pen_; }
  TExtBrush& GetBrush() { return brush_; }
  const TExtPen& GetPen() const { return pen_; }
  const TExtBrush& GetBrush() const { return brush_; }
  // Assign a description (the Pen and Brush objects' SetPen, SetBrush).
  void SetPen(const TExtPen& pen) { pen_ = pen; }
  void SetBrush(const TExtBrush& brush) { brush_ = brush; }

  // ---- Basic properties ----
  long pdGetDrawMode() const { return drawMode_; }
  void pdSetDrawMode(long mode);
  float pdGetCurrentX() const { return CurrentX; }
  float pdGetCurrentY() const { return CurrentY; }
  void pdSetCurrentX(float x) { CurrentX = x; }
  void pdSetCurrentY(float y) { CurrentY = y; }
  long pdGethDC();
  long pdGetDrawColor() const { return (long)pen_.getPenColor(); }
  void pdSetDrawColor(long colour) { pen_.setPenColor((uint32_t)colour); }
  short pdGetDrawWidth() const { return (short)pen_.getPenWidth(); }
  void pdSetDrawWidth(short width) { pen_.setPenWidth(width); }
  long pdGetDrawStyle() const { return (long)pen_.getPenStyle(); }
  void pdSetDrawStyle(long style) { pen_.setPenStyle(style); }
  long pdGetFillColor() const { return (long)brush_.getBrushColor(); }
  void pdSetFillColor(long colour) { brush_.setBrushColor((uint32_t)colour); }
  long pdGetFillStyle() const { return brush_.getBrushFillStyle(); }
  void pdSetFillStyle(long f) { brush_.setBrushFillStyle(f); }

  // ---- Basic methods (drawing units) ----
  void imMoveTo(float x, float y);
  void imLineTo(float x, float y);   // moves the position also without a DC
  void imCls();                      // position 0, 0, then drawableCls
  void imTextOut(const char* text);  // at the position, which stays; null draws nothing
  void imRectangle(float x1, float y1, float x2, float y2);
  void imEllipse(float x1, float y1, float x2, float y2);
  // (x3, y3): the corner ellipse's width and height, a size.
  void imRoundRect(float x1, float y1, float x2, float y2, float x3, float y3);
  void imPolyline(const TSingleArray& x, const TSingleArray& y, long count);
  void imPolygon(const TSingleArray& x, const TSingleArray& y, long count);
  void imPolyBezier(const TSingleArray& x, const TSingleArray& y, long count);
  void imAngleArc(float x, float y, float radius, float startAngle, float sweepAngle);
  void imArc(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);
  void imChord(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);
  void imPie(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);

  // The shared routines.
  void drawPoly(PolyKind kind, const TSingleArray& x, const TSingleArray& y, long count);
  void drawArc(ArcKind kind, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);
  // The smallest count kind accepts, and whether count suits it.
  static long MinPolyCount(PolyKind kind);
  static bool IsPolyCount(PolyKind kind, long count);
  static bool IsDrawMode(long mode) { return mode >= R2_BLACK && mode <= R2_WHITE; }

  // ---- stream block ----
  void write(OCLStream& s) const;
  // owner names the class in a load failure.
  void read(OCLStream& s, const char* owner = "Drawable");

  // The current position, in drawing units; the print operations advance it through
  // references.
  float CurrentX = 0;
  float CurrentY = 0;

 protected:
  friend class DrawableDC;

  // The pen and brush that tell this surface of their changes.
  class Pen : public TExtPen {
   public:
    explicit Pen(TDrawable& owner) : TExtPen(0, 1, PS_SOLID), owner_(owner) {}
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen& other) { return *this = static_cast<const TExtPen&>(other); }
    Pen& operator=(const TExtPen& other) {
      TExtPen::operator=(other);
      return *this;
    }
    void changed() override { owner_.PenChanged(); }

   private:
    TDrawable& owner_;
  };
  class Brush : public TExtBrush {
   public:
    explicit Brush(TDrawable& owner) : TExtBrush(0, BS_SOLID, 0), owner_(owner) {}
    Brush(const Brush&) = delete;
    Brush& operator=(const Brush& other) { return *this = static_cast<const TExtBrush&>(other); }
    Brush& operator=(const TExtBrush& other) {
      TExtBrush::operator=(other);
      return *this;
    }
    void changed() override { owner_.BrushChanged(); }

   private:
    TDrawable& owner_;
  };

  Pen pen_;
  Brush brush_;
  int32_t drawMode_ = kDefaultDrawMode;
  TDC* CachedDC = nullptr;
};

// The device context of one drawing operation: getDC on construction, releaseDC with
// the same context on destruction.
class OVGUI2_API DrawableDC {
 public:
  explicit DrawableDC(TDrawable& surface);
  ~DrawableDC();
  DrawableDC(const DrawableDC&) = delete;
  DrawableDC& operator=(const DrawableDC&) = delete;

  bool is() const { return dc_ != nullptr; }
  TDC* get() const { return dc_; }
  TDC& dc() const;  // the context; asserts "dc" when there is none
  operator TDC&() const { return dc(); }
  TDC* operator->() const { return &dc(); }

 private:
  TDC* dc_;
  TDrawable& surface_;
};
