// TScrollBar: a scroll bar control. The parent's WM_HSCROLL/WM_VSCROLL reach the bar's
// own table, which turns the scroll codes into the virtual SB* calls.
#pragma once

#include "control.h"

class OVGUI1_API TScrollBar : public TControl {
 public:
  TScrollBar(TWindow* parent, int id, int x, int y, int w, int h, bool isHScrollBar,
             TModule* module = nullptr);
  TScrollBar(TWindow* parent, int resourceId, TModule* module = nullptr);

  const char* GetClassName() override;
  void SetupWindow() override;  // range 0..100
  uint Transfer(void* buffer, TTransferDirection direction) override;

  virtual void GetRange(int& min, int& max) const;
  virtual int GetPosition() const;
  virtual void SetRange(int min, int max);
  virtual void SetPosition(int thumbPos);
  virtual int DeltaPos(int delta);  // moves by delta; answers the new position

  virtual void SBLineUp() { DeltaPos(-LineMagnitude); }
  virtual void SBLineDown() { DeltaPos(LineMagnitude); }
  virtual void SBPageUp() { DeltaPos(-PageMagnitude); }
  virtual void SBPageDown() { DeltaPos(PageMagnitude); }
  virtual void SBThumbPosition(int thumbPos) { SetPosition(thumbPos); }
  virtual void SBThumbTrack(int thumbPos) { SetPosition(thumbPos); }
  virtual void SBTop();
  virtual void SBBottom();
  virtual void SBEndScroll() {}

  // Reached through the parent's scroll messages.
  void EvHScroll(uint code, uint pos, HWND ctl);
  void EvVScroll(uint code, uint pos, HWND ctl);

  int LineMagnitude = 1;
  int PageMagnitude = 10;

 private:
  void ScrollCode(uint code, uint pos);
  DECLARE_RESPONSE_TABLE(TScrollBar);
};
