// iPopupMenu: the published "PopupMenu" (parent "Menu"): a submenu of bars and of other
// popups, or a form's context menu. It adds separators, check marks and keyboard
// accelerators: its own entries (MenuAccelTable, imenuaccel.h), shown as the text after
// a tab in the item's caption and merged into the accelerator tables of every menu that
// holds it. Every live popup can be found from its handle.
//
// Stream block (revision 1), after the revision byte (no "Menu" block): ULONG the number
// of accelerator entries in use, then the item list with an accelerator pair per item.
// A stored count smaller than the pairs keeps the first pairs that fit.
//
// TextUnload writes per position ".InsertSeparator(-1)", ".InsertPopup(<popup>, ...)"
// or ".InsertItem("<name>", "<caption>", -1)", and for an item with an accelerator
// ".AccelKey = "<key>"" and ".SetAccelerator("<name>", .AccelKey)". Check marks are not
// part of the text.
#pragma once

#include "guiobjects1/imenu.h"

class OVIUI1_API iPopupMenu : public POClass<iPopupMenu, iMenu> {
 public:
  explicit iPopupMenu(IUnknown* outer);
  ~iPopupMenu() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  void PO_DeclareFields(SignatureRep& sig);
  // Its own frame: revision, accelerator count, item list (no "Menu" block).
  void PO_Load(IStream* stream) override;
  void PO_Save(IStream* stream, int clearDirty) override;
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override { return iMenu::GetClassID(id); }
  void clone(const IInterObj& source) override;
  const char* PublishedName() const override { return "PopupMenu"; }
  HMENU GetHMenu() override;
  MenuAccelTable GetInitialAccelTbl() override;
  static iPopupMenu* Native(InterObjRep* obj) { return POClass<iPopupMenu, iMenu>::Native(obj); }

  // The live popup whose handle is h, or null.
  static iPopupMenu* find(HMENU h);
  static size_t LiveCount();

  short imInsertSeparator(short pos);
  void imCheckItem(const char* name, short check);
  long imItemIsChecked(const char* name);
  // choice: an "AcceleratorKey" value, 0 (none) to 125; others are ignored.
  void imSetAccelerator(const char* name, long choice);
  // The "AcceleratorKey" value of the text after the item's tab: 0 without a tab, -1
  // for a text the enumeration does not hold (and for a menu without a handle).
  int imGetAccelerator(const char* name);
  int UpdateAccelAbbrev(short id, const char* text);
  void DestroyContainerAccels() { DiscardAccelCaches(); }
  // The popup's object name (at most size - 1 characters); "" when it has none.
  void GetPopupName(char* buffer, unsigned size);
  // The name text refers to it by: the full (dotted) name; "" when it has none.
  std::string ReferenceName() const;
  short imTextUnload(const char* indent, ValString* cmds);

  MenuAccelTable& accelTable() { return accels_; }

 private:
  MenuAccelTable accels_;
};
