// TLayoutMetrics: the default constraints (everything as it is).
#include "winlib/layoutmetrics.h"

TLayoutMetrics::TLayoutMetrics() {
  X.AsIs(lmLeft);
  Y.AsIs(lmTop);
  Width.AsIs(lmWidth);
  Height.AsIs(lmHeight);
}

void TLayoutMetrics::SetMeasurementUnits(TMeasurementUnits units) {
  X.Units = Y.Units = Width.Units = Height.Units = units;
}
