// TToolBox: a gadget window that lays its gadgets out in a grid of equal cells, each as
// large as the largest gadget.
//
// Tiled horizontally, the gadgets fill rows of NumColumns cells, left to right then top
// to bottom; tiled vertically, columns of NumRows cells, top to bottom then left to
// right. A count of -1 means "as many as needed": the other count then leads (with both
// -1, one line). The desired size shrink-wraps both axes.
#pragma once

#include "gadgetwindow.h"

class OVGUI1_API TToolBox : public TGadgetWindow {
 public:
  enum { AsManyAsNeeded = -1 };
  TToolBox(TWindow* parent, int numColumns = 2, int numRows = AsManyAsNeeded,
           TTileDirection direction = Horizontal, TModule* module = nullptr);

  int GetNumColumns() const { return NumColumns; }
  int GetNumRows() const { return NumRows; }
  void SetNumColumns(int columns) { NumColumns = columns; }  // takes effect at the next layout
  void SetNumRows(int rows) { NumRows = rows; }
  // The grid shape for the current gadgets.
  void GetGridSize(int& columns, int& rows) const;
  // The cell size: the largest desired width and height of the gadgets.
  TSize GetCellSize();

  void GetDesiredSize(TSize& size) override;
  TRect TileGadgets() override;

 protected:
  TToolBox();
  void InitToolBox(int numColumns, int numRows);

  int NumColumns = 2;
  int NumRows = AsManyAsNeeded;
};
