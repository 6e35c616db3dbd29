// TEdit: the edit control with text limit, selection and line access, and a validator.
#include <cstring>
#include <vector>

#include "winlib/static.h"
#include "winlib/validator.h"

TEdit::TEdit(TWindow* parent, int id, const char* text, int x, int y, int w, int h, uint textLimit,
             bool multiline, TModule* module) {
  TWindow::Init(parent, text, module);
  InitControl(id, x, y, w, h);
  TextLimit = textLimit;
  Attr.Style |= ES_LEFT | ES_AUTOHSCROLL | WS_BORDER;
  if (multiline) Attr.Style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
  Attr.ExStyle |= WS_EX_CLIENTEDGE;
}

TEdit::TEdit(TWindow* parent, int resourceId, uint textLimit, TModule* module) {
  TWindow::Init(parent, nullptr, module);
  InitResource(resourceId);
  TextLimit = textLimit;
}

TEdit::~TEdit() { delete validator_; }

const char* TEdit::GetClassName() { return "EDIT"; }

void TEdit::SetupWindow() {
  TStatic::SetupWindow();
  if (TextLimit) SetTextLimit(TextLimit - 1);
}

void TEdit::Clear() {
  SetWindowText("");
  ClearModify();
}

uint TEdit::Transfer(void* buffer, TTransferDirection direction) {
  if (validator_ && validator_->HasOption(TValidator::voTransfer) && HWindow) {
    std::string s = GetWindowText();
    std::vector<char> text(s.begin(), s.end());
    text.resize(text.size() + 256, 0);  // room for a validator that rewrites
    uint n = validator_->Transfer(text.data(), buffer, direction);
    if (direction == tdSetData) SetWindowText(text.data());
    if (n) return n;
  }
  return TStatic::Transfer(buffer, direction);
}

bool TEdit::CanClose() { return TStatic::CanClose() && (!HWindow || IsValid(true)); }

void TEdit::GetSelection(uint& start, uint& end) const {
  DWORD s = 0, e = 0;
  SendMessage(EM_GETSEL, WPARAM(&s), LPARAM(&e));
  start = s;
  end = e;
}

void TEdit::SetSelection(uint start, uint end) { SendMessage(EM_SETSEL, start, end); }
void TEdit::Insert(const char* text) { SendMessage(EM_REPLACESEL, TRUE, LPARAM(text)); }
void TEdit::SetReadOnly(bool readOnly) { SendMessage(EM_SETREADONLY, readOnly, 0); }
bool TEdit::IsModified() const { return SendMessage(EM_GETMODIFY) != 0; }
void TEdit::ClearModify() { SendMessage(EM_SETMODIFY, FALSE); }
int TEdit::GetNumLines() const { return int(SendMessage(EM_GETLINECOUNT)); }
int TEdit::GetLineIndex(int line) const { return int(SendMessage(EM_LINEINDEX, WPARAM(line))); }
int TEdit::GetLineFromPos(int charPos) const { return int(SendMessage(EM_LINEFROMCHAR, WPARAM(charPos))); }

std::string TEdit::GetLine(int line) const {
  int index = GetLineIndex(line);
  if (index < 0) return std::string();
  int len = int(SendMessage(EM_LINELENGTH, WPARAM(index)));
  std::vector<char> buffer(size_t(len) + sizeof(WORD) + 1, 0);
  *reinterpret_cast<WORD*>(buffer.data()) = WORD(len + 1);
  int n = int(SendMessage(EM_GETLINE, WPARAM(line), LPARAM(buffer.data())));
  return std::string(buffer.data(), size_t(n > 0 ? n : 0));
}

void TEdit::SetTextLimit(uint limit) {
  if (HWindow) SendMessage(EM_LIMITTEXT, limit);
}

void TEdit::SetValidator(TValidator* validator) {
  delete validator_;
  validator_ = validator;
}

bool TEdit::IsValid(bool reportErr) {
  if (!validator_) return true;
  std::string s = GetWindowText();
  return reportErr ? validator_->Valid(s.c_str(), this) : validator_->IsValid(s.c_str());
}
