// IWWindow: the published "Window": signature, geometry, properties, the window block,
// copying, creation and the walks over parents.
#include "guiobjects1/iwwindow.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "guiobjects1/clipformat.h"
#include "guiobjects1/dllinstance.h"
#include "guiobjects1/idatacontrol.h"
#include "guiobjects1/iwscreen.h"
#include "guiobjects1/iwxferobj.h"
#include "guiobjects1/scalerect.h"
#include "store/field.h"
#include "store/podefine.h"
#include "store/poevent.h"
#include "store/storeapp.h"
#include "store/valstring.h"
#include "utils/xexception.h"
#include "winlib/applicat.h"

namespace {

// The 3-D controls library's two functions, taken from the module the application
// registered with.
typedef BOOL(WINAPI* SubclassCtlFn)(HWND);
typedef HBRUSH(WINAPI* CtlColorExFn)(UINT, WPARAM, LPARAM);
HMODULE g_ctl3dModule = nullptr;
SubclassCtlFn g_subclassCtl = nullptr;
CtlColorExFn g_ctlColorEx = nullptr;

const char kCtl3dLibrary[] = "ctl3d32.dll";

double TwipsX() { return IWScreen::TwipsPerPixelX(); }
double TwipsY() { return IWScreen::TwipsPerPixelY(); }

// A value in units, checked to give a twips or pixel value a 32-bit integer holds.
long double Checked(long double v, const char* property) {
  if (!std::isfinite((double)v) || v > 2147483647.0L || v < -2147483648.0L)
    throw StoreException(kMsgInvalidArgument, property);
  return v;
}

bool IsComboBox(HWND h) {
  char name[32] = "";
  return h && ::GetClassNameA(h, name, sizeof name) && ::lstrcmpiA(name, "COMBOBOX") == 0;
}

bool IsChildStyle(const TWindow* w) { return w && (w->Attr.Style & WS_CHILD); }

// The top-down list of a parent's child windows.
std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> list;
  for (HWND h = parent ? ::GetWindow(parent, GW_CHILD) : nullptr; h; h = ::GetWindow(h, GW_HWNDNEXT))
    list.push_back(h);
  return list;
}

// The published windows among a window's children (in child-list order).
std::vector<IWWindow*> PublishedChildren(TWindow* parent) {
  std::vector<IWWindow*> list;
  if (!parent) return list;
  if (TWindow* w = parent->GetFirstChild()) {
    do {
      if (IWWindow* iw = dynamic_cast<IWWindow*>(w)) list.push_back(iw);
      w = w->Next();
    } while (w != parent->GetFirstChild());
  }
  return list;
}

