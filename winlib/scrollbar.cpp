// TScrollBar: range and position, and the scroll codes turned into SB* calls.
#include "winlib/scrollbar.h"

DEFINE_RESPONSE_TABLE1(TScrollBar, TControl)
EV_WM_HSCROLL, EV_WM_VSCROLL, END_RESPONSE_TABLE;

TScrollBar::TScrollBar(TWindow* parent, int id, int x, int y, int w, int h, bool isHScrollBar,
                       TModule* module) {
  TWindow::Init(parent, nullptr, module);
  InitControl(id, x, y, w, h);
  Attr.Style = (Attr.Style & ~uint32_t(WS_TABSTOP)) | (isHScrollBar ? SBS_HORZ : SBS_VERT);
  if (isHScrollBar && h == 0) Attr.H = ::GetSystemMetrics(SM_CYHSCROLL);
  if (!isHScrollBar && w == 0) Attr.W = ::GetSystemMetrics(SM_CXVSCROLL);
  SetFlag(wfTransfer);
}

TScrollBar::TScrollBar(TWindow* parent, int resourceId, TModule* module) {
  TWindow::Init(parent, nullptr, module);
  InitResource(resourceId);
}

const char* TScrollBar::GetClassName() { return "SCROLLBAR"; }

void TScrollBar::SetupWindow() {
  TControl::SetupWindow();
  SetRange(0, 100);
}

// The buffer holds an int position.
uint TScrollBar::Transfer(void* buffer, TTransferDirection direction) {
  int* pos = static_cast<int*>(buffer);
  if (direction == tdGetData)
    *pos = GetPosition();
  else if (direction == tdSetData)
    SetPosition(*pos);
  return sizeof(int);
}

void TScrollBar::GetRange(int& min, int& max) const { ::GetScrollRange(HWindow, SB_CTL, &min, &max); }
int TScrollBar::GetPosition() const { return ::GetScrollPos(HWindow, SB_CTL); }
void TScrollBar::SetRange(int min, int max) { ::SetScrollRange(HWindow, SB_CTL, min, max, FALSE); }

void TScrollBar::SetPosition(int thumbPos) {
  int min, max;
  GetRange(min, max);
  if (thumbPos < min) thumbPos = min;
  if (thumbPos > max) thumbPos = max;
  if (thumbPos != GetPosition()) ::SetScrollPos(HWindow, SB_CTL, thumbPos, TRUE);
}

int TScrollBar::DeltaPos(int delta) {
  if (delta) SetPosition(GetPosition() + delta);
  return GetPosition();
}

void TScrollBar::SBTop() {
  int min, max;
  GetRange(min, max);
  SetPosition(min);
}

void TScrollBar::SBBottom() {
  int min, max;
  GetRange(min, max);
  SetPosition(max);
}

void TScrollBar::ScrollCode(uint code, uint pos) {
  switch (code) {
    case SB_LINEUP:
      SBLineUp();
      break;
    case SB_LINEDOWN:
      SBLineDown();
      break;
    case SB_PAGEUP:
      SBPageUp();
      break;
    case SB_PAGEDOWN:
      SBPageDown();
      break;
    case SB_THUMBPOSITION:
      SBThumbPosition(int(pos));
      break;
    case SB_THUMBTRACK:
      SBThumbTrack(int(pos));
      break;
    case SB_TOP:
      SBTop();
      break;
    case SB_BOTTOM:
      SBBottom();
      break;
    case SB_ENDSCROLL:
      SBEndScroll();
      break;
  }
}

void TScrollBar::EvHScroll(uint code, uint pos, HWND) { ScrollCode(code, pos); }
void TScrollBar::EvVScroll(uint code, uint pos, HWND) { ScrollCode(code, pos); }
