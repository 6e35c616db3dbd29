// TGauge: a progress bar drawn by the library, solid or in LED segments, horizontal or
// vertical, with an optional caption (a printf format taking the value in percent).
#pragma once

#include "control.h"

class TDC;

class OVGUI1_API TGauge : public TControl {
 public:
  TGauge(TWindow* parent, const char* title, int id, int x, int y, int w, int h, bool isHorizontal = true,
         int margin = 1, TModule* module = nullptr);

  const char* GetClassName() override;
  void GetWindowClass(WNDCLASSA& wc) override;
  void Paint(TDC& dc, bool erase, TRect& rect) override;

  void SetRange(int min, int max);
  void GetRange(int& min, int& max) const {
    min = Min;
    max = Max;
  }
  void SetValue(int value);  // clamped to the range
  int GetValue() const { return Value; }
  void DeltaValue(int delta) { SetValue(Value + delta); }
  // spacing 0: a solid bar; otherwise LED segments of thick pixels every spacing units.
  void SetLed(int spacing, int thickPercent = 90);
  void SetColor(TColor color) {
    BarColor = color;
    Invalidate();
  }

  bool EvEraseBkgnd(HDC dc);

  int Min = 0, Max = 100, Value = 0, Margin;
  bool IsHorizontal;
  int LedSpacing = 0, LedThick = 0;
  TColor BarColor;

 protected:
  void PaintBorder(TDC& dc);
  void PaintBar(TDC& dc, TRect& rect);
  void PaintLeds(TDC& dc, TRect& rect);

  DECLARE_RESPONSE_TABLE(TGauge);
};
