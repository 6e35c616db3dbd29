// Clipboard traffic.
#include "edclipboard.h"

#include <string.h>

#include "edblock.h"
#include "edinsert.h"
#include "edrecord.h"
#include "edstate.h"

namespace ked {

int copy_pick_to_clipboard(HWND owner) {
  size_t size = 0;
  for (LineRecord* line = g_pickBuffer ? g_pickBuffer->firstLine : nullptr; line; line = line->next)
    size += static_cast<size_t>(line->length) + 2;
  if (!OpenClipboard(owner)) return 0;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size + 1);
  char* out = memory ? static_cast<char*>(GlobalLock(memory)) : nullptr;
  if (!out) {
    if (memory) GlobalFree(memory);
    CloseClipboard();
    return 0;
  }
  EmptyClipboard();
  for (LineRecord* line = g_pickBuffer ? g_pickBuffer->firstLine : nullptr; line; line = line->next) {
    memcpy(out, line->text, static_cast<size_t>(line->length));
    out += line->length;
    if (line->flags & LF_ENDED_BREAK) {
      *out++ = '\r';
      *out++ = '\n';
    }
  }
  *out = '\0';
  GlobalUnlock(memory);
  if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
  CloseClipboard();
  return 1;
}

int clear_clipboard_text(HWND owner) {
  if (IsClipboardFormatAvailable(CF_TEXT) && OpenClipboard(owner)) {
    EmptyClipboard();
    CloseClipboard();
  }
  return 1;
}

LRESULT cmd_paste(EditorRecord* rec) {
  if (rec->state & ST_READ_ONLY) return 0;
  if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(rec->wnd)) return 0;
  HANDLE data = GetClipboardData(CF_TEXT);
  const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
  if (!text) {
    CloseClipboard();
    return 0;
  }
  if (rec->selection.state == SEL_COMPLETE && (rec->options.WindowsCompatibility & 1) && !delete_selection(rec)) {
    GlobalUnlock(data);
    CloseClipboard();
    return 0;
  }
  insert_text(rec, text, rec->wParam == 1);
  GlobalUnlock(data);
  CloseClipboard();
  ++rec->changes;
  return 1;
}

}  // namespace ked
