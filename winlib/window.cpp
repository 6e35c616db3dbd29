// TWindow: construction, creation and destruction, children, and the handle wrappers.
#include "winlib/window.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "winlib/applicat.h"
#include "winlib/except.h"
#include "winlib/framewin.h"
#include "winproc.h"

namespace {
char* CopyTitle(const char* title) {
  if (!title) return nullptr;
  size_t n = std::strlen(title) + 1;
  char* copy = new char[n];
  std::memcpy(copy, title, n);
  return copy;
}
}  // namespace

TWindow::TWindow() = default;

TWindow::TWindow(TWindow* parent, const char* title, TModule* module) { Init(parent, title, module); }

TWindow::TWindow(HWND handle, TModule* module) {
  Module = module;
  SetFlag(wfAlias | wfFullyCreated);
  Attach(handle);
  GetHWndState();
  Title = CopyTitle(GetWindowText().c_str());
  if (TWindow* parent = GetWindowPtr(::GetParent(handle))) {
    Parent = parent;
    parent->AddChild(this);
  }
}

void TWindow::Init(TWindow* parent, const char* title, TModule* module) {
  delete[] Title;
  Title = CopyTitle(title);
  Module = module ? module : (parent ? parent->Module : nullptr);
  if (!Module) Module = GetApplicationObject();
  Attr = TWindowAttr();
  if (parent) {
    Attr.Style = WS_CHILD | WS_VISIBLE;
    SetFlag(wfAutoCreate);
  } else {
    Attr.Style = WS_OVERLAPPEDWINDOW;
    Attr.X = Attr.Y = Attr.W = Attr.H = CW_USEDEFAULT;
  }
  if (Parent != parent) {
    if (Parent) Parent->RemoveChild(this);
    Parent = parent;
    if (parent) parent->AddChild(this);
  }
}

TWindow::~TWindow() {
  TApplication::Uncondemn(this);
  // Children go with their parent, except those owned elsewhere (a published window
  // belongs to its store object): they only leave the list, and their handles go with
  // this one's.
  while (TWindow* child = GetFirstChild()) {
    if (child->IsFlagSet(wfOwnedElsewhere)) {
      RemoveChild(child);
      child->Parent = nullptr;
    } else {
      delete child;
    }
  }
  if (HWindow) {
    if (IsFlagSet(wfAlias))
      Detach();
    else {
      HWND h = HWindow;
      ::DestroyWindow(h);
      if (HWindow) Detach();  // a window of another thread or one that refused
    }
  }
  if (Parent) {
    if (auto* frame = dynamic_cast<TFrameWindow*>(Parent))
      if (frame->GetClientWindow() == this) frame->ClientWnd = nullptr;
    Parent->RemoveChild(this);
  }
  delete[] Title;
  if (bkgndBrush_) ::DeleteObject(bkgndBrush_);
}

TApplication* TWindow::GetApplication() const { return GetApplicationObject(); }

HINSTANCE TWindow::ClassInstance() const {
  return Module ? Module->GetInstance() : ::GetModuleHandleA(nullptr);
}

// ---- children ----

void TWindow::AddChild(TWindow* child) {
  if (!ChildList) {
    child->SiblingList = child;
  } else {
    child->SiblingList = ChildList->SiblingList;
    ChildList->SiblingList = child;
  }
  ChildList = child;
}

void TWindow::RemoveChild(TWindow* child) {
  if (!ChildList) return;
  TWindow* prev = ChildList;
  do {
    if (prev->SiblingList == child) {
      if (prev == child)
        ChildList = nullptr;  // the only one
      else {
        prev->SiblingList = child->SiblingList;
        if (ChildList == child) ChildList = prev;
      }
      child->SiblingList = nullptr;
      return;
    }
    prev = prev->SiblingList;
  } while (prev != ChildList);
}

TWindow* TWindow::Previous() const {
  if (!SiblingList) return nullptr;
  const TWindow* w = this;
  while (w->SiblingList != this) w = w->SiblingList;
  return const_cast<TWindow*>(w);
}

uint TWindow::NumChildren() const {
  uint n = 0;
  if (TWindow* w = GetFirstChild()) {
    do {
      ++n;
      w = w->SiblingList;
    } while (w != GetFirstChild());
  }
  return n;
}

