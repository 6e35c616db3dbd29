// Keyboard accelerators of the menus: the key names, the 126 accelerator choices that
// "AcceleratorKey" enumerates, the text shown after an item's tab (AccelAbbrev), and a
// popup menu's own accelerator entries (MenuAccelTable).
//
// An entry has the three words of a Windows ACCEL record: flags (0x01 virtual key,
// 0x04 Shift, 0x08 Ctrl, 0x10 Alt), key (0 marks a free entry) and the item's command id.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "guiobjects1/oviui1_api.h"

enum MenuAccelFlag : uint16_t {
  kAccelVirtKey = 0x01,
  kAccelShift = 0x04,
  kAccelCtrl = 0x08,
  kAccelAlt = 0x10,
  kAccelKnownFlags = 0x1D
};

struct MenuAccel {
  uint16_t flags;
  uint16_t key;
  uint16_t command;
};
static_assert(sizeof(MenuAccel) == 6, "three 16-bit words, as stored");

struct AcceleratorChoice {
  uint8_t flags;
  uint8_t key;
};

enum { kVirtualKeyNameCount = 136, kAcceleratorChoiceCount = 126 };

// The name of virtual-key code key ("Bksp", "A", "F12", ...), null when it has none.
OVIUI1_API const char* VirtualKeyName(unsigned key);
// Choice i (0 .. 125); choice 0 is no accelerator. Outside the range: {0, 0}.
OVIUI1_API AcceleratorChoice AcceleratorChoiceAt(int i);
// The text of an accelerator: "Shift+", "Ctrl+", "Alt+" in that order, then the key's
// name (virtual keys; "??" when it has none) or the key as a character. The result
// lives in one static buffer that the next call overwrites.
OVIUI1_API const char* AccelAbbrev(unsigned flags, unsigned key);

// A popup's own entries, in-use ones anywhere (key 0 is free).
class OVIUI1_API MenuAccelTable {
 public:
  MenuAccelTable() {}
  explicit MenuAccelTable(size_t freeEntries) : entries_(freeEntries, MenuAccel{0, 0, 0}) {}

  size_t count() const { return entries_.size(); }
  MenuAccel& operator[](size_t i) { return entries_[i]; }
  const MenuAccel& operator[](size_t i) const { return entries_[i]; }
  // Entries whose key is not 0.
  size_t inUse() const;
  // The entry of command id, or null.
  MenuAccel* findCommand(uint16_t id);
  const MenuAccel* findCommand(uint16_t id) const;
  // The first free entry, or null.
  MenuAccel* firstFree();
  // The entry of id, else the first free one, else a new one at the end.
  MenuAccel& entryFor(uint16_t id);
  // Frees the entry of id (when there is one).
  void release(uint16_t id);
  // A table of the same size with the in-use entries first, in order.
  MenuAccelTable compacted() const;
  // Appends the in-use entries of other after the leading in-use ones of this table.
  void mergeFrom(const MenuAccelTable& other);
  // The number of leading in-use entries.
  size_t leadingInUse() const;
  void swap(MenuAccelTable& other) { entries_.swap(other.entries_); }
  // Keeps the first n entries, or adds free ones up to n.
  void resize(size_t n) { entries_.resize(n, MenuAccel{0, 0, 0}); }

 private:
  std::vector<MenuAccel> entries_;
};
