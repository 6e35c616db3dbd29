// IWComboBox: the published "ComboBox": its style and Sorted that re-create the window,
// the drop-down sizing, Text and the edit selection, the guards of "Click" and "Change",
// the stream block and the text unload.
#include "guiobjects2/iwcombobox.h"

#include <algorithm>
#include <string>

#include "guiobjects1/scalerect.h"
#include "guiobjects2/dllinstance.h"
#include "store/podefine.h"
#include "store/poevent.h"
#include "store/storeexcept.h"
#include "store/valstring.h"
#include "winlib/applicat.h"
#include "winlib/module.h"

Faultp<InterObjRep>* IWComboBox::PO_Object = nullptr;
const POClassRow& IWComboBox::PO_Row() { return DllInstance::Row(kOviui2ComboBox); }

// Own entries first (they take every notification code the list box's table knows),
// then the list box's search, then the library combo box's.
DEFINE_RESPONSE_TABLE2(IWComboBox, IWListBox, TComboBox)
EV_CBN_SELCHANGE(CbnSelChange), EV_CBN_EDITCHANGE(CbnEditChange), EV_NOTIFY_AT_CHILD(CBN_DBLCLK, CbnDblClk),
    EV_CBN_DROPDOWN(CbnDropDown), EV_NOTIFY_AT_CHILD(CBN_SETFOCUS, CbnSetFocus),
    EV_NOTIFY_AT_CHILD(CBN_KILLFOCUS, CbnKillFocus), EV_WM_ERASEBKGND, END_RESPONSE_TABLE;

namespace {

// Sets a guard for a scope, also when an exception passes.
class Guard {
 public:
  explicit Guard(bool& flag) : flag_(flag), was_(flag) { flag = true; }
  ~Guard() { flag_ = was_; }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  bool& flag_;
  bool was_;
};

const uint32_t kStyleBits = 0x3;

// A child window of the system's combo box (its edit part or the simple style's list),
// passing its mouse and key messages on to the published window it sits in.
class ComboChild : public TWindow {
 public:
  explicit ComboChild(HWND handle) : TWindow(handle, DllInstance::Module()) {}

  // The published window of the parent, when it is one.
  IWWindow* Published() const { return dynamic_cast<IWWindow*>(Parent); }

  // The point in the parent's client coordinates.
  TPoint InParent(const TPoint& point) const {
    POINT p = {point.x, point.y};
    ::MapWindowPoints(HWindow, Parent ? Parent->HWindow : nullptr, &p, 1);
    return TPoint(p.x, p.y);
  }

  // The left button and the moves: the child's own handling first.
  void EvLButtonDown(uint keyFlags, TPoint& point) {
    DefaultProcessing();
    TPoint at = InParent(point);
    if (IWWindow* w = Published()) w->LButtonDown(keyFlags, at);
  }
  void EvLButtonUp(uint keyFlags, TPoint& point) {
    DefaultProcessing();
    TPoint at = InParent(point);
    if (IWWindow* w = Published()) w->LButtonUp(keyFlags, at);
  }
  void EvMouseMove(uint keyFlags, TPoint& point) {
    DefaultProcessing();
    TPoint at = InParent(point);
    if (IWWindow* w = Published()) w->EvMouseMove(keyFlags, at);
  }
  // The other buttons go to the published window alone.
  void EvMButtonDown(uint keyFlags, TPoint& point) { Mouse(&IWWindow::EvMButtonDown, keyFlags, point); }
  void EvMButtonUp(uint keyFlags, TPoint& point) { Mouse(&IWWindow::EvMButtonUp, keyFlags, point); }
  void EvRButtonDown(uint keyFlags, TPoint& point) { Mouse(&IWWindow::EvRButtonDown, keyFlags, point); }
  void EvRButtonUp(uint keyFlags, TPoint& point) { Mouse(&IWWindow::EvRButtonUp, keyFlags, point); }
  void EvKeyDown(uint key, uint, uint) { Key(WM_KEYDOWN, key); }
  void EvKeyUp(uint key, uint, uint) { Key(WM_KEYUP, key); }
  void EvChar(uint key, uint, uint) { Key(WM_CHAR, key); }

