// Response tables: each window class has a static array of entries, each naming a message
// (or a command, a child notification, a notification reflected to the control itself, or
// a command-enable query) and the member that handles it. Find() searches the class's own
// array and then each base class's Find in the order the definition lists them.
//
//   class TMyWin : public TFrameWindow {
//     ...
//     DECLARE_RESPONSE_TABLE(TMyWin);
//   };
//   DEFINE_RESPONSE_TABLE1(TMyWin, TFrameWindow)
//     EV_WM_SIZE,
//     EV_COMMAND(CM_OPEN, CmOpen),
//     EV_CHILD_NOTIFY(IDC_LIST, LBN_SELCHANGE, ListChanged),
//   END_RESPONSE_TABLE;
//
// A dispatcher is a function template instantiated with the table's class and the member,
// so handlers of any base (virtual bases included) are called on the right object.
#pragma once

#include <type_traits>

#include "defs.h"
#include "geometry.h"

class TCommandEnabler;
class TDropInfo;

// What an entry answers.
enum TEntryKind {
  ekMessage,         // Msg
  ekCommand,         // WM_COMMAND with Id (menus, accelerators, and controls without a
                     // child-notification entry)
  ekCommandEnable,   // a command-enable query for Id
  ekChildNotify,     // WM_COMMAND from child Id with notification Code (in the parent)
  ekChildNotifyAll,  // WM_COMMAND from child Id with any code
  ekNotifyAtChild,   // notification Code handled by the control itself (reflected)
};

typedef LRESULT (*TDispatcher)(void* object, WPARAM p1, LPARAM p2);

struct TResponseTableEntry {
  uint Msg;
  uint Id;
  uint Code;
  int Kind;
  TDispatcher Dispatcher;  // null ends a table
};

class TEventInfo;
typedef bool (*TEqualOperator)(const TResponseTableEntry&, const TEventInfo&);

class OVGUI1_API TEventInfo {
 public:
  explicit TEventInfo(uint msg, uint id = 0, uint code = 0, int kind = ekMessage)
      : Msg(msg), Id(id), Code(code), Kind(kind) {}

  uint Msg, Id, Code;
  int Kind;
  // Set by Find when an entry matched: the entry and the object (of the class whose
  // table held the entry) to call it on.
  const TResponseTableEntry* Entry = nullptr;
  void* Object = nullptr;

  // The library's entry search over one table; records a match and answers it.
  bool SearchTable(const TResponseTableEntry* table, void* object, TEqualOperator eq);
  // Default matching of an entry against this event.
  static bool Matches(const TResponseTableEntry& entry, const TEventInfo& info);
  LRESULT Dispatch(WPARAM p1, LPARAM p2) const { return Entry->Dispatcher(Object, p1, p2); }
};

// The command-enable query travels as this private message (lParam: TCommandEnabler*).
enum : uint { WM_COMMAND_ENABLE = 0x7FF0 };

#define DECLARE_RESPONSE_TABLE(cls)                  \
 private:                                            \
  typedef cls TMyClass;                              \
  static const TResponseTableEntry ResponseTable_[]; \
                                                     \
 public:                                             \
  virtual bool Find(TEventInfo& ev, TEqualOperator eq = nullptr)

#define WL_FIND_OWN(cls)                              \
  bool cls::Find(TEventInfo& ev, TEqualOperator eq) { \
    if (ev.SearchTable(ResponseTable_, static_cast<void*>(this), eq)) return true;

#define WL_TABLE_START(cls) const TResponseTableEntry cls::ResponseTable_[] = {
#define DEFINE_RESPONSE_TABLE(cls) \
  WL_FIND_OWN(cls) return false;   \
  }                                \
  WL_TABLE_START(cls)
#define DEFINE_RESPONSE_TABLE1(cls, b1)     \
  WL_FIND_OWN(cls) return b1::Find(ev, eq); \
  }                                         \
  WL_TABLE_START(cls)
#define DEFINE_RESPONSE_TABLE2(cls, b1, b2)                     \
  WL_FIND_OWN(cls) return b1::Find(ev, eq) || b2::Find(ev, eq); \
  }                                                             \
  WL_TABLE_START(cls)
#define DEFINE_RESPONSE_TABLE3(cls, b1, b2, b3)                                     \
  WL_FIND_OWN(cls) return b1::Find(ev, eq) || b2::Find(ev, eq) || b3::Find(ev, eq); \
  }                                                                                 \
  WL_TABLE_START(cls)