// The pixel rectangle of an existing window relative to its parent's client area (the
// screen for a top-level window).
LongRect PixelRect(HWND h) {
  RECT r;
  ::GetWindowRect(h, &r);
  HWND parent = ::GetParent(h);
  if (parent && (::GetWindowLongA(h, GWL_STYLE) & WS_CHILD))
    ::MapWindowPoints(nullptr, parent, (POINT*)&r, 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

bool SameRect(const LongRect& a, const LongRect& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

InterObjRep* FontPrototype() {
  InterObjRep* f = ObjectStore::find("Font");
  return f && f->isPrototype() && std::strcmp(f->progId(), "Orvanel.Font") == 0 ? f : nullptr;
}

bool IsAFont(InterObjRep* obj) {
  InterObjRep* proto = FontPrototype();
  return obj && proto && obj->canBeTreatedAs(proto);
}

// Kinds of WM_CTLCOLOR* whose -1 colours have a system colour of their own.
bool IsEditOrList(uint kind) { return kind == CTLCOLOR_EDIT || kind == CTLCOLOR_LISTBOX; }

}  // namespace

// ---- registration ----

Faultp<InterObjRep>* IWWindow::PO_Object = nullptr;
const POClassRow& IWWindow::PO_Row() { return DllInstance::Row(kOviui1Window); }

// Own entries first, then the drag-and-drop part's (which hold the left button), then
// TWindow's. The left button's events come from PreProcessMsg; the focus entries belong
// to the derived classes' tables. A new row is one line here.
DEFINE_RESPONSE_TABLE1(IWWindow, IWDndWindow)
EV_WM_CTLCOLOR, EV_WM_MOVE, EV_WM_WINDOWPOSCHANGED, EV_WM_MOUSEMOVE,
    WL_MSG(WM_MBUTTONDOWN, Mouse, EvMButtonDown), WL_MSG(WM_MBUTTONUP, Mouse, EvMButtonUp), EV_WM_RBUTTONDOWN,
    EV_WM_RBUTTONUP, EV_WM_KEYDOWN, EV_WM_KEYUP, EV_WM_CHAR, END_RESPONSE_TABLE;

IWWindow::IWWindow(IUnknown* outer) : POClass(outer) {
  Init(nullptr, nullptr, DllInstance::Module());
  Attr.X = Attr.Y = Attr.W = Attr.H = 0;
  // The object is counted (its store object holds it): a parent of the window library
  // lets go of it instead of deleting it.
  SetFlag(wfOwnedElsewhere);
}

IWWindow::~IWWindow() {
  // Published children belong to their store objects, not to this window: their
  // windows go with this one, their objects are let go of before the window library
  // would delete them.
  if (HWindow && !IsFlagSet(wfAlias)) ::DestroyWindow(HWindow);
  for (IWWindow* c : PublishedChildren(this)) c->SetParent(nullptr);
  try {
    leaveDataSource();
  } catch (...) {  // a record set failing to let go must not stop the window's end
  }
  if (ctlBrush_) ::DeleteObject(ctlBrush_);
}

void IWWindow::PO_DeclareFields(SignatureRep& sig) {
  IWScreen::PO_GetObject();  // "MousePointerSelector" is the Screen's
  PO_EnsureEnum(*this, "BorderStyle", {{"None", 0}, {"Fixed Single", 1}});
  PO_EnsureEnum(*this, "BevelStyle", {{"None", 0}, {"Line", 1}, {"Inset", 2}, {"Raised", 3}});
  PO_EnsureEnum(*this, "DrawModeType",
                {{"Blackness", 1},
                 {"Not Merge Pen", 2},
                 {"Mask Not Pen", 3},
                 {"Not Copy Pen", 4},
                 {"Mask Pen Not", 5},
                 {"Not", 6},
                 {"Xor Pen", 7},
                 {"Not Mask Pen", 8},
                 {"Mask Pen", 9},
                 {"Not Xor Pen", 10},
                 {"Nop", 11},
                 {"Merge Not Pen", 12},
                 {"Copy Pen", 13},
                 {"Merge Pen Not", 14},
                 {"Merge Pen", 15},
                 {"Whiteness", 16}});
  PO_EnsureEnum(*this, "PenStyleType",
                {{"Solid", 0},
                 {"Dash", 1},
                 {"Dot", 2},
                 {"Dash-Dot", 3},
                 {"Dash-Dot-Dot", 4},
                 {"Transparent", 5},
                 {"Inside Solid", 6}});
  PO_EnsureEnum(*this, "FillStyleType",
                {{"Solid", 0},
                 {"Transparent", 1},
                 {"Horizontal Line", 2},
                 {"Vertical Line", 3},
                 {"Upward Diagonal", 4},
                 {"Downward Diagonal", 5},
                 {"Cross", 6},
                 {"Diagonal Cross", 7}});
  PO_EnsureEnum(*this, "OleDragMode",
                {{"No Drag", 0},
                 {"LeftMouse", 1},
                 {"RightMouse", 2},
                 {"MiddleMouse", 16},
                 {"LeftMouse+Shift", 5},
                 {"RightMouse+Shift", 6},
                 {"MiddleMouse+Shift", 20},
                 {"LeftMouse+Control", 9},
                 {"RightMouse+Control", 10},
                 {"MiddleMouse+Control", 24},
                 {"LeftMouse+Alt", 33},
                 {"RightMouse+Alt", 34},
                 {"MiddleMouse+Alt", 48},
                 {"LeftMouse+Shift+Control", 13},
                 {"RightMouse+Shift+Control", 14},
                 {"MiddleMouse+Shift+Control", 28},
                 {"LeftMouse+Shift+Alt", 37},
                 {"RightMouse+Shift+Alt", 38},
                 {"MiddleMouse+Shift+Alt", 52},
                 {"LeftMouse+Control+Alt", 41},
                 {"RightMouse+Control+Alt", 42},
                 {"MiddleMouse+Control+Alt", 56},
                 {"LeftMouse+Shift+Control+Alt", 45},
                 {"RightMouse+Shift+Control+Alt", 46},
                 {"MiddleMouse+Shift+Control+Alt", 60}});
  PO_EnsureEnum(*this, "OleDropState",
                {{"Enter", 0}, {"Over", 1}, {"Leave", 2}, {"Drop", 3}, {"DropFile", 4}});
  PO_EnsureEnum(*this, "OleDropEffect",
                {{"MoreFiles", -1},
                 {"None", 0},
                 {"Copy", 1},
                 {"Move", 2},
                 {"Copy+Move", 3},
                 {"Link", 4},
                 {"Link+Copy", 5},
                 {"Link+Move", 6},
                 {"Link+Copy+Move", 7},
                 {"Scroll", (int32_t)0x80000000u},
                 {"Scroll+Copy", (int32_t)0x80000001u},
                 {"Scroll+Move", (int32_t)0x80000002u},
                 {"Scroll+Copy+Move", (int32_t)0x80000003u},
                 {"Scroll+Link", (int32_t)0x80000004u},
                 {"Scroll+Link+Copy", (int32_t)0x80000005u},
                 {"Scroll+Link+Move", (int32_t)0x80000006u},
                 {"Scroll+Link+Copy+Move", (int32_t)0x80000007u}});

  PO_Property(sig, "Name", kTypeString, &IWWindow::pdSetName, &IWWindow::pdGetName);
  PO_Property(sig, "Parent", kTypeObject, &IWWindow::pdSetParent, &IWWindow::pdGetParent, "Form");
  PO_Property(sig, "Caption", kTypeString, &IWWindow::pdSetCaption, &IWWindow::pdGetCaption);
  PO_Property(sig, "ZOrder", kTypeShort, &IWWindow::pdSetZOrder, &IWWindow::pdGetZOrder);
  PO_Property(sig, "BackColor", kTypeLong, &IWWindow::pdSetBackColor, &IWWindow::pdGetBackColor);
  PO_Property(sig, "ForeColor", kTypeLong, &IWWindow::pdSetForeColor, &IWWindow::pdGetForeColor);
  PO_EnumProperty(sig, "MousePointer", "MousePointerSelector", &IWWindow::pdSetMousePointer,
                  &IWWindow::pdGetMousePointer);
  PO_EnumProperty(sig, "Enabled", "Boolean", &IWWindow::pdSetEnabled, &IWWindow::pdGetEnabled);
  PO_EnumProperty(sig, "Visible", "Boolean", &IWWindow::pdSetVisible, &IWWindow::pdGetVisible);
  PO_Property(sig, "Left", kTypeFloat, &IWWindow::pdSetLeft, &IWWindow::pdGetLeft);
  PO_Property(sig, "Top", kTypeFloat, &IWWindow::pdSetTop, &IWWindow::pdGetTop);
  PO_Property(sig, "Width", kTypeFloat, &IWWindow::pdSetWidth, &IWWindow::pdGetWidth);
  PO_Property(sig, "Height", kTypeFloat, &IWWindow::pdSetHeight, &IWWindow::pdGetHeight);
  PO_Property(sig, "Font", kTypeObject, &IWWindow::pdSetFont, &IWWindow::pdGetFont, "Font");
  PO_Property(sig, "hWnd", kTypeLong, nullptr, &IWWindow::pdGethWnd);
  PO_EnumProperty(sig, "DragMode", "OleDragMode", &IWWindow::pdSetDragMode, &IWWindow::pdGetDragMode);
  PO_EnumProperty(sig, "DataChanged", "Boolean", &IWWindow::pdSetDataChanged, &IWWindow::pdGetDataChanged);
  PO_Property(sig, "DataSource", kTypeObject, &IWWindow::pdSetDataSource, &IWWindow::pdGetDataSource,
              "RecordSet");
  PO_Property(sig, "DataField", kTypeString, &IWWindow::pdSetDataField, &IWWindow::pdGetDataField);

  PO_Method(
      sig,
      "Sub Move(ByVal left_ As Single, ByVal top As Single, ByVal width As Single, ByVal height As Single)",
      &IWWindow::imMove);
  PO_Method(sig, "Sub SetFocus()", &IWWindow::imSetFocus);
  PO_Method(sig, "Sub Refresh()", &IWWindow::imRefresh);
  PO_Method(sig, "Function TextUnload(ByVal indent As String, cmds As String) As Integer",
            &IWWindow::imTextUnload);

  PO_Event(sig, "Event Setup()");
  PO_Event(sig, "Event MouseDown(button As Integer, shift As Integer, x As Single, y As Single)");
  PO_Event(sig, "Event MouseUp(button As Integer, shift As Integer, x As Single, y As Single)");
  PO_Event(sig, "Event MouseMove(button As Integer, shift As Integer, x As Single, y As Single)");
  PO_Event(sig,
           "Event DragAndDrop(source As XferData, x As Single, y As Single, state As OleDropState, effect As "
           "OleDropEffect)");
  PO_Event(sig, "Event DragStart(xfd As XferData, x As Single, y As Single)");
  PO_Event(sig, "Event Update(ByVal value As String)");
  PO_Event(sig, "Event UpdateDataSource(value As String)");
}

// ---- the window block ----

void IWWindow::PO_Write(OCLStream& s) {
  numberChildZOrders();
  InterObjRep* above = ParentObject(this);
  Faultp<InterObjRep> form(IsAForm(above) ? above : nullptr);
  form.write(s);
  s.write(Title);
  s.write((ULONG)((Flags & ~kRunStateFlags) | wfAutoCreate));
  s.write((ULONG)Attr.Id);
  s.write((ULONG)Attr.Style);
  s.write((ULONG)Attr.ExStyle);
  s.write((USHORT)zOrder_);
  s.write((ULONG)BkgndColor.GetValue());
  s.write((ULONG)left_);
  s.write((ULONG)top_);
  s.write((ULONG)width_);
  s.write((ULONG)height_);
  s.write((ULONG)foreColor_);
  font_.write(s);
  s.write((UCHAR)dragMode_);
  s.write((UCHAR)pdGetMousePointer());
  dataSource_.write(s);
  s.write(dataField_.c_str());
}

void IWWindow::PO_Read(OCLStream& s, unsigned) {
  const char* const kClass = "Window";
  InterObjRep* me = storeObj();
  unsigned char module = me ? me->module() : ObjectStore::OpenModule();

  // Everything is read and checked before anything of the window changes.
  Faultp<InterObjRep> parent, font, source;
  char* caption = nullptr;
  char* field = nullptr;
  ULONG flags = 0, id = 0, style = 0, exStyle = 0, back = 0, l = 0, t = 0, w = 0, h = 0, fore = 0;
  USHORT z = 0;
  UCHAR drag = 0, pointer = 0;
  try {
    parent.read(s, module);
    s.read(&caption);
    s.read(&flags);
    s.read(&id);
    s.read(&style);
    s.read(&exStyle);
    s.read(&z);
    s.read(&back);
    s.read(&l);
    s.read(&t);
    s.read(&w);
    s.read(&h);
    s.read(&fore);
    font.read(s, module);
    s.read(&drag);
    s.read(&pointer);
    source.read(s, module);
    s.read(&field);
  } catch (const StoreException&) {  // a reference the store cannot read
    delete[] caption;
    delete[] field;
    throw ObjectLoadFailed(kClass);
  } catch (...) {
    delete[] caption;
    delete[] field;
    throw;
  }
  std::string captionText = caption ? caption : "";
  bool hasCaption = caption != nullptr;
  std::string fieldName = field ? field : "";  // a missing name reads as none
  delete[] caption;
  delete[] field;

  IWWindow* parentWindow = nullptr;
  if (parent.is()) {
    parentWindow = Native(parent.get());
    if (!parentWindow || parentWindow == this) throw ObjectLoadFailed(kClass);
  }
  IDataControl* dc = nullptr;
  if (source.is()) {
    dc = DataControlOf(source.get());
    if (!dc) throw ObjectLoadFailed(kClass);
  }
  if (font.is() && !IsAFont(font.get())) font.clear();
  if (!IsDragMode(drag)) drag = kDragNone;
  if (pointer >= kPointerCount) pointer = kPointerDefault;

  delete[] Title;
  Title = nullptr;
  if (hasCaption) SetCaption(captionText.c_str());
  Flags = (Flags & kRunStateFlags) | (flags & ~kRunStateFlags);
  Attr.Id = (int)id;
  Attr.Style = style;
  Attr.ExStyle = exStyle;
  zOrder_ = z;
  BkgndColor = TColor((COLORREF)back);
  left_ = (int32_t)l;
  top_ = (int32_t)t;
  width_ = (int32_t)w;
  height_ = (int32_t)h;
  foreColor_ = (long)(int32_t)fore;
  font_ = font;
  dragMode_ = drag;
  pdSetMousePointer(pointer);
  leaveDataSource();
  dataField_ = fieldName;
  if (dc) {
    dataSource_ = source;
    if (me) dc->addControl(InterObj(me));
    currentField_ = dc->imCurrentField(dataField_.c_str());
  }
  if (parentWindow) SetParentWindow(parentWindow);
  pixelsFromTwips();
}

void IWWindow::pixelsFromTwips() {
  int tx = IWScreen::TwipsPerPixelX(), ty = IWScreen::TwipsPerPixelY();
  if (tx <= 0 || ty <= 0) return;
  Attr.X = left_ / tx;
  Attr.W = width_ / tx;
  Attr.Y = top_ / ty;
  Attr.H = height_ / ty;
}

void IWWindow::numberChildZOrders() {
  if (!HWindow) return;
  AssignZOrder();
  uint16_t n = 0;
  for (IWWindow* c : PublishedChildren(this))
    if (c->HWindow) c->zOrder_ = ++n;
}

// ---- copying ----

void IWWindow::clone(const IInterObj& source) {
  const IWWindow* src = dynamic_cast<const IWWindow*>(&source);
  UTILS_ASSERT(src != nullptr);
  UTILS_ASSERT(HWindow == 0);
  if (!src) return;
  Attr.Style = src->Attr.Style;
  Attr.ExStyle = src->Attr.ExStyle;
  if (src->IsFlagSet(kCtrl3d))
    SetFlag(kCtrl3d);
  else
    ClearFlag(kCtrl3d);
  left_ = src->left_;
  top_ = src->top_;
  width_ = src->width_;
  height_ = src->height_;
  Attr.X = src->Attr.X;
  Attr.Y = src->Attr.Y;
  Attr.W = src->Attr.W;
  Attr.H = src->Attr.H;
  if (src->Title) SetCaption(src->Title);
  BkgndColor = src->BkgndColor;
  foreColor_ = src->foreColor_;
  font_ = src->font_;
  cursor_ = src->cursor_;
  dragMode_ = src->dragMode_;
  zOrder_ = src->zOrder_;
}

void IWWindow::attach(unsigned char) {
  // A font that has gone since the reference was taken counts as none.
  if (font_.raw() && font_.isNull()) font_.clear();
}

void IWWindow::construct(const IInterObj& source) {
  const IWWindow* src = dynamic_cast<const IWWindow*>(&source);
  if (!src || !storeObj() || !src->storeObj()) return;
  if (src->dataSource_.is()) fixupCopiedDataSource(InterObj(src->storeObj()));
  fixupCopiedReferenceToEmbed(font_, source);
  fixupCopiedEmbeds(*src->storeObj());
}

void IWWindow::fixupCopiedEmbeds(InterObjRep& source) {
  // Each embedded window was copied (and bound) before this object held it, and before
  // this object held its copies of the other embeds: only now can it find the record set
  // that its container holds, so it binds again.
  InterObjRep* me = storeObj();
  for (int i = 0; me && i < me->numEmbeds(); ++i) {
    InterObjRep* child = me->embed(i);
    IWWindow* w = child->hasName() ? Native(child) : nullptr;
    InterObjRep* from = w ? source.findEmbed(child->name()) : nullptr;
    IWWindow* original = from ? Native(from) : nullptr;
    if (original && original->dataSource_.is()) w->fixupCopiedDataSource(InterObj(from));
  }
}

// ---- geometry ----

ScaleRect* IWWindow::Scale() { return nullptr; }
ScaleRect* IWWindow::ContainerScale() { return nullptr; }

float IWWindow::pdGetLeft() {
  ScaleRect* s = ContainerScale();
  if (!s) return (float)left_;
  long double f = s->TwipsPerUnitX();
  return f != 0 ? (float)(left_ / f + s->ScaleLeft) : s->ScaleLeft;
}

float IWWindow::pdGetTop() {
  ScaleRect* s = ContainerScale();
  if (!s) return (float)top_;
  long double f = s->TwipsPerUnitY();
  return f != 0 ? (float)(top_ / f + s->ScaleTop) : s->ScaleTop;
}

float IWWindow::pdGetWidth() {
  ScaleRect* s = ContainerScale();
  if (!s) return (float)width_;
  long double f = std::fabs((double)s->TwipsPerUnitX());
  return f != 0 ? (float)(width_ / f) : 0.0f;
}

float IWWindow::pdGetHeight() {
  ScaleRect* s = ContainerScale();
  if (!s) return (float)height_;
  long double f = std::fabs((double)s->TwipsPerUnitY());
  return f != 0 ? (float)(height_ / f) : 0.0f;
}

void IWWindow::pdSetLeft(float v) { imMove(v, pdGetTop(), pdGetWidth(), pdGetHeight()); }
void IWWindow::pdSetTop(float v) { imMove(pdGetLeft(), v, pdGetWidth(), pdGetHeight()); }
void IWWindow::pdSetWidth(float v) { imMove(pdGetLeft(), pdGetTop(), v, pdGetHeight()); }
void IWWindow::pdSetHeight(float v) { imMove(pdGetLeft(), pdGetTop(), pdGetWidth(), v); }

void IWWindow::imMove(float l, float t, float w, float h) {
  if (!(w >= 0)) throw StoreException(kMsgInvalidArgument, "Width");
  if (!(h >= 0)) throw StoreException(kMsgInvalidArgument, "Height");
  ScaleRect* s = ContainerScale();
  // Checked in long double before anything is truncated to 32 bits.
  long double tx = s ? s->TwipsPerUnitX() : 1, ty = s ? s->TwipsPerUnitY() : 1;
  long double sl = s ? s->ScaleLeft : 0, st = s ? s->ScaleTop : 0;
  Checked(tx * (l - sl), "Left");
  Checked(ty * (t - st), "Top");
  Checked(std::fabs((double)tx) * w, "Width");
  Checked(std::fabs((double)ty) * h, "Height");
  UnitRect units{l, t, w, h};
  LongRect twips = ScaleRect::UnitsToTwips(s, units);
  LongRect pixels;
  if (s) {
    long double px = s->PixelsPerUnitX(), py = s->PixelsPerUnitY();
    Checked((l - sl) * px, "Left");
    Checked((t - st) * py, "Top");
    Checked(std::fabs((double)px) * w, "Width");
    Checked(std::fabs((double)py) * h, "Height");
    pixels = ScaleRect::UnitsToPixels(s, units);
  } else {
    pixels = ScaleRect::UnitsToPixels(
        nullptr, {(float)twips.left, (float)twips.top, (float)twips.width, (float)twips.height});
  }
  LongRect now = HWindow ? PixelRect(HWindow) : LongRect{Attr.X, Attr.Y, Attr.W, Attr.H};
  if (!SameRect(now, pixels)) {
    if (HWindow) {
      SetFlag(kMoving);
      MoveWindow(pixels.left, pixels.top, pixels.width, pixels.height, true);
    }
    Attr.X = pixels.left;
    Attr.Y = pixels.top;
    Attr.W = pixels.width;
    Attr.H = pixels.height;
  }
  left_ = twips.left;
  top_ = twips.top;
  width_ = twips.width;
  height_ = twips.height;
  changed();
}

void IWWindow::EvMove(TPoint& clientOrigin) {
  TWindow::EvMove(clientOrigin);
  if (IsFlagSet(kMoving) || !HWindow) return;
  LongRect r = PixelRect(HWindow);
  Attr.X = r.left;
  Attr.Y = r.top;
  left_ = (int32_t)(r.left * TwipsX());
  top_ = (int32_t)(r.top * TwipsY());
  SyncSuperHwnd(0, 1);
}

void IWWindow::EvWindowPosChanged(WINDOWPOS& pos) {
  TWindow::EvWindowPosChanged(pos);
  ClearFlag(kMoving);
}

void IWWindow::Units2Pixels(float x, float y, TPoint& out) {
  if (ScaleRect* s = Scale()) {
    out.x = (int)Checked(s->PixelsPerUnitX() * (x - s->ScaleLeft) + 0.5L, "x");
    out.y = (int)Checked(s->PixelsPerUnitY() * (y - s->ScaleTop) + 0.5L, "y");
    return;
  }
  double tx = TwipsX(), ty = TwipsY();
  out.x = tx > 0 ? (int)Checked(x / tx, "x") : 0;
  out.y = ty > 0 ? (int)Checked(y / ty, "y") : 0;
}

void IWWindow::Pixels2Units(const TPoint& in, float& x, float& y) {
  if (ScaleRect* s = Scale()) {
    long double px = s->PixelsPerUnitX(), py = s->PixelsPerUnitY();
    x = px != 0 ? (float)(in.x / px + s->ScaleLeft) : s->ScaleLeft;
    y = py != 0 ? (float)(in.y / py + s->ScaleTop) : s->ScaleTop;
    return;
  }
  x = (float)(in.x * TwipsX());
  y = (float)(in.y * TwipsY());
}

// ---- name, caption, parent ----

ValStringRep* IWWindow::pdGetName() {
  InterObjRep* me = storeObj();
  if (!me) return new ValStringRep("");
  if (me->isEmbedded() && me->containingField()) return new ValStringRep(me->containingField()->name());
  return new ValStringRep(me->name());
}

void IWWindow::pdSetName(const char* name) {
  InterObjRep* me = storeObj();
  if (!me || (!me->hasName() && !(me->flags() & (InterObjRep::kFlagPrototype | InterObjRep::kFlagTopLevel))))
    return;
  bool follow = CaptionIsName();
  me->renameObject(name ? name : "");  // a taken or invalid name is the store's error
  if (follow) pdSetCaption(me->name());
}

bool IWWindow::CaptionIsName() {
  InterObjRep* me = storeObj();
  const char* name = me ? me->name() : "";
  return std::strcmp(Title ? Title : "", name) == 0;
}

ValStringRep* IWWindow::pdGetCaption() { return new ValStringRep(Title ? Title : ""); }

void IWWindow::pdSetCaption(const char* caption) {
  SetCaption(caption ? caption : "");
  SyncSuperHwnd(1, 0);
  changed();
}

InterObjRep* IWWindow::pdGetParent() {
  for (TWindow* w = Parent; w; w = w->Parent) {
    if (IWWindow* iw = dynamic_cast<IWWindow*>(w))
      if (iw->storeObj()) return iw->storeObj();
    if (!IsChildStyle(w)) break;
  }
  return nullptr;
}

void IWWindow::pdSetParent(InterObjRep* parent) {
  if (HWindow || IsChildStyle(this)) return;
  if (!parent) {
    SetParent(nullptr);
    changed();
    return;
  }
  IWWindow* w = Native(parent);
  if (!w || w == this || IsChildStyle(w)) return;
  for (TWindow* up = w; up; up = up->Parent)
    if (up == this) return;  // would make a loop
  SetParent(w);
  changed();
}

void IWWindow::SetParentWindow(IWWindow* parent) {
  if (!parent || parent == this) return;
  parent->TakeChild(this);
}

void IWWindow::TakeChild(IWWindow* child) {
  if (child && child != this) child->SetParent(this);
}

void IWWindow::ChildEmbedded(IWWindow*) {}
void IWWindow::ChildUnembedded(IWWindow*) {}

// The container's native part is asked directly: this also runs while modules unload,
// when the prototypes may have gone already.
void IWWindow::embedded(InterObjRep* container) {
  IWWindow* holder = container ? dynamic_cast<IWWindow*>(container->ROCDataPtr(0)) : nullptr;
  if (holder && holder != this) holder->ChildEmbedded(this);
}

void IWWindow::unembedded(InterObjRep* container) {
  IWWindow* holder = container ? dynamic_cast<IWWindow*>(container->ROCDataPtr(0)) : nullptr;
  if (holder && holder != this) holder->ChildUnembedded(this);
}

// ---- Z order ----

short IWWindow::pdGetZOrder() {
  if (!Parent || !IsChildStyle(this)) return 0;
  if (!HWindow) return (short)zOrder_;
  std::vector<HWND> list = ChildWindows(::GetParent(HWindow));
  int pos = 0;
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i] == HWindow) pos = (int)i + 1;
  IWWindow* form = dynamic_cast<IWWindow*>(Parent);
  if (form && (form->formFlags_ & kFormEditing)) --pos;
  return (short)pos;
}

