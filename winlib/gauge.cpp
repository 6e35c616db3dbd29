// TGauge: a library-drawn progress bar.
#include "winlib/gauge.h"

#include <cstdio>

#include "winlib/dc.h"

DEFINE_RESPONSE_TABLE1(TGauge, TControl)
EV_WM_ERASEBKGND, END_RESPONSE_TABLE;

TGauge::TGauge(TWindow* parent, const char* title, int id, int x, int y, int w, int h, bool isHorizontal,
               int margin, TModule* module)
    : Margin(margin), IsHorizontal(isHorizontal), BarColor(TColor::Sys(COLOR_HIGHLIGHT)) {
  TWindow::Init(parent, title, module);
  InitControl(id, x, y, w, h);
  Attr.Style &= ~uint32_t(WS_TABSTOP);
}

const char* TGauge::GetClassName() { return "OvGauge"; }

void TGauge::GetWindowClass(WNDCLASSA& wc) {
  TControl::GetWindowClass(wc);
  wc.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
}

void TGauge::SetRange(int min, int max) {
  if (max <= min) max = min + 1;
  Min = min;
  Max = max;
  SetValue(Value);
  Invalidate();
}

void TGauge::SetValue(int value) {
  if (value < Min) value = Min;
  if (value > Max) value = Max;
  if (value != Value) {
    Value = value;
    Invalidate(false);
  }
}

void TGauge::SetLed(int spacing, int thickPercent) {
  LedSpacing = spacing;
  LedThick = thickPercent;
  Invalidate();
}

// The whole face is painted in Paint: no erase, no flicker.
bool TGauge::EvEraseBkgnd(HDC) { return true; }

void TGauge::PaintBorder(TDC& dc) {
  TRect r = GetClientRect();
  ::DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
}

void TGauge::Paint(TDC& dc, bool, TRect&) {
  TRect r = GetClientRect();
  PaintBorder(dc);
  r.Inflate(-2 - Margin, -2 - Margin);
  if (r.IsEmpty()) return;
  TBrush face(TColor::Sys(COLOR_BTNFACE));
  dc.FillRect(r, face);
  if (LedSpacing > 0)
    PaintLeds(dc, r);
  else
    PaintBar(dc, r);
}

void TGauge::PaintBar(TDC& dc, TRect& r) {
  int range = Max - Min;
  TRect bar = r;
  if (IsHorizontal)
    bar.right = r.left + int((long long)r.Width() * (Value - Min) / range);
  else
    bar.top = r.bottom - int((long long)r.Height() * (Value - Min) / range);
  if (!BarColor.IsNone()) {
    TBrush brush(BarColor);
    dc.FillRect(bar, brush);
  }
  if (Title && *Title) {
    char text[64];
    std::snprintf(text, sizeof text, Title, int((long long)(Value - Min) * 100 / range));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(TColor::Sys(COLOR_BTNTEXT));
    dc.DrawText(text, -1, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

void TGauge::PaintLeds(TDC& dc, TRect& r) {
  int range = Max - Min;
  int length = IsHorizontal ? r.Width() : r.Height();
  int step = length * LedSpacing / range;
  if (step < 2) step = 2;
  int thick = step * LedThick / 100;
  if (thick < 1) thick = 1;
  int lit = int((long long)length * (Value - Min) / range);
  TBrush brush(BarColor);
  for (int pos = 0; pos + thick <= lit; pos += step) {
    TRect led = IsHorizontal ? TRect(r.left + pos, r.top, r.left + pos + thick, r.bottom)
                             : TRect(r.left, r.bottom - pos - thick, r.right, r.bottom - pos);
    dc.FillRect(led, brush);
  }
}
