// TListBox and its transfer data.
#include "winlib/listbox.h"

#include <algorithm>

void TListBoxData::AddString(const char* s, bool isSelected) { AddStringItem(s, 0, isSelected); }

void TListBoxData::AddStringItem(const char* s, LPARAM itemData, bool isSelected) {
  Strings.push_back(s ? s : "");
  ItemDatas.push_back(itemData);
  if (isSelected) Select(int(Strings.size()) - 1);
}

void TListBoxData::Select(int index) {
  if (std::find(SelIndices.begin(), SelIndices.end(), index) == SelIndices.end()) SelIndices.push_back(index);
}

std::string TListBoxData::GetSelString(int i) const {
  if (i < 0 || i >= int(SelIndices.size())) return std::string();
  int row = SelIndices[size_t(i)];
  return row >= 0 && row < int(Strings.size()) ? Strings[size_t(row)] : std::string();
}

TListBox::TListBox() = default;

TListBox::TListBox(TWindow* parent, int id, int x, int y, int w, int h, TModule* module) {
  TWindow::Init(parent, nullptr, module);
  InitControl(id, x, y, w, h);
  Attr.Style |= LBS_STANDARD;
  Attr.ExStyle |= WS_EX_CLIENTEDGE;
  SetFlag(wfTransfer);
}

TListBox::TListBox(TWindow* parent, int resourceId, TModule* module) {
  TWindow::Init(parent, nullptr, module);
  InitResource(resourceId);
}

const char* TListBox::GetClassName() { return "LISTBOX"; }

// The buffer holds a TListBoxData* (pointers travel through transfer buffers).
uint TListBox::Transfer(void* buffer, TTransferDirection direction) {
  TListBoxData* data = *static_cast<TListBoxData**>(buffer);
  if (data && direction == tdSetData) {
    ClearList();
    for (size_t i = 0; i < data->Strings.size(); ++i) {
      int row = AddString(data->Strings[i].c_str());
      if (i < data->ItemDatas.size()) SetItemData(row, data->ItemDatas[i]);
    }
    if (IsMultipleSel()) {
      for (int i : data->SelIndices) SetSel(i, true);
    } else if (!data->SelIndices.empty()) {
      SetSelIndex(data->SelIndices.front());
    }
  } else if (data && direction == tdGetData) {
    data->ResetSelections();
    if (IsMultipleSel())
      data->SelIndices = GetSelIndexes();
    else if (GetSelIndex() >= 0)
      data->Select(GetSelIndex());
  }
  return sizeof(TListBoxData*);
}

int TListBox::GetCount() const { return int(SendMessage(LB_GETCOUNT)); }
int TListBox::FindString(const char* find, int start) const {
  return int(SendMessage(LB_FINDSTRING, WPARAM(start), LPARAM(find)));
}
int TListBox::FindExactString(const char* find, int start) const {
  return int(SendMessage(LB_FINDSTRINGEXACT, WPARAM(start), LPARAM(find)));
}
int TListBox::GetStringLen(int index) const { return int(SendMessage(LB_GETTEXTLEN, WPARAM(index))); }
int TListBox::GetString(char* str, int index) const {
  return int(SendMessage(LB_GETTEXT, WPARAM(index), LPARAM(str)));
}
std::string TListBox::GetString(int index) const {
  int len = GetStringLen(index);
  if (len < 0) return std::string();
  std::string s(size_t(len) + 1, '\0');
  int n = GetString(&s[0], index);
  s.resize(size_t(n > 0 ? n : 0));
  return s;
}
void TListBox::ClearList() { SendMessage(LB_RESETCONTENT); }
int TListBox::AddString(const char* str) { return int(SendMessage(LB_ADDSTRING, 0, LPARAM(str))); }
int TListBox::InsertString(const char* str, int index) {
  return int(SendMessage(LB_INSERTSTRING, WPARAM(index), LPARAM(str)));
}
int TListBox::DeleteString(int index) { return int(SendMessage(LB_DELETESTRING, WPARAM(index))); }

int TListBox::GetSelIndex() const {
  if (!IsMultipleSel()) return int(SendMessage(LB_GETCURSEL));
  return GetSelCount() == 1 ? GetSelIndexes().front() : -1;
}

int TListBox::SetSelIndex(int index) {
  if (!IsMultipleSel()) return int(SendMessage(LB_SETCURSEL, WPARAM(index)));
  return int(SendMessage(LB_SETSEL, index >= 0, LPARAM(index)));
}

int TListBox::SetSelString(const char* str, int start) {
  if (!IsMultipleSel()) return int(SendMessage(LB_SELECTSTRING, WPARAM(start), LPARAM(str)));
  int row = FindString(str, start);
  if (row >= 0) SetSel(row, true);
  return row;
}

int TListBox::GetSelCount() const {
  if (!IsMultipleSel()) return GetSelIndex() >= 0 ? 1 : 0;
  return int(SendMessage(LB_GETSELCOUNT));
}

LPARAM TListBox::GetItemData(int index) const { return LPARAM(SendMessage(LB_GETITEMDATA, WPARAM(index))); }
int TListBox::SetItemData(int index, LPARAM data) {
  return int(SendMessage(LB_SETITEMDATA, WPARAM(index), data));
}
int TListBox::DirectoryList(uint attrs, const char* fileSpec) {
  return int(SendMessage(LB_DIR, attrs, LPARAM(fileSpec)));
}

std::vector<int> TListBox::GetSelIndexes() const {
  int n = int(SendMessage(LB_GETSELCOUNT));
  std::vector<int> rows(size_t(n > 0 ? n : 0));
  if (n > 0) SendMessage(LB_GETSELITEMS, WPARAM(n), LPARAM(rows.data()));
  return rows;
}

int TListBox::SetSel(int index, bool select) { return int(SendMessage(LB_SETSEL, select, LPARAM(index))); }
int TListBox::GetTopIndex() const { return int(SendMessage(LB_GETTOPINDEX)); }
int TListBox::SetTopIndex(int index) { return int(SendMessage(LB_SETTOPINDEX, WPARAM(index))); }
int TListBox::GetCaretIndex() const { return int(SendMessage(LB_GETCARETINDEX)); }
int TListBox::SetCaretIndex(int index, bool partialOk) {
  return int(SendMessage(LB_SETCARETINDEX, WPARAM(index), partialOk));
}
TRect TListBox::GetItemRect(int index) const {
  TRect r;
  SendMessage(LB_GETITEMRECT, WPARAM(index), LPARAM(&r));
  return r;
}
int TListBox::GetItemHeight(int index) const { return int(SendMessage(LB_GETITEMHEIGHT, WPARAM(index))); }
