// IWStatic: the published "Label" (prototype parent "Control"), a static text control
// that takes mouse input. Its window class "OrvanelLabel" is the system's static class
// with double clicks; the whole label answers hit tests, so a press and a release on it
// raise "Click" and a double click "DblClick". Setting "Text" or "Caption" raises
// "Change", every time, also to the same text and also without a window.
//
// Border, alignment and word wrap live in the window style (saved with the window's
// block); changing one re-creates the window under the re-creating flag, keeping the
// text and the Z order and raising no "Setup". The text box derives from the label and
// shares these setters (its alignment uses the low two style bits, a label's the low
// four).
//
// Stream block (revision 1): the control's block, nothing of its own. A damaged block or
// a revision above 1 fails with ObjectLoadFailed naming "Label".
#pragma once

#include "guiobjects1/iwcontrol.h"
#include "guiobjects2/oviui2_api.h"
#include "winlib/static.h"

class OVIUI2_API IWStatic : public POClass<IWStatic, IWControl>, public TStatic {
 public:
  // The window class of labels.
  static constexpr const char* kClassName = "OrvanelLabel";
  // Style bits of a label's alignment and wrapping.
  enum LabelStyle : uint32_t {
    kLabelLeft = SS_LEFT,
    kLabelCenter = SS_CENTER,
    kLabelRight = SS_RIGHT,
    kLabelNoWrap = SS_LEFTNOWORDWRAP,
    kLabelMask = 0xF
  };
  // "ControlAlignmentEnum".
  enum Alignment : long { kAlignLeft = 0, kAlignRight = 1, kAlignCenter = 2 };

  explicit IWStatic(IUnknown* outer);
  ~IWStatic() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Load(IStream* stream) override;
  // Copies only from another label.
  void clone(const IInterObj& source) override;

  // ---- slots of the window base and the control ----
  void pdSetCaption(const char* caption) override;
  void pdSetText(const char* text) override;
  void AfterLButtonPress() override;
  void LButtonRelease() override;
  int ClickOnRelease() override;
  // The window's text in a new[] buffer (the window is destroyed); null without one.
  void* DataForReCreate() override;
  void DoReCreate(void* arg) override;

  const char* GetClassName() override;
  void GetWindowClass(WNDCLASSA& wc) override;
  bool Create() override { return IWControl::Create(); }
  int CharToItem(uint key, uint caretIndex) override { return IWControl::CharToItem(key, caretIndex); }
  int VKeyToItem(uint key, uint caretIndex) override { return IWControl::VKeyToItem(key, caretIndex); }
  uint Transfer(void* buffer, TTransferDirection direction) override {
    return TStatic::Transfer(buffer, direction);
  }
  void Clear() override { TStatic::Clear(); }
  void SetupWindow() override { IWControl::SetupWindow(); }

  // ---- properties and methods ----
  long pdGetBorderStyle();
  void pdSetBorderStyle(long style);
  long pdGetAlignment();
  void pdSetAlignment(long alignment);
  virtual long pdGetWordWrap();
  virtual void pdSetWordWrap(long on);
  long pdGetLinesVisible();
  float pdGetLineHeight();
  short imTextUnload(const char* indent, ValString* cmds);

  // Lines of the window's font that fit its height: int(max(H / h - 0.5, 1)) in single
  // precision; 0 for a zero height or font height.
  static long LinesFor(int height, int fontHeight);

  LRESULT EvNcHitTest(WPARAM, LPARAM);

  static IWStatic* Native(InterObjRep* obj) { return POClass<IWStatic, IWControl>::Native(obj); }

  DECLARE_RESPONSE_TABLE(IWStatic);

 protected:
  // Re-creates the window with the style bits in mask set to bits (the window style
  // word; ex for the extended one), under the re-creating flag, and marks the object
  // changed. The flag is cleared also when an exception passes.
  void ReCreateWithStyle(uint32_t mask, uint32_t bits);
  // The window font's text height in pixels; 0 without a window or metrics.
  int FontHeight();
  // The mask of the alignment bits: two for a text box, four for a label.
  virtual uint32_t AlignmentMask() const { return kLabelMask; }
};