void TWindow::ForEach(void (*action)(TWindow*, void*), void* args) {
  // The next child is taken before the action, which may delete the current one.
  std::vector<TWindow*> children;
  if (TWindow* w = GetFirstChild()) {
    do {
      children.push_back(w);
      w = w->SiblingList;
    } while (w != GetFirstChild());
  }
  for (TWindow* c : children) action(c, args);
}

TWindow* TWindow::FirstThat(bool (*test)(TWindow*, void*), void* args) const {
  if (TWindow* w = GetFirstChild()) {
    do {
      if (test(w, args)) return w;
      w = w->SiblingList;
    } while (w != GetFirstChild());
  }
  return nullptr;
}

TWindow* TWindow::ChildWithId(int id) const {
  return FirstThat([](TWindow* w, void* a) { return w->Attr.Id == *static_cast<int*>(a); }, &id);
}

void TWindow::AssignZOrder() {
  std::vector<TWindow*> ordered;
  if (HWindow) {
    for (HWND h = ::GetWindow(HWindow, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
      TWindow* w = GetWindowPtr(h);
      if (w && w->Parent == this) ordered.push_back(w);
    }
  }
  // Rebuild: windows in Z order first, then the children without a window.
  std::vector<TWindow*> all = ordered;
  std::vector<TWindow*> noHandle;
  if (TWindow* w = GetFirstChild()) {
    do {
      if (std::find(ordered.begin(), ordered.end(), w) == ordered.end()) noHandle.push_back(w);
      w = w->SiblingList;
    } while (w != GetFirstChild());
  }
  all.insert(all.end(), noHandle.begin(), noHandle.end());
  ChildList = nullptr;
  for (TWindow* w : all) AddChild(w);
}

// ---- creation ----

const char* TWindow::GetClassName() { return "OvWindow"; }

void TWindow::GetWindowClass(WNDCLASSA& wc) {
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = WlStdWndProc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = ClassInstance();
  wc.hIcon = nullptr;
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = GetClassName();
}

bool TWindow::Register() {
  const char* name = GetClassName();
  WNDCLASSA existing;
  if (::GetClassInfoA(ClassInstance(), name, &existing) || ::GetClassInfoA(nullptr, name, &existing))
    return true;
  WNDCLASSA wc = {};
  GetWindowClass(wc);
  if (!::RegisterClassA(&wc)) throw TXWindow(this, IDS_WLCLASSREGISTERFAIL);
  return true;
}

bool TWindow::CreateWithOwner(TWindow* owner) {
  owner_ = owner ? owner->HWindow : nullptr;
  return Create();
}

HWND TWindow::PerformCreate(INT_PTR menuOrId) {
  HWND parent = Parent ? Parent->HWindow : nullptr;
  if (!(Attr.Style & WS_CHILD) && owner_) parent = owner_;
  return ::CreateWindowExA(Attr.ExStyle, GetClassName(), Title, Attr.Style, Attr.X, Attr.Y, Attr.W, Attr.H,
                           parent, reinterpret_cast<HMENU>(menuOrId), ClassInstance(), Attr.Param);
}

bool TWindow::Create() {
  if (HWindow) return true;
  Register();
  INT_PTR menuOrId = 0;
  if (Attr.Style & WS_CHILD)
    menuOrId = Attr.Id;
  else if (Attr.Menu)
    menuOrId = reinterpret_cast<INT_PTR>(::LoadMenuA(ClassInstance(), Attr.Menu));
  HWND h;
  {
    WlCreatingScope creating(this);
    h = PerformCreate(menuOrId);
  }
  if (!h) {
    TApplication::ResumeThrow();  // a handler's exception failed the creation
    throw TXWindow(this, IDS_WLWINDOWCREATEFAIL);
  }
  if (!HWindow) Attach(h);  // a system class: subclassed now
  GetHWndState();
  if (Attr.AccelTable) HAccel = ::LoadAcceleratorsA(ClassInstance(), Attr.AccelTable);
  try {
    SetupWindow();
  } catch (...) {
    Destroy();
    throw;
  }
  SetFlag(wfFullyCreated);
  TApplication::ResumeThrow();
  return true;
}

void TWindow::SetupWindow() {
  CreateChildren();
  if (TransferBuffer) TransferData(tdSetData);
}

bool TWindow::CreateChildren() {
  if (TWindow* w = GetFirstChild()) {
    do {
      if (!w->HWindow) {
        if (w->IsFlagSet(wfFromResource)) {
          HWND item = ::GetDlgItem(HWindow, w->Attr.Id);
          if (!item) throw TXWindow(w, IDS_WLWINDOWCREATEFAIL);
          w->Attach(item);
          w->GetHWndState();
          w->SetupWindow();
          w->SetFlag(wfFullyCreated);
        } else if (w->IsFlagSet(wfAutoCreate)) {
          w->Create();
        }
      }
      w = w->SiblingList;
    } while (w != GetFirstChild());
  }
  return true;
}

void TWindow::CleanupWindow() {}

void TWindow::Destroy(int) {
  if (!HWindow) return;
  if (IsFlagSet(wfAlias)) {
    Detach();
    return;
  }
  ::DestroyWindow(HWindow);
}

bool TWindow::CanClose() {
  return !FirstThat([](TWindow* w, void*) { return w->HWindow && !w->CanClose(); }, nullptr);
}

void TWindow::CloseWindow(int retVal) {
  bool ok;
  TApplication* app = GetApplicationObject();
  if (IsFlagSet(wfMainWindow) && app)
    ok = app->CanClose();
  else
    ok = CanClose();
  if (ok) Destroy(retVal);
}

void TWindow::ShutDownWindow(int retVal) {
  Destroy(retVal);
  TApplication::Condemn(this);
}

void TWindow::Attach(HWND handle) {
  HWindow = handle;
  ::SetPropA(handle, WlPropName, this);
  auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(handle, GWLP_WNDPROC));
  if (current != WlStdWndProc) {
    DefaultProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WlStdWndProc)));
    SetFlag(wfPredefinedClass);
  }
}

