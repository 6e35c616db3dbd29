// IWForm: the drawing surface on the client window, palette messages, PrintForm and the
// form editor's edit mode with its marks on the sizing frame.
#include <algorithm>
#include <string>
#include <vector>

#include "guiobjects1/dllinstance.h"
#include "guiobjects1/formclient.h"
#include "guiobjects1/iwform.h"
#include "store/field_comp.h"
#include "store/storeexcept.h"
#include "winlib/dc.h"
#include "winlib/printer.h"
#include "winlib/printout.h"

// ---- the drawing surface ----

TDC* IWForm::getDC() {
  if (!ClientWnd) utilsAssert("ClientWnd", __FILE__, __LINE__);
  if (!ClientWnd->HWindow) return nullptr;
  if (!CachedDC) {
    SetCachedDC(new TClientDC(ClientWnd->HWindow));
    configureDC();
  } else {
    // BackColor may have changed since (the window layer's setter does not tell).
    CachedDC->SetBkColor(TColor((COLORREF)getBkColor()));
  }
  return CachedDC;
}

uint32_t IWForm::getBkColor() {
  if (BkgndColor.GetValue() == 0xFFFFFFFFu) return ::GetSysColor(COLOR_BTNFACE);
  return BkgndColor.Resolved();
}

void IWForm::drawableChanged(int repaint) {
  changed();
  if (repaint && HWindow) InvalidateAll(false);
}

void IWForm::drawableCls() {
  if (HWindow) InvalidateAll(true);
}

void IWForm::InvalidateAll(bool erase) {
  TFormClient* client = Client();
  if (!client) utilsAssert("client", __FILE__, __LINE__);
  client->InvalidateAll(erase);
}

// ---- the poly methods ----

namespace {

// The first count elements of a one-dimensional array from its lower bound, or all it has
// when that is fewer (the surface then refuses the count).
std::vector<float> PolyCoordinates(const NativeArray* a, long count, const char* name) {
  std::vector<float> out;
  if (!a || a->dimensions() != 1) throw StoreException(kMsgInvalidArgument, name);
  const int32_t lower = a->lbound(0);
  const long n = std::min<long>(std::max<long>(count, 0), (long)a->count());
  out.reserve((size_t)n);
  for (long i = 0; i < n; ++i) out.push_back((float)a->number(lower + (int32_t)i));
  return out;
}

}  // namespace

void IWForm::drawPolyArrays(PolyKind kind, const NativeArray* x, const NativeArray* y, long count) {
  if (!IsPolyCount(kind, count)) throw StoreException(kMsgInvalidArgument, "count");
  std::vector<float> xs = PolyCoordinates(x, count, "x"), ys = PolyCoordinates(y, count, "y");
  drawPoly(kind, {xs.data(), (long)xs.size()}, {ys.data(), (long)ys.size()}, count);
}

void IWForm::imPolylineArgs(const NativeArray* x, const NativeArray* y, long count) {
  drawPolyArrays(kPolyline, x, y, count);
}

void IWForm::imPolygonArgs(const NativeArray* x, const NativeArray* y, long count) {
  drawPolyArrays(kPolygon, x, y, count);
}

void IWForm::imPolyBezierArgs(const NativeArray* x, const NativeArray* y, long count) {
  drawPolyArrays(kPolyBezier, x, y, count);
}

// ---- palette ----

namespace {

std::vector<HWND> ChildHandles(TWindow* parent) {
  std::vector<HWND> out;
  if (!parent || !parent->HWindow) return out;
  for (HWND h = ::GetWindow(parent->HWindow, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) out.push_back(h);
  return out;
}

}  // namespace

LRESULT IWForm::EvPaletteChanged(WPARAM changer, LPARAM) {
  for (HWND h : ChildHandles(ClientWnd)) ::SendMessageA(h, WM_PALETTECHANGED, changer, 0);
  return 0;
}

LRESULT IWForm::EvQueryNewPalette(WPARAM, LPARAM) {
  for (HWND h : ChildHandles(ClientWnd))
    if (::SendMessageA(h, WM_QUERYNEWPALETTE, 0, 0) == 1) return TRUE;
  return FALSE;
}

// ---- PrintForm ----

namespace {

// A snapshot of a window (frame included) taken when the printout is made, printed on
// one page at the share of the page that the window has of the screen.
class FormPrintout : public TPrintout {
 public:
  FormPrintout(const char* title, HWND window) : TPrintout(title) {
    SetBanding(true);
    RECT r;
    ::GetWindowRect(window, &r);
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
    if (width_ <= 0 || height_ <= 0) return;
    HDC screen = ::GetDC(nullptr);
    HDC source = ::GetWindowDC(window);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width_, height_);
    HPALETTE palette = nullptr, oldPalette = nullptr;
    if (::GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) {
      // The system palette, so that the copy keeps the colours the screen shows.
      int count = ::GetDeviceCaps(screen, SIZEPALETTE);
      if (count <= 0) count = 256;
      std::vector<uint8_t> block(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
      LOGPALETTE* lp = reinterpret_cast<LOGPALETTE*>(block.data());
      lp->palVersion = 0x300;
      lp->palNumEntries = (WORD)count;
      ::GetSystemPaletteEntries(screen, 0, count, lp->palPalEntry);
      palette = ::CreatePalette(lp);
      if (palette) {
        oldPalette = ::SelectPalette(memory, palette, FALSE);
        ::RealizePalette(memory);
      }
    }
    HGDIOBJ oldBitmap = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
    ::SelectObject(memory, oldBitmap);
    info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info_.bmiHeader.biWidth = width_;
    info_.bmiHeader.biHeight = height_;  // bottom-up, as StretchDIBits takes it plainly
    info_.bmiHeader.biPlanes = 1;
    info_.bmiHeader.biBitCount = 32;
    info_.bmiHeader.biCompression = BI_RGB;
    bits_.resize((size_t)width_ * (size_t)height_);
    if (!::GetDIBits(memory, bitmap, 0, (UINT)height_, bits_.data(), &info_, DIB_RGB_COLORS)) bits_.clear();
    if (oldPalette) ::SelectPalette(memory, oldPalette, FALSE);
    if (palette) ::DeleteObject(palette);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(window, source);
    ::ReleaseDC(nullptr, screen);
  }

