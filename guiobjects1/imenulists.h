// The process-wide lists of the menu classes: the menus that hold at least one popup
// (containers) and every live popup. They never own what they list: a menu joins and
// leaves them itself. Walks over them copy the list first when the walk may change it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

class iMenu;
class iPopupMenu;

namespace menulists {

std::vector<iMenu*>& Containers();
std::vector<iPopupMenu*>& Popups();

template <class T>
void Remove(std::vector<T*>& list, const void* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

template <class T>
bool Contains(const std::vector<T*>& list, const void* item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace menulists

// The item's state at pos (a popup's item count masked off); -1 when there is none.
int MenuStateOf(HMENU h, int pos);
// The item's full text at pos (at most 255 characters); "" when there is none.
std::string MenuTextOf(HMENU h, int pos);
// Neither a popup nor a separator.
bool IsCommandState(int state);
bool SetItemText(HMENU h, int pos, const std::string& text);

class iMenu;
// Appends the text unload of menu to out: per position a line feed, indent and the
// statement; popup style adds separators and accelerators. Ends with a line feed.
void MenuTextLines(iMenu& menu, const char* indent, bool popupStyle, std::string& out);
