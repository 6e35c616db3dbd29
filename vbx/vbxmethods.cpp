// The four methods a control class may support (Refresh, AddItem, RemoveItem, Move) and the
// item list that AddItem and RemoveItem keep for the control to draw.
#include "vbxstate.h"

using namespace vbx;

namespace {

// The control, when its class supports the method; VBXERR_NOTSUPPORTED recorded otherwise.
Control* Supporting(HCTL hctl, uint32_t method) {
  Control* c = FindControl(hctl);
  if (c && !(c->cls->methods & method)) return Fail(VBXERR_NOTSUPPORTED, nullptr);
  return c;
}

// Tells the control; `c` may be gone when the control's answer has destroyed it.
void ItemsChanged(Control& c) {
  HWND w = c.hwnd;
  InvalidateRect(w, nullptr, TRUE);
  SendMessageA(w, VBXN_ITEMSCHANGED, WPARAM(c.items.size()), 0);
}

}  // namespace

extern "C" {

int VBXAPI VBXMethodRefresh(HCTL hctl) {
  Control* c = Supporting(hctl, VBXM_REFRESH);
  if (!c) return TheState().lastError;
  InvalidateRect(c->hwnd, nullptr, TRUE);
  UpdateWindow(c->hwnd);
  return Outcome(VBXERR_NONE);
}

// Inserts the item before `index` (-1 or the count: at the end); answers where it went, or
// -1.
int VBXAPI VBXMethodAddItem(HCTL hctl, int index, const char* item) {
  Control* c = Supporting(hctl, VBXM_ADDITEM);
  if (!c) return -1;
  int count = int(c->items.size());
  if (index == -1) index = count;
  if (index < 0 || index > count) return Fail(VBXERR_BADINDEX, -1);
  c->items.insert(c->items.begin() + index, item ? item : "");
  ItemsChanged(*c);
  return Succeed(index);
}

// Removes the item at `index`; answers the items left, or -1.
int VBXAPI VBXMethodRemoveItem(HCTL hctl, int index) {
  Control* c = Supporting(hctl, VBXM_REMOVEITEM);
  if (!c) return -1;
  if (index < 0 || size_t(index) >= c->items.size()) return Fail(VBXERR_BADINDEX, -1);
  c->items.erase(c->items.begin() + index);
  ItemsChanged(*c);
  return Succeed(int(c->items.size()));
}

// Moves and sizes the control within its parent; every value in twips.
int VBXAPI VBXMethodMove(HCTL hctl, int x, int y, int cx, int cy) {
  Control* c = Supporting(hctl, VBXM_MOVE);
  if (!c) return TheState().lastError;
  if (cx < 0 || cy < 0) return Outcome(VBXERR_BADVALUE);
  MoveWindow(c->hwnd, VBXTwipsToPixelsX(x), VBXTwipsToPixelsY(y), VBXTwipsToPixelsX(cx),
             VBXTwipsToPixelsY(cy), TRUE);
  return Outcome(VBXERR_NONE);
}

DWORD VBXAPI VBXGetMethods(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(DWORD(c->cls->methods)) : 0;
}

BOOL VBXAPI VBXSupportsMethod(HCTL hctl, DWORD method) {
  Control* c = FindControl(hctl);
  if (!c) return FALSE;
  if (method == 0 || (method & ~VBXM_ALL)) return Fail(VBXERR_BADVALUE, FALSE);
  return Succeed(BOOL((c->cls->methods & method) == method));
}

int VBXAPI VBXGetItemCount(HCTL hctl) {
  Control* c = FindControl(hctl);
  return c ? Succeed(int(c->items.size())) : 0;
}

int VBXAPI VBXGetItemTextBuf(HCTL hctl, int index, char* buffer, int size) {
  if (buffer && size > 0) buffer[0] = 0;
  Control* c = FindControl(hctl);
  if (!c) return 0;
  if (index < 0 || size_t(index) >= c->items.size()) return Fail(VBXERR_BADINDEX, 0);
  return CopyOut(c->items[size_t(index)], buffer, size);
}

int VBXAPI VBXSetItemText(HCTL hctl, int index, const char* text) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  if (index < 0 || size_t(index) >= c->items.size()) return Outcome(VBXERR_BADINDEX);
  c->items[size_t(index)] = text ? text : "";
  ItemsChanged(*c);
  return Outcome(VBXERR_NONE);
}

// The first item from `start` on whose text equals `text` (case ignored), or -1.
int VBXAPI VBXFindItem(HCTL hctl, const char* text, int start) {
  Control* c = FindControl(hctl);
  if (!c) return -1;
  if (start < 0) start = 0;
  for (size_t i = size_t(start); i < c->items.size(); ++i)
    if (SameName(c->items[i], text)) return Succeed(int(i));
  return Fail(VBXERR_NOTFOUND, -1);
}

int VBXAPI VBXClearItems(HCTL hctl) {
  Control* c = FindControl(hctl);
  if (!c) return VBXERR_BADHANDLE;
  if (!c->items.empty()) {
    c->items.clear();
    ItemsChanged(*c);
  }
  return Outcome(VBXERR_NONE);
}

}  // extern "C"
