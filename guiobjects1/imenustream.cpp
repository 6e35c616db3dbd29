// The item list of the menu classes' stream blocks, and the popup's own frame.
//
// Loading reads and checks the whole list before the menu changes: a record with an
// unknown kind byte, a reference that is not a popup menu (or one that would hold the
// menu itself), an item name that is not an identifier or unknown accelerator flags
// fail the load with ObjectLoadFailed naming the class, and the menu stays as it was.
// A popup reference that names no object (its popup is gone) drops that record, as it
// always did; separators take their positions, so they stay in step.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "guiobjects1/imenu.h"
#include "guiobjects1/ipopupmenu.h"
#include "imenulists.h"
#include "olecls/oclstream.h"
#include "store/storeexcept.h"

namespace {

enum RecordKind : UCHAR { kKindSeparator = 0, kKindChecked = 1, kKindItem = 2, kKindPopup = 0xFF };

struct Record {
  UCHAR kind = kKindSeparator;
  iPopupMenu* popup = nullptr;   // kind popup; null: dropped
  Faultp<InterObjRep> popupObj;  // holds the popup's object while the load runs
  bool hasName = false;
  std::string name;
  USHORT flags = 0, key = 0;
  std::string caption;
};

std::string ReadText(OCLStream& s, bool* present = nullptr) {
  char* raw = nullptr;
  s.read(&raw);
  std::unique_ptr<char[]> hold(raw);
  if (present) *present = raw != nullptr;
  return raw ? std::string(raw) : std::string();
}

}  // namespace

void iMenu::MenuSave(OCLStream& s, const MenuAccelTable* table) {
  int count = hMenu_ ? ::GetMenuItemCount(hMenu_) : 0;
  if (count < 0) count = 0;
  s.write((ULONG)count);
  for (int pos = 0; pos < count; ++pos) {
    int state = StateAt(pos);
    if (state >= 0 && !(state & MF_POPUP) && (state & MF_SEPARATOR)) {
      s.write((UCHAR)kKindSeparator);
      continue;
    }
    if (state >= 0 && (state & MF_POPUP)) {
      s.write((UCHAR)kKindPopup);
      iPopupMenu* p = iPopupMenu::find(::GetSubMenu(hMenu_, pos));
      if (p)
        p->writeMe(s);
      else
        s.write((UCHAR)0);  // a foreign submenu: a null reference, dropped on load
    } else {
      s.write((UCHAR)((state >= 0 && (state & MF_CHECKED)) ? kKindChecked : kKindItem));
      uint16_t id = (uint16_t)::GetMenuItemID(hMenu_, pos);
      const char* name = StringId(id);
      s.write(name && *name ? name : (const char*)nullptr);
      if (table) {
        const MenuAccel* a = table->findCommand(id);
        s.write((USHORT)(a ? a->flags : 0));
        s.write((USHORT)(a ? a->key : 0));
      }
    }
    s.write(TextAt(pos).c_str());
  }
}

