// IWXferables: a list of transferables (IWXferable) kept as a ring through the tail
// (the last entry, whose next is the first). The list owns its entries and deletes them
// when it is emptied or destroyed; the count always equals the number of entries and
// never passes kMaxCount (a foreign enumerator that never ends stops there).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "guiobjects1/iwxferable.h"
#include "guiobjects1/oviui1_api.h"

class OVIUI1_API IWXferables {
 public:
  enum : short { kMaxCount = 0x7FFF };

  IWXferables() = default;
  IWXferables(const IWXferables&) = delete;
  IWXferables& operator=(const IWXferables&) = delete;
  ~IWXferables();

  short Count() const { return count_; }
  // The first entry, or null for an empty list.
  IWXferable* Start() const;
  // From the first entry, i steps along the ring (none for i <= 0), stopping on coming
  // back to the first: an index at or past the count gives the first entry; null when
  // empty.
  IWXferable* operator[](int i) const;
  // Splices entry (a ring of one) behind the tail; answers the new tail. A null entry,
  // or a full list (the entry is deleted), answers null.
  IWXferable* AddXferable(IWXferable* entry);
  // Deletes every entry.
  void Clear();
  // Takes over other's entries (other is left empty); this list is emptied first.
  void TakeFrom(IWXferables& other);

  // Empties the list and adds a forwarding entry for each format e yields (nothing at
  // all for a null e). Target devices of enumerated formats are freed, not kept.
  void InitFwds(IEnumFORMATETC* e);
  // Adds an entry holding a copy of source's data for each format e yields.
  void InitCopy(IDataObject* source, IEnumFORMATETC* e, IUnknown* owner);
  // The offers of an OLE object made from dropped or pasted data: without a link,
  // "Embedded Object" and "Object Descriptor" made on demand where the object does not
  // answer them itself; a forwarding entry for each format of e; with a link, "Link
  // Source" and "Link Source Descriptor" likewise.
  void InitOle(IDataObject* object, IEnumFORMATETC* e);

 private:
  short count_ = 0;
  IWXferable* tail_ = nullptr;
};
