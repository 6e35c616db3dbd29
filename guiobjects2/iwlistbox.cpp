// IWListBox: the published "ListBox": the list operations, the selection and its
// "Click", the style properties that re-create the window, the text unload.
#include "guiobjects2/iwlistbox.h"

#include <string>
#include <vector>

#include "guiobjects1/scalerect.h"
#include "guiobjects2/dllinstance.h"
#include "store/podefine.h"
#include "store/valstring.h"
#include "winlib/module.h"

Faultp<InterObjRep>* IWListBox::PO_Object = nullptr;
const POClassRow& IWListBox::PO_Row() { return DllInstance::Row(kOviui2ListBox); }

// Own entries, then the control's search, then the library list box's.
DEFINE_RESPONSE_TABLE2(IWListBox, IWControl, TListBox)
EV_LBN_SELCHANGE(LbnSelChange), EV_LBN_DBLCLK(LbnDblClk), EV_NOTIFY_AT_CHILD(LBN_SETFOCUS, LbnSetFocus),
    EV_NOTIFY_AT_CHILD(LBN_KILLFOCUS, LbnKillFocus), EV_WM_KEYDOWN, EV_WM_KEYUP, EV_WM_CHAR,
    END_RESPONSE_TABLE;

namespace {

// List-box indexes travel as unsigned 16-bit values: -1 becomes 65535, no item.
WPARAM Index16(short index) { return (WPARAM)(uint16_t)index; }

}  // namespace

// The list notifies its parent (for the reflected notifications), scrolls vertically
// and is a tab stop; unsorted, single selection.
IWListBox::IWListBox(IUnknown* outer) : POClass(outer) {
  Attr.Style |= LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
  Attr.Style &= ~uint32_t(kSorted | kMultiple | kExtended);
  SetFlag(kCtrl3d);
  if (DllInstance::Module()) SetModule(DllInstance::Module());
}

IWListBox::~IWListBox() = default;

void IWListBox::PO_DeclareFields(SignatureRep& sig) {
  PO_EnsureEnum(*this, "MultiSelectOptions", {{"None", 0}, {"Standard", 1}, {"Extended", 2}});
  PO_EnumProperty(sig, "Ctrl3d", "Boolean", &IWWindow::pdSetCtrl3d, &IWWindow::pdGetCtrl3d);
  PO_Property(sig, "ItemHeight", 3, nullptr, &IWListBox::pdGetItemHeight);
  PO_Property(sig, "ListCount", 1, nullptr, &IWListBox::pdGetListCount);
  PO_Property(sig, "ListIndex", 1, &IWListBox::pdSetListIndex, &IWListBox::pdGetListIndex);
  PO_EnumProperty(sig, "Sorted", "Boolean", &IWListBox::pdSetSorted, &IWListBox::pdGetSorted);
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
            &IWListBox::imTextUnload);
  PO_Event(sig, "Event Click()");
  PO_Event(sig, "Event DblClick()");
  PO_Event(sig, "Event GotFocus()");
  PO_Event(sig, "Event LostFocus()");
  PO_Event(sig, "Event KeyDown(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyUp(keyCode As Integer, ByVal shift As Integer)");
  PO_Event(sig, "Event KeyPress(keyAscii As Integer)");
  PO_EnumProperty(sig, "MultiSelect", "MultiSelectOptions", &IWListBox::pdSetMultiSelect,
                  &IWListBox::pdGetMultiSelect);
  PO_Property(sig, "Text", 6, nullptr, &IWControl::pdGetText);
  PO_Property(sig, "SelCount", 1, nullptr, &IWListBox::pdGetSelCount);
  PO_Method(sig, "Function Selected(ByVal index as Integer) as Boolean", &IWListBox::imSelected);
  PO_Method(sig, "Sub SetSelected(ByVal index as Integer, ByVal sel As Boolean)", &IWListBox::imSetSelected);
  PO_Method(sig, "Function ItemData(ByVal index as Integer) as Long", &IWListBox::imItemData);
  PO_Method(sig, "Sub SetItemData(ByVal index as Integer, ByVal data as Long)", &IWListBox::imSetItemData);
  PO_Property(sig, "TopIndex", 1, &IWListBox::pdSetTopIndex, &IWListBox::pdGetTopIndex);
}

