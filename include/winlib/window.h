// TWindow: the C++ object behind a window handle, virtual base of every window class.
//
// The object finds its handle in HWindow; the handle finds its object through a window
// property (GetWindowPtr). Messages reach WindowProc, which searches the response tables
// (Find) and calls the handler, or DefaultProcessing when there is none. Exceptions from
// handlers are caught at the window procedure, held by the application and rethrown after
// the dispatch returns (TApplication::ResumeThrow), so they never unwind through Win32.
//
// Children form a circular list: ChildList points at the LAST child, whose SiblingList is
// the first.
#pragma once

#include <cstdint>
#include <string>

#include "cmdenabler.h"
#include "dropinfo.h"
#include "eventhandler.h"
#include "geometry.h"
#include "validator.h"

class TApplication;
class TDC;
class TModule;

// Bits of the flags word. 0x0800 (moving), 0x2000 (3-D look) and 0x4000 (in setup or
// being re-created) belong to the published window base of oviui1: this library never
// sets, clears or reads them. 0x1000 and 0x10000 upwards are left to derived classes.
enum TWindowFlag : uint32_t {
  wfAlias = 0x0001,            // wraps a window this object did not create
  wfAutoCreate = 0x0002,       // created with its parent
  wfFromResource = 0x0004,     // a control of a dialog template
  wfShrinkToClient = 0x0008,   // frame sizes itself around its client
  wfMainWindow = 0x0010,       // the application's main window
  wfFullyCreated = 0x0020,     // SetupWindow has run
  wfPredefinedClass = 0x0040,  // a system class (BUTTON, EDIT, ...) subclassed by us
  wfTransfer = 0x0080,         // takes part in TransferData
  wfModalWindow = 0x0100,      // running in BeginModal
  wfDetached = 0x0200,         // handle gone (WM_NCDESTROY seen)
  wfOwnedElsewhere = 0x0400,   // not deleted with its parent (something else owns the object)
};

struct TWindowAttr {
  uint32_t Style = 0;
  uint32_t ExStyle = 0;
  int X = 0, Y = 0, W = 0, H = 0;
  int Id = 0;                        // control id of a child
  const char* Menu = nullptr;        // menu resource of a top-level window
  const char* AccelTable = nullptr;  // accelerator resource (loaded at creation)
  void* Param = nullptr;             // lpParam of CreateWindowEx
};

class OVGUI1_API TWindow {
 public:
  TWindow(TWindow* parent, const char* title = nullptr, TModule* module = nullptr);
  // An alias object for an existing handle: it subclasses the window but never destroys it.
  explicit TWindow(HWND handle, TModule* module = nullptr);
  virtual ~TWindow();
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  // ---- state ----
  HWND HWindow = nullptr;
  char* Title = nullptr;
  TWindow* Parent = nullptr;
  TWindowAttr Attr;
  TColor BkgndColor = TColor(COLORREF(0xFFFFFFFF));  // 0xFFFFFFFF: the class background

  HWND GetHandle() const { return HWindow; }
  operator HWND() const { return HWindow; }
  bool IsWindow() const { return HWindow && ::IsWindow(HWindow); }
  TModule* GetModule() const { return Module; }
  void SetModule(TModule* module) { Module = module; }
  TApplication* GetApplication() const;

  void SetFlag(uint32_t mask) { Flags |= mask; }
  void ClearFlag(uint32_t mask) { Flags &= ~mask; }
  bool IsFlagSet(uint32_t mask) const { return (Flags & mask) != 0; }
  uint32_t GetFlags() const { return Flags; }
  void EnableAutoCreate() { SetFlag(wfAutoCreate); }
  void DisableAutoCreate() { ClearFlag(wfAutoCreate); }

  // ---- creation and destruction ----
  virtual bool Create();                         // throws TXWindow when the window cannot be made
  bool CreateWithOwner(TWindow* owner);          // a top-level window owned by owner
  virtual HWND PerformCreate(INT_PTR menuOrId);  // menu handle or control id
  virtual void SetupWindow();                    // after the handle exists: creates auto-create children
  virtual void CleanupWindow();                  // before the handle goes (WM_DESTROY)
  virtual void Destroy(int retVal = 0);
  virtual void CloseWindow(int retVal = 0);  // CanClose, then Destroy
  void ShutDownWindow(int retVal = 0);       // Destroy and delete the object later
  virtual bool CanClose();                   // asks the children
  bool CreateChildren();
  bool Register();
  virtual const char* GetClassName();
  virtual void GetWindowClass(WNDCLASSA& wndClass);
  void SetCaption(const char* title);
  void SetWindowID(int id) { Attr.Id = id; }
  int GetId() const { return Attr.Id; }
  void GetHWndState();  // copies the handle's style, position and id into Attr
  void SetParent(TWindow* newParent);
  void SetStyleTo(uint32_t bits, bool on);             // sets or clears style bits (Attr and handle)
  bool SetCursor(TModule* module, const char* resId);  // module null: a system cursor
  HCURSOR GetCursorHandle() const { return cursor_; }
  void SetBkgndColor(TColor color);
  void SetAcceleratorTable(const char* resId);
  // Top-left that centres a w x h window on the screen's work area.
  static TPoint CalcCenterOnScreen(int w, int h);

