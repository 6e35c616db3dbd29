// IWEdit: the published "TextBox": the style properties, the text limit, the selection,
// the editing methods, "Change" from the control, the stream block and the text unload.
#include "guiobjects2/iwedit.h"

#include <cstring>
#include <string>

#include "guiobjects2/dllinstance.h"
#include "store/podefine.h"
#include "store/valstring.h"

Faultp<InterObjRep>* IWEdit::PO_Object = nullptr;
const POClassRow& IWEdit::PO_Row() { return DllInstance::Row(kOviui2TextBox); }

// Own entries before the label's (which supply the double click and the keys), then the
// library edit's.
DEFINE_RESPONSE_TABLE2(IWEdit, IWStatic, TEdit)
EV_MESSAGE(WM_NCHITTEST, EvNcHitTest), EV_EN_CHANGE(EnChange), EV_NOTIFY_AT_CHILD(EN_SETFOCUS, EnSetFocus),
    EV_NOTIFY_AT_CHILD(EN_KILLFOCUS, EnKillFocus), END_RESPONSE_TABLE;

// The library edit's initialisation starts the window again as a child without a place:
// left-aligned, scrolling sideways, a border, a tab stop. Its limit of 1 counts the
// terminator alone, which is no limit; ours counts characters, so 0.
IWEdit::IWEdit(IUnknown* outer) : POClass(outer), TEdit(nullptr, 0, nullptr, 0, 0, 0, 0, 1, false) {
  if (DllInstance::Module()) SetModule(DllInstance::Module());
  Attr.Style |= WS_CLIPSIBLINGS;
  Attr.ExStyle &= ~uint32_t(WS_EX_CLIENTEDGE);  // the border is "BorderStyle"'s alone
  TEdit::TextLimit = 0;
  pdSetMultiLine(0);
  pdSetBorderStyle(1);
}

IWEdit::~IWEdit() = default;

void IWEdit::PO_DeclareFields(SignatureRep& sig) {
  PO_EnsureEnum(*this, "ScrollBarsState", {{"None", 0}, {"Horizontal", 1}, {"Vertical", 2}, {"Both", 3}});
  PO_EnumProperty(sig, "ScrollBars", "ScrollBarsState", &IWEdit::pdSetScrollBars, &IWEdit::pdGetScrollBars);
  PO_EnumProperty(sig, "MultiLine", "Boolean", &IWEdit::pdSetMultiLine, &IWEdit::pdGetMultiLine);
  PO_EnumProperty(sig, "WordWrap", "Boolean", &IWEdit::pdSetWordWrap, &IWEdit::pdGetWordWrap);
  PO_EnumProperty(sig, "ReadOnly", "Boolean", &IWEdit::pdSetReadOnly, &IWEdit::pdGetReadOnly);
  PO_Property(sig, "SelStart", 2, &IWEdit::pdSetSelStart, &IWEdit::pdGetSelStart);
  PO_Property(sig, "SelLength", 2, &IWEdit::pdSetSelLength, &IWEdit::pdGetSelLength);
  PO_Property(sig, "SelText", 6, &IWEdit::pdSetSelText, &IWEdit::pdGetSelText);
  PO_Property(sig, "Text", 6, &IWEdit::pdSetText, &IWControl::pdGetText);
  PO_Property(sig, "MaxLength", 2, &IWEdit::pdSetMaxLength, &IWEdit::pdGetMaxLength);
  PO_Property(sig, "LineCount", 2, nullptr, &IWEdit::pdGetLineCount);
  PO_Method(sig, "Sub Insert(ByVal Text as String)", &IWEdit::imInsert);
  PO_Method(sig, "Sub Undo()", &IWEdit::imUndo);
  PO_Method(sig, "Sub Cut()", &IWEdit::imCut);
  PO_Method(sig, "Sub Copy()", &IWEdit::imCopy);
  PO_Method(sig, "Sub Paste()", &IWEdit::imPaste);
  PO_Method(sig, "Sub Clear()", &IWEdit::imClear);
  PO_Method(sig, "Function TextUnload(ByVal indent As String, cmds As String) As Integer",
            &IWEdit::imTextUnload);
}

void IWEdit::PO_Read(OCLStream& s, unsigned) {
  ULONG limit = 0;
  s.read(&limit);
  TEdit::TextLimit = (uint)limit;
  if (HWindow) SendMessage(EM_LIMITTEXT, TEdit::TextLimit);
}

void IWEdit::PO_Write(OCLStream& s) { s.write((ULONG)TEdit::TextLimit); }

void IWEdit::PO_Load(IStream* stream) {
  try {
    POClass::PO_Load(stream);
  } catch (const ObjectLoadFailed&) {  // the label's block inside names its own class
    throw ObjectLoadFailed(PO_Row().name);
  }
}

void IWEdit::clone(const IInterObj& source) {
  const IWEdit* from = dynamic_cast<const IWEdit*>(&source);
  if (!from) return;
  TEdit::TextLimit = from->TEdit::TextLimit;
  IWStatic::clone(source);
}

// ---- slots ----

void IWEdit::SetupWindow() {
  TEdit::SetupWindow();  // its limit counts a terminator: ours is in characters
  if (TEdit::TextLimit) SendMessage(EM_LIMITTEXT, TEdit::TextLimit);
  IWControl::SetupWindow();
}

void IWEdit::pdSetCaption(const char* caption) {
  bool was = settingCaption_;
  settingCaption_ = true;
  try {
    IWWindow::pdSetCaption(caption);
  } catch (...) {
    settingCaption_ = was;
    throw;
  }
  settingCaption_ = was;
}

