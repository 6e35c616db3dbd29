// IWButton: the published "Button" (prototype parent "Control"), a push button on a
// form. It raises "Click" once per press through its own reflected BN_CLICKED, the focus
// events, and the key events of the window layer (it asks for characters unless ALT is
// held, so that dialog mnemonics keep working). A form makes a button its default
// button by giving it control id 1 (SetSpecialID), which also makes it a default push
// button; any other id makes it a plain one again.
//
// Stream block (revision 1): the control's block, nothing of its own.
#pragma once

#include "guiobjects1/iwcontrol.h"
#include "winlib/button.h"

class OVIUI1_API IWButton : public POClass<IWButton, IWControl>, public TButton {
 public:
  explicit IWButton(IUnknown* outer);
  ~IWButton() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Load(IStream* stream) override;
  // Copies only from another button.
  void clone(const IInterObj& source) override;

  void SetSpecialID(int id);

  const char* GetClassName() override { return TButton::GetClassName(); }
  bool Create() override { return IWControl::Create(); }
  int CharToItem(uint key, uint caretIndex) override { return IWControl::CharToItem(key, caretIndex); }
  int VKeyToItem(uint key, uint caretIndex) override { return IWControl::VKeyToItem(key, caretIndex); }
  void SetupWindow() override;
  uint EvGetDlgCode(MSG* msg);
  void BNClicked();

  static IWButton* Native(InterObjRep* obj) { return POClass<IWButton, IWControl>::Native(obj); }

  DECLARE_RESPONSE_TABLE(IWButton);
};
