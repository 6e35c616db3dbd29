// A form as a drawing surface on the X display: Basic drawing calls read back by pixels
// from the client window, Cls, the kept DC, Print statements moving CurrentX/CurrentY,
// palette messages offered to the children, and the form editor's edit mode with its red
// marks read back at the twelve rectangles of the sizing frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formkit.h"
#include "guiobjects1/iwscreen.h"

namespace {

using formkit::MakeForm;
using formkit::Pump;

std::string Unique(const char* stem) {
  static int n = 0;
  return std::string(stem) + std::to_string(++n);
}

// A copy of what a window shows: its client area (client) or the whole window.
struct Grab {
  int width = 0, height = 0;
  std::vector<uint32_t> bits;  // 0x00RRGGBB, rows top to bottom
  Grab(HWND w, bool client) {
    RECT r;
    if (client)
      GetClientRect(w, &r);
    else {
      GetWindowRect(w, &r);
      OffsetRect(&r, -r.left, -r.top);
    }
    width = r.right;
    height = r.bottom;
    HDC src = client ? GetDC(w) : GetWindowDC(w);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* data = nullptr;
    HBITMAP dib = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &data, nullptr, 0);
    HDC mem = CreateCompatibleDC(src);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, width, height, src, 0, 0, SRCCOPY);
    GdiFlush();
    bits.assign((uint32_t*)data, (uint32_t*)data + (size_t)width * height);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    ReleaseDC(w, src);
  }
  // As a COLORREF (0x00BBGGRR).
  COLORREF At(int x, int y) const {
    uint32_t p = bits[(size_t)y * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
};

// A shown form in pixel units with a white background.
IWForm* ShownForm(const char* stem) {
  IWForm* f = MakeForm(Unique(stem));
  if (!f) return nullptr;
  f->pdSetBackColor(0xFFFFFF);
  f->imShow();
  f->pdSetScaleMode(kScalePixel);
  Pump(150);
  return f;
}

TEST(FormDraw, BasicDrawingLandsOnTheClientWindow) {
  IWForm* f = ShownForm("Draw");
  ASSERT_NE(nullptr, f);
  ASSERT_NE(nullptr, f->Client()->HWindow);
  const std::string n = f->storeObj()->fullName();
  // The DC is the client's, made once and kept.
  const long dc = std::stol(formkit::RunBasicValue(n + ".hDC"));
  EXPECT_NE(0, dc);
  EXPECT_EQ(dc, f->pdGethDC());
  EXPECT_EQ(f->Client()->HWindow, WindowFromDC((HDC)(LONG_PTR)dc));
  formkit::RunBasic("  " + n + ".DrawColor = &HFF\n  " + n + ".DrawWidth = 3\n  " + n +
                    ".FillColor = &HFF0000\n  " + n + ".FillStyle = 0\n  " + n +
                    ".Rectangle 20, 20, 80, 60\n  " + n + ".MoveTo 10, 90\n  " + n + ".LineTo 110, 90");
  Grab g(f->Client()->HWindow, true);
  testkit::Screenshot("oviui1_formdraw_basic.png");  // an artefact for a look by eye
  EXPECT_EQ(RGB(0, 0, 255), g.At(50, 40));           // the brush inside
  EXPECT_EQ(RGB(255, 0, 0), g.At(20, 40));           // the pen on the left edge
  EXPECT_EQ(RGB(255, 0, 0), g.At(60, 90));           // the line
  EXPECT_EQ(RGB(255, 255, 255), g.At(5, 5));         // the background
  EXPECT_EQ(110.0f, f->pdGetCurrentX());
  EXPECT_EQ(90.0f, f->pdGetCurrentY());
  // Cls erases the client and moves to the origin.
  formkit::RunBasic("  " + n + ".Cls");
  EXPECT_EQ(0.0f, f->pdGetCurrentX());
  EXPECT_EQ(0.0f, f->pdGetCurrentY());
  Pump(150);
  Grab after(f->Client()->HWindow, true);
  EXPECT_EQ(RGB(255, 255, 255), after.At(50, 40));
  EXPECT_EQ(RGB(255, 255, 255), after.At(60, 90));
  EXPECT_EQ(dc, f->pdGethDC());  // still the same DC
  // A new window, a new DC; the old one was given back with the old client.
  f->imUnload();
  EXPECT_EQ(nullptr, f->GetCachedDC());
  f->imShow();
  Pump(100);
  EXPECT_NE(0, f->pdGethDC());
  EXPECT_EQ(f->Client()->HWindow, WindowFromDC((HDC)(LONG_PTR)f->pdGethDC()));
  f->imUnload();
}

// Polygon, Polyline and PolyBezier take the points from Basic arrays of Singles: local
// arrays, and the form's own arrays from its own code.
TEST(FormDraw, PolyMethodsDrawThePointsOfBasicArrays) {
  IWForm* f = MakeForm(Unique("Poly"),
                       "  Dim px(2) As Single\n  Dim py(2) As Single\n"
                       "  Sub Triangle()\n    px(0) = 150: py(0) = 20: px(1) = 190: py(1) = 20\n"
                       "    px(2) = 150: py(2) = 60\n    Me.FillColor = &HFF00\n    Me.Polygon px, py, 3\n"
                       "  End Sub\n");
  ASSERT_NE(nullptr, f);
  f->pdSetBackColor(0xFFFFFF);
  f->imShow();
  f->pdSetScaleMode(kScalePixel);
  Pump(150);
  const std::string n = f->storeObj()->fullName();
  formkit::RunBasic(
      "  Dim x(1 To 4) As Single, y(1 To 4) As Single\n"
      "  x(1) = 20: y(1) = 20: x(2) = 100: y(2) = 20: x(3) = 100: y(3) = 80: x(4) = 20: y(4) = 80\n  " +
      n + ".DrawColor = &HFF\n  " + n + ".DrawWidth = 3\n  " + n + ".FillColor = &HFF0000\n  " + n +
      ".FillStyle = 0\n  " + n +
      ".Polygon x, y, 4\n"
      "  y(1) = 110: y(2) = 110: x(3) = 20: y(3) = 130\n  " +
      n + ".Polyline x, y, 2\n  " + n +
      ".Polyline x, y, 3\n"
      "  x(1) = 20: y(1) = 160: x(2) = 40: y(2) = 140: x(3) = 80: y(3) = 140: x(4) = 100: y(4) = 160\n  " +
      n + ".PolyBezier x, y, 4");
  formkit::RunBasic("  " + n + ".Triangle");
  Grab g(f->Client()->HWindow, true);
  testkit::Screenshot("oviui1_formdraw_poly.png");  // an artefact for a look by eye
  EXPECT_EQ(RGB(0, 0, 255), g.At(60, 50));          // inside the polygon: the brush
  EXPECT_EQ(RGB(255, 0, 0), g.At(20, 50));          // its left edge: the pen
  EXPECT_EQ(RGB(255, 0, 0), g.At(100, 50));         // its right edge, the fourth point's x
  EXPECT_EQ(RGB(255, 255, 255), g.At(110, 50));     // outside it
  EXPECT_EQ(RGB(255, 0, 0), g.At(60, 110));         // the line between the first two points
  EXPECT_EQ(RGB(255, 0, 0), g.At(60, 120));         // the third point's segment, back to (20, 130)
  EXPECT_EQ(RGB(255, 255, 255), g.At(60, 100));     // a poly-line is not filled
  EXPECT_EQ(RGB(255, 0, 0), g.At(21, 159));         // the curve starts at the first point
  EXPECT_EQ(RGB(255, 0, 0), g.At(99, 159));         // and ends at the fourth
  EXPECT_EQ(RGB(255, 255, 255), g.At(60, 160));     // it bends away between them
  EXPECT_EQ(RGB(0, 255, 0), g.At(160, 30));         // the form's own arrays
  EXPECT_EQ(RGB(255, 255, 255), g.At(185, 55));
  f->imUnload();
}

// Counts the call cannot draw, more points than the arrays hold, arrays of another type
// or shape, and no arrays at all are Basic errors; nothing is drawn.
TEST(FormDraw, PolyMethodsRefuseBadArraysAndCountsWithBasicErrors) {
  IWForm* f = ShownForm("PolyBad");
  ASSERT_NE(nullptr, f);
  const std::string n = f->storeObj()->fullName();
  formkit::RunBasic("  " + n + ".FillColor = &HFF0000\n  " + n + ".FillStyle = 0");
  struct Case {
    const char* call;  // after the arrays; "F." is the form
    unsigned errorId;  // 0: any error
  } cases[] = {
      {"F.Polygon x, y, 5", kMsgInvalidArgument},   // more than the arrays hold
      {"F.Polygon x, y3, 4", kMsgInvalidArgument},  // more than the second holds
      {"F.Polyline x, y, 1", kMsgInvalidArgument},  // too few points
      {"F.Polygon x, y, 0", kMsgInvalidArgument},
      {"F.Polygon x, y, -4", kMsgInvalidArgument},
      {"F.PolyBezier x, y, 3", kMsgInvalidArgument},  // a curve needs 1 + 3n points
      {"F.Polygon x, m, 4", kMsgInvalidArgument},     // two dimensions
      {"F.Polygon x, l, 4", kMsgTypeMismatch},        // Longs, not Singles
      {"F.Polygon x, 5, 4", 0},                       // no array
      {"F.Polygon x, y", 0},                          // no count
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    std::string call = c.call;
    call.replace(0, 1, n);
    BasicOutcome out = BasicRunner::CompileAndRun(
        "Sub S()\n  Dim x(3) As Single, y(3) As Single, y3(2) As Single, m(3, 1) As Single, l(3) As Long\n"
        "  x(0) = 10: x(1) = 90: x(2) = 90: x(3) = 10: y(0) = 10: y(1) = 10: y(2) = 90: y(3) = 90\n  " +
            call + "\nEnd Sub\n",
        "S");
    EXPECT_FALSE(out.ok);
    if (c.errorId) {
      EXPECT_EQ(c.errorId, out.errorId) << out.error;
    }
  }
  Grab g(f->Client()->HWindow, true);
  EXPECT_EQ(RGB(255, 255, 255), g.At(50, 50));
  f->imUnload();
}

// Text goes out on the form's background colour; a form that names none has its client
// class's button face.
TEST(FormDraw, TextOutUsesTheFormsBackgroundColour) {
  IWForm* f = MakeForm(Unique("Texted"));
  ASSERT_NE(nullptr, f);
  f->imShow();
  f->pdSetScaleMode(kScalePixel);
  Pump(150);
  const std::string n = f->storeObj()->fullName();
  formkit::RunBasic("  " + n + ".CurrentX = 10\n  " + n + ".CurrentY = 10\n  " + n + ".TextOut \"..\"");
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), Grab(f->Client()->HWindow, true).At(10, 10));
  f->pdSetBackColor(0x00FFFF);
  Pump(100);
  formkit::RunBasic("  " + n + ".TextOut \"..\"");
  EXPECT_EQ(RGB(255, 255, 0), Grab(f->Client()->HWindow, true).At(10, 10));
  f->imUnload();
}

