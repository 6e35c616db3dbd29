// IWOptionButton: the published "OptionButton" (prototype parent "Control"), a system
// automatic radio button; the option buttons between two group starts of a form form
// one group, of which the system keeps one on. "Value" is True (-1) when the button is
// on. Setting True on a button that is off presses and releases it, so the system turns
// the others of its group off and the button raises one "Click"; setting False turns it
// off without an event; setting the current value does nothing. A click raises "Click"
// only when it leaves the button on. Without a window "Value" reads 0 and setting it
// does nothing.
//
// It shares the check box's look (three-dimensional, button-face background) but not
// its state cycle. Stream block (revision 1): the control's block, nothing of its own.
// A damaged block or a revision above 1 fails with ObjectLoadFailed naming
// "OptionButton".
#pragma once

#include "guiobjects1/iwcontrol.h"
#include "guiobjects2/oviui2_api.h"
#include "winlib/button.h"

class OVIUI2_API IWOptionButton : public POClass<IWOptionButton, IWControl>, public TRadioButton {
 public:
  explicit IWOptionButton(IUnknown* outer);
  ~IWOptionButton() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Load(IStream* stream) override;
  // Copies only from another option button.
  void clone(const IInterObj& source) override;

  const char* GetClassName() override { return TRadioButton::GetClassName(); }
  bool Create() override { return IWControl::Create(); }
  int CharToItem(uint key, uint caretIndex) override { return IWControl::CharToItem(key, caretIndex); }
  int VKeyToItem(uint key, uint caretIndex) override { return IWControl::VKeyToItem(key, caretIndex); }
  uint Transfer(void* buffer, TTransferDirection direction) override {
    return TRadioButton::Transfer(buffer, direction);
  }
  void SetupWindow() override;

  long pdGetValue();
  void pdSetValue(long value);

  uint EvGetDlgCode(MSG* msg);
  bool EvEraseBkgnd(HDC dc);
  void BNClicked();

  static IWOptionButton* Native(InterObjRep* obj) { return POClass<IWOptionButton, IWControl>::Native(obj); }

  DECLARE_RESPONSE_TABLE(IWOptionButton);
};
