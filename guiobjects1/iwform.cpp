// IWForm: the published "Form": creation and destruction, the children's places, the
// showing operations, modality, closing, activation and size, and the main form's
// minimise step.
#include "guiobjects1/iwform.h"

#include <cmath>
#include <vector>

#include "guiobjects1/controlgroup.h"
#include "guiobjects1/dllinstance.h"
#include "guiobjects1/imenubar.h"
#include "guiobjects1/formclient.h"
#include "guiobjects1/iwscreen.h"
#include "oviui1res.h"
#include "store/groups.h"
#include "store/interobjiter.h"
#include "store/podefine.h"
#include "store/poevent.h"
#include "winlib/applicat.h"
#include "winlib/except.h"
#include "winlib/module.h"

namespace {

const char kHiddenMark[] = "Orvanel.Form.HiddenByMinimize";

// The atom of the window property that marks the windows a minimised main form hid.
ATOM HiddenMark() {
  static ATOM atom = ::GlobalAddAtomA(kHiddenMark);
  return atom;
}

// Whether the system is of the NT family (kept after the first answer).
bool IsNT() {
  static const bool nt = (::GetVersion() & 0x80000000u) == 0;
  return nt;
}

bool IsChildStyle(const TWindow* w) { return w && (w->Attr.Style & WS_CHILD); }

// Clears a state bit when the scope ends, also when an exception passes.
class StateBit {
 public:
  StateBit(uint8_t& state, uint8_t bit) : state_(state), bit_(bit) { state_ |= bit; }
  ~StateBit() { state_ &= (uint8_t)~bit_; }
  StateBit(const StateBit&) = delete;
  StateBit& operator=(const StateBit&) = delete;

