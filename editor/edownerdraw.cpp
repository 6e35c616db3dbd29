// The owner-draw protocol. The records are the platform's owner-draw structures followed
// by the control's own fields (korvoedit.h), so one owner procedure serves both the
// control's message numbers and the standard ones.
#include "edownerdraw.h"

#include "edpaint.h"
#include "edrecord.h"
#include "editor/korvoedit.h"

namespace ked {

namespace {

enum OwnerDrawBit : int32_t { OD_ON = 1, OD_MEASURE_ALWAYS = 2, OD_SELF = 4, OD_STANDARD = 8 };

// Messages of the three requests, by the standard-numbers bit.
struct OwnerMessages {
  UINT draw, forget, measure;
};

OwnerMessages messages_of(const EditorRecord* rec) {
  if (rec->options.OwnerDrawn & OD_STANDARD) return {WM_DRAWITEM, WM_DELETEITEM, WM_MEASUREITEM};
  return {KE_OD_DRAW, KE_OD_DELETE, KE_OD_MEASURE};
}

// The window that answers the requests, null when there is none (or no window yet).
HWND owner_of(const EditorRecord* rec) {
  if (!rec->wnd || !(rec->state & ST_OWNER_DRAWN)) return nullptr;
  if (rec->options.OwnerDrawn & OD_SELF) return rec->wnd;
  return GetParent(rec->wnd);
}

UINT control_id(const EditorRecord* rec) { return static_cast<UINT>(GetDlgCtrlID(rec->wnd)); }

}  // namespace

bool measure_line(EditorRecord* rec, LineRecord* line) {
  HWND owner = owner_of(rec);
  if (!owner || !line) return false;
  KorvoMeasureItem request = {};
  request.item.CtlType = KE_ODT_EDITOR;
  request.item.CtlID = control_id(rec);
  request.item.itemData = line->itemData;
  request.text = line->text;
  if (!SendMessageA(owner, messages_of(rec).measure, request.item.CtlID,
                    reinterpret_cast<LPARAM>(&request))) {
    line->itemHeight = static_cast<uint16_t>(rec->lineHeight);
    return false;
  }
  line->itemHeight = static_cast<uint16_t>(request.item.itemHeight & 0xFFFF);
  line->itemData = static_cast<uint32_t>(request.item.itemData);
  return true;
}

void forget_owner_line(EditorRecord* rec, LineRecord* line) {
  HWND owner = owner_of(rec);
  if (!owner || !line) return;
  KorvoDeleteItem request = {};
  request.item.CtlType = KE_ODT_EDITOR;
  request.item.CtlID = control_id(rec);
  request.item.hwndItem = rec->wnd;
  request.item.itemData = line->itemData;
  request.text = line->text;
  SendMessageA(owner, messages_of(rec).forget, request.item.CtlID, reinterpret_cast<LPARAM>(&request));
}

bool owner_draw(EditorRecord* rec, HDC dc, const OwnerPiece& piece) {
  HWND owner = owner_of(rec);
  if (!owner || !piece.line) return false;
  KorvoDrawItem request = {};
  request.item.CtlType = KE_ODT_EDITOR;
  request.item.CtlID = control_id(rec);
  request.item.itemAction = ODA_DRAWENTIRE;
  request.item.itemState =
      (piece.selected ? ODS_SELECTED : 0) | (piece.line == rec->currentLine ? ODS_FOCUS : 0);
  request.item.hwndItem = rec->wnd;
  request.item.hDC = dc;
  request.item.rcItem = piece.rect;
  request.item.itemData = piece.line->itemData;
  request.text = piece.line->text;
  request.line = piece.number;
  request.firstColumn = rec->view ? rec->view->firstColumn : 0;
  request.firstChar = piece.from;
  request.pixelOffset = rec->view ? rec->view->pixelOffset : 0;
  return SendMessageA(owner, messages_of(rec).draw, request.item.CtlID, reinterpret_cast<LPARAM>(&request)) !=
         0;
}

LRESULT cmd_measure_all(EditorRecord* rec) {
  if (!owner_of(rec)) return 0;
  for (LineRecord* line = rec->firstLine; line; line = line->next) measure_line(rec, line);
  InvalidateRect(rec->wnd, nullptr, TRUE);
  return 1;
}

}  // namespace ked
