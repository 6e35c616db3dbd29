// iMenu: the published "Menu", the native model shared by bars and popups.
#include "guiobjects1/imenu.h"

#include <cstring>
#include <string>
#include <vector>

#include "guiobjects1/dllinstance.h"
#include "guiobjects1/ipopupmenu.h"
#include "imenulists.h"
#include "store/enum.h"
#include "store/podefine.h"
#include "store/storeexcept.h"
#include "store/types.h"
#include "store/valstring.h"

namespace {

// The value behind "AccelKey": one for every menu of the process.
int32_t g_accelKey = 0;

// The state bits an item keeps when it is moved (not the kind bits MF_BITMAP and
// MF_OWNERDRAW, which our items never have).
const UINT kItemStateMask = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBARBREAK | MF_MENUBREAK | MF_HILITE;

std::string Cut(const char* text, size_t max) {
  std::string s = text ? text : "";
  if (s.size() > max) s.resize(max);
  return s;
}

void EnsureAcceleratorKeyEnum(const IInterObj& self) {
  if (EnumRep::find("AcceleratorKey")) return;
  InterObjRep* proto = self.storeObj();
  OpenModuleResource open(proto ? proto->module() : ObjectStore::OpenModule());
  EnumRep* e = new EnumRep("AcceleratorKey", 1);
  if (!e) utilsAssert("eo.is()", __FILE__, __LINE__);
  if (EnumRep::find("AcceleratorKey") != e)
    utilsAssert("EnumRep::find(\"AcceleratorKey\")", __FILE__, __LINE__);
  e->addEntry("(nothing)", 0);
  for (int i = 1; i < kAcceleratorChoiceCount; ++i) {
    AcceleratorChoice c = AcceleratorChoiceAt(i);
    e->addEntry(AccelAbbrev(c.flags, c.key), i);
  }
}

}  // namespace

namespace menulists {

std::vector<iMenu*>& Containers() {
  static std::vector<iMenu*>* list = new std::vector<iMenu*>;
  return *list;
}

std::vector<iPopupMenu*>& Popups() {
  static std::vector<iPopupMenu*>* list = new std::vector<iPopupMenu*>;
  return *list;
}

}  // namespace menulists

using namespace menulists;

// ---- menu handle helpers ----

int MenuStateOf(HMENU h, int pos) {
  if (!h || pos < 0) return -1;
  UINT state = ::GetMenuState(h, (UINT)pos, MF_BYPOSITION);
  if (state == (UINT)-1) return -1;
  if (state & MF_POPUP) state &= 0xFF;  // a popup's high byte counts its items
  return (int)state;
}

std::string MenuTextOf(HMENU h, int pos) {
  char buffer[iMenu::kMaxText + 1] = "";
  if (!h || pos < 0) return "";
  int n = ::GetMenuStringA(h, (UINT)pos, buffer, sizeof buffer, MF_BYPOSITION);
  return n > 0 ? std::string(buffer, (size_t)n) : std::string();
}

bool IsCommandState(int state) { return state >= 0 && !(state & MF_POPUP) && !(state & MF_SEPARATOR); }

bool SetItemText(HMENU h, int pos, const std::string& text) {
  MENUITEMINFOA mii = {};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_STRING;
  mii.dwTypeData = const_cast<char*>(text.c_str());
  return ::SetMenuItemInfoA(h, (UINT)pos, TRUE, &mii) != 0;
}

// ---- iMenu ----

Faultp<InterObjRep>* iMenu::PO_Object = nullptr;
const POClassRow& iMenu::PO_Row() { return DllInstance::Row(kOviui1Menu); }

iMenu::iMenu(IUnknown* outer) : POClass(outer) {}