  // ---- messages ----
  virtual LRESULT WindowProc(uint msg, WPARAM p1, LPARAM p2);
  virtual bool Find(TEventInfo& ev, TEqualOperator eq = nullptr);
  LRESULT DefaultProcessing();  // the default for the message being dispatched
  virtual LRESULT DefWindowProc(uint msg, WPARAM p1, LPARAM p2);
  // Sends msg through this object's own dispatch (no window needed).
  LRESULT HandleMessage(uint msg, WPARAM p1 = 0, LPARAM p2 = 0);
  virtual bool PreProcessMsg(MSG& msg);     // accelerators; true: msg consumed
  virtual bool IdleAction(long idleCount);  // passes to the children
  virtual bool HoldFocusHWnd(HWND lose, HWND gain);
  virtual LRESULT EvCommand(uint id, HWND hWndCtl, uint notifyCode);
  virtual void EvCommandEnable(TCommandEnabler& enabler);
  void RouteCommandEnable(HWND hInitCmdTarget, TCommandEnabler& enabler);
  virtual void Paint(TDC& dc, bool erase, TRect& rect);
  // The store's hook: the published object behind this window at a point (none here).
  virtual void* GetAsInterObjRep(TPoint& point);
  // Moves this control's data to or from buffer; answers the bytes it used.
  virtual uint Transfer(void* buffer, TTransferDirection direction);
  // Transfers every child flagged wfTransfer, in child order, through TransferBuffer.
  virtual void TransferData(TTransferDirection direction);
  void SetTransferBuffer(void* buffer) { TransferBuffer = buffer; }
  void* GetTransferBuffer() const { return TransferBuffer; }

  // ---- children ----
  TWindow* GetFirstChild() const { return ChildList ? ChildList->SiblingList : nullptr; }
  TWindow* GetLastChild() const { return ChildList; }
  TWindow* Next() const { return SiblingList; }
  TWindow* Previous() const;
  uint NumChildren() const;
  void ForEach(void (*action)(TWindow* child, void* args), void* args);
  TWindow* FirstThat(bool (*test)(TWindow* child, void* args), void* args) const;
  TWindow* ChildWithId(int id) const;
  void AssignZOrder();  // reorders the child list to the windows' Z order
  static TWindow* GetWindowPtr(HWND handle);
  TWindow* GetParentO() const { return Parent; }

  // ---- window management (thin wrappers over the handle) ----
  bool Show(int cmdShow) { return ShowWindow(cmdShow); }
  bool ShowWindow(int cmdShow);
  bool MoveWindow(int x, int y, int w, int h, bool repaint = false);
  bool MoveWindow(const TRect& r, bool repaint = false) {
    return MoveWindow(r.left, r.top, r.Width(), r.Height(), repaint);
  }
  bool SetWindowPos(HWND after, int x, int y, int w, int h, uint flags);
  void Invalidate(bool erase = true);
  void InvalidateRect(const TRect& r, bool erase = true);
  void UpdateWindow() {
    if (HWindow) ::UpdateWindow(HWindow);
  }
  TRect GetClientRect() const;
  TRect GetWindowRect() const;
  int GetWindowTextLength() const;
  std::string GetWindowText() const;
  void SetWindowText(const char* text);
  LRESULT SendMessage(uint msg, WPARAM p1 = 0, LPARAM p2 = 0) const {
    return ::SendMessageA(HWindow, msg, p1, p2);
  }
  bool PostMessage(uint msg, WPARAM p1 = 0, LPARAM p2 = 0) const {
    return ::PostMessageA(HWindow, msg, p1, p2);
  }
  HWND SetFocus() { return ::SetFocus(HWindow); }
  bool EnableWindow(bool enable) { return ::EnableWindow(HWindow, enable); }
  bool IsWindowEnabled() const { return ::IsWindowEnabled(HWindow); }
  bool IsWindowVisible() const { return HWindow && ::IsWindowVisible(HWindow); }
  bool IsIconic() const { return ::IsIconic(HWindow); }
  void BringWindowToTop() { ::BringWindowToTop(HWindow); }
  uint32_t GetStyle() const;
  uint32_t GetExStyle() const;
  HWND GetDlgItem(int id) const { return ::GetDlgItem(HWindow, id); }
  UINT_PTR SetTimer(UINT_PTR id, uint ms) { return ::SetTimer(HWindow, id, ms, nullptr); }
  bool KillTimer(UINT_PTR id) { return ::KillTimer(HWindow, id); }
  TPoint ScreenToClient(TPoint p) const {
    ::ScreenToClient(HWindow, &p);
    return p;
  }
  TPoint ClientToScreen(TPoint p) const {
    ::ClientToScreen(HWindow, &p);
    return p;
  }

