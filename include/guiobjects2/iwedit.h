// IWEdit: the published "TextBox" (prototype parent "Label"), a system edit control. It
// inherits the label's border, alignment (the low two style bits), re-creation and key
// handling; its own style properties (MultiLine, ScrollBars, WordWrap) re-create the
// window too, keeping the text and the Z order. "Change" comes from the control's own
// EN_CHANGE (typing, Text, the editing methods), never from setting the caption.
//
// MaxLength is the edit's text limit in characters (0: the system's own); Text is cut to
// it. Scroll bars belong to multi-line boxes only.
//
// Stream block (revision 1): the label's block, then MaxLength (ULONG). A damaged block
// or a revision above 1 fails with ObjectLoadFailed naming "TextBox".
#pragma once

#include "guiobjects2/iwstatic.h"
#include "winlib/static.h"

class OVIUI2_API IWEdit : public POClass<IWEdit, IWStatic>, public TEdit {
 public:
  // The three bits a multi-line box has together.
  static const uint32_t kMultiLineBits = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
  // "ScrollBarsState".
  enum ScrollBars : long { kScrollNone = 0, kScrollHorizontal = 1, kScrollVertical = 2, kScrollBoth = 3 };

  explicit IWEdit(IUnknown* outer);
  ~IWEdit() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Read(OCLStream& s, unsigned revision);
  void PO_Write(OCLStream& s);
  void PO_Load(IStream* stream) override;
  // Copies the text limit from another text box, then as a label.
  void clone(const IInterObj& source) override;

  // ---- slots ----
  void pdSetCaption(const char* caption) override;
  void pdSetText(const char* text) override;
  long pdGetWordWrap() override;
  void pdSetWordWrap(long on) override;

  const char* GetClassName() override { return TEdit::GetClassName(); }
  void GetWindowClass(WNDCLASSA& wc) override { TWindow::GetWindowClass(wc); }
  bool Create() override { return IWStatic::Create(); }
  int CharToItem(uint key, uint caretIndex) override { return IWStatic::CharToItem(key, caretIndex); }
  int VKeyToItem(uint key, uint caretIndex) override { return IWStatic::VKeyToItem(key, caretIndex); }
  uint Transfer(void* buffer, TTransferDirection direction) override {
    return TEdit::Transfer(buffer, direction);
  }
  void Clear() override { TEdit::Clear(); }
  bool CanClose() override { return TEdit::CanClose(); }
  void SetupWindow() override;

  // ---- properties and methods ----
  long pdGetScrollBars();
  void pdSetScrollBars(long bars);
  long pdGetMultiLine();
  void pdSetMultiLine(long on);
  long pdGetReadOnly();
  void pdSetReadOnly(long on);
  long pdGetSelStart();
  void pdSetSelStart(long start);
  long pdGetSelLength();
  void pdSetSelLength(long length);
  ValStringRep* pdGetSelText();
  void pdSetSelText(const char* text);
  long pdGetMaxLength() { return (long)TEdit::TextLimit; }
  void pdSetMaxLength(long limit);
  long pdGetLineCount();
  void imInsert(const char* text);
  void imUndo();
  void imCut();
  void imCopy();
  void imPaste();
  void imClear();
  short imTextUnload(const char* indent, ValString* cmds);

  void EnChange();
  void EnSetFocus();
  void EnKillFocus();
  LRESULT EvNcHitTest(WPARAM, LPARAM);

  static IWEdit* Native(InterObjRep* obj) { return POClass<IWEdit, IWStatic>::Native(obj); }

  DECLARE_RESPONSE_TABLE(IWEdit);

 protected:
  uint32_t AlignmentMask() const override { return 3; }

 private:
  // Set while the caption is being set: the edit's own EN_CHANGE is not a "Change" then.
  bool settingCaption_ = false;
};