  bool Ready() const { return !bits_.empty(); }

  void GetDialogInfo(int& minPage, int& maxPage, int& selFromPage, int& selToPage) override {
    minPage = maxPage = selFromPage = selToPage = 0;
  }
  bool HasPage(int page) override { return page == 1; }

  void PrintPage(int, TRect& band, uint) override {
    HDC dc = GetPrintDC() ? GetPrintDC()->GetHDC() : nullptr;
    if (!dc || bits_.empty()) return;
    HDC screen = ::GetDC(nullptr);
    const SIZE screenSize = {::GetDeviceCaps(screen, HORZRES), ::GetDeviceCaps(screen, VERTRES)};
    ::ReleaseDC(nullptr, screen);
    const int oldMode = ::SetMapMode(dc, MM_ISOTROPIC);
    SIZE oldWindow, oldViewport;
    ::SetWindowExtEx(dc, screenSize.cx, screenSize.cy, &oldWindow);
    ::SetViewportExtEx(dc, GetPageSize().cx, GetPageSize().cy, &oldViewport);
    // The band in logical units, clipped to the page.
    RECT page = {0, 0, GetPageSize().cx, GetPageSize().cy};
    RECT b = {band.left, band.top, band.right, band.bottom};
    RECT clip;
    if (::IntersectRect(&clip, &b, &page)) {
      POINT corners[2] = {{clip.left, clip.top}, {clip.right, clip.bottom}};
      ::DPtoLP(dc, corners, 2);
      RECT part = {std::max(0L, (long)corners[0].x), std::max(0L, (long)corners[0].y),
                   std::min((long)width_, (long)corners[1].x + 1),
                   std::min((long)height_, (long)corners[1].y + 1)};
      if (part.right > part.left && part.bottom > part.top) {
        const int w = part.right - part.left, h = part.bottom - part.top;
        // Source rows count from the bottom of a bottom-up DIB.
        ::StretchDIBits(dc, part.left, part.top, w, h, part.left, height_ - part.bottom, w, h, bits_.data(),
                        &info_, DIB_RGB_COLORS, SRCCOPY);
      }
    }
    ::SetViewportExtEx(dc, oldViewport.cx, oldViewport.cy, nullptr);
    ::SetWindowExtEx(dc, oldWindow.cx, oldWindow.cy, nullptr);
    ::SetMapMode(dc, oldMode);
  }

