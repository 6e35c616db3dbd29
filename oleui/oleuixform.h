// HIMETRIC conversions at a given resolution, shared by the exported helpers and their
// tests (a test cannot change the screen's resolution).
#pragma once

namespace oleui {

constexpr int kHimetricPerInch = 2540;

// himetric (0.01 mm) in pixels at pixelsPerInch, rounded to the nearest pixel, halves
// away from zero.
int himetricToPixels(int himetric, int pixelsPerInch);

}  // namespace oleui
