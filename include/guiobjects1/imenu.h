// iMenu: the published "Menu" (a root class), the common base of "MenuBar" (imenubar.h)
// and "PopupMenu" (ipopupmenu.h). It wraps one Windows menu handle, made when first
// needed, and the accelerator table merged from the menu and its popups, made when
// first asked for and kept until something it depends on changes.
//
// Items are known by name. An item's command id comes from the process-wide item-name
// table (imenunames.h); the form turns the id of a WM_COMMAND back into the name
// (StringId) and calls "<name>_Click" / "<name>_Enable". Names are identifiers: any
// other name is refused with the store's invalid-argument error (32712).
//
// Positions are zero-based. Each separator's id is its position after every structural
// change. A popup item's submenu is the handle of a live "PopupMenu"; the same popup may
// stand in several menus, but never inside itself: inserting a popup that holds this
// menu (directly or through other popups) is refused with a store error naming it.
//
// Stream block (revision 1), after the revision byte: the item list (imenustream.cpp):
//   ULONG count, then per position a kind byte: 0 separator; 0xFF popup, then the
//   popup's object reference and its text; 1 checked item or 2 item, then its name,
//   [for popups' lists: USHORT flags, USHORT key of its accelerator], its text.
// Loading appends the stored items with new command ids. A damaged or inconsistent
// list fails with ObjectLoadFailed naming the class and leaves the menu as it was.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "guiobjects1/imenuaccel.h"
#include "guiobjects1/imenunames.h"
#include "guiobjects1/oviui1_api.h"
#include "store/poclass.h"

class InterObj;
class ValString;
class ValStringRep;
class iPopupMenu;

class OVIUI1_API iMenu : public POClass<iMenu> {
 public:
  enum tIdOrPos { kAnswerId = 0, kAnswerPos = 1 };
  enum { kMaxText = 255 };  // item texts are cut to this many characters

  explicit iMenu(IUnknown* outer);
  ~iMenu() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();
  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override;  // S_OK, no class id
  void clone(const IInterObj& source) override;

  // The operations the menu classes add.
  virtual void DrawMenuBars();
  virtual HMENU GetHMenu();
  // The menu's own accelerator entries, in-use first (none for menus and bars).
  virtual MenuAccelTable GetInitialAccelTbl();
  // The published name load failures report.
  virtual const char* PublishedName() const { return "Menu"; }

  // The name of a command id, or null.
  static const char* StringId(unsigned id) { return MenuItemNames::StringId(id); }
  // The menu (of the menus holding popups, then the popups) whose handle is h.
  static iMenu* find(HMENU h);
  static iMenu* Native(InterObjRep* obj) { return POClass<iMenu>::Native(obj); }

  int GetIdOrPos(const char* name, tIdOrPos which);
  short imInsertItem(const char* name, const char* caption, short pos);
  short imInsertPopup(InterObj* menu, const char* caption, short pos);
  short imRemoveItem(short pos);
  short imMove(short from, short to);
  short imSetName(short pos, const char* name);
  short imSetCaption(short pos, const char* caption);
  short imId(const char* name) { return (short)GetIdOrPos(name, kAnswerId); }
  short imPos(const char* name) { return (short)GetIdOrPos(name, kAnswerPos); }
  short imIdAt(short pos);
  ValStringRep* imName(short id);
  ValStringRep* imNameAt(short pos);
  ValStringRep* imCaptAt(short pos);
  long pdGetHMenu() { return (long)(LONG_PTR)hMenu_; }
  short pdGetItemCount();
  long pdGetAccelKey();
  void pdSetAccelKey(long value);

  // The merged accelerator table of the menu and its popups (depth first, in position
  // order); count gets the number of its entries. Null when there is none.
  HACCEL GetHAccel(int& count);
  HACCEL GetHAccel();
  // Marks the object changed and redraws the bars; structural: separators renumbered
  // and the merged accelerator tables that depend on this menu discarded.
  void Modified(bool structural);
  // Discards the cached accelerator table of this menu and of every menu that holds it,
  // directly or through other popups.
  void DiscardAccelCaches();
  // Whether inserting popup into this menu would put a menu inside itself.
  bool WouldCycle(iPopupMenu* popup);
  // Whether sub is a submenu at some position of this menu.
  bool HoldsSubmenu(HMENU sub);
  HACCEL cachedAccel() const { return hAccel_; }
  HMENU handle() const { return hMenu_; }

  // Links the popups a load found before their own objects were loaded (a module
  // loads its objects one by one): each goes to the position it was stored at.
  void attach(unsigned char module) override;

  // The item list (table: a popup's accelerators; null for menus and bars).
  void MenuSave(OCLStream& s, const MenuAccelTable* table);
  void MenuLoad(OCLStream& s, MenuAccelTable* table);

  // The full text of the item at pos ("" when there is none).
  std::string TextAt(int pos);
  // The item's state flags at pos (MF_POPUP, MF_SEPARATOR, MF_CHECKED...); -1 when none.
  int StateAt(int pos);
  // The position of the command item with id, or -1.
  int PosOfId(uint16_t id);

  // For tests: the menus holding popups, and every live popup.
  static size_t ContainerCount();
  static bool InContainerList(const iMenu* m);

 protected:
  void joinContainers();
  void RenumberSeparators();
  // Releases the command ids of the items at pos and after.
  void releaseIdsFrom(int pos);

  HMENU hMenu_ = nullptr;
  HACCEL hAccel_ = nullptr;

 private:
  // A stored popup whose native object did not exist yet when the list was read.
  struct PendingPopup {
    int pos;
    Faultp<InterObjRep> popup;  // uncounted
    std::string caption;
  };
  std::vector<PendingPopup> pending_;
};

// Basic string literal of text: quotes doubled, carets doubled, control characters
// 1 to 26 as ^A to ^Z, between double quotes.
OVIUI1_API std::string MenuBasicLiteral(const std::string& text);
