// TControl: creation from C++ or from a dialog template, and the owner-draw defaults.
#include "winlib/control.h"

DEFINE_RESPONSE_TABLE1(TControl, TWindow)
END_RESPONSE_TABLE;

TControl::TControl() = default;

TControl::TControl(TWindow* parent, int id, const char* title, int x, int y, int w, int h, TModule* module) {
  TWindow::Init(parent, title, module);
  InitControl(id, x, y, w, h);
}

TControl::TControl(TWindow* parent, int resourceId, TModule* module) {
  TWindow::Init(parent, nullptr, module);
  InitResource(resourceId);
}

TControl::~TControl() = default;

void TControl::InitControl(int id, int x, int y, int w, int h) {
  Attr.Id = id;
  Attr.X = x;
  Attr.Y = y;
  Attr.W = w;
  Attr.H = h;
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
}

void TControl::InitResource(int resourceId) {
  Attr.Id = resourceId;
  Attr.Style = 0;
  ClearFlag(wfAutoCreate);
  SetFlag(wfFromResource | wfTransfer);
}

int TControl::CompareItem(COMPAREITEMSTRUCT&) { return 0; }
void TControl::DeleteItem(DELETEITEMSTRUCT&) {}
void TControl::MeasureItem(MEASUREITEMSTRUCT&) {}

void TControl::DrawItem(DRAWITEMSTRUCT& draw) {
  switch (draw.itemAction) {
    case ODA_DRAWENTIRE:
      ODADrawEntire(draw);
      break;
    case ODA_FOCUS:
      ODAFocus(draw);
      break;
    case ODA_SELECT:
      ODASelect(draw);
      break;
  }
}

void TControl::ODADrawEntire(DRAWITEMSTRUCT&) {}
void TControl::ODAFocus(DRAWITEMSTRUCT&) {}
void TControl::ODASelect(DRAWITEMSTRUCT&) {}
int TControl::CharToItem(uint, uint) { return -1; }
int TControl::VKeyToItem(uint, uint) { return -1; }