  DECLARE_RESPONSE_TABLE(ComboChild);

 private:
  void Mouse(void (IWWindow::*handler)(uint, TPoint&), uint keyFlags, TPoint& point) {
    IWWindow* w = Published();
    if (!w) {
      DefaultProcessing();
      return;
    }
    TPoint at = InParent(point);
    (w->*handler)(keyFlags, at);
  }

  // The key events with the message's own parameters; a handler that changed the key
  // changes what the child gets, one that set 0 swallows it.
  void Key(unsigned message, unsigned key) {
    TCurrentEvent* ev = TApplication::GetCurrentEvent();
    bool mine = ev && ev->Win == this && ev->Message == message;
    unsigned wParam = mine ? (unsigned)ev->Param1 : key;
    if (IWWindow* w = Published())
      if (w->NotifyKey(message, key, wParam)) return;
    if (mine) ev->Param1 = wParam;
    DefaultProcessing();
  }
};

DEFINE_RESPONSE_TABLE1(ComboChild, TWindow)
EV_WM_LBUTTONDOWN, EV_WM_LBUTTONUP, EV_WM_MOUSEMOVE, WL_MSG(WM_MBUTTONDOWN, Mouse, EvMButtonDown),
    WL_MSG(WM_MBUTTONUP, Mouse, EvMButtonUp), EV_WM_RBUTTONDOWN, EV_WM_RBUTTONUP, EV_WM_KEYDOWN, EV_WM_KEYUP,
    EV_WM_CHAR, END_RESPONSE_TABLE;

}  // namespace

// The library combo box's initialisation starts the window again as a child: a
// drop-down edit that scrolls sideways, a tab stop; the list box's bits go.
IWComboBox::IWComboBox(IUnknown* outer)
    : POClass(outer), TComboBox(nullptr, 0, 0, 0, 0, 0, CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, nullptr) {
  Attr.Style &= ~uint32_t(0xFFFF | WS_BORDER);
  Attr.Style |= WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_AUTOHSCROLL | CBS_DROPDOWN;
  SetFlag(kCtrl3d);
  if (DllInstance::Module()) SetModule(DllInstance::Module());
}

IWComboBox::~IWComboBox() { DeleteChildAliases(); }

void IWComboBox::PO_DeclareFields(SignatureRep& sig) {
  PO_EnsureEnum(*this, "ComboBoxStyle", {{"DropdownCombo", 0}, {"SimpleCombo", 1}, {"DropdownList", 2}});
  PO_EnumProperty(sig, "Ctrl3d", "Boolean", &IWWindow::pdSetCtrl3d, &IWWindow::pdGetCtrl3d);
  PO_Property(sig, "ItemHeight", 3, nullptr, &IWComboBox::pdGetItemHeight);
  PO_Property(sig, "ListCount", 1, nullptr, &IWListBox::pdGetListCount);
  PO_Property(sig, "ListIndex", 1, &IWListBox::pdSetListIndex, &IWComboBox::pdGetListIndex);
  PO_EnumProperty(sig, "Sorted", "Boolean", &IWComboBox::pdSetSorted, &IWComboBox::pdGetSorted);
  PO_Property(sig, "DropHeight", 2, &IWComboBox::pdSetDropHeight, &IWComboBox::pdGetDropHeight);
  PO_Property(sig, "SelStart", 2, &IWComboBox::pdSetSelStart, &IWComboBox::pdGetSelStart);
  PO_Property(sig, "SelLength", 2, &IWComboBox::pdSetSelLength, &IWComboBox::pdGetSelLength);
  PO_Property(sig, "SelText", 6, &IWComboBox::pdSetSelText, &IWComboBox::pdGetSelText);
  PO_EnumProperty(sig, "Style", "ComboBoxStyle", &IWComboBox::pdSetStyle, &IWComboBox::pdGetStyle);
  PO_Property(sig, "Text", 6, &IWControl::pdSetText, &IWControl::pdGetText);
  PO_Method(sig, "Function AddItem(ByVal item as String) as Integer", &IWListBox::imAddItem);
  PO_Method(sig, "Sub Clear()", &IWListBox::imClear);
  PO_Method(sig, "Function FindString(ByVal itemPrefix As String, ByVal startIndex As Integer) as Integer",
            &IWListBox::imFindString);
  PO_Method(sig, "Function InsertItem(ByVal item as String, ByVal index as Integer) as Integer",
            &IWListBox::imInsertItem);
  PO_Method(sig, "Function ItemIndex(ByVal item as String) as Integer", &IWListBox::imItemIndex);
  PO_Method(sig, "Function List(ByVal index as Integer) as String", &IWListBox::imList);
  PO_Method(sig, "Function RemoveItem(ByVal index as Integer) as Integer", &IWListBox::imRemoveItem);
  PO_Method(sig, "Function TextUnload(ByVal indent As String, cmds As String) As Integer",
            &IWComboBox::imTextUnload);
  // "Click", "DblClick", "GotFocus", "LostFocus" and the key events come from the list
  // box's members, on which these build; declaring them again would collide.
  PO_Event(sig, "Event DropDown()");
  PO_Event(sig, "Event Change()");
}

