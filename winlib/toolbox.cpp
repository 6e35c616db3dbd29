// TToolBox: gadgets in a grid of equal cells.
#include "winlib/toolbox.h"

#include <algorithm>

TToolBox::TToolBox() = default;

TToolBox::TToolBox(TWindow* parent, int numColumns, int numRows, TTileDirection direction, TModule* module) {
  TWindow::Init(parent, nullptr, module);
  InitGadgetWindow(direction);
  InitToolBox(numColumns, numRows);
}

void TToolBox::InitToolBox(int numColumns, int numRows) {
  NumColumns = numColumns;
  NumRows = numRows;
  ShrinkWrapWidth = ShrinkWrapHeight = true;
}

void TToolBox::GetGridSize(int& columns, int& rows) const {
  int n = NumGadgets();
  columns = rows = 0;
  if (n == 0) return;
  auto ceilDiv = [](int a, int b) { return (a + b - 1) / b; };
  if (Direction == Horizontal) {
    columns = NumColumns > 0 ? NumColumns : NumRows > 0 ? ceilDiv(n, NumRows) : n;
    columns = std::min(columns, n);
    rows = ceilDiv(n, columns);
  } else {
    rows = NumRows > 0 ? NumRows : NumColumns > 0 ? ceilDiv(n, NumColumns) : n;
    rows = std::min(rows, n);
    columns = ceilDiv(n, rows);
  }
}

TSize TToolBox::GetCellSize() {
  int along, maxWidth, maxHeight;
  MeasureGadgets(Direction, along, maxWidth, maxHeight);
  return TSize(maxWidth, maxHeight);
}

void TToolBox::GetDesiredSize(TSize& size) {
  int left, right, top, bottom;
  Margins.GetPixels(left, right, top, bottom);
  int columns, rows;
  GetGridSize(columns, rows);
  TSize cell = GetCellSize();
  TSize nc = NonClientSize();
  int needW = left + right + columns * cell.cx + nc.cx;
  int needH = top + bottom + rows * cell.cy + nc.cy;
  TRect now = HWindow ? GetWindowRect() : TRect(0, 0, Attr.W, Attr.H);
  size = TSize(ShrinkWrapWidth ? needW : now.Width(), ShrinkWrapHeight ? needH : now.Height());
}

TRect TToolBox::TileGadgets() {
  TRect inner;
  GetInnerRect(inner);
  int columns, rows;
  GetGridSize(columns, rows);
  TSize cell = GetCellSize();
  TRect covered(inner.TopLeft(), TSize(0, 0));
  int i = 0;
  for (TGadget* g = FirstGadget(); g; g = NextGadget(*g), ++i) {
    int column = Direction == Horizontal ? i % columns : i / rows;
    int row = Direction == Horizontal ? i / columns : i % rows;
    TRect bounds(TPoint(inner.left + column * cell.cx, inner.top + row * cell.cy), cell);
    g->SetBounds(bounds);
    covered = covered | bounds;
  }
  return covered;
}
