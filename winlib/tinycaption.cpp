// TTinyCaption: the small caption bar, its frame, hit testing and system-menu commands.
#include "winlib/tinycaption.h"

#include <algorithm>

DEFINE_RESPONSE_TABLE(TTinyCaption)
EV_MESSAGE(WM_NCCALCSIZE, EvNCCalcSize), EV_MESSAGE(WM_NCHITTEST, EvNCHitTest),
    EV_MESSAGE(WM_NCPAINT, EvNCPaint), EV_MESSAGE(WM_NCACTIVATE, EvNCActivate),
    EV_MESSAGE(WM_NCLBUTTONDOWN, EvNCLButtonDown), EV_MESSAGE(WM_SETTEXT, EvSetText), END_RESPONSE_TABLE;

TTinyCaption::TTinyCaption() = default;

TTinyCaption::~TTinyCaption() {
  if (CaptionFont) ::DeleteObject(CaptionFont);
}

void TTinyCaption::EnableTinyCaption(int captionHeight, bool popupPalette) {
  TCEnabled = true;
  PopupPalette = popupPalette;
  CaptionHeight = std::max(6, ::GetSystemMetrics(SM_CYCAPTION) * captionHeight / 100);
  Border = std::max(1, ::GetSystemMetrics(SM_CXBORDER));
  if (CaptionFont) ::DeleteObject(CaptionFont);
  CaptionFont =
      ::CreateFontA(-(CaptionHeight - 2), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
  // The system draws no caption or frame of its own.
  Attr.Style &= ~(WS_CAPTION | WS_THICKFRAME | WS_DLGFRAME | WS_BORDER);
}

TRect TTinyCaption::GetCaptionRect() const {
  TRect w = HWindow ? GetWindowRect() : TRect(0, 0, Attr.W, Attr.H);
  return TRect(Border, Border, w.Width() - Border, Border + CaptionHeight);
}

TRect TTinyCaption::GetCloseBoxRect() const {
  if (!PopupPalette) return TRect();
  TRect c = GetCaptionRect();
  return TRect(c.right - CaptionHeight, c.top, c.right, c.bottom);
}

TRect TTinyCaption::GetSysMenuBoxRect() const {
  if (PopupPalette) return TRect();
  TRect c = GetCaptionRect();
  return TRect(c.left, c.top, c.left + CaptionHeight, c.bottom);
}

void TTinyCaption::DoNCCalcSize(RECT& r) const {
  r.left += Border;
  r.right -= Border;
  r.top += Border + CaptionHeight;
  r.bottom -= Border;
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
}

uint TTinyCaption::DoNCHitTest(const TPoint& screenPoint) const {
  TRect w = GetWindowRect();
  if (!w.Contains(screenPoint)) return HTNOWHERE;
  TPoint p(screenPoint.x - w.left, screenPoint.y - w.top);
  if (GetCloseBoxRect().Contains(p)) return HTCLOSE;
  if (GetSysMenuBoxRect().Contains(p)) return HTSYSMENU;
  if (GetCaptionRect().Contains(p)) return HTCAPTION;
  RECT client = {0, 0, w.Width(), w.Height()};
  DoNCCalcSize(client);
  if (TRect(client).Contains(p)) return HTCLIENT;
  return HTBORDER;
}

void TTinyCaption::DoNCPaint() {
  if (!TCEnabled || !HWindow || !::IsWindowVisible(HWindow)) return;
  HDC dc = ::GetWindowDC(HWindow);
  if (!dc) return;
  TRect w = GetWindowRect();
  TRect all(0, 0, w.Width(), w.Height());
  HBRUSH frame = ::CreateSolidBrush(::GetSysColor(COLOR_WINDOWFRAME));
  for (int i = 0; i < Border; ++i) {
    TRect r = all;
    r.Inflate(-i, -i);
    ::FrameRect(dc, &r, frame);
  }
  ::DeleteObject(frame);

  TRect caption = GetCaptionRect();
  HBRUSH bar = ::CreateSolidBrush(::GetSysColor(Active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
  ::FillRect(dc, &caption, bar);
  ::DeleteObject(bar);

  TRect text = caption;
  TRect box = PopupPalette ? GetCloseBoxRect() : GetSysMenuBoxRect();
  if (PopupPalette)
    text.right = box.left;
  else
    text.left = box.right;
  text.left += 2;
  char title[256] = "";
  ::GetWindowTextA(HWindow, title, sizeof title);
  HGDIOBJ oldFont = CaptionFont ? ::SelectObject(dc, CaptionFont) : nullptr;
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(Active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
  ::DrawTextA(dc, title, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (oldFont) ::SelectObject(dc, oldFont);

  // The box: a small raised button with a cross (close) or a bar (system menu).
  box.Inflate(-1, -1);
  if (!box.IsEmpty()) {
    ::FillRect(dc, &box, HBRUSH(COLOR_BTNFACE + 1));
    ::DrawEdge(dc, &box, BDR_RAISEDINNER, BF_RECT);
    HPEN pen = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    TRect in = box;
    in.Inflate(-3, -3);
    if (PopupPalette) {
      ::MoveToEx(dc, in.left, in.top, nullptr);
      ::LineTo(dc, in.right, in.bottom);
      ::MoveToEx(dc, in.right - 1, in.top, nullptr);
      ::LineTo(dc, in.left - 1, in.bottom);
    } else {
      int y = (in.top + in.bottom) / 2;
      ::MoveToEx(dc, in.left, y, nullptr);
      ::LineTo(dc, in.right, y);
    }
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);
  }
  ::ReleaseDC(HWindow, dc);
}

bool TTinyCaption::DoCommand(uint id, HWND, uint, LRESULT& result) {
  if (!WaitingForSysCmd || id < 0xF000) return false;
  WaitingForSysCmd = false;
  result = SendMessage(WM_SYSCOMMAND, id, 0);
  return true;
}

LRESULT TTinyCaption::EvNCCalcSize(WPARAM calcValid, LPARAM params) {
  if (!TCEnabled) return DefaultProcessing();
  RECT* r =
      calcValid ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(params)->rgrc[0] : reinterpret_cast<RECT*>(params);
  DoNCCalcSize(*r);
  return 0;
}

LRESULT TTinyCaption::EvNCHitTest(WPARAM, LPARAM point) {
  if (!TCEnabled) return DefaultProcessing();
  return DoNCHitTest(TPoint(short(LOWORD(point)), short(HIWORD(point))));
}

LRESULT TTinyCaption::EvNCPaint(WPARAM, LPARAM) {
  if (!TCEnabled) return DefaultProcessing();
  DoNCPaint();
  return 0;
}

LRESULT TTinyCaption::EvNCActivate(WPARAM active, LPARAM) {
  if (!TCEnabled) return DefaultProcessing();
  Active = active != 0;
  DoNCPaint();
  return TRUE;
}

LRESULT TTinyCaption::EvNCLButtonDown(WPARAM hitTest, LPARAM point) {
  if (!TCEnabled) return DefaultProcessing();
  WaitingForSysCmd = false;
  if (hitTest == HTCLOSE) {
    PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  if (hitTest == HTSYSMENU) {
    if (HMENU menu = ::GetSystemMenu(HWindow, FALSE)) {
      TRect w = GetWindowRect();
      TRect box = GetSysMenuBoxRect();
      WaitingForSysCmd = true;
      ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, w.left + box.left,
                       w.top + box.bottom, 0, HWindow, nullptr);
    }
    return 0;
  }
  (void)point;
  return DefaultProcessing();
}

LRESULT TTinyCaption::EvSetText(WPARAM, LPARAM) {
  LRESULT r = DefaultProcessing();
  if (TCEnabled) DoNCPaint();
  return r;
}