#define END_RESPONSE_TABLE \
  { 0, 0, 0, 0, nullptr }  \
  }

// ---- Dispatchers: unpack WPARAM/LPARAM for one handler signature. ----
namespace wl_dispatch {

template <class R>
inline LRESULT Result(R r) {
  return (LRESULT)r;
}
template <class R>
inline LRESULT Result(R* r) {
  return reinterpret_cast<LRESULT>(r);
}

template <class T>
inline T* Obj(void* o) {
  return static_cast<T*>(o);
}

// void ()
template <class T, auto F>
LRESULT V(void* o, WPARAM, LPARAM) {
  (Obj<T>(o)->*F)();
  return 0;
}
// R () -- bool, HICON, ...
template <class T, auto F>
LRESULT R0(void* o, WPARAM, LPARAM) {
  return Result((Obj<T>(o)->*F)());
}
// void (uint id) for commands, (uint code) for all-codes child notifications
template <class T, auto F>
LRESULT CmdId(void* o, WPARAM w, LPARAM) {
  (Obj<T>(o)->*F)(uint(LOWORD(w)));
  return 0;
}
template <class T, auto F>
LRESULT NotifyCode(void* o, WPARAM w, LPARAM) {
  (Obj<T>(o)->*F)(uint(HIWORD(w)));
  return 0;
}
// void (TCommandEnabler&)
template <class T, auto F>
LRESULT Enable(void* o, WPARAM, LPARAM l) {
  (Obj<T>(o)->*F)(*reinterpret_cast<TCommandEnabler*>(l));
  return 0;
}
// LRESULT (WPARAM, LPARAM): raw and registered messages
template <class T, auto F>
LRESULT Raw(void* o, WPARAM w, LPARAM l) {
  return (Obj<T>(o)->*F)(w, l);
}
// R (X&) with X* in lParam: WINDOWPOS, MINMAXINFO, CREATESTRUCT
template <class O, class C, class R, class X>
LRESULT CallRef(O* o, R (C::*f)(X&), LPARAM l) {
  if constexpr (std::is_void_v<R>) {
    (o->*f)(*reinterpret_cast<X*>(l));
    return 0;
  } else
    return Result((o->*f)(*reinterpret_cast<X*>(l)));
}
template <class T, auto F>
LRESULT RefL(void* o, WPARAM, LPARAM l) {
  return CallRef(Obj<T>(o), F, l);
}
// R (uint ctlId, X&) with X* in lParam: DRAWITEM, MEASUREITEM, COMPAREITEM, DELETEITEM
template <class O, class C, class R, class X>
LRESULT CallIdRef(O* o, R (C::*f)(uint, X&), WPARAM w, LPARAM l) {
  if constexpr (std::is_void_v<R>) {
    (o->*f)(uint(w), *reinterpret_cast<X*>(l));
    return 0;
  } else
    return Result((o->*f)(uint(w), *reinterpret_cast<X*>(l)));
}
template <class T, auto F>
LRESULT IdRefL(void* o, WPARAM w, LPARAM l) {
  return CallIdRef(Obj<T>(o), F, w, l);
}
// R (HANDLE in wParam): focus, palette-changed, init-menu, erase-background
template <class O, class C, class R, class H>
LRESULT CallHandle(O* o, R (C::*f)(H), WPARAM w) {
  if constexpr (std::is_void_v<R>) {
    (o->*f)(H(w));
    return 0;
  } else
    return Result((o->*f)(H(w)));
}
template <class T, auto F>
LRESULT HandleW(void* o, WPARAM w, LPARAM) {
  return CallHandle(Obj<T>(o), F, w);
}
// void (uint sizeType, TSize&)
template <class T, auto F>
LRESULT Size(void* o, WPARAM w, LPARAM l) {
  TSize s(short(LOWORD(l)), short(HIWORD(l)));
  (Obj<T>(o)->*F)(uint(w), s);
  return 0;
}
// void (TPoint& clientOrigin)
template <class T, auto F>
LRESULT Move(void* o, WPARAM, LPARAM l) {
  TPoint p(short(LOWORD(l)), short(HIWORD(l)));
  (Obj<T>(o)->*F)(p);
  return 0;
}
// void (uint modKeys, TPoint&)
template <class T, auto F>
LRESULT Mouse(void* o, WPARAM w, LPARAM l) {
  TPoint p(short(LOWORD(l)), short(HIWORD(l)));
  (Obj<T>(o)->*F)(uint(w), p);
  return 0;
}
// void (uint key, uint repeatCount, uint flags)
template <class T, auto F>
LRESULT Key(void* o, WPARAM w, LPARAM l) {
  (Obj<T>(o)->*F)(uint(w), uint(LOWORD(l)), uint(HIWORD(l)));
  return 0;
}
// void (uint timerId)
template <class T, auto F>
LRESULT Timer(void* o, WPARAM w, LPARAM) {
  (Obj<T>(o)->*F)(uint(w));
  return 0;
}
// HBRUSH (HDC, HWND, uint ctlType) for each WM_CTLCOLOR* message
template <class T, auto F, uint Type>
LRESULT CtlColor(void* o, WPARAM w, LPARAM l) {
  return Result((Obj<T>(o)->*F)(HDC(w), HWND(l), Type));
}
// uint (MSG*)
template <class T, auto F>
LRESULT DlgCode(void* o, WPARAM, LPARAM l) {
  return Result((Obj<T>(o)->*F)(reinterpret_cast<MSG*>(l)));
}
// void (HMENU, uint index, bool sysMenu)
template <class T, auto F>
LRESULT MenuPopup(void* o, WPARAM w, LPARAM l) {
  (Obj<T>(o)->*F)(HMENU(w), uint(LOWORD(l)), HIWORD(l) != 0);
  return 0;
}
// void (uint id, uint flags, HMENU)
template <class T, auto F>
LRESULT MenuSelect(void* o, WPARAM w, LPARAM l) {
  (Obj<T>(o)->*F)(uint(LOWORD(w)), uint(HIWORD(w)), HMENU(l));
  return 0;
}
// bool (HWND, uint hitTest, uint mouseMsg)
template <class T, auto F>
LRESULT SetCursor(void* o, WPARAM w, LPARAM l) {
  return Result((Obj<T>(o)->*F)(HWND(w), uint(LOWORD(l)), uint(HIWORD(l))));
}
// void (uint scrollCode, uint thumbPos, HWND ctl)
template <class T, auto F>
LRESULT Scroll(void* o, WPARAM w, LPARAM l) {
  (Obj<T>(o)->*F)(uint(LOWORD(w)), uint(HIWORD(w)), HWND(l));
  return 0;
}
// void (uint cmdType, TPoint&)
template <class T, auto F>
LRESULT SysCommand(void* o, WPARAM w, LPARAM l) {
  TPoint p(short(LOWORD(l)), short(HIWORD(l)));
  (Obj<T>(o)->*F)(uint(w), p);
  return 0;
}
// void (uint active, bool minimized, HWND other)
template <class T, auto F>
LRESULT Activate(void* o, WPARAM w, LPARAM l) {
  (Obj<T>(o)->*F)(uint(LOWORD(w)), HIWORD(w) != 0, HWND(l));
  return 0;
}
// int (uint key, HWND listBox, uint caretIndex): WM_CHARTOITEM, WM_VKEYTOITEM
template <class T, auto F>
LRESULT ToItem(void* o, WPARAM w, LPARAM l) {
  return Result((Obj<T>(o)->*F)(uint(LOWORD(w)), HWND(l), uint(HIWORD(w))));
}
// void (TDropInfo)
template <class T, auto F>
LRESULT DropFiles(void* o, WPARAM w, LPARAM);

}  // namespace wl_dispatch