void IWComboBox::PO_Read(OCLStream& s, unsigned) {
  ULONG lines = 0;
  s.read(&lines);
  dropHeight_ = (int32_t)lines;
}

void IWComboBox::PO_Write(OCLStream& s) { s.write((ULONG)(uint32_t)dropHeight_); }

void IWComboBox::PO_Load(IStream* stream) {
  try {
    POClass::PO_Load(stream);
  } catch (const ObjectLoadFailed&) {  // the list box's block inside names its own class
    throw ObjectLoadFailed(PO_Row().name);
  }
}

void IWComboBox::clone(const IInterObj& source) {
  const IWComboBox* from = dynamic_cast<const IWComboBox*>(&source);
  if (!from) return;
  IWListBox::clone(source);
  dropHeight_ = from->dropHeight_;
}

void IWComboBox::MakeChildAliases() {
  DeleteChildAliases();  // those of a window gone before
  for (HWND h = ::GetWindow(HWindow, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
    if (!GetWindowPtr(h)) childAliases_.push_back(new ComboChild(h));
}

void IWComboBox::DeleteChildAliases() {
  for (TWindow* w : childAliases_) delete w;
  childAliases_.clear();
}

void IWComboBox::SetupWindow() {
  MakeChildAliases();
  TComboBox::SetupWindow();
  IWControl::SetupWindow();
}

// ---- re-creation: the items, the selection and the edit text ----

void* IWComboBox::DataForReCreate() {
  if (!HWindow) return nullptr;
  TComboBoxData* data = new TComboBoxData;
  try {
    TakeItems(*data);
    data->Selection = WindowText();
    IWWindow::DataForReCreate();  // keeps the Z order, destroys the window
    DeleteChildAliases();
  } catch (...) {
    delete data;
    throw;
  }
  return data;
}

void IWComboBox::DoReCreate(void* arg) {
  TComboBoxData* data = static_cast<TComboBoxData*>(arg);
  if (data) {
    try {
      IWWindow::DoReCreate(nullptr);
      if (HWindow) {
        PutItems(*data);
        if (data->SelIndices.empty() && HasEdit()) ::SetWindowTextA(HWindow, data->Selection.c_str());
      }
    } catch (...) {
      delete data;
      throw;
    }
    delete data;
  }
  changed();
}

// ---- notifications ----

void IWComboBox::CbnSelChange() {
  Guard g(inSelChange_);
  NotifyClick();
}

void IWComboBox::CbnEditChange() {
  Guard g(inEditChange_);
  NotifyChange();
}

long IWComboBox::LinesToDrop(long dropHeight, long count) {
  if (dropHeight < 0) return -dropHeight;
  if (count <= 0) return 1;
  return dropHeight > 0 && dropHeight < count ? dropHeight : count;
}

int IWComboBox::DroppedHeight() {
  long lines = LinesToDrop(dropHeight_, HWindow ? GetCount() : 0);
  int item = HWindow ? (int)SendMessage(CB_GETITEMHEIGHT, 0, 0) : 0;
  int field = HWindow ? (int)SendMessage(CB_GETITEMHEIGHT, (WPARAM)-1, 0) : 0;
  return field + (int)lines * item + 4;
}

// "DropDown" first: its handler may fill the list the height is measured for.
void IWComboBox::CbnDropDown() {
  PO_RaiseEventNoThrow(storeObj(), "DropDown");
  if (!HWindow) return;
  bool was = IsFlagSet(kMoving);
  SetFlag(kMoving);  // the dropped size is not the published geometry
  ::MoveWindow(HWindow, Attr.X, Attr.Y, Attr.W, DroppedHeight(), FALSE);
  if (!was) ClearFlag(kMoving);
}

bool IWComboBox::EvEraseBkgnd(HDC dc) {
  if (pdStyleOf(Attr.Style) != kSimpleCombo) return DefaultProcessing() != 0;
  IWWindow* form = ParentForm(this);
  COLORREF back = ::GetSysColor(COLOR_BTNFACE);
  if (form && (uint32_t)form->BkgndColor.GetValue() != 0xFFFFFFFFu)
    back = (COLORREF)form->BkgndColor.GetValue();
  RECT r;
  ::GetClientRect(HWindow, &r);
  COLORREF old = ::SetBkColor(dc, back);
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, "", 0, nullptr);
  ::SetBkColor(dc, old);
  return true;
}

// ---- properties ----

std::string IWComboBox::WindowText() const {
  if (!HWindow) return std::string();
  int n = ::GetWindowTextLengthA(HWindow);
  if (n <= 0) return std::string();
  std::string text((size_t)n + 1, '\0');
  int got = ::GetWindowTextA(HWindow, &text[0], n + 1);
  text.resize((size_t)(got > 0 ? got : 0));
  return text;
}

ValStringRep* IWComboBox::pdGetText() const {
  if (!HWindow) return new ValStringRep("");
  if (pdStyleOf(Attr.Style) == kDropdownList || inSelChange_) {
    int index = TComboBox::GetSelIndex();
    return new ValStringRep(index >= 0 ? TComboBox::GetString(index) : std::string());
  }
  return new ValStringRep(WindowText());
}

void IWComboBox::pdSetText(const char* text) {
  if (!HWindow || pdStyleOf(Attr.Style) == kDropdownList) return;
  const char* t = text ? text : "";
  int found = TComboBox::FindExactString(t, -1);
  if (found < 0) {
    std::string old = WindowText();
    ::SetWindowTextA(HWindow, t);
    if (old != t) NotifyChange();
    return;
  }
  int before = TComboBox::GetSelIndex();
  TComboBox::SetSelIndex(found);
  int now = TComboBox::GetSelIndex();
  if (now >= 0 && now != before) NotifyChange();
}

float IWComboBox::pdGetItemHeight() {
  if (!HWindow) return 0;
  float pixels = (float)SendMessage(CB_GETITEMHEIGHT, 0, 0);
  ScaleRect* scale = ContainerScale();
  if (!scale) return pixels;
  long double perUnit = scale->PixelsPerUnitY();
  if (perUnit < 0) perUnit = -perUnit;
  return perUnit == 0 ? pixels : (float)(pixels / perUnit);
}

short IWComboBox::pdGetListIndex() {
  if (!HWindow || inEditChange_) return -1;
  return (short)TComboBox::GetSelIndex();
}

long IWComboBox::pdGetSorted() { return (Attr.Style & CBS_SORT) ? -1 : 0; }

void IWComboBox::pdSetSorted(long on) {
  if (on == pdGetSorted()) return;
  ReCreateWithStyle(CBS_SORT, on ? uint32_t(CBS_SORT) : 0u);
}

void IWComboBox::pdSetDropHeight(long lines) {
  dropHeight_ = (int32_t)lines;
  changed();
}

long IWComboBox::pdStyleOf(uint32_t style) {
  switch (style & kStyleBits) {
    case CBS_DROPDOWN:
      return kDropdownCombo;
    case CBS_SIMPLE:
      return kSimpleCombo;
    case CBS_DROPDOWNLIST:
      return kDropdownList;
    default:
      return -1;
  }
}

long IWComboBox::pdGetStyle() { return pdStyleOf(Attr.Style); }

void IWComboBox::pdSetStyle(long style) {
  if (style == pdGetStyle()) return;
  uint32_t bits = style == kSimpleCombo    ? uint32_t(CBS_SIMPLE)
                  : style == kDropdownList ? uint32_t(CBS_DROPDOWNLIST)
                                           : uint32_t(CBS_DROPDOWN);
  ReCreateWithStyle(kStyleBits, bits);
}

void IWComboBox::EditSel(int& start, int& end) const {
  DWORD s = 0, e = 0;
  SendMessage(CB_GETEDITSEL, (WPARAM)&s, (LPARAM)&e);
  start = (int)s;
  end = (int)e;
}

long IWComboBox::pdGetSelStart() {
  if (!HasEdit()) return 0;
  int s, e;
  EditSel(s, e);
  return s;
}

void IWComboBox::pdSetSelStart(long start) {
  if (!HasEdit()) return;
  SendMessage(CB_SETEDITSEL, 0, MAKELPARAM((WORD)start, (WORD)start));
}

long IWComboBox::pdGetSelLength() {
  if (!HasEdit()) return 0;
  int s, e;
  EditSel(s, e);
  return e - s;
}

void IWComboBox::pdSetSelLength(long length) {
  if (!HasEdit()) return;
  int s, e;
  EditSel(s, e);
  SendMessage(CB_SETEDITSEL, 0, MAKELPARAM((WORD)s, (WORD)(s + length)));
}

// The selected part of the edit text; the selection is clamped to the text.
ValStringRep* IWComboBox::pdGetSelText() {
  if (!HasEdit()) return new ValStringRep("");
  std::string text = WindowText();
  int s, e;
  EditSel(s, e);
  size_t from = std::min((size_t)std::max(s, 0), text.size());
  size_t to = std::min((size_t)std::max(e, 0), text.size());
  return new ValStringRep(to > from ? text.substr(from, to - from) : std::string());
}

// Replaces the selected part of the edit text and puts the caret after what was put in.
void IWComboBox::pdSetSelText(const char* text) {
  if (HWindow && pdStyleOf(Attr.Style) == kDropdownList)
    throw StoreException("A combo box in the drop-down list style has no edit part: SelText cannot be set.");
  if (!HasEdit()) return;
  std::string old = WindowText();
  int s, e;
  EditSel(s, e);
  size_t from = std::min((size_t)std::max(s, 0), old.size());
  size_t to = std::max(from, std::min((size_t)std::max(e, 0), old.size()));
  std::string put = text ? text : "";
  std::string now = old.substr(0, from) + put + old.substr(to);
  ::SetWindowTextA(HWindow, now.c_str());
  WORD caret = (WORD)(from + put.size());
  SendMessage(CB_SETEDITSEL, 0, MAKELPARAM(caret, caret));
  if (now != old) NotifyChange();
}

namespace {
HWND ListOf(HWND combo) {
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  return combo && ::GetComboBoxInfo(combo, &info) ? info.hwndList : nullptr;
}
}  // namespace

int IWComboBox::ListTopIndex() const {
  if (HWND list = ListOf(HWindow)) return (int)::SendMessageA(list, LB_GETTOPINDEX, 0, 0);
  return (int)::SendMessageA(HWindow, CB_GETTOPINDEX, 0, 0);
}

int IWComboBox::SetListTopIndex(int index) {
  if (HWND list = ListOf(HWindow)) return (int)::SendMessageA(list, LB_SETTOPINDEX, (WPARAM)index, 0);
  return (int)::SendMessageA(HWindow, CB_SETTOPINDEX, (WPARAM)index, 0);
}

short IWComboBox::imTextUnload(const char* indent, ValString* cmds) {
  static const char* const kNames[] = {"DropHeight", "Style", nullptr};
  if (!cmds) return -1;
  IWListBox::imTextUnload(indent, cmds);
  if (InterObjRep* me = storeObj()) me->textFieldsUnload(kNames, indent ? indent : "", *cmds);
  return -1;
}