iMenu::~iMenu() {
  try {
    if (hMenu_) {
      Remove(Containers(), this);
      // Every menu that holds this one loses those positions.
      std::vector<iMenu*> holders = Containers();
      for (iMenu* c : holders) {
        if (!InContainerList(c) || !c->hMenu_) continue;
        for (int pos = ::GetMenuItemCount(c->hMenu_) - 1; pos >= 0; --pos)
          if ((MenuStateOf(c->hMenu_, pos) & MF_POPUP) && ::GetSubMenu(c->hMenu_, pos) == hMenu_)
            c->imRemoveItem((short)pos);
      }
      releaseIdsFrom(0);
      // The popups keep their handles: detach them before the menu goes.
      for (int pos = ::GetMenuItemCount(hMenu_) - 1; pos >= 0; --pos)
        if (MenuStateOf(hMenu_, pos) & MF_POPUP) ::RemoveMenu(hMenu_, (UINT)pos, MF_BYPOSITION);
      ::DestroyMenu(hMenu_);
      hMenu_ = nullptr;
    }
  } catch (...) {  // a store failure while marking holders changed must not stop the end
  }
  Remove(Containers(), this);
  if (hAccel_) ::DestroyAcceleratorTable(hAccel_);
  hAccel_ = nullptr;
}

HRESULT STDMETHODCALLTYPE iMenu::GetClassID(CLSID* id) {
  if (id) *id = CLSID_NULL;
  return S_OK;
}

void iMenu::PO_DeclareFields(SignatureRep& sig) {
  EnsureAcceleratorKeyEnum(*this);
  PO_EnumProperty(sig, "AccelKey", "AcceleratorKey", &iMenu::pdSetAccelKey, &iMenu::pdGetAccelKey);
  PO_Property(sig, "HMenu", kTypeLong, nullptr, &iMenu::pdGetHMenu);
  PO_Property(sig, "ItemCount", kTypeShort, nullptr, &iMenu::pdGetItemCount);
  PO_Method(sig,
            "Function InsertItem(ByVal name as string,                    ByVal caption as string,           "
            "         ByVal pos as integer) as integer",
            &iMenu::imInsertItem);
  PO_Method(sig,
            "Function InsertPopup(menu as PopupMenu,                     ByVal caption as string,            "
            "         ByVal pos as integer) as integer",
            &iMenu::imInsertPopup);
  PO_Method(sig, "Function RemoveItem(ByVal pos as integer) as integer", &iMenu::imRemoveItem);
  PO_Method(
      sig,
      "Function MoveItem(ByVal fromPos as integer,                  ByVal toPos   as integer) as integer",
      &iMenu::imMove);
  PO_Method(sig, "Function SetName(ByVal pos as integer,                 ByVal name as string) as integer",
            &iMenu::imSetName);
  PO_Method(
      sig, "Function SetCaption(ByVal pos as integer,                    ByVal caption as string) as integer",
      &iMenu::imSetCaption);
  PO_Method(sig, "Function ItemId(ByVal name as string) as integer", &iMenu::imId);
  PO_Method(sig, "Function ItemIdAt(ByVal position as integer) as integer", &iMenu::imIdAt);
  PO_Method(sig, "Function ItemCaptionAt(ByVal position as integer) as string", &iMenu::imCaptAt);
  PO_Method(sig, "Function ItemName(ByVal id as integer) as string", &iMenu::imName);
  PO_Method(sig, "Function ItemNameAt(ByVal position as integer) as string", &iMenu::imNameAt);
  PO_Method(sig, "Function ItemPosition(ByVal name as string) as integer", &iMenu::imPos);
}

// ---- handle, lists ----

HMENU iMenu::GetHMenu() {
  if (!hMenu_) hMenu_ = ::CreateMenu();
  return hMenu_;
}

MenuAccelTable iMenu::GetInitialAccelTbl() { return MenuAccelTable(); }

void iMenu::DrawMenuBars() {}

iMenu* iMenu::find(HMENU h) {
  if (!h) return nullptr;
  for (iMenu* m : Containers())
    if (m->hMenu_ == h) return m;
  return iPopupMenu::find(h);
}

size_t iMenu::ContainerCount() { return Containers().size(); }
bool iMenu::InContainerList(const iMenu* m) { return Contains(Containers(), m); }

void iMenu::joinContainers() {
  if (!Contains(Containers(), this)) Containers().push_back(this);
}

// ---- item access ----

int iMenu::StateAt(int pos) { return MenuStateOf(hMenu_, pos); }
std::string iMenu::TextAt(int pos) { return MenuTextOf(hMenu_, pos); }

int iMenu::PosOfId(uint16_t id) {
  if (!hMenu_) return -1;
  int n = ::GetMenuItemCount(hMenu_);
  for (int pos = 0; pos < n; ++pos)
    if (IsCommandState(StateAt(pos)) && (uint16_t)::GetMenuItemID(hMenu_, pos) == id) return pos;
  return -1;
}