#define WL_ENTRY(msg, id, code, kind, cracker, method) \
  { uint(msg), uint(id), uint(code), kind, &wl_dispatch::cracker<TMyClass, &TMyClass::method> }
#define WL_MSG(msg, cracker, method) WL_ENTRY(msg, 0, 0, ekMessage, cracker, method)

#define EV_MESSAGE(msg, method) WL_MSG(msg, Raw, method)
#define EV_REGISTERED(name, method) WL_MSG(::RegisterWindowMessageA(name), Raw, method)
#define EV_COMMAND(id, method) WL_ENTRY(WM_COMMAND, id, 0, ekCommand, V, method)
#define EV_COMMAND_AND_ID(id, method) WL_ENTRY(WM_COMMAND, id, 0, ekCommand, CmdId, method)
#define EV_COMMAND_ENABLE(id, method) WL_ENTRY(WM_COMMAND_ENABLE, id, 0, ekCommandEnable, Enable, method)
#define EV_CHILD_NOTIFY(id, code, method) WL_ENTRY(WM_COMMAND, id, code, ekChildNotify, V, method)
#define EV_CHILD_NOTIFY_AND_CODE(id, code, method) \
  WL_ENTRY(WM_COMMAND, id, code, ekChildNotify, NotifyCode, method)
