// The item-name table.
#include "guiobjects1/imenunames.h"

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "store/idstring.h"
#include "store/storeexcept.h"

namespace {

struct Entry {
  IdString name;
  uint32_t holders = 0;
};

struct Table {
  std::vector<Entry> entries;
  std::deque<uint16_t> free;  // indexes whose holders went to 0, oldest first
  Table() { entries.reserve(32); }
};

// Made on first use and kept to the end of the process: menus may outlive the
// library's static destructors.
Table& Names() {
  static Table* t = new Table;
  return *t;
}

bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 128; }

}  // namespace

const char* MenuItemNames::StringId(unsigned id) {
  Table& t = Names();
  if (id < kFirstId || id - kFirstId >= t.entries.size()) return nullptr;
  return t.entries[id - kFirstId].name.c_str();
}

uint16_t MenuItemNames::Acquire(const char* name) {
  Table& t = Names();
  IdString id(name);
  while (!t.free.empty()) {
    uint16_t i = t.free.front();
    t.free.pop_front();
    Entry& e = t.entries[i];
    if (e.holders) continue;  // held again since it was freed
    e.name = id;
    e.holders = 1;
    return (uint16_t)(kFirstId + i);
  }
  if (t.entries.size() >= kCapacity)
    throw StoreException(
        "No menu command id is free: every id from 100 to 65534 belongs to a menu item. "
        "Remove menu items or menus that are no longer used.");
  t.entries.push_back(Entry{id, 1});
  return (uint16_t)(kFirstId + t.entries.size() - 1);
}

void MenuItemNames::Release(uint16_t id) {
  Table& t = Names();
  if (id < kFirstId || (unsigned)(id - kFirstId) >= t.entries.size()) return;
  Entry& e = t.entries[id - kFirstId];
  if (!e.holders) return;
  if (--e.holders == 0) t.free.push_back((uint16_t)(id - kFirstId));
}

bool MenuItemNames::Rename(uint16_t id, const char* name) {
  Table& t = Names();
  if (id < kFirstId || (unsigned)(id - kFirstId) >= t.entries.size()) return false;
  t.entries[id - kFirstId].name = IdString(name);
  return true;
}

unsigned MenuItemNames::Entries() { return (unsigned)Names().entries.size(); }

unsigned MenuItemNames::Holders(unsigned id) {
  Table& t = Names();
  if (id < kFirstId || id - kFirstId >= t.entries.size()) return 0;
  return t.entries[id - kFirstId].holders;
}

bool MenuItemNames::IsItemName(const char* text) {
  if (!text || !IsLetter((unsigned char)text[0])) return false;
  size_t n = std::strlen(text);
  if (n > kMaxName) return false;
  for (size_t i = 1; i < n; ++i) {
    unsigned char c = (unsigned char)text[i];
    if (!IsLetter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
  }
  return true;
}