void TWindow::Detach() {
  if (!HWindow) return;
  if (::IsWindow(HWindow)) {
    ::RemovePropA(HWindow, WlPropName);
    if (DefaultProc && reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(HWindow, GWLP_WNDPROC)) == WlStdWndProc)
      ::SetWindowLongPtrA(HWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefaultProc));
  }
  DefaultProc = nullptr;
  HWindow = nullptr;
  ClearFlag(wfFullyCreated | wfPredefinedClass);
}

void TWindow::HandleNcDestroy() {
  if (HWindow) ::RemovePropA(HWindow, WlPropName);
  DefaultProc = nullptr;
  HWindow = nullptr;
  ClearFlag(wfFullyCreated | wfPredefinedClass);
}

// Only windows of this process: another program's library windows carry the same
// property, holding an address that means nothing here (EnumWindows hands out every
// top-level window of the desktop).
TWindow* TWindow::GetWindowPtr(HWND handle) {
  if (!handle) return nullptr;
  DWORD process = 0;
  if (!::GetWindowThreadProcessId(handle, &process) || process != ::GetCurrentProcessId()) return nullptr;
  return static_cast<TWindow*>(::GetPropA(handle, WlPropName));
}

// ---- attributes ----

void TWindow::SetCaption(const char* title) {
  delete[] Title;
  Title = CopyTitle(title);
  if (HWindow) ::SetWindowTextA(HWindow, title ? title : "");
}

void TWindow::GetHWndState() {
  if (!HWindow) return;
  Attr.Style = uint32_t(::GetWindowLongA(HWindow, GWL_STYLE));
  Attr.ExStyle = uint32_t(::GetWindowLongA(HWindow, GWL_EXSTYLE));
  RECT r;
  ::GetWindowRect(HWindow, &r);
  HWND parent = ::GetParent(HWindow);
  if (parent && (Attr.Style & WS_CHILD)) ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  Attr.X = r.left;
  Attr.Y = r.top;
  Attr.W = r.right - r.left;
  Attr.H = r.bottom - r.top;
  if (Attr.Style & WS_CHILD) Attr.Id = ::GetDlgCtrlID(HWindow);
}

void TWindow::SetParent(TWindow* newParent) {
  if (Parent == newParent) return;
  if (Parent) Parent->RemoveChild(this);
  Parent = newParent;
  if (newParent) newParent->AddChild(this);
  if (HWindow) ::SetParent(HWindow, newParent ? newParent->HWindow : nullptr);
}

