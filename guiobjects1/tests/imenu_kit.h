// What the menu tests share: named menu objects in a test module, stream blocks in
// memory, a menu's structure as text, and the live-ids invariant.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "guiobjects1/imenu.h"
#include "guiobjects1/imenubar.h"
#include "guiobjects1/ipopupmenu.h"
#include "iwwindow_kit.h"

namespace menukit {

using namespace windowkit;

inline unsigned char MenuModule() {
  WindowPrototype();
  static unsigned char m = ObjectStore::CreateModule("menu_test");
  return m;
}

// A new top-level object of class cls ("Menu", "MenuBar", "PopupMenu") named name in
// the test module. The caller may Destroy it; otherwise it lives for the process.
inline InterObjRep* NewMenuObject(const char* cls, const std::string& name) {
  InterObjRep* proto = (WindowPrototype(), ObjectStore::find(cls));
  EXPECT_NE(nullptr, proto) << cls;
  OpenModuleResource open(MenuModule());
  static std::vector<Faultp<InterObjRep>>* kept = new std::vector<Faultp<InterObjRep>>;
  PrimInterObj o(proto, name.c_str(), 0);
  kept->push_back(o);
  return o.get();
}

// A unique name made of stem and a number.
inline std::string Unique(const char* stem) {
  static int n = 0;
  return std::string(stem) + std::to_string(++n);
}

inline iPopupMenu* NewPopup(const std::string& name = Unique("Pop")) {
  return iPopupMenu::Native(NewMenuObject("PopupMenu", name));
}
inline iMenuBar* NewBar(const std::string& name = Unique("Bar")) {
  return iMenuBar::Native(NewMenuObject("MenuBar", name));
}
inline iMenu* NewMenu(const std::string& name = Unique("Menu")) {
  return iMenu::Native(NewMenuObject("Menu", name));
}

inline short InsertPopup(iMenu* into, iPopupMenu* popup, const char* caption, short pos = -1) {
  InterObj ref(popup->storeObj());
  return into->imInsertPopup(&ref, caption, pos);
}

inline std::string Str(ValStringRep* rep) { return ValString(rep).str(); }

// The menu as text: per position "-" a separator, "P<name>:<text>" a popup,
// "I<name>:<text>" an item ("*" before the name when checked); joined by "|".
inline std::string Shape(iMenu* m) {
  std::string s;
  HMENU h = m->handle();
  int n = h ? GetMenuItemCount(h) : 0;
  for (int pos = 0; pos < n; ++pos) {
    if (pos) s += "|";
    int state = m->StateAt(pos);
    if (state & MF_POPUP) {
      iPopupMenu* p = iPopupMenu::find(GetSubMenu(h, pos));
      s += "P" + std::string(p && p->storeObj() ? p->storeObj()->name() : "?") + ":" + m->TextAt(pos);
    } else if (state & MF_SEPARATOR) {
      s += "-";
    } else {
      const char* name = iMenu::StringId((uint16_t)GetMenuItemID(h, pos));
      s += std::string("I") + ((state & MF_CHECKED) ? "*" : "") + (name ? name : "?") + ":" + m->TextAt(pos);
    }
  }
  return s;
}

// The command ids of m's items, in position order.
inline std::vector<unsigned> Ids(iMenu* m) {
  std::vector<unsigned> ids;
  HMENU h = m->handle();
  int n = h ? GetMenuItemCount(h) : 0;
  for (int pos = 0; pos < n; ++pos) {
    int state = m->StateAt(pos);
    if (!(state & MF_POPUP) && !(state & MF_SEPARATOR)) ids.push_back((uint16_t)GetMenuItemID(h, pos));
  }
  return ids;
}

// Each separator's id is its position.
inline bool SeparatorsInStep(iMenu* m) {
  HMENU h = m->handle();
  int n = h ? GetMenuItemCount(h) : 0;
  for (int pos = 0; pos < n; ++pos) {
    int state = m->StateAt(pos);
    if (!(state & MF_POPUP) && (state & MF_SEPARATOR) && GetMenuItemID(h, pos) != (UINT)pos) return false;
  }
  return true;
}

// Ids are unique among the items of menus, each names its item, and each is held.
inline ::testing::AssertionResult IdsUniqueAndHeld(const std::vector<iMenu*>& menus) {
  std::set<unsigned> seen;
  for (iMenu* m : menus)
    for (unsigned id : Ids(m)) {
      if (!seen.insert(id).second) return ::testing::AssertionFailure() << "id " << id << " twice";
      if (id < MenuItemNames::kFirstId || id > MenuItemNames::kLastId)
        return ::testing::AssertionFailure() << "id " << id << " outside the range";
      if (MenuItemNames::Holders(id) != 1)
        return ::testing::AssertionFailure() << "id " << id << " held " << MenuItemNames::Holders(id);
    }
  return ::testing::AssertionSuccess();
}

inline Bytes SaveMenu(IInterObj& o) {
  IStream* s = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &s);
  o.PO_Save(s, 1);
  LARGE_INTEGER zero = {};
  ULARGE_INTEGER end = {};
  s->Seek(zero, STREAM_SEEK_CUR, &end);
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  Bytes b((size_t)end.QuadPart);
  ULONG n = 0;
  if (!b.empty()) s->Read(b.data(), (ULONG)b.size(), &n);
  s->Release();
  return b;
}

inline void LoadMenu(IInterObj& o, const Bytes& b) {
  IStream* s = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &s);
  ULONG n = 0;
  if (!b.empty()) s->Write(b.data(), (ULONG)b.size(), &n);
  LARGE_INTEGER zero = {};
  s->Seek(zero, STREAM_SEEK_SET, nullptr);
  try {
    o.PO_Load(s);
  } catch (...) {
    s->Release();
    throw;
  }
  s->Release();
}

// Stream pieces for golden blocks.
struct BlockWriter {
  Bytes b;
  BlockWriter& u8(uint8_t v) {
    b.push_back(v);
    return *this;
  }
  BlockWriter& u16(uint16_t v) { return u8((uint8_t)v).u8((uint8_t)(v >> 8)); }
  BlockWriter& u32(uint32_t v) { return u16((uint16_t)v).u16((uint16_t)(v >> 16)); }
  BlockWriter& str(const char* s) {
    if (!s) return u32(0);
    std::string t(s);
    u32((uint32_t)t.size() + 1);
    for (char c : t) u8((uint8_t)c);
    return u8(0);
  }
  // A reference by name to a top-level object of module m (counted indirect kind).
  BlockWriter& ref(uint8_t m, const char* name) { return u8(0x12).u8(m).str(name); }
};

}  // namespace menukit
