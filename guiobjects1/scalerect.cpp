// ScaleRect: unit factors, mode changes, the stream block and the rectangle conversions.
#include "guiobjects1/scalerect.h"

#include <cstring>

#include "guiobjects1/iwscreen.h"
#include "olecls/oclstream.h"
#include "store/storeexcept.h"
#include "utils/xexception.h"

namespace {

const double kTwipsPerMillimeter = 56.69291338582677;
const double kTwipsPerCentimeter = 566.9291338582677;

float FloatOf(uint32_t word) {
  float f;
  std::memcpy(&f, &word, sizeof f);
  return f;
}

uint32_t WordOf(float f) {
  uint32_t w;
  std::memcpy(&w, &f, sizeof w);
  return w;
}

// Twips per unit of the modes with a fixed factor (Character: x 120, y 240); 0 for the
// others.
double FixedTwips(ScaleMode m, bool vertical) {
  switch (m) {
    case kScaleTwip:
      return 1;
    case kScalePoint:
      return 20;
    case kScaleCharacter:
      return vertical ? 240 : 120;
    case kScaleInch:
      return 1440;
    case kScaleMillimeter:
      return kTwipsPerMillimeter;
    case kScaleCentimeter:
      return kTwipsPerCentimeter;
    default:
      return 0;
  }
}

float ScreenTwips(float given, short screen) { return given != 0 ? given : (float)screen; }

int32_t Truncate(long double v) { return (int32_t)v; }

long double IllegalMode() {
  utilsAssert("\"ERROR: illegal scale mode\" == 0", __FILE__, __LINE__);
  return 0;
}

}  // namespace

ScaleRect::ScaleRect(float devTwipsX, float devTwipsY)
    : devX_(ScreenTwips(devTwipsX, IWScreen::TwipsPerPixelX())),
      devY_(ScreenTwips(devTwipsY, IWScreen::TwipsPerPixelY())) {}

float ScaleRect::customTwipsX() const { return FloatOf(hword_); }
float ScaleRect::customTwipsY() const { return FloatOf(vword_); }

void ScaleRect::checkExtentX() const {
  if (ScaleWidth == 0) throw StoreException(kMsgInvalidArgument, "ScaleWidth");
}

void ScaleRect::checkExtentY() const {
  if (ScaleHeight == 0) throw StoreException(kMsgInvalidArgument, "ScaleHeight");
}

long double ScaleRect::TwipsPerUnitX() const {
  switch (mode_) {
    case kScaleCustom:
      return FloatOf(hword_);
    case kScalePixel:
      return devX_;
    case kScaleProportional:
      checkExtentX();
      return (long double)(int32_t)hword_ * devX_ / ScaleWidth;
    default:
      if (mode_ < kScaleModeCount) return FixedTwips(mode_, false);
      return IllegalMode();
  }
}

long double ScaleRect::TwipsPerUnitY() const {
  switch (mode_) {
    case kScaleCustom:
      return FloatOf(vword_);
    case kScalePixel:
      return devY_;
    case kScaleProportional:
      checkExtentY();
      return (long double)(int32_t)vword_ * devY_ / ScaleHeight;
    default:
      if (mode_ < kScaleModeCount) return FixedTwips(mode_, true);
      return IllegalMode();
  }
}

long double ScaleRect::PixelsPerUnitX() const {
  switch (mode_) {
    case kScaleProportional:
      checkExtentX();
      return (long double)(int32_t)hword_ / ScaleWidth;
    case kScalePixel:
      return 1;
    default:
      if (mode_ >= kScaleModeCount) return IllegalMode();
      return devX_ != 0 ? TwipsPerUnitX() / devX_ : 0;
  }
}

long double ScaleRect::PixelsPerUnitY() const {
  switch (mode_) {
    case kScaleProportional:
      checkExtentY();
      return (long double)(int32_t)vword_ / ScaleHeight;
    case kScalePixel:
      return 1;
    default:
      if (mode_ >= kScaleModeCount) return IllegalMode();
      return devY_ != 0 ? TwipsPerUnitY() / devY_ : 0;
  }
}