 private:
  int width_ = 0, height_ = 0;
  BITMAPINFO info_ = {};
  std::vector<uint32_t> bits_;
};

}  // namespace

std::string IWForm::PrintJobTitle() {
  if (Title && *Title) return Title;
  InterObjRep* me = storeObj();
  return me && me->hasName() ? std::string(me->name()) : std::string("Form");
}

void IWForm::imPrintForm() {
  if (!ClientWnd) utilsAssert("ClientWnd", __FILE__, __LINE__);
  if (!HWindow) throw StoreException("PrintForm: the form has no window.");
  TPrinter printer(DllInstance::Module());
  if (!printer.HasPrinter()) throw StoreException("PrintForm: there is no printer.");
  const std::string title = PrintJobTitle();
  FormPrintout printout(title.c_str(), HWindow);
  if (!printout.Ready()) throw StoreException("PrintForm: the form's picture could not be taken.");
  try {
    printer.Print(this, printout, true);
  } catch (const TXOwl& e) {
    throw StoreException(std::string("PrintForm: ") + e.what());
  }
  if (printer.GetError() == SP_ERROR) throw StoreException("PrintForm: the printer failed.");
}

// ---- edit mode ----

void IWForm::BorderMarkRects(const TRect& r, int fx, int fy, int bx, int by, TRect out[12]) {
  const int B = r.bottom - fy + 1, R = r.right - fx + 1, H = fx + bx - 1, V = fy + by - 1;
  const int W = r.right - r.left - 2 * bx - 2 * fx - 2;
  const int G = r.bottom - r.top - 2 * (fy + by + 1);
  struct Box {
    int x, y, w, h;
  } boxes[12] = {
      {r.left + 1, r.top + 1, H, fy - 2},
      {r.left + 1, r.top + 1, fx - 2, V},
      {r.left + 1, B, H, fy - 2},
      {r.left + 1, B - by - 1, fx - 2, V},
      {r.right - fx - bx, r.top + 1, H, fy - 2},
      {R, r.top + 1, fx - 2, V},
      {r.right - fx - bx, B, H, fy - 2},
      {R, B - by - 1, fx - 2, V},
      {r.left + fx + bx + 1, r.top + 1, W, fy - 2},
      {r.left + fx + bx + 1, B, W, fy - 2},
      {r.left + 1, r.top + fy + by + 1, fx - 2, G},
      {R, r.top + fy + by + 1, fx - 2, G},
  };
  for (int i = 0; i < 12; ++i)
    out[i] = TRect(boxes[i].x, boxes[i].y, boxes[i].x + boxes[i].w, boxes[i].y + boxes[i].h);
}

void IWForm::drawBorderMarks(HDC dc, const TRect& r) {
  // Outside edit mode the frame's own colour paints over the marks; an embedded form's
  // marks are taken away by its container's repaint instead (drawEditorMarks).
  if (!IsEditing() && IsEmbedded()) return;
  HBRUSH brush = IsEditing() ? ::CreateSolidBrush(RGB(255, 0, 0)) : ::GetSysColorBrush(COLOR_ACTIVEBORDER);
  HGDIOBJ old = ::SelectObject(dc, brush);
  TRect boxes[12];
  BorderMarkRects(r, ::GetSystemMetrics(SM_CXFRAME), ::GetSystemMetrics(SM_CYFRAME),
                  ::GetSystemMetrics(SM_CXSIZE), ::GetSystemMetrics(SM_CYSIZE), boxes);
  for (const TRect& b : boxes)
    if (b.Width() > 0 && b.Height() > 0) ::PatBlt(dc, b.left, b.top, b.Width(), b.Height(), PATCOPY);
  ::SelectObject(dc, old);
  if (IsEditing()) ::DeleteObject(brush);
}

void IWForm::drawEditorMarks() {
  if (!HWindow) return;
  if (!IsEmbedded()) {
    HDC dc = ::GetWindowDC(HWindow);
    if (!dc) return;
    TRect r = GetWindowRect();
    drawBorderMarks(dc, TRect(0, 0, r.Width(), r.Height()));
    ::ReleaseDC(HWindow, dc);
    return;
  }
  HWND container = ::GetParent(HWindow);
  if (!container) return;
  RECT w;
  ::GetWindowRect(HWindow, &w);
  POINT corners[2] = {{w.left, w.top}, {w.right, w.bottom}};
  ::MapWindowPoints(nullptr, container, corners, 2);
  RECT r = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  ::InflateRect(&r, ::GetSystemMetrics(SM_CXFRAME), ::GetSystemMetrics(SM_CYFRAME));
  if (!IsEditing()) {
    ::InvalidateRect(container, &r, TRUE);
    return;
  }
  HDC dc = ::GetDC(container);
  if (!dc) return;
  drawBorderMarks(dc, TRect(r.left, r.top, r.right, r.bottom));
  ::ReleaseDC(container, dc);
}

void IWForm::BeginEdit() {
  imShow();
  state_ |= kEditMode;
  if (IsEmbedded())
    if (IWForm* host = dynamic_cast<IWForm*>(ParentForm(this)))
      if (host != this) host->editedChild_ = this;
  drawEditorMarks();
  DeactivateInPlaceObject();
  if (ClientWnd) ClientWnd->SetStyleTo(WS_CLIPCHILDREN, false);
}

void IWForm::EndEdit() {
  if (!IsEditing()) return;
  if (ClientWnd) ClientWnd->SetStyleTo(WS_CLIPCHILDREN, true);
  state_ &= (uint8_t)~kEditMode;
  if (IsEmbedded()) {
    IWForm* host = dynamic_cast<IWForm*>(ParentForm(this));
    if (!host || host == this) return;  // the containing form has gone: nothing to draw on
    if (host->editedChild_ == this) host->editedChild_ = nullptr;
  }
  drawEditorMarks();
}

LRESULT IWForm::EvNCPaint(WPARAM, LPARAM) {
  const LRESULT result = DefaultProcessing();
  if (IsEditing()) drawEditorMarks();
  return result;
}

LRESULT IWForm::EvNCActivate(WPARAM, LPARAM) {
  const LRESULT result = DefaultProcessing();
  if (IsEditing()) drawEditorMarks();
  return result;
}