int iMenu::GetIdOrPos(const char* name, tIdOrPos which) {
  if (!name || !*name || !hMenu_) return -1;
  int n = ::GetMenuItemCount(hMenu_);
  for (int pos = 0; pos < n; ++pos) {
    if (!IsCommandState(StateAt(pos))) continue;
    unsigned id = (uint16_t)::GetMenuItemID(hMenu_, pos);
    const char* itemName = StringId(id);
    if (itemName && std::strcmp(itemName, name) == 0) return which == kAnswerPos ? pos : (int)id;
  }
  return -1;
}

short iMenu::pdGetItemCount() { return hMenu_ ? (short)::GetMenuItemCount(hMenu_) : (short)-1; }

long iMenu::pdGetAccelKey() { return g_accelKey; }
void iMenu::pdSetAccelKey(long value) { g_accelKey = (int32_t)value; }

short iMenu::imIdAt(short pos) {
  if (!hMenu_ || pos < 0 || pos >= ::GetMenuItemCount(hMenu_)) return -1;
  return (short)::GetMenuItemID(hMenu_, pos);
}

ValStringRep* iMenu::imName(short id) {
  const char* name = StringId((uint16_t)id);
  return new ValStringRep(name ? name : "");
}

ValStringRep* iMenu::imNameAt(short pos) {
  int state = StateAt(pos);
  if (state < 0) return new ValStringRep("");
  if (state & MF_POPUP) {
    char buffer[256] = "";
    if (iPopupMenu* p = iPopupMenu::find(::GetSubMenu(hMenu_, pos))) p->GetPopupName(buffer, sizeof buffer);
    return new ValStringRep(buffer);
  }
  if (state & MF_SEPARATOR) return new ValStringRep("");
  const char* name = StringId((uint16_t)::GetMenuItemID(hMenu_, pos));
  return new ValStringRep(name ? name : "");
}

ValStringRep* iMenu::imCaptAt(short pos) {
  std::string text = TextAt(pos);
  return new ValStringRep(text.substr(0, text.find('\t')).c_str());
}

// ---- structure ----

void iMenu::RenumberSeparators() {
  if (!hMenu_) return;
  int n = ::GetMenuItemCount(hMenu_);
  for (int pos = 0; pos < n; ++pos) {
    int state = StateAt(pos);
    if (state < 0 || (state & MF_POPUP) || !(state & MF_SEPARATOR)) continue;
    if (::GetMenuItemID(hMenu_, pos) == (UINT)pos) continue;
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID;
    mii.wID = (UINT)pos;
    ::SetMenuItemInfoA(hMenu_, (UINT)pos, TRUE, &mii);
  }
}

void iMenu::Modified(bool structural) {
  changed();
  DrawMenuBars();
  if (structural) {
    RenumberSeparators();
    DiscardAccelCaches();
  }
}

void iMenu::releaseIdsFrom(int from) {
  if (!hMenu_) return;
  int n = ::GetMenuItemCount(hMenu_);
  for (int pos = from; pos < n; ++pos)
    if (IsCommandState(StateAt(pos))) MenuItemNames::Release((uint16_t)::GetMenuItemID(hMenu_, pos));
}

bool iMenu::HoldsSubmenu(HMENU sub) {
  if (!hMenu_ || !sub) return false;
  int n = ::GetMenuItemCount(hMenu_);
  for (int pos = 0; pos < n; ++pos)
    if ((StateAt(pos) & MF_POPUP) && ::GetSubMenu(hMenu_, pos) == sub) return true;
  return false;
}

bool iMenu::WouldCycle(iPopupMenu* popup) {
  if (!popup) return false;
  if (static_cast<iMenu*>(popup) == this) return true;
  if (!hMenu_) return false;  // nothing can hold a menu that has no handle yet
  std::vector<iMenu*> seen{popup};
  for (size_t i = 0; i < seen.size(); ++i) {
    HMENU h = seen[i]->hMenu_;
    if (!h) continue;
    int n = ::GetMenuItemCount(h);
    for (int pos = 0; pos < n; ++pos) {
      if (!(MenuStateOf(h, pos) & MF_POPUP)) continue;
      HMENU sub = ::GetSubMenu(h, pos);
      if (sub == hMenu_) return true;
      iPopupMenu* p = iPopupMenu::find(sub);
      if (p && !Contains(seen, p)) seen.push_back(p);
    }
  }
  return false;
}

