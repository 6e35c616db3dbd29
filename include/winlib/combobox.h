// TComboBox: a combo box; the list operations of TListBox served with CB_* messages.
// TComboBoxData is its transfer buffer (the list plus the edit text).
#pragma once

#include "listbox.h"

class OVGUI1_API TComboBoxData : public TListBoxData {
 public:
  std::string Selection;  // the edit text (or the selected row's text)
};

class OVGUI1_API TComboBox : public TListBox {
 public:
  TComboBox(TWindow* parent, int id, int x, int y, int w, int h, uint32_t style, uint textLimit = 0,
            TModule* module = nullptr);
  TComboBox(TWindow* parent, int resourceId, uint textLimit = 0, TModule* module = nullptr);

  const char* GetClassName() override;
  void SetupWindow() override;                                         // applies TextLimit
  uint Transfer(void* buffer, TTransferDirection direction) override;  // TComboBoxData

  int GetCount() const override;
  int FindString(const char* find, int indexStart = -1) const override;
  int FindExactString(const char* find, int indexStart = -1) const override;
  int GetStringLen(int index) const override;
  int GetString(char* str, int index) const override;
  using TListBox::GetString;
  void ClearList() override;
  int AddString(const char* str) override;
  int InsertString(const char* str, int index) override;
  int DeleteString(int index) override;
  int GetSelIndex() const override;
  int SetSelIndex(int index) override;
  int SetSelString(const char* str, int indexStart = -1) override;
  int GetSelCount() const override;
  LPARAM GetItemData(int index) const override;
  int SetItemData(int index, LPARAM data) override;
  int DirectoryList(uint attrs, const char* fileSpec) override;

  std::string GetText() const { return GetWindowText(); }
  void SetText(const char* text);  // selects the matching row, else sets the edit text
  void ShowList(bool show = true);
  void SetEditSel(int start, int end);
  void Clear();

  uint TextLimit;
};
