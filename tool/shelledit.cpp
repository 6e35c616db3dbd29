// TShellEdit: the debug output window; Print output kept as lines, shown in the control.
#include "tool/shelledit.h"

TShellEdit::TShellEdit() : TEdit(nullptr, 0, "", 0, 0, 0, 0, 0, true) {
  Attr.Style |= ES_READONLY | WS_HSCROLL;
}

TShellEdit::~TShellEdit() = default;

void TShellEdit::SetupWindow() {
  TEdit::SetupWindow();
  SendMessage(EM_SETLIMITTEXT, 0x7FFFFFFE, 0);  // the history limit bounds the text, not the control
  SetWindowText(Text().c_str());
}

std::string TShellEdit::Text() const {
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text + current_;
}

void TShellEdit::write(const char* text, size_t n) {
  if (swallow_) return;
  // Line ends arrive as "\r\n" from the print target; a string may hold a bare "\n" or
  // "\r" of its own, which ends a line too.
  std::string shown;
  for (size_t i = 0; i < n; ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
      lines_.push_back(current_);
      current_.clear();
      shown += "\r\n";
    } else {
      current_ += c;
      shown += c;
    }
  }
  appendToControl(shown);
  trimHistory();
}

void TShellEdit::appendToControl(const std::string& text) {
  if (!HWindow || text.empty()) return;
  int end = GetWindowTextLength();
  SendMessage(EM_SETSEL, (WPARAM)end, (LPARAM)end);
  SendMessage(EM_REPLACESEL, FALSE, (LPARAM)text.c_str());
}

void TShellEdit::trimHistory() {
  if ((int)lines_.size() <= maxLines_) return;
  size_t drop = lines_.size() - (size_t)maxLines_;
  size_t chars = 0;
  for (size_t i = 0; i < drop; ++i) chars += lines_[i].size() + 2;
  lines_.erase(lines_.begin(), lines_.begin() + (std::ptrdiff_t)drop);
  if (!HWindow) return;
  // The control's first lines are the dropped ones, "\r\n" ended like the kept text.
  SendMessage(EM_SETSEL, 0, (LPARAM)chars);
  SendMessage(EM_REPLACESEL, FALSE, (LPARAM) "");
  int end = GetWindowTextLength();
  SendMessage(EM_SETSEL, (WPARAM)end, (LPARAM)end);
  SendMessage(EM_SCROLLCARET, 0, 0);
}

void TShellEdit::SetMaxLines(int n) {
  maxLines_ = n < 1 ? 1 : n;
  trimHistory();
}

void TShellEdit::Reset(const InterObj& obj) {
  // Ending the print target's line brings its column back to 0; nothing is written.
  if (column() != 0) {
    swallow_ = true;
    TextPrintable::PrintDone(PrintSepEndOfLine);
    swallow_ = false;
  }
  lines_.clear();
  current_.clear();
  resetName_ = obj.isNull() ? std::string() : obj->fullName();
  if (HWindow) SetWindowText("");
}

void TShellEdit::Refresh() {
  if (!HWindow) return;
  SetWindowText(Text().c_str());
  int end = GetWindowTextLength();
  SendMessage(EM_SETSEL, (WPARAM)end, (LPARAM)end);
  SendMessage(EM_SCROLLCARET, 0, 0);
  Invalidate();
}

void TShellEdit::HelpRequested() {}

InterObjRep* TShellEdit::OwningObject() { return nullptr; }

void* TShellEdit::GetAsInterObjRep(TPoint&) { return OwningObject(); }

LRESULT TShellEdit::WindowProc(uint msg, WPARAM p1, LPARAM p2) {
  if (msg == WM_HELP || (msg == WM_KEYDOWN && p1 == VK_F1)) {
    HelpRequested();
    return TRUE;
  }
  return TEdit::WindowProc(msg, p1, p2);
}