void IWListBox::PO_Load(IStream* stream) {
  try {
    POClass::PO_Load(stream);
  } catch (const ObjectLoadFailed&) {  // the control's block inside names its own class
    throw ObjectLoadFailed(PO_Row().name);
  }
}

void IWListBox::clone(const IInterObj& source) {
  if (dynamic_cast<const IWListBox*>(&source)) IWControl::clone(source);
}

// ---- re-creation ----

void IWListBox::TakeItems(TListBoxData& data) const {
  int n = GetCount(), current = GetSelIndex();
  for (int i = 0; i < n; ++i) {
    bool selected = IsMultiSelect() ? ::SendMessageA(HWindow, LB_GETSEL, (WPARAM)i, 0) > 0 : i == current;
    data.AddStringItem(TListBox::GetString(i).c_str(), GetItemData(i), selected);
  }
}

// The items go back one by one (a sorted list places them anew), each tagged with its
// old index in its item data; the tags then give every row its data and selection back.
void IWListBox::PutItems(const TListBoxData& data) {
  ClearList();
  for (size_t i = 0; i < data.Strings.size(); ++i) SetItemData(AddString(data.Strings[i].c_str()), (LPARAM)i);
  std::vector<bool> selected(data.Strings.size(), false);
  for (int at : data.SelIndices)
    if (at >= 0 && (size_t)at < selected.size()) selected[(size_t)at] = true;
  int n = GetCount();
  for (int row = 0; row < n; ++row) {
    size_t old = (size_t)GetItemData(row);
    if (old >= data.Strings.size()) continue;
    SetItemData(row, old < data.ItemDatas.size() ? data.ItemDatas[old] : 0);
    if (!selected[old]) continue;
    if (IsMultiSelect())
      ::SendMessageA(HWindow, LB_SETSEL, TRUE, (LPARAM)row);
    else
      SetSelIndex(row);
  }
}

void* IWListBox::DataForReCreate() {
  if (!HWindow) return nullptr;
  TListBoxData* data = new TListBoxData;
  try {
    TakeItems(*data);
    IWWindow::DataForReCreate();  // keeps the Z order, destroys the window
  } catch (...) {
    delete data;
    throw;
  }
  return data;
}

void IWListBox::DoReCreate(void* arg) {
  TListBoxData* data = static_cast<TListBoxData*>(arg);
  if (data) {
    try {
      IWWindow::DoReCreate(nullptr);
      if (HWindow) PutItems(*data);
    } catch (...) {
      delete data;
      throw;
    }
    delete data;
  }
  changed();
}

void IWListBox::ReCreateWithStyle(uint32_t mask, uint32_t bits) {
  WindowFlagScope flag(*this, IWWindow::kInSetup);  // no "Setup" again
  void* data = DataForReCreate();
  Attr.Style = (Attr.Style & ~mask) | (bits & mask);
  DoReCreate(data);
}

// ---- properties ----

ValStringRep* IWListBox::pdGetText() const {
  if (!HWindow) return new ValStringRep("");
  int index = GetSelIndex();
  if (IsMultiSelect()) {
    index = GetCaretIndex();
    if (index < 0 || ::SendMessageA(HWindow, LB_GETSEL, (WPARAM)index, 0) <= 0) index = -1;
  }
  if (index < 0) return new ValStringRep("");
  return new ValStringRep(TListBox::GetString(index));
}

float IWListBox::pdGetItemHeight() {
  if (!HWindow) return 0;
  float pixels = (float)GetItemHeight(0);
  ScaleRect* scale = ContainerScale();
  if (!scale) return pixels;
  long double perUnit = scale->PixelsPerUnitY();
  if (perUnit < 0) perUnit = -perUnit;
  if (perUnit == 0) return pixels;
  return (float)(pixels / perUnit);
}

short IWListBox::pdGetListCount() { return HWindow ? (short)GetCount() : -1; }

short IWListBox::pdGetListIndex() {
  if (!HWindow) return -1;
  return (short)(IsMultiSelect() ? GetCaretIndex() : GetSelIndex());
}

void IWListBox::pdSetListIndex(short index) {
  if (!HWindow) return;
  short old = pdGetListIndex();
  if (IsMultiSelect())
    SendMessage(LB_SETCARETINDEX, (WPARAM)(int)index, 1);
  else
    SetSelIndex(index);
  short now = pdGetListIndex();
  if (now >= 0 && now != old) NotifyClick();
}

