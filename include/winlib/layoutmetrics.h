// TLayoutMetrics: how a child of a layout window is placed, as four constraints: one on
// a horizontal edge (X: left, centre or right), one on a vertical edge (Y: top, centre
// or bottom), and one each for the width and height (a size, or the opposite edge).
//
// Each constraint ties its edge or size to an edge or size of another window: the
// parent's client area (lmParent) or a sibling in the same layout window.
//   lmRightOf / lmBelow   the other's edge plus Value (a margin)
//   lmLeftOf / lmAbove    the other's edge minus Value
//   lmSameAs              the other's edge or size plus Value
//   lmPercentOf           Value percent of the other's edge position or size
//   lmAbsolute            Value itself (a position in the parent's client area, or a size)
//   lmAsIs                what the window has now
// Values are pixels, or dialog units with lmLayoutUnits (percentages are never converted).
#pragma once

#include "defs.h"

class TWindow;

#define lmParent nullptr

enum TEdge { lmLeft, lmTop, lmRight, lmBottom, lmCenter };
enum TWidthHeight { lmWidth = lmCenter + 1, lmHeight };
enum TMeasurementUnits { lmPixels, lmLayoutUnits };
enum TRelationship {
  lmAsIs = 0,
  lmPercentOf,
  lmAbove,
  lmLeftOf = lmAbove,
  lmBelow,
  lmRightOf = lmBelow,
  lmSameAs,
  lmAbsolute
};

struct OVGUI1_API TLayoutConstraint {
  TWindow* RelWin = lmParent;  // the other window; lmParent: the parent's client area
  int MyEdge = lmLeft;         // a TEdge or TWidthHeight of this window
  TRelationship Relationship = lmAsIs;
  int OtherEdge = lmLeft;  // a TEdge or TWidthHeight of the other window
  TMeasurementUnits Units = lmPixels;
  int Value = 0;  // margin, percent, offset or absolute value

  void Set(int myEdge, TRelationship rel, TWindow* otherWin, int otherEdge, int value = 0) {
    MyEdge = myEdge;
    Relationship = rel;
    RelWin = otherWin;
    OtherEdge = otherEdge;
    Value = value;
  }
  // myEdge of this window lies margin beyond otherEdge of other (left of / above it).
  void LeftOf(TWindow* other, int margin = 0) { Set(lmRight, lmLeftOf, other, lmLeft, margin); }
  void RightOf(TWindow* other, int margin = 0) { Set(lmLeft, lmRightOf, other, lmRight, margin); }
  void Above(TWindow* other, int margin = 0) { Set(lmBottom, lmAbove, other, lmTop, margin); }
  void Below(TWindow* other, int margin = 0) { Set(lmTop, lmBelow, other, lmBottom, margin); }
  void SameAs(TWindow* other, int edge, int offset = 0) { Set(edge, lmSameAs, other, edge, offset); }
  void PercentOf(TWindow* other, int edge, int percent) { Set(edge, lmPercentOf, other, edge, percent); }
  void Absolute(int edge, int value) { Set(edge, lmAbsolute, lmParent, edge, value); }
  void AsIs(int edge) { Set(edge, lmAsIs, lmParent, edge, 0); }
};

class OVGUI1_API TLayoutMetrics {
 public:
  // Left as is, top as is, width and height as is.
  TLayoutMetrics();
  void SetMeasurementUnits(TMeasurementUnits units);

  TLayoutConstraint X;       // lmLeft, lmCenter or lmRight
  TLayoutConstraint Y;       // lmTop, lmCenter or lmBottom
  TLayoutConstraint Width;   // lmWidth, or lmRight
  TLayoutConstraint Height;  // lmHeight, or lmBottom
};