#define EV_CHILD_NOTIFY_ALL_CODES(id, method) \
  WL_ENTRY(WM_COMMAND, id, 0, ekChildNotifyAll, NotifyCode, method)
#define EV_NOTIFY_AT_CHILD(code, method) WL_ENTRY(WM_COMMAND, 0, code, ekNotifyAtChild, V, method)

#define EV_BN_CLICKED(method) EV_NOTIFY_AT_CHILD(BN_CLICKED, method)
#define EV_LBN_SELCHANGE(method) EV_NOTIFY_AT_CHILD(LBN_SELCHANGE, method)
#define EV_LBN_DBLCLK(method) EV_NOTIFY_AT_CHILD(LBN_DBLCLK, method)
#define EV_CBN_SELCHANGE(method) EV_NOTIFY_AT_CHILD(CBN_SELCHANGE, method)
#define EV_CBN_DROPDOWN(method) EV_NOTIFY_AT_CHILD(CBN_DROPDOWN, method)
#define EV_CBN_CLOSEUP(method) EV_NOTIFY_AT_CHILD(CBN_CLOSEUP, method)
#define EV_CBN_EDITCHANGE(method) EV_NOTIFY_AT_CHILD(CBN_EDITCHANGE, method)
#define EV_EN_CHANGE(method) EV_NOTIFY_AT_CHILD(EN_CHANGE, method)
#define EV_EN_KILLFOCUS(method) EV_NOTIFY_AT_CHILD(EN_KILLFOCUS, method)