void IWEdit::pdSetText(const char* text) {
  if (!HWindow || !text) return;
  size_t n = TEdit::TextLimit;
  if (n && n < std::strlen(text)) {
    IWControl::pdSetText(std::string(text, n).c_str());
    return;
  }
  IWControl::pdSetText(text);
}

void IWEdit::EnChange() {
  if (!settingCaption_) NotifyChange();
}

void IWEdit::EnSetFocus() { NotifyGotFocus(); }
void IWEdit::EnKillFocus() { NotifyLostFocus(); }

LRESULT IWEdit::EvNcHitTest(WPARAM, LPARAM) { return DefaultProcessing(); }

// ---- style properties ----

long IWEdit::pdGetMultiLine() { return (Attr.Style & kMultiLineBits) == kMultiLineBits ? -1 : 0; }

void IWEdit::pdSetMultiLine(long on) {
  long want = on ? -1 : 0;
  if (want == pdGetMultiLine()) return;
  if (want)
    ReCreateWithStyle(kMultiLineBits | ES_AUTOHSCROLL, kMultiLineBits);
  else
    ReCreateWithStyle(kMultiLineBits | ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL, ES_AUTOHSCROLL);
}

long IWEdit::pdGetScrollBars() {
  long bars = kScrollNone;
  if (Attr.Style & WS_HSCROLL) bars += kScrollHorizontal;
  if (Attr.Style & WS_VSCROLL) bars += kScrollVertical;
  return bars;
}

void IWEdit::pdSetScrollBars(long bars) {
  if (bars == pdGetScrollBars() || bars < kScrollNone || bars > kScrollBoth || !pdGetMultiLine()) return;
  ReCreateWithStyle(WS_HSCROLL | WS_VSCROLL, ((bars & kScrollHorizontal) ? WS_HSCROLL : 0) |
                                                 ((bars & kScrollVertical) ? WS_VSCROLL : 0));
}

long IWEdit::pdGetWordWrap() { return (Attr.Style & ES_AUTOHSCROLL) ? 0 : -1; }

void IWEdit::pdSetWordWrap(long on) {
  long want = on ? -1 : 0;
  if (want == pdGetWordWrap()) return;
  ReCreateWithStyle(ES_AUTOHSCROLL, want ? 0 : ES_AUTOHSCROLL);
}

long IWEdit::pdGetReadOnly() { return (Attr.Style & ES_READONLY) ? -1 : 0; }

void IWEdit::pdSetReadOnly(long on) {
  if (on)
    Attr.Style |= ES_READONLY;
  else
    Attr.Style &= ~uint32_t(ES_READONLY);
  if (HWindow) SendMessage(EM_SETREADONLY, on ? TRUE : FALSE);
  changed();
}

void IWEdit::pdSetMaxLength(long limit) {
  if (limit < 0) return;
  TEdit::TextLimit = (uint)limit;
  if (HWindow) SendMessage(EM_LIMITTEXT, TEdit::TextLimit);
  changed();
}

long IWEdit::pdGetLineCount() { return HWindow ? (long)SendMessage(EM_GETLINECOUNT) : 0; }

// ---- selection ----

long IWEdit::pdGetSelStart() {
  if (!HWindow) return 0;
  DWORD start = 0, end = 0;
  SendMessage(EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  return (long)start;
}

void IWEdit::pdSetSelStart(long start) {
  if (!HWindow) return;
  SendMessage(EM_SETSEL, (WPARAM)start, (LPARAM)start);
  SendMessage(EM_SCROLLCARET);
}

long IWEdit::pdGetSelLength() {
  if (!HWindow) return 0;
  DWORD start = 0, end = 0;
  SendMessage(EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  return (long)end - (long)start;
}

void IWEdit::pdSetSelLength(long length) {
  if (!HWindow) return;
  DWORD start = 0, end = 0;
  SendMessage(EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  SendMessage(EM_SETSEL, (WPARAM)start, (LPARAM)((long)start + length));
  SendMessage(EM_SCROLLCARET);
}

ValStringRep* IWEdit::pdGetSelText() {
  if (!HWindow) return new ValStringRep("");
  DWORD start = 0, end = 0;
  SendMessage(EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  if (start >= end) return new ValStringRep("");
  ValString text(IWControl::pdGetText());
  const std::string& all = text.str();
  if (start >= all.size()) return new ValStringRep("");
  return new ValStringRep(all.substr(start, end - start));
}

void IWEdit::pdSetSelText(const char* text) {
  if (!HWindow) return;
  SendMessage(WM_CLEAR);
  SendMessage(EM_REPLACESEL, FALSE, (LPARAM)(text ? text : ""));
}

// ---- methods ----

void IWEdit::imInsert(const char* text) {
  if (HWindow && text) SendMessage(EM_REPLACESEL, TRUE, (LPARAM)text);
}

void IWEdit::imUndo() {
  if (HWindow) SendMessage(WM_UNDO);
}
void IWEdit::imCut() {
  if (HWindow) SendMessage(WM_CUT);
}
void IWEdit::imCopy() {
  if (HWindow) SendMessage(WM_COPY);
}
void IWEdit::imPaste() {
  if (HWindow) SendMessage(WM_PASTE);
}
void IWEdit::imClear() {
  if (HWindow) TEdit::Clear();
}

short IWEdit::imTextUnload(const char* indent, ValString* cmds) {
  static const char* const kNames[] = {"MaxLength", "MultiLine", "ReadOnly", "ScrollBars", nullptr};
  if (!cmds) return -1;
  IWStatic::imTextUnload(indent, cmds);
  if (InterObjRep* me = storeObj()) me->textFieldsUnload(kNames, indent ? indent : "", *cmds);
  return -1;
}
