// Commands served by the control's core: text copy, counts, the change counter, the
// read-only switch, the caret report, and the refusal that rows without a handler share.
#include "edcommand.h"
#include "edrecord.h"
#include "edstate.h"
#include "edtext.h"

namespace ked {

LRESULT cmd_not_built(EditorRecord*) { return 0; }

LRESULT cmd_nothing(EditorRecord*) { return 1; }

LRESULT cmd_caret_report(EditorRecord* rec) {
  int32_t* report = reinterpret_cast<int32_t*>(rec->lParam);
  if (!report) return 0;
  report[0] = rec->options.InsertMode;
  report[1] = rec->caretColumn;
  report[2] = rec->caretRow;
  report[3] = rec->lineNumber;
  report[4] = rec->lineCount;
  return 1;
}

LRESULT cmd_set_read_notify_lines(EditorRecord* rec) {
  rec->options.LinesForReadNotify = static_cast<int32_t>(rec->wParam);
  return 1;
}

LRESULT cmd_get_text(EditorRecord* rec) {
  return get_text(rec, reinterpret_cast<char*>(rec->lParam), static_cast<size_t>(rec->wParam));
}

LRESULT cmd_get_line_count(EditorRecord* rec) { return rec->lineCount; }

LRESULT cmd_get_modify(EditorRecord* rec) { return rec->changes; }

LRESULT cmd_set_modify(EditorRecord* rec) {
  rec->changes = static_cast<int32_t>(rec->wParam);
  return static_cast<LRESULT>(rec->wParam);
}

LRESULT cmd_set_read_only(EditorRecord* rec) {
  LONG_PTR style = GetWindowLongPtrA(rec->wnd, GWL_STYLE);
  if (rec->wParam) {
    rec->state |= ST_READ_ONLY;
    style |= ES_KE_READONLY;
  } else {
    rec->state &= ~static_cast<uint32_t>(ST_READ_ONLY);
    style &= ~static_cast<LONG_PTR>(ES_KE_READONLY);
  }
  SetWindowLongPtrA(rec->wnd, GWL_STYLE, style);
  return 1;
}

}  // namespace ked
