// TControl: a child window of a system control class (BUTTON, EDIT, ...) or of an owner-
// drawn class. Made from C++ with a rectangle, or attached to a control of a dialog
// template by id (the resource constructor). The parent forwards owner-draw and list-box
// key messages to these virtuals.
#pragma once

#include "window.h"

class OVGUI1_API TControl : public virtual TWindow {
 public:
  TControl(TWindow* parent, int id, const char* title, int x, int y, int w, int h, TModule* module = nullptr);
  TControl(TWindow* parent, int resourceId, TModule* module = nullptr);
  ~TControl() override;

  // Owner draw (the parent receives WM_*ITEM and calls these on the control).
  virtual int CompareItem(COMPAREITEMSTRUCT& compare);
  virtual void DeleteItem(DELETEITEMSTRUCT& del);
  virtual void MeasureItem(MEASUREITEMSTRUCT& measure);
  virtual void DrawItem(DRAWITEMSTRUCT& draw);  // calls the three ODA* below
  virtual void ODADrawEntire(DRAWITEMSTRUCT& draw);
  virtual void ODAFocus(DRAWITEMSTRUCT& draw);
  virtual void ODASelect(DRAWITEMSTRUCT& draw);
  // WM_CHARTOITEM / WM_VKEYTOITEM of an owner list box: -1 default, -2 handled.
  virtual int CharToItem(uint ch, uint caretIndex);
  virtual int VKeyToItem(uint key, uint caretIndex);

 protected:
  TControl();
  void InitControl(int id, int x, int y, int w, int h);
  void InitResource(int resourceId);

  DECLARE_RESPONSE_TABLE(TControl);
};
