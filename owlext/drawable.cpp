// TDrawable: the drawing state, the cached DC and the Basic drawing methods.
#include "owlext/drawable.h"

#include <cstring>
#include <vector>

#include "olecls/oclstream.h"
#include "owlext/owlexterror.h"
#include "utils/xexception.h"
#include "winlib/dc.h"

// ---- DrawableDC ----

DrawableDC::DrawableDC(TDrawable& surface) : dc_(surface.getDC()), surface_(surface) {}

DrawableDC::~DrawableDC() { surface_.releaseDC(dc_); }

TDC& DrawableDC::dc() const {
  if (!dc_) utilsAssert("dc", "drawable", __LINE__);
  return *dc_;
}

// ---- TDrawable: state ----

TDrawable::TDrawable() : pen_(*this), brush_(*this) {}

TDrawable::~TDrawable() {
  delete CachedDC;
  CachedDC = nullptr;
}

void TDrawable::borderChanged() { drawableChanged(1); }
void* TDrawable::getObject() { return nullptr; }
TDC* TDrawable::getDC() { return nullptr; }
void TDrawable::releaseDC(TDC*) {}
uint32_t TDrawable::getBkColor() { return 0; }
void TDrawable::drawableChanged(int) {}
void TDrawable::drawableCls() {}

void TDrawable::DrawUnits2PixelSize(float w, float h, TSize& out) {
  TPoint origin, corner;
  DrawUnits2Pixels(0, 0, origin);
  DrawUnits2Pixels(w, h, corner);
  out = TSize(corner.x - origin.x, corner.y - origin.y);
}

void TDrawable::PenChanged() {
  if (CachedDC) CachedDC->SelectObject(pen_.getPen());
  drawableChanged(0);
}

void TDrawable::BrushChanged() {
  if (CachedDC) CachedDC->SelectObject(brush_.getBrush());
  drawableChanged(0);
}

TDrawable& TDrawable::operator=(const TDrawable& o) {
  if (this == &o) return *this;
  if (CachedDC && o.drawMode_ != drawMode_) CachedDC->SetROP2(o.drawMode_);
  drawMode_ = o.drawMode_;
  CurrentX = o.CurrentX;
  CurrentY = o.CurrentY;
  pen_ = o.pen_;
  brush_ = o.brush_;
  TBevelBorder::operator=(o);
  return *this;
}

void TDrawable::configureDC() {
  if (!CachedDC) utilsAssert("cachedDC", "drawable", __LINE__);
  CachedDC->SelectObject(pen_.getPen());
  CachedDC->SelectObject(brush_.getBrush());
  CachedDC->SetBkColor(TColor((COLORREF)getBkColor()));
  CachedDC->SetROP2(drawMode_);
}

void TDrawable::SetCachedDC(TDC* dc) {
  if (dc == CachedDC) return;
  delete CachedDC;
  CachedDC = dc;
}

void TDrawable::pdSetDrawMode(long mode) {
  if (!IsDrawMode(mode)) OwlExtRaise(kOwlExtInvalidArgument, "DrawMode");
  if (CachedDC) CachedDC->SetROP2((int)mode);
  if (mode == drawMode_) return;
  drawMode_ = (int32_t)mode;
  drawableChanged(0);
}

long TDrawable::pdGethDC() {
  DrawableDC dc(*this);
  return CachedDC ? (long)(LONG_PTR)CachedDC->GetHDC() : 0;
}

// ---- TDrawable: drawing ----

void TDrawable::imMoveTo(float x, float y) {
  CurrentX = x;
  CurrentY = y;
}

void TDrawable::imLineTo(float x, float y) {
  {
    DrawableDC dc(*this);
    if (dc.is()) {
      TPoint from, to;
      DrawUnits2Pixels(CurrentX, CurrentY, from);
      DrawUnits2Pixels(x, y, to);
      dc->MoveTo(from);
      dc->LineTo(to);
    }
  }
  CurrentX = x;
  CurrentY = y;
}

void TDrawable::imCls() {
  CurrentX = 0;
  CurrentY = 0;
  drawableCls();
}

void TDrawable::imTextOut(const char* text) {
  // Basic's null string arrives as a null pointer: it has nothing to draw.
  if (!text || !*text) return;
  DrawableDC dc(*this);
  if (!dc.is()) return;
  TPoint at;
  DrawUnits2Pixels(CurrentX, CurrentY, at);
  dc->ExtTextOut(at.x, at.y, 0, nullptr, text, (int)std::strlen(text));
}

namespace {

TRect RectOf(const TPoint& a, const TPoint& b) { return TRect(a.x, a.y, b.x, b.y); }

}  // namespace

void TDrawable::imRectangle(float x1, float y1, float x2, float y2) {
  DrawableDC dc(*this);
  if (!dc.is()) return;
  TPoint a, b;
  DrawUnits2Pixels(x1, y1, a);
  DrawUnits2Pixels(x2, y2, b);
  dc->Rectangle(RectOf(a, b));
}