  // ---- default handlers (listed in TWindow's response table) ----
  int EvCreate(CREATESTRUCTA& cs);
  void EvClose();
  void EvDestroy();
  void EvPaint();
  bool EvEraseBkgnd(HDC dc);
  void EvSize(uint sizeType, TSize& size);
  void EvMove(TPoint& clientOrigin);
  void EvWindowPosChanged(WINDOWPOS& pos);
  void EvGetMinMaxInfo(MINMAXINFO& info);
  void EvLButtonDown(uint modKeys, TPoint& point);
  void EvLButtonUp(uint modKeys, TPoint& point);
  void EvLButtonDblClk(uint modKeys, TPoint& point);
  void EvRButtonDown(uint modKeys, TPoint& point);
  void EvRButtonUp(uint modKeys, TPoint& point);
  void EvMouseMove(uint modKeys, TPoint& point);
  void EvKeyDown(uint key, uint repeatCount, uint flags);
  void EvKeyUp(uint key, uint repeatCount, uint flags);
  void EvChar(uint key, uint repeatCount, uint flags);
  void EvSysKeyDown(uint key, uint repeatCount, uint flags);
  void EvSetFocus(HWND lostFocus);
  void EvKillFocus(HWND getFocus);
  void EvTimer(uint timerId);
  HBRUSH EvCtlColor(HDC dc, HWND child, uint ctlType);
  void EvPaletteChanged(HWND changer);
  bool EvQueryNewPalette();
  HICON EvQueryDragIcon();
  uint EvGetDlgCode(MSG* msg);
  void EvDrawItem(uint ctlId, DRAWITEMSTRUCT& draw);
  void EvMeasureItem(uint ctlId, MEASUREITEMSTRUCT& measure);
  int EvCompareItem(uint ctlId, COMPAREITEMSTRUCT& compare);
  void EvDeleteItem(uint ctlId, DELETEITEMSTRUCT& del);
  void EvInitMenu(HMENU menu);
  void EvInitMenuPopup(HMENU popup, uint index, bool sysMenu);
  void EvMenuSelect(uint id, uint flags, HMENU menu);
  bool EvSetCursor(HWND window, uint hitTest, uint mouseMsg);
  void EvHScroll(uint code, uint pos, HWND ctl);
  void EvVScroll(uint code, uint pos, HWND ctl);
  void EvSysCommand(uint cmdType, TPoint& point);
  void EvActivate(uint active, bool minimized, HWND other);
  void EvDropFiles(TDropInfo dropInfo);
  int EvCharToItem(uint key, HWND listBox, uint caretIndex);
  int EvVKeyToItem(uint key, HWND listBox, uint caretIndex);

 protected:
  TWindow();  // for classes that reach TWindow as a virtual base: call Init
  void Init(TWindow* parent, const char* title, TModule* module);

  // Makes this object the owner of handle: property, subclassing of foreign window
  // procedures, HWindow.
  void Attach(HWND handle);
  void Detach();
  // Called after a dialog template's controls exist: attaches resource children.
  void AttachResourceChildren();
  virtual void HandleNcDestroy();

  uint32_t Flags = 0;
  TModule* Module = nullptr;
  TWindow* ChildList = nullptr;    // last child
  TWindow* SiblingList = nullptr;  // next sibling (circular)
  WNDPROC DefaultProc = nullptr;   // the previous window procedure of a subclassed window
  HCURSOR cursor_ = nullptr;
  HACCEL HAccel = nullptr;
  HBRUSH bkgndBrush_ = nullptr;
  void* TransferBuffer = nullptr;
  HWND owner_ = nullptr;  // owner of a top-level window (CreateWithOwner)

  friend LRESULT CALLBACK WlStdWndProc(HWND, UINT, WPARAM, LPARAM);
  friend class TApplication;
  friend class TDialog;

 private:
  void AddChild(TWindow* child);
  void RemoveChild(TWindow* child);
  HINSTANCE ClassInstance() const;

  static const TResponseTableEntry ResponseTable_[];
  typedef TWindow TMyClass;
};

// The window procedure of every window the library owns.
LRESULT CALLBACK WlStdWndProc(HWND, UINT, WPARAM, LPARAM);
