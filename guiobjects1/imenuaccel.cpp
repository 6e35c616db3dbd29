// Accelerator key names, choices, texts and a popup's own entries.
#include "guiobjects1/imenuaccel.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kKeyNames[kVirtualKeyNameCount] = {
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,  // 0-7
    "Bksp",  "Tab",   nullptr, nullptr, "Clear", "Enter", nullptr, nullptr,  // 8-15
    nullptr, nullptr, nullptr, "Pause", nullptr, nullptr, nullptr, nullptr,  // 16-23
    nullptr, nullptr, nullptr, "Esc",   nullptr, nullptr, nullptr, nullptr,  // 24-31
    "Space", "PgUp",  "PgDn",  "End",   "Home",  "Left",  "Up",    "Right",  // 32-39
    "Down",  nullptr, nullptr, nullptr, nullptr, "Ins",   "Del",   "Help",   // 40-47
    "0",     "1",     "2",     "3",     "4",     "5",     "6",     "7",      // 48-55
    "8",     "9",     nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,  // 56-63
    nullptr, "A",     "B",     "C",     "D",     "E",     "F",     "G",      // 64-71
    "H",     "I",     "J",     "K",     "L",     "M",     "N",     "O",      // 72-79
    "P",     "Q",     "R",     "S",     "T",     "U",     "V",     "W",      // 80-87
    "X",     "Y",     "Z",     nullptr, nullptr, nullptr, nullptr, nullptr,  // 88-95
    "Num0",  "Num1",  "Num2",  "Num3",  "Num4",  "Num5",  "Num6",  "Num7",   // 96-103
    "Num8",  "Num9",  "*",     "+",     nullptr, "-",     ".",     "/",      // 104-111
    "F1",    "F2",    "F3",    "F4",    "F5",    "F6",    "F7",    "F8",     // 112-119
    "F9",    "F10",   "F11",   "F12",   "F13",   "F14",   "F15",   "F16",    // 120-127
    "F17",   "F18",   "F19",   "F20",   "F21",   "F22",   "F23",   "F24",    // 128-135
};

// The choices by rows of the same modifier: 1-26 Ctrl+letter, 27-36 Ctrl+digit, 37-46
// Alt+digit, 47-94 the function keys plain, with Shift, Ctrl and Alt, 95-122 the editing
// keys the same way, 123-125 Ctrl with Tab, Space and Enter.
struct ChoiceTable {
  AcceleratorChoice c[kAcceleratorChoiceCount];
  ChoiceTable() : c() {
    int i = 1;
    const uint8_t v = kAccelVirtKey;
    for (int k = 'A'; k <= 'Z'; ++k) c[i++] = {uint8_t(v | kAccelCtrl), uint8_t(k)};
    for (int k = '0'; k <= '9'; ++k) c[i++] = {uint8_t(v | kAccelCtrl), uint8_t(k)};
    for (int k = '0'; k <= '9'; ++k) c[i++] = {uint8_t(v | kAccelAlt), uint8_t(k)};
    const uint8_t mods[4] = {v, uint8_t(v | kAccelShift), uint8_t(v | kAccelCtrl), uint8_t(v | kAccelAlt)};
    for (uint8_t m : mods)
      for (int k = VK_F1; k <= VK_F12; ++k) c[i++] = {m, uint8_t(k)};
    const uint8_t editing[7] = {VK_BACK, VK_INSERT, VK_DELETE, VK_HOME, VK_END, VK_PRIOR, VK_NEXT};
    for (uint8_t m : mods)
      for (uint8_t k : editing) c[i++] = {m, k};
    c[i++] = {uint8_t(v | kAccelCtrl), VK_TAB};
    c[i++] = {uint8_t(v | kAccelCtrl), VK_SPACE};
    c[i++] = {uint8_t(v | kAccelCtrl), VK_RETURN};
  }
};

const ChoiceTable& Choices() {
  static const ChoiceTable t;
  return t;
}

char g_abbrev[32];

}  // namespace

const char* VirtualKeyName(unsigned key) { return key < kVirtualKeyNameCount ? kKeyNames[key] : nullptr; }

AcceleratorChoice AcceleratorChoiceAt(int i) {
  if (i < 0 || i >= kAcceleratorChoiceCount) return AcceleratorChoice{0, 0};
  return Choices().c[i];
}

const char* AccelAbbrev(unsigned flags, unsigned key) {
  std::string s;
  if (flags & kAccelShift) s += "Shift+";
  if (flags & kAccelCtrl) s += "Ctrl+";
  if (flags & kAccelAlt) s += "Alt+";
  if (!(flags & kAccelVirtKey)) {
    if (key) s += (char)key;
  } else {
    const char* name = VirtualKeyName(key);
    s += name ? name : "??";
  }
  std::snprintf(g_abbrev, sizeof g_abbrev, "%s", s.c_str());
  return g_abbrev;
}

// ---- MenuAccelTable ----

size_t MenuAccelTable::inUse() const {
  size_t n = 0;
  for (const MenuAccel& e : entries_) n += e.key != 0;
  return n;
}

MenuAccel* MenuAccelTable::findCommand(uint16_t id) {
  for (MenuAccel& e : entries_)
    if (e.key && e.command == id) return &e;
  return nullptr;
}

const MenuAccel* MenuAccelTable::findCommand(uint16_t id) const {
  return const_cast<MenuAccelTable*>(this)->findCommand(id);
}

MenuAccel* MenuAccelTable::firstFree() {
  for (MenuAccel& e : entries_)
    if (!e.key) return &e;
  return nullptr;
}

MenuAccel& MenuAccelTable::entryFor(uint16_t id) {
  if (MenuAccel* e = findCommand(id)) return *e;
  if (MenuAccel* e = firstFree()) return *e;
  entries_.push_back(MenuAccel{0, 0, 0});
  return entries_.back();
}

void MenuAccelTable::release(uint16_t id) {
  if (MenuAccel* e = findCommand(id)) *e = MenuAccel{0, 0, 0};
}

MenuAccelTable MenuAccelTable::compacted() const {
  MenuAccelTable t(entries_.size());
  size_t n = 0;
  for (const MenuAccel& e : entries_)
    if (e.key) t.entries_[n++] = e;
  return t;
}

void MenuAccelTable::mergeFrom(const MenuAccelTable& other) {
  std::vector<MenuAccel> merged(entries_.size() + other.entries_.size(), MenuAccel{0, 0, 0});
  size_t n = 0;
  for (size_t i = 0; i < entries_.size() && entries_[i].key; ++i) merged[n++] = entries_[i];
  for (const MenuAccel& e : other.entries_)
    if (e.key) merged[n++] = e;
  entries_.swap(merged);
}

size_t MenuAccelTable::leadingInUse() const {
  size_t n = 0;
  while (n < entries_.size() && entries_[n].key) ++n;
  return n;
}