long IWListBox::pdGetSorted() { return (Attr.Style & kSorted) ? -1 : 0; }

void IWListBox::pdSetSorted(long on) {
  if (on == pdGetSorted()) return;
  ReCreateWithStyle(kSorted, on ? uint32_t(kSorted) : 0u);
}

long IWListBox::pdGetMultiSelect() {
  if (Attr.Style & kMultiple) return kSelectStandard;
  return (Attr.Style & kExtended) ? kSelectExtended : kSelectNone;
}

void IWListBox::pdSetMultiSelect(long option) {
  if (!AllowsMultiSelect()) return;
  if (option == pdGetMultiSelect()) return;
  uint32_t bits = option == kSelectStandard   ? uint32_t(kMultiple)
                  : option == kSelectExtended ? uint32_t(kExtended)
                                              : 0u;
  ReCreateWithStyle(kMultiple | kExtended, bits);
}

short IWListBox::pdGetSelCount() {
  if (!HWindow) return -1;
  if (IsMultiSelect()) return (short)GetSelCount();
  return GetSelIndex() >= 0 ? 1 : 0;
}

// ---- methods ----

short IWListBox::imAddItem(const char* item) {
  if (!HWindow) return -1;
  return (short)AddString(item ? item : "");
}

void IWListBox::imClear() {
  if (HWindow) ClearList();
}

short IWListBox::imFindString(const char* prefix, short start) {
  if (!HWindow) return -1;
  return (short)FindString(prefix ? prefix : "", start);
}

short IWListBox::imInsertItem(const char* item, short index) {
  if (!HWindow) return -1;
  return (short)InsertString(item ? item : "", index);
}

short IWListBox::imItemIndex(const char* item) {
  if (!HWindow) return -1;
  return (short)FindExactString(item ? item : "", -1);
}

ValStringRep* IWListBox::imList(short index) {
  if (!HWindow || index < 0) return new ValStringRep("");
  int n = GetStringLen(index);
  if (n <= 0) return new ValStringRep("");
  std::string text((size_t)n + 1, '\0');
  int got = GetString(&text[0], index);
  text.resize((size_t)(got > 0 && got <= n ? got : 0));
  return new ValStringRep(text);
}

short IWListBox::imRemoveItem(short index) {
  if (!HWindow) return -1;
  return (short)DeleteString((int)(uint16_t)index);
}

short IWListBox::imTextUnload(const char* indent, ValString* cmds) {
  static const char* const kNames[] = {"Ctrl3d", "Sorted", nullptr};
  if (!cmds) return -1;
  IWControl::imTextUnload(indent, cmds);
  if (InterObjRep* me = storeObj()) me->textFieldsUnload(kNames, indent ? indent : "", *cmds);
  return -1;
}

long IWListBox::imSelected(short index) {
  if (!HWindow) return 0;
  if (IsMultiSelect()) return SendMessage(LB_GETSEL, Index16(index), 0) > 0 ? -1 : 0;
  return index >= 0 && index == GetSelIndex() ? -1 : 0;
}

void IWListBox::imSetSelected(short index, long sel) {
  if (!HWindow) return;
  if (IsMultiSelect()) {
    SendMessage(LB_SETSEL, (WPARAM)(sel ? TRUE : FALSE), (LPARAM)(uint16_t)index);
    return;
  }
  if (sel)
    pdSetListIndex(index);
  else if (index == GetSelIndex())
    pdSetListIndex(-1);
}

long IWListBox::imItemData(short index) {
  if (!HWindow || index < 0 || index >= GetCount()) return -1;
  return (long)(int32_t)GetItemData(index);
}

void IWListBox::imSetItemData(short index, long data) {
  if (!HWindow || index < 0 || index >= GetCount()) return;
  SetItemData(index, (LPARAM)(int32_t)data);
}

short IWListBox::pdGetTopIndex() { return HWindow ? (short)ListTopIndex() : -1; }

void IWListBox::pdSetTopIndex(short index) {
  if (!HWindow || index < 0 || index >= GetCount()) return;
  SetListTopIndex(index);
}
