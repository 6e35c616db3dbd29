// ScaleRect: the coordinate system of a drawing surface (a form's client area, the
// printer's page): a scale mode, the user's origin and extent, and the device's twips
// per pixel. It converts between user units, twips (1/1440 inch) and pixels.
//
// The horizontal and vertical words hold, in the Custom mode, the frozen twips per unit
// (a float) and, in the Proportional mode, the surface's size in pixels (an integer).
//
// A zero extent where the mode divides by it (ScaleWidth or ScaleHeight in the Custom
// and Proportional modes) is refused with the store's error 32712 naming the property;
// nothing divides by zero.
//
// Stream block (inside its owner's): ScaleLeft, ScaleTop, ScaleWidth, ScaleHeight
// (float each), the mode (UCHAR), the horizontal and vertical word (the raw 32 bits).
#pragma once

#include <cstdint>

#include "guiobjects1/oviui1_api.h"

class OCLStream;

// "ScaleMode" values.
enum ScaleMode : unsigned char {
  kScaleCustom = 0,
  kScaleTwip = 1,
  kScalePoint = 2,
  kScalePixel = 3,
  kScaleCharacter = 4,
  kScaleInch = 5,
  kScaleMillimeter = 6,
  kScaleCentimeter = 7,
  kScaleProportional = 8,
  kScaleModeCount = 9
};

// Left, top, width, height in user units (or twips, without a scale).
struct UnitRect {
  float left, top, width, height;
};
// Left, top, width, height in twips or pixels.
struct LongRect {
  int32_t left, top, width, height;
};

class OVIUI1_API ScaleRect {
 public:
  // Mode Twip at 0, 0 with no extent. Device twips per pixel 0: the screen's.
  explicit ScaleRect(float devTwipsX = 0, float devTwipsY = 0);

  float ScaleLeft = 0;
  float ScaleTop = 0;
  float ScaleWidth = 0;
  float ScaleHeight = 0;

  ScaleMode mode() const { return mode_; }
  float deviceTwipsX() const { return devX_; }
  float deviceTwipsY() const { return devY_; }
  // The words as the mode reads them.
  float customTwipsX() const;
  float customTwipsY() const;
  int32_t pixelWidth() const { return (int32_t)hword_; }
  int32_t pixelHeight() const { return (int32_t)vword_; }

  long double PixelsPerUnitX() const;
  long double PixelsPerUnitY() const;
  long double TwipsPerUnitX() const;
  long double TwipsPerUnitY() const;

  // Switches to mode m for a surface of w by h pixels. m of 9 or more changes nothing.
  // Modes Twip to Centimeter move the origin to 0, 0; Custom keeps it and freezes the
  // twips per unit of the current extent; then the extent follows the surface.
  void SetScaleMode(int m, int32_t w, int32_t h);
  // The surface is now w (h) pixels; t twips per pixel (0: the device's).
  void SetPixelWidth(int32_t w, float t = 0);
  void SetPixelHeight(int32_t h, float t = 0);

  void Write(OCLStream& s) const;
  // A mode above 8 is refused with ObjectLoadFailed(owner) and nothing changes.
  void Read(OCLStream& s, const char* owner);

  // Each value is truncated toward zero after the arithmetic (adding 0.5 first where
  // noted). Without a scale the units are twips.
  static LongRect UnitsToTwips(const ScaleRect* scale, const UnitRect& r);   // no scale: + 0.5
  static LongRect UnitsToPixels(const ScaleRect* scale, const UnitRect& r);  // + 0.5
  static LongRect PixelsToTwips(const LongRect& r);                          // screen's

 private:
  void checkExtentX() const;
  void checkExtentY() const;

  ScaleMode mode_ = kScaleTwip;
  uint32_t hword_ = 0;
  uint32_t vword_ = 0;
  float devX_;
  float devY_;
};
