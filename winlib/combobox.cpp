// TComboBox: the list operations with CB_* messages, the edit text and its transfer.
#include "winlib/combobox.h"

TComboBox::TComboBox(TWindow* parent, int id, int x, int y, int w, int h, uint32_t style, uint textLimit,
                     TModule* module)
    : TextLimit(textLimit) {
  TWindow::Init(parent, nullptr, module);
  InitControl(id, x, y, w, h);
  Attr.Style |= style | WS_VSCROLL;
  SetFlag(wfTransfer);
}

TComboBox::TComboBox(TWindow* parent, int resourceId, uint textLimit, TModule* module)
    : TextLimit(textLimit) {
  TWindow::Init(parent, nullptr, module);
  InitResource(resourceId);
}

const char* TComboBox::GetClassName() { return "COMBOBOX"; }

void TComboBox::SetupWindow() {
  TListBox::SetupWindow();
  if (TextLimit) SendMessage(CB_LIMITTEXT, TextLimit - 1);
}

// The buffer holds a TComboBoxData*.
uint TComboBox::Transfer(void* buffer, TTransferDirection direction) {
  TComboBoxData* data = *static_cast<TComboBoxData**>(buffer);
  if (data && direction == tdSetData) {
    ClearList();
    for (size_t i = 0; i < data->Strings.size(); ++i) {
      int row = AddString(data->Strings[i].c_str());
      if (i < data->ItemDatas.size()) SetItemData(row, data->ItemDatas[i]);
    }
    if (!data->SelIndices.empty())
      SetSelIndex(data->SelIndices.front());
    else
      SetText(data->Selection.c_str());
  } else if (data && direction == tdGetData) {
    data->ResetSelections();
    int row = GetSelIndex();
    if (row >= 0) data->Select(row);
    data->Selection = GetText();
  }
  return sizeof(TComboBoxData*);
}

int TComboBox::GetCount() const { return int(SendMessage(CB_GETCOUNT)); }
int TComboBox::FindString(const char* find, int start) const {
  return int(SendMessage(CB_FINDSTRING, WPARAM(start), LPARAM(find)));
}
int TComboBox::FindExactString(const char* find, int start) const {
  return int(SendMessage(CB_FINDSTRINGEXACT, WPARAM(start), LPARAM(find)));
}
int TComboBox::GetStringLen(int index) const { return int(SendMessage(CB_GETLBTEXTLEN, WPARAM(index))); }
int TComboBox::GetString(char* str, int index) const {
  return int(SendMessage(CB_GETLBTEXT, WPARAM(index), LPARAM(str)));
}
void TComboBox::ClearList() { SendMessage(CB_RESETCONTENT); }
int TComboBox::AddString(const char* str) { return int(SendMessage(CB_ADDSTRING, 0, LPARAM(str))); }
int TComboBox::InsertString(const char* str, int index) {
  return int(SendMessage(CB_INSERTSTRING, WPARAM(index), LPARAM(str)));
}
int TComboBox::DeleteString(int index) { return int(SendMessage(CB_DELETESTRING, WPARAM(index))); }
int TComboBox::GetSelIndex() const { return int(SendMessage(CB_GETCURSEL)); }
int TComboBox::SetSelIndex(int index) { return int(SendMessage(CB_SETCURSEL, WPARAM(index))); }
int TComboBox::SetSelString(const char* str, int start) {
  return int(SendMessage(CB_SELECTSTRING, WPARAM(start), LPARAM(str)));
}
int TComboBox::GetSelCount() const { return GetSelIndex() >= 0 ? 1 : 0; }
LPARAM TComboBox::GetItemData(int index) const { return LPARAM(SendMessage(CB_GETITEMDATA, WPARAM(index))); }
int TComboBox::SetItemData(int index, LPARAM data) {
  return int(SendMessage(CB_SETITEMDATA, WPARAM(index), data));
}
int TComboBox::DirectoryList(uint attrs, const char* fileSpec) {
  return int(SendMessage(CB_DIR, attrs, LPARAM(fileSpec)));
}

void TComboBox::SetText(const char* text) {
  int row = text && *text ? FindExactString(text) : -1;
  if (row >= 0)
    SetSelIndex(row);
  else {
    SetSelIndex(-1);
    SetWindowText(text);
  }
}

void TComboBox::ShowList(bool show) { SendMessage(CB_SHOWDROPDOWN, show); }
void TComboBox::SetEditSel(int start, int end) { SendMessage(CB_SETEDITSEL, 0, MAKELPARAM(start, end)); }
void TComboBox::Clear() {
  SetSelIndex(-1);
  SetWindowText("");
}
