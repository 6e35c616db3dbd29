// TCelArray: equally sized images side by side in one bitmap.
#include "winlib/celarray.h"

#include "winlib/dc.h"

TCelArray::TCelArray(TBitmap* bitmap, int numCels, const TSize& celSize)
    : bitmap_(bitmap), numCels_(numCels), celSize_(celSize) {}

TCelArray::~TCelArray() { delete bitmap_; }

TRect TCelArray::CelRect(int cel) const { return TRect(TPoint(cel * celSize_.cx, 0), celSize_); }

bool TCelArray::BitBlt(int cel, TDC& dc, int x, int y) const {
  if (cel < 0 || cel >= numCels_) return false;
  TMemoryDC mem(dc);
  mem.SelectObject(*bitmap_);
  bool ok = dc.BitBlt(TRect(TPoint(x, y), celSize_), mem, CelRect(cel).TopLeft());
  mem.RestoreBitmap();
  return ok;
}