void TWindow::SetStyleTo(uint32_t bits, bool on) {
  Attr.Style = on ? (Attr.Style | bits) : (Attr.Style & ~bits);
  if (HWindow) {
    uint32_t style = uint32_t(::GetWindowLongA(HWindow, GWL_STYLE));
    style = on ? (style | bits) : (style & ~bits);
    ::SetWindowLongA(HWindow, GWL_STYLE, LONG(style));
  }
}

uint32_t TWindow::GetStyle() const {
  return HWindow ? uint32_t(::GetWindowLongA(HWindow, GWL_STYLE)) : Attr.Style;
}

uint32_t TWindow::GetExStyle() const {
  return HWindow ? uint32_t(::GetWindowLongA(HWindow, GWL_EXSTYLE)) : Attr.ExStyle;
}

bool TWindow::SetCursor(TModule* module, const char* resId) {
  HCURSOR c = nullptr;
  if (resId) c = module ? module->LoadCursor(resId) : ::LoadCursorA(nullptr, resId);
  if (resId && !c) return false;
  cursor_ = c;
  if (HWindow) {
    POINT p;
    ::GetCursorPos(&p);
    if (c && ::WindowFromPoint(p) == HWindow) ::SetCursor(c);
  }
  return true;
}

void TWindow::SetBkgndColor(TColor color) {
  BkgndColor = color;
  if (bkgndBrush_) ::DeleteObject(bkgndBrush_);
  bkgndBrush_ = nullptr;
  Invalidate();
}

void TWindow::SetAcceleratorTable(const char* resId) {
  Attr.AccelTable = resId;
  if (HWindow) HAccel = resId ? ::LoadAcceleratorsA(ClassInstance(), resId) : nullptr;
}

TPoint TWindow::CalcCenterOnScreen(int w, int h) {
  RECT work;
  if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
    work = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  return TPoint(work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2);
}

// ---- handle wrappers ----

bool TWindow::ShowWindow(int cmdShow) { return HWindow && ::ShowWindow(HWindow, cmdShow); }

bool TWindow::MoveWindow(int x, int y, int w, int h, bool repaint) {
  if (!HWindow) {
    Attr.X = x;
    Attr.Y = y;
    Attr.W = w;
    Attr.H = h;
    return true;
  }
  return ::MoveWindow(HWindow, x, y, w, h, repaint);
}

bool TWindow::SetWindowPos(HWND after, int x, int y, int w, int h, uint flags) {
  return HWindow && ::SetWindowPos(HWindow, after, x, y, w, h, flags);
}

void TWindow::Invalidate(bool erase) {
  if (HWindow) ::InvalidateRect(HWindow, nullptr, erase);
}

void TWindow::InvalidateRect(const TRect& r, bool erase) {
  if (HWindow) ::InvalidateRect(HWindow, &r, erase);
}

TRect TWindow::GetClientRect() const {
  TRect r;
  if (HWindow) ::GetClientRect(HWindow, &r);
  return r;
}

TRect TWindow::GetWindowRect() const {
  TRect r;
  if (HWindow) ::GetWindowRect(HWindow, &r);
  return r;
}

int TWindow::GetWindowTextLength() const { return HWindow ? ::GetWindowTextLengthA(HWindow) : 0; }

std::string TWindow::GetWindowText() const {
  if (!HWindow) return Title ? Title : "";
  int n = ::GetWindowTextLengthA(HWindow);
  std::string s(size_t(n) + 1, '\0');
  n = ::GetWindowTextA(HWindow, &s[0], n + 1);
  s.resize(size_t(n > 0 ? n : 0));
  return s;
}

void TWindow::SetWindowText(const char* text) {
  if (HWindow)
    ::SetWindowTextA(HWindow, text ? text : "");
  else
    SetCaption(text);
}

// ---- transfer ----

uint TWindow::Transfer(void*, TTransferDirection) { return 0; }

void TWindow::TransferData(TTransferDirection direction) {
  if (!TransferBuffer) return;
  char* p = static_cast<char*>(TransferBuffer);
  if (TWindow* w = GetFirstChild()) {
    do {
      if (w->IsFlagSet(wfTransfer)) p += w->Transfer(p, direction);
      w = w->SiblingList;
    } while (w != GetFirstChild());
  }
}