void TDrawable::imEllipse(float x1, float y1, float x2, float y2) {
  DrawableDC dc(*this);
  if (!dc.is()) return;
  TPoint a, b;
  DrawUnits2Pixels(x1, y1, a);
  DrawUnits2Pixels(x2, y2, b);
  dc->Ellipse(RectOf(a, b));
}

void TDrawable::imRoundRect(float x1, float y1, float x2, float y2, float x3, float y3) {
  DrawableDC dc(*this);
  if (!dc.is()) return;
  TPoint a, b;
  TSize corner;
  DrawUnits2Pixels(x1, y1, a);
  DrawUnits2Pixels(x2, y2, b);
  DrawUnits2PixelSize(x3, y3, corner);
  dc->RoundRect(RectOf(a, b), corner);
}

long TDrawable::MinPolyCount(PolyKind kind) { return kind == kPolyBezier ? 4 : 2; }

bool TDrawable::IsPolyCount(PolyKind kind, long count) {
  if (count < MinPolyCount(kind)) return false;
  return kind != kPolyBezier || (count - 1) % 3 == 0;
}

void TDrawable::drawPoly(PolyKind kind, const TSingleArray& x, const TSingleArray& y, long count) {
  // The count is Basic's: it may be anything, and the arrays must hold that many.
  if (!IsPolyCount(kind, count)) OwlExtRaise(kOwlExtInvalidArgument, "count");
  if (!x.data || !y.data || count > x.count || count > y.count) OwlExtRaise(kOwlExtInvalidArgument, "count");
  DrawableDC dc(*this);
  if (!dc.is()) return;
  std::vector<TPoint> points((size_t)count);
  for (long i = 0; i < count; ++i) DrawUnits2Pixels(x.data[i], y.data[i], points[(size_t)i]);
  switch (kind) {
    case kPolyline:
      dc->Polyline(points.data(), (int)count);
      break;
    case kPolygon:
      dc->Polygon(points.data(), (int)count);
      break;
    case kPolyBezier:
      dc->PolyBezier(points.data(), (int)count);
      break;
  }
}

void TDrawable::imPolyline(const TSingleArray& x, const TSingleArray& y, long count) {
  drawPoly(kPolyline, x, y, count);
}

void TDrawable::imPolygon(const TSingleArray& x, const TSingleArray& y, long count) {
  drawPoly(kPolygon, x, y, count);
}

void TDrawable::imPolyBezier(const TSingleArray& x, const TSingleArray& y, long count) {
  drawPoly(kPolyBezier, x, y, count);
}

void TDrawable::imAngleArc(float x, float y, float radius, float startAngle, float sweepAngle) {
  if (radius < 0) OwlExtRaise(kOwlExtInvalidArgument, "radius");
  DrawableDC dc(*this);
  if (!dc.is()) return;
  TPoint centre;
  TSize r;
  DrawUnits2Pixels(x, y, centre);
  DrawUnits2PixelSize(radius, radius, r);
  dc->AngleArc(centre, (uint)(r.cx < 0 ? -r.cx : r.cx), startAngle, sweepAngle);
}

void TDrawable::drawArc(ArcKind kind, float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                        float y4) {
  DrawableDC dc(*this);
  if (!dc.is()) return;
  TPoint a, b, start, end;
  DrawUnits2Pixels(x1, y1, a);
  DrawUnits2Pixels(x2, y2, b);
  DrawUnits2Pixels(x3, y3, start);
  DrawUnits2Pixels(x4, y4, end);
  switch (kind) {
    case kArc:
      dc->Arc(RectOf(a, b), start, end);
      break;
    case kChord:
      dc->Chord(RectOf(a, b), start, end);
      break;
    case kPie:
      dc->Pie(RectOf(a, b), start, end);
      break;
  }
}

void TDrawable::imArc(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
  drawArc(kArc, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TDrawable::imChord(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
  drawArc(kChord, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TDrawable::imPie(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
  drawArc(kPie, x1, y1, x2, y2, x3, y3, x4, y4);
}

// ---- TDrawable: stream block ----

void TDrawable::write(OCLStream& s) const {
  pen_.write(s);
  brush_.write(s);
  TBevelBorder::write(s);
  s.write((ULONG)drawMode_);
}

void TDrawable::read(OCLStream& s, const char* owner) {
  // Everything is read and checked before anything changes.
  TExtPen pen;
  TExtBrush brush;
  TBevelBorder border;
  ULONG mode = 0;
  pen.read(s, owner);
  brush.read(s, owner);
  border.read(s, owner);
  s.read(&mode);
  if (!IsDrawMode((long)(int32_t)mode)) OwlExtRaise(kOwlExtLoadFailed, owner);
  // A loaded block does not notify; a cached DC lets go of the old pen and brush before
  // they are deleted and takes the new ones.
  if (CachedDC) {
    CachedDC->RestorePen();
    CachedDC->RestoreBrush();
  }
  pen_.setValues(pen, false);
  brush_.setValues(brush, false);
  TBevelBorder::operator=(border);
  drawMode_ = (int32_t)mode;
  if (CachedDC) configureDC();
}