void IWWindow::pdSetZOrder(short n) {
  if (!Parent || !IsChildStyle(this)) return;
  changed();
  std::vector<IWWindow*> siblings = PublishedChildren(Parent);
  if (HWindow) {
    IWWindow* form = dynamic_cast<IWWindow*>(Parent);
    bool edited = form && (form->formFlags_ & kFormEditing);
    std::vector<HWND> others;
    for (HWND h : ChildWindows(::GetParent(HWindow)))
      if (h != HWindow) others.push_back(h);
    HWND after;
    size_t k = edited ? (size_t)n : (size_t)(n - 1);  // placed after the k-th sibling
    if (n >= 1 && k == 0)
      after = HWND_TOP;
    else if (n >= 1 && k <= others.size())
      after = others[k - 1];
    else if (edited && others.size() >= 2)
      after = others[others.size() - 2];  // above the bottom overlay
    else if (edited && others.size() == 1)
      after = HWND_TOP;
    else
      after = HWND_BOTTOM;
    ::SetWindowPos(HWindow, after, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    for (IWWindow* s : siblings)
      if (s != this) s->changed();
    return;
  }
  int want = n < 0 ? 0 : n;
  int stored = zOrder_;
  if (want != stored) {
    bool taken = false;
    for (IWWindow* s : siblings)
      if (s != this && s->zOrder_ == want) taken = true;
    if (taken) {
      for (IWWindow* s : siblings) {
        if (s == this) continue;
        int z = s->zOrder_, nz = z;
        if (stored == 0) {
          if (z >= want) nz = z + 1;
        } else if (want < stored) {
          if (z >= want && z <= stored - 1) nz = z + 1;
        } else {
          if (z >= want)
            nz = z + 1;
          else if (z >= stored + 1 && z <= want - 1)
            nz = z - 1;
        }
        if (nz != z) {
          s->zOrder_ = (uint16_t)nz;
          s->changed();
        }
      }
    }
  }
  zOrder_ = (uint16_t)want;
}

// ---- enabled, visible, colours, pointer, font ----

long IWWindow::pdGetEnabled() {
  if (HWindow) return ::IsWindowEnabled(HWindow) ? -1 : 0;
  return (Attr.Style & WS_DISABLED) ? 0 : -1;
}

void IWWindow::pdSetEnabled(long on) {
  if (HWindow) ::EnableWindow(HWindow, on != 0);
  Attr.Style = on ? (Attr.Style & ~WS_DISABLED) : (Attr.Style | WS_DISABLED);
  changed();
}

long IWWindow::pdGetVisible() { return (Attr.Style & WS_VISIBLE) ? -1 : 0; }

void IWWindow::pdSetVisible(long on) {
  if (HWindow) ::ShowWindow(HWindow, on ? SW_SHOW : SW_HIDE);
  Attr.Style = on ? (Attr.Style | WS_VISIBLE) : (Attr.Style & ~WS_VISIBLE);
  changed();
}

long IWWindow::pdGetBackColor() { return (long)(int32_t)BkgndColor.GetValue(); }

void IWWindow::pdSetBackColor(long color) {
  SetBkgndColor(TColor((COLORREF)color));  // repaints an existing window
  changed();
}

void IWWindow::pdSetForeColor(long color) {
  foreColor_ = color;
  if (HWindow) Invalidate();
  changed();
}

long IWWindow::pdGetMousePointer() {
  if (!cursor_) return kPointerDefault;
  for (long i = 1; i < kPointerCount; ++i)
    if (::LoadCursorA(nullptr, MAKEINTRESOURCEA(IWScreen::CursorID(i))) == cursor_) return i;
  return kPointerDefault;
}

void IWWindow::pdSetMousePointer(long pointer) {
  unsigned long id = IWScreen::CursorID(pointer);
  if (pointer != kPointerDefault && !id) throw StoreException(kMsgInvalidArgument, "MousePointer");
  SetCursor(nullptr, id ? MAKEINTRESOURCEA(id) : nullptr);
  changed();
}

InterObjRep* IWWindow::pdGetFont() { return font_.get(); }

void IWWindow::pdSetFont(InterObjRep* font) {
  if (font && !IsAFont(font)) return;
  font_ = font;
  if (HWindow) SendMessage(WM_SETFONT, (WPARAM)GetEffectiveFont(), TRUE);
  changed();
}

InterObjRep* IWWindow::GetEffectiveFontObject() {
  for (TWindow* w = this; w; w = w->Parent)
    if (IWWindow* iw = dynamic_cast<IWWindow*>(w))
      if (iw->font_.is()) return iw->font_.get();
  return nullptr;
}

HFONT IWWindow::GetEffectiveFont() {
  InterObjRep* font = GetEffectiveFontObject();
  if (font && font->isDestroyed()) return nullptr;
  IWFontHandle* h = font ? dynamic_cast<IWFontHandle*>(font->ROCDataPtr(0)) : nullptr;
  return h ? h->FontHandle() : nullptr;
}

void IWWindow::pdSetDragMode(long mode) {
  if (!IsDragMode(mode)) throw StoreException(kMsgInvalidArgument, "DragMode");
  SetDragMode((uint8_t)mode);
  changed();
}

// ---- control colours ----

// The decision table. For a published child c (or the published combo box whose edit
// part is asking): the background is this window's for a combo box that is not a
// drop-down list, else c's, where -1 means the system window colour for edit and list
// kinds, the scroll-bar colour for scroll bars, and this window's colour for the other
// kinds; -1 or "none" at the end means the button face. The text is c's foreground,
// where -1 means the window-text colour for edit and list kinds, the scroll-bar colour
// for scroll bars, else this window's foreground; -1 at the end means the button text.
// Anything else asking gets the window and window-text colours.
HBRUSH IWWindow::EvCtlColor(HDC dc, HWND child, uint kind) {
  if (ctlBrush_) {
    ::DeleteObject(ctlBrush_);
    ctlBrush_ = nullptr;
  }
  IWWindow* c = dynamic_cast<IWWindow*>(GetWindowPtr(child));
  if (c && IsFlagSet(kCtrl3d)) {
    ensureCtlFunctions();
    if (g_ctlColorEx)
      if (HBRUSH b = g_ctlColorEx(WM_CTLCOLORMSGBOX + kind, (WPARAM)dc, (LPARAM)child)) return b;
  }
  HWND colourOf = child;
  if (!c) {
    HWND up = ::GetParent(child);
    IWWindow* combo = dynamic_cast<IWWindow*>(GetWindowPtr(up));
    if (combo && IsComboBox(up)) {
      c = combo;
      colourOf = up;
    }
  }
  TColor back, text;
  if (c) {
    long b;
    if (IsComboBox(colourOf) && (::GetWindowLongA(colourOf, GWL_STYLE) & 3) != CBS_DROPDOWNLIST) {
      b = pdGetBackColor();
    } else {
      b = c->pdGetBackColor();
      if (b == -1) {
        if (IsEditOrList(kind))
          b = (long)TColor::Sys(COLOR_WINDOW).GetValue();
        else if (kind == CTLCOLOR_SCROLLBAR)
          b = (long)TColor::Sys(COLOR_SCROLLBAR).GetValue();
        else
          b = pdGetBackColor();
      }
    }
    if (b == -1 || (uint32_t)b == TColor::kNone) b = (long)TColor::Sys(COLOR_BTNFACE).GetValue();
    long f = c->foreColor_;
    if (f == -1) {
      if (IsEditOrList(kind))
        f = (long)TColor::Sys(COLOR_WINDOWTEXT).GetValue();
      else if (kind == CTLCOLOR_SCROLLBAR)
        f = (long)TColor::Sys(COLOR_SCROLLBAR).GetValue();
      else
        f = foreColor_;
    }
    if (f == -1) f = (long)TColor::Sys(COLOR_BTNTEXT).GetValue();
    back = TColor((COLORREF)b);
    text = TColor((COLORREF)f);
  } else {
    back = TColor::Sys(COLOR_WINDOW);
    text = TColor::Sys(COLOR_WINDOWTEXT);
  }
  ::SetBkColor(dc, back.Resolved());
  ::SetTextColor(dc, text.Resolved());
  ctlBrush_ = ::CreateSolidBrush(::GetNearestColor(dc, back.Resolved()));
  return ctlBrush_;
}

// ---- the 3-D look and re-creation ----

void IWWindow::ensureCtlFunctions() {
  TApplication* app = GetApplicationObject();
  HMODULE lib = app && app->Ctl3dEnabled() ? ::GetModuleHandleA(kCtl3dLibrary) : nullptr;
  if (lib == g_ctl3dModule) return;
  g_ctl3dModule = lib;
  g_subclassCtl = lib ? reinterpret_cast<SubclassCtlFn>(::GetProcAddress(lib, "Ctl3dSubclassCtl")) : nullptr;
  g_ctlColorEx = lib ? reinterpret_cast<CtlColorExFn>(::GetProcAddress(lib, "Ctl3dCtlColorEx")) : nullptr;
}

bool IWWindow::HasCtl3dFunctions() {
  ensureCtlFunctions();
  return g_subclassCtl && g_ctlColorEx;
}

void IWWindow::makeControl3d() {
  ensureCtlFunctions();
  if (HWindow && g_subclassCtl) g_subclassCtl(HWindow);
}

void IWWindow::unmakeControl3d() {
  if (!HWindow) return;
  WindowFlagScope setup(*this, kInSetup);
  DoReCreate(DataForReCreate());
}

void IWWindow::pdSetCtrl3d(long on) {
  if ((on != 0) == IsFlagSet(kCtrl3d)) return;
  changed();
  if (on) {
    SetFlag(kCtrl3d);
    if (HWindow) makeControl3d();
  } else {
    ClearFlag(kCtrl3d);
    if (HWindow) unmakeControl3d();
  }
  if (HWindow) Invalidate();
}

void* IWWindow::DataForReCreate() {
  if (HWindow) {
    zOrder_ = (uint16_t)pdGetZOrder();
    Destroy();
  }
  return nullptr;
}

void IWWindow::DoReCreate(void* arg) {
  UTILS_ASSERT(!arg);
  uint16_t z = zOrder_;
  ClearFlag(wfDetached | wfFullyCreated);
  Create();
  if (z && IsChildStyle(this) && Parent) {
    zOrder_ = z;
    pdSetZOrder((short)z);
  }
}

// ---- creation ----

void IWWindow::CreateAndShow() {
  bool made = false;
  if (!HWindow) {
    Create();
    made = true;
  }
  ShowWindow(made ? SW_SHOWNORMAL : SW_SHOW);
  evalUpdate();
}

void IWWindow::SetupWindow() {
  IWDndWindow::SetupWindow();
  if (HFONT f = GetEffectiveFont()) SendMessage(WM_SETFONT, (WPARAM)f, TRUE);
  if (!IsFlagSet(kInSetup)) {
    WindowFlagScope setup(*this, kInSetup);
    try {
      PO_RaiseEventNoThrow(storeObj(), "Setup");
    } catch (const StoreException&) {  // reported or not, the window is made
    }
  }
  if (IsFlagSet(kCtrl3d)) makeControl3d();
}

void IWWindow::CleanupWindow() { IWDndWindow::CleanupWindow(); }

void IWWindow::SetExStyle(unsigned long bits) {
  Attr.ExStyle |= bits;
  if (HWindow) ::SetWindowLongA(HWindow, GWL_EXSTYLE, (LONG)(::GetWindowLongA(HWindow, GWL_EXSTYLE) | bits));
}

void IWWindow::ClearExStyle(unsigned long bits) {
  Attr.ExStyle &= ~bits;
  if (HWindow) ::SetWindowLongA(HWindow, GWL_EXSTYLE, (LONG)(::GetWindowLongA(HWindow, GWL_EXSTYLE) & ~bits));
}

void IWWindow::SyncSuperHwnd(int caption, int position) {
  if (!IsFlagSet(wfMainWindow)) return;
  HWND super = StoreApplication::SuperHWND();
  if (!super) return;
  if (caption) ::SetWindowTextA(super, Title ? Title : "");
  if (position) ::SetWindowPos(super, nullptr, Attr.X, Attr.Y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IWWindow::PreProcessMsg(MSG& msg) {
  if ((msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONUP) && HWindow && msg.hwnd == HWindow) {
    TPoint point((short)LOWORD(msg.lParam), (short)HIWORD(msg.lParam));
    if (msg.message == WM_LBUTTONDOWN)
      LButtonDown((unsigned)msg.wParam, point);
    else
      LButtonUp((unsigned)msg.wParam, point);
    SetFlag(kMoving);
  } else {
    ClearFlag(kMoving);
  }
  return IWDndWindow::PreProcessMsg(msg);
}

void* IWWindow::GetAsInterObjRep(TPoint&) { return storeObj(); }
TWindow* IWWindow::WindowPart() { return this; }

// ---- methods ----

void IWWindow::imSetFocus() {
  if (HWindow && ::IsWindowVisible(HWindow)) ::SetFocus(HWindow);
}

void IWWindow::imRefresh() {
  if (!HWindow) return;
  SendMessage(WM_SETFONT, (WPARAM)GetEffectiveFont(), TRUE);
  ::InvalidateRect(HWindow, nullptr, TRUE);
}

short IWWindow::imTextUnload(const char* indent, ValString* cmds) {
  static const char* const kNames[] = {"DataSource", "DataField",    "Caption", "BackColor",
                                       "ForeColor",  "MousePointer", "Enabled", "Font",
                                       "DragMode",   "ZOrder",       nullptr};
  if (!cmds) return -1;
  if (!indent) indent = "";
  if (InterObjRep* me = storeObj()) me->textFieldsUnload(kNames, indent, *cmds);
  char move[200];
  std::snprintf(move, sizeof move, ".Move(%g, %g, %g, %g)\n", (double)pdGetLeft(), (double)pdGetTop(),
                (double)pdGetWidth(), (double)pdGetHeight());
  *cmds = ValString(cmds->str() + indent + move);
  return -1;
}

// ---- events ----

namespace {

// Runs an action when the scope ends, also when a handler's failure passes.
template <class F>
class AtExit {
 public:
  explicit AtExit(F f) : f_(f) {}
  ~AtExit() { f_(); }
  AtExit(const AtExit&) = delete;
  AtExit& operator=(const AtExit&) = delete;

 private:
  F f_;
};

}  // namespace

short IWWindow::MouseShift(unsigned keyFlags) {
  short s = 0;
  if (keyFlags & MK_SHIFT) s |= kShiftShift;
  if (keyFlags & MK_CONTROL) s |= kShiftControl;
  if (::GetAsyncKeyState(VK_MENU)) s |= kShiftAlt;
  return s;
}

short IWWindow::KeyShift() {
  short s = 0;
  if (::GetKeyState(VK_SHIFT) < 0) s |= kShiftShift;
  if (::GetKeyState(VK_CONTROL) < 0) s |= kShiftControl;
  if (::GetKeyState(VK_MENU) < 0) s |= kShiftAlt;
  return s;
}

int IWWindow::evalWindowEventSSFF(const char* name, short a, short b, float x, float y) {
  return PO_RaiseEvent(storeObj(), name, a, b, x, y);
}

void IWWindow::NotifyMouse(const char* name, short button, unsigned keyFlags, TPoint& point) {
  float x = 0, y = 0;
  Pixels2Units(point, x, y);
  evalWindowEventSSFF(name, button, MouseShift(keyFlags), x, y);
}

int IWWindow::NotifyKey(unsigned message, unsigned key, unsigned& wParam) {
  short code = (short)key;
  const short given = code;
  int ran = 0;
  switch (message) {
    case WM_KEYDOWN:
      ran = PO_RaiseEvent(storeObj(), "KeyDown", &code, KeyShift());
      break;
    case WM_KEYUP:
      ran = PO_RaiseEvent(storeObj(), "KeyUp", &code, KeyShift());
      break;
    case WM_CHAR:
      ran = PO_RaiseEvent(storeObj(), "KeyPress", &code);
      break;
    default:
      utilsAssert("\"ERROR: bad NotifyKey message\" && 0", __FILE__, __LINE__);
      return 0;
  }
  if (!ran || code == given) return 0;
  if (code == 0) return 1;  // swallowed
  wParam = (unsigned)(unsigned short)code;
  return 0;
}

void IWWindow::keyMessage(unsigned message, unsigned key) {
  TCurrentEvent* ev = TApplication::GetCurrentEvent();
  bool mine = ev && ev->Win == this && ev->Message == message;
  unsigned wParam = mine ? (unsigned)ev->Param1 : key;
  if (NotifyKey(message, key, wParam)) return;
  if (mine) ev->Param1 = wParam;
  DefaultProcessing();
}

void IWWindow::EvKeyDown(uint key, uint, uint) { keyMessage(WM_KEYDOWN, key); }
void IWWindow::EvKeyUp(uint key, uint, uint) { keyMessage(WM_KEYUP, key); }
void IWWindow::EvChar(uint key, uint, uint) { keyMessage(WM_CHAR, key); }

int IWWindow::NotifyClick() { return PO_RaiseEvent(storeObj(), "Click"); }
int IWWindow::NotifyDblClick() { return PO_RaiseEvent(storeObj(), "DblClick"); }
void IWWindow::NotifyGotFocus() { PO_RaiseEventNoThrow(storeObj(), "GotFocus"); }
void IWWindow::NotifyLostFocus() { PO_RaiseEventNoThrow(storeObj(), "LostFocus"); }

void IWWindow::EvSetFocus(HWND) {
  NotifyGotFocus();
  DefaultProcessing();
}

void IWWindow::EvKillFocus(HWND gained) {
  NotifyLostFocus();
  TWindow::EvKillFocus(gained);
}

void IWWindow::EvLButtonDblClk(uint, TPoint&) {
  DefaultProcessing();
  NotifyDblClick();
}

void IWWindow::EvMouseMove(uint keyFlags, TPoint& point) {
  DragMove(keyFlags, point);
  short button =
      (short)(((keyFlags & MK_LBUTTON) ? kButtonLeft : 0) | ((keyFlags & MK_RBUTTON) ? kButtonRight : 0) |
              ((keyFlags & MK_MBUTTON) ? kButtonMiddle : 0));
  NotifyMouse("MouseMove", button, keyFlags, point);
}

void IWWindow::EvMButtonDown(uint keyFlags, TPoint& point) {
  DragPress(kDragMiddle, keyFlags, point);
  ::SetCapture(HWindow);
  NotifyMouse("MouseDown", kButtonMiddle, keyFlags, point);
}

void IWWindow::EvMButtonUp(uint keyFlags, TPoint& point) {
  DragRelease();
  // The capture goes also when the handler fails.
  auto release = [] { ::ReleaseCapture(); };
  AtExit<decltype(release)> guard(release);
  NotifyMouse("MouseUp", kButtonMiddle, keyFlags, point);
}

void IWWindow::EvRButtonDown(uint keyFlags, TPoint& point) {
  DragPress(kDragRight, keyFlags, point);
  ::SetCapture(HWindow);
  NotifyMouse("MouseDown", kButtonRight, keyFlags, point);
}

void IWWindow::EvRButtonUp(uint keyFlags, TPoint& point) {
  DragRelease();
  auto release = [] { ::ReleaseCapture(); };
  AtExit<decltype(release)> guard(release);
  NotifyMouse("MouseUp", kButtonRight, keyFlags, point);
}

void IWWindow::LButtonDown(unsigned keyFlags, TPoint& point) {
  DragPress(kDragLeft, keyFlags, point);
  AfterLButtonPress();
  NotifyMouse("MouseDown", kButtonLeft, keyFlags, point);
}

void IWWindow::LButtonUp(unsigned keyFlags, TPoint& point) {
  DragRelease();
  // The release slot runs also when a handler fails (it gives back what the press took).
  auto release = [this] { LButtonRelease(); };
  AtExit<decltype(release)> guard(release);
  NotifyMouse("MouseUp", kButtonLeft, keyFlags, point);
  if (ClickOnRelease() && ::GetCapture()) {
    POINT screen = {point.x, point.y};
    ::ClientToScreen(HWindow, &screen);
    if (::WindowFromPoint(screen) == HWindow) NotifyClick();
  }
}

int IWWindow::DragGesture(TPoint& point) { return CallDragStartEvent(point); }

// ---- drag and drop hooks ----

int IWWindow::CallDragDropEvent(TPoint&, const char* name, ValueList* args) {
  InterObjRep* me = storeObj();
  if (!me) {
    delete args;
    return 0;
  }
  return me->evalIEvent(name, args, 1);
}

int IWWindow::CallDragAndDropEvent(InterObj& source, TPoint& screenPoint, short state,
                                   unsigned long* effect) {
  TPoint client = screenPoint;
  if (HWindow) ::ScreenToClient(HWindow, &client);
  float x = 0, y = 0;
  Pixels2Units(client, x, y);
  long e = effect ? (long)*effect : 0;
  int ran = CallDragDropEvent(client, "DragAndDrop", PO_EventArgs(InterObj(source), x, y, (long)state, &e));
  if (effect) *effect = ran ? (unsigned long)e : 0;
  return ran;
}

namespace {

// A new transfer-data object for a drag, with the window's drag mode; Nothing while no
// library has published "XferData".
InterObj NewXferData(uint8_t dragMode) {
  InterObjRep* proto = ObjectStore::find("XferData");
  if (!proto || !proto->isPrototype()) return InterObj();
  PrimInterObj xfer(proto, (unsigned char)254, (tInterObjType)1);
  if (xfer.is() && xfer->findField("DragMode")) {
    ValueList mode;
    mode.ppush(new DirectValue<long, kTypeLong>((long)dragMode));
    xfer->eval("DragMode", InterObjRep::kEvalSet, &mode);
  }
  return InterObj(xfer.get());
}

}  // namespace

IWWindow::DragStartSteps& IWWindow::DragSteps() {
  static DragStartSteps steps = {&ClipFormat::CopyToHGlobalMedium, &::DoDragDrop};
  return steps;
}

int IWWindow::CallDragStartEvent(TPoint& press) {
  InterObjRep* me = storeObj();
  if (!me) return 0;
  float x = 0, y = 0;
  Pixels2Units(press, x, y);
  InterObj xfer = NewXferData(dragMode_);
  int ran = CallDragDropEvent(press, "DragStart", PO_EventArgs(InterObj(xfer), x, y));
  if (!ran) DragOwnObject();
  return ran;
}

void IWWindow::DragOwnObject() {
  InterObjRep* me = storeObj();
  if (!me) return;
  // The medium holds a counted reference to this window's object: made here (one more
  // count), copied byte for byte, and given back here when the medium cannot be made.
  alignas(Faultp<InterObjRep>) unsigned char ref[sizeof(Faultp<InterObjRep>)];
  auto* held = new (ref) Faultp<InterObjRep>(me);
  STGMEDIUM medium = {};
  const FORMATETC& format = ProcessFormat::s_fmt.format;
  if (!DragSteps().buildMedium(medium, sizeof ref, ref)) {
    held->~Faultp();
    if (medium.tymed != TYMED_NULL) ::ReleaseStgMedium(&medium);
    return;
  }
  IWXferObj* data = nullptr;
  try {
    data = new IWXferObj(format, medium, nullptr);  // takes the medium and its count
  } catch (...) {
    IWXferObj::FreeMedium(format, medium);
    throw;
  }
  ::ReleaseCapture();
  DWORD effect = 0;
  DragSteps().runDrag(data, &dropSource_, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
  data->Release();
}
void IWWindow::AfterLButtonPress() {}
void IWWindow::LButtonRelease() {}
int IWWindow::ClickOnRelease() { return 0; }

// ---- data binding ----

void IWWindow::leaveDataSource() {
  if (IDataControl* dc = DataControlOf(dataSource_.get()))
    if (storeObj()) dc->removeControl(InterObj(storeObj()));
  dataSource_.clear();
  currentField_.clear();
}

void IWWindow::pdSetDataSource(InterObjRep* source) {
  InterObjRep* target = nullptr;
  if (source) {
    if (DataControlOf(source)) {
      target = source;
    } else {
      int found = 0;
      ValuePtr v;
      v.adopt(source->evalIMember("RecordSet", nullptr, &found, InterObjRep::kEvalQuiet));
      if (found && v && v->type() == kTypeObject) {
        InterObj o;
        v->get(o);
        if (DataControlOf(o.get())) target = o.get();
      }
    }
  }
  leaveDataSource();
  changed();
  bindTo(target);
}

void IWWindow::bindTo(InterObjRep* target) {
  IDataControl* dc = DataControlOf(target);
  if (!dc) return;
  dataSource_ = target;
  if (storeObj()) dc->addControl(InterObj(storeObj()));
  dataControlSync();
}

void IWWindow::fixupCopiedDataSource(const InterObj& source) {
  UTILS_ASSERT(source.is());
  leaveDataSource();
  InterObjRep* me = storeObj();
  if (!source.is() || !me || me->isPrototype()) return;
  IWWindow* src = Native(source.get());
  UTILS_ASSERT(src != nullptr);
  if (!src) return;
  dataField_ = src->dataField_;
  InterObjRep* set = src->dataSource_.get();
  if (!DataControlOf(set)) return;
  InterObjRep* holder = set->embeddedIn();
  if (!holder || holder != source.get()->embeddedIn() || source.get()->isPrototype()) {
    bindTo(set);
    return;
  }
  // The source's container holds the record set under a member: bind to what this
  // window's container holds under the same member (its own copy of the record set).
  const Field* member = set->containingField();
  UTILS_ASSERT(member != nullptr);
  InterObjRep* mine = me->embeddedIn();
  InterObjRep* target = set;
  if (member && mine) {
    int found = 0;
    ValuePtr v;
    v.adopt(mine->evalIMember(member->name(), nullptr, &found, InterObjRep::kEvalQuiet));
    if (found && v && v->type() == kTypeObject) {
      InterObj o;
      v->get(o);
      if (DataControlOf(o.get())) target = o.get();
    }
  }
  bindTo(target);
}

ValStringRep* IWWindow::pdGetDataField() { return new ValStringRep(dataField_.c_str()); }

void IWWindow::pdSetDataField(const char* name) {
  dataField_ = name ? name : "";
  changed();
  dataControlSync();
}

void IWWindow::dataControlSync() {
  IDataControl* dc = DataControlOf(dataSource_.get());
  if (!dc) {
    currentField_.clear();
    return;
  }
  currentField_ = dc->imCurrentField(dataField_.c_str());
  if (currentField_.is()) evalUpdate();
}

void IWWindow::evalUpdate() {
  iDynaset* field = DynasetOf(currentField_.get());
  if (!field) return;
  ValString value(field->pdGetValue());
  std::string text = value.str();
  while (!text.empty() && std::isspace((unsigned char)text.back())) text.pop_back();
  ValString arg(text);
  PO_RaiseEvent(storeObj(), "Update", &arg);
  dataChanged_ = 0;
}

void IWWindow::evalUpdateDataSource() {
  if (!dataChanged_) return;
  iDynaset* field = DynasetOf(currentField_.get());
  if (!field) return;
  ValString value("");
  if (!PO_RaiseEvent(storeObj(), "UpdateDataSource", &value)) {
    // No handler: the window's own text, so that a cleared field is stored as "".
    std::string own = HWindow ? GetWindowText() : std::string(Title ? Title : "");
    value = ValString(own);
  }
  field->pdSetValue(value.isNull() ? "" : value.c_str());
  dataChanged_ = 0;
}

// ---- walks ----

HWND IWWindow::TopParent(HWND h) {
  while (h && (::GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) {
    HWND up = ::GetParent(h);
    if (!up) break;
    h = up;
  }
  return h;
}

bool IWWindow::IsAForm(const InterObjRep* obj) {
  if (!obj) return false;
  InterObjRep* form = ObjectStore::find("Form");
  return form && form->isPrototype() && std::strcmp(form->progId(), "Orvanel.Form") == 0 &&
         obj->canBeTreatedAs(form);
}

IWWindow* IWWindow::TopForm(TWindow* window) {
  IWWindow* top = nullptr;
  for (TWindow* w = window; w; w = w->Parent)
    if (IWWindow* iw = dynamic_cast<IWWindow*>(w))
      if (IsAForm(iw->storeObj())) top = iw;
  return top;
}

InterObjRep* IWWindow::ParentObject(const TWindow* window) {
  for (TWindow* w = window ? window->Parent : nullptr; w; w = w->Parent)
    if (IWWindow* iw = dynamic_cast<IWWindow*>(w))
      if (iw->storeObj()) return iw->storeObj();
  return nullptr;
}

IWWindow* IWWindow::ParentForm(const TWindow* window) {
  const IWWindow* self = dynamic_cast<const IWWindow*>(window);
  InterObjRep* me = self ? self->storeObj() : nullptr;
  InterObjRep* holder = me && me->embeddedIn() ? me->embeddedIn() : ParentObject(window);
  return IsAForm(holder) ? Native(holder) : nullptr;
}