void iMenu::MenuLoad(OCLStream& s, MenuAccelTable* table) {
  const char* cls = PublishedName();
  unsigned char module = storeObj() ? storeObj()->module() : ObjectStore::OpenModule();
  std::vector<Record> records;
  try {
    ULONG count = 0;
    s.read(&count);
    s.checkCount(count, 1, "a menu item count");
    records.resize(count);
    for (Record& r : records) {
      s.read(&r.kind);
      switch (r.kind) {
        case kKindSeparator:
          continue;
        case kKindPopup: {
          Faultp<InterObjRep> ref;
          try {
            ref.read(s, module);
          } catch (const StoreException&) {  // a reference tag the store does not know
            throw ObjectLoadFailed(cls);
          }
          if (!ref.isNull()) {
            if (!ref->canBeTreatedAs(iPopupMenu::PO_GetObject())) throw ObjectLoadFailed(cls);
            r.popupObj = ref;
            // A popup of the module being loaded may not have its native object yet:
            // it is linked when the module's objects are attached.
            r.popup = iPopupMenu::Native(ref.get());
            if (r.popup && WouldCycle(r.popup)) throw ObjectLoadFailed(cls);
          }
          break;
        }
        case kKindChecked:
        case kKindItem:
          r.name = ReadText(s, &r.hasName);
          if (r.hasName && !MenuItemNames::IsItemName(r.name.c_str())) throw ObjectLoadFailed(cls);
          if (table) {
            s.read(&r.flags);
            s.read(&r.key);
            if (r.flags & ~kAccelKnownFlags) throw ObjectLoadFailed(cls);
          }
          break;
        default:
          throw ObjectLoadFailed(cls);
      }
      r.caption = ReadText(s);
      if (r.caption.size() > kMaxText) r.caption.resize(kMaxText);
    }
  } catch (const OCLStreamException&) {
    throw ObjectLoadFailed(cls);
  }

  // Every record is sound: append them.
  HMENU h = GetHMenu();
  if (!h) throw ObjectLoadFailed(cls);
  const int before = ::GetMenuItemCount(h);
  MenuAccelTable accels;
  if (table) accels = *table;
  std::vector<PendingPopup> later;
  bool holdsPopup = false;
  for (const Record& r : records) {
    BOOL ok = TRUE;
    if (r.kind == kKindSeparator) {
      ok = ::AppendMenuA(h, MF_SEPARATOR, (UINT_PTR)::GetMenuItemCount(h), nullptr);
    } else if (r.kind == kKindPopup) {
      if (!r.popup) {
        if (!r.popupObj.isNull())
          later.push_back(PendingPopup{::GetMenuItemCount(h) + (int)later.size(),
                                       Faultp<InterObjRep>(r.popupObj.get(), tUncountedIndirectReference),
                                       r.caption});
        continue;  // else its popup is gone
      }
      ok = ::AppendMenuA(h, MF_POPUP | MF_STRING, (UINT_PTR)r.popup->GetHMenu(), r.caption.c_str());
      holdsPopup = holdsPopup || ok;
    } else {
      uint16_t id = MenuItemNames::Acquire(r.hasName ? r.name.c_str() : nullptr);
      ok = ::AppendMenuA(h, MF_STRING | (r.kind == kKindChecked ? MF_CHECKED : 0), id, r.caption.c_str());
      if (!ok) {
        MenuItemNames::Release(id);
      } else if (table && r.key) {
        if (MenuAccel* e = accels.firstFree()) *e = MenuAccel{r.flags, r.key, id};
      }
    }
    if (!ok) {  // the system refused: take back what this load appended
      releaseIdsFrom(before);
      for (int pos = ::GetMenuItemCount(h) - 1; pos >= before; --pos)
        ::RemoveMenu(h, (UINT)pos, MF_BYPOSITION);
      throw ObjectLoadFailed(cls);
    }
  }
  if (table) table->swap(accels);
  for (PendingPopup& p : later) pending_.push_back(std::move(p));
  if (holdsPopup) joinContainers();
  RenumberSeparators();
  DiscardAccelCaches();
  DrawMenuBars();
}

void iMenu::attach(unsigned char) {
  if (pending_.empty() || !hMenu_) return;
  std::vector<PendingPopup> pending;
  pending.swap(pending_);
  bool linked = false;
  for (const PendingPopup& p : pending) {
    iPopupMenu* popup = p.popup.isNull() ? nullptr : iPopupMenu::Native(p.popup.get());
    if (!popup || WouldCycle(popup)) continue;  // gone, or it would hold itself
    int at = std::min(p.pos, ::GetMenuItemCount(hMenu_));
    if (::InsertMenuA(hMenu_, (UINT)at, MF_BYPOSITION | MF_POPUP | MF_STRING, (UINT_PTR)popup->GetHMenu(),
                      p.caption.c_str()))
      linked = true;
  }
  if (!linked) return;
  joinContainers();
  RenumberSeparators();
  DiscardAccelCaches();
  DrawMenuBars();
}

void iMenu::PO_Write(OCLStream& s) { MenuSave(s, nullptr); }
void iMenu::PO_Read(OCLStream& s, unsigned) { MenuLoad(s, nullptr); }

// ---- the popup's frame ----

void iPopupMenu::PO_Save(IStream* stream, int clearDirty) {
  if (clearDirty) dirty_ = 0;
  OCLStream s(stream);
  s.write((UCHAR)kRevision);
  s.write((ULONG)accels_.inUse());
  MenuSave(s, &accels_);
}

void iPopupMenu::PO_Load(IStream* stream) {
  OCLStream s(stream);
  UCHAR revision = 0;
  ULONG count = 0;
  try {
    s.read(&revision);
    if (revision > kRevision) throw ObjectLoadFailed("PopupMenu");
    s.read(&count);
    // Each entry serves one item of the list that follows (at least one byte each), so
    // a larger count is damage or entries no item used: they would stay free.
    ULONG room = s.left();
    if (count > room) count = room;
  } catch (const OCLStreamException&) {
    throw ObjectLoadFailed("PopupMenu");
  }
  // The entries in use stay (a second load appends to the menu), then room for the
  // stored pairs.
  MenuAccelTable table = accels_.compacted();
  table.resize(accels_.inUse() + (size_t)count);
  MenuLoad(s, &table);
  accels_.swap(table);
  DiscardAccelCaches();
  if (revision == 0) changed();
}
