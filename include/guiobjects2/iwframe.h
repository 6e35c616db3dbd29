// IWFrame: the published "Frame" (prototype parent "Control"), a system group box that
// draws a titled rectangle around other controls; the caption is its title. It paints
// its own background only where its parent clips its children (elsewhere the parent's
// drawing shows through) and never when its back colour is the marker of "no
// background" (0xFE000000). It raises no "Click".
//
// Stream block (revision 1): the control's block, nothing of its own. A damaged block or
// a revision above 1 fails with ObjectLoadFailed naming "Frame".
#pragma once

#include "guiobjects1/iwcontrol.h"
#include "guiobjects2/oviui2_api.h"
#include "winlib/button.h"

class OVIUI2_API IWFrame : public POClass<IWFrame, IWControl>, public TButton {
 public:
  // A back colour that asks for no background of the frame's own.
  static const uint32_t kNoBackground = 0xFE000000u;

  explicit IWFrame(IUnknown* outer);
  ~IWFrame() override;
  static Faultp<InterObjRep>* PO_Object;
  static const POClassRow& PO_Row();

  void PO_DeclareFields(SignatureRep& sig);
  void PO_Load(IStream* stream) override;
  // Copies only from another frame.
  void clone(const IInterObj& source) override;

  const char* GetClassName() override { return TButton::GetClassName(); }
  bool Create() override { return IWControl::Create(); }
  int CharToItem(uint key, uint caretIndex) override { return IWControl::CharToItem(key, caretIndex); }
  int VKeyToItem(uint key, uint caretIndex) override { return IWControl::VKeyToItem(key, caretIndex); }
  void SetupWindow() override;
  bool EvEraseBkgnd(HDC dc);
  // Whether EvEraseBkgnd paints: no parent window or a parent that clips its children,
  // and a back colour other than the marker.
  bool PaintsBackground() const;

  static IWFrame* Native(InterObjRep* obj) { return POClass<IWFrame, IWControl>::Native(obj); }

  DECLARE_RESPONSE_TABLE(IWFrame);
};
