// IWCheckBox: the published "CheckBox" (prototype parent "Control"), a three-state
// system check box. "Value" is the window's check state ("CheckBoxState": 0 unchecked, 1
// checked, 2 grey); only code sets grey: a click on a grey box unchecks it, so the user
// toggles between 0 and 1. Every click raises "Click"; setting "Value" raises "Click"
// when the state changed. Without a window "Value" reads 0 and setting it does nothing;
// values outside 0..2 are refused (no change, no event).
//
// Stream block (revision 1): the control's block, nothing of its own (the push button's
// level is skipped; the check state is not stored). A damaged block or a revision above
// 1 fails with ObjectLoadFailed naming "CheckBox".
#pragma once

#include "guiobjects1/iwcontrol.h"
#include "guiobjects2/oviui2_api.h"
#include "winlib/button.h"

class OVIUI2_API IWCheckBox : public POClass<IWCheckBox, IWControl>, public TCheckBox {
 public:
  // A back colour that asks for no background of the button's own.
  static const uint32_t kNoBackground = 0xFE000000u;
  // "CheckBoxState".
  enum State : long { kUnchecked = 0, kChecked = 1, kGrayed = 2 };

  explicit IWCheckBox(IUnknown* outer);
  ~IWCheckBox() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Load(IStream* stream) override;
  // Copies only from another check box.
  void clone(const IInterObj& source) override;

  const char* GetClassName() override { return TCheckBox::GetClassName(); }
  bool Create() override { return IWControl::Create(); }
  int CharToItem(uint key, uint caretIndex) override { return IWControl::CharToItem(key, caretIndex); }
  int VKeyToItem(uint key, uint caretIndex) override { return IWControl::VKeyToItem(key, caretIndex); }
  uint Transfer(void* buffer, TTransferDirection direction) override {
    return TCheckBox::Transfer(buffer, direction);
  }
  void SetupWindow() override;

  long pdGetValue();
  void pdSetValue(long value);

  uint EvGetDlgCode(MSG* msg);
  bool EvEraseBkgnd(HDC dc);
  void BNClicked();

  // Fills w's client area with the button face unless back is the no-background marker;
  // the background counts as erased either way.
  static bool EraseButtonFace(TWindow& w, uint32_t back, HDC dc);

  static IWCheckBox* Native(InterObjRep* obj) { return POClass<IWCheckBox, IWControl>::Native(obj); }

  DECLARE_RESPONSE_TABLE(IWCheckBox);
};