void iMenu::DiscardAccelCaches() {
  std::vector<iMenu*> work{this};
  for (size_t i = 0; i < work.size(); ++i) {
    iMenu* m = work[i];
    if (m->hAccel_) {
      ::DestroyAcceleratorTable(m->hAccel_);
      m->hAccel_ = nullptr;
    }
    if (!m->hMenu_) continue;
    for (iMenu* c : Containers())
      if (c != m && !Contains(work, c) && c->HoldsSubmenu(m->hMenu_)) work.push_back(c);
  }
}

short iMenu::imInsertItem(const char* name, const char* caption, short pos) {
  if (!MenuItemNames::IsItemName(name)) throw StoreException(kMsgInvalidArgument, name ? name : "");
  HMENU h = GetHMenu();
  std::string text = Cut(caption, kMaxText);
  uint16_t id = MenuItemNames::Acquire(name);
  if (!h || !::InsertMenuA(h, (UINT)(int)pos, MF_BYPOSITION | MF_STRING, id, text.c_str())) {
    MenuItemNames::Release(id);
    return -1;
  }
  Modified(true);
  return (short)id;
}

short iMenu::imInsertPopup(InterObj* menu, const char* caption, short pos) {
  iPopupMenu* popup = menu ? iPopupMenu::Native(menu->get()) : nullptr;
  if (!popup) return 0;
  HMENU h = GetHMenu();
  if (WouldCycle(popup)) {
    std::string name = popup->ReferenceName();
    throw StoreException("The popup menu '" + name +
                         "' cannot be inserted: it holds this menu, which would then hold itself.");
  }
  std::string text = Cut(caption, kMaxText);
  if (!h || !::InsertMenuA(h, (UINT)(int)pos, MF_BYPOSITION | MF_POPUP | MF_STRING,
                           (UINT_PTR)popup->GetHMenu(), text.c_str()))
    return 0;
  joinContainers();
  Modified(true);
  return 1;
}

short iMenu::imRemoveItem(short pos) {
  if (!hMenu_ || pos < 0 || pos >= ::GetMenuItemCount(hMenu_)) return 0;
  int state = StateAt(pos);
  uint16_t id = (uint16_t)::GetMenuItemID(hMenu_, pos);
  if (!::RemoveMenu(hMenu_, (UINT)pos, MF_BYPOSITION)) return 0;
  if (IsCommandState(state)) {
    MenuItemNames::Release(id);
    // The item's accelerator goes with it: its id may name another item later.
    if (iPopupMenu* self = dynamic_cast<iPopupMenu*>(this)) self->accelTable().release(id);
  }
  Modified(true);
  return 1;
}

short iMenu::imMove(short from, short to) {
  if (!hMenu_) return 0;
  int count = ::GetMenuItemCount(hMenu_);
  if (from < 0 || to < 0 || from > count - 1 || to > count - 1) return 0;
  int state = StateAt(from);
  UINT flags;
  UINT_PTR id;
  if (state & MF_POPUP) {
    flags = MF_POPUP;
    id = (UINT_PTR)::GetSubMenu(hMenu_, from);
  } else if (state & MF_SEPARATOR) {
    flags = MF_SEPARATOR;
    id = (UINT_PTR)to;
  } else {
    flags = (state & MF_CHECKED) ? MF_CHECKED : (UINT)state & kItemStateMask;
    id = ::GetMenuItemID(hMenu_, from);
  }
  std::string text = (flags & MF_SEPARATOR) ? std::string() : TextAt(from);
  if (!(flags & MF_SEPARATOR)) flags |= MF_STRING;
  if (!::RemoveMenu(hMenu_, (UINT)from, MF_BYPOSITION)) return 0;
  const char* t = (flags & MF_SEPARATOR) ? nullptr : text.c_str();
  if (!::InsertMenuA(hMenu_, (UINT)to, MF_BYPOSITION | flags, id, t)) {
    ::InsertMenuA(hMenu_, (UINT)from, MF_BYPOSITION | flags, id, t);  // put it back
    Modified(true);
    return 0;
  }
  Modified(true);
  return 1;
}

