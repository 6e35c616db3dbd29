// The splash window and super window.
#include "runtime/splash.h"

#include <memory>
#include <string>

#include "store/objectstore.h"
#include "store/storeexcept.h"
#include "utils/xexception.h"
#include "winlib/applicat.h"
#include "winlib/dib.h"
#include "winlib/framewin.h"
#include "winlib/gdiobjects.h"
#include "winlib/window.h"

namespace {

const char kClassName[] = "OrvanelMain";
const DWORD kStyle = 0x94490008;  // popup, visible, clip siblings, dialog frame, sysmenu, maximize box
enum { kIconId = 101 };

class SplashWin {
 public:
  explicit SplashWin(const char* file);
  ~SplashWin();
  void Paint();
  void DrawStatus(const char* text);

  HWND hwnd = nullptr;
  HDC dc = nullptr;
  RECT client = {};
  int statusTop = 0;
  std::unique_ptr<TDib> dib;
  std::unique_ptr<TBitmap> bitmap;
  HBITMAP hbmp = nullptr;
  HDC memDC = nullptr;
  int bmWidth = 0, bmHeight = 0;
};

SplashWin* g_splash = nullptr;
int g_statusLines = 0;
int g_lastCommand = 0;

void RegisterSplashClass(HINSTANCE instance) {
  WNDCLASSA wc = {};
  if (GetClassInfoA(instance, kClassName, &wc)) return;
  wc.style = CS_OWNDC | CS_BYTEALIGNCLIENT;
  wc.lpfnWndProc = SplashWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconId));
  wc.hCursor = LoadCursorA(nullptr, IDC_WAIT);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassA(&wc)) ThrowSystemError(0, nullptr);
}

SplashWin::SplashWin(const char* file) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterSplashClass(instance);
  if (file && *file) {
    char path[MAX_PATH];
    char* part = nullptr;
    if (ObjectStore::SearchOrvanelPath(file, ".bmp", path, &part)) {
      try {
        dib.reset(new TDib(path));
        bitmap.reset(new TBitmap(*dib));
        hbmp = *bitmap;
        bmWidth = bitmap->Width();
        bmHeight = bitmap->Height();
      } catch (...) {  // an unreadable bitmap: a splash without one
        bitmap.reset();
        dib.reset();
        hbmp = nullptr;
        bmWidth = bmHeight = 0;
      }
    }
  }
  int w = 0, h = 0;
  if (hbmp) {
    w = 2 * GetSystemMetrics(SM_CXDLGFRAME) + bmWidth + 2;
    h = 2 * GetSystemMetrics(SM_CYDLGFRAME) + bmHeight + 2;
  }
  TPoint at = TWindow::CalcCenterOnScreen(w, h);
  hwnd =
      CreateWindowExA(0, kClassName, nullptr, kStyle, at.x, at.y, w, h, nullptr, nullptr, instance, nullptr);
  if (!hwnd) ThrowSystemError(0, nullptr);
  dc = GetDC(hwnd);
  if (!dc) ThrowSystemError(0, nullptr);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICA tm;
  if (!GetClientRect(hwnd, &client) || !GetTextMetricsA(dc, &tm)) ThrowSystemError(0, nullptr);
  statusTop = client.bottom - tm.tmHeight - 2;
  Paint();
}

SplashWin::~SplashWin() {
  if (memDC) DeleteDC(memDC);
  if (hwnd) {
    if (dc) ReleaseDC(hwnd, dc);
    DestroyWindow(hwnd);
  }
}

void SplashWin::Paint() {
  if (hbmp) {
    if (!memDC) {
      memDC = CreateCompatibleDC(dc);
      SelectObject(memDC, hbmp);
    }
    BitBlt(dc, 0, 0, bmWidth, bmHeight, memDC, 0, 0, SRCCOPY);
  } else {
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
  }
}

void SplashWin::DrawStatus(const char* text) {
  Paint();
  if (text) TextOutA(dc, 2, statusTop, text, lstrlenA(text));
}

// Passes a system command on to the main window once, until another comes between.
void PassOn(int received, int command) {
  if (g_lastCommand != received) {
    TApplication* app = GetApplicationObject();
    TFrameWindow* main = app ? app->GetMainWindow() : nullptr;
    if (main && main->HWindow) SendMessageA(main->HWindow, WM_SYSCOMMAND, command, 0);
  }
  g_lastCommand = received;
}

}  // namespace

void ShowSplash(const char* file, int statusLines) {
  if (!g_splash) g_splash = new SplashWin(file);
  g_statusLines = statusLines;
}

void ShowStatus(const char* text) {
  if (g_splash && g_statusLines) g_splash->DrawStatus(text);
}

void SetSplashStatus(int on) { g_statusLines = on; }

void SinkSplash() {
  if (g_splash) SetWindowPos(g_splash->hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE);
}

HWND SplashHandle() { return g_splash ? g_splash->hwnd : nullptr; }

bool SplashHasBitmap(int* width, int* height) {
  if (width) *width = g_splash ? g_splash->bmWidth : 0;
  if (height) *height = g_splash ? g_splash->bmHeight : 0;
  return g_splash && g_splash->hbmp;
}

void DestroySplash() {
  delete g_splash;
  g_splash = nullptr;
  g_lastCommand = 0;
}

extern "C" LRESULT CALLBACK SplashWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SYSCOMMAND:
      switch (wp & 0xFFF0) {
        case SC_MINIMIZE:
          PassOn(SC_MINIMIZE, SC_MINIMIZE);
          break;
        case SC_RESTORE:
          PassOn(SC_RESTORE, SC_RESTORE);
          break;
        case SC_MAXIMIZE:
          PassOn(SC_MAXIMIZE, SC_RESTORE);
          return 0;
        case SC_CLOSE:
          PassOn(SC_CLOSE, SC_CLOSE);
          return 0;
      }
      break;
    case WM_INITMENU: {
      HMENU menu = GetSystemMenu(hwnd, FALSE);
      EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
      EnableMenuItem(menu, SC_MOVE, MF_BYCOMMAND | MF_GRAYED);
      EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
      bool iconic = IsIconic(hwnd);
      EnableMenuItem(menu, SC_MINIMIZE, MF_BYCOMMAND | (iconic ? MF_GRAYED : MF_ENABLED));
      EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | (iconic ? MF_ENABLED : MF_GRAYED));
      break;
    }
    case WM_PAINT:
      if (g_splash && g_splash->hwnd == hwnd) g_splash->Paint();
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}
