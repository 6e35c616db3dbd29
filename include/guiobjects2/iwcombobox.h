// IWComboBox: the published "ComboBox" (prototype parent "Control"), the system combo
// box, built on the list box: the list box's list operations reach the combo box's
// messages through the window library's list interface, which TComboBox serves.
//
// Its style ("ComboBoxStyle": a drop-down edit, a simple edit over a list, a drop-down
// list) and Sorted live in the window style word; changing one re-creates the window,
// keeping the items, the selection and the Z order. DropHeight sizes the list dropped
// down: a positive value at most that many lines, a negative one exactly that many, 0
// all items.
//
// While "Click" runs after a change of selection, Text answers the newly selected item
// (the edit part does not show it yet); while "Change" runs after typing, ListIndex
// answers -1.
//
// The system's child windows inside the combo box (its edit part, and the list of the
// simple style) are wrapped at set-up in alias objects that pass their mouse and key
// messages on to the combo box's "MouseDown", "MouseUp", "MouseMove", "KeyDown", "KeyUp"
// and "KeyPress", with the point in the combo box's coordinates; a key handler that
// sets the key to 0 swallows the key. The combo box owns the aliases.
//
// Stream block (revision 1): the list box's complete block, then DropHeight (32 bits).
// A damaged block or a revision above 1 fails with ObjectLoadFailed naming "ComboBox".
#pragma once

#include <vector>

#include "guiobjects2/iwlistbox.h"
#include "winlib/combobox.h"

class OVIUI2_API IWComboBox : public POClass<IWComboBox, IWListBox>, public TComboBox {
 public:
  // "ComboBoxStyle".
  enum Style : long { kDropdownCombo = 0, kSimpleCombo = 1, kDropdownList = 2 };
  static const long kDefaultDropHeight = 8;

  explicit IWComboBox(IUnknown* outer);
  ~IWComboBox() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);
  void PO_Load(IStream* stream) override;
  // Copies only from another combo box.
  void clone(const IInterObj& source) override;

  // ---- slots of the window base, the control and the list ----
  void* DataForReCreate() override;
  void DoReCreate(void* arg) override;
  ValStringRep* pdGetText() const override;
  void pdSetText(const char* text) override;
  bool IsMultiSelect() const override { return false; }
  bool AllowsMultiSelect() const override { return false; }
  // Through the combo box's own list window (the combo box's top-index messages do not
  // reach it on every platform).
  int ListTopIndex() const override;
  int SetListTopIndex(int index) override;

  const char* GetClassName() override { return TComboBox::GetClassName(); }
  bool Create() override { return IWControl::Create(); }
  int CharToItem(uint key, uint caretIndex) override { return IWControl::CharToItem(key, caretIndex); }
  int VKeyToItem(uint key, uint caretIndex) override { return IWControl::VKeyToItem(key, caretIndex); }
  uint Transfer(void* buffer, TTransferDirection direction) override {
    return TComboBox::Transfer(buffer, direction);
  }
  void SetupWindow() override;

  // The list operations: the combo box's messages.
  int GetCount() const override { return TComboBox::GetCount(); }
  int FindString(const char* find, int start = -1) const override {
    return TComboBox::FindString(find, start);
  }
  int FindExactString(const char* find, int start = -1) const override {
    return TComboBox::FindExactString(find, start);
  }
  int GetStringLen(int index) const override { return TComboBox::GetStringLen(index); }
  int GetString(char* str, int index) const override { return TComboBox::GetString(str, index); }
  using TComboBox::GetString;
  void ClearList() override { TComboBox::ClearList(); }
  int AddString(const char* str) override { return TComboBox::AddString(str); }
  int InsertString(const char* str, int index) override { return TComboBox::InsertString(str, index); }
  int DeleteString(int index) override { return TComboBox::DeleteString(index); }
  int GetSelIndex() const override { return TComboBox::GetSelIndex(); }
  int SetSelIndex(int index) override { return TComboBox::SetSelIndex(index); }
  int SetSelString(const char* str, int start = -1) override { return TComboBox::SetSelString(str, start); }
  int GetSelCount() const override { return TComboBox::GetSelCount(); }
  LPARAM GetItemData(int index) const override { return TComboBox::GetItemData(index); }
  int SetItemData(int index, LPARAM data) override { return TComboBox::SetItemData(index, data); }
  int DirectoryList(uint attrs, const char* spec) override { return TComboBox::DirectoryList(attrs, spec); }

  // ---- properties and methods ----
  float pdGetItemHeight();
  short pdGetListIndex();
  long pdGetSorted();
  void pdSetSorted(long on);
  long pdGetDropHeight() { return dropHeight_; }
  void pdSetDropHeight(long lines);
  long pdGetSelStart();
  void pdSetSelStart(long start);
  long pdGetSelLength();
  void pdSetSelLength(long length);
  ValStringRep* pdGetSelText();
  void pdSetSelText(const char* text);
  long pdGetStyle();
  void pdSetStyle(long style);
  short imTextUnload(const char* indent, ValString* cmds);

  // The lines the list drops down to for a DropHeight and an item count.
  static long LinesToDrop(long dropHeight, long count);
  // The height in pixels the window takes while dropped down: the selection field, the
  // lines and 4.
  int DroppedHeight();

  // Notifications of the combo box.
  void CbnSelChange();
  void CbnEditChange();
  void CbnDblClk() { NotifyDblClick(); }
  void CbnDropDown();
  void CbnSetFocus() { NotifyGotFocus(); }
  void CbnKillFocus() { NotifyLostFocus(); }
  bool EvEraseBkgnd(HDC dc);

  static IWComboBox* Native(InterObjRep* obj) { return POClass<IWComboBox, IWListBox>::Native(obj); }

  // The alias objects of the child windows (their handles still or no longer there).
  const std::vector<TWindow*>& ChildAliases() const { return childAliases_; }

  DECLARE_RESPONSE_TABLE(IWComboBox);

 private:
  bool HasEdit() const { return HWindow && pdStyleOf(Attr.Style) != kDropdownList; }
  static long pdStyleOf(uint32_t style);
  // The edit selection of the combo box's edit part.
  void EditSel(int& start, int& end) const;
  std::string WindowText() const;
  // Wraps each child window without a library object; deletes the aliases.
  void MakeChildAliases();
  void DeleteChildAliases();

  int32_t dropHeight_ = kDefaultDropHeight;
  bool inSelChange_ = false;   // "Click" after a change of selection runs
  bool inEditChange_ = false;  // "Change" after typing runs
  std::vector<TWindow*> childAliases_;
};