short iMenu::imSetName(short pos, const char* name) {
  if (!name || !*name || !hMenu_ || pos < 0 || pos > ::GetMenuItemCount(hMenu_) - 1) return 0;
  int state = StateAt(pos);
  if (state < 0 || (!(state & MF_POPUP) && (state & MF_SEPARATOR))) return 0;
  if (state & MF_POPUP) {
    iPopupMenu* popup = iPopupMenu::Native(ObjectStore::find(name));
    if (!popup) return 0;
    HMENU old = ::GetSubMenu(hMenu_, pos);
    if (popup->GetHMenu() != old) {
      if (WouldCycle(popup))
        throw StoreException("The popup menu '" + popup->ReferenceName() +
                             "' cannot be inserted: it holds this menu, which would then hold itself.");
      std::string text = TextAt(pos);
      // Removed and inserted again: changing a popup item in place may destroy the
      // submenu it replaces, which belongs to another live popup.
      if (!::RemoveMenu(hMenu_, (UINT)pos, MF_BYPOSITION)) return 0;
      if (!::InsertMenuA(hMenu_, (UINT)pos, MF_BYPOSITION | MF_POPUP | MF_STRING, (UINT_PTR)popup->GetHMenu(),
                         text.c_str())) {
        ::InsertMenuA(hMenu_, (UINT)pos, MF_BYPOSITION | MF_POPUP | MF_STRING, (UINT_PTR)old, text.c_str());
        return 0;
      }
      DiscardAccelCaches();
    }
    changed();
    return 1;
  }
  if (!MenuItemNames::IsItemName(name)) throw StoreException(kMsgInvalidArgument, name);
  if (!MenuItemNames::Rename((uint16_t)::GetMenuItemID(hMenu_, pos), name)) return 0;
  changed();
  return 1;
}

short iMenu::imSetCaption(short pos, const char* caption) {
  if (!hMenu_ || pos < 0 || pos > ::GetMenuItemCount(hMenu_) - 1) return 0;
  int state = StateAt(pos);
  if (state < 0 || (!(state & MF_POPUP) && (state & MF_SEPARATOR))) return 0;
  std::string current = TextAt(pos);
  size_t tab = current.find('\t');
  std::string accel = tab == std::string::npos ? std::string() : current.substr(tab);
  if (accel.size() > kMaxText) accel.resize(kMaxText);
  std::string text = Cut(caption, kMaxText - accel.size()) + accel;
  if (!SetItemText(hMenu_, pos, text)) return 0;
  Modified(false);
  return 1;
}

// ---- accelerators ----

namespace {

void MergeSubmenus(HMENU h, MenuAccelTable& table, std::vector<iPopupMenu*>& path) {
  if (!h) return;
  int n = ::GetMenuItemCount(h);
  for (int pos = 0; pos < n; ++pos) {
    if (!(MenuStateOf(h, pos) & MF_POPUP)) continue;
    iPopupMenu* p = iPopupMenu::find(::GetSubMenu(h, pos));
    if (!p || Contains(path, p)) continue;  // foreign submenus; a loop made behind our back
    table.mergeFrom(p->accelTable());
    path.push_back(p);
    MergeSubmenus(p->handle(), table, path);
    path.pop_back();
  }
}

}  // namespace

HACCEL iMenu::GetHAccel(int& count) {
  MenuAccelTable table = GetInitialAccelTbl();
  std::vector<iPopupMenu*> path;
  if (iPopupMenu* self = dynamic_cast<iPopupMenu*>(this)) path.push_back(self);
  MergeSubmenus(hMenu_, table, path);
  count = (int)table.leadingInUse();
  if (count > 0 && !hAccel_) {
    std::vector<ACCEL> accels((size_t)count);
    for (int i = 0; i < count; ++i) {
      accels[i].fVirt = (BYTE)table[i].flags;
      accels[i].key = table[i].key;
      accels[i].cmd = table[i].command;
    }
    hAccel_ = ::CreateAcceleratorTableA(accels.data(), count);
  }
  return hAccel_;
}

