// The trace window: class "JxTraceClass", registered once per process, and its
// read-only edit control, trimmed from the top in steps of ten lines.
#include "dbutil/jxtrace.h"

#include "dbutil/jxerror.h"
#include "utl_globals.h"
#include "dbutil/utl_messages.h"

namespace {

const char* const CLASS_NAME = "JxTraceClass";
const char* const TITLE = "J+X Trace Window";
volatile LONG g_classRegistered;
volatile LONG g_failCreations;

bool failThisCreation() { return g_failCreations > 0 && InterlockedDecrement(&g_failCreations) >= 0; }

bool registerClassOnce(WNDPROC proc) {
  if (g_classRegistered) return true;
  WNDCLASSA wc = {};
  wc.style = CS_GLOBALCLASS;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = sizeof(LONG_PTR);  // the JxTrace
  wc.hInstance = utlInstance();
  wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = CLASS_NAME;
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  InterlockedExchange(&g_classRegistered, 1);
  return true;
}

}  // namespace

void JxTrace::testFailWindowCreation(int n) { InterlockedExchange(&g_failCreations, n); }

LRESULT CALLBACK JxTrace::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  JxTrace* trace = reinterpret_cast<JxTrace*>(GetWindowLongPtrA(window, 0));
  if (message == WM_SIZE && trace && trace->edit_) {
    MoveWindow(trace->edit_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
  }
  if (message == WM_NCDESTROY && trace) {
    // Closed by the user: the trace must not keep writing to a handle that is gone.
    trace->window_ = trace->edit_ = nullptr;
    trace->editCount_ = 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

JxStatus JxTrace::makeWindow() {
  HWND focus = GetFocus();
  HWND w = nullptr, e = nullptr;
  if (registerClassOnce(windowProc) && !failThisCreation())
    w = CreateWindowExA(0, CLASS_NAME, TITLE, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, nullptr);
  if (w && !failThisCreation()) {
    RECT r;
    GetClientRect(w, &r);
    e = CreateWindowExA(0, "EDIT", "",
                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY, 0, 0,
                        r.right, r.bottom, w, nullptr, instance_, nullptr);
  }
  if (!e) {
    if (w) DestroyWindow(w);
    utlErrorById(MSG_NO_TRACE_WINDOW);
    return 1;
  }
  SendMessageA(e, EM_LIMITTEXT, EDIT_LIMIT, 0);
  window_ = w;
  edit_ = e;
  editCount_ = 0;
  SetWindowLongPtrA(w, 0, reinterpret_cast<LONG_PTR>(this));
  ShowWindow(w, SW_SHOWNORMAL);
  if (focus) SetFocus(focus);
  return 0;
}

void JxTrace::appendToWindow(const char* text, uint32_t length) {
  bool trimmed = false;
  if (editCount_ + length > EDIT_LIMIT) {
    SendMessageA(edit_, WM_SETREDRAW, FALSE, 0);
    trimmed = true;
    // Whole lines go, ten at a time, until what goes makes room for the new line.
    LRESULT lines = SendMessageA(edit_, EM_GETLINECOUNT, 0, 0);
    LRESULT cut = -1;
    for (LRESULT k = TRIM_STEP; k < lines; k += TRIM_STEP) {
      LRESULT start = SendMessageA(edit_, EM_LINEINDEX, k, 0);
      if (start >= static_cast<LRESULT>(length)) {
        cut = start;
        break;
      }
    }
    if (cut < 0) cut = static_cast<LRESULT>(editCount_);
    SendMessageA(edit_, EM_SETSEL, 0, cut);
    SendMessageA(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    editCount_ -= static_cast<uint32_t>(cut);
  }
  SendMessageA(edit_, EM_SETSEL, editCount_, editCount_);
  // The edit control takes a terminated text: the line is passed as a copy when needed.
  if (text[length] == 0) {
    SendMessageA(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
  } else {
    JxString copy;
    if (copy.initialize(text, length) == 0)
      SendMessageA(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(copy.getPtr()));
  }
  editCount_ = static_cast<uint32_t>(GetWindowTextLengthA(edit_));
  if (trimmed) {
    SendMessageA(edit_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit_, nullptr, TRUE);
  }
}

void JxTrace::setTopMost() {
  if (window_) SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void JxTrace::resetTopMost() {
  if (window_) SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