// Window messages with the handler name the library uses.
#define EV_WM_PAINT WL_MSG(WM_PAINT, V, EvPaint)
#define EV_WM_ERASEBKGND WL_MSG(WM_ERASEBKGND, HandleW, EvEraseBkgnd)
#define EV_WM_SIZE WL_MSG(WM_SIZE, Size, EvSize)
#define EV_WM_MOVE WL_MSG(WM_MOVE, Move, EvMove)
#define EV_WM_CREATE WL_MSG(WM_CREATE, RefL, EvCreate)
#define EV_WM_CLOSE WL_MSG(WM_CLOSE, V, EvClose)
#define EV_WM_DESTROY WL_MSG(WM_DESTROY, V, EvDestroy)
#define EV_WM_QUERYENDSESSION WL_MSG(WM_QUERYENDSESSION, R0, EvQueryEndSession)
#define EV_WM_LBUTTONDOWN WL_MSG(WM_LBUTTONDOWN, Mouse, EvLButtonDown)
#define EV_WM_LBUTTONUP WL_MSG(WM_LBUTTONUP, Mouse, EvLButtonUp)
#define EV_WM_LBUTTONDBLCLK WL_MSG(WM_LBUTTONDBLCLK, Mouse, EvLButtonDblClk)
#define EV_WM_RBUTTONDOWN WL_MSG(WM_RBUTTONDOWN, Mouse, EvRButtonDown)
#define EV_WM_RBUTTONUP WL_MSG(WM_RBUTTONUP, Mouse, EvRButtonUp)
#define EV_WM_MOUSEMOVE WL_MSG(WM_MOUSEMOVE, Mouse, EvMouseMove)
#define EV_WM_KEYDOWN WL_MSG(WM_KEYDOWN, Key, EvKeyDown)
#define EV_WM_KEYUP WL_MSG(WM_KEYUP, Key, EvKeyUp)
#define EV_WM_CHAR WL_MSG(WM_CHAR, Key, EvChar)
#define EV_WM_SYSKEYDOWN WL_MSG(WM_SYSKEYDOWN, Key, EvSysKeyDown)
#define EV_WM_SETFOCUS WL_MSG(WM_SETFOCUS, HandleW, EvSetFocus)
#define EV_WM_KILLFOCUS WL_MSG(WM_KILLFOCUS, HandleW, EvKillFocus)
#define EV_WM_TIMER WL_MSG(WM_TIMER, Timer, EvTimer)
#define EV_WM_WINDOWPOSCHANGED WL_MSG(WM_WINDOWPOSCHANGED, RefL, EvWindowPosChanged)
#define EV_WM_GETMINMAXINFO WL_MSG(WM_GETMINMAXINFO, RefL, EvGetMinMaxInfo)
#define EV_WM_PALETTECHANGED WL_MSG(WM_PALETTECHANGED, HandleW, EvPaletteChanged)
#define EV_WM_QUERYNEWPALETTE WL_MSG(WM_QUERYNEWPALETTE, R0, EvQueryNewPalette)
#define EV_WM_QUERYDRAGICON WL_MSG(WM_QUERYDRAGICON, R0, EvQueryDragIcon)
#define EV_WM_GETDLGCODE WL_MSG(WM_GETDLGCODE, DlgCode, EvGetDlgCode)
#define EV_WM_DRAWITEM WL_MSG(WM_DRAWITEM, IdRefL, EvDrawItem)
#define EV_WM_MEASUREITEM WL_MSG(WM_MEASUREITEM, IdRefL, EvMeasureItem)
#define EV_WM_COMPAREITEM WL_MSG(WM_COMPAREITEM, IdRefL, EvCompareItem)
#define EV_WM_DELETEITEM WL_MSG(WM_DELETEITEM, IdRefL, EvDeleteItem)
#define EV_WM_INITMENU WL_MSG(WM_INITMENU, HandleW, EvInitMenu)
#define EV_WM_INITMENUPOPUP WL_MSG(WM_INITMENUPOPUP, MenuPopup, EvInitMenuPopup)
#define EV_WM_MENUSELECT WL_MSG(WM_MENUSELECT, MenuSelect, EvMenuSelect)
#define EV_WM_SETCURSOR WL_MSG(WM_SETCURSOR, SetCursor, EvSetCursor)
#define EV_WM_HSCROLL WL_MSG(WM_HSCROLL, Scroll, EvHScroll)
#define EV_WM_VSCROLL WL_MSG(WM_VSCROLL, Scroll, EvVScroll)
#define EV_WM_SYSCOMMAND WL_MSG(WM_SYSCOMMAND, SysCommand, EvSysCommand)
#define EV_WM_ACTIVATE WL_MSG(WM_ACTIVATE, Activate, EvActivate)
#define EV_WM_CHARTOITEM WL_MSG(WM_CHARTOITEM, ToItem, EvCharToItem)
#define EV_WM_VKEYTOITEM WL_MSG(WM_VKEYTOITEM, ToItem, EvVKeyToItem)
#define EV_WM_DROPFILES WL_MSG(WM_DROPFILES, DropFiles, EvDropFiles)
#define EV_WM_CTLCOLOR                                                               \
  {WM_CTLCOLORMSGBOX, 0, 0, ekMessage,                                               \
   &wl_dispatch::CtlColor<TMyClass, &TMyClass::EvCtlColor, CTLCOLOR_MSGBOX>},        \
      {WM_CTLCOLOREDIT, 0, 0, ekMessage,                                             \
       &wl_dispatch::CtlColor<TMyClass, &TMyClass::EvCtlColor, CTLCOLOR_EDIT>},      \
      {WM_CTLCOLORLISTBOX, 0, 0, ekMessage,                                          \
       &wl_dispatch::CtlColor<TMyClass, &TMyClass::EvCtlColor, CTLCOLOR_LISTBOX>},   \
      {WM_CTLCOLORBTN, 0, 0, ekMessage,                                              \
       &wl_dispatch::CtlColor<TMyClass, &TMyClass::EvCtlColor, CTLCOLOR_BTN>},       \
      {WM_CTLCOLORDLG, 0, 0, ekMessage,                                              \
       &wl_dispatch::CtlColor<TMyClass, &TMyClass::EvCtlColor, CTLCOLOR_DLG>},       \
      {WM_CTLCOLORSCROLLBAR, 0, 0, ekMessage,                                        \
       &wl_dispatch::CtlColor<TMyClass, &TMyClass::EvCtlColor, CTLCOLOR_SCROLLBAR>}, \
  {                                                                                  \
    WM_CTLCOLORSTATIC, 0, 0, ekMessage,                                              \
        &wl_dispatch::CtlColor<TMyClass, &TMyClass::EvCtlColor, CTLCOLOR_STATIC>     \
  }
