// The window procedure and message dispatch: response-table search, command routing with
// notifications reflected to the control, default processing, and the catching of
// handler exceptions at the Win32 boundary.
#include <exception>

#include "winlib/applicat.h"
#include "winlib/control.h"
#include "winproc.h"

const char WlPropName[] = "OvWinLibObject";

namespace {
TWindow* g_creating = nullptr;

// Pushes the event for the duration of one dispatch, also when a handler throws.
struct EventScope {
  TCurrentEvent& event;
  explicit EventScope(TCurrentEvent& e) : event(e) { TApplication::PushCurrentEvent(e); }
  ~EventScope() { TApplication::PopCurrentEvent(event); }
};
}  // namespace

WlCreatingScope::WlCreatingScope(TWindow* window) : previous_(g_creating) { g_creating = window; }
WlCreatingScope::~WlCreatingScope() { g_creating = previous_; }

TWindow* WlClaimCreating() {
  TWindow* w = g_creating;
  g_creating = nullptr;
  return w;
}

// The object being created claims the first window of its own class that speaks; a
// window of a library class made on the way (a control of a dialog template) does not.
static bool IsCreatingWindow(HWND handle) {
  if (!g_creating) return false;
  char name[256];
  return ::GetClassNameA(handle, name, sizeof name) && ::lstrcmpiA(name, g_creating->GetClassName()) == 0;
}

LRESULT CALLBACK WlStdWndProc(HWND handle, UINT msg, WPARAM p1, LPARAM p2) {
  TWindow* w = TWindow::GetWindowPtr(handle);
  if (!w) {
    if (!IsCreatingWindow(handle)) return ::DefWindowProcA(handle, msg, p1, p2);
    w = WlClaimCreating();
    w->Attach(handle);
  }
  TCurrentEvent event(w, msg, p1, p2);
  LRESULT result = 0;
  try {
    EventScope scope(event);
    if (msg == WM_DESTROY) w->CleanupWindow();
    result = w->WindowProc(msg, p1, p2);
  } catch (...) {
    // Held until DispatchMessage (or the creating call) returns; a failed WM_CREATE
    // makes creation fail.
    TApplication::SuspendThrow(std::current_exception());
    result = msg == WM_CREATE ? -1 : 0;
    if (msg == WM_NCCREATE) result = FALSE;
    if (msg == WM_DESTROY || msg == WM_NCDESTROY) w->DefWindowProc(msg, p1, p2);
  }
  // The object may have been deleted by its own handler: look it up again.
  if (msg == WM_NCDESTROY && TWindow::GetWindowPtr(handle) == w) w->HandleNcDestroy();
  return result;
}

// ---- response tables ----

bool TEventInfo::Matches(const TResponseTableEntry& e, const TEventInfo& info) {
  if (e.Msg != info.Msg) return false;
  switch (info.Kind) {
    case ekMessage:
      return e.Kind == ekMessage;
    case ekCommand:
    case ekCommandEnable:
      return e.Kind == info.Kind && e.Id == info.Id;
    case ekChildNotify:
      return e.Id == info.Id &&
             ((e.Kind == ekChildNotify && e.Code == info.Code) || e.Kind == ekChildNotifyAll);
    case ekNotifyAtChild:
      return e.Kind == ekNotifyAtChild && e.Code == info.Code;
  }
  return false;
}

bool TEventInfo::SearchTable(const TResponseTableEntry* table, void* object, TEqualOperator eq) {
  for (const TResponseTableEntry* e = table; e->Dispatcher; ++e) {
    if (eq ? eq(*e, *this) : Matches(*e, *this)) {
      Entry = e;
      Object = object;
      return true;
    }
  }
  return false;
}

// ---- dispatch ----

LRESULT TWindow::WindowProc(uint msg, WPARAM p1, LPARAM p2) {
  if (msg == WM_COMMAND) return EvCommand(LOWORD(p1), HWND(p2), HIWORD(p1));
  if (msg == WM_COMMAND_ENABLE) {
    EvCommandEnable(*reinterpret_cast<TCommandEnabler*>(p2));
    return 0;
  }
  if (msg == WM_SETFOCUS) {
    // Frames remember the focused descendant to give the focus back on reactivation.
    for (TWindow* p = Parent; p; p = p->Parent)
      if (p->HoldFocusHWnd(HWND(p1), HWindow)) break;
  }
  TEventInfo ev(msg);
  if (Find(ev)) return ev.Dispatch(p1, p2);
  return DefaultProcessing();
}