TEST(FormDraw, PaintHandlerDrawsEveryTimeTheClientIsPainted) {
  IWForm* f =
      MakeForm(Unique("Painted"),
               "  Sub Paint()\n    Me.FillColor = &HFF00\n    Me.Rectangle 10, 10, 40, 40\n  End Sub\n");
  ASSERT_NE(nullptr, f);
  f->pdSetBackColor(0xFFFFFF);
  f->imShow();
  f->pdSetScaleMode(kScalePixel);
  Pump(150);
  InvalidateRect(f->Client()->HWindow, nullptr, TRUE);
  UpdateWindow(f->Client()->HWindow);
  Grab g(f->Client()->HWindow, true);
  EXPECT_EQ(RGB(0, 255, 0), g.At(25, 25));
  f->imUnload();
}

// Metrics of the DC's own font on the client (the form has no Font).
SIZE Extent(HWND w, const char* s) {
  HDC dc = GetDC(w);
  SIZE e = {0, 0};
  GetTextExtentPoint32A(dc, s, (int)strlen(s), &e);
  ReleaseDC(w, dc);
  return e;
}

TEST(FormDraw, PrintStatementsMoveCurrentXAndCurrentY) {
  IWForm* f = ShownForm("Print");
  ASSERT_NE(nullptr, f);
  const std::string n = f->storeObj()->fullName();
  HWND client = f->Client()->HWindow;
  const SIZE ab = Extent(client, "ab"), abc = Extent(client, "abc");
  formkit::RunBasic("  " + n + ".CurrentX = 0\n  " + n + ".CurrentY = 0\n  " + n + ".Print \"ab\";");
  EXPECT_NEAR((float)ab.cx, f->pdGetCurrentX(), 0.5f);
  EXPECT_EQ(0.0f, f->pdGetCurrentY());
  formkit::RunBasic("  " + n + ".Print \"c\"");
  EXPECT_EQ(0.0f, f->pdGetCurrentX());
  EXPECT_NEAR((float)abc.cy, f->pdGetCurrentY(), 0.5f);
  formkit::RunBasic("  " + n + ".Print \"x\"; Tab(20); \"y\"");
  EXPECT_NEAR(2.0f * abc.cy, f->pdGetCurrentY(), 0.5f);
  // The text is on the client: something other than the background in the first line.
  Grab g(client, true);
  int ink = 0;
  for (int y = 0; y < abc.cy; ++y)
    for (int x = 0; x < abc.cx; ++x) ink += g.At(x, y) != RGB(255, 255, 255);
  EXPECT_GT(ink, 5);
  f->imUnload();
}