 private:
  uint8_t& state_;
  uint8_t bit_;
};

struct ThreadStep {
  HWND skip;
  ATOM mark;
  bool hide;
};

BOOL CALLBACK ThreadWindowStep(HWND h, LPARAM param) {
  const ThreadStep& step = *reinterpret_cast<const ThreadStep*>(param);
  if (h == step.skip || (::GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) return TRUE;
  if (step.hide) {
    if (::IsWindowVisible(h)) {
      ::SetPropA(h, MAKEINTATOM(step.mark), HANDLE(1));
      ::ShowWindow(h, SW_HIDE);
    }
  } else if (::GetPropA(h, MAKEINTATOM(step.mark))) {
    ::RemovePropA(h, MAKEINTATOM(step.mark));
    ::ShowWindow(h, SW_SHOW);
  }
  return TRUE;
}

}  // namespace

Faultp<InterObjRep>* IWForm::PO_Object = nullptr;
const POClassRow& IWForm::PO_Row() { return DllInstance::Row(kOviui1Form); }
const char* IWForm::HiddenMarkName() { return kHiddenMark; }

// Own entries first, then the window layer's search.
DEFINE_RESPONSE_TABLE1(IWForm, IWWindow)
EV_WM_PAINT, EV_WM_ERASEBKGND, EV_WM_QUERYDRAGICON, EV_WM_ACTIVATE, EV_WM_CLOSE, EV_WM_SIZE, EV_WM_SETFOCUS,
    WL_MSG(WM_KILLFOCUS, HandleW, EvKillFocus), EV_WM_INITMENUPOPUP, EV_WM_SYSCOMMAND,
    EV_MESSAGE(WM_NCCALCSIZE, EvNCCalcSize), EV_WM_LBUTTONUP, EV_WM_GETMINMAXINFO,
    EV_MESSAGE(WM_ENTERMENULOOP, EvEnterMenuLoop), EV_MESSAGE(WM_EXITMENULOOP, EvExitMenuLoop),
    EV_MESSAGE(WM_PALETTECHANGED, EvPaletteChanged), EV_MESSAGE(WM_QUERYNEWPALETTE, EvQueryNewPalette),
    EV_MESSAGE(WM_NCPAINT, EvNCPaint), EV_MESSAGE(WM_NCACTIVATE, EvNCActivate), END_RESPONSE_TABLE;

IWForm::IWForm(IUnknown* outer) : POClass(outer) {
  TFrameWindow::Init(new TFormClient(this), false);
  const double tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  Attr.W = tx > 0 ? (int)(3600 / tx + 0.5) : 0;
  Attr.H = ty > 0 ? (int)(4320 / ty + 0.5) : 0;
  width_ = (int32_t)(tx * Attr.W);
  height_ = (int32_t)(ty * Attr.H);
  SetIcon(DllInstance::Module(), MAKEINTRESOURCEA(IDI_OVIUI1_FORM));
}

IWForm::~IWForm() {
  try {
    EndEdit();
  } catch (...) {  // the editor's marks are only a picture
  }
  // Forms owned by this one (their window objects are children of the frame, not of the
  // client) lose their windows and their owner.
  std::vector<IWWindow*> owned;
  if (TWindow* w = GetFirstChild()) {
    do {
      if (IWWindow* iw = dynamic_cast<IWWindow*>(w))
        if (!IsChildStyle(iw)) owned.push_back(iw);
      w = w->Next();
    } while (w != GetFirstChild());
  }
  for (IWWindow* o : owned) {
    if (o->HWindow) o->Destroy();
    o->SetParent(nullptr);
  }
  if (iMenuBar* bar = menuBar_.isNull() ? nullptr : iMenuBar::Native(menuBar_.get())) bar->RemoveForm(storeObj());
  if (ControlGroup* group = controls_.isNull() ? nullptr : ControlGroup::Native(controls_.get()))
    group->SetForm(nullptr);
  try {
    Destroy();
  } catch (...) {  // the form's object is going: nothing can be told any more
  }
}

void IWForm::PO_DeclareFields(SignatureRep& sig) {
  PO_EnsureEnum(*this, "ScaleMode",
                {{"Custom", 0},
                 {"Twip", 1},
                 {"Point", 2},
                 {"Pixel", 3},
                 {"Character", 4},
                 {"Inch", 5},
                 {"Millimeter", 6},
                 {"Centimeter", 7},
                 {"Proportional", 8}});
  PO_EnsureEnum(*this, "FormBorderStyle", {{"None", 0}, {"Fixed Single", 1}, {"Sizable", 2}, {"Fixed Double", 3}});
  PO_Property(sig, "Parent", kTypeObject, &IWForm::pdSetParent, &IWWindow::pdGetParent, "Form");
  PO_Property(sig, "Font", kTypeObject, &IWForm::pdSetFont, &IWWindow::pdGetFont, "Font");
  PO_EnumProperty(sig, "MousePointer", "MousePointerSelector", &IWForm::pdSetMousePointer,
                  &IWWindow::pdGetMousePointer);
  PO_EnumProperty(sig, "KeyPreview", "Boolean", &IWForm::pdSetKeyPreview, &IWForm::pdGetKeyPreview);
  PO_EnumProperty(sig, "Visible", "Boolean", &IWForm::pdSetVisible, &IWForm::pdGetVisible);
  PO_EnumProperty(sig, "ScaleMode", "ScaleMode", &IWForm::pdSetScaleMode, &IWForm::pdGetScaleMode);
  PO_Property(sig, "ScaleTop", kTypeFloat, &IWForm::pdSetScaleTop, &IWForm::pdGetScaleTop);
  PO_Property(sig, "ScaleLeft", kTypeFloat, &IWForm::pdSetScaleLeft, &IWForm::pdGetScaleLeft);
  PO_Property(sig, "ScaleHeight", kTypeFloat, &IWForm::pdSetScaleHeight, &IWForm::pdGetScaleHeight);
  PO_Property(sig, "ScaleWidth", kTypeFloat, &IWForm::pdSetScaleWidth, &IWForm::pdGetScaleWidth);
  PO_Property(sig, "DefaultButton", kTypeObject, &IWForm::pdSetDefaultButton, &IWForm::pdGetDefaultButton,
              "Button");
  PO_Property(sig, "CancelButton", kTypeObject, &IWForm::pdSetCancelButton, &IWForm::pdGetCancelButton,
              "Button");
  PO_Property(sig, "MenuBar", kTypeObject, &IWForm::pdSetMenuBar, &IWForm::pdGetMenuBar, "MenuBar");
  PO_Property(sig, "PopupMenu", kTypeObject, &IWForm::pdSetPopupMenu, &IWForm::pdGetPopupMenu, "PopupMenu");
  PO_Property(sig, "AccelForm", kTypeObject, &IWForm::pdSetAccelForm, &IWForm::pdGetAccelForm, "Form");
  PO_Property(sig, "Controls", kTypeObject, nullptr, &IWForm::pdGetControls, "ControlGroup");
  PO_Property(sig, "ClientHWnd", kTypeLong, nullptr, &IWForm::pdGetClientHWnd);
  PO_EnumProperty(sig, "FileDrop", "Boolean", &IWForm::pdSetFileDrop, &IWForm::pdGetFileDrop);
  PO_EnumProperty(sig, "ShownModal", "Boolean", nullptr, &IWForm::pdGetShownModal);
  PO_EnumProperty(sig, "BorderStyle", "FormBorderStyle", &IWForm::pdSetBorderStyle, &IWForm::pdGetBorderStyle);
  PO_EnumProperty(sig, "MaxButton", "Boolean", &IWForm::pdSetMaxButton, &IWForm::pdGetMaxButton);
  PO_EnumProperty(sig, "MinButton", "Boolean", &IWForm::pdSetMinButton, &IWForm::pdGetMinButton);
  PO_EnumProperty(sig, "ControlBox", "Boolean", &IWForm::pdSetControlBox, &IWForm::pdGetControlBox);
  // The drawing surface's properties and methods.
  PO_EnumProperty(sig, "BevelInner", "BevelStyle", &TBevelBorder::pdSetBevelInner, &TBevelBorder::pdGetBevelInner);
  PO_EnumProperty(sig, "BevelOuter", "BevelStyle", &TBevelBorder::pdSetBevelOuter, &TBevelBorder::pdGetBevelOuter);
  PO_Property(sig, "BevelWidth", kTypeShort, &TBevelBorder::pdSetBevelWidth, &TBevelBorder::pdGetBevelWidth);
  PO_Property(sig, "BorderWidth", kTypeShort, &TBevelBorder::pdSetBorderWidth, &TBevelBorder::pdGetBorderWidth);
  PO_EnumProperty(sig, "Outlined", "Boolean", &TBevelBorder::pdSetOutlined, &TBevelBorder::pdGetOutlined);
  PO_Property(sig, "hDC", kTypeLong, nullptr, &TDrawable::pdGethDC);
  PO_Property(sig, "CurrentX", kTypeFloat, &TDrawable::pdSetCurrentX, &TDrawable::pdGetCurrentX);
  PO_Property(sig, "CurrentY", kTypeFloat, &TDrawable::pdSetCurrentY, &TDrawable::pdGetCurrentY);
  PO_Property(sig, "DrawColor", kTypeLong, &TDrawable::pdSetDrawColor, &TDrawable::pdGetDrawColor);
  PO_Property(sig, "DrawWidth", kTypeShort, &TDrawable::pdSetDrawWidth, &TDrawable::pdGetDrawWidth);
  PO_Property(sig, "FillColor", kTypeLong, &TDrawable::pdSetFillColor, &TDrawable::pdGetFillColor);
  PO_EnumProperty(sig, "DrawMode", "DrawModeType", &TDrawable::pdSetDrawMode, &TDrawable::pdGetDrawMode);
  PO_EnumProperty(sig, "DrawStyle", "PenStyleType", &TDrawable::pdSetDrawStyle, &TDrawable::pdGetDrawStyle);
  PO_EnumProperty(sig, "FillStyle", "FillStyleType", &TDrawable::pdSetFillStyle, &TDrawable::pdGetFillStyle);
  PO_Method(sig, "Sub MoveTo(ByVal x As Single, ByVal y As Single)", &TDrawable::imMoveTo);
  PO_Method(sig, "Sub LineTo(ByVal x As Single, ByVal y As Single)", &TDrawable::imLineTo);
  PO_Method(sig, "Sub Cls()", &TDrawable::imCls);
  PO_Method(sig, "Sub TextOut(ByVal s as String)", &TDrawable::imTextOut);
  PO_Method(sig, "Sub Rectangle(ByVal x1 As Single, ByVal y1 As Single, ByVal x2 As Single, ByVal y2 As Single)",
            &TDrawable::imRectangle);
  PO_Method(sig, "Sub Ellipse(ByVal x1 As Single, ByVal y1 As Single, ByVal x2 As Single, ByVal y2 As Single)",
            &TDrawable::imEllipse);
  PO_Method(sig,
            "Sub RoundRect(ByVal x1 As Single, ByVal y1 As Single, ByVal x2 As Single, ByVal y2 As Single, "
            "ByVal x3 As Single, ByVal y3 As Single)",
            &TDrawable::imRoundRect);
  PO_Method(sig, "Sub Polyline(x() As Single, y() As Single, ByVal count As Long)", &IWForm::imPolylineArgs);
  PO_Method(sig, "Sub Polygon(x() As Single, y() As Single, ByVal count As Long)", &IWForm::imPolygonArgs);
  PO_Method(sig, "Sub PolyBezier(x() As Single, y() As Single, ByVal count As Long)", &IWForm::imPolyBezierArgs);
  PO_Method(sig,
            "Sub AngleArc(ByVal cx As Single, ByVal cy As Single, ByVal radius As Single, ByVal startAngle As "
            "Single, ByVal sweepAngle As Single)",
            &TDrawable::imAngleArc);
  PO_Method(sig,
            "Sub Arc(ByVal x1 As Single, ByVal y1 As Single, ByVal x2 As Single, ByVal y2 As Single, ByVal x3 As "
            "Single, ByVal y3 As Single, ByVal x4 As Single, ByVal y4 As Single)",
            &TDrawable::imArc);
  PO_Method(sig,
            "Sub Chord(ByVal x1 As Single, ByVal y1 As Single, ByVal x2 As Single, ByVal y2 As Single, ByVal x3 As "
            "Single, ByVal y3 As Single, ByVal x4 As Single, ByVal y4 As Single)",
            &TDrawable::imChord);
  PO_Method(sig,
            "Sub Pie(ByVal x1 As Single, ByVal y1 As Single, ByVal x2 As Single, ByVal y2 As Single, ByVal x3 As "
            "Single, ByVal y3 As Single, ByVal x4 As Single, ByVal y4 As Single)",
            &TDrawable::imPie);
  PO_Event(sig, "Event Paint()");
  PO_Method(sig, "Sub Show()", &IWForm::imShow);
  PO_Method(sig, "Sub Hide()", &IWForm::imHide);
  PO_Method(sig, "Sub Minimize()", &IWForm::imMinimize);
  PO_Method(sig, "Sub Maximize()", &IWForm::imMaximize);
  PO_Method(sig, "Sub ShowRestore()", &IWForm::imShowRestore);
  PO_Method(sig, "Function ShowModal() As Long", &IWForm::imShowModal);
  PO_Method(sig, "Sub ModalResult(ByVal result As Long)", &IWForm::imModalResult);
  PO_Method(sig, "Sub BringToTop()", &IWForm::imBringToTop);
  PO_Method(sig, "Sub Scale(ByVal x1 as Single, ByVal y1 as Single, ByVal x2 as Single, ByVal y2 as Single)",
            &IWForm::imScale);
  PO_Method(sig, "Sub PrintForm()", &IWForm::imPrintForm);
  PO_Method(sig, "Sub LoadForm()", &IWForm::imLoad);
  PO_Method(sig, "Sub UnloadForm()", &IWForm::imUnload);
  PO_Method(sig, "Function TextUnload(ByVal indent As String, cmds As String) As Integer",
            &IWForm::imFormTextUnload);
  PO_Method(sig, "Sub Center()", &IWForm::imCenter);
  PO_Event(sig, "Event Load()");
  PO_Event(sig, "Event Unload()");
  PO_Event(sig, "Event Activate()");
  PO_Event(sig, "Event Deactivate()");
  PO_Event(sig, "Event Paint()");  // again, in the place the form's own events give it
  PO_Event(sig, "Event Resize()");
  PO_Event(sig,
           "Event InPlaceMenu(WhichMenuGroup as integer, MenuHandle as long, SubMenuIndex as long, "
           "NumberOfSubMenus as long)");
  PO_Event(sig, "Event Click()");
  PO_Event(sig, "Event DblClick()");
  PO_Event(sig, "Event GotFocus()");
  PO_Event(sig, "Event LostFocus()");
  PO_Event(sig, "Event KeyDown(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyUp(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyPress(keyAscii As Integer)");
}

void IWForm::PO_Load(IStream* stream) {
  try {
    POClass::PO_Load(stream);
  } catch (const ObjectLoadFailed&) {  // the window's block inside names this class
    throw ObjectLoadFailed(PO_Row().name);
  }
}

// ---- window slots ----

TFormClient* IWForm::Client() const { return dynamic_cast<TFormClient*>(ClientWnd); }

ScaleRect* IWForm::ContainerScale() {
  if (!IsEmbedded()) return nullptr;
  IWWindow* host = ParentForm(this);
  return host && host != this ? host->Scale() : nullptr;
}

TWindow* IWForm::WindowPart() { return ClientWnd; }

bool IWForm::HoldFocusHWnd(HWND lose, HWND gain) {
  return !IsEmbedded() && TFrameWindow::HoldFocusHWnd(lose, gain);
}

int IWForm::nextChildId() const {
  int id = 100;
  while (ClientWnd && ClientWnd->ChildWithId(id)) ++id;
  return id;
}

void IWForm::embedChild(IWWindow* child, bool newcomer) {
  if (!child || child == this || !ClientWnd) return;
  if (IWWindow::IsAForm(child->storeObj())) {
    // An embedded form shows no menu bar.
    if (IWForm* form = dynamic_cast<IWForm*>(child))
      if (form->pdGetMenuBar()) form->pdSetMenuBar(nullptr);
    if (child->HWindow) child->Destroy();
    child->Attr.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP;
  }
  if (child->Parent != ClientWnd) {
    child->SetParent(ClientWnd);
    newcomer = true;
  }
  if (!newcomer) return;
  child->SetWindowID(0);  // not counted as its own neighbour
  child->SetWindowID(nextChildId());
  child->SetFlag(wfAutoCreate);
  if (HWindow) child->CreateAndShow();
  child->pdSetZOrder(1);
}

void IWForm::ChildEmbedded(IWWindow* child) { embedChild(child, true); }

void IWForm::ChildUnembedded(IWWindow* child) {
  if (child && child == editedChild_) editedChild_ = nullptr;
  if (!child || child->Parent != ClientWnd) return;
  if (child->HWindow) child->Destroy();
  child->SetParent(nullptr);
}

void IWForm::TakeChild(IWWindow* child) {
  if (child && ClientWnd && child != this) child->SetParent(ClientWnd);
}

bool IWForm::Create() {
  if (HWindow) return true;
  // Every window embedded in the form's object has its place before the window exists.
  if (InterObjRep* me = storeObj())
    for (InterObjEmbedIterator it(me); InterObjRep* o = it();)
      if (IWWindow* w = dynamic_cast<IWWindow*>(o->ROCDataPtr(0))) embedChild(w, false);
  // A top-level form is made hidden: Show shows it after "Load".
  const uint32_t visible = IsEmbedded() ? 0 : (Attr.Style & WS_VISIBLE);
  // BorderStyle "None": no caption bits asked for (the system gives a top-level window
  // a caption of its own).
  const bool noBorder = !(Attr.Style & (WS_BORDER | WS_DLGFRAME));
  Attr.Style &= ~visible;
  bool made = false;
  {
    StateBit creating(state_, kCreating);
    try {
      made = TWindow::Create();
    } catch (const TXWindow&) {
      made = false;
    }
  }
  Attr.Style |= visible;
  if (!made || !HWindow) return false;
  if (noBorder) SetStyleTo(WS_CAPTION, false);
  if (ClientWnd)
    if (TWindow* first = ClientWnd->FirstThat(
            [](TWindow* w, void*) { return w->HWindow && (w->GetStyle() & WS_TABSTOP) != 0; }, nullptr))
      ::SetFocus(first->HWindow);
  PO_RaiseEventNoThrow(storeObj(), "Load");
  return true;
}

HWND IWForm::PerformCreate(INT_PTR menuOrId) {
  if (!IsEmbedded()) {
    TWindow* parent = Parent;
    owner_ = parent && parent->HWindow ? parent->HWindow : StoreApplication::SuperHWND();
  }
  return TWindow::PerformCreate(menuOrId);
}

void IWForm::SetupWindow() {
  TFrameWindow::SetupWindow();
  IWWindow::SetupWindow();
  showMenuBar();
  GetHWndState();
  const double tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  left_ = (int32_t)(Attr.X * tx);
  top_ = (int32_t)(Attr.Y * ty);
  width_ = (int32_t)(Attr.W * tx);
  height_ = (int32_t)(Attr.H * ty);
  if (ClientWnd && ClientWnd->HWindow) {
    TRect r = ClientWnd->GetClientRect();
    scale_.SetPixelWidth(r.Width(), (float)tx);
    scale_.SetPixelHeight(r.Height(), (float)ty);
  }
}

// The menu bar's menu belongs to its object: taken off before the window goes, which
// would destroy it. An object active in place is deactivated.
void IWForm::CleanupWindow() {
  DeactivateInPlaceObject();
  RemoveMenuBar();
  IWWindow::CleanupWindow();
}

void IWForm::Destroy(int retVal) {
  if (!HWindow) return;
  endModal(-1);
  InterObjRep* me = storeObj();
  if (me && !me->isDestroyed() && ObjectStore::LockState() == 0) PO_RaiseEventNoThrow(me, "Unload");
  if (HWindow) TWindow::Destroy(retVal);
}

void IWForm::CloseWindow(int retVal) {
  if (IsFlagSet(wfMainWindow)) {
    TWindow::CloseWindow(retVal);
    return;
  }
  if (!CanClose()) return;
  endModal(-1);
  ShowWindow(SW_HIDE);
  Attr.Style &= ~WS_VISIBLE;
}

// ---- showing ----

void IWForm::imShow() {
  if (!IsEmbedded() && !HWindow) Create();
  if (HWindow) ShowWindow(SW_SHOWNORMAL);
  Attr.Style |= WS_VISIBLE;
}

void IWForm::imHide() {
  if (HWindow) {
    endModal(-1);
    ShowWindow(SW_HIDE);
  }
  Attr.Style &= ~WS_VISIBLE;
}

void IWForm::showAs(int command) {
  if (IsEmbedded() || !HWindow || !::IsWindowVisible(HWindow)) return;
  ShowWindow(command);
}

void IWForm::imBringToTop() {
  if (!IsEmbedded() && !HWindow) Create();
  if (HWindow) BringWindowToTop();
}

void IWForm::imCenter() {
  if (IsEmbedded()) return;
  int w = Attr.W, h = Attr.H, x = Attr.X, y = Attr.Y;
  if (HWindow) {
    TRect r = GetWindowRect();
    w = r.Width();
    h = r.Height();
    x = r.left;
    y = r.top;
  }
  TPoint at = CalcCenterOnScreen(w, h);
  if (at.x == x && at.y == y) return;
  Attr.X = at.x;
  Attr.Y = at.y;
  left_ = (int32_t)(at.x * (double)IWScreen::TwipsPerPixelX());
  top_ = (int32_t)(at.y * (double)IWScreen::TwipsPerPixelY());
  if (HWindow) ::MoveWindow(HWindow, at.x, at.y, w, h, TRUE);
  changed();
}

void IWForm::imLoad() {
  if (HWindow) return;
  Attr.Style &= ~WS_VISIBLE;
  Create();
}

void IWForm::imUnload() {
  DeactivateInPlaceObject();
  if (HWindow) Destroy();
}

long IWForm::pdGetVisible() {
  if (IsEmbedded()) return IWWindow::pdGetVisible();
  return HWindow && ::IsWindowVisible(HWindow) ? -1 : 0;
}

void IWForm::pdSetVisible(long on) {
  if (on)
    imShow();
  else
    imHide();
}

void IWForm::pdSetParent(InterObjRep* parent) {
  if (IsEmbedded()) return;
  const bool existed = HWindow != nullptr;
  const bool visible = existed && ::IsWindowVisible(HWindow);
  if (existed) Destroy();
  IWWindow::pdSetParent(parent);
  if (!existed) return;
  if (visible)
    imShow();
  else
    imLoad();
}

// ---- modality ----

long IWForm::imShowModal() {
  if (IsEmbedded()) return -1;
  imShow();
  imBringToTop();
  pdSetEnabled(1);
  if (HWindow) {
    TRect r = GetWindowRect();
    const int twoCaptions = 2 * ::GetSystemMetrics(SM_CYCAPTION);
    if (r.top < 0 || r.top > ::GetSystemMetrics(SM_CYSCREEN) - twoCaptions ||
        r.left > ::GetSystemMetrics(SM_CXSCREEN) - twoCaptions)
      imCenter();
  }
  if (state_ & kShownModal) return -1;
  TApplication* app = GetApplicationObject();
  if (!app || !HWindow) return -1;
  if (::GetCapture()) ::ReleaseCapture();
  StateBit modal(state_, kShownModal);
  savedLoop_ = (int16_t)StoreApplication::GetCurrentMessageLoopIndex();
  return app->BeginModal(this, MB_TASKMODAL);
}

void IWForm::endModal(int result) {
  if (!(state_ & kShownModal)) return;
  if (TApplication* app = GetApplicationObject()) app->EndModal(result);
  StoreApplication::SetMessageLoopGoto(savedLoop_);
  state_ &= (uint8_t)~kShownModal;
}

void IWForm::imModalResult(long result) { endModal((int)result); }

// ---- the mouse on the background ----

void IWForm::AfterLButtonPress() {
  if (HWindow) ::SetCapture(HWindow);
}

void IWForm::LButtonRelease() {
  if (::GetCapture()) {
    POINT at;
    ::GetCursorPos(&at);
    if (ClientWnd && ClientWnd->HWindow && ::WindowFromPoint(at) == ClientWnd->HWindow) {
      ::ReleaseCapture();
      NotifyClick();
      return;
    }
  }
  ::ReleaseCapture();
}

void IWForm::EvLButtonUp(uint keyFlags, TPoint& point) {
  if (!IsFlagSet(kMoving)) LButtonUp(keyFlags, point);
}

// ---- the frame's messages ----

bool IWForm::EvEraseBkgnd(HDC dc) { return IsIconic() ? TFrameWindow::EvEraseBkgnd(dc) : true; }

void IWForm::EvActivate(uint active, bool, HWND) {
  if (active != WA_INACTIVE)
    PO_RaiseEventNoThrow(storeObj(), "Activate");
  else if (ObjectStore::LockState() == 0)
    PO_RaiseEventNoThrow(storeObj(), "Deactivate");
  DefaultProcessing();
}

void IWForm::EvClose() { CloseWindow(0); }

void IWForm::EvSize(uint sizeType, TSize& size) {
  TFrameWindow::EvSize(sizeType, size);
  if (sizeType == SIZE_MINIMIZED) {
    state_ |= kMinimized;
    if (IsFlagSet(wfMainWindow)) threadWindowStep(true);
    return;
  }
  if (sizeType != SIZE_RESTORED && sizeType != SIZE_MAXIMIZED) return;
  const double tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  if (ClientWnd && ClientWnd->HWindow) {
    TRect r = ClientWnd->GetClientRect();
    scale_.SetPixelWidth(r.Width(), (float)tx);
    scale_.SetPixelHeight(r.Height(), (float)ty);
  }
  if (!IsFlagSet(kMoving) && HWindow) {
    TRect r = GetWindowRect();
    width_ = (int32_t)(tx * r.Width());
    height_ = (int32_t)(ty * r.Height());
  }
  if (state_ & kMinimized) {
    state_ &= (uint8_t)~kMinimized;
    if (IsFlagSet(wfMainWindow)) threadWindowStep(false);
    if (sizeType == SIZE_RESTORED) return;
  }
  if (state_ & kCreating) return;  // "Load" has not been raised yet
  changed();
  PO_RaiseEventNoThrow(storeObj(), "Resize");
}

void IWForm::threadWindowStep(bool hide) {
  ThreadStep step{IsNT() ? HWindow : StoreApplication::SuperHWND(), HiddenMark(), hide};
  if (!step.mark) return;
  ::EnumThreadWindows(::GetCurrentThreadId(), ThreadWindowStep, reinterpret_cast<LPARAM>(&step));
}

void IWForm::closeApplication() {
  TApplication* app = GetApplicationObject();
  if (app && !app->CanClose()) return;
  long code = 0;
  if (iApplication* native = iApplication::Native(iGlobals::App())) code = native->pdGetExitCode();
  ::PostQuitMessage((int)code);
}

void IWForm::EvSysCommand(uint cmdType, TPoint&) {
  if (!IsFlagSet(wfMainWindow)) {
    DefaultProcessing();
    return;
  }
  switch (cmdType & 0xFFF0) {
    case SC_CLOSE:
      closeApplication();
      return;
    case SC_MINIMIZE:
    case SC_RESTORE:
      if (!IsNT())
        if (HWND super = StoreApplication::SuperHWND()) ::SendMessageA(super, WM_SYSCOMMAND, cmdType, 0);
      break;
  }
  DefaultProcessing();
}

LRESULT IWForm::EvNCCalcSize(WPARAM calcValid, LPARAM) {
  if (!calcValid && !(GetStyle() & (WS_BORDER | WS_DLGFRAME))) return 0;
  return DefaultProcessing();
}

void IWForm::EvGetMinMaxInfo(MINMAXINFO& info) {
  const uint32_t style = GetStyle();
  int boxes = 0;
  if (style & WS_SYSMENU) ++boxes;
  if (style & WS_MINIMIZEBOX) ++boxes;
  if (style & WS_MAXIMIZEBOX) ++boxes;
  info.ptMinTrackSize.x = ::GetSystemMetrics(SM_CXSIZE) * boxes;
  info.ptMinTrackSize.y = ::GetSystemMetrics(SM_CYSIZE);
}