LRESULT TWindow::HandleMessage(uint msg, WPARAM p1, LPARAM p2) {
  TCurrentEvent event(this, msg, p1, p2);
  EventScope scope(event);
  return WindowProc(msg, p1, p2);
}

LRESULT TWindow::DefaultProcessing() {
  TCurrentEvent* ev = TApplication::GetCurrentEvent();
  if (!ev) return 0;
  if (ev->Win != this) {
    // A notification reflected to this control: the parent gets it next.
    if (ev->Message == WM_COMMAND && HWND(ev->Param2) == HWindow) ev->PassToParent = true;
    return 0;
  }
  if (!HWindow) return 0;
  return DefWindowProc(ev->Message, ev->Param1, ev->Param2);
}

LRESULT TWindow::DefWindowProc(uint msg, WPARAM p1, LPARAM p2) {
  if (DefaultProc) return ::CallWindowProcA(DefaultProc, HWindow, msg, p1, p2);
  return ::DefWindowProcA(HWindow, msg, p1, p2);
}

// A control's notification first goes to the control's own table (reflection); unless
// its handler asks for the default, that is the end. Then the parent's child-notification
// entries, then (for menus, accelerators and button clicks) the command entries.
LRESULT TWindow::EvCommand(uint id, HWND hWndCtl, uint notifyCode) {
  WPARAM p1 = MAKEWPARAM(id, notifyCode);
  LPARAM p2 = reinterpret_cast<LPARAM>(hWndCtl);
  if (hWndCtl) {
    TWindow* child = GetWindowPtr(hWndCtl);
    if (child && child != this) {
      TEventInfo at(WM_COMMAND, 0, notifyCode, ekNotifyAtChild);
      if (child->Find(at)) {
        TCurrentEvent* ev = TApplication::GetCurrentEvent();
        bool saved = ev ? ev->PassToParent : false;
        if (ev) ev->PassToParent = false;
        at.Dispatch(p1, p2);
        bool pass = ev && ev->PassToParent;
        if (ev) ev->PassToParent = saved;
        if (!pass) return 0;
      }
    }
    TEventInfo cn(WM_COMMAND, id, notifyCode, ekChildNotify);
    if (Find(cn)) return cn.Dispatch(p1, p2);
    if (notifyCode != BN_CLICKED) return DefaultProcessing();
  }
  TEventInfo cmd(WM_COMMAND, id, 0, ekCommand);
  if (Find(cmd)) return cmd.Dispatch(p1, p2);
  return DefaultProcessing();
}

void TWindow::EvCommandEnable(TCommandEnabler& enabler) {
  TEventInfo ev(WM_COMMAND_ENABLE, enabler.Id, 0, ekCommandEnable);
  if (Find(ev)) ev.Dispatch(0, reinterpret_cast<LPARAM>(&enabler));
}

void TWindow::RouteCommandEnable(HWND target, TCommandEnabler& enabler) {
  for (HWND h = target; h && !enabler.Handled(); h = ::GetParent(h)) {
    if (TWindow* w = GetWindowPtr(h)) w->EvCommandEnable(enabler);
    if (h == HWindow) break;
  }
  if (!enabler.Handled() && target != HWindow) EvCommandEnable(enabler);
}

bool TWindow::PreProcessMsg(MSG& msg) {
  return HAccel && HWindow && ::TranslateAcceleratorA(HWindow, HAccel, &msg);
}

bool TWindow::IdleAction(long idleCount) {
  bool more = false;
  if (TWindow* w = GetFirstChild()) {
    do {
      if (w->HWindow && w->IdleAction(idleCount)) more = true;
      w = w->SiblingList;
    } while (w != GetFirstChild());
  }
  return more;
}

bool TWindow::HoldFocusHWnd(HWND, HWND) { return false; }
void TWindow::Paint(TDC&, bool, TRect&) {}
void* TWindow::GetAsInterObjRep(TPoint&) { return nullptr; }