void ScaleRect::SetScaleMode(int m, int32_t w, int32_t h) {
  if (m < 0 || m >= kScaleModeCount) return;
  if (m == kScaleCustom) {
    // Refused before anything changes: the frozen factors would divide by the extent.
    checkExtentX();
    checkExtentY();
  }
  mode_ = (ScaleMode)m;
  if (m >= kScaleTwip && m <= kScaleCentimeter) ScaleLeft = ScaleTop = 0;
  if (m == kScaleCustom) {
    hword_ = WordOf((float)((double)w * devX_ / ScaleWidth));
    vword_ = WordOf((float)((double)h * devY_ / ScaleHeight));
  }
  SetPixelWidth(w, devX_);
  SetPixelHeight(h, devY_);
}

void ScaleRect::SetPixelWidth(int32_t w, float t) {
  if (mode_ == kScaleProportional) {
    hword_ = (uint32_t)w;
    return;
  }
  if (mode_ == kScalePixel) {
    ScaleWidth = (float)w;
    return;
  }
  if (t == 0) t = devX_;
  double twips = (double)w * t;
  if (mode_ == kScaleCustom) {
    float perUnit = FloatOf(hword_);
    if (perUnit != 0) ScaleWidth = (float)(twips / perUnit);  // a zero factor keeps the extent
    return;
  }
  double f = FixedTwips(mode_, false);
  if (f != 0) ScaleWidth = (float)(twips / f);
}

void ScaleRect::SetPixelHeight(int32_t h, float t) {
  if (mode_ == kScaleProportional) {
    vword_ = (uint32_t)h;
    return;
  }
  if (mode_ == kScalePixel) {
    ScaleHeight = (float)h;
    return;
  }
  if (t == 0) t = devY_;
  double twips = (double)h * t;
  if (mode_ == kScaleCustom) {
    float perUnit = FloatOf(vword_);
    if (perUnit != 0) ScaleHeight = (float)(twips / perUnit);
    return;
  }
  double f = FixedTwips(mode_, true);
  if (f != 0) ScaleHeight = (float)(twips / f);
}

void ScaleRect::Write(OCLStream& s) const {
  s.write(ScaleLeft);
  s.write(ScaleTop);
  s.write(ScaleWidth);
  s.write(ScaleHeight);
  s.write((UCHAR)mode_);
  s.write((ULONG)hword_);
  s.write((ULONG)vword_);
}

void ScaleRect::Read(OCLStream& s, const char* owner) {
  float left = 0, top = 0, width = 0, height = 0;
  UCHAR m = 0;
  ULONG h = 0, v = 0;
  s.read(&left);
  s.read(&top);
  s.read(&width);
  s.read(&height);
  s.read(&m);
  if (m >= kScaleModeCount) throw ObjectLoadFailed(owner ? owner : "ScaleRect");
  s.read(&h);
  s.read(&v);
  ScaleLeft = left;
  ScaleTop = top;
  ScaleWidth = width;
  ScaleHeight = height;
  mode_ = (ScaleMode)m;
  hword_ = h;
  vword_ = v;
}

LongRect ScaleRect::UnitsToTwips(const ScaleRect* s, const UnitRect& r) {
  if (!s)
    return {Truncate(r.left + 0.5L), Truncate(r.top + 0.5L), Truncate(r.width + 0.5L),
            Truncate(r.height + 0.5L)};
  long double tx = s->TwipsPerUnitX(), ty = s->TwipsPerUnitY();
  return {Truncate(tx * (r.left - s->ScaleLeft)), Truncate(ty * (r.top - s->ScaleTop)),
          Truncate((tx < 0 ? -tx : tx) * r.width), Truncate((ty < 0 ? -ty : ty) * r.height)};
}

LongRect ScaleRect::UnitsToPixels(const ScaleRect* s, const UnitRect& r) {
  if (!s) {
    long double tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
    if (tx == 0 || ty == 0) return {0, 0, 0, 0};
    return {Truncate(r.left / tx + 0.5L), Truncate(r.top / ty + 0.5L), Truncate(r.width / tx + 0.5L),
            Truncate(r.height / ty + 0.5L)};
  }
  long double px = s->PixelsPerUnitX(), py = s->PixelsPerUnitY();
  return {Truncate((r.left - s->ScaleLeft) * px + 0.5L), Truncate((r.top - s->ScaleTop) * py + 0.5L),
          Truncate((px < 0 ? -px : px) * r.width + 0.5L), Truncate((py < 0 ? -py : py) * r.height + 0.5L)};
}

LongRect ScaleRect::PixelsToTwips(const LongRect& r) {
  int32_t tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  return {r.left * tx, r.top * ty, r.width * tx, r.height * ty};
}