// A child window of the client that records the palette messages and answers
// WM_QUERYNEWPALETTE with its answer.
struct PaletteChild {
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    PaletteChild* self = (PaletteChild*)GetWindowLongPtrA(w, GWLP_USERDATA);
    if (self && m == WM_PALETTECHANGED) {
      self->changed.push_back((HWND)wp);
      return 0;
    }
    if (self && m == WM_QUERYNEWPALETTE) {
      ++self->queried;
      return self->answer;
    }
    return DefWindowProcA(w, m, wp, lp);
  }
  PaletteChild(HWND parent, LRESULT a) : answer(a) {
    static ATOM atom = [] {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "OrvanelTestPaletteChild";
      return RegisterClassA(&wc);
    }();
    (void)atom;
    hwnd = CreateWindowA("OrvanelTestPaletteChild", "", WS_CHILD, 0, 0, 10, 10, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)this);
  }
  ~PaletteChild() { DestroyWindow(hwnd); }
  HWND hwnd;
  LRESULT answer;
  int queried = 0;
  std::vector<HWND> changed;
};

TEST(FormDraw, PaletteMessagesAreOfferedToTheChildren) {
  IWForm* f = MakeForm(Unique("Palette"));
  ASSERT_NE(nullptr, f);
  f->imLoad();
  HWND client = f->Client()->HWindow;
  {
    PaletteChild a(client, 0), b(client, 0), c(client, 0);
    HWND changer = (HWND)(LONG_PTR)0x1234;
    SendMessageA(f->HWindow, WM_PALETTECHANGED, (WPARAM)changer, 0);
    for (PaletteChild* p : {&a, &b, &c}) {
      ASSERT_EQ(1u, p->changed.size());
      EXPECT_EQ(changer, p->changed[0]);
    }
    // In window order, the second answers 1: the third is not asked.
    std::vector<PaletteChild*> order;
    for (HWND h = GetWindow(client, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
      for (PaletteChild* p : {&a, &b, &c})
        if (p->hwnd == h) order.push_back(p);
    ASSERT_EQ(3u, order.size());
    order[1]->answer = 1;
    EXPECT_EQ(TRUE, SendMessageA(f->HWindow, WM_QUERYNEWPALETTE, 0, 0));
    EXPECT_EQ(1, order[0]->queried);
    EXPECT_EQ(1, order[1]->queried);
    EXPECT_EQ(0, order[2]->queried);
    // Nobody answers 1: every child is asked and the form answers false.
    order[1]->answer = 0;
    EXPECT_EQ(FALSE, SendMessageA(f->HWindow, WM_QUERYNEWPALETTE, 0, 0));
    EXPECT_EQ(1, order[2]->queried);
  }
  f->imUnload();
}

// ---- edit mode ----

TEST(FormEdit, BeginEditDrawsRedMarksAndEndEditPaintsThemOver) {
  IWForm* f = MakeForm(Unique("Edited"));
  ASSERT_NE(nullptr, f);
  f->BeginEdit();  // shows the form
  ASSERT_NE(nullptr, f->HWindow);
  ASSERT_TRUE(IsWindowVisible(f->HWindow));
  Pump(150);
  EXPECT_TRUE(f->IsEditing());
  EXPECT_EQ(0, GetWindowLongA(f->Client()->HWindow, GWL_STYLE) & WS_CLIPCHILDREN);
  f->drawEditorMarks();  // what a repaint of the frame does in edit mode
  RECT wr;
  GetWindowRect(f->HWindow, &wr);
  TRect boxes[12];
  IWForm::BorderMarkRects(TRect(0, 0, wr.right - wr.left, wr.bottom - wr.top), GetSystemMetrics(SM_CXFRAME),
                          GetSystemMetrics(SM_CYFRAME), GetSystemMetrics(SM_CXSIZE),
                          GetSystemMetrics(SM_CYSIZE), boxes);
  Grab edited(f->HWindow, false);
  int checked = 0;
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    const TRect& b = boxes[i];
    if (b.Width() <= 0 || b.Height() <= 0) continue;
    ++checked;
    for (TPoint p : {TPoint(b.left, b.top), TPoint((b.left + b.right) / 2, (b.top + b.bottom) / 2),
                     TPoint(b.right - 1, b.bottom - 1)})
      EXPECT_EQ(RGB(255, 0, 0), edited.At(p.x, p.y)) << p.x << "," << p.y;
    // Just outside the box the frame is not red (the marks are the boxes only).
  }
  EXPECT_EQ(12, checked);
  // Outside the marks: the middle of the client is not red.
  EXPECT_NE(RGB(255, 0, 0), edited.At(edited.width / 2, edited.height / 2));

  f->EndEdit();
  EXPECT_FALSE(f->IsEditing());
  EXPECT_NE(0, GetWindowLongA(f->Client()->HWindow, GWL_STYLE) & WS_CLIPCHILDREN);
  Grab ended(f->HWindow, false);
  const COLORREF frame = GetSysColor(COLOR_ACTIVEBORDER);
  for (int i = 0; i < 12; ++i) {
    const TRect& b = boxes[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(frame, ended.At((b.left + b.right) / 2, (b.top + b.bottom) / 2));
  }
  f->imUnload();
}

TEST(FormEdit, TheMarkRectanglesFollowTheFrameSizes) {
  // A 200 x 100 frame, frame 4 x 4, caption boxes 18 x 18: the table of the twelve.
  TRect out[12];
  IWForm::BorderMarkRects(TRect(0, 0, 200, 100), 4, 4, 18, 18, out);
  const TRect want[12] = {
      TRect(1, 1, 22, 3),    TRect(1, 1, 3, 22),     TRect(1, 97, 22, 99),    TRect(1, 78, 3, 99),
      TRect(178, 1, 199, 3), TRect(197, 1, 199, 22), TRect(178, 97, 199, 99), TRect(197, 78, 199, 99),
      TRect(23, 1, 177, 3),  TRect(23, 97, 177, 99), TRect(1, 23, 3, 77),     TRect(197, 23, 199, 77),
  };
  for (int i = 0; i < 12; ++i) EXPECT_EQ(want[i], out[i]) << i;
}

TEST(FormEdit, AnEmbeddedFormIsItsContainersEditedChildUntilEndEdit) {
  IWForm* host = MakeForm(Unique("EditHost"), "  Type Inner From Form\n  End Type\n");
  ASSERT_NE(nullptr, host);
  IWForm* inner = formkit::Embedded<IWForm>(host, "Inner");
  ASSERT_NE(nullptr, inner);
  host->imShow();
  Pump(100);
  ASSERT_NE(nullptr, inner->HWindow);
  inner->BeginEdit();
  EXPECT_EQ(inner, host->EditedChild());
  // The marks lie on the container's client, around the inner form.
  RECT r;
  GetWindowRect(inner->HWindow, &r);
  POINT at = {r.left - GetSystemMetrics(SM_CXFRAME) + 1, r.top - GetSystemMetrics(SM_CYFRAME) + 1};
  ScreenToClient(host->Client()->HWindow, &at);
  Grab g(host->Client()->HWindow, true);
  if (GetSystemMetrics(SM_CYFRAME) > 2 && at.x >= 0 && at.y >= 0) {
    EXPECT_EQ(RGB(255, 0, 0), g.At(at.x, at.y));
  }
  inner->EndEdit();
  EXPECT_EQ(nullptr, host->EditedChild());
  EXPECT_FALSE(inner->IsEditing());
  host->imUnload();
}

TEST(FormEdit, EndEditWithTheContainerGoneDoesNothingAndDoesNotAssert) {
  IWForm* host = MakeForm(Unique("GoneHost"), "  Type Inner From Form\n  End Type\n");
  ASSERT_NE(nullptr, host);
  InterObjRep* innerObj = host->storeObj()->findEmbed("Inner");
  ASSERT_NE(nullptr, innerObj);
  Faultp<InterObjRep> keep(innerObj);
  IWForm* inner = IWForm::Native(innerObj);
  host->imShow();
  Pump(100);
  inner->BeginEdit();
  ASSERT_EQ(inner, host->EditedChild());
  // The container lets go of the form: no containing form any more.
  host->storeObj()->removeEmbed(innerObj);
  EXPECT_EQ(nullptr, host->EditedChild());
  ASSERT_TRUE(inner->IsEmbedded());
  ASSERT_EQ(nullptr, IWWindow::ParentForm(inner));
  inner->EndEdit();  // quietly
  EXPECT_FALSE(inner->IsEditing());
  inner->EndEdit();  // and again
  inner->drawEditorMarks();
  host->imUnload();
}

}  // namespace
