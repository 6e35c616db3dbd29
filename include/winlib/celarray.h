// TCelArray: a row of equally sized images (cels) in one device bitmap, drawn by index.
// A button gadget keeps its looks (normal, disabled, pressed) in one.
#pragma once

#include "gdiobjects.h"

class TDC;

class OVGUI1_API TCelArray {
 public:
  // Takes ownership of bitmap, cut into numCels cels of celSize side by side.
  TCelArray(TBitmap* bitmap, int numCels, const TSize& celSize);
  ~TCelArray();
  TCelArray(const TCelArray&) = delete;
  TCelArray& operator=(const TCelArray&) = delete;

  int NumCels() const { return numCels_; }
  const TSize& CelSize() const { return celSize_; }
  TRect CelRect(int cel) const;
  const TBitmap& Bitmap() const { return *bitmap_; }
  // Copies cel to dc at (x, y); false for a cel that does not exist.
  bool BitBlt(int cel, TDC& dc, int x, int y) const;

 private:
  TBitmap* bitmap_;
  int numCels_;
  TSize celSize_;
};
