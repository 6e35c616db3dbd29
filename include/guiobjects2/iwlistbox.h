// IWListBox: the published "ListBox" (prototype parent "Control"), the system list box.
// Its items live only in the window: they are filled at run time through methods, are
// neither saved nor unloaded as text, and before the window exists every read answers a
// fixed value (ListCount, ListIndex and SelCount -1, Text "") and every method -1.
//
// Sorting and the selection mode ("MultiSelectOptions") live in the window style word,
// which the window base saves; changing one re-creates the window under the re-creating
// flag, keeping the items, the selection and the Z order and raising no "Setup".
//
// Stream block (revision 1): the control's block, nothing of its own. A damaged block or
// a revision above 1 fails with ObjectLoadFailed naming "ListBox".
#pragma once

#include "guiobjects1/iwcontrol.h"
#include "guiobjects2/oviui2_api.h"
#include "winlib/listbox.h"

class OVIUI2_API IWListBox : public POClass<IWListBox, IWControl>, public TListBox {
 public:
  // The list-box style bits of the published properties.
  enum ListStyle : uint32_t { kSorted = LBS_SORT, kMultiple = LBS_MULTIPLESEL, kExtended = LBS_EXTENDEDSEL };
  // "MultiSelectOptions".
  enum MultiSelectOption : long { kSelectNone = 0, kSelectStandard = 1, kSelectExtended = 2 };

  explicit IWListBox(IUnknown* outer);
  ~IWListBox() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Load(IStream* stream) override;
  // Copies only from another list box.
  void clone(const IInterObj& source) override;

  // ---- slots of the window base and the control ----
  // The items and the selection in a new TListBoxData (the window is destroyed); null
  // without a window.
  void* DataForReCreate() override;
  void DoReCreate(void* arg) override;
  // The text of the selected item (of the caret item when it is selected, in a
  // multi-select list); "" without one.
  ValStringRep* pdGetText() const override;

  const char* GetClassName() override { return TListBox::GetClassName(); }
  bool Create() override { return IWControl::Create(); }
  int CharToItem(uint key, uint caretIndex) override { return IWControl::CharToItem(key, caretIndex); }
  int VKeyToItem(uint key, uint caretIndex) override { return IWControl::VKeyToItem(key, caretIndex); }
  uint Transfer(void* buffer, TTransferDirection direction) override {
    return TListBox::Transfer(buffer, direction);
  }
  void SetupWindow() override { IWControl::SetupWindow(); }

  // ---- properties and methods ----
  float pdGetItemHeight();
  short pdGetListCount();
  short pdGetListIndex();
  void pdSetListIndex(short index);
  long pdGetSorted();
  void pdSetSorted(long on);
  long pdGetMultiSelect();
  void pdSetMultiSelect(long option);
  short pdGetSelCount();
  short imAddItem(const char* item);
  void imClear();
  short imFindString(const char* prefix, short start);
  short imInsertItem(const char* item, short index);
  short imItemIndex(const char* item);
  ValStringRep* imList(short index);
  short imRemoveItem(short index);
  short imTextUnload(const char* indent, ValString* cmds);
  long imSelected(short index);
  void imSetSelected(short index, long sel);
  // The 32-bit value kept with an item; -1 without a window or outside the list (where
  // SetItemData changes nothing).
  long imItemData(short index);
  void imSetItemData(short index, long data);
  // The first item shown; -1 without a window. Setting an index outside the list does
  // nothing.
  short pdGetTopIndex();
  void pdSetTopIndex(short index);

  // Whether the list selects many items (never for a combo box).
  virtual bool IsMultiSelect() const { return (Attr.Style & (kMultiple | kExtended)) != 0; }
  // Whether MultiSelect may change the style (a combo box, which shares these members,
  // has other bits there).
  virtual bool AllowsMultiSelect() const { return true; }
  // The first item shown, through the list's own messages (a combo box has others).
  virtual int ListTopIndex() const { return GetTopIndex(); }
  virtual int SetListTopIndex(int index) { return SetTopIndex(index); }

  // Reflected notifications.
  void LbnSelChange() { NotifyClick(); }
  void LbnDblClk() { NotifyDblClick(); }
  void LbnSetFocus() { NotifyGotFocus(); }
  void LbnKillFocus() { NotifyLostFocus(); }

  static IWListBox* Native(InterObjRep* obj) { return POClass<IWListBox, IWControl>::Native(obj); }

  DECLARE_RESPONSE_TABLE(IWListBox);

 protected:
  // The items, their data and the selection of the window into data, and back (the
  // selection follows its items when a sorted list places them anew).
  void TakeItems(TListBoxData& data) const;
  void PutItems(const TListBoxData& data);
  // Re-creates the window with the style bits in mask set to bits, under the
  // re-creating flag, and marks the object changed.
  void ReCreateWithStyle(uint32_t mask, uint32_t bits);
};
