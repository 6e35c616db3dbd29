// Pen and brush descriptions: values, made GDI objects, notification and streams.
#include "owlext/extpen.h"

#include <memory>

#include "olecls/oclstream.h"
#include "owlext/owlexterror.h"

// ---- TExtPen ----

TExtPen::TExtPen(uint32_t colour, int32_t width, uint32_t style)
    : style_(style), width_(width), colour_(colour) {}

TExtPen::TExtPen(const TExtPen& o) : style_(o.style_), width_(o.width_), colour_(o.colour_) {}

TExtPen::~TExtPen() { delete pen_; }

void TExtPen::changed() {}

TExtPen& TExtPen::operator=(const TExtPen& o) {
  if (this != &o) change(o.style_, o.width_, o.colour_, true);
  return *this;
}

LOGPEN TExtPen::logPen() const {
  LOGPEN lp;
  lp.lopnStyle = style_;
  lp.lopnWidth.x = width_;
  lp.lopnWidth.y = 0;
  lp.lopnColor = TColor((COLORREF)colour_).Resolved();
  return lp;
}

const TPen& TExtPen::getPen() {
  if (!pen_) {
    LOGPEN lp = logPen();
    pen_ = new TPen(lp);
  }
  return *pen_;
}

TExtPen::operator TPen() const { return TPen(logPen()); }

void TExtPen::change(uint32_t style, int32_t width, uint32_t colour, bool notify) {
  // The old pen may still be selected into the owner's DC: it goes after the owner has
  // had its say.
  std::unique_ptr<TPen> old(pen_);
  pen_ = nullptr;
  style_ = style;
  width_ = width;
  colour_ = colour;
  if (notify) changed();
}

void TExtPen::setValues(const TExtPen& o, bool notify) { change(o.style_, o.width_, o.colour_, notify); }

void TExtPen::dirtyPen() {
  delete pen_;
  pen_ = nullptr;
}

void TExtPen::setPenColor(uint32_t colour) {
  if (colour != colour_) change(style_, width_, colour, true);
}

void TExtPen::setPenWidth(long width) {
  if (!IsPenWidth(width)) OwlExtRaise(kOwlExtInvalidArgument, "DrawWidth");
  if (width != width_) change(style_, (int32_t)width, colour_, true);
}

void TExtPen::setPenStyle(long style) {
  if (!IsPenStyle(style)) OwlExtRaise(kOwlExtInvalidArgument, "DrawStyle");
  if ((uint32_t)style != style_) change((uint32_t)style, width_, colour_, true);
}

void TExtPen::write(OCLStream& s) const {
  s.write((ULONG)style_);
  s.write((ULONG)width_);
  s.write((ULONG)colour_);
}

void TExtPen::read(OCLStream& s, const char* owner) {
  ULONG style = 0, width = 0, colour = 0;
  s.read(&style);
  s.read(&width);
  s.read(&colour);
  if (style > PS_INSIDEFRAME || !IsPenWidth((long)(int32_t)width)) OwlExtRaise(kOwlExtLoadFailed, owner);
  change(style, (int32_t)width, colour, false);
}

// ---- TExtBrush ----

TExtBrush::TExtBrush(uint32_t colour, uint32_t style, uint32_t hatch)
    : style_(style), colour_(colour), hatch_(hatch) {}

TExtBrush::TExtBrush(const TExtBrush& o) : style_(o.style_), colour_(o.colour_), hatch_(o.hatch_) {}

TExtBrush::~TExtBrush() { delete brush_; }

void TExtBrush::changed() {}

TExtBrush& TExtBrush::operator=(const TExtBrush& o) {
  if (this != &o) change(o.style_, o.colour_, o.hatch_, true);
  return *this;
}

LOGBRUSH TExtBrush::logBrush() const {
  LOGBRUSH lb;
  lb.lbStyle = style_;
  lb.lbColor = TColor((COLORREF)colour_).Resolved();
  lb.lbHatch = hatch_;
  return lb;
}

const TBrush& TExtBrush::getBrush() {
  if (!brush_) brush_ = new TBrush(logBrush());
  return *brush_;
}

TExtBrush::operator TBrush() const { return TBrush(logBrush()); }

void TExtBrush::change(uint32_t style, uint32_t colour, uint32_t hatch, bool notify) {
  std::unique_ptr<TBrush> old(brush_);
  brush_ = nullptr;
  style_ = style;
  colour_ = colour;
  hatch_ = hatch;
  if (notify) changed();
}

void TExtBrush::setValues(const TExtBrush& o, bool notify) { change(o.style_, o.colour_, o.hatch_, notify); }

void TExtBrush::dirtyBrush() {
  delete brush_;
  brush_ = nullptr;
}

void TExtBrush::setBrushColor(uint32_t colour) {
  if (colour != colour_) change(style_, colour, hatch_, true);
}

void TExtBrush::setBrushStyle(long style) {
  if (!IsBrushStyle(style)) OwlExtRaise(kOwlExtInvalidArgument, "FillStyle");
  if ((uint32_t)style != style_) change((uint32_t)style, colour_, hatch_, true);
}

void TExtBrush::setBrushHatch(long hatch) {
  if (!IsHatch(hatch)) OwlExtRaise(kOwlExtInvalidArgument, "FillStyle");
  if ((uint32_t)hatch != hatch_) change(style_, colour_, (uint32_t)hatch, true);
}

void TExtBrush::setBrushFillStyle(long f) {
  if (!IsFillStyle(f)) OwlExtRaise(kOwlExtInvalidArgument, "FillStyle");
  if (f == 0 || f == 1)
    change((uint32_t)f, colour_, hatch_, true);
  else
    change(BS_HATCHED, colour_, (uint32_t)(f - 2), true);
}

long TExtBrush::getBrushFillStyle() const {
  if (style_ == BS_SOLID || style_ == BS_HOLLOW) return (long)style_;
  return (long)hatch_ + 2;
}

void TExtBrush::write(OCLStream& s) const {
  s.write((ULONG)style_);
  s.write((ULONG)colour_);
  s.write((ULONG)hatch_);
}

void TExtBrush::read(OCLStream& s, const char* owner) {
  ULONG style = 0, colour = 0, hatch = 0;
  s.read(&style);
  s.read(&colour);
  s.read(&hatch);
  if (style > BS_HATCHED || hatch > HS_DIAGCROSS) OwlExtRaise(kOwlExtLoadFailed, owner);
  change(style, colour, hatch, false);
}
