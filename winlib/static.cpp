// TStatic and TGroupBox.
#include "winlib/static.h"

#include <cstring>

TStatic::TStatic() : TextLimit(0) {}

TStatic::TStatic(TWindow* parent, int id, const char* title, int x, int y, int w, int h, uint textLimit,
                 TModule* module)
    : TextLimit(textLimit) {
  TWindow::Init(parent, title, module);
  InitControl(id, x, y, w, h);
  Attr.Style = (Attr.Style | SS_LEFT) & ~uint32_t(WS_TABSTOP);
}

TStatic::TStatic(TWindow* parent, int resourceId, uint textLimit, TModule* module) : TextLimit(textLimit) {
  TWindow::Init(parent, nullptr, module);
  InitResource(resourceId);
}

const char* TStatic::GetClassName() { return "STATIC"; }

void TStatic::Clear() { SetWindowText(""); }

// The buffer holds TextLimit characters (terminator included).
uint TStatic::Transfer(void* buffer, TTransferDirection direction) {
  if (!TextLimit) return 0;
  char* text = static_cast<char*>(buffer);
  if (direction == tdGetData) {
    std::string s = GetWindowText();
    std::strncpy(text, s.c_str(), TextLimit - 1);
    text[TextLimit - 1] = 0;
  } else if (direction == tdSetData) {
    std::string s(text, strnlen(text, TextLimit - 1));
    SetWindowText(s.c_str());
  }
  return TextLimit;
}

TGroupBox::TGroupBox(TWindow* parent, int id, const char* text, int x, int y, int w, int h, TModule* module) {
  TWindow::Init(parent, text, module);
  InitControl(id, x, y, w, h);
  Attr.Style = (Attr.Style | BS_GROUPBOX) & ~uint32_t(WS_TABSTOP);
}

TGroupBox::TGroupBox(TWindow* parent, int resourceId, TModule* module) {
  TWindow::Init(parent, nullptr, module);
  InitResource(resourceId);
  ClearFlag(wfTransfer);
}

const char* TGroupBox::GetClassName() { return "BUTTON"; }