HACCEL iMenu::GetHAccel() {
  if (hAccel_) return hAccel_;
  int count = 0;
  return GetHAccel(count);
}

// ---- copies ----

void iMenu::clone(const IInterObj& source) {
  const iMenu* src = dynamic_cast<const iMenu*>(&source);
  if (!src || src == this) return;
  // A copy of a menu that was never used stays unused (its ItemCount -1).
  HMENU from = src->hMenu_;
  if (!from) return;
  HMENU h = GetHMenu();
  if (!h) return;
  int n = ::GetMenuItemCount(from);
  for (int pos = 0; pos < n; ++pos) {
    int state = MenuStateOf(from, pos);
    if (state < 0) continue;
    std::string text = MenuTextOf(from, pos);
    if (state & MF_POPUP) {
      HMENU sub = ::GetSubMenu(from, pos);
      iPopupMenu* p = iPopupMenu::find(sub);
      if (p && WouldCycle(p)) continue;
      if (::AppendMenuA(h, MF_POPUP | MF_STRING, (UINT_PTR)sub, text.c_str())) joinContainers();
    } else if (state & MF_SEPARATOR) {
      ::AppendMenuA(h, MF_SEPARATOR, (UINT_PTR)::GetMenuItemCount(h), nullptr);
    } else {
      uint16_t id = MenuItemNames::Acquire(StringId((uint16_t)::GetMenuItemID(from, pos)));
      if (!::AppendMenuA(h, MF_STRING | ((UINT)state & MF_CHECKED), id, text.c_str()))
        MenuItemNames::Release(id);
    }
  }
  RenumberSeparators();
  DiscardAccelCaches();
}

// ---- text ----

std::string MenuBasicLiteral(const std::string& text) {
  std::string out = "\"";
  for (char ch : text) {
    unsigned char c = (unsigned char)ch;
    if (c == '"')
      out += "\"\"";
    else if (c == '^')
      out += "^^";
    else if (c >= 1 && c <= 26) {
      out += '^';
      out += (char)('A' + c - 1);
    } else
      out += ch;
  }
  return out + "\"";
}

void MenuTextLines(iMenu& menu, const char* indent, bool popupStyle, std::string& out) {
  const std::string in = indent ? indent : "";
  HMENU h = menu.handle();
  int n = h ? ::GetMenuItemCount(h) : 0;
  EnumRep* keys = EnumRep::find("AcceleratorKey");
  for (int pos = 0; pos < n; ++pos) {
    int state = MenuStateOf(h, pos);
    if (state < 0) continue;
    if (!(state & MF_POPUP) && (state & MF_SEPARATOR)) {
      if (popupStyle) out += "\n" + in + ".InsertSeparator(-1)";
      continue;
    }
    std::string text = MenuTextOf(h, pos);
    if (state & MF_POPUP) {
      iPopupMenu* p = iPopupMenu::find(::GetSubMenu(h, pos));
      std::string ref = p ? p->ReferenceName() : std::string();
      if (ref.empty()) continue;  // nothing the text could name
      out += "\n" + in + ".InsertPopup(" + ref + ", " + MenuBasicLiteral(text) + ", -1)";
      continue;
    }
    const char* name = iMenu::StringId((uint16_t)::GetMenuItemID(h, pos));
    if (!name || !MenuItemNames::IsItemName(name)) continue;  // not an item of ours
    const std::string quoted = MenuBasicLiteral(name);
    std::string caption = text, accel;
    size_t tab = text.find('\t');
    int32_t value = 0;
    // Only a key the enumeration knows is given back through SetAccelerator; any other
    // text after a tab stays part of the caption, so the text reads back as it was.
    if (popupStyle && tab != std::string::npos && tab + 1 < text.size() && keys &&
        keys->valueOf(text.c_str() + tab + 1, value)) {
      caption = text.substr(0, tab);
      accel = text.substr(tab + 1);
    }
    out += "\n" + in + ".InsertItem(" + quoted + ", " + MenuBasicLiteral(caption) + ", -1)";
    if (!accel.empty()) {
      out += "\n" + in + ".AccelKey = " + MenuBasicLiteral(accel);
      out += "\n" + in + ".SetAccelerator(" + quoted + ", .AccelKey)";
    }
  }
  out += "\n";
}
