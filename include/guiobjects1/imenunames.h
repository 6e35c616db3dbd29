// MenuItemNames: the process-wide item-name table behind menu command ids.
//
// The command id of an item is 100 + the index of its entry. Each entry keeps the
// item's name and the number of live items holding it. An entry whose holders are all
// gone keeps its name (a removed item's id still names it) until a new item needs an
// entry: free entries are reused, oldest first, before the table grows, so ids stay
// unique among live items however long a session edits menus. When every id from 100 to
// kLastId is held, Acquire refuses with a store error.
//
// Menu code holds an entry for every command item it puts into a menu and releases it
// when the item leaves (removed, or its menu destroyed); moving an item or changing its
// caption keeps it.
#pragma once

#include <cstdint>

#include "guiobjects1/oviui1_api.h"

class OVIUI1_API MenuItemNames {
 public:
  enum : unsigned {
    kFirstId = 100,
    // 0xFFFF is left out: as a Basic Integer it would read as -1, "no item".
    kLastId = 0xFFFE,
    kCapacity = kLastId - kFirstId + 1
  };

  // The name of command id, or null (below kFirstId, or never given out).
  static const char* StringId(unsigned id);
  // A command id for a new item called name (held once). Throws StoreException when
  // every id is held.
  static uint16_t Acquire(const char* name);
  // The item of id left its menu.
  static void Release(uint16_t id);
  // Renames the entry of id; false when id has no entry.
  static bool Rename(uint16_t id, const char* name);

  // For tests and the invariant: entries made so far, and live holders of id.
  static unsigned Entries();
  static unsigned Holders(unsigned id);

  // Whether text is a name an item may have: a letter (or a byte above 127) and then
  // letters, digits and underscores, at most kMaxName characters (so that "_Enable"
  // still fits an identifier).
  enum { kMaxName = 247 };
  static bool IsItemName(const char* text);
};
