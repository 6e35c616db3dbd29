// TListBox: a list box control. The row operations are virtual so that TComboBox can
// serve them with CB_* messages. Transfer moves a TListBoxData (strings, item data and
// the selection).
#pragma once

#include <string>
#include <vector>

#include "control.h"

class OVGUI1_API TListBoxData {
 public:
  std::vector<std::string> Strings;
  std::vector<LPARAM> ItemDatas;
  std::vector<int> SelIndices;  // selected rows (one at most for single selection)

  void AddString(const char* s, bool isSelected = false);
  void AddStringItem(const char* s, LPARAM itemData, bool isSelected = false);
  void Clear() {
    Strings.clear();
    ItemDatas.clear();
    SelIndices.clear();
  }
  void Select(int index);
  void ResetSelections() { SelIndices.clear(); }
  int GetSelCount() const { return int(SelIndices.size()); }
  std::string GetSelString(int i = 0) const;
};

class OVGUI1_API TListBox : public TControl {
 public:
  TListBox(TWindow* parent, int id, int x, int y, int w, int h, TModule* module = nullptr);
  TListBox(TWindow* parent, int resourceId, TModule* module = nullptr);

  const char* GetClassName() override;
  uint Transfer(void* buffer, TTransferDirection direction) override;  // TListBoxData

  virtual int GetCount() const;
  virtual int FindString(const char* find, int indexStart = -1) const;  // prefix match
  virtual int FindExactString(const char* find, int indexStart = -1) const;
  virtual int GetStringLen(int index) const;
  virtual int GetString(char* str, int index) const;
  std::string GetString(int index) const;
  virtual void ClearList();
  virtual int AddString(const char* str);
  virtual int InsertString(const char* str, int index);
  virtual int DeleteString(int index);
  virtual int GetSelIndex() const;
  virtual int SetSelIndex(int index);
  virtual int SetSelString(const char* str, int indexStart = -1);
  virtual int GetSelCount() const;
  virtual LPARAM GetItemData(int index) const;
  virtual int SetItemData(int index, LPARAM data);
  virtual int DirectoryList(uint attrs, const char* fileSpec);

  // Multiple-selection boxes.
  bool IsMultipleSel() const { return (GetStyle() & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
  std::vector<int> GetSelIndexes() const;
  int SetSel(int index, bool select);
  int GetTopIndex() const;
  int SetTopIndex(int index);
  int GetCaretIndex() const;
  int SetCaretIndex(int index, bool partialOk = false);
  TRect GetItemRect(int index) const;
  int GetItemHeight(int index) const;

 protected:
  TListBox();
};
